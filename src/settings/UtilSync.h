#pragma once
// Synchronisation objects of the support library: named mutexes shared between processes
// (platform/base/NamedMutex.h: a lock file in the temporary folder) and critical sections.

#include "settings/UtilErrors.h"

#include "platform/base/Object.h"
#include "platform/base/TypeInfo.h"

#include <atomic>
#include <memory>
#include <mutex>

class TNamedMutex;

DECLARE_ENUM(TUtilWaitResult, Byte, wrAbandoned, wrError, wrIoCompletion, wrSignaled, wrTimeout)

// A wait without time limit.
constexpr Cardinal INFINITE = 0xFFFFFFFF;

class TUtilDispatcherObject : public TObject {
public:
    // The object was there before this wrapper created or opened it.
    bool Existed() const { return FExisted; }
    const String& Name() const { return FName; }

    virtual TUtilWaitResult WaitFor(Cardinal TimeOut) = 0;
    TUtilWaitResult WaitForever() { return WaitFor(INFINITE); }
    // Nothing interrupts a wait here, so this is the plain wait.
    TUtilWaitResult WaitAlertable(Cardinal TimeOut) { return WaitFor(TimeOut); }

protected:
    bool FExisted = false;
    String FName;
};

class TUtilMutex : public TUtilDispatcherObject {
public:
    // Creates the named mutex or opens it when the name exists (then Existed is true); the
    // creating thread owns it at once with InitialOwner. Failure raises EUtilMutexError "Failed
    // to create mutex".
    TUtilMutex(const String& Name, bool InitialOwner);
    ~TUtilMutex() override;
    // Opens a mutex whose name exists; EUtilMutexError "Failed to open mutex" otherwise.
    static std::unique_ptr<TUtilMutex> Open(const String& Name);

    // True when the calling thread owns the mutex within TimeOut milliseconds.
    bool Acquire(Cardinal TimeOut = INFINITE);
    // False when the calling thread does not own it.
    bool Release();
    TUtilWaitResult WaitFor(Cardinal TimeOut) override;

private:
    explicit TUtilMutex(std::unique_ptr<TNamedMutex> AMutex);
    std::unique_ptr<TNamedMutex> FMutex;
};

// A critical section: one thread at a time, which may enter again.
class TUtilCriticalSection : public TObject {
public:
    void Enter() { FCriticalSection.lock(); }
    void Leave() { FCriticalSection.unlock(); }
    // Makes Section on first use, safely against a race (exactly one new section is kept), and
    // enters it.
    static void CreateAndEnter(std::atomic<TUtilCriticalSection*>& Section);

private:
    std::recursive_mutex FCriticalSection;
};
