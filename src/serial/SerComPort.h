#pragma once
// TSerComPort: the serial port component that forms place. It keeps the port settings as
// typed properties, builds the device control block from them, owns one port core and turns
// the core's event-thread callbacks into component events that run in the GUI thread.

#include "serial/SerComPortCore.h"
#include "serial/SerDataDispatcher.h"

#include <atomic>
#include <functional>
#include <memory>

DECLARE_EXCEPTION(ESerComPortError, Exception)

DECLARE_ENUM(TSerBaudrate, Byte, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
             br38400, br56000, br57600, br115200, br128000, br256000, brUser)
DECLARE_ENUM(TSerDatabits, Byte, db4, db5, db6, db7, db8)
DECLARE_ENUM(TSerParity, Byte, paNone, paOdd, paEven, paMark, paSpace)
DECLARE_ENUM(TSerStopbits, Byte, sbOne, sbOneAndHalf, sbTwo)
DECLARE_ENUM(TSerFlowControl, Byte, fwNone, fwXOnXOff, fwRtsCts, fwDtrDsr)
DECLARE_ENUM(TSerComOption, Byte, coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coStripNull)
using TSerComOptions = TSet<TSerComOption>;

using TSerDataReceivedEvent = std::function<void(TObject* Sender, int Count)>;
using TSerLineErrorEvent = std::function<void(TObject* Sender, Cardinal Errors)>;
using TSerComEvent = std::function<void(TObject* Sender, TSerCoreEvent EventKind, Cardinal Data)>;

class TSerCustomSerialPort : public TSerDataDispConnComponent {
    DECLARE_CLASS(TSerCustomSerialPort, TSerDataDispConnComponent)
public:
    explicit TSerCustomSerialPort(TComponent* AOwner);
    ~TSerCustomSerialPort() override;
    void Loaded() override;

    bool Active() const { return ReadActive(); }
    void SetActive(bool Value) { WriteActive(Value); }
    const TDCB& DCB() const { return FDCB; }
    // Raises "Error setting parameters from DCB" for a block of another length.
    void SetDCB(const TDCB& Value);
    int Handle() const { return FCoreComPort->Handle(); }
    bool CTSHold();
    bool DSRHold();
    bool RLSDHold();
    bool XOffHold();
    bool XOffSent();
    bool CTS();
    bool DSR();
    bool RING();
    bool RLSD();

    // Raises "Read data error" unless exactly Size bytes came.
    void ReadData(void* Buf, int Size);
    Byte ReadChar();
    AnsiString ReadString();
    int InBufUsed();
    // The open port's device hung up or failed (unplugged): it takes no more bytes; OnLineError
    // has CE_IOE.
    bool DeviceGone() const;
    // Raises "Write data error [requested: %d, free: %d]" when the bytes don't fit.
    void WriteData(const void* Data, int Size) override;
    void WriteChar(Byte C) { WriteData(&C, 1); }
    void WriteString(const AnsiString& S);
    int OutBufFree();
    int OutBufUsed();
    bool PurgeRX();
    bool PurgeTX();

    bool AutoOpen() const { return FAutoOpen; }
    void SetAutoOpen(bool Value) { FAutoOpen = Value; }
    TSerBaudrate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TSerBaudrate Value);
    Word ComNumber() const { return FComNumber; }
    void SetComNumber(Word Value);
    TSerDatabits Databits() const { return FDatabits; }
    void SetDatabits(TSerDatabits Value);
    bool DTR() const { return FDTR; }
    void SetDTR(bool Value);
    TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
    void SetEventThreadPriority(TThreadPriority Value) { FEventThreadPriority = Value; }
    TSerFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TSerFlowControl Value);
    int InBufSize() const { return FInBufSize; }
    void SetInBufSize(int Value);
    TSerComOptions Options() const { return FOptions; }
    void SetOptions(TSerComOptions Value);
    int OutBufSize() const { return FOutBufSize; }
    void SetOutBufSize(int Value);
    TSerParity Parity() const { return FParity; }
    void SetParity(TSerParity Value);
    bool RTS() const { return FRTS; }
    void SetRTS(bool Value);
    TSerStopbits Stopbits() const { return FStopbits; }
    void SetStopbits(TSerStopbits Value);
    int UserBaudRate() const { return FUserBaudRate; }
    void SetUserBaudRate(int Value);
    TThreadPriority WriteThreadPriority() const { return FWriteThreadPriority; }
    void SetWriteThreadPriority(TThreadPriority Value) { FWriteThreadPriority = Value; }
    char XOnChar() const { return FXOnChar; }
    void SetXOnChar(char Value);
    char XOffChar() const { return FXOffChar; }
    void SetXOffChar(char Value);
    Word XOnLim() const { return FXOnLim; }
    void SetXOnLim(Word Value);
    Word XOffLim() const { return FXOffLim; }
    void SetXOffLim(Word Value);

    TNotifyEvent OnCTSChanged;
    TNotifyEvent OnDSRChanged;
    TNotifyEvent OnRINGDetected;
    TNotifyEvent OnRLSDChanged;
    TNotifyEvent OnOutBufFree;
    TNotifyEvent OnPortOpen;
    TNotifyEvent OnPortClose;
    TSerDataReceivedEvent OnDataRecived;
    TSerLineErrorEvent OnLineError;
    TSerComEvent OnSyncEvent;
    TSerComEvent OnNonSyncEvent;

    void Open() override;
    void Close() override;

protected:
    virtual void OpenCorePort() = 0;
    [[noreturn]] virtual void RaiseComPortError(const String& Message);
    virtual bool ExecuteConfigDialog() = 0;
    void UpdateDCB();
    TSerComPortCore& Core() { return *FCoreComPort; }

private:
    bool FAutoOpen = false;
    TSerBaudrate FBaudRate = br115200;
    Word FComNumber = 0;
    TSerDatabits FDatabits = db8;
    bool FDTR = true;
    TThreadPriority FEventThreadPriority = tpNormal;
    TSerFlowControl FFlowControl = fwNone;
    int FInBufSize = 4096;
    TSerComOptions FOptions;
    int FOutBufSize = 2048;
    TSerParity FParity = paNone;
    bool FRTS = true;
    TSerStopbits FStopbits = sbOne;
    int FUserBaudRate = 0;
    TThreadPriority FWriteThreadPriority = tpHighest;
    char FXOnChar = 17;
    char FXOffChar = 19;
    Word FXOnLim = 0;
    Word FXOffLim = 0;

    std::atomic<bool> FClosing{false};
    std::unique_ptr<TSerComPortCore> FCoreComPort;
    TDCB FDCB;
    Cardinal FSyncID = 0;

    bool ReadActive() const { return FCoreComPort && FCoreComPort->IsOpen(); }
    void WriteActive(bool Value);
    void SetXLimits();
    Cardinal ComStatFlags();
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    void RefuseWhileOpen();
    void CoreComPortEvent(TSerComPortCore* Sender, TSerCoreEvent EventKind, Cardinal Data,
                          std::exception_ptr Error);
    void FeedDispatcher(TSerCustomDataDispatcher* D, int Count);
    void SynchronizeEvent(TSerCoreEvent EventKind, Cardinal Data, Cardinal Timeout,
                          std::exception_ptr Error = nullptr);
    void SyncMethod(int SlotIndex, UInt64 Param);
    void DispatchComEvent(TSerCoreEvent EventKind, Cardinal Data, std::exception_ptr Error);

    // An exception on its way to the GUI thread, taken there by the slot method.
    std::mutex FErrorLock;
    std::exception_ptr FSyncError;
};

class TSerCustomComPort : public TSerCustomSerialPort {
    DECLARE_CLASS(TSerCustomComPort, TSerCustomSerialPort)
public:
    explicit TSerCustomComPort(TComponent* AOwner) : TSerCustomSerialPort(AOwner) {}
    // The line settings dialog for the port, for a port that is open or whose device is there
    // (else false); on OK the settings go into the properties. True when confirmed.
    bool ExecuteConfigDialog() override;
    // The system's default line settings (9600 baud, 8 data bits, no parity, one stop bit) for
    // a port whose device is there; a port without a device keeps its settings.
    void SetDefaultParameters();
    // "COM%d: %d,%s,%s,%s": number, baud rate, parity letter, data bits, stop bits.
    String SettingsStr() const;

protected:
    void OpenCorePort() override;
};

class TSerComPort : public TSerCustomComPort {
    DECLARE_CLASS(TSerComPort, TSerCustomComPort)
public:
    explicit TSerComPort(TComponent* AOwner) : TSerCustomComPort(AOwner) {}

private:
    bool IsUserBaudRateStored() const { return BaudRate() == brUser; }
    static void Published(TPublisher<TSerComPort>& P);
};

// "COM n (device)" for showing a port: the number and the device it stands for, "COM n" alone
// when it stands for none.
String PortTitle(int ComNumber);
// The baud rate of each TSerBaudrate but brUser.
Cardinal SerBaudRateValue(TSerBaudrate Value);
// The port and the terminal window's controls.
void RegisterSerialClasses();
void RegisterTerminalClasses();
