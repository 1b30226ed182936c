// The library's bitmap: row layout, loading and sleeping, change links, drawing, and the pixel
// filters checked pixel by pixel on small images; and the grid paint options built on it.
#include "dataaware/foundation/daBitmap.h"
#include "dataaware/foundation/daGridPaintOptions.h"

#include "platform/gui/Grids.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A W x H image whose pixel (x, y) is RGB(10 x + 1, 20 y + 2, 3 x + 5 y).
std::unique_ptr<TdaBitmap> Pattern(int W, int H) {
    auto B = std::make_unique<TdaBitmap>();
    B->LoadBlank(W, H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            B->SetPixelColor(X, Y, RGB(Byte(10 * X + 1), Byte(20 * Y + 2), Byte(3 * X + 5 * Y)));
    return B;
}

std::vector<TColor> PixelsOf(const TdaBitmap& B) {
    std::vector<TColor> P;
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            P.push_back(B.PixelColor(X, Y));
    return P;
}


} // namespace

TEST(Bitmap, RowsArePaddedToFourBytes) {
    TdaBitmap B;
    EXPECT_TRUE(B.Empty());
    B.LoadBlank(5, 2);
    EXPECT_EQ(B.RowInc(), 16);
    EXPECT_EQ(B.Gap(), 1);
    EXPECT_EQ(B.Size(), 32);
    EXPECT_EQ(B.Row(1) - B.Row(0), 16);
    EXPECT_EQ(B.PixelColor(4, 1), clWhite);
    B.SetPixelColor(1, 0, RGB(1, 2, 3));
    const Byte* P = B.Row(0) + 3;
    EXPECT_EQ(P[0], 3);
    EXPECT_EQ(P[1], 2);
    EXPECT_EQ(P[2], 1);
}

TEST(Bitmap, ChangeLinksSleepAndAssign) {
    auto B = Pattern(3, 3);
    int Changes = 0;
    TObject* Sender = nullptr;
    TdaChangeLink Link;
    Link.FOnChange = [&](TObject* S) {
        ++Changes;
        Sender = S;
    };
    B->RegisterChanges(&Link);
    B->LoadBlank(2, 2);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Sender, B.get());
    B->IgnoreChange = true;
    B->LoadBlank(3, 3);
    EXPECT_EQ(Changes, 1);
    B->IgnoreChange = false;
    B->UnRegisterChanges(&Link);
    B = Pattern(3, 3);
    const auto Before = PixelsOf(*B);
    B->Sleep();
    EXPECT_TRUE(B->Sleeping());
    EXPECT_TRUE(B->Empty());
    B->Wake();
    EXPECT_FALSE(B->Sleeping());
    EXPECT_EQ(PixelsOf(*B), Before);
    TdaBitmap Copy;
    Copy.Assign(B.get());
    EXPECT_EQ(PixelsOf(Copy), Before);
    TBitmap Plain;
    B->AssignTo(&Plain);
    EXPECT_EQ(RgbOf(Plain, 2, 1), B->PixelColor(2, 1));
    TdaBitmap Back;
    Back.Assign(&Plain);
    EXPECT_EQ(PixelsOf(Back), Before);
    Back.Assign(nullptr);
    EXPECT_TRUE(Back.Empty());
}

TEST(Bitmap, NeutralFiltersKeepThePixels) {
    auto B = Pattern(4, 3);
    const auto Before = PixelsOf(*B);
    B->Brightness(0);
    B->Contrast(0);
    B->Saturation(256);
    EXPECT_EQ(PixelsOf(*B), Before);
    B->Sponge(0);
    EXPECT_EQ(PixelsOf(*B), Before);
    B->Rotate(TPoint{-1, -1}, 0);
    EXPECT_EQ(PixelsOf(*B), Before);
    auto G = Pattern(4, 3);
    G->Grayscale();
    B->Saturation(0);
    EXPECT_EQ(PixelsOf(*B), PixelsOf(*G));
}

TEST(Bitmap, ChannelFiltersPixelByPixel) {
    auto B = std::make_unique<TdaBitmap>();
    B->LoadBlank(2, 1);
    B->SetPixelColor(0, 0, RGB(100, 200, 0));
    B->SetPixelColor(1, 0, RGB(255, 10, 128));
    B->Brightness(64); // v + 64 (255 - v) >> 8
    EXPECT_EQ(B->PixelColor(0, 0), RGB(100 + (64 * 155 >> 8), 200 + (64 * 55 >> 8), 63));
    B->Invert();
    EXPECT_EQ(B->PixelColor(1, 0), RGB(0, 255 - (10 + (64 * 245 >> 8)), 255 - (128 + (64 * 127 >> 8))));
    B->LoadBlank(1, 1);
    B->SetPixelColor(0, 0, RGB(100, 200, 50));
    B->ColorTint(200, -250, 10);
    EXPECT_EQ(B->PixelColor(0, 0), RGB(255, 0, 60));
    B->SetPixelColor(0, 0, RGB(100, 100, 100));
    B->Contrast(128); // below 127: v - |128 - v| * 128 div 256
    EXPECT_EQ(B->PixelColor(0, 0), RGB(86, 86, 86));
    // Colorize leaves the transparent colour alone.
    B->LoadBlank(2, 1);
    B->SetPixelColor(0, 0, clRed);
    B->SetPixelColor(1, 0, RGB(100, 100, 100));
    B->TransparentColor = clRed;
    B->Colorize(255, 0, 100);
    EXPECT_EQ(B->PixelColor(0, 0), clRed);
    EXPECT_EQ(B->PixelColor(1, 0), RGB(100 + 127 - 128, 0, 100 + 50 - 128));
    B->Mask(clRed);
    EXPECT_EQ(B->PixelColor(0, 0), clBlack);
    EXPECT_EQ(B->PixelColor(1, 0), clWhite);
    B->ChangeColor(clWhite, clBlue);
    EXPECT_EQ(B->PixelColor(1, 0), clBlue);
}

TEST(Bitmap, GeometryFilters) {
    auto B = Pattern(3, 3);
    const auto Before = PixelsOf(*B);
    B->Flip(false);
    EXPECT_EQ(B->PixelColor(0, 1), Before[3]);
    EXPECT_EQ(B->PixelColor(2, 0), Before[8]);
    B->Flip(true);
    EXPECT_EQ(B->PixelColor(0, 0), Before[8]);
    // Rotated corners outside the source show the top left pixel's colour.
    auto R = Pattern(4, 2);
    const TColor TopLeft = R->PixelColor(0, 0);
    R->Rotate(TPoint{-1, -1}, 90);
    EXPECT_EQ(R->PixelColor(0, 0), TopLeft);
    EXPECT_EQ(R->PixelColor(3, 1), TopLeft);
    // Blurs run at every distance down to one.
    auto A = Pattern(5, 5), G = Pattern(5, 5);
    A->Blur(3);
    A->Blur(2);
    A->Blur(1);
    G->GaussianBlur(3);
    EXPECT_EQ(PixelsOf(*A), PixelsOf(*G));
    // The sponge takes each pixel from its neighbourhood.
    auto S = Pattern(4, 4);
    const auto Source = PixelsOf(*S);
    S->Sponge(2);
    for (TColor C : PixelsOf(*S))
        EXPECT_NE(std::find(Source.begin(), Source.end(), C), Source.end());
}

TEST(Bitmap, SmoothStretchOfAOnePixelWideSourceAndOwnSize) {
    auto B = Pattern(3, 2);
    B->SmoothStretching = true;
    TBitmap Same(3, 2);
    B->DrawOn(Same.Canvas(), TRect(0, 0, 3, 2));
    for (int Y = 0; Y < 2; ++Y)
        for (int X = 0; X < 3; ++X)
            EXPECT_EQ(RgbOf(Same, X, Y), B->PixelColor(X, Y));
    // One column widened: every output column is that column, no byte read past the row.
    TdaBitmap Column;
    Column.LoadBlank(1, 2);
    Column.SetPixelColor(0, 0, RGB(200, 100, 50));
    Column.SetPixelColor(0, 1, RGB(200, 100, 50));
    Column.SmoothStretching = true;
    TBitmap Wide(6, 2);
    Column.DrawOn(Wide.Canvas(), TRect(0, 0, 6, 2));
    for (int X = 0; X < 6; ++X)
        EXPECT_EQ(RgbOf(Wide, X, 0), RGB(200, 100, 50)) << X;
}

TEST(Bitmap, AlphaBlendSizesAndStretchCoversTheWholeImage) {
    TdaBitmap Base, Small;
    Base.LoadBlank(4, 4);
    Small.LoadBlank(2, 2);
    Small.Fill(clBlack);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { Base.AlphaBlend(&Small, 256, false); }),
              u"In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
    EXPECT_EQ(Base.PixelColor(0, 0), clWhite);
    Base.AlphaBlend(&Small, 256, true);
    for (TColor C : PixelsOf(Base))
        EXPECT_EQ(C, clBlack);
    // Half way, and the blend image's key colour left out when it is transparent.
    TdaBitmap Half, Other;
    Half.LoadBlank(2, 1);
    Other.LoadBlank(2, 1);
    Other.SetPixelColor(1, 0, clBlack);
    Other.SetTransparent(true);
    Half.Fill(clBlack);
    Half.AlphaBlend(&Other, 128, false);
    EXPECT_EQ(Half.PixelColor(0, 0), clBlack);
    EXPECT_EQ(Half.PixelColor(1, 0), clBlack);
    Other.SetTransparent(false);
    Half.AlphaBlend(&Other, 128, false);
    EXPECT_EQ(Half.PixelColor(0, 0), RGB(127, 127, 127));
}

TEST(Bitmap, TransparentAndTiledDrawing) {
    TdaBitmap B;
    B.LoadBlank(2, 2);
    B.Fill(clFuchsia);
    B.SetPixelColor(1, 1, clBlue);
    B.SetTransparent(true);
    TBitmap Target(4, 4);
    Target.Canvas()->Brush()->SetColor(clLime);
    Target.Canvas()->FillRect(TRect(0, 0, 4, 4));
    B.DrawOn(Target.Canvas(), TRect(0, 0, 2, 2));
    EXPECT_EQ(RgbOf(Target, 0, 0), clLime);
    EXPECT_EQ(RgbOf(Target, 1, 1), clBlue);
    B.SetTransparent(false);
    B.TileDraw(Target.Canvas(), TRect(0, 0, 4, 4));
    EXPECT_EQ(RgbOf(Target, 3, 3), clBlue);
    EXPECT_EQ(RgbOf(Target, 2, 2), clFuchsia);
    TBitmap* Mask = B.MaskBitmap();
    ASSERT_NE(Mask, nullptr);
    EXPECT_EQ(RgbOf(*Mask, 0, 0), clBlack);
    EXPECT_EQ(RgbOf(*Mask, 1, 1), clWhite);
}

TEST(GridPaintOptions, RenderedBackgroundAndTints) {
    TDrawGrid Grid(nullptr);
    Grid.SetBounds(0, 0, 40, 30);
    TBitmap Paint;
    TdaGridPaintOptions Options(&Grid, &Paint);
    EXPECT_EQ(Options.BackgroundDrawStyle(), bdsTile);
    EXPECT_TRUE(Options.FastRecordScrolling);
    Options.SetAlternatingRowColor(clRed);
    Options.InitBlendBitmaps(false);
    EXPECT_FALSE(Options.InitBlendBitmapsFlag);
    EXPECT_FALSE(Options.HaveBackgroundForDataCells());
    EXPECT_EQ(Options.AlternatingColorBitmap, nullptr);
    EXPECT_EQ(Paint.Width(), 40);

    TBitmap Picture(16, 10);
    Picture.Canvas()->Brush()->SetColor(clGray);
    Picture.Canvas()->FillRect(TRect(0, 0, 16, 10));
    TPicture P;
    P.SetBitmap(&Picture);
    Options.SetBackgroundBitmap(&P);
    Options.SetBackgroundDrawStyle(bdsCenter);
    Options.SetBackgroundOptions({coFillDataCells, coBlendAlternatingRow, coBlendActiveRecord});
    Options.SetAlternatingRowRegions({});
    EXPECT_TRUE(Options.InitBlendBitmapsFlag);
    Options.InitBlendBitmaps(false);
    EXPECT_TRUE(Options.HaveBackgroundForDataCells());
    EXPECT_EQ(RgbOf(Paint, 12, 10), ColorToRGB(clGray));
    EXPECT_EQ(RgbOf(Paint, 11, 10), clWhite);
    // No regions: no alternating copy; no active colour: none either.
    EXPECT_EQ(Options.AlternatingColorBitmap, nullptr);
    EXPECT_EQ(Options.ActiveRecordBitmap, nullptr);
    Options.SetAlternatingRowRegions({arrDataColumns});
    Options.SetActiveRecordColor(clBlue);
    Options.InitBlendBitmaps(true);
    ASSERT_NE(Options.AlternatingColorBitmap, nullptr);
    ASSERT_NE(Options.ActiveRecordBitmap, nullptr);
    EXPECT_NE(Options.ActiveRecordBitmap->PixelColor(12, 10), ColorToRGB(clGray));
    // On a 256-colour screen only the plain background is rendered.
    TdaGridPaintOptions Low(&Grid, &Paint);
    Low.ScreenBitsPerPixel = 8;
    Low.SetBackgroundBitmap(&P);
    Low.InitBlendBitmaps(true);
    EXPECT_EQ(Low.OrigBitmap, nullptr);
    // A picture larger than the grid is centred at a negative position.
    TBitmap Big(60, 50);
    Big.Canvas()->Brush()->SetColor(clGray);
    Big.Canvas()->FillRect(TRect(0, 0, 60, 50));
    Big.Canvas()->SetPixels(10, 10, clRed);
    P.SetBitmap(&Big);
    Options.SetBackgroundBitmap(&P);
    Options.InitBlendBitmaps(false);
    EXPECT_EQ(RgbOf(Paint, 0, 0), ColorToRGB(clRed));
}
