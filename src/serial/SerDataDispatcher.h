#pragma once
// TSerDataDispConnComponent, the base of every data source that feeds a dispatcher, and
// TSerCustomDataDispatcher, which collects what its source received in a ring of its own and
// tells its owner and its links in the GUI thread about new data, free transmit room and clear
// requests, and streams a TStream to the source in blocks.

#include "platform/base/Component.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/Streams.h"
#include "platform/base/TypeInfo.h"
#include "serial/SerCircularBuffer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

DECLARE_EXCEPTION(ESerDispatcherError, Exception)

DECLARE_ENUM(TSerDispEventKind, Byte, deData, deWriteBufFree, deClear)
using TSerDispEventKinds = TSet<TSerDispEventKind>;

class TSerCustomDataDispatcher;

class TSerDataDispConnComponent : public TComponent {
    DECLARE_CLASS(TSerDataDispConnComponent, TComponent)
public:
    explicit TSerDataDispConnComponent(TComponent* AOwner) : TComponent(AOwner) {}
    // Unlinks itself from its dispatcher.
    ~TSerDataDispConnComponent() override;
    TSerCustomDataDispatcher* Dispatcher() const { return FDispatcher; }
    // Sends Size bytes to the device.
    virtual void WriteData(const void* Data, int Size) = 0;

protected:
    friend class TSerCustomDataDispatcher;
    TSerCustomDataDispatcher* FDispatcher = nullptr;
    // Tell the dispatcher that the source opened or closed.
    virtual void Open();
    virtual void Close();
};

using TSerDispNotifyEvent = std::function<void(TObject* Sender, TSerDispEventKind Kind)>;

// A link to notify: its sender and its notification event.
struct TSerDispatcherLink {
    TObject* Sender = nullptr;
    TSerDispNotifyEvent OnNotify;
};

using TSerWriteStreamBlockEvent = std::function<void(TObject* Sender, Int64 Position, Int64 Size)>;
using TSerWriteToDeviceEvent = std::function<void(TObject* Sender, const void* Data, int Size)>;

class TSerCustomDataDispatcher : public TComponent {
    DECLARE_CLASS(TSerCustomDataDispatcher, TComponent)
public:
    explicit TSerCustomDataDispatcher(TComponent* AOwner);
    ~TSerCustomDataDispatcher() override;
    void Loaded() override;

    int BufFree();
    int BufUsed();
    int BufferSize() const { return FBufferSize; }
    // Before loading completes only; the ring is made then.
    void SetBufferSize(int Value) { FBufferSize = Value; }
    void Clear() { PostEvent(deClear); }
    void ClearBuffer();
    Byte ReadChar();
    void ReadData(void* Buf, int Size);
    AnsiString ReadString();
    void WriteChar(Byte C) { WriteData(&C, 1); }
    void WriteData(const void* Data, int Size);
    void WriteString(const AnsiString& S);
    // Takes the stream over when FreeAtferWrite; the first block goes out at once.
    void WriteStream(TStream* Stream, bool FreeAtferWrite);
    void AbortWriteStream();
    int StreamBlockSize() const { return FStreamBlockSize; }
    void SetStreamBlockSize(int Value) { FStreamBlockSize = Value; }

    // The source's side, from its event thread.
    void Dispatcher_WriteTo(const void* Data, int Size);
    void Dispatcher_WriteBufFree() { PostEvent(deWriteBufFree); }
    void ProviderOpened();
    void ProviderClosed();

    std::vector<TSerDispatcherLink>& LinksList() { return FLinksList; }
    int ReceivedBytes() const { return FReceivedBytes; }
    int SentBytes() const { return FSentBytes; }
    bool StreamWriting() const { return FStreamWriting; }
    TSerDataDispConnComponent* DataProvider() const { return FDataProvider; }
    void SetDataProvider(TSerDataDispConnComponent* Provider);

    TNotifyEvent OnDataReceived;
    TNotifyEvent OnWriteBufFree;
    TSerWriteStreamBlockEvent OnWriteStreamBlock;
    TNotifyEvent OnWriteStreamDone;
    TSerWriteToDeviceEvent OnWriteToDevice;
    TNotifyEvent OnLineReceived; // never raised
    TNotifyEvent OnProviderOpen;
    TNotifyEvent OnProviderClose;

private:
    int FBufferSize = 16384;
    std::atomic<bool> FDataProviderActive{false};
    TSerDataDispConnComponent* FDataProvider = nullptr;
    std::unique_ptr<TSerCircularBuffer> FDispatchBuffer;
    TSerDispEventKinds FDispEvents;
    std::vector<TSerDispatcherLink> FLinksList;
    bool FLinkListChanged = false;
    int FMaxReadBytes = 0;
    std::atomic<bool> FNotifying{false};
    int FReceivedBytes = 0;
    int FSentBytes = 0;
    TStream* FStream = nullptr;
    int FStreamBlockSize = 1024;
    bool FStreamWriting = false;
    bool FStreamFreeAfterWrite = false;
    Cardinal FSyncID = 0;
    std::recursive_mutex CritSect;

    void PostEvent(TSerDispEventKind Kind);
    void Notify();
    void SyncMethod(int SlotIndex, UInt64 Param);
    void WriteToDevice(const void* Data, int Size);
    void WriteNextBlock();
    void EndStreamWrite();
};
