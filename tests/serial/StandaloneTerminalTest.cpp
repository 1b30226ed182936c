// The terminal window as the standalone program's window, on real pseudo-terminal ports: what
// it restores from the saved settings at creation, the saved port that is not there (another
// device is never opened in its place), "Set serial port" opening and closing the port, and
// closing the window. The program itself, as a process of its own, has its own test program.

#include "serial/ComScan.h"
#include "serial/TermQz.h"

#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"
#include "support/ThreadTestSupport.h"

#include "platform/base/Files.h"
#include "platform/gui/Questions.h"
#include "platform/os/SerialDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

void WriteSettings(const std::string& Lines) {
    WriteBytes(StringToUtf8(ComPortSettingsFile()), "[ComPort]\n" + Lines);
}

// Whether this process could take the port now (it is present and nobody holds it).
bool PortFree(int ComNumber) {
    TSerialDevice Device;
    return Device.Open(ComNumber) == sorOpened;
}

struct StandaloneTerminal : ::testing::Test {
    TTempFolder Temp;
    TPtyPair Pair{Temp.Sys("ports"), 3, 4};
    std::unique_ptr<TfrmTerm> Term;

    void SetUp() override { std::filesystem::remove(StringToUtf8(ComPortSettingsFile())); }
    void TearDown() override {
        Term.reset();
        std::filesystem::remove(StringToUtf8(ComPortSettingsFile()));
    }
    void Make() { Term = std::make_unique<TfrmTerm>(nullptr, smhStandalone); }
};

} // namespace

TEST_F(StandaloneTerminal, WithoutSettingsItComesUpClosedWithTheFormsCaptionAndNoMessage) {
    ASSERT_FALSE(FileExists(ComPortSettingsFile()));
    TQuestionScript Script; // any question would fail the test
    Make();
    EXPECT_EQ(U8(Term->Caption()), "Arduino terminal QZ");
    EXPECT_FALSE(Term->TermPortActive());
    EXPECT_TRUE(Term->actOpenComPort->Enabled());
    EXPECT_FALSE(Term->actCloseComPort->Enabled());
    EXPECT_TRUE(Script.Asked().empty());
    EXPECT_FALSE(FileExists(ComPortSettingsFile())); // nothing writes it but Save
    EXPECT_TRUE(PortFree(3));
}

TEST_F(StandaloneTerminal, SavedSettingsAreRestoredAndAnActivePortOpensAtOnce) {
    struct TCase {
        const char* Lines;
        bool Open;
        TSerBaudrate Rate;
        int UserRate;
        const char* Caption;
    } Cases[] = {
        {"Active=1\nComNr=3\nBaudRate=br9600\nParity=paEven\nDataBits=db7\nStopBits=sbOne\n", true, br9600, 0,
         " <COM3, br9600>"},
        {"Active=0\nComNr=3\nBaudRate=br19200\n", false, br19200, 0, "Arduino terminal QZ"},
        {"Active=1\nComNr=3\nBaudRate=brUser\nUserBaudRate=2000000\n", true, brUser, 1000000, " <COM3, brUser>"},
        {"Active=1\nComNr=3\nBaudRate=brUser\nUserBaudRate=10\n", true, brUser, 30, " <COM3, brUser>"},
        // A word where a number belongs reads as 0: not active.
        {"Active=yes\nComNr=3\n", false, br9600, 0, "Arduino terminal QZ"},
    };
    for (const TCase& C : Cases) {
        WriteSettings(C.Lines);
        Make();
        EXPECT_EQ(Term->TermPortActive(), C.Open) << C.Lines;
        EXPECT_EQ(Term->ComPort->ComNumber(), 3) << C.Lines;
        EXPECT_EQ(Term->ComPort->BaudRate(), C.Rate) << C.Lines;
        if (C.Rate == brUser) {
            EXPECT_EQ(Term->ComPort->UserBaudRate(), C.UserRate) << C.Lines;
        }
        // A caption of the port ends with the device the number stands for.
        const std::string Device = std::filesystem::canonical(Pair.Link(3)).string();
        EXPECT_EQ(U8(Term->Caption()), C.Caption[0] == ' ' ? C.Caption + (" on " + Device) : C.Caption) << C.Lines;
        EXPECT_EQ(Term->actCloseComPort->Enabled(), C.Open) << C.Lines;
        EXPECT_EQ(Term->actOpenComPort->Enabled(), !C.Open) << C.Lines;
        Term.reset();
    }
    WriteSettings("Active=1\nComNr=3\nBaudRate=br9600\nParity=paEven\nDataBits=db7\nStopBits=sbOne\n");
    Make();
    EXPECT_EQ(Term->ComPort->Parity(), paEven);
    EXPECT_EQ(Term->ComPort->Databits(), db7);
    EXPECT_EQ(Term->ComPort->Stopbits(), sbOne);
    // What the peer writes shows at once.
    Term->Show();
    Pair.Send("Hello\r\n");
    EXPECT_TRUE(WaitUntil([&] { return Term->Memo2->Text() == u"Hello\r\n"; })) << U8(Term->Memo2->Text());
}

TEST_F(StandaloneTerminal, AMisspeltBaudRateIsReportedOnceAndTheRestLoads) {
    WriteSettings("Active=1\nComNr=3\nBaudRate=br9601\nDataBits=db7\n");
    TQuestionScript Script;
    Script.Answer(IDOK);
    Make();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text), "COM3: Invalid baud rate: br9601.\rDefault value used");
    EXPECT_TRUE(Term->TermPortActive());
    EXPECT_EQ(Term->ComPort->BaudRate(), br9600);
    EXPECT_EQ(Term->ComPort->Databits(), db7);
}

TEST(StandaloneTerminalPorts, ASavedPortThatIsNotThereOpensNothingInItsPlace) {
    // COM2 and COM4 are held by another program, COM3 is free: the probe meets COM4 after one
    // free port and so selects the second entry, which is COM3, a port the user never chose.
    std::filesystem::remove(StringToUtf8(ComPortSettingsFile()));
    TTempFolder Temp;
    TPtyPair Two{Temp.Sys("ports"), 2, 0}, Three{Temp.Sys("ports"), 3, 0}, Four{Temp.Sys("ports"), 4, 0};
    TPortHolder HoldTwo(Two.Link(2)), HoldFour(Four.Link(4));
    {
        TfrmComPortSetup Probe(nullptr, smhStandalone);
        ASSERT_EQ(Probe.lstComs->Items()->Count(), 3);
        ASSERT_EQ(ComNumberOfEntry(Probe.lstComs->Items()->Strings(Probe.lstComs->ItemIndex())), 3);
    }
    WriteSettings("Active=1\nComNr=9\nBaudRate=br9600\n");
    TfrmComPortSetup Dialog(nullptr, smhStandalone);
    Dialog.LoadSettings(u"ComPort");
    EXPECT_EQ(Dialog.lstComs->ItemIndex(), -1);
    EXPECT_FALSE(Dialog.bbtnOK->Enabled());
    EXPECT_FALSE(Dialog.bbtnSave->Enabled());
    EXPECT_TRUE(Dialog.chkComActive->Checked());

    TSerComPort Port(nullptr);
    Port.SetName(u"ComPort");
    Port.SetComNumber(6);
    EXPECT_FALSE(RestoreComPortSettings(&Port));
    EXPECT_EQ(Port.ComNumber(), 6); // the port keeps its own settings
    EXPECT_FALSE(Port.Active());
    auto Term = std::make_unique<TfrmTerm>(nullptr, smhStandalone);
    EXPECT_FALSE(Term->TermPortActive());
    EXPECT_NE(Term->ComPort->ComNumber(), 3);
    EXPECT_TRUE(PortFree(3));
    Term.reset();
    std::filesystem::remove(StringToUtf8(ComPortSettingsFile()));
}

TEST_F(StandaloneTerminal, SetSerialPortOpensOrClosesByTheDialogsAnswer) {
    Make();
    Term->Show();
    // Answers the dialog: picks COM3 with "Active" as asked, and OK or Cancel.
    auto Answer = [](bool Active, TModalResult Result) {
        return [Active, Result](const TQuestion& Q, TAnswer& A) {
            auto* Dialog = dynamic_cast<TfrmComPortSetup*>(Q.Form);
            ASSERT_NE(Dialog, nullptr);
            Dialog->lstComs->SetItemIndex(IndexOfComPort(Dialog->lstComs->Items(), 3));
            Dialog->chkComActive->SetChecked(Active);
            Dialog->cbbBaudRate->SetItemIndex(br57600);
            A.Result = Result;
        };
    };
    struct TCase {
        bool Active;
        TModalResult Result;
        bool Open;
    } Cases[] = {{true, mrOk, true}, {true, mrCancel, false}, {true, mrOk, true}, {false, mrOk, false}};
    for (const TCase& C : Cases) {
        TQuestionScript Script;
        Script.Answer(Answer(C.Active, C.Result));
        Term->actSetSerPort->Execute();
        EXPECT_EQ(Term->TermPortActive(), C.Open) << C.Active << " " << C.Result;
        EXPECT_EQ(Term->actCloseComPort->Enabled(), C.Open);
        EXPECT_EQ(Term->actOpenComPort->Enabled(), !C.Open);
    }
    EXPECT_EQ(Term->ComPort->ComNumber(), 3);
    EXPECT_EQ(Term->ComPort->BaudRate(), br57600);
    EXPECT_FALSE(FileExists(ComPortSettingsFile())); // OK never saves
}

TEST_F(StandaloneTerminal, ClosingPostsNothingAndLeavesThePortToTheProgramsEnd) {
    WriteSettings("Active=1\nComNr=3\nBaudRate=br9600\n");
    Make();
    Term->Show();
    ASSERT_TRUE(Term->TermPortActive());
    const std::string Saved = ReadBytes(StringToUtf8(ComPortSettingsFile()));
    Term->Close();
    // Not the main window here, so it only hides; the port goes with the window.
    EXPECT_TRUE(Term->TermPortActive());
    Term.reset();
    EXPECT_TRUE(PortFree(3));
    EXPECT_EQ(ReadBytes(StringToUtf8(ComPortSettingsFile())), Saved);
}

TEST(StandaloneTerminalFiles, EachProgramFileKeepsItsOwnSettings) {
    TTempFolder Temp;
    TPtyPair Pair{Temp.Sys("ports"), 3, 0};
    const String Old = ProgramFile();
    SetProgramFileOverride(Temp.File("Brenvik"));
    WriteSettings("Active=1\nComNr=3\n");
    SetProgramFileOverride(Temp.File("Other"));
    EXPECT_EQ(U8(ComPortSettingsFile()), Temp.Sys("Other.ConfSer"));
    TSerComPort Port(nullptr);
    Port.SetName(u"ComPort");
    EXPECT_FALSE(RestoreComPortSettings(&Port));
    SetProgramFileOverride(Temp.File("Brenvik"));
    EXPECT_TRUE(RestoreComPortSettings(&Port));
    SetProgramFileOverride(Old);
    EXPECT_FALSE(Port.Active());
}

TEST_F(StandaloneTerminal, AReopenThatFailsLeavesThePortActionsMatchingTheClosedPort) {
    // The open port is moved in the dialog to a port that another program holds: applying the
    // dialog closes the old one and cannot open the new one.
    for (const TSerMonitorHost Host : {smhIde, smhStandalone}) {
        Term = std::make_unique<TfrmTerm>(nullptr, Host);
        Term->SetTermParams(3, 9600);
        Term->OpenTermPort();
        ASSERT_TRUE(Term->TermPortActive());
        TPortHolder Holder(Pair.Link(4));
        TQuestionScript Script;
        Script.Answer([](const TQuestion& Q, TAnswer& A) {
            auto* Dialog = dynamic_cast<TfrmComPortSetup*>(Q.Form);
            ASSERT_NE(Dialog, nullptr);
            Dialog->lstComs->SetItemIndex(IndexOfComPort(Dialog->lstComs->Items(), 4));
            Dialog->chkComActive->SetChecked(true);
            A.Result = mrOk;
        });
        EXPECT_NE(ThrownMessage<Exception>([&] { Term->actSetSerPort->Execute(); }).find(u"COM4"), String::npos);
        EXPECT_FALSE(Term->TermPortActive()) << Host;
        EXPECT_TRUE(Term->actOpenComPort->Enabled()) << Host;
        EXPECT_FALSE(Term->actCloseComPort->Enabled()) << Host;
        Term.reset();
    }
}
