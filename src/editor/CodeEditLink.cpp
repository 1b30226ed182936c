// Several editor controls showing one text: a linked control uses another's line buffer and undo
// and redo lists, and puts its own handlers behind theirs, so every change reaches every control
// (the buffer's owner first, then the controls in the order they were linked).

#include "editor/CodeEdit.h"

#include "platform/base/Exceptions.h"
#include "platform/base/ScopeGuard.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <vector>

// Who hooked each shared buffer and list, in order. A control unlinked out of turn hands its
// saved handlers to the one that hooked after it, so the chain never keeps a control that left.
struct TCodeEditLinks {
    static std::unordered_map<const void*, std::vector<TCustomCodeEdit*>>& Map() {
        static std::unordered_map<const void*, std::vector<TCustomCodeEdit*>> M;
        return M;
    }
    static void Add(const void* Shared, TCustomCodeEdit* Edit) { Map()[Shared].push_back(Edit); }
    // The control that hooked Shared right after Edit (none when Edit was the last), and Edit
    // taken out of the list.
    static TCustomCodeEdit* Remove(const void* Shared, TCustomCodeEdit* Edit) {
        auto It = Map().find(Shared);
        if (It == Map().end()) return nullptr;
        auto& List = It->second;
        auto Pos = std::find(List.begin(), List.end(), Edit);
        if (Pos == List.end()) return nullptr;
        TCustomCodeEdit* Next = Pos + 1 != List.end() ? *(Pos + 1) : nullptr;
        List.erase(Pos);
        if (List.empty()) Map().erase(It);
        return Next;
    }
    static std::vector<TCustomCodeEdit*> Hookers(const void* Shared) {
        auto It = Map().find(Shared);
        return It == Map().end() ? std::vector<TCustomCodeEdit*>() : It->second;
    }
};

void TCustomCodeEdit::SetLinesPointer(TCustomCodeEdit* AEdit) {
    ASSERT(AEdit != nullptr && AEdit != this);
    HookTextBuffer(AEdit->FLines, AEdit->FUndoList, AEdit->FRedoList);
    FChainedEditor = AEdit;
    AEdit->FreeNotification(this);
}

void TCustomCodeEdit::RemoveLinesPointer() {
    if (FChainedEditor) RemoveFreeNotification(FChainedEditor);
    FChainedEditor = nullptr;
    UnHookTextBuffer();
}

void TCustomCodeEdit::HookTextBuffer(TCodeEditStringList* aBuffer, TCodeEditUndoList* aUndo,
                                     TCodeEditUndoList* aRedo) {
    ASSERT(FChainedEditor == nullptr && !UsesForeignBuffer());
    ASSERT(aBuffer != nullptr && aUndo != nullptr && aRedo != nullptr);
    FChainListCleared = aBuffer->OnCleared;
    FChainListDeleted = aBuffer->OnDeleted;
    FChainListInserted = aBuffer->OnInserted;
    FChainListPutted = aBuffer->OnPutted;
    FChainLinesChanging = aBuffer->OnChanging;
    FChainLinesChanged = aBuffer->OnChange;
    FChainUndoAdded = aUndo->OnAddedUndo;
    FChainRedoAdded = aRedo->OnAddedUndo;
    // Each chain handler calls the handler it replaced, then this control's own handler, which
    // its own buffer and lists still hold.
    aBuffer->OnCleared = [this](TObject* Sender) {
        if (FChainListCleared) FChainListCleared(Sender);
        if (FOrigLines->OnCleared) FOrigLines->OnCleared(Sender);
    };
    aBuffer->OnDeleted = [this](TObject* Sender, int Index, int Count) {
        if (FChainListDeleted) FChainListDeleted(Sender, Index, Count);
        if (FOrigLines->OnDeleted) FOrigLines->OnDeleted(Sender, Index, Count);
    };
    aBuffer->OnInserted = [this](TObject* Sender, int Index, int Count) {
        if (FChainListInserted) FChainListInserted(Sender, Index, Count);
        if (FOrigLines->OnInserted) FOrigLines->OnInserted(Sender, Index, Count);
    };
    aBuffer->OnPutted = [this](TObject* Sender, int Index, int Count) {
        if (FChainListPutted) FChainListPutted(Sender, Index, Count);
        if (FOrigLines->OnPutted) FOrigLines->OnPutted(Sender, Index, Count);
    };
    aBuffer->OnChanging = [this](TObject* Sender) {
        if (FChainLinesChanging) FChainLinesChanging(Sender);
        if (FOrigLines->OnChanging) FOrigLines->OnChanging(Sender);
    };
    aBuffer->OnChange = [this](TObject* Sender) {
        if (FChainLinesChanged) FChainLinesChanged(Sender);
        if (FOrigLines->OnChange) FOrigLines->OnChange(Sender);
    };
    aUndo->OnAddedUndo = [this](TObject* Sender) { ChainUndoAdded(Sender); };
    aRedo->OnAddedUndo = [this](TObject* Sender) { ChainUndoAdded(Sender); };
    TCodeEditLinks::Add(aBuffer, this);
    TCodeEditLinks::Add(aUndo, this);
    TCodeEditLinks::Add(aRedo, this);
    FLines = aBuffer;
    FUndoList = aUndo;
    FRedoList = aRedo;
    AdaptToBuffer();
}

void TCustomCodeEdit::ChainUndoAdded(TObject* Sender) {
    if (Sender == FUndoList) {
        if (FChainUndoAdded) FChainUndoAdded(Sender);
        if (FOrigUndoList->OnAddedUndo) FOrigUndoList->OnAddedUndo(Sender);
    } else {
        if (FChainRedoAdded) FChainRedoAdded(Sender);
        if (FOrigRedoList->OnAddedUndo) FOrigRedoList->OnAddedUndo(Sender);
    }
}

void TCustomCodeEdit::UnHookTextBuffer() {
    ASSERT(FChainedEditor == nullptr);
    if (!UsesForeignBuffer()) return;
    if (TCustomCodeEdit* Next = TCodeEditLinks::Remove(FLines, this)) {
        Next->FChainListCleared = FChainListCleared;
        Next->FChainListDeleted = FChainListDeleted;
        Next->FChainListInserted = FChainListInserted;
        Next->FChainListPutted = FChainListPutted;
        Next->FChainLinesChanging = FChainLinesChanging;
        Next->FChainLinesChanged = FChainLinesChanged;
    } else {
        FLines->OnCleared = FChainListCleared;
        FLines->OnDeleted = FChainListDeleted;
        FLines->OnInserted = FChainListInserted;
        FLines->OnPutted = FChainListPutted;
        FLines->OnChanging = FChainLinesChanging;
        FLines->OnChange = FChainLinesChanged;
    }
    if (TCustomCodeEdit* Next = TCodeEditLinks::Remove(FUndoList, this))
        (Next->FUndoList == FUndoList ? Next->FChainUndoAdded : Next->FChainRedoAdded) = FChainUndoAdded;
    else
        FUndoList->OnAddedUndo = FChainUndoAdded;
    if (TCustomCodeEdit* Next = TCodeEditLinks::Remove(FRedoList, this))
        (Next->FRedoList == FRedoList ? Next->FChainRedoAdded : Next->FChainUndoAdded) = FChainRedoAdded;
    else
        FRedoList->OnAddedUndo = FChainRedoAdded;
    FChainListCleared = nullptr;
    FChainListDeleted = nullptr;
    FChainListInserted = nullptr;
    FChainListPutted = nullptr;
    FChainLinesChanging = nullptr;
    FChainLinesChanged = nullptr;
    FChainUndoAdded = nullptr;
    FChainRedoAdded = nullptr;
    FLines = FOrigLines.get();
    FUndoList = FOrigUndoList.get();
    FRedoList = FOrigRedoList.get();
    AdaptToBuffer();
}

void TCustomCodeEdit::AdaptToBuffer() {
    if (ComponentState().Contains(csDestroying)) return;
    Invalidate();
    if (FOptions.Contains(eoAutoSizeMaxScrollWidth)) GrowMaxScrollWidthToText();
    // The caret and the selection keep their places where the text shown has them.
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    PlaceCaret(CaretXY(), false);
    FBlockBegin = ClampSelectionEnd(FBlockBegin);
    FBlockEnd = ClampSelectionEnd(FBlockEnd);
    FStateFlags.Include(sfScrollbarChanged);
    if (!HandleAllocated()) UpdateScrollBars();
}

void TCustomCodeEdit::ReleaseLinks() {
    if (FChainedEditor)
        RemoveLinesPointer();
    else
        UnHookTextBuffer();
    // Controls still showing this control's text are unlinked before it goes, the last first.
    const auto Hookers = TCodeEditLinks::Hookers(FOrigLines.get());
    for (auto It = Hookers.rbegin(); It != Hookers.rend(); ++It) {
        if ((*It)->FChainedEditor)
            (*It)->RemoveLinesPointer();
        else
            (*It)->UnHookTextBuffer();
    }
}
