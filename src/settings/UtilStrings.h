#pragma once
// String routines of the support library. Positions are 1-based; counts and indexes beyond a
// string are clipped as Copy clips them. Letter case goes by single UTF-16 units.

#include "settings/UtilErrors.h"

#include "platform/base/Types.h"

class TStrings;

String LeftChars(const String& S, int Count);
String MidChars(const String& S, int Index, int Count);
String CharsFrom(const String& S, int Index);
// S when it already begins (ends) with the affix, compared exactly; else with it added.
String WithPrefix(const String& Prefix, const String& S);
String WithSuffix(const String& Suffix, const String& S);
// S without Prefix when it begins with it, else S.
String WithoutPrefix(const String& Prefix, const String& S);

String UpperCopy(const String& S);
void UpperInPlace(String& S);
bool CharIsUpper(Char Ch);
bool CharIsLower(Char Ch);
Char CharToUpper(Char Ch);

// Position of SubStr in S without regard to case; 0 when absent.
int FindTextNoCase(const String& SubStr, const String& S);
// The same from Index on, the result counted from the start of S; 0 when S or SubStr is empty.
int FindTextFrom(const String& SubStr, const String& S, int Index);
// The text of S before the first SubStr (without regard to case); S when there is none.
String TextBefore(const String& SubStr, const String& S);
// The first position at or after Index that holds Ch; 0 when Index is outside S or Ch absent.
int FirstCharPos(const String& S, Char Ch, int Index = 1);
// The last position holding Ch, searching from the end down to Index; 0 as above.
int LastCharPos(const String& S, Char Ch, int Index = 1);
String ReplaceCharAll(const String& S, Char Source, Char Dest);

// Flags of ReplaceText: bit 0 replaces every occurrence, bit 1 ignores letter case.
enum : unsigned { rtReplaceAll = 1u << 0, rtIgnoreCase = 1u << 1 };
// Replaces Search by Replace in S. An empty Search turns an empty S into Replace and raises
// EUtilStringError "Search string cannot be blank" otherwise.
void ReplaceText(String& S, const String& Search, const String& Replace, unsigned Flags);
// Cuts S at its first NUL.
void CutAtNul(String& S);
// Clears List and fills it, in one update, with the pieces of S between the Separators; empty
// pieces only with AllowEmpty, except that an empty last piece is never added.
void SplitToStrings(const String& S, const String& Separator, TStrings* List, bool AllowEmpty);
