// The lookup combo: the key of the data field shown as the text of a record of a second dataset,
// typing that searches the lookup table, the drop-down grid with its placement, and close-up with
// and without taking the chosen record. Every test runs over datasets in memory and in SQLite.
#include "dataaware/grids/daDBLookupCombo.h"

#include "dataaware/grids/GridTestSupport.h"
#include "dataaware/edits/EditTestSupport.h"

#include "platform/gui/Questions.h"

#include <cwctype>

namespace {

// Customers (the lookup table) and orders (the data): ORDERS.CUST holds a customer's ID.
struct TLookupData {
    TDataSet* Customers = nullptr;
    TDataSet* Orders = nullptr;
};

TLookupData MakeLookupData(TComponent* Owner, TDataSetKind Kind, int CustomerCount) {
    static const char16_t* Names[] = {u"Alder Mills", u"Bergen Bikes", u"Birch Bakery", u"Trondheim Tools",
                                      u"Oslo Optics", u"Narvik Nets",  u"Molde Motors", u"Hamar Hats",
                                      u"Lillehammer", u"Kongsberg",    u"Drammen Dyes", u"Fjord Foods"};
    TLookupData D;
    if (Kind == dkMemory) {
        auto* C = new TMemDataSet(Owner);
        C->FieldDefs().Add(u"ID", ftInteger);
        C->FieldDefs().Add(u"NAME", ftString, 30);
        C->Open();
        for (int I = 0; I < CustomerCount; ++I) {
            C->Append();
            C->FieldByName(u"ID")->SetAsInteger(I + 1);
            C->FieldByName(u"NAME")->SetAsString(Names[I]);
            C->Post();
        }
        C->First();
        auto* O = new TMemDataSet(Owner);
        O->FieldDefs().Add(u"NO", ftInteger);
        O->FieldDefs().Add(u"CUST", ftInteger);
        O->Open();
        const int Cust[] = {2, 0, 99};
        for (int I = 0; I < 3; ++I) {
            O->Append();
            O->FieldByName(u"NO")->SetAsInteger(I + 1);
            if (Cust[I]) O->FieldByName(u"CUST")->SetAsInteger(Cust[I]);
            O->Post();
        }
        O->First();
        D.Customers = C;
        D.Orders = O;
        return D;
    }
    static int Count = 0;
    const std::string File =
        (std::filesystem::current_path() / ("lookup" + std::to_string(++Count) + ".sqlite")).string();
    std::string Sql = "CREATE TABLE customers (ID INTEGER, NAME VARCHAR(30)); "
                      "CREATE TABLE orders (NO INTEGER, CUST INTEGER); "
                      "INSERT INTO orders VALUES (1, 2), (2, NULL), (3, 99); ";
    for (int I = 0; I < CustomerCount; ++I)
        Sql += "INSERT INTO customers VALUES (" + std::to_string(I + 1) + ", '" + U8(Names[I]) + "'); ";
    EXPECT_EQ(std::system(("sqlite3 '" + File + "' \"" + Sql + "\"").c_str()), 0);
    auto Open = [&](const char16_t* Table) {
        auto* S = new TSQLiteDataSet(Owner);
        S->SetDatabaseName(Utf8ToString(File));
        S->SetTableName(Table);
        S->Open();
        return S;
    };
    D.Customers = Open(u"customers");
    D.Orders = Open(u"orders");
    return D;
}

class LookupCombo : public ::testing::TestWithParam<TDataSetKind> {};

struct TLookupForm {
    TEditLocale Locale;
    TReportedErrors Errors;
    TForm Form{nullptr};
    TLookupData Data;
    TDataSource* Source = new TDataSource(&Form);
    TdaDBLookupCombo* Combo = new TdaDBLookupCombo(&Form);
    TEdit* Other = new TEdit(&Form);

    explicit TLookupForm(TDataSetKind Kind, int Customers = 12)
        : Data(MakeLookupData(&Form, Kind, Customers)) {
        Form.SetBounds(0, 0, 360, 240);
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 180, 22);
        Other->SetParent(&Form);
        Other->SetBounds(10, 150, 100, 21);
        Source->SetDataSet(Data.Orders);
        Combo->SetLookupTable(Data.Customers);
        Combo->SetLookupField(u"ID");
        TStringList S;
        S.Add(u"NAME\t20\tCustomer");
        Combo->SetSelected(&S);
        Combo->SetDataSource(Source);
        Combo->SetDataField(u"CUST");
    }
    void Show() {
        Combo->Loaded();
        Form.Show();
        Combo->SetFocus();
        ProcessMessages();
    }
    TField* Cust() { return Data.Orders->FieldByName(u"CUST"); }
    void Key(Word K, TShiftState Shift = {}) { KeyMessages(Combo, K, Shift); }
    void Type(const String& Text) {
        for (Char C : Text)
            KeyMessages(Combo, Word(std::towupper(C)));
    }
    // The search timer's interval passes.
    void AdvanceSearchClock() {
        TTimer* T = Combo->SearchTimer();
        if (T->Enabled() && T->OnTimer) T->OnTimer(T);
    }
    TRect PopupRect() { return Combo->ListWindow()->BoundsRect(); }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, LookupCombo, ::testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(LookupCombo, ShowsTheLookupRecordOfTheStoredKeyAndNothingForNullOrMissingKeys) {
    TLookupForm F(GetParam());
    F.Show();
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes");
    EXPECT_EQ(F.Combo->LookupValue(), u"2");
    EXPECT_EQ(F.Combo->Grid()->DisplayFld()->FieldName(), u"NAME");
    F.Data.Orders->Next(); // a null key
    EXPECT_EQ(F.Combo->Text(), u"");
    EXPECT_EQ(F.Combo->LookupValue(), u"");
    F.Data.Orders->Next(); // a key that no customer has
    EXPECT_EQ(F.Combo->Text(), u"");
    F.Data.Orders->First();
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes") << "the same key after other records shows its text again";
    EXPECT_EQ(F.Data.Customers->State(), dsBrowse);
    F.Data.Customers->Close();
    F.Data.Orders->Next();
    F.Data.Orders->First();
    EXPECT_EQ(F.Combo->LookupValue(), u"2") << "without its lookup table the combo keeps the key";
}

TEST_P(LookupCombo, BindingChecksRefuseTheLookupTableAsDataAndAMissingKeyField) {
    TLookupForm F(GetParam());
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { F.Combo->SetLookupField(u"NOSUCH"); }),
              u"Field 'NOSUCH' not found");
    TDataSource Same(nullptr);
    Same.SetDataSet(F.Data.Customers);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { F.Combo->SetDataSource(&Same); }),
              daLookupTexts::DuplicateSource);
}

TEST_P(LookupCombo, TypingWithMatchTextCompletesAndLeavingPostsTheKey) {
    TLookupForm F(GetParam());
    F.Combo->SetShowMatchText(true);
    F.Show();
    F.Combo->SelectAll();
    F.Type(u"tr");
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools") << "the typed part is completed with the match";
    EXPECT_EQ(F.Combo->SelStart(), 2);
    EXPECT_EQ(F.Combo->SelLength(), 13) << "the completed tail is selected";
    EXPECT_EQ(F.Combo->LookupValue(), u"4");
    EXPECT_EQ(F.Cust()->AsInteger(), 2) << "nothing is written before the combo is left";
    F.Other->SetFocus();
    ProcessMessages();
    ASSERT_EQ(F.Data.Orders->State(), dsEdit);
    F.Data.Orders->Post();
    EXPECT_EQ(F.Cust()->AsInteger(), 4);
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools");
    EXPECT_TRUE(F.Errors.Messages.empty());
}

TEST_P(LookupCombo, TypingInTheOpenListSearchesWhenTheTimerFires) {
    TLookupForm F(GetParam());
    F.Show();
    F.Key(VK_F4);
    ASSERT_TRUE(F.Combo->ReadDroppedDown());
    EXPECT_TRUE(F.Combo->Grid()->DataLink()->Active());
    F.Combo->SelectAll();
    F.Type(u"bi");
    EXPECT_TRUE(F.Combo->SearchTimer()->Enabled());
    EXPECT_EQ(F.Combo->SearchTimer()->Interval(), 200u);
    EXPECT_EQ(F.Combo->LookupValue(), u"2") << "no search before the timer fires";
    F.AdvanceSearchClock();
    EXPECT_FALSE(F.Combo->SearchTimer()->Enabled());
    EXPECT_EQ(F.Data.Customers->FieldByName(u"NAME")->AsString(), u"Birch Bakery");
    EXPECT_EQ(F.Combo->LookupValue(), u"3");
    F.Key(VK_RETURN);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
    EXPECT_EQ(F.Cust()->AsInteger(), 3);
    F.Data.Orders->Post();
    EXPECT_EQ(F.Cust()->AsInteger(), 3);
}

TEST_P(LookupCombo, SearchDelayReplacesTheTimersInterval) {
    TLookupForm F(GetParam());
    F.Combo->SetSearchDelay(500);
    F.Show();
    F.Key(VK_F4);
    F.Combo->SelectAll();
    F.Type(u"o");
    EXPECT_EQ(F.Combo->SearchTimer()->Interval(), 500u);
    F.AdvanceSearchClock();
    EXPECT_EQ(F.Combo->LookupValue(), u"5");
}

TEST_P(LookupCombo, ArrowKeysOpenOnlyWithAltAndMoveTheOpenList) {
    TLookupForm F(GetParam());
    F.Show();
    F.Key(VK_DOWN);
    EXPECT_FALSE(F.Combo->ReadDroppedDown()) << "plain Down leaves the list closed";
    F.Key(VK_DOWN, TShiftState{ssAlt});
    ASSERT_TRUE(F.Combo->ReadDroppedDown());
    F.Key(VK_DOWN);
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
    F.Key(VK_DOWN);
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools");
    F.Key(VK_ESCAPE);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes") << "Escape takes the old text and value back";
    EXPECT_EQ(F.Combo->LookupValue(), u"2");
    EXPECT_EQ(F.Cust()->AsInteger(), 2);
    F.Other->SetFocus();
    ProcessMessages();
    if (F.Data.Orders->State() == dsEdit) F.Data.Orders->Post();
    EXPECT_EQ(F.Cust()->AsInteger(), 2) << "a cancelled list changes nothing";
}

TEST_P(LookupCombo, AClickInTheListPicksThatRecordAndCloses) {
    TLookupForm F(GetParam());
    F.Show();
    F.Key(VK_F4);
    ASSERT_TRUE(F.Combo->ReadDroppedDown());
    TdaPopupGrid* G = F.Combo->Grid();
    const TRect R = G->CellRect(G->IndicatorOffset(), G->TitleRows() + 4);
    const TPoint P{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    String Name;
    int ID;
    {
        TActiveRecordScope Row(*G->DataLink(), 4);
        Name = F.Data.Customers->FieldByName(u"NAME")->AsString();
        ID = F.Data.Customers->FieldByName(u"ID")->AsInteger();
    }
    ASSERT_NE(ID, 2);
    MouseDownMessage(G, P);
    MouseUpMessage(G, P);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->Text(), Name);
    EXPECT_EQ(F.Cust()->AsInteger(), ID);
}

TEST_P(LookupCombo, AShortTableGivesAShortListAndTheListStaysOnTheScreen) {
    TLookupForm F(GetParam(), 3);
    F.Show();
    F.Key(VK_F4);
    ASSERT_TRUE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->ItemCount(), 3);
    EXPECT_FALSE(F.Combo->Grid()->ShowVertScrollBar());
    const TRect R = F.PopupRect();
    const TPoint Origin = F.Combo->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(R.Top, Origin.Y + F.Combo->Height() - 1) << "below the combo";
    EXPECT_EQ(R.Left, Origin.X);
    EXPECT_GE(R.Width(), F.Combo->Width() - 4);
    TdaPopupGrid* G = F.Combo->Grid();
    EXPECT_EQ(R.Height(), 3 * G->DefaultRowHeight() + G->Height() - G->ClientHeight());
    EXPECT_EQ(F.Combo->Grid()->VisibleRowCount(), 3);
    if (std::getenv("MORVANE_GRAB_DIR")) {
        auto B = GrabControl(F.Combo->ListWindow());
        Keep(*B, "lookup-list");
        auto C = GrabControl(F.Combo);
        Keep(*C, "lookup-combo");
    }
    F.Key(VK_F4);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());

    // Near the bottom of the work area the list opens upwards.
    const int Bottom = Screen->WorkAreaRect().Bottom;
    F.Form.SetBounds(0, Bottom - 80, 360, 80);
    ProcessMessages();
    F.Key(VK_F4);
    const TRect Up = F.PopupRect();
    const TPoint Origin2 = F.Combo->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(Up.Bottom, Origin2.Y + 1) << "above the combo";
    F.Key(VK_F4);
}

TEST_P(LookupCombo, AListTallerThanTheScreenOpensDownwardsAgain) {
    TLookupForm F(GetParam());
    F.Combo->SetDropDownCount(400);
    TdaDBLookupListOptions O{loFixedDropDownHeight};
    F.Combo->SetOptions(O);
    F.Show();
    F.Key(VK_F4);
    const TPoint Origin = F.Combo->ClientToScreen(TPoint(0, 0));
    EXPECT_GT(F.PopupRect().Height(), Screen->WorkAreaRect().Height());
    EXPECT_EQ(F.PopupRect().Top, Origin.Y + F.Combo->Height() - 1);
    EXPECT_TRUE(F.Combo->Grid()->ShowVertScrollBar());
    F.Key(VK_F4);
}

TEST_P(LookupCombo, WideColumnsNeverPassTheRightEdgeOfTheDesktop) {
    TLookupForm F(GetParam());
    TStringList S;
    S.Add(u"NAME\t200\tCustomer");
    F.Combo->SetSelected(&S);
    F.Show();
    F.Key(VK_F4);
    EXPECT_LE(F.PopupRect().Right, Screen->DesktopWidth());
    F.Key(VK_F4);
    F.Combo->SetDropDownAlignment(taRightJustify);
    F.Combo->SetDropDownWidth(120);
    F.Key(VK_F4);
    const TPoint Origin = F.Combo->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(F.PopupRect().Width(), F.Combo->Width() - 4) << "never narrower than the combo less 4";
    EXPECT_EQ(F.PopupRect().Left, Origin.X + 5);
    F.Key(VK_F4);
}

TEST_P(LookupCombo, TextNotInTheListIsOfferedAndARefusalRestoresTheOldValue) {
    TLookupForm F(GetParam());
    std::vector<String> Offered;
    bool Accept = false;
    F.Combo->OnNotInList = [&](TObject*, TDataSet* Table, const String& NewValue, bool& A) {
        EXPECT_EQ(Table, F.Data.Customers);
        Offered.push_back(NewValue);
        A = Accept;
    };
    F.Show();
    F.Key(VK_F4);
    F.Combo->SelectAll();
    F.Type(u"zz");
    F.AdvanceSearchClock();
    F.Key(VK_RETURN);
    EXPECT_EQ(Offered, (std::vector<String>{u"zz"}));
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes");
    EXPECT_EQ(F.Combo->LookupValue(), u"2");
    F.Other->SetFocus();
    ProcessMessages();
    if (F.Data.Orders->State() == dsEdit) F.Data.Orders->Post();
    EXPECT_EQ(F.Cust()->AsInteger(), 2) << "the refused entry leaves the field as it was";
}

TEST_P(LookupCombo, AnUnboundComboPicksAValueAndReportsTheCloseUp) {
    TLookupForm F(GetParam());
    F.Combo->SetDataSource(nullptr);
    F.Combo->SetDataField(u"");
    std::vector<bool> Closed;
    F.Combo->OnCloseUp = [&](TObject*, TDataSet* Table, TDataSet* Fill, bool Modified) {
        EXPECT_EQ(Table, F.Data.Customers);
        EXPECT_EQ(Fill, nullptr);
        Closed.push_back(Modified);
    };
    F.Show();
    F.Combo->SetValue(u"6");
    EXPECT_EQ(F.Combo->Text(), u"Narvik Nets");
    F.Key(VK_F4);
    F.Key(VK_DOWN);
    F.Key(VK_RETURN);
    EXPECT_EQ(F.Combo->Text(), u"Molde Motors");
    EXPECT_EQ(F.Combo->LookupValue(), u"7");
    F.Key(VK_F4);
    F.Key(VK_UP);
    F.Key(VK_ESCAPE);
    EXPECT_EQ(F.Combo->LookupValue(), u"7");
    EXPECT_EQ(Closed, (std::vector<bool>{true, false}));
}

TEST_P(LookupCombo, WithoutALookupTableTheListSaysSoAndStaysClosed) {
    TLookupForm F(GetParam());
    F.Combo->SetLookupTable(nullptr);
    F.Show();
    TQuestionScript Script;
    Script.Answer(mrOk);
    F.Key(VK_F4);
    EXPECT_EQ(Script.Last().Text, daLookupTexts::NoLookupTable);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
}

TEST_P(LookupCombo, AListStyleComboTakesNoTypingAndKeepsItsValueOnBackspace) {
    TLookupForm F(GetParam());
    F.Combo->SetStyle(daDBCombo::csDropDownList);
    F.Show();
    F.Type(u"x");
    F.Key(VK_BACK);
    F.Key(VK_DELETE);
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes");
    EXPECT_EQ(F.Cust()->AsInteger(), 2);
    EXPECT_EQ(F.Data.Orders->State(), dsBrowse);
}

TEST_P(LookupCombo, ALookupFieldOfTheDataSetWritesItsKeyField) {
    TForm Owner(nullptr);
    TLookupData D = MakeLookupData(&Owner, GetParam(), 12);
    // A second orders set with a lookup field over the customers.
    auto* Orders = new TMemDataSet(&Owner);
    auto* No = new TIntegerField(&Owner);
    No->SetFieldName(u"NO");
    No->SetDataSet(Orders);
    auto* Cust = new TIntegerField(&Owner);
    Cust->SetFieldName(u"CUST");
    Cust->SetDataSet(Orders);
    auto* Name = new TStringField(&Owner);
    Name->SetFieldName(u"CUSTNAME");
    Name->SetSize(30);
    Name->SetFieldKind(fkLookup);
    Name->SetLookupDataSet(D.Customers);
    Name->KeyFields = u"CUST";
    Name->LookupKeyFields = u"ID";
    Name->LookupResultField = u"NAME";
    Name->SetDataSet(Orders);
    Orders->Open();
    Orders->Append();
    No->SetAsInteger(1);
    Cust->SetAsInteger(4);
    Orders->Post();
    TDataSource Source(&Owner);
    Source.SetDataSet(Orders);
    Owner.SetBounds(0, 0, 300, 200);
    auto* Combo = new TdaDBLookupCombo(&Owner);
    Combo->SetParent(&Owner);
    Combo->SetBounds(10, 10, 180, 22);
    Combo->SetLookupTable(D.Customers);
    Combo->SetDataSource(&Source);
    Combo->SetDataField(u"CUSTNAME");
    EXPECT_EQ(Combo->LookupField(), u"ID") << "the key comes from the lookup field's definition";
    Combo->Loaded();
    Owner.Show();
    Combo->SetFocus();
    ProcessMessages();
    EXPECT_EQ(Combo->Text(), u"Trondheim Tools");
    KeyMessages(Combo, VK_F4);
    KeyMessages(Combo, VK_DOWN);
    KeyMessages(Combo, VK_RETURN);
    EXPECT_EQ(Combo->Text(), u"Oslo Optics");
    ASSERT_EQ(Orders->State(), dsEdit);
    Orders->Post();
    EXPECT_EQ(Cust->AsInteger(), 5);
    EXPECT_EQ(Name->AsString(), u"Oslo Optics");
}

namespace {

struct TClickDelivery {
    const char* Name;
    void (*Click)(TWinControl* C, const TPoint& P);
};

const TClickDelivery ClickDeliveries[] = {
    {"toolkit events", [](TWinControl* C, const TPoint& P) { SynthClick(C, P); }},
    {"loop messages", [](TWinControl* C, const TPoint& P) { ClickMessages(C, P); }},
};

// The middle of a data row of the open list, in the list's coordinates.
TPoint ListRowCenter(TdaPopupGrid* G, int DataRow) {
    const TRect R = G->CellRect(G->IndicatorOffset(), G->TitleRows() + DataRow);
    return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

// The customer's name in a data row of the open list.
String ListRowName(TdaPopupGrid* G, TDataSet* Customers, int DataRow) {
    TActiveRecordScope Row(*G->DataLink(), DataRow);
    return Customers->FieldByName(u"NAME")->AsString();
}

} // namespace

TEST_P(LookupCombo, AClickOutsideThatMovesNoFocusClosesTheListAndTakesItsRecord) {
    for (const auto& D : ClickDeliveries) {
        SCOPED_TRACE(D.Name);
        TLookupForm F(GetParam());
        F.Show();
        F.Key(VK_F4);
        ASSERT_TRUE(F.Combo->ReadDroppedDown());
        EXPECT_NE(TdaDBCustomLookupCombo::MouseHookHandle(), 0u);
        F.Key(VK_DOWN);
        // A click on the combo itself leaves the list open.
        D.Click(F.Combo, TPoint(20, 8));
        ProcessMessages();
        EXPECT_TRUE(F.Combo->ReadDroppedDown());
        // The form's bare background takes no focus.
        D.Click(&F.Form, TPoint(300, 120));
        ProcessMessages();
        EXPECT_FALSE(F.Combo->ReadDroppedDown());
        EXPECT_TRUE(F.Combo->Focused());
        EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
        EXPECT_EQ(TdaDBCustomLookupCombo::MouseHookHandle(), 0u) << "the closed list needs no hook";
        F.Other->SetFocus();
        ProcessMessages();
        EXPECT_EQ(F.Cust()->AsInteger(), 3);
    }
}

TEST_P(LookupCombo, APressOnTheButtonOpensTheListWithTheFocusAndASecondTakesTheRecordUnderTheBar) {
    TLookupForm F(GetParam());
    F.Show();
    F.Other->SetFocus();
    TWinControl* Holder = F.Combo->Button()->Parent();
    const TPoint OnButton(F.Combo->Button()->Left() + F.Combo->Button()->Width() / 2,
                          F.Combo->Button()->Height() / 2);
    MouseDownMessage(Holder, OnButton);
    MouseUpMessage(Holder, OnButton);
    ASSERT_TRUE(F.Combo->ReadDroppedDown());
    EXPECT_TRUE(F.Combo->Focused());
    F.Key(VK_DOWN);
    MouseDownMessage(Holder, OnButton);
    MouseUpMessage(Holder, OnButton);
    EXPECT_FALSE(F.Combo->ReadDroppedDown());
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
    F.Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(F.Cust()->AsInteger(), 3);
}

TEST_P(LookupCombo, ItsTextSitsLowerInADataGridWithRowLinesAndLowerAgainInAFocusedOne) {
    TLookupForm F(GetParam());
    auto* Grid = new TdaDBGrid(&F.Form);
    Grid->SetParent(&F.Form);
    Grid->SetBounds(200, 10, 150, 120);
    F.Show();
    EXPECT_EQ(F.Combo->PaintTextTop(false, false), 1) << "on a form";
    F.Combo->SetParent(Grid);
    F.Combo->SetBorderStyle(Controls::bsNone);
    TdaDBGridOptions Lines = Grid->Options();
    Lines.Include(dgRowLines);
    TdaDBGridOptions NoLines = Lines;
    NoLines.Exclude(dgRowLines);
    Grid->SetOptions(NoLines);
    EXPECT_EQ(F.Combo->PaintTextTop(true, true), 1);
    Grid->SetOptions(Lines);
    EXPECT_EQ(F.Combo->PaintTextTop(true, true), 2);
    Grid->SetFocus();
    ProcessMessages();
    ASSERT_TRUE(F.Combo->ParentIsFocusedDBGrid());
    EXPECT_EQ(F.Combo->PaintTextTop(true, true), 2);
    F.Combo->SetBorderStyle(Controls::bsSingle);
    EXPECT_EQ(F.Combo->PaintTextTop(true, true), 3);
}

TEST_P(LookupCombo, TheWheelWalksTheOpenListAndIsLeftToOthersWhileClosed) {
    TLookupForm F(GetParam());
    F.Show();
    WheelMessage(F.Combo, TPoint(10, 5), -120);
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes");
    EXPECT_EQ(F.Data.Orders->State(), dsBrowse);
    F.Key(VK_F4);
    WheelMessage(F.Combo, TPoint(10, 5), -120);
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
    WheelMessage(F.Combo, TPoint(10, 5), -120);
    WheelMessage(F.Combo, TPoint(10, 5), 120);
    WheelMessage(F.Combo, TPoint(10, 5), -240);
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools");
    EXPECT_TRUE(F.Combo->ReadDroppedDown());
    F.Key(VK_RETURN);
    EXPECT_EQ(F.Cust()->AsInteger(), 4);
}

TEST_P(LookupCombo, APressDraggedFromTheComboIntoTheListPicksTheRowOfItsRelease) {
    for (const bool ListStyle : {false, true}) {
        SCOPED_TRACE(ListStyle ? "list style, press on the text" : "press on the button");
        TLookupForm F(GetParam());
        if (ListStyle) F.Combo->SetStyle(daDBCombo::csDropDownList);
        F.Show();
        TWinControl* Pressed = ListStyle ? static_cast<TWinControl*>(F.Combo) : F.Combo->Button()->Parent();
        const TPoint Start = ListStyle ? TPoint(20, 8)
                                       : TPoint(F.Combo->Button()->Left() + F.Combo->Button()->Width() / 2,
                                                F.Combo->Button()->Height() / 2);
        MouseDownMessage(Pressed, Start);
        ASSERT_TRUE(F.Combo->ReadDroppedDown()) << "the press opens the list";
        TdaPopupGrid* G = F.Combo->Grid();
        // Over the combo nothing is forwarded; over the list the press moves there.
        MouseMessage(Pressed, WM_MOUSEMOVE, Start);
        EXPECT_FALSE(G->MouseCapture());
        const TPoint OverRow2 = Pressed->ScreenToClient(G->ClientToScreen(ListRowCenter(G, 2)));
        MouseMessage(Pressed, WM_MOUSEMOVE, OverRow2);
        EXPECT_TRUE(G->MouseCapture()) << "the rest of the drag belongs to the list";
        EXPECT_TRUE(F.Combo->ReadDroppedDown());
        MouseMessage(G, WM_MOUSEMOVE, ListRowCenter(G, 5));
        const String Name = ListRowName(G, F.Data.Customers, 5);
        MouseUpMessage(G, ListRowCenter(G, 5));
        EXPECT_FALSE(F.Combo->ReadDroppedDown());
        EXPECT_FALSE(G->MouseCapture());
        EXPECT_EQ(F.Combo->Text(), Name);
        EXPECT_NE(Name, u"Bergen Bikes");
    }
}

TEST_P(LookupCombo, NavigatorModeShowsTheRecordUnderTheLookupTablesCursor) {
    TLookupForm F(GetParam());
    F.Combo->SetNavigator(true);
    F.Show();
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes");
    F.Data.Customers->First();
    EXPECT_EQ(F.Combo->Text(), u"Alder Mills");
    EXPECT_EQ(F.Combo->LookupValue(), u"1");
    F.Data.Customers->MoveBy(4);
    EXPECT_EQ(F.Combo->Text(), u"Oslo Optics");
    EXPECT_EQ(F.Combo->LookupValue(), u"5");
    EXPECT_EQ(F.Combo->SelLength(), int(F.Combo->Text().size())) << "all of it selected";
    EXPECT_EQ(F.Data.Orders->State(), dsBrowse) << "following the cursor writes nothing";
    // A typed search moves the cursor too, and its own result stands.
    F.Combo->SetShowMatchText(true);
    F.Combo->SelectAll();
    F.Type(u"tr");
    F.AdvanceSearchClock();
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools");
    F.Combo->SetNavigator(false);
    F.Data.Customers->Last();
    EXPECT_EQ(F.Combo->Text(), u"Trondheim Tools") << "without the mode the cursor is not followed";
}

TEST_P(LookupCombo, TypingThroughAPictureMaskShapesTheTextAndSearchesAtOnce) {
    TLookupForm F(GetParam());
    F.Combo->Picture()->SetPictureMask(u"&*?");
    F.Combo->SetShowMatchText(true);
    F.Show();
    F.Combo->SelectAll();
    F.Type(u"b");
    EXPECT_EQ(F.Combo->Text(), u"Bergen Bikes") << "the mask makes the letter upper case, the search completes it";
    EXPECT_EQ(F.Combo->SelStart(), 1);
    EXPECT_FALSE(F.Combo->SearchTimer()->Enabled()) << "no wait for the timer";
    F.Type(u"i");
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery");
    EXPECT_EQ(F.Combo->SelStart(), 2);
    F.Combo->SetSelStart(int(F.Combo->Text().size()));
    F.Type(u"7");
    EXPECT_EQ(F.Combo->Text(), u"Birch Bakery") << "the mask refuses a digit";
    F.Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(F.Cust()->AsInteger(), 3);
}

TEST_P(LookupCombo, TheUnfocusedTextTakesTheDisplayFieldsAlignmentAndADisabledComboIsGrey) {
    TLookupForm F(GetParam());
    TStringList S;
    S.Add(u"ID\t5\tNo");
    F.Combo->SetSelected(&S);
    F.Show();
    F.Other->SetFocus();
    ProcessMessages();
    ASSERT_EQ(F.Combo->Text(), u"2");
    // The columns of the text area that hold ink darker than the background.
    auto InkColumns = [&](TBitmap& B, bool (*Ink)(TColorRef)) {
        std::vector<int> Xs;
        const int Right = F.Combo->Button()->Parent()->Left();
        for (int X = 2; X < Right; ++X)
            for (int Y = 3; Y < F.Combo->Height() - 3; ++Y)
                if (Ink(RgbOf(B, X, Y))) {
                    Xs.push_back(X);
                    break;
                }
        return Xs;
    };
    auto Dark = [](TColorRef C) { return GetRValue(C) < 90 && GetGValue(C) < 90 && GetBValue(C) < 90; };
    auto Grey = [](TColorRef C) {
        const int R = GetRValue(C), G = GetGValue(C), B = GetBValue(C);
        return R < 200 && R > 60 && std::abs(R - G) < 20 && std::abs(G - B) < 20;
    };
    auto Shown = GrabControl(F.Combo);
    Keep(*Shown, "lookup-combo-right-aligned");
    const std::vector<int> Text = InkColumns(*Shown, Dark);
    ASSERT_FALSE(Text.empty());
    const int Right = F.Combo->Button()->Parent()->Left();
    EXPECT_GT(Text.front(), Right - 20) << "a number stands at the right edge of the text";
    EXPECT_GE(Right - Text.back(), 2);

    F.Combo->SetEnabled(false);
    ProcessMessages();
    auto Disabled = GrabControl(F.Combo);
    Keep(*Disabled, "lookup-combo-disabled");
    EXPECT_TRUE(InkColumns(*Disabled, Dark).empty()) << "no black text";
    EXPECT_FALSE(InkColumns(*Disabled, Grey).empty());
    EXPECT_FALSE(F.Combo->Button()->Enabled());
}

TEST_P(LookupCombo, AFocusedListStyleComboShowsItsTextHighlighted) {
    TLookupForm F(GetParam());
    F.Combo->SetStyle(daDBCombo::csDropDownList);
    F.Show();
    ProcessMessages();
    ASSERT_TRUE(F.Combo->Focused());
    auto B = GrabControl(F.Combo);
    Keep(*B, "lookup-combo-list-style-focused");
    const TColorRef Highlight = ColorToRGB(clHighlight);
    int Marked = 0;
    for (int X = 2; X < F.Combo->Button()->Parent()->Left(); ++X)
        Marked += RgbOf(*B, X, F.Combo->Height() / 2) == Highlight ? 1 : 0;
    EXPECT_GT(Marked, 20) << "the whole text stands in the highlight colour";
    F.Other->SetFocus();
    ProcessMessages();
    auto U = GrabControl(F.Combo);
    Marked = 0;
    for (int X = 2; X < F.Combo->Button()->Parent()->Left(); ++X)
        Marked += RgbOf(*U, X, F.Combo->Height() / 2) == Highlight ? 1 : 0;
    EXPECT_EQ(Marked, 0) << "without the focus it is plain";
}
