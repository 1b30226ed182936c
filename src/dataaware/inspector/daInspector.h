#pragma once
// The data inspector: a two-column property grid (captions left, values right) with one row per
// visible item of a tree of inspector items. Items keep their value as text (EditText) or show a
// data field; rows are edited by the grid's in-place editor, a pick-list combo, a date-time
// picker or a control of the item's own, and check-box rows toggle in place. The inspector paints
// itself completely into an off-screen bitmap and handles its own keys and mouse; a keyboard hook
// of the GUI thread brings the navigation keys from the editors over its cells back to it.

#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daDBEdit.h"
#include "dataaware/edits/daDateTimePicker.h"
#include "dataaware/foundation/daGridPaintOptions.h"
#include "platform/base/Collection.h"
#include "platform/data/DB.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"

#include <memory>

class TdaDataInspector;
class TdaInspectorItem;
class TdaInspectorCollection;
class THintWindow;
class TTimer;

DECLARE_ENUM(TdaInspectorItemOption, Byte, iioAutoDateTimePicker, iioAutoLookupCombo)
using TdaInspectorItemOptions = TSet<TdaInspectorItemOption>;

DECLARE_ENUM(TdaDataInspectorOption, Byte, ovColumnResize, ovRowResize, ovTabExits, ovEnterToTab,
             ovHighlightActiveRow, ovHideVertDataLines, ovCenterCaptionVert, ovTabToVisibleOnly, ovShowTreeLines,
             ovShowCaptionHints, ovShowCellHints, ovFillNonCellArea, ovActiveRecord3DLines, ovAllowInsert,
             ovHideCaptionColumn, ovHideVertFixedLines, ovUseOwnBackgroundColors)
using TdaDataInspectorOptions = TSet<TdaDataInspectorOption>;

DECLARE_ENUM(TdaDataInspectorLineStyle, Byte, ovNoLines, ovDottedLine, ovLight3DLine, ovDark3DLine, ovButtonLine)
DECLARE_ENUM(TdaInspectorTabSetFocusStyle, Byte, itsPreserveActiveItem, itsResetActiveItem)

using TdaInspectorItemChanged =
    std::function<void(TObject* Sender, TdaInspectorItem* Item, const String& NewValue)>;
using TdaInspectorItemNotifyEvent = std::function<void(TObject* Sender, TdaInspectorItem* Item)>;
using TdaInspectorItemCallback = std::function<void(TdaInspectorItem* Item, void* UserData, bool& AContinue)>;

// The value list of an item. With MapList every line is "display text<TAB>value text".
class TdaInspectorPickList : public TPersistent {
    DECLARE_CLASS(TdaInspectorPickList, TPersistent)
public:
    TdaInspectorPickList();
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    bool MapList = false;
    TComboBoxStyle Style = csDropDown;
    bool ShowMatchText = true;
    bool AllowClearKey = false;
    TdaComboButtonStyle ButtonStyle = cbsDownArrow;
    bool DisplayAsCheckbox = false;
    TBitmap* ButtonGlyph() const { return FButtonGlyph.get(); }
    void SetButtonGlyph(TBitmap* Value);
    int ButtonWidth = 0;
    void Assign(TPersistent* Source) override;

    // The display and value parts of line Index.
    void LineParts(int Index, String& Display, String& Value) const;

private:
    std::unique_ptr<TStringList> FItems;
    std::unique_ptr<TBitmap> FButtonGlyph;
};

// The field link of one item.
class TdaInspectorFieldDataLink : public TFieldDataLink {
public:
    TdaInspectorItem* InspectorItem = nullptr;

protected:
    void DataSetChanged() override;
};

class TdaInspectorItem : public TCollectionItem {
    DECLARE_CLASS(TdaInspectorItem, TCollectionItem)
public:
    explicit TdaInspectorItem(TCollection* ACollection);
    ~TdaInspectorItem() override;
    void Assign(TPersistent* Source) override;
    String GetNamePath() const override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    String DataField() const;
    void SetDataField(const String& Value);
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    int CellHeight() const { return FCellHeight; }
    void SetCellHeight(int Value);
    const String& EditText() const { return FEditText; }
    void SetEditText(const String& Value) {
        if (Value != FEditText) FEditText = Value;
    }
    TAlignment Alignment = taLeftJustify;
    bool ReadOnly = false;
    TWinControl* CustomControl() const { return FCustomControl; }
    void SetCustomControl(TWinControl* Value);
    bool CustomControlAlwaysPaints = true;
    bool CustomControlHighlight = false;
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool Value);
    TdaInspectorPickList* PickList() const { return FPickList.get(); }
    void SetPickList(TdaInspectorPickList* Value) { FPickList->Assign(Value); }
    TdaDBPicture* Picture() const { return FPicture.get(); }
    bool Resizeable = false;
    TdaInspectorCollection* Items() const { return FItems.get(); }
    void SetItems(TdaInspectorCollection* Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Tag = 0;
    String TagString;
    bool TabStop = true;
    TdaInspectorItemOptions Options{iioAutoDateTimePicker};
    bool WordWrap = false;
    bool DisableDefaultEditor = false;
    bool Enabled = true;
    TdaInspectorItemChanged OnItemChanged;
    TdaInspectorItemNotifyEvent OnEditButtonClick;

    bool ActiveRecord = false;
    TField* Field() const;
    // The inspector or stream component that owns the item's collection.
    TComponent* Control() const;
    TdaDataInspector* Inspector() const;
    int Level() const;
    TdaInspectorItem* ParentItem() const { return FParentItem; }
    bool Checked() const;
    void SetChecked(bool Value);
    String DisplayText() const { return ReadDisplayText(); }
    void SetDisplayText(const String& Value) { WriteDisplayText(Value); }
    String ReadDisplayText() const { return GetMappedDisplayText(FEditText); }
    void WriteDisplayText(const String& S);
    virtual String GetMappedDisplayText(const String& RawValue) const;
    // The item's text: the field's text when it has a field, else EditText.
    String ItemText() const;
    bool HasEditButton() const;
    TdaInspectorFieldDataLink* DataLink() const { return FDataLink.get(); }

    TdaInspectorItem* GetFirstChild(bool VisibleItemsOnly, bool ExpandedOnly) const;
    TdaInspectorItem* GetLastChild(bool VisibleItemsOnly, bool ExpandedOnly) const;
    TdaInspectorItem* GetNextSibling(bool VisibleItemsOnly) const;
    TdaInspectorItem* GetPriorSibling(bool VisibleItemsOnly) const;
    TdaInspectorItem* GetNext(bool VisibleItemsOnly, bool ExpandedOnly) const;
    TdaInspectorItem* GetPrior(bool VisibleItemsOnly, bool ExpandedOnly) const;
    bool HaveVisibleItem() const;
    void ItemChanged();

    TPoint ButtonPoint;

protected:
    String GetDisplayName() const override;

private:
    friend class TdaInspectorCollection;
    friend class TdaDataInspector;
    String FDataField, FCaption, FEditText;
    int FCellHeight = 0;
    TWinControl* FCustomControl = nullptr;
    bool FExpanded = false, FVisible = true;
    std::unique_ptr<TdaInspectorPickList> FPickList;
    std::unique_ptr<TdaDBPicture> FPicture;
    std::unique_ptr<TdaInspectorCollection> FItems;
    std::unique_ptr<TdaInspectorFieldDataLink> FDataLink;
    TdaInspectorItem* FParentItem = nullptr;
};

class TdaInspectorCollection : public TCollection {
    DECLARE_CLASS(TdaInspectorCollection, TCollection)
public:
    TdaInspectorCollection(TComponent* AControl, TdaInspectorItem* AParentItem);
    TdaInspectorItem* Add() { return static_cast<TdaInspectorItem*>(TCollection::Add()); }
    TdaInspectorItem* Insert(int Index) { return static_cast<TdaInspectorItem*>(TCollection::Insert(Index)); }
    TdaInspectorItem* ReadItems(int Index) const { return static_cast<TdaInspectorItem*>(TCollection::Items(Index)); }
    TdaInspectorItem* operator[](int Index) const { return ReadItems(Index); }
    TdaInspectorItem* ParentItem() const { return FParentItem; }
    TComponent* Control() const { return FControl; }

    // The whole item tree of the owning inspector, in a text stream that reads back the same.
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream);
    void SaveToFile(const String& FileName);
    void LoadFromFile(const String& FileName);

protected:
    void Update(TCollectionItem*) override {}
    TPersistent* GetOwner() const override { return FControl; }

private:
    TComponent* FControl;
    TdaInspectorItem* FParentItem;
};

// Carries an item tree through streams.
class TdaCollectionStreamComponent : public TComponent {
    DECLARE_CLASS(TdaCollectionStreamComponent, TComponent)
public:
    explicit TdaCollectionStreamComponent(TComponent* AOwner);
    TdaInspectorCollection* Items() const { return FItems.get(); }

private:
    std::unique_ptr<TdaInspectorCollection> FItems;
};

class TdaInspectorIndicatorRow : public TPersistent {
    DECLARE_CLASS(TdaInspectorIndicatorRow, TPersistent)
public:
    TdaDataInspector* Inspector = nullptr;
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);

private:
    TAlignment FTextAlignment = taLeftJustify;
    TColor FColor = clBtnFace;
    bool FEnabled = false;
    String FCaption;
    int FHeight = 0;
};

class TdaInspectorButtonOptions : public TPersistent {
    DECLARE_CLASS(TdaInspectorButtonOptions, TPersistent)
public:
    explicit TdaInspectorButtonOptions(TdaDataInspector* AOwner);
    TBitmap* ExpandGlyph() const { return FExpandGlyph.get(); }
    void SetExpandGlyph(TBitmap* Value);
    TBitmap* CollapseGlyph() const { return FCollapseGlyph.get(); }
    void SetCollapseGlyph(TBitmap* Value);
    bool TransparentGlyphs = false;

private:
    TdaDataInspector* FOwner;
    std::unique_ptr<TBitmap> FExpandGlyph, FCollapseGlyph;
};

// The in-place editor of plain text rows.
class TdaDataInspectorEdit : public TInplaceEdit {
    DECLARE_CLASS(TdaDataInspectorEdit, TInplaceEdit)
public:
    explicit TdaDataInspectorEdit(TComponent* AOwner);
    TdaDataInspector* ParentGrid = nullptr;
    TdaDBPicture* Picture() const { return FPicture.get(); }
    bool UsePictureMask = true;
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool HavePictureMask() const { return !FPicture->PictureMask().empty(); }
    bool IsValidPictureValue(const String& S);
    void UpdateContents() override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void WndProc(TMessage& Message) override;
    void DoEnter() override;

private:
    std::unique_ptr<TdaDBPicture> FPicture;
    bool FWordWrap = false;
};

// The shared pick-list combo of the inspector.
class TdaInspectorComboBox : public TdaDBComboBox {
    DECLARE_CLASS(TdaInspectorComboBox, TdaDBComboBox)
public:
    explicit TdaInspectorComboBox(TComponent* AOwner);
    TdaDataInspector* Inspector = nullptr;
    Cardinal ClickTime = 0;
    void DropDown() override;
    void CloseUp(bool Accept) override;

protected:
    void WndProc(TMessage& Message) override;
};

class TdaInspectorHintWindow;

using TdaInspectorDrawDataCellEvent = std::function<void(TObject* Sender, TdaInspectorItem* ObjItem, bool ASelected,
                                                         TRect ACellRect, bool& DefaultDrawing)>;
using TdaInspectorDrawCaptionCellEvent =
    std::function<void(TObject* Sender, TdaInspectorItem* ObjItem, bool ASelected, TRect ACellRect,
                       TRect& ACaptionRect, bool& DefaultTextDrawing)>;
using TdaInspectorDrawIndicatorCellEvent =
    std::function<void(TObject* Sender, int ACol, TRect ACellRect, bool& DefaultDrawing)>;
using TdaInspectorCalcDataPaintTextEvent =
    std::function<void(TObject* Sender, TdaInspectorItem* Item, String& PaintText)>;
using TdaInspectorCalcCustomEditEvent = std::function<void(TObject* Sender, TdaInspectorItem* Item,
                                                           TWinControl* CustomEdit, bool& AllowCustomEdit)>;
using TdaInspectorControlEvent = std::function<void(TObject* Sender, TWinControl* Control)>;
using TdaInspectorFieldChangedEvent = std::function<void(TObject* Sender, TField* Field)>;
using TdaInspectorValidationErrorEvent =
    std::function<void(TObject* Sender, TdaInspectorItem* Item, String& Msg, bool& DoDefault)>;
using TdaInspectorCanSelectEvent = std::function<void(TObject* Sender, TdaInspectorItem* ObjItem, bool& CanSelect)>;
using TdaInspectorItemEvent = std::function<void(TObject* Sender, TdaInspectorItem* ObjItem)>;
using TdaInspectorCreateHintWindowEvent =
    std::function<void(TObject* Sender, THintWindow* HintWindow, TField* AField, TRect R, bool& WordWrap,
                       int& MaxWidth, int& MaxHeight, bool& DoDefault)>;
using TdaValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;

class TdaDataInspector;

class TdaDataInspectorDataLink : public TDataLink {
public:
    explicit TdaDataInspectorDataLink(TdaDataInspector* AInspector) : ObjectView(AInspector) {}
    TdaDataInspector* ObjectView;
    bool InUpdateData = false;
    bool Modified = false;
    void Reset();
    void DoUpdateData() { UpdateData(); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    void FocusControl(TField** Field) override;
};

class TdaDataInspector : public TCustomGrid {
    DECLARE_CLASS(TdaDataInspector, TCustomGrid)
public:
    explicit TdaDataInspector(TComponent* AOwner);
    ~TdaDataInspector() override;
    static void Published(TPublisher<TdaDataInspector>& P);

    // ---- Items and lookups
    TdaInspectorCollection* Items() const { return FItems.get(); }
    void SetItems(TdaInspectorCollection* Value) { FItems->Assign(Value); }
    TdaInspectorItem* GetItemByTagString(const String& Text) const;
    TdaInspectorItem* GetItemByCaption(const String& Text) const;
    TdaInspectorItem* GetItemByFieldName(const String& Text) const;
    void IterateItems(bool ExpandedOnly, void* UserData, const TdaInspectorItemCallback& Callback) const;
    TdaInspectorItem* GetFirstChild(bool VisibleItemsOnly) const;
    bool HaveVisibleItem() const;

    // ---- Layout
    bool DisableThemes = false;
    // Visual styles are on and not disabled for this inspector.
    bool ThemesActive() const { return IsThemeActive() && !DisableThemes; }
    // The grid's own bar is the vertical one; with several data columns the horizontal bar
    // moves through the records.
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TColor CaptionColor() const { return FixedColor(); }
    void SetCaptionColor(TColor Value);
    TColor TreeLineColor = clWhite;
    int DataColumns() const { return FDataColumns; }
    void SetDataColumns(int Value);
    TdaInspectorIndicatorRow* IndicatorRow() const { return FIndicatorRow.get(); }
    bool PictureMaskFromDataSet = false;
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int CaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(int Value);
    TdaDataInspectorOptions Options() const { return FOptions; }
    void SetOptions(TdaDataInspectorOptions Value);
    TdaGridPaintOptions* PaintOptions() const { return FPaintOptions.get(); }
    TFont* CaptionFont() const { return FCaptionFont.get(); }
    void SetCaptionFont(TFont* Value);
    TdaDataInspectorLineStyle LineStyleCaption() const { return FLineStyleCaption; }
    void SetLineStyleCaption(TdaDataInspectorLineStyle Value);
    TdaDataInspectorLineStyle LineStyleData() const { return FLineStyleData; }
    void SetLineStyleData(TdaDataInspectorLineStyle Value);
    TColor DottedLineColor() const { return FDottedLineColor; }
    void SetDottedLineColor(TColor Value);
    TdaInspectorButtonOptions* ButtonOptions() const { return FButtonOptions.get(); }
    bool ReadOnly = false;
    int CaptionIndent() const { return FCaptionIndent; }
    void SetCaptionIndent(int Value);
    TdaInspectorTabSetFocusStyle SetFocusTabStyle = itsPreserveActiveItem;
    int FixedDataRows() const { return FFixedDataRows; }
    void SetFixedDataRows(int Value);

    TdaInspectorItem* ActiveItem() const { return GetItemByRow(Row(), false); }
    void SetActiveItem(TdaInspectorItem* Value);
    int ActiveRows() const;
    TWinControl* ActiveEdit() const;
    TdaDataInspectorDataLink* DataLink() const { return FDataLink.get(); }
    TdaDBDateTimePicker* DefaultDateTimePicker();
    TdaInspectorComboBox* DefaultCombo() const { return FDefaultCombo; }
    TCanvas* Canvas() const;
    bool CustomControlKeyMode = false;
    TWinControl* CurrentCustomEdit() const { return FCustomEdit; }
    bool InspectorFocused() const { return FFocused; }

    void ApplySettings();
    virtual void RefreshItem(TdaInspectorItem* Item);
    virtual int GetRowByItem(TdaInspectorItem* Item) const;
    virtual TdaInspectorItem* GetItemByRow(int ARow, bool Optimize) const;
    TdaInspectorItem* RefreshActiveItem() const { return ActiveItem(); }
    TRect LevelRect(TdaInspectorItem* Item) const;
    TdaInspectorItem* MouseToItem(int X, int Y) const;
    using TCustomGrid::CellRect;
    using TCustomGrid::MouseToCell;
    void BeginUpdate();
    void EndUpdate(bool Repaint);
    int UpdateCount() const { return FUpdateCount; }
    void InvalidateRow(int ARow);
    void InvalidateRowCol(int ARow, int ACol);
    void FlushContents();
    void ToggleCheckBox();
    bool CanEditModify() const override;
    // Marks the row count to be checked before the next paint (items made or freed).
    void ItemsChanged() { FCheckRowCount = true; }
    void Loaded() override;

    // ---- Events
    TdaInspectorDrawDataCellEvent OnDrawDataCell;
    TdaInspectorDrawCaptionCellEvent OnDrawCaptionCell;
    TdaInspectorDrawIndicatorCellEvent OnDrawIndicatorCell;
    TdaInspectorCalcDataPaintTextEvent OnCalcDataPaintText;
    TNotifyEvent OnBeforePaint;
    TdaInspectorCalcCustomEditEvent OnCalcCustomEdit;
    TdaInspectorControlEvent OnCreateDateTimePicker, OnCreateDefaultCombo;
    TdaInspectorItemChanged OnItemChanged;
    TdaInspectorFieldChangedEvent OnFieldChanged;
    TdaInspectorValidationErrorEvent OnValidationErrorUsingMask;
    TdaInspectorCanSelectEvent OnBeforeSelectCell;
    TdaInspectorItemEvent OnAfterSelectCell, OnExpanded, OnCollapsed;
    TdaInspectorCanSelectEvent OnCanExpand, OnCanCollapse;
    TdaInspectorCreateHintWindowEvent OnCreateHintWindow;
    TNotifyEvent OnTopLeftChanged;
    TdaValidateEvent OnCheckValue;
    TGetEditEvent OnGetEditMask;

    // ---- Operations the other parts reach
    virtual void MoveToCell(int ACol, int ARow);
    virtual void DataChanged();
    virtual bool DataSetActive() const;
    virtual void UpdateRecordScrollBar();
    virtual void RecordScrolled(int Distance);
    virtual void SyncActiveRecordColumn();
    // The cell the mouse is over while it lights a themed check box (-1, -1 when none).
    TGridCoord HotCell() const { return FHotCell; }
    virtual bool UsesDefaultEditor() const;
    virtual bool IsCheckBoxRow(int ARow) const;
    virtual TPoint GetButtonCenter(TdaInspectorItem* Item, const TRect& R);
    virtual TRect GetCheckBoxRect(const TRect& R) const;
    virtual void CollapseItem(TdaInspectorItem* Item);
    virtual void ExpandItem(TdaInspectorItem* Item);
    virtual void LayoutDataColumns();
    virtual bool FocusInspector();
    virtual void DoItemChanged(TdaInspectorItem* Item, const String& NewValue);
    virtual void DoFieldChanged(TField* Field);
    virtual void DoValidationError(TdaInspectorItem* Item);
    virtual void BindEditControl(TWinControl* Control, TdaInspectorItem* Item);
    virtual void ShowCellHint(int X, int Y);
    virtual void HideCellHint();
    THintWindow* CellHintWindow() const;
    // The edit text last exchanged with the in-place editor.
    const String& InspectorEditText() const { return FEditText; }
    void PrepareCustomEdit();
    void ShowCustomEditAfterChoice();
    void HideCustomEdit();
    // The hook's shared handle (0 when none is installed).
    static HHOOK KeyboardHookHandle();
    static void DropSharedHook();

protected:
    friend class TdaInspectorItem;
    friend class TdaDataInspectorEdit;
    friend class TdaInspectorComboBox;
    friend class TdaDataInspectorDataLink;
    friend class TdaInspectorIndicatorRow;
    friend class TdaInspectorButtonOptions;

    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void TopLeftChanged() override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditShow() const override;
    bool CanEditAcceptKey(Char Key) const override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    String GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WndProc(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void FocusCustomEdit();
    virtual void DrawIndicatorCell(int ACol, const TRect& R);
    virtual void DrawTreeLines(TdaInspectorItem* Item, const TRect& R);
    virtual void DoDrawDataCell(TdaInspectorItem* Item, bool ASelected, const TRect& R, bool& DefaultDrawing);
    virtual void DoDrawCaptionCell(TdaInspectorItem* Item, bool ASelected, const TRect& R, TRect& CaptionRect,
                                   bool& DefaultTextDrawing);
    virtual void DoCalcDataPaintText(TdaInspectorItem* Item, String& PaintText);
    virtual void DataLinkActiveChanged(bool Active);
    void PostEditText();
    void RefreshEditor(TField* Field);
    void InstallKeyboardHook();
    void RemoveKeyboardHook();

private:
    void CommitCurrentRow(bool CheckPicture, bool& Cancelled);
    bool RowUsesEditor(int ARow) const;
    bool ItemIsDatePicker(TdaInspectorItem* Item) const;
    bool ItemIsLookup(TdaInspectorItem* Item) const;
    void PlaceCustomEdit();
    TRect EditorRect(int ACol, int ARow) const;
    void DrawRowLines(TCanvas* C, const TGridDrawInfo& D);
    void DrawHorzLine(TCanvas* C, TColor Color, int X1, int X2, int Y);
    void DrawVertLine(TCanvas* C, TColor Color, int X, int Y1, int Y2);
    void DrawCheckBox(TCanvas* C, TdaInspectorItem* Item, int ACol, int ARow, const TRect& R);
    void PaintCustomControlImage(TCanvas* C, TWinControl* Control, const TRect& R);
    void RecordScroll(int Code, int Pos);
    void SetHotCell(TGridCoord Cell);
    void DrawExpandButton(TCanvas* C, TdaInspectorItem* Item, const TRect& R);
    void CalcSizing(int X, int Y, TGridState& State, int& Index, int& Pos, int& Ofs) const;
    void HintTimer(TObject* Sender);
    int FirstDataRow() const { return FIndicatorRow->Enabled() ? 1 : 0; }
    int LastRow() const { return RowCount() - 1; }
    void MoveByRows(int Delta);
    void TabToItem(bool Forward);
    bool HasFocusInside() const;

    std::unique_ptr<TdaInspectorCollection> FItems;
    std::unique_ptr<TdaDataInspectorDataLink> FDataLink;
    std::unique_ptr<TdaInspectorIndicatorRow> FIndicatorRow;
    std::unique_ptr<TdaInspectorButtonOptions> FButtonOptions;
    std::unique_ptr<TdaGridPaintOptions> FPaintOptions;
    std::unique_ptr<TFont> FCaptionFont;
    std::unique_ptr<TBitmap> FPaintBitmap;
    bool FUseTempCanvas = false;
    int FDataColumns = 1, FDefaultRowHeight = 0, FCaptionWidth = 100, FCaptionIndent = 12, FFixedDataRows = 0;
    int FMinRowHeight = 0, FLastGridDefaultRowHeight = 0;
    TdaDataInspectorOptions FOptions;
    TdaDataInspectorLineStyle FLineStyleCaption = ovDark3DLine, FLineStyleData = ovDark3DLine;
    TColor FDottedLineColor = clBtnShadow;
    int FUpdateCount = 0;
    bool FInvalidateOnEndUpdate = false;
    bool FCheckRowCount = false;
    bool FFocused = false;
    bool FHookOwner = false;
    TWinControl* FCustomEdit = nullptr;
    TGridCoord FCustomEditCell{-1, -1};
    String FEditText;
    bool FNoEditTextWrite = false;
    bool FInMouseDown = false;
    bool FTextIsSame = false;
    bool FProbeOnly = false;
    TdaInspectorComboBox* FDefaultCombo = nullptr;
    TdaDBDateTimePicker* FDefaultPicker = nullptr;
    TdaInspectorItem* FLastActiveItem = nullptr;
    TScrollStyle FScrollBars = StdCtrls::ssVertical;
    // The record bar's last settings, so that it is only set when they change.
    int FBarMin = 0, FBarMax = -1, FBarPage = -1, FBarPos = -1;
    TGridCoord FHotCell{-1, -1};
    bool FSelectUpdate = false;
    int FMouseRow = -1;
    // Sizing by the mouse.
    TGridState FSizing = gsNormal;
    int FSizingIndex = -1, FSizingPos = 0, FSizingOfs = 0;
    // Cell hints.
    TGridCoord FHintCell{-1, -1};
    TdaInspectorHintWindow* FHintWindow = nullptr;
    TTimer* FHintTimer = nullptr;
    int FHintTicks = 0;
    bool FDestroying = false;
};

// The hint window of a cell whose text does not fit.
class TdaInspectorHintWindow : public THintWindow {
    DECLARE_CLASS(TdaInspectorHintWindow, THintWindow)
public:
    using THintWindow::THintWindow;
    TField* Field = nullptr;
    bool WordWrap = false;
    TAlignment Alignment = taLeftJustify;
    bool CenterVertically = false;

protected:
    void Paint() override;
};

// Makes the inspector's classes known by name (streams and class tests).
void RegisterInspectorClasses();
