// Window scroll bars (SetScrollInfo and friends, the client area, WM_VSCROLL from the user's
// clicks) and the scroll bar control.
#include "StdCtrlsTestSupport.h"

#include <QThread>

namespace {

struct TScrollMsg {
    UINT Msg;
    int Code;
    int Pos16;    // the message's own (16-bit) position
    int TrackPos; // GetScrollInfo SIF_TRACKPOS while the message is handled
};

// A window with scroll bars that records the scroll messages it gets.
class TScrollingPanel : public TCustomControl {
public:
    explicit TScrollingPanel(TComponent* AOwner, Cardinal ABars) : TCustomControl(AOwner), Bars(ABars) {
        SetColor(clRed);
    }
    Cardinal Bars;
    std::vector<TScrollMsg> Scrolls;
    int Sizes = 0;
    int MouseDowns = 0;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style |= Bars;
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void Dispatch(TMessage& M) override {
        if (M.Msg == WM_VSCROLL || M.Msg == WM_HSCROLL) {
            TScrollInfo Info;
            Info.fMask = SIF_TRACKPOS;
            GetScrollInfo(WindowHandle(), M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, Info);
            Scrolls.push_back(
                {M.Msg, LOWORD(M.WParam), static_cast<std::int16_t>(HIWORD(M.WParam)), Info.nTrackPos});
            return;
        }
        if (M.Msg == WM_SIZE) ++Sizes;
        if (M.Msg == WM_LBUTTONDOWN) ++MouseDowns;
        TCustomControl::Dispatch(M);
    }
};

TScrollInfo Info(UINT Mask, int Min, int Max, UINT Page, int Pos) {
    TScrollInfo I;
    I.fMask = Mask;
    I.nMin = Min;
    I.nMax = Max;
    I.nPage = Page;
    I.nPos = Pos;
    return I;
}

struct TInfoCase {
    const char* Name;
    TScrollInfo Set;
    int Min, Max, Page, Pos; // what GetScrollInfo answers afterwards
    bool Shown;              // the bar takes room
};

const TInfoCase InfoCases[] = {
    {"RangeAndPosition", Info(SIF_RANGE | SIF_POS, 0, 100, 0, 40), 0, 100, 0, 40, true},
    {"PositionStaysWithinThePage", Info(SIF_ALL, 0, 99, 10, 95), 0, 99, 10, 90, true},
    {"PositionBelowTheRange", Info(SIF_RANGE | SIF_POS, 10, 20, 0, 3), 10, 20, 0, 10, true},
    {"ThirtyTwoBitValues", Info(SIF_ALL, 0, 1000000, 1000, 700000), 0, 1000000, 1000, 700000, true},
    // A page as large as the range leaves nothing to scroll: the bar goes...
    {"NothingToScrollHides", Info(SIF_RANGE | SIF_PAGE, 0, 9, 50, 0), 0, 9, 10, 0, false},
    // ... or stays, disabled, when asked.
    {"NothingToScrollDisables", Info(SIF_ALL | SIF_DISABLENOSCROLL, 0, 9, 10, 0), 0, 9, 10, 0, true},
};

class ScrollInfoRoundTrip : public ::testing::TestWithParam<TInfoCase> {};

} // namespace

TEST_P(ScrollInfoRoundTrip, AnswersTheValuesAsTheSystemKeepsThem) {
    const TInfoCase& C = GetParam();
    TForm Form(nullptr);
    auto* Panel = new TScrollingPanel(&Form, WS_VSCROLL);
    Panel->SetParent(&Form);
    Panel->SetBounds(0, 0, 100, 100);
    const HWND Wnd = Panel->Handle();
    const int Pos = SetScrollInfo(Wnd, SB_VERT, C.Set, true);
    EXPECT_EQ(Pos, C.Pos);
    TScrollInfo Got;
    Got.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(Wnd, SB_VERT, Got));
    EXPECT_EQ(Got.nMin, C.Min);
    EXPECT_EQ(Got.nMax, C.Max);
    EXPECT_EQ(static_cast<int>(Got.nPage), C.Page);
    EXPECT_EQ(Got.nPos, C.Pos);
    EXPECT_EQ(Got.nTrackPos, C.Pos); // no thumb is being dragged
    EXPECT_EQ(Panel->ClientWidth(), 96 - (C.Shown ? GetSystemMetrics(SM_CXVSCROLL) : 0));
}

INSTANTIATE_TEST_SUITE_P(ScrollBars, ScrollInfoRoundTrip, ::testing::ValuesIn(InfoCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST(ScrollBars, PositionAndRangeCalls) {
    TForm Form(nullptr);
    auto* Panel = new TScrollingPanel(&Form, WS_HSCROLL);
    Panel->SetParent(&Form);
    Panel->SetBounds(0, 0, 100, 100);
    const HWND Wnd = Panel->Handle();
    // A window made with the style starts with 0..100.
    int Min = -1, Max = -1;
    ASSERT_TRUE(GetScrollRange(Wnd, SB_HORZ, Min, Max));
    EXPECT_EQ(Min, 0);
    EXPECT_EQ(Max, 100);
    EXPECT_EQ(SetScrollPos(Wnd, SB_HORZ, 30, true), 0);
    EXPECT_EQ(SetScrollPos(Wnd, SB_HORZ, 300, true), 30); // answers the previous one
    EXPECT_EQ(GetScrollPos(Wnd, SB_HORZ), 100);
    // An empty range hides the bar.
    const int Height = Panel->ClientHeight();
    EXPECT_TRUE(SetScrollRange(Wnd, SB_HORZ, 5, 5, true));
    EXPECT_EQ(Panel->ClientHeight(), Height + GetSystemMetrics(SM_CYHSCROLL));
    // Calls on a handle that is not a window do nothing.
    EXPECT_EQ(GetScrollPos(0, SB_HORZ), 0);
    EXPECT_FALSE(ShowScrollBar(0, SB_VERT, true));
}

TEST_F(TFormFixture, TheClientAreaShrinksWhileABarShows) {
    auto* Panel = new TScrollingPanel(Form, WS_VSCROLL | WS_HSCROLL);
    Panel->SetParent(Form);
    Panel->SetBounds(10, 10, 200, 150);
    const int CX = GetSystemMetrics(SM_CXVSCROLL), CY = GetSystemMetrics(SM_CYHSCROLL);
    // Before and after the window exists.
    EXPECT_EQ(Panel->ClientRect(), Rect(0, 0, 196 - CX, 146 - CY));
    Form->Show();
    EXPECT_EQ(Panel->ClientRect(), Rect(0, 0, 196 - CX, 146 - CY));
    const int Sizes = Panel->Sizes;
    ASSERT_TRUE(ShowScrollBar(Panel->WindowHandle(), SB_VERT, false));
    EXPECT_EQ(Panel->ClientWidth(), 196);
    EXPECT_GT(Panel->Sizes, Sizes); // WM_SIZE told the window
    // Something to scroll shows it again.
    SetScrollInfo(Panel->WindowHandle(), SB_VERT, Info(SIF_RANGE | SIF_PAGE, 0, 50, 10, 0), true);
    EXPECT_EQ(Panel->ClientWidth(), 196 - CX);
    // A window without the style gets a bar the same way.
    auto* Plain = new TScrollingPanel(Form, 0);
    Plain->SetParent(Form);
    Plain->SetBounds(220, 10, 100, 100);
    EXPECT_EQ(Plain->ClientWidth(), 96);
    SetScrollInfo(Plain->Handle(), SB_VERT, Info(SIF_RANGE | SIF_PAGE, 0, 50, 10, 0), true);
    EXPECT_EQ(Plain->ClientWidth(), 96 - CX);
    // The bars are painted beside the client area: button face on the arrows, the corner
    // between them, the panel's red inside.
    const QImage Image = Grab(Panel);
    EXPECT_EQ(PixelAt(Image, 2 + 5, 2 + 5), ColorToRGB(clRed));
    const int BarX = 2 + 196 - CX + 3;
    EXPECT_EQ(PixelAt(Image, BarX, 2 + 8), ColorToRGB(clBtnFace));              // up arrow
    EXPECT_EQ(PixelAt(Image, 200 - 2 - 3, 150 - 2 - 3), ColorToRGB(clBtnFace)); // corner
    TTempFolder Folder;
    SaveGrab(Panel, Folder, "window-scroll-bars.png");
}

namespace {

// Where the user presses on a vertical bar of 0..100000 with a page of 10000 (client
// coordinates of a 120 x 220 panel with a sunken edge: the bar lies right of the client area).
enum TPressAt { paUpArrow, paDownArrow, paPageAbove, paPageBelow };

struct TClickCase {
    const char* Name;
    int StartPos;
    TPressAt Where;
    std::vector<int> Codes;
};

const TClickCase ClickCases[] = {
    {"UpArrow", 50000, paUpArrow, {SB_LINEUP, SB_ENDSCROLL}},
    {"DownArrow", 0, paDownArrow, {SB_LINEDOWN, SB_ENDSCROLL}},
    {"PageAboveTheThumb", 90000, paPageAbove, {SB_PAGEUP, SB_ENDSCROLL}},
    {"PageBelowTheThumb", 0, paPageBelow, {SB_PAGEDOWN, SB_ENDSCROLL}},
};

class WindowBarClicks : public ::testing::TestWithParam<TClickCase> {};

struct TBarFixture {
    TForm Form{nullptr};
    TScrollingPanel* Panel;
    TBarFixture() {
        Form.SetBounds(0, 0, 300, 300);
        Panel = new TScrollingPanel(&Form, WS_VSCROLL);
        Panel->SetParent(&Form);
        Panel->SetBounds(0, 0, 120, 220);
        Form.Show();
        SetScrollInfo(Panel->WindowHandle(), SB_VERT, Info(SIF_ALL, 0, 100000, 10000, 0), true);
    }
    int BarX() const { return Panel->ClientWidth() + 8; }
};

} // namespace

TEST_P(WindowBarClicks, SendTheScrollCodesToTheWindow) {
    const TClickCase& C = GetParam();
    TBarFixture F;
    SetScrollPos(F.Panel->WindowHandle(), SB_VERT, C.StartPos, true);
    const int H = F.Panel->ClientHeight();
    const int Y = C.Where == paUpArrow     ? 5
                  : C.Where == paDownArrow ? H - 5
                  : C.Where == paPageAbove ? 30
                                           : H - 40;
    Click(F.Panel, {F.BarX(), Y});
    std::vector<int> Codes;
    for (const TScrollMsg& M : F.Panel->Scrolls) {
        EXPECT_EQ(M.Msg, static_cast<UINT>(WM_VSCROLL));
        Codes.push_back(M.Code);
    }
    EXPECT_EQ(Codes, C.Codes);
    // The bar is not the client area: no client mouse messages.
    EXPECT_EQ(F.Panel->MouseDowns, 0);
}

INSTANTIATE_TEST_SUITE_P(ScrollBars, WindowBarClicks, ::testing::ValuesIn(ClickCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST(ScrollBars, DraggingTheThumbTracksWithThirtyTwoBitPositions) {
    TBarFixture F;
    // The thumb starts below the up arrow.
    const TPoint Start{F.BarX(), 17 + 4};
    SendMouse(F.Panel, QEvent::MouseButtonPress, Start);
    SendMouse(F.Panel, QEvent::MouseMove, {Start.X, Start.Y + 100}, Qt::LeftButton);
    SendMouse(F.Panel, QEvent::MouseButtonRelease, {Start.X, Start.Y + 100});
    const auto& S = F.Panel->Scrolls;
    ASSERT_EQ(S.size(), 4u);
    EXPECT_EQ(S[0].Code, SB_THUMBTRACK);
    EXPECT_EQ(S[0].TrackPos, 0);
    EXPECT_EQ(S[1].Code, SB_THUMBTRACK);
    EXPECT_GT(S[1].TrackPos, 50000);
    EXPECT_EQ(S[1].Pos16, static_cast<std::int16_t>(S[1].TrackPos & 0xFFFF)); // the message's 16 bits
    EXPECT_EQ(S[2].Code, SB_THUMBPOSITION);
    EXPECT_EQ(S[2].TrackPos, S[1].TrackPos);
    EXPECT_EQ(S[3].Code, SB_ENDSCROLL);
    // The window moves its bar itself; the track position is over.
    EXPECT_EQ(GetScrollPos(F.Panel->WindowHandle(), SB_VERT), 0);
}

TEST(ScrollBars, AnArrowHeldDownRepeats) {
    TBarFixture F;
    const TPoint Arrow{F.BarX(), F.Panel->ClientHeight() - 5};
    SendMouse(F.Panel, QEvent::MouseButtonPress, Arrow);
    // Held long enough for two repeats (the first comes after a pause).
    QElapsedTimer Timer;
    Timer.start();
    while (F.Panel->Scrolls.size() < 3 && Timer.elapsed() < 5000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    SendMouse(F.Panel, QEvent::MouseButtonRelease, Arrow);
    const auto& S = F.Panel->Scrolls;
    ASSERT_GE(S.size(), 3u);
    for (std::size_t I = 0; I + 1 < S.size(); ++I)
        EXPECT_EQ(S[I].Code, SB_LINEDOWN);
    EXPECT_EQ(S.back().Code, SB_ENDSCROLL);
}

TEST(ScrollBars, HorizontalBarsSendWmHScroll) {
    TForm Form(nullptr);
    auto* Panel = new TScrollingPanel(&Form, WS_HSCROLL);
    Panel->SetParent(&Form);
    Panel->SetBounds(0, 0, 200, 100);
    Form.Show();
    SetScrollInfo(Panel->WindowHandle(), SB_HORZ, Info(SIF_ALL, 0, 10, 2, 5), true);
    Click(Panel, {5, Panel->ClientHeight() + 8});
    ASSERT_EQ(Panel->Scrolls.size(), 2u);
    EXPECT_EQ(Panel->Scrolls[0].Msg, static_cast<UINT>(WM_HSCROLL));
    EXPECT_EQ(Panel->Scrolls[0].Code, SB_LINELEFT);
    // Disabled arrows take no clicks.
    EnableScrollBar(Panel->WindowHandle(), SB_HORZ, ESB_DISABLE_LEFT);
    Click(Panel, {5, Panel->ClientHeight() + 8});
    EXPECT_EQ(Panel->Scrolls.size(), 2u);
}

// ---- The scroll bar control -----------------------------------------------------------------------

namespace {

struct TScrollEventRec {
    TScrollCode Code;
    int Pos;
};

struct TBarControlFixture : TFormFixture {
    TScrollBar* Bar = nullptr;
    std::vector<TScrollEventRec> Events;
    int Changes = 0;
    void SetUp() override {
        TFormFixture::SetUp();
        Bar = new TScrollBar(Form);
        Bar->SetParent(Form);
        Bar->SetBounds(10, 10, 200, 17);
        Bar->SetParams(50, 0, 100);
        Bar->SetPageSize(10);
        Bar->SetSmallChange(2);
        Bar->SetLargeChange(20);
        Bar->OnScroll = [this](TObject*, TScrollCode Code, int& Pos) { Events.push_back({Code, Pos}); };
        Bar->OnChange = [this](TObject*) { ++Changes; };
        Form->Show();
        Bar->SetFocus();
    }
};

struct TBarKeyCase {
    const char* Name;
    int Key;
    TScrollCode Code;
    int Position;
};

const TBarKeyCase BarKeyCases[] = {
    {"Right", Qt::Key_Right, scLineDown, 52},     {"Left", Qt::Key_Left, scLineUp, 48},
    {"Down", Qt::Key_Down, scLineDown, 52},       {"PageDown", Qt::Key_PageDown, scPageDown, 70},
    {"PageUp", Qt::Key_PageUp, scPageUp, 30},     {"Home", Qt::Key_Home, scTop, 0},
    {"End", Qt::Key_End, scBottom, 100 - 10 + 1},
};

class ScrollBarKeys : public TBarControlFixture, public ::testing::WithParamInterface<TBarKeyCase> {};

} // namespace

TEST_P(ScrollBarKeys, GiveOnScrollCodesAndMoveThePosition) {
    const TBarKeyCase& C = GetParam();
    TMessageLog Log(Bar);
    PressKey(Bar, C.Key);
    ASSERT_EQ(Events.size(), 2u);
    EXPECT_EQ(Events[0].Code, C.Code);
    EXPECT_EQ(Events[0].Pos, C.Position);
    EXPECT_EQ(Events[1].Code, scEndScroll);
    EXPECT_EQ(Bar->Position(), C.Position);
    EXPECT_EQ(Changes, 1);
    // Through the window procedure: the key, then the scroll notification.
    EXPECT_EQ(Log.Of(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(Log.Of(CN_HSCROLL).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(ScrollBars, ScrollBarKeys, ::testing::ValuesIn(BarKeyCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST_F(TBarControlFixture, ClicksAndTheThumbGiveOnScrollCodes) {
    // The right arrow.
    Click(Bar, {195, 8});
    ASSERT_EQ(Events.size(), 2u);
    EXPECT_EQ(Events[0].Code, scLineDown);
    EXPECT_EQ(Bar->Position(), 52);
    // OnScroll may change where the bar goes.
    Events.clear();
    Bar->OnScroll = [this](TObject*, TScrollCode Code, int& Pos) {
        Events.push_back({Code, Pos});
        if (Code == scPageDown) Pos = 60;
    };
    Click(Bar, {170, 8}); // the page right of the thumb
    ASSERT_EQ(Events.size(), 2u);
    EXPECT_EQ(Events[0].Code, scPageDown);
    EXPECT_EQ(Bar->Position(), 60);
    // Dragging the thumb tracks and ends with the position.
    Events.clear();
    const int ThumbX = 17 + (200 - 34 - 18) * 60 / 91 + 5;
    SendMouse(Bar, QEvent::MouseButtonPress, {ThumbX, 8});
    SendMouse(Bar, QEvent::MouseMove, {ThumbX - 40, 8}, Qt::LeftButton);
    SendMouse(Bar, QEvent::MouseButtonRelease, {ThumbX - 40, 8});
    std::vector<TScrollCode> Codes;
    for (const auto& E : Events)
        Codes.push_back(E.Code);
    EXPECT_EQ(Codes, (std::vector<TScrollCode>{scTrack, scTrack, scPosition, scEndScroll}));
    EXPECT_LT(Bar->Position(), 60);
    EXPECT_EQ(Bar->Position(), Events[2].Pos);
}

TEST(ScrollBars, ControlParamsAndKind) {
    TScrollBar Bar(nullptr);
    EXPECT_THROW(Bar.SetParams(0, 10, 5), EInvalidOperation);
    Bar.SetParams(500, 0, 100);
    EXPECT_EQ(Bar.Position(), 100);
    Bar.SetBounds(0, 0, 150, 17);
    Bar.SetKind(sbVertical);
    EXPECT_EQ(Bar.Width(), 17);
    EXPECT_EQ(Bar.Height(), 150);
    EXPECT_EQ(GetPropInfo(&Bar, u"Position") != nullptr, true);
}
