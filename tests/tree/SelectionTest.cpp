// The selection: its array, batch insertion, deferred removal, ranges, clicks, the rubber band
// and the marks of a cut or copy.

#include "ScreenTestSupport.h"
#include "TreeTestSupport.h"

#include <algorithm>

namespace {

struct TSelectTree : TTestTree {
    TSelectTree() {
        SetAuto({}, {toAutoSort});
        SetNodeDataSize(sizeof(std::int64_t));
        SetSelection({toMultiSelect});
    }
    std::vector<PLeanNode> TopLevel() {
        std::vector<PLeanNode> Result;
        for (PLeanNode Run = RootNode()->FirstChild; Run; Run = Run->NextSibling)
            Result.push_back(Run);
        return Result;
    }
    std::vector<PLeanNode> Selected() {
        std::vector<PLeanNode> Result;
        for (PLeanNode Run = GetFirstSelected(); Run; Run = GetNextSelected(Run))
            Result.push_back(Run);
        return Result;
    }
};

} // namespace

TEST(Selection, ASecondNodeReplacesTheFirstWithoutMultiSelect) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TSelectTree Tree;
    Tree.SetSelection({}, {toMultiSelect});
    auto Nodes = BuildTree(Tree, {"a", "b"}, &Log);
    LogEvents(Tree, Log);
    Tree.SetNodeSelected(Nodes["a"], true);
    Log.Clear();
    Tree.SetNodeSelected(Nodes["b"], true);
    EXPECT_EQ(Log.Count("Remove("), 1);
    EXPECT_EQ(Log.Count("Add("), 1);
    EXPECT_EQ(Log.Text(), "Remove(a) Change(nil) Add(b) Change(b)");
    EXPECT_EQ(Tree.Selected(), std::vector<PLeanNode>{Nodes["b"]});
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, LockedSelectionStaysAsItIs) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(3);
    auto Top = Tree.TopLevel();
    Tree.SetNodeSelected(Top[0], true);
    Tree.SetSelectionLocked(true);
    Tree.SetNodeSelected(Top[1], true);
    Tree.SetNodeSelected(Top[0], false);
    Tree.ClearSelection();
    Tree.SelectAll(false);
    Tree.InvertSelection(false);
    EXPECT_EQ(Tree.Selected(), std::vector<PLeanNode>{Top[0]});
}

TEST(Selection, InvertTurnsTheSelectionAround) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(5);
    auto Top = Tree.TopLevel();
    Tree.SetNodeSelected(Top[1], true);
    Tree.SetNodeSelected(Top[3], true);
    Tree.InvertSelection(false);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[0], Top[2], Top[4]}));
    EXPECT_INVARIANTS(Tree);
    Tree.SelectAll(false);
    EXPECT_EQ(Tree.SelectedCount(), 5);
    Tree.InvertSelection(false);
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, SelectAllVisibleTakesOnlyRows) {
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c"});
    Tree.SelectAll(true);
    EXPECT_EQ(Tree.SelectedCount(), 2);
    Tree.SelectAll(false);
    EXPECT_EQ(Tree.SelectedCount(), 3);
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, SortedSelectionFollowsTreeOrder) {
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c", "c/d"});
    for (const char* Name : {"c/d", "a/b", "a", "c"})
        Tree.SetNodeSelected(Nodes[Name], true);
    EXPECT_EQ(Tree.GetSortedSelection(false),
              (TNodeArray{Nodes["a"], Nodes["a/b"], Nodes["c"], Nodes["c/d"]}));
    EXPECT_EQ(Tree.GetSortedSelection(true), (TNodeArray{Nodes["a"], Nodes["c"]}));
}

TEST(Selection, DeletingTheSelectionLeavesEveryListNumbered) {
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/0", "a/1", "a/2", "a/3", "b", "b/0", "b/1", "b/2", "c"});
    for (const char* Name : {"a/1", "a/2", "b/0", "c"})
        Tree.SetNodeSelected(Nodes[Name], true);
    Tree.DeleteSelectedNodes();
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_EQ(Nodes["a"]->ChildCount, 2u);
    EXPECT_EQ(Nodes["b"]->ChildCount, 2u);
    EXPECT_EQ(Tree.RootNodeCount(), 2u);
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, CompactingAnArray) {
    TNodeArray Array(3);
    for (auto& Entry : Array)
        Entry = reinterpret_cast<PLeanNode>(std::uintptr_t(0x1000) | 1);
    EXPECT_EQ(TTestTree::CompactSelection(Array, 3), 0);
    EXPECT_EQ(TTestTree::CompactSelection(Array, 0), -1) << "nothing to pack";
    TNodeArray Mixed{reinterpret_cast<PLeanNode>(0x10), reinterpret_cast<PLeanNode>(0x21),
                     reinterpret_cast<PLeanNode>(0x30)};
    EXPECT_EQ(TTestTree::CompactSelection(Mixed, 3), 2);
    EXPECT_EQ(Mixed[1], reinterpret_cast<PLeanNode>(0x30));
}

TEST(Selection, EmptySelectionStaysEmptyWhenPacked) {
    // A deferred removal of the only entry, packed at the end of the update.
    TSelectTree Tree;
    Tree.SetRootNodeCount(2);
    PLeanNode Node = Tree.RootNode()->FirstChild;
    Tree.SetNodeSelected(Node, true);
    Tree.BeginUpdate();
    Tree.UnselectCore(Node);
    Tree.EndUpdate();
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_INVARIANTS(Tree);
    Tree.BeginUpdate();
    Tree.EndUpdate();
    EXPECT_EQ(Tree.SelectedCount(), 0) << "an empty array is not packed to -1";
}

TEST(Selection, MergingKeepsTheArraySorted) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(40);
    auto Top = Tree.TopLevel();
    std::vector<PLeanNode> ByAddress = Top;
    std::sort(ByAddress.begin(), ByAddress.end());
    for (int I = 0; I < 40; I += 4)
        Tree.SetNodeSelected(ByAddress[I], true);
    TNodeArray Batch{ByAddress[9], ByAddress[2], ByAddress[21]};
    EXPECT_TRUE(Tree.AddToSelection(Batch, 3, false));
    EXPECT_EQ(Tree.SelectedCount(), 13);
    EXPECT_INVARIANTS(Tree);
    TEventLog Log; // outlives the tree, whose last events it hears
    LogEvents(Tree, Log);
    TNodeArray Again{ByAddress[9], ByAddress[0]};
    EXPECT_FALSE(Tree.AddToSelection(Again, 2, false)) << "all selected already";
    EXPECT_EQ(Log.Text(), "");
    Tree.OnChange = nullptr;
    Tree.OnAddToSelection = nullptr;
    Tree.OnRemoveFromSelection = nullptr;
    Tree.OnUpdating = nullptr;
    Tree.OnFreeNode = nullptr;
    Tree.OnStructureChange = nullptr;
    Tree.OnExpanding = nullptr;
    Tree.OnExpanded = nullptr;
    Tree.OnCollapsing = nullptr;
    Tree.OnCollapsed = nullptr;
    Tree.OnFocusChanged = nullptr;
}

TEST(Selection, LocatingInAnEmptySelection) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(1);
    int Index = -1;
    EXPECT_FALSE(Tree.LocateInSelection(Tree.RootNode()->FirstChild, Index, -1, -1));
    EXPECT_EQ(Index, 0);
}

TEST(Selection, LevelConstraintHoldsARangeToOneLevel) {
    TSelectTree Tree;
    Tree.SetSelection({toLevelSelectConstraint});
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"});
    Tree.ToggleNode(Nodes["a"]);
    Tree.SelectRange(Nodes["a"], Nodes["d"]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["a"], Nodes["d"]}));
    EXPECT_EQ(Tree.LastSelectionLevel(), 0);
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, SiblingConstraintHoldsToTheAnchorsParent) {
    TSelectTree Tree;
    Tree.SetSelection({toSiblingSelectConstraint});
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"});
    Tree.ToggleNode(Nodes["a"]);
    Tree.SetNodeSelected(Nodes["a/b"], true);
    Tree.SetNodeSelected(Nodes["d"], true);
    Tree.SetNodeSelected(Nodes["a/c"], true);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["a/b"], Nodes["a/c"]}));
}

TEST(Selection, ToggleRangeKeepsTheAnchor) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(6);
    auto Top = Tree.TopLevel();
    Tree.SetNodeSelected(Top[1], true);
    Tree.SetNodeSelected(Top[3], true);
    Tree.SetRangeAnchor(Top[1]);
    Tree.ToggleRangeSelection(Top[1], Top[4]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[2], Top[4]}));
    EXPECT_INVARIANTS(Tree);
    Tree.ToggleRangeSelection(Top[4], Top[4]);
    EXPECT_EQ(Tree.SelectedCount(), 3) << "a range of one node from itself changes nothing";
}

TEST(Selection, RangesSelectAndDeselectRows) {
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c", "d", "e"});
    Tree.SelectRange(Nodes["d"], Nodes["a"]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["a"], Nodes["c"], Nodes["d"]}))
        << "the collapsed child is no row";
    Tree.SelectRange(Nodes["e"], Nodes["e"], true);
    EXPECT_EQ(Tree.SelectedCount(), 4);
    Tree.SelectRange(Nodes["e"], Nodes["d"]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["d"], Nodes["e"]}));
    Tree.SelectAll(true);
    Tree.DeselectRange(Nodes["c"], Nodes["d"]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["a"], Nodes["e"]}));
    // A start node that is no row starts from the row before it.
    Tree.SelectRange(Nodes["a/b"], Nodes["c"]);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Nodes["a"], Nodes["c"]}));
    EXPECT_THROW(Tree.SelectRange(Nodes["a"], nullptr), EAssertionFailed);
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, ClicksSelect) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(5);
    auto Top = Tree.TopLevel();
    Tree.ApplyClickSelection(nullptr, Top[1], {}, false);
    EXPECT_EQ(Tree.Selected(), std::vector<PLeanNode>{Top[1]});
    EXPECT_EQ(Tree.RangeAnchor(), Top[1]);
    Tree.ApplyClickSelection(Top[1], Top[3], {ssShift}, false);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[2], Top[3]}));
    Tree.ApplyClickSelection(Top[3], Top[2], {ssCtrl}, false);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[3]}));
    Tree.ApplyClickSelection(Top[2], Top[4], {ssCtrl, ssShift}, false);
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[2], Top[3], Top[4]}));
    Tree.ApplyClickSelection(Top[4], Top[0], {ssCtrl}, true);
    EXPECT_TRUE(Tree.TreeStates().Contains(tsToggleFocusedSelection)) << "the toggle waits for mouse-up";
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, RubberBandSelectsWholeRows) {
    TSelectTree Tree;
    Tree.SetSelection({toFullRowSelect});
    Tree.SetRootNodeCount(10);
    auto Top = Tree.TopLevel();
    EXPECT_TRUE(Tree.HandleDrawSelection({0, 0, 0, 0}, {10, 20, 50, 60}, false));
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[2], Top[3]}));
    EXPECT_TRUE(Tree.HandleDrawSelection({10, 20, 50, 60}, {10, 50, 50, 80}, false));
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[2], Top[3], Top[4]}));
    EXPECT_TRUE(Tree.HandleDrawSelection({0, 0, 0, 0}, {10, 30, 50, 50}, true));
    EXPECT_EQ(Tree.Selected(), (std::vector<PLeanNode>{Top[1], Top[3], Top[4]})) << "Ctrl toggles";
    EXPECT_FALSE(Tree.HandleDrawSelection({10, 30, 50, 50}, {10, 30, 50, 50}, true));
    EXPECT_INVARIANTS(Tree);
}

TEST(Selection, OneChangeForAnUpdate) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "b", "c"}, &Log);
    LogEvents(Tree, Log);
    Tree.BeginUpdate();
    for (const char* Name : {"a", "b", "c"})
        Tree.SetNodeSelected(Nodes[Name], true);
    EXPECT_EQ(Log.Count("Change("), 0);
    Tree.EndUpdate();
    EXPECT_EQ(Log.Count("Change("), 1);
    EXPECT_EQ(Log.Lines[Log.Lines.size() - 2], "Change(c)") << Log.Text();
}

TEST(Selection, DeletingSelectedNodesInsideAnUpdateDefersTheArray) {
    TSelectTree Tree;
    Tree.SetRootNodeCount(6);
    auto Top = Tree.TopLevel();
    for (PLeanNode N : Top)
        Tree.SetNodeSelected(N, true);
    Tree.BeginUpdate();
    Tree.DeleteNode(Top[2]);
    Tree.DeleteNode(Top[4]);
    PLeanNode Fresh = Tree.AddChild(nullptr);
    Tree.SetNodeSelected(Fresh, true);
    Tree.EndUpdate();
    EXPECT_EQ(Tree.SelectedCount(), 5);
    EXPECT_INVARIANTS(Tree);
    Tree.ClearSelection();
    EXPECT_EQ(Tree.SelectedCount(), 0);
}

TEST(CutCopy, MarksAndStates) {
    SCREEN_TEST(); // a copy needs the system clipboard
    TSelectTree Tree;
    Tree.SetRootNodeCount(4);
    auto Top = Tree.TopLevel();
    Tree.SetNodeSelected(Top[0], true);
    Tree.SetNodeSelected(Top[2], true);
    Top[2]->States.Include(vsDisabled);
    Tree.CopyToClipBoard();
    EXPECT_TRUE(Tree.TreeStates().Contains(tsCopyPending));
    EXPECT_EQ(Tree.CutCopyCount(), 1) << "disabled nodes are not marked";
    Tree.FinishCutOrCopy();
    EXPECT_EQ(Tree.RootNodeCount(), 4u) << "a copy deletes nothing";
    Tree.CancelCutOrCopy();
    EXPECT_EQ(Tree.CutCopyCount(), 0);
    EXPECT_FALSE(Top[0]->States.Contains(vsCutOrCopy));

    Tree.SetMisc({toReadOnly});
    Tree.CutToClipBoard();
    EXPECT_FALSE(Tree.TreeStates().Contains(tsCutPending));
    Tree.SetMisc({}, {toReadOnly});
    Tree.CutToClipBoard();
    EXPECT_TRUE(Tree.TreeStates().Contains(tsCutPending));
    EXPECT_EQ(Tree.GetSortedCutCopySet(false), TNodeArray{Top[0]});
    Tree.FinishCutOrCopy();
    EXPECT_EQ(Tree.RootNodeCount(), 3u);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsCutPending));
    EXPECT_INVARIANTS(Tree);

    Tree.SetNodeSelected(Top[1], true);
    Tree.CopyToClipBoard();
    Tree.FlushClipboard();
    EXPECT_FALSE(Tree.TreeStates().Contains(tsCopyPending));
    EXPECT_EQ(Tree.CutCopyCount(), 0);
}

TEST(Selection, DeletingSelectedDescendantsIsReportedAtOnce) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TSelectTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"}, &Log);
    Tree.ToggleNode(Nodes["a"]);
    Tree.SetNodeSelected(Nodes["a/b"], true);
    Tree.SetNodeSelected(Nodes["a/c"], true);
    LogEvents(Tree, Log);
    Tree.DeleteNode(Nodes["a"]);
    EXPECT_EQ(Log.Count("Remove("), 2);
    EXPECT_EQ(Log.Count("Change("), 1);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsChangePending));
    EXPECT_INVARIANTS(Tree);
}
