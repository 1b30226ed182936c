// Other programs' windows on an X server of the test's own: a window of a plain X client that the
// test makes is found by its class and title, taken into another window, moved, activated, sent
// keys that it receives as the user's own, and asked to close.

#include "platform/base/Strings.h"
#include "platform/os/ForeignWindows.h"

#include "support/XProbeWindow.h"
#include "support/XTestSupport.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

TEST(ForeignWindowsTest, WithoutADisplayNothingIsFoundAndNothingIsSent) {
    TDisplayVariable None("");
    EXPECT_FALSE(ForeignDisplayAvailable());
    EXPECT_EQ(FindForeignWindow(u"anything"), 0u);
    EXPECT_FALSE(ForeignWindowExists(42));
    EXPECT_FALSE(SendForeignKey('R', true));
    EXPECT_FALSE(ActivateForeignWindow(42));
    EXPECT_FALSE(CloseForeignWindow(42));
}

TEST(ForeignWindowsTest, AnotherProgramsWindowIsFoundEmbeddedActivatedTypedIntoAndClosed) {
    TXServer Server;
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    TDisplayVariable Display(Server.Display());
    ASSERT_TRUE(ForeignDisplayAvailable());
    // A hidden helper window of the same class, made first, does not hide the one on show.
    xcb_connection_t* Helper = xcb_connect(Server.Display().c_str(), nullptr);
    const xcb_window_t HelperWindow = xcb_generate_id(Helper);
    xcb_screen_t* Screen = xcb_setup_roots_iterator(xcb_get_setup(Helper)).data;
    xcb_create_window(Helper, XCB_COPY_FROM_PARENT, HelperWindow, Screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, Screen->root_visual, 0, nullptr);
    xcb_change_property(Helper, XCB_PROP_MODE_REPLACE, HelperWindow, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 17,
                        "probe\0ProbeFrame\0");
    std::free(xcb_get_input_focus_reply(Helper, xcb_get_input_focus(Helper), nullptr));
    TXProbeWindow Probe(Server.Display(), "probe", "ProbeFrame", "Probe title");
    TXProbeWindow Host(Server.Display(), "host", "HostFrame", "Host");

    // Found by either part of its class, by its title, by both; not by what it is not.
    EXPECT_EQ(FindForeignWindow(u"ProbeFrame"), Probe.Window());
    EXPECT_EQ(FindForeignWindow(u"probe"), Probe.Window());
    EXPECT_EQ(FindForeignWindow(String(), u"Probe title"), Probe.Window());
    EXPECT_EQ(FindForeignWindow(u"ProbeFrame", u"Probe title"), Probe.Window());
    EXPECT_EQ(FindForeignWindow(u"ProbeFrame", u"Other"), 0u);
    EXPECT_EQ(FindForeignWindow(u"NoSuchFrame"), 0u);
    EXPECT_EQ(StringToUtf8(ForeignWindowCaption(Probe.Window())), "Probe title");
    EXPECT_TRUE(ForeignWindowExists(Probe.Window()));

    // Taken into the host's window and placed there.
    ASSERT_TRUE(ReparentForeignWindow(Probe.Window(), Host.Window()));
    EXPECT_EQ(ForeignWindowParent(Probe.Window()), Host.Window());
    ASSERT_TRUE(MoveForeignWindow(Probe.Window(), 3, 4, 150, 60));
    SyncForeignDisplay();
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> G(
        xcb_get_geometry_reply(Probe.Connection(), xcb_get_geometry(Probe.Connection(), Probe.Window()), nullptr),
        &free);
    ASSERT_TRUE(G);
    EXPECT_EQ(G->x, 3);
    EXPECT_EQ(G->y, 4);
    EXPECT_EQ(G->width, 150);
    EXPECT_EQ(G->height, 60);
    EXPECT_FALSE(ReparentForeignWindow(Probe.Window(), 0x7FFFFFF0));

    // The keys go to the window with the focus: Ctrl+R as the user would type it.
    ASSERT_TRUE(ShowForeignWindow(Probe.Window(), true));
    SyncForeignDisplay();
    ASSERT_TRUE(ActivateForeignWindow(Probe.Window()));
    EXPECT_EQ(ForeignFocusWindow(), Probe.Window());
    const int Ctrl = ForeignKeyCode(17);
    const int R = ForeignKeyCode('R');
    ASSERT_NE(Ctrl, 0);
    ASSERT_NE(R, 0);
    EXPECT_NE(ForeignKeyCode(13), 0); // Enter
    EXPECT_NE(ForeignKeyCode(112), 0); // F1
    EXPECT_EQ(ForeignKeyCode(255), 0);
    for (auto [Vk, Down] : {std::pair{17, true}, {'R', true}, {'R', false}, {17, false}})
        ASSERT_TRUE(SendForeignKey(Word(Vk), Down));
    EXPECT_FALSE(SendForeignKey(255, true));
    ASSERT_TRUE(Probe.WaitFor([&] { return Probe.Keys.size() >= 4; }));
    ASSERT_EQ(Probe.Keys.size(), 4u);
    EXPECT_TRUE(Probe.Keys[0].Down && Probe.Keys[0].Code == Ctrl);
    EXPECT_TRUE(Probe.Keys[1].Down && Probe.Keys[1].Code == R);
    EXPECT_NE(Probe.Keys[1].State & XCB_MOD_MASK_CONTROL, 0);
    EXPECT_TRUE(!Probe.Keys[2].Down && Probe.Keys[2].Code == R);
    EXPECT_TRUE(!Probe.Keys[3].Down && Probe.Keys[3].Code == Ctrl);

    xcb_disconnect(Helper);
    // Asked to close the way a window manager asks.
    ASSERT_TRUE(CloseForeignWindow(Probe.Window()));
    EXPECT_TRUE(Probe.WaitFor([&] { return Probe.CloseAsked; }));
}

TEST(ForeignWindowsTest, WindowsOnShowTheirProgramsAndTheirBounds) {
    TXServer Server;
    ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
    TDisplayVariable Display(Server.Display());
    TXProbeWindow Probe(Server.Display(), "probe", "ProbeFrame", "Probe");
    TXProbeWindow Host(Server.Display(), "host", "HostFrame", "Host");
    auto Shown = [] { return ForeignTopLevelWindows(); };
    auto Has = [](const std::vector<TForeignWindow>& V, TForeignWindow W) {
        return std::find(V.begin(), V.end(), W) != V.end();
    };
    EXPECT_TRUE(Has(Shown(), Probe.Window()));
    EXPECT_TRUE(Has(Shown(), Host.Window()));
    // The display knows which process made a window: here ours.
    EXPECT_EQ(ForeignWindowProcess(Probe.Window()), int(getpid()));
    EXPECT_EQ(ForeignWindowProcess(0), 0);
    TRect Bounds;
    ASSERT_TRUE(ForeignWindowBounds(Probe.Window(), Bounds));
    EXPECT_EQ(Bounds, TRect(10, 10, 210, 110));
    EXPECT_FALSE(ForeignWindowBounds(0x7FFFFFF0, Bounds));

    // Taken into another window it is no longer at the top; hidden it is not on show.
    ASSERT_TRUE(ReparentForeignWindow(Probe.Window(), Host.Window(), 2, 3));
    SyncForeignDisplay();
    EXPECT_FALSE(Has(Shown(), Probe.Window()));
    ASSERT_TRUE(ForeignWindowBounds(Probe.Window(), Bounds));
    EXPECT_EQ(Bounds.TopLeft(), TPoint(2, 3));
    ASSERT_TRUE(ShowForeignWindow(Host.Window(), false));
    SyncForeignDisplay();
    EXPECT_FALSE(Has(Shown(), Host.Window()));

    TDisplayVariable None("");
    EXPECT_TRUE(ForeignTopLevelWindows().empty());
    EXPECT_EQ(ForeignWindowProcess(Probe.Window()), 0);
}
