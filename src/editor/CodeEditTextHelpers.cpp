#include "editor/CodeEditTextHelpers.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "editor/CodeEditTypes.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Graphics.h"

#include <algorithm>
#include <climits>

namespace {

constexpr Char TabChar = 9;

// The width of a TAB that starts at Column (0-based).
Int64 TabCells(Int64 Column, int TabWidth) {
    return TabWidth - Column % TabWidth;
}

int ClampToInt(Int64 Value) {
    return Value > INT_MAX ? INT_MAX : static_cast<int>(Value);
}

// Every TAB becomes as many TAB characters as reach the next multiple of TabWidth. Two passes:
// the first measures, the second fills; the text between TABs is copied in runs.
String ExpandToStops(const String& Line, int TabWidth, bool& HasTabs) {
    size_t FirstTab = Line.find(TabChar);
    HasTabs = FirstTab != String::npos;
    if (!HasTabs) return Line;
    if (TabWidth < 1) TabWidth = 1;

    Int64 Length = 0;
    for (Char C : Line)
        Length += C == TabChar ? TabCells(Length, TabWidth) : 1;

    String Result;
    Result.reserve(static_cast<size_t>(Length));
    size_t Start = 0;
    for (size_t Tab = FirstTab; Tab != String::npos; Tab = Line.find(TabChar, Start)) {
        Result.append(Line, Start, Tab - Start);
        Result.append(static_cast<size_t>(TabCells(Int64(Result.size()), TabWidth)), TabChar);
        Start = Tab + 1;
    }
    Result.append(Line, Start, String::npos);
    return Result;
}

Char MapChar(Char Ch, char32_t (*Map)(char32_t)) {
    if (Ch >= 0xD800 && Ch <= 0xDFFF) return Ch;
    const char32_t Mapped = Map(Ch);
    return Mapped <= 0xFFFF ? static_cast<Char>(Mapped) : Ch;
}

// ASCII letters of the case that Map changes start at AsciiFrom ('A' or 'a'); they flip without a
// call, the rest of ASCII stays, and only other units go through the Unicode mapping.
int MapBuffer(Char* P, int Count, char32_t (*Map)(char32_t), Char AsciiFrom) {
    for (int I = 0; I < Count; ++I) {
        const Char C = P[I];
        if (C < 0x80) {
            if (Char(C - AsciiFrom) < 26) P[I] = C ^ 0x20;
        } else if (C >= 0xD800 && C <= 0xDBFF && I + 1 < Count && P[I + 1] >= 0xDC00 && P[I + 1] <= 0xDFFF) {
            const char32_t CodePoint =
                0x10000 + ((char32_t(C) - 0xD800) << 10) + (char32_t(P[I + 1]) - 0xDC00);
            const char32_t Mapped = Map(CodePoint);
            // Only a mapping that stays a pair keeps the text's length.
            if (Mapped >= 0x10000 && Mapped <= 0x10FFFF) {
                P[I] = static_cast<Char>(0xD800 + ((Mapped - 0x10000) >> 10));
                P[I + 1] = static_cast<Char>(0xDC00 + ((Mapped - 0x10000) & 0x3FF));
            }
            ++I;
        } else {
            P[I] = MapChar(C, Map);
        }
    }
    return Count;
}

} // namespace

// ---- Tab expansion ----

bool FindFirstTab(const Char* Text, int& CharsBefore) {
    CharsBefore = 0;
    if (!Text) return false;
    for (; *Text; ++Text, ++CharsBefore)
        if (*Text == TabChar) return true;
    return false;
}

String ExpandTabsWidth1(const String& Line, int, bool& HasTabs) {
    HasTabs = Line.find(TabChar) != String::npos;
    if (!HasTabs) return Line;
    String Result = Line;
    for (Char& C : Result)
        if (C == TabChar) C = u' ';
    return Result;
}

String ExpandTabsWidth1(const String& Line, int TabWidth) {
    bool HasTabs;
    return ExpandTabsWidth1(Line, TabWidth, HasTabs);
}

String ExpandTabsPow2(const String& Line, int TabWidth, bool& HasTabs) {
    // The stops of a power of two and of any other width are the same multiples; one routine
    // serves both, so a width that is not a power of two cannot give a wrong layout here.
    return ExpandToStops(Line, TabWidth, HasTabs);
}

String ExpandTabsPow2(const String& Line, int TabWidth) {
    bool HasTabs;
    return ExpandTabsPow2(Line, TabWidth, HasTabs);
}

String ExpandTabsAny(const String& Line, int TabWidth, bool& HasTabs) {
    return ExpandToStops(Line, TabWidth, HasTabs);
}

String ExpandTabsAny(const String& Line, int TabWidth) {
    bool HasTabs;
    return ExpandTabsAny(Line, TabWidth, HasTabs);
}

bool IsPowerOfTwoTabWidth(int TabWidth) {
    for (int Width = 2; Width <= 65536; Width *= 2)
        if (TabWidth == Width) return true;
    return false;
}

TExpandTabsFunc TabExpanderFor(int TabWidth) {
    if (TabWidth < 2) return static_cast<TExpandTabsFunc>(&ExpandTabsWidth1);
    if (IsPowerOfTwoTabWidth(TabWidth)) return static_cast<TExpandTabsFunc>(&ExpandTabsPow2);
    return static_cast<TExpandTabsFunc>(&ExpandTabsAny);
}

TExpandTabsWithFlagFunc TabExpanderWithFlagFor(int TabWidth) {
    if (TabWidth < 2) return static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsWidth1);
    if (IsPowerOfTwoTabWidth(TabWidth)) return static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsPow2);
    return static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsAny);
}

int ExpandedLength(const String& Text, int TabWidth) {
    if (TabWidth < 1) TabWidth = 1;
    Int64 Length = 0;
    for (Char C : Text)
        Length += C == TabChar ? TabCells(Length, TabWidth) : 1;
    return ClampToInt(Length);
}

int CharIndexToCaretColumn(int Index, int TabWidth, const String& Line) {
    if (Index < 2) return 1;
    if (TabWidth <= 1) return Index;
    const size_t FirstTab = Line.find(TabChar);
    if (FirstTab == String::npos || Int64(FirstTab) + 1 >= Index) return Index;
    const Int64 Before = Index - 1; // the characters before Index
    const Int64 InLine = std::min<Int64>(Before, Int64(Line.size()));
    Int64 Column = 0;
    for (Int64 I = 0; I < InLine; ++I)
        Column += Line[size_t(I)] == TabChar ? TabCells(Column, TabWidth) : 1;
    return ClampToInt(Column + (Before - InLine) + 1);
}

// ---- Scanning ----

int ScanForCategory(const String& Line, int Start, const TCategoryMethod& IsOfCategory) {
    if (Start < 1 || Start > Length(Line) || !IsOfCategory) return 0;
    for (int I = Start; I <= Length(Line); ++I)
        if (IsOfCategory(Line[size_t(I - 1)])) return I;
    return 0;
}

int ScanBackForCategory(const String& Line, int Start, const TCategoryMethod& IsOfCategory) {
    if (Start < 1 || Start > Length(Line) || !IsOfCategory) return 0;
    for (int I = Start; I >= 1; --I)
        if (IsOfCategory(Line[size_t(I - 1)])) return I;
    return 0;
}

const Char* FindLineEnd(const Char* Text) {
    if (!Text) return nullptr;
    while (*Text != 0 && *Text != u'\r' && *Text != u'\n')
        ++Text;
    return Text;
}

// ---- Strings ----

String EscapeSlashes(const String& S) {
    String Result;
    Result.reserve(S.size());
    for (Char C : S)
        if (C == u'\\')
            Result += u"\\\\";
        else if (C == u'/')
            Result += u"\\.";
        else
            Result += C;
    return Result;
}

String UnescapeSlashes(const String& S) {
    String Result;
    Result.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] != u'\\') {
            Result += S[I];
            continue;
        }
        const bool Backslash = I + 1 < S.size() && S[I + 1] == u'\\';
        Result += Backslash ? u'\\' : u'/';
        ++I; // the character after the backslash is consumed either way
    }
    return Result;
}

String HighlighterNameFromClass(const String& ClassName) {
    String Result = ClassName;
    if (!Result.empty() && (Result[0] == u'T' || Result[0] == u't')) {
        if (SameText(Copy(Result, 1, 5), u"tcode"))
            Delete(Result, 1, 5);
        else
            Delete(Result, 1, 1);
    }
    const String Suffix = u"highlighter";
    if (Length(Result) >= Length(Suffix) &&
        SameText(Copy(Result, Length(Result) - Length(Suffix) + 1, Length(Suffix)), Suffix))
        SetLength(Result, Length(Result) - Length(Suffix));
    return Result;
}

Char UpperCaseChar(Char Ch) {
    return MapChar(Ch, UnicodeUpperChar);
}

Char LowerCaseChar(Char Ch) {
    return MapChar(Ch, UnicodeLowerChar);
}

void UpperCaseChar(String& Text) {
    MapBuffer(Text.data(), Length(Text), UnicodeUpperChar, u'a');
}

void LowerCaseChar(String& Text) {
    MapBuffer(Text.data(), Length(Text), UnicodeLowerChar, u'A');
}

int UpperCaseBuffer(Char* P, int Count) {
    return MapBuffer(P, Count, UnicodeUpperChar, u'a');
}

int LowerCaseBuffer(Char* P, int Count) {
    return MapBuffer(P, Count, UnicodeLowerChar, u'A');
}

String UpperCaseText(const String& S) {
    String Result = S;
    UpperCaseChar(Result);
    return Result;
}

String LowerCaseText(const String& S) {
    String Result = S;
    LowerCaseChar(Result);
    return Result;
}

String RepeatChar(Char Ch, int Count) {
    return Count > 0 ? String(size_t(Count), Ch) : String();
}

String TrimBlanks(const String& S) {
    return Trim(S);
}

// ---- 8-bit text ----

Cardinal CodePageOfLocale(Cardinal) {
    return 1252;
}

String AnsiToWideText(const AnsiString& Bytes, Cardinal CodePage) {
    switch (CodePage) {
    case 0:
    case 1252:
        return TEncoding::ANSI()->GetString(reinterpret_cast<const Byte*>(Bytes.data()), Bytes.size());
    case 65001:
        return Utf8ToString(Bytes);
    default:
        throw EEncodingError(Format(u"Code page %d is not supported", {CodePage}));
    }
}

bool IsSystemCodePageChar(Char Ch) {
    const TBytes Bytes = TEncoding::ANSI()->GetBytes(String(1, Ch));
    return TEncoding::ANSI()->GetString(Bytes) == String(1, Ch);
}

// ---- Measuring and drawing on a canvas ----

TSize MeasureText(TCanvas* Canvas, const String& Text, int Count) {
    return Canvas->TextExtent(Text.substr(0, static_cast<size_t>(ClampInt(Count, 0, Length(Text)))));
}

TSize MeasureTextOnCanvas(TCanvas* Canvas, const String& Text) {
    return Canvas->TextExtent(Text);
}

int TextWidthOnCanvas(TCanvas* Canvas, const String& Text) {
    return Canvas->TextExtent(Text).cx;
}

int TextHeightOnCanvas(TCanvas* Canvas, const String& Text) {
    return Canvas->TextExtent(Text).cy;
}

void DrawTextAt(TCanvas* Canvas, int X, int Y, const String& Text) {
    Canvas->TextOut(X, Y, Text);
}

void DrawTextInRect(TCanvas* Canvas, const TRect& Rect, int X, int Y, const String& Text) {
    Canvas->TextRect(Rect, X, Y, Text);
}

// ---- Plain text on the clipboard ----

bool ClipboardHasText() {
    return Clipboard()->HasFormat(CF_UNICODETEXT) || Clipboard()->HasFormat(CF_TEXT);
}

String ReadClipboardText() {
    return ClipboardHasText() ? Clipboard()->AsText() : String();
}

void WriteClipboardText(const String& Text) {
    if (Text.empty())
        return;
    Clipboard()->SetAsText(Text);
}
