#pragma once
// Positions and small shared types of the source editor control: buffer and display
// coordinates, blocks, selection modes, search options and the control's exception base.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <functional>

class TObject;

// A position in the text: Char is the 1-based index in the raw line (UTF-16 units, a TAB counts
// one), Line the 1-based line number. Char = length + 1 is the end of a line.
struct TBufferCoord {
    int Char = 0;
    int Line = 0;
    friend bool operator==(const TBufferCoord&, const TBufferCoord&) = default;
};

// A position on screen: Column after tab and wide-glyph expansion, Row the display row (the line
// number unless word wrap is on). Both 1-based.
struct TDisplayCoord {
    int Column = 0;
    int Row = 0;
    friend bool operator==(const TDisplayCoord&, const TDisplayCoord&) = default;
};

struct TBufferBlock {
    int BeginLine = 0;
    int BeginChar = 0;
    int EndLine = 0;
    int EndChar = 0;
    friend bool operator==(const TBufferBlock&, const TBufferBlock&) = default;
};

DECLARE_ENUM(TCodeSelectionMode, Byte, smNormal, smLine, smColumn)

// Bit n of the set stands for option n: ssoMatchCase is 1, ssoPrompt 128.
DECLARE_ENUM(TCodeSearchOption, Byte, ssoMatchCase, ssoWholeWord, ssoBackwards, ssoEntireScope,
             ssoSelectedOnly, ssoReplace, ssoReplaceAll, ssoPrompt)
using TCodeSearchOptions = TSet<TCodeSearchOption>;

// The control's wide key-press event: a handler may change the character or set it to 0.
using TKeyPressWEvent = std::function<void(TObject* Sender, Char& Key)>;

DECLARE_EXCEPTION(ECodeError, Exception)

inline TBufferCoord MakeBufferCoord(int AChar, int ALine) {
    return TBufferCoord{AChar, ALine};
}
inline TDisplayCoord MakeDisplayCoord(int AColumn, int ARow) {
    return TDisplayCoord{AColumn, ARow};
}

// The earlier of two positions; A when they are equal.
TBufferCoord EarlierCoord(const TBufferCoord& A, const TBufferCoord& B);
// Value limited to at most Upper, then raised to at least Lower: Lower wins when Lower > Upper.
int ClampInt(int Value, int Lower, int Upper);
void ExchangeInts(int& A, int& B);
