#pragma once
// TRegexEngine: our regular-expression engine for UTF-16 text. A compiler turns an expression
// into a compact program of 16-bit units; a backtracking matcher runs it over an input text,
// reports the positions of the match and of its groups, continues after a match, and builds
// replacement texts from templates. The program is compiled lazily, by the first operation that
// needs it.
//
// Syntax: literals, ".", classes "[...]" / "[^...]", groups "(...)" (1..14), "|", the quantifiers
// "*", "+", "?", "{n}", "{n,}", "{n,m}" (a following "?" makes one non-greedy), "^", "$", the
// escapes \d \D \w \W \s \S \b \B \A \Z \1..\9 \t \n \r \f \a \e \xHH \x{HHHH}, "(?#comment)" and
// "(?imsxrg-imsxrg)". Modifiers: i (case-insensitive), r (Russian letter ranges), s ("." takes
// line separators), g (greedy; off makes every quantifier non-greedy), m ("^" and "$" at line
// boundaries), x (blanks and "#" comments ignored).
//
// Errors raise ERegexEngine through the virtual RaiseError: codes below 1000 come from the
// compiler and carry the position where it stopped. A search that would backtrack without end
// (exponentially many ways to try) stops with error 1016 instead of freezing its caller.

#include "platform/base/Exceptions.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStrings;
class TRegexEngine;
namespace RegexDetail {
struct TRegexExec; // the matcher's working form of the program (RegexPrivate.h)
}

class ERegexEngine : public Exception {
public:
    ERegexEngine(String Msg, int AErrorCode, int ACompilerErrorPos)
        : Exception(std::move(Msg)), FErrorCode(AErrorCode), FCompilerErrorPos(ACompilerErrorPos) {}
    const char* ClassName() const override { return "ERegexEngine"; }
    int ErrorCode() const { return FErrorCode; }
    int CompilerErrorPos() const { return FCompilerErrorPos; }

private:
    int FErrorCode;
    int FCompilerErrorPos;
};

// The character of the opposite case.
using TRegexInvertCaseFunction = std::function<Char(Char Ch)>;
// The replacement of the current match, for Replace and ReplaceEx.
using TRegexEngineReplaceFunction = std::function<String(TRegexEngine* AEngine)>;

// Where the whole match (entry 0) and groups 1..14 of one match lie in its input: 0-based
// start and end, -1 when the group took no part. Kept by callers that substitute later, after
// further searches have moved the engine on.
struct TRegexMatchGroups {
    std::int32_t Start[15];
    std::int32_t End[15];
};

class TRegexEngine : public TObject {
    DECLARE_CLASS(TRegexEngine, TObject)

public:
    static constexpr int NSUBEXP = 15;      // group 0 (the whole match) and groups 1..14
    static constexpr int LoopStackMax = 10; // nesting of complex repetitions

    TRegexEngine();
    ~TRegexEngine() override;

    // ---- Expression and modifiers ----
    String Expression() const;
    void SetExpression(const String& Value);
    // On-letters in the order x m g s r i, "-", off-letters in the order i r s g m x ("gsr-imx").
    String ModifierStr() const;
    // Letters switch on until a "-", after it off; an unknown letter ends the parse (the earlier
    // ones stay applied) and raises error 1013.
    void SetModifierStr(const String& Value);
    // Index 1..6 for i r s g m x; another index raises error 1013.
    bool Modifier(int Index) const;
    void SetModifier(int Index, bool Value);
    bool ModifierI() const { return Modifier(1); }
    void SetModifierI(bool Value) { SetModifier(1, Value); }
    bool ModifierR() const { return Modifier(2); }
    void SetModifierR(bool Value) { SetModifier(2, Value); }
    bool ModifierS() const { return Modifier(3); }
    void SetModifierS(bool Value) { SetModifier(3, Value); }
    bool ModifierG() const { return Modifier(4); }
    void SetModifierG(bool Value) { SetModifier(4, Value); }
    bool ModifierM() const { return Modifier(5); }
    void SetModifierM(bool Value) { SetModifier(5, Value); }
    bool ModifierX() const { return Modifier(6); }
    void SetModifierX(bool Value) { SetModifier(6, Value); }

    // ---- Character classes of the matcher ----
    const String& SpaceChars() const { return FSpaceChars; }
    void SetSpaceChars(const String& Value);
    const String& WordChars() const { return FWordChars; }
    void SetWordChars(const String& Value);
    const TRegexInvertCaseFunction& InvertCase() const { return FInvertCase; }
    // An empty function restores InvertCaseFunction.
    void SetInvertCase(const TRegexInvertCaseFunction& Value);
    const String& LineSeparators() const { return FLineSeparators; }
    void SetLineSeparators(const String& Value);
    // Two different characters, or empty for none; anything else raises error 128.
    String LinePairedSeparator() const;
    void SetLinePairedSeparator(const String& Value);

    // ---- Compiling ----
    // Raises error 1003 without an expression, else the compiler's error.
    void Compile();
    // The position (characters from the expression start) where the last failed compilation
    // stopped; 0 otherwise.
    int CompilerErrorPos() const;
    // The program listing, one node per line (CR LF), then the hints.
    String Dump();

    // ---- Matching ----
    // The input is kept as a copy; the getter raises error 1008 without input.
    String InputString();
    void SetInputString(const String& Value);
    bool Exec(const String& AInputString);
    bool Exec();            // the current input from position 1
    bool Exec(int AOffset); // from the 1-based offset
    bool ExecPos(int AOffset = 1);
    // From just after the previous match (one further after an empty one); error 1007 without one.
    bool ExecNext();
    // 1-based start and length of group Idx (0 = whole match); -1 when unset or without input.
    int MatchStart(int Idx) const;
    int MatchLength(int Idx) const;
    // The highest group 1..14 that is set, 0 when none is; -1 without input.
    int SubExprMatchCount() const;

    // ---- Replacing ----
    // "$n", "${n}", "$&", "${&}", "$0": the text of that group; "\c": the character c.
    String Substitute(const String& ATemplate);
    // The groups of the last match (all unset without one).
    TRegexMatchGroups MatchGroups() const;
    // Substitute for a kept match: the groups' texts are taken from AInput, the whole text the
    // match was found in.
    static String SubstituteMatch(const String& ATemplate, const String& AInput, const TRegexMatchGroups& AGroups);
    String Replace(const String& AInputStr, const String& AReplaceStr, bool AUseSubstitution = false);
    String Replace(const String& AInputStr, const TRegexEngineReplaceFunction& AReplaceFunc);
    String ReplaceEx(const String& AInputStr, const TRegexEngineReplaceFunction& AReplaceFunc);
    // Appends the pieces between the matches and the rest after the last one.
    void Split(const String& AInputStr, TStrings* APieces);

    // ---- Errors ----
    // The code of the last error; reading clears it.
    int LastError();
    virtual void RaiseError(int AErrorID);
    virtual String ErrorMsg(int AErrorID);

    static Char InvertCaseFunction(Char Ch);
    static int VersionMajor() { return 0; }
    static int VersionMinor() { return 952; }

private:
    // Thrown after RaiseError when an override of it returns: the operation is abandoned.
    struct TAbandon {};

    // Compiler (RegexCompiler.cpp)
    [[noreturn]] void CompileError(int Code);
    bool CompileExpression(const String& Expr);
    void FailCompilation();
    bool IsProgrammOk();
    void DiscardProgram();
    int ParseReg(bool Paren, int& FlagP);
    int ParseBranch(int& FlagP);
    int ParsePiece(int& FlagP);
    int ParseAtom(int& FlagP);
    int ParseClass();
    int ParseLiteral(int& FlagP);
    Char ParseEscapedChar(); // after the backslash; FParsePos on the escaped character
    int ParseBraceNumber();
    bool IsQuantifierAt(int Index) const;
    int SkipExtended(int Index) const;
    void EmitComplexBraces(int Ret, int BracesMin, int BracesMax, bool NonGreedy);
    int EmitNode(Char Op);
    void EmitC(Char Ch);
    void EmitInt(std::int32_t Value);
    void InsertOperator(Char Op, int Opnd, int Size);
    void Tail(int P, int Val);
    void OpTail(int P, int Val);
    int RegNext(int P) const;
    std::int32_t ReadInt(int P) const;
    void WriteInt(int P, std::int32_t Value);
    int OperandEnd(int Node) const;

    // Matcher (RegexMatcher.cpp)
    bool ExecPrim(int AOffset);
    bool MatchAt(int Start);
    void PrepareExec();
    void InvalidateExec();
    Char Invert(Char Ch) const;
    void ClearMatch();

    // The last match: where each group starts and ends (0-based, -1 when unset).
    std::int32_t FGroupStart[NSUBEXP];
    std::int32_t FGroupEnd[NSUBEXP];
    // Pass counters of the nested complex repetitions under way, and how deep they are nested.
    std::int32_t FLoopCounters[LoopStackMax + 1];
    std::int32_t FLoopLevel = 0;
    // What the compiler learnt about every match: its first character (0 when unknown), whether it
    // can only begin at the offset, and a string it must hold (program offset, -1 for none).
    Char FFirstChar = 0;
    bool FAnchored = false;
    int FRequiredAt = -1;
    std::int32_t FRequiredLen = 0;
    // The compiler's cursor: where it reads in the expression, the next group number, where it
    // writes in the program, and the program's size counted by the first pass.
    int FParsePos = 0;
    int FNextGroup = 0;
    int FEmitPos = 0;
    int FProgramSize = 0;
    int FParseBegin = -1; // 0 while compiling, -1 otherwise
    bool FCompiled = false;
    std::vector<Char> FProgram;
    String FExpression;
    bool FExpressionAssigned = false;
    String FInput;
    bool FInputAssigned = false;
    std::int32_t FLastError = 0;
    std::int32_t FModifiers;            // as set by the user
    std::int32_t FParseModifiers = 0;   // as the compiler reads them, "(?i)" included
    std::int32_t FProgramModifiers = 0; // those the program was compiled with
    String FSpaceChars;
    String FWordChars;
    TRegexInvertCaseFunction FInvertCase;
    bool FInvertCaseDefault = true;
    String FLineSeparators;
    bool FLinePairedSeparatorAssigned = true;
    Char FLinePairedSeparatorHead = u'\r';
    Char FLinePairedSeparatorTail = u'\n';

    // Working state of compilation and matching.
    bool FSizing = false;         // first pass: count units only
    std::vector<int> FNodeStarts; // program offsets of all nodes, in program order
    int FErrorPos = 0;            // where the last failed compilation stopped
    int FTopFlags = 0;
    std::unique_ptr<RegexDetail::TRegexExec> FExec;
};
