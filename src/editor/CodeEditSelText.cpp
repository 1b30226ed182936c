// Replacing the selection: the one primitive behind every change of a range of text, in the three
// selection modes, and the SelText setter that wraps it with undo records.

#include "editor/CodeEdit.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <climits>
#include <vector>

namespace {

// Value split at CR LF, CR or LF; a text ending in a break has an empty last piece.
std::vector<String> SplitPieces(const String& Value) {
    std::vector<String> Pieces(1);
    for (size_t I = 0; I < Value.size(); ++I) {
        const Char C = Value[I];
        if (C == u'\r' || C == u'\n') {
            if (C == u'\r' && I + 1 < Value.size() && Value[I + 1] == u'\n') ++I;
            Pieces.emplace_back();
        } else {
            Pieces.back() += C;
        }
    }
    return Pieces;
}

String TrimRightBlanks(String S) {
    while (!S.empty() && (S.back() == u' ' || S.back() == u'\t'))
        S.pop_back();
    return S;
}

} // namespace

void TCustomCodeEdit::SetSelText(const String& Value) {
    BeginUndoBlock();
    TScopeExit EndBlock([this] { EndUndoBlock(); });
    if (SelAvail())
        FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
    else
        FActiveSelectionMode = FSelectionMode;
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    FBlockBegin = B;
    FBlockEnd = E;
    ReplaceSelection(Value);
    if (!Value.empty() && FActiveSelectionMode != smColumn)
        FUndoList->AddChange(crInsert, B, BlockEnd(), String(), FActiveSelectionMode);
}

void TCustomCodeEdit::ReplaceSelectionInMode(TCodeSelectionMode Mode, const String& Value, bool AddToUndoList) {
    IncPaintLock();
    FLines->BeginUpdate();
    TScopeExit Unlock([this] {
        FLines->EndUpdate();
        DecPaintLock();
    });
    auto LineOf = [this](int Line) {
        return Line >= 1 && Line <= FLines->Count() ? FLines->Strings(Line - 1) : String();
    };
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    if (SelAvail()) {
        switch (FActiveSelectionMode) {
        case smNormal:
            if (FLines->Count() > 0) {
                String S = Copy(LineOf(B.Line), 1, B.Char - 1) + Copy(LineOf(E.Line), E.Char, INT_MAX);
                FLines->DeleteLines(B.Line, E.Line - B.Line);
                if (FOptions.Contains(eoScrollPastEol) && FOptions.Contains(eoTrimTrailingSpaces))
                    S = TrimRightBlanks(S);
                FLines->SetString(B.Line - 1, S);
            }
            FCaretX = B.Char;
            FCaretY = B.Line;
            break;
        case smLine:
            if (E.Line >= FLines->Count()) {
                FLines->DeleteLines(B.Line - 1, E.Line - B.Line);
                if (FLines->Count() > 0) FLines->SetString(FLines->Count() - 1, String());
            } else {
                FLines->DeleteLines(B.Line - 1, E.Line - B.Line + 1);
            }
            FCaretX = 1;
            FCaretY = B.Line;
            break;
        case smColumn: {
            const int Left = std::min(B.Char, E.Char);
            const int Right = std::max(B.Char, E.Char);
            for (int Line = B.Line; Line <= E.Line && Line <= FLines->Count(); ++Line) {
                String S = LineOf(Line);
                if (Left <= static_cast<int>(S.size())) {
                    Delete(S, Left, Right - Left);
                    FLines->SetString(Line - 1, S);
                }
            }
            FCaretX = Left;
            FCaretY = FBlockEnd.Line;
            break;
        }
        }
    }

    const int CountBefore = FLines->Count();
    if (!Value.empty()) {
        const std::vector<String> Pieces = SplitPieces(Value);
        if (FLines->Count() == 0) FLines->Add(String());
        const int X = FCaretX;
        const int Y = std::min(FCaretY, FLines->Count());
        switch (Mode) {
        case smNormal: {
            const String Line = LineOf(Y);
            String Left = Copy(Line, 1, X - 1);
            if (static_cast<int>(Left.size()) < X - 1) Left.append(static_cast<size_t>(X - 1) - Left.size(), u' ');
            const String Right = Copy(Line, X, INT_MAX);
            const int N = static_cast<int>(Pieces.size());
            if (N == 1) {
                FLines->SetString(Y - 1, Left + Pieces[0] + Right);
                FCaretX = static_cast<int>(Left.size() + Pieces[0].size()) + 1;
            } else {
                FLines->SetString(Y - 1, Left + Pieces[0]);
                FLines->InsertLines(Y, N - 1);
                for (int I = 1; I < N; ++I)
                    FLines->SetString(Y - 1 + I, I == N - 1 ? Pieces[I] + Right : Pieces[I]);
                FCaretX = static_cast<int>(Pieces[N - 1].size()) + 1;
            }
            FCaretY = Y + N - 1;
            break;
        }
        case smColumn: {
            int Line = Y;
            int LastLen = 0;
            for (size_t I = 0; I < Pieces.size(); ++I) {
                const String& Piece = Pieces[I];
                if (!Piece.empty()) {
                    if (Line > FLines->Count()) {
                        const TBufferCoord PrevEnd{FLines->LineCharLength(FLines->Count() - 1) + 1, FLines->Count()};
                        FLines->Add(String(static_cast<size_t>(X - 1), u' ') + Piece);
                        if (AddToUndoList)
                            FUndoList->AddChange(crLineBreak, PrevEnd, PrevEnd, String(), FActiveSelectionMode);
                    } else {
                        String S = LineOf(Line);
                        if (static_cast<int>(S.size()) < X - 1) S.append(static_cast<size_t>(X - 1) - S.size(), u' ');
                        S.insert(static_cast<size_t>(X - 1), Piece);
                        FLines->SetString(Line - 1, S);
                    }
                    if (AddToUndoList)
                        FUndoList->AddChange(crPaste, {X, Line}, {X + static_cast<int>(Piece.size()), Line}, String(),
                                             FActiveSelectionMode);
                    LastLen = static_cast<int>(Piece.size());
                }
                if (I + 1 < Pieces.size()) ++Line;
            }
            FCaretX = X + LastLen;
            FCaretY = Line;
            break;
        }
        case smLine: {
            int Line = Y;
            for (size_t I = 0; I + 1 < Pieces.size(); ++I) {
                if (Line >= FLines->Count() || FInserting) {
                    FLines->InsertLines(Line - 1, 1);
                }
                FLines->SetString(Line - 1, Pieces[I]);
                ++Line;
            }
            const String& Last = Pieces.back();
            if (Line > FLines->Count()) {
                FLines->Add(Last);
            } else {
                String S = Last + LineOf(Line);
                if (FOptions.Contains(eoTrimTrailingSpaces)) S = TrimRightBlanks(S);
                FLines->SetString(Line - 1, S);
            }
            FCaretX = static_cast<int>(Last.size()) + 1;
            FCaretY = Line;
            break;
        }
        }
    }
    if (FCaretY < 1) FCaretY = 1;
    const bool LinesAdded = FLines->Count() > CountBefore;
    // The text changed under caret and selection: both ends go to the caret, kept in the text.
    FStateFlags += TCodeStateFlags{sfCaretChanged, sfScrollbarChanged};
    PlaceCaret(CaretXY(), LinesAdded);
    FBlockBegin = CaretXY();
    FBlockEnd = CaretXY();
    AddStatusChanges({scCaretX, scCaretY, scSelection});
}

void TCustomCodeEdit::InsertBlock(const TBufferCoord& BB, const TBufferCoord& BE, const String& Text,
                                  bool AddToUndoList) {
    SetCaretAndSelection(BB, BB, BE);
    FActiveSelectionMode = smColumn;
    ReplaceSelectionInMode(smColumn, Text, AddToUndoList);
    AddStatusChanges({scSelection});
}
