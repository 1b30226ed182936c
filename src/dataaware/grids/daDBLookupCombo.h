#pragma once
// The lookup combo: an edit bound to a field whose text is looked up in a second dataset, the
// lookup table. The user sees the display field of the matching lookup record; the data field
// receives that record's key value. The lookup state (key and display fields, current values,
// the highlighted row) lives in the drop-down grid, a data grid over the lookup table that the
// combo owns and shows in a pop-up window.

#include "dataaware/edits/daDBCombo.h"
#include "dataaware/grids/daDBGrid.h"

class TdaDBCustomLookupCombo;

DECLARE_ENUM(TdaDBLookupListOption, Byte, loColLines, loRowLines, loTitles, loFixedDropDownHeight,
             loSearchOnBackspace)
using TdaDBLookupListOptions = TSet<TdaDBLookupListOption>;
DECLARE_ENUM(TdaSeqSearchOption, Byte, ssoEnabled, ssoCaseSensitive)
using TdaSeqSearchOptions = TSet<TdaSeqSearchOption>;
// Left or right edge alignment: the two horizontal alignments.
using TLeftRight = TAlignment;

namespace daLookupTexts {
inline const String DuplicateSource = u"Unable to use duplicate DataSource and LookupSource";
inline const String NotADataSet = u"LookupSource must be connected to a TDataSet component";
inline const String FieldNotFound = u"Field '%s' not found";
inline const String NoLookupTable = u"No lookup table specified!";
} // namespace daLookupTexts

// The combo's settings for the look of its drop-down.
class TdaDropDownGridOptions : public TPersistent {
    DECLARE_CLASS(TdaDropDownGridOptions, TPersistent)
public:
    int TitleLines = 1;
    TColor Color = clWindow;
    TAlignment TitleAlignment = taLeftJustify;
    void Assign(TPersistent* Source) override;
};

// A data grid that lists a lookup table and shows which of its records holds the current key
// value. Its lookup operations serve the combo that owns it.
class TdaDBLookupList : public TdaCustomDBGrid {
    DECLARE_CLASS(TdaDBLookupList, TdaCustomDBGrid)
public:
    explicit TdaDBLookupList(TComponent* AOwner);
    ~TdaDBLookupList() override;

    TDataSet* LookupTable() const { return FLookupSource ? FLookupSource->DataSet() : nullptr; }
    void SetLookupTable(TDataSet* Value);
    TDataSource* LookupSource() const { return FLookupSource; }
    const String& LookupField() const { return FLookupField; }
    void SetLookupField(const String& Value);
    TdaDBLookupListOptions ListOptions() const { return FOptions; }
    void SetListOptions(TdaDBLookupListOptions Value);
    const String& Value() const { return FValue; }
    void SetValue(const String& Value);
    const String& DisplayValue() const { return FDisplayValue; }
    void SetDisplayValue(const String& Value);
    TField* DisplayFld() const { return FDisplayFld; }
    TField* ValueFld(int Index = 0) const {
        return Index == 0 ? FValueFld : Index == 1 ? FValueFld2 : FValueFld3;
    }
    int HiliteRow() const { return FHiliteRow; }
    int TitleRows() const { return FTitleOffset; }
    bool FoundValue() const { return FFoundValue; }

    void DoLookup(bool SetToDisplayIndex);
    void FindCurrentValue();
    void BuildValueFields(bool RaiseIfMissing);
    void ResetLookupFields();
    virtual bool CanSelectValue();
    virtual void DoListClick();
    void SetColumnAttributes() override;
    // Whether the key fields of the lookup table's current record hold the current key values.
    bool IsKeyCurrent() const;

    TNotifyEvent OnListClick;
    // The second link of navigator mode: it follows the lookup table's cursor on the display
    // field; null while the mode is off.
    TFieldDataLink* NavigatorLink() const { return FNavigatorLink.get(); }
    bool BeAccurate = false;
    int inDataChanged = 0;
    int lookupFieldCount = 0;

protected:
    friend class TdaDBCustomLookupCombo;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool IsCellHighlighted(int DataCol, int DataRow, TGridDrawState State, const String& Text) override;
    void LinkActive(bool Value) override;

    TdaDBCustomLookupCombo* FCombo = nullptr;
    TDataSource* FLookupSource = nullptr;
    String FLookupField;
    TField* FDisplayFld = nullptr;
    TField *FValueFld = nullptr, *FValueFld2 = nullptr, *FValueFld3 = nullptr;
    String FValue, FValue2, FValue3, FDisplayValue;
    int FHiliteRow = -1;
    TdaDBLookupListOptions FOptions;
    int FTitleOffset = 0;
    bool FFoundValue = false;
    bool FInCellSelect = false;
    bool FSelecting = false;
    std::unique_ptr<TFieldDataLink> FNavigatorLink;
};

// The drop-down of a lookup combo: the lookup list in a pop-up window; the keyboard focus stays
// in the combo.
class TdaPopupGrid : public TdaDBLookupList {
    DECLARE_CLASS(TdaPopupGrid, TdaDBLookupList)
public:
    TdaPopupGrid(TComponent* AOwner, TdaDBCustomLookupCombo* ACombo);
    bool CanSelectValue() override;
    TdaDBCustomLookupCombo* Combo() const { return FCombo; }

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

using TNotifyCloseUpEvent =
    std::function<void(TObject* Sender, TDataSet* LookupTable, TDataSet* FillTable, bool modified)>;
using TNotInListEvent =
    std::function<void(TObject* Sender, TDataSet* LookupTable, const String& NewValue, bool& Accept)>;
using TdaPerformSearchEvent =
    std::function<void(TObject* Sender, TDataSet* LookupTable, const String& SearchField,
                       const String& SearchValue, bool PerformLookup, bool& Found)>;

class TdaDBCustomLookupCombo : public TdaDBCustomCombo {
    DECLARE_CLASS(TdaDBCustomLookupCombo, TdaDBCustomCombo)
public:
    explicit TdaDBCustomLookupCombo(TComponent* AOwner);
    ~TdaDBCustomLookupCombo() override;

    // The lookup settings are the grid's.
    TDataSet* LookupTable() const { return FGrid->LookupTable(); }
    void SetLookupTable(TDataSet* Value);
    String LookupField() const { return FGrid->LookupField(); }
    void SetLookupField(const String& Value);
    TStrings* Selected() const { return FGrid->Selected(); }
    // The first line's field becomes the display field.
    void SetSelected(TStrings* Value);
    TdaDBLookupListOptions Options() const { return FGrid->ListOptions(); }
    void SetOptions(TdaDBLookupListOptions Value) { FGrid->SetListOptions(Value); }
    void SetDataSource(TDataSource* Value);
    void SetDataField(const String& Value);
    void SetReadOnly(bool Value) { TdaDBCustomEdit::SetReadOnly(Value); }

    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
    TLeftRight DropDownAlignment() const { return FDropDownAlignment; }
    void SetDropDownAlignment(TLeftRight Value) { FDropDownAlignment = Value; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    TdaSeqSearchOptions SeqSearchOptions() const { return FSeqSearchOptions; }
    void SetSeqSearchOptions(TdaSeqSearchOptions Value) { FSeqSearchOptions = Value; }
    bool OrderByDisplay() const { return FOrderByDisplay; }
    void SetOrderByDisplay(bool Value) { FOrderByDisplay = Value; }
    int SearchDelay() const { return FSearchDelay; }
    void SetSearchDelay(int Value) { FSearchDelay = Value; }
    const String& SearchField() const { return FSearchField; }
    void SetSearchField(const String& Value) { FSearchField = Value; }
    bool UseTFields() const { return FUseTFields; }
    void SetUseTFields(bool Value);
    bool AllowClearKey() const { return FAllowClearKey; }
    void SetAllowClearKey(bool Value) { FAllowClearKey = Value; }
    bool PreciseEditRegion() const { return FPreciseEditRegion; }
    void SetPreciseEditRegion(bool Value) { FPreciseEditRegion = Value; }
    bool ControlInfoInDataset() const { return FControlInfoInDataset; }
    void SetControlInfoInDataset(bool Value) { FControlInfoInDataset = Value; }
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }
    // The combo follows the lookup table's cursor: moving it shows that record.
    bool Navigator() const { return FNavigator; }
    void SetNavigator(bool Value);
    TdaDropDownGridOptions* DropDownGridOptions() const { return FDropDownGridOptions.get(); }
    TdaPopupGrid* Grid() const { return FGrid; }
    // The window that holds the grid while it is dropped down.
    THintWindow* ListWindow() const { return FPopup; }
    TTimer* SearchTimer() const { return FTimer; }

    // The edit text while typing is accepted, else the grid's key value.
    String Value() const;
    void SetValue(const String& Value);
    String LookupValue() const { return FGrid->Value(); }
    void SetLookupValue(const String& Value) { SetValue(Value); }
    String Value2() const { return FGrid->FValue2; }
    String Value3() const { return FGrid->FValue3; }
    String DisplayValue() const { return Text(); }
    void SetDisplayValue(const String& Value);

    TNotifyEvent OnBeforeDropDown, OnDropDown;
    TNotifyCloseUpEvent OnCloseUp;
    TNotInListEvent OnNotInList;
    TdaPerformSearchEvent OnPerformCustomSearch;

    void DropDown() override;
    void CloseUp(bool modified) override;
    // The record under the list's bar is taken first.
    void CloseUpByButton() override;
    // Lower in a data grid that draws row lines, and lower again in a focused one.
    int PaintTextTop(bool InGrid, bool InDBGrid) const override;
    bool ReadDroppedDown() const override;
    bool IsTextEditable() const override { return AcceptsTyping(); }
    bool IsTextClickable() const override { return IsEditStyle(); }
    bool GetFieldMapText(const String& StoredValue, String& DisplayText) override;
    void LoadFieldText() override { HandleDataChange(); }
    void UpdateFieldData() override { HandleUpdateData(); }
    void Loaded() override;
    void KeyDown(Word& Key, TShiftState Shift) override;

    void HandleListClick(TObject* Sender);
    // The list-style combo's click: opens or closes the list.
    void ToggleDropDownByClick();
    // A press that began on Control and is dragged over the open list goes on as a press in the
    // list, so that one press, drag and release picks a row.
    void ForwardDragToGrid(TControl* Control, TdaPopupGrid* AGrid, int X, int Y);
    void ButtonMouseMove(TShiftState Shift, int X, int Y) override;
    // The mouse hook that closes the open list of the active combo on a click elsewhere.
    static HHOOK MouseHookHandle();
    void PositionDropDown();
    int SumColumnWidths(int Skip);
    int WorkAreaHeight() const;
    void RefreshDisplay();
    void PerformSearch();
    virtual void TimerSearch();
    virtual bool AlwaysCopyExtraKeys() { return false; }
    virtual bool FindIndexedValue(const String& Value, const String& FieldName, bool PartialMatch);
    virtual bool LocateValue(const String& SearchValue, const String& SearchField, bool PartialMatch,
                             bool CaseSensitive, bool PerformLookup);
    virtual void DoPerformCustomSearch(const String& SearchField, const String& SearchValue,
                                       bool PerformLookup, bool& Found);
    virtual void RefreshButton() {}

    bool AcceptsTyping() const;
    bool IsEditStyle() const;
    bool IsLookupTField() const;
    bool IsLinkedLookupField() const;
    bool CanEditValue() const;
    bool UseSeqSearch() const { return true; }
    bool IsValueCurrent() const;
    void BeginFieldEdit();
    void UpdateLookupValues();
    void ApplyLookupLinks(TDataSet* ALookupTable, bool& Modified);
    void HandleDataChange();
    void HandleUpdateData();
    // The display field is the key field (the combo then shows and stores the same text).
    bool DisplayIsKey() const;

    bool InList = true;
    String TypedInText;
    String OldLookupValue, OldDisplayValue;
    String FLastSearchKey;
    int ExtraHeight = 0;
    int ItemCount() const { return FItemCount; }

protected:
    friend class TdaDBLookupList;
    friend class TdaPopupGrid;
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void Change() override;
    void DoEnter() override;
    void WndProc(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The unfocused text takes the display field's alignment.
    TAlignment PaintAlignment() const override;

    bool ChangingFromLink = false;
    bool ProcessingNotInList = false;
    bool InCloseUpEvent = false;
    bool InDropDownEvent = false;
    bool InAutoDropDown = false;
    bool SkipDataChange = false;
    bool InCustomSearch = false;

private:
    std::unique_ptr<TdaDropDownGridOptions> FDropDownGridOptions;
    TdaPopupGrid* FGrid = nullptr;
    THintWindow* FPopup = nullptr;
    TTimer* FTimer = nullptr;
    int FDropDownCount = 8;
    int FDropDownWidth = 0;
    TLeftRight FDropDownAlignment = taLeftJustify;
    bool FShowMatchText = false;
    bool FAutoDropDown = false;
    TdaSeqSearchOptions FSeqSearchOptions{ssoEnabled};
    bool FOrderByDisplay = true;
    int FSearchDelay = 0;
    String FSearchField;
    bool FUseTFields = true;
    bool FAllowClearKey = false;
    bool FPreciseEditRegion = false;
    bool FControlInfoInDataset = true;
    bool FDisableThemes = false;
    int FItemCount = 0;
    bool OldShowHint = false;
    bool FNavigator = false;

    void NavigatorDataChange();
    static void InstallMouseHook();
    static void RemoveMouseHook();

    void SetDropDownHeight();
    void RestoreOldValues();
    void AddDefaultSelected();
    // The data set's field named like the lookup table's key field of that position (0..2).
    TField* DataFieldLikeKey(int Index) const;
    static bool IsSearchKey(Word Key);
};

class TdaDBLookupCombo : public TdaDBCustomLookupCombo {
    DECLARE_CLASS(TdaDBLookupCombo, TdaDBCustomLookupCombo)
public:
    using TdaDBCustomLookupCombo::TdaDBCustomLookupCombo;
};

void RegisterDataAwareLookupClasses();
