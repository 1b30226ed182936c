#include "tree/LeanTreeHeader.h"

#include "tree/BaseLeanTree.h"

#include <algorithm>

TPersistent* TLTHeader::GetOwner() const {
    return FOwner;
}

bool TLTHeader::ColumnBounds(TColumnIndex Column, int& Left, int& Right) const {
    Left = 0;
    Right = 0;
    return IsValidColumn(Column);
}

void TLTHeader::SetSortColumn(TColumnIndex Value) {
    Value = std::clamp<TColumnIndex>(Value, NoColumn, ColumnCount() - 1);
    if (Value == FSortColumn) return;
    FSortColumn = Value;
    ResortTree();
}

void TLTHeader::SetSortDirection(TSortDirection Value) {
    if (Value == FSortDirection) return;
    FSortDirection = Value;
    ResortTree();
}

void TLTHeader::ResortTree() {
    if (FOwner && FOwner->TreeOptions()->AutoOptions().Contains(toAutoSort) && FOwner->UpdateCount() == 0)
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}
