#include "editor/EditStringList.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using Lines = std::vector<String>;

Lines LinesOf(const TCodeEditStringList& L) {
    Lines R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L.Strings(I));
    return R;
}

std::string Joined(const Lines& L) {
    std::string R;
    for (const String& S : L)
        R += "[" + U8(S) + "]";
    return R;
}

// Hears all six events of a buffer and writes them down in order.
struct TEventLog {
    std::string Log;
    explicit TEventLog(TCodeEditStringList& L) {
        L.OnChanging = [this](TObject*) { Log += "Changing "; };
        L.OnChange = [this](TObject*) { Log += "Change "; };
        L.OnCleared = [this](TObject*) { Log += "Cleared "; };
        auto Line = [this](const char* Name) {
            return [this, Name](TObject*, int Index, int Count) {
                Log += std::string(Name) + "(" + std::to_string(Index) + "," + std::to_string(Count) + ") ";
            };
        };
        L.OnDeleted = Line("Deleted");
        L.OnInserted = Line("Inserted");
        L.OnPutted = Line("Putted");
    }
    std::string Take() {
        std::string R = Log;
        Log.clear();
        return R;
    }
};

void Fill(TCodeEditStringList& L, const Lines& Items) {
    L.Clear();
    for (const String& S : Items)
        L.Add(S);
}

} // namespace

TEST(EditStringList, TextSplitsAtEveryBreakAndDetectsTheFormat) {
    struct Case {
        String Text;
        Lines Expected;
        TCodeEditFileFormat Format;
    };
    // clang-format off
    const Case Cases[] = {
        {u"a\r\nb", {u"a", u"b"}, sffDos},
        {u"a\nb\n", {u"a", u"b", u""}, sffUnix},
        {u"a\rb", {u"a", u"b"}, sffMac},
        {u"a\u2028b", {u"a", u"b"}, sffUnicode},
        {u"a\n\rb", {u"a", u"", u"b"}, sffDos},
        {u"", {}, sffDos},
        {u"abc", {u"abc"}, sffDos},
        {u"\n", {u"", u""}, sffUnix},
        {u"a\u2028\r\nb", {u"a", u"b"}, sffDos},
        {u"a\r\nb\u2028c\r\nd", {u"a", u"b", u"c", u"d"}, sffDos},
        {u"a\nb\u2028c", {u"a", u"b", u"c"}, sffUnix},
        {u"a\rb\u2028c", {u"a", u"b", u"c"}, sffMac},
        {u"a\u2028b\u2028", {u"a", u"b", u""}, sffUnicode},
    };
    // clang-format on
    for (const auto& C : Cases) {
        TCodeEditStringList L;
        L.SetFileFormat(sffMac == C.Format ? sffUnix : sffMac); // the old format must not linger
        L.SetText(C.Text);
        EXPECT_EQ(Joined(LinesOf(L)), Joined(C.Expected)) << U8(C.Text);
        EXPECT_EQ(L.FileFormat(), C.Format) << U8(C.Text);
        EXPECT_EQ(L.LineBreak(), LineSeparatorOf(C.Format)) << U8(C.Text);
    }
}

// Breaks are looked for several units at a time: a break at any offset within a line, and lines
// of any length, come back whole from a real file and go back to it byte for byte.
TEST(EditStringList, LinesOfEveryLengthLoadAndSaveWithEachBreak) {
    Lines Expected;
    for (int Length = 0; Length <= 20; ++Length)
        for (int I = 0; I < 2; ++I)
            Expected.push_back(String(size_t(Length), Char(u'a' + Length)) + (I ? u"\u00E9" : u""));
    TTempFolder Dir;
    for (TCodeEditFileFormat Format : {sffDos, sffUnix, sffMac, sffUnicode}) {
        String Text;
        for (const String& Line : Expected)
            Text += Line + LineSeparatorOf(Format);
        SaveTextFile(Dir.File("in.ino"), Text);
        TCodeEditStringList L;
        L.SetAppendNewLineAtEOF(true);
        L.LoadFromFile(Dir.File("in.ino"));
        EXPECT_EQ(Joined(LinesOf(L)), Joined(Expected)) << int(Format);
        EXPECT_EQ(L.FileFormat(), Format);
        L.SaveToFile(Dir.File("out.ino"));
        EXPECT_EQ(ReadBytes(Dir.Sys("out.ino")), ReadBytes(Dir.Sys("in.ino"))) << int(Format);
    }
}

// The end of an update bracket may run a handler that raises: its error reaches the caller, the
// change is kept, and the next change brackets as before.
TEST(EditStringList, AChangeHandlerThatRaisesReachesTheCaller) {
    TCodeEditStringList L;
    L.OnChange = [](TObject*) { throw Exception(u"handler failed"); };
    EXPECT_EQ(U8(ThrownMessage<Exception>([&] { L.Add(u"a"); })), "handler failed");
    EXPECT_EQ(Joined(LinesOf(L)), "[a]");
    TEventLog Events(L);
    L.Add(u"b");
    EXPECT_EQ(Events.Take(), "Changing Inserted(1,1) Change ");
}

TEST(EditStringList, TextGetterJoinsWithCrLfOutsideStreaming) {
    TCodeEditStringList L;
    L.SetText(u"a\nb\n");
    ASSERT_EQ(L.FileFormat(), sffUnix);
    EXPECT_EQ(L.Text(), u"a\r\nb\r\n");
    EXPECT_EQ(L.GetSeparatedText(u""), u"ab");
    EXPECT_EQ(L.GetSeparatedText(u"--"), u"a--b--");
    L.Clear();
    EXPECT_EQ(L.GetSeparatedText(u"--"), u"");
}

// Each fixture is a real file; it is loaded, checked, saved to another real file and compared.
TEST(EditStringList, FixturesLoadAndSaveAsExpected) {
    struct Case {
        const char* Name;
        std::string Bytes;
        TEncoding* Encoding; // null: a byte-order mark, else strict UTF-8
        Lines Expected;
        TCodeEditFileFormat Format;
        std::string Saved; // the bytes written back
    };
    // clang-format off
    const Case Cases[] = {
        {"crlf", "one\r\ntwo\r\n", nullptr, {u"one", u"two", u""}, sffDos, "one\r\ntwo\r\n"},
        {"cr", "one\rtwo\r", nullptr, {u"one", u"two", u""}, sffMac, "one\rtwo\r"},
        {"lf", "one\ntwo\n", nullptr, {u"one", u"two", u""}, sffUnix, "one\ntwo\n"},
        // Mixed breaks take the CR LF format: every break is written as CR LF.
        {"mixed", "one\r\ntwo\nthree\rfour", nullptr, {u"one", u"two", u"three", u"four"}, sffDos,
         "one\r\ntwo\r\nthree\r\nfour"},
        {"bom", "\xEF\xBB\xBFvoid setup() {}\n", nullptr, {u"void setup() {}", u""}, sffUnix,
         "\xEF\xBB\xBFvoid setup() {}\n"},
        {"nofinal", "int x;\nint y;", nullptr, {u"int x;", u"int y;"}, sffUnix, "int x;\nint y;"},
        {"empty", "", nullptr, {}, sffDos, ""},
        {"utf8", "Stra\xC3\x9F" "e \xE2\x82\xAC\n", nullptr, {u"Stra\u00DFe \u20AC", u""}, sffUnix,
         "Stra\xC3\x9F" "e \xE2\x82\xAC\n"},
        // One U+2028 in a CR LF text ends a line there; the file stays CR LF throughout.
        {"ls-in-crlf", "a\r\nb\xE2\x80\xA8" "c\r\nd\r\n", nullptr, {u"a", u"b", u"c", u"d", u""}, sffDos,
         "a\r\nb\r\nc\r\nd\r\n"},
        {"ls-only", "a\xE2\x80\xA8" "b", nullptr, {u"a", u"b"}, sffUnicode, "a\xE2\x80\xA8" "b"},
        // Not UTF-8: read in the 8-bit code page on request, one byte per character, and back.
        {"latin1", "Gr\xFC\xDF" "e\r\n\x80\x81\r\n", TEncoding::ANSI(),
         {u"Gr\u00FC\u00DF" "e", u"\u20AC\u0081", u""}, sffDos, "Gr\xFC\xDF" "e\r\n\x80\x81\r\n"},
    };
    // clang-format on
    TTempFolder Dir;
    for (const auto& C : Cases) {
        const std::string In = Dir.Sys(std::string(C.Name) + ".ino");
        const std::string Out = Dir.Sys(std::string(C.Name) + ".saved.ino");
        WriteBytes(In, C.Bytes);
        TCodeEditStringList L;
        L.LoadFromFile(Utf8ToString(In), C.Encoding);
        EXPECT_EQ(Joined(LinesOf(L)), Joined(C.Expected)) << C.Name;
        EXPECT_EQ(L.FileFormat(), C.Format) << C.Name;
        L.SaveToFile(Utf8ToString(Out));
        EXPECT_EQ(ReadBytes(Out), C.Saved) << C.Name;
    }
}

TEST(EditStringList, InvalidUtf8RaisesAndLeavesTheBufferAsItWas) {
    TTempFolder Dir;
    WriteBytes(Dir.Sys("latin1.ino"), "Gr\xFC\xDF"
                                      "e\r\n");
    TCodeEditStringList L;
    L.SetText(u"kept\nlines");
    TEventLog Events(L);
    EXPECT_THROW(L.LoadFromFile(Dir / "latin1.ino"), EEncodingError);
    EXPECT_EQ(Joined(LinesOf(L)), "[kept][lines]");
    EXPECT_EQ(L.FileFormat(), sffUnix);
    EXPECT_EQ(Events.Take(), "");
    // Saving afterwards still writes the buffer's own text in its own format.
    L.SaveToFile(Dir / "after.ino");
    EXPECT_EQ(ReadBytes(Dir.Sys("after.ino")), "kept\nlines");
}

TEST(EditStringList, LoadingFiresOneBracketWithClearedAndInserted) {
    TTempFolder Dir;
    WriteBytes(Dir.Sys("a.ino"), "x\ry\r");
    TCodeEditStringList L;
    L.SetText(u"old");
    TEventLog Events(L);
    TCodeEditFileFormat FormatAtChange = sffUnicode;
    L.OnChange = [&](TObject*) {
        Events.Log += "Change ";
        FormatAtChange = L.FileFormat();
    };
    L.LoadFromFile(Dir / "a.ino");
    EXPECT_EQ(Events.Take(), "Changing Cleared Inserted(0,3) Change ");
    EXPECT_EQ(FormatAtChange, sffMac);

    // Setting the text directly: the format follows after the bracket has closed.
    L.SetText(u"p\nq");
    EXPECT_EQ(Events.Take(), "Changing Cleared Inserted(0,2) Change ");
    EXPECT_EQ(FormatAtChange, sffMac);
    EXPECT_EQ(L.FileFormat(), sffUnix);

    L.Clear();
    L.SetText(u"");
    EXPECT_EQ(Events.Take(), "Changing Cleared Change Changing Change ");
}

TEST(EditStringList, SavingJoinsWithTheFormatAndAppendsOnRequest) {
    TTempFolder Dir;
    TCodeEditStringList L;
    Fill(L, {u"a", u"b"});
    L.SetFileFormat(sffUnix);
    L.SaveToFile(Dir / "unix.ino");
    EXPECT_EQ(ReadBytes(Dir.Sys("unix.ino")), "a\nb");
    L.SetAppendNewLineAtEOF(true);
    L.SaveToFile(Dir / "append.ino");
    EXPECT_EQ(ReadBytes(Dir.Sys("append.ino")), "a\nb\n");
    L.SetFileFormat(sffUnicode);
    L.SaveToFile(Dir / "ls.ino");
    EXPECT_EQ(ReadBytes(Dir.Sys("ls.ino")), "a\xE2\x80\xA8"
                                            "b\xE2\x80\xA8");

    // With AppendNewLineAtEOF a final break ends the last line instead of starting an empty one,
    // so the file comes back as it was.
    L.LoadFromFile(Dir / "append.ino");
    EXPECT_EQ(Joined(LinesOf(L)), "[a][b]");
    L.SaveToFile(Dir / "again.ino");
    EXPECT_EQ(ReadBytes(Dir.Sys("again.ino")), "a\nb\n");
}

// Every example sketch of the Arduino package comes back byte for byte.
TEST(EditStringList, ArduinoExamplesSaveBackByteIdentical) {
    const std::filesystem::path Examples = "/usr/share/arduino/examples";
    ASSERT_TRUE(std::filesystem::is_directory(Examples)) << "the arduino package is not installed";
    const std::vector<std::string> SketchExtensions = {".ino", ".pde", ".c", ".cpp", ".h", ".txt"};
    TTempFolder Dir;
    int Files = 0;
    auto Options = std::filesystem::directory_options::follow_directory_symlink;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Examples, Options)) {
        if (!Entry.is_regular_file()) continue;
        const std::string Ext = Entry.path().extension();
        if (std::find(SketchExtensions.begin(), SketchExtensions.end(), Ext) == SketchExtensions.end())
            continue;
        const std::string Original = ReadBytes(Entry.path());
        const std::string Saved = Dir.Sys("copy" + std::to_string(Files++) + Ext);
        TCodeEditStringList L;
        L.LoadFromFile(Utf8ToString(Entry.path().string()));
        EXPECT_FALSE(L.WriteBOM()) << Entry.path();
        L.SaveToFile(Utf8ToString(Saved));
        EXPECT_EQ(ReadBytes(Saved), Original) << Entry.path();
    }
    EXPECT_GT(Files, 0) << "no sketch found under " << Examples;
}

TEST(EditStringList, EachChangeFiresItsLineEventInsideOneBracket) {
    struct Case {
        const char* Name;
        std::function<void(TCodeEditStringList&)> Action;
        std::string Events;
        Lines After;
    };
    TStringList Two;
    Two.Add(u"x");
    Two.Add(u"y");
    // clang-format off
    const Case Cases[] = {
        {"Add", [](auto& L) { L.Add(u"d"); }, "Changing Inserted(3,1) Change ", {u"a", u"b", u"c", u"d"}},
        {"Insert", [](auto& L) { L.Insert(1, u"n"); }, "Changing Inserted(1,1) Change ",
         {u"a", u"n", u"b", u"c"}},
        {"Insert at end", [](auto& L) { L.Insert(3, u"n"); }, "Changing Inserted(3,1) Change ",
         {u"a", u"b", u"c", u"n"}},
        {"Put", [](auto& L) { L.SetString(1, u"B"); }, "Changing Putted(1,1) Change ", {u"a", u"B", u"c"}},
        {"Put at Count", [](auto& L) { L.SetString(3, u"d"); }, "Changing Inserted(3,1) Change ",
         {u"a", u"b", u"c", u"d"}},
        {"Delete", [](auto& L) { L.Delete(0); }, "Changing Deleted(0,1) Change ", {u"b", u"c"}},
        {"DeleteLines middle", [](auto& L) { L.DeleteLines(1, 1); }, "Changing Deleted(1,1) Change ",
         {u"a", u"c"}},
        {"DeleteLines tail", [](auto& L) { L.DeleteLines(1, 2); }, "Changing Deleted(1,2) Change ", {u"a"}},
        {"DeleteLines beyond", [](auto& L) { L.DeleteLines(0, 8); }, "Changing Deleted(0,3) Change ", {}},
        {"DeleteLines none", [](auto& L) { L.DeleteLines(0, 0); }, "", {u"a", u"b", u"c"}},
        {"InsertLines", [](auto& L) { L.InsertLines(1, 2); }, "Changing Inserted(1,2) Change ",
         {u"a", u"", u"", u"b", u"c"}},
        {"InsertStrings", [&](auto& L) { L.InsertStrings(0, &Two); },
         "Changing Inserted(0,2) Putted(0,1) Putted(1,1) Change ", {u"x", u"y", u"a", u"b", u"c"}},
        {"InsertText", [](auto& L) { L.InsertText(3, u"p\r\nq\n"); },
         "Changing Inserted(3,2) Putted(3,1) Putted(4,1) Change ", {u"a", u"b", u"c", u"p", u"q"}},
        {"AddStrings", [&](auto& L) { L.AddStrings(&Two); }, "Changing Inserted(3,2) Change ",
         {u"a", u"b", u"c", u"x", u"y"}},
        {"Exchange", [](auto& L) { L.Exchange(0, 2); }, "Changing Change ", {u"c", u"b", u"a"}},
        {"Clear", [](auto& L) { L.Clear(); }, "Changing Cleared Change ", {}},
        {"LineRange", [](auto& L) { L.SetLineRange(0, 7); }, "Changing Change ", {u"a", u"b", u"c"}},
        {"Object", [](auto& L) { L.SetObject(0, &L); }, "Changing Change ", {u"a", u"b", u"c"}},
        {"Nested", [](auto& L) {
             L.BeginUpdate();
             L.Add(u"d");
             L.Delete(0);
             L.EndUpdate();
         },
         "Changing Inserted(3,1) Deleted(0,1) Change ", {u"b", u"c", u"d"}},
    };
    // clang-format on
    for (const auto& C : Cases) {
        TCodeEditStringList L;
        Fill(L, {u"a", u"b", u"c"});
        TEventLog Events(L);
        C.Action(L);
        EXPECT_EQ(Events.Take(), C.Events) << C.Name;
        EXPECT_EQ(Joined(LinesOf(L)), Joined(C.After)) << C.Name;
    }
    TCodeEditStringList Empty;
    TEventLog Events(Empty);
    Empty.Clear();
    EXPECT_EQ(Events.Take(), "");
}

TEST(EditStringList, BadIndexesRaiseAndChangeNothing) {
    struct Case {
        const char* Name;
        std::function<void(TCodeEditStringList&)> Action;
        const char16_t* Message;
    };
    // clang-format off
    const Case Cases[] = {
        {"Delete Count", [](auto& L) { L.Delete(3); }, u"Invalid stringlist index 3"},
        {"Delete -1", [](auto& L) { L.Delete(-1); }, u"Invalid stringlist index -1"},
        {"DeleteLines Count", [](auto& L) { L.DeleteLines(3, 1); }, u"Invalid stringlist index 3"},
        {"Put Count+1", [](auto& L) { L.SetString(4, u"x"); }, u"Invalid stringlist index 4"},
        {"Insert Count+1", [](auto& L) { L.Insert(4, u"x"); }, u"Invalid stringlist index 4"},
        {"InsertLines -1", [](auto& L) { L.InsertLines(-1, 2); }, u"Invalid stringlist index -1"},
        {"Object", [](auto& L) { L.SetObject(3, nullptr); }, u"Invalid stringlist index 3"},
        {"LineRange", [](auto& L) { L.SetLineRange(5, 1); }, u"Invalid stringlist index 5"},
        {"Exchange", [](auto& L) { L.Exchange(0, 9); }, u"Invalid stringlist index 9"},
    };
    // clang-format on
    for (const auto& C : Cases) {
        TCodeEditStringList L;
        Fill(L, {u"a", u"b", u"c"});
        TEventLog Events(L);
        EXPECT_EQ(U8(ThrownMessage<ECodeEditStringList>([&] { C.Action(L); })), U8(C.Message)) << C.Name;
        EXPECT_EQ(Joined(LinesOf(L)), "[a][b][c]") << C.Name;
        EXPECT_EQ(Events.Take(), "") << C.Name;
    }
    TCodeEditStringList L;
    Fill(L, {u"a"});
    EXPECT_EQ(L.Strings(-1), u"");
    EXPECT_EQ(L.Strings(1), u"");
    EXPECT_EQ(L.Objects(1), nullptr);
    EXPECT_EQ(L.LineRange(1), 0);
    EXPECT_TRUE(L.InheritsFrom(TStrings::StaticClass()));
}

TEST(EditStringList, CapacityGrowsInStepsAndRefusesToShrinkBelowCount) {
    TCodeEditStringList L;
    L.Add(u"a");
    EXPECT_EQ(L.Capacity(), 16);
    for (int I = 1; I < 64; ++I)
        L.Add(u"x");
    EXPECT_EQ(L.Capacity(), 64);
    L.Add(u"x");
    EXPECT_EQ(L.Capacity(), 80); // beyond 64 by a quarter
    EXPECT_EQ(U8(ThrownMessage<EListError>([&] { L.SetCapacity(64); })),
              "Stringlist capacity cannot be smaller than count");
    EXPECT_EQ(L.Count(), 65);
    L.SetCapacity(65);
    EXPECT_EQ(L.Capacity(), 65);
    TStringList Three;
    for (int I = 0; I < 3; ++I)
        Three.Add(u"y");
    L.AddStrings(&Three);
    EXPECT_EQ(L.Capacity(), 80); // 68 rounded up to a multiple of 16
    L.Clear();
    EXPECT_EQ(L.Capacity(), 0);
}

TEST(EditStringList, LinesKeepRangeObjectAndCachesWhereTheyBelong) {
    TCodeEditStringList L;
    Fill(L, {u"a", u"b"});
    EXPECT_EQ(L.LineRange(0), CodeEditRangeUnknown);
    L.SetLineRange(0, 5);
    L.SetObject(0, &L);
    L.SetString(0, u"changed");
    EXPECT_EQ(L.LineRange(0), 5); // a changed line keeps its range until it is scanned again
    EXPECT_EQ(L.Objects(0), &L);
    L.InsertLines(0, 1);
    EXPECT_EQ(L.LineRange(0), CodeEditRangeUnknown);
    EXPECT_EQ(L.LineRange(1), 5);
    L.Exchange(1, 2);
    EXPECT_EQ(Joined(LinesOf(L)), "[][b][changed]");
    EXPECT_EQ(L.LineRange(2), 5);
    EXPECT_EQ(L.Objects(2), &L);
}

TEST(EditStringList, ExpandedLinesFollowTheTabWidth) {
    struct Case {
        int TabWidth;
        String Line;
        String Expanded;
    };
    // clang-format off
    const Case Cases[] = {
        {4, u"a\tb", u"a\t\t\tb"},
        {1, u"a\tb", u"a b"},
        {0, u"\t", u" "},
        {4, u"\t", u"\t\t\t\t"},
        {4, u"ab\t", u"ab\t\t"},
        {3, u"ab\t", u"ab\t"},
        {8, u"a\tb", u"a\t\t\t\t\t\t\tb"},
        {3, u"\t\tx", u"\t\t\t\t\t\tx"},
        {6, u"abcdef\tg", u"abcdef\t\t\t\t\t\tg"},
        {4, u"plain", u"plain"},
        {4, u"", u""},
    };
    // clang-format on
    for (const auto& C : Cases) {
        TCodeEditStringList L;
        L.SetTabWidth(C.TabWidth);
        L.Add(C.Line);
        EXPECT_EQ(U8(L.ExpandedLine(0)), U8(C.Expanded)) << C.TabWidth << " " << U8(C.Line);
        EXPECT_EQ(L.ExpandedLineLength(0), Length(C.Expanded)) << C.TabWidth << " " << U8(C.Line);
    }
    TCodeEditStringList L;
    EXPECT_EQ(L.TabWidth(), 8);
    EXPECT_EQ(L.ExpandedLine(0), u"");
    EXPECT_EQ(L.ExpandedLineLength(-1), 0);
    EXPECT_EQ(L.LengthOfLongestLine(), 0);
}

TEST(EditStringList, LongestLineIsWorkedOutAgainAfterEachChange) {
    TCodeEditStringList L;
    Fill(L, {u"\t\t", u"abcdefghij", u"x"});
    EXPECT_EQ(L.LengthOfLongestLine(), 16);
    L.SetTabWidth(4);
    EXPECT_EQ(L.LengthOfLongestLine(), 10);
    L.SetString(2, u"0123456789ABC");
    EXPECT_EQ(L.LengthOfLongestLine(), 13);
    L.Delete(2);
    EXPECT_EQ(L.LengthOfLongestLine(), 10);
    L.Exchange(0, 1);
    EXPECT_EQ(L.LengthOfLongestLine(), 10);
    L.Clear();
    L.Add(u"");
    EXPECT_EQ(L.LengthOfLongestLine(), 0);
}

TEST(EditStringList, ReplacingALineKeepsTheLongestLineRight) {
    TCodeEditStringList L;
    Fill(L, {u"abc", u"abcdefgh", u"abcde"});
    EXPECT_EQ(L.LengthOfLongestLine(), 8);
    const struct {
        int Index;
        const char16_t* Text;
        int Longest;
    } Cases[] = {
        {0, u"ab", 8},          {2, u"abcdefg", 8},      {1, u"abcdefghijk", 11},
        {1, u"a", 7},           {0, u"abcdefghi", 9},    {0, u"", 7},
        {2, u"\t\t", 16},
    };
    for (const auto& C : Cases) {
        L.SetString(C.Index, C.Text);
        EXPECT_EQ(L.LengthOfLongestLine(), C.Longest) << C.Index << " " << U8(C.Text);
    }
}

TEST(EditStringList, WideGlyphFunctionWidensTheDisplayLength) {
    int Calls = 0;
    // Every character from U+3000 on takes two columns.
    TCodeEditStringList L([&](const String& S) {
        ++Calls;
        String R;
        for (Char C : S) {
            if (C >= 0x3000) R += u'\uE000';
            R += C;
        }
        return R;
    });
    Fill(L, {u"\u65E5\u672C\tx", u"abc"});
    L.SetTabWidth(4);
    EXPECT_EQ(L.ExpandedLine(0), u"\u65E5\u672C\t\tx"); // tabs only: glyph widening is the painter's
    EXPECT_EQ(L.ExpandedLineLength(0), 7);
    EXPECT_EQ(L.LengthOfLongestLine(), 7);
    const int Before = Calls;
    EXPECT_EQ(L.ExpandedLineLength(0), 7);
    EXPECT_EQ(L.LengthOfLongestLine(), 7);
    EXPECT_EQ(Calls, Before); // cached
    L.FontChanged();
    EXPECT_EQ(L.LengthOfLongestLine(), 7);
    EXPECT_GT(Calls, Before);
}

TEST(EditStringList, CharacterIndexesCountTheLinesBefore) {
    TCodeEditStringList L;
    Fill(L, {u"ab", u"cde", u"f"});
    EXPECT_EQ(L.LineCharIndex(0), 0);
    EXPECT_EQ(L.LineCharIndex(2), 5);
    EXPECT_EQ(L.LineCharIndex(3), 0);
    EXPECT_EQ(L.LineCharLength(1), 3);
    EXPECT_EQ(L.LineCharLength(3), 0);
    // Inside an open bracket a change must not leave the old offsets behind.
    L.BeginUpdate();
    EXPECT_EQ(L.LineCharIndex(2), 5);
    L.Insert(0, u"0123");
    EXPECT_EQ(L.LineCharIndex(3), 9);
    L.SetString(0, u"");
    EXPECT_EQ(L.LineCharIndex(3), 5);
    L.Delete(1);
    EXPECT_EQ(L.LineCharIndex(2), 3);
    L.EndUpdate();
    EXPECT_EQ(L.LineCharIndex(2), 3);
}

TEST(EditStringList, AssignCopiesLinesFromAnyStringList) {
    TStringList Source;
    Source.Add(u"one");
    Source.AddObject(u"two", &Source);
    TCodeEditStringList L;
    L.Add(u"old");
    L.Assign(&Source);
    EXPECT_EQ(Joined(LinesOf(L)), "[one][two]");
    EXPECT_EQ(L.Objects(1), &Source);
    EXPECT_EQ(L.LineRange(1), CodeEditRangeUnknown);
}

// Loaded lines share the file's text until changed: every kind of edit, a reload into the same
// buffer and emptying it line by line must keep each line's own text, as a plain list would.
TEST(EditStringList, LoadedLinesKeepTheirTextThroughEditsAndReloads) {
    TTempFolder Dir;
    SaveTextFile(Dir.File("in.ino"), u"void setup() {\n\tpinMode(13, OUTPUT);\n}\n\nx\nvoid loop() {}\n");
    TCodeEditStringList L;
    L.LoadFromFile(Dir.File("in.ino"));
    Lines Model = LinesOf(L);
    ASSERT_EQ(Model.size(), 7u);
    auto Check = [&](const char* Step) {
        EXPECT_EQ(Joined(LinesOf(L)), Joined(Model)) << Step;
        int Chars = 0;
        for (int I = 0; I < L.Count(); ++I) {
            EXPECT_EQ(L.LineCharLength(I), Length(Model[size_t(I)])) << Step;
            EXPECT_EQ(L.LineCharIndex(I), Chars) << Step;
            Chars += Length(Model[size_t(I)]);
        }
    };
    L.SetString(1, u"  pinMode(LED_BUILTIN, OUTPUT);");
    Model[1] = u"  pinMode(LED_BUILTIN, OUTPUT);";
    Check("put");
    L.Insert(2, u"  Serial.begin(9600);");
    Model.insert(Model.begin() + 2, u"  Serial.begin(9600);");
    L.Exchange(0, 6);
    std::swap(Model[0], Model[6]);
    Check("insert, exchange");
    L.Delete(4);
    Model.erase(Model.begin() + 4);
    L.DeleteLines(0, 2);
    Model.erase(Model.begin(), Model.begin() + 2);
    L.SetString(0, u"");
    Model[0] = u"";
    Check("delete, empty");
    L.SaveToFile(Dir.File("out.ino"));
    EXPECT_EQ(ReadBytes(Dir.Sys("out.ino")), "\n}\nx\nvoid setup() {\n");

    L.LoadFromFile(Dir.File("out.ino"));
    Model = {u"", u"}", u"x", u"void setup() {", u""};
    Check("reload");
    while (L.Count() > 1)
        L.Delete(0);
    L.Add(u"after");
    Model = {u"", u"after"};
    Check("emptied");
    L.SetText(u"ab"); // short enough to live inside the string it came in
    L.Add(u"cd");
    Model = {u"ab", u"cd"};
    Check("short text");
}
