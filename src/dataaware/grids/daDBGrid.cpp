#include "dataaware/grids/daDBGrid.h"

#include "dataaware/edits/daDateTimePicker.h"
#include "dataaware/edits/daEditsShared.h"
#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDataSetUtils.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daFieldSettings.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"
#include "platform/gui/ScrollBars.h"
#include "platform/os/ShellOpen.h"

#include <algorithm>
#include <cmath>
#include <utility>

// ---- The Selected list ---------------------------------------------------------------------------

std::vector<String> daSplitTabs(const String& Line) {
    std::vector<String> Parts;
    size_t Start = 0;
    for (;;) {
        const size_t Tab = Line.find(u'\t', Start);
        Parts.push_back(Line.substr(Start, Tab == String::npos ? String::npos : Tab - Start));
        if (Tab == String::npos) break;
        Start = Tab + 1;
    }
    return Parts;
}

namespace {

int SelectedLineOf(TStrings* List, const String& FieldName) {
    for (int I = 0; I < List->Count(); ++I)
        if (SameText(daSplitTabs(List->Strings(I))[0], FieldName)) return I;
    return -1;
}

String JoinTabs(const std::vector<String>& Parts) {
    String S;
    for (size_t I = 0; I < Parts.size(); ++I) {
        if (I) S += u'\t';
        S += Parts[I];
    }
    return S;
}

} // namespace

bool daReadSelectedEntry(TStrings* List, const String& FieldName, int Part, String& Text) {
    const int I = SelectedLineOf(List, FieldName);
    if (I < 0) return false;
    const std::vector<String> Parts = daSplitTabs(List->Strings(I));
    Text = Part < int(Parts.size()) ? Parts[size_t(Part)] : Part == 3 ? String(u"F") : String();
    return true;
}

void daEditSelectedEntry(TdaCustomDBGrid* Grid, TStrings* List, const String& FieldName, int Index,
                         int Attribute, const String& Value) {
    if (Index < 0) Index = SelectedLineOf(List, FieldName);
    if (Attribute == 6 && Grid) {
        if (Index >= 0 && Value == u"F") {
            List->Delete(Index);
        } else if (Index < 0 && Value == u"T") {
            TdaColumn* C = Grid->ColumnByName(FieldName);
            List->Add(FieldName + u"\t" + IntToStr(C->DisplayWidth()) + u"\t" + C->DisplayLabel() + u"\t" +
                      (C->ReadOnly() ? u"T" : u"F"));
        }
        return;
    }
    if (Index < 0 || Index >= List->Count()) return;
    if (Attribute == 5) {
        List->Move(Index, StrToInt(Value));
        return;
    }
    if (Attribute < 1 || Attribute > 4) return;
    std::vector<String> Parts = daSplitTabs(List->Strings(Index));
    Parts.resize(std::max<size_t>(Parts.size(), 5));
    if (Parts[3].empty()) Parts[3] = u"F";
    Parts[size_t(Attribute)] = Value;
    std::vector<String> Out(Parts.begin(), Parts.begin() + 4);
    if (!Parts[4].empty()) Out.push_back(Parts[4]);
    List->SetString(Index, JoinTabs(Out));
}

// ---- The data link -------------------------------------------------------------------------------

TdaGridDataLink::TdaGridDataLink(TdaCustomDBGrid* AGrid) : FGrid(AGrid) {}

TdaGridDataLink::~TdaGridDataLink() { ClearMapping(); }

bool TdaGridDataLink::AddMapping(const String& FieldName) {
    if (FFieldCount >= MaxMapSize) throw EInvalidGridOperation(daGridTexts::TooManyColumns);
    TDataSet* DS = DataSet();
    TField* Field = DS ? DS->FindField(FieldName) : nullptr;
    if (!Field) return false;
    if (FFieldCount == FFieldMapSize) {
        FFieldMapSize = FFieldMapSize == 0 ? 8 : std::min(FFieldMapSize * 2, MaxMapSize);
        FFieldMap.reserve(size_t(FFieldMapSize));
    }
    FFieldMap.push_back(Field->Index());
    ++FFieldCount;
    return true;
}

void TdaGridDataLink::ClearMapping() {
    FFieldMap.clear();
    FFieldMap.shrink_to_fit();
    FFieldCount = 0;
    FFieldMapSize = 0;
}

TField* TdaGridDataLink::Fields(int I) const {
    TDataSet* DS = DataSet();
    if (!DS || I < 0 || I >= FFieldCount) return nullptr;
    const int Index = FFieldMap[size_t(I)];
    return Index < DS->FieldCount() ? DS->Fields()[Index] : nullptr;
}

bool TdaGridDataLink::GetDefaultFields() const { return true; }

void TdaGridDataLink::ActiveChanged() {
    if (FGrid) FGrid->LinkActive(Active());
}

void TdaGridDataLink::DataSetChanged() {
    if (!FGrid) return;
    FGrid->DataChanged();
    FModified = false;
}

void TdaGridDataLink::DataSetScrolled(int Distance) {
    if (FGrid) FGrid->Scroll(Distance);
}

void TdaGridDataLink::LayoutChanged() {
    if (FGrid) FGrid->LayoutChanged();
}

void TdaGridDataLink::EditingChanged() {
    if (!FGrid) return;
    if (FGrid->Options().Contains(dgIndicator)) FGrid->InvalidateCell(0, FGrid->FSelRow);
    TDataSet* DS = DataSet();
    if (DS && (DS->State() == dsEdit || DS->State() == dsInsert)) FGrid->ShouldUpdateFooter = true;
}

void TdaGridDataLink::RecordChanged(TField* Field) {
    if (!FGrid) return;
    if (!(Field && FInUpdateData)) {
        FGrid->RecordChanged(Field);
        FModified = false;
    }
    TDataSet* DS = DataSet();
    if (Field && DS && (DS->State() == dsEdit || DS->State() == dsInsert)) FGrid->DoFieldChanged(Field);
}

void TdaGridDataLink::FocusControl(TField** Field) {
    if (!FGrid || !Field || !*Field) return;
    for (int I = 0; I < FFieldCount; ++I)
        if (Fields(I) == *Field) {
            FGrid->SelectColumn(I);
            if (FGrid->SelectedField() == *Field && FGrid->AcquireFocusForScroll()) *Field = nullptr;
            return;
        }
}

void TdaGridDataLink::UpdateData() {
    if (!FGrid) return;
    TFlagScope Updating(FInUpdateData);
    if (FModified) {
        FGrid->PostEditText();
        FGrid->DataUpdated();
    }
    FModified = false;
}

void TdaGridDataLink::Reset() {
    if (FGrid && FModified) {
        FGrid->RecordChanged(nullptr);
        FModified = false;
        return;
    }
    TDataSet* DS = DataSet();
    if (!DS) return;
    if ((DS->State() == dsEdit || DS->State() == dsInsert) && DS->Modified()) {
        if (MessageDlg(daGridTexts::DiscardChanges, mtConfirmation, mbYesNo, 0) == mrYes) DS->Cancel();
    } else {
        DS->Cancel();
    }
}

TAlignment FieldAlignment(const TField* Field) {
    if (!Field) return taLeftJustify;
    switch (Field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftLargeint: case ftAutoInc: case ftFloat: case ftCurrency:
    case ftBCD: case ftFMTBcd:
        return taRightJustify;
    default:
        return taLeftJustify;
    }
}

// ---- Columns --------------------------------------------------------------------------------------

TdaColumn::TdaColumn(TdaCustomDBGrid* AOwner, const String& AFieldName) : FFieldName(AFieldName), FGrid(AOwner) {}

TdaColumn::~TdaColumn() = default;

bool TdaColumn::IsDummy() const { return FGrid && this == FGrid->FDummyColumn.get(); }

TField* TdaColumn::FindField() const {
    TDataSet* DS = FGrid && FGrid->DataSource() ? FGrid->DataSource()->DataSet() : nullptr;
    return DS && !FFieldName.empty() ? DS->FindField(FFieldName) : nullptr;
}

bool TdaColumn::ReadOnly() const {
    String S;
    return !IsDummy() && daReadSelectedEntry(FGrid->Selected(), FFieldName, 3, S) && S == u"T";
}

void TdaColumn::SetReadOnly(bool Value) {
    if (IsDummy()) return;
    daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 3, Value ? u"T" : u"F");
}

String TdaColumn::DisplayLabel() const {
    if (IsDummy()) return String();
    TField* F = FindField();
    if (FGrid->UseTFields() && F) return F->DisplayLabel();
    String S;
    if (daReadSelectedEntry(FGrid->Selected(), FFieldName, 2, S)) return S;
    if (!FDisplayLabel.empty()) return FDisplayLabel;
    return F ? F->DisplayLabel() : String();
}

void TdaColumn::SetDisplayLabel(const String& Value) {
    if (IsDummy()) return;
    ++FGrid->FUpdateLock;
    TScopeExit Unlock([&] { --FGrid->FUpdateLock; });
    daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 2, Value);
    if (FGrid->UseTFields())
        if (TField* F = FindField()) F->SetDisplayLabel(Value);
    FGrid->SetColumnAttributes();
    FGrid->Invalidate();
    FDisplayLabel = Value;
}

int TdaColumn::DisplayWidth() const {
    if (IsDummy()) return 0;
    TField* F = FindField();
    if (FGrid->UseTFields() && F) return F->DisplayWidth();
    String S;
    if (daReadSelectedEntry(FGrid->Selected(), FFieldName, 1, S)) return StrToIntDef(S, 0);
    if (FDisplayWidth != 0) return FDisplayWidth;
    return F ? F->DisplayWidth() : 0;
}

void TdaColumn::SetDisplayWidth(int Value) {
    if (IsDummy()) return;
    ++FGrid->FUpdateLock;
    TScopeExit Unlock([&] { --FGrid->FUpdateLock; });
    daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 1, IntToStr(Value));
    if (FGrid->UseTFields())
        if (TField* F = FindField()) F->SetDisplayWidth(Value);
    FGrid->SetColumnAttributes();
    FDisplayWidth = Value;
}

void TdaColumn::SetFooterValue(const String& Value) {
    if (IsDummy() || Value == FFooterValue) return;
    FFooterValue = Value;
    FGrid->InvalidateFooter();
}

String TdaColumn::GroupName() const {
    String S;
    if (IsDummy() || !daReadSelectedEntry(FGrid->Selected(), FFieldName, 4, S)) return String();
    return S;
}

void TdaColumn::SetGroupName(const String& Value) {
    if (IsDummy()) return;
    ++FGrid->FUpdateLock;
    TScopeExit Unlock([&] { --FGrid->FUpdateLock; });
    daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 4, Value);
    FGrid->Invalidate();
}

void TdaColumn::SetSearchValue(const String& Value) {
    if (IsDummy()) return;
    FSearchValue = Value;
}

int TdaColumn::Index() const {
    if (IsDummy()) return -1;
    return SelectedLineOf(FGrid->Selected(), FFieldName);
}

void TdaColumn::SetIndex(int Value) {
    if (IsDummy()) return;
    {
        ++FGrid->FUpdateLock;
        TScopeExit Unlock([&] { --FGrid->FUpdateLock; });
        daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 5, IntToStr(Value));
        if (FGrid->UseTFields())
            if (TField* F = FindField()) F->SetIndex(Value);
    }
    ++FGrid->FUpdatingColWidths;
    TScopeExit Lower([&] { --FGrid->FUpdatingColWidths; });
    FGrid->LayoutChanged();
}

void TdaColumn::MakeVisible(bool Value) {
    if (IsDummy()) return;
    ++FGrid->FUpdateLock;
    TScopeExit Unlock([&] { --FGrid->FUpdateLock; });
    FVisible = Value;
    auto& Shown = FGrid->FColItems;
    auto& Hidden = FGrid->FSavedColItems;
    if (Value) {
        auto It = std::find(Hidden.begin(), Hidden.end(), this);
        if (It != Hidden.end()) {
            Hidden.erase(It);
            Shown.push_back(this);
        }
    } else {
        FDisplayWidth = DisplayWidth();
        FDisplayLabel = DisplayLabel();
        auto It = std::find(Shown.begin(), Shown.end(), this);
        if (It != Shown.end()) {
            Shown.erase(It);
            Hidden.push_back(this);
        }
    }
    daEditSelectedEntry(FGrid, FGrid->Selected(), FFieldName, -1, 6, Value ? u"T" : u"F");
}

void TdaColumn::SetVisible(bool Value) {
    MakeVisible(Value);
    FGrid->LayoutChanged();
}

// ---- Line colours ---------------------------------------------------------------------------------

void TdaGridLineColors::Changed() {
    if (FGrid) FGrid->Invalidate();
}
void TdaGridLineColors::SetDataColor(TColor Value) { FDataColor = Value, Changed(); }
void TdaGridLineColors::SetHighlightColor(TColor Value) { FHighlightColor = Value, Changed(); }
void TdaGridLineColors::SetShadowColor(TColor Value) { FShadowColor = Value, Changed(); }
void TdaGridLineColors::SetFixedColor(TColor Value) { FFixedColor = Value, Changed(); }
void TdaGridLineColors::SetGroupingColor(TColor Value) { FGroupingColor = Value, Changed(); }

// ---- Creation -------------------------------------------------------------------------------------

namespace {
TdaDBGridOptions OptionsOfBits(unsigned Bits) {
    TdaDBGridOptions O;
    for (int I = 0; I <= int(dgDblClickColSizing); ++I)
        if (Bits & (1u << I)) O.Include(TdaDBGridOption(I));
    return O;
}
} // namespace

TdaCustomDBGrid::TdaCustomDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    TCustomGrid::SetDefaultDrawing(false);
    FOptions = OptionsOfBits(DefaultGridOptionBits);
    SetScrollBars(StdCtrls::ssHorizontal);
    TCustomGrid::SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving,
                             goEditing, goTabs});
    SetRowCount(2);
    SetColCount(2);
    FDataLink = std::make_unique<TdaGridDataLink>(this);
    SetColor(clWindow);
    SetParentColor(false);
    FTitleFont = std::make_unique<TFont>();
    FTitleFont->Assign(Font());
    FTitleFont->OnChange = [this](TObject* Sender) { TitleFontChanged(Sender); };
    FSelected = std::make_unique<TStringList>();
    FControlType = std::make_unique<TStringList>();
    FPictureMasks = std::make_unique<TStringList>();
    FRegexMasks = std::make_unique<TStringList>();
    FDummyColumn = std::make_unique<TdaColumn>(this, String());
    FDummyColumn->FVisible = false;
    FLineColors = std::make_unique<TdaGridLineColors>(this);
    OpenURL = [](const String& Link) { ShellOpen(Link); };
}

TdaCustomDBGrid::~TdaCustomDBGrid() {
    FreeHintWindow();
    delete std::exchange(FIndicatorButton, nullptr);
    // Letting go of the data source tells the link, which must not lay out a grid on its way out.
    FDataLink->FGrid = nullptr;
    FDataLink.reset();
    FreeColItems();
}

void TdaCustomDBGrid::FreeColItems() {
    for (TdaColumn* C : FColItems)
        delete C;
    for (TdaColumn* C : FSavedColItems)
        delete C;
    FColItems.clear();
    FSavedColItems.clear();
}

void TdaCustomDBGrid::CreateWnd() {
    TCustomGrid::CreateWnd();
    LayoutChanged();
    UpdateScrollBar();
    CheckRowChanged();
}

void TdaCustomDBGrid::Loaded() {
    TCustomGrid::Loaded();
    LayoutChanged();
}

void TdaCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
    if (AComponent == FIndicatorButton) FIndicatorButton = nullptr;
    // An in-cell control freed before the grid is forgotten.
    if (AComponent == FCurrentCustomEdit) FCurrentCustomEdit = nullptr;
    if (AComponent == static_cast<TComponent*>(FDateTimePicker)) FDateTimePicker = nullptr;
    for (TdaCacheColInfoItem& Item : FCacheColInfo)
        if (Item.CustomControl == AComponent) Item.CustomControl = nullptr;
}

void TdaCustomDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    if (DataSource()) DataSource()->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(FDataLink->Active());
}

// ---- Measuring ------------------------------------------------------------------------------------

int TdaCustomDBGrid::TextHeightW(TFont* AFont) const {
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(AFont);
    return B.Canvas()->TextHeight(u"W");
}

int TdaCustomDBGrid::CharWidth0() const {
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(Font());
    return B.Canvas()->TextWidth(u"0");
}

TCanvas* TdaCustomDBGrid::GridCanvas() const { return Canvas(); }

// ---- Options and simple properties ----------------------------------------------------------------

void TdaCustomDBGrid::SetOptions(TdaDBGridOptions Value) { WriteOptions(Value); }

void TdaCustomDBGrid::WriteOptions(TdaDBGridOptions Value) {
    if (Value == FOptions) return;
    TGridOptions B;
    if (Value.Contains(dgColLines)) B.Include(goFixedVertLine), B.Include(goVertLine);
    if (Value.Contains(dgRowLines)) B.Include(goHorzLine);
    if (!Value.Contains(dgRowLinesDisableFixed)) B.Include(goFixedHorzLine);
    if (Value.Contains(dgColumnResize)) B.Include(goColSizing), B.Include(goColMoving);
    if (Value.Contains(dgRowResize)) B.Include(goRowSizing);
    if (Value.Contains(dgTabs)) B.Include(goTabs);
    if (Value.Contains(dgRowSelect)) B.Include(goRowSelect);
    if (Value.Contains(dgEditing) && !Value.Contains(dgRowSelect)) B.Include(goEditing);
    if (Value.Contains(dgAlwaysShowEditor)) B.Include(goAlwaysShowEditor);
    TCustomGrid::SetOptions(B);
    const TdaDBGridOptions Old = FOptions;
    FOptions = Value;
    auto Changed = [&](TdaDBGridOption O) { return Old.Contains(O) != Value.Contains(O); };
    if (Changed(dgWordWrap)) {
        if (TdaInplaceEdit* E = Editor()) E->SetWordWrap(Value.Contains(dgWordWrap));
        Invalidate();
    }
    if (Changed(dgIndicator)) OrigColWidths.clear();
    for (TdaDBGridOption O : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                              dgRowSelect, dgAlwaysShowSelection, dgPerfectRowFit, dgShowFooter,
                              dgProportionalColResize})
        if (Changed(O)) {
            LayoutChanged();
            break;
        }
}

void TdaCustomDBGrid::SetTitleAlignment(TAlignment Value) {
    if (Value == FTitleAlignment) return;
    FTitleAlignment = Value;
    LayoutChanged();
}

void TdaCustomDBGrid::SetTitleLines(int Value) {
    if (Value < 1 || Value == FTitleLines) return;
    FTitleLines = Value;
    LayoutChanged();
}

void TdaCustomDBGrid::SetTitleButtons(bool Value) {
    if (Value == FTitleButtons) return;
    FTitleButtons = Value;
    Invalidate();
}

void TdaCustomDBGrid::SetTitleFont(TFont* Value) {
    FTitleFont->Assign(Value);
    LayoutChanged();
}

void TdaCustomDBGrid::TitleFontChanged(TObject*) {
    if (!FSelfChangingTitleFont && !ComponentState().Contains(csLoading)) SetParentFont(false);
    if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TdaCustomDBGrid::SetTitleColor(TColor Value) {
    if (Value == FTitleColor) return;
    FTitleColor = Value;
    Invalidate();
}

void TdaCustomDBGrid::SetRowHeightPercent(int Value) {
    if (Value <= 0) Value = 100;
    MinRowHeightPercent = Value;
    if (Value == FRowHeightPercent) return;
    FRowHeightPercent = Value;
    LayoutChanged();
}

void TdaCustomDBGrid::RestoreRowHeights() {
    FRowHeightPercent = MinRowHeightPercent;
    LayoutChanged();
}

void TdaCustomDBGrid::SetFooterColor(TColor Value) {
    if (Value == FFooterColor) return;
    FFooterColor = Value;
    LayoutChanged();
}
void TdaCustomDBGrid::SetFooterCellColor(TColor Value) {
    if (Value == FFooterCellColor) return;
    FFooterCellColor = Value;
    LayoutChanged();
}
void TdaCustomDBGrid::SetFooterHeight(int Value) {
    Value = std::max(Value, 0);
    if (Value == FFooterHeight) return;
    FFooterHeight = Value;
    LayoutChanged();
}

void TdaCustomDBGrid::SetShowSearchRow(bool Value) {
    FShowSearchRow = Value;
    LayoutChanged();
}

void TdaCustomDBGrid::SetGroupFieldName(const String& Value) {
    if (Value == FGroupFieldName) return;
    FGroupFieldName = Value;
    if (Value.empty() && !FColItems.empty()) FColItems[0]->ColumnFlags.clear();
    Invalidate();
}

void TdaCustomDBGrid::SetShowVertScrollBar(bool Value) {
    FShowVertScrollBar = Value;
    if (HandleAllocated()) {
        ShowScrollBar(WindowHandle(), SB_VERT, Value);
        UpdateScrollBar();
    }
    Invalidate();
}

void TdaCustomDBGrid::SetShowHorzScrollBar(bool Value) {
    FShowHorzScrollBar = Value;
    SetScrollBars(Value && !ProportionalResizeActive() ? StdCtrls::ssHorizontal : StdCtrls::ssNone);
}

void TdaCustomDBGrid::SetIndicatorColor(TIndicatorColorType Value) {
    FIndicatorColor = Value;
    SetIndicatorIconColor(Value == icYellow ? clYellow : clBlack);
}

void TdaCustomDBGrid::SetIndicatorIconColor(TColor Value) {
    FIndicatorIconColor = Value;
    InvalidateCurrentRow();
}

void TdaCustomDBGrid::SetLineStyle(TdaGridLineStyle Value) {
    FLineStyle = Value;
    Invalidate();
}
void TdaCustomDBGrid::SetHideAllLines(bool Value) {
    FHideAllLines = Value;
    Invalidate();
}
void TdaCustomDBGrid::SetPadColumnStyle(TdaPadColumnStyle Value) {
    FPadColumnStyle = Value;
    Invalidate();
}

void TdaCustomDBGrid::SetRowOffset(int Value) {
    if ((Value & 1) != (FRowOffset & 1)) AlternatingEven = !AlternatingEven;
    FRowOffset = Value;
    Invalidate();
}

void TdaCustomDBGrid::SetUseTFields(bool Value) {
    if (Value == FUseTFields) return;
    FUseTFields = Value;
    OrigColWidths.clear();
    LayoutChanged();
}

bool TdaCustomDBGrid::ProportionalResizeActive() const {
    return !FUseTFields && FOptions.Contains(dgProportionalColResize);
}

// ---- Columns and fields ---------------------------------------------------------------------------

TdaColumn* TdaCustomDBGrid::ColumnByName(const String& Name) const {
    for (TdaColumn* C : FColItems)
        if (SameText(C->FieldName(), Name)) return C;
    for (TdaColumn* C : FSavedColItems)
        if (SameText(C->FieldName(), Name)) return C;
    return FDummyColumn.get();
}

TdaColumn* TdaCustomDBGrid::ColumnOfDataCol(int DataCol) const {
    if (FDataLink->FieldCount() > 0) {
        TField* F = FDataLink->Fields(DataCol);
        return F ? ColumnByName(F->FieldName()) : FDummyColumn.get();
    }
    if (DataCol < 0 || DataCol >= FSelected->Count()) return FDummyColumn.get();
    return ColumnByName(daSplitTabs(FSelected->Strings(DataCol))[0]);
}

String TdaCustomDBGrid::FieldName(int ACol) const {
    const int DataCol = ACol - FIndicatorOffset;
    if (FDataLink->Active()) {
        TField* F = FDataLink->Fields(DataCol);
        return F ? F->FieldName() : String();
    }
    if (DataCol < 0 || DataCol >= FSelected->Count()) return String();
    return daSplitTabs(FSelected->Strings(DataCol))[0];
}

TField* TdaCustomDBGrid::SelectedField() const { return FDataLink->Fields(SelectedIndex()); }

void TdaCustomDBGrid::SetSelectedField(TField* Value) {
    for (int I = 0; I < FDataLink->FieldCount(); ++I)
        if (FDataLink->Fields(I) == Value) SetSelectedIndex(I);
}

void TdaCustomDBGrid::SetSelectedIndex(int Value) { SelectColumn(Value); }

String TdaCustomDBGrid::GetFieldValue(int DataCol) {
    TField* F = FDataLink->Fields(DataCol);
    return F ? F->DisplayText() : String();
}

// ---- Layout ---------------------------------------------------------------------------------------

void TdaCustomDBGrid::LayoutChanged() {
    if (ComponentState().Contains(csLoading) || !HandleAllocated() || FUpdateLock != 0) return;
    ++FUpdateLock;
    TScopeExit Unlock([&] { --FUpdateLock; });
    {
        ++FUpdatingColWidths;
        TScopeExit Lower([&] { --FUpdatingColWidths; });
        FTitleOffset = 0;
        if (FOptions.Contains(dgTitles)) FTitleOffset = 1;
        UpdateRowHeights();
        FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
        FDataLink->ClearMapping();
        if (FDataLink->Active()) DefineFieldMap();
        int N = FDataLink->FieldCount();
        if (!FUseTFields && N == 0) N = FSelected->Count();
        // Fewer fixed columns first: one data column without the indicator leaves room for none.
        if (FIndicatorOffset < ColCount()) SetFixedCols(FIndicatorOffset);
        SetColCount(std::max(N, 1) + FIndicatorOffset);
        SetFixedCols(FIndicatorOffset);
        if (FIndicatorOffset) SetColWidths(0, FIndicatorWidth);
        HideControls();
        UpdateRowCount();
        const int Visible = VisibleRowCount();
        SetColumnAttributes();
        if (VisibleRowCount() != Visible) UpdateRowCount();
        UpdateFooterIfNeeded();
    }
    UpdateActiveRecord();
    ClearURLPaint();
    if (AllowPerfectFit()) DoPerfectFit();
    Invalidate();
}

bool TdaCustomDBGrid::AllowPerfectFit() const {
    const TComponentState S = ComponentState();
    return S.Contains(csDesigning) && !S.Contains(csLoading) && Align() != alTop && Align() != alBottom &&
           Align() != alClient && FOptions.Contains(dgPerfectRowFit);
}

bool TdaCustomDBGrid::NeedsHorzScrollBar() const {
    int W = 0;
    const int Line = FOptions.Contains(dgColLines) ? GridLineWidth() : 0;
    for (int I = 0; I < ColCount(); ++I) W += ColWidths(I) + Line;
    const bool VertBar = HandleAllocated() &&
                         (GetWindowLong(const_cast<TdaCustomDBGrid*>(this)->Handle(), GWL_STYLE) & WS_VSCROLL);
    W += VertBar ? GetSystemMetrics(SM_CXVSCROLL) + 1 : 1;
    return W > Width() && (ScrollBars() == StdCtrls::ssHorizontal || ScrollBars() == StdCtrls::ssBoth);
}

namespace {

// The top of the grid's last row, client coordinates, as if every row were shown.
int LastRowTop(const TCustomGrid& Grid, bool Lines) {
    int Top = 0;
    for (int R = 0; R + 1 < Grid.RowCount(); ++R) Top += Grid.RowHeights(R) + (Lines ? Grid.GridLineWidth() : 0);
    return Top;
}

} // namespace

bool TdaCustomDBGrid::DoPerfectFit() {
    const bool Lines = FOptions.Contains(dgRowLines);
    const int Row = DefaultRowHeight();
    const int Sum = LastRowTop(*this, Lines) + Row + 1;
    const bool Bar = NeedsHorzScrollBar();
    // The border allowance of a sunken (3-D) frame, the only frame the grids have here.
    const int B = 5 - (Bar ? 0 : 1);
    const int Old = Height();
    if (Bar) {
        const int BarH = GetSystemMetrics(SM_CYHSCROLL);
        if (Height() < Sum + BarH + Row + B - 1) SetHeight(Sum + BarH + B - 1);
    } else if (Height() < Sum + Row + B) {
        SetHeight(Sum + B);
    }
    return Height() != Old;
}

bool TdaCustomDBGrid::DoShrinkToFit() {
    const bool Lines = FOptions.Contains(dgRowLines);
    // The last row with its line, inside the frame (above and below): a height that ends two
    // pixels below it would cut the row off inside a sunken frame and lose it.
    const int Frame = NonClientMargins().Top;
    int H = LastRowTop(*this, Lines) + RowHeights(RowCount() - 1) + (Lines ? GridLineWidth() : 0) + 2 * Frame;
    if (NeedsHorzScrollBar()) H += GetSystemMetrics(SM_CYHSCROLL);
    H += GetEffectiveFooterHeight();
    if (H >= Height()) return false;
    SetHeight(H);
    return true;
}

// ---- The indicator button --------------------------------------------------------------------------

void TdaIButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int OldWidth = Width(), OldHeight = Height();
    TSpeedButton::SetBounds(std::min(ALeft, 0), std::min(ATop, 0), AWidth, AHeight);
    if ((Width() == OldWidth && Height() == OldHeight) || ComponentState().Contains(csLoading)) return;
    if (auto* Grid = dynamic_cast<TdaCustomDBGrid*>(Parent())) {
        Grid->FIndicatorWidth = Width() - 1;
        Grid->LayoutChanged();
    }
}

void TdaIButton::Loaded() {
    TSpeedButton::Loaded();
    if (auto* Grid = dynamic_cast<TdaCustomDBGrid*>(Parent())) {
        Grid->SetIndicatorButton(this);
        Grid->FIndicatorWidth = Width() - 1;
    }
}

void TdaCustomDBGrid::SetIndicatorButton(TdaIButton* Value) {
    if (Value == FIndicatorButton) return;
    FIndicatorButton = Value;
    if (Value) {
        Value->FreeNotification(this);
        FIndicatorWidth = Value->Width() - 1;
    }
    LayoutChanged();
}

void TdaCustomDBGrid::UpdateRowHeights() {
    const bool Lines = FOptions.Contains(dgRowLines) || !FOptions.Contains(dgRowLinesDisableFixed);
    const int Line = TextHeightW(Font()) + 2 + (Lines ? 1 : 0);
    const int H = Line * FRowHeightPercent / 100;
    if (H != DefaultRowHeight()) SetDefaultRowHeight(H);
    if (FOptions.Contains(dgTitles)) {
        int T = dynamic_cast<TdaCustomDBGrid*>(Parent()) ? Line * FTitleLines + FTitleLines - 1
                                                          : TextHeightW(FTitleFont.get()) * FTitleLines + 4;
        if (FShowSearchRow) T += SearchRowHeight();
        if (!FOptions.Contains(dgRowLines)) T += 1;
        // The title row holds the corner button.
        if (FOptions.Contains(dgIndicator) && FIndicatorButton) {
            T = std::max(T, FIndicatorButton->Height());
            T += FOptions.Contains(dgRowLines) ? -1 : 1;
        }
        SetRowHeights(0, T);
    }
}

void TdaCustomDBGrid::DefineFieldMap() {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS) return;
    if (FUseTFields) {
        for (int I = 0; I < DS->FieldCount(); ++I)
            if (DS->Fields()[I]->Visible()) FDataLink->AddMapping(DS->Fields()[I]->FieldName());
    } else {
        int I = 0;
        while (I < FSelected->Count()) {
            const String Name = daSplitTabs(FSelected->Strings(I))[0];
            if (FDataLink->Active() && !DS->FindField(Name)) {
                FSelected->Delete(I);
                continue;
            }
            FDataLink->AddMapping(Name);
            ++I;
        }
    }
    std::vector<TdaColumn*> Shown, Hidden;
    for (int I = 0; I < FDataLink->FieldCount(); ++I) {
        const String Name = FDataLink->Fields(I)->FieldName();
        TdaColumn* Old = ColumnByName(Name);
        auto* C = new TdaColumn(this, Name);
        C->FFooterValue = Old->FFooterValue;
        C->DisableSizing = Old->DisableSizing;
        C->FSearchValue = Old->FSearchValue;
        C->FDisplayWidth = Old->FDisplayWidth;
        C->FDisplayLabel = Old->FDisplayLabel;
        (C->Visible() ? Shown : Hidden).push_back(C);
    }
    // Columns hidden by the program keep their remembered title and width.
    for (TdaColumn* C : FSavedColItems)
        if (!C->Visible() && std::none_of(Shown.begin(), Shown.end(), [&](TdaColumn* S) {
                return SameText(S->FieldName(), C->FieldName());
            })) {
            auto* Keep = new TdaColumn(this, C->FieldName());
            Keep->FVisible = false;
            Keep->FDisplayWidth = C->FDisplayWidth;
            Keep->FDisplayLabel = C->FDisplayLabel;
            Keep->FFooterValue = C->FFooterValue;
            Hidden.push_back(Keep);
        }
    FreeColItems();
    FColItems = std::move(Shown);
    FSavedColItems = std::move(Hidden);
}

void TdaCustomDBGrid::SetColumnAttributes() {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS) return;
    const int N = FUseTFields ? FDataLink->FieldCount() : FSelected->Count();
    BuildColumnInfoCache();
    const bool Proportional = ProportionalResizeActive();
    const bool Recording = Proportional && OrigColWidths.empty();
    if (Proportional && !Recording) {
        OrigColWidths.assign(size_t(N + 1), 0);
        for (int I = 0; I < N && I + FIndicatorOffset < ColCount(); ++I)
            OrigColWidths[size_t(I)] = ColWidths(I + FIndicatorOffset);
    } else if (Recording) {
        OrigColWidths.assign(size_t(N + 1), 0);
    }
    TBitmap Measure(1, 1);
    TCanvas* MC = Measure.Canvas();
    MC->Font()->Assign(Font());
    const int W0 = MC->TextWidth(u"0");
    std::vector<bool> TabStops(size_t(ColCount()), false);
    ++FUpdatingColWidths;
    TScopeExit Lower([&] { --FUpdatingColWidths; });
    for (int I = 0; I < N && I + FIndicatorOffset < ColCount(); ++I) {
        TField* F = nullptr;
        std::vector<String> Parts;
        if (FUseTFields) {
            F = FDataLink->Fields(I);
        } else {
            Parts = daSplitTabs(FSelected->Strings(I));
            F = DS->FindField(Parts[0]);
        }
        int W;
        if (FUseTFields)
            W = F ? W0 * F->DisplayWidth() + 4 : 64;
        else {
            if (Parts.size() < 2) throw EListError(Format(u"List index out of bounds (%d)", {1}));
            W = StrToInt(Parts[1]) * W0 + 4;
        }
        if (!Proportional && FOptions.Contains(dgTitles) && !FOptions.Contains(dgNoLimitColSize)) {
            String Title = FUseTFields ? (F ? F->DisplayLabel() : String())
                           : Parts.size() > 2 ? Parts[2]
                           : F                ? F->DisplayLabel()
                                              : String();
            MC->Font()->Assign(FTitleFont.get());
            for (const String& Line : daSplitTabs(StringReplace(Title, u"~", u"\t", {rfReplaceAll})))
                W = std::max(W, MC->TextWidth(Line) + 4);
            MC->Font()->Assign(Font());
        }
        if (Recording)
            OrigColWidths[size_t(I)] = W;
        else if (!Proportional)
            SetColWidths(I + FIndicatorOffset, W);
        if (F)
            TabStops[size_t(I + FIndicatorOffset)] =
                !F->ReadOnly() && !ColumnByName(F->FieldName())->ReadOnly() && (FEditCalculated || !F->Calculated());
    }
    FTabStops = std::move(TabStops);
    if (Proportional && N > 0) ApplyProportionalWidths();
}

void TdaCustomDBGrid::ApplyProportionalWidths() {
    const int N = FSelected->Count();
    if (FUseTFields || N == 0 || int(OrigColWidths.size()) < N) return;
    ++FUpdatingColWidths;
    TScopeExit Lower([&] { --FUpdatingColWidths; });
    const int W0 = CharWidth0();
    const int LineW = FOptions.Contains(dgColLines) ? 1 : 0;
    const int MinW = 2 * W0 + 4;
    int T = -1;
    for (int I = 0; I < N; ++I)
        T += OrigColWidths[size_t(I)] + LineW;
    int A = ClientWidth() - 2 - (FOptions.Contains(dgIndicator) ? FIndicatorWidth + 1 : 0);
    for (int I = 0; I < N && I + FIndicatorOffset < ColCount(); ++I) {
        int W;
        if (I == N - 1) {
            W = std::max(A, 0);
        } else {
            W = T > 0 ? (OrigColWidths[size_t(I)] + 1) * A / T : MinW;
            W = (W - 4) / W0 * W0 + 4;
            W = std::max(W, MinW);
        }
        SetColWidths(I + FIndicatorOffset, W);
        daEditSelectedEntry(this, FSelected.get(), String(), I, 1, IntToStr((W - 4) / W0));
        A -= W + LineW;
        T -= OrigColWidths[size_t(I)] + LineW;
    }
}

void TdaCustomDBGrid::LinkActive(bool Value) {
    if (!Value) HideEditor();
    LayoutChanged();
    UpdateScrollBar();
    if (Value) {
        ShiftSelectMode = false;
        ShiftSelectBookmark = TBookmark();
    }
    ClearLastBookmarks();
    if (Value && HandleAllocated()) {
        if (Col() != TempLastCol) ColEnter();
        TempLastCol = Col();
    } else if (Value) {
        CallColEnter = true;
    }
    if (Value) ShouldUpdateFooter = true;
    if (!Value) TempLastCol = -1;
}

void TdaCustomDBGrid::ClearLastBookmarks() {
    LastBookmark = TBookmark();
    LastMasterBookmark = TBookmark();
    HaveLastBookmark = false;
}

void TdaCustomDBGrid::BuildColumnInfoCache() {
    FCacheColInfo.assign(size_t(ColCount()), TdaCacheColInfoItem());
    for (int I = 0; I < ColCount(); ++I) {
        TField* F = FDataLink->Fields(I - FIndicatorOffset);
        if (!F) continue;
        String Type, Params;
        GetControlInfo(F->FieldName(), Type, Params);
        TdaCacheColInfoItem& Item = FCacheColInfo[size_t(I)];
        if (daIsEmbeddedEditType(Type)) {
            // The parameters: the control's name, then "T" when it paints in every row.
            const std::vector<String> Parts = daSplitTabs(StringReplace(Params, u";", u"\t", {rfReplaceAll}));
            Item.AlwaysPaints = Parts.size() > 1 && Parts[1] == u"T";
            TWinControl* Control = nullptr;
            if (IsCustomEditCell(I, 1, Control) && Control != static_cast<TWinControl*>(FDateTimePicker)) {
                Item.CustomControl = Control;
                Control->FreeNotification(this);
            } else {
                Item.AlwaysPaints = false;
                if (Type != u"RichEdit") Type.clear();
            }
        }
        Item.ControlType = Type;
        Item.ControlData = Params;
    }
}

bool TdaCustomDBGrid::IsCustomEditCell(int ACol, int ARow, TWinControl*& CustomEdit) {
    CustomEdit = nullptr;
    if (FEditControlOptions.Contains(ecoDisableCustomControls)) return false;
    TDataSet* DS = FDataLink->DataSet();
    TField* F = ACol >= FIndicatorOffset ? FDataLink->Fields(ACol - FIndicatorOffset) : nullptr;
    if (!F || ARow < FTitleOffset || !FDataLink->Active() || !DS || !DS->Active()) return false;
    TStrings* List = FControlType.get();
    if (daGetControlInfoInDataSet(this))
        if (TStrings* Own = daGetControlType(DS)) List = Own;
    for (int I = 0; I < List->Count(); ++I) {
        const String L = List->Strings(I);
        const int P1 = Pos(u";", L);
        if (P1 == 0 || Copy(L, 1, P1 - 1) != F->FieldName()) continue;
        const String Rest = Copy(L, P1 + 1, Length(L));
        const int P2 = Pos(u";", Rest);
        const String Type = P2 ? Copy(Rest, 1, P2 - 1) : Rest;
        if (!daIsEmbeddedEditType(Type)) continue;
        String Name = P2 ? Copy(Rest, P2 + 1, Length(Rest)) : String();
        if (const int P3 = Pos(u";", Name)) Name = Copy(Name, 1, P3 - 1);
        if (TWinControl* C = Name.empty() ? nullptr : GetComponent(Name)) {
            TCustomForm* Form = GetParentForm(C);
            if (!Form || Form->ClassName() != u"TdaRecordViewForm") {
                CustomEdit = C;
                return true;
            }
        }
        break;
    }
    if (FDateTimePicker && !FEditControlOptions.Contains(ecoDisableDateTimePicker)) {
        const TFieldType T = F->DataType();
        if (T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp) {
            CustomEdit = static_cast<TWinControl*>(FDateTimePicker);
            return true;
        }
    }
    return false;
}

TWinControl* TdaCustomDBGrid::GetComponent(const String& Name) {
    TComponent* Root = FEditControlOptions.Contains(ecoSearchOwnerForm) ? daGetOwnerFormOrFrame(this)
                                                                          : static_cast<TComponent*>(GetParentForm(this));
    if (!Root) return nullptr;
    const int Dot = Pos(u".", Name);
    TComponent* Found = nullptr;
    if (Dot == 0) {
        Found = Root->FindComponent(Name);
    } else {
        const String A = Copy(Name, 1, Dot - 1), B = Copy(Name, Dot + 1, Length(Name));
        if (B.empty()) return nullptr;
        TComponent* First = Root->FindComponent(A);
        if (First && daIsKindOf(First, u"TCustomFrame"))
            Found = First->FindComponent(B);
        else if (TDataSet* DS = FDataLink->DataSet(); DS && DS->Owner())
            Found = DS->Owner()->FindComponent(B);
    }
    return dynamic_cast<TWinControl*>(Found);
}

bool TdaCustomDBGrid::ShouldShowCustomControls() {
    if (FEditControlOptions.Contains(ecoDisableCustomControls)) return false;
    if (ComponentState().Contains(csDesigning) || FOptions.Contains(dgRowSelect)) return false;
    if (!CanEditGrid() && !AlwaysShowControls)
        return Col() < int(FCacheColInfo.size()) && FCacheColInfo[size_t(Col())].AlwaysPaints;
    return true;
}

void TdaCustomDBGrid::SetCurrentCustomEdit(TWinControl* Value) {
    if (FCurrentCustomEdit == Value) return;
    FCurrentCustomEdit = Value;
    if (Value) Value->FreeNotification(this);
}

void TdaCustomDBGrid::UpdateCustomEdit() {
    TWinControl* C = nullptr;
    if (!IsCustomEditCell(Col(), Row(), C)) return;
    if (!ShouldShowCustomControls() && C->ClassName() != u"TdaExpandButton") return;
    SetCurrentCustomEdit(C);
    if (ComponentState().Contains(csDesigning) || C->Parent() != this) return;
    const TRect Cell = CellRect(Col(), Row());
    TRect R = Cell;
    if (C->Top() == R.Top && C->Left() == R.Left && C->Left() + C->Width() == R.Right) return;
    if (TdaColumn* Column = ColumnOfDataCol(Col() - FIndicatorOffset); Column && Column->DisableSizing) {
        if (R.Width() < C->Width()) R.Right = R.Left + C->Width();
        if (R.Height() < C->Height()) R.Bottom = R.Top + C->Height();
        if (Parent() && Top() + R.Bottom > Parent()->ClientHeight()) {
            const int H = R.Height();
            R.Bottom = Cell.Bottom;
            R.Top = R.Bottom - H;
        }
    }
    C->SetBoundsRect(R);
}

void TdaCustomDBGrid::GetControlInfo(const String& AFieldName, String& AControlType, String& AParameters) const {
    AControlType.clear();
    AParameters.clear();
    // The last line naming the field counts.
    for (int I = 0; I < FControlType->Count(); ++I) {
        const String L = FControlType->Strings(I);
        const int P1 = Pos(u";", L);
        if (P1 == 0 || Copy(L, 1, P1 - 1) != AFieldName) continue;
        const String Rest = Copy(L, P1 + 1, Length(L));
        const int P2 = Pos(u";", Rest);
        AControlType = P2 ? Copy(Rest, 1, P2 - 1) : Rest;
        AParameters = P2 ? Copy(Rest, P2 + 1, 255) : String();
    }
}

bool TdaCustomDBGrid::IsCheckBox(int ACol, int ARow, String& CheckBoxOn, String& CheckBoxOff) const {
    TField* F = FDataLink->Fields(ACol - FIndicatorOffset);
    if (!DataSource() || !DataSource()->DataSet() || !F || ARow - FTitleOffset < 0) return false;
    bool Found = false;
    for (int I = 0; I < FControlType->Count(); ++I) {
        const std::vector<String> Parts =
            daSplitTabs(StringReplace(FControlType->Strings(I), u";", u"\t", {rfReplaceAll}));
        if (Parts.size() >= 4 && Parts[0] == F->FieldName() && Parts[1] == u"CheckBox") {
            CheckBoxOn = Parts[2];
            CheckBoxOff = Parts[3];
            Found = true;
        }
    }
    return Found;
}

bool TdaCustomDBGrid::IsSelectedCheckBoxColumn(int ACol) const {
    String On, Off;
    TField* F = FDataLink->Fields(ACol - FIndicatorOffset);
    return F && F->Calculated() && SameText(F->FieldName(), u"selected") && IsCheckBox(ACol, FTitleOffset, On, Off);
}

bool TdaCustomDBGrid::IsMemoField(int ACol, int ARow) const {
    if (ARow < FTitleOffset) return false;
    TField* F = FDataLink->Fields(ACol - FIndicatorOffset);
    if (!F) return false;
    const TFieldType T = F->DataType();
    return F->IsBlob() && (T == ftMemo || T == ftOraBlob || T == ftOraClob || T == ftWideMemo);
}

// ---- Masks kept by the grid -----------------------------------------------------------------------

namespace {
// Writes part Index (1 mask, 2 auto-fill, 3 in use) of a field's TAB line; a new line gets the
// flags "T".
void SetMaskPart(TStrings* List, const String& FieldName, int Index, const String& Value) {
    int Line = SelectedLineOf(List, FieldName);
    if (Line < 0) Line = List->Add(FieldName + u"\t\tT\tT");
    std::vector<String> Parts = daSplitTabs(List->Strings(Line));
    Parts.resize(std::max<size_t>(Parts.size(), 4));
    Parts[size_t(Index)] = Value;
    List->SetString(Line, JoinTabs(Parts));
}
} // namespace

void TdaCustomDBGrid::SetPictureMask(const String& FieldName, const String& Mask) {
    if (DataSource()) SetMaskPart(FPictureMasks.get(), FieldName, 1, Mask);
}

void TdaCustomDBGrid::SetPictureAutoFill(const String& FieldName, bool AutoFill) {
    if (DataSource()) SetMaskPart(FPictureMasks.get(), FieldName, 2, AutoFill ? u"T" : u"F");
}

void TdaCustomDBGrid::SetRegex(const String& FieldName, const String& Mask, const String& ErrorMsg,
                               bool CaseSensitive) {
    int Line = SelectedLineOf(FRegexMasks.get(), FieldName);
    const String Text = FieldName + u"\t" + Mask + u"\t" + (CaseSensitive ? u"T" : u"F") + u"\t" + ErrorMsg;
    if (Line < 0)
        FRegexMasks->Add(Text);
    else
        FRegexMasks->SetString(Line, Text);
}

// ---- Record tracking ------------------------------------------------------------------------------

void TdaCustomDBGrid::UpdateRowCount() {
    if (InUpdateRowCount) return;
    TFlagScope Guard(InUpdateRowCount);
    const bool KeepLeft = FOptions.Contains(dgRowSelect);
    const int OldLeft = LeftCol();
    if (KeepLeft) BeginUpdate();
    if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
    SetFixedRows(FTitleOffset);
    TDataSet* DS = FDataLink->DataSet();
    if (FDataLink->Active() && DS && DS->Active() && FDataLink->RecordCount() > 0) {
        SetRowCount(1000);
        const int Visible = std::max(VisibleRowCount(), 1);
        if (Visible < FDataLink->BufferCount() && Row() - FTitleOffset >= Visible) {
            Invalidate();
            DoTopRowChanged();
        }
        FDataLink->SetBufferCount(Visible);
        SetRowCount(FDataLink->RecordCount() + FTitleOffset);
        UpdateActiveRecord();
    } else {
        SetRowCount(FTitleOffset + 1);
    }
    if (KeepLeft) {
        if (OldLeft < ColCount()) SetLeftCol(OldLeft);
        EndUpdate();
        Invalidate();
    }
}

void TdaCustomDBGrid::UpdateActiveRecord() {
    if (!FDataLink->Active()) return;
    const int NewRow = FDataLink->ActiveRecord() + FTitleOffset + FRowOffset;
    if (NewRow != Row()) {
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        int Target = NewRow;
        if (Target >= RowCount()) {
            UpdateRowCount();
            Target = RowCount() - 1;
        }
        if (Target >= FTitleOffset && Target < RowCount()) MoveColRow(Col(), Target, true, false);
    }
    TField* F = SelectedField();
    if (F && F->Text() != FEditText) InvalidateEditor();
}

void TdaCustomDBGrid::UpdateScrollBar() {
    TDataSet* DS = FDataLink->DataSet();
    if (!FShowVertScrollBar || !FDataLink->Active() || !DS || !DS->Active() || !HandleAllocated()) return;
    TScrollInfo Old;
    Old.fMask = SIF_ALL;
    GetScrollInfo(WindowHandle(), SB_VERT, Old);
    TScrollInfo I = Old;
    I.fMask = SIF_ALL;
    if (DS->IsSequenced()) {
        I.nMin = 1;
        I.nPage = UINT(std::max(VisibleRowCount(), 1));
        I.nMax = int(DS->RecordCount() + int(I.nPage) - 1);
        if (DS->State() == dsInactive || DS->State() == dsBrowse || DS->State() == dsEdit) I.nPos = DS->RecNo();
    } else {
        I.nMin = 0;
        I.nMax = 4;
        I.nPage = 0;
        I.nPos = DS->Bof() ? 0 : DS->Eof() ? 4 : 2;
    }
    if (I.nMin == Old.nMin && I.nMax == Old.nMax && I.nPage == Old.nPage && I.nPos == Old.nPos) return;
    if (I.nMax - I.nMin <= 1) {
        I.nMin = 1;
        I.nMax = 1001;
        I.nPage = 1000;
    }
    SetScrollInfo(WindowHandle(), SB_VERT, I, true);
}

void TdaCustomDBGrid::DataChanged() {
    if (!HandleAllocated() || SkipDataChange) return;
    UpdateFooterIfNeeded();
    TDataSet* DS = FDataLink->DataSet();
    if (!SkipHideControls && DS &&
        ((DS->State() == dsInsert && !(DS->Bof() && DS->Eof())) || DS->State() == dsBrowse))
        HideControls();
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActiveRecord();
    InvalidateEditor();
    Invalidate();
    CheckRowChanged();
}

void TdaCustomDBGrid::Scroll(int Distance) {
    if (!HandleAllocated()) return;
    TRect OldRect = CellRect(0, Row());
    UpdateScrollBar();
    UpdateActiveRecord();
    InvalidateRow(Row());
    if (!OldRect.IsEmpty()) {
        OldRect.Left = 0;
        OldRect.Right = ClientWidth();
        InvalidateRect(WindowHandle(), &OldRect, false);
    }
    if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    TScopeExit EditorStep([&] {
        if (FOptions.Contains(dgAlwaysShowEditor) && !HasControlInCell(Col(), Row()) && !IsMemoField(Col(), Row()))
            ShowEditorIfAllowed();
    });
    if (Distance != 0) HideControls();
    if (std::abs(Distance) > VisibleRowCount()) {
        DoTopRowChanged();
        CheckRowChanged();
        Invalidate();
        return;
    }
    if (Distance & 1) AlternatingEven = !AlternatingEven;
    if (Distance != 0) {
        // The rows below the titles show other records now.
        TRect R = ClientRect();
        R.Top = FTitleOffset ? RowHeights(0) + GridLineWidth() : 0;
        InvalidateRect(WindowHandle(), &R, false);
        DoTopRowChanged();
    }
    CheckRowChanged();
}

void TdaCustomDBGrid::CheckRowChanged() {
    TDataSet* DS = FDataLink->DataSet();
    const bool Saved = DisableCellChangedEvent;
    TScopeExit Restore([&] { DisableCellChangedEvent = Saved; });
    if (DS && DS->Active() && (OnRowChanged || OnCellChanged || OnUpdateFooter || !FGroupFieldName.empty())) {
        const TBookmark Current = DS->GetBookmark();
        bool Changed = !HaveLastBookmark;
        if (!Changed) {
            const int C = DS->CompareBookmarks(Current, LastBookmark);
            Changed = C != 0 && (CompareBookmarksAltMethod || C != 2);
            if (Current.IsEmpty() && DS->State() == dsInsert) Changed = true;
        }
        if (Changed) {
            DoRowChanged();
            DisableCellChangedEvent = true;
        }
        LastBookmark = Current;
        HaveLastBookmark = true;
    }
    if (CallColEnter) {
        CallColEnter = false;
        ColEnter();
        DoUpdateFooter();
    }
    FreeHintWindow();
}

void TdaCustomDBGrid::UpdateFooterIfNeeded() {
    TDataSet* DS = FDataLink->DataSet();
    if (!OnUpdateFooter || !HandleAllocated() || !DataSource() || DataSource()->State() != dsBrowse || !DS) return;
    if (!ShouldUpdateFooter) {
        if (HaveLastBookmark && DS->Bof() && DS->Eof())
            ShouldUpdateFooter = true;
        else if (HaveLastBookmark && !LastBookmark.IsEmpty() && !DS->BookmarkValid(LastBookmark))
            ShouldUpdateFooter = true;
    }
    if (ShouldUpdateFooter) {
        DoUpdateFooter();
        ShouldUpdateFooter = false;
    }
}

void TdaCustomDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    if (!Field) {
        InvalidateRow(Row());
    } else {
        for (int I = 0; I < FDataLink->FieldCount(); ++I)
            if (FDataLink->Fields(I) == Field) InvalidateCell(I + FIndicatorOffset, Row());
    }
    TField* F = SelectedField();
    if ((!Field || Field == F) && F && F->Text() != FEditText) {
        InvalidateEditor();
        if (InplaceEditor()) InplaceEditor()->SetSelLength(0);
    }
}

bool TdaCustomDBGrid::AcquireFocusForScroll() {
    if (!FAcquireFocus || !CanFocus() || ComponentState().Contains(csDesigning)) return true;
    if (!Focused() && !(InplaceEditor() && InplaceEditor()->Focused())) SetFocus();
    return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

bool TdaCustomDBGrid::CanEditModify() const {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS) return false;
    if (DS->Bof() && DS->Eof() && DS->State() == dsBrowse && !FKeyOptions.Contains(dgAllowInsert)) return false;
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly() || FDataLink->FieldCount() == 0) return false;
    TField* F = SelectedField();
    if (!F) return false;
    const bool Modifiable = !F->ReadOnly() && F->FieldKind() == fkData && DS->CanModify();
    if (!Modifiable && !(FEditCalculated && (F->Calculated() || F->Lookup()) && !F->ReadOnly())) return false;
    if (ColumnByName(F->FieldName())->ReadOnly()) return false;
    auto* Link = const_cast<TdaGridDataLink*>(FDataLink.get());
    Link->Edit();
    if (!Link->Editing()) return false;
    Link->Modified();
    return true;
}

void TdaCustomDBGrid::ShowValidationError(TField* Field, const String& Message) {
    daEditValidationError(this, Field, Message);
}

void TdaCustomDBGrid::PostEditText() {
    TdaInplaceEdit* E = Editor();
    TField* F = SelectedField();
    if (E && FDataLink->IsModified()) {
        const String Text = E->Text();
        if (!E->RegexMask().Mask.empty()) {
            auto& Match = TdaMaskServices::Instance().RegexMatch;
            const bool OK = Match && Match(E->RegexMask().Mask, !E->RegexMask().CaseSensitive, Text);
            if (!OK) ShowValidationError(F, E->RegexMask().ErrorMessage);
        } else if (E->HavePictureMask() && !E->IsValidPictureValue(Text) && !E->Picture().AllowInvalidExit()) {
            E->DoRefreshValidationDisplay(false);
            ShowValidationError(F, String());
            return;
        }
    }
    if (!F) return;
    const bool Same = F->Text() == FEditText;
    const TFieldType T = F->DataType();
    if ((T == ftInteger || T == ftSmallint || T == ftLargeint || T == ftFloat || T == ftCurrency) &&
        !FEditText.empty() && !F->DisplayFormat().empty()) {
        double V;
        // The display text read back without its grouping and the format's own characters.
        String Digits;
        for (Char C : FEditText)
            if ((C >= u'0' && C <= u'9') || C == u'-' || C == FormatSettings.DecimalSeparator) Digits += C;
        if (TryStrToFloat(Digits, V)) {
            if (T == ftFloat || T == ftCurrency)
                F->SetAsFloat(V);
            else
                F->SetAsInteger(int(std::lround(V)));
            if (!Same) DoFieldChanged(F);
            return;
        }
    }
    if (!Same) F->SetText(FEditText);
}

// ---- Hooks and small operations --------------------------------------------------------------------

void TdaCustomDBGrid::ColEnter() {
    if (OnColEnter) OnColEnter(this);
    DoCellChanged();
}

void TdaCustomDBGrid::ColExit() {
    if (OnColExit) OnColExit(this);
}

void TdaCustomDBGrid::DoCellChanged() {
    if (DisableCellChangedEvent) return;
    if (OnCellChanged) OnCellChanged(this);
}

void TdaCustomDBGrid::DoRowChanged() {
    if (OnRowChanged) OnRowChanged(this);
    DoCellChanged();
}

void TdaCustomDBGrid::DoTopRowChanged() {
    if (OnTopRowChanged) OnTopRowChanged(this);
    if (!FGroupFieldName.empty()) Invalidate();
}

void TdaCustomDBGrid::DoFieldChanged(TField* Field) {
    if (OnFieldChanged) OnFieldChanged(this, Field);
}

void TdaCustomDBGrid::DoUpdateFooter() {
    if (OnUpdateFooter) OnUpdateFooter(this);
}

void TdaCustomDBGrid::DoTitleButtonClick(const String& FieldName) {
    if (OnTitleButtonClick) OnTitleButtonClick(this, FieldName);
}

void TdaCustomDBGrid::DoURLOpen(String& URLLink, TField* Field, bool& UseDefault) {
    if (OnURLOpen) OnURLOpen(this, URLLink, Field, UseDefault);
}

void TdaCustomDBGrid::DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TdaCustomDBGrid::DoCreateHintWindow(TdaGridHintWindow* Hint, TField* AField, const TRect& R, bool& WordWrap,
                                         int& MaxWidth, int& MaxHeight, bool& DoDefault) {
    if (OnCreateHintWindow) OnCreateHintWindow(this, Hint, AField, R, WordWrap, MaxWidth, MaxHeight, DoDefault);
}

void TdaCustomDBGrid::FlushChanges() { FDataLink->UpdateRecord(); }

bool TdaCustomDBGrid::CanEditGrid() const { return FOptions.Contains(dgEditing) && !FReadOnly; }

void TdaCustomDBGrid::ShowEditorIfAllowed() {
    TField* F = SelectedField();
    if (FEditControlOptions.Contains(ecoDisableEditorIfReadOnly) && F && ColumnByName(F->FieldName())->ReadOnly())
        return;
    ShowEditor();
}

// ---- Editor hooks ---------------------------------------------------------------------------------

TInplaceEdit* TdaCustomDBGrid::CreateEditor() { return new TdaInplaceEdit(this); }

bool TdaCustomDBGrid::CanEditShow() const {
    return TCustomGrid::CanEditShow() && FDataLink->Active() && SelectedField() && !FReadOnly;
}

bool TdaCustomDBGrid::CanEditAcceptKey(Char Key) const {
    TField* F = SelectedField();
    if (!FDataLink->Active() || FDataLink->FieldCount() == 0 || !F) return false;
    const TFieldType T = F->DataType();
    switch (T) {
    case ftSmallint: case ftInteger: case ftWord: case ftLargeint: case ftAutoInc:
        return (Key >= u'0' && Key <= u'9') || Key == u'-' || Key == u'+';
    case ftFloat: case ftCurrency: case ftBCD:
        return (Key >= u'0' && Key <= u'9') || Key == u'-' || Key == u'+' || Key == u'e' || Key == u'E' ||
               Key == FormatSettings.DecimalSeparator;
    default:
        return true;
    }
}

int TdaCustomDBGrid::GetEditLimit() {
    TField* F = SelectedField();
    return F && (F->DataType() == ftString || F->DataType() == ftWideString) ? F->Size() : 0;
}

String TdaCustomDBGrid::GetEditMask(int ACol, int) {
    TField* F = FDataLink->Fields(ACol - FIndicatorOffset);
    return F ? F->EditMask() : String();
}

String TdaCustomDBGrid::GetEditText(int ACol, int) {
    TField* F = FDataLink->Fields(ACol - FIndicatorOffset);
    FEditText = F ? F->Text() : String();
    return FEditText;
}

void TdaCustomDBGrid::SetEditText(int, int, const String& Value) { FEditText = Value; }


// ---- Focus, size and scroll messages --------------------------------------------------------------

void TdaCustomDBGrid::WMSetFocus(TWMSetFocus& Message) {
    TCustomGrid::WMSetFocus(Message);
    FFocused = true;
    InstallKeyboardHook();
    if (ActiveRecordColor != clNone && !FOptions.Contains(dgAlwaysShowSelection)) InvalidateCurrentRow();
}

void TdaCustomDBGrid::WMKillFocus(TWMKillFocus& Message) {
    // The focus going to our own editor is no exit from the grid.
    const bool ToEditor = InplaceEditor() && Message.FocusedWnd() != 0 &&
                          Message.FocusedWnd() == InplaceEditor()->WindowHandle();
    if (!ToEditor && !FocusExit()) return;
    // The hook stays while the focus is on a control inside the grid: that is what it is for.
    TWinControl* To = Message.FocusedWnd() ? FindControl(Message.FocusedWnd()) : nullptr;
    bool Inside = false;
    for (TWinControl* P = To; P && !Inside; P = P->Parent()) Inside = P == this;
    if (!Inside && !dynamic_cast<TdaCustomDBGrid*>(Parent())) RemoveKeyboardHook();
    TCustomGrid::WMKillFocus(Message);
}

bool TdaCustomDBGrid::FocusExit() {
    if (FDataLink->Active()) {
        try {
            TDataSet* DS = FDataLink->DataSet();
            if (FOptions.Contains(dgCancelOnExit) && DS->State() == dsInsert && !DS->Modified() &&
                !FDataLink->IsModified()) {
                if (CancelInsertOnExit())
                    DS->Cancel();
                else
                    FDataLink->UpdateRecord();
            } else {
                FDataLink->UpdateRecord();
            }
            if (!FOptions.Contains(dgAlwaysShowSelection)) InvalidateCurrentRow();
        } catch (const Exception&) {
            // A value the field refuses keeps the focus here.
            if (CanFocus()) SetFocus();
            return false;
        }
    }
    FFocused = false;
    return true;
}

void TdaCustomDBGrid::WMSize(TWMSize& Message) {
    if (ProportionalResizeActive() && FDataLink->FieldCount() > 0) ApplyProportionalWidths();
    TCustomGrid::WMSize(Message);
    if (FUpdateLock == 0 && HandleAllocated()) {
        HideControls();
        HideEditor();
        UpdateRowCount();
        if (AllowPerfectFit()) DoPerfectFit();
        TDataSet* DS = FDataLink->DataSet();
        if (DS && DS->Active() && DS->Bof() && DS->Eof()) Invalidate();
    }
}

void TdaCustomDBGrid::WMVScroll(int Code) {
    TDataSet* DS = FDataLink->DataSet();
    if (!FDataLink->Active() || !DS || !AcquireFocusForScroll()) return;
    auto Untouched = [&] { return DS->State() == dsInsert && !DS->Modified() && !FDataLink->IsModified(); };
    switch (Code) {
    case SB_LINEUP:
        if (Untouched() && DS->Eof())
            DS->Cancel();
        else
            PriorRow();
        break;
    case SB_LINEDOWN:
        if (Untouched()) {
            if (!DS->Eof()) DS->Cancel();
        } else {
            NextRow();
        }
        break;
    case SB_PAGEUP:
        DS->MoveBy(-VisibleRowCount());
        break;
    case SB_PAGEDOWN:
        DS->MoveBy(VisibleRowCount());
        break;
    case SB_THUMBPOSITION: {
        TScrollInfo I;
        I.fMask = SIF_TRACKPOS;
        GetScrollInfo(WindowHandle(), SB_VERT, I);
        const int P = I.nTrackPos;
        if (DS->IsSequenced()) {
            DS->CheckBrowseMode();
            const int Old = DS->RecNo();
            if (P <= 1)
                DS->First();
            else if (P < DS->RecordCount())
                DS->SetRecNo(P);
            else
                DS->Last();
            if (DS->RecNo() != Old) DoTopRowChanged();
        } else {
            switch (P) {
            case 0: DS->First(); break;
            case 1: DS->MoveBy(-VisibleRowCount()); break;
            case 3: DS->MoveBy(VisibleRowCount()); break;
            case 4: DS->Last(); break;
            default: break;
            }
        }
        break;
    }
    case SB_TOP:
        DS->First();
        break;
    case SB_BOTTOM:
        DS->Last();
        break;
    default:
        break;
    }
}

TRect TdaCustomDBGrid::GetClientRect() const {
    TRect R = TCustomGrid::GetClientRect();
    if (FOptions.Contains(dgShowFooter)) {
        int H = FFooterHeight;
        if (H == 0) H = TextHeightW(Font()) + 6;
        if (FOptions.Contains(dgFooter3DCells)) H += 2;
        R.Bottom = std::max(R.Top, R.Bottom - H);
    }
    return R;
}

TRect TdaCustomDBGrid::GetFooterRect() const {
    TRect R;
    R.Left = 0;
    R.Right = ClientWidth();
    R.Top = FOptions.Contains(dgShowFooter) ? GetClientRect().Bottom : ClientHeight() + 3;
    R.Bottom = FFooterHeight ? R.Top + FFooterHeight - 1 : R.Top + TextHeightW(Font()) + 6;
    if (FOptions.Contains(dgFooter3DCells)) R.Bottom += 2;
    return R;
}

int TdaCustomDBGrid::GetEffectiveFooterHeight() const {
    if (!FOptions.Contains(dgShowFooter)) return 0;
    int H = FFooterHeight ? FFooterHeight + 1 : TextHeightW(Font()) + 8;
    if (FOptions.Contains(dgFooter3DCells)) H += 2;
    return H;
}

void TdaCustomDBGrid::InvalidateFooter() {
    if (!HandleAllocated()) return;
    const TRect R = GetFooterRect();
    InvalidateRect(WindowHandle(), &R, false);
}

void TdaCustomDBGrid::InvalidateTitles() {
    if (!HandleAllocated() || !FOptions.Contains(dgTitles)) return;
    for (int C = FIndicatorOffset; C < ColCount(); ++C)
        InvalidateCell(C, 0);
}

void TdaCustomDBGrid::InvalidateCurrentRow() {
    if (HandleAllocated()) InvalidateRow(Row());
}

void TdaCustomDBGrid::BeginUpdate() {
    if (!HandleAllocated() || !Showing()) return;
    if (FUpdateCount++ == 0) Perform(WM_SETREDRAW, 0, 0);
}

void TdaCustomDBGrid::EndUpdate(bool Repaint) {
    if (!HandleAllocated() || !Showing()) return;
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0) {
        Perform(WM_SETREDRAW, 1, 0);
        if (Repaint) Invalidate();
    }
}

// ---- Geometry --------------------------------------------------------------------------------------

TRect TdaCustomDBGrid::CellRect(int ACol, int ARow) const {
    TRect R = TCustomGrid::CellRect(ACol, ARow);
    if (!R.IsEmpty()) {
        R.Right = R.Left + ColWidths(ACol);
        if (ARow >= FTitleOffset) R.Bottom = R.Top + DefaultRowHeight();
    }
    return R;
}

int TdaCustomDBGrid::SearchRowHeight() const { return TextHeightW(FTitleFont.get()) + 2; }

void TdaCustomDBGrid::TitleCellRect(int ACol, int ARow, TRect& Rect, bool EntireTitle) const {
    Rect = CellRect(ACol, ARow);
    if (Rect.IsEmpty()) return;
    if (FShowSearchRow) Rect.Bottom -= SearchRowHeight();
    Rect.Right = Rect.Left + ColWidths(ACol);
    if (ACol >= FIndicatorOffset && !EntireTitle && !ColumnOfDataCol(ACol - FIndicatorOffset)->GroupName().empty())
        Rect.Top += Rect.Height() / 2;
}

void TdaCustomDBGrid::SearchCellRect(int ACol, int ARow, TRect& Rect) const {
    TitleCellRect(ACol, ARow, Rect, true);
    if (FShowSearchRow) {
        const TRect Cell = CellRect(ACol, ARow);
        Rect.Top = Rect.Bottom;
        Rect.Bottom = Cell.Bottom;
    }
}

void TdaCustomDBGrid::GroupNameCellRect(int ACol, int, TRect& Rect, bool VisibleOnly, int& EndCol,
                                        int& StartCol) const {
    Rect = CellRect(ACol, 0);
    if (FShowSearchRow) Rect.Bottom -= SearchRowHeight();
    StartCol = EndCol = ACol;
    if (ACol < FIndicatorOffset) return;
    const String G = ColumnOfDataCol(ACol - FIndicatorOffset)->GroupName();
    if (G.empty()) return;
    const int Lo = VisibleOnly ? LeftCol() : FIndicatorOffset;
    const int Hi = VisibleOnly ? std::min(ColCount() - 1, LeftCol() + VisibleColCount()) : ColCount() - 1;
    auto Group = [&](int C) { return ColumnOfDataCol(C - FIndicatorOffset)->GroupName(); };
    while (StartCol - 1 >= Lo && Group(StartCol - 1) == G)
        --StartCol;
    while (EndCol + 1 <= Hi && Group(EndCol + 1) == G)
        ++EndCol;
    const int W = FOptions.Contains(dgColLines) ? 1 : 0;
    if (StartCol < LeftCol() && StartCol >= FixedCols()) {
        const TRect First = CellRect(LeftCol(), 0);
        int L = First.Left;
        for (int C = StartCol; C < LeftCol(); ++C)
            L -= ColWidths(C) + W;
        Rect.Left = L;
        int R = First.Left;
        for (int C = LeftCol(); C <= EndCol; ++C)
            R += ColWidths(C) + W;
        Rect.Right = R - W;
    } else {
        const TRect S = CellRect(StartCol, 0);
        if (!S.IsEmpty()) Rect.Left = S.Left;
        int R = Rect.Left;
        for (int C = StartCol; C <= EndCol; ++C)
            R += ColWidths(C) + W;
        Rect.Right = R - W;
    }
    Rect.Bottom = Rect.Top + Rect.Height() / 2;
}

void TdaCustomDBGrid::DragTitleCellRect(int ACol, TRect& Rect, int Y) const {
    if (!FOptions.Contains(dgTitles)) {
        Rect = TRect();
        return;
    }
    TitleCellRect(ACol, 0, Rect, true);
    if (ACol < FIndicatorOffset || ColumnOfDataCol(ACol - FIndicatorOffset)->GroupName().empty()) return;
    const int Half = Rect.Top + Rect.Height() / 2;
    if (Y < Half) {
        int E, S;
        const TRect Cell = Rect;
        GroupNameCellRect(ACol, 0, Rect, false, E, S);
        Rect.Bottom = Cell.Bottom;
    } else {
        Rect.Top = Half;
    }
}

TGridCoord TdaCustomDBGrid::MouseCoord(int X, int Y) const { return TCustomGrid::MouseCoord(X, Y); }

bool TdaCustomDBGrid::RowIsValid(int ARow) const {
    return ARow >= FTitleOffset && ARow - FTitleOffset < FDataLink->RecordCount() - FRowOffset;
}

void TdaCustomDBGrid::TopLeftChanged() {
    FreeHintWindow();
    TCustomGrid::TopLeftChanged();
    if (OnLeftColChanged) OnLeftColChanged(this, LeftCol());
    if (!HandleAllocated()) return;
    Invalidate();
}

void TdaCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    const int From = FromIndex - FIndicatorOffset, To = ToIndex - FIndicatorOffset;
    if (!FUseTFields) {
        if (From >= 0 && To >= 0 && From < FSelected->Count() && To < FSelected->Count()) FSelected->Move(From, To);
        LayoutChanged();
    } else if (FDataLink->Active()) {
        TField* F = FDataLink->Fields(From);
        TField* Target = FDataLink->Fields(To);
        if (F && Target) F->SetIndex(Target->Index());
    }
    InvalidateFooter();
    if (OnColumnMoved) OnColumnMoved(this, From, To);
}

void TdaCustomDBGrid::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if (FUpdatingColWidths || !FUpdateFields || !FDataLink->Active() || !HandleAllocated() || FUpdateLock) return;
    {
        ++FUpdateLock;
        TScopeExit Unlock([&] { --FUpdateLock; });
        const int C0 = CharWidth0();
        auto Chars = [&](int W) { return (W + std::max(0, C0 / 2 - 3) - 4) / C0; };
        if (FUseTFields) {
            for (int I = 0; I < FDataLink->FieldCount(); ++I)
                if (TField* F = FDataLink->Fields(I)) F->SetDisplayWidth(Chars(ColWidths(I + FIndicatorOffset)));
        } else {
            for (int I = 0; I < FSelected->Count() && I + FIndicatorOffset < ColCount(); ++I) {
                std::vector<String> Parts = daSplitTabs(FSelected->Strings(I));
                std::vector<String> Out{Parts[0], IntToStr(Chars(ColWidths(I + FIndicatorOffset))),
                                        Parts.size() > 2 ? Parts[2] : String()};
                if (Parts.size() > 3) Out.push_back(Parts[3]);
                if (Parts.size() > 4) Out.push_back(Parts[4]);
                FSelected->SetString(I, JoinTabs(Out));
            }
        }
    }
    LayoutChanged();
}

bool TdaCustomDBGrid::GetPriorRecordText(const String& FieldName, String& Text) {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS || !DS->Active() || !DS->FindField(FieldName) || FDataLink->ActiveRecord() <= 0) return false;
    TActiveRecordScope Scope(*FDataLink, FDataLink->ActiveRecord() - 1);
    Text = DS->FindField(FieldName)->AsString();
    return true;
}

bool TdaCustomDBGrid::GetNextRecordText(const String& FieldName, String& Text) {
    TDataSet* DS = FDataLink->DataSet();
    if (!DS || !DS->Active() || !DS->FindField(FieldName) || FDataLink->ActiveRecord() >= FDataLink->RecordCount() - 1)
        return false;
    TActiveRecordScope Scope(*FDataLink, FDataLink->ActiveRecord() + 1);
    Text = DS->FindField(FieldName)->AsString();
    return true;
}

void TdaCustomDBGrid::GetURLLink(const String& Value, String& DisplayString, String& URL) {
    const size_t Hash = Value.find(u'#');
    if (Hash == String::npos) {
        DisplayString = Value;
        URL = Value;
        return;
    }
    DisplayString = Value.substr(0, Hash);
    const size_t Next = Value.find(u'#', Hash + 1);
    URL = Value.substr(Hash + 1, Next == String::npos ? String::npos : Next - Hash - 1);
    if (URL.empty()) URL = DisplayString;
}

// ---- Title menu settings ----------------------------------------------------------------------

void TdaTitleMenuAttributes::SetOptions(TdaSortFilterOptions Value) {
    if (FOptions == Value) return;
    FOptions = Value;
    if (FGrid) FGrid->Invalidate();
}

void TdaTitleMenuAttributes::SetMenuEnabled(bool Value) {
    FMenuEnabled = Value;
    if (FGrid) FGrid->Invalidate();
}

bool TdaTitleMenuAttributes::TitleMenuEnabled() const {
    return FMenuEnabled && (FOptions.Contains(sfoSortAscending) || FOptions.Contains(sfoSortDescending) ||
                            FOptions.Contains(sfoFilter) || FOptions.Contains(sfoGrouping) ||
                            FOptions.Contains(sfoSelectColumns));
}

void TdaTitleMenuAttributes::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TdaTitleMenuAttributes*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    SetOptions(Other->FOptions);
    SetMenuEnabled(Other->FMenuEnabled);
}

// ---- Columns shown, their widths, and the order of the records --------------------------------

void TdaCustomDBGrid::AddField(const String& AFieldName, int Position, bool Redraw) {
    TDataSet* DS = FDataLink->DataSet();
    if (FUseTFields) {
        if (TField* F = DS ? DS->FindField(AFieldName) : nullptr) F->SetVisible(true);
        return;
    }
    if (SelectedLineOf(FSelected.get(), AFieldName) >= 0) return;
    String Line;
    if (TdaColumn* C = ColumnByName(AFieldName); C && !C->IsDummy())
        Line = AFieldName + u"\t" + IntToStr(C->DisplayWidth()) + u"\t" + C->DisplayLabel();
    else if (TField* F = DS ? DS->FindField(AFieldName) : nullptr)
        Line = AFieldName + u"\t" + IntToStr(F->DisplayWidth()) + u"\t" + F->DisplayLabel();
    else
        Line = AFieldName + u"\t10\t" + AFieldName;
    if (Position < 0 || Position >= FSelected->Count())
        FSelected->Add(Line);
    else
        FSelected->Insert(Position, Line);
    if (Redraw) ApplySelected();
}

void TdaCustomDBGrid::RemoveField(const String& AFieldName, bool Redraw) {
    if (FUseTFields) {
        TDataSet* DS = FDataLink->DataSet();
        if (TField* F = DS ? DS->FindField(AFieldName) : nullptr) F->SetVisible(false);
        return;
    }
    const int I = SelectedLineOf(FSelected.get(), AFieldName);
    if (I < 0) return;
    FSelected->Delete(I);
    if (Redraw) ApplySelected();
}

void TdaCustomDBGrid::Sort(const String& AFieldName, bool Descending) {
    if (OnBeforeMenuSort) {
        bool DoDefault = false;
        OnBeforeMenuSort(this, AFieldName, Descending, DoDefault);
        if (!DoDefault) return;
    }
    TDataSet* DS = FDataLink->DataSet();
    if (!DataSource() || !DS) return;
    daSortByField(DS, AFieldName, Descending, FTitleMenuAttributes->Options().Contains(sfoCreateIndexes));
    if (OnAfterMenuSort) OnAfterMenuSort(this, AFieldName, Descending);
}

void TdaCustomDBGrid::DoOnAddSelectColumn(TField* Field, String& NodeGroups, bool& CanAdd) {
    CanAdd = true;
    NodeGroups.clear();
    if (OnAddSelectColumn) OnAddSelectColumn(this, Field, NodeGroups, CanAdd);
}

void TdaCustomDBGrid::AutoSizeColumn(int ACol) {
    TdaColumn* Column = ColumnOfDataCol(ACol - FIndicatorOffset);
    TField* Field = Fields(ACol - FIndicatorOffset);
    if (!Column || !Field || !FDataLink->Active()) return;
    Canvas()->Font()->Assign(Font());
    int Widest = 0;
    {
        TActiveRecordScope Scope(*FDataLink, FDataLink->ActiveRecord());
        for (int R = 0; R < FDataLink->RecordCount(); ++R) {
            FDataLink->SetActiveRecord(R);
            Widest = std::max(Widest, Canvas()->TextWidth(Field->DisplayText()));
        }
    }
    const int Needed = Widest + 4;
    const int Width = ColWidths(ACol);
    // A narrow column grows only within half the grid; a wide one shrinks to its text.
    if (Width < Needed && !(Width <= ClientWidth() / 2 && Needed <= ClientWidth() / 2)) return;
    const int Zero = std::max(1, Canvas()->TextWidth(u"0"));
    Column->SetDisplayWidth(Needed / Zero);
}

void TdaCustomDBGrid::SizeLastColumn() {
    if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
    {
        ++FUpdatingColWidths;
        TScopeExit Done([&] { --FUpdatingColWidths; });
        SetColumnAttributes();
    }
    const int Line = GridLineWidth();
    int W = FShowVertScrollBar ? GetSystemMetrics(SM_CXHTHUMB) + 5 : 0;
    if (FOptions.Contains(dgIndicator)) W += FIndicatorWidth + Line;
    const int Last = ColCount() - 1;
    for (int C = LeftCol(); C < Last; ++C)
        W += ColWidths(C) + Line;
    if (Last < FIndicatorOffset || Width() < W) return;
    W += ColWidths(Last) + Line;
    if (Width() > W) {
        ++FUpdatingColWidths;
        TScopeExit Done([&] { --FUpdatingColWidths; });
        SetColWidths(Last, ColWidths(Last) + Width() - W);
    }
}
