// Application events for many listeners: the newest component first, Chained, CancelDispatch and
// each event's own end rule; the application's and the screen's handlers come back when the
// last component goes.

#include "settings/KitAppEvents.h"

#include "platform/gui/Questions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

struct TAppEventsTest : ::testing::Test {
    TLog Log;
    std::vector<std::unique_ptr<TKitAppEvents>> Components;

    // Components "1", "2", … in creation order; each logs its name for OnShowHint, OnMessage,
    // OnHelp and OnActiveFormChange.
    TKitAppEvents* Make(const std::string& Name) {
        auto* E = Components.emplace_back(std::make_unique<TKitAppEvents>(nullptr)).get();
        E->OnShowHint = [this, Name](String&, bool&, THintInfo&) { Log.push_back(Name); };
        E->OnMessage = [this, Name](TMsg& Msg, bool& Handled) {
            Log.push_back(Name);
            if (Msg.message == WM_USER + static_cast<UINT>(std::stoi(Name))) Handled = true;
        };
        E->OnHelp = [this, Name](Word, std::intptr_t, bool&) {
            Log.push_back(Name);
            return Name == "1";
        };
        return E;
    }
    TLog ShowHint() {
        Log.clear();
        String Hint;
        bool CanShow = true;
        THintInfo Info;
        Application->OnShowHint(Hint, CanShow, Info);
        return Log;
    }
    TLog Message(UINT Msg) {
        Log.clear();
        TMsg M;
        M.message = Msg;
        Application->PreDispatch(M);
        return Log;
    }
};

} // namespace

TEST_F(TAppEventsTest, ChainsEndAsEachEventSays) {
    Make("1");
    TKitAppEvents* Two = Make("2");
    Make("3");
    EXPECT_EQ(ShowHint(), (TLog{"3", "2", "1"})); // the newest first
    Two->SetChained(false);
    EXPECT_EQ(ShowHint(), (TLog{"3", "2"}));
    Two->SetChained(true);
    // A message handled by the newest reaches no older one, chained or not.
    EXPECT_EQ(Message(WM_USER + 3), TLog{"3"});
    EXPECT_EQ(Message(WM_USER + 2), (TLog{"3", "2"}));
    EXPECT_EQ(Message(WM_USER + 9), (TLog{"3", "2", "1"}));
    // Help answers what the last handler called said.
    Log.clear();
    EXPECT_TRUE(Application->HelpCommand(1, 0));
    EXPECT_EQ(Log, (TLog{"3", "2", "1"}));
}

TEST_F(TAppEventsTest, CancelDispatchStopsTheCurrentEventOnly) {
    Make("1");
    TKitAppEvents* Two = Make("2");
    bool Cancel = true;
    Two->OnShowHint = [&](String&, bool&, THintInfo&) {
        Log.push_back("2");
        if (Cancel) Two->CancelDispatch();
        Cancel = false;
    };
    EXPECT_EQ(ShowHint(), TLog{"2"});
    EXPECT_EQ(ShowHint(), (TLog{"2", "1"}));
}

TEST_F(TAppEventsTest, ExceptionsWithoutAHandlerAreShownButAnAbortIsNot) {
    Make("1");
    TQuestionScript Script;
    Script.Answer(IDOK);
    Exception Error(u"broken");
    Application->OnException(nullptr, &Error);
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_NE(U8(Script.Last().Text).find("broken"), std::string::npos);
    EAbort Abort(u"quiet");
    Application->OnException(nullptr, &Abort);
    EXPECT_EQ(Script.Asked().size(), 1u);

    String Seen;
    Components[0]->OnException = [&](TObject*, Exception* E) { Seen = E->Message(); };
    Application->OnException(nullptr, &Error);
    EXPECT_EQ(U8(Seen), "broken");
    EXPECT_EQ(Script.Asked().size(), 1u); // a handler took it
}

TEST_F(TAppEventsTest, TheScreensOwnHandlerRunsOnlyWhenTheChainRanToItsEnd) {
    int OwnCalls = 0;
    Screen->OnActiveFormChange = [&](TObject*) { ++OwnCalls; };
    Make("1");
    TKitAppEvents* Two = Make("2");
    Screen->OnActiveFormChange(Screen);
    EXPECT_EQ(OwnCalls, 1);
    Two->SetChained(false);
    Screen->OnActiveFormChange(Screen);
    EXPECT_EQ(OwnCalls, 1);
    // The last component gone, the screen and the application have their own handlers back.
    Components.clear();
    Screen->OnActiveFormChange(Screen);
    EXPECT_EQ(OwnCalls, 2);
    EXPECT_FALSE(Application->OnShowHint);
    Screen->OnActiveFormChange = nullptr;
}

TEST_F(TAppEventsTest, SettingChangesReachEveryComponentThroughTheApplicationWindow) {
    int Changes = 0;
    for (const char* N : {"1", "2"})
        Make(N)->OnSettingsChanged = [&](TObject*) { ++Changes; };
    SendMessage(Application->Handle(), WM_WININICHANGE);
    EXPECT_EQ(Changes, 2);
}

TEST_F(TAppEventsTest, LoadedWritesTheDefaultsIntoTheApplication) {
    Application->SetHintPause(10);
    Application->SetHintShortPause(1);
    Application->SetHintHidePause(2);
    Application->SetHintColor(clRed);
    TKitAppEvents* E = Make("1");
    E->SetComponentState(TComponentState{csLoading});
    E->Loaded();
    EXPECT_EQ(Application->HintPause(), 500);
    EXPECT_EQ(Application->HintShortPause(), 50);
    EXPECT_EQ(Application->HintHidePause(), 2500);
    EXPECT_EQ(Application->HintColor(), clInfoBk);
    E->SetHintPause(700);
    EXPECT_EQ(Application->HintPause(), 700);
    EXPECT_EQ(E->HintPause(), 700);
    Application->SetHintPause(500);
}
