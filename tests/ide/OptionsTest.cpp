// The options dialog in a program folder of the test's own: the boards of Debian's Arduino package
// and of small fixtures, the used boards, the viewers per extension, and the ".opt" file that keeps
// them from one start to the next.

#include "ide/Options.h"

#include "platform/base/Files.h"
#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace std::string_literals;

namespace {

const String DebianArduino = u"/usr/share/arduino";

struct OptionsTest : ::testing::Test {
    TTempFolder Temp;
    TTestProgramFolder Program{Temp.Path()};

    std::unique_ptr<TfrmOptions> Create() { return std::make_unique<TfrmOptions>(nullptr); }
    std::vector<String> Items(TStrings* S) {
        std::vector<String> V;
        for (int I = 0; I < S->Count(); ++I)
            V.push_back(S->Strings(I));
        return V;
    }
    // A click on the tick box of a board.
    void Tick(TfrmOptions& F, const String& Board) {
        F.pgOptions->SetActivePage(F.tsBoards);
        const int I = F.clbBoards->Items()->IndexOf(Board);
        ASSERT_GE(I, 0) << U8(Board);
        F.clbBoards->MakeVisible(I);
        const TRect R = F.clbBoards->ItemRect(I);
        ClickMessages(F.clbBoards, TPoint(R.Left + 6, R.Top + R.Height() / 2));
    }
};

} // namespace

TEST_F(OptionsTest, BoardsOfTheArduinoPackageAndTheUsedOnesSurviveARestart) {
    const std::string BoardsFile =
        ReadBytes(StringToUtf8(DebianArduino + u"/hardware/arduino/avr/boards.txt"));
    int Named = 0;
    for (size_t P = BoardsFile.find(".name="); P != std::string::npos; P = BoardsFile.find(".name=", P + 1))
        ++Named;
    {
        auto F = Create();
        EXPECT_EQ(F->clbBoards->Count(), 0); // no path yet
        F->edPathToArduino->SetText(DebianArduino);
        F->edPathToProjects->SetText(Temp.Dir());
        ASSERT_TRUE(F->CloseQuery()); // a path entered for the first time fills the list
        ASSERT_EQ(F->clbBoards->Count(), 1 + Named);
        EXPECT_EQ(F->clbBoards->Items()->Strings(0), u"default");
        EXPECT_EQ(F->GetInternalArduinoName(u"default"), u"default");
        EXPECT_EQ(F->GetInternalArduinoName(u"Arduino Nano"), u"nano");
        EXPECT_EQ(F->GetUserFriendlyArduinoName(u"yun"), u"Arduino Yún");
        EXPECT_EQ(F->GetInternalArduinoName(u"no such board"), u"");
        F->Show();
        Tick(*F, u"Arduino Nano");
        Tick(*F, u"Arduino UNO");
        Tick(*F, u"Arduino Mega or Mega 2560");
        Tick(*F, u"Arduino Mega or Mega 2560"); // unticked again
        EXPECT_EQ(Items(F->GetArduinoList(true)), (std::vector<String>{u"Arduino Nano", u"Arduino UNO"}));
        F->Close();
    } // the store writes the file as it goes

    const std::string Opt = ReadBytes(StringToUtf8(Program / "test_ide.opt"));
    for (const std::string& Line : {"[" + U8(Program.Dir()) + "]", "edPathToArduino_Text=/usr/share/arduino"s,
                                    "edPathToProjects_Text=" + Temp.Path()})
        EXPECT_NE(Opt.find(Line + "\r\n"), std::string::npos) << Line << "\n" << Opt;
    EXPECT_NE(Opt.find("Arduino Nano"), std::string::npos) << Opt;

    auto Again = Create();
    EXPECT_EQ(Again->PathToArduino(), DebianArduino);
    EXPECT_EQ(Again->PathToProjects(), Temp.Dir());
    ASSERT_EQ(Again->clbBoards->Count(), 1 + Named);
    for (int I = 0; I < Again->clbBoards->Count(); ++I) {
        const String Name = Again->clbBoards->Items()->Strings(I);
        EXPECT_EQ(Again->clbBoards->Checked(I), Name == u"Arduino Nano" || Name == u"Arduino UNO")
            << U8(Name);
    }
    Again->ClearSelectedBoards();
    EXPECT_EQ(Again->GetArduinoList(true)->Count(), 0);
    EXPECT_FALSE(Again->clbBoards->Checked(Again->clbBoards->Items()->IndexOf(u"Arduino UNO")));
}

TEST_F(OptionsTest, OlderPackageLayoutRevisionsAndReloadingKeepTheListsParallel) {
    const std::string Pkg = Temp.Sys("arduino");
    std::filesystem::create_directories(Pkg + "/hardware/arduino");
    WriteBytes(Pkg + "/hardware/arduino/boards.txt",
               "# boards\nuno.name=Arduino/Genuino Uno\nuno.upload.tool=avrdude\nmini.name=Mini=Small\n");
    WriteBytes(Pkg + "/revisions.txt", "ARDUINO 1.8.19\n\nfixes\n");
    auto F = Create();
    F->edPathToArduino->SetText(Utf8ToString(Pkg));
    EXPECT_EQ(F->lblArduinoVersion->Caption(), u"Arduino IDE version:  ARDUINO 1.8.19");
    for (int Round = 0; Round < 2; ++Round) {
        F->LoadBoards();
        EXPECT_EQ(Items(F->GetArduinoList(false)),
                  (std::vector<String>{u"default", u"Arduino/Genuino Uno", u"Mini=Small"}));
        EXPECT_EQ(F->GetInternalArduinoName(u"Arduino/Genuino Uno"), u"uno");
        EXPECT_EQ(F->GetInternalArduinoName(u"Mini=Small"), u"mini");
    }
    // A package without a board file: the open error, and only "default" is left.
    std::filesystem::remove(Pkg + "/hardware/arduino/boards.txt");
    std::filesystem::remove(Pkg + "/revisions.txt");
    F->edPathToArduino->SetText(Utf8ToString(Pkg + "/"));
    EXPECT_EQ(F->lblArduinoVersion->Caption(), u"");
    EXPECT_THROW(F->LoadBoards(), EFOpenError);
    EXPECT_EQ(Items(F->GetArduinoList(false)), (std::vector<String>{u"default"}));
}

TEST_F(OptionsTest, ExternalProgramForExtension) {
    auto F = Create();
    struct TCase {
        String Ext, Program, Window, Params;
    } Cases[] = {
        // The desktop's program opens every kind of document by default.
        {u"PDF", u"xdg-open", u"", u""},
        {u"Html", u"xdg-open", u"", u""},
        {u"txt", u"xdg-open", u"", u""},
        {u"exe", u"", u"", u""},
    };
    for (const TCase& C : Cases) {
        String Window = u"old", Params = u"old";
        EXPECT_EQ(F->ExternalProgramForExtension(C.Ext, Window, Params), C.Program) << U8(C.Ext);
        EXPECT_EQ(Window, C.Window);
        EXPECT_EQ(Params, C.Params);
    }
    // An "Ext=" line among the last three lines has no complete block after it.
    TStrings* Lines = F->mmoArduinoHelpExternalPrograms->Lines();
    Lines->Clear();
    for (const char16_t* L : {u"[A]", u"ext = ino , c", u"Program=/usr/bin/viewer", u"WindowName=V",
                              u"Parameters=-x", u"[B]", u"Ext=h", u"Program=/usr/bin/other", u"WindowName=W"})
        Lines->Add(L);
    String Window, Params;
    EXPECT_EQ(F->ExternalProgramForExtension(u"C", Window, Params), u"/usr/bin/viewer");
    EXPECT_EQ(Params, u"-x");
    EXPECT_EQ(F->ExternalProgramForExtension(u"h", Window, Params), u"");
}

TEST_F(OptionsTest, SketchTemplatesFromTheProgramFolder) {
    for (const char* Name : {"Blink.NewSketch", "Serial.newsketch", "notes.txt"})
        WriteBytes(StringToUtf8(Program / Name), "x");
    auto F = Create();
    EXPECT_EQ(F->DefaultSketchTemplate(), u"???");
    F->LoadSketchTemplates();
    auto Names = Items(F->cbbProjectTemplate->Items());
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(Names, (std::vector<String>{u"Blink", u"Serial"}));
    const String First = F->DefaultSketchTemplate();
    F->cbbProjectTemplate->SetItemIndex(1);
    const String Chosen = F->DefaultSketchTemplate();
    EXPECT_NE(Chosen, First);
    F->cbbProjectTemplate->Items()->Clear();
    F->cbbProjectTemplate->Items()->Add(u"zzz");
    F->cbbProjectTemplate->SetItemIndex(0);
    WriteBytes(StringToUtf8(Program / "ZZZ.NEWSKETCH"), "x");
    F->LoadSketchTemplates(); // the remembered name is found again, ignoring case
    EXPECT_EQ(F->DefaultSketchTemplate(), u"zzz");
}

TEST_F(OptionsTest, TheArduinoFolderIsChosenAndKnownByItsContent) {
    auto F = Create();
    // A folder with "hardware" (Debian's), one with only "revisions.txt", one with neither.
    std::filesystem::create_directories(Temp.Sys("rev"));
    WriteBytes(Temp.Sys("rev/Revisions.TXT"), "ARDUINO 1.8.19\n");
    std::filesystem::create_directories(Temp.Sys("plain/arduino"));
    TQuestionScript Script;
    Script.Answer(mrOk, DebianArduino + u"/");
    F->btnArduinoPath->Click();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Script.Last().Kind, qkSelectDirectory);
    EXPECT_EQ(U8(F->PathToArduino()), "/usr/share/arduino");

    Script.Answer(mrOk, Temp / "rev");
    F->btnArduinoPath->Click();
    EXPECT_EQ(U8(Script.Last().Directory), "/usr/share/arduino"); // it starts at the current folder
    EXPECT_EQ(F->PathToArduino(), Temp / "rev");
    EXPECT_EQ(U8(F->lblArduinoVersion->Caption()), "Arduino IDE version:  ARDUINO 1.8.19");

    Script.Answer(mrOk, Temp / "plain");
    Script.Answer(IDOK);
    F->btnArduinoPath->Click();
    ASSERT_EQ(Script.Asked().size(), 4u);
    EXPECT_EQ(U8(Script.Last().Text), "\"" + Temp.Sys("plain") +
                                          "\" is not an Arduino folder: it holds neither \"hardware\" nor \"revisions.txt\".");
    EXPECT_EQ(F->PathToArduino(), Temp / "rev"); // kept

    Script.Answer(mrCancel);
    F->btnArduinoPath->Click();
    EXPECT_EQ(F->PathToArduino(), Temp / "rev");
}
