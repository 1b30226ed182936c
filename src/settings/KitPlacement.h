#pragma once
// A form's window placement in a settings store: show state, placement flags, the screen's
// pixel density, the minimised and maximised positions and the normal rectangle. Each position
// text is kept twice, under its key and under the key followed by the screen size
// ("NormPos(1920x1080)"), so each screen resolution keeps its own positions and one seen for
// the first time starts from the last positions saved on any.

#include "settings/KitAppStorage.h"

#include "platform/gui/Forms.h"

DECLARE_ENUM(TPlacementOption, Byte, fpState, fpSize, fpLocation, fpActiveControl)
using TPlacementOptions = TSet<TPlacementOption>;

// Keys under Path: "ShowCmd" with fpState; "Flags", "PixelsPerInch", "MinMaxPos" and "NormPos"
// with fpSize or fpLocation. Options of only fpActiveControl write nothing.
void WriteFormPlacementValues(TCustomForm* Form, TKitCustomAppStorage* Store, const String& Path,
                              TPlacementOptions Options);
// Reads the same keys and applies them to the form: the position and size as the options say
// (not at all when no position text is stored, the rectangle is empty, or the texts were saved
// under another pixel density), then the show state; last the form repaints.
void ReadFormPlacementValues(TCustomForm* Form, TKitCustomAppStorage* Store, const String& Path,
                             TPlacementOptions Options);

// "(<width>x<height>)" of the primary screen.
String ScreenSizeSuffix();
// Writes the text under KeyPath plus the screen suffix, then under KeyPath.
void WriteScreenValue(TKitCustomAppStorage* Store, const String& KeyPath, const String& Text);
// The text under KeyPath plus the screen suffix when stored there, else under KeyPath ("" when
// neither).
String ReadScreenValue(TKitCustomAppStorage* Store, const String& KeyPath);
// Sets the form's Position while the form counts as being designed, so that the change does
// not move the window.
void SetPositionSilently(TCustomForm* Form, TPosition Value);
