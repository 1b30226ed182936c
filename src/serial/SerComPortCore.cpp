#include "serial/SerComPortCore.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr Cardinal ThreadStartLimit = 3000; // ms for a new thread to report that it runs
constexpr Cardinal PurgeLimit = 2000;       // ms for the write thread to stop between writes
constexpr int PollInterval = 200;           // ms: waiting bytes are reported at least this often

TSerialLine LineOf(const TDCB& D) {
    TSerialLine L;
    L.BaudRate = D.BaudRate;
    L.ByteSize = D.ByteSize;
    L.Parity = D.Parity;
    L.StopBits = D.StopBits;
    L.ParityCheck = D.Flags & DCB_fParity;
    L.RtsCtsFlow = D.Flags & DCB_fOutxCtsFlow;
    L.XOnXOffOut = D.Flags & DCB_fOutX;
    L.XOnXOffIn = D.Flags & DCB_fInX;
    L.XonChar = static_cast<Byte>(D.XonChar);
    L.XoffChar = static_cast<Byte>(D.XoffChar);
    return L;
}

void ReadBack(const TSerialLine& L, TDCB& D) {
    D.DCBlength = 28;
    D.BaudRate = L.BaudRate;
    D.ByteSize = L.ByteSize;
    D.Parity = L.Parity;
    D.StopBits = L.StopBits;
    auto Bit = [&D](Cardinal Mask, bool On) { D.Flags = On ? D.Flags | Mask : D.Flags & ~Mask; };
    Bit(DCB_fBinary, true);
    Bit(DCB_fParity, L.ParityCheck);
    Bit(DCB_fOutxCtsFlow, L.RtsCtsFlow);
    Bit(DCB_fOutX, L.XOnXOffOut);
    Bit(DCB_fInX, L.XOnXOffIn);
    D.XonChar = static_cast<char>(L.XonChar);
    D.XoffChar = static_cast<char>(L.XoffChar);
}

} // namespace

// ---- Threads -----------------------------------------------------------------------------------

class TSerComPortEventThread : public TThread {
public:
    explicit TSerComPortEventThread(TSerComPortCore* Core)
        : TThread(true), FCore(Core), FOnPortEvent(Core->OnPortEvent) {}

    // No events after this; the thread ends as soon as it notices.
    void StopThread() {
        {
            std::lock_guard<std::mutex> Guard(FEventLock);
            FRaising = false;
        }
        Terminate();
        FWaker.Signal();
        WaitFor();
    }
    void OutFree() {
        FOutFree = true;
        FWaker.Signal();
    }

protected:
    void Execute() override {
        TSerialDevice& D = FCore->FDevice;
        int Lines = 0;
        D.GetModemLines(Lines);
        TSerialErrorCounts Counts;
        D.GetErrorCounts(Counts);
        bool RxArmed = true;
        UInt64 ReadMark = 0; // bytes read when readiness stopped counting as news
        FCore->FGlobalSignalEvent.SetEvent();
        while (!Terminated()) {
            const Cardinal Mask = FCore->FEventMask;
            // Bytes that stay unread after their event are reported by the poll below, not
            // again and again by the device's readiness.
            if (!RxArmed) RxArmed = D.InQueue() <= 0 || FCore->FBytesRead != ReadMark;
            const int Ready = D.Wait(RxArmed && (Mask & EV_RXCHAR), false, &FWaker, PollInterval);
            if (Terminated()) break;
            if (Ready & swWoken) {
                FWaker.Clear();
                if (FOutFree.exchange(false)) Raise(ceOutFree, 0);
                continue;
            }
            if (Ready & swHangup) {
                // The device went away: say so once, then only wait to be stopped.
                FCore->FGone = true;
                FCore->FLastError |= CE_IOE;
                Raise(ceLineEvent, EV_ERR);
                while (!Terminated()) {
                    FWaker.WaitFor(-1);
                    FWaker.Clear();
                    if (FOutFree.exchange(false)) Raise(ceOutFree, 0);
                }
                break;
            }
            Cardinal Events = 0;
            if (Ready & swReadable) Events |= EV_RXCHAR;
            int NowLines = 0;
            if (D.GetModemLines(NowLines)) {
                const int Changed = NowLines ^ Lines;
                if (Changed & smlCTS) Events |= EV_CTS;
                if (Changed & smlDSR) Events |= EV_DSR;
                if (Changed & smlDCD) Events |= EV_RLSD;
                if (Changed & NowLines & smlRING) Events |= EV_RING;
                Lines = NowLines;
            }
            TSerialErrorCounts NowCounts;
            if (D.GetErrorCounts(NowCounts)) {
                Cardinal Errors = 0;
                if (NowCounts.Frame != Counts.Frame) Errors |= CE_FRAME;
                if (NowCounts.Overrun != Counts.Overrun) Errors |= CE_OVERRUN;
                if (NowCounts.Parity != Counts.Parity) Errors |= CE_RXPARITY;
                if (NowCounts.Break != Counts.Break) Errors |= CE_BREAK;
                if (NowCounts.BufferOverrun != Counts.BufferOverrun) Errors |= CE_RXOVER;
                if (Errors) {
                    FCore->FLastError |= Errors;
                    Events |= EV_ERR;
                }
                Counts = NowCounts;
            }
            Events &= Mask;
            if (Events) {
                const UInt64 Before = FCore->FBytesRead;
                Raise(ceLineEvent, Events);
                // Nobody took anything: stop treating the same bytes as news.
                if ((Events & EV_RXCHAR) && FCore->FBytesRead == Before && D.InQueue() > 0) {
                    RxArmed = false;
                    ReadMark = Before;
                }
            } else if (Ready == 0) {
                const int Waiting = D.InQueue();
                if (Waiting > 0) Raise(ceNeedReadData, static_cast<Cardinal>(Waiting));
            }
        }
    }

private:
    TSerComPortCore* FCore;
    TSerComPortCoreEvent FOnPortEvent;
    std::mutex FEventLock;
    bool FRaising = true;
    TSerialWaker FWaker;
    std::atomic<bool> FOutFree{false};

    void Raise(TSerCoreEvent Kind, Cardinal Data) {
        try {
            Call(Kind, Data, nullptr);
        } catch (const EAbort&) {
        } catch (...) {
            std::exception_ptr Error = std::current_exception();
            try {
                Call(ceException, 0, Error);
            } catch (...) {
            }
        }
    }
    // The callback runs outside the lock; StopThread only keeps new calls from starting.
    void Call(TSerCoreEvent Kind, Cardinal Data, std::exception_ptr Error) {
        {
            std::lock_guard<std::mutex> Guard(FEventLock);
            if (!FRaising) return;
        }
        if (FOnPortEvent) {
            FOnPortEvent(FCore, Kind, Data, Error);
        } else if (Error) {
            // Nobody takes it: the application shows it in the GUI thread.
            TThread::Queue(nullptr, [Error] { std::rethrow_exception(Error); });
        }
    }
};

class TSerComPortWriteThread : public TThread {
public:
    TSerComPortWriteThread(TSerComPortCore* Core, int RingSize)
        : TThread(true), FCore(Core), FRing(RingSize) {}

    void StopThread() {
        Purge();
        Terminate();
        FWaker.Signal();
        WaitFor();
    }

    // Under the core's write section.
    bool Queue(const void* Data, int Size) {
        if (!FRing.Write(Data, Size)) return false;
        FWrite = true;
        FWaker.Signal();
        return true;
    }
    int Free() const { return FRing.BufFree(); }
    int Used() const { return FRing.BufUsed(); }

    bool Purge() {
        FPurging = true;
        FFlushDone.ResetEvent();
        FFlush = true;
        FWaker.Signal();
        const bool Stopped = FFlushDone.WaitFor(PurgeLimit) == wrSignaled;
        bool Result = false;
        if (Stopped) {
            std::lock_guard<std::recursive_mutex> Guard(FCore->FWriteSection);
            FWrite = false;
            FRing.Clear();
            Result = FCore->FDevice.Purge(false, true);
        }
        FPurging = false;
        FWaker.Signal();
        return Result;
    }

protected:
    void Execute() override {
        TSerialDevice& D = FCore->FDevice;
        FCore->FGlobalSignalEvent.SetEvent();
        while (!Terminated()) {
            if (FFlush.exchange(false)) {
                FFlushDone.SetEvent();
                continue;
            }
            if (!FWrite || FPurging) {
                // Only the waker: a hung-up device would be ready for ever.
                FWaker.WaitFor(-1);
                FWaker.Clear();
                continue;
            }
            const Byte* Block;
            int Length;
            {
                std::lock_guard<std::recursive_mutex> Guard(FCore->FWriteSection);
                Length = FRing.BufLinearUsed();
                Block = FRing.StartPtr();
                if (Length == 0) {
                    FWrite = false;
                    continue;
                }
            }
            // The block stays where it is while we write it: writers only append behind it,
            // and a purge waits until this write is over.
            const int Written = D.Write(Block, Length);
            if (Written > 0) {
                // What went out leaves the ring, however short the write: the rest follows, and
                // nothing is sent twice.
                bool Empty;
                {
                    std::lock_guard<std::recursive_mutex> Guard(FCore->FWriteSection);
                    FRing.Remove(Written);
                    Empty = FRing.BufUsed() == 0;
                    if (Empty) FWrite = false;
                }
                if (Empty) FCore->OutBuffFreed();
            } else if (Written == 0) {
                const int Ready = D.Wait(false, true, &FWaker, -1);
                if (Ready & swWoken) FWaker.Clear();
                if (Ready & swHangup) FWrite = false; // the data stays queued until the next write
            } else {
                FWrite = false; // the data stays queued until the next write
            }
        }
    }

private:
    TSerComPortCore* FCore;
    TSerCircularBuffer FRing;
    TSerialWaker FWaker;
    std::atomic<bool> FWrite{false};
    std::atomic<bool> FFlush{false};
    std::atomic<bool> FPurging{false};
    TEvent FFlushDone{false, false};
};

// ---- Core --------------------------------------------------------------------------------------

TSerComPortCore::TSerComPortCore() {
    FDCB.BaudRate = 9600;
    FDCB.ByteSize = 8;
    FDCB.Flags = DCB_fBinary;
    FDCB.XonChar = 17;
    FDCB.XoffChar = 19;
}

TSerComPortCore::~TSerComPortCore() {
    CloseComPort();
}

bool TSerComPortCore::OpenComPort(int ComNumber) {
    if (FIsOpen) return false;
    if (ComNumber <= 0) throw ESerComPortCoreError(Format(u"Invalid port number (COM%d)", {ComNumber}));
    FComNumber = ComNumber;
    const TSerialOpenResult Result = FDevice.Open(ComNumber);
    if (Result == sorOpened) {
        Open();
        return true;
    }
    // The device the number stands for goes with the message, and why it did not open: a user
    // who is not allowed to open it reads so.
    const int Error = errno;
    const String Device = SerialPortDeviceName(ComNumber);
    const String Where = Device.empty() ? String(u": no device is set for this number")
                                        : Format(u": %s (%s)", {Device, Utf8ToString(std::strerror(Error))});
    if (Result == sorAbsent)
        throw ESerComPortCoreError(Format(u"Invalid port number (COM%d)", {ComNumber}) + Where);
    throw ESerComPortCoreError(Format(u"Can't open device COM%d", {ComNumber}) + Where);
}

bool TSerComPortCore::OpenExternalHandle(int ExternalHandle) {
    if (FIsOpen) return false;
    FComNumber = 0;
    FDevice.Attach(ExternalHandle);
    Open();
    return true;
}

void TSerComPortCore::ApplyDCB() {
    if (!FDevice.SetLine(LineOf(FDCB))) {
        TSerialLine Current;
        if (FDevice.GetLine(Current)) ReadBack(Current, FDCB);
        throw ESerComPortCoreError(u"Error setting parameters from DCB");
    }
    // The modem lines follow the block where the device has them (a pseudo-terminal has none).
    FDevice.SetModemLines(smlDTR, FDCB.Flags & (DCB_DtrControlEnable | DCB_DtrControlHandshake));
    FDevice.SetModemLines(smlRTS, FDCB.Flags & (DCB_RtsControlEnable | DCB_RtsControlHandshake));
}

void TSerComPortCore::Open() {
    FEventThread = nullptr;
    FWriteThread = nullptr;
    // Whatever fails on the way (a setting, a thread) closes the device before the error goes on.
    TScopeExit CloseOnFailure([this] { Close(); });
    ApplyDCB();
    FLastError = 0;
    FGone = false;
    FGlobalSignalEvent.ResetEvent();
    if (!FDirectWrite) {
        FWriteThread = new TSerComPortWriteThread(this, FOutBuffSize);
        FWriteThread->Start();
        if (FGlobalSignalEvent.WaitFor(ThreadStartLimit) != wrSignaled)
            throw ESerComPortCoreError(u"Error creating threads");
    }
    FCanPerformCall = true;
    FEventThread = new TSerComPortEventThread(this);
    FEventThread->Start();
    if (FGlobalSignalEvent.WaitFor(ThreadStartLimit) != wrSignaled)
        throw ESerComPortCoreError(u"Error creating threads");
    FIsOpen = true;
    CloseOnFailure.Release();
}

void TSerComPortCore::CloseComPort() {
    if (!FIsOpen) return;
    Close();
    FIsOpen = false;
}

void TSerComPortCore::Close() {
    if (!FDevice.IsOpen()) return;
    // Calls from event handlers find the gate closed from here on. The lock is held around the
    // purge only: an event handler that reads while the threads are stopped must not wait for
    // this thread, which waits for the event thread.
    FCanPerformCall = false;
    {
        std::lock_guard<std::recursive_mutex> Guard(FCritSection);
        FDevice.Purge(true, true);
    }
    if (FWriteThread) {
        FWriteThread->StopThread();
        delete FWriteThread;
        FWriteThread = nullptr;
    }
    if (FEventThread) {
        FEventThread->StopThread();
        delete FEventThread;
        FEventThread = nullptr;
    }
    FDevice.Close();
}

int TSerComPortCore::ReadData(void* Data, int Count) {
    if (!FCanPerformCall) return -1;
    std::lock_guard<std::recursive_mutex> Guard(FCritSection);
    const int N = FDevice.Read(Data, Count);
    if (N > 0) FBytesRead += static_cast<UInt64>(N);
    if (N < 0 && (errno == EIO || errno == ENXIO || errno == ENODEV)) FGone = true;
    return N < 0 ? -1 : N;
}

bool TSerComPortCore::WriteData(const void* Data, int Size) {
    // Bytes for a device that is gone would be taken and never sent.
    if (!FCanPerformCall || FGone || Size < 1) return false;
    std::lock_guard<std::recursive_mutex> Guard(FWriteSection);
    if (!FDirectWrite) return FWriteThread && FWriteThread->Queue(Data, Size);
    const Byte* P = static_cast<const Byte*>(Data);
    int Done = 0;
    while (Done < Size) {
        const int N = FDevice.Write(P + Done, Size - Done);
        if (N < 0) return false;
        Done += N;
        if (N == 0 && (FDevice.Wait(false, true, nullptr, -1) & swHangup)) return false;
    }
    OutBuffFreed();
    return true;
}

void TSerComPortCore::OutBuffFreed() {
    if (FEventThread) FEventThread->OutFree();
}

void TSerComPortCore::ComStatus(TComStat& Stat) {
    Stat = TComStat();
    if (!FCanPerformCall) return;
    std::lock_guard<std::recursive_mutex> Guard(FCritSection);
    const int In = FDevice.InQueue();
    const int Out = FDevice.OutQueue();
    Stat.cbInQue = In > 0 ? static_cast<Cardinal>(In) : 0;
    Stat.cbOutQue = Out > 0 ? static_cast<Cardinal>(Out) : 0;
}

Cardinal TSerComPortCore::ComError() {
    if (!FCanPerformCall) return 0;
    std::lock_guard<std::recursive_mutex> Guard(FCritSection);
    return FLastError.exchange(0);
}

Cardinal TSerComPortCore::ModemStatus() {
    int Lines = 0;
    if (!FCanPerformCall || !FDevice.GetModemLines(Lines)) return 0;
    Cardinal Status = 0;
    if (Lines & smlCTS) Status |= MS_CTS_ON;
    if (Lines & smlDSR) Status |= MS_DSR_ON;
    if (Lines & smlRING) Status |= MS_RING_ON;
    if (Lines & smlDCD) Status |= MS_RLSD_ON;
    return Status;
}

bool TSerComPortCore::EscapeComm(Cardinal Function) {
    if (!FCanPerformCall) return false;
    switch (Function) {
    case SETRTS:
        return FDevice.SetModemLines(smlRTS, true);
    case CLRRTS:
        return FDevice.SetModemLines(smlRTS, false);
    case SETDTR:
        return FDevice.SetModemLines(smlDTR, true);
    case CLRDTR:
        return FDevice.SetModemLines(smlDTR, false);
    case SETBREAK:
        return FDevice.SetBreak(true);
    case CLRBREAK:
        return FDevice.SetBreak(false);
    default:
        return false;
    }
}

bool TSerComPortCore::PurgeRX() {
    if (!FCanPerformCall) return false;
    std::lock_guard<std::recursive_mutex> Guard(FCritSection);
    return FDevice.Purge(true, false);
}

bool TSerComPortCore::PurgeTX() {
    if (!FCanPerformCall) return false;
    if (FDirectWrite || !FWriteThread) {
        std::lock_guard<std::recursive_mutex> Guard(FWriteSection);
        return FDevice.Purge(false, true);
    }
    return FWriteThread->Purge();
}

int TSerComPortCore::OutBuffFree() {
    if (!FCanPerformCall) return 0;
    std::lock_guard<std::recursive_mutex> Guard(FWriteSection);
    if (!FDirectWrite) return FWriteThread ? FWriteThread->Free() : 0;
    return FOutBuffSize - std::max(FDevice.OutQueue(), 0);
}

int TSerComPortCore::OutBuffUsed() {
    if (!FCanPerformCall) return 0;
    std::lock_guard<std::recursive_mutex> Guard(FWriteSection);
    if (!FDirectWrite) return FWriteThread ? FWriteThread->Used() : 0;
    return std::max(FDevice.OutQueue(), 0);
}

void TSerComPortCore::SetDCB(const TDCB& Value) {
    FDCB = Value;
    if (FCanPerformCall) ApplyDCB();
}

void TSerComPortCore::SetDirectWrite(bool Value) {
    if (Value == FDirectWrite) return;
    if (FIsOpen) throw ESerComPortCoreError(u"Can't perform this operation when port is open");
    FDirectWrite = Value;
}
