// The selection: a flag in every selected node and a sorted array of the selected nodes, kept in
// step; batch insertion, deferred removal, ranges, click and rubber-band selection, and the
// marks of a pending cut or copy.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <cstdint>

namespace {

using TAddress = std::uintptr_t;

TAddress Address(PLeanNode Node) {
    return reinterpret_cast<TAddress>(Node);
}

bool IsMarked(PLeanNode Entry) {
    return (Address(Entry) & 1) != 0;
}

PLeanNode Marked(PLeanNode Entry) {
    return reinterpret_cast<PLeanNode>(Address(Entry) | 1);
}

} // namespace

// ---- The selection array ------------------------------------------------------------------------

int TBaseLeanTree::CompactSelection(TNodeArray& Array, int Count) {
    if (Count <= 0) return -1;
    int Kept = 0;
    for (int I = 0; I < Count; ++I)
        if (!IsMarked(Array[I])) Array[Kept++] = Array[I];
    return Kept;
}

void TBaseLeanTree::PackSelection() {
    const int Count = CompactSelection(FSelection, FSelectionCount);
    if (Count >= 0) {
        FSelectionCount = Count;
        FSelection.resize(static_cast<std::size_t>(Count));
    }
}

bool TBaseLeanTree::LocateInSelection(PLeanNode Node, int& Index, int LowBound, int HighBound) {
    int L = LowBound < 0 ? 0 : LowBound;
    int H = HighBound < 0 ? FSelectionCount - 1 : HighBound;
    bool Result = false;
    const TAddress Wanted = Address(Node);
    while (L <= H) {
        const int Middle = (L + H) >> 1;
        const TAddress Entry = Address(FSelection[Middle]);
        if (Entry < Wanted) {
            L = Middle + 1;
        } else {
            H = Middle - 1;
            if (Entry == Wanted) {
                L = Middle;
                Result = true;
            }
        }
    }
    Index = L;
    return Result;
}

bool TBaseLeanTree::MergeIntoSelection(TNodeArray& NewItems, int NewLength, bool ForceInsert) {
    if (NewLength <= 0) return false;
    const auto& Selection = TreeOptions()->SelectionOptions();
    if (ForceInsert) {
        for (int I = 0; I < NewLength; ++I) {
            NewItems[I]->States.Include(vsSelected);
            DoAddToSelection(NewItems[I]);
        }
    } else {
        const bool LevelConstraint = Selection.Contains(toLevelSelectConstraint);
        const bool SiblingConstraint = Selection.Contains(toSiblingSelectConstraint);
        if (LevelConstraint && FLastSelectionLevel == -1)
            FLastSelectionLevel = static_cast<int>(GetNodeLevel(NewItems[0]));
        if (SiblingConstraint && !FRangeAnchor) FRangeAnchor = NewItems[0];
        for (int I = 0; I < NewLength; ++I) {
            PLeanNode Item = NewItems[I];
            if (Item->States.Contains(vsSelected) || Item->States.Contains(vsDisabled) ||
                (LevelConstraint && static_cast<int>(GetNodeLevel(Item)) != FLastSelectionLevel) ||
                (SiblingConstraint && Item->Parent != FRangeAnchor->Parent)) {
                NewItems[I] = Marked(Item);
            } else {
                Item->States.Include(vsSelected);
                DoAddToSelection(Item);
            }
        }
    }
    const int Packed = CompactSelection(NewItems, NewLength);
    if (Packed >= 0) NewLength = Packed;
    if (NewLength <= 0) return false;
    if (NewLength > 1)
        std::sort(NewItems.begin(), NewItems.begin() + NewLength,
                  [](PLeanNode A, PLeanNode B) { return Address(A) < Address(B); });
    if (static_cast<std::size_t>(FSelectionCount + NewLength) >= FSelection.size())
        FSelection.resize(static_cast<std::size_t>(FSelectionCount + NewLength));

    // Merge from the top, so that every old entry moves at most once.
    int J = NewLength - 1;
    int E = FSelectionCount - 1;
    while (J >= 0) {
        if (E < 0) {
            std::copy(NewItems.begin(), NewItems.begin() + J + 1, FSelection.begin());
            break;
        }
        while (J >= 0 && Address(NewItems[J]) > Address(FSelection[E])) {
            FSelection[E + J + 1] = NewItems[J];
            --J;
        }
        if (J < 0) break;
        int I = 0;
        LocateInSelection(NewItems[J], I, 0, E);
        --I;
        for (int K = E; K > I; --K)
            FSelection[K + J + 1] = FSelection[K];
        E = I;
    }
    FSelectionCount += NewLength;
    return true;
}

bool TBaseLeanTree::MergeIntoSelection(PLeanNode Node, bool ForceInsert) {
    ASSERT_MSG(Node, u"Node must not be nil!");
    FSingletonNodeArray.assign(1, Node);
    return MergeIntoSelection(FSingletonNodeArray, 1, ForceInsert);
}

bool TBaseLeanTree::AddToSelection(PLeanNode Node) {
    if (FSelectionLocked) return false;
    ASSERT_MSG(Node, u"Node must not be nil!");
    FSingletonNodeArray.assign(1, Node);
    const bool Added = MergeIntoSelection(FSingletonNodeArray, 1, false);
    if (Added) {
        InvalidateNode(Node);
        Change(Node);
    }
    return Added;
}

bool TBaseLeanTree::AddToSelection(TNodeArray& NewItems, int NewLength, bool ForceInsert) {
    const bool Added = MergeIntoSelection(NewItems, NewLength, ForceInsert);
    if (Added) {
        if (NewLength == 1) {
            InvalidateNode(NewItems[0]);
            Change(NewItems[0]);
        } else {
            Invalidate();
            Change(nullptr);
        }
    }
    return Added;
}

void TBaseLeanTree::RemoveFromSelection(PLeanNode Node) {
    if (FSelectionLocked) return;
    ASSERT_MSG(Node, u"Node must not be nil!");
    if (!Node->States.Contains(vsSelected)) return;
    Node->States.Exclude(vsSelected);
    int Index = 0;
    if (LocateInSelection(Node, Index, -1, -1)) {
        FSelection.erase(FSelection.begin() + Index);
        FSelectionCount = std::max(FSelectionCount - 1, 0);
        FSelection.resize(static_cast<std::size_t>(FSelectionCount));
    }
    if (FSelectionCount == 0) ResetSelectionAnchor();
    DoRemoveFromSelection(Node);
    Change(Node);
}

void TBaseLeanTree::UnselectCore(PLeanNode Node) {
    int Index = 0;
    if (!LocateInSelection(Node, Index, -1, -1)) return;
    Node->States.Exclude(vsSelected);
    FSelection[Index] = Marked(Node);
    DoRemoveFromSelection(Node);
    NoteChangeOrDefer(false, Node, crIgnore);
}

void TBaseLeanTree::ClearSelectionCore() {
    // Entries removed before are packed away first: their nodes may be gone.
    PackSelection();
    for (int I = FSelectionCount - 1; I >= 0; --I) {
        PLeanNode Node = FSelection[I];
        Node->States.Exclude(vsSelected);
        --FSelectionCount;
        DoRemoveFromSelection(Node);
    }
    FSelectionCount = 0;
    ResetSelectionAnchor();
    TNodeArray().swap(FSelection);
    DoStateChange({}, {tsClearPending});
}

void TBaseLeanTree::ResetSelectionAnchor() {
    FRangeAnchor = FFocusedNode;
    FLastSelectionLevel = -1;
}

void TBaseLeanTree::AppendToNodeCache(PLeanNode Node) {
    if (FTempNodeCount == FTempNodeCache.size()) {
        const std::size_t Capacity = FTempNodeCache.size();
        FTempNodeCache.resize(Capacity < 100 ? 100 : Capacity + Capacity / 10);
    }
    FTempNodeCache[FTempNodeCount++] = Node;
}

void TBaseLeanTree::ClearNodeCache() {
    TNodeArray().swap(FTempNodeCache);
    FTempNodeCount = 0;
}

// ---- Public selection -----------------------------------------------------------------------------

void TBaseLeanTree::UpdateFocusedColumnForSelection() {
    const TColumnIndex Main = FHeader->MainColumn();
    if ((FFocusedColumn < 0 || !FHeader->ColumnVisible(FFocusedColumn)) && Main >= 0) {
        if (FHeader->ColumnVisible(Main) && FHeader->AllowFocus(Main))
            FFocusedColumn = Main;
        else
            FFocusedColumn = FHeader->FirstVisibleFocusableColumn();
    }
}

void TBaseLeanTree::WriteNodeSelected(PLeanNode Node, bool Value) {
    if (FSelectionLocked || !Node || Node == FRoot || Node->States.Contains(vsSelected) == Value) return;
    if (Value) {
        if (FSelectionCount == 0)
            FRangeAnchor = Node;
        else if (!TreeOptions()->SelectionOptions().Contains(toMultiSelect))
            ClearSelection();
        AddToSelection(Node);
        UpdateFocusedColumnForSelection();
        if (!FRangeAnchor) FRangeAnchor = Node;
    } else {
        RemoveFromSelection(Node);
        if (FSelectionCount == 0) ResetSelectionAnchor();
    }
    if (FullyVisible(Node) && !IsEffectivelyFiltered(Node)) InvalidateNode(Node);
}

void TBaseLeanTree::ClearSelection() {
    if (FSelectionLocked || FSelectionCount == 0 || IsDestroying()) return;
    if (FUpdateCount == 0 && HandleAllocated() && FVisibleCount > 0) {
        // Repaint the selected rows in view.
        int NodeTop = 0;
        PLeanNode Run = GetNodeAt(0, 0, true, NodeTop);
        const int Bottom = ClientHeight();
        while (Run && NodeTop < Bottom) {
            if (Run->States.Contains(vsSelected)) {
                const TRect R{0, NodeTop, ClientWidth(), NodeTop + Run->NodeHeight};
                InvalidateRect(WindowHandle(), &R, false);
            }
            NodeTop += Run->NodeHeight;
            Run = GetNextVisibleNoInit(Run, true);
        }
    }
    ClearSelectionCore();
    Change(nullptr);
}

void TBaseLeanTree::SelectAll(bool VisibleOnly) {
    if (FSelectionLocked || !TreeOptions()->SelectionOptions().Contains(toMultiSelect)) return;
    ClearNodeCache();
    PLeanNode Run = VisibleOnly ? GetFirstVisible(nullptr, true) : GetFirst();
    while (Run) {
        if (!Run->States.Contains(vsSelected)) AppendToNodeCache(Run);
        Run = VisibleOnly ? GetNextVisible(Run, true) : GetNext(Run);
    }
    if (FTempNodeCount > 0) AddToSelection(FTempNodeCache, static_cast<int>(FTempNodeCount), false);
    ClearNodeCache();
    Invalidate();
}

void TBaseLeanTree::InvertSelection(bool VisibleOnly) {
    if (FSelectionLocked || !TreeOptions()->SelectionOptions().Contains(toMultiSelect)) return;
    ClearNodeCache();
    PLeanNode Run = FRoot->FirstChild;
    while (Run) {
        if (Run->States.Contains(vsSelected))
            UnselectCore(Run);
        else
            AppendToNodeCache(Run);
        Run = VisibleOnly ? GetNextVisibleNoInit(Run, true) : GetNextNoInit(Run);
    }
    const int Before = FSelectionCount;
    PackSelection();
    const bool PackedAway = FSelectionCount != Before;
    bool Added = false;
    if (FTempNodeCount > 0) Added = AddToSelection(FTempNodeCache, static_cast<int>(FTempNodeCount), false);
    ClearNodeCache();
    Invalidate();
    if (PackedAway && !Added) Change(nullptr);
}

void TBaseLeanTree::CollectSorted(TNodeArray& Result, bool Resolve, TLeanNodeState State,
                                  std::size_t Capacity, bool GrowByTenth) {
    Result.clear();
    if (!GrowByTenth) Result.reserve(Capacity);
    PLeanNode Run = FRoot->FirstChild;
    while (Run) {
        if (Run->States.Contains(State)) {
            if (GrowByTenth && Result.size() == Result.capacity())
                Result.reserve(Result.capacity() < 100 ? 100 : Result.capacity() + Result.capacity() / 10);
            Result.push_back(Run);
            if (Resolve) {
                // Past the node's subtree.
                while (Run != FRoot && !Run->NextSibling)
                    Run = Run->Parent;
                Run = Run == FRoot ? nullptr : Run->NextSibling;
                continue;
            }
        }
        Run = GetNextNoInit(Run);
    }
    Result.shrink_to_fit();
}

TNodeArray TBaseLeanTree::GetSortedSelection(bool Resolve) {
    TNodeArray Result;
    if (FSelectionCount > 0)
        CollectSorted(Result, Resolve, vsSelected, static_cast<std::size_t>(FSelectionCount), false);
    return Result;
}

TNodeArray TBaseLeanTree::GetSortedCutCopySet(bool Resolve) {
    TNodeArray Result;
    CollectSorted(Result, Resolve, vsCutOrCopy, 0, true);
    return Result;
}

void TBaseLeanTree::DeleteSelectedNodes() {
    if (FSelectionCount == 0 || ReadOnly()) return;
    TUpdateBracket Update(*this);
    const TNodeArray Nodes = GetSortedSelection(true);
    for (std::size_t I = Nodes.size(); I-- > 1;)
        DeleteNode(Nodes[I], Nodes[I]->Parent != Nodes[I - 1]->Parent);
    if (!Nodes.empty()) DeleteNode(Nodes[0], true);
}

// ---- Ranges ---------------------------------------------------------------------------------------

void TBaseLeanTree::SelectRange(PLeanNode StartNode, PLeanNode EndNode, bool AddOnly) {
    ASSERT_MSG(EndNode, u"EndNode must not be nil!");
    if (FSelectionLocked) return;
    ClearNodeCache();
    if (!StartNode || StartNode == FRoot ||
        (!FullyVisible(StartNode) && !GetPreviousVisible(StartNode, true)))
        StartNode = GetFirstVisibleNoInit(nullptr, true);
    else if (!FullyVisible(StartNode))
        StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) return;
    if (CompareNodeOrder(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    PLeanNode Anchor = FRangeAnchor;
    if (!AddOnly) ClearSelectionCore();
    for (PLeanNode Run = StartNode; Run; Run = GetNextVisible(Run, true)) {
        AppendToNodeCache(Run);
        if (Run == EndNode) break;
    }
    AddToSelection(FTempNodeCache, static_cast<int>(FTempNodeCount), false);
    ClearNodeCache();
    if (Anchor && Anchor->States.Contains(vsSelected)) FRangeAnchor = Anchor;
}

void TBaseLeanTree::ToggleRangeNode(PLeanNode Node) {
    if (Node->States.Contains(vsSelected))
        UnselectCore(Node);
    else
        AppendToNodeCache(Node);
}

void TBaseLeanTree::ToggleRangeSelection(PLeanNode StartNode, PLeanNode EndNode) {
    if (FSelectionLocked) return;
    ASSERT_MSG(EndNode, u"EndNode must not be nil!");
    if (!StartNode || StartNode == FRoot)
        StartNode = FRoot->FirstChild;
    else if (!FullyVisible(StartNode))
        StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) return;
    const int Order = CompareNodeOrder(StartNode, EndNode, false);
    if (Order == 0) return;
    PLeanNode First = Order < 0 ? StartNode : EndNode;
    PLeanNode Last = Order < 0 ? EndNode : StartNode;
    ClearNodeCache();
    PLeanNode Anchor = FRangeAnchor;
    if (!Anchor || CompareNodeOrder(First, Anchor, false) < 0) ToggleRangeNode(First);
    for (PLeanNode Run = GetNextVisible(First, true); Run && Run != Last; Run = GetNextVisible(Run, true))
        ToggleRangeNode(Run);
    if (!Anchor || CompareNodeOrder(Last, Anchor, false) > 0) ToggleRangeNode(Last);
    PackSelection();
    // The anchor stays selected.
    if (Anchor && !Anchor->States.Contains(vsSelected)) AppendToNodeCache(Anchor);
    if (FTempNodeCount > 0) AddToSelection(FTempNodeCache, static_cast<int>(FTempNodeCount), false);
    ClearNodeCache();
}

void TBaseLeanTree::DeselectRange(PLeanNode StartNode, PLeanNode EndNode) {
    if (FSelectionLocked) return;
    ASSERT_MSG(EndNode, u"EndNode must not be nil!");
    if (!StartNode || StartNode == FRoot ||
        (!FullyVisible(StartNode) && !GetPreviousVisible(StartNode, true)))
        StartNode = FRoot->FirstChild;
    else if (!FullyVisible(StartNode))
        StartNode = GetPreviousVisible(StartNode, true);
    if (!StartNode) return;
    if (CompareNodeOrder(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    for (PLeanNode Run = StartNode; Run; Run = GetNextVisible(Run, true)) {
        if (Run->States.Contains(vsSelected)) UnselectCore(Run);
        if (Run == EndNode) break;
    }
    PackSelection();
}

// ---- Selection by click ---------------------------------------------------------------------------

void TBaseLeanTree::ApplyClickSelection(PLeanNode, PLeanNode NewNode, TShiftState Shift, bool DragPending) {
    const auto& Selection = TreeOptions()->SelectionOptions();
    if (Shift.Contains(ssCtrl)) {
        if (Shift.Contains(ssShift)) {
            SelectRange(FRangeAnchor, NewNode, true);
        } else {
            if (!Selection.Contains(toSiblingSelectConstraint)) FRangeAnchor = NewNode;
            if (DragPending)
                DoStateChange({tsToggleFocusedSelection});
            else if (NewNode->States.Contains(vsSelected))
                RemoveFromSelection(NewNode);
            else
                AddToSelection(NewNode);
        }
        Invalidate();
    } else if (Shift.Contains(ssShift)) {
        if (!FRangeAnchor) FRangeAnchor = FRoot->FirstChild;
        SelectRange(FRangeAnchor, NewNode, false);
        Invalidate();
    } else {
        if (!NewNode->States.Contains(vsSelected)) {
            AddToSelection(NewNode);
            InvalidateNode(NewNode);
        }
        FRangeAnchor = NewNode;
    }
}

void TBaseLeanTree::FocusFirstIfNone() {
    if (!FFocusedNode) SetFocusedNode(GetFirstVisible(nullptr, true));
}

// ---- Cut and copy ---------------------------------------------------------------------------------

void TBaseLeanTree::MarkCutCopySelection() {
    for (PLeanNode Node : GetSortedSelection(false))
        if (!Node->States.Contains(vsDisabled)) Node->States.Include(vsCutOrCopy);
}

void TBaseLeanTree::CancelCutOrCopy() {
    if (FStates.Contains(tsCutPending) || FStates.Contains(tsCopyPending))
        for (PLeanNode Run = GetFirstNoInit(); Run; Run = GetNextNoInit(Run))
            Run->States.Exclude(vsCutOrCopy);
    DoStateChange({}, {tsCutPending, tsCopyPending});
}

void TBaseLeanTree::FinishCutOrCopy() {
    if (!FStates.Contains(tsCutPending)) return;
    const TNodeArray Nodes = GetSortedCutCopySet(true);
    for (auto It = Nodes.rbegin(); It != Nodes.rend(); ++It)
        DeleteNode(*It, true);
    DoStateChange({}, {tsCutPending});
}

void TBaseLeanTree::FlushClipboard() {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return;
    DoStateChange({tsClipboardFlushing});
    CancelCutOrCopy();
    DoStateChange({}, {tsClipboardFlushing});
}

// ---- Rubber band ----------------------------------------------------------------------------------

bool TBaseLeanTree::HandleDrawSelection(TRect OldRect, TRect NewRect, bool Toggle) {
    if (FRoot->ChildCount == 0) return false;
    auto Normalise = [](TRect& R) {
        if (R.Left > R.Right) std::swap(R.Left, R.Right);
        if (R.Top > R.Bottom) std::swap(R.Top, R.Bottom);
    };
    Normalise(OldRect);
    Normalise(NewRect);
    ClearNodeCache();

    const auto& Paint = TreeOptions()->PaintOptions();
    const auto& Selection = TreeOptions()->SelectionOptions();
    int MainLeft = 0, MainRight = ClientWidth();
    const TColumnIndex Main = FHeader->MainColumn();
    if (FHeader->UseColumns() && FHeader->ColumnBounds(Main, MainLeft, MainRight))
        MainLeft -= FEffectiveOffsetX;
    const bool FullRow = Selection.Contains(toFullRowSelect) || Selection.Contains(toSimpleDrawSelection);
    const bool Checks = TreeOptions()->MiscOptions().Contains(toCheckSupport);

    const int MinY = std::min(OldRect.Top, NewRect.Top);
    const int MaxY = std::max(OldRect.Bottom, NewRect.Bottom);
    int NodeTop = 0;
    PLeanNode Run = GetNodeAt(0, MinY, false, NodeTop);
    bool Changed = false;
    auto Hits = [](const TRect& Region, const TRect& R) {
        TRect Dummy;
        return IntersectRect(Dummy, Region, R);
    };
    while (Run && NodeTop < MaxY) {
        const int Level = static_cast<int>(GetNodeLevel(Run)) + (Paint.Contains(toShowRoot) ? 1 : 0);
        const int IndentStart = MainLeft + FMargin + Level * static_cast<int>(FIndent);
        TRect Region{IndentStart, NodeTop, 0, NodeTop + Run->NodeHeight};
        if (FullRow) {
            Region.Right =
                FHeader->UseColumns() ? FHeader->ColumnsTotalWidth() - FEffectiveOffsetX : INT32_MAX / 2;
        } else {
            int Start = IndentStart;
            if (Checks && Run->CheckType != ctNone) {
                const int Check = CheckImageWidth(Run);
                if (Check > 0) Start += Check + 2;
            }
            if (FImages) Start += FImages->Width() + 2;
            if (FStateImages) Start += FStateImages->Width() + 2;
            Region.Left = Start;
            Region.Right = Start + QueryNodeContentWidth(Run, Main);
        }
        const bool InOld = Hits(Region, OldRect);
        const bool InNew = Hits(Region, NewRect);
        if (InOld != InNew) {
            if (Toggle) {
                ToggleRangeNode(Run);
            } else if (InNew) {
                if (!Run->States.Contains(vsSelected)) AppendToNodeCache(Run);
            } else if (Run->States.Contains(vsSelected)) {
                UnselectCore(Run);
            }
            Changed = true;
        }
        NodeTop += Run->NodeHeight;
        Run = GetNextVisible(Run, true);
    }
    if (Changed) {
        PackSelection();
        if (FTempNodeCount > 0) MergeIntoSelection(FTempNodeCache, static_cast<int>(FTempNodeCount), false);
        ClearNodeCache();
        Change(nullptr);
    }
    return Changed;
}
