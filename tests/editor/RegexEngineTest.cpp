// The regular-expression engine on its own: compiler errors with their positions and messages,
// the program listing, modifiers and properties, the search operations, substitution, replace,
// split, and long inputs that must end in a result or the engine's error, never in a crash.

#include "regex/RegexEngine.h"
#include "platform/base/Lists.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// All matches as "start:length" (1-based), joined by blanks.
std::string AllMatches(TRegexEngine& R, const String& Input) {
    std::string Out;
    if (R.Exec(Input)) do {
            if (!Out.empty()) Out += ' ';
            Out += std::to_string(R.MatchStart(0)) + ":" + std::to_string(R.MatchLength(0));
        } while (R.ExecNext());
    return Out;
}

std::string First(const String& Expr, const String& Input, const String& Modifiers = String()) {
    TRegexEngine R;
    if (!Modifiers.empty()) R.SetModifierStr(Modifiers);
    R.SetExpression(Expr);
    if (!R.Exec(Input)) return "-";
    return U8(Input.substr(std::size_t(R.MatchStart(0) - 1), std::size_t(R.MatchLength(0))));
}

struct TCompileError {
    const char16_t* Expr;
    int Code;
    int Pos;
    const char16_t* Message;
};

} // namespace

TEST(RegexEngine, CompilerErrorsCarryCodePositionAndMessage) {
    const TCompileError Cases[] = {
        {u"a**", 107, 2, u"TRegexEngine(comp): Nested *?+ (pos 2)"},
        {u"a{2}{3}", 107, 4, u"TRegexEngine(comp): Nested *?+ (pos 4)"},
        {u"a+?*", 107, 3, u"TRegexEngine(comp): Nested *?+ (pos 3)"},
        {u"(a", 103, 2, u"TRegexEngine(comp): ParseReg Unmatched () (pos 2)"},
        {u"a)", 104, 1, u"TRegexEngine(comp): ParseReg Unmatched () (pos 1)"},
        {u"*a", 115, 1, u"TRegexEngine(comp): ?+*{ Follows Nothing (pos 1)"},
        {u"a|+", 115, 3, u"TRegexEngine(comp): ?+*{ Follows Nothing (pos 3)"},
        {u"a\\", 116, 2, u"TRegexEngine(comp): Trailing \\ (pos 2)"},
        {u"[ab", 113, 3, u"TRegexEngine(comp): Unmatched [] (pos 3)"},
        {u"[a\\", 110, 3, u"TRegexEngine(comp): Parse Atom Trailing \\ (pos 3)"},
        {u"[z-a]", 109, 4, u"TRegexEngine(comp): Invalid [] Range (pos 4)"},
        {u"\\xZ1", 108, 2, u"TRegexEngine(comp): Bad Hex Digit (pos 2)"},
        {u"\\x{4g}", 108, 4, u"TRegexEngine(comp): Bad Hex Digit (pos 4)"},
        {u"\\x", 111, 2, u"TRegexEngine(comp): No Hex Code After \\x (pos 2)"},
        {u"\\x{41", 111, 5, u"TRegexEngine(comp): No Hex Code After \\x (pos 5)"},
        {u"\\x{}", 111, 3, u"TRegexEngine(comp): No Hex Code After \\x (pos 3)"},
        {u"\\x{10000}", 112, 8, u"TRegexEngine(comp): Hex Code After \\x Is Too Big (pos 8)"},
        {u"(?#open", 125, 7, u"TRegexEngine(comp): Unclosed (?#Comment) (pos 7)"},
        {u"(?:a)", 127, 2, u"TRegexEngine(comp): Urecognized Modifier (pos 2)"},
        {u"(?i", 127, 3, u"TRegexEngine(comp): Urecognized Modifier (pos 3)"},
        {u"a{3,2}", 124, 5, u"TRegexEngine(comp): BRACE Min Param Greater then Max (pos 5)"},
        {u"a{123456789}", 122, 11, u"TRegexEngine(comp): BRACES Argument Too Big (pos 11)"},
        {u"(^)*", 106, 3, u"TRegexEngine(comp): *+ Operand Could Be Empty (pos 3)"},
        {u"(a|)+", 106, 4, u"TRegexEngine(comp): *+ Operand Could Be Empty (pos 4)"},
        {u"(a*){2}", 106, 4, u"TRegexEngine(comp): *+ Operand Could Be Empty (pos 4)"},
        // The assertions are zero-width: a quantifier on them is refused when compiling.
        {u"\\b+", 106, 2, u"TRegexEngine(comp): *+ Operand Could Be Empty (pos 2)"},
        {u"(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)", 102, 43,
         u"TRegexEngine(comp): ParseReg Too Many () (pos 43)"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(U8(C.Expr));
        TRegexEngine R;
        R.SetExpression(C.Expr);
        try {
            R.Compile();
            ADD_FAILURE() << "compiled";
        } catch (const ERegexEngine& E) {
            EXPECT_EQ(E.ErrorCode(), C.Code);
            EXPECT_EQ(E.CompilerErrorPos(), C.Pos);
            EXPECT_EQ(U8(E.Message()), U8(C.Message));
        }
        EXPECT_EQ(R.CompilerErrorPos(), C.Pos); // right after the failed compilation
        EXPECT_EQ(R.LastError(), C.Code);
        EXPECT_EQ(R.LastError(), 0); // reading clears it
    }
}

TEST(RegexEngine, SixteenGroupsAreTooManyFourteenAreFine) {
    String Fourteen, Sixteen;
    for (int I = 0; I < 14; ++I)
        Fourteen += u"(a)";
    Sixteen = Fourteen + u"(a)(a)";
    TRegexEngine R;
    R.SetExpression(Fourteen);
    ASSERT_TRUE(R.Exec(String(14, u'a')));
    EXPECT_EQ(R.SubExprMatchCount(), 14);
    EXPECT_EQ(R.MatchStart(14), 14);
    EXPECT_EQ(R.CompilerErrorPos(), 0);
    R.SetExpression(Sixteen);
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.Compile(); }),
              u"TRegexEngine(comp): ParseReg Too Many () (pos 43)");
}

TEST(RegexEngine, OperationErrors) {
    TRegexEngine R;
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.Compile(); }),
              u"TRegexEngine(exec): Not Assigned Expression Property");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.Exec(u"a"); }),
              u"TRegexEngine(exec): Not Assigned Expression Property");
    R.SetExpression(u"a");
    TRegexEngine Fresh;
    Fresh.SetExpression(u"a");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { Fresh.Exec(); }),
              u"TRegexEngine(exec): No Input String Specified");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { Fresh.InputString(); }),
              u"TRegexEngine(exec): GetInputString Without InputString");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { Fresh.Substitute(u"$1"); }),
              u"TRegexEngine(exec): No Input String Specified");
    EXPECT_EQ(Fresh.MatchStart(0), -1);
    EXPECT_EQ(Fresh.SubExprMatchCount(), -1);
    R.SetInputString(u"bab");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.ExecPos(0); }),
              u"TRegexEngine(exec): Offset Must Be Greater Then 0");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.ExecNext(); }),
              u"TRegexEngine(exec): ExecNext Without Exec[Pos]");
    EXPECT_FALSE(R.ExecPos(5)); // beyond the length + 1
    EXPECT_TRUE(R.ExecPos(2));
    EXPECT_EQ(R.MatchStart(0), 2);
    EXPECT_FALSE(R.ExecNext());
    ERegexEngine* Caught = nullptr;
    try {
        R.SetLinePairedSeparator(u"aa");
    } catch (ERegexEngine& E) {
        Caught = &E;
        EXPECT_EQ(E.ErrorCode(), 128);
        EXPECT_EQ(U8(E.Message()),
                  "TRegexEngine(comp): LinePairedSeparator must countain two different chars "
                  "or no chars at all (pos 0)");
    }
    EXPECT_NE(Caught, nullptr);
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.SetModifierStr(u"iq"); }), u"Unknown error");
    EXPECT_TRUE(R.ModifierI()); // the letters before the unknown one stay applied
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.SetModifier(7, true); }), u"Unknown error");
    EXPECT_EQ(R.ErrorMsg(0), u"No errors");
    EXPECT_EQ(R.ErrorMsg(1013), u"Unknown error");
    EXPECT_EQ(R.ErrorMsg(104), u"TRegexEngine(comp): ParseReg Unmatched ()");
    EXPECT_EQ(TRegexEngine::VersionMajor(), 0);
    EXPECT_EQ(TRegexEngine::VersionMinor(), 952);
}

TEST(RegexEngine, AnOverriddenRaiseErrorThatReturnsStillStopsTheOperation) {
    class TQuiet : public TRegexEngine {
    public:
        void RaiseError(int AErrorID) override { Codes.push_back(AErrorID); }
        std::vector<int> Codes;
    };
    TQuiet R;
    R.SetExpression(u"a**");
    EXPECT_FALSE(R.Exec(u"aaa"));
    R.SetExpression(u"((((((((((((a){1}){1}){1}){1}){1}){1}){1}){1}){1}){1}){1})");
    EXPECT_FALSE(R.Exec(u"a"));
    EXPECT_EQ(R.Codes, (std::vector<int>{107, 1014}));
}

TEST(RegexEngine, Modifiers) {
    TRegexEngine R;
    EXPECT_EQ(R.ModifierStr(), u"gsr-imx");
    EXPECT_FALSE(R.ModifierI());
    EXPECT_TRUE(R.ModifierR());
    EXPECT_TRUE(R.ModifierS());
    EXPECT_TRUE(R.ModifierG());
    EXPECT_FALSE(R.ModifierM());
    EXPECT_FALSE(R.ModifierX());
    R.SetModifierStr(u"i");
    EXPECT_EQ(R.ModifierStr(), u"gsri-mx");
    R.SetModifierStr(u"mx-gs");
    EXPECT_EQ(R.ModifierStr(), u"xmri-sg");
    R.SetModifierStr(u"GS");
    R.SetModifierStr(u"-ir");
    EXPECT_EQ(R.ModifierStr(), u"xmgs-ir");
    R.SetModifierStr(u"irsgmx");
    EXPECT_EQ(R.ModifierStr(), u"xmgsri");
    R.SetModifierStr(u"-irsgmx");
    EXPECT_EQ(R.ModifierStr(), u"-irsgmx");

    // A program compiled under other modifiers is compiled again.
    TRegexEngine C;
    C.SetExpression(u"abc");
    EXPECT_FALSE(C.Exec(u"xABC"));
    C.SetModifierI(true);
    EXPECT_TRUE(C.Exec(u"xABC"));
    EXPECT_EQ(C.MatchStart(0), 2);
}

TEST(RegexEngine, SyntaxOfTheCompiler) {
    EXPECT_EQ(First(u"abc*", u"xabccc"), "abccc");
    EXPECT_EQ(First(u"abc*", u"ababccc"), "ab");
    EXPECT_EQ(First(u"a{x}", u"ba{x}"), "a{x}");
    EXPECT_EQ(First(u"a{2", u"aa{2"), "a{2");
    EXPECT_EQ(First(u"x{2}y", u"xxxy"), "xxy");
    EXPECT_EQ(First(u"(?i)abc", u"xABC"), "ABC");
    EXPECT_EQ(First(u"((?i)a)b", u"ABAb"), "Ab"); // (?i) ends with its group
    EXPECT_EQ(First(u"a(?i)b|c", u"C"), "C");     // ... and holds in the later branches
    EXPECT_EQ(First(u"(?#note)ab", u"ab"), "ab");
    EXPECT_EQ(First(u"[a-]+", u"x-a-"), "-a-");
    EXPECT_EQ(First(u"[-a]+", u"x-a-"), "-a-");
    EXPECT_EQ(First(u"[a-\\d]+", u"x-a5"), "-a5");
    EXPECT_EQ(First(u"[]a]+", u"x]a"), "]a");
    EXPECT_EQ(First(u"[^]a]+", u"]ab"), "b");
    EXPECT_EQ(First(u"[\\D\\S\\W]+", u"xDSW1"), "DSW"); // the letters themselves
    EXPECT_EQ(First(u"[\\x41-\\x{43}]+", u"ABCD"), "ABC");
    EXPECT_EQ(First(u"\\t\\x41\\x{42}\\e\\a\\q", u"\tAB\x1b\aq"), U8(u"\tAB\x1b\aq"));
    // Russian ranges with r on include ё and Ё; with r off they are code ranges.
    EXPECT_EQ(First(u"[а-я]+", u"ёлка"), U8(u"ёлка"));
    EXPECT_EQ(First(u"[А-Я]+", u"ЁЛКА"), U8(u"ЁЛКА"));
    EXPECT_EQ(First(u"[а-Я]+", u"ЁлКа"), U8(u"ЁлКа"));
    EXPECT_EQ(First(u"[а-я]+", u"ёлка", u"-r"), U8(u"лка"));
    // x: blanks and comments are ignored, also between an atom and its quantifier.
    EXPECT_EQ(First(u"a b  c # a comment\n d", u"abcd", u"x"), "abcd");
    EXPECT_EQ(First(u"x a *", u"xaaa", u"x"), "xaaa");
    EXPECT_EQ(First(u"ab +", u"abbb", u"x"), "abbb");
    EXPECT_EQ(First(u"a\\ b[ ]c", u"a b c", u"x"), "a b c");
    // g off: every quantifier is non-greedy.
    EXPECT_EQ(First(u"a+", u"aaa", u"-g"), "a");
    EXPECT_EQ(First(u"(ab)+", u"ababab", u"-g"), "ab");
    // NUL characters in the expression are characters like any other.
    EXPECT_EQ(First(u"a\\x00b", String(u"xa\0b", 4)), std::string("a\0b", 3));
    EXPECT_EQ(First(u"a\\x00b", u"ab"), "-");
    EXPECT_EQ(First(u"[\\x00]+", String(u"x\0\0y", 4)), std::string("\0\0", 2));
    EXPECT_EQ(First(String(u"a\0", 2), String(u"ba\0", 3)), std::string("a\0", 2));
}

TEST(RegexEngine, ProgramListing) {
    TRegexEngine R;
    R.SetExpression(u"a{2,3}");
    EXPECT_EQ(U8(R.Dump()), " 1:BRANCH (16) \r\n"
                            " 4:BRACES (16) {2,3}\r\n"
                            "11:EXACTLY (0)a\r\n"
                            "16:END (0)\r\n"
                            "\r\n");
    R.SetExpression(u"(ab){2}");
    EXPECT_EQ(U8(R.Dump()), " 1:BRANCH (31) \r\n"
                            " 4:LOOPENTRY (22) \r\n"
                            " 7:OPEN[1] (10) \r\n"
                            "10:BRANCH (19) \r\n"
                            "13:EXACTLY (19) ab\r\n"
                            "19:CLOSE[1] (22) \r\n"
                            "22:LOOP (31)  -> (4) {2,2}\r\n"
                            "31:END (0)\r\n"
                            "\r\n");
    R.SetExpression(u"abc");
    EXPECT_EQ(U8(R.Dump()), " 1:BRANCH (11) \r\n"
                            " 4:EXACTLY (11) abc\r\n"
                            "11:END (0)\r\n"
                            "start a \r\n");
    R.SetExpression(u"^x|y");
    EXPECT_EQ(U8(R.Dump()), " 1:BRANCH (12) \r\n"
                            " 4:BOL (7) \r\n"
                            " 7:EXACTLY (20) x\r\n"
                            "12:BRANCH (20) \r\n"
                            "15:EXACTLY (20) y\r\n"
                            "20:END (0)\r\n"
                            "\r\n");
    R.SetExpression(u"x*yy+zzz");
    EXPECT_EQ(U8(R.Dump()), " 1:BRANCH (32) \r\n"
                            " 4:STAR (12) \r\n"
                            " 7:EXACTLY (0)x\r\n"
                            "12:EXACTLY (17) y\r\n"
                            "17:PLUS (25) \r\n"
                            "20:EXACTLY (0)y\r\n"
                            "25:EXACTLY (32) zzz\r\n"
                            "32:END (0)\r\n"
                            "must have zzz\r\n");
    R.SetExpression(u"^.*foo\\1(x)*?[^ab]");
    const String Listing = R.Dump();
    for (const char16_t* Line : {u"BOL", u"ANY (", u"STAR", u"EXACTLY (", u"BSUBEXP (", u" \\1", u"LOOPENTRY",
                                 u"LOOPNG", u"{0,2147483646}", u"ANYBUT (", u"anchored "})
        EXPECT_NE(Pos(Line, Listing), 0) << U8(Line) << "\n" << U8(Listing);
    R.SetModifierStr(u"i-s");
    R.SetExpression(u"a*.b+(c)?(d)*");
    const String Other = R.Dump();
    for (const char16_t* Line :
         {u"STAR", u"EXACTLY/CI", u"ANYML", u"PLUS", u"BACK", u"NOTHING", u"OPEN[1]", u"CLOSE[1]"})
        EXPECT_NE(Pos(Line, Other), 0) << U8(Line) << "\n" << U8(Other);
}

TEST(RegexEngine, ExecNextContinuesAfterEachMatch) {
    TRegexEngine R;
    R.SetExpression(u"a*");
    EXPECT_EQ(AllMatches(R, u"baaa"), "1:0 2:3 5:0");
    R.SetExpression(u"x*");
    EXPECT_EQ(AllMatches(R, u"ab"), "1:0 2:0 3:0");
    R.SetExpression(u"a+");
    R.SetModifierI(true);
    EXPECT_EQ(AllMatches(R, u"xAyaa"), "2:1 4:2");
    R.SetExpression(u"b");
    R.SetInputString(u"abcb");
    EXPECT_TRUE(R.Exec(3));
    EXPECT_EQ(R.MatchStart(0), 4);
}

TEST(RegexEngine, GroupsAndTheirPositions) {
    TRegexEngine R;
    R.SetExpression(u"(a)|(b)");
    ASSERT_TRUE(R.Exec(u"b"));
    EXPECT_EQ(R.SubExprMatchCount(), 2);
    EXPECT_EQ(R.MatchStart(1), -1);
    EXPECT_EQ(R.MatchLength(1), -1);
    EXPECT_EQ(R.MatchStart(2), 1);
    EXPECT_EQ(R.MatchLength(2), 1);
    EXPECT_EQ(R.MatchStart(15), -1);
    EXPECT_EQ(R.MatchStart(-1), -1);
    R.SetExpression(u"(x)?y");
    ASSERT_TRUE(R.Exec(u"y"));
    EXPECT_EQ(R.SubExprMatchCount(), 0);
    R.SetExpression(u"((a)|b)+");
    ASSERT_TRUE(R.Exec(u"ab"));
    EXPECT_EQ(R.MatchStart(1), 2); // the last pass
    EXPECT_EQ(R.MatchStart(2), 1); // from the pass that had it
}

TEST(RegexEngine, ABackReferenceInsideItsGroupSeesTheLastWholePass) {
    // While a pass through group 1 is under way, \1 is the text of the pass before; the start
    // of the new pass is not mixed with the end of the old one.
    EXPECT_EQ(First(u"(a|b\\1)+", u"abab"), "aba");
    EXPECT_EQ(First(u"(a\\1?){2}", u"aaa"), "aaa");
    EXPECT_EQ(First(u"(x\\1?)+", u"xxxxxx"), "xxxxxx"); // x, x+x, x+xx
    EXPECT_EQ(First(u"(a\\1)", u"aa"), "-");            // unset until the group closes
}

TEST(RegexEngine, SubstitutionTemplates) {
    TRegexEngine R;
    R.SetExpression(u"(x+)");
    ASSERT_TRUE(R.Exec(u"axxb"));
    EXPECT_EQ(R.Substitute(u"[$1]"), u"[xx]");
    EXPECT_EQ(R.Substitute(u"$15"), u"");
    EXPECT_EQ(R.Substitute(u"\\$1"), u"$1");
    EXPECT_EQ(R.Substitute(u"\\n"), u"n");
    EXPECT_EQ(R.Substitute(u"$&|$0|${0}|${&}|${1}0|$10"), u"xx|xx|xx|xx|xx0|");
    EXPECT_EQ(R.Substitute(u"${1|${x}|$|$x|a\\"), u"${1|${x}|$|$x|a");
    EXPECT_EQ(R.Substitute(u""), u"");
    EXPECT_EQ(R.Substitute(u"$2"), u"");
}

TEST(RegexEngine, ReplaceAndSplit) {
    TRegexEngine R;
    R.SetExpression(u"([a-z]+)(\\d+)");
    EXPECT_EQ(R.Replace(u"foo123 bar4", u"$2$1", true), u"123foo 4bar");
    EXPECT_EQ(R.Replace(u"foo123 bar4", u"$2$1", false), u"$2$1 $2$1");
    int Calls = 0;
    EXPECT_EQ(
        R.ReplaceEx(u"a1 b2",
                    [&](TRegexEngine* E) { return IntToStr(++Calls) + u":" + IntToStr(E->MatchStart(2)); }),
        u"1:2 2:5");
    EXPECT_EQ(R.Replace(u"none", [](TRegexEngine*) { return String(u"!"); }), u"none");
    R.SetExpression(u"x*");
    EXPECT_EQ(R.Replace(u"ab", u"-"), u"-a-b-");

    TStringList Pieces;
    R.SetExpression(u",");
    R.Split(u"a,b,,c", &Pieces);
    EXPECT_EQ(U8(Pieces.Text()), "a\r\nb\r\n\r\nc\r\n");
    Pieces.Clear();
    R.Split(u"abc", &Pieces);
    ASSERT_EQ(Pieces.Count(), 1);
    EXPECT_EQ(Pieces.Strings(0), u"abc");
    Pieces.Clear();
    R.Split(u",a,", &Pieces);
    EXPECT_EQ(Pieces.Count(), 3);
}

TEST(RegexEngine, LinesAndWords) {
    TRegexEngine R;
    R.SetExpression(u"^b");
    EXPECT_FALSE(R.Exec(u"a\r\nb"));
    R.SetModifierM(true);
    ASSERT_TRUE(R.Exec(u"a\r\nb"));
    EXPECT_EQ(R.MatchStart(0), 4);
    R.SetExpression(u"^");
    EXPECT_EQ(AllMatches(R, u"a\r\nb\nc\rd\u2028e"), "1:0 4:0 6:0 8:0 10:0"); // not between CR and LF
    R.SetExpression(u"$");
    EXPECT_EQ(AllMatches(R, u"a\r\nb\nc"), "2:0 5:0 7:0");
    R.SetLinePairedSeparator(u"");
    EXPECT_EQ(AllMatches(R, u"a\r\nb"), "2:0 3:0 5:0");
    R.SetLineSeparators(u"|");
    R.SetExpression(u"^\\w");
    EXPECT_EQ(AllMatches(R, u"a|b\nc"), "1:1 3:1");
    R.SetLineSeparators(u"");
    R.SetLinePairedSeparator(u"ab");
    R.SetExpression(u"^x");
    EXPECT_EQ(AllMatches(R, u"xabxaxbx"), "1:1 4:1"); // after the pair only
    EXPECT_EQ(R.LinePairedSeparator(), u"ab");

    TRegexEngine W;
    W.SetExpression(u"\\bfoo\\b");
    EXPECT_TRUE(W.Exec(u"a foo."));
    EXPECT_EQ(W.MatchStart(0), 3);
    EXPECT_FALSE(W.Exec(u"afoo"));
    W.SetExpression(u"\\Bo\\B");
    EXPECT_EQ(AllMatches(W, u"foo boo"), "2:1 6:1");
    W.SetWordChars(u"fo-");
    W.SetExpression(u"\\w+\\b");
    EXPECT_EQ(AllMatches(W, u"f-o.x"), "1:3");
    W.SetSpaceChars(u"_");
    W.SetExpression(u"\\s\\S");
    EXPECT_EQ(AllMatches(W, u"a_b c"), "2:2");

    // "." without s: no line separator, U+0085 included; other characters are fine.
    TRegexEngine D;
    D.SetModifierS(false);
    D.SetExpression(u"a.b");
    EXPECT_FALSE(D.Exec(u"a\u0085b"));
    EXPECT_FALSE(D.Exec(u"a\vb"));
    EXPECT_TRUE(D.Exec(u"a\u2026b"));
    D.SetModifierS(true);
    EXPECT_TRUE(D.Exec(u"a\u0085b"));
}

TEST(RegexEngine, CaseInversion) {
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'a'), u'A');
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'A'), u'a');
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'é'), u'É');
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'ж'), u'Ж');
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'1'), u'1');
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'ß'), u'ß');           // its upper case is two letters
    EXPECT_EQ(TRegexEngine::InvertCaseFunction(u'\u24D0'), u'\u24D0'); // from U+20AC on: unchanged
    EXPECT_EQ(First(u"[é-ë]+", u"xÉÊË", u"i"), U8(u"ÉÊË"));
    EXPECT_EQ(First(u"(a)\\1", u"aA", u"i"), "aA");
    TRegexEngine R;
    R.SetInvertCase([](Char C) { return C == u'a' ? u'*' : C; });
    R.SetModifierI(true);
    R.SetExpression(u"a");
    EXPECT_EQ(AllMatches(R, u"A*a"), "2:1 3:1");
    R.SetInvertCase(nullptr);
    EXPECT_EQ(AllMatches(R, u"A*a"), "1:1 3:1");
}

TEST(RegexEngine, NestedLoopsAndEmptyRepetitions) {
    TRegexEngine R;
    R.SetExpression(u"(((((((((((a){1}){1}){1}){1}){1}){1}){1}){1}){1}){1}){1}");
    EXPECT_EQ(ThrownMessage<ERegexEngine>([&] { R.Exec(u"a"); }), u"TRegexEngine(exec): Loop Stack Exceeded");
    R.SetExpression(u"((((((((((a){1}){1}){1}){1}){1}){1}){1}){1}){1}){1}");
    EXPECT_TRUE(R.Exec(u"a"));
    // A back-reference to an empty group repeats without moving, and ends.
    EXPECT_EQ(First(u"(a*)b\\1*c", u"bc"), "bc");
    EXPECT_EQ(First(u"(a*)b\\1+c", u"bc"), "bc");
    EXPECT_EQ(First(u"(a*)b\\1{3,}?c", u"bc"), "bc");
    EXPECT_EQ(First(u"(b)?a\\1*c", u"ac"), "ac"); // unset: no repetition
    EXPECT_EQ(First(u"(b)?a\\1+c", u"ac"), "-");
    // A loop body that can be empty only through a back-reference: the error, no hang.
    TRegexEngine E;
    E.SetExpression(u"(x*)(\\1)*y");
    try {
        EXPECT_EQ(E.Exec(u"y") ? E.MatchStart(0) : -1, 1);
    } catch (const ERegexEngine& Ex) {
        EXPECT_EQ(Ex.ErrorCode(), 1014);
    }
}

TEST(RegexEngine, LongLinesEndInAResultOrTheEnginesError) {
    const int Size = 3 * 1024 * 1024;
    String Ab;
    Ab.reserve(Size + 1);
    for (int I = 0; I < Size / 2; ++I)
        Ab += u"ab";
    struct TCase {
        const char16_t* Expr;
        const char16_t* Tail; // appended to the subject
        int Length;           // of the match from position 1; -1: the engine's error
    };
    const TCase Cases[] = {
        // A choice per character, because the loop may end anywhere: too deep for a few MB.
        {u"(a|b)*", u"", -1},
        {u"((a|b)(a|b))*", u"", -1},
        {u"(ab|a)+$", u"", -1},
        // Where the first characters tell which way to go, no choice is kept.
        {u"(a|b)*c", u"c", Size + 1},
        {u"((a)|(b))+x", u"x", Size + 1},
        // A lazy loop keeps nothing for the passes behind it.
        {u"(ab)*?c", u"c", Size + 1},
        {u"(?-s)(.)*?c", u"c", Size + 1},
        // Repetitions of one character need no stack at all.
        {u"[ab]*", u"", Size},
        {u"(?s).*", u"", Size},
        {u"(?-s).*", u"", Size},
        {u"(?-s).+b", u"", Size},
        {u"\\w+?$", u"", Size},
        {u"(?-s)(.*)x", u"x", Size + 1},
    };
    TRegexEngine R;
    for (const auto& C : Cases) {
        SCOPED_TRACE(U8(C.Expr));
        R.SetExpression(C.Expr);
        try {
            ASSERT_TRUE(R.Exec(Ab + C.Tail));
            EXPECT_EQ(R.MatchStart(0), 1);
            EXPECT_EQ(R.MatchLength(0), C.Length);
        } catch (const ERegexEngine& E) {
            EXPECT_EQ(C.Length, -1);
            EXPECT_EQ(E.ErrorCode(), 1014);
            EXPECT_EQ(U8(E.Message()), "TRegexEngine(exec): Loop Stack Exceeded");
        }
    }
    // The engine is still usable after the error.
    R.SetExpression(u"(a|b)*");
    ASSERT_TRUE(R.Exec(u"abba"));
    EXPECT_EQ(R.MatchLength(0), 4);
}

TEST(RegexEngine, ExponentialBacktrackingEndsInTheStepLimitError) {
    const String Run(60, u'a');
    struct TCase {
        const char16_t* Expr;
        String Input;
    };
    const TCase Cases[] = {
        // clang-format off
        {u"(a|aa)+$", Run + u"!"},
        {u"(a+)+[bc]", Run},
        {u"(a|\\w)*[bc]", Run},
        {u"^(\\w+\\s?)*$", Run + u"!"},
        {u"((a{1,2})+)+$", Run + u"!"},
        // clang-format on
    };
    TRegexEngine R;
    for (const auto& C : Cases) {
        SCOPED_TRACE(U8(C.Expr));
        R.SetExpression(C.Expr);
        try {
            R.Exec(C.Input);
            ADD_FAILURE() << "no error";
        } catch (const ERegexEngine& E) {
            EXPECT_EQ(E.ErrorCode(), 1016);
            EXPECT_EQ(U8(E.Message()), "TRegexEngine(exec): Step Limit Exceeded");
        }
        EXPECT_EQ(R.LastError(), 1016);
    }
    // Where the text lets the same patterns match, they do, and the engine goes on working.
    R.SetExpression(u"(a|aa)+$");
    ASSERT_TRUE(R.Exec(Run));
    EXPECT_EQ(R.MatchLength(0), 60);
    R.SetExpression(u"(a+)+b");
    ASSERT_TRUE(R.Exec(Run + u"b"));
    EXPECT_EQ(R.MatchLength(0), 61);

    // An override of RaiseError that returns: the search ends without a match.
    class TQuiet : public TRegexEngine {
    public:
        void RaiseError(int AErrorID) override { Codes.push_back(AErrorID); }
        std::vector<int> Codes;
    };
    TQuiet Q;
    Q.SetExpression(u"(a|aa)+$");
    EXPECT_FALSE(Q.Exec(Run + u"!"));
    EXPECT_EQ(Q.Codes, std::vector<int>{1016});
}

TEST(RegexEngine, BacktrackingOverLongTextsStaysBelowTheStepLimit) {
    // A choice come back to at almost every character of a few megabytes: linear work that the
    // limit must never stop.
    String Text;
    for (int I = 0; I < 200000; ++I)
        Text += u"word" + IntToStr(I % 97) + u" x ";
    struct TCase {
        const char16_t* Expr;
        int Matches;
    };
    const TCase Cases[] = {
        {u"(\\w+)\\s+\\1", 0},            // every word start, every length of the word
        {u"(?-s)(.)*?\\bword96 x", 2061}, // a lazy loop passes every character of each gap
        {u"(w|wo|wor|word)\\d+ ", 200000},
    };
    TRegexEngine R;
    for (const auto& C : Cases) {
        SCOPED_TRACE(U8(C.Expr));
        R.SetExpression(C.Expr);
        int Count = 0;
        if (R.Exec(Text)) do
                ++Count;
            while (R.ExecNext());
        EXPECT_EQ(Count, C.Matches);
    }
}
