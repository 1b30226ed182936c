// The editor control's answers to buffer changes (range rescans with the stop rule, repaints,
// the reset after clearing) and the undo replay: Undo and Redo decide how many items make one
// user step, and each item is reversed with its reverse recorded on the other list.

#include "editor/CodeEdit.h"

#include "platform/base/ScopeGuard.h"

#include <algorithm>
#include <climits>

namespace {

bool IsEndMarker(TCodeChangeReason R) {
    return R == crAutoCompleteEnd || R == crPasteEnd || R == crSpecial1End || R == crSpecial2End;
}

bool IsBeginMarker(TCodeChangeReason R) {
    return R == crAutoCompleteBegin || R == crPasteBegin || R == crSpecial1Begin || R == crSpecial2Begin;
}

// The begin marker of an end marker, and the other way round.
TCodeChangeReason Partner(TCodeChangeReason R) {
    switch (R) {
    case crAutoCompleteEnd:
        return crAutoCompleteBegin;
    case crAutoCompleteBegin:
        return crAutoCompleteEnd;
    case crPasteEnd:
        return crPasteBegin;
    case crPasteBegin:
        return crPasteEnd;
    case crSpecial1End:
        return crSpecial1Begin;
    case crSpecial1Begin:
        return crSpecial1End;
    case crSpecial2End:
        return crSpecial2Begin;
    case crSpecial2Begin:
        return crSpecial2End;
    default:
        return crNothing;
    }
}

TBufferCoord Earlier(const TBufferCoord& A, const TBufferCoord& B) {
    return (A.Line < B.Line || (A.Line == B.Line && A.Char < B.Char)) ? A : B;
}

} // namespace

// ---- Buffer events --------------------------------------------------------------------------

void TCustomCodeEdit::LinesChanging(TObject*) {
    FStateFlags.Include(sfLinesChanging);
}

void TCustomCodeEdit::ListCleared(TObject*) {
    ClearUndo();
    Invalidate();
    SetCaretXY({1, 1});
    SetTopLine(1);
    SetLeftChar(1);
    AddStatusChanges({scAll});
}

void TCustomCodeEdit::ListDeleted(int Index, int) {
    ScanRanges(Index, Index);
    InvalidateLines(Index + 1, INT_MAX);
    InvalidateGutterLines(Index + 1, INT_MAX);
}

void TCustomCodeEdit::ListInserted(int Index, int Count) {
    ScanRanges(Index, Index + Count - 1);
    InvalidateLines(Index + 1, INT_MAX);
    InvalidateGutterLines(Index + 1, INT_MAX);
}

void TCustomCodeEdit::ListPutted(int Index, int Count) {
    // Lines after the changed ones whose starting state changed are painted again too.
    const int Last = ScanRanges(Index, Index + Count - 1);
    // The buffer's owner rescanned a shared text before: where its states stopped changing says
    // nothing about this view.
    if (UsesForeignBuffer())
        InvalidateLines(Index + 1, INT_MAX);
    else
        InvalidateLines(Index + 1, std::max(Index + Count, Last + 1));
}

// ---- Undo and redo --------------------------------------------------------------------------

void TCustomCodeEdit::Undo() {
    if (ReadOnly()) return;
    // A group break on top only separates steps: it moves to the redo list.
    if (FUndoList->LastChangeReason() == crGroupBreak) {
        const int Number = FUndoList->PeekItem()->ChangeNumber();
        FUndoList->PopItem();
        const int Saved = FRedoList->BlockChangeNumber();
        FRedoList->SetBlockChangeNumber(Number);
        FRedoList->AddGroupBreak();
        FRedoList->SetBlockChangeNumber(Saved);
    }
    const TCodeEditUndoItem* Top = FUndoList->PeekItem();
    if (!Top) return;
    const TCodeChangeReason R = Top->ChangeReason();
    const int N = Top->ChangeNumber();
    const int Saved = FRedoList->BlockChangeNumber();
    FRedoList->SetBlockChangeNumber(N);
    TScopeExit Restore([this, Saved] { FRedoList->SetBlockChangeNumber(Saved); });
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    for (;;) {
        const TCodeChangeReason Done = FUndoList->PeekItem()->ChangeReason();
        UndoItem();
        const TCodeEditUndoItem* Next = FUndoList->PeekItem();
        if (!Next) break;
        bool GoOn;
        if (IsEndMarker(R))
            GoOn = Next->ChangeReason() != Partner(R);
        else if (Next->ChangeNumber() == N)
            GoOn = true;
        else
            GoOn = FOptions.Contains(eoGroupUndo) && Next->ChangeReason() == Done && Done != crIndent &&
                   Done != crUnindent;
        if (!GoOn) break;
    }
    if (IsEndMarker(R) && FUndoList->LastChangeReason() == Partner(R)) {
        UndoItem();
        SetModified(!FUndoList->InitialState());
    }
}

void TCustomCodeEdit::Redo() {
    if (ReadOnly()) return;
    const TCodeEditUndoItem* Top = FRedoList->PeekItem();
    if (Top && Top->ChangeReason() == crGroupBreak) {
        // Nothing but a separator: it goes back, and the step behind it is redone.
        FRedoList->PopItem();
        Top = FRedoList->PeekItem();
    }
    if (!Top) return;
    const TCodeChangeReason R = Top->ChangeReason();
    const int N = Top->ChangeNumber();
    const int Saved = FUndoList->BlockChangeNumber();
    FUndoList->SetBlockChangeNumber(N);
    TScopeExit Restore([this, Saved] { FUndoList->SetBlockChangeNumber(Saved); });
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    for (;;) {
        const TCodeChangeReason Done = FRedoList->PeekItem()->ChangeReason();
        const int DoneNumber = FRedoList->PeekItem()->ChangeNumber();
        FRedoTypedAfterLineBreak = 0;
        RedoItem();
        if (Done == crLineBreak) {
            // The line break typed its indentation again; what the first run typed of it is
            // in this step too and must not be typed a second time. Only that much goes: a
            // column insertion's next row after the line it appended is not indentation.
            int Typed = FRedoTypedAfterLineBreak;
            while (Typed-- > 0 && FRedoList->PeekItem() && FRedoList->PeekItem()->ChangeNumber() == DoneNumber &&
                   FRedoList->PeekItem()->ChangeReason() != crLineBreak &&
                   !IsEndMarker(FRedoList->PeekItem()->ChangeReason()))
                FRedoList->PopItem();
        }
        const TCodeEditUndoItem* Next = FRedoList->PeekItem();
        if (!Next) break;
        bool GoOn;
        if (IsBeginMarker(R))
            GoOn = Next->ChangeReason() != Partner(R);
        else if (Next->ChangeNumber() == N)
            GoOn = true;
        else
            GoOn = FOptions.Contains(eoGroupUndo) && Next->ChangeReason() == Done && Done != crIndent &&
                   Done != crUnindent;
        if (!GoOn) break;
    }
    if (IsBeginMarker(R) && FRedoList->LastChangeReason() == Partner(R)) RedoItem();
    if (FRedoList->LastChangeReason() == crGroupBreak) {
        const int Number = FRedoList->PeekItem()->ChangeNumber();
        FRedoList->PopItem();
        FUndoList->SetBlockChangeNumber(Number);
        FUndoList->AddGroupBreak();
        FUndoList->SetBlockChangeNumber(N);
    }
    SetModified(!FUndoList->InitialState());
}

// Items that change no text replay the same way in both directions: the caret and the selection
// go back to where they were, and the step markers go over to the other list, so that the step
// is replayed whole.
void TCustomCodeEdit::ReplayPlaceItem(const TCodeEditUndoItem& Item, TCodeEditUndoList& Other) {
    const TBufferCoord Start = Item.ChangeStartPos(), End = Item.ChangeEndPos();
    switch (Item.ChangeReason()) {
    case crCaret:
        Other.AddChange(crCaret, CaretXY(), CaretXY(), String(), FActiveSelectionMode);
        SetCaretXY(Start);
        break;
    case crSelection:
        Other.AddChange(crSelection, BlockBegin(), BlockEnd(), String(), FActiveSelectionMode);
        SetBlockBegin(Start);
        SetBlockEnd(End);
        FActiveSelectionMode = Item.ChangeSelMode();
        break;
    case crAutoCompleteBegin:
    case crAutoCompleteEnd:
    case crPasteBegin:
    case crPasteEnd:
    case crSpecial1Begin:
    case crSpecial1End:
    case crSpecial2Begin:
    case crSpecial2End:
        Other.AddChange(Item.ChangeReason(), Start, End, String(), Item.ChangeSelMode());
        break;
    default:
        break;
    }
}

void TCustomCodeEdit::UndoItem() {
    std::unique_ptr<TCodeEditUndoItem> Item = FUndoList->PopItem();
    if (!Item) return;
    SetActiveSelectionMode(Item->ChangeSelMode());
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    TScopeExit Restore([this, WasPastEol] {
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    const TBufferCoord Start = Item->ChangeStartPos();
    const TBufferCoord End = Item->ChangeEndPos();
    const TCodeSelectionMode Mode = Item->ChangeSelMode();
    switch (Item->ChangeReason()) {
    case crInsert:
    case crPaste:
    case crDragDropInsert: {
        SetCaretAndSelection(Start, Start, End);
        FActiveSelectionMode = Mode;
        const String Kept = SelText();
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), false);
        FRedoList->AddChange(Item->ChangeReason(), Start, End, Kept, Mode);
        SetCaretInternal(Start);
        break;
    }
    case crDeleteAfterCursor:
    case crDelete:
    case crSilentDelete:
    case crSilentDeleteAfterCursor:
    case crDeleteAll: {
        const bool AfterCursor = Item->ChangeReason() == crDeleteAfterCursor ||
                                 Item->ChangeReason() == crSilentDeleteAfterCursor;
        TBufferCoord At = Mode == smColumn ? TBufferCoord{std::min(Start.Char, End.Char), std::min(Start.Line, End.Line)}
                                           : Earlier(Start, End);
        if (AfterCursor && At.Line > FLines->Count()) {
            SetCaretXY({1, FLines->Count()});
            FLines->Add(String());
        }
        SetCaretXY(At);
        FActiveSelectionMode = Mode;
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), false);
        const TBufferCoord After = AfterCursor ? Start : End;
        if (Item->ChangeReason() == crSilentDelete || Item->ChangeReason() == crSilentDeleteAfterCursor) {
            SetCaretXY(After);
        } else {
            SetCaretAndSelection(After, Start, End);
            FActiveSelectionMode = Mode;
        }
        FRedoList->AddChange(Item->ChangeReason(), Start, End, String(), Mode);
        if (Item->ChangeReason() == crDeleteAll) {
            SetCaretInternal({1, 1});
            FBlockEnd = {1, 1};
        }
        EnsureCursorPosVisible();
        break;
    }
    case crLineBreak: {
        SetCaretXY(Start);
        if (FCaretY <= FLines->Count()) {
            String S = LineText();
            if (static_cast<int>(S.size()) < FCaretX - 1 && LeadingWhiteCount(Item->ChangeStr()) == 0)
                S.append(static_cast<size_t>(FCaretX - 1) - S.size(), u' ');
            StoreLine(FCaretY - 1, S + Item->ChangeStr());
            if (End.Line < FLines->Count()) FLines->Delete(End.Line);
            NotifyLinesDeleted(FCaretY + 1, 1);
        }
        SetCaretXY(Start);
        FRedoList->AddChange(crLineBreak, Start, End, String(), Mode);
        break;
    }
    case crIndent:
        SetCaretAndSelection(End, Start, End);
        FActiveSelectionMode = Mode;
        FRedoList->AddChange(crIndent, Start, End, Item->ChangeStr(), Mode);
        break;
    case crUnindent: {
        const int Column = Mode == smColumn ? std::min(Start.Char, End.Char) : 1;
        InsertBlock({Column, Start.Line}, {Column, End.Line}, Item->ChangeStr(), false);
        SetCaretAndSelection(Start, Start, End);
        FActiveSelectionMode = Mode;
        FRedoList->AddChange(crUnindent, Start, End, Item->ChangeStr(), Mode);
        break;
    }
    case crWhiteSpaceAdd: {
        SetCaretAndSelection(Start, Start, End);
        FActiveSelectionMode = Mode;
        const String Kept = SelText();
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), true);
        FRedoList->AddChange(crWhiteSpaceAdd, Start, End, Kept, Mode);
        SetCaretXY(Start);
        break;
    }
    default:
        ReplayPlaceItem(*Item, *FRedoList);
        break;
    }
}

void TCustomCodeEdit::RedoItem() {
    std::unique_ptr<TCodeEditUndoItem> Item = FRedoList->PopItem();
    if (!Item) return;
    SetActiveSelectionMode(Item->ChangeSelMode());
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    const bool WasPastEol = FOptions.Contains(eoScrollPastEol);
    FOptions.Include(eoScrollPastEol);
    FUndoList->SetInsideRedo(true);
    TScopeExit Restore([this, WasPastEol] {
        FUndoList->SetInsideRedo(false);
        if (!WasPastEol) FOptions.Exclude(eoScrollPastEol);
    });
    const TBufferCoord Start = Item->ChangeStartPos();
    const TBufferCoord End = Item->ChangeEndPos();
    const TCodeSelectionMode Mode = Item->ChangeSelMode();
    switch (Item->ChangeReason()) {
    case crInsert:
    case crPaste:
    case crDragDropInsert: {
        SetCaretXY(Start);
        FActiveSelectionMode = Mode;
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), false);
        SetCaretInternal(End);
        FUndoList->AddChange(Item->ChangeReason(), Start, End, SelText(), Mode);
        if (Item->ChangeReason() == crDragDropInsert) SetCaretAndSelection(End, Start, End);
        break;
    }
    case crDeleteAfterCursor:
    case crSilentDeleteAfterCursor:
    case crDelete:
    case crSilentDelete:
    case crDeleteAll: {
        SetCaretAndSelection(Start, Start, End);
        FActiveSelectionMode = Mode;
        const String Kept = SelText();
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), false);
        FUndoList->AddChange(Item->ChangeReason(), Start, End, Kept, Mode);
        const bool AfterCursor = Item->ChangeReason() == crDeleteAfterCursor ||
                                 Item->ChangeReason() == crSilentDeleteAfterCursor;
        SetCaretXY(AfterCursor ? End : Start);
        if (!AfterCursor) SetCaretXY(Earlier(Start, End));
        break;
    }
    case crLineBreak: {
        SetCaretXY(Start);
        // The owner's events and the auto-indentation run again, as on the first time.
        const int Before = FUndoList->ItemCount();
        const int Number = FUndoList->BlockChangeNumber();
        CommandProcessor(ecLineBreak, u'\r', nullptr);
        FUndoList->SetBlockChangeNumber(Number);
        // What the command recorded belongs to the step being redone.
        std::vector<std::unique_ptr<TCodeEditUndoItem>> Added;
        while (FUndoList->ItemCount() > Before)
            Added.push_back(FUndoList->PopItem());
        FRedoTypedAfterLineBreak = 0;
        for (auto It = Added.rbegin(); It != Added.rend(); ++It) {
            const TCodeChangeReason Reason = (*It)->ChangeReason();
            if (Reason != crLineBreak && Reason != crGroupBreak) ++FRedoTypedAfterLineBreak;
            FUndoList->PushItem(std::make_unique<TCodeEditUndoItem>(
                Reason, (*It)->ChangeSelMode(), (*It)->ChangeStartPos(), (*It)->ChangeEndPos(), (*It)->ChangeStr(),
                Number));
        }
        break;
    }
    case crIndent:
        SetCaretAndSelection(End, Start, End);
        FActiveSelectionMode = Mode;
        FUndoList->AddChange(crIndent, Start, End, Item->ChangeStr(), Mode);
        break;
    case crUnindent: {
        const int Column = Mode == smColumn ? std::min(Start.Char, End.Char) : 1;
        int Y = Start.Line;
        int LastLength = 0;
        const String& Text = Item->ChangeStr();
        size_t P = 0;
        FLines->BeginUpdate();
        {
            TScopeExit EndUpdate([this] { FLines->EndUpdate(); });
            while (P <= Text.size() && Y <= FLines->Count()) {
                size_t Q = Text.find(u'\r', P);
                if (Q == String::npos) Q = Text.size();
                const int Length = static_cast<int>(Q - P);
                String S = FLines->Strings(Y - 1);
                if (Column - 1 < static_cast<int>(S.size()))
                    S.erase(static_cast<size_t>(Column - 1), static_cast<size_t>(Length));
                FLines->SetString(Y - 1, S);
                LastLength = Length;
                ++Y;
                P = Q + 1;
                if (P < Text.size() && Text[P] == u'\n') ++P;
                if (Q == Text.size()) break;
            }
        }
        if (Mode == smColumn)
            SetCaretAndSelection(Start, Start, End);
        else
            SetCaretAndSelection({std::max(1, Start.Char - FTabWidth), Start.Line},
                                 {std::max(1, Start.Char - FTabWidth), Start.Line},
                                 {std::max(1, End.Char - LastLength), End.Line});
        FActiveSelectionMode = Mode;
        FUndoList->AddChange(crUnindent, Start, End, Item->ChangeStr(), Mode);
        break;
    }
    case crWhiteSpaceAdd:
        FUndoList->AddChange(crWhiteSpaceAdd, Start, End, String(), Mode);
        SetCaretXY(End);
        ReplaceSelectionInMode(Mode, Item->ChangeStr(), true);
        SetCaretXY(Start);
        break;
    default:
        ReplayPlaceItem(*Item, *FUndoList);
        break;
    }
}
