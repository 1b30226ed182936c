// GUI-thread delivery of worker calls through the slot table: registration limits and reuse,
// enabling, time-outs that withdraw a call, and exceptions that stay in the GUI thread.

#include "serial/SerSafeSync.h"

#include "support/ThreadTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace {

// A slot owner that records its calls.
struct TRecorder {
    std::vector<std::pair<int, UInt64>> Calls; // slot index and parameter
    std::atomic<bool> OnGuiThread{true};
    std::function<void()> During;
    void Run(int SlotIndex, UInt64 Param) {
        OnGuiThread = OnGuiThread && GetCurrentThreadId() == MainThreadID();
        Calls.emplace_back(SlotIndex, Param);
        if (During) During();
    }
    TSerSyncMethod Method() { return TSerSyncMethod(this, &TRecorder::Run); }
};

// Calls the slot from a worker; the GUI thread keeps handling messages meanwhile.
bool CallFromWorker(Cardinal Id, Cardinal Timeout, UInt64 Param) {
    std::atomic<bool> Result{false};
    std::unique_ptr<TWorker> W(new TWorker([&] { Result = SerCallSyncSlot(Id, Timeout, Param); }));
    W->WaitFor();
    return Result;
}

} // namespace

TEST(SafeSync, SixtyFourSlotsAndReuseOfTheLowestFreeOne) {
    TRecorder R;
    std::vector<Cardinal> Ids;
    for (Cardinal Id; (Id = SerRegisterSyncSlot(R.Method())) != 0;)
        Ids.push_back(Id);
    ASSERT_EQ(Ids.size(), 64u);
    EXPECT_EQ(std::set<Cardinal>(Ids.begin(), Ids.end()).size(), 64u);
    EXPECT_FALSE(SerCallSyncSlot(0, 100)); // the failed registration's id
    // Free the fifth slot: the next registration takes it with a new id.
    ASSERT_TRUE(SerUnregisterSyncSlot(Ids[4]));
    EXPECT_FALSE(SerUnregisterSyncSlot(Ids[4]));
    const Cardinal Again = SerRegisterSyncSlot(R.Method());
    EXPECT_NE(Again, Ids[4]);
    EXPECT_NE(Again, 0u);
    ASSERT_TRUE(SerEnableSyncSlot(Again, true));
    EXPECT_TRUE(CallFromWorker(Again, 2000, 7));
    EXPECT_EQ(R.Calls, (std::vector<std::pair<int, UInt64>>{{5, 7}}));
    Ids[4] = Again;
    for (Cardinal Id : Ids)
        EXPECT_TRUE(SerUnregisterSyncSlot(Id));
}

TEST(SafeSync, OnlyAnEnabledSlotRunsAndItRunsInTheGuiThread) {
    TRecorder R;
    const Cardinal Id = SerRegisterSyncSlot(R.Method());
    ASSERT_NE(Id, 0u);
    EXPECT_FALSE(CallFromWorker(Id, 2000, 1)); // new slots start disabled
    EXPECT_TRUE(R.Calls.empty());
    ASSERT_TRUE(SerEnableSyncSlot(Id, true));
    EXPECT_TRUE(CallFromWorker(Id, 2000, 2));
    EXPECT_TRUE(SerCallSyncSlot(Id, 2000, 3)); // from the GUI thread itself: at once
    ASSERT_EQ(R.Calls.size(), 2u);
    EXPECT_EQ(R.Calls[0].second, 2u);
    EXPECT_EQ(R.Calls[1].second, 3u);
    EXPECT_TRUE(R.OnGuiThread);
    // Disabled by its own method while it runs: the caller learns it and stops its work.
    R.During = [Id] { SerEnableSyncSlot(Id, false); };
    ASSERT_TRUE(SerEnableSyncSlot(Id, true));
    EXPECT_FALSE(CallFromWorker(Id, 2000, 4));
    EXPECT_EQ(R.Calls.size(), 3u);
    ASSERT_TRUE(SerUnregisterSyncSlot(Id));
    for (bool Enable : {true, false})
        EXPECT_FALSE(SerEnableSyncSlot(Id, Enable));
    EXPECT_FALSE(SerCallSyncSlot(Id, 100));
}

TEST(SafeSync, ACallThatTimesOutBeforeItStartsIsWithdrawn) {
    TRecorder R;
    const Cardinal Id = SerRegisterSyncSlot(R.Method());
    ASSERT_TRUE(SerEnableSyncSlot(Id, true));
    // The GUI thread is busy (it waits for the worker without handling messages).
    std::atomic<bool> Result{true};
    TSimpleEvent Done;
    std::unique_ptr<TWorker> W(new TWorker([&] {
        Result = SerCallSyncSlot(Id, 100, 11);
        Done.SetEvent();
    }));
    ASSERT_EQ(Done.WaitFor(5000), wrSignaled);
    EXPECT_FALSE(Result);
    W->WaitFor();
    ProcessMessagesFor(50);
    EXPECT_TRUE(R.Calls.empty()); // never runs late
    // A method that starts in time and runs past the time-out counts as delivered.
    R.During = [] { Sleep(300); };
    EXPECT_TRUE(CallFromWorker(Id, 50, 12));
    ProcessMessagesFor(50);
    EXPECT_EQ(R.Calls, (std::vector<std::pair<int, UInt64>>{{R.Calls.empty() ? 0 : R.Calls[0].first, 12}}));
    SerUnregisterSyncSlot(Id);
}

TEST(SafeSync, AnExceptionOfTheMethodIsShownAndTheCallerGoesOn) {
    TExceptionCatcher Catcher;
    TRecorder R;
    R.During = [] { throw Exception(u"slot failed"); };
    const Cardinal Id = SerRegisterSyncSlot(R.Method());
    ASSERT_TRUE(SerEnableSyncSlot(Id, true));
    EXPECT_TRUE(CallFromWorker(Id, 2000, 0));
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"slot failed"});
    SerUnregisterSyncSlot(Id);
}

TEST(SafeSync, TheWindowRunsAProcedureAndTearsItselfDown) {
    TRecorder R;
    const Cardinal Id = SerRegisterSyncSlot(R.Method());
    ASSERT_TRUE(SerEnableSyncSlot(Id, true));
    const HWND Wnd = SerSyncWindow();
    ASSERT_NE(Wnd, HWND(0));
    static int Seen = 0;
    int Argument = 42;
    TSerSyncProc Proc = [](void* A) { Seen = *static_cast<int*>(A); };
    SendMessage(Wnd, SERSYNC_CALLPROC, reinterpret_cast<WPARAM>(Proc), reinterpret_cast<LPARAM>(&Argument));
    EXPECT_EQ(Seen, 42);
    SendMessage(Wnd, SERSYNC_CALLPROC, 0, 0); // no procedure: nothing happens
    // After the teardown no slot is known; the next registration builds a new window and table.
    SendMessage(Wnd, SERSYNC_DESTROY, 0, 0);
    EXPECT_EQ(SerSyncWindow(), HWND(0));
    EXPECT_FALSE(SerCallSyncSlot(Id, 100));
    EXPECT_FALSE(SerEnableSyncSlot(Id, true));
    EXPECT_FALSE(SerUnregisterSyncSlot(Id));
    const Cardinal Again = SerRegisterSyncSlot(R.Method());
    ASSERT_NE(Again, 0u);
    EXPECT_NE(SerSyncWindow(), HWND(0));
    ASSERT_TRUE(SerEnableSyncSlot(Again, true));
    EXPECT_TRUE(CallFromWorker(Again, 2000, 9));
    EXPECT_EQ(R.Calls, (std::vector<std::pair<int, UInt64>>{{1, 9}}));
    SerUnregisterSyncSlot(Again);
}
