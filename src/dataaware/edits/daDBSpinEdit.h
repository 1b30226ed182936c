#pragma once
// The field-bound spin edit: a number, date, time or date-time stepped by an up/down button pair
// inside the edit's right edge or by the Up and Down keys. Numbers step by Increment; dates and
// times by one unit of the part under the caret. The halves repeat while held: after 400 ms,
// then every 100 ms.

#include "dataaware/edits/daDBEdit.h"
#include "dataaware/edits/daEditsShared.h"
#include "dataaware/foundation/daComboButton.h"
#include "platform/gui/ExtCtrls.h"

DECLARE_ENUM(TTimeBtnStateItem, Byte, tbFocusRect, tbAllowTimer)
using TTimeBtnState = TSet<TTimeBtnStateItem>;

class TdaDBSpinEdit;

// One half of the spin button: the library's spin-control arrow, which clicks on release inside
// it and repeats its click while it is held down.
class TdaTimerSpeedButton : public TdaSpinControlButton {
    DECLARE_CLASS(TdaTimerSpeedButton, TdaSpinControlButton)
public:
    explicit TdaTimerSpeedButton(TComponent* AOwner);
    ~TdaTimerSpeedButton() override;

    TTimeBtnState TimeBtnState;
    bool MouseInControl = false;
    TTimer* RepeatTimer() const { return FRepeatTimer; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TTimer* FRepeatTimer = nullptr;
    void TimerExpired(TObject* Sender);
    void RefreshUnderSpin();
    TdaDBSpinEdit* SpinEdit() const;
};

// The up/down pair.
class TdaSpinButton : public TWinControl {
    DECLARE_CLASS(TdaSpinButton, TWinControl)
public:
    explicit TdaSpinButton(TComponent* AOwner);

    TdaTimerSpeedButton* UpButton() const { return FUpButton; }
    TdaTimerSpeedButton* DownButton() const { return FDownButton; }
    bool Flat() const { return FUpButton->Flat(); }
    void SetFlat(bool Value);
    TBitmap* UpGlyph() const { return FUpButton->Glyph(); }
    // Nil brings back the default arrow.
    void SetUpGlyph(TBitmap* Value);
    TBitmap* DownGlyph() const { return FDownButton->Glyph(); }
    void SetDownGlyph(TBitmap* Value);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TNotifyEvent OnUpClick, OnDownClick;

protected:
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    // A see-through or flat half held down: the edit's parent is painted first under the button.
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void Loaded() override;

private:
    TdaTimerSpeedButton* FUpButton;
    TdaTimerSpeedButton* FDownButton;
    void AdjustButtons(int& W, int& H);
    static void Published(TPublisher<TdaSpinButton>& P);
    void DispatchClick(TObject* Sender);
};

class TdaDBSpinEdit : public TdaDBCustomEdit {
    DECLARE_CLASS(TdaDBSpinEdit, TdaDBCustomEdit)
public:
    explicit TdaDBSpinEdit(TComponent* AOwner);

    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    double Increment() const { return FIncrement; }
    void SetIncrement(double Value) { FIncrement = Value; }
    double Value() const;
    void SetValue(double Value);
    // The text is kept inside its formatting rectangle (a window of several lines).
    bool LimitEditRect() const { return FLimitEditRect; }
    void SetLimitEditRect(bool Value);
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    TdaSpinButton* Button() const { return FButton; }
    // The flat and transparent looks of the spin button.
    TdaButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    void SetButtonEffects(TdaButtonEffects* Value) { FButtonEffects->Assign(Value); }
    // The value within MinValue..MaxValue; unchanged when both are 0.
    double CheckValue(double Value) const;

    TNotifyEvent BeforeUpClick, BeforeDownClick, AfterUpClick, AfterDownClick;

    virtual bool IsValidChar(Char Key);
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);

    void WriteDisplayFormat(const String& Value) override;
    // The text stops short of the spin button.
    void SetEditRect() override;
    bool ReadShowButton() const override;
    int ReadButtonAreaWidth() const override;
    int ReadTextRightEdge() const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Loaded() override;

    bool SkipUpdate = false;

protected:
    void KeyPress(Char& Key) override;
    void CMExit(TMessage& Message) override;
    void WndProc(TMessage& Message) override;
    void Resize() override;
    void CreateParams(TCreateParams& Params) override;

private:
    double FMinValue = 0;
    double FMaxValue = 0;
    double FIncrement = 1;
    TdaSpinButton* FButton;
    std::unique_ptr<TdaComboButtonEffects> FButtonEffects;
    bool FEditorEnabled = true;
    bool FLimitEditRect = false;

    bool IsNumberEdit() const;
    void Step(bool Up);
    static void Published(TPublisher<TdaDBSpinEdit>& P);
};
