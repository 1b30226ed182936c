// Edits with edit masks: what typing puts where, the text with and without literals, required
// positions, and masks that are refused.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"

#include "platform/base/Format.h"
#include "platform/gui/Mask.h"

namespace {

struct TMaskCase {
    const char* Name;
    const char16_t* Mask;
    const char16_t* Typed;
    const char16_t* EditText;
    const char16_t* Text;
};

const TMaskCase MaskCases[] = {
    {"DigitsAndLiterals", u"(000) 000-0000;1;_", u"5551234567", u"(555) 123-4567", u"(555) 123-4567"},
    {"LiteralsNotSaved", u"(000) 000-0000;0;_", u"5551234567", u"(555) 123-4567", u"5551234567"},
    {"WrongClassIsRefused", u"000;1;_", u"1a2b3", u"123", u"123"},
    {"PartlyFilledShowsBlanks", u"00-00;1;*", u"12", u"12-**", u"12-  "},
    {"UpperAndLowerCase", u">LL<ll;1;_", u"abCD", u"ABcd", u"ABcd"},
    {"CaseEndsWithBoth", u">L<>L;1;_", u"ab", u"Ab", u"Ab"},
    {"EscapedMaskCharacter", u"\\L00;1;_", u"42", u"L42", u"L42"},
    {"SignsInHashPositions", u"#99;1;_", u"-12", u"-12", u"-12"},
    {"AnyCharacter", u"CCC;1;_", u"a b", u"a b", u"a b"},
    {"TypingTheLiteralMovesPastIt", u"00/00;1;_", u"1/23", u"1_/23", u"1 /23"},
};

class MaskTyping : public ::testing::TestWithParam<TMaskCase> {};

} // namespace

TEST_P(MaskTyping, PutsEachCharacterInItsPosition) {
    const TMaskCase& C = GetParam();
    TForm Form(nullptr);
    auto* Edit = new TMaskEdit(&Form);
    Edit->SetParent(&Form);
    TFormatSettings Saved = FormatSettings;
    FormatSettings.DateSeparator = u'/';
    Edit->SetEditMask(C.Mask);
    FormatSettings = Saved;
    Form.Show();
    Edit->SetFocus();
    Edit->SetSelStart(0);
    CharMessages(Edit, C.Typed);
    EXPECT_EQ(Edit->EditText(), C.EditText);
    EXPECT_EQ(Edit->Text(), C.Text);
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(Masks, MaskTyping, ::testing::ValuesIn(MaskCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(MaskEdit, BackspaceDeleteEscapeAndSetText) {
    TForm Form(nullptr);
    auto* Edit = new TMaskEdit(&Form);
    Edit->SetParent(&Form);
    Edit->SetEditMask(u"00-00;1;_");
    Edit->SetText(u"12-34"); // literals in place: taken as they are
    EXPECT_EQ(Edit->EditText(), u"12-34");
    Edit->SetText(u"9876"); // plain text fills the positions in order
    EXPECT_EQ(Edit->EditText(), u"98-76");
    Form.Show();
    Edit->SetFocus();
    Edit->SetSelStart(3);
    KeyMessages(Edit, VK_BACK); // passes over the literal to the 8
    EXPECT_EQ(Edit->EditText(), u"9_-76");
    EXPECT_EQ(Edit->SelStart(), 1);
    Edit->SetSelStart(3);
    KeyMessages(Edit, VK_DELETE);
    EXPECT_EQ(Edit->EditText(), u"9_-_6");
    KeyMessages(Edit, VK_ESCAPE); // back to the text set last
    EXPECT_EQ(Edit->EditText(), u"98-76");
    // Without a mask the edit is a plain edit again, keeping its text.
    Edit->SetEditMask(u"");
    EXPECT_FALSE(Edit->IsMasked());
    EXPECT_EQ(Edit->Text(), u"98-76");
    Form.Hide();
}

TEST(MaskEdit, ValidateEditNamesTheFirstMissingRequiredPosition) {
    TMaskEdit Edit(nullptr);
    Edit.SetEditMask(u"009-LL;1;_");
    Edit.SetText(u"12");
    try {
        Edit.ValidateEdit();
        ADD_FAILURE() << "no error";
    } catch (const EDBEditError& E) {
        EXPECT_EQ(E.Message(), u"Invalid input value. Use escape key to abandon changes");
    }
    EXPECT_EQ(Edit.SelStart(), 4); // the first letter position
    Edit.SetText(u"12-ab");
    EXPECT_EQ(Edit.EditText(), u"12_-ab");
    EXPECT_NO_THROW(Edit.ValidateEdit()); // the 9 is optional
}

TEST(MaskEdit, MalformedMasksAreRefusedAndChangeNothing) {
    TMaskEdit Edit(nullptr);
    Edit.SetEditMask(u"00;1;_");
    Edit.SetText(u"42");
    for (const char16_t* Bad : {u"00\\", u"00;2;_", u"00;1;ab", u"00;1;_;x", u"0-0;1;-"}) {
        SCOPED_TRACE(StringToUtf8(Bad));
        try {
            Edit.SetEditMask(Bad);
            ADD_FAILURE() << "accepted";
        } catch (const EDBEditError& E) {
            EXPECT_NE(E.Message().find(u"Invalid edit mask"), String::npos);
            EXPECT_NE(E.Message().find(Bad), String::npos);
        }
        EXPECT_EQ(Edit.EditMask(), u"00;1;_");
        EXPECT_EQ(Edit.EditText(), u"42");
    }
}
