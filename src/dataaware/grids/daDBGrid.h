#pragma once
// The engine of the library's data grids: TdaCustomDBGrid shows the records of a dataset (through
// a data source) as rows and its fields as columns. It owns the data link with the field map, the
// column objects, the title, indicator and footer geometry, the in-place editor, record tracking
// and the vertical scroll bar that follows the dataset, painting, keys and mouse. The dataset
// buffers one screen of records through the link, so a grid over a million records costs what
// one screen costs.
//
// Index conventions: a data column counts the mapped fields from 0; a grid column counts grid
// columns, where column 0 is the indicator when dgIndicator is set. Data row = grid row - title
// offset.

#include "dataaware/edits/daDBEdit.h"
#include "platform/data/DB.h"
#include "platform/base/Lists.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"

#include <array>
#include <memory>
#include <vector>

class TdaCustomDBGrid;
class TdaDBCustomDateTimePicker;
class TdaColumn;

DECLARE_ENUM(TdaDBGridOption, Byte, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize,
             dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit,
             dgWordWrap, dgPerfectRowFit, dgMultiSelect, dgShowFooter, dgFooter3DCells, dgNoLimitColSize,
             dgTrailingEllipsis, dgShowCellHint, dgTabExitsOnLastCol, dgFixedResizable, dgFixedEditable,
             dgProportionalColResize, dgRowResize, dgRowLinesDisableFixed, dgColLinesDisableFixed,
             dgFixedProportionalResize, dgHideBottomDataLine, dgDblClickColSizing)
using TdaDBGridOptions = TSet<TdaDBGridOption>;
DECLARE_ENUM(TdaDBGridKeyOption, Byte, dgEnterToTab, dgAllowDelete, dgAllowInsert)
using TdaDBGridKeyOptions = TSet<TdaDBGridKeyOption>;
DECLARE_ENUM(TdaMultiSelectOption, Byte, msoAutoUnselect, msoShiftSelect)
using TdaMultiSelectOptions = TSet<TdaMultiSelectOption>;
DECLARE_ENUM(TIndicatorColorType, Byte, icBlack, icYellow)
DECLARE_ENUM(TdaPadColumnStyle, Byte, pcsPlain, pcsPadHeader, pcsPadHeaderAndData)
DECLARE_ENUM(TdaGridLineStyle, Byte, glsSingle, gls3D, glsDynamic)
DECLARE_ENUM(TdaEditControlOption, Byte, ecoCheckboxSingleClick, ecoSearchOwnerForm, ecoDisableCustomControls,
             ecoDisableDateTimePicker, ecoDisableEditorIfReadOnly)
using TdaEditControlOptions = TSet<TdaEditControlOption>;

// The options set as a number: bit n is the option of ordinal n.
constexpr unsigned DefaultGridOptionBits = 7421;

// The texts the grid shows or raises; one place so that they can be translated.
namespace daGridTexts {
inline const String TooManyColumns = u"Grid requested to display more than 256 columns";
inline const String ClosedDataSet = u"Cannot perform this operation on a closed dataset";
inline const String DeleteRecordQuestion = u"Delete record?";
inline const String DiscardChanges = u"Discard changes?";
inline const String InvalidInput = u"Invalid input value.  Use escape key to abandon changes";
} // namespace daGridTexts

// ---- The Selected list -------------------------------------------------------------------------
// One line per column, TAB-separated: field name, width in characters, title, read-only flag
// ("T"/"F", missing reads "F") and, only when not empty, a group name.

// Part 0 name, 1 width, 2 title, 3 read-only, 4 group of the field's line; false without a line.
bool daReadSelectedEntry(TStrings* List, const String& FieldName, int Part, String& Text);
// Changes one attribute of a line: 1 width, 2 title, 3 read-only, 4 group, 5 position, 6 presence
// ("T" adds a missing line from the grid's column, "F" deletes the line). Index -1 looks the line
// up by field name.
void daEditSelectedEntry(TdaCustomDBGrid* Grid, TStrings* List, const String& FieldName, int Index,
                         int Attribute, const String& Value);
// The TAB-separated parts of a line.
std::vector<String> daSplitTabs(const String& Line);

// ---- The data link -----------------------------------------------------------------------------

class TdaGridDataLink : public TDataLink {
public:
    explicit TdaGridDataLink(TdaCustomDBGrid* AGrid);
    ~TdaGridDataLink() override;
    // Appends a field to the map; false (and nothing added) when the dataset has no such field.
    // Raises EInvalidGridOperation when the map is full.
    bool AddMapping(const String& FieldName);
    void ClearMapping();
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // Undoes the editing of the current record (Escape).
    void Reset();
    bool GetDefaultFields() const;
    int FieldCount() const { return FFieldCount; }
    int FieldMapSize() const { return FFieldMapSize; }
    // The field of a map entry; null at or beyond the count.
    TField* Fields(int I) const;
    bool InUpdateData() const { return FInUpdateData; }

    static constexpr int MaxMapSize = 16380;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void LayoutChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField* Field) override;
    void FocusControl(TField** Field) override;
    void UpdateData() override;

private:
    friend class TdaCustomDBGrid;
    TdaCustomDBGrid* FGrid;
    int FFieldCount = 0;
    int FFieldMapSize = 0;
    bool FModified = false;
    bool FInUpdateData = false;
    std::vector<int> FFieldMap; // indexes into the dataset's Fields
};

// ---- Columns -----------------------------------------------------------------------------------

class TdaColumn : public TObject {
    DECLARE_CLASS(TdaColumn, TObject)
public:
    TdaColumn(TdaCustomDBGrid* AOwner, const String& AFieldName);
    ~TdaColumn() override;
    const String& FieldName() const { return FFieldName; }
    TdaCustomDBGrid* Grid() const { return FGrid; }
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    String DisplayLabel() const;
    void SetDisplayLabel(const String& Value);
    int DisplayWidth() const;
    void SetDisplayWidth(int Value);
    const String& FooterValue() const { return FFooterValue; }
    void SetFooterValue(const String& Value);
    String GroupName() const;
    void SetGroupName(const String& Value);
    bool DisableSizing = false;
    const String& SearchValue() const { return FSearchValue; }
    void SetSearchValue(const String& Value);
    int Index() const;
    void SetIndex(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    void MakeVisible(bool Value);
    // Per visible data row (0..255) while a grouped grid paints: 1 no line under the row, 2 none
    // above it. Empty until the painting needs it.
    std::vector<Byte> ColumnFlags;

private:
    friend class TdaCustomDBGrid;
    bool IsDummy() const;
    TField* FindField() const;
    String FFieldName;
    TdaCustomDBGrid* FGrid;
    String FFooterValue, FGroupName, FSearchValue;
    bool FVisible = true;
    int FDisplayWidth = 0;
    String FDisplayLabel;
};

// ---- Selected records --------------------------------------------------------------------------

// The selected records' bookmarks, sorted in the dataset's order.
class TdaBookmarkList : public TObject {
    DECLARE_CLASS(TdaBookmarkList, TObject)
public:
    explicit TdaBookmarkList(TdaCustomDBGrid* AGrid);
    ~TdaBookmarkList() override;
    int Count() const { return int(FList.size()); }
    const TBookmark& operator[](int Index) const;
    void Clear();
    int Compare(const TBookmark& Item1, const TBookmark& Item2) const;
    // Binary search; Index is the item's place, or where it would go.
    bool Find(const TBookmark& Item, int& Index);
    int IndexOf(const TBookmark& Item);
    bool CurrentRowSelected();
    void SetCurrentRowSelected(bool Value);
    // Deletes every listed record from the dataset.
    void Delete();
    void DeleteSelection(int Index);
    // Drops the bookmarks whose records are gone; answers whether any was dropped.
    bool Refresh();
    void LinkActive(bool Value);

private:
    TBookmark CurrentBookmark() const;
    void InsertItem(int Index, const TBookmark& Item);
    void RemoveItem(int Index);
    void InvalidateCache();
    std::vector<TBookmark> FList;
    TdaCustomDBGrid* FGrid;
    TBookmark FCache;
    int FCacheIndex = -1;
    bool FCacheFind = false;
    bool FLinkActive = false;
};

// ---- The in-place editor -----------------------------------------------------------------------

// The regular-expression mask of the column being edited.
struct TdaRegexMask {
    String Mask;
    bool CaseSensitive = false;
    String ErrorMessage;
    bool AllowInvalidExit = false;
};

// The regular-expression engine behind the regex masks is a unit of its own that registers its
// match here; without it every regular expression fails to match, so the error colours show.
struct TdaMaskServices {
    std::function<bool(const String& Mask, bool IgnoreCase, const String& Text)> RegexMatch;
    static TdaMaskServices& Instance();
};

class TdaInplaceEdit : public TInplaceEdit {
    DECLARE_CLASS(TdaInplaceEdit, TInplaceEdit)
public:
    explicit TdaInplaceEdit(TComponent* AOwner);
    ~TdaInplaceEdit() override;
    TdaDBPicture& Picture() { return FdaPicture; }
    TdaRegexMask& RegexMask() { return FRegexMask; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool HavePictureMask() const;
    bool IsValidPictureValue(const String& S);
    virtual void ApplyValidationColors(bool Valid);
    virtual void ResetValidationColors(TColor ForeColor, TColor BackColor);
    virtual void DoRefreshValidationDisplay(bool Valid);
    virtual void DoRefreshValidationDisplayText(const String& Text);
    // Loads the column's masks (done on every focus).
    void LoadMasks();
    void UpdateContents() override;
    // The text as it would be with Key typed (Backspace removes the character before the caret).
    String TextWithKey(Char Key) const;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    // The picture mask of the column being edited.
    TdaDBPicture FdaPicture;
    TdaRegexMask FRegexMask;
    bool FWordWrap = false;
    TdaCustomDBGrid* ParentGrid = nullptr;
    bool FUsePictureMask = false;
    TColor OrigForeColor = clNone, OrigBackColor = clNone;
};

// ---- Line colours ------------------------------------------------------------------------------

class TdaGridLineColors : public TPersistent {
    DECLARE_CLASS(TdaGridLineColors, TPersistent)
public:
    explicit TdaGridLineColors(TdaCustomDBGrid* AGrid) : FGrid(AGrid) {}
    TColor DataColor() const { return FDataColor; }
    void SetDataColor(TColor Value);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TColor GroupingColor() const { return FGroupingColor; }
    void SetGroupingColor(TColor Value);

private:
    void Changed();
    TColor FDataColor = clSilver, FHighlightColor = clBtnHighlight, FShadowColor = clBtnShadow,
           FFixedColor = clBlack, FGroupingColor = clBlack;
    TdaCustomDBGrid* FGrid;
};

struct TdaCustomDrawGridCellInfo {
    TRect Rect;
    TField* Field = nullptr;
    TGridDrawState State;
    int DataCol = 0, DataRow = 0;
    bool DefaultDrawBackground = true, DefaultDrawHorzTopLine = true, DefaultDrawHorzBottomLine = true,
         DefaultDrawContents = true;
};

struct TdaCacheColInfoItem {
    TWinControl* CustomControl = nullptr;
    String ControlType, ControlData;
    bool AlwaysPaints = false;
    bool IsWhiteBackground = true;
};

// The hint window of a cell whose text does not fit.
class TdaGridHintWindow : public THintWindow {
    DECLARE_CLASS(TdaGridHintWindow, THintWindow)
public:
    using THintWindow::THintWindow;
    TField* Field = nullptr;
    bool WordWrap = true;
    TAlignment Alignment = taLeftJustify;
    // The text as last activated and where (screen coordinates).
    String HintText;
    TRect HintRect;
};

// ---- Ditto: a value copied from the neighbouring record -----------------------------------------

DECLARE_ENUM(TdaDittoDirection, Byte, daDittoPrior, daDittoNext, daDittoPriorOrNext)
DECLARE_ENUM(TdaDittoOption, Byte, dadoSkipBlobFields, dadoSkipReadOnlyFields, dadoSkipHiddenFields)
using TdaDittoOptions = TSet<TdaDittoOption>;

class TdaDittoAttributes : public TPersistent {
    DECLARE_CLASS(TdaDittoAttributes, TPersistent)
public:
    TdaDittoDirection DittoDirection = daDittoPrior;
    // 0: no shortcut.
    Word ShortCutDittoField = 0;
    Word ShortCutDittoRecord = 0;
    TdaDittoOptions Options;
    void Assign(TPersistent* Source) override;

private:
    static void Published(TPublisher<TdaDittoAttributes>& P);
};

// ---- Events ------------------------------------------------------------------------------------

using TdaDittoEvent =
    std::function<void(TObject* Sender, TDataSet* DataSet, TField* Field, String& DittoValue, bool& AllowDitto)>;

using TdaDrawDataCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TCalcCellColorsEvent = std::function<void(TObject* Sender, TField* Field, TGridDrawState State,
                                                bool Highlight, TFont* AFont, TBrush* ABrush)>;
using TCalcTitleAttributesEvent = std::function<void(TObject* Sender, const String& AFieldName, TFont* AFont,
                                                     TBrush* ABrush, TAlignment& ATitleAlignment)>;
using TdaDrawTitleCellEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, TField* Field, const TRect& Rect, bool& DefaultDrawing)>;
using TdaDrawGroupHeaderCellEvent = std::function<void(TObject* Sender, TCanvas* Canvas,
                                                       const String& GroupHeaderName, const TRect& Rect,
                                                       bool& DefaultDrawing)>;
using TDrawFooterCellEvent = std::function<void(TObject* Sender, TCanvas* Canvas, const TRect& FooterCellRect,
                                                TField* Field, const String& FooterText, bool& DefaultDrawing)>;
using TTitleButtonClickEvent = std::function<void(TObject* Sender, const String& AFieldName)>;
using TColWidthChangedEvent = std::function<void(TObject* Sender, int Column)>;
using TdaLeftColChangedEvent = std::function<void(TObject* Sender, int NewLeftCol)>;
using TdaFieldChangedEvent = std::function<void(TObject* Sender, TField* Field)>;
using TdaValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;
using TdaCreateGridHintWindowEvent =
    std::function<void(TObject* Sender, TdaGridHintWindow* HintWindow, TField* AField, const TRect& R,
                       bool& WordWrap, int& MaxWidth, int& MaxHeight, bool& DoDefault)>;
using TdaGridURLOpenEvent =
    std::function<void(TObject* Sender, String& URLLink, TField* Field, bool& UseDefault)>;
using TdaCustomDrawCellEvent = std::function<void(TdaCustomDBGrid* Sender, TdaCustomDrawGridCellInfo& Info)>;

// How a field's text sits in its cell: numbers to the right, everything else to the left.
TAlignment FieldAlignment(const TField* Field);

// The speed button in the grid's top-left corner, over the indicator column's title. Placed on a
// grid it sets the indicator column's width (its own width - 1) and the title row's height.
class TdaIButton : public TSpeedButton {
    DECLARE_CLASS(TdaIButton, TSpeedButton)
public:
    using TSpeedButton::TSpeedButton;
    // Never right of or below the corner.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
};

// ---- The grid ----------------------------------------------------------------------------------

// What the title drop-down menu offers (bit values 1 to 128).
enum TdaSortFilterOption : Byte {
    sfoSortAscending,
    sfoSortDescending,
    sfoFilter,
    sfoGrouping,
    sfoSelectColumns,
    sfoCreateIndexes,
    sfoAutoTitleButtonSort,
    sfoClientCursor
};
using TdaSortFilterOptions = TSet<TdaSortFilterOption>;

// The settings of a grid's title drop-down menu; a change repaints the grid.
class TdaTitleMenuAttributes : public TPersistent {
    DECLARE_CLASS(TdaTitleMenuAttributes, TPersistent)
public:
    explicit TdaTitleMenuAttributes(TCustomGrid* AGrid = nullptr) : FGrid(AGrid) {}
    TdaSortFilterOptions Options() const { return FOptions; }
    void SetOptions(TdaSortFilterOptions Value);
    bool MenuEnabled() const { return FMenuEnabled; }
    void SetMenuEnabled(bool Value);
    // Enabled, with at least one item to offer.
    bool TitleMenuEnabled() const;
    void Assign(TPersistent* Source) override;

private:
    TdaSortFilterOptions FOptions{sfoSortAscending, sfoFilter, sfoCreateIndexes, sfoAutoTitleButtonSort};
    bool FMenuEnabled = false;
    TCustomGrid* FGrid;
};

using TdaMenuSortEvent =
    std::function<void(TObject* Sender, const String& AFieldName, bool SortDescending, bool& DoDefault)>;
using TdaAfterMenuSortEvent = std::function<void(TObject* Sender, const String& AFieldName, bool SortDescending)>;
using TdaAddSelectColumnEvent =
    std::function<void(TObject* Sender, TField* AField, String& NodeGroups, bool& CanAdd)>;

class TdaCustomDBGrid : public TCustomGrid {
    DECLARE_CLASS(TdaCustomDBGrid, TCustomGrid)
public:
    explicit TdaCustomDBGrid(TComponent* AOwner);
    ~TdaCustomDBGrid() override;

    // Options
    TdaDBGridOptions Options() const { return FOptions; }
    void SetOptions(TdaDBGridOptions Value);
    TdaDBGridKeyOptions KeyOptions() const { return FKeyOptions; }
    void SetKeyOptions(TdaDBGridKeyOptions Value) { FKeyOptions = Value; }
    TdaMultiSelectOptions MultiSelectOptions() const { return FMultiSelectOptions; }
    void SetMultiSelectOptions(TdaMultiSelectOptions Value) { FMultiSelectOptions = Value; }
    TdaEditControlOptions EditControlOptions() const { return FEditControlOptions; }
    void SetEditControlOptions(TdaEditControlOptions Value) { FEditControlOptions = Value; }

    // Data
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TdaGridDataLink* DataLink() const { return FDataLink.get(); }
    int FieldCount() const { return FDataLink->FieldCount(); }
    // The field of a data column; null when unmapped.
    TField* Fields(int DataCol) const { return FDataLink->Fields(DataCol); }
    TField* SelectedField() const;
    void SetSelectedField(TField* Value);
    int SelectedIndex() const { return Col() - FIndicatorOffset; }
    void SetSelectedIndex(int Value);
    bool UseTFields() const { return FUseTFields; }
    void SetUseTFields(bool Value);
    TStrings* Selected() const { return FSelected.get(); }
    void SetSelected(TStrings* Value) { FSelected->Assign(Value); }
    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    TStrings* RegexMasks() const { return FRegexMasks.get(); }
    void SetRegexMasks(TStrings* Value) { FRegexMasks->Assign(Value); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool EditCalculated() const { return FEditCalculated; }
    void SetEditCalculated(bool Value) { FEditCalculated = Value; }

    // Titles, rows, footer
    TAlignment TitleAlignment() const { return FTitleAlignment; }
    void SetTitleAlignment(TAlignment Value);
    int TitleLines() const { return FTitleLines; }
    void SetTitleLines(int Value);
    bool TitleButtons() const { return FTitleButtons; }
    void SetTitleButtons(bool Value);
    TFont* TitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value);
    TColor TitleColor() const { return FTitleColor; }
    void SetTitleColor(TColor Value);
    int RowHeightPercent() const { return FRowHeightPercent; }
    void SetRowHeightPercent(int Value);
    int MinRowHeightPercent = 100;
    void RestoreRowHeights();
    TColor FooterColor() const { return FFooterColor; }
    void SetFooterColor(TColor Value);
    TColor FooterCellColor() const { return FFooterCellColor; }
    void SetFooterCellColor(TColor Value);
    int FooterHeight() const { return FFooterHeight; }
    void SetFooterHeight(int Value);
    bool ShowSearchRow() const { return FShowSearchRow; }
    void SetShowSearchRow(bool Value);
    const String& GroupFieldName() const { return FGroupFieldName; }
    void SetGroupFieldName(const String& Value);
    bool ShowVertScrollBar() const { return FShowVertScrollBar; }
    void SetShowVertScrollBar(bool Value);
    bool ShowHorzScrollBar() const { return FShowHorzScrollBar; }
    void SetShowHorzScrollBar(bool Value);
    TIndicatorColorType IndicatorColor() const { return FIndicatorColor; }
    void SetIndicatorColor(TIndicatorColorType Value);
    TColor IndicatorIconColor() const { return FIndicatorIconColor; }
    void SetIndicatorIconColor(TColor Value);
    int IndicatorWidth() const { return FIndicatorWidth; }
    TdaGridLineColors* LineColors() const { return FLineColors.get(); }
    TdaGridLineStyle LineStyle() const { return FLineStyle; }
    void SetLineStyle(TdaGridLineStyle Value);
    bool HideAllLines() const { return FHideAllLines; }
    void SetHideAllLines(bool Value);
    TdaPadColumnStyle PadColumnStyle() const { return FPadColumnStyle; }
    void SetPadColumnStyle(TdaPadColumnStyle Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    int DragVertOffset() const { return FDragVertOffset; }
    void SetDragVertOffset(int Value) { FDragVertOffset = Value; }
    bool CompareBookmarksAltMethod = false;
    // The colour of the current record's row, clNone for none.
    TColor ActiveRecordColor = clNone;
    int RowOffset() const { return FRowOffset; }
    void SetRowOffset(int Value);
    Byte TitleOffset() const { return FTitleOffset; }
    Byte IndicatorOffset() const { return FIndicatorOffset; }
    int CalcCellRow() const { return FCalcCellRow; }
    int CalcCellCol() const { return FCalcCellCol; }
    bool SearchMode = false;

    // Columns
    TdaColumn* ColumnByName(const String& Name) const;
    TdaColumn* ColumnOfDataCol(int DataCol) const;
    TdaColumn* DummyColumn() const { return FDummyColumn.get(); }
    const std::vector<TdaColumn*>& ColItems() const { return FColItems; }
    const std::vector<TdaColumn*>& SavedColItems() const { return FSavedColItems; }
    // The field name of a grid column.
    String FieldName(int ACol) const;

    // Which columns show and how wide they are, and the order of the records
    // With UseTFields the field's visibility; otherwise a Selected line (name, width, title).
    void AddField(const String& AFieldName, int Position, bool Redraw);
    void RemoveField(const String& AFieldName, bool Redraw);
    // Rebuilds the columns from Selected (the published grid does; the engine has nothing to do).
    virtual void ApplySelected() {}
    // Orders the dataset by the field, between OnBeforeMenuSort and OnAfterMenuSort.
    void Sort(const String& AFieldName, bool Descending);
    // The column's width from its widest visible text, growing only within half the grid.
    void AutoSizeColumn(int ACol);
    // Widens the last column to the grid's width.
    void SizeLastColumn();
    void DoOnAddSelectColumn(TField* Field, String& NodeGroups, bool& CanAdd);
    // Forgets the recorded proportional widths: the next proportional resize records them anew.
    void ResetProportionalWidths() { OrigColWidths.clear(); }
    TdaTitleMenuAttributes* TitleMenuAttributes() const { return FTitleMenuAttributes.get(); }
    void SetTitleMenuAttributes(TdaTitleMenuAttributes* Value) { FTitleMenuAttributes->Assign(Value); }
    TdaMenuSortEvent OnBeforeMenuSort;
    TdaAfterMenuSortEvent OnAfterMenuSort;
    TdaAddSelectColumnEvent OnAddSelectColumn;

    // Geometry
    TRect CellRect(int ACol, int ARow) const;
    void TitleCellRect(int ACol, int ARow, TRect& Rect, bool EntireTitle) const;
    void SearchCellRect(int ACol, int ARow, TRect& Rect) const;
    int SearchRowHeight() const;
    void GroupNameCellRect(int ACol, int ARow, TRect& Rect, bool VisibleOnly, int& EndCol, int& StartCol) const;
    void DragTitleCellRect(int ACol, TRect& Rect, int Y) const;
    TRect GetFooterRect() const;
    int GetEffectiveFooterHeight() const;
    TGridCoord MouseCoord(int X, int Y) const;
    void InvalidateFooter();
    void InvalidateTitles();
    void InvalidateCurrentRow();

    // Layout and records
    virtual void LayoutChanged();
    void UpdateRowCount();
    void ClearLastBookmarks();
    // Fitting the height to the rows: perfect fit grows a grid being designed (with
    // dgPerfectRowFit) to whole rows; shrinking cuts the height down to the last row and the
    // footer. Both answer whether the height changed.
    bool AllowPerfectFit() const;
    bool DoPerfectFit();
    bool DoShrinkToFit();
    // The columns are wider than the grid and the grid shows horizontal scroll bars.
    bool NeedsHorzScrollBar() const;
    void BeginUpdate();
    void EndUpdate(bool Repaint = true);
    int UpdateCount() const { return FUpdateCount; }
    bool HasFocus() const { return FFocused; }
    // Whether a click or a scroll first takes the keyboard focus (a drop-down list leaves it
    // where it is).
    bool AcquireFocus() const { return FAcquireFocus; }
    void SetAcquireFocus(bool Value) { FAcquireFocus = Value; }
    bool ProportionalResizeActive() const;
    void FlushChanges();
    bool CanEditGrid() const;
    void ShowEditorIfAllowed();
    bool IsCheckBox(int Col, int Row, String& CheckBoxOn, String& CheckBoxOff) const;
    bool IsMemoField(int ACol, int ARow) const;
    // Copies the field's text in the neighbouring record into the field; False when nothing
    // was copied.
    virtual bool DittoField(TField* SelectedField, TdaDittoDirection Direction);
    // The ditto shortcuts of DittoAttributes: True when the key did a ditto (it is then
    // swallowed).
    bool HandleDittoShortCut(Word Key, TShiftState Shift);
    // The one keyboard hook of all grids: navigation keys, Enter and Tab typed in a control over
    // a grid (an in-cell control, the editor) go to the grid, and the ditto shortcuts work
    // wherever the focus is inside a grid. The first grid that gets the focus installs it.
    static void InstallKeyboardHook();
    static void RemoveKeyboardHook();
    static bool KeyboardHookInstalled();
    TdaIButton* IndicatorButton() const { return FIndicatorButton; }
    void SetIndicatorButton(TdaIButton* Value);
    TdaDittoAttributes* DittoAttributes() const { return FDittoAttributes.get(); }
    void SetDittoAttributes(TdaDittoAttributes* Value) { FDittoAttributes->Assign(Value); }
    static void GetURLLink(const String& Value, String& DisplayString, String& URL);
    bool GetPriorRecordText(const String& FieldName, String& Text);
    bool GetNextRecordText(const String& FieldName, String& Text);
    void SelectColumn(int DataCol);
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Draws a field's display text into a rectangle with the field's alignment.
    void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    void GetControlInfo(const String& AFieldName, String& AControlType, String& AParameters) const;
    void SetPictureMask(const String& FieldName, const String& Mask);
    void SetPictureAutoFill(const String& FieldName, bool AutoFill);
    void SetRegex(const String& FieldName, const String& Mask, const String& ErrorMsg, bool CaseSensitive);
    TdaGridHintWindow* HintWindow() const { return FHintWindow; }
    TTimer* HintTimer() const { return FHintTimer; }
    // One tick of the cell-hint timer (every 250 ms while a hint shows).
    void HintTimerTick(TObject* Sender);
    int HintTimerCount() const { return FHintTimerCount; }
    bool URLLinkActive() const { return FURLLinkActive; }
    bool TitleDragging() const { return FDragging; }
    int TitleClickColumn() const { return FTitleClickColumn; }
    bool IsSelectedCheckBoxColumn(int ACol) const;
    // Selection hooks, empty in the engine: a descendant keeps the selected records.
    virtual bool IsSelected() { return false; }
    virtual bool IsBufferRecordSelected(int /*BufferRow*/) { return false; }
    virtual void SelectRecord() {}
    virtual void UnselectRecord() {}
    virtual void UnselectAll() {}
    virtual void RefreshSelectedRows() {}
    bool ShiftSelectMode = false;
    TBookmark ShiftSelectBookmark;

    // Events
    TNotifyEvent OnColEnter, OnColExit, OnTopRowChanged, OnRowChanged, OnCellChanged, OnUpdateFooter, OnBeforePaint;
    TdaDrawDataCellEvent OnDrawDataCell;
    TCalcCellColorsEvent OnCalcCellColors;
    TCalcTitleAttributesEvent OnCalcTitleAttributes;
    TdaDrawTitleCellEvent OnDrawTitleCell;
    TdaDrawGroupHeaderCellEvent OnDrawGroupHeaderCell;
    TDrawFooterCellEvent OnDrawFooterCell;
    TTitleButtonClickEvent OnTitleButtonClick;
    TMovedEvent OnColumnMoved;
    TColWidthChangedEvent OnColWidthChanged;
    TdaLeftColChangedEvent OnLeftColChanged;
    TdaFieldChangedEvent OnFieldChanged;
    TdaValidateEvent OnCheckValue;
    TdaCreateGridHintWindowEvent OnCreateHintWindow;
    TdaGridURLOpenEvent OnURLOpen;
    TdaDittoEvent OnDitto;
    TdaCustomDrawCellEvent OnBeforeDrawCell, OnAfterDrawCell;
    // How URL links are opened (the shell's open verb by default); tests put their own here.
    std::function<void(const String& Link)> OpenURL;

    TdaInplaceEdit* Editor() const { return dynamic_cast<TdaInplaceEdit*>(InplaceEditor()); }
    const String& EditText() const { return FEditText; }
    bool SkipDataChange = false, SkipHideControls = false, AlwaysShowControls = false;

    // In-cell controls. A column whose ControlType line names an embedded edit type is edited
    // by a control of the form placed over the current cell; date and time fields by the
    // grid's date-time picker when it has one.
    bool IsCustomEditCell(int ACol, int ARow, TWinControl*& CustomEdit);
    // A control of the form by name ("Frame.Control" reaches into a frame, or into the owner
    // of the grid's dataset); null unless it is a windowed control.
    TWinControl* GetComponent(const String& Name);
    bool ShouldShowCustomControls();
    // Places the current cell's control over the cell.
    void UpdateCustomEdit();
    TWinControl* CurrentCustomEdit() const { return FCurrentCustomEdit; }
    TdaDBCustomDateTimePicker* DateTimePicker() const { return FDateTimePicker; }
    const std::vector<TdaCacheColInfoItem>& CacheColInfo() const { return FCacheColInfo; }

protected:
    friend class TdaGridDataLink;
    friend class TdaColumn;
    friend class TdaInplaceEdit;
    friend class TdaBookmarkList;

    // Hooks of the engine
    virtual void DefineFieldMap();
    virtual void SetColumnAttributes();
    virtual void ApplyProportionalWidths();
    virtual void LinkActive(bool Value);
    virtual void DataChanged();
    virtual void Scroll(int Distance);
    virtual void CheckRowChanged();
    virtual void UpdateFooterIfNeeded();
    virtual void UpdateRowHeights();
    virtual bool IsCellHighlighted(int DataCol, int DataRow, TGridDrawState State, const String& Text);
    virtual void HideControls() {}
    virtual bool HasControlInCell(int /*ACol*/, int /*ARow*/) { return false; }
    virtual TColor CellBackColor(int /*ACol*/) { return Color(); }
    virtual bool CancelInsertOnExit() { return true; }
    virtual void ColEnter();
    virtual void ColExit();
    virtual void DoCellChanged();
    virtual void DoRowChanged();
    virtual void DoTopRowChanged();
    virtual void DoFieldChanged(TField* Field);
    virtual void DoUpdateFooter();
    virtual void DoTitleButtonClick(const String& FieldName);
    virtual void DoURLOpen(String& URLLink, TField* Field, bool& UseDefault);
    virtual void DoDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    virtual void DoCalcTitleAttributes(const String& AFieldName, TFont* AFont, TAlignment& ATitleAlignment,
                                       TBrush* ABrush);
    virtual void DoCalcCellColors(TField* Field, TGridDrawState State, TBrush* ABrush, TFont* AFont,
                                  bool Highlight);
    void DoCalcCellColorsDetect(TField* Field, TGridDrawState State, TBrush* ABrush, TFont* AFont, bool Highlight);
    virtual void DoDrawTitleCell(TCanvas* ACanvas, TField* Field, bool& DefaultDrawing, const TRect& Rect);
    virtual void DoDrawGroupHeaderCell(TCanvas* ACanvas, const String& Name, bool& DefaultDrawing,
                                       const TRect& Rect);
    virtual void DoAfterDrawCell(TdaCustomDrawGridCellInfo& Info);
    virtual void PrepareGroupCellLines(const String& Text, TdaCustomDrawGridCellInfo& Info);
    virtual void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int Flags, TAlignment Alignment,
                               const String& Text, int TopMargin, int LeftMargin);
    virtual void DrawCheckBox(const TRect& Rect, int ACol, bool Checked, int ARow);
    virtual void PaintGridLines();
    virtual void PaintPressedTitle();
    virtual void BuildColumnInfoCache();
    // Made on first need by the published grid.
    TdaDBCustomDateTimePicker* FDateTimePicker = nullptr;
    virtual void ShowValidationError(TField* Field, const String& Message);
    virtual void DataUpdated() {}
    virtual String GetFieldValue(int DataCol);
    virtual String GetFieldValueWide(int DataCol) { return GetFieldValue(DataCol); }
    virtual TColor GetHighlightColor() const;
    virtual void DoCreateHintWindow(TdaGridHintWindow* Hint, TField* AField, const TRect& R, bool& WordWrap,
                                    int& MaxWidth, int& MaxHeight, bool& DoDefault);

    // Overrides of the base grid
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void Paint() override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditAcceptKey(Char Key) const override;
    bool CanEditModify() const override;
    bool CanEditShow() const override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    String GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    void TopLeftChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void CreateWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TRect GetClientRect() const override;
    void Dispatch(TMessage& Message) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void WMSize(TWMSize& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;

    // Record tracking
    // The focus leaves the grid and its editor: an untouched new record goes, typed text is
    // written; false when writing failed and the grid took the focus back.
    bool FocusExit();
    void UpdateActiveRecord();
    void UpdateScrollBar();
    void RecordChanged(TField* Field);
    bool AcquireFocusForScroll();
    void PostEditText();
    void WMVScroll(int Code);

    // Keys and mouse
    void NextRow();
    void PriorRow();
    void NextColumn(bool Forward);
    void PressTitle(int X, int Y, int ACol, int ARow);
    void HandleMouseMotion(TShiftState Shift, int X, int Y);
    void ClearURLPaint();
    void FreeHintWindow();
    void StartTitleDrag(int X, int Y);
    void TitleDragMove(int X, int Y);
    void TitleDragTimer();
    void EndTitleDrag(int X, int Y);
    int DropTarget(int X) const;
    void DropTitleOnGroup(int From, int To);
    void MoveColumnTo(int From, int To);

    // Painting pieces
    void DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawIndicatorCell(int ARow, const TRect& ARect);
    void DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    bool DrawControlCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawCellRowLines(int ACol, int ARow, const TRect& ARect);
    void PaintFooter();
    void PaintPadArea(const TGridDrawInfo& D);
    bool IsWhiteGrid() const;
    bool TitlesHaveGroups() const;
    void HLine(int X1, int X2, int Y, TColor Color);
    void VLine(int X, int Y1, int Y2, TColor Color);
    TCanvas* GridCanvas() const;

private:
    void WriteOptions(TdaDBGridOptions Value);
    void TitleFontChanged(TObject* Sender);
    int TextHeightW(TFont* AFont) const;
    int CharWidth0() const;
    void FreeColItems();
    bool RowIsValid(int ARow) const;

    std::unique_ptr<TdaGridDataLink> FDataLink;
    TdaDBGridOptions FOptions;
    TdaDBGridKeyOptions FKeyOptions{dgAllowDelete, dgAllowInsert};
    TdaMultiSelectOptions FMultiSelectOptions;
    TdaEditControlOptions FEditControlOptions{ecoSearchOwnerForm};
    std::unique_ptr<TStringList> FSelected, FControlType, FPictureMasks, FRegexMasks;
    std::unique_ptr<TFont> FTitleFont;
    std::unique_ptr<TdaGridLineColors> FLineColors;
    std::unique_ptr<TdaTitleMenuAttributes> FTitleMenuAttributes = std::make_unique<TdaTitleMenuAttributes>(this);
    std::unique_ptr<TdaColumn> FDummyColumn;
    std::vector<TdaColumn*> FColItems, FSavedColItems;
    std::vector<TdaCacheColInfoItem> FCacheColInfo;
    TWinControl* FCurrentCustomEdit = nullptr;
    void SetCurrentCustomEdit(TWinControl* Value);
    // The image of an in-cell control painted into a cell, as the control shows the row.
    void PaintCustomControlImage(TWinControl* Control, int ACol, const TRect& ARect, TField* Field,
                                 TGridDrawState AState);
    std::vector<int> OrigColWidths;
    std::vector<bool> FTabStops;
    std::unique_ptr<TBitmap> FDragImage;
    TdaCustomDrawGridCellInfo DrawCellInfo;
    TdaGridHintWindow* FHintWindow = nullptr;
    TTimer* FHintTimer = nullptr;

    bool FUseTFields = true;
    bool FReadOnly = false, FEditCalculated = false, FDefaultDrawing = true;
    TAlignment FTitleAlignment = taLeftJustify;
    int FTitleLines = 1;
    bool FTitleButtons = false;
    TColor FTitleColor = clBtnFace, FFooterColor = clBtnFace, FFooterCellColor = clBtnFace;
    int FFooterHeight = 0;
    int FRowHeightPercent = 100;
    bool FShowSearchRow = false;
    String FGroupFieldName;
    bool FShowVertScrollBar = true, FShowHorzScrollBar = true;
    TIndicatorColorType FIndicatorColor = icBlack;
    TColor FIndicatorIconColor = clBlack;
    TdaGridLineStyle FLineStyle = glsDynamic;
    bool FHideAllLines = false;
    TdaPadColumnStyle FPadColumnStyle = pcsPadHeaderAndData;
    int FDragVertOffset = 15;
    int FRowOffset = 0;

    int FUpdatingColWidths = 0;
    Byte FTitleOffset = 1;
    Byte FUpdateLock = 0;
    bool FInColExit = false;
    bool FSelfChangingTitleFont = false;
    int FSelRow = 0;
    String FEditText;
    int FIndicatorWidth = 11;
    TdaIButton* FIndicatorButton = nullptr;
    friend class TdaIButton;
    std::unique_ptr<TdaDittoAttributes> FDittoAttributes = std::make_unique<TdaDittoAttributes>();
    // The text a ditto in Direction would copy into Field; False for none.
    bool DittoText(TField* Field, TdaDittoDirection Direction, String& Text);
    TCursor FSavedCursor = crDefault;
    int URLLinkActiveRow = -1, URLLinkActiveCol = -1;
    bool FURLLinkActive = false;
    bool InUpdateRowCount = false;
    int FCalcCellRow = 0, FCalcCellCol = 0;
    bool IsWhiteBackground = true;
    bool isDrawFocusRect = false;
    bool SkipLineDrawing = false;
    int FTitleClickColumn = -1, TitleClickRow = -1;
    bool TitleClickGroupTitle = false;
    bool DisableCellChangedEvent = false;
    bool SkipTitleButtonClick = false;
    bool CallColEnter = false;
    TBookmark LastBookmark, LastMasterBookmark;
    bool HaveLastBookmark = false;
    int TempLastCol = -1;
    bool ShouldUpdateFooter = false;
    int lastMouseX = -1, lastMouseY = -1;
    int titleLastMouseX = -1, titleLastMouseY = -1;
    int FHintTimerCount = 0;
    TPoint FLastMousePos{-1, -1};
    int FUpdateCount = 0;
    bool ChangedBrushColor = false;
    bool AlternatingEven = false;
    int FSizingIndex = -1, FPriorSizingWidth = 0;
    bool ClickedOnGroupName = false, ClickedOnGroupChild = false;
    bool PaintingSearchCell = false;
    Byte FIndicatorOffset = 1;
    bool FUpdateFields = true;
    bool FAcquireFocus = true;
    bool SuppressShowEditor = false;
    bool FFocused = false;
    // Title drag state: pressed at, started, the column being dragged, the current drop target.
    bool FDragPressed = false, FDragging = false;
    TPoint FDragStart;
    int FDragCol = -1, FDragTarget = -1, FDragDirection = 0;
    TPoint FDragLast;
    TRect FDragImageRect;
};

// ---- The published grid ------------------------------------------------------------------------

class TdaDBGrid;
DECLARE_ENUM(TdaMemoAttribute, Byte, mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog)
using TdaMemoAttributes = TSet<TdaMemoAttribute>;
using TdaSelectRecordEvent = std::function<void(TdaDBGrid* Grid, bool Selecting, bool& Accept)>;
using TdaSelectAllRecordEvent = std::function<void(TdaDBGrid* Grid, bool Selecting, bool& Accept)>;

namespace daGridTexts {
inline const String InvalidFixedCols = u"Invalid value for FixedCols";
}

// The data grid that forms place: the engine with its properties published, data columns kept
// fixed at the left, and the selection of any set of records (dgMultiSelect) held as bookmarks.
class TdaDBGrid : public TdaCustomDBGrid {
    DECLARE_CLASS(TdaDBGrid, TdaCustomDBGrid)
public:
    explicit TdaDBGrid(TComponent* AOwner);
    ~TdaDBGrid() override;

    TdaMemoAttributes MemoAttributes() const { return FMemoAttributes; }
    void SetMemoAttributes(TdaMemoAttributes Value);
    // Data columns kept fixed at the left; the indicator is not counted.
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }
    bool LoadAllRTF() const { return FLoadAllRTF; }
    void SetLoadAllRTF(bool Value) { FLoadAllRTF = Value; }
    TdaBookmarkList* Bookmarks() const { return FBookmarks.get(); }
    // One "T" or "F" per visible buffer row: whether that row's record is selected.
    TStrings* SelectedRecordList() const { return FSelectedRecordList.get(); }

    void RedrawGrid();
    void ApplySelected() override;
    void SetScrollBars(TScrollStyle Value) { TCustomGrid::SetScrollBars(Value); }
    int GetRowCount() const { return RowCount(); }
    int GetColCount() const { return ColCount(); }
    int GetActiveRow() const;
    void SetActiveRow(int Value);
    int GetActiveCol() const { return Col(); }
    TField* GetActiveField() const;
    void SetActiveField(const String& AFieldName);
    void ScrollCurrentToTop(int CurrentRow);
    // Orders the dataset by a field: its index field names, or the index for that field.
    void SetOrder(const String& AFieldName, bool AClientCursor = false);
    void AddDependent(TComponent* Value);
    void RemoveDependent(TComponent* Value);
    void RestoreDesignSelected();
    void SortSelectedList() {}
    TColor CellBackColor(int ACol) override;

    // Record multi-selection
    void SelectRecord() override;
    void UnselectRecord() override;
    void SelectAll();
    void UnselectAll() override;
    bool IsSelectedRecord();
    bool IsSelected() override;
    bool IsBufferRecordSelected(int Row) override;
    void SelectRange(const TBookmark& A, const TBookmark& B);
    void UnselectRange(const TBookmark& A, const TBookmark& B);
    void RefreshSelectedRows() override;

    TdaSelectRecordEvent OnMultiSelectRecord;
    TdaSelectAllRecordEvent OnMultiSelectAllRecords;
    // Behaviour switches by index (see the constructor for their defaults).
    std::array<Variant, 12> Patch;

protected:
    void Loaded() override;
    void Paint() override;
    void SetColumnAttributes() override;
    void LinkActive(bool Value) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void TopLeftChanged() override;
    void ColExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void ApplyFixedCols();

private:
    TdaMemoAttributes FMemoAttributes{mSizeable, mWordWrap};
    int FFixedCols = 0;
    bool FDisableThemes = false;
    bool FLoadAllRTF = false;
    bool redrawingGrid = false, initialized = false, inLinkActive = false, inTopLeftChanged = false;
    bool GridIsLoaded = false;
    std::unique_ptr<TStringList> OrigSelected;
    std::unique_ptr<TdaBookmarkList> FBookmarks;
    std::vector<TComponent*> FDependentComponents;
    std::unique_ptr<TStringList> FSelectedRecordList;

    // x before y in the dataset's order; x at or after y.
    bool IsBefore(const TBookmark& X, const TBookmark& Y) const;
    bool IsAtOrAfter(const TBookmark& X, const TBookmark& Y) const;
    void MarkCurrent();
    static void Published(TPublisher<TdaDBGrid>& P);
};

void RegisterDataAwareGridClasses();
