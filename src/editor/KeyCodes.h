#pragma once
// STAND-IN FOR THE GUI LAYER: virtual-key codes, shift states and shortcuts.
// The GUI layer owns these (keyboard messages and menus); until it offers them the editor
// defines them here with the class library's names and the Windows values, which the key
// binding streams store. Replace this header by the GUI layer's when that layer has them.

#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

// Virtual-key codes. Digits and letters are their ASCII codes ('0'..'9', 'A'..'Z').
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;
constexpr Word VK_NEXT = 0x22;
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_F1 = 0x70;
constexpr Word VK_F24 = 0x87;

// The modifier state of a key or mouse event; ssShift is bit 0, as files store it.
DECLARE_ENUM(TShiftStateItem, Byte, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch,
             ssPen, ssCommand, ssHorizontal)
using TShiftState = TSet<TShiftStateItem>;

// A key and its modifiers packed into 16 bits: the key in the low byte, plus scShift, scCtrl and
// scAlt. 0 is no shortcut.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// 0 for a key above 255 (it has no packed form). Only Shift, Ctrl and Alt are packed.
TShortCut ShortCut(Word Key, TShiftState Shift);
// The key is everything but the three modifier bits.
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Shift+Ctrl+Alt+<key name>" ("Ctrl+C", "Shift+Del", "F1"); empty for no shortcut and for a key
// without a name.
String ShortCutToText(TShortCut ShortCut);
