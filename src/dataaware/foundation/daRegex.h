#pragma once
// The regular-expression checks behind the library's regex edit masks ("RegexMasks" of the grids,
// the edits' RegexMask). The program's own expression engine answers them: a text matches when the
// expression matches the whole text. Every failure (no expression, a malformed one, a search that
// gives up) answers False.

#include "platform/base/Types.h"

// The engine is part of the program, so it is always there.
bool daLoadRegexLibrary();
void daFreeRegexLibrary();
// True for an empty text; otherwise whether the expression matches the whole text.
bool viDovedMatch(const String& Pattern, bool IgnoreCase, const String& Text);
// The expression compiles.
bool viDovedSyntaxValid(const String& Pattern);
