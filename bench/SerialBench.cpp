// Bytes through a pseudo-terminal pair into a serial port component's receive events, at full
// speed for 10 seconds: throughput, every byte checked for loss and order, the time from a
// block's write on the far end to the event that delivers its last byte (median and 99th
// percentile), and how much the process grew meanwhile (in all, and after its first second).

#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"
#include "serial/SerComPort.h"
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
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;


// The GUI thread's message loop: the toolkit's events (each cross-thread call wakes it with
// one), then a short wait for the next call.
void Pump() {
    Application->ProcessMessages();
    CheckSynchronize(10);
}

// Byte n of the stream: a pattern that a lost, doubled or reordered byte breaks.
Byte PatternAt(UInt64 N) {
    return static_cast<Byte>((N * 31 + N / 251) & 0xFF);
}

void BM_ReceiveThroughPtyPair(benchmark::State& State) {
    const int Seconds = static_cast<int>(State.range(0));
    const std::string Folder = std::filesystem::temp_directory_path() / "morvane-serial-bench";
    std::filesystem::remove_all(Folder);
    constexpr int BlockSize = 4096;
    constexpr std::size_t MaxBlocks = 1 << 20;
    for (auto _ : State) {
        TPtyPair Pair(Folder, 1, 0);
        auto Port = std::make_unique<TSerComPort>(nullptr);
        Port->SetComNumber(1);
        // Block ends (bytes written so far) and their write times, published by the writer.
        std::vector<UInt64> Ends(MaxBlocks);
        std::vector<TClock::time_point> Written(MaxBlocks);
        std::atomic<std::size_t> Published{0};
        std::vector<double> Latencies;
        Latencies.reserve(MaxBlocks);
        UInt64 Received = 0, Wrong = 0;
        std::size_t NextBlock = 0;
        std::vector<Byte> Buf(1 << 16);
        Port->OnDataRecived = [&](TObject*, int Count) {
            while (Count > 0) {
                const int N = std::min<int>(Count, static_cast<int>(Buf.size()));
                Port->ReadData(Buf.data(), N);
                for (int I = 0; I < N; ++I)
                    Wrong += Buf[static_cast<std::size_t>(I)] != PatternAt(Received + static_cast<UInt64>(I));
                Received += static_cast<UInt64>(N);
                Count -= N;
            }
            const auto Now = TClock::now();
            const std::size_t Known = Published.load(std::memory_order_acquire);
            while (NextBlock < Known && Ends[NextBlock] <= Received) {
                Latencies.push_back(
                    std::chrono::duration<double, std::micro>(Now - Written[NextBlock]).count());
                ++NextBlock;
            }
        };
        Port->SetActive(true);
        const long RssBefore = ResidentKiB();
        long RssMax = RssBefore;
        std::atomic<bool> Stop{false}, WriterDone{false};
        UInt64 Sent = 0;
        std::thread Writer([&] {
            std::string Block(BlockSize, '\0');
            while (!Stop && Published < MaxBlocks) {
                for (int I = 0; I < BlockSize; ++I)
                    Block[static_cast<std::size_t>(I)] =
                        static_cast<char>(PatternAt(Sent + static_cast<UInt64>(I)));
                Pair.Send(Block);
                const std::size_t K = Published.load(std::memory_order_relaxed);
                Sent += BlockSize;
                Ends[K] = Sent;
                Written[K] = TClock::now();
                Published.store(K + 1, std::memory_order_release);
            }
            WriterDone = true;
        });
        const auto Start = TClock::now();
        const auto End = Start + std::chrono::seconds(Seconds);
        // After the first second the queues and the allocator have their working size; what
        // grows after it would grow without end.
        const auto Warm = Start + std::chrono::seconds(1);
        long RssWarm = -1, RssWarmMax = 0;
        while (TClock::now() < End) {
            Pump();
            const long Rss = ResidentKiB();
            RssMax = std::max(RssMax, Rss);
            if (RssWarm < 0 && TClock::now() >= Warm) RssWarm = Rss;
            if (RssWarm >= 0) RssWarmMax = std::max(RssWarmMax, Rss);
        }
        Stop = true;
        // The writer may wait for room that only the receive events make.
        while (!WriterDone)
            Pump();
        Writer.join();
        // What is still on its way arrives; then nothing may be missing.
        const auto Drain = TClock::now() + std::chrono::seconds(5);
        while (Received < Sent && TClock::now() < Drain)
            Pump();
        const double Elapsed = std::chrono::duration<double>(TClock::now() - Start).count();
        Port->SetActive(false);
        std::sort(Latencies.begin(), Latencies.end());
        auto Percentile = [&](double P) {
            return Latencies.empty() ? 0.0
                                     : Latencies[static_cast<std::size_t>(P * double(Latencies.size() - 1))];
        };
        State.counters["MB/s"] = double(Received) / Elapsed / 1e6;
        State.counters["bytes"] = double(Received);
        State.counters["lost"] = double(Sent - std::min(Sent, Received));
        State.counters["wrong"] = double(Wrong);
        State.counters["lat_med_us"] = Percentile(0.5);
        State.counters["lat_p99_us"] = Percentile(0.99);
        State.counters["rss_growth_KiB"] = double(RssMax - RssBefore);
        State.counters["rss_growth_after_1s_KiB"] = double(RssWarmMax - std::max(RssWarm, 0L));
    }
    std::filesystem::remove_all(Folder);
}

BENCHMARK(BM_ReceiveThroughPtyPair)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Application->Initialize();
    RegisterPlatformGuiClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DoneApplication();
    return 0;
}
