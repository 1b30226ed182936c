#include "settings/KitTranslateString.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "support/TestSupport.h"

namespace {

// Stands for the GUI layer's form class, which the engine finds by its class name.
class TForm : public TComponent {
    DECLARE_CLASS(TForm, TComponent)
public:
    using TComponent::TComponent;
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& V) { FCaption = V; }

private:
    String FCaption;
    static void Published(TPublisher<TForm>& P) {
        P.Property(u"Caption", &TForm::Caption, &TForm::SetCaption);
    }
};

const std::string ProgramName = U8(ChangeFileExt(ExtractFileName(ProgramFile()), u""));

} // namespace

TEST(TranslateString, Macros) {
    TKitTranslateString Engine(nullptr);
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
