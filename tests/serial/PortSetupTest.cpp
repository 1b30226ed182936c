// Finding ports, the port picker, the port setup dialog and the saved port settings file, with
// real pseudo-terminal ports and one held by another process.

#include "serial/ComPortSetup.h"
#include "serial/ComScan.h"

#include "support/ThreadTestSupport.h"
#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "platform/base/Ini.h"
#include "platform/gui/Questions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

// The device a test port's link leads to, as the lists show it.
std::string DeviceOf(const std::string& Link) {
    return std::filesystem::canonical(Link).string();
}

std::vector<std::string> Entries(TStrings* Items) {
    std::vector<std::string> Result;
    for (int I = 0; I < Items->Count(); ++I)
        Result.push_back(StringToUtf8(Items->Strings(I)));
    return Result;
}

// Ports 3 and 7, the second held by another process.
class PortsThreeAndSeven : public ::testing::Test {
protected:
    TTempFolder Temp;
    TPtyPair Three{Temp.Sys("ports"), 3, 0};
    TPtyPair Seven{Temp.Sys("ports"), 7, 0};
    TPortHolder Holder{Seven.Link(7)};
};

void WriteSection(const std::string& Lines) {
    WriteBytes(StringToUtf8(ComPortSettingsFile()), "[ComPort]\n" + Lines);
}

} // namespace

TEST_F(PortsThreeAndSeven, ThePickerListsFreeAndHeldPorts) {
    TfrmSelectComport Picker(nullptr);
    // Each number with the device it stands for.
    EXPECT_EQ(Entries(Picker.lstComPorts->Items()),
              (std::vector<std::string>{"COM 3  (" + DeviceOf(Three.Link(3)) + ")",
                                        "- COM 7 [open]  (" + DeviceOf(Seven.Link(7)) + ")"}));
    struct TCase {
        int Index;
        int Nr;
    } Cases[] = {{-1, 0}, {0, 3}, {1, 0}};
    for (const TCase& C : Cases) {
        Picker.lstComPorts->SetItemIndex(C.Index);
        EXPECT_EQ(Picker.SelectedComPortNr(), C.Nr) << C.Index;
    }
    EXPECT_FALSE(Picker.comTest->Active()); // the probe is closed after the scan
}

TEST_F(PortsThreeAndSeven, TheSetupDialogListsBothAndSelectsTheHeldOne) {
    TfrmComPortSetup Dialog(nullptr);
    EXPECT_EQ(Entries(Dialog.lstComs->Items()),
              (std::vector<std::string>{"COM 3  (" + DeviceOf(Three.Link(3)) + ")",
                                        "COM 7  (" + DeviceOf(Seven.Link(7)) + ")"}));
    EXPECT_EQ(Dialog.lstComs->ItemIndex(), 1);
    EXPECT_EQ(Dialog.cbbBaudRate->Items()->Count(), 16);
    EXPECT_EQ(Dialog.cbParity->Items()->Count(), 5);
    EXPECT_EQ(Dialog.cbDataBits->Items()->Count(), 5);
    EXPECT_EQ(Dialog.cbStopBits->Items()->Count(), 3);
    EXPECT_EQ(Dialog.cbbBaudRate->Items()->Strings(15), u"brUser");
    // Every control can be seen and reached: none lies over another or outside the dialog.
    const TRect Client{0, 0, Dialog.ClientWidth(), Dialog.ClientHeight()};
    for (int I = 0; I < Dialog.ControlCount(); ++I) {
        const TRect A = Dialog.Controls(I)->BoundsRect();
        TRect Common;
        EXPECT_TRUE(IntersectRect(Common, A, Client) && Common == A) << StringToUtf8(Dialog.Controls(I)->Name());
        for (int J = I + 1; J < Dialog.ControlCount(); ++J)
            EXPECT_FALSE(IntersectRect(Common, A, Dialog.Controls(J)->BoundsRect()))
                << StringToUtf8(Dialog.Controls(I)->Name()) << " " << StringToUtf8(Dialog.Controls(J)->Name());
    }
}

TEST(PortScan, NoPortsGiveEmptyLists) {
    TTempFolder Temp;
    setenv("MORVANE_PORTS", Temp.Path().c_str(), 1);
    TfrmSelectComport Picker(nullptr);
    TfrmComPortSetup Dialog(nullptr);
    unsetenv("MORVANE_PORTS");
    EXPECT_EQ(Picker.lstComPorts->Items()->Count(), 0);
    EXPECT_EQ(Dialog.lstComs->Items()->Count(), 0);
    EXPECT_EQ(Picker.SelectedComPortNr(), 0);
}

TEST(PortSettings, LoadingChecksEveryNameAndFallsBackToItsDefault) {
    struct TCase {
        const char* Lines;
        TSerBaudrate Rate;
        int UserRate;
        TSerParity Parity;
        TSerDatabits Bits;
        TSerStopbits Stops;
        const char* Message;
    } Cases[] = {
        {"ComNr=5\nBaudRate=br9601\n", br9600, 0, paNone, db8, sbTwo,
         "COM5: Invalid baud rate: br9601.\rDefault value used"},
        {"ComNr=2\nBaudRate=BR19200\nParity=PAEVEN\nDataBits=db7\nStopBits=sbOne\n", br19200, 0, paEven, db7,
         sbOne, nullptr},
        {"ComNr=2\nBaudRate=brUser\nUserBaudRate=921600\n", brUser, 921600, paNone, db8, sbTwo, nullptr},
        {"ComNr=4\nParity=even\n", br9600, 0, paNone, db8, sbTwo,
         "COM4: Invalid parity value: even.\rDefault value used"},
        {"ComNr=4\nDataBits=9\n", br9600, 0, paNone, db8, sbTwo,
         "COM4: Invalid bit number: 9.\rDefault value used"},
        {"ComNr=4\nStopBits=sb3\n", br9600, 0, paNone, db8, sbTwo,
         "COM4: Invalid stopbit number: sb3.\rDefault value used"},
        {"", br9600, 0, paNone, db8, sbTwo, nullptr}, // a missing section: the defaults, no message
    };
    for (const TCase& C : Cases) {
        WriteSection(C.Lines);
        TSerComPort Port(nullptr);
        Port.SetName(u"ComPort");
        TQuestionScript Script;
        if (C.Message) Script.Answer(IDOK);
        LoadComPortSettings(&Port);
        EXPECT_EQ(Port.BaudRate(), C.Rate) << C.Lines;
        EXPECT_EQ(Port.UserBaudRate(), C.UserRate) << C.Lines;
        EXPECT_EQ(Port.Parity(), C.Parity) << C.Lines;
        EXPECT_EQ(Port.Databits(), C.Bits) << C.Lines;
        EXPECT_EQ(Port.Stopbits(), C.Stops) << C.Lines;
        ASSERT_EQ(Script.Asked().size(), C.Message ? 1u : 0u) << C.Lines;
        if (C.Message) {
            EXPECT_EQ(StringToUtf8(Script.Last().Text), C.Message);
        }
        EXPECT_FALSE(Port.Active());
    }
    WriteSection("");
    TSerComPort Port(nullptr);
    Port.SetName(u"ComPort");
    LoadComPortSettings(&Port);
    EXPECT_EQ(Port.ComNumber(), 1);
}

TEST_F(PortsThreeAndSeven, SavingWritesTheKeysInTheirOrderAndLoadingShowsThem) {
    TfrmComPortSetup Dialog(nullptr);
    Dialog.lstComs->SetItemIndex(0);
    Dialog.chkComActive->SetChecked(true);
    Dialog.cbbBaudRate->SetItemIndex(brUser);
    Dialog.edtUserBaudRate->SetValue(250000);
    Dialog.cbParity->SetItemIndex(paOdd);
    Dialog.cbDataBits->SetItemIndex(db7);
    Dialog.cbStopBits->SetItemIndex(sbOne);
    Dialog.SaveSettings(u"ComPort");
    const std::string Text = ReadBytes(StringToUtf8(ComPortSettingsFile()));
    const std::regex Layout(
        "\\[ComPort\\]\r?\nActive=1\r?\nComNr=3\r?\nBaudRate=brUser\r?\nUserBaudRate=250000\r?\n"
        "Parity=paOdd\r?\nDataBits=db7\r?\nStopBits=sbOne\r?\n"
        "LastChange=[1-9][0-9]?\\.[1-9][0-9]?\\.[0-9]{4}, [0-9]{2}:[0-9]{2}:[0-9]{2}\r?\n");
    EXPECT_TRUE(std::regex_match(Text, Layout)) << Text;

    TfrmComPortSetup Other(nullptr);
    Other.LoadSettings(u"ComPort");
    EXPECT_EQ(Other.lstComs->ItemIndex(), 0);
    EXPECT_TRUE(Other.chkComActive->Checked());
    EXPECT_EQ(Other.cbbBaudRate->ItemIndex(), brUser);
    EXPECT_EQ(Other.edtUserBaudRate->Value(), 250000);
    EXPECT_TRUE(Other.edtUserBaudRate->Enabled());
    EXPECT_EQ(Other.cbParity->ItemIndex(), paOdd);
    EXPECT_TRUE(Other.bbtnOK->Enabled());
    EXPECT_TRUE(Other.bbtnSave->Enabled());
}

TEST_F(PortsThreeAndSeven, OkAppliesTheDialogAndCancelLeavesThePortAlone) {
    TSerComPort Port(nullptr);
    Port.SetName(u"ComPort");
    Port.SetComNumber(3);
    Port.SetActive(true);
    {
        TQuestionScript Script;
        Script.Answer([](const TQuestion& Q, TAnswer& A) {
            auto* Dialog = dynamic_cast<TfrmComPortSetup*>(Q.Form);
            ASSERT_NE(Dialog, nullptr);
            Dialog->cbbBaudRate->SetItemIndex(br9600);
            Dialog->cbDataBits->SetItemIndex(db7);
            A.Result = mrCancel;
        });
        EXPECT_FALSE(ExecuteComPortSetup(&Port, u""));
    }
    EXPECT_TRUE(Port.Active());
    EXPECT_EQ(Port.BaudRate(), br115200);
    EXPECT_EQ(Port.Databits(), db8);
    {
        TQuestionScript Script;
        Script.Answer([](const TQuestion& Q, TAnswer& A) {
            auto* Dialog = dynamic_cast<TfrmComPortSetup*>(Q.Form);
            ASSERT_NE(Dialog, nullptr);
            EXPECT_EQ(Dialog->lstComs->ItemIndex(), 0); // the port's own entry
            EXPECT_TRUE(Dialog->chkComActive->Checked());
            EXPECT_EQ(Dialog->pnlHint->Caption(), u"Pick the board");
            Dialog->cbbBaudRate->SetItemIndex(br9600);
            A.Result = mrOk;
        });
        EXPECT_TRUE(ExecuteComPortSetup(&Port, u"Pick the board"));
    }
    EXPECT_TRUE(Port.Active()); // closed and opened again with the new settings
    EXPECT_EQ(Port.BaudRate(), br9600);
    // An entry of a high number sets that number.
    TfrmComPortSetup Dialog(nullptr);
    Dialog.lstComs->Items()->Add(u"COM 123");
    Dialog.lstComs->SetItemIndex(Dialog.lstComs->Items()->Count() - 1);
    TSerComPort Closed(nullptr);
    Dialog.UpdateSetting(&Closed);
    EXPECT_EQ(Closed.ComNumber(), 123);
    EXPECT_FALSE(Closed.Active());
}

TEST_F(PortsThreeAndSeven, ThePickerAnswersADoubleClickWithOkAndEscapeWithCancel) {
    TfrmSelectComport Picker(nullptr);
    Picker.Show();
    DoubleClickMessages(Picker.lstComPorts, TPoint{10, 5}); // over the first entry
    EXPECT_EQ(Picker.lstComPorts->ItemIndex(), 0);
    EXPECT_EQ(Picker.ModalResult(), mrOk);
    EXPECT_EQ(Picker.SelectedComPortNr(), 3);
    Picker.SetModalResult(mrNone);
    KeyMessages(Picker.lstComPorts, VK_ESCAPE);
    EXPECT_EQ(Picker.ModalResult(), mrCancel);
}

TEST_F(PortsThreeAndSeven, TheDialogsListAndBaudComboEnableWhatTheyShould) {
    TfrmComPortSetup Dialog(nullptr);
    Dialog.Show();
    Dialog.EnableButtons(false);
    ClickMessages(Dialog.lstComs, TPoint{10, 5});
    EXPECT_TRUE(Dialog.bbtnOK->Enabled());
    EXPECT_TRUE(Dialog.bbtnSave->Enabled());
    // The user rate can be edited exactly while the baud combo shows "brUser".
    Dialog.cbbBaudRate->SetFocus();
    KeyMessages(Dialog.cbbBaudRate, VK_END);
    EXPECT_EQ(Dialog.cbbBaudRate->ItemIndex(), brUser);
    EXPECT_TRUE(Dialog.edtUserBaudRate->Enabled());
    KeyMessages(Dialog.cbbBaudRate, VK_HOME);
    EXPECT_EQ(Dialog.cbbBaudRate->ItemIndex(), br110);
    EXPECT_FALSE(Dialog.edtUserBaudRate->Enabled());
    DoubleClickMessages(Dialog.lstComs, TPoint{10, 5});
    EXPECT_EQ(Dialog.ModalResult(), mrOk);
}

TEST_F(PortsThreeAndSeven, OkWithoutActiveAppliesTheSettingsButAnswersFalse) {
    TSerComPort Port(nullptr);
    Port.SetName(u"ComPort");
    Port.SetComNumber(3);
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* Dialog = dynamic_cast<TfrmComPortSetup*>(Q.Form);
        ASSERT_NE(Dialog, nullptr);
        EXPECT_FALSE(Dialog->chkComActive->Checked()); // the port is closed
        Dialog->cbStopBits->SetItemIndex(sbTwo);
        A.Result = mrOk;
    });
    EXPECT_FALSE(ExecuteComPortSetup(&Port, u""));
    EXPECT_EQ(Port.Stopbits(), sbTwo);
    EXPECT_FALSE(Port.Active());
}
