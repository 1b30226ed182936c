#include "editor/EditUndo.h"

#include "platform/base/Strings.h"

// ---- TCodeEditUndoItem ----

TCodeEditUndoItem::TCodeEditUndoItem(TCodeChangeReason AReason, TCodeSelectionMode ASelMode,
                                     TBufferCoord AStart, TBufferCoord AEnd, const String& AChangeStr,
                                     int AChangeNumber)
    : FChangeReason(AReason), FChangeSelMode(ASelMode), FChangeStartPos(AStart), FChangeEndPos(AEnd),
      FChangeStr(AChangeStr), FChangeNumber(AChangeNumber) {}

void TCodeEditUndoItem::Assign(TPersistent* Source) {
    auto* Item = dynamic_cast<TCodeEditUndoItem*>(Source);
    if (!Item) {
        TPersistent::Assign(Source);
        return;
    }
    FChangeReason = Item->FChangeReason;
    FChangeSelMode = Item->FChangeSelMode;
    FChangeStartPos = Item->FChangeStartPos;
    FChangeEndPos = Item->FChangeEndPos;
    FChangeStr = Item->FChangeStr;
    FChangeNumber = Item->FChangeNumber;
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
    if (FLockCount > 0) return;
    int Number = FBlockChangeNumber;
    if (Number == 0) {
        Number = FNextChangeNumber;
        if (FBlockCount == 0) FNextChangeNumber = NextNumber(FNextChangeNumber);
    }
    PushItem(std::make_unique<TCodeEditUndoItem>(AReason, SelMode, AStart, AEnd, ChangeText, Number));
}

void TCodeEditUndoList::PushItem(std::unique_ptr<TCodeEditUndoItem> Item) {
    if (!Item) return;
    // Read before the limit may free the item.
    const bool Announce = Item->ChangeReason() != crGroupBreak;
    FItems.push_back(std::move(Item));
    EnsureMaxEntries();
    if (Announce) DoAddedUndo();
}

TCodeEditUndoItem* TCodeEditUndoList::PeekItem() const {
    return FItems.empty() ? nullptr : FItems.back().get();
}

std::unique_ptr<TCodeEditUndoItem> TCodeEditUndoList::PopItem() {
    if (FItems.empty()) return nullptr;
    std::unique_ptr<TCodeEditUndoItem> Item = std::move(FItems.back());
    FItems.pop_back();
    return Item;
}

void TCodeEditUndoList::DeleteItem(int AIndex) {
    if (AIndex < 0 || AIndex >= ItemCount())
        throw EListError(u"List index out of bounds (" + IntToStr(AIndex) + u")");
    FItems.erase(FItems.begin() + AIndex);
}

void TCodeEditUndoList::BeginBlock() {
    ++FBlockCount;
    FBlockChangeNumber = FNextChangeNumber;
}

void TCodeEditUndoList::EndBlock() {
    if (FBlockCount == 0) return;
    if (--FBlockCount > 0) return;
    const int Closed = FBlockChangeNumber;
    FBlockChangeNumber = 0;
    FNextChangeNumber = NextNumber(FNextChangeNumber);
    if (!FItems.empty() && FItems.back()->ChangeNumber() == Closed) DoAddedUndo();
}

void TCodeEditUndoList::AddGroupBreak() {
    if (LastChangeReason() != crGroupBreak)
        AddChange(crGroupBreak, TBufferCoord(), TBufferCoord(), String(), smNormal);
}

TCodeChangeReason TCodeEditUndoList::LastChangeReason() const {
    return FItems.empty() ? crNothing : FItems.back()->ChangeReason();
}

void TCodeEditUndoList::Clear() {
    FItems.clear();
    FFullUndoImposible = false;
}

void TCodeEditUndoList::Lock() {
    ++FLockCount;
}

void TCodeEditUndoList::Unlock() {
    if (FLockCount > 0) --FLockCount;
}

void TCodeEditUndoList::EnsureMaxEntries() {
    if (ItemCount() <= FMaxUndoActions) return;
    if (FMaxUndoActions == 0) {
        FFullUndoImposible = true;
        FItems.clear();
        return;
    }
    // Whole steps go, the oldest first, and never the newest one: a step longer than the limit
    // (a replacement of every occurrence in a long text) can still be undone as a whole, and no
    // half step is left at the bottom of the list.
    const int Newest = FItems.back()->ChangeNumber();
    const size_t Excess = static_cast<size_t>(ItemCount() - FMaxUndoActions);
    size_t Drop = 0;
    while (Drop < FItems.size() && FItems[Drop]->ChangeNumber() != Newest &&
           (Drop < Excess || FItems[Drop]->ChangeNumber() == FItems[Drop - 1]->ChangeNumber()))
        ++Drop;
    if (Drop == 0) return;
    FFullUndoImposible = true;
    FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(Drop));
}

void TCodeEditUndoList::SetMaxUndoActions(int Value) {
    if (Value < 0) Value = 0;
    if (Value == FMaxUndoActions) return;
    FMaxUndoActions = Value;
    EnsureMaxEntries();
}

bool TCodeEditUndoList::InitialState() const {
    if (FInitialUnreachable) return false;
    if (FItems.empty()) return FInitialChangeNumber == 0;
    return FItems.back()->ChangeNumber() == FInitialChangeNumber;
}

void TCodeEditUndoList::SetInitialState(bool Value) {
    if (Value) {
        FInitialChangeNumber = FItems.empty() ? 0 : FItems.back()->ChangeNumber();
        FInitialUnreachable = false;
    } else if (InitialState()) {
        FInitialChangeNumber = -1;
        FInitialUnreachable = true;
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
    FItems.reserve(List->FItems.size());
    for (const auto& Item : List->FItems) {
        auto Copy = std::make_unique<TCodeEditUndoItem>();
        Copy->Assign(Item.get());
        FItems.push_back(std::move(Copy));
    }
    FBlockChangeNumber = List->FBlockChangeNumber;
    FBlockCount = List->FBlockCount;
    FFullUndoImposible = List->FFullUndoImposible;
    FLockCount = List->FLockCount;
    FMaxUndoActions = List->FMaxUndoActions;
    FNextChangeNumber = List->FNextChangeNumber;
    FInsideRedo = List->FInsideRedo;
}

void TCodeEditUndoList::DoAddedUndo() {
    if (OnAddedUndo) OnAddedUndo(this);
}
