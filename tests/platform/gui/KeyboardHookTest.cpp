// Keyboard hooks of the GUI thread: they see each key press and release before the window, in
// the real toolkit's road and in the test driver's, newest first; one can swallow a key (and the
// characters it would type) and pass others on through the chain.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace {

// The key and character messages that reach the control, as "d<key>", "u<key>", "c<char>".
struct TKeyLog {
    std::vector<std::string> Lines;
    void Attach(TTestEdit* Edit) {
        const TWndMethod Old = Edit->WindowProc();
        Edit->SetWindowProc([this, Old](TMessage& M) {
            if (M.Msg == WM_KEYDOWN) Lines.push_back("d" + std::to_string(M.WParam));
            if (M.Msg == WM_KEYUP) Lines.push_back("u" + std::to_string(M.WParam));
            if (M.Msg == WM_CHAR) Lines.push_back("c" + std::string(1, static_cast<char>(M.WParam)));
            Old(M);
        });
    }
};

// Removes a hook at the end of a test whatever happens.
struct THookGuard {
    HHOOK Handle;
    ~THookGuard() { UnhookWindowsHookEx(Handle); }
};

struct TDeliveryCase {
    const char* Name;
    void (*Type)(TWinControl* Control, Word Key);
};

const TDeliveryCase Deliveries[] = {
    {"toolkit events", [](TWinControl* C, Word Key) { SynthKey(C, Key); }},
    {"loop messages", [](TWinControl* C, Word Key) { KeyMessages(C, Key); }},
};

using KeyboardHook = TFormFixture;

} // namespace

TEST_F(KeyboardHook, SeesEveryKeyFirstAndSwallowsWhatItKeeps) {
    for (const auto& D : Deliveries) {
        SCOPED_TRACE(D.Name);
        auto* Edit = new TTestEdit(Form, Form);
        Form->Show();
        Edit->SetFocus();
        TKeyLog Log;
        Log.Attach(Edit);
        std::vector<std::string> Seen;
        THookGuard Hook{SetWindowsHookEx(WH_KEYBOARD, [&](int Code, WPARAM Key, LPARAM Data) -> LRESULT {
            const bool Up = (static_cast<std::uint64_t>(Data) & KF_UP_BIT) != 0;
            Seen.push_back((Code == HC_ACTION ? "" : "?") + std::string(Up ? "u" : "d") + std::to_string(Key) +
                           "/" + std::to_string(Log.Lines.size()));
            // Keeps X (press and release) from the window; passes everything else on.
            return Key == 'X' ? 1 : 0;
        })};
        ASSERT_NE(Hook.Handle, 0u);

        D.Type(Edit, 'A');
        D.Type(Edit, 'X');
        // The hook saw each event before the window got it (the log's length at that moment).
        EXPECT_EQ(Seen, (std::vector<std::string>{"d65/0", "u65/2", "d88/3", "u88/3"}));
        EXPECT_EQ(Log.Lines, (std::vector<std::string>{"d65", "ca", "u65"}));

        ASSERT_TRUE(UnhookWindowsHookEx(Hook.Handle));
        Seen.clear();
        D.Type(Edit, 'X');
        EXPECT_TRUE(Seen.empty());
        EXPECT_EQ(Log.Lines.back(), "u88");
        delete Edit;
    }
}

TEST_F(KeyboardHook, ChainRunsNewestFirstAndSurvivesRemovalWhileRunning) {
    auto* Edit = new TTestEdit(Form, Form);
    Form->Show();
    Edit->SetFocus();
    std::string Order;
    HHOOK Older = 0, Newer = 0;
    THookGuard OlderGuard{Older = SetWindowsHookEx(WH_KEYBOARD, [&](int, WPARAM Key, LPARAM) -> LRESULT {
        Order += "o";
        return Key == 'B' ? 1 : 0;
    })};
    THookGuard NewerGuard{Newer = SetWindowsHookEx(WH_KEYBOARD, [&](int Code, WPARAM Key, LPARAM Data) -> LRESULT {
        Order += "n";
        // The newer hook removes itself on Q, then still asks the older one.
        if (Key == 'Q') UnhookWindowsHookEx(Newer);
        return CallNextHookEx(Newer, Code, Key, Data);
    })};
    ASSERT_GT(Newer, Older);

    TKeyLog Log;
    Log.Attach(Edit);
    KeyMessages(Edit, 'B'); // the older hook's answer comes back through the newer one
    EXPECT_EQ(Order, "nono");
    EXPECT_TRUE(Log.Lines.empty());

    Order.clear();
    KeyMessages(Edit, 'Q');
    EXPECT_EQ(Order, "noo"); // the release meets the older hook alone
    EXPECT_EQ(Log.Lines, (std::vector<std::string>{"d81", "cq", "u81"}));
    EXPECT_FALSE(UnhookWindowsHookEx(Newer));
    EXPECT_EQ(CallNextHookEx(Older, HC_ACTION, 'B', 0), 0); // nothing below the oldest
}

TEST(KeyboardHookInstall, RefusesWhatItCannotHook) {
    EXPECT_EQ(SetWindowsHookEx(WH_KEYBOARD, nullptr), 0u);
    EXPECT_EQ(SetWindowsHookEx(99, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }), 0u);
    EXPECT_FALSE(UnhookWindowsHookEx(0));
    EXPECT_FALSE(UnhookWindowsHookEx(123456));
    EXPECT_FALSE(CallKeyboardHooks('A', 0));
}
