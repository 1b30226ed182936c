// The serial port component: its settings and device control block, and a real port on a
// pseudo-terminal pair with its events in the GUI thread, its errors, closing and reopening.

#include "serial/SerComPort.h"

#include "serial/CommConfigDialog.h"
#include "platform/gui/Questions.h"

#include "support/ThreadTestSupport.h"
#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TSerComPort> NewPort(int Com = 0) {
    auto Port = std::make_unique<TSerComPort>(nullptr);
    Port->SetName(u"ComPort");
    Port->SetComNumber(static_cast<Word>(Com));
    return Port;
}

template <class F> std::string ErrorOf(F Action) {
    try {
        Action();
    } catch (const Exception& E) {
        return StringToUtf8(E.Message());
    }
    return "no error";
}

} // namespace

TEST(ComPort, ANewPortHasItsDefaultSettings) {
    auto Port = NewPort();
    EXPECT_EQ(Port->BaudRate(), br115200);
    EXPECT_EQ(Port->Databits(), db8);
    EXPECT_EQ(Port->Parity(), paNone);
    EXPECT_EQ(Port->Stopbits(), sbOne);
    EXPECT_EQ(Port->FlowControl(), fwNone);
    EXPECT_TRUE(Port->DTR());
    EXPECT_TRUE(Port->RTS());
    EXPECT_EQ(Port->InBufSize(), 4096);
    EXPECT_EQ(Port->OutBufSize(), 2048);
    EXPECT_EQ(Port->WriteThreadPriority(), tpHighest);
    EXPECT_EQ(Port->DCB().Flags, 0x1011u);
    EXPECT_EQ(Port->DCB().BaudRate, 115200u);
    EXPECT_EQ(Port->DCB().DCBlength, 28u);
    EXPECT_FALSE(Port->Active());
}

TEST(ComPort, FlowControlAndOptionsShapeTheControlBlock) {
    struct TCase {
        TSerFlowControl Flow;
        TSerComOptions Options;
        Cardinal Flags;
        Word XOnLim, XOffLim;
    } Cases[] = {
        {fwNone, {}, 0x1011, 0, 0},
        {fwRtsCts, {}, 0x2004 | 0x11, 1024, 3072},
        {fwDtrDsr, {}, 0x28 | 0x1001, 1024, 3072},
        {fwXOnXOff, {coParityCheck, coStripNull}, 0x300 | 0x1011 | 0x2 | 0x800, 1024, 3072},
    };
    for (const TCase& C : Cases) {
        auto Port = NewPort();
        Port->SetFlowControl(C.Flow);
        Port->SetOptions(C.Options);
        EXPECT_EQ(Port->DCB().Flags, C.Flags) << int(C.Flow);
        EXPECT_EQ(Port->XOnLim(), C.XOnLim) << int(C.Flow);
        EXPECT_EQ(Port->XOffLim(), C.XOffLim) << int(C.Flow);
        // Parsed back, the block gives the same settings.
        auto Back = NewPort();
        Back->SetDCB(Port->DCB());
        EXPECT_EQ(Back->FlowControl(), C.Flow);
        EXPECT_EQ(Back->Options(), C.Options);
    }
    auto Port = NewPort();
    Port->SetXOnLim(100);
    EXPECT_EQ(Port->XOffLim(), 3996);
    Port->SetDTR(false);
    Port->SetRTS(false);
    EXPECT_EQ(Port->DCB().Flags, 0x1u);
}

TEST(ComPort, BaudRatesOutsideTheTableAreUserRates) {
    auto Port = NewPort();
    TDCB D = Port->DCB();
    D.BaudRate = 921600;
    Port->SetDCB(D);
    EXPECT_EQ(Port->BaudRate(), brUser);
    EXPECT_EQ(Port->UserBaudRate(), 921600);
    EXPECT_EQ(Port->DCB().BaudRate, 921600u);
    Port->SetBaudRate(br9600);
    EXPECT_EQ(Port->UserBaudRate(), 0);
    EXPECT_EQ(Port->DCB().BaudRate, 9600u);
    Port->SetUserBaudRate(250000);
    EXPECT_EQ(Port->BaudRate(), brUser);
    D.DCBlength = 27;
    EXPECT_EQ(ErrorOf([&] { Port->SetDCB(D); }), "Error setting parameters from DCB - ComPort ");
}

TEST(ComPort, SettingsStrNamesPortRateParityBitsAndStops) {
    struct TCase {
        int Com;
        TSerBaudrate Rate;
        TSerParity Parity;
        TSerDatabits Bits;
        TSerStopbits Stops;
        const char16_t* Text;
    } Cases[] = {
        {3, br9600, paEven, db7, sbTwo, u"COM3: 9600,E,7,2"},
        {3, br9600, paNone, db8, sbOne, u"COM3: 9600,N,8,1"},
        {12, br110, paMark, db5, sbOneAndHalf, u"COM12: 110,M,5,1.5"},
        {1, br256000, paSpace, db4, sbOne, u"COM1: 256000,S,4,1"},
        {2, br57600, paOdd, db6, sbTwo, u"COM2: 57600,O,6,2"},
    };
    for (const TCase& C : Cases) {
        auto Port = NewPort(C.Com);
        Port->SetBaudRate(C.Rate);
        Port->SetParity(C.Parity);
        Port->SetDatabits(C.Bits);
        Port->SetStopbits(C.Stops);
        EXPECT_EQ(StringToUtf8(Port->SettingsStr()), StringToUtf8(C.Text));
    }
    auto Port = NewPort(4);
    Port->SetUserBaudRate(921600);
    EXPECT_EQ(Port->SettingsStr(), u"COM4: 921600,N,8,1");
}

TEST(ComPort, PublishesItsSettingsAndEventsAndAFreshPortStoresNothing) {
    auto Port = NewPort();
    const char16_t* Names[] = {
        u"AutoOpen",     u"BaudRate",     u"ComNumber",      u"Databits",      u"DTR",
        u"EventThreadPriority", u"FlowControl", u"InBufSize", u"Options",     u"OutBufSize",
        u"Parity",       u"RTS",          u"Stopbits",       u"UserBaudRate",  u"WriteThreadPriority",
        u"XOnChar",      u"XOffChar",     u"XOnLim",         u"XOffLim",       u"OnCTSChanged",
        u"OnDSRChanged", u"OnRINGDetected", u"OnRLSDChanged", u"OnOutBufFree", u"OnPortOpen",
        u"OnPortClose",  u"OnDataRecived", u"OnLineError",   u"OnSyncEvent",   u"OnNonSyncEvent"};
    for (const char16_t* Name : Names)
        EXPECT_TRUE(IsPublishedProp(Port.get(), Name)) << StringToUtf8(Name);
    // Every published setting of a new port holds its default, so a form stream stores none.
    for (const TPropInfo* P : GetPropList(Port.get()))
        if (P->HasDefault()) {
            EXPECT_EQ(GetOrdProp(Port.get(), P), P->Default) << StringToUtf8(P->Name);
        }
    EXPECT_EQ(GetOrdProp(Port.get(), u"XOnChar"), 17);
    EXPECT_EQ(GetOrdProp(Port.get(), u"XOffChar"), 19);
    EXPECT_FALSE(IsStoredProp(Port.get(), u"UserBaudRate"));
    // A user rate is stored with its number; set by name, settings reach the control block.
    SetOrdProp(Port.get(), u"UserBaudRate", 921600);
    EXPECT_EQ(GetEnumProp(Port.get(), u"BaudRate"), u"brUser");
    EXPECT_TRUE(IsStoredProp(Port.get(), u"UserBaudRate"));
    SetSetProp(Port.get(), u"Options", u"[coParityCheck,coErrorChar]");
    EXPECT_EQ(Port->DCB().Flags, 0x1011u | 0x2 | 0x400);
    EXPECT_EQ(Port->DCB().BaudRate, 921600u);
}

class ComPortOnALine : public ::testing::Test {
protected:
    TTempFolder Temp;
    TPtyPair Pair{Temp.Sys("ports"), 3, 4};
};

TEST_F(ComPortOnALine, OpensReadsWritesWithEventsInTheGuiThreadAndCloses) {
    auto Port = NewPort(3);
    std::vector<std::string> Log;
    std::string Received;
    bool OnGui = true;
    Port->OnPortOpen = [&](TObject*) { Log.push_back("open"); };
    Port->OnPortClose = [&](TObject*) { Log.push_back("close"); };
    Port->OnDataRecived = [&](TObject*, int Count) {
        OnGui = OnGui && GetCurrentThreadId() == MainThreadID();
        std::string S(static_cast<std::size_t>(Count), '\0');
        Port->ReadData(S.data(), Count);
        Received += S;
    };
    Port->SetActive(true);
    ASSERT_TRUE(Port->Active());
    Pair.Send("ping from the board");
    EXPECT_TRUE(WaitUntil([&] { return Received == "ping from the board"; }));
    EXPECT_TRUE(OnGui);
    Port->WriteString("pong");
    EXPECT_EQ(Pair.Receive(4), "pong");
    EXPECT_EQ(ErrorOf([&] { Port->SetInBufSize(100); }), "Port is not closed - ComPort ");
    EXPECT_EQ(ErrorOf([&] { Port->SetOutBufSize(100); }), "Port is not closed - ComPort ");
    const std::string Big(3000, 'b');
    EXPECT_EQ(ErrorOf([&] {
                  for (int I = 0; I < 1000; ++I)
                      Port->WriteString(Big);
              }).rfind("Write data error [requested: 3000, free: ", 0),
              0u);
    Port->SetActive(false);
    EXPECT_FALSE(Port->Active());
    Port->SetActive(false); // a closed port still tells its owner
    EXPECT_EQ(Log, (std::vector<std::string>{"open", "close", "close"}));
    // Reopened, it works as before.
    Pair.Receive(1 << 20, 200);
    Port->SetActive(true);
    Pair.Send("again");
    EXPECT_TRUE(
        WaitUntil([&] { return Received.size() >= 5 && Received.substr(Received.size() - 5) == "again"; }));
    // Another number while open: closed, renumbered, opened.
    Port->SetComNumber(4);
    EXPECT_TRUE(Port->Active());
    EXPECT_EQ(Port->ComNumber(), 4);
}

TEST_F(ComPortOnALine, AMissingOrHeldPortIsReportedAndStaysClosed) {
    TPortHolder Holder(Pair.Link(3));
    struct TCase {
        int Com;
        std::string Message;
    } Cases[] = {{7, "Invalid port number (COM7): no device is set for this number"},
                 {3, "Can't open device COM3: " + std::filesystem::canonical(Pair.Link(3)).string() +
                         " (Device or resource busy)"}};
    for (const TCase& C : Cases) {
        auto Port = NewPort(C.Com);
        bool Opened = false;
        Port->OnPortOpen = [&](TObject*) { Opened = true; };
        EXPECT_EQ(ErrorOf([&] { Port->SetActive(true); }), C.Message);
        EXPECT_FALSE(Port->Active());
        EXPECT_FALSE(Opened);
    }
}

TEST_F(ComPortOnALine, APulledDeviceRaisesTheLineErrorAndThePortOpensWhenItIsBack) {
    auto Port = NewPort(3);
    std::vector<Cardinal> Errors;
    Port->OnLineError = [&](TObject*, Cardinal E) { Errors.push_back(E); };
    Port->SetActive(true);
    Pair.Kill();
    EXPECT_TRUE(WaitUntil([&] { return !Errors.empty(); }));
    EXPECT_EQ(Errors, std::vector<Cardinal>{CE_IOE});
    Port->SetActive(false);
    Pair.Start();
    Port->SetActive(true);
    std::string Received;
    Port->OnDataRecived = [&](TObject*, int) { Received += Port->ReadString(); };
    Pair.Send("back");
    EXPECT_TRUE(WaitUntil([&] { return Received == "back"; }));
}

TEST_F(ComPortOnALine, AHandlerThatClosesThePortDoesNotHang) {
    auto Port = NewPort(3);
    int Closed = 0;
    Port->OnPortClose = [&](TObject*) { ++Closed; };
    Port->OnDataRecived = [&](TObject*, int) { Port->SetActive(false); };
    Port->SetActive(true);
    Pair.Send("x");
    EXPECT_TRUE(WaitUntil([&] { return Closed == 1; }));
    EXPECT_FALSE(Port->Active());
}

TEST_F(ComPortOnALine, ALateDeliveryNeverReadsBytesThatAreGone) {
    // The GUI thread is busy while bytes arrive; meanwhile they are read elsewhere. The
    // deliveries that come in the end find nothing to report and raise nothing.
    TExceptionCatcher Catcher;
    auto Port = NewPort(3);
    std::string Received;
    Port->OnDataRecived = [&](TObject*, int Count) {
        std::string S(static_cast<std::size_t>(Count), '\0');
        Port->ReadData(S.data(), Count);
        Received += S;
    };
    Port->SetActive(true);
    Pair.Send("12345");
    Sleep(2500); // longer than a delivery waits
    const std::string Early = Port->ReadString();
    ProcessMessagesFor(500);
    EXPECT_EQ(Early + Received, "12345");
    EXPECT_TRUE(Catcher.Messages.empty())
        << StringToUtf8(Catcher.Messages.empty() ? u"" : Catcher.Messages[0]);
    // Bytes whose delivery was withdrawn stay waiting and are reported again once the GUI
    // thread is free.
    Received.clear();
    Pair.Send("678");
    Sleep(2500);
    EXPECT_TRUE(WaitUntil([&] { return Received == "678"; })) << Received;
    EXPECT_TRUE(Catcher.Messages.empty());
}

TEST_F(ComPortOnALine, ADispatcherReceivesWhatThePortReads) {
    auto Port = NewPort(3);
    TSerCustomDataDispatcher D(nullptr);
    D.SetDataProvider(Port.get());
    std::string Received;
    D.OnDataReceived = [&](TObject*) { Received += D.ReadString(); };
    Port->SetActive(true);
    Pair.Send("through the dispatcher");
    EXPECT_TRUE(WaitUntil([&] { return Received == "through the dispatcher"; }));
    D.WriteString("and back");
    EXPECT_EQ(Pair.Receive(8), "and back");
}

TEST_F(ComPortOnALine, AnAutoOpenPortOpensWhenLoadingCompletes) {
    auto Port = NewPort();
    Port->SetComponentState(TComponentState{csLoading});
    Port->SetAutoOpen(true);
    Port->SetComNumber(3);
    EXPECT_FALSE(Port->Active());
    Port->Loaded();
    EXPECT_TRUE(Port->Active());
    auto Plain = NewPort();
    Plain->SetComponentState(TComponentState{csLoading});
    Plain->SetComNumber(4);
    Plain->Loaded();
    EXPECT_FALSE(Plain->Active());
}

TEST_F(ComPortOnALine, RawEventsOutBufFreeAndReadErrorsInTheGuiThread) {
    auto Port = NewPort(3);
    std::vector<std::pair<TSerCoreEvent, Cardinal>> Raw;
    int OutFree = 0;
    bool OnGui = true;
    Port->OnSyncEvent = [&](TObject*, TSerCoreEvent Kind, Cardinal Data) {
        OnGui = OnGui && GetCurrentThreadId() == MainThreadID();
        Raw.emplace_back(Kind, Data);
    };
    Port->OnOutBufFree = [&](TObject*) { ++OutFree; };
    Port->SetActive(true);
    Port->WriteString("out");
    EXPECT_EQ(Pair.Receive(3), "out");
    EXPECT_TRUE(WaitUntil([&] { return OutFree > 0; }));
    Pair.Send("in");
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& E : Raw)
            if (E.first == ceLineEvent && (E.second & EV_RXCHAR)) return true;
        return false;
    }));
    EXPECT_TRUE(OnGui);
    // Asking for more bytes than wait is a read error; what waits is still there.
    ASSERT_TRUE(WaitUntil([&] { return Port->InBufUsed() == 2; }));
    char Buf[3];
    EXPECT_EQ(ErrorOf([&] { Port->ReadData(Buf, 3); }), "Read data error - ComPort ");
    // A setting the open line refuses raises, and the block is what the line has.
    EXPECT_EQ(ErrorOf([&] { Port->SetDatabits(db4); }), "Error setting parameters from DCB");
    EXPECT_EQ(Port->DCB().ByteSize, 8);
    EXPECT_TRUE(Port->Active());
}

TEST_F(ComPortOnALine, NonSyncHandlersRunInTheEventThreadAndTheirErrorsReachTheGuiThread) {
    TExceptionCatcher Catcher;
    auto Port = NewPort(3);
    std::atomic<int> InWorker{0};
    int Received = 0;
    Port->OnDataRecived = [&](TObject*, int) { ++Received; };
    Port->OnNonSyncEvent = [&](TObject*, TSerCoreEvent Kind, Cardinal Data) {
        if (GetCurrentThreadId() != MainThreadID()) ++InWorker;
        if (Kind == ceLineEvent && (Data & EV_RXCHAR)) {
            Port->ReadString();
            throw Exception(u"handler failed");
        }
    };
    Port->SetActive(true);
    Pair.Send("x");
    EXPECT_TRUE(WaitUntil([&] { return !Catcher.Messages.empty(); }));
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"handler failed"});
    EXPECT_GT(InWorker, 0);
    ProcessMessagesFor(300);
    EXPECT_EQ(Received, 0); // the event thread's handler took the events over
}

TEST_F(ComPortOnALine, ClosingWhileADeliveryWaitsForTheGuiThreadEndsIt) {
    auto Port = NewPort(3);
    int Received = 0;
    Port->OnDataRecived = [&](TObject*, int) { ++Received; };
    Port->SetActive(true);
    Pair.Send("waiting");
    Sleep(300); // the event thread now waits for this thread to take its delivery
    Port->SetActive(false);
    EXPECT_FALSE(Port->Active());
    ProcessMessagesFor(300);
    EXPECT_EQ(Received, 0); // the delivery found the port closed
    // Closing purged the line; opened again, the port reports what comes next.
    Port->SetActive(true);
    EXPECT_EQ(Port->InBufUsed(), 0);
    Pair.Send("next");
    EXPECT_TRUE(WaitUntil([&] { return Received > 0; }));
    EXPECT_EQ(Port->ReadString(), "next");
}

TEST_F(ComPortOnALine, ADispatcherWhoseRingIsFullLeavesTheRestInTheLine) {
    TExceptionCatcher Catcher;
    auto Port = NewPort(3);
    TSerCustomDataDispatcher D(nullptr);
    D.SetDataProvider(Port.get());
    int Told = 0;
    D.OnDataReceived = [&](TObject*) { ++Told; }; // the owner reads later, all at once
    Port->SetActive(true);
    std::string Sent;
    for (int I = 0; I < 20000; ++I)
        Sent += static_cast<char>('a' + I % 23);
    Pair.Send(Sent);
    ASSERT_TRUE(WaitUntil([&] { return D.BufFree() == 0; }));
    std::string Got = D.ReadString();
    EXPECT_TRUE(WaitUntil([&] { return D.BufUsed() == int(Sent.size() - Got.size()); }));
    Got += D.ReadString();
    EXPECT_TRUE(Got == Sent) << Got.size();
    EXPECT_GT(Told, 0);
    EXPECT_TRUE(Catcher.Messages.empty())
        << StringToUtf8(Catcher.Messages.empty() ? u"" : Catcher.Messages[0]);
}

TEST_F(ComPortOnALine, TheConfigDialogAndTheDefaultsServeAPortWhoseDeviceIsThere) {
    auto Port = NewPort(3);
    {
        // The dialog starts from the port's settings; OK puts its own into them.
        TQuestionScript Script;
        Script.Answer([](const TQuestion& Q, TAnswer& A) {
            auto* Dialog = dynamic_cast<TfrmCommConfig*>(Q.Form);
            ASSERT_NE(Dialog, nullptr);
            EXPECT_NE(StringToUtf8(Dialog->Caption()).find("COM3 ("), std::string::npos);
            EXPECT_EQ(Dialog->cbBaudRate->Text(), u"115200");
            EXPECT_EQ(Dialog->cbDataBits->Text(), u"8");
            EXPECT_EQ(Dialog->cbParity->Text(), u"None");
            Dialog->cbBaudRate->SetText(u"9600");
            Dialog->cbDataBits->SetItemIndex(3);
            Dialog->cbParity->SetItemIndex(2);
            Dialog->cbStopBits->SetItemIndex(2);
            Dialog->cbFlowControl->SetItemIndex(2);
            A.Result = mrOk;
        });
        EXPECT_TRUE(Port->ExecuteConfigDialog());
        EXPECT_EQ(Script.Asked().size(), 1u);
    }
    EXPECT_EQ(Port->SettingsStr(), u"COM3: 9600,E,7,2");
    EXPECT_EQ(Port->FlowControl(), fwRtsCts);
    {
        // Cancel changes nothing, and an open port is served too.
        Port->SetActive(true);
        TQuestionScript Script;
        Script.Answer(mrCancel);
        EXPECT_FALSE(Port->ExecuteConfigDialog());
        EXPECT_EQ(Script.Asked().size(), 1u);
        Port->SetActive(false);
    }
    EXPECT_EQ(Port->SettingsStr(), u"COM3: 9600,E,7,2");
    // The system's defaults: 9600 baud, 8 data bits, no parity, one stop bit, no handshake.
    Port->SetBaudRate(br19200);
    Port->SetDefaultParameters();
    EXPECT_EQ(Port->SettingsStr(), u"COM3: 9600,N,8,1");
    EXPECT_EQ(Port->FlowControl(), fwNone);
    // A number without a device: no dialog, and the settings stay.
    auto Absent = NewPort(7);
    Absent->SetBaudRate(br19200);
    TQuestionScript Script;
    EXPECT_FALSE(Absent->ExecuteConfigDialog());
    Absent->SetDefaultParameters();
    EXPECT_TRUE(Script.Asked().empty());
    EXPECT_EQ(Absent->SettingsStr(), u"COM7: 19200,N,8,1");
}
