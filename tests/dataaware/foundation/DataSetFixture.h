#pragma once
// The same small table in both dataset kinds: in memory, and in an SQLite file in the test's
// folder. Columns: ID integer, NAME string(20), PRICE float, NOTES memo.

#include "platform/base/Strings.h"
#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

struct TFixtureRow {
    int Id;
    const char16_t* Name;
    double Price;
};

inline const std::vector<TFixtureRow>& FixtureRows() {
    static const std::vector<TFixtureRow> Rows = {
        {1, u"Delta", 4.5}, {2, u"alpha", 1.25}, {3, u"Charlie", 3}, {4, u"bravo", 2}, {5, u"Alpine", 5},
    };
    return Rows;
}

inline int& FixtureFileCount() {
    static int Count = 0;
    return Count;
}

enum TDataSetKind { dkMemory, dkSQLite };

inline std::string KindName(TDataSetKind Kind) { return Kind == dkMemory ? "Memory" : "SQLite"; }

// A dataset of the kind over the rows, owned by Owner, closed. Class lets a test make a
// descendant of the kind (a class named as another library's table, for class tests by name).
template <class TMem = TMemDataSet, class TLite = TSQLiteDataSet>
TDataSet* MakeFixtureDataSet(TDataSetKind Kind, TComponent* Owner,
                             const std::vector<TFixtureRow>& Rows = FixtureRows()) {
    if (Kind == dkMemory) {
        auto* DS = new TMem(Owner);
        DS->FieldDefs().Add(u"ID", ftInteger);
        DS->FieldDefs().Add(u"NAME", ftString, 20);
        DS->FieldDefs().Add(u"PRICE", ftFloat);
        DS->FieldDefs().Add(u"NOTES", ftMemo);
        DS->Open();
        for (const TFixtureRow& R : Rows) {
            DS->Append();
            DS->FieldByName(u"ID")->SetAsInteger(R.Id);
            DS->FieldByName(u"NAME")->SetAsString(R.Name);
            DS->FieldByName(u"PRICE")->SetAsFloat(R.Price);
            DS->Post();
        }
        DS->Close();
        return DS;
    }
    const std::string File =
        (std::filesystem::current_path() / ("fixture" + std::to_string(++FixtureFileCount()) + ".sqlite")).string();
    std::string Sql = "CREATE TABLE items (ID INTEGER, NAME VARCHAR(20), PRICE REAL, NOTES TEXT);";
    for (const TFixtureRow& R : Rows)
        Sql += "INSERT INTO items VALUES (" + std::to_string(R.Id) + ", '" + StringToUtf8(R.Name) + "', " +
               std::to_string(R.Price) + ", NULL);";
    const std::string Command = "sqlite3 '" + File + "' \"" + Sql + "\"";
    EXPECT_EQ(std::system(Command.c_str()), 0) << Command;
    auto* DS = new TLite(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"items");
    return DS;
}

class BothDataSets : public testing::TestWithParam<TDataSetKind> {};
