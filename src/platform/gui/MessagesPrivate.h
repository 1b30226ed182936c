#pragma once
// Internal to the GUI layer: the handle table, message delivery on the GUI thread, and the
// global window state (capture, focus, activation, timers, caret) that Messages.cpp keeps.

#include "platform/gui/Barrier.h"
#include "platform/gui/Messages.h"

class TObject;
class QInputMethodEvent;

HWND RegisterControlWindow(TWinControl* Control);
void UnregisterWindow(HWND Wnd);
// Hands a message to a window's procedure on the calling (GUI) thread; 0 for an unknown handle.
LRESULT DeliverMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Posted messages: delivers those queued so far; true when there were any.
bool DeliverPostedMessages();
bool HasPostedMessages();
// Runs the calls other threads queued for the GUI thread (TThread::Synchronize and Queue, sends).
void RunMainThreadCalls();
// Makes queued main-thread calls wake the Qt event loop.
void InstallMainThreadWaker();

// MK_* flags of the mouse buttons and modifier keys now.
int MouseKeysNow();
void NoteCursorPos(const TPoint& Screen);
// A window goes: it loses capture, focus, activation, timers and caret.
void ForgetWindow(HWND Wnd);
// WM_ACTIVATE to the top-level window that stops and the one that starts being active.
void SetActiveWindowHandle(HWND Wnd);
void KillWindowTimers(HWND Wnd);
HWND CaretOwner();
// The caret's rectangle in Wnd's client coordinates while it is drawn (shown, blink phase on).
bool CaretRect(HWND Wnd, TRect& Rect);
// The caret's place and size in Wnd's client coordinates while Wnd owns it, shown or not.
bool CaretBounds(HWND Wnd, TRect& Rect);

// A window's input method events as its WM_IME_* messages (Imm.h).
void DeliverInputMethodEvent(HWND Wnd, QInputMethodEvent* Event);
// The default handling of a finished composition: WM_IME_CHAR for each UTF-16 unit of its text.
void SendInputMethodResultAsCharacters(HWND Wnd);
// Where the input method of a window shows the text being composed, in client coordinates:
// its composition form, or the caret's place by default; false when the window has neither.
bool InputMethodCursorRect(HWND Wnd, TRect& Rect);
// The input method's place in Wnd moved: the toolkit is told when Wnd has its focus.
void InputMethodCursorMoved(HWND Wnd);
// A window goes: its composition form goes with it.
void ForgetInputMethod(HWND Wnd);
