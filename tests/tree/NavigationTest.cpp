// Every walk against a recount over the links of trees of many shapes: in tree order and with
// children above, without initialising on a fully built tree, and initialising on trees that are
// built bare or that make their children on demand.

#include "TreeTestSupport.h"

#include <algorithm>

namespace {

std::uint64_t Mix(std::uint64_t X) {
    X += 0x9E3779B97F4A7C15ull;
    X = (X ^ (X >> 30)) * 0xBF58476D1CE4E5B9ull;
    X = (X ^ (X >> 27)) * 0x94D049BB133111EBull;
    return X ^ (X >> 31);
}

// A tree described by a seed: each node's id decides its children and states.
struct TShape {
    std::uint64_t Seed;
    bool NoHidden;

    std::int64_t ChildId(std::int64_t ParentId, Cardinal Index) const {
        return static_cast<std::int64_t>(Mix(static_cast<std::uint64_t>(ParentId) * 131 + Index + 1) >> 2) |
               1;
    }
    std::int64_t TopId(Cardinal Index) const { return ChildId(static_cast<std::int64_t>(Seed), Index); }
    Cardinal TopCount() const { return 2 + Mix(Seed) % 4; }
    Cardinal Children(std::int64_t Id, Cardinal Level) const {
        if (Level >= 3) return 0;
        const auto H = Mix(static_cast<std::uint64_t>(Id) ^ 0x55);
        return H % 3 == 0 ? 0 : static_cast<Cardinal>(1 + H % 4);
    }
    bool Expanded(std::int64_t Id) const { return Mix(static_cast<std::uint64_t>(Id) ^ 0x77) % 10 < 7; }
    bool Visible(std::int64_t Id) const {
        return NoHidden || Mix(static_cast<std::uint64_t>(Id) ^ 0x99) % 10 < 8;
    }
    bool Filtered(std::int64_t Id) const { return Mix(static_cast<std::uint64_t>(Id) ^ 0x33) % 10 == 0; }
};

// Nodes tell their id through their user data; a node made on demand computes it when it is
// initialised.
void InstallShape(TTestTree& Tree, const TShape& Shape, bool Lazy) {
    Tree.SetAuto({}, {toAutoSort});
    Tree.SetNodeDataSize(sizeof(std::int64_t));
    Tree.OnInitNode = [&Shape, Lazy](TBaseLeanTree* Sender, PLeanNode Parent, PLeanNode Node,
                                     TLeanNodeInitStates& States) {
        auto& T = *static_cast<TTestTree*>(Sender);
        std::int64_t& Id = T.Key(Node);
        if (Id == 0) Id = Parent ? Shape.ChildId(T.Key(Parent), Node->Index) : Shape.TopId(Node->Index);
        if (Lazy && Shape.Children(Id, T.GetNodeLevel(Node)) > 0) States.Include(ivsHasChildren);
        if (Shape.Expanded(Id)) States.Include(ivsExpanded);
        if (Shape.Filtered(Id)) States.Include(ivsFiltered);
    };
    Tree.OnInitChildren = [&Shape](TBaseLeanTree* Sender, PLeanNode Node, Cardinal& Count) {
        auto& T = *static_cast<TTestTree*>(Sender);
        Count = Shape.Children(T.Key(Node), T.GetNodeLevel(Node) + 1);
    };
    if (Lazy) {
        Tree.SetRootNodeCount(Shape.TopCount());
        return;
    }
    // Every node made at once, bare (AddChild would initialise the parents); ids and visibility
    // set from outside.
    Tree.BeginUpdate();
    std::function<void(PLeanNode, std::int64_t, Cardinal)> Build = [&](PLeanNode Parent,
                                                                       std::int64_t ParentId,
                                                                       Cardinal Level) {
        const Cardinal Count = Parent ? Shape.Children(ParentId, Level) : Shape.TopCount();
        if (Count == 0) return;
        Tree.SetChildCount(Parent, Count);
        for (PLeanNode Node = Parent ? Parent->FirstChild : Tree.RootNode()->FirstChild; Node;
             Node = Node->NextSibling) {
            const std::int64_t Id = Parent ? Shape.ChildId(ParentId, Node->Index) : Shape.TopId(Node->Index);
            Tree.Key(Node) = Id;
            if (!Shape.Visible(Id)) Tree.SetNodeVisible(Node, false);
            Build(Node, Id, Level + 1);
        }
    };
    Build(nullptr, 0, 0);
    Tree.EndUpdate();
}

// The orders and predicates, recounted over the links of a fully initialised tree.
struct TReference {
    std::vector<PLeanNode> PreOrder, PostOrder;
    std::map<PLeanNode, std::int64_t> Ids;

    explicit TReference(TTestTree& Tree) {
        std::function<void(PLeanNode)> Walk = [&](PLeanNode Node) {
            for (PLeanNode Child = Node->FirstChild; Child; Child = Child->NextSibling) {
                PreOrder.push_back(Child);
                Ids[Child] = Tree.Key(Child);
                Walk(Child);
                PostOrder.push_back(Child);
            }
        };
        Walk(Tree.RootNode());
    }
    const std::vector<PLeanNode>& Order(bool Above) const { return Above ? PostOrder : PreOrder; }

    static bool Shown(TTestTree& Tree, PLeanNode Node) {
        if (!Node->States.Contains(vsVisible)) return false;
        for (PLeanNode Run = Node->Parent; Run != Tree.RootNode(); Run = Run->Parent)
            if (!Run->States.Contains(vsExpanded) || !Run->States.Contains(vsVisible)) return false;
        return true;
    }
    static bool Row(TTestTree& Tree, PLeanNode Node) {
        return Shown(Tree, Node) && !Node->States.Contains(vsFiltered);
    }
    // The next (previous) row after (before) the node's place in the order.
    PLeanNode Step(TTestTree& Tree, PLeanNode Node, bool Above, bool Forward) const {
        const auto& O = Order(Above);
        auto It = std::find(O.begin(), O.end(), Node);
        if (Forward) {
            for (++It; It != O.end(); ++It)
                if (Row(Tree, *It)) return *It;
        } else {
            while (It != O.begin())
                if (Row(Tree, *--It)) return *It;
        }
        return nullptr;
    }
    std::vector<std::int64_t> RowIds(TTestTree& Tree, bool Above) const {
        std::vector<std::int64_t> Result;
        for (PLeanNode Node : Order(Above))
            if (Row(Tree, Node)) Result.push_back(Ids.at(Node));
        return Result;
    }
    std::vector<std::int64_t> AllIds(bool Above) const {
        std::vector<std::int64_t> Result;
        for (PLeanNode Node : Order(Above))
            Result.push_back(Ids.at(Node));
        return Result;
    }
};

std::vector<std::uint64_t> Seeds() {
    std::vector<std::uint64_t> Result;
    for (std::uint64_t I = 1; I <= 25; ++I)
        Result.push_back(I * 7919);
    return Result;
}

template <class Next> std::vector<std::int64_t> Collect(TTestTree& Tree, PLeanNode First, Next Step) {
    std::vector<std::int64_t> Result;
    for (PLeanNode Run = First; Run; Run = Step(Run)) {
        EXPECT_TRUE(Run->States.Contains(vsInitialized));
        Result.push_back(Tree.Key(Run));
        if (Result.size() > 100000) break;
    }
    return Result;
}

} // namespace

class Walks : public ::testing::TestWithParam<bool> {
protected:
    bool Above() const { return GetParam(); }
    void Prepare(TTestTree& Tree) {
        if (Above()) Tree.SetPaint({toChildrenAbove});
    }
};

TEST_P(Walks, NoInitWalksFollowTheLinks) {
    for (auto Seed : Seeds()) {
        TShape Shape{Seed, false};
        TTestTree Tree;
        Prepare(Tree);
        InstallShape(Tree, Shape, false);
        Tree.ValidateNode(nullptr, true);
        ASSERT_EQ(CheckTreeInvariants(Tree), "") << Seed;
        TReference Ref(Tree);
        const bool A = Above();
        const auto& O = Ref.Order(A);

        std::vector<PLeanNode> Forward, Backward;
        for (PLeanNode Run = Tree.GetFirstNoInit(true); Run; Run = Tree.GetNextNoInit(Run, true))
            Forward.push_back(Run);
        for (PLeanNode Run = Tree.GetLastNoInit(nullptr, true); Run; Run = Tree.GetPreviousNoInit(Run, true))
            Backward.push_back(Run);
        std::reverse(Backward.begin(), Backward.end());
        EXPECT_EQ(Forward, O) << Seed;
        EXPECT_EQ(Backward, O) << Seed;

        PLeanNode FirstRow = nullptr, LastRow = nullptr;
        for (PLeanNode N : O)
            if (TReference::Row(Tree, N)) {
                if (!FirstRow) FirstRow = N;
                LastRow = N;
            }
        EXPECT_EQ(Tree.GetFirstVisibleNoInit(nullptr, true), FirstRow) << Seed;
        EXPECT_EQ(Tree.GetLastVisibleNoInit(nullptr, true), LastRow) << Seed;
        for (PLeanNode N : O) {
            EXPECT_EQ(Tree.GetNextVisibleNoInit(N, true), Ref.Step(Tree, N, A, true)) << Seed;
            EXPECT_EQ(Tree.GetPreviousVisibleNoInit(N, true), Ref.Step(Tree, N, A, false)) << Seed;
        }
        // Children above only where it is asked for.
        std::vector<PLeanNode> Plain;
        for (PLeanNode Run = Tree.GetFirstNoInit(false); Run; Run = Tree.GetNextNoInit(Run, false))
            Plain.push_back(Run);
        EXPECT_EQ(Plain, Ref.PreOrder);
    }
}

TEST_P(Walks, InitWalksAnswerTheSameOnBareTrees) {
    for (auto Seed : Seeds()) {
        TShape Shape{Seed, false};
        TTestTree Full;
        Prepare(Full);
        InstallShape(Full, Shape, false);
        Full.ValidateNode(nullptr, true);
        TReference Ref(Full);

        TTestTree Bare;
        Prepare(Bare);
        InstallShape(Bare, Shape, false);
        EXPECT_EQ(Collect(Bare, Bare.GetFirst(true), [&](PLeanNode N) { return Bare.GetNext(N, true); }),
                  Ref.AllIds(Above()))
            << Seed;

        TTestTree Rows;
        Prepare(Rows);
        InstallShape(Rows, Shape, false);
        const auto RowIds = Ref.RowIds(Full, Above());
        auto Forward = Collect(Rows, Rows.GetFirstVisible(nullptr, true),
                               [&](PLeanNode N) { return Rows.GetNextVisible(N, true); });
        EXPECT_EQ(Forward, RowIds) << Seed;
        EXPECT_EQ(CheckTreeInvariants(Rows), "") << Seed;
        // Back again from the last row.
        PLeanNode Last = Rows.GetLastVisible(nullptr, true);
        auto Backward = Collect(Rows, Last, [&](PLeanNode N) { return Rows.GetPreviousVisible(N, true); });
        std::reverse(Backward.begin(), Backward.end());
        EXPECT_EQ(Backward, RowIds) << Seed;
    }
}

TEST_P(Walks, InitWalksMakeLazyChildren) {
    for (auto Seed : Seeds()) {
        TShape Shape{Seed, true};
        TTestTree Full;
        Prepare(Full);
        InstallShape(Full, Shape, false);
        Full.ValidateNode(nullptr, true);
        TReference Ref(Full);

        TTestTree Lazy;
        Prepare(Lazy);
        InstallShape(Lazy, Shape, true);
        EXPECT_EQ(Collect(Lazy, Lazy.GetFirst(true), [&](PLeanNode N) { return Lazy.GetNext(N, true); }),
                  Ref.AllIds(Above()))
            << Seed;
        EXPECT_EQ(CheckTreeInvariants(Lazy), "") << Seed;

        TTestTree LazyRows;
        Prepare(LazyRows);
        InstallShape(LazyRows, Shape, true);
        EXPECT_EQ(Collect(LazyRows, LazyRows.GetFirstVisible(nullptr, true),
                          [&](PLeanNode N) { return LazyRows.GetNextVisible(N, true); }),
                  Ref.RowIds(Full, Above()))
            << Seed;
        EXPECT_EQ(CheckTreeInvariants(LazyRows), "") << Seed;

        // Backwards in tree order, making children on the way.
        TTestTree LazyBack;
        Prepare(LazyBack);
        InstallShape(LazyBack, Shape, true);
        PLeanNode Last = LazyBack.GetLast(nullptr, true);
        auto Backward = Collect(LazyBack, Last, [&](PLeanNode N) { return LazyBack.GetPrevious(N, true); });
        std::reverse(Backward.begin(), Backward.end());
        if (!Above()) {
            EXPECT_EQ(Backward, Ref.AllIds(false)) << Seed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, Walks, ::testing::Values(false, true),
                         [](const auto& Info) { return Info.param ? "ChildrenAbove" : "TreeOrder"; });

TEST(Navigation, FilteredWalksMatchTheirStates) {
    for (auto Seed : Seeds()) {
        TShape Shape{Seed, false};
        TTestTree Tree;
        InstallShape(Tree, Shape, false);
        Tree.ValidateNode(nullptr, true);
        Tree.SetSelection({toMultiSelect});
        TReference Ref(Tree);
        std::vector<PLeanNode> Checked, Selected, Leaves;
        std::map<Cardinal, std::vector<PLeanNode>> Levels;
        for (PLeanNode N : Ref.PreOrder) {
            const auto H = Mix(static_cast<std::uint64_t>(Tree.Key(N)) ^ 0x1234);
            if (H % 3 == 0) {
                N->CheckState = csCheckedNormal;
                Checked.push_back(N);
            }
            if (H % 4 == 0) {
                Tree.SetNodeSelected(N, true);
                Selected.push_back(N);
            }
            if (!N->States.Contains(vsHasChildren)) Leaves.push_back(N);
            Levels[Tree.GetNodeLevel(N)].push_back(N);
        }
        auto All = [](auto First, auto Next) {
            std::vector<PLeanNode> R;
            for (PLeanNode Run = First; Run; Run = Next(Run))
                R.push_back(Run);
            return R;
        };
        EXPECT_EQ(All(Tree.GetFirstChecked(), [&](PLeanNode N) { return Tree.GetNextChecked(N); }), Checked);
        EXPECT_EQ(Tree.CheckedCount(), static_cast<int>(Checked.size()));
        EXPECT_EQ(All(Tree.GetFirstSelected(), [&](PLeanNode N) { return Tree.GetNextSelected(N); }),
                  Selected);
        EXPECT_EQ(All(Tree.GetFirstLeaf(), [&](PLeanNode N) { return Tree.GetNextLeaf(N); }), Leaves);
        EXPECT_EQ(All(Tree.GetFirstInitialized(), [&](PLeanNode N) { return Tree.GetNextInitialized(N); }),
                  Ref.PreOrder);
        auto Reverse = [](std::vector<PLeanNode> V) {
            std::reverse(V.begin(), V.end());
            return V;
        };
        EXPECT_EQ(
            All(Tree.GetPreviousChecked(nullptr), [&](PLeanNode N) { return Tree.GetPreviousChecked(N); }),
            Reverse(Checked));
        // From nothing the walk starts at the last top-level node: its descendants are not visited.
        std::vector<PLeanNode> LeavesBefore;
        for (PLeanNode N : Leaves)
            if (!Tree.HasAsParent(N, Tree.RootNode()->LastChild)) LeavesBefore.push_back(N);
        EXPECT_EQ(All(Tree.GetPreviousLeaf(nullptr), [&](PLeanNode N) { return Tree.GetPreviousLeaf(N); }),
                  Reverse(LeavesBefore));
        for (auto& [Level, Nodes] : Levels) {
            EXPECT_EQ(
                All(Tree.GetFirstLevel(Level), [&](PLeanNode N) { return Tree.GetNextLevel(N, Level); }),
                Nodes)
                << "level " << Level;
            EXPECT_EQ(All(Nodes.back(), [&](PLeanNode N) { return Tree.GetPreviousLevel(N, Level); }),
                      Reverse(Nodes))
                << "level " << Level;
        }
        for (std::size_t I = 0; I < Ref.PreOrder.size(); ++I)
            EXPECT_EQ(Tree.AbsoluteIndex(Ref.PreOrder[I]), I);
        // The enumerations step through the same walks.
        std::vector<PLeanNode> Enumerated;
        for (PLeanNode N : Tree.SelectedNodes())
            Enumerated.push_back(N);
        EXPECT_EQ(Enumerated, Selected);
        Enumerated.clear();
        for (PLeanNode N : Tree.NoInitNodes())
            Enumerated.push_back(N);
        EXPECT_EQ(Enumerated, Ref.PreOrder);
    }
}

TEST(Navigation, PreviousLeafFromNothingStartsAtTheLastTopLevelNode) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    auto Nodes = BuildTree(Tree, {"a", "b", "b/c"});
    // b has children, so the walk goes on before it; b's children are never visited.
    EXPECT_EQ(Tree.GetPreviousLeaf(nullptr), Nodes["a"]);
    Tree.SetSelection({toMultiSelect});
    Tree.SetNodeSelected(Nodes["b/c"], true);
    EXPECT_EQ(Tree.GetPreviousSelected(nullptr), nullptr);
    Tree.SetNodeSelected(Nodes["a"], true);
    EXPECT_EQ(Tree.GetPreviousSelected(nullptr), Nodes["a"]);
}

TEST(Navigation, EdgeCases) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    EXPECT_EQ(Tree.GetFirst(), nullptr);
    EXPECT_EQ(Tree.GetNext(nullptr), nullptr);
    EXPECT_EQ(Tree.GetFirstVisible(), nullptr);
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c", "c/d"});
    EXPECT_EQ(Tree.GetNext(Nodes["c/d"]), nullptr);
    EXPECT_EQ(Tree.GetFirstChild(nullptr), Nodes["a"]);
    EXPECT_EQ(Tree.GetFirstChild(Tree.RootNode()), Nodes["a"]);
    EXPECT_EQ(Tree.GetLastChildNoInit(nullptr), Nodes["c"]);
    EXPECT_TRUE(Tree.HasAsParent(Nodes["c/d"], Tree.RootNode()));
    EXPECT_TRUE(Tree.HasAsParent(Nodes["c/d"], Nodes["c"]));
    EXPECT_FALSE(Tree.HasAsParent(Nodes["c"], Nodes["c"]));
    EXPECT_FALSE(Tree.HasAsParent(nullptr, Nodes["c"]));
    EXPECT_EQ(Tree.AbsoluteIndex(Nodes["c/d"]), Nodes["a"]->TotalCount + 1);
    EXPECT_EQ(Tree.AbsoluteIndex(nullptr), 0u);
    EXPECT_THROW(Tree.GetNext(Tree.RootNode()), EAssertionFailed);
    EXPECT_THROW(Tree.GetNextVisibleSibling(nullptr), EAssertionFailed);
    EXPECT_THROW(Tree.GetVisibleParent(Tree.RootNode()), EAssertionFailed);
    EXPECT_EQ(Tree.GetVisibleParent(Nodes["c/d"]), Nodes["c"]);
    EXPECT_LT(Tree.CompareNodeOrder(Nodes["a/b"], Nodes["c"], false), 0);
    EXPECT_EQ(Tree.CompareNodeOrder(Nodes["c/d"], Nodes["c"], false), 1);
    EXPECT_EQ(Tree.CompareNodeOrder(Nodes["c"], Nodes["c/d"], false), -1);
    Tree.SetPaint({toChildrenAbove});
    EXPECT_EQ(Tree.CompareNodeOrder(Nodes["c/d"], Nodes["c"], true), -1);
    EXPECT_EQ(Tree.GetFirst(true), Nodes["a/b"]);
    EXPECT_EQ(Tree.GetNext(Nodes["a/b"], true), Nodes["a"]);
}

TEST(Navigation, NodeAtARow) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c"});
    Tree.ToggleNode(Nodes["a"]);
    int Top = -1;
    EXPECT_EQ(Tree.GetNodeAt(0, -10, false, Top), Nodes["a"]);
    EXPECT_EQ(Top, 0);
    EXPECT_EQ(Tree.GetNodeAt(0, 18, false, Top), Nodes["a/b"]);
    EXPECT_EQ(Top, 18);
    EXPECT_EQ(Tree.GetNodeAt(0, 53, false, Top), Nodes["c"]);
    EXPECT_EQ(Tree.GetNodeAt(0, 54, false, Top), nullptr);
    EXPECT_EQ(Tree.TopNode(), Nodes["a"]);
    EXPECT_EQ(Tree.BottomNode(), nullptr) << "the client area reaches below the last row";
}

TEST(Navigation, IterateSubtree) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    TEventLog Log;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/b/c", "a/d", "e"}, &Log);
    auto Visit = [&](PLeanNode Start, bool ChildNodesOnly, TLeanNodeStates Filter = {}) {
        std::vector<std::string> Seen;
        Tree.IterateSubtree(
            Start, [&](TBaseLeanTree*, PLeanNode Node, void*, bool&) { Seen.push_back(Log.Name(Node)); },
            nullptr, Filter, false, ChildNodesOnly);
        return Seen;
    };
    EXPECT_EQ(Visit(Nodes["a"], false), (std::vector<std::string>{"a", "a/b", "a/b/c", "a/d"}));
    EXPECT_EQ(Visit(Nodes["a"], true), (std::vector<std::string>{"a/b", "a/b/c", "a/d"}));
    EXPECT_EQ(Visit(Nodes["e"], true), std::vector<std::string>{});
    EXPECT_EQ(Visit(nullptr, false).size(), 5u);
    Tree.SetNodeVisible(Nodes["a/d"], false);
    Tree.SetNodeVisible(Nodes["e"], false);
    EXPECT_EQ(Visit(nullptr, false, TLeanNodeStates{vsVisible}),
              (std::vector<std::string>{"a", "a/b", "a/b/c"}));
    int Calls = 0;
    PLeanNode Stopped = Tree.IterateSubtree(
        nullptr, [&](TBaseLeanTree*, PLeanNode, void*, bool& Abort) { Abort = ++Calls == 3; }, nullptr);
    EXPECT_EQ(Stopped, Nodes["a/b/c"]);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsIterating));
    EXPECT_THROW(Tree.IterateSubtree(
                     Tree.RootNode(), [](TBaseLeanTree*, PLeanNode, void*, bool&) {}, nullptr),
                 EAssertionFailed);
}

TEST(Navigation, VisibleEnumerationsStayInTheirSubtree) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    TEventLog Log;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"}, &Log);
    Tree.ToggleNode(Nodes["a"]);
    std::vector<std::string> Seen;
    for (PLeanNode N : Tree.VisibleNodes(Nodes["a"]))
        Seen.push_back(Log.Name(N));
    EXPECT_EQ(Seen, (std::vector<std::string>{"a/b", "a/c"}));
    Seen.clear();
    for (PLeanNode N : Tree.ChildNodes(Nodes["a"]))
        Seen.push_back(Log.Name(N));
    EXPECT_EQ(Seen, (std::vector<std::string>{"a/b", "a/c"}));
    Seen.clear();
    for (PLeanNode N : Tree.VisibleNodes())
        Seen.push_back(Log.Name(N));
    EXPECT_EQ(Seen, (std::vector<std::string>{"a", "a/b", "a/c", "d"}));
}
