#include "settings/KitTranslateString.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "platform/gui/Forms.h"
#include "support/QuestionTestSupport.h"
#include "support/TestSupport.h"

namespace {

const std::string ProgramName = U8(ChangeFileExt(ExtractFileName(ProgramFile()), u""));

} // namespace

TEST(TranslateString, Macros) {
    TKitTranslateString Engine(nullptr);
    // The test program has no version record: each version macro tells once which stand-in
    // replaces it.
    TQuestionScript Script;
    for (int I = 0; I < 4; ++I)
        Script.Answer(mrOk);
    struct {
        const char16_t* In;
        std::string Out;
        bool Changed;
    } const Cases[] = {
        // The test program has no version record: the stand-in names.
        {u"%APPL_NAME%.ini", "MyKitApplication.ini", true},
        {u"%appl_name%.ini", "MyKitApplication.ini", true},
        {u"% APPL_NAME %.ini", "MyKitApplication.ini", true},
        {u"%COMPANY_NAME%", "MyCompany", true},
        {u"%FILEVERSION%|%PRODUCTVERSION%", "0.0.0.0|0.0.0.0", true},
        {u"no macros", "no macros", false},
        {u"100%", "100%", false},
        {u"%FILENAME%.sto", ProgramName + ".sto", true},
        {u"%FULLDIREXE%", U8(ProgramFolder()), true},
        {u"%EXENAME%", U8(ProgramFile()), true},
        // An unknown name keeps its text; its closing delimiter may open the next macro.
        {u"%X%FILENAME%", "%X" + ProgramName, true},
        {u"50% of %FILENAME%", "50% of " + ProgramName, true},
        {u"%UNKNOWN%", "%UNKNOWN%", false},
        {u"%FORMNAME%", "", true}, // no owner, no form
    };
    for (const auto& Case : Cases) {
        bool Changed = !Case.Changed;
        EXPECT_EQ(U8(Engine.TranslateString(Case.In, Changed)), Case.Out) << U8(Case.In);
        EXPECT_EQ(Changed, Case.Changed) << U8(Case.In);
    }
    ASSERT_EQ(Script.Asked().size(), 4u);
    EXPECT_EQ(Script.Asked()[0].Kind, qkMessageDlg);
    EXPECT_EQ(U8(Script.Asked()[0].Text),
              "The Default Root Value \"APPL_NAME\" has been replaced with \"MyKitApplication\".\n"
              "Please change the value in the FileVersionInfo Project Properties.");
    EXPECT_EQ(U8(Script.Asked()[3].Text).substr(0, 73),
              "The Default Root Value \"PRODUCTVERSION\" has been replaced with \"0.0.0.0\".");

    // The screen's size, and the desktop's (all monitors together).
    EXPECT_EQ(U8(Engine.TranslateString(u"%SCREENSIZE%")),
              std::to_string(Screen->Width()) + "x" + std::to_string(Screen->Height()));
    EXPECT_EQ(U8(Engine.TranslateString(u"%DESKTOPSIZE%")),
              std::to_string(Screen->DesktopWidth()) + "x" + std::to_string(Screen->DesktopHeight()));
}

TEST(TranslateString, DateAndTimeFormats) {
    TKitTranslateString Engine(nullptr);
    const String Before = FormatDateTime(u"dd_mm_yyyy", Date());
    const String Got = Engine.TranslateString(u"%DATE%");
    const String After = FormatDateTime(u"dd_mm_yyyy", Date());
    EXPECT_TRUE(Got == Before || Got == After) << U8(Got);
    EXPECT_EQ(Got.size(), 10u);
    Engine.SetDateFormat(u"yyyy");
    EXPECT_EQ(U8(Engine.TranslateString(u"%DATE%")), U8(FormatDateTime(u"yyyy", Date())));
    EXPECT_EQ(Engine.TranslateString(u"%TIME%").size(), 8u);      // hh_nn_ss
    EXPECT_EQ(Engine.TranslateString(u"%DATETIME%").size(), 19u); // dd_mm_yyyy hh_nn_ss
}

TEST(TranslateString, DelimitersOfSeveralCharacters) {
    TKitTranslateString Engine(nullptr);
    Engine.SetLeftDelimiter(u"<<");
    Engine.SetRightDelimiter(u">>");
    EXPECT_EQ(U8(Engine.TranslateString(u"a<<FILENAME>>b")), "a" + ProgramName + "b");
    EXPECT_EQ(U8(Engine.TranslateString(u"<<X>> and <<FILENAME>>")), "<<X>> and " + ProgramName);
    EXPECT_EQ(U8(Engine.TranslateString(u"a<<b")), "a<<b");
    EXPECT_EQ(U8(Engine.TranslateString(u"%FILENAME%")), "%FILENAME%");
}

TEST(TranslateString, OwnEventAndForms) {
    TForm Form(nullptr);
    Form.SetName(u"frmOptions");
    Form.SetCaption(u"Options");
    TComponent Panel(&Form);
    auto* Engine = new TKitTranslateString(&Panel);
    EXPECT_EQ(U8(Engine->TranslateString(u"%FORMNAME%: %FORMCAPTION%")), "frmOptions: Options");

    Engine->OnProcessCommand = [](TObject*, const String& Command, String& Result, bool& Changed) {
        if (Command == u"USER") {
            Result = u"me";
            Changed = true;
        }
        if (Command == u"FILENAME") Result = u"renamed";
    };
    EXPECT_EQ(U8(Engine->TranslateString(u"%user%/%FILENAME%")), "me/renamed");
}
