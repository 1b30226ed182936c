// The combo box: its edit part (a native line edit), its list (a list box below the edit or in
// a drop-down window), the keys and clicks that choose, and owner-drawn items.
#include "platform/gui/StdCtrls.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/MessagesPrivate.h"
#include "platform/gui/StdCtrlsQt.h"

#include <QApplication>

using enum StdCtrls::TEditCharCase;

// The list of a combo box: in the drop-down window, or below the edit (csSimple).
class TComboList : public TCustomListBox {
    DECLARE_CLASS(TComboList, TCustomListBox)
public:
    explicit TComboList(TComponent* AOwner) : TCustomListBox(AOwner) {
        FFocusOnClick = false;
        // A dropped-down list follows the mouse.
        FHotTrack = InDropDown;
        SetTabStop(false);
    }
    TCustomComboBox* Combo = nullptr;
    bool InDropDown = true;
    void SetInDropDown(bool Value) {
        if (InDropDown == Value) return;
        InDropDown = Value;
        FHotTrack = Value;
        NonClientChanged();
    }

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomListBox::CreateParams(Params);
        if (InDropDown) {
            Params.ExStyle &= ~WS_EX_CLIENTEDGE;
            Params.Style |= WS_BORDER;
        }
    }
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override {
        if (Combo && Combo->Style() >= csOwnerDrawFixed) {
            // The combo box's OnDrawItem draws on the combo box's canvas, bound to this list.
            static_cast<TControlCanvas*>(Canvas())->FreeHandle();
            Combo->DrawListItem(this, Index, Rect, State);
            return;
        }
        TCustomListBox::DrawItem(Index, Rect, State);
    }
    void MeasureItem(int Index, int& Height) override {
        if (Combo) Combo->MeasureItem(Index, Height);
    }
    void SelectionChanged() override {
        if (Combo && !InDropDown) Combo->ListClicked(ItemIndex());
    }
    void WMLButtonUp(TWMMouse& Message) override {
        TCustomListBox::WMLButtonUp(Message);
        if (!Combo || !InDropDown) return;
        const int I = ItemAtPos(Message.Pos(), true);
        if (I >= 0) Combo->ListClicked(I);
    }
};

// The window the list drops down in: on top, never active.
class TComboPopup : public THintWindow {
    DECLARE_CLASS(TComboPopup, THintWindow)
public:
    explicit TComboPopup(TComponent* AOwner) : THintWindow(AOwner) { SetColor(clWindow); }

protected:
    void Paint() override {}
};

namespace {

bool WidgetInside(QWidget* W, QWidget* Root) {
    return W && Root && (W == Root || Root->isAncestorOf(W));
}

// Closes a dropped-down list when the mouse is pressed anywhere else, or the program goes to
// the background.
class TComboCloser : public QObject {
public:
    explicit TComboCloser(TCustomComboBox* ACombo, TWinControl* APopup) : FCombo(ACombo), FPopup(APopup) {}
    TCustomComboBox* Combo() const { return FCombo; }

protected:
    bool eventFilter(QObject* Object, QEvent* Event) override {
        const QEvent::Type T = Event->type();
        bool Close = T == QEvent::ApplicationDeactivate;
        if (T == QEvent::MouseButtonPress || T == QEvent::MouseButtonDblClick) {
            auto* W = qobject_cast<QWidget*>(Object);
            Close = W && !WidgetInside(W, WindowOf(FCombo)) && !WidgetInside(W, WindowOf(FPopup));
        }
        if (Close) GuiBarrier(FCombo, [this] { FCombo->SetDroppedDown(false); });
        return false;
    }

private:
    TCustomComboBox* FCombo;
    TWinControl* FPopup;
};

QPointer<TComboCloser> GCloser;

} // namespace

// ---- TCustomComboBox ------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomControl(AOwner), FCore(std::make_unique<TEditCore>(this, false)) {
    FList = new TComboList(nullptr);
    FList->Combo = this;
    FList->SetVisible(false);
    FCore->OnChange = [this] {
        if (FSettingText || FCreating) return;
        // The item of the text typed is the item chosen.
        FList->SetItemIndex(FList->Items()->IndexOf(FCore->Text()));
        if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
        Perform(CN_COMMAND, MAKEWPARAM(0, CBN_EDITCHANGE), static_cast<LPARAM>(WindowHandle()));
    };
    FControlStyle.Exclude(csClickEvents);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() {
    if (GCloser && GCloser->Combo() == this) {
        qApp->removeEventFilter(GCloser);
        delete GCloser.data();
    }
    DestroyHandle();
    FList->SetParent(nullptr);
    delete FList;
    FList = nullptr;
    delete FPopup;
    FPopup = nullptr;
}

void TCustomComboBox::Published(TPublisher<TCustomComboBox>& P) {
    P.Property(u"CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Default(ecNormal);
    P.Property(u"DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
        .Default(8);
    P.Property(u"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight);
    P.Property(u"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    P.Property(u"Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
    P.Property(u"MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
    P.Property(u"Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
    P.Property(u"Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
    P.Property(u"Text", &TCustomComboBox::Text, &TCustomComboBox::SetText);
    P.Property(u"OnChange", &TCustomComboBox::OnChange);
    P.Property(u"OnSelect", &TCustomComboBox::OnSelect);
    P.Property(u"OnDropDown", &TCustomComboBox::OnDropDown);
    P.Property(u"OnCloseUp", &TCustomComboBox::OnCloseUp);
    P.Property(u"OnDrawItem", &TCustomComboBox::OnDrawItem);
    P.Property(u"OnMeasureItem", &TCustomComboBox::OnMeasureItem);
}

// -- Properties --

TStrings* TCustomComboBox::Items() const {
    return FList->Items();
}

void TCustomComboBox::SetItems(TStrings* Value) {
    FList->Items()->Assign(Value);
}

int TCustomComboBox::ItemIndex() const {
    return DroppedDown() ? FDropIndex : FList->ItemIndex();
}

void TCustomComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FList->Count()) Value = -1;
    if (DroppedDown()) FDropIndex = Value;
    FList->SetItemIndex(Value);
    ShowItemText();
}

bool TCustomComboBox::Sorted() const {
    return FList->Sorted();
}

void TCustomComboBox::SetSorted(bool Value) {
    FList->SetSorted(Value);
}

int TCustomComboBox::MaxLength() const {
    return FCore->MaxLength;
}

void TCustomComboBox::SetMaxLength(int Value) {
    FCore->MaxLength = std::max(0, Value);
}

TEditCharCase TCustomComboBox::CharCase() const {
    return FCore->CharCase;
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
    if (FCore->CharCase == Value) return;
    FCore->CharCase = Value;
    if (HasEdit()) {
        TFlagScope SettingText(FSettingText);
        FCore->Store->SetText(FCore->ConvertCase(FCore->Text()));
    }
}

int TCustomComboBox::ComputedItemHeight() const {
    return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable ? FItemHeight
                                                                       : FontLineHeight(Font(), 13);
}

int TCustomComboBox::ItemHeight() const {
    return ComputedItemHeight();
}

void TCustomComboBox::SetItemHeight(int Value) {
    if (Value <= 0 || FItemHeight == Value) return;
    FItemHeight = Value;
    ApplyStyleToList();
    SetBounds(Left(), Top(), Width(), Height());
    Invalidate();
}

int TCustomComboBox::EditHeight() const {
    return ComputedItemHeight() + 4;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // The box is as high as its text (and its border) asks.
    if (FStyle != csSimple) AHeight = EditHeight() + 4;
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomComboBox::ApplyStyleToList() {
    FList->SetStyle(FStyle == csOwnerDrawFixed      ? lbOwnerDrawFixed
                    : FStyle == csOwnerDrawVariable ? lbOwnerDrawVariable
                                                    : lbStandard);
    FList->SetItemHeight(FItemHeight);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (FStyle == Value) return;
    SetDroppedDown(false);
    const String Old = GetText();
    FStyle = Value;
    ApplyStyleToList();
    FList->SetInDropDown(Value != csSimple);
    if (Value != csSimple) FList->SetParent(nullptr);
    if (HasEdit()) {
        TFlagScope SettingText(FSettingText);
        FCore->SetText(Old);
    }
    SetBounds(Left(), Top(), Width(), Value == csSimple ? std::max(Height(), EditHeight() + 40) : Height());
    RecreateWnd();
    LayoutParts();
    Invalidate();
}

// -- Text --

String TCustomComboBox::GetText() const {
    if (HasEdit()) return FCore->Text();
    const int I = ItemIndex();
    return I >= 0 ? FList->Items()->Strings(I) : String();
}

void TCustomComboBox::SetTextValue(const String& Value) {
    if (!HasEdit()) {
        SetItemIndex(FList->Items()->IndexOf(Value));
        return;
    }
    {
        TFlagScope SettingText(FSettingText);
        FCore->SetText(Value);
    }
    FList->SetItemIndex(FList->Items()->IndexOf(FCore->Text()));
}

void TCustomComboBox::ShowItemText() {
    if (HasEdit()) {
        const int I = FList->ItemIndex();
        {
            TFlagScope SettingText(FSettingText);
            FCore->SetText(I >= 0 ? FList->Items()->Strings(I) : String());
        }
        if (FFocused) FCore->Store->SetSel(0, -1);
    }
    Invalidate();
}

int TCustomComboBox::SelStart() const {
    int A = 0, B = 0;
    const_cast<TCustomComboBox*>(this)->Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&A),
                                                reinterpret_cast<LPARAM>(&B));
    return A;
}

void TCustomComboBox::SetSelStart(int Value) {
    Perform(CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

int TCustomComboBox::SelLength() const {
    int A = 0, B = 0;
    const_cast<TCustomComboBox*>(this)->Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&A),
                                                reinterpret_cast<LPARAM>(&B));
    return B - A;
}

void TCustomComboBox::SetSelLength(int Value) {
    const int A = SelStart();
    Perform(CB_SETEDITSEL, 0, MAKELPARAM(A, A + std::max(0, Value)));
}

String TCustomComboBox::SelText() const {
    const int A = SelStart(), L = SelLength();
    return GetText().substr(static_cast<std::size_t>(A), static_cast<std::size_t>(L));
}

void TCustomComboBox::SetSelText(const String& Value) {
    if (!HasEdit()) return;
    TMessage M{EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Value), 0};
    FCore->HandleMessage(M);
}

void TCustomComboBox::SelectAll() {
    Perform(CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}

void TCustomComboBox::Clear() {
    SetDroppedDown(false);
    FList->Items()->Clear();
    SetText(String());
    if (HasEdit()) {
        TFlagScope SettingText(FSettingText);
        FCore->SetText(String());
    }
    Invalidate();
}

// -- Dispatchers --

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if ((FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* C = Canvas();
    C->FillRect(Rect);
    if (Index < 0 || Index >= FList->Count()) return;
    TRect R = Rect;
    R.Left += 2;
    C->Brush()->SetStyle(bsClear);
    DrawText(C, FList->Items()->Strings(Index), R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::DrawListItem(TComboList* List, int Index, const TRect& Rect, TOwnerDrawState State) {
    auto* C = static_cast<TControlCanvas*>(Canvas());
    C->SetControl(List);
    TScopeExit Back([&] { C->SetControl(this); });
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsSolid);
    if (State.Contains(odSelected)) {
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
    } else {
        C->Brush()->SetColor(Color());
    }
    DrawItem(Index, Rect, State);
}

// -- Choosing --

void TCustomComboBox::UserSelect(int Index) {
    FList->SetItemIndex(Index);
    ShowItemText();
    Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), static_cast<LPARAM>(WindowHandle()));
}

void TCustomComboBox::ListClicked(int Index) {
    if (FStyle == csSimple) {
        ShowItemText();
        Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), static_cast<LPARAM>(WindowHandle()));
        return;
    }
    FList->SetItemIndex(Index);
    CloseList(true);
}

bool TCustomComboBox::DroppedDown() const {
    return FPopup && FPopup->Visible();
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (FStyle == csSimple || DroppedDown() == Value) return;
    if (!Value) {
        CloseList(false);
        return;
    }
    if (!HandleAllocated() || !Showing()) return;
    Perform(CN_COMMAND, MAKEWPARAM(0, CBN_DROPDOWN), static_cast<LPARAM>(WindowHandle()));
    if (!HandleAllocated() || !Showing()) return;
    FDropIndex = FList->ItemIndex();
    if (!FPopup) FPopup = new TComboPopup(nullptr);
    FList->SetInDropDown(true);
    FList->SetParentFont(false);
    FList->SetFont(Font());
    FList->SetColor(Color());
    FList->SetParent(FPopup);
    FList->SetAlign(alClient);
    FList->SetVisible(true);
    // As many rows as DropDownCount allows, below the box (above it when the screen ends).
    const int Rows = std::clamp(FList->Count(), 1, FDropDownCount);
    int ListHeight = 2;
    for (int I = 0; I < Rows; ++I)
        ListHeight += FList->Count() > 0 ? FList->ItemRect(I).Height() : ComputedItemHeight();
    if (FStyle == csOwnerDrawVariable) ListHeight = std::max(ListHeight, 2 + ComputedItemHeight());
    const TRect& M = WindowPrivate()->Margins;
    const TPoint Origin = ClientToScreen({-M.Left, -M.Top});
    int Y = Origin.Y + Height();
    if (Screen && Y + ListHeight > Screen->Height() && Origin.Y - ListHeight >= 0) Y = Origin.Y - ListHeight;
    // As wide as the box, and wider where an item's text needs it (never past the screen): a
    // list shows its entries whole.
    int ListWidth = Width();
    if (FStyle < csOwnerDrawFixed) {
        TCanvas* C = Canvas();
        C->Font()->Assign(Font());
        int Widest = 0;
        for (int I = 0; I < FList->Count(); ++I)
            Widest = std::max(Widest, C->TextWidth(FList->Items()->Strings(I)));
        const int Bar = FList->Count() > FDropDownCount ? GetSystemMetrics(SM_CXVSCROLL) : 0;
        ListWidth = std::max(ListWidth, Widest + 2 * 2 + 2 + Bar);
        if (Screen) ListWidth = std::min(ListWidth, std::max(Width(), Screen->Width() - Origin.X));
    }
    FPopup->SetBounds(Origin.X, Y, ListWidth, ListHeight);
    FList->SetItemIndex(FDropIndex);
    FList->SetTopIndex(0);
    if (FDropIndex >= 0) FList->MakeVisible(FDropIndex);
    FPopup->SetVisible(true);
    FButtonDown = true;
    Invalidate();
    if (!GCloser && qApp) {
        GCloser = new TComboCloser(this, FPopup);
        qApp->installEventFilter(GCloser);
    }
}

void TCustomComboBox::CloseList(bool Accept) {
    if (!DroppedDown()) return;
    const int Chosen = FList->ItemIndex();
    const int Before = FDropIndex;
    FPopup->SetVisible(false);
    if (GCloser) {
        qApp->removeEventFilter(GCloser);
        GCloser->deleteLater();
        GCloser = nullptr;
    }
    FButtonDown = false;
    FList->SetItemIndex(Before);
    Invalidate();
    if (Accept && Chosen >= 0 && Chosen != Before) UserSelect(Chosen);
    Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), static_cast<LPARAM>(WindowHandle()));
}

// -- Window --

TRect TCustomComboBox::ButtonRect() const {
    if (FStyle == csSimple) return {};
    const int BW = GetSystemMetrics(SM_CXVSCROLL);
    return Rect(ClientWidth() - BW, 0, ClientWidth(), ClientHeight());
}

TRect TCustomComboBox::EditRect() const {
    if (FStyle == csSimple) return Rect(2, 2, ClientWidth() - 2, EditHeight() - 2);
    return Rect(2, 1, ButtonRect().Left - 1, ClientHeight() - 1);
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FStyle != csSimple) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomComboBox::CreateWindowHandle(const TCreateParams& Params) {
    TCustomControl::CreateWindowHandle(Params);
    TFlagScope Creating(FCreating);
    if (HasEdit()) FCore->CreateNative(WindowOf(this));
    UpdateNative();
}

void TCustomComboBox::DestroyWnd() {
    CloseList(false);
    FCore->DestroyNative();
    TCustomControl::DestroyWnd();
}

void TCustomComboBox::Loaded() {
    TCustomControl::Loaded();
    ApplyStyleToList();
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomComboBox::LayoutParts() {
    FCore->SetArea(EditRect());
    if (FStyle == csSimple) {
        FList->SetInDropDown(false);
        FList->SetParentFont(false);
        FList->SetFont(Font());
        FList->SetColor(Color());
        FList->SetParent(this);
        FList->SetAlign(alNone);
        FList->SetBounds(0, EditHeight(), ClientWidth(), std::max(0, ClientHeight() - EditHeight()));
        FList->SetVisible(true);
    }
}

void TCustomComboBox::UpdateNative() {
    LayoutParts();
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomComboBox::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(FStyle == csSimple ? Rect(0, 0, Client.Right, EditHeight()) : Client);
    if (FStyle == csSimple) {
        TRect Frame = Rect(0, 0, Client.Right, EditHeight());
        DrawEdge(C, Frame, EDGE_SUNKEN, BF_RECT);
    }
    if (!HasEdit()) {
        TRect Face = Rect(1, 1, ButtonRect().Left - 1, Client.Bottom - 1);
        TOwnerDrawState State{odComboBoxEdit};
        const bool Shown = FFocused && !DroppedDown();
        if (Shown) State += TOwnerDrawState{odSelected, odFocused};
        if (!Enabled()) State.Include(odDisabled);
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsSolid);
        if (Shown) {
            C->Brush()->SetColor(clHighlight);
            C->Font()->SetColor(clHighlightText);
        } else {
            C->Brush()->SetColor(Color());
        }
        if (!Enabled()) C->Font()->SetColor(clGrayText);
        DrawItem(ItemIndex(), Face, State);
        if (Shown) C->DrawFocusRect(Face);
    }
    if (FStyle != csSimple) {
        TRect B = ButtonRect();
        DrawFrameControl(C, B, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (FButtonDown ? DFCS_PUSHED | DFCS_FLAT : 0) |
                             (!Enabled() ? DFCS_INACTIVE : 0));
    }
}

// -- Messages --

void TCustomComboBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        if (HasEdit()) FCore->Mouse(Message);
        TCustomControl::Dispatch(Message);
        return;
    case CN_COMMAND:
        return Crack(Message, this, &TCustomComboBox::CNCommand);
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TCustomComboBox::CNCommand(TWMCommand& Message) {
    switch (Message.NotifyCode()) {
    case CBN_SELCHANGE:
        Click();
        Select();
        break;
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_DROPDOWN:
        DropDown();
        break;
    case CBN_CLOSEUP:
        CloseUp();
        break;
    default:
        break;
    }
}

void TCustomComboBox::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
        if (HasEdit()) FCore->KeyDown(Message);
        return;
    case WM_CHAR:
        if (HasEdit()) FCore->CharTyped(Message);
        return;
    case CB_GETCURSEL:
        Message.Result = ItemIndex();
        return;
    case CB_SETCURSEL:
        SetItemIndex(static_cast<int>(static_cast<LPARAM>(Message.WParam)));
        Message.Result = ItemIndex();
        return;
    case CB_GETCOUNT:
        Message.Result = FList->Count();
        return;
    case CB_SHOWDROPDOWN:
        SetDroppedDown(Message.WParam != 0);
        Message.Result = 1;
        return;
    case CB_GETDROPPEDSTATE:
        Message.Result = DroppedDown() ? 1 : 0;
        return;
    case CB_LIMITTEXT:
        SetMaxLength(static_cast<int>(Message.WParam));
        Message.Result = 1;
        return;
    case CB_GETEDITSEL: {
        if (!HasEdit()) {
            if (Message.WParam) *reinterpret_cast<int*>(Message.WParam) = 0;
            if (Message.LParam) *reinterpret_cast<int*>(Message.LParam) = 0;
            Message.Result = 0;
            return;
        }
        TMessage M{EM_GETSEL, Message.WParam, Message.LParam, 0};
        FCore->HandleMessage(M);
        Message.Result = M.Result;
        return;
    }
    case CB_SETEDITSEL: {
        if (!HasEdit()) return;
        const int A = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(Message.LParam)));
        int B = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(Message.LParam)));
        if (B == 0xFFFF || B < 0) B = -1;
        FCore->Store->SetSel(A, B);
        Message.Result = 1;
        return;
    }
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_GETTEXTLENGTH:
        if (HasEdit() && FCore->HandleMessage(Message)) return;
        if (Message.Msg == WM_GETTEXTLENGTH) {
            Message.Result = static_cast<LRESULT>(GetText().size());
            return;
        }
        return;
    default:
        TCustomControl::DefaultHandler(Message);
    }
}

void TCustomComboBox::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
}

void TCustomComboBox::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    LayoutParts();
    Invalidate();
}

void TCustomComboBox::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    const Word Key = Message.CharCode();
    const int Count = FList->Count();
    if (Key == VK_F4) {
        SetDroppedDown(!DroppedDown());
        return;
    }
    if (DroppedDown()) {
        const int Cur = FList->ItemIndex();
        const int Page = std::max(1, FDropDownCount - 1);
        int Target = -2;
        switch (Key) {
        case VK_UP:
            Target = Cur - 1;
            break;
        case VK_DOWN:
            Target = Cur + 1;
            break;
        case VK_PRIOR:
            Target = Cur - Page;
            break;
        case VK_NEXT:
            Target = Cur + Page;
            break;
        case VK_HOME:
            Target = 0;
            break;
        case VK_END:
            Target = Count - 1;
            break;
        case VK_RETURN:
            CloseList(true);
            return;
        case VK_ESCAPE:
            CloseList(false);
            return;
        default:
            break;
        }
        if (Target != -2) {
            if (Count > 0) FList->SetItemIndex(std::clamp(Target, 0, Count - 1));
            return;
        }
    } else if (Count > 0) {
        const int Cur = ItemIndex();
        int Target = -2;
        switch (Key) {
        case VK_UP:
            Target = Cur < 0 ? 0 : Cur - 1;
            break;
        case VK_DOWN:
            Target = Cur < 0 ? 0 : Cur + 1;
            break;
        case VK_PRIOR:
            Target = Cur - std::max(1, FDropDownCount - 1);
            break;
        case VK_NEXT:
            Target = Cur + std::max(1, FDropDownCount - 1);
            break;
        case VK_HOME:
            if (!HasEdit()) Target = 0;
            break;
        case VK_END:
            if (!HasEdit()) Target = Count - 1;
            break;
        default:
            break;
        }
        if (Target != -2) {
            Target = std::clamp(Target, 0, Count - 1);
            if (Target != Cur) UserSelect(Target);
            return;
        }
    }
    DefaultHandler(Message);
}

void TCustomComboBox::WMSysKeyDown(TWMKeyDown& Message) {
    if ((Message.CharCode() == VK_DOWN || Message.CharCode() == VK_UP) && FStyle != csSimple) {
        if (DoKeyDown(Message)) return;
        SetDroppedDown(!DroppedDown());
        return;
    }
    TCustomControl::WMSysKeyDown(Message);
}

void TCustomComboBox::WMChar(TWMChar& Message) {
    if (DoKeyPress(Message)) return;
    if (HasEdit()) return DefaultHandler(Message);
    const Char Ch = static_cast<Char>(Message.CharCode());
    const int Count = FList->Count();
    if (Ch < 32 || Count == 0) return;
    // A letter chooses the next item that starts with it.
    const int Start = ItemIndex() + 1;
    for (int K = 0; K < Count; ++K) {
        const int I = (Start + K) % Count;
        if (StartsText(String(1, Ch), FList->Items()->Strings(I))) {
            if (DroppedDown())
                FList->SetItemIndex(I);
            else if (I != ItemIndex())
                UserSelect(I);
            return;
        }
    }
}

void TCustomComboBox::WMLButtonDown(TWMMouse& Message) {
    if (CanFocus() && !Focused()) SetFocus();
    const bool OnButton = PtInRect(ButtonRect(), Message.Pos());
    if (FStyle != csSimple && (OnButton || !HasEdit())) SetDroppedDown(!DroppedDown());
    TCustomControl::WMLButtonDown(Message);
}

void TCustomComboBox::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    FFocused = true;
    FCore->FocusChanged(true);
    Invalidate();
}

void TCustomComboBox::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    FFocused = false;
    CloseList(false);
    FCore->FocusChanged(false);
    Invalidate();
}

void TCustomComboBox::CMEnter(TMessage& Message) {
    if (HasEdit()) FCore->Store->SetSel(0, -1);
    TCustomControl::CMEnter(Message);
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    FList->SetFont(Font());
    SetBounds(Left(), Top(), Width(), Height());
    UpdateNative();
}

void TCustomComboBox::CMColorChanged(TMessage& Message) {
    TCustomControl::CMColorChanged(Message);
    FList->SetColor(Color());
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomComboBox::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    FCore->ApplyLook(Font(), Color(), Enabled());
    if (FStyle == csSimple) FList->SetEnabled(Enabled());
}

bool TCustomComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    const int Steps = WheelDelta / WHEEL_DELTA;
    if (Steps == 0 || FList->Count() == 0) return false;
    if (DroppedDown()) {
        FList->SetTopIndex(FList->TopIndex() - Steps);
        return true;
    }
    const int Target = std::clamp(ItemIndex() - Steps, 0, FList->Count() - 1);
    if (Target != ItemIndex()) UserSelect(Target);
    return true;
}

void RegisterComboBoxParts() {
    RegisterClass(TComboList::StaticClass());
    RegisterClass(TComboPopup::StaticClass());
}
