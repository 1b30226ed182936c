// Sorting: the children of one node, or every child list of the tree, by the compare event.
// The sibling list is relinked by a stable merge sort on its NextSibling chain; no node data
// moves and nothing is allocated.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"

namespace {

struct TMergeSort {
    TBaseLeanTree* Tree;
    TColumnIndex Column;
    bool Descending;
    std::function<int(PLeanNode, PLeanNode)> Compare;

    // Whether the head of B goes before the head of A; equal nodes keep their order.
    bool TakeB(PLeanNode A, PLeanNode B) const {
        const int Result = Compare(A, B);
        return Descending ? Result < 0 : Result > 0;
    }

    PLeanNode Merge(PLeanNode A, PLeanNode B) const {
        TLeanNode Head{};
        PLeanNode Tail = &Head;
        while (A && B) {
            if (TakeB(A, B)) {
                Tail->NextSibling = B;
                B = B->NextSibling;
            } else {
                Tail->NextSibling = A;
                A = A->NextSibling;
            }
            Tail = Tail->NextSibling;
        }
        Tail->NextSibling = A ? A : B;
        return Head.NextSibling;
    }

    // Sorts the first N nodes of List and advances List past them.
    PLeanNode Sort(PLeanNode& List, Cardinal N) const {
        if (N == 1) {
            PLeanNode Result = List;
            List = List->NextSibling;
            Result->NextSibling = nullptr;
            return Result;
        }
        PLeanNode Left = Sort(List, N / 2);
        PLeanNode Right = Sort(List, (N + 1) / 2);
        return Merge(Left, Right);
    }
};

} // namespace

void TBaseLeanTree::SortChildrenList(PLeanNode Node, TColumnIndex Column, TSortDirection Direction) {
    TMergeSort Sorter{this, Column, Direction == sdDescending, [this, Column](PLeanNode A, PLeanNode B) {
                          return OperationCanceled() ? 0 : DoCompareNodes(A, B, Column);
                      }};
    PLeanNode List = Node->FirstChild;
    PLeanNode Sorted = nullptr;
    StartOperation(okSortNode);
    {
        TScopeExit Ended([&] { EndOperation(okSortNode); });
        // A compare handler that raises leaves the NextSibling chain in pieces, but the back
        // links still hold the old order: the chain is rebuilt from them.
        TScopeExit Repair([&] {
            PLeanNode Next = nullptr;
            for (PLeanNode Run = Node->LastChild; Run; Run = Run->PrevSibling) {
                Run->NextSibling = Next;
                Next = Run;
            }
        });
        Sorted = Sorter.Sort(List, Node->ChildCount);
        Repair.Release();
    }

    // One pass for the back links, the indexes and the last child.
    Node->FirstChild = Sorted;
    PLeanNode Previous = nullptr;
    Cardinal Index = 0;
    for (PLeanNode Run = Sorted; Run; Run = Run->NextSibling) {
        Run->PrevSibling = Previous;
        Run->Index = Index++;
        Previous = Run;
    }
    Node->LastChild = Previous;
    MarkCacheInvalid();
}

void TBaseLeanTree::Sort(PLeanNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    StopCacheValidation();
    if (FStates.Contains(tsEditPending)) {
        KillTreeTimer(EditTimer);
        DoStateChange({}, {tsEditPending});
    }
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return;
    if (DoInit) {
        CreateLazyChildren(Node);
        if (Node->ChildCount > 0) ValidateChildren(Node, false);
    }
    if (Node->ChildCount > 1) SortChildrenList(Node, Column, Direction);
    if (FUpdateCount == 0) {
        StartCacheValidation();
        Invalidate();
    }
}

void TBaseLeanTree::SortTreeLevel(PLeanNode Node, TColumnIndex Column, TSortDirection Direction,
                                  bool DoInit) {
    Sort(Node, Column, Direction, DoInit);
    const bool AutoSorted = AutoSort();
    for (PLeanNode Child = Node->FirstChild; Child && !OperationCanceled(); Child = Child->NextSibling) {
        if (DoInit) InitIfNeeded(Child);
        if (Child->States.Contains(vsInitialized) && (!AutoSorted || Child->States.Contains(vsExpanded)))
            SortTreeLevel(Child, Column, Direction, DoInit);
    }
}

void TBaseLeanTree::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    if (FRoot->TotalCount <= 2) return;
    ++FUpdateCount;
    {
        TScopeExit Counted([&] { --FUpdateCount; });
        if (Column >= ColumnNone) {
            StartOperation(okSortTree);
            TScopeExit Ended([&] { EndOperation(okSortTree); });
            SortTreeLevel(FRoot, Column, Direction, DoInit);
        }
        MarkCacheInvalid();
    }
    if (FUpdateCount == 0) {
        StartCacheValidation();
        Invalidate();
    }
}
