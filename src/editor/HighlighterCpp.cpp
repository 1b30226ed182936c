// The C and C++ highlighter. Keywords are found through a table of 343 hash slots, each holding
// at most one keyword; every token routine leaves Run after its token, and the state at the
// end of a line (a TRangeState) lets the next line start inside a comment, a string, a
// continued directive or an assembler block.

#include "editor/HighlighterCpp.h"

#include <array>
#include <cassert>

using namespace HighlighterCpp;
// tkChar, tkFloat, tkString and tkUnknown are also names of the type information's kinds:
// they are written with the namespace.

namespace {

constexpr int KeyTableSize = 343;

const char16_t* const KeyWords[] = {
    u"__asm",        u"__automated", u"__cdecl",   u"__classid",  u"__closure",  u"__declspec",
    u"__dispid",     u"__except",    u"__export",  u"__fastcall", u"__finally",  u"__import",
    u"__int16",      u"__int32",     u"__int64",   u"__int8",     u"__pascal",   u"__property",
    u"__published",  u"__rtti",      u"__stdcall", u"__thread",   u"__try",      u"_asm",
    u"_cdecl",       u"_export",     u"_fastcall", u"_import",    u"_pascal",    u"_stdcall",
    u"asm",          u"auto",        u"bool",      u"break",      u"case",       u"catch",
    u"cdecl",        u"char",        u"class",     u"const",      u"const_cast", u"continue",
    u"default",      u"delete",      u"do",        u"double",     u"dynamic_cast", u"else",
    u"enum",         u"explicit",    u"extern",    u"false",      u"float",      u"for",
    u"friend",       u"goto",        u"if",        u"inline",     u"int",        u"interface",
    u"long",         u"mutable",     u"namespace", u"new",        u"operator",   u"pascal",
    u"private",      u"protected",   u"public",    u"register",   u"reinterpret_cast",
    u"return",       u"short",       u"signed",    u"sizeof",     u"static",     u"static_cast",
    u"struct",       u"switch",      u"template",  u"this",       u"throw",      u"true",
    u"try",          u"typedef",     u"typeid",    u"typename",   u"union",      u"unsigned",
    u"using",        u"virtual",     u"void",      u"volatile",   u"wchar_t",    u"while",
};
constexpr int KeyWordCount = static_cast<int>(std::size(KeyWords));
static_assert(KeyWordCount == 95);

bool IsIdentCharacter(Char C) {
    return (C >= u'0' && C <= u'9') || (C >= u'A' && C <= u'Z') || C == u'_' || (C >= u'a' && C <= u'z');
}
bool IsIdentStart(Char C) {
    return (C >= u'A' && C <= u'Z') || C == u'_' || (C >= u'a' && C <= u'z');
}
bool IsDigit(Char C) {
    return C >= u'0' && C <= u'9';
}
bool IsHexDigit(Char C) {
    return IsDigit(C) || (C >= u'A' && C <= u'F') || (C >= u'a' && C <= u'f');
}
bool IsSign(Char C) {
    return C == u'+' || C == u'-';
}

unsigned HashOf(const char16_t* Word) {
    unsigned H = 0;
    for (; *Word && IsIdentCharacter(*Word); ++Word)
        H = H * 179u + unsigned(*Word) * 44u;
    return H % KeyTableSize;
}

// Slot h: the index of the one keyword whose hash is h, or -1.
const std::array<int, KeyTableSize>& KeyIndices() {
    static const std::array<int, KeyTableSize> Table = [] {
        std::array<int, KeyTableSize> T;
        T.fill(-1);
        for (int I = 0; I < KeyWordCount; ++I) {
            const unsigned H = HashOf(KeyWords[I]);
            assert(T[H] == -1 && "two keywords share a slot");
            T[H] = I;
        }
        return T;
    }();
    return Table;
}

bool IsAsmKeyword(int Index) {
    const String W = KeyWords[Index];
    return W == u"__asm" || W == u"asm" || W == u"_asm";
}

const bool Registered = (RegisterPlaceableHighlighter(TCodeCppHighlighter::StaticClass()), true);

} // namespace

const String TCodeCppHighlighter::FilterText =
    u"C/C++ Files (*.c;*.cpp;*.cc;*.h;*.hpp;*.hh;*.cxx;*.hxx;*.cu)|*.c;*.cpp;*.cc;*.h;*.hpp;*.hh;*.cxx;*.hxx;*.cu";

TCodeCppHighlighter::TCodeCppHighlighter(TComponent* AOwner) : TCodeCustomHighlighter(AOwner) {
    (void)Registered;
    FCaseSensitive = true;
    auto Add = [this](const char16_t* Name, const char16_t* Friendly, TFontStyles Style = {}) {
        auto* A = new TCodeHighlighterAttributes(Name, Friendly);
        A->SetStyle(Style);
        AddAttribute(A);
        return A;
    };
    FAsmAttri = Add(u"Assembler", u"Assembler");
    FCommentAttri = Add(u"Comment", u"Comment", {fsItalic});
    FIdentifierAttri = Add(u"Identifier", u"Identifier");
    FInvalidAttri = Add(u"IllegalChar", u"Illegal Char");
    FKeyAttri = Add(u"ReservedWord", u"Reserved Word", {fsBold});
    FNumberAttri = Add(u"Number", u"Number");
    FCharAttri = Add(u"Character", u"Character");
    FFloatAttri = Add(u"Float", u"Float");
    FHexAttri = Add(u"Hexadecimal", u"Hexadecimal");
    FOctalAttri = Add(u"Octal", u"Octal");
    FSpaceAttri = Add(u"Space", u"Space");
    FStringAttri = Add(u"String", u"String");
    FSymbolAttri = Add(u"Symbol", u"Symbol");
    FDirecAttri = Add(u"Preprocessor", u"Preprocessor");
    SetAttributesOnChange([this](TObject* Sender) { DefHighlightChange(Sender); });
    KeyIndices();
    SetDefaultFilter(FilterText);
}

void TCodeCppHighlighter::Published(TPublisher<TCodeCppHighlighter>& P) {
    using H = TCodeCppHighlighter;
    auto Attr = [&P](const char16_t* Name, TCodeHighlighterAttributes* (H::*Get)() const) {
        P.Property(Name, Get, [Get](H* X, TCodeHighlighterAttributes* V) { (X->*Get)()->Assign(V); });
    };
    Attr(u"AsmAttri", &H::AsmAttri);
    Attr(u"CommentAttri", &H::CommentAttri);
    Attr(u"DirecAttri", &H::DirecAttri);
    Attr(u"IdentifierAttri", &H::IdentifierAttri);
    Attr(u"InvalidAttri", &H::InvalidAttri);
    Attr(u"KeyAttri", &H::KeyAttri);
    Attr(u"NumberAttri", &H::NumberAttri);
    Attr(u"FloatAttri", &H::FloatAttri);
    Attr(u"HexAttri", &H::HexAttri);
    Attr(u"OctalAttri", &H::OctalAttri);
    Attr(u"SpaceAttri", &H::SpaceAttri);
    Attr(u"StringAttri", &H::StringAttri);
    Attr(u"CharAttri", &H::CharAttri);
    Attr(u"SymbolAttri", &H::SymbolAttri);
}

TCodeHighlighterAttributes* TCodeCppHighlighter::GetDefaultAttribute(int Index) const {
    switch (Index) {
    case 0:
        return FCommentAttri;
    case 1:
        return FIdentifierAttri;
    case 2:
        return FKeyAttri;
    case 3:
        return FStringAttri;
    case 4:
        return FSpaceAttri;
    case 5:
        return FSymbolAttri;
    default:
        return nullptr;
    }
}

TCodeHighlighterCapabilities TCodeCppHighlighter::GetCapabilities() const {
    TCodeHighlighterCapabilities C = TCodeCustomHighlighter::GetCapabilities();
    C.Include(hcUserSettings);
    return C;
}

// No other development environment's colour settings are read on this system: there is
// nothing to list and nothing to import.
void TCodeCppHighlighter::EnumUserSettings(TStrings* Settings) {
    Settings->Clear();
}

bool TCodeCppHighlighter::UseUserSettings(int) {
    return false;
}

String TCodeCppHighlighter::SampleSource() const {
    return u"// Syntax highlighting\r\n"
           u"void __fastcall TForm1::Button1Click(TObject *Sender)\r\n"
           u"{\r\n"
           u"  int number = 123;\r\n"
           u"  char c = 'x';\r\n"
           u"  char* s = \"string\";\r\n"
           u"  int hex = 0x7F;\r\n"
           u"  int oct = 017;\r\n"
           u"  float f = 1.5e-3;\r\n"
           u"  number = number + hex @ oct;\r\n"
           u"  /* a block\r\n"
           u"     comment */\r\n"
           u"  f = f * 2;\r\n"
           u"}\r\n"
           u"\r\n"
           u"#ifdef USE_ASM\r\n"
           u"  asm\r\n"
           u"  {\r\n"
           u"    ASM MOV AX, 0x1234\r\n"
           u"  }\r\n"
           u"#endif";
}

bool TCodeCppHighlighter::IsKeyword(const String& AKeyword) const {
    for (const char16_t* K : KeyWords)
        if (AKeyword == K) return true;
    return false;
}

unsigned TCodeCppHighlighter::HashKey(int Pos) {
    unsigned H = 0;
    FToIdent = Pos;
    while (Pos < FLineLen && IsIdentCharacter(FLine[Pos])) {
        H = H * 179u + unsigned(FLine[Pos]) * 44u;
        ++Pos;
    }
    FStringLen = Pos - FToIdent;
    return H % KeyTableSize;
}

int TCodeCppHighlighter::IdentKind() {
    const int Index = KeyIndices()[HashKey(Run)];
    if (Index < 0 || !IsCurrentToken(KeyWords[Index])) return tkIdentifier;
    if (IsAsmKeyword(Index)) {
        FRange = rsAsm;
        FAsmStart = true;
    }
    return tkKey;
}

int TCodeCppHighlighter::GetTokenID() const {
    if ((FRange == rsAsm || FRange == rsAsmBlock) && !FAsmStart && FTokenID != tkComment &&
        FTokenID != tkNull && FTokenID != tkSpace)
        return tkAsm;
    return FTokenID;
}

TCodeHighlighterAttributes* TCodeCppHighlighter::GetTokenAttribute() const {
    const int Kind = GetTokenID();
    switch (Kind) {
    case tkAsm:
        return FAsmAttri;
    case tkComment:
        return FCommentAttri;
    case tkDirective:
        return FDirecAttri;
    case tkIdentifier:
        return FIdentifierAttri;
    case tkKey:
        return FKeyAttri;
    case tkNumber:
        return FNumberAttri;
    case tkSpace:
        return FSpaceAttri;
    case HighlighterCpp::tkString:
        return FStringAttri;
    case tkSymbol:
        return FSymbolAttri;
    case HighlighterCpp::tkUnknown:
        return FInvalidAttri;
    case HighlighterCpp::tkChar:
        return FCharAttri;
    case HighlighterCpp::tkFloat:
        return FFloatAttri;
    case tkHex:
        return FHexAttri;
    case tkOctal:
        return FOctalAttri;
    case tkNull:
        return nullptr;
    default:
        return ExtraAttribute(Kind);
    }
}

void TCodeCppHighlighter::Symbol(TxtkTokenKind Kind, int Length) {
    FTokenID = tkSymbol;
    FExtTokenID = Kind;
    Run += Length;
}

bool TCodeCppHighlighter::IsFirstNonBlank(int Pos) const {
    for (int I = 0; I < Pos; ++I)
        if (FLine[I] > 32) return false;
    return true;
}

// A block comment from Run, or its continuation on a later line: up to the line end (the
// range kept) or through the first "*/".
void TCodeCppHighlighter::AnsiCProc() {
    if (Run >= FLineLen) {
        FTokenID = tkNull;
        ++Run;
        return;
    }
    FTokenID = tkComment;
    while (Run < FLineLen) {
        if (FLine[Run] == u'*' && At(Run + 1) == u'/') {
            Run += 2;
            switch (FRange) {
            case rsAnsiCAsm:
                FRange = rsAsm;
                break;
            case rsAnsiCAsmBlock:
                FRange = rsAsmBlock;
                break;
            case rsDirectiveComment:
                // A directive goes on after a comment in its middle.
                FRange = Run >= FLineLen ? rsUnknown : rsMultiLineDirective;
                break;
            default:
                FRange = rsUnknown;
                break;
            }
            return;
        }
        ++Run;
    }
}

// A string or character literal from Run (at its opening quote unless Continued). A backslash
// escapes the quote and itself; a string whose line ends in a backslash goes on.
void TCodeCppHighlighter::StringProc(Char Quote, bool Continued) {
    if (Continued) {
        if (Run >= FLineLen) {
            FTokenID = tkNull;
            ++Run;
            return;
        }
        FRange = rsUnknown;
    } else {
        ++Run;
    }
    FTokenID = Quote == u'"' ? HighlighterCpp::tkString : HighlighterCpp::tkChar;
    while (Run < FLineLen) {
        const Char C = FLine[Run];
        if (C == u'\\') {
            const Char After = At(Run + 1);
            if (After == Quote || After == u'\\') {
                Run += 2;
                continue;
            }
            if (Run == FLineLen - 1 && Quote == u'"') {
                ++Run;
                FRange = rsMultiLineString;
                return;
            }
        } else if (C == Quote) {
            ++Run;
            return;
        }
        ++Run;
    }
}

// A preprocessor line from Run, or its continuation: to the line end, stopping before a
// comment, and going on to the next line after a final backslash.
void TCodeCppHighlighter::DirectiveProc(bool Continued) {
    if (Continued) {
        if (Run >= FLineLen) {
            FTokenID = tkNull;
            ++Run;
            return;
        }
        FRange = rsUnknown;
    } else {
        ++Run;
    }
    FTokenID = tkDirective;
    while (Run < FLineLen) {
        const Char C = FLine[Run];
        if (C == u'/' && At(Run + 1) == u'/') {
            FRange = rsUnknown;
            return;
        }
        if (C == u'/' && At(Run + 1) == u'*') {
            FRange = rsDirectiveComment;
            return;
        }
        if (C == u'\\' && Run == FLineLen - 1) {
            ++Run;
            FRange = rsMultiLineDirective;
            return;
        }
        ++Run;
    }
}

// A number whose first character S is at Start (Start is -1 for a point at the line start,
// where S counts as character 0); the scan begins after S.
void TCodeCppHighlighter::NumberProc(int Start) {
    auto Ch = [this](int I) { return I < 0 ? Char(0) : At(I); };
    auto Earlier = [&](int From, int Before, Char A, Char B) {
        for (int I = std::max(From, 0); I < Before; ++I)
            if (FLine[I] == A || FLine[I] == B) return true;
        return false;
    };
    auto InNumber = [](Char C) {
        return C == u'+' || C == u'-' || C == u'.' || IsDigit(C) || (C >= u'A' && C <= u'F') ||
               (C >= u'a' && C <= u'f') || C == u'L' || C == u'l' || C == u'U' || C == u'u' || C == u'X' ||
               C == u'x';
    };
    FTokenID = tkNumber;
    Run = Start + 1;
    const Char S = Ch(Start);
    while (Run < FLineLen && InNumber(FLine[Run])) {
        const Char C = FLine[Run];
        const Char Prev = Ch(Run - 1);
        const Char After = At(Run + 1);
        const bool Hex = FTokenID == tkHex;
        const bool Float = FTokenID == HighlighterCpp::tkFloat;
        switch (C) {
        case u'+':
        case u'-':
            if (Float && (Prev == u'E' || Prev == u'e')) {
                if (!IsDigit(After) && !IsSign(After)) {
                    ++Run;
                    FTokenID = HighlighterCpp::tkUnknown;
                    return;
                }
                break;
            }
            goto Ended;
        case u'.':
            if (After == u'.') goto Ended;
            if (Hex) {
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            FTokenID = HighlighterCpp::tkFloat;
            break;
        case u'0':
        case u'1':
        case u'2':
        case u'3':
        case u'4':
        case u'5':
        case u'6':
        case u'7':
            if (Run == Start + 1 && S == u'0') FTokenID = tkOctal;
            break;
        case u'8':
        case u'9':
            if (S == u'0' && !Hex && !Float) FTokenID = HighlighterCpp::tkUnknown;
            break;
        case u'A':
        case u'B':
        case u'C':
        case u'D':
        case u'a':
        case u'b':
        case u'c':
        case u'd':
            if (!Hex) goto Ended;
            break;
        case u'E':
        case u'e':
            if (Hex) break;
            if (!IsDigit(Prev)) goto Ended;
            if (Earlier(Start, Run, u'E', u'e')) {
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            if (!IsDigit(After) && !IsSign(After)) goto Ended;
            FTokenID = HighlighterCpp::tkFloat;
            break;
        case u'F':
        case u'f':
            if (Hex) break;
            if (Earlier(Start, Run, u'F', u'f')) {
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            if (Float && (Prev == u'L' || Prev == u'l')) goto Ended;
            FTokenID = HighlighterCpp::tkFloat;
            break;
        case u'L':
        case u'l':
            if (Earlier(Start, Run - 1, u'L', u'l')) {
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            if (Float && (Prev == u'F' || Prev == u'f')) goto Ended;
            break;
        case u'U':
        case u'u':
            if (Float) goto Ended;
            if (Earlier(Start, Run, u'U', u'u')) {
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            break;
        case u'X':
        case u'x':
            if (Run == Start + 1 && S == u'0' && IsHexDigit(After)) {
                FTokenID = tkHex;
                break;
            }
            if (!IsIdentCharacter(After) && (Ch(Start + 1) == u'X' || Ch(Start + 1) == u'x')) {
                ++Run;
                FTokenID = HighlighterCpp::tkUnknown;
                return;
            }
            goto Ended;
        default:
            goto Ended;
        }
        ++Run;
    }
Ended:
    // Letters right after a number make it a broken one; they form the next token.
    if (Run < FLineLen && IsIdentStart(FLine[Run])) FTokenID = HighlighterCpp::tkUnknown;
}

void TCodeCppHighlighter::IdentProc() {
    FTokenID = IdentKind();
    Run = FToIdent + FStringLen;
    while (Run < FLineLen && IsIdentCharacter(FLine[Run]))
        ++Run;
}

void TCodeCppHighlighter::Next() {
    FAsmStart = false;
    FTokenPos = Run;
    switch (FRange) {
    case rsAnsiC:
    case rsAnsiCAsm:
    case rsAnsiCAsmBlock:
    case rsDirectiveComment:
        AnsiCProc();
        break;
    case rsMultiLineString:
        StringProc(u'"', true);
        break;
    case rsMultiLineDirective:
        DirectiveProc(true);
        break;
    default: {
        const Char C = Run < FLineLen ? FLine[Run] : Char(0);
        const Char C1 = At(Run + 1);
        const Char C2 = At(Run + 2);
        if (Run >= FLineLen) {
            FTokenID = tkNull;
            ++Run;
            break;
        }
        switch (C) {
        case 10:
            FTokenID = tkSpace;
            ++Run;
            break;
        case 13:
            FTokenID = tkSpace;
            Run += C2 == 10 ? 2 : 1;
            break;
        case u'!':
            C1 == u'=' ? Symbol(xtkNotEqual, 2) : Symbol(xtkLogComplement, 1);
            break;
        case u'"':
            StringProc(u'"', false);
            break;
        case u'#':
            if (IsFirstNonBlank(Run)) {
                DirectiveProc(false);
            } else {
                FTokenID = HighlighterCpp::tkUnknown;
                ++Run;
            }
            break;
        case u'%':
            C1 == u'=' ? Symbol(xtkModAssign, 2) : Symbol(xtkMod, 1);
            break;
        case u'&':
            if (C1 == u'&')
                Symbol(xtkLogAnd, 2);
            else if (C1 == u'=')
                Symbol(xtkAndAssign, 2);
            else
                Symbol(xtkAnd, 1);
            break;
        case u'\'':
            StringProc(u'\'', false);
            break;
        case u'(':
            Symbol(xtkRoundOpen, 1);
            break;
        case u')':
            Symbol(xtkRoundClose, 1);
            break;
        case u'*':
            C1 == u'=' ? Symbol(xtkMultiplyAssign, 2) : Symbol(xtkStar, 1);
            break;
        case u'+':
            if (C1 == u'+')
                Symbol(xtkIncrement, 2);
            else if (C1 == u'=')
                Symbol(xtkAddAssign, 2);
            else
                Symbol(xtkAdd, 1);
            break;
        case u',':
            Symbol(xtkComma, 1);
            break;
        case u'-':
            if (C1 == u'-')
                Symbol(xtkDecrement, 2);
            else if (C1 == u'=')
                Symbol(xtkSubtractAssign, 2);
            else if (C1 == u'>')
                Symbol(xtkArrow, 2);
            else
                Symbol(xtkSubtract, 1);
            break;
        case u'.':
            if (C1 == u'.' && C2 == u'.')
                Symbol(xtkEllipse, 3);
            else if (IsDigit(C1))
                NumberProc(Run - 1);
            else
                Symbol(xtkPoint, 1);
            break;
        case u'/':
            if (C1 == u'*') {
                FRange = FRange == rsAsm ? rsAnsiCAsm : FRange == rsAsmBlock ? rsAnsiCAsmBlock : rsAnsiC;
                Run += 2;
                AnsiCProc();
                if (FTokenID == tkNull) { // "/*" at the line end: still a comment token
                    FTokenID = tkComment;
                    --Run;
                }
            } else if (C1 == u'/') {
                FTokenID = tkComment;
                Run = FLineLen;
            } else if (C1 == u'=') {
                Symbol(xtkDivideAssign, 2);
            } else {
                Symbol(xtkDivide, 1);
            }
            break;
        case u':':
            C1 == u':' ? Symbol(xtkScopeResolution, 2) : Symbol(xtkColon, 1);
            break;
        case u';':
            Symbol(xtkSemiColon, 1);
            if (FRange == rsAsm) FRange = rsUnknown;
            break;
        case u'<':
            if (C1 == u'<' && C2 == u'=')
                Symbol(xtkShiftLeftAssign, 3);
            else if (C1 == u'<')
                Symbol(xtkShiftLeft, 2);
            else if (C1 == u'=')
                Symbol(xtkLessThanEqual, 2);
            else
                Symbol(xtkLessThan, 1);
            break;
        case u'=':
            C1 == u'=' ? Symbol(xtkLogEqual, 2) : Symbol(xtkAssign, 1);
            break;
        case u'>':
            if (C1 == u'=')
                Symbol(xtkGreaterThanEqual, 2);
            else if (C1 == u'>' && C2 == u'=')
                Symbol(xtkShiftRightAssign, 3);
            else if (C1 == u'>')
                Symbol(xtkShiftRight, 2);
            else
                Symbol(xtkGreaterThan, 1);
            break;
        case u'?':
            Symbol(xtkQuestion, 1);
            break;
        case u'[':
            Symbol(xtkSquareOpen, 1);
            break;
        case u']':
            Symbol(xtkSquareClose, 1);
            break;
        case u'^':
            C1 == u'=' ? Symbol(xtkXorAssign, 2) : Symbol(xtkXor, 1);
            break;
        case u'{':
            Symbol(xtkBraceOpen, 1);
            if (FRange == rsAsm) {
                FRange = rsAsmBlock;
                FAsmStart = true;
            }
            break;
        case u'|':
            if (C1 == u'=')
                Symbol(xtkIncOrAssign, 2);
            else if (C1 == u'|')
                Symbol(xtkLogOr, 2);
            else
                Symbol(xtkIncOr, 1);
            break;
        case u'}':
            Symbol(xtkBraceClose, 1);
            if (FRange == rsAsmBlock) FRange = rsUnknown;
            break;
        case u'~':
            Symbol(xtkBitComplement, 1);
            break;
        default:
            if (C >= 1 && C <= 32) {
                FTokenID = tkSpace;
                while (Run < FLineLen && FLine[Run] >= 1 && FLine[Run] <= 32)
                    ++Run;
            } else if (IsDigit(C)) {
                NumberProc(Run);
            } else if (IsIdentStart(C)) {
                IdentProc();
            } else {
                FTokenID = HighlighterCpp::tkUnknown;
                ++Run;
            }
            break;
        }
        break;
    }
    }
    TCodeCustomHighlighter::Next();
}
