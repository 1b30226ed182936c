// The tree with a real window: update brackets hold back repainting and scroll bar work until
// the outermost EndUpdate, scroll bars follow the rows, window timers deliver delayed changes
// and toggles animate. These run in a process of their own that has the application object;
// every other test of the tree runs without one.

#include "TreeTestSupport.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void UpdatesHoldBackWindowWork() {
    TTreeWindow F;
    TWindowTree& Tree = *F.Tree;
    ASSERT_TRUE(Tree.HandleAllocated());
    std::vector<WPARAM> Redraw;
    TWndMethod Old = Tree.WindowProc();
    Tree.SetWindowProc([&](TMessage& Message) {
        if (Message.Msg == WM_SETREDRAW) Redraw.push_back(Message.WParam);
        Old(Message);
    });
    Tree.ScrollBarUpdates = 0;
    Tree.Repaints = 0;

    Tree.BeginUpdate();
    PLeanNode First = nullptr;
    for (int I = 0; I < 30; ++I) {
        PLeanNode Node = Tree.AddChild(nullptr);
        if (!First) First = Node;
        Tree.AddChild(Node);
    }
    Tree.BeginUpdate();
    Tree.ToggleNode(First);
    Tree.SetNodeSelected(First, true);
    Tree.DeleteNode(Tree.RootNode()->LastChild);
    Tree.EndUpdate();
    EXPECT_EQ(Tree.ScrollBarUpdates, 0);
    EXPECT_EQ(Tree.Repaints, 0);
    EXPECT_FALSE(Tree.VerticalBar().Visible);
    EXPECT_EQ(Redraw, std::vector<WPARAM>{0});
    Tree.EndUpdate();
    EXPECT_EQ(Tree.ScrollBarUpdates, 1);
    EXPECT_EQ(Tree.Repaints, 1);
    EXPECT_EQ(Redraw, (std::vector<WPARAM>{0, 1}));
    EXPECT_TRUE(Tree.VerticalBar().Visible);
    EXPECT_EQ(Tree.VerticalBar().Max, static_cast<int>(Tree.RangeY()));
    EXPECT_EQ(Tree.RangeY(), 30u * 18);
    EXPECT_INVARIANTS(Tree);
    Tree.SetWindowProc(Old);
}

void ScrollBarsFollowTheRows() {
    TTreeWindow F;
    TWindowTree& Tree = *F.Tree;
    std::vector<std::pair<int, bool>> Shown;
    Tree.OnShowScrollbar = [&](TBaseLeanTree*, int Bar, bool Show) { Shown.emplace_back(Bar, Show); };
    Tree.SetRootNodeCount(20);
    EXPECT_EQ(Shown, (std::vector<std::pair<int, bool>>{{TBaseLeanTree::ScrollBarVert, true}}));
    EXPECT_EQ(Tree.VerticalBar().Page, Tree.ClientHeight() + 1);
    int Scrolled = 0;
    Tree.OnScroll = [&](TBaseLeanTree*, int, int DeltaY) { Scrolled += DeltaY; };
    EXPECT_TRUE(Tree.ScrollIntoView(Tree.RootNode()->LastChild, false));
    EXPECT_EQ(Tree.OffsetY(), Tree.ClientHeight() - 360);
    EXPECT_EQ(Scrolled, Tree.OffsetY());
    EXPECT_EQ(Tree.VerticalBar().Position, -Tree.OffsetY());
    EXPECT_EQ(Tree.TopNode(), Tree.GetNodeAt(0, 0));
    Tree.SetRootNodeCount(2);
    EXPECT_EQ(Shown.back(), std::make_pair(TBaseLeanTree::ScrollBarVert, false));
    EXPECT_EQ(Tree.OffsetY(), 0);
}

void WindowTimersDeliverDelayedChanges() {
    TTreeWindow F;
    TWindowTree& Tree = *F.Tree;
    Tree.SetRootNodeCount(2);
    std::vector<PLeanNode> Changes;
    Tree.OnChange = [&](TBaseLeanTree*, PLeanNode Node) { Changes.push_back(Node); };
    Tree.SetChangeDelay(40);
    Tree.SetSelection({toMultiSelect});
    Tree.SetNodeSelected(Tree.RootNode()->FirstChild, true);
    Tree.SetNodeSelected(Tree.RootNode()->LastChild, true);
    EXPECT_TRUE(Changes.empty());
    EXPECT_TRUE(WaitUntil([&] { return !Changes.empty(); }));
    ProcessMessagesFor(100);
    EXPECT_EQ(Changes, std::vector<PLeanNode>{Tree.RootNode()->LastChild});
}

void TogglesAnimateInTheWindow() {
    TTreeWindow F;
    TWindowTree& Tree = *F.Tree;
    Tree.SetAnimationDuration(30);
    PLeanNode Node = Tree.AddChild(nullptr);
    for (int I = 0; I < 3; ++I)
        Tree.AddChild(Node);
    bool Animated = false;
    Tree.OnStateChange = [&](TBaseLeanTree*, TLeanTreeStates Enter, TLeanTreeStates) {
        if (Enter.Contains(tsInAnimation)) Animated = true;
    };
    Tree.ToggleNode(Node);
    EXPECT_TRUE(Animated);
    EXPECT_FALSE(Tree.TreeStates().Contains(tsInAnimation));
    EXPECT_EQ(Tree.VisibleCount(), 4u);
    EXPECT_INVARIANTS(Tree);
}

template <void (*Body)()> class TFunctionTest : public ::testing::Test {
    void TestBody() override { Body(); }
};

template <void (*Body)()> void Register(const char* Name) {
    ::testing::RegisterTest("WindowedTree", Name, nullptr, nullptr, __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new TFunctionTest<Body>(); });
}

} // namespace

void RegisterWindowTests() {
    Register<&UpdatesHoldBackWindowWork>("UpdatesHoldBackWindowWork");
    Register<&ScrollBarsFollowTheRows>("ScrollBarsFollowTheRows");
    Register<&WindowTimersDeliverDelayedChanges>("WindowTimersDeliverDelayedChanges");
    Register<&TogglesAnimateInTheWindow>("TogglesAnimateInTheWindow");
}

TEST(TreeWindows, PassInAProcessWithTheApplicationObject) {
    const TChildRun Child = RunThisProgramAgain(TreeWindowsVariable, "WindowedTree.*");
    EXPECT_TRUE(Child.Succeeded) << Child.Output;
    EXPECT_NE(Child.Output.find("[  PASSED  ] 4 tests."), std::string::npos) << Child.Output;
}
