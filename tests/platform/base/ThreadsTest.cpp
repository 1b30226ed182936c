#include "platform/base/Strings.h"
#include "support/TestSupport.h"
#include "platform/base/Threads.h"

#include <gtest/gtest.h>

namespace {

// A thread whose work is a function of the test.
class TWorker : public TThread {
public:
    TWorker(bool CreateSuspended, std::function<void(TWorker&)> AWork)
        : TThread(CreateSuspended), FWork(std::move(AWork)) {}
    ~TWorker() override {
        if (Freed) *Freed = true;
    }
    using TThread::SetReturnValue;
    std::atomic<bool>* Freed = nullptr;

protected:
    void Execute() override { FWork(*this); }

private:
    std::function<void(TWorker&)> FWork;
};

// Runs the main-thread queue until Done holds; gives up after ten seconds so that a fault
// fails the test instead of hanging it.
template <class Pred> bool ServeUntil(Pred Done) {
    for (int I = 0; I < 1000 && !Done(); ++I)
        CheckSynchronize(10);
    return Done();
}

} // namespace

TEST(Thread, StartTerminateWait) {
    std::atomic<int> Rounds{0};
    TWorker T(true, [&](TWorker& Self) {
        while (!Self.Terminated()) {
            ++Rounds;
            Sleep(1);
        }
        Self.SetReturnValue(7);
    });
    EXPECT_EQ(T.ThreadID(), 0u);
    EXPECT_EQ(ThrownMessage<EThread>([&] { T.WaitFor(); }),
              u"Cannot wait for a thread that was never started");
    T.Start();
    EXPECT_NE(T.ThreadID(), 0u);
    EXPECT_NE(T.ThreadID(), MainThreadID());
    EXPECT_EQ(ThrownMessage<EThread>([&] { T.Start(); }),
              u"Cannot call Start on a running or suspended thread");
    while (Rounds == 0)
        Sleep(1);
    EXPECT_FALSE(T.Finished());
    T.Terminate();
    EXPECT_EQ(T.WaitFor(), 7u);
    EXPECT_TRUE(T.Finished());
    EXPECT_EQ(T.ReturnValue(), 7);
    EXPECT_FALSE(T.FatalException());
}

namespace {

// Builds itself slowly: a thread started before its constructor ended would see 0.
class TSlowBuilt : public TThread {
public:
    TSlowBuilt() : TThread(false) {
        Sleep(30);
        FValue = 42;
    }

protected:
    void Execute() override { SetReturnValue(FValue); }

private:
    int FValue = 0;
};

} // namespace

TEST(Thread, NotSuspendedStartsOnceFullyBuilt) {
    auto T = std::make_unique<TSlowBuilt>();
    EXPECT_EQ(T->WaitFor(), 42u);
    TSlowBuilt* Raw = new TSlowBuilt;
    EXPECT_EQ(Raw->WaitFor(), 42u);
    delete Raw;
    EXPECT_EQ(ThrownMessage<EThread>([] { TSlowBuilt OnStack; }),
              u"A thread that starts at once must be created with new");
}

TEST(Thread, FreeOnTerminateAndOnTerminateOnTheMainThread) {
    std::atomic<bool> Freed{false};
    TThreadID TerminateRanOn = 0;
    auto* T = new TWorker(true, [](TWorker&) {});
    T->Freed = &Freed;
    T->SetFreeOnTerminate(true);
    T->OnTerminate = [&](TObject* Sender) {
        EXPECT_EQ(Sender, T);
        TerminateRanOn = GetCurrentThreadId();
    };
    EXPECT_EQ(ThrownMessage<EThread>([&] {
                  T->Start();
                  T->WaitFor();
              }),
              u"Cannot wait for a thread that frees itself");
    EXPECT_TRUE(ServeUntil([&] { return Freed.load(); }));
    EXPECT_EQ(TerminateRanOn, MainThreadID());
}

TEST(Thread, SynchronizeAndQueueWhileTheMainThreadWaits) {
    std::vector<String> Log; // touched on the main thread only
    String WorkerSaw;
    TWorker T(true, [&](TWorker& Self) {
        Self.Synchronize([&] {
            Log.push_back(GetCurrentThreadId() == MainThreadID() ? u"sync on main" : u"sync elsewhere");
        });
        Self.Queue([&] { Log.push_back(u"queued"); });
        TThread::Synchronize(nullptr, [&] { Log.push_back(u"static sync"); });
        try {
            Self.Synchronize([] { throw EConvertError(u"bad value"); });
        } catch (const EConvertError& E) {
            WorkerSaw = E.Message();
        }
    });
    T.Start();
    T.WaitFor(); // serves the calls meanwhile
    CheckSynchronize();
    EXPECT_EQ(Log, (std::vector<String>{u"sync on main", u"queued", u"static sync"}));
    EXPECT_EQ(WorkerSaw, u"bad value");

    // On the main thread both run at once.
    int Ran = 0;
    TThread::Queue(nullptr, [&] { ++Ran; });
    TThread::Synchronize(nullptr, [&] { ++Ran; });
    EXPECT_EQ(Ran, 2);
}

TEST(Thread, QueuedCallsOfAFreedThreadAreDropped) {
    bool Ran = false;
    auto* T = new TWorker(true, [&](TWorker& Self) { Self.Queue([&] { Ran = true; }); });
    T->Start();
    while (!T->Finished())
        Sleep(1); // not serving the queue: the call stays queued
    delete T;
    CheckSynchronize();
    EXPECT_FALSE(Ran);
}

TEST(Thread, ExceptionInExecuteIsKept) {
    TWorker T(true, [](TWorker&) { throw EConvertError(u"'x' is not a valid integer value"); });
    T.Start();
    T.WaitFor();
    ASSERT_TRUE(T.FatalException());
    try {
        std::rethrow_exception(T.FatalException());
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), u"'x' is not a valid integer value");
    }
}

namespace {

class TLooper : public TThread {
public:
    explicit TLooper(std::atomic<int>* AState) : TThread(true), FState(AState) {}
    // Execute must be over before this destructor runs.
    ~TLooper() override { *FState = *FState == 2 ? 3 : -1; }

protected:
    void Execute() override {
        *FState = 1;
        while (!Terminated())
            Sleep(1);
        *FState = 2;
    }

private:
    std::atomic<int>* FState;
};

} // namespace

TEST(Thread, DeletingARunningThreadTerminatesAndWaits) {
    std::atomic<int> State{0};
    auto* T = new TLooper(&State);
    T->Start();
    while (State == 0)
        Sleep(1);
    delete T;
    EXPECT_EQ(State, 3);
}

TEST(Thread, MainThreadQueueRules) {
    std::atomic<int> Woken{0};
    SetWakeMainThread([&] { ++Woken; });
    String FromWorker;
    TWorker T(true, [&](TWorker& Self) {
        try {
            CheckSynchronize();
        } catch (const EThread& E) {
            FromWorker = E.Message();
        }
        Self.Queue([] {});
    });
    T.Start();
    T.WaitFor();
    SetWakeMainThread(nullptr);
    EXPECT_EQ(Woken, 1);
    EXPECT_TRUE(FromWorker.starts_with(u"CheckSynchronize called from thread "));
    EXPECT_TRUE(FromWorker.ends_with(u", which is NOT the main thread"));
    CheckSynchronize(); // the queued call, unless it already ran inside WaitFor
    EXPECT_FALSE(CheckSynchronize());
}

TEST(Event, SignalsResetsAndTimesOut) {
    struct Case {
        bool ManualReset, Initial;
        TWaitResult First, Second;
    };
    const Case Cases[] = {
        {true, true, wrSignaled, wrSignaled},
        {false, true, wrSignaled, wrTimeout},
        {true, false, wrTimeout, wrTimeout},
    };
    for (const Case& C : Cases) {
        TEvent E(C.ManualReset, C.Initial);
        EXPECT_EQ(E.WaitFor(0), C.First);
        EXPECT_EQ(E.WaitFor(5), C.Second);
    }
    TSimpleEvent E;
    E.SetEvent();
    E.ResetEvent();
    EXPECT_EQ(E.WaitFor(0), wrTimeout);
    EXPECT_EQ(GetEnumName(TypeInfo<TWaitResult>(), wrAbandoned), u"wrAbandoned");
}

TEST(Event, AnotherThreadReleasesAWaiter) {
    TEvent Go(false, false), Back(false, false);
    TWorker T(true, [&](TWorker&) {
        if (Go.WaitFor(INFINITE) == wrSignaled) Back.SetEvent();
    });
    T.Start();
    EXPECT_EQ(Back.WaitFor(20), wrTimeout);
    Go.SetEvent();
    EXPECT_EQ(Back.WaitFor(INFINITE), wrSignaled);
    T.WaitFor();
}

TEST(CriticalSection, IsRecursiveAndExcludesOthers) {
    TCriticalSection Section;
    Section.Enter();
    Section.Acquire(); // the same thread again
    bool OtherGotIn = true;
    TWorker Probe(true, [&](TWorker&) {
        OtherGotIn = Section.TryEnter();
        if (OtherGotIn) Section.Leave();
    });
    Probe.Start();
    Probe.WaitFor();
    EXPECT_FALSE(OtherGotIn);
    Section.Release();
    Section.Leave();
    TWorker Again(true, [&](TWorker&) {
        OtherGotIn = Section.TryEnter();
        if (OtherGotIn) Section.Leave();
    });
    Again.Start();
    Again.WaitFor();
    EXPECT_TRUE(OtherGotIn);
}

TEST(Clock, TicksAdvanceAndAgree) {
    const UInt64 Before = GetTickCount64();
    Sleep(20);
    const UInt64 After = GetTickCount64();
    EXPECT_GE(After - Before, 20u);
    const Cardinal Low = GetTickCount();
    EXPECT_LE(Cardinal(Low - Cardinal(After)), 1000u); // the same clock, cut to 32 bits
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
}
