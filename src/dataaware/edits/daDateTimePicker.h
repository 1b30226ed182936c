#pragma once
// The date-time picker: a one-line edit for one date, time or date-time value, bound to a field
// or unbound. The text shows the value through a display format; the user edits it part by part
// (day, weekday, month, year, hour, minute, second, AM/PM) with digits, letters and the arrow,
// Home and End keys, or picks a day in a drop-down month calendar.

#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daEditsShared.h"
#include "dataaware/edits/daMonthCal.h"
#include "dataaware/foundation/daComboButton.h"
#include "dataaware/foundation/daEditFrame.h"
#include "platform/data/DB.h"
#include "platform/gui/StdCtrls.h"

enum TdaDTEditDataType : Byte { daDTEdtDateTime, daDTEdtDate, daDTEdtTime };
enum TdaDTOption : Byte { daDTOAutoAdvance };
using TdaDTOptions = TSet<TdaDTOption>;
enum TdaDTCalAlignment : Byte { dadtaLeft, dadtaRight, dadtaCenter };
enum TDTDateFormat : Byte { dfShort, dfLong };

class TdaDBCustomDateTimePicker;
class TdaPopupCalendar;

// The step of Up and Down on a minute part.
class TdaDTInterval : public TPersistent {
    DECLARE_CLASS(TdaDTInterval, TPersistent)
public:
    int MinutesInterval() const { return FMinutesInterval; }
    // Kept within 1..60: the minute arithmetic divides by it and steps less than an hour.
    void SetMinutesInterval(int Value) { FMinutesInterval = std::clamp(Value, 1, 60); }
    bool RoundMinutes = false;
    void Assign(TPersistent* Source) override;

private:
    int FMinutesInterval = 1;
};

// What the drop-down calendar looks like; copied into it at every drop-down.
class TdaCalendarOptions : public TPersistent {
    DECLARE_CLASS(TdaCalendarOptions, TPersistent)
public:
    TdaCalendarOptions();
    ~TdaCalendarOptions() override;
    TdaDTCalAlignment Alignment = dadtaLeft;
    TdaDateTimeColors* Colors() const { return FColors.get(); }
    void SetColors(TdaDateTimeColors* Value) { FColors->Assign(Value); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    int Width = 0, Height = 0; // 0: the calendar's minimal size
    TdaMonthOptions Options{mdoDayState};
    TdaPopupYearOptions* PopupYearOptions() const { return FPopupYearOptions.get(); }
    void SetPopupYearOptions(TdaPopupYearOptions* Value) { FPopupYearOptions->Assign(Value); }
    TdaCalDayOfWeek FirstDayOfWeek = dadowLocaleDefault;

private:
    std::unique_ptr<TdaDateTimeColors> FColors;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TdaPopupYearOptions> FPopupYearOptions;
};

// Where a drop-down calendar of the given size goes for a picker whose top-left corner is at
// DropPoint on the screen (the point's Y already below the picker), on a screen ScreenWidth
// wide whose work area ends at WorkAreaBottom.
TPoint daPlacePopupCalendar(TdaDTCalAlignment Alignment, TPoint DropPoint, int PickerTop, int PickerWidth,
                            int CalendarWidth, int CalendarHeight, int ScreenWidth, int WorkAreaBottom);

// One part of the picker's text.
struct TdaDTPartInfo {
    int Start = 0;  // 0-based offset in the shown text
    int Length = 0; // characters
    String Token;   // the format token, lower case ("dd", "mmm", "nn", "am/pm", ...)
    String TextUpTo; // the shown text up to and including the part
};

// The small window inside the picker's right edge that holds its button. The combo's holder
// is a different window: this one repaints the picker's parent behind a flat or transparent
// button.
class TdaDateBtnWinControl : public TWinControl {
    DECLARE_CLASS(TdaDateBtnWinControl, TWinControl)
public:
    explicit TdaDateBtnWinControl(TComponent* AOwner);
    TdaDBCustomDateTimePicker* EditControl = nullptr;

protected:
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void CMMouseLeave(TMessage& Message) override;
};

// The picker's drop-down button: the library's combo button, answering its questions from the
// picker.
class TdaDateComboButton : public TdaComboButton {
    DECLARE_CLASS(TdaDateComboButton, TdaComboButton)
public:
    explicit TdaDateComboButton(TComponent* AOwner);
    TdaDBCustomDateTimePicker* Picker() const { return FPicker; }
    bool OwnerThemed() override;
    bool ArrowOnly() override { return false; }
    bool OwnerHot() override;
    bool OwnerDroppedDown() override;

protected:
    void Paint() override;

private:
    TdaDBCustomDateTimePicker* FPicker;
};


class TdaDBCustomDateTimePicker : public TCustomEdit {
    DECLARE_CLASS(TdaDBCustomDateTimePicker, TCustomEdit)
public:
    explicit TdaDBCustomDateTimePicker(TComponent* AOwner);
    ~TdaDBCustomDateTimePicker() override;

    // ---- The value
    TDateTime DateTime() const { return FDateTime; }
    // Raises EDateTimeError for a day outside MinDate..MaxDate; the value and text then stay.
    void SetDateTime(TDateTime Value) { WriteDateTime(Value); }
    TDateTime Date();
    void SetDate(TDateTime Value) { WriteDate(Value); }
    TDateTime Time();
    void SetTime(TDateTime Value) { WriteTime(Value); }
    void ClearDateTime();
    void RefreshText();
    void UpdateRecord();

    // ---- Properties
    bool AutoFillDateAndTime() const { return FAutoFillDateAndTime; }
    void SetAutoFillDateAndTime(bool Value) { FAutoFillDateAndTime = Value; }
    TdaCalendarOptions* CalendarAttributes() const { return FCalendarOptions.get(); }
    TDTDateFormat DateFormat() const { return FDateFormat; }
    void SetDateFormat(TDTDateFormat Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    int Epoch() const { return FEpoch; }
    void SetEpoch(int Value) { FEpoch = Value; }
    TdaDTInterval* Interval() const { return FInterval.get(); }
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime Value);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime Value);
    TdaDTOptions Options() const { return FOptions; }
    void SetOptions(TdaDTOptions Value) { FOptions = Value; }
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool Value) { WriteShowButton(Value); }
    int TokenPos() const { return FPos; }
    void SetTokenPos(int Value) { FPos = Value; }
    TdaDTEditDataType UnboundDataType() const { return FUnboundDataType; }
    void SetUnboundDataType(TdaDTEditDataType Value);
    String DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const String& Value);
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value);
    TField* Field() const { return FDataLink.Field(); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TdaPopupCalendar* Calendar() const { return FCalendar; }
    bool DroppedDown() const { return GetDroppedDown(); }
    TdaDateBtnWinControl* ButtonControl() const { return FBtnControl; }
    TdaDateComboButton* Button() const { return FButton; }

    // ---- Look
    TdaComboButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TdaComboButtonStyle Value);
    // Copied into the button; kept only for cbsCustom.
    TBitmap* ButtonGlyph() const { return FButton->Glyph(); }
    void SetButtonGlyph(TBitmap* Value);
    // 0: the system's scroll-bar width, at least 15.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    TdaEditFrame* Frame() const { return FFrame.get(); }
    TdaComboButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    TNotifyEvent OnMouseEnter, OnMouseLeave;

    // ---- Services of the parts, the keys and the drop-down
    String GetEffectiveFormat(bool WithDefault) const;
    String GetExpandedFormat() const;
    bool IsDateTimeType() const;
    bool IsDateOnly() const;
    bool IsTimeOnly() const;
    bool HasNoTimePart() const;
    TDateTime EffectiveMinDate() const;
    TDateTime EffectiveMaxDate() const;
    int ExpandTwoDigitYear(int Year) const;
    String FormatValue(TDateTime X) const;
    String GetDisplayText(TDateTime X) const;
    void WriteDateTime(TDateTime X);
    void WriteDate(TDateTime X);
    void WriteTime(TDateTime X);
    bool CanModify() const;
    bool EditCanModify();
    bool IsDataSetEditing() const;
    void SetModifiedState(bool Value);
    void ResetValue();
    int CountFormatParts(const String& Format) const;
    TdaDTPartInfo GetPartInfo(int Index, TDateTime Value) const;
    bool IsShortDateTimeFormat() const;
    int VisiblePartCount() const;
    bool AllPartsVisible() const;
    void SelectCurrentPart(TDateTime Value);
    void CommitDigitEntry();
    // The first day of the week as 1 Sunday ... 7 Saturday, and the last.
    void GetWeekBounds(int& First, int& Last) const;

    // ---- The drop-down
    virtual void DropDown();
    virtual void CloseUp(bool Accept);
    void ButtonClick();
    bool InDigitEdit() const { return FInDigitEdit; }

    TCalcBoldDayEvent OnCalcBoldDay;
    TNotifyEvent OnCloseUp, OnDropDown;

protected:
    friend class TdaPopupCalendar;
    virtual void DataChange();
    virtual void UpdateData();
    virtual bool GetDroppedDown() const;
    virtual void WriteShowButton(bool Value);
    void HandleDropDownKey(Word& Key, TShiftState Shift);

public:
    // ---- Layout and painting
    void PositionButton();
    // The text widget's rectangle: beside the button, inside the frame or the grid's lines.
    void SetEditRect();
    TRect GetEditRect() const;
    int ButtonAreaWidth() const;
    int TextRightEdge() const;
    bool IsTransparentEffective() const;
    // Bound to a field of a grid that has the focus: the text is painted highlighted.
    bool IsInFocusedGrid() const;
    // Whether the picker paints its text itself now rather than through its text widget.
    bool PaintsItsOwnText() const;
    // A grid's picture of a row is the picker's own painting of that row's value, without the
    // text widget that shows the picker's own record.
    bool PaintsWholeCopy() const override { return true; }
    void LoadDropDownGlyph();
    void RepaintButtonArea();
    // Draws the button's face for its style; Handled tells that it drew.
    virtual void DrawButtonFace(TCanvas* Canvas, const TRect& ARect, TButtonState State, TControlState ControlState,
                                bool& Handled);
    void PaintFrame(TCanvas* Canvas);
    bool MouseInControl() const { return FMouseInControl; }
    bool MouseInButtonControl() const { return FMouseInButtonControl; }
    bool SkipUpdate() const { return FSkipUpdate; }

protected:
    friend class TdaDateBtnWinControl;
    friend class TdaDateComboButton;
    // False: the picker paints its text itself also while it has the focus.
    virtual bool UseNativePaintWhenFocused() const { return true; }
    virtual bool RepaintOnHover() const { return false; }
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    void UpdateTextPainting();
    void PaintText(TCanvas* Canvas);
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WMPaint(TWMPaint& Message) override;
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;

    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void WndProc(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void DoExit() override;

private:
    // The working parts of one key.
    struct TWork {
        int Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
        int MinYear = 0, MinMonth = 0, MinDay = 0, MaxYear = 0, MaxMonth = 0, MaxDay = 0;
        TdaDTPartInfo Part;
    };
    void DecodeWork(TWork& W, TDateTime Value) const;
    bool ApplyParts(const TWork& W);
    bool IsValidPartValue(TWork& W, int V) const;
    bool FirstDigitCompletesPart(const String& Token, int Digit) const;
    bool DecadeReachesMinDate(int Digit) const;
    int AdjustHourForAmPm(int CurrentHour, int Figure) const;
    bool FormatHasAmPm() const;
    bool EnterDigit(TWork& W, int Digit, bool& Completed, int& Figure);
    bool TypeMonthName(TWork& W, Char Key, bool DayTest);
    bool TypeWeekdayName(TWork& W, Char Key);
    bool TypeAmPm(TWork& W, Char Key);
    void StepPart(TWork& W, int Delta);
    void HomeEnd(TWork& W, bool End);
    void NextPart();
    void Clearing(Word Key);
    void MakeStartingValue(Word Key);
    bool IsTimePortionPart(const String& Token, int Index) const;
    void SetDigitEntryValue(const TWork& W);
    TDateTime IncMonthKeepTime(int Months, TDateTime Value, bool& Ok) const;
    String TokenText(const String& Token, TDateTime Value, bool AmPm) const;
    bool IsBound() const { return FDataLink.Field() != nullptr; }
    bool MeantToBeBound() const { return !IsBound() && (DataSource() || !DataField().empty()); }

    TFieldDataLink FDataLink;
    std::unique_ptr<TdaCalendarOptions> FCalendarOptions;
    std::unique_ptr<TdaDTInterval> FInterval;
    TdaPopupCalendar* FCalendar = nullptr;
    TdaDateBtnWinControl* FBtnControl = nullptr;
    TdaDateComboButton* FButton = nullptr;
    std::unique_ptr<TControlCanvas> FCanvas;
    std::unique_ptr<TdaEditFrame> FFrame;
    std::unique_ptr<TdaComboButtonEffects> FButtonEffects;
    TdaComboButtonStyle FButtonStyle = cbsDownArrow;
    int FButtonWidth = 0;
    bool FMouseInControl = false;
    bool FMouseInButtonControl = false;
    bool FSkipUpdate = false;
    TDTDateFormat FDateFormat = dfShort;
    TDateTime FMaxDate = 0, FMinDate = 0;
    bool FInCloseUp = false;
    TDateTime FOldDateTime = 0;
    TDateTime FDateTime = 0;
    bool FFocused = false;
    int FPos = 1;
    TdaDTEditDataType FUnboundDataType = daDTEdtDateTime;
    String FDisplayFormat;
    bool FInDigitEdit = false;
    bool FIsCleared = true;
    int FEpoch = 1950;
    TdaDTOptions FOptions{daDTOAutoAdvance};
    bool FReadOnly = false;
    bool SkipDrawSetFocus = false;
    TDateTime DateTimeBeforeDropDown = 0;
    bool SkipEscapeReset = false;
    bool FShowButton = true;
    bool FAutoFillDateAndTime = false;
    bool OldShowHint = false;
    bool SetModifiedInChangeEvent = false;
    TDateTime CurrentDigitEditDateTime = 0;
};

class TdaDBDateTimePicker : public TdaDBCustomDateTimePicker {
    DECLARE_CLASS(TdaDBDateTimePicker, TdaDBCustomDateTimePicker)
public:
    using TdaDBCustomDateTimePicker::TdaDBCustomDateTimePicker;
};

// The drop-down: a month calendar in a tool window of its own that never takes the focus and
// reports every change of its date to its picker.
class TdaPopupCalendar : public TdaMonthCalendar {
    DECLARE_CLASS(TdaPopupCalendar, TdaMonthCalendar)
public:
    explicit TdaPopupCalendar(TComponent* AOwner);
    TdaDBCustomDateTimePicker* FCombo = nullptr;
    void FocusCalendar() override {}
    // Hands a key to the calendar as its own key-down.
    void CalendarKey(Word Key, TShiftState Shift) { KeyDown(Key, Shift); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Change() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};
