#include "dataaware/edits/daDBSpinEdit.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDateUtils.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <cmath>

// ---- TdaTimerSpeedButton ---------------------------------------------------------------------------

TdaTimerSpeedButton::TdaTimerSpeedButton(TComponent* AOwner) : TdaSpinControlButton(AOwner) {
    ControlStyle().Include(csReplicatable);
}

TdaTimerSpeedButton::~TdaTimerSpeedButton() {
    delete FRepeatTimer;
}

TdaDBSpinEdit* TdaTimerSpeedButton::SpinEdit() const {
    return Parent() ? dynamic_cast<TdaDBSpinEdit*>(Parent()->Parent()) : nullptr;
}

void TdaTimerSpeedButton::Paint() {
    TdaDBSpinEdit* Edit = SpinEdit();
    if (!Edit) {
        TdaSpinControlButton::Paint();
        return;
    }
    if (Edit->SkipUpdate) return;
    if (ControlState().Contains(csPaintCopy) && !ComponentState().Contains(csDesigning) &&
        daParentIsGrid(Edit))
        return;
    if (daThemesActive(Edit)) {
        TdaSpinControlButton::Paint();
        return;
    }
    UpdateStateForPaint();
    const bool GridParent = Edit->Parent() && daClassInheritsFrom(Edit->Parent()->ClassType(), u"TdaDBGrid");
    const TdaButtonEffects* Effects = Edit->ButtonEffects();
    const bool Pressed = FState == bsDown || FState == bsExclusive;
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if ((MouseInControl || Edit->HasFocus() || GridParent) && !Effects->Transparent())
        DrawFrameControl(C, R, DFC_BUTTON, DFCS_BUTTONPUSH | (Pressed ? DFCS_PUSHED : 0));
    else if (!Effects->Transparent()) {
        C->Brush()->SetColor(clBtnFace);
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(R);
    }
    // The arrow: the glyph when one is set, else a small triangle.
    if (!Glyph()->Empty()) {
        TRect G = R;
        FGlyph->Draw(C, G, Pressed ? TPoint{1, 1} : TPoint{0, 0}, Caption(), Layout(), Margin(), Spacing(),
                     FState, true, 0);
    } else {
        const int W = std::max(3, std::min(R.Width() - 6, 7) | 1), H = (W + 1) / 2;
        const int Shift = Pressed ? 1 : 0;
        const int X = R.Left + (R.Width() - W) / 2 + Shift, Y = R.Top + (R.Height() - H) / 2 + Shift;
        const TColor Ink = FState == bsDisabled ? clGrayText : clBtnText;
        for (int Row = 0; Row < H; ++Row) {
            const int Line = ScrollDirection() == dasdUp ? H - 1 - Row : Row;
            for (int K = Row; K < W - Row; ++K)
                C->SetPixels(X + K, Y + Line, Ink);
        }
    }
    if (MouseInControl || !Effects->Flat() || Edit->HasFocus() || GridParent) {
        TRect E = ClientRect();
        DrawEdge(C, E, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
}

void TdaTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaSpinControlButton::MouseDown(Button, Shift, X, Y);
    RefreshUnderSpin();
    if (Button != mbLeft || !Enabled()) return;
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
    if (FState != bsDown || !MouseCapture()) return;
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
        if (!Inside && Flat())
            if (TdaDBSpinEdit* Edit = SpinEdit(); Edit && !Edit->HasFocus()) Edit->Invalidate();
        Invalidate();
    }
    TdaSpinControlButton::MouseMove(Shift, X, Y);
}

// The button's own release handling clicks when the release is inside.
void TdaTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaSpinControlButton::MouseUp(Button, Shift, X, Y);
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    RefreshUnderSpin();
}

// A flat or transparent spin button lets the edit's parent show: that part is painted first.
void TdaTimerSpeedButton::RefreshUnderSpin() {
    TdaDBSpinEdit* Edit = SpinEdit();
    if (!Edit || !Parent()) return;
    const TdaButtonEffects* Effects = Edit->ButtonEffects();
    if (!(Effects->Flat() || Effects->Transparent()) || !Edit->Parent() || !Edit->Parent()->HandleAllocated())
        return;
    TRect R = Parent()->BoundsRect();
    OffsetRect(R, Edit->Left(), Edit->Top());
    InvalidateRect(Edit->Parent()->WindowHandle(), &R, false);
    Edit->Parent()->Update();
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

void TdaSpinButton::Published(TPublisher<TdaSpinButton>& P) {
    P.Property(u"Flat", &TdaSpinButton::Flat, &TdaSpinButton::SetFlat).Default(false);
}

void TdaSpinButton::SetFlat(bool Value) {
    FUpButton->SetFlat(Value);
    FDownButton->SetFlat(Value);
}

void TdaSpinButton::SetUpGlyph(TBitmap* Value) {
    if (Value)
        FUpButton->SetGlyph(Value);
    else {
        TBitmap None;
        FUpButton->SetGlyph(&None);
    }
    FUpButton->SetNumGlyphs(1);
    FUpButton->Invalidate();
}

void TdaSpinButton::SetDownGlyph(TBitmap* Value) {
    if (Value)
        FDownButton->SetGlyph(Value);
    else {
        TBitmap None;
        FDownButton->SetGlyph(&None);
    }
    FDownButton->SetNumGlyphs(1);
    FDownButton->Invalidate();
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

void TdaSpinButton::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    auto* Edit = dynamic_cast<TdaDBSpinEdit*>(Owner());
    if (!Edit) return TWinControl::WMEraseBkgnd(Message);
    if (Edit->SkipUpdate) {
        Message.Result = 1;
        return;
    }
    const bool GridCopy = daIsGridPaintCopy(Edit);
    if (!GridCopy && !Edit->isTransparentEffective()) return TWinControl::WMEraseBkgnd(Message);
    const TdaButtonEffects* Effects = Edit->ButtonEffects();
    const bool Held = FUpButton->ControlState().Contains(csLButtonDown) ||
                      FDownButton->ControlState().Contains(csLButtonDown);
    if (!GridCopy && (Effects->Flat() || Effects->Transparent()) && Held && Edit->Parent() &&
        Edit->Parent()->HandleAllocated()) {
        TRect R = BoundsRect();
        OffsetRect(R, Edit->Left(), Edit->Top());
        InvalidateRect(Edit->Parent()->WindowHandle(), &R, false);
        TFlagScope Skip(Edit->SkipUpdate);
        Edit->Parent()->Update();
    }
    Message.Result = 1;
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
    FButton->UpButton()->ControlStyle().Include(csReplicatable);
    FButton->DownButton()->ControlStyle().Include(csReplicatable);
    FButtonEffects = std::make_unique<TdaComboButtonEffects>(this, FButton);
    FButtonEffects->OnRefresh = [this] {
        Invalidate();
        FButton->Invalidate();
    };
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
    P.Property(u"ButtonEffects", &TdaDBSpinEdit::ButtonEffects, &TdaDBSpinEdit::SetButtonEffects);
    P.Property(u"LimitEditRect", &TdaDBSpinEdit::LimitEditRect, &TdaDBSpinEdit::SetLimitEditRect)
        .Default(false);
}

void TdaDBSpinEdit::SetLimitEditRect(bool Value) {
    if (FLimitEditRect == Value) return;
    FLimitEditRect = Value;
    RecreateWnd();
}

void TdaDBSpinEdit::CreateParams(TCreateParams& Params) {
    TdaDBCustomEdit::CreateParams(Params);
    Params.Style &= ~Cardinal(ES_AUTOVSCROLL | ES_WANTRETURN);
    Params.Style |= WS_CLIPCHILDREN;
    if (FLimitEditRect || EditAlignment() == eaRightAlignEditing) Params.Style |= ES_MULTILINE;
    if (FButtonEffects->Flat() || FButtonEffects->Transparent()) Params.Style &= ~Cardinal(WS_CLIPCHILDREN);
}

void TdaDBSpinEdit::SetEditRect() {
    if (!HandleAllocated()) return;
    TRect Loc;
    Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Loc));
    Loc.Bottom = ClientHeight();
    Loc.Right = ClientWidth() - FButton->Width() - 2 - (Frame()->IsFrameEffective() ? 1 : 0);
    Loc.Left = Loc.Top = BorderStyle() == Controls::bsNone ? 2 : 0;
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
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
    SetEditRect();
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
