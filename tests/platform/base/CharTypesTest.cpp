#include "platform/base/CharTypes.h"

#include <gtest/gtest.h>

#include <utility>

TEST(CharTypes, TypeBitsOfSingleUnits) {
    struct {
        Char C;
        Word Set, Clear;
    } const Cases[] = {
        {u'A', C1_UPPER | C1_ALPHA | C1_XDIGIT, C1_LOWER | C1_DIGIT},
        {u'z', C1_LOWER | C1_ALPHA, C1_UPPER | C1_XDIGIT},
        {u'7', C1_DIGIT | C1_XDIGIT, C1_ALPHA},
        {u' ', C1_SPACE | C1_BLANK, C1_ALPHA | C1_CNTRL},
        {u'\t', C1_SPACE | C1_BLANK | C1_CNTRL, C1_ALPHA},
        {u'\n', C1_SPACE | C1_CNTRL, C1_BLANK},
        {u',', C1_PUNCT, C1_ALPHA | C1_SPACE},
        {u'\u00C4', C1_UPPER | C1_ALPHA, C1_XDIGIT}, // Ä
        {u'\u0661', C1_DIGIT, C1_XDIGIT | C1_ALPHA}, // Arabic-Indic one
        {Char(0xD83D), 0, 0xFFFF},                   // a surrogate half alone
    };
    for (const auto& Case : Cases) {
        const Word Bits = GetCharType(Case.C);
        EXPECT_EQ(Bits & Case.Set, Case.Set) << int(Case.C);
        EXPECT_EQ(Bits & Case.Clear, 0) << int(Case.C);
    }
}

TEST(CharTypes, CaseOfSingleUnits) {
    EXPECT_EQ(CharUpper(u'a'), u'A');
    EXPECT_EQ(CharUpper(u'\u00E4'), u'\u00C4');
    EXPECT_EQ(CharLower(u'\u0416'), u'\u0436'); // Ж ж
    EXPECT_EQ(CharUpper(u'1'), u'1');
    // ß upper-cases to two letters: one unit stays as it is.
    EXPECT_EQ(CharUpper(u'\u00DF'), u'\u00DF');
    EXPECT_EQ(CharUpper(Char(0xDC00)), Char(0xDC00));
}

TEST(CharTypes, HexDigitValues) {
    const std::pair<Char, int> Cases[] = {{u'0', 0},  {u'9', 9},      {u'a', 10}, {u'F', 15}, {u'f', 15},
                                          {u'g', -1}, {u'G', -1},     {u'/', -1}, {u':', -1}, {u'@', -1},
                                          {u'`', -1}, {u'\uFF10', -1}}; // a full-width digit is none
    for (const auto& [C, Value] : Cases)
        EXPECT_EQ(HexDigitValue(C), Value) << int(C);
}
