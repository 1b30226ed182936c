#pragma once
// String routines with the class library's semantics: positions are 1-based, a Char is one
// UTF-16 unit (a surrogate pair counts as two).

#include "platform/base/Types.h"

#include <concepts>

struct TFormatSettings; // Format.h

// UTF-8 <-> UTF-16 for text that is known to be UTF-8 (paths, messages, literals): malformed
// sequences become U+FFFD. Strict decoding of file contents lives in Encoding.h.
String Utf8ToString(std::string_view Utf8);
AnsiString StringToUtf8(StringView Text);
void AppendUtf8(String& Out, std::string_view Utf8); // Out += Utf8ToString(Utf8), without a copy

// --- Positions, pieces and padding (1-based) -------------------------------------------------

inline int Length(const String& S) {
    return static_cast<int>(S.size());
}
// Position of the first Sub in S; 0 when absent or when Sub is empty.
int Pos(const String& Sub, const String& S);
// Like Pos, searching from Offset on; 0 for Offset < 1 or Offset > Length(S).
int PosEx(const String& Sub, const String& S, int Offset = 1);
int AnsiPos(const String& Sub, const String& S);
// Count Chars from Index on, clamped to S; Index < 1 counts as 1, Count <= 0 gives "".
String Copy(const String& S, int Index, int Count);
// Removes up to Count Chars from Index on; an Index outside 1..Length(S) does nothing.
void Delete(String& S, int Index, int Count);
// Inserts Source before Index, clamped to 1..Length(S) + 1.
void Insert(const String& Source, String& S, int Index);
// New Chars are #0; a negative length gives "".
void SetLength(String& S, int NewLength);
String StringOfChar(Char C, int Count);
String DupeString(const String& S, int Count);
// Remove the Chars <= ' ' (blanks and control characters) at the ends.
String Trim(const String& S);
// The same without a copy: a view into S.
StringView TrimView(StringView S);
String TrimLeft(const String& S);
String TrimRight(const String& S);
// Index of the last Char of S that is one of Delimiters; 0 when there is none.
int LastDelimiter(const String& Delimiters, const String& S);
// Whether S[Index] is one of Delimiters; false for an Index outside S.
bool IsDelimiter(const String& Delimiters, const String& S, int Index);

// --- Quoting ----------------------------------------------------------------------------------

String QuotedStr(const String& S);                 // 'it''s'
String AnsiQuotedStr(const String& S, Char Quote); // the same with any quote character
// The text between the quotes, doubled quotes made single. A text that does not start with
// Quote, and an unterminated one, comes back unchanged.
String AnsiDequotedStr(const String& S, Char Quote);

// --- Searching and replacing ------------------------------------------------------------------

// Bit flags (a set of two).
enum TReplaceFlags : unsigned { rfReplaceAll = 1u << 0, rfIgnoreCase = 1u << 1 };
constexpr TReplaceFlags operator|(TReplaceFlags A, TReplaceFlags B) {
    return static_cast<TReplaceFlags>(static_cast<unsigned>(A) | static_cast<unsigned>(B));
}
// Replaces the first (or with rfReplaceAll every) OldPattern; rfIgnoreCase compares with
// Unicode simple case mapping. An empty OldPattern replaces nothing.
String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags);

// "Str" compare exactly, "Text" without regard to (Unicode) case. An empty SubText starts
// and ends every text but is contained in none, as Pos finds no empty text.
bool StartsStr(const String& SubText, const String& Text);
bool StartsText(const String& SubText, const String& Text);
bool EndsStr(const String& SubText, const String& Text);
bool EndsText(const String& SubText, const String& Text);
bool ContainsStr(const String& Text, const String& SubText);
bool ContainsText(const String& Text, const String& SubText);

// --- Case -------------------------------------------------------------------------------------

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
// Simple (one-to-one) case mapping of one code point, so that a text keeps its length; a code
// point without such a mapping comes back unchanged.
char32_t UnicodeUpperChar(char32_t CodePoint);
char32_t UnicodeLowerChar(char32_t CodePoint);
// Word order of the user's locale: letters compare case-blind first, lower case before upper
// case on a tie ("a" < "A" < "b").
int AnsiCompareStr(const String& S1, const String& S2);
int AnsiCompareText(const String& S1, const String& S2);  // case-blind (full case folding)
bool AnsiSameStr(const String& S1, const String& S2);
bool AnsiSameText(const String& S1, const String& S2);

// --- Integers ---------------------------------------------------------------------------------

// One signed and one unsigned routine serve every integer type (no overload ambiguity for
// int, unsigned, size_t, ...).
String IntToStr(Int64 Value);
String UIntToStr(UInt64 Value);

String IntToHexBits(UInt64 Bits, int Digits);
// Upper-case hexadecimal with at least Digits digits. A negative value shows the two's
// complement of its own width: 32 bits for types up to 4 bytes, 64 bits for 8-byte types.
template <std::integral T> String IntToHex(T Value, int Digits) {
    if constexpr (sizeof(T) <= 4)
        return IntToHexBits(static_cast<std::uint32_t>(Value), Digits);
    else
        return IntToHexBits(static_cast<UInt64>(Value), Digits);
}

// Leading blanks, a sign, and a '$', "x" or "0x" prefix for hexadecimal are accepted;
// anything else raises EConvertError "'%s' is not a valid integer value". Hexadecimal may
// fill all bits ("$FFFFFFFF" is -1 as an int).
int StrToInt(const String& S);
Int64 StrToInt64(const String& S);
int StrToIntDef(const String& S, int Default);
Int64 StrToInt64Def(const String& S, Int64 Default);
bool TryStrToInt(const String& S, int& Value);
bool TryStrToInt64(const String& S, Int64& Value);

// --- Floating point ---------------------------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format with 15 significant digits ("0.1", "1E15", "1.23456789012346E17");
// NaN and infinities read "NAN", "INF", "-INF". Without settings, FormatSettings is used.
String FloatToStr(double Value);
String FloatToStr(double Value, const TFormatSettings& FS);
// Precision: significant digits (1..18). Digits: minimum exponent digits for ffGeneral and
// ffExponent (0..4), decimals for ffFixed, ffNumber and ffCurrency (0..18). Fixed formats
// whose integer part has more than Precision digits fall back to the general format.
// The digits rounded are those of the shortest text that reads back as the same double
// (1.005 is 1.005, not 1.00499999999999989...); halves round away from zero.
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits, const TFormatSettings& FS);

// Blanks around the number, a sign, the decimal separator and an exponent are accepted,
// and "INF", "-INF", "NAN"; errors raise EConvertError "'%s' is not a valid floating point
// value". A value too large for a double is an error, one too small reads as 0.
double StrToFloat(const String& S);
double StrToFloat(const String& S, const TFormatSettings& FS);
double StrToFloatDef(const String& S, double Default);
double StrToFloatDef(const String& S, double Default, const TFormatSettings& FS);
bool TryStrToFloat(const String& S, double& Value);
bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& FS);

// --- Booleans ---------------------------------------------------------------------------------

// "-1"/"0", or "True"/"False" with UseBoolStrs.
String BoolToStr(bool B, bool UseBoolStrs = false);
// "True"/"False" in any case, or a number (not 0 is true); else EConvertError
// "'%s' is not a valid boolean value".
bool StrToBool(const String& S);
