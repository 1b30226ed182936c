#include "platform/base/Component.h"

#include "platform/base/Lists.h"

#include "platform/base/Strings.h"

#include <algorithm>

namespace {

bool IsIdentStart(Char C) {
    return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z') || C == u'_';
}
bool IsIdentChar(Char C) {
    return IsIdentStart(C) || (C >= u'0' && C <= u'9');
}

bool IsValidComponentName(const String& S) {
    return !S.empty() && IsIdentStart(S[0]) && std::all_of(S.begin() + 1, S.end(), IsIdentChar);
}

void Erase(std::vector<TComponent*>& List, TComponent* Item) {
    auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end()) List.erase(It);
}

} // namespace

// While a component is told something it must stay alive: a delete that arrives meanwhile (a
// handler freeing its own component or that one's owner, say) is carried out when the
// outermost notification of that component has returned.
class TComponent::TBusyGuard {
public:
    explicit TBusyGuard(TComponent* C) : FComponent(C) { ++C->FBusy; }
    ~TBusyGuard() {
        if (--FComponent->FBusy == 0 && FComponent->FDeletePending) {
            FComponent->FDeletePending = false;
            delete FComponent;
        }
    }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    TComponent* FComponent;
};

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

void* TComponent::operator new(std::size_t Size) {
    return ::operator new(Size);
}

void TComponent::operator delete(void* Ptr) {
    ::operator delete(Ptr);
}

void TComponent::operator delete(TComponent* Ptr, std::destroying_delete_t) {
    if (!Ptr || Ptr->FDestroyStarted) return;
    if (Ptr->FBusy > 0) {
        Ptr->FDeletePending = true;
        return;
    }
    Ptr->FDestroyStarted = true;
    Ptr->BeforeDestruction();
    Ptr->Destroying();
    Ptr->RemoveFreeNotifications();
    void* Memory = dynamic_cast<void*>(Ptr);
    Ptr->~TComponent();
    ::operator delete(Memory);
}

TComponent::~TComponent() {
    FDestroyStarted = true;
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    RemoveFreeNotifications(); // partners that came while the owned components went
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& List = FOwner->FComponents;
    return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TComponent::SetComponentIndex(int Value) {
    if (!FOwner) return;
    auto& List = FOwner->FComponents;
    const int Current = ComponentIndex();
    Value = std::clamp(Value, 0, static_cast<int>(List.size()) - 1);
    if (Value == Current) return;
    List.erase(List.begin() + Current);
    List.insert(List.begin() + Value, this);
}

void TComponent::SetName(const String& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidComponentName(NewName))
        throw EComponentError(u"'" + NewName + u"' is not a valid component name");
    String Name = NewName;
    // A component being loaded under an owner that is not (a form built while its owner already
    // holds one of that name) takes the name with "_1", "_2" ... appended, as the root of a
    // stored definition does: one owner can hold several windows of one kind.
    if (FOwner && !Name.empty() && FComponentState.Contains(csLoading) &&
        !FOwner->ComponentState().Contains(csLoading))
        for (int I = 1;; ++I) {
            const TComponent* Holder = FOwner->FindComponent(Name);
            if (!Holder || Holder == this) break;
            Name = NewName + u"_" + IntToStr(I);
        }
    if (FName == Name) return;
    if (FOwner)
        FOwner->ValidateRename(this, FName, Name);
    else
        ValidateRename(nullptr, FName, Name);
    ChangeName(Name);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
    if (!AComponent || NewName.empty() || SameText(CurName, NewName)) return;
    TComponent* Found = FindComponent(NewName);
    if (Found && Found != AComponent)
        throw EComponentError(u"A component named " + NewName + u" already exists");
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    FComponentState.Include(csFreeNotification);
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
        AComponent->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    Erase(FFreeNotifies, AComponent);
}

// Each partner leaves both lists before it is told, so that a handler that does not call the
// inherited Notification (or frees other partners) leaves no pointer to this component behind.
void TComponent::RemoveFreeNotifications() {
    while (!FFreeNotifies.empty()) {
        TComponent* Partner = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Partner->RemoveNotification(this);
        TBusyGuard Guard(Partner);
        Partner->Notification(this, opRemove);
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent) return;
    for (TComponent* C = this; C; C = C->FOwner)
        if (C == AComponent) throw EComponentError(u"A component cannot own itself or one of its owners");
    if (AComponent->FOwner == this) return;
    ValidateRename(AComponent, String(), AComponent->FName);
    TBusyGuard Guard(this);
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner != this) return;
    TBusyGuard Guard(this);
    Notification(AComponent, opRemove);
    // A handler may have freed AComponent meanwhile; it then left the list by itself.
    auto It = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (It != FComponents.end()) {
        FComponents.erase(It);
        AComponent->FOwner = nullptr;
    }
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* C : FComponents)
        if (SameText(C->FName, AName)) return C;
    return nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* C = FComponents.back();
        FComponents.pop_back();
        C->FOwner = nullptr;
        delete C;
    }
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* C : FComponents)
        C->Destroying();
}

String TComponent::GetNamePath() const {
    return FName;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    TBusyGuard Guard(this);
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Handlers may free components of the list; the index is pulled back into range.
    int I = ComponentCount() - 1;
    while (I >= 0) {
        TComponent* Child = FComponents[static_cast<size_t>(I)];
        {
            TBusyGuard ChildGuard(Child);
            Child->Notification(AComponent, Operation);
        }
        --I;
        if (I >= ComponentCount()) I = ComponentCount() - 1;
    }
}

void RegisterPlatformBaseClasses() {
    RegisterClass(TPersistent::StaticClass());
    RegisterClass(TComponent::StaticClass());
    RegisterClass(TStringList::StaticClass());
}
