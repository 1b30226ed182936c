// The C and C++ highlighter and the sketch highlighter: the token streams of typical lines,
// the state carried between lines and the rescan it allows, and agreement with Debian's own
// Pygments C++ lexer over every example sketch Debian ships.

#include "CodeEditSupport.h"

#include "editor/HighlighterArduino.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace HighlighterCpp;

namespace {

const char* const KindNames[] = {"Asm",    "Comment", "Directive", "Identifier", "Key",  "Null",
                                 "Number", "Space",   "String",    "Symbol",     "Unknown", "Char",
                                 "Float",  "Hex",     "Octal",     "Arduino"};

// The tokens of one line as Kind[text], symbols as Symbol/sub-kind[text]; Range carries the
// state from the line before and takes the state at the line's end.
std::string Tokens(TCodeCppHighlighter& H, const String& Line, TCodeEditRange& Range) {
    H.SetRange(Range);
    H.SetLine(Line, 0);
    std::string Out;
    for (; !H.GetEol(); H.Next()) {
        Out += Out.empty() ? "" : " ";
        Out += KindNames[H.GetTokenKind()];
        if (H.GetTokenKind() == HighlighterCpp::tkSymbol) Out += "/" + std::to_string(H.ExtendedTokenKind());
        Out += "[" + U8(H.GetToken()) + "]";
    }
    Range = H.GetRange();
    return Out;
}

std::string Tokens(TCodeCppHighlighter& H, const String& Line) {
    TCodeEditRange Range = rsUnknown;
    return Tokens(H, Line, Range);
}

std::string Sym(TxtkTokenKind Kind, const char* Text) {
    return "Symbol/" + std::to_string(int(Kind)) + "[" + Text + "]";
}

} // namespace

TEST(HighlighterCpp, TokenStreamsOfSingleLines) {
    TCodeCppHighlighter H;
    const struct {
        const char16_t* Line;
        std::string Want;
    } Cases[] = {
        {u"unsigned long x = 0x1F;", "Key[unsigned] Space[ ] Key[long] Space[ ] Identifier[x] Space[ ] " +
                                         Sym(xtkAssign, "=") + " Space[ ] Hex[0x1F] " + Sym(xtkSemiColon, ";")},
        {u"Int int", "Identifier[Int] Space[ ] Key[int]"},
        {u"012 019 1.5e-3", "Octal[012] Space[ ] Unknown[019] Space[ ] Float[1.5e-3]"},
        {u"1e 12abc", "Unknown[1] Identifier[e] Space[ ] Unknown[12] Identifier[abc]"},
        {u"0x ", "Unknown[0x] Space[ ]"},
        {u"10UL 0.5f 7", "Number[10UL] Space[ ] Float[0.5f] Space[ ] Number[7]"},
        {u"a.b", "Identifier[a] " + Sym(xtkPoint, ".") + " Identifier[b]"},
        {u"x = .5", "Identifier[x] Space[ ] " + Sym(xtkAssign, "=") + " Space[ ] Float[.5]"},
        {u"#define X 1 // one", "Directive[#define X 1 ] Comment[// one]"},
        {u"x # y", "Identifier[x] Space[ ] Unknown[#] Space[ ] Identifier[y]"},
        {u"c = '\\'' + \"a\\\"b\";", "Identifier[c] Space[ ] " + Sym(xtkAssign, "=") + " Space[ ] Char['\\''] Space[ ] " +
                                        Sym(xtkAdd, "+") + " Space[ ] String[\"a\\\"b\"] " + Sym(xtkSemiColon, ";")},
        {u"a->b <<= c >>= d ... e::f", "Identifier[a] " + Sym(xtkArrow, "->") + " Identifier[b] Space[ ] " +
                                           Sym(xtkShiftLeftAssign, "<<=") + " Space[ ] Identifier[c] Space[ ] " +
                                           Sym(xtkShiftRightAssign, ">>=") + " Space[ ] Identifier[d] Space[ ] " +
                                           Sym(xtkEllipse, "...") + " Space[ ] Identifier[e] " +
                                           Sym(xtkScopeResolution, "::") + " Identifier[f]"},
        {u"a@b", "Identifier[a] Unknown[@] Identifier[b]"},
        {u"asm { mov ax, 1 } x", "Key[asm] Space[ ] " + Sym(xtkBraceOpen, "{") +
                                     " Space[ ] Asm[mov] Space[ ] Asm[ax] Asm[,] Space[ ] Asm[1] Space[ ] " +
                                     Sym(xtkBraceClose, "}") + " Space[ ] Identifier[x]"},
        {u"asm mov ax; x", "Key[asm] Space[ ] Asm[mov] Space[ ] Asm[ax] " + Sym(xtkSemiColon, ";") +
                               " Space[ ] Identifier[x]"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(Tokens(H, C.Line), C.Want) << U8(C.Line);
}

TEST(HighlighterCpp, StatesCarryCommentsStringsAndDirectivesOverLines) {
    TCodeCppHighlighter H;
    const struct {
        std::vector<const char16_t*> Lines;
        std::vector<std::string> Want;
        std::vector<TRangeState> Ranges;
    } Cases[] = {
        {{u"/* a", u"b */ int"}, {"Comment[/* a]", "Comment[b */] Space[ ] Key[int]"}, {rsAnsiC, rsUnknown}},
        {{u"s = \"ab\\", u"cd\" x"},
         {"Identifier[s] Space[ ] " + Sym(xtkAssign, "=") + " Space[ ] String[\"ab\\]", "String[cd\"] Space[ ] Identifier[x]"},
         {rsMultiLineString, rsUnknown}},
        {{u"#define A \\", u"  1", u"x"}, {"Directive[#define A \\]", "Directive[  1]", "Identifier[x]"},
         {rsMultiLineDirective, rsUnknown, rsUnknown}},
        {{u"#if A /* why", u"not */ && B", u"x"},
         {"Directive[#if A ] Comment[/* why]", "Comment[not */] Directive[ && B]", "Identifier[x]"},
         {rsDirectiveComment, rsUnknown, rsUnknown}},
        {{u"asm {", u"/* c */ mov", u"}"},
         {"Key[asm] Space[ ] " + Sym(xtkBraceOpen, "{"), "Comment[/* c */] Space[ ] Asm[mov]", Sym(xtkBraceClose, "}")},
         {rsAsmBlock, rsAsmBlock, rsUnknown}},
    };
    for (const auto& C : Cases) {
        TCodeEditRange Range = rsUnknown;
        for (size_t I = 0; I < C.Lines.size(); ++I) {
            EXPECT_EQ(Tokens(H, C.Lines[I], Range), C.Want[I]) << U8(C.Lines[I]);
            EXPECT_EQ(Range, C.Ranges[I]) << U8(C.Lines[I]);
        }
    }
}

TEST(HighlighterCpp, KeywordsHaveSlotsOfTheirOwnAndTheAttributesTheirNames) {
    TCodeCppHighlighter H;
    // The three assembler words' slots, and every keyword found again by its own hash.
    const struct {
        const char16_t* Word;
        unsigned Slot;
    } Slots[] = {{u"__asm", 70}, {u"asm", 189}, {u"_asm", 191}};
    for (const auto& S : Slots) {
        H.SetLine(S.Word, 0);
        EXPECT_EQ(H.HashKey(0), S.Slot) << U8(S.Word);
    }
    for (const char16_t* W : {u"__published", u"reinterpret_cast", u"wchar_t", u"while", u"do"})
        EXPECT_EQ(Tokens(H, W), "Key[" + U8(W) + "]");
    EXPECT_EQ(H.GetDefaultAttribute(4), H.SpaceAttri());
    EXPECT_EQ(H.GetDefaultAttribute(6), nullptr);
    EXPECT_EQ(H.AttrCount(), 14);
    EXPECT_EQ(H.CommentAttri()->Style(), TFontStyles{fsItalic});
    EXPECT_EQ(H.KeyAttri()->Name(), u"ReservedWord");
    EXPECT_EQ(H.InvalidAttri()->FriendlyName(), u"Illegal Char");
    EXPECT_FALSE(H.IsFilterStored());
    EXPECT_TRUE(H.Capabilities().Contains(hcUserSettings));
    EXPECT_GE(GetPlaceableHighlighters().FindByName(u"CandCPlusPlus"), 0);
}

TEST(HighlighterArduino, LibraryWordsAreWholeIdentifiers) {
    TCodeArduHighlighter H;
    const struct {
        const char16_t* Line;
        std::string Want;
    } Cases[] = {
        {u"Serial.println(x);", "Arduino[Serial] " + Sym(xtkPoint, ".") + " Arduino[println] " +
                                    Sym(xtkRoundOpen, "(") + " Identifier[x] " + Sym(xtkRoundClose, ")") + " " +
                                    Sym(xtkSemiColon, ";")},
        {u"y = map", "Identifier[y] Space[ ] " + Sym(xtkAssign, "=") + " Space[ ] Arduino[map]"},
        {u"Delay delay", "Identifier[Delay] Space[ ] Arduino[delay]"},
        {u"int8_t void", "Arduino[int8_t] Space[ ] Key[void]"},
        // A word that only begins with a listed one is no library word.
        {u"explicit minutes reader endless maxValue",
         "Key[explicit] Space[ ] Identifier[minutes] Space[ ] Identifier[reader] Space[ ] Identifier[endless] "
         "Space[ ] Identifier[maxValue]"},
        {u"atan2 Serial1 readBytes", "Arduino[atan2] Space[ ] Arduino[Serial1] Space[ ] Arduino[readBytes]"},
        {u"asm { delay }", "Key[asm] Space[ ] " + Sym(xtkBraceOpen, "{") + " Space[ ] Asm[delay] Space[ ] " +
                               Sym(xtkBraceClose, "}")},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(Tokens(H, C.Line), C.Want) << U8(C.Line);

    EXPECT_EQ(H.ArduinoKeywords()->Count(), 108);
    EXPECT_EQ(H.GetDefaultAttribute(6), H.ArduinoAttri());
    EXPECT_EQ(H.GetFriendlyLanguageName(), u"ARDUINO");
    EXPECT_EQ(H.GetLanguageName(), u"CandCPlusPlus");
    // A stored word list replaces the built-in one.
    TStringList Words;
    Words.Add(u"blink");
    H.SetArduinoKeywords(&Words);
    EXPECT_EQ(Tokens(H, u"blink delay"), "Arduino[blink] Space[ ] Identifier[delay]");
}

// An edit rescans the lines after it only until one ends in the state it had before; the
// control then paints the lines whose state changed.
TEST(HighlighterCpp, AnEditRescansUntilALineEndsAsBefore) {
    struct TCountingHighlighter : TCodeCppHighlighter {
        int Lines = 0;
        void SetLine(const String& Value, int LineNumber) override {
            ++Lines;
            TCodeCppHighlighter::SetLine(Value, LineNumber);
        }
    } H;
    TForm Form(nullptr);
    auto* Edit = new TCodeEdit(&Form);
    Edit->SetHighlighter(&H);
    String Text;
    for (int I = 0; I < 200; ++I)
        Text += I > 0 ? u"\r\nint x; // line" : u"int x; // line";
    Edit->SetText(Text);
    EXPECT_EQ(Edit->Buffer()->LineRange(199), rsUnknown);

    H.Lines = 0;
    Edit->Lines()->SetString(10, u"int y;");
    EXPECT_EQ(H.Lines, 2); // the changed line, and the one after it, which ends as before

    H.Lines = 0;
    Edit->Lines()->SetString(10, u"int y; /* open");
    EXPECT_EQ(Edit->Buffer()->LineRange(199), rsAnsiC);
    EXPECT_EQ(H.Lines, 190);

    H.Lines = 0;
    Edit->Lines()->Insert(20, u"*/");
    EXPECT_EQ(Edit->Buffer()->LineRange(20), rsUnknown);
    EXPECT_EQ(Edit->Buffer()->LineRange(200), rsUnknown);
    EXPECT_EQ(H.Lines, 181);

    H.Lines = 0;
    Edit->Lines()->Delete(5);
    EXPECT_EQ(H.Lines, 2);
}

// ---- Agreement with Pygments' C++ lexer -----------------------------------------------------

namespace {

// What a character is, in terms both lexers can be mapped to.
enum class TCat { Comment, Directive, Keyword, Name, Number, Float, Hex, Octal, Char, String, Symbol, Error, Asm };
const char* const CatNames[] = {"comment", "directive", "keyword", "name", "number", "float", "hex",
                                "octal",   "char",      "string",  "symbol", "error", "asm"};

// Our kinds. The sketch library's words are names to Pygments, which knows no library.
TCat OurCategory(int Kind) {
    switch (Kind) {
    case tkComment:
        return TCat::Comment;
    case tkDirective:
        return TCat::Directive;
    case tkKey:
        return TCat::Keyword;
    case tkIdentifier:
    case HighlighterArduino::tkArduino:
        return TCat::Name;
    case tkNumber:
        return TCat::Number;
    case HighlighterCpp::tkFloat:
        return TCat::Float;
    case tkHex:
        return TCat::Hex;
    case tkOctal:
        return TCat::Octal;
    case HighlighterCpp::tkChar:
        return TCat::Char;
    case HighlighterCpp::tkString:
        return TCat::String;
    case tkSymbol:
        return TCat::Symbol;
    case tkAsm:
        return TCat::Asm;
    default:
        return TCat::Error;
    }
}

// Pygments' token types, by their longest matching prefix.
TCat PygmentsCategory(const std::string& Type) {
    static const std::pair<const char*, TCat> Map[] = {
        {"Token.Comment.Preproc", TCat::Directive},   {"Token.Comment", TCat::Comment},
        {"Token.Keyword", TCat::Keyword},             {"Token.Name", TCat::Name},
        {"Token.Literal.String.Char", TCat::Char},    {"Token.Literal.String", TCat::String},
        {"Token.Literal.Number.Float", TCat::Float},  {"Token.Literal.Number.Hex", TCat::Hex},
        {"Token.Literal.Number.Oct", TCat::Octal},    {"Token.Literal.Number", TCat::Number},
        {"Token.Operator", TCat::Symbol},             {"Token.Punctuation", TCat::Symbol},
        {"Token.Error", TCat::Error},
    };
    for (const auto& [Prefix, Cat] : Map)
        if (Type.rfind(Prefix, 0) == 0) return Cat;
    return TCat::Error;
}

// One stretch of characters on which the two disagree.
struct TDifference {
    int OurKind;
    TCat Ours, Theirs;
    std::string OurToken, TheirToken, TheirType, Line;
};

struct TRule {
    const char* Why;
    std::function<bool(const TDifference&)> Explains;
};

bool Among(const std::string& S, std::initializer_list<const char*> Words) {
    for (const char* W : Words)
        if (S == W) return true;
    return false;
}

const std::string PygmentsScript = R"(import sys
from pygments.lexers.c_cpp import CppLexer
lexer = CppLexer()
for name in sys.argv[1:]:
    text = open(name, encoding='utf-8').read().replace('\r\n', '\n')
    print('F', name)
    for index, kind, value in lexer.get_tokens_unprocessed(text):
        print(index, len(value), kind)
)";

} // namespace

TEST(HighlighterArduino, AgreesWithPygmentsOnEveryExampleSketch) {
    // Every difference between our kinds and Pygments' has a rule of the highlighter behind it.
    const std::vector<TRule> Rules = {
        {"the sketch library's words are their own kind, and come before reserved words and type names",
         [](const TDifference& D) { return D.OurKind == HighlighterArduino::tkArduino; }},
        {"only the 95 listed words are reserved; later standard words and type names are identifiers",
         [](const TDifference& D) { return D.Ours == TCat::Name && D.Theirs == TCat::Keyword; }},
        {"true and false are among the reserved words, not built-in names",
         [](const TDifference& D) {
             return D.Ours == TCat::Keyword && D.Theirs == TCat::Name && Among(D.OurToken, {"true", "false"});
         }},
        {"a sign is an operator of its own, never the start of a number",
         [](const TDifference& D) {
             return D.Ours == TCat::Symbol && D.Theirs == TCat::Number && Among(D.OurToken, {"-", "+"});
         }},
    };

    TTempFolder Folder;
    const std::string Script = Folder.Path() + "/lex.py";
    std::ofstream(Script) << PygmentsScript;
    std::vector<std::string> Files;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(
             "/usr/share/arduino/examples", std::filesystem::directory_options::follow_directory_symlink))
        if (Entry.path().extension() == ".ino") Files.push_back(Entry.path().string());
    std::sort(Files.begin(), Files.end());
    ASSERT_GE(Files.size(), 50u) << "Debian's example sketches are missing: run scripts/setup";

    std::vector<std::string> Args{"python3", Script};
    Args.insert(Args.end(), Files.begin(), Files.end());
    const TChildRun Lexed = RunProgram(Args);
    ASSERT_TRUE(Lexed.Succeeded) << Lexed.Output.substr(0, 2000);

    // Pygments' category of every character, file by file.
    std::map<std::string, std::vector<std::pair<TCat, std::string>>> Theirs;
    {
        std::istringstream In(Lexed.Output);
        std::string Word;
        std::vector<std::pair<TCat, std::string>>* Current = nullptr;
        while (In >> Word) {
            if (Word == "F") {
                In >> Word;
                Current = &Theirs[Word];
                continue;
            }
            int Length = 0;
            std::string Type;
            In >> Length >> Type;
            const size_t Index = std::stoul(Word);
            if (Current->size() < Index + size_t(Length)) Current->resize(Index + size_t(Length));
            for (int I = 0; I < Length; ++I)
                (*Current)[Index + size_t(I)] = {PygmentsCategory(Type), Type};
        }
    }
    ASSERT_EQ(Theirs.size(), Files.size());

    TCodeArduHighlighter H;
    std::map<std::string, int> Explained;
    std::vector<std::string> Unexplained;
    size_t Compared = 0;
    for (const std::string& File : Files) {
        std::ifstream In(File, std::ios::binary);
        std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
        String Text = Utf8ToString(Bytes);
        for (size_t P; (P = Text.find(u"\r\n")) != String::npos;)
            Text.erase(P, 1);
        const auto& Cats = Theirs[File];
        H.ResetRange();
        size_t LineStart = 0;
        for (int LineNo = 0; LineStart <= Text.size(); ++LineNo) {
            size_t LineEnd = Text.find(u'\n', LineStart);
            if (LineEnd == String::npos) LineEnd = Text.size();
            const String Line = Text.substr(LineStart, LineEnd - LineStart);
            H.SetLine(Line, LineNo);
            for (; !H.GetEol(); H.Next()) {
                const int Kind = H.GetTokenKind();
                const String Token = H.GetToken();
                // Compared where a token has ink; a stretch of disagreement counts once.
                bool InDifference = false;
                for (int I = 0; I < int(Token.size()); ++I) {
                    const size_t At = LineStart + size_t(H.GetTokenPos() + I);
                    if (Token[size_t(I)] <= u' ' || At >= Cats.size()) continue;
                    ++Compared;
                    const TCat Ours = OurCategory(Kind);
                    const auto& [Cat, Type] = Cats[At];
                    if (Ours == Cat) {
                        InDifference = false;
                        continue;
                    }
                    if (InDifference) continue;
                    InDifference = true;
                    // Pygments' token around this character.
                    size_t B = At, E = At;
                    while (B > LineStart && Cats[B - 1].second == Type)
                        --B;
                    while (E + 1 < LineEnd && Cats[E + 1].second == Type)
                        ++E;
                    const TDifference D{Kind, Ours, Cat, U8(Token), U8(Text.substr(B, E - B + 1)), Type, U8(Line)};
                    const auto Rule = std::find_if(Rules.begin(), Rules.end(),
                                                   [&](const TRule& R) { return R.Explains(D); });
                    if (Rule != Rules.end())
                        ++Explained[Rule->Why];
                    else
                        Unexplained.push_back(std::string(CatNames[int(Ours)]) + " '" + D.OurToken + "' vs " +
                                              D.TheirType + " '" + D.TheirToken + "' in: " + D.Line);
                }
            }
            LineStart = LineEnd + 1;
        }
    }
    EXPECT_GT(Compared, 50000u);
    std::string Report;
    for (size_t I = 0; I < std::min<size_t>(Unexplained.size(), 60); ++I)
        Report += Unexplained[I] + "\n";
    EXPECT_TRUE(Unexplained.empty()) << Unexplained.size() << " unexplained differences:\n" << Report;
    // Each rule is needed by these sketches.
    for (const TRule& R : Rules)
        EXPECT_GT(Explained[R.Why], 0) << R.Why;
}
