#include "platform/base/Threads.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <chrono>
#include <deque>
#include <memory>

#include <time.h>
#include <unistd.h>

namespace {

std::atomic<TThreadID>& MainId() {
    static std::atomic<TThreadID> Id{static_cast<TThreadID>(gettid())};
    return Id;
}

// Taken during static initialisation, which runs on the thread that loaded the program.
[[maybe_unused]] const bool MainIdTaken = (MainId(), true);

struct TSyncEntry {
    std::function<void()> Method;
    TThread* Thread = nullptr;
    bool Synchronous = false;
    bool Done = false; // synchronous calls: ran (guarded by the queue's lock)
    std::exception_ptr Error;
};

// One lock and one condition for the main-thread queue and for threads' start and end.
struct TSync {
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<std::shared_ptr<TSyncEntry>> Queue;
    std::mutex WakeLock;
    std::function<void()> Wake;
};

TSync& Sync() {
    static TSync S;
    return S;
}

void WakeMainThread() {
    std::function<void()> Wake;
    {
        std::lock_guard<std::mutex> Guard(Sync().WakeLock);
        Wake = Sync().Wake;
    }
    if (Wake) Wake();
}

void Enqueue(const std::shared_ptr<TSyncEntry>& Entry) {
    {
        std::lock_guard<std::mutex> Guard(Sync().Lock);
        Sync().Queue.push_back(Entry);
    }
    Sync().Changed.notify_all();
    WakeMainThread();
}

// Calls queued by a thread that is going; their captures may point into it.
void RemoveQueuedEvents(TThread* AThread) {
    std::lock_guard<std::mutex> Guard(Sync().Lock);
    std::erase_if(Sync().Queue, [&](const auto& E) { return !E->Synchronous && E->Thread == AThread; });
}

bool OnMainThread() {
    return GetCurrentThreadId() == MainThreadID();
}

UInt64 MonotonicMs() {
    timespec T{};
    clock_gettime(CLOCK_MONOTONIC, &T);
    return UInt64(T.tv_sec) * 1000 + UInt64(T.tv_nsec) / 1000000;
}

thread_local const TThreadStartGate* GTopGate = nullptr;

} // namespace

TThreadID GetCurrentThreadId() {
    return static_cast<TThreadID>(gettid());
}
TThreadID MainThreadID() {
    return MainId();
}
void SetMainThreadID(TThreadID ID) {
    MainId() = ID;
}

void Sleep(Cardinal Milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}
Cardinal GetTickCount() {
    return static_cast<Cardinal>(MonotonicMs());
}
UInt64 GetTickCount64() {
    return MonotonicMs();
}

void SetWakeMainThread(std::function<void()> Wake) {
    std::lock_guard<std::mutex> Guard(Sync().WakeLock);
    Sync().Wake = std::move(Wake);
}

bool CheckSynchronize(Cardinal Timeout) {
    const TThreadID Current = GetCurrentThreadId();
    if (Current != MainThreadID())
        throw EThread(u"CheckSynchronize called from thread " + IntToStr(Current) +
                      u", which is NOT the main thread");
    TSync& S = Sync();
    std::deque<std::shared_ptr<TSyncEntry>> Batch;
    {
        std::unique_lock<std::mutex> Guard(S.Lock);
        auto Arrived = [&] { return !S.Queue.empty(); };
        if (Timeout == INFINITE)
            S.Changed.wait(Guard, Arrived);
        else if (Timeout > 0)
            S.Changed.wait_for(Guard, std::chrono::milliseconds(Timeout), Arrived);
        Batch.swap(S.Queue);
    }
    if (Batch.empty()) return false;
    while (!Batch.empty()) {
        std::shared_ptr<TSyncEntry> E = std::move(Batch.front());
        Batch.pop_front();
        if (E->Synchronous) {
            try {
                E->Method();
            } catch (...) {
                E->Error = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> Guard(S.Lock);
                E->Done = true;
            }
            S.Changed.notify_all();
        } else {
            // A call that raises leaves the rest of the batch queued for the next round.
            TScopeExit Requeue([&] {
                std::lock_guard<std::mutex> Guard(S.Lock);
                S.Queue.insert(S.Queue.begin(), Batch.begin(), Batch.end());
            });
            E->Method();
            Requeue.Release();
        }
    }
    return true;
}

// ---- Start gate ---------------------------------------------------------------------------------

TThreadStartGate::~TThreadStartGate() {
    if (!FMemory) return; // the allocation failed before the gate was opened
    GTopGate = FPrevious;
    if (TThread* Thread = FThread) {
        Thread->FGate = nullptr;
        try {
            Thread->Start();
        } catch (...) {
            // No thread could be made: the object reports it as a thread that ended at once.
            Thread->FFatalException = std::current_exception();
            Thread->FFinished = true;
        }
    }
}

// ---- TThread ----------------------------------------------------------------------------------

void* TThread::operator new(std::size_t Size, const TThreadStartGate& Gate) {
    void* Memory = ::operator new(Size);
    Gate.FMemory = Memory;
    Gate.FSize = Size;
    Gate.FPrevious = GTopGate;
    GTopGate = &Gate;
    return Memory;
}

void TThread::operator delete(void* Ptr, const TThreadStartGate&) {
    ::operator delete(Ptr);
}

void TThread::operator delete(void* Ptr) {
    ::operator delete(Ptr);
}

void TThread::operator delete(TThread* Ptr, std::destroying_delete_t) {
    if (!Ptr) return;
    Ptr->StopBeforeDestroy();
    void* Memory = dynamic_cast<void*>(Ptr);
    Ptr->~TThread();
    ::operator delete(Memory);
}

TThread::TThread(bool CreateSuspended) {
    if (CreateSuspended) return;
    const auto* Self = reinterpret_cast<const char*>(this);
    for (const TThreadStartGate* G = GTopGate; G; G = G->FPrevious) {
        const auto* Begin = static_cast<const char*>(G->FMemory);
        if (Self >= Begin && Self < Begin + G->FSize && !G->FThread) {
            G->FThread = this;
            FGate = G;
            return;
        }
    }
    throw EThread(u"A thread that starts at once must be created with new");
}

TThread::~TThread() {
    StopBeforeDestroy();
    if (FGate) FGate->FThread = nullptr; // a constructor threw: nothing to start
}

void TThread::StopBeforeDestroy() {
    const bool OwnThread = GetCurrentThreadId() == FThreadID;
    if (FStarted && !FFinished && !OwnThread) {
        Terminate();
        WaitUntilFinished();
    }
    {
        std::lock_guard<std::mutex> Guard(FJoinLock);
        if (FHandle.joinable()) {
            if (OwnThread)
                FHandle.detach();
            else
                FHandle.join();
        }
    }
    RemoveQueuedEvents(this);
}

void TThread::Start() {
    TSync& S = Sync();
    std::unique_lock<std::mutex> Guard(S.Lock);
    if (FStarted) throw EThread(u"Cannot call Start on a running or suspended thread");
    if (FGate) { // started by hand before the gate did it
        FGate->FThread = nullptr;
        FGate = nullptr;
    }
    FStarted = true;
    FHandle = std::thread([this] { Run(); });
    // Until the handshake is done the new thread waits, so that it cannot finish (and free
    // itself) while Start still touches the object; ThreadID is known when Start returns.
    S.Changed.wait(Guard, [this] { return FThreadID != 0; });
    FStartHandshakeDone = true;
    S.Changed.notify_all();
}

void TThread::Run() {
    TSync& S = Sync();
    {
        std::unique_lock<std::mutex> Guard(S.Lock);
        FThreadID = GetCurrentThreadId();
        S.Changed.notify_all();
        S.Changed.wait(Guard, [this] { return FStartHandshakeDone; });
    }
    try {
        if (!Terminated()) Execute();
    } catch (...) {
        FFatalException = std::current_exception();
    }
    const bool FreeThread = FFreeOnTerminate;
    try {
        DoTerminate();
    } catch (...) {
        if (!FFatalException) FFatalException = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> Guard(S.Lock);
        FFinished = true;
    }
    S.Changed.notify_all();
    if (FreeThread) delete this;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::WaitUntilFinished() {
    TSync& S = Sync();
    if (!OnMainThread()) {
        std::unique_lock<std::mutex> Guard(S.Lock);
        S.Changed.wait(Guard, [this] { return FFinished.load(); });
        return;
    }
    // The thread may be waiting for the main thread in Synchronize: keep serving the queue.
    for (;;) {
        {
            std::unique_lock<std::mutex> Guard(S.Lock);
            S.Changed.wait(Guard, [&] { return FFinished || !S.Queue.empty(); });
            if (FFinished) return;
        }
        CheckSynchronize();
    }
}

Cardinal TThread::WaitFor() {
    if (!FStarted) throw EThread(u"Cannot wait for a thread that was never started");
    if (GetCurrentThreadId() == FThreadID) throw EThread(u"A thread cannot wait for itself");
    if (FFreeOnTerminate) throw EThread(u"Cannot wait for a thread that frees itself");
    WaitUntilFinished();
    {
        std::lock_guard<std::mutex> Guard(FJoinLock);
        if (FHandle.joinable()) FHandle.join();
    }
    return static_cast<Cardinal>(FReturnValue);
}

void TThread::Synchronize(TThread* AThread, std::function<void()> Method) {
    if (OnMainThread()) {
        Method();
        return;
    }
    auto Entry = std::make_shared<TSyncEntry>();
    Entry->Method = std::move(Method);
    Entry->Thread = AThread;
    Entry->Synchronous = true;
    Enqueue(Entry);
    std::exception_ptr Error;
    {
        std::unique_lock<std::mutex> Guard(Sync().Lock);
        Sync().Changed.wait(Guard, [&] { return Entry->Done; });
        Error = std::move(Entry->Error); // this thread alone holds the exception from here on
    }
    if (Error) std::rethrow_exception(Error);
}

void TThread::Queue(TThread* AThread, std::function<void()> Method) {
    if (OnMainThread()) {
        Method();
        return;
    }
    auto Entry = std::make_shared<TSyncEntry>();
    Entry->Method = std::move(Method);
    Entry->Thread = AThread;
    Enqueue(Entry);
}

// ---- TEvent -----------------------------------------------------------------------------------

TEvent::~TEvent() {
    std::unique_lock<std::mutex> Guard(FLock);
    FAbandoned = true;
    FCond.notify_all();
    FCond.wait(Guard, [this] { return FWaiters == 0; });
}

void TEvent::SetEvent() {
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FSignaled = true;
    }
    if (FManualReset)
        FCond.notify_all();
    else
        FCond.notify_one();
}

void TEvent::ResetEvent() {
    std::lock_guard<std::mutex> Guard(FLock);
    FSignaled = false;
}

TWaitResult TEvent::WaitFor(Cardinal Timeout) {
    std::unique_lock<std::mutex> Guard(FLock);
    ++FWaiters;
    auto Ready = [this] { return FSignaled || FAbandoned; };
    if (Timeout == INFINITE)
        FCond.wait(Guard, Ready);
    else
        FCond.wait_for(Guard, std::chrono::milliseconds(Timeout), Ready);
    TWaitResult Result = wrTimeout;
    if (FAbandoned) {
        Result = wrAbandoned;
    } else if (FSignaled) {
        Result = wrSignaled;
        if (!FManualReset) FSignaled = false;
    }
    if (--FWaiters == 0 && FAbandoned) FCond.notify_all();
    return Result;
}
