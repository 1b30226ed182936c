#pragma once
// String routines with the class library's semantics: positions are 1-based.

#include "platform/base/Types.h"

// UTF-8 <-> UTF-16 for text that is known to be UTF-8 (paths, messages, literals): malformed
// sequences become U+FFFD. Strict decoding of file contents lives in Encoding.h.
String Utf8ToString(std::string_view Utf8);
AnsiString StringToUtf8(StringView Text);

String IntToStr(Int64 Value);

// ASCII-only case mapping and comparison, as the class library's plain routines do.
String UpperCase(const String& S);
String LowerCase(const String& S);
int CompareStr(const String& S1, const String& S2);   // ordinal: <0, 0, >0
int CompareText(const String& S1, const String& S2);  // ordinal after ASCII upper-casing
bool SameStr(const String& S1, const String& S2);
bool SameText(const String& S1, const String& S2);

// Unicode-aware case mapping and comparison ("Ansi" names are the locale-aware ones).
String AnsiUpperCase(const String& S);
String AnsiLowerCase(const String& S);
// Word order of the user's locale: letters compare case-blind first, lower case before upper
// case on a tie ("a" < "A" < "b").
int AnsiCompareStr(const String& S1, const String& S2);
int AnsiCompareText(const String& S1, const String& S2);  // case-blind (full case folding)
bool AnsiSameStr(const String& S1, const String& S2);
bool AnsiSameText(const String& S1, const String& S2);
