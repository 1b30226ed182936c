#include "dataaware/edits/daDBCombo.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <algorithm>

// ---- TdaComboDlgButton -------------------------------------------------------------------------------

TdaDBCustomCombo* TdaComboDlgButton::Combo() const {
    return dynamic_cast<TdaDBCustomCombo*>(Owner());
}

bool TdaComboDlgButton::OwnerThemed() {
    TdaDBCustomCombo* C = Combo();
    return C && C->IsThemedListLook();
}

bool TdaComboDlgButton::ArrowOnly() {
    TdaDBCustomCombo* C = Combo();
    if (!C || !daThemesActive(C) || !daIsVistaOrLater() || C->IsThemedListLook()) return false;
    TdaEditFrame* F = C->Frame();
    return !F->Enabled() || !F->Transparent();
}

bool TdaComboDlgButton::OwnerHot() {
    TdaDBCustomCombo* C = Combo();
    return C && C->MouseInControl();
}

bool TdaComboDlgButton::OwnerDroppedDown() {
    TdaDBCustomCombo* C = Combo();
    return C && C->ReadDroppedDown();
}

void TdaComboDlgButton::Paint() {
    TdaDBCustomCombo* C = Combo();
    if (!C) {
        TdaComboButton::Paint();
        return;
    }
    if (C->SkipUpdate) return;
    if (ControlState().Contains(csPaintCopy) && !ComponentState().Contains(csDesigning) && daParentIsGrid(C))
        return;
    UpdateStateForPaint();
    C->FMouseInButtonControl = FMouseInControl;
    const bool Themed = daThemesActive(C);
    const bool GridParent = C->Parent() && daClassInheritsFrom(C->Parent()->ClassType(), u"TdaDBGrid");
    const TdaButtonEffects* Effects = C->ButtonEffects();
    bool UseDefault = true;
    // An open drop-down keeps its button pushed.
    const TButtonState Look = C->ReadDroppedDown() && FState == bsUp ? bsDown : FState;
    if (!Themed && (Glyph()->Empty() || FMouseInControl || C->HasFocus() || GridParent) &&
        !(Effects->Transparent() && C->ButtonStyle() == cbsDownArrow))
        C->PaintButton(Canvas(), ClientRect(), UseDefault, ControlState(), Look);
    if (UseDefault) {
        SetEllipsis(C->ButtonStyle() == cbsEllipsis);
        TdaComboButton::Paint();
    }
    if (!Themed && (FMouseInControl || !Effects->Flat() || C->HasFocus() || GridParent)) {
        TRect R = ClientRect();
        DrawEdge(Canvas(), R, Look == bsDown ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
}

// With Patch[2] off the press itself opens and closes the drop-down.
void TdaComboDlgButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaDBCustomCombo* C = Combo();
    if (!C || C->Patch[2]) {
        TdaComboButton::MouseDown(Button, Shift, X, Y);
        if (C) C->RefreshUnderButton();
        return;
    }
    const bool WasOpen = C->ReadDroppedDown();
    // A press that opens the list takes the focus first; where it cannot, the press is ignored.
    if (!WasOpen && !C->Focused()) {
        if (C->CanFocus()) C->SetFocus();
        if (!C->Focused()) return;
    }
    TdaComboButton::MouseDown(Button, Shift, X, Y);
    if (!daIsParentTransparent(this)) Repaint();
    if (!WasOpen && C->ReadDroppedDown()) return;
    if (Button != mbLeft) return;
    if (C->ReadDroppedDown())
        C->CloseUpByButton();
    else
        C->DropDown();
}

void TdaComboDlgButton::MouseMove(TShiftState Shift, int X, int Y) {
    TdaComboButton::MouseMove(Shift, X, Y);
    if (TdaDBCustomCombo* C = Combo(); C && MouseCapture()) C->ButtonMouseMove(Shift, X, Y);
}

void TdaComboDlgButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaComboButton::MouseUp(Button, Shift, X, Y);
    if (TdaDBCustomCombo* C = Combo()) C->RefreshUnderButton();
}

TBtnWinControl::TBtnWinControl(TComponent* AOwner) : TWinControl(AOwner) {
    EditControl = dynamic_cast<TdaDBCustomCombo*>(AOwner);
    ControlStyle().Include(csReplicatable);
}

void TBtnWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    TdaDBCustomCombo* C = EditControl;
    if (!C) return TWinControl::WMEraseBkgnd(Message);
    if (C->IsThemedListLook() || C->SkipUpdate) {
        Message.Result = 1;
        return;
    }
    const bool GridCopy = daIsGridPaintCopy(C);
    if (!GridCopy && !C->isTransparentEffective()) return TWinControl::WMEraseBkgnd(Message);
    const TdaButtonEffects* Effects = C->ButtonEffects();
    if (!GridCopy && (Effects->Flat() || Effects->Transparent()) && C->Button()->ControlState().Contains(csLButtonDown) &&
        C->Parent() && C->Parent()->HandleAllocated()) {
        TRect R = BoundsRect();
        OffsetRect(R, C->Left(), C->Top());
        InvalidateRect(C->Parent()->WindowHandle(), &R, false);
        // The parent's painting must not paint the button and its holder again meanwhile.
        TFlagScope Skip(C->SkipUpdate);
        C->Parent()->Update();
    }
    Message.Result = 1;
}

void TBtnWinControl::CMMouseLeave(TMessage& Message) {
    TWinControl::CMMouseLeave(Message);
    TdaDBCustomCombo* C = EditControl;
    if (!C || !C->ButtonEffects()->Flat() || C->HasFocus()) return;
    if (C->isTransparentEffective() && C->Parent() && C->Parent()->HandleAllocated()) {
        TRect R = BoundsRect();
        OffsetRect(R, C->Left(), C->Top());
        InvalidateRect(C->Parent()->WindowHandle(), &R, true);
    }
    Invalidate();
}

// ---- TdaDBCustomCombo --------------------------------------------------------------------------------

TdaDBCustomCombo::TdaDBCustomCombo(TComponent* AOwner) : TdaDBCustomEdit(AOwner) {
    FBtnControl = new TBtnWinControl(this);
    FBtnControl->SetParent(this);
    FBtnControl->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL) + 4, 17), 17);
    FButton = new TdaComboDlgButton(this);
    FButton->ControlStyle().Include(csReplicatable);
    FButton->SetParent(FBtnControl);
    FButton->SetBounds(0, 0, FBtnControl->Width(), FBtnControl->Height());
    FButton->SetWidth(DefaultButtonWidth());
    FButton->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
    FButtonEffects = std::make_unique<TdaComboButtonEffects>(this, FButton);
    FButtonEffects->OnRefresh = [this] { UpdateButtonGlyph(); };
}

TdaDBCustomCombo::~TdaDBCustomCombo() = default;

void TdaDBCustomCombo::Published(TPublisher<TdaDBCustomCombo>& P) {
    P.Property(u"ButtonEffects", &TdaDBCustomCombo::ButtonEffects, &TdaDBCustomCombo::SetButtonEffects);
    P.Property(u"ButtonGlyph", &TdaDBCustomCombo::ButtonGlyph, &TdaDBCustomCombo::SetButtonGlyph);
    P.Property(u"LimitEditRect", &TdaDBCustomCombo::LimitEditRect, &TdaDBCustomCombo::SetLimitEditRect)
        .Default(false);
}

int TdaDBCustomCombo::DefaultButtonWidth() const {
    return std::max(GetSystemMetrics(SM_CXVSCROLL), 15);
}

void TdaDBCustomCombo::SetButtonStyle(TdaComboButtonStyle Value) {
    if (FButtonStyle == Value) return;
    FButtonStyle = Value;
    UpdateButtonGlyph();
    FButton->Invalidate();
}

void TdaDBCustomCombo::SetLimitEditRect(bool Value) {
    if (FLimitEditRect == Value) return;
    FLimitEditRect = Value;
    RecreateWnd();
}

void TdaDBCustomCombo::CreateParams(TCreateParams& Params) {
    TdaDBCustomEdit::CreateParams(Params);
    Params.Style &= ~Cardinal(ES_AUTOVSCROLL | ES_WANTRETURN);
    Params.Style |= WS_CLIPCHILDREN;
    if (FLimitEditRect) Params.Style |= ES_MULTILINE;
}

void TdaDBCustomCombo::SetButtonGlyph(TBitmap* Value) {
    FButton->SetGlyph(Value);
    FButton->Invalidate();
}

void TdaDBCustomCombo::UpdateButtonGlyph() {
    if (FButtonStyle == cbsCustom) return;
    if ((FButtonEffects->Flat() || FButtonEffects->Transparent()) && FButtonStyle == cbsDownArrow) {
        // A small black arrow on the glyph's transparent colour.
        TBitmap Arrow;
        Arrow.SetSize(7, 4);
        Arrow.Canvas()->Brush()->SetColor(clOlive);
        Arrow.Canvas()->FillRect(TRect(0, 0, 7, 4));
        for (int Row = 0; Row < 4; ++Row)
            for (int X = Row; X < 7 - Row; ++X)
                Arrow.Canvas()->SetPixels(X, Row, clBlack);
        FButton->SetGlyph(&Arrow);
    }
}

bool TdaDBCustomCombo::IsThemedListLook() const {
    return TdaDBCustomEdit::IsThemedListLook() && !FButtonEffects->Flat();
}

void TdaDBCustomCombo::PaintButton(TCanvas* Canvas, const TRect& Rect, bool& UseDefault,
                                   TControlState ControlState, TButtonState ButtonState) {
    if (FButtonStyle == cbsCustom) return;
    UseDefault = false;
    if (FButtonStyle == cbsDownArrow) {
        daDrawComboButton(Canvas, Rect, ButtonState, ControlState, Enabled());
        return;
    }
    const bool NoEdge = FButton->Flat() && !FMouseInButtonControl && !HasFocus();
    daDrawEllipsisButton(Canvas, Rect, ButtonState, ControlState, FButtonEffects->Transparent(), NoEdge);
}

void TdaDBCustomCombo::RefreshUnderButton() {
    if ((FButtonEffects->Flat() || FButtonEffects->Transparent()) && Parent() &&
        Parent()->HandleAllocated()) {
        TRect R = FBtnControl->BoundsRect();
        OffsetRect(R, Left(), Top());
        InvalidateRect(Parent()->WindowHandle(), &R, false);
        if (!daIsParentTransparent(FBtnControl)) Parent()->Update();
    }
    FButton->Repaint();
}

void TdaDBCustomCombo::SetButtonWidth(int Value) {
    if (FButtonWidth == Value) return;
    FButtonWidth = Value;
    FButton->SetWidth(Value ? Value : DefaultButtonWidth());
    PositionButton();
}

bool TdaDBCustomCombo::ReadShowButton() const {
    return FBtnControl->Visible();
}

void TdaDBCustomCombo::WriteShowButton(bool Value) {
    if (FBtnControl->Visible() == Value) return;
    FBtnControl->SetVisible(Value);
    if (!Owner() || !Owner()->ComponentState().Contains(csLoading)) SetEditRect();
    Invalidate();
}

bool TdaDBCustomCombo::IsTextEditable() const {
    return FStyle != daDBCombo::csDropDownList || ReadDroppedDown();
}

int TdaDBCustomCombo::ReadButtonAreaWidth() const {
    return FBtnControl->Width();
}

int TdaDBCustomCombo::ReadTextRightEdge() const {
    return FBtnControl->Left() - 1;
}

// The holder stands at the right edge of the client area, as high as it.
void TdaDBCustomCombo::PositionButton() {
    const int W = FButton->Width();
    FBtnControl->SetBounds(ClientWidth() - W, 0, W, ClientHeight());
    FButton->SetBounds(0, 0, W, FBtnControl->Height());
    SetEditRect();
}

void TdaDBCustomCombo::SetEditRect() {
    if (!HandleAllocated()) return;
    TRect Loc(0, 0, ReadShowButton() ? FBtnControl->Left() - 2 : ClientWidth() - 2, ClientHeight() + 1);
    if (Frame()->IsFrameEffective()) {
        Frame()->GetEditRectForFrame(Loc);
    } else if (BorderStyle() == Controls::bsNone) {
        Loc.Left = Loc.Top = daParentIsInspector(this) ? 1 : 2;
    }
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
}

void TdaDBCustomCombo::Resize() {
    TdaDBCustomEdit::Resize();
    PositionButton();
}

void TdaDBCustomCombo::Loaded() {
    if (FButtonWidth == 0) FButton->SetWidth(DefaultButtonWidth());
    PositionButton();
    TdaDBCustomEdit::Loaded();
}

// The custom dialog of an ellipsis button; descendants drop down their own lists instead.
void TdaDBCustomCombo::DropDown() {
    if (!OnCustomDlg) return;
    FDroppedDown = true;
    Invalidate();
    FButton->Invalidate();
    TScopeExit Done([this] {
        FDroppedDown = false;
        Invalidate();
        FButton->Invalidate();
    });
    if (FAutoEnableEdit && DataSource() && DataSource()->DataSet()) StartEditing();
    OnCustomDlg(this);
}

void TdaDBCustomCombo::CloseUp(bool Accept) {
    if (Accept) WriteModified(true);
}

void TdaDBCustomCombo::ButtonClick(TObject*) {
    if (!Patch[2]) return;
    if (ReadDroppedDown()) {
        CloseUp(true);
        return;
    }
    if (CanFocus() && !IsThemedListLook() && !Focused()) SetFocus();
    if (Focused() || IsThemedListLook()) DropDown();
}

bool TdaDBCustomCombo::HandleDropDownKeys(Word& Key, TShiftState Shift) {
    const bool Alt = Shift.Contains(ssAlt);
    if ((Key == VK_F4 && !Alt) || (Alt && (Key == VK_UP || Key == VK_DOWN))) {
        if (ReadDroppedDown())
            CloseUp(true);
        else
            DropDown();
        Key = 0;
        return true;
    }
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && ReadDroppedDown() && !Alt) {
        CloseUp(Key == VK_RETURN);
        Key = 0;
        return true;
    }
    return false;
}

void TdaDBCustomCombo::KeyDown(Word& Key, TShiftState Shift) {
    if (GetKeyState(VK_MENU) < 0) Shift.Include(ssAlt);
    HandleDropDownKeys(Key, Shift);
    TdaDBCustomEdit::KeyDown(Key, Shift);
    if (Key != 0 && !IsTextEditable() &&
        (Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 48 && Key <= 111) || Key > 145))
        Key = 0;
}

void TdaDBCustomCombo::KeyPress(Char& Key) {
    if (Key == u'\t' && IsMasked()) return;
    TdaDBCustomEdit::KeyPress(Key);
}

void TdaDBCustomCombo::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A list-style edit opens and closes with a click anywhere on its text.
        if (!IsTextClickable()) {
            if (CanFocus() && !Focused()) SetFocus();
            if (ReadDroppedDown())
                CloseUp(true);
            else if (Focused())
                DropDown();
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TdaDBCustomEdit::WndProc(Message);
        FButton->SetEnabled(Enabled());
        return;
    default:
        break;
    }
    TdaDBCustomEdit::WndProc(Message);
}

// ---- TdaComboStringList / TdaPopupListbox ----------------------------------------------------------------

void TdaComboStringList::Changed() {
    TStringList::Changed();
    if (Combo) Combo->DirtyListBox = true;
}

TdaPopupListbox::TdaPopupListbox(TComponent* AOwner) : TCustomListBox(AOwner) {
    ControlStyle().Include(csReplicatable);
    ControlStyle().Include(csNoDesignVisible);
}

// The typing search: the combo's text with the key applied as an edit applies it, or (owner
// drawn) the keys typed within 1.5 seconds of each other.
void TdaPopupListbox::KeyPress(Char& Key) {
    auto* Combo = dynamic_cast<TdaDBCustomComboBox*>(Owner());
    if (!Combo || !(Key == u'\b' || Key >= 32)) {
        if (Key == 27) FSearchText.clear();
        TCustomListBox::KeyPress(Key);
        return;
    }
    if (Combo->IsOwnerDrawn()) {
        const Cardinal Now = GetTickCount();
        if (Now - FSearchTickCount > 1500) FSearchText.clear();
        FSearchTickCount = Now;
        FSearchText += Key;
    } else {
        const String T = Combo->Text();
        const int S = Combo->SelStart(), N = Combo->SelLength();
        if (Key == u'\b') {
            if (N > 0)
                FSearchText = T.substr(0, S) + T.substr(S + N);
            else if (S > 0)
                FSearchText = T.substr(0, S - 1) + T.substr(S);
            else
                FSearchText = T;
        } else {
            FSearchText = T.substr(0, S) + String(1, Key) + T.substr(std::min<size_t>(T.size(), S + N));
        }
    }
    const String Search = AnsiUpperCase(FSearchText.substr(0, 255));
    int Found = -1;
    const int Count = Items()->Count();
    const int First = std::max(0, Combo->EffectiveMRUCount());
    for (int K = 0; K < Count && !Search.empty(); ++K) {
        const int Line = (First + K) % Count;
        if (AnsiUpperCase(Items()->Strings(Line)).rfind(Search, 0) == 0) {
            Found = Line;
            break;
        }
    }
    const bool ListStyle = Combo->Style() == csDropDownList;
    if (Found >= 0) {
        SetItemIndex(Found);
        if (!ListStyle) {
            Combo->SetText(FSearchText);
            Combo->SetSelStart(static_cast<int>(FSearchText.size()));
        } else {
            Combo->SetText(Items()->Strings(Found));
        }
    } else if (!ListStyle) {
        SetItemIndex(-1);
        Combo->SetText(FSearchText);
        Combo->SetSelStart(static_cast<int>(FSearchText.size()));
    }
    Key = 0;
}

// ---- TdaDBCustomComboBox -----------------------------------------------------------------------------

TdaDBCustomComboBox::TdaDBCustomComboBox(TComponent* AOwner)
    : TdaDBCustomCombo(AOwner), FItems(std::make_unique<TdaComboStringList>()),
      FHistoryList(std::make_unique<TdaHistoryList>()) {
    FItems->Combo = this;
    FHistoryList->Owner = this;
    SetButtonStyle(cbsDownArrow);
    if (!Patch[2]) Button()->OnClick = nullptr;
}

TdaDBCustomComboBox::~TdaDBCustomComboBox() {
    delete FPopup;
}

void TdaDBCustomComboBox::Parts(const String& Entry, String& Display, String& Value) {
    int Pos = 1;
    daNextToken(Entry, u"\t", Pos, Display);
    Value.clear();
    if (Pos > 0) daNextToken(Entry, u"\t", Pos, Value);
}

void TdaDBCustomComboBox::SetItems(TStrings* Value) {
    FItems->Assign(Value);
    LoadFieldText();
}

void TdaDBCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == csSimple)
        SetShowButton(false);
    else if (FComboStyle == csSimple)
        SetShowButton(true);
    FComboStyle = Value;
}

bool TdaDBCustomComboBox::IsOwnerDrawn() const {
    return FComboStyle == csOwnerDrawFixed || FComboStyle == csOwnerDrawVariable;
}

bool TdaDBCustomComboBox::IsTextEditable() const {
    return !IsOwnerDrawn() && !(FComboStyle == csDropDownList && !FShowMatchText);
}

bool TdaDBCustomComboBox::IsTextClickable() const {
    return !IsOwnerDrawn() && FComboStyle != csDropDownList;
}

// Display texts and stored values.
String TdaDBCustomComboBox::GetComboDisplay(const String& Value) const {
    if (!FMapList && !FTwoColumnDisplay) return Value;
    for (int K = 0; K < FItems->Count(); ++K) {
        String D, V;
        Parts(FItems->Strings(K), D, V);
        if (V == Value) return D;
    }
    return {};
}

String TdaDBCustomComboBox::GetComboValue(const String& DisplayText) const {
    if (!FMapList && !FTwoColumnDisplay) return DisplayText;
    for (int K = 0; K < FItems->Count(); ++K) {
        String D, V;
        Parts(FItems->Strings(K), D, V);
        if (daSameText(D, DisplayText)) return V;
    }
    return FTwoColumnDisplay ? DisplayText : String();
}

bool TdaDBCustomComboBox::GetFieldMapText(const String& StoredValue, String& DisplayText) {
    if (!FMapList) return false;
    DisplayText = GetComboDisplay(StoredValue);
    return true;
}

void TdaDBCustomComboBox::ReadStoredText(String& Result) const {
    const String T = Text();
    if (FComboStyle == csDropDown && T.empty())
        Result.clear();
    else
        Result = GetComboValue(T);
}

String TdaDBCustomComboBox::Value() const {
    String V;
    ReadStoredText(V);
    return V;
}

void TdaDBCustomComboBox::CreateListbox() {
    if (FListbox) return;
    FPopup = new THintWindow(nullptr);
    FPopup->SetColor(clWindow);
    FListbox = new TdaPopupListbox(this);
    FListbox->SetParent(FPopup);
    FListbox->SetAlign(alClient);
    FListbox->SetIntegralHeight(true);
    FListbox->SetItemHeight(11);
    FListbox->SetParentShowHint(false);
    FListbox->SetShowHint(false);
    FListbox->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        ListMouseUp(Sender, Button, Shift, X, Y);
    };
    FListbox->OnClick = [this](TObject*) { ListSelChange(); };
    FListbox->OnDrawItem = [this](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State) {
        DrawListItem(Control, Index, Rect, State);
    };
}

// Owner-drawn lines: the user's drawing, or two columns (the line and its other part), and a
// double rule under the recent entries of the history.
void TdaDBCustomComboBox::DrawListItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
    TCanvas* C = FListbox->Canvas();
    TStrings* Lines = FListbox->Items();
    const bool Valid = Index >= 0 && Index < Lines->Count();
    bool Ended = false;
    if (OnDrawItem && IsOwnerDrawn()) {
        if (!State.Contains(odSelected)) {
            C->Brush()->SetColor(FListbox->Color());
            C->FillRect(Rect);
            C->Font()->SetColor(FListbox->Font()->Color());
        }
        try {
            OnDrawItem(this, Index, Rect, State);
        } catch (...) {
            // A failing handler leaves the line as far as it drew it.
            Ended = true;
        }
    }
    const int ListWidth = FListbox->ClientWidth();
    const int Col1 = FColumn1Width ? FColumn1Width : ListWidth / 2;
    if (FTwoColumnDisplay) {
        if (!Ended && Valid) {
            const String Line = Lines->Strings(Index);
            C->FillRect(Rect);
            C->TextRect(TRect(Rect.Left, Rect.Top, Rect.Left + Col1, Rect.Bottom), Rect.Left + 1,
                        Rect.Top + 1, Line);
            const String Second = FMapList ? GetComboValue(Line) : GetComboDisplay(Line);
            C->TextRect(TRect(Rect.Left + Col1, Rect.Top, Rect.Right, Rect.Bottom), Rect.Left + Col1 + 1,
                        Rect.Top + 1, Second);
        }
    } else if (!OnDrawItem && Valid) {
        C->FillRect(Rect);
        C->TextOut(Rect.Left + 2, Rect.Top + 1, Lines->Strings(Index));
    }
    const int Recent = EffectiveMRUCount();
    if (Recent > 0 && (Index == Recent - 1 || Index == Recent)) {
        const int Y = Index == Recent - 1 ? Rect.Bottom - 1 : Rect.Top + 1;
        C->Pen()->SetColor(clBtnShadow);
        C->MoveTo(Rect.Left, Y);
        C->LineTo(Rect.Left + ListWidth, Y);
    }
}

void TdaDBCustomComboBox::ListBoxItemsNeeded() {
    CreateListbox();
    if (FListbox->Items()->Count() == 0 || DirtyListBox) ApplyList();
    DirtyListBox = false;
}

// The lines: display parts under MapList, else the stored values; the history's entries the
// lines lack; with MRU the newest entries on top.
void TdaDBCustomComboBox::ApplyList() {
    CreateListbox();
    TStrings* Lines = FListbox->Items();
    Lines->BeginUpdate();
    TScopeExit EndUpdate([&] { Lines->EndUpdate(); });
    Lines->Clear();
    if (FListbox->Sorted() && !FItems->Sorted()) FListbox->SetSorted(false);
    for (int K = 0; K < FItems->Count(); ++K) {
        String D, V;
        Parts(FItems->Strings(K), D, V);
        Lines->Add(FMapList ? D : (V.empty() ? D : V));
    }
    if (FHistoryList->Enabled()) FHistoryList->Load(Lines);
    if (FHistoryList->Enabled() && FHistoryList->MRUEnabled()) {
        TStringList Copy;
        Copy.Assign(Lines);
        if (FItems->Sorted()) Copy.Sort();
        FListbox->SetSorted(false);
        Lines->Assign(&Copy);
        TStrings* History = FHistoryList->List();
        const int N = EffectiveMRUCount();
        for (int K = History->Count() - N; K < History->Count(); ++K)
            Lines->Insert(0, History->Strings(K));
    }
    DirtyListBox = false;
}

int TdaDBCustomComboBox::FindItemIndex(const String& AText, int StartIndex) {
    if (!FListbox || FListbox->Items()->Count() == 0) return FItems->IndexOf(AText);
    TStrings* Lines = FListbox->Items();
    const int Count = Lines->Count();
    if (StartIndex == 0) {
        for (int K = 0; K < Count; ++K)
            if (daSameText(Lines->Strings(K), AText)) return K;
        return -1;
    }
    for (int K = 0; K < Count; ++K) {
        const int Line = (StartIndex + K) % Count;
        if (daSameText(Lines->Strings(Line), AText)) return Line;
    }
    return -1;
}

int TdaDBCustomComboBox::DefaultItemHeight() {
    TBitmap Probe;
    Probe.Canvas()->Font()->Assign(Font());
    return Probe.Canvas()->TextHeight(u"A") + 2;
}

int TdaDBCustomComboBox::IndexOfText() {
    const String T = Text();
    if (T.empty() && !FMapList) return -1;
    for (int K = 0; K < FItems->Count(); ++K) {
        String D, V;
        Parts(FItems->Strings(K), D, V);
        if (D == T) return FindItemIndex(D, 0);
    }
    return -1;
}

int TdaDBCustomComboBox::ItemIndex() const {
    if (FListVisible) return FListbox->ItemIndex();
    auto* Self = const_cast<TdaDBCustomComboBox*>(this);
    if (Patch[5]) Self->FItemIndex = Self->IndexOfText();
    return FItemIndex;
}

void TdaDBCustomComboBox::WriteItemIndex(int Value) {
    FItemIndex = Value;
    ListBoxItemsNeeded();
    FListbox->SetItemIndex(Value >= 0 && Value < FListbox->Items()->Count() ? Value : -1);
    if (Value >= 0 && Value < FListbox->Items()->Count())
        SetText(FListbox->Items()->Strings(Value));
    else if (Value == -1)
        SetText(u"");
}

void TdaDBCustomComboBox::WriteValue(const String& Value) {
    StartEditing();
    ListBoxItemsNeeded();
    if (FMapList) {
        FItemIndex = -1;
        for (int K = 0; K < FItems->Count(); ++K) {
            String D, V;
            Parts(FItems->Strings(K), D, V);
            if (V != Value) continue;
            FItemIndex = FindItemIndex(D, 0);
            FListbox->SetItemIndex(FItemIndex);
            SetText(D);
            return;
        }
        SetText(u"");
        return;
    }
    FItemIndex = FindItemIndex(Value, 0);
    SetText(Value);
}

void TdaDBCustomComboBox::ShowStoredValue(const String& Value) {
    String Stored;
    ReadStoredText(Stored);
    if (Value == Stored && !(Value.empty() && FMapList)) return;
    if (FComboStyle == csDropDown && !FMapList) {
        SetText(Value);
        FItemIndex = FindItemIndex(Value, 0);
        return;
    }
    int Index = -1;
    if (FMapList) {
        for (int K = 0; K < FItems->Count(); ++K) {
            String D, V;
            Parts(FItems->Strings(K), D, V);
            if (V != Value) continue;
            Index = FindItemIndex(D, 0);
            SetText(D);
            break;
        }
    } else if (!Value.empty()) {
        Index = FindItemIndex(Value, 0);
    }
    if (!FListbox)
        FItemIndex = Index;
    else
        WriteItemIndex(Index);
    if (Index < 0 && ItemIndex() < 0) SetText(u"");
}

void TdaDBCustomComboBox::LoadFieldText() {
    if (Patch[1] || ComponentState().Contains(csDestroying)) return;
    if (FMapList || FHistoryList->Enabled()) ListBoxItemsNeeded();
    if (FMapList) {
        if (Field())
            ShowStoredValue(Field()->AsString());
        else
            ShowStoredValue(ComponentState().Contains(csDesigning) ? Name() : String());
        return;
    }
    if (Field()) {
        ShowStoredValue(Field()->DisplayText());
        if (IsOwnerDrawn()) {
            FItemIndex = FindItemIndex(Field()->AsString(), 0);
            Invalidate();
        }
    }
    TdaDBCustomCombo::LoadFieldText();
}

void TdaDBCustomComboBox::Reset() {
    {
        TValueScope<bool> Lookup(Patch[5], true);
        TdaDBCustomCombo::Reset();
    }
    if (!Field()) FItemIndex = IndexOfText();
}

void TdaDBCustomComboBox::SetDroppedDown(bool Value) {
    if (Value && !FListVisible)
        DropDown();
    else if (!Value && FListVisible)
        CloseUp(true);
}

void TdaDBCustomComboBox::DropDown() {
    if (FListVisible || FComboStyle == csSimple) return;
    Invalidate();
    ApplyList();
    FListbox->SetColor(Color());
    FListbox->Font()->Assign(Font());
    if (OnDropDown) {
        OnDropDown(this);
        if (FDisableDropDownList) return;
        ApplyList();
    } else if (FDisableDropDownList) {
        return;
    }
    if (FComboStyle == csOwnerDrawFixed)
        FListbox->SetStyle(lbOwnerDrawFixed);
    else if (FComboStyle == csOwnerDrawVariable)
        FListbox->SetStyle(lbOwnerDrawVariable);
    else if ((FHistoryList->Enabled() && FHistoryList->MRUEnabled()) || FTwoColumnDisplay)
        FListbox->SetStyle(lbOwnerDrawFixed);
    FListbox->SetSorted(FHistoryList->Enabled() && FHistoryList->MRUEnabled() ? false : FItems->Sorted());
    const int LineHeight = FItemHeight ? FItemHeight : DefaultItemHeight();
    FListbox->SetItemHeight(LineHeight);
    const int Lines = std::min(FListbox->Items()->Count(), FDropDownCount);
    const int ListHeight = Lines * LineHeight + 4;
    int ListWidth = FDropDownWidth;
    if (ListWidth == 0) ListWidth = FColumn1Width ? FColumn1Width * 3 / 2 : Width();
    const String T = Text();
    const int Highlight = (IsOwnerDrawn() && Field()) || !T.empty() ? FindItemIndex(T, 0) : -1;
    FListbox->SetItemIndex(Highlight);
    // Below the combo, or above it when the screen ends first; its right edge stays on screen.
    const TPoint Origin = ClientToScreen(TPoint(0, 0));
    int Top = Origin.Y + Height() - (BorderStyle() == Controls::bsNone ? 0 : 1);
    if (Screen && Top + ListHeight > Screen->Height()) Top = Origin.Y - ListHeight;
    int Left = Origin.X;
    if (Screen && Left + ListWidth >= Screen->Width()) Left = Origin.X + Width() - 1 - ListWidth;
    FPopup->SetBounds(Left, Top, ListWidth, ListHeight);
    FPopup->SetVisible(true);
    if (Highlight >= 0) FListbox->MakeVisible(Highlight);
    FListVisible = true;
    FNoKeysEnteredYet = true;
    Button()->Invalidate();
    if (CanFocus() && !Focused()) SetFocus();
    if (!InAutoDropDown && IsTextEditable()) SelectAll();
    LastShowHint = ShowHint();
    SetShowHint(false);
    Invalidate();
    PreDropDownText = Text();
}

void TdaDBCustomComboBox::CloseUp(bool Accept) {
    if (!FListVisible) {
        if (Accept && !FMapList && Text().empty()) FItemIndex = -1;
        return;
    }
    const int Highlight = FListbox->ItemIndex();
    String Chosen;
    if (Accept && !ReadOnly() && Highlight >= 0 && FListbox->Items()->Count() > 0)
        Chosen = FListbox->Items()->Strings(Highlight);
    else if (FComboStyle == csDropDown || (FComboStyle == csDropDownList && Highlight < 0))
        Chosen = Text();
    FPopup->SetVisible(false);
    FListVisible = false;
    Button()->Invalidate();
    if (Accept && (Field() || !ReadOnly())) {
        TValueScope<bool> SkipDataChange(Patch[1], true);
        if (Chosen != PreDropDownText && EditCanModify()) {
            FItemIndex = Highlight;
            if (!Chosen.empty())
                SetText(Chosen);
            else if (FComboStyle == csDropDownList || FMapList)
                SetText(u"");
            FItemIndex = Highlight;
            WriteModified(true);
            if (FHistoryList->Enabled() && Modified()) {
                AddItem(Text(), true);
                FHistoryList->Save();
            }
        }
    }
    if (IsTextEditable()) SelectAll();
    Invalidate();
    if (OnCloseUp && dynamic_cast<TdaDBComboBox*>(this)) OnCloseUp(this, Accept);
    SetShowHint(LastShowHint);
}

void TdaDBCustomComboBox::ListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button == mbLeft && FListbox && PtInRect(FListbox->ClientRect(), TPoint(X, Y))) CloseUp(true);
}

void TdaDBCustomComboBox::ListSelChange() {
    if (!FListVisible || !DoSelChange || FListbox->ItemIndex() < 0) return;
    if (DataSource() && !DataLink()->Editing()) return;
    if (Field() || !ReadOnly()) SetText(FListbox->Items()->Strings(FListbox->ItemIndex()));
    if (IsTextEditable()) SelectAll();
}

bool TdaDBCustomComboBox::EnterEditMode() {
    if (!DataSource()) return true;
    DataLink()->Edit();
    if (DataLink()->Editing()) return true;
    if (Field() && Field()->Calculated() && EditCanModify() && Field()->DataSet()) {
        Field()->DataSet()->Edit();
        return true;
    }
    return false;
}

void TdaDBCustomComboBox::SelectItemByKey(int Index) {
    ListBoxItemsNeeded();
    if (Index < 0 || Index >= FListbox->Items()->Count()) return;
    if (!EnterEditMode()) return;
    WriteItemIndex(Index);
    WriteModified(true);
    if (IsTextEditable()) SelectAll();
}

void TdaDBCustomComboBox::SelectMatchedItem(int Index) {
    if (!FListbox || Index < 0 || Index >= FListbox->Items()->Count()) return;
    if (!EnterEditMode()) return;
    WriteItemIndex(Index);
    WriteModified(true);
}

void TdaDBCustomComboBox::ClearValue() {
    if (!Text().empty() && DataSource() && !EnterEditMode()) return;
    WriteItemIndex(-1);
    WriteModified(true);
}

void TdaDBCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_RETURN && FHistoryList->Enabled()) AddItem(Text(), true);
    if (!FListVisible && FAutoDropDown && Key != VK_BACK && Key != VK_DELETE && !Shift.Contains(ssAlt) &&
        (Key == VK_SPACE || (Key >= 48 && Key <= 111) || Key > 145)) {
        TFlagScope Auto(InAutoDropDown);
        DropDown();
    }
    if (GetKeyState(VK_MENU) < 0) Shift.Include(ssAlt);
    if (FShowMatchText && FComboStyle == csDropDownList &&
        (Key == VK_DELETE || Key == VK_BACK || (Key == 'X' && Shift.Contains(ssCtrl)))) {
        if (FAllowClearKey && SelText() == Text() && (Field() || !ReadOnly())) ClearValue();
        Key = 0;
    } else if (!FListVisible && !daParentIsGrid(this) && (Key == VK_DOWN || Key == VK_UP) &&
               !Shift.Contains(ssAlt)) {
        if (Field() || !ReadOnly()) SelectItemByKey(FItemIndex + (Key == VK_DOWN ? 1 : -1));
        if (OnKeyDown) OnKeyDown(this, Key, Shift);
        Key = 0;
        return;
    } else if (FListVisible && (FComboStyle != csDropDown || FAutoDropDown) && FNoKeysEnteredYet &&
               (Key == VK_SPACE || Key == VK_BACK || Key == VK_DELETE || (Key >= 48 && Key <= 111) ||
                Key > 145)) {
        StartEditing();
        FNoKeysEnteredYet = false;
    }
    TdaDBCustomCombo::KeyDown(Key, Shift);
}

// Typing completes the text from the lines (ShowMatchText) or steps to the next line that begins
// with the letter (a list that cannot be typed into).
void TdaDBCustomComboBox::KeyPress(Char& Key) {
    ListBoxItemsNeeded();
    const String T = Text();
    const int S = SelStart(), N = SelLength();
    String Prospective;
    if (Key != u'\b')
        Prospective = T.substr(0, S) + String(1, Key) + T.substr(std::min<size_t>(T.size(), S + N));
    if (Key == u'\b' || Key == 24) {
        if (FListVisible) {
            FListbox->KeyPress(Key);
            Key = 0;
        } else if (FComboStyle == csDropDownList) {
            ApplyList();
            FListbox->KeyPress(Key);
        }
    }
    TStrings* Lines = FListbox->Items();
    const int Count = Lines->Count();
    if (Key != 0 && FShowMatchText && Key >= 32 && Key <= 254 && Prospective != T) {
        bool Completed = false;
        if (S >= static_cast<int>(Prospective.size()) - 1) {
            const String Upper = AnsiUpperCase(Prospective);
            const int First = std::max(0, EffectiveMRUCount());
            for (int K = 0; K < Count; ++K) {
                const int Line = (First + K) % Count;
                if (AnsiUpperCase(Lines->Strings(Line)).rfind(Upper, 0) != 0) continue;
                SelectMatchedItem(Line);
                if (!DataSource() || DataLink()->Editing()) {
                    SetSelStart(static_cast<int>(Prospective.size()));
                    SetSelLength(static_cast<int>(Text().size()) - static_cast<int>(Prospective.size()));
                }
                Key = 0;
                Completed = true;
                break;
            }
        }
        if (!Completed && FComboStyle == csDropDownList) Key = 0;
    } else if (Key != 0 && !IsTextEditable() && Key >= 32 && Key <= 254) {
        const String Letter = AnsiUpperCase(String(1, Key));
        for (int K = 0; K < Count; ++K) {
            const int Line = (FItemIndex + 1 + K) % Count;
            if (AnsiUpperCase(Lines->Strings(Line)).rfind(Letter, 0) == 0) {
                SelectMatchedItem(Line);
                break;
            }
        }
        if (FComboStyle == csDropDownList) Key = 0;
    }
    if (Key != 0) {
        const bool OldFillDate = AutoFillDate();
        if (FMapList) SetAutoFillDate(false);
        TScopeExit RestoreFillDate([&] { SetAutoFillDate(OldFillDate); });
        TdaDBCustomCombo::KeyPress(Key);
    }
    if (Key == u'\r') Key = 0;
}

void TdaDBCustomComboBox::KeyUp(Word& Key, TShiftState Shift) {
    if (FAllowClearKey && (Key == VK_DELETE || Key == VK_BACK)) {
        if (FListVisible && Text().empty()) {
            WriteItemIndex(-1);
        } else if (!FListVisible && FComboStyle == csDropDownList && !FShowMatchText) {
            StartEditing();
            SetText(u"");
            WriteItemIndex(-1);
            WriteModified(true);
        }
    }
    TdaDBCustomCombo::KeyUp(Key, Shift);
}

void TdaDBCustomComboBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const Word Key = static_cast<Word>(Message.WParam);
        // The open list moves its highlight with the arrow and page keys; the text follows.
        if (FListVisible && !(GetKeyState(VK_SHIFT) < 0) &&
            (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT)) {
            const int Count = FListbox->Items()->Count();
            if (Count > 0) {
                const int Page = std::max(1, FDropDownCount - 1);
                int I = FListbox->ItemIndex();
                if (Key == VK_UP)
                    I = std::max(0, I - 1);
                else if (Key == VK_DOWN)
                    I = std::min(Count - 1, I + 1);
                else if (Key == VK_PRIOR)
                    I = std::max(0, I - Page);
                else
                    I = std::min(Count - 1, I + Page);
                TFlagScope Selecting(DoSelChange);
                FListbox->SetItemIndex(I);
                FListbox->MakeVisible(I);
                ListSelChange();
            }
            Message.Result = 0;
            return;
        }
        break;
    }
    case CN_KEYDOWN: {
        const Word Key = static_cast<Word>(Message.WParam);
        if (Key == VK_TAB && FListVisible)
            CloseUp(true);
        else if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible)
            return;
        break;
    }
    case WM_CUT:
    case WM_CLEAR:
        if (FComboStyle == csDropDownList && FShowMatchText && !FAllowClearKey) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_PASTE:
        if (FComboStyle == csDropDownList) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_KILLFOCUS:
        TdaDBCustomCombo::WndProc(Message);
        CloseUp(true);
        if (FHistoryList->Enabled() && Modified()) {
            AddItem(Text(), true);
            FHistoryList->Save();
        }
        return;
    case CM_CANCELMODE:
        CloseUp(true);
        return;
    default:
        break;
    }
    TdaDBCustomCombo::WndProc(Message);
}

void TdaDBCustomComboBox::CMEnter(TMessage& Message) {
    TdaDBCustomCombo::CMEnter(Message);
    if (FHistoryList->Enabled()) ApplyList();
}

// ---- History -------------------------------------------------------------------------------------

void TdaDBCustomComboBox::AddItem(const String& AValue, bool AddToHistory) {
    String Value = AValue;
    daTrimTrailingChars(Value, u" \t");
    if (Value.empty()) return;
    TStrings* History = FHistoryList->List();
    if (History->IndexOf(Value) < 0 && OnAddHistoryItem) {
        bool Accept = true;
        OnAddHistoryItem(this, Value, Accept);
        if (!Accept) return;
    }
    if (AddToHistory) {
        const int Old = History->IndexOf(Value);
        if (Old >= 0) History->Delete(Old);
        History->Add(Value);
    }
    if (FListbox && FListbox->Items()->IndexOf(Value) < 0) FListbox->Items()->Add(Value);
}

// The value leaves the history; the lines are built again from Items and what history is left,
// so that lines and Items stay consistent.
void TdaDBCustomComboBox::DeleteItem(const String& Value, bool DeleteFromHistory) {
    if (DeleteFromHistory) {
        const int K = FHistoryList->List()->IndexOf(Value);
        if (K >= 0) FHistoryList->List()->Delete(K);
    }
    if (FListbox) ApplyList();
}

void TdaDBCustomComboBox::ClearHistory() {
    FHistoryList->List()->Clear();
    FHistoryList->Save();
}
