// The main window's shell: its actions with their menu and tool-bar places, images and screen
// tips, the hints over editors, the close question to the editor tabs, the first start in a
// fresh program folder, and settings files that cannot be read or written.

#include "ide/DMImages.h"
#include "ide/Editor.h"
#include "ide/Main.h"
#include "ide/MyObjects.h"
#include "ide/Options.h"
#include "ide/ScreenTips.h"

#include "platform/base/Files.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct MainShellTest : ::testing::Test {
    TTempFolder Temp;
    TTestProgramFolder Program{Temp.Path()};
    std::unique_ptr<TfrmDM> DM;
    std::unique_ptr<TfrmMain> Main;
    std::unique_ptr<TfrmOptions> Options;

    // The forms in the entry point's order.
    void Start() {
        DM = std::make_unique<TfrmDM>(nullptr);
        frmDM = DM.get();
        Main = std::make_unique<TfrmMain>(nullptr);
        frmMain = Main.get();
        Options = std::make_unique<TfrmOptions>(nullptr);
        frmOptions = Options.get();
    }
    void SetFolders() {
        Options->edPathToProjects->SetText(Temp.Dir());
        Options->edPathToArduino->SetText(u"/usr/share/arduino");
    }
    void Stop() {
        Options.reset();
        Main.reset();
        DM.reset();
        frmOptions = nullptr;
        frmMain = nullptr;
        frmDM = nullptr;
    }
    void TearDown() override { Stop(); }
};

// Where the action is offered: the top menus holding it, then the tool bars.
std::string PlaceOf(TfrmMain* Main, TBasicAction* A) {
    std::string Place;
    TMenuItem* Items = Main->mnu1->Items();
    for (int T = 0; T < Items->Count(); ++T)
        for (int I = 0; I < Items->Items(T)->Count(); ++I)
            if (Items->Items(T)->Items(I)->Action() == A) {
                Place += (Place.empty() ? "" : ",") + U8(StripHotkey(Items->Items(T)->Caption()));
                break;
            }
    for (TToolBar* Bar : {Main->tlbr1, Main->tlbSketchTree, Main->tlb2})
        for (int I = 0; I < Bar->ButtonCount(); ++I)
            if (Bar->Buttons(I)->Action() == A) {
                Place += " " + U8(Bar->Name());
                break;
            }
    return Place;
}

// The captions of a tool bar's buttons ("-" for a separator, "(hidden)" for a hidden button).
std::vector<std::string> ButtonsOf(TToolBar* Bar) {
    std::vector<std::string> Out;
    for (int I = 0; I < Bar->ButtonCount(); ++I) {
        TToolButton* B = Bar->Buttons(I);
        if (!B->Visible())
            Out.push_back("(hidden)");
        else if (B->Style() == tbsSeparator)
            Out.push_back("-");
        else
            Out.push_back(U8(StripHotkey(dynamic_cast<TAction*>(B->Action())->Caption())));
    }
    return Out;
}

// A control derived from the one the editor tabs hold.
class TCodeEditDerived : public TCodeEdit {
    DECLARE_CLASS(TCodeEditDerived, TCodeEdit)
public:
    using TCodeEdit::TCodeEdit;
};

// An editor frame with a modified text: asks Yes/No/Cancel and notes what it saved.
class TModifiedEditor : public TfrmEditor {
public:
    TModifiedEditor(TComponent* AOwner, int ANumber, std::vector<int>& ASaved)
        : TfrmEditor(AOwner), Number(ANumber), Saved(ASaved) {}
    bool VerifyIfCanClose() override {
        const int Answer =
            Application->MessageBox(u"Save " + IntToStr(Number) + u"?", u"Morvane", MB_YESNOCANCEL);
        if (Answer == IDYES) Saved.push_back(Number);
        return Answer != IDCANCEL;
    }
    int Number;
    std::vector<int>& Saved;
};

} // namespace

TEST_F(MainShellTest, EveryActionWithItsCategoryCaptionShortcutImageAndPlace) {
    Start();
    struct TRow {
        const char* Name;
        const char* Category;
        const char* Caption;
        const char* ShortCut;
        bool Enabled;
        const char* Place;
    } const Rows[] = {
        {"actSelectSketchesTAB", "HOTKEYS", "actSelectSketchesTAB", "F7", true, ""},
        {"actFileExit", "FILE", "Exit", "", true, "File"},
        {"actEditReplace", "EDIT", "Replace", "Ctrl+R", true, "Edit tlbr1"},
        {"actFileOpen", "FILE", "Open file", "", true, ""},
        {"actArduinoOpenTerminalUnassigned", "ARDUINO", "Open Terminal for selected Sketch", "", true,
         " tlbr1"},
        {"actFileNew", "PROJECT", "New project", "", true, "File,Project tlbr1"},
        {"actFileSave", "PROJECT", "Save", "Ctrl+S", true, "Project tlbr1"},
        {"actFileCopyFromEditorFile", "PROJECT", "Copy  project selected in Editor", "", false, "Project"},
        {"actFileCopyFromTree", "PROJECT", "Copy  project selected in tree", "", false,
         "Project tlbSketchTree"},
        {"actOptions", "TOOLS", "Options", "", true, "Tools tlbr1"},
        {"actArduinoIdeOpen", "ARDUINO", "Open Arduino IDE ", "", true, "Arduino tlb2"},
        {"actEditFind", "EDIT", "Find", "Ctrl+F", true, "Edit tlbr1"},
        {"actEditFindNext", "EDIT", "Find Next", "F3", true, "Edit tlbr1"},
        {"actEditFindPrev", "EDIT", "Find Prev", "Shift+F3", true, "Edit tlbr1"},
        {"actPrinterSetup", "FILE", "Printer Setup", "", false, "File"},
        {"actPrinterPage", "FILE", "Printer Page Setup", "", false, "File"},
        {"actPrintPreview", "FILE", "Print Preview", "", false, "File tlbr1"},
        {"actPrint", "FILE", "Print", "", false, "File tlbr1"},
        {"actTemplatesSortByName", "TEMPLATES", "Sort By Name", "", true, ""},
        {"actTemplatesUnSort", "TEMPLATES", "Original sort", "", true, ""},
        {"actProjectLoad", "PROJECT", "Load", "", true, ""},
        {"actProjectSave", "PROJECT", "Save", "", false, ""},
        {"actProjectSaveAs", "PROJECT", "Save As", "", false, ""},
        {"actShowErrorListing", "POPUP", "Show original error log", "", true, ""},
        {"actTreeExpandAll", "TREE", "Expand All", "", true, " tlbSketchTree"},
        {"actTreeContractAll", "TREE", "Contract All", "", true, " tlbSketchTree"},
        {"actTreeExpandNode", "TREE", "Expand Node", "", true, " tlbSketchTree"},
        {"actTreeCollapseNode", "TREE", "Collapse Node", "", true, " tlbSketchTree"},
        {"actGotoDefine", "EDIT", "Goto Define", "", true, "Goto"},
        {"actGotoInclude", "EDIT", "Goto Include", "", true, "Goto"},
        {"actGotoSetup", "EDIT", "Goto Setup", "F5", true, "Goto"},
        {"actGotoLoop", "EDIT", "Goto Loop", "F6", true, "Goto"},
        {"actFileClose", "FILE", "Close", "", true, ""},
        {"actTest", "TOOLS", "Test", "", true, "Tools"},
        {"actHelpArduinos", "HELP", "Boards && shields user documentation", "", true, "Help tlbr1"},
        {"actHelp", "HELP", "Help", "", true, "Help"},
        {"actHelpAbout", "HELP", "HelpAbout", "", true, "Help"},
        {"actArduinoCompile", "ARDUINO", "Compile sketch", "F9", true, "Arduino tlbr1"},
        {"actArduinoUpload", "ARDUINO", "Upload sketch", "F10", true, "Arduino tlbr1"},
        {"actLeftPaneCollapse", "TREE", "actLeftPaneCollapse", "", true, " tlbSketchTree"},
        {"actLeftPaneExpand", "TREE", "actLeftPaneExpand", "", true, ""},
        {"actProjectEdit", "PROJECT", "Project configuration", "", false, "Project tlbSketchTree"},
        {"actShowNormalLog", "POPUP", "Show original log", "", true, ""},
        {"actArduinoOpenTerminal", "ARDUINO", "Open Terminal - unassigned", "", true, "Arduino tlbr1"},
        {"actArduinoHelp", "HELP", "Arduino - reference", "", true, "Help tlb2"},
        {"actTemplateSave", "TEMPLATES", "Save", "", false, ""},
        {"actFillFunctionList", "PROJECT", "Update Function List", "", true, ""},
        {"actSelectFunctionsTAB", "HOTKEYS", "actSelectFunctionsTAB", "F8", true, ""},
        {"actFileOpenMostRecent", "FILE", "Open Most Recent File", "", false, "File tlbr1"},
    };
    ASSERT_EQ(Main->actnlst1->ActionCount(), static_cast<int>(std::size(Rows)));
    EXPECT_EQ(Main->actnlst1->Images(), DM->imglstMenu);
    for (int I = 0; I < Main->actnlst1->ActionCount(); ++I) {
        auto* A = dynamic_cast<TAction*>(Main->actnlst1->Actions(I));
        ASSERT_NE(A, nullptr);
        const TRow& R = Rows[I];
        EXPECT_EQ(U8(A->Name()), R.Name);
        EXPECT_EQ(U8(A->Category()), R.Category) << R.Name;
        EXPECT_EQ(U8(A->Caption()), R.Caption) << R.Name;
        EXPECT_EQ(U8(ShortCutToText(A->ShortCut())), R.ShortCut) << R.Name;
        EXPECT_EQ(A->Enabled(), R.Enabled) << R.Name;
        EXPECT_EQ(PlaceOf(Main.get(), A), R.Place) << R.Name;
        // Whatever offers it shows an image of the menu list and a hint.
        if (*R.Place) {
            EXPECT_GE(A->ImageIndex(), 0) << R.Name;
            EXPECT_LT(A->ImageIndex(), DM->imglstMenu->Count()) << R.Name;
        }
        EXPECT_EQ(U8(GetShortHint(A->Hint())), U8(StripHotkey(A->Caption()))) << R.Name;
        EXPECT_FALSE(GetLongHint(A->Hint()).empty()) << R.Name;
    }
}

TEST_F(MainShellTest, MenuAndToolBarsOfferTheActionsInTheirOrder) {
    Start();
    using TItems = std::vector<std::string>;
    const std::pair<std::string, TItems> Menus[] = {
        {"File",
         {"New project", "Open Most Recent File", "-", "Print", "-", "Print Preview", "Printer Page Setup",
          "Printer Setup", "-", "Exit"}},
        {"Project",
         {"New project", "Save", "-", "Copy  project selected in tree", "Copy  project selected in Editor",
          "-", "Project configuration"}},
        {"Edit", {"Find", "Find Next", "Find Prev", "-", "Replace"}},
        {"Goto", {"Goto Include", "Goto Define", "Goto Setup", "Goto Loop"}},
        {"Tools", {"Options", "Test"}},
        {"Arduino",
         {"Compile sketch", "Upload sketch", "-", "Open Terminal - unassigned", "-", "Open Arduino IDE "}},
        {"Help", {"Help", "Arduino - reference", "Boards & shields user documentation", "-", "HelpAbout"}},
    };
    EXPECT_EQ(Main->Menu(), Main->mnu1);
    EXPECT_EQ(Main->mnu1->Images(), DM->imglstMenu);
    TMenuItem* Items = Main->mnu1->Items();
    ASSERT_EQ(Items->Count(), static_cast<int>(std::size(Menus)));
    for (int T = 0; T < Items->Count(); ++T) {
        EXPECT_EQ(U8(StripHotkey(Items->Items(T)->Caption())), Menus[T].first);
        TItems Got;
        for (int I = 0; I < Items->Items(T)->Count(); ++I)
            Got.push_back(U8(StripHotkey(Items->Items(T)->Items(I)->Caption())));
        EXPECT_EQ(Got, Menus[T].second) << Menus[T].first;
    }
    EXPECT_EQ(ButtonsOf(Main->tlbr1), (TItems{"New project",
                                              "Open Most Recent File",
                                              "Save",
                                              "-",
                                              "Find",
                                              "Replace",
                                              "Find Next",
                                              "Find Prev",
                                              "-",
                                              "Print Preview",
                                              "Print",
                                              "-",
                                              "Options",
                                              "Boards & shields user documentation",
                                              "-",
                                              "Compile sketch",
                                              "Upload sketch",
                                              "-",
                                              "Open Terminal for selected Sketch",
                                              "Open Terminal - unassigned",
                                              "(hidden)"}));
    EXPECT_EQ(Main->tlbr1->Buttons(Main->tlbr1->ButtonCount() - 1), Main->btn14);
    EXPECT_EQ(Main->tlbr1->Images(), DM->imglstMenu);
    EXPECT_EQ(ButtonsOf(Main->tlbSketchTree),
              (TItems{"actLeftPaneCollapse", "Expand All", "Contract All", "-", "Expand Node",
                      "Collapse Node", "-", "Project configuration", "-", "Copy  project selected in tree"}));

    SetFolders();
    Main->Show();
    ProcessMessages();
    EXPECT_EQ(Main->tlbr1->Buttons(0)->Width(), 31);
    EXPECT_EQ(Main->tlbr1->Buttons(0)->Height(), 30);
    EXPECT_TRUE(Main->tlbr1->Buttons(0)->ShowHint());
    // The menu bar takes room above the client area.
    EXPECT_GT(Main->Height(), Main->ClientHeight() + 10);
    EXPECT_EQ(Main->ClientHeight(), 708);
}

TEST_F(MainShellTest, ConnectedActionsRunTheirEffectFromKeysButtonsAndMenus) {
    Start();
    SetFolders();
    Main->Show();
    ProcessMessages();
    KeyMessages(Main.get(), VK_F8);
    EXPECT_EQ(Main->pgLeftPane->ActivePage(), Main->tsFunctionList);
    KeyMessages(Main.get(), VK_F7);
    EXPECT_EQ(Main->pgLeftPane->ActivePage(), Main->tsSketches);

    // One button of the tree tool bar collapses and expands the left pane in turn.
    TToolButton* Toggle = Main->tlbSketchTree->Buttons(0);
    Toggle->Click();
    EXPECT_EQ(Main->pnlLeft->Width(), 30);
    EXPECT_EQ(Toggle->Action(), Main->Action(u"actLeftPaneExpand"));
    Toggle->Click();
    EXPECT_EQ(Main->pnlLeft->Width(), 313);
    EXPECT_EQ(Toggle->Action(), Main->Action(u"actLeftPaneCollapse"));

    TQuestionScript Script;
    String AboutClass;
    Script.Answer(mrOk).Answer([&](const TQuestion& Q, TAnswer& A) {
        AboutClass = Q.Form->ClassName();
        A.Result = mrOk;
    });
    Main->mnu1->Items()->Find(u"Tools")->Find(u"Options")->Click();
    Main->mnu1->Items()->Find(u"Help")->Find(u"HelpAbout")->Click();
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Asked()[0].Form, Options.get());
    EXPECT_EQ(AboutClass, u"TfrmHelpAbout");
    EXPECT_EQ(Main->FindComponent(u"frmHelpAbout"), nullptr); // freed again

    // Help hands the program folder's local page to the desktop's opener; when no opener can
    // start, the user is told.
    const std::string Bin = Temp.Sys("bin-fake");
    ForceDirectories(Utf8ToString(Bin));
    WriteBytes(Bin + "/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + Temp.Sys("opened") +
                                      ".tmp'\n/bin/mv '" + Temp.Sys("opened") + ".tmp' '" +
                                      Temp.Sys("opened") + "'\n");
    chmod((Bin + "/xdg-open").c_str(), 0755);
    const std::string OldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", Bin.c_str(), 1);
    Main->mnu1->Items()->Find(u"Help")->Find(u"Help")->Click();
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Temp / "opened"); }));
    EXPECT_EQ(ReadBytes(Temp.Sys("opened")),
              StringToUtf8(IncludeTrailingPathDelimiter(ProgramFolder())) + "Help/index.htm");
    setenv("PATH", Temp.Sys("empty").c_str(), 1);
    Script.Answer(IDOK);
    Main->Action(u"actHelp")->Execute();
    setenv("PATH", OldPath.c_str(), 1);
    ASSERT_EQ(Script.Asked().size(), 3u);
    EXPECT_NE(Script.Asked()[2].Text.find(u"Help/index.htm"), String::npos);
    EXPECT_NE(Script.Asked()[2].Text.find(u"xdg-open: "), String::npos);

    // A disabled action's menu item and button do nothing.
    Main->mnu1->Items()->Find(u"Arduino")->Find(u"Compile sketch")->Click();
    EXPECT_EQ(Script.Asked().size(), 3u);

    Main->mnu1->Items()->Find(u"File")->Find(u"Exit")->Click();
    ProcessMessages();
    EXPECT_FALSE(Main->Visible());
}

TEST_F(MainShellTest, ImageListsHoldOurOwnDistinctGlyphs) {
    Start();
    struct {
        TImageList* List;
        int Size;
        int Count;
    } const Lists[] = {
        {DM->imglstMenu, 24, mgCount},
        {DM->imglstTree, 16, TreeImageCount},
        {DM->imglstBookmarks, 16, BookmarkImageCount},
        {DM->imglst1, 16, TabImageCount},
    };
    for (const auto& L : Lists) {
        EXPECT_EQ(L.List->Width(), L.Size) << U8(L.List->Name());
        EXPECT_EQ(L.List->Height(), L.Size) << U8(L.List->Name());
        ASSERT_EQ(L.List->Count(), L.Count) << U8(L.List->Name());
    }
    // Each glyph paints something on white, and no two of a list look alike (the tree's unused
    // indexes share one small dot).
    auto Picture = [](TImageList* List, int Index) {
        TBitmap B(List->Width(), List->Height());
        B.Canvas()->Brush()->SetColor(clWhite);
        B.Canvas()->FillRect(TRect{0, 0, List->Width(), List->Height()});
        List->Draw(B.Canvas(), 0, 0, Index);
        std::string Pixels;
        for (int Y = 0; Y < List->Height(); ++Y)
            for (int X = 0; X < List->Width(); ++X)
                Pixels += std::to_string(B.Canvas()->Pixels(X, Y)) + ",";
        return Pixels;
    };
    const std::string White = [&] {
        std::string S;
        for (int I = 0; I < 24 * 24; ++I)
            S += std::to_string(clWhite) + ",";
        return S;
    }();
    struct {
        TImageList* List;
        std::vector<int> Indexes;
    } const Distinct[] = {
        {DM->imglstMenu,
         [] {
             std::vector<int> V;
             for (int I = 0; I < mgCount; ++I)
                 V.push_back(I);
             return V;
         }()},
        {DM->imglstTree, {4, 10, 34, 35, 37, 38, 40, 41, 63, 64, 65, 0, 36, 57, 58, 59, 60, 61}},
        {DM->imglstBookmarks, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 30, 31, 32, 40}},
        {DM->imglst1, {0, 1, 2, 3, 4, 5, 6}},
    };
    for (const auto& D : Distinct) {
        std::set<std::string> Seen;
        for (int I : D.Indexes) {
            const std::string P = Picture(D.List, I);
            EXPECT_NE(P, White.substr(0, P.size())) << U8(D.List->Name()) << " " << I;
            EXPECT_TRUE(Seen.insert(P).second) << U8(D.List->Name()) << " " << I << " repeats an image";
        }
    }
}

TEST_F(MainShellTest, EveryToolButtonShowsAPictureAndAHint) {
    WriteBytes(StringToUtf8(ChangeFileExt(ProgramFile(), u".templates")), "[forl|for loop]\nfor (;;) {\n}\n");
    Start();
    auto* Editor = new TfrmEditor(Main.get());
    // The picture a button's image paints on white: something, not white all over.
    auto Painted = [](TCustomImageList* List, int Index) {
        TBitmap B(List->Width(), List->Height());
        B.Canvas()->Brush()->SetColor(clWhite);
        B.Canvas()->FillRect(TRect{0, 0, List->Width(), List->Height()});
        List->Draw(B.Canvas(), 0, 0, Index);
        int Ink = 0;
        for (int Y = 0; Y < List->Height(); ++Y)
            for (int X = 0; X < List->Width(); ++X)
                Ink += B.Canvas()->Pixels(X, Y) != clWhite;
        return Ink > List->Width();
    };
    std::vector<std::string> EditorHints;
    for (TToolBar* Bar : {Editor->tlbr4, Main->tlbrTemplates, Main->tlbr1, Main->tlbSketchTree, Main->tlb2}) {
        ASSERT_NE(Bar->Images(), nullptr) << U8(Bar->Name());
        for (int I = 0; I < Bar->ButtonCount(); ++I) {
            TToolButton* B = Bar->Buttons(I);
            if (B->Style() == tbsSeparator || !B->Visible()) continue;
            const std::string What = U8(Bar->Name()) + " " + std::to_string(I);
            ASSERT_GE(B->ImageIndex(), 0) << What;
            ASSERT_LT(B->ImageIndex(), Bar->Images()->Count()) << What;
            EXPECT_TRUE(Painted(Bar->Images(), B->ImageIndex())) << What;
            EXPECT_FALSE(GetShortHint(B->Hint()).empty()) << What;
            if (Bar == Editor->tlbr4) EditorHints.push_back(U8(B->Hint()));
        }
    }
    EXPECT_EQ(EditorHints, (std::vector<std::string>{"Setup", "Loop", "#Defines", "#Includes", "BM0", "BM1", "BM2",
                                                     "BM3", "BM4", "BM5", "BM6", "BM7", "BM8", "BM9",
                                                     "Show Bookmark list", "Read Only", "Show Hotkeys asignments"}));
    // The marks of errors and jumps have pictures of their own in the same list.
    for (tMarkerType Type : {mtRedLine, mtGreenLine, mtGreenTopLine, mtGreenBottomLine, mtFuchsiaLine}) {
        Editor->PlaceGutterMark(Type);
        ASSERT_EQ(Editor->codeedt->Marks()->Count(), 1);
        EXPECT_TRUE(Painted(DM->imglstBookmarks, Editor->codeedt->Marks()->Items(0)->ImageIndex())) << int(Type);
    }
    Editor->PlaceMark();
    EXPECT_TRUE(Painted(DM->imglstBookmarks, Editor->codeedt->Marks()->Items(0)->ImageIndex()));
}

TEST_F(MainShellTest, ScreenTipsOnToolButtonsAndNoHintOverTheEditorItself) {
    Start();
    SetFolders();
    auto* Edit = new TCodeEdit(Main.get());
    auto* Derived = new TCodeEditDerived(Main.get());
    for (TCustomControl* C : {static_cast<TCustomControl*>(Edit), static_cast<TCustomControl*>(Derived)}) {
        C->SetParent(Main->tsArduino);
        C->SetHint(u"an editor");
        C->SetShowHint(true);
    }
    Edit->SetBounds(0, 0, 100, 100);
    Derived->SetBounds(0, 120, 100, 100);
    Main->Show();
    ProcessMessages();
    auto HintAt = [&](TControl* C) -> std::string {
        Application->CancelHint();
        Application->ActivateHint(C->ClientToScreen({C->Width() / 2, C->Height() / 2}));
        ProcessMessages();
        THintWindow* W = Application->HintWindow();
        return W && W->Visible() ? U8(W->Caption()) : "(none)";
    };
    auto ButtonOf = [&](const char16_t* Name) {
        for (int I = 0; I < Main->tlbr1->ButtonCount(); ++I)
            if (Main->tlbr1->Buttons(I)->Action() == Main->Action(Name)) return Main->tlbr1->Buttons(I);
        return static_cast<TToolButton*>(nullptr);
    };
    const std::pair<const char16_t*, std::string> Tips[] = {
        {u"actArduinoCompile",
         "Compile sketch\nVerify sketch - Compile the active sketch using Arduino software.\n"
         "Sketch is saved before compilation.\n"
         "Arduino options needs to be configured to Use external editor !"},
        {u"actOptions", "Options\nOpen Morvane Options window\nIt allows \n- Set path to the Arduino IDE\n"
                        "- Set path to user sketches\n- Selected Arduino boards often used by user\n"
                        "- Define programs for opening user documentation files"},
        {u"actArduinoOpenTerminal",
         "Open Terminal - unassigned\nOpens a new terminal window not assigned to any sketch"},
        {u"actHelpArduinos",
         "Boards & shields user documentation\nOpens a user-defined help and documantation window.\n"
         "Documents can be defined in the Morvane.Datasheets file in the Morvane folder. The "
         "file structure is described in the Help."},
    };
    for (const auto& [Name, Tip] : Tips) {
        ASSERT_NE(ButtonOf(Name), nullptr) << U8(Name);
        EXPECT_EQ(U8(Main->stmScreenTips->TipText(Main->Action(Name))), Tip) << U8(Name);
    }
    // The other tips with their own wording, wherever the action is offered.
    const std::pair<const char16_t*, std::string> Quoted[] = {
        {u"actArduinoUpload", "Upload sketch\nCompiles and Uploads an active sketch to the Arduino\n"
                              "Arduino options needs to be configured to Use external editor !"},
        {u"actArduinoIdeOpen", "Open Arduino IDE \nOpens the standard Arduino IDE in the first Tab."},
        {u"actHelp", "Help\nOpen local Help in a default WEB browser"},
        {u"actArduinoHelp", "Arduino - reference\nOpens Arduino Language reference in a web "
                            "browser.\nRequires internet connection."},
        {u"actShowErrorListing",
         "Show original error log\nShow original error log. It can contain either error "
         "list generated by Arduino or Upload protocol after a sketch upload."},
        {u"actShowNormalLog", "Show original log\nShow original compilator / linker log"},
        {u"actTemplateSave", "Save\nTemplate Save - NOT IMPLEMENTED"},
        {u"actArduinoOpenTerminalUnassigned",
         "Open Terminal for selected Sketch\nOpens a new terminal window for an active sketch"},
    };
    for (const auto& [Name, Tip] : Quoted)
        EXPECT_EQ(U8(Main->stmScreenTips->TipText(Main->Action(Name))), Tip) << U8(Name);
    // Shown over the button of an enabled action (a disabled button takes no mouse).
    EXPECT_EQ(HintAt(ButtonOf(u"actOptions")), Tips[1].second);
    EXPECT_EQ(HintAt(Edit), "(none)");
    EXPECT_EQ(HintAt(Derived), "an editor");
    Application->CancelHint();
}

TEST_F(MainShellTest, ClosingAsksTheEditorTabsInOrderUntilOneRefuses) {
    // Every editor frame reads the templates beside the program.
    WriteBytes(StringToUtf8(Program / "test_ide.templates"), "[x]\n");
    Start();
    SetFolders();
    std::vector<int> Saved;
    for (int N = 1; N <= 3; ++N) {
        auto* Tab = new TTabSheet(Main.get());
        Tab->SetCaption(u"Sketch" + IntToStr(N));
        Tab->SetPageControl(Main->pgEdit);
        auto* Editor = new TModifiedEditor(Tab, N, Saved);
        Editor->SetParent(Tab);
    }
    TQuestionScript Script;
    // Yes for the first, Cancel for the second; a question about the third fails the test.
    Script.Answer(IDYES).Answer(IDCANCEL);
    EXPECT_FALSE(Main->CloseQuery());
    EXPECT_EQ(Saved, std::vector<int>{1});
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Asked()[1].Text, u"Save 2?");

    Script.Answer(IDNO).Answer(IDNO).Answer(IDYES);
    EXPECT_TRUE(Main->CloseQuery());
    EXPECT_EQ(Saved, (std::vector<int>{1, 3}));

    while (Main->pgEdit->PageCount() > 1)
        delete Main->pgEdit->Pages(1);
    EXPECT_TRUE(Main->CloseQuery()); // no editor tab: nothing asked
    EXPECT_EQ(Script.Asked().size(), 5u);
}

TEST_F(MainShellTest, DestroyingTheWindowFreesTheTerminalRecords) {
    Start();
    for (int N = 0; N < 2; ++N) {
        auto* Record = new tTerminalClass;
        Record->TerminalNr = N;
        Record->ProjectName = u"Unassigned terminal";
        Main->lstTerminals->Items()->AddObject(u"Terminal " + IntToStr(N), Record);
    }
    Main->FreeTerminalRecords();
    for (int I = 0; I < Main->lstTerminals->Items()->Count(); ++I)
        EXPECT_EQ(Main->lstTerminals->Items()->Objects(I), nullptr);
    // The sanitizer run sees that nothing is left over when the window goes with new records.
    Main->lstTerminals->Items()->AddObject(u"Terminal 2", new tTerminalClass);
    Stop();
}

TEST_F(MainShellTest, AFreshProgramFolderWarnsAboutTheProjectsPathAndOpensTheOptions) {
    TQuestionScript Script;
    Script.Answer(IDOK).Answer([&](const TQuestion& Q, TAnswer& A) {
        EXPECT_EQ(Q.Kind, qkShowModal);
        EXPECT_EQ(Q.Form, Options.get());
        A.Result = mrOk; // closed without a folder
    });
    Start();
    EXPECT_EQ(Main->pgLeftPane->ActivePage(), Main->tsSketches);
    Main->Show();
    ASSERT_TRUE(WaitUntil([&] { return Script.Asked().size() >= 2; }));
    EXPECT_EQ(Script.Asked()[0].Kind, qkMessageBox);
    EXPECT_EQ(Script.Asked()[0].Text,
              u"Project path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
    EXPECT_EQ(Script.Asked()[0].Caption, u"Morvane");
    EXPECT_EQ(Main->vstSketches->TotalCount(), 0u);
    // The tab counts as filled: activating again asks nothing more.
    Main->pgLeftPaneChange(Main.get());
    EXPECT_EQ(Script.Asked().size(), 2u);
}

namespace {

// A UTF-16 file cut in the middle of a character cannot be read as settings.
std::string DamagedSettings() {
    std::string Damaged = "\xFF\xFE";
    for (char C : "[Other]\r\nKeep=1\r\n")
        if (C) Damaged += std::string{C, '\0'};
    return Damaged + 'x';
}

// Bytes that decode as some text but hold NULs: a picture, not settings.
std::string BinarySettings() {
    static const char Bytes[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10[Other]\r\nKeep=1\r\n";
    return std::string(Bytes, sizeof Bytes - 1);
}

} // namespace

TEST_F(MainShellTest, ADamagedOrBinarySettingsFileIsReportedOnceLeftAsItWasAndTheOtherOneIsStillWritten) {
    struct {
        const char* Damaged;
        const char* Other;
        const char* OtherLine;
        std::string Bytes;
    } const Cases[] = {
        {"test_ide.sto", "test_ide.opt", "edPathToProjects_Text=", DamagedSettings()},
        {"test_ide.opt", "test_ide.sto", "chkDef_Checked=TRUE", DamagedSettings()},
        {"test_ide.sto", "test_ide.opt", "edPathToProjects_Text=", BinarySettings()},
        {"test_ide.opt", "test_ide.sto", "chkDef_Checked=TRUE", BinarySettings()},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Damaged);
        ::unlink(StringToUtf8(Program / C.Other).c_str());
        const std::string Damaged = C.Bytes;
        WriteBytes(StringToUtf8(Program / C.Damaged), Damaged);
        TQuestionScript Script;
        Script.Answer(IDOK); // the report at start
        Start();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_NE(U8(Script.Last().Text).find("cannot be read"), std::string::npos) << U8(Script.Last().Text);
        EXPECT_NE(U8(Script.Last().Text).find(U8(Program / C.Damaged)), std::string::npos);
        // The start went on.
        EXPECT_EQ(Main->pgLeftPane->ActivePage(), Main->tsSketches);
        SetFolders();
        Main->Show();
        ProcessMessages();
        Main->chkDef->SetChecked(true);
        Main->Close();
        Stop();
        EXPECT_EQ(Script.Asked().size(), 1u); // nothing more at the end
        EXPECT_EQ(ReadBytes(StringToUtf8(Program / C.Damaged)), Damaged);
        const std::string Other = ReadBytes(StringToUtf8(Program / C.Other));
        EXPECT_NE(Other.find(C.OtherLine), std::string::npos) << Other;
    }
}

TEST_F(MainShellTest, AReadOnlySettingsFileIsReportedAndLeftAsItWas) {
    // Root may write anything: the second start runs this test again as an unprivileged user,
    // in the program folder of the first.
    if (const char* Folder = std::getenv("MORVANE_READONLY_FOLDER");
        Folder && std::getenv("MORVANE_READONLY_RUN")) {
        ASSERT_EQ(::setgid(65534), 0);
        ASSERT_EQ(::setuid(65534), 0);
        TTestProgramFolder First(Folder);
        TQuestionScript Script;
        Script.Answer(IDOK);
        Start();
        EXPECT_EQ(U8(Options->PathToProjects()), Folder); // read as usual
        Main->Show();
        ProcessMessages();
        Options->edPathToProjects->SetText(u"/changed");
        Main->chkVars->SetChecked(true);
        Main->Close();
        Stop();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_NE(U8(Script.Last().Text).find("is read-only"), std::string::npos) << U8(Script.Last().Text);
        EXPECT_NE(U8(Script.Last().Text).find(U8(First / "test_ide.opt")), std::string::npos);
        return;
    }
    // First start: both files written.
    Start();
    Options->edPathToProjects->SetText(Temp.Dir());
    Options->edPathToArduino->SetText(u"/usr/share/arduino");
    Main->Show();
    ProcessMessages();
    Main->Close();
    Stop();
    const std::string Opt = ReadBytes(StringToUtf8(Program / "test_ide.opt"));
    ASSERT_NE(Opt.find("edPathToProjects_Text=" + Temp.Path()), std::string::npos) << Opt;
    ::chmod(StringToUtf8(Program / "test_ide.opt").c_str(), 0444);
    ::chmod(StringToUtf8(Program / "test_ide.sto").c_str(), 0666);
    ::chmod(StringToUtf8(Program.Dir()).c_str(), 0777);
    ::chmod(Temp.Path().c_str(), 0755);
    ::setenv("MORVANE_READONLY_FOLDER", Temp.Path().c_str(), 1);
    // The child ends as that user, wherever the checkout lies.
    const TSanitizerFilesForAnyUser Sanitizers;
    const TChildRun Child = RunThisProgramAgain(
        "MORVANE_READONLY_RUN", "MainShellTest.AReadOnlySettingsFileIsReportedAndLeftAsItWas");
    ::unsetenv("MORVANE_READONLY_FOLDER");
    EXPECT_TRUE(Child.Succeeded) << Child.Output;
    EXPECT_EQ(ReadBytes(StringToUtf8(Program / "test_ide.opt")), Opt);
    const std::string Sto = ReadBytes(StringToUtf8(Program / "test_ide.sto"));
    EXPECT_NE(Sto.find("chkVars_Checked=TRUE"), std::string::npos) << Sto;
}

TEST_F(MainShellTest, OpenFileShowsTheChosenFileReadWithoutDecoding) {
    Start();
    SetFolders();
    const std::string Path = Temp.Sys("notes.txt");
    WriteBytes(Path, "caf\xE9\n"); // one byte per character, not UTF-8
    WriteBytes(StringToUtf8(Program / "test_ide.templates"), "[x]\n");
    TQuestionScript Script;
    Script.Answer(mrCancel);
    Main->Action(u"actFileOpen")->Execute();
    EXPECT_EQ(Main->pgEdit->PageCount(), 1);
    Script.Answer(mrOk, Utf8ToString(Path));
    Main->Action(u"actFileOpen")->Execute();
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Last().Kind, qkOpenDialog);
    EXPECT_EQ(U8(Main->ActiveFileName()), Path);
    ASSERT_NE(Main->ActiveEditorForm(), nullptr);
    EXPECT_EQ(U8(Main->ActiveEditorForm()->codeedt->Lines()->Strings(0)), "caf\xC3\xA9");
}

TEST_F(MainShellTest, LoadProjectAsksForAFileAndNamesOneThatIsNotThere) {
    Start();
    TQuestionScript Script;
    Script.Answer(mrCancel);
    Main->Action(u"actProjectLoad")->Execute(); // cancelled: nothing
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Caption), "Load Morvane project");
    EXPECT_EQ(U8(Script.Last().Filter), "Morvane project (*.mrv)|*.mrv|All files (*.*)|*.*");

    const std::string Missing = Temp.Sys("gone.mrv");
    Script.Answer(mrOk, Utf8ToString(Missing));
    try {
        Main->Action(u"actProjectLoad")->Execute();
        FAIL() << "a missing project file was taken";
    } catch (const Exception& E) {
        EXPECT_EQ(U8(E.Message()), "Project file not found:\r\r" + Missing);
    }
    // An existing file is found and nothing more happens.
    WriteBytes(Temp.Sys("here.mrv"), "");
    EXPECT_NO_THROW(Main->LoadProjectFile(Temp / "here.mrv"));
    EXPECT_EQ(Main->pgEdit->PageCount(), 1);
}

TEST_F(MainShellTest, TheHelpPagesShipBesideTheProgramAndTheirLinksLeadToShippedPages) {
    const std::string Help = MORVANE_BINARY_DIR "/bin/Help/";
    const std::string Index = ReadBytes(Help + "index.htm");
    ASSERT_FALSE(Index.empty()) << Help << "index.htm";
    EXPECT_NE(Index.find("<title>Morvane - Help</title>"), std::string::npos);
    int Links = 0;
    for (size_t P = Index.find("href=\""); P != std::string::npos; P = Index.find("href=\"", P + 1)) {
        const size_t End = Index.find('"', P + 6);
        const std::string Target = Index.substr(P + 6, End - P - 6);
        ++Links;
        EXPECT_TRUE(std::filesystem::is_regular_file(Help + Target)) << Target;
    }
    EXPECT_GE(Links, 1);
}
