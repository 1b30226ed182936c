// The grid base: geometry, scrolling by the scroll messages and the keyboard, sizing and
// moving with the mouse, the in-place editor and its hooks, and what a grid looks like.
#include "CommonControlsTestSupport.h"
#include "support/TestDriver.h"

#include "platform/base/Format.h"
#include "platform/gui/Grids.h"

namespace {

// A string grid on a shown form, 5 columns by 100 rows, default 64 x 24 cells with 1-pixel
// lines, a client area of 300 x 200 without scroll bars unless asked.
struct GridFixture : ::testing::Test {
    TForm* Form = nullptr;
    TStringGrid* Grid = nullptr;
    void Make(TScrollStyle Bars = StdCtrls::ssNone) {
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 420, 320);
        Grid = new TStringGrid(Form);
        Grid->SetParent(Form);
        Grid->SetScrollBars(Bars);
        Grid->SetColCount(5);
        Grid->SetRowCount(100);
        Grid->SetBounds(0, 0, 304, 204); // 2-pixel client edge each side
        for (int R = 0; R < 100; ++R)
            for (int C = 0; C < 5; ++C)
                Grid->SetCells(C, R, Format(u"%d:%d", {C, R}));
        Form->Show();
    }
    void TearDown() override { delete Form; }
};

} // namespace

TEST_F(GridFixture, CellRectanglesAndCellsUnderPoints) {
    Make();
    ASSERT_EQ(Grid->ClientWidth(), 300);
    ASSERT_EQ(Grid->ClientHeight(), 200);
    Grid->SetColWidths(2, 30);
    Grid->SetRowHeights(3, 40);
    struct {
        int Col, Row;
        TRect Rect;
    } const Rects[] = {
        {0, 0, {0, 0, 64, 24}},     {1, 1, {65, 25, 129, 49}},   {2, 1, {130, 25, 160, 49}},
        {3, 3, {161, 75, 225, 115}}, {4, 4, {226, 116, 290, 140}}, {4, 7, {226, 191, 290, 215}}, // cut by the client
        {1, 8, {}},                  {5, 1, {}},                  {-1, 0, {}},
    };
    for (const auto& C : Rects)
        EXPECT_EQ(Grid->CellRect(C.Col, C.Row), C.Rect) << C.Col << "," << C.Row;
    struct {
        int X, Y, Col, Row;
    } const Points[] = {{0, 0, 0, 0}, {64, 24, 0, 0}, {65, 25, 1, 1}, {159, 74, 2, 2}, {161, 100, 3, 3},
                        {295, 10, -1, -1}, {10, 199, 0, 7}};
    for (const auto& P : Points) {
        const TGridCoord C = Grid->MouseCoord(P.X, P.Y);
        EXPECT_EQ(C.X, P.Col) << P.X << "," << P.Y;
        EXPECT_EQ(C.Y, P.Row) << P.X << "," << P.Y;
    }
    TGridDrawInfo D;
    Grid->CalcDrawInfo(D);
    EXPECT_EQ(D.Horz.FixedBoundary, 65);
    EXPECT_EQ(D.Vert.FixedBoundary, 25);
    EXPECT_EQ(D.Horz.LastFullVisibleCell, 4);
    EXPECT_EQ(D.Vert.LastFullVisibleCell, 6);
    EXPECT_EQ(Grid->VisibleRowCount(), 6);
    EXPECT_EQ(Grid->VisibleColCount(), 4);
    // Fixed counts must leave a scrolled cell.
    EXPECT_THROW(Grid->SetFixedCols(5), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetRowCount(1), EInvalidGridOperation);
    EXPECT_EQ(Grid->FixedCols(), 1);
    EXPECT_THROW(Grid->SetColWidths(9, 10), EListError);
}

TEST_F(GridFixture, ScrollMessagesAndKeysMoveTheTopRow) {
    Make(StdCtrls::ssBoth);
    const HWND Wnd = Grid->Handle();
    const int Page = Grid->VisibleRowCount();
    ASSERT_GT(Page, 2);
    struct {
        int Code;
        int TopRow;
    } const Steps[] = {{SB_LINEDOWN, 2}, {SB_LINEDOWN, 3}, {SB_PAGEDOWN, 3 + Page}, {SB_LINEUP, 2 + Page},
                       {SB_PAGEUP, 2},   {SB_BOTTOM, 100 - Page}, {SB_LINEDOWN, 100 - Page}, {SB_TOP, 1}};
    for (const auto& S : Steps) {
        SendMessage(Wnd, WM_VSCROLL, S.Code, 0);
        EXPECT_EQ(Grid->TopRow(), S.TopRow) << S.Code;
        EXPECT_EQ(GetScrollPos(Wnd, SB_VERT), S.TopRow - 1);
    }
    // The thumb moves the rows only while tracking is on, and always when it is let go.
    SetScrollPos(Wnd, SB_VERT, 40, false);
    SendMessage(Wnd, WM_VSCROLL, SB_THUMBTRACK, 0);
    EXPECT_EQ(Grid->TopRow(), 1);
    SendMessage(Wnd, WM_VSCROLL, SB_THUMBPOSITION, 0);
    EXPECT_EQ(Grid->TopRow(), 41);

    int TopChanges = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++TopChanges; };
    Grid->SetTopRow(1);
    Grid->SetFocus();
    // The current cell follows the keys and the rows scroll to show it.
    KeyMessages(Grid, VK_END, {ssCtrl});
    EXPECT_EQ(Grid->Row(), 99);
    EXPECT_EQ(Grid->TopRow(), 100 - Page);
    KeyMessages(Grid, VK_HOME, {ssCtrl});
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_EQ(Grid->TopRow(), 1);
    KeyMessages(Grid, VK_NEXT);
    EXPECT_EQ(Grid->Row(), 1 + Page);
    KeyMessages(Grid, VK_RIGHT);
    KeyMessages(Grid, VK_RIGHT);
    KeyMessages(Grid, VK_RIGHT);
    KeyMessages(Grid, VK_RIGHT); // past the last column: stays
    EXPECT_EQ(Grid->Col(), 4);
    EXPECT_EQ(Grid->LeftCol(), 2);
    EXPECT_EQ(TopChanges, 5); // SetTopRow, Ctrl+End, Ctrl+Home, Page Down, the columns
    // Shift extends the selection from the anchor.
    KeyMessages(Grid, VK_DOWN, {ssShift});
    KeyMessages(Grid, VK_LEFT, {ssShift});
    EXPECT_EQ(Grid->Selection(), (TGridRect{3, 1 + Page, 4, 2 + Page}));
    // A cell the descendant refuses is not entered.
    Grid->OnSelectCell = [](TObject*, int ACol, int, bool& Can) { Can = ACol != 2; };
    KeyMessages(Grid, VK_LEFT);
    EXPECT_EQ(Grid->Col(), 3);
}

TEST_F(GridFixture, BordersAreDraggedAndColumnsMoved) {
    Make();
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing, goRowSizing, goColMoving});
    // Column 1's right border lies at x 129 in the fixed row.
    MouseDownMessage(Grid, {129, 10});
    EXPECT_EQ(Grid->GridState(), gsColSizing);
    MouseMessage(Grid, WM_MOUSEMOVE, {150, 10});
    MouseUpMessage(Grid, {150, 10});
    EXPECT_EQ(Grid->ColWidths(1), 85);
    EXPECT_EQ(Grid->GridState(), gsNormal);
    // Row 2's lower border at y 74 in the fixed column.
    MouseDownMessage(Grid, {30, 74});
    EXPECT_EQ(Grid->GridState(), gsRowSizing);
    MouseMessage(Grid, WM_MOUSEMOVE, {30, 60});
    MouseUpMessage(Grid, {30, 60});
    EXPECT_EQ(Grid->RowHeights(2), 10);
    // A title dragged onto another column moves the column with its cells and width.
    int From = -1, To = -1;
    Grid->OnColumnMoved = [&](TObject*, int F, int T) { From = F, To = T; };
    MouseDownMessage(Grid, {100, 10});
    EXPECT_EQ(Grid->GridState(), gsColMoving);
    MouseUpMessage(Grid, {250, 10});
    EXPECT_EQ(From, 1);
    EXPECT_EQ(To, 3);
    EXPECT_EQ(Grid->Cells(3, 5), u"1:5");
    EXPECT_EQ(Grid->Cells(1, 5), u"2:5");
    EXPECT_EQ(Grid->ColWidths(3), 85);
    EXPECT_EQ(Grid->ColWidths(1), 64);
    // Sizing needs its option.
    Grid->SetOptions(Grid->Options() - TGridOptions{goColSizing});
    MouseDownMessage(Grid, {194, 10});
    EXPECT_NE(Grid->GridState(), gsColSizing);
    MouseUpMessage(Grid, {194, 10});
}

TEST_F(GridFixture, TheEditorCoversTheCellAndWritesThroughTheHooks) {
    Make();
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Grid->SetFocus();
    Grid->SetRow(2);
    Grid->SetCol(2);
    KeyMessages(Grid, VK_F2);
    TInplaceEdit* Ed = Grid->InplaceEditor();
    ASSERT_NE(Ed, nullptr);
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_TRUE(Ed->Visible());
    EXPECT_EQ(Ed->BoundsRect(), Grid->CellRect(2, 2));
    EXPECT_EQ(Ed->Text(), u"2:2");
    EXPECT_TRUE(Ed->Focused());
    CharMessages(Ed, u"new");
    EXPECT_EQ(Grid->Cells(2, 2), u"new");
    // Escape puts the cell's text back into the editor and closes it.
    KeyMessages(Ed, VK_ESCAPE);
    EXPECT_FALSE(Ed->Visible());
    EXPECT_TRUE(Grid->Focused());
    // Typing over a cell opens the editor with what was typed.
    CharMessages(Grid, u"x");
    EXPECT_TRUE(Ed->Visible());
    EXPECT_EQ(Grid->Cells(2, 2), u"x");
    // Down goes to the grid, and the editor follows the current cell.
    KeyMessages(Ed, VK_DOWN);
    EXPECT_EQ(Grid->Row(), 3);
    EXPECT_EQ(Ed->BoundsRect(), Grid->CellRect(2, 3));
    EXPECT_EQ(Ed->Text(), u"2:3");
    KeyMessages(Ed, VK_RETURN);
    EXPECT_FALSE(Grid->EditorMode());
}

TEST_F(GridFixture, AMaskedCellKeepsTheEditorUntilItIsFilled) {
    Make();
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing, goAlwaysShowEditor});
    Grid->OnGetEditMask = [](TObject*, int ACol, int, String& Mask) {
        if (ACol == 1) Mask = u"00:00;1;_";
        if (ACol == 3) Mask = u"00\\"; // malformed
    };
    Grid->SetCells(1, 1, u"");
    Grid->SetFocus();
    Grid->SetCol(1);
    Grid->SetRow(1);
    TInplaceEdit* Ed = Grid->InplaceEditor();
    ASSERT_NE(Ed, nullptr);
    EXPECT_EQ(Ed->EditText(), u"__:__");
    CharMessages(Ed, u"12");
    EXPECT_EQ(Grid->Cells(1, 1), u"12:  ");
    // Leaving a half-filled cell is refused with the mask's error, and nothing moves.
    EXPECT_THROW(Grid->SetRow(2), EDBEditError);
    EXPECT_EQ(Grid->Row(), 1);
    CharMessages(Ed, u"34");
    EXPECT_EQ(Grid->Cells(1, 1), u"12:34");
    Grid->SetRow(2);
    EXPECT_EQ(Grid->Row(), 2);
    // A malformed mask of a cell is an error with the mask in its text.
    try {
        Grid->SetCol(3);
        ADD_FAILURE() << "no error";
    } catch (const EDBEditError& E) {
        EXPECT_NE(E.Message().find(u"00\\"), String::npos);
    }
}

TEST_F(GridFixture, PicturesOfFixedCellsSelectionAndEditor) {
    Make(StdCtrls::ssBoth);
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing, goRangeSelect});
    Grid->SetFocus();
    Grid->SetSelection({1, 2, 2, 3});
    ProcessMessages();
    QImage Shot = Grab(Grid);
    SaveGrab(Shot, "morvane-grid-selection.png");
    // Fixed cells in the button face, selected cells highlighted, others the window colour,
    // lines between them.
    EXPECT_EQ(PixelAt(Shot, 2 + 30, 2 + 12), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(Shot, 2 + 140, 2 + 80), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(Shot, 2 + 250, 2 + 150), ColorToRGB(clWindow));
    EXPECT_EQ(PixelAt(Shot, 2 + 64, 2 + 12), ColorToRGB(clBlack));
    EXPECT_EQ(PixelAt(Shot, 2 + 200, 2 + 49), ColorToRGB(clSilver));

    // Scrolled to row 50 with the editor open over a cell.
    Grid->SetTopRow(50);
    Grid->SetRow(52);
    Grid->SetCol(2);
    KeyMessages(Grid, VK_F2);
    ProcessMessages();
    Shot = Grab(Grid);
    SaveGrab(Shot, "morvane-grid-editor.png");
    const TRect Cell = Grid->CellRect(2, 52);
    EXPECT_EQ(Cell.Top, 25 + 2 * 25);
    EXPECT_EQ(PixelAt(Shot, 2 + Cell.Left + Cell.Width() - 3, 2 + Cell.Top + 3), ColorToRGB(clWindow));
}
