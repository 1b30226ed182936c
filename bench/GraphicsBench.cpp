// Text out on a bitmap canvas as an editor paints it: 10,000 lines of 80 characters, each
// character on its own cell through per-character advances. Reports the time per line.

#include "platform/gui/Graphics.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int Lines = 10000;
constexpr int Columns = 80;

std::vector<String> SourceLines() {
    static const char16_t* Words[] = {u"digitalWrite",
                                      u"(",
                                      u"ledPin",
                                      u", ",
                                      u"HIGH",
                                      u");",
                                      u" // ",
                                      u"delay",
                                      u"1000",
                                      u"void",
                                      u" loop() {",
                                      u"int",
                                      u" value = ",
                                      u"analogRead",
                                      u"A0",
                                      u"Serial.println",
                                      u"}",
                                      u"  "};
    std::vector<String> Result;
    unsigned Seed = 12345;
    for (int I = 0; I < Lines; ++I) {
        String L;
        while (L.size() < Columns) {
            Seed = Seed * 1103515245u + 12345u;
            L += Words[(Seed >> 16) % std::size(Words)];
        }
        L.resize(Columns);
        Result.push_back(L);
    }
    return Result;
}

void TextOutWithAdvances(benchmark::State& State, bool Opaque, bool WithAdvances) {
    const std::vector<String> Text = SourceLines();
    TBitmap Bitmap(Columns * 8 + 16, 40 * 15);
    TCanvas* C = Bitmap.Canvas();
    C->Font()->SetName(u"Courier New");
    C->Font()->SetSize(10);
    C->Font()->SetColor(clNavy);
    C->Brush()->SetColor(clWhite);
    if (!Opaque) C->Brush()->SetStyle(bsClear);
    const int Cell = C->TextWidth(u"M");
    const std::vector<int> Dx(Columns, Cell);
    for (auto _ : State) {
        for (int I = 0; I < Lines; ++I) {
            const int Y = (I % 40) * 15;
            if (WithAdvances) {
                const TRect R = Rect(0, Y, Columns * Cell, Y + 15);
                C->ExtTextOut(0, Y, Opaque ? ETO_OPAQUE | ETO_CLIPPED : ETO_CLIPPED, &R, Text[I], Dx.data());
            } else {
                C->TextOut(0, Y, Text[I]);
            }
        }
    }
    State.SetItemsProcessed(State.iterations() * Lines);
    State.counters["per_line"] = benchmark::Counter(
        double(Lines), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TextOutAdvancesOpaque(benchmark::State& State) {
    TextOutWithAdvances(State, true, true);
}
void BM_TextOutAdvancesTransparent(benchmark::State& State) {
    TextOutWithAdvances(State, false, true);
}
void BM_TextOutPlain(benchmark::State& State) {
    TextOutWithAdvances(State, true, false);
}

BENCHMARK(BM_TextOutAdvancesOpaque)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextOutAdvancesTransparent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextOutPlain)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QGuiApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
