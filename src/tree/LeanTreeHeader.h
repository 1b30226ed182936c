#pragma once
// The tree's header: for now the part of it that the node model needs, the sort column and
// direction and the main column, with the column queries the model asks. The header has no
// columns yet, so every query answers for a tree without columns.

#include "platform/base/Persistent.h"
#include "tree/LeanTreeTypes.h"

class TBaseLeanTree;

class TLTHeader : public TPersistent {
    DECLARE_CLASS(TLTHeader, TPersistent)
public:
    explicit TLTHeader(TBaseLeanTree* AOwner = nullptr) : FOwner(AOwner) {}

    TBaseLeanTree* Treeview() const { return FOwner; }

    // The column the tree sorts by (-1: the tree's own order of comparison without a column).
    TColumnIndex SortColumn() const { return FSortColumn; }
    // Clamped to -1 .. column count - 1; a change re-sorts an auto-sorted tree.
    void SetSortColumn(TColumnIndex Value);
    TSortDirection SortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection Value);
    // The column that holds the tree lines (-1 without columns).
    TColumnIndex MainColumn() const { return FMainColumn; }

    // Column queries.
    int ColumnCount() const { return 0; }
    bool UseColumns() const { return ColumnCount() > 0; }
    bool IsValidColumn(TColumnIndex Column) const { return Column >= 0 && Column < ColumnCount(); }
    bool ColumnVisible(TColumnIndex Column) const { return IsValidColumn(Column); }
    // The column is valid and may take the focus.
    bool AllowFocus(TColumnIndex Column) const { return IsValidColumn(Column); }
    // The first visible column that may take the focus, -2 when there is none.
    TColumnIndex FirstVisibleFocusableColumn() const { return InvalidColumn; }
    // Left and right edge of a column in tree coordinates; false for an invalid column.
    bool ColumnBounds(TColumnIndex Column, int& Left, int& Right) const;
    // The sum of the visible columns' widths.
    int ColumnsTotalWidth() const { return 0; }
    // The column at a tree x position (-2 outside every column).
    TColumnIndex ColumnFromPosition(int /*X*/) const { return InvalidColumn; }

protected:
    TPersistent* GetOwner() const override;

private:
    TBaseLeanTree* FOwner;
    TColumnIndex FMainColumn = NoColumn;
    TColumnIndex FSortColumn = NoColumn;
    TSortDirection FSortDirection = sdAscending;

    void ResortTree();
};
