#pragma once
// The standard controls: label, edit, memo, button, check box, radio button, group box, radio
// group, list box, combo box and scroll bar.
//
// Every control takes its input as messages through WindowProc (keys as WM_KEYDOWN / WM_CHAR,
// the mouse as WM_LBUTTONDOWN…) and reports its changes through its dispatchers (Change, Click,
// Select, Scroll…), as the Windows controls do through their notifications: an edit tells
// itself CN_COMMAND with EN_CHANGE, a list box LBN_SELCHANGE, a combo box CBN_SELCHANGE…
//
// Edits, memos and the edit part of combo boxes hold a native text widget inside their window
// for real editing (selection, clipboard, input methods). Its keys and mouse still come to the
// control's WindowProc first: a key an OnKeyDown or OnKeyPress clears never reaches the text.
// The text widget follows the control's Font and Color. Without a window these controls keep
// their text and selection themselves, so they can be filled and read before they are shown.
//
// Lists, buttons, check boxes, radio buttons, group boxes and scroll bars paint themselves
// through their canvas in the classic look; owner-drawn list and combo items are drawn by
// OnDrawItem on the control's Canvas.

#include "platform/base/Lists.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ModalResults.h"
#include "platform/gui/ScrollBars.h"

#include <functional>
#include <memory>
#include <vector>

class TBasicAction;
class TCustomForm;
struct TEditCore;

// ---- Enumerations -------------------------------------------------------------------------------

using TLeftRight = TAlignment;
DECLARE_ENUM(TTextLayout, Byte, tlTop, tlCenter, tlBottom)
DECLARE_ENUM(TEllipsisPosition, Byte, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis)
// The editor's commands take ecUpperCase and ecLowerCase too: the letter cases live in their
// unit's namespace (bring them in with `using enum StdCtrls::TEditCharCase`).
namespace StdCtrls {
DECLARE_ENUM(TEditCharCase, Byte, ecNormal, ecUpperCase, ecLowerCase)
}
using StdCtrls::TEditCharCase;
// ssHorizontal is a shift state too: the scroll styles live in their unit's namespace (bring
// them in with `using enum StdCtrls::TScrollStyle`).
namespace StdCtrls {
DECLARE_ENUM(TScrollStyle, Byte, ssNone, ssHorizontal, ssVertical, ssBoth)
}
using StdCtrls::TScrollStyle;
DECLARE_ENUM(TCheckBoxState, Byte, cbUnchecked, cbChecked, cbGrayed)
// The virtual styles (items from OnData) are not supported: they show as lbStandard and
// lbOwnerDrawFixed.
DECLARE_ENUM(TListBoxStyle, Byte, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual,
             lbVirtualOwnerDraw)
DECLARE_ENUM(TComboBoxStyle, Byte, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed,
             csOwnerDrawVariable)
DECLARE_ENUM(TScrollBarKind, Byte, sbHorizontal, sbVertical)
// The SB_* codes in order.
DECLARE_ENUM(TScrollCode, Byte, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop,
             scBottom, scEndScroll)
DECLARE_ENUM(TOwnerDrawStateItem, Byte, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
             odHotLight, odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

// ---- Styles of the standard controls ------------------------------------------------------------

enum : Cardinal {
    // Edits: the text's alignment, several lines, scrolling with the caret (a multi-line edit
    // without ES_AUTOHSCROLL wraps its lines), Enter makes a new line.
    ES_LEFT = 0x0000,
    ES_CENTER = 0x0001,
    ES_RIGHT = 0x0002,
    ES_MULTILINE = 0x0004,
    ES_AUTOVSCROLL = 0x0040,
    ES_AUTOHSCROLL = 0x0080,
    ES_WANTRETURN = 0x1000,
};

// ---- Messages and notifications of the standard controls ----------------------------------------

enum : UINT {
    // Edits (positions count CR LF as two characters, as the text does).
    EM_GETSEL = 0x00B0,    // WParam, LParam: int* for start and end (either may be null); answers
                           // MAKELPARAM(start, end)
    EM_SETSEL = 0x00B1,    // WParam start, LParam end (-1: the end); start -1 removes the selection
    EM_GETRECT = 0x00B2,   // LParam TRect*: the formatting rectangle (client coordinates)
    EM_SETRECT = 0x00B3,   // LParam const TRect*: the text goes inside it (0: the client area);
    EM_SETRECTNP = 0x00B4, // a resize brings back the client area
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,  // WParam line (-1: the caret's); answers its first position or -1
    EM_LINELENGTH = 0x00C1, // WParam a position; answers the length of its line
    EM_REPLACESEL = 0x00C2, // LParam const String*
    EM_GETLINE = 0x00C4,    // WParam line, LParam String*; answers the length
    EM_LIMITTEXT = 0x00C5,  // WParam the limit, 0 none
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_LINEFROMCHAR = 0x00C9, // WParam a position (-1: the caret's)
    EM_SETPASSWORDCHAR = 0x00CC,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_SETMARGINS = 0x00D3, // WParam EC_LEFTMARGIN / EC_RIGHTMARGIN, LParam MAKELPARAM(left, right)
    EM_GETLIMITTEXT = 0x00D5,
    EM_SETLIMITTEXT = EM_LIMITTEXT,
    // Buttons: the check state (BST_*); BM_SETCHECK fires no OnClick; BM_CLICK clicks as the
    // user does.
    BM_GETCHECK = 0x00F0,
    BM_SETCHECK = 0x00F1,
    BM_CLICK = 0x00F5,
    // List boxes.
    LB_GETCOUNT = 0x018B,
    LB_GETCURSEL = 0x0188,
    LB_SETCURSEL = 0x0186,
    LB_GETSEL = 0x0187,
    LB_SETSEL = 0x0185, // WParam select, LParam index (-1: every item)
    LB_GETSELCOUNT = 0x0190,
    LB_GETTOPINDEX = 0x018E,
    LB_SETTOPINDEX = 0x0197,
    LB_GETITEMRECT = 0x0198, // WParam index, LParam TRect*
    LB_GETITEMHEIGHT = 0x01A1,
    LB_SETITEMHEIGHT = 0x01A0,
    LB_ITEMFROMPOINT = 0x01A9, // LParam client point; HIWORD 1 when outside the items
    // Combo boxes.
    CB_GETCURSEL = 0x0147,
    CB_SETCURSEL = 0x014E,
    CB_GETCOUNT = 0x0146,
    CB_SHOWDROPDOWN = 0x014F,
    CB_GETDROPPEDSTATE = 0x0157,
    CB_GETEDITSEL = 0x0140,
    CB_SETEDITSEL = 0x0142,
    CB_LIMITTEXT = 0x0141,
};

// Notification codes (CN_COMMAND: high word of WParam).
enum : Word {
    BN_CLICKED = 0,
    EN_CHANGE = 0x0300,
    EN_MAXTEXT = 0x0501, // typing or pasting met MaxLength
    LBN_SELCHANGE = 1,
    LBN_DBLCLK = 2,
    CBN_SELCHANGE = 1,
    CBN_EDITCHANGE = 5,
    CBN_DROPDOWN = 7,
    CBN_CLOSEUP = 8,
};

enum : int {
    BST_UNCHECKED = 0,
    BST_CHECKED = 1,
    BST_INDETERMINATE = 2,
};

// ---- Events ---------------------------------------------------------------------------------------

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// Whether Key is the '&' mnemonic of Caption (letter case ignored).
bool IsAccel(Word Key, const String& Caption);

// ---- Label ----------------------------------------------------------------------------------------

// Text on its parent's picture. '&' marks the mnemonic (Alt+letter focuses FocusControl) while
// ShowAccelChar is set; "&&" shows one '&'. AutoSize fits the bounds to the text (the width
// stays with WordWrap).
class TCustomLabel : public TGraphicControl {
    DECLARE_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
    void SetEllipsisPosition(TEllipsisPosition Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    void SetAutoSize(bool Value) override;
    void AdjustSize() override;

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    // DT_* flags of the caption as painted.
    Cardinal TextFlags() const;
    // Fits the bounds to the caption (AutoSize), keeping the anchored side.
    virtual void AdjustBounds();

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    TEllipsisPosition FEllipsisPosition = epNone;
    TWinControl* FFocusControl = nullptr;

    static void Published(TPublisher<TCustomLabel>& P);
};

class TLabel : public TCustomLabel {
    DECLARE_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---- Static text --------------------------------------------------------------------------------

DECLARE_ENUM(TStaticBorderStyle, Byte, sbsNone, sbsSingle, sbsSunken)

// A caption in a window of its own: unlike a label it has a window (so it can lie over other
// windows and keep its colour), and a border. sbsSingle is a one-pixel frame around the window,
// sbsSunken a thin sunken edge inside it. With AutoSize (the default) it fits its caption.
class TCustomStaticText : public TCustomControl {
    DECLARE_CLASS(TCustomStaticText, TCustomControl)
public:
    explicit TCustomStaticText(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    void SetAutoSize(bool Value) override;
    void AdjustSize() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Loaded() override;
    void CMTextChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    virtual void AdjustBounds();

private:
    TAlignment FAlignment = taLeftJustify;
    TStaticBorderStyle FBorderStyle = sbsNone;
    bool FShowAccelChar = true;

    Cardinal TextFlags() const;
    static void Published(TPublisher<TCustomStaticText>& P);
};

class TStaticText : public TCustomStaticText {
    DECLARE_CLASS(TStaticText, TCustomStaticText)
public:
    using TCustomStaticText::TCustomStaticText;
};

// ---- Edit and memo --------------------------------------------------------------------------------

// A single-line text editor. The text changes tell the control EN_CHANGE (CN_COMMAND), which
// fires OnChange, except while the form is being built (while the window exists an exception of
// OnChange goes to the application's exception handling, as the text widget tells the change).
// Modified is set by the user's edits (typing, pasting, cutting, undoing), cleared by setting
// the text.
class TCustomEdit : public TWinControl {
    DECLARE_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    int MaxLength() const;
    // 0: no limit. Text already there stays.
    void SetMaxLength(int Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    Char PasswordChar() const;
    // Not 0: every character shows as this one (single-line edits).
    void SetPasswordChar(Char Value);
    TEditCharCase CharCase() const;
    // Typed and set text is converted; the text there now is converted at once.
    void SetCharCase(TEditCharCase Value);
    bool NumbersOnly() const;
    // Only digits can be typed or pasted.
    void SetNumbersOnly(bool Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool AutoSelect() const { return FAutoSelect; }
    // Entering the edit by keyboard selects its whole text.
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    bool HideSelection() const;
    void SetHideSelection(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    bool Modified() const;
    void SetModified(bool Value);
    bool CanUndo() const;

    // Positions in the text (CR LF counts two), through EM_GETSEL / EM_SETSEL.
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    String SelText() const;
    // Replaces the selection (EM_REPLACESEL); the caret goes after the new text.
    void SetSelText(const String& Value);
    void SelectAll();
    void ClearSelection();
    void Clear();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    void ClearUndo();
    // The length of the text (WM_GETTEXTLENGTH) without building it.
    int GetTextLen() const;

    TNotifyEvent OnChange;

protected:
    friend struct TEditCore;
    friend class TMemoStrings;
    virtual void Change();
    // True for a memo: several lines, CR LF between them.
    virtual bool MultiLine() const { return false; }

    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    String GetText() const override;
    void SetTextValue(const String& Value) override;
    void Loaded() override;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    virtual void CNCommand(TWMCommand& Message);
    void WMMouseWheel(TWMMouseWheel& Message) override;

    TEditCore& Core() const { return *FCore; }
    // Layout and look of the text widget after a change of size, font or colour.
    void UpdateNative();
    // The text widget hidden: the window shows what its own WM_PAINT draws (an edit that
    // paints its text itself while it has no focus). The widget comes back with True.
    void SetTextWidgetShown(bool Value);
    bool TextWidgetShown() const { return FTextWidgetShown; }

private:
    std::unique_ptr<TEditCore> FCore;
    // The formatting rectangle set with EM_SETRECT; empty: the client area.
    TRect FEditRect;
    bool FTextWidgetShown = true;
    bool FAutoSelect = true;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    bool FCreating = false;
    bool FInCreateParams = false;

    static void Published(TPublisher<TCustomEdit>& P);
};

class TEdit : public TCustomEdit {
    DECLARE_CLASS(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo;

// The lines of a memo, read from and written to the memo's text as it is now (with its window:
// without building the whole text). Count leaves out the empty line after a final line break;
// a line past the end reads as empty; Put, Insert and Delete edit the text by selection and
// replacement, as the memo's own messages do.
class TMemoStrings : public TStrings {
    DECLARE_CLASS(TMemoStrings, TStrings)
public:
    explicit TMemoStrings(TCustomMemo* AMemo = nullptr) : FMemo(AMemo) {}
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    int GetCount() const override;
    String GetTextStr() const override;
    void SetTextStr(const String& Value) override;
    void SetUpdateState(bool Updating) override;

private:
    TCustomMemo* FMemo;
};

// A multi-line edit. Its window scroll bars (ScrollBars) follow the text's scrolling; the user's
// work on them comes as WM_VSCROLL / WM_HSCROLL (as for any edit made with ES_MULTILINE).
class TCustomMemo : public TCustomEdit {
    DECLARE_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    // The caret: X the column, Y the line.
    TPoint CaretPos() const;

protected:
    bool MultiLine() const override { return true; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void KeyPress(Char& Key) override;

private:
    std::unique_ptr<TMemoStrings> FLines;
    TScrollStyle FScrollBars = StdCtrls::ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;

    static void Published(TPublisher<TCustomMemo>& P);
};

class TMemo : public TCustomMemo {
    DECLARE_CLASS(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};

// ---- Buttons ----------------------------------------------------------------------------------

// What buttons, check boxes and radio buttons share: the action they follow, focus on click, the
// pushed look while the mouse or Space holds them down, and the click the user makes: a press
// and release inside, or Space released, tells the control BN_CLICKED (CN_COMMAND).
class TButtonControl : public TCustomControl {
    DECLARE_CLASS(TButtonControl, TCustomControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    ~TButtonControl() override;

    // The control shows the action's caption, enabled state, hint and visibility (and a check
    // box its checked state) and runs the action when clicked without an OnClick of its own.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

protected:
    friend class TButtonActionLink;
    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    // OnClick, or else the action.
    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMKeyUp(TWMKeyUp& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    // BN_CLICKED: what the user's click does.
    virtual void CNCommand(TWMCommand& Message);
    // Paints the caption in Rect with its mnemonic, embossed when disabled; DT_CALCRECT measures.
    void DrawCaption(TRect& Rect, Cardinal Flags);
    void PaintBoxAndCaption(Cardinal State, TAlignment Alignment);
    // Shown pushed: the mouse held down over it, or Space held.
    bool Pushed() const { return (FMouseDown && FMouseInside) || FSpaceDown; }
    // Clicks caused by setting Checked in code are not passed on while this is above 0.
    int FClicksDisabled = 0;

private:
    std::unique_ptr<class TButtonActionLink> FActionLink;
    bool FWordWrap = false;
    bool FMouseDown = false;
    bool FMouseInside = false;
    bool FSpaceDown = false;

    void ActionChange(TObject* Sender, bool CheckDefaults);

    static void Published(TPublisher<TButtonControl>& P);
};

// A push button. A click sets the form's ModalResult to the button's (a modal form closes with a
// result other than mrNone). Enter clicks the focused button, or the Default button while the
// focus is on no button; Escape clicks the Cancel button (both through CM_DIALOGKEY).
class TButton : public TButtonControl {
    DECLARE_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // Clicks it as the user would.
    void Click() override;

protected:
    void Paint() override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void CMDialogKey(TCMDialogKey& Message) override;
    void CMDialogChar(TCMDialogChar& Message) override;
    void CMFocusChanged(TCMFocusChanged& Message) override;
    void CNCommand(TWMCommand& Message) override;
    // Draws the face, frame and focus rectangle; answers the area left for the caption.
    TRect DrawButtonFace();
    // The button that Enter clicks: the focused one, or the default one.
    bool Active() const { return FActive; }

private:
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    TModalResult FModalResult = mrNone;

    static void Published(TPublisher<TButton>& P);
};

// A check box: the user's click goes from unchecked to checked, to grayed when AllowGrayed, and
// back. Any change of the state fires OnClick (also a change made in code). Alignment
// taRightJustify puts the caption right of the box.
class TCustomCheckBox : public TButtonControl {
    DECLARE_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

protected:
    bool GetChecked() const override { return Checked(); }
    // The user's click: the next state.
    virtual void Toggle();
    void Paint() override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void CMDialogChar(TCMDialogChar& Message) override;
    void CNCommand(TWMCommand& Message) override;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;

    static void Published(TPublisher<TCustomCheckBox>& P);
};

class TCheckBox : public TCustomCheckBox {
    DECLARE_CLASS(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// A radio button: checking it unchecks the other radio buttons of its parent and fires OnClick.
// The checked one is the tab stop of its group; moving onto one with the arrow keys checks it.
class TRadioButton : public TButtonControl {
    DECLARE_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const { return FChecked; }
    void SetChecked(bool Value) override;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

protected:
    bool GetChecked() const override { return FChecked; }
    void Paint() override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMDialogChar(TCMDialogChar& Message) override;
    void CNCommand(TWMCommand& Message) override;

private:
    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;

    static void Published(TPublisher<TRadioButton>& P);
};

// ---- Group boxes ----------------------------------------------------------------------------------

// An etched frame with a caption that holds other controls inside it.
class TCustomGroupBox : public TCustomControl {
    DECLARE_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void Dispatch(TMessage& Message) override;
    // The height of the caption line.
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
    DECLARE_CLASS(TGroupBox, TCustomGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// A group box with one radio button per line of Items, in Columns columns. ItemIndex is the
// checked one (-1: none); the user's choice fires OnClick.
class TCustomRadioGroup : public TCustomGroupBox {
    DECLARE_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;

    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    // The button of an item.
    TRadioButton* Buttons(int Index) const;

protected:
    void Loaded() override;
    void WMSize(TWMSize& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void ArrangeButtons();

private:
    friend class TGroupButton;
    std::unique_ptr<class TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FUpdating = false;

    void ItemsChange(TObject* Sender);
    void UpdateButtons();
    void ButtonClick(TRadioButton* Button);

    static void Published(TPublisher<TCustomRadioGroup>& P);
};

class TRadioGroup : public TCustomRadioGroup {
    DECLARE_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

// ---- List box ---------------------------------------------------------------------------------

class TCustomListBox;

// The items of a list box, kept by the list box; Sorted lists put new lines in their place.
class TListBoxStrings : public TStrings {
    DECLARE_CLASS(TListBoxStrings, TStrings)
public:
    explicit TListBoxStrings(TCustomListBox* AListBox = nullptr) : FListBox(AListBox) {}
    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;

protected:
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCount() const override;
    void SetUpdateState(bool Updating) override;

private:
    TCustomListBox* FListBox;
};

// A list of lines to choose from, painted by the list box itself or, owner-drawn, by OnDrawItem
// on its Canvas (the brush and font already set for the item's state; the focus rectangle
// drawn after). Selection by mouse or keys fires OnClick (LBN_SELCHANGE), a double click on an
// item OnDblClick; setting ItemIndex in code fires nothing. MultiSelect with ExtendedSelect
// takes Shift and Ctrl ranges; without ExtendedSelect a click toggles an item. Columns above 0
// lay the items out in columns that scroll sideways. The vertical scroll bar shows when the
// items do not fit.
class TCustomListBox : public TCustomControl {
    DECLARE_CLASS(TCustomListBox, TCustomControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    int Count() const { return static_cast<int>(FLines.size()); }
    // The selected item (single select) or the focused one (MultiSelect); -1 for none.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value) { FExtendedSelect = Value; }
    // Index outside the list raises EListError.
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    // -1 without MultiSelect.
    int SelCount() const;
    void SelectAll();
    void ClearSelection();
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    // The height of an item in the owner-drawn styles; lbStandard takes the font's.
    int ItemHeight() const;
    void SetItemHeight(int Value);
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value) { FIntegralHeight = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The item at a client point; with Existing false a point below the last item answers
    // Count, else -1.
    int ItemAtPos(const TPoint& Pos, bool Existing) const;
    // The item's rectangle in client coordinates (also for items scrolled out of view).
    TRect ItemRect(int Index) const;
    void Clear();
    void AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }
    void DeleteSelected();
    // Scrolls the item into view.
    void MakeVisible(int Index);

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TListBoxStrings;
    friend class TCustomComboBox;
    friend class TComboList;

    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    // Draws one item: OnDrawItem when owner-drawn, else the text.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    // The selection changed by the user (LBN_SELCHANGE): OnClick.
    virtual void SelectionChanged();
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMChar(TWMChar& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMFontChanged(TMessage& Message) override;
    virtual void CNCommand(TWMCommand& Message);
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

    // Moves the focus item with the keys' and mouse's rules and tells LBN_SELCHANGE when the
    // selection changed (after a click on an item always).
    void UserSelect(int Index, TShiftState Shift, bool Toggle, bool FromMouse = false);
    void CreateWnd() override;
    // The list inside a combo box: the selection follows the mouse, clicks do not focus.
    bool FHotTrack = false;
    bool FFocusOnClick = true;
    // A tick mark that travels with its item (check list boxes); EListError outside the list.
    bool LineChecked(int Index) const;
    void SetLineChecked(int Index, bool Value);

private:
    struct TLine {
        String Text;
        TObject* Object = nullptr;
        bool Selected = false;
        bool Checked = false;
        int Height = -1; // lbOwnerDrawVariable, -1 until measured
    };
    std::unique_ptr<TListBoxStrings> FItems;
    mutable std::vector<TLine> FLines;
    mutable int FStandardItemHeight = -1; // the font's line height, -1 until measured
    int FItemIndex = -1;
    int FAnchor = -1; // the fixed end of a Shift range
    int FTopIndex = 0;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FSorted = false;
    TListBoxStyle FStyle = lbStandard;
    int FItemHeight = 16;
    int FColumns = 0;
    bool FIntegralHeight = false;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    bool FMouseSelecting = false;
    int FUpdating = 0;
    String FSearch; // typed letters
    unsigned FSearchTime = 0;

    int LineHeight(int Index) const;
    int StandardItemHeight() const;
    // Items that fit from TopIndex (whole ones, at least one), rows per column.
    int VisibleCount() const;
    int RowsPerColumn() const;
    int MaxTopIndex() const;
    void CheckIndex(int Index) const;
    void InsertLine(int Index, const String& S, TObject* AObject);
    void DeleteLine(int Index);
    void ItemsChanged();
    void UpdateScrollBar();
    void ScrollTo(int NewTop);
    void InvalidateItem(int Index);
    void Scroll(int Code);
    int FScrollBarDepth = 0;

    static void Published(TPublisher<TCustomListBox>& P);
};

class TListBox : public TCustomListBox {
    DECLARE_CLASS(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

// ---- Combo box --------------------------------------------------------------------------------

class TComboList;
class TComboPopup;

// An edit with a list to choose from. csDropDown: an edit and a button that drops the list down;
// csSimple: the edit over a list that always shows; csDropDownList: the chosen item without an
// edit; the owner-drawn styles draw the items (and the chosen one in the box, with
// odComboBoxEdit) through OnDrawItem on the combo box's Canvas. The keys go to the combo box
// also while the list is down: Up and Down move in the list, Enter takes the item, Escape
// leaves the choice as it was, F4 and Alt+Down open and close; with the list up, Up and Down
// choose at once. A choice by the user (CBN_SELCHANGE) fires OnClick and then OnSelect, or
// OnChange when OnSelect is not set; typing in the edit fires OnChange (CBN_EDITCHANGE).
// Setting Text or ItemIndex in code fires nothing; ItemIndex follows the edit's text (the item
// of that text, letter case aside, or -1).
class TCustomComboBox : public TCustomControl {
    DECLARE_CLASS(TCustomComboBox, TCustomControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int ItemIndex() const;
    // Shows the item's text (-1: an empty box); fires nothing.
    void SetItemIndex(int Value);
    bool Sorted() const;
    void SetSorted(bool Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = std::max(1, Value); }
    int ItemHeight() const;
    void SetItemHeight(int Value);
    int MaxLength() const;
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const;
    void SetCharCase(TEditCharCase Value);
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    String SelText() const;
    void SetSelText(const String& Value);
    void SelectAll();
    void Clear();
    void AddItem(const String& Item, TObject* AObject) { Items()->AddObject(Item, AObject); }
    // Non-simple styles keep the height their font gives them.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend struct TEditCore;
    friend class TComboList;
    friend class TComboPopup;

    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);

    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWnd() override;
    String GetText() const override;
    void SetTextValue(const String& Value) override;
    void Loaded() override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMSysKeyDown(TWMKeyDown& Message) override;
    void WMChar(TWMChar& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    virtual void CNCommand(TWMCommand& Message);
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

    bool HasEdit() const { return FStyle == csDropDown || FStyle == csSimple; }
    // The box's parts in client coordinates.
    TRect EditRect() const;
    TRect ButtonRect() const;

private:
    TComboBoxStyle FStyle = csDropDown;
    std::unique_ptr<TEditCore> FCore;
    TComboList* FList = nullptr;
    TComboPopup* FPopup = nullptr;
    int FDropDownCount = 8;
    int FItemHeight = 16;
    int FDropIndex = -1; // the choice when the list came down (Escape goes back to it)
    bool FButtonDown = false;
    bool FFocused = false;
    bool FCreating = false;

    bool FSettingText = false;

    // The user chose Index (keys, list): shows it and fires CBN_SELCHANGE.
    void UserSelect(int Index);
    void ShowItemText();
    void UpdateNative();
    void ListClicked(int Index);
    // Closes the list taking its item (Enter, a click) or leaving the choice as it was.
    void CloseList(bool Accept);
    void DrawListItem(TComboList* List, int Index, const TRect& Rect, TOwnerDrawState State);
    void ApplyStyleToList();
    void LayoutParts();
    int ComputedItemHeight() const;
    int EditHeight() const;

    static void Published(TPublisher<TCustomComboBox>& P);
};

class TComboBox : public TCustomComboBox {
    DECLARE_CLASS(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

// ---- Scroll bar control ---------------------------------------------------------------------------

// A scroll bar of its own. The user's keys (arrows, Page Up/Down, Home, End) and mouse (arrows,
// pages, thumb) come to it as CN_HSCROLL / CN_VSCROLL with the SB_* code; OnScroll may change the
// new position, which then becomes Position (OnChange when it changed). Position stays within
// Min .. Max - PageSize + 1.
class TScrollBar : public TCustomControl {
    DECLARE_CLASS(TScrollBar, TCustomControl)
public:
    explicit TScrollBar(TComponent* AOwner);
    ~TScrollBar() override;

    TScrollBarKind Kind() const { return FKind; }
    // Turns the bar: width and height change places (not while the form is being built).
    void SetKind(TScrollBarKind Value);
    int Min() const;
    void SetMin(int Value) { SetParams(Position(), Value, Max()); }
    int Max() const;
    void SetMax(int Value) { SetParams(Position(), Min(), Value); }
    int Position() const;
    void SetPosition(int Value) { SetParams(Value, Min(), Max()); }
    int PageSize() const;
    void SetPageSize(int Value);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int Value) { FSmallChange = Value; }
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int Value) { FLargeChange = Value; }
    // Min above Max raises EInvalidOperation "Scroll bar property out of range".
    void SetParams(int APosition, int AMin, int AMax);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    // The SB_CTL calls of ScrollBars.h.
    int ApplyScrollInfo(const TScrollInfo& Info);
    void FillScrollInfo(TScrollInfo& Info) const;
    bool ApplyDisabledArrows(UINT Arrows);

protected:
    virtual void Change();
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMKeyUp(TWMKeyUp& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMCancelMode(TWMCancelMode& Message) override;
    // CN_HSCROLL / CN_VSCROLL: the new position by the code, OnScroll, Position.
    virtual void CNScroll(TWMScroll& Message);

private:
    TScrollBarKind FKind = sbHorizontal;
    std::unique_ptr<struct TScrollBarData> FData;
    int FSmallChange = 1;
    int FLargeChange = 1;
    std::unique_ptr<class TScrollBarTracker> FTracker;

    void SendScroll(int Code, int Pos);

    static void Published(TPublisher<TScrollBar>& P);
};

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterStdCtrlsClasses();
