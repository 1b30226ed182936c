// The object's properties, the compiler and the program listing of TRegexEngine.

#include "regex/RegexEngine.h"
#include "regex/RegexPrivate.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cstring>
#include <mutex>

using namespace RegexDetail;

namespace {

// Flags that each production reports.
constexpr int kWorst = 0;    // nothing known
constexpr int kHasWidth = 1; // matches at least one character
constexpr int kSimple = 2;   // exactly one character wide: repeatable by STAR, PLUS, BRACES
constexpr int kSpStart = 4;  // starts with "*" or "+"

const Char kModifierLetters[] = u"irsgmx"; // bits 1, 2, 4, 8, 16, 32

bool IsMeta(Char C) {
    switch (C) {
    case u'^':
    case u'$':
    case u'.':
    case u'[':
    case u'(':
    case u')':
    case u'|':
    case u'?':
    case u'+':
    case u'*':
    case u'\\':
    case u'{':
        return true;
    default:
        return false;
    }
}

bool IsDigit(Char C) {
    return C >= u'0' && C <= u'9';
}

// Blanks that the x modifier skips.
bool IsExtendedBlank(Char C) {
    return C == u' ' || C == u'\t' || C == u'\r' || C == u'\n';
}

int HexValue(Char C) {
    if (C >= u'0' && C <= u'9') return C - u'0';
    if (C >= u'a' && C <= u'f') return C - u'a' + 10;
    if (C >= u'A' && C <= u'F') return C - u'A' + 10;
    return -1;
}

// The modifier bit of a letter (either case), 0 for another character.
int ModifierBit(Char C) {
    if (C >= u'A' && C <= u'Z') C = Char(C + 32);
    for (int I = 0; I < 6; ++I)
        if (kModifierLetters[I] == C) return 1 << I;
    return 0;
}

// The Russian alphabet in its order: е ё ж, Е Ё Ж.
void AddRussianLower(String& S) {
    for (Char C = 0x0430; C <= 0x0435; ++C)
        S += C;
    S += Char(0x0451);
    for (Char C = 0x0436; C <= 0x044F; ++C)
        S += C;
}
void AddRussianUpper(String& S) {
    for (Char C = 0x0410; C <= 0x0415; ++C)
        S += C;
    S += Char(0x0401);
    for (Char C = 0x0416; C <= 0x042F; ++C)
        S += C;
}

const char16_t* OpName(Char Op, Char& Group) {
    Group = 0;
    if (Op > opOPEN && Op <= opOPEN + 14) {
        Group = Char(Op - opOPEN);
        return u"OPEN";
    }
    if (Op > opCLOSE && Op <= opCLOSE + 14) {
        Group = Char(Op - opCLOSE);
        return u"CLOSE";
    }
    switch (Op) {
    case opEND:
        return u"END";
    case opBOL:
        return u"BOL";
    case opEOL:
        return u"EOL";
    case opANY:
        return u"ANY";
    case opANYOF:
        return u"ANYOF";
    case opANYBUT:
        return u"ANYBUT";
    case opBRANCH:
        return u"BRANCH";
    case opBACK:
        return u"BACK";
    case opEXACTLY:
        return u"EXACTLY";
    case opNOTHING:
        return u"NOTHING";
    case opSTAR:
        return u"STAR";
    case opPLUS:
        return u"PLUS";
    case opANYDIGIT:
        return u"ANYDIGIT";
    case opNOTDIGIT:
        return u"NOTDIGIT";
    case opANYLETTER:
        return u"ANYLETTER";
    case opNOTLETTER:
        return u"NOTLETTER";
    case opANYSPACE:
        return u"ANYSPACE";
    case opNOTSPACE:
        return u"NOTSPACE";
    case opBRACES:
        return u"BRACES";
    case opCOMMENT:
        return u"COMMENT";
    case opEXACTLYCI:
        return u"EXACTLY/CI";
    case opANYOFCI:
        return u"ANYOF/CI";
    case opANYBUTCI:
        return u"ANYBUT/CI";
    case opLOOPENTRY:
        return u"LOOPENTRY";
    case opLOOP:
        return u"LOOP";
    case opANYOFTINYSET:
        return u"ANYOFTINYSET";
    case opANYBUTTINYSET:
        return u"ANYBUTTINYSET";
    case opBSUBEXP:
        return u"BSUBEXP";
    case opBSUBEXPCI:
        return u"BSUBEXP/CI";
    case opSTARNG:
        return u"STARNG";
    case opPLUSNG:
        return u"PLUSNG";
    case opBRACESNG:
        return u"BRACESNG";
    case opLOOPNG:
        return u"LOOPNG";
    case opBOLML:
        return u"BOLML";
    case opEOLML:
        return u"EOLML";
    case opANYML:
        return u"ANYML";
    case opBOUND:
        return u"BOUND";
    case opNOTBOUND:
        return u"NOTBOUND";
    default:
        return nullptr;
    }
}

} // namespace

// ---- Construction and properties ----------------------------------------------------------------

TRegexEngine::TRegexEngine()
    : FModifiers(kModR | kModS | kModG), FSpaceChars(u" \t\n\r\f"),
      FWordChars(u"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_"),
      FInvertCase(&TRegexEngine::InvertCaseFunction),
      // The line boundaries of the Unicode standard: CR, LF, VT, FF, U+2028, U+2029 and NEL.
      FLineSeparators(u"\r\n\v\f\u2028\u2029\u0085"), FExec(std::make_unique<TRegexExec>()) {
    ClearMatch();
    for (auto& L : FLoopCounters)
        L = 0;
}

TRegexEngine::~TRegexEngine() = default;

String TRegexEngine::Expression() const {
    return FExpressionAssigned ? FExpression : String();
}

void TRegexEngine::SetExpression(const String& Value) {
    if (FExpressionAssigned && Value == FExpression && FCompiled) return;
    FExpression = Value;
    FExpressionAssigned = !Value.empty();
    FErrorPos = 0;
    DiscardProgram();
}

String TRegexEngine::ModifierStr() const {
    String On, Off;
    for (int I = 0; I < 6; ++I) {
        if (FModifiers & (1 << I))
            On.insert(On.begin(), kModifierLetters[I]);
        else
            Off += kModifierLetters[I];
    }
    String Result = On + u"-" + Off;
    if (Result.back() == u'-') Result.pop_back();
    return Result;
}

void TRegexEngine::SetModifierStr(const String& Value) {
    bool IsOn = true;
    for (Char C : Value) {
        if (C == u'-') {
            IsOn = false;
            continue;
        }
        const int Bit = ModifierBit(C);
        if (Bit == 0) {
            RaiseError(1013);
            return;
        }
        if (IsOn)
            FModifiers |= Bit;
        else
            FModifiers &= ~Bit;
    }
}

bool TRegexEngine::Modifier(int Index) const {
    if (Index < 1 || Index > 6) {
        const_cast<TRegexEngine*>(this)->RaiseError(1013);
        return false;
    }
    return (FModifiers & (1 << (Index - 1))) != 0;
}

void TRegexEngine::SetModifier(int Index, bool Value) {
    if (Index < 1 || Index > 6) {
        RaiseError(1013);
        return;
    }
    if (Value)
        FModifiers |= 1 << (Index - 1);
    else
        FModifiers &= ~(1 << (Index - 1));
}

void TRegexEngine::SetSpaceChars(const String& Value) {
    FSpaceChars = Value;
    InvalidateExec();
}

void TRegexEngine::SetWordChars(const String& Value) {
    FWordChars = Value;
    InvalidateExec();
}

void TRegexEngine::SetInvertCase(const TRegexInvertCaseFunction& Value) {
    FInvertCaseDefault = !Value;
    FInvertCase = Value ? Value : TRegexInvertCaseFunction(&TRegexEngine::InvertCaseFunction);
    InvalidateExec();
}

void TRegexEngine::SetLineSeparators(const String& Value) {
    if (Value == FLineSeparators) return;
    FLineSeparators = Value;
    DiscardProgram();
}

String TRegexEngine::LinePairedSeparator() const {
    if (!FLinePairedSeparatorAssigned) return String();
    return String{FLinePairedSeparatorHead, FLinePairedSeparatorTail};
}

void TRegexEngine::SetLinePairedSeparator(const String& Value) {
    if (Value.size() == 2 && Value[0] != Value[1]) {
        if (!FLinePairedSeparatorAssigned || FLinePairedSeparatorHead != Value[0] ||
            FLinePairedSeparatorTail != Value[1]) {
            FLinePairedSeparatorAssigned = true;
            FLinePairedSeparatorHead = Value[0];
            FLinePairedSeparatorTail = Value[1];
            DiscardProgram();
        }
    } else if (Value.empty()) {
        if (FLinePairedSeparatorAssigned) {
            FLinePairedSeparatorAssigned = false;
            DiscardProgram();
        }
    } else
        RaiseError(128);
}

Char TRegexEngine::InvertCaseFunction(Char Ch) {
    static std::vector<Char> Table;
    static std::once_flag Built;
    std::call_once(Built, [] {
        // Case pairs of single characters only: a character whose other case takes two
        // characters stays as it is.
        Table.resize(0x20AC);
        for (int C = 0; C < 0x20AC; ++C) {
            const String S(1, Char(C));
            const String Up = AnsiUpperCase(S);
            Char R = Char(C);
            if (Up.size() == 1 && Up[0] != Char(C))
                R = Up[0];
            else {
                const String Low = AnsiLowerCase(S);
                if (Low.size() == 1) R = Low[0];
            }
            Table[C] = R;
        }
    });
    return Ch < 0x20AC ? Table[Ch] : Ch;
}

// ---- Errors -------------------------------------------------------------------------------------

int TRegexEngine::LastError() {
    const int Result = FLastError;
    FLastError = 0;
    return Result;
}

String TRegexEngine::ErrorMsg(int AErrorID) {
    switch (AErrorID) {
    case 0:
        return u"No errors";
    case 100:
        return u"TRegexEngine(comp): Null Argument";
    case 101:
        return u"TRegexEngine(comp): Regexp Too Big";
    case 102:
        return u"TRegexEngine(comp): ParseReg Too Many ()";
    case 103:
    case 104:
        return u"TRegexEngine(comp): ParseReg Unmatched ()";
    case 105:
        return u"TRegexEngine(comp): ParseReg Junk On End";
    case 106:
        return u"TRegexEngine(comp): *+ Operand Could Be Empty";
    case 107:
        return u"TRegexEngine(comp): Nested *?+";
    case 108:
        return u"TRegexEngine(comp): Bad Hex Digit";
    case 109:
        return u"TRegexEngine(comp): Invalid [] Range";
    case 110:
        return u"TRegexEngine(comp): Parse Atom Trailing \\";
    case 111:
        return u"TRegexEngine(comp): No Hex Code After \\x";
    case 112:
        return u"TRegexEngine(comp): Hex Code After \\x Is Too Big";
    case 113:
        return u"TRegexEngine(comp): Unmatched []";
    case 114:
        return u"TRegexEngine(comp): Internal Urp";
    case 115:
        return u"TRegexEngine(comp): ?+*{ Follows Nothing";
    case 116:
        return u"TRegexEngine(comp): Trailing \\";
    case 119:
        return u"TRegexEngine(comp): RarseAtom Internal Disaster";
    case 122:
        return u"TRegexEngine(comp): BRACES Argument Too Big";
    case 124:
        return u"TRegexEngine(comp): BRACE Min Param Greater then Max";
    case 125:
        return u"TRegexEngine(comp): Unclosed (?#Comment)";
    case 126:
        return u"TRegexEngine(comp): If you want take part in beta-testing BRACES '{min,max}' and "
               u"non-greedy ops '*?', '+?', '?"
               u"?' for complex cases - remove '.' from "
               u"{.$DEFINE ComplexBraces}";
    case 127:
        return u"TRegexEngine(comp): Urecognized Modifier";
    case 128:
        return u"TRegexEngine(comp): LinePairedSeparator must countain two different chars or no "
               u"chars at all";
    case 1000:
        return u"TRegexEngine(exec): RegRepeat Called Inappropriately";
    case 1001:
        return u"TRegexEngine(exec): MatchPrim Memory Corruption";
    case 1002:
        return u"TRegexEngine(exec): MatchPrim Corrupted Pointers";
    case 1003:
        return u"TRegexEngine(exec): Not Assigned Expression Property";
    case 1004:
        return u"TRegexEngine(exec): Corrupted Program";
    case 1005:
        return u"TRegexEngine(exec): No Input String Specified";
    case 1006:
        return u"TRegexEngine(exec): Offset Must Be Greater Then 0";
    case 1007:
        return u"TRegexEngine(exec): ExecNext Without Exec[Pos]";
    case 1008:
        return u"TRegexEngine(exec): GetInputString Without InputString";
    case 1011:
        return u"TRegexEngine(dump): Corrupted Opcode";
    case 1014:
        return u"TRegexEngine(exec): Loop Stack Exceeded";
    case 1015:
        return u"TRegexEngine(exec): Loop Without LoopEntry !";
    case 1016:
        return u"TRegexEngine(exec): Step Limit Exceeded";
    case 2000:
        return u"TRegexEngine(misc): Bad p-code imported";
    default:
        return u"Unknown error";
    }
}

void TRegexEngine::RaiseError(int AErrorID) {
    FLastError = AErrorID;
    const int Pos = CompilerErrorPos();
    String Msg = ErrorMsg(AErrorID);
    if (AErrorID < 1000) Msg += u" (pos " + IntToStr(Pos) + u")";
    throw ERegexEngine(Msg, AErrorID, Pos);
}

int TRegexEngine::CompilerErrorPos() const {
    if (FParseBegin >= 0) return FParsePos - FParseBegin;
    return FErrorPos;
}

void TRegexEngine::CompileError(int Code) {
    RaiseError(Code);
    throw TAbandon{}; // an override of RaiseError returned: compilation still stops here
}

// ---- Compilation --------------------------------------------------------------------------------

void TRegexEngine::DiscardProgram() {
    FProgram.clear();
    FNodeStarts.clear();
    FCompiled = false;
    InvalidateExec();
}

void TRegexEngine::Compile() {
    if (!FExpressionAssigned) {
        RaiseError(1003);
        return;
    }
    CompileExpression(FExpression);
}

bool TRegexEngine::IsProgrammOk() {
    if (FCompiled && FProgramModifiers != FModifiers) DiscardProgram();
    if (!FCompiled) {
        Compile();
        if (!FCompiled) return false;
    }
    if (FProgram.empty() || FProgram[0] != kMagic) {
        RaiseError(1004);
        return false;
    }
    return true;
}

void TRegexEngine::FailCompilation() {
    FErrorPos = FParsePos - FParseBegin;
    FParseBegin = -1;
    FSizing = false;
    DiscardProgram();
}

bool TRegexEngine::CompileExpression(const String& Expr) {
    DiscardProgram();
    FExpression = Expr; // the parser reads the stored copy
    FErrorPos = 0;
    FParseBegin = 0;
    // Whatever stops the compiler leaves no half-built program behind.
    TScopeExit Failed([this] { FailCompilation(); });
    try {
        int Flags = 0;
        // First pass: count the units.
        FSizing = true;
        FParseModifiers = FModifiers;
        FParsePos = 0;
        FNextGroup = 1;
        FProgramSize = 0;
        FEmitPos = 0;
        EmitC(kMagic);
        ParseReg(false, Flags);
        if (FProgramSize >= kInfinite / 2) CompileError(101);
        // Second pass: emit.
        FProgram.assign(std::size_t(FProgramSize), 0);
        FSizing = false;
        FParseModifiers = FModifiers;
        FParsePos = 0;
        FNextGroup = 1;
        FEmitPos = 0;
        FNodeStarts.clear();
        EmitC(kMagic);
        ParseReg(false, Flags);
        FTopFlags = Flags;
    } catch (const TAbandon&) {
        // RaiseError was overridden and returned
        return false;
    }
    Failed.Release();
    FParseBegin = -1;
    FProgramModifiers = FModifiers;

    // Hints, when the expression is a single branch.
    FFirstChar = 0;
    FAnchored = false;
    FRequiredAt = -1;
    FRequiredLen = 0;
    int Scan = 1; // the first BRANCH
    if (FProgram[std::size_t(RegNext(Scan))] == opEND) {
        Scan += kNodeSize;
        if (FProgram[std::size_t(Scan)] == opEXACTLY)
            FFirstChar = FProgram[std::size_t(Scan + kNodeSize)];
        else if (FProgram[std::size_t(Scan)] == opBOL)
            FAnchored = true;
        if (FTopFlags & kSpStart) {
            int Longest = -1, Len = 0;
            for (; Scan >= 0; Scan = RegNext(Scan))
                if (FProgram[std::size_t(Scan)] == opEXACTLY) {
                    const int L = OperandEnd(Scan) - (Scan + kNodeSize);
                    if (L >= Len) {
                        Longest = Scan + kNodeSize;
                        Len = L;
                    }
                }
            FRequiredAt = Longest;
            FRequiredLen = Len;
        }
    }
    FCompiled = true;
    return true;
}

// The node's operand ends before the terminating NUL: the unit before the next node's start.
// Operands may hold NUL characters themselves, so the end comes from the node list.
int TRegexEngine::OperandEnd(int Node) const {
    auto It = std::upper_bound(FNodeStarts.begin(), FNodeStarts.end(), Node);
    const int Next = It == FNodeStarts.end() ? int(FProgram.size()) : *It;
    return Next - 1;
}

std::int32_t TRegexEngine::ReadInt(int P) const {
    return std::int32_t(std::uint32_t(FProgram[std::size_t(P)]) |
                        (std::uint32_t(FProgram[std::size_t(P + 1)]) << 16));
}

void TRegexEngine::WriteInt(int P, std::int32_t Value) {
    FProgram[std::size_t(P)] = Char(std::uint32_t(Value) & 0xFFFF);
    FProgram[std::size_t(P + 1)] = Char(std::uint32_t(Value) >> 16);
}

int TRegexEngine::RegNext(int P) const {
    const std::int32_t Offset = ReadInt(P + 1);
    return Offset == 0 ? -1 : P + Offset;
}

int TRegexEngine::EmitNode(Char Op) {
    const int Ret = FEmitPos;
    if (FSizing)
        FProgramSize += kNodeSize;
    else {
        FProgram[std::size_t(FEmitPos)] = Op;
        FProgram[std::size_t(FEmitPos + 1)] = 0;
        FProgram[std::size_t(FEmitPos + 2)] = 0;
        FNodeStarts.push_back(FEmitPos);
    }
    FEmitPos += kNodeSize;
    return Ret;
}

void TRegexEngine::EmitC(Char Ch) {
    if (FSizing)
        ++FProgramSize;
    else
        FProgram[std::size_t(FEmitPos)] = Ch;
    ++FEmitPos;
}

void TRegexEngine::EmitInt(std::int32_t Value) {
    if (FSizing)
        FProgramSize += 2;
    else
        WriteInt(FEmitPos, Value);
    FEmitPos += 2;
}

// Moves the code from Opnd on forward and puts an operator node of Size units in its place.
void TRegexEngine::InsertOperator(Char Op, int Opnd, int Size) {
    if (FSizing) {
        FProgramSize += Size;
        FEmitPos += Size;
        return;
    }
    std::copy_backward(FProgram.begin() + Opnd, FProgram.begin() + FEmitPos,
                       FProgram.begin() + FEmitPos + Size);
    std::fill(FProgram.begin() + Opnd, FProgram.begin() + Opnd + Size, Char(0));
    FProgram[std::size_t(Opnd)] = Op;
    auto It = std::lower_bound(FNodeStarts.begin(), FNodeStarts.end(), Opnd);
    for (auto J = It; J != FNodeStarts.end(); ++J)
        *J += Size;
    FNodeStarts.insert(It, Opnd);
    FEmitPos += Size;
}

// Sets the link of the last node of P's chain to Val.
void TRegexEngine::Tail(int P, int Val) {
    if (FSizing) return;
    int Scan = P;
    for (;;) {
        const int Temp = RegNext(Scan);
        if (Temp < 0) break;
        Scan = Temp;
    }
    WriteInt(Scan + 1, Val - Scan);
}

// Tail on the operand of a BRANCH; nothing for other nodes.
void TRegexEngine::OpTail(int P, int Val) {
    if (FSizing || FProgram[std::size_t(P)] != opBRANCH) return;
    Tail(P + kNodeSize, Val);
}

// Expression or group body: branches separated by "|".
int TRegexEngine::ParseReg(bool Paren, int& FlagP) {
    const int Len = int(FExpression.size());
    const int SavedModifiers = FParseModifiers;
    FlagP = kHasWidth;
    int Ret = -1;
    int ParNo = 0;
    if (Paren) {
        if (FNextGroup >= NSUBEXP) CompileError(102);
        ParNo = FNextGroup++;
        Ret = EmitNode(Char(opOPEN + ParNo));
    }
    int Flags = 0;
    int Br = ParseBranch(Flags);
    if (Ret >= 0)
        Tail(Ret, Br);
    else
        Ret = Br;
    if (!(Flags & kHasWidth)) FlagP &= ~kHasWidth;
    FlagP |= Flags & kSpStart;
    while (FParsePos < Len && FExpression[std::size_t(FParsePos)] == u'|') {
        ++FParsePos;
        Br = ParseBranch(Flags);
        Tail(Ret, Br);
        if (!(Flags & kHasWidth)) FlagP &= ~kHasWidth;
        FlagP |= Flags & kSpStart;
    }
    const int Ender = EmitNode(Paren ? Char(opCLOSE + ParNo) : Char(opEND));
    Tail(Ret, Ender);
    if (!FSizing)
        for (int B = Ret; B >= 0; B = RegNext(B))
            OpTail(B, Ender);
    if (Paren) {
        if (FParsePos >= Len || FExpression[std::size_t(FParsePos)] != u')') CompileError(103);
        ++FParsePos;
    } else if (FParsePos < Len) {
        if (FExpression[std::size_t(FParsePos)] == u')') CompileError(104);
        CompileError(105);
    }
    FParseModifiers = SavedModifiers;
    return Ret;
}

// One alternative: a BRANCH node, then pieces up to the end, "|" or ")".
int TRegexEngine::ParseBranch(int& FlagP) {
    const int Len = int(FExpression.size());
    FlagP = kWorst;
    const int Ret = EmitNode(opBRANCH);
    int Chain = -1;
    while (FParsePos < Len && FExpression[std::size_t(FParsePos)] != u'|' &&
           FExpression[std::size_t(FParsePos)] != u')') {
        int Flags = 0;
        const int Latest = ParsePiece(Flags);
        FlagP |= Flags & kHasWidth;
        if (Chain < 0)
            FlagP |= Flags & kSpStart;
        else
            Tail(Chain, Latest);
        Chain = Latest;
    }
    if (Chain < 0) EmitNode(opNOTHING);
    return Ret;
}

// Skips the blanks and "#" comments of the x modifier from Index on.
int TRegexEngine::SkipExtended(int Index) const {
    const int Len = int(FExpression.size());
    for (;;) {
        if (Index < Len && IsExtendedBlank(FExpression[std::size_t(Index)]))
            ++Index;
        else if (Index < Len && FExpression[std::size_t(Index)] == u'#') {
            while (Index < Len && FExpression[std::size_t(Index)] != u'\r' &&
                   FExpression[std::size_t(Index)] != u'\n')
                ++Index;
            while (Index < Len &&
                   (FExpression[std::size_t(Index)] == u'\r' || FExpression[std::size_t(Index)] == u'\n'))
                ++Index;
        } else
            return Index;
    }
}

// "*", "+", "?", or a "{" that begins "{n}", "{n,}" or "{n,m}".
bool TRegexEngine::IsQuantifierAt(int Index) const {
    const int Len = int(FExpression.size());
    if (Index >= Len) return false;
    const Char C = FExpression[std::size_t(Index)];
    if (C == u'*' || C == u'+' || C == u'?') return true;
    if (C != u'{') return false;
    int I = Index + 1;
    if (I >= Len || !IsDigit(FExpression[std::size_t(I)])) return false;
    while (I < Len && IsDigit(FExpression[std::size_t(I)]))
        ++I;
    if (I < Len && FExpression[std::size_t(I)] == u',') {
        ++I;
        while (I < Len && IsDigit(FExpression[std::size_t(I)]))
            ++I;
    }
    return I < Len && FExpression[std::size_t(I)] == u'}';
}

int TRegexEngine::ParseBraceNumber() {
    const int Len = int(FExpression.size());
    const int Begin = FParsePos;
    std::int64_t Value = 0;
    while (FParsePos < Len && IsDigit(FExpression[std::size_t(FParsePos)])) {
        if (FParsePos - Begin < 9) Value = Value * 10 + (FExpression[std::size_t(FParsePos)] - u'0');
        ++FParsePos;
    }
    if (FParsePos - Begin > 8 || Value >= kInfinite) CompileError(122);
    return int(Value);
}

// An atom and its quantifier.
int TRegexEngine::ParsePiece(int& FlagP) {
    const int Len = int(FExpression.size());
    int Flags = 0;
    const int Ret = ParseAtom(Flags);

    // With x on, blanks and comments may stand between an atom and its quantifier.
    int Q = FParsePos;
    if (FParseModifiers & kModX) Q = SkipExtended(Q);
    if (!IsQuantifierAt(Q)) {
        FlagP = Flags;
        return Ret;
    }
    FParsePos = Q;
    const Char Op = FExpression[std::size_t(FParsePos)];
    if (!(Flags & kHasWidth) && Op != u'?') CompileError(106);

    int BracesMin = 0, BracesMax = 0;
    if (Op == u'{') {
        ++FParsePos;
        BracesMin = ParseBraceNumber();
        if (FExpression[std::size_t(FParsePos)] == u',') {
            ++FParsePos;
            BracesMax = IsDigit(FExpression[std::size_t(FParsePos)]) ? ParseBraceNumber() : kMaxBracesArg;
        } else
            BracesMax = BracesMin;
        if (BracesMin > BracesMax) CompileError(124);
    }
    ++FParsePos; // past "*", "+", "?" or "}"
    bool NonGreedy = false;
    if (FParsePos < Len && FExpression[std::size_t(FParsePos)] == u'?') {
        NonGreedy = true;
        ++FParsePos;
    }
    if (!(FParseModifiers & kModG)) NonGreedy = true;
    const bool Simple = (Flags & kSimple) != 0;

    switch (Op) {
    case u'*':
        FlagP = kWorst | kSpStart;
        if (Simple)
            InsertOperator(NonGreedy ? opSTARNG : opSTAR, Ret, kNodeSize);
        else if (NonGreedy)
            EmitComplexBraces(Ret, 0, kMaxBracesArg, true);
        else {
            // x* as (x&|), where & loops back to the BRANCH
            InsertOperator(opBRANCH, Ret, kNodeSize);
            OpTail(Ret, EmitNode(opBACK));
            OpTail(Ret, Ret);
            Tail(Ret, EmitNode(opBRANCH));
            Tail(Ret, EmitNode(opNOTHING));
        }
        break;
    case u'+':
        FlagP = kWorst | kSpStart | kHasWidth;
        if (Simple)
            InsertOperator(NonGreedy ? opPLUSNG : opPLUS, Ret, kNodeSize);
        else if (NonGreedy)
            EmitComplexBraces(Ret, 1, kMaxBracesArg, true);
        else {
            // x+ as x(&|), where & loops back to x
            const int Next = EmitNode(opBRANCH);
            Tail(Ret, Next);
            Tail(EmitNode(opBACK), Ret);
            Tail(Next, EmitNode(opBRANCH));
            Tail(Ret, EmitNode(opNOTHING));
        }
        break;
    case u'?':
        FlagP = kWorst;
        if (NonGreedy) {
            if (Simple) {
                InsertOperator(opBRACESNG, Ret, kNodeSize + kBracesArgs);
                if (!FSizing) {
                    WriteInt(Ret + kNodeSize, 0);
                    WriteInt(Ret + kNodeSize + 2, 1);
                }
            } else
                EmitComplexBraces(Ret, 0, 1, true);
        } else {
            // x? as (x|)
            InsertOperator(opBRANCH, Ret, kNodeSize);
            Tail(Ret, EmitNode(opBRANCH));
            const int Next = EmitNode(opNOTHING);
            Tail(Ret, Next);
            OpTail(Ret, Next);
        }
        break;
    default: // braces
        FlagP = BracesMin > 0 ? kHasWidth : kWorst;
        if (Simple) {
            InsertOperator(NonGreedy ? opBRACESNG : opBRACES, Ret, kNodeSize + kBracesArgs);
            if (!FSizing) {
                WriteInt(Ret + kNodeSize, BracesMin);
                WriteInt(Ret + kNodeSize + 2, BracesMax);
            }
        } else
            EmitComplexBraces(Ret, BracesMin, BracesMax, NonGreedy);
        break;
    }

    if (FParsePos < Len) {
        const Char C = FExpression[std::size_t(FParsePos)];
        if (C == u'*' || C == u'+' || C == u'?' || C == u'{') CompileError(107);
    }
    return Ret;
}

// LOOPENTRY before the atom, LOOP or LOOPNG after it; the atom's chain ends in the LOOP.
void TRegexEngine::EmitComplexBraces(int Ret, int BracesMin, int BracesMax, bool NonGreedy) {
    const int Off = FEmitPos - Ret; // the atom's size
    InsertOperator(opLOOPENTRY, Ret, kNodeSize);
    const int Loop = EmitNode(NonGreedy ? opLOOPNG : opLOOP);
    EmitInt(BracesMin);
    EmitInt(BracesMax);
    EmitInt(Off); // from the LOOP node back to the body
    Tail(Ret, Loop);
    Tail(Ret + kNodeSize, Loop);
}

// The character of an escape that stands for one character: \t \n \r \f \a \e \xHH \x{H...}, or the
// escaped character itself. FParsePos is on the character after the backslash and moves past it.
Char TRegexEngine::ParseEscapedChar() {
    const int Len = int(FExpression.size());
    const Char C = FExpression[std::size_t(FParsePos++)];
    switch (C) {
    case u't':
        return u'\t';
    case u'n':
        return u'\n';
    case u'r':
        return u'\r';
    case u'f':
        return u'\f';
    case u'a':
        return Char(7);
    case u'e':
        return Char(27);
    case u'x': {
        if (FParsePos >= Len) CompileError(111);
        if (FExpression[std::size_t(FParsePos)] == u'{') {
            ++FParsePos;
            std::int32_t Value = 0;
            int Digits = 0;
            for (;;) {
                if (FParsePos >= Len) CompileError(111);
                const Char D = FExpression[std::size_t(FParsePos)];
                if (D == u'}') break;
                const int H = HexValue(D);
                if (H < 0) CompileError(108);
                Value = std::min<std::int32_t>(Value * 16 + H, 0x100000);
                ++Digits;
                ++FParsePos;
            }
            if (Digits == 0) CompileError(111);
            if (Value > 0xFFFF) CompileError(112);
            ++FParsePos; // "}"
            return Char(Value);
        }
        int Value = 0;
        for (int I = 0; I < 2; ++I) {
            if (FParsePos >= Len) CompileError(111);
            const int H = HexValue(FExpression[std::size_t(FParsePos)]);
            if (H < 0) CompileError(108);
            Value = Value * 16 + H;
            ++FParsePos;
        }
        return Char(Value);
    }
    default:
        return C;
    }
}

int TRegexEngine::ParseAtom(int& FlagP) {
    const int Len = int(FExpression.size());
    FlagP = kWorst;
    if (FParsePos >= Len) {
        CompileError(114);
    }
    const Char C = FExpression[std::size_t(FParsePos)];
    const bool CI = (FParseModifiers & kModI) != 0;
    const bool LinesDefined = !FLineSeparators.empty() || FLinePairedSeparatorAssigned;
    switch (C) {
    case u'^':
        ++FParsePos;
        return EmitNode((FParseModifiers & kModM) && LinesDefined ? opBOLML : opBOL);
    case u'$':
        ++FParsePos;
        return EmitNode((FParseModifiers & kModM) && LinesDefined ? opEOLML : opEOL);
    case u'.':
        ++FParsePos;
        if (FParseModifiers & kModS) {
            FlagP |= kHasWidth | kSimple;
            return EmitNode(opANY);
        }
        FlagP |= kHasWidth;
        return EmitNode(opANYML);
    case u'[':
        ++FParsePos;
        FlagP |= kHasWidth | kSimple;
        return ParseClass();
    case u'(': {
        ++FParsePos;
        if (FParsePos < Len && FExpression[std::size_t(FParsePos)] == u'?') {
            ++FParsePos;
            if (FParsePos < Len && FExpression[std::size_t(FParsePos)] == u'#') {
                while (FParsePos < Len && FExpression[std::size_t(FParsePos)] != u')')
                    ++FParsePos;
                if (FParsePos >= Len) CompileError(125);
                ++FParsePos;
                return EmitNode(opCOMMENT);
            }
            // (?modifiers): they hold from here to the end of the enclosing group
            int Mods = FParseModifiers;
            bool IsOn = true;
            for (;;) {
                if (FParsePos >= Len) CompileError(127);
                const Char M = FExpression[std::size_t(FParsePos)];
                if (M == u')') break;
                if (M == u'-')
                    IsOn = false;
                else {
                    const int Bit = ModifierBit(M);
                    if (Bit == 0) CompileError(127);
                    Mods = IsOn ? (Mods | Bit) : (Mods & ~Bit);
                }
                ++FParsePos;
            }
            ++FParsePos;
            FParseModifiers = Mods;
            return EmitNode(opCOMMENT);
        }
        int Flags = 0;
        const int Ret = ParseReg(true, Flags);
        FlagP |= Flags & (kHasWidth | kSpStart);
        return Ret;
    }
    case u'|':
    case u')':
        ++FParsePos;
        CompileError(114);
    case u'?':
    case u'+':
    case u'*':
        ++FParsePos;
        CompileError(115);
    case u'\\': {
        ++FParsePos;
        if (FParsePos >= Len) CompileError(116);
        const Char E = FExpression[std::size_t(FParsePos)];
        Char Op = 0;
        int Flags = kHasWidth | kSimple;
        switch (E) {
        case u'd':
            Op = opANYDIGIT;
            break;
        case u'D':
            Op = opNOTDIGIT;
            break;
        case u'w':
            Op = opANYLETTER;
            break;
        case u'W':
            Op = opNOTLETTER;
            break;
        case u's':
            Op = opANYSPACE;
            break;
        case u'S':
            Op = opNOTSPACE;
            break;
        // The assertions are zero-width, so that a quantifier on them is refused at once.
        case u'b':
            Op = opBOUND;
            Flags = kWorst;
            break;
        case u'B':
            Op = opNOTBOUND;
            Flags = kWorst;
            break;
        case u'A':
            Op = opBOL;
            Flags = kWorst;
            break;
        case u'Z':
            Op = opEOL;
            Flags = kWorst;
            break;
        default:
            break;
        }
        if (Op != 0) {
            ++FParsePos;
            FlagP |= Flags;
            return EmitNode(Op);
        }
        if (E >= u'1' && E <= u'9') {
            ++FParsePos;
            FlagP |= kHasWidth | kSimple;
            const int Ret = EmitNode(CI ? opBSUBEXPCI : opBSUBEXP);
            EmitC(Char(E - u'0'));
            return Ret;
        }
        const Char Ch = ParseEscapedChar();
        FlagP |= kHasWidth | kSimple;
        const int Ret = EmitNode(CI ? opEXACTLYCI : opEXACTLY);
        EmitC(Ch);
        EmitC(0);
        return Ret;
    }
    default:
        if ((FParseModifiers & kModX) && (IsExtendedBlank(C) || C == u'#')) {
            FParsePos = SkipExtended(FParsePos);
            return EmitNode(opCOMMENT);
        }
        return ParseLiteral(FlagP);
    }
}

// A run of ordinary characters; a "{" that begins no quantifier is one of them.
int TRegexEngine::ParseLiteral(int& FlagP) {
    const int Len = int(FExpression.size());
    const bool Extended = (FParseModifiers & kModX) != 0;
    String Run;
    std::vector<int> Sources; // where each character of the run stands in the expression
    int P = FParsePos;
    auto Collect = [&] {
        while (P < Len) {
            const Char C = FExpression[std::size_t(P)];
            if (IsMeta(C)) break;
            if (Extended && C == u'#') break;
            if (Extended && IsExtendedBlank(C)) {
                ++P;
                continue;
            }
            Run += C;
            Sources.push_back(P);
            ++P;
        }
    };
    Collect();
    if (Run.empty()) {
        if (P >= Len || FExpression[std::size_t(P)] != u'{') CompileError(119);
        Run += u'{';
        Sources.push_back(P);
        ++P;
        Collect();
    }
    // A quantifier after a run applies to its last character alone.
    const int After = Extended ? SkipExtended(P) : P;
    if (Run.size() > 1 && IsQuantifierAt(After)) {
        P = Sources.back();
        Run.pop_back();
    }
    FParsePos = P;
    FlagP |= kHasWidth;
    if (Run.size() == 1) FlagP |= kSimple;
    const int Ret = EmitNode((FParseModifiers & kModI) ? opEXACTLYCI : opEXACTLY);
    for (Char C : Run)
        EmitC(C);
    EmitC(0);
    return Ret;
}

// "[...]" after the "[": the characters of the class become the operand.
int TRegexEngine::ParseClass() {
    const int Len = int(FExpression.size());
    bool Invert = false;
    if (FParsePos < Len && FExpression[std::size_t(FParsePos)] == u'^') {
        Invert = true;
        ++FParsePos;
    }
    String Chars;
    bool First = true;
    bool HaveRangeStart = false; // the last character added may begin a range
    auto IsClassEscape = [](Char C) {
        return C == u'd' || C == u'D' || C == u's' || C == u'S' || C == u'w' || C == u'W';
    };
    for (;;) {
        if (FParsePos >= Len) CompileError(113);
        const Char C = FExpression[std::size_t(FParsePos)];
        if (C == u']' && !First) {
            ++FParsePos;
            break;
        }
        First = false;
        if (C == u'-' && HaveRangeStart && FParsePos + 1 < Len &&
            FExpression[std::size_t(FParsePos + 1)] != u']' &&
            !(FExpression[std::size_t(FParsePos + 1)] == u'\\' && FParsePos + 2 < Len &&
              IsClassEscape(FExpression[std::size_t(FParsePos + 2)]))) {
            ++FParsePos; // "-"
            Char RangeEnd;
            if (FExpression[std::size_t(FParsePos)] == u'\\') {
                ++FParsePos;
                if (FParsePos >= Len) CompileError(110);
                RangeEnd = ParseEscapedChar();
            } else
                RangeEnd = FExpression[std::size_t(FParsePos++)];
            const Char RangeStart = Chars.back();
            Chars.pop_back();
            const bool Russian = (FParseModifiers & kModR) != 0;
            if (Russian && RangeStart == 0x0430 && RangeEnd == 0x044F)
                AddRussianLower(Chars);
            else if (Russian && RangeStart == 0x0410 && RangeEnd == 0x042F)
                AddRussianUpper(Chars);
            else if (Russian && RangeStart == 0x0430 && RangeEnd == 0x042F) {
                AddRussianLower(Chars);
                AddRussianUpper(Chars);
            } else {
                if (RangeEnd < RangeStart) CompileError(109);
                for (int Ch = RangeStart; Ch <= RangeEnd; ++Ch)
                    Chars += Char(Ch);
            }
            HaveRangeStart = false;
            continue;
        }
        if (C == u'\\') {
            ++FParsePos;
            if (FParsePos >= Len) CompileError(110);
            const Char E = FExpression[std::size_t(FParsePos)];
            if (E == u'd' || E == u's' || E == u'w') {
                Chars += E == u'd' ? String(u"0123456789") : E == u's' ? FSpaceChars : FWordChars;
                ++FParsePos;
                HaveRangeStart = false;
                continue;
            }
            Chars += ParseEscapedChar(); // \D, \S and \W stand for the letters
            HaveRangeStart = true;
            continue;
        }
        Chars += C;
        ++FParsePos;
        HaveRangeStart = true;
    }
    const bool CI = (FParseModifiers & kModI) != 0;
    const int Ret = EmitNode(Invert ? (CI ? opANYBUTCI : opANYBUT) : (CI ? opANYOFCI : opANYOF));
    for (Char Ch : Chars)
        EmitC(Ch);
    EmitC(0);
    return Ret;
}

// ---- Listing ------------------------------------------------------------------------------------

String TRegexEngine::Dump() {
    if (!IsProgrammOk()) return String();
    String Result;
    for (int S : FNodeStarts) {
        const Char Op = FProgram[std::size_t(S)];
        Char Group = 0;
        const char16_t* Name = OpName(Op, Group);
        if (!Name) {
            RaiseError(1011);
            return Result;
        }
        Result += Format(u"%2d", {S}) + u":";
        if (Group)
            Result += Format(u"%s[%d]", {Name, int(Group)});
        else
            Result += Name;
        const int Next = RegNext(S);
        if (Next < 0)
            Result += u" (0)";
        else
            Result += Format(u" (%d) ", {Next});
        const int Opnd = S + kNodeSize;
        switch (Op) {
        case opANYOF:
        case opANYOFCI:
        case opANYBUT:
        case opANYBUTCI:
        case opEXACTLY:
        case opEXACTLYCI:
            Result.append(FProgram.begin() + Opnd, FProgram.begin() + OperandEnd(S));
            break;
        case opANYOFTINYSET:
        case opANYBUTTINYSET:
            Result.append(FProgram.begin() + Opnd, FProgram.begin() + Opnd + 3);
            break;
        case opBSUBEXP:
        case opBSUBEXPCI:
            Result += u" \\" + IntToStr(FProgram[std::size_t(Opnd)]);
            break;
        case opBRACES:
        case opBRACESNG:
            Result += Format(u"{%d,%d}", {ReadInt(Opnd), ReadInt(Opnd + 2)});
            break;
        case opLOOP:
        case opLOOPNG:
            Result += Format(u" -> (%d) {%d,%d}",
                             {S - ReadInt(Opnd + 4) - kNodeSize, ReadInt(Opnd), ReadInt(Opnd + 2)});
            break;
        default:
            break;
        }
        Result += u"\r\n";
    }
    if (FFirstChar) Result += u"start " + String(1, FFirstChar) + u" ";
    if (FAnchored) Result += u"anchored ";
    if (FRequiredAt >= 0)
        Result += u"must have " +
                  String(FProgram.begin() + FRequiredAt, FProgram.begin() + FRequiredAt + FRequiredLen);
    Result += u"\r\n";
    return Result;
}
