// The oscilloscope: value rows, the pen's steps and wrap, what is drawn and recorded per channel,
// and the channels' info panes, on a real window.

#include "serial/Osciloscope.h"

#include "platform/base/Threads.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// The terminal's scope: 601 x 400, range 0..1023, step 3, erase band 100, with its info panel.
struct TerminalScope : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TPanel* Info = nullptr;
    tScope* Scope = nullptr;
    void SetUp() override {
        Form->SetBounds(0, 0, 700, 500);
        Info = new TPanel(Form.get());
        Info->SetParent(Form.get());
        Info->SetBounds(0, 420, 700, 49);
        Scope = new tScope(Form.get(), Form.get(), alNone, 0, 0, 600, 400, clBlack, 100, 3, 0, 1023, 0.0, 1023.0, 3,
                           Info);
        Form->Show();
    }
    tChannel* A() { return Scope->FindChannelByName(u"A"); }
};

// In the plot's 400 rows: the info panes below it write in the channels' colours too.
bool ColumnHas(TBitmap& B, int X, TColor C) {
    for (int Y = 0; Y < std::min(B.Height(), 400); ++Y)
        if (PixelOf(B, X, Y) == C) return true;
    return false;
}

} // namespace

TEST_F(TerminalScope, HasSevenChannelsAndTheirInfoPanes) {
    EXPECT_EQ(Scope->Width(), 601);
    EXPECT_EQ(Scope->Height(), 400);
    EXPECT_EQ(Scope->ZeroYPosition, 0);
    ASSERT_EQ(Scope->ChannelCount(), 7);
    const char16_t* Labels[] = {u"A", u"B", u"C", u"A+B", u"B+C", u"A+C", u"A+B+C"};
    const bool Enabled[] = {true, true, true, true, false, false, false};
    for (int I = 0; I < 7; ++I) {
        tChannel* C = Scope->Channel(I);
        EXPECT_EQ(C->InfoPane->Caption(), Labels[I]);
        EXPECT_EQ(C->ChannelEnabled, Enabled[I]);
        EXPECT_EQ(C->InfoPane->Width(), 100);
        EXPECT_EQ(C->InfoPane->Left(), 100 * I);
        EXPECT_EQ(C->InfoPane->Font()->Color(), Enabled[I] ? C->FColor : TColor(0x808080));
    }
    EXPECT_EQ(Scope->FindChannelByName(u"U")->FLabel, u"A+B");
    EXPECT_EQ(Scope->FindChannelByName(u"a"), nullptr); // names are case-sensitive
    EXPECT_EQ(Scope->FindChannelByName(u"Q"), nullptr);
    // The check box switches a channel and greys its pane.
    tChannel* V = Scope->FindChannelByName(u"V");
    ClickMessages(V->EnableBox, TPoint{5, 5});
    EXPECT_TRUE(V->ChannelEnabled);
    EXPECT_EQ(V->InfoPane->Font()->Color(), V->FColor);
}

TEST_F(TerminalScope, RowsMapTheRangeOntoTheHeight) {
    struct TCase {
        int Value, Row;
    } Cases[] = {{0, 400}, {1023, 0}, {512, 200}, {-100, 439}, {2046, -400}};
    for (const TCase& C : Cases)
        EXPECT_EQ(Scope->Row(C.Value), C.Row) << C.Value;
    // An empty range is taken as 1 wide: no division by zero.
    Scope->FYMax = Scope->FYMin = 10;
    EXPECT_EQ(Scope->Row(10), 400);
    EXPECT_EQ(Scope->Row(11), 0);
}

TEST_F(TerminalScope, PointsStepWrapAndRecordMinAndMax) {
    // All at 0 and a new 0, not continuous: nothing is drawn, the pane shows the value.
    Scope->NewChannelPoint(A(), 0, false);
    EXPECT_EQ(Scope->X(), 0);
    EXPECT_EQ(A()->InfoPane->Caption(), u"A:    0 < 0..0 >");
    struct TCase {
        int Value;
        bool Continuous;
        int X;
        const char16_t* Caption;
    } Cases[] = {
        {0, true, 3, u"A:    0 < 0..0 >"},
        {900, false, 6, u"A:  900 < 0..900 >"},
        {0, false, 9, u"A:    0 < 0..900 >"}, // the drop to 0 is drawn
        {0, false, 9, u"A:    0 < 0..900 >"}, // then nothing moves
        {40, false, 12, u"A:   40 < 0..900 >"},
    };
    for (const TCase& C : Cases) {
        Scope->NewChannelPoint(A(), C.Value, C.Continuous);
        EXPECT_EQ(Scope->X(), C.X) << C.Value;
        EXPECT_EQ(A()->InfoPane->Caption(), C.Caption);
    }
    EXPECT_EQ(A()->FLastX, 12);
    // A disabled channel records nothing and draws nothing.
    tChannel* V = Scope->FindChannelByName(u"V");
    Scope->NewChannelPoint(V, 500, true);
    EXPECT_EQ(V->FLastYValue, 0);
    EXPECT_EQ(V->FMaxYValue, -2147483647 - 1);
    EXPECT_EQ(V->InfoPane->Caption(), u"B+C");
    EXPECT_EQ(Scope->X(), 12);
    // Width 601, step 3: the pen wraps to 0 once X + 3 would pass 601.
    Scope->ClearScope();
    for (int I = 0; I < 199; ++I)
        Scope->NewChannelPoint(A(), 100, false);
    EXPECT_EQ(Scope->X(), 597);
    const unsigned Before = GetTickCount();
    Scope->NewChannelPoint(A(), 100, false);
    EXPECT_EQ(Scope->X(), 0);
    EXPECT_EQ(A()->FLastX, 0);
    EXPECT_GE(Scope->RealTime(), Before);
}

TEST_F(TerminalScope, DrawsLinesInChannelColoursAndErasesAhead) {
    Scope->NewChannelPoint(A(), 1023, false); // red from row 400 at x 0 up to row 0 at x 3
    Scope->NewChannelPoint(Scope->FindChannelByName(u"B"), 512, false); // aqua to row 200 at x 6
    auto B = GrabControl(Form.get());
    EXPECT_TRUE(ColumnHas(*B, 1, TColor(0x0000FF)));
    EXPECT_TRUE(ColumnHas(*B, 4, TColor(0xFFFF00)));
    EXPECT_FALSE(ColumnHas(*B, 20, TColor(0x0000FF)));
    EXPECT_EQ(PixelOf(*B, 300, 100), clBlack);
    // Three values at once, one per channel; then Clear leaves the background.
    Scope->NewPoint({100, 200, 300});
    EXPECT_EQ(Scope->Channel(2)->FLastYValue, 300);
    EXPECT_EQ(Scope->X(), 9);
    Scope->ClearScope();
    EXPECT_EQ(Scope->X(), 0);
    B = GrabControl(Form.get());
    EXPECT_FALSE(ColumnHas(*B, 1, TColor(0x0000FF)));
    // Wrapped, the pen erases the band ahead of it: old lines there go.
    for (int I = 0; I < 300; ++I)
        Scope->NewChannelPoint(A(), I % 2 ? 1000 : 10, false);
    B = GrabControl(Form.get());
    EXPECT_FALSE(ColumnHas(*B, Scope->X() + 50, TColor(0x0000FF)));
    EXPECT_TRUE(ColumnHas(*B, Scope->X() - 10, TColor(0x0000FF)));
}

TEST(Scope, AnEmptyAxisRangeAndAResizeAreSafe) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 200);
    auto* S = new tScope(&Form, &Form, alClient, 0, 0, 100, 100, clNavy, 10, 2, 5, 5, 3.0, 3.0, 1, nullptr);
    Form.Show();
    EXPECT_EQ(S->Width(), Form.ClientWidth());
    S->NewChannelPoint(S->FindChannelByName(u"A"), 7, false);
    Form.SetBounds(0, 0, 200, 150);
    EXPECT_EQ(S->Picture()->Width(), Form.ClientWidth());
    EXPECT_EQ(S->X(), 0);
    auto B = GrabControl(&Form);
    EXPECT_EQ(PixelOf(*B, 50, 50), clBlack); // a resize clears to black
}
