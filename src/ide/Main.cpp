#include "ide/Main.h"

#include "ide/FormSettings.h"
#include "ide/HelpAbout.h"
#include "ide/Options.h"
#include "ide/Trees.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"

#include "platform/base/Files.h"
#include "platform/gui/Questions.h"

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

template <class T> T* Make(TComponent* Owner, TWinControl* Parent, const String& Name, TAlign Align) {
    T* C = new T(Owner);
    C->SetName(Name);
    C->SetParent(Parent);
    C->SetAlign(Align);
    return C;
}

TTabSheet* MakeTab(TComponent* Owner, TPageControl* Pages, const String& Name, const String& Caption) {
    TTabSheet* T = new TTabSheet(Owner);
    T->SetName(Name);
    T->SetCaption(Caption);
    T->SetPageControl(Pages);
    return T;
}

} // namespace

const TMainActionRow MainActionRows[] = {
    {u"actSelectSketchesTAB", u"HOTKEYS", u"actSelectSketchesTAB", u"F7"},
    {u"actFileExit", u"FILE", u"Exit", u""},
    {u"actEditReplace", u"EDIT", u"Replace", u"Ctrl+R"},
    {u"actFileOpen", u"FILE", u"Open file", u""},
    {u"actArduinoOpenTerminalUnassigned", u"ARDUINO", u"Open Terminal for selected Sketch", u""},
    {u"actFileNew", u"PROJECT", u"New project", u""},
    {u"actFileSave", u"PROJECT", u"Save", u"Ctrl+S"},
    {u"actFileCopyFromEditorFile", u"PROJECT", u"Copy  project selected in Editor", u""},
    {u"actFileCopyFromTree", u"PROJECT", u"Copy  project selected in tree", u""},
    {u"actOptions", u"TOOLS", u"Options", u""},
    {u"actArduinoIdeOpen", u"ARDUINO", u"Open Arduino IDE ", u""},
    {u"actEditFind", u"EDIT", u"Find", u"Ctrl+F"},
    {u"actEditFindNext", u"EDIT", u"Find Next", u"F3"},
    {u"actEditFindPrev", u"EDIT", u"Find Prev", u"Shift+F3"},
    {u"actPrinterSetup", u"FILE", u"Printer Setup", u""},
    {u"actPrinterPage", u"FILE", u"Printer Page Setup", u""},
    {u"actPrintPreview", u"FILE", u"Print Preview", u""},
    {u"actPrint", u"FILE", u"Print", u""},
    {u"actTemplatesSortByName", u"TEMPLATES", u"Sort By Name", u""},
    {u"actTemplatesUnSort", u"TEMPLATES", u"Original sort", u""},
    {u"actProjectLoad", u"PROJECT", u"Load", u""},
    {u"actProjectSave", u"PROJECT", u"Save", u""},
    {u"actProjectSaveAs", u"PROJECT", u"Save As", u""},
    {u"actShowErrorListing", u"POPUP", u"Show original error log", u""},
    {u"actTreeExpandAll", u"TREE", u"Expand All", u""},
    {u"actTreeContractAll", u"TREE", u"Contract All", u""},
    {u"actTreeExpandNode", u"TREE", u"Expand Node", u""},
    {u"actTreeCollapseNode", u"TREE", u"Collapse Node", u""},
    {u"actGotoDefine", u"EDIT", u"Goto Define", u""},
    {u"actGotoInclude", u"EDIT", u"Goto Include", u""},
    {u"actGotoSetup", u"EDIT", u"Goto Setup", u"F5"},
    {u"actGotoLoop", u"EDIT", u"Goto Loop", u"F6"},
    {u"actFileClose", u"FILE", u"Close", u""},
    {u"actTest", u"TOOLS", u"Test", u""},
    {u"actHelpArduinos", u"HELP", u"Boards && shields user documentation", u""},
    {u"actHelp", u"HELP", u"Help", u""},
    {u"actHelpAbout", u"HELP", u"HelpAbout", u""},
    {u"actArduinoCompile", u"ARDUINO", u"Compile sketch", u"F9"},
    {u"actArduinoUpload", u"ARDUINO", u"Upload sketch", u"F10"},
    {u"actLeftPaneCollapse", u"TREE", u"actLeftPaneCollapse", u""},
    {u"actLeftPaneExpand", u"TREE", u"actLeftPaneExpand", u""},
    {u"actProjectEdit", u"PROJECT", u"Project configuration", u""},
    {u"actShowNormalLog", u"POPUP", u"Show original log", u""},
    {u"actArduinoOpenTerminal", u"ARDUINO", u"Open Terminal - unassigned", u""},
    {u"actArduinoHelp", u"HELP", u"Arduino - reference", u""},
    {u"actTemplateSave", u"TEMPLATES", u"Save", u""},
    {u"actFillFunctionList", u"PROJECT", u"Update Function List", u""},
    {u"actSelectFunctionsTAB", u"HOTKEYS", u"actSelectFunctionsTAB", u"F8"},
    {u"actFileOpenMostRecent", u"FILE", u"Open Most Recent File", u""},
};
const int MainActionCount = static_cast<int>(std::size(MainActionRows));

TfrmDM::TfrmDM(TComponent* AOwner) : TComponent(AOwner) {
    SetName(u"frmDM");
    imglstBookmarks = MakeImageList(this, u"imglstBookmarks", 16);
    imglst1 = MakeImageList(this, u"imglst1", 16);
    imglstMenu = MakeImageList(this, u"imglstMenu", 24);
    imglstTree = MakeImageList(this, u"imglstTree", 16);
    DrawTreeImages(imglstTree);
}

TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmMain");
        SetCaption(u"Morvane - Arduino front-end");
        SetPosition(poScreenCenter);
        SetClientWidth(1111);
        SetClientHeight(708);
        SetKeyPreview(true);

        tlbr1 = Make<TToolBar>(this, this, u"tlbr1", alTop);
        tlbr1->SetHeight(36);
        pnlInfo = Make<TPanel>(this, this, u"pnlInfo", alBottom);
        pnlInfo->SetHeight(25);
        pnlInfo->SetCaption(u"");
        pnl2 = Make<TPanel>(this, this, u"pnl2", alRight);
        pnl2->SetWidth(23);
        pnl2->SetCaption(u"");
        pnlLeft = Make<TPanel>(this, this, u"pnlLeft", alLeft);
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

        tlbSketchTree = Make<TToolBar>(this, pnlLeft, u"tlbSketchTree", alTop);
        pgLeftPane = Make<TPageControl>(this, pnlLeft, u"pgLeftPane", alClient);
        pgLeftPane->SetTabPosition(tpLeft);
        tsSketches = MakeTab(this, pgLeftPane, u"tsSketches", u"Sketches");
        tsExamples = MakeTab(this, pgLeftPane, u"tsExamples", u"Examples");
        tsLibraries = MakeTab(this, pgLeftPane, u"tsLibraries", u"Libraries");
        tsConfigs = MakeTab(this, pgLeftPane, u"tsConfigs", u"Recent");
        tsTemplates = MakeTab(this, pgLeftPane, u"tsTemplates", u"Templates");
        tsFunctionList = MakeTab(this, pgLeftPane, u"tsFunctionList", u"Functions");
        tsTerminals = MakeTab(this, pgLeftPane, u"tsTerminals", u"Terminals");
        vstSketches = Make<TLeanStringTree>(this, tsSketches, u"vstSketches", alClient);
        vstExamples = Make<TLeanStringTree>(this, tsExamples, u"vstExamples", alClient);
        vtreeLibraries = Make<TLeanStringTree>(this, tsLibraries, u"vtreeLibraries", alClient);
        lstTerminals = Make<TListBox>(this, tsTerminals, u"lstTerminals", alClient);
        int Top = 4;
        for (auto [Box, Name, Caption] :
             {std::tuple{&chkConst, u"chkConst", u"Constants"}, std::tuple{&chkDef, u"chkDef", u"Defines"},
              std::tuple{&chkF, u"chkF", u"Functions"}, std::tuple{&chkOther, u"chkOther", u"Other"},
              std::tuple{&chkVars, u"chkVars", u"Variables"}}) {
            *Box = Make<TCheckBox>(this, tsFunctionList, Name, alNone);
            (*Box)->SetBounds(4, Top, 120, 20);
            (*Box)->SetCaption(Caption);
            Top += 22;
        }

        pgEdit = Make<TPageControl>(this, this, u"pgEdit", alClient);
        pgEdit->SetMultiLine(true);
        // Owner drawing of the tabs (with their close buttons) comes with the editor tabs; until
        // then the tabs draw their captions themselves.
        pgEdit->SetOwnerDraw(false);
        pgEdit->SetRaggedRight(true);
        pgEdit->SetShowHint(true);
        tsArduino = MakeTab(this, pgEdit, u"tsArduino", u"Arduino");

        tmrLogoMover = new TTimer(this);
        tmrLogoMover->SetName(u"tmrLogoMover");
        tmrLogoMover->SetEnabled(false);
        AddFormSettings(this, appIniStor, fs1, TPlacementOptions{},
                        {u"chkConst.Checked", u"chkDef.Checked", u"chkF.Checked", u"chkOther.Checked",
                         u"chkVars.Checked", u"tmrLogoMover.Interval"});

        actnlst1 = new TActionList(this);
        actnlst1->SetName(u"actnlst1");
        for (const TMainActionRow& Row : MainActionRows) {
            TAction* A = new TAction(this);
            A->SetName(Row.Name);
            A->SetCategory(Row.Category);
            A->SetCaption(Row.Caption);
            if (*Row.ShortCut) A->SetShortCut(TextToShortCut(Row.ShortCut));
            A->SetActionList(actnlst1);
            // An action whose work has not arrived yet stays disabled.
            A->SetEnabled(false);
        }
        ConnectActions();
        SetUpTrees();

        pgLeftPane->OnChange = [this](TObject* Sender) { pgLeftPaneChange(Sender); };
        OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
        OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    });
}

void TfrmMain::FormCreate(TObject*) {
    pgEdit->SetTabWidth(150);
    fs1->SetAppStoragePath(IncludeTrailingPathDelimiter(ProgramFolder()));
    appIniStor->SetFileName(ChangeFileExt(ProgramFile(), u".sto"));
    pgLeftPane->SetActivePage(tsSketches);
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
    Connect(u"actLeftPaneCollapse", [this] { CollapseLeftPane(); });
    Connect(u"actLeftPaneExpand", [this] { ExpandLeftPane(); });
}

void TfrmMain::FormActivate(TObject* Sender) {
    pgLeftPaneChange(Sender);
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
        default:
            break;
        }
    }
    tlbSketchTree->SetVisible(Index < 4);
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
}

void TfrmMain::ExpandLeftPane() {
    pnlLeft->SetWidth(PnlLeftWidth);
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
