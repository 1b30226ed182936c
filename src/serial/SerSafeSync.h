#pragma once
// Runs registered methods ("slots") in the GUI thread on behalf of worker threads: one hidden
// window that the GUI thread owns and a table of up to 64 slots. A component registers one of
// its methods once (in its constructor, on the GUI thread) and gets an id; a worker later asks
// for that slot to run and waits, with a time-out, while the GUI thread runs it.

#include "platform/base/MethodPointer.h"
#include "platform/base/Types.h"
#include "platform/gui/Messages.h"

// The method gets the slot's index (1..64) and the parameter the caller handed over with this
// very call, so that a delivery never sees the data of a later one.
using TSerSyncMethod = TMethodPointer<void(int SlotIndex, UInt64 Param)>;

constexpr int SerSyncSlotCount = 64;

// Messages of the hidden window (wParam, lParam).
constexpr UINT SERSYNC_CALLPROC = WM_USER + 256; // a procedure taking one pointer, its argument
constexpr UINT SERSYNC_CALLSLOT = WM_USER + 257; // the call's number, the slot id
constexpr UINT SERSYNC_DESTROY = WM_USER + 258;  // tears the window and the table down

using TSerSyncProc = void (*)(void* Argument);

// The id of the new slot (never 0), disabled; 0 when all 64 slots are taken.
Cardinal SerRegisterSyncSlot(const TSerSyncMethod& Method);
// True when a slot with that id existed; it is free afterwards.
bool SerUnregisterSyncSlot(Cardinal Id);
// True when the slot exists and has a method.
bool SerEnableSyncSlot(Cardinal Id, bool Enabled);
// Runs the slot's method in the GUI thread and waits at most Timeout milliseconds for it. True
// when the method ran (or has started and is still running) and the slot is still enabled
// afterwards. False for an unknown or disabled slot, for a slot disabled or freed meanwhile, and
// for a call that timed out before the GUI thread took it up: that call is withdrawn and never
// runs, so the caller can report its event again later. An exception of the method goes to the
// application's exception display, never to the caller.
bool SerCallSyncSlot(Cardinal Id, Cardinal Timeout, UInt64 Param = 0);
// The hidden window, 0 before the first registration and after teardown.
HWND SerSyncWindow();
