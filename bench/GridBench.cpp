// One paint of a draw grid's window (5 columns, a fixed row and column, text in every cell)
// scrolled to the middle of its rows, into a picture of the window's size: at 100 rows and at
// 1,000,000 rows. A paint draws the cells in the window only, so the ratio of the two must stay
// near 1.
//   build/bench/bench_grid

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Grids.h"
#include "platform/gui/Gui.h"

#include <QApplication>
#include "BenchTimes.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int ViewWidth = 400, ViewHeight = 600;

struct TOurs {
    TForm Form{nullptr};
    TDrawGrid* Grid = new TDrawGrid(&Form);
    std::unique_ptr<TBitmap> Picture = std::make_unique<TBitmap>(ViewWidth, ViewHeight);

    explicit TOurs(int Rows) {
        Form.SetBounds(0, 0, ViewWidth + 20, ViewHeight + 20);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, ViewWidth, ViewHeight);
        Grid->SetColCount(5);
        Grid->SetRowCount(Rows);
        Grid->OnDrawCell = [this](TObject*, int ACol, int ARow, TRect R, TGridDrawState) {
            Grid->Canvas()->TextRect(R, R.Left + 2, R.Top + 2, IntToStr(ACol) + u":" + IntToStr(ARow));
        };
        Grid->HandleNeeded();
        Grid->SetTopRow(Rows / 2);
        Grid->SetRow(Rows / 2 + 1);
    }
    void Paint() {
        Grid->Invalidate();
        Grid->PaintTo(Picture->Canvas(), 0, 0);
    }
};


void BM_GridPaint(benchmark::State& State) {
    TOurs Ours(static_cast<int>(State.range(0)));
    Ours.Paint();
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR")) {
        TPicture P;
        P.SetGraphic(Ours.Picture.get());
        P.SaveToFile(Utf8ToString(std::string(Dir) + "/grid-paint-" + std::to_string(State.range(0)) + ".png"));
    }
    for (auto _ : State)
        Ours.Paint();
    State.counters["top_row"] = Ours.Grid->TopRow();
}

BENCHMARK(BM_GridPaint)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);


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
    const auto *Small = Reporter.Find("BM_GridPaint/100"), *Large = Reporter.Find("BM_GridPaint/1000000");
    if (Small && Large)
        std::printf("paint at row 500,000 of 1,000,000 / paint at row 50 of 100 = %.2f\n",
                    Large->Real / Small->Real);
    benchmark::Shutdown();
    return 0;
}
