#include "dataaware/edits/daDateTimePicker.h"

#include "dataaware/foundation/daDateUtils.h"
#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daIntl.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Grids.h"

#include <cmath>

namespace {

// Posted by a picker to itself when it lost the focus: the calendar goes unless the focus came
// back first.
const UINT WM_DADESTROYCALENDAR = RegisterWindowMessage(u"OVELDATEPICKERDESTROYCALENDAR");

TDateTime DayOf(TDateTime V) {
    return std::trunc(V);
}

TDateTime TimeOf(TDateTime V) {
    return std::fabs(V - std::trunc(V));
}

bool IsDigitKey(Word Key) {
    return (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD0 + 9);
}

String Pad2(int V) {
    return V < 10 ? u"0" + IntToStr(V) : IntToStr(V);
}

Char LowerOf(Char C) {
    return C >= u'A' && C <= u'Z' ? Char(C + 32) : C;
}

int ScrollBarButtonWidth() {
    return std::max(GetSystemMetrics(SM_CXVSCROLL), 15);
}

} // namespace

// ---- Options ----------------------------------------------------------------------------------

void TdaDTInterval::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TdaDTInterval*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    SetMinutesInterval(Other->MinutesInterval());
    RoundMinutes = Other->RoundMinutes;
}

TdaCalendarOptions::TdaCalendarOptions()
    : FColors(std::make_unique<TdaDateTimeColors>()), FFont(std::make_unique<TFont>()),
      FPopupYearOptions(std::make_unique<TdaPopupYearOptions>()) {}

TdaCalendarOptions::~TdaCalendarOptions() = default;

TPoint daPlacePopupCalendar(TdaDTCalAlignment Alignment, TPoint DropPoint, int PickerTop, int PickerWidth,
                            int CalendarWidth, int CalendarHeight, int ScreenWidth, int WorkAreaBottom) {
    TPoint P = DropPoint;
    // Above the picker when there is no room below and there is room above.
    if (DropPoint.Y + CalendarHeight > WorkAreaBottom && PickerTop - CalendarHeight > 0)
        P.Y = PickerTop - CalendarHeight;
    const int W = ScrollBarButtonWidth();
    const int X = DropPoint.X;
    switch (Alignment) {
    case dadtaLeft:
        P.X = X + CalendarWidth >= ScreenWidth ? X + PickerWidth - CalendarWidth - 1 : X;
        break;
    case dadtaRight:
        P.X = X + CalendarWidth < ScreenWidth ? X + PickerWidth - W - CalendarWidth - 1
                                              : X + PickerWidth - CalendarWidth - 1;
        break;
    case dadtaCenter:
        P.X = X + CalendarWidth < ScreenWidth ? (PickerWidth - CalendarWidth - W - 1) / 2 + X
                                              : X + PickerWidth - CalendarWidth - 1;
        break;
    }
    if (Alignment != dadtaLeft && P.X < 0) P.X = 0;
    return P;
}

// ---- The button -------------------------------------------------------------------------------

TdaDateBtnWinControl::TdaDateBtnWinControl(TComponent* AOwner) : TWinControl(AOwner) {
    EditControl = dynamic_cast<TdaDBCustomDateTimePicker*>(AOwner);
}

void TdaDateBtnWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    TdaDBCustomDateTimePicker* P = EditControl;
    if (!P) return TWinControl::WMEraseBkgnd(Message);
    if (P->FSkipUpdate) {
        Message.Result = 1;
        return;
    }
    const bool GridCopy = daIsGridPaintCopy(P);
    if (!GridCopy && !P->IsTransparentEffective()) return TWinControl::WMEraseBkgnd(Message);
    // A see-through button shows the picker's parent: it is painted first, behind the button.
    TdaDateComboButton* B = P->FButton;
    if (!GridCopy && B && (P->FButtonEffects->Flat() || P->FButtonEffects->Transparent()) &&
        B->ControlState().Contains(csLButtonDown) && P->Parent()) {
        TRect R = BoundsRect();
        OffsetRect(R, P->Left(), P->Top());
        InvalidateRect(P->Parent()->Handle(), &R, true);
        TFlagScope Skip(P->FSkipUpdate);
        P->Parent()->Update();
    }
    Message.Result = 1;
}

void TdaDateBtnWinControl::CMMouseLeave(TMessage& Message) {
    TWinControl::CMMouseLeave(Message);
    TdaDBCustomDateTimePicker* P = EditControl;
    if (!P || !P->FButtonEffects->Flat() || P->Focused() || !P->IsTransparentEffective()) return;
    TRect R = BoundsRect();
    if (P->BorderStyle() == Controls::bsSingle) OffsetRect(R, 2, 2);
    if (daIsParentTransparent(this)) {
        daInvalidateTransparentControl(this, false);
    } else if (P->Parent()) {
        OffsetRect(R, P->Left(), P->Top());
        InvalidateRect(P->Parent()->Handle(), &R, true);
    }
    Invalidate();
}

TdaDateComboButton::TdaDateComboButton(TComponent* AOwner)
    : TdaComboButton(AOwner), FPicker(dynamic_cast<TdaDBCustomDateTimePicker*>(AOwner)) {}

bool TdaDateComboButton::OwnerThemed() {
    if (!FPicker) return false;
    return daThemesActive(this) && daIsVistaOrLater() && !ArrowOnly() &&
           (!FPicker->Frame()->Enabled() || !FPicker->Frame()->Transparent());
}

bool TdaDateComboButton::OwnerHot() {
    return FPicker && FPicker->FMouseInControl;
}

bool TdaDateComboButton::OwnerDroppedDown() {
    return FPicker && FPicker->DroppedDown();
}

void TdaDateComboButton::Paint() {
    TdaDBCustomDateTimePicker* P = FPicker;
    if (!P) return TdaComboButton::Paint();
    if (P->FSkipUpdate) return;
    if (daIsGridPaintCopy(P) && !daIsDesigning(P)) return;
    P->FMouseInButtonControl = MouseInControl();
    const bool Themed = OwnerThemed();
    const bool Hot = MouseInControl() || P->FFocused || daIsKindOf(P->Parent(), u"TdaDBGrid");
    bool Handled = false;
    if ((Glyph()->Empty() || Hot) &&
        !(P->FButtonEffects->Transparent() && P->FButtonStyle == cbsDownArrow) && !Themed) {
        UpdateStateForPaint();
        P->DrawButtonFace(Canvas(), ClientRect(), FState, P->ControlState(), Handled);
    }
    if (!Handled) {
        SetEllipsis(P->FButtonStyle == cbsEllipsis);
        TdaComboButton::Paint();
    }
    if ((Hot || !P->FButtonEffects->Flat()) && !Themed) {
        TRect R = ClientRect();
        DrawEdge(Canvas(), R, FState == bsDown || FState == bsExclusive ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
}

// ---- The picker: value and kinds --------------------------------------------------------------

TdaDBCustomDateTimePicker::TdaDBCustomDateTimePicker(TComponent* AOwner)
    : TCustomEdit(AOwner), FCalendarOptions(std::make_unique<TdaCalendarOptions>()),
      FInterval(std::make_unique<TdaDTInterval>()) {
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
    SetAutoSelect(false);
    TControlStyle Style = ControlStyle();
    Style.Include(csReplicatable);
    SetControlStyle(Style);
    if (daGlobalIntl) FEpoch = daGlobalIntl->DefaultEpochYear;
    FBtnControl = new TdaDateBtnWinControl(this);
    Style = FBtnControl->ControlStyle();
    Style.Include(csReplicatable);
    FBtnControl->SetControlStyle(Style);
    FBtnControl->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL) + 4, 17), 17);
    FBtnControl->SetParent(this);
    FButton = new TdaDateComboButton(this);
    Style = FButton->ControlStyle();
    Style.Include(csReplicatable);
    FButton->SetControlStyle(Style);
    FButton->SetBounds(0, 0, FBtnControl->Width(), FBtnControl->Height());
    FButton->SetWidth(ScrollBarButtonWidth());
    FButton->SetParent(FBtnControl);
    FButton->OnClick = [this](TObject*) {
        RepaintButtonArea();
        ButtonClick();
    };
    FFrame = std::make_unique<TdaEditFrame>(this);
    FButtonEffects = std::make_unique<TdaComboButtonEffects>(this, FButton);
    // A flat or transparent button takes the matching glyph.
    FButtonEffects->OnRefresh = [this] { LoadDropDownGlyph(); };
    SetWidth(121);
    SetTextWidgetShown(false); // no focus yet: the picker paints its text
}

TdaDBCustomDateTimePicker::~TdaDBCustomDateTimePicker() {
    FDataLink.OnDataChange = nullptr;
    FDataLink.OnUpdateData = nullptr;
    FDataLink.SetDataSource(nullptr);
}

bool TdaDBCustomDateTimePicker::IsDateTimeType() const {
    if (TField* F = Field()) return F->DataType() == ftDateTime || F->DataType() == ftTimeStamp;
    return FUnboundDataType == daDTEdtDateTime;
}

bool TdaDBCustomDateTimePicker::IsDateOnly() const {
    if (TField* F = Field()) return F->DataType() == ftDate;
    return FUnboundDataType == daDTEdtDate;
}

namespace {

// The format reader: one token at Pos (1-based) whose character is Letter; Pos is left on the
// token's last character. An empty token is no part.
String ReadFormatToken(Char Letter, const String& F, int& Pos) {
    const Char L = LowerOf(Letter);
    if (L == u'a') {
        auto Try = [&](const char16_t* Form) {
            const int N = int(std::char_traits<char16_t>::length(Form));
            if (Pos + N - 1 > Length(F)) return false;
            for (int I = 0; I < N; ++I) {
                const Char C = F[Pos - 1 + I];
                if (Form[I] == u'/' ? C != u'/' : LowerOf(C) != Form[I]) return false;
            }
            return true;
        };
        for (const char16_t* Form : {u"a/p", u"am/pm", u"ampm"})
            if (Try(Form)) {
                const int N = int(std::char_traits<char16_t>::length(Form));
                const String Token = Copy(F, Pos, N);
                Pos += N - 1;
                return Token;
            }
        return {};
    }
    const int Start = Pos;
    while (Pos < Length(F) && LowerOf(F[Pos]) == L)
        ++Pos;
    const int N = Pos - Start + 1;
    if (L == u'm' && N <= 2 && Start >= 3 && (F[Start - 3] == u'h' || F[Start - 3] == u'H'))
        return N == 1 ? u"n" : u"nn";
    return String(size_t(N), L);
}

bool IsPartLetter(Char C) {
    const Char L = LowerOf(C);
    return L == u'd' || L == u'm' || L == u'n' || L == u's' || L == u'h' || L == u'y' || L == u'a';
}

bool IsDateToken(const String& T) {
    return !T.empty() && (T[0] == u'd' || T[0] == u'm' || T[0] == u'y');
}

bool IsAmPmToken(const String& T) {
    const String U = UpperCase(T);
    return U == u"AM/PM" || U == u"A/P" || U == u"AMPM";
}

String ExpandFormat(String F) {
    const TFormatSettings& FS = FormatSettings;
    F = StringReplace(F, u"c", FS.ShortDateFormat + u" " + FS.LongTimeFormat, {rfReplaceAll});
    F = StringReplace(F, u"dddddd", FS.LongDateFormat, {rfReplaceAll});
    F = StringReplace(F, u"ddddd", FS.ShortDateFormat, {rfReplaceAll});
    F = StringReplace(F, u"tt", FS.LongTimeFormat, {rfReplaceAll});
    F = StringReplace(F, u"t", FS.ShortTimeFormat, {rfReplaceAll});
    return F;
}

bool FormatHasDatePart(const String& Format) {
    const String F = ExpandFormat(Format);
    if (F.empty()) return true;
    for (int I = 1; I <= Length(F); ++I) {
        if (!IsPartLetter(F[I - 1])) continue;
        const String T = ReadFormatToken(F[I - 1], F, I);
        if (IsDateToken(T)) return true;
    }
    return false;
}

bool FormatHasTimePart(const String& Format) {
    if (Format.empty()) return true;
    const String U = UpperCase(Format);
    for (Char C : U)
        if (C == u'H' || C == u'N' || C == u'S' || C == u'T' || C == u'C') return true;
    return false;
}

} // namespace

bool TdaDBCustomDateTimePicker::IsTimeOnly() const {
    if (TField* F = Field()) {
        if (F->DataType() == ftTime) return true;
        return (F->DataType() == ftDateTime || F->DataType() == ftTimeStamp) &&
               !FormatHasDatePart(GetEffectiveFormat(true));
    }
    return FUnboundDataType == daDTEdtTime;
}

bool TdaDBCustomDateTimePicker::HasNoTimePart() const {
    if (TField* F = Field()) {
        if (F->DataType() == ftDate) return true;
        return (F->DataType() == ftDateTime || F->DataType() == ftTimeStamp) &&
               !FormatHasTimePart(GetEffectiveFormat(true));
    }
    return FUnboundDataType == daDTEdtDate;
}

String TdaDBCustomDateTimePicker::GetEffectiveFormat(bool WithDefault) const {
    if (!FDisplayFormat.empty()) return FDisplayFormat;
    if (TField* F = Field(); F && !F->DisplayFormat().empty()) return F->DisplayFormat();
    if (!WithDefault) return {};
    const TFormatSettings& FS = FormatSettings;
    const TField* F = Field();
    const bool Time = F ? F->DataType() == ftTime : FUnboundDataType == daDTEdtTime;
    const bool DateOnly = F ? F->DataType() == ftDate : FUnboundDataType == daDTEdtDate;
    if (Time) return FDateFormat == dfLong ? FS.LongTimeFormat : FS.ShortTimeFormat;
    if (DateOnly) return FDateFormat == dfLong ? FS.LongDateFormat : FS.ShortDateFormat;
    return FDateFormat == dfLong ? FS.LongDateFormat + u" " + FS.LongTimeFormat : String(u"c");
}

String TdaDBCustomDateTimePicker::GetExpandedFormat() const {
    return ExpandFormat(GetEffectiveFormat(true));
}

TDateTime TdaDBCustomDateTimePicker::EffectiveMinDate() const {
    return DayOf(FMinDate) != 0 ? FMinDate : EncodeDate(1899, 12, 31);
}

TDateTime TdaDBCustomDateTimePicker::EffectiveMaxDate() const {
    return DayOf(FMaxDate) != 0 ? FMaxDate : EncodeDate(9999, 12, 31);
}

int TdaDBCustomDateTimePicker::ExpandTwoDigitYear(int Year) const {
    if (Year < 0 || Year > 99) return Year;
    int Y = Year + (FEpoch / 100) * 100;
    if (Year < FEpoch % 100) Y += 100;
    return Y;
}

String TdaDBCustomDateTimePicker::FormatValue(TDateTime X) const {
    if (MeantToBeBound()) return {};
    if (DayOf(X) != 0 || IsTimeOnly()) {
        if (!GetEffectiveFormat(false).empty() || FDateFormat != dfLong || TimeOf(X) != 0)
            return FormatDateTime(GetEffectiveFormat(true), X);
        return FormatDateTime(FormatSettings.LongDateFormat, X);
    }
    return {};
}

String TdaDBCustomDateTimePicker::GetDisplayText(TDateTime X) const {
    if (MeantToBeBound()) return {};
    if (TField* F = Field(); F && F->IsNull() && (!FCalendar || !FCalendar->Visible())) return {};
    if (!IsBound() && X == 0 && FIsCleared) return {};
    return FormatValue(X);
}

void TdaDBCustomDateTimePicker::RefreshText() {
    String T;
    if (Modified()) T = FormatValue(FDateTime);
    else if (IsBound() || (FDateTime != 0 && !MeantToBeBound())) T = GetDisplayText(FDateTime);
    if (Text() != T) SetText(T);
    Invalidate();
}

void TdaDBCustomDateTimePicker::WriteDateTime(TDateTime X) {
    const bool WasModified = Modified();
    if (IsBound() || X != 0) {
        if (X == FDateTime && FDateTime != 0) return;
    }
    if (!IsBound() && X == 0) FIsCleared = false;
    if (X == 0) {
        FDateTime = 0;
        if (!IsTimeOnly()) {
            if (!Text().empty()) SetText(u"");
            return;
        }
    }
    // A day outside the limits is refused before it is stored or shown.
    const TField* F = Field();
    if (X != 0 && (DayOf(X) != 0 || !IsTimeOnly()) && (!F || !F->IsNull() || !IsBound())) {
        if (FMaxDate != 0 && DayOf(X) > DayOf(FMaxDate))
            throw EDateTimeError(Format(u"Date exceeds maximum of %s", {DateToStr(FMaxDate)}));
        if (FMinDate != 0 && X < DayOf(FMinDate))
            throw EDateTimeError(Format(u"Date is less than minimum of %s", {DateToStr(FMinDate)}));
    }
    FDateTime = X;
    const String T = FormatValue(X);
    if (Text() != T) SetText(T);
    if (FFocused) SelectCurrentPart(X);
    SetModified(WasModified);
}

void TdaDBCustomDateTimePicker::WriteDate(TDateTime X) {
    if (IsTimeOnly()) return;
    if (!IsBound() && X == 0) {
        FIsCleared = false;
        WriteDateTime(0);
        return;
    }
    if (DayOf(X) == DayOf(FDateTime)) return;
    TDateTime V = DayOf(X) + TimeOf(FDateTime);
    if (V == 0) {
        WriteDateTime(0);
        Invalidate();
        return;
    }
    try {
        if (FMaxDate != 0 && V > FMaxDate) {
            if (DayOf(V) > DayOf(FMaxDate))
                throw EDateTimeError(Format(u"Date exceeds maximum of %s", {DateToStr(FMaxDate)}));
            V = DayOf(V);
        }
        if (FMinDate != 0 && V < FMinDate)
            throw EDateTimeError(Format(u"Date is less than minimum of %s", {DateToStr(FMinDate)}));
        WriteDateTime(V);
    } catch (const Exception&) {
        // An out-of-range day is refused quietly; the old value is shown again.
        const String T = FormatValue(FDateTime);
        if (Text() != T && (FDateTime != 0 || IsBound())) SetText(T);
    }
}

void TdaDBCustomDateTimePicker::WriteTime(TDateTime X) {
    if (IsDateOnly()) return;
    if (!IsBound() && X == 0) {
        FIsCleared = false;
        WriteDateTime(0);
        return;
    }
    if (TimeOf(X) == TimeOf(FDateTime) && !(IsTimeOnly() && Text().empty())) return;
    const TDateTime V = DayOf(FDateTime) + TimeOf(X);
    WriteDateTime(V);
    if (V == 0) Invalidate();
}

TDateTime TdaDBCustomDateTimePicker::Date() {
    CommitDigitEntry();
    return IsTimeOnly() ? 0 : DayOf(FDateTime);
}

TDateTime TdaDBCustomDateTimePicker::Time() {
    CommitDigitEntry();
    return IsDateOnly() ? 0 : TimeOf(FDateTime);
}

void TdaDBCustomDateTimePicker::ClearDateTime() {
    EditCanModify();
    if (!CanModify()) return;
    WriteDateTime(0);
    FIsCleared = true;
    if (!Text().empty()) SetText(u"");
    FPos = 1;
    SetModifiedState(true);
}

bool TdaDBCustomDateTimePicker::CanModify() const {
    if (FReadOnly) return false;
    if (IsBound()) {
        if (!FDataLink.CanModify()) return false;
        if (TDataSource* DS = DataSource(); DS && !DS->AutoEdit)
            return DS->State() == dsEdit || DS->State() == dsInsert;
    }
    return true;
}

bool TdaDBCustomDateTimePicker::EditCanModify() {
    if (!IsBound()) return true;
    return FDataLink.Edit();
}

bool TdaDBCustomDateTimePicker::IsDataSetEditing() const {
    if (!IsBound()) return true;
    const TDataSetState S = DataSource()->State();
    if (S == dsEdit || S == dsInsert) return true;
    TField* F = Field();
    return !FReadOnly && (F->Calculated() || F->Lookup()) && !F->ReadOnly() && F->DataSet() &&
           F->DataSet()->CanModify();
}

void TdaDBCustomDateTimePicker::SetModifiedState(bool Value) {
    if (Value && IsBound() && Field()->ReadOnly()) return;
    SetModified(Value);
}

void TdaDBCustomDateTimePicker::ResetValue() {
    if (IsBound()) DataChange(); // the field's value comes back
    else {
        try {
            WriteDateTime(FOldDateTime);
        } catch (const EDateTimeError&) {
        }
    }
    SetModifiedState(false);
    FPos = 1;
}

// ---- Setters ----------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::SetDisplayFormat(const String& Value) {
    if (FDisplayFormat == Value) return;
    FDisplayFormat = Value;
    RefreshText();
}

void TdaDBCustomDateTimePicker::SetDateFormat(TDTDateFormat Value) {
    if (FDateFormat == Value) return;
    FDateFormat = Value;
    RefreshText();
}

void TdaDBCustomDateTimePicker::SetUnboundDataType(TdaDTEditDataType Value) {
    if (FUnboundDataType == Value) return;
    FUnboundDataType = Value;
    RefreshText();
}

void TdaDBCustomDateTimePicker::SetMaxDate(TDateTime Value) {
    if (Value != 0 && FMinDate != 0 && Value < FMinDate)
        throw EDateTimeError(Format(u"Date is less than minimum of %s", {DateToStr(FMinDate)}));
    FMaxDate = Value;
}

void TdaDBCustomDateTimePicker::SetMinDate(TDateTime Value) {
    if (Value != 0 && FMaxDate != 0 && Value > FMaxDate)
        throw EDateTimeError(Format(u"Date exceeds maximum of %s", {DateToStr(FMaxDate)}));
    FMinDate = Value;
}

void TdaDBCustomDateTimePicker::SetDataField(const String& Value) {
    FDataLink.SetFieldName(Value);
    if (Value.empty()) FUnboundDataType = daDTEdtDateTime;
}

void TdaDBCustomDateTimePicker::SetDataSource(TDataSource* Value) {
    FDataLink.SetDataSource(Value);
    if (!Value) FUnboundDataType = daDTEdtDateTime;
    DataChange();
}

void TdaDBCustomDateTimePicker::SetReadOnly(bool Value) {
    FReadOnly = Value;
    FDataLink.SetReadOnly(Value);
    TCustomEdit::SetReadOnly(Value);
}

void TdaDBCustomDateTimePicker::WriteShowButton(bool Value) {
    if (FShowButton == Value) return;
    FShowButton = Value;
    FBtnControl->SetVisible(Value && !IsTimeOnly());
    if (HandleAllocated()) {
        SetEditRect();
        Invalidate();
    }
}

// ---- Layout -----------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::PositionButton() {
    if (!FBtnControl || !FButton) return;
    const int F = FFrame->IsFrameEffective() ? 2 : 0;
    const bool ThreeD = BorderStyle() == Controls::bsSingle;
    const int W = FButton->Width();
    // A mirrored layout keeps the button at the left edge.
    const bool Mirrored = UseRightToLeftAlignment();
    if (ThreeD)
        FBtnControl->SetBounds(Mirrored ? 0 : Width() - W - 4, F, W, ClientHeight() - F);
    else
        FBtnControl->SetBounds(Mirrored ? 1 : Width() - W - F, F, W, ClientHeight() - 2 * F);
    if (BorderStyle() == Controls::bsNone)
        FButton->SetBounds(0, -1, W, FBtnControl->Height() + 1);
    else
        FButton->SetBounds(0, 0, W, FBtnControl->Height());
    FBtnControl->SetVisible(FShowButton && !IsTimeOnly());
    SetEditRect();
}

int TdaDBCustomDateTimePicker::ButtonAreaWidth() const {
    return FBtnControl ? FBtnControl->Width() : 0;
}

int TdaDBCustomDateTimePicker::TextRightEdge() const {
    return FBtnControl ? FBtnControl->Left() - 1 : ClientWidth();
}

namespace {

// A library grid draws its row lines with dgRowLines, or with dgRowLinesDisableFixed cleared (its
// options are read by name: the edits do not link the grids).
bool RowLinesDrawn(TControl* Grid) {
    if (!Grid || !daIsKindOf(Grid, u"TdaDBGrid") || !IsPublishedProp(Grid, u"Options")) return false;
    const String Options = u"," + GetSetProp(Grid, u"Options", false) + u",";
    const auto Has = [&](const char16_t* Name) { return Pos(u"," + String(Name) + u",", Options) > 0; };
    return Has(u"dgRowLines") || !Has(u"dgRowLinesDisableFixed");
}

} // namespace

void TdaDBCustomDateTimePicker::SetEditRect() {
    if (!HandleAllocated()) return;
    TRect Loc;
    Loc.Bottom = ClientHeight() + 1;
    // Mirrored, the text runs to the right edge; the button covers its left end.
    Loc.Right = UseRightToLeftAlignment() ? ClientWidth() : FShowButton ? TextRightEdge() : ClientWidth() - 2;
    if (daParentIsInspector(this)) {
        Loc.Left = 1;
        Loc.Top = 1;
    } else if (BorderStyle() == Controls::bsNone && daParentIsGrid(this)) {
        Loc.Left = 2;
        Loc.Top = daIsKindOf(Parent(), u"TdaDBGrid") && !RowLinesDrawn(Parent()) ? 1 : 2;
    } else if (FFrame->IsFrameEffective()) {
        FFrame->GetEditRectForFrame(Loc);
    } else if (BorderStyle() == Controls::bsSingle) {
        Loc.Left = 0;
        Loc.Top = 0;
    } else {
        Loc.Left = 1;
        Loc.Top = 1;
    }
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
}

TRect TdaDBCustomDateTimePicker::GetEditRect() const {
    TRect R = ClientRect();
    if (ButtonAreaWidth() != 0 && FShowButton && UseRightToLeftAlignment())
        R.Left += ButtonAreaWidth() + (FFrame->Enabled() ? 1 : 0);
    return R;
}

bool TdaDBCustomDateTimePicker::IsTransparentEffective() const {
    return FFrame->Transparent() && FFrame->IsFrameEffective();
}

bool TdaDBCustomDateTimePicker::IsInFocusedGrid() const {
    return IsBound() && Parent() && daIsKindOf(Parent(), u"TdaDBGrid") && Parent()->Focused();
}

bool TdaDBCustomDateTimePicker::PaintsItsOwnText() const {
    return !FFocused || !UseNativePaintWhenFocused() || IsInFocusedGrid() || ControlState().Contains(csPaintCopy);
}

void TdaDBCustomDateTimePicker::UpdateTextPainting() {
    SetTextWidgetShown(!PaintsItsOwnText());
}

void TdaDBCustomDateTimePicker::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    if (IsTransparentEffective() && FFrame->CreateTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TdaDBCustomDateTimePicker::CreateWnd() {
    TCustomEdit::CreateWnd();
    if (BorderStyle() == Controls::bsNone && daGetAutoSize(this) && !dynamic_cast<TCustomGrid*>(Parent()))
        FFrame->AdjustHeight();
    PositionButton(); // places the button, then the text beside it
    if (IsTransparentEffective() && Parent()) daClearClipChildren(Parent());
}

// ---- Styles of the button ---------------------------------------------------------------------

void TdaDBCustomDateTimePicker::SetButtonStyle(TdaComboButtonStyle Value) {
    if (FButtonStyle == Value) return;
    FButtonStyle = Value;
    LoadDropDownGlyph();
    FButton->Invalidate();
}

void TdaDBCustomDateTimePicker::SetButtonGlyph(TBitmap* Value) {
    FButton->SetGlyph(Value);
    FButton->Invalidate();
}

void TdaDBCustomDateTimePicker::SetButtonWidth(int Value) {
    if (FButtonWidth == Value) return;
    FButtonWidth = Value;
    FButton->SetWidth(Value != 0 ? Value : ScrollBarButtonWidth());
    PositionButton();
}

void TdaDBCustomDateTimePicker::LoadDropDownGlyph() {
    if (FButtonStyle == cbsCustom) return;
    if (FButtonStyle == cbsDownArrow && (FButtonEffects->Flat() || FButtonEffects->Transparent())) {
        TBitmap Glyph;
        daMakeDropDownGlyph(&Glyph);
        FButton->SetGlyph(&Glyph);
    }
}

void TdaDBCustomDateTimePicker::RepaintButtonArea() {
    if ((FButtonEffects->Flat() || FButtonEffects->Transparent()) && Parent() && Parent()->HandleAllocated()) {
        TRect R = FBtnControl->BoundsRect();
        OffsetRect(R, Left(), Top());
        InvalidateRect(Parent()->Handle(), &R, false);
        if (!daIsParentTransparent(this)) Parent()->Update();
    }
    FButton->Invalidate();
}

void TdaDBCustomDateTimePicker::DrawButtonFace(TCanvas* Canvas, const TRect& ARect, TButtonState State,
                                               TControlState ControlState, bool& Handled) {
    if (FButtonStyle == cbsCustom) return;
    Handled = true;
    if (FButtonStyle == cbsDownArrow) {
        daDrawComboButton(Canvas, ARect, State, ControlState, Enabled());
    } else {
        const bool Flat = FButtonEffects->Flat() && !FMouseInButtonControl && !FFocused;
        daDrawEllipsisButton(Canvas, ARect, State, ControlState, FButtonEffects->Transparent(), Flat);
    }
}

// ---- Painting ---------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::PaintFrame(TCanvas* Canvas) {
    daDrawEditFrameEdges(this, FFrame.get(), Canvas, FFocused);
}

void TdaDBCustomDateTimePicker::WMPaint(TWMPaint& Message) {
    if (FBtnControl->Visible()) FButton->Invalidate();
    if (IsTimeOnly())
        FBtnControl->SetVisible(false);
    else if (UseRightToLeftAlignment() || FShowButton != FBtnControl->Visible())
        FBtnControl->SetVisible(FShowButton);
    if (!FCanvas) {
        FCanvas = std::make_unique<TControlCanvas>();
        FCanvas->SetControl(this);
    }
    if (!PaintsItsOwnText()) {
        TCustomEdit::WMPaint(Message);
        if (FFrame->IsFrameEffective()) PaintFrame(FCanvas.get());
        FCanvas->FreeHandle();
        return;
    }
    PaintText(FCanvas.get());
    FCanvas->FreeHandle();
    PaintControls(Message.DC(), nullptr);
}

void TdaDBCustomDateTimePicker::PaintText(TCanvas* C) {
    const bool PaintCopy = ControlState().Contains(csPaintCopy);
    const bool GridCopy = daIsGridPaintCopy(this);
    auto* Grid = dynamic_cast<TCustomGrid*>(Parent());
    // 1. The font.
    C->Font()->Assign(Font());
    if (!Enabled() && Color() != clGrayText)
        C->Font()->SetColor(clGrayText);
    else if (Grid)
        C->Font()->SetColor(Grid->Font()->Color());
    // 2. The background.
    if (!IsTransparentEffective() && !GridCopy) {
        TColor Back = Color();
        if (FFrame->Enabled() && !FFocused && FFrame->NonFocusColor != clNone) Back = FFrame->NonFocusColor;
        C->Brush()->SetColor(Back);
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(ClientRect());
    }
    // 3. The text rectangle.
    TRect R = FShowButton && !GridCopy ? GetEditRect() : ClientRect();
    InflateRect(R, -1, -1);
    // 4. The text.
    String T;
    TField* F = Field();
    if (PaintCopy && F)
        T = GetDisplayText(F->AsDateTime());
    else if (!F || Modified())
        T = GetDisplayText(FDateTime);
    else
        T = F->IsNull() || FDateTime != 0 ? GetDisplayText(F->IsNull() ? 0 : F->AsDateTime()) : FormatValue(0);
    // 5. The highlight.
    const bool Highlight = !PaintCopy && (IsInFocusedGrid() || (FFocused && !UseNativePaintWhenFocused()));
    if (Highlight) {
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
        if (IsInFocusedGrid()) {
            TMethod Event;
            daGetOnCalcCellColors(Parent(), Event);
            using TCalc = std::function<void(TObject*, TField*, TGridDrawState, bool, TFont*, TBrush*)>;
            if (const TCalc Calc = Event.As<TCalc>()) Calc(Parent(), F, TGridDrawState(), true, C->Font(), C->Brush());
        }
    }
    // 6. Margins.
    int TopMargin = Grid && !daParentIsInspector(this) && RowLinesDrawn(Parent()) ? 2 : 1;
    int LeftMargin;
    if (Grid || daParentIsGrid(this))
        LeftMargin = 2;
    else if (FFrame->IsFrameEffective())
        FFrame->GetFrameTextPosition(LeftMargin, TopMargin, FFocused);
    else
        LeftMargin = TopMargin;
    // 7. The alignment (the field's, where it has one).
    const auto Alignment = TAlignment(F ? daGetOrdPropByName(F, u"Alignment") : 0);
    const bool Mirrored = UseRightToLeftAlignment();
    const int TextWidth = C->TextWidth(T);
    if (Alignment == taRightJustify && !Mirrored) {
        LeftMargin = (FShowButton ? TextRightEdge() : R.Right) - TextWidth - TopMargin - R.Left;
        if (FFrame->IsFrameEffective()) LeftMargin -= FFrame->NonFocusTextOffsetX;
    } else if (Alignment == taCenter) {
        // Mirrored, the text rectangle already starts after the button.
        const int Button = FShowButton && !Mirrored ? ButtonAreaWidth() : 0;
        LeftMargin = (R.Left + R.Right - TextWidth - Button) / 2 - R.Left;
    }
    // A right-aligned field in a mirrored layout shows on the left, beside the button (the
    // button's left edge, which right alignment measures from, lies at the picker's left edge).
    // 8. A copy is drawn one pixel further left, except directly in a grid.
    if (PaintCopy && !(Grid && !daParentIsInspector(this))) --LeftMargin;
    // 9. and 10. Filling and the colour without the focus.
    const int Flags = GridCopy || (IsTransparentEffective() && !FFocused) ? dctNoFill : 0;
    if (!FFocused && !Highlight) {
        if (IsTransparentEffective() && FFrame->NonFocusTransparentFontColor != clNone)
            C->Font()->SetColor(FFrame->NonFocusTransparentFontColor);
        else if (FFrame->Enabled() && FFrame->NonFocusFontColor != clNone)
            C->Font()->SetColor(FFrame->NonFocusFontColor);
    }
    // 11. The text itself.
    if (Mirrored && Alignment == taLeftJustify) {
        R.Right += 2;
        daDrawCellText(C, R, 1, Flags, taRightJustify, T, TopMargin - 1);
    } else {
        daDrawCellText(C, R, LeftMargin - 1, Flags, taLeftJustify, T, TopMargin - 1);
    }
    // 12. The focus rectangle of the highlight.
    if (Highlight) {
        TRect FR = GetEditRect();
        if (BorderStyle() == Controls::bsSingle) {
            ++FR.Top;
            --FR.Bottom;
            ++FR.Left;
        }
        C->DrawFocusRect(FR);
    }
    // 13. The frame.
    if (FFrame->IsFrameEffective()) PaintFrame(C);
}

void TdaDBCustomDateTimePicker::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    if (daIsInspectorPaintCopy(this) || (IsTransparentEffective() && !FFocused)) {
        Message.Result = 1;
        return;
    }
    TCustomEdit::WMEraseBkgnd(Message);
}

void TdaDBCustomDateTimePicker::CMTextChanged(TMessage& Message) {
    // Nothing erases behind a see-through picker: the old text is painted over first.
    if (IsTransparentEffective() && !FFocused) FFrame->RefreshTransparentText(false, true, false);
    TCustomEdit::CMTextChanged(Message);
}

// ---- Hovering ---------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::CMMouseEnter(TMessage& Message) {
    TCustomEdit::CMMouseEnter(Message);
    DoMouseEnter();
}

void TdaDBCustomDateTimePicker::CMMouseLeave(TMessage& Message) {
    // Onto the button, which lies inside: the mouse is still over the picker.
    TPoint Cursor;
    if (HandleAllocated() && GetCursorPos(Cursor) && PtInRect(ClientRect(), ScreenToClient(Cursor))) return;
    TCustomEdit::CMMouseLeave(Message);
    DoMouseLeave();
}

void TdaDBCustomDateTimePicker::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
    if (FFrame->IsFrameEffective() && !FFocused && FFrame->MouseEnterSameAsFocus) {
        if (!FCanvas) {
            FCanvas = std::make_unique<TControlCanvas>();
            FCanvas->SetControl(this);
        }
        daDrawEditFrameEdges(this, FFrame.get(), FCanvas.get(), true);
        FCanvas->FreeHandle();
        return;
    }
    FMouseInControl = true;
    if (RepaintOnHover()) Invalidate();
}

void TdaDBCustomDateTimePicker::DoMouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
    if (FFrame->IsFrameEffective() && !FFocused && FFrame->MouseEnterSameAsFocus) {
        if (!FCanvas) {
            FCanvas = std::make_unique<TControlCanvas>();
            FCanvas->SetControl(this);
        }
        daDrawEditFrameEdges(this, FFrame.get(), FCanvas.get(), false);
        FCanvas->FreeHandle();
        if (IsTransparentEffective()) {
            FFrame->CreateTransparent = true;
            RecreateWnd();
        }
        return;
    }
    FMouseInControl = false;
    if (RepaintOnHover()) Invalidate();
}

void TdaDBCustomDateTimePicker::WMSize(TWMSize& Message) {
    TCustomEdit::WMSize(Message);
    PositionButton();
}

// ---- Data link --------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::DataChange() {
    if (IsBound()) {
        TField* F = Field();
        const TDataSetState S = DataSource()->State();
        if (F->IsNull()) {
            FDateTime = 0;
            if (!Text().empty()) SetText(u"");
            if (S == dsBrowse || S == dsInsert) FPos = 1;
        } else {
            FDateTime = F->AsDateTime();
            const String T = GetDisplayText(FDateTime);
            if (Text() != T) SetText(T);
            if (S == dsBrowse) FPos = 1;
            Invalidate();
        }
        SetModified(false);
        if (FFocused && !Text().empty()) SelectCurrentPart(FDateTime);
        return;
    }
    if (MeantToBeBound()) RefreshText();
}

void TdaDBCustomDateTimePicker::UpdateData() {
    TField* F = Field();
    if (!F || FReadOnly || !Modified()) return;
    if (!FDataLink.Editing() && !F->Calculated() && !F->Lookup()) return;
    if (CurrentDigitEditDateTime != 0) {
        FDateTime = CurrentDigitEditDateTime;
        CurrentDigitEditDateTime = 0;
    }
    if (HasNoTimePart()) {
        // A date field keeps the time of day it holds.
        FDateTime = DayOf(FDateTime) + (F->IsNull() ? 0 : TimeOf(F->AsDateTime()));
        if (FDateTime == 0) FIsCleared = true;
    } else if (IsTimeOnly()) {
        // A time field keeps its date.
        FDateTime = (F->IsNull() ? 0 : DayOf(F->AsDateTime())) + TimeOf(FDateTime);
        if (FDateTime == 0 && Text().empty()) F->Clear();
        else F->SetAsDateTime(FDateTime);
        return;
    }
    if (FDateTime != 0) F->SetAsDateTime(FDateTime);
    else if (FIsCleared || Text().empty()) F->Clear();
}

void TdaDBCustomDateTimePicker::UpdateRecord() {
    const bool WasModified = Modified();
    try {
        // The link hands over only a change the control told it of.
        if (WasModified) FDataLink.Modified();
        FDataLink.UpdateRecord();
    } catch (...) {
        SelectCurrentPart(FDateTime);
        if (CanFocus()) SetFocus();
        SetModified(WasModified);
        throw;
    }
}

void TdaDBCustomDateTimePicker::Change() {
    if (SetModifiedInChangeEvent) SetModified(true);
    TCustomEdit::Change();
    if (Text().empty()) {
        if (IsTimeOnly()) FDateTime = DayOf(FDateTime);
        else FDateTime = TimeOf(FDateTime);
    }
}

// ---- Focus ------------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::CMEnter(TMessage& Message) {
    FFocused = true;
    UpdateTextPainting();
    if (IsBound() && Field()->IsNull()) {
        if (!Text().empty()) SetText(u"");
    } else {
        FOldDateTime = FDateTime;
        const String T = GetDisplayText(FDateTime);
        if (Text() != T) SetText(T);
    }
    TCustomEdit::CMEnter(Message);
    if (FDateTime != 0 && !Text().empty() && !SkipDrawSetFocus) SelectAll();
    if (!IsBound()) SetModified(false);
}

void TdaDBCustomDateTimePicker::CMExit(TMessage& Message) {
    CommitDigitEntry();
    if (Modified() && IsBound()) UpdateRecord();
    TCustomEdit::CMExit(Message);
    FFocused = false;
    UpdateTextPainting();
    CurrentDigitEditDateTime = 0;
}

void TdaDBCustomDateTimePicker::DoExit() {
    TCustomEdit::DoExit();
    if (HandleAllocated()) PostMessage(Handle(), WM_DADESTROYCALENDAR, 0, 0);
}

void TdaDBCustomDateTimePicker::WMKillFocus(TWMKillFocus& Message) {
    TCustomEdit::WMKillFocus(Message);
    CloseUp(true);
}

void TdaDBCustomDateTimePicker::WMGetDlgCode(TWMGetDlgCode& Message) {
    TCustomEdit::WMGetDlgCode(Message);
    Message.Result |= DLGC_WANTARROWS;
}

void TdaDBCustomDateTimePicker::WndProc(TMessage& Message) {
    if (Message.Msg == WM_DADESTROYCALENDAR) {
        if (!FFocused && FCalendar) {
            delete FCalendar;
            FCalendar = nullptr;
        }
        return;
    }
    if (Message.Msg == WM_CUT) {
        EditCanModify();
        TCustomEdit::WndProc(Message);
        if (CanModify()) ClearDateTime();
        return;
    }
    if (Message.Msg == WM_PASTE) {
        if (!CanModify()) return;
        const String Before = Text();
        EditCanModify();
        SelectAll();
        TCustomEdit::WndProc(Message);
        const String Pasted = Text();
        try {
            if (IsTimeOnly()) {
                const TDateTime T = daStrToTimeDef(Pasted);
                if (T != 0) WriteDateTime(DayOf(FDateTime) + T);
            } else {
                TDateTime V = daStrToDateTimeDef(Pasted);
                if (DayOf(V) == 0) V = daStrToDateDef(Pasted);
                if (DayOf(V) != 0) WriteDateTime(V);
            }
        } catch (const EDateTimeError&) {
            // A pasted day outside the limits: the text from before comes back, quietly.
            SetText(Before);
        }
        SetModified(true);
        RefreshText();
        SelectCurrentPart(FDateTime);
        SetModifiedState(true);
        return;
    }
    if (Message.Msg == WM_KEYDOWN && GetDroppedDown()) {
        Word Key = Word(Message.WParam);
        HandleDropDownKey(Key, KeyDataToShiftState(int(Message.LParam)));
        if (Key != 0 && FCalendar && FCalendar->Visible()) {
            FCalendar->CalendarKey(Key, KeyDataToShiftState(int(Message.LParam)));
            if (CanModify()) {
                EditCanModify();
                SetModifiedState(true);
                WriteDate(FCalendar->Date());
            }
        }
        Message.WParam = Key;
        if (Key == 0) return;
    }
    TCustomEdit::WndProc(Message);
}

// ---- Parts ------------------------------------------------------------------------------------

bool TdaDBCustomDateTimePicker::FormatHasAmPm() const {
    const String F = GetExpandedFormat();
    for (int I = 1; I <= Length(F); ++I)
        if (LowerOf(F[I - 1]) == u'a' && !ReadFormatToken(F[I - 1], F, I).empty()) return true;
    return false;
}

String TdaDBCustomDateTimePicker::TokenText(const String& T, TDateTime Value, bool AmPm) const {
    Word Y = 0, M = 0, D = 0, H = 0, N = 0, S = 0, MS = 0;
    DecodeDateTime(Value, Y, M, D, H, N, S, MS);
    const TFormatSettings& FS = FormatSettings;
    const Char L = LowerOf(T[0]);
    if (L == u'a') {
        const String U = UpperCase(T);
        if (U == u"AMPM") return H < 12 ? FS.TimeAMString : FS.TimePMString;
        const int Slash = Pos(u"/", T);
        return H < 12 ? Copy(T, 1, Slash - 1) : Copy(T, Slash + 1, Length(T));
    }
    const int Len = Length(T);
    switch (L) {
    case u'd':
        if (Len == 3) return FS.ShortDayNames[DayOfWeek(Value) - 1];
        if (Len >= 4) return FS.LongDayNames[DayOfWeek(Value) - 1];
        return Len == 2 ? Pad2(D) : IntToStr(D);
    case u'm':
        if (Len == 3) return FS.ShortMonthNames[M - 1];
        if (Len >= 4) return FS.LongMonthNames[M - 1];
        return Len == 2 ? Pad2(M) : IntToStr(M);
    case u'n':
        return Len == 2 ? Pad2(N) : IntToStr(N);
    case u's':
        return Len == 2 ? Pad2(S) : IntToStr(S);
    case u'h': {
        int Hour = H;
        if (AmPm) Hour = H % 12 == 0 ? 12 : H % 12;
        return Len == 2 ? Pad2(Hour) : IntToStr(Hour);
    }
    case u'y':
        return Len <= 2 ? Pad2(Y % 100) : IntToStr(Y);
    }
    return {};
}

int TdaDBCustomDateTimePicker::CountFormatParts(const String& Format) const {
    const String F = ExpandFormat(Format);
    const bool Dates = IsDateTimeType() || IsDateOnly(), Times = IsDateTimeType() || IsTimeOnly();
    int Count = 0;
    for (int I = 1; I <= Length(F); ++I) {
        if (!IsPartLetter(F[I - 1])) continue;
        const String T = ReadFormatToken(F[I - 1], F, I);
        if (T.empty()) continue;
        if (IsDateToken(T) ? Dates : Times) ++Count;
    }
    return Count;
}

TdaDTPartInfo TdaDBCustomDateTimePicker::GetPartInfo(int Index, TDateTime Value) const {
    TdaDTPartInfo Info;
    const String F = GetExpandedFormat();
    const bool Dates = IsDateTimeType() || IsDateOnly(), Times = IsDateTimeType() || IsTimeOnly();
    const bool AmPm = FormatHasAmPm();
    String Shown;
    int Count = 0;
    for (int I = 1; I <= Length(F); ++I) {
        const Char C = F[I - 1];
        String Token, Piece;
        if (IsPartLetter(C)) {
            Token = ReadFormatToken(C, F, I);
            if (!Token.empty()) Piece = TokenText(Token, Value, AmPm);
            else Piece = String(1, C);
        } else {
            Piece = C == u'/' ? String(1, FormatSettings.DateSeparator)
                    : C == u':' ? String(1, FormatSettings.TimeSeparator)
                                : String(1, C);
        }
        const int Start = Length(Shown);
        Shown += Piece;
        if (!Token.empty() && (IsDateToken(Token) ? Dates : Times) && ++Count == Index) {
            Info.Start = Start;
            Info.Length = Length(Piece);
            Info.Token = Token;
            Info.TextUpTo = Shown;
            return Info;
        }
    }
    return Info;
}

bool TdaDBCustomDateTimePicker::IsShortDateTimeFormat() const {
    if (IsBound()) {
        const String FF = Field()->DisplayFormat();
        return (IsDateTimeType() && FDisplayFormat.empty() && FF.empty()) || (FDisplayFormat.empty() && FF == u"c");
    }
    return IsDateTimeType() && (FDisplayFormat == u"c" || (FDisplayFormat.empty() && FDateFormat == dfShort));
}

int TdaDBCustomDateTimePicker::VisiblePartCount() const {
    const int Count = CountFormatParts(GetEffectiveFormat(true));
    if (!IsShortDateTimeFormat()) return Count;
    const int TextLen = Length(Text());
    for (int I = 1; I <= Count; ++I)
        if (Length(GetPartInfo(I, FDateTime).TextUpTo) >= TextLen) return I;
    return Count;
}

bool TdaDBCustomDateTimePicker::AllPartsVisible() const {
    if (!IsShortDateTimeFormat()) return true;
    const int Count = CountFormatParts(GetEffectiveFormat(true));
    return Length(Text()) >= Length(GetPartInfo(Count, FDateTime).TextUpTo);
}

void TdaDBCustomDateTimePicker::SelectCurrentPart(TDateTime Value) {
    if (!CanModify()) {
        SelectAll();
        return;
    }
    if (GetDroppedDown()) {
        SetSelStart(0);
        SetSelLength(0);
        return;
    }
    const TdaDTPartInfo P = GetPartInfo(FPos, Value);
    SetSelStart(P.Start);
    SetSelLength(P.Length);
}

void TdaDBCustomDateTimePicker::GetWeekBounds(int& First, int& Last) const {
    const TdaCalDayOfWeek D = FCalendarOptions->FirstDayOfWeek;
    const int Monday0 = D == dadowLocaleDefault ? FormatSettings.FirstDayOfWeek % 7 : int(D);
    First = (Monday0 + 1) % 7 + 1;
    Last = First == 1 ? 7 : First - 1;
}

TDateTime TdaDBCustomDateTimePicker::IncMonthKeepTime(int Months, TDateTime Value, bool& Ok) const {
    Ok = true;
    Word Y, M, D;
    DecodeDate(Value, Y, M, D);
    const int Total = int(Y) * 12 + (M - 1) + Months;
    const int NY = Total / 12, NM = Total % 12 + 1;
    if (NY < 1) {
        Ok = false;
        return Value;
    }
    if (NY > 9999) return Value;
    return EncodeDate(NY, NM, std::min<int>(D, DaysInMonth(NY, NM))) + TimeOf(Value);
}

void TdaDBCustomDateTimePicker::DecodeWork(TWork& W, TDateTime Value) const {
    Word Y, M, D, H, N, S, MS;
    DecodeDateTime(Value, Y, M, D, H, N, S, MS);
    W.Year = Y, W.Month = M, W.Day = D, W.Hour = H, W.Min = N, W.Sec = S, W.MSec = MS;
    DecodeDate(EffectiveMinDate(), Y, M, D);
    W.MinYear = Y, W.MinMonth = M, W.MinDay = D;
    DecodeDate(EffectiveMaxDate(), Y, M, D);
    W.MaxYear = Y, W.MaxMonth = M, W.MaxDay = D;
    W.Part = GetPartInfo(FPos, Value);
}

bool TdaDBCustomDateTimePicker::ApplyParts(const TWork& W) {
    if (IsTimeOnly()) {
        TDateTime T;
        if (!TryEncodeTime(W.Hour, W.Min, W.Sec, W.MSec, T)) return false;
        WriteTime(T);
        return true;
    }
    const int Day = std::min(W.Day, DaysInMonth(W.Year, W.Month));
    TDateTime D, T;
    if (!TryEncodeDate(W.Year, W.Month, Day, D) || !TryEncodeTime(W.Hour, W.Min, W.Sec, W.MSec, T)) {
        RefreshText();
        return false;
    }
    const TDateTime V = D >= 0 ? D + T : D - T;
    if (DayOf(V) >= DayOf(EffectiveMinDate()) && DayOf(V) <= DayOf(EffectiveMaxDate())) {
        WriteDateTime(V);
        return true;
    }
    RefreshText();
    return false;
}

int TdaDBCustomDateTimePicker::AdjustHourForAmPm(int CurrentHour, int Figure) const {
    if (!FormatHasAmPm()) return Figure;
    if (Figure == 12 && CurrentHour < 12) return 0;
    if (Figure < 12 && CurrentHour >= 12) return Figure + 12;
    return Figure;
}

bool TdaDBCustomDateTimePicker::FirstDigitCompletesPart(const String& Token, int Digit) const {
    switch (Token[0]) {
    case u'd':
        return Digit > 3;
    case u'h':
        return FormatHasAmPm() ? Digit > 1 : Digit > 2;
    case u'm':
        return Digit > 1;
    case u'n':
    case u's':
        return Digit > 5;
    }
    return false;
}

namespace {
int NextLeapYear(int Y) {
    int N = (Y / 4 + 1) * 4;
    if (N % 100 == 0 && N % 400 != 0) N += 4;
    return N;
}
} // namespace

bool TdaDBCustomDateTimePicker::IsValidPartValue(TWork& W, int V) const {
    const String& T = W.Part.Token;
    const String F = GetExpandedFormat();
    const String U = UpperCase(F);
    auto WithinBounds = [&](int Y, int M, int D) {
        TDateTime Date;
        if (!daEncodeDate(Y, M, D, Date)) return false;
        return Date >= DayOf(EffectiveMinDate()) && Date <= DayOf(EffectiveMaxDate());
    };
    switch (T[0]) {
    case u'd': {
        if (V < 1 || V > 31) return false;
        const int FirstD = Pos(u"d", F), FirstM = Pos(u"M", U);
        if (FirstD > 0 && FirstD < FirstM && DaysInMonth(W.Year, W.Month) < V)
            for (int M = 1; M <= 12; ++M)
                if (DaysInMonth(W.Year, M) >= V) {
                    W.Month = M;
                    break;
                }
        if (V == 29 && W.Month == 2 && !IsLeapYear(W.Year) && FirstD > 0 && FirstD < Pos(u"Y", U))
            W.Year = NextLeapYear(W.Year);
        if (DaysInMonth(W.Year, W.Month) < V) return false;
        return WithinBounds(W.Year, W.Month, V);
    }
    case u'm':
        if (V < 1 || V > 12) return false;
        if (W.Day == 29 && V == 2 && !IsLeapYear(W.Year) && Pos(u"M", U) < Pos(u"Y", U))
            W.Year = NextLeapYear(W.Year);
        W.Day = std::min(W.Day, DaysInMonth(W.Year, V));
        return WithinBounds(W.Year, V, W.Day);
    case u'h':
        return FormatHasAmPm() ? V <= 12 : V < 24;
    case u'n':
    case u's':
        return V < 60;
    case u'y':
        if (T == u"yy") return WithinBounds(ExpandTwoDigitYear(V), W.Month, W.Day);
        if (T == u"yyyy") {
            TDateTime Date;
            if (V == 0 || !daEncodeDate(V, W.Month, W.Day, Date)) return false;
            if (Date < DayOf(EffectiveMinDate())) return false;
            return FMaxDate == 0 || Date <= DayOf(FMaxDate);
        }
        return false;
    }
    return false;
}

bool TdaDBCustomDateTimePicker::DecadeReachesMinDate(int Digit) const {
    const int Decade = (FEpoch / 100 + (Digit * 10 < FEpoch % 100 ? 1 : 0)) * 100 + Digit * 10;
    return FMinDate == 0 || EncodeDate(Decade + 9, 12, 31) >= DayOf(FMinDate);
}

void TdaDBCustomDateTimePicker::SetDigitEntryValue(const TWork& W) {
    if (!FInDigitEdit) return;
    if (IsTimeOnly()) {
        TDateTime T;
        if (TryEncodeTime(W.Hour, W.Min, W.Sec, W.MSec, T)) FDateTime = DayOf(FDateTime) + T;
        return;
    }
    const int Year = W.Year <= 99 ? ExpandTwoDigitYear(W.Year) : W.Year;
    TDateTime D, T;
    if (W.Month != 0 && W.Day != 0 && daEncodeDate(Year, W.Month, W.Day, D) &&
        TryEncodeTime(W.Hour, W.Min, W.Sec, W.MSec, T)) {
        const TDateTime V = D + T;
        if (DayOf(V) >= DayOf(EffectiveMinDate()) && DayOf(V) <= DayOf(EffectiveMaxDate()))
            CurrentDigitEditDateTime = V;
    }
}

bool TdaDBCustomDateTimePicker::EnterDigit(TWork& W, int Digit, bool& Completed, int& Figure) {
    const String& T = W.Part.Token;
    Completed = false;
    static const String Digits[] = {u"d", u"dd", u"m", u"mm", u"h", u"hh", u"n", u"nn", u"s", u"ss", u"yy", u"yyyy"};
    if (std::find(std::begin(Digits), std::end(Digits), T) == std::end(Digits)) return false;
    const bool WasInDigitEdit = FInDigitEdit;
    const int Start = W.Part.Start;
    const String Shown = Text();
    const int Caret = SelStart();
    if (T == u"yyyy") {
        const String Typed = WasInDigitEdit ? Copy(Shown, Start + 1, Caret - Start) : String();
        const int Value = (Typed.empty() ? 0 : StrToIntDef(Typed, 0)) * 10 + Digit;
        if (Length(Typed) == 3) {
            int Year = Value;
            if (Year == 0) {
                Word Y, M, D;
                DecodeDate(FOldDateTime != 0 ? FOldDateTime : FDateTime, Y, M, D);
                Year = Y;
            } else if (!IsValidPartValue(W, Year))
                return false;
            Figure = Year;
            Completed = true;
            return true;
        }
        String Show = IntToStr(Value);
        while (Length(Show) < Length(Typed) + 1)
            Show = u"0" + Show;
        SetSelStart(Start);
        SetSelLength(WasInDigitEdit ? Caret - Start : W.Part.Length);
        SetSelText(Show);
        SetSelStart(Start + Length(Show));
        SetSelLength(0);
        FInDigitEdit = true;
        Figure = Value;
        return true;
    }
    if (WasInDigitEdit && Caret == Start + 1) {
        const int First = Shown[Start] - u'0';
        const int V = First * 10 + Digit;
        if (!IsValidPartValue(W, V)) return false;
        Figure = T == u"yy" ? ExpandTwoDigitYear(V) : V;
        Completed = true;
        return true;
    }
    if (FirstDigitCompletesPart(T, Digit)) {
        if (!IsValidPartValue(W, Digit)) return false;
        SetSelStart(Start);
        SetSelLength(W.Part.Length);
        SetSelText(Length(T) == 2 ? u"0" + IntToStr(Digit) : IntToStr(Digit));
        SetSelStart(Start);
        SetSelLength(Length(T) == 2 ? 2 : 1);
        Figure = Digit;
        Completed = true;
        return true;
    }
    if (T == u"yy" && !DecadeReachesMinDate(Digit)) return false;
    SetSelStart(Start);
    SetSelLength(W.Part.Length);
    SetSelText(IntToStr(Digit));
    SetSelStart(Start + 1);
    SetSelLength(0);
    FInDigitEdit = true;
    Figure = T == u"yy" ? ExpandTwoDigitYear(Digit) : Digit;
    return true;
}

void TdaDBCustomDateTimePicker::CommitDigitEntry() {
    if (GetDroppedDown() || !FInDigitEdit) return;
    FInDigitEdit = false;
    TWork W;
    DecodeWork(W, FDateTime);
    const String& T = W.Part.Token;
    static const String Digits[] = {u"dd", u"d", u"mm", u"m", u"hh", u"h", u"nn", u"n", u"ss", u"s", u"yy", u"yyyy"};
    if (std::find(std::begin(Digits), std::end(Digits), T) == std::end(Digits)) return;
    const int Start = W.Part.Start, N = SelStart() - Start;
    const String Shown = Text();
    bool Apply = true;
    if (T != u"yyyy" && N == 1) {
        const int Digit = Shown[Start] - u'0';
        switch (T[0]) {
        case u'd':
            if (Digit != 0) W.Day = Digit;
            break;
        case u'm':
            if (Digit != 0) W.Month = Digit;
            break;
        case u'h':
            W.Hour = AdjustHourForAmPm(W.Hour, Digit);
            break;
        case u'n':
            W.Min = Digit;
            break;
        case u's':
            W.Sec = Digit;
            break;
        case u'y':
            W.Year = ExpandTwoDigitYear(Digit);
            break;
        }
    } else {
        int Figure = N > 0 ? StrToIntDef(Copy(Shown, Start + 1, N), 0) : 0;
        if (N == 1 || N == 2) Figure = ExpandTwoDigitYear(Figure);
        if (N > 3 || (N == 3 && Figure == 0)) Apply = false;
        else if (N == 0) {
            if (T[0] == u'y') W.Year = ExpandTwoDigitYear(0);
            else if (T[0] == u'n') W.Min = 0;
            else if (T[0] == u's') W.Sec = 0;
        } else if (T[0] == u'y')
            W.Year = Figure;
    }
    if (Apply) ApplyParts(W);
    RefreshText();
    SelectCurrentPart(FDateTime);
    SetModifiedState(true);
}

bool TdaDBCustomDateTimePicker::TypeMonthName(TWork& W, Char Key, bool DayTest) {
    const bool Short = W.Part.Token == u"mmm";
    const auto& Names = Short ? FormatSettings.ShortMonthNames : FormatSettings.LongMonthNames;
    for (int I = 1; I <= 12; ++I) {
        const int M = (W.Month - 1 + I) % 12 + 1;
        if (M == W.Month) break;
        if (Names[M - 1].empty() || Names[M - 1][0] != Key) continue;
        if (DayTest && DaysInMonth(W.Year, M) < W.Day) continue;
        bool Ok;
        const TDateTime V = IncMonthKeepTime(M - W.Month, FDateTime, Ok);
        if (!Ok) return false;
        if ((M > W.Month && V > EffectiveMaxDate() + 1) || (M < W.Month && DayOf(V) < DayOf(EffectiveMinDate())))
            return false;
        Word Y, Mo, D;
        DecodeDate(V, Y, Mo, D);
        W.Year = Y, W.Month = Mo, W.Day = D;
        return true;
    }
    return false;
}

bool TdaDBCustomDateTimePicker::TypeWeekdayName(TWork& W, Char Key) {
    const bool Short = W.Part.Token == u"ddd";
    const auto& Names = Short ? FormatSettings.ShortDayNames : FormatSettings.LongDayNames;
    int First, Last;
    GetWeekBounds(First, Last);
    const TDateTime Day = DayOf(FDateTime);
    const int Offset = (DayOfWeek(Day) - First + 7) % 7; // days since the week's first day
    auto Take = [&](TDateTime D, bool Before) {
        if (D > DayOf(EffectiveMaxDate())) return false;
        if (Before && D < DayOf(EffectiveMinDate())) return false;
        Word Y, M, Dd;
        DecodeDate(D, Y, M, Dd);
        W.Year = Y, W.Month = M, W.Day = Dd;
        return true;
    };
    for (int I = Offset + 1; I < 7; ++I) {
        const TDateTime D = Day + (I - Offset);
        if (!Names[DayOfWeek(D) - 1].empty() && Names[DayOfWeek(D) - 1][0] == Key) return Take(D, false);
    }
    for (int I = 0; I < Offset; ++I) {
        const TDateTime D = Day - (Offset - I);
        if (!Names[DayOfWeek(D) - 1].empty() && Names[DayOfWeek(D) - 1][0] == Key) return Take(D, true);
    }
    return false;
}

bool TdaDBCustomDateTimePicker::TypeAmPm(TWork& W, Char Key) {
    const String U = UpperCase(W.Part.Token);
    if (U == u"AMPM") {
        const String& Am = FormatSettings.TimeAMString;
        const String& Pm = FormatSettings.TimePMString;
        const Char A = Am.empty() ? 0 : UpperCase(Am.substr(0, 1))[0];
        const Char P = Pm.empty() ? 0 : UpperCase(Pm.substr(0, 1))[0];
        if (A == P) W.Hour = (W.Hour + 12) % 24;
        else if (Key == P && W.Hour < 12) W.Hour += 12;
        else if (Key == A && W.Hour >= 12) W.Hour -= 12;
        return true;
    }
    if (Key == u'P' && W.Hour < 12) W.Hour += 12;
    else if (Key == u'A' && W.Hour >= 12) W.Hour -= 12;
    return true;
}

void TdaDBCustomDateTimePicker::StepPart(TWork& W, int Delta) {
    const String& T = W.Part.Token;
    if (T.empty()) return;
    const TDateTime Day = DayOf(EncodeDate(W.Year, W.Month, std::min(W.Day, DaysInMonth(W.Year, W.Month))));
    const TDateTime Lo = DayOf(EffectiveMinDate()), Hi = DayOf(EffectiveMaxDate());
    auto SetDay = [&](TDateTime D) {
        Word Y, M, Dd;
        DecodeDate(D, Y, M, Dd);
        W.Year = Y, W.Month = M, W.Day = Dd;
    };
    const int Interval = FInterval->MinutesInterval();
    if (IsAmPmToken(T)) {
        W.Hour = (W.Hour + 12) % 24;
        return;
    }
    switch (T[0]) {
    case u'd':
        if (Length(T) <= 2) {
            if (Delta > 0) {
                if (Day + 1 > Hi) return;
                W.Day = W.Day >= DaysInMonth(W.Year, W.Month) ? 1 : W.Day + 1;
            } else {
                const int NewDay = W.Day <= 1 ? DaysInMonth(W.Year, W.Month) : W.Day - 1;
                if (EncodeDate(W.Year, W.Month, NewDay) < Lo) return SetDay(Lo);
                W.Day = NewDay;
            }
        } else {
            int First, Last;
            GetWeekBounds(First, Last);
            TDateTime D;
            if (Delta > 0) D = DayOfWeek(Day) == Last ? Day - 6 : Day + 1;
            else D = DayOfWeek(Day) == First ? Day + 6 : Day - 1;
            SetDay(std::clamp(D, Lo, Hi));
        }
        return;
    case u'm': {
        const int M = Delta > 0 ? (W.Month == 12 ? 1 : W.Month + 1) : (W.Month == 1 ? 12 : W.Month - 1);
        const TDateTime D = EncodeDate(W.Year, M, std::min(W.Day, DaysInMonth(W.Year, M)));
        if (D > Hi) return SetDay(Hi);
        if (D < Lo) return SetDay(Lo);
        SetDay(D);
        return;
    }
    case u'y': {
        bool Ok;
        const TDateTime D = IncMonthKeepTime(12 * Delta, Day, Ok);
        if (!Ok) return;
        SetDay(std::clamp(DayOf(D), Lo, Hi));
        return;
    }
    case u'h':
        W.Hour = (W.Hour + Delta + 24) % 24;
        return;
    case u'n':
        if (Delta > 0) {
            W.Min = (W.Min + Interval) % 60;
            if (FInterval->RoundMinutes) W.Min -= W.Min % Interval;
        } else if (FInterval->RoundMinutes && W.Min % Interval != 0)
            W.Min -= W.Min % Interval;
        else
            W.Min = (W.Min - Interval + 60) % 60;
        return;
    case u's':
        W.Sec = (W.Sec + Delta + 60) % 60;
        return;
    }
}

void TdaDBCustomDateTimePicker::HomeEnd(TWork& W, bool End) {
    const String& T = W.Part.Token;
    if (T.empty()) return;
    if (IsAmPmToken(T)) {
        if (!End && W.Hour >= 12) W.Hour -= 12;
        if (End && W.Hour < 12) W.Hour += 12;
        return;
    }
    switch (T[0]) {
    case u'd':
        if (Length(T) <= 2) {
            if (!End) W.Day = (W.Year == W.MinYear && W.Month == W.MinMonth) ? W.MinDay : 1;
            else W.Day = (W.Year == W.MaxYear && W.Month == W.MaxMonth) ? W.MaxDay : DaysInMonth(W.Year, W.Month);
        } else {
            int First, Last;
            GetWeekBounds(First, Last);
            const TDateTime Day = DayOf(FDateTime != 0 ? FDateTime : ::Date());
            TDateTime D = End ? Day + (Last - DayOfWeek(Day) + 7) % 7 : Day - (DayOfWeek(Day) - First + 7) % 7;
            D = std::clamp(D, DayOf(EffectiveMinDate()), DayOf(EffectiveMaxDate()));
            Word Y, M, Dd;
            DecodeDate(D, Y, M, Dd);
            W.Year = Y, W.Month = M, W.Day = Dd;
        }
        return;
    case u'h':
        W.Hour = End ? 23 : 0;
        return;
    case u'm':
        if (!End) {
            W.Month = 1;
            if (W.Year == W.MinYear) W.Month = W.Day < W.MinDay ? W.MinMonth + 1 : W.MinMonth;
        } else {
            W.Month = 12;
            if (W.Year == W.MaxYear) W.Month = W.Day > W.MaxDay ? W.MaxMonth - 1 : W.MaxMonth;
        }
        W.Month = std::clamp(W.Month, 1, 12);
        return;
    case u'n':
        W.Min = End ? 59 : 0;
        return;
    case u's':
        W.Sec = End ? 59 : 0;
        return;
    case u'y':
        if (!End)
            W.Year = W.MinYear + ((W.Month < W.MinMonth || (W.Month == W.MinMonth && W.Day < W.MinDay)) ? 1 : 0);
        else
            W.Year = W.MaxYear - ((W.Month > W.MaxMonth || (W.Month == W.MaxMonth && W.Day > W.MaxDay)) ? 1 : 0);
        return;
    }
}

bool TdaDBCustomDateTimePicker::IsTimePortionPart(const String& Token, int Index) const {
    if (Token.empty()) return false;
    if (Token[0] == u'h' || Token[0] == u'n' || Token[0] == u's' || IsAmPmToken(Token)) return true;
    if (Token[0] == u'm' && Index > 1) return GetPartInfo(Index - 1, FDateTime).Token[0] == u'h';
    return false;
}

void TdaDBCustomDateTimePicker::NextPart() {
    const int Count = CountFormatParts(GetEffectiveFormat(true));
    if (FPos < Count) {
        CommitDigitEntry();
        if (IsShortDateTimeFormat() && VisiblePartCount() >= FPos &&
            Length(Text()) < Length(GetPartInfo(FPos + 1, FDateTime).TextUpTo)) {
            // The time was hidden at midnight: going on into it shows the current time.
            EditCanModify();
            const TDateTime Day = DayOf(FDateTime) != 0 ? DayOf(FDateTime) : ::Date();
            WriteDateTime(Day + TimeOf(Now()));
            SetModifiedState(true);
        }
        FPos = std::min(FPos + 1, VisiblePartCount());
        SelectCurrentPart(FDateTime);
    } else {
        CommitDigitEntry();
        SelectCurrentPart(FDateTime);
    }
}

void TdaDBCustomDateTimePicker::Clearing(Word Key) {
    const TdaDTPartInfo P = GetPartInfo(FPos, FDateTime);
    if (Key == VK_BACK && FInDigitEdit) {
        const int Caret = SelStart();
        if (Caret > P.Start) {
            SetSelStart(Caret - 1);
            SetSelLength(1);
            SetSelText(u"");
        }
        return;
    }
    if (IsTimeOnly() && IsBound() && Field()->DataType() == ftDateTime) {
        FDateTime = DayOf(FDateTime);
        SetText(u"");
        FPos = 1;
        FIsCleared = true;
        return;
    }
    if (HasNoTimePart()) {
        WriteDate(0);
        if (!IsBound()) FIsCleared = true;
        FPos = 1;
        return;
    }
    if (IsShortDateTimeFormat() && AllPartsVisible() && IsTimePortionPart(P.Token, FPos)) {
        WriteDateTime(DayOf(FDateTime));
        FPos = VisiblePartCount();
        SelectCurrentPart(FDateTime);
        return;
    }
    WriteDateTime(0);
    if (!Text().empty()) SetText(u"");
    FPos = 1;
    FIsCleared = true;
}

void TdaDBCustomDateTimePicker::MakeStartingValue(Word Key) {
    EditCanModify();
    if (IsTimeOnly()) {
        if (IsDigitKey(Key)) {
            FDateTime = 0;
            SetText(FormatValue(0));
        } else {
            FDateTime = TimeOf(Now());
            SetText(FormatValue(FDateTime));
        }
    } else {
        const TDateTime Today = ::Date();
        TDateTime V;
        if (FMinDate != 0 && Today < DayOf(FMinDate)) V = FMinDate;
        else if (FMaxDate != 0 && Today > DayOf(FMaxDate)) V = FMaxDate;
        else if (FAutoFillDateAndTime)
            V = HasNoTimePart() || IsShortDateTimeFormat() ? Today : Now();
        else if (Pos(u"d", GetExpandedFormat()) == 0) {
            Word Y, M, D;
            DecodeDate(Today, Y, M, D);
            V = EncodeDate(Y, M, 1);
        } else
            V = Today;
        FDateTime = V;
        SetText(FormatValue(V));
    }
    FIsCleared = false;
    SetModifiedState(true);
    FPos = 1;
    SelectCurrentPart(FDateTime);
}

// ---- Keys -------------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::HandleDropDownKey(Word& Key, TShiftState Shift) {
    const bool Alt = Shift.Contains(ssAlt);
    if (Key == VK_F4 && !Alt) {
        if (GetDroppedDown()) CloseUp(true);
        else DropDown();
        Key = 0;
    } else if ((Key == VK_UP || Key == VK_DOWN) && Alt) {
        if (GetDroppedDown()) CloseUp(true);
        else DropDown();
        Key = 0;
    } else if ((Key == VK_RETURN || Key == VK_ESCAPE) && GetDroppedDown() && !Alt) {
        CloseUp(Key == VK_RETURN);
        if (Key == VK_ESCAPE) SkipEscapeReset = true;
        Key = 0;
    }
}

void TdaDBCustomDateTimePicker::KeyDown(Word& Key, TShiftState Shift) {
    if (GetKeyState(VK_MENU) < 0) Shift.Include(ssAlt);
    HandleDropDownKey(Key, Shift);
    if (Key == 0) return;
    TCustomEdit::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool WholeSelected = SelStart() == 0 && SelLength() == Length(Text()) && !Text().empty();
    if (Key == VK_BACK && !WholeSelected) Key = VK_LEFT;
    if (MeantToBeBound()) return;
    if ((Key == VK_BACK || Key == VK_DELETE) && IsBound() && Field()->Required()) {
        const TdaDTPartInfo P = GetPartInfo(FPos, FDateTime);
        if (WholeSelected || !IsShortDateTimeFormat() || !AllPartsVisible() || !IsTimePortionPart(P.Token, FPos)) {
            Key = 0;
            return;
        }
    }
    if (Key == VK_RIGHT && Shift.Contains(ssShift) && FPos == 1) {
        SelectAll();
        Key = 0;
        return;
    }
    if (!CanModify()) {
        TCustomEdit::SetReadOnly(true);
        Key = 0;
        return;
    }
    TCustomEdit::SetReadOnly(false);
    if (Shift.Contains(ssCtrl)) return;
    const bool Dropped = GetDroppedDown();
    if (!Dropped) {
        // Starting keys.
        const bool Starting = Key == VK_BACK || Key == VK_SPACE || Key == VK_RIGHT || Key == VK_DELETE ||
                              (Key >= 0x30 && Key <= 0x6F) || Key > 0x91;
        if (Starting && !Shift.Contains(ssAlt)) {
            const bool EmptyValue =
                FDateTime == 0 || (IsTimeOnly() ? TimeOf(FDateTime) == 0 : DayOf(FDateTime) == 0);
            if (Text().empty() && EmptyValue) MakeStartingValue(Key);
            else if (!Text().empty() && WholeSelected) {
                FPos = 1;
                SelectCurrentPart(FDateTime);
            }
        }
        if (Shift.Contains(ssAlt)) return;
        // Translation.
        const bool SeparatorMovesOn = !FOptions.Contains(daDTOAutoAdvance) || FInDigitEdit;
        if (Key == VK_ADD || (Key == VK_OEM_PLUS)) Key = VK_UP;
        else if (Key == VK_SUBTRACT || Key == VK_OEM_MINUS) Key = VK_DOWN;
        else if (Key == VK_DIVIDE || (Key == VK_OEM_2 && !Shift.Contains(ssShift))) {
            if (FormatSettings.DateSeparator == u'/') Key = SeparatorMovesOn ? Word(VK_RIGHT) : Word(0);
        } else if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD0 + 9)
            Key = Word('0' + (Key - VK_NUMPAD0));
        else if (Key == VK_OEM_PERIOD || Key == VK_OEM_COMMA || Key == VK_OEM_MINUS ||
                 (Key == VK_OEM_1 && Shift.Contains(ssShift))) {
            const Char C = Key == VK_OEM_PERIOD ? u'.' : Key == VK_OEM_COMMA ? u',' : Key == VK_OEM_1 ? u':' : u'-';
            if (C == FormatSettings.DateSeparator || C == FormatSettings.TimeSeparator)
                Key = SeparatorMovesOn ? Word(VK_RIGHT) : Word(0);
        }
        if (Key == 0) return;
    }
    const bool IsLetter = (Key >= 'A' && Key <= 'Z') || Key > 128;
    const bool IsDigit = Key >= '0' && Key <= '9';
    const bool Editing = Key == VK_DELETE || Key == VK_BACK || Key == VK_UP || Key == VK_DOWN || Key == VK_HOME ||
                         Key == VK_END || IsLetter || IsDigit;
    if (Dropped) {
        if (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END)
            Key = 0;
        return;
    }
    bool DigitEntryPending = false;
    const TDateTime Before = FDateTime;
    TWork W;
    if (Editing) {
        FIsCleared = false;
        if ((Key == VK_HOME || Key == VK_END) && Shift.Contains(ssShift)) {
            SelectAll();
            Key = 0;
            return;
        }
        if (Key == VK_DELETE && FInDigitEdit) {
            Key = 0;
            return;
        }
        const bool SavedDigitEdit = FInDigitEdit;
        if (FDateTime == 0 && (Key == VK_HOME || Key == VK_END || Key == VK_UP || Key == VK_DOWN) && !IsTimeOnly()) {
            // Today, kept within the limits: a step from nothing must not leave them.
            FDateTime = std::clamp(::Date(), DayOf(EffectiveMinDate()), DayOf(EffectiveMaxDate()));
            SetText(FormatValue(FDateTime));
        }
        if ((Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END) && FInDigitEdit) CommitDigitEntry();
        DecodeWork(W, FDateTime);
        EditCanModify();
        if (IsDigit) {
            bool Completed = false;
            int Figure = 0;
            FInDigitEdit = SavedDigitEdit;
            const bool Accepted = EnterDigit(W, Key - '0', Completed, Figure);
            if (!Accepted) {
                MessageBeep();
                FInDigitEdit = SavedDigitEdit;
                Key = 0;
                return;
            }
            if (Completed) FInDigitEdit = false;
            switch (W.Part.Token[0]) {
            case u'd':
                W.Day = Figure;
                break;
            case u'h':
                W.Hour = AdjustHourForAmPm(W.Hour, Figure);
                break;
            case u'm':
                W.Month = Figure;
                break;
            case u'n':
                W.Min = Figure;
                break;
            case u's':
                W.Sec = Figure;
                break;
            case u'y':
                W.Year = Figure;
                break;
            }
            DigitEntryPending = FInDigitEdit;
            if (DigitEntryPending) SetDigitEntryValue(W);
            else if (FOptions.Contains(daDTOAutoAdvance) && FPos < VisiblePartCount()) {
                ApplyParts(W);
                ++FPos;
                DecodeWork(W, FDateTime);
            }
        } else if (IsLetter) {
            const Char C = Char(Key);
            const String& T = W.Part.Token;
            bool Changed = false;
            if (T == u"mmm" || T == u"mmmm") {
                Changed = TypeMonthName(W, C, true);
                if (!Changed) Changed = TypeMonthName(W, C, false);
            } else if (T == u"ddd" || T == u"dddd")
                Changed = TypeWeekdayName(W, C);
            else if (IsAmPmToken(T))
                Changed = TypeAmPm(W, C);
            if (!Changed) {
                FInDigitEdit = SavedDigitEdit;
                Key = 0;
                return;
            }
        } else if (Key == VK_BACK || Key == VK_DELETE) {
            Clearing(Key);
        } else if (Key == VK_UP || Key == VK_DOWN) {
            StepPart(W, Key == VK_UP ? 1 : -1);
        } else if (Key == VK_HOME || Key == VK_END) {
            HomeEnd(W, Key == VK_END);
        }
    } else if (Key == VK_SPACE || Key == VK_RIGHT) {
        NextPart();
    } else if (Key == VK_LEFT) {
        CommitDigitEntry();
        FPos = std::max(1, FPos - 1);
        FPos = std::min(FPos, std::max(1, VisiblePartCount()));
        SelectCurrentPart(FDateTime);
    } else if (Key == VK_F2) {
        SelectCurrentPart(FDateTime);
    }
    if (Editing && !DigitEntryPending) {
        if (Key != VK_DELETE && Key != VK_BACK) ApplyParts(W);
        if (IsDateTimeType() && IsShortDateTimeFormat() && TimeOf(Before) != 0 && W.Hour == 0 && W.Min == 0 &&
            W.Sec == 0)
            FPos = std::max(1, VisiblePartCount());
        if (!Text().empty()) SelectCurrentPart(FDateTime);
        CurrentDigitEditDateTime = 0;
        SetModifiedState(true);
    }
    if (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END ||
        Key == VK_SPACE || ((Key == VK_DELETE || Key == VK_BACK) && !FInDigitEdit) || IsDigit || IsLetter)
        Key = 0;
}

void TdaDBCustomDateTimePicker::KeyPress(Char& Key) {
    if (!(Key < 32 && Key != VK_BACK) && !CanModify()) {
        Key = 0;
        return;
    }
    TCustomEdit::KeyPress(Key);
    if (Key == 0) {
        SetModifiedState(true);
        return;
    }
    if (Key == u' ' && Text().empty()) {
        if (!MeantToBeBound()) {
            EditCanModify();
            WriteDateTime(Now());
            SetModifiedState(true);
            SelectCurrentPart(FDateTime);
        }
        Key = 0;
        return;
    }
    if (Key >= 32 || Key == VK_BACK || Key == 24) {
        Key = 0;
        return;
    }
    if (Key == VK_RETURN) {
        Key = 0;
        CommitDigitEntry();
        SelectCurrentPart(FDateTime);
        return;
    }
    if (Key == VK_ESCAPE) {
        Key = 0;
        if (SkipEscapeReset) {
            SkipEscapeReset = false;
            return;
        }
        ResetValue();
        const String T = GetDisplayText(FDateTime);
        if (Text() != T) SetText(T);
        FInDigitEdit = false;
        if (!Text().empty()) FIsCleared = false;
        SelectAll();
    }
}

// ---- Mouse ------------------------------------------------------------------------------------

void TdaDBCustomDateTimePicker::WMLButtonDown(TWMMouse& Message) {
    if (Text().empty()) return TCustomEdit::WMLButtonDown(Message);
    SendMessage(Handle(), WM_CANCELMODE, 0, 0);
    if (ControlStyle().Contains(csClickEvents)) Click();
    MouseDown(mbLeft, KeysToShiftState(Message.Keys()), Message.XPos(), Message.YPos());
    if (!Focused() && CanFocus()) SetFocus();
    if (CurrentDigitEditDateTime != 0) {
        FDateTime = CurrentDigitEditDateTime;
        CurrentDigitEditDateTime = 0;
        RefreshText();
        FInDigitEdit = false;
    }
    CommitDigitEntry();
    const TDateTime Ref = GetDroppedDown() ? FCalendar->DateTime() : FDateTime;
    TBitmap Measure(1, 1);
    Measure.Canvas()->Font()->Assign(Font());
    const int X = Message.XPos() - 2; // the edit's inner margin
    const int TextLen = Length(Text());
    int Chosen = 1;
    for (int I = 1;; ++I) {
        const TdaDTPartInfo P = GetPartInfo(I, Ref);
        if (P.Token.empty()) break;
        Chosen = I;
        if (P.Start + P.Length >= TextLen || X < Measure.Canvas()->TextWidth(P.TextUpTo) ||
            (IsShortDateTimeFormat() && Length(P.TextUpTo) >= TextLen))
            break;
    }
    FPos = Chosen;
    SelectCurrentPart(Ref);
}

void TdaDBCustomDateTimePicker::WMLButtonDblClk(TWMMouse& /*Message*/) {
    SendMessage(Handle(), WM_CANCELMODE, 0, 0);
    DblClick();
    SelectAll();
}

// ---- Drop-down --------------------------------------------------------------------------------

bool TdaDBCustomDateTimePicker::GetDroppedDown() const {
    return FCalendar && FCalendar->Visible();
}

void TdaDBCustomDateTimePicker::DropDown() {
    if (GetDroppedDown() || MeantToBeBound() || IsTimeOnly()) return;
    if (!CanModify()) {
        TCustomEdit::SetReadOnly(true);
        return;
    }
    TCustomEdit::SetReadOnly(false);
    DateTimeBeforeDropDown = FDateTime;
    CommitDigitEntry();
    FInDigitEdit = false;
    const TPoint Drop = Parent() ? Parent()->ClientToScreen(TPoint{Left(), Top()}) : TPoint{Left(), Top()};
    if (!FCalendar) {
        FCalendar = new TdaPopupCalendar(this);
        FCalendar->FCombo = this;
        FCalendar->SetVisible(false);
    }
    TdaCalendarOptions& O = *FCalendarOptions;
    FCalendar->SetBorderStyle(Controls::bsSingle);
    FCalendar->CalColors()->Assign(O.Colors());
    FCalendar->OnCalcBoldDay = OnCalcBoldDay;
    FCalendar->SetOptions(O.Options);
    FCalendar->SetMinDate(0);
    FCalendar->SetMaxDate(DayOf(EffectiveMaxDate()));
    FCalendar->SetMinDate(DayOf(EffectiveMinDate()));
    FCalendar->Font()->Assign(O.Font());
    FCalendar->PopupYearOptions()->Assign(O.PopupYearOptions());
    FCalendar->SetFirstDayOfWeek(O.FirstDayOfWeek);
    const TSize Min = FCalendar->MinimumSize();
    if (Text().empty() || FDateTime == 0) {
        EditCanModify();
        SetModifiedState(true);
        if (Text().empty()) {
            const TDateTime Today = ::Date();
            TDateTime V = Today;
            if (Today > DayOf(EffectiveMaxDate())) V = DayOf(EffectiveMaxDate());
            else if (Today < DayOf(EffectiveMinDate())) V = DayOf(EffectiveMinDate());
            else if (FAutoFillDateAndTime && !HasNoTimePart() && !IsShortDateTimeFormat()) V = Now();
            WriteDateTime(V);
        }
    }
    const String T = FormatValue(FDateTime);
    if (Text() != T) SetText(T);
    FCalendar->SetDateTime(FDateTime);
    SetSelStart(0);
    SetSelLength(0);
    if (OnDropDown) OnDropDown(this);
    OldShowHint = ShowHint();
    SetShowHint(false);
    const int H = O.Height != 0 && O.Height >= Min.cy ? O.Height : int(Min.cy);
    const int Wd = O.Width != 0 && O.Width >= Min.cx ? O.Width : int(Min.cx);
    const TPoint Below{Drop.X, Drop.Y + Height() - 1};
    const TPoint P = daPlacePopupCalendar(O.Alignment, Below, Drop.Y, Width(), Wd, H, Screen->Width(),
                                          Screen->WorkAreaRect().Bottom);
    FCalendar->SetBounds(P.X + 1, P.Y, Wd, H);
    FCalendar->SetVisible(true);
    FCalendar->BringToFront();
}

void TdaDBCustomDateTimePicker::CloseUp(bool Accept) {
    if (FInCloseUp) return;
    TFlagScope InCloseUp(FInCloseUp);
    if (!FCalendar || !FCalendar->Visible()) return;
    const TDateTime Picked = Accept ? FCalendar->DateTime() : 0;
    const String PickedText = Accept ? GetDisplayText(Picked) : String();
    FCalendar->SetVisible(false);
    if (Accept && IsBound()) {
        const String FieldText = Field()->IsNull() ? String() : GetDisplayText(Field()->AsDateTime());
        if (PickedText != FieldText && IsDataSetEditing()) {
            if (!PickedText.empty()) WriteDate(Picked);
            else SetText(u"");
            SetModifiedState(true);
        }
    } else if (!Accept) {
        try {
            WriteDateTime(DateTimeBeforeDropDown);
        } catch (const EDateTimeError&) {
        }
    }
    if (OnCloseUp) OnCloseUp(this);
    SetShowHint(OldShowHint);
    Invalidate();
    SelectCurrentPart(FDateTime);
    SelectAll();
}

void TdaDBCustomDateTimePicker::ButtonClick() {
    if (GetDroppedDown()) {
        CloseUp(true);
        return;
    }
    TFlagScope NoSelectAll(SkipDrawSetFocus);
    if (CanFocus() && !Focused()) SetFocus();
    if (Focused()) DropDown();
}

// ---- The pop-up calendar ----------------------------------------------------------------------

TdaPopupCalendar::TdaPopupCalendar(TComponent* AOwner) : TdaMonthCalendar(AOwner) {
    FCombo = dynamic_cast<TdaDBCustomDateTimePicker*>(AOwner);
    SetTabStop(false);
}

void TdaPopupCalendar::CreateParams(TCreateParams& Params) {
    TdaMonthCalendar::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    Params.WndParent = 0;
}

void TdaPopupCalendar::Change() {
    TdaMonthCalendar::Change();
    if (!FCombo || !FCombo->CanModify() || !(Visible() || Patch[1])) return;
    FCombo->EditCanModify();
    FCombo->SetModifiedState(true);
    TFlagScope MarkModified(FCombo->SetModifiedInChangeEvent);
    FCombo->WriteDate(Date());
}

void TdaPopupCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TdaMonthCalendar::MouseUp(Button, Shift, X, Y);
    const TdaCalHitInfo Info = HitTest(X, Y);
    if ((Info.Hit == dchDate || Info.Hit == dchTrailingDate) && FCombo) FCombo->CloseUp(true);
}
