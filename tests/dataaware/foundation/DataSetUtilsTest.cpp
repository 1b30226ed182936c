// Dataset search, index choice and field checks on both dataset kinds; parameter buffers; the
// cursor and the bound controls come back after a failing dataset call.
#include "dataaware/foundation/daDataSetUtils.h"

#include "DataSetFixture.h"
#include "platform/gui/Forms.h"
#include "support/QuestionTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Tables as the incremental search meets them: classes named as a table kind.
namespace mem {
class TTable : public TMemDataSet {
    DECLARE_CLASS(TTable, TMemDataSet)
public:
    using TMemDataSet::TMemDataSet;
};
} // namespace mem
namespace lite {
class TTable : public TSQLiteDataSet {
    DECLARE_CLASS(TTable, TSQLiteDataSet)
public:
    using TSQLiteDataSet::TSQLiteDataSet;
};
} // namespace lite

// A library table that narrows its search by range, through a range call that fails.
class TdaTable : public mem::TTable {
    DECLARE_CLASS(TdaTable, mem::TTable)
public:
    using mem::TTable::TTable;
    void GetVariable(const String& Name, Variant& Value) {
        if (Name == u"NarrowSearch") Value = true;
    }
    void GetVariableWithParams2(const String&, const TVariantArray&, Variant&, const TVariantArray&) {
        throw EDatabaseError(u"range refused");
    }
    void SetVariable(const String&, const Variant&) { throw EDatabaseError(u"range refused"); }

private:
    static void Published(TPublisher<TdaTable>& P) {
        P.Method(u"GetVariable", &TdaTable::GetVariable);
        P.Method(u"GetVariableWithParams2", &TdaTable::GetVariableWithParams2);
        P.Method(u"SetVariable", &TdaTable::SetVariable);
    }
};

TDataSet* MakeTable(TDataSetKind Kind, TComponent* Owner) {
    TDataSet* DS = MakeFixtureDataSet<mem::TTable, lite::TTable>(Kind, Owner);
    DS->IndexDefs().Add(u"ByName", u"NAME", ixCaseInsensitive);
    DS->IndexDefs().Add(u"ByPrice", u"PRICE", 0);
    DS->IndexDefs().Add(u"ByNameDown", u"NAME", ixDescending | ixCaseInsensitive);
    DS->IndexDefs().Add(u"ByNameId", u"NAME;ID", ixCaseInsensitive);
    DS->Open();
    return DS;
}

String Name(TDataSet* DS) { return DS->FieldByName(u"NAME")->AsString(); }

class Search : public testing::TestWithParam<TDataSetKind> {};

} // namespace

TEST_P(Search, ActiveIndexFromTheNameOrTheFieldNames) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeTable(GetParam(), &Owner);
    TIndexDef D;
    EXPECT_FALSE(daGetActiveIndexDef(DS, D));
    EXPECT_EQ(daGetIndexFieldCount(DS), 0);
    DS->SetIndexName(u"ByNameId");
    ASSERT_TRUE(daGetActiveIndexDef(DS, D));
    EXPECT_EQ(D.Name, u"ByNameId");
    EXPECT_EQ(daGetIndexFieldCount(DS), 2);
    EXPECT_EQ(daGetIndexField(DS, 1), DS->FieldByName(u"ID"));
    EXPECT_EQ(daGetIndexField(DS, 2), nullptr);
    EXPECT_FALSE(daIsIndexCaseSensitive(DS));
    DS->SetIndexName(u"ByNameDown");
    EXPECT_TRUE(daIsIndexDescending(DS));
    DS->SetIndexName(u"");
    DS->SetIndexFieldNames(u"PRICE");
    ASSERT_TRUE(daGetActiveIndexDef(DS, D));
    EXPECT_EQ(D.Name, u"ByPrice");
    EXPECT_TRUE(daIsIndexCaseSensitive(DS));
    EXPECT_FALSE(daIsIndexDescending(DS));
    String First;
    daGetFirstIndexField(DS, First);
    EXPECT_EQ(First, u"PRICE");
}

TEST_P(Search, IndexChoiceForFieldsAndSorting) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeTable(GetParam(), &Owner);
    const TIndexDef* D = daFindIndexDefForFields(DS, u"name", true, true);
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->Name, u"ByName");
    D = daFindIndexDefForFields(DS, u"NAME", false, false);
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->Name, u"ByNameDown");
    EXPECT_EQ(daFindIndexDefForFields(DS, u"PRICE", true, true), nullptr);
    daSetIndexForFields(DS, u"name;id");
    EXPECT_EQ(DS->IndexName(), u"ByNameId");

    daSortByField(DS, u"NAME", false, false);
    EXPECT_EQ(DS->IndexName(), u"ByName");
    DS->First();
    EXPECT_EQ(Name(DS), u"alpha");
    daSortByField(DS, u"NAME", true, false);
    DS->First();
    EXPECT_EQ(Name(DS), u"Delta");
    // Descending on a field without such an index: one is made once, then reused.
    daSortByField(DS, u"PRICE", true, true);
    EXPECT_EQ(DS->IndexName(), u"z2uPRICE");
    const int Count = DS->IndexDefs().Count();
    daSortByField(DS, u"ID", false, false);
    daSortByField(DS, u"PRICE", true, true);
    EXPECT_EQ(DS->IndexName(), u"z2uPRICE");
    EXPECT_EQ(DS->IndexDefs().Count(), Count);
    DS->First();
    EXPECT_EQ(Name(DS), u"Alpine");
    // Ascending without an index: the field names order the records.
    DS->SetIndexName(u"");
    daSortByField(DS, u"ID", false, false);
    EXPECT_EQ(DS->IndexFieldNames(), u"ID");
    daSortByField(DS, u"NOTES", true, true);
    EXPECT_EQ(DS->IndexFieldNames(), u"ID");
}

TEST_P(Search, IncrementalSearchOnAnIndexedTable) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeTable(GetParam(), &Owner);
    DS->SetIndexName(u"ByName");
    EXPECT_TRUE(daFindIncremental(DS, u"alp", 0));
    EXPECT_EQ(Name(DS), u"alpha");
    EXPECT_TRUE(daFindIncremental(DS, u"ALPI", 0));
    EXPECT_EQ(Name(DS), u"Alpine");
    EXPECT_FALSE(daFindIncremental(DS, u"zulu", 0));
    EXPECT_TRUE(daFindIncremental(DS, u"", 0));
    // The second index field after the first one's current value.
    DS->SetIndexName(u"ByNameId");
    daFindIncremental(DS, u"Charlie", 0);
    EXPECT_TRUE(daFindIncremental(DS, u"3", 1));
    EXPECT_EQ(DS->FieldByName(u"ID")->AsInteger(), 3);
    // Text that is no number on a number field: no move.
    DS->SetIndexName(u"");
    DS->SetIndexFieldNames(u"PRICE");
    daFindIncremental(DS, u"2", 0);
    EXPECT_EQ(Name(DS), u"bravo");
    EXPECT_FALSE(daFindIncremental(DS, u"two", 0));
    EXPECT_EQ(Name(DS), u"bravo");
}

TEST_P(Search, IncrementalSearchNeedsATableWithAnIndex) {
    TComponent Owner(nullptr);
    TDataSet* Plain = MakeFixtureDataSet(GetParam(), &Owner);
    Plain->Open();
    Plain->Last();
    EXPECT_FALSE(daFindIncremental(Plain, u"alpha", 0));
    EXPECT_EQ(Plain->RecNo(), 5);
    TDataSet* Table = MakeTable(GetParam(), &Owner);
    Table->SetName(u"Parts");
    TQuestionScript Questions;
    Questions.Answer(mrOk);
    EXPECT_FALSE(daFindIncremental(Table, u"alpha", 0));
    ASSERT_EQ(Questions.Asked().size(), 1u);
    EXPECT_EQ(Questions.Asked()[0].Text, u"Table Parts: Table index not found");
}

TEST_P(Search, LocateUnlessCurrent) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeFixtureDataSet(GetParam(), &Owner);
    DS->Open();
    DS->Last();
    // Already there: no move (the current record is the last).
    EXPECT_TRUE(daLocateUnlessCurrent(DS, u"alpine", u"NAME", false, false));
    EXPECT_EQ(DS->RecNo(), 5);
    EXPECT_FALSE(daLocateUnlessCurrent(DS, u"alpine", u"NAME", true, false));
    EXPECT_TRUE(daLocateUnlessCurrent(DS, u"Char", u"NAME", true, true));
    EXPECT_EQ(Name(DS), u"Charlie");
    EXPECT_TRUE(daLocateUnlessCurrent(DS, u"BRAVO", u"name", false, false));
    EXPECT_EQ(Name(DS), u"bravo");
    EXPECT_FALSE(daLocateUnlessCurrent(DS, u"x", u"NOFIELD", false, false));
}

TEST_P(Search, FieldTextChecksAndLabels) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeFixtureDataSet(GetParam(), &Owner);
    DS->Open();
    TField* Id = DS->FieldByName(u"ID");
    TField* NameField = DS->FieldByName(u"NAME");
    EXPECT_FALSE(daIsValidFieldValue(Id, u""));
    EXPECT_TRUE(daIsValidFieldValue(NameField, u""));
    EXPECT_FALSE(daIsValidFieldText(Id, u"1.5"));
    EXPECT_TRUE(daIsValidFieldText(DS->FieldByName(u"PRICE"), u"1.5"));
    EXPECT_FALSE(daIsValidFieldValue(nullptr, u"1"));
    EXPECT_THROW(daCheckTextForType(ftInteger, u"1z"), EConvertError);
    EXPECT_NO_THROW(daCheckTextForType(ftInteger, u"12   "));
    EXPECT_NO_THROW(daCheckTextForType(ftDate, u"   "));
    EXPECT_TRUE(daDataSetHasField(DS, u"price"));
    EXPECT_FALSE(daDataSetHasField(nullptr, u"price"));
    NameField->SetDisplayLabel(u"Part~Name");
    String Found;
    daFieldNameOfLabel(DS, u"part name", Found);
    EXPECT_EQ(Found, u"NAME");
    EXPECT_FALSE(daIsNonBinaryFieldType(ftBlob));
    EXPECT_TRUE(daIsNonBinaryFieldType(ftMemo));
    EXPECT_EQ(daClamp(5, 7, 9), 7);
    EXPECT_EQ(daClamp(12, 7, 9), 9);
    EXPECT_EQ(daScaleByPPI(77, 144), 115);
}

TEST_P(Search, AFailingRangeCallLeavesNeitherHourglassNorDisabledControls) {
    TComponent Owner(nullptr);
    auto* DS = new TdaTable(&Owner);
    DS->FieldDefs().Add(u"NAME", ftString, 20);
    DS->IndexDefs().Add(u"ByName", u"NAME", 0);
    DS->Open();
    DS->SetIndexName(u"ByName");
    const TCursor Before = Screen->Cursor();
    EXPECT_THROW(daFindIncremental(DS, u"abc", 0), EDatabaseError);
    EXPECT_FALSE(DS->ControlsDisabled());
    EXPECT_EQ(Screen->Cursor(), Before);
    EXPECT_THROW(daFindIncremental(DS, u"", 0), EDatabaseError);
    EXPECT_FALSE(DS->ControlsDisabled());
}

TEST(DataSetUtils, ParameterBuffersAreNeverOverrun) {
    TMemDataSet DS(nullptr);
    DS.FieldDefs().Add(u"S", ftString, 20);
    DS.FieldDefs().Add(u"I", ftInteger);
    DS.FieldDefs().Add(u"B", ftBoolean);
    DS.FieldDefs().Add(u"F", ftFloat);
    DS.Open();
    DS.Append();
    DS.FieldByName(u"S")->SetAsString(u"Hello");
    DS.FieldByName(u"I")->SetAsInteger(0x01020304);
    DS.FieldByName(u"B")->SetAsBoolean(true);
    DS.FieldByName(u"F")->SetAsFloat(2.5);
    DS.Post();
    Byte Buffer[12];
    std::memset(Buffer, 0xAA, sizeof Buffer);
    TParam P;
    // Text is cut to the buffer, with its zero inside it.
    EXPECT_TRUE(daFieldToParamData(DS.FieldByName(u"S"), P, Buffer, 4));
    EXPECT_EQ(std::memcmp(Buffer, "Hel\0", 4), 0);
    EXPECT_EQ(Buffer[4], 0xAA);
    EXPECT_EQ(P.AsString(), u"Hel");
    EXPECT_TRUE(daFieldToParamData(DS.FieldByName(u"S"), P, Buffer, sizeof Buffer));
    EXPECT_EQ(std::memcmp(Buffer, "Hello\0", 6), 0);
    // A fixed-size value that does not fit is not written at all.
    std::memset(Buffer, 0xAA, sizeof Buffer);
    EXPECT_FALSE(daFieldToParamData(DS.FieldByName(u"I"), P, Buffer, 2));
    EXPECT_EQ(Buffer[0], 0xAA);
    EXPECT_TRUE(daFieldToParamData(DS.FieldByName(u"I"), P, Buffer, 4));
    std::int32_t I = 0;
    std::memcpy(&I, Buffer, 4);
    EXPECT_EQ(I, 0x01020304);
    EXPECT_EQ(P.DataType, ftInteger);
    EXPECT_TRUE(daFieldToParamData(DS.FieldByName(u"B"), P, Buffer, sizeof Buffer));
    EXPECT_EQ(Buffer[0], 0xFF);
    EXPECT_EQ(Buffer[1], 0xFF);
    EXPECT_TRUE(daFieldToParamData(DS.FieldByName(u"F"), P, Buffer, sizeof Buffer));
    double F = 0;
    std::memcpy(&F, Buffer, 8);
    EXPECT_EQ(F, 2.5);
    EXPECT_FALSE(daFieldToParamData(DS.FieldByName(u"F"), P, Buffer, 0));
}

TEST(DataSetUtils, CurrencyAsBcd) {
    const TdaBcd B = daCurrencyToBcd(-12.5, 32, 4);
    EXPECT_EQ(B.Precision, 32);
    EXPECT_EQ(B.SignSpecialPlaces, 0x84);
    // 125000 right-aligned in 32 nibbles: ... 0x12 0x50 0x00.
    EXPECT_EQ(B.Fraction[13], 0x12);
    EXPECT_EQ(B.Fraction[14], 0x50);
    EXPECT_EQ(B.Fraction[15], 0x00);
    EXPECT_EQ(B.Fraction[12], 0x00);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Search, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(Search, LookupFieldPositionsItsLookupDataSet) {
    TComponent Owner(nullptr);
    TDataSet* Parts = MakeFixtureDataSet(GetParam(), &Owner);
    Parts->Open();
    TMemDataSet Orders(nullptr);
    Orders.FieldDefs().Add(u"PART", ftInteger);
    auto* Data = new TIntegerField(&Orders);
    Data->SetFieldName(u"PART");
    Data->SetDataSet(&Orders);
    auto* Lookup = new TStringField(&Orders);
    Lookup->SetFieldName(u"PARTNAME");
    Lookup->SetFieldKind(fkLookup);
    Lookup->SetLookupDataSet(Parts);
    Lookup->KeyFields = u"PART";
    Lookup->LookupKeyFields = u"ID";
    Lookup->LookupResultField = u"NAME";
    Lookup->SetDataSet(&Orders);
    Orders.Open();
    Orders.Append();
    Orders.FieldByName(u"PART")->SetAsInteger(4);
    Orders.Post();
    TField* Result = daGetLookupResultField(&Orders, Lookup, nullptr);
    ASSERT_NE(Result, nullptr);
    EXPECT_EQ(Result->AsString(), u"bravo");
    // Through a parameter source: the parameter's text is the key.
    TParam Key;
    Key.SetAsString(u"2");
    Result = daGetLookupResultField(&Orders, Lookup, [&](const String& Name) { return Name == u"PART" ? &Key : nullptr; });
    ASSERT_NE(Result, nullptr);
    EXPECT_EQ(Result->AsString(), u"alpha");
    Key.SetAsString(u"99");
    EXPECT_EQ(daGetLookupResultField(&Orders, Lookup, [&](const String&) { return &Key; }), nullptr);
}
