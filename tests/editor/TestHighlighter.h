#pragma once
// A small highlighter on the framework for the editor's tests: keywords, identifiers, numbers,
// strings, line and block comments (a block comment carries over lines as range 1), blanks
// and symbols, each kind in a colour of its own so that pictures can be probed.

#include "editor/Highlighter.h"

#include <array>

class TTestHighlighter : public TCodeCustomHighlighter {
    DECLARE_CLASS(TTestHighlighter, TCodeCustomHighlighter)
public:
    enum TTokenKind { tkNull, tkComment, tkIdentifier, tkKey, tkNumber, tkSpace, tkString, tkSymbol };
    static constexpr TCodeEditRange rsBlockComment = 1;

    explicit TTestHighlighter(TComponent* AOwner = nullptr) : TCodeCustomHighlighter(AOwner) {
        FCaseSensitive = true;
        auto Add = [this](const char16_t* Name, TColor Fore, TFontStyles Style) {
            auto* A = new TCodeHighlighterAttributes(Name, Name);
            A->SetForeground(Fore);
            A->SetStyle(Style);
            AddAttribute(A);
            return A;
        };
        FComment = Add(u"Comment", clGreen, {fsItalic});
        FIdentifier = Add(u"Identifier", clNone, {});
        FKey = Add(u"Reserved word", clNavy, {fsBold});
        FNumber = Add(u"Number", clPurple, {});
        FSpace = Add(u"Space", clNone, {});
        FString = Add(u"String", clRed, {});
        FSymbol = Add(u"Symbol", clTeal, {});
        SetAttributesOnChange([this](TObject* Sender) { DefHighlightChange(Sender); });
    }

    TCodeHighlighterAttributes* GetDefaultAttribute(int Index) const override {
        const std::array<TCodeHighlighterAttributes*, 6> Defaults{FComment, FIdentifier, FKey,
                                                                  FString,  FSpace,      FSymbol};
        return Index >= 0 && Index < 6 ? Defaults[Index] : nullptr;
    }
    bool GetEol() const override { return FTokenKind == tkNull; }
    TCodeEditRange GetRange() const override { return FRange; }
    void SetRange(TCodeEditRange Value) override { FRange = Value; }
    void ResetRange() override { FRange = 0; }
    int GetTokenKind() const override { return FTokenKind; }
    TCodeHighlighterAttributes* GetTokenAttribute() const override {
        switch (FTokenKind) {
        case tkComment:
            return FComment;
        case tkIdentifier:
            return FIdentifier;
        case tkKey:
            return FKey;
        case tkNumber:
            return FNumber;
        case tkSpace:
            return FSpace;
        case tkString:
            return FString;
        case tkSymbol:
            return FSymbol;
        default:
            return nullptr;
        }
    }
    bool IsKeyword(const String& AKeyword) const override {
        for (const char16_t* K : {u"if", u"else", u"for", u"int", u"return", u"void", u"while"})
            if (AKeyword == K) return true;
        return false;
    }
    String GetLanguageName() const override { return u"TestLang"; }
    String GetFriendlyLanguageName() const override { return u"Test language"; }

    void Next() override {
        FTokenPos = Run;
        if (Run >= FLineLen) {
            FTokenKind = tkNull;
        } else if (FRange == rsBlockComment) {
            ScanBlockComment();
        } else {
            const Char C = FLine[Run];
            if (C <= 32) {
                while (Run < FLineLen && FLine[Run] <= 32)
                    ++Run;
                FTokenKind = tkSpace;
            } else if (IsIdentChar(C) && !(C >= u'0' && C <= u'9')) {
                while (Run < FLineLen && IsIdentChar(FLine[Run]))
                    ++Run;
                FTokenKind =
                    IsKeyword(String(FLine + FTokenPos, size_t(Run - FTokenPos))) ? tkKey : tkIdentifier;
            } else if (C >= u'0' && C <= u'9') {
                while (Run < FLineLen && FLine[Run] >= u'0' && FLine[Run] <= u'9')
                    ++Run;
                FTokenKind = tkNumber;
            } else if (C == u'"') {
                ++Run;
                while (Run < FLineLen && FLine[Run] != u'"')
                    ++Run;
                if (Run < FLineLen) ++Run;
                FTokenKind = tkString;
            } else if (C == u'/' && Run + 1 < FLineLen && FLine[Run + 1] == u'/') {
                Run = FLineLen;
                FTokenKind = tkComment;
            } else if (C == u'/' && Run + 1 < FLineLen && FLine[Run + 1] == u'*') {
                Run += 2;
                FRange = rsBlockComment;
                ScanBlockComment();
            } else {
                // Anything else, a character beyond ASCII too, is one symbol.
                ++Run;
                FTokenKind = C < 128 ? tkSymbol : tkIdentifier;
            }
        }
        TCodeCustomHighlighter::Next();
    }

private:
    TCodeHighlighterAttributes *FComment, *FIdentifier, *FKey, *FNumber, *FSpace, *FString, *FSymbol;
    int FTokenKind = tkNull;
    TCodeEditRange FRange = 0;

    void ScanBlockComment() {
        FTokenKind = tkComment;
        while (Run < FLineLen) {
            if (FLine[Run] == u'*' && Run + 1 < FLineLen && FLine[Run + 1] == u'/') {
                Run += 2;
                FRange = 0;
                return;
            }
            ++Run;
        }
    }
};
