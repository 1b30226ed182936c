#include "platform/gui/Menus.h"

#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ImgList.h"

#include <algorithm>

// ---- Shortcuts --------------------------------------------------------------------------------

namespace {

// The names of keys other than digits, letters and function keys, as the programs show them.
struct TKeyName {
    Byte Key;
    const char16_t* Name;
};

constexpr TKeyName KeyNames[] = {
    {0x08, u"BkSp"},      {0x09, u"Tab"},     {0x0D, u"Enter"}, {0x13, u"Pause"},    {0x14, u"Caps Lock"},
    {0x1B, u"Esc"},       {0x20, u"Space"},   {0x21, u"PgUp"},  {0x22, u"PgDn"},     {0x23, u"End"},
    {0x24, u"Home"},      {0x25, u"Left"},    {0x26, u"Up"},    {0x27, u"Right"},    {0x28, u"Down"},
    {0x2C, u"Prnt Scrn"}, {0x2D, u"Ins"},     {0x2E, u"Del"},   {0x6A, u"Num *"},    {0x6B, u"Num +"},
    {0x6D, u"Num -"},     {0x6E, u"Num Del"}, {0x6F, u"Num /"}, {0x90, u"Num Lock"}, {0x91, u"Scroll Lock"},
    {0xBA, u";"},         {0xBB, u"="},       {0xBC, u","},     {0xBD, u"-"},        {0xBE, u"."},
    {0xBF, u"/"},         {0xC0, u"`"},       {0xDB, u"["},     {0xDC, u"\\"},       {0xDD, u"]"},
    {0xDE, u"'"}};

String KeyName(Byte Key) {
    if (Key >= 0x30 && Key <= 0x39) return String(1, Char(u'0' + Key - 0x30));
    if (Key >= 0x41 && Key <= 0x5A) return String(1, Char(u'A' + Key - 0x41));
    if (Key >= 0x60 && Key <= 0x69) return String(1, Char(u'0' + Key - 0x60)); // the number pad's digits
    if (Key >= 0x70 && Key <= 0x87) return u"F" + IntToStr(Key - 0x6F);
    for (const TKeyName& K : KeyNames)
        if (K.Key == Key) return K.Name;
    return String();
}

// Removes Front from the start of Text when Text starts with it (without regard to case).
bool TakeFront(String& Text, const String& Front) {
    if (Text.size() < Front.size() || !AnsiSameText(Text.substr(0, Front.size()), Front)) return false;
    Text.erase(0, Front.size());
    return true;
}

} // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key > 0xFF) return 0;
    TShortCut Result = Key;
    if (Shift.Contains(ssShift)) Result |= scShift;
    if (Shift.Contains(ssCtrl)) Result |= scCtrl;
    if (Shift.Contains(ssAlt)) Result |= scAlt;
    return Result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
    Key = ShortCut & ~(scShift | scCtrl | scAlt);
    Shift = TShiftState();
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut ShortCut) {
    const String Name = KeyName(Byte(ShortCut & 0xFF));
    if (Name.empty()) return String();
    String Result;
    if (ShortCut & scShift) Result += u"Shift+";
    if (ShortCut & scCtrl) Result += u"Ctrl+";
    if (ShortCut & scAlt) Result += u"Alt+";
    return Result + Name;
}

TShortCut TextToShortCut(const String& Text) {
    String Rest = Text;
    TShortCut Shift = 0;
    while (true) {
        if (TakeFront(Rest, u"Shift+"))
            Shift |= scShift;
        else if (TakeFront(Rest, u"^") || TakeFront(Rest, u"Ctrl+"))
            Shift |= scCtrl;
        else if (TakeFront(Rest, u"Alt+"))
            Shift |= scAlt;
        else
            break;
    }
    if (Rest.empty()) return 0;
    for (int Key = 0x08; Key <= 0xFF; ++Key)
        if (AnsiSameText(Rest, KeyName(Byte(Key)))) return TShortCut(Key | Shift);
    return 0;
}

String StripHotkey(const String& Text) {
    String Result;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == u'&') {
            if (I + 1 < Text.size() && Text[I + 1] == u'&') Result += u'&', ++I;
            continue;
        }
        Result += Text[I];
    }
    return Result;
}

// ---- The menu item's action link -------------------------------------------------------------

class TMenuActionLink : public TActionLink {
public:
    explicit TMenuActionLink(TMenuItem* AClient) : TActionLink(AClient), FItem(AClient) {}

    TCustomAction* Custom() const { return dynamic_cast<TCustomAction*>(FAction); }

    bool IsCaptionLinked() const override {
        return TActionLink::IsCaptionLinked() && FItem->Caption() == Custom()->Caption();
    }
    bool IsCheckedLinked() const override {
        return TActionLink::IsCheckedLinked() && FItem->Checked() == Custom()->Checked();
    }
    bool IsEnabledLinked() const override {
        return TActionLink::IsEnabledLinked() && FItem->Enabled() == Custom()->Enabled();
    }
    bool IsGroupIndexLinked() const override {
        return TActionLink::IsGroupIndexLinked() && FItem->GroupIndex() == Custom()->GroupIndex();
    }
    bool IsHelpContextLinked() const override {
        return TActionLink::IsHelpContextLinked() && FItem->HelpContext() == Custom()->HelpContext();
    }
    bool IsHintLinked() const override {
        return TActionLink::IsHintLinked() && FItem->Hint() == Custom()->Hint();
    }
    bool IsImageIndexLinked() const override {
        return TActionLink::IsImageIndexLinked() && FItem->ImageIndex() == Custom()->ImageIndex();
    }
    bool IsShortCutLinked() const override {
        return TActionLink::IsShortCutLinked() && FItem->ShortCut() == Custom()->ShortCut();
    }
    bool IsVisibleLinked() const override {
        return TActionLink::IsVisibleLinked() && FItem->Visible() == Custom()->Visible();
    }
    bool IsAutoCheckLinked() const override {
        return TActionLink::IsAutoCheckLinked() && FItem->AutoCheck() == Custom()->AutoCheck();
    }

    void SetAutoCheck(bool Value) override {
        if (IsAutoCheckLinked()) FItem->SetAutoCheck(Value);
    }
    void SetCaption(const String& Value) override {
        if (IsCaptionLinked()) FItem->SetCaption(Value);
    }
    void SetChecked(bool Value) override {
        if (IsCheckedLinked()) FItem->SetChecked(Value);
    }
    void SetEnabled(bool Value) override {
        if (IsEnabledLinked()) FItem->SetEnabled(Value);
    }
    void SetGroupIndex(int Value) override {
        if (IsGroupIndexLinked()) FItem->SetGroupIndex(Byte(Value));
    }
    void SetHelpContext(int Value) override {
        if (IsHelpContextLinked()) FItem->SetHelpContext(Value);
    }
    void SetHint(const String& Value) override {
        if (IsHintLinked()) FItem->SetHint(Value);
    }
    void SetImageIndex(int Value) override {
        if (IsImageIndexLinked()) FItem->SetImageIndex(Value);
    }
    void SetShortCut(TShortCut Value) override {
        if (IsShortCutLinked()) FItem->SetShortCut(Value);
    }
    void SetVisible(bool Value) override {
        if (IsVisibleLinked()) FItem->SetVisible(Value);
    }

private:
    TMenuItem* FItem;
};

// ---- TMenuItem --------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    if (FParent) FParent->Remove(this);
    while (!FItems.empty()) {
        TMenuItem* Item = FItems.back();
        Item->FParent = nullptr;
        FItems.pop_back();
        delete Item;
    }
    FActionLink.reset();
}

void TMenuItem::Published(TPublisher<TMenuItem>& P) {
    P.Property(u"Action", &TMenuItem::Action, &TMenuItem::SetAction);
    P.Property(u"AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
    P.Property(u"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    P.Property(u"Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
    P.Property(u"Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
    P.Property(u"Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    P.Property(u"GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
    P.Property(u"HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext).Default(0);
    P.Property(u"Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    P.Property(u"ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
    P.Property(u"RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
    P.Property(u"ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Default(0);
    P.Property(u"Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    P.Property(u"OnClick", &TMenuItem::OnClick);
}

void TMenuItem::SetCaption(const String& Value) {
    if (FCaption == Value) return;
    const bool Rebuild = IsLine() != (Value == u"-");
    FCaption = Value;
    MenuChanged(Rebuild);
}

void TMenuItem::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    if (Value && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (TMenuItem* Item : std::vector<TMenuItem*>(FParent->FItems))
        if (Item != this && Item->FRadioItem && Item->FGroupIndex == FGroupIndex) Item->SetChecked(false);
}

void TMenuItem::SetRadioItem(bool Value) {
    if (FRadioItem == Value) return;
    FRadioItem = Value;
    if (FChecked && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte Value) {
    if (FGroupIndex == Value) return;
    FGroupIndex = Value;
    if (FChecked && FRadioItem) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetAutoCheck(bool Value) {
    if (FAutoCheck == Value) return;
    FAutoCheck = Value;
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
    if (FDefault == Value) return;
    FDefault = Value;
    MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    FShortCut = Value;
    MenuChanged(false);
}

void TMenuItem::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    MenuChanged(false);
}

void TMenuItem::SetHint(const String& Value) {
    if (FHint == Value) return;
    FHint = Value;
    MenuChanged(false);
}

void TMenuItem::SetHelpContext(int Value) {
    FHelpContext = Value;
}

TBasicAction* TMenuItem::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* Value) {
    LinkClientToAction(this, FActionLink, Value, [this](TBasicAction* A) {
        ActionChange(A, ComponentState().Contains(csLoading));
    });
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* A = dynamic_cast<TCustomAction*>(Sender);
    if (!A) return;
    if (!CheckDefaults || FCaption.empty()) SetCaption(A->Caption());
    if (!CheckDefaults || !FChecked) SetChecked(A->Checked());
    if (!CheckDefaults || FEnabled) SetEnabled(A->Enabled());
    if (!CheckDefaults || FHelpContext == 0) SetHelpContext(A->HelpContext());
    if (!CheckDefaults || FHint.empty()) SetHint(A->Hint());
    if (!CheckDefaults || FImageIndex == -1) SetImageIndex(A->ImageIndex());
    if (!CheckDefaults || FShortCut == 0) SetShortCut(A->ShortCut());
    if (!CheckDefaults || FVisible) SetVisible(A->Visible());
    if (!CheckDefaults || !FAutoCheck) SetAutoCheck(A->AutoCheck());
    if (!CheckDefaults || FGroupIndex == 0) SetGroupIndex(Byte(A->GroupIndex()));
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    if (TBasicAction* A = Action()) ActionChange(A, true);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Action()) SetAction(nullptr);
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EMenuError(u"Menu index out of range");
    return FItems[Index];
}

int TMenuItem::MenuIndex() const {
    return FParent ? FParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int Value) {
    if (!FParent) return;
    TMenuItem* P = FParent;
    const int Current = MenuIndex();
    const int Target = std::clamp(Value, 0, P->Count() - 1);
    if (Current == Target) return;
    P->FItems.erase(P->FItems.begin() + Current);
    P->FItems.insert(P->FItems.begin() + Target, this);
    P->MenuChanged(true);
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->FParent) throw EMenuError(u"Menu inserted twice");
    if (Index < 0 || Index > Count()) throw EMenuError(u"Menu index out of range");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    if (Item->FChecked && Item->FRadioItem) Item->TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    TMenuItem* Item = Items(Index);
    FItems.erase(FItems.begin() + Index);
    Item->FParent = nullptr;
    MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
    const int Index = IndexOf(Item);
    if (Index < 0) throw EMenuError(u"Sub-menu is not in menu");
    Delete(Index);
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        delete FItems.back(); // takes itself out
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    const auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : int(It - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
    const String Wanted = StripHotkey(ACaption);
    for (TMenuItem* Item : FItems)
        if (AnsiSameText(StripHotkey(Item->FCaption), Wanted)) return Item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* Item = this;
    while (Item->FParent)
        Item = Item->FParent;
    return Item->FMenu;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck && !(FActionLink && FActionLink->IsAutoCheckLinked())) SetChecked(!FChecked);
    if (OnClick)
        OnClick(this);
    else if (FActionLink)
        FActionLink->Execute(this);
}

void TMenuItem::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

void TMenuItem::MenuChanged(bool Rebuild) {
    if (ComponentState().Contains(csDestroying)) return;
    if (TMenu* Menu = GetParentMenu()) Menu->MenuChanged(Menu, this, Rebuild);
}

// ---- TMenu ------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
    FItems->FMenu = this;
    FImageChangeLink->OnChange = [this](TObject*) { MenuChanged(this, nullptr, false); };
}

TMenu::~TMenu() {
    for (TMenuView* View : std::vector<TMenuView*>(FViews))
        View->MenuDestroying();
    FViews.clear();
    FItems->Clear();
}

void TMenu::Published(TPublisher<TMenu>& P) {
    P.Property(u"Images", &TMenu::Images, &TMenu::SetImages);
}

void TMenu::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    MenuChanged(this, nullptr, false);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    if (ComponentState().Contains(csDestroying)) return;
    if (OnChange) OnChange(Sender, Source, Rebuild);
    for (TMenuView* View : std::vector<TMenuView*>(FViews))
        View->MenuChanged(Source, Rebuild);
}

void TMenu::AddView(TMenuView* View) {
    if (std::find(FViews.begin(), FViews.end(), View) == FViews.end()) FViews.push_back(View);
}

void TMenu::RemoveView(TMenuView* View) {
    std::erase(FViews, View);
}

namespace {

TMenuItem* FindShortCut(const TMenuItem* Parent, TShortCut Value) {
    for (int I = 0; I < Parent->Count(); ++I) {
        TMenuItem* Item = Parent->Items(I);
        if (Item->ShortCut() == Value) return Item;
        if (TMenuItem* Found = FindShortCut(Item, Value)) return Found;
    }
    return nullptr;
}

} // namespace

TMenuItem* TMenu::FindItem(TShortCut Value) const {
    return Value ? FindShortCut(FItems.get(), Value) : nullptr;
}

bool TMenu::IsShortCut(Word Key, TShiftState Shift) {
    TMenuItem* Item = FindItem(::ShortCut(Key, Shift));
    if (!Item) return false;
    Item->InitiateAction();
    if (!Item->Enabled()) return false;
    Item->Click();
    return true;
}
