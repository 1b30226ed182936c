// The editor control's position rules: caret moves by columns and rows with their effect on the
// selection, the smart Home and End keys, words and their boundaries, the matching bracket, the
// highlighter's token at a position, and keeping the marks in step with inserted and deleted lines.

#include "editor/CodeEdit.h"

#include "editor/CodeEditTextHelpers.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"

#include <algorithm>

namespace {

constexpr Char Brackets[] = {u'(', u')', u'[', u']', u'{', u'}', u'<', u'>'};

bool InSet(const TCodeCharSet& Set, Char C) {
    return C < 256 && Set.test(C);
}

} // namespace

// ---- Moving the caret -----------------------------------------------------------------------

void TCustomCodeEdit::MoveCaretWithSelection(const TBufferCoord& ptBefore, const TBufferCoord& ptAfter,
                                             bool SelectionCommand) {
    // A move ends the typing group: the next keystroke starts a new undo step.
    if (FOptions.Contains(eoGroupUndo) && FUndoList->CanUndo()) FUndoList->AddGroupBreak();
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    if (SelectionCommand) {
        if (!SelAvail()) SetBlockBegin(ptBefore);
        SetBlockEnd(ptAfter);
    } else {
        SetBlockBegin(ptAfter);
    }
    SetCaretInternal(ptAfter);
}

void TCustomCodeEdit::MoveCaretByColumns(int DX, bool SelectionCommand) {
    const TBufferCoord Anchor = FBlockBegin;
    TBufferCoord Dest = CaretXY();
    const int Count = FLines->Count();
    const int L = FCaretY >= 1 && FCaretY <= Count ? FLines->LineCharLength(FCaretY - 1) : 0;
    const bool PastEol = FOptions.Contains(eoScrollPastEol);
    if (!PastEol && DX == -1 && FCaretX == 1 && FCaretY > 1) {
        Dest = {FLines->LineCharLength(FCaretY - 2) + 1, FCaretY - 1};
    } else if (!PastEol && DX == 1 && FCaretX > L && FCaretY < Count) {
        Dest = {1, FCaretY + 1};
    } else {
        Dest.Char = std::max(1, FCaretX + DX);
        if (!PastEol && DX > 0) Dest.Char = std::min(Dest.Char, L + 1);
    }
    MoveCaretWithSelection(Anchor, Dest, SelectionCommand);
}

void TCustomCodeEdit::MoveCaretByRows(int DY, bool SelectionCommand) {
    const int SavedLastCaretX = FLastCaretX;
    const TDisplayCoord D = DisplayXY();
    int Row = D.Row + DY;
    if (DY >= 0) {
        if (RowToLine(Row) > FLines->Count()) Row = std::max(1, DisplayLineCount());
    } else if (Row < 1) {
        Row = 1;
    }
    int Column = D.Column;
    if (FOptions.Contains(eoKeepCaretX) && Row != D.Row) Column = FLastCaretX;
    const TBufferCoord Dest = DisplayToBufferPos({Column, Row});
    MoveCaretWithSelection(FBlockBegin, Dest, SelectionCommand);
    // Repeated vertical moves keep aiming at the column they started from.
    FLastCaretX = SavedLastCaretX;
}

void TCustomCodeEdit::SmartLineStart(bool Selection) {
    int NewX = 1;
    if (FOptions.Contains(eoEnhanceHomeKey)) {
        const String S = LineText();
        int N = 0;
        while (N < static_cast<int>(S.size()) && (S[static_cast<size_t>(N)] == u' ' || S[static_cast<size_t>(N)] == u'\t'))
            ++N;
        if (N < FCaretX - 1 || FCaretX == 1) NewX = N + 1;
    }
    MoveCaretWithSelection(CaretXY(), {NewX, FCaretY}, Selection);
}

void TCustomCodeEdit::SmartLineEnd(bool Selection) {
    const String S = LineText();
    const int L = static_cast<int>(S.size());
    int NewX = L + 1;
    if (FOptions.Contains(eoEnhanceEndKey)) {
        int E = L;
        while (E > 0 && (S[static_cast<size_t>(E - 1)] == u' ' || S[static_cast<size_t>(E - 1)] == u'\t'))
            --E;
        NewX = FCaretX == E + 1 ? L + 1 : E + 1;
    }
    MoveCaretWithSelection(CaretXY(), {NewX, FCaretY}, Selection);
}

void TCustomCodeEdit::SetCaretFromDisplay(const TDisplayCoord& aPos) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    SetCaretInternal(DisplayToBufferPos(aPos));
    FLastCaretX = DisplayX();
}

// ---- Character classes and words ------------------------------------------------------------

bool TCustomCodeEdit::IsWordBreakChar(Char AChar) const {
    bool Result;
    if (FHighlighter) {
        Result = FHighlighter->IsWordBreakChar(AChar);
    } else {
        Result = AChar <= 47 || (AChar >= 58 && AChar <= 64) || (AChar >= 91 && AChar <= 94) || AChar == 96 ||
                 (AChar >= 123 && AChar <= 126) || AChar == 167 || AChar == 176 || AChar == 180;
    }
    const TCodeCharSet& Breaks = FHighlighter ? FHighlighter->AdditionalWordBreakChars() : FAdditionalWordBreakChars;
    const TCodeCharSet& Idents = FHighlighter ? FHighlighter->AdditionalIdentChars() : FAdditionalIdentChars;
    Result = Result || InSet(Breaks, AChar);
    return Result && !InSet(Idents, AChar);
}

bool TCustomCodeEdit::IsIdentChar(Char AChar) const {
    bool Result = FHighlighter ? FHighlighter->IsIdentChar(AChar) : AChar >= 33;
    const TCodeCharSet& Idents = FHighlighter ? FHighlighter->AdditionalIdentChars() : FAdditionalIdentChars;
    Result = Result || InSet(Idents, AChar);
    return Result && !IsWordBreakChar(AChar);
}

bool TCustomCodeEdit::IsWhiteChar(Char AChar) const {
    if (FHighlighter) return FHighlighter->IsWhiteChar(AChar);
    if (AChar <= 32) return true;
    return !IsIdentChar(AChar) && !IsWordBreakChar(AChar);
}

TBufferCoord TCustomCodeEdit::NextWordPosEx(const TBufferCoord& XY) const {
    const int Count = FLines->Count();
    if (XY.Line < 1 || XY.Line > Count) return XY;
    const String& S = FLines->Strings(XY.Line - 1);
    const int L = static_cast<int>(S.size());
    int X = XY.Char;
    if (X < L) {
        if (IsIdentChar(S[static_cast<size_t>(X - 1 < 0 ? 0 : X - 1)]))
            X = ScanForCategory(S, X, [this](Char C) { return IsWordBreakChar(C); });
        if (X > 0) X = ScanForCategory(S, X, [this](Char C) { return IsIdentChar(C); });
        if (X <= 0) X = L + 1;
        return {X, XY.Line};
    }
    if (XY.Line < Count) {
        const String& Next = FLines->Strings(XY.Line);
        const int P = ScanForCategory(Next, 1, [this](Char C) { return IsIdentChar(C); });
        return {P > 0 ? P : 1, XY.Line + 1};
    }
    return XY;
}

TBufferCoord TCustomCodeEdit::PrevWordPosEx(const TBufferCoord& XY) const {
    const int Count = FLines->Count();
    if (XY.Line < 1 || XY.Line > Count) return XY;
    const String& S = FLines->Strings(XY.Line - 1);
    const int L = static_cast<int>(S.size());
    int X = std::min(XY.Char, L + 1);
    auto EndOfPrevious = [&]() -> TBufferCoord {
        if (XY.Line > 1) return {FLines->LineCharLength(XY.Line - 2) + 1, XY.Line - 1};
        return {1, 1};
    };
    if (X <= 1) return XY.Line > 1 ? EndOfPrevious() : TBufferCoord{X, 1};
    if (IsWordBreakChar(S[static_cast<size_t>(X - 2)]))
        X = ScanBackForCategory(S, X - 1, [this](Char C) { return IsIdentChar(C); });
    if (X > 0) X = ScanBackForCategory(S, X - 1, [this](Char C) { return IsWordBreakChar(C); }) + 1;
    if (X <= 0) return EndOfPrevious();
    return {X, XY.Line};
}

TBufferCoord TCustomCodeEdit::WordStartEx(const TBufferCoord& XY) const {
    if (XY.Line < 1 || XY.Line > FLines->Count()) return XY;
    const String& S = FLines->Strings(XY.Line - 1);
    int X = std::min(XY.Char, static_cast<int>(S.size()) + 1);
    if (X > 1 && !IsWordBreakChar(S[static_cast<size_t>(X - 2)]))
        X = ScanBackForCategory(S, X - 1, [this](Char C) { return IsWordBreakChar(C); }) + 1;
    return {X, XY.Line};
}

TBufferCoord TCustomCodeEdit::WordEndEx(const TBufferCoord& XY) const {
    if (XY.Line < 1 || XY.Line > FLines->Count()) return XY;
    const String& S = FLines->Strings(XY.Line - 1);
    int X = ScanForCategory(S, XY.Char, [this](Char C) { return IsWordBreakChar(C); });
    if (X <= 0) X = static_cast<int>(S.size()) + 1;
    return {X, XY.Line};
}

String TCustomCodeEdit::GetWordAtRowCol(const TBufferCoord& XY) const {
    if (XY.Line < 1 || XY.Line > FLines->Count()) return {};
    const String& S = FLines->Strings(XY.Line - 1);
    const int L = static_cast<int>(S.size());
    if (L == 0 || XY.Char < 1 || XY.Char > L) return {};
    if (!IsIdentChar(S[static_cast<size_t>(XY.Char - 1)])) return {};
    int B = XY.Char;
    while (B > 1 && IsIdentChar(S[static_cast<size_t>(B - 2)]))
        --B;
    int E = XY.Char;
    while (E < L && IsIdentChar(S[static_cast<size_t>(E)]))
        ++E;
    return S.substr(static_cast<size_t>(B - 1), static_cast<size_t>(E - B + 1));
}

bool TCustomCodeEdit::GetPositionOfMouse(TBufferCoord& aPos) const {
    if (!HandleAllocated()) return false;
    TPoint P;
    if (!GetCursorPos(P)) return false;
    P = ScreenToClient(P);
    if (P.X < 0 || P.Y < 0 || P.X > Width() || P.Y > Height()) return false;
    aPos = DisplayToBufferPos(PixelsToRowColumn(P.X, P.Y));
    return true;
}

String TCustomCodeEdit::WordAtMouse() const {
    TBufferCoord P;
    return GetPositionOfMouse(P) ? GetWordAtRowCol(P) : String();
}

bool TCustomCodeEdit::IsPointInSelection(const TBufferCoord& Value) const {
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    if (Value.Line < B.Line || Value.Line > E.Line || B == E) return false;
    switch (FActiveSelectionMode) {
    case smLine:
        return true;
    case smColumn: {
        const int Lo = std::min(B.Char, E.Char);
        const int Hi = std::max(B.Char, E.Char);
        return Lo != Hi && Value.Char >= Lo && Value.Char < Hi;
    }
    default:
        if (Value.Line == B.Line && Value.Char < B.Char) return false;
        if (Value.Line < E.Line) return true;
        return Value.Char < E.Char;
    }
}

// ---- Brackets and tokens --------------------------------------------------------------------

TBufferCoord TCustomCodeEdit::GetMatchingBracketEx(const TBufferCoord& APoint) const {
    const int Count = FLines->Count();
    if (APoint.Line < 1 || APoint.Line > Count) return {0, 0};
    const String& Line = FLines->Strings(APoint.Line - 1);
    if (APoint.Char < 1 || APoint.Char > static_cast<int>(Line.size())) return {0, 0};
    const Char* Found = std::find(std::begin(Brackets), std::end(Brackets), Line[static_cast<size_t>(APoint.Char - 1)]);
    if (Found == std::end(Brackets)) return {0, 0};
    const int Index = static_cast<int>(Found - std::begin(Brackets));
    const Char Inc = Brackets[Index];
    const Char Dec = Brackets[Index ^ 1];
    int Depth = 1;
    // A bracket inside a string or a comment does not count.
    auto Counts = [this](int X, int Y) {
        String Token;
        TCodeHighlighterAttributes* Attri = nullptr;
        if (FHighlighter && GetHighlighterAttriAtRowCol({X, Y}, Token, Attri) &&
            (Attri == FHighlighter->StringAttribute() || Attri == FHighlighter->CommentAttribute()))
            return false;
        return true;
    };
    auto Visit = [&](const String& S, int X, int Y) {
        const Char C = S[static_cast<size_t>(X - 1)];
        if ((C != Inc && C != Dec) || !Counts(X, Y)) return false;
        Depth += C == Inc ? 1 : -1;
        return Depth == 0;
    };
    if (Index % 2 == 1) {
        for (int Y = APoint.Line, X = APoint.Char - 1; Y >= 1; --Y) {
            const String& S = FLines->Strings(Y - 1);
            if (Y != APoint.Line) X = static_cast<int>(S.size());
            for (; X >= 1; --X)
                if (Visit(S, X, Y)) return {X, Y};
        }
    } else {
        for (int Y = APoint.Line, X = APoint.Char + 1; Y <= Count; ++Y) {
            const String& S = FLines->Strings(Y - 1);
            if (Y != APoint.Line) X = 1;
            for (; X <= static_cast<int>(S.size()); ++X)
                if (Visit(S, X, Y)) return {X, Y};
        }
    }
    return {0, 0};
}

void TCustomCodeEdit::FindMatchingBracket() {
    // Without a partner the caret stays: jumping to the text's start would lose the place.
    const TBufferCoord P = GetMatchingBracket();
    if (P.Char > 0 && P.Line > 0) SetCaretInternal(P);
}

bool TCustomCodeEdit::GetHighlighterAttriAtRowColEx(const TBufferCoord& XY, String& Token, int& TokenType,
                                                    int& Start, TCodeHighlighterAttributes*& Attri) const {
    Token.clear();
    Attri = nullptr;
    if (!FHighlighter || XY.Line < 1 || XY.Line > FLines->Count()) return false;
    if (XY.Line == 1)
        FHighlighter->ResetRange();
    else
        FHighlighter->SetRange(FLines->LineRange(XY.Line - 2));
    const String& S = FLines->Strings(XY.Line - 1);
    FHighlighter->SetLine(S, XY.Line - 1);
    if (XY.Char < 1 || XY.Char > static_cast<int>(S.size())) return false;
    while (!FHighlighter->GetEol()) {
        const int TokenStart = FHighlighter->GetTokenPos() + 1;
        const String T = FHighlighter->GetToken();
        if (XY.Char >= TokenStart && XY.Char < TokenStart + static_cast<int>(T.size())) {
            Token = T;
            TokenType = FHighlighter->GetTokenKind();
            Start = TokenStart;
            Attri = FHighlighter->GetTokenAttribute();
            return true;
        }
        FHighlighter->Next();
    }
    return false;
}

bool TCustomCodeEdit::GetHighlighterAttriAtRowCol(const TBufferCoord& XY, String& Token,
                                                  TCodeHighlighterAttributes*& Attri) const {
    int TokenType = 0;
    int Start = 0;
    return GetHighlighterAttriAtRowColEx(XY, Token, TokenType, Start, Attri);
}

// ---- Lines and marks ------------------------------------------------------------------------

void TCustomCodeEdit::StoreLine(int Index, const String& Text) {
    FLines->SetString(Index, FOptions.Contains(eoTrimTrailingSpaces) ? TrimTrailingSpaces(Text) : Text);
}

void TCustomCodeEdit::NotifyLinesInserted(int FirstLine, int Count) {
    for (int I = 0; I < FMarkList->Count(); ++I) {
        TCodeEditMark* Mark = FMarkList->Items(I);
        if (Mark->Line() >= FirstLine) Mark->SetLine(Mark->Line() + Count);
    }
}

void TCustomCodeEdit::NotifyLinesDeleted(int FirstLine, int Count) {
    for (int I = 0; I < FMarkList->Count(); ++I) {
        TCodeEditMark* Mark = FMarkList->Items(I);
        if (Mark->Line() >= FirstLine + Count)
            Mark->SetLine(Mark->Line() - Count);
        else if (Mark->Line() > FirstLine)
            Mark->SetLine(FirstLine);
    }
}

void TCustomCodeEdit::UpdateMouseCursor() {
    TPoint P;
    if (!GetCursorPos(P)) return;
    P = ScreenToClient(P);
    TCursor Cursor = this->Cursor();
    if (P.X < FGutterWidth) {
        Cursor = FGutter->Cursor();
    } else {
        const TBufferCoord Pos = DisplayToBufferPos(PixelsToRowColumn(P.X, P.Y));
        if (FOptions.Contains(eoDragDropEditing) && !MouseCapture() && IsPointInSelection(Pos)) Cursor = crArrow;
        if (OnMouseCursor) OnMouseCursor(this, Pos, Cursor);
        FKbdHandler->ExecuteMouseCursor(this, Pos, Cursor);
    }
    ::SetCursor(Screen->Cursors(Cursor));
}

void TCustomCodeEdit::WMSetCursor(TWMSetCursor& Message) {
    if (Message.HitTest() == HTCLIENT && Message.CursorWnd() == Handle() &&
        !ComponentState().Contains(csDesigning)) {
        UpdateMouseCursor();
        Message.Result = 1;
        return;
    }
    TCustomControl::WMSetCursor(Message);
}

