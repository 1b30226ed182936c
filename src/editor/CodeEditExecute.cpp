// The editor control's own meaning of its commands: the dispatch of every command number below
// the application's range, and the editing commands carried out here (Backspace, Delete, word
// and line deletions, line break with auto-indentation, typing in insert and overwrite mode).

#include "editor/CodeEdit.h"

#include "editor/CodeEditTextHelpers.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <climits>

namespace {

bool IsBlankOrTab(Char C) {
    return C == u' ' || C == u'\t';
}

bool Before(const TBufferCoord& A, const TBufferCoord& B) {
    return A.Line < B.Line || (A.Line == B.Line && A.Char < B.Char);
}

} // namespace

// ---- Dispatch -------------------------------------------------------------------------------

void TCustomCodeEdit::ExecuteCommand(TCodeEditorCommand Command, Char AChar, void* Data) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    const bool Sel = Command >= ecSelection && Command <= ecSelGotoXY;
    const TCodeEditorCommand Move = Sel ? TCodeEditorCommand(Command - ecSelection) : Command;
    const bool Editing = (Command >= ecDeleteLastChar && Command <= ecChar) || Command == ecImeStr ||
                         (Command >= ecUndo && Command <= ecPaste && Command != ecCopy) ||
                         (Command >= ecBlockIndent && Command <= ecToggleCaseBlock);
    if (Editing && ReadOnly()) return;
    if ((Command >= ecLeft && Command <= ecGotoXY) || (Command >= ecSelLeft && Command <= ecSelGotoXY)) {
        switch (Move) {
        case ecLeft:
        case ecRight:
            MoveCaretByColumns(Move == ecLeft ? -1 : 1, Sel);
            break;
        case ecUp:
        case ecDown:
            MoveCaretByRows(Move == ecUp ? -1 : 1, Sel);
            break;
        case ecWordLeft:
            MoveCaretWithSelection(CaretXY(), PrevWordPos(), Sel);
            break;
        case ecWordRight:
            MoveCaretWithSelection(CaretXY(), NextWordPos(), Sel);
            break;
        case ecLineStart:
            SmartLineStart(Sel);
            break;
        case ecLineEnd:
            SmartLineEnd(Sel);
            break;
        case ecPageUp:
        case ecPageDown: {
            int N = FLinesInWindow;
            if (FOptions.Contains(eoHalfPageScroll)) N >>= 1;
            if (FOptions.Contains(eoScrollByOneLess)) --N;
            if (Move == ecPageUp) N = -N;
            SetTopLine(FTopLine + N);
            MoveCaretByRows(N, Sel);
            break;
        }
        case ecPageLeft:
        case ecPageRight:
            MoveCaretByColumns(Move == ecPageLeft ? -FCharsInWindow : FCharsInWindow, Sel);
            break;
        case ecPageTop:
            MoveCaretWithSelection(CaretXY(), DisplayToBufferPos({DisplayX(), FTopLine}), Sel);
            break;
        case ecPageBottom:
            MoveCaretWithSelection(CaretXY(), DisplayToBufferPos({DisplayX(), FTopLine + FLinesInWindow - 1}), Sel);
            break;
        case ecEditorTop:
            MoveCaretWithSelection(CaretXY(), {1, 1}, Sel);
            break;
        case ecEditorBottom: {
            const int Count = FLines->Count();
            const TBufferCoord End = Count > 0 ? TBufferCoord{FLines->LineCharLength(Count - 1) + 1, Count}
                                               : TBufferCoord{1, 0};
            MoveCaretWithSelection(CaretXY(), End, Sel);
            break;
        }
        case ecGotoXY:
            if (Data) MoveCaretWithSelection(CaretXY(), *static_cast<const TBufferCoord*>(Data), Sel);
            break;
        default:
            break;
        }
        return;
    }
    if (Command >= ecGotoMarker0 && Command <= ecGotoMarker9) {
        if (FBookMarkOpt->EnableKeys()) GotoBookMark(Command - ecGotoMarker0);
        return;
    }
    if (Command >= ecSetMarker0 && Command <= ecSetMarker9) {
        if (FBookMarkOpt->EnableKeys()) ToggleBookmark(Command - ecSetMarker0, Data);
        return;
    }
    switch (Command) {
    case ecSelWord:
        SetSelWord();
        break;
    case ecSelectAll:
        SelectAll();
        break;
    case ecCopy:
        CopyToClipboard();
        break;
    case ecCut:
        if (SelAvail()) CutToClipboard();
        break;
    case ecPaste:
        PasteFromClipboard();
        break;
    case ecUndo:
        Undo();
        break;
    case ecRedo:
        Redo();
        break;
    case ecScrollUp:
    case ecScrollDown: {
        const int Row = DisplayY();
        if (Row < FTopLine || Row >= FTopLine + FLinesInWindow) {
            EnsureCursorPosVisible();
            break;
        }
        SetTopLine(FTopLine + (Command == ecScrollUp ? -1 : 1));
        if (Command == ecScrollUp && Row > FTopLine + FLinesInWindow - 1)
            MoveCaretByRows(FTopLine + FLinesInWindow - 1 - Row, false);
        else if (Command == ecScrollDown && Row < FTopLine)
            MoveCaretByRows(FTopLine - Row, false);
        EnsureCursorPosVisible();
        break;
    }
    case ecScrollLeft:
        SetLeftChar(FLeftChar - 1);
        break;
    case ecScrollRight:
        SetLeftChar(FLeftChar + 1);
        break;
    case ecInsertMode:
        SetInsertMode(true);
        break;
    case ecOverwriteMode:
        SetInsertMode(false);
        break;
    case ecToggleMode:
        SetInsertMode(!InsertMode());
        break;
    case ecNormalSelect:
        SetSelectionMode(smNormal);
        break;
    case ecColumnSelect:
        SetSelectionMode(smColumn);
        break;
    case ecLineSelect:
        SetSelectionMode(smLine);
        break;
    case ecMatchBracket:
        FindMatchingBracket();
        break;
    case ecContextHelp:
        if (OnContextHelp) OnContextHelp(this, WordAtCursor());
        break;
    case ecDeleteLastChar:
        if (SelAvail())
            DeleteSelectionRecorded();
        else
            DeleteLastChar();
        break;
    case ecDeleteChar:
        if (SelAvail())
            DeleteSelectionRecorded();
        else
            DeleteChar();
        break;
    case ecDeleteWord:
    case ecDeleteEOL:
    case ecDeleteLastWord:
    case ecDeleteBOL:
        DeleteWordOrLinePart(Command);
        break;
    case ecDeleteLine:
        DeleteCaretLine();
        break;
    case ecClearAll:
        ClearAll();
        break;
    case ecLineBreak:
    case ecInsertLine:
        InsertLineBreak(Command == ecLineBreak);
        break;
    case ecChar:
        TypeChar(AChar);
        break;
    case ecImeStr:
        if (Data) TypeImeString(String(static_cast<const Char*>(Data)));
        break;
    case ecBlockIndent:
        DoBlockIndent();
        break;
    case ecBlockUnindent:
        DoBlockUnindent();
        break;
    case ecTab:
        TabKey();
        break;
    case ecShiftTab:
        ShiftTabKey();
        break;
    case ecUpperCase:
    case ecLowerCase:
    case ecToggleCase:
    case ecTitleCase:
    case ecUpperCaseBlock:
    case ecLowerCaseBlock:
    case ecToggleCaseBlock:
        ChangeCase(Command);
        break;
    default:
        break;
    }
}

// ---- Bookmarks ------------------------------------------------------------------------------

void TCustomCodeEdit::ToggleBookmark(int N, void* Data) {
    const TBufferCoord P = Data ? *static_cast<const TBufferCoord*>(Data) : CaretXY();
    int X = 0;
    int Y = 0;
    // On the bookmark's own line the command removes it; on any other line it moves it there.
    if (FBookMarks[static_cast<size_t>(N)] && GetBookMark(N, X, Y)) {
        ClearBookMark(N);
        if (Y != P.Line) SetBookMark(N, P.Char, P.Line);
    } else {
        SetBookMark(N, P.Char, P.Line);
    }
}

void TCustomCodeEdit::ClearAll() {
    FBookMarks.fill(nullptr);
    FMarkList->Clear();
    FLines->Clear();
    ClearUndo();
    SetModified(false);
}

// ---- Deletions ------------------------------------------------------------------------------

void TCustomCodeEdit::DeleteSelectionRecorded() {
    const TBufferCoord Anchor = FBlockBegin;
    const TBufferCoord Other = FBlockEnd;
    const String Text = SelText();
    ReplaceSelectionInMode(FActiveSelectionMode, String(), true);
    FUndoList->AddChange(Before(Anchor, Other) ? crDelete : crDeleteAfterCursor, Anchor, Other, Text,
                         FActiveSelectionMode);
}

int TCustomCodeEdit::NearestSmallerIndent(int Line, int Amount, bool ExpandTabs) const {
    for (int Y = Line - 1; Y >= 1; --Y) {
        const int N = LeadingWhiteCount(FLines->Strings(Y - 1), ExpandTabs);
        if (N < Amount) return N;
    }
    return 0;
}

String TCustomCodeEdit::DeleteRange(const TBufferCoord& From, const TBufferCoord& To, bool KeepColumn) {
    const String First = FLines->Strings(From.Line - 1);
    const String Last = FLines->Strings(To.Line - 1);
    String Deleted;
    if (From.Line == To.Line) {
        Deleted = Copy(First, From.Char, To.Char - From.Char);
    } else {
        Deleted = Copy(First, From.Char, INT_MAX);
        for (int Y = From.Line + 1; Y < To.Line; ++Y)
            Deleted += u"\r\n" + FLines->Strings(Y - 1);
        Deleted += u"\r\n" + Copy(Last, 1, To.Char - 1);
    }
    String Head = Copy(First, 1, From.Char - 1);
    if (KeepColumn && static_cast<int>(Head.size()) < From.Char - 1)
        Head.append(static_cast<size_t>(From.Char - 1) - Head.size(), u' ');
    const String Joined = Head + Copy(Last, To.Char, INT_MAX);
    if (To.Line > From.Line) FLines->DeleteLines(From.Line, To.Line - From.Line);
    FLines->SetString(From.Line - 1, Joined);
    if (To.Line > From.Line) NotifyLinesDeleted(From.Char > 1 ? From.Line + 1 : From.Line, To.Line - From.Line);
    return Deleted;
}

void TCustomCodeEdit::DeleteLastChar() {
    FirePaintTransientEx(ttBefore, true);
    TScopeExit After([this] { FirePaintTransientEx(ttAfter, true); });
    if (FLines->Count() == 0) return;
    const TBufferCoord Old = CaretXY();
    const int X = FCaretX;
    const int Y = FCaretY;
    String T = LineText();
    const int L = static_cast<int>(T.size());
    String Deleted;
    int NewX = X;
    if (X > L + 1) {
        if (FOptions.Contains(eoSmartTabDelete))
            NewX = L == 0 ? NearestSmallerIndent(Y, X - 1, FOptions.Contains(eoTrimTrailingSpaces)) + 1 : L + 1;
        else
            NewX = X - 1;
        SetCaretInternal({NewX, Y});
    } else if (X == 1) {
        if (Y == 1) return;
        const String Prev = FLines->Strings(Y - 2);
        FLines->Delete(Y - 1);
        NotifyLinesDeleted(Y, 1);
        FLines->SetString(Y - 2, Prev + (FOptions.Contains(eoTrimTrailingSpaces) ? TrimTrailingSpaces(T) : T));
        SetCaretInternal({static_cast<int>(Prev.size()) + 1, Y - 1});
        Deleted = u"\r\n";
    } else {
        const int Lead = LeadingWhiteCount(T);
        int Count = 1;
        bool FromStart = false;
        if (T[static_cast<size_t>(X - 2)] <= 32 && Lead == X - 1) {
            if (FOptions.Contains(eoSmartTabDelete)) {
                Count = Lead - NearestSmallerIndent(Y, Lead, false);
                FromStart = true;
            } else {
                // Back to the previous tab stop.
                const int Column = DisplayX();
                int K = (Column - 1) % FTabWidth;
                if (K == 0) K = FTabWidth;
                const String Expanded = ExpandTabsAny(T, FTabWidth);
                int I = Column - K;
                Count = 0;
                while (Count < FTabWidth && Count < K && I >= 1 && I <= static_cast<int>(Expanded.size()) &&
                       Expanded[static_cast<size_t>(I - 1)] != u'\t') {
                    ++Count;
                    ++I;
                }
                if (I >= 1 && I <= static_cast<int>(Expanded.size()) && Expanded[static_cast<size_t>(I - 1)] == u'\t')
                    ++Count;
                Count = std::max(1, std::min(Count, X - 1));
                FromStart = Count == Lead;
            }
        }
        if (FromStart) {
            Deleted = T.substr(0, static_cast<size_t>(Count));
            T.erase(0, static_cast<size_t>(Count));
        } else {
            Deleted = T.substr(static_cast<size_t>(X - 1 - Count), static_cast<size_t>(Count));
            T.erase(static_cast<size_t>(X - 1 - Count), static_cast<size_t>(Count));
        }
        NewX = X - Count;
        StoreLine(Y - 1, T);
        const String& Stored = FLines->Strings(Y - 1);
        if (FOptions.Contains(eoTrimTrailingSpaces) && T.find(u'\t') != String::npos && Stored.size() < T.size()) {
            // The caret keeps the column it had in the untrimmed text.
            const int Column = ExpandedLength(T.substr(0, static_cast<size_t>(NewX - 1)), FTabWidth) + 1;
            NewX = static_cast<int>(Stored.size()) + 1 + (Column - (ExpandedLength(Stored, FTabWidth) + 1));
            const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
            FOptions.Include(eoScrollPastEol);
            SetCaretInternal({NewX, Y});
            if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
        } else {
            SetCaretInternal({NewX, Y});
        }
    }
    if (CaretXY() != Old) FUndoList->AddChange(crSilentDelete, CaretXY(), Old, Deleted, smNormal);
    SetCaretXY(CaretXY());
}

void TCustomCodeEdit::DeleteChar() {
    FirePaintTransient(ttBefore);
    TScopeExit After([this] { FirePaintTransient(ttAfter); });
    FLastCaretX = DisplayX();
    const int Count = FLines->Count();
    if (Count == 0) return;
    const int X = FCaretX;
    const int Y = FCaretY;
    String T = LineText();
    const int L = static_cast<int>(T.size());
    String Deleted;
    TBufferCoord End;
    if (X <= L) {
        Deleted = T.substr(static_cast<size_t>(X - 1), 1);
        T.erase(static_cast<size_t>(X - 1), 1);
        StoreLine(Y - 1, T);
        End = {X + 1, Y};
    } else if (Y < Count) {
        const String Next = FLines->Strings(Y);
        FLines->SetString(Y - 1, T + String(static_cast<size_t>(X - L - 1), u' ') + Next);
        FLines->Delete(Y);
        NotifyLinesDeleted(Y + 1, 1);
        Deleted = u"\r\n";
        End = {1, Y + 1};
    } else {
        return;
    }
    // Blanks that filled the space up to the caret are their own record, so that Undo takes
    // them away again.
    BeginUndoBlock();
    TScopeExit EndBlock([this] { EndUndoBlock(); });
    if (X > L + 1) FUndoList->AddChange(crWhiteSpaceAdd, {X, Y}, {L + 1, Y}, String(), smNormal);
    FUndoList->AddChange(crSilentDeleteAfterCursor, {X, Y}, End, Deleted, smNormal);
    SetCaretXY({X, Y});
}

void TCustomCodeEdit::DeleteWordOrLinePart(TCodeEditorCommand Command) {
    if (FLines->Count() == 0) return;
    const TBufferCoord Caret = CaretXY();
    const int L = static_cast<int>(LineText().size());
    if (Command == ecDeleteWord || Command == ecDeleteEOL) {
        FirePaintTransient(ttBefore);
        TBufferCoord E{L + 1, Caret.Line};
        if (Command == ecDeleteWord) {
            E = WordEnd();
            if (Before(E, Caret) || (E == Caret && E.Line != FLines->Count())) {
                if (E.Char > L) {
                    if (E.Line < FLines->Count()) E = {1, E.Line + 1};
                } else if (LineText()[static_cast<size_t>(E.Char - 1)] != u' ') {
                    ++E.Char;
                }
            }
            const String& S = FLines->Strings(E.Line - 1);
            while (!S.empty() && E.Char <= static_cast<int>(S.size()) && S[static_cast<size_t>(E.Char - 1)] == u' ')
                ++E.Char;
        }
        if (!Before(Caret, E)) return;
        const String Deleted = DeleteRange(Caret, E, true);
        FUndoList->AddChange(crSilentDeleteAfterCursor, Caret, E, Deleted, smNormal);
        SetCaretXY(Caret);
        return;
    }
    FirePaintTransient(ttBefore);
    TScopeExit After([this] { FirePaintTransient(ttAfter); });
    const TBufferCoord S = Command == ecDeleteLastWord ? PrevWordPos() : TBufferCoord{1, Caret.Line};
    if (!Before(S, Caret)) return;
    // A caret in the space after the line end deletes only what is there.
    const TBufferCoord To{std::min(Caret.Char, L + 1), Caret.Line};
    const String Deleted = DeleteRange(S, To, false);
    // The record spans the deleted range, so that Redo deletes it again.
    FUndoList->AddChange(crSilentDelete, S, To, Deleted, smNormal);
    SetCaretXY(S);
}

void TCustomCodeEdit::DeleteCaretLine() {
    const int Count = FLines->Count();
    if (Count == 0) return;
    const int Y = FCaretY;
    const String T = LineText();
    if (Y == Count && T.empty()) return;
    FirePaintTransient(ttBefore);
    SetCaretXY(CaretXY());
    if (Y == Count) {
        FLines->SetString(Y - 1, String());
        FUndoList->AddChange(crSilentDeleteAfterCursor, {1, Y}, {static_cast<int>(T.size()) + 1, Y}, T, smNormal);
    } else {
        FLines->Delete(Y - 1);
        NotifyLinesDeleted(Y, 1);
        FUndoList->AddChange(crSilentDeleteAfterCursor, {1, Y}, {1, Y + 1}, T + u"\r\n", smNormal);
    }
    SetCaretXY({1, Y});
}

// ---- Line break -----------------------------------------------------------------------------

void TCustomCodeEdit::InsertLineBreak(bool MoveCaret) {
    BeginUndoBlock();
    TScopeExit End([this] { EndUndoBlock(); });
    if (SelAvail()) {
        FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
        ReplaceSelectionInMode(FActiveSelectionMode, String(), false);
    }
    if (FLines->Count() == 0) FLines->Add(String());
    const String T = LineText();
    const int L = static_cast<int>(T.size());
    const int X = FCaretX;
    const int Y = FCaretY;
    const bool AtColumnOne = X == 1;
    // The nearest line at or above Y that is not empty.
    auto IndentAbove = [this, Y](bool Expand, int& Found) {
        Found = 0;
        if (!FOptions.Contains(eoAutoIndent)) return 0;
        for (int I = Y; I >= 1; --I)
            if (!FLines->Strings(I - 1).empty()) {
                Found = I;
                return LeadingWhiteCount(FLines->Strings(I - 1), Expand);
            }
        return 0;
    };
    TBufferCoord NewCaret = CaretXY();
    String Replay;
    if (L == 0) {
        int Found = 0;
        const int I = IndentAbove(true, Found);
        FLines->Insert(Y - 1, String());
        FUndoList->AddChange(crLineBreak, CaretXY(), CaretXY(), String(), smNormal);
        if (MoveCaret) NewCaret = {I + 1, Y + 1};
    } else if (X > L) {
        int Found = 0;
        const int I = IndentAbove(false, Found);
        FLines->Insert(Y, String());
        FUndoList->AddChange(crLineBreak, CaretXY(), CaretXY(), String(), smNormal);
        if (MoveCaret) {
            NewCaret = {1, Y + 1};
            if (I > 0) Replay = FLines->Strings(Found - 1).substr(0, static_cast<size_t>(I));
        }
    } else if (X == 1) {
        FLines->Insert(Y - 1, String());
        FUndoList->AddChange(crLineBreak, CaretXY(), CaretXY(), T, smNormal);
        if (MoveCaret) NewCaret = {X, Y + 1};
    } else {
        const String H = T.substr(0, static_cast<size_t>(X - 1));
        const String R = T.substr(static_cast<size_t>(X - 1));
        const String Indent = IndentText(LeadingWhiteCount(H, true), true);
        FLines->Insert(Y, Indent + R);
        StoreLine(Y - 1, H);
        FUndoList->AddChange(crLineBreak, CaretXY(), CaretXY(), R, smNormal);
        if (MoveCaret) NewCaret = {static_cast<int>(Indent.size()) + 1, Y + 1};
    }
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    SetCaretXY(NewCaret);
    if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    // The indentation is typed again, with every rule of typing and Tab.
    for (Char C : Replay)
        CommandProcessor(C == u'\t' ? ecTab : ecChar, C == u'\t' ? Char(0) : C, nullptr);
    NotifyLinesInserted(FCaretY - (AtColumnOne ? 1 : 0), 1);
    SetCaretXY(CaretXY());
    FLastCaretX = DisplayX();
    // A line break ends the typing group: what is typed next is a step of its own, and the
    // indentation typed above stays with the break (a redone break types it again).
    if (FOptions.Contains(eoGroupUndo)) FUndoList->AddGroupBreak();
}

// ---- Typing ---------------------------------------------------------------------------------

void TCustomCodeEdit::TypeChar(Char AChar) {
    if (ReadOnly() || AChar < 32 || AChar == 127) return;
    if (SelAvail()) {
        BeginUndoBlock();
        TScopeExit End([this] { EndUndoBlock(); });
        FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
        TBufferCoord Start = BlockBegin();
        if (FActiveSelectionMode == smLine) Start.Char = 1;
        const TCodeSelectionMode Mode = FActiveSelectionMode;
        ReplaceSelection(String(1, AChar));
        // Inserted whole lines are taken out again as a range of text.
        if (Mode != smColumn) FUndoList->AddChange(crInsert, Start, CaretXY(), String(), smNormal);
        FirePaintTransient(ttAfter);
        return;
    }
    if (FLines->Count() == 0) FLines->Add(String());
    const int X = FCaretX;
    const int Y = FCaretY;
    String T = LineText();
    const int L = static_cast<int>(T.size());
    // A line longer than the scroll width stays editable to its end; only the space past the
    // end of the line is limited.
    if (FInserting && !WordWrap() && !FOptions.Contains(eoAutoSizeMaxScrollWidth) && X > FMaxScrollWidth && X > L + 1)
        return;
    int W = 0;
    if (X > L) {
        const int Fill = FInserting ? X - L - 1 : X - L;
        if (Fill > 0) {
            const String Filler = L == 0 ? IndentText(Fill, true) : String(static_cast<size_t>(Fill), u' ');
            T += Filler;
            W = static_cast<int>(Filler.size());
        }
    }
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    TScopeExit Restore([this, WasPastEol] {
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    int NewX;
    if (FInserting) {
        const size_t At = std::min(static_cast<size_t>(X - 1), T.size());
        T.insert(At, 1, AChar);
        if (FOptions.Contains(eoTrimTrailingSpaces) && IsBlankOrTab(AChar) && TrimTrailingSpaces(T).empty())
            NewX = ExpandedLength(T, FTabWidth) + 1;
        else if (L > 0)
            NewX = X + 1;
        else
            NewX = static_cast<int>(T.size()) + 1;
        StoreLine(Y - 1, T);
        // The records name the characters really inserted: a filler of tabs is shorter than
        // the columns it covers.
        const int Typed = static_cast<int>(At) + 1;
        if (W == 0) {
            FUndoList->AddChange(crInsert, {Typed, Y}, {Typed + 1, Y}, String(), smNormal);
        } else {
            BeginUndoBlock();
            TScopeExit End([this] { EndUndoBlock(); });
            FUndoList->AddChange(crWhiteSpaceAdd, {Typed, Y}, {Typed - W, Y}, String(), smNormal);
            FUndoList->AddChange(crInsert, {Typed, Y}, {Typed + 1, Y}, String(), smNormal);
        }
    } else {
        const bool Filled = W > 0;
        const String Replaced = Filled ? String() : T.substr(static_cast<size_t>(X - 1), 1);
        if (Filled) T.pop_back();
        const String Filler = T.substr(static_cast<size_t>(L));
        T.insert(static_cast<size_t>(X - 1), 1, AChar);
        if (!Filled) T.erase(static_cast<size_t>(X), 1);
        StoreLine(Y - 1, T);
        NewX = X + 1;
        // The replaced character is a deletion of its own, so that Redo replaces it again.
        BeginUndoBlock();
        TScopeExit End([this] { EndUndoBlock(); });
        if (!Filler.empty()) FUndoList->AddChange(crWhiteSpaceAdd, {X, Y}, {L + 1, Y}, String(), smNormal);
        if (!Replaced.empty()) FUndoList->AddChange(crSilentDeleteAfterCursor, {X, Y}, {X + 1, Y}, Replaced, smNormal);
        FUndoList->AddChange(crInsert, {X, Y}, {X + 1, Y}, String(), smNormal);
    }
    if (BufferToDisplayPos({NewX, Y}).Column >= FLeftChar + FCharsInWindow && FCharsInWindow > 0)
        SetLeftChar(FLeftChar + std::min(25, FCharsInWindow - 1));
    SetCaretXY({NewX, Y});
    FirePaintTransient(ttAfter);
}

void TCustomCodeEdit::TypeImeString(const String& S) {
    if (S.empty()) return;
    if (SelAvail()) {
        BeginUndoBlock();
        TScopeExit End([this] { EndUndoBlock(); });
        FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
        TBufferCoord Start = BlockBegin();
        if (FActiveSelectionMode == smLine) Start.Char = 1;
        const TCodeSelectionMode Mode = FActiveSelectionMode;
        ReplaceSelection(S);
        if (Mode != smColumn) FUndoList->AddChange(crInsert, Start, CaretXY(), String(), smNormal);
        InvalidateGutter();
        return;
    }
    if (FLines->Count() == 0) FLines->Add(String());
    const int X = FCaretX;
    const int Y = FCaretY;
    String T = LineText();
    if (X > static_cast<int>(T.size()) + 1) T.append(static_cast<size_t>(X - 1) - T.size(), u' ');
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    TScopeExit Restore([this, WasPastEol] {
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    String Removed;
    if (!FInserting) {
        Removed = T.substr(static_cast<size_t>(X - 1), S.size());
        T.erase(static_cast<size_t>(X - 1), S.size());
    }
    T.insert(static_cast<size_t>(X - 1), S);
    StoreLine(Y - 1, T);
    const int NewX = X + static_cast<int>(S.size());
    FUndoList->AddChange(crInsert, {X, Y}, {NewX, Y}, Removed, smNormal);
    if (BufferToDisplayPos({NewX, Y}).Column >= FLeftChar + FCharsInWindow && FCharsInWindow > 0)
        SetLeftChar(FLeftChar + std::min(25, FCharsInWindow - 1));
    SetCaretXY({NewX, Y});
}
