// Search and replace in the editor control: an exchangeable engine finds the hits of one line at a
// time; the control walks the lines in the asked direction and range, selects each hit and, when
// asked, replaces it, with a question per hit through OnReplaceText.

#include "editor/CodeEdit.h"
#include "editor/EditSearch.h"

#include "platform/base/ScopeGuard.h"

void TCustomCodeEdit::SetSearchEngine(TCodeEditSearchCustom* Value) {
    if (Value == FSearchEngine) return;
    if (FSearchEngine) FSearchEngine->RemoveFreeNotification(this);
    FSearchEngine = Value;
    if (FSearchEngine) FSearchEngine->FreeNotification(this);
}

TCodeReplaceAction TCustomCodeEdit::FireReplaceText(const String& ASearch, const String& AReplace, int Line,
                                                    int Column) {
    TCodeReplaceAction Action = raCancel;
    if (OnReplaceText) OnReplaceText(this, ASearch, AReplace, Line, Column, Action);
    return Action;
}

int TCustomCodeEdit::SearchReplace(const String& ASearch, const String& AReplace, TCodeSearchOptions AOptions) {
    if (!FSearchEngine) throw ECodeEditError(u"No search engine has been assigned");
    if (ASearch.empty()) return 0;

    const bool Backward = AOptions.Contains(ssoBackwards);
    bool Prompt = AOptions.Contains(ssoPrompt);
    const bool Replace = AOptions.Contains(ssoReplace);
    bool ReplaceAll = AOptions.Contains(ssoReplaceAll);
    const bool FromCaret = !AOptions.Contains(ssoEntireScope);
    if (!SelAvail()) AOptions.Exclude(ssoSelectedOnly);
    const bool SelectedOnly = AOptions.Contains(ssoSelectedOnly);

    TBufferCoord Start, End;
    if (SelectedOnly) {
        Start = BlockBegin();
        End = BlockEnd();
        if (FActiveSelectionMode == smLine) {
            Start.Char = 1;
            End.Char = FLines->LineCharLength(End.Line - 1) + 1;
        } else if (FActiveSelectionMode == smColumn && End.Char < Start.Char) {
            std::swap(Start.Char, End.Char);
        }
    } else {
        const int Count = FLines->Count();
        Start = {1, 1};
        End = {Count > 0 ? FLines->LineCharLength(Count - 1) + 1 : 1, std::max(Count, 1)};
        if (FromCaret) {
            if (Backward)
                End = CaretXY();
            else
                Start = CaretXY();
        }
    }
    TBufferCoord Cur = Backward ? End : Start;

    FSearchEngine->SetOptions(AOptions);
    FSearchEngine->SetPattern(ASearch);
    FirePaintTransient(ttBefore);

    int Result = 0;
    bool PaintLocked = false;
    bool UndoBlockOpen = false;
    // A silent replace-all is one change of the buffer too: its listeners hear of it once.
    auto LockPaint = [&] {
        IncPaintLock();
        FLines->BeginUpdate();
        PaintLocked = true;
    };
    // While a silent replace-all holds the paint lock the view follows the hits only once, at the
    // end: scrolling to every hit would repaint the window a hundred thousand times.
    bool ViewPending = false;
    TScopeExit Finish([&] {
        if (ViewPending) EnsureCursorPosVisibleEx(true);
        if (PaintLocked) {
            FLines->EndUpdate();
            DecPaintLock();
        }
        if (UndoBlockOpen) FUndoList->EndBlock();
        FirePaintTransient(ttAfter);
    });
    if (ReplaceAll && !Prompt) {
        LockPaint();
        FUndoList->BeginBlock();
        UndoBlockOpen = true;
    }

    const bool ColumnRange = SelectedOnly && FActiveSelectionMode == smColumn;
    const bool LineRange = SelectedOnly && FActiveSelectionMode == smLine;
    int ReplaceLen = 0;
    while (Cur.Line >= Start.Line && Cur.Line <= End.Line) {
        const int N = FSearchEngine->FindAll(FLines->Strings(Cur.Line - 1));
        int Offset = 0;
        int I = Backward ? FSearchEngine->ResultCount() - 1 : 0;
        for (int Hit = 0; Hit < N; ++Hit) {
            const int Index = I;
            const int Found = FSearchEngine->ResultPosition(Index) + Offset;
            const int SearchLen = FSearchEngine->ResultLength(Index);
            I += Backward ? -1 : 1;

            bool InRange;
            if (ColumnRange)
                InRange = (Start.Char <= Found && Found + SearchLen <= End.Char) || End.Char - Start.Char < 1;
            else if (LineRange)
                InRange = true;
            else
                InRange = !((Cur.Line == Start.Line && Found < Start.Char) ||
                            (Cur.Line == End.Line && Found + SearchLen > End.Char));
            if (!InRange) continue;

            ++Result;
            // Select the hit: its line comes into the middle of the window when it was out of view.
            SetBlockBegin({Found, Cur.Line});
            PlaceCaret({1, Cur.Line}, false);
            if (PaintLocked)
                ViewPending = true;
            else
                EnsureCursorPosVisibleEx(true);
            SetBlockEnd({Found + SearchLen, Cur.Line});
            // A hit is part of one line: in line mode selecting it would take (and a replacement
            // would overwrite) the whole line.
            if (FActiveSelectionMode == smLine) FActiveSelectionMode = smNormal;
            PlaceCaret(Backward ? TBufferCoord{Found, Cur.Line} : TBufferCoord{Found + SearchLen, Cur.Line},
                       !PaintLocked);

            if (!Replace && !ReplaceAll) return Result;

            TCodeReplaceAction Action = raReplace;
            if (Prompt && OnReplaceText) {
                Action = FireReplaceText(ASearch, AReplace, Cur.Line, Found);
                if (Action == raCancel) return Result;
            }
            if (Action == raSkip) {
                --Result;
            } else {
                if (Action == raReplaceAll) {
                    if (!ReplaceAll || Prompt) {
                        ReplaceAll = true;
                        LockPaint();
                    }
                    Prompt = false;
                }
                if (!UndoBlockOpen) {
                    FUndoList->BeginBlock();
                    UndoBlockOpen = true;
                }
                // The engine builds the replacement from the hit as it was found in its line.
                SetSelText(FSearchEngine->ReplaceResult(Index, SelText(), AReplace));
                ReplaceLen = CaretX() - Found;
            }
            if (!Backward) {
                PlaceCaret({Found + ReplaceLen, CaretY()}, !PaintLocked);
                if (SearchLen != ReplaceLen && Action != raSkip) {
                    Offset += ReplaceLen - SearchLen;
                    if (FActiveSelectionMode != smColumn && CaretY() == End.Line) {
                        End.Char += ReplaceLen - SearchLen;
                        SetBlockEnd(End);
                    }
                }
            }
            if (!ReplaceAll) return Result;
        }
        Cur.Line += Backward ? -1 : 1;
    }
    return Result;
}
