#pragma once
// The small types every part of the editor speaks in: buffer positions, the selection mode,
// the search options, and the editor's exception base.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"

// The editor's own failures derive from this one.
DECLARE_EXCEPTION(ECodeError, Exception)

// A position in the text: Char counts UTF-16 units of the raw line (a tab is one), both 1-based.
struct TBufferCoord {
    int Char = 0;
    int Line = 0;
    bool operator==(const TBufferCoord&) const = default;
};

inline TBufferCoord MakeBufferCoord(int AChar, int ALine) {
    return TBufferCoord{AChar, ALine};
}

DECLARE_ENUM(TCodeSelectionMode, Byte, smNormal, smLine, smColumn)

DECLARE_ENUM(TCodeSearchOption, Byte, ssoMatchCase, ssoWholeWord, ssoBackwards, ssoEntireScope,
             ssoSelectedOnly, ssoReplace, ssoReplaceAll, ssoPrompt)
using TCodeSearchOptions = TSet<TCodeSearchOption>;
