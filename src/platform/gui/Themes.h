#pragma once
// Visual-style drawing: the themed look of a few common elements (check boxes, the tree's
// expand glyph, edit text colours), with the Windows calls and their semantics. A control asks
// for a theme by window class; while visual styles are off (IsThemeActive false) there is none,
// and the control draws its classic look instead. The themed elements are flat: a one-pixel
// frame round a light face, a frame and face that change with the state, and a dark mark.

#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

using HTHEME = std::uintptr_t;

// Window classes that have themed parts: "BUTTON", "TREEVIEW", "EDIT".
// BUTTON: the check box part and its states.
constexpr int BP_CHECKBOX = 3;
enum : int {
    CBS_UNCHECKEDNORMAL = 1,
    CBS_UNCHECKEDHOT = 2,
    CBS_UNCHECKEDPRESSED = 3,
    CBS_UNCHECKEDDISABLED = 4,
    CBS_CHECKEDNORMAL = 5,
    CBS_CHECKEDHOT = 6,
    CBS_CHECKEDPRESSED = 7,
    CBS_CHECKEDDISABLED = 8,
};
// TREEVIEW: the expand glyph of an item with children.
constexpr int TVP_GLYPH = 2;
enum : int { GLPS_CLOSED = 1, GLPS_OPENED = 2 };
// EDIT: the text of an edit.
constexpr int EP_EDITTEXT = 1;
enum : int { ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_READONLY = 6 };
// Colour properties.
constexpr int TMT_TEXTCOLOR = 3803;

// The theme of the first class of ClassList (names separated by ";") that has one; 0 while
// visual styles are off or when no class is known. Wnd may be 0.
HTHEME OpenThemeData(HWND Wnd, const String& ClassList);
// Frees a theme from OpenThemeData; false for 0.
bool CloseThemeData(HTHEME Theme);
// Draws the part in the state into Rect of Canvas (only inside ClipRect when given); false,
// with nothing drawn, for no theme or a part or state the theme does not have.
bool DrawThemeBackground(HTHEME Theme, TCanvas* Canvas, int PartId, int StateId, const TRect& Rect,
                         const TRect* ClipRect = nullptr);
// The colour property of a part in a state; false when the theme has none.
bool GetThemeColor(HTHEME Theme, int PartId, int StateId, int PropId, TColor& Color);
