#pragma once
// Texts with the caret marked: "ab|c" is the text "abc" with the caret before the c. Lines are
// separated by "\n"; a caret in the space after a line end is shown after "~" fillers.

#include "CodeEditSupport.h"

#include <string>

inline std::string Narrow(const String& S) {
    std::string Result;
    for (Char C : S)
        Result += C == u'\t' ? '>' : C < 128 ? static_cast<char>(C) : '?';
    return Result;
}

// Puts Marked into the control: the text without "|", the caret at the "|".
inline void PutMarked(TCustomCodeEdit* Edit, const String& Marked) {
    String Text;
    TBufferCoord Caret{1, 1};
    int Line = 1;
    int Column = 1;
    for (Char C : Marked) {
        if (C == u'|') {
            Caret = {Column, Line};
            continue;
        }
        if (C == u'~') {
            ++Column;
            continue;
        }
        Text += C;
        if (C == u'\n') {
            ++Line;
            Column = 1;
        } else {
            ++Column;
        }
    }
    Edit->SetText(Text);
    Edit->ClearUndo();
    Edit->SetCaretXY(Caret);
}

// The control's text with "|" at the caret ("~" for each column past the line end).
inline std::string ShowMarked(const TCustomCodeEdit* Edit) {
    String Result;
    const int Count = std::max(Edit->Lines()->Count(), 1);
    for (int Y = 1; Y <= Count; ++Y) {
        const String S = Y <= Edit->Lines()->Count() ? Edit->Lines()->Strings(Y - 1) : String();
        if (Y > 1) Result += u'\n';
        if (Y == Edit->CaretY()) {
            const int X = Edit->CaretX();
            if (X - 1 <= static_cast<int>(S.size())) {
                Result += S.substr(0, static_cast<size_t>(X - 1)) + u'|' + S.substr(static_cast<size_t>(X - 1));
            } else {
                Result += S + String(static_cast<size_t>(X - 1) - S.size(), u'~') + u'|';
            }
        } else {
            Result += S;
        }
    }
    return Narrow(Result);
}

inline std::string TextOf(const TCustomCodeEdit* Edit) {
    String Result;
    for (int Y = 0; Y < Edit->Lines()->Count(); ++Y)
        Result += (Y > 0 ? u"\n" : u"") + Edit->Lines()->Strings(Y);
    return Narrow(Result);
}
