// Walks through the tree: all nodes in tree order, the nodes the user can see, siblings, nodes
// with a given property, positions, subtree iteration and the enumerations. Each walk comes in
// two kinds: the plain kind initialises what it answers and creates lazy children where it steps
// into a node; the NoInit kind only follows existing links.

#include "tree/BaseLeanTree.h"

namespace {

constexpr const char16_t* RootNodeGiven = u"Node must not be the hidden root node.";

} // namespace

// ---- Structural walks ---------------------------------------------------------------------------

PLeanNode TBaseLeanTree::GetFirst(bool ConsiderChildrenAbove) {
    PLeanNode Result = FRoot->FirstChild;
    if (!Result) return nullptr;
    InitIfNeeded(Result);
    if (ChildrenAbove(ConsiderChildrenAbove)) {
        for (;;) {
            CreateLazyChildren(Result);
            if (!Result->FirstChild) break;
            Result = Result->FirstChild;
            InitIfNeeded(Result);
        }
    }
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstNoInit(bool ConsiderChildrenAbove) {
    PLeanNode Result = FRoot->FirstChild;
    if (Result && ChildrenAbove(ConsiderChildrenAbove))
        while (Result->FirstChild)
            Result = Result->FirstChild;
    return Result;
}

PLeanNode TBaseLeanTree::GetNext(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    PLeanNode Result = nullptr;
    if (ChildrenAbove(ConsiderChildrenAbove)) {
        if (Node->NextSibling) {
            Result = Node->NextSibling;
            InitIfNeeded(Result);
            for (;;) {
                CreateLazyChildren(Result);
                if (!Result->FirstChild) break;
                Result = Result->FirstChild;
                InitIfNeeded(Result);
            }
            return Result;
        }
        Result = Node->Parent == FRoot ? nullptr : Node->Parent;
    } else {
        CreateLazyChildren(Node);
        if (Node->FirstChild) {
            Result = Node->FirstChild;
        } else {
            PLeanNode Run = Node;
            while (Run != FRoot && !Run->NextSibling)
                Run = Run->Parent;
            Result = Run == FRoot ? nullptr : Run->NextSibling;
        }
    }
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextNoInit(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    if (ChildrenAbove(ConsiderChildrenAbove)) {
        if (Node->NextSibling) {
            PLeanNode Result = Node->NextSibling;
            while (Result->FirstChild)
                Result = Result->FirstChild;
            return Result;
        }
        return Node->Parent == FRoot ? nullptr : Node->Parent;
    }
    if (Node->FirstChild) return Node->FirstChild;
    PLeanNode Run = Node;
    while (Run != FRoot && !Run->NextSibling)
        Run = Run->Parent;
    return Run == FRoot ? nullptr : Run->NextSibling;
}

PLeanNode TBaseLeanTree::GetPrevious(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    PLeanNode Result = nullptr;
    if (ChildrenAbove(ConsiderChildrenAbove)) {
        CreateLazyChildren(Node);
        if (Node->LastChild) {
            Result = Node->LastChild;
        } else {
            PLeanNode Run = Node;
            while (Run != FRoot && !Run->PrevSibling)
                Run = Run->Parent;
            Result = Run == FRoot ? nullptr : Run->PrevSibling;
        }
    } else if (Node->PrevSibling) {
        InitIfNeeded(Node->PrevSibling);
        Result = GetLast(Node->PrevSibling);
        if (!Result) Result = Node->PrevSibling;
    } else {
        Result = Node->Parent == FRoot ? nullptr : Node->Parent;
    }
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetPreviousNoInit(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    if (ChildrenAbove(ConsiderChildrenAbove)) {
        if (Node->LastChild) return Node->LastChild;
        PLeanNode Run = Node;
        while (Run != FRoot && !Run->PrevSibling)
            Run = Run->Parent;
        return Run == FRoot ? nullptr : Run->PrevSibling;
    }
    if (Node->PrevSibling) {
        PLeanNode Result = GetLastNoInit(Node->PrevSibling);
        return Result ? Result : Node->PrevSibling;
    }
    return Node->Parent == FRoot ? nullptr : Node->Parent;
}

PLeanNode TBaseLeanTree::GetLast(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) Node = FRoot;
    if (ChildrenAbove(ConsiderChildrenAbove)) return GetLastChild(Node);
    PLeanNode Result = nullptr;
    for (PLeanNode Run = GetLastChild(Node); Run; Run = GetLastChild(Run))
        Result = Run;
    return Result;
}

PLeanNode TBaseLeanTree::GetLastNoInit(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!Node) Node = FRoot;
    if (ChildrenAbove(ConsiderChildrenAbove)) return GetLastChildNoInit(Node);
    PLeanNode Result = nullptr;
    for (PLeanNode Run = GetLastChildNoInit(Node); Run; Run = GetLastChildNoInit(Run))
        Result = Run;
    return Result;
}

PLeanNode TBaseLeanTree::InitializedEndChild(PLeanNode Node, bool Last) {
    PLeanNode Result;
    if (!Node || Node == FRoot) {
        Result = Last ? FRoot->LastChild : FRoot->FirstChild;
    } else {
        InitIfNeeded(Node);
        CreateLazyChildren(Node);
        Result = !Node->States.Contains(vsHasChildren) ? nullptr : Last ? Node->LastChild : Node->FirstChild;
    }
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstChild(PLeanNode Node) {
    return InitializedEndChild(Node, false);
}

PLeanNode TBaseLeanTree::GetLastChild(PLeanNode Node) {
    return InitializedEndChild(Node, true);
}

PLeanNode TBaseLeanTree::GetLastChildNoInit(PLeanNode Node) {
    if (!Node || Node == FRoot) return FRoot->LastChild;
    return Node->States.Contains(vsHasChildren) ? Node->LastChild : nullptr;
}

PLeanNode TBaseLeanTree::GetNextSibling(PLeanNode Node) {
    PLeanNode Result = GetNextSiblingNoInit(Node);
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextSiblingNoInit(PLeanNode Node) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    return Node->NextSibling;
}

PLeanNode TBaseLeanTree::GetPreviousSibling(PLeanNode Node) {
    PLeanNode Result = GetPreviousSiblingNoInit(Node);
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetPreviousSiblingNoInit(PLeanNode Node) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    return Node->PrevSibling;
}

// ---- Visible walks ------------------------------------------------------------------------------
//
// A node is shown when it has vsVisible and every ancestor below the root is expanded and has
// vsVisible. The visible walks answer shown nodes that are effectively visible, in the order the
// rows appear: a node before its children, or with children above their parent after them. A
// walk that starts at a node that is not shown answers the shown node that follows (precedes)
// the place where that node would be.

PLeanNode TBaseLeanTree::FirstVisibleChildOf(PLeanNode Node) const {
    PLeanNode Child = Node->FirstChild;
    while (Child && !Child->States.Contains(vsVisible))
        Child = Child->NextSibling;
    return Child;
}

PLeanNode TBaseLeanTree::DeepestFirstVisible(PLeanNode Node, bool DoInit) {
    // Going down through expanded nodes to the first shown child each time.
    for (;;) {
        if (DoInit) InitIfNeeded(Node);
        if (!Node->States.Contains(vsExpanded)) return Node;
        if (DoInit) CreateLazyChildren(Node);
        PLeanNode Child = FirstVisibleChildOf(Node);
        if (!Child) return Node;
        Node = Child;
    }
}

PLeanNode TBaseLeanTree::DeepestLastVisible(PLeanNode Node, bool DoInit) {
    for (;;) {
        if (DoInit) InitIfNeeded(Node);
        if (!Node->States.Contains(vsExpanded)) return Node;
        if (DoInit) CreateLazyChildren(Node);
        PLeanNode Child = Node->LastChild;
        while (Child && !Child->States.Contains(vsVisible))
            Child = Child->PrevSibling;
        if (!Child) return Node;
        Node = Child;
    }
}

PLeanNode TBaseLeanTree::VisibleStep(PLeanNode Node, bool Forward, bool ConsiderChildrenAbove, bool DoInit,
                                     bool IncludeFiltered) {
    if (!Node) return nullptr;
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    const bool Above = ChildrenAbove(ConsiderChildrenAbove);
    // Rows are entered, left and climbed from Run; Enter says whether Run's children may be
    // entered (Run is shown) and Candidate whether Run itself is the next answer to test.
    PLeanNode Run = Node;
    bool Enter = true;
    bool Candidate = false;
    if (!FullyVisible(Node)) {
        // The topmost node on the way down that is not shown, and its shown parent.
        PLeanNode Hidden = nullptr;
        for (PLeanNode R = Node; R != FRoot; R = R->Parent)
            if (!R->States.Contains(vsVisible) || !R->Parent->States.Contains(vsExpanded)) Hidden = R;
        PLeanNode Parent = Hidden->Parent;
        const bool ParentCollapsed = Parent != FRoot && !Parent->States.Contains(vsExpanded);
        Enter = false;
        // Inside a collapsed parent, the place lies just after the parent's row in tree order,
        // just before it with children above.
        const bool ParentIsNext = ParentCollapsed && (Above == Forward);
        if (ParentIsNext) {
            Run = Parent;
            Candidate = true;
        } else {
            Run = ParentCollapsed ? Parent : Hidden;
        }
    }

    for (;;) {
        if (!Candidate) {
            // One row on.
            const bool DownFirst = Forward != Above; // tree order forward, or children above backward
            if (DownFirst && Enter && Run->States.Contains(vsExpanded)) {
                if (DoInit) CreateLazyChildren(Run);
                PLeanNode Child = nullptr;
                if (Forward) {
                    Child = FirstVisibleChildOf(Run);
                } else {
                    Child = Run->LastChild;
                    while (Child && !Child->States.Contains(vsVisible))
                        Child = Child->PrevSibling;
                }
                if (Child) {
                    Run = Child;
                    Candidate = true;
                }
            }
            if (!Candidate) {
                if (DownFirst) {
                    // The next shown sibling, else climb to an ancestor that has one.
                    for (;;) {
                        PLeanNode Sibling = Forward ? Run->NextSibling : Run->PrevSibling;
                        while (Sibling && !Sibling->States.Contains(vsVisible))
                            Sibling = Forward ? Sibling->NextSibling : Sibling->PrevSibling;
                        if (Sibling) {
                            Run = Sibling;
                            break;
                        }
                        Run = Run->Parent;
                        if (Run == FRoot) return nullptr;
                    }
                } else {
                    // The neighbouring shown sibling's deepest row towards us, else the parent.
                    PLeanNode Sibling = Forward ? Run->NextSibling : Run->PrevSibling;
                    while (Sibling && !Sibling->States.Contains(vsVisible))
                        Sibling = Forward ? Sibling->NextSibling : Sibling->PrevSibling;
                    if (Sibling) {
                        Run = Forward ? DeepestFirstVisible(Sibling, DoInit)
                                      : DeepestLastVisible(Sibling, DoInit);
                    } else {
                        Run = Run->Parent;
                        if (Run == FRoot) return nullptr;
                    }
                }
                Candidate = true;
            }
        }
        Enter = true;
        Candidate = false;
        if (DoInit) InitIfNeeded(Run);
        if (IncludeFiltered || !IsEffectivelyFiltered(Run)) return Run;
    }
}

PLeanNode TBaseLeanTree::GetNextVisible(PLeanNode Node, bool ConsiderChildrenAbove) {
    return VisibleStep(Node, true, ConsiderChildrenAbove, true, false);
}

PLeanNode TBaseLeanTree::GetNextVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove) {
    return VisibleStep(Node, true, ConsiderChildrenAbove, false, false);
}

PLeanNode TBaseLeanTree::GetPreviousVisible(PLeanNode Node, bool ConsiderChildrenAbove) {
    return VisibleStep(Node, false, ConsiderChildrenAbove, true, false);
}

PLeanNode TBaseLeanTree::GetPreviousVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove) {
    return VisibleStep(Node, false, ConsiderChildrenAbove, false, false);
}

PLeanNode TBaseLeanTree::FirstVisibleImpl(PLeanNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered,
                                          bool DoInit) {
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return nullptr;
    if (DoInit && Node != FRoot) CreateLazyChildren(Node);
    if (!Node->FirstChild) return nullptr;

    PLeanNode Result = nullptr;
    if (!ChildrenAbove(ConsiderChildrenAbove)) {
        PLeanNode Run = Node->FirstChild;
        for (;;) {
            if (DoInit) InitIfNeeded(Run);
            if (Run->States.Contains(vsVisible)) break;
            if (Run->NextSibling) {
                Run = Run->NextSibling;
                continue;
            }
            // The end of a sibling list: on with the parent's following siblings.
            do {
                Run = Run->Parent;
            } while (Run != FRoot && !Run->NextSibling);
            if (Run == FRoot) return nullptr;
            Run = Run->NextSibling;
        }
        Result = Run;
    } else {
        PLeanNode Run = Node->FirstChild;
        for (;;) {
            if (DoInit) InitIfNeeded(Run);
            if (!Run->States.Contains(vsVisible)) {
                if (Run->NextSibling) {
                    Run = Run->NextSibling;
                    continue;
                }
                Run = Run->Parent;
                Result = Run == FRoot ? nullptr : Run;
                break;
            }
            if (Run->States.Contains(vsExpanded)) {
                if (DoInit) CreateLazyChildren(Run);
                if (Run->FirstChild) {
                    Run = Run->FirstChild;
                    continue;
                }
            }
            Result = Run;
            break;
        }
    }
    if (Result && !IncludeFiltered && IsEffectivelyFiltered(Result))
        Result = VisibleStep(Result, true, true, DoInit, false);
    if (Result && DoInit) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstVisible(PLeanNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    return FirstVisibleImpl(Node, ConsiderChildrenAbove, IncludeFiltered, true);
}

PLeanNode TBaseLeanTree::GetFirstVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove,
                                               bool IncludeFiltered) {
    return FirstVisibleImpl(Node, ConsiderChildrenAbove, IncludeFiltered, false);
}

PLeanNode TBaseLeanTree::GetLastVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove,
                                              bool IncludeFiltered) {
    if (!Node) Node = FRoot;
    PLeanNode Run = GetLastNoInit(Node, ConsiderChildrenAbove);
    // With children above a node comes after its subtree, so the walk back leaves the subtree
    // without meeting the node.
    const bool Above = ChildrenAbove(ConsiderChildrenAbove) && Node != FRoot;
    while (Run && Run != Node && (!Above || HasAsParent(Run, Node))) {
        if (FullyVisible(Run) && (IncludeFiltered || !IsEffectivelyFiltered(Run))) return Run;
        Run = GetPreviousNoInit(Run, ConsiderChildrenAbove);
    }
    return nullptr;
}

PLeanNode TBaseLeanTree::GetLastVisible(PLeanNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    PLeanNode Result = GetLastVisibleNoInit(Node, ConsiderChildrenAbove, IncludeFiltered);
    if (Result) {
        PLeanNode Stop = Node ? Node : FRoot;
        for (PLeanNode Run = Result; Run != Stop && Run != FRoot; Run = Run->Parent)
            InitIfNeeded(Run);
    }
    return Result;
}

PLeanNode TBaseLeanTree::NextSiblingMatching(PLeanNode Node, bool IncludeFiltered, bool Forward,
                                             bool DoInit) {
    ASSERT_MSG(Node && Node != FRoot, u"Invalid parameter.");
    PLeanNode Result = Node;
    do {
        Result = Forward ? Result->NextSibling : Result->PrevSibling;
        if (Result && DoInit) InitIfNeeded(Result);
    } while (Result &&
             (!Result->States.Contains(vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(Result))));
    return Result;
}

PLeanNode TBaseLeanTree::GetNextVisibleSibling(PLeanNode Node, bool IncludeFiltered) {
    return NextSiblingMatching(Node, IncludeFiltered, true, true);
}

PLeanNode TBaseLeanTree::GetNextVisibleSiblingNoInit(PLeanNode Node, bool IncludeFiltered) {
    return NextSiblingMatching(Node, IncludeFiltered, true, false);
}

PLeanNode TBaseLeanTree::GetPreviousVisibleSibling(PLeanNode Node, bool IncludeFiltered) {
    return NextSiblingMatching(Node, IncludeFiltered, false, true);
}

PLeanNode TBaseLeanTree::GetPreviousVisibleSiblingNoInit(PLeanNode Node, bool IncludeFiltered) {
    return NextSiblingMatching(Node, IncludeFiltered, false, false);
}

PLeanNode TBaseLeanTree::GetFirstVisibleChild(PLeanNode Node, bool IncludeFiltered) {
    if (!Node) Node = FRoot;
    PLeanNode Result = GetFirstChild(Node);
    if (Result &&
        (!Result->States.Contains(vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(Result))))
        Result = GetNextVisibleSibling(Result, IncludeFiltered);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstVisibleChildNoInit(PLeanNode Node, bool IncludeFiltered) {
    if (!Node) Node = FRoot;
    PLeanNode Result = Node->FirstChild;
    if (Result &&
        (!Result->States.Contains(vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(Result))))
        Result = GetNextVisibleSiblingNoInit(Result, IncludeFiltered);
    return Result;
}

PLeanNode TBaseLeanTree::LastVisibleChildImpl(PLeanNode Node, bool IncludeFiltered, bool DoInit) {
    PLeanNode Result;
    if (!Node || Node == FRoot)
        Result = FRoot->LastChild;
    else if (FullyVisible(Node) && Node->States.Contains(vsExpanded))
        Result = DoInit ? GetLastChild(Node) : Node->LastChild;
    else
        Result = nullptr;
    if (Result &&
        (!Result->States.Contains(vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(Result))))
        Result = NextSiblingMatching(Result, IncludeFiltered, false, DoInit);
    if (Result && DoInit) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetLastVisibleChild(PLeanNode Node, bool IncludeFiltered) {
    return LastVisibleChildImpl(Node, IncludeFiltered, true);
}

PLeanNode TBaseLeanTree::GetLastVisibleChildNoInit(PLeanNode Node, bool IncludeFiltered) {
    return LastVisibleChildImpl(Node, IncludeFiltered, false);
}

PLeanNode TBaseLeanTree::GetVisibleParent(PLeanNode Node, bool IncludeFiltered) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    PLeanNode Result = Node->Parent;
    while (Result != FRoot && (!FullyVisible(Result) || (!IncludeFiltered && IsEffectivelyFiltered(Result))))
        Result = Result->Parent;
    return Result;
}

// ---- Filtered walks -----------------------------------------------------------------------------

namespace {

template <class Pred>
PLeanNode WalkNoInit(TBaseLeanTree* Tree, PLeanNode Start, bool Forward, bool ConsiderChildrenAbove,
                     Pred Match, PLeanNode (TBaseLeanTree::*Next)(PLeanNode, bool),
                     PLeanNode (TBaseLeanTree::*Previous)(PLeanNode, bool)) {
    PLeanNode Run = Start;
    while (Run && !Match(Run))
        Run = (Tree->*(Forward ? Next : Previous))(Run, ConsiderChildrenAbove);
    return Run;
}

} // namespace

#define LT_WALK(Start, Forward, Match)                                                                       \
    WalkNoInit(this, (Start), (Forward), ConsiderChildrenAbove, (Match), &TBaseLeanTree::GetNextNoInit,      \
               &TBaseLeanTree::GetPreviousNoInit)

PLeanNode TBaseLeanTree::GetFirstChecked(TCheckState State, bool ConsiderChildrenAbove) {
    PLeanNode Result = LT_WALK(GetFirstNoInit(ConsiderChildrenAbove), true,
                               [State](PLeanNode N) { return N->CheckState == State; });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextChecked(PLeanNode Node, TCheckState State, bool ConsiderChildrenAbove) {
    PLeanNode Start = (!Node || Node == FRoot) ? GetFirstNoInit(ConsiderChildrenAbove)
                                               : GetNextNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, true, [State](PLeanNode N) { return N->CheckState == State; });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextChecked(PLeanNode Node, bool ConsiderChildrenAbove) {
    return GetNextChecked(Node, csCheckedNormal, ConsiderChildrenAbove);
}

PLeanNode TBaseLeanTree::GetPreviousChecked(PLeanNode Node, TCheckState State, bool ConsiderChildrenAbove) {
    PLeanNode Start = (!Node || Node == FRoot) ? GetLastNoInit(nullptr, ConsiderChildrenAbove)
                                               : GetPreviousNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, false, [State](PLeanNode N) { return N->CheckState == State; });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstCutCopy(bool ConsiderChildrenAbove) {
    return GetNextCutCopy(nullptr, ConsiderChildrenAbove);
}

PLeanNode TBaseLeanTree::GetNextCutCopy(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PLeanNode Start = (!Node || Node == FRoot) ? GetFirstNoInit(ConsiderChildrenAbove)
                                               : GetNextNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, true, [](PLeanNode N) { return N->States.Contains(vsCutOrCopy); });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetPreviousCutCopy(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PLeanNode Start = (!Node || Node == FRoot) ? GetLastNoInit(nullptr, ConsiderChildrenAbove)
                                               : GetPreviousNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, false, [](PLeanNode N) { return N->States.Contains(vsCutOrCopy); });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstSelected(bool ConsiderChildrenAbove) {
    return GetNextSelected(nullptr, ConsiderChildrenAbove);
}

PLeanNode TBaseLeanTree::GetNextSelected(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (FSelectionCount <= 0) return nullptr;
    PLeanNode Start = (!Node || Node == FRoot) ? GetFirstNoInit(ConsiderChildrenAbove)
                                               : GetNextNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, true, [](PLeanNode N) { return N->States.Contains(vsSelected); });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetPreviousSelected(PLeanNode Node, bool ConsiderChildrenAbove) {
    if (FSelectionCount <= 0) return nullptr;
    PLeanNode Start =
        (!Node || Node == FRoot) ? FRoot->LastChild : GetPreviousNoInit(Node, ConsiderChildrenAbove);
    PLeanNode Result = LT_WALK(Start, false, [](PLeanNode N) { return N->States.Contains(vsSelected); });
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstInitialized(bool ConsiderChildrenAbove) {
    return GetNextInitialized(nullptr, ConsiderChildrenAbove);
}

PLeanNode TBaseLeanTree::GetNextInitialized(PLeanNode Node, bool ConsiderChildrenAbove) {
    PLeanNode Start = (!Node || Node == FRoot) ? GetFirstNoInit(ConsiderChildrenAbove)
                                               : GetNextNoInit(Node, ConsiderChildrenAbove);
    return LT_WALK(Start, true, [](PLeanNode N) { return N->States.Contains(vsInitialized); });
}

PLeanNode TBaseLeanTree::GetPreviousInitialized(PLeanNode Node, bool ConsiderChildrenAbove) {
    PLeanNode Start = (!Node || Node == FRoot) ? GetLastNoInit(nullptr, ConsiderChildrenAbove)
                                               : GetPreviousNoInit(Node, ConsiderChildrenAbove);
    return LT_WALK(Start, false, [](PLeanNode N) { return N->States.Contains(vsInitialized); });
}

PLeanNode TBaseLeanTree::GetLastInitialized(PLeanNode Node, bool ConsiderChildrenAbove) {
    PLeanNode Start = GetLastNoInit(Node, ConsiderChildrenAbove);
    return LT_WALK(Start, false, [](PLeanNode N) { return N->States.Contains(vsInitialized); });
}

#undef LT_WALK

PLeanNode TBaseLeanTree::GetFirstLeaf() {
    PLeanNode Result = GetFirst();
    while (Result && Result->States.Contains(vsHasChildren))
        Result = GetNext(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextLeaf(PLeanNode Node) {
    if (!Node || Node == FRoot) return GetFirstLeaf();
    PLeanNode Result = GetNext(Node);
    while (Result && Result->States.Contains(vsHasChildren))
        Result = GetNext(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetPreviousLeaf(PLeanNode Node) {
    PLeanNode Result;
    if (!Node || Node == FRoot) {
        Result = FRoot->LastChild;
        if (Result) InitIfNeeded(Result);
    } else {
        Result = GetPrevious(Node);
    }
    while (Result && Result->States.Contains(vsHasChildren))
        Result = GetPrevious(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetFirstLevel(Cardinal NodeLevel) {
    PLeanNode Result = GetFirstNoInit(true);
    if (Result && GetNodeLevel(Result) != NodeLevel) Result = GetNextLevel(Result, NodeLevel);
    if (Result) InitIfNeeded(Result);
    return Result;
}

PLeanNode TBaseLeanTree::GetNextLevel(PLeanNode Node, Cardinal NodeLevel) {
    if (!Node || Node == FRoot) return nullptr;
    PLeanNode Run = Node;
    Cardinal Level = GetNodeLevel(Run);
    // From a deeper node, start again from the ancestor on the level.
    while (Level > NodeLevel) {
        Run = Run->Parent;
        --Level;
    }
    if (Level == NodeLevel) {
        // The next sibling, or on after the nearest ancestor that has one.
        while (Run != FRoot && !Run->NextSibling)
            Run = Run->Parent;
        if (Run == FRoot) return nullptr;
        Run = Run->NextSibling;
        InitIfNeeded(Run);
        if (GetNodeLevel(Run) == NodeLevel) return Run;
    }
    // A shallower node: on in tree order until the level is reached.
    while (Run) {
        Run = GetNext(Run);
        if (Run && GetNodeLevel(Run) == NodeLevel) return Run;
    }
    return nullptr;
}

PLeanNode TBaseLeanTree::GetPreviousLevel(PLeanNode Node, Cardinal NodeLevel) {
    if (!Node || Node == FRoot) return nullptr;
    PLeanNode Run = Node;
    Cardinal Level = GetNodeLevel(Run);
    if (Level > NodeLevel) {
        // Every node between the ancestor on the level and this one lies deeper.
        while (Level > NodeLevel) {
            Run = Run->Parent;
            --Level;
        }
        InitIfNeeded(Run);
        return Run;
    }
    if (Level == NodeLevel) {
        if (Run->PrevSibling) {
            Run = Run->PrevSibling;
            InitIfNeeded(Run);
            return Run;
        }
        Run = Run->Parent;
        if (Run == FRoot) return nullptr;
    }
    // A shallower node: back in tree order; a deeper node found that way leads to its ancestor on
    // the level.
    for (;;) {
        Run = GetPrevious(Run);
        if (!Run) return nullptr;
        Level = GetNodeLevel(Run);
        if (Level < NodeLevel) continue;
        while (Level > NodeLevel) {
            Run = Run->Parent;
            --Level;
        }
        InitIfNeeded(Run);
        return Run;
    }
}

// ---- Positions ------------------------------------------------------------------------------------

Cardinal TBaseLeanTree::AbsoluteIndex(PLeanNode Node) {
    Cardinal Result = 0;
    if (!Node || Node == FRoot) return 0;
    while (Node != FRoot) {
        InitIfNeeded(Node);
        if (Node->PrevSibling) {
            Node = Node->PrevSibling;
            Result += Node->TotalCount;
        } else {
            Node = Node->Parent;
            if (Node != FRoot) ++Result;
        }
    }
    return Result;
}

PLeanNode TBaseLeanTree::GetNodeAt(int X, int Y) {
    int Dummy = 0;
    return GetNodeAt(X, Y, true, Dummy);
}

PLeanNode TBaseLeanTree::GetNodeAt(int, int Y, bool Relative, int& NodeTop) {
    if (Y < 0) Y = 0;
    const long long AbsY = Relative ? static_cast<long long>(Y) - FOffsetY : Y;
    PLeanNode Run = nullptr;
    Cardinal CurrentTop = 0;
    if (FStates.Contains(tsUseCache))
        Run = FindInPositionCache(static_cast<Cardinal>(AbsY), CurrentTop);
    else
        Run = GetFirstVisibleNoInit(nullptr, true);
    while (Run) {
        const Cardinal Height = Run->NodeHeight;
        if (AbsY < static_cast<long long>(CurrentTop) + Height) break;
        CurrentTop += Height;
        Run = GetNextVisibleNoInit(Run, true);
    }
    NodeTop = Run ? (Relative ? static_cast<int>(CurrentTop) + FOffsetY : static_cast<int>(CurrentTop)) : 0;
    return Run;
}

PLeanNode TBaseLeanTree::TopNode() {
    return GetNodeAt(0, 0);
}

PLeanNode TBaseLeanTree::BottomNode() {
    return GetNodeAt(0, ClientHeight() - 1);
}

bool TBaseLeanTree::HasAsParent(PLeanNode Node, PLeanNode PotentialParent) const {
    if (!Node || !PotentialParent || Node == PotentialParent) return false;
    for (PLeanNode Run = Node->Parent; Run; Run = Run == FRoot ? nullptr : Run->Parent)
        if (Run == PotentialParent) return true;
    return false;
}

int TBaseLeanTree::CompareNodeOrder(PLeanNode Node1, PLeanNode Node2, bool ConsiderChildrenAbove) {
    ASSERT_MSG(Node1 && Node2, u"Nodes must never be nil.");
    if (Node1 == Node2) return 0;
    const bool Above = ChildrenAbove(ConsiderChildrenAbove);
    if (HasAsParent(Node1, Node2)) return Above ? -1 : 1;
    if (HasAsParent(Node2, Node1)) return Above ? 1 : -1;
    Cardinal Level1 = GetNodeLevel(Node1);
    Cardinal Level2 = GetNodeLevel(Node2);
    while (Level1 > Level2) {
        Node1 = Node1->Parent;
        --Level1;
    }
    while (Level2 > Level1) {
        Node2 = Node2->Parent;
        --Level2;
    }
    while (Node1->Parent != Node2->Parent) {
        Node1 = Node1->Parent;
        Node2 = Node2->Parent;
    }
    return static_cast<int>(Node1->Index) - static_cast<int>(Node2->Index);
}

// ---- Iteration ------------------------------------------------------------------------------------

PLeanNode TBaseLeanTree::IterateSubtree(PLeanNode Node, const TLTGetNodeProc& Callback, void* Data,
                                        TLeanNodeStates Filter, bool DoInit, bool ChildNodesOnly) {
    ASSERT_MSG(Node != FRoot, RootNodeGiven);
    const bool WasIterating = FStates.Contains(tsIterating);
    if (!WasIterating) DoStateChange({tsIterating});
    struct TLeave {
        TBaseLeanTree* Tree;
        bool Keep;
        ~TLeave() {
            if (!Keep) Tree->DoStateChange({}, {tsIterating});
        }
    } Leave{this, WasIterating};

    PLeanNode Stop = nullptr;
    PLeanNode Run;
    if (Node) {
        for (PLeanNode R = Node; R != FRoot; R = R->Parent)
            if (R->NextSibling) {
                Stop = R->NextSibling;
                break;
            }
        if (DoInit) InitIfNeeded(Node);
        Run = Node;
        if (ChildNodesOnly) Run = DoInit ? GetNext(Node) : GetNextNoInit(Node);
    } else {
        Run = GetFirstNoInit();
        if (Run && DoInit) InitIfNeeded(Run);
    }

    bool Abort = false;
    while (Run && Run != Stop) {
        if (Filter.Empty() || Filter <= Run->States) {
            Callback(this, Run, Data, Abort);
            if (Abort) return Run;
        }
        Run = DoInit ? GetNext(Run) : GetNextNoInit(Run);
    }
    return nullptr;
}

// ---- Enumerations ---------------------------------------------------------------------------------

namespace {

TLTLeanNodeEnumeration MakeEnumeration(TBaseLeanTree* Tree, TLZLeanNodeEnumerationMode Mode) {
    TLTLeanNodeEnumeration E;
    E.FMode = Mode;
    E.FTree = Tree;
    return E;
}

} // namespace

TLTLeanNodeEnumeration TBaseLeanTree::Nodes(bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneAll);
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::CheckedNodes(TCheckState State, bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneChecked);
    E.FState = State;
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::ChildNodes(PLeanNode Node) {
    auto E = MakeEnumeration(this, vneChild);
    E.FNode = Node;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::CutCopyNodes(bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneCutCopy);
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::InitializedNodes(bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneInitialized);
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::LeafNodes() {
    return MakeEnumeration(this, vneLeaf);
}

TLTLeanNodeEnumeration TBaseLeanTree::LevelNodes(Cardinal NodeLevel) {
    auto E = MakeEnumeration(this, vneLevel);
    E.FNodeLevel = NodeLevel;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::NoInitNodes(bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneNoInit);
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::SelectedNodes(bool ConsiderChildrenAbove) {
    auto E = MakeEnumeration(this, vneSelected);
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::VisibleNodes(PLeanNode Node, bool ConsiderChildrenAbove,
                                                   bool IncludeFiltered) {
    auto E = MakeEnumeration(this, vneVisible);
    E.FNode = Node;
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    E.FIncludeFiltered = IncludeFiltered;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::VisibleChildNodes(PLeanNode Node, bool IncludeFiltered) {
    auto E = MakeEnumeration(this, vneVisibleChild);
    E.FNode = Node;
    E.FIncludeFiltered = IncludeFiltered;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::VisibleChildNoInitNodes(PLeanNode Node, bool IncludeFiltered) {
    auto E = MakeEnumeration(this, vneVisibleNoInitChild);
    E.FNode = Node;
    E.FIncludeFiltered = IncludeFiltered;
    return E;
}

TLTLeanNodeEnumeration TBaseLeanTree::VisibleNoInitNodes(PLeanNode Node, bool ConsiderChildrenAbove,
                                                         bool IncludeFiltered) {
    auto E = MakeEnumeration(this, vneVisibleNoInit);
    E.FNode = Node;
    E.FConsiderChildrenAbove = ConsiderChildrenAbove;
    E.FIncludeFiltered = IncludeFiltered;
    return E;
}

// The visible enumerations stay inside the subtree they were asked for.
PLeanNode TLTLeanNodeEnumeration::First() const {
    TBaseLeanTree* T = FTree;
    const bool CA = FConsiderChildrenAbove;
    switch (FMode) {
    case vneAll:
        return T->GetFirst(CA);
    case vneChecked:
        return T->GetFirstChecked(FState, CA);
    case vneChild:
        return T->GetFirstChild(FNode);
    case vneCutCopy:
        return T->GetFirstCutCopy(CA);
    case vneInitialized:
        return T->GetFirstInitialized(CA);
    case vneLeaf:
        return T->GetFirstLeaf();
    case vneLevel:
        return T->GetFirstLevel(FNodeLevel);
    case vneNoInit:
        return T->GetFirstNoInit(CA);
    case vneSelected:
        return T->GetFirstSelected(CA);
    case vneVisible:
    case vneVisibleNoInit: {
        const bool Init = FMode == vneVisible;
        PLeanNode Result = T->FirstVisibleImpl(FNode, CA, FIncludeFiltered, Init);
        if (Result && FNode && FNode != T->FRoot && !T->HasAsParent(Result, FNode)) return nullptr;
        return Result;
    }
    case vneVisibleChild:
        return T->GetFirstVisibleChild(FNode, FIncludeFiltered);
    case vneVisibleNoInitChild:
        return T->GetFirstVisibleChildNoInit(FNode, FIncludeFiltered);
    }
    return nullptr;
}

PLeanNode TLTLeanNodeEnumeration::Next(PLeanNode Node) const {
    TBaseLeanTree* T = FTree;
    const bool CA = FConsiderChildrenAbove;
    switch (FMode) {
    case vneAll:
        return T->GetNext(Node, CA);
    case vneChecked:
        return T->GetNextChecked(Node, FState, CA);
    case vneChild:
        return T->GetNextSibling(Node);
    case vneCutCopy:
        return T->GetNextCutCopy(Node, CA);
    case vneInitialized:
        return T->GetNextInitialized(Node, CA);
    case vneLeaf:
        return T->GetNextLeaf(Node);
    case vneLevel:
        return T->GetNextLevel(Node, FNodeLevel);
    case vneNoInit:
        return T->GetNextNoInit(Node, CA);
    case vneSelected:
        return T->GetNextSelected(Node, CA);
    case vneVisible:
    case vneVisibleNoInit: {
        PLeanNode Result = T->VisibleStep(Node, true, CA, FMode == vneVisible, FIncludeFiltered);
        if (Result && FNode && FNode != T->FRoot && !T->HasAsParent(Result, FNode)) return nullptr;
        return Result;
    }
    case vneVisibleChild:
        return T->GetNextVisibleSibling(Node, FIncludeFiltered);
    case vneVisibleNoInitChild:
        return T->GetNextVisibleSiblingNoInit(Node, FIncludeFiltered);
    }
    return nullptr;
}

TLTLeanNodeEnumeration::Iterator TLTLeanNodeEnumeration::begin() const {
    return Iterator(this, First());
}

TLTLeanNodeEnumeration::Iterator& TLTLeanNodeEnumeration::Iterator::operator++() {
    FCurrent = FOwner->Next(FCurrent);
    return *this;
}
