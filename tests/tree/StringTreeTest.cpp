// The string tree's text with the real fonts: default and static text, paths, the width cache,
// shortening with an ellipsis, multi-line nodes and their heights.

#include "ScreenTestSupport.h"

#include "platform/gui/Forms.h"

namespace {

class TTextTree : public TLeanStringTree {
public:
    using TCustomLeanStringTree::QueryNodeContentWidth;
    using TCustomLeanStringTree::QueryNodeExtraWidth;
    using TLeanStringTree::TLeanStringTree;
};

// Text measured in the tree's font.
TSize ExtentIn(TFont* Font, const String& Text) {
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(Font);
    return B.Canvas()->TextExtent(Text);
}

struct TTextFixture {
    TForm Form{nullptr};
    TTextTree* Tree;
    TTextTable Table;
    TTextFixture() : Tree(new TTextTree(&Form)) {
        Form.SetBounds(0, 0, 400, 300);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 300, 200);
        Tree->SetBorderStyle(Controls::bsNone); // the client at the picture's corner
        Tree->Font()->SetName(u"Arial");
        Tree->Font()->SetSize(9);
        Tree->SetColor(clWhite);
        Tree->TreeOptions()->SetAutoOptions(Tree->TreeOptions()->AutoOptions() - TLTAutoOptions{toAutoSort});
        Tree->HandleNeeded();
    }
    PLeanNode Add(PLeanNode Parent, std::vector<String> Texts) {
        return Table.Add(*Tree, Parent, std::move(Texts));
    }
    std::unique_ptr<TBitmap> Grab() { return GrabTree(Tree); }
};

TEST(StringTreeText, DefaultTextStaticTextAndPath) {
    SCREEN_TEST();
    TTextFixture F;
    PLeanNode Top = F.Tree->AddChild(nullptr);
    PLeanNode Child = F.Tree->AddChild(Top);
    EXPECT_EQ(F.Tree->NodeText(Child), u"Node");
    EXPECT_EQ(F.Tree->NodeStaticText(Child), u"");
    F.Table.Texts = {{Top, {u"Sketches"}}, {Child, {u"Blink"}}};
    F.Table.Bind(*F.Tree);
    EXPECT_EQ(F.Tree->NodeText(Child), u"Blink");
    EXPECT_EQ(F.Tree->Path(Child, ColumnNone, ttNormal, u'/'), u"Sketches/Blink/");
    EXPECT_EQ(F.Tree->Path(nullptr, ColumnNone, ttNormal, u'/'), u"/");
    F.Tree->SetDefaultText(u"Item");
    EXPECT_EQ(F.Tree->NodeText(F.Tree->AddChild(nullptr)), u"Item");
}

TEST(StringTreeText, MainColumnWidthIsMeasuredOnce) {
    SCREEN_TEST();
    TTextFixture F;
    F.Table.Bind(*F.Tree);
    PLeanNode Node = F.Add(nullptr, {u"Blink"});
    F.Tree->InvalidateNode(Node); // measured with the default text while it was added
    int Measured = 0;
    F.Tree->OnMeasureTextWidth = [&](TBaseLeanTree*, TCanvas*, PLeanNode, TColumnIndex, const String&, int&) {
        ++Measured;
    };
    const int Width = F.Tree->QueryNodeContentWidth(Node, ColumnNone);
    EXPECT_EQ(Width, 2 * F.Tree->TextMargin() + ExtentIn(F.Tree->Font(), u"Blink").cx);
    EXPECT_EQ(F.Tree->QueryNodeContentWidth(Node, ColumnNone), Width);
    EXPECT_EQ(Measured, 1);
    EXPECT_EQ(F.Tree->CachedTextWidth(Node), static_cast<Cardinal>(Width));
    F.Tree->InvalidateNode(Node);
    EXPECT_EQ(F.Tree->CachedTextWidth(Node), 0u);
    F.Tree->QueryNodeContentWidth(Node, ColumnNone);
    EXPECT_EQ(Measured, 2);
}

TEST(StringTreeText, ShorteningKeepsTheLongestPrefixThatFits) {
    SCREEN_TEST();
    TBitmap B(10, 10);
    TCanvas* C = B.Canvas();
    C->Font()->SetName(u"Arial");
    C->Font()->SetSize(9);
    const String Word = u"Arduino";
    const int Ellipsis = C->TextWidth(u"...");
    struct TCase {
        int Width;
        String Expected;
    };
    for (const TCase& T : std::vector<TCase>{{C->TextWidth(u"Ard") + Ellipsis, u"Ard..."},
                                             {C->TextWidth(u"Ard") + Ellipsis + 1, u"Ard..."},
                                             {C->TextWidth(u"Ardu") + Ellipsis, u"Ardu..."},
                                             {Ellipsis + 1, u"..."},
                                             {Ellipsis, u""},
                                             {0, u""}})
        EXPECT_EQ(U8(ShortenString(C, Word, T.Width)), U8(T.Expected)) << T.Width;
    EXPECT_EQ(ShortenString(C, u"", 100), u"");
}

TEST(StringTreeText, NarrowColumnShowsTheShortenedText) {
    SCREEN_TEST();
    TTextFixture F;
    TLeanTreeColumn* Name = F.Tree->Header()->Columns()->Add();
    Name->SetWidth(70);
    F.Tree->Header()->Columns()->Add()->SetWidth(100);
    F.Tree->TreeOptions()->SetPaintOptions({});
    F.Add(nullptr, {u"Blink with a long name", u"Right"});
    F.Table.Bind(*F.Tree);
    std::vector<String> Drawn;
    F.Tree->OnDrawText = [&](TBaseLeanTree*, TCanvas*, PLeanNode, TColumnIndex Column, const String& Text,
                             const TRect&, bool&) {
        if (Column == 0) Drawn.push_back(Text);
    };
    auto B = F.Grab();
    TTempFolder Folder;
    GrabToPng(B.get(), Folder, "narrow-column.png");
    ASSERT_EQ(Drawn.size(), 1u);
    EXPECT_EQ(Drawn[0].substr(Drawn[0].size() - 3), u"...");
    EXPECT_LT(Drawn[0].size(), String(u"Blink with a long name").size());
    const TRect Ink = InkBox(B->Canvas(), TRect{0, 0, 70, 18}, clWhite);
    EXPECT_LE(Ink.Right, 70 - F.Tree->TextMargin());
    EXPECT_GE(Ink.Left, F.Tree->Margin() + F.Tree->TextMargin());
}

TEST(StringTreeText, StaticTextFollowsTheTextUnlessCentred) {
    SCREEN_TEST();
    TTextFixture F;
    F.Tree->TreeOptions()->SetPaintOptions({});
    auto* Options = static_cast<TCustomStringTreeOptions*>(F.Tree->TreeOptions());
    Options->SetStringOptions(Options->StringOptions() + TLTStringOptions{toShowStaticText});
    PLeanNode Node = F.Tree->AddChild(nullptr);
    F.Tree->OnGetText = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TVSTTextType Type, String& Text) {
        Text = Type == ttNormal ? u"Blink" : u"(3)";
    };
    const int TextWidth = F.Tree->QueryNodeContentWidth(Node, ColumnNone);
    EXPECT_EQ(F.Tree->QueryNodeExtraWidth(Node, ColumnNone),
              F.Tree->TextMargin() + ExtentIn(F.Tree->Font(), u"(3)").cx);
    auto B = F.Grab();
    // The static text starts a text margin after the node's text.
    const int Start = F.Tree->Margin() + TextWidth + F.Tree->TextMargin();
    const TRect Static = InkBox(B->Canvas(), TRect{Start, 0, 200, 18}, clWhite);
    EXPECT_FALSE(Static.IsEmpty());
    EXPECT_LE(Static.Left, Start + 2);
    F.Tree->SetAlignment(taCenter);
    EXPECT_EQ(F.Tree->QueryNodeExtraWidth(Node, ColumnNone), 0);
}

TEST(StringTreeText, MultiLineNodesWrapAndTakeTheirHeight) {
    SCREEN_TEST();
    TTextFixture F;
    TLeanTreeColumn* Column = F.Tree->Header()->Columns()->Add();
    Column->SetWidth(100);
    F.Tree->TreeOptions()->SetPaintOptions({});
    F.Tree->TreeOptions()->SetMiscOptions(F.Tree->TreeOptions()->MiscOptions() +
                                          TLTMiscOptions{toVariableNodeHeight});
    const String Long = u"A sketch that blinks the light of the board again and again";
    PLeanNode Multi = F.Add(nullptr, {Long});
    PLeanNode Single = F.Add(nullptr, {u"Fade"});
    F.Table.Bind(*F.Tree);
    F.Tree->OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        if (Node == Multi) States.Include(ivsMultiline);
    };
    F.Tree->OnMeasureItem = [&](TBaseLeanTree*, TCanvas* Canvas, PLeanNode Node, int& Height) {
        if (F.Tree->NodeText(Node) == Long) Height = F.Tree->ComputeNodeHeight(Canvas, Node, 0) + 4;
    };
    F.Tree->ReinitNode(nullptr, true);
    const int Line = ExtentIn(F.Tree->Font(), u"Tg").cy;
    const int Height = F.Tree->ComputeNodeHeight(F.Tree->Canvas(), Multi, 0);
    EXPECT_GE(Height, 3 * Line);
    EXPECT_EQ(Height % Line, 0);
    EXPECT_EQ(F.Tree->QueryNodeContentWidth(Multi, 0), 100);
    auto B = F.Grab();
    TTempFolder Folder;
    GrabToPng(B.get(), Folder, "multi-line.png");
    // The second row starts below the measured first one.
    EXPECT_EQ(F.Tree->NodeHeight(Multi), Height + 4);
    EXPECT_EQ(F.Tree->NodeHeight(Single), 18);
    const TRect FirstInk = InkBox(B->Canvas(), TRect{0, 0, 100, Height + 4}, clWhite);
    EXPECT_GE(FirstInk.Height(), 2 * Line);
    EXPECT_LE(FirstInk.Right, 100);
    const TRect SecondInk = InkBox(B->Canvas(), TRect{0, Height + 4, 100, Height + 4 + 18}, clWhite);
    EXPECT_FALSE(SecondInk.IsEmpty());
}

} // namespace
