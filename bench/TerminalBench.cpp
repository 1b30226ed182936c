// The terminal window fed with channel-command traffic at full speed through a pseudo-terminal
// pair: lines of text with three value commands each ("t=17 [*A17][*B34][*C51]" CR LF), with
// command interpretation on, "New line on LF" on, the log on and the graph page shown; and, in
// the same run, the serial port component alone taking the same traffic. Reports the received
// bytes per second, lines shown, lines and commands lost, the longest time the GUI thread spent
// in one receive event, the longest gap between two ticks of a 16 ms timer (what the user feels
// as a stall), the most memory the process took and how much it grew after its first seconds.
//
//   build/bench/bench_terminal                        (30 seconds each)
//   MORVANE_TERM_BENCH_SECONDS=5 build/bench/bench_terminal
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
#include "support/ProcessMemory.h"

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
    return S && std::atoi(S) > 0 ? std::atoi(S) : 30;
}

// Growth is counted from here: the receive pane and the log fill up first.
constexpr int WarmSeconds = 5;

// A timer as the user's eye: the longest gap between its ticks while measuring.
struct TTickWatch {
    TTimer Tick{nullptr};
    TClock::time_point Last = TClock::now();
    double LongestGapMs = 0;
    bool Measuring = false;
    TTickWatch() {
        Tick.SetInterval(16);
        Tick.OnTimer = [this](TObject*) {
            const auto Now = TClock::now();
            if (Measuring)
                LongestGapMs = std::max(LongestGapMs, std::chrono::duration<double, std::milli>(Now - Last).count());
            Last = Now;
        };
        Tick.SetEnabled(true);
    }
    void Start() {
        Last = TClock::now();
        Measuring = true;
    }
};

// What a flood sent, and the process's memory while it ran.
struct TFlood {
    TClock::time_point Start;
    UInt64 LinesSent = 0, BytesSent = 0;
    long RssWarm = -1, RssMax = 0;
};

// Sends lines from a thread of its own for Seconds(), in blocks of 64 or paced at Pace bytes a
// second, while the GUI thread handles what arrives; then waits for the sender to stop.
TFlood Flood(TPtyPair& Pair, TTickWatch& Watch, double Pace) {
    std::atomic<bool> Stop{false}, WriterDone{false};
    std::atomic<UInt64> LinesSent{0}, BytesSent{0};
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
    TFlood F;
    F.Start = TClock::now();
    const auto End = F.Start + std::chrono::seconds(Seconds());
    const auto Warm = F.Start + std::chrono::seconds(WarmSeconds);
    Watch.Start();
    while (TClock::now() < End) {
        Pump();
        const long Now = ResidentKiB();
        F.RssMax = std::max(F.RssMax, Now);
        if (F.RssWarm < 0 && TClock::now() >= Warm) F.RssWarm = Now;
    }
    Watch.Measuring = false;
    Stop = true;
    while (!WriterDone)
        Pump();
    Writer.join();
    F.LinesSent = LinesSent;
    F.BytesSent = BytesSent;
    return F;
}

// The serial port component alone: the same lines, read in its receive events and checked.
void BM_SerialComponentAlone(benchmark::State& State) {
    const std::string Folder = std::filesystem::temp_directory_path() / "morvane-terminal-bench";
    std::filesystem::remove_all(Folder);
    for (auto _ : State) {
        TPtyPair Pair(Folder, 1, 0);
        auto Port = std::make_unique<TSerComPort>(nullptr);
        Port->SetComNumber(1);
        std::string Got, Expected;
        UInt64 Checked = 0, Lost = 0, NextLine = 0;
        double LongestEventMs = 0;
        Port->OnDataRecived = [&](TObject*, int) {
            const auto T0 = TClock::now();
            Got += Port->ReadString();
            // Whole lines are compared with what was sent and dropped: nothing is kept. The
            // block's lines go at once, not one by one from its front.
            std::size_t From = 0, End;
            while ((End = Got.find('\n', From)) != std::string::npos) {
                if (Got.compare(From, End + 1 - From, LineOf(NextLine)) != 0) ++Lost;
                ++NextLine;
                ++Checked;
                From = End + 1;
            }
            Got.erase(0, From);
            LongestEventMs =
                std::max(LongestEventMs, std::chrono::duration<double, std::milli>(TClock::now() - T0).count());
        };
        TTickWatch Watch;
        Port->Open();
        const TFlood F = Flood(Pair, Watch, 0);
        const UInt64 LinesSent = F.LinesSent;
        const auto Drain = TClock::now() + std::chrono::seconds(10);
        while (Checked < LinesSent && TClock::now() < Drain)
            Pump();
        const double Elapsed = std::chrono::duration<double>(TClock::now() - F.Start).count();
        Port->Close();
        State.counters["bytes_per_s"] = double(F.BytesSent) / Elapsed;
        State.counters["lines"] = double(LinesSent);
        State.counters["lines_lost"] = double(Lost + (LinesSent - Checked));
        State.counters["longest_event_ms"] = LongestEventMs;
        State.counters["longest_tick_gap_ms"] = Watch.LongestGapMs;
        State.counters["rss_peak_KiB"] = double(F.RssMax);
        State.counters["rss_growth_after_warm_KiB"] = double(F.RssMax - std::max(F.RssWarm, 0L));
    }
    std::filesystem::remove_all(Folder);
}

void BM_TerminalChannelTraffic(benchmark::State& State) {
    const std::string Folder = std::filesystem::temp_directory_path() / "morvane-terminal-bench";
    std::filesystem::remove_all(Folder);
    for (auto _ : State) {
        TPtyPair Pair(Folder, 1, 0);
        auto Term = std::make_unique<TfrmTerm>(nullptr);
        // At its designed size, as a user first sees it.
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
        TTickWatch Watch;
        Term->OpenTermPort();
        const char* PaceText = std::getenv("MORVANE_TERM_BENCH_PACE");
        const TFlood F = Flood(Pair, Watch, PaceText ? std::atof(PaceText) : 0);
        // What is on its way arrives: the pane's last line is then the last one sent.
        const UInt64 N = F.LinesSent;
        TStrings* Lines = Term->Memo2->Lines();
        const String LastLine = Utf8ToString("t=" + std::to_string(N - 1) + " ");
        const auto Drain = TClock::now() + std::chrono::seconds(10);
        while ((Lines->Count() == 0 || Lines->Strings(Lines->Count() - 1) != LastLine) && TClock::now() < Drain)
            Pump();
        const double Elapsed = std::chrono::duration<double>(TClock::now() - F.Start).count();
        // The pane keeps the newest lines: each must show its own number, in order, up to the
        // last one sent; the last values must be on the boxes.
        UInt64 Lost = 0;
        const int Kept = Lines->Count();
        for (int I = 0; I < Kept; ++I)
            if (Lines->Strings(I) != Utf8ToString("t=" + std::to_string(N - UInt64(Kept - I)) + " ")) ++Lost;
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
        State.counters["bytes_per_s"] = double(F.BytesSent) / Elapsed;
        State.counters["lines"] = double(N);
        State.counters["lines_lost"] = double(Lost);
        State.counters["boxes_right"] = BoxesRight ? 1 : 0;
        State.counters["events"] = double(Events);
        State.counters["longest_event_ms"] = LongestEventMs;
        State.counters["longest_tick_gap_ms"] = Watch.LongestGapMs;
        State.counters["log_lines"] = double(Term->lstLogChannels->Items()->Count());
        State.counters["pane_lines"] = double(Kept);
        State.counters["rss_peak_KiB"] = double(F.RssMax);
        State.counters["rss_growth_after_warm_KiB"] = double(F.RssMax - std::max(F.RssWarm, 0L));
        State.counters["pane_KiB"] = double(Term->Memo2->GetTextLen()) * 2 / 1024;
    }
    std::filesystem::remove_all(Folder);
}

BENCHMARK(BM_SerialComponentAlone)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
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
