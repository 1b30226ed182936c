#pragma once
// Edits with a button inside their right edge: the drop-down edit base (an ellipsis button that
// runs a custom dialog, or a drop-down arrow whose list a descendant supplies) and the combo box
// with its pop-up list, display/value mapping, typing aids and history.

#include "dataaware/edits/daDBEdit.h"
#include "dataaware/edits/daEditsShared.h"
#include "dataaware/edits/daHistoryList.h"
#include "dataaware/foundation/daComboButton.h"
#include "dataaware/foundation/daEditFrame.h"
#include "platform/base/Lists.h"
#include "platform/gui/StdCtrls.h"

class TdaDBCustomCombo;
class THintWindow;

// The combo box's own styles (TComboBoxStyle) share two of these names: the drop-down edit's
// styles live in their unit's namespace.
namespace daDBCombo {
DECLARE_ENUM(TdaDBLookupComboStyle, Byte, csDropDown, csDropDownList)
}
using daDBCombo::TdaDBLookupComboStyle;
DECLARE_ENUM(TdaComboButtonStyle, Byte, cbsEllipsis, cbsDownArrow, cbsCustom)

// The button of a drop-down edit: the library's combo button, asking the combo whether it is
// hot, dropped down or draws a themed look of its own.
class TdaComboDlgButton : public TdaComboButton {
    DECLARE_CLASS(TdaComboDlgButton, TdaComboButton)
public:
    using TdaComboButton::TdaComboButton;
    TdaDBCustomCombo* Combo() const;

    bool OwnerThemed() override;
    bool ArrowOnly() override;
    bool OwnerHot() override;
    bool OwnerDroppedDown() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// The small window that holds the button inside the edit.
class TBtnWinControl : public TWinControl {
    DECLARE_CLASS(TBtnWinControl, TWinControl)
public:
    explicit TBtnWinControl(TComponent* AOwner);
    TdaDBCustomCombo* EditControl = nullptr;

protected:
    // A see-through or flat button pressed: the parent is painted first under it.
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void CMMouseLeave(TMessage& Message) override;
};

class TdaDBCustomCombo : public TdaDBCustomEdit {
    DECLARE_CLASS(TdaDBCustomCombo, TdaDBCustomEdit)
public:
    explicit TdaDBCustomCombo(TComponent* AOwner);
    ~TdaDBCustomCombo() override;

    TdaComboDlgButton* Button() const { return FButton; }
    TdaDBLookupComboStyle Style() const { return FStyle; }
    void SetStyle(TdaDBLookupComboStyle Value) { FStyle = Value; }
    TdaComboButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TdaComboButtonStyle Value);
    // 0: the system's scroll-bar width, at least 15.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    bool AutoEnableEdit() const { return FAutoEnableEdit; }
    void SetAutoEnableEdit(bool Value) { FAutoEnableEdit = Value; }
    // The text is kept inside its formatting rectangle (a window of several lines).
    bool LimitEditRect() const { return FLimitEditRect; }
    void SetLimitEditRect(bool Value);
    // The flat and transparent looks of the button.
    TdaButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    void SetButtonEffects(TdaButtonEffects* Value) { FButtonEffects->Assign(Value); }
    TBitmap* ButtonGlyph() const { return FButton->Glyph(); }
    void SetButtonGlyph(TBitmap* Value);
    TNotifyEvent OnCustomDlg;
    // The mouse is over the button (as the button last painted).
    bool MouseInButtonControl() const { return FMouseInButtonControl; }
    // Set while the holder makes the parent repaint under the button.
    bool SkipUpdate = false;

    // Draws the classic button for the ellipsis and arrow styles (UseDefault becomes False);
    // a custom button is left to the combo button's own painting.
    virtual void PaintButton(TCanvas* Canvas, const TRect& Rect, bool& UseDefault, TControlState ControlState,
                             TButtonState ButtonState);
    bool IsThemedListLook() const override;
    // With flat or transparent effects an arrow button shows the drop-down glyph.
    void UpdateButtonGlyph();
    // Repaints what lies under a flat or transparent button, then the button.
    void RefreshUnderButton();

    virtual void DropDown();
    virtual void CloseUp(bool Accept);
    // A press on the button of the open drop-down closes it, accepting.
    virtual void CloseUpByButton() { CloseUp(true); }
    // The mouse moved over the button (in its coordinates); a drop-down with a list of its own
    // lets a press on the button drag on into the list.
    virtual void ButtonMouseMove(TShiftState, int, int) {}
    virtual bool IsTextClickable() const { return FStyle != daDBCombo::csDropDownList; }
    bool ReadShowButton() const override;
    void WriteShowButton(bool Value) override;
    bool IsTextEditable() const override;
    bool ReadDroppedDown() const override { return FDroppedDown; }
    int ReadButtonAreaWidth() const override;
    int ReadTextRightEdge() const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    // F4, Alt+Up and Alt+Down open or close; Enter and Esc close an open drop-down. True when
    // the key was one of these (it is then consumed).
    bool HandleDropDownKeys(Word& Key, TShiftState Shift);
    void ButtonClick(TObject* Sender);
    void PositionButton();
    // The text stops short of the button.
    void SetEditRect() override;
    void Loaded() override;

protected:
    void KeyPress(Char& Key) override;
    void Resize() override;
    void WndProc(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;

    bool FDroppedDown = false;

private:
    friend class TdaComboDlgButton;
    TBtnWinControl* FBtnControl;
    TdaComboDlgButton* FButton;
    std::unique_ptr<TdaComboButtonEffects> FButtonEffects;
    bool FMouseInButtonControl = false;
    bool FLimitEditRect = false;
    TdaDBLookupComboStyle FStyle = daDBCombo::csDropDown;
    TdaComboButtonStyle FButtonStyle = cbsEllipsis;
    int FButtonWidth = 0;
    bool FAutoEnableEdit = true;

    int DefaultButtonWidth() const;
    static void Published(TPublisher<TdaDBCustomCombo>& P);
};

class TdaDBCustomComboBox;

// Items of a combo box: every change tells the combo that its lines are to be built again.
class TdaComboStringList : public TStringList {
public:
    TdaDBCustomComboBox* Combo = nullptr;

protected:
    void Changed() override;
};

// The pop-up list of a combo box; the keyboard focus stays in the combo.
class TdaPopupListbox : public TCustomListBox {
    DECLARE_CLASS(TdaPopupListbox, TCustomListBox)
public:
    explicit TdaPopupListbox(TComponent* AOwner);
    String FSearchText;
    Cardinal FSearchTickCount = 0;
    void KeyPress(Char& Key) override;
};

using TdaComboCloseUpEvent = std::function<void(TObject* Sender, bool Select)>;
using TdaAddHistoryItemEvent = std::function<void(TObject* Sender, const String& Value, bool& Accept)>;

class TdaDBCustomComboBox : public TdaDBCustomCombo {
    DECLARE_CLASS(TdaDBCustomComboBox, TdaDBCustomCombo)
public:
    explicit TdaDBCustomComboBox(TComponent* AOwner);
    ~TdaDBCustomComboBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    bool MapList() const { return FMapList; }
    void SetMapList(bool Value) { FMapList = Value; }
    TComboBoxStyle Style() const { return FComboStyle; }
    // csSimple hides the button; leaving csSimple shows it again.
    void SetStyle(TComboBoxStyle Value);
    bool AllowClearKey() const { return FAllowClearKey; }
    void SetAllowClearKey(bool Value) { FAllowClearKey = Value; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
    bool DisableDropDownList() const { return FDisableDropDownList; }
    void SetDisableDropDownList(bool Value) { FDisableDropDownList = Value; }
    bool TwoColumnDisplay() const { return FTwoColumnDisplay; }
    void SetTwoColumnDisplay(bool Value) { FTwoColumnDisplay = Value; }
    int Column1Width() const { return FColumn1Width; }
    void SetColumn1Width(int Value) { FColumn1Width = Value; }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value) { FItemHeight = Value; }
    TdaHistoryList* HistoryList() const { return FHistoryList.get(); }
    TdaPopupListbox* Listbox() const { return FListbox; }
    THintWindow* ListWindow() const { return FPopup; }
    bool DroppedDown() const { return FListVisible; }
    void SetDroppedDown(bool Value);
    String Value() const;
    int ItemIndex() const;
    void SetItemIndex(int Value) { WriteItemIndex(Value); }

    TNotifyEvent OnDropDown;
    TdaComboCloseUpEvent OnCloseUp;
    TdaAddHistoryItemEvent OnAddHistoryItem;
    TDrawItemEvent OnDrawItem;

    virtual void WriteValue(const String& Value);
    virtual int FindItemIndex(const String& Text, int StartIndex);
    virtual void WriteItemIndex(int Value);
    virtual int DefaultItemHeight();
    virtual void DeleteItem(const String& Value, bool DeleteFromHistory);
    virtual void AddItem(const String& Value, bool AddToHistory);
    virtual void ClearHistory();
    virtual String GetComboValue(const String& DisplayText) const;
    virtual String GetComboDisplay(const String& Value) const;
    virtual void ApplyList();
    void ListBoxItemsNeeded();

    void DropDown() override;
    void CloseUp(bool Accept) override;
    bool GetFieldMapText(const String& StoredValue, String& DisplayText) override;
    void LoadFieldText() override;
    bool ReadDroppedDown() const override { return FListVisible; }
    bool IsOwnerDrawn() const override;
    bool IsTextEditable() const override;
    bool IsTextClickable() const override;
    void ReadStoredText(String& Text) const override;
    void Reset() override;
    void KeyDown(Word& Key, TShiftState Shift) override;

    bool DirtyListBox = false;
    bool DoSelChange = false;

protected:
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;

private:
    friend class TdaPopupListbox;
    bool FMapList = false;
    std::unique_ptr<TdaComboStringList> FItems;
    int FDropDownCount = 8;
    int FItemHeight = 0;
    THintWindow* FPopup = nullptr;
    TdaPopupListbox* FListbox = nullptr;
    bool FListVisible = false;
    bool FNoKeysEnteredYet = false;
    bool FAllowClearKey = false;
    int FItemIndex = -1;
    TComboBoxStyle FComboStyle = csDropDown;
    int FDropDownWidth = 0;
    bool FAutoDropDown = false;
    bool FShowMatchText = false;
    std::unique_ptr<TdaHistoryList> FHistoryList;
    bool InAutoDropDown = false;
    bool LastShowHint = false;
    String PreDropDownText;
    bool FDisableDropDownList = false;
    int FColumn1Width = 0;
    bool FTwoColumnDisplay = false;

    static void Parts(const String& Entry, String& Display, String& Value);
    int EffectiveMRUCount() const { return FHistoryList->EffectiveMRUCount(); }
    void ShowStoredValue(const String& Value);
    int IndexOfText();
    void SelectItemByKey(int Index);
    void SelectMatchedItem(int Index);
    void ClearValue();
    bool EnterEditMode();
    void CreateListbox();
    void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ListSelChange();
    void DrawListItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
};

class TdaDBComboBox : public TdaDBCustomComboBox {
    DECLARE_CLASS(TdaDBComboBox, TdaDBCustomComboBox)
public:
    using TdaDBCustomComboBox::TdaDBCustomComboBox;
};
