// Window-procedure hooks: order, chaining and ending, hooks added and removed while a message is
// being dispatched, messages within messages, windows that go while hooked.

#include "settings/KitWndHook.h"

#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_PROBE = WM_USER + 11;

using TLog = std::vector<std::string>;

// A control whose own procedure logs the probe message.
class TProbeControl : public TWinControl {
public:
    TProbeControl(TLog& ALog) : TWinControl(nullptr), Log(ALog) {}
    TLog& Log;
    std::function<void()> DuringOwn;

protected:
    void WndProc(TMessage& Msg) override {
        if (Msg.Msg == WM_PROBE) {
            Log.push_back("own");
            if (DuringOwn) DuringOwn();
            return;
        }
        TWinControl::WndProc(Msg);
    }
};

// One hook: logs its name, may answer handled and may run something while it runs.
struct THook {
    TLog* Log;
    std::string Name;
    bool Handles = false;
    std::function<void(TMessage&)> During;
    bool Run(TMessage& Msg) {
        if (Msg.Msg != WM_PROBE) return false;
        Log->push_back(Name);
        if (During) During(Msg);
        return Handles;
    }
    TKitControlHook Hook() { return {this, &THook::Run}; }
};

struct THookFixture : ::testing::Test {
    TLog Log;
    std::unique_ptr<TProbeControl> Control = std::make_unique<TProbeControl>(Log);
    std::vector<std::unique_ptr<THook>> Hooks;
    TKitWndProcHook Manager{nullptr};

    THook* Add(const std::string& Name, TKitHookOrder Order, bool Handles = false) {
        Hooks.push_back(std::make_unique<THook>(THook{&Log, Name, Handles, {}}));
        EXPECT_TRUE(Manager.RegisterWndProc(Control.get(), Hooks.back()->Hook(), Order));
        return Hooks.back().get();
    }
    TLog Send() {
        Log.clear();
        Control->Perform(WM_PROBE);
        return Log;
    }
};

} // namespace

TEST_F(THookFixture, OrderChainingAndEnding) {
    struct Case {
        const char* Name;
        std::vector<std::pair<std::string, int>> Hooks; // name, 0 before / 1 after, handled as '!'
        TLog Expected;
    };
    const Case Cases[] = {
        {"no hooks run the window alone", {}, {"own"}},
        {"befores in registration order, then the window, then afters",
         {{"b1", 0}, {"a1", 1}, {"b2", 0}, {"a2", 1}},
         {"b1", "b2", "own", "a1", "a2"}},
        {"a before that handles ends everything", {{"b1!", 0}, {"b2", 0}, {"a1", 1}}, {"b1!"}},
        {"an after that handles ends the afters", {{"a1!", 1}, {"a2", 1}}, {"own", "a1!"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Control = std::make_unique<TProbeControl>(Log);
        for (const auto& [Name, Order] : C.Hooks)
            Add(Name, Order ? hoAfterMsg : hoBeforeMsg, Name.back() == '!');
        EXPECT_EQ(Send(), C.Expected);
        for (auto& H : Hooks)
            Manager.UnRegisterWndProc(Control.get(), H->Hook(), hoBeforeMsg),
                Manager.UnRegisterWndProc(Control.get(), H->Hook(), hoAfterMsg);
        Hooks.clear();
        EXPECT_EQ(Send(), TLog{"own"}); // every hook gone: the window is its own again
    }
}

TEST_F(THookFixture, AHandlingBeforeHookLeavesTheResultItSet) {
    THook* B = Add("b", hoBeforeMsg, true);
    B->During = [](TMessage& Msg) { Msg.Result = 42; };
    EXPECT_EQ(Control->Perform(WM_PROBE), 42);
    EXPECT_EQ(Log, TLog{"b"});
}

TEST_F(THookFixture, ChangesWhileDispatching) {
    struct Case {
        const char* Name;
        // Sets up the hooks, one of which changes the lists while it runs.
        std::function<void(THookFixture&)> Setup;
        TLog First, Second;
    };
    const Case Cases[] = {
        {"a hook removes itself",
         [](THookFixture& F) {
             THook* A = F.Add("a", hoBeforeMsg);
             F.Add("b", hoBeforeMsg);
             A->During = [&F, A](TMessage&) {
                 F.Manager.UnRegisterWndProc(F.Control.get(), A->Hook(), hoBeforeMsg);
             };
         },
         {"a", "b", "own"},
         {"b", "own"}},
        {"a hook removes the next",
         [](THookFixture& F) {
             THook* A = F.Add("a", hoBeforeMsg);
             THook* B = F.Add("b", hoBeforeMsg);
             F.Add("c", hoBeforeMsg);
             A->During = [&F, B](TMessage&) {
                 F.Manager.UnRegisterWndProc(F.Control.get(), B->Hook(), hoBeforeMsg);
             };
         },
         {"a", "c", "own"},
         {"a", "c", "own"}},
        {"an after hook added once the afters ran out still runs",
         [](THookFixture& F) {
             THook* A = F.Add("a", hoAfterMsg);
             A->During = [&F, A](TMessage&) {
                 if (F.Hooks.size() == 1) F.Add("late", hoAfterMsg);
             };
         },
         {"own", "a", "late"},
         {"own", "a", "late"}},
        {"an after hook added by a before hook runs in the same message",
         [](THookFixture& F) {
             THook* B = F.Add("b", hoBeforeMsg);
             B->During = [&F](TMessage&) {
                 if (F.Hooks.size() == 1) F.Add("new", hoAfterMsg);
             };
         },
         {"b", "own", "new"},
         {"b", "own", "new"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Control = std::make_unique<TProbeControl>(Log);
        Hooks.clear();
        C.Setup(*this);
        EXPECT_EQ(Send(), C.First);
        EXPECT_EQ(Send(), C.Second);
    }
}

TEST_F(THookFixture, AMessageWithinAMessageKeepsEachDispatchInItsPlace) {
    THook* A = Add("a", hoBeforeMsg);
    Add("b", hoBeforeMsg);
    Add("z", hoAfterMsg);
    int Depth = 0;
    A->During = [&](TMessage&) {
        if (Depth++ == 0) Control->Perform(WM_PROBE); // sent again from inside the first hook
    };
    EXPECT_EQ(Send(), (TLog{"a", "a", "b", "own", "z", "b", "own", "z"}));
}

TEST_F(THookFixture, TheSameHookTwiceMakesTwoNodesAndOneGoesAtATime) {
    Add("a", hoBeforeMsg);
    ASSERT_TRUE(Manager.RegisterWndProc(Control.get(), Hooks[0]->Hook(), hoBeforeMsg));
    EXPECT_EQ(Send(), (TLog{"a", "a", "own"}));
    EXPECT_TRUE(Manager.UnRegisterWndProc(Control.get(), Hooks[0]->Hook(), hoBeforeMsg));
    EXPECT_EQ(Send(), (TLog{"a", "own"}));
}

TEST_F(THookFixture, RegistrationRefusals) {
    THook H{&Log, "h", false, {}};
    EXPECT_FALSE(Manager.RegisterWndProc(static_cast<TControl*>(nullptr), H.Hook(), hoBeforeMsg));
    EXPECT_FALSE(Manager.RegisterWndProc(Control.get(), TKitControlHook(), hoBeforeMsg));
    EXPECT_FALSE(Manager.UnRegisterWndProc(Control.get(), H.Hook(), hoBeforeMsg)); // no chain yet
    Add("a", hoBeforeMsg);
    EXPECT_TRUE(Manager.UnRegisterWndProc(Control.get(), H.Hook(), hoBeforeMsg)); // chain, no such node
    EXPECT_EQ(Send(), (TLog{"a", "own"}));
}

TEST_F(THookFixture, AControlFreedWhileHookedIsForgottenAndItsChainFreedLater) {
    Application->ProcessMessages(); // chains of controls that earlier tests freed
    ASSERT_EQ(TKitReleaser::Instance()->WaitingCount(), 0);
    THook* A = Add("a", hoBeforeMsg);
    Add("z", hoAfterMsg);
    // The before hook frees the control: neither the window nor the after hook is called.
    A->During = [&](TMessage&) { Control.reset(); };
    TMessage Msg{WM_PROBE, 0, 0, 0};
    TControl* C = Control.get();
    C->Perform(Msg);
    EXPECT_EQ(Log, TLog{"a"});
    EXPECT_EQ(Manager.ChainCount(), 0);
    EXPECT_EQ(TKitReleaser::Instance()->WaitingCount(), 1);
    Application->ProcessMessages();
    EXPECT_EQ(TKitReleaser::Instance()->WaitingCount(), 0);
}

TEST(KitReleaser, ReleasingTwicePostsOnceAndFreesOnce) {
    struct TCounted : TObject {
        int* Count;
        explicit TCounted(int* C) : Count(C) {}
        ~TCounted() override { ++*Count; }
    };
    int Freed = 0;
    auto* O = new TCounted(&Freed);
    TKitReleaser::Instance()->Release(O);
    TKitReleaser::Instance()->Release(O);
    EXPECT_EQ(TKitReleaser::Instance()->WaitingCount(), 1);
    Application->ProcessMessages();
    EXPECT_EQ(Freed, 1);
}

TEST(WndHookRawWindow, HooksRunForWMDestroyThenTheChainIsGone) {
    TLog Log;
    const HWND Wnd = AllocateHWnd([&](TMessage& M) {
        if (M.Msg == WM_DESTROY || M.Msg == WM_PROBE) Log.push_back("own");
    });
    TKitWndProcHook Manager(nullptr);
    THook H{&Log, "h", false, {}};
    auto Any = [&](TMessage& M) {
        Log.push_back(M.Msg == WM_DESTROY ? "destroy" : "probe");
        return false;
    };
    struct TAny {
        std::function<bool(TMessage&)> F;
        bool Run(TMessage& M) { return F(M); }
    } AnyHook{Any};
    ASSERT_TRUE(Manager.RegisterWndProc(Wnd, TKitControlHook(&AnyHook, &TAny::Run), hoAfterMsg));
    SendMessage(Wnd, WM_PROBE);
    SendMessage(Wnd, WM_DESTROY);
    EXPECT_EQ(Log, (TLog{"own", "probe", "own", "destroy"}));
    EXPECT_EQ(Manager.ChainCount(), 0); // gone with its window
    DeallocateHWnd(Wnd);
    Application->ProcessMessages();
}

TEST(KitWindowHook, EventsFollowActiveAndControl) {
    TLog Log;
    auto Control = std::make_unique<TProbeControl>(Log);
    TKitWindowHook Hook(nullptr);
    Hook.SetActive(false);
    Hook.SetActive(true); // no control yet: registers nothing, fails nothing
    Hook.SetBeforeMessage([&](TObject* Sender, TMessage& Msg, bool& Handled) {
        if (Msg.Msg != WM_PROBE) return;
        EXPECT_EQ(Sender, &Hook);
        Log.push_back("before");
        Handled = Msg.WParam == 1;
    });
    Hook.SetAfterMessage([&](TObject*, TMessage& Msg, bool&) {
        if (Msg.Msg == WM_PROBE) Log.push_back("after");
    });
    Hook.SetControl(Control.get());
    Control->Perform(WM_PROBE);
    EXPECT_EQ(Log, (TLog{"before", "own", "after"}));
    Log.clear();
    Control->Perform(WM_PROBE, 1);
    EXPECT_EQ(Log, TLog{"before"});
    Log.clear();
    Hook.UnHookControl();
    Control->Perform(WM_PROBE);
    EXPECT_EQ(Log, TLog{"own"});
    Hook.HookControl();
    Control.reset(); // the control goes first: the hook forgets it
    EXPECT_EQ(Hook.Control(), nullptr);
}
