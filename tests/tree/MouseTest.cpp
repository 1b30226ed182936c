// The string tree under the mouse: presses, releases, double clicks and moves delivered as
// window messages change expansion, checks, focus, selection and the hot node.

#include "ScreenTestSupport.h"

#include "support/TestDriver.h"

#include <map>
#include <string>

namespace {

// A 200 x 150 string tree of named nodes ("a", "a/b": b under a), every node expanded.
struct TMouse : TNamedNodes {
    TForm Form{nullptr};
    TLeanStringTree* Tree;

    TMouse() : Tree(new TLeanStringTree(&Form)) {
        Form.SetBounds(0, 0, 300, 250);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 150);
        auto* Options = Tree->TreeOptions();
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toCheckSupport});
        Tree->OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TVSTTextType, String& Text) {
            const std::string& Name = Names[Node];
            Text = String(Name.begin(), Name.end());
        };
        AddPaths(*Tree, std::vector<std::string>{"a", "a/b", "a/c", "d", "e", "f"});
        Nodes["d"]->CheckType = ctCheckBox;
        Tree->FullExpand();
        Tree->HandleNeeded();
    }
    std::string Focused() const { return NameOf(Tree->FocusedNode()); }
    std::string Selected() const { return SelectedIn(*Tree); }
    // Points inside a row: its label, its expand button, its check box, and below every row.
    TPoint Label(const std::string& Name) const {
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), NoColumn, true);
        return {R.Left + 3, (R.Top + R.Bottom) / 2};
    }
    TPoint Button(const std::string& Name) const {
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), NoColumn, false);
        const int Indent = static_cast<int>(Tree->Indent() * (Tree->GetNodeLevel(Nodes.at(Name)) + 1));
        return {Indent - 5, (R.Top + R.Bottom) / 2};
    }
    TPoint Box(const std::string& Name) const {
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), NoColumn, false);
        const int Indent = static_cast<int>(Tree->Indent() * (Tree->GetNodeLevel(Nodes.at(Name)) + 1));
        return {Indent + Tree->Margin() + 3, (R.Top + R.Bottom) / 2};
    }
};

TEST(TreeMouse, HitPositionsAcrossARow) {
    SCREEN_TEST();
    TMouse M;
    struct TCase {
        TPoint P;
        THitPosition Position;
        const char* Node;
    };
    const TCase Cases[] = {
        {M.Button("a"), hiOnItemButtonExact, "a"},
        {M.Button("a/b"), hiOnItemIndent, "a/b"}, // a leaf has no button
        {M.Box("d"), hiOnItemCheckbox, "d"},
        {M.Label("e"), hiOnItemLabel, "e"},
        {TPoint{190, M.Label("e").Y}, hiOnItemRight, "e"},
        {TPoint{20, 140}, hiNowhere, nullptr},
    };
    for (const TCase& Case : Cases) {
        THitInfo Hit;
        M.Tree->GetHitTestInfoAt(Case.P.X, Case.P.Y, true, Hit);
        EXPECT_TRUE(Hit.HitPositions.Contains(Case.Position)) << Case.P.X << "," << Case.P.Y;
        EXPECT_EQ(Hit.HitNode, Case.Node ? M[Case.Node] : nullptr) << Case.P.X << "," << Case.P.Y;
    }
}

TEST(TreeMouse, ClicksFocusSelectAndToggle) {
    SCREEN_TEST();
    enum TAction { Click, CtrlClick, ShiftClick, DoubleClick };
    struct TCase {
        bool MultiSelect;
        bool ToggleOnDblClick;
        std::vector<std::pair<TAction, std::string>> Steps; // "x!" aims at x's button
        const char* Focused;
        const char* Selected;
        bool AExpanded;
    };
    const TCase Cases[] = {
        {false, false, {{Click, "d"}}, "d", "d", true},
        {false, false, {{Click, "a"}, {Click, "e"}}, "e", "e", true},
        {true, false, {{Click, "a"}, {CtrlClick, "e"}}, "e", "a e", true},
        {true, false, {{Click, "a"}, {CtrlClick, "e"}, {CtrlClick, "a"}}, "a", "e", true},
        {true, false, {{Click, "a/c"}, {ShiftClick, "e"}}, "e", "a/c d e", true},
        {false, false, {{Click, "e"}, {Click, "a!"}}, "e", "e", false},
        {false, false, {{DoubleClick, "a!"}}, "nil", "", true},
        {false, true, {{DoubleClick, "a"}}, "a", "a", false},
        {false, false, {{DoubleClick, "a"}}, "a", "a", true},
    };
    for (const TCase& Case : Cases) {
        TMouse M;
        auto* Options = M.Tree->TreeOptions();
        if (Case.MultiSelect)
            Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
        if (!Case.ToggleOnDblClick)
            Options->SetMiscOptions(Options->MiscOptions() - TLTMiscOptions{toToggleOnDblClick});
        for (const auto& [Action, Target] : Case.Steps) {
            const bool OnButton = Target.back() == '!';
            const std::string Name = OnButton ? Target.substr(0, Target.size() - 1) : Target;
            const TPoint P = OnButton ? M.Button(Name) : M.Label(Name);
            switch (Action) {
            case Click:
                ClickMessages(M.Tree, P);
                break;
            case CtrlClick:
                ClickMessages(M.Tree, P, mbLeft, {ssCtrl});
                break;
            case ShiftClick:
                ClickMessages(M.Tree, P, mbLeft, {ssShift});
                break;
            case DoubleClick:
                DoubleClickMessages(M.Tree, P);
                break;
            }
        }
        const std::string What = Case.Steps.back().second + " step " + std::to_string(Case.Steps.size()) +
                                 (Case.ToggleOnDblClick ? " toggling" : "");
        EXPECT_EQ(M.Focused(), Case.Focused) << What;
        EXPECT_EQ(M.Selected(), Case.Selected) << What;
        EXPECT_EQ(M.Tree->Expanded(M["a"]), Case.AExpanded) << What;
    }
}

TEST(TreeMouse, SelectionOfAClickedSelectedNodeShrinksOnRelease) {
    SCREEN_TEST();
    TMouse M;
    auto* Options = M.Tree->TreeOptions();
    Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
    // Only a drag could take the whole selection, so only with dragging does it wait.
    M.Tree->SetDragMode(dmAutomatic);
    ClickMessages(M.Tree, M.Label("a"));
    ClickMessages(M.Tree, M.Label("e"), mbLeft, {ssShift});
    EXPECT_EQ(M.Selected(), "a a/b a/c d e");
    MouseDownMessage(M.Tree, M.Label("d"));
    EXPECT_EQ(M.Selected(), "a a/b a/c d e");
    MouseUpMessage(M.Tree, M.Label("d"));
    EXPECT_EQ(M.Selected(), "d");
}

TEST(TreeMouse, CheckBoxChangesOnReleaseOverItsRow) {
    SCREEN_TEST();
    TMouse M;
    int Checked = 0;
    M.Tree->OnChecked = [&](TBaseLeanTree*, PLeanNode) { ++Checked; };
    MouseDownMessage(M.Tree, M.Box("d"));
    EXPECT_EQ(M["d"]->CheckState, csUncheckedPressed);
    MouseUpMessage(M.Tree, M.Label("d"));
    EXPECT_EQ(M["d"]->CheckState, csCheckedNormal);
    EXPECT_EQ(Checked, 1);
    // Released over another row: the box comes back up unchanged.
    MouseDownMessage(M.Tree, M.Box("d"));
    MouseUpMessage(M.Tree, M.Label("e"));
    EXPECT_EQ(M["d"]->CheckState, csCheckedNormal);
    EXPECT_EQ(Checked, 1);
    // The whole path once with real toolkit input.
    SynthClick(M.Tree, M.Box("d"));
    EXPECT_TRUE(WaitUntil([&] { return M["d"]->CheckState == csUncheckedNormal; }));
    EXPECT_EQ(Checked, 2);
}

TEST(TreeMouse, HotNodeFollowsTheMouseOverLabels) {
    SCREEN_TEST();
    TMouse M;
    std::vector<std::string> Changes;
    M.Tree->OnHotChange = [&](TBaseLeanTree*, PLeanNode Old, PLeanNode New) {
        Changes.push_back((Old ? M.Names[Old] : "nil") + ">" + (New ? M.Names[New] : "nil"));
    };
    MouseMessage(M.Tree, WM_MOUSEMOVE, M.Label("d"));
    MouseMessage(M.Tree, WM_MOUSEMOVE, M.Label("d"));
    MouseMessage(M.Tree, WM_MOUSEMOVE, M.Box("d"));
    MouseMessage(M.Tree, WM_MOUSEMOVE, M.Label("e"));
    MouseMessage(M.Tree, WM_MOUSEMOVE, TPoint{190, M.Label("e").Y});
    EXPECT_EQ(Changes, (std::vector<std::string>{"nil>d", "d>e", "e>nil"}));
    EXPECT_EQ(M.Tree->HotNode(), nullptr);
}

} // namespace
