// The tree's looks beyond plain rows: background pictures, blended selections and images,
// overlays and the band lines, grabbed from the offscreen window and probed.

#include "ScreenTestSupport.h"

#include <array>

namespace {

// An 8 x 8 picture of four 4 x 4 quarters: red, lime (top), blue, yellow (bottom).
std::unique_ptr<TPicture> Quarters() {
    TBitmap B(8, 8);
    const TColor Colors[4] = {clRed, clLime, clBlue, clYellow};
    for (int I = 0; I < 4; ++I) {
        B.Canvas()->Brush()->SetColor(Colors[I]);
        B.Canvas()->FillRect(Bounds(I % 2 * 4, I / 2 * 4, 4, 4));
    }
    auto P = std::make_unique<TPicture>();
    P->SetBitmap(&B);
    return P;
}

TColor Mix(TColor A, TColor B, int Factor) {
    const TColorRef X = ColorToRGB(A), Y = ColorToRGB(B);
    auto One = [&](int U, int V) { return (U * (255 - Factor) + V * Factor + 127) / 255; };
    return TColor(RGB(One(GetRValue(X), GetRValue(Y)), One(GetGValue(X), GetGValue(Y)),
                      One(GetBValue(X), GetBValue(Y))));
}

// Each channel within Tolerance of the expected colour.
void ExpectNear(TCanvas* C, int X, int Y, TColor Want, int Tolerance, const std::string& What) {
    const TColorRef Got = ColorToRGB(C->Pixels(X, Y)), W = ColorToRGB(Want);
    EXPECT_NEAR(GetRValue(Got), GetRValue(W), Tolerance) << What << " red at " << X << "," << Y;
    EXPECT_NEAR(GetGValue(Got), GetGValue(W), Tolerance) << What << " green at " << X << "," << Y;
    EXPECT_NEAR(GetBValue(Got), GetBValue(W), Tolerance) << What << " blue at " << X << "," << Y;
}

TEST(TreeLooks, BlendRectangleMixesChannelByChannel) {
    SCREEN_TEST();
    // One pixel of each bitmap: source B,G,R,A = 200,100,0,128; destination 40,80,120,255.
    auto Pixel = [](Byte B, Byte G, Byte R, Byte A) {
        auto Bitmap = std::make_unique<TBitmap>(3, 2);
        Bitmap->SetPixelFormat(pf32bit);
        for (int Y = 0; Y < 2; ++Y) {
            auto* Row = static_cast<Byte*>(Bitmap->ScanLine(Y));
            for (int X = 0; X < 3; ++X) {
                Row[4 * X] = B;
                Row[4 * X + 1] = G;
                Row[4 * X + 2] = R;
                Row[4 * X + 3] = A;
            }
        }
        return Bitmap;
    };
    struct TCase {
        int Mode, Alpha, Bias;
        std::array<int, 4> Result; // B, G, R, A of the destination pixel at (2, 1)
    };
    const TCase Cases[] = {
        {0, 0, 0, {40, 80, 120, 255}},   // nothing of the source
        {0, 255, 0, {199, 99, 0, 128}}, // S + (D - S) / 256, not exactly S
        {0, 128, 0, {120, 90, 60, 191}},
        {0, 128, 100, {220, 190, 160, 255}}, // the bias lifts and is clamped
        {0, 128, -100, {20, 0, 0, 91}},
        {1, 0, 0, {120, 90, 60, 191}},       // the source's own alpha, 128
        {2, 128, 0, {80, 85, 90, 223}},      // 128 * 128 / 256 = 64
        {3, 128, int(RGB(10, 20, 30)), {35, 50, 65, 127}}, // the colour in Bias over the destination alone
    };
    for (const TCase& C : Cases) {
        auto Source = Pixel(200, 100, 0, 128);
        auto Destination = Pixel(40, 80, 120, 255);
        // Mode 3 works on the destination at R itself.
        const TRect R = C.Mode == 3 ? TRect{2, 1, 3, 2} : TRect{0, 0, 1, 1};
        BlendRectangle(Source.get(), Destination.get(), R, TPoint{2, 1}, C.Mode, C.Alpha, C.Bias);
        const Byte* D = static_cast<const Byte*>(Destination->ScanLine(1)) + 8;
        EXPECT_EQ((std::array<int, 4>{D[0], D[1], D[2], D[3]}), C.Result) << C.Mode << " " << C.Alpha << " " << C.Bias;
        // Only the one pixel changed.
        const Byte* First = static_cast<const Byte*>(Destination->ScanLine(0));
        EXPECT_EQ((std::array<int, 4>{First[8], First[9], First[10], First[11]}), (std::array<int, 4>{40, 80, 120, 255}));
    }
    auto Source = Pixel(1, 2, 3, 4);
    auto Narrow = Pixel(1, 2, 3, 4);
    Narrow->SetPixelFormat(pf24bit);
    EXPECT_THROW(BlendRectangle(Source.get(), Narrow.get(), TRect{0, 0, 1, 1}, TPoint{}, 0, 9, 0), EAssertionFailed);
    EXPECT_THROW(BlendRectangle(nullptr, Source.get(), TRect{0, 0, 1, 1}, TPoint{}, 0, 9, 0), EAssertionFailed);
}

} // namespace

TEST(TreeLooks, BackgroundPictureTiledOrPlacedUnderRowsAndBelowThem) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        bool Static;
        int OffsetX, OffsetY;
        std::vector<TPixelCheck> Probes;
    };
    // Rows of 18 pixels; three rows end at 54, the empty area below continues the tiles.
    const std::vector<TCase> Cases = {
        {"tiled",
         false,
         0,
         0,
         {{150, 1, clLime},
          {150, 5, clYellow},
          {153, 20, clBlue},
          {161, 60, clBlue},
          {166, 58, clLime},
          {185, 42, clRed}}},
        {"tiled, moved", false, 2, 1, {{150, 0, clRed}, {150, 3, clBlue}, {148, 3, clYellow}}},
        {"static",
         true,
         100,
         20,
         {{101, 21, clRed}, {105, 25, clYellow}, {99, 21, clWhite}, {101, 29, clWhite}, {150, 1, clWhite}}},
        {"static below the rows", true, 150, 60, {{151, 61, clRed}, {155, 65, clYellow}, {149, 61, clWhite}}},
    };
    TTempFolder Folder;
    for (const TCase& C : Cases) {
        TTreeScreen S(200, 80);
        TScreenTree& T = *S.Tree;
        TLTPaintOptions Paint{toShowBackground};
        if (C.Static) Paint.Include(toStaticBackground);
        T.TreeOptions()->SetPaintOptions(Paint);
        T.SetBackground(Quarters().get());
        T.SetBackgroundOffsetX(C.OffsetX);
        T.SetBackgroundOffsetY(C.OffsetY);
        for (const char16_t* Text : {u"Blink", u"Fade", u"Serial"})
            S.Add(nullptr, {Text});
        auto B = S.Grab();
        GrabToPng(B.get(), Folder, std::string("background-") + (C.Static ? "static" : "tiled") + ".png");
        for (const TPixelCheck& P : C.Probes)
            ExpectPixels(B->Canvas(), {P}, C.Name);
    }
    // Without toShowBackground the picture is not drawn.
    TTreeScreen S(200, 80);
    S.Tree->TreeOptions()->SetPaintOptions({});
    S.Tree->SetBackground(Quarters().get());
    S.Add(nullptr, {u"Blink"});
    auto B = S.Grab();
    ExpectPixels(B->Canvas(), {{150, 1, clWhite}, {150, 60, clWhite}}, "no background option");
}

TEST(TreeLooks, BlendedSelectionMixesTheSelectionColourByTheFactor) {
    SCREEN_TEST();
    for (int Factor : {0, 128, 255}) {
        TTreeScreen S(200, 60);
        TScreenTree& T = *S.Tree;
        T.TreeOptions()->SetSelectionOptions({toFullRowSelect});
        T.TreeOptions()->SetPaintOptions({toPopupMode, toUseBlendedSelection});
        T.SetSelectionBlendFactor(static_cast<Byte>(Factor));
        S.Add(nullptr, {u"Blink"});
        T.SetNodeSelected(S.Add(nullptr, {u"Fade"}), true);
        auto B = S.Grab();
        const std::string What = "factor " + std::to_string(Factor);
        ExpectNear(B->Canvas(), 150, 18 + 9, Mix(clWhite, clHighlight, Factor), 2, What);
        ExpectNear(B->Canvas(), 0, 18, Mix(clWhite, clHighlight, Factor), 2, What + ", square corner");
        ExpectPixels(B->Canvas(), {{150, 9, clWhite}}, What + ", unselected row");
    }
}

TEST(TreeLooks, ImagesBlendWhenSelectedAndCarryTheirOverlays) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        int Overlay; // asked of OnGetImageIndex for ikOverlay
        int Slot;    // list overlay set to the mark, -1 none
        bool Selected;
        bool BlendedImages;
        bool MarkShown;
        bool Blended;
    };
    const std::vector<TCase> Cases = {
        {"plain", -1, -1, false, false, false, false},
        {"list overlay", 2, 2, false, false, true, false},
        {"overlay not set in the list", 2, -1, false, false, false, false},
        {"image number beyond the overlays", 16, -1, false, false, true, false},
        {"selected, blended", -1, -1, true, true, false, true},
        {"selected, not blended", -1, -1, true, false, false, false},
        {"selected, blended with overlay", 2, 2, true, true, true, true},
    };
    for (const TCase& C : Cases) {
        TTreeScreen S(200, 40);
        TScreenTree& T = *S.Tree;
        // Fillers up to 15, then at 16 a yellow 4 x 4 mark in the image's top-left corner.
        for (int I = S.Images->Count(); I < 16; ++I) {
            TBitmap Empty(16, 16);
            Empty.Canvas()->Brush()->SetColor(clFuchsia);
            Empty.Canvas()->FillRect(Rect(0, 0, 16, 16));
            S.Images->AddMasked(&Empty, clFuchsia);
        }
        TBitmap Mark(16, 16);
        Mark.Canvas()->Brush()->SetColor(clFuchsia);
        Mark.Canvas()->FillRect(Rect(0, 0, 16, 16));
        Mark.Canvas()->Brush()->SetColor(clYellow);
        Mark.Canvas()->FillRect(Rect(0, 0, 4, 4));
        ASSERT_EQ(S.Images->AddMasked(&Mark, clFuchsia), 16);
        if (C.Slot >= 0) S.Images->Overlay(16, C.Slot);
        T.SetImages(S.Images.get());
        TLTPaintOptions Paint{toGhostedIfUnfocused};
        if (C.BlendedImages) Paint.Include(toUseBlendedImages);
        T.TreeOptions()->SetPaintOptions(Paint);
        PLeanNode Node = S.Add(nullptr, {u"Blink"});
        S.ImageOf[Node] = 0;
        const int Overlay = C.Overlay;
        T.OnGetImageIndex = [&S, Overlay](TBaseLeanTree*, PLeanNode N, TLTImageKind Kind, TColumnIndex, bool&,
                                          int& Index) {
            if (Kind == ikOverlay)
                Index = Overlay;
            else if (S.ImageOf.count(N))
                Index = S.ImageOf[N];
        };
        if (C.Selected) T.SetNodeSelected(Node, true);
        auto B = S.Grab();
        TCanvas* Cv = B->Canvas();
        // Without lines and buttons the image sits a margin from the left, centred in the row.
        const int X = 4, Y = 1;
        const TColor Corner = !C.MarkShown ? clWhite : C.Blended ? Mix(clYellow, clHighlight, 128) : clYellow;
        ExpectNear(Cv, X + 1, Y + 1, Corner, 2, C.Name);
        const TColor Centre = C.Blended ? Mix(clRed, clHighlight, 128) : clRed;
        ExpectNear(Cv, X + 8, Y + 8, Centre, 2, C.Name);
    }
}

TEST(TreeLooks, BandLinesFollowTheGridInsteadOfTreeLines) {
    SCREEN_TEST();
    TTempFolder Folder;
    for (TLTLineMode Mode : {lmNormal, lmBands}) {
        TTreeScreen S(200, 80);
        TScreenTree& T = *S.Tree;
        T.TreeOptions()->SetPaintOptions({toShowRoot, toShowTreeLines, toShowHorzGridLines});
        T.SetLineMode(Mode);
        T.Colors()->SetColor(ciGridLineColor, clRed);
        T.Colors()->SetColor(ciTreeLineColor, clBlue);
        PLeanNode Parent = S.Add(nullptr, {u"Sketches"});
        S.Add(Parent, {u"Blink"});
        T.SetExpanded(Parent, true);
        auto B = S.Grab();
        GrabToPng(B.get(), Folder, Mode == lmBands ? "bands.png" : "lines.png");
        TCanvas* C = B->Canvas();
        const std::string What = Mode == lmBands ? "bands" : "lines";
        if (Mode == lmBands) {
            // Bands: the expanded parent's step and the child's two steps have their leading
            // edge ruled; the child's steps close with a line along the row's bottom.
            EXPECT_GE(CountColor(C, TRect{0, 0, 1, 17}, clRed), 7) << What;
            EXPECT_GE(CountColor(C, TRect{18, 18, 19, 35}, clRed), 7) << What;
            EXPECT_GE(CountColor(C, TRect{0, 34, 36, 35}, clRed), 14) << What;
            EXPECT_EQ(CountColor(C, TRect{0, 0, 200, 36}, clBlue), 0) << "no tree lines";
            // The grid line of the child's row starts after its indentation.
            EXPECT_EQ(CountColor(C, TRect{0, 35, 36, 36}, clRed), 0) << What;
            EXPECT_GE(CountColor(C, TRect{40, 35, 200, 36}, clRed), 60) << What;
        } else {
            EXPECT_EQ(CountColor(C, TRect{0, 0, 1, 36}, clRed), 0) << What;
            EXPECT_GE(CountColor(C, TRect{0, 0, 36, 36}, clBlue), 8) << What;
            EXPECT_GE(CountColor(C, TRect{0, 17, 200, 18}, clRed), 80) << What;
        }
    }
}

TEST(TreeLooks, UnbufferedPaintingDrawsWhatTheRowBufferDraws) {
    SCREEN_TEST();
    TTreeScreen S(200, 120);
    TScreenTree& T = *S.Tree;
    T.SetImages(S.Images.get());
    T.TreeOptions()->SetPaintOptions(
        {toShowRoot, toShowTreeLines, toShowButtons, toShowHorzGridLines, toShowVertGridLines, toPopupMode});
    TLeanTreeColumn* Name = T.Header()->Columns()->Add();
    Name->SetWidth(110);
    TLeanTreeColumn* Size = T.Header()->Columns()->Add();
    Size->SetWidth(60);
    Size->SetColor(clYellow);
    PLeanNode Sketches = S.Add(nullptr, {u"Sketches", u"3"});
    PLeanNode Blink = S.Add(Sketches, {u"Blink", u"12"});
    S.Add(Sketches, {u"Fade", u"7"});
    S.Add(nullptr, {u"Libraries", u"9"});
    T.SetExpanded(Sketches, true);
    S.ImageOf = {{Sketches, 0}, {Blink, 1}};
    T.SetNodeSelected(Blink, true);

    // From the middle of the first row to below the last, onto (10, 5) of the target.
    const TRect Window{0, 9, 190, 100};
    const TPoint Target{10, 5};
    const TLTInternalPaintOptions Options{poBackground, poColumnColor, poDrawFocusRect, poDrawSelection,
                                          poGridLines};
    auto Buffered = NewCanvasBitmap(230, 130, clBlack);
    auto Direct = NewCanvasBitmap(230, 130, clBlack);
    T.PaintTree(Buffered->Canvas(), Window, Target, Options);
    T.PaintTree(Direct->Canvas(), Window, Target, Options + TLTInternalPaintOptions{poUnbuffered});
    TTempFolder Folder;
    GrabToPng(Direct.get(), Folder, "unbuffered.png");
    int Differences = 0;
    for (int Y = 0; Y < 130; ++Y)
        for (int X = 0; X < 230; ++X)
            Differences += Buffered->Canvas()->Pixels(X, Y) != Direct->Canvas()->Pixels(X, Y);
    EXPECT_EQ(Differences, 0);
    // The window lands at the target: the second column's colour, nothing right of or below it.
    TCanvas* C = Direct->Canvas();
    ExpectPixels(
        C, {{10 + 150, 5 + 30, clYellow}, {10 + 190, 50, clBlack}, {100, 5 + 91, clBlack}, {5, 50, clBlack}});
    EXPECT_EQ(C->WindowOrg(), (TPoint{0, 0})) << "the target's origin is given back";
    EXPECT_GT(CountColor(C, TRect{10, 5, 200, 96}, clHighlight), 20) << "the selected row";
}
