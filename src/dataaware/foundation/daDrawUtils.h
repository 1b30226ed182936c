#pragma once
// Small routines the library's controls share: painting cell text and buttons, theme and
// system-version decisions, walking owners and parents, synthesised input, and a key typed
// into a picture-masked edit.

#include "platform/gui/Buttons.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

#include <functional>

class TCustomForm;
class TCustomEdit;

// ---- Painting ---------------------------------------------------------------------------------

// Flags of daDrawCellText.
enum : int {
    dctAccelerator = 0x01, // "&" marks an accelerator
    dctEllipsis = 0x02,    // end ellipsis, never word break
    dctWordBreak = 0x04,
    dctNoFill = 0x10,      // the rect is not filled first
    dctSingleLine = 0x20,  // one line, vertically centred
};

void daDrawCellText(TCanvas* Canvas, const TRect& ARect, int LeftMargin, int Flags, TAlignment Alignment,
                    const String& Text, int TopMargin);
// One line of text with these DrawText flags already fills the rectangle.
bool daTextFillsRect(TCanvas* Canvas, const TRect& Rect, Cardinal Flags);
void daDrawEllipsisButton(TCanvas* Canvas, const TRect& ARect, TButtonState State, TControlState ControlState,
                          bool Transparent, bool NoEdge);
void daDrawComboButton(TCanvas* Canvas, const TRect& ARect, TButtonState State, TControlState ControlState,
                       bool Enabled);
// The small black drop-down arrow of flat and transparent buttons, on a transparent background.
void daMakeDropDownGlyph(TBitmap* Bitmap);
// A push button in the pressed, hot or normal look, over the rect grown by 3 on every side.
void daDrawThemedButton(bool Pressed, bool Hot, const TRect& ARect, TCanvas* Canvas);
// The control paints itself, with its windowed children, as a copy at X, Y of Canvas: a
// data-aware control shows the record its owner (a grid, an inspector) is drawing.
void daPaintControlCopy(TWinControl* Control, TCanvas* Canvas, int X, int Y);
void daDrawHighlightFocusRect(TCanvas* Canvas, const TRect& ARect);
void daDrawDottedLine(TCanvas* Canvas, const TPoint& From, const TPoint& To);
inline int daRectWidth(const TRect& R) { return R.Right - R.Left; }
inline int daRectHeight(const TRect& R) { return R.Bottom - R.Top; }

// ---- Theme and system version -----------------------------------------------------------------

// Visual styles are active, unless a "DisableThemes" property of the control, its parent or its
// grandparent (the first that has one decides) is True.
bool daThemesActive(TControl* Control);
bool daIsVistaOrLater();
// The common controls' version: major in the high word, minor in the low word.
Cardinal daGetComCtl32Version();
bool daHasThemedComCtl();
// The rule of daHasThemedComCtl for a given system: Vista or later and common controls 5.82 or
// above.
bool daHasThemedComCtlOf(bool VistaOrLater, Cardinal ComCtlVersion);

// ---- Owners, parents, windows -----------------------------------------------------------------

TCustomForm* daGetOwnerForm(TComponent* Component);
// The first owner that is a frame (a windowed control owned by a form and owning controls of
// its own) or a form.
TComponent* daGetOwnerFormOrFrame(TComponent* Component);
// Forms have no designer here, so there is nobody to tell.
void daNotifyDesignerModified(TComponent* Component);
bool daIsDesigning(TControl* Control);
void daClearClipChildren(TWinControl* Control);
bool daHasChildOutsideClient(TWinControl* Control);
void daGetWorkArea(TRect& Rect);
// Moves a control to another controller (or to none): it leaves the list of the one it had and
// joins the new one's "ControlList".
void daSetController(TComponent*& ControllerField, TComponent* NewController, TControl* Control);

// ---- Input ------------------------------------------------------------------------------------

bool daIsEditingKey(Word Key);
int daShiftStateToKeyFlags(TShiftState Shift);
// Posts the key's down and up messages with Modifier held, then restores the keyboard state.
void daPostKeyWithModifier(HWND Wnd, Word Key, Word Modifier);
void daPostLButtonUp();

// The picture-mask checker: checks Text against Mask, may complete literals in Text when
// AutoFill; answers 0 complete, 1 incomplete, 2 empty, 3 error, 4 syntax, 5 ambiguous, 6
// incomplete without fill. The grids install theirs.
using TdaPictureCheck = std::function<int(const String& Mask, String& Text, bool AutoFill)>;
void daSetPictureCheck(TdaPictureCheck Check);
// A printable key typed at the end of a picture-masked edit's text: the checked text goes into
// the edit and the key is consumed (True). False when the key is not taken over.
bool daPictureMaskKeyPress(TCustomEdit* Edit, const String& Mask, bool AutoFill, Char& Key);
// A transparent control lets its parent show through: it is not opaque (csOpaque) any more.
void daSetTransparentStyle(TControl* Control, bool Transparent);
