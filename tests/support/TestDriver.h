#pragma once
// Drives windows in tests above the GUI layer, with no Qt header: waits with a deadline while
// the application handles its messages, keys and mouse as window messages (the way the message
// loop hands them to a control) or as real toolkit events (SynthInput.h, end to end), and a
// control grabbed into a bitmap whose pixels a test probes.

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"
#include "platform/gui/SynthInput.h"

#include <chrono>
#include <memory>
#include <thread>

// Lets the application handle everything that is waiting.
inline void ProcessMessages() {
    Application->ProcessMessages();
}

// Handles messages until Condition holds or the deadline passes; answers whether it holds.
template <class F> bool WaitUntil(F Condition, int Milliseconds = 5000) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
    for (;;) {
        Application->ProcessMessages();
        if (Condition()) return true;
        if (std::chrono::steady_clock::now() >= Deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Handles messages for a while, for a test that something does not come (again).
inline void ProcessMessagesFor(int Milliseconds) {
    WaitUntil([] { return false; }, Milliseconds);
}

// ---- Keys as messages ------------------------------------------------------------------------

namespace TestDriverDetail {

// A key message as the message loop delivers it: the thread's keyboard hooks see key presses
// and releases first, then the application's key handling (dialog keys, shortcuts, OnMessage),
// then the window. False when a hook swallowed the key.
inline bool DeliverKey(TWinControl* Control, UINT Msg, WPARAM Key, int KeyData) {
    const HWND Wnd = Control->Handle();
    if (Msg != WM_CHAR && Msg != WM_SYSCHAR && CallKeyboardHooks(Key, KeyData)) return false;
    if (!IsWindow(Wnd)) return true;
    TMsg M{Wnd, Msg, Key, KeyData, 0, {}};
    if (Application->IsKeyMsg(Control, M)) return true;
    if (IsWindow(Wnd)) SendMessage(Wnd, Msg, Key, KeyData);
    return true;
}

// The modifiers of Shift held down for the length of a scope.
class THeldModifiers {
public:
    explicit THeldModifiers(TShiftState Shift) : FShift(Shift) { Set(true); }
    ~THeldModifiers() { Set(false); }
    THeldModifiers(const THeldModifiers&) = delete;
    THeldModifiers& operator=(const THeldModifiers&) = delete;

private:
    void Set(bool Down) {
        if (FShift.Contains(ssShift)) SetKeyState(VK_SHIFT, Down);
        if (FShift.Contains(ssCtrl)) SetKeyState(VK_CONTROL, Down);
        if (FShift.Contains(ssAlt)) SetKeyState(VK_MENU, Down);
    }
    TShiftState FShift;
};

} // namespace TestDriverDetail

// A key typed at the control: WM_KEYDOWN, a WM_CHAR for each character it types (KeyText),
// WM_KEYUP, with the modifiers of Shift held (Alt alone makes them the WM_SYS… messages).
inline void KeyMessages(TWinControl* Control, Word Key, TShiftState Shift = {}) {
    using namespace TestDriverDetail;
    THeldModifiers Held(Shift);
    const bool Alt = Shift.Contains(ssAlt);
    const bool Sys = (Alt && !Shift.Contains(ssCtrl)) || Key == VK_F10;
    const int Data = 1 | (Alt ? KF_ALTDOWN_BIT : 0);
    SetKeyState(Key, true);
    // A press that a keyboard hook swallowed types nothing.
    if (DeliverKey(Control, Sys ? WM_SYSKEYDOWN : WM_KEYDOWN, Key, Data))
        for (Char Ch : KeyText(Key, Shift))
            DeliverKey(Control, Sys ? WM_SYSCHAR : WM_CHAR, Ch, Data);
    SetKeyState(Key, false);
    DeliverKey(Control, Sys ? WM_SYSKEYUP : WM_KEYUP, Key,
               Data | static_cast<int>(KF_UP_BIT | KF_REPEAT_BIT));
}

// Characters typed at the control, one WM_CHAR each.
inline void CharMessages(TWinControl* Control, const String& Text) {
    for (Char Ch : Text)
        TestDriverDetail::DeliverKey(Control, WM_CHAR, Ch, 1);
}

// ---- Mouse as messages -----------------------------------------------------------------------

// A mouse message at a client point of the control: the MK_ flags of Shift and of the buttons
// down, as a real mouse message carries them.
inline void MouseMessage(TWinControl* Control, UINT Msg, const TPoint& Client, TShiftState Shift = {}) {
    TestDriverDetail::THeldModifiers Held(Shift);
    int Keys = 0;
    if (Shift.Contains(ssShift)) Keys |= MK_SHIFT;
    if (Shift.Contains(ssCtrl)) Keys |= MK_CONTROL;
    if (GetKeyState(VK_LBUTTON) < 0) Keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0) Keys |= MK_RBUTTON;
    if (GetKeyState(VK_MBUTTON) < 0) Keys |= MK_MBUTTON;
    // The thread's mouse hooks see the message first, as in the message loop.
    const HWND Wnd = Control->Handle();
    if (CallMouseHooks(Msg, MOUSEHOOKSTRUCT{Control->ClientToScreen(Client), Wnd, HTCLIENT, 0}) || !IsWindow(Wnd))
        return;
    SendMessage(Wnd, Msg, static_cast<WPARAM>(Keys), PointToLParam(Client));
}

namespace TestDriverDetail {

struct TButtonMessages {
    Word Key;
    UINT Down, Up, Double;
};

inline TButtonMessages ButtonMessages(TMouseButton Button) {
    switch (Button) {
    case mbRight:
        return {VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
    case mbMiddle:
        return {VK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
    default:
        return {VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    }
}

} // namespace TestDriverDetail

// A button pressed (and, with Up, released) at a client point: the button counts as down
// from its press to its release, as GetKeyState and the MK_ flags tell.
inline void MouseDownMessage(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                             TShiftState Shift = {}) {
    const auto B = TestDriverDetail::ButtonMessages(Button);
    SetKeyState(B.Key, true);
    MouseMessage(Control, B.Down, Client, Shift);
}
inline void MouseUpMessage(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                           TShiftState Shift = {}) {
    const auto B = TestDriverDetail::ButtonMessages(Button);
    SetKeyState(B.Key, false);
    MouseMessage(Control, B.Up, Client, Shift);
}
inline void ClickMessages(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                          TShiftState Shift = {}) {
    MouseDownMessage(Control, Client, Button, Shift);
    MouseUpMessage(Control, Client, Button, Shift);
}
// Down, up, then the second press and its up: a double-click message for a control that takes
// double clicks (csDoubleClicks), else a plain press.
inline void DoubleClickMessages(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                                TShiftState Shift = {}) {
    const auto B = TestDriverDetail::ButtonMessages(Button);
    ClickMessages(Control, Client, Button, Shift);
    SetKeyState(B.Key, true);
    MouseMessage(Control, Control->ControlStyle().Contains(csDoubleClicks) ? B.Double : B.Down, Client,
                 Shift);
    MouseUpMessage(Control, Client, Button, Shift);
}

// A wheel turn over a client point: Delta in 120ths of a notch, positive away from the user.
// The message carries the point in screen coordinates, as the real one does.
inline void WheelMessage(TWinControl* Control, const TPoint& Client, int Delta, TShiftState Shift = {}) {
    TestDriverDetail::THeldModifiers Held(Shift);
    int Keys = 0;
    if (Shift.Contains(ssShift)) Keys |= MK_SHIFT;
    if (Shift.Contains(ssCtrl)) Keys |= MK_CONTROL;
    const HWND Wnd = Control->Handle();
    const TPoint Screen = Control->ClientToScreen(Client);
    if (CallMouseHooks(WM_MOUSEWHEEL, MOUSEHOOKSTRUCT{Screen, Wnd, HTCLIENT, 0}) || !IsWindow(Wnd)) return;
    SendMessage(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(Keys, Delta), PointToLParam(Screen));
}

// ---- Pictures ----------------------------------------------------------------------------------

// The control as it is shown now, its children included, in a bitmap of its size.
inline std::unique_ptr<TBitmap> GrabControl(TWinControl* Control) {
    auto Bitmap = std::make_unique<TBitmap>(Control->Width(), Control->Height());
    Control->PaintTo(Bitmap->Canvas(), 0, 0);
    return Bitmap;
}

inline TColor PixelOf(TBitmap& Bitmap, int X, int Y) {
    return Bitmap.Canvas()->Pixels(X, Y);
}

// The pixel as red, green and blue, to compare with ColorToRGB of a colour that may be a system one.
inline TColorRef RgbOf(TBitmap& Bitmap, int X, int Y) {
    return ColorToRGB(Bitmap.Canvas()->Pixels(X, Y));
}
