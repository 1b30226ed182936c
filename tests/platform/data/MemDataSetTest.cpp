#include "platform/base/DateTime.h"
#include "platform/base/Strings.h"
#include "platform/data/Conformance.h"
#include "platform/data/MemDataSet.h"

namespace {

TDataSet* MakeMemDataSet(TComponent* Owner, const std::vector<TConformanceRow>& Rows) {
    auto* DS = new TMemDataSet(Owner);
    DS->FieldDefs().Add(u"ID", ftInteger, 0, true);
    DS->FieldDefs().Add(u"NAME", ftString, 20);
    DS->FieldDefs().Add(u"PRICE", ftFloat);
    DS->FieldDefs().Add(u"NOTES", ftMemo);
    DS->FieldDefs().Add(u"DATA", ftBlob);
    DS->IndexDefs().Add(u"PrimaryKey", u"ID", ixPrimary | ixUnique);
    DS->Open();
    for (const TConformanceRow& R : Rows) {
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(R.Id);
        DS->FieldByName(u"NAME")->SetAsString(R.Name);
        DS->FieldByName(u"PRICE")->SetAsFloat(R.Price);
        DS->Post();
    }
    DS->Close();
    return DS;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Memory, DataSetConformance,
                         testing::Values(TDataSetFactory{"Memory", MakeMemDataSet}),
                         [](const auto& Info) { return Info.param.Kind; });

namespace {

// A dataset with persistent fields of every kind.
struct TTypedFixture {
    TComponent Owner{nullptr};
    TMemDataSet* DS = new TMemDataSet(&Owner);
    template <class T> T* Add(const String& Name, TFieldKind Kind = fkData) {
        auto* F = new T(&Owner);
        F->SetFieldName(Name);
        F->SetFieldKind(Kind);
        F->SetDataSet(DS);
        return F;
    }
};

} // namespace

TEST(MemDataSet, FieldKindsConvertAndShowTheirText) {
    TTypedFixture Fx;
    auto* Str = Fx.Add<TStringField>(u"S");
    Str->SetSize(5);
    auto* Int = Fx.Add<TIntegerField>(u"I");
    auto* Small = Fx.Add<TSmallintField>(u"SM");
    auto* Big = Fx.Add<TLargeintField>(u"L");
    auto* Cur = Fx.Add<TCurrencyField>(u"C");
    auto* Bcd = Fx.Add<TBCDField>(u"B");
    auto* Day = Fx.Add<TDateField>(u"D");
    auto* Clock = Fx.Add<TTimeField>(u"T");
    auto* Stamp = Fx.Add<TDateTimeField>(u"DT");
    auto* Flag = Fx.Add<TBooleanField>(u"F");
    auto* Wide = Fx.Add<TWideMemoField>(u"W");
    auto* Pic = Fx.Add<TGraphicField>(u"G");
    Fx.DS->Open();
    Fx.DS->Append();
    Str->SetAsString(u"truncated");
    Int->SetText(u" 42 ");
    Big->SetAsString(u"9000000000");
    Cur->SetAsFloat(3.14159);
    Bcd->SetAsFloat(1.234567);
    Day->SetAsDateTime(EncodeDate(2024, 2, 29) + 0.75);
    Clock->SetAsDateTime(EncodeDate(2024, 2, 29) + 0.5);
    Stamp->SetAsDateTime(EncodeDate(2001, 1, 2));
    Stamp->SetDisplayFormat(u"yyyy-mm-dd");
    Flag->SetText(u"yes");
    Wide->SetAsString(u"wide ✓");
    Pic->SetAsBytes({1, 2, 3});
    Fx.DS->Post();

    EXPECT_EQ(Str->AsString(), u"trunc");
    EXPECT_EQ(Int->AsInteger(), 42);
    EXPECT_EQ(Big->AsLargeInt(), 9000000000LL);
    EXPECT_EQ(Cur->Text(), u"3.14");
    Bcd->SetDisplayFormat(u"#,##0.00;(#,##0.00)");
    EXPECT_EQ(Bcd->DisplayText(), u"1.23");
    EXPECT_DOUBLE_EQ(Bcd->AsFloat(), 1.2346);
    EXPECT_DOUBLE_EQ(Day->AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(Clock->AsDateTime(), 0.5);
    EXPECT_EQ(Stamp->DisplayText(), u"2001-01-02");
    EXPECT_NE(Stamp->Text(), Stamp->DisplayText());
    EXPECT_TRUE(Flag->AsBoolean());
    EXPECT_EQ(Flag->Text(), u"True");
    EXPECT_EQ(Wide->AsString(), u"wide ✓");
    EXPECT_EQ(Pic->DisplayText(), u"(GRAPHIC)");
    EXPECT_EQ(Wide->DataType(), 39);
    EXPECT_EQ(Pic->AsBytes(), (TBytes{1, 2, 3}));

    Fx.DS->Edit();
    struct {
        TField* Field;
        String Text;
    } Bad[] = {{Int, u"4x"}, {Small, u"40000"}, {Day, u"31/31/2020"}, {Flag, u"perhaps"}, {Cur, u"1e999"}};
    for (auto& C : Bad) {
        Variant Before = C.Field->Value();
        EXPECT_THROW(C.Field->SetText(C.Text), EDatabaseError) << StringToUtf8(C.Text);
        EXPECT_EQ(C.Field->Value(), Before);
    }
    Fx.DS->Cancel();
}

TEST(MemDataSet, FieldPropertiesAndIndexReordering) {
    TTypedFixture Fx;
    auto* A = Fx.Add<TIntegerField>(u"A");
    auto* B = Fx.Add<TStringField>(u"B");
    auto* C = Fx.Add<TFloatField>(u"C");
    EXPECT_EQ(A->DisplayLabel(), u"A");
    B->SetDisplayLabel(u"Bee");
    EXPECT_EQ(B->DisplayLabel(), u"Bee");
    B->SetSize(8);
    EXPECT_EQ(B->DisplayWidth(), 8);
    B->SetDisplayWidth(3);
    EXPECT_EQ(B->DisplayWidth(), 3);
    C->SetIndex(0);
    EXPECT_EQ(Fx.DS->Fields()[0], C);
    EXPECT_EQ(Fx.DS->Fields()[1], A);
    EXPECT_EQ(A->Index(), 1);
    A->SetIndex(99);
    EXPECT_EQ(Fx.DS->Fields()[2], A);
    Fx.DS->Open();
    A->SetIndex(0);
    EXPECT_EQ(A->FieldNo(), 3); // the position in the record, which reordering the list keeps
    B->SetRequired(true);
    Fx.DS->Append();
    EXPECT_THROW(Fx.DS->Post(), EDatabaseError);
    B->SetAsString(u"ok");
    C->SetReadOnly(true);
    EXPECT_THROW(C->SetAsFloat(1), EDatabaseError);
    Fx.DS->Post();
    EXPECT_EQ(Fx.DS->RecordCount(), 1);
}

TEST(MemDataSet, CalculatedAndLookupFields) {
    TComponent Owner(nullptr);
    auto* Colours = new TMemDataSet(&Owner);
    Colours->FieldDefs().Add(u"CODE", ftInteger);
    Colours->FieldDefs().Add(u"LABEL", ftString, 10);
    Colours->Open();
    for (auto [Code, Label] : {std::pair{1, u"red"}, std::pair{2, u"green"}}) {
        Colours->Append();
        Colours->FieldByName(u"CODE")->SetAsInteger(Code);
        Colours->FieldByName(u"LABEL")->SetAsString(Label);
        Colours->Post();
    }
    auto* Items = new TMemDataSet(&Owner);
    auto* Qty = new TIntegerField(&Owner);
    Qty->SetFieldName(u"QTY");
    Qty->SetDataSet(Items);
    auto* Colour = new TIntegerField(&Owner);
    Colour->SetFieldName(u"COLOUR");
    Colour->SetDataSet(Items);
    auto* Twice = new TIntegerField(&Owner);
    Twice->SetFieldName(u"TWICE");
    Twice->SetFieldKind(fkCalculated);
    Twice->SetDataSet(Items);
    auto* Name = new TStringField(&Owner);
    Name->SetFieldName(u"COLOURNAME");
    Name->SetFieldKind(fkLookup);
    Name->SetLookupDataSet(Colours);
    Name->KeyFields = u"COLOUR";
    Name->LookupKeyFields = u"CODE";
    Name->LookupResultField = u"LABEL";
    Name->SetDataSet(Items);
    Items->OnCalcFields = [&](TDataSet*) { Twice->SetAsInteger(Qty->AsInteger() * 2); };
    Items->Open();
    Items->Append();
    Qty->SetAsInteger(21);
    Colour->SetAsInteger(2);
    EXPECT_EQ(Twice->AsInteger(), 42); // recalculated while editing
    Items->Post();
    EXPECT_EQ(Twice->AsInteger(), 42);
    EXPECT_EQ(Name->AsString(), u"green");
    EXPECT_EQ(Colours->RecNo(), 2); // the lookups left the other cursor where its last post put it
    Items->Edit();
    EXPECT_THROW(Twice->SetAsInteger(1), EDatabaseError);
    EXPECT_THROW(Name->SetAsString(u"red"), EDatabaseError);
    Colour->SetAsInteger(7);
    EXPECT_TRUE(Name->IsNull());
    Items->Cancel();
    EXPECT_TRUE(Items->Locate(u"TWICE", 42, 0)); // calculated values are searchable
}
