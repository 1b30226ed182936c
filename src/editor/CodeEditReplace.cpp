// The editor control's text replacement: one primitive deletes the selection and inserts a text
// in normal, line or column mode; on it rest the selected-text setter, block indentation, the
// Tab and Shift+Tab keys and the case commands, each recorded as one undo step.

#include "editor/CodeEdit.h"

#include "editor/CodeEditTextHelpers.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <vector>

namespace {

// The pieces of a text between its line breaks (CR LF, CR or LF).
std::vector<String> SplitAtBreaks(const String& Value) {
    std::vector<String> Pieces(1);
    for (size_t I = 0; I < Value.size(); ++I) {
        const Char C = Value[I];
        if (C == u'\r' || C == u'\n') {
            if (C == u'\r' && I + 1 < Value.size() && Value[I + 1] == u'\n') ++I;
            Pieces.emplace_back();
        } else {
            Pieces.back().push_back(C);
        }
    }
    return Pieces;
}

bool IsBlankOrTab(Char C) {
    return C == u' ' || C == u'\t';
}

String Padded(String S, int Length) {
    if (static_cast<int>(S.size()) < Length) S.append(static_cast<size_t>(Length) - S.size(), u' ');
    return S;
}

} // namespace

// ---- Small text helpers ---------------------------------------------------------------------

int TCustomCodeEdit::LeadingWhiteCount(const String& Text, bool ExpandTabs) const {
    if (!FOptions.Contains(eoAutoIndent) || Text.empty()) return 0;
    int Result = 0;
    for (Char C : Text) {
        if (C < 1 || C > 32) break;
        Result += ExpandTabs && C == u'\t' ? FTabWidth : 1;
    }
    return Result;
}

String TCustomCodeEdit::IndentText(int Count, bool WantTabs) const {
    Count = std::max(Count, 0);
    if (!WantTabs || FOptions.Contains(eoTabsToSpaces) || Count < FTabWidth) return String(static_cast<size_t>(Count), u' ');
    return String(static_cast<size_t>(Count / FTabWidth), u'\t') + String(static_cast<size_t>(Count % FTabWidth), u' ');
}

String TCustomCodeEdit::TrimTrailingSpaces(const String& Text) {
    size_t N = Text.size();
    while (N > 0 && IsBlankOrTab(Text[N - 1]))
        --N;
    return Text.substr(0, N);
}

// ---- Undo helpers ---------------------------------------------------------------------------

void TCustomCodeEdit::LockUndo() {
    FUndoList->Lock();
    FRedoList->Lock();
}

void TCustomCodeEdit::UnlockUndo() {
    FUndoList->Unlock();
    FRedoList->Unlock();
}

void TCustomCodeEdit::ClearUndo() {
    FUndoList->Clear();
    FRedoList->Clear();
}

// ---- The replacement primitive --------------------------------------------------------------

void TCustomCodeEdit::SetSelText(const String& Value) {
    BeginUndoBlock();
    TScopeExit End([this] { EndUndoBlock(); });
    if (SelAvail())
        FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
    else
        FActiveSelectionMode = FSelectionMode;
    TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    FBlockBegin = B;
    FBlockEnd = E;
    const TCodeSelectionMode Mode = FActiveSelectionMode;
    ReplaceSelection(Value);
    // Whole lines inserted are recorded as the range of text they make, so that Undo takes
    // out exactly them.
    if (Mode == smLine) B.Char = 1;
    if (!Value.empty() && Mode != smColumn) FUndoList->AddChange(crInsert, B, CaretXY(), String(), smNormal);
}

void TCustomCodeEdit::ReplaceSelectionInMode(TCodeSelectionMode Mode, const String& Value, bool AddToUndoList) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    FLines->BeginUpdate();
    TScopeExit EndUpdate([this] { FLines->EndUpdate(); });
    if (SelAvail()) DeleteSelectionInMode();
    if (!Value.empty()) {
        const TBufferCoord Start = CaretXY();
        const int Added = InsertTextInMode(Mode, Value, AddToUndoList);
        if (Added > 0) {
            NotifyLinesInserted(Start.Line + (Mode == smNormal && Start.Char > 1 ? 1 : 0), Added);
            SetCaretInternal(CaretXY());
        }
    }
    if (FCaretY < 1) SetCaretInternal({FCaretX, 1});
}

void TCustomCodeEdit::DeleteSelectionInMode() {
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    const int Count = FLines->Count();
    if (Count == 0) return;
    auto LineOf = [this, Count](int Line) { return Line >= 1 && Line <= Count ? FLines->Strings(Line - 1) : String(); };
    switch (FActiveSelectionMode) {
    case smNormal: {
        String S = Copy(LineOf(B.Line), 1, B.Char - 1) + Copy(LineOf(E.Line), E.Char, INT_MAX);
        if (E.Line > B.Line && B.Line < Count) FLines->DeleteLines(B.Line, std::min(E.Line, Count) - B.Line);
        if (FOptions.Contains(eoScrollPastEol) && FOptions.Contains(eoTrimTrailingSpaces)) S = TrimTrailingSpaces(S);
        if (B.Line <= FLines->Count()) FLines->SetString(B.Line - 1, S);
        FCaretX = B.Char;
        FCaretY = B.Line;
        SetCaretInternal(B);
        if (E.Line > B.Line) NotifyLinesDeleted(B.Char > 1 ? B.Line + 1 : B.Line, E.Line - B.Line);
        break;
    }
    case smLine: {
        const int Last = std::min(E.Line, Count);
        if (Last == Count) {
            FLines->SetString(Count - 1, String());
            if (Last > B.Line) FLines->DeleteLines(B.Line - 1, Last - B.Line);
        } else {
            FLines->DeleteLines(B.Line - 1, Last - B.Line + 1);
        }
        SetCaretInternal({1, B.Line});
        NotifyLinesDeleted(B.Line, E.Line - B.Line + 1);
        break;
    }
    case smColumn: {
        const int Left = std::min(B.Char, E.Char);
        const int Right = std::max(B.Char, E.Char);
        for (int Y = B.Line; Y <= std::min(E.Line, Count); ++Y) {
            String S = FLines->Strings(Y - 1);
            if (static_cast<int>(S.size()) >= Left)
                S.erase(static_cast<size_t>(Left - 1), static_cast<size_t>(Right - Left));
            StoreLine(Y - 1, S);
        }
        SetCaretInternal({Left, FBlockEnd.Line});
        break;
    }
    }
    FBlockBegin = CaretXY();
    FBlockEnd = CaretXY();
}

int TCustomCodeEdit::InsertTextInMode(TCodeSelectionMode Mode, const String& Value, bool AddToUndoList) {
    const std::vector<String> Pieces = SplitAtBreaks(Value);
    const int N = static_cast<int>(Pieces.size());
    int X = FCaretX;
    int Y = std::max(FCaretY, 1);
    int Added = 0;
    switch (Mode) {
    case smNormal: {
        if (FLines->Count() == 0) FLines->Add(String());
        while (Y > FLines->Count()) {
            FLines->Add(String());
            ++Added;
        }
        const String Line = FLines->Strings(Y - 1);
        const String Left = Padded(Copy(Line, 1, X - 1), X - 1);
        const String Right = Copy(Line, X, INT_MAX);
        String Stored;
        if (N == 1) {
            Stored = Left + Pieces[0] + Right;
            FLines->SetString(Y - 1, Stored);
        } else {
            FLines->SetString(Y - 1, Left + Pieces[0]);
            FLines->InsertLines(Y, N - 1);
            for (int I = 1; I < N; ++I) {
                Stored = I == N - 1 ? Pieces[static_cast<size_t>(I)] + Right : Pieces[static_cast<size_t>(I)];
                StoreLine(Y - 1 + I, Stored);
            }
            Y += N - 1;
            Added += N - 1;
        }
        const String& Now = FLines->Strings(Y - 1);
        if (FOptions.Contains(eoTrimTrailingSpaces)) {
            if (Right.empty())
                X = ExpandedLength(Now, FTabWidth) + 1;
            else
                X = static_cast<int>(Now.size()) + 1 - static_cast<int>(TrimTrailingSpaces(Right).size());
        } else {
            X = static_cast<int>(Stored.size()) + 1 - static_cast<int>(Right.size());
        }
        break;
    }
    case smColumn: {
        const int K = X;
        int LastLength = 0;
        for (int I = 0; I < N; ++I) {
            if (I > 0) ++Y;
            const String& Piece = Pieces[static_cast<size_t>(I)];
            if (Piece.empty()) continue;
            // Blanks that fill a short line up to the column belong to the record, so that Undo
            // takes them away as well.
            int From = K;
            if (Y > FLines->Count()) {
                // Each appended line is a line break at the end of the one before, so that Undo
                // takes away every line the insertion added, also those left empty by empty
                // rows of the block.
                while (FLines->Count() < Y) {
                    const int Prev = FLines->Count();
                    if (AddToUndoList && Prev > 0) {
                        const TBufferCoord End{FLines->LineCharLength(Prev - 1) + 1, Prev};
                        FUndoList->AddChange(crLineBreak, End, End, String(), FActiveSelectionMode);
                    }
                    FLines->Add(String());
                    ++Added;
                }
                StoreLine(Y - 1, String(static_cast<size_t>(K - 1), u' ') + Piece);
            } else {
                const String Old = FLines->Strings(Y - 1);
                From = std::min(K, static_cast<int>(Old.size()) + 1);
                String S = Padded(Old, K - 1);
                S.insert(static_cast<size_t>(K - 1), Piece);
                StoreLine(Y - 1, S);
            }
            if (AddToUndoList)
                FUndoList->AddChange(crPaste, {From, Y}, {K + static_cast<int>(Piece.size()), Y}, String(),
                                     FActiveSelectionMode);
            LastLength = static_cast<int>(Piece.size());
        }
        X = K + LastLength;
        break;
    }
    case smLine: {
        X = 1;
        for (int I = 0; I < N - 1; ++I) {
            if (Y > FLines->Count()) {
                FLines->Add(String());
                ++Added;
            } else if (Y == FLines->Count() || FInserting) {
                FLines->Insert(Y - 1, String());
                ++Added;
            }
            StoreLine(Y - 1, Pieces[static_cast<size_t>(I)]);
            ++Y;
        }
        const String& Last = Pieces.back();
        String S;
        if (Y > FLines->Count()) {
            S = Last;
            FLines->Add(String());
            ++Added;
        } else {
            S = Last + FLines->Strings(Y - 1);
        }
        if (FOptions.Contains(eoTrimTrailingSpaces)) S = TrimTrailingSpaces(S);
        FLines->SetString(Y - 1, S);
        X = static_cast<int>(Last.size()) + 1;
        break;
    }
    }
    FCaretX = X;
    FCaretY = Y;
    FStateFlags += TCodeStateFlags{sfCaretChanged, sfScrollbarChanged};
    AddStatusChanges({scCaretX, scCaretY});
    return Added;
}

void TCustomCodeEdit::InsertBlock(const TBufferCoord& BB, const TBufferCoord& BE, const String& ChangeStr,
                                  bool AddToUndoList) {
    SetCaretAndSelection(BB, BB, BE);
    FActiveSelectionMode = smColumn;
    ReplaceSelectionInMode(smColumn, ChangeStr, AddToUndoList);
    AddStatusChanges({scSelection});
}

// ---- Block indentation ----------------------------------------------------------------------

void TCustomCodeEdit::DoBlockIndent() {
    if (!SelAvail()) return;
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    const TBufferCoord OldCaret = CaretXY();
    const TCodeSelectionMode OldMode = FActiveSelectionMode;
    const int Last = E.Char == 1 ? E.Line - 1 : E.Line;
    const String Unit = FOptions.Contains(eoTabsToSpaces) ? String(static_cast<size_t>(FTabWidth), u' ') : String(u"\t");
    const int U = static_cast<int>(Unit.size());
    String Text;
    for (int Y = B.Line; Y <= Last; ++Y)
        Text += (Y > B.Line ? u"\r\n" : u"") + Unit;
    {
        BeginUndoBlock();
        TScopeExit End([this] { EndUndoBlock(); });
        const int X = OldMode == smColumn ? std::min(B.Char, E.Char) : 1;
        InsertBlock({X, B.Line}, {X, B.Line}, Text, true);
        FUndoList->AddChange(crIndent, B, E, String(), smColumn);
        FUndoList->AddChange(crIndent, {B.Char + U, B.Line}, {E.Char + U, E.Line}, String(), smColumn);
    }
    const TBufferCoord NewEnd = E.Char == 1 ? E : TBufferCoord{E.Char + U, E.Line};
    const int CaretX = E.Char == 1 ? 1 : OldCaret.Char + (FOptions.Contains(eoTabsToSpaces) ? FTabWidth : 1);
    SetCaretAndSelection({CaretX, OldCaret.Line}, {B.Char + U, B.Line}, NewEnd);
    SetActiveSelectionMode(OldMode);
}

void TCustomCodeEdit::DoBlockUnindent() {
    if (!SelAvail()) return;
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    TBufferCoord Caret = CaretXY();
    const TCodeSelectionMode OldMode = FActiveSelectionMode;
    const bool ColumnMode = OldMode == smColumn;
    const int Last = std::min(E.Char == 1 ? E.Line - 1 : E.Line, FLines->Count());
    String Removed;
    std::vector<int> Widths;
    bool Removable = false;
    for (int Y = B.Line; Y <= Last; ++Y) {
        const String& S = FLines->Strings(Y - 1);
        const int Len = static_cast<int>(S.size());
        const int Off = ColumnMode ? std::min({B.Char - 1, E.Char - 1, Len}) : 0;
        int W = 0;
        if (Off < Len && S[static_cast<size_t>(Off)] == u'\t') {
            W = 1;
        } else {
            while (Off + W < Len && W < FTabWidth && S[static_cast<size_t>(Off + W)] == u' ')
                ++W;
            if (W < FTabWidth && Off + W < Len && S[static_cast<size_t>(Off + W)] == u'\t') ++W;
        }
        if (Off < Len && IsBlankOrTab(S[static_cast<size_t>(Off)])) Removable = true;
        Removed += (Y > B.Line ? u"\r\n" : u"") + S.substr(static_cast<size_t>(Off), static_cast<size_t>(W));
        Widths.push_back(W);
        if (Y == Caret.Line && Caret.Char != 1) Caret.Char = std::max(1, Caret.Char - W);
    }
    if (!Removable) return;
    const int DelCol = ColumnMode ? std::min(B.Char, E.Char) : 1;
    {
        FLines->BeginUpdate();
        TScopeExit EndUpdate([this] { FLines->EndUpdate(); });
        for (int Y = B.Line; Y <= Last; ++Y) {
            const int W = Widths[static_cast<size_t>(Y - B.Line)];
            if (W == 0) continue;
            String S = FLines->Strings(Y - 1);
            S.erase(static_cast<size_t>(DelCol - 1), static_cast<size_t>(W));
            FLines->SetString(Y - 1, S);
        }
    }
    FUndoList->AddChange(crUnindent, B, E, Removed, OldMode);
    if (ColumnMode) {
        SetCaretAndSelection(CaretXY(), B, E);
    } else {
        const int F = Widths.front();
        const int Lw = Widths.back();
        SetCaretAndSelection(Caret, {std::max(1, B.Char - F), B.Line}, {std::max(1, E.Char - Lw), E.Line});
    }
    SetActiveSelectionMode(OldMode);
}

// ---- Tab and Shift+Tab ----------------------------------------------------------------------

void TCustomCodeEdit::TabKey() {
    if (FOptions.Contains(eoTabIndent) && (SelTabBlock() || SelTabLine())) {
        const bool WholeLine = SelTabLine();
        DoBlockIndent();
        if (WholeLine) {
            if (FBlockBegin.Char < FBlockEnd.Char)
                FBlockBegin.Char = 1;
            else
                FBlockEnd.Char = 1;
            InvalidateSelection();
        }
        return;
    }
    const int Count = FLines->Count();
    int SmartWidth = 0;
    bool SmartFound = false;
    int TargetColumn = 0;
    if (FOptions.Contains(eoSmartTabs) && FCaretY > 1 && FCaretY <= Count) {
        const int Column = DisplayX();
        for (int Y = FCaretY - 1; Y >= 1; --Y) {
            const String& S = FLines->Strings(Y - 1);
            const int M = DisplayToBufferPos({Column, Y}).Char;
            if (static_cast<int>(S.size()) < M) continue;
            int I = M - 1;
            while (I < static_cast<int>(S.size()) && !IsBlankOrTab(S[static_cast<size_t>(I)]))
                ++I;
            while (I < static_cast<int>(S.size()) && IsBlankOrTab(S[static_cast<size_t>(I)]))
                ++I;
            SmartWidth = I - (M - 1);
            SmartFound = SmartWidth > 0;
            TargetColumn = BufferToDisplayPos({M + SmartWidth, Y}).Column;
            break;
        }
    }
    int NewX;
    {
        BeginUndoBlock();
        TScopeExit End([this] { EndUndoBlock(); });
        if (SelAvail()) {
            FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
            ReplaceSelectionInMode(FActiveSelectionMode, String(), false);
        }
        const int X = FCaretX;
        const int Y = FCaretY;
        const String Line = LineText();
        int W = SmartWidth;
        if (W == 0) W = FOptions.Contains(eoTabsToSpaces) ? FTabWidth - (X - 1) % FTabWidth : FTabWidth;
        String T;
        const int DisplayColumn = DisplayX();
        if (FOptions.Contains(eoTabsToSpaces)) {
            T = String(static_cast<size_t>(W), u' ');
            NewX = X + W;
        } else if (FOptions.Contains(eoTrimTrailingSpaces) && X > static_cast<int>(Line.size())) {
            NewX = X + (SmartFound ? TargetColumn - DisplayColumn : FTabWidth - (DisplayColumn - 1) % FTabWidth);
        } else {
            const bool OnlyWhiteBefore = std::all_of(Line.begin(), Line.begin() + std::min<size_t>(Line.size(), X - 1),
                                                     [](Char C) { return IsBlankOrTab(C); });
            if (SmartFound && OnlyWhiteBefore) {
                int D = TargetColumn - DisplayColumn;
                const int ToNextStop = FTabWidth - (DisplayColumn - 1) % FTabWidth;
                if (D >= ToNextStop) {
                    T += u'\t';
                    D -= ToNextStop;
                    while (D >= FTabWidth) {
                        T += u'\t';
                        D -= FTabWidth;
                    }
                }
                T.append(static_cast<size_t>(std::max(D, 0)), u' ');
            } else {
                T = u"\t";
            }
            const bool Blank = TrimTrailingSpaces(Line).empty();
            NewX = FOptions.Contains(eoTrimTrailingSpaces) && Blank ? X + ExpandedLength(T, FTabWidth)
                                                                     : X + static_cast<int>(T.size());
        }
        if (!T.empty()) ReplaceSelection(T);
        if (FActiveSelectionMode != smColumn && !T.empty())
            FUndoList->AddChange(crInsert, {X, Y}, {X + static_cast<int>(T.size()), Y}, String(), FActiveSelectionMode);
    }
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    TScopeExit Restore([this, WasPastEol] {
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    SetCaretXY({NewX, FCaretY});
}

void TCustomCodeEdit::ShiftTabKey() {
    if (FOptions.Contains(eoTabIndent) && (SelTabBlock() || SelTabLine())) {
        DoBlockUnindent();
        return;
    }
    const int X = FCaretX;
    const int Y = FCaretY;
    int N = X;
    if (FOptions.Contains(eoSmartTabs) && X > 1 && Y > 1) {
        for (int I = Y - 1; I >= 1; --I) {
            const String& S = FLines->Strings(I - 1);
            if (static_cast<int>(S.size()) < X - 1) continue;
            // From the character left of the caret back over blanks, then to the start of the
            // word there: the previous word start of the line above.
            N = X - 1;
            while (N > 1 && S[static_cast<size_t>(N - 1)] == u' ')
                --N;
            while (N > 1 && S[static_cast<size_t>(N - 2)] != u' ')
                --N;
            break;
        }
    }
    const String Line = LineText();
    if (N == X) {
        const int P = ((X - 2) / FTabWidth) * FTabWidth + 1;
        if (X > static_cast<int>(Line.size()))
            N = P;
        else if (X > 1 && Line[static_cast<size_t>(X - 2)] == u'\t' && P < X)
            N = X - 1;
        else
            while (N > P && N > 1 && Line[static_cast<size_t>(N - 2)] == u' ')
                --N;
    }
    N = std::max(N, 1);
    if (N == X) return;
    const String Deleted = Copy(Line, N, X - N);
    {
        IncPaintLock();
        TScopeExit Unlock([this] { DecPaintLock(); });
        const TCodeSelectionMode OldMode = FActiveSelectionMode;
        FBlockBegin = {N, Y};
        FBlockEnd = {X, Y};
        FActiveSelectionMode = smNormal;
        ReplaceSelectionInMode(smNormal, String(), false);
        FActiveSelectionMode = OldMode;
        FUndoList->AddChange(crSilentDelete, {N, Y}, {X, Y}, Deleted, smNormal);
    }
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    TScopeExit Restore([this, WasPastEol] {
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    SetCaretXY({N, Y});
}

// ---- Case -----------------------------------------------------------------------------------

void TCustomCodeEdit::ChangeCase(TCodeEditorCommand Command) {
    if (Command < ecUpperCase || Command > ecToggleCaseBlock) throw EAssertionFailed(u"Assertion failure");
    const bool HadSelection = SelAvail();
    const TBufferCoord OldBegin = FBlockBegin;
    const TBufferCoord OldEnd = FBlockEnd;
    const TBufferCoord OldCaret = CaretXY();
    const bool WordCommand = Command <= ecTitleCase;
    TScopeExit Finally([&] {
        if (!WordCommand && HadSelection) {
            SetCaretXY(OldCaret);
            SetBlockBegin(OldBegin);
            SetBlockEnd(OldEnd);
        } else if (WordCommand) {
            SetCaretXY(OldCaret);
        }
    });
    if (WordCommand) {
        SetSelWord();
        for (int Tries = 0; Tries < 2 && SelText().empty(); ++Tries) {
            SetCaretXY(PrevWordPos());
            SetSelWord();
        }
    } else if (!HadSelection) {
        if (FCaretX > static_cast<int>(LineText().size())) {
            if (FCaretY < FLines->Count()) SetCaretXY({1, FCaretY + 1});
        } else {
            MoveCaretByColumns(1, true);
        }
    }
    const String Text = SelText();
    if (Text.empty()) return;
    String Converted;
    switch (Command) {
    case ecUpperCase:
    case ecUpperCaseBlock:
        Converted = UpperCaseText(Text);
        break;
    case ecLowerCase:
    case ecLowerCaseBlock:
        Converted = LowerCaseText(Text);
        break;
    case ecToggleCase:
    case ecToggleCaseBlock:
        Converted = Text;
        for (Char& C : Converted) {
            const Char Up = UpperCaseChar(C);
            C = Up == C ? LowerCaseChar(C) : Up;
        }
        break;
    default:
        Converted = UpperCaseText(Text.substr(0, 1)) + LowerCaseText(Text.substr(1));
        break;
    }
    BeginUndoBlock();
    TScopeExit End([this] { EndUndoBlock(); });
    FUndoList->AddChange(crSelection, BlockBegin(), BlockEnd(), String(), FActiveSelectionMode);
    FUndoList->AddChange(crCaret, CaretXY(), CaretXY(), String(), FActiveSelectionMode);
    SetSelText(Converted);
}
