#pragma once
// The month calendar: a control of our own that draws one or more months, scrolls and selects,
// and adds a date-and-time value with limits it enforces itself, colours, bold days from an
// event, a first day of the week, and pop-up menus on the month and year titles (a month list,
// and a year list in columns with an optional entry that asks for a year).

#include "platform/base/DateTime.h"
#include "platform/base/Set.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Menus.h"

#include <array>
#include <cmath>

enum TdaMonthOption : Byte {
    mdoDayState,
    mdoWeekNumbers,
    mdoNoToday,
    mdoNoTodayCircle,
    mdoMultiSelect,
    mdoNoTrailingDates,
    mdoShortDaysOfWeek,
    mdoNoSelChangeOnNav
};
using TdaMonthOptions = TSet<TdaMonthOption>;

enum TdaCalDayOfWeek : Byte {
    dadowMonday,
    dadowTuesday,
    dadowWednesday,
    dadowThursday,
    dadowFriday,
    dadowSaturday,
    dadowSunday,
    dadowLocaleDefault
};

using TCalcBoldDayEvent =
    std::function<void(TObject* Sender, TDateTime ADate, int Month, int Day, int Year, bool& Accept)>;
using TdaCalMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                            int Y, int Month, int Day, int Year)>;
using TdaCalMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int X, int Y, int Month, int Day, int Year)>;

class TdaMonthCalendar;

// The six colours of the calendar's parts; each change reaches the owning calendar at once.
class TdaDateTimeColors : public TPersistent {
    DECLARE_CLASS(TdaDateTimeColors, TPersistent)
public:
    explicit TdaDateTimeColors(TComponent* AOwner = nullptr);
    // Index 0 background, 1 text, 2 title background, 3 title text, 4 month background,
    // 5 trailing text.
    TColor Color(int Index) const { return FColors[Index]; }
    void SetColor(int Index, TColor Value);
    TColor BackColor() const { return FColors[0]; }
    TColor TextColor() const { return FColors[1]; }
    void SetTextColor(TColor V) { SetColor(1, V); }
    TColor TitleBackColor() const { return FColors[2]; }
    void SetTitleBackColor(TColor V) { SetColor(2, V); }
    TColor TitleTextColor() const { return FColors[3]; }
    void SetTitleTextColor(TColor V) { SetColor(3, V); }
    TColor MonthBackColor() const { return FColors[4]; }
    void SetMonthBackColor(TColor V) { SetColor(4, V); }
    TColor TrailingTextColor() const { return FColors[5]; }
    void SetTrailingTextColor(TColor V) { SetColor(5, V); }
    // Copies the five published colours; anything else fails with "Cannot assign a %s to a %s".
    void Assign(TPersistent* Source) override;

private:
    TComponent* FOwner;
    std::array<TColor, 6> FColors;
};

// The layout of the year pop-up.
class TdaPopupYearOptions : public TPersistent {
    DECLARE_CLASS(TdaPopupYearOptions, TPersistent)
public:
    int YearsPerColumn = 10;
    int NumberColumns = 2;
    // 2000 stands for the library's default start year (PopupYearStart).
    int StartYear = 2000;
    bool ShowEditYear = false;
    void Assign(TPersistent* Source) override;
    int EffectiveStartYear() const;
};

// A pop-up menu that knows whether it is open.
class TCalendarPopupMenu : public TPopupMenu {
    DECLARE_CLASS(TCalendarPopupMenu, TPopupMenu)
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int X, int Y) override;
    // Set while the menu is shown; the menu closes when a choice is made or it is dismissed.
    bool isPoppedUp() const { return FPoppedUp; }
    void SetPoppedUp(bool Value) { FPoppedUp = Value; }

private:
    bool FPoppedUp = false;
};

// What lies under a point of the calendar.
enum TdaCalHit : Byte {
    dchNowhere,
    dchTitleBack,
    dchTitleMonth,
    dchTitleYear,
    dchPrevButton,
    dchNextButton,
    dchDate,         // a day of the month the block shows
    dchTrailingDate, // a day of the month before or after, shown greyed
    dchDayHeader,    // the weekday names
    dchWeekNumber,
    dchToday
};

struct TdaCalHitInfo {
    TdaCalHit Hit = dchNowhere;
    TDateTime Date = 0; // the day under the point; for the titles the block's first day
    int Block = -1;     // the month block, 0 for the first visible month
};

class TdaMonthCalendar : public TCustomControl {
    DECLARE_CLASS(TdaMonthCalendar, TCustomControl)
public:
    explicit TdaMonthCalendar(TComponent* AOwner);
    ~TdaMonthCalendar() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TdaDateTimeColors* CalColors() const { return FCalColors.get(); }
    void SetCalColors(TdaDateTimeColors* Value) { FCalColors->Assign(Value); }
    TDateTime DateTime() const { return FDateTime; }
    void SetDateTime(TDateTime Value);
    TDateTime Date() const { return std::trunc(FDateTime); }
    void SetDate(TDateTime Value);
    TDateTime Time() const { return FDateTime - std::trunc(FDateTime); }
    void SetTime(TDateTime Value);
    TdaMonthOptions Options() const { return FOptions; }
    virtual void SetOptions(TdaMonthOptions Value);
    TdaPopupYearOptions* PopupYearOptions() const { return FPopupYearOptions.get(); }
    void SetPopupYearOptions(TdaPopupYearOptions* Value) { FPopupYearOptions->Assign(Value); }
    TdaCalDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
    void SetFirstDayOfWeek(TdaCalDayOfWeek Value);
    int MaxSelectCount() const { return FMaxSelectCount; }
    void SetMaxSelectCount(int Value);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime Value);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime Value);
    TDateTime StartDate() const { return FStartDate; }
    void SetStartDate(TDateTime Value);
    TDateTime EndDate() const { return FEndDate; }
    void SetEndDate(TDateTime Value);
    // Element 1 holds while OnChange runs after a year was chosen from the year pop-up.
    std::array<bool, 2> Patch{false, false};
    bool IsPopupYearMonthShowing() const;
    virtual void FocusCalendar();

    // The smallest size that shows one month whole.
    TSize MinimumSize();
    // The first day of the first visible month, and how many months are visible.
    TDateTime FirstVisibleMonth() const { return FFirstVisible; }
    int VisibleMonthCount();
    TdaCalHitInfo HitTest(int X, int Y);
    // The weekday of the first column: 1 Sunday ... 7 Saturday.
    int FirstWeekday() const;
    // The pop-up menus of the titles (built on the first title click).
    TCalendarPopupMenu* MonthMenu() const { return FMonthMenu; }
    TCalendarPopupMenu* YearMenu() const { return FYearMenu; }
    // A choice from the pop-ups: a month 1..12, a year (the edit-year entry asks for it).
    void ChooseMonth(int Month);
    void ChooseYear(int Year);
    void ChooseEditYear();

    TNotifyEvent OnChange;
    TCalcBoldDayEvent OnCalcBoldDay;
    TdaCalMouseEvent OnCalMouseDown, OnCalMouseUp;
    TdaCalMouseMoveEvent OnCalMouseMove;

protected:
    virtual void Change();
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    bool CanResize(int& NewWidth, int& NewHeight) override;
    // Brings the month of Value into view (scrolling as little as possible).
    void MakeVisible(TDateTime Value);
    void ScrollMonths(int Months);
    bool InRange(TDateTime Day) const;

private:
    struct TMetrics {
        int CellW, CellH, TitleH, HeaderH, BlockW, BlockH, TodayH, WeekW;
    };
    TMetrics Metrics();
    TRect BlockRect(int Block);
    TDateTime BlockMonth(int Block) const;
    int Columns();
    int Rows();
    TDateTime GridStart(TDateTime MonthStart) const;
    void PaintBlock(int Block, TDateTime Today);
    void ShowYearMenu(const TdaCalHitInfo& Info, int X, int Y);
    void ShowMonthMenu(const TdaCalHitInfo& Info, int X, int Y);
    void ClearPopupFlags();
    void SelectDay(TDateTime Day);
    String LimitText(TDateTime Limit) const;
    // A mirrored layout (right to left) draws the months' parts from the right edge: these take
    // a position laid out from the left to where it shows.
    TRect ShownRect(const TRect& R) const;
    int ShownX(int X) const;
    void ShownTextOut(int X, int Y, const String& S);

    TBorderStyle FBorderStyle = Controls::bsNone;
    std::unique_ptr<TdaDateTimeColors> FCalColors;
    TDateTime FDateTime = 0;
    TDateTime FStartDate = 0, FEndDate = 0;
    TDateTime FMaxDate = 0, FMinDate = 0;
    TdaMonthOptions FOptions{mdoDayState};
    int FMaxSelectCount = 31;
    bool FRangeChanged = false;
    TCalendarPopupMenu* FYearMenu = nullptr;
    TCalendarPopupMenu* FMonthMenu = nullptr;
    bool FYearWasOpen = false, FMonthWasOpen = false;
    bool FYearShownByTitle = false, FMonthShownByTitle = false;
    TDateTime FPopupTitleDate = 0; // first day of the title's month
    std::unique_ptr<TdaPopupYearOptions> FPopupYearOptions;
    TdaCalDayOfWeek FFirstDayOfWeek = dadowLocaleDefault;
    TDateTime FFirstVisible = 0;
    bool FSelecting = false; // a range is being dragged with the mouse
};

// The calendar's pop-up texts and default start year, from the library's shared settings (their
// defaults once the settings object is gone).
int daPopupYearStart();
String daPopupYearLabel();
String daEnterYearPrompt();
