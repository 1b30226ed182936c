// The inspector over records: a lookup field's row edited by a lookup combo of its own, and the
// horizontal bar that moves through the records of a view with several data columns; with the
// in-memory dataset and with tables in an SQLite file.
#include "InspectorTestSupport.h"

#include "dataaware/grids/GridTestSupport.h"

#include "dataaware/grids/daDBLookupCombo.h"
#include "platform/base/Strings.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"
#include "platform/gui/ScrollBars.h"

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

enum TKind { dkMemory, dkSQLite };

// An open table with an integer ID and the NAME values given, and another integer column when
// named (ID mod 3 + 1); Extra adds fields before the table opens.
TDataSet* MakeTable(TComponent* Owner, TKind Kind, const char* Table, std::initializer_list<const char*> Names,
                    const char* OtherInt = nullptr, const std::function<void(TDataSet*)>& Extra = {}) {
    if (Kind == dkMemory) {
        auto* DS = new TMemDataSet(Owner);
        DS->FieldDefs().Add(u"ID", ftInteger);
        DS->FieldDefs().Add(u"NAME", ftString, 30);
        if (OtherInt) DS->FieldDefs().Add(Utf8ToString(OtherInt), ftInteger);
        if (Extra) Extra(DS);
        DS->Open();
        int Id = 0;
        for (const char* N : Names) {
            DS->Append();
            DS->FieldByName(u"ID")->SetAsInteger(++Id);
            DS->FieldByName(u"NAME")->SetAsString(Utf8ToString(N));
            if (OtherInt) DS->FieldByName(Utf8ToString(OtherInt))->SetAsInteger(Id % 3 + 1);
            DS->Post();
        }
        DS->First();
        return DS;
    }
    const std::string File = (std::filesystem::current_path() / (std::string(Table) + ".sqlite")).string();
    std::string Sql = std::string("CREATE TABLE ") + Table + " (ID INTEGER, NAME VARCHAR(30)" +
                      (OtherInt ? std::string(", ") + OtherInt + " INTEGER" : std::string()) + ");";
    int Id = 0;
    for (const char* N : Names) {
        ++Id;
        Sql += std::string(" INSERT INTO ") + Table + " VALUES (" + std::to_string(Id) + ", '" + N + "'" +
               (OtherInt ? ", " + std::to_string(Id % 3 + 1) : std::string()) + ");";
    }
    EXPECT_EQ(std::system(("sqlite3 '" + File + "' \"" + Sql + "\"").c_str()), 0);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(Utf8ToString(Table));
    if (Extra) Extra(DS);
    DS->Open();
    return DS;
}

// What a table's SQLite file holds, read by the sqlite3 program.
std::string Stored(const char* Table, const std::string& Query) {
    const std::string File = (std::filesystem::current_path() / (std::string(Table) + ".sqlite")).string();
    FILE* P = popen(("sqlite3 '" + File + "' '" + Query + "'").c_str(), "r");
    std::string Out;
    char Buf[256];
    while (P && fgets(Buf, sizeof Buf, P))
        Out += Buf;
    if (P) pclose(P);
    return Out;
}

class InspectorRecords : public testing::TestWithParam<TKind> {};

} // namespace

TEST_P(InspectorRecords, ALookupFieldsRowIsEditedByALookupComboOfItsOwn) {
    TInspectorForm F(false, 284, 160);
    TDataSet* Customers = MakeTable(&F.Form, GetParam(), "customers", {"Alder Mills", "Bergen Bikes", "Birch Bakery"});
    // Orders: ID, NAME and CUST (the customer's ID: 2, 3, 1), and the customer's name looked up.
    TStringField* Name = nullptr;
    TDataSet* Orders = MakeTable(&F.Form, GetParam(), "orders", {"first", "second", "third"}, "CUST", [&](TDataSet* DS) {
        Name = new TStringField(&F.Form);
        Name->SetFieldName(u"CUSTNAME");
        Name->SetDisplayLabel(u"Customer");
        Name->SetDisplayWidth(24);
        Name->SetSize(30);
        Name->SetFieldKind(fkLookup);
        Name->SetLookupDataSet(Customers);
        Name->KeyFields = u"CUST";
        Name->LookupKeyFields = u"ID";
        Name->LookupResultField = u"NAME";
        Name->SetDataSet(DS);
    });
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(Orders);
    F.Insp->SetDataSource(Source);
    ProcessMessages();
    TdaInspectorItem* Cust = F.Insp->GetItemByFieldName(u"CUSTNAME");
    ASSERT_NE(Cust, nullptr);
    EXPECT_EQ(Cust->Field()->AsString(), u"Bergen Bikes");

    // Without the option the row is a text row.
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Cust);
    ProcessMessages();
    EXPECT_TRUE(F.Insp->UsesDefaultEditor());
    EXPECT_EQ(Cust->CustomControl(), nullptr);

    // With it the row makes its lookup combo once and keeps it as its control.
    Cust->Options.Include(iioAutoLookupCombo);
    F.Insp->SetActiveItem(F.Insp->GetItemByFieldName(u"NAME"));
    F.Insp->SetActiveItem(Cust);
    ProcessMessages();
    EXPECT_FALSE(F.Insp->UsesDefaultEditor());
    auto* Combo = dynamic_cast<TdaDBLookupCombo*>(Cust->CustomControl());
    ASSERT_NE(Combo, nullptr);
    EXPECT_EQ(F.Insp->CurrentCustomEdit(), Combo);
    EXPECT_EQ(Combo->Owner(), F.Insp);
    EXPECT_EQ(Combo->Parent(), F.Insp);
    EXPECT_TRUE(Combo->Visible());
    EXPECT_FALSE(Combo->TabStop());
    EXPECT_TRUE(Combo->ShowMatchText());
    EXPECT_EQ(Combo->LookupTable(), Customers);
    EXPECT_EQ(Combo->LookupField(), u"ID");
    ASSERT_EQ(Combo->Selected()->Count(), 1);
    EXPECT_EQ(Combo->Selected()->Strings(0), u"NAME\t24\tCustomer");
    EXPECT_EQ(Combo->DataSource(), Source);
    EXPECT_EQ(Combo->DataField(), u"CUSTNAME");
    EXPECT_EQ(Combo->Text(), u"Bergen Bikes");
    const TRect Cell = F.Insp->CellRect(1, F.Insp->Row());
    EXPECT_EQ(Combo->BoundsRect(), TRect(Cell.Left + 1, Cell.Top, Cell.Right - 1, Cell.Top + Cell.Height() - 1));
    F.Insp->SetActiveItem(F.Insp->GetItemByFieldName(u"NAME"));
    F.Insp->SetActiveItem(Cust);
    ProcessMessages();
    EXPECT_EQ(Cust->CustomControl(), Combo) << "made once";

    // Typing picks a customer by its name; leaving the row writes the key of the order.
    ASSERT_TRUE(Combo->Focused());
    Combo->SelectAll();
    for (Word K : {Word('B'), Word('I')})
        KeyMessages(Combo, K);
    EXPECT_EQ(Combo->Text(), u"Birch Bakery");
    F.Key(VK_DOWN);
    EXPECT_FALSE(Combo->Visible());
    ASSERT_EQ(Orders->State(), dsEdit);
    Orders->Post();
    EXPECT_EQ(Orders->FieldByName(u"CUST")->AsInteger(), 3);
    EXPECT_EQ(Name->AsString(), u"Birch Bakery");
    if (GetParam() == dkSQLite) {
        EXPECT_EQ(Stored("orders", "SELECT CUST FROM orders WHERE ID = 1"), "3\n");
    }

    // Away from its row the combo's own image stands in the cell: the text and the button.
    F.Insp->Invalidate();
    auto Pic = GrabControl(F.Insp);
    const TRect R = F.Insp->CellRect(1, F.Insp->GetRowByItem(Cust));
    int Dark = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (RgbOf(*Pic, X + 2, Y + 2) == 0) ++Dark; // the client edge is 2 pixels
    EXPECT_GT(Dark, 20);
    Keep(*Pic, GetParam() == dkMemory ? "inspector_lookup_memory" : "inspector_lookup_sqlite");
}

TEST_P(InspectorRecords, TheHorizontalBarMovesThroughTheRecords) {
    TInspectorForm F(false, 360, 120);
    TDataSet* DS = MakeTable(&F.Form, GetParam(), "t", {"one", "two", "three", "four", "five"});
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(DS);
    F.Insp->SetScrollBars(StdCtrls::ssBoth);
    F.Insp->SetDataColumns(3);
    F.Insp->SetDataSource(Source);
    F.Insp->SetFocus();
    ProcessMessages();
    auto Bar = [&] {
        TScrollInfo I;
        I.fMask = SIF_ALL;
        EXPECT_TRUE(GetScrollInfo(F.Insp->Handle(), SB_HORZ, I));
        return std::vector<int>{I.nMin, I.nMax, int(I.nPage), I.nPos};
    };
    // Records 1 .. 5 with a page of three columns, at the first.
    EXPECT_EQ(Bar(), (std::vector<int>{1, 7, 3, 1}));
    EXPECT_EQ(F.Insp->Col(), 1);
    auto Scroll = [&](int Code, int Pos = 0) {
        SendMessage(F.Insp->Handle(), WM_HSCROLL, MAKEWPARAM(Code, Pos), 0);
        ProcessMessages();
    };
    Scroll(SB_LINERIGHT);
    EXPECT_EQ(DS->RecNo(), 2);
    EXPECT_EQ(Bar()[3], 2);
    EXPECT_EQ(F.Insp->Col(), F.Insp->DataLink()->ActiveRecord() + 1);
    Scroll(SB_PAGERIGHT);
    EXPECT_EQ(DS->RecNo(), 4);
    Scroll(SB_RIGHT);
    EXPECT_EQ(DS->RecNo(), 5);
    EXPECT_EQ(Bar()[3], 5);
    EXPECT_EQ(F.Insp->Col(), F.Insp->DataLink()->ActiveRecord() + 1);
    Scroll(SB_LINELEFT);
    EXPECT_EQ(DS->RecNo(), 4);
    Scroll(SB_THUMBPOSITION, 2);
    EXPECT_EQ(DS->RecNo(), 2);
    Scroll(SB_THUMBPOSITION, 9);
    EXPECT_EQ(DS->RecNo(), 5);
    Scroll(SB_LEFT);
    EXPECT_EQ(DS->RecNo(), 1);
    EXPECT_EQ(F.Insp->Col(), 1);
    // The bar follows moves made elsewhere.
    DS->MoveBy(2);
    ProcessMessages();
    EXPECT_EQ(Bar()[3], 3);
    // A new record nobody typed into goes away on a step sideways.
    DS->Append();
    ProcessMessages();
    Scroll(SB_LINELEFT);
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->RecordCount(), 5);
    Keep(*GrabControl(F.Insp), GetParam() == dkMemory ? "inspector_records_memory" : "inspector_records_sqlite");

    // One data column, or no horizontal bar asked for: no bar.
    auto HasBar = [&] { return (GetWindowLong(F.Insp->Handle(), GWL_STYLE) & WS_HSCROLL) != 0; };
    EXPECT_TRUE(HasBar());
    F.Insp->SetDataColumns(1);
    ProcessMessages();
    EXPECT_FALSE(HasBar());
    F.Insp->SetDataColumns(2);
    ProcessMessages();
    EXPECT_TRUE(HasBar());
    EXPECT_EQ(Bar(), (std::vector<int>{1, 6, 2, 3}));
    F.Insp->SetScrollBars(StdCtrls::ssVertical);
    ProcessMessages();
    EXPECT_FALSE(HasBar());
}

INSTANTIATE_TEST_SUITE_P(DataSets, InspectorRecords, testing::Values(dkMemory, dkSQLite),
                         [](const auto& I) { return std::string(I.param == dkMemory ? "Memory" : "SQLite"); });
