#include "serial/SerComPort.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "serial/CommConfigDialog.h"
#include "serial/SerSafeSync.h"

namespace {

constexpr Cardinal DeliveryTimeout = 2000;
constexpr Cardinal BaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                  19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr Cardinal FlowBits[] = {0, DCB_fOutX | DCB_fInX, DCB_fOutxCtsFlow | DCB_RtsControlHandshake,
                                 DCB_fOutxDsrFlow | DCB_DtrControlHandshake};
constexpr Cardinal OptionBits[] = {DCB_fParity, DCB_fDsrSensitivity, DCB_fTXContinueOnXoff, DCB_fErrorChar,
                                   DCB_fNull};

} // namespace

String PortTitle(int ComNumber) {
    const String Device = SerialPortDeviceName(ComNumber);
    return Device.empty() ? Format(u"COM%d", {ComNumber}) : Format(u"COM%d (%s)", {ComNumber, Device});
}

Cardinal SerBaudRateValue(TSerBaudrate Value) {
    return Value < brUser ? BaudRates[Value] : 0;
}

// ---- TSerCustomSerialPort ----------------------------------------------------------------------

TSerCustomSerialPort::TSerCustomSerialPort(TComponent* AOwner) : TSerDataDispConnComponent(AOwner) {
    if (Designing()) return;
    FSyncID = SerRegisterSyncSlot(TSerSyncMethod(this, &TSerCustomSerialPort::SyncMethod));
    FCoreComPort = std::make_unique<TSerComPortCore>();
    FCoreComPort->OnPortEvent = [this](TSerComPortCore* Sender, TSerCoreEvent Kind, Cardinal Data,
                                       std::exception_ptr Error) {
        CoreComPortEvent(Sender, Kind, Data, Error);
    };
    UpdateDCB();
}

TSerCustomSerialPort::~TSerCustomSerialPort() {
    if (Designing()) return;
    FClosing = true;
    SerUnregisterSyncSlot(FSyncID);
    FCoreComPort.reset(); // closes the device
}

void TSerCustomSerialPort::Loaded() {
    TSerDataDispConnComponent::Loaded();
    if (FAutoOpen)
        Open();
    else
        UpdateDCB();
}

void TSerCustomSerialPort::RaiseComPortError(const String& Message) {
    throw ESerComPortError(Format(u"%s - %s ", {Message, Name()}));
}

void TSerCustomSerialPort::RefuseWhileOpen() {
    if (ReadActive()) RaiseComPortError(u"Port is not closed");
}

void TSerCustomSerialPort::WriteActive(bool Value) {
    if (Value)
        Open();
    else
        Close();
}

void TSerCustomSerialPort::Open() {
    if (!Designing() && !FCoreComPort->IsOpen()) {
        SerEnableSyncSlot(FSyncID, true);
        FCoreComPort->SetDCB(FDCB);
        FCoreComPort->SetInBuffSize(FInBufSize);
        FCoreComPort->SetOutBuffSize(FOutBufSize);
        FCoreComPort->SetEventThreadPriority(FEventThreadPriority);
        FCoreComPort->SetWriteThreadPriority(FWriteThreadPriority);
        FClosing = false;
        OpenCorePort();
        if (OnPortOpen) OnPortOpen(this);
    }
    TSerDataDispConnComponent::Open();
}

void TSerCustomSerialPort::Close() {
    FClosing = true;
    TSerDataDispConnComponent::Close();
    if (!Designing()) {
        // The slot goes first: a delivery the event thread waits for returns false and ends.
        SerEnableSyncSlot(FSyncID, false);
        FCoreComPort->CloseComPort();
        if (OnPortClose) OnPortClose(this);
    }
    FClosing = false;
}

void TSerCustomSerialPort::SetDCB(const TDCB& Value) {
    if (Value.DCBlength != 28) RaiseComPortError(u"Error setting parameters from DCB");
    FDCB = Value;
    FBaudRate = brUser;
    FUserBaudRate = static_cast<int>(Value.BaudRate);
    for (int I = 0; I < brUser; ++I)
        if (BaudRates[I] == Value.BaudRate) {
            FBaudRate = static_cast<TSerBaudrate>(I);
            FUserBaudRate = 0;
            break;
        }
    FDatabits =
        Value.ByteSize >= 4 && Value.ByteSize <= 8 ? static_cast<TSerDatabits>(Value.ByteSize - 4) : db8;
    FParity = Value.Parity <= 4 ? static_cast<TSerParity>(Value.Parity) : paNone;
    FStopbits = Value.StopBits <= 2 ? static_cast<TSerStopbits>(Value.StopBits) : sbOne;
    FFlowControl = fwNone;
    for (TSerFlowControl F : {fwDtrDsr, fwRtsCts, fwXOnXOff})
        if ((Value.Flags & FlowBits[F]) == FlowBits[F]) {
            FFlowControl = F;
            break;
        }
    FOptions = TSerComOptions();
    for (int I = 0; I <= coStripNull; ++I)
        if (Value.Flags & OptionBits[I]) FOptions.Include(static_cast<TSerComOption>(I));
    FXOnChar = Value.XonChar;
    FXOffChar = Value.XoffChar;
    FXOnLim = Value.XonLim;
    FXOffLim = Value.XoffLim;
    UpdateDCB();
}

void TSerCustomSerialPort::UpdateDCB() {
    if (Designing()) return;
    TDCB D;
    D.DCBlength = 28;
    D.BaudRate = FBaudRate == brUser ? static_cast<Cardinal>(FUserBaudRate) : BaudRates[FBaudRate];
    D.ByteSize = static_cast<Byte>(FDatabits + 4);
    D.Parity = FParity;
    D.StopBits = FStopbits;
    D.XonChar = FXOnChar;
    D.XoffChar = FXOffChar;
    D.XonLim = FXOnLim;
    D.XoffLim = FXOffLim;
    D.Flags = FlowBits[FFlowControl] | DCB_fBinary;
    for (int I = 0; I <= coStripNull; ++I)
        if (FOptions.Contains(static_cast<TSerComOption>(I))) D.Flags |= OptionBits[I];
    if (FDTR && FFlowControl != fwDtrDsr) D.Flags |= DCB_DtrControlEnable;
    if (FRTS && FFlowControl != fwRtsCts) D.Flags |= DCB_RtsControlEnable;
    FDCB = D;
    if (FCoreComPort && FCoreComPort->IsOpen()) {
        // Refused: the block is what the device has now.
        TScopeExit TakeBack([this] { FDCB = FCoreComPort->DCB(); });
        FCoreComPort->SetDCB(FDCB);
        TakeBack.Release();
    }
}

void TSerCustomSerialPort::SetXLimits() {
    if (FFlowControl != fwNone) {
        FXOnLim = static_cast<Word>(FInBufSize / 4);
        FXOffLim = static_cast<Word>(FInBufSize - FXOnLim);
    } else {
        FXOnLim = 0;
        FXOffLim = 0;
    }
}

void TSerCustomSerialPort::SetBaudRate(TSerBaudrate Value) {
    if (Value == FBaudRate) return;
    FBaudRate = Value;
    if (Value != brUser) FUserBaudRate = 0;
    UpdateDCB();
}

void TSerCustomSerialPort::SetUserBaudRate(int Value) {
    if (Value == FUserBaudRate && FBaudRate == brUser) return;
    FUserBaudRate = Value;
    FBaudRate = brUser;
    UpdateDCB();
}

void TSerCustomSerialPort::SetComNumber(Word Value) {
    if (Value == FComNumber) return;
    if (ReadActive()) {
        Close();
        FComNumber = Value;
        Open();
    } else {
        FComNumber = Value;
    }
}

void TSerCustomSerialPort::SetDatabits(TSerDatabits Value) {
    if (Value == FDatabits) return;
    FDatabits = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetDTR(bool Value) {
    if (Value == FDTR) return;
    if (FCoreComPort) FCoreComPort->EscapeComm(Value ? SETDTR : CLRDTR);
    FDTR = Value;
    // The block follows too, or the next opening would set the line back.
    UpdateDCB();
}

void TSerCustomSerialPort::SetRTS(bool Value) {
    if (Value == FRTS) return;
    if (FCoreComPort) FCoreComPort->EscapeComm(Value ? SETRTS : CLRRTS);
    FRTS = Value;
    // The block follows too, or the next opening would set the line back.
    UpdateDCB();
}

void TSerCustomSerialPort::SetFlowControl(TSerFlowControl Value) {
    if (Value == FFlowControl) return;
    FFlowControl = Value;
    SetXLimits();
    UpdateDCB();
}

void TSerCustomSerialPort::SetInBufSize(int Value) {
    if (Value == FInBufSize) return;
    RefuseWhileOpen();
    FInBufSize = Value;
    SetXLimits();
}

void TSerCustomSerialPort::SetOutBufSize(int Value) {
    if (Value == FOutBufSize) return;
    RefuseWhileOpen();
    FOutBufSize = Value;
}

void TSerCustomSerialPort::SetOptions(TSerComOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetParity(TSerParity Value) {
    if (Value == FParity) return;
    FParity = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetStopbits(TSerStopbits Value) {
    if (Value == FStopbits) return;
    FStopbits = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetXOnChar(char Value) {
    if (Value == FXOnChar) return;
    FXOnChar = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetXOffChar(char Value) {
    if (Value == FXOffChar) return;
    FXOffChar = Value;
    UpdateDCB();
}

void TSerCustomSerialPort::SetXOnLim(Word Value) {
    if (Value == FXOnLim) return;
    FXOnLim = Value;
    FXOffLim = static_cast<Word>(FInBufSize - Value);
}

void TSerCustomSerialPort::SetXOffLim(Word Value) {
    if (Value == FXOffLim) return;
    FXOffLim = Value;
    FXOnLim = static_cast<Word>(FInBufSize - Value);
}

Cardinal TSerCustomSerialPort::ComStatFlags() {
    TComStat S;
    FCoreComPort->ComStatus(S);
    return S.Flags;
}

bool TSerCustomSerialPort::CTSHold() {
    return ComStatFlags() & 0x1;
}
bool TSerCustomSerialPort::DSRHold() {
    return ComStatFlags() & 0x2;
}
bool TSerCustomSerialPort::RLSDHold() {
    return ComStatFlags() & 0x4;
}
bool TSerCustomSerialPort::XOffHold() {
    return ComStatFlags() & 0x8;
}
bool TSerCustomSerialPort::XOffSent() {
    return ComStatFlags() & 0x10;
}
bool TSerCustomSerialPort::CTS() {
    return FCoreComPort->ModemStatus() & MS_CTS_ON;
}
bool TSerCustomSerialPort::DSR() {
    return FCoreComPort->ModemStatus() & MS_DSR_ON;
}
bool TSerCustomSerialPort::RING() {
    return FCoreComPort->ModemStatus() & MS_RING_ON;
}
bool TSerCustomSerialPort::RLSD() {
    return FCoreComPort->ModemStatus() & MS_RLSD_ON;
}

void TSerCustomSerialPort::ReadData(void* Buf, int Size) {
    if (FClosing) return;
    if (FCoreComPort->ReadData(Buf, Size) != Size) RaiseComPortError(u"Read data error");
}

Byte TSerCustomSerialPort::ReadChar() {
    Byte C = 0;
    ReadData(&C, 1);
    return C;
}

AnsiString TSerCustomSerialPort::ReadString() {
    if (FClosing) return AnsiString();
    AnsiString S(static_cast<std::size_t>(std::max(InBufUsed(), 0)), '\0');
    if (S.empty()) return S;
    const int N = FCoreComPort->ReadData(S.data(), static_cast<int>(S.size()));
    S.resize(static_cast<std::size_t>(std::max(N, 0)));
    return S;
}

bool TSerCustomSerialPort::DeviceGone() const {
    return FCoreComPort && FCoreComPort->IsOpen() && FCoreComPort->Gone();
}

int TSerCustomSerialPort::InBufUsed() {
    TComStat S;
    FCoreComPort->ComStatus(S);
    return static_cast<int>(S.cbInQue);
}

void TSerCustomSerialPort::WriteData(const void* Data, int Size) {
    if (FClosing) return;
    if (!FCoreComPort->WriteData(Data, Size))
        RaiseComPortError(Format(u"Write data error [requested: %d, free: %d]", {Size, OutBufFree()}));
}

void TSerCustomSerialPort::WriteString(const AnsiString& S) {
    if (!S.empty()) WriteData(S.data(), static_cast<int>(S.size()));
}

int TSerCustomSerialPort::OutBufFree() {
    return FCoreComPort->OutBuffFree();
}
int TSerCustomSerialPort::OutBufUsed() {
    return FCoreComPort->OutBuffUsed();
}
bool TSerCustomSerialPort::PurgeRX() {
    return !FClosing && FCoreComPort->PurgeRX();
}
bool TSerCustomSerialPort::PurgeTX() {
    return !FClosing && FCoreComPort->PurgeTX();
}

// ---- Events ------------------------------------------------------------------------------------

void TSerCustomSerialPort::CoreComPortEvent(TSerComPortCore*, TSerCoreEvent EventKind, Cardinal Data,
                                            std::exception_ptr Error) {
    if (FClosing || ComponentState().Contains(csDestroying)) return;
    if (EventKind == ceException) {
        SynchronizeEvent(ceException, Data, DeliveryTimeout, Error);
        return;
    }
    bool Wanted = true;
    if (TSerCustomDataDispatcher* D = Dispatcher()) {
        if (EventKind == ceOutFree) {
            D->Dispatcher_WriteBufFree();
            Wanted = static_cast<bool>(OnOutBufFree);
        } else if (EventKind == ceLineEvent && (Data & EV_RXCHAR)) {
            FeedDispatcher(D, InBufUsed());
            Wanted = Data != EV_RXCHAR;
        } else if (EventKind == ceNeedReadData) {
            FeedDispatcher(D, static_cast<int>(Data));
            Wanted = false;
        }
    }
    if (OnNonSyncEvent) {
        OnNonSyncEvent(this, EventKind, Data);
        return;
    }
    if (Wanted) SynchronizeEvent(EventKind, Data, DeliveryTimeout);
}

void TSerCustomSerialPort::FeedDispatcher(TSerCustomDataDispatcher* D, int Count) {
    // No more than the dispatcher's ring takes: the rest waits in the device, and the poll
    // reports it again once the owner has read, instead of being read and lost.
    Count = std::min(Count, D->BufFree());
    if (Count <= 0 || FClosing) return;
    AnsiString Bytes(static_cast<std::size_t>(Count), '\0');
    const int N = FCoreComPort->ReadData(Bytes.data(), Count);
    if (N > 0) D->Dispatcher_WriteTo(Bytes.data(), N);
}

void TSerCustomSerialPort::SynchronizeEvent(TSerCoreEvent EventKind, Cardinal Data, Cardinal Timeout,
                                            std::exception_ptr Error) {
    // The event goes with the call itself: a late delivery can never see a newer one.
    if (Error) {
        std::lock_guard<std::mutex> Guard(FErrorLock);
        FSyncError = Error;
    }
    if (!SerCallSyncSlot(FSyncID, Timeout, UInt64(EventKind) | (UInt64(Data) << 8))) Abort();
}

void TSerCustomSerialPort::SyncMethod(int, UInt64 Param) {
    const auto Kind = static_cast<TSerCoreEvent>(Param & 0xFF);
    const auto Data = static_cast<Cardinal>(Param >> 8);
    std::exception_ptr Error;
    if (Kind == ceException) {
        std::lock_guard<std::mutex> Guard(FErrorLock);
        Error = std::exchange(FSyncError, nullptr);
    }
    if (!FClosing) DispatchComEvent(Kind, Data, Error);
}

void TSerCustomSerialPort::DispatchComEvent(TSerCoreEvent EventKind, Cardinal Data,
                                            std::exception_ptr Error) {
    if (FClosing || ComponentState().Contains(csDestroying)) return;
    if (OnSyncEvent) OnSyncEvent(this, EventKind, Data);
    switch (EventKind) {
    case ceOutFree:
        if (OnOutBufFree) OnOutBufFree(this);
        break;
    case ceLineEvent: {
        if ((Data & EV_RXCHAR) && OnDataRecived) {
            // Bytes that an earlier handler already took leave nothing to report.
            const int Count = InBufUsed();
            if (Count > 0) OnDataRecived(this, Count);
        }
        const Cardinal Errors = FCoreComPort->ComError();
        if ((Data & EV_ERR) && OnLineError) OnLineError(this, Errors);
        if ((Data & EV_CTS) && OnCTSChanged) OnCTSChanged(this);
        if ((Data & EV_DSR) && OnDSRChanged) OnDSRChanged(this);
        if ((Data & EV_RING) && OnRINGDetected) OnRINGDetected(this);
        if ((Data & EV_RLSD) && OnRLSDChanged) OnRLSDChanged(this);
        break;
    }
    case ceNeedReadData:
        if (OnDataRecived) {
            // The count of the poll may be old by now: report what waits.
            const int Count = std::min<int>(static_cast<int>(Data), InBufUsed());
            if (Count > 0) OnDataRecived(this, Count);
        }
        break;
    case ceException:
        if (Error) std::rethrow_exception(Error);
        break;
    }
}

// ---- TSerCustomComPort -------------------------------------------------------------------------

void TSerCustomComPort::OpenCorePort() {
    const TCursor Old = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    TScopeExit Restore([Old] {
        if (Screen) Screen->SetCursor(Old);
    });
    Core().OpenComPort(ComNumber());
}

bool TSerCustomComPort::ExecuteConfigDialog() {
    // Like the system's own dialog: only for a port that is open or whose device is there, and
    // it starts from the component's settings.
    if (!Active() && !SerialPortExists(ComNumber())) return false;
    TDCB D = DCB();
    if (!ExecuteCommConfigDialog(PortTitle(ComNumber()), D)) return false;
    SetDCB(D);
    return true;
}

void TSerCustomComPort::SetDefaultParameters() {
    // The defaults a serial line has on this system before any program sets it (9600 baud, 8
    // data bits, no parity, one stop bit, no handshake), for a port whose device is there.
    if (!SerialPortExists(ComNumber())) return;
    TDCB D;
    D.BaudRate = 9600;
    D.ByteSize = 8;
    D.Flags = DCB_fBinary | DCB_DtrControlEnable | DCB_RtsControlEnable;
    D.XonChar = 17;
    D.XoffChar = 19;
    SetDCB(D);
}

String TSerCustomComPort::SettingsStr() const {
    static const char16_t* const StopBits[] = {u"1", u"1.5", u"2"};
    const Cardinal Baud =
        BaudRate() == brUser ? static_cast<Cardinal>(UserBaudRate()) : SerBaudRateValue(BaudRate());
    return Format(u"COM%d: %d,%s,%s,%s",
                  {int(ComNumber()), Int64(Baud), String(1, u"NOEMS"[Parity()]),
                   String(1, char16_t(u'4' + Databits())), String(StopBits[Stopbits()])});
}

// ---- Published ---------------------------------------------------------------------------------

void TSerComPort::Published(TPublisher<TSerComPort>& P) {
    using C = TSerComPort;
    P.Property(u"AutoOpen", &C::AutoOpen, &C::SetAutoOpen).Default(false);
    P.Property(u"BaudRate", &C::BaudRate, &C::SetBaudRate).Default(br115200);
    P.Property(u"ComNumber", &C::ComNumber, &C::SetComNumber).Default(0);
    P.Property(u"Databits", &C::Databits, &C::SetDatabits).Default(db8);
    P.Property(u"DTR", &C::DTR, &C::SetDTR).Default(true);
    P.Property(u"EventThreadPriority", &C::EventThreadPriority, &C::SetEventThreadPriority).Default(tpNormal);
    P.Property(u"FlowControl", &C::FlowControl, &C::SetFlowControl).Default(fwNone);
    P.Property(u"InBufSize", &C::InBufSize, &C::SetInBufSize).Default(4096);
    P.Property(u"Options", &C::Options, &C::SetOptions).Default(TSerComOptions());
    P.Property(u"OutBufSize", &C::OutBufSize, &C::SetOutBufSize).Default(2048);
    P.Property(u"Parity", &C::Parity, &C::SetParity).Default(paNone);
    P.Property(u"RTS", &C::RTS, &C::SetRTS).Default(true);
    P.Property(u"Stopbits", &C::Stopbits, &C::SetStopbits).Default(sbOne);
    // Only a user rate needs its number in the stream.
    P.Property(u"UserBaudRate", &C::UserBaudRate, &C::SetUserBaudRate).Default(0).Stored(&C::IsUserBaudRateStored);
    P.Property(u"WriteThreadPriority", &C::WriteThreadPriority, &C::SetWriteThreadPriority).Default(tpHighest);
    P.Property(u"XOnChar", &C::XOnChar, &C::SetXOnChar).Default(char(17));
    P.Property(u"XOffChar", &C::XOffChar, &C::SetXOffChar).Default(char(19));
    P.Property(u"XOnLim", &C::XOnLim, &C::SetXOnLim).Default(0);
    P.Property(u"XOffLim", &C::XOffLim, &C::SetXOffLim).Default(0);
    P.Property(u"OnCTSChanged", &C::OnCTSChanged);
    P.Property(u"OnDSRChanged", &C::OnDSRChanged);
    P.Property(u"OnRINGDetected", &C::OnRINGDetected);
    P.Property(u"OnRLSDChanged", &C::OnRLSDChanged);
    P.Property(u"OnOutBufFree", &C::OnOutBufFree);
    P.Property(u"OnPortOpen", &C::OnPortOpen);
    P.Property(u"OnPortClose", &C::OnPortClose);
    P.Property(u"OnDataRecived", &C::OnDataRecived);
    P.Property(u"OnLineError", &C::OnLineError);
    P.Property(u"OnSyncEvent", &C::OnSyncEvent);
    P.Property(u"OnNonSyncEvent", &C::OnNonSyncEvent);
}

void RegisterSerialClasses() {
    RegisterClass(TSerComPort::StaticClass());
    RegisterTerminalClasses();
}
