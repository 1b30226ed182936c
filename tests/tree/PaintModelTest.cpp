// The painting's decisions that need no fonts: which rows a paint pass visits, the line image of
// a node, the check image index, where images and buttons sit in a row; the clipboard format
// registry and the accessibility factory.

#include "TreeTestSupport.h"

#include "tree/LeanStringTree.h"

namespace {

class TPaintTree : public TTestTree {
public:
    using TBaseLeanTree::BuildLineImage;
    using TBaseLeanTree::CheckImageIndexFor;
    using TBaseLeanTree::ComputeNodeAlignment;
    using TBaseLeanTree::FCurrentHotNode;
    using TTestTree::TTestTree;
};

// The nodes whose rows a pass over Window paints, in order.
std::vector<PLeanNode> PaintedRows(TBaseLeanTree& Tree, const TRect& Window) {
    std::vector<PLeanNode> Rows;
    Tree.OnBeforeItemPaint = [&](TBaseLeanTree*, TCanvas*, PLeanNode Node, TRect, bool&) {
        Rows.push_back(Node);
    };
    TBitmap Target(Window.Width(), Window.Height());
    Tree.PaintTree(Target.Canvas(), Window, TPoint{0, 0}, {poBackground, poDrawSelection});
    Tree.OnBeforeItemPaint = nullptr;
    return Rows;
}

TEST(TreePaintPass, VisitsOnlyTheRowsInTheWindow) {
    TPaintTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    Tree.BeginUpdate();
    for (int P = 0; P < 300; ++P) {
        PLeanNode Parent = Tree.AddChild(nullptr);
        for (int C = 0; C < 300; ++C)
            Tree.AddChild(Parent);
    }
    Tree.EndUpdate();
    Tree.FullExpand();
    ASSERT_EQ(Tree.VisibleCount(), 300u * 301);
    const int Middle = static_cast<int>(Tree.RangeY() / 2);
    const std::vector<PLeanNode> Rows = PaintedRows(Tree, TRect{0, Middle, 300, Middle + 200});
    // 200 pixels of 18-pixel rows, the first one cut: 12 rows.
    ASSERT_EQ(Rows.size(), 12u);
    int Top = 0;
    EXPECT_EQ(Rows.front(), Tree.GetNodeAt(0, Middle, false, Top));
    for (std::size_t I = 1; I < Rows.size(); ++I)
        EXPECT_EQ(Rows[I], Tree.GetNextVisible(Rows[I - 1]));
}

TEST(TreePaintPass, FirstRowMatchesTheNodeAtEveryPosition) {
    TPaintTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    Tree.SetNodeDataSize(sizeof(int));
    std::set<PLeanNode> Filtered;
    Tree.OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        if (Filtered.count(Node)) States.Include(ivsFiltered);
    };
    std::vector<PLeanNode> Top;
    for (int I = 0; I < 6; ++I) {
        Top.push_back(Tree.AddChild(nullptr));
        for (int C = 0; C < 3; ++C)
            Tree.AddChild(Top.back());
    }
    Filtered.insert(Top[1]->FirstChild->NextSibling);
    Filtered.insert(Top[4]);
    Tree.ValidateNode(Tree.RootNode(), true);
    Tree.SetExpanded(Top[0], true);
    Tree.SetExpanded(Top[1], true);
    Tree.SetExpanded(Top[3], true);
    Tree.SetNodeVisible(Top[3]->FirstChild, false);
    Tree.SetNodeVisible(Top[2], false);
    Tree.SetNodeHeight(Top[0]->LastChild, 30);
    for (int Y = 0; Y < static_cast<int>(Tree.RangeY()) + 20; Y += 3) {
        int NodeTop = 0;
        PLeanNode Expected = Tree.GetNodeAt(0, Y, false, NodeTop);
        const std::vector<PLeanNode> Rows = PaintedRows(Tree, TRect{0, Y, 100, Y + 1});
        EXPECT_EQ(Rows.empty() ? nullptr : Rows.front(), Expected) << Y;
        EXPECT_LE(Rows.size(), 1u);
    }
}

TEST(TreePaintPass, NestedPassDrawsNothingAndSelectedOnlySkipsOthers) {
    TPaintTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    PLeanNode A = Tree.AddChild(nullptr);
    PLeanNode B = Tree.AddChild(nullptr);
    Tree.AddChild(B);
    Tree.SetExpanded(B, true);
    int Painted = 0, Nested = -1;
    Tree.OnBeforeItemPaint = [&](TBaseLeanTree*, TCanvas*, PLeanNode, TRect, bool&) { ++Painted; };
    Tree.OnBeforePaint = [&](TBaseLeanTree* T, TCanvas* C) {
        if (Nested >= 0) return;
        const int Before = Painted;
        T->PaintTree(C, TRect{0, 0, 50, 50}, TPoint{}, {});
        Nested = Painted - Before;
    };
    TBitmap Whole(50, 60);
    Tree.PaintTree(Whole.Canvas(), TRect{0, 0, 50, 60}, TPoint{}, {});
    EXPECT_EQ(Painted, 3);
    EXPECT_EQ(Nested, 0);
    Tree.OnBeforePaint = nullptr;
    Tree.SetNodeSelected(B, true);
    std::vector<PLeanNode> Rows;
    Tree.OnBeforeItemPaint = [&](TBaseLeanTree*, TCanvas*, PLeanNode Node, TRect, bool&) {
        Rows.push_back(Node);
    };
    TBitmap Target(50, 60);
    Tree.PaintTree(Target.Canvas(), TRect{0, 0, 50, 60}, TPoint{}, {poSelectedOnly});
    EXPECT_EQ(Rows, (std::vector<PLeanNode>{B, B->FirstChild}));
    (void)A;
}

TEST(TreeLineImage, EntriesFollowTheVisibleSiblings) {
    TPaintTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    PLeanNode Only = Tree.AddChild(nullptr);
    TLineImage L;
    Tree.BuildLineImage(Only, L);
    EXPECT_EQ(L, (TLineImage{ltRight}));
    PLeanNode Second = Tree.AddChild(nullptr);
    PLeanNode Third = Tree.AddChild(nullptr);
    PLeanNode Child1 = Tree.AddChild(Second);
    PLeanNode Child2 = Tree.AddChild(Second);
    struct TCase {
        PLeanNode Node;
        TLineImage Expected;
    };
    for (const TCase& C : std::vector<TCase>{{Only, {ltBottomRight}},
                                             {Second, {ltTopDownRight}},
                                             {Third, {ltTopRight}},
                                             {Child1, {ltTopDown, ltTopDownRight}},
                                             {Child2, {ltTopDown, ltTopRight}}}) {
        Tree.BuildLineImage(C.Node, L);
        EXPECT_EQ(L, C.Expected) << Tree.AbsoluteIndex(C.Node);
    }
    // Later siblings that are hidden do not count.
    Tree.SetNodeVisible(Third, false);
    Tree.BuildLineImage(Second, L);
    EXPECT_EQ(L, (TLineImage{ltTopRight}));
    Tree.BuildLineImage(Child1, L);
    EXPECT_EQ(L, (TLineImage{ltNone, ltTopDownRight}));
    // Without tree lines the entries stay empty; without the root level there is one less.
    Tree.SetPaint({}, {toShowTreeLines});
    Tree.BuildLineImage(Child1, L);
    EXPECT_EQ(L, (TLineImage{ltNone, ltNone}));
    Tree.SetPaint({toShowTreeLines}, {toShowRoot});
    Tree.BuildLineImage(Child2, L);
    EXPECT_EQ(L, (TLineImage{ltTopRight}));
    Tree.SetNodeSelected(Second, true);
    EXPECT_EQ(Tree.BuildLineImage(Child2, L), 1);
}

TEST(TreeCheckImages, IndexTable) {
    TPaintTree Tree;
    struct TCase {
        TCheckType Type;
        TCheckState State;
        bool Enabled;
        int Expected;
    };
    for (const TCase& C : std::vector<TCase>{{ctCheckBox, csUncheckedNormal, true, 9},
                                             {ctCheckBox, csCheckedNormal, true, 13},
                                             {ctTriStateCheckBox, csMixedNormal, true, 17},
                                             {ctCheckBox, csCheckedPressed, true, 15},
                                             {ctCheckBox, csCheckedPressed, false, 16},
                                             {ctRadioButton, csUncheckedNormal, true, 1},
                                             {ctRadioButton, csCheckedNormal, false, 8},
                                             {ctButton, csUncheckedNormal, true, 21},
                                             {ctButton, csMixedPressed, true, 19},
                                             {ctNone, csCheckedNormal, true, -1}})
        EXPECT_EQ(Tree.CheckImageIndexFor(nullptr, C.Type, C.State, C.Enabled), C.Expected)
            << int(C.Type) << " " << int(C.State);
    // A node's own hot state: one more.
    PLeanNode Node = Tree.AddChild(nullptr);
    Node->CheckType = ctCheckBox;
    Tree.FCurrentHotNode = Node;
    EXPECT_EQ(Tree.CheckImageIndexFor(Node, ctNone, csUncheckedNormal, true), 10);
    Node->CheckState = csUncheckedPressed;
    EXPECT_EQ(Tree.CheckImageIndexFor(Node, ctNone, csUncheckedNormal, true), 11); // pressed wins over hot
    // Every kind's set has the 25 images the table indexes.
    for (TCheckImageKind Kind : {ckLightCheck, ckDarkCheck, ckFlat, ckSystemDefault, ckSystemFlat})
        EXPECT_EQ(CheckImageSet(Kind)->Count(), 25);
    EXPECT_EQ(CheckImageSet(ckCustom), nullptr);
}

TEST(TreeRowGeometry, ImagesAndButtonsSitOnTheCentreLine) {
    TPaintTree Tree;
    PLeanNode Node = Tree.AddChild(nullptr);
    struct TCase {
        TLTNodeAlignment Alignment;
        Byte Align;
        int RowHeight;
        int VAlign, ButtonY;
    };
    for (const TCase& C : std::vector<TCase>{{naProportional, 50, 18, 9, 4},
                                             {naProportional, 50, 40, 20, 15},
                                             {naFromTop, 50, 18, 50, 45},
                                             {naFromTop, 50, 80, 50, 45},
                                             {naFromBottom, 5, 30, 25, 20}}) {
        Tree.SetNodeAlignment(C.Alignment);
        Node->Align = C.Align;
        int VAlign = 0, ButtonY = 0;
        Tree.ComputeNodeAlignment(Node, C.RowHeight, false, false, VAlign, ButtonY);
        EXPECT_EQ(VAlign, C.VAlign) << int(C.Alignment) << " " << C.RowHeight;
        EXPECT_EQ(ButtonY, C.ButtonY) << int(C.Alignment) << " " << C.RowHeight;
    }
}

// ---- Clipboard formats and accessibility -----------------------------------------------------------

class TPlainTree : public TBaseLeanTree {
    DECLARE_CLASS(TPlainTree, TBaseLeanTree)
public:
    using TBaseLeanTree::TBaseLeanTree;
};

class TOwnStringTree : public TLeanStringTree {
    DECLARE_CLASS(TOwnStringTree, TLeanStringTree)
public:
    using TLeanStringTree::TLeanStringTree;
};

TEST(TreeClipboardFormats, StringTreesOfferTheirFormatsInOrder) {
    TOwnStringTree Strings(nullptr); // registers the formats
    std::vector<String> Names;
    for (TClipboardFormat F : GlobalFormatList().EnumerateFormats(TOwnStringTree::StaticClass()))
        Names.push_back(GlobalFormatList().FindFormat(F)->Description);
    EXPECT_EQ(Names,
              (std::vector<String>{u"Lean Tree Data", u"HTML Format", u"Rich Text Format Without Objects",
                                   u"Rich Text Format", u"CSV", u"Unicode text", u"Plain text"}));
    EXPECT_EQ(GlobalFormatList().EnumerateFormats(TPlainTree::StaticClass()).size(), 1u);
    ASSERT_NE(GlobalFormatList().FindFormat(String(u"csv")), nullptr);
    EXPECT_EQ(GlobalFormatList().FindFormat(String(u"csv"))->Description, u"CSV");

    TPlainTree Plain(nullptr);
    EXPECT_EQ(Plain.ClipboardFormats()->Add(u"Rich Text Format"), -1);
    EXPECT_GE(Plain.ClipboardFormats()->Add(u"Lean Tree Data"), 0);
    EXPECT_GE(Strings.ClipboardFormats()->Add(u"Rich Text Format"), 0);
    Strings.ClipboardFormats()->Add(u"Rich Text Format");
    Strings.ClipboardFormats()->Add(u"No Such Format");
    EXPECT_EQ(Strings.ClipboardFormats()->Count(), 1);
    // Only the allowed names are offered.
    const auto Offered =
        GlobalFormatList().EnumerateFormats(TOwnStringTree::StaticClass(), Strings.ClipboardFormats());
    ASSERT_EQ(Offered.size(), 1u);
    EXPECT_EQ(Offered[0], RtfFormat);
    TStringList None;
    EXPECT_TRUE(GlobalFormatList().EnumerateFormats(TOwnStringTree::StaticClass(), &None).empty());
    const std::size_t Before = GlobalFormatList().Entries().size();
    RegisterStandardTreeFormat(0, TPlainTree::StaticClass(), 10);
    EXPECT_EQ(GlobalFormatList().Entries().size(), Before);
}

struct TProvider : ILTAccessibleProvider {
    void* Answer;
    explicit TProvider(void* A) : Answer(A) {}
    void* CreateIAccessible(TBaseLeanTree*) override { return Answer; }
};

TEST(TreeAccessibility, ProvidersAreAskedLastFirstForItems) {
    TLTAccessibilityFactory Factory;
    TPlainTree Tree(nullptr);
    int A = 0, B = 0, Own = 0;
    EXPECT_EQ(Factory.CreateIAccessible(&Tree), nullptr);
    TProvider First(&A), Second(&B), Silent(nullptr);
    Factory.RegisterAccessibleProvider(&First);
    Factory.RegisterAccessibleProvider(&First);
    EXPECT_EQ(Factory.ProviderCount(), 1);
    EXPECT_EQ(Factory.CreateIAccessible(&Tree), &A); // the tree's own object
    Factory.RegisterAccessibleProvider(&Second);
    EXPECT_EQ(Factory.CreateIAccessible(&Tree, &Own), &B);
    Second.Answer = nullptr;
    EXPECT_EQ(Factory.CreateIAccessible(&Tree, &Own), &A);
    EXPECT_EQ(Factory.CreateIAccessible(nullptr, &Own), nullptr);
    Factory.UnRegisterAccessibleProvider(&First);
    Factory.UnRegisterAccessibleProvider(&Second);
    EXPECT_EQ(Factory.CreateIAccessible(&Tree), nullptr);
    (void)Silent;
}

} // namespace
