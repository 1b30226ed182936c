// Scrolling a data grid over the SQLite dataset page by page, 1,000,000 records, beside Qt's own
// QTableView over a QSqlTableModel of the same table (QSQLITE driver) in the same run. One
// iteration moves one page down (back to the top after the last one) and paints the window into
// a picture. The database lives in the benchmark's own temporary folder. The ratio printed at
// the end is ours / peer, per page.
//   build/bench/bench_dbgrid

#include "DBGridBenchPeer.h"

#include "dataaware/grids/daDBGrid.h"
#include "platform/base/Strings.h"
#include "platform/data/SQLiteDataSet.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"

#include <QApplication>
#include "BenchTimes.h"
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int RecordCount = 1000000;

std::string& Folder() {
    static std::string F = [] {
        const char* Tmp = std::getenv("TMPDIR");
        std::string Pattern = std::string(Tmp && *Tmp ? Tmp : "/tmp") + "/morvane-dbgrid-bench-XXXXXX";
        if (!mkdtemp(Pattern.data())) std::abort();
        return Pattern;
    }();
    return F;
}

const std::string& DatabaseFile() {
    static const std::string File = [] {
        std::string Name = Folder() + "/items.sqlite";
        sqlite3* Db;
        sqlite3_open(Name.c_str(), &Db);
        sqlite3_exec(Db, "CREATE TABLE items (ID INTEGER, NAME VARCHAR(20), CITY VARCHAR(16), PRICE REAL); BEGIN;",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* S;
        sqlite3_prepare_v2(Db, "INSERT INTO items VALUES (?, ?, ?, ?)", -1, &S, nullptr);
        for (int I = 1; I <= RecordCount; ++I) {
            const std::string Name = "name" + std::to_string(I);
            sqlite3_bind_int(S, 1, I);
            sqlite3_bind_text(S, 2, Name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(S, 3, I % 2 ? "Oslo" : "Bergen", -1, SQLITE_STATIC);
            sqlite3_bind_double(S, 4, I * 0.25);
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


void BM_OurGridPage(benchmark::State& State) {
    TForm Form(nullptr);
    auto* DS = new TSQLiteDataSet(&Form);
    DS->SetDatabaseName(Utf8ToString(DatabaseFile()));
    DS->SetTableName(u"items");
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    auto* Grid = new TdaCustomDBGrid(&Form);
    Form.SetBounds(0, 0, GridBenchWidth + 20, GridBenchHeight + 20);
    Grid->SetParent(&Form);
    Grid->SetBounds(0, 0, GridBenchWidth, GridBenchHeight);
    Form.Show();
    Grid->HandleNeeded();
    Grid->SetDataSource(Source);
    DS->Open();
    TBitmap Picture(GridBenchWidth, GridBenchHeight);
    const int Page = Grid->VisibleRowCount();
    for (auto _ : State) {
        if (DS->Eof() || DS->RecNo() + Page > RecordCount)
            DS->First();
        else
            DS->MoveBy(Page);
        Grid->PaintTo(Picture.Canvas(), 0, 0);
    }
    State.counters["rows_per_page"] = Page;
    State.counters["buffered"] = DS->BufferCount();
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR")) {
        TPicture P;
        P.SetGraphic(&Picture);
        P.SaveToFile(Utf8ToString(std::string(Dir) + "/dbgrid-bench.png"));
    }
}

void BM_QtTableViewPage(benchmark::State& State) {
    PeerOpen(DatabaseFile());
    for (auto _ : State)
        PeerPageDownAndPaint();
    State.counters["top_row"] = PeerTopRow();
    PeerClose();
}

BENCHMARK(BM_OurGridPage)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_QtTableViewPage)->Unit(benchmark::kMicrosecond)->MinTime(2.0);


} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication App(argc, argv);
    RegisterPlatformGuiClasses();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const auto *Ours = Reporter.Find("BM_OurGridPage/min_time:2.000"),
               *Peer = Reporter.Find("BM_QtTableViewPage/min_time:2.000");
    if (Ours && Peer)
        std::printf("\nPer page over %d records: ours %.1f us, QTableView %.1f us, ratio (ours / peer) %.2f\n",
                    RecordCount, Ours->Real * 1e6, Peer->Real * 1e6, Ours->Real / Peer->Real);
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
