// Thousands of random changes of every kind; after each one every counter, link, flag and the
// selection array agree with a recount, and OnFreeNode fires exactly once for each node that was
// initialised or whose data was taken, and for no other.

#include "TreeTestSupport.h"

#include <random>

namespace {

class TRandomTree : public TTestTree {
public:
    explicit TRandomTree(std::uint32_t Seed) : Random(Seed) {
        SetNodeDataSize(sizeof(std::int64_t));
        SetSelection({toMultiSelect});
        if (Random() % 2) SetAuto({}, {toAutoSort});
        if (Random() % 2) SetAuto({toAutoFreeOnCollapse});
        OnInitNode = [this](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
            TakeData(Node) = static_cast<std::int64_t>(Random() % 10);
            const auto R = Random() % 100;
            if (R < 20) States.Include(ivsHasChildren);
            if (R % 3 == 0) States.Include(ivsExpanded);
            if (R % 17 == 0) States.Include(ivsFiltered);
            if (R % 19 == 0) States.Include(ivsSelected);
            if (R % 23 == 0) States.Include(ivsDisabled);
        };
        OnInitChildren = [this](TBaseLeanTree*, PLeanNode, Cardinal& Count) { Count = Random() % 4; };
        OnFreeNode = [this](TBaseLeanTree*, PLeanNode Node) {
            if (!Node->States.Contains(vsInitialized) && !Node->States.Contains(vsOnFreeNodeCallRequired))
                ++FreeErrors;
            if (Used.erase(Node) != 1) ++FreeErrors;
        };
        OnCompareNodes = [this](TBaseLeanTree*, PLeanNode A, PLeanNode B, TColumnIndex, int& Result) {
            Result = static_cast<int>(TakeData(A) - TakeData(B));
        };
    }

    std::int64_t& TakeData(PLeanNode Node) {
        Used.insert(Node);
        return *static_cast<std::int64_t*>(GetNodeData(Node));
    }

    std::vector<PLeanNode> AllNodes() {
        std::vector<PLeanNode> Result;
        for (PLeanNode Run = GetFirstNoInit(); Run; Run = GetNextNoInit(Run))
            Result.push_back(Run);
        return Result;
    }

    // A node of the tree, or now and then none.
    PLeanNode Pick(bool AllowNone = true) {
        auto Nodes = AllNodes();
        if (Nodes.empty() || (AllowNone && Random() % 8 == 0)) return nullptr;
        return Nodes[Random() % Nodes.size()];
    }

    std::mt19937 Random;
    std::set<PLeanNode> Used;
    int FreeErrors = 0;
};

std::string Step(TRandomTree& T) {
    auto& R = T.Random;
    const bool Large = T.RootNode()->TotalCount > 300;
    // Additions outweigh deletions until the tree is large.
    const unsigned Kind = R() % (Large ? 24 : 22);
    switch (Kind >= 19 && Kind < 22 ? Kind % 3 : Kind) {
    case 0:
    case 1:
        T.AddChild(T.Pick());
        return "add";
    case 2:
        T.InsertNode(T.Pick(), static_cast<TLTNodeAttachMode>(R() % 5));
        return "insert";
    case 3:
        T.SetChildCount(T.Pick(), R() % 8 == 0 ? 0 : R() % 7);
        return "child count";
    case 4:
        if (PLeanNode N = T.Pick(false)) T.SetNodeVisible(N, R() % 3 != 0);
        return "visible";
    case 5:
        if (PLeanNode N = T.Pick(false)) T.ToggleNode(N);
        return "toggle";
    case 6:
        if (R() % 2)
            T.FullExpand(T.Pick());
        else
            T.FullCollapse(T.Pick());
        return "full expand or collapse";
    case 7:
        if (R() % 3)
            T.Sort(T.Pick(), ColumnNone, static_cast<TSortDirection>(R() % 2), R() % 2);
        else
            T.SortTree(ColumnNone, static_cast<TSortDirection>(R() % 2), R() % 2);
        return "sort";
    case 8:
        if (PLeanNode N = T.Pick(false)) T.SetNodeSelected(N, R() % 3 != 0);
        return "select";
    case 9:
        if (R() % 2) T.DeleteNode(T.Pick(false));
        return "delete";
    case 10:
        if (R() % 3 == 0) T.DeleteChildren(T.Pick(false), R() % 2);
        return "delete children";
    case 11:
        if (T.UpdateCount() < 3 && R() % 2)
            T.BeginUpdate();
        else if (T.UpdateCount() > 0)
            T.EndUpdate();
        return "update bracket";
    case 12:
        if (PLeanNode N = T.Pick(false)) T.TakeData(N);
        return "data";
    case 13:
        T.ValidateNode(T.Pick(), R() % 4 == 0);
        return "validate";
    case 14:
        if (PLeanNode N = T.Pick(false)) T.ReinitNode(N, R() % 2);
        return "reinit";
    case 15:
        switch (R() % 5) {
        case 0:
            if (PLeanNode N = T.Pick(false)) T.SelectRange(T.Pick(), N, R() % 2);
            break;
        case 1:
            T.InvertSelection(R() % 2);
            break;
        case 2:
            T.ClearSelection();
            break;
        case 3:
            if (PLeanNode N = T.Pick(false)) T.ToggleRangeSelection(T.Pick(), N);
            break;
        default:
            if (R() % 4 == 0) T.DeleteSelectedNodes();
            break;
        }
        return "selection range";
    case 16:
        if (R() % 2)
            T.SetPaint({toShowFilteredNodes});
        else
            T.SetPaint({}, {toShowFilteredNodes});
        return "show filtered";
    case 17: {
        PLeanNode Run = T.Pick(false);
        for (int I = 0; Run && I < 20; ++I)
            Run = R() % 2 ? T.GetNext(Run) : T.GetNextVisible(Run);
        return "walk";
    }
    case 18:
        if (PLeanNode N = T.Pick(false)) T.SetNodeHeight(N, 10 + R() % 30);
        return "height";
    default:
        // Large trees shrink.
        T.DeleteNode(T.RootNode()->FirstChild);
        return "delete first";
    }
}

} // namespace

TEST(RandomOperations, KeepEveryInvariant) {
    int Operations = 0;
    for (std::uint32_t Seed = 1; Seed <= 40; ++Seed) {
        std::set<PLeanNode>* Leftover = nullptr;
        int FreeErrors = 0;
        {
            TRandomTree Tree(Seed);
            for (int I = 0; I < 1000; ++I, ++Operations) {
                const std::string What = Step(Tree);
                const std::string Problems = CheckTreeInvariants(Tree, Tree.UpdateCount() == 0);
                ASSERT_EQ(Problems, "") << "seed " << Seed << ", step " << I << ": " << What;
            }
            while (Tree.UpdateCount() > 0)
                Tree.EndUpdate();
            ASSERT_EQ(CheckTreeInvariants(Tree), "") << "seed " << Seed;
            if (Seed % 2) {
                Tree.Clear();
                EXPECT_TRUE(Tree.Used.empty()) << "seed " << Seed;
            }
            FreeErrors = Tree.FreeErrors;
            static std::set<PLeanNode> Remaining;
            Remaining = Tree.Used;
            Leftover = &Remaining;
            // The rest goes with the tree: their OnFreeNode still checks in.
            Tree.OnFreeNode = [&](TBaseLeanTree*, PLeanNode Node) {
                if (Leftover->erase(Node) != 1) ++FreeErrors;
            };
        }
        EXPECT_EQ(FreeErrors, 0) << "seed " << Seed;
        EXPECT_TRUE(Leftover->empty()) << "seed " << Seed;
    }
    EXPECT_GE(Operations, 40000);
}
