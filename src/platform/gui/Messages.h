#pragma once
// Window messages: handles, message records, the message numbers, virtual-key codes, shift
// states, and the window calls (send, post, invalidate, focus, capture, timers). Numbers keep
// their Windows values, because files and other windows depend on them.
//
// A handle (HWND) is an opaque number that the layer maps to its window: a windowed control
// (FindControl) or a hidden window made by AllocateHWnd. Calls on a handle that no longer
// exists do nothing and answer 0.

#include "platform/base/Geometry.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"
#include "platform/gui/ShiftState.h"

#include <cstdint>
#include <functional>

class TWinControl;
class TControl;

using HWND = std::uintptr_t;
using UINT = Cardinal;
using DWORD = Cardinal;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using HDC = std::uintptr_t;
using HCURSOR = std::intptr_t; // a cursor handle is its TCursor value
using UINT_PTR = std::uintptr_t;

inline Word LOWORD(std::uintptr_t V) {
    return static_cast<Word>(V & 0xFFFF);
}
inline Word HIWORD(std::uintptr_t V) {
    return static_cast<Word>((V >> 16) & 0xFFFF);
}
inline LPARAM MAKELPARAM(int Lo, int Hi) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<Word>(Lo)) |
                               (static_cast<DWORD>(static_cast<Word>(Hi)) << 16));
}
inline WPARAM MAKEWPARAM(int Lo, int Hi) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(Lo, Hi)));
}
// Signed coordinates packed into a parameter.
inline int GET_X_LPARAM(LPARAM L) {
    return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(L)));
}
inline int GET_Y_LPARAM(LPARAM L) {
    return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(L)));
}
inline LPARAM PointToLParam(const TPoint& P) {
    return MAKELPARAM(P.X, P.Y);
}

// ---- The message record and its typed views ---------------------------------------------------

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    Word WParamLo() const { return LOWORD(WParam); }
    Word WParamHi() const { return HIWORD(WParam); }
    Word LParamLo() const { return LOWORD(static_cast<std::uintptr_t>(LParam)); }
    Word LParamHi() const { return HIWORD(static_cast<std::uintptr_t>(LParam)); }
};

// A typed record is the message itself with readers and writers for its parameters, so that
// a handler taking a TWMKey& can pass it on to a handler of TMessage& unchanged.
#define MESSAGE_RECORD(Name)                                                                                 \
    Name() = default;                                                                                        \
    explicit Name(const TMessage& M) : TMessage(M) {}

// Keys and characters (WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYS*, CM_DIALOGKEY, CM_WANTSPECIALKEY…).
// KeyData: repeat count (bits 0-15), scan code (16-23), Alt held (bit 29), previously down
// (bit 30), being released (bit 31).
struct TWMKey : TMessage {
    MESSAGE_RECORD(TWMKey)
    Word CharCode() const { return LOWORD(WParam); }
    void SetCharCode(Word Value) { WParam = Value; }
    int KeyData() const { return static_cast<int>(LParam); }
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TWMSysKeyDown = TWMKey;
using TWMSysKeyUp = TWMKey;
using TWMSysChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

constexpr int KF_ALTDOWN_BIT = 0x20000000;
constexpr int KF_REPEAT_BIT = 0x40000000;
constexpr unsigned KF_UP_BIT = 0x80000000u;

// Mouse buttons and moves: Keys are MK_* flags, the position is in client coordinates.
struct TWMMouse : TMessage {
    MESSAGE_RECORD(TWMMouse)
    int Keys() const { return static_cast<int>(WParam); }
    int XPos() const { return GET_X_LPARAM(LParam); }
    int YPos() const { return GET_Y_LPARAM(LParam); }
    TPoint Pos() const { return {XPos(), YPos()}; }
    void SetPos(const TPoint& P) { LParam = PointToLParam(P); }
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMLButtonDblClk = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMMButtonDown = TWMMouse;
using TWMMButtonUp = TWMMouse;
using TWMMouseMove = TWMMouse;

// The wheel: Keys and the delta (multiples of WHEEL_DELTA, positive away from the user) in
// WParam, the pointer in screen coordinates.
struct TWMMouseWheel : TMessage {
    MESSAGE_RECORD(TWMMouseWheel)
    int Keys() const { return LOWORD(WParam); }
    int WheelDelta() const { return static_cast<std::int16_t>(HIWORD(WParam)); }
    int XPos() const { return GET_X_LPARAM(LParam); }
    int YPos() const { return GET_Y_LPARAM(LParam); }
    TPoint Pos() const { return {XPos(), YPos()}; }
};

struct TWMSize : TMessage {
    MESSAGE_RECORD(TWMSize)
    int SizeType() const { return static_cast<int>(WParam); } // SIZE_*
    int Width() const { return LParamLo(); }
    int Height() const { return LParamHi(); }
};

struct TWMMove : TMessage {
    MESSAGE_RECORD(TWMMove)
    int XPos() const { return GET_X_LPARAM(LParam); }
    int YPos() const { return GET_Y_LPARAM(LParam); }
};

struct TWMPaint : TMessage {
    MESSAGE_RECORD(TWMPaint)
    HDC DC() const { return WParam; }
};

struct TWMEraseBkgnd : TMessage {
    MESSAGE_RECORD(TWMEraseBkgnd)
    HDC DC() const { return WParam; }
};

// WM_SETFOCUS: the window that lost the focus; WM_KILLFOCUS: the one that receives it.
struct TWMSetFocus : TMessage {
    MESSAGE_RECORD(TWMSetFocus)
    HWND FocusedWnd() const { return WParam; }
};
using TWMKillFocus = TWMSetFocus;

struct TWMTimer : TMessage {
    MESSAGE_RECORD(TWMTimer)
    UINT_PTR TimerID() const { return WParam; }
};

struct TWMCommand : TMessage {
    MESSAGE_RECORD(TWMCommand)
    Word ItemID() const { return WParamLo(); }
    Word NotifyCode() const { return WParamHi(); }
    HWND Ctl() const { return static_cast<HWND>(LParam); }
};

struct TNMHdr {
    HWND hwndFrom = 0;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

struct TWMNotify : TMessage {
    MESSAGE_RECORD(TWMNotify)
    int IDCtrl() const { return static_cast<int>(WParam); }
    TNMHdr* NMHdr() const { return reinterpret_cast<TNMHdr*>(LParam); }
};

struct TWMSetCursor : TMessage {
    MESSAGE_RECORD(TWMSetCursor)
    HWND CursorWnd() const { return WParam; }
    int HitTest() const { return static_cast<std::int16_t>(LParamLo()); }
    int MouseMsg() const { return LParamHi(); }
};

// WM_NCHITTEST: the point in screen coordinates; the answer (HT*) goes into Result.
struct TWMNCHitTest : TMessage {
    MESSAGE_RECORD(TWMNCHitTest)
    int XPos() const { return GET_X_LPARAM(LParam); }
    int YPos() const { return GET_Y_LPARAM(LParam); }
    TPoint Pos() const { return {XPos(), YPos()}; }
};

struct TWindowPos {
    HWND hwnd = 0;
    HWND hwndInsertAfter = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
};

// WM_WINDOWPOSCHANGING (a handler may change the record) and WM_WINDOWPOSCHANGED.
struct TWMWindowPosMsg : TMessage {
    MESSAGE_RECORD(TWMWindowPosMsg)
    TWindowPos* WindowPos() const { return reinterpret_cast<TWindowPos*>(LParam); }
};
using TWMWindowPosChanging = TWMWindowPosMsg;
using TWMWindowPosChanged = TWMWindowPosMsg;

// WM_GETDLGCODE: the control answers DLGC_* flags in Result.
struct TWMGetDlgCode : TMessage {
    MESSAGE_RECORD(TWMGetDlgCode)
};

// WM_CAPTURECHANGED: LParam is the window that takes the capture (0 for none).
struct TWMCaptureChanged : TMessage {
    MESSAGE_RECORD(TWMCaptureChanged)
    HWND NewCapture() const { return static_cast<HWND>(LParam); }
};

// WM_CONTEXTMENU: the window clicked and the point in screen coordinates; (-1, -1) when the
// menu was asked for by keyboard.
struct TWMContextMenu : TMessage {
    MESSAGE_RECORD(TWMContextMenu)
    HWND hWnd() const { return WParam; }
    int XPos() const { return GET_X_LPARAM(LParam); }
    int YPos() const { return GET_Y_LPARAM(LParam); }
    TPoint Pos() const { return {XPos(), YPos()}; }
};

struct TWMShowWindow : TMessage {
    MESSAGE_RECORD(TWMShowWindow)
    bool Show() const { return WParam != 0; }
    int Status() const { return static_cast<int>(LParam); }
};

// Messages without parameters.
struct TWMNoParams : TMessage {
    MESSAGE_RECORD(TWMNoParams)
};
using TWMCancelMode = TWMNoParams;
using TWMClose = TWMNoParams;
using TWMDestroy = TWMNoParams;
using TWMNCPaint = TWMNoParams;

struct TWMScroll : TMessage {
    MESSAGE_RECORD(TWMScroll)
    int ScrollCode() const { return WParamLo(); } // SB_*
    int Pos() const { return static_cast<std::int16_t>(WParamHi()); }
    HWND ScrollBar() const { return static_cast<HWND>(LParam); }
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

// CM_CHILDKEY: the key and the control it was pressed in; a non-zero Result eats the key.
struct TCMChildKey : TMessage {
    MESSAGE_RECORD(TCMChildKey)
    Word CharCode() const { return WParamLo(); }
    void SetCharCode(Word Value) { WParam = Value; }
    TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(LParam); }
};

// CM_FOCUSCHANGED: the control that received the focus.
struct TCMFocusChanged : TMessage {
    MESSAGE_RECORD(TCMFocusChanged)
    TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(LParam); }
};

// CM_CONTROLCHANGE: a child control is inserted (Inserting) or removed.
struct TCMControlChange : TMessage {
    MESSAGE_RECORD(TCMControlChange)
    TControl* Control() const { return reinterpret_cast<TControl*>(WParam); }
    bool Inserting() const { return LParam != 0; }
};

// CM_CONTROLLISTCHANGE: a control is about to become a child (Inserting; the parent may refuse
// it by raising) or has stopped being one.
using TCMControlListChange = TCMControlChange;

struct THintInfo;
// CM_HINTSHOW: the control may change the hint about to be shown; a non-zero Result hides it.
struct TCMHintShow : TMessage {
    MESSAGE_RECORD(TCMHintShow)
    THintInfo* HintInfo() const { return reinterpret_cast<THintInfo*>(LParam); }
};

// CM_HINTSHOWPAUSE: the pause before the control's hint shows. WParam: whether a hint was shown
// just before; LParam points to the pause (ms), which the control may change. A control that
// answers a non-zero Result runs the pause itself and shows its hint through
// TApplication::ActivateHint(Control, CursorPos) when it ends.
struct TCMHintShowPause : TMessage {
    MESSAGE_RECORD(TCMHintShowPause)
    bool WasActive() const { return WParam != 0; }
    int* Pause() const { return reinterpret_cast<int*>(LParam); }
};

// CM_MOUSEENTER / CM_MOUSELEAVE: LParam is the control the pointer entered or left (the
// message climbs the parent chain with it).
struct TCMMouseEnterLeave : TMessage {
    MESSAGE_RECORD(TCMMouseEnterLeave)
    TControl* Control() const { return reinterpret_cast<TControl*>(LParam); }
};

#undef MESSAGE_RECORD

// A message as the message loop sees it before handing it to its window (TApplication's
// OnMessage): the window (0 for a message to the program itself), the message, the time it
// arrived (GetTickCount) and the pointer's screen position then.
struct TMsg {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    TPoint pt;
};

// ---- Message numbers --------------------------------------------------------------------------

enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_WININICHANGE = 0x001A,
    WM_SETTINGCHANGE = WM_WININICHANGE,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_NEXTDLGCTL = 0x0028,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_GETOBJECT = 0x003D,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_NOTIFY = 0x004E,
    WM_HELP = 0x0053,
    WM_CONTEXTMENU = 0x007B,
    WM_STYLECHANGING = 0x007C,
    WM_STYLECHANGED = 0x007D,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_GETDLGCODE = 0x0087,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_NCRBUTTONDOWN = 0x00A4,
    WM_NCRBUTTONUP = 0x00A5,
    WM_NCRBUTTONDBLCLK = 0x00A6,
    WM_NCMBUTTONDOWN = 0x00A7,
    WM_NCMBUTTONUP = 0x00A8,
    WM_NCMBUTTONDBLCLK = 0x00A9,
    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_SYSDEADCHAR = 0x0107,
    WM_UNICHAR = 0x0109,
    WM_KEYLAST = 0x0109,
    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENU = 0x0116,
    WM_INITMENUPOPUP = 0x0117,
    WM_MENUSELECT = 0x011F,
    WM_MENUCHAR = 0x0120,
    WM_ENTERIDLE = 0x0121,
    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSEHWHEEL = 0x020E,
    WM_MOUSELAST = 0x020E,
    WM_PARENTNOTIFY = 0x0210,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_CAPTURECHANGED = 0x0215,
    WM_MOVING = 0x0216,
    WM_DROPFILES = 0x0233,
    WM_IME_SETCONTEXT = 0x0281,
    WM_IME_NOTIFY = 0x0282,
    WM_IME_CHAR = 0x0286,
    WM_MOUSEHOVER = 0x02A1,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_PRINT = 0x0317,
    WM_PRINTCLIENT = 0x0318,
    WM_THEMECHANGED = 0x031A,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// Messages of the component library.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0,
    CM_DEACTIVATE = CM_BASE + 1,
    CM_GOTFOCUS = CM_BASE + 2,
    CM_LOSTFOCUS = CM_BASE + 3,
    CM_CANCELMODE = CM_BASE + 4,
    CM_DIALOGKEY = CM_BASE + 5,
    CM_DIALOGCHAR = CM_BASE + 6,
    CM_FOCUSCHANGED = CM_BASE + 7,
    CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_HITTEST = CM_BASE + 10,
    CM_VISIBLECHANGED = CM_BASE + 11,
    CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14,
    CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16,
    CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18,
    CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CM_MENUCHANGED = CM_BASE + 21,
    CM_APPKEYDOWN = CM_BASE + 22,
    CM_APPSYSCOMMAND = CM_BASE + 23,
    CM_BUTTONPRESSED = CM_BASE + 24,
    CM_SHOWINGCHANGED = CM_BASE + 25,
    CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27,
    CM_DESIGNHITTEST = CM_BASE + 28,
    CM_ICONCHANGED = CM_BASE + 29,
    CM_WANTSPECIALKEY = CM_BASE + 30,
    CM_INVOKEHELP = CM_BASE + 31,
    CM_WINDOWHOOK = CM_BASE + 32,
    CM_RELEASE = CM_BASE + 33,
    CM_SHOWHINTCHANGED = CM_BASE + 34,
    CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
    CM_SYSCOLORCHANGE = CM_BASE + 36,
    CM_WININICHANGE = CM_BASE + 37,
    CM_FONTCHANGE = CM_BASE + 38,
    CM_TIMECHANGE = CM_BASE + 39,
    CM_TABSTOPCHANGED = CM_BASE + 40,
    CM_UIACTIVATE = CM_BASE + 41,
    CM_UIDEACTIVATE = CM_BASE + 42,
    CM_DOCWINDOWACTIVATE = CM_BASE + 43,
    CM_CONTROLLISTCHANGE = CM_BASE + 44,
    CM_GETDATALINK = CM_BASE + 45,
    CM_CHILDKEY = CM_BASE + 46,
    CM_DRAG = CM_BASE + 47,
    CM_HINTSHOW = CM_BASE + 48,
    CM_DIALOGHANDLE = CM_BASE + 49,
    CM_ISTOOLCONTROL = CM_BASE + 50,
    CM_RECREATEWND = CM_BASE + 51,
    CM_INVALIDATE = CM_BASE + 52,
    CM_SYSFONTCHANGED = CM_BASE + 53,
    CM_CONTROLCHANGE = CM_BASE + 54,
    CM_CHANGED = CM_BASE + 55,
    CM_BORDERCHANGED = CM_BASE + 59,
    CM_BIDIMODECHANGED = CM_BASE + 60,
    CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
    CM_HINTSHOWPAUSE = CM_BASE + 65,
    CM_MOUSEWHEEL = CM_BASE + 67,
};

// Notifications reflected back to the control that caused them.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
};

// Parameters.
enum : int {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
    WHEEL_DELTA = 120,

    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXIMIZED = 2,

    WA_INACTIVE = 0,
    WA_ACTIVE = 1,
    WA_CLICKACTIVE = 2,

    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020,
    DLGC_RADIOBUTTON = 0x0040,
    DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100,
    DLGC_BUTTON = 0x2000,

    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTSYSMENU = 3,
    HTGROWBOX = 4,
    HTMENU = 5,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTMINBUTTON = 8,
    HTMAXBUTTON = 9,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
    HTCLOSE = 20,
    HTHELP = 21,

    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
    SWP_NOCOPYBITS = 0x0100,
    SWP_NOOWNERZORDER = 0x0200,
    SWP_NOSENDCHANGING = 0x0400,
    SWP_DEFERERASE = 0x2000,
    SWP_ASYNCWINDOWPOS = 0x4000,

    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,

    SMTO_NORMAL = 0x0000,
    SMTO_BLOCK = 0x0001,
    SMTO_ABORTIFHUNG = 0x0002,
    SMTO_NOTIMEOUTIFNOTHUNG = 0x0008,

    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,

    SC_SIZE = 0xF000,
    SC_MOVE = 0xF010,
    SC_MINIMIZE = 0xF020,
    SC_MAXIMIZE = 0xF030,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,

    SW_SCROLLCHILDREN = 0x0001,
    SW_INVALIDATE = 0x0002,
    SW_ERASE = 0x0004,
};

// Insert-after values of SetWindowPos.
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = static_cast<HWND>(-1);
constexpr HWND HWND_NOTOPMOST = static_cast<HWND>(-2);

// ---- Virtual keys and shift states ------------------------------------------------------------

enum : Word {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SELECT = 0x29,
    VK_PRINT = 0x2A,
    VK_EXECUTE = 0x2B,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    // '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A.
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD1 = 0x61,
    VK_NUMPAD2 = 0x62,
    VK_NUMPAD3 = 0x63,
    VK_NUMPAD4 = 0x64,
    VK_NUMPAD5 = 0x65,
    VK_NUMPAD6 = 0x66,
    VK_NUMPAD7 = 0x67,
    VK_NUMPAD8 = 0x68,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,      // ;:
    VK_OEM_PLUS = 0xBB,   // =+
    VK_OEM_COMMA = 0xBC,  // ,<
    VK_OEM_MINUS = 0xBD,  // -_
    VK_OEM_PERIOD = 0xBE, // .>
    VK_OEM_2 = 0xBF,      // /?
    VK_OEM_3 = 0xC0,      // `~
    VK_OEM_4 = 0xDB,      // [{
    VK_OEM_5 = 0xDC,      // \|
    VK_OEM_6 = 0xDD,      // ]}
    VK_OEM_7 = 0xDE,      // '"
    VK_OEM_102 = 0xE2,
    VK_PROCESSKEY = 0xE5,
};

// TShiftState (ShiftState.h): bit n is ordinal n, ssShift 1, ssAlt 2, ssCtrl 4, ssLeft 8,
// ssRight 16, ssMiddle 32, ssDouble 64.

DECLARE_ENUM(TMouseButton, Byte, mbLeft, mbRight, mbMiddle)

// The shift state of a key message's KeyData (Shift and Ctrl from the key state, Alt from the
// data) and of a mouse message's MK_* flags.
TShiftState KeyDataToShiftState(int KeyData);
TShiftState KeysToShiftState(int Keys);
// The shift state of the keyboard and mouse buttons now.
TShiftState GetShiftState();

// The state of a virtual key as the GUI thread last saw it: negative (high bit set) while
// down, bit 0 toggled by each press (Caps Lock and the like).
std::int16_t GetKeyState(int VirtualKey);

// The whole keyboard table as GetKeyState reads it, one byte per virtual key (bit 7 down,
// bit 0 toggled); SetKeyboardState installs a table (what a program that posts synthesised keys
// to another window wants their receiver to read).
bool GetKeyboardState(Byte* KeyState);
bool SetKeyboardState(const Byte* KeyState);

// The system's short warning sound.
void MessageBeep();

// Whether windows are drawn with visual styles (themed elements). The layer draws the classic
// look, so it starts off; a program (or a test) may switch it on for controls that draw themed
// elements of their own.
bool IsThemeActive();
void SetThemeActive(bool Value);

// ---- Keyboard and mouse hooks of the GUI thread -------------------------------------------
// A keyboard hook sees every key press and release that the message loop takes for a window of
// the GUI thread (WM_KEYDOWN, WM_KEYUP and their WM_SYS... forms), before the application's key
// handling and the target window: Code HC_ACTION, WParam the virtual key, LParam the key data
// (KF_UP_BIT set for a release). An answer other than 0 swallows the key: neither the window
// nor the application sees it, and a swallowed press types no characters.
// A mouse hook sees every mouse message that the message loop takes for a window of the GUI
// thread (moves, presses, releases and double clicks, in the client area and on the frame, and
// the wheel), before the window: Code HC_ACTION, WParam the message, LParam the address of a
// MOUSEHOOKSTRUCT that holds the pointer's screen position, the window and its hit-test code,
// valid for the call only. An answer other than 0 swallows the message.
// Hooks of one kind run newest first; a hook passes the event on to the older ones of its kind
// with CallNextHookEx (a hook that does not call it hides the event from them). A hook may
// remove itself or another while it runs.
using HHOOK = std::uintptr_t;
using HOOKPROC = std::function<LRESULT(int Code, WPARAM WParam, LPARAM LParam)>;
constexpr int WH_KEYBOARD = 2;
constexpr int WH_MOUSE = 7;
constexpr int HC_ACTION = 0;

struct MOUSEHOOKSTRUCT {
    TPoint pt;
    HWND hwnd = 0;
    UINT wHitTestCode = 0;
    std::uintptr_t dwExtraInfo = 0;
};

// Installs a hook of the kind IdHook (WH_KEYBOARD or WH_MOUSE) on the GUI thread; its handle,
// or 0 for an unknown kind, an empty procedure or a call from another thread.
HHOOK SetWindowsHookEx(int IdHook, HOOKPROC Proc);
// Removes a hook; false when the handle names no installed hook.
bool UnhookWindowsHookEx(HHOOK Hook);
// The answer of the hooks of Hook's kind installed before Hook (0 when there is none); Hook
// itself may already be removed.
LRESULT CallNextHookEx(HHOOK Hook, int Code, WPARAM WParam, LPARAM LParam);
// The message loop's call for a key message it took: runs the keyboard hooks, newest first;
// true when one swallowed the key.
bool CallKeyboardHooks(WPARAM Key, LPARAM KeyData);
// The message loop's call for a mouse message it took for Info.hwnd: runs the mouse hooks,
// newest first; true when one swallowed the message.
bool CallMouseHooks(UINT Msg, const MOUSEHOOKSTRUCT& Info);

// A message number of the range 0xC000..0xFFFF that is the same for every call with the same
// name (compared without regard to case) for the life of the process; 0 for an empty name.
UINT RegisterWindowMessage(const String& Name);

// ---- Windows --------------------------------------------------------------------------------

using TWndMethod = std::function<void(TMessage& Message)>;

// A hidden window that hands its messages to Method, for components that need a handle to
// receive posted, sent and timer messages. Any thread may send or post to it; the messages are
// handled on the GUI thread.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);
// Replaces the message method of a hidden window and answers the one it had; for a control's
// window or an unknown handle nothing changes and the answer is empty.
TWndMethod SubclassWindow(HWND Wnd, TWndMethod NewMethod);

bool IsWindow(HWND Wnd);
// The windowed control of a handle; null for an unknown handle or a hidden window.
TWinControl* FindControl(HWND Wnd);

// On the GUI thread the message goes to the window at once. From another thread it is queued
// to the GUI thread and the caller waits until it has been handled.
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// As SendMessage, but another thread waits at most Timeout milliseconds: the answer is
// non-zero when the message was handled (its result in *Result), 0 when the time ran out or
// the window does not exist. A call that timed out before it started is withdrawn and never
// runs. While the GUI thread waits for a thread (TThread::WaitFor) it keeps delivering such
// calls, so a worker that sends while it is being waited for does not dead-lock.
LRESULT SendMessageTimeout(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT Flags, UINT Timeout,
                           LRESULT* Result = nullptr);
// Queues the message for the window's GUI-thread handling and returns at once; false when the
// window does not exist. Any thread may post.
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Painting: the area is painted again (WM_ERASEBKGND when Erase, then WM_PAINT) at the next
// paint cycle; null means the whole client area.
void InvalidateRect(HWND Wnd, const TRect* Rect, bool Erase);
void ValidateRect(HWND Wnd, const TRect* Rect);
// Paints the pending invalid area now.
void UpdateWindow(HWND Wnd);
// Moves the pixels of the client area (or of Rect) by DX, DY within Clip (or the client area)
// and invalidates what was uncovered; SW_SCROLLCHILDREN moves the child windows too.
void ScrollWindowEx(HWND Wnd, int DX, int DY, const TRect* Rect, const TRect* Clip, UINT Flags);
inline void ScrollWindow(HWND Wnd, int DX, int DY, const TRect* Rect, const TRect* Clip) {
    ScrollWindowEx(Wnd, DX, DY, Rect, Clip, SW_INVALIDATE);
}

// Position, size and z-order; the flags are SWP_*. Coordinates are the parent's client
// coordinates (screen for top-level windows).
bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags);
bool ShowWindow(HWND Wnd, int CmdShow);
bool IsWindowVisible(HWND Wnd);
bool IsWindowEnabled(HWND Wnd);
bool EnableWindow(HWND Wnd, bool Enable);
bool GetClientRect(HWND Wnd, TRect& Rect);
bool GetWindowRect(HWND Wnd, TRect& Rect); // in screen coordinates
bool ClientToScreen(HWND Wnd, TPoint& Point);
bool ScreenToClient(HWND Wnd, TPoint& Point);
HWND GetParent(HWND Wnd);
// The deepest of our windows under a screen point; 0 when none.
HWND WindowFromPoint(const TPoint& Point);

// A top-level window's placement: its show state (SW_*), the normal (restored) rectangle in
// screen coordinates, and the positions it takes when minimised and maximised. Flags are
// WPF_* values.
struct TWindowPlacement {
    UINT length = 44;
    UINT flags = 0;
    UINT showCmd = 0;
    TPoint ptMinPosition{-1, -1};
    TPoint ptMaxPosition{-1, -1};
    TRect rcNormalPosition;
};
constexpr UINT WPF_SETMINPOSITION = 0x0001;
constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;

// The sizes a window may take, asked with WM_GETMINMAXINFO (LParam points at the record): a
// handler tightens the members it cares for. Zero minimum tracking sizes and the layer's huge
// maximum tracking sizes mean no limit.
struct TMinMaxInfo {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

// Show command: minimised SW_SHOWMINIMIZED, maximised SW_SHOWMAXIMIZED, else SW_SHOWNORMAL
// (hidden windows too). The normal rectangle is the restored bounds even while maximised.
bool GetWindowPlacement(HWND Wnd, TWindowPlacement* Placement);
// Moves the window's normal rectangle, keeps the two positions and applies the show command:
// SW_HIDE leaves the visibility as it is; the minimising, maximising and normal commands set
// the window state and show the window.
bool SetWindowPlacement(HWND Wnd, const TWindowPlacement* Placement);
bool IsIconic(HWND Wnd);
bool IsZoomed(HWND Wnd);

// Window regions, in the window's own coordinates. A region from the Create…Rgn calls is freed
// with DeleteRgn, unless SetWindowRgn took it over.
struct TRegion;
using HRGN = TRegion*;
HRGN CreateRectRgn(int X1, int Y1, int X2, int Y2);
// The rectangle with each corner cut to a quarter of an EllipseWidth × EllipseHeight ellipse.
HRGN CreateRoundRectRgn(int X1, int Y1, int X2, int Y2, int EllipseWidth, int EllipseHeight);
bool PtInRegion(HRGN Rgn, int X, int Y);
void DeleteRgn(HRGN Rgn);
constexpr int RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
// Dest becomes Src1 combined with Src2 by Mode (RGN_COPY takes Src1 alone); Dest may be one of
// the sources. Answers the kind of the result, RGN_ERROR for a missing region or unknown mode.
int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode);
// Only the part of the window inside Rgn shows and takes the mouse; the window takes the region
// over (also when it fails). Rgn 0 gives the window its whole rectangle back. False for an
// unknown window.
bool SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw);
// Copies the window's region into Rgn and answers its kind; RGN_ERROR when the window is
// unknown or has no region of its own.
int GetWindowRgn(HWND Wnd, HRGN Rgn);

bool GetCursorPos(TPoint& Point);
bool SetCursorPos(int X, int Y);
// The mouse cursor shown now, over the window that has the pointer; SetCursor answers the
// cursor it replaces. A cursor handle is a TCursor value (crIBeam…).
HCURSOR SetCursor(HCURSOR Cursor);
HCURSOR GetCursor();

HWND GetCapture();
// The window receives every mouse message until the capture is released or taken; the window
// that loses it gets WM_CAPTURECHANGED.
HWND SetCapture(HWND Wnd);
bool ReleaseCapture();

HWND GetFocus();
// Moves the keyboard focus: WM_KILLFOCUS to the window that had it, WM_SETFOCUS to the new
// one. Answers the window that had it.
HWND SetFocus(HWND Wnd);
HWND GetActiveWindow();

// Window timers: WM_TIMER with the id every Elapse milliseconds until KillTimer. Periods are
// kept between these bounds: no timer ticks faster than every 16 ms, as on the systems the
// programs were made for.
constexpr UINT USER_TIMER_MINIMUM = 16;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse);
bool KillTimer(HWND Wnd, UINT_PTR IDEvent);

// The system caret of a window: a Width x Height block at a client position, blinking while
// shown, drawn over the window's picture (never into it).
bool CreateCaret(HWND Wnd, int Width, int Height);
bool DestroyCaret();
bool SetCaretPos(int X, int Y);
bool GetCaretPos(TPoint& Point);
bool ShowCaret(HWND Wnd);
bool HideCaret(HWND Wnd);
UINT GetCaretBlinkTime();

UINT GetDoubleClickTime();
// Lines one wheel notch scrolls (the classic setting, 3); WHEEL_PAGESCROLL asks for a page.
UINT GetWheelScrollLines();
enum : UINT { WHEEL_PAGESCROLL = 0xFFFFFFFF };
enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXCURSOR = 13,
    SM_CYCURSOR = 14,
    SM_CYMENU = 15,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_SWAPBUTTON = 23,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CXDRAG = 68,
    SM_CYDRAG = 69,
    SM_CMONITORS = 80,
};
// The classic metrics of the system (scroll bars 17 pixels, edges 2, drag distance 4…).
int GetSystemMetrics(int Index);
