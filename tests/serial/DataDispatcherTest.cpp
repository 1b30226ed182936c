// The data dispatcher: received bytes handed to its owner and links in the GUI thread, shared
// reads during one pass, clear requests, and streams written in blocks.

#include "serial/SerDataDispatcher.h"

#include "support/ThreadTestSupport.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

// A source that records what the dispatcher sends it.
class TRecordingSource : public TSerDataDispConnComponent {
public:
    explicit TRecordingSource(TComponent* AOwner) : TSerDataDispConnComponent(AOwner) {}
    void WriteData(const void* Data, int Size) override {
        if (Refuse) throw Exception(u"device gone");
        Written.append(static_cast<const char*>(Data), Size);
    }
    void Open() override { TSerDataDispConnComponent::Open(); }
    void Close() override { TSerDataDispConnComponent::Close(); }
    std::string Written;
    bool Refuse = false;
};

// Hands bytes to the dispatcher from another thread, as a port's event thread does.
void ReceiveFromWorker(TSerCustomDataDispatcher& D, const std::string& Bytes) {
    std::unique_ptr<TWorker> W(
        new TWorker([&] { D.Dispatcher_WriteTo(Bytes.data(), static_cast<int>(Bytes.size())); }));
    W->WaitFor();
}

class TTrackedStream : public TMemoryStream {
public:
    explicit TTrackedStream(bool& AFreed) : FFreed(AFreed) {}
    ~TTrackedStream() override { FFreed = true; }

private:
    bool& FFreed;
};

} // namespace

TEST(DataDispatcher, ReadersOfOnePassShareTheBytesAndTheLargestReadIsConsumed) {
    TSerCustomDataDispatcher D(nullptr);
    std::vector<std::string> Reads;
    bool OnGui = true;
    auto Reader = [&](int Count) {
        return [&, Count](TObject*, TSerDispEventKind Kind) {
            OnGui = OnGui && GetCurrentThreadId() == MainThreadID();
            if (Kind != deData) return;
            std::string S(static_cast<std::size_t>(Count), '\0');
            D.ReadData(S.data(), Count);
            Reads.push_back(S);
        };
    };
    D.LinksList().push_back({&D, Reader(3)});
    D.LinksList().push_back({&D, Reader(5)});
    ReceiveFromWorker(D, "abcdefgh");
    EXPECT_EQ(Reads, (std::vector<std::string>{"abc", "abcde"}));
    EXPECT_TRUE(OnGui);
    EXPECT_EQ(D.BufUsed(), 3);
    EXPECT_EQ(D.ReceivedBytes(), 8);
    EXPECT_EQ(D.ReadString(), "fgh");
    // A read of more than is stored is an error; the ring keeps what it has.
    char Buf[4];
    D.LinksList().clear();
    ReceiveFromWorker(D, "xy");
    EXPECT_THROW(D.ReadData(Buf, 3), ESerDispatcherError);
    EXPECT_EQ(D.BufUsed(), 2);
    // A clear request with no owner event and no links delivers nothing.
    D.Clear();
    EXPECT_EQ(D.BufUsed(), 2);
    D.ClearBuffer();
    EXPECT_EQ(D.BufUsed(), 0);
    EXPECT_EQ(D.ReceivedBytes(), 0);
}

TEST(DataDispatcher, AFullRingIsReportedNotDropped) {
    TSerCustomDataDispatcher D(nullptr);
    std::string Big(16384, 'q');
    D.Dispatcher_WriteTo(Big.data(), static_cast<int>(Big.size()));
    try {
        D.Dispatcher_WriteTo("r", 1);
        FAIL() << "no error";
    } catch (const ESerDispatcherError& E) {
        EXPECT_EQ(E.Message(), u"Error writing to dispatcher buffer");
    }
    EXPECT_EQ(D.ReceivedBytes(), 16384);
}

TEST(DataDispatcher, AProviderThatClosesDuringANotificationEndsThePass) {
    TSerCustomDataDispatcher D(nullptr);
    TRecordingSource Source(nullptr);
    D.SetDataProvider(&Source);
    EXPECT_EQ(Source.Dispatcher(), &D);
    int Opened = 0, Closed = 0, Second = 0;
    D.OnProviderOpen = [&](TObject*) { ++Opened; };
    D.OnProviderClose = [&](TObject*) { ++Closed; };
    D.LinksList().push_back({&D, [&](TObject*, TSerDispEventKind) { D.ProviderClosed(); }});
    D.LinksList().push_back({&D, [&](TObject*, TSerDispEventKind) { ++Second; }});
    ReceiveFromWorker(D, "12");
    EXPECT_EQ(Closed, 1);
    EXPECT_EQ(Second, 0);      // the pass ended at once
    EXPECT_EQ(D.BufUsed(), 2); // nothing consumed
    // The next pass starts from the events still pending.
    D.LinksList().erase(D.LinksList().begin());
    ReceiveFromWorker(D, "3");
    EXPECT_EQ(Second, 1);
    EXPECT_EQ(Opened, 0);
}

TEST(DataDispatcher, StreamsGoToTheProviderInBlocks) {
    TSerCustomDataDispatcher D(nullptr);
    TRecordingSource Source(nullptr);
    D.SetDataProvider(&Source);
    D.SetStreamBlockSize(4);
    std::vector<Int64> Blocks;
    int Done = 0;
    D.OnWriteStreamBlock = [&](TObject*, Int64 Position, Int64) { Blocks.push_back(Position); };
    D.OnWriteStreamDone = [&](TObject*) { ++Done; };
    bool Freed = false;
    auto* S = new TTrackedStream(Freed);
    S->Write("0123456789", 10);
    D.WriteStream(S, true);
    EXPECT_TRUE(D.StreamWriting());
    EXPECT_THROW(D.WriteString("x"), ESerDispatcherError);
    EXPECT_THROW(D.WriteStream(S, false), ESerDispatcherError);
    // Each free transmit room brings the next block.
    for (int I = 0; I < 3; ++I)
        D.Dispatcher_WriteBufFree();
    EXPECT_EQ(Source.Written, "0123456789");
    EXPECT_EQ(Blocks, (std::vector<Int64>{0, 4, 8}));
    EXPECT_EQ(Done, 1);
    EXPECT_TRUE(Freed);
    EXPECT_FALSE(D.StreamWriting());
    EXPECT_EQ(D.SentBytes(), 10);
    // An empty stream is done at once.
    bool EmptyFreed = false;
    D.WriteStream(new TTrackedStream(EmptyFreed), true);
    EXPECT_EQ(Done, 2);
    EXPECT_TRUE(EmptyFreed);
    D.WriteString("ok");
    EXPECT_EQ(Source.Written, "0123456789ok");
    // A block the provider refuses ends the stream write, frees the stream and goes on to the
    // caller; the next write is allowed.
    bool FailedFreed = false;
    auto* F = new TTrackedStream(FailedFreed);
    F->Write("abc", 3);
    Source.Refuse = true;
    EXPECT_THROW(D.WriteStream(F, true), Exception);
    EXPECT_FALSE(D.StreamWriting());
    EXPECT_TRUE(FailedFreed);
    Source.Refuse = false;
    D.WriteString("!");
    EXPECT_EQ(Source.Written, "0123456789ok!");
}
