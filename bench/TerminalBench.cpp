// The terminal window fed with channel-command traffic at full speed through a pseudo-terminal
// pair: lines of text with three value commands each ("t=17 [*A17][*B34][*C51]" CR LF), with
// command interpretation on, "New line on LF" on and the graph page shown. Reports the received
// bytes per second, lines shown, lines and commands lost, the longest time the GUI thread spent
// in one receive event and the longest gap between two ticks of a 16 ms timer (what the user
// feels as a stall), and how much the process grew after its first second.
//
//   build/bench/bench_terminal                        (2 seconds)
//   MORVANE_TERM_BENCH_SECONDS=10 build/bench/bench_terminal
//   MORVANE_TERM_BENCH_PNG=/tmp/term ...              (also saves the window's three pages as they
//                                                      look at the end: /tmp/term-Terminal.png ...)
//   MORVANE_TERM_BENCH_PACE=11520 ...                  (bytes per second instead of full speed:
//                                                      what a board sends at 115200 baud)

#include "platform/base/Strings.h"
#include "platform/base/Threads.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"
#include "serial/TermQz.h"
#include "support/PtyPair.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

long ResidentKiB() {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind("VmRSS:", 0) == 0) return std::stol(Line.substr(6));
    return 0;
}

void Pump() {
    Application->ProcessMessages();
    CheckSynchronize(5);
}

std::string LineOf(UInt64 K) {
    const std::string N = std::to_string(K);
    return "t=" + N + " [*A" + std::to_string(K % 1024) + "][*B" + std::to_string((K * 7) % 1024) + "][*C" +
           std::to_string((K * 13) % 4096) + "]\r\n";
}

int Seconds() {
    const char* S = std::getenv("MORVANE_TERM_BENCH_SECONDS");
    return S && std::atoi(S) > 0 ? std::atoi(S) : 2;
}

void BM_TerminalChannelTraffic(benchmark::State& State) {
    const std::string Folder = std::filesystem::temp_directory_path() / "morvane-terminal-bench";
    std::filesystem::remove_all(Folder);
    for (auto _ : State) {
        TPtyPair Pair(Folder, 1, 0);
        auto Term = std::make_unique<TfrmTerm>(nullptr);
        Term->SetBounds(0, 0, 900, 600);
        Term->SetTermCaption(u"Term bench [0]");
        Term->SetTermParams(1, 115200);
        Term->actInterpretChannelCommands->Execute();
        Term->actNewLineOnLF->SetChecked(true);
        Term->chkLogChannels->SetChecked(true);
        Term->Show();
        Term->pgc1->SetActivePage(Term->tsGraph);
        // Time in each receive event, around the window's own handler.
        double LongestEventMs = 0;
        UInt64 Events = 0;
        auto Handler = Term->ComPort->OnDataRecived;
        Term->ComPort->OnDataRecived = [&](TObject* Sender, int Count) {
            const auto T0 = TClock::now();
            Handler(Sender, Count);
            LongestEventMs =
                std::max(LongestEventMs, std::chrono::duration<double, std::milli>(TClock::now() - T0).count());
            ++Events;
        };
        // A timer as the user's eye: the longest gap between its ticks.
        TTimer Tick(nullptr);
        Tick.SetInterval(16);
        auto LastTick = TClock::now();
        double LongestGapMs = 0;
        bool Measuring = false;
        Tick.OnTimer = [&](TObject*) {
            const auto Now = TClock::now();
            if (Measuring)
                LongestGapMs =
                    std::max(LongestGapMs, std::chrono::duration<double, std::milli>(Now - LastTick).count());
            LastTick = Now;
        };
        Tick.SetEnabled(true);
        Term->OpenTermPort();
        std::atomic<bool> Stop{false}, WriterDone{false};
        std::atomic<UInt64> LinesSent{0}, BytesSent{0};
        const char* PaceText = std::getenv("MORVANE_TERM_BENCH_PACE");
        const double Pace = PaceText ? std::atof(PaceText) : 0;
        std::thread Writer([&] {
            std::string Block;
            UInt64 K = 0;
            const auto WriterStart = TClock::now();
            while (!Stop) {
                Block.clear();
                for (int I = 0; I < (Pace > 0 ? 1 : 64); ++I)
                    Block += LineOf(K++);
                if (Pace > 0)
                    std::this_thread::sleep_until(
                        WriterStart + std::chrono::duration<double>(double(BytesSent + Block.size()) / Pace));
                Pair.Send(Block);
                BytesSent += Block.size();
                LinesSent = K;
            }
            WriterDone = true;
        });
        const auto Start = TClock::now();
        const auto End = Start + std::chrono::seconds(Seconds());
        const auto Warm = Start + std::chrono::seconds(1);
        long RssWarm = -1, RssMax = 0;
        LastTick = TClock::now();
        Measuring = true;
        while (TClock::now() < End) {
            Pump();
            if (RssWarm < 0 && TClock::now() >= Warm) RssWarm = ResidentKiB();
            if (RssWarm >= 0) RssMax = std::max(RssMax, ResidentKiB());
        }
        Measuring = false;
        Stop = true;
        while (!WriterDone)
            Pump();
        Writer.join();
        // What is on its way arrives; the last line is then the empty one after the last LF.
        const auto Drain = TClock::now() + std::chrono::seconds(10);
        while (Term->LastUsedLine < int(LinesSent) && TClock::now() < Drain)
            Pump();
        const double Elapsed = std::chrono::duration<double>(TClock::now() - Start).count();
        // Every line must show its own number, in order; the last values must be on the boxes.
        TStrings* Lines = Term->Memo2->Lines();
        UInt64 Lost = 0;
        const UInt64 N = LinesSent;
        for (UInt64 K = 0; K < N; ++K)
            if (int(K) >= Lines->Count() || Lines->Strings(int(K)) != Utf8ToString("t=" + std::to_string(K) + " "))
                ++Lost;
        const UInt64 Last = N - 1;
        const bool BoxesRight = Term->txt[0]->Caption() == IntToStr(int(Last % 1024)) &&
                                Term->txt[1]->Caption() == IntToStr(int((Last * 7) % 1024)) &&
                                Term->txt[2]->Caption() == IntToStr(int((Last * 13) % 4096));
        if (const char* Png = std::getenv("MORVANE_TERM_BENCH_PNG"))
            for (TTabSheet* Page : {Term->tsGraph, Term->tsLogChannels, Term->tsTerminal}) {
                Term->pgc1->SetActivePage(Page);
                for (int I = 0; I < 20; ++I)
                    Pump();
                TBitmap Picture(Term->Width(), Term->Height());
                Term->PaintTo(Picture.Canvas(), 0, 0);
                TPngImage Out;
                Out.Assign(&Picture);
                Out.SaveToFile(Utf8ToString(std::string(Png) + "-") + Page->Caption() + u".png");
            }
        Term->CloseTermPort();
        State.counters["bytes_per_s"] = double(BytesSent) / Elapsed;
        State.counters["lines"] = double(N);
        State.counters["lines_lost"] = double(Lost);
        State.counters["boxes_right"] = BoxesRight ? 1 : 0;
        State.counters["events"] = double(Events);
        State.counters["longest_event_ms"] = LongestEventMs;
        State.counters["longest_tick_gap_ms"] = LongestGapMs;
        State.counters["log_lines"] = double(Term->lstLogChannels->Items()->Count());
        State.counters["rss_after_1s_KiB"] = double(RssWarm);
        State.counters["rss_growth_after_1s_KiB"] = double(RssMax - std::max(RssWarm, 0L));
        State.counters["pane_KiB"] = double(Term->Memo2->GetTextLen()) * 2 / 1024;
    }
    std::filesystem::remove_all(Folder);
}

BENCHMARK(BM_TerminalChannelTraffic)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Application->Initialize();
    RegisterPlatformGuiClasses();
    RegisterSerialClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DoneApplication();
    return 0;
}
