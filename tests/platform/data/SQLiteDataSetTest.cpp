#include "platform/base/Idle.h"
#include "platform/base/Strings.h"
#include "platform/data/Conformance.h"
#include "platform/data/SQLiteDataSet.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// Runs statements with the sqlite3 program, as another writer of the file would.
void Sqlite3Program(const std::string& File, const std::string& Sql) {
    std::string Command = "sqlite3 '" + File + "' \"" + Sql + "\"";
    ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
}

std::string NewDatabaseFile() {
    static int Count = 0;
    return (std::filesystem::current_path() / ("db" + std::to_string(++Count) + ".sqlite")).string();
}

TDataSet* MakeSQLiteDataSet(TComponent* Owner, const std::vector<TConformanceRow>& Rows) {
    std::string File = NewDatabaseFile();
    std::string Sql =
        "CREATE TABLE items (ID INTEGER NOT NULL UNIQUE, NAME VARCHAR(20), PRICE REAL, NOTES TEXT, "
        "DATA BLOB);";
    for (const TConformanceRow& R : Rows)
        Sql += "INSERT INTO items (ID, NAME, PRICE) VALUES (" + std::to_string(R.Id) + ", '" +
               StringToUtf8(R.Name) + "', " + std::to_string(R.Price) + ");";
    Sqlite3Program(File, Sql);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"items");
    return DS;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(SQLite, DataSetConformance,
                         testing::Values(TDataSetFactory{"SQLite", MakeSQLiteDataSet}),
                         [](const auto& Info) { return Info.param.Kind; });

TEST(SQLiteDataSet, SeesChangesMadeByAnotherProgramBetweenOpens) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeSQLiteDataSet(&Owner, {{1, u"one", 1}, {2, u"two", 2}});
    DS->Open();
    DS->Edit();
    DS->FieldByName(u"NAME")->SetAsString(u"uno");
    DS->Post();
    DS->Close();
    std::string File = StringToUtf8(static_cast<TSQLiteDataSet*>(DS)->DatabaseName());
    Sqlite3Program(
        File, "UPDATE items SET PRICE = 10 WHERE ID = 1; INSERT INTO items (ID, NAME) VALUES (3, 'three');");
    DS->Open();
    EXPECT_EQ(DS->RecordCount(), 3);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"uno");
    EXPECT_DOUBLE_EQ(DS->FieldByName(u"PRICE")->AsFloat(), 10);
    DS->Last();
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"three");
}

TEST(SQLiteDataSet, BadFilesAndTablesAreRefusedAndLeftAlone) {
    std::string Damaged = NewDatabaseFile();
    std::ofstream(Damaged)
        << "this is not a database, just some text that is long enough to look like a header";
    auto Before = std::filesystem::file_size(Damaged);
    std::string Good = NewDatabaseFile(), Missing = NewDatabaseFile();
    Sqlite3Program(Good, "CREATE TABLE t (A INTEGER);");
    struct {
        std::string File;
        String Table, Expected;
    } Cases[] = {
        {Damaged, u"t", u"not a database"},
        {Good, u"missing", u"Table 'missing' not found"},
        {Missing, u"t", u"unable to open"}, // never created by opening
        {"", u"t", u"No database file given"},
    };
    for (auto& C : Cases) {
        TSQLiteDataSet DS(nullptr);
        DS.SetDatabaseName(Utf8ToString(C.File));
        DS.SetTableName(C.Table);
        try {
            DS.Open();
            ADD_FAILURE() << "opened " << C.File;
        } catch (const EDatabaseError& E) {
            EXPECT_NE(E.Message().find(C.Expected), String::npos) << E.what();
        }
        EXPECT_FALSE(DS.Active());
    }
    EXPECT_EQ(std::filesystem::file_size(Damaged), Before);
    EXPECT_FALSE(std::filesystem::exists(Missing));
}

TEST(SQLiteDataSet, AQueryReadsItsRowsWithNamedParametersAndCannotBeChanged) {
    TComponent Owner(nullptr);
    auto* DS = static_cast<TSQLiteDataSet*>(
        MakeSQLiteDataSet(&Owner, {{1, u"one", 1.5}, {2, u"two", 2.5}, {3, u"three", 3.5}}));
    DS->SetSQL(u"SELECT NAME, PRICE * 2 AS DOUBLED FROM items WHERE PRICE > :Least ORDER BY ID DESC");
    // A parameter the text names but the list lacks is refused, and the dataset stays closed.
    EXPECT_THROW(DS->Open(), EDatabaseError);
    EXPECT_FALSE(DS->Active());
    DS->Params()->CreateParam(ftFloat, u"Least", ptInput).Value = 2.0;
    DS->Open();
    EXPECT_EQ(DS->RecordCount(), 2);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"three");
    EXPECT_EQ(DS->FieldByName(u"NAME")->DataType(), ftString);
    EXPECT_DOUBLE_EQ(DS->FieldByName(u"DOUBLED")->AsFloat(), 7);
    EXPECT_TRUE(DS->Locate(u"NAME", u"TWO", TLocateOptions{loCaseInsensitive}));
    EXPECT_THROW(DS->Edit(), EDatabaseError);
    EXPECT_EQ(DS->State(), dsBrowse);
    // Another writer's change shows after a refresh, which runs the statement again.
    Sqlite3Program(StringToUtf8(DS->DatabaseName()), "INSERT INTO items (ID, NAME, PRICE) VALUES (4, 'four', 9);");
    DS->Refresh();
    EXPECT_EQ(DS->RecordCount(), 3);
    DS->Close();
    EXPECT_FALSE(DS->ReadOnly()); // read-only only while the query is open
    DS->SetSQL(u"SELECT FROM nowhere");
    EXPECT_THROW(DS->Open(), EDatabaseError);
    EXPECT_FALSE(DS->Active());
}

TEST(SQLiteDataSet, ReadsEveryWayThroughTheForwardStatement) {
    // 60 rows, rowid = ID = I, with NAME "nI"; a gap at 30..34.
    std::vector<TConformanceRow> Rows;
    for (int I = 1; I <= 60; ++I)
        if (I < 30 || I > 34) Rows.push_back({I, u"n" + IntToStr(I), double(I)});
    TComponent Owner(nullptr);
    TDataSet* DS = MakeSQLiteDataSet(&Owner, Rows);
    DS->Open();
    auto At = [&] { return DS->FieldByName(u"ID")->AsInteger(); };
    auto Agrees = [&] { return DS->FieldByName(u"NAME")->AsString() == u"n" + IntToStr(At()); };
    int Seen = 0;
    for (DS->First(); !DS->Eof(); DS->Next()) {
        ++Seen;
        EXPECT_TRUE(Agrees()) << At();
    }
    EXPECT_EQ(Seen, 55);
    struct {
        const char* Move;
        std::function<void()> Go;
        int Id;
    } Steps[] = {
        {"back one", [&] { DS->Prior(); }, 59},
        {"back over the gap", [&] { DS->MoveBy(-30); }, 24},
        {"forward over the gap", [&] { DS->MoveBy(6); }, 35},
        {"a jump far ahead", [&] { DS->SetRecNo(50); }, 55},
        {"first", [&] { DS->First(); }, 1},
        {"next", [&] { DS->Next(); }, 2},
        {"last", [&] { DS->Last(); }, 60},
    };
    for (auto& S : Steps) {
        S.Go();
        EXPECT_EQ(At(), S.Id) << S.Move;
        EXPECT_TRUE(Agrees()) << S.Move;
    }
    // A filter leaves rows between the records: more than a few steps ahead, the row is sought.
    DS->SetFilter(u"ID < 3 OR ID > 57 OR ID = 20");
    DS->SetFiltered(true);
    std::vector<int> Ids;
    for (DS->First(); !DS->Eof(); DS->Next())
        Ids.push_back(At());
    EXPECT_EQ(Ids, (std::vector<int>{1, 2, 20, 58, 59, 60}));
    EXPECT_TRUE(DS->Locate(u"NAME", u"n59", 0));
    EXPECT_EQ(At(), 59);
}

TEST(SQLiteDataSet, ReadingHoldsNoLockAnotherWriterWaitsFor) {
    TComponent Owner(nullptr);
    TDataSet* A = MakeSQLiteDataSet(&Owner, {{1, u"one", 1}, {2, u"two", 2}, {3, u"three", 3}});
    const String File = static_cast<TSQLiteDataSet*>(A)->DatabaseName();
    A->Open();
    A->Next(); // reading on: the file's read lock is held
    // Another dataset of the program writes: it goes through, and the reader sees it after a
    // refresh.
    TSQLiteDataSet B(&Owner);
    B.SetDatabaseName(File);
    B.SetTableName(u"items");
    B.Open();
    B.Last();
    B.Edit();
    B.FieldByName(u"NAME")->SetAsString(u"drei");
    B.Post();
    A->Next();
    EXPECT_EQ(A->FieldByName(u"NAME")->AsString(), u"drei");
    A->Prior();
    EXPECT_EQ(A->FieldByName(u"NAME")->AsString(), u"two");
    // Another program writes once this one has gone idle between two user actions.
    RunIdleHandlers();
    Sqlite3Program(StringToUtf8(File), "UPDATE items SET NAME = 'zwei' WHERE ID = 2; DELETE FROM items WHERE ID = 1;");
    A->Refresh();
    EXPECT_EQ(A->RecordCount(), 2);
    EXPECT_EQ(A->FieldByName(u"NAME")->AsString(), u"zwei");
    // And a post of the reader reaches the other dataset at its next read.
    A->Edit();
    A->FieldByName(u"NAME")->SetAsString(u"deux");
    A->Post();
    B.Refresh();
    B.First();
    EXPECT_EQ(B.FieldByName(u"NAME")->AsString(), u"deux");
    B.Next();
    EXPECT_EQ(B.FieldByName(u"NAME")->AsString(), u"drei");
}
