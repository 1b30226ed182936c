#pragma once
// Text helpers of the editor: tab expansion with one converter per kind of tab width, and the
// case mapping of single UTF-16 units that keeps every position where it was.

#include "platform/base/Types.h"

// Each converter returns Line unchanged (HasTabs false) when it holds no TAB. Otherwise every
// TAB becomes enough TAB characters to reach the next multiple of TabWidth, counting columns
// from 0, so painters can tell filled cells from typed blanks; the width-1 converter turns every
// TAB into one blank instead.
String ExpandTabsWidth1(const String& Line, int TabWidth, bool& HasTabs);
String ExpandTabsPow2(const String& Line, int TabWidth, bool& HasTabs);
String ExpandTabsAny(const String& Line, int TabWidth, bool& HasTabs);

using TConvertTabsProcEx = String (*)(const String& Line, int TabWidth, bool& HasTabs);

// True for 2, 4, 8, ... 65536; false for 1 and for anything else.
bool IsPowerOfTwoTabWidth(int TabWidth);
// The converter for a width: below 2 the width-1 one, a power of two the masked one, else the general one.
TConvertTabsProcEx TabExpanderWithFlagFor(int TabWidth);

// One UTF-16 unit in the platform's simple case mapping; a unit whose mapping would take
// another length (and a surrogate half) stays as it is.
Char LowerCaseChar(Char Ch);
// A copy of S with every unit mapped as above: same length, same positions.
String LowerCaseText(const String& S);
