#include "settings/KitWndHook.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"

#include <algorithm>

// ---- TKitHookInfos ----------------------------------------------------------------------------

TKitHookInfos::TKitHookInfos(TControl* AControl) : FControl(AControl) {}

TKitHookInfos::TKitHookInfos(HWND AHandle) : FHandle(AHandle) {}

TKitHookInfos::~TKitHookInfos() {
    Detach();
    UnhookControl();
    for (THookNode* Head : FFirst) {
        while (Head) {
            THookNode* Next = Head->Next;
            delete Head;
            Head = Next;
        }
    }
}

void TKitHookInfos::Detach() {
    if (!FController) return;
    std::erase(FController->FHookInfos, this);
    FController = nullptr;
}

void TKitHookInfos::Add(TKitHookOrder Order, const TKitControlHook& Hook) {
    auto* Node = new THookNode{Hook, nullptr};
    if (FLast[Order])
        FLast[Order]->Next = Node;
    else
        FFirst[Order] = Node;
    FLast[Order] = Node;
    // A dispatch that has run out of hooks of this order still runs the new one.
    for (auto& Level : FStack)
        if (!Level[Order]) Level[Order] = Node;
    if (!FHooked) HookControl();
}

void TKitHookInfos::Delete(TKitHookOrder Order, const TKitControlHook& Hook) {
    THookNode* Prev = nullptr;
    THookNode* Node = FFirst[Order];
    while (Node && !(Node->Hook == Hook)) {
        Prev = Node;
        Node = Node->Next;
    }
    if (!Node) return;
    (Prev ? Prev->Next : FFirst[Order]) = Node->Next;
    if (FLast[Order] == Node) FLast[Order] = Prev;
    for (auto& Level : FStack)
        if (Level[Order] == Node) Level[Order] = Node->Next;
    if (FStack.empty())
        delete Node;
    else
        FRemoved.emplace_back(Node);
    if (!FFirst[hoBeforeMsg] && !FFirst[hoAfterMsg]) UnhookControl();
}

void TKitHookInfos::ControlDestroyed() {
    if (FControlDestroyed) return;
    FControlDestroyed = true;
    FHooked = false;
    FOldWndProc = nullptr;
    Detach();
    TKitReleaser::Instance()->Release(this);
}

void TKitHookInfos::HookControl() {
    if (FHooked || FControlDestroyed) return;
    TControl* Target = FControl ? FControl : FindControl(FHandle);
    if (Target) {
        FOldWndProc = Target->WindowProc();
        Target->SetWindowProc([this](TMessage& Msg) { ChainWindowProc(Msg); });
    } else {
        FOldWndProc = SubclassWindow(FHandle, [this](TMessage& Msg) { ChainWindowProc(Msg); });
        if (!FOldWndProc) return; // no window of that handle
    }
    FHooked = true;
}

void TKitHookInfos::UnhookControl() {
    if (!FHooked || FControlDestroyed) return;
    FHooked = false;
    TControl* Target = FControl ? FControl : FindControl(FHandle);
    if (Target)
        Target->SetWindowProc(FOldWndProc);
    else
        SubclassWindow(FHandle, FOldWndProc);
    FOldWndProc = nullptr;
}

bool TKitHookInfos::RunHooks(TKitHookOrder Order, TMessage& Msg) {
    const size_t Level = FStack.size() - 1;
    while (THookNode* Node = FStack[Level][Order]) {
        // Moving on before the call lets the hook remove itself or the next one.
        FStack[Level][Order] = Node->Next;
        if (Node->Hook(Msg) || FControlDestroyed) return true;
    }
    return false;
}

void TKitHookInfos::ChainWindowProc(TMessage& Msg) {
    Msg.Result = 0;
    FStack.push_back({FFirst[hoBeforeMsg], nullptr});
    TScopeExit Pop([&] {
        FStack.pop_back();
        if (FStack.empty()) FRemoved.clear();
        if (!FControl && Msg.Msg == WM_DESTROY) ControlDestroyed();
    });
    if (RunHooks(hoBeforeMsg, Msg)) return;
    if (FOldWndProc) {
        // A copy: a hook run by the window's own procedure may let the window go.
        const TWndMethod Old = FOldWndProc;
        Old(Msg);
    }
    if (FControlDestroyed) return;
    FStack.back()[hoAfterMsg] = FFirst[hoAfterMsg];
    RunHooks(hoAfterMsg, Msg);
}

// ---- TKitWndProcHook --------------------------------------------------------------------------

TKitWndProcHook::TKitWndProcHook(TComponent* AOwner) : TComponent(AOwner) {}

TKitWndProcHook::~TKitWndProcHook() {
    while (!FHookInfos.empty())
        delete FHookInfos.back(); // detaches itself
}

TKitHookInfos* TKitWndProcHook::FindChain(TControl* AControl) const {
    for (TKitHookInfos* I : FHookInfos)
        if (I->FControl == AControl) return I;
    return nullptr;
}

TKitHookInfos* TKitWndProcHook::FindChain(HWND AHandle) const {
    for (TKitHookInfos* I : FHookInfos)
        if (!I->FControl && I->FHandle == AHandle) return I;
    return nullptr;
}

void TKitWndProcHook::Attach(TKitHookInfos* Infos) {
    Infos->FController = this;
    FHookInfos.push_back(Infos);
    FListCreated = true;
}

bool TKitWndProcHook::RegisterWndProc(TControl* AControl, const TKitControlHook& Hook, TKitHookOrder Order) {
    if (!AControl || AControl->ComponentState().Contains(csDestroying) || !Hook) return false;
    TKitHookInfos* Infos = FindChain(AControl);
    if (!Infos) {
        Infos = new TKitHookInfos(AControl);
        Attach(Infos);
        AControl->FreeNotification(this);
    }
    Infos->Add(Order, Hook);
    return true;
}

bool TKitWndProcHook::RegisterWndProc(HWND AHandle, const TKitControlHook& Hook, TKitHookOrder Order) {
    if (!Hook) return false;
    TKitHookInfos* Infos = FindChain(AHandle);
    if (!Infos) {
        Infos = new TKitHookInfos(AHandle);
        Attach(Infos);
    }
    Infos->Add(Order, Hook);
    return true;
}

bool TKitWndProcHook::UnRegisterWndProc(TControl* AControl, const TKitControlHook& Hook,
                                        TKitHookOrder Order) {
    if (!Hook || !FListCreated || !AControl) return false;
    TKitHookInfos* Infos = FindChain(AControl);
    if (Infos) Infos->Delete(Order, Hook);
    return Infos != nullptr;
}

bool TKitWndProcHook::UnRegisterWndProc(HWND AHandle, const TKitControlHook& Hook, TKitHookOrder Order) {
    if (!Hook || !FListCreated) return false;
    TKitHookInfos* Infos = FindChain(AHandle);
    if (Infos) Infos->Delete(Order, Hook);
    return Infos != nullptr;
}

void TKitWndProcHook::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (auto* C = dynamic_cast<TControl*>(AComponent))
        if (TKitHookInfos* Infos = FindChain(C)) Infos->ControlDestroyed();
}

TKitWndProcHook* SharedHookManager() {
    static std::unique_ptr<TKitWndProcHook> Manager(new TKitWndProcHook(nullptr));
    return Manager.get();
}

// ---- TKitWindowHook ---------------------------------------------------------------------------

TKitWindowHook::TKitWindowHook(TComponent* AOwner) : TKitComponent(AOwner) {}

TKitWindowHook::~TKitWindowHook() {
    SetActive(false);
    SetControl(nullptr);
}

void TKitWindowHook::SetActive(bool Value) {
    if (FActive == Value) return;
    if (!Designing() && FControl) {
        TKitWndProcHook* M = SharedHookManager();
        if (Value) {
            if (FAfterMessage) M->RegisterWndProc(FControl, AfterHook(), hoAfterMsg);
            if (FBeforeMessage) M->RegisterWndProc(FControl, BeforeHook(), hoBeforeMsg);
        } else {
            M->UnRegisterWndProc(FControl, AfterHook(), hoAfterMsg);
            M->UnRegisterWndProc(FControl, BeforeHook(), hoBeforeMsg);
        }
    }
    FActive = Value;
}

void TKitWindowHook::SetControl(TControl* Value) {
    if (FControl == Value) return;
    const bool WasActive = FActive;
    SetActive(false);
    if (FControl) FControl->RemoveFreeNotification(this);
    FControl = nullptr;
    if (Value && !Value->ComponentState().Contains(csDestroying)) {
        FControl = Value;
        Value->FreeNotification(this);
    }
    SetActive(WasActive);
}

void TKitWindowHook::SetBeforeMessage(const TKitHookMessageEvent& Value) {
    if (FActive && !Designing() && FControl) {
        if (Value && !FBeforeMessage)
            SharedHookManager()->RegisterWndProc(FControl, BeforeHook(), hoBeforeMsg);
        else if (!Value && FBeforeMessage)
            SharedHookManager()->UnRegisterWndProc(FControl, BeforeHook(), hoBeforeMsg);
    }
    FBeforeMessage = Value;
}

void TKitWindowHook::SetAfterMessage(const TKitHookMessageEvent& Value) {
    if (FActive && !Designing() && FControl) {
        if (Value && !FAfterMessage)
            SharedHookManager()->RegisterWndProc(FControl, AfterHook(), hoAfterMsg);
        else if (!Value && FAfterMessage)
            SharedHookManager()->UnRegisterWndProc(FControl, AfterHook(), hoAfterMsg);
    }
    FAfterMessage = Value;
}

bool TKitWindowHook::HandleBeforeMessage(TMessage& Msg) {
    bool Handled = false;
    if (FBeforeMessage) FBeforeMessage(this, Msg, Handled);
    return Handled;
}

bool TKitWindowHook::HandleAfterMessage(TMessage& Msg) {
    bool Handled = false;
    if (FAfterMessage) FAfterMessage(this, Msg, Handled);
    return Handled;
}

void TKitWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
    TKitComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FControl || AComponent == Owner() || !Owner()) {
        // The control is going: its chain is gone already; only forget it.
        if (AComponent == FControl) {
            if (!Designing()) {
                SharedHookManager()->UnRegisterWndProc(FControl, AfterHook(), hoAfterMsg);
                SharedHookManager()->UnRegisterWndProc(FControl, BeforeHook(), hoBeforeMsg);
            }
            FControl = nullptr;
        } else {
            SetControl(nullptr);
        }
    }
}

// ---- TKitReleaser -----------------------------------------------------------------------------

// The window is made at once, so that the window registry outlives this process-wide object.
TKitReleaser::TKitReleaser() : FHandle(AllocateHWnd([this](TMessage& Msg) { WndProc(Msg); })) {}

TKitReleaser::~TKitReleaser() {
    for (TObject* O : std::vector<TObject*>(FReleasing))
        delete O;
    FReleasing.clear();
    if (FHandle) DeallocateHWnd(FHandle);
}

TKitReleaser* TKitReleaser::Instance() {
    static std::unique_ptr<TKitReleaser> Releaser(new TKitReleaser());
    return Releaser.get();
}

void TKitReleaser::Release(TObject* AObject) {
    if (!AObject || std::find(FReleasing.begin(), FReleasing.end(), AObject) != FReleasing.end()) return;
    FReleasing.push_back(AObject);
    PostMessage(FHandle, CM_RELEASE, reinterpret_cast<WPARAM>(AObject));
}

void TKitReleaser::WndProc(TMessage& Msg) {
    if (Msg.Msg != CM_RELEASE) return;
    try {
        auto* O = reinterpret_cast<TObject*>(Msg.WParam);
        auto It = std::find(FReleasing.begin(), FReleasing.end(), O);
        if (It == FReleasing.end()) return;
        FReleasing.erase(It);
        delete O;
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}
