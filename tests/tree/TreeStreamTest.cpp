// Tree streams: the bytes a tree writes, reading them back into the same or another tree, files,
// older streams and damaged ones.

#include "TreeTestSupport.h"

#include "support/TestSupport.h"

#include "platform/base/Streams.h"
#include "tree/LeanStringTree.h"

#include <cstring>

namespace {

// A tree whose nodes carry a number that OnSaveNode writes (only when it is not 0) and
// OnLoadNode reads back.
struct TKeyTree : TPlainTree {
    TKeyTree() {
        OnSaveNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) {
            if (Key(Node) != 0) Stream->WriteBuffer(&Key(Node), 8);
        };
        OnLoadNode = [this](TBaseLeanTree*, PLeanNode Node, TStream* Stream) { Stream->ReadBuffer(&Key(Node), 8); };
    }
    // Adds a node with the key under Parent (null: the top level).
    PLeanNode Add(PLeanNode Parent, std::int64_t K) {
        PLeanNode Node = AddChild(Parent);
        Key(Node) = K;
        return Node;
    }
};

// The tree as text: keys in order, children in brackets, "+" expanded, "*" selected.
std::string Shape(TTestTree& Tree, PLeanNode Parent = nullptr) {
    if (!Parent) Parent = Tree.RootNode();
    std::string S;
    for (PLeanNode Run = Parent->FirstChild; Run; Run = Run->NextSibling) {
        if (!S.empty()) S += ",";
        S += std::to_string(Tree.Key(Run));
        if (Run->States.Contains(vsExpanded)) S += "+";
        if (Run->States.Contains(vsSelected)) S += "*";
        if (Run->FirstChild) S += "[" + Shape(Tree, Run) + "]";
    }
    return S;
}

// 1 [2, 3 [4]], 5 with 1 expanded.
void BuildSample(TKeyTree& Tree) {
    PLeanNode One = Tree.Add(nullptr, 1);
    Tree.Add(One, 2);
    PLeanNode Three = Tree.Add(One, 3);
    Tree.Add(Three, 4);
    Tree.Add(nullptr, 5);
    Tree.SetExpanded(One, true);
}

std::string Bytes(TBytesStream& S) {
    const TBytes& B = S.Bytes();
    return std::string(reinterpret_cast<const char*>(B.data()), B.size());
}

std::uint32_t U32(const std::string& B, std::size_t At) {
    std::uint32_t V = 0;
    for (int I = 3; I >= 0; --I)
        V = (V << 8) | static_cast<unsigned char>(B[At + I]);
    return V;
}

std::string Le(std::uint64_t V, int Count) {
    std::string S;
    for (int I = 0; I < Count; ++I)
        S += static_cast<char>((V >> (8 * I)) & 0xFF);
    return S;
}

std::string StreamHeader(int Version) {
    return Le(0x2045, 2) + Le('V', 2) + Le('T', 2) + Le(Version, 2) + Le(' ', 2) + Le(0x2046, 2);
}

// A node chunk of an older stream (12-byte base fields), with its children's chunks.
std::string OldNodeChunk(Byte States, const std::vector<std::string>& Children = {}) {
    std::string Kids;
    for (const auto& C : Children)
        Kids += C;
    const std::string Base = Le(Children.size(), 4) + Le(18, 4) + Le(States, 1) + Le(50, 1) + Le(0, 1) + Le(0, 1);
    const std::string BaseChunk = Le(2, 4) + Le(Base.size() + Kids.size(), 4) + Base + Kids;
    return Le(1, 4) + Le(BaseChunk.size(), 4) + BaseChunk;
}

int HelpContextOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const ELeanTreeError& E) {
        return E.HelpContext();
    }
    return 0;
}

} // namespace

TEST(TreeStream, EmptyTreeIsHeaderAndZeroCount) {
    TKeyTree Tree;
    TBytesStream S;
    Tree.SaveToStream(&S);
    EXPECT_EQ(Bytes(S), StreamHeader(2) + Le(0, 4));
    TKeyTree Other;
    Other.Add(nullptr, 9);
    S.Seek(0, soFromBeginning);
    Other.LoadFromStream(&S);
    EXPECT_EQ(Other.RootNodeCount(), 0u);
    EXPECT_INVARIANTS(Other);
}

TEST(TreeStream, SubtreeChunksNestChildrenAndCarryUserDataOnlyWhenWritten) {
    TKeyTree Tree;
    PLeanNode Top = Tree.Add(nullptr, 0); // writes no user data
    Tree.Add(Top, 7);
    Tree.Add(Top, 8);
    TBytesStream S;
    Tree.SaveToStream(&S, Top);
    const std::string B = Bytes(S);

    EXPECT_EQ(U32(B, 12), 1u) << "one top-level chunk";
    EXPECT_EQ(U32(B, 16), 1u) << "node chunk";
    EXPECT_EQ(U32(B, 20), B.size() - 24) << "the node chunk runs to the end";
    EXPECT_EQ(U32(B, 24), 2u) << "base chunk";
    EXPECT_EQ(U32(B, 28), B.size() - 32) << "no user data chunk for the top node";
    EXPECT_EQ(U32(B, 32), 2u) << "child count";
    EXPECT_EQ(U32(B, 36), 18u) << "height";
    // First child: node chunk, base chunk of 17 bytes, then a user data chunk of 8 bytes.
    const std::size_t Child = 32 + 17;
    EXPECT_EQ(U32(B, Child), 1u);
    EXPECT_EQ(U32(B, Child + 4), 8u + 17 + 8 + 8);
    EXPECT_EQ(U32(B, Child + 8), 2u);
    EXPECT_EQ(U32(B, Child + 12), 17u);
    EXPECT_EQ(U32(B, Child + 16 + 17), 4u);
    EXPECT_EQ(U32(B, Child + 16 + 17 + 4), 8u);
    EXPECT_EQ(B.substr(Child + 16 + 17 + 8, 8), Le(7, 8));
}

TEST(TreeStream, FileRoundTripKeepsShapeStatesAndUserData) {
    TTempFolder Dir;
    TKeyTree Tree;
    BuildSample(Tree);
    PLeanNode Four = Tree.RootNode()->FirstChild->LastChild->FirstChild;
    Tree.SetNodeHeight(Four, 31);
    Four->CheckType = ctCheckBox;
    Four->CheckState = csCheckedNormal;
    WriteBytes(Dir.Sys("tree.dat"), "old contents");
    Tree.SaveToFile(Dir / "tree.dat");

    TKeyTree Other;
    std::vector<std::string> Events;
    Other.OnNodeCopied = [&](TBaseLeanTree*, PLeanNode Node) { Events.push_back(Node ? "copied" : "copied(nil)"); };
    Other.OnLoadTree = [&](TBaseLeanTree*, TStream*) { Events.push_back("loaded"); };
    Other.Add(nullptr, 99);
    Other.LoadFromFile(Dir / "tree.dat");
    EXPECT_EQ(Shape(Other), "1+[2,3[4]],5");
    EXPECT_EQ(Events, (std::vector<std::string>{"copied(nil)", "loaded"}));
    PLeanNode Loaded = Other.RootNode()->FirstChild->LastChild->FirstChild;
    EXPECT_EQ(Loaded->NodeHeight, 31);
    EXPECT_EQ(Loaded->CheckType, ctCheckBox);
    EXPECT_EQ(Loaded->CheckState, csCheckedNormal);
    EXPECT_EQ(Other.VisibleCount(), 4u);
    EXPECT_INVARIANTS(Other);
}

TEST(TreeStream, NodesWithUninitialisedParentsAreKept) {
    // Without toInitOnSave a node that was never initialised still has its children written.
    TKeyTree Tree;
    PLeanNode Top = Tree.Add(nullptr, 1);
    Tree.Add(Top, 2);
    // A node reset after its children came (adding initialised it).
    Top->States.Exclude(vsInitialized);
    TBytesStream S;
    Tree.SaveToStream(&S);
    S.Seek(0, soFromBeginning);
    TKeyTree Other;
    Other.LoadFromStream(&S);
    EXPECT_EQ(Shape(Other), "1[2]");
    EXPECT_INVARIANTS(Other);
}

TEST(TreeStream, SelectionSurvivesOnlyInMultiSelectTrees) {
    TKeyTree Tree;
    Tree.SetSelection({toMultiSelect});
    BuildSample(Tree);
    Tree.SetNodeSelected(Tree.RootNode()->FirstChild->FirstChild, true);
    Tree.SetNodeSelected(Tree.RootNode()->LastChild, true);
    TBytesStream S;
    Tree.SaveToStream(&S);

    TKeyTree Multi;
    Multi.SetSelection({toMultiSelect});
    S.Seek(0, soFromBeginning);
    Multi.LoadFromStream(&S);
    EXPECT_EQ(Shape(Multi), "1+[2*,3[4]],5*");
    EXPECT_EQ(Multi.SelectedCount(), 2);
    EXPECT_INVARIANTS(Multi);

    TKeyTree Single;
    S.Seek(0, soFromBeginning);
    Single.LoadFromStream(&S);
    EXPECT_EQ(Shape(Single), "1+[2,3[4]],5");
    EXPECT_EQ(Single.SelectedCount(), 0);
    EXPECT_INVARIANTS(Single);
}

TEST(TreeStream, AddFromStreamAppendsUnderTheTarget) {
    TKeyTree Tree;
    BuildSample(Tree);
    TBytesStream S;
    Tree.SaveToStream(&S, Tree.RootNode()->FirstChild->LastChild); // 3 [4]

    TKeyTree Other;
    PLeanNode A = Other.Add(nullptr, 10);
    Other.Add(A, 11);
    Other.SetExpanded(A, true);
    std::vector<PLeanNode> Copied;
    bool Loaded = false;
    Other.OnNodeCopied = [&](TBaseLeanTree*, PLeanNode Node) { Copied.push_back(Node); };
    Other.OnLoadTree = [&](TBaseLeanTree*, TStream*) { Loaded = true; };
    S.Seek(0, soFromBeginning);
    Other.AddFromStream(&S, A);
    EXPECT_EQ(Shape(Other), "10+[11,3[4]]");
    EXPECT_EQ(Copied, std::vector<PLeanNode>{A});
    EXPECT_FALSE(Loaded);
    EXPECT_EQ(Other.VisibleCount(), 3u);
    EXPECT_INVARIANTS(Other);
}

TEST(TreeStream, OlderStreamsLoadWithVisibleAndSelectedFromTheStateByte) {
    // Version 1: no count, 12-byte base fields; bit 7 of the state byte meant selected.
    const std::string Stream = StreamHeader(1) + OldNodeChunk(0x80 | 0x20, {OldNodeChunk(0)}) + OldNodeChunk(0);
    TKeyTree Tree;
    Tree.SetSelection({toMultiSelect});
    TBytesStream S(TBytes(Stream.begin(), Stream.end()));
    Tree.LoadFromStream(&S);
    ASSERT_EQ(Tree.RootNodeCount(), 2u);
    PLeanNode First = Tree.RootNode()->FirstChild;
    EXPECT_TRUE(First->States.Contains(vsVisible));
    EXPECT_TRUE(First->States.Contains(vsSelected));
    EXPECT_TRUE(First->States.Contains(vsExpanded));
    EXPECT_EQ(First->ChildCount, 1u);
    EXPECT_TRUE(First->FirstChild->States.Contains(vsVisible));
    EXPECT_FALSE(First->FirstChild->States.Contains(vsSelected));
    EXPECT_EQ(Tree.VisibleCount(), 3u);
    EXPECT_INVARIANTS(Tree);
}

TEST(TreeStream, DamagedStreamsRaiseAndLeaveTheTreeAlone) {
    TKeyTree Source;
    BuildSample(Source);
    TBytesStream Good;
    Source.SaveToStream(&Good);
    const std::string G = Bytes(Good);

    std::string WrongMark = G;
    WrongMark[2] = 'X';
    std::string Version3 = G;
    Version3[6] = 3;
    std::string TooLarge = G;
    TooLarge.replace(20, 4, Le(U32(G, 20) + 4, 4)); // the first node claims 4 bytes more
    std::string NoAnchor = G;
    NoAnchor.replace(16, 4, Le(2, 4));
    std::string NegativeSize = G;
    NegativeSize.replace(28, 4, Le(0xFFFFFFF0u, 4));
    const struct {
        const char* Name;
        std::string Bytes;
        int HelpContext;
    } Cases[] = {
        {"short header", G.substr(0, 10), 2004},
        {"wrong mark", WrongMark, 2002},
        {"version 3", Version3, 2003},
        {"node too large", TooLarge, 2006},
        {"anchor missing", NoAnchor, 2005},
        {"negative size", NegativeSize, 2006},
        {"cut off in a node", G.substr(0, G.size() - 5), 2006},
        {"count without nodes", G.substr(0, 20), 2004},
    };
    TTempFolder Dir;
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TKeyTree Tree;
        Tree.Add(nullptr, 42);
        TBytesStream S(TBytes(C.Bytes.begin(), C.Bytes.end()));
        EXPECT_EQ(HelpContextOf([&] { Tree.LoadFromStream(&S); }), C.HelpContext);
        EXPECT_EQ(Shape(Tree), "42");
        S.Seek(0, soFromBeginning);
        EXPECT_EQ(HelpContextOf([&] { Tree.AddFromStream(&S, nullptr); }), C.HelpContext);
        EXPECT_EQ(Shape(Tree), "42");
        // The same through a file.
        WriteBytes(Dir.Sys("damaged.dat"), C.Bytes);
        EXPECT_EQ(HelpContextOf([&] { Tree.LoadFromFile(Dir / "damaged.dat"); }), C.HelpContext);
        EXPECT_EQ(Shape(Tree), "42");
        EXPECT_INVARIANTS(Tree);
    }
}

TEST(TreeStream, ReadOnlyTreeLoadsNothing) {
    TKeyTree Source;
    BuildSample(Source);
    TBytesStream S;
    Source.SaveToStream(&S);
    TKeyTree Tree;
    Tree.Add(nullptr, 42);
    Tree.SetMisc({toReadOnly});
    S.Seek(0, soFromBeginning);
    Tree.LoadFromStream(&S);
    S.Seek(0, soFromBeginning);
    Tree.AddFromStream(&S, nullptr);
    EXPECT_EQ(Shape(Tree), "42");
}

TEST(TreeStream, StringTreeCarriesCaptionsWithToSaveCaptions) {
    std::map<PLeanNode, String> Texts;
    TLeanStringTree Tree(nullptr);
    Tree.SetNodeDataSize(8);
    Tree.OnGetText = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TVSTTextType, String& Text) {
        if (Texts.count(Node)) Text = Texts[Node];
    };
    auto* Options = dynamic_cast<TCustomStringTreeOptions*>(Tree.TreeOptions());
    ASSERT_NE(Options, nullptr);
    Options->SetStringOptions(Options->StringOptions() + TLTStringOptions{toSaveCaptions});
    Tree.OnSaveNode = [](TBaseLeanTree*, PLeanNode, TStream* Stream) { Stream->WriteBuffer("DATA", 4); };
    PLeanNode Node = Tree.AddChild(nullptr);
    Texts[Node] = u"abc";
    Tree.ValidateNode(Node, false);
    TBytesStream S;
    Tree.SaveToStream(&S);
    const std::string B = Bytes(S);
    // Base chunk (8 + 17), user data chunk (8 + 4), caption chunk (8 + 6).
    ASSERT_EQ(B.size(), 16u + 8 + 25 + 12 + 14);
    EXPECT_EQ(U32(B, 16 + 8 + 25), 4u);
    EXPECT_EQ(U32(B, 16 + 8 + 25 + 12), 3u);
    EXPECT_EQ(U32(B, 16 + 8 + 25 + 16), 6u);
    EXPECT_EQ(B.substr(B.size() - 6), std::string("a\0b\0c\0", 6));

    TLeanStringTree Other(nullptr);
    Other.SetNodeDataSize(8);
    std::vector<String> NewTexts;
    Other.OnNewText = [&](TBaseLeanTree*, PLeanNode, TColumnIndex, const String& Text) { NewTexts.push_back(Text); };
    S.Seek(0, soFromBeginning);
    Other.LoadFromStream(&S);
    EXPECT_EQ(Other.RootNodeCount(), 1u);
    EXPECT_EQ(NewTexts, std::vector<String>{u"abc"});
}

namespace {

// A valid stream of one chain of nodes Depth levels deep, every node expanded and visible.
std::string DeepChainStream(int Depth) {
    auto Fields = [](int Children) {
        return Le(Children, 4) + Le(18, 4) + Le(0x0081 | (Children ? 0x60 : 0), 2) + Le(0, 3) + Le(0, 4);
    };
    // Node chunk sizes from the leaf up: the leaf's is 8 + 17, each parent's 8 + 8 + 17 more.
    std::vector<std::uint32_t> Sizes{25};
    for (int I = 1; I < Depth; ++I)
        Sizes.push_back(Sizes.back() + 33);
    std::string S = StreamHeader(2) + Le(1, 4);
    S.reserve(S.size() + 33 * static_cast<std::size_t>(Depth));
    for (int I = Depth - 1; I >= 1; --I)
        S += Le(1, 4) + Le(Sizes[I], 4) + Le(2, 4) + Le(Sizes[I] - 8, 4) + Fields(1);
    return S + Le(1, 4) + Le(25, 4) + Le(2, 4) + Le(17, 4) + Fields(0);
}

} // namespace

TEST(TreeStream, MillionLevelChainLoadsChecksSavesAndFreesWithoutRecursion) {
    constexpr Cardinal Depth = 1000000;
    TPlainTree Tree;
    {
        const std::string Deep = DeepChainStream(Depth);
        TBytesStream S(TBytes(Deep.begin(), Deep.end()));
        Tree.LoadFromStream(&S);
    }
    EXPECT_EQ(Tree.TotalCount(), Depth);
    EXPECT_EQ(Tree.VisibleCount(), Depth);
    EXPECT_EQ(Tree.RootNode()->TotalHeight, 18u + 18u * Depth);
    Cardinal Levels = 0;
    PLeanNode Run = Tree.RootNode();
    for (; Run->FirstChild; Run = Run->FirstChild)
        ++Levels;
    EXPECT_EQ(Levels, Depth);
    EXPECT_EQ(Run->TotalCount, 1u);
    // Saved again, it gives the bytes it came from, but for the leaf's states: it now knows that
    // it has no visible children.
    {
        TBytesStream Saved;
        Tree.SaveToStream(&Saved, nullptr);
        std::string Deep = DeepChainStream(Depth);
        const std::size_t LeafStates = Deep.size() - 9;
        ASSERT_EQ(Saved.Bytes().size(), Deep.size());
        Deep[LeafStates + 1] = static_cast<char>(Saved.Bytes()[LeafStates + 1]);
        EXPECT_TRUE(Saved.Bytes() == TBytes(Deep.begin(), Deep.end()));
    }

    // Damaged deep down: the check refuses it whole and the loaded chain stays.
    {
        std::string Cut = DeepChainStream(Depth);
        Cut.resize(Cut.size() - 3);
        TBytesStream Damaged(TBytes(Cut.begin(), Cut.end()));
        EXPECT_EQ(HelpContextOf([&] { Tree.AddFromStream(&Damaged, nullptr); }), 2006);
    }
    EXPECT_EQ(Tree.TotalCount(), Depth);

    // Deleting a node deep in the chain and then the whole tree.
    PLeanNode Middle = Tree.RootNode();
    for (Cardinal I = 0; I < Depth / 2; ++I)
        Middle = Middle->FirstChild;
    Tree.DeleteNode(Middle);
    EXPECT_EQ(Tree.TotalCount(), Depth / 2 - 1);
    EXPECT_EQ(Tree.VisibleCount(), Depth / 2 - 1);
    Tree.Clear();
    EXPECT_EQ(Tree.TotalCount(), 0u);
    EXPECT_EQ(Tree.VisibleCount(), 0u);
}

TEST(TreeStream, DeepChainKeepsItsCountersThroughLoadAndDelete) {
    // Small enough for the full invariant check, deep enough to walk many levels.
    TPlainTree Tree;
    const std::string Deep = DeepChainStream(300);
    TBytesStream S(TBytes(Deep.begin(), Deep.end()));
    Tree.LoadFromStream(&S);
    EXPECT_INVARIANTS(Tree);
    PLeanNode Node = Tree.RootNode()->FirstChild;
    for (int I = 0; I < 100; ++I)
        Node = Node->FirstChild;
    Tree.SetExpanded(Node->Parent->Parent, false);
    Tree.DeleteNode(Node);
    EXPECT_EQ(Tree.TotalCount(), 100u);
    EXPECT_EQ(Tree.VisibleCount(), 99u);
    EXPECT_INVARIANTS(Tree);
}

TEST(TreeStream, SaveLoadSaveOfARecordedStreamGivesTheSameBytes) {
    // Its first child is expanded, has no children yet and says it has some (lazy children).
    const std::string Recorded = ReadBytes(MORVANE_SOURCE_DIR "/tests/tree/data/stream-expanded-state-lost-on-second-load.bin");
    TKeyTree First;
    TBytesStream In(TBytes(Recorded.begin(), Recorded.end()));
    First.LoadFromStream(&In);
    EXPECT_INVARIANTS(First);
    TBytesStream Once;
    First.SaveToStream(&Once);

    TKeyTree Second;
    Once.Seek(0, soFromBeginning);
    Second.LoadFromStream(&Once);
    EXPECT_INVARIANTS(Second);
    TBytesStream Twice;
    Second.SaveToStream(&Twice);
    EXPECT_EQ(Bytes(Twice), Bytes(Once));
    EXPECT_EQ(Shape(Second), Shape(First));
}
