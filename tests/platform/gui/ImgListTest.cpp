// Image lists: adding strips and masks, drawing normal, selected, disabled, change links.
#include "support/GraphicsTestSupport.h"

#include "platform/gui/ImgList.h"

namespace {

// A strip of three 16 x 16 images on white: a red, a green and a black 8 x 8 square each.
std::unique_ptr<TBitmap> Strip() {
    auto B = NewCanvasBitmap(48, 16);
    const TColor Colors[3] = {clRed, clLime, clBlack};
    for (int I = 0; I < 3; ++I) {
        B->Canvas()->Brush()->SetColor(Colors[I]);
        B->Canvas()->FillRect(Bounds(I * 16 + 4, 4, 8, 8));
    }
    return B;
}

} // namespace

TEST(ImageList, StripsSplitIntoImagesAndDrawWithTheirMask) {
    TImageList List(nullptr);
    EXPECT_EQ(List.Width(), 16);
    EXPECT_EQ(List.Height(), 16);
    auto S = Strip();
    EXPECT_EQ(List.AddMasked(S.get(), clWhite), 0);
    EXPECT_EQ(List.Count(), 3);
    EXPECT_EQ(List.AddMasked(S.get(), clDefault), 3); // the bottom-left pixel: white
    EXPECT_EQ(List.Count(), 6);

    auto Target = NewCanvasBitmap(40, 20, clYellow);
    List.Draw(Target->Canvas(), 0, 0, 1);
    List.Draw(Target->Canvas(), 20, 0, 5);
    List.Draw(Target->Canvas(), 0, 0, 99); // outside the list: nothing
    ExpectPixels(Target->Canvas(), {{8, 8, clLime}, {1, 1, clYellow}, {28, 8, clBlack}, {21, 1, clYellow}});

    // Unmasked: the whole rectangle; with a background colour behind the transparent parts.
    List.Add(S.get(), nullptr);
    EXPECT_EQ(List.Count(), 9);
    List.Draw(Target->Canvas(), 0, 0, 6);
    ExpectPixels(Target->Canvas(), {{1, 1, clWhite}, {8, 8, clRed}}, "opaque image");
    List.SetBkColor(clBlue);
    List.Draw(Target->Canvas(), 0, 0, 1);
    ExpectPixels(Target->Canvas(), {{1, 1, clBlue}, {8, 8, clLime}}, "background colour");

    // A mask bitmap: white is transparent.
    auto Mask = NewCanvasBitmap(16, 16, clBlack);
    Mask->Canvas()->Brush()->SetColor(clWhite);
    Mask->Canvas()->FillRect(Rect(0, 0, 16, 8));
    TImageList Masked(nullptr);
    TBitmap Red(16, 16);
    Red.Canvas()->Brush()->SetColor(clRed);
    Red.Canvas()->FillRect(Rect(0, 0, 16, 16));
    Masked.Add(&Red, Mask.get());
    auto T2 = NewCanvasBitmap(16, 16, clYellow);
    Masked.Draw(T2->Canvas(), 0, 0, 0);
    ExpectPixels(T2->Canvas(), {{5, 2, clYellow}, {5, 12, clRed}}, "mask bitmap");
    Masked.Draw(T2->Canvas(), 0, 0, 0, dsNormal, itMask);
    ExpectPixels(T2->Canvas(), {{5, 2, clWhite}, {5, 12, clBlack}}, "drawn as mask");
}

TEST(ImageList, SelectedFocusedAndDisabledLooks) {
    TImageList List(nullptr);
    auto S = Strip();
    List.AddMasked(S.get(), clWhite);
    auto Target = NewCanvasBitmap(60, 20, clBtnFace);
    TCanvas* C = Target->Canvas();
    List.Draw(C, 0, 0, 0, dsSelected, itImage);
    List.Draw(C, 20, 0, 0, dsFocus, itImage);
    List.Draw(C, 40, 0, 2, false); // the black square, disabled
    const TColorRef Hl = ColorToRGB(clHighlight);
    const TColorRef Sel = ColorToRGB(C->Pixels(8, 8));
    EXPECT_NEAR(GetRValue(Sel), (255 + GetRValue(Hl)) / 2, 2);
    EXPECT_NEAR(GetGValue(Sel), (0 + GetGValue(Hl)) / 2, 2);
    EXPECT_NEAR(GetBValue(Sel), (0 + GetBValue(Hl)) / 2, 2);
    const TColorRef Foc = ColorToRGB(C->Pixels(28, 8));
    EXPECT_NEAR(GetRValue(Foc), (255 * 3 + GetRValue(Hl)) / 4, 2);
    // Disabled: the square in the shadow colour, its highlight one pixel down and right.
    ExpectPixels(C,
                 {{1, 1, clBtnFace},
                  {48, 8, clBtnShadow},
                  {44, 4, clBtnShadow},
                  {52, 12, clBtnHighlight},
                  {52, 5, clBtnHighlight},
                  {53, 13, clBtnFace},
                  {41, 1, clBtnFace}},
                 "looks");
}

TEST(ImageList, EditingAndChangeLinks) {
    int Notified = 0;
    TChangeLink* Dangling = nullptr;
    {
        TImageList List(nullptr);
        TChangeLink Link;
        Link.OnChange = [&](TObject* Sender) {
            EXPECT_EQ(Sender, &List);
            ++Notified;
        };
        List.RegisterChanges(&Link);
        EXPECT_EQ(Link.Sender(), &List);
        auto S = Strip();
        List.AddMasked(S.get(), clWhite); // 1
        List.Move(0, 2);                  // 2: green, black, red
        List.Delete(0);                   // 3: black, red
        EXPECT_EQ(List.Count(), 2);
        TBitmap Out;
        ASSERT_TRUE(List.GetBitmap(1, &Out));
        ExpectPixels(Out.Canvas(), {{8, 8, clRed}, {0, 0, clWhite}}, "GetBitmap");
        EXPECT_FALSE(List.GetBitmap(2, &Out));
        EXPECT_THROW(List.Delete(5), EInvalidOperation);
        List.BeginUpdate();
        List.Clear();
        List.AddMasked(S.get(), clWhite);
        List.EndUpdate(); // 4: one notification for the batch
        EXPECT_EQ(Notified, 4);
        List.SetWidth(8); // 5: a new size clears
        EXPECT_EQ(List.Count(), 0);
        auto* Heap = new TChangeLink;
        List.RegisterChanges(Heap);
        Dangling = Heap;
    } // the list goes first: its links forget it
    EXPECT_EQ(Dangling->Sender(), nullptr);
    delete Dangling;
    EXPECT_EQ(Notified, 5);
}

TEST(ImageList, LoadsAStripFileAndPublishesItsSettings) {
    TTempFolder Dir;
    auto S = Strip();
    TPngImage Png;
    Png.Assign(S.get());
    Png.SaveToFile(Dir / "strip.png");
    TImageList List(nullptr);
    EXPECT_TRUE(List.FileLoad(rtBitmap, Dir / "strip.png", clWhite));
    EXPECT_EQ(List.Count(), 3);
    EXPECT_FALSE(List.FileLoad(rtBitmap, Dir / "missing.png", clWhite));

    EXPECT_NE(GetPropInfo(TImageList::StaticClass(), u"DrawingStyle"), nullptr);
    SetEnumProp(&List, u"DrawingStyle", u"dsSelected");
    EXPECT_EQ(List.DrawingStyle(), dsSelected);
    EXPECT_EQ(GetClass(u"TImageList"), TImageList::StaticClass());
}

TEST(ImageList, OverlaysDrawOverTheirImageAndFollowEdits) {
    TImageList List(nullptr);
    // 0 red, 1 green, 2 black; 8 x 8 squares at (4, 4) on transparent white.
    auto S = Strip();
    List.AddMasked(S.get(), clWhite);
    // A 4 x 4 blue corner mark as image 3.
    auto Mark = NewCanvasBitmap(16, 16);
    Mark->Canvas()->Brush()->SetColor(clBlue);
    Mark->Canvas()->FillRect(Bounds(0, 0, 4, 4));
    List.AddMasked(Mark.get(), clWhite);

    EXPECT_TRUE(List.Overlay(3, 0));
    EXPECT_FALSE(List.Overlay(9, 1)) << "image outside the list";
    EXPECT_FALSE(List.Overlay(3, 15)) << "overlay number outside 0..14";
    EXPECT_FALSE(List.Overlay(3, -1));
    EXPECT_EQ(List.OverlayImage(0), 3);
    EXPECT_EQ(List.OverlayImage(1), -1);
    EXPECT_EQ(List.OverlayImage(15), -1);

    auto Target = NewCanvasBitmap(40, 20, clYellow);
    List.DrawOverlay(Target->Canvas(), 0, 0, 0, 0, dsTransparent, itImage);
    List.DrawOverlay(Target->Canvas(), 20, 0, 1, 1, dsTransparent, itImage); // overlay 1 unset
    ExpectPixels(Target->Canvas(),
                 {{8, 8, clRed}, {1, 1, clBlue}, {5, 5, clRed}, {28, 8, clLime}, {21, 1, clYellow}});

    // Blended half and half with a colour given for this drawing only.
    auto Blended = NewCanvasBitmap(20, 20, clYellow);
    List.DrawBlended(Blended->Canvas(), 0, 0, 0, clBlue);
    ExpectPixels(Blended->Canvas(), {{8, 8, TColor(RGB(127, 0, 127))}, {1, 1, clYellow}});
    EXPECT_EQ(List.BlendColor(), clNone);

    // The overlay follows its image through moves and deletions and goes with it.
    List.Move(3, 1);
    EXPECT_EQ(List.OverlayImage(0), 1);
    List.Delete(0);
    EXPECT_EQ(List.OverlayImage(0), 0);
    TImageList Copy(nullptr);
    Copy.Assign(&List);
    EXPECT_EQ(Copy.OverlayImage(0), 0);
    List.Delete(0);
    EXPECT_EQ(List.OverlayImage(0), -1);
    List.Overlay(0, 2);
    List.Clear();
    EXPECT_EQ(List.OverlayImage(2), -1);
}
