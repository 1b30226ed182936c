// The tree's node storage: construction, node blocks, adding, inserting, attaching, detaching,
// deleting, lazy initialisation, visibility and the counters that keep painting and scrolling
// cheap.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A bare root or node block, zero-filled.
PLeanNode NewBlock(std::size_t Size) {
    void* Memory = std::calloc(1, Size);
    if (!Memory) throw std::bad_alloc();
    return static_cast<PLeanNode>(Memory);
}

constexpr Cardinal RoundUp8(Cardinal Size) {
    return (Size + 7u) & ~7u;
}

} // namespace

ILTEditLink::~ILTEditLink() = default;

// ---- Construction and destruction ---------------------------------------------------------

void TBaseLeanTree::Loaded() {
    TCustomControl::Loaded();
    // The columns added while the tree loaded are laid out side by side now.
    if (FHeader && FHeader->Columns()->NeedsPositionsFix()) FHeader->Columns()->RebuildPositionsFromColumns();
}

TBaseLeanTree::TBaseLeanTree(TComponent* AOwner) : TCustomControl(AOwner), FSingletonNodeArray(1) {
    SetBounds(Left(), Top(), 200, 100);
    SetTabStop(true);
    SetParentColor(false);
    SetDoubleBuffered(false);
    TControlStyle Style = ControlStyle();
    Style.Exclude(csSetCaption);
    Style += TControlStyle{csCaptureMouse, csClickEvents,      csDoubleClicks, csOpaque,
                           csReplicatable, csDisplayDragImage, csReflector};
    SetControlStyle(Style);
    FHeader = std::make_unique<TLTHeader>(this);
    AllocateRoot(0);
    NoteTreeCreated(this);
}

void TBaseLeanTree::BeforeDestruction() {
    // Nodes go while the object is whole, so that descendants' dispatchers still run for them.
    StopCacheValidation();
    if (FOptions && FOptions->MiscOptions().Contains(toReadOnly))
        FOptions->SetMiscOptions(FOptions->MiscOptions() - TLTMiscOptions{toReadOnly});
    CancelCellEdit();
    FEditLink.reset();
    FDestroying = true;
    Clear();
    Timers().Forget(this);
    TCustomControl::BeforeDestruction();
}

TBaseLeanTree::~TBaseLeanTree() {
    NoteTreeDestroyed(this);
    // A tree that never went through BeforeDestruction (one made on the stack) still frees
    // every node.
    FDestroying = true;
    // The panning window must not reach a tree on its way out.
    if (FPanningWindow) {
        FPanningWindow->SetWindowProc({});
        FPanningWindow.reset();
    }
    if (FRoot->ChildCount > 0) {
        if (FOptions && FOptions->MiscOptions().Contains(toReadOnly))
            FOptions->SetMiscOptions(FOptions->MiscOptions() - TLTMiscOptions{toReadOnly});
        Clear();
    }
    Timers().Forget(this);
    std::free(FRoot);
    FRoot = nullptr;
}

TLeanTreeOptionsClass TBaseLeanTree::ChooseOptionsClass() {
    return [](TBaseLeanTree* Owner) -> TCustomLeanTreeOptions* { return new TCustomLeanTreeOptions(Owner); };
}

TCustomLeanTreeOptions* TBaseLeanTree::TreeOptions() const {
    if (!FOptions) {
        auto* Self = const_cast<TBaseLeanTree*>(this);
        FOptions.reset(Self->ChooseOptionsClass()(Self));
    }
    return FOptions.get();
}

bool TBaseLeanTree::ReadOnly() const {
    return TreeOptions()->MiscOptions().Contains(toReadOnly);
}

bool TBaseLeanTree::AutoSort() const {
    return TreeOptions()->AutoOptions().Contains(toAutoSort);
}

bool TBaseLeanTree::ChildrenAbove(bool ConsiderChildrenAbove) const {
    return ConsiderChildrenAbove && TreeOptions()->PaintOptions().Contains(toChildrenAbove);
}

TBaseLeanTree* TBaseLeanTree::TreeFromNode(PLeanNode Node) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    while (Node->PrevSibling != Node)
        Node = Node->Parent;
    return reinterpret_cast<TBaseLeanTree*>(Node->Parent);
}

// ---- Node blocks ----------------------------------------------------------------------------

void TBaseLeanTree::AllocateRoot(std::size_t OldSize) {
    const std::size_t Size = sizeof(TLeanNode) + FTotalInternalDataSize;
    if (!FRoot) {
        FRoot = NewBlock(Size);
    } else {
        void* Memory = std::realloc(FRoot, Size);
        if (!Memory) throw std::bad_alloc();
        FRoot = static_cast<PLeanNode>(Memory);
        if (Size > OldSize) std::memset(reinterpret_cast<Byte*>(FRoot) + OldSize, 0, Size - OldSize);
    }
    FRoot->States = TLeanNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible};
    FRoot->TotalCount = 1;
    FRoot->TotalHeight = FDefaultNodeHeight;
    FRoot->NodeHeight = static_cast<Word>(FDefaultNodeHeight);
    FRoot->Align = 50;
    FRoot->PrevSibling = FRoot;
    FRoot->NextSibling = FRoot;
    FRoot->Parent = reinterpret_cast<PLeanNode>(this);
}

PLeanNode TBaseLeanTree::AllocateNode() {
    const bool Designing = ComponentState().Contains(csDesigning);
    if (FNodeDataSize == -1 && !Designing) {
        int Size = -1;
        DoGetNodeDataSize(Size);
        FNodeDataSize = std::max(Size, -1);
    }
    const std::size_t UserSize = Designing ? 0 : static_cast<std::size_t>(std::max(FNodeDataSize, 0));
    PLeanNode Node = NewBlock(sizeof(TLeanNode) + FTotalInternalDataSize + UserSize);
    Node->TotalCount = 1;
    Node->TotalHeight = FDefaultNodeHeight;
    Node->NodeHeight = static_cast<Word>(FDefaultNodeHeight);
    Node->States = TLeanNodeStates{vsVisible};
    Node->Align = 50;
    return Node;
}

void TBaseLeanTree::FreeNodeBlock(PLeanNode Node) {
    std::free(Node);
}

Cardinal TBaseLeanTree::ReserveInternalDataArea(Cardinal Size) {
    ASSERT_MSG(FRoot->ChildCount == 0, u"Internal data allocation must be done before any node is created.");
    // Areas are multiples of 8 bytes, so that the user data after them holds pointers aligned.
    const Cardinal Offset = FTotalInternalDataSize;
    const std::size_t OldSize = sizeof(TLeanNode) + FTotalInternalDataSize;
    FTotalInternalDataSize += RoundUp8(Size);
    AllocateRoot(OldSize);
    return Offset;
}

void* TBaseLeanTree::GetNodeData(PLeanNode Node) {
    ASSERT_MSG(FNodeDataSize > 0, u"NodeDataSize not initialized.");
    if (!Node || Node == FRoot || FNodeDataSize <= 0) return nullptr;
    Node->States.Include(vsOnFreeNodeCallRequired);
    return Node->Data() + FTotalInternalDataSize;
}

void TBaseLeanTree::SetNodeDataSize(int Value) {
    if (Value < -1) Value = -1;
    if (Value == FNodeDataSize) return;
    FNodeDataSize = Value;
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
    const Cardinal Count = FRoot->ChildCount;
    Clear();
    SetRootNodeCount(Count);
}

Cardinal TBaseLeanTree::GetNodeLevel(PLeanNode Node) const {
    Cardinal Level = 0;
    if (!Node || Node == FRoot) return 0;
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent)
        ++Level;
    return Level;
}

// ---- Derived node predicates ------------------------------------------------------------------

bool TBaseLeanTree::IsEffectivelyFiltered(PLeanNode Node) const {
    return Node && Node->States.Contains(vsFiltered) &&
           !TreeOptions()->PaintOptions().Contains(toShowFilteredNodes);
}

bool TBaseLeanTree::IsEffectivelyVisible(PLeanNode Node) const {
    return Node->States.Contains(vsVisible) && !IsEffectivelyFiltered(Node);
}

bool TBaseLeanTree::VisiblePath(PLeanNode Node) const {
    ASSERT_MSG(Node && Node != FRoot, u"Invalid parameters.");
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent)
        if (!Run->States.Contains(vsExpanded) || !Run->States.Contains(vsVisible)) return false;
    return true;
}

bool TBaseLeanTree::FullyVisible(PLeanNode Node) const {
    ASSERT_MSG(Node, u"Invalid parameter.");
    if (!Node->States.Contains(vsVisible)) return false;
    return Node == FRoot || VisiblePath(Node);
}

// ---- Counters ---------------------------------------------------------------------------------

void TBaseLeanTree::ChangeTotalCount(PLeanNode Node, int Value, bool Relative) {
    if (!Relative) Value -= static_cast<int>(Node->TotalCount);
    // The root's count takes part too: the tree's own count is the root's minus one.
    for (PLeanNode Run = Node; Run; Run = Run == FRoot ? nullptr : Run->Parent)
        Run->TotalCount = static_cast<Cardinal>(static_cast<int>(Run->TotalCount) + Value);
}

void TBaseLeanTree::ChangeTotalHeight(PLeanNode Node, int Value, bool Relative) {
    if (!Relative) Value -= static_cast<int>(Node->TotalHeight);
    if (Value != 0) {
        PLeanNode Run = Node;
        for (;;) {
            Run->TotalHeight = static_cast<Cardinal>(static_cast<int>(Run->TotalHeight) + Value);
            if (Run == FRoot || !Run->States.Contains(vsVisible)) break;
            Run = Run->Parent;
            if (!Run->States.Contains(vsExpanded)) break;
        }
    }
    UpdateVerticalRange();
}

Cardinal TBaseLeanTree::VisibleChildTally(PLeanNode Node) const {
    if (!Node->States.Contains(vsExpanded)) return 0;
    // A list of expanded nodes to count below, in place of recursion: the subtree may be deep.
    Cardinal Count = 0;
    std::vector<PLeanNode> Expanded{Node};
    while (!Expanded.empty()) {
        PLeanNode Run = Expanded.back();
        Expanded.pop_back();
        for (PLeanNode Child = Run->FirstChild; Child; Child = Child->NextSibling)
            if (Child->States.Contains(vsVisible)) {
                if (Child->States.Contains(vsExpanded)) Expanded.push_back(Child);
                if (!IsEffectivelyFiltered(Child)) ++Count;
            }
    }
    return Count;
}

int TBaseLeanTree::LevelDistance(PLeanNode Node1, PLeanNode Node2) const {
    ASSERT_MSG(Node1 && Node2, u"Both nodes must be Assigned.");
    return static_cast<int>(GetNodeLevel(Node2)) - static_cast<int>(GetNodeLevel(Node1));
}

void TBaseLeanTree::UpdateHiddenChildrenFlag(PLeanNode Node) {
    if (Node->ChildCount > 0) {
        bool AnyVisible = false;
        for (PLeanNode Child = Node->FirstChild; Child && !AnyVisible; Child = Child->NextSibling)
            AnyVisible = IsEffectivelyVisible(Child);
        if (AnyVisible)
            Node->States.Exclude(vsAllChildrenHidden);
        else
            Node->States.Include(vsAllChildrenHidden);
    } else if (Node->States.Contains(vsHasChildren)) {
        Node->States.Exclude(vsAllChildrenHidden);
    } else {
        Node->States.Include(vsAllChildrenHidden);
    }
}

void TBaseLeanTree::UpdateAllHiddenChildrenFlags() {
    for (PLeanNode Run = GetFirstNoInit(); Run; Run = GetNextNoInit(Run))
        UpdateHiddenChildrenFlag(Run);
}

// ---- Adding -----------------------------------------------------------------------------------

void TBaseLeanTree::CancelEditOf(PLeanNode Node) {
    // A running edit of the node (or of a node below it) cannot outlive the node.
    if (!FStates.Contains(tsEditing) && !FStates.Contains(tsEditPending)) return;
    if (Node && FFocusedNode && FFocusedNode != Node && !HasAsParent(FFocusedNode, Node)) return;
    if (!CancelCellEdit() && FStates.Contains(tsEditing)) {
        // The editor refused; it still has to go.
        DoStateChange({}, {tsEditing});
        FEditLink.reset();
    }
}

PLeanNode TBaseLeanTree::AddChild(PLeanNode Parent, void* UserData) {
    if (ReadOnly()) return nullptr;
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) CancelCellEdit();
    if (!Parent) Parent = FRoot;
    if (!Parent->States.Contains(vsInitialized)) InitializeNode(Parent);

    ++FUpdateCount;
    {
        TScopeExit Counted([&] { --FUpdateCount; });
        WriteChildCount(Parent, Parent->ChildCount + 1);
        Parent->States.Exclude(vsAllChildrenHidden);
    }
    PLeanNode Result = Parent->LastChild;

    if (UserData) {
        if (FNodeDataSize < static_cast<int>(sizeof(void*)))
            throw ELeanTreeError(u"Cannot set initial user data because there is not enough user data space "
                                 u"allocated.",
                                 2008);
        std::memcpy(Result->Data() + FTotalInternalDataSize, &UserData, sizeof(void*));
        Result->States.Include(vsOnFreeNodeCallRequired);
    }

    MarkCacheInvalid();
    if (FUpdateCount == 0) {
        StartCacheValidation();
        if (FStates.Contains(tsStructureChangePending))
            DeliverStructureChange(Parent == FRoot ? nullptr : Parent, crChildAdded);
        if (AutoSort() && FHeader->SortColumn() >= ColumnNone)
            Sort(Parent, FHeader->SortColumn(), FHeader->SortDirection(), true);
        InvalidateToBottom(Parent);
        UpdateScrollBars(true);
    }
    return Result;
}

PLeanNode TBaseLeanTree::InsertNode(PLeanNode Node, TLTNodeAttachMode Mode, void* UserData) {
    if (Mode == amNoWhere) return nullptr;
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) CancelCellEdit();
    if (!Node) Node = FRoot;
    if (Node == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    // The new node's data size is known only once a node was allocated.
    PLeanNode Result = AllocateNode();
    if ((Mode == amAddChildFirst || Mode == amAddChildLast) && !Node->States.Contains(vsInitialized))
        InitializeNode(Node);
    AttachNode(Result, Node, Mode, this);

    if (UserData) {
        if (FNodeDataSize < static_cast<int>(sizeof(void*)))
            throw ELeanTreeError(u"Cannot set initial user data because there is not enough user data space "
                                 u"allocated.",
                                 2008);
        std::memcpy(Result->Data() + FTotalInternalDataSize, &UserData, sizeof(void*));
        Result->States.Include(vsOnFreeNodeCallRequired);
    }

    if (FUpdateCount == 0) {
        if (AutoSort() && FHeader->SortColumn() >= ColumnNone) {
            PLeanNode SortNode = (Mode == amInsertBefore || Mode == amInsertAfter) ? Node->Parent : Node;
            Sort(SortNode, FHeader->SortColumn(), FHeader->SortDirection(), true);
        }
        UpdateScrollBars(true);
        InvalidateToBottom(Mode == amInsertBefore ? Result : Node);
    }
    StructureChange(Result, crNodeAdded);
    return Result;
}

void TBaseLeanTree::WriteChildCount(PLeanNode Node, Cardinal NewChildCount) {
    if (ReadOnly()) return;
    if (!Node) Node = FRoot;
    if (NewChildCount == 0) {
        DeleteChildren(Node, false);
        return;
    }
    if (NewChildCount == Node->ChildCount) return;

    StopCacheValidation();
    if (NewChildCount > Node->ChildCount) {
        Cardinal Index = 0;
        if (Node->LastChild)
            Index = Node->LastChild->Index + 1;
        else
            Node->States.Include(vsHasChildren);
        Node->States.Exclude(vsAllChildrenHidden);
        Node->States.Exclude(vsHeightMeasured);

        const Cardinal Count = NewChildCount - Node->ChildCount;
        int NewHeight = 0;
        for (Cardinal I = 0; I < Count; ++I) {
            PLeanNode Child = AllocateNode();
            Child->Index = Index++;
            Child->Parent = Node;
            Child->PrevSibling = Node->LastChild;
            if (Node->LastChild)
                Node->LastChild->NextSibling = Child;
            else
                Node->FirstChild = Child;
            Node->LastChild = Child;
            NewHeight += Child->NodeHeight;
        }
        if (Node->States.Contains(vsExpanded)) {
            ChangeTotalHeight(Node, NewHeight, true);
            if (FullyVisible(Node)) FVisibleCount += Count;
        }
        ChangeTotalCount(Node, static_cast<int>(Count), true);
        Node->ChildCount = NewChildCount;
        if (FUpdateCount == 0 && AutoSort() && FHeader->SortColumn() >= ColumnNone)
            Sort(Node, FHeader->SortColumn(), FHeader->SortDirection(), true);
        MarkCacheInvalid();
    } else {
        while (Node->ChildCount > NewChildCount)
            DeleteNode(Node->LastChild, true);
    }
    if (FUpdateCount == 0) {
        StartCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
    }
    StructureChange(Node == FRoot ? nullptr : Node, crChildAdded);
}

// ---- Attaching and detaching -------------------------------------------------------------------

void TBaseLeanTree::AttachNode(PLeanNode Node, PLeanNode Destination, TLTNodeAttachMode Mode,
                               TBaseLeanTree* Target) {
    if (Target && Target != this) {
        Target->AttachNode(Node, Destination, Mode, Target);
        return;
    }
    PLeanNode Parent = nullptr;
    switch (Mode) {
    case amInsertBefore: {
        Parent = Destination->Parent;
        Node->Parent = Parent;
        Node->NextSibling = Destination;
        Node->PrevSibling = Destination->PrevSibling;
        Destination->PrevSibling = Node;
        if (Node->PrevSibling)
            Node->PrevSibling->NextSibling = Node;
        else
            Parent->FirstChild = Node;
        Node->Index = Destination->Index;
        for (PLeanNode Run = Destination; Run; Run = Run->NextSibling)
            ++Run->Index;
        break;
    }
    case amInsertAfter: {
        Parent = Destination->Parent;
        Node->Parent = Parent;
        Node->PrevSibling = Destination;
        Node->NextSibling = Destination->NextSibling;
        Destination->NextSibling = Node;
        if (Node->NextSibling)
            Node->NextSibling->PrevSibling = Node;
        else
            Parent->LastChild = Node;
        Node->Index = Destination->Index + 1;
        for (PLeanNode Run = Node->NextSibling; Run; Run = Run->NextSibling)
            ++Run->Index;
        break;
    }
    case amAddChildFirst: {
        Parent = Destination;
        Node->Parent = Parent;
        Node->PrevSibling = nullptr;
        Node->NextSibling = Parent->FirstChild;
        if (Parent->FirstChild)
            Parent->FirstChild->PrevSibling = Node;
        else
            Parent->LastChild = Node;
        Parent->FirstChild = Node;
        Cardinal Index = 0;
        for (PLeanNode Run = Node; Run; Run = Run->NextSibling)
            Run->Index = Index++;
        break;
    }
    case amAddChildLast: {
        Parent = Destination;
        Node->Parent = Parent;
        Node->NextSibling = nullptr;
        Node->PrevSibling = Parent->LastChild;
        if (Parent->LastChild)
            Parent->LastChild->NextSibling = Node;
        else
            Parent->FirstChild = Node;
        Parent->LastChild = Node;
        Node->Index = Node->PrevSibling ? Node->PrevSibling->Index + 1 : 0;
        break;
    }
    default:
        return;
    }

    ++Parent->ChildCount;
    Parent->States.Include(vsHasChildren);
    ChangeTotalCount(Parent, static_cast<int>(Node->TotalCount), true);
    // The parent's height holds its shown children's heights whenever it is expanded, also
    // below a collapsed ancestor; the visible count only takes rows the user can reach.
    if (Parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible))
        ChangeTotalHeight(Parent, static_cast<int>(Node->TotalHeight), true);
    if (FullyVisible(Node)) FVisibleCount += VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0);
    Node->States -= TLeanNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsClearing};
    if (Parent != FRoot) {
        if (IsEffectivelyVisible(Node))
            Parent->States.Exclude(vsAllChildrenHidden);
        else if (Parent->ChildCount == 1)
            Parent->States.Include(vsAllChildrenHidden);
    }
}

PLeanNode TBaseLeanTree::DetachNode(PLeanNode Node, bool KeepFocus, bool Reindex) {
    ASSERT_MSG(Node && Node != FRoot, u"Node must neither be nil nor the root node.");
    if (Node == FFocusedNode && !KeepFocus) {
        FFocusedNode = nullptr;
        DoFocusChanged(nullptr, FFocusedColumn);
    }
    if (Node == FRangeAnchor) ResetSelectionAnchor();

    PLeanNode Parent = Node->Parent;
    // A node being deleted by its parent's DeleteChildren stays linked: the parent's list and
    // counters are reset once at the end.
    if (Node->States.Contains(vsDeleting)) return Node;

    Node->States.Exclude(vsChecking);
    // What the node contributes, taken while it is still linked.
    const bool CountsInHeight = Parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible);
    const Cardinal VisibleShare =
        FullyVisible(Node) ? VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0) : 0;

    ChangeTotalCount(Parent, -static_cast<int>(Node->TotalCount), true);
    if (CountsInHeight) ChangeTotalHeight(Parent, -static_cast<int>(Node->TotalHeight), true);
    FVisibleCount -= VisibleShare;

    if (Node->PrevSibling)
        Node->PrevSibling->NextSibling = Node->NextSibling;
    else
        Parent->FirstChild = Node->NextSibling;
    if (Node->NextSibling) {
        Node->NextSibling->PrevSibling = Node->PrevSibling;
        if (Reindex) {
            Cardinal Index = Node->Index;
            for (PLeanNode Run = Node->NextSibling; Run; Run = Run->NextSibling)
                Run->Index = Index++;
        }
    } else {
        Parent->LastChild = Node->PrevSibling;
    }
    Node->PrevSibling = nullptr;
    Node->NextSibling = nullptr;

    --Parent->ChildCount;
    if (Parent->ChildCount == 0) {
        Parent->States -= TLeanNodeStates{vsAllChildrenHidden, vsHasChildren};
        if (Parent != FRoot) Parent->States.Exclude(vsExpanded);
    }
    if (Parent != FRoot && !Parent->States.Contains(vsClearing)) {
        if (FUpdateCount == 0)
            UpdateHiddenChildrenFlag(Parent);
        else
            DoStateChange({tsUpdateHiddenChildrenNeeded});
    }
    return Node;
}

// ---- Deleting ---------------------------------------------------------------------------------

void TBaseLeanTree::RemoveDeletedFromSelection(PLeanNode Node) {
    // A deleted node leaves the selection whatever the lock says: the array must not keep it.
    int Index = 0;
    if (!LocateInSelection(Node, Index, -1, -1)) {
        Node->States.Exclude(vsSelected);
        return;
    }
    Node->States.Exclude(vsSelected);
    FSelection.erase(FSelection.begin() + Index);
    --FSelectionCount;
    if (FSelectionCount == 0) ResetSelectionAnchor();
    DoRemoveFromSelection(Node);
    Change(Node);
}

void TBaseLeanTree::DeleteNode(PLeanNode Node, bool Reindex) {
    if (!Node || Node == FRoot || ReadOnly()) return;
    ASSERT_MSG(!FStates.Contains(tsIterating),
               u"Deleting nodes during tree iteration leads to invalid pointers.");

    PLeanNode Parent = Node->Parent;
    const bool ParentClearing = Parent->States.Contains(vsClearing);
    CancelEditOf(Node);
    if (!ParentClearing) StructureChange(Parent == FRoot ? nullptr : Parent, crChildDeleted);

    if (!Node->States.Contains(vsSelected)) {
        if (!ParentClearing) InvalidateToBottom(Parent);
    } else if (FUpdateCount > 0) {
        UnselectCore(Node);
    } else {
        const bool WasSynch = FStates.Contains(tsSynchMode);
        if (!WasSynch) DoStateChange({tsSynchMode});
        {
            TScopeExit Synched([&] {
                if (!WasSynch) DoStateChange({}, {tsSynchMode});
            });
            RemoveDeletedFromSelection(Node);
        }
        InvalidateToBottom(Parent);
    }
    if (FStates.Contains(tsHint)) {
        if (Application) Application->CancelHint();
        DoStateChange({}, {tsHint});
    }
    if (!ParentClearing) StopCacheValidation();

    const int OldOffsetX = FOffsetX;
    const int OldOffsetY = FOffsetY;
    DeleteChildren(Node, false);
    DetachNode(Node, false, Reindex);
    DoFreeNode(Node);
    if (ParentClearing) return;

    if (Parent != FRoot) UpdateHiddenChildrenFlag(Parent);
    MarkCacheInvalid();
    if (FUpdateCount == 0) {
        StartCacheValidation();
        UpdateScrollBars(true);
        if (FOffsetX != OldOffsetX || FOffsetY != OldOffsetY) Invalidate();
    }
}

void TBaseLeanTree::DeleteChildren(PLeanNode Node, bool ResetHasChildren) {
    if (!Node) return;
    if (Node->ChildCount == 0 || ReadOnly()) {
        // A node keeps vsHasChildren while it has children.
        if (ResetHasChildren && Node->ChildCount == 0) Node->States.Exclude(vsHasChildren);
        return;
    }
    ASSERT_MSG(!FStates.Contains(tsIterating),
               u"Deleting nodes during tree iteration leads to invalid pointers.");

    const int OldOffsetX = FOffsetX;
    const int OldOffsetY = FOffsetY;
    ++FUpdateCount;
    {
        TScopeExit Counted([&] {
            Node->States.Exclude(vsClearing); // also when a handler raised
            --FUpdateCount;
        });
        StopCacheValidation();
        const bool ChildrenCount = Node == FRoot || (Node->States.Contains(vsExpanded) && FullyVisible(Node));
        Node->States.Include(vsClearing);
        DeleteClearedSubtrees(Node, ChildrenCount);
        Node->States.Exclude(vsClearing);
        if (ResetHasChildren) Node->States.Exclude(vsHasChildren);
        if (Node != FRoot) Node->States.Exclude(vsExpanded);
        Node->ChildCount = 0;
        if (Node == FRoot || Node->States.Contains(vsDeleting)) {
            // Nothing above needs to hear of it: the root has no parent and a node being
            // deleted goes with its parent's list.
            Node->TotalHeight = Node->NodeHeight;
            Node->TotalCount = 1;
            if (Node == FRoot) UpdateVerticalRange();
        } else {
            ChangeTotalHeight(Node, IsEffectivelyFiltered(Node) ? 0 : Node->NodeHeight, false);
            ChangeTotalCount(Node, 1, false);
            UpdateHiddenChildrenFlag(Node);
        }
        Node->FirstChild = nullptr;
        Node->LastChild = nullptr;
    }

    MarkCacheInvalid();
    if (FUpdateCount == 0) {
        PackSelection();
        // Selected nodes went with the children: the owner hears of it now, not at some later
        // update.
        if (FStates.Contains(tsChangePending)) Change(FLastChangedNode);
        StartCacheValidation();
        UpdateScrollBars(true);
        if (FOffsetX != OldOffsetX || FOffsetY != OldOffsetY)
            Invalidate();
        else
            InvalidateToBottom(Node);
    }
    StructureChange(Node == FRoot ? nullptr : Node, crChildDeleted);
}

void TBaseLeanTree::DeleteClearedSubtrees(PLeanNode Node, bool ChildrenCount) {
    // What DeleteNode and DeleteChildren do for each node below a node being cleared, with a list
    // of the nodes being cleared in place of recursion: a tree may be nested as deep as a stream
    // says. Children go from the last to the first, each after its own subtree.
    struct TClearing {
        PLeanNode Node;
        PLeanNode Next;      // the child to delete next
        bool ChildrenCount;  // its children count in the visible count (its path is open)
    };
    std::vector<TClearing> Clearing{{Node, Node->LastChild, ChildrenCount}};
    TScopeExit Unwound([&] {
        // Also when a handler raised: no node keeps the clearing mark. Node is the caller's.
        for (std::size_t I = 1; I < Clearing.size(); ++I)
            Clearing[I].Node->States.Exclude(vsClearing);
    });
    auto Free = [&](PLeanNode Child) {
        DetachNode(Child, false, true);
        DoFreeNode(Child);
    };
    while (true) {
        TClearing& Top = Clearing.back();
        PLeanNode Child = Top.Next;
        if (!Child) {
            if (Clearing.size() == 1) break;
            // A node's children are gone: it is reset the way DeleteChildren leaves a node being
            // deleted, and goes itself.
            PLeanNode Done = Top.Node;
            Clearing.pop_back();
            Done->States -= TLeanNodeStates{vsClearing, vsExpanded};
            Done->ChildCount = 0;
            Done->TotalHeight = Done->NodeHeight;
            Done->TotalCount = 1;
            Done->FirstChild = nullptr;
            Done->LastChild = nullptr;
            MarkCacheInvalid();
            StructureChange(Done, crChildDeleted);
            Free(Done);
            continue;
        }
        PLeanNode Previous = Child->PrevSibling;
        Top.Next = Previous;
        if (Top.ChildrenCount && IsEffectivelyVisible(Child)) --FVisibleCount;
        Child->States.Include(vsDeleting);
        if (Previous) Previous->NextSibling = nullptr;
        if (ReadOnly()) continue;
        ASSERT_MSG(!FStates.Contains(tsIterating),
                   u"Deleting nodes during tree iteration leads to invalid pointers.");
        CancelEditOf(Child);
        if (Child->States.Contains(vsSelected)) UnselectCore(Child);
        if (FStates.Contains(tsHint)) {
            if (Application) Application->CancelHint();
            DoStateChange({}, {tsHint});
        }
        if (Child->ChildCount > 0) {
            StopCacheValidation();
            // Its children count when it is expanded and visible on an open path: its parent's
            // answer says whether the path above is open (no walk up a deep chain per node).
            const bool Counts = Child->States.Contains(vsExpanded) && Child->States.Contains(vsVisible) &&
                                (Top.Node == FRoot || Top.ChildrenCount);
            Child->States.Include(vsClearing);
            Clearing.push_back({Child, Child->LastChild, Counts});
            continue;
        }
        Free(Child);
    }
}

void TBaseLeanTree::Clear() {
    if (ReadOnly() && !IsDestroying()) return;
    TUpdateBracket Update(*this);
    StopCacheValidation();
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) CancelCellEdit();
    if (FStates.Contains(tsCutPending) || FStates.Contains(tsCopyPending))
        DoStateChange({}, {tsCutPending, tsCopyPending});
    ClearSelection();
    FFocusedNode = nullptr;
    FLastSelected = nullptr;
    FCurrentHotNode = nullptr;
    FDropTargetNode = nullptr;
    FLastChangedNode = nullptr;
    FRangeAnchor = nullptr;
    FCheckNode = nullptr;
    FLastVCLDragTarget = nullptr;
    FLastSearchNode = nullptr;
    FHeightTrackNode = nullptr;
    DeleteChildren(FRoot, true);
    FOffsetX = 0;
    FOffsetY = 0;
    FEffectiveOffsetX = 0;
}

// ---- Initialisation ---------------------------------------------------------------------------

void TBaseLeanTree::InitializeNode(PLeanNode Node) {
    TLeanNodeInitStates InitStates;
    if (Node->States.Contains(vsInitialized)) InitStates.Include(ivsReInit);
    Node->States.Include(vsInitialized);
    DoInitNode(Node->Parent == FRoot ? nullptr : Node->Parent, Node, InitStates);

    if (InitStates.Contains(ivsDisabled)) Node->States.Include(vsDisabled);
    if (InitStates.Contains(ivsHasChildren)) Node->States.Include(vsHasChildren);
    if (InitStates.Contains(ivsSelected)) {
        FSingletonNodeArray.assign(1, Node);
        AddToSelection(FSingletonNodeArray, 1, false);
    }
    if (InitStates.Contains(ivsMultiline)) Node->States.Include(vsMultiline);
    // A node filtered already (a re-initialisation) has given up its height before.
    if (InitStates.Contains(ivsFiltered) && !Node->States.Contains(vsFiltered)) {
        Node->States.Include(vsFiltered);
        if (!TreeOptions()->PaintOptions().Contains(toShowFilteredNodes)) {
            ChangeTotalHeight(Node, -static_cast<int>(Node->NodeHeight), true);
            if (FullyVisible(Node)) --FVisibleCount;
            UpdateScrollBars(true);
        }
    }
    if (InitStates.Contains(ivsExpanded) != Node->States.Contains(vsExpanded)) {
        if (InitStates.Contains(ivsExpanded)) ToggleNode(Node);
    } else if (Node->States.Contains(vsExpanded) && Node->States.Contains(vsHasChildren)) {
        InitializeChildren(Node);
    }
}

void TBaseLeanTree::InitializeChildren(PLeanNode Node) {
    if (!Node || Node == FRoot || !Node->States.Contains(vsHasChildren)) return;
    Cardinal Count = Node->ChildCount;
    DoInitChildren(Node, Count);
    if (Count != Node->ChildCount) WriteChildCount(Node, Count);
    if (Count == 0) {
        // A node without children is not expanded, as a load of it would also find: saving it
        // expanded would lose the state only at the second load.
        Node->States -= TLeanNodeStates{vsHasChildren, vsExpanded};
        UpdateHiddenChildrenFlag(Node);
    }
}

void TBaseLeanTree::ValidateNode(PLeanNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    if (Node != FRoot) InitIfNeeded(Node);
    if (!Recursive) return;
    CreateLazyChildren(Node);
    // Depth first, each node before its children, with the path down in place of recursion: a
    // tree may be nested as deep as a stream says. A node's next sibling is taken once its
    // subtree is done.
    std::vector<PLeanNode> Path;
    PLeanNode Run = Node->FirstChild;
    while (Run || !Path.empty()) {
        if (Run) {
            InitIfNeeded(Run);
            CreateLazyChildren(Run);
            Path.push_back(Run);
            Run = Run->FirstChild;
        } else {
            Run = Path.back()->NextSibling;
            Path.pop_back();
        }
    }
}

void TBaseLeanTree::ValidateChildren(PLeanNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    CreateLazyChildren(Node);
    for (PLeanNode Child = Node->FirstChild; Child; Child = Child->NextSibling)
        ValidateNode(Child, Recursive);
}

void TBaseLeanTree::ReinitNode(PLeanNode Node, bool Recursive) {
    if (Node && Node != FRoot) {
        Node->States -= TLeanNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsHeightMeasured};
        InitializeNode(Node);
    }
    if (Recursive) ReinitChildren(Node, true);
}

void TBaseLeanTree::ReinitChildren(PLeanNode Node, bool Recursive) {
    if (!Node) Node = FRoot;
    InitializeChildren(Node);
    for (PLeanNode Child = Node->FirstChild; Child; Child = Child->NextSibling)
        ReinitNode(Child, Recursive);
}

void TBaseLeanTree::ResetNode(PLeanNode Node) {
    CancelCellEdit();
    if (!Node || Node == FRoot) {
        Clear();
        return;
    }
    DoResetNode(Node);
    DeleteChildren(Node, false);
    Node->States -= TLeanNodeStates{vsInitialized, vsChecking,    vsCutOrCopy,     vsDeleting,
                                    vsExpanded,    vsHasChildren, vsHeightMeasured};
    InvalidateNode(Node);
}

// ---- Visibility -------------------------------------------------------------------------------

void TBaseLeanTree::WriteNodeVisible(PLeanNode Node, bool Value) {
    ASSERT_MSG(Node && Node != FRoot, u"Invalid parameter.");
    if (Node->States.Contains(vsVisible) == Value) return;
    StopCacheValidation();
    PLeanNode Parent = Node->Parent;
    bool CountChanged = false;
    if (Value) {
        Node->States.Include(vsVisible);
        if (Parent->States.Contains(vsExpanded))
            ChangeTotalHeight(Parent, static_cast<int>(Node->TotalHeight), true);
        if (VisiblePath(Node)) {
            FVisibleCount += VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0);
            CountChanged = true;
        }
        if (!IsEffectivelyFiltered(Node)) Parent->States.Exclude(vsAllChildrenHidden);
    } else {
        if (Parent->States.Contains(vsExpanded))
            ChangeTotalHeight(Parent, -static_cast<int>(Node->TotalHeight), true);
        if (VisiblePath(Node)) {
            FVisibleCount -= VisibleChildTally(Node) + (IsEffectivelyVisible(Node) ? 1 : 0);
            CountChanged = true;
        }
        Node->States.Exclude(vsVisible);
        if (Parent != FRoot) {
            if (FUpdateCount == 0)
                UpdateHiddenChildrenFlag(Parent);
            else
                DoStateChange({tsUpdateHiddenChildrenNeeded});
        }
    }
    MarkCacheInvalid();
    if (CountChanged && FUpdateCount == 0) {
        StartCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
    }
}

bool TBaseLeanTree::NodeVisible(PLeanNode Node) {
    if (!Node) Node = FRoot;
    if (Node != FRoot) InitIfNeeded(Node);
    return Node->States.Contains(vsVisible);
}

// ---- Per-node and tree-wide properties ----------------------------------------------------------

Cardinal TBaseLeanTree::ChildCount(PLeanNode Node) const {
    return (Node ? Node : FRoot)->ChildCount;
}

bool TBaseLeanTree::HasChildren(PLeanNode Node) const {
    return (Node ? Node : FRoot)->States.Contains(vsHasChildren);
}

void TBaseLeanTree::SetExpanded(PLeanNode Node, bool Value) {
    if (Node && Node != FRoot && Node->States.Contains(vsExpanded) != Value) ToggleNode(Node);
}

int TBaseLeanTree::NodeHeight(PLeanNode Node) {
    if (!Node || Node == FRoot) return 0;
    if (TreeOptions()->MiscOptions().Contains(toVariableNodeHeight) &&
        !Node->States.Contains(vsHeightMeasured)) {
        InitIfNeeded(Node);
        MeasureItemHeight(Canvas(), Node);
    }
    return Node->NodeHeight;
}

void TBaseLeanTree::SetNodeHeight(PLeanNode Node, Cardinal Value) {
    WriteNodeHeight(Node, Value);
}

void TBaseLeanTree::WriteNodeHeight(PLeanNode Node, Cardinal Value) {
    if (!Node || Node == FRoot || Value == Node->NodeHeight || ReadOnly()) return;
    Value = std::min<Cardinal>(Value, 0xFFFF);
    const int Difference = static_cast<int>(Value) - static_cast<int>(Node->NodeHeight);
    Node->NodeHeight = static_cast<Word>(Value);
    if (!IsEffectivelyFiltered(Node)) ChangeTotalHeight(Node, Difference, true);
    if (FStates.Contains(tsEditing) && FFocusedNode == Node) PlaceEditor();
    if (!FStates.Contains(tsValidating) && FullyVisible(Node) && !IsEffectivelyFiltered(Node)) {
        MarkCacheInvalid();
        if (FUpdateCount == 0 && !FStates.Contains(tsPainting) && !FStates.Contains(tsSizing)) {
            StartCacheValidation();
            InvalidateToBottom(Node);
            UpdateScrollBars(true);
        }
    }
}

void TBaseLeanTree::SetRootNodeCount(Cardinal Value) {
    if (ComponentState().Contains(csLoading)) {
        // Applied once the form has loaded.
        FRoot->ChildCount = Value;
        DoStateChange({tsNeedRootCountUpdate});
        return;
    }
    if (FRoot->ChildCount == Value) return;
    TUpdateBracket Update(*this);
    StopCacheValidation();
    WriteChildCount(FRoot, Value);
}

Cardinal TBaseLeanTree::TotalCount() {
    ++FUpdateCount;
    {
        TScopeExit Counted([&] { --FUpdateCount; });
        ValidateNode(FRoot, true);
    }
    return FRoot->TotalCount - 1;
}

int TBaseLeanTree::CheckedCount() {
    int Count = 0;
    for (PLeanNode Run = GetFirstChecked(); Run; Run = GetNextChecked(Run))
        ++Count;
    return Count;
}

int TBaseLeanTree::CutCopyCount() {
    int Count = 0;
    for (PLeanNode Run = GetFirstCutCopy(); Run; Run = GetNextCutCopy(Run))
        ++Count;
    return Count;
}

void TBaseLeanTree::SetFocusedNode(PLeanNode Value) {
    if (Value == FRoot) Value = nullptr;
    if (Value == FFocusedNode) return;
    if (!DoFocusChanging(FFocusedNode, Value, FFocusedColumn, FFocusedColumn)) return;
    PLeanNode Old = FFocusedNode;
    FFocusedNode = Value;
    if (Old) InvalidateNode(Old);
    if (Value) {
        InitIfNeeded(Value);
        InvalidateNode(Value);
    }
    DoFocusChanged(FFocusedNode, FFocusedColumn);
}

void TBaseLeanTree::SetFocusedColumn(TColumnIndex Value) {
    if (Value == FFocusedColumn) return;
    if (!DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Value)) return;
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) CancelCellEdit();
    InvalidateColumn(FFocusedColumn);
    InvalidateColumn(Value);
    FFocusedColumn = Value;
    if (FFocusedNode && !TreeOptions()->AutoOptions().Contains(toDisableAutoscrollOnFocus)) {
        if (ScrollIntoView(FFocusedNode, TreeOptions()->SelectionOptions().Contains(toCenterScrollIntoView),
                           true))
            InvalidateNode(FFocusedNode);
    }
    if (FDropTargetNode) InvalidateNode(FDropTargetNode);
    DoFocusChanged(FFocusedNode, FFocusedColumn);
}

void TBaseLeanTree::SetImages(TCustomImageList* Value) {
    if (Value == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLeanTree::SetStateImages(TCustomImageList* Value) {
    if (Value == FStateImages) return;
    if (FStateImages) FStateImages->RemoveFreeNotification(this);
    FStateImages = Value;
    if (FStateImages) FStateImages->FreeNotification(this);
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLeanTree::SetDefaultNodeHeight(Cardinal Value) {
    if (Value == 0) Value = 18;
    if (Value == FDefaultNodeHeight) return;
    const int Difference = static_cast<int>(Value) - static_cast<int>(FDefaultNodeHeight);
    FDefaultNodeHeight = Value;
    FRoot->TotalHeight = static_cast<Cardinal>(static_cast<int>(FRoot->TotalHeight) + Difference);
    FRoot->NodeHeight = static_cast<Word>(static_cast<int>(FRoot->NodeHeight) + Difference);
    UpdateVerticalRange();
    MarkCacheInvalid();
    if (FUpdateCount == 0 && HandleAllocated() && !ComponentState().Contains(csLoading)) {
        StartCacheValidation();
        UpdateScrollBars(true);
        if (FFocusedNode)
            ScrollIntoView(FFocusedNode, TreeOptions()->SelectionOptions().Contains(toCenterScrollIntoView));
        Invalidate();
    }
}

void TBaseLeanTree::SetIndent(Cardinal Value) {
    if (Value == FIndent) return;
    FIndent = Value;
    if (!ComponentState().Contains(csLoading) && HandleAllocated()) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TBaseLeanTree::SetMargin(int Value) {
    if (Value == FMargin) return;
    FMargin = Value;
    Invalidate();
}

void TBaseLeanTree::SetTextMargin(int Value) {
    if (Value == FTextMargin) return;
    FTextMargin = Value;
    Invalidate();
}

void TBaseLeanTree::SetBottomSpace(Cardinal Value) {
    if (Value == FBottomSpace) return;
    FBottomSpace = Value;
    UpdateVerticalScrollBar(true);
}

void TBaseLeanTree::SetAnimationDuration(Cardinal Value) {
    FAnimationDuration = Value;
    TLTAnimationOptions Options = TreeOptions()->AnimationOptions();
    if (Value == 0)
        Options.Exclude(toAnimatedToggle);
    else
        Options.Include(toAnimatedToggle);
    TreeOptions()->SetAnimationOptions(Options);
}

void TBaseLeanTree::NotifyFormDesigner() {
    // Forms are built in code; there is no designer to tell.
}

// ---- Change notifications ---------------------------------------------------------------------

void TBaseLeanTree::NoteChangeOrDefer(bool IsStructureChange, PLeanNode Node, TChangeReason Reason) {
    if (IsStructureChange) {
        if (FStates.Contains(tsStructureChangePending))
            KillTreeTimer(StructureChangeTimer);
        else
            DoStateChange({tsStructureChangePending});
        FLastStructureChangeNode = Node;
        if (FLastStructureChangeReason == crIgnore)
            FLastStructureChangeReason = Reason;
        else if (Reason != crIgnore)
            FLastStructureChangeReason = crAccumulated;
    } else {
        if (FStates.Contains(tsChangePending))
            KillTreeTimer(ChangeTimer);
        else
            DoStateChange({tsChangePending});
        FLastChangedNode = Node;
    }
}

void TBaseLeanTree::DeliverStructureChange(PLeanNode Node, TChangeReason Reason) {
    if (FChangeDelay > 0 && !FStates.Contains(tsSynchMode) && StartTimer(StructureChangeTimer, FChangeDelay))
        return;
    DoStructureChange(Node, Reason);
}

void TBaseLeanTree::StructureChange(PLeanNode Node, TChangeReason Reason) {
    NoteChangeOrDefer(true, Node, Reason);
    if (FUpdateCount > 0) return;
    DeliverStructureChange(Node, Reason);
}

void TBaseLeanTree::Change(PLeanNode Node) {
    NoteChangeOrDefer(false, Node, crIgnore);
    if (FUpdateCount > 0) return;
    if (FChangeDelay > 0 && !FStates.Contains(tsSynchMode) && StartTimer(ChangeTimer, FChangeDelay)) return;
    DoChange(Node);
}

// ---- Timers -----------------------------------------------------------------------------------

TLTTimerService& TBaseLeanTree::Timers() const {
    return FTimerService ? *FTimerService : TLTWindowTimers::Default();
}

void TBaseLeanTree::SetTimerService(TLTTimerService* Value) {
    if (Value == FTimerService) return;
    Timers().Forget(this);
    FRunningTimers = 0;
    FTimerService = Value;
}

bool TBaseLeanTree::StartTimer(unsigned Id, Cardinal Elapse) {
    const bool Running = Timers().SetTimer(this, Id, Elapse);
    if (Running) FRunningTimers |= 1u << Id;
    return Running;
}

void TBaseLeanTree::KillTreeTimer(unsigned Id) {
    // Most changes happen with no timer running; the service is asked only when one is.
    if (!(FRunningTimers & (1u << Id))) return;
    FRunningTimers &= ~(1u << Id);
    Timers().KillTimer(this, Id);
}

void TBaseLeanTree::TimerFired(unsigned Id) {
    switch (Id) {
    case ChangeTimer:
        // DoChange stops the timer.
        DoChange(FLastChangedNode);
        break;
    case StructureChangeTimer:
        DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        break;
    case ScrollTimer:
        // The first expiry ends the start delay; then the interval paces the steps.
        if (FStates.Contains(tsScrollPending)) {
            if (Application) Application->CancelHint();
            StartTimer(ScrollTimer, FAutoScrollInterval);
            DoStateChange({tsScrolling}, {tsScrollPending});
        }
        AutoScrollTick();
        break;
    case ExpandTimer:
        ExpandDropTargetNode();
        break;
    case EditTimer:
        BeginCellEdit();
        break;
    case ThemeChangedTimer:
        KillTreeTimer(ThemeChangedTimer);
        RecreateWnd();
        break;
    case HintTimer:
        HintPauseEnded();
        break;
    case SearchTimer:
        // A pause ends the search.
        KillTreeTimer(SearchTimer);
        DoStateChange({}, {tsIncrementalSearching});
        FSearchBuffer.clear();
        FLastSearchNode = nullptr;
        break;
    default:
        KillTreeTimer(Id);
        break;
    }
}

void TBaseLeanTree::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        TimerFired(static_cast<unsigned>(Message.WParam));
        Message.Result = 0;
        return;
    }
    if (Message.Msg == WM_VSCROLL) return Crack(Message, this, &TBaseLeanTree::WMVScroll);
    if (Message.Msg == WM_HSCROLL) return Crack(Message, this, &TBaseLeanTree::WMHScroll);
    TCustomControl::Dispatch(Message);
}

// ---- Position cache ---------------------------------------------------------------------------

void TBaseLeanTree::StopCacheValidation() {
    const bool WasValidating = FStates.Contains(tsValidating);
    TLeanTreeStates Enter{tsStopValidation};
    if (WasValidating) Enter.Include(tsValidationNeeded);
    if (!(Enter <= FStates) || FStates.Contains(tsUseCache) || WasValidating)
        DoStateChange(Enter, {tsUseCache, tsValidating});
}

void TBaseLeanTree::MarkCacheInvalid() {
    if (!FStates.Contains(tsValidationNeeded) || FStates.Contains(tsUseCache))
        DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TBaseLeanTree::StartCacheValidation() {
    // The background validation of large trees hands the tree to the worker thread here.
    StopCacheValidation();
    FStartIndex = 0;
}

bool TBaseLeanTree::FindInPositionCache(PLeanNode Node, Cardinal& CurrentPos) {
    // The last entry that is not after the node in display order.
    int L = 0;
    int H = static_cast<int>(FPositionCache.size()) - 1;
    int Found = -1;
    while (L <= H) {
        const int M = (L + H) >> 1;
        if (CompareNodeOrder(FPositionCache[M].Node, Node, true) <= 0) {
            Found = M;
            L = M + 1;
        } else {
            H = M - 1;
        }
    }
    if (Found < 0) {
        CurrentPos = 0;
        return false;
    }
    CurrentPos = FPositionCache[Found].AbsoluteTop;
    return true;
}

PLeanNode TBaseLeanTree::FindInPositionCache(Cardinal Position, Cardinal& CurrentPos) {
    int L = 0;
    int H = static_cast<int>(FPositionCache.size()) - 1;
    int Found = -1;
    while (L <= H) {
        const int M = (L + H) >> 1;
        if (FPositionCache[M].AbsoluteTop <= Position) {
            Found = M;
            L = M + 1;
        } else {
            H = M - 1;
        }
    }
    if (Found < 0) {
        CurrentPos = 0;
        return nullptr;
    }
    CurrentPos = FPositionCache[Found].AbsoluteTop;
    return FPositionCache[Found].Node;
}
