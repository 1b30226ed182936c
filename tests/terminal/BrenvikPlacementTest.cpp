// Brenvik started as a user starts it, on an X server with a window manager: its window opens
// with its frame and caption on the screen.

#include "support/TestSupport.h"
#include "support/XFrames.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(BrenvikPlacement, TheWindowOpensWithItsCaptionOnTheScreen) {
    TTempFolder Temp;
    TXServer Server; // 800 x 600
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    TWindowManager Manager(Server.Display());
    ASSERT_TRUE(Manager.Ready()) << "no window manager";
    const std::string Program = Temp.Sys("Brenvik");
    std::error_code Error;
    std::filesystem::create_hard_link(BRENVIK_PROGRAM, Program, Error);
    if (Error) std::filesystem::copy_file(BRENVIK_PROGRAM, Program);
    std::filesystem::create_directory(Temp.Sys("ports"));

    TChild Brenvik({Program}, {{"DISPLAY", Server.Display()},
                               {"QT_QPA_PLATFORM", "xcb"},
                               {"MORVANE_SCRIPTED_QUESTIONS", ""},
                               {"MORVANE_PORTS", Temp.Sys("ports")}});
    TXFrames& X = Manager.Frames();
    std::optional<TFrame> F;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < Deadline) {
        const std::vector<xcb_window_t> Clients = X.Clients();
        if (Clients.size() == 1 && (F = X.FrameOf(Clients[0])) && F->ClientY > F->Y) break;
        F.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(F.has_value()) << "no framed window";
    EXPECT_GE(F->X, 0);
    EXPECT_GE(F->Y, 0);
    EXPECT_LE(F->X + F->Width, 800);
    EXPECT_LE(F->Y + F->Height, 600);
}
