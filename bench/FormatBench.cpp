// Format and its relatives sit on paint and log paths: time per call and heap allocations per
// call (the result should be the only one).

#include "platform/base/DateTime.h"
#include "platform/base/Format.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> Allocations{0};
}

void* operator new(std::size_t Size) {
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* P = std::malloc(Size ? Size : 1)) return P;
    throw std::bad_alloc();
}
void operator delete(void* P) noexcept {
    std::free(P);
}
void operator delete(void* P, std::size_t) noexcept {
    std::free(P);
}

namespace {

template <typename F> void Measure(benchmark::State& State, F&& Fn) {
    const long Before = Allocations.load();
    for (auto _ : State)
        benchmark::DoNotOptimize(Fn());
    State.counters["allocs/call"] = benchmark::Counter(static_cast<double>(Allocations.load() - Before),
                                                       benchmark::Counter::kAvgIterations);
}

const String Name = u"Channel A";

void BM_FormatIntegersAndText(benchmark::State& State) {
    Measure(State, [] { return Format(u"%s:%5d < %d..%d >", {Name, 42, 0, 100}); });
}

void BM_FormatUtf8Text(benchmark::State& State) {
    Measure(State, [] { return Format(u"COM%d: %s", {7, "Größe der Übertragung"}); });
}

void BM_FormatFloats(benchmark::State& State) {
    Measure(State, [] { return Format(u"%.2f V, %n, %g", {3.14159, 1234567.891, 0.1}); });
}

void BM_FormatHexAndPadding(benchmark::State& State) {
    Measure(State, [] { return Format(u"{%.8x-%.4x} [%-10s] %*d", {0x12AB, 1, u"left", 6, 42}); });
}

void BM_FloatToStr(benchmark::State& State) {
    Measure(State, [] { return FloatToStr(123.456); });
}

void BM_IntToStr(benchmark::State& State) {
    Measure(State, [] { return IntToStr(-1234567); });
}

void BM_FormatDateTime(benchmark::State& State) {
    const TDateTime DT = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    const String Fmt = u"d.m.yyyy, hh:nn:ss.zzz";
    Measure(State, [&] { return FormatDateTime(Fmt, DT); });
}

} // namespace

BENCHMARK(BM_FormatIntegersAndText);
BENCHMARK(BM_FormatUtf8Text);
BENCHMARK(BM_FormatFloats);
BENCHMARK(BM_FormatHexAndPadding);
BENCHMARK(BM_FloatToStr);
BENCHMARK(BM_IntToStr);
BENCHMARK(BM_FormatDateTime);
