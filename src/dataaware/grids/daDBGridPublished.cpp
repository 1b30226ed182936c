// The published grid: its life cycle, the column model applied again after each activation,
// data columns fixed at the left, moves of the current row, dataset ordering, and the selection
// of records kept as bookmarks (with a per-row cache that painting asks instead of the list).

#include "dataaware/foundation/daDataSetUtils.h"
#include "dataaware/foundation/daFieldSettings.h"
#include "dataaware/foundation/daByName.h"
#include "dataaware/grids/daDBGrid.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Messages.h"

#include <algorithm>
#include <cstdlib>

TdaDBGrid::TdaDBGrid(TComponent* AOwner)
    : TdaCustomDBGrid(AOwner), OrigSelected(std::make_unique<TStringList>()),
      FBookmarks(std::make_unique<TdaBookmarkList>(this)),
      FSelectedRecordList(std::make_unique<TStringList>()) {
    Patch = {Variant(false), Variant(false), Variant(0),     Variant(false), Variant(false), Variant(false),
             Variant(0),     Variant(0),     Variant(false), Variant(true),  Variant(false), Variant(false)};
}

TdaDBGrid::~TdaDBGrid() {
    FBookmarks->Clear();
    if (ShiftSelectMode) {
        ShiftSelectMode = false;
        ShiftSelectBookmark = TBookmark();
    }
    // Dependents hear of the grid's going through their free notification.
    FDependentComponents.clear();
}

void TdaDBGrid::Published(TPublisher<TdaDBGrid>& P) {
    P.Property(u"DisableThemes", &TdaDBGrid::DisableThemes, &TdaDBGrid::SetDisableThemes).Default(false);
    P.Property(u"MemoAttributes", &TdaDBGrid::MemoAttributes, &TdaDBGrid::SetMemoAttributes)
        .Default(TdaMemoAttributes{mSizeable, mWordWrap});
    P.Property(u"TitleColor", &TdaDBGrid::TitleColor, &TdaDBGrid::SetTitleColor);
    P.Property(u"FixedCols", &TdaDBGrid::FixedCols, &TdaDBGrid::SetFixedCols);
    P.Property(u"DataSource", &TdaDBGrid::DataSource, &TdaDBGrid::SetDataSource);
    P.Property(u"LoadAllRTF", &TdaDBGrid::LoadAllRTF, &TdaDBGrid::SetLoadAllRTF).Default(false);
    P.Property(u"OnMultiSelectRecord", &TdaDBGrid::OnMultiSelectRecord);
    P.Property(u"OnMultiSelectAllRecords", &TdaDBGrid::OnMultiSelectAllRecords);
    P.Property(u"LineStyle", &TdaDBGrid::LineStyle, &TdaDBGrid::SetLineStyle).Default(glsDynamic);
    P.Property(u"ControlType", &TdaDBGrid::ControlType, &TdaDBGrid::SetControlType);
    P.Property(u"PictureMasks", &TdaDBGrid::PictureMasks, &TdaDBGrid::SetPictureMasks);
    P.Property(u"RegexMasks", &TdaDBGrid::RegexMasks, &TdaDBGrid::SetRegexMasks);
    P.Property(u"Selected", &TdaDBGrid::Selected, &TdaDBGrid::SetSelected);
    P.Property(u"ShowHorzScrollBar", &TdaDBGrid::ShowHorzScrollBar, &TdaDBGrid::SetShowHorzScrollBar);
    P.Property(u"ShowVertScrollBar", &TdaDBGrid::ShowVertScrollBar, &TdaDBGrid::SetShowVertScrollBar)
        .Default(true);
    P.Property(u"EditControlOptions", &TdaDBGrid::EditControlOptions, &TdaDBGrid::SetEditControlOptions)
        .Default(TdaEditControlOptions{ecoSearchOwnerForm});
    P.Property(u"DefaultDrawing", &TdaDBGrid::DefaultDrawing, &TdaDBGrid::SetDefaultDrawing).Default(true);
    P.Property(u"EditCalculated", &TdaDBGrid::EditCalculated, &TdaDBGrid::SetEditCalculated).Default(false);
    P.Property(u"KeyOptions", &TdaDBGrid::KeyOptions, &TdaDBGrid::SetKeyOptions)
        .Default(TdaDBGridKeyOptions{dgAllowDelete, dgAllowInsert});
    P.Property(u"MultiSelectOptions", &TdaDBGrid::MultiSelectOptions, &TdaDBGrid::SetMultiSelectOptions)
        .Default(TdaMultiSelectOptions{});
    P.Property(u"Options", &TdaDBGrid::Options, &TdaDBGrid::SetOptions)
        .Default(TdaDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                  dgTabs, dgConfirmDelete, dgCancelOnExit, dgWordWrap});
    P.Property(u"ReadOnly", &TdaDBGrid::ReadOnly, &TdaDBGrid::SetReadOnly).Default(false);
    P.Property(u"RowHeightPercent", &TdaDBGrid::RowHeightPercent, &TdaDBGrid::SetRowHeightPercent)
        .Default(100);
    P.Property(u"TitleAlignment", &TdaDBGrid::TitleAlignment, &TdaDBGrid::SetTitleAlignment);
    P.Property(u"TitleFont", &TdaDBGrid::TitleFont, &TdaDBGrid::SetTitleFont);
    P.Property(u"TitleLines", &TdaDBGrid::TitleLines, &TdaDBGrid::SetTitleLines);
    P.Property(u"TitleButtons", &TdaDBGrid::TitleButtons, &TdaDBGrid::SetTitleButtons);
    P.Property(u"UseTFields", &TdaDBGrid::UseTFields, &TdaDBGrid::SetUseTFields).Default(true);
    P.Property(u"LineColors", &TdaDBGrid::LineColors);
    P.Property(u"IndicatorIconColor", &TdaDBGrid::IndicatorIconColor, &TdaDBGrid::SetIndicatorIconColor)
        .Default(0);
    P.Property(u"FooterColor", &TdaDBGrid::FooterColor, &TdaDBGrid::SetFooterColor).Default(clBtnFace);
    P.Property(u"FooterCellColor", &TdaDBGrid::FooterCellColor, &TdaDBGrid::SetFooterCellColor)
        .Default(clBtnFace);
    P.Property(u"FooterHeight", &TdaDBGrid::FooterHeight, &TdaDBGrid::SetFooterHeight).Default(0);
    P.Property(u"DragVertOffset", &TdaDBGrid::DragVertOffset, &TdaDBGrid::SetDragVertOffset).Default(15);
    P.Property(u"PadColumnStyle", &TdaDBGrid::PadColumnStyle, &TdaDBGrid::SetPadColumnStyle)
        .Default(pcsPadHeaderAndData);
    P.Property(u"HideAllLines", &TdaDBGrid::HideAllLines, &TdaDBGrid::SetHideAllLines).Default(false);
    P.Property(u"GroupFieldName", &TdaDBGrid::GroupFieldName, &TdaDBGrid::SetGroupFieldName);
    P.Property(u"OnLeftColChanged", &TdaDBGrid::OnLeftColChanged);
    P.Property(u"OnRowChanged", &TdaDBGrid::OnRowChanged);
    P.Property(u"OnCellChanged", &TdaDBGrid::OnCellChanged);
    P.Property(u"OnCalcCellColors", &TdaDBGrid::OnCalcCellColors);
    P.Property(u"OnCalcTitleAttributes", &TdaDBGrid::OnCalcTitleAttributes);
    P.Property(u"OnColWidthChanged", &TdaDBGrid::OnColWidthChanged);
    P.Property(u"OnDrawGroupHeaderCell", &TdaDBGrid::OnDrawGroupHeaderCell);
    P.Property(u"OnTitleButtonClick", &TdaDBGrid::OnTitleButtonClick);
    P.Property(u"OnColEnter", &TdaDBGrid::OnColEnter);
    P.Property(u"OnColExit", &TdaDBGrid::OnColExit);
    P.Property(u"OnDrawDataCell", &TdaDBGrid::OnDrawDataCell);
    P.Property(u"OnCreateHintWindow", &TdaDBGrid::OnCreateHintWindow);
    P.Property(u"OnCheckValue", &TdaDBGrid::OnCheckValue);
    P.Property(u"OnColumnMoved", &TdaDBGrid::OnColumnMoved);
    P.Property(u"OnTopRowChanged", &TdaDBGrid::OnTopRowChanged);
    P.Property(u"OnDrawFooterCell", &TdaDBGrid::OnDrawFooterCell);
    P.Property(u"OnDrawTitleCell", &TdaDBGrid::OnDrawTitleCell);
    P.Property(u"OnFieldChanged", &TdaDBGrid::OnFieldChanged);
    P.Property(u"OnUpdateFooter", &TdaDBGrid::OnUpdateFooter);
    P.Property(u"OnBeforePaint", &TdaDBGrid::OnBeforePaint);
    P.Property(u"OnURLOpen", &TdaDBGrid::OnURLOpen);
    P.Property(u"OnBeforeDrawCell", &TdaDBGrid::OnBeforeDrawCell);
    P.Property(u"OnAfterDrawCell", &TdaDBGrid::OnAfterDrawCell);
}

void TdaDBGrid::SetMemoAttributes(TdaMemoAttributes Value) {
    FMemoAttributes = Value;
    RedrawGrid();
}

void TdaDBGrid::Loaded() {
    TdaCustomDBGrid::Loaded();
    GridIsLoaded = true;
}

// ---- The column model ----------------------------------------------------------------------------

void TdaDBGrid::RedrawGrid() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (redrawingGrid || !DS) return;
    DS->DisableControls();
    TScopeExit Done([&] {
        DS->EnableControls();
        redrawingGrid = false;
        initialized = true;
    });
    redrawingGrid = true;
    if (Selected()->Count() > 0) {
        bool Calculated = false;
        for (int I = 0; I < DS->Fields().Count(); ++I)
            Calculated = Calculated || DS->Fields()[I]->Calculated();
        // A dataset with calculated fields keeps its own field setup.
        if (ComponentState().Contains(csDesigning) || !Calculated) ApplySelected();
    }
}

void TdaDBGrid::ApplySelected() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS) return;
    if (UseTFields()) {
        if (Selected()->Count() > 0 && DS->Active()) {
            daApplySelectedToFields(DS, Selected());
            LayoutChanged();
        }
    } else {
        LayoutChanged();
    }
}

void TdaDBGrid::RestoreDesignSelected() {
    SetSelected(OrigSelected.get());
    ApplySelected();
}

void TdaDBGrid::SetColumnAttributes() {
    ApplyFixedCols();
    TdaCustomDBGrid::SetColumnAttributes();
}

void TdaDBGrid::SetFixedCols(int Value) {
    if (ComponentState().Contains(csDesigning)) {
        TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
        if (Value < 0 || (DS && DS->Active() && IndicatorOffset() + Value >= ColCount())) {
            MessageDlg(daGridTexts::InvalidFixedCols, mtWarning, TMsgDlgButtons{mbOK}, 0);
            return;
        }
    }
    FFixedCols = Value;
    LayoutChanged();
}

void TdaDBGrid::ApplyFixedCols() {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    const int Fixed = IndicatorOffset() + FFixedCols;
    if (Fixed == TCustomGrid::FixedCols() || !DS || !DS->Active() || Fixed >= ColCount() || FFixedCols < 0)
        return;
    TCustomGrid::SetFixedCols(Fixed);
    if (Options().Contains(dgFixedEditable) && LeftCol() == Fixed) SetSelectedIndex(0);
}

TColor TdaDBGrid::CellBackColor(int ACol) {
    return ACol <= FFixedCols ? TitleColor() : Color();
}

void TdaDBGrid::LinkActive(bool Value) {
    TFlagScope Guard(inLinkActive);
    FBookmarks->LinkActive(Value);
    FSelectedRecordList->Clear();
    TdaCustomDBGrid::LinkActive(Value);
    if (Value) RedrawGrid();
}

void TdaDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TdaCustomDBGrid::Notification(AComponent, Operation);
    if (Operation == opRemove) RemoveDependent(AComponent);
}

void TdaDBGrid::AddDependent(TComponent* Value) {
    if (!Value || std::find(FDependentComponents.begin(), FDependentComponents.end(), Value) !=
                      FDependentComponents.end())
        return;
    FDependentComponents.push_back(Value);
    Value->FreeNotification(this);
}

void TdaDBGrid::RemoveDependent(TComponent* Value) {
    std::erase(FDependentComponents, Value);
}

// ---- Rows and fields -----------------------------------------------------------------------------

int TdaDBGrid::GetActiveRow() const {
    return DataLink()->Active() ? DataLink()->ActiveRecord() : 0;
}

void TdaDBGrid::SetActiveRow(int Value) {
    const int R = Value + (Options().Contains(dgTitles) ? 1 : 0);
    if (R != Row() && R >= 0 && R < RowCount()) FocusCell(Col(), R, true);
    if (DataLink()->Active()) DataLink()->SetActiveRecord(Value + RowOffset());
    Invalidate();
}

TField* TdaDBGrid::GetActiveField() const {
    return Col() >= IndicatorOffset() ? Fields(Col() - IndicatorOffset()) : nullptr;
}

void TdaDBGrid::SetActiveField(const String& AFieldName) {
    if (!DataLink()->Active()) return;
    for (int C = IndicatorOffset(); C < ColCount(); ++C)
        if (TField* F = Fields(C - IndicatorOffset()); F && SameText(F->FieldName(), AFieldName)) {
            SetSelectedIndex(C - IndicatorOffset());
            return;
        }
}

// Brings the current record to a screen row by moving the dataset; a move the dataset could not
// make in full is undone instead of leaving the current record at another row.
void TdaDBGrid::ScrollCurrentToTop(int CurrentRow) {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS || !DS->Active()) return;
    DS->DisableControls();
    TScopeExit Enable([&] { DS->EnableControls(); });
    const int R = GetActiveRow();
    const int D = CurrentRow > R ? -CurrentRow : VisibleRowCount() - 1 - CurrentRow;
    if (D == 0) return;
    const int Moved = DS->MoveBy(D);
    if (std::abs(Moved) < std::abs(D))
        DS->MoveBy(-Moved);
    else
        SetActiveRow(CurrentRow);
}

void TdaDBGrid::SetOrder(const String& AFieldName, bool AClientCursor) {
    TDataSet* DS = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!DS) return;
    if (daIsKindOf(DS, u"TClientDataSet") || AClientCursor) {
        if (GetPropInfo(DS, u"IndexFieldNames")) SetStrProp(DS, u"IndexFieldNames", AFieldName);
        return;
    }
    daSetIndexForFields(DS, AFieldName);
}

void TdaDBGrid::TopLeftChanged() {
    if (inTopLeftChanged) return;
    if (Options().Contains(dgRowSelect)) {
        const int Top = Options().Contains(dgTitles) ? 1 : 0;
        if (TopRow() != Top) {
            TFlagScope Guard(inTopLeftChanged);
            SetTopRow(Top);
        }
    }
    TdaCustomDBGrid::TopLeftChanged();
}

void TdaDBGrid::ColExit() {
    // Patch[4]: the column-exit event before the cell control goes.
    if (Patch[4].VarType() == varBoolean && Patch[4].AsBoolean()) {
        TdaCustomDBGrid::ColExit();
        HideControls();
        return;
    }
    HideControls();
    TdaCustomDBGrid::ColExit();
}

void TdaDBGrid::Paint() {
    RefreshSelectedRows();
    TdaCustomDBGrid::Paint();
}

// ---- Record multi-selection ----------------------------------------------------------------------

bool TdaDBGrid::IsBefore(const TBookmark& X, const TBookmark& Y) const {
    const int C = DataLink()->DataSet()->CompareBookmarks(X, Y);
    return CompareBookmarksAltMethod ? C < 0 : C == -1;
}

bool TdaDBGrid::IsAtOrAfter(const TBookmark& X, const TBookmark& Y) const {
    const int C = FBookmarks->Compare(X, Y);
    return CompareBookmarksAltMethod ? C >= 0 : (C == 0 || C == 1 || C == 2);
}

bool TdaDBGrid::IsSelectedRecord() {
    TDataSet* DS = DataLink()->DataSet();
    if (!DataLink()->Active() || !DS || DS->State() == dsEdit || DS->State() == dsInsert) return false;
    return FBookmarks->CurrentRowSelected();
}

bool TdaDBGrid::IsSelected() {
    const int Row = DataLink()->Active() ? DataLink()->ActiveRecord() : -1;
    return IsBufferRecordSelected(Row);
}

bool TdaDBGrid::IsBufferRecordSelected(int Row) {
    return Row >= 0 && Row < FSelectedRecordList->Count() && FSelectedRecordList->Strings(Row) == u"T";
}

void TdaDBGrid::RefreshSelectedRows() {
    FSelectedRecordList->Clear();
    if (!DataLink()->Active() || FBookmarks->Count() == 0) {
        for (int I = 0; I < VisibleRowCount(); ++I)
            FSelectedRecordList->Add(u"F");
        return;
    }
    const int Rows = std::min(VisibleRowCount() + RowOffset(), DataLink()->RecordCount());
    try {
        TActiveRecordScope Scope(*DataLink(), DataLink()->ActiveRecord());
        for (int I = 0; I < Rows; ++I) {
            DataLink()->SetActiveRecord(I);
            FSelectedRecordList->Add(IsSelectedRecord() ? u"T" : u"F");
        }
    } catch (const Exception&) {
        // The cache stays as far as it got; the active record is back.
    }
}

void TdaDBGrid::SelectRecord() {
    TDataSet* DS = DataLink()->DataSet();
    if (!DataLink()->Active() || !DS) return;
    if (ShiftSelectMode) {
        DS->CheckBrowseMode();
        ShiftSelectBookmark = DS->GetBookmark();
    }
    DS->CheckBrowseMode();
    RefreshSelectedRows();
    if (IsSelected()) return;
    bool Accept = true;
    if (OnMultiSelectRecord) OnMultiSelectRecord(this, true, Accept);
    if (!Accept) return;
    FBookmarks->SetCurrentRowSelected(true);
    RefreshSelectedRows();
    InvalidateCurrentRow();
}

void TdaDBGrid::UnselectRecord() {
    RefreshSelectedRows();
    if (!IsSelected()) return;
    bool Accept = true;
    if (OnMultiSelectRecord) OnMultiSelectRecord(this, false, Accept);
    if (!Accept) return;
    FBookmarks->SetCurrentRowSelected(false);
    RefreshSelectedRows();
    InvalidateCurrentRow();
}

void TdaDBGrid::SelectAll() {
    TDataSet* DS = DataLink()->DataSet();
    if (OnMultiSelectAllRecords) {
        bool Accept = true;
        OnMultiSelectAllRecords(this, true, Accept);
        if (!Accept) return;
    }
    FBookmarks->Clear();
    if (!DataLink()->Active() || !DS) return;
    DS->CheckBrowseMode();
    const TBookmark Saved = DS->GetBookmark();
    DS->DisableControls();
    TScopeExit Back([&] {
        if (!Saved.IsEmpty() && DS->BookmarkValid(Saved)) DS->GotoBookmark(Saved);
        DS->EnableControls();
    });
    DS->First();
    while (!DS->Eof()) {
        FBookmarks->SetCurrentRowSelected(true);
        DS->Next();
    }
    Back.Release();
    if (!Saved.IsEmpty() && DS->BookmarkValid(Saved)) DS->GotoBookmark(Saved);
    DS->EnableControls();
    RefreshSelectedRows();
    Invalidate();
}

void TdaDBGrid::UnselectAll() {
    if (OnMultiSelectAllRecords) {
        bool Accept = true;
        OnMultiSelectAllRecords(this, false, Accept);
        if (!Accept) return;
    }
    FBookmarks->Clear();
    Invalidate();
    FSelectedRecordList->Clear();
    for (int I = 0; I < VisibleRowCount(); ++I)
        FSelectedRecordList->Add(u"F");
}

void TdaDBGrid::MarkCurrent() {
    bool Accept = true;
    if (OnMultiSelectRecord) OnMultiSelectRecord(this, true, Accept);
    if (Accept) FBookmarks->SetCurrentRowSelected(true);
}

void TdaDBGrid::UnselectRange(const TBookmark& A, const TBookmark& B) {
    int I = 0;
    while (I < FBookmarks->Count()) {
        const TBookmark S = (*FBookmarks)[I];
        if (IsAtOrAfter(B, S) && IsAtOrAfter(S, A)) {
            bool Accept = true;
            if (OnMultiSelectRecord) OnMultiSelectRecord(this, false, Accept);
            if (Accept) {
                FBookmarks->DeleteSelection(I);
                continue;
            }
        }
        ++I;
    }
    Invalidate();
}

// Selects the records from A to B, both included, whichever comes first; the records that were
// selected in between are offered for deselection first, so that a refusal keeps them.
void TdaDBGrid::SelectRange(const TBookmark& A, const TBookmark& B) {
    TDataSet* DS = DataLink()->DataSet();
    if (A.IsEmpty() || B.IsEmpty() || !DS || !DS->BookmarkValid(A) || !DS->BookmarkValid(B)) return;
    DS->DisableControls();
    {
        TScopeExit Enable([&] { DS->EnableControls(); });
        if (IsBefore(A, B)) {
            UnselectRange(A, B);
            DS->GotoBookmark(A);
            MarkCurrent();
            while (IsBefore(DS->GetBookmark(), B)) {
                DS->Next();
                if (DS->Eof()) break;
                MarkCurrent();
            }
            DS->GotoBookmark(A);
        } else {
            try {
                DS->GotoBookmark(B);
                UnselectRange(B, A);
                MarkCurrent();
                while (IsBefore(DS->GetBookmark(), A)) {
                    DS->Next();
                    if (DS->Eof()) break;
                    MarkCurrent();
                }
                DS->GotoBookmark(A);
            } catch (const Exception&) {
                // The walk ends where it failed; the controls and the row come back below.
            }
        }
    }
    RefreshSelectedRows();
    Invalidate();
}

void TdaDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_SPACE && Options().Contains(dgRowSelect) && Options().Contains(dgMultiSelect) &&
        DataLink()->Active()) {
        if (OnKeyDown) OnKeyDown(this, Key, Shift);
        if (Key == 0) return;
        RefreshSelectedRows();
        if (IsSelected())
            UnselectRecord();
        else
            SelectRecord();
        Key = 0;
        return;
    }
    TdaCustomDBGrid::KeyDown(Key, Shift);
}

void TdaDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool WasShiftMode = ShiftSelectMode;
    const TBookmark PriorAnchor = ShiftSelectBookmark;
    Patch[10] = Variant(true);
    {
        TScopeExit Clear([&] { Patch[10] = Variant(false); });
        TdaCustomDBGrid::MouseDown(Button, Shift, X, Y);
    }
    TDataSet* DS = DataLink()->DataSet();
    const TGridCoord Cell = MouseCoord(X, Y);
    if (Button == mbLeft && Shift.Contains(ssShift) && Options().Contains(dgMultiSelect) && WasShiftMode &&
        DS && DataLink()->Active() && Cell.Y >= TitleOffset() && !PriorAnchor.IsEmpty() &&
        DS->BookmarkValid(PriorAnchor)) {
        const TBookmark Clicked = DS->GetBookmark();
        SelectRange(Clicked, PriorAnchor);
    }
}

void RegisterDataAwareGridClasses() {
    RegisterClass(TdaDBGrid::StaticClass());
}
