// The incremental search edit over people in memory or in an SQLite file: typing starts the
// delay, the pause searches once, the found record completes the text, and the case rules, the
// custom search and the warnings. The delay timer's tick is called directly: no test waits.
#include "dataaware/edits/daIncSearch.h"
#include "EditTestSupport.h"

#include "support/QuestionTestSupport.h"

namespace {

const std::vector<TPersonRow> People = {
    {u"Young", u"Di", 40}, {u"Miller", u"Ann", 20}, {u"adams", u"Bob", 50}, {u"Mills", u"Cy", 12}};

struct TSearchForm {
    TForm Form{nullptr};
    TDataSet* DS;
    TDataSource* Source;
    TdaIncrementalSearch* Search;
    std::vector<bool> Results;
    explicit TSearchForm(TDataSetKind Kind) {
        Form.SetBounds(0, 0, 300, 100);
        DS = MakePeopleDataSet(&Form, Kind, People);
        DS->IndexDefs().Add(u"byLast", u"LAST", ixCaseInsensitive);
        DS->IndexDefs().Add(u"byLastCase", u"LAST", 0);
        Source = new TDataSource(&Form);
        Source->SetDataSet(DS);
        Search = new TdaIncrementalSearch(&Form);
        Search->SetName(u"Search1");
        Search->SetParent(&Form);
        Search->SetBounds(8, 8, 150, 22);
        Search->SetDataSource(Source);
        Search->OnAfterSearch = [this](TdaIncrementalSearch*, bool Found) { Results.push_back(Found); };
        Form.Show();
        Search->SetFocus();
        ProcessMessages();
    }
    void Type(const std::string& Letters) {
        for (char C : Letters) KeyMessages(Search, Word(std::toupper(C)), std::isupper(C) ? TShiftState{ssShift} : TShiftState{});
    }
    // The user pauses: the delay runs out.
    void Pause() { Search->DelayTimer()->OnTimer(Search->DelayTimer()); }
    String Last() { return DS->FieldByName(u"LAST")->AsString(); }
};

class IncSearchBound : public testing::TestWithParam<TDataSetKind> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(DataSets, IncSearchBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(IncSearchBound, ThePauseAfterTypingSearchesOnceOnTheIndexField) {
    TSearchForm F(GetParam());
    F.DS->SetIndexName(u"byLast");
    F.Type("mill");
    EXPECT_EQ(F.Search->Text(), u"mill");
    EXPECT_TRUE(F.Search->DelayTimer()->Enabled());
    EXPECT_EQ(F.Search->DelayTimer()->Interval(), 200u);
    EXPECT_TRUE(F.Results.empty()); // nothing before the pause
    F.Pause();
    EXPECT_EQ(F.Last(), u"Miller");
    EXPECT_EQ(F.Results, std::vector<bool>{true});
    EXPECT_EQ(F.Search->LastValue, u"mill");
    F.Pause(); // the timer is off and the text unchanged: no second search
    EXPECT_EQ(F.Results.size(), 1u);

    F.Search->SetSearchDelay(500);
    F.Type("s");
    EXPECT_EQ(F.Search->DelayTimer()->Interval(), 500u);
    F.Pause();
    EXPECT_EQ(F.Last(), u"Mills");

    // Clearing the text goes back to the first record.
    F.Search->SetText(u"");
    F.DS->Last();
    KeyMessages(F.Search, VK_BACK);
    F.Pause();
    F.DS->Resync();
    EXPECT_EQ(F.DS->RecNo(), 1);
}

TEST_P(IncSearchBound, ShowMatchTextCompletesFromTheRecordAndBackspaceDoesNotSearch) {
    TSearchForm F(GetParam());
    F.DS->SetIndexName(u"byLast");
    F.Search->SetShowMatchText(true);
    F.Type("mi");
    F.Pause();
    EXPECT_EQ(F.Search->Text(), u"Miller");
    EXPECT_EQ(F.Search->SelStart(), 2);
    EXPECT_EQ(F.Search->SelText(), u"ller");
    KeyMessages(F.Search, VK_BACK);
    EXPECT_EQ(F.Search->Text(), u"Mi");
    EXPECT_FALSE(F.Search->DelayTimer()->Enabled());
    EXPECT_EQ(F.Results.size(), 1u);
}

TEST_P(IncSearchBound, CaseRulesComeFromTheIndexOrTheSetting) {
    TSearchForm F(GetParam());
    F.Search->SetSearchField(u"LAST");
    // An index that respects case: "AD" does not find "adams".
    F.DS->SetIndexName(u"byLastCase");
    F.Search->SetText(u"AD");
    F.Search->FindValue();
    EXPECT_EQ(F.Results.back(), false);
    F.Search->SetCaseSensitivity(dacsCaseInsensitive);
    F.Search->FindValue();
    EXPECT_EQ(F.Results.back(), true);
    EXPECT_EQ(F.Last(), u"adams");
    // No index at all: case-insensitive unless the setting asks for case.
    F.DS->SetIndexName(u"");
    F.DS->First();
    F.Search->SetCaseSensitivity(dacsAutoDetect);
    F.Search->FindValue();
    EXPECT_EQ(F.Last(), u"adams");
    F.DS->First();
    F.Search->SetCaseSensitivity(dacsCaseSensitive);
    F.Search->FindValue();
    EXPECT_EQ(F.Results.back(), false);
    EXPECT_EQ(F.Last(), u"Young"); // unmoved
}

TEST_P(IncSearchBound, TextThatIsNoValueOfTheFieldFindsNothing) {
    TSearchForm F(GetParam());
    F.Search->SetSearchField(u"AMOUNT");
    F.Search->SetText(u"12x");
    F.Search->FindValue();
    EXPECT_EQ(F.Results, std::vector<bool>{false});
    EXPECT_EQ(F.Last(), u"Young");
    F.Search->SetText(u"12");
    F.Search->FindValue();
    EXPECT_EQ(F.Results.back(), true);
    EXPECT_EQ(F.Last(), u"Mills");
}

TEST_P(IncSearchBound, ACustomSearchIsHandedTheFieldAndTheValue) {
    TSearchForm F(GetParam());
    String Field, Value;
    F.Search->OnPerformCustomSearch = [&](TObject*, TDataSet* Table, const String& SearchField,
                                          const String& SearchValue, bool PerformLookup, bool& Found) {
        EXPECT_EQ(Table, F.DS);
        EXPECT_FALSE(PerformLookup);
        Field = SearchField;
        Value = SearchValue;
        Found = true;
    };
    F.Search->SetText(u"a very long text that is longer than the field");
    F.Search->FindValue();
    EXPECT_EQ(Field, u"ID"); // no search field: the first field
    F.Search->SetSearchField(u"LAST");
    F.Search->FindValue();
    EXPECT_EQ(Field, u"LAST");
    EXPECT_EQ(Value, u"a very long text tha"); // cut to the field's 20 characters
    EXPECT_EQ(F.Results, (std::vector<bool>{true, true}));
}

TEST(IncSearch, TypingWithoutDataWarnsAndDoesNotSearch) {
    TForm Form(nullptr);
    auto* Search = new TdaIncrementalSearch(&Form);
    Search->SetName(u"Search1");
    Search->SetParent(&Form);
    Form.Show();
    Search->SetFocus();
    TQuestionScript Script;
    Script.Answer(mrOk).Answer(mrOk);
    KeyMessages(Search, Word('A'));
    EXPECT_EQ(Script.Last().Text, u"DataSource not defined - object Search1");
    EXPECT_EQ(Script.Last().DlgType, mtWarning);
    auto* Source = new TDataSource(&Form);
    Search->SetDataSource(Source);
    KeyMessages(Search, Word('B'));
    EXPECT_EQ(Script.Last().Text, u"Dataset not defined for DataSource");
    EXPECT_FALSE(Search->DelayTimer()->Enabled());
}
