// The header under the mouse: presses on a column's right edge drag its width, presses on a
// column drag it to another position, the lower edge drags the header's height, and clicks and
// double clicks reach the header's events. The messages are those the window gets: non-client
// ones over the header, client ones once the header holds the mouse.

#include "ScreenTestSupport.h"

#include "platform/gui/Menus.h"
#include "support/TestDriver.h"

#include <string>
#include <vector>

namespace {

// A 300 x 150 string tree under a visible header of three 60-pixel columns.
struct THeaderMouse {
    TForm Form{nullptr};
    TLeanStringTree* Tree;
    TLTHeader* H;
    std::vector<std::string> Log;

    THeaderMouse() : Tree(new TLeanStringTree(&Form)) {
        Form.SetBounds(0, 0, 400, 250);
        Tree->SetParent(&Form);
        Tree->SetBounds(0, 0, 300, 150);
        H = Tree->Header();
        for (int I = 0; I < 3; ++I)
            H->Columns()->Add()->SetWidth(60);
        H->SetOptions(H->Options() + TLTHeaderOptions{hoVisible, hoColumnResize, hoDrag});
        Tree->HandleNeeded();
        auto Note = [this](const std::string& S) { Log.push_back(S); };
        Tree->OnHeaderClick = [Note](TLTHeader*, const TLTHeaderHitInfo& Hit) {
            Note("click " + std::to_string(Hit.Column));
        };
        Tree->OnHeaderDblClick = [Note](TLTHeader*, const TLTHeaderHitInfo& Hit) {
            Note("dblclick " + std::to_string(Hit.Column));
        };
        Tree->OnBeforeColumnWidthTracking = [Note](TLTHeader*, TColumnIndex C, TShiftState) {
            Note("before " + std::to_string(C));
        };
        Tree->OnColumnWidthTracking = [Note](TLTHeader*, TColumnIndex C, TShiftState, TPoint&, TPoint,
                                             bool&) { Note("tracking " + std::to_string(C)); };
        Tree->OnAfterColumnWidthTracking = [Note](TLTHeader*, TColumnIndex C) {
            Note("after " + std::to_string(C));
        };
        Tree->OnHeaderDragged = [Note](TLTHeader*, TColumnIndex C, int Old) {
            Note("dragged " + std::to_string(C) + " from " + std::to_string(Old));
        };
        Tree->OnHeaderDraggedOut = [Note](TLTHeader*, TColumnIndex C, TPoint) {
            Note("out " + std::to_string(C));
        };
    }
    // A point of the header strip: client Y is negative there.
    TPoint InHeader(int X) const { return {X, -H->Height() / 2}; }
    // What the window gets for a mouse event at a client point: over the header a non-client
    // message with the screen point, unless the header holds the mouse.
    void Send(UINT ClientMsg, UINT NonClientMsg, TPoint P) {
        const bool Held = GetCapture() == Tree->Handle();
        if (P.Y < 0 && !Held) {
            SendMessage(Tree->Handle(), NonClientMsg, HTBORDER, PointToLParam(Tree->ClientToScreen(P)));
            return;
        }
        MouseMessage(Tree, ClientMsg, P);
    }
    void Down(TPoint P) {
        SetKeyState(VK_LBUTTON, true);
        Send(WM_LBUTTONDOWN, WM_NCLBUTTONDOWN, P);
    }
    void Move(TPoint P) { Send(WM_MOUSEMOVE, WM_NCMOUSEMOVE, P); }
    void Up(TPoint P) {
        SetKeyState(VK_LBUTTON, false);
        Send(WM_LBUTTONUP, WM_NCLBUTTONUP, P);
    }
    std::vector<TColumnPosition> Positions() const {
        std::vector<TColumnPosition> P;
        for (int I = 0; I < 3; ++I)
            P.push_back(H->Columns()->Items(I)->Position());
        return P;
    }
    std::string Text() const {
        std::string S;
        for (const auto& L : Log)
            S += (S.empty() ? "" : ", ") + L;
        return S;
    }
};

TEST(HeaderMouse, DraggingAColumnEdgeChangesItsWidth) {
    SCREEN_TEST();
    struct TCase {
        std::vector<int> MovesTo; // X of each move after the press on column 0's right edge
        int Width;
        const char* Events;
    };
    const TCase Cases[] = {
        // The first move only starts the tracking; the width follows the moves after it.
        {{}, 60, "before 0"},
        {{80}, 60, "before 0, after 0"},
        {{80, 95}, 95, "before 0, tracking 0, after 0"},
        {{80, 4}, 10, "before 0, tracking 0, after 0"}, // not below the column's smallest width
    };
    for (const TCase& Case : Cases) {
        THeaderMouse M;
        M.Down(M.InHeader(60));
        for (int X : Case.MovesTo)
            M.Move(M.InHeader(X));
        M.Up(M.InHeader(Case.MovesTo.empty() ? 60 : Case.MovesTo.back()));
        EXPECT_EQ(M.H->Columns()->Items(0)->Width(), Case.Width) << Case.MovesTo.size();
        EXPECT_EQ(M.Text(), Case.Events) << Case.MovesTo.size();
        EXPECT_FALSE(M.H->MouseStateActive());
        EXPECT_NE(GetCapture(), M.Tree->Handle());
    }
}

TEST(HeaderMouse, DraggingAColumnMovesIt) {
    SCREEN_TEST();
    struct TCase {
        int DropX;
        bool Escape;
        std::vector<TColumnPosition> Positions;
        const char* Events;
    };
    const TCase Cases[] = {
        {170, false, {2, 0, 1}, "dragged 0 from 0"}, // right half of the column at position 2
        {125, false, {1, 0, 2}, "dragged 0 from 0"}, // its left half
        {500, false, {0, 1, 2}, "out 0"},            // beyond the window
        // Escape ends the drag where it is; the release is then a plain one over the header.
        {170, true, {0, 1, 2}, "click 2"},
    };
    for (const TCase& Case : Cases) {
        THeaderMouse M;
        M.Down(M.InHeader(30));
        EXPECT_TRUE(M.H->States().Contains(hsDragPending));
        M.Move(M.InHeader(Case.DropX));
        M.Move(M.InHeader(Case.DropX));
        EXPECT_TRUE(M.H->States().Contains(hsDragging)) << Case.DropX;
        if (Case.Escape) KeyMessages(M.Tree, VK_ESCAPE);
        M.Up(M.InHeader(Case.DropX));
        EXPECT_EQ(M.Positions(), Case.Positions) << Case.DropX;
        EXPECT_EQ(M.Text(), Case.Events) << Case.DropX;
        EXPECT_FALSE(M.H->MouseStateActive());
    }
}

TEST(HeaderMouse, ClicksAndDoubleClicksReachTheHeaderEvents) {
    SCREEN_TEST();
    THeaderMouse M;
    M.Down(M.InHeader(90));
    M.Up(M.InHeader(90));
    const TPoint S = M.Tree->ClientToScreen(M.InHeader(150));
    SendMessage(M.Tree->Handle(), WM_NCLBUTTONDBLCLK, HTBORDER, PointToLParam(S));
    SendMessage(M.Tree->Handle(), WM_NCRBUTTONDBLCLK, HTBORDER, PointToLParam(S));
    EXPECT_EQ(M.Text(), "click 1, dblclick 2, dblclick 2");
    // A right click with neither a header menu nor OnGetPopupMenu is left to the library.
    EXPECT_EQ(SendMessage(M.Tree->Handle(), WM_NCRBUTTONUP, HTBORDER, PointToLParam(S)), 0);

    // With the header menu the right click pops it up for the tree.
    TPopupMenu Menu(nullptr);
    int Shown = 0;
    Menu.OnPopup = [&](TObject*) { ++Shown; };
    M.H->SetPopupMenu(&Menu);
    SendMessage(M.Tree->Handle(), WM_NCRBUTTONUP, HTBORDER, PointToLParam(S));
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Menu.PopupComponent(), M.Tree);
    M.H->SetPopupMenu(nullptr);
}

TEST(HeaderMouse, LowerEdgeTracksTheHeight) {
    SCREEN_TEST();
    struct TCase {
        bool Visible;
        int PressY; // client Y: the header's lower edge is at 0
        bool Tracks;
    };
    const TCase Cases[] = {{true, -1, true}, {true, 1, true}, {true, 2, false}, {false, 1, false}};
    for (const TCase& Case : Cases) {
        THeaderMouse M;
        M.H->SetOptions(M.H->Options() + TLTHeaderOptions{hoHeightResize});
        if (!Case.Visible) M.H->SetOptions(M.H->Options() - TLTHeaderOptions{hoVisible});
        const int Before = M.H->Height();
        M.Down({100, Case.PressY});
        EXPECT_EQ(M.H->States().Contains(hsHeightTrackPending), Case.Tracks) << Case.PressY;
        M.Move({100, Case.PressY + 10});
        M.Move({100, Case.PressY + 10});
        M.Up({100, Case.PressY + 10});
        EXPECT_EQ(M.H->Height(), Case.Tracks ? Before + Case.PressY + 10 : Before) << Case.PressY;
    }
}

TEST(HeaderMouse, DoubleClicksOnEdgesFitAColumnOrSetTheSmallestHeight) {
    SCREEN_TEST();
    THeaderMouse M;
    M.H->SetOptions(M.H->Options() + TLTHeaderOptions{hoHeightDblClickResize, hoDblClickResize});
    M.H->SetMinHeight(12);
    M.H->SetHeight(30);
    M.H->SetDefaultHeight(25);
    // The lower edge's double click gives the smallest height, not the default one.
    MouseMessage(M.Tree, WM_LBUTTONDBLCLK, {100, 1});
    EXPECT_EQ(M.H->Height(), 12);

    // The edge of a column fits the column to its widest cell.
    TTextTable Table;
    Table.Bind(*M.Tree);
    Table.Add(*M.Tree, nullptr, {u"a rather long text that is wider than sixty", u"b", u"c"});
    int Fitted = -1;
    M.Tree->OnColumnWidthDblClickResize = [&](TLTHeader*, TColumnIndex C, TShiftState, TPoint, bool&) {
        Fitted = C;
    };
    SendMessage(M.Tree->Handle(), WM_NCLBUTTONDBLCLK, HTBORDER,
                PointToLParam(M.Tree->ClientToScreen(M.InHeader(60))));
    EXPECT_EQ(Fitted, 0);
    EXPECT_GT(M.H->Columns()->Items(0)->Width(), 150);
    EXPECT_EQ(M.H->Columns()->Items(1)->Width(), 60);
}

TEST(HeaderMouse, ColumnCheckBoxAdvances) {
    SCREEN_TEST();
    THeaderMouse M;
    TLeanTreeColumn* C = M.H->Columns()->Items(1);
    struct TCase {
        TCheckType Type;
        TCheckState From, To;
    };
    const TCase Cases[] = {
        {ctCheckBox, csUncheckedNormal, csCheckedNormal},
        {ctCheckBox, csCheckedNormal, csUncheckedNormal},
        {ctTriStateCheckBox, csMixedNormal, csCheckedNormal},
        {ctRadioButton, csCheckedNormal, csCheckedNormal},
        {ctButton, csUncheckedNormal, csUncheckedNormal},
    };
    for (const TCase& Case : Cases) {
        C->SetCheckType(Case.Type);
        C->SetCheckState(Case.From);
        M.Tree->AdvanceColumnCheckState(1);
        EXPECT_EQ(C->CheckState(), Case.To) << int(Case.Type) << " " << int(Case.From);
    }
    EXPECT_EQ(TBaseLeanTree::CheckImagesOfKind(ckCustom), nullptr);
    EXPECT_NE(TBaseLeanTree::CheckImagesOfKind(ckDarkTick), nullptr);
    EXPECT_NE(TBaseLeanTree::CheckImagesOfKind(ckDarkTick), TBaseLeanTree::CheckImagesOfKind(ckLightCheck));
}

TEST(HeaderMouse, RealMouseDragsAColumnEdge) {
    SCREEN_TEST();
    THeaderMouse M;
    M.Form.Show();
    ASSERT_TRUE(WaitUntil([&] { return M.Tree->Showing(); }));
    SynthMouse(M.Tree, smDown, M.InHeader(60));
    SynthMouse(M.Tree, smMove, M.InHeader(70));
    SynthMouse(M.Tree, smMove, M.InHeader(100));
    SynthMouse(M.Tree, smUp, M.InHeader(100));
    EXPECT_TRUE(WaitUntil([&] { return M.H->Columns()->Items(0)->Width() == 100; }));
    EXPECT_TRUE(WaitUntil([&] { return !M.H->MouseStateActive(); }));
}

} // namespace
