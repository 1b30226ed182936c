// The month calendar: its value and limits, keys, the month and year pop-ups, the mouse, bold
// days, and how it looks.
#include "dataaware/edits/daMonthCal.h"

#include "dataaware/foundation/daIntl.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Format.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Questions.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TDateTime D(int Y, int M, int Day, int H = 0, int Mi = 0) {
    return EncodeDate(Y, M, Day) + EncodeTime(H, Mi, 0, 0);
}

std::string Text(TDateTime V) {
    return U8(FormatDateTime(u"yyyy-mm-dd hh:nn", V));
}

// A calendar on a shown form, with today fixed at 2026-06-15.
class MonthCalendar : public ::testing::Test {
protected:
    void SetUp() override {
        SetNowOverride([] { return EncodeDate(2026, 6, 15) + EncodeTime(10, 0, 0, 0); });
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 600, 400);
        Cal = new TdaMonthCalendar(Form.get());
        Cal->SetParent(Form.get());
        Cal->OnChange = [this](TObject*) {
            ++Changes;
            YearPatchSeen = YearPatchSeen || Cal->Patch[1];
        };
        Form->Show();
    }
    void TearDown() override {
        Form.reset();
        SetNowOverride({});
    }
    // A client point of the calendar where HitTest answers Hit (the first one found).
    TPoint PointOf(TdaCalHit Hit, TDateTime Day = 0) {
        for (int Y = 0; Y < Cal->ClientHeight(); ++Y)
            for (int X = 0; X < Cal->ClientWidth(); ++X) {
                const TdaCalHitInfo I = Cal->HitTest(X, Y);
                if (I.Hit == Hit && (Day == 0 || I.Date == Day)) return {X, Y};
            }
        ADD_FAILURE() << "no point with hit " << int(Hit);
        return {0, 0};
    }
    std::unique_ptr<TForm> Form;
    TdaMonthCalendar* Cal = nullptr;
    int Changes = 0;
    bool YearPatchSeen = false;
};

} // namespace

TEST_F(MonthCalendar, DateAndTimeKeepTheOtherHalfAndTheLimitsRefuseDays) {
    Cal->SetDateTime(D(2024, 3, 10, 15, 30));
    Cal->SetDate(D(2024, 3, 20));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-20 15:30");
    Cal->SetTime(EncodeTime(8, 5, 0, 0));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-20 08:05");

    Cal->SetMinDate(D(2024, 3, 1));
    Cal->SetMaxDate(D(2024, 3, 31));
    EXPECT_EQ(U8(ThrownMessage<EDateTimeError>([&] { Cal->SetDate(D(2024, 4, 2)); })),
              "Date exceeds maximum of " + U8(DateToStr(D(2024, 3, 31))));
    EXPECT_EQ(U8(ThrownMessage<EDateTimeError>([&] { Cal->SetDate(D(2024, 2, 2)); })),
              "Date is less than minimum of " + U8(DateToStr(D(2024, 3, 1))));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-20 08:05");
    // A maximum before the minimum fails and leaves both limits.
    EXPECT_THROW(Cal->SetMaxDate(D(2024, 2, 1)), EDateTimeError);
    EXPECT_EQ(Cal->MaxDate(), D(2024, 3, 31));
    EXPECT_EQ(Cal->MinDate(), D(2024, 3, 1));
    // The whole value is limited rather than refused.
    Cal->SetDateTime(D(2025, 1, 1, 9));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-31 00:00");
}

TEST_F(MonthCalendar, KeysMoveTheDayWithinTheLimits) {
    struct Case {
        const char* Name;
        TDateTime From, Min, Max;
        Word Key;
        TDateTime To;
    } Cases[] = {
        {"PageUpKeepsTheDay", D(2024, 3, 15), 0, 0, VK_PRIOR, D(2024, 2, 15)},
        {"PageUpLowersTheDay", D(2024, 3, 31), 0, 0, VK_PRIOR, D(2024, 2, 29)},
        {"PageUpFromJanuary", D(2024, 1, 10), 0, 0, VK_PRIOR, D(2023, 12, 10)},
        {"PageUpStopsAtTheMinimum", D(2024, 3, 15), D(2024, 2, 20), 0, VK_PRIOR, D(2024, 2, 20)},
        {"PageDownIntoNextYear", D(2024, 12, 31), 0, 0, VK_NEXT, D(2025, 1, 31)},
        {"PageDownStopsAtTheMaximum", D(2024, 3, 15), 0, D(2024, 4, 1), VK_NEXT, D(2024, 4, 1)},
        {"Left", D(2024, 3, 1), 0, 0, VK_LEFT, D(2024, 2, 29)},
        {"LeftNotPastTheMinimum", D(2024, 3, 1), D(2024, 3, 1), 0, VK_LEFT, D(2024, 3, 1)},
        {"Right", D(2024, 2, 29), 0, 0, VK_RIGHT, D(2024, 3, 1)},
        {"RightNotPastTheMaximum", D(2024, 3, 9), 0, D(2024, 3, 9), VK_RIGHT, D(2024, 3, 9)},
        {"UpAWeek", D(2024, 3, 9), 0, 0, VK_UP, D(2024, 3, 2)},
        {"UpRefusedBelowTheMinimum", D(2024, 3, 9), D(2024, 3, 5), 0, VK_UP, D(2024, 3, 9)},
        {"DownAWeek", D(2024, 3, 27), 0, 0, VK_DOWN, D(2024, 4, 3)},
        {"DownRefusedAboveTheMaximum", D(2024, 3, 27), 0, D(2024, 4, 1), VK_DOWN, D(2024, 3, 27)},
    };
    for (const Case& C : Cases) {
        Cal->SetMinDate(0);
        Cal->SetMaxDate(0);
        Cal->SetDateTime(C.From);
        Cal->SetMinDate(C.Min);
        Cal->SetMaxDate(C.Max);
        Cal->SetFocus();
        KeyMessages(Cal, C.Key);
        EXPECT_EQ(Text(Cal->DateTime()), Text(C.To)) << C.Name;
    }
}

TEST_F(MonthCalendar, MonthTitleMenuMovesToTheChosenMonthKeepingTheDay) {
    Cal->SetDateTime(D(2024, 3, 31, 12));
    MouseDownMessage(Cal, PointOf(dchTitleMonth));
    MouseUpMessage(Cal, PointOf(dchTitleMonth));
    ASSERT_TRUE(Cal->IsPopupYearMonthShowing());
    TMenuItem* Items = Cal->MonthMenu()->Items();
    ASSERT_EQ(Items->Count(), 12);
    EXPECT_EQ(U8(Items->Items(0)->Caption()), "January");
    EXPECT_TRUE(Items->Items(2)->Checked());
    Items->Items(1)->Click(); // February: the 31st becomes the 29th
    EXPECT_EQ(Text(Cal->DateTime()), "2024-02-29 12:00");
    EXPECT_EQ(Cal->FirstVisibleMonth(), D(2024, 2, 1));
    EXPECT_FALSE(Cal->IsPopupYearMonthShowing());
    EXPECT_EQ(Changes, 1);
    // Months that the limits exclude are disabled.
    Cal->SetMaxDate(D(2024, 5, 10));
    MouseDownMessage(Cal, PointOf(dchTitleMonth));
    MouseUpMessage(Cal, PointOf(dchTitleMonth));
    EXPECT_TRUE(Items->Items(3)->Enabled());  // 29 April
    EXPECT_FALSE(Items->Items(4)->Enabled()); // 29 May is after the maximum
}

TEST_F(MonthCalendar, YearTitleMenuListsTheLibraryYearsAndTakesAYear) {
    Cal->SetDateTime(D(2024, 2, 29));
    Cal->SetMaxDate(D(2015, 1, 1) + 3650); // 2024-12-29
    Cal->PopupYearOptions()->YearsPerColumn = 10;
    Cal->PopupYearOptions()->NumberColumns = 3;
    MouseDownMessage(Cal, PointOf(dchTitleYear));
    MouseUpMessage(Cal, PointOf(dchTitleYear));
    TMenuItem* Items = Cal->YearMenu()->Items();
    ASSERT_EQ(Items->Count(), 30);
    EXPECT_EQ(Items->Items(0)->Caption(), IntToStr(daPopupYearStart()));
    const int Idx2024 = 2024 - daPopupYearStart(), Idx2023 = 2023 - daPopupYearStart();
    EXPECT_TRUE(Items->Items(Idx2024)->Checked());
    EXPECT_TRUE(Items->Items(Idx2023)->Enabled());
    EXPECT_FALSE(Items->Items(Idx2024 + 1)->Enabled()); // after MaxDate
    Items->Items(Idx2023)->Click();
    EXPECT_EQ(Text(Cal->DateTime()), "2023-02-28 00:00");
    EXPECT_TRUE(YearPatchSeen); // OnChange knew the year came from the pop-up
    EXPECT_FALSE(Cal->Patch[1]);
}

TEST_F(MonthCalendar, EditYearAsksUntilTheYearFitsTheLimits) {
    Cal->SetDateTime(D(2024, 6, 20));
    Cal->SetMaxDate(D(2030, 5, 1));
    Cal->PopupYearOptions()->ShowEditYear = true;
    MouseDownMessage(Cal, PointOf(dchTitleYear));
    MouseUpMessage(Cal, PointOf(dchTitleYear));
    EXPECT_EQ(U8(Cal->YearMenu()->Items()->Items(0)->Caption()), "Edit Year");
    TQuestionScript Script;
    Script.Answer(mrOk, u"abc").Answer(mrOk, u"2031").Answer(mrOk, u"2027");
    Cal->YearMenu()->Items()->Items(0)->Click();
    ASSERT_EQ(Script.Asked().size(), 3u);
    // 20 June in 2030 is after the maximum: 2029 is the highest year.
    EXPECT_EQ(U8(Script.Asked()[0].Caption), "Enter Valid Year (<=2029)");
    EXPECT_EQ(U8(Script.Asked()[0].Text), "Enter New Year:");
    EXPECT_EQ(Text(Cal->DateTime()), "2027-06-20 00:00");
}

TEST_F(MonthCalendar, PopupTextsAndTheDefaultStartYearComeFromTheLibrarySettings) {
    TdaMonthCalendarIntl* Texts = daGlobalIntl->MonthCalendar();
    TValueScope<int> Start(Texts->PopupYearStart, 2010);
    TValueScope<String> Label(Texts->PopupYearLabel, String(u"Other year"));
    TValueScope<String> Prompt(Texts->EnterYearPrompt, String(u"Year wanted"));
    Cal->SetDateTime(D(2012, 3, 4));
    Cal->PopupYearOptions()->ShowEditYear = true;
    MouseDownMessage(Cal, PointOf(dchTitleYear));
    MouseUpMessage(Cal, PointOf(dchTitleYear));
    TMenuItem* Items = Cal->YearMenu()->Items();
    EXPECT_EQ(U8(Items->Items(0)->Caption()), "Other year");
    EXPECT_EQ(U8(Items->Items(2)->Caption()), "2010"); // after the separator
    TQuestionScript Script;
    Script.Answer(mrCancel, u"");
    Items->Items(0)->Click();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Asked()[0].Caption), "Year wanted");
    EXPECT_EQ(Text(Cal->DateTime()), "2012-03-04 00:00");
}

TEST_F(MonthCalendar, ClicksOnDaysAndArrowsStayWithinTheLimits) {
    Cal->SetDateTime(D(2024, 3, 10));
    Cal->SetMinDate(D(2024, 3, 1));
    // A February day in the leading area is before the minimum: the minimum is taken.
    ClickMessages(Cal, PointOf(dchTrailingDate, D(2024, 2, 28)));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-01 00:00");
    ClickMessages(Cal, PointOf(dchDate, D(2024, 3, 21)));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-21 00:00");
    ClickMessages(Cal, PointOf(dchNextButton));
    EXPECT_EQ(Text(Cal->DateTime()), "2024-04-21 00:00");
    ClickMessages(Cal, PointOf(dchPrevButton));
    ClickMessages(Cal, PointOf(dchPrevButton)); // February is before the minimum
    EXPECT_EQ(Text(Cal->DateTime()), "2024-03-01 00:00");
}

TEST_F(MonthCalendar, RangeSelectionNeverExceedsMaxSelectCount) {
    Cal->SetOptions({mdoMultiSelect});
    Cal->SetMaxSelectCount(7);
    Cal->SetDateTime(D(2024, 3, 4));
    ClickMessages(Cal, PointOf(dchDate, D(2024, 3, 4)));
    ClickMessages(Cal, PointOf(dchDate, D(2024, 3, 20)), mbLeft, {ssShift});
    EXPECT_EQ(Cal->StartDate(), D(2024, 3, 4));
    EXPECT_EQ(Cal->EndDate(), D(2024, 3, 10));
}

TEST_F(MonthCalendar, BoldDaysComeFromTheEventForEveryVisibleMonthAndTheFirstWeekdayIsChosen) {
    Cal->SetBounds(0, 0, 2 * Cal->MinimumSize().cx, Cal->MinimumSize().cy);
    Cal->SetDateTime(D(2024, 3, 10));
    std::set<int> BoldMonths;
    Cal->OnCalcBoldDay = [&](TObject*, TDateTime Day, int Month, int, int, bool& Accept) {
        Accept = DayOfWeek(Day) == 1;
        if (Accept) BoldMonths.insert(Month);
    };
    auto Shot = GrabControl(Cal);
    EXPECT_EQ(Cal->VisibleMonthCount(), 2);
    EXPECT_EQ(BoldMonths, (std::set<int>{3, 4}));
    Cal->SetFirstDayOfWeek(dadowSunday);
    EXPECT_EQ(Cal->FirstWeekday(), 1);
    Cal->SetFirstDayOfWeek(dadowLocaleDefault);
    EXPECT_EQ(Cal->FirstWeekday(), 2); // the locale's Monday
    ClickMessages(Cal, PointOf(dchNextButton));
    BoldMonths.clear();
    Shot = GrabControl(Cal);
    EXPECT_EQ(BoldMonths, (std::set<int>{4, 5}));
    // The selected day is drawn in the title colours.
    TTempFolder Folder;
    GrabToPng(Shot.get(), Folder, "month-calendar.png");
    const TdaCalHitInfo Sel = Cal->HitTest(PointOf(dchDate, std::trunc(Cal->DateTime())).X,
                                           PointOf(dchDate, std::trunc(Cal->DateTime())).Y);
    const TPoint P = PointOf(dchDate, Sel.Date);
    EXPECT_EQ(PixelOf(*Shot, P.X, P.Y), ColorToRGB(clActiveCaption));
}

TEST_F(MonthCalendar, ARightToLeftCalendarRunsItsDaysAndArrowsFromTheRight) {
    Cal->SetBounds(0, 0, Cal->MinimumSize().cx, Cal->MinimumSize().cy);
    Cal->SetFirstDayOfWeek(dadowMonday);
    Cal->SetDateTime(D(2024, 3, 13)); // a Wednesday
    const TPoint LeftToRight = PointOf(dchDate, D(2024, 3, 13));
    const TPoint MondayLeftToRight = PointOf(dchDate, D(2024, 3, 11));
    Form->SetBiDiMode(bdRightToLeft);
    ASSERT_TRUE(Cal->UseRightToLeftAlignment());
    // The same day lies mirrored across the calendar; the earlier arrow is on the right.
    const TPoint Mirrored{Cal->ClientWidth() - 1 - LeftToRight.X, LeftToRight.Y};
    EXPECT_EQ(Cal->HitTest(Mirrored.X, Mirrored.Y).Date, D(2024, 3, 13));
    EXPECT_GT(PointOf(dchPrevButton).X, Cal->ClientWidth() / 2);
    EXPECT_LT(PointOf(dchNextButton).X, Cal->ClientWidth() / 2);
    // Monday, the week's first day, lies right of Wednesday.
    EXPECT_GT(PointOf(dchDate, D(2024, 3, 11)).X, Mirrored.X);
    EXPECT_LT(MondayLeftToRight.X, LeftToRight.X);
    // The selected day is painted where the hit test finds it.
    auto Shot = GrabControl(Cal);
    TTempFolder Folder;
    GrabToPng(Shot.get(), Folder, "month-calendar-rtl.png");
    EXPECT_EQ(PixelOf(*Shot, Mirrored.X, Mirrored.Y), ColorToRGB(clActiveCaption));
    EXPECT_NE(PixelOf(*Shot, LeftToRight.X, LeftToRight.Y), ColorToRGB(clActiveCaption));
    // Left goes on to the next day, Right back to the one before.
    KeyMessages(Cal, VK_LEFT);
    EXPECT_EQ(Text(Cal->DateTime()).substr(0, 10), "2024-03-14");
    KeyMessages(Cal, VK_RIGHT);
    KeyMessages(Cal, VK_RIGHT);
    EXPECT_EQ(Text(Cal->DateTime()).substr(0, 10), "2024-03-12");
}
