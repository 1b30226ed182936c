#include "ide/Main.h"

#include "ide/DMImages.h"
#include "ide/FormSettings.h"
#include "ide/HelpAbout.h"
#include "ide/MyObjects.h"
#include "ide/Options.h"
#include "ide/ScreenTips.h"
#include "ide/Trees.h"

#include "settings/KitAppEvents.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Questions.h"
#include "platform/os/ChildProcess.h"
#include "platform/os/ForeignWindows.h"
#include "platform/os/ShellOpen.h"

#include <cerrno>
#include <cstring>

TfrmDM* frmDM = nullptr;
TfrmMain* frmMain = nullptr;
TfrmOptions* frmOptions = nullptr;
TfrmEditor* frmEditor = nullptr;
TConfirmReplaceDialog* ConfirmReplaceDialog = nullptr;
TTestPrintPreviewDlg* TestPrintPreviewDlg = nullptr;
TPageSetupDlg* PageSetupDlg = nullptr;
TfrmCompilationProgressLog* frmCompilationProgressLog = nullptr;

namespace {

TImageList* MakeImageList(TComponent* Owner, const String& Name, int Size) {
    TImageList* L = new TImageList(Owner);
    L->SetName(Name);
    L->SetSize(Size, Size);
    return L;
}

TTabSheet* MakeTab(TComponent* Owner, TPageControl* Pages, const String& Name, const String& Caption) {
    TTabSheet* T = new TTabSheet(Owner);
    T->SetName(Name);
    T->SetCaption(Caption);
    T->SetPageControl(Pages);
    return T;
}

} // namespace

TfrmDM::TfrmDM(TComponent* AOwner) : TComponent(AOwner) {
    SetName(u"frmDM");
    imglstBookmarks = MakeImageList(this, u"imglstBookmarks", 16);
    imglst1 = MakeImageList(this, u"imglst1", 16);
    imglstMenu = MakeImageList(this, u"imglstMenu", 24);
    imglstTree = MakeImageList(this, u"imglstTree", 16);
    PaintDataModuleImages(this);

    CodeHiLitC = new TCodeCppHighlighter(this);
    CodeHiLitC->SetName(u"CodeHiLitC");
    CodeHiLitC->CommentAttri()->SetForeground(clTeal);
    CodeHiLitC->IdentifierAttri()->SetForeground(clBlue);
    CodeHiLitC->KeyAttri()->SetForeground(TColor(0x8000FF));
    CodeHiLitC->StringAttri()->SetForeground(TColor(0xC08080));

    codeArduino = new TCodeArduHighlighter(this);
    codeArduino->SetName(u"codeArduino");
    codeArduino->CommentAttri()->SetForeground(TColor(0x004000));
    codeArduino->DirecAttri()->SetBackground(TColor(0xFEFFE8));
    codeArduino->DirecAttri()->SetForeground(clBlue);
    codeArduino->InvalidAttri()->SetStyle({fsUnderline});
    codeArduino->KeyAttri()->SetForeground(clRed);
    codeArduino->StringAttri()->SetForeground(clFuchsia);
    codeArduino->CharAttri()->SetForeground(TColor(0x027AE8));
    codeArduino->ArduinoAttri()->SetForeground(clBlue);
}

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmMain");
        SetCaption(u"Morvane - Arduino front-end");
        SetPosition(poScreenCenter);
        SetClientWidth(1111);
        SetClientHeight(708);
        SetKeyPreview(true);

        tlbr1 = MakeControl<TToolBar>(this, this, u"tlbr1", alTop);
        tlbr1->SetHeight(36);
        pnlInfo = MakeControl<TPanel>(this, this, u"pnlInfo", alBottom);
        pnlInfo->SetHeight(25);
        pnlInfo->SetCaption(u"");
        pnl2 = MakeControl<TPanel>(this, this, u"pnl2", alRight);
        pnl2->SetWidth(23);
        pnl2->SetCaption(u"");
        // The right panel's vertical tool bar: a place for commands; nothing is put there.
        tlbrRight = MakeControl<TToolBar>(this, pnl2, u"tlbrRight", alLeft);
        tlbrRight->SetWidth(pnl2->ClientWidth());
        pnlLeft = MakeControl<TPanel>(this, this, u"pnlLeft", alLeft);
        pnlLeft->SetWidth(313);
        pnlLeft->SetCaption(u"");
        pnlLeft->Constraints()->SetMinWidth(20);
        pnlLeft->Constraints()->SetMaxWidth(500);
        spltr1 = new TSplitter(this);
        spltr1->SetName(u"spltr1");
        spltr1->SetParent(this);
        spltr1->SetLeft(313);
        spltr1->SetAlign(alLeft);
        spltr1->SetColor(clBlue);

        tlbSketchTree = MakeControl<TToolBar>(this, pnlLeft, u"tlbSketchTree", alTop);
        pgLeftPane = MakeControl<TPageControl>(this, pnlLeft, u"pgLeftPane", alClient);
        pgLeftPane->SetTabPosition(tpLeft);
        tsSketches = MakeTab(this, pgLeftPane, u"tsSketches", u"Sketches");
        tsExamples = MakeTab(this, pgLeftPane, u"tsExamples", u"Examples");
        tsLibraries = MakeTab(this, pgLeftPane, u"tsLibraries", u"Libraries");
        tsConfigs = MakeTab(this, pgLeftPane, u"tsConfigs", u"Recent");
        tsTemplates = MakeTab(this, pgLeftPane, u"tsTemplates", u"Templates");
        tsFunctionList = MakeTab(this, pgLeftPane, u"tsFunctionList", u"Functions");
        tsTerminals = MakeTab(this, pgLeftPane, u"tsTerminals", u"Terminals");
        vstSketches = MakeControl<TLeanStringTree>(this, tsSketches, u"vstSketches", alClient);
        vstExamples = MakeControl<TLeanStringTree>(this, tsExamples, u"vstExamples", alClient);
        vtreeLibraries = MakeControl<TLeanStringTree>(this, tsLibraries, u"vtreeLibraries", alClient);
        lstTerminals = MakeControl<TListBox>(this, tsTerminals, u"lstTerminals", alClient);
        int Top = 4;
        for (auto [Box, Name, Caption] :
             {std::tuple{&chkConst, u"chkConst", u"Constants"}, std::tuple{&chkDef, u"chkDef", u"Defines"},
              std::tuple{&chkF, u"chkF", u"Functions"}, std::tuple{&chkOther, u"chkOther", u"Other"},
              std::tuple{&chkVars, u"chkVars", u"Variables"}}) {
            *Box = MakeControl<TCheckBox>(this, tsFunctionList, Name, alNone);
            (*Box)->SetBounds(4, Top, 120, 20);
            (*Box)->SetCaption(Caption);
            Top += 22;
        }

        pgEdit = MakeControl<TPageControl>(this, this, u"pgEdit", alClient);
        pgEdit->SetMultiLine(true);
        pgEdit->SetRaggedRight(true);
        pgEdit->SetShowHint(true);
        tsArduino = MakeTab(this, pgEdit, u"tsArduino", u"Arduino");

        tmrLogoMover = new TTimer(this);
        tmrLogoMover->SetName(u"tmrLogoMover");
        tmrLogoMover->SetEnabled(false);
        tmrLogoMover->SetInterval(5);
        dlgOpen = new TOpenDialog(this);
        dlgOpen->SetName(u"dlgOpen");
        dlgOpenProject = new TOpenDialog(this);
        dlgOpenProject->SetName(u"dlgOpenProject");
        dlgOpenProject->SetTitle(u"Load Morvane project");
        dlgOpenProject->SetFilter(u"Morvane project (*.mrv)|*.mrv|All files (*.*)|*.*");
        AddFormSettings(this, appIniStor, fs1, TPlacementOptions{},
                        {u"chkConst.Checked", u"chkDef.Checked", u"chkF.Checked", u"chkOther.Checked",
                         u"chkVars.Checked", u"tmrLogoMover.Interval"});

        CreateActions();
        CreateMenuAndToolBars();
        ConnectActions();
        SetUpArduinoPage();
        KitAppEvents1 = new TKitAppEvents(this);
        KitAppEvents1->SetName(u"KitAppEvents1");
        KitAppEvents1->OnShowHint = [this](String& HintStr, bool& CanShow, THintInfo& HintInfo) {
            KitAppEvents1ShowHint(HintStr, CanShow, HintInfo);
        };
        SetUpTrees();
        SetUpEditorTabs();
        SetUpRecentFiles();
        SetUpTemplates();
        SetUpFunctionList();
        SetUpProjectConfig();
        SetUpTerminals();
        ConnectEditorActions();

        pgLeftPane->OnChange = [this](TObject* Sender) { pgLeftPaneChange(Sender); };
        OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
        OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
        OnResize = [this](TObject* Sender) { FormResize(Sender); };
        OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
        OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    });
}

void TfrmMain::FormCreate(TObject*) {
    // The menu bar's height is known once the window exists; the designed client area stays.
    HandleNeeded();
    SetClientWidth(1111);
    SetClientHeight(708);
    pgEdit->SetTabWidth(150);
    fs1->SetAppStoragePath(IncludeTrailingPathDelimiter(ProgramFolder()));
    OpenSettingsFile(appIniStor, ChangeFileExt(ProgramFile(), u".sto"));
    FCloseButtonsRectArray.assign(pgEdit->PageCount(), TRect{});
    FCloseButtonMouseDownIndex = -1;
    pgLeftPane->SetActivePage(tsSketches);
    try {
        LoadRecentFiles();
    } catch (...) {
        Application->HandleException(this, std::current_exception());
    }
    LogoXDirection = 1;
    LogoYDirection = 1;
}

void TfrmMain::FormResize(TObject*) {
    // The embedded IDE lives in the "Arduino" page: it gets the page's size, so that none of it
    // lies outside the page.
    FitEmbeddedIde();
    PlaceLogo();
}

void TfrmMain::FormCloseQuery(TObject*, bool& CanClose) {
    // The window stays while the builder runs: the run ends in it.
    CanClose = !FBuildRunning && CanCloseAllEditors();
}

bool TfrmMain::CanCloseAllEditors() {
    for (int Page = 0; Page < pgEdit->PageCount(); ++Page) {
        TTabSheet* Tab = pgEdit->Pages(Page);
        for (int I = 0; I < Tab->ControlCount(); ++I)
            if (auto* Editor = dynamic_cast<TfrmEditor*>(Tab->Controls(I));
                Editor && !Editor->VerifyIfCanClose())
                return false;
    }
    return true;
}

void TfrmMain::FormDestroy(TObject*) {
    SaveRecentFiles();
    CloseEmbeddedIde();
    FreeTerminalRecords();
    FreeRecentRecords();
}

void TfrmMain::FreeTerminalRecords() {
    TStrings* Items = lstTerminals->Items();
    for (int I = 0; I < Items->Count(); ++I) {
        delete dynamic_cast<tTerminalClass*>(Items->Objects(I));
        Items->SetObject(I, nullptr);
    }
}

void TfrmMain::KitAppEvents1ShowHint(String& HintStr, bool&, THintInfo& HintInfo) {
    // An exact class test: controls derived from the editor keep their hints.
    if (HintInfo.HintControl && HintInfo.HintControl->ClassName() == u"TCodeEdit") {
        HintStr.clear();
        return;
    }
    stmScreenTips->ApplyTip(HintStr, HintInfo);
}

TAction* TfrmMain::Action(const String& Name) const {
    return dynamic_cast<TAction*>(FindComponent(Name));
}

void TfrmMain::ConnectActions() {
    auto Connect = [this](const char16_t* Name, std::function<void()> Effect) {
        TAction* A = Action(Name);
        A->OnExecute = [Effect](TObject*) { Effect(); };
        A->SetEnabled(true);
    };
    Connect(u"actSelectSketchesTAB", [this] {
        pgLeftPane->SetActivePage(tsSketches);
        pgLeftPaneChange(this);
    });
    Connect(u"actSelectFunctionsTAB", [this] {
        pgLeftPane->SetActivePage(tsFunctionList);
        pgLeftPaneChange(this);
    });
    Connect(u"actFileExit", [this] { Close(); });
    Connect(u"actOptions", [this] { ShowOptions(); });
    Connect(u"actHelpAbout", [this] {
        auto About = std::make_unique<TfrmHelpAbout>(this);
        About->ShowModal();
    });
    Connect(u"actHelp", [this] { OpenLocalHelp(); });
    Connect(u"actFileNew", [this] { NewProject(); });
    Connect(u"actFileOpen", [this] { OpenAnyFile(); });
    Connect(u"actProjectLoad", [this] { LoadProjectFile(String()); });
    Connect(u"actHelpArduinos", [this] { ShowDatasheets(); });
    Connect(u"actArduinoIdeOpen", [this] { EmbedArduinoIde(); });
    Connect(u"actArduinoHelp", [this] { OpenArduinoReference(); });
    Connect(u"actTest", [this] { TestEmbeddedIde(); });
    // The copy actions wait for a sketch to copy: the trees and the tabs enable them.
    Action(u"actFileCopyFromEditorFile")->OnExecute = [this](TObject*) { CopyProject(ActiveFileName()); };
    Action(u"actFileCopyFromTree")->OnExecute = [this](TObject*) {
        TLeanStringTree* Tree = ActiveLeftTree();
        tTreeClass* Item = Tree ? TreeRecord(Tree, Tree->FocusedNode()) : nullptr;
        if (Item && (Item->NodeType() == ntFileSrc || Item->NodeType() == ntFileSrcWithoutLoop))
            CopyProject(Item->FullPath());
    };
    Connect(u"actLeftPaneCollapse", [this] { CollapseLeftPane(); });
    Connect(u"actLeftPaneExpand", [this] { ExpandLeftPane(); });
}

void TfrmMain::FormActivate(TObject* Sender) {
    pgLeftPaneChange(Sender);
    Action(u"actFileOpenMostRecent")->SetEnabled(lstRecentFiles->Items()->Count() > 0);
}

void TfrmMain::pgLeftPaneChange(TObject*) {
    TTabSheet* Tab = pgLeftPane->ActivePage();
    if (!Tab) return;
    const int Index = Tab->PageIndex();
    if (Tab->Tag() == 0) {
        // A tab is filled once this way, even when its filling fails; rescans are explicit.
        Tab->SetTag(1);
        switch (Index) {
        case 0:
            LoadSketchesTree();
            break;
        case 1:
            LoadExamplesTree();
            break;
        case 2:
            LoadLibrariesTree();
            break;
        case 4:
            LoadTemplates();
            break;
        default:
            break;
        }
    }
    if (Tab == tsFunctionList) RefreshFunctionList();
    tlbSketchTree->SetVisible(Index < 4);
    // Project configuration belongs to the sketches; it stays off until its work is connected.
    if (TAction* ProjectEdit = Action(u"actProjectEdit"))
        ProjectEdit->SetEnabled(Index == 0 && bool(ProjectEdit->OnExecute));
}

TLeanStringTree* TfrmMain::ActiveLeftTree() const {
    TTabSheet* Tab = pgLeftPane->ActivePage();
    if (Tab == tsSketches) return vstSketches;
    if (Tab == tsExamples) return vstExamples;
    if (Tab == tsLibraries) return vtreeLibraries;
    return nullptr;
}

String TfrmMain::NameAfterBackslash(const String& Path) {
    const size_t P = Path.find_last_of(u"\\/");
    return P == String::npos ? Path : Path.substr(P + 1);
}

void TfrmMain::CollapseLeftPane() {
    PnlLeftWidth = pnlLeft->Width();
    pnlLeft->SetWidth(30);
    // One button toggles the pane.
    tlbSketchTree->Buttons(0)->SetAction(Action(u"actLeftPaneExpand"));
}

void TfrmMain::ExpandLeftPane() {
    pnlLeft->SetWidth(PnlLeftWidth);
    tlbSketchTree->Buttons(0)->SetAction(Action(u"actLeftPaneCollapse"));
}

void TfrmMain::OpenLocalHelp() {
    const String Page = IncludeTrailingPathDelimiter(ProgramFolder()) + u"Help/index.htm";
    if (ShellOpen(Page)) return;
    const String Reason = Utf8ToString(std::strerror(errno));
    MessageBox(Handle(), u"Cannot open \"" + Page + u"\" with its program.\rxdg-open: " + Reason, u"Morvane",
               MB_ICONWARNING | MB_OK);
}

void TfrmMain::OpenAnyFile() {
    if (dlgOpen->Execute()) OpenFileInTab(dlgOpen->FileName(), ntUnknown, tkNonSpecific, true);
}

void TfrmMain::LoadProjectFile(const String& FileName) {
    String Name = FileName;
    if (Name.empty()) {
        if (!dlgOpenProject->Execute()) return;
        Name = dlgOpenProject->FileName();
    }
    if (!FileExists(Name)) throw Exception(u"Project file not found:\r\r" + Name);
}

void TfrmMain::ShowOptions() {
    const String Before = frmOptions->PathToProjects();
    frmOptions->ShowModal();
    if (frmOptions->PathToProjects() != Before) LoadSketchesTree();
}

bool TfrmMain::CheckFolder(const String& Folder, const String& Message) {
    if (!Folder.empty() && DirectoryExists(Folder)) return true;
    MessageBox(Handle(), Message, u"Morvane", MB_ICONWARNING | MB_OK);
    ShowOptions();
    return false;
}

bool TfrmMain::CheckArduinoPath() {
    return CheckFolder(
        frmOptions->PathToArduino(),
        u"Arduino path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
}

bool TfrmMain::CheckProjectsPath() {
    return CheckFolder(
        frmOptions->PathToProjects(),
        u"Project path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
}

void RunMorvane() {
    Application->Initialize();
    Application->SetTitle(u"Morvane - Editor and IDE for Arduino");
    frmDM = new TfrmDM(Application);
    Application->CreateForm(frmMain);
    Application->CreateForm(frmOptions);
    Application->CreateForm(frmEditor);
    Application->CreateForm(ConfirmReplaceDialog);
    Application->CreateForm(TestPrintPreviewDlg);
    Application->CreateForm(PageSetupDlg);
    Application->CreateForm(frmCompilationProgressLog);
    Application->Run();
}
