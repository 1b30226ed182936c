// The search and replace dialogs: their histories, what the editor tab fills in and reads back,
// and where the replace question goes.

#include "EditorFixture.h"

#include "ide/SearchDialogs.h"

namespace {

std::vector<std::string> LinesOf(const String& Text) {
    TStringList L;
    L.SetText(Text);
    std::vector<std::string> Out;
    for (int I = 0; I < L.Count(); ++I)
        Out.push_back(U8(L.Strings(I)));
    return Out;
}

// Closes the dialog with OK as its modal loop does.
void CloseWithOk(TForm* Dialog) {
    Dialog->SetModalResult(mrOk);
    Dialog->CloseQuery();
}

} // namespace

TEST(SearchDialogs, TheHistoryPutsTheConfirmedTextFirst) {
    const struct {
        std::string Text;
        std::string History;
        std::vector<std::string> After;
    } Cases[] = {
        {"loop", "setup\r\nLoop", {"loop", "setup"}},
        {"new", "a\r\nb", {"new", "a", "b"}},
        {"", "a", {"a"}},
    };
    for (const auto& C : Cases) {
        TTextSearchDialog Dialog(nullptr);
        Dialog.SetSearchTextHistory(Utf8ToString(C.History));
        Dialog.SetSearchText(Utf8ToString(C.Text));
        CloseWithOk(&Dialog);
        EXPECT_EQ(LinesOf(Dialog.SearchTextHistory()), C.After) << C.Text;
        EXPECT_EQ(U8(Dialog.SearchText()), C.Text);
    }
    // Cancel leaves the history; reading gives ten entries at most.
    TTextReplaceDialog Replace(nullptr);
    String Fourteen;
    for (int I = 1; I <= 14; ++I)
        Fourteen += IntToStr(I) + u"\r\n";
    Replace.SetReplaceTextHistory(Fourteen);
    Replace.SetSearchTextHistory(u"x");
    Replace.SetSearchText(u"y");
    Replace.SetReplaceText(u"z");
    Replace.SetModalResult(mrCancel);
    Replace.CloseQuery();
    EXPECT_EQ(LinesOf(Replace.SearchTextHistory()), (std::vector<std::string>{"x"}));
    EXPECT_EQ(LinesOf(Replace.ReplaceTextHistory()).size(), 10u);
    CloseWithOk(&Replace);
    EXPECT_EQ(LinesOf(Replace.SearchTextHistory()), (std::vector<std::string>{"y", "x"}));
    EXPECT_EQ(LinesOf(Replace.ReplaceTextHistory())[0], "z");
    EXPECT_EQ(LinesOf(Replace.ReplaceTextHistory()).size(), 10u);
}

TEST(SearchDialogs, TheReplaceQuestionGoesBesideTheFoundText) {
    TConfirmReplaceDialog Dialog(nullptr);
    // The question carries the standard question-mark icon.
    ASSERT_NE(dynamic_cast<TIcon*>(Dialog.Image1->Picture()->Graphic()), nullptr);
    EXPECT_EQ(Dialog.Image1->Picture()->Width(), 32);
    const int W = Dialog.Width(), H = Dialog.Height();
    const TRect Wide{100, 100, 900, 700};
    const struct {
        TRect Editor;
        int X, Y1, Y2;
        int Left, Top;
    } Cases[] = {
        {Wide, 200, 150, 165, 200, 169},                  // upper part: below the text
        {Wide, 200, 600, 615, 200, 600 - H - 4},          // bottom third: above it
        {Wide, 850, 150, 165, 900 - W, 169},              // kept inside the editor's right edge
        {TRect{100, 100, 200, 400}, 150, 150, 165, 100 - (W - 100) / 2, 169}, // narrow: centred
    };
    for (const auto& C : Cases) {
        Dialog.PrepareShow(C.Editor, C.X, C.Y1, C.Y2, u"new");
        EXPECT_EQ(Dialog.Left(), C.Left);
        EXPECT_EQ(Dialog.Top(), C.Top);
        EXPECT_EQ(Dialog.Width(), W);
    }
    EXPECT_EQ(U8(Dialog.lblConfirmation->Caption()), "Replace this occurence of \"new\"?");
}

struct SearchFromEditorTest : TEditorFixture {};

TEST_F(SearchFromEditorTest, TheEditorTabFillsTheDialogAndKeepsWhatWasConfirmed) {
    Start();
    EditorSearch = {};
    EditorSearch.SearchTextHistory = u"old";
    TfrmEditor* Editor = Open(Sketch("s.ino", "digitalWrite(13, HIGH);\n"));
    Editor->codeedt->SetSelStart(0);
    Editor->codeedt->SetSelLength(12);
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* D = dynamic_cast<TTextReplaceDialog*>(Q.Form);
        ASSERT_NE(D, nullptr);
        EXPECT_EQ(U8(D->SearchText()), "digitalWrite");
        D->SetSearchCaseSensitive(true);
        D->SetSearchRegularExpression(true);
        D->SetReplaceText(u"analogWrite");
        CloseWithOk(D);
        A.Result = mrOk;
    });
    Editor->ShowSearchReplaceDialog(true);
    EXPECT_EQ(U8(EditorSearch.SearchText), "digitalWrite");
    EXPECT_EQ(LinesOf(EditorSearch.SearchTextHistory), (std::vector<std::string>{"digitalWrite", "old"}));
    EXPECT_EQ(U8(EditorSearch.ReplaceText), "analogWrite");
    EXPECT_TRUE(EditorSearch.SearchCaseSensitive);
    EXPECT_TRUE(EditorSearch.SearchRegularExpression);
    EXPECT_TRUE(Editor->SearchFromCaret());
    // Later searches continue from the caret with the options confirmed.
    EXPECT_EQ(Editor->SearchOptions(false, true).ToInt(), TCodeSearchOptions({ssoBackwards, ssoMatchCase}).ToInt());
    EXPECT_EQ(Editor->SearchOptions(true, false).ToInt(),
              TCodeSearchOptions({ssoReplace, ssoReplaceAll, ssoPrompt, ssoMatchCase}).ToInt());

    // Cancel keeps the settings.
    Script.Answer(mrCancel);
    Editor->ShowSearchReplaceDialog(false);
    EXPECT_EQ(U8(EditorSearch.SearchText), "digitalWrite");
    EditorSearch = {};
}

TEST_F(SearchFromEditorTest, FindAndReplaceRunOnTheTextWithThePlainOrTheRegexEngine) {
    const struct {
        bool Regex;
        bool Replace;
        bool Backwards;
        std::string Search;
        std::string ReplaceWith;
        std::string Selected;   // after a find; empty when nothing was found
        std::string FirstLine;  // the first line afterwards
    } Cases[] = {
        {false, false, false, "led", "", "led", "int led = 13; int led2 = 12;"},
        {false, false, true, "led", "", "led", "int led = 13; int led2 = 12;"},
        {true, false, false, "led[0-9]", "", "led2", "int led = 13; int led2 = 12;"},
        {false, false, false, "led[0-9]", "", "", "int led = 13; int led2 = 12;"},
        {false, false, false, "absent", "", "", "int led = 13; int led2 = 12;"},
        {false, true, false, "led", "pin", "", "int pin = 13; int pin2 = 12;"},
        {true, true, false, "[0-9]+", "N", "", "int led = N; int ledN = N;"},
    };
    Start();
    int N = 0;
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Search);
        const std::string Name = "find" + std::to_string(++N) + "/f.ino";
        TfrmEditor* Editor = Open(Sketch(Name, "int led = 13; int led2 = 12;\nvoid loop() {}\n"));
        Editor->codeedt->SetCaretXY(TBufferCoord{C.Backwards ? 29 : 1, 1});
        EditorSearch = {};
        TQuestionScript Script;
        Script.Answer([&C](const TQuestion& Q, TAnswer& A) {
            auto* D = dynamic_cast<TTextSearchDialog*>(Q.Form);
            ASSERT_NE(D, nullptr);
            D->SetSearchText(Utf8ToString(C.Search));
            if (auto* R = dynamic_cast<TTextReplaceDialog*>(D)) R->SetReplaceText(Utf8ToString(C.ReplaceWith));
            D->SetSearchCaseSensitive(true);
            D->SetSearchFromCursor(true);
            D->SetSearchBackwards(C.Backwards);
            D->SetSearchRegularExpression(C.Regex);
            CloseWithOk(D);
            A.Result = mrOk;
        });
        Editor->ShowSearchReplaceDialog(C.Replace);
        if (!C.Replace) {
            EXPECT_EQ(U8(Editor->codeedt->SelText()), C.Selected);
            if (C.Selected.empty()) {
                EXPECT_EQ(Editor->codeedt->CaretXY().Char, Editor->codeedt->BlockBegin().Char);
            }
        }
        EXPECT_EQ(U8(Editor->codeedt->Lines()->Strings(0)), C.FirstLine);
        Editor->codeedt->SetModified(false);
    }
    EditorSearch = {};
}

TEST_F(SearchFromEditorTest, FindNextAndPreviousContinueFromTheCaret) {
    Start();
    TfrmEditor* Editor = Open(Sketch("next/next.ino", "a x b x c x\n"));
    EditorSearch = {};
    Editor->codeedt->SetCaretXY(TBufferCoord{9, 1});
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* D = dynamic_cast<TTextSearchDialog*>(Q.Form);
        ASSERT_NE(D, nullptr);
        D->SetSearchText(u"x");
        CloseWithOk(D);
        A.Result = mrOk;
    });
    // Not from the caret: the first search covers the whole text.
    Editor->ShowSearchReplaceDialog(false);
    EXPECT_EQ(Editor->codeedt->BlockBegin().Char, 3);
    Editor->SearchNext();
    EXPECT_EQ(Editor->codeedt->BlockBegin().Char, 7);
    Editor->SearchNext();
    EXPECT_EQ(Editor->codeedt->BlockBegin().Char, 11);
    // Nothing more ahead: the selection collapses to its end.
    Editor->SearchNext();
    EXPECT_EQ(U8(Editor->codeedt->SelText()), "");
    EXPECT_EQ(Editor->codeedt->CaretXY().Char, 12);
    Editor->SearchPrevious();
    EXPECT_EQ(Editor->codeedt->BlockBegin().Char, 11);
    Editor->SearchPrevious();
    EXPECT_EQ(Editor->codeedt->BlockBegin().Char, 7);
    EditorSearch = {};
}

TEST_F(SearchFromEditorTest, WithoutASelectionOnOneLineTheDialogOffersTheWordAtTheCaret) {
    const struct {
        TBufferCoord Begin, End;  // the selection (equal for none)
        std::string Offered;
    } Cases[] = {
        {{8, 1}, {8, 1}, "pinMode"},           // inside a word
        {{5, 1}, {5, 1}, "pinMode"},           // on its first letter
        {{3, 1}, {3, 1}, ""},                  // on blanks
        {{5, 1}, {3, 2}, "loop"},              // a selection over two lines: the caret at its end
        {{5, 1}, {12, 1}, "pinMode"},          // a selection within the line
        {{13, 1}, {15, 1}, "13"},
    };
    Start();
    TfrmEditor* Editor = Open(Sketch("word/word.ino", "    pinMode(13, OUTPUT);\n  loop();\n"));
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Offered);
        EditorSearch = {};
        EditorSearch.SearchText = u"earlier";
        Editor->codeedt->SetCaretXY(C.End);
        Editor->codeedt->SetBlockBegin(C.Begin);
        Editor->codeedt->SetBlockEnd(C.End);
        std::string Offered = "(not asked)";
        TQuestionScript Script;
        Script.Answer([&Offered](const TQuestion& Q, TAnswer& A) {
            auto* D = dynamic_cast<TTextSearchDialog*>(Q.Form);
            ASSERT_NE(D, nullptr);
            Offered = U8(D->SearchText());
            A.Result = mrCancel;
        });
        Editor->ShowSearchReplaceDialog(false);
        EXPECT_EQ(Offered, C.Offered);
    }
    EditorSearch = {};
}
