// Scrolling the string tree: scroll bar messages, the wheel, offset clamping, auto-scrolling at
// the edges and wheel panning, all paced by a clock the test advances; the timed animations on
// the same clock; and right-to-left scrolling.

#include "ScreenTestSupport.h"

#include "platform/gui/ScrollBars.h"
#include "platform/gui/SynthInput.h"
#include "support/TestDriver.h"

#include <set>
#include <string>
#include <vector>

namespace {

class TScrollTree : public TLeanStringTree {
public:
    using TBaseLeanTree::Animate;
    using TBaseLeanTree::AutoScrollDirections;
    using TBaseLeanTree::BeginWheelPanning;
    using TBaseLeanTree::DoStateChange;
    using TBaseLeanTree::EndWheelPanning;
    using TBaseLeanTree::PanningCursor;
    using TBaseLeanTree::PanningWindow;
    using TBaseLeanTree::UpdateAutoScroll;
    using TBaseLeanTree::VerticalBar;
    using TLeanStringTree::TLeanStringTree;
};

// A shown 200 x 120 tree of Rows rows of 18 pixels, with a test clock.
struct TScrolling {
    TLTManualTimers Clock; // outlives the form, whose tree forgets its timers when it goes
    TForm Form{nullptr};
    TScrollTree* Tree;
    std::vector<std::pair<int, int>> Scrolls;

    explicit TScrolling(int Rows = 40) : Tree(new TScrollTree(&Form)) {
        Form.SetBounds(0, 0, 300, 200);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 120);
        Tree->SetTimerService(&Clock);
        Tree->OnGetText = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TVSTTextType, String& Text) {
            Text = u"row";
        };
        Tree->OnScroll = [this](TBaseLeanTree*, int DX, int DY) { Scrolls.push_back({DX, DY}); };
        Tree->SetRootNodeCount(static_cast<Cardinal>(Rows));
        Form.Show();
        Tree->HandleNeeded();
        Tree->UpdateScrollBars(false);
    }
    // Six columns of 250 pixels, so that the content is much wider than the window.
    void AddColumns() {
        for (int I = 0; I < 6; ++I)
            Tree->Header()->Columns()->Add()->SetWidth(250);
        Tree->Header()->SetOptions(Tree->Header()->Options() + TLTHeaderOptions{hoVisible});
        Tree->UpdateScrollBars(false);
    }
    int ClientH() const { return Tree->ClientHeight(); }
    int ClientW() const { return Tree->ClientWidth(); }
    int RangeY() const { return static_cast<int>(Tree->RangeY()); }
    int RangeX() const { return static_cast<int>(Tree->RangeX()); }
    void Scroll(UINT Msg, int Code, int Pos = 0) { Tree->Perform(Msg, MAKEWPARAM(Code, Pos), 0); }
    void PointAt(TPoint Client) {
        const TPoint P = Tree->ClientToScreen(Client);
        SetCursorPos(P.X, P.Y);
    }
};

} // namespace

TEST(TreeScroll, VerticalScrollBarCodesMoveTheOffset) {
    SCREEN_TEST();
    TScrolling S;
    const int Line = S.Tree->ScrollBarOptions()->VerticalIncrement();
    const int Bottom = S.ClientH() - S.RangeY();
    struct TCase {
        int Start;
        int Code;
        int Pos;
        int Expected;
    };
    const TCase Cases[] = {
        {0, SB_LINEDOWN, 0, -Line},
        {-100, SB_LINEUP, 0, -100 + Line},
        {0, SB_LINEUP, 0, 0},
        {0, SB_PAGEDOWN, 0, -S.ClientH()},
        {-S.ClientH() - 10, SB_PAGEUP, 0, -10},
        {-200, SB_TOP, 0, 0},
        {0, SB_BOTTOM, 0, Bottom},
        {0, SB_THUMBTRACK, 150, -150},
        {0, SB_THUMBPOSITION, 5000, Bottom},
        {-40, 9, 0, -40}, // codes past SB_ENDSCROLL do nothing
    };
    for (const TCase& C : Cases) {
        S.Tree->SetOffsetY(C.Start);
        S.Scroll(WM_VSCROLL, C.Code, C.Pos);
        EXPECT_EQ(S.Tree->OffsetY(), C.Expected) << "code " << C.Code << " from " << C.Start;
    }
    // The thumb holds the tracking state until the bar ends its scroll.
    S.Scroll(WM_VSCROLL, SB_THUMBTRACK, 30);
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsThumbTracking));
    S.Scroll(WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsThumbTracking));
    EXPECT_EQ(S.Tree->VerticalBar().Position, 30);
}

TEST(TreeScroll, HorizontalScrollBarCodesFollowTheReadingDirection) {
    SCREEN_TEST();
    TScrolling S;
    S.AddColumns();
    const int Line = S.Tree->ScrollBarOptions()->HorizontalIncrement();
    const int Page = S.ClientW();
    const int End = S.ClientW() - S.RangeX();
    ASSERT_LT(End, 0);
    struct TCase {
        TBiDiMode Mode;
        int Start;
        int Code;
        int Pos;
        int Expected;
    };
    const TCase Cases[] = {
        {bdLeftToRight, 0, SB_LINERIGHT, 0, -Line},
        {bdLeftToRight, -100, SB_LINELEFT, 0, -100 + Line},
        {bdLeftToRight, 0, SB_PAGERIGHT, 0, -Page},
        {bdLeftToRight, 0, SB_RIGHT, 0, End},
        {bdLeftToRight, End, SB_LEFT, 0, 0},
        {bdLeftToRight, 0, SB_THUMBTRACK, 70, -70},
        // Right to left the arrows are mirrored and the thumb counts from the content's left.
        {bdRightToLeft, 0, SB_LINELEFT, 0, -Line},
        {bdRightToLeft, -100, SB_LINERIGHT, 0, -100 + Line},
        {bdRightToLeft, 0, SB_PAGELEFT, 0, -Page},
        {bdRightToLeft, 0, SB_THUMBTRACK, 70, S.ClientW() + 70 - S.RangeX()},
    };
    for (const TCase& C : Cases) {
        S.Tree->SetBiDiMode(C.Mode);
        S.Tree->SetOffsetX(C.Start);
        S.Scroll(WM_HSCROLL, C.Code, C.Pos);
        EXPECT_EQ(S.Tree->OffsetX(), C.Expected) << "mode " << C.Mode << " code " << C.Code;
    }
    // The effective offset is seen from the content's left in both directions.
    S.Tree->SetBiDiMode(bdRightToLeft);
    S.Tree->SetOffsetX(0);
    EXPECT_EQ(S.Tree->EffectiveOffsetX(), S.RangeX() - S.ClientW());
    S.Scroll(WM_HSCROLL, SB_THUMBTRACK, 70);
    EXPECT_EQ(S.Tree->EffectiveOffsetX(), 70);
}

TEST(TreeScroll, ReadingDirectionReachesTheColumns) {
    SCREEN_TEST();
    TScrolling S;
    S.AddColumns();
    TLeanTreeColumns* Columns = S.Tree->Header()->Columns();
    Columns->Items(1)->SetOptions(Columns->Items(1)->Options() - TLTColumnOptions{coParentBidiMode});
    auto* Options = S.Tree->TreeOptions();
    Options->SetAutoOptions(Options->AutoOptions() + TLTAutoOptions{toAutoBidiColumnOrdering});
    struct TCase {
        TBiDiMode Mode;
        TBiDiMode Column0; // follows the tree
        TBiDiMode Column1; // keeps its own
        TColumnPosition FirstPosition;
    };
    const TColumnPosition Last = static_cast<TColumnPosition>(Columns->Count() - 1);
    for (const TCase& C : {TCase{bdRightToLeft, bdRightToLeft, bdLeftToRight, Last},
                           TCase{bdLeftToRight, bdLeftToRight, bdLeftToRight, 0}}) {
        S.Tree->SetBiDiMode(C.Mode);
        EXPECT_EQ(Columns->Items(0)->BiDiMode(), C.Column0);
        EXPECT_EQ(Columns->Items(1)->BiDiMode(), C.Column1);
        EXPECT_EQ(Columns->Items(0)->Position(), C.FirstPosition);
    }
}

TEST(TreeScroll, WheelScrollsLinesPagesOrSideways) {
    SCREEN_TEST();
    TScrolling S;
    S.AddColumns();
    const int Lines = static_cast<int>(GetWheelScrollLines());
    const int ScrollWidth = S.Tree->Header()->Columns()->GetScrollWidth();
    const int Sideways = -ScrollWidth * Lines;
    ASSERT_GT(Sideways, S.ClientW() - S.RangeX());
    struct TCase {
        TBiDiMode Mode;
        int Delta;
        TShiftState Shift;
        TPoint Expected;
    };
    const TCase Cases[] = {
        {bdLeftToRight, -120, {}, {0, -Lines * 18}},
        {bdLeftToRight, -240, {}, {0, -2 * Lines * 18}},
        {bdLeftToRight, -60, {}, {0, -Lines * 9}},
        {bdLeftToRight, 120, {}, {0, 0}},
        {bdLeftToRight, -120, {ssCtrl}, {0, -S.ClientH()}},
        {bdLeftToRight, -120, {ssShift}, {Sideways, 0}},
        {bdLeftToRight, -120, {ssShift, ssCtrl}, {-S.ClientW(), 0}},
        {bdRightToLeft, 120, {ssShift}, {Sideways, 0}},
    };
    for (const TCase& C : Cases) {
        S.Tree->SetBiDiMode(C.Mode);
        S.Tree->SetOffsetXY({0, 0});
        WheelMessage(S.Tree, {20, 20}, C.Delta, C.Shift);
        EXPECT_EQ(S.Tree->OffsetXY(), C.Expected) << "delta " << C.Delta << " mode " << C.Mode;
    }
    // A handler that takes the wheel leaves the tree where it is.
    S.Tree->SetBiDiMode(bdLeftToRight);
    S.Tree->SetOffsetXY({0, 0});
    S.Tree->OnMouseWheel = [](TObject*, TShiftState, int, TPoint, bool& Handled) { Handled = true; };
    WheelMessage(S.Tree, {20, 20}, -120);
    EXPECT_EQ(S.Tree->OffsetY(), 0);
}

TEST(TreeScroll, OffsetsStayInTheirRangeAndOnlyChangesAreReported) {
    SCREEN_TEST();
    struct TCase {
        int Rows;
        int Wanted;
        bool Bottom; // expect client height - range (only when the content is taller)
        int Expected;
    };
    const TCase Cases[] = {
        {40, 50, false, 0},
        {40, -100000, true, 0},
        {40, -60, false, -60},
        // Content lower than the window: the lower bound is positive, so 0 wins.
        {2, -10, false, 0},
        {2, 30, false, 0},
    };
    for (const TCase& C : Cases) {
        TScrolling S(C.Rows);
        S.Tree->SetOffsetY(C.Wanted);
        EXPECT_EQ(S.Tree->OffsetY(), C.Bottom ? S.ClientH() - S.RangeY() : C.Expected)
            << C.Rows << " rows, " << C.Wanted;
        EXPECT_LE(S.Tree->OffsetY(), 0);
    }
    TScrolling S;
    S.Tree->SetOffsetY(-36);
    S.Scrolls.clear();
    S.Tree->SetOffsetY(-36);
    EXPECT_TRUE(S.Scrolls.empty()) << "the same offset scrolls nothing";
    S.Tree->SetOffsetY(-54);
    EXPECT_EQ(S.Scrolls, (std::vector<std::pair<int, int>>{{0, -18}}));
}

TEST(TreeScroll, DrawSelectionAtTheEdgeScrollsAfterTheDelays) {
    SCREEN_TEST();
    TScrolling S;
    auto* Options = S.Tree->TreeOptions();
    Options->SetAutoOptions(Options->AutoOptions() + TLTAutoOptions{toAutoScroll});
    S.Tree->SetAutoScrollDelay(300);
    S.Tree->SetAutoScrollInterval(10);
    const int Line = S.Tree->ScrollBarOptions()->VerticalIncrement();
    const TPoint Edge{50, S.ClientH() - 4};
    S.PointAt(Edge);

    // Nothing scrolls without a draw selection or a drag.
    EXPECT_TRUE(S.Tree->AutoScrollDirections(Edge.X, Edge.Y).Empty());
    S.Tree->DoStateChange({tsDrawSelecting});
    // Over the tree itself the pointer first waits in the zone for the delay.
    S.Tree->UpdateAutoScroll(Edge.X, Edge.Y);
    EXPECT_TRUE(S.Tree->ScrollDirections().Empty());
    EXPECT_FALSE(S.Clock.IsRunning(S.Tree, ScrollTimer));
    S.Clock.Advance(300);
    S.Tree->UpdateAutoScroll(Edge.X, Edge.Y);
    EXPECT_EQ(S.Tree->ScrollDirections(), TScrollDirections{sdDown});
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsScrollPending));
    // Then the timer waits the delay once more, and steps by the interval.
    S.Clock.Advance(299);
    EXPECT_EQ(S.Tree->OffsetY(), 0);
    S.Clock.Advance(1);
    EXPECT_EQ(S.Tree->OffsetY(), -Line);
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsScrolling));
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsScrollPending));
    S.Clock.Advance(10);
    EXPECT_EQ(S.Tree->OffsetY(), -2 * Line);

    // Below the window the step grows with the distance.
    S.PointAt({50, S.ClientH() + 3});
    S.Clock.Advance(10);
    EXPECT_EQ(S.Tree->OffsetY(), -2 * Line - 3 * Line);

    // Back in the middle the scrolling stops.
    S.PointAt({50, 40});
    S.Tree->UpdateAutoScroll(50, 40);
    EXPECT_FALSE(S.Clock.IsRunning(S.Tree, ScrollTimer));
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsScrolling));
    const int Stopped = S.Tree->OffsetY();
    S.Clock.Advance(100);
    EXPECT_EQ(S.Tree->OffsetY(), Stopped);
}

TEST(TreeScroll, AutoScrollEndsAtTheBottom) {
    SCREEN_TEST();
    TScrolling S;
    auto* Options = S.Tree->TreeOptions();
    Options->SetAutoOptions(Options->AutoOptions() + TLTAutoOptions{toAutoScroll});
    S.Tree->SetAutoScrollDelay(0);
    S.Tree->SetAutoScrollInterval(5);
    S.Tree->DoStateChange({tsDrawSelecting});
    const TPoint Edge{50, S.ClientH() - 2};
    S.PointAt(Edge);
    S.Tree->UpdateAutoScroll(Edge.X, Edge.Y);
    ASSERT_TRUE(S.Clock.IsRunning(S.Tree, ScrollTimer));
    S.Clock.Advance(2000);
    EXPECT_EQ(S.Tree->OffsetY(), S.ClientH() - S.RangeY());
    EXPECT_FALSE(S.Clock.IsRunning(S.Tree, ScrollTimer));
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsScrolling));
}

TEST(TreeScroll, WheelPanningScrollsByTheDistanceFromThePress) {
    SCREEN_TEST();
    TScrolling S;
    const TPoint Press{60, 50};
    S.Tree->BeginWheelPanning(Press);
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelPanning));
    // Inside the dead zone nothing moves.
    S.PointAt({64, 55});
    S.Tree->UpdateAutoScroll(64, 55);
    EXPECT_TRUE(S.Tree->ScrollDirections().Empty());
    S.Clock.Advance(20);
    EXPECT_EQ(S.Tree->OffsetY(), 0);
    // 40 pixels below the press: each 20 ms tick moves by 40 - 8.
    S.PointAt({60, 90});
    S.Tree->UpdateAutoScroll(60, 90);
    EXPECT_EQ(S.Tree->ScrollDirections(), TScrollDirections{sdDown});
    S.Clock.Advance(40);
    EXPECT_EQ(S.Tree->OffsetY(), -64);
    // The wheel ends panning.
    WheelMessage(S.Tree, {60, 90}, 120);
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsWheelPanning));
    EXPECT_FALSE(S.Clock.IsRunning(S.Tree, ScrollTimer));
}

namespace {

bool Wheeling(TBaseLeanTree* Tree) {
    return Tree->TreeStates().Contains(tsWheelPanning) || Tree->TreeStates().Contains(tsWheelScrolling);
}

// The panning window's shape: inside at these points, outside at those.
void ExpectPanningShape(TWinControl* Window, std::initializer_list<TPoint> In, std::initializer_list<TPoint> Out) {
    HRGN Shape = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Window->Handle(), Shape), COMPLEXREGION);
    for (const TPoint& P : In)
        EXPECT_TRUE(PtInRegion(Shape, P.X, P.Y)) << P.X << "," << P.Y;
    for (const TPoint& P : Out)
        EXPECT_FALSE(PtInRegion(Shape, P.X, P.Y)) << P.X << "," << P.Y;
    DeleteRgn(Shape);
}

} // namespace

TEST(TreeScroll, MiddlePressPansWithAWindowAtThePressAndCursorsByDirection) {
    SCREEN_TEST();
    TScrolling S;
    S.AddColumns(); // wider and taller than the window
    const TPoint Press{60, 50};
    S.PointAt(Press);
    SynthMouse(S.Tree, smDown, Press, mbMiddle);
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelPanning));
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelScrolling));
    EXPECT_EQ(GetCapture(), S.Tree->Handle());
    // A 32 x 32 window centred on the press, round, with arrows four ways and a dot in the middle.
    TCustomControl* Window = S.Tree->PanningWindow();
    ASSERT_TRUE(Window);
    EXPECT_TRUE(IsWindowVisible(Window->Handle()));
    const TPoint Centre = S.Tree->ClientToScreen(Press);
    EXPECT_EQ(Window->BoundsRect(), Bounds(Centre.X - 16, Centre.Y - 16, 32, 32));
    ExpectPanningShape(Window, {{16, 16}, {16, 1}, {1, 16}, {30, 16}, {16, 30}}, {{0, 0}, {31, 0}, {0, 31}, {31, 31}});
    auto Picture = GrabControl(Window);
    for (const TPoint& Black : {TPoint{16, 16}, TPoint{16, 6}, TPoint{16, 26}, TPoint{6, 16}, TPoint{26, 16}})
        EXPECT_EQ(ColorToRGB(PixelOf(*Picture, Black.X, Black.Y)), ColorToRGB(clBlack)) << Black.X << "," << Black.Y;
    EXPECT_EQ(ColorToRGB(PixelOf(*Picture, 9, 9)), ColorToRGB(clWhite));

    // Released without a move: the scroll mode stays until the next click.
    SynthMouse(S.Tree, smUp, Press, mbMiddle);
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsWheelPanning));
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelScrolling));
    EXPECT_TRUE(S.Tree->PanningWindow());

    // The cursor shows the way the content moves: a dead zone of 8 pixels around the press.
    struct TWay {
        int DX, DY;
        const char16_t* Cursor;
    } const Ways[] = {
        {5, 5, u"LT_MOVEALL"}, {20, 0, u"LT_MOVEE"},  {-20, 0, u"LT_MOVEW"},   {0, -20, u"LT_MOVEN"},
        {0, 20, u"LT_MOVES"},  {20, 20, u"LT_MOVESE"}, {-20, -20, u"LT_MOVENW"}, {20, -20, u"LT_MOVENE"},
        {-20, 20, u"LT_MOVESW"}, {8, -12, u"LT_MOVEN"},
    };
    for (const TWay& W : Ways) {
        const TPoint At{Press.X + W.DX, Press.Y + W.DY};
        S.PointAt(At);
        SynthMouse(S.Tree, smMove, At);
        EXPECT_EQ(S.Tree->PanningCursor(), LeanTreeCursor(W.Cursor)) << W.DX << "," << W.DY;
        EXPECT_EQ(GetCursor(), LeanTreeCursor(W.Cursor)) << W.DX << "," << W.DY;
    }
    // Leaving the window does not stop the scroll mode's timer.
    S.Tree->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelScrolling));
    EXPECT_TRUE(S.Clock.IsRunning(S.Tree, ScrollTimer));
    // Each 20 ms the content moves by the distance beyond the dead zone: 30 - 8 down here.
    const TPoint Below{Press.X, Press.Y + 30};
    S.PointAt(Below);
    SynthMouse(S.Tree, smMove, Below);
    S.Clock.Advance(20);
    EXPECT_EQ(S.Tree->OffsetY(), -22);
    EXPECT_EQ(S.Tree->OffsetX(), 0);

    // The next click ends the mode and does nothing else.
    SynthClick(S.Tree, Below);
    EXPECT_FALSE(Wheeling(S.Tree));
    EXPECT_FALSE(S.Tree->PanningWindow());
    EXPECT_NE(GetCapture(), S.Tree->Handle());
    EXPECT_EQ(S.Tree->PanningCursor(), HCURSOR{0});
    EXPECT_EQ(GetCursor(), static_cast<HCURSOR>(crDefault));
    EXPECT_FALSE(S.Tree->FocusedNode());
    EXPECT_FALSE(S.Clock.IsRunning(S.Tree, ScrollTimer));
}

TEST(TreeScroll, PanningWithTheButtonHeldEndsOnItsRelease) {
    SCREEN_TEST();
    TScrolling S; // only taller than the window
    const TPoint Press{100, 40};
    MouseDownMessage(S.Tree, Press, mbMiddle);
    ASSERT_TRUE(S.Tree->PanningWindow());
    // Up and down only: no arrows to the sides.
    ExpectPanningShape(S.Tree->PanningWindow(), {{16, 16}, {16, 1}}, {{0, 0}});
    auto Picture = GrabControl(S.Tree->PanningWindow());
    EXPECT_EQ(ColorToRGB(PixelOf(*Picture, 16, 6)), ColorToRGB(clBlack));
    EXPECT_EQ(ColorToRGB(PixelOf(*Picture, 6, 16)), ColorToRGB(clWhite));
    MouseMessage(S.Tree, WM_MOUSEMOVE, {102, 43});
    EXPECT_EQ(S.Tree->PanningCursor(), LeanTreeCursor(u"LT_MOVENS"));
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelScrolling)); // within the drag threshold
    MouseMessage(S.Tree, WM_MOUSEMOVE, {130, 40});
    EXPECT_EQ(S.Tree->PanningCursor(), LeanTreeCursor(u"LT_MOVES")); // sideways cannot scroll
    MouseMessage(S.Tree, WM_MOUSEMOVE, {100, 10});
    EXPECT_EQ(S.Tree->PanningCursor(), LeanTreeCursor(u"LT_MOVEN"));
    EXPECT_FALSE(S.Tree->TreeStates().Contains(tsWheelScrolling));
    EXPECT_TRUE(S.Tree->TreeStates().Contains(tsWheelPanning));
    MouseUpMessage(S.Tree, {100, 10}, mbMiddle);
    EXPECT_FALSE(Wheeling(S.Tree));
    EXPECT_FALSE(S.Tree->PanningWindow());
}

TEST(TreeScroll, KeysFocusLossAndSmallContentLeaveNoPanning) {
    SCREEN_TEST();
    TScrolling S;
    // A key ends the mode.
    MouseDownMessage(S.Tree, {50, 50}, mbMiddle);
    MouseUpMessage(S.Tree, {50, 50}, mbMiddle);
    ASSERT_TRUE(Wheeling(S.Tree));
    KeyMessages(S.Tree, VK_ESCAPE);
    EXPECT_FALSE(Wheeling(S.Tree));
    EXPECT_FALSE(S.Tree->PanningWindow());
    // So does losing the focus, and a right click.
    S.Tree->SetFocus();
    MouseDownMessage(S.Tree, {50, 50}, mbMiddle);
    MouseUpMessage(S.Tree, {50, 50}, mbMiddle);
    ASSERT_TRUE(Wheeling(S.Tree));
    S.Tree->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(Wheeling(S.Tree));
    MouseDownMessage(S.Tree, {50, 50}, mbMiddle);
    MouseUpMessage(S.Tree, {50, 50}, mbMiddle);
    ClickMessages(S.Tree, {50, 50}, mbRight);
    EXPECT_FALSE(Wheeling(S.Tree));
    EXPECT_FALSE(S.Tree->PanningWindow());
    // Content that fits the window gives no panning.
    TScrolling Small(3);
    MouseDownMessage(Small.Tree, {50, 20}, mbMiddle);
    EXPECT_FALSE(Wheeling(Small.Tree));
    EXPECT_FALSE(Small.Tree->PanningWindow());
    MouseUpMessage(Small.Tree, {50, 20}, mbMiddle);
}

TEST(TreeScroll, PanningPicturesAndCursorsAreOurOwn) {
    SCREEN_TEST();
    // Cursors point from their middle; each name is made once and shared.
    const HCURSOR North = LeanTreeCursor(u"LT_MOVEN");
    ASSERT_NE(North, HCURSOR{0});
    EXPECT_EQ(LeanTreeCursor(u"LT_MOVEN"), North);
    EXPECT_EQ(LeanTreeCursor(u"LT_MOVEX"), HCURSOR{0});
    TBitmap Picture;
    TPoint Hot;
    ASSERT_TRUE(GetBitmapCursor(North, &Picture, Hot));
    EXPECT_EQ(Hot, (TPoint{16, 16}));
    ASSERT_EQ(Picture.PixelFormat(), pf32bit);
    auto Alpha = [&](int X, int Y) { return static_cast<const Byte*>(Picture.ScanLine(Y))[X * 4 + 3]; };
    EXPECT_EQ(ColorToRGB(Picture.Canvas()->Pixels(16, 6)), ColorToRGB(clBlack));
    EXPECT_EQ(Alpha(16, 6), 255);  // the arrow points up
    EXPECT_EQ(Alpha(16, 26), 0);   // and nothing points down
    EXPECT_EQ(Alpha(0, 0), 0);
    const std::u16string Names[] = {u"LT_MOVEALL", u"LT_MOVEEW", u"LT_MOVENS", u"LT_MOVENE",
                                    u"LT_MOVEE",   u"LT_MOVESE", u"LT_MOVES",  u"LT_MOVESW",
                                    u"LT_MOVEW",   u"LT_MOVENW"};
    std::set<HCURSOR> Distinct{North};
    for (const auto& Name : Names)
        Distinct.insert(LeanTreeCursor(Name));
    EXPECT_EQ(Distinct.size(), std::size(Names) + 1);
    EXPECT_TRUE(LeanTreePanningImage(u"LT_MOVEN")->Empty()); // a cursor, not a window picture
    auto Window = LeanTreePanningImage(u"LT_MOVEEW");
    EXPECT_EQ(ColorToRGB(Window->Canvas()->Pixels(0, 0)), ColorToRGB(clFuchsia));
    EXPECT_EQ(ColorToRGB(Window->Canvas()->Pixels(6, 16)), ColorToRGB(clBlack));
    EXPECT_EQ(ColorToRGB(Window->Canvas()->Pixels(16, 6)), ColorToRGB(clWhite));
}

TEST(TreeScroll, AnimationsRunOnTheTimerServiceClock) {
    SCREEN_TEST();
    struct TCase {
        Cardinal Steps;
        Cardinal Duration;
        int StopAfter; // the callback answers false from this call on (-1: never)
        int Calls;     // the final call (0, 0) included
        UInt64 Elapsed;
    };
    const TCase Cases[] = {
        {100, 200, -1, 101, 200}, // 2 ms a step
        {400, 100, -1, 101, 100}, // four steps a millisecond: larger steps
        {10, 0, -1, 0, 0},        // no duration: nothing at all
        {50, 100, 0, 2, 0},       // refused at once: still told to finish
    };
    for (const TCase& C : Cases) {
        TScrolling S(3);
        int Calls = 0;
        int LastStep = -1;
        bool Finished = false;
        S.Tree->Animate(
            C.Steps, C.Duration,
            [&](int Step, int StepSize, void*) {
                ++Calls;
                if (StepSize == 0) {
                    Finished = Step == 0;
                    return false;
                }
                EXPECT_GT(Step, LastStep);
                LastStep = Step;
                return C.StopAfter < 0 || Calls <= C.StopAfter;
            },
            nullptr);
        EXPECT_EQ(Calls, C.Calls) << C.Steps << " steps in " << C.Duration;
        EXPECT_EQ(S.Clock.Now(), C.Elapsed) << C.Steps << " steps in " << C.Duration;
        EXPECT_EQ(Finished, C.Calls > 0);
        EXPECT_FALSE(S.Tree->TreeStates().Contains(tsInAnimation));
    }

    // Expanding a node with the animated toggle slides the rows below within the duration.
    TScrolling S(3);
    PLeanNode First = S.Tree->GetFirst();
    for (int I = 0; I < 3; ++I)
        S.Tree->AddChild(First);
    S.Tree->SetAnimationDuration(150);
    S.Tree->ToggleNode(First);
    EXPECT_TRUE(S.Tree->Expanded(First));
    EXPECT_GT(S.Clock.Now(), 0u);
    EXPECT_LE(S.Clock.Now(), 150u);
}

TEST(TreeScroll, AnimatedColumnResizeTakesThirtyTwoSteps) {
    SCREEN_TEST();
    struct TCase {
        TLTHeaderOptions HeaderOn;
        TLTColumnOptions ColumnOn;
        int NewWidth;
        int Width;
        UInt64 Elapsed;
    };
    const TCase Cases[] = {
        {{}, {}, 150, 150, 32},
        {{}, {}, 20, 20, 32},
        {{}, {}, 50, 50, 0},                          // unchanged: nothing
        {{}, {}, 5, 10, 32},                          // clamped to the minimum width
        {{hoDisableAnimatedResize}, {}, 150, 150, 0}, // at once
        {{}, {coDisableAnimatedResize}, 150, 150, 0},
    };
    for (const TCase& C : Cases) {
        TScrolling S(3);
        S.AddColumns();
        TLeanTreeColumn* Column = S.Tree->Header()->Columns()->Items(0);
        Column->SetWidth(50);
        Column->SetOptions(Column->Options() + C.ColumnOn);
        S.Tree->Header()->SetOptions(S.Tree->Header()->Options() + C.HeaderOn);
        S.Tree->Header()->Columns()->AnimatedResize(0, C.NewWidth);
        EXPECT_EQ(Column->Width(), C.Width) << C.NewWidth;
        EXPECT_EQ(S.Clock.Now(), C.Elapsed) << C.NewWidth;
    }
}

TEST(TreeScroll, ScrolledPicturesMoveByTheStep) {
    SCREEN_TEST();
    TScrolling S;
    S.Tree->Font()->SetName(u"Arial");
    S.Tree->SetColor(clWhite);
    S.Tree->OnGetText = [](TBaseLeanTree* Tree, PLeanNode Node, TColumnIndex Column, TVSTTextType,
                           String& Text) {
        Text = u"row " + IntToStr(static_cast<int>(Tree->AbsoluteIndex(Node))) + u"/" + IntToStr(Column);
    };
    S.AddColumns();
    const TPoint Screen = S.Tree->ClientToScreen({0, 0});
    const TPoint Window = S.Form.ClientToScreen({S.Tree->Left(), S.Tree->Top()});
    const TRect Client = Bounds(Screen.X - Window.X, Screen.Y - Window.Y, S.ClientW(), S.ClientH());
    // Pixels of After that differ from Before moved by (DX, DY), over the client area that both show.
    auto Moved = [&](TBitmap& Before, TBitmap& After, int DX, int DY) {
        int Differ = 0;
        for (int Y = Client.Top; Y < Client.Bottom; ++Y)
            for (int X = Client.Left; X < Client.Right; ++X) {
                const int FromX = X - DX, FromY = Y - DY;
                if (FromX < Client.Left || FromX >= Client.Right || FromY < Client.Top ||
                    FromY >= Client.Bottom)
                    continue;
                Differ += After.Canvas()->Pixels(X, Y) != Before.Canvas()->Pixels(FromX, FromY);
            }
        return Differ;
    };
    TTempFolder Folder;
    auto Start = GrabTree(S.Tree);
    S.Scroll(WM_VSCROLL, SB_LINEDOWN);
    auto Down = GrabTree(S.Tree);
    S.Scroll(WM_HSCROLL, SB_LINERIGHT);
    auto Right = GrabTree(S.Tree);
    GrabToPng(Right.get(), Folder, "scrolled.png");
    const int LineY = S.Tree->ScrollBarOptions()->VerticalIncrement();
    const int LineX = S.Tree->ScrollBarOptions()->HorizontalIncrement();
    ASSERT_EQ(S.Tree->OffsetXY(), (TPoint{-LineX, -LineY}));
    EXPECT_GT(Moved(*Start, *Down, 0, 0), 0) << "the rows moved";
    EXPECT_EQ(Moved(*Start, *Down, 0, -LineY), 0);
    EXPECT_EQ(Moved(*Down, *Right, -LineX, 0), 0);
}

TEST(TreeScroll, RightToLeftRowsStartAtTheRightEdge) {
    SCREEN_TEST();
    struct TCase {
        TBiDiMode Mode;
        bool TextOnRight;
    };
    for (const TCase& C : {TCase{bdLeftToRight, false}, TCase{bdRightToLeft, true}}) {
        TTreeScreen S(240, 80);
        S.Tree->SetBiDiMode(C.Mode);
        S.Add(nullptr, {u"Sketch"});
        auto B = S.Grab();
        TTempFolder Folder;
        GrabToPng(B.get(), Folder, C.TextOnRight ? "right-to-left.png" : "left-to-right.png");
        // The row's ink (its tree line and its text) sits at the reading start.
        const TRect Ink = InkBox(B->Canvas(), {2, 2, 238, 20});
        ASSERT_FALSE(Ink.IsEmpty());
        EXPECT_EQ(Ink.Left > 120, C.TextOnRight) << Ink.Left << ".." << Ink.Right;
        EXPECT_EQ(Ink.Right > 120, C.TextOnRight) << Ink.Left << ".." << Ink.Right;
    }
}
