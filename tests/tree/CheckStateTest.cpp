// Check states set as a user sets them: tri-state boxes pass a state to their children and take
// what the children end up with; radio buttons switch their siblings off.

#include "TreeTestSupport.h"

namespace {

struct TChecksFixture {
    TTestTree Tree;
    PLeanNode Parent, A, B, C;
    std::vector<PLeanNode> Checking, Checked;
    TChecksFixture() {
        Tree.SetAuto({}, {toAutoSort});
        Parent = Tree.AddChild(nullptr);
        A = Tree.AddChild(Parent);
        B = Tree.AddChild(Parent);
        C = Tree.AddChild(Parent);
        Parent->CheckType = ctTriStateCheckBox;
        A->CheckType = ctCheckBox;
        B->CheckType = ctTriStateCheckBox;
        C->CheckType = ctCheckBox;
        Tree.OnChecking = [this](TBaseLeanTree*, PLeanNode Node, TCheckState&, bool&) {
            Checking.push_back(Node);
        };
        Tree.OnChecked = [this](TBaseLeanTree*, PLeanNode Node) { Checked.push_back(Node); };
    }
};

TEST(TreeCheckStates, TriStateParentPassesItsStateToItsChildren) {
    TChecksFixture F;
    F.Tree.SetCheckState(F.Parent, csCheckedNormal);
    for (PLeanNode Node : {F.Parent, F.A, F.B, F.C})
        EXPECT_EQ(Node->CheckState, csCheckedNormal);
    EXPECT_EQ(F.Checked, (std::vector<PLeanNode>{F.A, F.B, F.C, F.Parent}));
    EXPECT_EQ(F.Tree.CheckedCount(), 4);
    EXPECT_FALSE(F.Tree.TreeStates().Contains(tsCheckPropagation));
    F.Tree.ClearChecked();
    EXPECT_EQ(F.Tree.CheckedCount(), 0);
}

TEST(TreeCheckStates, RefusedChildLeavesTheParentMixed) {
    TChecksFixture F;
    F.Tree.OnChecking = [&](TBaseLeanTree*, PLeanNode Node, TCheckState&, bool& Allowed) {
        Allowed = Node != F.B;
    };
    F.Tree.SetCheckState(F.Parent, csCheckedNormal);
    EXPECT_EQ(F.A->CheckState, csCheckedNormal);
    EXPECT_EQ(F.B->CheckState, csUncheckedNormal);
    EXPECT_EQ(F.Parent->CheckState, csMixedNormal);
    // Without tracking only the node itself changes.
    TChecksFixture G;
    G.Tree.SetAuto({}, {toAutoTristateTracking});
    G.Tree.SetCheckState(G.Parent, csCheckedNormal);
    EXPECT_EQ(G.A->CheckState, csUncheckedNormal);
    EXPECT_EQ(G.Parent->CheckState, csCheckedNormal);
}

TEST(TreeCheckStates, RadioButtonSwitchesItsSiblingsOffSilently) {
    TChecksFixture F;
    for (PLeanNode Node : {F.A, F.B, F.C})
        Node->CheckType = ctRadioButton;
    F.A->CheckState = csCheckedNormal;
    F.Tree.SetCheckState(F.C, csCheckedNormal);
    EXPECT_EQ(F.A->CheckState, csUncheckedNormal);
    EXPECT_EQ(F.C->CheckState, csCheckedNormal);
    EXPECT_EQ(F.Checking, (std::vector<PLeanNode>{F.C}));
    // A disabled node keeps its state.
    F.Tree.OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode, TLeanNodeInitStates& States) {
        States.Include(ivsDisabled);
    };
    PLeanNode Off = F.Tree.AddChild(nullptr);
    F.Tree.ValidateNode(Off, false);
    Off->CheckType = ctCheckBox;
    F.Tree.SetCheckState(Off, csCheckedNormal);
    EXPECT_EQ(Off->CheckState, csUncheckedNormal);
}

TEST(TreeCheckStates, ParentFollowsWhatItsChildrenHold) {
    struct TCase {
        TCheckState A, B, C;
        TCheckState Set; // given to A
        TCheckState Parent;
    };
    const TCase Cases[] = {
        {csCheckedNormal, csUncheckedNormal, csUncheckedNormal, csUncheckedNormal, csUncheckedNormal},
        {csCheckedNormal, csCheckedNormal, csUncheckedNormal, csUncheckedNormal, csMixedNormal},
        {csUncheckedNormal, csCheckedNormal, csCheckedNormal, csCheckedNormal, csCheckedNormal},
        {csCheckedNormal, csMixedNormal, csUncheckedNormal, csUncheckedNormal, csMixedNormal},
        {csUncheckedNormal, csUncheckedNormal, csUncheckedNormal, csCheckedNormal, csMixedNormal},
    };
    for (const TCase& Case : Cases) {
        TChecksFixture F;
        F.A->CheckState = Case.A;
        F.B->CheckState = Case.B;
        F.C->CheckState = Case.C;
        F.Tree.SetCheckState(F.A, Case.Set);
        EXPECT_EQ(F.A->CheckState, Case.Set);
        EXPECT_EQ(F.Parent->CheckState, Case.Parent) << int(Case.A) << int(Case.B) << int(Case.C);
        EXPECT_EQ(F.Checked, (std::vector<PLeanNode>{F.Parent, F.A}));
    }
    // A parent that refuses its new state keeps it, and the child's change is not reported.
    TChecksFixture F;
    F.Tree.OnChecking = [&](TBaseLeanTree*, PLeanNode Node, TCheckState&, bool& Allowed) {
        Allowed = Node != F.Parent;
    };
    F.Tree.SetCheckState(F.A, csCheckedNormal);
    EXPECT_EQ(F.A->CheckState, csCheckedNormal);
    EXPECT_EQ(F.Parent->CheckState, csUncheckedNormal);
    EXPECT_TRUE(F.Checked.empty());
}

TEST(TreeCheckStates, FollowingStateOfEachType) {
    struct TCase {
        TCheckType Type;
        TCheckState From, To;
    };
    const TCase Cases[] = {
        {ctCheckBox, csUncheckedNormal, csCheckedNormal},
        {ctCheckBox, csCheckedNormal, csUncheckedNormal},
        {ctTriStateCheckBox, csMixedNormal, csCheckedNormal},
        {ctCheckBox, csCheckedPressed, csCheckedNormal},
        {ctRadioButton, csCheckedNormal, csCheckedNormal},
        {ctRadioButton, csUncheckedNormal, csCheckedNormal},
        {ctButton, csUncheckedNormal, csUncheckedNormal},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(TBaseLeanTree::FollowingCheckState(Case.Type, Case.From), Case.To) << int(Case.Type);
    for (TCheckState State : {csUncheckedNormal, csCheckedNormal, csMixedNormal}) {
        const TCheckState Pressed = TBaseLeanTree::PressedCheckState(State);
        EXPECT_EQ(static_cast<int>(Pressed), static_cast<int>(State) + 1);
        EXPECT_EQ(TBaseLeanTree::PressedCheckState(Pressed), Pressed);
        EXPECT_EQ(TBaseLeanTree::NormalCheckState(Pressed), State);
        EXPECT_EQ(TBaseLeanTree::NormalCheckState(State), State);
    }
    // A read-only tree refuses every change.
    TChecksFixture F;
    F.Tree.SetMisc({toReadOnly});
    F.Tree.SetCheckState(F.A, csCheckedNormal);
    EXPECT_EQ(F.A->CheckState, csUncheckedNormal);
}

} // namespace
