#pragma once
// Threads, calls handed to the main thread, and the synchronisation objects.
//
// The main thread is the one that loaded the program (it runs the static initialisation of this
// layer), unless SetMainThreadID names another. Synchronize and Queue hand calls to it through
// one queue that CheckSynchronize runs; the GUI layer installs SetWakeMainThread so that its
// event loop wakes up and calls CheckSynchronize when something arrives.

#include "platform/base/Object.h"
#include "platform/base/Types.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

using TThreadID = Cardinal; // the kernel's thread id

constexpr Cardinal INFINITE = 0xFFFFFFFF;

TThreadID GetCurrentThreadId();
TThreadID MainThreadID();
void SetMainThreadID(TThreadID ID);

void Sleep(Cardinal Milliseconds);
// Milliseconds of a monotonic clock; the 32-bit count wraps after about 49.7 days.
Cardinal GetTickCount();
UInt64 GetTickCount64();

// Runs the calls queued for the main thread, in order; with a time-out, first waits up to that
// long (INFINITE: for ever) for one to arrive. Returns whether a call ran. A queued call that
// raises passes its exception on to the caller (the calls after it stay queued); a
// synchronised call's exception goes back to the thread that waits for it. Raises EThread
// when called from another thread.
bool CheckSynchronize(Cardinal Timeout = 0);
// Called, on the queuing thread, each time a call is queued for the main thread.
void SetWakeMainThread(std::function<void()> Wake);

class TThread;

// The temporary of `new TMyThread(false)` that starts the thread once the last constructor has
// run: C++ gives a base class no hook after its descendants' constructors, and a thread started
// from TThread's own constructor would run Execute on a half-built object.
class TThreadStartGate {
public:
    TThreadStartGate() = default;
    ~TThreadStartGate();
    TThreadStartGate(const TThreadStartGate&) = delete;
    TThreadStartGate& operator=(const TThreadStartGate&) = delete;

private:
    friend class TThread;
    mutable void* FMemory = nullptr;
    mutable std::size_t FSize = 0;
    mutable TThread* FThread = nullptr;
    mutable const TThreadStartGate* FPrevious = nullptr;
};

class TThread : public TObject {
    DECLARE_CLASS(TThread, TObject)
public:
    // Not suspended: the thread starts when the object is fully built, which requires creating
    // it with new (new TMyThread(false), std::make_unique); otherwise EThread is raised.
    // Suspended: it starts with Start().
    explicit TThread(bool CreateSuspended);
    // A thread still running is told to terminate and waited for (on the main thread, queued
    // calls keep running meanwhile). `delete` does this before the descendants' destructors
    // run, so that Execute never sees a half-destroyed object.
    ~TThread() override;
    static void* operator new(std::size_t Size, const TThreadStartGate& Gate = TThreadStartGate());
    static void operator delete(void* Ptr, const TThreadStartGate& Gate);
    static void operator delete(void* Ptr);
    static void operator delete(TThread* Ptr, std::destroying_delete_t);

    // Raises EThread "Cannot call Start on a running or suspended thread" when started before.
    void Start();
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // Waits until Execute and OnTerminate are done; returns ReturnValue. On the main thread the
    // queued calls keep running meanwhile. Raises EThread for a thread never started, for
    // itself, and for a FreeOnTerminate thread (which may be gone by the time it ends).
    Cardinal WaitFor();
    bool Finished() const { return FFinished; }
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
    TThreadID ThreadID() const { return FThreadID; } // 0 until started
    int ReturnValue() const { return FReturnValue; }
    // The exception that escaped Execute (or OnTerminate), once the thread has finished.
    std::exception_ptr FatalException() const { return FFatalException; }

    // Runs when the thread has finished, on the main thread (through Synchronize).
    TNotifyEvent OnTerminate;

    // Runs Method on the main thread and waits for it; on the main thread it runs at once. An
    // exception of Method is raised again here.
    void Synchronize(std::function<void()> Method) { Synchronize(this, std::move(Method)); }
    static void Synchronize(TThread* AThread, std::function<void()> Method);
    // Hands Method to the main thread without waiting; on the main thread it runs at once.
    // Calls queued by a thread that is freed before they ran are dropped.
    void Queue(std::function<void()> Method) { Queue(this, std::move(Method)); }
    static void Queue(TThread* AThread, std::function<void()> Method);

protected:
    virtual void Execute() = 0;
    // Fires OnTerminate on the main thread.
    virtual void DoTerminate();
    void SetReturnValue(int Value) { FReturnValue = Value; }

private:
    friend class TThreadStartGate;
    std::thread FHandle;
    std::mutex FJoinLock;
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFreeOnTerminate{false};
    std::atomic<TThreadID> FThreadID{0};
    int FReturnValue = 0;
    std::exception_ptr FFatalException;
    bool FStartHandshakeDone = false;
    const TThreadStartGate* FGate = nullptr;

    void Run();
    void WaitUntilFinished();
    void StopBeforeDestroy();
};

class TSynchroObject : public TObject {
public:
    virtual void Acquire() {}
    virtual void Release() {}
};

// A recursive lock: the owning thread may enter again (and leaves as often).
class TCriticalSection : public TSynchroObject {
public:
    void Acquire() override { FSection.lock(); }
    void Release() override { FSection.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }
    bool TryEnter() { return FSection.try_lock(); }

private:
    std::recursive_mutex FSection;
};

DECLARE_ENUM(TWaitResult, Byte, wrSignaled, wrTimeout, wrAbandoned, wrError)

class TEvent : public TSynchroObject {
public:
    // A manual-reset event stays signalled until ResetEvent; an auto-reset one lets one waiter
    // through per SetEvent.
    explicit TEvent(bool ManualReset = true, bool InitialState = false)
        : FManualReset(ManualReset), FSignaled(InitialState) {}
    // Threads still waiting get wrAbandoned; the event goes when they have left.
    ~TEvent() override;

    void SetEvent();
    void ResetEvent();
    TWaitResult WaitFor(Cardinal Timeout = INFINITE);
    void Acquire() override { WaitFor(INFINITE); }

private:
    std::mutex FLock;
    std::condition_variable FCond;
    const bool FManualReset;
    bool FSignaled;
    bool FAbandoned = false;
    int FWaiters = 0;
};

// A manual-reset event, not signalled at first.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};
