#pragma once
// What an X server says about the frames that a window manager draws around client windows,
// and a window manager of a test's own (openbox) on a test's X server.

#include "support/XTestSupport.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

struct TFrame {
    int X, Y, Width, Height; // the window manager's frame, on the root window
    int ClientY;             // the client window's top on the root window
};

// What the X server says about windows: the frame that holds a client window.
class TXFrames {
public:
    explicit TXFrames(const std::string& Display) : FC(xcb_connect(Display.c_str(), nullptr)) {
        if (xcb_connection_has_error(FC)) throw std::runtime_error("no connection");
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FC)).data->root;
    }
    ~TXFrames() { xcb_disconnect(FC); }
    TXFrames(const TXFrames&) = delete;
    TXFrames& operator=(const TXFrames&) = delete;

    // The client windows that the window manager manages.
    std::vector<xcb_window_t> Clients() {
        std::vector<xcb_window_t> Out;
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> P(
            xcb_get_property_reply(FC, xcb_get_property(FC, 0, FRoot, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 1024),
                                   nullptr),
            &free);
        if (!P || P->format != 32) return Out;
        const auto* W = static_cast<const xcb_window_t*>(xcb_get_property_value(P.get()));
        Out.assign(W, W + xcb_get_property_value_length(P.get()) / 4);
        return Out;
    }
    // Whether a window manager runs (it owns the selection of screen 0).
    bool ManagerRuns() {
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> O(
            xcb_get_selection_owner_reply(FC, xcb_get_selection_owner(FC, Atom("WM_S0")), nullptr), &free);
        return O && O->owner != 0;
    }
    // The frame of a client window once the window manager has put one around it.
    std::optional<TFrame> FrameOf(xcb_window_t Client) {
        xcb_window_t W = Client;
        for (;;) {
            std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> T(
                xcb_query_tree_reply(FC, xcb_query_tree(FC, W), nullptr), &free);
            if (!T) return std::nullopt;
            if (T->parent == FRoot) break;
            W = T->parent;
        }
        if (W == Client) return std::nullopt;
        const auto Frame = Geometry(W), Inner = Geometry(Client);
        if (!Frame || !Inner) return std::nullopt;
        return TFrame{Frame->X, Frame->Y, Frame->Width, Frame->Height, Inner->Y};
    }

private:
    xcb_connection_t* FC;
    xcb_window_t FRoot;

    xcb_atom_t Atom(const std::string& Name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> A(
            xcb_intern_atom_reply(FC, xcb_intern_atom(FC, 0, uint16_t(Name.size()), Name.c_str()), nullptr), &free);
        return A ? A->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    std::optional<TFrame> Geometry(xcb_window_t W) {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> G(
            xcb_get_geometry_reply(FC, xcb_get_geometry(FC, W), nullptr), &free);
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&free)> P(
            xcb_translate_coordinates_reply(FC, xcb_translate_coordinates(FC, W, FRoot, 0, 0), nullptr), &free);
        if (!G || !P) return std::nullopt;
        return TFrame{P->dst_x, P->dst_y, G->width, G->height, P->dst_y};
    }
};

// Openbox on the display, ready when its object is made (Ready() tells whether it came up).
class TWindowManager {
public:
    explicit TWindowManager(const std::string& Display)
        : FManager({"openbox", "--sm-disable"}, {{"DISPLAY", Display}}, true), FFrames(Display) {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(FReady = FFrames.ManagerRuns()) && std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    bool Ready() const { return FReady; }
    TXFrames& Frames() { return FFrames; }

private:
    TChild FManager;
    TXFrames FFrames;
    bool FReady = false;
};
