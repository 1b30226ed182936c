// Expanding, collapsing, scrolling into view, the animation loop, and sorting.

#include "TreeTestSupport.h"

#include <algorithm>
#include <random>

// ---- Toggling -------------------------------------------------------------------------------------

TEST(Toggle, ExpandAndCollapseFireTheirEventsAndKeepCounts) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"}, &Log);
    LogEvents(Tree, Log);
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Log.Text(), "Expanding(a) Expanded(a)");
    EXPECT_EQ(Tree.VisibleCount(), 4u);
    EXPECT_EQ(Nodes["a"]->TotalHeight, 54u);
    EXPECT_INVARIANTS(Tree);
    Log.Clear();
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Log.Text(), "Collapsing(a) Collapsed(a)");
    EXPECT_EQ(Tree.VisibleCount(), 2u);
    EXPECT_INVARIANTS(Tree);
    // A refusal changes nothing.
    Tree.OnExpanding = [](TBaseLeanTree*, PLeanNode, bool& Allowed) { Allowed = false; };
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_FALSE(Tree.Expanded(Nodes["a"]));
    EXPECT_FALSE(Tree.TreeStates().Contains(tsToggling));
    EXPECT_FALSE(Nodes["a"]->States.Contains(vsToggling));
    EXPECT_THROW(Tree.ToggleNode(nullptr), EAssertionFailed);
}

TEST(Toggle, ALeafOnlyAsks) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a"}, &Log);
    Tree.ValidateNode(Nodes["a"], false);
    LogEvents(Tree, Log);
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Log.Text(), "Expanding(a)");
    EXPECT_FALSE(Tree.Expanded(Nodes["a"]));
}

TEST(Toggle, NoChildrenAfterAllLeavesTheNodeCollapsed) {
    TPlainTree Tree;
    Tree.OnInitNode = [](TBaseLeanTree*, PLeanNode, PLeanNode, TLeanNodeInitStates& States) {
        States.Include(ivsHasChildren);
    };
    Tree.OnInitChildren = [](TBaseLeanTree*, PLeanNode, Cardinal& Count) { Count = 0; };
    Tree.SetRootNodeCount(1);
    PLeanNode Node = Tree.GetFirst();
    ASSERT_TRUE(Node->States.Contains(vsHasChildren));
    Tree.ToggleNode(Node);
    EXPECT_FALSE(Tree.Expanded(Node));
    EXPECT_FALSE(Node->States.Contains(vsHasChildren));
    EXPECT_INVARIANTS(Tree);
}

TEST(Toggle, CollapsingAFilteredNodeLeavesNoHeight) {
    TPlainTree Tree;
    Tree.OnInitNode = [](TBaseLeanTree*, PLeanNode Parent, PLeanNode, TLeanNodeInitStates& States) {
        if (!Parent) States += TLeanNodeInitStates{ivsFiltered};
    };
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Nodes["a"]->TotalHeight, 18u);
    EXPECT_EQ(Tree.VisibleCount(), 1u);
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Nodes["a"]->TotalHeight, 0u);
    EXPECT_INVARIANTS(Tree);
}

TEST(Toggle, AutoFreeOnCollapseMakesChildrenAgainOnTheNextExpansion) {
    TPlainTree Tree;
    Tree.SetAuto({toAutoFreeOnCollapse});
    int Asked = 0, Freed = 0;
    Tree.OnInitNode = [](TBaseLeanTree*, PLeanNode Parent, PLeanNode, TLeanNodeInitStates& States) {
        if (!Parent) States.Include(ivsHasChildren);
    };
    Tree.OnInitChildren = [&](TBaseLeanTree*, PLeanNode, Cardinal& Count) {
        ++Asked;
        Count = 3;
    };
    Tree.OnFreeNode = [&](TBaseLeanTree*, PLeanNode) { ++Freed; };
    Tree.SetRootNodeCount(1);
    PLeanNode Node = Tree.GetFirst();
    Tree.ToggleNode(Node);
    Tree.ValidateChildren(Node, false);
    Tree.ToggleNode(Node);
    EXPECT_EQ(Freed, 3);
    EXPECT_EQ(Node->ChildCount, 0u);
    EXPECT_TRUE(Node->States.Contains(vsHasChildren));
    Tree.ToggleNode(Node);
    EXPECT_EQ(Asked, 2);
    EXPECT_EQ(Node->ChildCount, 3u);
    EXPECT_INVARIANTS(Tree);
}

TEST(Toggle, FullExpandMakesEveryLevelWithoutAnimation) {
    TPlainTree Tree;
    Tree.SetAnimationDuration(200);
    bool Animated = false;
    Tree.OnStateChange = [&](TBaseLeanTree*, TLeanTreeStates Enter, TLeanTreeStates) {
        if (Enter.Contains(tsInAnimation)) Animated = true;
    };
    Tree.OnInitNode = [](TBaseLeanTree* Sender, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        if (Sender->GetNodeLevel(Node) < 3) States.Include(ivsHasChildren);
    };
    Tree.OnInitChildren = [](TBaseLeanTree*, PLeanNode, Cardinal& Count) { Count = 2; };
    Tree.SetRootNodeCount(2);
    Tree.FullExpand();
    EXPECT_EQ(Tree.RootNode()->TotalCount - 1, 2u + 4 + 8 + 16);
    EXPECT_EQ(Tree.VisibleCount(), 30u);
    EXPECT_FALSE(Animated);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsExpanding));
    EXPECT_INVARIANTS(Tree);
    Tree.FullCollapse();
    EXPECT_EQ(Tree.VisibleCount(), 2u);
    for (PLeanNode Run = Tree.GetFirstNoInit(); Run; Run = Tree.GetNextNoInit(Run))
        EXPECT_FALSE(Tree.Expanded(Run));
    EXPECT_INVARIANTS(Tree);
    // One subtree only.
    PLeanNode Second = Tree.RootNode()->LastChild;
    Tree.FullExpand(Second);
    EXPECT_EQ(Tree.VisibleCount(), 2u + 14);
    EXPECT_FALSE(Tree.Expanded(Tree.RootNode()->FirstChild));
    Tree.FullCollapse(Second);
    EXPECT_EQ(Tree.VisibleCount(), 2u);
    EXPECT_INVARIANTS(Tree);
}

TEST(Toggle, ScrollIntoViewOpensTheParents) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/b/c"});
    for (int I = 0; I < 20; ++I)
        Tree.AddChild(nullptr);
    EXPECT_FALSE(Tree.ScrollIntoView(Nodes["a/b/c"], false));
    EXPECT_TRUE(Tree.Expanded(Nodes["a"]));
    EXPECT_TRUE(Tree.Expanded(Nodes["a/b"]));
    EXPECT_INVARIANTS(Tree);
    PLeanNode Last = Tree.RootNode()->LastChild;
    EXPECT_TRUE(Tree.ScrollIntoView(Last, false));
    EXPECT_EQ(Tree.OffsetY(), Tree.ClientHeight() - static_cast<int>(Tree.RangeY()));
    EXPECT_TRUE(Tree.ScrollIntoView(Nodes["a"], false));
    EXPECT_EQ(Tree.OffsetY(), 0);
    EXPECT_FALSE(Tree.ScrollIntoView(nullptr, false));
}

TEST(Toggle, InsideAnUpdateNothingAnimatesOrScrolls) {
    TPlainTree Tree;
    Tree.SetAnimationDuration(500);
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    for (int I = 0; I < 20; ++I)
        Tree.AddChild(Nodes["a"]);
    bool Animated = false;
    Tree.OnStateChange = [&](TBaseLeanTree*, TLeanTreeStates Enter, TLeanTreeStates) {
        if (Enter.Contains(tsInAnimation)) Animated = true;
    };
    Tree.BeginUpdate();
    Tree.ToggleNode(Nodes["a"]);
    Tree.EndUpdate();
    EXPECT_FALSE(Animated);
    EXPECT_EQ(Tree.OffsetY(), 0);
    EXPECT_EQ(Tree.RangeY(), 22u * 18);
}

TEST(Toggle, AnimateLoop) {
    TTestTree Tree;
    int Calls = 0;
    Tree.Animate(
        10, 0, [&](int, int, void*) { return ++Calls, true; }, nullptr);
    EXPECT_EQ(Calls, 0) << "no time, no animation";
    std::vector<std::pair<int, int>> Steps;
    Tree.Animate(
        100, 20, [&](int Step, int Size, void*) { return Steps.emplace_back(Step, Size), false; }, nullptr);
    ASSERT_EQ(Steps.size(), 2u);
    EXPECT_EQ(Steps.back(), std::make_pair(0, 0)) << "the finishing call still comes";
    EXPECT_EQ(Steps.front().second, 5) << "100 steps in 20 ms: 5 per step";
    Steps.clear();
    Tree.Animate(
        3, 6, [&](int Step, int Size, void*) { return Steps.emplace_back(Step, Size), true; }, nullptr);
    EXPECT_GE(Steps.size(), 2u);
    EXPECT_EQ(Steps.back(), std::make_pair(0, 0));
    EXPECT_FALSE(Tree.TreeStates().Contains(tsInAnimation));
    // A second loop while one runs does nothing.
    Calls = 0;
    Tree.Animate(
        2, 4,
        [&](int, int, void*) {
            if (Calls++ == 0)
                Tree.Animate(
                    2, 4, [&](int, int, void*) { return Calls += 100, true; }, nullptr);
            return true;
        },
        nullptr);
    EXPECT_LT(Calls, 100);
}

// ---- Sorting --------------------------------------------------------------------------------------

namespace {

int CompareKeys(TTestTree& Tree, PLeanNode A, PLeanNode B) {
    // Keys carry an order value in the high part and a unique tag in the low bits.
    return static_cast<int>((Tree.Key(A) >> 20) - (Tree.Key(B) >> 20));
}

std::vector<std::int64_t> ChildKeys(TTestTree& Tree, PLeanNode Node) {
    std::vector<std::int64_t> Keys;
    for (PLeanNode Run = Node->FirstChild; Run; Run = Run->NextSibling)
        Keys.push_back(Tree.Key(Run));
    return Keys;
}

} // namespace

TEST(Sort, IsStableInBothDirections) {
    std::mt19937 Random(42);
    for (int Round = 0; Round < 20; ++Round) {
        for (TSortDirection Direction : {sdAscending, sdDescending}) {
            TPlainTree Tree;
            Tree.OnCompareNodes = [&](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
                Result = CompareKeys(Tree, A, B);
            };
            const int Count = 1 + static_cast<int>(Random() % 300);
            Tree.SetRootNodeCount(static_cast<Cardinal>(Count));
            std::int64_t Tag = 0;
            for (PLeanNode Run = Tree.RootNode()->FirstChild; Run; Run = Run->NextSibling)
                Tree.Key(Run) = (static_cast<std::int64_t>(Random() % 8) << 20) | Tag++;
            auto Expected = ChildKeys(Tree, Tree.RootNode());
            std::stable_sort(Expected.begin(), Expected.end(), [&](std::int64_t A, std::int64_t B) {
                return Direction == sdAscending ? (A >> 20) < (B >> 20) : (A >> 20) > (B >> 20);
            });
            Tree.Sort(nullptr, ColumnNone, Direction, false);
            EXPECT_EQ(ChildKeys(Tree, Tree.RootNode()), Expected);
            EXPECT_INVARIANTS(Tree);
        }
    }
}

TEST(Sort, SortTreeSortsEveryListAndKeepsIndexesAndLastChildren) {
    std::mt19937 Random(7);
    TPlainTree Tree;
    Tree.OnCompareNodes = [&](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
        Result = CompareKeys(Tree, A, B);
    };
    std::int64_t Tag = 0;
    Tree.OnInitNode = [&](TBaseLeanTree* Sender, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        Tree.Key(Node) = (static_cast<std::int64_t>(Random() % 5) << 20) | Tag++;
        if (Sender->GetNodeLevel(Node) < 2) States.Include(ivsHasChildren);
    };
    Tree.OnInitChildren = [&](TBaseLeanTree*, PLeanNode, Cardinal& Count) { Count = 2 + Random() % 20; };
    Tree.SetRootNodeCount(30);
    Tree.ValidateNode(nullptr, true);
    std::map<PLeanNode, std::vector<std::int64_t>> Expected;
    for (PLeanNode Run = Tree.RootNode(); Run;
         Run = Run == Tree.RootNode() ? Tree.GetFirstNoInit() : Tree.GetNextNoInit(Run)) {
        auto Keys = ChildKeys(Tree, Run);
        std::stable_sort(Keys.begin(), Keys.end(), [](auto A, auto B) { return (A >> 20) < (B >> 20); });
        Expected[Run] = Keys;
    }
    Tree.SortTree(ColumnNone, sdAscending, true);
    for (auto& [Node, Keys] : Expected)
        EXPECT_EQ(ChildKeys(Tree, Node), Keys);
    EXPECT_INVARIANTS(Tree);
}

TEST(Sort, NothingToCompare) {
    TPlainTree Tree;
    int Compares = 0;
    Tree.OnCompareNodes = [&](TBaseLeanTree*, PLeanNode, PLeanNode, TColumnIndex, int&) { ++Compares; };
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    Tree.Sort(Nodes["a"], 0, sdAscending, false);
    Tree.Sort(Nodes["a/b"], 0, sdAscending, false);
    Tree.SortTree(ColumnNone, sdAscending, false);
    EXPECT_EQ(Compares, 0) << "one child, no children, one list of one";
    TPlainTree Single;
    Single.SetRootNodeCount(1);
    int Operations = 0;
    Single.OnStartOperation = [&](TBaseLeanTree*, TLTOperationKind) { ++Operations; };
    Single.SortTree(ColumnNone, sdAscending, true);
    EXPECT_EQ(Operations, 0);
    Tree.SetRootNodeCount(3);
    Tree.SortTree(ColumnNotFound, sdAscending, false);
    EXPECT_EQ(Compares, 0) << "column -2 sorts nothing";
}

TEST(Sort, EqualNodesKeepTheirOrderBothWays) {
    for (TSortDirection Direction : {sdAscending, sdDescending}) {
        TPlainTree Tree;
        TEventLog Log;
        auto Nodes = BuildTree(Tree, {"a", "b", "c"}, &Log);
        Tree.OnCompareNodes = [](TBaseLeanTree*, PLeanNode, PLeanNode, TColumnIndex, int& Result) {
            Result = 0;
        };
        Tree.Sort(nullptr, ColumnNone, Direction);
        std::string Order;
        for (PLeanNode Run = Tree.RootNode()->FirstChild; Run; Run = Run->NextSibling)
            Order += Log.Name(Run);
        EXPECT_EQ(Order, "abc");
    }
}

TEST(Sort, CancelStopsComparingAndDescending) {
    TPlainTree Tree;
    int Compares = 0;
    std::vector<TLTOperationKind> Operations;
    Tree.OnStartOperation = [&](TBaseLeanTree*, TLTOperationKind Kind) { Operations.push_back(Kind); };
    Tree.OnCompareNodes = [&](TBaseLeanTree* Sender, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
        ++Compares;
        Sender->CancelOperation();
        Result = static_cast<int>(B->Index) - static_cast<int>(A->Index);
    };
    auto Nodes = BuildTree(Tree, {"a", "a/x", "a/y", "b", "b/x", "b/y", "c"});
    Tree.SortTree(ColumnNone, sdAscending, true);
    EXPECT_EQ(Compares, 1) << "the rest answer 0 without asking";
    EXPECT_EQ(Operations, (std::vector<TLTOperationKind>{okSortTree, okSortNode}));
    EXPECT_FALSE(Tree.OperationCanceled()) << "no operation runs any more";
    EXPECT_INVARIANTS(Tree);
}

TEST(Sort, ACompareThatRaisesLosesNoNode) {
    TPlainTree Tree;
    Tree.SetRootNodeCount(50);
    int Compares = 0;
    Tree.OnCompareNodes = [&](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
        if (++Compares == 30) throw Exception(u"compare failed");
        Result = static_cast<int>(B->Index) - static_cast<int>(A->Index);
    };
    EXPECT_THROW(Tree.Sort(nullptr, ColumnNone, sdAscending), Exception);
    EXPECT_INVARIANTS(Tree);
    EXPECT_EQ(Tree.OperationCount(), 0u);
}

TEST(Sort, AutoSortOrdersAdditionsAndExpandedLists) {
    TTestTree Tree;
    Tree.SetNodeDataSize(sizeof(std::int64_t));
    Tree.OnCompareNodes = [&](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
        Result = static_cast<int>(Tree.Key(A) - Tree.Key(B));
    };
    std::int64_t Next = 10;
    Tree.OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates&) {
        Tree.Key(Node) = Next--;
    };
    for (int I = 0; I < 4; ++I)
        Tree.AddChild(nullptr);
    EXPECT_EQ(ChildKeys(Tree, Tree.RootNode()), (std::vector<std::int64_t>{7, 8, 9, 10}));
    // Filled inside an update: sorted once at its end.
    Tree.BeginUpdate();
    for (int I = 0; I < 3; ++I)
        Tree.AddChild(nullptr);
    Tree.EndUpdate();
    EXPECT_EQ(ChildKeys(Tree, Tree.RootNode()), (std::vector<std::int64_t>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_INVARIANTS(Tree);
}
