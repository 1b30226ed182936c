// Moving and copying nodes. Within one tree a move relinks the node; a copy, and anything that
// goes into another tree, travels as tree stream node chunks, so that the receiving tree builds
// the nodes with its own OnLoadNode.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"

namespace {

// Renumbers a node's children from 0 (after moves that left gaps).
void Reindex(PLeanNode Parent) {
    Cardinal Index = 0;
    for (PLeanNode Run = Parent->FirstChild; Run; Run = Run->NextSibling)
        Run->Index = Index++;
}

} // namespace

void TBaseLeanTree::MoveTo(PLeanNode Source, TBaseLeanTree* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    PLeanNode Target = Tree ? Tree->FRoot : FRoot;
    if (!Tree && Mode != amNoWhere) Mode = amAddChildFirst;
    MoveTo(Source, Target, Mode, ChildrenOnly);
}

PLeanNode TBaseLeanTree::CopyTo(PLeanNode Source, TBaseLeanTree* Tree, TLTNodeAttachMode Mode,
                                bool ChildrenOnly) {
    PLeanNode Target = Tree ? Tree->FRoot : FRoot;
    if (!Tree && Mode != amNoWhere) Mode = amAddChildFirst;
    return CopyTo(Source, Target, Mode, ChildrenOnly);
}

void TBaseLeanTree::MoveTo(PLeanNode Source, PLeanNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    ASSERT_MSG(!Source || TreeFromNode(Source) == this, u"The source tree must contain the source node.");
    if (Target == Source && !ChildrenOnly) return;
    if (Mode == amNoWhere || !Source || Source == FRoot || ReadOnly()) return;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    }
    TBaseLeanTree* TargetTree = TreeFromNode(Target);
    const bool TargetIsRoot = Target == TargetTree->FRoot;
    if (TargetIsRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    } else {
        TargetTree->InitIfNeeded(Target);
        TargetTree->CreateLazyChildren(Target);
    }
    if (!DoNodeMoving(Source, TargetIsRoot ? nullptr : Target)) return;

    bool Moved = false;
    if (TargetTree == this) {
        if (HasAsParent(Target, Source))
            throw ELeanTreeError(u"Target node cannot be a child node of the node to be moved.", 2001);
        if (!ChildrenOnly) {
            DetachNode(Source, true, true);
            AttachNode(Source, Target, Mode, this);
            DoNodeMoved(Source);
            Moved = true;
        } else {
            // Children go one by one; where each lands in front of the one before (first child,
            // right after the target) they go from the last, so that they keep their order.
            const bool Backwards = Mode == amAddChildFirst || Mode == amInsertAfter;
            PLeanNode Run = Backwards ? Source->LastChild : Source->FirstChild;
            while (Run) {
                PLeanNode Next = Backwards ? Run->PrevSibling : Run->NextSibling;
                DetachNode(Run, true, false);
                AttachNode(Run, Target, Mode, this);
                DoNodeMoved(Run);
                Moved = true;
                Run = Next;
            }
            Reindex(Source);
            Reindex(Mode == amAddChildFirst || Mode == amAddChildLast ? Target : Target->Parent);
        }
    } else {
        TMemoryStream Stream;
        if (ChildrenOnly) {
            for (PLeanNode Run = Source->FirstChild; Run; Run = Run->NextSibling)
                StoreNode(&Stream, Run);
        } else {
            StoreNode(&Stream, Source);
        }
        Stream.Seek(0, soFromBeginning);
        {
            TUpdateBracket Update(*TargetTree);
            PLeanNode Destination = Target;
            TLTNodeAttachMode AttachMode = Mode;
            while (Stream.Position() < Stream.Size()) {
                PLeanNode Node = TargetTree->AllocateNode();
                TargetTree->AttachNode(Node, Destination, AttachMode, TargetTree);
                TargetTree->ReadNodeFromStream(&Stream, 2, Node);
                DoNodeMoved(Node);
                Moved = true;
                // Nodes put in front of the others or after the target follow each other.
                if (AttachMode == amInsertAfter || AttachMode == amAddChildFirst) {
                    Destination = Node;
                    AttachMode = amInsertAfter;
                }
            }
        }
        TUpdateBracket Update(*this);
        if (ChildrenOnly)
            DeleteChildren(Source, true);
        else
            DeleteNode(Source, true);
    }

    for (TBaseLeanTree* Tree : {TargetTree, this}) {
        Tree->MarkCacheInvalid();
        if (Moved && Tree->FUpdateCount == 0) {
            Tree->StartCacheValidation();
            Tree->UpdateScrollBars(true);
            Tree->Invalidate();
        }
        if (TargetTree == this) break;
    }
    if (Moved) StructureChange(TargetTree == this && !ChildrenOnly ? Source : nullptr, crNodeMoved);
}

PLeanNode TBaseLeanTree::CopyTo(PLeanNode Source, PLeanNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    ASSERT_MSG(!Source || TreeFromNode(Source) == this, u"The source tree must contain the source node.");
    if (Mode == amNoWhere || !Source || Source == FRoot) return nullptr;
    PLeanNode Given = Target;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    }
    TBaseLeanTree* TargetTree = TreeFromNode(Target);
    if (TargetTree->ReadOnly()) return nullptr;
    const bool TargetIsRoot = Target == TargetTree->FRoot;
    if (TargetIsRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    } else {
        TargetTree->InitIfNeeded(Target);
        TargetTree->CreateLazyChildren(Target);
    }

    // The whole source is written before anything is added: a copy into its own subtree reads
    // the nodes as they were.
    TMemoryStream Stream;
    if (ChildrenOnly) {
        for (PLeanNode Run = Source->FirstChild; Run; Run = Run->NextSibling)
            StoreNode(&Stream, Run);
    } else {
        StoreNode(&Stream, Source);
    }
    Stream.Seek(0, soFromBeginning);

    PLeanNode Result = nullptr;
    {
        TUpdateBracket Update(*TargetTree);
        PLeanNode Destination = Target;
        TLTNodeAttachMode AttachMode = Mode;
        while (Stream.Position() < Stream.Size()) {
            PLeanNode Node = TargetTree->AllocateNode();
            TargetTree->AttachNode(Node, Destination, AttachMode, TargetTree);
            TargetTree->ReadNodeFromStream(&Stream, 2, Node);
            if (DoNodeCopying(Node, TargetIsRoot ? nullptr : Target)) {
                DoNodeCopied(Node);
                Result = Node;
                if (AttachMode == amInsertAfter || AttachMode == amAddChildFirst) {
                    Destination = Node;
                    AttachMode = amInsertAfter;
                }
            } else {
                TargetTree->DeleteNode(Node, true);
                Result = nullptr;
            }
        }
    }

    TargetTree->MarkCacheInvalid();
    if (TargetTree->FUpdateCount == 0) {
        TargetTree->StartCacheValidation();
        TargetTree->UpdateScrollBars(true);
        TargetTree->Invalidate();
    }
    TargetTree->StructureChange(ChildrenOnly ? nullptr : Result, crNodeCopied);
    return ChildrenOnly ? Given : Result;
}
