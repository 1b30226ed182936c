// The string tree at the keyboard: keys delivered as window messages move the focus and the
// selection, scroll, expand and collapse, work check boxes, and search by typed text. Pauses
// come from a clock the test advances.

#include "ScreenTestSupport.h"

#include "platform/gui/Menus.h"
#include "support/TestDriver.h"

#include <cctype>
#include <map>
#include <string>

namespace {

class TKeyTree : public TLeanStringTree {
public:
    using TLeanStringTree::QueryNodeContentWidth;
    using TLeanStringTree::TLeanStringTree;
    int Beeps = 0;
    void DoBeep() override { ++Beeps; }
};

// A 200 x 100 string tree of named nodes ("a", "a/b": b under a), every node expanded.
struct TKeys : TNamedNodes {
    TLTManualTimers Clock; // outlives the form, whose tree forgets its timers when it goes
    TForm Form{nullptr};
    TKeyTree* Tree;

    explicit TKeys(const std::vector<std::string>& Paths) : Tree(new TKeyTree(&Form)) {
        Form.SetBounds(0, 0, 300, 200);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 100);
        Tree->SetTimerService(&Clock);
        auto* Options = Tree->TreeOptions();
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        Tree->OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TVSTTextType, String& Text) {
            const std::string& Name = Names[Node];
            const auto Slash = Name.rfind('/');
            const std::string Leaf = Slash == std::string::npos ? Name : Name.substr(Slash + 1);
            Text = String(Leaf.begin(), Leaf.end());
        };
        AddPaths(*Tree, Paths);
        Tree->FullExpand();
        Tree->HandleNeeded();
    }
    std::string Focused() const { return NameOf(Tree->FocusedNode()); }
    std::string Selected() const { return SelectedIn(*Tree); }
    void Focus(const std::string& Name) {
        Tree->SetFocusedNode(Nodes.at(Name));
        Tree->ClearSelection();
        Tree->SetNodeSelected(Nodes.at(Name), true);
    }
    // Each character as its key: letters by their key code, capitals with Shift, '\b' Backspace.
    void Type(const std::string& Text) {
        for (char Ch : Text) {
            if (Ch == '\b')
                KeyMessages(Tree, VK_BACK);
            else
                KeyMessages(Tree, static_cast<Word>(std::toupper(static_cast<unsigned char>(Ch))),
                            std::isupper(static_cast<unsigned char>(Ch)) ? TShiftState{ssShift}
                                                                         : TShiftState{});
        }
    }
};

const std::vector<std::string> Shape = {"a", "a/b", "a/c", "d", "e", "e/f", "g"};

TEST(TreeKeys, NavigationKeysMoveFocusAndSelection) {
    SCREEN_TEST();
    struct TCase {
        const char* Start;
        bool MultiSelect;
        std::vector<std::pair<Word, TShiftState>> Keys;
        const char* Focused;
        const char* Selected;
    };
    const TCase Cases[] = {
        {"a", false, {{VK_DOWN, {}}}, "a/b", "a/b"},
        {"a/c", false, {{VK_UP, {}}, {VK_UP, {}}}, "a", "a"},
        {"a/b", false, {{VK_END, {}}}, "g", "g"},
        {"g", false, {{VK_HOME, {}}}, "a", "a"},
        {"a/c", false, {{VK_LEFT, {}}}, "a", "a"},
        {"a/c", false, {{VK_BACK, {}}}, "a", "a"},
        {"d", false, {{VK_RIGHT, {}}}, "d", "d"},
        {"a", true, {{VK_DOWN, {ssShift}}, {VK_DOWN, {ssShift}}, {VK_DOWN, {ssShift}}}, "d", "a a/b a/c d"},
        {"a", true, {{VK_DOWN, {ssShift}}, {VK_DOWN, {ssShift}}, {VK_UP, {ssShift}}}, "a/b", "a a/b"},
        {"a", false, {{VK_DOWN, {ssShift}}}, "a/b", "a/b"},
        {"a/b", true, {{VK_END, {ssShift}}}, "g", "a/b a/c d e e/f g"},
        {"a", false, {{VK_DOWN, {ssCtrl}}}, "a", "a"},
    };
    for (const TCase& Case : Cases) {
        TKeys K(Shape);
        if (Case.MultiSelect) {
            auto* Options = K.Tree->TreeOptions();
            Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toMultiSelect});
        }
        K.Focus(Case.Start);
        for (const auto& [Key, Shift] : Case.Keys)
            KeyMessages(K.Tree, Key, Shift);
        EXPECT_EQ(K.Focused(), Case.Focused) << Case.Start << " " << Case.Keys.size();
        EXPECT_EQ(K.Selected(), Case.Selected) << Case.Start << " " << Case.Keys.size();
    }
}

TEST(TreeKeys, KeysExpandCollapseAndScroll) {
    SCREEN_TEST();
    TKeys K(Shape);
    TKeyTree& T = *K.Tree;
    K.Focus("a");
    KeyMessages(&T, VK_LEFT); // an expanded node collapses first
    EXPECT_FALSE(T.Expanded(K["a"]));
    KeyMessages(&T, VK_ADD);
    EXPECT_TRUE(T.Expanded(K["a"]));
    KeyMessages(&T, VK_SUBTRACT);
    EXPECT_FALSE(T.Expanded(K["a"]));
    KeyMessages(&T, VK_OEM_PLUS, {ssShift}); // "+" on the main keyboard
    EXPECT_TRUE(T.Expanded(K["a"]));
    KeyMessages(&T, VK_OEM_2); // "/"
    EXPECT_FALSE(T.Expanded(K["a"]));
    KeyMessages(&T, VK_SUBTRACT, {ssCtrl, ssShift});
    KeyMessages(&T, VK_ADD, {ssCtrl, ssShift});
    EXPECT_TRUE(T.Expanded(K["a"]) && T.Expanded(K["e"]));

    // Ctrl scrolls and leaves the focus where it is.
    KeyMessages(&T, VK_DOWN, {ssCtrl});
    EXPECT_EQ(T.OffsetY(), -static_cast<int>(T.DefaultNodeHeight()));
    KeyMessages(&T, VK_UP, {ssCtrl});
    EXPECT_EQ(T.OffsetY(), 0);
    EXPECT_EQ(K.Focused(), "a");

    // A key action handler that refuses keeps the tree still.
    T.OnKeyAction = [](TBaseLeanTree*, Word&, TShiftState&, bool& DoDefault) { DoDefault = false; };
    KeyMessages(&T, VK_DOWN);
    EXPECT_EQ(K.Focused(), "a");
    T.OnKeyAction = nullptr;
    // Without nodes the arrow keys do nothing.
    T.Clear();
    KeyMessages(&T, VK_DOWN);
    EXPECT_EQ(K.Focused(), "nil");
}

TEST(TreeKeys, SpaceChecksOnRelease) {
    SCREEN_TEST();
    TKeys K(Shape);
    TKeyTree& T = *K.Tree;
    auto* Options = T.TreeOptions();
    Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toCheckSupport});
    K["d"]->CheckType = ctCheckBox;
    K["g"]->CheckType = ctButton;
    int Checking = 0, Checked = 0;
    T.OnChecking = [&](TBaseLeanTree*, PLeanNode, TCheckState&, bool&) { ++Checking; };
    T.OnChecked = [&](TBaseLeanTree*, PLeanNode) { ++Checked; };
    K.Focus("d");

    // The whole path once, as a real key of the toolkit.
    SynthKey(&T, VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return K["d"]->CheckState == csCheckedNormal; }));
    EXPECT_EQ(Checking, 1);
    EXPECT_EQ(Checked, 1);

    // Another key before the release brings the box back up unchanged.
    TestDriverDetail::DeliverKey(&T, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(K["d"]->CheckState, csCheckedPressed);
    KeyMessages(&T, VK_RIGHT);
    TestDriverDetail::DeliverKey(&T, WM_KEYUP, VK_SPACE, 1);
    EXPECT_EQ(K["d"]->CheckState, csCheckedNormal);
    EXPECT_EQ(Checked, 1);

    // A push button fires and stays up.
    K.Focus("g");
    KeyMessages(&T, VK_SPACE);
    EXPECT_EQ(K["g"]->CheckState, csUncheckedNormal);
    EXPECT_EQ(Checked, 2);

    // Read-only: nothing changes.
    Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toReadOnly});
    K.Focus("d");
    KeyMessages(&T, VK_SPACE);
    EXPECT_EQ(K["d"]->CheckState, csCheckedNormal);
    EXPECT_EQ(Checked, 2);
}

TEST(TreeKeys, F2EditsOnlyWithoutModifiers) {
    SCREEN_TEST();
    TKeys K(Shape);
    TKeyTree& T = *K.Tree;
    auto* Options = T.TreeOptions();
    Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toEditable});
    int Asked = 0;
    T.OnEditing = [&](TBaseLeanTree*, PLeanNode, TColumnIndex, bool& Allowed) {
        ++Asked;
        Allowed = false;
    };
    K.Focus("d");
    KeyMessages(&T, VK_F2, {ssShift});
    EXPECT_EQ(Asked, 0);
    KeyMessages(&T, VK_F2);
    EXPECT_EQ(Asked, 1);
}

TEST(TreeKeys, IncrementalSearch) {
    SCREEN_TEST();
    const std::vector<std::string> Names = {"apple", "apricot", "banana",  "Berry",
                                            "blue",  "bl",      "bl/blob", "cherry"};
    struct TCase {
        const char* Start; // focused node before typing ("" for none)
        TLTIncrementalSearch Mode;
        TLTSearchStart From;
        std::vector<std::string> Steps; // texts typed, "|" is a pause past the timeout
        const char* Focused;
        int Beeps;
        TLTSearchDirection Direction = sdForward;
    };
    const TCase Cases[] = {
        {"apple", isAll, ssFocusedNode, {"ap"}, "apricot", 0},
        {"apple", isAll, ssFocusedNode, {"b", "l"}, "blue", 0},
        {"apple", isAll, ssFocusedNode, {"b", "|", "a"}, "apple", 0},
        {"apple", isAll, ssFocusedNode, {"bbb"}, "bl", 0},
        {"apple", isAll, ssFocusedNode, {"bbbb"}, "bl/blob", 0},
        {"apple", isAll, ssFocusedNode, {"bbbbb"}, "banana", 0},
        {"banana", isAll, ssFocusedNode, {"bl\b"}, "banana", 0},
        {"cherry", isAll, ssFocusedNode, {"a"}, "apple", 0},
        {"apple", isAll, ssFocusedNode, {"B"}, "Berry", 0},
        {"apple", isAll, ssFocusedNode, {"x"}, "apple", 1},
        {"", isAll, ssFocusedNode, {"x"}, "nil", 1},
        {"apple", isAll, ssAlwaysStartOver, {"q"}, "apple", 1},
        {"apple", isAll, ssAlwaysStartOver, {"c"}, "cherry", 0},
        {"apple", isNone, ssFocusedNode, {"b"}, "apple", 0},
        {"bl", isVisibleOnly, ssFocusedNode, {"blo"}, "blue", 1},
        {"cherry", isAll, ssFocusedNode, {"b"}, "bl/blob", 0, sdBackward},
        {"banana", isAll, ssFocusedNode, {"b"}, "bl/blob", 0, sdBackward}, // wraps past the first node
        {"banana", isAll, ssFocusedNode, {"bb"}, "bl", 0, sdBackward},
        {"apple", isAll, ssFocusedNode, {"c"}, "cherry", 0, sdBackward},
        {"", isAll, ssFocusedNode, {"a"}, "apricot", 0, sdBackward}, // from the last node
        {"apple", isAll, ssAlwaysStartOver, {"x"}, "apple", 1, sdBackward},
    };
    for (const TCase& Case : Cases) {
        TKeys K(Names);
        TKeyTree& T = *K.Tree;
        T.SetIncrementalSearch(Case.Mode);
        T.SetIncrementalSearchStart(Case.From);
        T.SetIncrementalSearchDirection(Case.Direction);
        if (Case.Mode == isVisibleOnly) T.FullCollapse();
        if (*Case.Start) K.Focus(Case.Start);
        for (const auto& Step : Case.Steps) {
            if (Step == "|")
                K.Clock.Advance(T.IncrementalSearchTimeout() + 1);
            else
                K.Type(Step);
        }
        const std::string What = std::string(Case.Start) + " " + Case.Steps[0];
        EXPECT_EQ(K.Focused(), Case.Focused) << What;
        EXPECT_EQ(T.Beeps, Case.Beeps) << What;
        if (std::string(Case.Focused) != "nil" && Case.Beeps == 0 && Case.Mode != isNone) {
            EXPECT_EQ(K.Selected(), Case.Focused) << What;
        }
    }
    // The buffer lasts until the pause.
    TKeys K(Names);
    K.Tree->SetIncrementalSearch(isAll);
    K.Focus("apple");
    K.Type("ba");
    EXPECT_EQ(K.Tree->SearchBuffer(), u"ba");
    EXPECT_TRUE(K.Tree->TreeStates().Contains(tsIncrementalSearching));
    K.Clock.Advance(999);
    EXPECT_EQ(K.Tree->SearchBuffer(), u"ba");
    K.Clock.Advance(2);
    EXPECT_EQ(K.Tree->SearchBuffer(), u"");
    EXPECT_FALSE(K.Tree->TreeStates().Contains(tsIncrementalSearching));
}

// The tree of three rows under six 60-pixel columns, the focus moving between cells.
struct TCellKeys : TKeys {
    TCellKeys() : TKeys({"a", "b", "c"}) {
        for (int I = 0; I < 6; ++I)
            Tree->Header()->Columns()->Add()->SetWidth(60);
        Tree->Header()->SetMainColumn(0);
        Tree->SetWantTabs(true);
        auto* Options = Tree->TreeOptions();
        Options->SetSelectionOptions(Options->SelectionOptions() + TLTSelectionOptions{toExtendedFocus});
    }
    void FocusCell(const std::string& Name, TColumnIndex Column) {
        Focus(Name);
        Tree->SetFocusedColumn(Column);
    }
    std::string Cell() const { return Focused() + ":" + std::to_string(Tree->FocusedColumn()); }
};

TEST(TreeKeys, KeysMoveBetweenCells) {
    SCREEN_TEST();
    struct TCase {
        const char* Start;
        TColumnIndex Column;
        bool Grid;
        Word Key;
        TShiftState Shift;
        const char* Cell;
    };
    const TCase Cases[] = {
        {"b", 0, false, VK_TAB, {}, "b:1"},
        {"b", 5, false, VK_TAB, {}, "c:0"},                // past the row's last cell: the next row
        {"b", 0, false, VK_TAB, {ssShift}, "a:5"},         // before its first: the previous row's last
        {"c", 5, false, VK_TAB, {}, "c:5"},                // nowhere further
        {"b", 0, false, VK_NEXT, {ssShift, ssAlt}, "b:3"}, // a client width of columns
        {"b", 5, false, VK_PRIOR, {ssShift, ssAlt}, "b:2"},
        {"b", 2, true, VK_HOME, {}, "b:0"}, // grid: the row stays, the column goes
        {"b", 2, true, VK_END, {}, "b:5"},
        {"b", 2, true, VK_HOME, {ssCtrl}, "a:0"},
        {"b", 2, true, VK_RIGHT, {}, "b:3"},
        {"b", 2, true, VK_LEFT, {}, "b:1"},
        {"b", 2, false, VK_HOME, {}, "a:2"}, // without the grid: rows only
    };
    for (const TCase& Case : Cases) {
        TCellKeys K;
        if (Case.Grid) {
            auto* Options = K.Tree->TreeOptions();
            Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toGridExtensions});
        }
        K.FocusCell(Case.Start, Case.Column);
        KeyMessages(K.Tree, Case.Key, Case.Shift);
        EXPECT_EQ(K.Cell(), Case.Cell) << Case.Start << ":" << Case.Column << " key " << Case.Key;
    }
}

TEST(TreeKeys, TabSkipsCellsThatRefuseTheFocus) {
    SCREEN_TEST();
    TCellKeys K;
    auto* C = K.Tree->Header()->Columns()->Items(1);
    C->SetOptions(C->Options() - TLTColumnOptions{coAllowFocus});
    K.Tree->OnFocusChanging = [](TBaseLeanTree*, PLeanNode, PLeanNode, TColumnIndex, TColumnIndex New,
                                 bool& Allowed) { Allowed = New != 2; };
    K.FocusCell("a", 0);
    KeyMessages(K.Tree, VK_TAB);
    EXPECT_EQ(K.Cell(), "a:3");
}

TEST(TreeKeys, CtrlPlusFitsAndCtrlMinusRestoresColumns) {
    SCREEN_TEST();
    TCellKeys K;
    auto* C = K.Tree->Header()->Columns()->Items(0);
    KeyMessages(K.Tree, VK_ADD, {ssCtrl});
    const int Fitted = C->Width();
    EXPECT_LT(Fitted, 60); // one-letter texts
    KeyMessages(K.Tree, VK_SUBTRACT, {ssCtrl});
    EXPECT_EQ(C->Width(), 60);
}

TEST(TreeKeys, AutoFitAsksBeforeEachColumnAndReportsAfter) {
    SCREEN_TEST();
    TCellKeys K;
    std::string Log;
    K.Tree->OnBeforeAutoFitColumns = [&](TLTHeader*, TSmartAutoFitType& Type) {
        Log += "[";
        Type = smaAllColumns;
    };
    K.Tree->OnBeforeAutoFitColumn = [&](TLTHeader*, TColumnIndex Column, TSmartAutoFitType& Type, bool& Allowed) {
        Log += " ?" + std::to_string(Column) + (Type == smaAllColumns ? "s" : "");
        Allowed = Column != 2;
    };
    K.Tree->OnAfterAutoFitColumn = [&](TLTHeader*, TColumnIndex Column) { Log += " !" + std::to_string(Column); };
    K.Tree->OnAfterAutoFitColumns = [&](TLTHeader*) { Log += " ]"; };
    TLeanTreeColumns* Columns = K.Tree->Header()->Columns();
    K.Tree->Header()->AutoFitColumns(false, smaNoColumn, 1, 3);
    EXPECT_EQ(Log, "[ ?1s !1 ?2s ?3s !3 ]");
    EXPECT_LT(Columns->Items(1)->Width(), 60);
    EXPECT_EQ(Columns->Items(2)->Width(), 60); // refused
    EXPECT_LT(Columns->Items(3)->Width(), 60);
    EXPECT_EQ(Columns->Items(4)->Width(), 60); // outside the range
    Log.clear();
    K.Tree->Header()->AutoFitColumns(false, smaNoColumn, 5, 2); // an empty range
    EXPECT_EQ(Log, "");
}

TEST(TreeKeys, MenuKeyAndF1) {
    SCREEN_TEST();
    TKeys K(Shape);
    TPopupMenu Menu(nullptr);
    std::string AskedFor;
    K.Tree->OnGetPopupMenu = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TPoint, bool&,
                                 TPopupMenu*& Result) {
        AskedFor = K.NameOf(Node);
        Result = &Menu;
    };
    KeyMessages(K.Tree, VK_APPS);
    EXPECT_EQ(Menu.PopupComponent(), nullptr); // nothing focused: no menu
    K.Focus("a/c");
    KeyMessages(K.Tree, VK_APPS);
    EXPECT_EQ(AskedFor, "a/c");
    EXPECT_EQ(Menu.PopupComponent(), K.Tree);
    const TRect R = K.Tree->GetDisplayRect(K["a/c"], ColumnNone, true);
    const int Width = K.Tree->QueryNodeContentWidth(K["a/c"], ColumnNone);
    EXPECT_EQ(Menu.PopupPoint(), K.Tree->ClientToScreen({R.Left + Width / 2, (R.Top + R.Bottom) / 2}));

    // F1: the first node up the path that has a context, else the tree's own.
    std::vector<std::intptr_t> Shown;
    Application->OnHelp = [&](Word, std::intptr_t Data, bool&) {
        Shown.push_back(Data);
        return true;
    };
    K.Tree->OnGetHelpContext = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, int& Context) {
        if (K.NameOf(Node) == "a") Context = 77;
    };
    K.Tree->SetHelpContext(5);
    KeyMessages(K.Tree, VK_F1);
    K.Focus("d");
    KeyMessages(K.Tree, VK_F1);
    Application->OnHelp = nullptr;
    EXPECT_EQ(Shown, (std::vector<std::intptr_t>{77, 5}));
}

} // namespace
