// The port core on real pseudo-terminal pairs: opening errors, traffic through the write thread
// (short writes included), events from the event thread, purges and closing.

#include "serial/SerComPortCore.h"

#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <atomic>
#include <mutex>
#include <sys/resource.h>
#include <vector>

namespace {

// Events as the event thread reports them.
struct TEventLog {
    std::mutex Lock;
    std::vector<std::pair<TSerCoreEvent, Cardinal>> Events;
    void Attach(TSerComPortCore& Core) {
        Core.OnPortEvent = [this](TSerComPortCore*, TSerCoreEvent Kind, Cardinal Data, std::exception_ptr) {
            std::lock_guard<std::mutex> Guard(Lock);
            Events.emplace_back(Kind, Data);
        };
    }
    int Count(TSerCoreEvent Kind) {
        std::lock_guard<std::mutex> Guard(Lock);
        int N = 0;
        for (const auto& E : Events)
            N += E.first == Kind;
        return N;
    }
    bool Has(TSerCoreEvent Kind, Cardinal Bits) {
        std::lock_guard<std::mutex> Guard(Lock);
        for (const auto& E : Events)
            if (E.first == Kind && (E.second & Bits) == Bits) return true;
        return false;
    }
};

// Processor time of the whole process so far, in seconds.
double ProcessCpuSeconds() {
    struct rusage U;
    getrusage(RUSAGE_SELF, &U);
    return double(U.ru_utime.tv_sec + U.ru_stime.tv_sec) + double(U.ru_utime.tv_usec + U.ru_stime.tv_usec) / 1e6;
}

std::string Message(const std::function<void()>& F) {
    try {
        F();
    } catch (const ESerComPortCoreError& E) {
        return StringToUtf8(E.Message());
    }
    return "no error";
}

} // namespace

TEST(ComPortCore, OpeningErrorsLeaveTheCoreClosed) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 12, 13);
    TSerComPortCore Core;
    struct TCase {
        int Com;
        std::string Message;
    } Cases[] = {{0, "Invalid port number (COM0)"},
                 {-4, "Invalid port number (COM-4)"},
                 // The device the number stands for, and why it did not open, follow.
                 {5, "Invalid port number (COM5): no device is set for this number"},
                 {12, "Can't open device COM12: " + std::filesystem::canonical(Pair.Link(12)).string() +
                          " (Device or resource busy)"}};
    TPortHolder Holder(Pair.Link(12));
    for (const TCase& C : Cases) {
        EXPECT_EQ(Message([&] { Core.OpenComPort(C.Com); }), C.Message);
        EXPECT_FALSE(Core.IsOpen()) << C.Com;
        EXPECT_EQ(Core.ReadData(nullptr, 1), -1);
        EXPECT_FALSE(Core.WriteData("x", 1));
    }
    // A setting the line cannot take closes the device again.
    TDCB D = Core.DCB();
    D.ByteSize = 4;
    Core.SetDCB(D);
    EXPECT_EQ(Message([&] { Core.OpenComPort(13); }), "Error setting parameters from DCB");
    EXPECT_FALSE(Core.IsOpen());
    D.ByteSize = 8;
    Core.SetDCB(D);
    EXPECT_TRUE(Core.OpenComPort(13)); // numbers above 9 open as any other
    EXPECT_FALSE(Core.OpenComPort(13));
    EXPECT_EQ(Message([&] { Core.SetDirectWrite(true); }), "Can't perform this operation when port is open");
}

TEST(ComPortCore, EverythingQueuedArrivesOnceInOrderAndOutFreeFollows) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerComPortCore Core;
    TEventLog Log;
    Log.Attach(Core);
    ASSERT_TRUE(Core.OpenComPort(1));
    // Far more than the line holds at once: the device takes parts of blocks (short writes),
    // and the rest must follow without a byte lost or sent twice.
    std::string Sent;
    for (int I = 0; I < 200000; ++I)
        Sent += static_cast<char>('A' + (I * 7 + I / 26) % 26);
    std::string Got;
    std::size_t Queued = 0;
    while (Queued < Sent.size() || Got.size() < Sent.size()) {
        const int Chunk = static_cast<int>(std::min<std::size_t>(1000, Sent.size() - Queued));
        if (Chunk > 0 && Core.WriteData(Sent.data() + Queued, Chunk))
            Queued += static_cast<std::size_t>(Chunk);
        const std::string Part = Pair.Receive(1, 5);
        Got += Part;
        if (Part.empty() && Queued == Sent.size() && Pair.Receive(1, 2000).empty()) break;
    }
    ASSERT_EQ(Got.size(), Sent.size());
    EXPECT_TRUE(Got == Sent);
    // The writer leaves the ring just after the device took the bytes, so the last block may
    // still count as used for a moment after it arrived.
    EXPECT_TRUE(WaitUntil([&] { return Core.OutBuffFree() == 4096; }));
    EXPECT_TRUE(WaitUntil([&] { return Log.Count(ceOutFree) > 0; }));
    // A write larger than the free ring space queues nothing.
    std::string TooMuch(4097, 'x');
    EXPECT_FALSE(Core.WriteData(TooMuch.data(), 4097));
    EXPECT_EQ(Core.OutBuffUsed(), 0);
}

TEST(ComPortCore, ReceivedBytesAreReportedAndRead) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerComPortCore Core;
    std::mutex Lock;
    std::string Received;
    Core.OnPortEvent = [&](TSerComPortCore* Sender, TSerCoreEvent Kind, Cardinal Data, std::exception_ptr) {
        if (Kind == ceLineEvent && !(Data & EV_RXCHAR)) return;
        if (Kind != ceLineEvent && Kind != ceNeedReadData) return;
        char Buf[512];
        const int N = Sender->ReadData(Buf, sizeof Buf);
        std::lock_guard<std::mutex> Guard(Lock);
        if (N > 0) Received.append(Buf, static_cast<std::size_t>(N));
    };
    ASSERT_TRUE(Core.OpenComPort(1));
    Pair.Send("hello board");
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> Guard(Lock);
        return Received == "hello board";
    }));
}

TEST(ComPortCore, BytesNobodyReadsAreReportedByThePoll) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerComPortCore Core;
    TEventLog Log;
    Log.Attach(Core);
    ASSERT_TRUE(Core.OpenComPort(1));
    Pair.Send("12345");
    EXPECT_TRUE(WaitUntil([&] { return Log.Has(ceLineEvent, EV_RXCHAR); }));
    EXPECT_TRUE(WaitUntil([&] { return Log.Has(ceNeedReadData, 5); }));
    TComStat Stat;
    Core.ComStatus(Stat);
    EXPECT_EQ(Stat.cbInQue, 5u);
    EXPECT_TRUE(Core.PurgeRX());
    Core.ComStatus(Stat);
    EXPECT_EQ(Stat.cbInQue, 0u);
}

TEST(ComPortCore, ClosingWithAStuckWriteEndsInTime) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerComPortCore Core;
    ASSERT_TRUE(Core.OpenComPort(1));
    // Nobody reads the far end: the line fills and the write thread waits for room.
    std::string Block(4000, 'z');
    for (int I = 0; I < 100; ++I)
        Core.WriteData(Block.data(), static_cast<int>(Block.size()));
    EXPECT_GT(Core.OutBuffUsed(), 0);
    // The write thread leaves its stuck write for the purge at once (false would mean that it
    // did not answer within the purge limit).
    EXPECT_TRUE(Core.PurgeTX());
    EXPECT_EQ(Core.OutBuffUsed(), 0);
    for (int I = 0; I < 100; ++I)
        Core.WriteData(Block.data(), static_cast<int>(Block.size()));
    Core.CloseComPort();
    EXPECT_FALSE(Core.IsOpen());
    EXPECT_TRUE(Core.OpenComPort(1)); // and it opens again
}

TEST(ComPortCore, APulledDeviceIsReportedOnceAsALineError) {
    TTempFolder Temp;
    TPtyPair Pair(Temp.Sys("ports"), 1, 2);
    TSerComPortCore Core;
    TEventLog Log;
    Log.Attach(Core);
    ASSERT_TRUE(Core.OpenComPort(1));
    Pair.Kill();
    EXPECT_TRUE(WaitUntil([&] { return Log.Has(ceLineEvent, EV_ERR); }));
    EXPECT_EQ(Core.ComError(), Cardinal(CE_IOE));
    // Both threads then sleep until they are stopped: a hung-up device is ready for ever, and
    // a thread that kept polling it would burn a processor until the port closes.
    const double Before = ProcessCpuSeconds();
    Sleep(500);
    EXPECT_LT(ProcessCpuSeconds() - Before, 0.1);
    EXPECT_EQ(Log.Count(ceLineEvent), 1);
    Core.CloseComPort();
    EXPECT_THROW(Core.OpenComPort(1), ESerComPortCoreError);
    Pair.Start();
    EXPECT_TRUE(Core.OpenComPort(1));
}
