// The source editor control with a sketch-like file of 1,000,000 lines (about 40 MB): loading it
// and showing the first screen, and one paint of the screen at line 500,000, each beside Qt's
// own plain text editor doing the same in the same run, with the ratios printed at the end.
// Painting touches the rows on screen only, so its cost must not grow with the line count.
//   build/bench/bench_codeedit

#include "editor/CodeEdit.h"
#include "editor/Editor.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int ViewWidth = 800, ViewHeight = 600;
constexpr int LineCount = 1000000;

std::string SketchFile;

// Lines of the kinds a sketch has, numbered so that no two are alike.
void WriteSketch(const std::string& Path) {
    static const char* Shapes[] = {
        "  digitalWrite(ledPin, HIGH);  // step %d\n", "  int value%d = analogRead(A0) / 4;\n",
        "\tSerial.println(\"reading %d done\");\n", "void loop%d() { delay(100); }\n",
        "  if (counter > %d) { counter = 0; }\n"};
    std::ofstream Out(Path, std::ios::binary);
    char Line[128];
    for (int I = 0; I < LineCount; ++I) {
        std::snprintf(Line, sizeof Line, Shapes[I % 5], I);
        Out << Line;
    }
}

struct TOurs {
    TForm Form{nullptr};
    TCodeEdit* Edit = new TCodeEdit(&Form);
    std::unique_ptr<TBitmap> Picture = std::make_unique<TBitmap>(ViewWidth, ViewHeight);
    TOurs() {
        Form.SetBounds(0, 0, ViewWidth + 20, ViewHeight + 20);
        Edit->SetParent(&Form);
        Edit->SetBounds(0, 0, ViewWidth, ViewHeight);
        Edit->Gutter()->SetShowLineNumbers(true);
        Edit->HandleNeeded();
    }
    void Load() { Edit->Lines()->LoadFromFile(Utf8ToString(SketchFile)); }
    void Paint() {
        Edit->Invalidate();
        Edit->PaintTo(Picture->Canvas(), 0, 0);
    }
};

struct TPeer {
    QPlainTextEdit View;
    QImage Picture{ViewWidth, ViewHeight, QImage::Format_RGB32};
    TPeer() {
        View.setLineWrapMode(QPlainTextEdit::NoWrap);
        View.resize(ViewWidth, ViewHeight);
        View.show();
        QApplication::processEvents();
    }
    void Load() {
        QFile File(QString::fromStdString(SketchFile));
        File.open(QIODevice::ReadOnly);
        View.setPlainText(QString::fromUtf8(File.readAll()));
    }
    void Paint() { View.render(&Picture); }
};

std::map<std::string, double> Seconds;

void SavePicture(TBitmap* B, const char* Name) {
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR")) {
        TPicture P;
        P.SetGraphic(B);
        P.SaveToFile(Utf8ToString(std::string(Dir) + "/" + Name));
    }
}

void BM_OurLoadAndFirstScreen(benchmark::State& State) {
    TOurs Ours;
    for (auto _ : State) {
        Ours.Load();
        Ours.Paint();
    }
    SavePicture(Ours.Picture.get(), "codeedit-first.png");
    State.counters["lines"] = Ours.Edit->Lines()->Count();
}

void BM_QtLoadAndFirstScreen(benchmark::State& State) {
    TPeer Peer;
    for (auto _ : State) {
        Peer.Load();
        Peer.Paint();
    }
    State.counters["lines"] = Peer.View.document()->blockCount();
}

void BM_OurPaintAtMiddle(benchmark::State& State) {
    TOurs Ours;
    Ours.Load();
    Ours.Edit->SetTopLine(LineCount / 2);
    Ours.Paint();
    SavePicture(Ours.Picture.get(), "codeedit-middle.png");
    for (auto _ : State)
        Ours.Paint();
}

void BM_QtPaintAtMiddle(benchmark::State& State) {
    TPeer Peer;
    Peer.Load();
    Peer.View.verticalScrollBar()->setValue(LineCount / 2);
    QApplication::processEvents();
    Peer.Paint();
    for (auto _ : State)
        Peer.Paint();
}

BENCHMARK(BM_OurLoadAndFirstScreen)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtLoadAndFirstScreen)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurPaintAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtPaintAtMiddle)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per pass, to print the ratios after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration && R.iterations > 0)
                Seconds[R.benchmark_name()] = R.real_accumulated_time / static_cast<double>(R.iterations);
    }
};

void PrintRatio(const char* What, const std::string& Ours, const std::string& Peer) {
    const auto O = Seconds.find(Ours);
    const auto P = Seconds.find(Peer);
    if (O == Seconds.end() || P == Seconds.end()) return;
    std::printf("%s: ours %.1f ms, QPlainTextEdit %.1f ms, ours / QPlainTextEdit = %.3f\n", What,
                O->second * 1e3, P->second * 1e3, O->second / P->second);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication App(argc, argv);
    RegisterEditorClasses();
    char Dir[] = "/tmp/bench_codeedit.XXXXXX";
    if (!mkdtemp(Dir)) return 1;
    SketchFile = std::string(Dir) + "/sketch.ino";
    WriteSketch(SketchFile);
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    PrintRatio("load and first screen", "BM_OurLoadAndFirstScreen/iterations:3",
               "BM_QtLoadAndFirstScreen/iterations:3");
    PrintRatio("one screen at line 500,000", "BM_OurPaintAtMiddle", "BM_QtPaintAtMiddle");
    unlink(SketchFile.c_str());
    rmdir(Dir);
    return 0;
}
