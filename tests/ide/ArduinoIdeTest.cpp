// The "Arduino" page: the logo centred or stretched, its wandering, squeezing and bouncing, the
// clicks that start and stop it, the Arduino IDE that does not show a window, and the language
// reference handed to the desktop's opener (a stand-in that writes down the address).

#include "EditorFixture.h"

#include "platform/gui/ActnList.h"

#include "support/XProbeWindow.h"
#include "support/XTestSupport.h"

#include "platform/os/ForeignWindows.h"

#include <cstdlib>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct ArduinoIdeTest : TEditorFixture {
    TDisplayVariable NoDisplay{""};
    TQuestionScript Script;
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
    TRect Logo() {
        TImage* L = Main->imgLogo;
        return TRect(L->Left(), L->Top(), L->Left() + L->Width(), L->Top() + L->Height());
    }
    void Executable(const std::string& Path, const std::string& Text) {
        WriteBytes(Path, "#!/bin/sh\n" + Text);
        chmod(Path.c_str(), 0755);
    }
};

} // namespace

TEST_F(ArduinoIdeTest, TheLogoIsCentredOnALargePageAndStretchedOnASmallOne) {
    Main->SetClientWidth(1111);
    Main->SetClientHeight(708);
    Main->PlaceLogo();
    const int W = Main->tsArduino->Width(), H = Main->tsArduino->Height();
    ASSERT_GT(W, 403);
    EXPECT_EQ(Logo(), TRect((W - 403) / 2, (H - 73) / 2, (W - 403) / 2 + 403, (H - 73) / 2 + 73));
    EXPECT_FALSE(Main->imgLogo->Stretch());
    Main->SetClientWidth(700);
    Main->PlaceLogo();
    const int Small = Main->tsArduino->Width();
    ASSERT_LT(Small, 403);
    EXPECT_EQ(Logo(), TRect(0, 0, Small, Main->tsArduino->Height()));
    EXPECT_TRUE(Main->imgLogo->Stretch());
    // Its natural size was measured once: the page grown again centres it at that size.
    Main->SetClientWidth(1111);
    Main->PlaceLogo();
    EXPECT_EQ(Main->imgLogo->Width(), 403);
    EXPECT_EQ(Main->imgLogo->Height(), 73);
}

TEST_F(ArduinoIdeTest, TheLogoWandersSqueezesAndBounces) {
    Main->PlaceLogo();
    TImage* L = Main->imgLogo;
    const int W = Main->tsArduino->Width(), H = Main->tsArduino->Height();
    // A click on the black page starts it, another stops it.
    ASSERT_TRUE(Main->shp1->OnMouseUp);
    Main->shp1->OnMouseUp(Main->shp1, mbLeft, {}, 5, 5);
    EXPECT_TRUE(Main->tmrLogoMover->Enabled());
    Main->shp1->OnMouseUp(Main->shp1, mbLeft, {}, 5, 5);
    EXPECT_FALSE(Main->tmrLogoMover->Enabled());

    const TRect Start = Logo();
    Main->LogoTick();
    EXPECT_EQ(Logo(), TRect(Start.Left + 1, Start.Top + 1, Start.Right + 1, Start.Bottom + 1));
    // Against the right edge it gets narrower down to half its width, then turns back.
    L->SetBounds(W - 400, 100, 403, 73);
    for (int I = 0; I < 202; ++I) Main->LogoTick();
    EXPECT_EQ(L->Width(), 201);
    EXPECT_TRUE(L->Stretch());
    const int Left = L->Left();
    Main->LogoTick();
    Main->LogoTick();
    EXPECT_EQ(L->Left(), Left - 2);
    EXPECT_EQ(L->Width(), 202);
    // Moving left it regains its width and its own size.
    for (int I = 0; I < 300; ++I) Main->LogoTick();
    EXPECT_EQ(L->Width(), 403);
    EXPECT_FALSE(L->Stretch());
    // It bounces off the bottom and off the tool bar.
    L->SetBounds(200, H - 73 + 1, 403, 73);
    Main->LogoTick();
    Main->LogoTick();
    EXPECT_LT(L->Top(), H - 73 + 1);
    L->SetBounds(200, Main->tlb2->Height() - 1, 403, 73);
    const int Top = L->Top();
    Main->LogoTick();
    Main->LogoTick();
    EXPECT_GT(L->Top(), Top);
    // On an editor page it stays where it is.
    Open(Sketch("Blink/Blink.ino", "void loop() {}\n"));
    ASSERT_NE(Main->pgEdit->ActivePageIndex(), 0);
    const TRect Frozen = Logo();
    Main->LogoTick();
    EXPECT_EQ(Logo(), Frozen);
}

TEST_F(ArduinoIdeTest, AnIdeWithoutAWindowIsReportedAndStopsTheLogo) {
    std::filesystem::create_directories(Temp.Sys("arduino"));
    Executable(Temp.Sys("arduino/arduino"), "echo started > \"$0.ran\"\n");
    Options->edPathToArduino->SetText(Temp / "arduino");
    Main->ArduinoSearchPause = 20;
    Main->tmrLogoMover->SetEnabled(true);
    Script.Answer(IDOK);
    Main->Action(u"actArduinoIdeOpen")->Execute();
    EXPECT_EQ(U8(Script.Last().Text), "Could not open the Arduino IDE\r\rPath:\"" + Temp.Sys("arduino/arduino") + "\"");
    EXPECT_EQ(ReadBytes(Temp.Sys("arduino/arduino.ran")), "started\n");
    EXPECT_FALSE(Main->pbMeter->Visible());
    EXPECT_FALSE(Main->tmrLogoMover->Enabled());
    EXPECT_EQ(Main->ExternalArduinoHandle(), 0u);
    // The test action has no window to send its key to.
    Main->Action(u"actTest")->Execute();
    EXPECT_EQ(Script.Asked().size(), 1u);
}

TEST_F(ArduinoIdeTest, AtTheEndAnIdeLeftWithoutAWindowIsEndedAndOneShowingAWindowRunsOn) {
    TXServer Server;
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    TDisplayVariable Display(Server.Display());
    std::filesystem::create_directories(Temp.Sys("arduino"));
    Options->edPathToArduino->SetText(Temp / "arduino");
    Main->ArduinoSearchRounds = 2;
    Main->ArduinoSearchPause = 20;
    Main->ArduinoCloseGrace = 1500;
    // Neither shows the IDE's window: each start ends with the message.
    Script.Answer(IDOK);
    Script.Answer(IDOK);
    // One IDE still shows a window of its own (its question about an unsaved sketch)...
    Executable(Temp.Sys("arduino/arduino"), "echo $$ > \"$0.asks\"\nexec xmessage 'Save changes?'\n");
    Main->Action(u"actArduinoIdeOpen")->Execute();
    // ... the other has no window left but runs on.
    Executable(Temp.Sys("arduino/arduino"), "echo $$ > \"$0.lost\"\nexec sleep 600\n");
    Main->Action(u"actArduinoIdeOpen")->Execute();
    auto PidIn = [&](const std::string& File) {
        std::string Text;
        WaitUntil([&] { return !(Text = ReadBytes(Temp.Sys(File))).empty() && Text.back() == '\n'; }, 20000);
        return pid_t(std::atoi(Text.c_str()));
    };
    const pid_t Asks = PidIn("arduino/arduino.asks");
    const pid_t Lost = PidIn("arduino/arduino.lost");
    ASSERT_GT(Asks, 0);
    ASSERT_GT(Lost, 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (TForeignWindow W : ForeignTopLevelWindows())
                if (ForeignWindowProcess(W) == Asks) return true;
            return false;
        },
        20000))
        << "xmessage showed no window";

    Main->CloseEmbeddedIde();
    EXPECT_EQ(kill(Lost, 0), -1);
    EXPECT_EQ(kill(Asks, 0), 0);
    kill(Asks, SIGTERM);
    waitpid(Asks, nullptr, 0);
}

TEST_F(ArduinoIdeTest, TheReferenceOpensInTheDesktopsBrowser) {
    std::filesystem::create_directories(Temp.Sys("opener"));
    Executable(Temp.Sys("opener/xdg-open"), "printf '%s' \"$1\" > \"$(dirname \"$0\")/opened\"\n");
    const std::string OldPath = std::getenv("PATH");
    setenv("PATH", (Temp.Sys("opener") + ":" + OldPath).c_str(), 1);
    Main->Action(u"actArduinoHelp")->Execute();
    setenv("PATH", OldPath.c_str(), 1);
    std::string Opened;
    EXPECT_TRUE(WaitUntil([&] { return !(Opened = ReadBytes(Temp.Sys("opener/opened"))).empty(); }));
    EXPECT_EQ(Opened, "https://www.arduino.cc/en/Reference/HomePage");
}
