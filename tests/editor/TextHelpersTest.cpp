#include "editor/CodeEditTextHelpers.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(TextHelpers, TabWidthPicksItsConverter) {
    struct Case {
        int Width;
        bool PowerOfTwo;
        TExpandTabsWithFlagFunc Converter;
    };
    const Case Cases[] = {
        {0, false, &ExpandTabsWidth1},   {1, false, &ExpandTabsWidth1}, {2, true, &ExpandTabsPow2},
        {6, false, &ExpandTabsAny},      {8, true, &ExpandTabsPow2},    {65536, true, &ExpandTabsPow2},
        {131072, false, &ExpandTabsAny},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(IsPowerOfTwoTabWidth(C.Width), C.PowerOfTwo) << C.Width;
        EXPECT_EQ(TabExpanderWithFlagFor(C.Width), C.Converter) << C.Width;
    }
    // Both tab stop converters agree wherever both apply.
    for (int Width : {2, 4, 8, 16})
        for (const String& Line : {String(u"\t"), String(u"a\tbc\t\td"), String(u"abcdefghijklmnopq\tr")}) {
            bool HasTabs1 = false, HasTabs2 = false;
            EXPECT_EQ(ExpandTabsPow2(Line, Width, HasTabs1), ExpandTabsAny(Line, Width, HasTabs2));
            EXPECT_TRUE(HasTabs1 && HasTabs2);
        }
    bool HasTabs = true;
    EXPECT_EQ(ExpandTabsAny(u"no tabs", 4, HasTabs), u"no tabs");
    EXPECT_FALSE(HasTabs);
}

TEST(TextHelpers, LowerCaseKeepsEveryPosition) {
    EXPECT_EQ(LowerCaseText(u"ABC \u00C4\u00D6\u00DC \u0391\u0392 \u0416"),
              u"abc \u00E4\u00F6\u00FC \u03B1\u03B2 \u0436");
    EXPECT_EQ(LowerCaseChar(u'Z'), u'z');
    EXPECT_EQ(LowerCaseChar(u'1'), u'1');
    // A unit whose lower case takes two units stays; a surrogate pair maps as one character
    // to a pair again, so no position moves.
    const String Mixed = u"\u0130\U00010400";
    EXPECT_EQ(LowerCaseText(Mixed).size(), Mixed.size());
    EXPECT_EQ(LowerCaseText(Mixed).substr(1), u"\U00010428");
}
