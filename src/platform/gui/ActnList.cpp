#include "platform/gui/ActnList.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <mutex>

// ---- Links ------------------------------------------------------------------------------------

TBasicActionLink::TBasicActionLink(TObject* AClient) : FClient(AClient) {}

TBasicActionLink::~TBasicActionLink() {
    SetAction(nullptr);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (FAction == Value) return;
    if (FAction) std::erase(FAction->FClients, this);
    FAction = Value;
    if (FAction) FAction->FClients.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
    if (!FAction) return false;
    TBasicAction* A = FAction;
    A->SetActionComponent(AComponent);
    TScopeExit Reset([A] { A->SetActionComponent(nullptr); });
    return A->Execute();
}

bool TBasicActionLink::Update() {
    return FAction && FAction->Update();
}

void TBasicActionLink::Change() {
    if (OnChange) OnChange(FAction);
}

namespace {

bool IsCustom(const TBasicAction* A) {
    return dynamic_cast<const TCustomAction*>(A) != nullptr;
}

} // namespace

bool TActionLink::IsCaptionLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsCheckedLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsEnabledLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsGroupIndexLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsHelpContextLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsHintLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsImageIndexLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsShortCutLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsVisibleLinked() const {
    return IsCustom(FAction);
}
bool TActionLink::IsAutoCheckLinked() const {
    return IsCustom(FAction);
}

// ---- TBasicAction -----------------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    // Clients learnt through their free notifications; any link left lets go here.
    while (!FClients.empty())
        FClients.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
    if (FActionComponent == Value) return;
    if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
    FActionComponent = Value;
    if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

void TBasicAction::Change() {
    if (OnChange) OnChange(this);
    for (TBasicActionLink* Link : std::vector<TBasicActionLink*>(FClients))
        Link->Change();
}

// ---- TContainedAction -------------------------------------------------------------------------

TContainedAction::~TContainedAction() {
    if (FActionList) FActionList->RemoveAction(this);
}

bool TContainedAction::Execute() {
    return (FActionList && FActionList->ExecuteAction(this)) ||
           (Application && Application->ExecuteAction(this)) || TBasicAction::Execute();
}

bool TContainedAction::Update() {
    return (FActionList && FActionList->UpdateAction(this)) ||
           (Application && Application->UpdateAction(this)) || TBasicAction::Update();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
    if (FActionList == Value) return;
    if (FActionList) FActionList->RemoveAction(this);
    if (Value) Value->AddAction(this);
}

void TContainedAction::SetCategory(const String& Value) {
    if (FCategory == Value) return;
    FCategory = Value;
    if (FActionList) FActionList->Change();
}

int TContainedAction::Index() const {
    if (!FActionList) return -1;
    const auto& List = FActionList->FActions;
    return int(std::find(List.begin(), List.end(), this) - List.begin());
}

void TContainedAction::SetIndex(int Value) {
    const int Current = Index();
    if (Current < 0) return;
    auto& List = FActionList->FActions;
    const int Target = std::clamp(Value, 0, int(List.size()) - 1);
    if (Target == Current) return;
    List.erase(List.begin() + Current);
    List.insert(List.begin() + Target, this);
    FActionList->Change();
}

bool TContainedAction::Suspended() const {
    return FActionList && FActionList->State() != asNormal;
}

void TContainedAction::Change() {
    TBasicAction::Change();
    if (FActionList) FActionList->Change();
}

// ---- TShortCutList ----------------------------------------------------------------------------

int TShortCutList::IndexOfShortCut(TShortCut ShortCut) const {
    if (ShortCut == 0) return -1;
    for (int I = 0; I < Count(); ++I)
        if (ShortCuts(I) == ShortCut) return I;
    return -1;
}

// ---- TCustomAction ----------------------------------------------------------------------------

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

TCustomAction::~TCustomAction() = default;

template <class F> void TCustomAction::ForEachLink(F Fn) {
    for (TBasicActionLink* Link : std::vector<TBasicActionLink*>(FClients))
        if (auto* L = dynamic_cast<TActionLink*>(Link)) Fn(L);
}

bool TCustomAction::Execute() {
    if (Suspended()) return false;
    Update();
    if (FEnabled && FAutoCheck && (!FChecked || FGroupIndex == 0)) SetChecked(!FChecked);
    return FEnabled && TContainedAction::Execute();
}

bool TCustomAction::Update() {
    if (Suspended()) return false;
    const bool Handled = TContainedAction::Update();
    if (!Handled && FEnabled && FDisableIfNoHandler && !OnExecute) SetEnabled(false);
    return Handled;
}

void TCustomAction::SetCaption(const String& Value) {
    if (FCaption == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetCaption(Value); });
    FCaption = Value;
    Change();
}

void TCustomAction::SetChecked(bool Value) {
    if (FChecking || FChecked == Value) return;
    TFlagScope Checking(FChecking);
    ForEachLink([&](TActionLink* L) { L->SetChecked(Value); });
    FChecked = Value;
    if (FChecked && FGroupIndex > 0 && ActionList())
        for (int I = 0; I < ActionList()->ActionCount(); ++I) {
            auto* Other = dynamic_cast<TCustomAction*>(ActionList()->Actions(I));
            if (Other && Other != this && Other->FGroupIndex == FGroupIndex) Other->SetChecked(false);
        }
    Change();
}

void TCustomAction::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetEnabled(Value); });
    FEnabled = Value;
    Change();
}

void TCustomAction::SetVisible(bool Value) {
    if (FVisible == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetVisible(Value); });
    FVisible = Value;
    Change();
}

void TCustomAction::SetHint(const String& Value) {
    if (FHint == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetHint(Value); });
    FHint = Value;
    Change();
}

void TCustomAction::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetImageIndex(Value); });
    FImageIndex = Value;
    Change();
}

void TCustomAction::SetHelpContext(int Value) {
    if (FHelpContext == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetHelpContext(Value); });
    FHelpContext = Value;
    Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetShortCut(Value); });
    FShortCut = Value;
    Change();
}

TShortCutList* TCustomAction::SecondaryShortCuts() const {
    if (!FSecondaryShortCuts) FSecondaryShortCuts = std::make_unique<TShortCutList>();
    return FSecondaryShortCuts.get();
}

void TCustomAction::SetSecondaryShortCuts(TShortCutList* Value) {
    if (Value)
        SecondaryShortCuts()->Assign(Value);
    else if (FSecondaryShortCuts)
        FSecondaryShortCuts->Clear();
}

void TCustomAction::SetAutoCheck(bool Value) {
    if (FAutoCheck == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetAutoCheck(Value); });
    FAutoCheck = Value;
    Change();
}

void TCustomAction::SetGroupIndex(int Value) {
    if (FGroupIndex == Value) return;
    ForEachLink([&](TActionLink* L) { L->SetGroupIndex(Value); });
    FGroupIndex = Value;
    Change();
}

bool TCustomAction::HasShortCut(TShortCut Value) const {
    if (Value == 0) return false;
    return FShortCut == Value || (FSecondaryShortCuts && FSecondaryShortCuts->IndexOfShortCut(Value) >= 0);
}

void TAction::Published(TPublisher<TAction>& P) {
    P.Property(u"AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck).Default(false);
    P.Property(u"Caption", &TAction::Caption, &TAction::SetCaption);
    P.Property(u"Category", &TAction::Category, &TAction::SetCategory);
    P.Property(u"Checked", &TAction::Checked, &TAction::SetChecked).Default(false);
    P.Property(u"DisableIfNoHandler", &TAction::DisableIfNoHandler, &TAction::SetDisableIfNoHandler)
        .Default(true);
    P.Property(u"Enabled", &TAction::Enabled, &TAction::SetEnabled).Default(true);
    P.Property(u"GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex).Default(0);
    P.Property(u"HelpContext", &TAction::HelpContext, &TAction::SetHelpContext).Default(0);
    P.Property(u"Hint", &TAction::Hint, &TAction::SetHint);
    P.Property(u"ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).Default(-1);
    P.Property(u"ShortCut", &TAction::ShortCut, &TAction::SetShortCut).Default(0);
    P.Property(u"SecondaryShortCuts", &TAction::SecondaryShortCuts, &TAction::SetSecondaryShortCuts)
        .Stored(&TAction::IsSecondaryShortCutsStored);
    P.Property(u"Visible", &TAction::Visible, &TAction::SetVisible).Default(true);
    P.Property(u"OnExecute", &TAction::OnExecute);
    P.Property(u"OnUpdate", &TAction::OnUpdate);
}

// ---- Action lists -----------------------------------------------------------------------------

namespace {

// The live action lists in the order they were made, for the idle-time update.
std::mutex ListLock;
std::vector<TCustomActionList*> LiveLists;

bool IsLive(TCustomActionList* List) {
    std::lock_guard<std::mutex> Guard(ListLock);
    return std::find(LiveLists.begin(), LiveLists.end(), List) != LiveLists.end();
}

} // namespace

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {
    std::lock_guard<std::mutex> Guard(ListLock);
    LiveLists.push_back(this);
}

TCustomActionList::~TCustomActionList() {
    {
        std::lock_guard<std::mutex> Guard(ListLock);
        std::erase(LiveLists, this);
    }
    while (!FActions.empty())
        delete FActions.back(); // takes itself out of the list
}

TContainedAction* TCustomActionList::Actions(int Index) const {
    if (Index < 0 || Index >= ActionCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FActions[Index];
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    Change();
}

void TCustomActionList::SetState(TActionListState Value) {
    if (FState == Value) return;
    FState = Value;
    if (FState == asSuspendedEnabled)
        for (TContainedAction* A : std::vector<TContainedAction*>(FActions))
            if (auto* C = dynamic_cast<TCustomAction*>(A)) C->SetEnabled(true);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
    bool Handled = false;
    if (OnExecute) OnExecute(Action, Handled);
    return Handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
    bool Handled = false;
    if (OnUpdate) OnUpdate(Action, Handled);
    return Handled;
}

bool TCustomActionList::IsShortCut(Word Key, TShiftState Shift) {
    const TShortCut Wanted = ShortCut(Key, Shift);
    if (Wanted == 0) return false;
    for (TContainedAction* A : std::vector<TContainedAction*>(FActions)) {
        auto* C = dynamic_cast<TCustomAction*>(A);
        if (C && C->HasShortCut(Wanted) && C->HandleShortCut()) return true;
        if (!IsLive(this)) return false; // an action's handler freed the list
    }
    return false;
}

void TCustomActionList::UpdateActions() {
    if (FState != asNormal) return;
    const std::vector<TContainedAction*> Actions = FActions;
    for (TContainedAction* A : Actions) {
        // An update may free actions, or the list itself.
        if (!IsLive(this)) return;
        if (std::find(FActions.begin(), FActions.end(), A) != FActions.end()) A->Update();
    }
}

void TCustomActionList::Change() {
    if (OnChange && !ComponentState().Contains(csDestroying)) OnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TCustomActionList::AddAction(TContainedAction* Action) {
    FActions.push_back(Action);
    Action->FActionList = this;
    Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
    const auto It = std::find(FActions.begin(), FActions.end(), Action);
    if (It == FActions.end()) return;
    FActions.erase(It);
    Action->FActionList = nullptr;
    Change();
}

void TActionList::Published(TPublisher<TActionList>& P) {
    P.Property(u"Images", &TActionList::Images, &TActionList::SetImages);
    P.Property(u"State", &TActionList::State, &TActionList::SetState).Default(asNormal);
    P.Property(u"OnChange", &TActionList::OnChange);
    P.Property(u"OnExecute", &TActionList::OnExecute);
    P.Property(u"OnUpdate", &TActionList::OnUpdate);
}

// ---- What the application calls ---------------------------------------------------------------

void IdleUpdateActions() {
    std::vector<TCustomActionList*> Lists;
    {
        std::lock_guard<std::mutex> Guard(ListLock);
        Lists = LiveLists;
    }
    for (TCustomActionList* List : Lists)
        if (IsLive(List) && !List->ComponentState().Contains(csDestroying)) List->UpdateActions();
}

bool DispatchActionShortCut(TComponent* Root, Word Key, TShiftState Shift) {
    if (!Root) return false;
    for (int I = 0; I < Root->ComponentCount(); ++I) {
        TComponent* C = Root->Components(I);
        if (auto* List = dynamic_cast<TCustomActionList*>(C)) {
            if (List->IsShortCut(Key, Shift)) return true;
        } else if (C->ComponentCount() > 0 && DispatchActionShortCut(C, Key, Shift)) {
            return true;
        }
    }
    return false;
}
