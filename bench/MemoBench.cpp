// A terminal's receive pane: a memo of thousands of lines, shown on a form, that gets received
// text many times a second. Measures adding a line, appending characters to the last line (as
// the terminal does, line by index), appending text at the end and scrolling it into view, each
// followed by the event loop's repaint; the same appending without the repaint (a batch of
// received bytes is handled before the event loop runs again); a repaint alone; and, for
// comparison, appending by rewriting the whole text.

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"
#include "platform/gui/StdCtrls.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

struct TPane {
    std::unique_ptr<TForm> Form;
    TMemo* Memo;
    explicit TPane(int Lines) : Form(std::make_unique<TForm>(nullptr)) {
        Form->SetBounds(0, 0, 600, 400);
        Memo = new TMemo(Form.get());
        Memo->SetParent(Form.get());
        Memo->SetAlign(alClient);
        Memo->SetScrollBars(StdCtrls::ssBoth);
        Memo->SetReadOnly(true);
        Form->Show();
        Memo->Lines()->BeginUpdate();
        for (int I = 0; I < Lines; ++I)
            Memo->Lines()->Add(u"received line " + IntToStr(I) + u": temperature=23.5 humidity=41");
        Memo->Lines()->EndUpdate();
        QApplication::processEvents();
    }
};

void BM_LinesAdd(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    int N = 0;
    for (auto _ : State) {
        P.Memo->Lines()->Add(u"new line " + IntToStr(++N));
        QApplication::processEvents();
    }
}

void BM_AppendCharToLastLine(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    TStrings* L = P.Memo->Lines();
    int Last = L->Count();
    L->Add(u"");
    int Column = 0;
    for (auto _ : State) {
        // Line by index, as the terminal fills its current line.
        L->SetString(Last, L->Strings(Last) + u'x');
        if (++Column == 80) {
            Column = 0;
            ++Last;
            L->Add(u"");
        }
        QApplication::processEvents();
    }
}

void BM_AppendCharWithoutRepaint(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    TStrings* L = P.Memo->Lines();
    int Last = L->Count();
    L->Add(u"");
    int Column = 0;
    for (auto _ : State) {
        L->SetString(Last, L->Strings(Last) + u'x');
        if (++Column == 80) {
            Column = 0;
            ++Last;
            L->Add(u"");
        }
    }
    QApplication::processEvents();
}

void BM_RepaintAlone(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        P.Memo->Invalidate();
        QApplication::processEvents();
    }
}

void BM_AppendTextAndScrollToEnd(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    const String Chunk = u"T=23.5 H=41\r\n";
    for (auto _ : State) {
        P.Memo->SetSelStart(P.Memo->GetTextLen());
        P.Memo->SetSelText(Chunk);
        P.Memo->Perform(EM_SCROLLCARET);
        QApplication::processEvents();
    }
}

void BM_AppendByWholeText(benchmark::State& State) {
    TPane P(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        P.Memo->SetText(P.Memo->Text() + u"T=23.5 H=41\r\n");
        QApplication::processEvents();
    }
}

BENCHMARK(BM_LinesAdd)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendCharToLastLine)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendCharWithoutRepaint)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintAlone)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendTextAndScrollToEnd)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendByWholeText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->Iterations(50);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication App(argc, argv);
    RegisterPlatformGuiClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DoneApplication();
    return 0;
}
