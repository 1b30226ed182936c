#include "dataaware/edits/daMonthCal.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daIntl.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Questions.h"

#include <cmath>

namespace {

TDateTime DayOf(TDateTime V) {
    return std::trunc(V);
}

TDateTime FirstOfMonth(TDateTime V) {
    Word Y, M, D;
    DecodeDate(V, Y, M, D);
    return EncodeDate(Y, M, 1);
}

int YearOf(TDateTime V) {
    Word Y, M, D;
    DecodeDate(V, Y, M, D);
    return Y;
}

// Year, month and day with the day lowered to the month's length.
TDateTime ClampedDate(int Y, int M, int D) {
    return EncodeDate(Y, M, std::min(D, DaysInMonth(Y, M)));
}

} // namespace

// ---- Colours ----------------------------------------------------------------------------------

TdaDateTimeColors::TdaDateTimeColors(TComponent* AOwner)
    : FOwner(AOwner), FColors{clWindow, clWindowText, clActiveCaption, clWhite, clWhite, clInactiveCaptionText} {}

void TdaDateTimeColors::SetColor(int Index, TColor Value) {
    if (FColors[Index] == Value) return;
    FColors[Index] = Value;
    if (auto* Cal = dynamic_cast<TdaMonthCalendar*>(FOwner)) Cal->Invalidate();
}

void TdaDateTimeColors::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TdaDateTimeColors*>(Source);
    if (!Other)
        throw EConvertError(Format(u"Cannot assign a %s to a %s",
                                   {Source ? Source->ClassName() : String(u"nil"), ClassName()}));
    for (int I = 1; I < 6; ++I)
        FColors[I] = Other->FColors[I];
    if (auto* Cal = dynamic_cast<TdaMonthCalendar*>(FOwner)) Cal->Invalidate();
}

void TdaPopupYearOptions::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TdaPopupYearOptions*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    YearsPerColumn = Other->YearsPerColumn;
    NumberColumns = Other->NumberColumns;
    StartYear = Other->EffectiveStartYear();
    ShowEditYear = Other->ShowEditYear;
}

int TdaPopupYearOptions::EffectiveStartYear() const {
    return StartYear == 2000 ? daPopupYearStart() : StartYear;
}

void TCalendarPopupMenu::Popup(int X, int Y) {
    // The menu is shown and returns at once; a choice or the owner clears the flag.
    FPoppedUp = true;
    TPopupMenu::Popup(X, Y);
}

// ---- The calendar -----------------------------------------------------------------------------

TdaMonthCalendar::TdaMonthCalendar(TComponent* AOwner)
    : TCustomControl(AOwner), FCalColors(std::make_unique<TdaDateTimeColors>(this)),
      FPopupYearOptions(std::make_unique<TdaPopupYearOptions>()) {
    FDateTime = Now();
    FStartDate = FEndDate = DayOf(FDateTime);
    FFirstVisible = FirstOfMonth(FDateTime);
    TControlStyle Style = ControlStyle();
    Style.Include(csClickEvents);
    Style.Include(csDoubleClicks);
    Style.Include(csOpaque);
    SetControlStyle(Style);
    SetTabStop(true);
    SetColor(clWindow);
    SetWidth(155);
    FMonthMenu = new TCalendarPopupMenu(this);
    FMonthMenu->SetAutoPopup(false);
    for (int M = 1; M <= 12; ++M) {
        auto* Item = new TMenuItem(FMonthMenu);
        Item->SetCaption(FormatSettings.LongMonthNames[M - 1]);
        Item->OnClick = [this, M](TObject*) { ChooseMonth(M); };
        FMonthMenu->Items()->Add(Item);
    }
    const TSize Min = MinimumSize();
    SetBounds(Left(), Top(), std::max(Width(), int(Min.cx)), std::max(Height(), int(Min.cy)));
}

TdaMonthCalendar::~TdaMonthCalendar() = default;

void TdaMonthCalendar::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == Controls::bsSingle) Params.Style |= WS_BORDER;
}

void TdaMonthCalendar::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TdaMonthCalendar::SetOptions(TdaMonthOptions Value) {
    if (FOptions == Value) return;
    FOptions = Value;
    const TSize Min = MinimumSize();
    SetBounds(Left(), Top(), std::max(Width(), int(Min.cx)), std::max(Height(), int(Min.cy)));
    Invalidate();
}

void TdaMonthCalendar::SetFirstDayOfWeek(TdaCalDayOfWeek Value) {
    FFirstDayOfWeek = Value;
    Invalidate();
}

int TdaMonthCalendar::FirstWeekday() const {
    const int Monday0 = FFirstDayOfWeek == dadowLocaleDefault ? FormatSettings.FirstDayOfWeek % 7
                                                              : int(FFirstDayOfWeek);
    return (Monday0 + 1) % 7 + 1; // 0 Monday -> 2 ... 6 Sunday -> 1
}

void TdaMonthCalendar::SetMaxSelectCount(int Value) {
    FMaxSelectCount = std::max(1, Value);
}

String TdaMonthCalendar::LimitText(TDateTime Limit) const {
    return DateToStr(Limit);
}

bool TdaMonthCalendar::InRange(TDateTime Day) const {
    Day = DayOf(Day);
    if (FMinDate != 0 && Day < FMinDate) return false;
    if (FMaxDate != 0 && Day > FMaxDate) return false;
    return true;
}

void TdaMonthCalendar::SetDateTime(TDateTime Value) {
    if (FMaxDate != 0 && DayOf(Value) > FMaxDate) Value = FMaxDate;
    if (FMinDate != 0 && DayOf(Value) < FMinDate) Value = FMinDate;
    if (FMinDate == 0 && Value < 1) Value = 1; // 31 December 1899
    // A new value is a one-day selection, also with range selection.
    FStartDate = FEndDate = DayOf(Value);
    FDateTime = Value;
    MakeVisible(Value);
    Invalidate();
}

void TdaMonthCalendar::SetDate(TDateTime Value) {
    if (DayOf(Value) == DayOf(FDateTime)) return;
    const TDateTime New = DayOf(Value) + (FDateTime - DayOf(FDateTime));
    if (New == 0) return Invalidate();
    if (FMaxDate != 0 && DayOf(New) > FMaxDate)
        throw EDateTimeError(Format(u"Date exceeds maximum of %s", {LimitText(FMaxDate)}));
    if (FMinDate != 0 && DayOf(New) < FMinDate)
        throw EDateTimeError(Format(u"Date is less than minimum of %s", {LimitText(FMinDate)}));
    SetDateTime(New);
}

void TdaMonthCalendar::SetTime(TDateTime Value) {
    const TDateTime T = Value - DayOf(Value);
    if (T == FDateTime - DayOf(FDateTime)) return;
    const TDateTime New = DayOf(FDateTime) + T;
    if (New == 0) return Invalidate();
    SetDateTime(New);
}

void TdaMonthCalendar::SetMaxDate(TDateTime Value) {
    Value = DayOf(Value);
    if (Value != 0 && FMinDate != 0 && Value < FMinDate)
        throw EDateTimeError(Format(u"Date is less than minimum of %s", {LimitText(FMinDate)}));
    if (Value == FMaxDate) return;
    FMaxDate = Value;
    Invalidate();
}

void TdaMonthCalendar::SetMinDate(TDateTime Value) {
    Value = DayOf(Value);
    if (Value != 0 && FMaxDate != 0 && Value > FMaxDate)
        throw EDateTimeError(Format(u"Date exceeds maximum of %s", {LimitText(FMaxDate)}));
    if (Value == FMinDate) return;
    FMinDate = Value;
    Invalidate();
}

void TdaMonthCalendar::SetStartDate(TDateTime Value) {
    Value = DayOf(Value);
    if (Value == 0) return Invalidate();
    if (FMaxDate != 0 && Value > FMaxDate) {
        FStartDate = FMaxDate;
        throw EDateTimeError(Format(u"Date exceeds maximum of %s", {LimitText(FMaxDate)}));
    }
    if (FMinDate != 0 && Value < FMinDate) {
        FStartDate = FMinDate;
        throw EDateTimeError(Format(u"Date is less than minimum of %s", {LimitText(FMinDate)}));
    }
    FStartDate = Value;
    if (FOptions.Contains(mdoMultiSelect) && FEndDate != 0 && FEndDate < FStartDate)
        std::swap(FStartDate, FEndDate);
    Invalidate();
}

void TdaMonthCalendar::SetEndDate(TDateTime Value) {
    Value = DayOf(Value);
    if (Value == 0) return Invalidate();
    if (FMaxDate != 0 && Value > FMaxDate) {
        FEndDate = FMaxDate;
        throw EDateTimeError(Format(u"Date exceeds maximum of %s", {LimitText(FMaxDate)}));
    }
    if (FMinDate != 0 && Value < FMinDate) {
        FEndDate = FMinDate;
        throw EDateTimeError(Format(u"Date is less than minimum of %s", {LimitText(FMinDate)}));
    }
    FEndDate = Value;
    if (FOptions.Contains(mdoMultiSelect) && FStartDate != 0 && FEndDate < FStartDate)
        std::swap(FStartDate, FEndDate);
    Invalidate();
}

bool TdaMonthCalendar::IsPopupYearMonthShowing() const {
    return (FYearMenu && FYearMenu->isPoppedUp()) || (FMonthMenu && FMonthMenu->isPoppedUp());
}

void TdaMonthCalendar::FocusCalendar() {
    if (Visible() && CanFocus()) SetFocus();
}

void TdaMonthCalendar::Change() {
    if (OnChange) OnChange(this);
}

// ---- Layout -----------------------------------------------------------------------------------

TdaMonthCalendar::TMetrics TdaMonthCalendar::Metrics() {
    TMetrics M{};
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    const int TH = std::max(C->TextHeight(u"0"), 8);
    M.CellW = std::max(C->TextWidth(u"88"), C->TextWidth(u"Wed") / 2 + 6) + 8;
    M.CellH = TH + 2;
    M.TitleH = TH + 10;
    M.HeaderH = TH + 4;
    M.WeekW = FOptions.Contains(mdoWeekNumbers) ? M.CellW : 0;
    M.BlockW = M.WeekW + 7 * M.CellW + 12;
    M.BlockH = M.TitleH + M.HeaderH + 6 * M.CellH + 6;
    M.TodayH = FOptions.Contains(mdoNoToday) ? 0 : M.CellH + 4;
    return M;
}

TSize TdaMonthCalendar::MinimumSize() {
    const TMetrics M = Metrics();
    const int Border = FBorderStyle == Controls::bsSingle ? 2 : 0;
    return {M.BlockW + Border, M.BlockH + M.TodayH + Border};
}

bool TdaMonthCalendar::CanResize(int& NewWidth, int& NewHeight) {
    const TSize Min = MinimumSize();
    NewWidth = std::max(NewWidth, int(Min.cx));
    NewHeight = std::max(NewHeight, int(Min.cy));
    return TCustomControl::CanResize(NewWidth, NewHeight);
}

void TdaMonthCalendar::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    const TSize Min = MinimumSize();
    SetBounds(Left(), Top(), std::max(Width(), int(Min.cx)), std::max(Height(), int(Min.cy)));
    Invalidate();
}

int TdaMonthCalendar::Columns() {
    const TMetrics M = Metrics();
    return std::max(1, ClientWidth() / M.BlockW);
}

int TdaMonthCalendar::Rows() {
    const TMetrics M = Metrics();
    return std::max(1, (ClientHeight() - M.TodayH) / M.BlockH);
}

int TdaMonthCalendar::VisibleMonthCount() {
    return Columns() * Rows();
}

TRect TdaMonthCalendar::BlockRect(int Block) {
    const TMetrics M = Metrics();
    const int Cols = Columns();
    const int X0 = (ClientWidth() - Cols * M.BlockW) / 2;
    const int X = X0 + (Block % Cols) * M.BlockW, Y = (Block / Cols) * M.BlockH;
    return Rect(X, Y, X + M.BlockW, Y + M.BlockH);
}

TDateTime TdaMonthCalendar::BlockMonth(int Block) const {
    return IncMonth(FFirstVisible, Block);
}

TDateTime TdaMonthCalendar::GridStart(TDateTime MonthStart) const {
    int Back = (DayOfWeek(MonthStart) - FirstWeekday() + 7) % 7;
    if (Back == 0) Back = 7; // a full week of the previous month leads, as the grid always does
    return MonthStart - Back;
}

void TdaMonthCalendar::MakeVisible(TDateTime Value) {
    const TDateTime Month = FirstOfMonth(Value);
    const int Count = HandleAllocated() || Width() > 0 ? VisibleMonthCount() : 1;
    if (Month < FFirstVisible) FFirstVisible = Month;
    else if (Month > IncMonth(FFirstVisible, Count - 1)) FFirstVisible = IncMonth(Month, -(Count - 1));
}

void TdaMonthCalendar::ScrollMonths(int Months) {
    const TDateTime Next = IncMonth(FFirstVisible, Months);
    if (YearOf(Next) < 1 || YearOf(IncMonth(Next, VisibleMonthCount())) > 9999) return;
    FFirstVisible = Next;
    Invalidate();
}

TRect TdaMonthCalendar::ShownRect(const TRect& R) const {
    if (!UseRightToLeftAlignment()) return R;
    return Rect(ClientWidth() - R.Right, R.Top, ClientWidth() - R.Left, R.Bottom);
}

int TdaMonthCalendar::ShownX(int X) const {
    return UseRightToLeftAlignment() ? ClientWidth() - 1 - X : X;
}

void TdaMonthCalendar::ShownTextOut(int X, int Y, const String& S) {
    Canvas()->TextOut(UseRightToLeftAlignment() ? ClientWidth() - X - Canvas()->TextWidth(S) : X, Y, S);
}

TdaCalHitInfo TdaMonthCalendar::HitTest(int X, int Y) {
    TdaCalHitInfo Info;
    X = ShownX(X); // the layout below runs from the left
    const TMetrics M = Metrics();
    const int Count = VisibleMonthCount();
    if (M.TodayH && Y >= Rows() * M.BlockH && Y < Rows() * M.BlockH + M.TodayH) {
        Info.Hit = dchToday;
        Info.Date = ::Date();
        return Info;
    }
    for (int B = 0; B < Count; ++B) {
        const TRect R = BlockRect(B);
        if (!R.Contains(TPoint{X, Y})) continue;
        Info.Block = B;
        const TDateTime Month = BlockMonth(B);
        Info.Date = Month;
        const int LX = X - R.Left, LY = Y - R.Top;
        if (LY < M.TitleH) {
            Info.Hit = dchTitleBack;
            if (B == 0 && LX < 24) Info.Hit = dchPrevButton;
            else if (B == Columns() - 1 && LX >= M.BlockW - 24) Info.Hit = dchNextButton;
            else {
                Canvas()->Font()->Assign(Font());
                Canvas()->Font()->SetStyle({fsBold});
                Word Yr, Mo, D;
                DecodeDate(Month, Yr, Mo, D);
                const String MonthText = FormatSettings.LongMonthNames[Mo - 1];
                const String YearText = IntToStr(Yr);
                const int MW = Canvas()->TextWidth(MonthText), YW = Canvas()->TextWidth(YearText);
                const int Gap = Canvas()->TextWidth(u" ");
                const int Start = (M.BlockW - (MW + Gap + YW)) / 2;
                if (LX >= Start && LX < Start + MW) Info.Hit = dchTitleMonth;
                else if (LX >= Start + MW + Gap && LX < Start + MW + Gap + YW) Info.Hit = dchTitleYear;
            }
            return Info;
        }
        const int GX = LX - 6 - M.WeekW, GY = LY - M.TitleH - M.HeaderH;
        if (LY < M.TitleH + M.HeaderH) {
            Info.Hit = dchDayHeader;
            return Info;
        }
        if (GX < 0 && GX >= -M.WeekW && GY >= 0 && GY < 6 * M.CellH) {
            Info.Hit = dchWeekNumber;
            return Info;
        }
        if (GX < 0 || GX >= 7 * M.CellW || GY < 0 || GY >= 6 * M.CellH) return Info;
        const TDateTime Day = GridStart(Month) + (GY / M.CellH) * 7 + GX / M.CellW;
        const bool Own = FirstOfMonth(Day) == Month;
        if (!Own && FOptions.Contains(mdoNoTrailingDates)) return Info;
        if (!Own && ((Day < Month && B != 0) || (Day > Month && B != Count - 1))) return Info;
        Info.Hit = Own ? dchDate : dchTrailingDate;
        Info.Date = Day;
        return Info;
    }
    return Info;
}

// ---- Painting ---------------------------------------------------------------------------------

void TdaMonthCalendar::Paint() {
    TCanvas* C = Canvas();
    C->Brush()->SetColor(FCalColors->BackColor());
    C->FillRect(ClientRect());
    const TDateTime Today = ::Date();
    for (int B = 0, N = VisibleMonthCount(); B < N; ++B)
        PaintBlock(B, Today);
    const TMetrics M = Metrics();
    if (M.TodayH) {
        C->Font()->Assign(Font());
        C->Font()->SetColor(FCalColors->TextColor());
        C->Font()->SetStyle({fsBold});
        C->Brush()->SetStyle(bsClear);
        const int Y = Rows() * M.BlockH + 2;
        int X = BlockRect(0).Left + 8;
        if (!FOptions.Contains(mdoNoTodayCircle)) {
            C->Pen()->SetColor(clRed);
            C->Brush()->SetStyle(bsClear);
            const TRect Circle = ShownRect(Rect(X, Y + 1, X + 18, Y + M.CellH - 1));
            C->Rectangle(Circle.Left, Circle.Top, Circle.Right, Circle.Bottom);
            X += 22;
        }
        ShownTextOut(X, Y, u"Today: " + DateToStr(Today));
    }
}

void TdaMonthCalendar::PaintBlock(int Block, TDateTime Today) {
    TCanvas* C = Canvas();
    const TMetrics M = Metrics();
    const TRect R = BlockRect(Block);
    const TDateTime Month = BlockMonth(Block);
    Word Yr, Mo, Dy;
    DecodeDate(Month, Yr, Mo, Dy);
    const int Count = VisibleMonthCount();

    // Month background and title.
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FCalColors->MonthBackColor());
    C->FillRect(ShownRect(Rect(R.Left, R.Top + M.TitleH, R.Right, R.Bottom)));
    C->Brush()->SetColor(FCalColors->TitleBackColor());
    C->FillRect(ShownRect(Rect(R.Left + 2, R.Top + 2, R.Right - 2, R.Top + M.TitleH - 2)));
    C->Font()->Assign(Font());
    C->Font()->SetColor(FCalColors->TitleTextColor());
    C->Font()->SetStyle({fsBold});
    // The month and the year where the hit test finds them (mirrored: the month on the right).
    const String MonthText = FormatSettings.LongMonthNames[Mo - 1], YearText = IntToStr(Yr);
    const int MW = C->TextWidth(MonthText), YW = C->TextWidth(YearText), Gap = C->TextWidth(u" ");
    const int TH = C->TextHeight(MonthText);
    const int TX = R.Left + (M.BlockW - (MW + Gap + YW)) / 2, TY = R.Top + (M.TitleH - TH) / 2;
    C->Brush()->SetStyle(bsClear);
    ShownTextOut(TX, TY, MonthText);
    ShownTextOut(TX + MW + Gap, TY, YearText);
    // The scroll arrows on the outer blocks.
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FCalColors->TitleTextColor());
    C->Pen()->SetColor(FCalColors->TitleTextColor());
    const int AY = R.Top + M.TitleH / 2;
    if (Block == 0) {
        const TPoint P[3] = {{ShownX(R.Left + 9), AY}, {ShownX(R.Left + 14), AY - 5}, {ShownX(R.Left + 14), AY + 5}};
        C->Polygon(P, 3);
    }
    if (Block == Columns() - 1) {
        const TPoint P[3] = {{ShownX(R.Right - 9), AY}, {ShownX(R.Right - 14), AY - 5},
                             {ShownX(R.Right - 14), AY + 5}};
        C->Polygon(P, 3);
    }

    // Weekday header.
    const int GX = R.Left + 6 + M.WeekW, GY = R.Top + M.TitleH + M.HeaderH;
    C->Font()->Assign(Font());
    C->Font()->SetColor(FCalColors->TitleBackColor());
    C->Brush()->SetStyle(bsClear);
    for (int I = 0; I < 7; ++I) {
        const int WD = (FirstWeekday() - 1 + I) % 7;
        String Name = FormatSettings.ShortDayNames[WD];
        if (FOptions.Contains(mdoShortDaysOfWeek)) Name = Copy(Name, 1, 1);
        const int W = C->TextWidth(Name);
        ShownTextOut(GX + I * M.CellW + (M.CellW - W) / 2, R.Top + M.TitleH + 1, Name);
    }
    C->Pen()->SetColor(FCalColors->TrailingTextColor());
    const TRect Line = ShownRect(Rect(GX, GY - 2, GX + 7 * M.CellW, GY - 1));
    C->MoveTo(Line.Left, Line.Top);
    C->LineTo(Line.Right, Line.Top);

    // Days.
    const TDateTime Start = GridStart(Month);
    for (int Row = 0; Row < 6; ++Row) {
        if (M.WeekW) {
            // ISO week of the row's Thursday.
            const TDateTime Thu = Start + Row * 7 + ((5 - FirstWeekday() + 7) % 7);
            Word TY, TM, TD;
            DecodeDate(Thu, TY, TM, TD);
            const int Week = int(Thu - EncodeDate(TY, 1, 1)) / 7 + 1;
            C->Font()->SetColor(FCalColors->TrailingTextColor());
            C->Font()->SetStyle({});
            const String S = IntToStr(Week);
            ShownTextOut(GX - M.WeekW + (M.WeekW - C->TextWidth(S)) / 2, GY + Row * M.CellH + 1, S);
        }
        for (int Col = 0; Col < 7; ++Col) {
            const TDateTime Day = Start + Row * 7 + Col;
            const bool Own = FirstOfMonth(Day) == Month;
            if (!Own) {
                if (FOptions.Contains(mdoNoTrailingDates)) continue;
                if ((Day < Month && Block != 0) || (Day > Month && Block != Count - 1)) continue;
            }
            Word DY, DM, DD;
            DecodeDate(Day, DY, DM, DD);
            const TRect Cell = Rect(GX + Col * M.CellW, GY + Row * M.CellH, GX + (Col + 1) * M.CellW,
                                    GY + (Row + 1) * M.CellH);
            const TRect ShownCell = ShownRect(Cell);
            bool Bold = false;
            if (Own && FOptions.Contains(mdoDayState) && OnCalcBoldDay)
                OnCalcBoldDay(this, Day, DM, DD, DY, Bold);
            const bool Selected = Own && Day >= FStartDate && Day <= FEndDate;
            C->Font()->SetStyle(Bold ? TFontStyles{fsBold} : TFontStyles{});
            if (Selected) {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(FCalColors->TitleBackColor());
                C->FillRect(ShownCell);
                C->Font()->SetColor(FCalColors->TitleTextColor());
            } else {
                C->Font()->SetColor(Own && InRange(Day) ? FCalColors->TextColor()
                                                        : FCalColors->TrailingTextColor());
            }
            C->Brush()->SetStyle(bsClear);
            const String S = IntToStr(DD);
            ShownTextOut(Cell.Right - 4 - C->TextWidth(S), Cell.Top + 1, S);
            if (Own && Day == Today && !FOptions.Contains(mdoNoTodayCircle)) {
                C->Pen()->SetColor(clRed);
                C->Rectangle(ShownCell.Left, ShownCell.Top, ShownCell.Right, ShownCell.Bottom);
            }
        }
    }
}

// ---- Mouse ------------------------------------------------------------------------------------

void TdaMonthCalendar::ClearPopupFlags() {
    FYearWasOpen = FMonthWasOpen = FYearShownByTitle = FMonthShownByTitle = false;
    if (FYearMenu) FYearMenu->SetPoppedUp(false);
    if (FMonthMenu) FMonthMenu->SetPoppedUp(false);
}

void TdaMonthCalendar::CMVisibleChanged(TMessage& Message) {
    TCustomControl::CMVisibleChanged(Message);
    ClearPopupFlags();
}

void TdaMonthCalendar::SelectDay(TDateTime Day) {
    if (!InRange(Day)) Day = FMaxDate != 0 && Day > FMaxDate ? FMaxDate : FMinDate;
    if (FOptions.Contains(mdoMultiSelect)) {
        FStartDate = FEndDate = DayOf(Day);
        FRangeChanged = true;
    }
    if (DayOf(Day) != DayOf(FDateTime)) {
        SetDate(Day);
        Change();
    } else {
        MakeVisible(Day);
        Invalidate();
    }
}

void TdaMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbRight) return TCustomControl::MouseDown(Button, Shift, X, Y);
    FYearWasOpen = FYearMenu && FYearMenu->isPoppedUp();
    FMonthWasOpen = FMonthMenu && FMonthMenu->isPoppedUp();
    if (!daIsKindOf(Owner(), u"TdaDBCustomDateTimePicker") && CanFocus() && !Focused()) SetFocus();
    const TdaCalHitInfo Info = HitTest(X, Y);
    Word HY = 0, HM = 0, HD = 0;
    if (Info.Hit == dchDate || Info.Hit == dchTrailingDate) DecodeDate(Info.Date, HY, HM, HD);
    try {
        if (OnCalMouseDown) OnCalMouseDown(this, Button, Shift, X, Y, HM, HD, HY);
    } catch (...) {
        ClearPopupFlags();
        throw;
    }
    Word VY, VM, VD;
    DecodeDate(FDateTime, VY, VM, VD);
    switch (Info.Hit) {
    case dchDate:
    case dchTrailingDate:
        if (FOptions.Contains(mdoMultiSelect) && Shift.Contains(ssShift)) {
            // Shift extends the range from the value, up to MaxSelectCount days.
            TDateTime A = DayOf(FDateTime), B = Info.Date;
            if (B > A) B = std::min(B, A + FMaxSelectCount - 1);
            else B = std::max(B, A - FMaxSelectCount + 1);
            if (!InRange(B)) break;
            FStartDate = std::min(A, B);
            FEndDate = std::max(A, B);
            FRangeChanged = true;
            Invalidate();
        } else {
            SelectDay(Info.Date);
            FSelecting = FOptions.Contains(mdoMultiSelect);
        }
        break;
    case dchPrevButton: {
        ScrollMonths(-1);
        Word FY, FM, FD;
        DecodeDate(FFirstVisible, FY, FM, FD);
        const TDateTime New = ClampedDate(FY, FM, VD);
        if (FMinDate != 0 && New < FMinDate) {
            MessageBeep();
            SetDateTime(FMinDate + (FDateTime - DayOf(FDateTime)));
        } else if (!FOptions.Contains(mdoNoSelChangeOnNav))
            SetDate(New);
        Change();
        break;
    }
    case dchNextButton: {
        ScrollMonths(1);
        Word LY, LM, LD;
        DecodeDate(BlockMonth(VisibleMonthCount() - 1), LY, LM, LD);
        const TDateTime New = ClampedDate(LY, LM, VD);
        if (FMaxDate != 0 && New > FMaxDate) {
            MessageBeep();
            SetDateTime(FMaxDate + (FDateTime - DayOf(FDateTime)));
        } else if (!FOptions.Contains(mdoNoSelChangeOnNav))
            SetDate(New);
        Change();
        break;
    }
    case dchTitleYear:
        if (FYearWasOpen || (FYearShownByTitle && FPopupTitleDate == Info.Date)) {
            ClearPopupFlags();
            break;
        }
        ShowYearMenu(Info, X, Y);
        break;
    case dchTitleMonth:
        if (FMonthWasOpen || (FMonthShownByTitle && FPopupTitleDate == Info.Date)) {
            ClearPopupFlags();
            break;
        }
        ShowMonthMenu(Info, X, Y);
        break;
    case dchToday:
        SelectDay(::Date());
        break;
    default:
        ClearPopupFlags();
        break;
    }
}

void TdaMonthCalendar::MouseMove(TShiftState Shift, int X, int Y) {
    const TdaCalHitInfo Info = HitTest(X, Y);
    Word HY = 0, HM = 0, HD = 0;
    if (Info.Hit == dchDate || Info.Hit == dchTrailingDate) DecodeDate(Info.Date, HY, HM, HD);
    if (FSelecting && Shift.Contains(ssLeft) && HD != 0 && InRange(Info.Date)) {
        // Dragging over the days extends the range, never beyond MaxSelectCount days.
        TDateTime A = DayOf(FDateTime), B = Info.Date;
        if (B > A) B = std::min(B, A + FMaxSelectCount - 1);
        else B = std::max(B, A - FMaxSelectCount + 1);
        if (FStartDate != std::min(A, B) || FEndDate != std::max(A, B)) {
            FStartDate = std::min(A, B);
            FEndDate = std::max(A, B);
            FRangeChanged = true;
            Invalidate();
        }
    }
    if (OnCalMouseMove) OnCalMouseMove(this, Shift, X, Y, HM, HD, HY);
}

void TdaMonthCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FSelecting = false;
    const TdaCalHitInfo Info = HitTest(X, Y);
    Word HY = 0, HM = 0, HD = 0;
    if (Info.Hit == dchDate || Info.Hit == dchTrailingDate) DecodeDate(Info.Date, HY, HM, HD);
    if (OnCalMouseUp) OnCalMouseUp(this, Button, Shift, X, Y, HM, HD, HY);
    if (FOptions.Contains(mdoMultiSelect) && FRangeChanged) {
        FRangeChanged = false;
        Change();
    }
}

void TdaMonthCalendar::ShowMonthMenu(const TdaCalHitInfo& Info, int X, int Y) {
    FPopupTitleDate = Info.Date;
    Word TY, TM, TD, VY, VM, VD;
    DecodeDate(Info.Date, TY, TM, TD);
    DecodeDate(FDateTime, VY, VM, VD);
    for (int M = 1; M <= 12; ++M) {
        TMenuItem* Item = FMonthMenu->Items()->Items(M - 1);
        Item->SetChecked(M == TM);
        Item->SetEnabled(InRange(ClampedDate(TY, M, VD)));
    }
    FMonthShownByTitle = true;
    FYearShownByTitle = false;
    const TPoint P = ClientToScreen(TPoint{X, Y + 12});
    FMonthMenu->Popup(P.X, P.Y);
}

void TdaMonthCalendar::ShowYearMenu(const TdaCalHitInfo& Info, int X, int Y) {
    FPopupTitleDate = Info.Date;
    if (!FYearMenu) {
        FYearMenu = new TCalendarPopupMenu(this);
        FYearMenu->SetAutoPopup(false);
    }
    FYearMenu->Items()->Clear();
    Word TY, TM, TD, VY, VM, VD;
    DecodeDate(Info.Date, TY, TM, TD);
    DecodeDate(FDateTime, VY, VM, VD);
    const TdaPopupYearOptions& O = *FPopupYearOptions;
    if (O.ShowEditYear) {
        auto* Edit = new TMenuItem(FYearMenu);
        Edit->SetCaption(daPopupYearLabel());
        Edit->OnClick = [this](TObject*) { ChooseEditYear(); };
        FYearMenu->Items()->Add(Edit);
        auto* Line = new TMenuItem(FYearMenu);
        Line->SetCaption(u"-");
        FYearMenu->Items()->Add(Line);
    }
    const int Start = O.EffectiveStartYear();
    const int Count = std::max(1, O.YearsPerColumn) * std::max(1, O.NumberColumns);
    for (int I = 0; I < Count; ++I) {
        const int Year = Start + I;
        if (Year < 1 || Year > 9999) break;
        auto* Item = new TMenuItem(FYearMenu);
        Item->SetCaption(IntToStr(Year));
        Item->SetChecked(Year == TY);
        Item->SetEnabled(InRange(ClampedDate(Year, VM, VD)));
        Item->OnClick = [this, Year](TObject*) { ChooseYear(Year); };
        FYearMenu->Items()->Add(Item);
    }
    FYearShownByTitle = true;
    FMonthShownByTitle = false;
    const TPoint P = ClientToScreen(TPoint{X, Y + 12});
    FYearMenu->Popup(P.X, P.Y);
}

void TdaMonthCalendar::ChooseMonth(int Month) {
    ClearPopupFlags();
    const TDateTime Title = FPopupTitleDate != 0 ? FPopupTitleDate : FirstOfMonth(FDateTime);
    Word TY, TM, TD, VY, VM, VD;
    DecodeDate(Title, TY, TM, TD);
    DecodeDate(FDateTime, VY, VM, VD);
    if (Month == TM) return;
    ScrollMonths(Month - TM);
    SetDate(ClampedDate(TY, Month, VD));
    Change();
}

void TdaMonthCalendar::ChooseYear(int Year) {
    ClearPopupFlags();
    const TDateTime Title = FPopupTitleDate != 0 ? FPopupTitleDate : FirstOfMonth(FDateTime);
    Word TY, TM, TD, VY, VM, VD;
    DecodeDate(Title, TY, TM, TD);
    DecodeDate(FDateTime, VY, VM, VD);
    if (Year == TY) return;
    const TDateTime New = ClampedDate(Year, VM, VD);
    if (!InRange(New)) return;
    SetDate(New);
    TFlagScope FromYearMenu(Patch[1]);
    Change();
}

void TdaMonthCalendar::ChooseEditYear() {
    Word VY, VM, VD, TY, TM, TD;
    DecodeDate(FDateTime, VY, VM, VD);
    DecodeDate(FPopupTitleDate != 0 ? FPopupTitleDate : FDateTime, TY, TM, TD);
    // The allowed years: the value's month and day must fit within the limits.
    int Low = 0, High = 0;
    if (FMinDate != 0) {
        Word MY, MM, MD;
        DecodeDate(FMinDate, MY, MM, MD);
        Low = (VM < MM || (VM == MM && VD < MD)) ? MY + 1 : MY;
    }
    if (FMaxDate != 0) {
        Word XY, XM, XD;
        DecodeDate(FMaxDate, XY, XM, XD);
        High = (VM > XM || (VM == XM && VD > XD)) ? XY - 1 : XY;
    }
    String Caption = daEnterYearPrompt(), Prompt = u" ";
    if (Low && High) {
        Caption += u" (" + IntToStr(Low) + u"-" + IntToStr(High) + u")";
        Prompt = u"";
    } else if (Low) {
        Caption += u" (>=" + IntToStr(Low) + u")";
        Prompt = u"Enter New Year:";
    } else if (High) {
        Caption += u" (<=" + IntToStr(High) + u")";
        Prompt = u"Enter New Year:";
    }
    auto Limit = [&](int Y) {
        if (Low) Y = std::max(Y, Low);
        if (High) Y = std::min(Y, High);
        return Y;
    };
    String Answer = IntToStr(Limit(TY));
    for (;;) {
        String Value = Answer;
        if (!InputQuery(Caption, Prompt, Value)) break; // cancelled: the default stands
        int Year = 0;
        if (TryStrToInt(Trim(Value), Year) && Year >= 1 && Year <= 9999 && InRange(ClampedDate(Year, VM, VD))) {
            Answer = IntToStr(Year);
            break;
        }
        if (TryStrToInt(Trim(Value), Year)) Answer = IntToStr(Limit(std::clamp(Year, 1, 9999)));
    }
    ChooseYear(StrToInt(Answer));
}

// ---- Keys -------------------------------------------------------------------------------------

void TdaMonthCalendar::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS;
}

void TdaMonthCalendar::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key != VK_PRIOR && Key != VK_NEXT && Key != VK_LEFT && Key != VK_RIGHT && Key != VK_UP && Key != VK_DOWN)
        return;
    const bool Multi = FOptions.Contains(mdoMultiSelect);
    if (Multi && (Key == VK_PRIOR || Key == VK_NEXT) && FEndDate > FStartDate) {
        Key = 0;
        return;
    }
    // Mirrored, the days run from the right: Left goes on and Right goes back.
    if (UseRightToLeftAlignment() && (Key == VK_LEFT || Key == VK_RIGHT)) Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    const TDateTime Cur = DayOf(FDateTime);
    Word Y, M, D;
    DecodeDate(Cur, Y, M, D);
    if (Multi && Shift.Contains(ssShift) && Key != VK_PRIOR && Key != VK_NEXT) {
        const int Step = (Key == VK_LEFT || Key == VK_UP) ? (Key == VK_LEFT ? -1 : -7) : (Key == VK_RIGHT ? 1 : 7);
        if (Cur < FEndDate || (Cur == FEndDate && FStartDate == FEndDate && Step > 0)) {
            const TDateTime End = FEndDate + Step;
            if (InRange(End) && End >= Cur && End - Cur < FMaxSelectCount) {
                FStartDate = Cur;
                FEndDate = End;
            }
        } else {
            const TDateTime Start = FStartDate + Step;
            if (InRange(Start) && Start <= Cur && Cur - Start < FMaxSelectCount) {
                FStartDate = Start;
                FEndDate = Cur;
            }
        }
        Invalidate();
        Change();
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_PRIOR: {
        TDateTime New = ClampedDate(M == 1 ? Y - 1 : Y, M == 1 ? 12 : M - 1, D);
        if (FMinDate != 0 && New <= FMinDate) New = FMinDate;
        SetDate(New);
        break;
    }
    case VK_NEXT: {
        TDateTime New = ClampedDate(M == 12 ? Y + 1 : Y, M == 12 ? 1 : M + 1, D);
        if (FMaxDate != 0 && New >= FMaxDate) New = FMaxDate;
        SetDate(New);
        break;
    }
    case VK_LEFT:
        if (Cur != FMinDate) SetDate(Cur - 1);
        break;
    case VK_RIGHT:
        if (Cur != FMaxDate) SetDate(Cur + 1);
        break;
    case VK_UP:
        if (FMinDate == 0 || Cur - 7 >= FMinDate) SetDate(Cur - 7);
        break;
    case VK_DOWN:
        if (FMaxDate == 0 || Cur + 7 <= FMaxDate) SetDate(Cur + 7);
        break;
    }
    Change();
    Key = 0;
}

int daPopupYearStart() {
    return daGlobalIntl ? daGlobalIntl->MonthCalendar()->PopupYearStart : 2000;
}

String daPopupYearLabel() {
    return daGlobalIntl ? daGlobalIntl->MonthCalendar()->PopupYearLabel : String(u"Edit Year");
}

String daEnterYearPrompt() {
    return daGlobalIntl ? daGlobalIntl->MonthCalendar()->EnterYearPrompt : String(u"Enter Valid Year");
}
