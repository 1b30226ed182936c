// Picture masks against typed texts: results, the normalised text, auto-fill, syntax errors.
#include "dataaware/foundation/daPictureValidator.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

enum TFill { fillNo, fillYes, fillEither };

struct TPictureCase {
    const char16_t* Mask;
    const char16_t* Text;
    TFill Fill;
    TdaPicResult Result;
    const char16_t* After; // nullptr: the text is unchanged
};

const TPictureCase Cases[] = {
    {u"###-####", u"555", fillNo, prIncomplete, nullptr},
    {u"###-####", u"555", fillYes, prIncomplete, u"555-"},
    {u"###-####", u"555-1212", fillEither, prComplete, nullptr},
    {u"###-####", u"5551", fillEither, prError, nullptr},
    {u"###-####", u"555-12123", fillEither, prError, nullptr},
    {u"###-####", u"555 ", fillEither, prIncomplete, u"555-"},
    {u"###-####", u"555 1", fillEither, prError, nullptr},
    {u"{Jan,Feb,Mar}", u"j", fillNo, prIncomplete, u"J"},
    {u"{Jan,Feb,Mar}", u"j", fillYes, prComplete, u"Jan"},
    {u"{Jan,Feb,Mar}", u"jan", fillEither, prComplete, u"Jan"},
    {u"{Jan,Feb,Mar}", u"Mx", fillEither, prError, nullptr},
    {u"{Yes,No}", u"n", fillYes, prComplete, u"No"},
    {u"&*?", u"abc", fillEither, prComplete, u"Abc"},
    {u"&*?", u"1", fillEither, prError, nullptr},
    {u"!!!", u"abc", fillEither, prComplete, u"ABC"},
    {u"~~", u"AB", fillEither, prComplete, u"ab"},
    {u"*#", u"", fillEither, prEmpty, nullptr},
    {u"*#", u"123", fillEither, prComplete, nullptr},
    {u"*#", u"1a", fillEither, prError, nullptr},
    {u"*3#", u"12", fillEither, prIncomplete, nullptr},
    {u"*3#", u"123", fillEither, prComplete, nullptr},
    {u"*3#", u"1234", fillEither, prError, nullptr},
    {u"#[#]", u"1", fillEither, prComplete, nullptr},
    {u"#[#]", u"12", fillEither, prComplete, nullptr},
    {u"#[#]", u"123", fillEither, prError, nullptr},
    {u"#*3[#]", u"1", fillEither, prComplete, nullptr},
    {u"#*3[#]", u"1234", fillEither, prComplete, nullptr},
    {u"#*3[#]", u"12345", fillEither, prError, nullptr},
    {u"[###-]###-####", u"555-1212", fillEither, prError, nullptr},
    {u"[###-]###-####", u"555-555-1212", fillEither, prComplete, nullptr},
    {u"{##,#}", u"1", fillEither, prComplete, nullptr},
    {u"{#,##}", u"12", fillEither, prError, nullptr},
    {u"Mr;.", u"mr.", fillEither, prComplete, u"Mr."},
    {u"Mr;.", u"Mr", fillYes, prComplete, u"Mr."},
    {u"#;*#", u"1*2", fillEither, prComplete, nullptr},
    {u"{ a,-b}", u" ", fillNo, prIncomplete, u" "},
    {u"{-b, a}", u" ", fillNo, prIncomplete, u"-"},
    // Letters above code 128 count as letters and take the locale's case.
    {u"&&", u"\u00e9a", fillEither, prComplete, u"\u00c9A"},
    {u"?", u"\u0080", fillEither, prError, nullptr},
};

std::string Describe(const TPictureCase& C, bool Fill) {
    auto Narrow = [](const char16_t* S) { return std::string(S, S + std::char_traits<char16_t>::length(S)); };
    return "mask '" + Narrow(C.Mask) + "' text '" + Narrow(C.Text) + "' fill " + (Fill ? "yes" : "no");
}

} // namespace

TEST(PictureValidator, MasksAndTextsGiveTheirResultAndNormalisedText) {
    for (const TPictureCase& C : Cases) {
        for (bool Fill : {false, true}) {
            if ((C.Fill == fillNo && Fill) || (C.Fill == fillYes && !Fill)) continue;
            TdaPictureValidator V(C.Mask, Fill);
            EXPECT_FALSE(V.isSyntaxError()) << Describe(C, Fill);
            String Text = C.Text;
            EXPECT_EQ(V.Picture(Text, Fill), C.Result) << Describe(C, Fill);
            EXPECT_EQ(Text, String(C.After ? C.After : C.Text)) << Describe(C, Fill);
        }
    }
}

TEST(PictureValidator, MalformedMasksAreSyntaxErrorsAndLeaveTheTextAlone) {
    for (const char16_t* Mask : {u"", u"*", u";", u"##;", u"#*", u"[#", u"#]", u"{#", u"#}", u"{[#}]x]",
                                 u"]#["}) {
        TdaPictureValidator V(Mask, true);
        EXPECT_TRUE(V.isSyntaxError()) << std::string(Mask, Mask + std::char_traits<char16_t>::length(Mask));
        String Text = u"abc";
        EXPECT_EQ(V.Picture(Text, true), prSyntax);
        EXPECT_EQ(Text, u"abc");
    }
    for (const char16_t* Mask : {u"#;*", u"{#,[#]}", u";;#", u"*[#]"}) {
        TdaPictureValidator V(Mask, false);
        EXPECT_FALSE(V.isSyntaxError());
    }
}

TEST(PictureValidator, NestingDeeperThanTheLevelStackIsRefused) {
    auto Nested = [](int Depth) {
        String S;
        S.append(Depth, u'{');
        S += u'#';
        S.append(Depth, u'}');
        return S;
    };
    const String Deep = Nested(300);
    TdaPictureValidator V(Deep, false);
    EXPECT_TRUE(V.isSyntaxError());
    const String Shallow = Nested(20);
    TdaPictureValidator W(Shallow, false);
    EXPECT_FALSE(W.isSyntaxError());
    String Text = u"7";
    EXPECT_EQ(W.Picture(Text, false), prComplete);
}

TEST(PictureValidator, IsValidAndIsValidInput) {
    TdaPictureValidator V(u"###-####", true);
    EXPECT_TRUE(V.IsValid(u"555-1212"));
    EXPECT_TRUE(V.IsValid(u""));
    EXPECT_FALSE(V.IsValid(u"555"));
    String S = u"555";
    EXPECT_TRUE(V.IsValidInput(S, false));
    EXPECT_EQ(S, u"555-");
    S = u"555";
    EXPECT_TRUE(V.IsValidInput(S, true));
    EXPECT_EQ(S, u"555");
    S = u"55a";
    EXPECT_FALSE(V.IsValidInput(S, false));
    // An optional group that takes what it can is not given up later.
    TdaPictureValidator Optional(u"[##]#", false);
    EXPECT_FALSE(Optional.IsValid(u"12"));
    EXPECT_TRUE(Optional.IsValid(u"123"));
}

namespace {

String Repeat(const String& S, int Count) {
    String Out;
    for (int K = 0; K < Count; ++K)
        Out += S;
    return Out;
}

// Nested counts around a repetition that can take nothing: passes that take and change nothing
// end the count, where they used to multiply (99 to the fifth power of passes here).
const String NestedCounts = Repeat(u"*99", 5) + u"*#";

// Each pass first tries an alternative that reads all digits left before it fails: on digits
// ending in another character the work grows with the text to the power of the nesting.
const String ReadsAheadNested = u"*{*{*{*{*#x,#}y,#}z,#}w,#}";

} // namespace

TEST(PictureValidator, NestedRepetitionCountsCheckInBoundedWork) {
    const struct {
        String Mask;
        String Text;
        TdaPicResult Result;
    } Checks[] = {
        {u"*75*5*5**75*5*5*#", u",t", prError},
        {u"*75*5*5**75*5*5*#", u" ", prError},
        {u"*75*5*5**75*5*5*#", u"12", prIncomplete},
        {NestedCounts, u"x", prError},
        {NestedCounts, u"", prEmpty},
        {NestedCounts, u"123", prIncomplete},
        {u"*3*#", u"12", prIncomplete},
        {u"*3{*#,x}", u"12x", prError},
        {u"*2{[#]}-", u"-", prComplete},
        {ReadsAheadNested, u"123", prIncomplete},
        {ReadsAheadNested, u"1111111111q", prError},
    };
    for (const auto& C : Checks) {
        for (bool Fill : {false, true}) {
            TdaPictureValidator V(C.Mask, Fill);
            String Text = C.Text;
            EXPECT_EQ(V.Picture(Text, Fill), C.Result) << std::string(C.Mask.begin(), C.Mask.end()) << " / "
                                                       << std::string(C.Text.begin(), C.Text.end());
        }
    }
    // The recorded input: an options byte, the mask, a NUL, the text.
    const std::string Recorded =
        ReadBytes(MORVANE_SOURCE_DIR "/tests/dataaware/foundation/data/nested-repetition-counts.bin");
    const std::size_t Nul = Recorded.find('\0');
    ASSERT_NE(Nul, std::string::npos);
    TdaPictureValidator V(String(Recorded.begin() + 1, Recorded.begin() + static_cast<std::ptrdiff_t>(Nul)), true);
    String Text(Recorded.begin() + static_cast<std::ptrdiff_t>(Nul) + 1, Recorded.end());
    EXPECT_EQ(V.Picture(Text, true), prError);
    EXPECT_EQ(Text, u",t");
}

TEST(PictureValidator, MaskNeedingUnboundedWorkIsRefusedAsMalformed) {
    // Short texts are checked as ever; where the work would outgrow any ordinary mask's, the
    // check stops and answers that the mask is malformed, leaving the text alone.
    TdaPictureValidator V(ReadsAheadNested, false);
    EXPECT_FALSE(V.isSyntaxError());
    const String Digits = Repeat(u"1", 300) + u"q";
    String Long = Digits;
    EXPECT_EQ(V.Picture(Long, false), prSyntax);
    EXPECT_EQ(Long, Digits);
}
