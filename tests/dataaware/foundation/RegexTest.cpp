// The regular-expression checks of the regex edit masks: a text matches when the expression
// covers all of it; an empty text always matches; a malformed expression matches nothing.
#include "dataaware/foundation/daRegex.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

TEST(Regex, MatchesTheWholeText) {
    struct TCase {
        const char16_t* Pattern;
        bool IgnoreCase;
        const char16_t* Text;
        bool Match;
    };
    const TCase Cases[] = {
        {u"[0-9]{3}-[0-9]{4}", false, u"555-1234", true},
        {u"[0-9]{3}-[0-9]{4}", false, u"555-12345", false}, // more than the expression covers
        {u"[0-9]{3}-[0-9]{4}", false, u"x555-1234", false},
        {u"a|ab", false, u"ab", true}, // an alternative that covers the whole text is found
        {u"[A-Z]+", false, u"ABC", true},
        {u"[A-Z]+", false, u"abc", false},
        {u"[A-Z]+", true, u"abc", true},
        {u"(a)\\1b", false, u"aab", true}, // back-references keep pointing at their own group
        {u"(a)\\1b", false, u"abb", false},
        {u"[1\\]]+(2)\\1", false, u"1]122", true}, // an escaped "]" stays inside its class
        {u"\\d+", false, u"12\r\n34", false},
        {u"anything", false, u"", true}, // an empty text always matches
        {u"(unclosed", false, u"(unclosed", false},
        {u"", false, u"text", false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(StringToUtf8(String(C.Pattern) + u" / " + C.Text));
        EXPECT_EQ(viDovedMatch(C.Pattern, C.IgnoreCase, C.Text), C.Match);
        // Asked again (the compiled expression is kept), the answer is the same.
        EXPECT_EQ(viDovedMatch(C.Pattern, C.IgnoreCase, C.Text), C.Match);
    }
    EXPECT_TRUE(daLoadRegexLibrary());
    daFreeRegexLibrary();
    EXPECT_TRUE(viDovedMatch(u"[0-9]+", false, u"42")) << "usable again after being let go";
}

TEST(Regex, SyntaxOfAnExpression) {
    struct TCase {
        const char16_t* Pattern;
        bool Valid;
    };
    for (const TCase& C : {TCase{u"[0-9]{3}", true}, TCase{u"(a|b)*c", true}, TCase{u"[0-9", false},
                           TCase{u"(abc", false}, TCase{u"a{2,1}", false}, TCase{u"", false}}) {
        SCOPED_TRACE(StringToUtf8(C.Pattern));
        EXPECT_EQ(viDovedSyntaxValid(C.Pattern), C.Valid);
    }
}
