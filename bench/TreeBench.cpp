// The tree's node model at a million nodes: adding, walking, sorting and deleting, with the heap
// that the nodes take (malloc's own bookkeeping included) and the allocations besides the nodes.

#include "tree/BaseLeanTree.h"
#include "tree/Tree.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <new>
#include <random>

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

constexpr int Parents = 1000;
constexpr int ChildrenEach = 999;
constexpr int Total = Parents * (ChildrenEach + 1);

// A tree as the programs fill theirs: one object reference per node, added inside one update.
std::unique_ptr<TBaseLeanTree> MakeTree() {
    auto Tree = std::make_unique<TBaseLeanTree>(nullptr);
    Tree->TreeOptions()->SetAutoOptions(Tree->TreeOptions()->AutoOptions() - TLTAutoOptions{toAutoSort});
    Tree->SetNodeDataSize(sizeof(void*));
    return Tree;
}

void Fill(TBaseLeanTree& Tree) {
    std::mt19937 Random(1);
    Tree.BeginUpdate();
    for (int P = 0; P < Parents; ++P) {
        PLeanNode Parent = Tree.AddChild(nullptr);
        *static_cast<std::intptr_t*>(Tree.GetNodeData(Parent)) = static_cast<std::intptr_t>(Random() % 1000);
        for (int C = 0; C < ChildrenEach; ++C) {
            PLeanNode Child = Tree.AddChild(Parent);
            *static_cast<std::intptr_t*>(Tree.GetNodeData(Child)) =
                static_cast<std::intptr_t>(Random() % 1000);
        }
    }
    Tree.EndUpdate();
}

void BM_AddMillionNodes(benchmark::State& State) {
    long Calls = 0;
    std::size_t Bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Tree = MakeTree();
        const std::size_t HeapBefore = mallinfo2().uordblks;
        const long Before = Allocations.load();
        State.ResumeTiming();
        Fill(*Tree);
        State.PauseTiming();
        Calls += Allocations.load() - Before;
        Bytes += mallinfo2().uordblks - HeapBefore;
        Tree.reset();
        State.ResumeTiming();
    }
    const double Runs = static_cast<double>(State.iterations());
    State.counters["bytes/node"] = static_cast<double>(Bytes) / Runs / Total;
    State.counters["allocs/node"] = static_cast<double>(Calls) / Runs / Total;
    State.counters["ns/node"] =
        benchmark::Counter(Total * Runs, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WalkMillionNodes(benchmark::State& State) {
    auto Tree = MakeTree();
    Fill(*Tree);
    const bool Init = State.range(0) != 0;
    long Seen = 0;
    for (auto _ : State) {
        if (Init)
            for (PLeanNode Run = Tree->GetFirst(); Run; Run = Tree->GetNext(Run))
                ++Seen;
        else
            for (PLeanNode Run = Tree->GetFirstNoInit(); Run; Run = Tree->GetNextNoInit(Run))
                ++Seen;
    }
    benchmark::DoNotOptimize(Seen);
    State.counters["ns/node"] = benchmark::Counter(Total * static_cast<double>(State.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SortMillionNodes(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        auto Tree = MakeTree();
        Fill(*Tree);
        TBaseLeanTree* T = Tree.get();
        Tree->OnCompareNodes = [T](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
            Result = static_cast<int>(*static_cast<std::intptr_t*>(T->GetNodeData(A)) -
                                      *static_cast<std::intptr_t*>(T->GetNodeData(B)));
        };
        Tree->FullExpand();
        const long Before = Allocations.load();
        State.ResumeTiming();
        Tree->SortTree(ColumnNone, sdAscending, false);
        State.PauseTiming();
        State.counters["allocs"] = static_cast<double>(Allocations.load() - Before);
        Tree.reset();
        State.ResumeTiming();
    }
}

void BM_DeleteMillionNodes(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        auto Tree = MakeTree();
        Fill(*Tree);
        State.ResumeTiming();
        Tree->Clear();
        State.PauseTiming();
        Tree.reset();
        State.ResumeTiming();
    }
    State.counters["ns/node"] = benchmark::Counter(Total * static_cast<double>(State.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_AddMillionNodes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WalkMillionNodes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortMillionNodes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeleteMillionNodes)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    RegisterTreeClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
