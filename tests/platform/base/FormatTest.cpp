#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

struct Row {
    const char* Fmt; // for the trace
    std::function<String()> Run;
    String Expected;
};

// One row: the expected text, then the Format call's format and arguments.
// clang-format off
#define ROW(Expected, Fmt, ...) Row{#Fmt " " #__VA_ARGS__, [=] { return Format(Fmt, {__VA_ARGS__}); }, Expected}
#define ROW_FS(Expected, Fmt, ...) \
    Row{#Fmt " " #__VA_ARGS__, [] { return Format(Fmt, {__VA_ARGS__}, Custom()); }, Expected}
// clang-format on

// German-style separators and a trailing currency, to see that every directive reads them.
const TFormatSettings& Custom() {
    static const TFormatSettings FS = [] {
        TFormatSettings S;
        S.ThousandSeparator = u'.';
        S.DecimalSeparator = u',';
        S.CurrencyString = String(u"€");
        S.CurrencyFormat = 3;
        S.NegCurrFormat = 8;
        S.CurrencyDecimals = 1;
        return S;
    }();
    return FS;
}

void RunRows(const std::vector<Row>& Rows) {
    for (const Row& R : Rows) {
        SCOPED_TRACE(R.Fmt);
        try {
            EXPECT_EQ(R.Run(), R.Expected);
        } catch (const Exception& E) {
            ADD_FAILURE() << E.ClassName() << ": " << E.what();
        }
    }
}

const String Text = u"abcdef";
const AnsiString Utf8Text = "Größe";
enum tSmall : Byte { smA, smB = 200 };
enum class TBig : Int64 { Huge = 1LL << 40 };
int SomeInt;

} // namespace

TEST(Format, IntegerDirectives) {
    RunRows({
        ROW(u"42", u"%d", 42),
        ROW(u"-42", u"%d", -42),
        ROW(u"   42|", u"%5d|", 42),
        ROW(u"42   |", u"%-5d|", 42),
        ROW(u"-0042", u"%.4d", -42), // precision: digits, the sign not counted
        ROW(u"   007", u"%6.3d", 7),
        ROW(u"42", u"%.1d", 42),
        ROW(u"-9223372036854775808", u"%d", std::numeric_limits<Int64>::min()),
        ROW(u"18446744073709551615", u"%d", std::numeric_limits<UInt64>::max()),
        ROW(u"4000000000", u"%d", 4000000000u), // an unsigned int keeps its value
        ROW(u"200 1099511627776", u"%d %d", smB, TBig::Huge),
        ROW(u"4294967295", u"%u", -1), // a negative int as unsigned 32 bits
        ROW(u"18446744073709551615", u"%u", Int64(-1)),
        ROW(u"  005", u"%5.3u", 5),
        ROW(u"FF", u"%x", 255),
        ROW(u"FF", u"%X", 255), // the type letter in either case
        ROW(u"FFFFFFFF", u"%x", -1),
        ROW(u"FFFFFFFFFFFFFFFE", u"%x", Int64(-2)),
        ROW(u"$00FF", u"$%.4x", 255),
        ROW(u"      FF", u"%08x", 255), // '0' is no flag: a width of 8
        ROW(u"{000012AB-0001}", u"{%.8x-%.4x}", 0x12AB, 1),
        ROW(u"Val:   42 < 0..100 >", u"%s:%5d < %d..%d >", u"Val", 42, 0, 100),
    });
}

TEST(Format, FloatDirectives) {
    RunRows({
        ROW(u"3.14", u"%f", 3.14159),
        ROW(u"3", u"%.0f", 2.5), // halves away from zero
        ROW(u"-3", u"%.0f", -2.5),
        ROW(u"0.13", u"%.2f", 0.125),
        ROW(u"1.01", u"%.2f", 1.005),                // the double's shortest text, 1.005, is rounded
        ROW(u"0.100000000000000000", u"%.20f", 0.1), // at most 18 decimals
        ROW(u"    3.14|", u"%8.2f|", 3.14159),
        ROW(u"3.14    |", u"%-8.2f|", 3.14159),
        ROW(u"1.00000", u"%.5f", 1.0),
        ROW(u"0.00", u"%.2f", -0.001),
        ROW(u"100000000000000000.00", u"%f", 1e17),
        ROW(u"1E20", u"%f", 1e20), // more integer digits than 18
        ROW(u"1.00000000000000E+003", u"%e", 1000.0),
        ROW(u"1.23E+003", u"%.3e", 1234.5),
        ROW(u"-1.2E-004", u"%.2e", -0.000123),
        ROW(u"0.00000000000000E+000", u"%e", 0.0),
        ROW(u"1.00000000000000E+003", u"%.40e", 1000.0), // at most 15 digits
        ROW(u"0.1", u"%g", 0.1),
        ROW(u"100", u"%g", 100.0),
        ROW(u"1E15", u"%g", 1e15),
        ROW(u"0.333333333333333", u"%g", 1.0 / 3),
        ROW(u"1.23E3", u"%.3g", 1234.5),
        ROW(u"1E-5", u"%g", 0.00001),
        ROW(u"1,234,567.89", u"%n", 1234567.891),
        ROW(u"1,234,568", u"%.0n", 1234567.891),
        ROW(u"-1,000.00", u"%n", -1000.0),
        ROW(u"123.00", u"%n", 123.0),
        ROW(u"$1,234.50", u"%m", 1234.5),
        ROW(u"($5.00)", u"%m", -5.0),
        ROW(u"$1,235", u"%.0m", 1234.5),
        ROW(u"  $1.00", u"%7m", 1.0),
        ROW(u"NAN INF -INF", u"%f %e %g", std::nan(""), std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity()),
        ROW(u"1.5", u"%g", 1.5f),
    });
}

TEST(Format, FloatDirectivesReadTheGivenSettings) {
    RunRows({
        ROW_FS(u"3,14", u"%f", 3.14159),
        ROW_FS(u"1.234.567,89", u"%n", 1234567.891),
        ROW_FS(u"1.234,5 €", u"%m", 1234.5), // CurrencyDecimals 1, CurrencyFormat 3
        ROW_FS(u"-5,0 €", u"%m", -5.0),      // NegCurrFormat 8
        ROW_FS(u"1,00000000000000E+003", u"%e", 1000.0),
        ROW_FS(u"0,5", u"%g", 0.5),
    });
}

TEST(Format, TextPointerAndLiteralDirectives) {
    const Char* Null16 = nullptr;
    const char* Null8 = nullptr;
    RunRows({
        ROW(u"abcdef", u"%s", Text),
        ROW(u"ab", u"%.2s", Text),
        ROW(u"abcdef", u"%.20s", Text),
        ROW(u"   ab|", u"%5s|", u"ab"),
        ROW(u"ab   |", u"%-5s|", u"ab"),
        ROW(u"abcdef", u"%3s", Text),   // width never cuts
        ROW(u"Größe", u"%s", Utf8Text), // UTF-8 text
        ROW(u"Gr", u"%.2s", "Größe"),
        ROW(u"x-c", u"%s-%s", u'x', 'c'),
        ROW(u"ü", u"%s", u'ü'),
        ROW(u"view", u"%s", StringView(u"viewer").substr(0, 4)),
        ROW(u"[][]", u"[%s][%s]", Null16, Null8),
        ROW(u"[]", u"[%s]", u""),
        ROW(u"0000000000001234", u"%p", reinterpret_cast<const void*>(0x1234)),
        ROW(u"0000000000000000", u"%p", nullptr),
        ROW(u"  00000000000000AB", u"%18p", reinterpret_cast<int*>(0xAB)),
        ROW(u"100%", u"100%%"),
        ROW(u"%d", u"%%d", 1),
        ROW(u"", u""),
        ROW(u"no directives", u"no directives", 1, 2), // unused arguments are fine
    });
}

TEST(Format, IndexesAndStars) {
    RunRows({
        ROW(u"b a", u"%1:s %0:s", u"a", u"b"),
        ROW(u"b c", u"%1:s %s", u"a", u"b", u"c"), // later directives continue from the index
        ROW(u"aa", u"%0:s%0:s", u"a"),
        ROW(u"padding-left:5px;padding-right:5px;", u"padding-left:%dpx;padding-right:%0:dpx;", 5),
        ROW(u"   42", u"%*d", 5, 42),
        ROW(u"42   |", u"%-*d|", 5, 42),
        ROW(u"42", u"%*d", -5, 42), // a negative width is no width
        ROW(u"3.142", u"%.*f", 3, 3.14159),
        ROW(u"     2.3", u"%*.*f", 8, 1, 2.25),
        ROW(u"$00FF", u"$%.*x", 4, 255),
        ROW(u"  x", u"%1:*s", u"unused", 3, u"x"), // the index, then the star from there
        ROW(u" 7", u"%*:*d", 1, 2, 7),             // the index itself from an argument
        ROW(u"   42", u"%*d", Int64(5), 42),
    });
}

TEST(Format, InvalidDirectivesAndArgumentsRaise) {
    struct Bad {
        const char* What;
        std::function<String()> Run;
        String Fmt;
    };
// clang-format off
#define BAD(Fmt, ...) Bad{#Fmt " " #__VA_ARGS__, [] { return Format(Fmt, {__VA_ARGS__}); }, Fmt}
    // clang-format on
    const Bad Cases[] = {
        BAD(u"%d"),       // no argument
        BAD(u"%d %d", 1), // too few
        BAD(u"%d", 1.5),  // wrong types
        BAD(u"%d", u"1"),
        BAD(u"%d", true),
        BAD(u"%u", 'c'),
        BAD(u"%x", 1.0),
        BAD(u"%f", 1),
        BAD(u"%m", u"1"),
        BAD(u"%s", 1),
        BAD(u"%s", 1.5),
        BAD(u"%s", true),
        BAD(u"%s", nullptr),
        BAD(u"%p", 1),
        BAD(u"%p", Text),
        BAD(u"%", 1), // malformed
        BAD(u"abc%", 1),
        BAD(u"%5", 1),
        BAD(u"%.2", 1),
        BAD(u"%-", 1),
        BAD(u"%5-d", 1),
        BAD(u"%z", 1),
        BAD(u"%1:", 1, 2),
        BAD(u"% d", 1),
        BAD(u"%3:d", 1, 2),  // index beyond the arguments
        BAD(u"%*d", 5),      // the star takes the only argument
        BAD(u"%*d", 1.5, 2), // a star needs an integer
        BAD(u"%*d", UInt64(5), 2),
        BAD(u"%*d", Int64(1) << 40, 2),
        BAD(u"%*:d", -1, 2),      // negative index
        BAD(u"%99999999999d", 1), // no width beyond an int
        BAD(u"%2147483647d", 1),  // nor beyond the limit: no gigabytes of padding
        BAD(u"%.2147483647d", 1),
        BAD(u"%65536s", u"x"),
        BAD(u"%-65536s", u"x"),
        BAD(u"%.65536x", 1),
        BAD(u"%*d", 65536, 1),
        BAD(u"%.*f", 2147483647, 1.5),
    };
#undef BAD
    for (const Bad& B : Cases) {
        SCOPED_TRACE(B.What);
        try {
            String R = B.Run();
            ADD_FAILURE() << "no exception, got " << StringToUtf8(R);
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(), u"Format '" + B.Fmt + u"' invalid or incompatible with argument");
        }
    }
}

TEST(Format, WidthAndPrecisionUpToTheLimit) {
    EXPECT_EQ(Format(u"%65535d", {7}), StringOfChar(u' ', 65534) + u"7");
    EXPECT_EQ(Format(u"%.*d", {MaxFormatWidth, 7}), StringOfChar(u'0', 65534) + u"7");
}

TEST(Format, ArgumentsTakeTheTypeTheyAreWrittenIn) {
    using V = TVarRec;
    char16_t* MutableText = nullptr;
    struct Case {
        TVarRec Rec;
        TVarRec::TVarType Type;
    } Cases[] = {
        {0, V::vtInteger},     // 0 is a number, not a null pointer
        {u'a', V::vtWideChar}, // a Char is text, not a number
        {'a', V::vtChar},
        {Byte(1), V::vtInteger},
        {short(-1), V::vtInteger},
        {0u, V::vtInt64},
        {Int64(1), V::vtInt64},
        {size_t(1), V::vtUInt64},
        {smA, V::vtInteger},
        {TBig::Huge, V::vtInt64},
        {true, V::vtBoolean},
        {1.5, V::vtExtended},
        {1.5f, V::vtExtended},
        {1.5L, V::vtExtended},
        {u"x", V::vtPWideChar},
        {MutableText, V::vtPWideChar},
        {"x", V::vtPChar},
        {Text, V::vtUnicodeString},
        {StringView(Text), V::vtUnicodeString},
        {Utf8Text, V::vtAnsiString},
        {&SomeInt, V::vtPointer},
        {nullptr, V::vtPointer},
    };
    for (size_t I = 0; I < std::size(Cases); ++I)
        EXPECT_EQ(Cases[I].Rec.VType(), Cases[I].Type) << "row " << I;
    EXPECT_EQ(TVarRec(smB).VInteger(), 200);
    EXPECT_EQ(TVarRec(-1).VInteger(), -1);
    EXPECT_EQ(TVarRec(0xFFFFFFFFu).VInt64(), 0xFFFFFFFFLL);
    // Types without an obvious meaning are refused at compile time.
    static_assert(!std::is_convertible_v<char32_t, TVarRec>);
    static_assert(!std::is_convertible_v<wchar_t, TVarRec>);
}

TEST(Format, WithoutSettingsReadsTheGlobalOnes) {
    const TFormatSettings Saved = FormatSettings;
    FormatSettings.DecimalSeparator = u',';
    FormatSettings.ThousandSeparator = 0; // none
    String R = Format(u"%.1f %n", {2.25, 1234.5});
    FormatSettings = Saved;
    EXPECT_EQ(R, u"2,3 1234,50");
    EXPECT_EQ(Format(u"%.1f", {2.25}), u"2.3");
}

TEST(FormatFloat, PictureFormats) {
    TFormatSettings FS;
    FS.DecimalSeparator = u'.';
    FS.ThousandSeparator = u',';
    struct {
        const char16_t* Fmt;
        double Value;
        const char16_t* Expected;
    } const Cases[] = {
        {u"0.00", 1234.5, u"1234.50"},
        {u"#,##0.00", 1234567.891, u"1,234,567.89"},
        {u"#,##0.00", -1234.5, u"-1,234.50"},
        {u"#,##0.00;(#,##0.00)", -1234.5, u"(1,234.50)"},
        {u"#,##0.00;(#,##0.00);\"nil\"", 0, u"nil"},
        {u"0.##", 2.5, u"2.5"},
        {u"#", 0.4, u""},
        {u"000", 7, u"007"},
        {u"0", 2.5, u"3"},   // halves away from zero
        {u"0", -2.5, u"-3"},
        {u"0.0", 0.05, u"0.1"},
        {u"'$'#,##0", 1500, u"$1,500"},
        {u"0.00E+00", 12345, u"1.23E+04"},
        {u"0.0E-0", 0.00123, u"1.2E-3"},
        {u"0.00", -0.001, u"0.00"}, // no minus on a rounded zero
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Fmt));
        EXPECT_EQ(FormatFloat(C.Fmt, C.Value, FS), C.Expected);
    }
    FS.DecimalSeparator = u',';
    FS.ThousandSeparator = u'.';
    EXPECT_EQ(FormatFloat(u"#,##0.00", 1234.5, FS), u"1.234,50");
}
