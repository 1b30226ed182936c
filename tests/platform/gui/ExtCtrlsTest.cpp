// Panels, splitters, images, shapes, bevels and paint boxes.
#include "CommonControlsTestSupport.h"

#include "platform/gui/ExtCtrls.h"

// ---- Panels -------------------------------------------------------------------------------------------

TEST_F(TFormFixture, PanelsPaintBevelsAndCaptionAndAlignChildrenInside) {
    Form->SetColor(clWhite);
    auto* Panel = new TPanel(Form);
    Panel->SetParent(Form);
    Panel->SetBounds(10, 10, 200, 100);
    Panel->SetBevelInner(bvLowered);
    Panel->SetBevelWidth(2);
    Panel->SetBorderWidth(3);
    Panel->SetCaption(u"Caption");
    auto* Child = new TPanel(Form);
    Child->SetParent(Panel);
    Child->SetAlign(alTop);
    Child->SetHeight(20);
    Child->SetBevelOuter(bvNone);
    Child->SetColor(clYellow);
    // The border lies inside the client area, between the bevels (2 + 3 + 2 pixels).
    EXPECT_EQ(Panel->ClientRect(), Rect(0, 0, 200, 100));
    EXPECT_EQ(Child->BoundsRect(), Rect(7, 7, 193, 27));
    Form->Show();
    Pump();
    const QImage Image = Grab(Form);
    // Outer raised bevel (highlight top-left, shadow bottom-right), the border in the panel's
    // colour, the inner lowered bevel the other way round.
    EXPECT_EQ(PixelAt(Image, 10 + 50, 10 + 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(Image, 10 + 50, 10 + 99), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(Image, 10 + 50, 10 + 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(Image, 10 + 5, 10 + 50), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(Image, 10 + 194, 10 + 50), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(Image, 10 + 50, 10 + 15), clYellow);
    // The caption in the middle of what the child leaves.
    EXPECT_GT(DarkPixelsIn(Image, Rect(10 + 60, 10 + 50, 10 + 140, 10 + 70)), 10);
    EXPECT_EQ(DarkPixelsIn(Image, Rect(10 + 10, 10 + 30, 10 + 50, 10 + 90)), 0);

    // With the parent's background, the parent's colour shows instead of its own.
    Panel->SetColor(clRed);
    Panel->SetParentBackground(true);
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 10 + 50, 10 + 60), clWhite);
    // A single border is a sunken edge outside the client area; the child window moves inside it.
    Panel->SetBorderStyle(Controls::bsSingle);
    EXPECT_EQ(Panel->ClientRect(), Rect(0, 0, 196, 96));
    Pump();
    const QImage Edged = Grab(Form);
    EXPECT_EQ(PixelAt(Edged, 10 + 2 + 7, 10 + 2 + 26), clYellow); // the child's last row
    EXPECT_EQ(PixelAt(Edged, 10 + 2 + 7, 10 + 2 + 27), clWhite);  // the first below it
    EXPECT_EQ(GetEnumProp(Panel, u"BevelInner"), u"bvLowered");
    SetEnumProp(Panel, u"Alignment", u"taLeftJustify");
    EXPECT_EQ(Panel->Alignment(), taLeftJustify);
}

// ---- Splitter -----------------------------------------------------------------------------------------

namespace {

struct TSplitterCase {
    const char* Name;
    TAlign Align;
    TResizeStyle Style;
    bool AutoSnap;
    int MinWidth, MaxWidth; // the neighbour's constraints, 0 for none
    int Drag;               // pixels to the right or down
    int Expected;           // the neighbour's width (or height) after the drag
};

// The form's client area is 800 x 500; the neighbour starts at 313 (150 for top and bottom).
// clang-format off
const TSplitterCase SplitterCases[] = {
    {"Wider", alLeft, rsUpdate, true, 20, 500, 100, 413},
    {"UpToTheMaximumConstraint", alLeft, rsUpdate, true, 20, 500, 300, 500},
    {"Narrower", alLeft, rsUpdate, true, 20, 500, -250, 63},
    {"SnapsClosedAsFarAsTheMinimumConstraint", alLeft, rsUpdate, true, 20, 500, -300, 20},
    {"StopsAtMinSizeWithoutSnapping", alLeft, rsUpdate, false, 20, 500, -300, 30},
    {"SnapsToNothingWithoutConstraints", alLeft, rsUpdate, true, 0, 0, -300, 0},
    // The rest of the parent keeps MinSize: 800 - 30 - 3.
    {"LeavesMinSizeToTheRest", alLeft, rsUpdate, true, 0, 0, 1000, 767},
    {"PatternResizesOnRelease", alLeft, rsPattern, true, 20, 500, 50, 363},
    {"LineResizesOnRelease", alLeft, rsLine, true, 20, 500, -50, 263},
    {"RightNeighbourGrowsLeftwards", alRight, rsUpdate, true, 0, 0, -60, 373},
    {"BottomNeighbourGrowsUpwards", alBottom, rsUpdate, true, 0, 0, -40, 190},
    {"TopNeighbourGrowsDownwards", alTop, rsPattern, true, 0, 0, 40, 190},
};
// clang-format on

class SplitterDrag : public ::testing::TestWithParam<TSplitterCase> {};

} // namespace

TEST_P(SplitterDrag, ResizesTheNeighbourWithinItsLimits) {
    const TSplitterCase& K = GetParam();
    const bool Across = K.Align == alLeft || K.Align == alRight;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 800, 500);
    auto* Neighbour = new TPanel(&Form);
    Neighbour->SetParent(&Form);
    if (Across)
        Neighbour->SetWidth(313);
    else
        Neighbour->SetHeight(150);
    Neighbour->Constraints()->SetMinWidth(K.MinWidth);
    Neighbour->Constraints()->SetMaxWidth(K.MaxWidth);
    Neighbour->SetAlign(K.Align);
    auto* Split = new TSplitter(&Form);
    // Where a designer would leave it: beyond its neighbour.
    Split->SetBounds(Across ? 400 : 0, Across ? 0 : 300, 3, 3);
    Split->SetAlign(K.Align);
    Split->SetParent(&Form);
    Split->SetColor(clBlue);
    Split->SetResizeStyle(K.Style);
    Split->SetAutoSnap(K.AutoSnap);
    auto* Rest = new TPanel(&Form);
    Rest->SetParent(&Form);
    Rest->SetAlign(alClient);
    EXPECT_EQ(Split->Cursor(), Across ? crHSplit : crVSplit);
    int Moved = 0;
    Split->OnMoved = [&](TObject*) { ++Moved; };
    Form.Show();
    Pump();
    TMessageLog Log(Split);

    const int Start = Across ? Neighbour->Width() : Neighbour->Height();
    const TPoint From{Split->Left() + 1, Split->Top() + 1};
    const TPoint To{From.X + (Across ? K.Drag : 0), From.Y + (Across ? 0 : K.Drag)};
    SendMouse(&Form, QEvent::MouseButtonPress, From);
    DragMove(&Form, {(From.X + To.X) / 2, (From.Y + To.Y) / 2});
    DragMove(&Form, To);
    // Only rsUpdate resizes while the button is held.
    const int During = Across ? Neighbour->Width() : Neighbour->Height();
    if (K.Style == rsUpdate) {
        EXPECT_EQ(During, K.Expected);
    } else {
        EXPECT_EQ(During, Start);
        // Meanwhile a line (or a pattern) shows where the splitter will go, over the windows
        // beside it.
        const int Line = K.Expected - Start;
        const TPoint At = Across ? TPoint{Split->Left() + (K.Align == alLeft ? Line : -Line) + 1, 250}
                                 : TPoint{400, Split->Top() + (K.Align == alTop ? Line : -Line) + 1};
        const QImage Mid = Grab(&Form);
        const int Dark = DarkPixelsIn(Mid, Rect(At.X - 1, At.Y - 1, At.X + 2, At.Y + 2));
        EXPECT_GE(Dark, K.Style == rsPattern ? 4 : 9);
    }
    SendMouse(&Form, QEvent::MouseButtonRelease, To);

    EXPECT_EQ(Across ? Neighbour->Width() : Neighbour->Height(), K.Expected);
    EXPECT_GE(Moved, 1);
    // The splitter follows its neighbour and the rest fills what is left.
    switch (K.Align) {
    case alLeft:
        EXPECT_EQ(Split->Left(), K.Expected);
        EXPECT_EQ(Rest->BoundsRect(), Rect(K.Expected + 3, 0, 800, 500));
        break;
    case alRight:
        EXPECT_EQ(Split->Left(), 800 - K.Expected - 3);
        EXPECT_EQ(Rest->BoundsRect(), Rect(0, 0, 800 - K.Expected - 3, 500));
        break;
    case alTop:
        EXPECT_EQ(Split->Top(), K.Expected);
        break;
    default:
        EXPECT_EQ(Split->Top(), 500 - K.Expected - 3);
        break;
    }
    // The drag came to the splitter through its window procedure.
    EXPECT_EQ(Log.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Log.Of(WM_MOUSEMOVE).size(), 2u);
    EXPECT_EQ(Log.Of(WM_LBUTTONUP).size(), 1u);
    // No inverted line is left behind.
    EXPECT_EQ(PixelAt(Grab(&Form), Split->Left() + 1, Split->Top() + 1), clBlue);
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(ExtCtrls, SplitterDrag, ::testing::ValuesIn(SplitterCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, SplitterAsksOnCanResize) {
    auto* Left = new TPanel(Form);
    Left->SetParent(Form);
    Left->SetWidth(100);
    Left->SetAlign(alLeft);
    auto* Split = new TSplitter(Form);
    Split->SetLeft(200);
    Split->SetParent(Form);
    Split->SetResizeStyle(rsUpdate);
    std::vector<int> Asked;
    bool Accept = false;
    Split->OnCanResize = [&](TObject*, int& NewSize, bool& Ok) {
        Asked.push_back(NewSize);
        if (NewSize > 150) NewSize = 150;
        Ok = Accept;
    };
    Form->Show();
    Drag(Form, {101, 50}, {141, 50}, 2);
    EXPECT_EQ(Left->Width(), 100); // refused
    ASSERT_FALSE(Asked.empty());
    EXPECT_EQ(Asked.back(), 140);
    Accept = true;
    Drag(Form, {101, 50}, {181, 50}, 2);
    EXPECT_EQ(Left->Width(), 150); // changed by the handler
}

// ---- Image --------------------------------------------------------------------------------------------

namespace {

struct TDestCase {
    const char* Name;
    bool Stretch, Proportional, Center;
    int PictureW, PictureH;
    TRect Expected; // in a 100 x 50 image control
};

// clang-format off
const TDestCase DestCases[] = {
    {"Plain", false, false, false, 40, 20, Rect(0, 0, 40, 20)},
    {"Centred", false, false, true, 40, 20, Rect(30, 15, 70, 35)},
    {"Stretched", true, false, false, 40, 20, Rect(0, 0, 100, 50)},
    {"StretchedKeepingTheAspect", true, true, true, 40, 40, Rect(25, 0, 75, 50)},
    {"ProportionalShrinksALargePicture", false, true, false, 300, 50, Rect(0, 0, 100, 16)},
    {"ProportionalLeavesASmallOne", false, true, false, 20, 10, Rect(0, 0, 20, 10)},
};
// clang-format on

class ImageDest : public ::testing::TestWithParam<TDestCase> {};

} // namespace

TEST_P(ImageDest, PlacesThePicture) {
    const TDestCase& K = GetParam();
    TImage Image(nullptr);
    Image.SetBounds(0, 0, 100, 50);
    Image.SetStretch(K.Stretch);
    Image.SetProportional(K.Proportional);
    Image.SetCenter(K.Center);
    TBitmap B(K.PictureW, K.PictureH);
    Image.Picture()->SetGraphic(&B);
    EXPECT_EQ(Image.DestRect(), K.Expected);
}

INSTANTIATE_TEST_SUITE_P(ExtCtrls, ImageDest, ::testing::ValuesIn(DestCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, ImageShowsItsPictureAndItsCanvasDrawsIntoIt) {
    auto* Image = new TImage(Form);
    Image->SetParent(Form);
    Image->SetBounds(20, 20, 10, 10);
    Image->SetAutoSize(true);
    TBitmap Picture(40, 30);
    Picture.Canvas()->Brush()->SetColor(clRed);
    Picture.Canvas()->FillRect(Rect(0, 0, 40, 30));
    Image->Picture()->SetBitmap(&Picture);
    EXPECT_EQ(Image->BoundsRect(), Rect(20, 20, 60, 50)); // sized to the picture
    Form->Show();
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 30, 30), clRed);
    // Drawing on the canvas changes the bitmap, and the control shows it.
    Image->Canvas()->Brush()->SetColor(clLime);
    Image->Canvas()->FillRect(Rect(0, 0, 20, 30));
    Pump();
    const QImage Shown = Grab(Form);
    EXPECT_EQ(PixelAt(Shown, 30, 30), clLime);
    EXPECT_EQ(PixelAt(Shown, 50, 30), clRed);
    EXPECT_EQ(Image->Picture()->Bitmap()->Canvas()->Pixels(5, 5), clLime);
    // Transparent: the bitmap's transparent colour (its bottom-left pixel) lets the form show.
    Form->SetColor(clYellow);
    Image->Canvas()->Brush()->SetColor(clFuchsia);
    Image->Canvas()->FillRect(Rect(0, 20, 40, 30));
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 30, 45), clFuchsia);
    Image->SetTransparent(true);
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 30, 45), clYellow);
    EXPECT_EQ(PixelAt(Grab(Form), 30, 30), clLime);
    // Another kind of picture has no canvas to draw on.
    TIcon Icon;
    Image->Picture()->SetIcon(&Icon);
    EXPECT_THROW(Image->Canvas(), EInvalidOperation);
}

// ---- Shapes, bevels, paint boxes ----------------------------------------------------------------------

TEST_F(TFormFixture, ShapesBevelsAndPaintBoxesPaint) {
    Form->SetColor(clWhite);
    auto* Square = new TShape(Form);
    Square->SetParent(Form);
    Square->SetBounds(10, 10, 80, 40);
    Square->SetShape(stSquare);
    Square->Brush()->SetColor(clRed);
    auto* Circle = new TShape(Form);
    Circle->SetParent(Form);
    Circle->SetBounds(100, 10, 40, 40);
    Circle->SetShape(stCircle);
    Circle->Brush()->SetColor(clBlue);
    Circle->Pen()->SetColor(clBlue);
    auto* Bevel = new TBevel(Form);
    Bevel->SetParent(Form);
    Bevel->SetBounds(10, 60, 100, 20);
    Bevel->SetShape(bsTopLine);
    auto* Box = new TPaintBox(Form);
    Box->SetParent(Form);
    Box->SetBounds(150, 10, 30, 30);
    int Paints = 0;
    Box->OnPaint = [&](TObject* Sender) {
        ++Paints;
        TCanvas* C = static_cast<TPaintBox*>(Sender)->Canvas();
        C->Brush()->SetColor(clLime);
        C->FillRect(Rect(0, 0, 30, 30));
    };
    Form->Show();
    Pump();
    const QImage I = Grab(Form);
    // The square is centred in its 80 x 40 control: 20 pixels of nothing on either side.
    EXPECT_EQ(PixelAt(I, 10 + 15, 10 + 20), clWhite);
    EXPECT_EQ(PixelAt(I, 10 + 40, 10 + 20), clRed);
    EXPECT_EQ(PixelAt(I, 10 + 20, 10 + 20), clBlack); // its pen
    // The circle leaves its corners alone.
    EXPECT_EQ(PixelAt(I, 100 + 20, 10 + 20), clBlue);
    EXPECT_EQ(PixelAt(I, 100 + 2, 10 + 2), clWhite);
    EXPECT_EQ(PixelAt(I, 10 + 50, 60), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelAt(I, 10 + 50, 61), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(I, 165, 25), clLime);
    EXPECT_GE(Paints, 1);
    // A change of pen or brush repaints.
    Square->Brush()->SetColor(clYellow);
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 10 + 40, 10 + 20), clYellow);
}
