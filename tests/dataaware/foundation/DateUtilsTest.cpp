// Reading dates, times and displayed numbers under the locale settings.
#include "dataaware/foundation/daDateUtils.h"

#include "platform/base/Format.h"
#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// Locale settings for one test, put back afterwards.
class DateText : public ::testing::Test {
protected:
    void SetUp() override {
        Saved = FormatSettings;
        FormatSettings.ShortDateFormat = u"dd/mm/yyyy";
        FormatSettings.DateSeparator = u'/';
        FormatSettings.TimeSeparator = u':';
        FormatSettings.DecimalSeparator = u'.';
        FormatSettings.ThousandSeparator = u',';
        FormatSettings.CurrencyString = u"$";
    }
    void TearDown() override { FormatSettings = Saved; }
    TFormatSettings Saved;
};

TDateTime Date(int Y, int M, int D) {
    TDateTime R = -1;
    EXPECT_TRUE(daEncodeDate(Y, M, D, R));
    return R;
}

} // namespace

TEST_F(DateText, DatesInEachOrderWithCenturyWindowsAndMonthNames) {
    struct {
        const char16_t* Format;
        const char16_t* Text;
        int Epoch;
        int Y, M, D; // Y 0: not a date
    } const Cases[] = {
        {u"dd/mm/yyyy", u"3/4/49", 1950, 2049, 4, 3},
        {u"dd/mm/yyyy", u"3/4/50", 1950, 1950, 4, 3},
        {u"dd/mm/yyyy", u"3/4/79", 1980, 2079, 4, 3},
        {u"dd/mm/yyyy", u"3/4/80", 1980, 1980, 4, 3},
        {u"dd/mm/yyyy", u"29/2/2012", 1950, 2012, 2, 29},
        {u"dd/mm/yyyy", u"31/2/2012", 1950, 0, 0, 0},
        {u"dd/mm/yyyy", u"29/2/2013", 1950, 0, 0, 0},
        {u"dd/mm/yyyy", u"12345/1/1", 1950, 0, 0, 0}, // four digits at most, then no separator
        {u"dd/mm/yyyy", u"3/MAR/2020", 1950, 2020, 3, 3},
        {u"dd/mm/yyyy", u" 3 / mar / 2020 ", 1950, 2020, 3, 3},
        {u"dd/mm/yyyy", u"3/4/", 1950, 0, 0, 0}, // a separator without a third number
        {u"mm/dd/yyyy", u"3/4/2020", 1950, 2020, 3, 4},
        {u"yyyy/mm/dd", u"2020/3/4", 1950, 2020, 3, 4},
        {u"yyyy/mm/dd", u"10000/1/1", 1950, 0, 0, 0},
        {u"dd/mm/yyyy", u"0/1/2020", 1950, 0, 0, 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Text));
        FormatSettings.ShortDateFormat = C.Format;
        TDateTime D = 0;
        const bool Ok = daStrToDateEpoch(C.Text, D, C.Epoch);
        EXPECT_EQ(Ok, C.Y != 0);
        if (C.Y) {
            EXPECT_EQ(D, Date(C.Y, C.M, C.D));
        }
    }
    // Two numbers: this year, read in the order of the format.
    FormatSettings.ShortDateFormat = u"dd/mm/yyyy";
    EXPECT_EQ(daStrToDateDef(u"3/4"), Date(daCurrentYear(), 4, 3));
    FormatSettings.ShortDateFormat = u"mm/dd/yyyy";
    EXPECT_EQ(daStrToDateDef(u"3/4"), Date(daCurrentYear(), 3, 4));
    EXPECT_EQ(daStrToDateDef(u"31/31/2020"), 0);
}

TEST_F(DateText, TimesWithMarkersAndWholeTextTests) {
    struct {
        const char16_t* Text;
        bool Valid;
        int H, M, S;
    } const Cases[] = {
        {u"12:30 PM", true, 12, 30, 0}, {u"12:30 am", true, 0, 30, 0}, {u"1:05:09 pm", true, 13, 5, 9},
        {u"13:00 PM", false, 0, 0, 0},  {u"0:15 AM", false, 0, 0, 0},  {u"23:59:59", true, 23, 59, 59},
        {u"24:00", false, 0, 0, 0},     {u"10:", false, 0, 0, 0},      {u"10:30:", false, 0, 0, 0},
        {u"10:30 x", false, 0, 0, 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Text));
        EXPECT_EQ(daIsValidTime(C.Text), C.Valid);
        TDateTime T = -1;
        if (C.Valid) {
            ASSERT_TRUE(daEncodeTime(C.H, C.M, C.S, 0, T));
            EXPECT_DOUBLE_EQ(daStrToTimeDef(C.Text), T);
        } else {
            EXPECT_EQ(daStrToTimeDef(C.Text), 0);
        }
    }
    // The locale's own markers count as well as AM and PM.
    FormatSettings.TimePMString = u"nachm.";
    TDateTime T;
    daEncodeTime(15, 0, 0, 0, T);
    EXPECT_DOUBLE_EQ(daStrToTimeDef(u"3:00 nachm."), T);

    EXPECT_TRUE(daIsValidDate(u"3/4/2020"));
    EXPECT_FALSE(daIsValidDate(u"3/4/2020 x"));
    EXPECT_EQ(daStrToDateDef(u"3/4/2020 x"), Date(2020, 4, 3)); // trailing text allowed
    EXPECT_TRUE(daIsValidDateTime(u"3/4/2020 10:30"));
    EXPECT_FALSE(daIsValidDateTime(u"3/4/2020"));
    daEncodeTime(10, 30, 0, 0, T);
    EXPECT_DOUBLE_EQ(daStrToDateTimeDef(u"3/4/2020 10:30"), Date(2020, 4, 3) + T);
    EXPECT_EQ(daStrToDateTimeDef(u"3/4/2020 10:30 y"), 0);
}

TEST_F(DateText, DayArithmeticAndEncoding) {
    EXPECT_TRUE(daIsLeapYear(2000));
    EXPECT_FALSE(daIsLeapYear(1900));
    EXPECT_TRUE(daIsLeapYear(2012));
    EXPECT_EQ(daNextDayInMonth(2012, 2, 29), 1);
    EXPECT_EQ(daNextDayInMonth(2013, 2, 28), 1);
    EXPECT_EQ(daPriorDayInMonth(2012, 3, 1), 31);
    EXPECT_EQ(daPriorDayInMonth(2012, 2, 1), 29);
    EXPECT_EQ(Date(1899, 12, 30), 0);
    EXPECT_EQ(Date(2000, 1, 1), 36526);
    EXPECT_EQ(daGetDateOrder(u"yyyy-mm-dd"), doYMD);
    EXPECT_EQ(daGetDateOrder(u"D.M.Y"), doDMY);
    EXPECT_EQ(daGetDateOrder(u"--"), doMDY);
}

TEST_F(DateText, NumbersAsTypedAndAsDisplayed) {
    struct {
        const char16_t* Text;
        bool Integer;
    } const Ints[] = {{u"", true}, {u"-", false}, {u"-12", true}, {u"1-2", false}, {u"12a", false}, {u"007", true}};
    for (const auto& C : Ints)
        EXPECT_EQ(daIsValidInteger(C.Text), C.Integer) << StringToUtf8(C.Text);
    EXPECT_TRUE(daIsValidFloat(u""));
    EXPECT_TRUE(daIsValidFloat(u"1.5e3"));
    EXPECT_FALSE(daIsValidFloat(u"1.5x"));

    struct {
        const char16_t* Text;
        const char16_t* Format;
        bool Ok;
        double Value;
    } const Shown[] = {
        {u"(1,234.50)", u"", true, -1234.5},
        {u"$1,234.50", u"", true, 1234.5},
        {u"-$12.00", u"", true, -12},
        {u"1.5E+3", u"", true, 1500},
        {u"", u"", true, 0},
        {u"abc", u"", false, 0},
        // A format that shows negatives in brackets without a sign.
        {u"[12.00]", u"0.00;[0.00]", true, -12},
        {u"12.00", u"0.00;[0.00]", true, 12},
    };
    for (const auto& C : Shown) {
        SCOPED_TRACE(StringToUtf8(C.Text));
        double V = 99;
        EXPECT_EQ(daStrToFloatDisplay(C.Text, V, C.Format), C.Ok);
        EXPECT_DOUBLE_EQ(V, C.Value);
    }
    FormatSettings.DecimalSeparator = u',';
    FormatSettings.ThousandSeparator = u'.';
    double V;
    ASSERT_TRUE(daStrToFloatDisplay(u"1.234,5 €", V, u""));
    EXPECT_DOUBLE_EQ(V, 1234.5);
}

TEST_F(DateText, CaretPartsAndTheirSelection) {
    struct {
        const char16_t* Format;
        const char16_t* Text;
        bool TimeOnly;
        int Caret;
        int Part;
        int SelStart, SelLength;
    } const Cases[] = {
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 0, dtpDay, 0, 2},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 4, dtpMonth, 3, 2},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 8, dtpYear, 6, 4},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 11, dtpHour, 11, 2},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 15, dtpMinute, 14, 2},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 18, dtpSecond, 17, 2},
        {u"dd/mm/yyyy", u"03/04/2020 10:30:15 PM", false, 21, dtpAmPm, 20, 2},
        {u"mm/dd/yyyy", u"04/03/2020", false, 1, dtpMonth, 0, 2},
        {u"mm/dd/yyyy", u"04/03/2020", false, 10, dtpYear, 6, 4}, // a date alone has no time part
        {u"yyyy/mm/dd", u"2020/04/03", false, 9, dtpDay, 8, 2},
        {u"dd/mm/yyyy", u"10:30", true, 4, dtpMinute, 3, 2},
    };
    TEdit Edit(nullptr);
    for (const auto& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Text) + " caret " + std::to_string(C.Caret));
        FormatSettings.ShortDateFormat = C.Format;
        const int Part = daGetDateTimePartAt(C.Caret, C.Text, C.TimeOnly);
        EXPECT_EQ(Part, C.Part);
        Edit.SetText(C.Text);
        daSelectDateTimePart(Part, &Edit, C.TimeOnly);
        EXPECT_EQ(Edit.SelStart(), C.SelStart);
        EXPECT_EQ(Edit.SelLength(), C.SelLength);
    }
    EXPECT_EQ(daGetTimePartAt(0, u"10:30"), dtpHour);
    EXPECT_EQ(daGetTimePartAt(4, u"10:30"), dtpMinute);
    // No date in the text: a time part selects nothing.
    Edit.SetText(u"nonsense");
    daSelectDateTimePart(dtpHour, &Edit, false);
    EXPECT_EQ(Edit.SelLength(), 0);
}
