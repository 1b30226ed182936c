#pragma once
// Undo and redo lists: stacks of primitive changes of the text, caret and selection. Items of
// one user action share a change number so they are replayed as one step; the list bounds its
// length and remembers the point at which the text was last saved.

#include "editor/CodeEditTypes.h"

#include "platform/base/Persistent.h"

#include <memory>
#include <vector>

DECLARE_ENUM(TCodeChangeReason, Byte, crInsert, crPaste, crDragDropInsert, crDeleteAfterCursor, crDelete,
             crLineBreak, crIndent, crUnindent, crSilentDelete, crSilentDeleteAfterCursor,
             crAutoCompleteBegin, crAutoCompleteEnd, crPasteBegin, crPasteEnd, crSpecial1Begin, crSpecial1End,
             crSpecial2Begin, crSpecial2End, crCaret, crSelection, crNothing, crGroupBreak, crDeleteAll,
             crWhiteSpaceAdd)

class TCodeEditUndoItem : public TPersistent {
    DECLARE_CLASS(TCodeEditUndoItem, TPersistent)

public:
    TCodeEditUndoItem() = default;
    TCodeEditUndoItem(TCodeChangeReason AReason, TCodeSelectionMode ASelMode, TBufferCoord AStart,
                      TBufferCoord AEnd, const String& AChangeStr, int AChangeNumber);

    // From another item all six fields; anything else as the base class does it.
    void Assign(TPersistent* Source) override;

    TCodeChangeReason ChangeReason() const { return FChangeReason; }
    TCodeSelectionMode ChangeSelMode() const { return FChangeSelMode; }
    TBufferCoord ChangeStartPos() const { return FChangeStartPos; }
    TBufferCoord ChangeEndPos() const { return FChangeEndPos; }
    const String& ChangeStr() const { return FChangeStr; }
    int ChangeNumber() const { return FChangeNumber; }

private:
    TCodeChangeReason FChangeReason = crInsert;
    TCodeSelectionMode FChangeSelMode = smNormal;
    TBufferCoord FChangeStartPos;
    TBufferCoord FChangeEndPos;
    String FChangeStr;
    int FChangeNumber = 0;
};

class TCodeEditUndoList : public TPersistent {
    DECLARE_CLASS(TCodeEditUndoList, TPersistent)

public:
    TCodeEditUndoList() = default;
    ~TCodeEditUndoList() override;

    // Records a change, unless the list is locked.
    void AddChange(TCodeChangeReason AReason, TBufferCoord AStart, TBufferCoord AEnd,
                   const String& ChangeText, TCodeSelectionMode SelMode);
    // Takes the item over as the newest; OnAddedUndo hears of it unless it is a group break.
    void PushItem(std::unique_ptr<TCodeEditUndoItem> Item);
    // The newest item (still the list's), or null.
    TCodeEditUndoItem* PeekItem() const;
    // The newest item, now the caller's, or null.
    std::unique_ptr<TCodeEditUndoItem> PopItem();
    // Index 0 is the oldest item; a bad index raises EListError "List index out of bounds (%d)".
    void DeleteItem(int AIndex);
    // Items added until the outermost EndBlock share one change number.
    void BeginBlock();
    void EndBlock();
    // A separator between groups of changes, unless the newest item is one already.
    void AddGroupBreak();
    // The newest item's reason; crNothing for an empty list.
    TCodeChangeReason LastChangeReason() const;
    // Frees the items; change numbers, blocks and the saved point stay.
    void Clear();
    // While locked, changes are ignored.
    void Lock();
    void Unlock();
    // From another undo list: copies of its items and its state, but neither its saved point nor its event.
    void Assign(TPersistent* Source) override;

    int BlockChangeNumber() const { return FBlockChangeNumber; }
    void SetBlockChangeNumber(int Value) { FBlockChangeNumber = Value; }
    int BlockCount() const { return FBlockCount; }
    bool CanUndo() const { return !FItems.empty(); }
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    // Set once items were dropped for the length limit.
    bool FullUndoImpossible() const { return FFullUndoImposible; }
    bool InsideRedo() const { return FInsideRedo; }
    void SetInsideRedo(bool Value) { FInsideRedo = Value; }
    int MaxUndoActions() const { return FMaxUndoActions; }
    // A negative value counts as 0; the oldest items beyond the limit go at once.
    void SetMaxUndoActions(int Value);
    // Whether the list is at the point where the text was last marked unmodified. Setting true
    // records the current point; setting false at that point makes it unreachable.
    bool InitialState() const;
    void SetInitialState(bool Value);

    TNotifyEvent OnAddedUndo;

protected:
    virtual void DoAddedUndo();

private:
    void EnsureMaxEntries();
    static int NextNumber(int Number);

    int FBlockChangeNumber = 0;
    int FBlockCount = 0;
    bool FFullUndoImposible = false;
    std::vector<std::unique_ptr<TCodeEditUndoItem>> FItems;
    int FLockCount = 0;
    int FMaxUndoActions = 1024;
    int FNextChangeNumber = 1;
    // The newest item's change number when the text was last marked unmodified; 0 for an empty list.
    int FInitialChangeNumber = 0;
    // Kept apart from the number: after a wrap through the negative range every number, -1
    // included, can belong to a real item.
    bool FInitialUnreachable = false;
    bool FInsideRedo = false;
};
