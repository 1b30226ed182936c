// The field-bound masked edit on real datasets: showing and posting a field, picture masks while
// typing and on leaving, reading dates and numbers back, keys, paste and the Space-key entry.
#include "dataaware/edits/daDBEdit.h"
#include "EditTestSupport.h"

#include "platform/gui/Clipboard.h"

namespace {

class DBEdit : public testing::TestWithParam<TDataSetKind> {
protected:
    TEditLocale Locale;
    TForm* Form = new TForm(nullptr);
    TDataSet* DS = MakeEditDataSet(Form, GetParam());
    TDataSource* Source = new TDataSource(Form);
    TEdit* Other = new TEdit(Form);

    DBEdit() {
        Source->SetDataSet(DS);
        Form->SetBounds(0, 0, 320, 200);
        Other->SetParent(Form);
        Other->SetBounds(10, 100, 120, 21);
    }
    ~DBEdit() override { delete Form; }

    TdaDBEdit* NewEdit(const String& FieldName) {
        auto* E = new TdaDBEdit(Form);
        E->SetParent(Form);
        E->SetBounds(10, 10, 200, 21);
        E->SetDataSource(Source);
        E->SetDataField(FieldName);
        Form->Show();
        return E;
    }
    // Types into the focused edit, then leaves it.
    void TypeAndLeave(TdaDBEdit* E, const String& Text) {
        E->SetFocus();
        E->SelectAll();
        TypeChars(E, Text);
        Other->SetFocus();
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(DataSets, DBEdit, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(DBEdit, ShowsTheFieldAndPostsTheTypedTextOnLeaving) {
    TdaDBEdit* E = NewEdit(u"NAME");
    EXPECT_EQ(E->Text(), u"one");
    EXPECT_EQ(E->MaxLength(), 20) << "a text field's size limits the text";
    TypeAndLeave(E, u"two");
    EXPECT_TRUE(Other->Focused());
    EXPECT_EQ(DS->State(), dsEdit);
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"two");
    DS->Post();
    DS->Close();
    DS->Open();
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"two");
    EXPECT_EQ(E->Text(), u"two") << "the edit follows the reopened dataset";
}

TEST_P(DBEdit, DatesFollowTheEditsCenturyWindow) {
    struct TCase {
        int Epoch;
        const char16_t* Text;
        int Year;
    };
    for (const TCase& C : {TCase{0, u"1/2/49", 2049}, TCase{0, u"1/2/50", 1950}, TCase{1980, u"1/2/79", 2079},
                           TCase{1980, u"1/2/80", 1980}}) {
        TdaDBEdit* E = NewEdit(u"BORN");
        E->SetEpochYear(C.Epoch);
        TypeAndLeave(E, C.Text);
        EXPECT_EQ(DS->FieldByName(u"BORN")->AsDateTime(), EncodeDate(C.Year, 1, 2)) << StringToUtf8(C.Text);
        DS->Cancel();
        delete E;
    }
}

TEST_P(DBEdit, NumbersShownWithADisplayFormatReadBack) {
    struct TCase {
        const char16_t* FieldName;
        const char16_t* Format;
        const char16_t* Text;
        double Value;
    };
    for (const TCase& C : {TCase{u"PRICE", u"#,##0.00", u"1,234.50", 1234.5},
                           TCase{u"BIG", u"#,##0", u"1,234.60", 1235}, TCase{u"COUNT", u"#,##0", u"12.6", 13},
                           TCase{u"COUNT", u"#,##0", u"12.5", 12}}) {
        TdaDBEdit* E = NewEdit(C.FieldName);
        E->SetDisplayFormat(C.Format);
        DS->Edit();
        E->SetFocus();
        E->InitText(C.Text);
        E->WriteModified(true);
        Other->SetFocus();
        EXPECT_DOUBLE_EQ(DS->FieldByName(C.FieldName)->AsFloat(), C.Value) << StringToUtf8(C.Text);
        DS->Cancel();
        delete E;
    }
}

TEST_P(DBEdit, AnUnreadableDateOrNumberIsReportedAndKeepsTheFocus) {
    for (const char16_t* FieldName : {u"BORN", u"PRICE"}) {
        TdaDBEdit* E = NewEdit(FieldName);
        E->SetDisplayFormat(u"#,##0.00");
        TReportedErrors Errors;
        // A date the calendar lacks; a number the display format cannot read.
        TypeAndLeave(E, String(FieldName) == u"BORN" ? u"2/30/2026" : u"-");
        ProcessMessages();
        EXPECT_EQ(Errors.Messages.size(), 1u) << StringToUtf8(FieldName);
        EXPECT_TRUE(E->Focused()) << "the user's text is not dropped";
        EXPECT_EQ(E->SelLength(), static_cast<int>(E->Text().size()));
        EXPECT_TRUE(E->Modified());
        EXPECT_TRUE(DS->FieldByName(FieldName)->IsNull());
        DS->Cancel();
        Other->SetFocus();
        delete E;
    }
}

TEST_P(DBEdit, PictureMaskFillsLiteralsAndRefusesWrongCharacters) {
    TdaDBEdit* E = NewEdit(u"NAME");
    E->Picture()->SetPictureMask(u"###-####");
    E->SetFocus();
    E->SelectAll();
    TypeChars(E, u"5551");
    EXPECT_EQ(E->Text(), u"555-1") << "the literal is filled in";
    TypeChars(E, u"x");
    EXPECT_EQ(E->Text(), u"555-1") << "a character the mask refuses at the end is dropped";
    // Posting an incomplete value is refused with the validation message.
    {
        TReportedErrors Errors;
        Other->SetFocus();
        ProcessMessages();
        EXPECT_EQ(Errors.Messages, std::vector<String>{u"Invalid input value.  Use escape key to abandon changes"});
        EXPECT_TRUE(E->Focused());
        EXPECT_TRUE(DS->FieldByName(u"NAME")->AsString() == u"one");
    }
    E->SetSelStart(5);
    TypeChars(E, u"212");
    EXPECT_EQ(E->Text(), u"555-1212");
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"555-1212");
}

TEST(DBEditUnbound, AnIncompletePictureKeepsTheFocusSilentlyUnlessAllowed) {
    TForm Form(nullptr);
    auto* E = new TdaDBEdit(&Form);
    auto* Other = new TEdit(&Form);
    E->SetParent(&Form);
    Other->SetParent(&Form);
    Other->SetTop(40);
    E->Loaded();
    E->Picture()->SetPictureMask(u"###-####");
    Form.Show();
    E->SetFocus();
    TypeChars(E, u"12");
    TReportedErrors Errors;
    Other->SetFocus();
    EXPECT_TRUE(E->Focused());
    EXPECT_TRUE(E->DoExitPictureError);
    EXPECT_EQ(E->SelLength(), 2) << "the text is selected";
    EXPECT_TRUE(Errors.Messages.empty()) << "no message for a picture on leaving";
    E->Picture()->SetAllowInvalidExit(true);
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    EXPECT_FALSE(E->DoExitPictureError);
}

TEST_P(DBEdit, PictureMaskWithAutoFillRetriesAfterABlank) {
    TdaDBEdit* E = NewEdit(u"NAME");
    E->Picture()->SetPictureMask(u"#[#]-&");
    E->SetFocus();
    E->SelectAll();
    TypeChars(E, u"1a");
    EXPECT_EQ(E->Text(), u"1-A") << "a blank became the literal before the refused letter";
    E->Patch[0] = true;
    E->SelectAll();
    TypeChars(E, u"1a");
    EXPECT_EQ(E->Text(), u"1");
}

TEST_P(DBEdit, KeysOfTheFieldKind) {
    TdaDBEdit* E = NewEdit(u"COUNT");
    E->SetFocus();
    E->SelectAll();
    TypeChars(E, u"1a2.");
    EXPECT_EQ(E->Text(), u"12") << "an integer field takes digits only";
    E->Patch[4] = true;
    TypeChars(E, u"a");
    EXPECT_EQ(E->Text(), u"12a");
    // Esc gives the field's value back.
    KeyMessages(E, VK_ESCAPE);
    EXPECT_EQ(E->Text(), u"");
    EXPECT_FALSE(E->Modified());
}

TEST_P(DBEdit, PastingIntoABorderlessEditTakesTheFirstLineAndLeavesTheClipboard) {
    TdaDBEdit* E = NewEdit(u"NAME");
    E->SetBorderStyle(Controls::bsNone);
    const TClipboardFormat Mine = RegisterClipboardFormat(u"Morvane test format");
    Clipboard()->Open();
    Clipboard()->SetAsText(u"first\r\nsecond");
    Clipboard()->SetData(Mine, TBytes{1, 2, 3});
    Clipboard()->Close();
    E->SetFocus();
    E->SelectAll();
    E->PasteFromClipboard();
    EXPECT_EQ(E->Text(), u"first");
    EXPECT_TRUE(E->Modified());
    EXPECT_EQ(Clipboard()->AsText(), u"first\r\nsecond");
    EXPECT_EQ(Clipboard()->GetData(Mine), (TBytes{1, 2, 3})) << "the user's other formats stay";
    Other->SetFocus();
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"first");
}

TEST_P(DBEdit, ReadOnlyBoundEditKeepsItsValue) {
    TdaDBEdit* E = NewEdit(u"BORN");
    E->SetReadOnly(true);
    Locale.SetClock(EncodeDate(2026, 3, 7));
    E->SetFocus();
    TypeChars(E, u" 1");
    EXPECT_EQ(E->Text(), u"");
    EXPECT_EQ(DS->State(), dsBrowse);
}

namespace {

struct TQuickCase {
    const char* Name;
    TdaEditDataType Kind;
    const char16_t* ShortDateFormat;
    Char DateSeparator;
    const char16_t* AMString;
    std::vector<const char16_t*> Steps; // the text after each Space
};

} // namespace

TEST(DBEditQuickEntry, SpaceAppendsTheNextPartFromTheClock) {
    const TQuickCase Cases[] = {
        {"date", daEdtDate, u"M/d/yyyy", u'/', u"AM", {u"3/", u"3/7/", u"3/7/2026", u"3/7/2026"}},
        {"day first", daEdtDate, u"dd.MM.yy", u'.', u"AM", {u"07.", u"07.03.", u"07.03.26"}},
        {"date-time",
         daEdtDateTime,
         u"M/d/yyyy",
         u'/',
         u"AM",
         {u"3/", u"3/7/", u"3/7/2026", u"3/7/2026 ", u"3/7/2026 2:", u"3/7/2026 2:05:", u"3/7/2026 2:05:09",
          u"3/7/2026 2:05:09 PM", u"3/7/2026 2:05:09 PM"}},
        {"time, 24 hours", daEdtTime, u"M/d/yyyy", u'/', u"", {u"14:", u"14:05:", u"14:05:09", u"14:05:09"}},
    };
    for (const TQuickCase& C : Cases) {
        TEditLocale Locale;
        FormatSettings.ShortDateFormat = C.ShortDateFormat;
        FormatSettings.DateSeparator = C.DateSeparator;
        FormatSettings.TimeAMString = C.AMString;
        Locale.SetClock(EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 0));
        TForm Form(nullptr);
        auto* E = new TdaDBEdit(&Form);
        E->SetParent(&Form);
        E->SetBounds(10, 10, 200, 21);
        E->SetUnboundDataType(C.Kind);
        E->Loaded();
        Form.Show();
        E->SetFocus();
        for (size_t K = 0; K < C.Steps.size(); ++K) {
            E->SetModified(false);
            TypeChars(E, u" ");
            EXPECT_EQ(E->Text(), C.Steps[K]) << C.Name << " step " << K + 1;
            EXPECT_EQ(E->SelStart(), static_cast<int>(E->Text().size())) << C.Name;
        }
        EXPECT_TRUE(E->Modified()) << C.Name;
    }
}

TEST(DBEditQuickEntry, SpaceInsideTheTextIsTyped) {
    TEditLocale Locale;
    Locale.SetClock(EncodeDate(2026, 3, 7));
    TForm Form(nullptr);
    auto* E = new TdaDBEdit(&Form);
    E->SetParent(&Form);
    E->SetUnboundDataType(daEdtDate);
    E->Loaded();
    Form.Show();
    E->SetFocus();
    E->SetText(u"3/7");
    E->SetSelStart(1);
    TypeChars(E, u" ");
    EXPECT_EQ(E->Text(), u"3 /7");
}

TEST(DBEditUnbound, EscapeRestoresTheTextItHadOnEntering) {
    TForm Form(nullptr);
    auto* E = new TdaDBEdit(&Form);
    auto* Other = new TEdit(&Form);
    E->SetParent(&Form);
    Other->SetParent(&Form);
    Other->SetTop(40);
    E->Loaded();
    E->SetText(u"start");
    Form.Show();
    E->SetFocus();
    E->SelectAll();
    TypeChars(E, u"changed");
    EXPECT_EQ(E->Text(), u"changed");
    KeyMessages(E, VK_ESCAPE);
    EXPECT_EQ(E->Text(), u"start");
    EXPECT_EQ(E->SelLength(), 5);
    EXPECT_FALSE(E->Modified());
}
