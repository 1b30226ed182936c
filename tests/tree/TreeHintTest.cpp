// A tree's hints: which cell shows one in each hint mode, the pause on the tree's clock, a cut-off
// cell's tooltip exactly over its text, owner-drawn hints, and the window kept on the desktop.

#include "ScreenTestSupport.h"

#include "support/TestDriver.h"
#include "tree/LeanTreeEditor.h"
#include "tree/LeanTreeHint.h"

#include <string>

namespace {

// A shown form with a focused 220 x 120 string tree: a long and a short row, with two columns
// (80 and 120 wide) or none. The long text's first word holds the highest and the lowest strokes
// of all its letters, so that its start and the whole text reach equally high and low.
struct THints {
    // The clock and the texts outlive the form, whose tree still uses them as it goes.
    TLTManualTimers Clock;
    TTextTable Table;
    TForm Form{nullptr};
    TScreenTree* Tree;
    PLeanNode Long;
    PLeanNode Short;

    explicit THints(bool Columns, TLTHintMode Mode = hmTooltip) : Tree(new TScreenTree(&Form)) {
        Form.SetBounds(0, 0, 300, 200);
        Tree->SetParent(&Form);
        Tree->SetBounds(10, 10, 220, 120);
        Tree->Font()->SetName(u"Arial");
        Tree->Font()->SetSize(9);
        Tree->SetColor(clWhite);
        Tree->SetTimerService(&Clock);
        Tree->SetShowHint(true);
        Tree->SetHintMode(Mode);
        auto* Options = Tree->TreeOptions();
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        Options->SetPaintOptions(Options->PaintOptions() + TLTPaintOptions{toHideFocusRect});
        if (Columns) {
            TLTHeader* H = Tree->Header();
            H->Columns()->Add()->SetWidth(80);
            H->Columns()->Add()->SetWidth(120);
            H->SetOptions(H->Options() + TLTHeaderOptions{hoVisible});
        }
        Table.Bind(*Tree);
        Long = Table.Add(*Tree, nullptr, {u"Jolly yellow pages that run far past their cell", u"x"});
        Short = Table.Add(*Tree, nullptr, {u"Short", u"y"});
        Application->SetShowHint(true);
        Form.Show();
        Tree->SetFocus();
    }
    ~THints() { Application->CancelHint(); }

    // The pointer comes to rest at a client point for a while of the tree's clock.
    void Rest(TPoint P, Cardinal Milliseconds) {
        MouseMessage(Tree, WM_MOUSEMOVE, P);
        Clock.Advance(Milliseconds);
    }
    // The hint window shown now, or null.
    static THintWindow* Shown() {
        THintWindow* W = Application->HintWindow();
        return W && W->Visible() ? W : nullptr;
    }
    static TLeanTreeHintWindow* ShownOfTree() { return dynamic_cast<TLeanTreeHintWindow*>(Shown()); }
    // A point on the cell's text, near its start.
    TPoint OnText(PLeanNode Node, TColumnIndex Column) {
        const TRect R = Tree->GetDisplayRect(Node, Column, true, true, true);
        return {R.Left + 8, (R.Top + R.Bottom) / 2};
    }
    TPoint BelowTheRows() { return {40, 100}; }
};

// The box of the dark pixels of Area: the strokes of black text, whatever the background.
TRect DarkBox(TCanvas* C, const TRect& Area) {
    TRect Box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X) {
            const TColor P = C->Pixels(X, Y);
            if (GetRValue(P) + GetGValue(P) + GetBValue(P) < 200) {
                Box.Left = std::min(Box.Left, X);
                Box.Top = std::min(Box.Top, Y);
                Box.Right = std::max(Box.Right, X + 1);
                Box.Bottom = std::max(Box.Bottom, Y + 1);
            }
        }
    return Box.Left == INT32_MAX ? TRect{} : Box;
}

// Where a window's top-left pixel lies on the screen.
TPoint WindowOrigin(TWinControl* Control) {
    return Control->Parent() ? Control->Parent()->ClientToScreen({Control->Left(), Control->Top()})
                             : TPoint{Control->Left(), Control->Top()};
}

TEST(TreeHint, ACutOffCellShowsItsTextExactlyOverItAndOnlyThen) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        bool Columns;
        bool LongRow;
        TColumnIndex Column;
        bool Shown;
    };
    const TCase Cases[] = {
        {"cut off at the column's edge", true, true, 0, true},
        {"fits its column", true, false, 0, false},
        {"fits the second column", true, true, 1, false},
        {"cut off at the client edge", false, true, ColumnNone, true},
        {"fits the client area", false, false, ColumnNone, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        THints H(C.Columns);
        PLeanNode Node = C.LongRow ? H.Long : H.Short;
        H.Rest(H.OnText(Node, C.Column), 1);
        TLeanTreeHintWindow* W = THints::ShownOfTree();
        EXPECT_EQ(W != nullptr, C.Shown);
        EXPECT_EQ(H.Tree->TreeStates().Contains(tsHint), C.Shown);
        if (!W) continue;
        EXPECT_EQ(W->HintData().HintText, H.Tree->NodeText(Node, C.Column));
        EXPECT_EQ(W->HintData().Node, Node);

        // The hint's text lies on the screen exactly where the cell's text starts.
        TFont Font;
        TRect TextInfo;
        String Text;
        H.Tree->GetTextInfo(Node, C.Column, &Font, TextInfo, Text);
        auto TreePicture = GrabControl(H.Tree);
        const TPoint TreeOrigin = WindowOrigin(H.Tree);
        const TPoint Client = H.Tree->ClientToScreen({0, 0});
        TRect Cell = H.Tree->GetDisplayRect(Node, C.Column, false);
        OffsetRect(Cell, Client.X - TreeOrigin.X, Client.Y - TreeOrigin.Y);
        TRect CellInk = DarkBox(TreePicture->Canvas(), Cell);
        ASSERT_FALSE(IsRectEmpty(CellInk));
        OffsetRect(CellInk, TreeOrigin.X, TreeOrigin.Y);

        auto HintPicture = GrabControl(W);
        TRect Inner = W->ClientRect();
        InflateRect(Inner, -1, -1); // inside the frame
        TRect HintInk = DarkBox(HintPicture->Canvas(), Inner);
        ASSERT_FALSE(IsRectEmpty(HintInk));
        OffsetRect(HintInk, W->Left(), W->Top());
        EXPECT_EQ(HintInk.Left, CellInk.Left);
        EXPECT_EQ(HintInk.Top, CellInk.Top);
        EXPECT_EQ(HintInk.Bottom, CellInk.Bottom);
        // The whole text, where the cell shows only its start.
        EXPECT_GT(HintInk.Right, CellInk.Right);
        // The window covers the text's rectangle with a one-pixel frame.
        const TRect Over = H.Tree->LastHintRect();
        EXPECT_EQ(TPoint(W->Left(), W->Top()), H.Tree->ClientToScreen(TPoint{Over.Left - 1, Over.Top - 1}));
        EXPECT_EQ(W->Height(), Over.Height() + 2);
    }
}

TEST(TreeHint, ThePauseRunsOnTheTreesClock) {
    SCREEN_TEST();
    struct TCase {
        TLTHintMode Mode;
        Cardinal Pause;
    };
    for (const TCase& C : {TCase{hmTooltip, 1}, TCase{hmHint, 500}}) {
        SCOPED_TRACE(C.Mode);
        THints H(true, C.Mode);
        Application->SetHintPause(500);
        H.Tree->OnGetHint = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TLTTooltipLineBreakStyle&,
                               String& Text) { Text = u"about this row"; };
        H.Rest(H.OnText(H.Long, 0), C.Pause - 1);
        EXPECT_EQ(THints::Shown(), nullptr);
        H.Clock.Advance(1);
        EXPECT_NE(THints::ShownOfTree(), nullptr);
        EXPECT_FALSE(H.Clock.IsRunning(H.Tree, HintTimer));
    }
}

TEST(TreeHint, EachModeShowsItsOwnHint) {
    SCREEN_TEST();
    struct TCase {
        const char* Name;
        TLTHintMode Mode;
        bool OverShortRow;    // else below the rows
        const char16_t* Text; // nullptr: no hint
        bool TreeWindow;
    };
    const TCase Cases[] = {
        {"default: the control's short hint", hmDefault, true, u"Tree", false},
        {"hint: the row's hint", hmHint, true, u"hint of Short", true},
        {"hint: nothing below the rows", hmHint, false, nullptr, false},
        {"hint and default: the control's short hint below the rows", hmHintAndDefault, false, u"Tree", true},
        {"hint and default: the row's hint", hmHintAndDefault, true, u"hint of Short", true},
        {"tooltip: nothing over a text that fits", hmTooltip, true, nullptr, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        THints H(false, C.Mode);
        H.Tree->SetHint(u"Tree|The sketch tree");
        H.Tree->OnGetHint = [&](TBaseLeanTree*, PLeanNode Node, TColumnIndex Column,
                                TLTTooltipLineBreakStyle&,
                                String& Text) { Text = u"hint of " + H.Tree->NodeText(Node, Column); };
        const TPoint P = C.OverShortRow ? H.OnText(H.Short, ColumnNone) : H.BelowTheRows();
        H.Rest(P, 500);
        THintWindow* W = THints::Shown();
        ASSERT_EQ(W != nullptr, C.Text != nullptr);
        if (!W) continue;
        EXPECT_EQ(THints::ShownOfTree() != nullptr, C.TreeWindow);
        EXPECT_EQ(C.TreeWindow ? THints::ShownOfTree()->HintData().HintText : W->Caption(), C.Text);
        if (C.TreeWindow && C.OverShortRow) {
            // A row's hint goes below the row.
            const TRect Row = H.Tree->GetDisplayRect(H.Short, ColumnNone, false);
            EXPECT_GE(W->Top(), H.Tree->ClientToScreen(TPoint{0, Row.Bottom}).Y + 2);
        }
    }
}

TEST(TreeHint, ADecisionHoldsInsideItsAreaAndIsTakenAgainOutside) {
    SCREEN_TEST();
    THints H(true);
    H.Rest(H.OnText(H.Long, 0), 1);
    ASSERT_NE(THints::ShownOfTree(), nullptr);
    // On along the same text: the hint stays, no new pause.
    const TPoint Start = H.OnText(H.Long, 0);
    H.Rest({Start.X + 20, Start.Y}, 0);
    EXPECT_NE(THints::ShownOfTree(), nullptr);
    EXPECT_FALSE(H.Clock.IsRunning(H.Tree, HintTimer));
    // Over a text that fits: the hint goes and none comes.
    H.Rest(H.OnText(H.Short, 0), 1);
    EXPECT_EQ(THints::Shown(), nullptr);
    EXPECT_FALSE(H.Tree->TreeStates().Contains(tsHint));
    // Back over the long text: it comes again.
    H.Rest(H.OnText(H.Long, 0), 1);
    EXPECT_NE(THints::ShownOfTree(), nullptr);
}

TEST(TreeHint, KeysLeaveATreesTooltipAndAPressEndsIt) {
    SCREEN_TEST();
    THints H(true);
    H.Rest(H.OnText(H.Long, 0), 1);
    TLeanTreeHintWindow* W = THints::ShownOfTree();
    ASSERT_NE(W, nullptr);
    TMsg Key{0, WM_KEYDOWN, VK_DOWN, 0, 0, {}}, Frame{0, WM_NCMOUSEMOVE, 0, 0, 0, {}},
        Press{0, WM_LBUTTONDOWN, 0, 0, 0, {}};
    EXPECT_FALSE(W->IsHintMsg(Key));
    EXPECT_FALSE(W->IsHintMsg(Frame));
    EXPECT_TRUE(W->IsHintMsg(Press));
    // Through the application as the message loop hands the key over: the tooltip stays.
    TMsg M{H.Tree->Handle(), WM_KEYDOWN, VK_SHIFT, 0, 0, {}};
    Application->IsKeyMsg(H.Tree, M);
    EXPECT_NE(THints::ShownOfTree(), nullptr);
    Application->CancelHintFor(Press);
    EXPECT_EQ(THints::Shown(), nullptr);
    // A hidden window claims nothing.
    EXPECT_FALSE(W->IsHintMsg(Press));
}

TEST(TreeHint, AnOwnerDrawnHintShowsOnlyWhatItsHandlerDraws) {
    SCREEN_TEST();
    THints H(false, hmHint);
    H.Tree->OnGetHint = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TLTTooltipLineBreakStyle&, String& Text) {
        Text = u"text that is not drawn";
    };
    H.Tree->OnGetHintKind = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TLTHintKind& Kind) {
        Kind = vhkOwnerDraw;
    };
    H.Tree->OnGetHintSize = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TRect& R) { R = Rect(0, 0, 40, 20); };
    H.Tree->OnDrawHint = [](TBaseLeanTree*, TCanvas* C, PLeanNode, TRect R, TColumnIndex) {
        C->Brush()->SetColor(clRed);
        C->FillRect(R);
    };
    H.Rest(H.OnText(H.Short, ColumnNone), 500);
    TLeanTreeHintWindow* W = THints::ShownOfTree();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->Width(), 40);
    EXPECT_EQ(W->Height(), 20);
    auto Picture = GrabControl(W);
    EXPECT_EQ(CountColor(Picture->Canvas(), Rect(0, 0, 40, 20), clRed), 40 * 20);

    // Without a size the hint is not shown.
    Application->CancelHint();
    H.Tree->OnGetHintSize = nullptr;
    H.Rest(H.OnText(H.Long, ColumnNone), 500);
    EXPECT_EQ(THints::Shown(), nullptr);
}

TEST(TreeHint, TheWindowStaysOnTheDesktop) {
    SCREEN_TEST();
    THints H(false, hmHint);
    TLeanTreeHintWindow W(nullptr);
    TLTHintData Data;
    Data.Tree = H.Tree;
    Data.DefaultHint = u"a hint";
    const TRect Size = W.CalcHintRect(300, u" ", &Data);
    ASSERT_FALSE(IsRectEmpty(Size));
    const int Right = Screen->DesktopWidth(), Bottom = Screen->DesktopHeight();
    struct TCase {
        TPoint At;
        TPoint Expected;
    };
    const TCase Cases[] = {
        {{Right - 10, 50}, {Right - Size.Width(), 50}},
        {{30, Bottom - 5}, {30, Bottom - Size.Height()}},
        {{-20, -7}, {0, 0}},
        {{40, 60}, {40, 60}},
    };
    for (const TCase& C : Cases) {
        TRect R = Size;
        OffsetRect(R, C.At.X, C.At.Y);
        W.ActivateHint(R, u" ");
        EXPECT_EQ(TPoint(W.Left(), W.Top()), C.Expected);
        EXPECT_EQ(W.Width(), Size.Width());
    }
    // Hiding the hint forgets its data.
    W.Hide();
    EXPECT_EQ(W.HintData().Tree, nullptr);
}

TEST(TreeHint, APictureOfATreeInUse) {
    SCREEN_TEST();
    THints H(true);
    TScreenTree& T = *H.Tree;
    PLeanNode Edited = H.Table.Add(T, nullptr, {u"Edited", u"z"});
    PLeanNode Selected = H.Table.Add(T, nullptr, {u"Selected", u"w"});
    auto* Options = T.TreeOptions();
    Options->SetPaintOptions(Options->PaintOptions() + TLTPaintOptions{toHotTrack});
    Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toEditable});
    T.SetNodeSelected(Selected, true);
    ASSERT_TRUE(T.EditNode(Edited, 0));
    TLTEdit* Editor = std::dynamic_pointer_cast<TStringEditLink>(T.EditLink())->Edit();
    CharMessages(Editor, u"Renamed");
    // The pointer rests on the cut-off text: that row is hot and shows its tooltip.
    H.Rest(H.OnText(H.Long, 0), 1);
    TLeanTreeHintWindow* W = THints::ShownOfTree();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(T.HotNode(), H.Long);
    EXPECT_TRUE(T.IsEditing());
    EXPECT_EQ(T.FocusedNode(), Edited);
    EXPECT_TRUE(T.NodeSelected(Selected));

    // The tree with its editor, and the hint window where it lies over the tree.
    auto Picture = GrabControl(&H.Form);
    auto Hint = GrabControl(W);
    const TPoint Form = H.Form.ClientToScreen({0, 0});
    const TPoint At{W->Left() - Form.X, W->Top() - Form.Y};
    Picture->Canvas()->Draw(At.X, At.Y, Hint.get());
    TTempFolder Folder;
    GrabToPng(Picture.get(), Folder, "tree-in-use.png");
    // The hint's text runs on over the second column, where the tree itself shows only "x".
    const TPoint TreeClient = T.ClientToScreen({0, 0});
    int Left = 0, Right = 0;
    ASSERT_TRUE(T.Header()->ColumnBounds(1, Left, Right));
    const TRect HintOverColumn{TreeClient.X - Form.X + Left + 20, At.Y + 1, TreeClient.X - Form.X + Right,
                               At.Y + W->Height() - 1};
    EXPECT_FALSE(IsRectEmpty(DarkBox(Picture->Canvas(), HintOverColumn)));
    EXPECT_TRUE(Editor->Visible());
}

} // namespace
