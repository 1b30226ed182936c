// Classic edges and frame controls, and a picture of them all to look at.
#include "support/GraphicsTestSupport.h"

#include "platform/gui/ImgList.h"

TEST(Edges, ClassicEdgesAsATable) {
    struct Row {
        const char* Name;
        Cardinal Edge, Flags;
        std::vector<TPixelCheck> Checks;
        TRect After; // the rectangle after the call
    };
    const TRect R = Rect(0, 0, 10, 10);
    // clang-format off
    const Row Rows[] = {
        {"raised",
         EDGE_RAISED,
         BF_RECT,
         {{0, 0, cl3DLight}, {0, 8, cl3DLight}, {9, 0, cl3DDkShadow}, {0, 9, cl3DDkShadow}, {9, 9, cl3DDkShadow},
          {1, 1, clBtnHighlight}, {8, 8, clBtnShadow}, {5, 5, clWhite}},
         R},
        {"sunken, adjusted, filled",
         EDGE_SUNKEN,
         BF_RECT | BF_ADJUST | BF_MIDDLE,
         {{0, 0, clBtnShadow}, {9, 9, clBtnHighlight}, {1, 1, cl3DDkShadow}, {8, 8, cl3DLight}, {5, 5, clBtnFace}},
         Rect(2, 2, 8, 8)},
        {"etched",
         EDGE_ETCHED,
         BF_RECT,
         {{0, 0, clBtnShadow}, {9, 9, clBtnHighlight}, {1, 1, clBtnHighlight}, {8, 8, clBtnShadow}},
         R},
        {"bump",
         EDGE_BUMP,
         BF_RECT,
         {{0, 0, cl3DLight}, {9, 9, cl3DDkShadow}, {1, 1, cl3DDkShadow}, {8, 8, cl3DLight}},
         R},
        {"left side only",
         EDGE_SUNKEN,
         BF_LEFT | BF_ADJUST,
         {{0, 5, clBtnShadow}, {1, 5, cl3DDkShadow}, {5, 0, clWhite}, {9, 5, clWhite}},
         Rect(2, 0, 10, 10)},
        {"flat",
         BDR_SUNKENOUTER,
         BF_RECT | BF_FLAT,
         {{0, 0, clBtnShadow}, {9, 9, clBtnShadow}, {1, 1, clWhite}},
         R},
    };
    // clang-format on
    for (const Row& Rw : Rows) {
        auto B = NewCanvasBitmap(12, 12);
        TRect Rc = R;
        EXPECT_TRUE(DrawEdge(B->Canvas(), Rc, Rw.Edge, Rw.Flags));
        for (const TPixelCheck& P : Rw.Checks)
            EXPECT_EQ(ColorText(B->Canvas()->Pixels(P.X, P.Y)), ColorText(ColorToRGB(P.Color)))
                << Rw.Name << " at (" << P.X << ", " << P.Y << ")";
        EXPECT_EQ(Rc, Rw.After) << Rw.Name;
    }
}

TEST(Edges, FrameControlsInTheClassicLook) {
    auto B = NewCanvasBitmap(100, 20, clBtnFace);
    TCanvas* C = B->Canvas();
    TRect Check = Rect(0, 0, 13, 13), Unchecked = Rect(15, 0, 28, 13), Radio = Rect(30, 0, 42, 12),
          RadioOff = Rect(45, 0, 57, 12), Push = Rect(60, 0, 75, 15), Pushed = Rect(80, 0, 95, 15);
    DrawFrameControl(C, Check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    DrawFrameControl(C, Unchecked, DFC_BUTTON, DFCS_BUTTONCHECK);
    DrawFrameControl(C, Radio, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    DrawFrameControl(C, RadioOff, DFC_BUTTON, DFCS_BUTTONRADIO);
    DrawFrameControl(C, Push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    DrawFrameControl(C, Pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    // clang-format off
    ExpectPixels(C,
                 {{0, 0, clBtnShadow}, {12, 12, clBtnHighlight}, {1, 1, cl3DDkShadow},  // box edge
                  {3, 5, clWindowText}, {9, 3, clWindowText}, {3, 3, clWindow},          // tick on white
                  {15 + 6, 6, clWindow}, {15 + 3, 5, clWindow},                         // no tick
                  {36, 6, clWindowText}, {51, 6, clWindow}, {45, 0, clBtnFace},          // radio dots
                  {60, 0, clBtnHighlight}, {74, 14, cl3DDkShadow}, {67, 7, clBtnFace},  // raised button
                  {80, 0, clBtnShadow}, {94, 14, clBtnHighlight}},                       // pushed button
                 "frame controls");
    // clang-format on
    EXPECT_EQ(Push, Rect(62, 2, 73, 13));

    // Scroll arrows: the glyph in the button text colour, embossed when inactive.
    auto A = NewCanvasBitmap(40, 16, clWhite);
    TRect Up = Rect(0, 0, 16, 16), Down = Rect(20, 0, 36, 16);
    DrawFrameControl(A->Canvas(), Up, DFC_SCROLL, DFCS_SCROLLUP);
    DrawFrameControl(A->Canvas(), Down, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE);
    const TRect UpInk = InkBox(A->Canvas(), Rect(3, 3, 13, 13), clBtnFace);
    EXPECT_FALSE(UpInk.IsEmpty());
    EXPECT_EQ(A->Canvas()->Pixels(7, UpInk.Top), clBlack) << "the tip of the up arrow";
    EXPECT_EQ(A->Canvas()->Pixels(7 + 20, 8), TColor(ColorToRGB(clBtnShadow)));
}

TEST(Edges, APictureOfTheClassicLook) {
    TTempFolder Dir;
    auto B = NewCanvasBitmap(240, 120, clBtnFace);
    TCanvas* C = B->Canvas();
    int X = 4;
    for (Cardinal Edge : {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP}) {
        TRect R = Bounds(X, 4, 40, 24);
        DrawEdge(C, R, Edge, BF_RECT);
        X += 44;
    }
    const Cardinal Buttons[][2] = {{DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED},
                                   {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE},
                                   {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED},
                                   {DFC_BUTTON, DFCS_BUTTONRADIO},
                                   {DFC_BUTTON, DFCS_BUTTONPUSH},
                                   {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED},
                                   {DFC_SCROLL, DFCS_SCROLLUP},
                                   {DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_PUSHED},
                                   {DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_INACTIVE},
                                   {DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
                                   {DFC_CAPTION, DFCS_CAPTIONCLOSE},
                                   {DFC_CAPTION, DFCS_CAPTIONMIN},
                                   {DFC_CAPTION, DFCS_CAPTIONMAX},
                                   {DFC_CAPTION, DFCS_CAPTIONRESTORE},
                                   {DFC_CAPTION, DFCS_CAPTIONHELP}};
    X = 4;
    for (const auto& Btn : Buttons) {
        TRect R = Bounds(X, 34, 14, 14);
        EXPECT_TRUE(DrawFrameControl(C, R, Btn[0], Btn[1]));
        X += 15;
    }
    C->Font()->SetName(u"Tahoma");
    C->Brush()->SetStyle(bsClear);
    TRect T = Rect(4, 54, 120, 70);
    DrawText(C, u"&File and more text", T, DT_SINGLELINE | DT_END_ELLIPSIS);
    C->Font()->SetName(u"Courier New");
    C->Font()->SetSize(10);
    C->Font()->SetColor(clNavy);
    C->TextOut(124, 54, u"int main() {}");
    C->Pen()->SetColor(clRed);
    C->Brush()->SetColor(clYellow);
    C->Ellipse(4, 74, 44, 114);
    C->RoundRect(50, 74, 100, 114, 12, 12);
    TImageList List(nullptr);
    auto S = NewCanvasBitmap(32, 16);
    S->Canvas()->Brush()->SetColor(clRed);
    S->Canvas()->Ellipse(2, 2, 14, 14);
    S->Canvas()->Brush()->SetColor(clBlue);
    S->Canvas()->Rectangle(18, 2, 30, 14);
    List.AddMasked(S.get(), clWhite);
    List.Draw(C, 110, 80, 0);
    List.Draw(C, 130, 80, 1);
    List.Draw(C, 150, 80, 0, false);
    List.Draw(C, 170, 80, 1, false);
    List.Draw(C, 190, 80, 0, dsSelected, itImage);
    const String File = GrabToPng(B.get(), Dir, "classic-look.png");
    TPicture Back;
    Back.LoadFromFile(File);
    EXPECT_EQ(Back.Width(), 240);
    EXPECT_EQ(Back.Height(), 120);
    ExpectPixels(Back.Bitmap()->Canvas(), {{4, 4, cl3DLight}, {120, 118, clBtnFace}}, "grabbed");
}
