// The SQLite dataset against SQLite's own C interface over the same file of 1,000,000 rows:
// a scan reading every row's fields, and a Locate of the last row by a text column (no index,
// so both read every row). Three repetitions each; the summary prints the medians' ratios
// (ours / peer), the layer's overhead.

#include "platform/base/Strings.h"
#include "platform/data/SQLiteDataSet.h"

#include "BenchTimes.h"
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int RowCount = 1000000;

const std::string& DatabaseFile() {
    static const std::string File = [] {
        const char* Tmp = std::getenv("TMPDIR");
        std::string Name = std::string(Tmp && *Tmp ? Tmp : "/tmp") + "/morvane-data-bench.sqlite";
        std::filesystem::remove(Name);
        sqlite3* Db;
        sqlite3_open(Name.c_str(), &Db);
        sqlite3_exec(Db, "CREATE TABLE items (ID INTEGER, NAME VARCHAR(20), PRICE REAL); BEGIN;", nullptr,
                     nullptr, nullptr);
        sqlite3_stmt* S;
        sqlite3_prepare_v2(Db, "INSERT INTO items VALUES (?, ?, ?)", -1, &S, nullptr);
        for (int I = 1; I <= RowCount; ++I) {
            std::string Name = "name" + std::to_string(I);
            sqlite3_bind_int(S, 1, I);
            sqlite3_bind_text(S, 2, Name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(S, 3, I * 0.5);
            sqlite3_step(S);
            sqlite3_reset(S);
        }
        sqlite3_finalize(S);
        sqlite3_exec(Db, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(Db);
        return Name;
    }();
    return File;
}

void ScanOurs(benchmark::State& State) {
    TSQLiteDataSet DS(nullptr);
    DS.SetDatabaseName(Utf8ToString(DatabaseFile()));
    DS.SetTableName(u"items");
    for (auto _ : State) {
        DS.Open();
        TField *Id = DS.FieldByName(u"ID"), *Name = DS.FieldByName(u"NAME"),
               *Price = DS.FieldByName(u"PRICE");
        double Sum = 0;
        for (DS.First(); !DS.Eof(); DS.Next())
            Sum += Id->AsInteger() + Price->AsFloat() + Name->AsString().size();
        benchmark::DoNotOptimize(Sum);
        DS.Close();
    }
}

void ScanSqlite(benchmark::State& State) {
    sqlite3* Db;
    sqlite3_open_v2(DatabaseFile().c_str(), &Db, SQLITE_OPEN_READWRITE, nullptr);
    for (auto _ : State) {
        sqlite3_stmt* S;
        sqlite3_prepare_v2(Db, "SELECT ID, NAME, PRICE FROM items ORDER BY rowid", -1, &S, nullptr);
        double Sum = 0;
        while (sqlite3_step(S) == SQLITE_ROW)
            Sum += sqlite3_column_int(S, 0) + sqlite3_column_double(S, 2) +
                   Utf8ToString(reinterpret_cast<const char*>(sqlite3_column_text(S, 1))).size();
        sqlite3_finalize(S);
        benchmark::DoNotOptimize(Sum);
    }
    sqlite3_close(Db);
}

void LocateOurs(benchmark::State& State) {
    TSQLiteDataSet DS(nullptr);
    DS.SetDatabaseName(Utf8ToString(DatabaseFile()));
    DS.SetTableName(u"items");
    DS.Open();
    const String Key = u"name" + IntToStr(RowCount);
    for (auto _ : State) {
        DS.First();
        if (!DS.Locate(u"NAME", Key, 0)) State.SkipWithError("not found");
    }
}

void LocateSqlite(benchmark::State& State) {
    sqlite3* Db;
    sqlite3_open_v2(DatabaseFile().c_str(), &Db, SQLITE_OPEN_READWRITE, nullptr);
    const std::string Key = "name" + std::to_string(RowCount);
    for (auto _ : State) {
        sqlite3_stmt* S;
        sqlite3_prepare_v2(Db, "SELECT rowid FROM items WHERE NAME = ? LIMIT 1", -1, &S, nullptr);
        sqlite3_bind_text(S, 1, Key.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(S) != SQLITE_ROW) State.SkipWithError("not found");
        sqlite3_finalize(S);
    }
    sqlite3_close(Db);
}

void PrintRatio(const TTimesReporter& Reporter, const std::string& Ours, const std::string& Peer) {
    const auto *O = Reporter.Find(Ours), *P = Reporter.Find(Peer);
    if (!O || !P) return;
    std::printf("%-14s %9.2f ms   %-14s %9.2f ms   ratio %.2f\n", Ours.c_str(), O->Real * 1e3, Peer.c_str(),
                P->Real * 1e3, O->Real / P->Real);
}

} // namespace

int main(int argc, char** argv) {
    struct {
        const char* Name;
        void (*Fn)(benchmark::State&);
    } const Runs[] = {{"Scan/ours", ScanOurs},
                      {"Scan/sqlite", ScanSqlite},
                      {"Locate/ours", LocateOurs},
                      {"Locate/sqlite", LocateSqlite}};
    for (const auto& R : Runs)
        benchmark::RegisterBenchmark(R.Name, R.Fn)
            ->Iterations(1)
            ->Repetitions(3)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    std::printf("\nMedians of 3 repetitions over %d rows (ratio = ours / peer):\n", RowCount);
    PrintRatio(Reporter, "Scan/ours", "Scan/sqlite");
    PrintRatio(Reporter, "Locate/ours", "Locate/sqlite");
    benchmark::Shutdown();
    std::filesystem::remove(DatabaseFile());
    return 0;
}
