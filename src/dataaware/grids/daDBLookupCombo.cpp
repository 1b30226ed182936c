#include "dataaware/grids/daDBLookupCombo.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDataSetUtils.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daFieldSettings.h"
#include "dataaware/foundation/daPictureValidator.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <algorithm>

namespace {

std::vector<String> SplitNames(const String& Text) {
    TStringList L;
    daSplitToList(Text, u';', &L);
    std::vector<String> V;
    for (int I = 0; I < L.Count(); ++I)
        if (!Trim(L.Strings(I)).empty()) V.push_back(Trim(L.Strings(I)));
    return V;
}

String SelectedPart(const String& Line, int Part) {
    TStringList L;
    daSplitToList(Line, u'\t', &L);
    return Part < L.Count() ? L.Strings(Part) : String();
}

// The picture masks of typed text are checked by the library's validator.
void InstallPictureCheck() {
    static const bool Installed = [] {
        daSetPictureCheck([](const String& Mask, String& Text, bool AutoFill) {
            TdaPictureValidator V(Mask, AutoFill);
            return int(V.Picture(Text, AutoFill));
        });
        return true;
    }();
    (void)Installed;
}

// One mouse hook serves all lookup combos: only the active control's list can be open.
HHOOK GLookupMouseHook = 0;

// A press outside the open list and its combo cancels the list; the press itself goes on.
LRESULT LookupMouseHook(int Code, WPARAM Msg, LPARAM Data) {
    const HHOOK Self = GLookupMouseHook;
    if (Code == HC_ACTION && (Msg == WM_LBUTTONDOWN || Msg == WM_NCLBUTTONDOWN) && Screen) {
        const auto* Info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(Data);
        auto* C = dynamic_cast<TdaDBCustomLookupCombo*>(Screen->ActiveControl());
        if (C && C->ReadDroppedDown() && C->HandleAllocated()) {
            TRect List, Combo;
            GetWindowRect(C->ListWindow()->Handle(), List);
            GetWindowRect(C->Handle(), Combo);
            if (!PtInRect(List, Info->pt) && !PtInRect(Combo, Info->pt))
                PostMessage(C->Handle(), CM_CANCELMODE, 0, 0);
        }
    }
    return CallNextHookEx(Self, Code, Msg, Data);
}

} // namespace

// ---- TdaDropDownGridOptions ----------------------------------------------------------------------

void TdaDropDownGridOptions::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TdaDropDownGridOptions*>(Source)) {
        TitleLines = S->TitleLines;
        Color = S->Color;
        TitleAlignment = S->TitleAlignment;
        return;
    }
    TPersistent::Assign(Source);
}

// ---- TdaDBLookupList -----------------------------------------------------------------------------

TdaDBLookupList::TdaDBLookupList(TComponent* AOwner) : TdaCustomDBGrid(AOwner) {
    SetListOptions({});
    SetBounds(0, 0, 121, 97);
    FLookupSource = new TDataSource(this);
    SetDataSource(FLookupSource);
}

TdaDBLookupList::~TdaDBLookupList() = default;

void TdaDBLookupList::SetLookupTable(TDataSet* Value) {
    if (Value && FCombo && FCombo->DataSource() && FCombo->DataSource()->DataSet() == Value)
        throw EInvalidOperation(daLookupTexts::DuplicateSource);
    if (LookupTable() == Value) return;
    FLookupSource->SetDataSet(Value);
    ResetLookupFields();
}

void TdaDBLookupList::SetLookupField(const String& Value) {
    if (FLookupField == Value) return;
    FLookupField = Value;
    ResetLookupFields();
}

void TdaDBLookupList::SetListOptions(TdaDBLookupListOptions Value) {
    FOptions = Value;
    TdaDBGridOptions O{dgRowSelect, dgRowLinesDisableFixed};
    FTitleOffset = 0;
    if (Value.Contains(loColLines)) O.Include(dgColLines);
    if (Value.Contains(loRowLines)) O.Include(dgRowLines);
    if (Value.Contains(loTitles)) {
        O.Include(dgTitles);
        FTitleOffset = 1;
    }
    SetOptions(O);
    // Rows and columns without lines sit edge to edge.
    SetGridLineWidth(Value.Contains(loRowLines) || Value.Contains(loColLines) ? 1 : 0);
}

void TdaDBLookupList::ResetLookupFields() {
    BuildValueFields(true);
    LayoutChanged();
    FValue.clear();
    FValue2.clear();
    FValue3.clear();
}

void TdaDBLookupList::BuildValueFields(bool RaiseIfMissing) {
    FDisplayFld = FValueFld = FValueFld2 = FValueFld3 = nullptr;
    lookupFieldCount = 0;
    TDataSet* LT = LookupTable();
    if (!LT || !LT->Active() || FLookupField.empty()) return;
    const std::vector<String> Names = SplitNames(FLookupField);
    if (Names.empty()) return;
    FValueFld = LT->FindField(Names[0]);
    if (!FValueFld) {
        if (RaiseIfMissing) throw EInvalidOperation(Format(daLookupTexts::FieldNotFound, {FLookupField}));
        return;
    }
    lookupFieldCount = 1;
    if (Names.size() > 1 && (FValueFld2 = LT->FindField(Names[1]))) lookupFieldCount = 2;
    if (Names.size() > 2 && (FValueFld3 = LT->FindField(Names[2]))) lookupFieldCount = 3;
    // A lookup field of the data set brings its own result field and key pairs.
    if (FCombo && FCombo->IsLookupTField()) {
        TField* F = FCombo->Field();
        if (Selected()->Count() == 0) FDisplayFld = LT->FindField(F->LookupResultField);
    }
    if (Selected()->Count() > 0) {
        if (TField* D = LT->FindField(SelectedPart(Selected()->Strings(0), 0))) FDisplayFld = D;
    }
    if (!FDisplayFld) FDisplayFld = FValueFld;
    if (FNavigatorLink) FNavigatorLink->SetFieldName(FDisplayFld ? FDisplayFld->FieldName() : String());
}

bool TdaDBLookupList::IsKeyCurrent() const {
    if (!FValueFld) return false;
    if (FValueFld->Text() != FValue) return false;
    if (FValueFld2 && FValueFld2->Text() != FValue2) return false;
    if (FValueFld3 && FValueFld3->Text() != FValue3) return false;
    return true;
}

// The key search that every lookup of a stored value uses: one key field by the combo's locate,
// several by one Locate over all of them.
void TdaDBLookupList::FindCurrentValue() {
    FFoundValue = false;
    TDataSet* LT = LookupTable();
    if (FLookupField.empty() || !FValueFld || !LT || !LT->Active()) return;
    if (!FValueFld2) {
        FFoundValue = FCombo
                          ? FCombo->LocateValue(FValue, FValueFld->FieldName(), false,
                                                FCombo->SeqSearchOptions().Contains(ssoCaseSensitive), true)
                          : LT->Locate(FValueFld->FieldName(), Variant(FValue), 0);
        return;
    }
    if (FValue.empty()) return;
    String Names = FValueFld->FieldName() + u";" + FValueFld2->FieldName();
    TVariantArray Values{Variant(FValue), Variant(FValue2)};
    if (FValueFld3) {
        Names += u";" + FValueFld3->FieldName();
        Values.push_back(Variant(FValue3));
    }
    FFoundValue = LT->Locate(Names, Variant(Values), 0);
}

void TdaDBLookupList::DoLookup(bool SetToDisplayIndex) {
    FFoundValue = false;
    TDataSet* LT = LookupTable();
    if (!LT || !LT->Active()) return;
    if (FCombo && FCombo->IsLinkedLookupField()) {
        TField* F = FCombo->Field();
        TDataSet* DS = F->DataSet();
        const std::vector<String> DataKeys = SplitNames(F->KeyFields),
                                  LookupKeys = SplitNames(F->LookupKeyFields);
        const size_t N = std::min(DataKeys.size(), LookupKeys.size());
        if (N == 1) {
            TField* K = DS->FindField(DataKeys[0]);
            FFoundValue = K && FCombo->LocateValue(K->Text(), LookupKeys[0], false, false, false);
        } else if (N > 1) {
            TVariantArray Values;
            bool Complete = true;
            for (size_t I = 0; I < N; ++I) {
                TField* K = DS->FindField(DataKeys[I]);
                Complete = Complete && K && !K->IsNull();
                Values.push_back(K ? Variant(K->Text()) : Variant());
            }
            FFoundValue = Complete && LT->Locate(F->LookupKeyFields, Variant(Values), 0);
        }
        if (FFoundValue) {
            FValue = FValueFld ? FValueFld->Text() : String();
            FValue2 = FValueFld2 ? FValueFld2->Text() : String();
            FValue3 = FValueFld3 ? FValueFld3->Text() : String();
        } else {
            LT->First();
            FValue.clear();
            FValue2.clear();
            FValue3.clear();
            Invalidate();
        }
        return;
    }
    if (LT->State() == dsSetKey) return;
    if (FCombo && !(FCombo->DataSource() && FCombo->DataSource()->DataSet()) && FDisplayFld == FValueFld)
        FValue = FDisplayValue = FCombo->Text();
    FindCurrentValue();
    if (SetToDisplayIndex && FCombo) {
        FCombo->InList = FFoundValue;
        FCombo->TypedInText = FCombo->Text();
        if (FCombo->Value().empty()) FCombo->InList = true;
        if (!FFoundValue) LT->First();
    }
}

void TdaDBLookupList::SetValue(const String& Value) {
    if (FCombo && FCombo->DataSource() && FCombo->DataSource()->DataSet() &&
        FCombo->DataSource()->DataSet() == LookupTable())
        throw EInvalidOperation(daLookupTexts::DuplicateSource);
    if (!DataLink()->Active() || !FValueFld) return;
    FValue = Value;
    FHiliteRow = -1;
    if (FCombo && FCombo->IsLinkedLookupField() && inDataChanged > 0) {
        FDisplayValue = FCombo->Field()->Text();
    } else if (FValueFld == FDisplayFld) {
        FDisplayValue = Value;
    } else {
        DoLookup(false);
        FDisplayValue = FFoundValue && FDisplayFld ? FDisplayFld->Text() : String();
    }
    Invalidate();
}

void TdaDBLookupList::SetDisplayValue(const String& Value) {
    if (!DataLink()->Active() || !FDisplayFld) return;
    FHiliteRow = -1;
    TDataSet* LT = LookupTable();
    bool Found = false;
    if (!FValue.empty()) {
        if (FValueFld2) {
            FindCurrentValue();
            Found = FFoundValue;
        } else if (FCombo) {
            Found = FCombo->LocateValue(FValue, FLookupField, false,
                                        FCombo->SeqSearchOptions().Contains(ssoCaseSensitive), false);
        } else {
            Found = LT->Locate(FLookupField, Variant(FValue), 0);
        }
    }
    if (FCombo) {
        FCombo->InList = Found || FCombo->Value().empty();
        FCombo->TypedInText = FCombo->Text();
    }
    FDisplayValue = Value;
    if (FDisplayFld == FValueFld)
        FValue = FDisplayValue;
    else if (Found)
        FValue = FValueFld->Text();
    if (!Found && FDisplayFld != FValueFld) {
        FDisplayValue.clear();
        FValue.clear();
    }
}

bool TdaDBLookupList::CanSelectValue() {
    return true;
}

void TdaDBLookupList::DoListClick() {
    if (CanSelectValue() && !(FCombo && FCombo->ReadOnly()) && FDisplayFld) {
        if (FCombo && FCombo->DataLink()->Editing()) FCombo->DataLink()->Modified();
        FDisplayValue = FDisplayFld->Text();
        FValue = FDisplayFld == FValueFld ? FDisplayValue : FValueFld->Text();
        if (FValueFld2) FValue2 = FValueFld2->Text();
        if (FValueFld3) FValue3 = FValueFld3->Text();
    }
    if (OnListClick) OnListClick(this);
}

// One column fills the width; several stretch the last when the others leave room for it.
void TdaDBLookupList::SetColumnAttributes() {
    TdaCustomDBGrid::SetColumnAttributes();
    const int First = IndicatorOffset();
    const int Count = ColCount() - First;
    if (Count <= 0) return;
    int Used = 0;
    for (int C = First; C < ColCount() - 1; ++C)
        Used += ColWidths(C) + GridLineWidth();
    const int Room = ClientWidth() - Used;
    if (Count == 1)
        SetColWidths(First, std::max(ClientWidth() - GridLineWidth(), 8));
    else if (Room - ColWidths(ColCount() - 1) > 15)
        SetColWidths(ColCount() - 1, Room - GridLineWidth());
}

bool TdaDBLookupList::IsCellHighlighted(int, int DataRow, TGridDrawState, const String&) {
    if (!DataLink()->Active() || !FValueFld) return false;
    bool Hilite;
    if (CanSelectValue() && (FSelecting || FInCellSelect)) {
        Hilite = DataRow == DataLink()->ActiveRecord();
    } else {
        TActiveRecordScope Scope(*DataLink(), DataRow);
        Hilite = IsKeyCurrent() && !FValue.empty();
    }
    if (Hilite) FHiliteRow = DataRow;
    return Hilite;
}

void TdaDBLookupList::LinkActive(bool Value) {
    TdaCustomDBGrid::LinkActive(Value);
    if (Value && FCombo && !FCombo->InCustomSearch) {
        BuildValueFields(true);
        FValue.clear();
        FCombo->HandleDataChange();
    } else if (!Value) {
        FDisplayFld = FValueFld = FValueFld2 = FValueFld3 = nullptr;
    }
}

void TdaDBLookupList::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_INSERT) {
        Key = 0;
        return;
    }
    const bool Moving = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
                        Key == VK_HOME || Key == VK_END;
    if (Moving && !CanSelectValue()) return;
    TDataSet* LT = LookupTable();
    if (Moving && LT && LT->Active() && FHiliteRow < 0 && !FFoundValue && !IsKeyCurrent()) {
        // Nothing chosen yet: the first key picks the first record.
        LT->First();
        Invalidate();
        DoListClick();
        return;
    }
    {
        TFlagScope Select(FInCellSelect);
        TdaCustomDBGrid::KeyDown(Key, Shift);
    }
    if (Moving && CanSelectValue()) {
        Invalidate();
        DoListClick();
    }
}

void TdaDBLookupList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && FDisplayFld && MouseCoord(X, Y).Y >= FTitleOffset) FSelecting = true;
    TdaCustomDBGrid::MouseDown(Button, Shift, X, Y);
    Invalidate();
}

void TdaDBLookupList::MouseMove(TShiftState Shift, int X, int Y) {
    TdaCustomDBGrid::MouseMove(Shift, X, Y);
    if (FSelecting && Shift.Contains(ssLeft)) {
        const TGridCoord C = MouseCoord(X, Y);
        if (C.Y >= FTitleOffset && C.Y != Row() && DataLink()->Active()) {
            DataLink()->DataSet()->MoveBy(C.Y - Row());
            Invalidate();
        }
    }
}

void TdaDBLookupList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool WasSelecting = FSelecting;
    FSelecting = false;
    TdaCustomDBGrid::MouseUp(Button, Shift, X, Y);
    if (WasSelecting) DoListClick();
}

// ---- TdaPopupGrid --------------------------------------------------------------------------------

TdaPopupGrid::TdaPopupGrid(TComponent* AOwner, TdaDBCustomLookupCombo* ACombo) : TdaDBLookupList(AOwner) {
    FCombo = ACombo;
    ControlStyle().Include(csNoDesignVisible);
    ControlStyle().Include(csReplicatable);
    SetTabStop(false);
    SetAcquireFocus(false);
}

bool TdaPopupGrid::CanSelectValue() {
    TdaDBCustomLookupCombo* C = FCombo;
    if (!C->DataSource() || C->DataLink()->Editing()) return true;
    if (!C->IsLinkedLookupField()) return false;
    const TDataSetState S = C->DataSource()->State();
    return S == dsEdit || S == dsInsert || C->DataSource()->AutoEdit;
}

void TdaPopupGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FCombo->BeginFieldEdit();
    TdaDBLookupList::MouseDown(Button, Shift, X, Y);
}

// A release in the list picks the row under it and closes the list.
void TdaPopupGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && MouseCapture()) SetMouseCapture(false);
    TdaDBLookupList::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FCombo->ReadDroppedDown()) FCombo->CloseUp(true);
}

// ---- TdaDBCustomLookupCombo ----------------------------------------------------------------------

TdaDBCustomLookupCombo::TdaDBCustomLookupCombo(TComponent* AOwner)
    : TdaDBCustomCombo(AOwner), FDropDownGridOptions(std::make_unique<TdaDropDownGridOptions>()) {
    SetButtonStyle(cbsDownArrow);
    // A press on the button opens and closes the list (so that it can be dragged into the list).
    Patch[2] = false;
    InstallPictureCheck();
    ControlStyle().Include(csReplicatable);
    FPopup = new THintWindow(nullptr);
    FPopup->SetColor(clWindow);
    FGrid = new TdaPopupGrid(this, this);
    FGrid->SetParent(FPopup);
    FGrid->SetAlign(alClient);
    FGrid->SetPadColumnStyle(pcsPlain);
    FGrid->SetUseTFields(true);
    FGrid->OnListClick = [this](TObject* Sender) { HandleListClick(Sender); };
    SetHeight(25);
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(200);
    FTimer->OnTimer = [this](TObject*) { TimerSearch(); };
}

TdaDBCustomLookupCombo::~TdaDBCustomLookupCombo() {
    // The hook watches this combo's open list; a list of another combo keeps it.
    if (ReadDroppedDown()) RemoveMouseHook();
    FTimer->OnTimer = nullptr;
    FGrid->OnListClick = nullptr;
    FGrid->FNavigatorLink.reset();
    // The grid goes with the pop-up and tells this combo on its way out, when it is no longer a
    // grid: nothing may ask it then.
    FGrid = nullptr;
    delete FPopup;
}

void TdaDBCustomLookupCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TdaDBCustomCombo::Notification(AComponent, Operation);
    if (Operation != opRemove || !FGrid) return;
    if (AComponent == static_cast<TComponent*>(FGrid))
        FGrid = nullptr;
    else if (AComponent == LookupTable())
        FGrid->SetLookupTable(nullptr);
}

void TdaDBCustomLookupCombo::SetLookupTable(TDataSet* Value) {
    if (Value && DataSource() && (DataSource()->DataSet() == Value || DataSource() == FGrid->LookupSource()))
        throw EInvalidOperation(daLookupTexts::DuplicateSource);
    if (Value) Value->FreeNotification(this);
    FGrid->SetLookupTable(Value);
    HandleDataChange();
}

void TdaDBCustomLookupCombo::SetLookupField(const String& Value) {
    FGrid->SetLookupField(Value);
    HandleDataChange();
}

void TdaDBCustomLookupCombo::SetSelected(TStrings* Value) {
    FGrid->SetSelected(Value);
    FGrid->BuildValueFields(false);
    FGrid->FValue.clear();
    HandleDataChange();
}

void TdaDBCustomLookupCombo::SetDataSource(TDataSource* Value) {
    if (Value && (Value == FGrid->LookupSource() || (Value->DataSet() && Value->DataSet() == LookupTable())))
        throw EInvalidOperation(daLookupTexts::DuplicateSource);
    TdaDBCustomEdit::SetDataSource(Value);
}

// A lookup field of the data set names its own key fields in the lookup table.
void TdaDBCustomLookupCombo::SetDataField(const String& Value) {
    TdaDBCustomEdit::SetDataField(Value);
    if (IsLookupTField() && !Field()->LookupKeyFields.empty())
        FGrid->SetLookupField(Field()->LookupKeyFields);
    HandleDataChange();
}

void TdaDBCustomLookupCombo::SetUseTFields(bool Value) {
    FUseTFields = Value;
    FGrid->SetUseTFields(Value);
}

void TdaDBCustomLookupCombo::SetNavigator(bool Value) {
    if (FNavigator == Value) return;
    FNavigator = Value;
    if (!Value) {
        FGrid->FNavigatorLink.reset();
        return;
    }
    FGrid->FNavigatorLink = std::make_unique<TFieldDataLink>();
    FGrid->FNavigatorLink->SetFieldName(FGrid->FDisplayFld ? FGrid->FDisplayFld->FieldName() : String());
    FGrid->FNavigatorLink->SetDataSource(FGrid->LookupSource());
    FGrid->FNavigatorLink->OnDataChange = [this] { NavigatorDataChange(); };
}

// The lookup table's cursor moved: the combo shows the record it is on now.
void TdaDBCustomLookupCombo::NavigatorDataChange() {
    if (ComponentState().Contains(csLoading) || !FGrid) return;
    TDataSet* LT = LookupTable();
    TField* D = FGrid->FDisplayFld;
    if (!LT || !LT->Active() || !D || LT->IsEmpty()) return;
    FGrid->FDisplayValue = D->DisplayText();
    FGrid->FValue = FGrid->FValueFld ? FGrid->FValueFld->Text() : FGrid->FDisplayValue;
    {
        TFlagScope Skip(SkipDataChange);
        SetText(FGrid->FDisplayValue);
    }
    if (AcceptsTyping()) SelectAll();
}

HHOOK TdaDBCustomLookupCombo::MouseHookHandle() {
    return GLookupMouseHook;
}

void TdaDBCustomLookupCombo::InstallMouseHook() {
    if (!GLookupMouseHook) GLookupMouseHook = SetWindowsHookEx(WH_MOUSE, LookupMouseHook);
}

void TdaDBCustomLookupCombo::RemoveMouseHook() {
    if (!GLookupMouseHook) return;
    UnhookWindowsHookEx(GLookupMouseHook);
    GLookupMouseHook = 0;
}

TAlignment TdaDBCustomLookupCombo::PaintAlignment() const {
    if (FGrid && FGrid->FDisplayFld && !daParentIsInspector(this)) return FieldAlignment(FGrid->FDisplayFld);
    return TdaDBCustomCombo::PaintAlignment();
}

int TdaDBCustomLookupCombo::PaintTextTop(bool InGrid, bool InDBGrid) const {
    if (daParentIsInspector(this) || !InGrid) return 1;
    if (ParentIsFocusedDBGrid()) return BorderStyle() == Controls::bsSingle ? 3 : 2;
    const auto* G = dynamic_cast<const TdaCustomDBGrid*>(Parent());
    return InDBGrid && G && G->Options().Contains(dgRowLines) ? 2 : 1;
}

void TdaDBCustomLookupCombo::CloseUpByButton() {
    if (InList) HandleListClick(this);
    CloseUp(true);
}

void TdaDBCustomLookupCombo::ToggleDropDownByClick() {
    if (CanFocus() && !Focused()) SetFocus();
    if (!Focused()) return;
    if (ReadDroppedDown())
        CloseUp(true);
    else
        DropDown();
    // The press goes on as a drag that may end in the list.
    SetMouseCapture(true);
}

void TdaDBCustomLookupCombo::ForwardDragToGrid(TControl* Control, TdaPopupGrid* AGrid, int X, int Y) {
    if (!AGrid || !ReadDroppedDown() || !AGrid->HandleAllocated()) return;
    const TPoint P = AGrid->ScreenToClient(Control->ClientToScreen(TPoint(X, Y)));
    if (!PtInRect(AGrid->ClientRect(), P)) return;
    Control->Perform(WM_LBUTTONUP, 0, PointToLParam(TPoint(X, Y)));
    if (!ReadDroppedDown()) return;
    SendMessage(AGrid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(P));
    // The rest of the drag and its release belong to the list.
    if (ReadDroppedDown() && !AGrid->MouseCapture()) AGrid->SetMouseCapture(true);
}

void TdaDBCustomLookupCombo::ButtonMouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft) && ReadDroppedDown()) ForwardDragToGrid(Button(), FGrid, X, Y);
}

bool TdaDBCustomLookupCombo::ReadDroppedDown() const {
    return FPopup && FPopup->Visible();
}

bool TdaDBCustomLookupCombo::AcceptsTyping() const {
    return ReadDroppedDown() || Style() != daDBCombo::csDropDownList || FAutoDropDown;
}

bool TdaDBCustomLookupCombo::IsEditStyle() const {
    return ReadDroppedDown() || Style() != daDBCombo::csDropDownList;
}

bool TdaDBCustomLookupCombo::IsLookupTField() const {
    return Field() && Field()->Lookup();
}

bool TdaDBCustomLookupCombo::IsLinkedLookupField() const {
    return DataSource() && DataSource()->DataSet() && !DataField().empty() && IsLookupTField();
}

bool TdaDBCustomLookupCombo::DisplayIsKey() const {
    return FGrid->FDisplayFld == FGrid->FValueFld;
}

bool TdaDBCustomLookupCombo::CanEditValue() const {
    bool R = true;
    if (DataSource()) {
        if (DataField().empty() || (DataLink()->Editing() && AcceptsTyping())) {
            R = true;
        } else if (IsLinkedLookupField()) {
            const TDataSetState S = DataSource()->State();
            R = S == dsEdit || S == dsInsert || DataSource()->AutoEdit;
        } else {
            R = false;
        }
    }
    if (!ReadDroppedDown() && Style() == daDBCombo::csDropDownList) R = R && FAutoDropDown;
    return R && !ReadOnly();
}

void TdaDBCustomLookupCombo::BeginFieldEdit() {
    if (!DataSource()) return;
    TFlagScope Skip(SkipDataChange);
    DataLink()->Edit();
}

bool TdaDBCustomLookupCombo::IsValueCurrent() const {
    TField* K = FGrid->FValueFld;
    if (!K) return false;
    if (K->Text() == LookupValue()) return true;
    return (FGrid->FValueFld2 && FGrid->FValueFld2->Text() == FGrid->FValue) ||
           (FGrid->FValueFld3 && FGrid->FValueFld3->Text() == FGrid->FValue);
}

String TdaDBCustomLookupCombo::Value() const {
    return AcceptsTyping() ? Text() : FGrid->FValue;
}

TField* TdaDBCustomLookupCombo::DataFieldLikeKey(int Index) const {
    TField* K = FGrid->ValueFld(Index);
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    return K && DS && DS->Active() ? DS->FindField(K->FieldName()) : nullptr;
}

bool TdaDBCustomLookupCombo::GetFieldMapText(const String& StoredValue, String& DisplayText) {
    // The text is never the stored value: it is the lookup record's display field.
    DisplayText = StoredValue == FGrid->FValue ? FGrid->FDisplayValue : String();
    return true;
}

void TdaDBCustomLookupCombo::SetValue(const String& Value) {
    if (DataSource() && DataSource()->DataSet() && DataSource()->DataSet() == LookupTable())
        throw EInvalidOperation(daLookupTexts::DuplicateSource);
    if (!(FGrid->FValue != Value || (Text().empty() && !Value.empty()) ||
          (DisplayIsKey() && Text() != Value)))
        return;
    TFlagScope Skip(SkipDataChange);
    if (FGrid->DataLink()->Active()) {
        if (!ChangingFromLink) FGrid->SetValue(Value);
        if (FGrid->FValueFld && DisplayIsKey()) {
            SetText(Value);
            if (FNavigator)
                FGrid->SetDisplayValue(Value);
            else
                FGrid->FDisplayValue = Value;
        } else {
            SetText(FGrid->FDisplayValue);
        }
    } else if (LookupField().empty() && !LookupTable()) {
        SetText(Value);
    } else if (OnPerformCustomSearch) {
        bool Found = false;
        TFlagScope Custom(InCustomSearch);
        DoPerformCustomSearch(LookupField(), Value, true, Found);
        if (Found && FGrid->FDisplayFld) FGrid->FDisplayValue = FGrid->FDisplayFld->Text();
    } else {
        SetText(Value);
    }
}

void TdaDBCustomLookupCombo::SetDisplayValue(const String& Value) {
    if (Value == FGrid->FDisplayValue || !FGrid->DataLink()->Active()) return;
    FGrid->SetDisplayValue(Value);
    TFlagScope Skip(SkipDataChange);
    SetText(FGrid->FDisplayValue);
}

void TdaDBCustomLookupCombo::RefreshDisplay() {
    const String Remembered = LookupValue();
    FGrid->FValue.clear();
    FGrid->FValue = Remembered;
    FGrid->DoLookup(false);
    TFlagScope Skip(SkipDataChange);
    if (FGrid->FFoundValue && FGrid->FDisplayFld) {
        FGrid->FDisplayValue = FGrid->FDisplayFld->Text();
        SetText(FGrid->FDisplayValue);
    } else {
        FGrid->FDisplayValue.clear();
        SetText(u"");
    }
    FGrid->FValue = Remembered;
}

// ---- Data link -----------------------------------------------------------------------------------

void TdaDBCustomLookupCombo::HandleDataChange() {
    if (SkipDataChange || !FGrid) return;
    TField* F = Field();
    const bool Loading = ComponentState().Contains(csLoading);
    if (!F || Loading) {
        if (!OnPerformCustomSearch && (Loading || DataSource())) {
            TFlagScope Skip(SkipDataChange);
            SetText(u"");
        }
        return;
    }
    ++FGrid->inDataChanged;
    TScopeExit Done([this] { --FGrid->inDataChanged; });
    if (IsLinkedLookupField()) {
        FGrid->DoLookup(false);
        FGrid->FDisplayValue = F->Text();
        FGrid->FHiliteRow = -1;
        TFlagScope Skip(SkipDataChange);
        SetText(F->Text());
    } else {
        FGrid->FValue2 = DataFieldLikeKey(1) ? DataFieldLikeKey(1)->Text() : String();
        FGrid->FValue3 = DataFieldLikeKey(2) ? DataFieldLikeKey(2)->Text() : String();
        // The same key may now stand for another text (a null, another record): look it up anew.
        FGrid->FValue = F->Text() + u"\x01";
        SetValue(F->Text());
        FGrid->FValue = F->Text();
        if (!FGrid->DataLink()->Active() || !FGrid->FValueFld) {
            TFlagScope Skip(SkipDataChange);
            SetText(F->Text());
        }
    }
    if (DataSource()->State() == dsBrowse) {
        OldDisplayValue = Text();
        OldLookupValue = LookupValue();
    }
    InList = true;
    if (FFocused && AcceptsTyping()) SelectAll();
    SetModified(false);
}

void TdaDBCustomLookupCombo::HandleUpdateData() {
    TField* F = Field();
    if (!F) return;
    if (!ProcessingNotInList && !Text().empty() && !ReadDroppedDown()) CloseUp(true);
    if (IsLinkedLookupField()) {
        if (FGrid->FHiliteRow >= 0) {
            bool M = false;
            ApplyLookupLinks(LookupTable(), M);
        }
        return;
    }
    if (!FGrid->FValueFld) {
        if (F->Text() != Text()) F->SetText(Text());
        return;
    }
    if (DisplayIsKey()) {
        if (F->Text() != Text()) F->SetText(Text());
        if (FGrid->FValue != Text() && !InAutoDropDown) FGrid->FValue = Text();
    } else if (F->Text() != FGrid->FValue) {
        F->SetText(FGrid->FValue);
    }
    if (FGrid->FHiliteRow >= 0 || AlwaysCopyExtraKeys()) {
        for (int I = 1; I <= 2; ++I)
            if (TField* D = DataFieldLikeKey(I)) D->SetText(I == 1 ? FGrid->FValue2 : FGrid->FValue3);
    }
}

void TdaDBCustomLookupCombo::ApplyLookupLinks(TDataSet*, bool& Modified) {
    if (ChangingFromLink) return;
    TFlagScope Guard(ChangingFromLink);
    TField* F = Field();
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!F || !DS) return;
    const std::vector<String> Names = SplitNames(F->KeyFields);
    const String Values[3] = {FGrid->FValue, FGrid->FValue2, FGrid->FValue3};
    Modified = Names.empty();
    for (size_t I = 0; I < Names.size() && I < 3; ++I) {
        TField* D = DS->FindField(Names[I]);
        if (D && (I == 0 || FGrid->ValueFld(int(I))) && D->Text() != Values[I]) Modified = true;
    }
    if (!Modified) return;
    TFlagScope Skip(SkipDataChange);
    if (DS->CanModify() && !ReadOnly()) DataSource()->Edit();
    if (DS->State() == dsEdit || DS->State() == dsInsert)
        for (size_t I = 0; I < Names.size() && I < 3; ++I)
            if (TField* D = DS->FindField(Names[I]); D && D->Text() != Values[I]) D->SetText(Values[I]);
    Invalidate();
}

// ---- Searching -----------------------------------------------------------------------------------

bool TdaDBCustomLookupCombo::IsSearchKey(Word Key) {
    return Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 48 && Key <= 111) || Key > 145;
}

void TdaDBCustomLookupCombo::DoPerformCustomSearch(const String& SearchField, const String& SearchValue,
                                                   bool PerformLookup, bool& Found) {
    if (OnPerformCustomSearch)
        OnPerformCustomSearch(this, LookupTable(), SearchField, SearchValue, PerformLookup, Found);
}

bool TdaDBCustomLookupCombo::LocateValue(const String& SearchValue, const String& SearchField,
                                         bool PartialMatch, bool CaseSensitive, bool PerformLookup) {
    if (InCustomSearch) return false;
    TDataSet* LT = LookupTable();
    if (!LT) return false;
    TField* F = SearchField.find(u';') == String::npos ? LT->FindField(SearchField) : nullptr;
    if (F && LT->Active() && !LT->IsEmpty() && F->Text() == SearchValue && !SearchValue.empty()) {
        FGrid->Invalidate();
        return true;
    }
    String V = SearchValue;
    if (F && (F->DataType() == ftString || F->DataType() == ftWideString) && F->Size() > 0 &&
        int(Text().size()) > F->Size() && int(V.size()) > F->Size())
        V = V.substr(0, size_t(F->Size()));
    bool Found = false;
    if (OnPerformCustomSearch) {
        if (!V.empty()) {
            TFlagScope Skip(SkipDataChange), Custom(InCustomSearch);
            DoPerformCustomSearch(SearchField, V, PerformLookup, Found);
        }
        FGrid->Invalidate();
        return Found;
    }
    if (F && LT->Active() && !V.empty() && daIsValidFieldValue(F, V)) {
        TLocateOptions Options = 0;
        if (!CaseSensitive) Options |= loCaseInsensitive;
        if (PartialMatch) Options |= loPartialKey;
        Found = LT->Locate(SearchField, Variant(V), Options);
    }
    FGrid->Invalidate();
    // A partial match must really hold the typed text.
    if (Found && F) Found = AnsiUpperCase(F->Text()).find(AnsiUpperCase(V)) != String::npos;
    return Found;
}

bool TdaDBCustomLookupCombo::FindIndexedValue(const String& Value, const String& FieldName,
                                              bool PartialMatch) {
    TDataSet* LT = LookupTable();
    TField* F = LT ? LT->FindField(FieldName) : nullptr;
    if (!PartialMatch && F && AnsiUpperCase(F->Text()) == AnsiUpperCase(Value)) return true;
    return LocateValue(Value, FieldName, PartialMatch, FSeqSearchOptions.Contains(ssoCaseSensitive), false);
}

void TdaDBCustomLookupCombo::PerformSearch() {
    FLastSearchKey.clear();
    TimerSearch();
}

void TdaDBCustomLookupCombo::TimerSearch() {
    FTimer->SetEnabled(false);
    // The search moves the lookup table itself: the navigator must not answer those moves.
    std::function<void()> NavigatorHandler;
    if (TFieldDataLink* L = FGrid->FNavigatorLink.get()) NavigatorHandler = std::exchange(L->OnDataChange, nullptr);
    TScopeExit Reattach([&] {
        if (TFieldDataLink* L = FGrid->FNavigatorLink.get(); L && NavigatorHandler) L->OnDataChange = NavigatorHandler;
    });
    TDataSet* LT = LookupTable();
    if (Text() == FLastSearchKey || !LT || !(LT->Active() || OnPerformCustomSearch)) return;
    const bool Open = ReadDroppedDown();
    const bool AutoOpen = !Open && !Text().empty() && FAutoDropDown;
    auto OpenIfAsked = [&] {
        if (AutoOpen && InAutoDropDown) {
            DropDown();
            InAutoDropDown = false;
        }
    };
    TField* D = FGrid->FDisplayFld;
    if (!(FSeqSearchOptions.Contains(ssoEnabled) || OnPerformCustomSearch) || !D) {
        OpenIfAsked();
        return;
    }
    const bool Case = FSeqSearchOptions.Contains(ssoCaseSensitive);
    const String Typed = Text();
    if (Open || InAutoDropDown || (CanEditValue() && FShowMatchText)) {
        InList = LocateValue(Typed, D->FieldName(), true, Case, false);
        if (!InList && DisplayIsKey()) {
            FGrid->FValue.clear();
            FLastSearchKey = Text();
            OpenIfAsked();
            return;
        }
    } else {
        InList = LocateValue(Typed, D->FieldName(), false, Case, false);
    }
    TypedInText = Typed;
    // Only a record that matched gives its keys: a miss keeps the value the combo had.
    if (InList) {
        FGrid->FDisplayValue = D->Text();
        if (Typed.size() > FGrid->FDisplayValue.size()) InList = false;
    }
    if (InList) {
        FGrid->FValue = FGrid->FValueFld ? FGrid->FValueFld->Text() : String();
        FGrid->FValue2 = FGrid->FValueFld2 ? FGrid->FValueFld2->Text() : String();
        FGrid->FValue3 = FGrid->FValueFld3 ? FGrid->FValueFld3->Text() : String();
    }
    if (!Open) FGrid->FHiliteRow = -1;
    if (FShowMatchText && InList && FLastSearchKey != u"~~~~") {
        const int Caret = SelStart();
        const String TypedPart = Caret == 0 ? Typed : Typed.substr(0, size_t(Caret));
        {
            TFlagScope Skip(SkipDataChange);
            SetText(D->Text());
        }
        SetModified(true);
        SetSelStart(int(TypedPart.size()));
        SetSelLength(int(Text().size() - TypedPart.size()));
        if (!Open) FGrid->FHiliteRow = 0;
    }
    FLastSearchKey = Text();
    if (Open) FGrid->Invalidate();
    OpenIfAsked();
}

// ---- Drop-down and close-up ----------------------------------------------------------------------

void TdaDBCustomLookupCombo::AddDefaultSelected() {
    if (Selected()->Count() > 0) return;
    TDataSet* LT = LookupTable();
    const std::vector<String> Names = SplitNames(LookupField());
    TField* F = IsLinkedLookupField() ? FGrid->FDisplayFld
                                      : (LT && !Names.empty() ? LT->FindField(Names[0]) : nullptr);
    if (!F) return;
    Selected()->Add(F->FieldName() + u"\t" + IntToStr(F->DisplayWidth()) + u"\t" + F->DisplayLabel());
}

int TdaDBCustomLookupCombo::WorkAreaHeight() const {
    return Screen ? Screen->WorkAreaRect().Bottom : 768;
}

int TdaDBCustomLookupCombo::SumColumnWidths(int Skip) {
    TCanvas* C = FGrid->Canvas();
    C->Font()->Assign(FGrid->Font());
    const int Zero = std::max(1, C->TextWidth(u"0"));
    struct TCol {
        int Chars;
        String Title;
    };
    std::vector<TCol> Cols;
    TDataSet* LT = LookupTable();
    if (FUseTFields && LT) {
        for (int I = 0; I < LT->Fields().Count(); ++I)
            if (TField* F = LT->Fields()[I]; F->Visible())
                Cols.push_back({F->DisplayWidth(), F->DisplayLabel()});
    } else {
        for (int I = 0; I < Selected()->Count(); ++I) {
            const String L = Selected()->Strings(I);
            Cols.push_back({StrToIntDef(Trim(SelectedPart(L, 1)), 10), SelectedPart(L, 2)});
        }
    }
    int Sum = GetSystemMetrics(SM_CXHTHUMB) + 1;
    const int N = int(Cols.size()) - Skip;
    for (int I = 0; I < N; ++I) {
        int W = Zero * Cols[size_t(I)].Chars + FGrid->GridLineWidth();
        if (FGrid->ListOptions().Contains(loTitles)) {
            C->Font()->Assign(FGrid->TitleFont());
            W = std::max(W, C->TextWidth(Cols[size_t(I)].Title) + 4);
            C->Font()->Assign(FGrid->Font());
        }
        Sum += W;
    }
    return Sum;
}

void TdaDBCustomLookupCombo::SetDropDownHeight() {
    const int RowLine = FGrid->ListOptions().Contains(loRowLines) ? 1 : 0;
    const int Titles = FGrid->TitleRows();
    // The list's frame: what its window takes around the client area.
    const int Frame = std::max(2, FGrid->Height() - FGrid->ClientHeight());
    const int H = (Titles * FGrid->TitleLines() + FItemCount) * (FGrid->DefaultRowHeight() + RowLine) +
                  3 * Titles + ExtraHeight + Frame;
    FPopup->SetHeight(H);
}

void TdaDBCustomLookupCombo::PositionDropDown() {
    if (Width() <= 20) return;
    const TPoint Origin = ClientToScreen(TPoint(0, 0));
    const int Below = Origin.Y + Height() - (BorderStyle() == Controls::bsNone ? 0 : 1);
    int H = FPopup->Height();
    int Y = Below;
    if (Y + H > WorkAreaHeight()) {
        Y = Origin.Y - H + 1;
        if (Y < 0) Y = Below;
    }
    const int LineW = FGrid->GridLineWidth();
    const int Cols = FGrid->ColCount();
    int W = FDropDownWidth;
    if (W == 0) W = SumColumnWidths(0) + Cols * LineW + ReadButtonAreaWidth();
    const int Desktop = Screen ? Screen->DesktopWidth() : 1024;
    int CX, X;
    if (FDropDownAlignment == taRightJustify) {
        CX = std::max(std::min(Origin.X + Width() - 2, W), Width() - 4);
        X = Origin.X + Width() - CX + 1;
    } else {
        CX = std::max(std::min(Desktop - Origin.X - 2, W), Width() - 4);
        X = Origin.X;
    }
    // Room for a horizontal scroll bar when the columns do not fit.
    if (CX <= SumColumnWidths(1) + Cols * LineW + ReadButtonAreaWidth() + 1 && FItemCount > 0 &&
        Cols > 1 + FGrid->IndicatorOffset()) {
        const int RowLine = FGrid->ListOptions().Contains(loRowLines) ? 1 : 0;
        H = GetSystemMetrics(SM_CYHSCROLL) +
            (FGrid->DefaultRowHeight() + RowLine) * (FGrid->TitleRows() + FItemCount) + 5 + ExtraHeight -
            2 * RowLine;
    }
    FPopup->SetBounds(X, Y, CX, H);
}

void TdaDBCustomLookupCombo::DropDown() {
    if (InDropDownEvent) return;
    TFlagScope InEvent(InDropDownEvent);
    const bool FromTyping = InAutoDropDown;
    if (OnPerformCustomSearch) {
        OldDisplayValue = Text();
        OldLookupValue = LookupValue();
    }
    if (OnBeforeDropDown) OnBeforeDropDown(this);
    TDataSet* LT = LookupTable();
    if (!LT) {
        MessageDlg(daLookupTexts::NoLookupTable, mtWarning, TMsgDlgButtons{mbOK}, 0);
        RefreshButton();
        return;
    }
    FGrid->SetColor(FDropDownGridOptions->Color);
    FGrid->SetTitleLines(FDropDownGridOptions->TitleLines);
    FGrid->SetTitleAlignment(FDropDownGridOptions->TitleAlignment);
    if (ReadDroppedDown() || Width() <= 20) return;
    FGrid->FHiliteRow = -1;
    AddDefaultSelected();
    if (!FGrid->FDisplayFld) FGrid->BuildValueFields(false);
    if (!FromTyping) FGrid->DoLookup(true);
    if (FUseTFields && LT->Active()) daApplySelectedToFields(LT, Selected());
    FGrid->HandleNeeded();
    FGrid->LayoutChanged();
    if (OnDropDown) OnDropDown(this);

    FGrid->HandleNeeded();
    FItemCount = FDropDownCount > 0 ? FDropDownCount : 1;
    FGrid->BeAccurate = true;
    SetDropDownHeight();
    OldShowHint = Application ? Application->ShowHint() : false;
    if (Application) Application->SetShowHint(false);
    PositionDropDown();
    FGrid->UpdateRowCount();
    FGrid->BeAccurate = false;
    // A short table gives a short list without a vertical scroll bar.
    const int Records = LT->Active() ? LT->RecordCount() : 0;
    if (!FGrid->ListOptions().Contains(loFixedDropDownHeight) && Records < FItemCount) {
        FItemCount = Records;
        SetDropDownHeight();
        FGrid->SetShowVertScrollBar(false);
        PositionDropDown();
    } else {
        FGrid->SetShowVertScrollBar(true);
    }
    if (LookupField().empty()) FGrid->FDisplayValue = Text();
    FPopup->SetVisible(true);
    FGrid->SetColumnAttributes();
    FGrid->UpdateRowCount();
    FGrid->Invalidate();
    Button()->Invalidate();
    FLastSearchKey = FGrid->FDisplayValue;
    if (CanFocus() && !Focused()) SetFocus();
    TCustomEdit::SetReadOnly(!CanEditValue());
    if (!FromTyping && AcceptsTyping()) {
        if (!(FShowMatchText && SelLength() > 0 && SelStart() != 0)) SelectAll();
    }
    Invalidate();
    InstallMouseHook();
}

void TdaDBCustomLookupCombo::HandleListClick(TObject*) {
    InList = true;
    if (!DataSource() || DataLink()->Editing() || Modified()) {
        if (DataSource()) DataLink()->Edit();
        if ((!DataSource() || DataLink()->Editing() || IsLinkedLookupField()) && !ReadOnly()) {
            if (DataLink()->Editing()) DataLink()->Modified();
            {
                TFlagScope Skip(SkipDataChange);
                TValueScope<bool> Mod(SetModifiedInChangeEvent, true);
                SetText(FGrid->FDisplayValue);
            }
            if (AcceptsTyping()) SelectAll();
            FLastSearchKey = Text();
        }
    }
}

void TdaDBCustomLookupCombo::UpdateLookupValues() {
    if (FTimer->Enabled()) {
        FTimer->SetEnabled(false);
        TimerSearch();
        return;
    }
    TField* D = FGrid->FDisplayFld;
    if (!D || !FGrid->DataLink()->Active()) return;
    if (ReadDroppedDown() && FGrid->FHiliteRow < 0 && !FGrid->IsKeyCurrent()) return;
    FGrid->FDisplayValue = D->Text();
    FGrid->FValue = DisplayIsKey() ? FGrid->FDisplayValue : FGrid->FValueFld->Text();
    if (FGrid->FValueFld2) FGrid->FValue2 = FGrid->FValueFld2->Text();
    if (FGrid->FValueFld3) FGrid->FValue3 = FGrid->FValueFld3->Text();
}

void TdaDBCustomLookupCombo::RestoreOldValues() {
    FGrid->FDisplayValue = OldDisplayValue;
    if (!IsLinkedLookupField()) FGrid->FValue = OldLookupValue;
    TFlagScope Skip(SkipDataChange);
    if (Text() != OldDisplayValue) SetText(OldDisplayValue);
    InList = true;
}

void TdaDBCustomLookupCombo::CloseUp(bool modified) {
    if (InCloseUpEvent) return;
    TDataSet* LT = LookupTable();
    if (!ReadDroppedDown()) {
        // The user leaves after typing: a text that names no record is offered or taken back.
        if (!FGrid->FDisplayFld || ProcessingNotInList || Text() == OldDisplayValue) return;
        if (OnNotInList && (IsLinkedLookupField() || !FGrid->FDisplayFld->Calculated())) {
            if (!Text().empty())
                TimerSearch();
            else
                InList = false;
            if (!InList) {
                bool Accepted = true;
                {
                    TFlagScope Processing(ProcessingNotInList);
                    OnNotInList(this, LT, Text(), Accepted);
                }
                if (!Accepted) {
                    RestoreOldValues();
                    if (FFocused) SelectAll();
                }
                OldDisplayValue = Text();
            }
        } else if (Style() == daDBCombo::csDropDown && !DisplayIsKey() && !InList) {
            RestoreOldValues();
            if (FFocused) SelectAll();
        }
        return;
    }

    TFlagScope InEvent(InCloseUpEvent);
    auto HideList = [this] {
        FPopup->SetVisible(false);
        Button()->Invalidate();
        Invalidate();
    };
    TScopeExit Always([&] {
        HideList();
        RemoveMouseHook();
        if (Application) Application->SetShowHint(OldShowHint);
    });
    TScopeExit OnFailure([&] {
        ProcessingNotInList = false;
        ChangingFromLink = false;
    });
    const bool WasInList = InList;
    bool Accepted = false;
    const bool Bound = DataSource() && DataSource()->DataSet();
    const bool Editing = DataLink()->Editing() || IsLinkedLookupField();
    bool SkipToEnd = false;
    if (modified && !InList) {
        if (!Editing && (Bound || ReadOnly())) {
            SkipToEnd = true;
        } else {
            HideList();
            InList = true;
            if ((Style() == daDBCombo::csDropDown && DisplayIsKey()) || OnNotInList) {
                Accepted = true;
                if (OnNotInList && !Text().empty()) {
                    TFlagScope Processing(ProcessingNotInList);
                    OnNotInList(this, LT, Text(), Accepted);
                    if (Accepted) OldDisplayValue = Text();
                }
                if (!Accepted) {
                    RestoreOldValues();
                    if (Bound) DataLink()->Reset();
                    OnFailure.Release();
                    return;
                }
                if (DisplayIsKey()) {
                    FGrid->FValue = FGrid->FDisplayValue = Text();
                    if (Field() && Field()->Text() != Text()) {
                        DataLink()->Edit();
                        Field()->SetText(Text());
                    }
                } else if (!IsLinkedLookupField()) {
                    if (FGrid->FValueFld) FGrid->FValue = FGrid->FValueFld->Text();
                    if (!Bound) {
                        TFlagScope Skip(SkipDataChange);
                        SetText(TypedInText);
                    }
                }
            } else if (Style() == daDBCombo::csDropDown && !DisplayIsKey() && Text() != OldDisplayValue) {
                RestoreOldValues();
            }
        }
    }
    if (modified && !SkipToEnd) {
        if (!Editing && (Bound || ReadOnly())) {
            modified = false;
        } else if (!Bound) {
            if (WasInList && !Accepted) {
                TFlagScope Skip(SkipDataChange);
                if (FGrid->FDisplayFld && !DisplayIsKey())
                    SetText(FGrid->FDisplayValue);
                else
                    SetText(LookupValue());
                HandleListClick(this);
            } else if ((!Accepted && Style() == daDBCombo::csDropDownList) || !DisplayIsKey()) {
                if (FAllowClearKey && !Accepted) {
                    TFlagScope Skip(SkipDataChange);
                    SetText(u"");
                    FGrid->FValue.clear();
                    FGrid->FDisplayValue.clear();
                } else if (!Accepted) {
                    RestoreOldValues();
                }
            }
        } else if (IsLinkedLookupField()) {
            HideList();
            ApplyLookupLinks(LT, modified);
            TFlagScope Skip(SkipDataChange);
            SetText(Field()->Text());
            SelectAll();
        } else {
            modified = false;
            TField* F = Field();
            for (int I = 1; I <= 2; ++I) {
                TField* D = DataFieldLikeKey(I);
                const String& V = I == 1 ? FGrid->FValue2 : FGrid->FValue3;
                if (D && FGrid->FHiliteRow >= 0 && D->Text() != V) {
                    modified = true;
                    D->SetText(V);
                }
            }
            if (F && F->Text() != FGrid->FValue) modified = true;
            if (modified && F) {
                TFlagScope Changing(ChangingFromLink);
                if (Style() == daDBCombo::csDropDownList && !WasInList && !DisplayIsKey()) {
                    TFlagScope Skip(SkipDataChange);
                    SetText(FGrid->FDisplayValue);
                }
                TScopeExit Restore([&] {
                    if (!FFocused) RestoreOldValues();
                });
                {
                    TFlagScope Skip(SkipDataChange);
                    F->SetText(FGrid->FValue);
                }
                Restore.Release();
            } else if (!modified && Style() == daDBCombo::csDropDownList && !WasInList) {
                RestoreOldValues();
            }
        }
    } else {
        modified = false;
    }
    HideList();
    if (modified) {
        OldDisplayValue = Text();
        OldLookupValue = LookupValue();
    }
    SetModified(modified);
    if (OnCloseUp) OnCloseUp(this, LT, Bound ? DataSource()->DataSet() : nullptr, modified);
    OnFailure.Release();
}

// ---- Keys ----------------------------------------------------------------------------------------

void TdaDBCustomLookupCombo::KeyDown(Word& Key, TShiftState Shift) {
    if (GetKeyState(VK_MENU) < 0) Shift.Include(ssAlt);
    const bool Open = ReadDroppedDown();
    const bool ListStyle = Style() == daDBCombo::csDropDownList;
    const Word Pressed = Key;
    if ((Key == VK_BACK || Key == VK_DELETE) && ListStyle && !Open && !FAllowClearKey) {
        Key = 0;
        return;
    }
    if (IsSearchKey(Key) && FAutoDropDown && !Open) InAutoDropDown = true;
    if (Key == VK_BACK || Key == VK_INSERT || Key == VK_DELETE) {
        if (AcceptsTyping()) BeginFieldEdit();
        if (!CanEditValue()) {
            Key = 0;
            return;
        }
    }
    if ((Key == VK_HOME || Key == VK_END || Key == VK_LEFT || Key == VK_RIGHT) && !AcceptsTyping() &&
        !IsLinkedLookupField()) {
        Key = 0;
        return;
    }
    if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN || Key == VK_F4) {
        if (Open) {
            if (Key == VK_F4 || (Shift.Contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN))) {
                UpdateLookupValues();
                if (InList) HandleListClick(this);
                CloseUp(true);
            } else {
                BeginFieldEdit();
                if ((!DataSource() || DataLink()->Editing() || IsLinkedLookupField()) && !ReadOnly()) {
                    Word K = Key;
                    FGrid->KeyDown(K, TShiftState{});
                    // The record under the bar is the choice.
                    InList = true;
                    FLastSearchKey = FGrid->FDisplayValue;
                    TFlagScope Skip(SkipDataChange);
                    SetText(FGrid->FDisplayValue);
                    if (AcceptsTyping()) SelectAll();
                }
            }
            Key = 0;
        } else if ((Shift.Contains(ssAlt) && Key != VK_F4) || (Key == VK_F4 && !Shift.Contains(ssAlt))) {
            DropDown();
            Key = 0;
        }
    }
    if (Key == VK_ESCAPE && Open) {
        CloseUp(false);
        Key = 0;
        RestoreOldValues();
        SetModified(false);
        if (Field()) {
            TFlagScope Skip(SkipDataChange);
            DataLink()->Reset();
        }
        SelectAll();
    }
    if (Key != 0) TdaDBCustomEdit::KeyDown(Key, Shift);
    if ((Pressed == VK_BACK || Pressed == VK_DELETE) && FShowMatchText) {
        if (Open) FLastSearchKey = u"~~~~";
    } else {
        FLastSearchKey.clear();
    }
}

void TdaDBCustomLookupCombo::KeyPress(Char& Key) {
    const bool Open = ReadDroppedDown();
    const bool ListStyle = Style() == daDBCombo::csDropDownList;
    if (FAutoDropDown && ListStyle && !Open && !FAllowClearKey && (Key == u'\b' || Key == 24)) {
        Key = 0;
        return;
    }
    // The text the key leaves.
    String After;
    {
        const String T = Text();
        const int S = SelStart(), N = SelLength();
        if (Key == u'\b') {
            if (N > 0)
                After = T.substr(0, size_t(S)) + T.substr(size_t(S + N));
            else if (S > 0)
                After = T.substr(0, size_t(S - 1)) + T.substr(size_t(S));
            else
                After = T;
        } else {
            After = T.substr(0, size_t(S)) + String(1, Key) + T.substr(std::min(T.size(), size_t(S + N)));
        }
    }
    const bool Printable = Key >= 32;
    if ((((After != FLastSearchKey || FLastSearchKey.size() == 1) && Printable) ||
         (Key == u'\b' && Options().Contains(loSearchOnBackspace))) &&
        (Open || (FShowMatchText && CanEditValue()))) {
        if (!FTimer->Enabled()) {
            if (FSearchDelay > 0) FTimer->SetInterval(Cardinal(FSearchDelay));
            FTimer->SetEnabled(true);
        }
    }
    if (Key == u'\r') {
        if (Open) {
            UpdateLookupValues();
            if (InList) HandleListClick(this);
            CloseUp(true);
            SelectAll();
        }
        Key = 0;
        return;
    }
    if (Key == 27) {
        if (Open) CloseUp(false);
        if (Field()) {
            RestoreOldValues();
            SetModified(false);
            TFlagScope Skip(SkipDataChange);
            DataLink()->Reset();
        } else {
            SetDisplayValue(OldDisplayValue);
            SetValue(OldLookupValue);
        }
        SelectAll();
        Key = 0;
        return;
    }
    if (Key == u'\t') {
        Key = 0;
        return;
    }
    if (!Open && Printable && Field() && AcceptsTyping() && !FAutoDropDown && !FShowMatchText &&
        DisplayIsKey() && !Field()->IsValidChar(Key)) {
        MessageBeep();
        Key = 0;
        return;
    }
    if (Key == 8 || Key == 22 || Key == 24 || Key >= 32) {
        if (AcceptsTyping()) BeginFieldEdit();
        if (!CanEditValue()) {
            Key = 0;
            return;
        }
    }
    // Typing through a picture mask: the mask shapes the text, and the search follows at once.
    if (!Picture()->PictureMask().empty() && ((Key >= 32 && Key <= 254) || Key > 255)) {
        const String Before = Text();
        if (daPictureMaskKeyPress(this, Picture()->PictureMask(), Picture()->AutoFill(), Key)) {
            if (Text() != Before) {
                if (DataLink()->Editing()) DataLink()->Modified();
                SetSelStart(int(Text().size()));
                if (ReadDroppedDown() || FShowMatchText) {
                    FTimer->SetEnabled(false);
                    TFlagScope Auto(InAutoDropDown);
                    TimerSearch();
                }
            }
            return;
        }
    }
    TdaDBCustomCombo::KeyPress(Key);
}

void TdaDBCustomLookupCombo::KeyUp(Word& Key, TShiftState Shift) {
    const bool Open = ReadDroppedDown();
    const bool ListStyle = Style() == daDBCombo::csDropDownList;
    const bool Clearing = Key == VK_DELETE || Key == VK_BACK;
    const TDataSetState S = DataSource() ? DataSource()->State() : dsInactive;
    const bool MayClear =
        !(DataSource() && !DataField().empty() && S != dsEdit && S != dsInsert && !DataSource()->AutoEdit);
    if (FAllowClearKey && MayClear && Clearing) {
        if (Open && !IsLinkedLookupField() && Text().empty()) {
            BeginFieldEdit();
            if (Field()) DataLink()->Modified();
            FGrid->FValue.clear();
            FGrid->FDisplayValue.clear();
            FGrid->FHiliteRow = -1;
            Key = 0;
            return;
        }
        if (!Open && (Text().empty() || ListStyle)) {
            {
                TFlagScope Skip(SkipDataChange);
                SetText(u"");
            }
            if (IsLinkedLookupField()) {
                FGrid->FValue.clear();
                FGrid->FValue2.clear();
                FGrid->FValue3.clear();
                bool M = false;
                ApplyLookupLinks(LookupTable(), M);
            } else if (Field()) {
                BeginFieldEdit();
                DataLink()->Modified();
                FGrid->FValue.clear();
                FGrid->FDisplayValue.clear();
                SetModified(true);
            } else {
                SetValue(u"");
            }
            InList = true;
            Key = 0;
            return;
        }
    }
    TdaDBCustomCombo::KeyUp(Key, Shift);
    if ((Text() != FLastSearchKey || FLastSearchKey.size() == 1) && IsSearchKey(Key)) {
        const bool Narrowing = Clearing && FShowMatchText;
        if (Clearing && !Open && ListStyle && !FAllowClearKey) {
            Key = 0;
            InAutoDropDown = false;
            return;
        }
        if (!Open && !Text().empty() &&
            ((FShowMatchText && !FAutoDropDown && !ListStyle && !Narrowing) || FAutoDropDown)) {
            InAutoDropDown = true;
            TimerSearch();
        }
    }
    InAutoDropDown = false;
    if (IsSearchKey(Key) && !Open && DataLink()->Editing()) DataLink()->Modified();
}

void TdaDBCustomLookupCombo::Change() {
    if (!SkipDataChange && DataLink()->Editing()) DataLink()->Modified();
    if (SetModifiedInChangeEvent) SetModified(true);
    TdaCustomMaskEdit::Change();
}

void TdaDBCustomLookupCombo::DoEnter() {
    TdaCustomMaskEdit::DoEnter();
    if (!ReadDroppedDown() && !ProcessingNotInList) {
        OldDisplayValue = Text();
        OldLookupValue = LookupValue();
    }
    if (!ProcessingNotInList) SetModified(false);
}

void TdaDBCustomLookupCombo::CMExit(TMessage& Message) {
    if (ProcessingNotInList) return;
    TdaDBCustomCombo::CMExit(Message);
}

void TdaDBCustomLookupCombo::Loaded() {
    TdaDBCustomCombo::Loaded();
    HandleDataChange();
}

void TdaDBCustomLookupCombo::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KILLFOCUS:
        // Leaving with the list open takes the record under its bar.
        if (ReadDroppedDown()) {
            UpdateLookupValues();
            if (InList) HandleListClick(this);
            CloseUp(true);
        }
        break;
    case CM_CANCELMODE: {
        if (Modified() && !InList) {
            BeginFieldEdit();
            if (DataLink()->Editing()) DataLink()->Modified();
        }
        // The combo's own parts cancel nothing.
        auto* Sender = reinterpret_cast<TControl*>(Message.LParam);
        const bool Own = Sender && (Sender == this || Sender == Button() || Sender == Button()->Parent() ||
                                    Sender == static_cast<TControl*>(FGrid));
        if (!Own && ReadDroppedDown()) {
            UpdateLookupValues();
            if (InList) HandleListClick(this);
            CloseUp(true);
        }
        break;
    }
    case WM_MOUSEWHEEL:
        // The wheel walks the open list; a closed list leaves it to others.
        if (ReadDroppedDown()) {
            BeginFieldEdit();
            TDataSet* LT = LookupTable();
            if (LT && LT->Active()) {
                Word K = TWMMouseWheel(Message).WheelDelta() < 0 ? VK_DOWN : VK_UP;
                FGrid->KeyDown(K, TShiftState{});
                InList = true;
                FLastSearchKey = FGrid->FDisplayValue;
            }
            Message.Result = 1;
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!IsEditStyle()) {
            ToggleDropDownByClick();
            const TWMMouse M(Message);
            MouseDown(mbLeft, KeysToShiftState(M.Keys()), M.XPos(), M.YPos());
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (MouseCapture()) SetMouseCapture(false);
        break;
    case WM_MOUSEMOVE:
        if (Style() == daDBCombo::csDropDownList && MouseCapture() && (Message.WParam & MK_LBUTTON) &&
            ReadDroppedDown()) {
            const TWMMouse M(Message);
            ForwardDragToGrid(this, FGrid, M.XPos(), M.YPos());
            return;
        }
        break;
    case WM_PAINT:
        // The list follows the combo wherever it is painted.
        if (ReadDroppedDown()) PositionDropDown();
        break;
    default:
        break;
    }
    TdaDBCustomCombo::WndProc(Message);
}

void RegisterDataAwareLookupClasses() {
    RegisterClass(TdaDBLookupCombo::StaticClass());
}
