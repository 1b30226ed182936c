// The editor control and its highlighter. The highlighter's state at the end of every line is
// kept with the line, so that any line can be coloured after restoring the state of the line
// before it, and an edit rescans only until a line ends in the state it had before. Components
// the control refers to (the highlighter, the bookmark image list) are let go when freed.

#include "editor/CodeEdit.h"
#include "editor/EditSearch.h"

#include "platform/gui/ImgList.h"

#include <algorithm>
#include <climits>

void TCustomCodeEdit::SetHighlighter(TCodeCustomHighlighter* Value) {
    if (Value == FHighlighter) return;
    const TCodeNotifyMethod Handler(this, &TCustomCodeEdit::AttributesChanged);
    if (FHighlighter) {
        FHighlighter->UnhookAttrChangeEvent(Handler);
        FHighlighter->RemoveFreeNotification(this);
    }
    if (Value) {
        Value->HookAttrChangeEvent(Handler);
        Value->FreeNotification(this);
    }
    FHighlighter = Value;
    if (!ComponentState().Contains(csDestroying)) AttributesChanged(FHighlighter);
}

void TCustomCodeEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent == nullptr) return;
    // A highlighter on its way out is past unhooking: only its pointer is dropped.
    if (AComponent == FHighlighter) {
        FHighlighter = nullptr;
        if (!ComponentState().Contains(csDestroying)) AttributesChanged(nullptr);
    }
    if (AComponent == FSearchEngine) FSearchEngine = nullptr;
    if (AComponent == FChainedEditor) RemoveLinesPointer();
    if (AComponent == FBookMarkOpt->BookmarkImages()) {
        FBookMarkOpt->SetBookmarkImages(nullptr);
        InvalidateGutter();
    }
}

void TCustomCodeEdit::AttributesChanged(TObject* Sender) {
    MeasureCharCell();
    if (Sender != nullptr && Sender == FHighlighter)
        ScanAllRanges();
    Invalidate();
    RecomputeWindowMetrics(true);
}

void TCustomCodeEdit::ScanAllRanges() {
    if (FHighlighter && FLines->Count() > 0) ScanRanges(0, FLines->Count() - 1);
}

int TCustomCodeEdit::ScanRanges(int Index, int MustScan) {
    const int Count = FLines->Count();
    if (!FHighlighter || Index < 0 || Index >= Count) return Index - 1;
    if (Index == 0)
        FHighlighter->ResetRange();
    else
        FHighlighter->SetRange(FLines->LineRange(Index - 1));
    for (; Index < Count; ++Index) {
        FHighlighter->SetLine(FLines->Strings(Index), Index);
        FHighlighter->NextToEol();
        const TCodeEditRange Range = FHighlighter->GetRange();
        // Past the changed lines, a line that ends as before leaves every later line as it was.
        if (Index > MustScan && FLines->LineRange(Index) == Range) return Index;
        FLines->SetLineRange(Index, Range);
    }
    return Count - 1;
}
