#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Runs F and returns the message of the EConvertError it raises ("" when none).
template <typename F> String ConvertErrorOf(F&& Fn) {
    try {
        Fn();
    } catch (const EConvertError& E) {
        return E.Message();
    }
    return String();
}

const String Emoji = u"\U0001F600"; // one code point, two Chars

} // namespace

TEST(Strings, Utf8ConversionReplacesMalformedSequences) {
    struct Case {
        std::string Utf8;
        String Text;
    } Cases[] = {
        {"Größe", u"Größe"},
        {"\xF0\x9F\x98\x80", Emoji},                       // four bytes: a surrogate pair
        {std::string("a\xFF") + "b", u"a\uFFFDb"},         // not a lead byte
        {"\xC3", u"\uFFFD"},                               // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Utf8ToString(C.Utf8), C.Text) << C.Utf8;
    EXPECT_EQ(StringToUtf8(u"Größe" + Emoji), "Größe\xF0\x9F\x98\x80");
    EXPECT_EQ(StringToUtf8(String(1, Char(0xD800)) + u"x"), "\xEF\xBF\xBDx"); // a lone surrogate
    String Out = u"ab";
    AppendUtf8(Out, "cß");
    EXPECT_EQ(Out, u"abcß");
}

TEST(Strings, PosAndPosExAreOneBasedAndZeroWhenAbsent) {
    struct Case {
        String Sub, S;
        int Offset, Pos, PosEx;
    } Cases[] = {
        {u"b", u"abcb", 1, 2, 2},      {u"b", u"abcb", 3, 2, 4}, {u"abcb", u"abcb", 1, 1, 1},
        {u"x", u"abc", 1, 0, 0},       {u"", u"abc", 1, 0, 0},  // an empty text is never found
        {u"a", u"", 1, 0, 0},          {u"b", u"abc", 0, 2, 0}, // Offset < 1
        {u"c", u"abc", 3, 3, 3},                                // the last position
        {u"c", u"abc", 4, 3, 0},                                // beyond
        {u"abcd", u"abc", 1, 0, 0},                             // longer than the text
        {u"x", Emoji + u"x", 1, 3, 3},                          // a surrogate pair counts as two Chars
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Sub) + " in " + StringToUtf8(C.S));
        EXPECT_EQ(Pos(C.Sub, C.S), C.Pos);
        EXPECT_EQ(AnsiPos(C.Sub, C.S), C.Pos);
        EXPECT_EQ(PosEx(C.Sub, C.S, C.Offset), C.PosEx);
    }
}

TEST(Strings, CopyClampsIndexAndCount) {
    struct Case {
        String S;
        int Index, Count;
        String Expected;
    } Cases[] = {
        {u"abcdef", 2, 3, u"bcd"},
        {u"abcdef", 5, 10, u"ef"},
        {u"abcdef", 0, 2, u"ab"},
        {u"abcdef", -5, 2, u"ab"},
        {u"abcdef", 7, 1, u""},
        {u"abcdef", 6, 1, u"f"},
        {u"abcdef", 2, 0, u""},
        {u"abcdef", 2, -1, u""},
        {u"", 1, 1, u""},
        {u"abcdef", 1, std::numeric_limits<int>::max(), u"abcdef"},
        {Emoji + u"x", 2, 2, Emoji.substr(1) + u"x"}, // half a pair is a Char like any other
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Copy(C.S, C.Index, C.Count), C.Expected) << C.Index << "," << C.Count;
}

TEST(Strings, DeleteIgnoresOutOfRangeIndexesAndClampsCount) {
    struct Case {
        int Index, Count;
        String Expected;
    } Cases[] = {
        {2, 2, u"adef"},   {5, 10, u"abcd"},  {1, 6, u""},        {0, 2, u"abcdef"},
        {7, 1, u"abcdef"}, {3, 0, u"abcdef"}, {3, -2, u"abcdef"}, {6, 1, u"abcde"},
    };
    for (const Case& C : Cases) {
        String S = u"abcdef";
        Delete(S, C.Index, C.Count);
        EXPECT_EQ(S, C.Expected) << C.Index << "," << C.Count;
    }
}

TEST(Strings, InsertClampsIndex) {
    struct Case {
        String S;
        int Index;
        String Expected;
    } Cases[] = {
        {u"abc", 1, u"XYabc"}, {u"abc", 2, u"aXYbc"},  {u"abc", 4, u"abcXY"}, {u"abc", 99, u"abcXY"},
        {u"abc", 0, u"XYabc"}, {u"abc", -3, u"XYabc"}, {u"", 5, u"XY"},
    };
    for (const Case& C : Cases) {
        String S = C.S;
        Insert(u"XY", S, C.Index);
        EXPECT_EQ(S, C.Expected) << C.Index;
    }
}

TEST(Strings, LengthPaddingAndRepetition) {
    EXPECT_EQ(Length(u""), 0);
    EXPECT_EQ(Length(Emoji), 2);
    String S = u"abc";
    SetLength(S, 5);
    EXPECT_EQ(S, String(u"abc\0\0", 5));
    SetLength(S, 1);
    EXPECT_EQ(S, u"a");
    SetLength(S, -1);
    EXPECT_EQ(S, u"");
    EXPECT_EQ(StringOfChar(u'-', 3), u"---");
    EXPECT_EQ(StringOfChar(u'-', -1), u"");
    EXPECT_EQ(DupeString(u"ab", 3), u"ababab");
    EXPECT_EQ(DupeString(u"ab", 0), u"");
}

TEST(Strings, TrimRemovesBlanksAndControlCharactersOnly) {
    struct Case {
        String S, Both, Left, Right;
    } Cases[] = {
        {u" \t\r\na b\x01 ", u"a b", u"a b\x01 ", u" \t\r\na b"},
        {u"", u"", u"", u""},
        {u"   ", u"", u"", u""},
        {u"\u00A0x\u00A0", u"\u00A0x\u00A0", u"\u00A0x\u00A0", u"\u00A0x\u00A0"}, // not <= ' '
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Trim(C.S), C.Both);
        EXPECT_EQ(TrimLeft(C.S), C.Left);
        EXPECT_EQ(TrimRight(C.S), C.Right);
    }
}

TEST(Strings, DelimitersByPosition) {
    EXPECT_EQ(LastDelimiter(u"/.", u"dir/file.ext"), 9);
    EXPECT_EQ(LastDelimiter(u"/", u"dir/file.ext"), 4);
    EXPECT_EQ(LastDelimiter(u"\\", u"dir/file.ext"), 0);
    EXPECT_EQ(LastDelimiter(u"/", u""), 0);
    EXPECT_TRUE(IsDelimiter(u"/.", u"a.b", 2));
    EXPECT_FALSE(IsDelimiter(u"/.", u"a.b", 1));
    EXPECT_FALSE(IsDelimiter(u"/.", u"a.b", 0));
    EXPECT_FALSE(IsDelimiter(u"/.", u"a.b", 4));
}

TEST(Strings, QuotingRoundTripsAndDequotingLeavesUnquotedTextAlone) {
    EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
    EXPECT_EQ(QuotedStr(u""), u"''");
    EXPECT_EQ(AnsiQuotedStr(u"say \"hi\"", u'"'), u"\"say \"\"hi\"\"\"");
    struct Case {
        String S, Expected;
    } Cases[] = {
        {u"'it''s'", u"it's"}, {u"''", u""},    {u"'abc'def", u"abc"}, // text after the closing quote
        {u"abc", u"abc"},      {u"", u""},      {u"'abc", u"'abc"},    // unterminated
        {u"'a''", u"'a''"},    {u"''''", u"'"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(AnsiDequotedStr(C.S, u'\''), C.Expected) << StringToUtf8(C.S);
    for (const String& S : {String(u"x"), String(u"'q'"), String(u"a''b"), String(u"")})
        EXPECT_EQ(AnsiDequotedStr(QuotedStr(S), u'\''), S);
}

TEST(Strings, StringReplaceFlags) {
    struct Case {
        String S, Old, New;
        TReplaceFlags Flags;
        String Expected;
    } Cases[] = {
        {u"aXbxc", u"x", u"--", TReplaceFlags{}, u"aXb--c"},
        {u"aXbxc", u"x", u"--", rfReplaceAll, u"aXb--c"},
        {u"aXbxc", u"x", u"--", rfIgnoreCase, u"a--bxc"},
        {u"aXbxc", u"x", u"--", rfReplaceAll | rfIgnoreCase, u"a--b--c"},
        {u"ÄäÖ", u"ä", u"ae", rfReplaceAll | rfIgnoreCase, u"aeaeÖ"}, // beyond ASCII
        {u"aaaa", u"aa", u"a", rfReplaceAll, u"aa"},                  // no re-scan of the result
        {u"abc", u"", u"x", rfReplaceAll, u"abc"},
        {u"abc", u"b", u"", rfReplaceAll, u"ac"},
        {u"", u"b", u"x", rfReplaceAll, u""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(StringReplace(C.S, C.Old, C.New, C.Flags), C.Expected) << StringToUtf8(C.S);
}

TEST(Strings, StartsEndsContains) {
    struct Case {
        String Sub, Text;
        bool Starts, StartsT, Ends, EndsT, Contains, ContainsT;
    } Cases[] = {
        {u"ab", u"abcAB", true, true, false, true, true, true},
        {u"AB", u"abcab", false, true, false, true, false, true},
        {u"cab", u"abcab", false, false, true, true, true, true},
        {u"x", u"abc", false, false, false, false, false, false},
        {u"abcd", u"abc", false, false, false, false, false, false},
        {u"", u"abc", true, true, true, true, false, false},
        {u"ÄB", u"äbc", false, true, false, false, false, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Sub) + " / " + StringToUtf8(C.Text));
        EXPECT_EQ(StartsStr(C.Sub, C.Text), C.Starts);
        EXPECT_EQ(StartsText(C.Sub, C.Text), C.StartsT);
        EXPECT_EQ(EndsStr(C.Sub, C.Text), C.Ends);
        EXPECT_EQ(EndsText(C.Sub, C.Text), C.EndsT);
        EXPECT_EQ(ContainsStr(C.Text, C.Sub), C.Contains);
        EXPECT_EQ(ContainsText(C.Text, C.Sub), C.ContainsT);
    }
}

TEST(Strings, PlainCaseRoutinesAreAsciiOnlyAnsiOnesAreUnicode) {
    EXPECT_EQ(UpperCase(u"abc-äö"), u"ABC-äö");
    EXPECT_EQ(LowerCase(u"ABC-ÄÖ"), u"abc-ÄÖ");
    EXPECT_EQ(AnsiUpperCase(u"abc-äö"), u"ABC-ÄÖ");
    EXPECT_EQ(AnsiLowerCase(u"ABC-ÄÖ"), u"abc-äö");
    EXPECT_EQ(CompareText(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareText(u"abc", u"ABD"), 0);
    EXPECT_GT(CompareText(u"b", u"A"), 0);
    EXPECT_LT(CompareText(u"ab", u"abc"), 0);
    EXPECT_FALSE(SameText(u"ä", u"Ä"));
    EXPECT_TRUE(AnsiSameText(u"ä", u"Ä"));
    EXPECT_LT(AnsiCompareStr(u"a", u"A"), 0);
    EXPECT_LT(AnsiCompareStr(u"A", u"b"), 0);
    EXPECT_GT(CompareStr(u"b", u"a"), 0);
}

TEST(Strings, IntegersToText) {
    EXPECT_EQ(IntToStr(0), u"0");
    EXPECT_EQ(IntToStr(-42), u"-42");
    EXPECT_EQ(IntToStr(std::numeric_limits<int>::min()), u"-2147483648");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), u"-9223372036854775808");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::max()), u"9223372036854775807");
    EXPECT_EQ(UIntToStr(std::numeric_limits<UInt64>::max()), u"18446744073709551615");
    EXPECT_EQ(UIntToStr(0xFFFFFFFFu), u"4294967295");
    EXPECT_EQ(IntToHex(255, 4), u"00FF");
    EXPECT_EQ(IntToHex(0x12345, 2), u"12345"); // Digits is a minimum
    EXPECT_EQ(IntToHex(0, 0), u"0");
    EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF"); // an int is 32 bits wide
    EXPECT_EQ(IntToHex(Int64(-2), 4), u"FFFFFFFFFFFFFFFE");
    EXPECT_EQ(IntToHex(Word(0xABCD), 2), u"ABCD");
    EXPECT_EQ(IntToHex(UInt64(0x1234567890ABCDEFull), 20), u"00001234567890ABCDEF");
}

TEST(Strings, TextToIntegers) {
    struct Case {
        String S;
        bool IntOk;
        int Int;
        bool Int64Ok;
        Int64 Int64V;
    } Cases[] = {
        {u"123", true, 123, true, 123},
        {u"  -7", true, -7, true, -7},
        {u"+7", true, 7, true, 7},
        {u"$1F", true, 31, true, 31},
        {u"0x1f", true, 31, true, 31},
        {u"X10", true, 16, true, 16},
        {u"-$10", true, -16, true, -16},
        {u"$FFFFFFFF", true, -1, true, 0xFFFFFFFF}, // hexadecimal fills all bits
        {u"2147483647", true, 2147483647, true, 2147483647},
        {u"-2147483648", true, std::numeric_limits<int>::min(), true, -2147483648LL},
        {u"2147483648", false, 0, true, 2147483648LL},
        {u"$100000000", false, 0, true, 0x100000000LL},
        {u"9223372036854775807", false, 0, true, std::numeric_limits<Int64>::max()},
        {u"-9223372036854775808", false, 0, true, std::numeric_limits<Int64>::min()},
        {u"$FFFFFFFFFFFFFFFF", false, 0, true, -1},
        {u"9223372036854775808", false, 0, false, 0},
        {u"$10000000000000000", false, 0, false, 0},
        {u"00000000000000000000042", true, 42, true, 42},
        {u"", false, 0, false, 0},
        {u" ", false, 0, false, 0},
        {u"-", false, 0, false, 0},
        {u"$", false, 0, false, 0},
        {u"0x", false, 0, false, 0},
        {u"12 ", false, 0, false, 0},  // no trailing blanks
        {u"\t12", false, 0, false, 0}, // leading blanks are spaces only
        {u"1.5", false, 0, false, 0},
        {u"12a", false, 0, false, 0},
        {u"$1G", false, 0, false, 0},
        {u"--1", false, 0, false, 0},
        {u"\uFF11", false, 0, false, 0}, // a full-width digit is not a digit here
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.S));
        int I = -99;
        Int64 L = -99;
        EXPECT_EQ(TryStrToInt(C.S, I), C.IntOk);
        EXPECT_EQ(TryStrToInt64(C.S, L), C.Int64Ok);
        EXPECT_EQ(StrToIntDef(C.S, -99), C.IntOk ? C.Int : -99);
        EXPECT_EQ(StrToInt64Def(C.S, -99), C.Int64Ok ? C.Int64V : -99);
        const String Expected = C.IntOk ? u"" : u"'" + C.S + u"' is not a valid integer value";
        EXPECT_EQ(ConvertErrorOf([&] { EXPECT_EQ(StrToInt(C.S), C.Int); }), Expected);
        const String Expected64 = C.Int64Ok ? u"" : u"'" + C.S + u"' is not a valid integer value";
        EXPECT_EQ(ConvertErrorOf([&] { EXPECT_EQ(StrToInt64(C.S), C.Int64V); }), Expected64);
    }
}

TEST(Strings, FloatToStrGeneralFormat) {
    struct Case {
        double V;
        String Expected;
    } Cases[] = {
        {0.0, u"0"},
        {-0.0, u"0"},
        {0.1, u"0.1"},
        {-2.5, u"-2.5"},
        {1.0 / 3, u"0.333333333333333"},
        {2.0 / 3, u"0.666666666666667"},
        {100, u"100"},
        {1e14, u"100000000000000"},
        {1e15, u"1E15"},
        {123456789012345678.0, u"1.23456789012346E17"},
        {999999999999999.9, u"1E15"}, // rounding carries into a new digit
        {0.0001, u"0.0001"},
        {0.00001, u"1E-5"},
        {-1.5e-10, u"-1.5E-10"},
        {1.7976931348623157e308, u"1.79769313486232E308"},
        {5e-324, u"5E-324"}, // the shortest text that reads back as the same double
        {std::numeric_limits<double>::infinity(), u"INF"},
        {-std::numeric_limits<double>::infinity(), u"-INF"},
        {std::nan(""), u"NAN"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FloatToStr(C.V), C.Expected) << C.V;
    TFormatSettings FS;
    FS.DecimalSeparator = u',';
    EXPECT_EQ(FloatToStr(-1.25, FS), u"-1,25");
    EXPECT_EQ(FloatToStr(1.25e-7, FS), u"1,25E-7");
}

TEST(Strings, FloatToStrFFormats) {
    TFormatSettings FS;
    FS.ThousandSeparator = u'.';
    FS.DecimalSeparator = u',';
    FS.CurrencyString = u"EUR";
    FS.CurrencyFormat = 3;
    FS.NegCurrFormat = 8;
    struct Case {
        double V;
        TFloatFormat F;
        int Precision, Digits;
        String Default, Custom;
    } Cases[] = {
        {1234.5678, ffGeneral, 6, 0, u"1234.57", u"1234,57"},
        {1234.5678, ffGeneral, 3, 0, u"1.23E3", u"1,23E3"},
        {1234.5678, ffGeneral, 3, 4, u"1.23E0003", u"1,23E0003"},
        {1234.5678, ffExponent, 4, 2, u"1.235E+03", u"1,235E+03"},
        {-0.00012, ffExponent, 3, 0, u"-1.20E-4", u"-1,20E-4"},
        {0, ffExponent, 3, 3, u"0.00E+000", u"0,00E+000"},
        {5, ffExponent, 1, 1, u"5E+0", u"5E+0"},
        {1234.5678, ffFixed, 15, 2, u"1234.57", u"1234,57"},
        {1234.5678, ffFixed, 15, 0, u"1235", u"1235"},
        {1.23456789, ffFixed, 3, 5, u"1.23000", u"1,23000"}, // Precision limits the digits
        {0.125, ffFixed, 15, 2, u"0.13", u"0,13"},           // halves away from zero
        {1.005, ffFixed, 15, 2, u"1.01", u"1,01"},
        {-0.125, ffFixed, 15, 2, u"-0.13", u"-0,13"},
        {-0.001, ffFixed, 15, 2, u"0.00", u"0,00"}, // no "-0.00"
        {0.5, ffFixed, 15, 0, u"1", u"1"},
        {9.995, ffFixed, 15, 2, u"10.00", u"10,00"},
        {1234567.891, ffFixed, 4, 2, u"1.235E6", u"1,235E6"}, // too many integer digits
        {1234567.891, ffNumber, 15, 2, u"1,234,567.89", u"1.234.567,89"},
        {-123.4, ffNumber, 15, 1, u"-123.4", u"-123,4"},
        {999.999, ffNumber, 15, 2, u"1,000.00", u"1.000,00"},
        {1234.5, ffCurrency, 15, 2, u"$1,234.50", u"1.234,50 EUR"},
        {-1234.5, ffCurrency, 15, 0, u"($1,235)", u"-1.235 EUR"},
        {std::nan(""), ffFixed, 15, 2, u"NAN", u"NAN"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.V << " format " << C.F << " " << C.Precision << "," << C.Digits);
        EXPECT_EQ(FloatToStrF(C.V, C.F, C.Precision, C.Digits), C.Default);
        EXPECT_EQ(FloatToStrF(C.V, C.F, C.Precision, C.Digits, FS), C.Custom);
    }
}

TEST(Strings, CurrencyPlacements) {
    TFormatSettings FS;
    FS.CurrencyString = u"€";
    const String Positive[] = {u"€1.50", u"1.50€", u"€ 1.50", u"1.50 €"};
    for (int F = 0; F < 4; ++F) {
        FS.CurrencyFormat = static_cast<Byte>(F);
        EXPECT_EQ(FloatToStrF(1.5, ffCurrency, 15, 2, FS), Positive[F]);
    }
    const String Negative[] = {u"(€1.50)", u"-€1.50",  u"€-1.50",   u"€1.50-",  u"(1.50€)", u"-1.50€",
                               u"1.50-€",  u"1.50€-",  u"-1.50 €",  u"-€ 1.50", u"1.50 €-", u"€ 1.50-",
                               u"€ -1.50", u"1.50- €", u"(€ 1.50)", u"(1.50 €)"};
    for (int F = 0; F < 16; ++F) {
        FS.NegCurrFormat = static_cast<Byte>(F);
        EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2, FS), Negative[F]) << F;
    }
}

TEST(Strings, TextToFloat) {
    struct Case {
        String S;
        bool Ok;
        double V;
    } Cases[] = {
        {u"1.5", true, 1.5},
        {u"  -1.5  ", true, -1.5},
        {u"+.5", true, 0.5},
        {u"1.", true, 1},
        {u"1e3", true, 1000},
        {u"1.5E-3", true, 0.0015},
        {u"-2e+2", true, -200},
        {u"0", true, 0},
        {u"1e-400", true, 0}, // underflow reads as 0
        {u"1e400", false, 0},
        {u"", false, 0},
        {u".", false, 0},
        {u"-", false, 0},
        {u"1,5", false, 0},
        {u"1.5.", false, 0},
        {u"1e", false, 0},
        {u"1e+", false, 0},
        {u"e5", false, 0},
        {u"1 000", false, 0},
        {u"0x10", false, 0},
        {u"1.5x", false, 0},
        {u"inf", true, std::numeric_limits<double>::infinity()},
        {u"-INF", true, -std::numeric_limits<double>::infinity()},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.S));
        double V = -99;
        EXPECT_EQ(TryStrToFloat(C.S, V), C.Ok);
        if (C.Ok) {
            EXPECT_EQ(V, C.V);
        }
        EXPECT_EQ(StrToFloatDef(C.S, -99), C.Ok ? C.V : -99);
        const String Expected = C.Ok ? u"" : u"'" + C.S + u"' is not a valid floating point value";
        EXPECT_EQ(ConvertErrorOf([&] { StrToFloat(C.S); }), Expected);
    }
    double V;
    EXPECT_TRUE(TryStrToFloat(u"nan", V));
    EXPECT_TRUE(std::isnan(V));
    TFormatSettings FS;
    FS.DecimalSeparator = u',';
    EXPECT_EQ(StrToFloat(u"-1,25", FS), -1.25);
    EXPECT_EQ(StrToFloatDef(u"1.25", 7, FS), 7);
}

TEST(Strings, FloatTextRoundTrips) {
    TFormatSettings Comma;
    Comma.DecimalSeparator = u',';
    for (double V : {0.0, 0.1, -2.5, 1e15, 1e-5, 123456789012345.0, 1.23456789012345e-200, 9.87654321e300,
                     -0.000123456789012345}) {
        EXPECT_EQ(StrToFloat(FloatToStr(V)), V) << V;
        EXPECT_EQ(StrToFloat(FloatToStr(V, Comma), Comma), V) << V;
    }
}

TEST(Strings, Booleans) {
    EXPECT_EQ(BoolToStr(true), u"-1");
    EXPECT_EQ(BoolToStr(false), u"0");
    EXPECT_EQ(BoolToStr(true, true), u"True");
    EXPECT_EQ(BoolToStr(false, true), u"False");
    struct Case {
        String S;
        bool V;
    } Cases[] = {{u"True", true}, {u"true", true}, {u"FALSE", false}, {u"-1", true},
                 {u"0", false},   {u"2.5", true},  {u"0.0", false}};
    for (const Case& C : Cases)
        EXPECT_EQ(StrToBool(C.S), C.V) << StringToUtf8(C.S);
    EXPECT_EQ(ConvertErrorOf([] { StrToBool(u"yes"); }), u"'yes' is not a valid boolean value");
    EXPECT_EQ(ConvertErrorOf([] { StrToBool(u""); }), u"'' is not a valid boolean value");
}
