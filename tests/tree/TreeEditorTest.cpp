// Editing a string tree's cells in place: the editor over the cell, its keys, focus loss, the
// editing events, and the calls that start and end an edit. Keys come as window messages to the
// editor; one test types with real toolkit keys.

#include "ScreenTestSupport.h"

#include "platform/base/Exceptions.h"
#include "support/TestDriver.h"
#include "tree/LeanTreeEditor.h"

#include <string>
#include <vector>

namespace {

// A shown form with an editable 200 x 120 string tree of named nodes ("a", "a/b": b under a,
// all expanded), whose texts the test keeps, and a second control to move the focus to.
struct TEditing : TNamedNodes {
    // The clock, texts and log outlive the form, whose tree still uses them as it goes.
    TLTManualTimers Clock;
    std::map<PLeanNode, String> Texts;
    std::vector<std::string> Log;
    TForm Form{nullptr};
    TScreenTree* Tree;
    TEdit* Other;

    explicit TEditing(const std::vector<std::string>& Paths = {"a", "a/b", "c", "d"})
        : Tree(new TScreenTree(&Form)), Other(new TEdit(&Form)) {
        Form.SetBounds(0, 0, 300, 200);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 120);
        Tree->Font()->SetName(u"Arial");
        Tree->Font()->SetSize(9);
        Tree->SetTimerService(&Clock);
        Other->SetParent(&Form);
        Other->SetBounds(210, 0, 80, 24);
        auto* Options = Tree->TreeOptions();
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toEditable});
        AddPaths(*Tree, Paths);
        for (const auto& [Name, Node] : Nodes) {
            const auto Slash = Name.rfind('/');
            const std::string Leaf = Slash == std::string::npos ? Name : Name.substr(Slash + 1);
            Texts[Node] = String(Leaf.begin(), Leaf.end());
        }
        Tree->OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TVSTTextType Type,
                                 String& Text) {
            if (Type == ttNormal) Text = Texts[Node];
        };
        Tree->OnNewText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex, const String& Text) {
            Texts[Node] = Text;
            Log.push_back("new " + NameOf(Node) + "=" + Narrow(Text));
        };
        Tree->OnEdited = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex) {
            Log.push_back("edited " + NameOf(Node));
        };
        Tree->OnEditCancelled = [this](TBaseLeanTree*, TColumnIndex) { Log.push_back("cancelled"); };
        Tree->FullExpand();
        Form.Show();
        Tree->SetFocus();
    }
    static std::string Narrow(const String& S) { return std::string(S.begin(), S.end()); }
    std::shared_ptr<TStringEditLink> Link() const {
        return std::dynamic_pointer_cast<TStringEditLink>(Tree->EditLink());
    }
    TLTEdit* Editor() const { return Link() ? Link()->Edit() : nullptr; }
    std::string EditorText() const { return Editor() ? Narrow(Editor()->Text()) : "-"; }
    void Focus(const std::string& Name) {
        Tree->SetFocusedNode(Nodes.at(Name));
        Tree->ClearSelection();
        Tree->SetNodeSelected(Nodes.at(Name), true);
    }
    void StartEdit(const std::string& Name) {
        Focus(Name);
        KeyMessages(Tree, VK_F2);
        ASSERT_TRUE(Tree->IsEditing());
        ASSERT_NE(Editor(), nullptr);
    }
};

// One step of a test: a key at the editor, or text typed into it.
struct TStep {
    Word Key = 0;
    TShiftState Shift;
    const char16_t* Text = nullptr;
};
TStep Key(Word K, TShiftState S = {}) {
    return {K, S, nullptr};
}
TStep Type(const char16_t* T) {
    return {0, {}, T};
}

TEST(TreeEditor, KeysInTheEditorEndCancelOrMoveTheEdit) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        bool Multiline;
        std::vector<TStep> Steps;
        std::vector<std::string> Log;
        const char* EditingNode; // "-" when no edit runs at the end
        const char* EditorText;
    };
    const TCase Cases[] = {
        {"typed text accepted by Enter",
         false,
         {Type(u"xyz"), Key(VK_RETURN)},
         {"new a=xyz", "edited a"},
         "-",
         "-"},
        {"no change, no new text", false, {Key(VK_RETURN)}, {"edited a"}, "-", "-"},
        {"Escape drops the typing", false, {Type(u"xyz"), Key(VK_ESCAPE)}, {"cancelled"}, "-", "-"},
        {"Tab goes on to the next visible node",
         false,
         {Type(u"x"), Key(VK_TAB)},
         {"new a=x", "edited a"},
         "a/b",
         "b"},
        {"Tab twice",
         false,
         {Key(VK_TAB), Type(u"y"), Key(VK_TAB)},
         {"edited a", "new a/b=y", "edited a/b"},
         "c",
         "c"},
        {"Up and Down move the caret in a single line",
         false,
         {Key(VK_HOME), Key(VK_DOWN), Type(u"-"), Key(VK_RETURN)},
         {"new a=a-", "edited a"},
         "-",
         "-"},
        {"Ctrl+A selects everything",
         false,
         {Key(VK_END), Key('A', {ssCtrl}), Type(u"q"), Key(VK_RETURN)},
         {"new a=q", "edited a"},
         "-",
         "-"},
        {"Enter breaks a multi-line text", true, {Type(u"x"), Key(VK_RETURN), Type(u"y")}, {}, "a", "x\r\ny"},
        {"Ctrl+Enter ends a multi-line edit",
         true,
         {Type(u"x"), Key(VK_RETURN), Type(u"y"), Key(VK_RETURN, {ssCtrl})},
         {"new a=x\r\ny", "edited a"},
         "-",
         "-"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditing E;
        if (C.Multiline) {
            E.Tree->OnInitNode = [&](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
                if (Node == E["a"]) States.Include(ivsMultiline);
            };
            E.Tree->ReinitNode(E["a"], false);
            ASSERT_TRUE(E["a"]->States.Contains(vsMultiline));
        }
        E.StartEdit("a");
        for (const TStep& S : C.Steps) {
            TLTEdit* Editor = E.Editor();
            ASSERT_NE(Editor, nullptr);
            if (S.Text)
                CharMessages(Editor, S.Text);
            else
                KeyMessages(Editor, S.Key, S.Shift);
        }
        EXPECT_EQ(E.Log, C.Log);
        EXPECT_EQ(E.Tree->IsEditing() ? E.NameOf(E.Tree->FocusedNode()) : "-", C.EditingNode);
        EXPECT_EQ(E.EditorText(), C.EditorText);
        if (!E.Tree->IsEditing()) {
            EXPECT_TRUE(E.Tree->Focused());
        }
        ProcessMessages(); // the ended editors free themselves
    }
}

TEST(TreeEditor, LosingTheFocusAcceptsOrCancelsAsTheOptionSays) {
    SCREEN_TEST();
    struct TCase {
        bool AutoAccept;
        std::vector<std::string> Log;
    };
    for (const TCase& C : {TCase{true, {"new c=typed", "edited c"}}, TCase{false, {"cancelled"}}}) {
        SCOPED_TRACE(C.AutoAccept);
        TEditing E;
        auto* Options = static_cast<TCustomStringTreeOptions*>(E.Tree->TreeOptions());
        Options->SetStringOptions(C.AutoAccept
                                      ? Options->StringOptions() + TLTStringOptions{toAutoAcceptEditChange}
                                      : Options->StringOptions() - TLTStringOptions{toAutoAcceptEditChange});
        E.StartEdit("c");
        CharMessages(E.Editor(), u"typed");
        E.Other->SetFocus();
        EXPECT_FALSE(E.Tree->IsEditing());
        EXPECT_EQ(E.Log, C.Log);
        EXPECT_EQ(E.Narrow(E.Texts[E["c"]]), C.AutoAccept ? "typed" : "c");
    }
}

TEST(TreeEditor, TheEditorLiesOverTheCellTextAndGrowsWithIt) {
    SCREEN_TEST();
    TEditing E;
    E.StartEdit("d");
    TLTEdit* Editor = E.Editor();
    const TRect Text = E.Tree->GetDisplayRect(E["d"], ColumnNone, true, true);
    EXPECT_EQ(Editor->Parent(), E.Tree);
    EXPECT_TRUE(Editor->Visible());
    EXPECT_TRUE(Editor->Focused());
    EXPECT_EQ(Editor->Left(), Text.Left);
    EXPECT_EQ(Editor->Top(), Text.Top);
    EXPECT_GE(Editor->Width(), 30);
    EXPECT_EQ(E.EditorText(), "d");

    // Typing widens it; deleting narrows it again.
    const int Start = Editor->Width();
    CharMessages(Editor, u"a longer text");
    const int Wide = Editor->Width();
    EXPECT_GT(Wide, Start);
    EXPECT_EQ(Editor->Left(), Text.Left);
    for (int I = 0; I < 8; ++I)
        KeyMessages(Editor, VK_BACK);
    EXPECT_LT(Editor->Width(), Wide);
    // Never past the tree's client area.
    CharMessages(Editor, u"a text much too long for the two hundred pixels of this tree");
    EXPECT_EQ(Editor->BoundsRect().Right, E.Tree->ClientWidth());
}

TEST(TreeEditor, BoundsKeepAMinimumWidthInsideTheTree) {
    SCREEN_TEST();
    struct TCase {
        TAlignment Alignment;
        TRect Asked;
        TRect Given;
    };
    const TCase Cases[] = {
        {taLeftJustify, Rect(5, 2, 15, 20), Rect(5, 2, 35, 20)},
        {taRightJustify, Rect(50, 2, 60, 20), Rect(30, 2, 60, 20)},
        {taLeftJustify, Rect(-8, 2, 60, 20), Rect(0, 2, 60, 20)},
        {taLeftJustify, Rect(150, 2, 400, 20), Rect(150, 2, 196, 20)},
    };
    for (const TCase& C : Cases) {
        TEditing E;
        E.Tree->SetAlignment(C.Alignment);
        E.StartEdit("a");
        const int ClientWidth = E.Tree->ClientWidth();
        E.Link()->SetBounds(C.Asked);
        TRect Given = C.Given;
        if (Given.Right == 196) Given.Right = ClientWidth;
        EXPECT_EQ(E.Editor()->BoundsRect(), Given) << C.Asked.Left << "," << C.Asked.Right;
    }
}

TEST(TreeEditor, ALinkServesOneEdit) {
    SCREEN_TEST();
    TEditing E;
    E.StartEdit("a");
    auto Link = E.Link();
    CharMessages(E.Editor(), u"z");
    EXPECT_TRUE(E.Tree->EndEditNode());
    EXPECT_EQ(E.Log, (std::vector<std::string>{"new a=z", "edited a"}));
    // A second end, a cancel, a new start or new bounds change nothing.
    EXPECT_FALSE(Link->EndEdit());
    EXPECT_FALSE(Link->CancelEdit());
    EXPECT_FALSE(Link->BeginEdit());
    Link->SetBounds(Rect(0, 0, 100, 100));
    EXPECT_EQ(E.Log.size(), 2u);
    EXPECT_EQ(Link->Edit() ? Link->Edit()->Visible() : false, false);
}

TEST(TreeEditor, ARefusedTextKeepsTheEditRunning) {
    SCREEN_TEST();
    TEditing E;
    E.Tree->OnNewText = [](TBaseLeanTree*, PLeanNode, TColumnIndex, const String& Text) {
        if (Text.empty()) throw Exception(u"A name is needed.");
    };
    E.StartEdit("a");
    KeyMessages(E.Editor(), VK_DELETE);
    EXPECT_THROW(E.Tree->EndEditNode(), Exception);
    EXPECT_TRUE(E.Tree->IsEditing());
    CharMessages(E.Editor(), u"b");
    EXPECT_TRUE(E.Tree->EndEditNode());
    EXPECT_FALSE(E.Tree->IsEditing());
}

TEST(TreeEditor, EditingCallsFollowTheOptionsAndOnEditing) {
    SCREEN_TEST();
    TEditing E;
    EXPECT_THROW(E.Tree->EditNode(E["a"], -2), EAssertionFailed);
    EXPECT_THROW(E.Tree->EditNode(nullptr, ColumnNone), EAssertionFailed);
    EXPECT_TRUE(E.Tree->EndEditNode());
    EXPECT_TRUE(E.Tree->CancelEditNode());

    // OnEditing may refuse a node.
    E.Tree->OnEditing = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, bool& Allowed) {
        Allowed = Node != E["c"];
    };
    EXPECT_FALSE(E.Tree->EditNode(E["c"], ColumnNone));
    EXPECT_EQ(E.Tree->FocusedNode(), E["c"]);
    EXPECT_TRUE(E.Tree->EditNode(E["d"], ColumnNone));
    EXPECT_TRUE(E.Tree->IsEditing());
    // While an edit runs, another start answers that an edit runs.
    EXPECT_TRUE(E.Tree->EditNode(E["a"], ColumnNone));
    EXPECT_EQ(E.Tree->FocusedNode(), E["d"]);
    EXPECT_TRUE(E.Tree->CancelEditNode());
    EXPECT_EQ(E.Log, (std::vector<std::string>{"cancelled"}));

    // Tab stops where the next node may not be edited.
    E.Log.clear();
    E.Tree->OnEditing = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex, bool& Allowed) {
        Allowed = Node != E["d"];
    };
    E.StartEdit("c");
    KeyMessages(E.Editor(), VK_TAB);
    EXPECT_FALSE(E.Tree->IsEditing());
    EXPECT_EQ(E.Tree->FocusedNode(), E["d"]);

    // Without toEditable nothing is edited (unless OnEditing insists).
    E.Tree->OnEditing = nullptr;
    auto* Options = E.Tree->TreeOptions();
    Options->SetMiscOptions(Options->MiscOptions() - TLTMiscOptions{toEditable});
    EXPECT_FALSE(E.Tree->EditNode(E["a"], ColumnNone));
    EXPECT_FALSE(E.Tree->IsEditing());
}

TEST(TreeEditor, RealKeysEditACell) {
    SCREEN_TEST();
    TEditing E;
    E.Focus("c");
    SynthKey(E.Tree, VK_F2);
    ASSERT_TRUE(WaitUntil([&] { return E.Editor() && E.Editor()->Focused(); }));
    for (Word K : {'N', 'E', 'W'})
        SynthKey(E.Editor(), K);
    ASSERT_TRUE(WaitUntil([&] { return E.EditorText() == "new"; }));
    SynthKey(E.Editor(), VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !E.Tree->IsEditing(); }));
    EXPECT_EQ(E.Log, (std::vector<std::string>{"new c=new", "edited c"}));
    EXPECT_TRUE(WaitUntil([&] { return E.Tree->Focused(); }));
}

} // namespace
