#pragma once
// TComponent: the unit of ownership. A component deletes the components it owns, knows them
// by name, and tells components that asked for it (free notification) when it goes.

#include "platform/base/Persistent.h"
#include "platform/base/Set.h"

#include <cstdint>
#include <new>
#include <vector>

DECLARE_ENUM(TOperation, Byte, opInsert, opRemove)
DECLARE_ENUM(TComponentStateItem, Byte, csLoading, csReading, csWriting, csDestroying, csDesigning,
             csAncestor, csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TPersistent {
    DECLARE_CLASS(TComponent, TPersistent)
public:
    // With an owner, the owner takes the new component into its list (and is told: opInsert).
    explicit TComponent(TComponent* AOwner);
    // Sets csDestroying, tells every free-notification holder (opRemove), deletes the owned
    // components (the last first, each taken out of the list before it goes), leaves the owner.
    ~TComponent() override;

    // `delete` runs the first two steps above while the object is still whole, so that
    // holders see the real class and a descendant's destructor already finds csDestroying.
    // Deleting a component that is being destroyed already does nothing (the first delete
    // finishes), and deleting one from inside its own notification waits until that ends.
    static void operator delete(TComponent* Ptr, std::destroying_delete_t);
    // Allocation to match (out of line, so that the compiler pairs them by class).
    static void* operator new(std::size_t Size);
    static void operator delete(void* Ptr); // for a constructor that throws

    TComponent* Owner() const { return FOwner; }
    // Raises EListError "List index out of bounds (%d)" outside 0 .. ComponentCount() - 1.
    TComponent* Components(int Index) const;
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    // The position in the owner's list; -1 without an owner.
    int ComponentIndex() const;
    void SetComponentIndex(int Value);

    const String& Name() const { return FName; }
    // A valid identifier or empty, else EComponentError "'%s' is not a valid component name";
    // a name another component of the owner has (without regard to case) raises
    // EComponentError "A component named %s already exists".
    virtual void SetName(const String& NewName);
    std::intptr_t Tag() const { return FTag; }
    void SetTag(std::intptr_t Value) { FTag = Value; }

    TComponentState ComponentState() const { return FComponentState; }
    // For loaders: a form built in code sets csLoading before it sets the stored properties and
    // calls Loaded on each component afterwards.
    void SetComponentState(const TComponentState& Value) { FComponentState = Value; }
    // Called when the stored properties have been set; clears csLoading.
    virtual void Loaded();
    // Called by `delete` while the object is still whole, before csDestroying is set (a form
    // fires OnDestroy here, a window is destroyed here so that its handlers still run).
    virtual void BeforeDestruction() {}

    // AComponent is told (Notification opRemove) when this component goes, and the other way
    // round.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Takes AComponent over from its former owner; a duplicate name raises EComponentError.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // The owned component of that name (without regard to case); null when absent or empty.
    TComponent* FindComponent(const String& AName) const;
    void DestroyComponents();
    // Sets csDestroying on this component and on everything it owns.
    void Destroying();

    String GetNamePath() const override;

protected:
    // AComponent has been inserted into or is being removed from this component's owner
    // tree, or a free-notification partner is going. The default forgets a removed component
    // as a free-notification partner and passes the news on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
    virtual void ChangeName(const String& NewName) { FName = NewName; }
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TComponent* FOwner = nullptr;
    String FName;
    std::intptr_t FTag = 0;
    TComponentState FComponentState;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FDestroyStarted = false;
    int FBusy = 0; // notifications of this component running
    bool FDeletePending = false;

    class TBusyGuard;
    void RemoveNotification(TComponent* AComponent);
    void RemoveFreeNotifications();

    static void Published(TPublisher<TComponent>& P) {
        P.Property(u"Name", &TComponent::Name, &TComponent::SetName).Stored(false);
        P.Property(u"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
    }
};
