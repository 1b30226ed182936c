#pragma once
// TSerComPortCore: one open serial device and its two threads. The event thread waits for
// received bytes, line changes and errors and reports them through OnPortEvent (in the event
// thread); the write thread drains a transmit ring into the device. Everything is reported
// through that one callback, which the port component assigns.

#include "platform/base/Exceptions.h"
#include "platform/base/ThreadPriority.h"
#include "platform/base/Threads.h"
#include "platform/os/SerialDevice.h"
#include "serial/SerCircularBuffer.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

DECLARE_EXCEPTION(ESerComPortCoreError, Exception)

// The device control block of the design: 28 bytes, the line settings a port applies.
struct TDCB {
    Cardinal DCBlength = 28;
    Cardinal BaudRate = 0;
    Cardinal Flags = 0;
    Word wReserved = 0;
    Word XonLim = 0;
    Word XoffLim = 0;
    Byte ByteSize = 0;
    Byte Parity = 0;
    Byte StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    Word wReserved1 = 0;
};
static_assert(sizeof(TDCB) == 28, "the device control block keeps its size");

// Flags of the device control block.
enum : Cardinal {
    DCB_fBinary = 0x1,
    DCB_fParity = 0x2,
    DCB_fOutxCtsFlow = 0x4,
    DCB_fOutxDsrFlow = 0x8,
    DCB_DtrControlEnable = 0x10,
    DCB_DtrControlHandshake = 0x20,
    DCB_fDsrSensitivity = 0x40,
    DCB_fTXContinueOnXoff = 0x80,
    DCB_fOutX = 0x100,
    DCB_fInX = 0x200,
    DCB_fErrorChar = 0x400,
    DCB_fNull = 0x800,
    DCB_RtsControlEnable = 0x1000,
    DCB_RtsControlHandshake = 0x2000,
};

// Comm events, line errors, modem status and line functions.
enum : Cardinal {
    EV_RXCHAR = 0x1,
    EV_RXFLAG = 0x2,
    EV_TXEMPTY = 0x4,
    EV_CTS = 0x8,
    EV_DSR = 0x10,
    EV_RLSD = 0x20,
    EV_BREAK = 0x40,
    EV_ERR = 0x80,
    EV_RING = 0x100,

    CE_RXOVER = 0x1,
    CE_OVERRUN = 0x2,
    CE_RXPARITY = 0x4,
    CE_FRAME = 0x8,
    CE_BREAK = 0x10,
    CE_IOE = 0x400, // the device failed or went away

    MS_CTS_ON = 0x10,
    MS_DSR_ON = 0x20,
    MS_RING_ON = 0x40,
    MS_RLSD_ON = 0x80,

    SETXOFF = 1,
    SETXON = 2,
    SETRTS = 3,
    CLRRTS = 4,
    SETDTR = 5,
    CLRDTR = 6,
    SETBREAK = 8,
    CLRBREAK = 9,
};

struct TComStat {
    Cardinal Flags = 0; // fCtsHold 1, fDsrHold 2, fRlsdHold 4, fXoffHold 8, fXoffSent 16
    Cardinal cbInQue = 0;
    Cardinal cbOutQue = 0;
};

DECLARE_ENUM(TSerCoreEvent, Byte, ceOutFree, ceLineEvent, ceNeedReadData, ceException)

class TSerComPortCore;
// Error is set for ceException only: the receiver takes it over.
using TSerComPortCoreEvent = std::function<void(TSerComPortCore* Sender, TSerCoreEvent EventKind,
                                                Cardinal Data, std::exception_ptr Error)>;

class TSerComPortEventThread;
class TSerComPortWriteThread;

class TSerComPortCore {
public:
    TSerComPortCore();
    ~TSerComPortCore();
    TSerComPortCore(const TSerComPortCore&) = delete;
    TSerComPortCore& operator=(const TSerComPortCore&) = delete;

    // False when open already. Raises ESerComPortCoreError "Invalid port number (COM%d)" for a
    // number below 1 or a device that does not exist, "Can't open device COM%d" for one that
    // is held or cannot be opened (both followed by ": ", the device and the system's reason),
    // and the messages of the setting steps; the core is closed again before it raises.
    bool OpenComPort(int ComNumber);
    // Uses a device opened elsewhere; the core closes it.
    bool OpenExternalHandle(int ExternalHandle);
    void CloseComPort();

    // -1 unless open; else the bytes read, at most Count, without waiting.
    int ReadData(void* Data, int Count);
    // False unless open, once the device is gone, or when the bytes don't fit the transmit ring
    // (nothing is queued then).
    bool WriteData(const void* Data, int Size);
    void ComStatus(TComStat& Stat);
    // The line errors gathered since the last call (CE_*), reset to none.
    Cardinal ComError();
    Cardinal ModemStatus();
    bool EscapeComm(Cardinal Function);
    bool PurgeRX();
    bool PurgeTX();
    int OutBuffFree();
    int OutBuffUsed();

    int ComNumber() const { return FComNumber; }
    int Handle() const { return FDevice.Handle(); }
    bool IsOpen() const { return FIsOpen; }
    // The open device hung up or failed (unplugged): it takes no more bytes, and the event
    // thread has reported CE_IOE with EV_ERR.
    bool Gone() const { return FGone; }
    const TDCB& DCB() const { return FDCB; }
    // Applied at once while open; when the device refuses, the block is read back from it and
    // "Error setting parameters from DCB" is raised.
    void SetDCB(const TDCB& Value);
    Cardinal EventMask() const { return FEventMask; }
    void SetEventMask(Cardinal Value) { FEventMask = Value; }
    int InBuffSize() const { return FInBuffSize; }
    void SetInBuffSize(int Value) { FInBuffSize = Value; }
    int OutBuffSize() const { return FOutBuffSize; }
    void SetOutBuffSize(int Value) { FOutBuffSize = Value; }
    bool DirectWrite() const { return FDirectWrite; }
    // Raises "Can't perform this operation when port is open" while open.
    void SetDirectWrite(bool Value);
    TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
    void SetEventThreadPriority(TThreadPriority Value) { FEventThreadPriority = Value; }
    TThreadPriority WriteThreadPriority() const { return FWriteThreadPriority; }
    void SetWriteThreadPriority(TThreadPriority Value) { FWriteThreadPriority = Value; }

    // Set before opening; runs in the event thread.
    TSerComPortCoreEvent OnPortEvent;

private:
    friend class TSerComPortEventThread;
    friend class TSerComPortWriteThread;

    std::atomic<bool> FCanPerformCall{false};
    int FComNumber = 0;
    TDCB FDCB;
    // Read by the event thread on every pass: a change applies at once.
    std::atomic<Cardinal> FEventMask{EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_ERR | EV_RING};
    TSerialDevice FDevice;
    bool FIsOpen = false;
    std::atomic<Cardinal> FLastError{0};
    std::atomic<bool> FGone{false};
    std::atomic<UInt64> FBytesRead{0}; // tells the event thread that someone reads
    int FInBuffSize = 8192;
    int FOutBuffSize = 4096;
    std::recursive_mutex FCritSection;  // reads, status, input purges
    std::recursive_mutex FWriteSection; // the transmit ring and direct writes
    TEvent FGlobalSignalEvent{false, false};
    TSerComPortEventThread* FEventThread = nullptr;
    TSerComPortWriteThread* FWriteThread = nullptr;
    TThreadPriority FWriteThreadPriority = tpHigher;
    TThreadPriority FEventThreadPriority = tpNormal;
    bool FDirectWrite = false;

    void Open();
    void Close();
    void ApplyDCB();
    void OutBuffFreed();
};
