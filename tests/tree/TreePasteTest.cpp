// Nodes through the system clipboard and through drops of data objects: between trees of this
// process the nodes move directly, anything else is rebuilt from the tree's own format.

#include "ScreenTestSupport.h"
#include "TreeTestSupport.h"

#include "platform/base/Streams.h"
#include "platform/gui/Clipboard.h"

#include <map>
#include <unistd.h>

namespace {

struct TKeyTree : TPlainTree {
    std::vector<std::string> Log;
    TKeyTree() {
        ClipboardFormats()->Add(u"Lean Tree Data");
        OnSaveNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) { Stream->WriteBuffer(&Key(Node), 8); };
        OnLoadNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) { Stream->ReadBuffer(&Key(Node), 8); };
        OnStructureChange = [this](TBaseLeanTree*, PLeanNode, TChangeReason Reason) {
            Log.push_back(ReasonName(Reason));
        };
    }
    ~TKeyTree() override { OnStructureChange = nullptr; }
};

// 1 [2, 3], 4, 5
std::map<int, PLeanNode> Sample(TKeyTree& Tree) {
    std::map<int, PLeanNode> N;
    N[1] = Tree.Add(nullptr, 1);
    N[2] = Tree.Add(N[1], 2);
    N[3] = Tree.Add(N[1], 3);
    N[4] = Tree.Add(nullptr, 4);
    N[5] = Tree.Add(nullptr, 5);
    return N;
}

// Data offered under formats, as another program's drag or clipboard would offer it.
struct TBlockDataObject : IDataObject {
    std::map<TClipboardFormat, TBytes> Blocks;
    bool HasFormat(TClipboardFormat Format) override { return Blocks.count(Format) > 0; }
    std::vector<TClipboardFormat> Formats() override {
        std::vector<TClipboardFormat> List;
        for (const auto& B : Blocks)
            List.push_back(B.first);
        return List;
    }
    TBytes GetData(TClipboardFormat Format) override {
        auto It = Blocks.find(Format);
        return It == Blocks.end() ? TBytes() : It->second;
    }
};

TClipboardFormat DataFormat() {
    return RegisterClipboardFormat(u"Lean Tree Data");
}
TClipboardFormat ReferenceFormat() {
    return RegisterClipboardFormat(u"Lean Tree Reference");
}

// The tree's formats as the clipboard holds them now.
TBlockDataObject ClipboardBlocks() {
    TBlockDataObject Data;
    for (TClipboardFormat F : {DataFormat(), ReferenceFormat()})
        if (Clipboard()->HasFormat(F)) Data.Blocks[F] = Clipboard()->GetData(F);
    return Data;
}

// What a tree puts on the clipboard when it copies its selection.
TBlockDataObject CopiedBlocks(TKeyTree& Tree) {
    Tree.CopyToClipBoard();
    return ClipboardBlocks();
}

} // namespace

TEST(TreePaste, CopyPastesIntoAnotherTreeAsNewNodes) {
    SCREEN_TEST();
    TKeyTree Tree, Other;
    Tree.SetSelection({toMultiSelect});
    auto N = Sample(Tree);
    Tree.SetNodeSelected(N[1], true);
    Tree.SetNodeSelected(N[5], true);
    Tree.CopyToClipBoard();
    EXPECT_TRUE(Tree.TreeStates().Contains(tsCopyPending));
    EXPECT_EQ(Tree.CutCopyCount(), 2);

    PLeanNode Top = Other.Add(nullptr, 10);
    Other.SetFocusedNode(Top);
    Other.Log.clear();
    EXPECT_TRUE(Other.PasteFromClipboard());
    EXPECT_EQ(Other.Shape(), "10[1[2,3],5]");
    // The two additions come as one notice when the paste ends.
    EXPECT_EQ(Other.Log, std::vector<std::string>{"crAccumulated"});
    EXPECT_EQ(Tree.Shape(), "1[2,3],4,5");
    EXPECT_INVARIANTS(Other);

    // The clipboard's nodes are what was copied then, not what the tree holds now.
    Tree.DeleteNode(N[5]);
    Other.SetFocusedNode(nullptr);
    EXPECT_TRUE(Other.PasteFromClipboard());
    EXPECT_EQ(Other.Shape(), "10[1[2,3],5],1[2,3],5");
}

TEST(TreePaste, CutAndPasteMovesTheNodesInTheirOrder) {
    SCREEN_TEST();
    TKeyTree Tree, Other;
    Tree.SetSelection({toMultiSelect});
    auto N = Sample(Tree);
    for (int K : {2, 4, 5})
        Tree.SetNodeSelected(N[K], true);
    Tree.CutToClipBoard();
    EXPECT_TRUE(Tree.TreeStates().Contains(tsCutPending));

    // Within the tree, to the front of 1's children.
    Tree.SetDefaultPasteMode(amAddChildFirst);
    Tree.SetFocusedNode(N[1]);
    EXPECT_TRUE(Tree.PasteFromClipboard());
    EXPECT_EQ(Tree.Shape(), "1[2,4,5,3]");
    EXPECT_FALSE(Tree.TreeStates().Contains(tsCutPending));
    EXPECT_EQ(Tree.Key(N[4]), 4); // the very nodes, not copies
    EXPECT_INVARIANTS(Tree);

    // Into another tree of the process.
    Tree.ClearSelection();
    Tree.SetNodeSelected(N[4], true);
    Tree.SetNodeSelected(N[3], true);
    Tree.CutToClipBoard();
    PLeanNode Top = Other.Add(nullptr, 10);
    Other.SetFocusedNode(Top);
    Other.SetDefaultPasteMode(amInsertAfter);
    EXPECT_TRUE(Other.PasteFromClipboard());
    EXPECT_EQ(Other.Shape(), "10,4,3");
    EXPECT_EQ(Tree.Shape(), "1[2,5]");
    EXPECT_FALSE(Tree.TreeStates().Contains(tsCutPending));
    EXPECT_INVARIANTS(Tree);
    EXPECT_INVARIANTS(Other);
}

TEST(TreePaste, DataOfAnotherProcessIsRebuiltAndCheckedFirst) {
    SCREEN_TEST();
    TKeyTree Tree, Other;
    auto N = Sample(Tree);
    Tree.SetNodeSelected(N[1], true);
    TBlockDataObject Data = CopiedBlocks(Tree);
    ASSERT_EQ(Data.Blocks.size(), 2u);
    ASSERT_EQ(TBaseLeanTree::SourceTreeOfDataObject(&Data), &Tree);

    // The same bytes from another process: a reference names a process that is not this one.
    TBytes& Reference = Data.Blocks[ReferenceFormat()];
    const std::uint32_t OtherPid = static_cast<std::uint32_t>(getpid()) + 1;
    for (int I = 0; I < 4; ++I)
        Reference[I] = static_cast<Byte>(OtherPid >> (8 * I));
    EXPECT_EQ(TBaseLeanTree::SourceTreeOfDataObject(&Data), nullptr);
    int Effect = DROPEFFECT_MOVE;
    EXPECT_TRUE(Other.ProcessDrop(&Data, nullptr, Effect, amAddChildLast));
    EXPECT_EQ(Other.Shape(), "1[2,3]");
    EXPECT_EQ(Tree.Shape(), "1[2,3],4,5") << "a foreign move copies; the source deletes its own";
    EXPECT_EQ(Effect, DROPEFFECT_MOVE);

    // A count that claims more than came reads what came; a count of 0 inserts nothing.
    TBytes& Block = Data.Blocks[DataFormat()];
    Block[0] = 0xFF;
    Block[1] = 0xFF;
    EXPECT_TRUE(Other.ProcessOLEData(nullptr, &Data, nullptr, amAddChildLast, false));
    EXPECT_EQ(Other.Shape(), "1[2,3],1[2,3]");
    TBlockDataObject Empty;
    Empty.Blocks[DataFormat()] = TBytes{0, 0, 0, 0};
    EXPECT_TRUE(Other.ProcessOLEData(nullptr, &Empty, nullptr, amAddChildLast, false));
    EXPECT_EQ(Other.Shape(), "1[2,3],1[2,3]");
    EXPECT_FALSE(Other.ProcessOLEData(nullptr, nullptr, nullptr, amAddChildLast, false));

    // Damaged data adds nothing: the paste raises, the drop reports no effect.
    Block.resize(Block.size() - 3);
    Block[0] = static_cast<Byte>(Block.size() - 4);
    Block[1] = 0;
    EXPECT_THROW(Other.ProcessOLEData(nullptr, &Data, nullptr, amAddChildLast, false), ELeanTreeError);
    Effect = DROPEFFECT_COPY;
    EXPECT_FALSE(Other.ProcessDrop(&Data, nullptr, Effect, amAddChildLast));
    EXPECT_EQ(Effect, DROPEFFECT_NONE);
    EXPECT_EQ(Other.Shape(), "1[2,3],1[2,3]");
    EXPECT_INVARIANTS(Other);
}

TEST(TreePaste, DropsMoveDirectlyWithinTheProcess) {
    SCREEN_TEST();
    TKeyTree Tree;
    Tree.SetSelection({toMultiSelect});
    auto N = Sample(Tree);
    Tree.SetNodeSelected(N[1], true);
    Tree.SetNodeSelected(N[4], true);
    TBlockDataObject Data = CopiedBlocks(Tree);
    Tree.CancelCutOrCopy();

    int Effect = DROPEFFECT_MOVE;
    EXPECT_FALSE(Tree.ProcessDrop(&Data, N[5], Effect, amNoWhere));
    EXPECT_EQ(Effect, DROPEFFECT_NONE);

    // The marked nodes move; 1 is skipped, the target lies within it.
    Tree.CutToClipBoard();
    Data = ClipboardBlocks();
    Effect = DROPEFFECT_MOVE;
    EXPECT_TRUE(Tree.ProcessDrop(&Data, N[3], Effect, amInsertAfter));
    EXPECT_EQ(Effect, DROPEFFECT_NONE) << "the drag source has nothing to delete";
    EXPECT_EQ(Tree.Shape(), "1[2,3,4],5");
    EXPECT_INVARIANTS(Tree);
}

TEST(TreePaste, RefusedCopiesLeaveNoTraceAndDeadTreesAreNoSource) {
    SCREEN_TEST();
    TKeyTree Other;
    TBlockDataObject Data;
    {
        TKeyTree Tree;
        auto N = Sample(Tree);
        Tree.SetNodeSelected(N[4], true);
        Data = CopiedBlocks(Tree);
    }
    EXPECT_EQ(TBaseLeanTree::SourceTreeOfDataObject(&Data), nullptr) << "the tree is gone";
    Other.OnNodeCopying = [](TBaseLeanTree*, PLeanNode, PLeanNode, bool& Allowed) { Allowed = false; };
    EXPECT_TRUE(Other.ProcessOLEData(nullptr, &Data, nullptr, amAddChildLast, false));
    EXPECT_EQ(Other.RootNodeCount(), 0u);
    EXPECT_INVARIANTS(Other);
}
