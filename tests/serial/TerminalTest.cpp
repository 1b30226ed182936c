// The terminal window on a real pseudo-terminal pair: received text and its line rules, channel
// commands into boxes, bars, log and errors, what typing sends, opening a busy port, closing.

#include "serial/TermQz.h"

#include "support/ProcessMemory.h"
#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"
#include "support/ThreadTestSupport.h"

#include "platform/gui/Questions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Utf8(const String& S) {
    return StringToUtf8(S);
}

std::vector<std::string> LinesOf(TStrings* Lines) {
    std::vector<std::string> R;
    for (int I = 0; I < Lines->Count(); ++I)
        R.push_back(Utf8(Lines->Strings(I)));
    return R;
}

// A click on a label, through the panel that holds it.
void ClickLabel(TLabel* Label) {
    ClickMessages(Label->Parent(), TPoint{Label->Left() + Label->Width() / 2, Label->Top() + Label->Height() / 2});
}

// A terminal on COM3 of a pair whose far end is COM4, open at 115200 baud.
class TerminalOnALine : public ::testing::Test {
protected:
    TTempFolder Temp;
    TPtyPair Pair{Temp.Sys("ports"), 3, 4};
    std::unique_ptr<TfrmTerm> Term;

    void SetUp() override {
        Term = std::make_unique<TfrmTerm>(nullptr);
        Term->SetTermCaption(u"Term Blink [0]");
        Term->SetTermParams(3, 115200);
        Term->Show();
        Term->OpenTermPort();
        ASSERT_TRUE(Term->TermPortActive());
    }
    void TearDown() override { Term.reset(); }

    String Received() const { return Term->Memo2->Text(); }
    std::string Device(int Com) const { return std::filesystem::canonical(Pair.Link(Com)).string(); }
    // Sends Bytes and waits until the pane shows Shown.
    void Expect(const std::string& Bytes, const String& Shown) {
        Pair.Send(Bytes);
        EXPECT_TRUE(WaitUntil([&] { return Received() == Shown; })) << Utf8(Received());
    }
};

} // namespace

TEST_F(TerminalOnALine, ReceivedTextFollowsTheLineToggles) {
    // The device the number stands for follows the port's own text.
    EXPECT_EQ(Utf8(Term->Caption()), "Term Blink [0] <COM3, br115200> on " + Device(3));
    EXPECT_TRUE(Term->ledConnected->Active());
    EXPECT_EQ(Utf8(Term->ledConnected->Hint()), "COM3, Baudrate=br115200 on " + Device(3));
    EXPECT_FALSE(Term->actOpenComPort->Enabled());
    EXPECT_TRUE(Term->actCloseComPort->Enabled());
    // CR makes the new line, LF is dropped; text goes on at the end of the current line.
    Expect("Hi\r\n", u"Hi\r\n");
    EXPECT_EQ(Term->LastUsedLine, 1);
    Expect("there", u"Hi\r\nthere");
    struct TCase {
        bool OnCR, OnLF, Show;
        std::string Bytes;
        const char16_t* Shown;
    } Cases[] = {
        {true, false, true, "a\r\nb", u"a<CR>\r\n<LF>b"},
        {false, true, false, "a\r\nb", u"a\r\nb"},
        {false, false, false, "a\r\nb\x02", u"ab<STX>"},
        {true, true, false, "a\r\n", u"a\r\n\r\n"},
        {false, false, true, "\x02x\r", u"<STX>x<CR>"},
    };
    for (const TCase& C : Cases) {
        Term->actClearRx->Execute();
        Term->actNewlineOnCR->SetChecked(C.OnCR);
        Term->actNewLineOnLF->SetChecked(C.OnLF);
        Term->actShow_CR_LF->SetChecked(C.Show);
        Expect(C.Bytes, C.Shown);
    }
    // The pane does not wrap: a long line stays one line.
    Term->actClearRx->Execute();
    Expect(std::string(3000, 'w'), String(3000, u'w'));
    EXPECT_EQ(Term->Memo2->Lines()->Count(), 1);
    EXPECT_FALSE(Term->Memo2->WordWrap());
}

TEST_F(TerminalOnALine, ChannelCommandsDriveBoxesBarsAndErrors) {
    Term->actInterpretChannelCommands->Execute();
    EXPECT_TRUE(Term->actInterpretChannelCommands->Checked());
    EXPECT_FALSE(Term->actNewlineOnCR->Checked());
    Expect("x[*B17]y", u"xy");
    TStaticText* B = Term->txt[1];
    EXPECT_EQ(Utf8(B->Caption()), "17");
    EXPECT_EQ(B->Color(), TColor(0x800000));
    EXPECT_EQ(B->Font()->Color(), clYellow);
    EXPECT_TRUE(B->Font()->Style().Contains(fsBold));
    EXPECT_EQ(Term->bar[1]->Position(), 17);
    // A maximum clamps the bar; the box shows the value as received.
    Expect("[!A100][*A150]|", u"xy|");
    EXPECT_EQ(Term->bar[0]->Max(), 100);
    EXPECT_EQ(Term->bar[0]->Position(), 100);
    EXPECT_EQ(Utf8(Term->bar[0]->Hint()), "100");
    EXPECT_EQ(Utf8(Term->txt[0]->Caption()), "150");
    Expect("[*A]|", u"xy||");
    EXPECT_EQ(Utf8(Term->txt[0]->Caption()), "");
    EXPECT_EQ(Term->bar[0]->Position(), 0);
    // The conversion table: X is channel A, A channel D, F (not in it) itself, Q none.
    Term->edtChannelConversionTable->SetText(u"XYZABCDE");
    Expect("[*X5][*A6][*F7][*Q8][#5][]|", u"xy|||");
    EXPECT_EQ(Utf8(Term->txt[0]->Caption()), "5");
    EXPECT_EQ(Utf8(Term->txt[3]->Caption()), "6");
    EXPECT_EQ(Utf8(Term->txt[5]->Caption()), "7");
    EXPECT_EQ(LinesOf(Term->mmoErrors->Lines()),
              (std::vector<std::string>{"Invalid channel: Q<converted:?> Value:8", "Unknown command: # Message:#5"}));
    EXPECT_GE(Term->mmoErrors->Height(), 10); // the error pane opened itself
    // A "[" inside a command starts it afresh; interpretation off shows commands as they come.
    Term->edtChannelConversionTable->SetText(u"ABCDEFGH");
    Expect("[*B1[*C9]|", u"xy||||");
    EXPECT_EQ(Utf8(Term->txt[2]->Caption()), "9");
    Term->actInterpretChannelCommands->Execute();
    EXPECT_TRUE(Term->actNewlineOnCR->Checked());
    Expect("[*A5]", u"xy||||[*A5]");
}

TEST_F(TerminalOnALine, ACommandThatNeverClosesIsDroppedAndDisplayGoesOn) {
    Term->actInterpretChannelCommands->Execute();
    const std::string Noise(MaxChannelCommandLength + 76, 'z');
    Pair.Send("a[" + Noise + "b[*A7]c");
    EXPECT_TRUE(WaitUntil([&] { return Received() == u"a" + String(76, u'z') + u"bc"; })) << Utf8(Received());
    EXPECT_EQ(LinesOf(Term->mmoErrors->Lines()), std::vector<std::string>{"Unknown command: " + std::string(32, 'z')});
    EXPECT_EQ(Utf8(Term->txt[0]->Caption()), "7");
    EXPECT_LE(Term->sMessage.size(), std::size_t(MaxChannelCommandLength));
}

TEST_F(TerminalOnALine, TypingSendsAndAClosedPortRefuses) {
    TExceptionCatcher Catcher;
    CharMessages(Term->memo1, u"ab");
    EXPECT_EQ(Pair.Receive(2), "ab");
    EXPECT_NE(Utf8(Term->memo1->Text()).find("ab"), std::string::npos);
    // A key in the receive pane is sent and noted in the transmit pane.
    CharMessages(Term->Memo2, u"q");
    EXPECT_EQ(Pair.Receive(1), "q");
    EXPECT_EQ(Utf8(Term->memo1->Lines()->Strings(Term->memo1->Lines()->Count() - 1)), "<q>");
    EXPECT_EQ(Utf8(Received()), "");
    Term->btnCR->Click();
    Term->btnLF->Click();
    EXPECT_EQ(Pair.Receive(2), "\r\n");
    // Bytes above 127 go out as one byte each.
    Term->SendText(u"\u00e9\u20ac");
    EXPECT_EQ(Pair.Receive(2), "\xe9\x80");
    // Closed: the key is refused with the message and not entered.
    Term->CloseTermPort();
    EXPECT_FALSE(Term->ledConnected->Active());
    EXPECT_TRUE(Term->actOpenComPort->Enabled());
    const String Before = Term->memo1->Text();
    CharMessages(Term->memo1, u"z");
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"COM port is not open"});
    EXPECT_EQ(Term->memo1->Text(), Before);
    EXPECT_EQ(Pair.Receive(1, 100), "");
}

TEST_F(TerminalOnALine, ALateNotificationReadsOnlyWhatWaits) {
    TExceptionCatcher Catcher;
    // A count that is old by now: no "Read data error", nothing shown.
    Term->ComPort->OnDataRecived(Term->ComPort, 100);
    EXPECT_TRUE(Catcher.Messages.empty());
    Expect("ok", u"ok");
}

TEST_F(TerminalOnALine, ClosingHidesClosesAndTellsTheOwner) {
    TForm Owner(nullptr);
    std::vector<TMessage> Got;
    const TWndMethod Old = Owner.WindowProc();
    Owner.SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_TERMINAL_CLOSED) Got.push_back(M);
        Old(M);
    });
    Term->SetMainFormHandle(Owner.Handle());
    Term->SetTerminalNr(7);
    Term->Close();
    EXPECT_FALSE(Term->Visible());
    EXPECT_FALSE(Term->TermPortActive());
    EXPECT_TRUE(Got.empty()); // posted, not sent
    EXPECT_TRUE(WaitUntil([&] { return !Got.empty(); }));
    ASSERT_EQ(Got.size(), 1u);
    EXPECT_EQ(Got[0].WParam, 7u);
    EXPECT_EQ(Got[0].LParam, LPARAM(-1));
    // Shown again, it keeps its panes; without an owner's handle nothing is posted.
    Term->SetMainFormHandle(0);
    Term->Show();
    Term->SetTermPortActive(true);
    Expect("again", u"again");
    Term->Close();
    ProcessMessagesFor(50);
    EXPECT_EQ(Got.size(), 1u);
    EXPECT_EQ(Received(), u"again");
    Owner.SetWindowProc(Old);
}

TEST_F(TerminalOnALine, ABusyPortIsReportedAndStaysClosed) {
    Term->CloseTermPort();
    TPortHolder Holder(Pair.Link(3));
    TQuestionScript Script;
    Script.Answer(mrOk);
    Term->OpenTermPort();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Utf8(Script.Last().Text), "Problem opening COM 3\rCan't open device COM3: " + Device(3) +
                                            " (Device or resource busy)");
    EXPECT_EQ(Script.Last().DlgType, mtError);
    EXPECT_FALSE(Term->TermPortActive());
    EXPECT_TRUE(Term->actOpenComPort->Enabled());
    EXPECT_FALSE(Term->actCloseComPort->Enabled());
}

TEST_F(TerminalOnALine, AnUnpluggedDeviceClosesThePortOnceAndItOpensWhenBack) {
    TExceptionCatcher Catcher;
    TQuestionScript Script;
    Script.Answer(mrOk);
    Expect("before\r", u"before\r\n");
    const std::string Gone = Device(3);
    // The far end goes away with bytes still on their way.
    std::atomic<bool> Sent{false};
    std::thread Sender([&] {
        Pair.Send(std::string(30000, 'x'));
        Sent = true;
    });
    const bool Flowing = WaitUntil([&] { return Sent.load(); }, 20000);
    Sender.join();
    ASSERT_TRUE(Flowing);
    Pair.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !Term->TermPortActive(); }, 20000));
    ProcessMessagesFor(300);
    ASSERT_EQ(Script.Asked().size(), 1u); // told once
    EXPECT_EQ(Utf8(Script.Last().Text), "COM3 (" + Gone +
                                            "): the device is gone (unplugged or switched off).\rThe port is "
                                            "closed; open it again once the device is back.");
    EXPECT_EQ(Script.Last().DlgType, mtError);
    EXPECT_TRUE(Catcher.Messages.empty()); // no read or write error besides
    EXPECT_FALSE(Term->ledConnected->Active());
    EXPECT_TRUE(Term->actOpenComPort->Enabled());
    EXPECT_FALSE(Term->actCloseComPort->Enabled());
    // What is typed now is refused, not taken as sent.
    const String Before = Term->memo1->Text();
    CharMessages(Term->memo1, u"z");
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"COM port is not open"});
    EXPECT_EQ(Term->memo1->Text(), Before);
    // The device is back (a new pair under the same numbers): "Open Com Port" works again.
    Pair.Start();
    Term->actOpenComPort->Execute();
    ASSERT_TRUE(Term->TermPortActive());
    EXPECT_TRUE(Term->ledConnected->Active());
    Term->actClearRx->Execute();
    Expect("back", u"back");
    CharMessages(Term->memo1, u"k");
    EXPECT_EQ(Pair.Receive(1), "k");
    EXPECT_EQ(Script.Asked().size(), 1u);
}

// What stty, run on the terminal's open device, says about its speed.
std::string SttyOf(int Handle) {
    int Out[2];
    if (pipe(Out) != 0) return "no pipe";
    const pid_t Pid = fork();
    if (Pid == 0) {
        dup2(Handle, 0);
        dup2(Out[1], 1);
        dup2(Out[1], 2);
        execlp("stty", "stty", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Out[1]);
    std::string Text;
    char Buf[512];
    ssize_t N;
    while ((N = read(Out[0], Buf, sizeof Buf)) > 0)
        Text.append(Buf, static_cast<std::size_t>(N));
    close(Out[0]);
    waitpid(Pid, nullptr, 0);
    return Text;
}

TEST_F(TerminalOnALine, OtherToolsSeeTheStandardRateOfTheOpenPort) {
    struct TCase {
        TSerBaudrate Rate;
        const char* Speed;
    } Cases[] = {{br115200, "speed 115200 baud"}, {br9600, "speed 9600 baud"}, {br57600, "speed 57600 baud"}};
    for (const TCase& C : Cases) {
        Term->ComPort->SetBaudRate(C.Rate); // applied to the open device at once
        EXPECT_NE(SttyOf(Term->ComPort->Handle()).find(C.Speed), std::string::npos)
            << SttyOf(Term->ComPort->Handle());
    }
    // A rate of no standard is still set, and the port still carries bytes.
    Term->ComPort->SetUserBaudRate(250000);
    Expect("odd", u"odd");
}


TEST_F(TerminalOnALine, AFloodKeepsTheWindowAndTheProcessWithinBounds) {
    // Channel traffic at full speed with everything on: commands, log, scope on its page.
    Term->actInterpretChannelCommands->Execute();
    Term->actNewLineOnLF->SetChecked(true);
    Term->chkLogChannels->SetChecked(true);
    Term->chkLogChangeOnly->SetChecked(false);
    Term->pgc1->SetActivePage(Term->tsGraph);
    EXPECT_EQ(Term->RxLineLimit(), DefaultRxLineLimit);
    EXPECT_EQ(Term->edtRxLineLimit->Value(), DefaultRxLineLimit);
    constexpr int Lines = 300000;
    auto LineOf = [](int K) {
        return "t=" + std::to_string(K) + " [*A" + std::to_string(K % 1024) + "][*B" + std::to_string(K % 777) + "]\n";
    };
    std::atomic<bool> Failed{false};
    std::thread Sender([&] {
        try {
            for (int K = 0; K < Lines;) {
                std::string Block;
                for (int I = 0; I < 64 && K < Lines; ++I)
                    Block += LineOf(K++);
                Pair.Send(Block);
            }
        } catch (...) {
            Failed = true;
        }
    });
    // The size after the first lines, and the most the process takes after that.
    const String LastLine = Utf8ToString("t=" + std::to_string(Lines - 1) + " ");
    long Warm = -1, Most = 0;
    auto LastShown = [&] {
        TStrings* L = Term->Memo2->Lines();
        return L->Count() > 0 ? L->Strings(L->Count() - 1) : String();
    };
    const bool Done = WaitUntil(
        [&] {
            const long Now = ResidentKiB();
            if (Warm < 0 && Term->Memo2->Lines()->Count() >= DefaultRxLineLimit) Warm = Now;
            if (Warm >= 0) Most = std::max(Most, Now);
            return LastShown() == LastLine;
        },
        600000);
    Sender.join();
    ASSERT_FALSE(Failed);
    ASSERT_TRUE(Done) << Utf8(LastShown());
    // The pane keeps its newest lines, in order and whole; the log its bound.
    TStrings* L = Term->Memo2->Lines();
    EXPECT_LE(L->Count(), DefaultRxLineLimit);
    EXPECT_GE(L->Count(), DefaultRxLineLimit - 1);
    for (int I = 1; I <= 500; ++I)
        ASSERT_EQ(Utf8(L->Strings(L->Count() - I)), "t=" + std::to_string(Lines - I) + " ") << I;
    EXPECT_LE(Term->lstLogChannels->Items()->Count(), 1001);
    EXPECT_EQ(Utf8(Term->lstLogChannels->Items()->Strings(0)), "B/B: " + std::to_string((Lines - 1) % 777));
    EXPECT_EQ(Utf8(Term->txt[0]->Caption()), std::to_string((Lines - 1) % 1024));
    // Unbounded, 290,000 more lines would take the process 80 MB and more (300 bytes a line
    // and up); bounded, it stays where it was after its first 10,000 lines, give or take.
    std::printf("[ measured ] resident memory at 10,000 lines %ld KiB, grown by %ld KiB over the next %d "
                "lines (allowed: %d KiB)\n",
                Warm, Most - Warm, Lines - DefaultRxLineLimit, 32 * 1024);
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(Most - Warm, 32 * 1024) << "KiB grown: " << Most - Warm;
#else
    // The address sanitizer holds every freed block in its quarantine (256 MB) before it reuses
    // it, so resident memory says nothing about what the terminal keeps; the ordinary build
    // checks it, and this one checks the pane's and the log's bounds above.
#endif
    // A smaller limit cuts at once.
    Term->edtRxLineLimit->SetValue(100);
    EXPECT_EQ(Term->RxLineLimit(), 100);
    EXPECT_LE(Term->Memo2->Lines()->Count(), 100);
    EXPECT_EQ(LastShown(), LastLine);
}

TEST(Terminal, BaudRatesWithoutANameAreUserRates) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    EXPECT_EQ(Utf8(Term.Caption()), "Arduino terminal QZ");
    EXPECT_EQ(Term.ClientWidth(), 512);
    EXPECT_EQ(Term.ComPort->ComNumber(), 1); // the saved settings' defaults
    struct TCase {
        int Rate;
        TSerBaudrate Value;
        int User;
    } Cases[] = {{9600, br9600, 0}, {250000, brUser, 250000}, {921600, brUser, 921600}, {115200, br115200, 0}};
    for (const TCase& C : Cases) {
        Term.SetTermParams(12, C.Rate);
        EXPECT_EQ(Term.ComPort->ComNumber(), 12);
        EXPECT_EQ(Term.ComPort->BaudRate(), C.Value) << C.Rate;
        EXPECT_EQ(Term.ComPort->UserBaudRate(), C.User) << C.Rate;
    }
}

TEST(Terminal, TheRxLineLimitSetByTheUserIsKeptForTheNextWindowAndStart) {
    TTempFolder Temp;
    TTestProgramFolder Program(Temp.Path());
    {
        TfrmTerm Term(nullptr);
        EXPECT_EQ(Term.RxLineLimit(), DefaultRxLineLimit);
        // Opening a window writes nothing.
        EXPECT_FALSE(FileExists(ComPortSettingsFile()));
        Term.edtRxLineLimit->SetValue(2500);
        EXPECT_EQ(Term.RxLineLimit(), 2500);
    }
    {
        TfrmTerm Term(nullptr);
        EXPECT_EQ(Term.RxLineLimit(), 2500);
        EXPECT_EQ(Term.edtRxLineLimit->Value(), 2500);
    }
    // The ports' sections beside it stay as they were; a value out of range or not a number
    // gives the nearest allowed one or the default.
    const std::string File = StringToUtf8(ComPortSettingsFile());
    const std::string PortSection = "[ComPort]\nComNr=7\nBaudRate=br115200\n";
    struct TCase {
        const char* Saved;
        int Expected;
    } Cases[] = {{"5", 100}, {"99999999", 1000000}, {"lots", DefaultRxLineLimit}, {"12345", 12345}};
    for (const TCase& C : Cases) {
        WriteBytes(File, PortSection + "[Terminal]\nRxLineLimit=" + C.Saved + "\n");
        TfrmTerm Term(nullptr);
        EXPECT_EQ(Term.RxLineLimit(), C.Expected) << C.Saved;
        EXPECT_EQ(Term.ComPort->ComNumber(), 7);
    }
    TfrmTerm Term(nullptr);
    Term.edtRxLineLimit->SetValue(300);
    const std::string Saved = ReadBytes(File);
    EXPECT_NE(Saved.find(PortSection), std::string::npos) << Saved;
    EXPECT_NE(Saved.find("RxLineLimit=300"), std::string::npos) << Saved;

    // Typed, a number passes through smaller ones on its way: nothing is cut before the field
    // is left, and then the number typed holds.
    Term.Show();
    Term.pgc1->SetActivePage(Term.tsOptions);
    std::string Received;
    for (int I = 0; I < 400; ++I)
        Received += std::to_string(I) + "\r\n";
    Term.ReceiveBytes(Received);
    Term.edtRxLineLimit->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Term.edtRxLineLimit->Focused(); }));
    Term.edtRxLineLimit->SelectAll();
    CharMessages(Term.edtRxLineLimit, u"2");
    EXPECT_EQ(Term.RxLineLimit(), 300);
    CharMessages(Term.edtRxLineLimit, u"5000");
    EXPECT_EQ(Term.RxLineLimit(), 25000);
    EXPECT_GE(Term.Memo2->Lines()->Count(), 299); // the newest 300, the last one still open
    Term.edtRxLineLimit->SelectAll();
    CharMessages(Term.edtRxLineLimit, u"150");
    EXPECT_EQ(Term.RxLineLimit(), 25000);
    Term.edt1->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return !Term.edtRxLineLimit->Focused(); }));
    EXPECT_EQ(Term.RxLineLimit(), 150);
    EXPECT_LE(Term.Memo2->Lines()->Count(), 151);
}

TEST(Terminal, TheLogKeepsChangesNewestFirstAndTrims) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.actInterpretChannelCommands->Execute();
    Term.chkLogChannels->SetChecked(true);
    Term.ReceiveBytes("[*A0][*A5][*A5][*A6]");
    TStrings* Log = Term.lstLogChannels->Items();
    ASSERT_EQ(Log->Count(), 2);
    EXPECT_EQ(Utf8(Log->Strings(0)), "A/A: 6");
    EXPECT_EQ(Utf8(Log->Strings(1)), "A/A: 5");
    // Every value: after 1,001 lines the next one leaves 201, the newest on top.
    Term.chkLogChangeOnly->SetChecked(false);
    Log->Clear();
    std::string Many;
    for (int I = 1; I <= 1001; ++I)
        Many += "[*B" + std::to_string(I) + "]";
    Term.ReceiveBytes(Many);
    EXPECT_EQ(Log->Count(), 1001);
    Term.ReceiveBytes("[*B7]");
    EXPECT_EQ(Log->Count(), 201);
    EXPECT_EQ(Utf8(Log->Strings(0)), "B/B: 7");
    EXPECT_EQ(Utf8(Log->Strings(1)), "B/B: 1001");
    EXPECT_EQ(Utf8(Log->Strings(200)), "B/B: 802");
}

TEST(Terminal, ValuesReachTheScopeOnlyWhileTheGraphIsShown) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.Show();
    Term.actInterpretChannelCommands->Execute();
    tChannel* A = Term.Scope->FindChannelByName(u"A");
    Term.ReceiveBytes("[*A300]");
    EXPECT_EQ(A->FLastYValue, 0);
    Term.pgc1->SetActivePage(Term.tsGraph);
    Term.ReceiveBytes("[*A300][*B20][*D50]");
    EXPECT_EQ(A->FLastYValue, 300);
    EXPECT_EQ(Term.Scope->FindChannelByName(u"B")->FLastYValue, 20);
    EXPECT_EQ(Term.Scope->X(), 6); // D has no trace
    EXPECT_EQ(Term.bar[3]->Position(), 50);
}

TEST(Terminal, AtItsDesignedSizeEveryButtonAndChannelIsInSight) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.Show();
    ProcessMessagesFor(50);
    EXPECT_EQ(Term.ClientWidth(), 512);
    EXPECT_EQ(Term.ClientHeight(), 325);
    // The eight buttons each as wide as their caption: two rows at most, all within the window.
    EXPECT_LE(Term.ToolBar1->RowCount(), 2);
    for (int I = 0; I < Term.ToolBar1->ButtonCount(); ++I) {
        TToolButton* B = Term.ToolBar1->Buttons(I);
        EXPECT_LE(B->Left() + B->Width(), Term.ToolBar1->ClientWidth()) << Utf8(B->Caption());
        EXPECT_LE(B->Top() + B->Height(), Term.ToolBar1->ClientHeight()) << Utf8(B->Caption());
    }
    EXPECT_LT(Term.ToolBar1->Buttons(0)->Width(), Term.ToolBar1->Buttons(3)->Width()); // Open < Interpret…
    // Channels A to H, each box over its bar, all within the panel; the collapse label at its
    // right edge from the start.
    for (int I = 0; I < 8; ++I) {
        EXPECT_GE(Term.txt[I]->Height(), 15);
        EXPECT_LT(Term.txt[I]->Top() + Term.txt[I]->Height(), Term.bar[I]->Top() + 1);
        EXPECT_LE(Term.bar[I]->Top() + Term.bar[I]->Height(), Term.pnlChannels->ClientHeight()) << I;
    }
    EXPECT_EQ(Term.lblResizeChannelPanel->Left(),
              Term.pnlChannels->Width() - Term.lblResizeChannelPanel->Width() - 4);
}

TEST(Terminal, TheChannelPanelCollapsesAndComesBack) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.Show();
    const int Width = Term.pnlChannels->Width();
    EXPECT_EQ(Width, 97);
    ClickLabel(Term.lblResizeChannelPanel);
    EXPECT_TRUE(Term.ChannelPanelContracted);
    EXPECT_LT(Term.pnlChannels->Width(), 20);
    EXPECT_EQ(Utf8(Term.lblResizeChannelPanel->Caption()), ">");
    ClickLabel(Term.lblResizeChannelPanel);
    EXPECT_EQ(Term.pnlChannels->Width(), Width);
    EXPECT_EQ(Utf8(Term.lblResizeChannelPanel->Caption()), "<");
    EXPECT_EQ(Term.lblResizeChannelPanel->Left(), Width - Term.lblResizeChannelPanel->Width() - 4);
    // Boxes lie above their bars, within the panel.
    for (int I = 0; I < 8; ++I) {
        EXPECT_LT(Term.txt[I]->Top(), Term.bar[I]->Top());
        EXPECT_LE(Term.bar[I]->Left() + Term.bar[I]->Width(), Width);
    }
}

TEST(Terminal, TheHelpPaneShowsTheStoredHelpAndHidesOnEscapeOrDoubleClick) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.Show();
    const TRtfDocument& Help = Term.rtfHelp->Document();
    ASSERT_GE(Help.Paragraphs.size(), 12u);
    const TRtfParagraph& Title = Help.Paragraphs[0];
    ASSERT_FALSE(Title.Runs.empty());
    EXPECT_EQ(Utf8(Title.Text()), "Brenvik");
    EXPECT_TRUE(Title.Runs[0].Format.Bold);
    EXPECT_EQ(Title.Runs[0].Format.Size, 12);
    EXPECT_EQ(Title.Runs[0].Format.Name, u"Arial");
    const char* Lines[] = {"(Double-click here  to hide Help window)",
                           "",
                           "is a general-purpose terminal with enhanced features",
                           "for displaying data coming via RS232 port.",
                           "The left part of the window contains 8 channels",
                           "with progress bar indicator, marked A to H.",
                           "Syntax:",
                           " [*Xvalue] .. display a value in a channel box",
                           "  X='A'..'H'",
                           " [!Xvalue] .. set a maximum range for a channel progress bar"};
    for (std::size_t I = 0; I < std::size(Lines); ++I) {
        const TRtfParagraph& P = Help.Paragraphs[I + 1];
        EXPECT_EQ(Utf8(P.Text()), Lines[I]);
        EXPECT_GT(P.Format.LeftIndent, 0) << Lines[I];
        for (const TRtfRun& R : P.Runs)
            EXPECT_FALSE(R.Format.Bold) << Lines[I];
    }
    EXPECT_FALSE(Term.rtfHelp->Visible());
    const TPoint Screen = Term.txt[0]->ClientToScreen(TPoint{2, 2});
    const TPoint Form = Term.ClientToScreen(TPoint{0, 0});
    const TPoint BoxA{Screen.X - Form.X, Screen.Y - Form.Y};
    EXPECT_EQ(PixelOf(*GrabControl(&Term), BoxA.X, BoxA.Y), clBlack);
    for (int Round = 0; Round < 2; ++Round) {
        Term.actHelp->Execute();
        ProcessMessages();
        ASSERT_TRUE(Term.rtfHelp->Visible());
        EXPECT_EQ(Term.rtfHelp->BoundsRect(), Rect(0, 0, Term.ClientWidth(), Term.ClientHeight()));
        // The pane lies over everything: where channel box A was, the window shows the pane.
        EXPECT_EQ(PixelOf(*GrabControl(&Term), BoxA.X, BoxA.Y), TColor(ColorToRGB(Term.rtfHelp->Color())));
        if (Round == 0) {
            KeyMessages(Term.rtfHelp, VK_ESCAPE);
        } else {
            DoubleClickMessages(Term.rtfHelp, {40, 40});
        }
        EXPECT_FALSE(Term.rtfHelp->Visible()) << Round;
    }
}

TEST(Terminal, TheTestSignalDrawsRandomPointsUntilStopped) {
    TTempFolder Temp;
    TfrmTerm Term(nullptr);
    Term.Show();
    TTimer Stop(nullptr);
    Stop.SetInterval(200);
    Stop.OnTimer = [&](TObject*) {
        Stop.SetEnabled(false);
        Term.actTest->Execute(); // a second start while running is refused
        Term.actTeststop->Execute();
    };
    Stop.SetEnabled(true);
    Term.actTest->Execute(); // returns once stopped
    EXPECT_TRUE(Term.StopRequest);
    EXPECT_GE(Term.Scope->X(), 3);
    for (int I = 0; I < 3; ++I) {
        tChannel* C = Term.Scope->Channel(I);
        EXPECT_GE(C->FMinYValue, 0);
        EXPECT_LE(C->FMaxYValue, I < 2 ? 1023 : 511);
    }
}
