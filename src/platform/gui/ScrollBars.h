#pragma once
// Scroll bars of windows: the bars a window gets with WS_HSCROLL / WS_VSCROLL in its
// CreateParams (SB_HORZ, SB_VERT), and scroll bar controls (SB_CTL, a TScrollBar's handle),
// with the Windows calls and their semantics.
//
// A window's bars sit in its non-client area, inside its border: while a bar shows, the client
// area is SM_CXVSCROLL (SM_CYHSCROLL) pixels narrower (lower) and the window gets WM_SIZE. When
// the user works a bar, the window receives WM_VSCROLL / WM_HSCROLL with an SB_* code
// (LParam 0); the window moves the bar itself with SetScrollInfo or SetScrollPos, as on Windows.
// While the thumb is dragged the codes are SB_THUMBTRACK (the position in the high word, cut to
// 16 bits; GetScrollInfo with SIF_TRACKPOS gives the whole value), then SB_THUMBPOSITION and
// SB_ENDSCROLL when the button is released. Arrows and the page areas repeat while held and end
// with SB_ENDSCROLL.
//
// A window made with WS_VSCROLL starts with its bar shown, range 0..100, page 0, position 0.
// Setting a range or page that leaves nothing to scroll hides the bar, or with
// SIF_DISABLENOSCROLL disables it; a range with something to scroll shows it again.

#include "platform/gui/Messages.h"

enum : int {
    SB_HORZ = 0,
    SB_VERT = 1,
    SB_CTL = 2,
    SB_BOTH = 3,
};

enum : UINT {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};

// EnableScrollBar: which arrows to disable.
enum : UINT {
    ESB_ENABLE_BOTH = 0x0000,
    ESB_DISABLE_LEFT = 0x0001,
    ESB_DISABLE_UP = 0x0001,
    ESB_DISABLE_LTUP = 0x0001,
    ESB_DISABLE_RIGHT = 0x0002,
    ESB_DISABLE_DOWN = 0x0002,
    ESB_DISABLE_RTDN = 0x0002,
    ESB_DISABLE_BOTH = 0x0003,
};

// fMask says which fields count (SIF_*). nPage 0 means no page (a square thumb).
struct TScrollInfo {
    UINT cbSize = sizeof(TScrollInfo);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
using SCROLLINFO = TScrollInfo;

// Sets the fields fMask names: the page is kept within 0..nMax - nMin + 1 and the position
// within nMin..nMax - max(nPage - 1, 0). Answers the position now; 0 when there is no such
// window or bar.
int SetScrollInfo(HWND Wnd, int Bar, const TScrollInfo& Info, bool Redraw);
// Fills the fields fMask names (SIF_TRACKPOS: the thumb's position while it is dragged, else
// the position); false when there is no such window or bar.
bool GetScrollInfo(HWND Wnd, int Bar, TScrollInfo& Info);
// Answers the previous position.
int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw);
int GetScrollPos(HWND Wnd, int Bar);
// Min = Max hides a window's bar.
bool SetScrollRange(HWND Wnd, int Bar, int Min, int Max, bool Redraw);
bool GetScrollRange(HWND Wnd, int Bar, int& Min, int& Max);
// Bar SB_HORZ, SB_VERT or SB_BOTH (SB_CTL shows or hides the control).
bool ShowScrollBar(HWND Wnd, int Bar, bool Show);
// Arrows ESB_*; false when nothing changed.
bool EnableScrollBar(HWND Wnd, int Bar, UINT Arrows);
