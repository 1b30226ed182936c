#include "editor/CodeEditTextHelpers.h"
#include "platform/gui/Graphics.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Strings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// TABs shown as "»" in the tables.
String T(const char16_t* S) {
    String R = S;
    for (Char& C : R)
        if (C == u'»') C = 9;
    return R;
}

std::string Show(const String& S) {
    return StringToUtf8(S);
}

} // namespace

TEST(TextHelpers, TabExpansion) {
    struct Case {
        const char16_t* Line;
        int Width;
        const char16_t* Expanded;
    };
    const Case Cases[] = {
        {u"»", 4, u"»»»»"},
        {u"ab»", 4, u"ab»»"},
        {u"ab»", 3, u"ab»"}, // the general converter
        {u"a»b»c", 8, u"a»»»»»»»b»»»»»»»c"},
        {u"x»y", 6, u"x»»»»»y"},
        {u"»»", 2, u"»»»»"},
        {u"abcd»", 4, u"abcd»»»»"}, // a TAB on a stop takes a whole width
        {u"abc", 4, u"abc"},
        {u"", 4, u""},
        {u"a»b", 1, u"a b"}, // width 1 and below: one blank per TAB
        {u"»»", 0, u"  "},
        {u"»»", -3, u"  "},
    };
    for (const Case& C : Cases) {
        const String Line = T(C.Line);
        SCOPED_TRACE(Show(C.Line) + " width " + std::to_string(C.Width));
        const bool Tabbed = Line.find(u'\t') != String::npos;
        bool HasTabs = !Tabbed;
        EXPECT_EQ(TabExpanderWithFlagFor(C.Width)(Line, C.Width, HasTabs), T(C.Expanded));
        EXPECT_EQ(HasTabs, Tabbed);
        EXPECT_EQ(TabExpanderFor(C.Width)(Line, C.Width), T(C.Expanded));
        if (C.Width >= 1) {
            EXPECT_EQ(ExpandedLength(Line, C.Width), Length(T(C.Expanded)));
        }
        if (C.Width >= 2) {
            EXPECT_EQ(ExpandTabsAny(Line, C.Width), T(C.Expanded));
            EXPECT_EQ(ExpandTabsPow2(Line, C.Width), T(C.Expanded)); // also for other widths
        }
    }
    // Widths the general converter cannot divide by count as 1.
    EXPECT_EQ(ExpandTabsAny(T(u"a»b"), 0), T(u"a»b"));
    EXPECT_EQ(ExpandedLength(T(u"a»b"), 0), 3);
    EXPECT_EQ(ExpandedLength(T(u"a»b"), 8), 9);
    EXPECT_EQ(ExpandedLength(u"", 8), 0);
}

TEST(TextHelpers, ConverterChoice) {
    struct Case {
        int Width;
        bool PowerOfTwo;
        TExpandTabsFunc Expander;
    };
    const auto Width1 = static_cast<TExpandTabsFunc>(&ExpandTabsWidth1);
    const auto Pow2 = static_cast<TExpandTabsFunc>(&ExpandTabsPow2);
    const auto Any = static_cast<TExpandTabsFunc>(&ExpandTabsAny);
    const Case Cases[] = {
        {-1, false, Width1},  {0, false, Width1},       {1, false, Width1}, {2, true, Pow2},
        {3, false, Any},      {6, false, Any},          {8, true, Pow2},    {65536, true, Pow2},
        {131072, false, Any}, {INT_MIN, false, Width1},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(IsPowerOfTwoTabWidth(C.Width), C.PowerOfTwo) << C.Width;
        EXPECT_EQ(TabExpanderFor(C.Width), C.Expander) << C.Width;
    }
    EXPECT_EQ(TabExpanderWithFlagFor(4), static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsPow2));
    EXPECT_EQ(TabExpanderWithFlagFor(5), static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsAny));
    EXPECT_EQ(TabExpanderWithFlagFor(1), static_cast<TExpandTabsWithFlagFunc>(&ExpandTabsWidth1));
}

TEST(TextHelpers, CaretColumns) {
    struct Case {
        const char16_t* Line;
        int Width, Index, Column;
    };
    const Case Cases[] = {
        {u"a»b", 4, 3, 5}, {u"a»b", 4, 10, 12}, // beyond the end: one column per character
        {u"a»b", 4, 4, 6}, {u"a»b", 4, 2, 2},   // the TAB itself starts where it stands
        {u"a»b", 4, 1, 1}, {u"a»b", 4, 0, 1},           {u"a»b", 4, -5, 1}, {u"»»x", 4, 3, 9},
        {u"»»x", 4, 2, 5}, {u"ab»", 3, 4, 4},           {u"abc", 4, 7, 7},  {u"a»b", 1, 3, 3},
        {u"a»b", 0, 3, 3}, {u"»", 8, INT_MAX, INT_MAX}, // no overflow
    };
    for (const Case& C : Cases)
        EXPECT_EQ(CharIndexToCaretColumn(C.Index, C.Width, T(C.Line)), C.Column)
            << Show(C.Line) << " width " << C.Width << " index " << C.Index;
}

TEST(TextHelpers, FirstTabAndLineEnd) {
    int Before = -1;
    EXPECT_FALSE(FindFirstTab(nullptr, Before));
    EXPECT_EQ(Before, 0);
    EXPECT_TRUE(FindFirstTab(T(u"ab»c»").c_str(), Before));
    EXPECT_EQ(Before, 2);
    EXPECT_FALSE(FindFirstTab(u"abc", Before));
    EXPECT_EQ(Before, 3);
    EXPECT_FALSE(FindFirstTab(u"", Before));
    EXPECT_EQ(Before, 0);

    EXPECT_EQ(FindLineEnd(nullptr), nullptr);
    struct Case {
        const char16_t* Text;
        int Offset;
    };
    const Case Cases[] = {{u"ab\r\ncd", 2}, {u"ab\ncd", 2}, {u"abc", 3}, {u"\n", 0}, {u"", 0}};
    for (const Case& C : Cases)
        EXPECT_EQ(FindLineEnd(C.Text) - C.Text, C.Offset) << Show(C.Text);
}

TEST(TextHelpers, ScansForACategory) {
    int Calls = 0;
    const TCategoryMethod IsDigit = [&](Char C) {
        ++Calls;
        return C >= u'0' && C <= u'9';
    };
    struct Case {
        const char16_t* Line;
        int Start, Forward, Backward;
    };
    const Case Cases[] = {
        {u"ab1c2", 1, 3, 0}, {u"ab1c2", 4, 5, 3}, {u"ab1c2", 5, 5, 5}, {u"ab1c2", 3, 3, 3},
        {u"abc", 1, 0, 0},   {u"ab1c2", 0, 0, 0}, {u"ab1c2", 6, 0, 0}, {u"", 1, 0, 0},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(ScanForCategory(C.Line, C.Start, IsDigit), C.Forward) << Show(C.Line) << " " << C.Start;
        EXPECT_EQ(ScanBackForCategory(C.Line, C.Start, IsDigit), C.Backward)
            << Show(C.Line) << " " << C.Start;
    }
    Calls = 0;
    EXPECT_EQ(ScanForCategory(u"123", 0, IsDigit), 0);
    EXPECT_EQ(ScanBackForCategory(u"123", 4, IsDigit), 0);
    EXPECT_EQ(Calls, 0);
    EXPECT_EQ(ScanForCategory(u"123", 1, TCategoryMethod()), 0);
}

TEST(TextHelpers, EscapedSlashes) {
    struct Case {
        const char16_t* Plain;
        const char16_t* Escaped;
    };
    const Case Cases[] = {
        {u"a/b", u"a\\.b"},   {u"C:\\x", u"C:\\\\x"},
        {u"\\/", u"\\\\\\."}, {u"//", u"\\.\\."},
        {u"", u""},           {u"Page $PAGE$ of $PAGECOUNT$", u"Page $PAGE$ of $PAGECOUNT$"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(EscapeSlashes(C.Plain), C.Escaped) << Show(C.Plain);
        EXPECT_EQ(UnescapeSlashes(C.Escaped), C.Plain) << Show(C.Plain);
    }
    // Any backslash pair but a doubled one is a slash; a backslash at the very end too.
    EXPECT_EQ(UnescapeSlashes(u"a\\xb"), u"a/b");
    EXPECT_EQ(UnescapeSlashes(u"a\\"), u"a/");
    // Unescaping the escaped form gives the text back, for every mix of the special characters.
    const char16_t Parts[] = {u'\\', u'/', u'.', u'x'};
    for (int Mask = 0; Mask < 256; ++Mask) {
        String S;
        for (int I = 0; I < 4; ++I)
            S += Parts[(Mask >> (2 * I)) & 3];
        EXPECT_EQ(UnescapeSlashes(EscapeSlashes(S)), S) << Show(S);
    }
}

TEST(TextHelpers, HighlighterNames) {
    struct Case {
        const char16_t* ClassName;
        const char16_t* Name;
    };
    const Case Cases[] = {
        {u"TCodeCppHighlighter", u"Cpp"},
        {u"TCodeArduHighlighter", u"Ardu"},
        {u"tcodeXMLHIGHLIGHTER", u"XML"},
        {u"TPlainHighlighter", u"Plain"},
        {u"TCodeFoo", u"Foo"},
        {u"Highlighter", u""},
        {u"Other", u"Other"},
        {u"T", u""},
        {u"", u""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(HighlighterNameFromClass(C.ClassName), C.Name) << Show(C.ClassName);
}

TEST(TextHelpers, CaseConversionKeepsLengths) {
    struct Case {
        const char16_t* Text;
        const char16_t* Upper;
        const char16_t* Lower;
    };
    const Case Cases[] = {
        {u"abc XYZ 123", u"ABC XYZ 123", u"abc xyz 123"},
        {u"äöü ÿ", u"ÄÖÜ Ÿ", u"äöü ÿ"},
        {u"straße", u"STRAßE", u"straße"}, // no one-to-one upper case of ß
        {u"ı", u"I", u"ı"},
        {u"Ωμέγα", u"ΩΜΈΓΑ", u"ωμέγα"},
        {u"\U00010428x", u"\U00010400X", u"\U00010428x"}, // a pair mapped as its code point
        {u"\xD801!", u"\xD801!", u"\xD801!"},             // a lone surrogate stays
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(Show(C.Text));
        EXPECT_EQ(UpperCaseText(C.Text), C.Upper);
        EXPECT_EQ(LowerCaseText(C.Text), C.Lower);
        String InPlace = C.Text;
        UpperCaseChar(InPlace);
        EXPECT_EQ(InPlace, C.Upper);
        LowerCaseChar(InPlace);
        EXPECT_EQ(InPlace, LowerCaseText(C.Upper));
    }
    EXPECT_EQ(UpperCaseChar(u'q'), u'Q');
    EXPECT_EQ(LowerCaseChar(u'Ä'), u'ä');
    EXPECT_EQ(UpperCaseChar(Char(0xD801)), Char(0xD801));

    // Buffers: exactly Count characters; a pair cut by Count stays as it is.
    String Buffer = u"abcd";
    EXPECT_EQ(UpperCaseBuffer(Buffer.data(), 2), 2);
    EXPECT_EQ(Buffer, u"ABcd");
    String Cut = u"\U00010428";
    UpperCaseBuffer(Cut.data(), 1);
    EXPECT_EQ(Cut, u"\U00010428");
    EXPECT_EQ(LowerCaseBuffer(Buffer.data(), 0), 0);
    EXPECT_EQ(Buffer, u"ABcd");
}

TEST(TextHelpers, RepeatAndTrim) {
    EXPECT_EQ(RepeatChar(u'x', 3), u"xxx");
    EXPECT_EQ(RepeatChar(u'x', 0), u"");
    EXPECT_EQ(RepeatChar(u'x', -2), u"");
    EXPECT_EQ(TrimBlanks(T(u"» \t »")), u"");
    EXPECT_EQ(TrimBlanks(u" a b\r\n"), u"a b");
    EXPECT_EQ(TrimBlanks(u""), u"");
}

TEST(TextHelpers, EightBitText) {
    EXPECT_EQ(CodePageOfLocale(0x0409), 1252u);
    EXPECT_EQ(CodePageOfLocale(0x0419), 1252u);
    EXPECT_EQ(AnsiToWideText("a\x80\xE9", 1252), u"a€é");
    EXPECT_EQ(AnsiToWideText("a\x80\xE9", 0), u"a€é");
    EXPECT_EQ(AnsiToWideText("a\xC3\xA9", 65001), u"aé");
    EXPECT_EQ(AnsiToWideText("", 1252), u"");
    try {
        AnsiToWideText("x", 1251);
        FAIL() << "no error";
    } catch (const EEncodingError& E) {
        EXPECT_EQ(E.Message(), u"Code page 1251 is not supported");
    }
    EXPECT_TRUE(IsSystemCodePageChar(u'a'));
    EXPECT_TRUE(IsSystemCodePageChar(u'€'));
    EXPECT_TRUE(IsSystemCodePageChar(u'?'));
    EXPECT_FALSE(IsSystemCodePageChar(u'Ω'));
    EXPECT_FALSE(IsSystemCodePageChar(Char(0xD800)));
}

TEST(TextHelpers, MeasureAndDrawOnACanvas) {
    TBitmap Bmp;
    Bmp.SetSize(200, 40);
    TCanvas* C = Bmp.Canvas();
    C->Font()->SetName(u"Courier New");
    C->Font()->SetSize(10);
    C->Brush()->SetColor(clWhite);
    C->FillRect(Rect(0, 0, 200, 40));
    const int W = TextWidthOnCanvas(C, u"abc");
    EXPECT_EQ(W, 3 * TextWidthOnCanvas(C, u"a"));  // a monospace font
    EXPECT_EQ(MeasureText(C, u"abcdef", 3).cx, W);
    EXPECT_EQ(MeasureText(C, u"ab", 10).cx, TextWidthOnCanvas(C, u"ab"));  // Count past the end
    EXPECT_EQ(MeasureTextOnCanvas(C, u"abc").cy, TextHeightOnCanvas(C, u"abc"));

    C->Font()->SetColor(clBlack);
    DrawTextAt(C, 5, 2, u"abc");
    EXPECT_EQ(C->PenPos(), Point(5 + W, 2));

    // In a rectangle: filled with the brush, nothing drawn outside it.
    C->Brush()->SetColor(clRed);
    DrawTextInRect(C, Rect(100, 0, 120, 20), 100, 0, u"WWWWWW");
    EXPECT_EQ(C->Pixels(119, 19), clRed);
    EXPECT_EQ(C->Pixels(121, 5), clWhite);
}

TEST(TextHelpers, PlainTextOnTheClipboard) {
    WriteClipboardText(u"void setup() {}\n\u00e4");
    EXPECT_TRUE(ClipboardHasText());
    EXPECT_EQ(ReadClipboardText(), u"void setup() {}\n\u00e4");
    WriteClipboardText(u"");  // does nothing
    EXPECT_EQ(ReadClipboardText(), u"void setup() {}\n\u00e4");
}
