#pragma once
// Key strings such as "^r" turned into keyboard input made up at the display, for whatever window
// has the keyboard focus, and another program's window brought to the front. The IDE sends the
// embedded Arduino IDE its verify key this way.
//
// Syntax: "+", "^" and "%" hold Shift, Ctrl and Alt down until the next key has been sent (or,
// inside "( )", until the group ends); "~" is Enter; "{NAME}" or "{NAME n}" is a named key (n
// times); "{x}" the key that types x; "{{}" and "{}}" the braces; any other character the key
// that types it, with the Shift the keyboard needs for it.

#include "platform/base/Types.h"
#include "platform/os/ForeignWindows.h"

// False for an empty string or a missing "}" (after the message "No Close"); true otherwise.
// Wait: after every key event the display is synchronised and our own windows handle the keys
// that reached them.
bool SendKeyString(const String& Keys, bool Wait);
// Restores Window, brings it to the front and gives it the keyboard focus; whether it has the
// focus then.
bool ActivateWindow(TForeignWindow Window);

// The virtual-key code of a key name of the key strings ("ENTER", "F5", "BKSP"), in any letter
// case; 0 for an unknown name.
Word KeyNameToVirtualKey(const String& Name);
