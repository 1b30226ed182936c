#pragma once
// Input that the program makes up itself, for driving controls end to end: real toolkit key,
// mouse and wheel events go to a control's window and take the way a user's input takes there
// (key translation, the application's key handling, capture, hit tests, the key state).

#include "platform/base/Geometry.h"
#include "platform/base/Strings.h"
#include "platform/gui/Messages.h"
#include "platform/gui/ShiftState.h"

#include <vector>

class TWinControl;

// The characters a key types on a US keyboard in the shift state: Ctrl with a letter types its
// control character, Ctrl with anything else and keys without a character type nothing.
String KeyText(Word Key, TShiftState Shift);

// The key and the shift state that type C on that keyboard: the key in the low byte, in the high
// byte 1 for Shift, 2 for Ctrl, 4 for Alt; -1 for a character that no key types.
std::int16_t VkKeyScan(Char C);

// Marks a virtual key (a modifier, a mouse button) as down or up for GetKeyState.
void SetKeyState(Word Key, bool Down);

// A key press, or its release, at the control's window; a press types KeyText(Key, Shift).
// The modifiers of Shift count as held for the event.
void SynthKeyDown(TWinControl* Control, Word Key, TShiftState Shift = {});
void SynthKeyUp(TWinControl* Control, Word Key, TShiftState Shift = {});
// A press and its release.
void SynthKey(TWinControl* Control, Word Key, TShiftState Shift = {});

enum TSynthMouseAction { smMove, smDown, smUp, smDoubleClick };

// A mouse event at a point of the control's client area. A move carries the buttons that are
// down (GetKeyState); a double click is the second press of a double click.
void SynthMouse(TWinControl* Control, TSynthMouseAction Action, const TPoint& Client,
                TMouseButton Button = mbLeft, TShiftState Shift = {});
// The same event as the window system hands it over: to the top-level window that holds the
// control, where the toolkit finds the widget under the point, tracks hover and keeps the mouse
// from windows that a modal form blocks.
void SynthSystemMouse(TWinControl* Control, TSynthMouseAction Action, const TPoint& Client,
                      TMouseButton Button = mbLeft, TShiftState Shift = {});
void SynthSystemClick(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                      TShiftState Shift = {});
// Press and release.
void SynthClick(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                TShiftState Shift = {});
// Press, release, double-click press, release.
void SynthDoubleClick(TWinControl* Control, const TPoint& Client, TMouseButton Button = mbLeft,
                      TShiftState Shift = {});
// A wheel turn at a point of the client area: Delta in 120ths of a notch, positive away from the
// user; Horizontal for a tilt.
void SynthWheel(TWinControl* Control, const TPoint& Client, int Delta, TShiftState Shift = {},
                bool Horizontal = false);

// Local files dropped at a point of the control's client area, as another program (a file
// manager) drops them; whether the window took the drop.
bool SynthDropFiles(TWinControl* Control, const TPoint& Client, const std::vector<String>& Files);

// The input method at the control's window, as a user's composition reaches it: Composition is
// the text still being composed (none ends the composition), Result the finished text handed
// over with it.
void SynthInputMethod(TWinControl* Control, const String& Composition, const String& Result = String());
// What the window answers the toolkit's input method when it asks where the composition goes:
// the cursor rectangle in the control's client coordinates.
TRect QueryInputMethodCursor(TWinControl* Control);
