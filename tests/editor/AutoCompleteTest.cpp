// Template completion: the two forms of the template list, the choice of a template for the token
// before the caret, and the text put in its place.

#include "editor/AutoComplete.h"

#include "platform/gui/Forms.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Strings(TStrings* L) {
    std::vector<std::string> Out;
    for (int I = 0; I < L->Count(); ++I)
        Out.push_back(U8(L->Strings(I)));
    return Out;
}

// An editor on a form of its own, with a completion list attached.
struct TCompletion {
    TForm Form{nullptr};
    TCodeEdit& Edit = *new TCodeEdit(&Form);
    TCodeAutoComplete Complete{nullptr};
    explicit TCompletion(const String& Source) {
        Edit.SetParent(&Form);
        Complete.AutoCompleteList()->SetText(Source);
        Complete.SetEditor(&Edit);
    }
};

} // namespace

TEST(AutoComplete, BothFormsOfTheListParse) {
    const struct {
        const char* Source;
        std::vector<std::string> Keywords, Comments, Values;
    } Cases[] = {
        {"[for | for loop]\nfor (|)\n\n  x;\n[if]\nif", {"for", "if]"}, {"for loop", ""}, {"for (|)\r\n\r\n  x;", "if"}},
        {"[ | nameless]\npending\n[k | c]\nbody", {"k"}, {"c"}, {"pending\r\nbody"}},
        {"\n[x]\nbody", {"[x]", "body"}, {"", ""}, {"", ""}},
        {"for\n=for (|)\n\n=  x;\nwhile\n=w", {"for", "while"}, {"", ""}, {"for (|)\r\n  x;", "w"}},
    };
    for (const auto& C : Cases) {
        TCodeAutoComplete A(nullptr);
        A.AutoCompleteList()->SetText(Utf8ToString(C.Source));
        EXPECT_EQ(Strings(A.Completions()), C.Keywords) << C.Source;
        EXPECT_EQ(Strings(A.CompletionComments()), C.Comments) << C.Source;
        EXPECT_EQ(Strings(A.CompletionValues()), C.Values) << C.Source;
    }
}

TEST(AutoComplete, TheTokenBeforeTheCaretBecomesItsTemplate) {
    const struct {
        const char* Line;
        int CaretX;
        std::vector<std::string> Lines;
        TBufferCoord Caret;
    } Cases[] = {
        {"  if", 5, {"  if ()", "  {", "  }"}, {7, 1}},
        {"fo", 3, {"fo"}, {3, 1}},                       // two keywords begin with it
        {"for", 4, {"for(;;)"}, {8, 1}},                 // no "|": the caret ends behind the text
        {"fore", 5, {"foreach x"}, {10, 1}},
        {"(i)", 3, {"(i++)"}, {5, 1}},                   // "(" ends the token
        {"dup", 4, {"second"}, {7, 1}},                  // the later of two equal keywords
    };
    for (const auto& C : Cases) {
        // "[for]x" gives the keyword "for]x", "[for |]" the keyword "for".
        TCompletion T(u"[if | if statement]\nif (|)\n{\n}\n[for]x\n[for |]\nfor(;;)\n[foreach |]\nforeach x\n"
                      u"[i |]\ni++\n[dup |]\nfirst\n[dup |]\nsecond");
        T.Edit.SetText(Utf8ToString(C.Line));
        T.Edit.SetCaretXY({C.CaretX, 1});
        T.Complete.Execute(&T.Edit);
        EXPECT_EQ(Strings(T.Edit.Lines()), C.Lines) << C.Line;
        EXPECT_EQ(T.Edit.CaretXY(), C.Caret) << C.Line;
    }
}

TEST(AutoComplete, AReadOnlyEditorAndAnEmptyTokenChangeNothing) {
    TCompletion T(u"[if]\nif ()");
    T.Edit.SetText(u"if");
    T.Edit.SetReadOnly(true);
    T.Edit.SetCaretXY({3, 1});
    T.Complete.Execute(&T.Edit);
    EXPECT_EQ(Strings(T.Edit.Lines()), (std::vector<std::string>{"if"}));
    T.Edit.SetReadOnly(false);
    T.Edit.SetCaretXY({1, 1});
    T.Complete.Execute(&T.Edit);
    EXPECT_EQ(Strings(T.Edit.Lines()), (std::vector<std::string>{"if"}));
    EXPECT_FALSE(T.Edit.Modified());
}

TEST(AutoComplete, EditorsComeAndGo) {
    TCodeAutoComplete A(nullptr);
    auto* E1 = new TCodeEdit(nullptr);
    TCodeEdit E2(nullptr);
    EXPECT_FALSE(A.AddEditor(nullptr));
    A.SetEditor(E1);
    EXPECT_TRUE(A.AddEditor(&E2));
    EXPECT_TRUE(A.AddEditor(&E2));
    EXPECT_EQ(A.EditorCount(), 2);
    delete E1;
    EXPECT_EQ(A.EditorCount(), 1);
    EXPECT_EQ(A.Editor(), nullptr);
    A.AddCompletion(u"", u"x", u"");
    A.AddCompletion(u"k", u"v", u"c");
    EXPECT_EQ(Strings(A.Completions()), (std::vector<std::string>{"k"}));
}
