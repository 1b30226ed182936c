#pragma once
// Named mutexes shared between processes (and threads): an exclusive flock on a lock file named
// after the mutex, in a folder of the user's own under the temporary folder. Like the kernel
// mutexes they stand in for, one is owned by a thread and that thread may acquire it again
// (each acquisition needs its release). The lock goes with the process, so a mutex is never
// left abandoned. Lock files are never removed (removing one would race with a process about to
// lock it); they are empty.

#include "platform/base/Types.h"

#include <atomic>
#include <mutex>
#include <thread>

class TNamedMutex {
public:
    enum TOpenMode { omCreate, omOpenExisting };
    // Creates the lock file or opens the one there (only opens it with omOpenExisting, raising
    // EOSError ENOENT when there is none); EOSError when that fails. A mutex without a name is
    // the process's own and has no file.
    explicit TNamedMutex(const String& Name, TOpenMode Mode = omCreate);
    ~TNamedMutex();
    TNamedMutex(const TNamedMutex&) = delete;
    TNamedMutex& operator=(const TNamedMutex&) = delete;

    const String& Name() const { return FName; }
    // The lock file was there before (another user of the name made it).
    bool Existed() const { return FExisted; }

    // Waits up to TimeoutMs (a negative value: without limit); true when the calling thread
    // owns the mutex.
    bool Acquire(int TimeoutMs);
    // False when the calling thread does not own the mutex.
    bool Release();

    // The lock file of a name: the name with every character that a file name cannot carry
    // (or that could make two names meet) written as %XX of its UTF-8 bytes; a very long name
    // keeps its beginning and gets a digest of the whole.
    static String LockFileName(const String& Name);

private:
    String FName;
    int FHandle = -1;
    bool FExisted = false;
    std::recursive_timed_mutex FThreads; // the threads of this process, before the file lock
    std::atomic<std::thread::id> FOwner{};
    int FDepth = 0;
};
