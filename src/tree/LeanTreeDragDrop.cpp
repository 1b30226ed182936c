// Nodes through the clipboard and through drops: the tree's own format "Lean Tree Data" (a
// 32-bit byte count, then tree stream node chunks) and "Lean Tree Reference", which names the
// tree of this process that made the data, so that trees of one process move nodes directly.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <set>
#include <unistd.h>

namespace {

std::set<const TBaseLeanTree*>& LiveTrees() {
    static std::set<const TBaseLeanTree*> Trees;
    return Trees;
}

// The tree whose nodes the clipboard holds (as far as this process knows).
TBaseLeanTree* GClipboardTree = nullptr;

void PutLe(TBytes& Out, std::uint64_t Value, int Count) {
    for (int I = 0; I < Count; ++I)
        Out.push_back(static_cast<Byte>(Value >> (8 * I)));
}

std::uint64_t GetLe(const TBytes& In, std::size_t At, int Count) {
    std::uint64_t Value = 0;
    for (int I = Count - 1; I >= 0; --I)
        Value = (Value << 8) | In[At + I];
    return Value;
}

} // namespace

void NoteTreeCreated(TBaseLeanTree* Tree) {
    LiveTrees().insert(Tree);
}

void NoteTreeDestroyed(TBaseLeanTree* Tree) {
    LiveTrees().erase(Tree);
    if (GClipboardTree == Tree) GClipboardTree = nullptr;
}

bool TreeIsAlive(const TBaseLeanTree* Tree) {
    return Tree && LiveTrees().count(Tree) > 0;
}

// ---- What the tree puts on the clipboard ----------------------------------------------------------

TBytes TBaseLeanTree::RenderTreeData(bool ForClipboard) {
    const TNodeArray Nodes = ForClipboard ? GetSortedCutCopySet(true) : GetSortedSelection(true);
    TMemoryStream Stream;
    for (PLeanNode Node : Nodes)
        StoreNode(&Stream, Node);
    TBytes Result;
    if (Stream.Size() == 0) return Result;
    PutLe(Result, static_cast<std::uint64_t>(Stream.Size()), 4);
    const auto* Data = static_cast<const Byte*>(Stream.Memory());
    Result.insert(Result.end(), Data, Data + Stream.Size());
    return Result;
}

TBytes TBaseLeanTree::TreeReferenceData() const {
    TBytes Result;
    PutLe(Result, static_cast<std::uint32_t>(getpid()), 4);
    PutLe(Result, reinterpret_cast<std::uintptr_t>(this), 8);
    return Result;
}

TBaseLeanTree* TBaseLeanTree::SourceTreeOfDataObject(IDataObject* DataObject) {
    if (!DataObject || !DataObject->HasFormat(TreeReferenceFormat)) return nullptr;
    const TBytes Data = DataObject->GetData(TreeReferenceFormat);
    if (Data.size() != 12 || GetLe(Data, 0, 4) != static_cast<std::uint32_t>(getpid())) return nullptr;
    // Only a tree that still lives counts: the reference may have outlived the tree.
    auto* Tree = reinterpret_cast<TBaseLeanTree*>(static_cast<std::uintptr_t>(GetLe(Data, 4, 8)));
    return TreeIsAlive(Tree) ? Tree : nullptr;
}

bool TBaseLeanTree::PlaceOnClipboard(bool) {
    std::vector<TClipboardFormat> Formats;
    TreeClipboardFormats(Formats);
    try {
        TClipboard* C = Clipboard();
        C->Open();
        TScopeExit Closed([&] { C->Close(); });
        C->SetData(TreeReferenceFormat, TreeReferenceData());
        if (std::find(Formats.begin(), Formats.end(), TreeDataFormat) != Formats.end()) {
            const TBytes Data = RenderTreeData(true);
            if (!Data.empty()) C->SetData(TreeDataFormat, Data);
        }
    } catch (const EClipboardException&) {
        return false;
    }
    // The nodes the clipboard held before are not on it any more.
    if (GClipboardTree && GClipboardTree != this) GClipboardTree->CancelCutOrCopy();
    GClipboardTree = this;
    return true;
}

void TBaseLeanTree::CopyToClipBoard() {
    if (FSelectionCount == 0) return;
    // The clipboard takes its copy at once, of the nodes the marks name.
    CancelCutOrCopy();
    MarkCutCopySelection();
    if (!PlaceOnClipboard(false)) {
        CancelCutOrCopy();
        return;
    }
    DoStateChange({tsCopyPending});
    Invalidate();
}

void TBaseLeanTree::CutToClipBoard() {
    if (FSelectionCount == 0 || ReadOnly()) return;
    CancelCutOrCopy();
    MarkCutCopySelection();
    if (!PlaceOnClipboard(true)) {
        CancelCutOrCopy();
        return;
    }
    DoStateChange({tsCutPending}, {tsCopyPending});
    Invalidate();
}

// ---- Taking nodes from a data object ---------------------------------------------------------------

bool TBaseLeanTree::ProcessOLEData(TBaseLeanTree* Source, IDataObject* DataObject, PLeanNode TargetNode,
                                   TLTNodeAttachMode Mode, bool Optimized) {
    if (!DataObject || !DataObject->HasFormat(TreeDataFormat)) return false;
    if (ReadOnly()) return true;
    TUpdateBracket Update(*this);
    if (!TargetNode) TargetNode = FRoot;
    if (TargetNode == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if (Mode == amNoWhere) return false;

    if (Optimized && Source) {
        const TNodeArray Nodes =
            Source->FStates.Contains(tsOLEDragging) ? Source->GetSortedSelection(true) : Source->GetSortedCutCopySet(true);
        // Nodes that each land in front of the one before go from the last, to keep their order.
        const bool Backwards = Mode == amInsertAfter || Mode == amAddChildFirst;
        for (std::size_t I = 0; I < Nodes.size(); ++I) {
            PLeanNode Node = Nodes[Backwards ? Nodes.size() - 1 - I : I];
            if (Node == TargetNode || HasAsParent(TargetNode, Node)) continue;
            Source->MoveTo(Node, TargetNode, Mode, false);
        }
        return true;
    }

    const TChangeReason Reason = Source == this ? crNodeCopied : crNodeAdded;
    const TBytes Data = DataObject->GetData(TreeDataFormat);
    if (Data.size() < 4) return true;
    // The count may claim more than came: only what is there is read.
    const std::size_t Length = std::min<std::size_t>(GetLe(Data, 0, 4), Data.size() - 4);
    TBytesStream Stream(TBytes(Data.begin() + 4, Data.begin() + 4 + static_cast<std::ptrdiff_t>(Length)));
    // Data from another program is checked whole before a node is added.
    CheckStreamNodes(&Stream, 2, INT_MAX);
    if (TargetNode != FRoot && (Mode == amAddChildFirst || Mode == amAddChildLast)) {
        InitIfNeeded(TargetNode);
        CreateLazyChildren(TargetNode);
    }
    while (Stream.Position() < Stream.Size()) {
        PLeanNode Node = AllocateNode();
        AttachNode(Node, TargetNode, Mode, this);
        ReadNodeFromStream(&Stream, 2, Node);
        if (DoNodeCopying(Node, TargetNode == FRoot ? nullptr : TargetNode)) {
            DoNodeCopied(Node);
            StructureChange(Node, Reason);
            if (Mode == amInsertAfter || Mode == amAddChildFirst) {
                TargetNode = Node;
                Mode = amInsertAfter;
            }
        } else {
            DeleteNode(Node, true);
        }
    }
    return true;
}

bool TBaseLeanTree::ProcessDrop(IDataObject* DataObject, PLeanNode TargetNode, int& Effect,
                                TLTNodeAttachMode Mode) {
    if (Mode == amNoWhere) {
        Effect = DROPEFFECT_NONE;
        return false;
    }
    TBaseLeanTree* Source = SourceTreeOfDataObject(DataObject);
    bool Result = false;
    BeginUpdate();
    if (Source && Source != this) Source->BeginUpdate();
    TScopeExit Ended([&] {
        if (Source && Source != this) Source->EndUpdate();
        EndUpdate();
    });
    try {
        if ((Effect & DROPEFFECT_MOVE) && Source) {
            Result = ProcessOLEData(Source, DataObject, TargetNode, Mode, !(Effect & DROPEFFECT_COPY));
            // The nodes are where they belong now: the drag source must not delete anything.
            Effect = DROPEFFECT_NONE;
        } else if (Effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) {
            Result = ProcessOLEData(Source, DataObject, TargetNode, Mode, false);
        }
    } catch (...) {
        Effect = DROPEFFECT_NONE;
    }
    return Result;
}

bool TBaseLeanTree::PasteFromClipboard() {
    if (ReadOnly()) return false;
    TDataObjectRef Data;
    try {
        Data = OleGetClipboard();
    } catch (const EClipboardException&) {
        throw ELeanTreeError(u"Clipboard operation failed.", 2007);
    }
    TBaseLeanTree* Source = SourceTreeOfDataObject(Data.get());
    const bool Result = ProcessOLEData(Source, Data.get(), FFocusedNode, FDefaultPasteMode,
                                       Source && Source->FStates.Contains(tsCutPending));
    if (Source) {
        if (Source == this)
            DoStateChange({}, {tsCutPending});
        else
            Source->FinishCutOrCopy();
    }
    return Result;
}
