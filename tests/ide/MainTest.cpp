// The main window with the options dialog in a program folder of the test's own: its layout, the
// lazy filling of the left tabs, the path checks that open the options, and its ".sto" file.

#include "ide/Main.h"
#include "ide/Options.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct MainTest : ::testing::Test {
    TTempFolder Temp;
    TTestProgramFolder Program{Temp.Path()};
    std::unique_ptr<TfrmMain> Main;
    std::unique_ptr<TfrmOptions> Options;

    // WithFolders: the projects and Arduino folders are set, so filling the trees asks nothing.
    void Start(bool WithFolders = true) {
        Main = std::make_unique<TfrmMain>(nullptr);
        Options = std::make_unique<TfrmOptions>(nullptr);
        frmMain = Main.get();
        frmOptions = Options.get();
        if (!WithFolders) return;
        ForceDirectories(Temp / "sketchbook");
        Options->edPathToProjects->SetText(Temp / "sketchbook");
        Options->edPathToArduino->SetText(u"/usr/share/arduino");
    }
    void TearDown() override {
        Options.reset();
        Main.reset();
        frmMain = nullptr;
        frmOptions = nullptr;
    }
};

} // namespace

TEST_F(MainTest, LayoutHasTheSevenLeftTabsInOrderAndTheArduinoPage) {
    Start();
    EXPECT_EQ(Main->Caption(), u"Morvane - Arduino front-end");
    EXPECT_EQ(Main->ClientWidth(), 1111);
    EXPECT_EQ(Main->ClientHeight(), 708);
    const char16_t* Tabs[] = {u"Sketches",  u"Examples",  u"Libraries", u"Recent",
                              u"Templates", u"Functions", u"Terminals"};
    ASSERT_EQ(Main->pgLeftPane->PageCount(), 7);
    for (int I = 0; I < 7; ++I)
        EXPECT_EQ(Main->pgLeftPane->Pages(I)->Caption(), Tabs[I]);
    EXPECT_EQ(Main->pgLeftPane->TabPosition(), tpLeft);
    EXPECT_EQ(Main->pgLeftPane->ActivePage(), Main->tsSketches);
    ASSERT_EQ(Main->pgEdit->PageCount(), 1);
    EXPECT_EQ(Main->pgEdit->Pages(0)->Caption(), u"Arduino");
    EXPECT_EQ(Main->pgEdit->TabWidth(), 150);

    Main->Show();
    ProcessMessages();
    // Left to right: the left pane, the blue splitter, the editor area, the right panel.
    EXPECT_EQ(Main->pnlLeft->Left(), 0);
    EXPECT_EQ(Main->pnlLeft->Width(), 313);
    EXPECT_EQ(Main->spltr1->Left(), 313);
    EXPECT_EQ(Main->pgEdit->Left(), Main->spltr1->Left() + Main->spltr1->Width());
    EXPECT_EQ(Main->pnl2->Left() + Main->pnl2->Width(), Main->ClientWidth());
    EXPECT_EQ(Main->pnlInfo->Top() + Main->pnlInfo->Height(), Main->ClientHeight());
    auto Picture = GrabControl(Main.get());
    EXPECT_EQ(PixelOf(*Picture, Main->spltr1->Left() + 1, 300), clBlue);

    Main->CollapseLeftPane();
    EXPECT_EQ(Main->pnlLeft->Width(), 30);
    Main->ExpandLeftPane();
    EXPECT_EQ(Main->pnlLeft->Width(), 313);
}

TEST_F(MainTest, LeftTabsFillOnceWhenFirstShown) {
    Start();
    ForceDirectories(Temp / "sketchbook/Blink");
    Options->edPathToProjects->SetText(Temp / "sketchbook");
    Options->edPathToArduino->SetText(u"/usr/share/arduino");
    TLeanStringTree* Trees[3] = {Main->vstSketches, Main->vstExamples, Main->vtreeLibraries};
    // Project configuration follows the Sketches tab once its work is connected.
    TAction* ProjectEdit = Main->Action(u"actProjectEdit");
    ProjectEdit->OnExecute = [](TObject*) {};
    auto Filled = [&] {
        std::vector<bool> R;
        for (TLeanStringTree* T : Trees)
            R.push_back(T->TotalCount() > 0);
        return R;
    };
    EXPECT_EQ(Filled(), (std::vector<bool>{false, false, false})); // nothing before the first activation
    Main->pgLeftPaneChange(Main.get());
    EXPECT_EQ(Filled(), (std::vector<bool>{true, false, false}));
    // Shown again, a tab is not filled again: a folder made since does not show.
    ForceDirectories(Temp / "sketchbook/Later");
    Main->pgLeftPaneChange(Main.get());
    EXPECT_EQ(Main->vstSketches->TotalCount(), 1u);
    EXPECT_EQ(Main->ActiveLeftTree(), Main->vstSketches);
    struct TCase {
        TTabSheet* Tab;
        std::vector<bool> Filled;
        TLeanStringTree* Tree;
        bool ToolBar;
    } Cases[] = {
        {Main->tsExamples, {true, true, false}, Main->vstExamples, true},
        {Main->tsLibraries, {true, true, true}, Main->vtreeLibraries, true},
        {Main->tsExamples, {true, true, true}, Main->vstExamples, true},
        {Main->tsTemplates, {true, true, true}, nullptr, false},
        {Main->tsConfigs, {true, true, true}, nullptr, true},
    };
    for (const TCase& C : Cases) {
        Main->pgLeftPane->SetActivePage(C.Tab);
        Main->pgLeftPaneChange(Main.get());
        EXPECT_EQ(Filled(), C.Filled) << U8(C.Tab->Caption());
        EXPECT_EQ(Main->ActiveLeftTree(), C.Tree);
        EXPECT_EQ(Main->tlbSketchTree->Visible(), C.ToolBar) << U8(C.Tab->Caption());
        EXPECT_FALSE(ProjectEdit->Enabled()) << U8(C.Tab->Caption());
    }
    Main->pgLeftPane->SetActivePage(Main->tsSketches);
    Main->pgLeftPaneChange(Main.get());
    EXPECT_TRUE(ProjectEdit->Enabled());
    EXPECT_EQ(Main->vstSketches->TotalCount(), 1u);
    EXPECT_EQ(TfrmMain::NameAfterBackslash(u"C:\\a\\Blink"), u"Blink");
    EXPECT_EQ(TfrmMain::NameAfterBackslash(u"Blink"), u"Blink");
}

TEST_F(MainTest, MissingFoldersWarnAndOpenTheOptions) {
    Start(false);
    TQuestionScript Script;
    ForceDirectories(Temp / "sketchbook/Blink");
    Script.Answer(IDOK).Answer([&](const TQuestion& Q, TAnswer& A) {
        EXPECT_EQ(Q.Form, Options.get());
        Options->edPathToProjects->SetText(Temp / "sketchbook"); // the user sets the folder
        A.Result = mrOk;
    });
    EXPECT_FALSE(Main->CheckProjectsPath());
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Asked()[0].Text,
              u"Project path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
    EXPECT_EQ(Script.Asked()[0].Caption, u"Morvane");
    EXPECT_EQ(Script.Asked()[1].Kind, qkShowModal);
    EXPECT_EQ(Main->vstSketches->TotalCount(), 1u); // the changed folder was rescanned
    EXPECT_TRUE(Main->CheckProjectsPath());

    Options->edPathToArduino->SetText(Temp / "not-there");
    Script.Answer(IDOK).Answer(mrOk);
    EXPECT_FALSE(Main->CheckArduinoPath());
    EXPECT_EQ(Script.Asked()[2].Text,
              u"Arduino path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
    EXPECT_EQ(Main->vstSketches->TotalCount(), 1u); // the projects folder stayed
}

TEST_F(MainTest, StoredPropertiesOfTheMainWindowSurviveARestart) {
    Start();
    Main->Show();
    Main->chkDef->SetChecked(true);
    Main->chkConst->SetChecked(false);
    Main->tmrLogoMover->SetInterval(250);
    Main->Close();
    TearDown();
    const std::string Sto = ReadBytes(StringToUtf8(Program / "test_ide.sto"));
    for (const char* Line : {"chkDef_Checked=TRUE", "chkConst_Checked=FALSE", "tmrLogoMover_Interval=250"})
        EXPECT_NE(Sto.find(Line), std::string::npos) << Line << "\n" << Sto;
    EXPECT_EQ(Sto.find("NormPos"), std::string::npos) << "the main window keeps no placement";

    Start();
    Main->Show();
    EXPECT_TRUE(Main->chkDef->Checked());
    EXPECT_EQ(Main->tmrLogoMover->Interval(), 250);
}
