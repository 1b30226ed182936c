#pragma once
// A shown form with field-bound edits over a dataset in memory or in an SQLite file, with the
// locale settings, the clock and the exception reports of a test.

#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>

enum TDataSetKind { dkMemory, dkSQLite };

inline std::string KindName(TDataSetKind K) {
    return K == dkMemory ? "Memory" : "SQLite";
}

// Every table of the tests: ID, NAME (text), BORN (date), STAMP (date-time), AT (time),
// PRICE (float), COUNT (integer), BIG (large integer).
inline TDataSet* MakeEditDataSet(TComponent* Owner, TDataSetKind Kind) {
    if (Kind == dkMemory) {
        auto* DS = new TMemDataSet(Owner);
        DS->FieldDefs().Add(u"ID", ftInteger);
        DS->FieldDefs().Add(u"NAME", ftString, 20);
        DS->FieldDefs().Add(u"BORN", ftDate);
        DS->FieldDefs().Add(u"STAMP", ftDateTime);
        DS->FieldDefs().Add(u"AT", ftTime);
        DS->FieldDefs().Add(u"PRICE", ftFloat);
        DS->FieldDefs().Add(u"COUNT", ftInteger);
        DS->FieldDefs().Add(u"BIG", ftLargeint);
        DS->Open();
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(1);
        DS->FieldByName(u"NAME")->SetAsString(u"one");
        DS->Post();
        DS->First();
        return DS;
    }
    static int Count = 0;
    const std::string File = (std::filesystem::current_path() / ("edits" + std::to_string(++Count) + ".sqlite")).string();
    const std::string Command = "sqlite3 '" + File +
                                "' \"CREATE TABLE t (ID INTEGER, NAME VARCHAR(20), BORN DATE, STAMP DATETIME, AT TIME, "
                                "PRICE REAL, COUNT INTEGER, BIG BIGINT); INSERT INTO t (ID, NAME) VALUES (1, 'one');\"";
    EXPECT_EQ(std::system(Command.c_str()), 0);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"t");
    DS->Open();
    return DS;
}

// Month-day-year with slashes for the length of a test, and a clock the test sets.
class TEditLocale {
public:
    TEditLocale() : FOld(FormatSettings) {
        FormatSettings.ShortDateFormat = u"M/d/yyyy";
        FormatSettings.DateSeparator = u'/';
        FormatSettings.TimeSeparator = u':';
        FormatSettings.LongTimeFormat = u"h:nn:ss AMPM";
        FormatSettings.TimeAMString = u"AM";
        FormatSettings.TimePMString = u"PM";
    }
    ~TEditLocale() {
        FormatSettings = FOld;
        SetNowOverride(nullptr);
    }
    void SetClock(TDateTime Value) {
        SetNowOverride([Value] { return Value; });
    }
    TEditLocale(const TEditLocale&) = delete;
    TEditLocale& operator=(const TEditLocale&) = delete;

private:
    TFormatSettings FOld;
};

// Exceptions that reach the application while messages are handled, by message.
class TReportedErrors {
public:
    TReportedErrors() {
        Application->OnException = [this](TObject*, Exception* E) { Messages.push_back(E->Message()); };
    }
    ~TReportedErrors() { Application->OnException = nullptr; }
    TReportedErrors(const TReportedErrors&) = delete;
    TReportedErrors& operator=(const TReportedErrors&) = delete;
    std::vector<String> Messages;
};

inline void TypeChars(TWinControl* Control, const String& Text) {
    CharMessages(Control, Text);
}

// A table of people in either kind, open on its first record: ID (1..), LAST and FIRST (text),
// AMOUNT (float). Rows are (last, first, amount) in their natural order.
struct TPersonRow {
    const char16_t* Last;
    const char16_t* First;
    double Amount;
};

inline TDataSet* MakePeopleDataSet(TComponent* Owner, TDataSetKind Kind, const std::vector<TPersonRow>& Rows) {
    TDataSet* Result;
    if (Kind == dkMemory) {
        auto* DS = new TMemDataSet(Owner);
        DS->FieldDefs().Add(u"ID", ftInteger);
        DS->FieldDefs().Add(u"LAST", ftString, 20);
        DS->FieldDefs().Add(u"FIRST", ftString, 20);
        DS->FieldDefs().Add(u"AMOUNT", ftFloat);
        DS->Open();
        int Id = 0;
        for (const TPersonRow& R : Rows) {
            DS->Append();
            DS->FieldByName(u"ID")->SetAsInteger(++Id);
            DS->FieldByName(u"LAST")->SetAsString(R.Last);
            DS->FieldByName(u"FIRST")->SetAsString(R.First);
            DS->FieldByName(u"AMOUNT")->SetAsFloat(R.Amount);
            DS->Post();
        }
        Result = DS;
    } else {
        static int Count = 0;
        const std::string File =
            (std::filesystem::current_path() / ("people" + std::to_string(++Count) + ".sqlite")).string();
        std::string Sql = "CREATE TABLE p (ID INTEGER, LAST VARCHAR(20), FIRST VARCHAR(20), AMOUNT REAL);";
        int Id = 0;
        for (const TPersonRow& R : Rows)
            Sql += "INSERT INTO p VALUES (" + std::to_string(++Id) + ", '" + StringToUtf8(R.Last) + "', '" +
                   StringToUtf8(R.First) + "', " + std::to_string(R.Amount) + ");";
        const std::string Command = "sqlite3 '" + File + "' \"" + Sql + "\"";
        EXPECT_EQ(std::system(Command.c_str()), 0);
        auto* DS = new TSQLiteDataSet(Owner);
        DS->SetDatabaseName(Utf8ToString(File));
        DS->SetTableName(u"p");
        DS->Open();
        Result = DS;
    }
    Result->First();
    return Result;
}

// Numbered people: Person1 .. PersonN, amounts 1 .. N.
inline std::vector<TPersonRow> NumberedPeople(int N) {
    static std::deque<std::u16string> Names; // stable addresses as it grows
    while (int(Names.size()) < N) Names.push_back(u"Person" + IntToStr(int(Names.size()) + 1));
    std::vector<TPersonRow> Rows;
    for (int I = 0; I < N; ++I) Rows.push_back({Names[size_t(I)].c_str(), u"X", double(I + 1)});
    return Rows;
}
