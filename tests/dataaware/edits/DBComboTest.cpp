// The combo box: display texts and stored values both ways, its drop-down list and keys, typing
// aids, history, and the ellipsis button of the drop-down edit base.
#include "dataaware/edits/daDBCombo.h"
#include "EditTestSupport.h"

namespace {

struct TComboForm {
    TEditLocale Locale;
    TForm Form{nullptr};
    TdaDBComboBox* Combo = new TdaDBComboBox(&Form);
    TEdit* Other = new TEdit(&Form);
    TComboForm() {
        Form.SetBounds(0, 0, 320, 200);
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 150, 22);
        Other->SetParent(&Form);
        Other->SetBounds(10, 150, 100, 21);
    }
    void Show() {
        Combo->Loaded();
        Form.Show();
        Combo->SetFocus();
    }
    void SetItems(std::initializer_list<const char16_t*> Entries) {
        TStringList L;
        for (const char16_t* E : Entries)
            L.Add(E);
        Combo->SetItems(&L);
    }
    std::vector<String> Lines() {
        Combo->ListBoxItemsNeeded();
        std::vector<String> V;
        for (int K = 0; K < Combo->Listbox()->Items()->Count(); ++K)
            V.push_back(Combo->Listbox()->Items()->Strings(K));
        return V;
    }
};

} // namespace

TEST(DBComboBox, MapsDisplayTextsAndValuesBothWays) {
    TComboForm F;
    F.Combo->SetMapList(true);
    F.SetItems({u"Yes\tY", u"No\tN", u"Maybe"});
    F.Show();
    EXPECT_EQ(F.Lines(), (std::vector<String>{u"Yes", u"No", u"Maybe"}));
    EXPECT_EQ(F.Combo->GetComboValue(u"no"), u"N") << "display texts compare without case";
    EXPECT_EQ(F.Combo->GetComboValue(u"Maybe"), u"") << "an entry without a tab has no value";
    EXPECT_EQ(F.Combo->GetComboValue(u"Never"), u"");
    EXPECT_EQ(F.Combo->GetComboDisplay(u"N"), u"No");
    EXPECT_EQ(F.Combo->GetComboDisplay(u"n"), u"") << "values compare exactly";
    String Shown;
    EXPECT_TRUE(F.Combo->GetFieldMapText(u"Y", Shown));
    EXPECT_EQ(Shown, u"Yes");
    F.Combo->WriteValue(u"N");
    EXPECT_EQ(F.Combo->Text(), u"No");
    EXPECT_EQ(F.Combo->Value(), u"N");
    EXPECT_EQ(F.Combo->ItemIndex(), 1);

    // Without MapList the lines are the values; two columns show the display part beside them.
    TComboForm G;
    G.SetItems({u"Blue\tB", u"Red"});
    G.Show();
    EXPECT_EQ(G.Lines(), (std::vector<String>{u"B", u"Red"}));
    EXPECT_EQ(G.Combo->GetComboDisplay(u"B"), u"B");
    G.Combo->SetTwoColumnDisplay(true);
    EXPECT_EQ(G.Combo->GetComboDisplay(u"B"), u"Blue");
    EXPECT_EQ(G.Combo->GetComboValue(u"Green"), u"Green") << "two columns keep an unknown text";
}

class DBComboBound : public testing::TestWithParam<TDataSetKind> {};

INSTANTIATE_TEST_SUITE_P(DataSets, DBComboBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(DBComboBound, ShowsTheDisplayTextOfTheFieldAndStoresTheChosenValue) {
    TComboForm F;
    TDataSet* DS = MakeEditDataSet(&F.Form, GetParam());
    auto* Source = new TDataSource(&F.Form);
    Source->SetDataSet(DS);
    DS->Edit();
    DS->FieldByName(u"NAME")->SetAsString(u"Y");
    DS->Post();
    F.Combo->SetMapList(true);
    F.SetItems({u"Yes\tY", u"No\tN"});
    F.Combo->SetDataSource(Source);
    F.Combo->SetDataField(u"NAME");
    F.Show();
    EXPECT_EQ(F.Combo->Text(), u"Yes");

    KeyMessages(F.Combo, VK_F4);
    ASSERT_TRUE(F.Combo->DroppedDown());
    EXPECT_TRUE(F.Combo->ListWindow()->Visible());
    EXPECT_EQ(F.Combo->Listbox()->ItemIndex(), 0) << "the list opens on the current line";
    KeyMessages(F.Combo, VK_DOWN);
    EXPECT_EQ(F.Combo->Listbox()->ItemIndex(), 1);
    KeyMessages(F.Combo, VK_RETURN);
    EXPECT_EQ(F.Combo->Text(), u"No");
    EXPECT_FALSE(F.Combo->DroppedDown());
    EXPECT_FALSE(F.Combo->ListWindow()->Visible());
    F.Other->SetFocus();
    EXPECT_EQ(DS->FieldByName(u"NAME")->AsString(), u"N");
    DS->Post();

    // A stored value that no entry has (values compare exactly) shows no text.
    DS->Edit();
    DS->FieldByName(u"NAME")->SetAsString(u"n");
    EXPECT_EQ(F.Combo->Text(), u"");
    DS->Cancel();
    EXPECT_EQ(F.Combo->Text(), u"No");
}

TEST(DBComboBox, ListSizeFollowsLinesCountAndColumns) {
    TComboForm F;
    F.Show();
    F.Combo->DropDown();
    EXPECT_EQ(F.Combo->ListWindow()->Height(), 4) << "an empty list";
    F.Combo->CloseUp(false);
    TStringList L;
    for (int K = 0; K < 20; ++K)
        L.Add(u"Line " + IntToStr(K));
    F.Combo->SetItems(&L);
    F.Combo->SetColumn1Width(101);
    F.Combo->DropDown();
    const int H = F.Combo->DefaultItemHeight();
    EXPECT_EQ(F.Combo->ListWindow()->Height(), 8 * H + 4);
    EXPECT_EQ(F.Combo->ListWindow()->Width(), 151);
    EXPECT_EQ(F.Combo->ListWindow()->Top(), F.Combo->ClientToScreen(TPoint(0, 0)).Y + F.Combo->Height() - 1);
    // The text follows the highlight; Esc closes without taking it.
    KeyMessages(F.Combo, VK_DOWN);
    EXPECT_EQ(F.Combo->Text(), u"Line 0");
    KeyMessages(F.Combo, VK_ESCAPE);
    EXPECT_FALSE(F.Combo->DroppedDown());
    EXPECT_EQ(F.Combo->Text(), u"");
    EXPECT_FALSE(F.Combo->Modified());
}

TEST(DBComboBox, ListStyleStepsByFirstLetterAndByArrows) {
    TComboForm F;
    F.Combo->SetStyle(csDropDownList);
    F.SetItems({u"apple", u"banana", u"blueberry", u"cherry"});
    F.Show();
    TypeChars(F.Combo, u"b");
    EXPECT_EQ(F.Combo->Text(), u"banana");
    TypeChars(F.Combo, u"b");
    EXPECT_EQ(F.Combo->Text(), u"blueberry");
    TypeChars(F.Combo, u"b");
    EXPECT_EQ(F.Combo->Text(), u"banana") << "the search wraps to the top";
    TypeChars(F.Combo, u"z");
    EXPECT_EQ(F.Combo->Text(), u"banana") << "a letter no line begins with is dropped";
    KeyMessages(F.Combo, VK_DOWN);
    EXPECT_EQ(F.Combo->Text(), u"blueberry");
    KeyMessages(F.Combo, VK_UP);
    KeyMessages(F.Combo, VK_UP);
    EXPECT_EQ(F.Combo->Text(), u"apple");
    EXPECT_EQ(F.Combo->ItemIndex(), 0);
}

TEST(DBComboBox, MatchTextCompletesWhatIsTyped) {
    TComboForm F;
    F.Combo->SetStyle(csDropDownList);
    F.Combo->SetShowMatchText(true);
    F.SetItems({u"Banana", u"Apple", u"Apricot"});
    F.Show();
    TypeChars(F.Combo, u"a");
    TypeChars(F.Combo, u"p");
    EXPECT_EQ(F.Combo->Text(), u"Apple");
    EXPECT_EQ(F.Combo->SelStart(), 2);
    EXPECT_EQ(F.Combo->SelText(), u"ple");
    TypeChars(F.Combo, u"r");
    EXPECT_EQ(F.Combo->Text(), u"Apricot");
    EXPECT_EQ(F.Combo->SelText(), u"icot");
    TypeChars(F.Combo, u"x");
    EXPECT_EQ(F.Combo->Text(), u"Apricot") << "no line matches: the key is dropped";
}

TEST(DBComboBox, HistoryHeadsTheListAndIsSaved) {
    TTempFolder Tmp;
    TComboForm F;
    F.SetItems({u"cyan", u"magenta"});
    TdaHistoryList* H = F.Combo->HistoryList();
    H->SetEnabled(true);
    H->SetMRUEnabled(true);
    H->SetSection(u"Colours");
    H->SetFileName(Tmp / "history.ini");
    for (const char16_t* E : {u"red", u"green", u"blue"})
        H->List()->Add(E);
    H->Save();
    H->List()->Clear();
    F.Show();
    F.Combo->ApplyList();
    const std::vector<String> Lines = F.Lines();
    ASSERT_GE(Lines.size(), 4u);
    EXPECT_EQ(Lines[0], u"blue");
    EXPECT_EQ(Lines[1], u"green");
    EXPECT_EQ(std::vector<String>(Lines.begin() + 2, Lines.end()),
              (std::vector<String>{u"cyan", u"magenta", u"red", u"green", u"blue"}));

    // An entered value becomes the newest entry and is stored when the combo is left.
    F.Combo->SelectAll();
    TypeChars(F.Combo, u"violet");
    F.Other->SetFocus();
    TdaHistoryList Back;
    Back.SetSection(u"Colours");
    Back.SetFileName(Tmp / "history.ini");
    Back.Load(nullptr);
    ASSERT_GT(Back.List()->Count(), 0);
    EXPECT_EQ(Back.List()->Strings(Back.List()->Count() - 1), u"violet");
    bool Refused = false;
    F.Combo->OnAddHistoryItem = [&](TObject*, const String& Value, bool& Accept) {
        Refused = Value == u"grey";
        Accept = !Refused;
    };
    F.Combo->AddItem(u"grey \t", true);
    EXPECT_TRUE(Refused) << "trailing blanks and tabs are trimmed first";
    EXPECT_LT(H->List()->IndexOf(u"grey"), 0);
}

TEST(DBCustomCombo, EllipsisButtonRunsTheCustomDialog) {
    TEditLocale Locale;
    TForm Form(nullptr);
    auto* Combo = new TdaDBCustomCombo(&Form);
    Combo->SetParent(&Form);
    Combo->SetBounds(10, 10, 150, 22);
    Combo->Loaded();
    Form.Show();
    Combo->SetFocus();
    KeyMessages(Combo, VK_F4);
    KeyMessages(Combo, VK_DOWN, TShiftState{ssAlt});
    EXPECT_FALSE(Combo->ReadDroppedDown()) << "nothing happens without a dialog";
    int Runs = 0;
    bool OpenWhileRunning = false;
    Combo->OnCustomDlg = [&](TObject*) {
        ++Runs;
        OpenWhileRunning = Combo->ReadDroppedDown();
        Combo->SetText(u"picked");
    };
    TdaComboDlgButton* B = Combo->Button();
    ClickMessages(B->Parent(), TPoint(B->Left() + B->Width() / 2, B->Height() / 2));
    EXPECT_EQ(Runs, 1);
    EXPECT_TRUE(OpenWhileRunning);
    EXPECT_FALSE(Combo->ReadDroppedDown());
    KeyMessages(Combo, VK_F4);
    EXPECT_EQ(Runs, 2);
    // A dialog that fails leaves the edit closed.
    Combo->OnCustomDlg = [&](TObject*) { throw Exception(u"no dialog"); };
    EXPECT_THROW(Combo->DropDown(), Exception);
    EXPECT_FALSE(Combo->ReadDroppedDown());
}
