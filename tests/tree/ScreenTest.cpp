// The string tree on the offscreen screen: rows, columns and header grabbed from the window's
// picture and probed where the layout puts each part.

#include "ScreenTestSupport.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

#include <map>
#include <memory>

namespace {

TEST(TreeScreen, StringTreeWithColumnsHeaderImagesAndChecks) {
    SCREEN_TEST();
    TTreeScreen S;
    TScreenTree& T = *S.Tree;
    T.SetImages(S.Images.get());
    T.TreeOptions()->SetMiscOptions(T.TreeOptions()->MiscOptions() + TLTMiscOptions{toCheckSupport});
    T.TreeOptions()->SetPaintOptions(T.TreeOptions()->PaintOptions() +
                                     TLTPaintOptions{toHotTrack, toPopupMode});
    TLTHeader* H = T.Header();
    TLeanTreeColumn* Name = H->Columns()->Add();
    Name->SetText(u"Name");
    Name->SetWidth(200);
    TLeanTreeColumn* Size = H->Columns()->Add();
    Size->SetText(u"Size");
    Size->SetWidth(80);
    Size->SetAlignment(taRightJustify);
    H->SetOptions(H->Options() + TLTHeaderOptions{hoVisible});
    H->SetSortColumn(0);
    H->Columns()->SetDownIndex(1);

    PLeanNode Sketches = S.Add(nullptr, {u"Sketches", u"3"});
    PLeanNode Blink = S.Add(Sketches, {u"Blink", u"12"});
    PLeanNode Fade = S.Add(Sketches, {u"Fade", u"7"});
    PLeanNode Hidden = S.Add(nullptr, {u"Hidden"});
    PLeanNode Filtered = S.Add(nullptr, {u"Filtered"});
    S.Filtered.insert(Filtered);
    PLeanNode Examples = S.Add(nullptr, {u"Examples", u"40"});
    S.Add(Examples, {u"Basics"});
    PLeanNode Libraries = S.Add(nullptr, {u"Libraries", u"9"});
    T.SetNodeVisible(Hidden, false);
    T.ValidateNode(T.RootNode(), true);
    T.SetExpanded(Sketches, true);
    S.ImageOf = {{Sketches, 0}, {Blink, 1}, {Fade, 1}, {Examples, 2}, {Libraries, 2}};
    Sketches->CheckType = ctTriStateCheckBox;
    Sketches->CheckState = csMixedNormal;
    Blink->CheckType = ctCheckBox;
    Blink->CheckState = csCheckedNormal;
    Fade->CheckType = ctCheckBox;
    Libraries->CheckType = ctRadioButton;
    Libraries->CheckState = csCheckedNormal;
    T.SetNodeSelected(Blink, true);
    T.FFocusedNode = Fade;
    T.FFocusedColumn = 0;
    T.FCurrentHotNode = Examples;

    T.Colors()->SetColor(ciHotColor, clRed);

    TTempFolder Folder;
    auto B = S.Grab();
    GrabToPng(B.get(), Folder, "string-tree.png");
    TCanvas* C = B->Canvas();
    // Header 19 pixels high, then rows of 18: Sketches, Blink, Fade, Examples, Libraries.
    const int Row[] = {19, 37, 55, 73, 91, 109};
    ExpectPixels(C, {
                        // Tree lines 9 pixels into each indent step, dotted.
                        {9, Row[1] + 1, clBtnShadow},
                        {27, Row[2] + 1, clBtnShadow},
                        {9, Row[4] + 7, clBtnShadow},
                        // The expand buttons: framed in the line colour, minus open, plus closed.
                        {5, Row[0] + 4, clBtnShadow},
                        {9, Row[0] + 8, clBlack},
                        {9, Row[0] + 6, clWhite},
                        {9, Row[3] + 6, clBlack},
                        // Node images after the check boxes, moved by the indentation.
                        {47, Row[0] + 9, clRed},
                        {65, Row[1] + 9, clLime},
                        {29, Row[3] + 9, clBlue}, // no check box: the image takes its place
                                                  // The selection behind the selected node's text only.
                        {77, Row[1] + 8, clHighlight},
                        {199, Row[1] + 8, clWhite},
                        // Below the last row: the tree's colour.
                        {100, Row[5] + 20, clWhite},
                    });
    // Check boxes inside their 16-pixel cells after the margin and indentation.
    for (int R : {Row[0], Row[1], Row[2]}) {
        const int X = R == Row[0] ? 22 : 40;
        const TRect Box = InkBox(C, TRect{X, R, X + 16, R + 18});
        EXPECT_GE(Box.Left, X) << R;
        EXPECT_LE(Box.Right, X + 16) << R;
        EXPECT_GT(Box.Width(), 8) << R;
    }
    // The checked box shows a tick, the unchecked one none: more ink.
    EXPECT_GT(CountColor(C, TRect{40, Row[1], 56, Row[1] + 18}, clBlack),
              CountColor(C, TRect{40, Row[2], 56, Row[2] + 18}, clBlack) + 4);
    // The focus rectangle of the focused node: dotted black on white around its text.
    EXPECT_GT(CountColor(C, TRect{76, Row[2], 110, Row[2] + 1}, clBlack), 5);
    // Hot node: red underlined text; other rows have no red text.
    EXPECT_GT(CountColor(C, TRect{76, Row[3], 200, Row[3] + 18}, clRed), 20);
    EXPECT_EQ(CountColor(C, TRect{76, Row[4], 200, Row[4] + 18}, clRed), 0);
    // Right-aligned numbers in the second column end a text margin before its edge.
    const TRect Twelve = InkBox(C, TRect{200, Row[1], 280, Row[1] + 18});
    EXPECT_GE(Twelve.Right, 270);
    EXPECT_LE(Twelve.Right, 276);
    // The sort glyph of the sort column: right after its caption, in the shadow colour.
    const TRect Glyph = ColorBox(C, TRect{0, 0, 200, 19}, clBtnShadow, TRect{2, 2, 198, 17});
    EXPECT_GT(Glyph.Left, 30);
    EXPECT_LT(Glyph.Right, 70);
}

} // namespace

namespace {

// A header of two columns above an empty tree, grabbed with the second column pressed or not.
std::unique_ptr<TBitmap> GrabHeader(TColumnIndex Down, bool SecondEnabled, TTempFolder* Folder = nullptr) {
    TTreeScreen S(300, 60);
    TLTHeader* H = S.Tree->Header();
    for (const char16_t* Text : {u"Name", u"Size"}) {
        TLeanTreeColumn* C = H->Columns()->Add();
        C->SetText(Text);
        C->SetWidth(120);
    }
    if (!SecondEnabled)
        H->Columns()->Items(1)->SetOptions(H->Columns()->Items(1)->Options() - TLTColumnOptions{coEnabled});
    H->SetOptions(H->Options() + TLTHeaderOptions{hoVisible});
    H->Columns()->SetDownIndex(Down);
    auto B = S.Grab();
    if (Folder) GrabToPng(B.get(), *Folder, "header.png");
    return B;
}

TEST(TreeScreen, PressedColumnMovesItsCaptionOnePixel) {
    SCREEN_TEST();
    TTempFolder Folder;
    auto Up = GrabHeader(ColumnNone, true, &Folder);
    auto Down = GrabHeader(1, true);
    const TRect Cell{120, 0, 240, 19};
    const TRect UpText = ColorBox(Up->Canvas(), Cell, clBlack, TRect{124, 3, 236, 16});
    const TRect DownText = ColorBox(Down->Canvas(), Cell, clBlack, TRect{124, 3, 236, 16});
    ASSERT_FALSE(UpText.IsEmpty());
    EXPECT_EQ(DownText.Left, UpText.Left + 1);
    EXPECT_EQ(DownText.Top, UpText.Top + 1);
    // Raised: a highlight on the top-left; pressed: no highlight there.
    ExpectPixels(Up->Canvas(), {{120, 0, clBtnHighlight}, {0, 0, clBtnHighlight}});
    EXPECT_NE(Down->Canvas()->Pixels(120, 0), TColor(ColorToRGB(clBtnHighlight)));
    ExpectPixels(Down->Canvas(), {{0, 0, clBtnHighlight}, {260, 10, clBtnFace}});
}

TEST(TreeScreen, DisabledCaptionIsEmbossed) {
    SCREEN_TEST();
    auto B = GrabHeader(ColumnNone, false);
    const TRect Cell{120, 0, 240, 19};
    const TRect Shadow = ColorBox(B->Canvas(), Cell, clBtnShadow, TRect{124, 3, 236, 17});
    const TRect Light = ColorBox(B->Canvas(), Cell, clBtnHighlight, TRect{124, 3, 236, 17});
    ASSERT_FALSE(Shadow.IsEmpty());
    EXPECT_EQ(Light.Right, Shadow.Right + 1);
    EXPECT_EQ(Light.Bottom, Shadow.Bottom + 1);
    EXPECT_EQ(CountColor(B->Canvas(), Cell, clBlack), 0);
}

TEST(TreeScreen, SortGlyphAloneIsCentredAndLongCaptionsEndInEllipsis) {
    SCREEN_TEST();
    TTreeScreen S(300, 60);
    TLTHeader* H = S.Tree->Header();
    TLeanTreeColumn* Empty = H->Columns()->Add();
    Empty->SetWidth(60);
    TLeanTreeColumn* Long = H->Columns()->Add();
    Long->SetWidth(70);
    Long->SetText(u"A caption much wider than its column");
    H->SetOptions(H->Options() + TLTHeaderOptions{hoVisible});
    H->SetSortColumn(0);
    auto B = S.Grab();
    const TRect Glyph = ColorBox(B->Canvas(), TRect{0, 0, 60, 19}, clBtnShadow, TRect{2, 2, 58, 17});
    ASSERT_FALSE(Glyph.IsEmpty());
    EXPECT_NEAR((Glyph.Left + Glyph.Right) / 2.0, 30, 1.5);
    H->SetSortColumn(1);
    B = S.Grab();
    // The caption stops before the sort glyph, which keeps its place inside the margin.
    const TRect Text = ColorBox(B->Canvas(), TRect{60, 0, 130, 19}, clBlack, TRect{60, 2, 130, 17});
    const TRect Sort = ColorBox(B->Canvas(), TRect{60, 0, 130, 19}, clBtnShadow, TRect{62, 4, 128, 15});
    ASSERT_FALSE(Sort.IsEmpty());
    EXPECT_LT(Text.Right, Sort.Left);
    EXPECT_LE(Sort.Right, 130 - 2 - Long->Margin());
}

TEST(TreeScreen, EmptyTreeShowsItsMessage) {
    SCREEN_TEST();
    TTreeScreen S(240, 80);
    S.Tree->SetEmptyListMessage(u"No sketches in this folder");
    TTempFolder Folder;
    auto B = S.Grab();
    GrabToPng(B.get(), Folder, "empty.png");
    const TRect Grey = ColorBox(B->Canvas(), TRect{0, 0, 240, 80}, clGrayText, TRect{0, 0, 240, 80});
    ASSERT_FALSE(Grey.IsEmpty());
    EXPECT_GE(Grey.Left, 2);
    EXPECT_LE(Grey.Left, 4);
    EXPECT_GE(Grey.Top, 2);
    EXPECT_LE(Grey.Top, 6);
    EXPECT_EQ(CountColor(B->Canvas(), TRect{0, 0, 240, 2}, clGrayText), 0);
    // With a node the message goes.
    S.Add(nullptr, {u"Blink"});
    B = S.Grab();
    EXPECT_EQ(CountColor(B->Canvas(), TRect{60, 0, 240, 80}, clGrayText), 0);
    EXPECT_EQ(CountColor(B->Canvas(), TRect{0, 18, 240, 80}, clGrayText), 0);
}

TEST(TreeScreen, FullRowSelectionAndGridLines) {
    SCREEN_TEST();
    struct TCase {
        Cardinal Radius;
        bool Grid;
    };
    for (const TCase& C : std::vector<TCase>{{0, false}, {5, false}, {0, true}}) {
        TTreeScreen S(200, 80);
        TScreenTree& T = *S.Tree;
        T.TreeOptions()->SetSelectionOptions({toFullRowSelect});
        TLTPaintOptions Paint{toPopupMode};
        if (C.Grid) Paint.Include(toShowHorzGridLines);
        T.TreeOptions()->SetPaintOptions(Paint);
        T.SetSelectionCurveRadius(C.Radius);
        S.Add(nullptr, {u"Blink"});
        PLeanNode Second = S.Add(nullptr, {u"Fade"});
        T.SetNodeSelected(Second, true);
        auto B = S.Grab();
        TCanvas* Cv = B->Canvas();
        // The whole row is selected, text in the selection text colour.
        ExpectPixels(Cv, {{100, 18 + 9, clHighlight}, {190, 18 + 9, clHighlight}});
        EXPECT_GT(CountColor(Cv, TRect{0, 18, 60, 36}, clHighlightText), 4);
        const bool CornerSelected = Cv->Pixels(0, 18) == TColor(ColorToRGB(clHighlight));
        EXPECT_EQ(CornerSelected, C.Radius == 0) << C.Radius;
        if (C.Grid) {
            // A dotted line along each row's last pixel row in the grid colour.
            EXPECT_GT(CountColor(Cv, TRect{0, 17, 200, 18}, clBtnFace), 50);
            EXPECT_EQ(Cv->Pixels(100, 35), TColor(ColorToRGB(clWhite)))
                << "the selection ends above the grid line";
        }
    }
}

TEST(TreeScreen, DropMarkLiesAboveOrBelowTheTargetRow) {
    SCREEN_TEST();
    struct TCase {
        TDropMode Mode;
        bool Above, Below;
    };
    for (const TCase C : {TCase{dmAbove, true, false}, TCase{dmBelow, false, true},
                          TCase{dmOnNode, false, false}, TCase{dmNowhere, false, false}}) {
        TTreeScreen S(200, 100);
        TScreenTree& T = *S.Tree;
        T.TreeOptions()->SetPaintOptions(T.TreeOptions()->PaintOptions() + TLTPaintOptions{toShowDropmark});
        T.Colors()->SetColor(ciDropMarkColor, clRed);
        S.Add(nullptr, {u"Blink"});
        PLeanNode Target = S.Add(nullptr, {u"Fade"});
        S.Add(nullptr, {u"Button"});
        T.SetDropTargetNode(Target);
        T.FLastDropMode = C.Mode;
        auto B = S.Grab();
        TCanvas* Cv = B->Canvas();
        const int FrameX = (T.Width() - T.ClientWidth()) / 2, FrameY = (T.Height() - T.ClientHeight()) / 2;
        TRect Row = T.GetDisplayRect(Target, ColumnNone, false);
        OffsetRect(Row, FrameX, FrameY);
        const TColor Red = TColor(ColorToRGB(clRed));
        // The mark spans the row across the client area.
        Row.Left = FrameX;
        Row.Right = FrameX + T.ClientWidth();
        const int Middle = (Row.Left + Row.Right) / 2;
        // A bar along the edge with a hook down (above) or up (below) at each end.
        EXPECT_EQ(Cv->Pixels(Middle, Row.Top + 1) == Red, C.Above) << int(C.Mode);
        EXPECT_EQ(Cv->Pixels(Row.Left + 3, Row.Top + 4) == Red, C.Above) << int(C.Mode);
        EXPECT_EQ(Cv->Pixels(Row.Right - 3, Row.Top + 4) == Red, C.Above) << int(C.Mode);
        EXPECT_NE(Cv->Pixels(Middle, Row.Top + 5), Red) << int(C.Mode);
        EXPECT_EQ(Cv->Pixels(Middle, Row.Bottom - 2) == Red, C.Below) << int(C.Mode);
        EXPECT_EQ(Cv->Pixels(Row.Left + 3, Row.Bottom - 6) == Red, C.Below) << int(C.Mode);
        EXPECT_EQ(Cv->Pixels(Row.Right - 3, Row.Bottom - 6) == Red, C.Below) << int(C.Mode);
        EXPECT_NE(Cv->Pixels(Middle, Row.Bottom - 7), Red) << int(C.Mode);
        // Nothing of it on the other rows.
        EXPECT_EQ(CountColor(Cv, TRect{FrameX, FrameY, FrameX + T.ClientWidth(), Row.Top}, clRed), 0);
        EXPECT_EQ(CountColor(Cv, TRect{FrameX, Row.Bottom, FrameX + T.ClientWidth(), Row.Bottom + 18}, clRed), 0);
    }
}

TEST(TreeScreen, LineStyleAndHiddenChildrensButtons) {
    SCREEN_TEST();
    static const Word Solid[8] = {};
    struct TCase {
        TLTLineStyle Style;
        bool AutoHide;
        int Asked;      // OnGetLineStyle calls
        bool SolidLine; // every pixel of the parent's vertical line inked
        bool Button;    // the second parent, whose only child is hidden, shows a button
    };
    for (const TCase C : {TCase{lsDotted, false, 0, false, true}, TCase{lsCustomStyle, false, 1, true, true},
                          TCase{lsSolid, true, 0, true, false}}) {
        TTreeScreen S(200, 120);
        TScreenTree& T = *S.Tree;
        int Asked = 0;
        T.OnGetLineStyle = [&](TBaseLeanTree*, const void*& Bits) {
            ++Asked;
            Bits = Solid;
        };
        T.Colors()->SetColor(ciTreeLineColor, clRed);
        auto* Options = T.TreeOptions();
        if (C.AutoHide) Options->SetAutoOptions(Options->AutoOptions() + TLTAutoOptions{toAutoHideButtons});
        PLeanNode Parent = S.Add(nullptr, {u"Parent"});
        S.Add(Parent, {u"One"});
        S.Add(Parent, {u"Two"});
        PLeanNode Lonely = S.Add(nullptr, {u"Lonely"});
        PLeanNode Hidden = S.Add(Lonely, {u"Hidden"});
        T.SetNodeVisible(Hidden, false);
        T.SetExpanded(Parent, true);
        T.SetLineStyle(C.Style);
        auto B = S.Grab();
        TCanvas* Cv = B->Canvas();
        const std::string What = std::to_string(int(C.Style)) + (C.AutoHide ? " auto-hide" : "");
        EXPECT_EQ(Asked, C.Asked) << What;
        // The top level's vertical line runs 9 pixels into its step, down the children's rows.
        const TRect Child = T.GetDisplayRect(T.GetFirstChild(Parent), ColumnNone, false);
        const int Inked = CountColor(Cv, TRect{9, Child.Top, 10, Child.Bottom}, clRed);
        if (C.SolidLine)
            EXPECT_EQ(Inked, Child.Height()) << What;
        else
            EXPECT_NEAR(Inked, Child.Height() / 2, 1) << What;
        // The button frame of the lonely parent, in the line colour over its first step.
        const TRect Row = T.GetDisplayRect(Lonely, ColumnNone, false);
        const int Frame = CountColor(Cv, TRect{5, Row.Top + 4, 14, Row.Bottom - 4}, clRed);
        EXPECT_EQ(Frame > 20, C.Button) << What << " " << Frame;
    }
}

TEST(TreeScreen, SunkenEdgeAndBorderRing) {
    SCREEN_TEST();
    struct TCase {
        TBorderStyle Style;
        int BorderWidth;
        int Edge; // the sunken edge's thickness
    };
    for (const TCase C : {TCase{Controls::bsSingle, 0, 2}, TCase{Controls::bsSingle, 3, 2},
                          TCase{Controls::bsNone, 3, 0}, TCase{Controls::bsNone, 0, 0}}) {
        TTreeScreen S(120, 80);
        TScreenTree& T = *S.Tree;
        T.SetBorderStyle(C.Style);
        T.SetBorderWidth(C.BorderWidth);
        T.Colors()->SetColor(ciBorderColor, clRed);
        S.Add(nullptr, {u"Blink"});
        const std::string What = std::to_string(int(C.Style)) + "/" + std::to_string(C.BorderWidth);
        const int Frame = C.Edge + C.BorderWidth;
        EXPECT_EQ(T.ClientWidth(), 120 - 2 * Frame) << What;
        auto B = S.Grab();
        TCanvas* Cv = B->Canvas();
        const TColor Red = TColor(ColorToRGB(clRed));
        // The ring lies between the edge and the client, on all four sides.
        EXPECT_EQ(CountColor(Cv, TRect{0, 0, 120, 80}, clRed), 2 * C.BorderWidth * (120 - 2 * C.Edge) +
                                                                  2 * C.BorderWidth * (80 - 2 * C.Edge - 2 * C.BorderWidth))
            << What;
        if (C.BorderWidth > 0) {
            EXPECT_EQ(Cv->Pixels(C.Edge, 40), Red) << What;
            EXPECT_EQ(Cv->Pixels(119 - C.Edge, 40), Red) << What;
            EXPECT_EQ(Cv->Pixels(60, 79 - C.Edge), Red) << What;
        }
        if (C.Edge > 0) {
            EXPECT_NE(Cv->Pixels(0, 40), Red) << What;
        }
        EXPECT_EQ(Cv->Pixels(Frame + 100, 70), TColor(ColorToRGB(clWhite))) << What;
    }
}

TEST(TreeScreen, BevelLiesBetweenTheBorderAndTheRingWithTheHeaderInside) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        bool Ctl3D;
        TBevelEdges Edges;
        bool Header;
        int Border;          // the window border: 2 sunken, 1 single line
        TRect Client;        // in window coordinates
        std::vector<std::pair<TPoint, TColor>> Probes;
    };
    const TBevelEdges All{beLeft, beTop, beRight, beBottom};
    const TCase Cases[] = {
        {"etched bevel, header", true, All, true, 2, TRect{6, 6, 114, 74},
         {{{2, 40}, clBtnShadow}, {{3, 40}, clBtnHighlight}, {{4, 40}, clRed}, {{5, 40}, clRed},
          {{117, 40}, clBtnHighlight}, {{116, 40}, clBtnShadow}, {{60, 77}, clBtnHighlight}, {{60, 5}, clRed}}},
        {"flat look without Ctl3D", false, All, false, 1, TRect{5, 5, 115, 75},
         {{{0, 40}, clWindowFrame}, {{1, 40}, clWindowFrame}, {{2, 40}, clWindow}, {{3, 40}, clRed},
          {{118, 40}, clWindowFrame}}},
        {"left edge only", true, TBevelEdges{beLeft}, false, 2, TRect{6, 4, 116, 76},
         {{{2, 40}, clBtnShadow}, {{3, 40}, clBtnHighlight}, {{4, 40}, clRed}, {{117, 40}, clRed},
          {{60, 2}, clRed}}},
    };
    // Form definitions store them by these names.
    for (const char16_t* Name : {u"BevelEdges", u"BevelInner", u"BevelKind", u"BevelOuter", u"BevelWidth",
                                 u"BorderWidth", u"Ctl3D", u"ParentCtl3D"})
        EXPECT_TRUE(IsPublishedProp(TLeanStringTree::StaticClass(), Name));
    for (const TCase& C : Cases) {
        TTreeScreen S(120, 80);
        TScreenTree& T = *S.Tree;
        T.SetBorderStyle(Controls::bsSingle);
        T.SetCtl3D(C.Ctl3D);
        T.SetBorderWidth(2);
        T.SetBevelEdges(C.Edges);
        T.SetBevelKind(bkTile);
        T.Colors()->SetColor(ciBorderColor, clRed);
        int HeaderHeight = 0;
        if (C.Header) {
            T.Header()->Columns()->Add()->SetText(u"Name");
            T.Header()->SetOptions(T.Header()->Options() + TLTHeaderOptions{hoVisible});
            HeaderHeight = T.Header()->Height();
        }
        S.Add(nullptr, {u"Blink"});
        EXPECT_EQ(T.ClientWidth(), C.Client.Width()) << C.Name;
        EXPECT_EQ(T.ClientHeight(), C.Client.Height() - HeaderHeight) << C.Name;
        // The header starts inside border, bevel and ring.
        if (C.Header) {
            EXPECT_EQ(T.HeaderRect(), (TRect{C.Client.Left, C.Client.Top, C.Client.Right, C.Client.Top + HeaderHeight}))
                << C.Name;
        }
        auto B = S.Grab();
        for (const auto& [P, Color] : C.Probes)
            EXPECT_EQ(ColorToRGB(B->Canvas()->Pixels(P.X, P.Y)), ColorToRGB(Color)) << C.Name << " at " << P.X << "," << P.Y;
        // The rows start at the client's corner.
        EXPECT_EQ(ColorToRGB(B->Canvas()->Pixels(C.Client.Left + 100, C.Client.Bottom - 2)), ColorToRGB(clWhite)) << C.Name;
    }
}

} // namespace
