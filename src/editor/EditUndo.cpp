#include "editor/EditUndo.h"

#include "platform/base/Strings.h"

// ---- TCodeEditUndoItem ----

TCodeEditUndoItem::TCodeEditUndoItem(TCodeChangeReason AReason, TCodeSelectionMode ASelMode,
                                     TBufferCoord AStart, TBufferCoord AEnd, const String& AChangeStr,
                                     int AChangeNumber)
    : fChangeReason(AReason), fChangeSelMode(ASelMode), fChangeStartPos(AStart), fChangeEndPos(AEnd),
      fChangeStr(AChangeStr), fChangeNumber(AChangeNumber) {}

void TCodeEditUndoItem::Assign(TPersistent* Source) {
    auto* Item = dynamic_cast<TCodeEditUndoItem*>(Source);
    if (!Item) {
        TPersistent::Assign(Source);
        return;
    }
    fChangeReason = Item->fChangeReason;
    fChangeSelMode = Item->fChangeSelMode;
    fChangeStartPos = Item->fChangeStartPos;
    fChangeEndPos = Item->fChangeEndPos;
    fChangeStr = Item->fChangeStr;
    fChangeNumber = Item->fChangeNumber;
}

// ---- TCodeEditUndoList ----

TCodeEditUndoList::~TCodeEditUndoList() {
    Clear();
}

int TCodeEditUndoList::NextNumber(int Number) {
    // Wraps from the largest value into the negative range; 0 is never a change number.
    const int Next = static_cast<int>(static_cast<unsigned>(Number) + 1u);
    return Next == 0 ? 1 : Next;
}

void TCodeEditUndoList::AddChange(TCodeChangeReason AReason, TBufferCoord AStart, TBufferCoord AEnd,
                                  const String& ChangeText, TCodeSelectionMode SelMode) {
    if (fLockCount > 0) return;
    int Number = fBlockChangeNumber;
    if (Number == 0) {
        Number = fNextChangeNumber;
        if (fBlockCount == 0) fNextChangeNumber = NextNumber(fNextChangeNumber);
    }
    PushItem(std::make_unique<TCodeEditUndoItem>(AReason, SelMode, AStart, AEnd, ChangeText, Number));
}

void TCodeEditUndoList::PushItem(std::unique_ptr<TCodeEditUndoItem> Item) {
    if (!Item) return;
    // Read before the limit may free the item.
    const bool Announce = Item->ChangeReason() != crGroupBreak;
    fItems.push_back(std::move(Item));
    EnsureMaxEntries();
    if (Announce) DoAddedUndo();
}

TCodeEditUndoItem* TCodeEditUndoList::PeekItem() const {
    return fItems.empty() ? nullptr : fItems.back().get();
}

std::unique_ptr<TCodeEditUndoItem> TCodeEditUndoList::PopItem() {
    if (fItems.empty()) return nullptr;
    std::unique_ptr<TCodeEditUndoItem> Item = std::move(fItems.back());
    fItems.pop_back();
    return Item;
}

void TCodeEditUndoList::DeleteItem(int AIndex) {
    if (AIndex < 0 || AIndex >= ItemCount())
        throw EListError(u"List index out of bounds (" + IntToStr(AIndex) + u")");
    fItems.erase(fItems.begin() + AIndex);
}

void TCodeEditUndoList::BeginBlock() {
    ++fBlockCount;
    fBlockChangeNumber = fNextChangeNumber;
}

void TCodeEditUndoList::EndBlock() {
    if (fBlockCount == 0) return;
    if (--fBlockCount > 0) return;
    const int Closed = fBlockChangeNumber;
    fBlockChangeNumber = 0;
    fNextChangeNumber = NextNumber(fNextChangeNumber);
    if (!fItems.empty() && fItems.back()->ChangeNumber() == Closed) DoAddedUndo();
}

void TCodeEditUndoList::AddGroupBreak() {
    if (LastChangeReason() != crGroupBreak)
        AddChange(crGroupBreak, TBufferCoord(), TBufferCoord(), String(), smNormal);
}

TCodeChangeReason TCodeEditUndoList::LastChangeReason() const {
    return fItems.empty() ? crNothing : fItems.back()->ChangeReason();
}

void TCodeEditUndoList::Clear() {
    fItems.clear();
    fFullUndoImposible = false;
}

void TCodeEditUndoList::Lock() {
    ++fLockCount;
}

void TCodeEditUndoList::Unlock() {
    if (fLockCount > 0) --fLockCount;
}

void TCodeEditUndoList::EnsureMaxEntries() {
    if (ItemCount() <= fMaxUndoActions) return;
    fFullUndoImposible = true;
    fItems.erase(fItems.begin(), fItems.begin() + (ItemCount() - fMaxUndoActions));
}

void TCodeEditUndoList::SetMaxUndoActions(int Value) {
    if (Value < 0) Value = 0;
    if (Value == fMaxUndoActions) return;
    fMaxUndoActions = Value;
    EnsureMaxEntries();
}

bool TCodeEditUndoList::InitialState() const {
    if (fInitialUnreachable) return false;
    if (fItems.empty()) return fInitialChangeNumber == 0;
    return fItems.back()->ChangeNumber() == fInitialChangeNumber;
}

void TCodeEditUndoList::SetInitialState(bool Value) {
    if (Value) {
        fInitialChangeNumber = fItems.empty() ? 0 : fItems.back()->ChangeNumber();
        fInitialUnreachable = false;
    } else if (InitialState()) {
        fInitialChangeNumber = -1;
        fInitialUnreachable = true;
    }
}

void TCodeEditUndoList::Assign(TPersistent* Source) {
    auto* List = dynamic_cast<TCodeEditUndoList*>(Source);
    if (!List) {
        TPersistent::Assign(Source);
        return;
    }
    if (List == this) return;
    Clear();
    fItems.reserve(List->fItems.size());
    for (const auto& Item : List->fItems) {
        auto Copy = std::make_unique<TCodeEditUndoItem>();
        Copy->Assign(Item.get());
        fItems.push_back(std::move(Copy));
    }
    fBlockChangeNumber = List->fBlockChangeNumber;
    fBlockCount = List->fBlockCount;
    fFullUndoImposible = List->fFullUndoImposible;
    fLockCount = List->fLockCount;
    fMaxUndoActions = List->fMaxUndoActions;
    fNextChangeNumber = List->fNextChangeNumber;
    fInsideRedo = List->fInsideRedo;
}

void TCodeEditUndoList::DoAddedUndo() {
    if (OnAddedUndo) OnAddedUndo(this);
}
