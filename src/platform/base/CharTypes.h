#pragma once
// Character types and case of single UTF-16 units, as the platform the programs come from
// reports them per unit (its "C1" type bits, which stored data and routines test by value).

#include "platform/base/Types.h"

constexpr Word C1_UPPER = 0x0001;
constexpr Word C1_LOWER = 0x0002;
constexpr Word C1_DIGIT = 0x0004;
constexpr Word C1_SPACE = 0x0008;
constexpr Word C1_PUNCT = 0x0010;
constexpr Word C1_CNTRL = 0x0020;
constexpr Word C1_BLANK = 0x0040;
constexpr Word C1_XDIGIT = 0x0080;
constexpr Word C1_ALPHA = 0x0100;

// The type bits of one unit; a surrogate half on its own has none.
Word GetCharType(Char C);
// Simple case mapping of one unit; a unit whose mapping is not a single unit stays as it is.
Char CharUpper(Char C);
Char CharLower(Char C);

// The value of a hexadecimal digit (either case); -1 for any other unit.
constexpr int HexDigitValue(Char C) {
    if (C >= u'0' && C <= u'9') return C - u'0';
    if (C >= u'a' && C <= u'f') return C - u'a' + 10;
    if (C >= u'A' && C <= u'F') return C - u'A' + 10;
    return -1;
}
