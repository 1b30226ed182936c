#pragma once
// Tests that measure text or paint need the application object, which only the process started
// with MORVANE_TREE_WINDOWS has. A screen test begins with SCREEN_TEST(): in that process it
// goes on; in any other it runs itself there, expects it to pass, and ends.

#include "support/GraphicsTestSupport.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "tree/LeanStringTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

inline bool InScreenProcess() {
    if (std::getenv("MORVANE_TREE_WINDOWS")) return true;
    const auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string Filter = std::string(Info->test_suite_name()) + "." + Info->name();
    const TChildRun Child = RunThisProgramAgain("MORVANE_TREE_WINDOWS", Filter);
    EXPECT_TRUE(Child.Succeeded) << Child.Output;
    EXPECT_NE(Child.Output.find("[  PASSED  ] 1 test."), std::string::npos) << Child.Output;
    return false;
}

#define SCREEN_TEST()                                                                                        \
    if (!InScreenProcess()) return

// Three texts per node by column, kept in a table by the test.
struct TTextTable {
    std::map<PLeanNode, std::vector<String>> Texts;
    // A new last child of Parent with its texts by column.
    PLeanNode Add(TBaseLeanTree& Tree, PLeanNode Parent, std::vector<String> Row) {
        PLeanNode Node = Tree.AddChild(Parent);
        Texts[Node] = std::move(Row);
        return Node;
    }
    void Bind(TCustomLeanStringTree& Tree) {
        Tree.OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex Column, TVSTTextType Type,
                                String& Text) {
            if (Type != ttNormal) return;
            auto It = Texts.find(Node);
            if (It == Texts.end()) return;
            const auto Index = static_cast<std::size_t>(std::max(Column, 0));
            if (Index < It->second.size()) Text = It->second[Index];
        };
    }
};

// An image list of 16 x 16 squares: 0 red, 1 green, 2 blue, each inside a transparent ring.
inline std::unique_ptr<TCustomImageList> SquareImages() {
    auto List = std::make_unique<TCustomImageList>(16, 16);
    for (TColor C : {clRed, clLime, clBlue}) {
        TBitmap B(16, 16);
        B.Canvas()->Brush()->SetColor(clFuchsia);
        B.Canvas()->FillRect(Rect(0, 0, 16, 16));
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect(Rect(2, 2, 14, 14));
        List->AddMasked(&B, clFuchsia);
    }
    return List;
}

// The string tree with the node references that mouse and keys would set.
class TScreenTree : public TLeanStringTree {
public:
    using TBaseLeanTree::FCurrentHotNode;
    using TBaseLeanTree::FFocusedColumn;
    using TBaseLeanTree::FFocusedNode;
    using TBaseLeanTree::FLastDropMode;
    using TBaseLeanTree::FocusCell;
    using TBaseLeanTree::HitPositionsLeftToRight;
    using TBaseLeanTree::HitPositionsRightToLeft;
    using TLeanStringTree::TLeanStringTree;
};

inline int CountColor(TCanvas* C, const TRect& Area, TColor Color) {
    const TColor Want = TColor(ColorToRGB(Color));
    int N = 0;
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X)
            N += C->Pixels(X, Y) == Want;
    return N;
}

// The box of the pixels of one colour inside Inner (a part of Area).
inline TRect ColorBox(TCanvas* C, const TRect& Area, TColor Color, const TRect& Inner) {
    TRect Box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const TColor Want = TColor(ColorToRGB(Color));
    for (int Y = std::max(Area.Top, Inner.Top); Y < std::min(Area.Bottom, Inner.Bottom); ++Y)
        for (int X = std::max(Area.Left, Inner.Left); X < std::min(Area.Right, Inner.Right); ++X)
            if (C->Pixels(X, Y) == Want) {
                Box.Left = std::min(Box.Left, X);
                Box.Top = std::min(Box.Top, Y);
                Box.Right = std::max(Box.Right, X + 1);
                Box.Bottom = std::max(Box.Bottom, Y + 1);
            }
    return Box.Left == INT32_MAX ? TRect{} : Box;
}

// Nodes named by their paths ("a", "a/b": b under a), for tests that speak of nodes by name.
struct TNamedNodes {
    std::map<std::string, PLeanNode> Nodes;
    std::map<PLeanNode, std::string> Names;

    void AddPaths(TBaseLeanTree& Tree, const std::vector<std::string>& Paths) {
        for (const auto& Path : Paths) {
            const auto Slash = Path.rfind('/');
            PLeanNode Parent = Slash == std::string::npos ? nullptr : Nodes.at(Path.substr(0, Slash));
            PLeanNode Node = Tree.AddChild(Parent);
            Nodes[Path] = Node;
            Names[Node] = Path;
        }
    }
    PLeanNode operator[](const std::string& Name) const { return Nodes.at(Name); }
    std::string NameOf(PLeanNode Node) const { return Node ? Names.at(Node) : "nil"; }
    std::string SelectedIn(TBaseLeanTree& Tree) const {
        std::string S;
        for (PLeanNode Node : Tree.SelectedNodes())
            S += (S.empty() ? "" : " ") + Names.at(Node);
        return S;
    }
};

// The tree's window as shown, frame and header included, on black.
inline std::unique_ptr<TBitmap> GrabTree(TWinControl* Tree) {
    auto B = NewCanvasBitmap(Tree->Width(), Tree->Height(), clBlack);
    Tree->Invalidate();
    Tree->PaintTo(B->Canvas(), 0, 0);
    return B;
}

struct TTreeScreen {
    TForm Form{nullptr};
    TScreenTree* Tree;
    TTextTable Table;
    std::unique_ptr<TCustomImageList> Images = SquareImages();
    std::map<PLeanNode, int> ImageOf;
    std::set<PLeanNode> Filtered;

    TTreeScreen(int W = 320, int H = 200) : Tree(new TScreenTree(&Form)) {
        Form.SetBounds(0, 0, W + 40, H + 40);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, W, H);
        // Without the sunken edge the client starts at the picture's top-left corner.
        Tree->SetBorderStyle(Controls::bsNone);
        Tree->Font()->SetName(u"Arial");
        Tree->Font()->SetSize(9);
        Tree->SetColor(clWhite);
        Tree->TreeOptions()->SetAutoOptions(Tree->TreeOptions()->AutoOptions() - TLTAutoOptions{toAutoSort});
        Table.Bind(*Tree);
        Tree->OnGetImageIndex = [this](TBaseLeanTree*, PLeanNode Node, TLTImageKind Kind, TColumnIndex Column,
                                       bool&, int& Index) {
            auto It = ImageOf.find(Node);
            if (It != ImageOf.end() && Column <= 0 && (Kind == ikNormal || Kind == ikSelected))
                Index = It->second;
        };
        Tree->OnInitNode = [this](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
            if (Filtered.count(Node)) States.Include(ivsFiltered);
        };
        Tree->HandleNeeded();
    }

    PLeanNode Add(PLeanNode Parent, std::vector<String> Texts) {
        return Table.Add(*Tree, Parent, std::move(Texts));
    }

    // The window as shown, frame and header included.
    std::unique_ptr<TBitmap> Grab() { return GrabTree(Tree); }
};
