// Search and replace in the editor control, with the plain and the regular-expression engine:
// direction, range, whole words, case, groups, questions per hit, and replace-all as one step.

#include "CodeEditSupport.h"

#include "editor/EditRegexSearch.h"
#include "editor/EditSearch.h"

#include "platform/gui/Questions.h"

#include <set>

namespace {

TCodeSearchOptions Opts(std::initializer_list<TCodeSearchOption> List) {
    TCodeSearchOptions O;
    for (TCodeSearchOption Item : List)
        O.Include(Item);
    return O;
}

struct THit {
    int Position, Length;
    bool operator==(const THit&) const = default;
};

std::vector<THit> AllHits(TCodeEditSearchCustom& S, const String& Line) {
    std::vector<THit> Hits;
    const int N = S.FindAll(Line);
    for (int I = 0; I < N; ++I)
        Hits.push_back({S.ResultPosition(I), S.ResultLength(I)});
    return Hits;
}

std::ostream& operator<<(std::ostream& Out, const THit& H) {
    return Out << "(" << H.Position << "," << H.Length << ")";
}

} // namespace

// ---- The regular-expression engine on its own -----------------------------------------------------

TEST(EditRegexSearch, FindsEveryMatchOfALine) {
    const struct {
        const char16_t* Pattern;
        bool MatchCase;
        const char16_t* Line;
        std::vector<THit> Hits;
    } Cases[] = {
        {u"a+", false, u"xAyaa", {{2, 1}, {4, 2}}},
        {u"a+", true, u"xAyaa", {{4, 2}}},
        {u"x*", true, u"ab", {{1, 0}, {2, 0}, {3, 0}}},
        {u"(\\w+)=(\\d+)", true, u"a=1, bc=22", {{1, 3}, {6, 5}}},
        {u"z", true, u"abc", {}},
    };
    TCodeEditRegexSearch S(nullptr);
    for (const auto& C : Cases) {
        S.SetOptions(C.MatchCase ? Opts({ssoMatchCase}) : Opts({}));
        S.SetPattern(C.Pattern);
        EXPECT_EQ(AllHits(S, C.Line), C.Hits) << U8(C.Pattern) << " in " << U8(C.Line);
        EXPECT_EQ(S.ResultCount(), static_cast<int>(C.Hits.size()));
    }
    EXPECT_EQ(U8(S.Pattern()), "z");
    EXPECT_EQ(U8(ThrownMessage<EListError>([&] { S.ResultPosition(0); })), "List index out of bounds (0)");
    EXPECT_EQ(U8(ThrownMessage<EListError>([&] { S.ResultLength(-1); })), "List index out of bounds (-1)");
}

TEST(EditRegexSearch, AMalformedExpressionRaisesAndLeavesNoResults) {
    TCodeEditRegexSearch S(nullptr);
    S.SetPattern(u"a");
    ASSERT_EQ(S.FindAll(u"aa"), 2);
    S.SetPattern(u"(a");
    EXPECT_THROW(S.FindAll(u"aa"), ERegexEngine);
    EXPECT_EQ(S.ResultCount(), 0);
}

TEST(EditRegexSearch, AReplacementTakesTheGroupsOfItsOwnHit) {
    TCodeEditRegexSearch S(nullptr);
    S.SetPattern(u"([a-z]+)(\\d+)");
    // A text that was no hit: its one match, groups and all.
    EXPECT_EQ(U8(S.Replace(u"foo123", u"$2$1")), "123foo");
    ASSERT_EQ(S.FindAll(u"ab12 cd34"), 2);
    EXPECT_EQ(U8(S.ReplaceResult(1, u"cd34", u"<$2|$1|$&>")), "<34|cd|cd34>");
    EXPECT_EQ(U8(S.Replace(u"ab12", u"$2$1")), "12ab");
    // Groups that only match with the rest of the line around them.
    S.SetPattern(u"\\B(\\w)");
    ASSERT_EQ(S.FindAll(u"abc"), 2);
    EXPECT_EQ(U8(S.ReplaceResult(0, u"b", u"[$1]")), "[b]");
    // One replacement per hit, even where the expression matches again inside the hit's text.
    S.SetPattern(u"x*");
    ASSERT_EQ(S.FindAll(u"axx"), 3);
    EXPECT_EQ(U8(S.ReplaceResult(1, u"xx", u"-")), "-");
}

// ---- The control ------------------------------------------------------------------------------------

class CodeEditSearch : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        Plain = new TCodeEditSearch(Form.get());
        Regex = new TCodeEditRegexSearch(Form.get());
        Edit->SetSearchEngine(Plain);
    }
    // The selection as (begin char, begin line, end char, end line) and the caret.
    std::vector<int> SelAndCaret() const {
        const TBufferCoord B = Edit->BlockBegin(), E = Edit->BlockEnd();
        return {B.Char, B.Line, E.Char, E.Line, Edit->CaretX(), Edit->CaretY()};
    }
    // The change numbers of the undo items.
    std::set<int> ChangeNumbers() const {
        std::set<int> Numbers;
        TCodeEditUndoList* List = Edit->UndoList();
        std::vector<std::unique_ptr<TCodeEditUndoItem>> Items;
        while (List->CanUndo())
            Items.push_back(List->PopItem());
        for (auto& Item : Items)
            Numbers.insert(Item->ChangeNumber());
        for (auto It = Items.rbegin(); It != Items.rend(); ++It)
            List->PushItem(std::move(*It));
        return Numbers;
    }

    TCodeEditSearch* Plain = nullptr;
    TCodeEditRegexSearch* Regex = nullptr;
};

TEST_F(CodeEditSearch, FindsAndSelectsTheFirstHitInSearchOrder) {
    const struct {
        const char* Name;
        TCodeSearchOptions Options;
        TBufferCoord Caret, SelBegin, SelEnd; // a selection when SelBegin != SelEnd
        const char16_t* Search;
        int Result;
        std::vector<int> After; // selection begin, end and caret; for no hit, as before
    } Cases[] = {
        {"forward from a hit's start", {}, {4, 1}, {}, {}, u"ab", 1, {4, 1, 6, 1, 6, 1}},
        {"forward past a hit's start", {}, {5, 1}, {}, {}, u"ab", 1, {7, 1, 9, 1, 9, 1}},
        {"forward to the next line", {}, {8, 1}, {}, {}, u"ab", 1, {1, 2, 3, 2, 3, 2}},
        {"backward to a hit's end", Opts({ssoBackwards}), {6, 1}, {}, {}, u"ab", 1, {4, 1, 6, 1, 4, 1}},
        {"backward before a hit's end", Opts({ssoBackwards}), {5, 1}, {}, {}, u"ab", 1, {1, 1, 3, 1, 1, 1}},
        {"backward to the line above", Opts({ssoBackwards}), {2, 2}, {}, {}, u"ab", 1, {7, 1, 9, 1, 7, 1}},
        {"entire scope from the end", Opts({ssoEntireScope}), {4, 3}, {}, {}, u"ab", 1, {1, 1, 3, 1, 3, 1}},
        {"entire scope backwards", Opts({ssoEntireScope, ssoBackwards}), {1, 1}, {}, {}, u"ab", 1,
         {1, 3, 3, 3, 1, 3}},
        {"in the selection", Opts({ssoSelectedOnly}), {1, 1}, {2, 1}, {7, 1}, u"ab", 1, {4, 1, 6, 1, 6, 1}},
        {"selection only without a selection", Opts({ssoSelectedOnly}), {2, 1}, {}, {}, u"ab", 1,
         {4, 1, 6, 1, 6, 1}},
        {"case ignored", {}, {1, 1}, {}, {}, u"AB", 1, {1, 1, 3, 1, 3, 1}},
        {"case counts", Opts({ssoMatchCase}), {1, 1}, {}, {}, u"AB", 1, {1, 3, 3, 3, 3, 3}},
        {"whole words", Opts({ssoWholeWord}), {1, 1}, {}, {}, u"foo", 1, {8, 2, 11, 2, 11, 2}},
        {"parts of words", {}, {1, 1}, {}, {}, u"foo", 1, {4, 2, 7, 2, 7, 2}},
        {"nothing found", {}, {3, 2}, {}, {}, u"zz", 0, {3, 2, 3, 2, 3, 2}},
        {"nothing found keeps the selection", {}, {1, 1}, {2, 1}, {5, 1}, u"zz", 0, {2, 1, 5, 1, 5, 1}},
        {"an empty pattern", {}, {3, 2}, {}, {}, u"", 0, {3, 2, 3, 2, 3, 2}},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"ab ab ab\r\nab_foo foo\r\nAB x");
        if (C.SelBegin != C.SelEnd)
            Edit->SetCaretAndSelection(C.SelEnd, C.SelBegin, C.SelEnd);
        else
            Edit->SetCaretXY(C.Caret);
        EXPECT_EQ(Edit->SearchReplace(C.Search, u"", C.Options), C.Result) << C.Name;
        EXPECT_EQ(SelAndCaret(), C.After) << C.Name;
        EXPECT_EQ(U8(Edit->Text()), "ab ab ab\r\nab_foo foo\r\nAB x") << C.Name;
    }
}

TEST_F(CodeEditSearch, ReplacesHitsAsTheOptionsSay) {
    const struct {
        const char* Name;
        bool UseRegex;
        TCodeSearchOptions Options;
        TBufferCoord SelBegin, SelEnd; // the caret when equal
        TCodeSelectionMode Mode;
        const char16_t *Text, *Search, *Replace;
        int Result;
        const char* After;
    } Cases[] = {
        {"one letter by two", false, Opts({ssoReplaceAll, ssoEntireScope}), {1, 1}, {1, 1}, smNormal, u"a a a",
         u"a", u"bb", 3, "bb bb bb"},
        {"shorter, over lines", false, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"abcabc\r\nxabc",
         u"abc", u"-", 3, "--\r\nx-"},
        {"backwards from the caret", false, Opts({ssoReplaceAll, ssoBackwards}), {4, 2}, {4, 2}, smNormal,
         u"ab ab\r\nab ab", u"ab", u"XYZ", 3, "XYZ XYZ\r\nXYZ ab"},
        {"from the caret on", false, Opts({ssoReplaceAll}), {3, 1}, {3, 1}, smNormal, u"aaaa", u"a", u"bb", 2,
         "aabbbb"},
        {"only the first", false, Opts({ssoReplace}), {1, 1}, {1, 1}, smNormal, u"a a a", u"a", u"b", 1, "b a a"},
        {"in the selection", false, Opts({ssoReplaceAll, ssoSelectedOnly}), {2, 1}, {7, 2}, smNormal,
         u"ab ab\r\nab ab ab", u"ab", u"<>", 3, "ab <>\r\n<> <> ab"},
        {"in a line selection", false, Opts({ssoReplaceAll, ssoSelectedOnly}), {3, 2}, {2, 3}, smLine,
         u"ab\r\nab ab\r\nab\r\nab", u"ab", u"c", 3, "ab\r\nc c\r\nc\r\nab"},
        {"in a column selection", false, Opts({ssoReplaceAll, ssoSelectedOnly}), {3, 1}, {6, 3}, smColumn,
         u"abab ab\r\nxabx\r\nabab", u"ab", u"Q", 2, "abQ ab\r\nxabx\r\nabQ"},
        {"whole words", false, Opts({ssoReplaceAll, ssoWholeWord}), {1, 1}, {1, 1}, smNormal,
         u"foo food (foo) foo_", u"foo", u"bar", 2, "bar food (bar) foo_"},
        {"with case", false, Opts({ssoReplaceAll, ssoMatchCase}), {1, 1}, {1, 1}, smNormal, u"Ab ab AB", u"ab",
         u"x", 1, "Ab x AB"},
        {"without case", false, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"Ab ab AB", u"ab", u"x", 3,
         "x x x"},
        {"a hit in line mode replaces the hit only", false, Opts({ssoReplace}), {1, 1}, {1, 1}, smLine,
         u"ab cd", u"cd", u"X", 1, "ab X"},
        {"groups swapped", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"ab12 cd34\r\nx9",
         u"([a-z]+)(\\d+)", u"$2$1", 3, "12ab 34cd\r\n9x"},
        {"groups backwards", true, Opts({ssoReplaceAll, ssoBackwards, ssoEntireScope}), {1, 1}, {1, 1}, smNormal,
         u"k=1; long=22", u"(\\w+)=(\\d+)", u"$2:=$1", 2, "1:=k; 22:=long"},
        {"a group that needs its line", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"abc",
         u"\\B(\\w)", u"[$1]", 2, "a[b][c]"},
        {"a boundary inside the line", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"foo",
         u"\\Bo", u"0", 2, "f00"},
        {"one replacement per hit", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"axxb", u"x*",
         u"-", 4, "-a--b-"},
        {"empty hits", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"ab", u"x*", u"-", 3, "-a-b-"},
        {"case of an expression", true, Opts({ssoReplaceAll}), {1, 1}, {1, 1}, smNormal, u"Ab aB", u"a(b)",
         u"<$1>", 2, "<b> <B>"},
        {"an expression with case", true, Opts({ssoReplaceAll, ssoMatchCase}), {1, 1}, {1, 1}, smNormal,
         u"Ab ab", u"a(b)", u"<$1>", 1, "Ab <b>"},
    };
    for (const auto& C : Cases) {
        Edit->SetSearchEngine(C.UseRegex ? static_cast<TCodeEditSearchCustom*>(Regex) : Plain);
        Edit->SetSelectionMode(C.Mode);
        Edit->SetText(C.Text);
        if (C.SelBegin != C.SelEnd)
            Edit->SetCaretAndSelection(C.SelEnd, C.SelBegin, C.SelEnd);
        else
            Edit->SetCaretXY(C.SelBegin);
        Edit->UndoList()->Clear();
        EXPECT_EQ(Edit->SearchReplace(C.Search, C.Replace, C.Options), C.Result) << C.Name;
        const String Text = Edit->Text();
        EXPECT_EQ(U8(Text), C.After) << C.Name;
        // However many hits were replaced: one undo step.
        EXPECT_EQ(ChangeNumbers().size(), 1u) << C.Name;
        Edit->SetSelectionMode(smNormal);
    }
}

TEST_F(CodeEditSearch, WithoutAnEngineItRaisesAndChangesNothing) {
    Edit->SetText(u"abc");
    Edit->SetSearchEngine(nullptr);
    EXPECT_EQ(U8(ThrownMessage<ECodeEditError>([&] { Edit->SearchReplace(u"b", u"x", Opts({ssoReplaceAll})); })),
              "No search engine has been assigned");
    EXPECT_EQ(U8(Edit->Text()), "abc");
    // An engine that goes is forgotten.
    auto* Gone = new TCodeEditSearch(nullptr);
    Edit->SetSearchEngine(Gone);
    delete Gone;
    EXPECT_EQ(Edit->SearchEngine(), nullptr);
}

// The owner's question per hit goes through the question service, as the IDE's replace dialog does.
class CodeEditPromptedReplace : public CodeEditSearch {
protected:
    void SetUp() override {
        CodeEditSearch::SetUp();
        Edit->OnReplaceText = [this](TObject*, const String& ASearch, const String& AReplace, int Line, int Column,
                                     TCodeReplaceAction& Action) {
            Places.push_back({Column, Line});
            switch (MessageDlg(Format(u"Replace this occurrence of '%s' by '%s'?", {ASearch, AReplace}),
                               mtConfirmation, {mbYes, mbNo, mbCancel, mbAll}, 0)) {
            case mrYes:
                Action = raReplace;
                break;
            case mrNo:
                Action = raSkip;
                break;
            case mrAll:
                Action = raReplaceAll;
                break;
            default:
                Action = raCancel;
            }
        };
    }
    std::vector<TBufferCoord> Places;
};

TEST_F(CodeEditPromptedReplace, AnswersDecideHitByHit) {
    const struct {
        const char* Name;
        TCodeSearchOptions Options;
        std::vector<int> Answers;
        int Result;
        const char* After;
        size_t Asked;
    } Cases[] = {
        {"skip, replace, then all", Opts({ssoReplace, ssoReplaceAll, ssoPrompt}), {mrNo, mrYes, mrAll}, 4,
         "a X X\r\nX X", 3},
        {"replace, then cancel", Opts({ssoReplace, ssoReplaceAll, ssoPrompt}), {mrYes, mrCancel}, 2,
         "X a a\r\na a", 2},
        {"skip everything", Opts({ssoReplace, ssoReplaceAll, ssoPrompt}), {mrNo, mrNo, mrNo, mrNo, mrNo}, 0,
         "a a a\r\na a", 5},
        {"without replace-all only the first hit", Opts({ssoReplace, ssoPrompt}), {mrNo}, 0, "a a a\r\na a", 1},
        {"without replace-all, all takes the rest", Opts({ssoReplace, ssoPrompt}), {mrAll}, 5, "X X X\r\nX X", 1},
        {"all at the first question", Opts({ssoReplace, ssoPrompt, ssoReplaceAll}), {mrAll}, 5, "X X X\r\nX X",
         1},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"a a a\r\na a");
        Edit->SetCaretXY({1, 1});
        Edit->UndoList()->Clear();
        Places.clear();
        TQuestionScript Script;
        for (int Answer : C.Answers)
            Script.Answer(Answer);
        EXPECT_EQ(Edit->SearchReplace(u"a", u"X", C.Options), C.Result) << C.Name;
        const String Text = Edit->Text();
        EXPECT_EQ(U8(Text), C.After) << C.Name;
        ASSERT_EQ(Script.Asked().size(), C.Asked) << C.Name;
        EXPECT_EQ(U8(Script.Asked()[0].Text), "Replace this occurrence of 'a' by 'X'?") << C.Name;
        EXPECT_EQ(Script.PendingAnswers(), 0) << C.Name;
        EXPECT_LE(ChangeNumbers().size(), 1u) << C.Name;
    }
    // Each question names the hit's place in the text as it is then.
    Edit->SetText(u"a a a\r\na a");
    Edit->SetCaretXY({1, 1});
    Places.clear();
    TQuestionScript Script;
    for (int I = 0; I < 5; ++I)
        Script.Answer(I % 2 == 0 ? mrYes : mrNo);
    EXPECT_EQ(Edit->SearchReplace(u"a", u"XY", Opts({ssoReplace, ssoReplaceAll, ssoPrompt})), 3);
    EXPECT_EQ(U8(Edit->Text()), "XY a XY\r\na XY");
    // A skipped hit shifts nothing after it.
    const std::vector<TBufferCoord> Expected{{1, 1}, {4, 1}, {6, 1}, {1, 2}, {3, 2}};
    EXPECT_EQ(Places, Expected);
}

TEST_F(CodeEditSearch, TheHitComesIntoViewOnceAReplaceAllEnds) {
    SizeTo(40, 10);
    String Text;
    for (int I = 1; I <= 300; ++I)
        Text += (I > 1 ? u"\r\n" : u"") + String(I % 100 == 0 ? u"x hit" : u"x");
    Edit->OnReplaceText = [](TObject*, const String&, const String&, int, int, TCodeReplaceAction& Action) {
        Action = MessageDlg(u"Replace?", mtConfirmation, {mbYes, mbAll}, 0) == mrAll ? raReplaceAll : raReplace;
    };
    // Silent, and made silent by the answer to the first question.
    for (bool Prompt : {false, true}) {
        Edit->SetText(Text);
        Edit->SetCaretXY({1, 1});
        ASSERT_EQ(Edit->TopLine(), 1);
        TQuestionScript Script;
        if (Prompt) Script.Answer(mrAll);
        TCodeSearchOptions Options = Opts({ssoReplaceAll});
        if (Prompt) Options.Include(ssoPrompt);
        EXPECT_EQ(Edit->SearchReplace(u"hit", u"done", Options), 3) << Prompt;
        EXPECT_EQ(Script.Asked().size(), Prompt ? 1u : 0u);
        EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(7, 300)) << Prompt;
        EXPECT_TRUE(Edit->CaretInView()) << Prompt;
        EXPECT_EQ(Edit->PaintLock(), 0) << Prompt;
    }
}

TEST_F(CodeEditSearch, OneUndoTakesBackAReplaceAllAndOneRedoDoesItAgain) {
    const struct {
        const char* Name;
        bool UseRegex;
        TCodeSearchOptions Options;
        const char16_t *Text, *Search, *Replace, *After;
    } Cases[] = {
        {"longer", false, Opts({ssoReplaceAll}), u"a a\r\na", u"a", u"bbb", u"bbb bbb\r\nbbb"},
        {"shorter, backwards", false, Opts({ssoReplaceAll, ssoBackwards, ssoEntireScope}), u"abcabc\r\nabc", u"abc",
         u"x", u"xx\r\nx"},
        {"by nothing", false, Opts({ssoReplaceAll}), u"a-b-c", u"-", u"", u"abc"},
        {"groups", true, Opts({ssoReplaceAll}), u"k=1\r\nlong=22", u"(\\w+)=(\\d+)", u"$2=$1", u"1=k\r\n22=long"},
        {"empty hits", true, Opts({ssoReplaceAll}), u"ab", u"x*", u"-", u"-a-b-"},
    };
    for (const auto& C : Cases) {
        Edit->SetSearchEngine(C.UseRegex ? static_cast<TCodeEditSearchCustom*>(Regex) : Plain);
        Edit->SetText(C.Text);
        Edit->ClearUndo();
        Edit->SetCaretXY({1, 1});
        Edit->SearchReplace(C.Search, C.Replace, C.Options);
        ASSERT_EQ(U8(Edit->Text()), U8(C.After)) << C.Name;
        Edit->Undo();
        EXPECT_EQ(U8(Edit->Text()), U8(C.Text)) << C.Name;
        EXPECT_FALSE(Edit->CanUndo()) << C.Name;
        Edit->Redo();
        EXPECT_EQ(U8(Edit->Text()), U8(C.After)) << C.Name;
        EXPECT_FALSE(Edit->CanRedo()) << C.Name;
    }
}
