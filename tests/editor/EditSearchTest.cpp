#include "editor/EditSearch.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

std::vector<int> Hits(TCodeEditSearch& S, const String& Line) {
    std::vector<int> R;
    const int N = S.FindAll(Line);
    for (int I = 0; I < N; ++I)
        R.push_back(S.ResultPosition(I));
    return R;
}

TCodeSearchOptions OptionsOf(bool MatchCase, bool Whole) {
    TCodeSearchOptions O;
    if (MatchCase) O.Include(ssoMatchCase);
    if (Whole) O.Include(ssoWholeWord);
    return O;
}

// ---- grep as the outside peer ----

// The start offsets that `LC_ALL=C grep -ob<Flags>F` reports for Pattern in the file at Path.
std::vector<long> GrepOffsets(const TTempFolder& Dir, const std::string& Flags, const std::string& Pattern,
                              const std::string& Path) {
    const std::string PatternFile = Dir.Sys("pattern.txt");
    WriteBytes(PatternFile, Pattern + "\n");
    const std::string Command = "LC_ALL=C grep -ob" + Flags + "F -f '" + PatternFile + "' '" + Path + "'";
    FILE* Pipe = popen(Command.c_str(), "r");
    if (!Pipe) throw std::runtime_error("cannot run grep");
    std::vector<long> Offsets;
    std::string Line;
    for (int C; (C = fgetc(Pipe)) != EOF;) {
        if (C != '\n') {
            Line += char(C);
            continue;
        }
        Offsets.push_back(std::stol(Line.substr(0, Line.find(':'))));
        Line.clear();
    }
    const int Status = pclose(Pipe);
    // 0: found, 1: nothing found; anything else is grep failing.
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) > 1) throw std::runtime_error("grep failed: " + Command);
    return Offsets;
}

// The same offsets from the engine, one line at a time as the editor searches.
std::vector<long> EngineOffsets(TCodeEditSearch& S, const std::string& Corpus) {
    std::vector<long> Offsets;
    size_t LineStart = 0;
    while (LineStart <= Corpus.size()) {
        size_t End = Corpus.find('\n', LineStart);
        if (End == std::string::npos) End = Corpus.size();
        const std::string Line = Corpus.substr(LineStart, End - LineStart);
        if (Line.size() >= size_t(Length(S.Pattern())))
            for (int Position : Hits(S, String(Line.begin(), Line.end())))
                Offsets.push_back(long(LineStart) + Position - 1);
        LineStart = End + 1;
    }
    return Offsets;
}

bool IsAscii(const std::string& Bytes) {
    return std::all_of(Bytes.begin(), Bytes.end(),
                       [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

// The ASCII sources of the Arduino examples, one after the other.
std::string ArduinoCorpus() {
    std::vector<std::filesystem::path> Files;
    auto Options = std::filesystem::directory_options::follow_directory_symlink;
    for (const auto& E :
         std::filesystem::recursive_directory_iterator("/usr/share/arduino/examples", Options)) {
        const std::string Ext = E.path().extension();
        if (E.is_regular_file() && (Ext == ".ino" || Ext == ".h" || Ext == ".txt")) Files.push_back(E.path());
    }
    std::sort(Files.begin(), Files.end());
    std::string Corpus;
    for (const auto& F : Files)
        if (std::string Bytes = ReadBytes(F); IsAscii(Bytes)) Corpus += Bytes;
    return Corpus;
}

} // namespace

TEST(EditSearch, FindsEveryMatchWithoutOverlap) {
    struct Case {
        String Pattern;
        String Line;
        bool MatchCase;
        bool Whole;
        std::vector<int> Expected;
    };
    // clang-format off
    const Case Cases[] = {
        {u"ab", u"abab", true, false, {1, 3}},
        {u"aa", u"aaaa", true, false, {1, 3}},
        {u"aa", u"aaa", true, false, {1}},
        {u"aba", u"abababa", true, false, {1, 5}},
        {u"abcab", u"xabcabcabx", true, false, {2}},
        {u"x", u"xyx", true, false, {1, 3}},
        {u"abc", u"abc", true, false, {1}},
        {u"abcd", u"abc", true, false, {}},
        {u"foo", u"foo_bar foo", true, true, {9}},
        {u"foo", u"(foo)", true, true, {2}},
        {u"foo", u"foofoo foo", true, true, {8}},
        {u"aa", u"aaa aa", true, true, {5}},
        {u"a b", u"xa b a b", true, true, {6}},
        // é belongs to words, while §, ° and ´ end them; DEL belongs to words.
        {u"foo", u"\u00E9foo \u00A7foo\u00B0 \u00B4foo", true, true, {7, 13}},
        {u"foo", u"\u007Ffoo", true, true, {}},
        {u"ABC", u"xabcABC", false, false, {2, 5}},
        {u"abc", u"xabcABC", true, false, {2}},
        {u"\u00C4RGER", u"\u00E4rger \u00C4RGER", false, false, {1, 7}},
        {u"Foo", u"FOO_ foo", false, true, {6}},
    };
    // clang-format on
    for (const auto& C : Cases) {
        TCodeEditSearch S(nullptr);
        S.SetOptions(OptionsOf(C.MatchCase, C.Whole));
        S.SetPattern(C.Pattern);
        EXPECT_EQ(Hits(S, C.Line), C.Expected) << U8(C.Pattern) << " in " << U8(C.Line);
        EXPECT_EQ(S.Pattern(), C.Pattern);
        EXPECT_EQ(S.Count(), int(C.Expected.size()));
        EXPECT_EQ(S.ResultLength(0), Length(C.Pattern));
    }
}

TEST(EditSearch, ResultsAndCountsFollowTheCalls) {
    TCodeEditSearch S(nullptr);
    EXPECT_FALSE(S.CaseSensitive());
    EXPECT_FALSE(S.Whole());
    S.SetPattern(u"ab");
    EXPECT_EQ(S.FindAll(u"ab ab"), 2);
    EXPECT_EQ(S.ResultPosition(5), 0);
    EXPECT_EQ(S.ResultPosition(-1), 0);
    EXPECT_EQ(S.FindAll(u"xab"), 1);
    EXPECT_EQ(S.ResultCount(), 1);
    EXPECT_EQ(S.Count(), 3); // counted since the pattern was set
    S.SetPattern(u"ab");
    EXPECT_EQ(S.Count(), 0);

    EXPECT_EQ(S.FindAll(String(u"ab ab")), 2); // the line is gone once the search ends
    EXPECT_EQ(S.Next(), 0);
    EXPECT_TRUE(S.Finished());

    EXPECT_EQ(S.FindFirst(u"abxab"), 1);
    EXPECT_EQ(S.Next(), 4);
    EXPECT_EQ(S.Next(), 0);
    EXPECT_EQ(S.FindFirst(u"a"), 0); // shorter than the pattern
    EXPECT_EQ(S.Next(), 0);
    EXPECT_TRUE(S.Finished());

    EXPECT_EQ(S.Replace(u"ab", u"xyz"), u"xyz");

    S.FindAll(u"ab ab ab ab");
    S.FixResults(4, -2); // the line grew by 2 after position 4
    EXPECT_EQ(S.ResultPosition(0), 1);
    EXPECT_EQ(S.ResultPosition(1), 4);
    EXPECT_EQ(S.ResultPosition(2), 9);
    EXPECT_EQ(S.ResultPosition(3), 12);
}

TEST(EditSearch, AnEmptyPatternRaisesAndKeepsTheResults) {
    TCodeEditSearch S(nullptr);
    EXPECT_EQ(U8(ThrownMessage<ECodeError>([&] { S.FindAll(u"abc"); })), "Pattern is empty");
    S.SetPattern(u"b");
    EXPECT_EQ(S.FindAll(u"abcb"), 2);
    S.SetPattern(u"");
    EXPECT_EQ(U8(ThrownMessage<ECodeError>([&] { S.FindAll(u"abc"); })), "Pattern is empty");
    EXPECT_EQ(S.ResultCount(), 2);
    EXPECT_EQ(S.ResultPosition(1), 4);
}

TEST(EditSearch, CaseSettingTakesThePatternAsLastGiven) {
    TCodeEditSearch S(nullptr);
    S.SetPattern(u"ABC");
    EXPECT_EQ(Hits(S, u"abc ABC"), (std::vector<int>{1, 5}));
    S.SetPattern(u"abc"); // the same when case is ignored, but not once case counts
    S.SetCaseSensitive(true);
    EXPECT_EQ(S.Pattern(), u"abc");
    EXPECT_EQ(Hits(S, u"abc ABC"), (std::vector<int>{1}));
    S.SetOptions(OptionsOf(false, true));
    EXPECT_FALSE(S.CaseSensitive());
    EXPECT_TRUE(S.Whole());
    EXPECT_EQ(Hits(S, u"abc ABCd ABC"), (std::vector<int>{1, 10}));
}

TEST(EditSearch, TheEngineIsAComponentWithClassInformation) {
    TComponent Owner(nullptr);
    auto* S = new TCodeEditSearch(&Owner);
    EXPECT_EQ(Owner.ComponentCount(), 1);
    EXPECT_TRUE(S->InheritsFrom(TCodeEditSearchCustom::StaticClass()));
    TCodeEditSearchCustom* Engine = S;
    Engine->SetPattern(u"x");
    EXPECT_EQ(Engine->FindAll(u"xax"), 2);
    EXPECT_EQ(Engine->ResultPosition(1), 3);
}

// The hits equal grep's on the ASCII Arduino examples: every occurrence, without overlap, at
// grep's byte offset + 1 within its line.
TEST(EditSearch, HitsEqualGrepOnTheArduinoExamples) {
    const std::string Corpus = ArduinoCorpus();
    ASSERT_GT(Corpus.size(), 10000u) << "the arduino package is not installed";
    // DEL is a word character here but not for grep; the corpus holds none, so the word rules agree.
    ASSERT_EQ(Corpus.find('\x7F'), std::string::npos);
    TTempFolder Dir;
    const std::string CorpusFile = Dir.Sys("corpus.txt");
    WriteBytes(CorpusFile, Corpus);
    const std::vector<std::string> Patterns = {
        "void", "Serial",  "Serial.print", "i",     "e",    ";",           "  ",         "    ",
        "LED",  "led",     "delay(",       "==",    "//",   "/*",          "the",        "pin",
        "int",  "0",       "00",           "{",     "}",    "HIGH",        "analogRead", "xyzzy",
        "ee",   "ll",      "the the",      " (",    "if (", "()",          "\t",         "ArduinoISP",
        "a",    "the pin", "1000",         "value", "(",    "sensorValue",
    };
    struct Mode {
        const char* Flags;
        bool MatchCase;
        bool Whole;
    };
    const Mode Modes[] = {{"", true, false}, {"i", false, false}, {"w", true, true}, {"wi", false, true}};
    for (const Mode& M : Modes)
        for (const std::string& Pattern : Patterns) {
            TCodeEditSearch S(nullptr);
            S.SetOptions(OptionsOf(M.MatchCase, M.Whole));
            S.SetPattern(String(Pattern.begin(), Pattern.end()));
            EXPECT_EQ(EngineOffsets(S, Corpus), GrepOffsets(Dir, M.Flags, Pattern, CorpusFile))
                << "grep -ob" << M.Flags << "F '" << Pattern << "'";
        }
}

// Where the word rule differs from grep -w by design: DEL and letters beyond ASCII belong to
// words here, while grep in the C locale counts them (their bytes) as non-word characters.
// The section, degree and acute-accent signs end words in both.
TEST(EditSearch, WholeWordsDifferFromGrepOnlyWhereTheWordRuleSaysSo) {
    struct Case {
        std::string Line; // UTF-8
        bool FoundHere;
        bool FoundByGrep;
    };
    const Case Cases[] = {
        {"\x7F"
         "foo",
         false, true},
        {"\xC3\xA9"
         "foo",
         false, true},                // é
        {"foo\xC2\xB5", false, true}, // µ
        {"\xC2\xA7"
         "foo",
         true, true},                // §
        {"foo\xC2\xB0", true, true}, // °
        {"\xC2\xB4"
         "foo",
         true, true}, // ´
        {"foo_", false, false},
        {"(foo)", true, true},
    };
    TTempFolder Dir;
    for (const auto& C : Cases) {
        TCodeEditSearch S(nullptr);
        S.SetOptions(OptionsOf(true, true));
        S.SetPattern(u"foo");
        EXPECT_EQ(S.FindAll(Utf8ToString(C.Line)) > 0, C.FoundHere) << C.Line;
        WriteBytes(Dir.Sys("line.txt"), C.Line + "\n");
        EXPECT_EQ(!GrepOffsets(Dir, "w", "foo", Dir.Sys("line.txt")).empty(), C.FoundByGrep) << C.Line;
    }
}
