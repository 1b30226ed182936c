#include "platform/os/ForeignWindows.h"

#include "platform/base/Strings.h"

#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

template <class T> using TReply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> TReply<T> Reply(T* R) {
    return TReply<T>(R, &std::free);
}

// One connection per display name, made on first use and made again when $DISPLAY changes or
// the connection broke (a server that went away).
struct TDisplay {
    std::string Name;
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
    xcb_keycode_t MinKeyCode = 0;
    int KeySymsPerCode = 0;
    std::vector<xcb_keysym_t> KeySyms;
    bool KeyMapLoaded = false;
    bool TestChecked = false;
    bool TestPresent = false;

    ~TDisplay() { Close(); }
    void Close() {
        if (Connection) xcb_disconnect(Connection);
        Connection = nullptr;
        KeyMapLoaded = false;
        TestChecked = false;
        KeySyms.clear();
    }
};

std::mutex DisplayLock;
TDisplay TheDisplay;

// The connection to $DISPLAY, or none.
TDisplay* Display() {
    const char* Env = std::getenv("DISPLAY");
    if (!Env || !*Env) return nullptr;
    if (TheDisplay.Connection &&
        (TheDisplay.Name != Env || xcb_connection_has_error(TheDisplay.Connection)))
        TheDisplay.Close();
    // A server that went away (and one that took its number since) shows only on the next
    // request: one round trip tells before the caller's requests fail.
    if (TheDisplay.Connection) {
        xcb_connection_t* C = TheDisplay.Connection;
        std::free(xcb_get_input_focus_reply(C, xcb_get_input_focus(C), nullptr));
        if (xcb_connection_has_error(C)) TheDisplay.Close();
    }
    if (!TheDisplay.Connection) {
        xcb_connection_t* C = xcb_connect(Env, nullptr);
        if (xcb_connection_has_error(C)) {
            xcb_disconnect(C);
            return nullptr;
        }
        TheDisplay.Connection = C;
        TheDisplay.Name = Env;
        TheDisplay.Root = xcb_setup_roots_iterator(xcb_get_setup(C)).data->root;
    }
    return &TheDisplay;
}

xcb_atom_t Atom(xcb_connection_t* C, const char* Name) {
    auto R = Reply(xcb_intern_atom_reply(C, xcb_intern_atom(C, 0, std::strlen(Name), Name), nullptr));
    return R ? R->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property's bytes (8-bit or 32-bit items), empty when it is not there.
std::string Property(xcb_connection_t* C, xcb_window_t W, xcb_atom_t Name, xcb_atom_t Type) {
    auto R = Reply(xcb_get_property_reply(C, xcb_get_property(C, 0, W, Name, Type, 0, 4096), nullptr));
    if (!R || R->type == XCB_ATOM_NONE) return std::string();
    const int Length = xcb_get_property_value_length(R.get());
    return std::string(static_cast<const char*>(xcb_get_property_value(R.get())), size_t(Length));
}

bool Exists(xcb_connection_t* C, xcb_window_t W) {
    if (!W) return false;
    auto R = Reply(xcb_get_window_attributes_reply(C, xcb_get_window_attributes(C, W), nullptr));
    return bool(R);
}

std::vector<xcb_window_t> Children(xcb_connection_t* C, xcb_window_t W) {
    auto R = Reply(xcb_query_tree_reply(C, xcb_query_tree(C, W), nullptr));
    if (!R) return {};
    const xcb_window_t* First = xcb_query_tree_children(R.get());
    return std::vector<xcb_window_t>(First, First + xcb_query_tree_children_length(R.get()));
}

bool Matches(xcb_connection_t* C, xcb_window_t W, const std::string& Class, const std::string& Caption,
             bool& HasClass) {
    const std::string Classes = Property(C, W, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    HasClass = !Classes.empty();
    if (!HasClass) return false;
    if (!Class.empty()) {
        // WM_CLASS holds the instance name and the class name, each ended by a NUL.
        const size_t Break = Classes.find('\0');
        const std::string Instance = Classes.substr(0, Break);
        const std::string ClassName =
            Break == std::string::npos ? std::string() : std::string(Classes.c_str() + Break + 1);
        if (Instance != Class && ClassName != Class) return false;
    }
    if (!Caption.empty()) {
        std::string Title = Property(C, W, Atom(C, "_NET_WM_NAME"), Atom(C, "UTF8_STRING"));
        if (Title.empty()) Title = Property(C, W, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (Title != Caption) return false;
    }
    return true;
}

void LoadKeyMap(TDisplay& D) {
    if (D.KeyMapLoaded) return;
    D.KeyMapLoaded = true;
    const xcb_setup_t* Setup = xcb_get_setup(D.Connection);
    D.MinKeyCode = Setup->min_keycode;
    const int Count = Setup->max_keycode - Setup->min_keycode + 1;
    auto R = Reply(xcb_get_keyboard_mapping_reply(
        D.Connection, xcb_get_keyboard_mapping(D.Connection, Setup->min_keycode, Byte(Count)), nullptr));
    if (!R) return;
    D.KeySymsPerCode = R->keysyms_per_keycode;
    const xcb_keysym_t* Syms = xcb_get_keyboard_mapping_keysyms(R.get());
    D.KeySyms.assign(Syms, Syms + xcb_get_keyboard_mapping_keysyms_length(R.get()));
}

// The key symbol that a virtual-key code names on a US keyboard; 0 for none.
xcb_keysym_t KeySymOf(Word Vk) {
    if (Vk >= 'A' && Vk <= 'Z') return xcb_keysym_t(Vk - 'A' + 'a');
    if (Vk >= '0' && Vk <= '9') return Vk;
    if (Vk >= 96 && Vk <= 105) return 0xffb0 + (Vk - 96); // the number pad's digits
    if (Vk >= 112 && Vk <= 135) return 0xffbe + (Vk - 112); // F1 .. F24
    switch (Vk) {
    case 3: return 0xff6b;   // Break
    case 8: return 0xff08;   // BackSpace
    case 9: return 0xff09;   // Tab
    case 12: return 0xff0b;  // Clear
    case 13: return 0xff0d;  // Return
    case 16: case 160: return 0xffe1; // Shift
    case 161: return 0xffe2;
    case 17: case 162: return 0xffe3; // Control
    case 163: return 0xffe4;
    case 18: case 164: return 0xffe9; // Alt
    case 165: return 0xffea;
    case 19: return 0xff13;  // Pause
    case 20: return 0xffe5;  // Caps_Lock
    case 27: return 0xff1b;  // Escape
    case 32: return 0x20;
    case 33: return 0xff55;  // Prior
    case 34: return 0xff56;  // Next
    case 35: return 0xff57;  // End
    case 36: return 0xff50;  // Home
    case 37: return 0xff51;  // Left
    case 38: return 0xff52;  // Up
    case 39: return 0xff53;  // Right
    case 40: return 0xff54;  // Down
    case 41: return 0xff60;  // Select
    case 42: case 44: return 0xff61; // Print
    case 43: return 0xff62;  // Execute
    case 45: return 0xff63;  // Insert
    case 46: return 0xffff;  // Delete
    case 47: return 0xff6a;  // Help
    case 91: return 0xffeb;  // Super_L
    case 92: return 0xffec;
    case 93: return 0xff67;  // Menu
    case 106: return 0xffaa; // the number pad's operators
    case 107: return 0xffab;
    case 108: return 0xffac;
    case 109: return 0xffad;
    case 110: return 0xffae;
    case 111: return 0xffaf;
    case 144: return 0xff7f; // Num_Lock
    case 145: return 0xff14; // Scroll_Lock
    case 186: return ';';
    case 187: return '=';
    case 188: return ',';
    case 189: return '-';
    case 190: return '.';
    case 191: return '/';
    case 192: return '`';
    case 219: return '[';
    case 220: return '\\';
    case 221: return ']';
    case 222: return '\'';
    default: return 0;
    }
}

xcb_keycode_t KeyCodeOf(TDisplay& D, Word Vk) {
    const xcb_keysym_t Sym = KeySymOf(Vk);
    if (!Sym) return 0;
    LoadKeyMap(D);
    if (D.KeySymsPerCode <= 0) return 0;
    // The key whose first symbol it is, else one that types it with a modifier.
    for (int Column = 0; Column < D.KeySymsPerCode; ++Column)
        for (size_t I = size_t(Column); I < D.KeySyms.size(); I += size_t(D.KeySymsPerCode))
            if (D.KeySyms[I] == Sym) return xcb_keycode_t(D.MinKeyCode + I / size_t(D.KeySymsPerCode));
    return 0;
}

} // namespace

bool ForeignDisplayAvailable() {
    std::lock_guard Guard(DisplayLock);
    return Display() != nullptr;
}

TForeignWindow FindForeignWindow(const String& ClassName, const String& Caption) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D) return 0;
    const std::string Class = StringToUtf8(ClassName);
    const std::string Title = StringToUtf8(Caption);
    std::vector<xcb_window_t> Found;
    for (xcb_window_t Top : Children(D->Connection, D->Root)) {
        bool HasClass = false;
        if (Matches(D->Connection, Top, Class, Title, HasClass)) Found.push_back(Top);
        if (HasClass) continue;
        // A window manager's frame: the program's own window is inside it.
        for (xcb_window_t Client : Children(D->Connection, Top))
            if (Matches(D->Connection, Client, Class, Title, HasClass)) Found.push_back(Client);
    }
    // A program's hidden helper windows (a group leader, say) share its class: the window on
    // show is its main window.
    for (xcb_window_t W : Found) {
        auto A = Reply(xcb_get_window_attributes_reply(D->Connection, xcb_get_window_attributes(D->Connection, W),
                                                       nullptr));
        if (A && A->map_state == XCB_MAP_STATE_VIEWABLE) return W;
    }
    return Found.empty() ? 0 : Found.front();
}

bool ForeignWindowExists(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    return D && Exists(D->Connection, Window);
}

TForeignWindow ForeignWindowParent(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Window) return 0;
    auto R = Reply(xcb_query_tree_reply(D->Connection, xcb_query_tree(D->Connection, Window), nullptr));
    return R ? R->parent : 0;
}

String ForeignWindowCaption(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Window) return String();
    std::string Title = Property(D->Connection, Window, Atom(D->Connection, "_NET_WM_NAME"),
                                 Atom(D->Connection, "UTF8_STRING"));
    if (Title.empty()) Title = Property(D->Connection, Window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    return Utf8ToString(Title);
}

bool ForeignWindowBounds(TForeignWindow Window, TRect& Bounds) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Window) return false;
    auto G = Reply(xcb_get_geometry_reply(D->Connection, xcb_get_geometry(D->Connection, Window), nullptr));
    if (!G) return false;
    Bounds = TRect(G->x, G->y, G->x + G->width, G->y + G->height);
    return true;
}

std::vector<TForeignWindow> ForeignTopLevelWindows() {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    std::vector<TForeignWindow> Shown;
    if (!D) return Shown;
    xcb_connection_t* C = D->Connection;
    auto Viewable = [C](xcb_window_t W) {
        auto A = Reply(xcb_get_window_attributes_reply(C, xcb_get_window_attributes(C, W), nullptr));
        return A && A->map_state == XCB_MAP_STATE_VIEWABLE;
    };
    for (xcb_window_t Top : Children(C, D->Root)) {
        if (!Viewable(Top)) continue;
        if (!Property(C, Top, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).empty()) {
            Shown.push_back(Top);
            continue;
        }
        // A window manager's frame: the program's window is inside it. A window with no class
        // and no such client is a program's own window that names no class.
        const size_t Before = Shown.size();
        for (xcb_window_t Client : Children(C, Top))
            if (Viewable(Client) && !Property(C, Client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).empty())
                Shown.push_back(Client);
        if (Shown.size() == Before) Shown.push_back(Top);
    }
    return Shown;
}

int ForeignWindowProcess(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Window) return 0;
    xcb_connection_t* C = D->Connection;
    // The server knows the process of each of its local clients (the X-Resource extension).
    const xcb_query_extension_reply_t* Res = xcb_get_extension_data(C, &xcb_res_id);
    if (!Res || !Res->present) return 0;
    xcb_res_client_id_spec_t Spec{Window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto R = Reply(xcb_res_query_client_ids_reply(C, xcb_res_query_client_ids(C, 1, &Spec), nullptr));
    if (!R) return 0;
    for (auto It = xcb_res_query_client_ids_ids_iterator(R.get()); It.rem; xcb_res_client_id_value_next(&It)) {
        const auto& [Asked, Length] = *It.data; // what was asked of the client, and the answer's bytes
        if (!(Asked.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) || Length < 4) continue;
        return int(*xcb_res_client_id_value_value(It.data));
    }
    return 0;
}

bool ReparentForeignWindow(TForeignWindow Window, TForeignWindow Parent, int X, int Y) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Exists(D->Connection, Window) || !Exists(D->Connection, Parent)) return false;
    auto Error = Reply(xcb_request_check(
        D->Connection, xcb_reparent_window_checked(D->Connection, Window, Parent, int16_t(X), int16_t(Y))));
    return !Error;
}

bool MoveForeignWindow(TForeignWindow Window, int X, int Y, int Width, int Height) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Exists(D->Connection, Window)) return false;
    const uint32_t Values[] = {uint32_t(X), uint32_t(Y), uint32_t(Width > 0 ? Width : 1),
                               uint32_t(Height > 0 ? Height : 1)};
    xcb_configure_window(D->Connection, Window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         Values);
    xcb_flush(D->Connection);
    return true;
}

bool ShowForeignWindow(TForeignWindow Window, bool Visible) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Exists(D->Connection, Window)) return false;
    if (Visible)
        xcb_map_window(D->Connection, Window);
    else
        xcb_unmap_window(D->Connection, Window);
    xcb_flush(D->Connection);
    return true;
}

bool ActivateForeignWindow(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D) return false;
    xcb_connection_t* C = D->Connection;
    auto A = Reply(xcb_get_window_attributes_reply(C, xcb_get_window_attributes(C, Window), nullptr));
    // Only a window on show can take the focus.
    if (!A || A->map_state != XCB_MAP_STATE_VIEWABLE) return false;
    const uint32_t Above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(C, Window, XCB_CONFIG_WINDOW_STACK_MODE, &Above);
    // A window manager decides about the focus of top-level windows: it is asked as well.
    xcb_client_message_event_t E{};
    E.response_type = XCB_CLIENT_MESSAGE;
    E.format = 32;
    E.window = Window;
    E.type = Atom(C, "_NET_ACTIVE_WINDOW");
    E.data.data32[0] = 2; // from a pager or tool, as the user's own choice
    xcb_send_event(C, 0, D->Root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&E));
    auto Error = Reply(xcb_request_check(
        C, xcb_set_input_focus_checked(C, XCB_INPUT_FOCUS_POINTER_ROOT, Window, XCB_CURRENT_TIME)));
    if (Error) return false;
    auto F = Reply(xcb_get_input_focus_reply(C, xcb_get_input_focus(C), nullptr));
    return F && F->focus == Window;
}

TForeignWindow ForeignFocusWindow() {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D) return 0;
    auto F = Reply(xcb_get_input_focus_reply(D->Connection, xcb_get_input_focus(D->Connection), nullptr));
    return F && F->focus > 1 ? F->focus : 0;
}

bool CloseForeignWindow(TForeignWindow Window) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D || !Exists(D->Connection, Window)) return false;
    xcb_connection_t* C = D->Connection;
    const xcb_atom_t Protocols = Atom(C, "WM_PROTOCOLS");
    const xcb_atom_t Delete = Atom(C, "WM_DELETE_WINDOW");
    const std::string List = Property(C, Window, Protocols, XCB_ATOM_ATOM);
    bool Takes = false;
    for (size_t I = 0; I + sizeof(xcb_atom_t) <= List.size(); I += sizeof(xcb_atom_t)) {
        xcb_atom_t A;
        std::memcpy(&A, List.data() + I, sizeof A);
        Takes = Takes || A == Delete;
    }
    if (Takes) {
        xcb_client_message_event_t E{};
        E.response_type = XCB_CLIENT_MESSAGE;
        E.format = 32;
        E.window = Window;
        E.type = Protocols;
        E.data.data32[0] = Delete;
        E.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(C, 0, Window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&E));
    } else {
        xcb_kill_client(C, Window);
    }
    xcb_flush(C);
    return true;
}

Byte ForeignKeyCode(Word VirtualKey) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    return D ? KeyCodeOf(*D, VirtualKey) : 0;
}

bool SendForeignKey(Word VirtualKey, bool Down) {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D) return false;
    if (!D->TestChecked) {
        D->TestChecked = true;
        const xcb_query_extension_reply_t* Ext = xcb_get_extension_data(D->Connection, &xcb_test_id);
        D->TestPresent = Ext && Ext->present;
    }
    if (!D->TestPresent) return false;
    const xcb_keycode_t Code = KeyCodeOf(*D, VirtualKey);
    if (!Code) return false;
    xcb_test_fake_input(D->Connection, Down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, Code, XCB_CURRENT_TIME,
                        XCB_NONE, 0, 0, 0);
    xcb_flush(D->Connection);
    return true;
}

void SyncForeignDisplay() {
    std::lock_guard Guard(DisplayLock);
    TDisplay* D = Display();
    if (!D) return;
    // Any request with a reply comes back only after everything sent before it was handled.
    std::free(xcb_get_input_focus_reply(D->Connection, xcb_get_input_focus(D->Connection), nullptr));
}
