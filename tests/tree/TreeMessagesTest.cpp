// The tree answers the standard tree view's queries by message (next item, item record, item
// rectangle), the worker's state message, and the focus messages that repaint it.

#include "ScreenTestSupport.h"

#include "support/TestDriver.h"
#include "tree/LeanTreeMessages.h"

#include <cstring>
#include <string>

namespace {

struct TMessages : TNamedNodes {
    TForm Form{nullptr};
    TScreenTree* Tree;

    TMessages() : Tree(new TScreenTree(&Form)) {
        Form.SetBounds(0, 0, 300, 250);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 200, 150);
        auto* Options = Tree->TreeOptions();
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        Tree->OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex, TVSTTextType, String& Text) {
            const std::string& Name = Names[Node];
            Text = String(Name.begin(), Name.end());
        };
        AddPaths(*Tree, {"a", "a/b", "a/c", "d", "e"});
        Tree->HandleNeeded();
    }
    std::string Next(WPARAM Code, PLeanNode Node) {
        return NameOf(reinterpret_cast<PLeanNode>(
            SendMessage(Tree->Handle(), TVM_GETNEXTITEM, Code, reinterpret_cast<LPARAM>(Node))));
    }
};

TEST(TreeMessages, NextItemQueriesWalkTheTree) {
    SCREEN_TEST();
    TMessages M;
    M.Tree->SetExpanded(M["a"], true);
    M.Tree->SetFocusedNode(M["d"]);
    struct TCase {
        WPARAM Code;
        const char* From;
        const char* Answer;
    };
    const TCase Cases[] = {
        {TVGN_ROOT, nullptr, "a"},
        {TVGN_NEXT, "a", "d"},
        {TVGN_PREVIOUS, "d", "a"},
        {TVGN_PARENT, "a/c", "a"},
        {TVGN_PARENT, "a", "nil"},
        {TVGN_CHILD, "a", "a/b"},
        {TVGN_FIRSTVISIBLE, nullptr, "a"},
        {TVGN_NEXTVISIBLE, "a", "a/b"},
        {TVGN_PREVIOUSVISIBLE, "d", "a/c"},
        {TVGN_DROPHILITE, nullptr, "nil"},
        {TVGN_CARET, nullptr, "d"},
        {TVGN_LASTVISIBLE, nullptr, "e"},
        {11, "a", "nil"},
        {TVGN_NEXT, nullptr, "nil"},
        {TVGN_PARENT, nullptr, "nil"},
        {TVGN_CHILD, nullptr, "nil"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(M.Next(Case.Code, Case.From ? M[Case.From] : nullptr), Case.Answer)
            << Case.Code << " " << (Case.From ? Case.From : "nil");
}

TEST(TreeMessages, ItemQueryFillsWhatTheMaskAsksFor) {
    SCREEN_TEST();
    TMessages M;
    M.Tree->OnGetImageIndex = [&](TBaseLeanTree*, PLeanNode Node, TLTImageKind Kind, TColumnIndex, bool&,
                                  int& Index) {
        if (Node != M["a"]) return;
        if (Kind == ikState) Index = 2;
        if (Kind == ikNormal) Index = 5;
        if (Kind == ikOverlay) Index = 0;
    };
    M.Tree->SetExpanded(M["a"], true);
    M.Tree->SetFocusedNode(M["a"]);
    M.Tree->SetNodeSelected(M["a"], true);

    TTVItemW Item;
    Item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    Item.hItem = M["a"];
    EXPECT_EQ(SendMessage(M.Tree->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Item)), 1);
    EXPECT_EQ(Item.cChildren, 2);
    EXPECT_EQ(Item.iImage, 5);
    EXPECT_EQ(Item.iSelectedImage, -1);
    EXPECT_EQ(Item.stateMask, 0xFF2Fu);
    // Focused, selected, expanded; state image 2 as 3 in bits 12..15, overlay 0 as 1 in bits 8..11.
    EXPECT_EQ(Item.state, TVIS_FOCUSED | TVIS_SELECTED | TVIS_EXPANDED | (3u << 12) | (1u << 8));

    // Without TVIF_HANDLE or a node nothing is answered.
    TTVItemW NoHandle;
    NoHandle.mask = TVIF_CHILDREN;
    NoHandle.hItem = M["a"];
    EXPECT_EQ(SendMessage(M.Tree->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&NoHandle)), 0);
    EXPECT_EQ(NoHandle.cChildren, 0);
}

TEST(TreeMessages, ItemTextIsCutToTheBufferAndNeverWrittenIntoNone) {
    SCREEN_TEST();
    TMessages M;
    M.Names[M["d"]] = "delta";
    struct TCase {
        int Size;
        const char16_t* Text; // what the buffer holds afterwards
    };
    const TCase Cases[] = {{10, u"delta"}, {6, u"delta"},     {3, u"de"},
                           {1, u""},       {0, u"#########"}, {-4, u"#########"}};
    for (const TCase& Case : Cases) {
        Char Buffer[10];
        std::fill(std::begin(Buffer), std::end(Buffer), u'#');
        Buffer[9] = 0;
        TTVItemW Item;
        Item.mask = TVIF_HANDLE | TVIF_TEXT;
        Item.hItem = M["d"];
        Item.pszText = Buffer;
        Item.cchTextMax = Case.Size;
        EXPECT_EQ(SendMessage(M.Tree->Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Item)), 1);
        EXPECT_EQ(String(Buffer), String(Case.Text)) << Case.Size;
    }
}

TEST(TreeMessages, ItemRectangleOfVisibleNodesOnly) {
    SCREEN_TEST();
    TMessages M;
    auto Query = [&](PLeanNode Node, bool TextOnly, TRect& R) {
        R = TRect{};
        std::memcpy(static_cast<void*>(&R), &Node, sizeof Node);
        return SendMessage(M.Tree->Handle(), TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&R));
    };
    TRect R;
    EXPECT_EQ(Query(M["d"], false, R), 1);
    EXPECT_EQ(R, M.Tree->GetDisplayRect(M["d"], ColumnNone, false));
    EXPECT_EQ(Query(M["d"], true, R), 1);
    EXPECT_EQ(R, M.Tree->GetDisplayRect(M["d"], ColumnNone, true));
    M.Tree->SetNodeVisible(M["e"], false);
    EXPECT_EQ(Query(M["e"], false, R), 0);
}

TEST(TreeMessages, WorkerStateMessageEntersAndLeavesCacheStates) {
    SCREEN_TEST();
    std::vector<std::pair<TLeanTreeStates, TLeanTreeStates>> Seen; // outlives the tree's last change
    TMessages M;
    M.Tree->OnStateChange = [&](TBaseLeanTree*, TLeanTreeStates Enter, TLeanTreeStates Leave) {
        Seen.emplace_back(Enter, Leave);
    };
    SendMessage(M.Tree->Handle(), WM_TREESTATECHANGE, TreeStateUseCache | TreeStateValidating,
                TreeStateStopValidation);
    ASSERT_FALSE(Seen.empty());
    EXPECT_EQ(Seen.back().first, (TLeanTreeStates{tsUseCache, tsValidating}));
    EXPECT_EQ(Seen.back().second, (TLeanTreeStates{tsStopValidation}));
    EXPECT_TRUE(M.Tree->TreeStates().Contains(tsUseCache));
}

TEST(TreeMessages, LosingTheFocusEndsPressesAndRepaints) {
    SCREEN_TEST();
    TMessages M;
    M.Tree->SetTreeStates(M.Tree->TreeStates() +
                          TLeanTreeStates{tsLeftButtonDown, tsEditPending, tsOLEDragPending});
    M.Tree->SetFocusedNode(M["d"]);
    SendMessage(M.Tree->Handle(), WM_KILLFOCUS, 0, 0);
    const TLeanTreeStates States = M.Tree->TreeStates();
    EXPECT_FALSE(States.Contains(tsLeftButtonDown));
    EXPECT_FALSE(States.Contains(tsEditPending));
    EXPECT_FALSE(States.Contains(tsOLEDragPending));
}

} // namespace
