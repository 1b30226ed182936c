// The selected records of a grid, as bookmarks kept in the dataset's order so that a membership
// test is a binary search; painting asks for the same record again and again, so the last search
// is cached.

#include "dataaware/grids/daDBGrid.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"

TdaBookmarkList::TdaBookmarkList(TdaCustomDBGrid* AGrid) : FGrid(AGrid) {}

TdaBookmarkList::~TdaBookmarkList() {
    FList.clear();
}

const TBookmark& TdaBookmarkList::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    return FList[size_t(Index)];
}

void TdaBookmarkList::InvalidateCache() {
    FCache = TBookmark();
    FCacheIndex = -1;
}

void TdaBookmarkList::Clear() {
    if (FList.empty()) return;
    FList.clear();
    InvalidateCache();
    FGrid->Invalidate();
}

int TdaBookmarkList::Compare(const TBookmark& Item1, const TBookmark& Item2) const {
    TDataSet* DS = FGrid->DataLink()->DataSet();
    return DS ? DS->CompareBookmarks(Item1, Item2) : 0;
}

bool TdaBookmarkList::Find(const TBookmark& Item, int& Index) {
    if (FCacheIndex >= 0 && Item == FCache) {
        Index = FCacheIndex;
        return FCacheFind;
    }
    int Lo = 0, Hi = Count() - 1;
    bool Found = false;
    while (Hi >= Lo) {
        const int Mid = (Lo + Hi) / 2;
        const int C = Compare(FList[size_t(Mid)], Item);
        if (C < 0) {
            Lo = Mid + 1;
        } else {
            Hi = Mid - 1;
            if (C == 0) {
                Found = true;
                Lo = Mid;
            }
        }
    }
    Index = Lo;
    FCache = Item;
    FCacheIndex = Index;
    FCacheFind = Found;
    return Found;
}

int TdaBookmarkList::IndexOf(const TBookmark& Item) {
    int Index;
    return Find(Item, Index) ? Index : -1;
}

TBookmark TdaBookmarkList::CurrentBookmark() const {
    TDataSet* DS = FGrid->DataLink()->DataSet();
    if (!FLinkActive || !DS || !DS->Active()) throw EInvalidGridOperation(daGridTexts::ClosedDataSet);
    // The record of the row the grid made active: painting asks row by row.
    return DS->ActiveBookmark();
}

bool TdaBookmarkList::CurrentRowSelected() {
    const TBookmark B = CurrentBookmark();
    int Index;
    return !B.IsEmpty() && Find(B, Index);
}

void TdaBookmarkList::SetCurrentRowSelected(bool Value) {
    const TBookmark B = CurrentBookmark();
    if (B.IsEmpty()) return;
    int Index;
    if (Find(B, Index) == Value) return;
    if (Value)
        InsertItem(Index, B);
    else
        RemoveItem(Index);
    FGrid->InvalidateCurrentRow();
}

void TdaBookmarkList::InsertItem(int Index, const TBookmark& Item) {
    if (Index < 0 || Index > Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    FList.insert(FList.begin() + Index, Item);
    InvalidateCache();
}

void TdaBookmarkList::RemoveItem(int Index) {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    FList.erase(FList.begin() + Index);
    InvalidateCache();
}

void TdaBookmarkList::DeleteSelection(int Index) { RemoveItem(Index); }

void TdaBookmarkList::Delete() {
    TDataSet* DS = FGrid->DataLink()->DataSet();
    if (!DS) return;
    DS->DisableControls();
    TScopeExit Enable([&] { DS->EnableControls(); });
    for (int I = Count() - 1; I >= 0; --I) {
        DS->GotoBookmark(FList[size_t(I)]);
        DS->Delete();
        RemoveItem(I);
    }
}

bool TdaBookmarkList::Refresh() {
    TDataSet* DS = FGrid->DataLink()->DataSet();
    if (!DS) return false;
    DS->CheckBrowseMode();
    bool Removed = false;
    for (int I = Count() - 1; I >= 0; --I)
        if (!DS->BookmarkValid(FList[size_t(I)])) {
            RemoveItem(I);
            Removed = true;
        }
    if (Removed) FGrid->Invalidate();
    return Removed;
}

void TdaBookmarkList::LinkActive(bool Value) {
    Clear();
    FLinkActive = Value;
}
