// The Templates tab over the ".templates" file beside the program: listing, sorting, showing and
// inserting a template with its indentation and the placeholder jump.

#include "EditorFixture.h"

#include "editor/AutoComplete.h"
#include "platform/gui/ActnList.h"

namespace {

struct TemplatesTest : TEditorFixture {
    void SetUp() override {
        TemplatesText = "[forl|for loop]\nfor (int i = 0; i < |; i++) {\n}\n// note\nignored\n"
                        "[wh|a while]\nwhile (|) {\n  x();\n}\n"
                        "[plain]\nint y;\n"
                        "[forl|for loop]\nsecond();\n";
        TEditorFixture::SetUp();
        Start();
        Main->LoadTemplates();
    }
    std::vector<std::string> Items() {
        std::vector<std::string> Out;
        for (int I = 0; I < Main->lstTemplates->Items()->Count(); ++I)
            Out.push_back(U8(Main->lstTemplates->Items()->Strings(I)));
        return Out;
    }
    std::vector<std::string> Shown(int Index) {
        Main->lstTemplates->SetItemIndex(Index);
        Main->ShowTemplateText();
        std::vector<std::string> Out;
        for (int I = 0; I < Main->codeedtTemplate->Lines()->Count(); ++I)
            Out.push_back(U8(Main->codeedtTemplate->Lines()->Strings(I)));
        return Out;
    }
    std::vector<std::string> Lines(TfrmEditor* E) {
        std::vector<std::string> Out;
        for (int I = 0; I < E->codeedt->Lines()->Count(); ++I)
            Out.push_back(U8(E->codeedt->Lines()->Strings(I)));
        return Out;
    }
};

} // namespace

TEST_F(TemplatesTest, ListedByTheirHeadsAndSortedByName) {
    EXPECT_EQ(Items(), (std::vector<std::string>{"for loop   <forl>", "a while   <wh>", "plain   <>", "for loop   <forl>"}));
    Main->Action(u"actTemplatesSortByName")->Execute();
    EXPECT_EQ(Items(), (std::vector<std::string>{"a while   <wh>", "for loop   <forl>", "for loop   <forl>", "plain   <>"}));
    Main->Action(u"actTemplatesUnSort")->Execute();
    EXPECT_EQ(Items()[0], "for loop   <forl>");
}

TEST_F(TemplatesTest, ABodyEndsAtTheNextHeadOrAComment) {
    EXPECT_EQ(Shown(0), (std::vector<std::string>{"for (int i = 0; i < |; i++) {", "}"}));
    EXPECT_EQ(Shown(1), (std::vector<std::string>{"while (|) {", "  x();", "}"}));
    // A head that occurs twice shows the first body both times.
    EXPECT_EQ(Shown(3), Shown(0));
}

TEST_F(TemplatesTest, InsertedIndentedBeforeTheCaretLineWithTheCaretAtItsPlaceholder) {
    std::string Text;
    for (int I = 1; I <= 12; ++I)
        Text += I == 11 ? "    keep | here\n" : "line" + std::to_string(I) + "\n";
    TfrmEditor* Editor = Open(Sketch("t.ino", Text));
    Editor->codeedt->SetCaretXY({5, 10});
    Shown(0);
    Main->InsertTemplate();
    const std::vector<std::string> L = Lines(Editor);
    EXPECT_EQ(L[9], "    for (int i = 0; i < ; i++) {");
    EXPECT_EQ(L[10], "    }");
    EXPECT_EQ(L[11], "line10");
    EXPECT_EQ(L[12], "    keep | here");
    EXPECT_EQ(Editor->codeedt->CaretXY(), (TBufferCoord{25, 10}));
    EXPECT_TRUE(Editor->codeedt->Modified());

    // A template without a placeholder leaves the "|" further down alone.
    Editor->codeedt->SetCaretXY({1, 12});
    Shown(2);
    Main->InsertTemplate();
    const std::vector<std::string> After = Lines(Editor);
    EXPECT_EQ(After[11], "int y;");
    EXPECT_EQ(After[13], "    keep | here");
    EXPECT_EQ(Editor->codeedt->CaretXY(), (TBufferCoord{1, 12}));

    // Without an editor nothing happens.
    Main->pgEdit->SetActivePageIndex(0);
    Main->InsertTemplate();
    EXPECT_EQ(Lines(Editor).size(), After.size());
}

TEST_F(TemplatesTest, AMissingFileListsNothing) {
    Stop();
    std::filesystem::remove(Beside(".templates"));
    TQuestionScript Script;
    Script.SetHandler([](const TQuestion&, TAnswer& A) { A.Result = IDOK; });
    Start();
    Main->LoadTemplates();
    EXPECT_TRUE(Items().empty());
}

namespace {

// The templates file that ships beside the program.
struct ShippedTemplatesTest : TemplatesTest {
    void SetUp() override {
        TemplatesText = ReadBytes(MORVANE_SOURCE_DIR "/data/Morvane.templates");
        TEditorFixture::SetUp();
        Start();
        Main->LoadTemplates();
    }
};

} // namespace

TEST_F(ShippedTemplatesTest, TheTabAndTheCompletionListReadTheSameTemplates) {
    ASSERT_FALSE(TemplatesText.empty());
    TfrmEditor* Editor = Open(Sketch("s/s.ino", "  forl\n"));
    TCodeAutoComplete* Completion = Editor->AutoComplete();
    const std::vector<std::string> Listed = Items();
    ASSERT_EQ(static_cast<int>(Listed.size()), Completion->Completions()->Count());
    for (int I = 0; I < Completion->Completions()->Count(); ++I) {
        const std::string Keyword = U8(Completion->Completions()->Strings(I));
        SCOPED_TRACE(Keyword);
        // The tab shows "description   <keyword >": the blank before the bar ends the keyword
        // for the completion list.
        EXPECT_EQ(Listed[I], U8(Completion->CompletionComments()->Strings(I)) + "   <" + Keyword + " >");
        EXPECT_EQ(Keyword.find_first_of("|] "), std::string::npos);
        EXPECT_NE(U8(Completion->CompletionValues()->Strings(I)).find('|'), std::string::npos);
        EXPECT_EQ(Shown(I).empty(), false);
    }
    Editor->codeedt->SetCaretXY({7, 1});
    Completion->Execute(Editor->codeedt);
    EXPECT_EQ(Lines(Editor)[0], "  for (int i = 0; i < ; i++) {");
    EXPECT_EQ(Editor->codeedt->CaretXY(), (TBufferCoord{23, 1}));
}
