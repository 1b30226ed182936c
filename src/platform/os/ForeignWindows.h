#pragma once
// Windows of other programs on the X display that $DISPLAY names: finding a top-level window by
// its class or title, taking it into one of our windows, moving, showing, activating and closing
// it, and keyboard input made up for whatever window has the keyboard focus. A window is named by
// its X window id, 0 for none. Without a display nothing is found and every action fails.

#include "platform/base/Geometry.h"
#include "platform/base/Types.h"

#include <vector>

using TForeignWindow = unsigned;

// Whether the display can be reached.
bool ForeignDisplayAvailable();

// The first top-level window (a child of the root, or the client window inside a window
// manager's frame) whose class equals ClassName and whose title equals Caption; an empty
// ClassName or Caption matches any. The class matches either part of WM_CLASS (instance or
// class name). A window on show comes before hidden ones of a program (its helper windows share
// its class). 0 when there is none.
TForeignWindow FindForeignWindow(const String& ClassName, const String& Caption = String());
// Whether Window still exists.
bool ForeignWindowExists(TForeignWindow Window);
// The window that Window is a child of; 0 when it does not exist.
TForeignWindow ForeignWindowParent(TForeignWindow Window);
// Its title (WM_NAME), empty when it has none.
String ForeignWindowCaption(TForeignWindow Window);

// Window's place in its parent and its size; false when it does not exist.
bool ForeignWindowBounds(TForeignWindow Window, TRect& Bounds);
// The programs' windows on show at the top of the display: mapped children of the root, and the
// program windows inside a window manager's mapped frames. A window taken into another
// program's window is not among them.
std::vector<TForeignWindow> ForeignTopLevelWindows();
// The id of the process that made Window, as the display knows it of a program on this machine;
// 0 when it cannot tell (no such window, a program elsewhere, a server without that knowledge).
int ForeignWindowProcess(TForeignWindow Window);

// Makes Window a child of Parent (any window on the display, such as one of ours), placed at
// (X, Y) of Parent.
bool ReparentForeignWindow(TForeignWindow Window, TForeignWindow Parent, int X = 0, int Y = 0);
// Places and sizes Window without waiting for it to follow.
bool MoveForeignWindow(TForeignWindow Window, int X, int Y, int Width, int Height);
bool ShowForeignWindow(TForeignWindow Window, bool Visible);
// Raises Window and gives it the keyboard focus; whether it has the focus then.
bool ActivateForeignWindow(TForeignWindow Window);
// The window with the keyboard focus; 0 for none.
TForeignWindow ForeignFocusWindow();
// Asks Window to close as a window manager does (WM_DELETE_WINDOW); a window that does not take
// part in that protocol is disconnected from the display, as a window manager does then.
// Posted: nobody waits for the program.
bool CloseForeignWindow(TForeignWindow Window);

// The display's key code of a virtual-key code (its "scan code" here); 0 for a key the display
// has not.
Byte ForeignKeyCode(Word VirtualKey);
// A key press or release of a virtual key, made up at the display (XTEST): it goes to whatever
// window has the keyboard focus, as the user's own key would. False when the display has no such
// key or cannot make up input.
bool SendForeignKey(Word VirtualKey, bool Down);
// Waits until the display has handled everything sent to it.
void SyncForeignDisplay();
