// Forms placed on a real X server with a window manager, which draws a frame and a caption
// around each window: a form's position puts its frame on the screen, designed, centred or
// where the system cascades windows of default position.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"
#include "support/XFrames.h"

#include "platform/gui/NativeWindow.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

namespace {

bool RunningAsPeer() {
    const char* Platform = std::getenv("MORVANE_TEST_QPA_PLATFORM");
    return Platform && std::strcmp(Platform, "xcb") == 0;
}

TForm* PeerForm(const char16_t* Caption, TPosition Position, int Left, int Top, int Width, int Height) {
    auto* F = new TForm(Application);
    F->SetCaption(Caption);
    F->SetPosition(Position);
    F->SetBounds(Left, Top, Width, Height);
    return F;
}

} // namespace

// The peer: this program again on the X server; tells the windows it shows, then keeps them until
// its input ends.
TEST(FormPlacementXPeer, DISABLED_ShowForms) {
    ASSERT_TRUE(RunningAsPeer());
    std::vector<TForm*> Forms{PeerForm(u"Designed", poDesigned, 0, 0, 300, 150),
                              PeerForm(u"Centred", poScreenCenter, 0, 0, 400, 300)};
    for (const char16_t* Caption : {u"Default 1", u"Default 2", u"Default 3"})
        Forms.push_back(PeerForm(Caption, poDefaultPosOnly, 0, 0, 250, 150));
    for (TForm* F : Forms) {
        F->Show();
        ProcessMessagesFor(200);
        std::cout << "\nwindow " << NativeWindowOf(F) << " " << U8(F->Caption()) << "\n";
    }
    // Shown again, a window of default position stays where it was.
    Forms[2]->Hide();
    ProcessMessagesFor(200);
    Forms[2]->Show();
    std::cout << "\nshown\n" << std::flush;
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    WaitUntil(
        [] {
            char C;
            return read(0, &C, 1) == 0;
        },
        60000);
    for (TForm* F : Forms)
        delete F;
}

TEST(FormPlacementX, FramesAreOnTheScreenAndDefaultWindowsCascade) {
    TXServer Server; // 800 x 600
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    TWindowManager Manager(Server.Display());
    ASSERT_TRUE(Manager.Ready()) << "no window manager";
    TXFrames& X = Manager.Frames();

    TChild Peer({"/proc/self/exe", "--gtest_also_run_disabled_tests", "--gtest_filter=FormPlacementXPeer.*"},
                {{"DISPLAY", Server.Display()}, {"MORVANE_TEST_QPA_PLATFORM", "xcb"}});
    std::map<std::string, xcb_window_t> Windows;
    while (std::optional<std::string> Line = Peer.ReadLine(30000)) {
        if (*Line == "shown") break;
        if (Line->rfind("window ", 0) != 0) continue;
        std::istringstream In(Line->substr(7));
        unsigned long Id = 0;
        In >> Id;
        std::string Caption;
        std::getline(In >> std::ws, Caption);
        Windows[Caption] = xcb_window_t(Id);
    }
    ASSERT_EQ(Windows.size(), 5u);
    std::map<std::string, TFrame> Frames;
    for (const auto& [Caption, Id] : Windows) {
        std::optional<TFrame> F;
        // Until the window manager has framed it and the frame has found its place.
        WaitUntil([&] { return (F = X.FrameOf(Id)) && F->ClientY > F->Y; }, 20000);
        ASSERT_TRUE(F.has_value()) << Caption << " has no frame";
        EXPECT_GT(F->ClientY, F->Y) << Caption << ": the caption is above the client";
        EXPECT_GE(F->X, 0) << Caption;
        EXPECT_GE(F->Y, 0) << Caption;
        EXPECT_LE(F->X + F->Width, 800) << Caption;
        EXPECT_LE(F->Y + F->Height, 600) << Caption;
        Frames[Caption] = *F;
    }
    // Designed at (0, 0): the frame's corner is there.
    EXPECT_EQ(Frames["Designed"].X, 0);
    EXPECT_EQ(Frames["Designed"].Y, 0);
    // Centred: the frame's middle lies near the screen's (its frame adds a caption's height).
    const TFrame& C = Frames["Centred"];
    EXPECT_NEAR(C.X + C.Width / 2, 400, 20);
    EXPECT_NEAR(C.Y + C.Height / 2, 300, 20);
    // Default: one step down and to the right of the one before.
    const TFrame &D1 = Frames["Default 1"], &D2 = Frames["Default 2"], &D3 = Frames["Default 3"];
    EXPECT_GT(D2.X, D1.X);
    EXPECT_GT(D2.Y, D1.Y);
    EXPECT_EQ(D3.X - D2.X, D2.X - D1.X);
    EXPECT_EQ(D3.Y - D2.Y, D2.Y - D1.Y);
    Peer.CloseInput();
    EXPECT_EQ(Peer.Wait(), 0);
}
