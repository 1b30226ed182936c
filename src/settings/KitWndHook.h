#pragma once
// Window-procedure hooks: any number of parties watch or intercept the messages of one window
// without knowing of each other. Each registers a hook that runs before the window's own
// procedure or after it; a hook that answers true has handled the message and ends its
// dispatch. One process-wide manager keeps one chain per window, which subclasses the window
// with its first hook and lets it go with its last.
//
// A chain copes with hooks added or removed while a message is being dispatched and with
// messages that arrive while another is being dispatched: every nesting level keeps its own
// position in each list, a removed node moves the positions that point at it on, and an added
// node extends the levels that had reached the end.
//
// Everything runs on the GUI thread.

#include "settings/KitTranslateString.h"

#include "platform/base/MethodPointer.h"
#include "platform/gui/Controls.h"

#include <array>
#include <memory>
#include <vector>

DECLARE_ENUM(TKitHookOrder, Byte, hoBeforeMsg, hoAfterMsg)

// True when the hook handled the message.
using TKitControlHook = TMethodPointer<bool(TMessage& Msg)>;

class TKitWndProcHook;

// The hooks of one window.
class TKitHookInfos : public TObject {
    DECLARE_CLASS(TKitHookInfos, TObject)
public:
    explicit TKitHookInfos(TControl* AControl);
    // A window that is no control of ours (a hidden window).
    explicit TKitHookInfos(HWND AHandle);
    // Detaches from the manager, lets the window go and frees the nodes.
    ~TKitHookInfos() override;

    // Appends the hook to the Order list and subclasses the window when it is not yet.
    void Add(TKitHookOrder Order, const TKitControlHook& Hook);
    // Removes the first node equal to Hook; with both lists empty the window is let go.
    void Delete(TKitHookOrder Order, const TKitControlHook& Hook);
    // The window is gone: nothing is called on it any more, and the chain is freed later.
    void ControlDestroyed();

    TControl* Control() const { return FControl; }
    HWND Handle() const { return FHandle; }
    bool Hooked() const { return FHooked; }

private:
    friend class TKitWndProcHook;
    struct THookNode {
        TKitControlHook Hook;
        THookNode* Next = nullptr;
    };

    std::array<THookNode*, 2> FFirst{};
    std::array<THookNode*, 2> FLast{};
    // Per nesting level of dispatch: the next before-node and the next after-node to run.
    std::vector<std::array<THookNode*, 2>> FStack;
    // Nodes removed while a dispatch runs: freed when the outermost dispatch ends, so that a
    // hook that removes itself is never destroyed while it runs.
    std::vector<std::unique_ptr<THookNode>> FRemoved;
    HWND FHandle = 0;
    TControl* FControl = nullptr;
    bool FControlDestroyed = false;
    TWndMethod FOldWndProc;
    bool FHooked = false;
    TKitWndProcHook* FController = nullptr;

    void ChainWindowProc(TMessage& Msg);
    void HookControl();
    void UnhookControl();
    // Runs the Order list of the innermost level; true when a hook handled the message or the
    // window went meanwhile.
    bool RunHooks(TKitHookOrder Order, TMessage& Msg);
    void Detach();
};

// The manager: the chains of all hooked windows.
class TKitWndProcHook : public TComponent {
    DECLARE_CLASS(TKitWndProcHook, TComponent)
public:
    explicit TKitWndProcHook(TComponent* AOwner);
    // Frees every chain, each letting its window go.
    ~TKitWndProcHook() override;

    // False for a null control, a control being destroyed, or an unassigned hook.
    bool RegisterWndProc(TControl* AControl, const TKitControlHook& Hook, TKitHookOrder Order);
    bool RegisterWndProc(HWND AHandle, const TKitControlHook& Hook, TKitHookOrder Order);
    // Whether a chain for the window was found (the hook is removed from it when listed).
    bool UnRegisterWndProc(TControl* AControl, const TKitControlHook& Hook, TKitHookOrder Order);
    bool UnRegisterWndProc(HWND AHandle, const TKitControlHook& Hook, TKitHookOrder Order);

    // The chains listed now (for tests and diagnostics).
    int ChainCount() const { return static_cast<int>(FHookInfos.size()); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TKitHookInfos;
    std::vector<TKitHookInfos*> FHookInfos;
    bool FListCreated = false;

    TKitHookInfos* FindChain(TControl* AControl) const;
    TKitHookInfos* FindChain(HWND AHandle) const;
    void Attach(TKitHookInfos* Infos);
};

// The process-wide manager, made on first use, freed when the program ends.
TKitWndProcHook* SharedHookManager();

using TKitHookMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

// A component face of the hooks: a control and two events, registered with the shared manager
// while Active.
class TKitWindowHook : public TKitComponent {
    DECLARE_CLASS(TKitWindowHook, TKitComponent)
public:
    explicit TKitWindowHook(TComponent* AOwner);
    ~TKitWindowHook() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TControl* Control() const { return FControl; }
    void SetControl(TControl* Value);
    const TKitHookMessageEvent& BeforeMessage() const { return FBeforeMessage; }
    void SetBeforeMessage(const TKitHookMessageEvent& Value);
    const TKitHookMessageEvent& AfterMessage() const { return FAfterMessage; }
    void SetAfterMessage(const TKitHookMessageEvent& Value);

    void HookControl() { SetActive(true); }
    void UnHookControl() { SetActive(false); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The registered hooks: the event with Handled false at first; answer Handled.
    virtual bool HandleBeforeMessage(TMessage& Msg);
    virtual bool HandleAfterMessage(TMessage& Msg);

private:
    bool FActive = true;
    TControl* FControl = nullptr;
    TKitHookMessageEvent FBeforeMessage;
    TKitHookMessageEvent FAfterMessage;

    TKitControlHook BeforeHook() { return {this, &TKitWindowHook::HandleBeforeMessage}; }
    TKitControlHook AfterHook() { return {this, &TKitWindowHook::HandleAfterMessage}; }
    bool Designing() const { return ComponentState().Contains(csDesigning); }

    static void Published(TPublisher<TKitWindowHook>& P) {
        P.Property(u"Active", &TKitWindowHook::Active, &TKitWindowHook::SetActive).Default(true);
    }
};

// Frees objects later, from a posted message, so that an object can be let go from inside its
// own code (a chain whose window went while the chain was dispatching).
class TKitReleaser : public TObject {
    DECLARE_CLASS(TKitReleaser, TObject)
public:
    TKitReleaser();
    // Frees every object still waiting, then its window.
    ~TKitReleaser() override;
    static TKitReleaser* Instance();

    // Takes the object over; a second release of a waiting object posts nothing more.
    void Release(TObject* AObject);
    int WaitingCount() const { return static_cast<int>(FReleasing.size()); }

private:
    HWND FHandle = 0;
    std::vector<TObject*> FReleasing;

    void WndProc(TMessage& Msg);
};
