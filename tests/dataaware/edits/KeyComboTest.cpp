// The index chooser over people in memory or in an SQLite file: its entries from the dataset's
// indexes or fields, its selection following the dataset's order, and the order it switches to.
#include "dataaware/edits/daKeyCombo.h"
#include "EditTestSupport.h"

#include "support/QuestionTestSupport.h"

namespace {

const std::vector<TPersonRow> People = {
    {u"Miller", u"Ann", 20}, {u"adams", u"Bob", 50}, {u"Baker", u"Cy", 10}, {u"Young", u"Di", 40}};

// A stand-in for a grid: the chooser reads only its published "Selected" list.
class TSelectedHolder : public TComponent {
    DECLARE_CLASS(TSelectedHolder, TComponent)
public:
    using TComponent::TComponent;
    TStringList List;
    TStrings* Selected() { return &List; }

private:
    static void Published(TPublisher<TSelectedHolder>& P) { P.Property(u"Selected", &TSelectedHolder::Selected); }
};

struct TKeyForm {
    TForm Form{nullptr};
    TDataSet* DS;
    TDataSource* Source;
    TdaKeyCombo* Key;
    explicit TKeyForm(TDataSetKind Kind) {
        Form.SetBounds(0, 0, 300, 100);
        DS = MakePeopleDataSet(&Form, Kind, People);
        DS->FieldByName(u"LAST")->SetDisplayLabel(u"LastName");
        DS->FieldByName(u"FIRST")->SetDisplayLabel(u"First~Name");
        DS->FieldByName(u"AMOUNT")->SetDisplayLabel(u"Total");
        DS->IndexDefs().Add(u"byLast", u"LAST", 0);
        DS->IndexDefs().Add(u"byAmount", u"AMOUNT", ixDescending);
        DS->IndexDefs().Add(u"byFirst", u"FIRST;LAST", 0);
        Source = new TDataSource(&Form);
        Source->SetDataSet(DS);
        Key = new TdaKeyCombo(&Form);
        Key->SetParent(&Form);
        Key->SetBounds(8, 8, 150, 22);
        Form.Show();
        Key->SetDataSource(Source);
        ProcessMessages();
    }
    std::vector<String> Entries() {
        std::vector<String> R;
        for (int I = 0; I < Key->Items()->Count(); ++I) R.push_back(Key->Items()->Strings(I));
        return R;
    }
    // The user opens the list and picks an entry.
    void Pick(int Index) {
        Key->DropDown();
        Key->Listbox()->SetItemIndex(Index);
        Key->CloseUp(true);
    }
    String FirstLast() {
        DS->First();
        return DS->FieldByName(u"LAST")->AsString();
    }
};

class KeyComboBound : public testing::TestWithParam<TDataSetKind> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(DataSets, KeyComboBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(KeyComboBound, ListsTheIndexesByTheirFirstFieldAndSwitchesToThePickedOne) {
    TKeyForm F(GetParam());
    EXPECT_EQ(F.Entries(), (std::vector<String>{u"LastName", u"Total - Desc", u"First Name"}));
    EXPECT_EQ(F.Key->ItemIndex(), -1); // no order yet

    std::vector<bool> CloseUps;
    F.Key->OnCloseUp = [&](TdaKeyCombo*, bool Select) { CloseUps.push_back(Select); };
    F.Pick(1);
    EXPECT_EQ(F.DS->IndexName(), u"byAmount");
    EXPECT_EQ(F.FirstLast(), u"adams");
    EXPECT_EQ(F.Key->Text(), u"Total - Desc");
    EXPECT_EQ(CloseUps, std::vector<bool>{true});
    F.Pick(0);
    EXPECT_EQ(F.DS->IndexName(), u"byLast");
    EXPECT_EQ(F.FirstLast(), u"Baker"); // an index that respects case puts capitals first

    // The selection follows an order set elsewhere.
    F.DS->SetIndexName(u"byFirst");
    EXPECT_EQ(F.Key->Text(), u"First Name");
    F.DS->SetIndexName(u"");
    F.DS->SetIndexFieldNames(u"LAST");
    EXPECT_EQ(F.Key->Text(), u"LastName");
}

TEST_P(KeyComboBound, ACaseInsensitiveIndexWinsAmongIndexesOnOneField) {
    TKeyForm F(GetParam());
    F.DS->IndexDefs().Add(u"byLastNoCase", u"LAST", ixCaseInsensitive);
    F.Key->InitCombo();
    EXPECT_EQ(F.Entries(), (std::vector<String>{u"LastName", u"Total - Desc", u"First Name"}));
    F.Pick(0);
    EXPECT_EQ(F.DS->IndexName(), u"byLastNoCase");
    EXPECT_EQ(F.Key->Text(), u"LastName");
}

TEST_P(KeyComboBound, ShowAllIndexesListsIndexNamesWithThePrimaryKeyForTheUnnamed) {
    TKeyForm F(GetParam());
    F.DS->IndexDefs().Add(u"", u"ID", ixPrimary);
    F.Key->SetPrimaryKeyName(u"");
    EXPECT_EQ(F.Key->PrimaryKeyName(), u"PrimaryKey");
    F.Key->SetShowAllIndexes(true);
    EXPECT_EQ(F.Entries(), (std::vector<String>{u"byLast", u"byAmount", u"byFirst", u"PrimaryKey"}));
    EXPECT_EQ(F.Key->Text(), u"PrimaryKey"); // no index name: the unnamed one
    F.Pick(1);
    EXPECT_EQ(F.DS->IndexName(), u"byAmount");
    F.Pick(3);
    EXPECT_EQ(F.DS->IndexName(), u"");
}

TEST_P(KeyComboBound, AllFieldsModeListsPlainVisibleFieldsAndSetsTheIndexFieldNames) {
    TKeyForm F(GetParam());
    F.DS->FieldByName(u"ID")->SetVisible(false);
    F.Key->SetShowAllFields(true);
    EXPECT_EQ(F.Entries(), (std::vector<String>{u"LastName", u"First Name", u"Total"}));
    F.Pick(2);
    EXPECT_EQ(F.DS->IndexFieldNames(), u"AMOUNT");
    EXPECT_EQ(F.FirstLast(), u"Baker");
    EXPECT_EQ(F.Key->Text(), u"Total");

    // With a grid, its selected columns decide what counts as visible.
    TSelectedHolder Grid(nullptr);
    Grid.List.Add(u"ID\t5\tNo\tF");
    Grid.List.Add(u"LAST\t20\tLast\tF");
    F.Key->InitComboWithGrid(&Grid);
    EXPECT_EQ(F.Entries(), (std::vector<String>{u"ID", u"LastName"}));
}
