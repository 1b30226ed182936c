#include "dataaware/grids/daDBGrid.h"

#include "dataaware/edits/daDateTimePicker.h"
#include "dataaware/grids/GridTestSupport.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"
#include "platform/gui/ScrollBars.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A grid that keeps its selected records in a bookmark list, the way a published grid does.
class TSelectingGrid : public TdaCustomDBGrid {
    DECLARE_CLASS(TSelectingGrid, TdaCustomDBGrid)
public:
    explicit TSelectingGrid(TComponent* AOwner) : TdaCustomDBGrid(AOwner), Bookmarks(this) {}
    TdaBookmarkList Bookmarks;
    using TdaCustomDBGrid::NextRow;
    bool IsSelected() override { return Bookmarks.CurrentRowSelected(); }
    bool IsBufferRecordSelected(int Row) override {
        TActiveRecordScope Scope(*DataLink(), Row);
        return Bookmarks.CurrentRowSelected();
    }
    void SelectRecord() override { Bookmarks.SetCurrentRowSelected(true); }
    void UnselectRecord() override { Bookmarks.SetCurrentRowSelected(false); }
    void UnselectAll() override { Bookmarks.Clear(); }
    void UsePicker(TdaDBCustomDateTimePicker* Picker) { FDateTimePicker = Picker; }

protected:
    void LinkActive(bool Value) override {
        TdaCustomDBGrid::LinkActive(Value);
        Bookmarks.LinkActive(Value);
    }
};

struct TGridFixture {
    TForm Form{nullptr};
    TMemDataSet* DS = new TMemDataSet(&Form);
    TDataSource* Source = new TDataSource(&Form);
    TSelectingGrid* Grid = new TSelectingGrid(&Form);

    explicit TGridFixture(int Records = 30, bool Attach = true) {
        Form.SetBounds(0, 0, 460, 300);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 440, 260);
        FillMem(DS, Records);
        Source->SetDataSet(DS);
        Form.Show();
        Grid->HandleNeeded();
        if (Attach) Grid->SetDataSource(Source);
        Grid->SetFocus();
        ProcessMessages();
    }
    TField* F(const char16_t* Name) { return DS->FieldByName(Name); }
    TPoint CellCenter(int Col, int Row) {
        const TRect R = Grid->CellRect(Col, Row);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    }
    // Characters typed at whatever has the focus, the grid or its editor.
    void Type(const String& Text) {
        for (Char C : Text) {
            TWinControl* Target = Grid;
            if (Grid->InplaceEditor() && Grid->InplaceEditor()->Focused()) Target = Grid->InplaceEditor();
            CharMessages(Target, String(1, C));
        }
    }
    // A client point of the grid in a grab of the whole control (its border included).
    TPoint InGrab(int X, int Y) {
        const TPoint C = Grid->ClientOrigin(), F = Form.ClientOrigin();
        return TPoint{X + C.X - F.X - Grid->Left(), Y + C.Y - F.Y - Grid->Top()};
    }
    TColor GrabPixel(TBitmap& B, int X, int Y) {
        const TPoint P = InGrab(X, Y);
        return PixelOf(B, P.X, P.Y);
    }
    void Key(Word K, TShiftState Shift = {}) {
        TWinControl* Target = Grid;
        if (Grid->InplaceEditor() && Grid->InplaceEditor()->Focused()) Target = Grid->InplaceEditor();
        KeyMessages(Target, K, Shift);
    }
};

void AddOption(TdaCustomDBGrid* Grid, TdaDBGridOption O) {
    TdaDBGridOptions Options = Grid->Options();
    Options.Include(O);
    Grid->SetOptions(Options);
}

} // namespace

// ---- Field map and layout ------------------------------------------------------------------------

TEST(GridLayout, InactiveLinkShowsOneTitleRowAndOneEmptyRow) {
    TGridFixture Fx(5, false);
    EXPECT_EQ(Fx.Grid->RowCount(), 2);
    EXPECT_EQ(Fx.Grid->ColCount(), 2); // the indicator and one column
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->Add(u"NAME\t10\tName\tF");
    Fx.Grid->Selected()->Add(u"GONE\t5\tGone\tF");
    Fx.Grid->LayoutChanged();
    EXPECT_EQ(Fx.Grid->ColCount(), 3);
    EXPECT_EQ(Fx.Grid->Selected()->Count(), 2); // an inactive link keeps lines it cannot map
    Fx.Grid->SetDataSource(Fx.Source);
    EXPECT_EQ(Fx.Grid->Selected()->Count(), 1) << "a line for a field the dataset lacks goes";
    EXPECT_EQ(Fx.Grid->FieldCount(), 1);
    EXPECT_EQ(Fx.Grid->FieldName(1), u"NAME");
}

TEST(GridLayout, VisibleFieldsBecomeColumnsWithWidthsFromTheirDisplayWidth) {
    TGridFixture Fx(5);
    Fx.F(u"CITY")->SetVisible(false);
    Fx.Grid->LayoutChanged();
    ASSERT_EQ(Fx.Grid->FieldCount(), 2);
    EXPECT_EQ(Fx.Grid->ColCount(), 3);
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(Fx.Grid->Font());
    const int W0 = B.Canvas()->TextWidth(u"0");
    EXPECT_EQ(Fx.Grid->ColWidths(2), W0 * 40 + 4); // NAME: forty characters
    EXPECT_EQ(Fx.Grid->ColWidths(0), 11);          // the indicator
    EXPECT_EQ(Fx.Grid->RowCount(), 6);             // titles and five records
    // The title's own width wins over a narrow field.
    B.Canvas()->Font()->Assign(Fx.Grid->TitleFont());
    Fx.F(u"ID")->SetDisplayLabel(u"A rather long title");
    Fx.F(u"ID")->SetDisplayWidth(1);
    Fx.Grid->LayoutChanged();
    EXPECT_EQ(Fx.Grid->ColWidths(1), B.Canvas()->TextWidth(u"A rather long title") + 4);
}

TEST(GridLayout, ASingleColumnWithoutTheIndicatorHasNoFixedColumn) {
    TGridFixture Fx(5);
    Fx.F(u"NAME")->SetVisible(false);
    Fx.F(u"CITY")->SetVisible(false);
    TdaDBGridOptions O = Fx.Grid->Options();
    O.Exclude(dgIndicator);
    Fx.Grid->SetOptions(O);
    EXPECT_EQ(Fx.Grid->ColCount(), 1);
    EXPECT_EQ(Fx.Grid->FixedCols(), 0);
    EXPECT_EQ(Fx.Grid->FieldName(0), u"ID");
}

TEST(GridLayout, SettersIgnoreValuesOutOfRange) {
    TGridFixture Fx(3);
    Fx.Grid->SetTitleLines(2);
    for (int V : {0, -1})
        Fx.Grid->SetTitleLines(V);
    EXPECT_EQ(Fx.Grid->TitleLines(), 2);
    Fx.Grid->SetRowHeightPercent(0);
    EXPECT_EQ(Fx.Grid->RowHeightPercent(), 100);
    Fx.Grid->SetFooterHeight(-5);
    EXPECT_EQ(Fx.Grid->FooterHeight(), 0);
    Fx.Grid->SetIndicatorColor(icYellow);
    EXPECT_EQ(Fx.Grid->IndicatorIconColor(), TColor(65535));
    const int Normal = Fx.Grid->DefaultRowHeight();
    Fx.Grid->SetRowHeightPercent(200);
    EXPECT_EQ(Fx.Grid->DefaultRowHeight(), Normal * 2);
}

TEST(GridLayout, FieldMapRefusesUnknownFieldsAndStopsAtItsLimit) {
    TGridFixture Fx(1);
    TdaGridDataLink* Link = Fx.Grid->DataLink();
    Link->ClearMapping();
    EXPECT_FALSE(Link->AddMapping(u"NOPE"));
    EXPECT_EQ(Link->FieldCount(), 0);
    for (int I = 0; I < TdaGridDataLink::MaxMapSize; ++I)
        ASSERT_TRUE(Link->AddMapping(u"ID"));
    EXPECT_EQ(Link->FieldMapSize(), TdaGridDataLink::MaxMapSize);
    EXPECT_EQ(ThrownMessage<EInvalidGridOperation>([&] { Link->AddMapping(u"ID"); }),
              u"Grid requested to display more than 256 columns");
    EXPECT_EQ(Link->FieldCount(), TdaGridDataLink::MaxMapSize);
}

// ---- Selected list and columns -----------------------------------------------------------------

TEST(GridColumns, SelectedEntriesAreEditedPartByPart) {
    TGridFixture Fx(2);
    TStrings* L = Fx.Grid->Selected();
    struct TCase {
        int Attribute;
        const char16_t* Value;
        const char16_t* Line;
    } Cases[] = {
        {1, u"12", u"NAME\t12\tName"},          {2, u"Who", u"NAME\t12\tWho\tF"},
        {3, u"T", u"NAME\t12\tWho\tT"},         {4, u"Grp", u"NAME\t12\tWho\tT\tGrp"},
        {4, u"", u"NAME\t12\tWho\tT"},
    };
    L->Add(u"NAME\t10\tName");
    for (const TCase& C : Cases) {
        daEditSelectedEntry(Fx.Grid, L, u"name", -1, C.Attribute, C.Value);
        if (C.Attribute == 1) {
            EXPECT_EQ(L->Strings(0), u"NAME\t12\tName\tF");
            continue;
        }
        EXPECT_EQ(L->Strings(0), C.Line) << C.Attribute;
    }
    String S;
    EXPECT_TRUE(daReadSelectedEntry(L, u"NAME", 3, S));
    EXPECT_EQ(S, u"T");
    EXPECT_FALSE(daReadSelectedEntry(L, u"ID", 0, S));
    daEditSelectedEntry(Fx.Grid, L, u"NAME", -1, 6, u"F");
    EXPECT_EQ(L->Count(), 0);
}

TEST(GridColumns, LookupsHiddenColumnsAndTheDummy) {
    TGridFixture Fx(3, false);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->SetText(u"ID\t4\tNumber\tF\nNAME\t10\tName\tF\n");
    Fx.Grid->SetDataSource(Fx.Source);
    TdaColumn* Name = Fx.Grid->ColumnByName(u"name");
    ASSERT_EQ(Name->FieldName(), u"NAME");
    TdaColumn* Dummy = Fx.Grid->ColumnByName(u"nothing");
    EXPECT_EQ(Dummy, Fx.Grid->DummyColumn());
    Dummy->SetDisplayLabel(u"X");
    Dummy->SetReadOnly(true);
    EXPECT_EQ(Dummy->DisplayLabel(), u"");
    EXPECT_FALSE(Dummy->ReadOnly());
    // Hidden and shown again: the remembered title and width come back.
    Name->SetDisplayLabel(u"Customer");
    Name->SetVisible(false);
    EXPECT_EQ(Fx.Grid->Selected()->Count(), 1);
    EXPECT_EQ(Fx.Grid->FieldCount(), 1);
    TdaColumn* Hidden = Fx.Grid->ColumnByName(u"NAME");
    Hidden->SetVisible(true);
    EXPECT_EQ(Fx.Grid->Selected()->Strings(1), u"NAME\t10\tCustomer\tF");
    EXPECT_EQ(Fx.Grid->FieldCount(), 2);
}

TEST(GridColumns, GroupHeaderSpansAdjacentColumnsOfTheExactSameGroup) {
    TGridFixture Fx(2, false);
    auto* Four = new TMemDataSet(&Fx.Form);
    for (const char16_t* N : {u"A", u"B", u"C", u"D"})
        Four->FieldDefs().Add(N, ftInteger);
    Four->Open();
    Fx.Source->SetDataSet(Four);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->SetText(u"A\t4\tA\tF\tTotals\nB\t4\tB\tF\tTotals\nC\t4\tC\tF\tTotals\n"
                                 u"D\t4\tD\tF\ttotals\n");
    Fx.Grid->SetDataSource(Fx.Source);
    TRect R;
    int EndCol, StartCol;
    Fx.Grid->GroupNameCellRect(2, 0, R, false, EndCol, StartCol);
    EXPECT_EQ(StartCol, 1);
    EXPECT_EQ(EndCol, 3);
    const TRect Title = Fx.Grid->CellRect(1, 0);
    EXPECT_EQ(R.Left, Title.Left);
    EXPECT_EQ(R.Top, Title.Top);
    EXPECT_EQ(R.Bottom, Title.Top + Title.Height() / 2);
    // The title of a grouped column keeps only the lower half.
    TRect Own;
    Fx.Grid->TitleCellRect(1, 0, Own, false);
    EXPECT_EQ(Own.Top, Title.Top + Title.Height() / 2);
}

// ---- Selected records --------------------------------------------------------------------------

TEST(GridBookmarks, ListStaysSortedAndFindsWithBinarySearch) {
    TGridFixture Fx(10);
    TdaBookmarkList& L = Fx.Grid->Bookmarks;
    for (int RecNo : {7, 2, 9, 4}) {
        Fx.DS->SetRecNo(RecNo);
        L.SetCurrentRowSelected(true);
    }
    ASSERT_EQ(L.Count(), 4);
    for (int I = 1; I < L.Count(); ++I)
        EXPECT_LT(Fx.DS->CompareBookmarks(L[I - 1], L[I]), 0);
    Fx.DS->SetRecNo(5);
    const TBookmark Five = Fx.DS->GetBookmark();
    int Index = -1;
    EXPECT_FALSE(L.Find(Five, Index));
    EXPECT_EQ(Index, 2); // between 4 and 7
    EXPECT_EQ(L.IndexOf(Five), -1);
    Fx.DS->SetRecNo(9);
    EXPECT_TRUE(L.CurrentRowSelected());
    L.SetCurrentRowSelected(true); // unchanged: nothing added
    EXPECT_EQ(L.Count(), 4);
    EXPECT_EQ(ThrownMessage<EListError>([&] { L.DeleteSelection(4); }), u"List index out of bounds (4)");
}

TEST(GridBookmarks, RefreshDropsRecordsDeletedElsewhereAndDeleteRemovesSelected) {
    TGridFixture Fx(6);
    TdaBookmarkList& L = Fx.Grid->Bookmarks;
    for (int RecNo : {2, 3}) {
        Fx.DS->SetRecNo(RecNo);
        L.SetCurrentRowSelected(true);
    }
    EXPECT_FALSE(L.Refresh());
    Fx.DS->SetRecNo(2);
    Fx.DS->Delete();
    Fx.DS->SetRecNo(2); // formerly 3
    Fx.DS->Delete();
    EXPECT_TRUE(L.Refresh());
    EXPECT_EQ(L.Count(), 0);
    for (int RecNo : {1, 4}) {
        Fx.DS->SetRecNo(RecNo);
        L.SetCurrentRowSelected(true);
    }
    L.Delete();
    EXPECT_EQ(Fx.DS->RecordCount(), 2);
    EXPECT_FALSE(Fx.DS->ControlsDisabled());
    Fx.DS->Close();
    Fx.Grid->SetDataSource(nullptr);
    EXPECT_EQ(ThrownMessage<EInvalidGridOperation>([&] { L.CurrentRowSelected(); }),
              u"Cannot perform this operation on a closed dataset");
}

TEST(GridBookmarks, CtrlClickTogglesAndAutoUnselectKeepsOne) {
    TGridFixture Fx(8);
    AddOption(Fx.Grid, dgMultiSelect);
    ClickMessages(Fx.Grid, Fx.CellCenter(1, 2), mbLeft, {ssCtrl});
    ClickMessages(Fx.Grid, Fx.CellCenter(1, 4), mbLeft, {ssCtrl});
    EXPECT_EQ(Fx.Grid->Bookmarks.Count(), 2);
    ClickMessages(Fx.Grid, Fx.CellCenter(1, 2), mbLeft, {ssCtrl});
    EXPECT_EQ(Fx.Grid->Bookmarks.Count(), 1);
    Fx.Grid->SetMultiSelectOptions({msoAutoUnselect, msoShiftSelect});
    ClickMessages(Fx.Grid, Fx.CellCenter(1, 3), mbLeft);
    ASSERT_EQ(Fx.Grid->Bookmarks.Count(), 1);
    EXPECT_EQ(Fx.DS->RecNo(), 3);
    EXPECT_TRUE(Fx.Grid->Bookmarks.CurrentRowSelected());
    EXPECT_TRUE(Fx.Grid->ShiftSelectMode);
}

// ---- Record tracking and scrolling -------------------------------------------------------------

TEST(GridRecords, TheDatasetBuffersOneScreenAndTheCurrentRowFollowsIt) {
    TGridFixture Fx(100);
    const int Visible = Fx.Grid->VisibleRowCount();
    ASSERT_GT(Visible, 3);
    EXPECT_EQ(Fx.DS->BufferCount(), Visible);
    EXPECT_EQ(Fx.Grid->RowCount(), Visible + 1);
    Fx.DS->MoveBy(3);
    EXPECT_EQ(Fx.Grid->Row(), 4);
    Fx.Key(VK_NEXT);
    EXPECT_EQ(Fx.DS->RecNo(), 4 + Visible);
    EXPECT_EQ(Fx.Grid->Row(), Visible); // the last visible row
    Fx.Key(VK_HOME, {ssCtrl});
    EXPECT_EQ(Fx.DS->RecNo(), 1);
    EXPECT_EQ(Fx.Grid->Row(), 1);
    Fx.Key(VK_END, {ssCtrl});
    EXPECT_EQ(Fx.DS->RecNo(), 100);
    TScrollInfo I;
    I.fMask = SIF_ALL;
    GetScrollInfo(Fx.Grid->WindowHandle(), SB_VERT, I);
    EXPECT_EQ(I.nMin, 1);
    EXPECT_EQ(I.nPos, 100);
    EXPECT_EQ(int(I.nPage), Visible);
    EXPECT_EQ(I.nMax, 100 + Visible - 1);
}

TEST(GridRecords, ScrollMessagesMoveTheDataset) {
    TGridFixture Fx(50);
    const int Visible = Fx.Grid->VisibleRowCount();
    struct TCase {
        int Code;
        int Expected;
    } Cases[] = {{SB_LINEDOWN, 2}, {SB_PAGEDOWN, 2 + Visible}, {SB_LINEUP, 1 + Visible}, {SB_BOTTOM, 50},
                 {SB_PAGEUP, 50 - Visible}, {SB_TOP, 1}};
    for (const TCase& C : Cases) {
        Fx.Grid->Perform(WM_VSCROLL, WPARAM(C.Code), 0);
        EXPECT_EQ(Fx.DS->RecNo(), C.Expected) << C.Code;
    }
}

TEST(GridRecords, AGridOverTheSQLiteDatasetShowsItsRecords) {
    TTempFolder Dir;
    ASSERT_EQ(std::system(("sqlite3 '" + Dir.Sys("g.sqlite") + "' 'CREATE TABLE t (ID INTEGER, NAME VARCHAR(20));'").c_str()),
              0);
    TForm Form(nullptr);
    auto* DS = new TSQLiteDataSet(&Form);
    DS->SetDatabaseName(Dir / "g.sqlite");
    DS->SetTableName(u"t");
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    auto* Grid = new TdaCustomDBGrid(&Form);
    Form.SetBounds(0, 0, 400, 300);
    Grid->SetParent(&Form);
    Grid->SetBounds(0, 0, 380, 260);
    Form.Show();
    Grid->HandleNeeded();
    Grid->SetDataSource(Source);
    DS->Open();
    for (int I = 1; I <= 40; ++I) {
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(I);
        DS->FieldByName(u"NAME")->SetAsString(u"row" + IntToStr(I));
        DS->Post();
    }
    DS->First();
    EXPECT_EQ(Grid->FieldCount(), 2);
    EXPECT_EQ(DS->BufferCount(), Grid->VisibleRowCount());
    DS->MoveBy(25);
    EXPECT_EQ(Grid->Row(), Grid->VisibleRowCount());
    // Editing through the grid writes to the file.
    Grid->SetFocus();
    KeyMessages(Grid, VK_RIGHT);
    CharMessages(Grid, u"n");
    CharMessages(Grid->InplaceEditor(), u"ew");
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Shown());
    KeyMessages(Grid->InplaceEditor(), VK_UP);
    EXPECT_EQ(DS->State(), dsBrowse);
    DS->SetRecNo(26);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"new");
}

TEST(GridRecords, HeadersAndUnsequencedGridsFollowTheirRules) {
    TGridFixture Fx(3);
    int Rows = 0, Tops = 0;
    Fx.Grid->OnRowChanged = [&](TObject*) { ++Rows; };
    Fx.Grid->OnTopRowChanged = [&](TObject*) { ++Tops; };
    Fx.DS->Next();
    Fx.DS->Next();
    EXPECT_EQ(Rows, 2);
    EXPECT_EQ(Tops, 0); // three records fit: the window never moved
}

// ---- Keys and editing --------------------------------------------------------------------------

TEST(GridKeys, TabWalksColumnsAndWrapsToTheNextRecord) {
    TGridFixture Fx(3);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 0);
    Fx.Key(VK_TAB);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 1);
    Fx.Key(VK_TAB);
    Fx.Key(VK_TAB);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 0);
    EXPECT_EQ(Fx.DS->RecNo(), 2);
    Fx.Key(VK_TAB, {ssShift});
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 2);
    EXPECT_EQ(Fx.DS->RecNo(), 1);
    AddOption(Fx.Grid, dgTabExitsOnLastCol);
    Fx.Key(VK_TAB);
    EXPECT_EQ(Fx.DS->RecNo(), 1) << "the focus leaves instead";
}

TEST(GridKeys, EnterWalksLikeTabOnlyWhenAskedTo) {
    TGridFixture Fx(3);
    Fx.Key(VK_RETURN);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 0);
    Fx.Grid->SetKeyOptions({dgEnterToTab, dgAllowDelete, dgAllowInsert});
    Fx.Key(VK_RETURN);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 1);
    Fx.Key(VK_F2);
    ASSERT_TRUE(Fx.Grid->InplaceEditor() && Fx.Grid->InplaceEditor()->Shown());
    EXPECT_EQ(Fx.DS->State(), dsBrowse) << "showing the editor starts no edit";
    Fx.Key(VK_RETURN); // from the editor: on to the next column
    ProcessMessages(); // the keyboard hook hands the key to the grid through its queue
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 2);
}

TEST(GridKeys, ArrowsHomeEndAndCtrlColumns) {
    TGridFixture Fx(5);
    struct TCase {
        Word Key;
        TShiftState Shift;
        int Column, RecNo;
    } Cases[] = {{VK_RIGHT, {}, 1, 1},        {VK_END, {}, 2, 1}, {VK_HOME, {}, 0, 1},
                 {VK_DOWN, {}, 0, 2},         {VK_RIGHT, {ssCtrl}, 2, 2}, {VK_LEFT, {ssCtrl}, 0, 2},
                 {VK_UP, {}, 0, 1},           {VK_NEXT, {ssCtrl}, 0, 5}};
    for (const TCase& C : Cases) {
        Fx.Key(C.Key, C.Shift);
        EXPECT_EQ(Fx.Grid->SelectedIndex(), C.Column) << C.Key;
        EXPECT_EQ(Fx.DS->RecNo(), C.RecNo) << C.Key;
    }
}

TEST(GridKeys, DownOnTheLastRecordAppendsAndAnUntouchedNewRecordGoesAgain) {
    TGridFixture Fx(3);
    Fx.DS->Last();
    Fx.Key(VK_DOWN);
    EXPECT_EQ(Fx.DS->State(), dsInsert);
    Fx.Key(VK_DOWN); // at the end: nothing
    EXPECT_EQ(Fx.DS->State(), dsInsert);
    Fx.Key(VK_UP);
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    EXPECT_EQ(Fx.DS->RecordCount(), 3);
    // Without dgAllowInsert, Down stays on the last record.
    Fx.Grid->SetKeyOptions({dgAllowDelete});
    Fx.DS->Last();
    Fx.Key(VK_DOWN);
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
}

TEST(GridKeys, DittoShortcutsCopyTheNeighbouringRecord) {
    TGridFixture Fx(5);
    Fx.DS->MoveBy(2); // the third record: ID 3, name3, Oslo
    Fx.Key(VK_TAB);   // NAME
    TdaDittoAttributes* A = Fx.Grid->DittoAttributes();
    EXPECT_FALSE(Fx.Grid->HandleDittoShortCut(0, {})) << "no shortcut set: nothing matches";
    A->ShortCutDittoField = ShortCut('D', {ssCtrl});
    A->ShortCutDittoRecord = ShortCut('R', {ssCtrl});
    struct TCase {
        const char* Name;
        TdaDittoDirection Direction;
        Word Key;
        const char16_t* Id;
        const char16_t* Name_;
        const char16_t* City;
    };
    for (const TCase& C : {TCase{"field, prior", daDittoPrior, 'D', u"3", u"name2", u"Oslo"},
                           TCase{"field, next", daDittoNext, 'D', u"3", u"name4", u"Oslo"},
                           TCase{"record, prior", daDittoPrior, 'R', u"2", u"name2", u"Bergen"},
                           TCase{"another key", daDittoPrior, 'E', u"3", u"name3", u"Oslo"}}) {
        A->DittoDirection = C.Direction;
        const bool Acted = Fx.Grid->HandleDittoShortCut(C.Key, {ssCtrl});
        EXPECT_EQ(Acted, C.Key != 'E') << C.Name;
        EXPECT_EQ(Fx.F(u"ID")->AsString(), C.Id) << C.Name;
        EXPECT_EQ(Fx.F(u"NAME")->AsString(), C.Name_) << C.Name;
        EXPECT_EQ(Fx.F(u"CITY")->AsString(), C.City) << C.Name;
        Fx.DS->Cancel();
    }
    // Read-only fields can be skipped; the event may change the value or refuse it.
    A->Options = TdaDittoOptions{dadoSkipReadOnlyFields};
    Fx.F(u"ID")->SetReadOnly(true);
    Fx.Grid->OnDitto = [](TObject*, TDataSet*, TField* Field, String& Value, bool& Allow) {
        if (Field->FieldName() == u"CITY") Allow = false;
        Value += u"!";
    };
    EXPECT_TRUE(Fx.Grid->HandleDittoShortCut('R', {ssCtrl}));
    EXPECT_EQ(Fx.F(u"ID")->AsString(), u"3");
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"name2!");
    EXPECT_EQ(Fx.F(u"CITY")->AsString(), u"Oslo");
    Fx.DS->Cancel();
    // On the first record "prior or next" takes the next one; "prior" finds none.
    Fx.DS->First();
    A->DittoDirection = daDittoPrior;
    EXPECT_FALSE(Fx.Grid->HandleDittoShortCut('D', {ssCtrl}));
    A->DittoDirection = daDittoPriorOrNext;
    EXPECT_TRUE(Fx.Grid->HandleDittoShortCut('D', {ssCtrl}));
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"name2!");
    Fx.DS->Cancel();
}

TEST(GridLayout, ShrinkingToFitEndsTheGridBelowItsLastRow) {
    TGridFixture Fx(3);
    AddOption(Fx.Grid, dgPerfectRowFit);
    EXPECT_FALSE(Fx.Grid->AllowPerfectFit()) << "perfect fit is for grids being designed";
    const int Rows = Fx.Grid->RowCount();
    const int Before = Fx.Grid->Height();
    ASSERT_TRUE(Fx.Grid->DoShrinkToFit());
    EXPECT_LT(Fx.Grid->Height(), Before);
    ProcessMessages();
    // Every record still shows whole, with nothing to spare below the last one.
    EXPECT_EQ(Fx.Grid->RowCount(), Rows);
    const TRect R = Fx.Grid->CellRect(0, Rows - 1);
    ASSERT_FALSE(IsRectEmpty(R));
    EXPECT_LE(R.Bottom, Fx.Grid->ClientHeight());
    EXPECT_GE(R.Bottom + 2, Fx.Grid->ClientHeight());
    EXPECT_FALSE(Fx.Grid->DoShrinkToFit()) << "it fits already";
    // Columns wider than the grid need the horizontal bar; in a wide grid they do not.
    EXPECT_TRUE(Fx.Grid->NeedsHorzScrollBar());
    Fx.Grid->SetWidth(3000);
    EXPECT_FALSE(Fx.Grid->NeedsHorzScrollBar());
}

TEST(GridKeys, TheKeyboardHookBringsKeysFromControlsOverTheGridAndDittos) {
    TGridFixture Fx(5);
    EXPECT_TRUE(TdaCustomDBGrid::KeyboardHookInstalled()) << "the grid has the focus";
    // A control inside the grid: Tab and navigation keys typed there reach the grid.
    auto* Inner = new TEdit(&Fx.Form);
    Inner->SetParent(Fx.Grid);
    Inner->SetBounds(200, 100, 60, 20);
    Inner->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Inner->Focused(); }));
    EXPECT_TRUE(TdaCustomDBGrid::KeyboardHookInstalled()) << "the focus is still inside the grid";
    KeyMessages(Inner, VK_TAB);
    ProcessMessages();
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 1);
    Inner->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Inner->Focused(); }));
    KeyMessages(Inner, VK_NEXT, {ssCtrl});
    ProcessMessages();
    EXPECT_GT(Fx.DS->RecNo(), 1);
    // A plain Down leaves an edit only when its whole text is selected.
    Fx.DS->First();
    Inner->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Inner->Focused(); }));
    Inner->SetText(u"abc");
    Inner->SetSelStart(1);
    KeyMessages(Inner, VK_DOWN);
    ProcessMessages();
    EXPECT_EQ(Fx.DS->RecNo(), 1);
    Inner->SelectAll();
    KeyMessages(Inner, VK_DOWN);
    ProcessMessages();
    EXPECT_EQ(Fx.DS->RecNo(), 2);
    // The ditto shortcut, typed wherever the focus is in the grid.
    Fx.Grid->DittoAttributes()->ShortCutDittoField = ShortCut('D', {ssCtrl});
    Fx.Grid->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Fx.Grid->Focused(); }));
    Fx.Grid->SelectColumn(1);
    KeyMessages(Fx.Grid, 'D', {ssCtrl});
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"name1");
    Fx.DS->Cancel();
    // Leaving the grid takes the hook away.
    auto* Outside = new TEdit(&Fx.Form);
    Outside->SetParent(&Fx.Form);
    Outside->SetBounds(0, 265, 60, 20);
    Outside->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Outside->Focused(); }));
    EXPECT_FALSE(TdaCustomDBGrid::KeyboardHookInstalled());
}

TEST(GridKeys, TypedTextIsPostedAndEscapeAbandonsIt) {
    TGridFixture Fx(3);
    Fx.Key(VK_TAB); // NAME
    Fx.Type(u"Zed");
    ASSERT_TRUE(Fx.Grid->InplaceEditor()->Shown());
    EXPECT_EQ(Fx.DS->State(), dsEdit);
    Fx.Key(VK_DOWN);
    Fx.DS->First();
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"Zed");
    Fx.Type(u"Q");
    Fx.Key(VK_ESCAPE);
    Fx.Key(VK_ESCAPE);
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"Zed");
}

TEST(GridKeys, CtrlDeleteAsksAndDeletes) {
    TGridFixture Fx(3);
    {
        TQuestionScript Script;
        Script.Answer(mrCancel);
        Fx.Key(VK_DELETE, {ssCtrl});
        EXPECT_EQ(Script.Last().Text, u"Delete record?");
    }
    EXPECT_EQ(Fx.DS->RecordCount(), 3);
    TQuestionScript Script;
    Script.Answer(mrOk);
    Fx.Key(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Fx.DS->RecordCount(), 2);
}

TEST(GridKeys, LeavingTheGridCancelsAnUntouchedInsertAndPostsTypedText) {
    TGridFixture Fx(3);
    auto* Other = new TEdit(&Fx.Form);
    Other->SetParent(&Fx.Form);
    Other->SetBounds(0, 270, 100, 20);
    Fx.Key(VK_INSERT);
    EXPECT_EQ(Fx.DS->State(), dsInsert);
    Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    EXPECT_EQ(Fx.DS->RecordCount(), 3);
    Fx.Grid->SetFocus();
    Fx.Key(VK_TAB);
    Fx.Type(u"Kept");
    Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(Fx.DS->State(), dsEdit) << "written into the record, which stays open";
    EXPECT_EQ(Fx.F(u"NAME")->AsString(), u"Kept");
}

// ---- In-place editor masks ---------------------------------------------------------------------

TEST(GridEditor, PictureMaskFillsLiteralsAndRefusesWrongKeys) {
    TGridFixture Fx(2);
    Fx.Key(VK_TAB);
    Fx.Grid->PictureMasks()->Add(u"NAME\t###-####\tT\tT");
    std::vector<bool> Checks;
    Fx.Grid->OnCheckValue = [&](TObject*, bool Pass) { Checks.push_back(Pass); };
    Fx.Key(VK_F2);
    TdaInplaceEdit* E = Fx.Grid->Editor();
    ASSERT_TRUE(E && E->Shown());
    E->LoadMasks();
    E->SetText(u"555");
    E->SetSelStart(3);
    CharMessages(E, u"1");
    EXPECT_EQ(E->Text(), u"555-1");
    EXPECT_EQ(E->SelStart(), 5);
    ASSERT_FALSE(Checks.empty());
    EXPECT_FALSE(Checks.back()) << "an incomplete value is reported invalid";
    const TColor Before = E->Font()->Color();
    CharMessages(E, u"a");
    EXPECT_EQ(E->Text(), u"555-1") << "refused";
    CharMessages(E, u"234");
    EXPECT_EQ(E->Text(), u"555-1234");
    EXPECT_EQ(E->Font()->Color(), Before) << "with no error colours set nothing changes on screen";
    EXPECT_TRUE(Checks.back());
}

// ---- Mouse -------------------------------------------------------------------------------------

TEST(GridMouse, TitleClickFiresOnlyWhenPressAndReleaseMeet) {
    TGridFixture Fx(3);
    Fx.Grid->SetTitleButtons(true);
    std::vector<String> Clicks;
    Fx.Grid->OnTitleButtonClick = [&](TObject*, const String& Name) { Clicks.push_back(Name); };
    ClickMessages(Fx.Grid, Fx.CellCenter(2, 0));
    MouseDownMessage(Fx.Grid, Fx.CellCenter(1, 0));
    MouseUpMessage(Fx.Grid, Fx.CellCenter(3, 0));
    EXPECT_EQ(Clicks, (std::vector<String>{u"NAME"}));
    EXPECT_EQ(Fx.Grid->TitleClickColumn(), -1);
}

TEST(GridMouse, DraggingATitleMovesItsColumnAndIsNoClick) {
    TGridFixture Fx(3, false);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->SetText(u"ID\t4\tId\tF\nNAME\t8\tName\tF\nCITY\t8\tCity\tF\n");
    Fx.Grid->SetDataSource(Fx.Source);
    Fx.Grid->SetTitleButtons(true);
    int Clicks = 0;
    int MovedFrom = -1, MovedTo = -1;
    Fx.Grid->OnTitleButtonClick = [&](TObject*, const String&) { ++Clicks; };
    Fx.Grid->OnColumnMoved = [&](TObject*, int From, int To) { MovedFrom = From, MovedTo = To; };
    const TPoint From = Fx.CellCenter(1, 0), To = Fx.CellCenter(3, 0);
    MouseDownMessage(Fx.Grid, From);
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{From.X + 1, From.Y}, {ssLeft});
    EXPECT_FALSE(Fx.Grid->TitleDragging()) << "two pixels are no drag";
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{(From.X + To.X) / 2, From.Y}, {ssLeft});
    EXPECT_TRUE(Fx.Grid->TitleDragging());
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, To, {ssLeft});
    MouseUpMessage(Fx.Grid, To);
    EXPECT_FALSE(Fx.Grid->TitleDragging());
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(MovedFrom, 0);
    EXPECT_EQ(MovedTo, 2);
    ASSERT_EQ(Fx.Grid->Selected()->Count(), 3);
    EXPECT_EQ(Fx.Grid->Selected()->Strings(0), u"NAME\t8\tName\tF");
    EXPECT_EQ(Fx.Grid->Selected()->Strings(2), u"ID\t4\tId\tF");
    // A drag that ends where it began moves nothing.
    const String Before = Fx.Grid->Selected()->Text();
    MouseDownMessage(Fx.Grid, From);
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{From.X + 6, From.Y}, {ssLeft});
    MouseUpMessage(Fx.Grid, From);
    EXPECT_EQ(Fx.Grid->Selected()->Text(), Before);
}

TEST(GridMouse, DragTimerScrollsAtTheRightEdge) {
    TGridFixture Fx(3, false);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->SetText(u"ID\t40\tId\tF\nNAME\t40\tName\tF\nCITY\t40\tCity\tF\n");
    Fx.Grid->SetDataSource(Fx.Source);
    ASSERT_EQ(Fx.Grid->LeftCol(), 1);
    const TPoint From = Fx.CellCenter(1, 0);
    MouseDownMessage(Fx.Grid, From);
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{From.X + 20, From.Y}, {ssLeft});
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{Fx.Grid->ClientWidth() - 3, From.Y}, {ssLeft});
    // The clock the test advances: one tick of the drag timer.
    Fx.Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(Fx.Grid->LeftCol(), 2);
    MouseUpMessage(Fx.Grid, TPoint{Fx.Grid->ClientWidth() - 3, From.Y});
}

TEST(GridMouse, ClickOnACellMovesTheRecordAndTheColumn) {
    TGridFixture Fx(10);
    ClickMessages(Fx.Grid, Fx.CellCenter(2, 4));
    EXPECT_EQ(Fx.DS->RecNo(), 4);
    EXPECT_EQ(Fx.Grid->SelectedIndex(), 1);
    WheelMessage(Fx.Grid, Fx.CellCenter(2, 2), -120);
    EXPECT_EQ(Fx.DS->RecNo(), 5);
}

TEST(GridMouse, URLLinksOpenWithMailToWhereTheyLookLikeAddresses) {
    struct TCase {
        const char16_t* Value;
        const char16_t* Opened;
    } Cases[] = {{u"Write#joe@example.org", u"MailTo:joe@example.org"},
                 {u"Home#http://example.org/a", u"http://example.org/a"},
                 {u"joe@nowhere", u"joe@nowhere"},
                 {u"x#mailto:joe@example.org", u"mailto:joe@example.org"}};
    TGridFixture Fx(2);
    Fx.Grid->ControlType()->Add(u"NAME;URL-Link");
    Fx.Grid->LayoutChanged();
    String Opened;
    Fx.Grid->OpenURL = [&](const String& L) { Opened = L; };
    for (const TCase& C : Cases) {
        Fx.DS->First();
        Fx.DS->Edit();
        Fx.F(u"NAME")->SetAsString(C.Value);
        Fx.DS->Post();
        ClickMessages(Fx.Grid, Fx.CellCenter(2, 1));
        EXPECT_EQ(Opened, C.Opened) << U8(C.Value);
    }
    String D, U;
    TdaCustomDBGrid::GetURLLink(u"plain", D, U);
    EXPECT_EQ(U, u"plain");
}

TEST(GridMouse, CellHintShowsForTextThatDoesNotFitAndLastsSixteenTicks) {
    TGridFixture Fx(3);
    AddOption(Fx.Grid, dgShowCellHint);
    Fx.F(u"CITY")->SetDisplayWidth(6);
    Fx.Grid->LayoutChanged();
    Fx.DS->Edit();
    Fx.F(u"CITY")->SetAsString(u"A city with a name far too long for its cell");
    Fx.DS->Post();
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, Fx.CellCenter(2, 1));
    EXPECT_EQ(Fx.Grid->HintWindow(), nullptr) << "name1 fits";
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, Fx.CellCenter(3, 1));
    ASSERT_NE(Fx.Grid->HintWindow(), nullptr);
    EXPECT_EQ(Fx.Grid->HintWindow()->HintText, u"A city with a name far too long for its cell");
    TdaGridHintWindow* Hint = Fx.Grid->HintWindow();
    MouseMessage(Fx.Grid, WM_MOUSEMOVE, TPoint{Fx.CellCenter(3, 1).X + 1, Fx.CellCenter(3, 1).Y});
    EXPECT_EQ(Fx.Grid->HintWindow(), Hint) << "the same cell keeps its hint";
    for (int Tick = 0; Tick < 16; ++Tick)
        Fx.Grid->HintTimerTick(nullptr);
    EXPECT_NE(Fx.Grid->HintWindow(), nullptr);
    Fx.Grid->HintTimerTick(nullptr);
    EXPECT_EQ(Fx.Grid->HintWindow(), nullptr);
}

// ---- Painting ----------------------------------------------------------------------------------

TEST(GridPaint, TitlesIndicatorSelectionAndLines) {
    TGridFixture Fx(8);
    AddOption(Fx.Grid, dgShowFooter);
    Fx.Grid->ColumnByName(u"NAME")->SetFooterValue(u"8 names");
    Fx.DS->SetRecNo(3);
    ProcessMessages();
    auto Pic = GrabControl(Fx.Grid);
    Keep(*Pic, "grid-white");
    const TRect Title = Fx.Grid->CellRect(2, 0);
    EXPECT_EQ(Fx.GrabPixel(*Pic, Title.Left + 3, Title.Top + 2), ColorToRGB(clBtnFace));
    const TRect Current = Fx.Grid->CellRect(1, 3);
    EXPECT_EQ(Fx.GrabPixel(*Pic, Current.Right - 3, Current.Top + 3), ColorToRGB(clHighlight));
    const TRect Other = Fx.Grid->CellRect(3, 5);
    EXPECT_EQ(Fx.GrabPixel(*Pic, Other.Left + 40, Other.Top + 3), ColorToRGB(clWindow));
    EXPECT_EQ(Fx.GrabPixel(*Pic, Other.Left + 2, Other.Bottom), ColorToRGB(clSilver)) << "a single silver row line";
    const TRect Ind = Fx.Grid->CellRect(0, 3);
    bool Arrow = false;
    for (int X = Ind.Left; X < Ind.Right; ++X)
        for (int Y = Ind.Top; Y < Ind.Bottom; ++Y)
            Arrow = Arrow || Fx.GrabPixel(*Pic, X, Y) == 0;
    EXPECT_TRUE(Arrow) << "the indicator's arrow on the current row";
    const TRect Footer = Fx.Grid->GetFooterRect();
    EXPECT_GT(Footer.Top, Other.Bottom);
    // Another background: the lines become raised pairs.
    Fx.Grid->SetColor(clBtnFace);
    Fx.Grid->SetHideAllLines(false);
    ProcessMessages();
    auto Face = GrabControl(Fx.Grid);
    Keep(*Face, "grid-face");
    EXPECT_EQ(Fx.GrabPixel(*Face, Other.Left + 2, Other.Bottom), ColorToRGB(clBtnShadow));
    Fx.Grid->SetHideAllLines(true);
    ProcessMessages();
    auto Bare = GrabControl(Fx.Grid);
    EXPECT_EQ(Fx.GrabPixel(*Bare, Other.Left + 2, Other.Bottom), ColorToRGB(clBtnFace));
}

TEST(GridPaint, GroupedTitlesAndAnInsertedRecord) {
    TGridFixture Fx(4, false);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->SetTitleLines(2);
    Fx.Grid->Selected()->SetText(u"ID\t4\tNo.\tF\nNAME\t10\tFirst~line\tF\tPerson\nCITY\t10\tTown\tF\tPerson\n");
    Fx.Grid->SetDataSource(Fx.Source);
    Fx.DS->Last();
    Fx.Grid->SetFocus();
    KeyMessages(Fx.Grid, VK_DOWN);
    ASSERT_EQ(Fx.DS->State(), dsInsert);
    ProcessMessages();
    auto Pic = GrabControl(Fx.Grid);
    Keep(*Pic, "grid-groups");
    // The band over both Person columns has no line between them in its upper half.
    const TRect A = Fx.Grid->CellRect(2, 0);
    EXPECT_EQ(Fx.GrabPixel(*Pic, A.Right, A.Top + 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(Fx.GrabPixel(*Pic, A.Right, A.Bottom - 3), 0) << "the member titles are separated";
    KeyMessages(Fx.Grid, VK_UP);
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
}

TEST(GridPaint, TheIndicatorButtonSitsInTheCornerAndSizesItsColumnAndTitle) {
    TGridFixture Fx(3);
    auto* B = new TdaIButton(&Fx.Form);
    B->SetParent(Fx.Grid);
    B->SetBounds(5, 5, 21, 30);
    EXPECT_EQ(B->Left(), 0) << "never right of the corner";
    EXPECT_EQ(B->Top(), 0);
    Fx.Grid->SetIndicatorButton(B);
    EXPECT_EQ(Fx.Grid->IndicatorButton(), B);
    EXPECT_EQ(Fx.Grid->IndicatorWidth(), 20);
    EXPECT_EQ(Fx.Grid->ColWidths(0), 20);
    EXPECT_EQ(Fx.Grid->RowHeights(0), 29) << "as high as the button, less the row line";
    B->SetWidth(31);
    EXPECT_EQ(Fx.Grid->ColWidths(0), 30);
    int Clicks = 0;
    B->OnClick = [&](TObject*) { ++Clicks; };
    ClickMessages(Fx.Grid, TPoint{4, 4});
    EXPECT_EQ(Clicks, 1);
    auto Picture = GrabControl(Fx.Grid);
    Keep(*Picture, "grid-indicator-button");
    delete B;
    EXPECT_EQ(Fx.Grid->IndicatorButton(), nullptr);
}

// ---- In-cell controls ------------------------------------------------------------------------------

TEST(GridControls, ANamedControlEditsItsColumnAndPaintsTheOtherRows) {
    TForm Form{nullptr};
    Form.SetBounds(0, 0, 460, 300);
    auto* DS = new TMemDataSet(&Form);
    DS->FieldDefs().Add(u"ID", ftInteger);
    DS->FieldDefs().Add(u"DAY", ftDate);
    DS->Open();
    for (int I = 1; I <= 4; ++I) {
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(I);
        DS->FieldByName(u"DAY")->SetAsDateTime(EncodeDate(2024, Word(I), Word(I * 5)));
        DS->Post();
    }
    DS->First();
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    auto* Grid = new TSelectingGrid(&Form);
    Grid->SetParent(&Form);
    Grid->SetBounds(0, 0, 440, 260);
    auto* Picker = new TdaDBDateTimePicker(&Form);
    Picker->SetName(u"DayPicker");
    Picker->SetVisible(false);
    Picker->SetParent(Grid);
    Picker->SetBorderStyle(Controls::bsNone);
    Picker->SetDisplayFormat(u"yyyy-mm-dd");
    Picker->SetDataSource(Source);
    Picker->SetDataField(u"DAY");
    Grid->ControlType()->Add(u"ID;Spin;Nothing");
    Grid->ControlType()->Add(u"DAY;CustomEdit;DayPicker;T");
    Form.Show();
    Grid->HandleNeeded();
    Grid->SetDataSource(Source);
    ProcessMessages();

    TWinControl* Found = nullptr;
    ASSERT_TRUE(Grid->IsCustomEditCell(2, 1, Found));
    EXPECT_EQ(Found, Picker);
    EXPECT_FALSE(Grid->IsCustomEditCell(1, 1, Found)) << "no embedded edit type";
    EXPECT_FALSE(Grid->IsCustomEditCell(2, 0, Found)) << "a title cell";
    EXPECT_EQ(Grid->CacheColInfo()[2].CustomControl, Picker);
    EXPECT_TRUE(Grid->CacheColInfo()[2].AlwaysPaints);
    EXPECT_EQ(Grid->GetComponent(u"DayPicker"), Picker);
    EXPECT_EQ(Grid->GetComponent(u"Nobody"), nullptr);
    EXPECT_EQ(Grid->GetComponent(u"DayPicker."), nullptr);

    // Every row's cell shows its own day, drawn by the picker; the picker keeps its own record.
    Grid->Invalidate();
    auto B = GrabControl(Grid);
    Keep(*B, "grid-custom-control");
    const TPoint C = Grid->ClientOrigin(), F = Form.ClientOrigin();
    const int DX = C.X - F.X - Grid->Left(), DY = C.Y - F.Y - Grid->Top();
    std::vector<std::vector<TColor>> Rows;
    for (int R = 1; R <= 4; ++R) {
        TRect Cell = Grid->CellRect(2, R);
        OffsetRect(Cell, DX, DY);
        EXPECT_FALSE(IsRectEmpty(InkBox(B->Canvas(), Cell, Grid->Color()))) << "row " << R;
        std::vector<TColor> Pixels;
        for (int X = Cell.Left; X < Cell.Right; ++X) Pixels.push_back(PixelOf(*B, X, (Cell.Top + Cell.Bottom) / 2));
        Rows.push_back(Pixels);
    }
    EXPECT_NE(Rows[1], Rows[2]) << "the rows show different days";
    EXPECT_EQ(DS->RecNo(), 1);
    EXPECT_EQ(Picker->DateTime(), EncodeDate(2024, 1, 5));

    // Over the current cell.
    Grid->SetFocus();
    Grid->SelectColumn(1);
    Picker->SetVisible(true);
    Grid->UpdateCustomEdit();
    EXPECT_EQ(Grid->CurrentCustomEdit(), Picker);
    EXPECT_EQ(Picker->BoundsRect(), Grid->CellRect(2, Grid->Row()));

    // Without a line the grid's own date-time picker takes date fields, unless switched off.
    Grid->ControlType()->Clear();
    Grid->LayoutChanged();
    EXPECT_FALSE(Grid->IsCustomEditCell(2, 1, Found));
    Grid->UsePicker(Picker);
    EXPECT_TRUE(Grid->IsCustomEditCell(2, 1, Found));
    EXPECT_FALSE(Grid->IsCustomEditCell(1, 1, Found)) << "not a date";
    TdaEditControlOptions O = Grid->EditControlOptions();
    O.Include(ecoDisableDateTimePicker);
    Grid->SetEditControlOptions(O);
    EXPECT_FALSE(Grid->IsCustomEditCell(2, 1, Found));

    // A control freed first is forgotten.
    delete Picker;
    EXPECT_EQ(Grid->CurrentCustomEdit(), nullptr);
    EXPECT_EQ(Grid->DateTimePicker(), nullptr);
}

TEST(GridControls, ABoundPickerInAFocusedGridShowsItsTextInTheGridsHighlight) {
    TForm Form{nullptr};
    Form.SetBounds(0, 0, 460, 300);
    auto* DS = new TMemDataSet(&Form);
    DS->FieldDefs().Add(u"DAY", ftDate);
    DS->Open();
    DS->Append();
    DS->FieldByName(u"DAY")->SetAsDateTime(EncodeDate(2024, 2, 29));
    DS->Post();
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    auto* Grid = new TdaDBGrid(&Form);
    Grid->SetParent(&Form);
    Grid->SetBounds(0, 0, 440, 200);
    auto* Picker = new TdaDBDateTimePicker(&Form);
    Picker->SetParent(Grid);
    Picker->SetBorderStyle(Controls::bsNone);
    Picker->SetBounds(200, 60, 120, 20);
    Picker->SetDisplayFormat(u"yyyy-mm-dd");
    Picker->SetDataSource(Source);
    Picker->SetDataField(u"DAY");
    auto* Other = new TEdit(&Form);
    Other->SetParent(&Form);
    Other->SetBounds(0, 220, 80, 20);
    bool Asked = false;
    Grid->OnCalcCellColors = [&](TObject*, TField* Field, TGridDrawState, bool Highlight, TFont*, TBrush* Brush) {
        if (Highlight && Field && Field->FieldName() == u"DAY") {
            Asked = true;
            Brush->SetColor(clLime);
        }
    };
    Form.Show();
    Grid->SetDataSource(Source);
    Grid->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Grid->Focused(); }));
    ASSERT_TRUE(Picker->IsInFocusedGrid());
    Picker->Invalidate();
    auto Lit = GrabControl(Picker);
    Keep(*Lit, "picker-in-focused-grid");
    EXPECT_TRUE(Asked) << "the grid's colour event, found by its name";
    EXPECT_EQ(PixelOf(*Lit, Picker->TextRightEdge() - 4, Picker->ClientHeight() / 2), clLime);
    EXPECT_FALSE(IsRectEmpty(InkBox(Lit->Canvas(), Rect(0, 0, Picker->TextRightEdge(), Picker->ClientHeight()), clLime)));
    // Without the grid's focus: the picker's own colours.
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    EXPECT_FALSE(Picker->IsInFocusedGrid());
    Picker->Invalidate();
    auto Plain = GrabControl(Picker);
    EXPECT_NE(PixelOf(*Plain, Picker->TextRightEdge() - 4, Picker->ClientHeight() / 2), clLime);
}
