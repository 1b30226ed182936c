// The inspector's grid model and layout, and its editing: rows from the item tree, columns,
// the choice of the editor for a row, moving between cells, and how a typed value reaches the
// item or its field.
#include "dataaware/inspector/daInspector.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDateUtils.h"
#include "dataaware/grids/daDBLookupCombo.h"
#include "platform/base/Exceptions.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/base/Threads.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>

namespace {
constexpr const char16_t* InvalidInputText = u"Invalid input value.  Use escape key to abandon changes";

bool IsMemoLike(TField* F) {
    return F && (F->DataType() == ftMemo || F->DataType() == ftWideMemo || F->DataType() == ftBlob);
}
} // namespace

// ---- Indicator row and button options ----------------------------------------------------------

void TdaInspectorIndicatorRow::SetTextAlignment(TAlignment Value) {
    FTextAlignment = Value;
    if (FEnabled && Inspector) Inspector->InvalidateCell(0, 0);
}

void TdaInspectorIndicatorRow::SetColor(TColor Value) {
    FColor = Value;
    if (!Inspector) return;
    Inspector->PaintOptions()->Row1Color = Value;
    Inspector->PaintOptions()->InitBlendBitmapsFlag = true;
    Inspector->InvalidateRow(0);
}

void TdaInspectorIndicatorRow::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    if (Inspector) Inspector->ApplySettings();
}

void TdaInspectorIndicatorRow::SetCaption(const String& Value) {
    FCaption = Value;
    if (FEnabled && Inspector) Inspector->InvalidateCell(0, 0);
}

void TdaInspectorIndicatorRow::SetHeight(int Value) {
    FHeight = Value;
    if (FEnabled && Inspector && Inspector->RowCount() > 0)
        Inspector->SetRowHeights(0, Value ? Value : Inspector->TCustomGrid::DefaultRowHeight());
}

TdaInspectorButtonOptions::TdaInspectorButtonOptions(TdaDataInspector* AOwner)
    : FOwner(AOwner), FExpandGlyph(std::make_unique<TBitmap>()), FCollapseGlyph(std::make_unique<TBitmap>()) {}

void TdaInspectorButtonOptions::SetExpandGlyph(TBitmap* Value) {
    FExpandGlyph->Assign(Value);
    FOwner->Invalidate();
}

void TdaInspectorButtonOptions::SetCollapseGlyph(TBitmap* Value) {
    FCollapseGlyph->Assign(Value);
    FOwner->Invalidate();
}

// ---- Construction ----------------------------------------------------------------------------------

namespace {
int GInspectorCount = 0;
} // namespace

TdaDataInspector::TdaDataInspector(TComponent* AOwner) : TCustomGrid(AOwner) {
    ++GInspectorCount;
    FPaintBitmap = std::make_unique<TBitmap>();
    SetColor(clBtnFace);
    TCustomGrid::SetScrollBars(StdCtrls::ssVertical);
    SetTabStop(true);
    SetGridLineWidth(0);
    FDataLink = std::make_unique<TdaDataInspectorDataLink>(this);
    FItems = std::make_unique<TdaInspectorCollection>(this, nullptr);
    FCaptionFont = std::make_unique<TFont>();
    FCaptionFont->OnChange = [this](TObject*) { Invalidate(); };
    FButtonOptions = std::make_unique<TdaInspectorButtonOptions>(this);
    FIndicatorRow = std::make_unique<TdaInspectorIndicatorRow>();
    FIndicatorRow->Inspector = this;
    SetFixedCols(0);
    SetFixedRows(0);
    SetColCount(2);
    SetRowCount(1);
    SetDefaultDrawing(false);
    FPaintOptions = std::make_unique<TdaGridPaintOptions>(this, FPaintBitmap.get());
    FPaintOptions->Row1Color = FIndicatorRow->Color();
    FPaintOptions->Column1Color = CaptionColor();
    SetOptions({ovColumnResize, ovRowResize, ovEnterToTab, ovHighlightActiveRow, ovCenterCaptionVert});
    SetCaptionWidth(100);
    TCustomGrid::SetCol(1);
}

TdaDataInspector::~TdaDataInspector() {
    FDestroying = true;
    --GInspectorCount;
    RemoveKeyboardHook();
    // The last inspector takes the shared hook with it, whoever installed it.
    if (GInspectorCount == 0) DropSharedHook();
    HideCellHint();
    FItems.reset();
    FDataLink.reset();
}

void TdaDataInspector::Published(TPublisher<TdaDataInspector>& P) {
    P.Property(u"DisableThemes", &TdaDataInspector::DisableThemes);
}

void TdaDataInspector::Loaded() {
    TCustomGrid::Loaded();
    ApplySettings();
    FPaintOptions->InitBlendBitmapsFlag = true;
}

void TdaDataInspector::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove || FDestroying || !FItems) return;
    if (AComponent == FCustomEdit) {
        FCustomEdit = nullptr;
        FCustomEditCell = {-1, -1};
    }
    if (AComponent == FDefaultCombo) FDefaultCombo = nullptr;
    if (AComponent == FDefaultPicker) FDefaultPicker = nullptr;
    IterateItems(false, nullptr, [&](TdaInspectorItem* It, void*, bool&) {
        if (It->FCustomControl == AComponent) It->FCustomControl = nullptr;
    });
}

// ---- Update brackets -------------------------------------------------------------------------------

void TdaDataInspector::BeginUpdate() {
    // Counted whatever the visibility, so that a bracket opened while hidden closes in pairs.
    ++FUpdateCount;
}

void TdaDataInspector::EndUpdate(bool Repaint) {
    if (Repaint) FInvalidateOnEndUpdate = true;
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && FInvalidateOnEndUpdate) {
        FInvalidateOnEndUpdate = false;
        Invalidate();
    }
}

// ---- Layout ------------------------------------------------------------------------------------------

int TdaDataInspector::ActiveRows() const {
    int N = FIndicatorRow->Enabled() ? 1 : 0;
    IterateItems(true, nullptr, [&](TdaInspectorItem* It, void*, bool&) {
        if (It->Visible() && GetRowByItem(It) >= 0) ++N;
    });
    return N;
}

int TdaDataInspector::GetRowByItem(TdaInspectorItem* Item) const {
    if (!Item || !Item->Visible()) return -1;
    for (auto* P = Item->ParentItem(); P; P = P->ParentItem())
        if (!P->Visible() || !P->Expanded()) return -1;
    int Row = FirstDataRow();
    for (TdaInspectorItem* It = GetFirstChild(true); It; It = It->GetNext(true, true)) {
        if (It == Item) return Row;
        ++Row;
    }
    return -1;
}

TdaInspectorItem* TdaDataInspector::GetItemByRow(int ARow, bool) const {
    if (Row() < 0) return nullptr;
    ARow -= FirstDataRow();
    if (ARow < 0) return nullptr;
    for (TdaInspectorItem* It = GetFirstChild(true); It; It = It->GetNext(true, true))
        if (ARow-- == 0) return It;
    return nullptr;
}

TRect TdaDataInspector::LevelRect(TdaInspectorItem* Item) const {
    const int R = GetRowByItem(Item);
    return R < 0 ? TRect() : CellRect(0, R);
}

TdaInspectorItem* TdaDataInspector::MouseToItem(int X, int Y) const {
    int C, R;
    MouseToCell(X, Y, C, R);
    return R < 0 ? nullptr : GetItemByRow(R, false);
}

void TdaDataInspector::ApplySettings() {
    if (ComponentState().Contains(csLoading) || FDestroying) return;
    BeginUpdate();
    TScopeExit Done([&] { EndUpdate(true); });
    FPaintBitmap->Canvas()->Font()->Assign(Font());
    const int Auto = FPaintBitmap->Canvas()->TextHeight(u"0") + 3;
    FMinRowHeight = Auto;
    if (FDefaultRowHeight == 0 && TCustomGrid::DefaultRowHeight() != Auto) TCustomGrid::SetDefaultRowHeight(Auto);
    FLastGridDefaultRowHeight = TCustomGrid::DefaultRowHeight();
    if (FItems->Count() == 0 && DataSource() && DataSource()->DataSet() && FDataLink->Active()) {
        TDataSet* DS = DataSource()->DataSet();
        for (int K = 0; K < DS->FieldCount(); ++K) {
            TField* F = DS->Fields()[K];
            TdaInspectorItem* It = FItems->Add();
            It->SetCaption(F->DisplayLabel());
            It->ReadOnly = F->ReadOnly();
            It->SetDataField(F->FieldName());
        }
    }
    const int Rows = ActiveRows();
    if (Rows > 0 && Rows != RowCount()) {
        if (FixedRows() >= Rows) SetFixedRows(0);
        SetRowCount(Rows);
    }
    const int DefH = TCustomGrid::DefaultRowHeight();
    int Row = FirstDataRow();
    IterateItems(true, nullptr, [&](TdaInspectorItem* It, void*, bool&) {
        if (TWinControl* C = It->CustomControl(); C && C->HandleAllocated()) C->SetEnabled(It->Enabled);
        if (It->Visible() && GetRowByItem(It) >= 0) {
            if (Row < RowCount()) SetRowHeights(Row, It->CellHeight() < 1 ? DefH : It->CellHeight());
            ++Row;
        }
    });
    if (FIndicatorRow->Enabled() && RowCount() > 1) {
        SetFixedRows(FFixedDataRows + 1);
        SetRowHeights(0, FIndicatorRow->Height() ? FIndicatorRow->Height() : DefH);
    } else if (FFixedDataRows < RowCount()) {
        SetFixedRows(FFixedDataRows);
    }
    LayoutDataColumns();
    if (ColCount() != FDataColumns + 1) SetColCount(FDataColumns + 1);
    FDataLink->SetBufferCount(FDataColumns);
    if (Col() == 0 && ColCount() > 1) TCustomGrid::SetCol(1);
    Done.Release();
    EndUpdate(true);
    if (UsesDefaultEditor() && InplaceEditor() && InplaceEditor()->Shown()) InvalidateEditor();
}

void TdaDataInspector::RefreshItem(TdaInspectorItem* Item) {
    if (ComponentState().Contains(csLoading) || FItems->UpdateCount() > 0) return;
    const int R = GetRowByItem(Item);
    if (R >= 0 && R < RowCount())
        SetRowHeights(R, Item->CellHeight() ? Item->CellHeight() : TCustomGrid::DefaultRowHeight());
}

void TdaDataInspector::LayoutDataColumns() {
    const int Caption = FOptions.Contains(ovHideCaptionColumn) ? 0 : ColWidths(0);
    const int W = ClientWidth() - Caption;
    if (FDataColumns <= 1) {
        SetColWidths(1, std::max(W, 0));
    } else {
        const int Each = std::max(W / FDataColumns, 0);
        for (int C = 1; C <= FDataColumns; ++C)
            SetColWidths(C, Each);
        SetColWidths(0, ClientWidth() - FDataColumns * Each);
    }
    if (FCustomEdit && FCustomEdit->Visible()) PlaceCustomEdit();
}

void TdaDataInspector::SetCaptionWidth(int V) {
    V = std::min(V, ClientWidth() - 20);
    V = std::max(V, 10);
    if (V == FCaptionWidth && ColWidths(0) == (FOptions.Contains(ovHideCaptionColumn) && FDataColumns == 1 ? 0 : V))
        return;
    if (FOptions.Contains(ovHideCaptionColumn) && FDataColumns == 1) {
        SetColWidths(0, 0);
    } else {
        SetColWidths(0, V);
        FCaptionWidth = ColWidths(0);
    }
    Invalidate();
}

void TdaDataInspector::SetDataColumns(int V) {
    // Fewer than one data column would leave no value column at all.
    V = std::max(V, 1);
    if (V == FDataColumns) return;
    const bool HadBar = FDataColumns > 1;
    FDataColumns = V;
    SetColCount(V + 1);
    if (Col() == 0) TCustomGrid::SetCol(1);
    FDataLink->SetBufferCount(V);
    LayoutDataColumns();
    // The record bar comes and goes with the second data column.
    if (HadBar != (V > 1) && HandleAllocated() &&
        (FScrollBars == StdCtrls::ssHorizontal || FScrollBars == StdCtrls::ssBoth))
        RecreateWnd();
    else
        UpdateRecordScrollBar();
}

void TdaDataInspector::SetFixedDataRows(int V) {
    SetRowCount(std::max(FIndicatorRow->Enabled() ? V + 1 : V, RowCount()));
    FFixedDataRows = V;
    if (V < RowCount()) SetFixedRows(V);
}

void TdaDataInspector::SetOptions(TdaDataInspectorOptions Value) {
    const TdaDataInspectorOptions Old = FOptions;
    FOptions = Value;
    TGridOptions G{goEditing, goAlwaysShowEditor, goThumbTracking};
    if (Value.Contains(ovRowResize)) G.Include(goRowSizing);
    if (Value.Contains(ovColumnResize)) G.Include(goColSizing), G.Include(goColMoving);
    if (!Value.Contains(ovTabExits)) G.Include(goTabs);
    TCustomGrid::SetOptions(G);
    SetCaptionWidth(FCaptionWidth);
    if (HandleAllocated()) LayoutDataColumns();
    for (auto O : {ovHighlightActiveRow, ovCenterCaptionVert, ovShowTreeLines, ovHideCaptionColumn})
        if (Old.Contains(O) != Value.Contains(O)) {
            Invalidate();
            break;
        }
}

void TdaDataInspector::SetDefaultRowHeight(int Value) {
    FDefaultRowHeight = Value;
    if (Value)
        TCustomGrid::SetDefaultRowHeight(Value);
    else
        ApplySettings();
    FLastGridDefaultRowHeight = TCustomGrid::DefaultRowHeight();
    if (Value) ApplySettings();
}

void TdaDataInspector::SetCaptionColor(TColor Value) {
    SetFixedColor(Value);
    FPaintOptions->Column1Color = Value;
    FPaintOptions->InitBlendBitmapsFlag = true;
    Invalidate();
}

void TdaDataInspector::SetCaptionFont(TFont* Value) {
    FCaptionFont->Assign(Value);
    Invalidate();
}

void TdaDataInspector::SetLineStyleCaption(TdaDataInspectorLineStyle Value) {
    FLineStyleCaption = Value;
    Invalidate();
}

void TdaDataInspector::SetLineStyleData(TdaDataInspectorLineStyle Value) {
    FLineStyleData = Value;
    Invalidate();
}

void TdaDataInspector::SetDottedLineColor(TColor Value) {
    FDottedLineColor = Value;
    Invalidate();
}

void TdaDataInspector::SetCaptionIndent(int Value) {
    FCaptionIndent = Value;
    Invalidate();
}

void TdaDataInspector::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
}

void TdaDataInspector::SetActiveItem(TdaInspectorItem* Value) {
    if (!Value) return;
    bool Opened = false;
    std::vector<TdaInspectorItem*> Collapsed;
    for (auto* P = Value->ParentItem(); P; P = P->ParentItem())
        if (!P->Expanded()) Collapsed.push_back(P);
    for (auto It = Collapsed.rbegin(); It != Collapsed.rend(); ++It) {
        if (!Opened) {
            BeginUpdate();
            Opened = true;
        }
        (*It)->SetExpanded(true);
    }
    if (Opened) EndUpdate(false);
    const int R = GetRowByItem(Value);
    if (R >= 0) MoveToCell(std::max(Col(), 1), R);
}

void TdaDataInspector::InvalidateRow(int ARow) {
    InvalidateRowCol(ARow, -1);
}

void TdaDataInspector::InvalidateRowCol(int ARow, int ACol) {
    if (!HandleAllocated()) return;
    TRect R = CellRect(ACol < 0 ? 0 : ACol, ARow);
    if (R.IsEmpty() && ACol < 0) R = CellRect(1, ARow);
    if (R.IsEmpty()) return;
    if (ACol < 0) R.Left = 0, R.Right = ClientWidth();
    R.Top -= 2;
    R.Bottom += 1;
    R.Left -= 1;
    InvalidateRect(WindowHandle(), &R, false);
}

void TdaDataInspector::CreateParams(TCreateParams& Params) {
    TCustomGrid::CreateParams(Params);
    // The horizontal bar moves through the records; with one data column there is none.
    Params.Style &= ~Cardinal(WS_HSCROLL);
    if (FDataColumns > 1 && (FScrollBars == StdCtrls::ssHorizontal || FScrollBars == StdCtrls::ssBoth))
        Params.Style |= WS_HSCROLL;
}

void TdaDataInspector::CreateWnd() {
    TCustomGrid::CreateWnd();
    LayoutDataColumns();
    FBarMax = FBarPage = FBarPos = -1;
    UpdateRecordScrollBar();
}

void TdaDataInspector::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    const bool Vert = Value == StdCtrls::ssVertical || Value == StdCtrls::ssBoth;
    const TScrollStyle Own = Vert ? StdCtrls::ssVertical : StdCtrls::ssNone;
    if (Own != TCustomGrid::ScrollBars())
        TCustomGrid::SetScrollBars(Own); // recreates the window
    else if (HandleAllocated())
        RecreateWnd();
}

void TdaDataInspector::Resize() {
    TCustomGrid::Resize();
    LayoutDataColumns();
    FPaintOptions->InitBlendBitmapsFlag = true;
}

// ---- Editor choice -----------------------------------------------------------------------------------

bool TdaDataInspector::ItemIsDatePicker(TdaInspectorItem* Item) const {
    TField* F = Item ? Item->Field() : nullptr;
    return F && !Item->CustomControl() && Item->Options.Contains(iioAutoDateTimePicker) &&
           (F->DataType() == ftDate || F->DataType() == ftTime || F->DataType() == ftDateTime);
}

bool TdaDataInspector::ItemIsLookup(TdaInspectorItem* Item) const {
    TField* F = Item ? Item->Field() : nullptr;
    return F && F->Lookup() && Item->Options.Contains(iioAutoLookupCombo);
}

bool TdaDataInspector::UsesDefaultEditor() const {
    TdaInspectorItem* It = ActiveItem();
    return It && !It->DisableDefaultEditor && !It->CustomControl() && !ItemIsDatePicker(It) &&
           It->PickList()->Items()->Count() == 0 && !It->HasEditButton() && !ItemIsLookup(It);
}

bool TdaDataInspector::IsCheckBoxRow(int ARow) const {
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    return It && !It->CustomControl() && !ItemIsDatePicker(It) && It->PickList()->Items()->Count() > 0 &&
           It->PickList()->DisplayAsCheckbox;
}

bool TdaDataInspector::RowUsesEditor(int ARow) const {
    return ARow == Row() && UsesDefaultEditor();
}

bool TdaDataInspector::CanEditShow() const {
    return TCustomGrid::CanEditShow() && UsesDefaultEditor() && ActiveItem() && ActiveItem()->Enabled;
}

TWinControl* TdaDataInspector::ActiveEdit() const {
    if (FCustomEdit) return FCustomEdit;
    TdaInspectorItem* It = ActiveItem();
    if (IsCheckBoxRow(Row()) || !It || !It->Enabled || It->DisableDefaultEditor) return nullptr;
    return InplaceEditor();
}

TRect TdaDataInspector::EditorRect(int ACol, int ARow) const {
    TRect R = CellRect(ACol, ARow);
    if (R.IsEmpty()) return R;
    R.Left += 1;
    R.Right -= 1;
    R.Bottom = R.Top + RowHeights(ARow) - 1;
    return R;
}

void TdaDataInspector::PlaceCustomEdit() {
    if (!FCustomEdit) return;
    const TRect R = EditorRect(Col(), Row());
    if (R.IsEmpty()) return;
    FCustomEdit->SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

TdaDBDateTimePicker* TdaDataInspector::DefaultDateTimePicker() {
    if (!FDefaultPicker) {
        FDefaultPicker = new TdaDBDateTimePicker(this);
        FDefaultPicker->SetVisible(false);
        FDefaultPicker->SetParent(this);
        FDefaultPicker->Font()->Assign(Font());
        FDefaultPicker->SetTabStop(false);
        if (OnCreateDateTimePicker) OnCreateDateTimePicker(this, FDefaultPicker);
    }
    return FDefaultPicker;
}

bool TdaDataInspector::HasFocusInside() const {
    const HWND F = GetFocus();
    if (!F) return false;
    if (F == WindowHandle() && HandleAllocated()) return true;
    TWinControl* C = FindControl(F);
    return C && C->Parent() == this;
}

void TdaDataInspector::PrepareCustomEdit() {
    TdaInspectorItem* It = ActiveItem();
    if (!It || ComponentState().Contains(csDesigning) || !HasFocusInside()) return;
    TWinControl* Chosen = nullptr;
    if (It->CustomControl()) {
        Chosen = It->CustomControl();
    } else if (It->HasEditButton()) {
        if (!FDefaultCombo) {
            FDefaultCombo = new TdaInspectorComboBox(this);
            FDefaultCombo->Inspector = this;
            FDefaultCombo->SetParent(this);
            FDefaultCombo->Font()->Assign(Font());
            FDefaultCombo->SetVisible(false);
            FDefaultCombo->ClickTime = GetTickCount();
            if (OnCreateDefaultCombo) OnCreateDefaultCombo(this, FDefaultCombo);
        }
        TdaInspectorPickList* P = It->PickList();
        FDefaultCombo->SetItems(P->Items());
        FDefaultCombo->SetMapList(P->MapList);
        FDefaultCombo->SetShowMatchText(P->ShowMatchText);
        FDefaultCombo->SetStyle(P->Style);
        FDefaultCombo->SetButtonStyle(P->ButtonStyle);
        FDefaultCombo->SetAllowClearKey(P->AllowClearKey);
        FDefaultCombo->SetButtonWidth(P->ButtonWidth);
        FDefaultCombo->ApplyList();
        if (!It->Field() || It->DataField().empty()) FDefaultCombo->WriteValue(It->EditText());
        Chosen = FDefaultCombo;
    } else if (ItemIsLookup(It)) {
        // The row's own lookup combo, made once: it becomes the item's control.
        TField* F = It->Field();
        auto* L = new TdaDBLookupCombo(this);
        L->Font()->Assign(Font());
        L->SetVisible(false);
        L->SetParent(this);
        L->SetLookupTable(F->LookupDataSet());
        TStringList Sel;
        Sel.Add(F->LookupResultField + u"\t" + IntToStr(F->DisplayWidth()) + u"\t" + F->DisplayLabel());
        L->SetSelected(&Sel);
        L->SetShowMatchText(true);
        // The key fields of the lookup table: the data set's own key fields may be named otherwise.
        L->SetLookupField(F->LookupKeyFields.empty() ? F->KeyFields : F->LookupKeyFields);
        L->SetTabStop(false);
        It->SetCustomControl(L);
        Chosen = L;
    } else if (ItemIsDatePicker(It)) {
        TdaDBDateTimePicker* P = DefaultDateTimePicker();
        P->SetShowButton(It->Field()->DataType() != ftTime);
        Chosen = P;
    }
    bool Allow = Chosen != nullptr;
    if (OnCalcCustomEdit) OnCalcCustomEdit(this, It, Chosen, Allow);
    if (Chosen && Allow) {
        const bool New = FCustomEdit != Chosen;
        if (FCustomEdit && New) HideCustomEdit();
        FCustomEdit = Chosen;
        PlaceCustomEdit();
        BindEditControl(Chosen, It);
        PlaceCustomEdit();
        const bool RO = It->ReadOnly || ReadOnly;
        if (auto* E = dynamic_cast<TdaDBCustomEdit*>(Chosen)) E->SetReadOnly(RO);
        else if (auto* D = dynamic_cast<TdaDBCustomDateTimePicker*>(Chosen)) D->SetReadOnly(RO);
        if (New && (!It->CustomControlAlwaysPaints || It->HasEditButton()) && !It->Field() &&
            Chosen != FDefaultCombo)
            Chosen->SetText(It->DisplayText());
        FCustomEditCell = {Col(), Row()};
    }
    if (FCustomEdit) FCustomEdit->SetEnabled(It->Enabled);
}

void TdaDataInspector::BindEditControl(TWinControl* Control, TdaInspectorItem* Item) {
    Control->SetParent(this);
    Control->HandleNeeded();
    TDataSource* S = Item->DataSource();
    const String F = Item->DataField();
    if (auto* L = dynamic_cast<TdaDBCustomLookupCombo*>(Control)) {
        // The lookup combo's own binding also takes the key of a lookup field.
        if (L->DataField() != F || L->DataSource() != S) {
            L->SetDataField(u"");
            if (S && !F.empty()) {
                L->SetDataSource(S);
                L->SetDataField(F);
            }
        }
    }
    if (auto* E = dynamic_cast<TdaDBCustomEdit*>(Control)) {
        if (E->DataField() != F || E->DataSource() != S) {
            E->SetDataField(u"");
            if (S && !F.empty()) {
                E->SetDataSource(S);
                E->SetDataField(F);
            }
        }
        E->Picture()->Assign(Item->Picture());
        E->Picture()->SetPictureMaskFromDataSet(false);
        E->SetBorderStyle(Controls::bsNone);
        if (E->Enabled()) E->SelectAll();
    } else if (auto* D = dynamic_cast<TdaDBCustomDateTimePicker*>(Control)) {
        if (D->DataField() != F || D->DataSource() != S) {
            D->SetDataField(u"");
            if (S && !F.empty()) {
                D->SetDataSource(S);
                D->SetDataField(F);
            }
        }
    }
    Control->SetTabStop(false);
}

void TdaDataInspector::HideCustomEdit() {
    if (!FCustomEdit) return;
    TWinControl* E = FCustomEdit;
    FCustomEdit = nullptr;
    FCustomEditCell = {-1, -1};
    if (E->Focused() && CanFocus()) SetFocus();
    E->SetVisible(false);
}

void TdaDataInspector::FocusCustomEdit() {
    if (FCustomEdit && FCustomEdit->Enabled() && FCustomEdit->CanFocus()) FCustomEdit->SetFocus();
}

void TdaDataInspector::ShowCustomEditAfterChoice() {
    if (!FCustomEdit) return;
    FCustomEdit->SetVisible(true);
    FCustomEdit->Invalidate();
    if (FFocused) FocusCustomEdit();
}

bool TdaDataInspector::FocusInspector() {
    if (!Focused() && CanFocus()) SetFocus();
    TdaInspectorItem* It = ActiveItem();
    if (It && It->CustomControl() && It->CustomControl()->Focused()) return false;
    return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

// ---- Grid hooks --------------------------------------------------------------------------------------

String TdaDataInspector::GetEditText(int, int ARow) {
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    String T;
    if (It) {
        if (TField* F = It->Field()) {
            if (F->DataSet() && F->DataSet()->Active()) T = F->Text();
        } else if (It->DataField().empty() || !It->DataSource()) {
            T = It->EditText();
        }
    }
    FEditText = T;
    return T;
}

void TdaDataInspector::SetEditText(int, int ARow, const String& Value) {
    if (FNoEditTextWrite) return;
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    if (!It) return;
    if (It->Field()) {
        // A bound row marks the link; the value is posted when the row is left.
        if (Value != It->Field()->Text() && CanEditModify()) FDataLink->Modified = true;
    } else {
        It->SetEditText(Value);
    }
    FEditText = Value;
}

String TdaDataInspector::GetEditMask(int ACol, int ARow) {
    String M;
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    if (It && FDataLink->Active())
        if (TField* F = It->Field()) M = F->EditMask();
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, M);
    return M;
}

int TdaDataInspector::GetEditLimit() {
    TdaInspectorItem* It = ActiveItem();
    TField* F = It ? It->Field() : nullptr;
    return F && (F->DataType() == ftString || F->DataType() == ftWideString) ? F->Size() : 0;
}

bool TdaDataInspector::CanEditAcceptKey(Char Key) const {
    TdaInspectorItem* It = ActiveItem();
    TField* F = It ? It->Field() : nullptr;
    return !F || (FDataLink->Active() && F->IsValidChar(Key));
}

bool TdaDataInspector::CanEditModify() const {
    TdaInspectorItem* It = ActiveItem();
    TDataSet* DS = FDataLink->DataSet();
    if (!DS && !(It && It->DataLink()->DataSet())) return !ReadOnly && !(It && It->ReadOnly) && RowCount() > 0;
    if (!DS) DS = It->DataLink()->DataSet();
    if (DS->Active() && DS->Bof() && DS->Eof() && DS->State() == dsBrowse && !FOptions.Contains(ovAllowInsert))
        return false;
    if (ReadOnly || RowCount() == 0 || !It || It->ReadOnly) return false;
    TField* F = It->Field();
    if (!F) return false;
    if (F->ReadOnly()) return false;
    TDataLink* L = It->DataLink()->DataSource() ? static_cast<TDataLink*>(It->DataLink()) : FDataLink.get();
    if (!L->Active() || L->ReadOnly()) return false;
    // Filling the editor only asks; the dataset goes into edit state when the user changes the value.
    if (FProbeOnly) return L->DataSet()->CanModify();
    L->Edit();
    const bool Editing = L->Editing();
    if (Editing) {
        if (L != FDataLink.get()) It->DataLink()->Modified();
        FDataLink->Modified = true;
    }
    return Editing;
}

TInplaceEdit* TdaDataInspector::CreateEditor() {
    auto* E = new TdaDataInspectorEdit(this);
    E->ParentGrid = this;
    return E;
}

// ---- Moving between cells ------------------------------------------------------------------------------

void TdaDataInspector::CommitCurrentRow(bool CheckPicture, bool& Cancelled) {
    Cancelled = false;
    TdaInspectorItem* It = ActiveItem();
    if (!It) return;
    if (FCustomEdit) {
        String V;
        if (auto* C = dynamic_cast<TdaDBCustomComboBox*>(FCustomEdit)) {
            V = C->Value();
        } else if (auto* L = dynamic_cast<TdaDBCustomLookupCombo*>(FCustomEdit)) {
            // A list-style combo without a field takes its highlighted record first.
            if (!L->Field() && L->Style() == daDBCombo::csDropDownList) L->CloseUp(true);
            V = L->Text();
        } else {
            V = FCustomEdit->Text();
        }
        const bool Modified = [&] {
            if (auto* E = dynamic_cast<TCustomEdit*>(FCustomEdit)) return E->Modified();
            return false;
        }();
        if (!It->Field()) {
            const String Old = It->EditText();
            It->SetEditText(V);
            if (Modified || Old != V) It->ItemChanged();
        } else if (Modified) {
            It->ItemChanged();
        }
        if (auto* E = dynamic_cast<TCustomEdit*>(FCustomEdit)) E->SetModified(false);
        return;
    }
    auto* E = static_cast<TdaDataInspectorEdit*>(InplaceEditor());
    if (!E || !E->Modified()) return;
    if (CheckPicture && !FDataLink->Active() && E->HavePictureMask() && !E->Picture()->AllowInvalidExit() &&
        !E->IsValidPictureValue(E->Text())) {
        MessageBeep();
        Cancelled = true;
        return;
    }
    if (!It->Field() && It->EditText() != E->Text()) It->SetEditText(E->Text());
    It->ItemChanged();
    E->SetModified(false);
}

void TdaDataInspector::MoveToCell(int ACol, int ARow) {
    if (ACol == Col() && ARow == Row()) {
        if (FCustomEdit) {
            if (Focused() || HasFocusInside()) {
                if (!Focused() && CanFocus()) SetFocus();
            }
            HideCustomEdit();
        }
        // The row may have changed its kind meanwhile (a pick list given to a text row).
        if (!UsesDefaultEditor() && InplaceEditor() && InplaceEditor()->Shown()) {
            const bool HadFocus = GetFocus() == InplaceEditor()->WindowHandle();
            TFlagScope NoWrite(FNoEditTextWrite);
            InplaceEditor()->Hide();
            if (HadFocus && CanFocus()) ::SetFocus(Handle());
        }
        PrepareCustomEdit();
        ShowCustomEditAfterChoice();
        return;
    }
    if (FIndicatorRow->Enabled() && ARow < 1) ARow = Row();
    if (ACol != Col() || ARow != Row()) {
        CustomControlKeyMode = false;
        if (FDataLink->Active()) FDataLink->DoUpdateData();
    }
    bool Cancelled;
    CommitCurrentRow(true, Cancelled);
    if (Cancelled) return;
    const int OldRow = Row(), OldTop = TopRow();
    const bool EditorHadFocus =
        InplaceEditor() && InplaceEditor()->HandleAllocated() && GetFocus() == InplaceEditor()->WindowHandle();
    // The grid calls SelectCell, which hides the custom editor of the old cell.
    MoveColRow(ACol, ARow, true, true);
    if (Row() != ARow && ARow >= FixedRows() && ARow < RowCount()) return; // refused
    if (FCustomEdit && (FCustomEditCell.X != Col() || FCustomEditCell.Y != Row())) HideCustomEdit();
    if (UsesDefaultEditor() && Focused()) {
        ShowEditor();
    } else if (UsesDefaultEditor()) {
        ShowEditor();
    } else if (InplaceEditor()) {
        TFlagScope NoWrite(FNoEditTextWrite);
        // The focus comes back to the grid when the editor goes, so it does not stay in a
        // hidden window.
        InplaceEditor()->Hide();
        if (EditorHadFocus && CanFocus()) ::SetFocus(Handle()); // the form may still count the grid as its active control
    }
    if (OldTop == TopRow()) {
        InvalidateRow(OldRow);
        InvalidateRow(Row());
    } else {
        Invalidate();
    }
    PrepareCustomEdit();
    ShowCustomEditAfterChoice();
}

bool TdaDataInspector::SelectCell(int ACol, int ARow) {
    HideCellHint();
    bool Can = true;
    if (OnBeforeSelectCell) OnBeforeSelectCell(this, GetItemByRow(ARow, false), Can);
    if (!Can || ACol == 0) return false;
    if (FCustomEdit && (FCustomEditCell.X != ACol || FCustomEditCell.Y != ARow)) {
        TWinControl* E = FCustomEdit;
        if (E->Visible() && E->Focused() && CanFocus()) SetFocus();
        if (!FCustomEdit) return false;
        if (E->Focused()) return false;
        HideCustomEdit();
    }
    if (TdaInspectorItem* It = GetItemByRow(ARow, false); It && !It->Field()) GetEditText(1, ARow);
    InvalidateRow(Row());
    InvalidateRow(ARow);
    return true;
}

void TdaDataInspector::TopLeftChanged() {
    HideCellHint();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
    if (FCustomEdit) {
        const TRect R = EditorRect(Col(), Row());
        if (R.IsEmpty()) {
            if (FCustomEdit->Focused() && CanFocus()) SetFocus();
            FCustomEdit->SetVisible(false);
        } else {
            PlaceCustomEdit();
            FCustomEdit->SetVisible(true);
        }
    }
    Invalidate();
}

void TdaDataInspector::FlushContents() {
    bool Cancelled;
    CommitCurrentRow(true, Cancelled);
    if (Cancelled) throw EAbort(u"");
    if (FDataLink->Active()) FDataLink->DoUpdateData();
}

void TdaDataInspector::ToggleCheckBox() {
    TdaInspectorItem* It = ActiveItem();
    if (!It || !It->Enabled) return;
    TStrings* L = It->PickList()->Items();
    if (L->Count() == 0) return;
    const String L0 = L->Strings(0), L1 = L->Count() > 1 ? L->Strings(1) : String();
    if (TField* F = It->Field()) {
        if (!CanEditModify()) return;
        F->SetText(F->Text() == L0 ? L1 : L0);
        It->SetEditText(F->Text());
    } else {
        if (ReadOnly || It->ReadOnly) return;
        It->SetEditText(It->EditText() == L0 ? L1 : L0);
    }
    It->ItemChanged();
    InvalidateRowCol(Row(), Col());
}

// ---- Posting to fields -----------------------------------------------------------------------------------

void TdaDataInspector::PostEditText() {
    if (IsCheckBoxRow(Row())) return;
    TdaInspectorItem* It = ActiveItem();
    auto* E = static_cast<TdaDataInspectorEdit*>(InplaceEditor());
    if (E && E->Shown() && E->HavePictureMask() && FDataLink->Modified && !E->Picture()->AllowInvalidExit() &&
        !E->IsValidPictureValue(E->Text())) {
        DoValidationError(It);
        return;
    }
    TField* F = It ? It->Field() : nullptr;
    if (!F || !F->DataSet()) return;
    const TDataSetState S = F->DataSet()->State();
    if (S != dsEdit && S != dsInsert) return;
    const String Text = FEditText;
    const String Old = F->Text();
    FTextIsSame = Old == Text;
    if (IsMemoLike(F)) {
        F->SetAsString(Text);
    } else if (F->DataType() == ftDate || F->DataType() == ftDateTime || F->DataType() == ftTime) {
        F->SetText(Text);
    } else {
        F->SetText(Text);
    }
    if (Old != F->Text()) {
        DoFieldChanged(F);
        IterateItems(true, nullptr, [&](TdaInspectorItem* I, void*, bool&) {
            if (I->Field() == F) InvalidateRow(GetRowByItem(I));
        });
    }
}

void TdaDataInspector::DoValidationError(TdaInspectorItem* Item) {
    String Msg = InvalidInputText;
    bool DoDefault = true;
    if (OnValidationErrorUsingMask) OnValidationErrorUsingMask(this, Item, Msg, DoDefault);
    if (DoDefault) {
        MessageBeep();
        throw EInvalidOperation(Msg);
    }
}

void TdaDataInspector::DoItemChanged(TdaInspectorItem* Item, const String& NewValue) {
    if (OnItemChanged) OnItemChanged(this, Item, NewValue);
}

void TdaDataInspector::DoFieldChanged(TField* Field) {
    if (OnFieldChanged) OnFieldChanged(this, Field);
}

void TdaDataInspector::RefreshEditor(TField* Field) {
    InvalidateRowCol(Row(), Col());
    TdaInspectorItem* It = ActiveItem();
    if (!It) return;
    if (Field && It->Field() != Field) return;
    if (InplaceEditor() && InplaceEditor()->Shown() && UsesDefaultEditor()) InvalidateEditor();
    FDataLink->Modified = false;
}

void TdaDataInspector::DataChanged() {
    if (!HandleAllocated()) return;
    if (FDataLink->Active() && FDataLink->RecordCount() > 0 && ColCount() != FDataLink->RecordCount() + 1 &&
        ColCount() != FDataColumns + 1) {
        SetColCount(FDataColumns + 1);
        LayoutDataColumns();
    }
    if (FDataLink->Active() && Focused()) MoveToCell(FDataLink->ActiveRecord() + 1, FMouseRow >= 0 ? FMouseRow : Row());
    UpdateRecordScrollBar();
    SyncActiveRecordColumn();
    RefreshEditor(nullptr);
    Invalidate();
}

bool TdaDataInspector::DataSetActive() const {
    return FDataLink->Active() && FDataLink->DataSet() && FDataLink->DataSet()->Active();
}

void TdaDataInspector::SyncActiveRecordColumn() {
    if (!DataSetActive()) return;
    if (FDataColumns == 1 && ColWidths(0) + ColWidths(1) != ClientWidth()) LayoutDataColumns();
    const int C = FDataLink->ActiveRecord() + 1;
    if (C < ColCount() && C != Col()) {
        const int Old = Col();
        TCustomGrid::SetCol(C);
        InvalidateCol(Old);
        InvalidateCol(C);
    }
}

void TdaDataInspector::RecordScrolled(int Distance) {
    if (!HandleAllocated()) return;
    const int Old = Col();
    if (FDataLink->Active() && Focused()) MoveToCell(FDataLink->ActiveRecord() + 1, FMouseRow >= 0 ? FMouseRow : Row());
    UpdateRecordScrollBar();
    SyncActiveRecordColumn();
    if (Distance != 0 && FDataColumns > 1) {
        // The records moved sideways under the columns: every data column shows another one.
        Invalidate();
    } else {
        InvalidateCol(Old);
        InvalidateCol(Col());
    }
    RefreshEditor(nullptr);
}

void TdaDataInspector::UpdateRecordScrollBar() {
    if (!HandleAllocated() || !DataSetActive() || FDataColumns <= 1) return;
    if (FScrollBars != StdCtrls::ssHorizontal && FScrollBars != StdCtrls::ssBoth) return;
    TDataSet* DS = FDataLink->DataSet();
    // A page is the data columns: the records shown at once.
    int Min, Max, Page = FDataColumns, Pos;
    if (DS->IsSequenced()) {
        Min = 1;
        Max = DS->RecordCount() + Page - 1;
        Pos = DS->State() == dsInsert ? FBarPos : DS->RecNo();
    } else {
        Min = 0;
        Max = 4;
        Pos = DS->Bof() ? 0 : DS->Eof() ? 4 : 2;
    }
    if (Max - Min <= 1) {
        // Nothing to scroll: a range without a usable thumb.
        Min = 1;
        Max = 1001;
        Page = 1000;
        Pos = 1;
    }
    if (Min == FBarMin && Max == FBarMax && Page == FBarPage && Pos == FBarPos) return;
    FBarMin = Min, FBarMax = Max, FBarPage = Page, FBarPos = Pos;
    TScrollInfo I;
    I.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    I.nMin = Min;
    I.nMax = Max;
    I.nPage = static_cast<UINT>(Page);
    I.nPos = Pos;
    SetScrollInfo(WindowHandle(), SB_HORZ, I, true);
}

void TdaDataInspector::DataLinkActiveChanged(bool Active) {
    if (!Active && InplaceEditor()) {
        const bool EditorHadFocus =
            InplaceEditor()->HandleAllocated() && GetFocus() == InplaceEditor()->WindowHandle();
        InplaceEditor()->Hide();
        if (EditorHadFocus && CanFocus()) ::SetFocus(Handle()); // the form may still count the grid as its active control
    }
    if (FDestroying) return;
    IterateItems(false, nullptr, [&](TdaInspectorItem* It, void*, bool&) {
        if (TWinControl* C = It->CustomControl()) C->SetVisible(false);
    });
    FCustomEdit = nullptr;
    FCustomEditCell = {-1, -1};
    ApplySettings();
    if (InplaceEditor() && InplaceEditor()->Shown()) InvalidateEditor();
    SyncActiveRecordColumn();
    FBarMax = FBarPage = FBarPos = -1;
    UpdateRecordScrollBar();
}

// ---- Data link -------------------------------------------------------------------------------------------

void TdaDataInspectorDataLink::ActiveChanged() {
    ObjectView->DataLinkActiveChanged(Active());
}

void TdaDataInspectorDataLink::DataSetChanged() {
    ObjectView->DataChanged();
    Modified = false;
}

void TdaDataInspectorDataLink::DataSetScrolled(int Distance) {
    ObjectView->RecordScrolled(Distance);
}

void TdaDataInspectorDataLink::EditingChanged() {
    if (ObjectView->IndicatorRow()->Enabled()) ObjectView->InvalidateCell(ObjectView->Col(), 0);
}

void TdaDataInspectorDataLink::LayoutChanged() {
    ObjectView->RefreshEditor(nullptr);
    ObjectView->Invalidate();
}

void TdaDataInspectorDataLink::RecordChanged(TField* Field) {
    if (InUpdateData) return;
    ObjectView->RefreshEditor(Field);
    TDataSet* DS = DataSet();
    if (Field && DS && (DS->State() == dsEdit || DS->State() == dsInsert)) {
        ObjectView->DoFieldChanged(Field);
        ObjectView->FTextIsSame = true;
    }
}

void TdaDataInspectorDataLink::UpdateData() {
    InUpdateData = true;
    TScopeExit Clear([&] {
        InUpdateData = false;
        Modified = false;
    });
    if (Modified) ObjectView->PostEditText();
}

void TdaDataInspectorDataLink::Reset() {
    if (Modified) {
        Modified = false;
        ObjectView->RefreshEditor(nullptr);
        if (ObjectView->InplaceEditor()) ObjectView->InvalidateEditor();
    }
}

void TdaDataInspectorDataLink::FocusControl(TField** Field) {
    if (!Field || !*Field) return;
    TdaInspectorItem* It = ObjectView->GetItemByFieldName((*Field)->FieldName());
    if (!It) return;
    ObjectView->SetActiveItem(It);
    if (ObjectView->FocusInspector()) *Field = nullptr;
}

void RegisterInspectorClasses() {
    for (TClass C : {TdaDataInspector::StaticClass(), TdaInspectorItem::StaticClass(),
                     TdaInspectorCollection::StaticClass(), TdaCollectionStreamComponent::StaticClass()})
        RegisterClass(C);
}
