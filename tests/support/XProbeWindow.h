#pragma once
// A window of another program for tests of what our programs do to other programs' windows: a
// plain X client of its own connection, with a class, a title and the close protocol, which
// records the keys and the close request it receives. And $DISPLAY for the length of a scope.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// $DISPLAY for the length of a scope.
class TDisplayVariable {
public:
    explicit TDisplayVariable(const std::string& Value) {
        if (const char* Old = std::getenv("DISPLAY")) FOld = Old;
        if (Value.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", Value.c_str(), 1);
    }
    ~TDisplayVariable() {
        if (FOld)
            setenv("DISPLAY", FOld->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    TDisplayVariable(const TDisplayVariable&) = delete;
    TDisplayVariable& operator=(const TDisplayVariable&) = delete;

private:
    std::optional<std::string> FOld;
};

// Another program's window: a client of its own connection with a class, a title and the close
// protocol, which records the events it receives.
class TXProbeWindow {
public:
    TXProbeWindow(const std::string& Display, const std::string& Instance, const std::string& Class,
                 const std::string& Title)
        : FC(xcb_connect(Display.c_str(), nullptr)) {
        if (xcb_connection_has_error(FC)) throw std::runtime_error("no connection");
        xcb_screen_t* Screen = xcb_setup_roots_iterator(xcb_get_setup(FC)).data;
        FWindow = xcb_generate_id(FC);
        const uint32_t Mask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                              XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE;
        xcb_create_window(FC, XCB_COPY_FROM_PARENT, FWindow, Screen->root, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, Screen->root_visual, XCB_CW_EVENT_MASK, &Mask);
        const std::string Classes = Instance + '\0' + Class + '\0';
        xcb_change_property(FC, XCB_PROP_MODE_REPLACE, FWindow, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(Classes.size()), Classes.data());
        xcb_change_property(FC, XCB_PROP_MODE_REPLACE, FWindow, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(Title.size()), Title.data());
        FProtocols = Atom("WM_PROTOCOLS");
        FDelete = Atom("WM_DELETE_WINDOW");
        xcb_change_property(FC, XCB_PROP_MODE_REPLACE, FWindow, FProtocols, XCB_ATOM_ATOM, 32, 1, &FDelete);
        xcb_map_window(FC, FWindow);
        xcb_flush(FC);
        WaitFor([this] { return Mapped; });
    }
    ~TXProbeWindow() { xcb_disconnect(FC); }
    TXProbeWindow(const TXProbeWindow&) = delete;
    TXProbeWindow& operator=(const TXProbeWindow&) = delete;

    xcb_window_t Window() const { return FWindow; }
    xcb_connection_t* Connection() const { return FC; }
    xcb_atom_t Atom(const char* Name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> R(
            xcb_intern_atom_reply(FC, xcb_intern_atom(FC, 0, std::strlen(Name), Name), nullptr), &free);
        return R->atom;
    }

    struct TKey {
        bool Down;
        int Code;
        int State;
    };
    std::vector<TKey> Keys;
    bool Mapped = false;
    bool CloseAsked = false;

    // Reads events until Condition holds; false when it does not come within the deadline.
    bool WaitFor(const std::function<bool()>& Condition) {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Condition()) {
            while (xcb_generic_event_t* E = xcb_poll_for_event(FC)) {
                Handle(E);
                free(E);
            }
            if (Condition()) return true;
            if (std::chrono::steady_clock::now() > Deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

private:
    xcb_connection_t* FC;
    xcb_window_t FWindow = 0;
    xcb_atom_t FProtocols = 0;
    xcb_atom_t FDelete = 0;

    void Handle(xcb_generic_event_t* E) {
        switch (E->response_type & 0x7F) {
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE: {
            auto* K = reinterpret_cast<xcb_key_press_event_t*>(E);
            Keys.push_back({(E->response_type & 0x7F) == XCB_KEY_PRESS, K->detail, K->state});
            break;
        }
        case XCB_MAP_NOTIFY:
            Mapped = true;
            break;
        case XCB_CLIENT_MESSAGE: {
            auto* M = reinterpret_cast<xcb_client_message_event_t*>(E);
            if (M->type == FProtocols && M->data.data32[0] == FDelete) CloseAsked = true;
            break;
        }
        default:
            break;
        }
    }
};

