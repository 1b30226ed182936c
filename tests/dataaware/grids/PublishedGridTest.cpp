// The published grid: its defaults and properties by name, fixed data columns, ordering, and the
// selection of records by Ctrl and Shift clicks, Space and the public operations, with events
// that may refuse each change. Each test runs over a dataset in memory and one in SQLite.
#include "dataaware/grids/daDBGrid.h"
#include "dataaware/edits/daDateTimePicker.h"

#include "platform/base/TypeInfo.h"
#include "dataaware/grids/GridTestSupport.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

enum TKind { kMemory, kSQLite };

// ID 1..Count, NAME "name<ID>", CITY alternating.
TDataSet* MakePeople(TComponent* Owner, TKind Kind, int Count) {
    if (Kind == kMemory) {
        auto* DS = new TMemDataSet(Owner);
        FillMem(DS, Count);
        return DS;
    }
    static int N = 0;
    const std::string File =
        (std::filesystem::current_path() / ("people" + std::to_string(++N) + ".sqlite")).string();
    std::string Sql = "CREATE TABLE people (ID INTEGER, NAME VARCHAR(40), CITY VARCHAR(60)); ";
    for (int I = 1; I <= Count; ++I)
        Sql += "INSERT INTO people VALUES (" + std::to_string(I) + ", 'name" + std::to_string(I) + "', '" +
               (I % 2 ? "Oslo" : "Bergen") + "'); ";
    EXPECT_EQ(std::system(("sqlite3 '" + File + "' \"" + Sql + "\"").c_str()), 0);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"people");
    DS->Open();
    return DS;
}

struct TPublishedFixture {
    TForm Form{nullptr};
    TDataSet* DS;
    TDataSource* Source = new TDataSource(&Form);
    TdaDBGrid* Grid = new TdaDBGrid(&Form);

    TPublishedFixture(TKind Kind, int Records) : DS(MakePeople(&Form, Kind, Records)) {
        Form.SetBounds(0, 0, 460, 300);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 440, 260);
        Source->SetDataSet(DS);
        Form.Show();
        Grid->HandleNeeded();
        Grid->SetDataSource(Source);
        Grid->SetFocus();
        ProcessMessages();
    }
    void MultiSelect(TdaMultiSelectOptions M = {msoShiftSelect}) {
        TdaDBGridOptions O = Grid->Options();
        O.Include(dgMultiSelect);
        O.Include(dgRowSelect);
        Grid->SetOptions(O);
        Grid->SetMultiSelectOptions(M);
    }
    TPoint RowCenter(int Row) {
        const TRect R = Grid->CellRect(1, Row);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    }
    void Click(int Row, TShiftState Shift = {}) { ClickMessages(Grid, RowCenter(Row), mbLeft, Shift); }
    // The IDs of the selected records, in the dataset's order.
    std::vector<int> SelectedIDs() {
        std::vector<int> V;
        const TBookmark Here = DS->GetBookmark();
        for (int I = 0; I < Grid->Bookmarks()->Count(); ++I) {
            DS->GotoBookmark((*Grid->Bookmarks())[I]);
            V.push_back(DS->FieldByName(u"ID")->AsInteger());
        }
        DS->GotoBookmark(Here);
        return V;
    }
    String Cache() {
        Grid->RefreshSelectedRows();
        String S;
        for (int I = 0; I < Grid->SelectedRecordList()->Count(); ++I)
            S += Grid->SelectedRecordList()->Strings(I);
        return S;
    }
};

class PublishedGrid : public ::testing::TestWithParam<TKind> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, PublishedGrid, ::testing::Values(kMemory, kSQLite), [](const auto& Info) {
    return std::string(Info.param == kMemory ? "Memory" : "SQLite");
});

TEST(PublishedGridClass, DefaultsAndPropertiesByName) {
    RegisterDataAwareGridClasses();
    ASSERT_EQ(GetClass(u"TdaDBGrid"), TdaDBGrid::StaticClass());
    TForm Form(nullptr);
    TdaDBGrid G(&Form);
    EXPECT_EQ(G.Options(),
              (TdaDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                dgTabs, dgConfirmDelete, dgCancelOnExit, dgWordWrap}));
    EXPECT_EQ(G.KeyOptions(), (TdaDBGridKeyOptions{dgAllowDelete, dgAllowInsert}));
    EXPECT_EQ(G.MemoAttributes(), (TdaMemoAttributes{mSizeable, mWordWrap}));
    EXPECT_EQ(G.FixedCols(), 0);
    EXPECT_EQ(G.Bookmarks()->Count(), 0);
    const std::vector<Variant> Patch{Variant(false), Variant(false), Variant(0),     Variant(false),
                                     Variant(false), Variant(false), Variant(0),     Variant(0),
                                     Variant(false), Variant(true),  Variant(false), Variant(false)};
    for (size_t I = 0; I < Patch.size(); ++I)
        EXPECT_TRUE(G.Patch[I] == Patch[I]) << "Patch[" << I << "]";
    // Every property with a default holds it after construction.
    struct TCase {
        const char16_t* Name;
        const char16_t* Value;
    };
    for (const TCase& C :
         {TCase{u"Options", u"[dgEditing,dgTitles,dgIndicator,dgColumnResize,dgColLines,dgRowLines,"
                            u"dgTabs,dgConfirmDelete,dgCancelOnExit,dgWordWrap]"},
          TCase{u"MemoAttributes", u"[mSizeable,mWordWrap]"}, TCase{u"KeyOptions", nullptr},
          TCase{u"EditControlOptions", u"[ecoSearchOwnerForm]"}, TCase{u"MultiSelectOptions", u"[]"},
          TCase{u"DisableThemes", nullptr}, TCase{u"ShowVertScrollBar", nullptr},
          TCase{u"UseTFields", nullptr}, TCase{u"RowHeightPercent", nullptr},
          TCase{u"DragVertOffset", nullptr}, TCase{u"FooterHeight", nullptr}, TCase{u"LineStyle", nullptr},
          TCase{u"PadColumnStyle", nullptr}, TCase{u"FooterColor", nullptr},
          TCase{u"IndicatorIconColor", nullptr}}) {
        const TPropInfo* Info = GetPropInfo(&G, C.Name);
        ASSERT_NE(Info, nullptr) << U8(C.Name);
        ASSERT_TRUE(Info->HasDefault()) << U8(C.Name);
        EXPECT_EQ(GetOrdProp(&G, Info), Info->Default) << U8(C.Name);
        if (C.Value) {
            EXPECT_EQ(GetSetProp(&G, C.Name), C.Value);
        }
    }
    EXPECT_EQ(GetOrdProp(&G, u"DragVertOffset"), 15);
    EXPECT_EQ(GetOrdProp(&G, u"FooterColor"), clBtnFace);
    SetSetProp(&G, u"MemoAttributes", u"[mViewOnly]");
    EXPECT_EQ(G.MemoAttributes(), TdaMemoAttributes{mViewOnly});
    SetOrdProp(&G, u"FixedCols", 1);
    EXPECT_EQ(G.FixedCols(), 1);
}

TEST_P(PublishedGrid, FixedDataColumnsFollowTheIndicatorAndTakeTheTitleColour) {
    TPublishedFixture Fx(GetParam(), 10);
    Fx.Grid->SetFixedCols(2);
    EXPECT_EQ(Fx.Grid->TCustomGrid::FixedCols(), 3) << "the indicator and two data columns";
    EXPECT_EQ(Fx.Grid->CellBackColor(2), Fx.Grid->TitleColor());
    EXPECT_EQ(Fx.Grid->CellBackColor(3), Fx.Grid->Color());
    Fx.Grid->SetFixedCols(3); // as many as there are data columns: the grid keeps one to scroll
    EXPECT_EQ(Fx.Grid->TCustomGrid::FixedCols(), 1);
    TdaDBGridOptions O = Fx.Grid->Options();
    O.Exclude(dgIndicator);
    Fx.Grid->SetOptions(O);
    Fx.Grid->SetFixedCols(1);
    EXPECT_EQ(Fx.Grid->TCustomGrid::FixedCols(), 1);
}

TEST_P(PublishedGrid, OrdersTheDatasetByAFieldName) {
    TPublishedFixture Fx(GetParam(), 12);
    Fx.Grid->SetOrder(u"NAME", true);
    EXPECT_EQ(Fx.DS->IndexFieldNames(), u"NAME");
    Fx.DS->First();
    std::vector<String> Names;
    for (int I = 0; I < 4; ++I, Fx.DS->Next())
        Names.push_back(Fx.DS->FieldByName(u"NAME")->AsString());
    EXPECT_EQ(Names, (std::vector<String>{u"name1", u"name10", u"name11", u"name12"}));
    Fx.Grid->SetOrder(u"CITY", true);
    Fx.DS->First();
    EXPECT_EQ(Fx.DS->FieldByName(u"CITY")->AsString(), u"Bergen");
    Fx.Grid->SetActiveField(u"city");
    EXPECT_EQ(Fx.Grid->GetActiveField()->FieldName(), u"CITY");
    Fx.Grid->SetActiveField(u"nothing");
    EXPECT_EQ(Fx.Grid->GetActiveField()->FieldName(), u"CITY");
}

TEST_P(PublishedGrid, CtrlClicksAndSpaceToggleRecordsAndTheCacheFollows) {
    TPublishedFixture Fx(GetParam(), 20);
    Fx.MultiSelect();
    Fx.Click(2, {ssCtrl});
    Fx.Click(4, {ssCtrl});
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{2, 4}));
    EXPECT_EQ(Fx.Cache().substr(0, 5), u"FTFTF");
    Fx.Click(2, {ssCtrl});
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{4}));
    KeyMessages(Fx.Grid, VK_DOWN);
    KeyMessages(Fx.Grid, VK_SPACE);
    KeyMessages(Fx.Grid, VK_DOWN);
    KeyMessages(Fx.Grid, VK_SPACE);
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{3})) << "Space selected record 3 and deselected record 4";
}

TEST_P(PublishedGrid, ShiftClickSelectsTheRangeFromTheAnchorBothWays) {
    TPublishedFixture Fx(GetParam(), 20);
    Fx.MultiSelect();
    Fx.Click(3, {ssCtrl}); // record 3 is the anchor
    Fx.Click(6, {ssShift});
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(Fx.DS->FieldByName(u"ID")->AsInteger(), 6) << "the clicked record is current";
    Fx.Grid->UnselectAll();
    Fx.Click(8, {ssCtrl});
    Fx.Click(5, {ssShift}); // a record above the anchor
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(Fx.DS->FieldByName(u"ID")->AsInteger(), 5);
    EXPECT_FALSE(Fx.DS->ControlsDisabled());
    if (std::getenv("MORVANE_GRAB_DIR")) {
        auto B = GrabControl(Fx.Grid);
        Keep(*B, "grid-selected-records");
    }
}

TEST_P(PublishedGrid, RefusingEventsKeepTheSelectionAsItWas) {
    TPublishedFixture Fx(GetParam(), 20);
    Fx.MultiSelect();
    Fx.Grid->SelectAll();
    EXPECT_EQ(Fx.Grid->Bookmarks()->Count(), 20);
    EXPECT_EQ(Fx.DS->FieldByName(u"ID")->AsInteger(), 1) << "the walk returns to the current record";
    bool AllowAll = false;
    std::vector<bool> AllAsked;
    Fx.Grid->OnMultiSelectAllRecords = [&](TdaDBGrid* G, bool Selecting, bool& Accept) {
        EXPECT_EQ(G, Fx.Grid);
        AllAsked.push_back(Selecting);
        Accept = AllowAll;
    };
    Fx.Grid->UnselectAll();
    EXPECT_EQ(Fx.Grid->Bookmarks()->Count(), 20);
    AllowAll = true;
    Fx.Grid->UnselectAll();
    EXPECT_EQ(Fx.Grid->Bookmarks()->Count(), 0);
    EXPECT_EQ(AllAsked, (std::vector<bool>{false, false}));

    // Deselection refused: a Shift range over selected records keeps them and still completes.
    Fx.Click(4, {ssCtrl});
    Fx.Click(2, {ssCtrl});
    std::vector<bool> Asked;
    Fx.Grid->OnMultiSelectRecord = [&](TdaDBGrid*, bool Selecting, bool& Accept) {
        Asked.push_back(Selecting);
        Accept = Selecting;
    };
    Fx.Click(6, {ssShift});
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{2, 3, 4, 5, 6}));
    Fx.Grid->UnselectRecord();
    EXPECT_EQ(Fx.SelectedIDs(), (std::vector<int>{2, 3, 4, 5, 6})) << "deselection refused";
    Fx.Grid->OnMultiSelectRecord = [](TdaDBGrid*, bool, bool& Accept) { Accept = false; };
    Fx.DS->Last();
    Fx.Grid->SelectRecord();
    EXPECT_EQ(Fx.Grid->Bookmarks()->Count(), 5) << "selection refused";
}

TEST_P(PublishedGrid, ARecordBeingEditedCountsAsNotSelected) {
    TPublishedFixture Fx(GetParam(), 5);
    Fx.MultiSelect();
    Fx.Grid->SelectRecord();
    EXPECT_TRUE(Fx.Grid->IsSelectedRecord());
    Fx.DS->Edit();
    EXPECT_FALSE(Fx.Grid->IsSelectedRecord());
    Fx.DS->Cancel();
    EXPECT_TRUE(Fx.Grid->IsSelectedRecord());
}

TEST_P(PublishedGrid, AnEmptyDatasetSelectsNothing) {
    TPublishedFixture Fx(GetParam(), 0);
    Fx.MultiSelect();
    Fx.Grid->SelectAll();
    EXPECT_EQ(Fx.Grid->Bookmarks()->Count(), 0);
    const String C = Fx.Cache();
    EXPECT_EQ(int(C.size()), Fx.Grid->VisibleRowCount());
    EXPECT_EQ(C.find(u'T'), String::npos);
}

TEST_P(PublishedGrid, ScrollCurrentToTopMovesTheDatasetInFullOrNotAtAll) {
    TPublishedFixture Fx(GetParam(), 60);
    const int V = Fx.Grid->VisibleRowCount();
    ASSERT_GT(V, 6);
    auto Current = [&] { return Fx.DS->FieldByName(u"ID")->AsInteger(); };
    // Nothing lies before the first record: the backward move is taken back.
    Fx.Grid->ScrollCurrentToTop(3);
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(Fx.Grid->GetActiveRow(), 0);
    // Nothing lies after the last record: the forward move is taken back.
    Fx.DS->Last();
    ProcessMessages();
    const int LastRow = Fx.Grid->GetActiveRow();
    Fx.Grid->ScrollCurrentToTop(0);
    EXPECT_EQ(Current(), 60);
    EXPECT_EQ(Fx.Grid->GetActiveRow(), LastRow);
    // With room on both sides: a row above the current one moves forward by the rows below the
    // asked one, a row below it moves back by the asked row.
    Fx.DS->First();
    Fx.DS->MoveBy(30);
    ProcessMessages();
    ASSERT_EQ(Fx.Grid->GetActiveRow(), V - 1);
    Fx.Grid->ScrollCurrentToTop(2);
    EXPECT_EQ(Current(), 31 + V - 3);
    const int After = Current();
    ProcessMessages();
    ASSERT_EQ(Fx.Grid->GetActiveRow(), V - 1);
    Fx.Grid->ScrollCurrentToTop(V);
    EXPECT_EQ(Current(), After - V);
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
}

TEST(PublishedGridClass, APickerInsideTheGridLowersItsTextOnlyWhenRowLinesAreDrawn) {
    TPublishedFixture F(kMemory, 3);
    auto* Picker = new TdaDBDateTimePicker(&F.Form);
    Picker->SetBorderStyle(Controls::bsNone);
    Picker->SetParent(F.Grid);
    Picker->SetBounds(30, 30, 120, 20);
    Picker->HandleNeeded();
    struct TCase {
        const char* Name;
        bool RowLines, DisableFixed;
        int Top;
    };
    for (const TCase& C : {TCase{"row lines", true, false, 2}, TCase{"row lines, not on fixed cells", true, true, 2},
                           TCase{"only the fixed cells' lines", false, false, 2},
                           TCase{"no row lines at all", false, true, 1}}) {
        SCOPED_TRACE(C.Name);
        TdaDBGridOptions O = F.Grid->Options();
        if (C.RowLines) O.Include(dgRowLines); else O.Exclude(dgRowLines);
        if (C.DisableFixed) O.Include(dgRowLinesDisableFixed); else O.Exclude(dgRowLinesDisableFixed);
        F.Grid->SetOptions(O);
        Picker->SetEditRect();
        TRect Edit;
        Picker->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Edit));
        EXPECT_EQ(Edit.Top, C.Top);
        EXPECT_EQ(Edit.Left, 2);
    }
}

TEST_P(PublishedGrid, AddsAndRemovesColumnsThroughTheSelectedList) {
    TPublishedFixture Fx(GetParam(), 3);
    Fx.Grid->SetUseTFields(false);
    Fx.Grid->Selected()->SetText(u"ID\t5\tNumber\n");
    Fx.Grid->ApplySelected();
    // A field of the dataset: its width and label; a name it lacks: width 10 and the name.
    Fx.Grid->AddField(u"NAME", -1, true);
    Fx.Grid->AddField(u"GHOST", 0, false);
    ASSERT_EQ(Fx.Grid->Selected()->Count(), 3);
    EXPECT_EQ(Fx.Grid->Selected()->Strings(0), u"GHOST\t10\tGHOST");
    EXPECT_EQ(Fx.Grid->Selected()->Strings(2),
              u"NAME\t" + IntToStr(Fx.DS->FieldByName(u"NAME")->DisplayWidth()) + u"\t" +
                  Fx.DS->FieldByName(u"NAME")->DisplayLabel());
    EXPECT_NE(Fx.Grid->ColumnByName(u"NAME"), nullptr);
    // A name already there, in another case, adds nothing; removing an absent name does nothing.
    Fx.Grid->AddField(u"name", -1, true);
    Fx.Grid->RemoveField(u"nothing", true);
    EXPECT_EQ(Fx.Grid->Selected()->Count(), 3);
    Fx.Grid->RemoveField(u"ghost", false);
    Fx.Grid->RemoveField(u"Name", true);
    ASSERT_EQ(Fx.Grid->Selected()->Count(), 1);
    EXPECT_EQ(Fx.Grid->Selected()->Strings(0), u"ID\t5\tNumber");
    // With the fields as columns, the field's visibility changes instead.
    Fx.Grid->SetUseTFields(true);
    Fx.Grid->RemoveField(u"CITY", true);
    EXPECT_FALSE(Fx.DS->FieldByName(u"CITY")->Visible());
    Fx.Grid->AddField(u"CITY", -1, true);
    EXPECT_TRUE(Fx.DS->FieldByName(u"CITY")->Visible());
}

TEST_P(PublishedGrid, SortsBetweenItsEventsAndABeforeHandlerMustAgree) {
    TPublishedFixture Fx(GetParam(), 12);
    std::vector<std::string> Log;
    auto FirstName = [&] {
        Fx.DS->First();
        return U8(Fx.DS->FieldByName(u"NAME")->AsString());
    };
    Fx.Grid->OnAfterMenuSort = [&](TObject*, const String& Name, bool Desc) {
        Log.push_back("after " + U8(Name) + (Desc ? " desc" : " asc"));
    };
    Fx.Grid->Sort(u"NAME", false);
    EXPECT_EQ(FirstName(), "name1");
    Fx.Grid->Sort(u"NAME", true);
    EXPECT_EQ(FirstName(), "name9");
    // A handler that leaves DoDefault as it found it stops the sort.
    Fx.Grid->OnBeforeMenuSort = [&](TObject*, const String&, bool, bool&) { Log.push_back("before"); };
    Fx.Grid->Sort(u"NAME", false);
    EXPECT_EQ(FirstName(), "name9");
    Fx.Grid->OnBeforeMenuSort = [&](TObject*, const String&, bool, bool& DoDefault) { DoDefault = true; };
    Fx.Grid->Sort(u"NAME", false);
    EXPECT_EQ(FirstName(), "name1");
    EXPECT_EQ(Log, (std::vector<std::string>{"after NAME asc", "after NAME desc", "before", "after NAME asc"}));
}

TEST_P(PublishedGrid, AutoSizeGrowsWithinHalfTheGridAndShrinksToTheWidestText) {
    TPublishedFixture Fx(GetParam(), 5);
    const int NameCol = Fx.Grid->IndicatorOffset() + 1;
    TdaColumn* Name = Fx.Grid->ColumnByName(u"NAME");
    ASSERT_NE(Name, nullptr);
    // Wide: shrinks to "name5" and a little room.
    Name->SetDisplayWidth(40);
    Fx.Grid->AutoSizeColumn(NameCol);
    const int Shrunk = Fx.Grid->ColWidths(NameCol);
    EXPECT_LT(Shrunk, 80);
    EXPECT_GT(Shrunk, 20);
    // Narrow: grows back to the same width, which is within half the grid.
    Name->SetDisplayWidth(1);
    Fx.Grid->AutoSizeColumn(NameCol);
    EXPECT_EQ(Fx.Grid->ColWidths(NameCol), Shrunk);
    // A text wider than half the grid leaves a narrow column as it is.
    Fx.DS->First();
    Fx.DS->Edit();
    Fx.DS->FieldByName(u"NAME")->SetAsString(String(30, u'W'));
    Fx.DS->Post();
    Name->SetDisplayWidth(1);
    const int Narrow = Fx.Grid->ColWidths(NameCol);
    Fx.Grid->AutoSizeColumn(NameCol);
    EXPECT_EQ(Fx.Grid->ColWidths(NameCol), Narrow);
}

TEST_P(PublishedGrid, TheLastColumnWidensToTheGridAndTheTitleMenuNeedsAnItem) {
    TPublishedFixture Fx(GetParam(), 5);
    for (const char16_t* Name : {u"NAME", u"CITY"})
        Fx.Grid->ColumnByName(Name)->SetDisplayWidth(5);
    const int Last = Fx.Grid->ColCount() - 1;
    const int Before = Fx.Grid->ColWidths(Last);
    Fx.Grid->SizeLastColumn();
    EXPECT_GT(Fx.Grid->ColWidths(Last), Before);
    const TRect R = Fx.Grid->CellRect(Last, 1);
    EXPECT_LE(R.Right, Fx.Grid->ClientWidth());
    EXPECT_GE(R.Right, Fx.Grid->ClientWidth() - 40);

    TdaTitleMenuAttributes* T = Fx.Grid->TitleMenuAttributes();
    EXPECT_EQ(T->Options(), (TdaSortFilterOptions{sfoSortAscending, sfoFilter, sfoCreateIndexes, sfoAutoTitleButtonSort}));
    EXPECT_FALSE(T->TitleMenuEnabled());
    T->SetMenuEnabled(true);
    EXPECT_TRUE(T->TitleMenuEnabled());
    T->SetOptions({sfoCreateIndexes, sfoAutoTitleButtonSort});
    EXPECT_FALSE(T->TitleMenuEnabled());
    T->SetOptions({sfoSelectColumns});
    EXPECT_TRUE(T->TitleMenuEnabled());
    // The default hook lets every field be added, outside any group.
    String Groups = u"x";
    bool CanAdd = false;
    Fx.Grid->DoOnAddSelectColumn(Fx.DS->FieldByName(u"ID"), Groups, CanAdd);
    EXPECT_TRUE(CanAdd);
    EXPECT_TRUE(Groups.empty());
}
