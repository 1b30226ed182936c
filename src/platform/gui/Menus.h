#pragma once
// Shortcuts, menu items, main menus and pop-up menus.
//
// A shortcut (TShortCut) packs a virtual-key code in the low byte with scShift, scCtrl and
// scAlt. Menu items form a tree under a menu's Items; every change reaches the menu's views
// (the Qt menu bar of a form, a pop-up menu shown), which MenusQt.h builds.

#include "platform/base/Component.h"
#include "platform/base/Geometry.h"
#include "platform/gui/ShiftState.h"

#include <functional>
#include <memory>
#include <vector>

class TBasicAction;
class TChangeLink;
class TCustomImageList;
class TMenu;
class TMenuActionLink;

DECLARE_EXCEPTION(EMenuError, Exception)

// ---- Shortcuts --------------------------------------------------------------------------------

using TShortCut = Word;

constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// Key + modifiers; 0 for a key above 255.
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F3", "Shift+Ctrl+Del", "Alt+Left", "F9" (modifiers in the order Shift, Ctrl,
// Alt); "" for 0 and for a key without a name.
String ShortCutToText(TShortCut ShortCut);
// The other way, without regard to case and to the order of the modifiers ("^" is Ctrl too);
// 0 for an unknown key name.
TShortCut TextToShortCut(const String& Text);

// A caption without its '&' mnemonic markers ("&&" stands for one '&').
String StripHotkey(const String& Text);

// ---- Menu items -------------------------------------------------------------------------------

class TMenuItem : public TComponent {
    DECLARE_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    // Takes the item out of its parent and deletes its sub-items.
    ~TMenuItem() override;

    // '&' marks the mnemonic; "-" makes a separator line.
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    // Checking a radio item unchecks the radio items of its GroupIndex among its siblings.
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    Byte GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Byte Value);
    // A click toggles Checked.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Shown in bold: the command a double click would run.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    // Into the menu's Images; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value);

    // The item takes the action's caption, state, hint, image and shortcut and follows their
    // later changes (as long as it has not changed them itself); a click runs the action.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);

    // ---- The tree
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EMenuError "Menu index out of range".
    TMenuItem* Items(int Index) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    void Add(TMenuItem* Item);
    // Raises EMenuError "Menu inserted twice" for an item that has a parent already.
    void Insert(int Index, TMenuItem* Item);
    // Takes the item at Index out of this menu (it is not deleted).
    void Delete(int Index);
    // Raises EMenuError "Sub-menu is not in menu" for an item of another parent.
    void Remove(TMenuItem* Item);
    // Deletes every sub-item.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The sub-item of that caption, compared without mnemonics and case; null when absent.
    TMenuItem* Find(const String& ACaption) const;
    bool IsLine() const { return FCaption == u"-"; }
    // The menu whose Items this item is under; null for a loose item.
    TMenu* GetParentMenu() const;

    // Toggles an auto-check item, then runs OnClick, or else the action. Nothing when disabled.
    virtual void Click();
    // Lets the linked action update itself (OnUpdate) before the item is shown or used.
    void InitiateAction();

    TNotifyEvent OnClick;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    // Tells the menu's views; Rebuild when the tree changed, not just a property.
    void MenuChanged(bool Rebuild);
    // Copies the action's properties; CheckDefaults copies only onto properties still at
    // their defaults (an item loaded with properties of its own keeps them).
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);

private:
    friend class TMenu;
    friend class TMenuActionLink;

    String FCaption;
    bool FChecked = false;
    bool FRadioItem = false;
    Byte FGroupIndex = 0;
    bool FAutoCheck = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    TShortCut FShortCut = 0;
    int FImageIndex = -1;
    String FHint;
    int FHelpContext = 0;
    std::unique_ptr<TMenuActionLink> FActionLink;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on a menu's root item

    void TurnSiblingsOff();

    static void Published(TPublisher<TMenuItem>& P);
};

// ---- Menus ------------------------------------------------------------------------------------

// Something that shows a menu and follows its changes (the Qt side implements it).
class TMenuView {
public:
    virtual ~TMenuView() = default;
    // Source changed; Rebuild when items were added, removed or moved.
    virtual void MenuChanged(TMenuItem* Source, bool Rebuild) = 0;
    // The menu is going; the view must forget it.
    virtual void MenuDestroying() = 0;
};

using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

class TMenu : public TComponent {
    DECLARE_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item; its sub-items are the menu.
    TMenuItem* Items() const { return FItems.get(); }
    // The items' images (ImageIndex); the views follow the list's changes.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);

    // Finds the item of the shortcut of Key and Shift (depth first, in menu order), lets its
    // action update, and clicks it when it is enabled: true then, false otherwise.
    bool IsShortCut(Word Key, TShiftState Shift);
    // The first item of that shortcut; null when none has it.
    TMenuItem* FindItem(TShortCut Value) const;

    void AddView(TMenuView* View);
    void RemoveView(TMenuView* View);

    TMenuChangeEvent OnChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

private:
    friend class TMenuItem;
    std::unique_ptr<TMenuItem> FItems;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::vector<TMenuView*> FViews;

    static void Published(TPublisher<TMenu>& P);
};

// A form's menu bar. The form builds its bar with CreateMenuBar (MenusQt.h) and passes its
// keys to IsShortCut.
class TMainMenu : public TMenu {
    DECLARE_CLASS(TMainMenu, TMenu)
public:
    using TMenu::TMenu;
};

class TPopupMenu : public TMenu {
    DECLARE_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Fires OnPopup, updates the items' actions and shows the menu at the screen point (X, Y).
    // It returns at once; a chosen item's Click runs when the user picks it.
    virtual void Popup(int X, int Y);
    // The control whose right click popped the menu up (set by the control before Popup).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    TPoint PopupPoint() const { return FPopupPoint; }
    // Controls pop the menu up on a right click by themselves while AutoPopup.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void DoPopup(TObject* Sender);

private:
    TComponent* FPopupComponent = nullptr;
    TPoint FPopupPoint{-1, -1};
    bool FAutoPopup = true;
    std::unique_ptr<TMenuView> FPopupView;

    static void Published(TPublisher<TPopupMenu>& P);
};
