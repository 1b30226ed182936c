// Mouse hooks of the GUI thread: they see each mouse message before its window, with the
// pointer's screen position, the window and its hit-test code, in the real toolkit's road and in
// the test driver's, newest first; one can swallow a message and pass others on. Keyboard hooks
// and mouse hooks are chains of their own.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

struct THookGuard {
    HHOOK Handle;
    ~THookGuard() { UnhookWindowsHookEx(Handle); }
};

// What a hook saw: the message, the window and the screen point.
struct TSeen {
    UINT Msg;
    HWND Wnd;
    TPoint Pt;
    UINT Hit;
};

struct TMouseDelivery {
    const char* Name;
    void (*Down)(TWinControl* C, const TPoint& P);
    void (*Up)(TWinControl* C, const TPoint& P);
    void (*Wheel)(TWinControl* C, const TPoint& P, int Delta);
};

const TMouseDelivery Deliveries[] = {
    {"toolkit events", [](TWinControl* C, const TPoint& P) { SynthMouse(C, smDown, P); },
     [](TWinControl* C, const TPoint& P) { SynthMouse(C, smUp, P); },
     [](TWinControl* C, const TPoint& P, int D) { SynthWheel(C, P, D); }},
    {"loop messages", [](TWinControl* C, const TPoint& P) { MouseDownMessage(C, P); },
     [](TWinControl* C, const TPoint& P) { MouseUpMessage(C, P); },
     [](TWinControl* C, const TPoint& P, int D) { WheelMessage(C, P, D); }},
};

using MouseHook = TFormFixture;

} // namespace

TEST_F(MouseHook, SeesEveryMouseMessageFirstAndSwallowsWhatItKeeps) {
    for (const auto& D : Deliveries) {
        SCOPED_TRACE(D.Name);
        auto* Kept = new TTestPanel(Form, Form);
        auto* Passed = new TTestPanel(Form, Form);
        Kept->SetBounds(10, 10, 60, 40);
        Passed->SetBounds(100, 10, 60, 40);
        Form->Show();
        ProcessMessages();
        auto KeptLog = std::make_unique<TMessageLog>(Kept);
        auto PassedLog = std::make_unique<TMessageLog>(Passed);
        std::vector<TSeen> Seen;
        size_t PassedAtDown = 99;
        THookGuard Hook{SetWindowsHookEx(WH_MOUSE, [&](int Code, WPARAM Msg, LPARAM Data) -> LRESULT {
            EXPECT_EQ(Code, HC_ACTION);
            const auto* Info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(Data);
            if (Msg == WM_MOUSEMOVE) return 0;
            Seen.push_back({static_cast<UINT>(Msg), Info->hwnd, Info->pt, Info->wHitTestCode});
            if (Msg == WM_LBUTTONDOWN && Info->hwnd == Passed->Handle())
                PassedAtDown = PassedLog->Of(WM_LBUTTONDOWN).size();
            return Info->hwnd == Kept->Handle() ? 1 : 0;
        })};
        ASSERT_NE(Hook.Handle, 0u);

        D.Down(Passed, TPoint(5, 6));
        D.Up(Passed, TPoint(5, 6));
        D.Wheel(Passed, TPoint(7, 8), -120);
        D.Down(Kept, TPoint(3, 4));
        D.Up(Kept, TPoint(3, 4));
        D.Wheel(Kept, TPoint(3, 4), 120);

        ASSERT_EQ(Seen.size(), 6u);
        const UINT Msgs[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL};
        for (size_t I = 0; I < 6; ++I) {
            SCOPED_TRACE(I);
            TWinControl* C = I < 3 ? Passed : Kept;
            EXPECT_EQ(Seen[I].Msg, Msgs[I % 3]);
            EXPECT_EQ(Seen[I].Wnd, C->Handle());
            EXPECT_EQ(Seen[I].Hit, UINT(HTCLIENT));
            const TPoint Client = I < 3 ? (I == 2 ? TPoint(7, 8) : TPoint(5, 6)) : TPoint(3, 4);
            EXPECT_EQ(Seen[I].Pt, C->ClientToScreen(Client)) << "the point is on the screen";
        }
        EXPECT_EQ(PassedAtDown, 0u) << "the hook runs before the window";
        EXPECT_EQ(PassedLog->Of(WM_LBUTTONDOWN).size(), 1u);
        EXPECT_EQ(PassedLog->Of(WM_LBUTTONUP).size(), 1u);
        EXPECT_EQ(PassedLog->Of(WM_MOUSEWHEEL).size(), 1u);
        EXPECT_TRUE(KeptLog->Of(WM_LBUTTONDOWN).empty());
        EXPECT_TRUE(KeptLog->Of(WM_LBUTTONUP).empty());
        EXPECT_TRUE(KeptLog->Of(WM_MOUSEWHEEL).empty());

        ASSERT_TRUE(UnhookWindowsHookEx(Hook.Handle));
        D.Down(Kept, TPoint(3, 4));
        D.Up(Kept, TPoint(3, 4));
        EXPECT_EQ(Seen.size(), 6u);
        EXPECT_EQ(KeptLog->Of(WM_LBUTTONDOWN).size(), 1u) << "a removed hook keeps nothing";
        // The logs give the panels their window procedures back before the panels go.
        KeptLog.reset();
        PassedLog.reset();
        delete Kept;
        delete Passed;
    }
}

TEST_F(MouseHook, APressOnAWindowsFrameReachesTheHookWithItsHitTestCode) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(20, 20, 80, 60);
    // The top five rows answer as a caption: presses there are the frame's.
    const TWndMethod Old = Panel->WindowProc();
    Panel->SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_NCHITTEST) {
            const TPoint P = Panel->ScreenToClient(TPoint(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)));
            if (P.Y < 5) {
                M.Result = HTCAPTION;
                return;
            }
        }
        Old(M);
    });
    Form->Show();
    ProcessMessages();
    std::vector<TSeen> Seen;
    THookGuard Hook{SetWindowsHookEx(WH_MOUSE, [&](int Code, WPARAM Msg, LPARAM Data) -> LRESULT {
        const auto* Info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(Data);
        if (Msg != WM_MOUSEMOVE && Msg != WM_NCMOUSEMOVE)
            Seen.push_back({static_cast<UINT>(Msg), Info->hwnd, Info->pt, Info->wHitTestCode});
        return CallNextHookEx(0, Code, Msg, Data);
    })};
    SynthMouse(Panel, smDown, TPoint(30, 2));
    SynthMouse(Panel, smUp, TPoint(30, 2));
    ASSERT_EQ(Seen.size(), 2u);
    EXPECT_EQ(Seen[0].Msg, UINT(WM_NCLBUTTONDOWN));
    EXPECT_EQ(Seen[1].Msg, UINT(WM_NCLBUTTONUP));
    EXPECT_EQ(Seen[0].Hit, UINT(HTCAPTION));
    EXPECT_EQ(Seen[0].Wnd, Panel->Handle());
    EXPECT_EQ(Seen[0].Pt, Panel->ClientToScreen(TPoint(30, 2)));
    Panel->SetWindowProc(Old);
}

TEST_F(MouseHook, MouseAndKeyboardChainsAreSeparateAndRunNewestFirst) {
    auto* Panel = new TTestPanel(Form, Form);
    Form->Show();
    ProcessMessages();
    std::string Order;
    HHOOK Older = 0, Newer = 0;
    THookGuard OlderGuard{Older = SetWindowsHookEx(WH_MOUSE, [&](int, WPARAM Msg, LPARAM) -> LRESULT {
        if (Msg != WM_MOUSEMOVE) Order += "o";
        return Msg == WM_LBUTTONDOWN ? 1 : 0;
    })};
    THookGuard KeyGuard{SetWindowsHookEx(WH_KEYBOARD, [&](int, WPARAM, LPARAM) -> LRESULT {
        Order += "k";
        return 0;
    })};
    THookGuard NewerGuard{Newer = SetWindowsHookEx(WH_MOUSE, [&](int Code, WPARAM Msg, LPARAM Data) -> LRESULT {
        if (Msg != WM_MOUSEMOVE) Order += "n";
        // The newer hook removes itself on a release, then still asks the older one.
        if (Msg == WM_LBUTTONUP) UnhookWindowsHookEx(Newer);
        return CallNextHookEx(Newer, Code, Msg, Data);
    })};
    ASSERT_GT(Newer, Older);
    TMessageLog Log(Panel);
    MouseDownMessage(Panel, TPoint(4, 4));
    EXPECT_EQ(Order, "no") << "no keyboard hook sees the mouse";
    EXPECT_TRUE(Log.Of(WM_LBUTTONDOWN).empty()) << "the older hook's answer comes back through the newer";
    MouseUpMessage(Panel, TPoint(4, 4));
    MouseDownMessage(Panel, TPoint(4, 4));
    EXPECT_EQ(Order, "nonoo") << "the release meets both, the next press the older alone";
    EXPECT_EQ(Log.Of(WM_LBUTTONUP).size(), 1u);
    EXPECT_FALSE(UnhookWindowsHookEx(Newer));
    MOUSEHOOKSTRUCT Info{};
    EXPECT_EQ(CallNextHookEx(Older, HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&Info)), 0)
        << "nothing below the oldest mouse hook, and the keyboard hook is not below it";
    SetKeyState(VK_LBUTTON, false);
}

TEST(MouseHookInstall, RefusesWhatItCannotHook) {
    EXPECT_EQ(SetWindowsHookEx(WH_MOUSE, nullptr), 0u);
    EXPECT_FALSE(CallMouseHooks(WM_LBUTTONDOWN, MOUSEHOOKSTRUCT{}));
}
