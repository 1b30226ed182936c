// Moving and copying nodes within a tree and between trees.

#include "TreeTestSupport.h"

#include "platform/base/Streams.h"

namespace {

// A tree whose nodes carry a number through streams (OnSaveNode / OnLoadNode), and whose
// events land in a log.
struct TKeyTree : TPlainTree {
    std::vector<std::string> Log;
    TKeyTree() {
        OnSaveNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) { Stream->WriteBuffer(&Key(Node), 8); };
        OnLoadNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) { Stream->ReadBuffer(&Key(Node), 8); };
        OnNodeMoved = [this](TBaseLeanTree*, PLeanNode Node) { Log.push_back("moved " + Name(Node)); };
        OnNodeCopied = [this](TBaseLeanTree*, PLeanNode Node) { Log.push_back("copied " + Name(Node)); };
        OnFreeNode = [this](TBaseLeanTree*, PLeanNode Node) { Log.push_back("free " + Name(Node)); };
        OnStructureChange = [this](TBaseLeanTree*, PLeanNode Node, TChangeReason Reason) {
            if (Reason == crNodeMoved || Reason == crNodeCopied)
                Log.push_back(std::string(ReasonName(Reason)) + " " + (Node ? Name(Node) : "nil"));
        };
    }
    // The log goes before the nodes do.
    ~TKeyTree() override {
        OnNodeMoved = nullptr;
        OnNodeCopied = nullptr;
        OnFreeNode = nullptr;
        OnStructureChange = nullptr;
    }
    // A node's key, and the tree it lies in when that is not this one.
    std::string Name(PLeanNode Node) {
        TBaseLeanTree* Owner = TreeFromNode(Node);
        const std::string K = std::to_string(*static_cast<std::int64_t*>(Owner->GetNodeData(Node)));
        return Owner == this ? K : K + "@other";
    }
};

// 1 [2, 3, 4], 5 [6], 7
std::map<int, PLeanNode> Sample(TKeyTree& Tree) {
    std::map<int, PLeanNode> N;
    N[1] = Tree.Add(nullptr, 1);
    for (int K : {2, 3, 4})
        N[K] = Tree.Add(N[1], K);
    N[5] = Tree.Add(nullptr, 5);
    N[6] = Tree.Add(N[5], 6);
    N[7] = Tree.Add(nullptr, 7);
    Tree.Log.clear();
    return N;
}

} // namespace

TEST(MoveNodes, WithinTheTreeRelinksTheNode) {
    TKeyTree Tree;
    auto N = Sample(Tree);
    Tree.MoveTo(N[5], N[1], amInsertBefore, false);
    EXPECT_EQ(Tree.Shape(), "5[6],1[2,3,4],7");
    EXPECT_EQ(Tree.Log, (std::vector<std::string>{"moved 5", "crNodeMoved 5"}));
    EXPECT_INVARIANTS(Tree);

    // The nil target is the front of the top level.
    Tree.MoveTo(N[7], static_cast<PLeanNode>(nullptr), amAddChildLast, false);
    EXPECT_EQ(Tree.Shape(), "7,5[6],1[2,3,4]");
    Tree.MoveTo(N[3], N[6], amAddChildLast, false);
    EXPECT_EQ(Tree.Shape(), "7,5[6[3]],1[2,4]");
    EXPECT_INVARIANTS(Tree);
}

TEST(MoveNodes, ChildrenOnlyKeepTheirOrderInEveryMode) {
    const struct {
        TLTNodeAttachMode Mode;
        const char* Shape;
    } Cases[] = {
        {amAddChildFirst, "1,5[2,3,4,6],7"},
        {amAddChildLast, "1,5[6,2,3,4],7"},
        {amInsertBefore, "1,5[2,3,4,6],7"},
        {amInsertAfter, "1,5[6,2,3,4],7"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Shape);
        TKeyTree Tree;
        auto N = Sample(Tree);
        PLeanNode Target = C.Mode == amAddChildFirst || C.Mode == amAddChildLast ? N[5] : N[6];
        Tree.MoveTo(N[1], Target, C.Mode, true);
        EXPECT_EQ(Tree.Shape(), C.Shape);
        EXPECT_INVARIANTS(Tree);
    }
}

TEST(MoveNodes, BelowItselfRaisesAndMovesNothing) {
    TKeyTree Tree;
    auto N = Sample(Tree);
    try {
        Tree.MoveTo(N[1], N[3], amAddChildLast, false);
        FAIL() << "no error";
    } catch (const ELeanTreeError& E) {
        EXPECT_EQ(E.HelpContext(), 2001);
        EXPECT_EQ(E.Message(), u"Target node cannot be a child node of the node to be moved.");
    }
    EXPECT_EQ(Tree.Shape(), "1[2,3,4],5[6],7");
    EXPECT_INVARIANTS(Tree);
}

TEST(MoveNodes, RefusedReadOnlyOrPointlessMovesChangeNothing) {
    TKeyTree Tree;
    auto N = Sample(Tree);
    Tree.MoveTo(N[5], N[5], amInsertAfter, false);
    Tree.MoveTo(N[5], N[1], amNoWhere, false);
    Tree.MoveTo(Tree.RootNode(), N[1], amInsertAfter, false);
    Tree.OnNodeMoving = [](TBaseLeanTree*, PLeanNode, PLeanNode, bool& Allowed) { Allowed = false; };
    Tree.MoveTo(N[5], N[1], amInsertBefore, false);
    Tree.OnNodeMoving = nullptr;
    Tree.SetMisc({toReadOnly});
    Tree.MoveTo(N[5], N[1], amInsertBefore, false);
    Tree.SetMisc({}, {toReadOnly});
    EXPECT_EQ(Tree.Shape(), "1[2,3,4],5[6],7");
    EXPECT_TRUE(Tree.Log.empty());
}

TEST(MoveNodes, IntoAnotherTreeRebuildsTheNodesThere) {
    TKeyTree Tree, Other;
    auto N = Sample(Tree);
    PLeanNode Target = Other.Add(nullptr, 10);
    Other.Log.clear();
    Tree.MoveTo(N[1], Target, amAddChildLast, false);
    EXPECT_EQ(Tree.Shape(), "5[6],7");
    EXPECT_EQ(Other.Shape(), "10[1[2,3,4]]");
    // The source hears of the new node in the other tree, then frees its own.
    EXPECT_EQ(Tree.Log, (std::vector<std::string>{"moved 1@other", "free 4", "free 3", "free 2", "free 1",
                                                  "crNodeMoved nil"}));
    EXPECT_INVARIANTS(Tree);
    EXPECT_INVARIANTS(Other);

    // Children put in front keep their order.
    Tree.MoveTo(N[5], Target, amAddChildFirst, true);
    Tree.MoveTo(N[7], &Other, amInsertBefore, false);
    EXPECT_EQ(Other.Shape(), "7,10[6,1[2,3,4]]");
    EXPECT_EQ(Tree.Shape(), "5");
    EXPECT_INVARIANTS(Tree);
    EXPECT_INVARIANTS(Other);
}

TEST(CopyNodes, CopiesWithinAndAcrossTrees) {
    TKeyTree Tree, Other;
    auto N = Sample(Tree);
    PLeanNode Copy = Tree.CopyTo(N[1], static_cast<PLeanNode>(nullptr), amAddChildLast, false);
    EXPECT_EQ(Tree.Shape(), "1[2,3,4],1[2,3,4],5[6],7");
    EXPECT_EQ(Copy, Tree.RootNode()->FirstChild);
    EXPECT_EQ(Tree.Log, (std::vector<std::string>{"copied 1", "crNodeCopied 1"}));

    // Into its own subtree: the copy is of the nodes as they were.
    Tree.CopyTo(N[5], N[6], amAddChildLast, false);
    EXPECT_EQ(Tree.Shape(), "1[2,3,4],1[2,3,4],5[6[5[6]]],7");
    EXPECT_INVARIANTS(Tree);

    PLeanNode Top = Other.Add(nullptr, 10);
    EXPECT_EQ(Tree.CopyTo(N[1], Top, amAddChildFirst, true), Top);
    EXPECT_EQ(Other.Shape(), "10[2,3,4]");
    EXPECT_EQ(Tree.CopyTo(N[7], &Other, amInsertAfter, false), Other.RootNode()->LastChild);
    EXPECT_EQ(Other.Shape(), "10[2,3,4],7");
    EXPECT_INVARIANTS(Other);
}

TEST(CopyNodes, RefusedCopyLeavesNoTraceAndReadOnlyTargetTakesNothing) {
    TKeyTree Tree, Other;
    auto N = Sample(Tree);
    PLeanNode Top = Other.Add(nullptr, 10);
    Tree.OnNodeCopying = [](TBaseLeanTree*, PLeanNode, PLeanNode, bool& Allowed) { Allowed = false; };
    EXPECT_EQ(Tree.CopyTo(N[1], Top, amAddChildLast, false), nullptr);
    EXPECT_EQ(Other.Shape(), "10");
    EXPECT_INVARIANTS(Other);

    Tree.OnNodeCopying = nullptr;
    Other.SetMisc({toReadOnly});
    EXPECT_EQ(Tree.CopyTo(N[1], Top, amAddChildLast, false), nullptr);
    EXPECT_EQ(Tree.CopyTo(nullptr, Top, amAddChildLast, false), nullptr);
    EXPECT_EQ(Tree.CopyTo(N[1], Top, amNoWhere, false), nullptr);
    Other.SetMisc({}, {toReadOnly});
    EXPECT_EQ(Other.Shape(), "10");
}

TEST(CopyNodes, SourceOfAnotherTreeIsAnAssertion) {
    TKeyTree Tree, Other;
    PLeanNode Foreign = Other.Add(nullptr, 1);
    try {
        Tree.CopyTo(Foreign, static_cast<PLeanNode>(nullptr), amAddChildLast, false);
        FAIL() << "no assertion";
    } catch (const EAssertionFailed& E) {
        EXPECT_EQ(E.Message().rfind(u"The source tree must contain the source node.", 0), 0u);
    }
}
