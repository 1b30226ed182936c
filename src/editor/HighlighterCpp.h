#pragma once
// The highlighter of C and C++ sources: keywords through a small hash table, numbers in their
// bases, strings and characters, preprocessor lines, comments, operators, and assembler
// statements and blocks. The state carried from one line to the next is a TRangeState.

#include "editor/Highlighter.h"

#include <vector>

// The kinds live in the unit's namespace: the type information already names tkString and others.
namespace HighlighterCpp {

DECLARE_ENUM(TtkTokenKind, Byte, tkAsm, tkComment, tkDirective, tkIdentifier, tkKey, tkNull, tkNumber, tkSpace,
             tkString, tkSymbol, tkUnknown, tkChar, tkFloat, tkHex, tkOctal)

DECLARE_ENUM(TxtkTokenKind, Byte, xtkAdd, xtkAddAssign, xtkAnd, xtkAndAssign, xtkArrow, xtkAssign,
             xtkBitComplement, xtkBraceClose, xtkBraceOpen, xtkColon, xtkComma, xtkDecrement, xtkDivide,
             xtkDivideAssign, xtkEllipse, xtkGreaterThan, xtkGreaterThanEqual, xtkIncOr, xtkIncOrAssign,
             xtkIncrement, xtkLessThan, xtkLessThanEqual, xtkLogAnd, xtkLogComplement, xtkLogEqual, xtkLogOr,
             xtkMod, xtkModAssign, xtkMultiplyAssign, xtkNotEqual, xtkPoint, xtkQuestion, xtkRoundClose,
             xtkRoundOpen, xtkScopeResolution, xtkSemiColon, xtkShiftLeft, xtkShiftLeftAssign, xtkShiftRight,
             xtkShiftRightAssign, xtkSquareClose, xtkSquareOpen, xtkStar, xtkSubtract, xtkSubtractAssign,
             xtkXor, xtkXorAssign)

DECLARE_ENUM(TRangeState, Byte, rsUnknown, rsAnsiC, rsAnsiCAsm, rsAnsiCAsmBlock, rsAsm, rsAsmBlock, rsDirective,
             rsDirectiveComment, rsString34, rsString39, rsMultiLineString, rsMultiLineDirective)

} // namespace HighlighterCpp

using HighlighterCpp::TRangeState;
using HighlighterCpp::TtkTokenKind;
using HighlighterCpp::TxtkTokenKind;

class TCodeCppHighlighter : public TCodeCustomHighlighter {
    DECLARE_CLASS(TCodeCppHighlighter, TCodeCustomHighlighter)
public:
    explicit TCodeCppHighlighter(TComponent* AOwner = nullptr);

    static const String FilterText;

    TCodeHighlighterAttributes* GetDefaultAttribute(int Index) const override;
    bool GetEol() const override { return FTokenID == HighlighterCpp::tkNull; }
    TCodeEditRange GetRange() const override { return static_cast<TCodeEditRange>(FRange); }
    void SetRange(TCodeEditRange Value) override { FRange = static_cast<TRangeState>(Value); }
    void ResetRange() override { FRange = HighlighterCpp::rsUnknown; }
    TCodeHighlighterAttributes* GetTokenAttribute() const override;
    int GetTokenKind() const override { return static_cast<int>(GetTokenID()); }
    void Next() override;
    TCodeHighlighterCapabilities GetCapabilities() const override;
    void EnumUserSettings(TStrings* Settings) override;
    bool UseUserSettings(int SettingIndex) override;
    String GetLanguageName() const override { return u"CandCPlusPlus"; }
    String GetFriendlyLanguageName() const override { return u"C/C++"; }
    String SampleSource() const override;
    bool IsFilterStored() const override { return DefaultFilter() != FilterText; }
    bool IsKeyword(const String& AKeyword) const override;

    // The kind after the assembler rule: inside an assembler statement or block every token but
    // comments, blanks and the line end is assembler.
    int GetTokenID() const;
    TxtkTokenKind ExtendedTokenKind() const { return FExtTokenID; }

    TCodeHighlighterAttributes* AsmAttri() const { return FAsmAttri; }
    TCodeHighlighterAttributes* CommentAttri() const { return FCommentAttri; }
    TCodeHighlighterAttributes* DirecAttri() const { return FDirecAttri; }
    TCodeHighlighterAttributes* IdentifierAttri() const { return FIdentifierAttri; }
    TCodeHighlighterAttributes* InvalidAttri() const { return FInvalidAttri; }
    TCodeHighlighterAttributes* KeyAttri() const { return FKeyAttri; }
    TCodeHighlighterAttributes* NumberAttri() const { return FNumberAttri; }
    TCodeHighlighterAttributes* FloatAttri() const { return FFloatAttri; }
    TCodeHighlighterAttributes* HexAttri() const { return FHexAttri; }
    TCodeHighlighterAttributes* OctalAttri() const { return FOctalAttri; }
    TCodeHighlighterAttributes* SpaceAttri() const { return FSpaceAttri; }
    TCodeHighlighterAttributes* StringAttri() const { return FStringAttri; }
    TCodeHighlighterAttributes* CharAttri() const { return FCharAttri; }
    TCodeHighlighterAttributes* SymbolAttri() const { return FSymbolAttri; }

    // The keyword table's hash of the identifier at Pos of the current line; sets FStringLen.
    unsigned HashKey(int Pos);

protected:
    // The kind of the identifier at Run, FStringLen set to its length; may enter the asm state.
    virtual int IdentKind();
    // The attribute of a kind this class does not know; none here.
    virtual TCodeHighlighterAttributes* ExtraAttribute(int) const { return nullptr; }
    // Attributes this class does not know, copied and restored by the colour import.
    virtual std::vector<TCodeHighlighterAttributes*> ExtraAttributes() const { return {}; }

    int FTokenID = HighlighterCpp::tkNull; // a TtkTokenKind, or a derived class's kind beyond it
    TxtkTokenKind FExtTokenID = HighlighterCpp::xtkAdd;
    TRangeState FRange = HighlighterCpp::rsUnknown;
    bool FAsmStart = false;

private:
    Char At(int Pos) const { return Pos < FLineLen ? FLine[Pos] : Char(0); }
    void Symbol(TxtkTokenKind Kind, int Length);
    void AnsiCProc();
    void StringProc(Char Quote, bool Continued);
    void DirectiveProc(bool Continued);
    void NumberProc(int Start);
    void IdentProc();
    bool IsFirstNonBlank(int Pos) const;

    TCodeHighlighterAttributes* FAsmAttri;
    TCodeHighlighterAttributes* FCommentAttri;
    TCodeHighlighterAttributes* FIdentifierAttri;
    TCodeHighlighterAttributes* FInvalidAttri;
    TCodeHighlighterAttributes* FKeyAttri;
    TCodeHighlighterAttributes* FNumberAttri;
    TCodeHighlighterAttributes* FCharAttri;
    TCodeHighlighterAttributes* FFloatAttri;
    TCodeHighlighterAttributes* FHexAttri;
    TCodeHighlighterAttributes* FOctalAttri;
    TCodeHighlighterAttributes* FSpaceAttri;
    TCodeHighlighterAttributes* FStringAttri;
    TCodeHighlighterAttributes* FSymbolAttri;
    TCodeHighlighterAttributes* FDirecAttri;

    static void Published(TPublisher<TCodeCppHighlighter>& P);
};
