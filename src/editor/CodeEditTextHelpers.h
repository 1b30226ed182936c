#pragma once
// Text helpers shared by the editor's parts: tab expansion and the caret columns that depend on
// it, scans for characters of a category, UTF-16 case conversion, trimming, escaping, and 8-bit
// text in a code page. No state.
//
// Measuring and drawing text on a canvas and plain text on the clipboard belong here as well;
// they follow when the GUI layer offers its canvas and clipboard.

#include "platform/base/Geometry.h"
#include "platform/base/Types.h"

#include <functional>

// Every platform the editor runs on has full UTF-16 support, so only the UTF-16 paths exist.
constexpr bool PlatformIsUnicode = true;

// ---- Tab expansion ----

// Counts the characters of a NUL-terminated text before its first TAB (all of them when it has
// none) and tells whether a TAB was found. No text gives false and 0.
bool FindFirstTab(const Char* Text, int& CharsBefore);

using TExpandTabsFunc = String (*)(const String& Line, int TabWidth);
using TExpandTabsWithFlagFunc = String (*)(const String& Line, int TabWidth, bool& HasTabs);

// A line without TAB comes back unchanged with HasTabs false. Otherwise HasTabs is true and:
// ExpandTabsWidth1 turns every TAB into one blank; ExpandTabsPow2 and ExpandTabsAny turn a TAB at
// column c (counted from 0) into TabWidth - c mod TabWidth TAB characters, so that painters can
// tell the filled cells from typed blanks. ExpandTabsPow2 serves widths that are powers of two;
// given another width it gives what ExpandTabsAny gives, and ExpandTabsAny takes widths below 1
// as 1.
String ExpandTabsWidth1(const String& Line, int TabWidth, bool& HasTabs);
String ExpandTabsWidth1(const String& Line, int TabWidth);
String ExpandTabsPow2(const String& Line, int TabWidth, bool& HasTabs);
String ExpandTabsPow2(const String& Line, int TabWidth);
String ExpandTabsAny(const String& Line, int TabWidth, bool& HasTabs);
String ExpandTabsAny(const String& Line, int TabWidth);

// True for 2, 4, 8, ... 65536.
bool IsPowerOfTwoTabWidth(int TabWidth);
// The converter for a width: below 2 the width-1 one, a power of two the power-of-two one, else
// the general one.
TExpandTabsFunc TabExpanderFor(int TabWidth);
TExpandTabsWithFlagFunc TabExpanderWithFlagFor(int TabWidth);

// The columns Text takes after tab expansion (a width below 1 counts as 1).
int ExpandedLength(const String& Text, int TabWidth);
// The 1-based column of the character at the 1-based Index after tab expansion; a position beyond
// the end of the line counts one column per missing character. 1 for Index below 2.
int CharIndexToCaretColumn(int Index, int TabWidth, const String& Line);

// ---- Scanning ----

// Classifies one character (a method of the editor control).
using TCategoryMethod = std::function<bool(Char AChar)>;

// The 1-based index of the first character at or after Start for which IsOfCategory answers
// true; 0 when Start is outside the line or nothing answers true (an unassigned callback answers
// nothing).
int ScanForCategory(const String& Line, int Start, const TCategoryMethod& IsOfCategory);
// The same searching from Start down to 1.
int ScanBackForCategory(const String& Line, int Start, const TCategoryMethod& IsOfCategory);
// The first NUL, CR or LF of a NUL-terminated text; null for no text.
const Char* FindLineEnd(const Char* Text);

// ---- Strings ----

// Doubles every backslash and writes every "/" as backslash and ".", so that texts can be joined
// with "/". UnescapeSlashes reverses it: a backslash and a backslash give a backslash, a
// backslash and any other character (or none, at the end) give "/".
String EscapeSlashes(const String& S);
String UnescapeSlashes(const String& S);

// "TCodeCppHighlighter" -> "Cpp": a leading "TCode" (any case) or else a single "T"/"t", and a
// trailing "Highlighter" (any case), are dropped.
String HighlighterNameFromClass(const String& ClassName);

// Unicode simple case mapping, one UTF-16 character to one: a lone surrogate stays as it is; in
// texts and buffers a surrogate pair is mapped as its code point.
Char UpperCaseChar(Char Ch);
Char LowerCaseChar(Char Ch);
void UpperCaseChar(String& Text); // in place
void LowerCaseChar(String& Text);
// Converts Count characters in place and returns Count.
int UpperCaseBuffer(Char* P, int Count);
int LowerCaseBuffer(Char* P, int Count);
String UpperCaseText(const String& S);
String LowerCaseText(const String& S);

// Count copies of Ch; empty for Count below 1.
String RepeatChar(Char Ch, int Count);
// S without the characters of code 32 or below at both ends.
String TrimBlanks(const String& S);

// ---- 8-bit text ----

// The platform's 8-bit code page is Windows-1252 (1252) for every locale.
Cardinal CodePageOfLocale(Cardinal LocaleId);
// 8-bit text in a code page to UTF-16: 1252, or 0 for the system code page (the same), or 65001
// (UTF-8, malformed bytes become U+FFFD); another code page raises EEncodingError
// "Code page %d is not supported".
String AnsiToWideText(const AnsiString& Bytes, Cardinal CodePage);
// Whether Ch has a byte of its own in the 8-bit code page.
bool IsSystemCodePageChar(Char Ch);

// ---- Measuring and drawing on a canvas ----

class TCanvas;

// Width and height of the first Count characters of Text in the canvas's font.
TSize MeasureText(TCanvas* Canvas, const String& Text, int Count);
TSize MeasureTextOnCanvas(TCanvas* Canvas, const String& Text);
int TextWidthOnCanvas(TCanvas* Canvas, const String& Text);
int TextHeightOnCanvas(TCanvas* Canvas, const String& Text);
// Draws at (X, Y) with the canvas's text flags; the pen position moves to the end of the text.
void DrawTextAt(TCanvas* Canvas, int X, int Y, const String& Text);
// Draws clipped to Rect, filling Rect with the brush colour unless the brush is clear.
void DrawTextInRect(TCanvas* Canvas, const TRect& Rect, int X, int Y, const String& Text);

// ---- Plain text on the clipboard ----

// True when the clipboard offers text (UTF-16 or 8-bit).
bool ClipboardHasText();
// The clipboard's text; empty when it offers none.
String ReadClipboardText();
// Puts Text on the clipboard as its only content; an empty text does nothing.
void WriteClipboardText(const String& Text);
