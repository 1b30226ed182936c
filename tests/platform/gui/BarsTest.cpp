// Status bars, progress bars and track bars.
#include "CommonControlsTestSupport.h"

#include "platform/gui/ComCtrls.h"

#include <QElapsedTimer>

// ---- Status bar ---------------------------------------------------------------------------------------

TEST_F(TFormFixture, StatusBarPanelsShowTheirTextsAndOwnerDrawnPanels) {
    auto* Bar = new TStatusBar(Form);
    Bar->SetParent(Form);
    const std::pair<const char16_t*, TStatusPanelStyle> Specs[] = {
        {u"  12:  3 ", psText}, {u"", psOwnerDraw}, {u"Insert", psText}};
    for (const auto& [Text, Style] : Specs) {
        TStatusPanel* P = Bar->Panels()->Add();
        P->SetText(Text);
        P->SetStyle(Style);
    }
    std::vector<std::pair<int, TRect>> Drawn;
    Bar->OnDrawPanel = [&](TStatusBar* Sender, TStatusPanel* Panel, const TRect& R) {
        Drawn.push_back({Panel->Index(), R});
        Sender->Canvas()->Brush()->SetColor(clRed);
        Sender->Canvas()->FillRect(R);
    };
    // At the bottom of the form, panels 50 wide with 2 pixels between them; the last runs to
    // the grip in the corner of the sizeable form.
    EXPECT_EQ(Bar->BoundsRect(), Rect(0, 281, 400, 300));
    EXPECT_EQ(Bar->PanelRect(0), Rect(1, 3, 49, 18));
    EXPECT_EQ(Bar->PanelRect(1), Rect(53, 3, 101, 18));
    EXPECT_EQ(Bar->PanelRect(2), Rect(105, 3, 400 - 17 - 1, 18));
    Form->Show();
    Pump();
    QImage I = Grab(Form);
    SaveGrab(I, "morvane-status-bar.png");
    ASSERT_FALSE(Drawn.empty());
    EXPECT_EQ(Drawn.back(), (std::pair<int, TRect>{1, Bar->PanelRect(1)}));
    EXPECT_EQ(PixelAt(I, 60, 281 + 10), clRed);
    EXPECT_GT(DarkPixelsIn(I, Rect(0, 281 + 3, 49, 300 - 1)), 5);
    EXPECT_GT(DarkPixelsIn(I, Rect(105, 281 + 3, 160, 300 - 1)), 5);
    EXPECT_EQ(DarkPixelsIn(I, Rect(200, 281 + 3, 380, 300 - 1)), 0);
    // A panel's text changes what is shown.
    Bar->Panels()->Items(2)->SetText(u"Overwrite with a long text here");
    Pump();
    EXPECT_GT(DarkPixelsIn(Grab(Form), Rect(200, 281 + 3, 380, 300 - 1)), 5);
    // One simple panel instead of the others.
    Drawn.clear();
    Bar->SetSimpleText(u"Simple");
    Bar->SetSimplePanel(true);
    Pump();
    I = Grab(Form);
    EXPECT_TRUE(Drawn.empty());
    EXPECT_NE(PixelAt(I, 60, 281 + 10), clRed);
    EXPECT_TRUE(Bar->PanelRect(0).IsEmpty());
    EXPECT_EQ(GetStrProp(Bar, u"SimpleText"), u"Simple");
    Form->Hide();
}

// ---- Progress bar -------------------------------------------------------------------------------------

namespace {

enum TProgressOp { poSet, poStepIt, poStepBy, poMin, poMax };

struct TProgressCase {
    const char* Name;
    std::vector<std::pair<TProgressOp, int>> Ops;
    int Min, Max, Position;
};

const TProgressCase ProgressCases[] = {
    {"Set", {{poSet, 40}}, 0, 100, 40},
    {"SetBeyondMax", {{poSet, 140}}, 0, 100, 100},
    {"SetBelowMin", {{poSet, -5}}, 0, 100, 0},
    {"StepIt", {{poSet, 40}, {poStepIt, 0}, {poStepIt, 0}}, 0, 100, 60},
    // Stepping past the end starts again at the beginning.
    {"StepItWraps", {{poSet, 95}, {poStepIt, 0}}, 0, 100, 4},
    {"StepByStopsAtTheEnd", {{poSet, 95}, {poStepBy, 30}}, 0, 100, 100},
    {"StepByBack", {{poSet, 50}, {poStepBy, -20}}, 0, 100, 30},
    {"NarrowerRangeMovesThePosition", {{poSet, 80}, {poMax, 50}}, 0, 50, 50},
    {"MinAboveMaxMovesMax", {{poMin, 200}}, 200, 200, 200},
};

class ProgressValues : public ::testing::TestWithParam<TProgressCase> {};

} // namespace

TEST_P(ProgressValues, StayWithinTheRange) {
    TProgressBar Bar(nullptr);
    for (const auto& [Op, V] : GetParam().Ops) {
        switch (Op) {
        case poSet:
            Bar.SetPosition(V);
            break;
        case poStepIt:
            Bar.StepIt();
            break;
        case poStepBy:
            Bar.StepBy(V);
            break;
        case poMin:
            Bar.SetMin(V);
            break;
        case poMax:
            Bar.SetMax(V);
            break;
        }
    }
    EXPECT_EQ(Bar.Min(), GetParam().Min);
    EXPECT_EQ(Bar.Max(), GetParam().Max);
    EXPECT_EQ(Bar.Position(), GetParam().Position);
}

INSTANTIATE_TEST_SUITE_P(ProgressBar, ProgressValues, ::testing::ValuesIn(ProgressCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, ProgressBarsFillUpToTheirPosition) {
    auto* Bar = new TProgressBar(Form);
    Bar->SetParent(Form);
    Bar->SetBounds(10, 10, 202, 18);
    Bar->SetSmooth(true);
    Bar->SetBarColor(clRed);
    Bar->SetPosition(50);
    // The thin bar of an editor page: one pixel high, no frame.
    auto* Thin = new TProgressBar(Form);
    Thin->SetParent(Form);
    Thin->SetBounds(10, 40, 100, 1);
    Thin->SetBarColor(255);
    Thin->SetPosition(100);
    auto* Vertical = new TProgressBar(Form);
    Vertical->SetParent(Form);
    Vertical->SetBounds(250, 10, 20, 102);
    Vertical->SetOrientation(pbVertical);
    Vertical->SetPosition(30);
    Form->Show();
    Pump();
    const QImage I = Grab(Form);
    SaveGrab(I, "morvane-progress.png");
    // Inside the 1-pixel frame and a 1-pixel gap: 198 pixels, half of them red.
    EXPECT_EQ(PixelAt(I, 10 + 2, 19), clRed);
    EXPECT_EQ(PixelAt(I, 10 + 2 + 98, 19), clRed);
    EXPECT_EQ(PixelAt(I, 10 + 2 + 100, 19), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(I, 10 + 99, 40), clRed);
    // Blocks in the highlight colour from the bottom up.
    EXPECT_EQ(PixelAt(I, 260, 10 + 100 - 3), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(I, 260, 10 + 20), ColorToRGB(clBtnFace));
    EXPECT_EQ(GetEnumProp(Vertical, u"Orientation"), u"pbVertical");
}

TEST_F(TFormFixture, MarqueeRunsWhileItsStateIsNormal) {
    auto* Bar = new TProgressBar(Form);
    Bar->SetParent(Form);
    Bar->SetBounds(0, 0, 100, 8);
    Bar->SetStyle(pbstMarquee);
    Bar->SetState(pbsPaused);
    Form->Show();
    TMessageLog Log(Bar);
    QElapsedTimer T;
    T.start();
    while (T.elapsed() < 100)
        Pump();
    EXPECT_TRUE(Log.Of(WM_TIMER).empty());
    Bar->SetState(pbsNormal);
    T.restart();
    while (Log.Of(WM_TIMER).size() < 2 && T.elapsed() < 5000)
        Pump();
    EXPECT_GE(Log.Of(WM_TIMER).size(), 2u);
    Form->Hide();
}

// ---- Track bar ----------------------------------------------------------------------------------------

namespace {

struct TTrackKeyCase {
    const char* Name;
    int Key;
    int Start;
    int Expected;
};

// 0 .. 10, line size 1, page size 3.
const TTrackKeyCase TrackKeyCases[] = {
    {"Right", Qt::Key_Right, 5, 6},     {"Down", Qt::Key_Down, 5, 6},       {"Left", Qt::Key_Left, 5, 4},
    {"Up", Qt::Key_Up, 5, 4},           {"PageDown", Qt::Key_PageDown, 5, 8}, {"PageUp", Qt::Key_PageUp, 5, 2},
    {"Home", Qt::Key_Home, 5, 0},       {"End", Qt::Key_End, 5, 10},       {"RightAtTheEnd", Qt::Key_Right, 10, 10},
    {"PageUpNearTheStart", Qt::Key_PageUp, 1, 0},
};

class TrackKeys : public ::testing::TestWithParam<TTrackKeyCase> {};

} // namespace

TEST_P(TrackKeys, MoveThePosition) {
    const TTrackKeyCase& K = GetParam();
    TForm Form(nullptr);
    auto* Track = new TTrackBar(&Form);
    Track->SetParent(&Form);
    Track->SetPageSize(3);
    Track->SetPosition(K.Start);
    int Changes = 0;
    Track->OnChange = [&](TObject*) { ++Changes; };
    Form.Show();
    Track->SetFocus();
    TMessageLog Log(Track);
    SendKey(Track, K.Key);
    EXPECT_EQ(Track->Position(), K.Expected);
    EXPECT_EQ(Changes, K.Expected == K.Start ? 0 : 1);
    ASSERT_EQ(Log.Of(WM_KEYDOWN).size(), 1u);
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(TrackBar, TrackKeys, ::testing::ValuesIn(TrackKeyCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, TrackBarFollowsTheMouse) {
    auto* Track = new TTrackBar(Form);
    Track->SetParent(Form);
    Track->SetBounds(0, 0, 227, 45); // 200 pixels of track for 0 .. 10
    std::vector<int> Positions;
    Track->OnChange = [&](TObject*) { Positions.push_back(Track->Position()); };
    Form->Show();
    EXPECT_EQ(Track->PositionToPixel(0), 13);
    EXPECT_EQ(Track->PositionToPixel(10), 213);
    // A click beside the thumb pages towards the pointer.
    Click(Track, {150, 20});
    EXPECT_EQ(Positions, std::vector<int>{2});
    // The thumb is dragged along.
    const TRect Thumb = Track->ThumbRect();
    Drag(Track, {(Thumb.Left + Thumb.Right) / 2, Thumb.Top + 5}, {(Thumb.Left + Thumb.Right) / 2 + 100, 5});
    EXPECT_EQ(Track->Position(), 7);
    EXPECT_TRUE(Track->Focused());
    Positions.clear();
    Track->SetPosition(20); // kept within the range
    EXPECT_EQ(Track->Position(), 10);
    EXPECT_EQ(Positions, std::vector<int>{10});
    Pump();
    SaveGrab(Grab(Form), "morvane-track-bar.png");
    Form->Hide();
}
