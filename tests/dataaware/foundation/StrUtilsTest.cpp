// Tokens of setting lines, field lists and SQL text, trimming and replacing.
#include "dataaware/foundation/daStrUtils.h"

#include <gtest/gtest.h>

namespace {

struct TTok {
    String Token;
    int Pos;
};

std::vector<TTok> NextTokens(const String& Text, const String& Delim, int Pos, int Calls) {
    std::vector<TTok> R;
    String T;
    for (int I = 0; I < Calls; ++I) {
        daNextToken(Text, Delim, Pos, T);
        R.push_back({T, Pos});
    }
    return R;
}

void ExpectTokens(const std::vector<TTok>& Got, const std::vector<TTok>& Want) {
    ASSERT_EQ(Got.size(), Want.size());
    for (size_t I = 0; I < Got.size(); ++I) {
        EXPECT_EQ(Got[I].Token, Want[I].Token) << I;
        EXPECT_EQ(Got[I].Pos, Want[I].Pos) << I;
    }
}

} // namespace

TEST(NextToken, CharactersWordsAndTheEnd) {
    ExpectTokens(NextTokens(u"a;b", u";", 1, 3), {{u"a", 3}, {u"b", -1}, {u"", -1}});
    // A word delimiter matches only between blanks, in any case, and takes both blanks.
    ExpectTokens(NextTokens(u"x AnD y", u"and", 1, 2), {{u"x", 7}, {u"y", -1}});
    ExpectTokens(NextTokens(u"sandy", u"and", 1, 1), {{u"sandy", -1}});
    ExpectTokens(NextTokens(u"a;", u";", 1, 2), {{u"a", 3}, {u"", -1}});
    ExpectTokens(NextTokens(u"abc", u";", 9, 1), {{u"", -1}});
    ExpectTokens(NextTokens(u"abc", u";", 0, 1), {{u"", 0}});
}

TEST(SplitToList, EmptyPartsAreLines) {
    struct {
        String Text;
        std::vector<String> Lines;
    } const Cases[] = {
        {u"", {u""}}, {u"a;b", {u"a", u"b"}}, {u"a;;b", {u"a", u"", u"b"}}, {u"a;", {u"a", u""}}};
    for (const auto& C : Cases) {
        TStringList L;
        L.Add(u"old");
        daSplitToList(C.Text, u';', &L);
        ASSERT_EQ(L.Count(), static_cast<int>(C.Lines.size()));
        for (int I = 0; I < L.Count(); ++I)
            EXPECT_EQ(L.Strings(I), C.Lines[I]);
    }
}

TEST(StringRoutines, TrimReplaceCountAndNames) {
    String S = u" \t a b\t ";
    daTrimBlanks(S);
    EXPECT_EQ(S, u"a b");
    S = u"xxyx";
    daTrimLeadingChars(S, u"x");
    EXPECT_EQ(S, u"yx");
    daTrimTrailingChars(S, u"xy");
    EXPECT_EQ(S, u"");
    String R;
    daReplaceCharWithText(u"a.b.c", u'.', u"..", R); // the inserted dots are not searched again
    EXPECT_EQ(R, u"a..b..c");
    daReplaceChar(u"a-b-c", u'-', u'+', R);
    EXPECT_EQ(R, u"a+b+c");
    daRemoveChar(u"[First Name]", u'[', R);
    EXPECT_EQ(R, u"First Name]");
    EXPECT_EQ(daCountChar(u"a;b;c", u';'), 2);
    daTextAfterChar(u"key=value=x", u'=', R);
    EXPECT_EQ(R, u"value=x");
    daTextBeforeChar(u"key=value", u'=', R);
    EXPECT_EQ(R, u"key");
    daTextBeforeChar(u"novalue", u'=', R);
    EXPECT_EQ(R, u"");
    EXPECT_TRUE(daCharInText(u'=', u"a=b"));
    EXPECT_TRUE(daSameText(u"Äpfel", u"äPFEL"));
    daFileNameNoExt(u"/tmp/dir.d/table.db.bak", R);
    EXPECT_EQ(R, u"table");
    daFileNameNoExt(u"/tmp/dir.d/README", R);
    EXPECT_EQ(R, u"");
}

TEST(ReadToken, StopCharactersQuotesAndBlanks) {
    struct {
        const char* Name;
        String Text;
        int Flags;
        String Stops;
        std::vector<TTok> Reads;
    } const Cases[] = {
        {"TwoCharacterTokenStopsOnTheComma", u"ab,c", 0, u",", {{u"ab", 3}, {u",", 4}, {u"c", 6}}},
        {"OneCharacterTokenTakesTheCommaAlong", u"a,b", 0, u",", {{u"a", 3}, {u"b", 5}}},
        {"BlankEndsAToken", u"ab cd", 0, u"", {{u"ab", 3}}},
        {"SkipsBlanksFirst", u"  ab", rtSkipBlanks, u"", {{u"ab", 5}}},
        {"BlanksBelongToTheToken", u"a b,c", rtBlanksInToken, u",", {{u"a b", 4}}},
        {"QuotedPhraseWithoutQuotes", u"\"a b\"x", rtQuoted | rtStripQuotes, u"", {{u"a b", 6}}},
        {"QuotedPhraseKeepsQuotes", u"\"a b\"", rtQuoted, u"", {{u"\"a b\"", 6}}},
        {"UnclosedQuoteRunsToTheEnd", u"\"a b", rtQuoted | rtStripQuotes, u"", {{u"a b", 5}, {u"", 5}}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        int Pos = 1;
        for (const auto& Want : C.Reads) {
            String T;
            daReadToken(C.Text, Pos, C.Flags, T, C.Stops);
            EXPECT_EQ(T, Want.Token);
            EXPECT_EQ(Pos, Want.Pos);
        }
    }
}

TEST(NextSQLToken, LiteralsRunsAndSingleCharacters) {
    auto All = [](const String& Sql) {
        std::vector<String> R;
        int Pos = 1;
        for (int Guard = 0; Guard < 100; ++Guard) {
            String T;
            daNextSQLToken(Sql, Pos, T);
            if (T.empty()) return R;
            R.push_back(T);
        }
        ADD_FAILURE() << "no end";
        return R;
    };
    EXPECT_EQ(All(u"SELECT A.NAME, B FROM T WHERE X='it''s'"),
              (std::vector<String>{u"SELECT", u"A.NAME", u",", u"B", u"FROM", u"T", u"WHERE", u"X", u"=", u"'it'",
                                   u"'s'"}));
    EXPECT_EQ(All(u"A,B"), (std::vector<String>{u"A", u",", u"B"}));
    // Lower-case letters are single characters: the run is upper case only.
    EXPECT_EQ(All(u"ab"), (std::vector<String>{u"a", u"b"}));
    // A literal that is never closed is the rest of the text, and the loop ends after it.
    EXPECT_EQ(All(u"NAME = 'open"), (std::vector<String>{u"NAME", u"=", u"'open"}));
    EXPECT_EQ(All(u"\""), (std::vector<String>{u"\""}));
    EXPECT_EQ(All(u"  \t "), std::vector<String>{});
}
