// Brenvik started as a user starts it, on an X server of the test's own: the first start without
// a settings file, the port chosen and saved in the set-up dialog, the restart that opens that
// port at once, and the program ending when its window is closed.

#include "serial/ComPortSetup.h"
#include "serial/ComScan.h"
#include "serial/SerComPort.h"

#include "support/PtyPair.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"
#include "support/XTestSupport.h"

#include "platform/base/Files.h"
#include "platform/os/SerialDevice.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A client of the test's X server: the windows shown and their titles, and the close request a
// window manager sends.
class TXClient {
public:
    explicit TXClient(const std::string& Display) : FConnection(xcb_connect(Display.c_str(), nullptr)) {
        if (xcb_connection_has_error(FConnection)) throw std::runtime_error("no connection to " + Display);
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
    }
    ~TXClient() { xcb_disconnect(FConnection); }
    TXClient(const TXClient&) = delete;
    TXClient& operator=(const TXClient&) = delete;

    struct TWindow {
        xcb_window_t Id;
        std::string Title;
    };
    // The top-level windows that can be seen and have a title.
    std::vector<TWindow> Shown() {
        std::vector<TWindow> Out;
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> Tree(
            xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, FRoot), nullptr), &free);
        if (!Tree) return Out;
        const xcb_window_t* Children = xcb_query_tree_children(Tree.get());
        for (int I = 0; I < xcb_query_tree_children_length(Tree.get()); ++I) {
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> A(
                xcb_get_window_attributes_reply(FConnection, xcb_get_window_attributes(FConnection, Children[I]),
                                                nullptr),
                &free);
            if (!A || A->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            std::string Title = Property(Children[I], Atom("_NET_WM_NAME"));
            if (Title.empty()) Title = Property(Children[I], XCB_ATOM_WM_NAME);
            if (!Title.empty()) Out.push_back({Children[I], Title});
        }
        return Out;
    }
    void Close(xcb_window_t Window) {
        xcb_client_message_event_t E{};
        E.response_type = XCB_CLIENT_MESSAGE;
        E.format = 32;
        E.window = Window;
        E.type = Atom("WM_PROTOCOLS");
        E.data.data32[0] = Atom("WM_DELETE_WINDOW");
        E.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(FConnection, 0, Window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&E));
        xcb_flush(FConnection);
    }

private:
    xcb_connection_t* FConnection;
    xcb_window_t FRoot = 0;

    xcb_atom_t Atom(const char* Name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> R(
            xcb_intern_atom_reply(FConnection, xcb_intern_atom(FConnection, 0, std::strlen(Name), Name), nullptr),
            &free);
        return R ? R->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    std::string Property(xcb_window_t Window, xcb_atom_t Name) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> R(
            xcb_get_property_reply(
                FConnection, xcb_get_property(FConnection, 0, Window, Name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                nullptr),
            &free);
        if (!R) return std::string();
        return std::string(static_cast<const char*>(xcb_get_property_value(R.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(R.get())));
    }
};

// Whether this process could take the port now (it is present and nobody holds it).
bool PortFree(int ComNumber) {
    TSerialDevice Device;
    return Device.Open(ComNumber) == sorOpened;
}

template <class F> bool Within(int Milliseconds, F Condition) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
    while (!Condition()) {
        if (std::chrono::steady_clock::now() > Deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string Titles(const std::vector<TXClient::TWindow>& Windows) {
    std::string Out;
    for (const auto& W : Windows) Out += "\"" + W.Title + "\" ";
    return Out;
}

struct BrenvikProgram : ::testing::Test {
    TTempFolder Temp;
    TXServer Server;
    TPtyPair Pair{Temp.Sys("ports"), 3, 0};
    // The program in a folder of the test's own, so that its settings file lies there too.
    std::string Program = Temp.Sys("Brenvik");
    std::string Settings = Temp.Sys("Brenvik.ConfSer");

    void SetUp() override {
        ASSERT_FALSE(Server.Display().empty()) << "Xvfb did not start";
        std::error_code Error;
        std::filesystem::create_hard_link(BRENVIK_PROGRAM, Program, Error);
        if (Error) std::filesystem::copy_file(BRENVIK_PROGRAM, Program);
    }

    // Starts the program as a user would (real questions, the X server's windows) and waits
    // until it shows its window; gives that window.
    std::unique_ptr<TChild> Start(const std::string& Title, xcb_window_t& Window, TXClient& X) {
        auto Child = std::make_unique<TChild>(
            std::vector<std::string>{Program},
            std::vector<std::pair<std::string, std::string>>{
                {"DISPLAY", Server.Display()}, {"QT_QPA_PLATFORM", "xcb"}, {"MORVANE_SCRIPTED_QUESTIONS", ""}});
        std::vector<TXClient::TWindow> Seen;
        const bool Up = Within(30000, [&] {
            Seen = X.Shown();
            return !Seen.empty();
        });
        EXPECT_TRUE(Up) << "no window";
        // Its window and nothing else: a message box would come first and stand alone.
        if (Up) std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Seen = X.Shown();
        EXPECT_EQ(Seen.size(), 1u) << Titles(Seen);
        Window = Seen.empty() ? 0 : Seen[0].Id;
        EXPECT_EQ(Seen.empty() ? std::string() : Seen[0].Title, Title) << Titles(Seen);
        return Child;
    }
    // Closes the window as a window manager does and waits for the program to end.
    void CloseAndExpectTheEnd(TChild& Child, xcb_window_t Window, TXClient& X) {
        X.Close(Window);
        const std::optional<int> Code = Child.WaitFor(20000);
        ASSERT_TRUE(Code.has_value()) << "the program did not end with its window";
        EXPECT_EQ(*Code, 0);
    }
};

} // namespace

TEST_F(BrenvikProgram, StartsClosedThenReopensTheSavedPortAndEndsWithItsWindow) {
    TXClient X(Server.Display());
    xcb_window_t Window = 0;
    {
        // The first start: no settings file, the port closed, no message.
        auto Child = Start("Arduino terminal QZ", Window, X);
        EXPECT_TRUE(PortFree(3));
        CloseAndExpectTheEnd(*Child, Window, X);
        EXPECT_FALSE(std::filesystem::exists(Settings)); // nothing writes it but "Save"
    }

    // The user picks the pseudo-terminal's COM number with "Active" ticked and saves, through
    // the program's own set-up dialog and its settings file.
    const String Old = ProgramFile();
    SetProgramFileOverride(Utf8ToString(Program));
    {
        // As "Set serial port" shows it: the terminal's port, closed, with its settings.
        TSerComPort Port(nullptr);
        Port.SetName(u"ComPort");
        TfrmComPortSetup Dialog(nullptr, smhStandalone);
        Dialog.SetCom(&Port);
        Dialog.ComPortName = Port.Name();
        Dialog.Show();
        const int Entry = IndexOfComPort(Dialog.lstComs->Items(), 3);
        ASSERT_GE(Entry, 0);
        const TRect R = Dialog.lstComs->ItemRect(Entry);
        ClickMessages(Dialog.lstComs, {R.Left + 5, R.Top + 3});
        Dialog.chkComActive->SetChecked(true);
        Dialog.cbbBaudRate->SetItemIndex(br9600);
        ClickMessages(Dialog.bbtnSave, {10, 10});
    }
    SetProgramFileOverride(Old);
    ASSERT_TRUE(std::filesystem::exists(Settings));
    const std::string Saved = ReadBytes(Settings);
    EXPECT_NE(Saved.find("Active=1"), std::string::npos) << Saved;
    EXPECT_NE(Saved.find("ComNr=3"), std::string::npos) << Saved;

    {
        // The restart opens that port at once.
        auto Child = Start(" <COM3, br9600> on " + std::filesystem::canonical(Pair.Link(3)).string(), Window, X);
        EXPECT_FALSE(PortFree(3));
        Pair.Send("Hello from the peer\r\n");
        CloseAndExpectTheEnd(*Child, Window, X);
    }
    EXPECT_TRUE(PortFree(3));
    EXPECT_EQ(ReadBytes(Settings), Saved);
}
