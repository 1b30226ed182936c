#pragma once
// Actions and action lists. An action is a command with a caption, a state and a shortcut that
// menu items and controls (its clients) take over through action links: a client shows what the
// action says, follows its changes, and runs the action when it is clicked. The application's
// idle handling lets every action update itself (IdleUpdateActions), and forms pass keys to
// their action lists (TCustomActionList::IsShortCut).

#include "platform/base/Component.h"
#include "platform/base/Lists.h"
#include "platform/gui/Menus.h"

#include <functional>
#include <memory>
#include <vector>

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

// ---- Links ------------------------------------------------------------------------------------

// The client's side of the bond with an action. The client owns its link; the link registers
// with the action, and the action tells its links about changes.
class TBasicActionLink : public TObject {
    DECLARE_CLASS(TBasicActionLink, TObject)
public:
    explicit TBasicActionLink(TObject* AClient);
    ~TBasicActionLink() override;

    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* Value);
    // Runs the action with AComponent as its ActionComponent meanwhile.
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();

    // Fires whenever the action changed.
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change();

    TObject* FClient;
    TBasicAction* FAction = nullptr;
};

// A link that passes the properties of a TCustomAction on. A client's link overrides the
// setters; each IsXLinked says whether the client still follows X (by default: whether the
// action is a TCustomAction).
class TActionLink : public TBasicActionLink {
    DECLARE_CLASS(TActionLink, TBasicActionLink)
public:
    using TBasicActionLink::TBasicActionLink;

    virtual bool IsCaptionLinked() const;
    virtual bool IsCheckedLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsGroupIndexLinked() const;
    virtual bool IsHelpContextLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsImageIndexLinked() const;
    virtual bool IsShortCutLinked() const;
    virtual bool IsVisibleLinked() const;
    virtual bool IsAutoCheckLinked() const;

    virtual void SetAutoCheck(bool) {}
    virtual void SetCaption(const String&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetGroupIndex(int) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const String&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
};

// ---- Actions ----------------------------------------------------------------------------------

class TBasicAction : public TComponent {
    DECLARE_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // Runs OnExecute; false when it is not assigned.
    virtual bool Execute();
    // Runs OnUpdate; false when it is not assigned.
    virtual bool Update();
    virtual bool HandleShortCut() { return Execute(); }

    // The client that runs the action right now (the menu item clicked, say).
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* Value);

    int ClientCount() const { return static_cast<int>(FClients.size()); }
    TBasicActionLink* Clients(int Index) const { return FClients.at(Index); }

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

protected:
    friend class TBasicActionLink;
    // Tells OnChange and the clients' links.
    virtual void Change();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnChange;
    std::vector<TBasicActionLink*> FClients;

private:
    TComponent* FActionComponent = nullptr;
};

class TContainedAction : public TBasicAction {
    DECLARE_CLASS(TContainedAction, TBasicAction)
public:
    using TBasicAction::TBasicAction;
    ~TContainedAction() override;

    // The list's OnExecute first; when it does not handle the action, OnExecute.
    bool Execute() override;
    // The list's OnUpdate first; when it does not handle the action, OnUpdate.
    bool Update() override;

    TCustomActionList* ActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* Value);
    const String& Category() const { return FCategory; }
    void SetCategory(const String& Value);
    // The position in the action list; -1 without one.
    int Index() const;
    void SetIndex(int Value);

    // The list is suspended (asSuspended, asSuspendedEnabled): no execution, no updates.
    bool Suspended() const;

protected:
    void Change() override;

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
    String FCategory;
};

// Lines "Ctrl+X" whose shortcuts an action answers to besides its ShortCut.
class TShortCutList : public TStringList {
    DECLARE_CLASS(TShortCutList, TStringList)
public:
    TShortCut ShortCuts(int Index) const { return TextToShortCut(Strings(Index)); }
    int IndexOfShortCut(TShortCut ShortCut) const;
};

class TCustomAction : public TContainedAction {
    DECLARE_CLASS(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* AOwner);
    ~TCustomAction() override;

    // Updates first; when enabled, toggles an AutoCheck action (a checked one of a group stays
    // checked) and runs it.
    bool Execute() override;
    // As inherited; when nothing handled the update, an enabled action with DisableIfNoHandler
    // and no OnExecute disables itself.
    bool Update() override;

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    // Checking an action of a GroupIndex above 0 unchecks the others of that group in its list.
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    // Made on first use.
    TShortCutList* SecondaryShortCuts() const;
    void SetSecondaryShortCuts(TShortCutList* Value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
    void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

    // Whether the action answers to the shortcut (ShortCut or one of SecondaryShortCuts).
    bool HasShortCut(TShortCut Value) const;
    bool IsSecondaryShortCutsStored() const {
        return FSecondaryShortCuts && FSecondaryShortCuts->Count() > 0;
    }

private:
    String FCaption;
    bool FChecked = false;
    bool FChecking = false;
    bool FEnabled = true;
    bool FVisible = true;
    String FHint;
    int FImageIndex = -1;
    int FHelpContext = 0;
    TShortCut FShortCut = 0;
    mutable std::unique_ptr<TShortCutList> FSecondaryShortCuts;
    bool FAutoCheck = false;
    int FGroupIndex = 0;
    bool FDisableIfNoHandler = true;

    // Calls F on every client link that is a TActionLink.
    template <class F> void ForEachLink(F Fn);
};

class TAction : public TCustomAction {
    DECLARE_CLASS(TAction, TCustomAction)
public:
    using TCustomAction::TCustomAction;

private:
    static void Published(TPublisher<TAction>& P);
};

// ---- Action lists -----------------------------------------------------------------------------

DECLARE_ENUM(TActionListState, Byte, asNormal, asSuspended, asSuspendedEnabled)

// Handled: set true to stop the action's own handler.
using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
    DECLARE_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* AOwner);
    // Deletes its actions.
    ~TCustomActionList() override;

    int ActionCount() const { return static_cast<int>(FActions.size()); }
    TContainedAction* Actions(int Index) const;
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TActionListState State() const { return FState; }
    // asSuspendedEnabled enables every action.
    void SetState(TActionListState Value);

    // Fires OnExecute; true when it handled the action.
    virtual bool ExecuteAction(TBasicAction* Action);
    // Fires OnUpdate; true when it handled the action.
    virtual bool UpdateAction(TBasicAction* Action);
    // Runs the first enabled action (in list order) that answers to the shortcut of Key and
    // Shift; true when one ran.
    bool IsShortCut(Word Key, TShiftState Shift);
    // Lets every action update itself (nothing while suspended).
    void UpdateActions();

    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;

protected:
    friend class TContainedAction;
    virtual void Change();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);

private:
    std::vector<TContainedAction*> FActions;
    TCustomImageList* FImages = nullptr;
    TActionListState FState = asNormal;
};

class TActionList : public TCustomActionList {
    DECLARE_CLASS(TActionList, TCustomActionList)
public:
    using TCustomActionList::TCustomActionList;

private:
    static void Published(TPublisher<TActionList>& P);
};

// ---- What the application calls ---------------------------------------------------------------

// Points a client's action link at Value: the link is made on first use (TLink(Client)) and
// dropped with no action; the client takes the new action's properties through ActionChanged
// and hears when the action is freed. Menu items, buttons and tool buttons share it.
template <class TLink, class TClient, class TChanged>
void LinkClientToAction(TClient* Client, std::unique_ptr<TLink>& Link, TBasicAction* Value,
                        TChanged ActionChanged) {
    TBasicAction* Old = Link ? Link->Action() : nullptr;
    if (Value == Old) return;
    if (Old) Old->RemoveFreeNotification(Client);
    if (!Value) {
        Link.reset();
        return;
    }
    if (!Link) Link = std::make_unique<TLink>(Client);
    Link->SetAction(Value);
    ActionChanged(Value);
    Value->FreeNotification(Client);
}


// The idle-time update: every action of every action list that is not suspended runs its
// update (OnUpdate), in the order the actions were created.
void IdleUpdateActions();

// Offers Key and Shift to the action lists among Root's components and, depth first, the
// components they own (frames); true when an action ran.
bool DispatchActionShortCut(TComponent* Root, Word Key, TShiftState Shift);
