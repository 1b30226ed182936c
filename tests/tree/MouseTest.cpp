// The string tree under the mouse: presses, releases, double clicks and moves delivered as
// window messages change expansion, checks, focus, selection and the hot node.

#include "ScreenTestSupport.h"

#include "platform/gui/Menus.h"
#include "support/TestDriver.h"

#include <map>
#include <string>

namespace {

// A 200 x 150 string tree of named nodes ("a", "a/b": b under a), every node expanded.
struct TMouse : TNamedNodes {
    TForm Form{nullptr};
    TScreenTree* Tree;

    TMouse() : Tree(new TScreenTree(&Form)) {
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
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), ColumnNone, true);
        return {R.Left + 3, (R.Top + R.Bottom) / 2};
    }
    TPoint Button(const std::string& Name) const {
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), ColumnNone, false);
        const int Indent = static_cast<int>(Tree->Indent() * (Tree->GetNodeLevel(Nodes.at(Name)) + 1));
        return {Indent - 5, (R.Top + R.Bottom) / 2};
    }
    TPoint Box(const std::string& Name) const {
        const TRect R = Tree->GetDisplayRect(Nodes.at(Name), ColumnNone, false);
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

TEST(TreeMouse, RubberBandSelectsTheRowsItCrosses) {
    SCREEN_TEST();
    struct TCase {
        TShiftState Shift;
        TPoint To;   // from below the last row at (150, 130)
        bool Escape; // Escape before the release
        const char* Selected;
    };
    const TCase Cases[] = {
        {{}, {10, 60}, false, "d e f"},
        {{}, {148, 128}, false, ""},                 // less than the drag distance
        {{ssCtrl}, {10, 60}, false, "a d e f"},      // Ctrl adds to the selection
        {{ssCtrl}, {10, 5}, false, "a/b a/c d e f"}, // and toggles what it crosses
        {{}, {10, 60}, true, "d e f"},               // Escape ends the drawing
    };
    for (const TCase& Case : Cases) {
        TMouse M;
        auto* Options = M.Tree->TreeOptions();
        Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
        ClickMessages(M.Tree, M.Label("a"));
        MouseDownMessage(M.Tree, {150, 130}, mbLeft, Case.Shift);
        EXPECT_TRUE(M.Tree->TreeStates().Contains(tsDrawSelPending));
        MouseMessage(M.Tree, WM_MOUSEMOVE, Case.To, Case.Shift);
        if (Case.Escape) {
            KeyMessages(M.Tree, VK_ESCAPE);
            EXPECT_FALSE(M.Tree->TreeStates().Contains(tsDrawSelecting));
            MouseMessage(M.Tree, WM_MOUSEMOVE, {10, 5});
        }
        MouseUpMessage(M.Tree, Case.To, mbLeft, Case.Shift);
        EXPECT_EQ(M.Selected(), Case.Selected) << Case.To.X << "," << Case.To.Y;
        EXPECT_FALSE(M.Tree->TreeStates().Contains(tsDrawSelecting));
        EXPECT_FALSE(M.Tree->TreeStates().Contains(tsDrawSelPending));
    }
}

TEST(TreeMouse, RightClickAsksForAMenuUpTheAncestors) {
    SCREEN_TEST();
    struct TCase {
        bool RightClickSelect;
        const char* MenuFor; // the node whose handler call answers the menu (empty: none)
        const char* Asked;
        int Shown;
        const char* Focused;
    };
    const TCase Cases[] = {
        {false, "", "a/b a", 0, "nil"},
        {false, "a", "a/b a", 1, "nil"},
        {true, "a/b", "a/b a/b", 1, "a/b"}, // the press asks too: a menu keeps the selection
    };
    for (const TCase& Case : Cases) {
        TMouse M;
        auto* Options = M.Tree->TreeOptions();
        if (Case.RightClickSelect)
            Options->SetSelectionOptions(Options->SelectionOptions() +
                                         TLTSelectionOptions{toRightClickSelect});
        TPopupMenu Menu(nullptr);
        int Shown = 0;
        Menu.OnPopup = [&](TObject*) { ++Shown; };
        std::string Asked;
        M.Tree->OnGetPopupMenu = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TPoint, bool&,
                                     TPopupMenu*& Result) {
            Asked += (Asked.empty() ? "" : " ") + M.NameOf(Node);
            if (M.NameOf(Node) == Case.MenuFor) Result = &Menu;
        };
        ClickMessages(M.Tree, M.Label("a/b"), mbRight);
        EXPECT_EQ(Asked, Case.Asked) << Case.MenuFor;
        EXPECT_EQ(Shown, Case.Shown) << Case.MenuFor;
        EXPECT_EQ(M.Focused(), Case.Focused) << Case.MenuFor;
        if (Shown) {
            EXPECT_EQ(Menu.PopupComponent(), M.Tree);
            EXPECT_EQ(Menu.PopupPoint(), M.Tree->ClientToScreen(M.Label("a/b")));
        }
    }
}

TEST(TreeMouse, MiddleClickSelectsOnlyWhenAsked) {
    SCREEN_TEST();
    for (bool MiddleSelect : {false, true}) {
        TMouse M;
        auto* Options = M.Tree->TreeOptions();
        if (MiddleSelect)
            Options->SetSelectionOptions(Options->SelectionOptions() +
                                         TLTSelectionOptions{toMiddleClickSelect});
        ClickMessages(M.Tree, M.Label("e"), mbMiddle);
        EXPECT_EQ(M.Focused(), MiddleSelect ? "e" : "nil");
        EXPECT_FALSE(M.Tree->TreeStates().Contains(tsMiddleButtonDown));
    }
}

// The tree with one fixed column, whose rows' lower edges drag their heights.
struct TColumnMouse : TMouse {
    TColumnMouse() {
        auto* C = Tree->Header()->Columns()->Add();
        C->SetWidth(120);
        C->SetOptions(C->Options() + TLTColumnOptions{coFixed});
        Tree->Header()->Columns()->Add()->SetWidth(80);
        Tree->Header()->SetMainColumn(0);
        auto* Options = Tree->TreeOptions();
        Options->SetMiscOptions(Options->MiscOptions() +
                                TLTMiscOptions{toNodeHeightResize, toNodeHeightDblClickResize});
    }
    int Bottom(const std::string& Name) const {
        return Tree->GetDisplayRect(Nodes.at(Name), 0, false).Bottom;
    }
};

TEST(TreeMouse, LowerEdgeOfARowTracksItsHeight) {
    SCREEN_TEST();
    TColumnMouse M;
    const int Top = M.Bottom("d") - 18;
    MouseDownMessage(M.Tree, {50, M.Bottom("d") - 1});
    EXPECT_TRUE(M.Tree->TreeStates().Contains(tsNodeHeightTrackPending));
    MouseMessage(M.Tree, WM_MOUSEMOVE, {50, Top + 30});
    EXPECT_EQ(M.Tree->NodeHeight(M["d"]), 30);
    MouseUpMessage(M.Tree, {50, Top + 30});
    // A double click on the edge gives the row its default height back.
    MouseMessage(M.Tree, WM_LBUTTONDBLCLK, {50, M.Bottom("d") - 1});
    EXPECT_EQ(M.Tree->NodeHeight(M["d"]), 18);

    MouseDownMessage(M.Tree, {50, M.Bottom("d") - 1});
    MouseMessage(M.Tree, WM_MOUSEMOVE, {50, Top - 40});
    EXPECT_EQ(M.Tree->NodeHeight(M["d"]), 1); // never below one pixel
    MouseUpMessage(M.Tree, {50, Top - 40});
    EXPECT_FALSE(M.Tree->TreeStates().Contains(tsNodeHeightTracking));
    MouseMessage(M.Tree, WM_MOUSEMOVE, {50, Top + 30});
    EXPECT_EQ(M.Tree->NodeHeight(M["d"]), 1);
    // The edge in the scrolling column resizes nothing.
    MouseDownMessage(M.Tree, {150, M.Bottom("e") - 1});
    EXPECT_FALSE(M.Tree->TreeStates().Contains(tsNodeHeightTrackPending));
    MouseUpMessage(M.Tree, {150, M.Bottom("e") - 1});
}

TEST(TreeMouse, ColumnClicksAndDoubleClicks) {
    SCREEN_TEST();
    TColumnMouse M;
    auto* Options = M.Tree->TreeOptions();
    Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toFullRowSelect});
    std::vector<std::string> Log;
    M.Tree->OnColumnClick = [&](TBaseLeanTree*, TColumnIndex C, TShiftState) {
        Log.push_back("click " + std::to_string(C));
    };
    M.Tree->OnColumnDblClick = [&](TBaseLeanTree*, TColumnIndex C, TShiftState) {
        Log.push_back("dbl " + std::to_string(C));
    };
    ClickMessages(M.Tree, {150, M.Label("e").Y});
    ClickMessages(M.Tree, {60, M.Label("e").Y});
    MouseDownMessage(M.Tree, {150, M.Label("e").Y});
    MouseUpMessage(M.Tree, {60, M.Label("e").Y}); // released over another column: no click
    MouseMessage(M.Tree, WM_LBUTTONDBLCLK, {150, M.Label("f").Y});
    EXPECT_EQ(Log, (std::vector<std::string>{"click 1", "click 0", "dbl 1"}));
}

TEST(TreeMouse, DragStartsOnceTheMouseMovesFarEnough) {
    SCREEN_TEST();
    TMouse M;
    auto* Options = M.Tree->TreeOptions();
    Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
    M.Tree->SetDragMode(dmAutomatic);
    int Started = 0, Ended = 0;
    M.Tree->OnStartDrag = [&](TObject*, TDragObject*&) { ++Started; };
    M.Tree->OnEndDrag = [&](TObject*, TObject*, int, int) { ++Ended; };
    ClickMessages(M.Tree, M.Label("d"));
    ClickMessages(M.Tree, M.Label("f"), mbLeft, {ssShift});
    const TPoint P = M.Label("e");
    MouseDownMessage(M.Tree, P);
    EXPECT_TRUE(M.Tree->TreeStates().Contains(tsOLEDragPending));
    MouseMessage(M.Tree, WM_MOUSEMOVE, {P.X + 1, P.Y});
    EXPECT_EQ(Started, 0);
    MouseMessage(M.Tree, WM_MOUSEMOVE, {P.X + 8, P.Y});
    EXPECT_EQ(Started, 1);
    EXPECT_EQ(Ended, 1);
    MouseUpMessage(M.Tree, {P.X + 8, P.Y});
    // The drag took the whole selection, which stays.
    EXPECT_EQ(M.Selected(), "d e f");
    EXPECT_FALSE(M.Tree->TreeStates().Contains(tsOLEDragPending));
}

TEST(TreeMouse, EnteringLeavingAndTheCursor) {
    SCREEN_TEST();
    TColumnMouse M;
    auto* Options = M.Tree->TreeOptions();
    Options->SetPaintOptions(Options->PaintOptions() + TLTPaintOptions{toHotTrack});
    M.Tree->SetHotCursor(crHandPoint);
    std::vector<std::string> Log;
    M.Tree->OnMouseEnter = [&](TObject*) { Log.push_back("enter"); };
    M.Tree->OnMouseLeave = [&](TObject*) { Log.push_back("leave"); };
    auto CursorAt = [&](TPoint P) {
        const TPoint S = M.Tree->ClientToScreen(P);
        SetCursorPos(S.X, S.Y);
        MouseMessage(M.Tree, WM_MOUSEMOVE, P);
        SendMessage(M.Tree->Handle(), WM_SETCURSOR, M.Tree->Handle(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return static_cast<TCursor>(SetCursor(crArrow));
    };
    EXPECT_EQ(CursorAt(M.Label("e")), crHandPoint);
    EXPECT_EQ(M.Tree->HotNode(), M["e"]);
    EXPECT_EQ(CursorAt({50, M.Bottom("d") - 1}), crLeanVertSplit);
    EXPECT_EQ(CursorAt({10, 140}), crArrow);
    M.Tree->OnGetCursor = [](TBaseLeanTree*, TCursor& C) { C = crCross; };
    EXPECT_EQ(CursorAt(M.Label("e")), crCross);
    M.Tree->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(M.Tree));
    EXPECT_EQ(M.Tree->HotNode(), nullptr);
    EXPECT_EQ(Log, (std::vector<std::string>{"enter", "leave"}));
}

TEST(TreeMouse, FocusCellAsksAndRestoresTheColumnWhenRefused) {
    SCREEN_TEST();
    TColumnMouse M;
    bool Allow = true;
    M.Tree->OnFocusChanging = [&](TBaseLeanTree*, PLeanNode, PLeanNode, TColumnIndex, TColumnIndex,
                                  bool& Allowed) { Allowed = Allow; };
    M.Tree->FocusCell(M["e"], 1);
    EXPECT_EQ(M.Focused(), "e");
    EXPECT_EQ(M.Tree->FocusedColumn(), 1);
    Allow = false;
    M.Tree->FocusCell(M["f"], 0);
    EXPECT_EQ(M.Focused(), "e");
    EXPECT_EQ(M.Tree->FocusedColumn(), 1);
}

TEST(TreeMouse, RightToLeftHitPositionsMirrorTheRow) {
    SCREEN_TEST();
    TMouse M;
    const int Right = 200;
    struct TCase {
        const char* Node;
        int Offset; // from the row's left edge, left to right
    };
    const TCase Cases[] = {
        {"a", M.Button("a").X}, {"d", M.Box("d").X}, {"e", M.Label("e").X}, {"e", 190}, {"a/b", 3}};
    for (const TCase& Case : Cases) {
        THitInfo Forward, Mirrored;
        Forward.HitNode = Mirrored.HitNode = M[Case.Node];
        Forward.HitPositions = Mirrored.HitPositions = {hiOnItem};
        M.Tree->HitPositionsLeftToRight(Forward, Case.Offset, Right);
        M.Tree->HitPositionsRightToLeft(Mirrored, Right - 1 - Case.Offset, Right);
        THitPositions Expected = Forward.HitPositions;
        if (Expected.Contains(hiOnItemRight)) {
            Expected.Exclude(hiOnItemRight);
            Expected.Include(hiOnItemLeft);
        }
        EXPECT_EQ(Mirrored.HitPositions, Expected) << Case.Node << " at " << Case.Offset;
    }
}

TEST(TreeMouse, RealMouseDrawsARubberBand) {
    SCREEN_TEST();
    TMouse M;
    auto* Options = M.Tree->TreeOptions();
    Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
    M.Form.Show();
    ASSERT_TRUE(WaitUntil([&] { return M.Tree->Showing(); }));
    SynthMouse(M.Tree, smDown, {150, 130});
    SynthMouse(M.Tree, smMove, {100, 100});
    SynthMouse(M.Tree, smMove, {10, 60});
    SynthMouse(M.Tree, smUp, {10, 60});
    EXPECT_TRUE(WaitUntil([&] { return M.Selected() == "d e f"; })) << M.Selected();
    EXPECT_TRUE(WaitUntil([&] { return !M.Tree->TreeStates().Contains(tsDrawSelecting); }));
}

TEST(TreeMouse, RubberBandIsDrawnWhileTheButtonHoldsIt) {
    SCREEN_TEST();
    for (const TLTDrawSelectionMode Mode : {smBlendedRectangle, smDottedRectangle}) {
        TMouse M;
        auto* Options = M.Tree->TreeOptions();
        Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
        M.Tree->SetColor(clWhite);
        M.Tree->Colors()->SetColor(ciSelectionRectangleBorderColor, clRed);
        M.Tree->Colors()->SetColor(ciSelectionRectangleBlendColor, clBlue);
        M.Tree->SetSelectionBlendFactor(128);
        M.Tree->SetDrawSelectionMode(Mode);
        M.Form.Show();
        ASSERT_TRUE(WaitUntil([&] { return M.Tree->Showing(); }));
        const int FrameX = (M.Tree->Width() - M.Tree->ClientWidth()) / 2;
        const int FrameY = (M.Tree->Height() - M.Tree->ClientHeight()) / 2;
        // From below the rows up across two of them: the band covers rows and the empty area.
        SynthMouse(M.Tree, smDown, {150, 135});
        SynthMouse(M.Tree, smMove, {120, 110});
        SynthMouse(M.Tree, smMove, {100, 60});
        ASSERT_TRUE(WaitUntil([&] { return M.Tree->TreeStates().Contains(tsDrawSelecting); }));
        auto B = GrabTree(M.Tree);
        TCanvas* C = B->Canvas();
        auto At = [&](int X, int Y) { return C->Pixels(FrameX + X, FrameY + Y); };
        const TColor White = TColor(ColorToRGB(clWhite));
        const std::string What = Mode == smBlendedRectangle ? "blended" : "dotted";
        // The left and right edges of the band, in a row and below the rows.
        int LeftInk = 0, RightInk = 0;
        for (int Y = 62; Y < 134; ++Y) {
            LeftInk += At(100, Y) != White;
            RightInk += At(149, Y) != White;
        }
        if (Mode == smBlendedRectangle) {
            EXPECT_EQ(At(100, 70), TColor(ColorToRGB(clRed))) << What;
            EXPECT_EQ(At(149, 125), TColor(ColorToRGB(clRed))) << What;
            EXPECT_EQ(At(125, 60), TColor(ColorToRGB(clRed))) << What;
            // Inside: white under half the blue.
            const TColor Inside = At(130, 125);
            EXPECT_NE(Inside, White) << What;
            EXPECT_NE(Inside, TColor(ColorToRGB(clBlue))) << What;
            EXPECT_GT(GetBValue(Inside), 200) << What;
            EXPECT_EQ(LeftInk, 72) << What;
        } else {
            // A dotted line: every other pixel of the edge is inked.
            EXPECT_GE(LeftInk, 30) << What;
            EXPECT_LE(LeftInk, 42) << What;
            EXPECT_GE(RightInk, 30) << What;
            EXPECT_EQ(At(130, 125), White) << What;
        }
        // Outside the band nothing changes.
        EXPECT_EQ(At(170, 125), White) << What;
        SynthMouse(M.Tree, smUp, {100, 60});
        ASSERT_TRUE(WaitUntil([&] { return !M.Tree->TreeStates().Contains(tsDrawSelecting); }));
        auto After = GrabTree(M.Tree);
        EXPECT_EQ(After->Canvas()->Pixels(FrameX + 130, FrameY + 125), White) << What;
        EXPECT_EQ(After->Canvas()->Pixels(FrameX + 100, FrameY + 125), White) << What;
    }
}

} // namespace
