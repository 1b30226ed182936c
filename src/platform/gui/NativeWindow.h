#pragma once
// A control's own window on the display, into which another program's window can be taken
// (platform/os/ForeignWindows.h).

class TWinControl;

// The display's window of the control (an X window id); the control's window is created first.
// 0 where our windows have none of the display's (the offscreen platform).
unsigned NativeWindowOf(TWinControl* Control);
