// The spin edit: limits, stepping numbers and the parts of dates and times, keys, the repeating
// halves of its button, and a bound field.
#include "dataaware/edits/daDBSpinEdit.h"
#include "EditTestSupport.h"

namespace {

struct TSpinForm {
    TEditLocale Locale;
    TForm Form{nullptr};
    TdaDBSpinEdit* Spin = new TdaDBSpinEdit(&Form);
    TEdit* Other = new TEdit(&Form);
    explicit TSpinForm(TdaEditDataType Kind = daDefault) {
        Form.SetBounds(0, 0, 300, 120);
        Spin->SetParent(&Form);
        Spin->SetBounds(10, 10, 160, 22);
        Other->SetParent(&Form);
        Other->SetBounds(10, 60, 100, 21);
        Spin->SetUnboundDataType(Kind);
        Spin->Loaded();
        Form.Show();
        Spin->SetFocus();
    }
};

} // namespace

TEST(DBSpinEdit, LimitsApplyUnlessBothAreZero) {
    TSpinForm F;
    F.Spin->SetValue(-5);
    EXPECT_EQ(F.Spin->Value(), -5) << "no limits";
    F.Spin->SetMinValue(1);
    F.Spin->SetMaxValue(1);
    for (double V : {-3.0, 1.0, 7.5}) {
        F.Spin->SetValue(V);
        EXPECT_EQ(F.Spin->Value(), 1);
    }
    F.Spin->SetMinValue(0);
    F.Spin->SetMaxValue(10);
    F.Spin->SetText(u"12");
    F.Other->SetFocus();
    EXPECT_EQ(F.Spin->Text(), u"10") << "leaving brings the value within the limits";
    F.Spin->SetText(u"");
    EXPECT_EQ(F.Spin->Value(), 0) << "an empty text reads MinValue";
}

TEST(DBSpinEdit, StepsNumbersWithKeysAndButtons) {
    TSpinForm F;
    F.Spin->SetIncrement(2.5);
    KeyMessages(F.Spin, VK_UP);
    KeyMessages(F.Spin, VK_UP);
    EXPECT_EQ(F.Spin->Text(), u"5");
    KeyMessages(F.Spin, VK_DOWN);
    EXPECT_EQ(F.Spin->Text(), u"2.5");
    EXPECT_TRUE(F.Spin->Modified());
    int After = 0;
    F.Spin->AfterUpClick = [&](TObject*) { ++After; };
    TdaSpinButton* B = F.Spin->Button();
    ClickMessages(B, TPoint(B->Width() / 2, 2));
    EXPECT_EQ(F.Spin->Text(), u"5") << "a quick click steps once";
    EXPECT_EQ(After, 1);
}

TEST(DBSpinEdit, AHeldHalfRepeatsItsClick) {
    TSpinForm F;
    TdaSpinButton* B = F.Spin->Button();
    const TPoint Up(B->Width() / 2, 2);
    MouseDownMessage(B, Up);
    ASSERT_TRUE(WaitUntil([&] { return F.Spin->Value() >= 3; }));
    EXPECT_EQ(B->UpButton()->RepeatTimer()->Interval(), 100u) << "after the first delay it repeats faster";
    const double Held = F.Spin->Value();
    MouseUpMessage(B, Up);
    EXPECT_EQ(F.Spin->Value(), Held + 1) << "the release inside clicks once more";
    EXPECT_FALSE(B->UpButton()->RepeatTimer()->Enabled());
}

TEST(DBSpinEdit, CharactersOfANumberEdit) {
    TSpinForm F;
    F.Spin->SelectAll();
    TypeChars(F.Spin, u"1a.5x");
    EXPECT_EQ(F.Spin->Text(), u"1.5");
    F.Spin->SetEditorEnabled(false);
    TypeChars(F.Spin, u"7\b");
    EXPECT_EQ(F.Spin->Text(), u"1.5") << "digits and Backspace are refused";
    KeyMessages(F.Spin, VK_UP);
    EXPECT_EQ(F.Spin->Text(), u"2.5") << "the keys still step";
}

TEST(DBSpinEdit, StepsThePartOfADateOrTimeUnderTheCaret) {
    struct TCase {
        TdaEditDataType Kind;
        const char16_t* Text;
        int Caret;
        Word Key;
        const char16_t* After;
    };
    const TCase Cases[] = {
        {daEdtDate, u"1/31/2026", 0, VK_UP, u"2/28/2026"},
        {daEdtDate, u"2/29/2028", 7, VK_UP, u"2/28/2029"},
        {daEdtDate, u"1/31/2026", 3, VK_UP, u"1/1/2026"},
        {daEdtDate, u"3/1/2026", 2, VK_DOWN, u"3/31/2026"},
        {daEdtTime, u"10:30:00 AM", 9, VK_UP, u"10:30:00 PM"},
        {daEdtTime, u"12:15:00 AM", 0, VK_DOWN, u"11:15:00 PM"},
        {daEdtTime, u"10:59:00 AM", 4, VK_UP, u"10:00:00 AM"},
    };
    for (const TCase& C : Cases) {
        TSpinForm F(C.Kind);
        F.Spin->SetText(C.Text);
        F.Spin->SetSelStart(C.Caret);
        F.Spin->SetSelLength(0);
        KeyMessages(F.Spin, C.Key);
        EXPECT_EQ(F.Spin->Text(), C.After) << StringToUtf8(C.Text) << " caret " << C.Caret;
    }
}

TEST(DBSpinEdit, WholeDayInAnUnboundDateTimeEditShowsMidnight) {
    TSpinForm F(daEdtDateTime);
    EXPECT_EQ(F.Spin->Text(), u"") << "a new date edit starts empty";
    F.Spin->SetValue(EncodeDate(2026, 3, 7));
    EXPECT_EQ(F.Spin->Text(), u"3/7/2026 12:00:00 AM");
}

class DBSpinEditBound : public testing::TestWithParam<TDataSetKind> {};

INSTANTIATE_TEST_SUITE_P(DataSets, DBSpinEditBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(DBSpinEditBound, StepsAndPostsAnIntegerField) {
    TSpinForm F;
    TDataSet* DS = MakeEditDataSet(&F.Form, GetParam());
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(DS);
    F.Spin->SetDataSource(Source);
    F.Spin->SetDataField(u"COUNT");
    F.Spin->SetMaxValue(2);
    F.Spin->SetFocus();
    for (int K = 0; K < 3; ++K)
        KeyMessages(F.Spin, VK_UP);
    EXPECT_EQ(F.Spin->Text(), u"2");
    F.Other->SetFocus();
    EXPECT_EQ(DS->FieldByName(u"COUNT")->AsInteger(), 2);
    DS->Post();
    // A read-only link keeps the value.
    F.Spin->SetReadOnly(true);
    F.Spin->SetFocus();
    KeyMessages(F.Spin, VK_DOWN);
    EXPECT_EQ(F.Spin->Text(), u"2");
    EXPECT_EQ(DS->State(), dsBrowse);
}
