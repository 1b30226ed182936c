#include "serial/SerDataDispatcher.h"

#include "platform/base/ScopeGuard.h"
#include "serial/SerSafeSync.h"

#include <algorithm>

namespace {
constexpr Cardinal DeliveryTimeout = 2000;
}

TSerDataDispConnComponent::~TSerDataDispConnComponent() {
    if (FDispatcher) FDispatcher->SetDataProvider(nullptr);
}

void TSerDataDispConnComponent::Open() {
    if (FDispatcher) FDispatcher->ProviderOpened();
}

void TSerDataDispConnComponent::Close() {
    if (FDispatcher) FDispatcher->ProviderClosed();
}

TSerCustomDataDispatcher::TSerCustomDataDispatcher(TComponent* AOwner) : TComponent(AOwner) {
    if (!ComponentState().Contains(csDesigning))
        FSyncID = SerRegisterSyncSlot(TSerSyncMethod(this, &TSerCustomDataDispatcher::SyncMethod));
    // Built in code, a dispatcher that is not being loaded is ready at once.
    if (!ComponentState().Contains(csLoading)) Loaded();
}

TSerCustomDataDispatcher::~TSerCustomDataDispatcher() {
    {
        std::lock_guard<std::recursive_mutex> Guard(CritSect);
        FDispEvents = TSerDispEventKinds();
    }
    SetDataProvider(nullptr);
    if (!ComponentState().Contains(csDesigning)) {
        EndStreamWrite();
        SerUnregisterSyncSlot(FSyncID);
    }
}

void TSerCustomDataDispatcher::Loaded() {
    TComponent::Loaded();
    if (ComponentState().Contains(csDesigning)) return;
    if (!FDispatchBuffer) FDispatchBuffer = std::make_unique<TSerCircularBuffer>(FBufferSize);
    SerEnableSyncSlot(FSyncID, true);
}

int TSerCustomDataDispatcher::BufFree() {
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    return FDispatchBuffer ? FDispatchBuffer->BufFree() : 0;
}

int TSerCustomDataDispatcher::BufUsed() {
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    return FDispatchBuffer ? FDispatchBuffer->BufUsed() : 0;
}

void TSerCustomDataDispatcher::SetDataProvider(TSerDataDispConnComponent* Provider) {
    if (Provider == FDataProvider) return;
    ProviderClosed();
    if (FDataProvider) FDataProvider->FDispatcher = nullptr;
    if (Provider) {
        if (Provider->FDispatcher && Provider->FDispatcher != this)
            Provider->FDispatcher->SetDataProvider(nullptr);
        Provider->FDispatcher = this;
    }
    FDataProvider = Provider;
}

void TSerCustomDataDispatcher::ProviderOpened() {
    if (OnProviderOpen) OnProviderOpen(this);
}

void TSerCustomDataDispatcher::ProviderClosed() {
    FDataProviderActive = false;
    EndStreamWrite();
    if (OnProviderClose) OnProviderClose(this);
}

void TSerCustomDataDispatcher::Dispatcher_WriteTo(const void* Data, int Size) {
    if (Size <= 0) return;
    {
        std::lock_guard<std::recursive_mutex> Guard(CritSect);
        if (!FDispatchBuffer || !FDispatchBuffer->Write(Data, Size))
            throw ESerDispatcherError(u"Error writing to dispatcher buffer");
        FReceivedBytes += Size;
    }
    PostEvent(deData);
}

void TSerCustomDataDispatcher::PostEvent(TSerDispEventKind Kind) {
    {
        std::lock_guard<std::recursive_mutex> Guard(CritSect);
        FDispEvents.Include(Kind);
    }
    Notify();
}

void TSerCustomDataDispatcher::Notify() {
    if (FNotifying.exchange(true)) return; // the running pass picks the new event up
    FLinkListChanged = false;
    FDataProviderActive = true;
    TSerDispEventKinds Events;
    {
        std::lock_guard<std::recursive_mutex> Guard(CritSect);
        Events = FDispEvents;
    }
    // The flag goes down on every way out, an abort included.
    TScopeExit Done([this] { FNotifying = false; });
    while (Events != TSerDispEventKinds()) {
        TSerDispEventKinds Delivered;
        for (TSerDispEventKind Kind : {deData, deWriteBufFree, deClear}) {
            if (!Events.Contains(Kind)) continue;
            FMaxReadBytes = 0;
            for (int J = -1; J < static_cast<int>(FLinksList.size()); ++J) {
                if (J == -1) {
                    const bool Wanted = (Kind == deData && OnDataReceived) ||
                                        (Kind == deWriteBufFree && (OnWriteBufFree || FStreamWriting));
                    if (!Wanted) continue;
                }
                const UInt64 Param = UInt64(Kind) | (UInt64(J + 1) << 8);
                if (!SerCallSyncSlot(FSyncID, DeliveryTimeout, Param)) Abort();
                if (!FDataProviderActive) return; // pending events stay pending
            }
            {
                std::lock_guard<std::recursive_mutex> Guard(CritSect);
                if (FMaxReadBytes > 0 && FDispatchBuffer) FDispatchBuffer->Remove(FMaxReadBytes);
            }
            Delivered.Include(Kind);
        }
        std::lock_guard<std::recursive_mutex> Guard(CritSect);
        for (TSerDispEventKind Kind : {deData, deWriteBufFree, deClear})
            if (Delivered.Contains(Kind)) FDispEvents.Exclude(Kind);
        Events = FDispEvents;
    }
    if (FLinkListChanged)
        FLinksList.erase(std::remove_if(FLinksList.begin(), FLinksList.end(),
                                        [](const TSerDispatcherLink& L) { return L.Sender == nullptr; }),
                         FLinksList.end());
    FLinkListChanged = false;
}

void TSerCustomDataDispatcher::SyncMethod(int, UInt64 Param) {
    if (ComponentState().Contains(csDestroying)) return;
    const auto Kind = static_cast<TSerDispEventKind>(Param & 0xFF);
    const int Index = static_cast<int>(Param >> 8) - 1;
    if (Index == -1) {
        if (Kind == deData) {
            if (OnDataReceived) OnDataReceived(this);
        } else if (Kind == deWriteBufFree) {
            if (FStreamWriting)
                WriteNextBlock();
            else if (OnWriteBufFree)
                OnWriteBufFree(this);
        }
        return;
    }
    if (Index < static_cast<int>(FLinksList.size()) && FLinksList[static_cast<std::size_t>(Index)].OnNotify) {
        const TSerDispatcherLink& L = FLinksList[static_cast<std::size_t>(Index)];
        L.OnNotify(L.Sender, Kind);
    }
}

void TSerCustomDataDispatcher::ReadData(void* Buf, int Size) {
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    bool Ok;
    // During a pass every reader sees the same bytes; the largest read decides what is consumed.
    if (FNotifying) {
        Ok = FDispatchBuffer && FDispatchBuffer->Peek(Buf, Size);
        if (Ok) FMaxReadBytes = std::max(FMaxReadBytes, Size);
    } else {
        Ok = FDispatchBuffer && FDispatchBuffer->Read(Buf, Size);
    }
    if (!Ok) throw ESerDispatcherError(u"Error reading from dispatcher buffer");
}

Byte TSerCustomDataDispatcher::ReadChar() {
    Byte C = 0;
    ReadData(&C, 1);
    return C;
}

AnsiString TSerCustomDataDispatcher::ReadString() {
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    AnsiString S(static_cast<std::size_t>(BufUsed()), '\0');
    if (!S.empty()) ReadData(S.data(), static_cast<int>(S.size()));
    return S;
}

void TSerCustomDataDispatcher::ClearBuffer() {
    if (FNotifying)
        throw ESerDispatcherError(u"Can't perform this operation when dispatcher is notifying links");
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    if (FDispatchBuffer) FDispatchBuffer->Clear();
    FReceivedBytes = 0;
    FSentBytes = 0;
}

void TSerCustomDataDispatcher::WriteToDevice(const void* Data, int Size) {
    if (FDataProvider)
        FDataProvider->WriteData(Data, Size);
    else if (OnWriteToDevice)
        OnWriteToDevice(this, Data, Size);
    std::lock_guard<std::recursive_mutex> Guard(CritSect);
    FSentBytes += Size;
}

void TSerCustomDataDispatcher::WriteData(const void* Data, int Size) {
    if (FStreamWriting) throw ESerDispatcherError(u"Write is not allowed when writing Stream is in progress");
    WriteToDevice(Data, Size);
}

void TSerCustomDataDispatcher::WriteString(const AnsiString& S) {
    if (!S.empty()) WriteData(S.data(), static_cast<int>(S.size()));
}

void TSerCustomDataDispatcher::WriteStream(TStream* Stream, bool FreeAtferWrite) {
    if (FStreamWriting) throw ESerDispatcherError(u"Write stream operation isn't completed yet");
    FStream = Stream;
    FStreamFreeAfterWrite = FreeAtferWrite;
    FStream->SetPosition(0);
    FStreamWriting = true;
    WriteNextBlock();
}

void TSerCustomDataDispatcher::WriteNextBlock() {
    // A failure on the way ends the stream write before it goes on.
    TScopeExit EndOnFailure([this] { EndStreamWrite(); });
    const Int64 Position = FStream->Position();
    const int N = static_cast<int>(std::min<Int64>(FStream->Size() - Position, FStreamBlockSize));
    if (N > 0) {
        std::vector<Byte> Block(static_cast<std::size_t>(N));
        FStream->ReadBuffer(Block.data(), N);
        WriteToDevice(Block.data(), N);
        if (OnWriteStreamBlock) OnWriteStreamBlock(this, Position, FStream->Size());
    } else {
        EndStreamWrite();
        if (OnWriteStreamDone) OnWriteStreamDone(this);
    }
    EndOnFailure.Release();
}

void TSerCustomDataDispatcher::EndStreamWrite() {
    if (!FStreamWriting) return;
    if (FStreamFreeAfterWrite) delete FStream;
    FStream = nullptr;
    FStreamWriting = false;
}

void TSerCustomDataDispatcher::AbortWriteStream() {
    EndStreamWrite();
    if (OnWriteStreamDone) OnWriteStreamDone(this);
}
