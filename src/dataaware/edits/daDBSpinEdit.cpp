#include "dataaware/edits/daDBSpinEdit.h"

#include "dataaware/foundation/daDateUtils.h"
#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <cmath>

// ---- TdaTimerSpeedButton ---------------------------------------------------------------------------

TdaTimerSpeedButton::TdaTimerSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    ControlStyle().Include(csReplicatable);
}

TdaTimerSpeedButton::~TdaTimerSpeedButton() {
    delete FRepeatTimer;
}

void TdaTimerSpeedButton::SetScrollDirection(TdaScrollDirection Value) {
    FScrollDirection = Value;
    Invalidate();
}

void TdaTimerSpeedButton::SetFlat(bool Value) {
    FFlat = Value;
    Invalidate();
}

TdaDBSpinEdit* TdaTimerSpeedButton::SpinEdit() const {
    return Parent() ? dynamic_cast<TdaDBSpinEdit*>(Parent()->Parent()) : nullptr;
}

void TdaTimerSpeedButton::Paint() {
    if (TdaDBSpinEdit* Edit = SpinEdit(); Edit && Edit->SkipUpdate) return;
    TRect R = ClientRect();
    Cardinal State = FScrollDirection == dasdUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (FDown) State |= DFCS_PUSHED;
    if (!Enabled()) State |= DFCS_INACTIVE;
    if (FFlat && !FDown && !MouseInControl) State |= DFCS_FLAT;
    DrawFrameControl(Canvas(), R, DFC_SCROLL, State);
}

void TdaTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    FDown = true;
    Repaint();
    if (TimeBtnState.Contains(tbAllowTimer)) {
        if (!FRepeatTimer) FRepeatTimer = new TTimer(nullptr);
        FRepeatTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
        FRepeatTimer->SetInterval(400);
        FRepeatTimer->SetEnabled(true);
    }
}

// Held down: the click repeats, every 100 ms after the first 400. A click that fails stops it.
void TdaTimerSpeedButton::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(100);
    if (!FDown) return;
    bool Done = false;
    TScopeExit StopOnFailure([&] {
        if (!Done) FRepeatTimer->SetEnabled(false);
    });
    Click();
    Done = true;
}

void TdaTimerSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    const bool Inside = X >= 0 && X <= Width() && Y >= 0 && Y <= Height();
    if (Inside != MouseInControl) {
        MouseInControl = Inside;
        Invalidate();
    }
    TGraphicControl::MouseMove(Shift, X, Y);
}

// The control's own release handling clicks when the release is inside.
void TdaTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FDown = false;
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    Repaint();
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

// ---- TdaSpinButton -------------------------------------------------------------------------------

TdaSpinButton::TdaSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
    ControlStyle().Exclude(csAcceptsControls);
    ControlStyle().Exclude(csSetCaption);
    ControlStyle().Include(csFramed);
    ControlStyle().Include(csOpaque);
    FUpButton = new TdaTimerSpeedButton(this);
    FDownButton = new TdaTimerSpeedButton(this);
    for (TdaTimerSpeedButton* B : {FUpButton, FDownButton}) {
        B->SetParent(this);
        B->OnClick = [this](TObject* Sender) { DispatchClick(Sender); };
        B->TimeBtnState = TTimeBtnState{tbAllowTimer};
    }
    FUpButton->SetScrollDirection(dasdUp);
    FDownButton->SetScrollDirection(dasdDown);
    SetBounds(0, 0, 20, 25);
}

void TdaSpinButton::SetFlat(bool Value) {
    FUpButton->SetFlat(Value);
    FDownButton->SetFlat(Value);
}

void TdaSpinButton::AdjustButtons(int& W, int& H) {
    if (!FUpButton || !FDownButton || ComponentState().Contains(csLoading)) return;
    if (W < 15) W = 15;
    FUpButton->SetBounds(0, 0, W, H / 2);
    const int UpHeight = FUpButton->Height();
    FDownButton->SetBounds(0, UpHeight - 1, W, H - UpHeight + 1);
}

void TdaSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    int W = AWidth, H = AHeight;
    AdjustButtons(W, H);
    TWinControl::SetBounds(ALeft, ATop, W, H);
}

void TdaSpinButton::WMSize(TWMSize& Message) {
    TWinControl::WMSize(Message);
    int W = Width(), H = Height();
    AdjustButtons(W, H);
    if (W != Width() || H != Height()) TWinControl::SetBounds(Left(), Top(), W, H);
}

void TdaSpinButton::Loaded() {
    TWinControl::Loaded();
    int W = Width(), H = Height();
    AdjustButtons(W, H);
    if (W != Width() || H != Height()) TWinControl::SetBounds(Left(), Top(), W, H);
}

void TdaSpinButton::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS;
}

void TdaSpinButton::DispatchClick(TObject* Sender) {
    if (Sender == FUpButton) {
        if (OnUpClick) OnUpClick(this);
    } else if (OnDownClick) {
        OnDownClick(this);
    }
}

// ---- TdaDBSpinEdit ---------------------------------------------------------------------------------

TdaDBSpinEdit::TdaDBSpinEdit(TComponent* AOwner) : TdaDBCustomEdit(AOwner) {
    FButton = new TdaSpinButton(this);
    FButton->SetParent(this);
    FButton->SetBounds(0, 0, 15, 17);
    FButton->OnUpClick = [this](TObject* Sender) { UpClick(Sender); };
    FButton->OnDownClick = [this](TObject* Sender) { DownClick(Sender); };
    FButton->ControlStyle().Exclude(csFramed);
    FButton->ControlStyle().Include(csReplicatable);
    SetText(u"0");
    SetModified(false);
    ControlStyle().Exclude(csSetCaption);
}

void TdaDBSpinEdit::Published(TPublisher<TdaDBSpinEdit>& P) {
    P.Property(u"MinValue", &TdaDBSpinEdit::MinValue, &TdaDBSpinEdit::SetMinValue);
    P.Property(u"MaxValue", &TdaDBSpinEdit::MaxValue, &TdaDBSpinEdit::SetMaxValue);
    P.Property(u"Increment", &TdaDBSpinEdit::Increment, &TdaDBSpinEdit::SetIncrement);
    P.Property(u"EditorEnabled", &TdaDBSpinEdit::EditorEnabled, &TdaDBSpinEdit::SetEditorEnabled)
        .Default(true);
}

bool TdaDBSpinEdit::ReadShowButton() const {
    return FButton->Visible();
}

int TdaDBSpinEdit::ReadButtonAreaWidth() const {
    return FButton->Width();
}

int TdaDBSpinEdit::ReadTextRightEdge() const {
    return FButton->Left() - 1;
}

void TdaDBSpinEdit::Resize() {
    TdaDBCustomEdit::Resize();
    FButton->SetBounds(ClientWidth() - FButton->Width(), 0, FButton->Width(), ClientHeight());
}

void TdaDBSpinEdit::Loaded() {
    TdaDBCustomEdit::Loaded();
    if (!Field() && UnboundDataType() != daDefault && Text() == u"0") SetText(u"");
}

double TdaDBSpinEdit::CheckValue(double Value) const {
    if (FMinValue == 0 && FMaxValue == 0) return Value;
    if (Value < FMinValue) return FMinValue;
    if (Value > FMaxValue) return FMaxValue;
    return Value;
}

void TdaDBSpinEdit::WriteDisplayFormat(const String& Value) {
    TdaDBCustomEdit::WriteDisplayFormat(Value);
    SetValue(CheckValue(this->Value()));
}

bool TdaDBSpinEdit::IsNumberEdit() const {
    return !IsDateTimeEdit() && !IsDateEdit() && !IsTimeEdit();
}

double TdaDBSpinEdit::Value() const {
    const String T = Text();
    const String Format = ReadDisplayFormat();
    TField* F = Field();
    if (dynamic_cast<TFloatField*>(F) || dynamic_cast<TIntegerField*>(F) || !Format.empty()) {
        double V;
        if (T.empty() || !daStrToFloatDisplay(T, V, Format)) return FMinValue;
        return V;
    }
    if (IsDateEdit()) return !T.empty() && daIsValidDate(T) ? StrToDate(T) : FMinValue;
    if (IsTimeEdit()) return daIsValidTime(T) ? StrToTime(T) : FMinValue;
    if (IsDateTimeEdit()) {
        if (T.empty()) return FMinValue;
        if (daIsValidDate(T) && !daIsValidDateTime(T)) return StrToDate(T);
        if (daIsValidDateTime(T)) return daStrToDateTimeDef(T);
        TDateTime D;
        return daStrToDate(T, D) ? D : FMinValue;
    }
    if (T.empty()) return FMinValue;
    double V;
    return daIsValidFloat(T) && TryStrToFloat(T, V) ? V : FMinValue;
}

void TdaDBSpinEdit::SetValue(double X) {
    const double V = CheckValue(X);
    const String Format = ReadDisplayFormat();
    TField* F = Field();
    const bool FloatField = dynamic_cast<TFloatField*>(F) != nullptr;
    const bool IntField = dynamic_cast<TIntegerField*>(F) != nullptr;
    if ((FloatField || IntField) && !Format.empty()) {
        SetText(FormatFloat(Format, V));
        if (HandleAllocated()) SelectAll();
    } else if (FloatField) {
        SetText(FloatToStr(V));
    } else if (IntField) {
        SetText(IntToStr(Round(V)));
    } else if (IsDateEdit()) {
        SetText(DateToStr(V));
    } else if (IsTimeEdit()) {
        SetText(TimeToStr(V));
    } else if (IsDateTimeEdit()) {
        if (!F && V == std::floor(V))
            SetText(DateToStr(V) + u" " + TimeToStr(0));
        else
            SetText(DateTimeToStr(V));
    } else {
        SetText(Format.empty() ? FloatToStr(V) : FormatFloat(Format, V));
    }
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning)) WriteModified(true);
}

void TdaDBSpinEdit::UpClick(TObject*) {
    Step(true);
}

void TdaDBSpinEdit::DownClick(TObject*) {
    Step(false);
}

// Numbers by Increment; dates and times by one unit of the part under the caret, wrapping
// within the day, month or hour as a clock does.
void TdaDBSpinEdit::Step(bool Up) {
    if (!Visible()) return;
    if (CanFocus() && !Focused()) SetFocus();
    if (const TNotifyEvent& Before = Up ? BeforeUpClick : BeforeDownClick) Before(this);
    if (!EditCanModify() || DataLink()->ReadOnly() || (Field() && Field()->ReadOnly())) {
        MessageBeep();
        return;
    }
    if (IsDateEdit() || IsDateTimeEdit() || IsTimeEdit()) {
        const bool TimeOnly = IsTimeEdit();
        const double V = Value();
        Word Year, Month, Day, Hour, Min, Sec, MSec;
        DecodeDate(V, Year, Month, Day);
        DecodeTime(V, Hour, Min, Sec, MSec);
        const double D = std::floor(V);
        const double T = TimeOnly ? V : V - D;
        const int P = daGetDateTimePartAt(SelStart(), Text(), TimeOnly);
        int Y = Year, M = Month, Dy = Day, H = Hour, N = Min, S = Sec;
        switch (P) {
        case dtpDay:
            Dy = Up ? daNextDayInMonth(Y, M, Dy) : daPriorDayInMonth(Y, M, Dy);
            break;
        case dtpMonth:
            M = Up ? M % 12 + 1 : (M + 10) % 12 + 1;
            break;
        case dtpYear:
            Y += Up ? 1 : -1;
            break;
        case dtpHour:
            H = Up ? (H + 1) % 24 : (H + 23) % 24;
            break;
        case dtpMinute:
            N = Up ? (N + 1) % 60 : (N + 59) % 60;
            break;
        case dtpSecond:
            S = Up ? (S + 1) % 60 : (S + 59) % 60;
            break;
        case dtpAmPm:
            H = H < 12 ? H + 12 : H - 12;
            break;
        default:
            break;
        }
        if (P >= dtpHour) {
            TDateTime NewTime;
            if (daEncodeTime(H, N, S, MSec, NewTime)) SetValue(TimeOnly ? NewTime : D + NewTime);
        } else {
            // The 31st plus a month is the last day of the shorter month.
            for (;;) {
                TDateTime NewDate;
                if (daEncodeDate(Y, M, Dy, NewDate)) {
                    SetValue(NewDate + T);
                    break;
                }
                if (--Dy <= 27) break;
            }
        }
        daSelectDateTimePart(P, this, TimeOnly);
    } else {
        SetValue(Value() + (Up ? FIncrement : -FIncrement));
    }
    WriteModified(true);
    if (const TNotifyEvent& After = Up ? AfterUpClick : AfterDownClick) After(this);
}

bool TdaDBSpinEdit::IsValidChar(Char Key) {
    bool Valid = true;
    if (IsNumberEdit())
        Valid = Key < 32 || String(u"0123456789+-").find(Key) != String::npos ||
                Key == FormatSettings.DecimalSeparator;
    if (Valid && !FEditorEnabled) Valid = Key <= 7 || (Key >= 9 && Key <= 31);
    return Valid;
}

void TdaDBSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_UP) {
        UpClick(this);
        Key = 0;
    } else if (Key == VK_DOWN) {
        DownClick(this);
        Key = 0;
    }
    TdaDBCustomEdit::KeyDown(Key, Shift);
    if (Key == VK_DELETE && !FEditorEnabled) {
        Key = 0;
        MessageBeep();
    }
}

void TdaDBSpinEdit::KeyPress(Char& Key) {
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep();
        return;
    }
    TdaDBCustomEdit::KeyPress(Key);
}

void TdaDBSpinEdit::WndProc(TMessage& Message) {
    if ((Message.Msg == WM_PASTE || Message.Msg == WM_CUT) && (!FEditorEnabled || ReadOnly())) return;
    TdaDBCustomEdit::WndProc(Message);
}

void TdaDBSpinEdit::CMExit(TMessage& Message) {
    const double V = Value();
    if (V != CheckValue(V)) {
        const String Old = Text();
        SetValue(CheckValue(V));
        if (Text() != Old) WriteModified(true);
    }
    TdaDBCustomEdit::CMExit(Message);
    for (TdaTimerSpeedButton* B : {FButton->UpButton(), FButton->DownButton()}) {
        B->SetEnabled(false);
        B->SetEnabled(true);
        B->MouseInControl = false;
    }
}
