// Drawing calls on a bitmap's canvas put the expected colours at the expected pixels.
#include "support/GraphicsTestSupport.h"

#include <functional>

namespace {

struct TDrawCase {
    const char* Name;
    std::function<void(TCanvas*)> Draw;
    std::vector<TPixelCheck> Checks;
};

} // namespace

TEST(Canvas, DrawingCallsPaintTheirPixels) {
    // clang-format off
    const TDrawCase Cases[] = {
        {"FillRect leaves right and bottom edges",
         [](TCanvas* C) {
             C->Brush()->SetColor(clRed);
             C->FillRect(Rect(2, 3, 6, 5));
         },
         {{2, 3, clRed}, {5, 4, clRed}, {6, 4, clWhite}, {5, 5, clWhite}, {1, 3, clWhite}, {2, 2, clWhite}}},
        {"LineTo leaves the end point",
         [](TCanvas* C) {
             C->MoveTo(2, 2);
             C->LineTo(8, 2);
         },
         {{2, 2, clBlack}, {7, 2, clBlack}, {8, 2, clWhite}, {1, 2, clWhite}}},
        {"diagonal LineTo",
         [](TCanvas* C) {
             C->MoveTo(0, 0);
             C->LineTo(5, 5);
         },
         {{0, 0, clBlack}, {4, 4, clBlack}, {5, 5, clWhite}, {1, 0, clWhite}}},
        {"Polyline leaves only the last point",
         [](TCanvas* C) { C->Polyline({{1, 1}, {5, 1}, {5, 5}}); },
         {{1, 1, clBlack}, {5, 1, clBlack}, {5, 4, clBlack}, {5, 5, clWhite}}},
        {"FrameRect",
         [](TCanvas* C) {
             C->Brush()->SetColor(clBlue);
             C->FrameRect(Rect(2, 2, 8, 6));
         },
         {{2, 2, clBlue}, {7, 2, clBlue}, {7, 5, clBlue}, {2, 5, clBlue}, {4, 3, clWhite}, {8, 5, clWhite},
          {7, 6, clWhite}}},
        {"Rectangle: pen frame, brush inside",
         [](TCanvas* C) {
             C->Brush()->SetColor(clRed);
             C->Rectangle(2, 2, 8, 6);
         },
         {{2, 2, clBlack}, {7, 5, clBlack}, {7, 2, clBlack}, {3, 3, clRed}, {6, 4, clRed}, {8, 6, clWhite},
          {8, 3, clWhite}}},
        {"Rectangle without pen is one pixel smaller",
         [](TCanvas* C) {
             C->Brush()->SetColor(clRed);
             C->Pen()->SetStyle(psClear);
             C->Rectangle(2, 2, 8, 6);
         },
         {{2, 2, clRed}, {6, 4, clRed}, {7, 4, clWhite}, {6, 5, clWhite}}},
        {"Ellipse",
         [](TCanvas* C) {
             C->Brush()->SetColor(clLime);
             C->Ellipse(0, 0, 21, 21);
         },
         {{10, 10, clLime}, {0, 0, clWhite}, {20, 20, clWhite}, {10, 0, clBlack}, {0, 10, clBlack}, {20, 10, clBlack},
          {21, 10, clWhite}}},
        {"Polygon",
         [](TCanvas* C) {
             C->Brush()->SetColor(clYellow);
             C->Polygon({{0, 0}, {20, 0}, {0, 20}});
         },
         {{0, 0, clBlack}, {3, 3, clYellow}, {15, 15, clWhite}, {10, 0, clBlack}}},
        {"Pixels",
         [](TCanvas* C) { C->SetPixels(3, 4, clFuchsia); },
         {{3, 4, clFuchsia}, {4, 4, clWhite}}},
        {"xor pen inverts against white",
         [](TCanvas* C) {
             C->Brush()->SetColor(clRed);
             C->FillRect(Rect(0, 0, 10, 1));
             C->Pen()->SetColor(clWhite);
             C->Pen()->SetMode(pmXor);
             C->MoveTo(0, 0);
             C->LineTo(4, 0);
         },
         {{0, 0, clAqua}, {3, 0, clAqua}, {4, 0, clRed}}},
        {"not pen ignores its colour",
         [](TCanvas* C) {
             C->Pen()->SetColor(clRed);
             C->Pen()->SetMode(pmNot);
             C->MoveTo(0, 0);
             C->LineTo(3, 0);
         },
         {{0, 0, clBlack}, {2, 0, clBlack}, {3, 0, clWhite}}},
        {"dotted pen: three on, three off; gaps in a solid brush's colour",
         [](TCanvas* C) {
             C->Pen()->SetStyle(psDot);
             C->Brush()->SetColor(clYellow);
             C->MoveTo(0, 0);
             C->LineTo(12, 0);
         },
         {{0, 0, clBlack}, {2, 0, clBlack}, {3, 0, clYellow}, {5, 0, clYellow}, {6, 0, clBlack}, {12, 0, clWhite}}},
        {"dotted pen with a clear brush leaves the gaps",
         [](TCanvas* C) {
             C->Pen()->SetStyle(psDot);
             C->Brush()->SetStyle(bsClear);
             C->MoveTo(0, 0);
             C->LineTo(12, 0);
         },
         {{0, 0, clBlack}, {3, 0, clWhite}, {6, 0, clBlack}}},
        {"wide pen covers both sides of the line",
         [](TCanvas* C) {
             C->Pen()->SetWidth(5);
             C->MoveTo(2, 10);
             C->LineTo(20, 10);
         },
         {{10, 8, clBlack}, {10, 12, clBlack}, {10, 14, clWhite}, {10, 6, clWhite}}},
        {"clear brush fills nothing",
         [](TCanvas* C) {
             C->Brush()->SetStyle(bsClear);
             C->FillRect(Rect(0, 0, 16, 16));
             C->Rectangle(2, 2, 8, 8);
         },
         {{0, 0, clWhite}, {4, 4, clWhite}, {2, 2, clBlack}}},
        {"Pie fills its slice",
         [](TCanvas* C) {
             C->Brush()->SetColor(clRed);
             C->Pie(0, 0, 21, 21, 20, 10, 10, 0); // the upper right quarter
         },
         {{14, 6, clRed}, {6, 14, clWhite}, {6, 6, clWhite}}},
    };
    // clang-format on
    for (const TDrawCase& Case : Cases) {
        auto B = NewCanvasBitmap(24, 24);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clWhite);
        Case.Draw(C);
        for (const TPixelCheck& P : Case.Checks)
            EXPECT_EQ(ColorText(C->Pixels(P.X, P.Y)), ColorText(ColorToRGB(P.Color)))
                << Case.Name << " at (" << P.X << ", " << P.Y << ")";
    }
}

TEST(Canvas, HatchedBrushesDrawTheirLinesOnly) {
    struct Row {
        TBrushStyle Style;
        int FullRows, FullColumns; // of 16 x 16 pixels: hatches repeat every 8
    };
    for (const Row& R : {Row{bsHorizontal, 2, 0}, Row{bsVertical, 0, 2}, Row{bsCross, 2, 2}}) {
        auto B = NewCanvasBitmap(16, 16);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clRed);
        C->Brush()->SetStyle(R.Style);
        C->FillRect(Rect(0, 0, 16, 16));
        int Rows = 0, Columns = 0, Red = 0;
        for (int I = 0; I < 16; ++I) {
            bool Row = true, Column = true;
            for (int J = 0; J < 16; ++J) {
                Row = Row && C->Pixels(J, I) == clRed;
                Column = Column && C->Pixels(I, J) == clRed;
                Red += C->Pixels(J, I) == clRed;
            }
            Rows += Row;
            Columns += Column;
        }
        EXPECT_EQ(Rows, R.FullRows) << int(R.Style);
        EXPECT_EQ(Columns, R.FullColumns) << int(R.Style);
        EXPECT_EQ(Red, 16 * (Rows + Columns) - Rows * Columns) << "nothing but the lines";
    }
}

TEST(Canvas, PenPosFollowsLinesAndText) {
    auto B = NewCanvasBitmap(40, 20);
    TCanvas* C = B->Canvas();
    C->MoveTo(3, 4);
    EXPECT_EQ(C->PenPos(), Point(3, 4));
    C->LineTo(10, 4);
    EXPECT_EQ(C->PenPos(), Point(10, 4));
    C->TextOut(1, 2, u"ab");
    EXPECT_EQ(C->PenPos(), Point(1 + C->TextWidth(u"ab"), 2));
}

TEST(Canvas, FocusRectanglesInvertAndASecondOneRestores) {
    auto B = NewCanvasBitmap(30, 20);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clTeal);
    C->FillRect(Rect(0, 0, 15, 20));
    auto Snapshot = [&] {
        std::vector<TColor> Px;
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 30; ++X)
                Px.push_back(C->Pixels(X, Y));
        return Px;
    };
    const auto Before = Snapshot();
    C->DrawFocusRect(Rect(5, 5, 25, 15));
    ExpectPixels(C, {{6, 5, clTeal}, {24, 6, clBlack}, {23, 6, clWhite}, {24, 7, clWhite}, {10, 10, clTeal}},
                 "one focus rectangle");
    EXPECT_EQ(C->Pixels(9, 5), TColor(ColorToRGB(clTeal) ^ 0xFFFFFF));
    C->DrawFocusRect(Rect(5, 5, 25, 15));
    EXPECT_EQ(Snapshot(), Before);
}

TEST(Canvas, ClippingKeepsThePixelsOutside) {
    auto B = NewCanvasBitmap(20, 20);
    TCanvas* C = B->Canvas();
    C->IntersectClipRect(Rect(5, 5, 10, 10));
    EXPECT_EQ(C->ClipRect(), Rect(5, 5, 10, 10));
    EXPECT_EQ(C->Pixels(1, 1), CLR_INVALID) << "no pixel outside the clip";
    C->Brush()->SetColor(clRed);
    C->FillRect(Rect(0, 0, 20, 20));
    C->Font()->SetColor(clBlue);
    C->TextOut(0, 12, u"WWWW");
    C->SetPixels(1, 1, clBlue);
    C->SelectClipRect(nullptr);
    EXPECT_EQ(C->ClipRect(), Rect(0, 0, 20, 20));
    ExpectPixels(C, {{5, 5, clRed}, {9, 9, clRed}, {4, 5, clWhite}, {10, 9, clWhite}, {1, 1, clWhite}},
                 "inside the clip");
    EXPECT_TRUE(InkBox(C, Rect(0, 10, 20, 20)).IsEmpty());

    C->ExcludeClipRect(Rect(6, 6, 8, 8));
    C->Brush()->SetColor(clBlue);
    C->FillRect(Rect(0, 0, 20, 20));
    C->SelectClipRect(nullptr);
    ExpectPixels(C, {{5, 5, clBlue}, {6, 6, clRed}, {7, 7, clRed}, {8, 8, clBlue}, {0, 0, clBlue}},
                 "excluded");
}

TEST(Canvas, HugeCoordinatesCostWhatShows) {
    auto B = NewCanvasBitmap(20, 20);
    TCanvas* C = B->Canvas();
    // A line through the bitmap from far outside: only its visible pixels are walked.
    C->MoveTo(-1000000000, 10);
    C->LineTo(1000000000, 10);
    C->MoveTo(5, -2000000000);
    C->LineTo(5, 2000000000);
    ExpectPixels(C,
                 {{0, 10, clBlack}, {19, 10, clBlack}, {5, 0, clBlack}, {5, 19, clBlack}, {6, 11, clWhite}});
    // A long diagonal cut to the bitmap keeps its pixels on the diagonal.
    C->MoveTo(-100000, -100000);
    C->LineTo(100000, 100000);
    for (int I = 0; I < 20; ++I)
        EXPECT_EQ(C->Pixels(I, I), clBlack) << I;
    C->DrawFocusRect(Rect(-1000000000, 13, 1000000000, 18));
    EXPECT_NE(C->Pixels(1, 13), C->Pixels(2, 13)) << "every other pixel inverted";
    C->DrawFocusRect(Rect(-1000000000, 13, 1000000000, 18));
    ExpectPixels(C, {{1, 13, clWhite}, {2, 13, clWhite}, {1, 17, clWhite}, {2, 17, clWhite}},
                 "focus rectangle undone");

    TBitmap Big;
    EXPECT_THROW(Big.SetSize(1000000, 1000000), EInvalidGraphic);
    EXPECT_TRUE(Big.Empty());
}

TEST(Canvas, ACanvasWithoutDeviceDoesNotAllowDrawing) {
    TCanvas C;
    EXPECT_FALSE(C.HandleAllocated());
    try {
        C.FillRect(Rect(0, 0, 5, 5));
        FAIL() << "drew without a device";
    } catch (const EInvalidOperation& E) {
        EXPECT_EQ(U8(E.Message()), "Canvas does not allow drawing");
    }
    EXPECT_THROW(C.LineTo(3, 3), EInvalidOperation);
    // Measuring needs no device.
    EXPECT_GT(C.TextWidth(u"abc"), 0);
}

TEST(Canvas, EveryDrawingCallFiresChangingAndChange) {
    auto B = NewCanvasBitmap(20, 20);
    TCanvas* C = B->Canvas();
    int Changing = 0, Changed = 0, BitmapChanged = 0;
    C->OnChanging = [&](TObject*) { ++Changing; };
    C->OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, C);
        EXPECT_EQ(Changing, Changed + 1);
        ++Changed;
    };
    B->OnChange = [&](TObject*) { ++BitmapChanged; };
    C->FillRect(Rect(0, 0, 5, 5));
    C->LineTo(4, 4);
    C->TextOut(0, 0, u"x");
    C->Ellipse(0, 0, 5, 5);
    EXPECT_EQ(Changing, 4);
    EXPECT_EQ(Changed, 4);
    EXPECT_EQ(BitmapChanged, 4);
    C->MoveTo(1, 1); // moves, draws nothing
    EXPECT_EQ(Changed, 4);
}

TEST(Canvas, CopyRectCopiesBetweenCanvasesAndWithinOne) {
    auto Src = NewCanvasBitmap(10, 10);
    Src->Canvas()->Brush()->SetColor(clRed);
    Src->Canvas()->FillRect(Rect(0, 0, 5, 5));
    auto Dst = NewCanvasBitmap(20, 20);
    Dst->Canvas()->CopyRect(Rect(10, 10, 20, 20), Src->Canvas(), Rect(0, 0, 10, 10));
    ExpectPixels(Dst->Canvas(), {{10, 10, clRed}, {14, 14, clRed}, {15, 15, clWhite}, {9, 9, clWhite}},
                 "copied");

    // Scrolling within one canvas: the source is read before it is overwritten.
    TCanvas* C = Dst->Canvas();
    C->CopyRect(Rect(8, 8, 18, 18), C, Rect(10, 10, 20, 20));
    ExpectPixels(C, {{8, 8, clRed}, {12, 12, clRed}, {13, 13, clWhite}}, "scrolled");

    // Inverting copy mode.
    C->SetCopyMode(cmDstInvert);
    C->CopyRect(Rect(0, 0, 2, 2), Src->Canvas(), Rect(0, 0, 2, 2));
    ExpectPixels(C, {{0, 0, clBlack}, {2, 2, clWhite}}, "inverted");
}

TEST(Canvas, BitmapsDrawOpaqueTransparentBlendedAndStretched) {
    // A white 4 x 4 bitmap with a red middle: its transparent colour is the bottom-left white.
    TBitmap Pic(4, 4);
    Pic.Canvas()->Brush()->SetColor(clRed);
    Pic.Canvas()->FillRect(Rect(1, 1, 3, 3));
    auto Target = NewCanvasBitmap(40, 10, clBlue);
    TCanvas* C = Target->Canvas();

    C->Draw(0, 0, &Pic);
    Pic.SetTransparent(true);
    EXPECT_EQ(Pic.TransparentColor(), clWhite);
    C->Draw(10, 0, &Pic);
    C->StretchDraw(Rect(20, 0, 28, 8), &Pic);
    Pic.SetTransparent(false);
    C->Draw(30, 0, &Pic, 128);
    // clang-format off
    ExpectPixels(C,
                 {{0, 0, clWhite}, {1, 1, clRed},     // opaque
                  {10, 0, clBlue}, {11, 1, clRed},    // transparent
                  {20, 0, clBlue}, {21, 1, clBlue}, {22, 2, clRed}, {25, 5, clRed}, {26, 6, clBlue}}, // stretched
                 "drawn");
    // clang-format on
    const TColorRef Half = ColorToRGB(C->Pixels(30, 0)); // white over blue at half opacity
    EXPECT_NEAR(GetRValue(Half), 128, 2);
    EXPECT_EQ(GetBValue(Half), 255);

    // Per-pixel alpha of a 32-bit bitmap.
    TBitmap Alpha(2, 1);
    Alpha.SetPixelFormat(pf32bit);
    Alpha.SetAlphaFormat(afDefined);
    auto* Row = static_cast<Byte*>(Alpha.ScanLine(0));
    const Byte Pixels[8] = {0, 0, 255, 255, 0, 0, 255, 0}; // opaque red, then fully transparent red
    std::copy(std::begin(Pixels), std::end(Pixels), Row);
    C->Draw(0, 9, &Alpha);
    ExpectPixels(C, {{0, 9, clRed}, {1, 9, clBlue}}, "alpha");
}

TEST(Canvas, EmptyBitmapsTakeDrawingAndShowNothing) {
    TBitmap Empty;
    EXPECT_TRUE(Empty.Empty());
    Empty.Canvas()->FillRect(Rect(0, 0, 10, 10));
    Empty.Canvas()->LineTo(5, 5);
    EXPECT_TRUE(Empty.Empty());
    auto Target = NewCanvasBitmap(5, 5);
    Target->Canvas()->Draw(0, 0, &Empty);
    ExpectPixels(Target->Canvas(), {{0, 0, clWhite}});
}

TEST(Canvas, WindowOriginMovesDrawingClipsAndReading) {
    auto B = NewCanvasBitmap(20, 20);
    TCanvas* C = B->Canvas();
    EXPECT_EQ(C->WindowOrg(), (TPoint{0, 0}));
    TRect Clip{0, 0, 10, 10};
    C->SelectClipRect(&Clip);
    C->SetWindowOrg(TPoint{100, 50});
    EXPECT_EQ(C->WindowOrg(), (TPoint{100, 50}));
    // (100, 50) is drawn at the device's corner; the clip keeps its pixels and moved along.
    EXPECT_EQ(C->ClipRect(), (TRect{100, 50, 110, 60}));
    C->Brush()->SetColor(clRed);
    C->FillRect(TRect{102, 52, 130, 54});
    EXPECT_EQ(C->Pixels(103, 53), TColor(ColorToRGB(clRed)));
    C->SelectClipRect(nullptr);
    C->SetPixels(115, 65, clBlue);
    C->CopyRect(TRect{100, 60, 102, 62}, C, TRect{115, 65, 117, 67});
    C->SetWindowOrg(TPoint{0, 0});
    ExpectPixels(C, {{2, 2, clRed},
                     {9, 3, clRed},
                     {10, 3, clWhite},
                     {2, 4, clWhite},
                     {15, 15, clBlue},
                     {0, 10, clBlue},
                     {1, 10, clWhite}});
    // A negative origin moves drawing right and down.
    C->SetWindowOrg(TPoint{-5, -5});
    C->Brush()->SetColor(clLime);
    C->FillRect(TRect{0, 0, 1, 1});
    C->SetWindowOrg(TPoint{0, 0});
    ExpectPixels(C, {{5, 5, clLime}, {0, 0, clWhite}});
}
