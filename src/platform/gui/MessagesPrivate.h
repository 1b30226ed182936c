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

// A window's input method events as its WM_IME_* messages (Imm.h).
void DeliverInputMethodEvent(HWND Wnd, QInputMethodEvent* Event);
// The default handling of a finished composition: WM_IME_CHAR for each UTF-16 unit of its text.
void SendInputMethodResultAsCharacters(HWND Wnd);
