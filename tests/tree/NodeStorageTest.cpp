// Node records, user data, adding, inserting, deleting, lazy initialisation and visibility.

#include "TreeTestSupport.h"

#include <cstring>

TEST(NodeRecord, IsSixtyFourBytesAndUserDataIsPointerAligned) {
    TTestTree Tree;
    Tree.ReserveInternalDataArea(3);
    EXPECT_EQ(Tree.ReserveInternalDataArea(4), 8u) << "areas are rounded to 8 bytes";
    Tree.SetNodeDataSize(sizeof(void*));
    PLeanNode Node = Tree.AddChild(nullptr);
    void* Data = Tree.GetNodeData(Node);
    EXPECT_EQ(static_cast<Byte*>(Data) - reinterpret_cast<Byte*>(Node), 64 + 16);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(Data) % alignof(void*), 0u);
}

TEST(NodeRecord, InternalAreasOnlyBeforeTheFirstNode) {
    TTestTree Tree;
    Tree.AddChild(nullptr);
    try {
        Tree.ReserveInternalDataArea(4);
        FAIL() << "no assertion";
    } catch (const EAssertionFailed& E) {
        EXPECT_EQ(E.Message().rfind(u"Internal data allocation must be done before any node is created.", 0),
                  0u);
    }
}

TEST(NodeStorage, NewTreeHasOnlyTheHiddenRoot) {
    TTestTree Tree;
    PLeanNode Root = Tree.RootNode();
    EXPECT_EQ(Root->PrevSibling, Root);
    EXPECT_EQ(Root->NextSibling, Root);
    EXPECT_EQ(TBaseLeanTree::TreeFromNode(Root), &Tree);
    EXPECT_EQ(Root->States, (TLeanNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible}));
    EXPECT_EQ(Root->TotalCount, 1u);
    EXPECT_EQ(Tree.NodeDataSize(), -1);
    EXPECT_EQ(Tree.Width(), 200);
    EXPECT_EQ(Tree.Height(), 100);
    EXPECT_TRUE(Tree.TabStop());
    EXPECT_FALSE(Tree.ControlStyle().Contains(csSetCaption));
    EXPECT_EQ(Tree.GetFirst(), nullptr);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, FirstAddedNodeIsTopLevelWithIndexZero) {
    TPlainTree Tree;
    PLeanNode Node = Tree.AddChild(nullptr);
    ASSERT_NE(Node, nullptr);
    EXPECT_EQ(Node->Index, 0u);
    EXPECT_EQ(Node->Parent, Tree.RootNode());
    EXPECT_EQ(Tree.RootNodeCount(), 1u);
    EXPECT_EQ(Tree.RootNode()->TotalCount, 2u);
    EXPECT_FALSE(Node->States.Contains(vsInitialized));
    EXPECT_EQ(Node->States, TLeanNodeStates{vsVisible});
    EXPECT_EQ(Node->Align, 50);
    EXPECT_EQ(Node->NodeHeight, 18);
    EXPECT_EQ(TBaseLeanTree::TreeFromNode(Node), &Tree);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, NodeDataSizeAsksOnceAndProposesOnePointer) {
    TTestTree Tree;
    int Asked = 0;
    int Proposed = 0;
    Tree.OnGetNodeDataSize = [&](TBaseLeanTree*, int& Size) {
        ++Asked;
        Proposed = Size;
    };
    Tree.AddChild(nullptr);
    Tree.AddChild(nullptr);
    EXPECT_EQ(Asked, 1);
    EXPECT_EQ(Proposed, static_cast<int>(sizeof(void*)));
    EXPECT_EQ(Tree.NodeDataSize(), static_cast<int>(sizeof(void*)));
}

TEST(NodeStorage, InitialUserDataNeedsRoomForAPointer) {
    int Object = 0;
    {
        TPlainTree Tree;
        PLeanNode Node = Tree.AddChild(nullptr, &Object);
        void* Stored = nullptr;
        std::memcpy(&Stored, Tree.GetNodeData(Node), sizeof(void*));
        EXPECT_EQ(Stored, &Object);
        EXPECT_TRUE(Node->States.Contains(vsOnFreeNodeCallRequired));
    }
    for (int Size : {2, 4}) {
        TPlainTree Tree;
        Tree.SetNodeDataSize(Size);
        try {
            Tree.AddChild(nullptr, &Object);
            FAIL() << "no error for " << Size << " bytes";
        } catch (const ELeanTreeError& E) {
            EXPECT_EQ(E.HelpContext(), 2008);
            EXPECT_EQ(E.Message(),
                      u"Cannot set initial user data because there is not enough user data space "
                      u"allocated.");
        }
        EXPECT_EQ(Tree.RootNodeCount(), 1u) << "the node stays added";
        EXPECT_INVARIANTS(Tree);
    }
}

TEST(NodeStorage, GetNodeDataAnswersNothingForNoNodeAndAssertsWithoutASize) {
    TPlainTree Tree;
    EXPECT_EQ(Tree.GetNodeData(nullptr), nullptr);
    EXPECT_EQ(Tree.GetNodeData(Tree.RootNode()), nullptr);
    for (int Size : {0, -1}) {
        TTestTree Empty;
        Empty.SetNodeDataSize(Size);
        // A size left at -1 by the event means no user data at all.
        Empty.OnGetNodeDataSize = [Size](TBaseLeanTree*, int& Value) { Value = Size; };
        PLeanNode Node = Empty.AddChild(nullptr);
        try {
            Empty.GetNodeData(Node);
            FAIL() << "no assertion for " << Size;
        } catch (const EAssertionFailed& E) {
            EXPECT_EQ(E.Message().rfind(u"NodeDataSize not initialized.", 0), 0u);
        }
    }
    TTestTree Tree2;
    Tree2.SetNodeDataSize(-5);
    EXPECT_EQ(Tree2.NodeDataSize(), -1);
}

TEST(NodeStorage, ReadOnlyTreeChangesNothingButInsertNode) {
    TPlainTree Tree;
    PLeanNode A = Tree.AddChild(nullptr);
    Tree.AddChild(A);
    Tree.SetMisc({toReadOnly});
    EXPECT_EQ(Tree.AddChild(nullptr), nullptr);
    Tree.SetChildCount(nullptr, 5);
    Tree.DeleteChildren(A, true);
    Tree.DeleteNode(A);
    Tree.Clear();
    EXPECT_EQ(Tree.RootNodeCount(), 1u);
    EXPECT_EQ(A->ChildCount, 1u);
    EXPECT_NE(Tree.InsertNode(A, amInsertAfter), nullptr);
    EXPECT_EQ(Tree.RootNodeCount(), 2u);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, ChildCountCreatesAndDeletesChildren) {
    TPlainTree Tree;
    PLeanNode Leaf = Tree.AddChild(nullptr);
    Tree.SetChildCount(Leaf, 3);
    ASSERT_EQ(Leaf->ChildCount, 3u);
    EXPECT_TRUE(Leaf->States.Contains(vsHasChildren));
    Cardinal Index = 0;
    for (PLeanNode Child = Leaf->FirstChild; Child; Child = Child->NextSibling)
        EXPECT_EQ(Child->Index, Index++);
    EXPECT_INVARIANTS(Tree);
    Tree.SetChildCount(Leaf, 1);
    EXPECT_EQ(Leaf->ChildCount, 1u);
    EXPECT_INVARIANTS(Tree);
    Tree.SetChildCount(Leaf, 0);
    EXPECT_EQ(Leaf->ChildCount, 0u);
    EXPECT_TRUE(Leaf->States.Contains(vsHasChildren))
        << "only DeleteChildren with ResetHasChildren clears it";
    Tree.DeleteChildren(Leaf, true);
    EXPECT_FALSE(Leaf->States.Contains(vsHasChildren));
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, DeletingTheMiddleChildReindexes) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(3);
    PLeanNode Middle = Tree.RootNode()->FirstChild->NextSibling;
    Tree.DeleteNode(Middle, true);
    EXPECT_EQ(Tree.RootNode()->FirstChild->Index, 0u);
    EXPECT_EQ(Tree.RootNode()->LastChild->Index, 1u);
    EXPECT_INVARIANTS(Tree);
}

struct TInsertCase {
    const char* Name;
    TLTNodeAttachMode Mode;
    bool RelativeToRoot;
    std::vector<std::string> Order; // top level after inserting "n" relative to "b"
};

void PrintTo(const TInsertCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class InsertNodeModes : public ::testing::TestWithParam<TInsertCase> {};

TEST_P(InsertNodeModes, PlaceTheNodeAndRenumber) {
    const auto& Case = GetParam();
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "b", "c"}, &Log);
    PLeanNode Target = Case.RelativeToRoot ? nullptr : Nodes["b"];
    PLeanNode New = Tree.InsertNode(Target, Case.Mode);
    Log.Names[New] = "n";
    std::vector<std::string> Order;
    for (PLeanNode Run = Tree.RootNode()->FirstChild; Run; Run = Run->NextSibling) {
        Order.push_back(Log.Name(Run));
        for (PLeanNode Child = Run->FirstChild; Child; Child = Child->NextSibling)
            Order.push_back(Log.Name(Run) + "/" + Log.Name(Child));
    }
    EXPECT_EQ(Order, Case.Order);
    EXPECT_INVARIANTS(Tree);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertNodeModes,
    ::testing::Values(TInsertCase{"Before", amInsertBefore, false, {"a", "n", "b", "c"}},
                      TInsertCase{"After", amInsertAfter, false, {"a", "b", "n", "c"}},
                      TInsertCase{"FirstChild", amAddChildFirst, false, {"a", "b", "b/n", "c"}},
                      TInsertCase{"LastChild", amAddChildLast, false, {"a", "b", "b/n", "c"}},
                      TInsertCase{"BeforeRootIsFirst", amInsertBefore, true, {"n", "a", "b", "c"}},
                      TInsertCase{"AfterRootIsLast", amInsertAfter, true, {"a", "b", "c", "n"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(NodeStorage, InsertNodeNowhereAnswersNothing) {
    TPlainTree Tree;
    EXPECT_EQ(Tree.InsertNode(nullptr, amNoWhere), nullptr);
    EXPECT_EQ(Tree.RootNodeCount(), 0u);
}

TEST(NodeStorage, AttachingBelowACollapsedAncestorKeepsHeightsRight) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/b/c"});
    Tree.ToggleNode(Nodes["a/b"]); // b expanded inside collapsed a
    ASSERT_FALSE(Tree.Expanded(Nodes["a"]));
    Tree.InsertNode(Nodes["a/b"], amAddChildLast);
    EXPECT_INVARIANTS(Tree);
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_INVARIANTS(Tree);
    EXPECT_EQ(Tree.VisibleCount(), 4u);
}

TEST(NodeStorage, FreeNodeFiresForInitialisedNodesAndNodesWhoseDataWasTaken) {
    TPlainTree Tree;
    std::vector<PLeanNode> Freed;
    Tree.OnFreeNode = [&](TBaseLeanTree*, PLeanNode Node) { Freed.push_back(Node); };
    Tree.SetRootNodeCount(3);
    PLeanNode Bare = Tree.RootNode()->FirstChild;
    PLeanNode WithData = Bare->NextSibling;
    PLeanNode Initialised = WithData->NextSibling;
    Tree.GetNodeData(WithData);
    Tree.ValidateNode(Initialised, false);
    Tree.DeleteNode(Bare);
    EXPECT_TRUE(Freed.empty());
    Tree.DeleteNode(WithData);
    Tree.DeleteNode(Initialised);
    EXPECT_EQ(Freed, (std::vector<PLeanNode>{WithData, Initialised}));
}

TEST(NodeStorage, NewNodeDataSizeRecreatesTheNodesEmpty) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(5);
    PLeanNode First = Tree.RootNode()->FirstChild;
    Tree.SetChildCount(First, 2);
    Tree.ValidateNode(nullptr, true);
    Tree.SetNodeDataSize(16);
    EXPECT_EQ(Tree.RootNodeCount(), 5u);
    for (PLeanNode Run = Tree.RootNode()->FirstChild; Run; Run = Run->NextSibling) {
        EXPECT_FALSE(Run->States.Contains(vsInitialized));
        EXPECT_EQ(Run->ChildCount, 0u);
    }
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, LevelsCountAncestorsBelowTheRoot) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/b/c"});
    EXPECT_EQ(Tree.GetNodeLevel(Nodes["a"]), 0u);
    EXPECT_EQ(Tree.GetNodeLevel(Nodes["a/b"]), 1u);
    EXPECT_EQ(Tree.GetNodeLevel(Nodes["a/b/c"]), 2u);
    EXPECT_EQ(Tree.GetNodeLevel(nullptr), 0u);
    EXPECT_EQ(Tree.GetNodeLevel(Tree.RootNode()), 0u);
    EXPECT_EQ(TBaseLeanTree::TreeFromNode(Nodes["a/b/c"]), &Tree);
}

TEST(NodeStorage, LazyChildrenComeFromTheEventsOnFirstNeed) {
    TPlainTree Tree;
    int InitChildren = 0;
    Tree.OnInitNode = [](TBaseLeanTree* Sender, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        if (Sender->GetNodeLevel(Node) < 2) States.Include(ivsHasChildren);
    };
    Tree.OnInitChildren = [&](TBaseLeanTree*, PLeanNode, Cardinal& Count) {
        ++InitChildren;
        Count = 2;
    };
    Tree.SetRootNodeCount(1);
    PLeanNode Top = Tree.GetFirst();
    EXPECT_EQ(Top->ChildCount, 0u);
    EXPECT_TRUE(Top->States.Contains(vsHasChildren));
    EXPECT_EQ(Tree.GetNextNoInit(Top), nullptr) << "the no-init walk creates nothing";
    EXPECT_EQ(InitChildren, 0);
    PLeanNode Child = Tree.GetFirstChild(Top);
    ASSERT_NE(Child, nullptr);
    EXPECT_EQ(InitChildren, 1);
    EXPECT_TRUE(Child->States.Contains(vsInitialized));
    EXPECT_EQ(Tree.TotalCount(), 7u) << "validates the whole tree";
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, InitialStatesApply) {
    TPlainTree Tree;
    Tree.SetSelection({toMultiSelect});
    Tree.OnInitNode = [](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        switch (Node->Index) {
        case 0:
            States += TLeanNodeInitStates{ivsDisabled, ivsMultiline};
            break;
        case 1:
            States += TLeanNodeInitStates{ivsSelected};
            break;
        case 2:
            States += TLeanNodeInitStates{ivsFiltered};
            break;
        case 3:
            States += TLeanNodeInitStates{ivsHasChildren, ivsExpanded};
            break;
        }
    };
    Tree.OnInitChildren = [](TBaseLeanTree*, PLeanNode, Cardinal& Count) { Count = 2; };
    Tree.SetRootNodeCount(4);
    Tree.ValidateNode(nullptr, false);
    Tree.ValidateChildren(nullptr, false);
    PLeanNode N[4];
    N[0] = Tree.RootNode()->FirstChild;
    for (int I = 1; I < 4; ++I)
        N[I] = N[I - 1]->NextSibling;
    EXPECT_TRUE(N[0]->States.Contains(vsDisabled));
    EXPECT_TRUE(N[0]->States.Contains(vsMultiline));
    EXPECT_TRUE(N[1]->States.Contains(vsSelected));
    EXPECT_EQ(Tree.SelectedCount(), 1);
    EXPECT_TRUE(N[2]->States.Contains(vsFiltered));
    EXPECT_EQ(N[2]->TotalHeight, 0u);
    EXPECT_TRUE(N[3]->States.Contains(vsExpanded));
    EXPECT_EQ(N[3]->ChildCount, 2u);
    EXPECT_EQ(Tree.VisibleCount(), 5u);
    EXPECT_INVARIANTS(Tree);
    // A second initialisation is told so, and does not take the filtered height twice.
    TLeanNodeInitStates Seen;
    Tree.OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode, TLeanNodeInitStates& States) {
        Seen = States;
        States.Include(ivsFiltered);
    };
    Tree.ReinitNode(N[2], false);
    EXPECT_TRUE(Seen.Contains(ivsReInit));
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, ResetNodeMakesItUninitialisedAgain) {
    TPlainTree Tree;
    int Resets = 0;
    Tree.OnResetNode = [&](TBaseLeanTree*, PLeanNode) { ++Resets; };
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    Tree.ToggleNode(Nodes["a"]);
    Tree.ResetNode(Nodes["a"]);
    EXPECT_EQ(Resets, 1);
    EXPECT_EQ(Nodes["a"]->ChildCount, 0u);
    EXPECT_FALSE(Nodes["a"]->States.Contains(vsInitialized));
    EXPECT_FALSE(Nodes["a"]->States.Contains(vsExpanded));
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, HidingAndShowingKeepsCountsAndHeights) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"});
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Tree.VisibleCount(), 4u);
    Tree.SetNodeVisible(Nodes["a"], false);
    EXPECT_EQ(Tree.VisibleCount(), 1u);
    EXPECT_EQ(Tree.RangeY(), 18u);
    EXPECT_INVARIANTS(Tree);
    Tree.SetNodeVisible(Nodes["a/b"], false);
    Tree.SetNodeVisible(Nodes["a"], true);
    EXPECT_EQ(Tree.VisibleCount(), 3u);
    EXPECT_INVARIANTS(Tree);
    for (PLeanNode Bad : {static_cast<PLeanNode>(nullptr), Tree.RootNode()})
        EXPECT_THROW(Tree.SetNodeVisible(Bad, false), EAssertionFailed);
}

TEST(NodeStorage, HiddenChildrenFlagsWaitForTheEndOfAnUpdate) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    Tree.BeginUpdate();
    Tree.SetNodeVisible(Nodes["a/b"], false);
    EXPECT_FALSE(Nodes["a"]->States.Contains(vsAllChildrenHidden));
    EXPECT_TRUE(Tree.TreeStates().Contains(tsUpdateHiddenChildrenNeeded));
    Tree.EndUpdate();
    EXPECT_TRUE(Nodes["a"]->States.Contains(vsAllChildrenHidden));
    EXPECT_FALSE(Tree.TreeStates().Contains(tsUpdateHiddenChildrenNeeded));
    Tree.SetNodeVisible(Nodes["a/b"], true);
    EXPECT_FALSE(Nodes["a"]->States.Contains(vsAllChildrenHidden));
}

TEST(NodeStorage, DeletingWhileIteratingAsserts) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(2);
    EXPECT_THROW(Tree.IterateSubtree(
                     nullptr,
                     [](TBaseLeanTree* Sender, PLeanNode Node, void*, bool&) { Sender->DeleteNode(Node); },
                     nullptr),
                 EAssertionFailed);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsIterating));
    EXPECT_EQ(Tree.RootNodeCount(), 2u);
}

TEST(NodeStorage, DeletingANodeClearsEveryReferenceToIt) {
    TPlainTree Tree;
    for (const char* Name : {"a/b", "a"}) {
        auto Nodes = BuildTree(Tree, {"a", "a/b"});
        Tree.ReferenceEverywhere(Nodes[Name]);
        Tree.DeleteNode(Nodes["a"]);
        EXPECT_EQ(Tree.ReferencesTo(Nodes[Name]), 0) << Name;
    }
    PLeanNode Last = Tree.AddChild(nullptr);
    Tree.ReferenceEverywhere(Last);
    Tree.Clear();
    EXPECT_EQ(Tree.ReferencesTo(Last), 0);
    EXPECT_EQ(Tree.ReferencesTo(nullptr), 10);
}

TEST(NodeStorage, DeletingTheEditedNodeEndsTheEdit) {
    for (bool EditorAgrees : {true, false}) {
        TPlainTree Tree;
        auto Link = std::make_shared<TTestEditLink>();
        Link->AllowCancel = EditorAgrees;
        Tree.OnCreateEditor = [&](TBaseLeanTree*, PLeanNode, TColumnIndex, TLTEditLinkRef& EditLink) {
            EditLink = Link;
        };
        auto Nodes = BuildTree(Tree, {"a", "a/b", "c"});
        Tree.ToggleNode(Nodes["a"]);
        Tree.SetFocusedNode(Nodes["a/b"]);
        Tree.BeginCellEdit();
        ASSERT_TRUE(Tree.TreeStates().Contains(tsEditing));
        Tree.DeleteNode(Nodes["c"]);
        EXPECT_TRUE(Tree.TreeStates().Contains(tsEditing)) << "another node's deletion leaves the edit";
        Tree.DeleteNode(Nodes["a"]);
        EXPECT_FALSE(Tree.TreeStates().Contains(tsEditing));
        EXPECT_EQ(Tree.EditLink(), nullptr);
        EXPECT_EQ(Link->Cancelled, 1);
    }
}

TEST(NodeStorage, DeletedSelectedNodeLeavesTheSelectionEvenWhenLocked) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(3);
    PLeanNode Node = Tree.RootNode()->FirstChild;
    Tree.SetNodeSelected(Node, true);
    Tree.SetSelectionLocked(true);
    Tree.DeleteNode(Node);
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, ClearDeletesEverythingAndResetsTheView) {
    TPlainTree Tree;
    int Freed = 0;
    Tree.OnFreeNode = [&](TBaseLeanTree*, PLeanNode) { ++Freed; };
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c"});
    for (auto& [Name, Node] : Nodes)
        Tree.GetNodeData(Node);
    Tree.SetFocusedNode(Nodes["c"]);
    Tree.SetNodeSelected(Nodes["c"], true);
    Tree.Clear();
    EXPECT_EQ(Freed, 3);
    EXPECT_EQ(Tree.RootNodeCount(), 0u);
    EXPECT_EQ(Tree.FocusedNode(), nullptr);
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_EQ(Tree.OffsetY(), 0);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, DestroyingAReadOnlyTreeStillFreesEveryNode) {
    int Freed = 0;
    {
        TPlainTree Tree;
        Tree.OnFreeNode = [&](TBaseLeanTree*, PLeanNode) { ++Freed; };
        Tree.SetRootNodeCount(4);
        Tree.ValidateNode(nullptr, true);
        Tree.SetMisc({toReadOnly});
    }
    EXPECT_EQ(Freed, 4);
    auto* Owned = new TPlainTree();
    Owned->SetRootNodeCount(2);
    Owned->ValidateNode(nullptr, true);
    Owned->OnFreeNode = [&](TBaseLeanTree*, PLeanNode) { ++Freed; };
    delete Owned;
    EXPECT_EQ(Freed, 6);
}

TEST(NodeStorage, RootNodeCountWhileLoadingWaits) {
    TPlainTree Tree;
    Tree.SetComponentState(Tree.ComponentState() + TComponentState{csLoading});
    Tree.SetRootNodeCount(3);
    EXPECT_EQ(Tree.RootNode()->FirstChild, nullptr);
    EXPECT_TRUE(Tree.TreeStates().Contains(tsNeedRootCountUpdate));
}

TEST(NodeStorage, DefaultNodeHeightZeroMeansEighteenAndKeepsExistingHeights) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(2);
    Tree.SetDefaultNodeHeight(25);
    Tree.AddChild(nullptr);
    EXPECT_EQ(Tree.RootNode()->FirstChild->NodeHeight, 18);
    EXPECT_EQ(Tree.RootNode()->LastChild->NodeHeight, 25);
    Tree.SetDefaultNodeHeight(0);
    EXPECT_EQ(Tree.DefaultNodeHeight(), 18u);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, NodeHeightChangesThePathsTotals) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    Tree.ToggleNode(Nodes["a"]);
    Tree.SetNodeHeight(Nodes["a/b"], 40);
    EXPECT_EQ(Tree.NodeHeight(Nodes["a/b"]), 40);
    EXPECT_EQ(Tree.NodeHeight(Tree.RootNode()), 0);
    EXPECT_EQ(Tree.RangeY(), 58u);
    EXPECT_INVARIANTS(Tree);
}

TEST(NodeStorage, VariableHeightIsMeasuredOnce) {
    TPlainTree Tree;
    Tree.SetMisc({toVariableNodeHeight});
    int Measured = 0;
    Tree.OnMeasureItem = [&](TBaseLeanTree*, TCanvas*, PLeanNode, int& Height) {
        ++Measured;
        Height = 30;
    };
    Tree.SetRootNodeCount(1);
    PLeanNode Node = Tree.RootNode()->FirstChild;
    EXPECT_EQ(Tree.NodeHeight(Node), 30);
    EXPECT_EQ(Tree.NodeHeight(Node), 30);
    EXPECT_EQ(Measured, 1);
    EXPECT_INVARIANTS(Tree);
}
