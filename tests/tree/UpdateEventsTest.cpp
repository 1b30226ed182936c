// Update brackets, deferred and timed notifications, the state set, the dispatchers' defaults,
// ranges and geometry.

#include "TreeTestSupport.h"

TEST(Updates, BracketsNestAndReportTheirSteps) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    LogEvents(Tree, Log);
    Tree.BeginUpdate();
    Tree.BeginUpdate();
    EXPECT_TRUE(Tree.TreeStates().Contains(tsUpdating));
    Tree.EndUpdate();
    Tree.EndUpdate();
    EXPECT_EQ(Log.Text(), "usBegin usUpdate usUpdate usEnd");
    EXPECT_FALSE(Tree.TreeStates().Contains(tsUpdating));
    Log.Clear();
    Tree.EndUpdate();
    EXPECT_EQ(Tree.UpdateCount(), 0u);
    EXPECT_EQ(Log.Text(), "usEnd");
}

TEST(Updates, TheEndDeliversStructureThenSelectionChanges) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    LogEvents(Tree, Log);
    Tree.BeginUpdate();
    PLeanNode A = Tree.AddChild(nullptr);
    Log.Names[A] = "a";
    Tree.SetNodeSelected(A, true);
    PLeanNode B = Tree.AddChild(A);
    Log.Names[B] = "b";
    EXPECT_EQ(Log.Text(), "usBegin Add(a)");
    Tree.EndUpdate();
    EXPECT_EQ(Log.Text(), "usBegin Add(a) Structure(a,crAccumulated) Change(a) usEnd");
    EXPECT_FALSE(Tree.TreeStates().Contains(tsStructureChangePending));
    EXPECT_FALSE(Tree.TreeStates().Contains(tsChangePending));
}

TEST(Updates, OutsideAnUpdateEveryAdditionIsReported) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    LogEvents(Tree, Log);
    PLeanNode A = Tree.AddChild(nullptr);
    Log.Names[A] = "a";
    PLeanNode B = Tree.AddChild(A);
    Log.Names[B] = "b";
    PLeanNode C = Tree.InsertNode(B, amInsertBefore);
    Log.Names[C] = "c";
    Tree.DeleteNode(B);
    // The inserted node is reported before the test could name it.
    EXPECT_EQ(Log.Text(), "Structure(nil,crChildAdded) Structure(a,crChildAdded) Structure(?,crNodeAdded) "
                          "Structure(a,crChildDeleted)");
}

TEST(Updates, TimedNotificationsCoalesce) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TLTManualTimers Clock;
    TPlainTree Tree;
    Tree.SetTimerService(&Clock);
    auto Nodes = BuildTree(Tree, {"a", "b"}, &Log);
    LogEvents(Tree, Log);
    Tree.SetChangeDelay(100);
    Tree.SetNodeSelected(Nodes["a"], true);
    Clock.Advance(50);
    Tree.SetNodeSelected(Nodes["b"], true);
    EXPECT_EQ(Log.Count("Change("), 0);
    Clock.Advance(99);
    EXPECT_EQ(Log.Count("Change("), 0) << "the second change started the delay again";
    Clock.Advance(1);
    EXPECT_EQ(Log.Count("Change("), 1);
    EXPECT_EQ(Log.Lines.back(), "Change(b)");
    EXPECT_FALSE(Clock.IsRunning(&Tree, ChangeTimer));
    // Structure changes add up.
    Log.Clear();
    PLeanNode C = Tree.InsertNode(Nodes["a"], amInsertAfter);
    Log.Names[C] = "c";
    Tree.DeleteNode(Nodes["b"]);
    EXPECT_EQ(Log.Text(), "Remove(b) Change(b)") << "a selected node leaves the selection at once";
    Clock.Advance(100);
    EXPECT_EQ(Log.Lines.back(), "Structure(nil,crAccumulated)");
    // Synch mode delivers at once and stops the timers.
    Log.Clear();
    Tree.SetNodeSelected(C, true);
    EXPECT_TRUE(Clock.IsRunning(&Tree, ChangeTimer));
    Tree.BeginSynch();
    EXPECT_FALSE(Clock.IsRunning(&Tree, ChangeTimer));
    EXPECT_EQ(Log.Text(), "Add(c) usBeginSynch Change(c)");
    Tree.SetNodeSelected(C, false);
    EXPECT_EQ(Log.Lines.back(), "Change(c)");
    Tree.BeginSynch();
    Tree.EndSynch();
    Tree.EndSynch();
    EXPECT_FALSE(Tree.TreeStates().Contains(tsSynchMode));
    EXPECT_EQ(Log.Text(), "Add(c) usBeginSynch Change(c) Remove(c) Change(c) usSynch usSynch usEndSynch");
}

TEST(Updates, WithoutAWindowDelayedWorkHappensAtOnce) {
    TEventLog Log;   // outlives the tree, whose last events it hears
    TPlainTree Tree; // window timers, but no window
    auto Nodes = BuildTree(Tree, {"a"}, &Log);
    LogEvents(Tree, Log);
    Tree.SetChangeDelay(100);
    Tree.SetNodeSelected(Nodes["a"], true);
    EXPECT_EQ(Log.Text(), "Add(a) Change(a)");
}

TEST(Events, StateChangesAreAnnouncedOnlyWhenTheyChangeSomething) {
    TPlainTree Tree;
    int Announced = 0;
    TLeanTreeStates SeenEnter, SeenLeave;
    Tree.OnStateChange = [&](TBaseLeanTree*, TLeanTreeStates Enter, TLeanTreeStates Leave) {
        ++Announced;
        SeenEnter = Enter;
        SeenLeave = Leave;
    };
    Tree.DoStateChange({tsEditing}, {tsEditing});
    EXPECT_EQ(Announced, 0) << "not set before: nothing changes";
    EXPECT_FALSE(Tree.TreeStates().Contains(tsEditing));
    Tree.DoStateChange({tsEditing});
    EXPECT_EQ(Announced, 1);
    Tree.DoStateChange({tsEditing});
    EXPECT_EQ(Announced, 1);
    Tree.DoStateChange({tsEditing, tsHint}, {tsEditing});
    EXPECT_EQ(Announced, 2);
    EXPECT_EQ(SeenEnter, (TLeanTreeStates{tsEditing, tsHint})) << "the sets as they were given";
    EXPECT_EQ(SeenLeave, TLeanTreeStates{tsEditing});
    EXPECT_FALSE(Tree.TreeStates().Contains(tsEditing));
    EXPECT_TRUE(Tree.TreeStates().Contains(tsHint));
}

TEST(Events, DefaultsWithoutHandlers) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b"});
    // Refusable events allow, image events answer no image, the compare answers equal.
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_TRUE(Tree.Expanded(Nodes["a"]));
    Tree.SetFocusedNode(Nodes["a/b"]);
    EXPECT_EQ(Tree.FocusedNode(), Nodes["a/b"]);
    TCheckState State = csCheckedNormal;
    bool Ghosted = true;
    int Index = 5;
    struct TOpen : TPlainTree {
        using TBaseLeanTree::DoChecking;
        using TBaseLeanTree::DoCompareNodes;
        using TBaseLeanTree::DoDragAllowed;
        using TBaseLeanTree::DoGetCellIsEmpty;
        using TBaseLeanTree::DoGetHintKind;
        using TBaseLeanTree::DoGetImageIndex;
        using TBaseLeanTree::DoGetPopupMenu;
        using TBaseLeanTree::DoKeyAction;
        using TBaseLeanTree::DoNodeCopying;
        using TBaseLeanTree::DoNodeMoving;
        using TBaseLeanTree::DoPaintBackground;
        using TBaseLeanTree::QueryNodeHint;
    } Open;
    PLeanNode N = Open.AddChild(nullptr);
    EXPECT_TRUE(Open.DoChecking(N, State));
    EXPECT_EQ(Open.DoCompareNodes(N, N, 0), 0);
    EXPECT_EQ(Open.DoGetImageIndex(N, ikNormal, ColumnNone, Ghosted, Index), nullptr);
    EXPECT_EQ(Index, -1);
    EXPECT_FALSE(Ghosted);
    EXPECT_TRUE(Open.DoGetCellIsEmpty(N, 0));
    EXPECT_FALSE(Open.DoDragAllowed(N, 0));
    EXPECT_EQ(Open.DoGetHintKind(N, 0), vhkText);
    EXPECT_EQ(Open.DoGetPopupMenu(N, 0, {}), nullptr);
    Word Key = 13;
    TShiftState Shift;
    EXPECT_TRUE(Open.DoKeyAction(Key, Shift));
    EXPECT_TRUE(Open.DoNodeCopying(N, nullptr));
    EXPECT_TRUE(Open.DoNodeMoving(N, nullptr));
    EXPECT_FALSE(Open.DoPaintBackground(nullptr, {}));
    Open.SetHint(u"tree hint");
    TLTTooltipLineBreakStyle Style = hlbForceMultiLine;
    EXPECT_EQ(Open.QueryNodeHint(N, 0, Style), u"tree hint");
    EXPECT_EQ(Style, hlbDefault);
    // Read-only trees refuse check changes without asking.
    bool Asked = false;
    Open.OnChecking = [&](TBaseLeanTree*, PLeanNode, TCheckState&, bool&) { Asked = true; };
    Open.SetMisc({toReadOnly});
    EXPECT_FALSE(Open.DoChecking(N, State));
    EXPECT_FALSE(Asked);
    // With both image events only the extended one is asked.
    int Plain = 0, Extended = 0;
    Open.OnGetImageIndex = [&](TBaseLeanTree*, PLeanNode, TLTImageKind, TColumnIndex, bool&, int&) {
        ++Plain;
    };
    Open.OnGetImageIndexEx = [&](TBaseLeanTree*, PLeanNode, TLTImageKind, TColumnIndex, bool&, int& I,
                                 TCustomImageList*&) {
        ++Extended;
        I = 3;
    };
    Open.DoGetImageIndex(N, ikNormal, ColumnNone, Ghosted, Index);
    EXPECT_EQ(Plain, 0);
    EXPECT_EQ(Extended, 1);
    EXPECT_EQ(Index, 3);
}

TEST(Events, PopupMenuIsAskedOfEveryAncestorButTheRoot) {
    struct TOpen : TPlainTree {
        using TBaseLeanTree::DoGetPopupMenu;
    } Tree;
    TEventLog Log;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/b/c"}, &Log);
    Tree.OnGetPopupMenu = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TPoint, bool&, TPopupMenu*&) {
        Log.Add(Log.Name(Node));
    };
    Tree.DoGetPopupMenu(Nodes["a/b/c"], 0, {});
    EXPECT_EQ(Log.Text(), "a/b/c a/b a");
    Log.Clear();
    Tree.DoGetPopupMenu(nullptr, ColumnNone, {});
    EXPECT_EQ(Log.Text(), "nil");
}

TEST(Events, FocusChangesCanBeRefused) {
    TEventLog Log; // outlives the tree, whose last events it hears
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "b"}, &Log);
    LogEvents(Tree, Log);
    Tree.SetFocusedNode(Nodes["a"]);
    EXPECT_EQ(Log.Text(), "Focus(a)");
    Tree.OnFocusChanging = [](TBaseLeanTree*, PLeanNode, PLeanNode, TColumnIndex, TColumnIndex,
                              bool& Allowed) { Allowed = false; };
    Tree.SetFocusedNode(Nodes["b"]);
    EXPECT_EQ(Tree.FocusedNode(), Nodes["a"]);
    EXPECT_EQ(Log.Text(), "Focus(a)");
    // Deleting the focused node moves the focus to nothing without asking.
    Tree.DeleteNode(Nodes["a"]);
    EXPECT_EQ(Tree.FocusedNode(), nullptr);
    EXPECT_EQ(Log.Count("Focus(nil)"), 1);
}

TEST(Events, OperationsNestAndEndingWithoutOneAsserts) {
    TPlainTree Tree;
    std::vector<std::string> Seen;
    Tree.OnStartOperation = [&](TBaseLeanTree*, TLTOperationKind K) {
        Seen.push_back("start" + std::to_string(K));
    };
    Tree.OnEndOperation = [&](TBaseLeanTree*, TLTOperationKind K) {
        Seen.push_back("end" + std::to_string(K));
    };
    Tree.StartOperation(okSortTree);
    Tree.CancelOperation();
    EXPECT_TRUE(Tree.OperationCanceled());
    Tree.StartOperation(okSortNode);
    EXPECT_TRUE(Tree.OperationCanceled()) << "only the outermost start resets the flag";
    Tree.EndOperation(okSortNode);
    Tree.EndOperation(okSortTree);
    EXPECT_FALSE(Tree.OperationCanceled());
    EXPECT_EQ(Seen, (std::vector<std::string>{"start3", "start2", "end2", "end3"}));
    EXPECT_THROW(Tree.EndOperation(okSortTree), EAssertionFailed);
}

TEST(Geometry, VerticalRangeFollowsTheRows) {
    TPlainTree Tree;
    Tree.SetDefaultNodeHeight(20);
    Tree.SetRootNodeCount(5);
    Tree.SetBottomSpace(20);
    EXPECT_EQ(Tree.RangeY(), 120u);
    Tree.Clear();
    EXPECT_EQ(Tree.RangeY(), 20u);
}

TEST(Geometry, DisplayRectangles) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "c"});
    EXPECT_EQ(Tree.GetDisplayRect(Nodes["a/b"], ColumnNone, false), TRect{}) << "inside a collapsed parent";
    Tree.ToggleNode(Nodes["a"]);
    EXPECT_EQ(Tree.GetDisplayRect(Nodes["c"], ColumnNone, false), (TRect{0, 36, Tree.ClientWidth(), 54}));
    // Text only: margin, the indent of its level and of the root level.
    const TRect Text = Tree.GetDisplayRect(Nodes["a/b"], ColumnNone, true);
    EXPECT_EQ(Text.Left, 4 + 18 + 18);
    EXPECT_EQ(Text.Top, 18);
    Tree.SetNodeVisible(Nodes["c"], false);
    EXPECT_EQ(Tree.GetDisplayRect(Nodes["c"], ColumnNone, false), TRect{});
    EXPECT_THROW(Tree.GetDisplayRect(nullptr, ColumnNone, false), EAssertionFailed);
    EXPECT_THROW(Tree.GetDisplayRect(Tree.RootNode(), ColumnNone, false), EAssertionFailed);
}

TEST(Geometry, HitTests) {
    TPlainTree Tree;
    auto Nodes = BuildTree(Tree, {"a", "b"});
    THitInfo Hit;
    Tree.GetHitTestInfoAt(-5, 10, true, Hit);
    EXPECT_TRUE(Hit.HitPositions.Contains(hiToLeft));
    EXPECT_EQ(Hit.HitNode, nullptr);
    Tree.GetHitTestInfoAt(10, 20, true, Hit);
    EXPECT_EQ(Hit.HitNode, Nodes["b"]);
    EXPECT_TRUE(Hit.HitPositions.Contains(hiOnItem));
    EXPECT_EQ(Hit.HitColumn, ColumnNone);
    Tree.GetHitTestInfoAt(10, 80, true, Hit);
    EXPECT_EQ(Hit.HitNode, nullptr);
    EXPECT_TRUE(Hit.HitPositions.Contains(hiNowhere));
    Tree.SetMisc({toNodeHeightResize});
    Tree.GetHitTestInfoAt(10, 34, true, Hit);
    EXPECT_TRUE(Hit.HitPositions.Contains(hiLowerSplitter));
    Tree.GetHitTestInfoAt(10, 19, true, Hit);
    EXPECT_TRUE(Hit.HitPositions.Contains(hiUpperSplitter));
}

TEST(Geometry, MaximumColumnWidth) {
    struct TWideTree : TPlainTree {
        int QueryNodeContentWidth(PLeanNode Node, TColumnIndex, TCanvas*) override {
            return 10 * static_cast<int>(Node->Index + 1);
        }
    } Tree;
    auto Nodes = BuildTree(Tree, {"a", "a/b", "a/c", "d"});
    Tree.ToggleNode(Nodes["a"]);
    // The widest: a/c, level 1 (+ root level): 4 + 2 * 18 + 20.
    EXPECT_EQ(Tree.GetMaxColumnWidth(ColumnNone), 4 + 36 + 20);
    int Before = 0, After = 0;
    Tree.OnBeforeGetMaxColumnWidth = [&](TLTHeader*, TColumnIndex, bool&) { ++Before; };
    Tree.OnAfterGetMaxColumnWidth = [&](TLTHeader*, TColumnIndex, int& Width) {
        ++After;
        Width += 1;
    };
    EXPECT_EQ(Tree.GetMaxColumnWidth(ColumnNone), 61);
    EXPECT_EQ(Before + After, 2);
    // A cancelled operation answers the column's width as it is.
    Tree.StartOperation(okAutoFitColumns);
    Tree.CancelOperation();
    EXPECT_EQ(Tree.GetMaxColumnWidth(ColumnNone), 0);
    Tree.EndOperation(okAutoFitColumns);
}
