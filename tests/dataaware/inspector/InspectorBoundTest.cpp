// The inspector bound to a dataset: one row per field, typed values go into the record and are
// posted, read-only fields and an empty dataset take no typing, the check-box row writes the
// field; with the in-memory dataset and with a table in an SQLite file.
#include "InspectorTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"

#include <cstdlib>
#include <filesystem>

namespace {

enum TKind { dkMemory, dkSQLite };

TDataSet* MakeDataSet(TComponent* Owner, TKind Kind, bool Empty = false) {
    if (Kind == dkMemory) {
        auto* DS = new TMemDataSet(Owner);
        DS->FieldDefs().Add(u"ID", ftInteger);
        DS->FieldDefs().Add(u"NAME", ftString, 20);
        DS->FieldDefs().Add(u"ACTIVE", ftString, 3);
        DS->Open();
        if (!Empty) {
            DS->Append();
            DS->FieldByName(u"ID")->SetAsInteger(1);
            DS->FieldByName(u"NAME")->SetAsString(u"one");
            DS->FieldByName(u"ACTIVE")->SetAsString(u"no");
            DS->Post();
            DS->First();
        }
        return DS;
    }
    static int Count = 0;
    const std::string File =
        (std::filesystem::current_path() / ("insp" + std::to_string(++Count) + ".sqlite")).string();
    const std::string Command = "sqlite3 '" + File +
                                "' \"CREATE TABLE t (ID INTEGER, NAME VARCHAR(20), ACTIVE VARCHAR(3));" +
                                (Empty ? "" : " INSERT INTO t VALUES (1, 'one', 'no');") + "\"";
    EXPECT_EQ(std::system(Command.c_str()), 0);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"t");
    DS->Open();
    return DS;
}

// The NAME column as the file holds it, read by the sqlite3 program.
std::string StoredNames(TDataSet* DS) {
    const std::string File = StringToUtf8(static_cast<TSQLiteDataSet*>(DS)->DatabaseName());
    FILE* P = popen(("sqlite3 '" + File + "' 'SELECT NAME FROM t'").c_str(), "r");
    std::string Out;
    char Buf[256];
    while (P && fgets(Buf, sizeof Buf, P))
        Out += Buf;
    if (P) pclose(P);
    return Out;
}

class InspectorBound : public testing::TestWithParam<TKind> {};

} // namespace

TEST_P(InspectorBound, TypedValuesGoIntoTheRecordAndArePosted) {
    TInspectorForm F(false);
    TDataSet* DS = MakeDataSet(&F.Form, GetParam());
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(DS);
    F.Insp->SetDataSource(Source);
    ProcessMessages();
    // One row per field, captioned with its label.
    ASSERT_EQ(F.Insp->Items()->Count(), 3);
    EXPECT_EQ(F.Insp->RowCount(), 3);
    TdaInspectorItem* Name = F.Insp->GetItemByFieldName(u"name");
    ASSERT_NE(Name, nullptr);
    EXPECT_EQ(Name->Caption(), u"NAME");
    EXPECT_EQ(Name->Field(), DS->FieldByName(u"NAME"));

    std::vector<String> Fields;
    F.Insp->OnFieldChanged = [&](TObject*, TField* Fld) { Fields.push_back(Fld->FieldName()); };
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Name);
    ProcessMessages();
    ASSERT_TRUE(F.Insp->InplaceEditor()->Focused());
    EXPECT_EQ(F.Insp->InplaceEditor()->Text(), u"one");
    F.Insp->InplaceEditor()->SelectAll();
    F.Type(u"two");
    EXPECT_EQ(DS->State(), dsEdit);
    F.Key(VK_DOWN);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"two");
    EXPECT_EQ(Fields, std::vector<String>{u"NAME"});
    DS->Post();
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"two");
    if (GetParam() == dkSQLite) {
        EXPECT_EQ(StoredNames(DS), "two\n");
    }

    // A check-box row writes line 0 or 1 into its field.
    TdaInspectorItem* Active = F.Insp->GetItemByFieldName(u"ACTIVE");
    Active->PickList()->Items()->Add(u"yes");
    Active->PickList()->Items()->Add(u"no");
    Active->PickList()->DisplayAsCheckbox = true;
    F.Insp->SetActiveItem(Active);
    F.Key(VK_SPACE);
    EXPECT_EQ(DS->FieldByName(u"ACTIVE")->AsString(), u"yes");
    EXPECT_EQ(Active->EditText(), u"yes");
    DS->Post();
    EXPECT_TRUE(Active->Checked());

    // A read-only field takes no typing.
    DS->FieldByName(u"ID")->SetReadOnly(true);
    TdaInspectorItem* Id = F.Insp->GetItemByFieldName(u"ID");
    F.Insp->SetActiveItem(Id);
    ProcessMessages();
    F.Type(u"9");
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->FieldByName(u"ID")->AsInteger(), 1);
}

TEST_P(InspectorBound, AnEmptyDataSetBlocksEditingUnlessInsertingIsAllowed) {
    TInspectorForm F(false);
    TDataSet* DS = MakeDataSet(&F.Form, GetParam(), true);
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(DS);
    F.Insp->SetDataSource(Source);
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Insp->GetItemByFieldName(u"NAME"));
    ProcessMessages();
    EXPECT_FALSE(F.Insp->CanEditModify());
    F.Insp->SetOptions(F.Insp->Options() + TdaDataInspectorOptions{ovAllowInsert});
    EXPECT_TRUE(F.Insp->CanEditModify());
    EXPECT_EQ(DS->State(), dsInsert);
}

INSTANTIATE_TEST_SUITE_P(DataSets, InspectorBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& I) { return std::string(I.param == dkMemory ? "Memory" : "SQLite"); });
