#include "settings/UtilStrings.h"

#include "platform/base/Lists.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> Lines(const TStrings& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(U8(L.Strings(I)));
    return R;
}

} // namespace

TEST(UtilStrings, PiecesAndAffixes) {
    EXPECT_EQ(U8(LeftChars(u"abcdef", 2)), "ab");
    EXPECT_EQ(U8(LeftChars(u"ab", 9)), "ab");
    EXPECT_EQ(U8(MidChars(u"abcdef", 3, 2)), "cd");
    EXPECT_EQ(U8(MidChars(u"abcdef", 5, 9)), "ef");
    EXPECT_EQ(U8(CharsFrom(u"abcdef", 4)), "def");
    EXPECT_EQ(U8(CharsFrom(u"abc", 9)), "");
    EXPECT_EQ(U8(WithSuffix(u"\\", u"C:\\a\\")), "C:\\a\\");
    EXPECT_EQ(U8(WithSuffix(u"\\", u"C:\\a")), "C:\\a\\");
    EXPECT_EQ(U8(WithPrefix(u"\\", u"x")), "\\x");
    EXPECT_EQ(U8(WithPrefix(u"\\", u"\\x")), "\\x");
    EXPECT_EQ(U8(WithoutPrefix(u"ab", u"abc")), "c");
    EXPECT_EQ(U8(WithoutPrefix(u"AB", u"abc")), "abc"); // exact comparison
}

TEST(UtilStrings, CaseAndSearch) {
    EXPECT_EQ(U8(UpperCopy(u"straße ä")), "STRAßE Ä"); // unit by unit: ß has no one-unit upper case
    EXPECT_TRUE(CharIsUpper(u'Ä'));
    EXPECT_TRUE(CharIsLower(u'ä'));
    EXPECT_FALSE(CharIsUpper(u'1'));
    EXPECT_EQ(FindTextNoCase(u"ÄB", u"xxäbyy"), 3);
    EXPECT_EQ(FindTextNoCase(u"q", u"abc"), 0);
    EXPECT_EQ(FindTextFrom(u"a", u"abcabc", 2), 4);
    EXPECT_EQ(FindTextFrom(u"", u"abc", 1), 0);
    EXPECT_EQ(FindTextFrom(u"a", u"", 1), 0);
    EXPECT_EQ(U8(TextBefore(u".", u"1.2.3")), "1");
    EXPECT_EQ(U8(TextBefore(u".", u"123")), "123");
    EXPECT_EQ(U8(TextBefore(u"X", u"axbxc")), "a");
    EXPECT_EQ(FirstCharPos(u"a.b.c", u'.', 1), 2);
    EXPECT_EQ(FirstCharPos(u"a.b.c", u'.', 3), 4);
    EXPECT_EQ(FirstCharPos(u"a.b.c", u'.', 0), 0);
    EXPECT_EQ(FirstCharPos(u"a.b.c", u'.', 6), 0);
    EXPECT_EQ(LastCharPos(u"a.b.c", u'.', 1), 4);
    EXPECT_EQ(LastCharPos(u"a.b.c", u'.', 5), 0);
    EXPECT_EQ(U8(ReplaceCharAll(u"a,b,c", u',', u'.')), "a.b.c");
    String S(u"ab\0cd", 5);
    CutAtNul(S);
    EXPECT_EQ(U8(S), "ab");
}

TEST(UtilStrings, ReplaceText) {
    struct {
        const char16_t* S;
        const char16_t* Search;
        const char16_t* Replace;
        unsigned Flags;
        const char* Expected;
    } const Cases[] = {
        {u"aXbXc", u"X", u"YY", rtReplaceAll, "aYYbYYc"},
        {u"aXbXc", u"X", u"YY", 0, "aYYbXc"},
        {u"axbXc", u"X", u"-", rtReplaceAll | rtIgnoreCase, "a-b-c"},
        {u"axbXc", u"X", u"-", rtReplaceAll, "axb-c"},
        {u"aXbXc", u"X", u"", rtReplaceAll, "abc"},
        {u"aaa", u"aa", u"b", rtReplaceAll, "ba"},
        {u"abab", u"abc", u"-", rtReplaceAll, "abab"}, // a partial match at the end
        {u"", u"x", u"y", rtReplaceAll, ""},
        {u"", u"", u"new", 0, "new"},
    };
    for (const auto& Case : Cases) {
        String S = Case.S;
        ReplaceText(S, Case.Search, Case.Replace, Case.Flags);
        EXPECT_EQ(U8(S), Case.Expected) << U8(Case.S) << " / " << U8(Case.Search);
    }
    String S = u"abc";
    EXPECT_EQ(U8(ThrownMessage<EUtilStringError>([&] { ReplaceText(S, u"", u"x", 0); })),
              "Search string cannot be blank");
}

TEST(UtilStrings, SplitToStrings) {
    TStringList L;
    L.Add(u"old");
    SplitToStrings(u"a,,b", u",", &L, false);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"a", "b"}));
    SplitToStrings(u"a,,b", u",", &L, true);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"a", "", "b"}));
    SplitToStrings(u"a,b,", u",", &L, true);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"a", "b"}));
    SplitToStrings(u"a::b", u"::", &L, false);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"a", "b"}));
}
