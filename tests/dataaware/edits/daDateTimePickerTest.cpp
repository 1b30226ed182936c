// The date-time picker: the parts of its text, typing, stepping with keys, its limits, the
// drop-down calendar and its placement, and a field bound through both datasets.
#include "dataaware/edits/daDateTimePicker.h"

#include "dataaware/foundation/daIntl.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Format.h"
#include "platform/data/MemDataSet.h"
#include "platform/gui/Clipboard.h"
#include "platform/data/SQLiteDataSet.h"
#include "platform/gui/Forms.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TDateTime D(int Y, int M, int Day, int H = 0, int Mi = 0, int S = 0) {
    return EncodeDate(Y, M, Day) + EncodeTime(H, Mi, S, 0);
}

std::string Stamp(TDateTime V) {
    return U8(FormatDateTime(u"yyyy-mm-dd hh:nn:ss", V));
}

// A picker on a shown form, in an English locale with "/" between the parts of a date and
// today fixed at 2026-06-15 10:00.
class Picker : public ::testing::Test {
protected:
    void SetUp() override {
        Saved = FormatSettings;
        FormatSettings.ShortDateFormat = u"M/d/yyyy";
        FormatSettings.LongDateFormat = u"dddd, mmmm d, yyyy";
        FormatSettings.DateSeparator = u'/';
        FormatSettings.ShortTimeFormat = u"h:nn";
        FormatSettings.LongTimeFormat = u"h:nn:ss";
        FormatSettings.FirstDayOfWeek = 0;
        SetNowOverride([] { return EncodeDate(2026, 6, 15) + EncodeTime(10, 0, 0, 0); });
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(100, 100, 300, 120);
        P = new TdaDBDateTimePicker(Form.get());
        P->SetParent(Form.get());
        P->SetBounds(10, 10, 160, 24);
        Other = new TEdit(Form.get());
        Other->SetParent(Form.get());
        Other->SetBounds(10, 60, 100, 24);
        Form->Show();
    }
    void TearDown() override {
        Form.reset();
        SetNowOverride({});
        FormatSettings = Saved;
    }
    // Enters the picker afresh (the form gave it the focus when it showed).
    void Focus() {
        Other->SetFocus();
        P->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return P->Focused(); }));
    }
    // Keys: digits and letters as themselves, and the names in braces.
    void Type(const std::string& Keys) {
        for (size_t I = 0; I < Keys.size(); ++I) {
            if (Keys[I] == '{') {
                const size_t End = Keys.find('}', I);
                const std::string Name = Keys.substr(I + 1, End - I - 1);
                I = End;
                static const std::map<std::string, Word> Named = {
                    {"up", VK_UP},     {"down", VK_DOWN}, {"home", VK_HOME}, {"end", VK_END},   {"left", VK_LEFT},
                    {"right", VK_RIGHT}, {"del", VK_DELETE}, {"bs", VK_BACK}, {"esc", VK_ESCAPE}, {"enter", VK_RETURN},
                    {"f4", VK_F4},     {"slash", VK_OEM_2}, {"space", VK_SPACE}};
                KeyMessages(P, Named.at(Name));
            } else
                KeyMessages(P, Word(Keys[I]));
        }
    }
    TFormatSettings Saved;
    std::unique_ptr<TForm> Form;
    TdaDBDateTimePicker* P = nullptr;
    TEdit* Other = nullptr;
};

struct TPartCase {
    const char* Name;
    const char16_t* Format;
    TdaDTEditDataType Kind;
    TDateTime Value;
    std::vector<std::string> Parts; // token@start+length
    const char16_t* Shown;
};

} // namespace

TEST_F(Picker, ReadsTheFormatIntoPartsThatMatchTheShownText) {
    const TPartCase Cases[] = {
        {"DayMonthYear", u"dd/MM/yyyy", daDTEdtDate, D(2024, 2, 10), {"dd@0+2", "mm@3+2", "yyyy@6+4"}, u"10/02/2024"},
        {"MinutesAfterAnHour", u"h:mm", daDTEdtTime, D(1899, 12, 30, 9, 5) + 0, {"h@0+1", "nn@2+2"}, u"9:05"},
        {"MonthWithoutAnHour", u"mm/dd", daDTEdtDate, D(2024, 3, 7), {"mm@0+2", "dd@3+2"}, u"03/07"},
        {"YearFirst", u"yyyy/M/d", daDTEdtDate, D(2024, 3, 7), {"yyyy@0+4", "m@5+1", "d@7+1"}, u"2024/3/7"},
        {"AmPmMarker", u"hh:nn am/pm", daDTEdtTime, EncodeTime(14, 5, 0, 0), {"hh@0+2", "nn@3+2", "am/pm@6+2"},
         u"02:05 pm"},
        {"Names", u"ddd, mmmm d", daDTEdtDate, D(2024, 3, 9), {"ddd@0+3", "mmmm@5+5", "d@11+1"}, u"Sat, March 9"},
        {"TimeTokensDoNotCountOnADatePicker", u"M/d/yyyy h:nn", daDTEdtDate, D(2024, 3, 9, 8, 30),
         {"m@0+1", "d@2+1", "yyyy@4+4"}, u"3/9/2024 8:30"},
        {"ShortDefault", u"", daDTEdtDateTime, D(2024, 3, 9, 8, 30),
         {"m@0+1", "d@2+1", "yyyy@4+4", "h@9+1", "nn@11+2", "ss@14+2"}, u"3/9/2024 8:30:00"},
    };
    for (const TPartCase& C : Cases) {
        P->SetUnboundDataType(C.Kind);
        P->SetDisplayFormat(C.Format);
        P->SetDateTime(C.Value);
        std::vector<std::string> Parts;
        for (int I = 1; I <= P->CountFormatParts(P->GetEffectiveFormat(true)); ++I) {
            const TdaDTPartInfo Info = P->GetPartInfo(I, C.Value);
            Parts.push_back(U8(Info.Token) + "@" + std::to_string(Info.Start) + "+" + std::to_string(Info.Length));
            EXPECT_EQ(U8(Info.TextUpTo), U8(Copy(P->Text(), 1, Info.Start + Info.Length))) << C.Name;
        }
        EXPECT_EQ(Parts, C.Parts) << C.Name;
        EXPECT_EQ(U8(P->Text()), U8(C.Shown)) << C.Name;
        P->SetDateTime(0);
    }
}

TEST_F(Picker, TheShortFormatHidesTheTimeAtMidnight) {
    P->SetDateTime(D(2024, 3, 9));
    EXPECT_EQ(U8(P->Text()), "3/9/2024");
    EXPECT_EQ(P->CountFormatParts(P->GetEffectiveFormat(true)), 6);
    EXPECT_EQ(P->VisiblePartCount(), 3);
    EXPECT_FALSE(P->AllPartsVisible());
    P->SetDateFormat(dfLong);
    EXPECT_EQ(U8(P->Text()), "Saturday, March 9, 2024");
    P->SetDateTime(D(2024, 3, 9, 10, 30));
    EXPECT_EQ(U8(P->Text()), "Saturday, March 9, 2024 10:30:00");
}

struct TTypeCase {
    const char* Name;
    const char16_t* Format;
    TdaDTEditDataType Kind;
    TDateTime Value;
    int Part;
    std::string Keys;
    std::string Expected;
    TDateTime Min = 0;
};

TEST_F(Picker, TypingDigitsAndLettersChangesTheCurrentPart) {
    const TTypeCase Cases[] = {
        {"DayThirtyOneMovesToJanuary", u"dd/MM/yyyy", daDTEdtDate, D(2024, 2, 10), 1, "31", "2024-01-31 00:00:00"},
        {"MonthTwoOnThe29thFindsALeapYear", u"MM/dd/yyyy", daDTEdtDate, D(2023, 3, 29), 1, "2",
         "2024-02-29 00:00:00"},
        {"FourCompletesTheDay", u"dd/MM/yyyy", daDTEdtDate, D(2024, 2, 10), 1, "4", "2024-02-04 00:00:00"},
        {"ThirtyTwoIsRefused", u"dd/MM/yyyy", daDTEdtDate, D(2024, 3, 10), 1, "32{enter}", "2024-03-03 00:00:00"},
        {"EveningHour", u"h:nn am/pm", daDTEdtTime, EncodeTime(14, 0, 0, 0), 1, "09", "1899-12-30 21:00:00"},
        {"Noon", u"h:nn am/pm", daDTEdtTime, EncodeTime(14, 0, 0, 0), 1, "12", "1899-12-30 12:00:00"},
        {"MidnightFromTheMorning", u"h:nn am/pm", daDTEdtTime, EncodeTime(9, 0, 0, 0), 1, "12",
         "1899-12-30 00:00:00"},
        {"TwoDigitYearInTheEpoch", u"d/M/yy", daDTEdtDate, D(2000, 5, 5), 3, "49", "2049-05-05 00:00:00"},
        {"DecadeBeforeTheMinimumIsRefused", u"d/M/yy", daDTEdtDate, D(2000, 5, 5), 3, "5{enter}",
         "2000-05-05 00:00:00", D(1990, 1, 1)},
        {"DecadeAfterTheMinimum", u"d/M/yy", daDTEdtDate, D(2000, 5, 5), 3, "95", "1995-05-05 00:00:00",
         D(1990, 1, 1)},
        {"FourDigitYear", u"d/M/yyyy", daDTEdtDate, D(2000, 5, 5), 3, "1987", "1987-05-05 00:00:00"},
        {"FourDigitYearCommittedEarly", u"d/M/yyyy", daDTEdtDate, D(2000, 5, 5), 3, "19{left}",
         "2019-05-05 00:00:00"},
        {"MonthNamesCycleOnThe15th", u"d mmm yyyy", daDTEdtDate, D(2024, 1, 15), 2, "JJJ", "2024-01-15 00:00:00"},
        {"MonthNameJune", u"d mmm yyyy", daDTEdtDate, D(2024, 1, 15), 2, "J", "2024-06-15 00:00:00"},
        {"MonthNamesSkipShortMonthsOnThe31st", u"d mmm yyyy", daDTEdtDate, D(2024, 1, 31), 2, "J",
         "2024-07-31 00:00:00"},
        {"WeekdayName", u"ddd d/M/yyyy", daDTEdtDate, D(2024, 3, 13), 1, "F", "2024-03-15 00:00:00"},
        {"PmLetter", u"h:nn am/pm", daDTEdtTime, EncodeTime(9, 30, 0, 0), 3, "P", "1899-12-30 21:30:00"},
        {"DigitOnANamePartIsRefused", u"d mmm yyyy", daDTEdtDate, D(2024, 1, 15), 2, "5", "2024-01-15 00:00:00"},
    };
    for (const TTypeCase& C : Cases) {
        P->SetMinDate(0);
        P->SetUnboundDataType(C.Kind);
        P->SetDisplayFormat(C.Format);
        P->SetDateTime(C.Value);
        P->SetMinDate(C.Min);
        Focus();
        P->SetTokenPos(C.Part);
        P->SelectCurrentPart(P->DateTime());
        Type(C.Keys);
        EXPECT_EQ(Stamp(P->DateTime()), C.Expected) << C.Name;
        Other->SetFocus();
        WaitUntil([&] { return !P->Focused(); });
    }
}

TEST_F(Picker, TheFirstKeyOnAnEmptyPickerStartsFromTodayOrTheLimit) {
    struct Case {
        const char* Name;
        const char16_t* Format;
        TDateTime Min, Max;
        std::string Keys;
        std::string Expected;
    } Cases[] = {
        {"SevenIsJuly", u"", 0, 0, "7", "2026-07-15 00:00:00"},
        {"FromTheMinimum", u"", D(2030, 1, 1), 0, "1", "2030-01-01 00:00:00"},
        {"FromTheMaximum", u"", 0, D(2020, 12, 31), "{right}", "2020-12-31 00:00:00"},
        {"AStepFromNothingStaysWithinTheLimits", u"", 0, D(2020, 12, 31), "{home}", "2020-01-31 00:00:00"},
        {"MonthAndYearStartOnTheFirst", u"mmmm yyyy", 0, 0, "{right}", "2026-06-01 00:00:00"},
    };
    for (const Case& C : Cases) {
        P->SetUnboundDataType(daDTEdtDate);
        P->SetDisplayFormat(C.Format);
        P->SetMinDate(0);
        P->SetMaxDate(0);
        P->SetMinDate(C.Min);
        P->SetMaxDate(C.Max);
        P->ClearDateTime();
        Focus();
        EXPECT_EQ(U8(P->Text()), "") << C.Name;
        Type(C.Keys);
        // The starting value comes first, then the key acts on part 1.
        EXPECT_EQ(Stamp(P->DateTime()), C.Expected) << C.Name;
        Other->SetFocus();
        WaitUntil([&] { return !P->Focused(); });
    }
}

struct TStepCase {
    const char* Name;
    const char16_t* Format;
    TdaDTEditDataType Kind;
    TDateTime Value;
    int Part;
    std::string Keys;
    std::string Expected;
    int Interval = 1;
    bool Round = false;
    TDateTime Min = 0, Max = 0;
};

TEST_F(Picker, KeysStepHomeAndEndWithinWrapsAndLimits) {
    const TStepCase Cases[] = {
        {"DayWrapsUp", u"M/d/yyyy", daDTEdtDate, D(2024, 1, 31), 2, "{up}", "2024-01-01 00:00:00"},
        {"DayWrapsDown", u"M/d/yyyy", daDTEdtDate, D(2024, 1, 1), 2, "{down}", "2024-01-31 00:00:00"},
        {"DayStopsAtTheMaximum", u"M/d/yyyy", daDTEdtDate, D(2024, 1, 20), 2, "{up}", "2024-01-20 00:00:00", 1,
         false, 0, D(2024, 1, 20)},
        {"MonthLowersTheDay", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 31), 1, "{up}", "2024-04-30 00:00:00"},
        {"MonthWrapsInTheYear", u"M/d/yyyy", daDTEdtDate, D(2024, 12, 5), 1, "{up}", "2024-01-05 00:00:00"},
        {"YearOnFromTheLeapDay", u"M/d/yyyy", daDTEdtDate, D(2024, 2, 29), 3, "{up}", "2025-02-28 00:00:00"},
        {"HourWraps", u"h:nn", daDTEdtTime, EncodeTime(23, 10, 0, 0), 1, "{up}", "1899-12-30 00:10:00"},
        {"MinuteRoundsUp", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 2, "{up}", "1899-12-30 09:15:00", 15, true},
        {"MinuteRoundsDown", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 2, "{down}", "1899-12-30 09:00:00", 15,
         true},
        {"MinuteRoundsDownTwice", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 2, "{down}{down}",
         "1899-12-30 09:45:00", 15, true},
        {"MinuteWithoutRounding", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 2, "{down}", "1899-12-30 09:52:00",
         15},
        {"MinuteAnHourStepWithRounding", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 2, "{up}",
         "1899-12-30 09:00:00", 60, true},
        {"SecondWraps", u"h:nn:ss", daDTEdtTime, EncodeTime(9, 7, 0, 0), 3, "{down}", "1899-12-30 09:07:59"},
        {"AmPmToggles", u"h:nn am/pm", daDTEdtTime, EncodeTime(9, 7, 0, 0), 3, "{up}", "1899-12-30 21:07:00"},
        {"WeekdayWrapsToMonday", u"ddd M/d/yyyy", daDTEdtDate, D(2024, 3, 10), 1, "{up}", "2024-03-04 00:00:00"},
        {"WeekdayHome", u"ddd M/d/yyyy", daDTEdtDate, D(2024, 3, 13), 1, "{home}", "2024-03-11 00:00:00"},
        {"WeekdayEnd", u"ddd M/d/yyyy", daDTEdtDate, D(2024, 3, 13), 1, "{end}", "2024-03-17 00:00:00"},
        {"DayHomeInTheMinimumsMonth", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 2, "{home}", "2024-03-05 00:00:00",
         1, false, D(2024, 3, 5)},
        {"DayEnd", u"M/d/yyyy", daDTEdtDate, D(2024, 2, 10), 2, "{end}", "2024-02-29 00:00:00"},
        {"MonthEndInTheMaximumsYear", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 1, "{end}", "2024-08-20 00:00:00",
         1, false, 0, D(2024, 9, 10)},
        {"YearHomeIsTheMinimumsYear", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 3, "{home}",
         "2011-03-20 00:00:00", 1, false, D(2010, 5, 1)},
        {"HourEnd", u"h:nn", daDTEdtTime, EncodeTime(9, 7, 0, 0), 1, "{end}", "1899-12-30 23:07:00"},
        {"ShiftEndSelectsAndChangesNothing", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 1, "", "2024-03-20 00:00:00"},
        {"SlashIsIgnoredWithAutoAdvance", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 1, "{slash}{up}",
         "2024-04-20 00:00:00"},
        {"RightMovesOn", u"M/d/yyyy", daDTEdtDate, D(2024, 3, 20), 1, "{right}{up}", "2024-03-21 00:00:00"},
    };
    for (const TStepCase& C : Cases) {
        P->SetMinDate(0);
        P->SetMaxDate(0);
        P->SetUnboundDataType(C.Kind);
        P->SetDisplayFormat(C.Format);
        P->SetDateTime(C.Value);
        P->SetMinDate(C.Min);
        P->SetMaxDate(C.Max);
        P->Interval()->SetMinutesInterval(C.Interval);
        P->Interval()->RoundMinutes = C.Round;
        Focus();
        P->SetTokenPos(C.Part);
        P->SelectCurrentPart(P->DateTime());
        Type(C.Keys);
        EXPECT_EQ(Stamp(P->DateTime()), C.Expected) << C.Name;
        Other->SetFocus();
        WaitUntil([&] { return !P->Focused(); });
    }
    // Shift+End selects the whole text.
    P->SetDisplayFormat(u"M/d/yyyy");
    Focus();
    P->SetTokenPos(2);
    P->SelectCurrentPart(P->DateTime());
    KeyMessages(P, VK_END, {ssShift});
    EXPECT_EQ(P->SelStart(), 0);
    EXPECT_EQ(P->SelLength(), Length(P->Text()));
    // Without auto-advance "/" moves on.
    P->SetOptions({});
    P->SetTokenPos(1);
    P->SelectCurrentPart(P->DateTime());
    Type("{slash}");
    EXPECT_EQ(P->TokenPos(), 2);
}

TEST_F(Picker, TakesItsEpochFromTheLibrarySettingsWhenMade) {
    EXPECT_EQ(P->ExpandTwoDigitYear(49), 2049);
    TValueScope<int> Epoch(daGlobalIntl->DefaultEpochYear, 1900);
    auto* Q = new TdaDBDateTimePicker(Form.get());
    EXPECT_EQ(Q->Epoch(), 1900);
    EXPECT_EQ(Q->ExpandTwoDigitYear(49), 1949);
    EXPECT_EQ(P->Epoch(), 1950); // a picker made before keeps its own
}

TEST_F(Picker, MinutesIntervalIsKeptWithinAnHour) {
    const std::pair<int, int> Cases[] = {{0, 1}, {-5, 1}, {1, 1}, {15, 15}, {60, 60}, {61, 60}, {500, 60}};
    for (auto [Set, Kept] : Cases) {
        P->Interval()->SetMinutesInterval(Set);
        EXPECT_EQ(P->Interval()->MinutesInterval(), Kept) << Set;
    }
}

TEST_F(Picker, AValueOutsideTheLimitsIsRefusedBeforeItIsStoredOrShown) {
    P->SetUnboundDataType(daDTEdtDateTime);
    P->SetDisplayFormat(u"M/d/yyyy h:nn");
    P->SetDateTime(D(2024, 3, 9, 15, 0));
    P->SetMinDate(D(2024, 1, 1));
    P->SetMaxDate(D(2024, 12, 31));
    EXPECT_EQ(U8(ThrownMessage<EDateTimeError>([&] { P->SetDateTime(D(2025, 1, 1)); })),
              "Date exceeds maximum of 12/31/2024");
    EXPECT_EQ(U8(ThrownMessage<EDateTimeError>([&] { P->SetDateTime(D(2023, 12, 31, 23, 0)); })),
              "Date is less than minimum of 1/1/2024");
    EXPECT_EQ(Stamp(P->DateTime()), "2024-03-09 15:00:00");
    EXPECT_EQ(U8(P->Text()), "3/9/2024 15:00");
    // Date refuses quietly; a time on the maximum's day passes through DateTime, and Date drops
    // it there.
    P->SetDate(D(2025, 5, 5));
    EXPECT_EQ(Stamp(P->DateTime()), "2024-03-09 15:00:00");
    P->SetDate(D(2024, 12, 31));
    EXPECT_EQ(Stamp(P->DateTime()), "2024-12-31 00:00:00");
    // The limits guard each other.
    EXPECT_THROW(P->SetMaxDate(D(2023, 6, 1)), EDateTimeError);
    EXPECT_THROW(P->SetMinDate(D(2025, 6, 1)), EDateTimeError);
    EXPECT_EQ(P->MaxDate(), D(2024, 12, 31));
    EXPECT_EQ(P->MinDate(), D(2024, 1, 1));
}

TEST_F(Picker, PlacesTheCalendarBesideItselfOnTheScreen) {
    struct Case {
        const char* Name;
        TdaDTCalAlignment Align;
        TPoint Drop; // below the picker
        int PickerTop;
        TPoint Expected;
    } Cases[] = {
        // Screen 1024 wide, work area to 740; picker 160 wide; calendar 180 x 160.
        {"LeftBelow", dadtaLeft, {100, 124}, 100, {100, 124}},
        {"LeftAtTheRightEdge", dadtaLeft, {900, 124}, 100, {900 + 160 - 180 - 1, 124}},
        {"AboveNearTheBottom", dadtaLeft, {100, 700}, 676, {100, 676 - 160}},
        {"BelowWhenNoRoomAbove", dadtaLeft, {100, 650}, 100, {100, 650}},
        {"Right", dadtaRight, {300, 124}, 100, {300 + 160 - 17 - 180 - 1, 124}},
        {"RightNeverLeftOfTheScreen", dadtaRight, {10, 124}, 100, {0, 124}},
        {"Centre", dadtaCenter, {300, 124}, 100, {(160 - 180 - 17 - 1) / 2 + 300, 124}},
        {"CentreAtTheRightEdge", dadtaCenter, {900, 124}, 100, {900 + 160 - 180 - 1, 124}},
    };
    for (const Case& C : Cases) {
        const TPoint Got = daPlacePopupCalendar(C.Align, C.Drop, C.PickerTop, 160, 180, 160, 1024, 740);
        EXPECT_EQ(Got.X, C.Expected.X) << C.Name;
        EXPECT_EQ(Got.Y, C.Expected.Y) << C.Name;
    }
}

TEST_F(Picker, DropsDownTheCalendarAndTakesOrRestoresItsDay) {
    TTempFolder Folder;
    P->SetUnboundDataType(daDTEdtDate);
    Focus();
    GrabToPng(GrabControl(Form.get()).get(), Folder, "picker-closed-empty.png");
    KeyMessages(P, VK_F4);
    ASSERT_TRUE(P->DroppedDown());
    EXPECT_EQ(Stamp(P->DateTime()), "2026-06-15 00:00:00"); // today
    EXPECT_EQ(Stamp(P->Calendar()->DateTime()), "2026-06-15 00:00:00");
    // Below the picker, on the screen.
    const TPoint Origin = P->ClientToScreen(TPoint{0, 0});
    EXPECT_GE(P->Calendar()->Top(), Origin.Y + P->Height() - 4);
    // The arrows move the calendar's day and the text follows.
    KeyMessages(P, VK_DOWN);
    EXPECT_EQ(Stamp(P->Calendar()->DateTime()), "2026-06-22 00:00:00");
    EXPECT_EQ(U8(P->Text()), "6/22/2026");
    GrabToPng(GrabControl(Form.get()).get(), Folder, "picker-dropped-form.png");
    GrabToPng(GrabControl(P->Calendar()).get(), Folder, "picker-dropped-calendar.png");
    // Escape closes and goes back to the value from before.
    KeyMessages(P, VK_ESCAPE);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(P->DateTime(), 0);
    EXPECT_EQ(U8(P->Text()), "");
    // Enter takes the day, with the time of day kept.
    P->SetUnboundDataType(daDTEdtDateTime);
    P->SetDateTime(D(2024, 3, 9, 15, 30));
    KeyMessages(P, VK_F4);
    KeyMessages(P, VK_RIGHT);
    KeyMessages(P, VK_RETURN);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(Stamp(P->DateTime()), "2024-03-10 15:30:00");
    // A click on a day closes and takes it.
    KeyMessages(P, VK_F4);
    TdaPopupCalendar* Cal = P->Calendar();
    TPoint Day{-1, -1};
    for (int Y = 0; Y < Cal->ClientHeight() && Day.X < 0; ++Y)
        for (int X = 0; X < Cal->ClientWidth(); ++X)
            if (auto I = Cal->HitTest(X, Y); I.Hit == dchDate && I.Date == D(2024, 3, 20)) {
                Day = {X, Y};
                break;
            }
    ClickMessages(Cal, Day);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(Stamp(P->DateTime()), "2024-03-20 15:30:00");
    GrabToPng(GrabControl(Form.get()).get(), Folder, "picker-closed.png");
    // With the maximum in the past an empty picker drops down at the maximum.
    P->ClearDateTime();
    P->SetMaxDate(D(2020, 2, 2));
    KeyMessages(P, VK_F4);
    EXPECT_EQ(Stamp(P->Calendar()->DateTime()), "2020-02-02 00:00:00");
    KeyMessages(P, VK_RETURN);
    // Leaving the picker frees the calendar once the posted message arrives.
    Other->SetFocus();
    EXPECT_TRUE(WaitUntil([&] { return P->Calendar() == nullptr; }));
}

namespace {

void SqliteProgram(const std::string& File, const std::string& Sql) {
    const std::string Command = "sqlite3 '" + File + "' \"" + Sql + "\"";
    ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
}

} // namespace

TEST_F(Picker, ShowsAndWritesABoundFieldOfBothDatasets) {
    for (const std::string Kind : {"memory", "sqlite"}) {
        TComponent Owner(nullptr);
        TDataSet* DS = nullptr;
        if (Kind == "memory") {
            auto* M = new TMemDataSet(&Owner);
            M->FieldDefs().Add(u"ID", ftInteger);
            M->FieldDefs().Add(u"DAY", ftDate);
            M->FieldDefs().Add(u"STAMP", ftDateTime);
            DS = M;
        } else {
            const std::string File = (std::filesystem::current_path() / "pick.sqlite").string();
            std::filesystem::remove(File);
            SqliteProgram(File, "CREATE TABLE t (ID INTEGER, DAY DATE, STAMP DATETIME);");
            auto* S = new TSQLiteDataSet(&Owner);
            S->SetDatabaseName(Utf8ToString(File));
            S->SetTableName(u"t");
            DS = S;
        }
        DS->Open();
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(1);
        DS->FieldByName(u"DAY")->SetAsDateTime(D(2024, 3, 9, 6, 0)); // a date field with a time
        DS->FieldByName(u"STAMP")->SetAsDateTime(D(2024, 3, 9, 15, 30));
        DS->Post();
        auto* Source = new TDataSource(&Owner);
        Source->SetDataSet(DS);

        P->SetDisplayFormat(u"");
        P->SetDataSource(Source);
        P->SetDataField(u"STAMP");
        EXPECT_TRUE(P->IsDateTimeType()) << Kind;
        EXPECT_EQ(U8(P->Text()), "3/9/2024 15:30:00") << Kind;
        // Typing a day and leaving writes the field.
        Focus();
        P->SetTokenPos(2);
        P->SelectCurrentPart(P->DateTime());
        Type("{up}");
        Other->SetFocus();
        WaitUntil([&] { return !P->Focused(); });
        DS->Post();
        EXPECT_EQ(Stamp(DS->FieldByName(u"STAMP")->AsDateTime()), "2024-03-10 15:30:00") << Kind;

        // A date field keeps its own time of day.
        P->SetDataField(u"DAY");
        EXPECT_TRUE(P->IsDateOnly()) << Kind;
        EXPECT_EQ(U8(P->Text()), "3/9/2024") << Kind;
        Focus();
        P->SetTokenPos(1);
        P->SelectCurrentPart(P->DateTime());
        Type("{up}");
        Other->SetFocus();
        WaitUntil([&] { return !P->Focused(); });
        DS->Post();
        DS->Close();
        DS->Open();
        EXPECT_EQ(Stamp(DS->FieldByName(u"DAY")->AsDateTime()).substr(0, 10), "2024-04-09") << Kind;
        EXPECT_EQ(Stamp(DS->FieldByName(u"STAMP")->AsDateTime()), "2024-03-10 15:30:00") << Kind;
        P->SetDataSource(nullptr);
        P->SetDataField(u"");
        EXPECT_EQ(P->UnboundDataType(), daDTEdtDateTime);
    }
}

TEST_F(Picker, PasteTakesADateOrTimeAndRefusesTheRest) {
    struct Case {
        const char* Name;
        TdaDTEditDataType Kind;
        TDateTime Value;
        const char16_t* Pasted;
        std::string Expected;
        const char16_t* Shown;
    } Cases[] = {
        {"NoonIntoATimePicker", daDTEdtTime, EncodeTime(9, 0, 0, 0), u"12:00", "1899-12-30 12:00:00", u"12:00"},
        {"MidnightCountsAsNoTime", daDTEdtTime, EncodeTime(9, 0, 0, 0), u"0:00", "1899-12-30 09:00:00", u"9:00"},
        {"ADate", daDTEdtDate, D(2024, 3, 9), u"12/25/2024", "2024-12-25 00:00:00", u"12/25/2024"},
        {"NoDate", daDTEdtDate, D(2024, 3, 9), u"soon", "2024-03-09 00:00:00", u"3/9/2024"},
        {"OutsideTheLimits", daDTEdtDate, D(2024, 3, 9), u"12/25/2031", "2024-03-09 00:00:00", u"3/9/2024"},
    };
    P->SetMaxDate(D(2030, 1, 1));
    for (const Case& C : Cases) {
        P->SetUnboundDataType(C.Kind);
        P->SetDisplayFormat(C.Kind == daDTEdtTime ? u"h:nn" : u"M/d/yyyy");
        P->SetDateTime(C.Value);
        Focus();
        Clipboard()->SetAsText(C.Pasted);
        KeyMessages(P, 'V', {ssCtrl});
        EXPECT_EQ(Stamp(P->DateTime()), C.Expected) << C.Name;
        EXPECT_EQ(U8(P->Text()), U8(C.Shown)) << C.Name;
    }
    // Cut empties the picker (typing Ctrl+X is swallowed: the text changes only part by part).
    P->CutToClipboard();
    EXPECT_EQ(P->DateTime(), 0);
    EXPECT_EQ(U8(P->Text()), "");
}

TEST_F(Picker, ClickingSelectsThePartUnderTheMouseAndEscapeGoesBack) {
    P->SetUnboundDataType(daDTEdtDate);
    P->SetDisplayFormat(u"M/d/yyyy");
    P->SetDateTime(D(2024, 11, 23));
    Focus();
    // The year lies at the end of "11/23/2024".
    ClickMessages(P, TPoint{P->Width() - 40, 10});
    EXPECT_EQ(P->TokenPos(), 3);
    EXPECT_EQ(U8(P->SelText()), "2024");
    ClickMessages(P, TPoint{4, 10});
    EXPECT_EQ(P->TokenPos(), 1);
    EXPECT_EQ(U8(P->SelText()), "11");
    Type("{up}{up}");
    EXPECT_EQ(Stamp(P->DateTime()), "2024-01-23 00:00:00");
    Type("{esc}");
    EXPECT_EQ(Stamp(P->DateTime()), "2024-11-23 00:00:00");
    // Delete clears a date picker.
    Type("{del}");
    EXPECT_EQ(P->DateTime(), 0);
    EXPECT_EQ(U8(P->Text()), "");
}

TEST_F(Picker, PaintsItsOwnTextWithoutTheFocusBesideTheButton) {
    TTempFolder Folder;
    P->SetUnboundDataType(daDTEdtDate);
    P->SetDisplayFormat(u"M/d/yyyy");
    P->SetDateTime(D(2024, 11, 23));
    P->SetColor(clWhite);
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    EXPECT_TRUE(P->PaintsItsOwnText());
    EXPECT_TRUE(P->PaintsItsOwnText());
    // The text widget lies left of the button.
    TRect Edit;
    P->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Edit));
    EXPECT_EQ(Edit.Right, P->TextRightEdge());
    EXPECT_EQ(P->TextRightEdge(), P->ButtonControl()->Left() - 1);
    auto Own = GrabControl(P);
    GrabToPng(Own.get(), Folder, "picker-unfocused.png");
    const TRect Ink = InkBox(Own->Canvas(), Rect(0, 0, P->TextRightEdge(), P->ClientHeight()), clWhite);
    ASSERT_FALSE(IsRectEmpty(Ink));
    EXPECT_LE(Ink.Left, 6);
    // The frame's colour without the focus fills the background.
    P->Frame()->SetEnabled(true);
    P->Frame()->NonFocusColor = clYellow;
    P->Invalidate();
    auto Yellow = GrabControl(P);
    GrabToPng(Yellow.get(), Folder, "picker-unfocused-frame.png");
    EXPECT_EQ(PixelOf(*Yellow, P->TextRightEdge() - 3, P->ClientHeight() / 2 + 2), clYellow);
    // With the focus the text widget shows the text, on the picker's own colour.
    P->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return P->Focused(); }));
    EXPECT_FALSE(P->PaintsItsOwnText());
    auto Focused = GrabControl(P);
    GrabToPng(Focused.get(), Folder, "picker-focused.png");
    EXPECT_FALSE(IsRectEmpty(InkBox(Focused->Canvas(), Rect(0, 0, P->TextRightEdge(), P->ClientHeight()), clWhite)));
    EXPECT_NE(PixelOf(*Focused, P->TextRightEdge() - 3, P->ClientHeight() / 2 + 2), clYellow);
    // Leaving again hands the painting back to the picker.
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    EXPECT_TRUE(P->PaintsItsOwnText());
}

TEST_F(Picker, ATimePickerNeverShowsTheButton) {
    P->SetUnboundDataType(daDTEdtTime);
    P->SetDateTime(D(2024, 1, 1, 9, 30));
    P->SetShowButton(false);
    P->SetShowButton(true);
    P->Invalidate();
    GrabControl(P);
    EXPECT_FALSE(P->ButtonControl()->Visible());
    P->SetUnboundDataType(daDTEdtDate);
    P->Invalidate();
    GrabControl(P);
    EXPECT_TRUE(P->ButtonControl()->Visible());
}

TEST_F(Picker, ButtonStylesAndWidthShowInTheButton) {
    TTempFolder Folder;
    P->SetUnboundDataType(daDTEdtDate);
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    auto ButtonPicture = [&](const std::string& Name) {
        P->Button()->Invalidate();
        auto B = GrabControl(P->ButtonControl());
        GrabToPng(B.get(), Folder, Name);
        return B;
    };
    auto Count = [](TBitmap& B, TColor Colour) {
        int N = 0;
        for (int Y = 0; Y < B.Height(); ++Y)
            for (int X = 0; X < B.Width(); ++X) N += PixelOf(B, X, Y) == Colour;
        return N;
    };
    // The down arrow: black pixels in the middle.
    auto Arrow = ButtonPicture("picker-button-arrow.png");
    EXPECT_GT(Count(*Arrow, clBlack), 3);
    // The ellipsis: dots, not the arrow.
    P->SetButtonStyle(cbsEllipsis);
    auto Dots = ButtonPicture("picker-button-ellipsis.png");
    EXPECT_GT(Count(*Dots, clBlack), 0);
    EXPECT_NE(Count(*Dots, clBlack), Count(*Arrow, clBlack));
    // A glyph of one's own.
    TBitmap Glyph;
    Glyph.SetSize(6, 6);
    Glyph.Canvas()->Brush()->SetColor(clRed);
    Glyph.Canvas()->FillRect(Rect(0, 0, 6, 6));
    Glyph.Canvas()->SetPixels(0, 5, clWhite); // the transparent colour
    P->SetButtonStyle(cbsCustom);
    P->SetButtonGlyph(&Glyph);
    auto Custom = ButtonPicture("picker-button-custom.png");
    EXPECT_GT(Count(*Custom, clRed), 9);
    // A flat down arrow takes the library's small arrow as its glyph.
    P->SetButtonStyle(cbsDownArrow);
    P->ButtonEffects()->SetFlat(true);
    EXPECT_EQ(P->Button()->Glyph()->Width(), 7);
    EXPECT_EQ(P->Button()->Glyph()->Height(), 4);
    ButtonPicture("picker-button-flat.png");
    // The width: the button's, or the scroll bar's (at least 15) for 0; the text stops before it.
    P->SetButtonWidth(30);
    EXPECT_EQ(P->Button()->Width(), 30);
    EXPECT_EQ(P->ButtonControl()->Width(), 30);
    EXPECT_EQ(P->ButtonControl()->Left() + 30, P->ClientWidth());
    TRect Edit;
    P->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Edit));
    EXPECT_EQ(Edit.Right, P->ButtonControl()->Left() - 1);
    P->SetButtonWidth(0);
    EXPECT_EQ(P->Button()->Width(), std::max(GetSystemMetrics(SM_CXVSCROLL), 15));
}

TEST_F(Picker, ClickingTheButtonDropsTheCalendarDown) {
    P->SetUnboundDataType(daDTEdtDate);
    P->SetDateTime(D(2024, 3, 9));
    ClickMessages(P->ButtonControl(), TPoint{P->ButtonControl()->Width() / 2, P->ButtonControl()->Height() / 2});
    EXPECT_TRUE(P->Focused());
    EXPECT_TRUE(P->DroppedDown());
    ClickMessages(P->ButtonControl(), TPoint{P->ButtonControl()->Width() / 2, P->ButtonControl()->Height() / 2});
    EXPECT_FALSE(P->DroppedDown());
}

TEST_F(Picker, MovingFromTheTextOntoTheButtonKeepsTheHover) {
    int Entered = 0, Left = 0;
    P->OnMouseEnter = [&](TObject*) { ++Entered; };
    P->OnMouseLeave = [&](TObject*) { ++Left; };
    P->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(P->MouseInControl());
    SetCursorPos(P->ClientToScreen(TPoint{P->ClientWidth() - 4, 4}).X, P->ClientToScreen(TPoint{0, 4}).Y);
    P->Perform(CM_MOUSELEAVE);
    EXPECT_TRUE(P->MouseInControl());
    EXPECT_EQ(Left, 0);
    const TPoint Outside = P->ClientToScreen(TPoint{P->Width() + 20, P->Height() + 20});
    SetCursorPos(Outside.X, Outside.Y);
    P->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(P->MouseInControl());
    EXPECT_EQ(Entered, 1);
    EXPECT_EQ(Left, 1);
}

TEST_F(Picker, ARightToLeftPickerKeepsItsButtonAndTextMirrored) {
    TTempFolder Folder;
    P->SetUnboundDataType(daDTEdtDate);
    P->SetDisplayFormat(u"M/d/yyyy");
    P->SetDateTime(D(2024, 11, 23));
    P->SetColor(clWhite);
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    // The form's mode reaches the picker.
    Form->SetBiDiMode(bdRightToLeft);
    ASSERT_TRUE(P->UseRightToLeftAlignment());
    const int W = P->Button()->Width();
    // The button sits at the left edge; the text widget runs to the right edge.
    EXPECT_EQ(P->ButtonControl()->Left(), 0);
    EXPECT_EQ(P->ButtonAreaWidth(), W);
    TRect Edit;
    P->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Edit));
    EXPECT_EQ(Edit.Right, P->ClientWidth());
    EXPECT_EQ(P->GetEditRect().Left, W);
    // Without the focus the picker paints its text against the right edge, clear of the button.
    auto Own = GrabControl(P);
    GrabToPng(Own.get(), Folder, "picker-rtl-unfocused.png");
    // (The picture holds the window's border around the client area.)
    const int Border = (P->Width() - P->ClientWidth()) / 2;
    const TRect Text = Rect(Border + W + 1, Border, Border + P->ClientWidth(), Border + P->ClientHeight());
    const TRect Ink = InkBox(Own->Canvas(), Text, clWhite);
    ASSERT_FALSE(IsRectEmpty(Ink));
    EXPECT_GE(Ink.Right, Text.Right - 5);
    EXPECT_GT(Ink.Left, P->Width() / 2);
    // With the focus the text widget aligns it right as well.
    P->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return P->Focused(); }));
    auto Focused = GrabControl(P);
    GrabToPng(Focused.get(), Folder, "picker-rtl-focused.png");
    const TRect FocusedInk = InkBox(Focused->Canvas(), Text, clWhite);
    ASSERT_FALSE(IsRectEmpty(FocusedInk));
    EXPECT_GT(FocusedInk.Left, P->Width() / 2);
    // The parts still step as typed: the text reads left to right within the mirrored layout.
    P->SelectCurrentPart(P->DateTime());
    Type("{up}");
    EXPECT_EQ(Stamp(P->DateTime()), "2024-12-23 00:00:00");
    // Back to left to right: the button returns to the right edge.
    Form->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(P->ButtonControl()->Left() + W, P->ClientWidth());
    EXPECT_EQ(P->GetEditRect().Left, 0);
}

TEST_F(Picker, ATransparentPickerClearsItsOldTextWhenTheTextChanges) {
    TTempFolder Folder;
    Form->SetColor(clAqua);
    P->SetUnboundDataType(daDTEdtDate);
    P->SetDisplayFormat(u"M/d/yyyy");
    P->Frame()->SetEnabled(true);
    P->Frame()->SetTransparent(true);
    P->SetDateTime(D(2024, 11, 23));
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    ASSERT_TRUE(P->IsTransparentEffective());
    // The picker lets the form show through: its picture is taken on the form.
    TRect Text = Rect(0, 0, P->TextRightEdge() - 1, P->ClientHeight() - 2);
    const TPoint At = P->ClientToScreen(TPoint(0, 0));
    const TPoint FormAt = Form->ClientToScreen(TPoint(0, 0));
    OffsetRect(Text, At.X - FormAt.X, At.Y - FormAt.Y);
    auto Long = GrabControl(Form.get());
    GrabToPng(Long.get(), Folder, "picker-transparent-long.png");
    const TRect LongInk = InkBox(Long->Canvas(), Text, clAqua);
    ASSERT_FALSE(IsRectEmpty(LongInk));
    // A shorter text leaves nothing of the longer one behind it.
    P->SetDateTime(D(2024, 1, 1));
    auto Short = GrabControl(Form.get());
    GrabToPng(Short.get(), Folder, "picker-transparent-short.png");
    const TRect ShortInk = InkBox(Short->Canvas(), Text, clAqua);
    ASSERT_FALSE(IsRectEmpty(ShortInk));
    EXPECT_LT(ShortInk.Right, LongInk.Right - 10);
}
