#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"

#include <gtest/gtest.h>

#include <iomanip>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>

namespace {

String ConvertErrorOf(const std::function<void()>& Fn) {
    try {
        Fn();
    } catch (const EConvertError& E) {
        return E.Message();
    }
    return String();
}

struct Stamp {
    Word Y, Mo, D, H, Mi, S, MS;
    bool operator==(const Stamp&) const = default;
};

std::ostream& operator<<(std::ostream& Os, const Stamp& T) {
    return Os << T.Y << "-" << T.Mo << "-" << T.D << " " << T.H << ":" << T.Mi << ":" << T.S << "." << T.MS;
}

Stamp Decoded(TDateTime DT) {
    Stamp T;
    DecodeDateTime(DT, T.Y, T.Mo, T.D, T.H, T.Mi, T.S, T.MS);
    return T;
}

// A date-time from its parts, before 1899-12-30 with the time subtracted.
TDateTime Make(int Y, int Mo, int D, int H = 0, int Mi = 0, int S = 0, int MS = 0) {
    const TDateTime Day = EncodeDate(Y, Mo, D), T = EncodeTime(H, Mi, S, MS);
    return Day < 0 ? Day - T : Day + T;
}

int ThisYear() {
    Word Y, M, D;
    DecodeDate(Now(), Y, M, D);
    return Y;
}

String Str(int V) {
    return IntToStr(V);
}

} // namespace

TEST(DateTime, EncodeAndDecodeDatesAcrossLeapYearsAndBefore1899) {
    struct Case {
        int Y, M, D;
        double Serial;
        int DayOfWeek;
    } Cases[] = {
        {1, 1, 1, -693593, 2},    {1600, 2, 29, -109512, 3},  {1700, 3, 1, -72987, 2},
        {1800, 5, 17, -36386, 7}, {1899, 12, 29, -1, 6},      {1899, 12, 30, 0, 7},
        {1899, 12, 31, 1, 1},     {1900, 2, 28, 60, 4},       {1900, 3, 1, 61, 5},
        {1970, 1, 1, 25569, 5},   {2000, 2, 29, 36585, 3},    {2000, 3, 1, 36586, 4},
        {2024, 2, 29, 45351, 5},  {9999, 12, 31, 2958465, 6},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Y << "-" << C.M << "-" << C.D);
        EXPECT_EQ(EncodeDate(C.Y, C.M, C.D), C.Serial);
        TDateTime T = -1e9;
        EXPECT_TRUE(TryEncodeDate(C.Y, C.M, C.D, T));
        EXPECT_EQ(T, C.Serial);
        Word Y, M, D;
        DecodeDate(C.Serial, Y, M, D);
        EXPECT_EQ(Stamp({Y, M, D, 0, 0, 0, 0}), Stamp({Word(C.Y), Word(C.M), Word(C.D), 0, 0, 0, 0}));
        EXPECT_EQ(DayOfWeek(C.Serial), C.DayOfWeek);
        EXPECT_EQ(DayOfWeek(C.Serial + (C.Serial < 0 ? -0.75 : 0.75)), C.DayOfWeek); // same day at 18:00
    }
}

TEST(DateTime, InvalidDatesAndTimesRaise) {
    struct Case {
        int Y, M, D;
    } Dates[] = {{1900, 2, 29}, {2023, 2, 29}, {0, 1, 1},    {10000, 1, 1}, {2024, 13, 1},
                 {2024, 0, 1},  {2024, 4, 31}, {2024, 1, 0}, {2024, 1, -1}, {-5, 1, 1}};
    for (const Case& C : Dates) {
        TDateTime T = 42;
        EXPECT_FALSE(TryEncodeDate(C.Y, C.M, C.D, T));
        EXPECT_EQ(T, 42);
        EXPECT_EQ(ConvertErrorOf([&] { EncodeDate(C.Y, C.M, C.D); }), u"Invalid argument to date encode");
    }
    struct TimeCase {
        int H, M, S, MS;
    } Times[] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}};
    for (const TimeCase& C : Times) {
        TDateTime T = 42;
        EXPECT_FALSE(TryEncodeTime(C.H, C.M, C.S, C.MS, T));
        EXPECT_EQ(ConvertErrorOf([&] { EncodeTime(C.H, C.M, C.S, C.MS); }),
                  u"Invalid argument to time encode");
    }
    for (double Bad : {std::nan(""), 2958466.0, -693594.0, 1e300})
        EXPECT_THROW(Decoded(Bad), EConvertError) << Bad;
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    for (int Y : {1600, 2000, 2024, 4})
        EXPECT_TRUE(IsLeapYear(Y)) << Y;
    for (int Y : {1700, 1900, 2100, 2023})
        EXPECT_FALSE(IsLeapYear(Y)) << Y;
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 4), 30);
    EXPECT_EQ(DaysInMonth(2024, 12), 31);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
    EXPECT_EQ(DaysInMonth(EncodeDate(2000, 2, 10) + 0.5), 29);
}

TEST(DateTime, TimesAndNegativeDateTimesDecode) {
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    struct Case {
        TDateTime DT;
        Stamp Expected;
    } Cases[] = {
        {0.5, {1899, 12, 30, 12, 0, 0, 0}},
        {-0.5, {1899, 12, 30, 12, 0, 0, 0}}, // the day is the whole part, the time positive
        {-1.25, {1899, 12, 29, 6, 0, 0, 0}},
        {-36386 - EncodeTime(13, 14, 15, 16), {1800, 5, 17, 13, 14, 15, 16}},
        {45351 + EncodeTime(23, 59, 59, 999), {2024, 2, 29, 23, 59, 59, 999}},
        {1 - 1e-10, {1899, 12, 31, 0, 0, 0, 0}},  // rounds up to midnight: the next day
        {-2 + 1e-10, {1899, 12, 30, 0, 0, 0, 0}}, // 1899-12-29 at almost 24:00: the next day too
        {-693593.5, {1, 1, 1, 12, 0, 0, 0}},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Decoded(C.DT), C.Expected) << C.DT;
        Word H, M, S, MS;
        DecodeTime(C.DT, H, M, S, MS);
        EXPECT_EQ(Stamp({0, 0, 0, H, M, S, MS}),
                  Stamp({0, 0, 0, C.Expected.H, C.Expected.Mi, C.Expected.S, C.Expected.MS}));
    }
    // Every millisecond value survives encode and decode.
    for (int MS = 0; MS < 86400000; MS += 86400000 / 997 + 1) {
        const int H = MS / 3600000, Mi = MS / 60000 % 60, S = MS / 1000 % 60, Z = MS % 1000;
        EXPECT_EQ(Decoded(Make(1850, 6, 1, H, Mi, S, Z)),
                  Stamp({1850, 6, 1, Word(H), Word(Mi), Word(S), Word(Z)}));
        EXPECT_EQ(Decoded(Make(2050, 6, 1, H, Mi, S, Z)),
                  Stamp({2050, 6, 1, Word(H), Word(Mi), Word(S), Word(Z)}));
    }
}

TEST(DateTime, IncMonthClampsTheDayAndKeepsTheTime) {
    struct Case {
        TDateTime From;
        int Months;
        TDateTime Expected;
    } Cases[] = {
        {Make(2024, 1, 31), 1, Make(2024, 2, 29)},
        {Make(2023, 1, 31), 1, Make(2023, 2, 28)},
        {Make(2024, 3, 31), -1, Make(2024, 2, 29)},
        {Make(2024, 12, 15), 1, Make(2025, 1, 15)},
        {Make(2024, 1, 15), -13, Make(2022, 12, 15)},
        {Make(2024, 2, 29), 12, Make(2025, 2, 28)},
        {Make(2024, 5, 10, 7, 30), 0, Make(2024, 5, 10, 7, 30)},
        {Make(2024, 1, 31, 18, 30), 1, Make(2024, 2, 29, 18, 30)},
        {Make(1800, 5, 17, 13, 14), 1, Make(1800, 6, 17, 13, 14)},
        {Make(1899, 12, 29, 6), 2, Make(1900, 2, 28, 6)}, // from negative to positive
        {Make(1900, 1, 31, 6), -1, Make(1899, 12, 31, 6)},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Decoded(IncMonth(C.From, C.Months)), Decoded(C.Expected))
            << Decoded(C.From) << " + " << C.Months;
    EXPECT_EQ(Decoded(IncMonth(Make(2024, 1, 31))), Decoded(Make(2024, 2, 29)));
    EXPECT_THROW(IncMonth(Make(9999, 12, 1), 1), EConvertError);
    EXPECT_THROW(IncMonth(Make(1, 1, 1), -1), EConvertError);
}

TEST(DateTime, FormatDateTimeSpecifiers) {
    const TDateTime Afternoon = Make(2024, 3, 5, 14, 7, 9, 45); // a Tuesday
    const TDateTime Morning = Make(2024, 11, 23, 9, 5, 3, 7);   // a Saturday
    const TDateTime Midnight = Make(2024, 3, 5);
    const TDateTime Noon = Make(2024, 3, 5, 12);
    struct Case {
        const char16_t* Fmt;
        TDateTime DT;
        String Expected;
    } Cases[] = {
        {u"d dd ddd dddd", Afternoon, u"5 05 Tue Tuesday"},
        {u"ddddd", Afternoon, u"5.3.2024"},
        {u"dddddd", Afternoon, u"Tuesday, 5. March 2024"},
        {u"m mm mmm mmmm", Morning, u"11 11 Nov November"},
        {u"y yy yyy yyyy", Afternoon, u"24 24 2024 2024"},
        {u"h hh n nn s ss z zzz", Morning, u"9 09 5 05 3 03 7 007"},
        {u"h:m", Afternoon, u"14:7"}, // m after h: minutes
        {u"hh:mm:ss", Morning, u"09:05:03"},
        {u"hh:nn m", Afternoon, u"14:07 3"}, // not right after h: the month
        {u"HH:MM DD.MM.YYYY", Morning, u"09:05 23.11.2024"},
        {u"t | tt", Afternoon, u"14:07 | 14:07:09"},
        {u"c", Afternoon, u"5.3.2024 14:07:09"},
        {u"c", Midnight, u"5.3.2024"},          // no time at midnight
        {u"", Afternoon, u"5.3.2024 14:07:09"}, // empty is "c"
        {u"h am/pm", Afternoon, u"2 pm"},
        {u"h AM/PM", Morning, u"9 AM"},
        {u"h Am/pM", Afternoon, u"2 pM"}, // the case written
        {u"hh a/p", Afternoon, u"02 p"},
        {u"h A/P", Morning, u"9 A"},
        {u"h ampm", Afternoon, u"2 PM"},
        {u"h:nn am/pm", Midnight, u"12:00 am"},
        {u"h:nn am/pm", Noon, u"12:00 pm"},
        {u"h 'am/pm'", Afternoon, u"14 am/pm"}, // quoted: no 12-hour clock
        {u"yyyy/mm/dd hh:nn", Afternoon, u"2024.03.05 14:07"},
        {u"'d' d \"mm\" mm 'it''s'", Afternoon, u"d 5 mm 03 its"},
        {u"d 'open", Afternoon, u"5 open"},
        {u"d-m, x!", Afternoon, u"5-3, x!"},
        {u"yyyy-mm-dd hh:nn:ss.zzz", -1.25, u"1899-12-29 06:00:00.000"},
        {u"yyyy-mm-dd hh:nn:ss.zzz ddd", Make(1800, 5, 17, 13, 14, 15, 16), u"1800-05-17 13:14:15.016 Sat"},
        {u"yyyy-mm-dd", Make(1, 1, 1), u"0001-01-01"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FormatDateTime(C.Fmt, C.DT), C.Expected) << StringToUtf8(C.Fmt);

    EXPECT_EQ(DateToStr(Afternoon), u"5.3.2024");
    EXPECT_EQ(TimeToStr(Afternoon), u"14:07:09");
    EXPECT_EQ(DateTimeToStr(Afternoon), u"5.3.2024 14:07:09");
    EXPECT_THROW(FormatDateTime(u"d", std::nan("")), EConvertError);
}

TEST(DateTime, FormatDateTimeReadsTheGivenSettings) {
    const TDateTime DT = Make(2024, 3, 5, 14, 7, 9);
    TFormatSettings FS;
    FS.DateSeparator = u'-';
    FS.TimeSeparator = u'.';
    FS.ShortDateFormat = u"yyyy/mm/dd";
    FS.LongTimeFormat = u"hh:nn";
    FS.LongMonthNames[2] = u"März";
    FS.ShortDayNames[2] = u"Di";
    FS.TimePMString = u"nachm.";
    EXPECT_EQ(FormatDateTime(u"c", DT, FS), u"2024-03-05 14.07");
    EXPECT_EQ(FormatDateTime(u"ddd d. mmmm", DT, FS), u"Di 5. März");
    EXPECT_EQ(FormatDateTime(u"h:nn ampm", DT, FS), u"2.07 nachm.");
    EXPECT_EQ(DateToStr(DT, FS), u"2024-03-05");
    EXPECT_EQ(TimeToStr(DT, FS), u"14.07");
    EXPECT_EQ(DateTimeToStr(DT, FS), u"2024-03-05 14.07");
    // A format that names itself stops after two levels instead of recursing forever.
    FS.ShortDateFormat = u"[c]";
    FS.LongTimeFormat = u"hh";
    EXPECT_EQ(FormatDateTime(u"ddddd", DT, FS), u"[[ ] 14]");
}

TEST(DateTime, StrToDateFollowsTheShortDateFormat) {
    const int Y = ThisYear();
    TFormatSettings Mdy, Ymd, Blank, Window0;
    Mdy.ShortDateFormat = u"m/d/yyyy";
    Mdy.DateSeparator = u'/';
    Ymd.ShortDateFormat = u"yyyy-mm-dd";
    Ymd.DateSeparator = u'-';
    Blank.ShortDateFormat = u"dd mm yyyy";
    Blank.DateSeparator = u' ';
    Window0.TwoDigitYearCenturyWindow = 0;
    const TFormatSettings Default;
    struct Case {
        String S;
        const TFormatSettings* FS;
        std::optional<TDateTime> Expected;
    } Cases[] = {
        {u"5.3.2024", &Default, Make(2024, 3, 5)},
        {u" 05 . 03 . 2024 ", &Default, Make(2024, 3, 5)},
        {u"29.2.2024", &Default, Make(2024, 2, 29)},
        {u"17.5.1800", &Default, Make(1800, 5, 17)},
        {u"5.3.0999", &Default, Make(999, 3, 5)}, // four digits: taken as written
        {u"5.3.999", &Default, Make(999, 3, 5)},
        {u"5.3", &Default, Make(Y, 3, 5)},                             // no year: this year
        {u"1.1." + Str((Y - 50) % 100), &Default, Make(Y - 50, 1, 1)}, // the window's ends
        {u"1.1." + Str((Y + 49) % 100), &Default, Make(Y + 49, 1, 1)},
        {u"1.1." + Str(Y % 100), &Window0, Make(Y, 1, 1)},
        {u"1.1.99", &Window0, Make(Y / 100 * 100 + 99, 1, 1)},
        {u"3/5/2024", &Mdy, Make(2024, 3, 5)},
        {u"3/5", &Mdy, Make(Y, 3, 5)},
        {u"2024-03-05", &Ymd, Make(2024, 3, 5)},
        {u"05 03 2024", &Blank, Make(2024, 3, 5)},
        {u"29.2.2023", &Default, std::nullopt},
        {u"5/3/2024", &Default, std::nullopt},
        {u"5.3.2024x", &Default, std::nullopt},
        {u"5.3.2024 12:00", &Default, std::nullopt},
        {u"5..2024", &Default, std::nullopt},
        {u"5.3.", &Default, std::nullopt},
        {u"12345.1.2024", &Default, std::nullopt},
        {u"5.3.10000", &Default, std::nullopt},
        {u"0.3.2024", &Default, std::nullopt},
        {u"", &Default, std::nullopt},
        {u"5", &Default, std::nullopt},
        {u"2024-03-05", &Default, std::nullopt},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.S));
        TDateTime V = -1;
        EXPECT_EQ(TryStrToDate(C.S, V, *C.FS), C.Expected.has_value());
        if (C.Expected) {
            EXPECT_EQ(V, *C.Expected);
            EXPECT_EQ(StrToDate(C.S, *C.FS), *C.Expected);
        } else {
            EXPECT_EQ(StrToDateDef(C.S, -7, *C.FS), -7);
            EXPECT_EQ(ConvertErrorOf([&] { StrToDate(C.S, *C.FS); }), u"'" + C.S + u"' is not a valid date");
        }
    }
    EXPECT_EQ(StrToDate(u"5.3.2024"), Make(2024, 3, 5)); // the global settings
    EXPECT_EQ(StrToDateDef(u"x", 3), 3);
}

TEST(DateTime, StrToTimeAndStrToDateTime) {
    TFormatSettings Dots;
    Dots.TimeSeparator = u'.';
    Dots.DecimalSeparator = u',';
    Dots.TimeAMString = u"vorm.";
    const TFormatSettings Default;
    struct Case {
        String S;
        const TFormatSettings* FS;
        std::optional<TDateTime> Time, DateTime;
    } Cases[] = {
        {u"14:07", &Default, Make(1899, 12, 30, 14, 7), Make(1899, 12, 30, 14, 7)}, // a time alone
        {u" 14 : 07 : 09 ", &Default, Make(1899, 12, 30, 14, 7, 9), Make(1899, 12, 30, 14, 7, 9)},
        {u"14:07:09.5", &Default, EncodeTime(14, 7, 9, 500), EncodeTime(14, 7, 9, 500)},
        {u"14:07:09.045", &Default, EncodeTime(14, 7, 9, 45), EncodeTime(14, 7, 9, 45)},
        {u"14", &Default, EncodeTime(14, 0, 0, 0), EncodeTime(14, 0, 0, 0)}, // no date: a time
        {u"2:07 PM", &Default, EncodeTime(14, 7, 0, 0), EncodeTime(14, 7, 0, 0)},
        {u"12:00 am", &Default, 0.0, 0.0},
        {u"12:30 pm", &Default, EncodeTime(12, 30, 0, 0), EncodeTime(12, 30, 0, 0)},
        {u"9.15 vorm.", &Dots, EncodeTime(9, 15, 0, 0), EncodeTime(9, 15, 0, 0)},
        {u"9.15.30,25", &Dots, EncodeTime(9, 15, 30, 250), EncodeTime(9, 15, 30, 250)},
        {u"5.3.2024 14:07:09", &Default, std::nullopt, Make(2024, 3, 5, 14, 7, 9)},
        {u"5.3.2024", &Default, std::nullopt, Make(2024, 3, 5)},
        {u"5.3.2024  2:07 pm ", &Default, std::nullopt, Make(2024, 3, 5, 14, 7)},
        {u"17.5.1800 13:14:15", &Default, std::nullopt, Make(1800, 5, 17, 13, 14, 15)},
        {u"13:00 PM", &Default, std::nullopt, std::nullopt},
        {u"0:30 AM", &Default, std::nullopt, std::nullopt},
        {u"24:00", &Default, std::nullopt, std::nullopt},
        {u"14:60", &Default, std::nullopt, std::nullopt},
        {u"14:07:60", &Default, std::nullopt, std::nullopt},
        {u"14:", &Default, std::nullopt, std::nullopt},
        {u"14:07:09.1234", &Default, std::nullopt, std::nullopt},
        {u"14:07:09.", &Default, std::nullopt, std::nullopt},
        {u"14:07 x", &Default, std::nullopt, std::nullopt},
        {u"14.07", &Default, std::nullopt, Make(ThisYear(), 7, 14)}, // a date without its year
        {u"", &Default, std::nullopt, std::nullopt},
        {u"5.3.2024 25:00", &Default, std::nullopt, std::nullopt},
        {u"5.3.2024 14:07 x", &Default, std::nullopt, std::nullopt},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.S));
        TDateTime V = -1;
        EXPECT_EQ(TryStrToTime(C.S, V, *C.FS), C.Time.has_value());
        if (C.Time) {
            EXPECT_NEAR(V, *C.Time, 1e-12);
            EXPECT_NEAR(StrToTime(C.S, *C.FS), *C.Time, 1e-12);
        } else {
            EXPECT_EQ(StrToTimeDef(C.S, -7, *C.FS), -7);
            EXPECT_EQ(ConvertErrorOf([&] { StrToTime(C.S, *C.FS); }), u"'" + C.S + u"' is not a valid time");
        }
        EXPECT_EQ(TryStrToDateTime(C.S, V, *C.FS), C.DateTime.has_value());
        if (C.DateTime) {
            EXPECT_NEAR(V, *C.DateTime, 1e-9);
            EXPECT_NEAR(StrToDateTime(C.S, *C.FS), *C.DateTime, 1e-9);
        } else {
            EXPECT_EQ(StrToDateTimeDef(C.S, -7, *C.FS), -7);
            EXPECT_EQ(ConvertErrorOf([&] { StrToDateTime(C.S, *C.FS); }),
                      u"'" + C.S + u"' is not a valid date and time");
        }
    }
    EXPECT_NEAR(StrToTime(u"6:00"), 0.25, 1e-12);
    EXPECT_NEAR(StrToDateTime(u"30.12.1899 6:00"), 0.25, 1e-12);
    EXPECT_EQ(StrToTimeDef(u"x", 3), 3);
    EXPECT_EQ(StrToDateTimeDef(u"x", 3), 3);
}

TEST(DateTime, TextRoundTripsToTheMillisecond) {
    TFormatSettings FS;
    FS.LongTimeFormat = u"hh:nn:ss.zzz";
    for (TDateTime DT :
         {Make(2024, 2, 29, 23, 59, 59, 999), Make(1800, 5, 17, 13, 14, 15, 16), Make(1, 1, 1, 0, 0, 0, 1),
          Make(9999, 12, 31, 12), Make(1899, 12, 29, 6), Make(1970, 1, 1)}) {
        const String Text = DateTimeToStr(DT, FS);
        EXPECT_EQ(Decoded(StrToDateTime(Text, FS)), Decoded(DT)) << StringToUtf8(Text);
    }
}

class UnixTime : public testing::Test {
protected:
    // A fixed zone with summer time, written as a rule so that no zone database is needed.
    void SetUp() override {
        if (const char* Old = std::getenv("TZ")) FOldTZ = Old;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        if (FOldTZ)
            setenv("TZ", FOldTZ->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> FOldTZ;
};

TEST_F(UnixTime, ConvertsBetweenPosixTimeAndLocalDateTime) {
    struct Case {
        Int64 Seconds;
        TDateTime Local;
    } Cases[] = {
        {0, Make(1970, 1, 1, 1)},           // winter: UTC+1
        {1719792000, Make(2024, 7, 1, 2)},  // summer: UTC+2
        {1711846800, Make(2024, 3, 31, 3)}, // the first summer-time second
        {-2208988800, Make(1900, 1, 1, 1)},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Decoded(UnixTimeToDateTime(C.Seconds)), Decoded(C.Local)) << C.Seconds;
        EXPECT_EQ(DateTimeToUnixTime(C.Local), C.Seconds);
    }
    EXPECT_EQ(Decoded(UnixTimeToDateTime(0, 250000000)), Stamp({1970, 1, 1, 1, 0, 0, 250}));
    EXPECT_EQ(DateTimeToUnixTime(Make(1970, 1, 1, 1, 0, 0, 600)), 1); // to the nearest second
    EXPECT_EQ(DateTimeToUnixTime(Make(1800, 5, 17, 13, 14, 15)), -5352867945);
}

TEST(DateTime, TheClock) {
    // time() may read a coarser clock than Now(): allow the bounds a few milliseconds.
    const double Slack = 0.005 / 86400;
    const TDateTime Before = UnixTimeToDateTime(std::time(nullptr));
    const TDateTime N = Now(), D = Date(), T = Time();
    const TDateTime After = UnixTimeToDateTime(std::time(nullptr) + 1);
    EXPECT_GE(N, Before - Slack) << std::setprecision(17) << N << " " << Before;
    EXPECT_LE(N, After + Slack) << std::setprecision(17) << N << " " << After;
    EXPECT_EQ(D, std::trunc(D));
    EXPECT_LE(D, N);
    EXPECT_LT(N - D, 1.0 + 2.0 / 86400); // a midnight may pass between the calls
    EXPECT_GE(T, 0.0);
    EXPECT_LT(T, 1.0);
}

TEST(DateTime, NowReadsAClockSetInItsPlace) {
    const TDateTime Fixed = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 0);
    SetNowOverride([&] { return Fixed; });
    EXPECT_EQ(Now(), Fixed);
    EXPECT_EQ(Date(), EncodeDate(2026, 3, 7));
    SetNowOverride(nullptr);
    EXPECT_NE(Now(), Fixed);
}

TEST(DateTime, AClockSourceAnswersNowDateAndTimeUntilItIsCleared) {
    TDateTime Clock = Make(2026, 6, 15, 9, 30);
    SetNowOverride([&] { return Clock; });
    EXPECT_EQ(Decoded(Now()), Decoded(Make(2026, 6, 15, 9, 30)));
    EXPECT_EQ(Decoded(Date()), Decoded(Make(2026, 6, 15)));
    Clock += 1.5; // the caller advances it
    EXPECT_EQ(Decoded(Now()), Decoded(Make(2026, 6, 16, 21, 30)));
    EXPECT_NEAR(Time(), 0.89583333, 1e-6);
    SetNowOverride({});
    EXPECT_GT(Now(), Make(2020, 1, 1)); // the system clock again
}
