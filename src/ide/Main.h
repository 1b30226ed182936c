#pragma once
// Morvane's main window, the data module of shared components, and the forms the entry point
// creates whose own contents come later (shells with their class name, name and caption).

#include "ide/CompilationProgressLog.h"
#include "ide/DirIter.h"
#include "ide/Editor.h"
#include "ide/SearchDialogs.h"
#include "ide/MyObjects.h"

#include "tree/LeanStringTree.h"

#include "editor/HighlighterArduino.h"

#include "settings/KitAppIniStorage.h"
#include "settings/KitFormStorage.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class TfrmOptions;
class TfrmEditor;
class TdaDataInspector;
class TfrmTerm;
class TfrmHelpArduinos;
class TChildProcess;
class TAction;
class TActionList;
class TKitAppEvents;
class TMainMenu;
class TPopupMenu;
class TScreenTipsManager;
class TToolButton;
class TOpenDialog;

// The main window's actions in the order of its action list.
struct TMainActionRow {
    const char16_t* Name;
    const char16_t* Category;
    const char16_t* Caption;
    const char16_t* ShortCut; // as text, "" for none
    int ImageIndex;           // into imglstMenu, -1 for none
    const char16_t* Tip;      // the screen tip's description, lines separated by "\n"
};
extern const TMainActionRow MainActionRows[];
extern const int MainActionCount;
// The main menu: each top item's caption and its items' actions ("-" a separator).
struct TMainMenuRow {
    const char16_t* Caption;
    std::vector<const char16_t*> Actions;
};
extern const TMainMenuRow MainMenuRows[];
extern const int MainMenuCount;
// The buttons of the main and the tree tool bar in their order ("-" a separator).
extern const std::vector<const char16_t*> MainToolBarActions;
extern const std::vector<const char16_t*> TreeToolBarActions;

// Shared components every form refers to by name; it holds no code.
class TfrmDM : public TComponent {
    DECLARE_CLASS(TfrmDM, TComponent)
public:
    explicit TfrmDM(TComponent* AOwner);

    TImageList* imglstBookmarks = nullptr;
    TImageList* imglst1 = nullptr;
    TImageList* imglstMenu = nullptr;
    TImageList* imglstTree = nullptr;
    TCodeCppHighlighter* CodeHiLitC = nullptr;
    // Every editor tab colours its text with this one.
    TCodeArduHighlighter* codeArduino = nullptr;
};

class TfrmMain : public TForm {
    DECLARE_CLASS(TfrmMain, TForm)
public:
    explicit TfrmMain(TComponent* AOwner);

    TToolBar* tlbr1 = nullptr;
    TPanel* pnlLeft = nullptr;
    TToolBar* tlbSketchTree = nullptr;
    TPageControl* pgLeftPane = nullptr;
    TTabSheet* tsSketches = nullptr;
    TTabSheet* tsExamples = nullptr;
    TTabSheet* tsLibraries = nullptr;
    TTabSheet* tsConfigs = nullptr;
    TTabSheet* tsTemplates = nullptr;
    TTabSheet* tsFunctionList = nullptr;
    TTabSheet* tsTerminals = nullptr;
    TLeanStringTree* vstSketches = nullptr;
    TLeanStringTree* vstExamples = nullptr;
    TLeanStringTree* vtreeLibraries = nullptr;
    TListBox* lstTerminals = nullptr;
    TCheckBox* chkConst = nullptr;
    TCheckBox* chkDef = nullptr;
    TCheckBox* chkF = nullptr;
    TCheckBox* chkOther = nullptr;
    TCheckBox* chkVars = nullptr;
    TSplitter* spltr1 = nullptr;
    TPageControl* pgEdit = nullptr;
    TTabSheet* tsArduino = nullptr;
    TPanel* pnl2 = nullptr;
    TToolBar* tlbrRight = nullptr;
    TPanel* pnlInfo = nullptr;
    TTimer* tmrLogoMover = nullptr;
    TKitAppIniFileStorage* appIniStor = nullptr;
    TKitFormStorage* fs1 = nullptr;
    TActionList* actnlst1 = nullptr;
    TMainMenu* mnu1 = nullptr;
    TToolButton* btn14 = nullptr;
    TKitAppEvents* KitAppEvents1 = nullptr;
    TScreenTipsManager* stmScreenTips = nullptr;

    TAction* Action(const String& Name) const;

    // The tree of the active left tab; none for the tabs without one.
    TLeanStringTree* ActiveLeftTree() const;
    static String NameAfterBackslash(const String& Path);
    static bool InRange(int Value, int Low, int High) { return Low <= Value && Value <= High; }
    void CollapseLeftPane();
    void ExpandLeftPane();
    int PnlLeftWidth = 0;
    // Asks every editor tab in order whether it may close; the first refusal ends the round.
    bool CanCloseAllEditors();
    // No hint over an editor control itself; the screen tip in place of an action's hint.
    void KitAppEvents1ShowHint(String& HintStr, bool& CanShow, THintInfo& HintInfo);
    // The closing steps that run while the window is being destroyed.
    void CloseEmbeddedIde();
    void FreeTerminalRecords();
    // -- The "Arduino" page: the wandering logo and the embedded Arduino IDE (ArduinoIde.cpp) --
    TToolBar* tlb2 = nullptr;
    TProgressBar* pbMeter = nullptr;
    TShape* shp1 = nullptr;
    TImage* imgLogo = nullptr;
    // The Arduino IDE's main window on the display: the class of its frame.
    static constexpr const char16_t* ArduinoIdeWindowClass = u"processing-app-Base";
    // The web page of the Arduino language reference.
    String ArduinoReferenceAddress = u"https://www.arduino.cc/en/Reference/HomePage";
    // How long the IDE's window is looked for: rounds, each followed by a pause.
    int ArduinoSearchRounds = 50;
    int ArduinoSearchPause = 200;
    // At the end, how long the started IDEs get to close themselves (milliseconds).
    int ArduinoCloseGrace = 5000;
    TTimer* tmrEmbeddedIdeFit = nullptr;
    // Gives the embedded IDE's window the page's size when it has another.
    void FitEmbeddedIde();
    unsigned ExternalArduinoHandle() const { return FExternalArduinoHandle; }
    // Centres the logo at its own size, or stretches it over a page smaller than it.
    void PlaceLogo();
    void LogoTick();
    // Starts the Arduino IDE and takes its window into the "Arduino" page.
    void EmbedArduinoIde();
    void OpenArduinoReference();
    // Sends the embedded IDE its verify key.
    void TestEmbeddedIde();

    // A new sketch through the new-project dialog; opened in a tab when the dialog made it.
    void NewProject();
    // The same with the files of the sketch whose main file is SourceProjectName copied.
    void CopyProject(const String& SourceProjectName) { CopyProject(SourceProjectName, true); }
    void CopyProject(const String& SourceProjectName, bool Copying);

    // The datasheet viewer, made on first use (when its index can be read) and kept.
    TfrmHelpArduinos* frmHelpArduinos = nullptr;
    void ShowDatasheets();

    // The local help pages in the desktop's browser; a missing page is the browser's to report.
    void OpenLocalHelp();
    // Any file in a tab of its own, read without decoding.
    TOpenDialog* dlgOpen = nullptr;
    void OpenAnyFile();
    // Project files are only looked for: an empty name asks for one, a missing one raises
    // "Project file not found:".
    TOpenDialog* dlgOpenProject = nullptr;
    void LoadProjectFile(const String& FileName);
    // Shows the options modally; a changed projects folder rescans the sketches.
    void ShowOptions();
    // True when the folder is set and exists; otherwise the warning, the options, and false.
    bool CheckArduinoPath();
    bool CheckProjectsPath();

    void pgLeftPaneChange(TObject* Sender);

    // -- The sketch, example and library trees (Trees.cpp) --
    tDirIterator* diriterSketches = nullptr;
    tDirIterator* diriterExamples = nullptr;
    tDirIterator* diriterExamplesLib = nullptr;
    // The current folder node while a tree is being filled.
    PLeanNode LastSketchNode = nullptr;
    void LoadSketchesTree();
    void LoadExamplesTree();
    void LoadLibrariesTree();
    void AddFolderNode(TBaseLeanTree* Tree, const String& Path, const String& RelPath, int Level);
    void AddFileNode(TBaseLeanTree* Tree, const String& Path, const String& FileName, int Level);
    // Marks every folder of the tree; a source file that cannot be read is reported once the
    // whole tree is marked.
    void MarkSketchFolders(TBaseLeanTree* Tree);
    static bool FileHasLoop(const String& FileName);
    void OpenFolderFiles(TBaseLeanTree* Tree, tTabKind TabKind);
    PLeanNode FindTreeNode(TBaseLeanTree* Tree, const String& Caption, const String& Path);
    // What a double click on the tree's focused node does.
    void TreeDblClick(TLeanStringTree* Tree);
    // The packaged libraries: the Arduino folder's "libraries", or the AVR platform's.
    String LibrariesFolder() const;
    // Operations of later work: shells that do nothing until it arrives.
    virtual TfrmEditor* OpenFileInTab(const String& FileName, tNodeType NodeType, tTabKind TabKind,
                                      bool SimpleCoding);
    virtual void EditProjectConfig(tTreeClass* Item);
    virtual void ShowProjectInfo(PLeanNode Node, tTreeClass* Item);

    // -- Project configuration (ProjectInfo.cpp) --
    // Reads the configuration of the sketch FileName belongs to ("Morvane.prj" in its folder),
    // else the default one beside the program, which is made when it is missing too.
    void ReadProjectInfo(const String& FileName, tProjectInfoRec& Info);
    static bool ParseConfigLine(const String& Line, const String& Key, String& Value);
    static String DefaultConfigName();
    // The lines of a configuration file, whatever code page it was written in.
    static void LoadConfigFile(const String& FileName, TStrings* Lines);
    // The record of the folder node's "Morvane.prj" child; none when it has none.
    tTreeClass* FindConfigChild(PLeanNode Node);
    void AddProjectConfigNode(const String& FolderPath, const String& FolderName);
    // The "Project configuration" action: the dialog for the sketch of the focused node.
    void EditFocusedProjectConfig();
    // The selected sketch's configuration, shown under the Sketches tree.
    TdaDataInspector* inspProject = nullptr;
    void SetInspectorText(const String& TagString, const String& Text);

    // -- Verify and upload through the Arduino builder (ArduinoBuild.cpp) --
    // How a run of the builder ended.
    struct TBuilderRun {
        bool Started = false;
        bool TimedOut = false;
        // The user stopped it (the action again while it ran).
        bool Stopped = false;
        int ExitCode = -1;
        // What it started may outlive it.
        std::shared_ptr<TChildProcess> Process;
    };
    TPopupMenu* popErrors = nullptr;
    // How long a run may take before the builder is stopped, in milliseconds: a cold build on
    // a slow machine takes minutes.
    int BuilderTimeLimit = 10 * 60 * 1000;
    void ArduinoVerify() { RunArduinoAction(u"verify"); }
    void ArduinoUpload() { RunArduinoAction(u"upload"); }
    void RunArduinoAction(const String& Action);
    // Runs the batch file until the builder has ended, keeping the window responsive; past the
    // time limit the builder and everything it started are stopped.
    TBuilderRun RunBatchAndWait(const String& BatchFile);
    void ShowCompileErrors(TStrings* Log, TListBox* ListBox);
    void ErrorListDblClick(TListBox* ListBox);
    // The whole normal log or error log in the active page's error list.
    void ShowOriginalLog(bool ErrorLog);
    // The builder: the Arduino folder's own program when it has one, else the one on the path.
    String BuilderProgram() const;
    String BatchFileName() const;
    String NormalLogName() const;
    String ErrorLogName() const;
    static bool IsBuilderProgressLine(const String& Line);
    bool BuildRunning() const { return FBuildRunning; }
    // Asks the running build to stop (the action pressed again asks the user first); the road
    // then ends the builder with all it started and says so in the error list.
    void StopBuild() { FStopRequested = FBuilderWaiting; }

    // A builder log as the road reads it: at most the first and the last BuilderLogKeptLines
    // lines, each cut after BuilderLogLineBytes bytes, with one line in between that says how
    // many were left out; bytes that are not valid UTF-8 become U+FFFD. A log of any size is read
    // in about the time the disk takes, in memory bounded by these numbers.
    struct TBuilderLog {
        bool Exists = false; // there is a file of that name
        int Error = 0;       // errno when it is there but could not be read to its end
        std::vector<String> Lines;
        long long LeftOut = 0; // lines between the first and the last ones kept
        bool Read() const { return Exists && Error == 0; }
    };
    static constexpr int BuilderLogKeptLines = 2000;
    static constexpr int BuilderLogLineBytes = 2048;
    // Skip: lines (raw bytes, without their line break) that are neither kept nor counted.
    // Idle: called every 50 ms or so while the file is read, to keep the window responsive.
    static TBuilderLog ReadBuilderLog(const String& FileName,
                                      const std::function<bool(std::string_view)>& Skip = {},
                                      const std::function<void()>& Idle = {});
    // Every line of FileName as raw bytes (CR, LF and CR LF end a line), a longer line cut
    // after BuilderLogLineBytes bytes at a character's start (Long tells); false with Error set
    // (ENOENT when there is no such file) when it could not be read to its end.
    static bool ForEachLogLine(const String& FileName, int& Error,
                               const std::function<void(std::string_view Line, bool Long)>& Line,
                               const std::function<void()>& Idle = {});

    // -- Terminals (IdeTerminals.cpp) --
    // Shows the terminal of FileName, made on the first request, or a new unassigned one for
    // an empty name, with the port and baud rate of the active file's configuration, its port
    // opened.
    void OpenTerminal(const String& FileName);
    // The entry of the terminal opened for ProjectName, given bare or in double quotes; -1 when
    // there is none.
    int FindTerminalByProject(const String& ProjectName) const;
    int FindTerminalByNr(int Nr) const;
    // The smallest number that no terminal has.
    int FreeTerminalNr() const;
    tTerminalClass* TerminalRecord(int Index) const;
    void lstTerminalsClick();
    // A run of the builder holds the port of the file's terminal closed until the run and
    // everything it started have ended; then the port opens again when it was open before.
    void HoldTerminalPort(TfrmTerm* Terminal);
    void ReleaseTerminalPort(TfrmTerm* Terminal, const std::shared_ptr<TChildProcess>& Builder);
    void WndProc(TMessage& Message) override;

    // -- The editor tabs (EditorTabs.cpp) --
    String ActiveFileName() const;
    TfrmEditor* ActiveEditorForm() const;
    static TfrmEditor* EditorOfTab(TTabSheet* Page);
    static TfrmEditor* EditorFormOfTab(TTabSheet* Page) { return EditorOfTab(Page); }
    TfrmEditor* ActiveTabEditorForm() const;
    static TListBox* ErrorListOfTab(TTabSheet* Page);
    TListBox* ActiveErrorList() const;
    TProgressBar* ActiveProgressBar() const;
    bool QuerySaveEditor(TfrmEditor* Form);
    void SaveActiveFile();
    // The "Close" action: the active page goes after the save question.
    void CloseActiveTab();
    void LoadNewSketchText(TfrmEditor* Form);
    void pgEditDrawTab(int TabIndex, const TRect& R, bool Active);
    void pgEditMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void pgEditMouseMove(TShiftState Shift, int X, int Y);
    void pgEditMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void pgEditDragDrop(int X, int Y);
    const std::vector<TRect>& CloseButtonsRects() const { return FCloseButtonsRectArray; }

    // -- Recent files (RecentFiles.cpp) --
    TListBox* lstRecentFiles = nullptr;
    TPanel* pnlRecentInfo = nullptr;
    TLabel* lblMruCaption = nullptr;
    TEdit* edtRecentInfo = nullptr;
    TLabel* lblModified = nullptr;
    static constexpr int MaxRecentFiles = 5;
    String RecentFilesName() const;
    // Entries that do not read are skipped and named in one message; a file that cannot be read
    // at all is reported and left as it was at exit.
    void LoadRecentFiles();
    void SaveRecentFiles();
    bool FRecentFilesUnreadable = false;
    void FreeRecentRecords();
    void AddRecentFile(const String& FileName, tNodeType NodeType, tTabKind TabKind, bool SimpleCoding);
    void lstRecentFilesClick();
    void OpenRecentEntry(int Index);

    // -- Templates (Templates.cpp) --
    TToolBar* tlbrTemplates = nullptr;
    TListBox* lstTemplates = nullptr;
    TSplitter* splTemplates = nullptr;
    TCodeEdit* codeedtTemplate = nullptr;
    // The heads' texts in file order; each entry of the list holds its 1-based number here.
    std::vector<String> TemplateHeads;
    String TemplatesName() const;
    void LoadTemplates();
    void ShowTemplateText();
    void InsertTemplate();

    // -- The function list (FunctionList.cpp) --
    TToolBar* tlbrFunctions = nullptr;
    TLeanStringTree* vstFunctionList = nullptr;
    tSearchTypes FunctionListTypes() const;
    void RefreshFunctionList();
    void JumpToFunction();

private:
    bool FBuildRunning = false;
    bool FStopRequested = false;
    bool FBuilderWaiting = false; // the builder of the running build has not ended yet
    int FLoads[3] = {};
    // The private state the later parts of the window use.
    std::vector<TRect> FCloseButtonsRectArray;
    int FCloseButtonMouseDownIndex = -1;
    bool FCloseButtonShowPushed = false;
    unsigned FExternalArduinoHandle = 0;
    // The Arduino IDEs started here; they run until their windows close or the program ends.
    std::vector<std::shared_ptr<TChildProcess>> FArduinoIdes;
    void SetUpArduinoPage();
    int LogoWidth = 0;
    int LogoHeight = 0;
    int LogoXDirection = 1;
    int LogoYDirection = 1;

    void SetUpTrees();
    void SetUpEditorTabs();
    void SetUpRecentFiles();
    void SetUpTemplates();
    void SetUpFunctionList();
    void SetUpProjectConfig();
    void SetUpTerminals();
    void ConnectEditorActions();
    void SetUpTree(TLeanStringTree* Tree, tDirIterator*& Iterator, const String& IteratorName);
    void FillTree(TLeanStringTree* Tree, tDirIterator* Iterator, const String& Folder, bool Mark);
    void TreeFocusChanged(TLeanStringTree* Tree, PLeanNode Node);
    void OpenWithProgram(const String& FileName);
    void FormCreate(TObject* Sender);
    void CreateActions();
    void CreateMenuAndToolBars();
    // A button per action name on the bar; "-" makes a separator.
    void FillToolBar(TToolBar* Bar, const std::vector<const char16_t*>& Names);
    void ConnectActions();
    void FormActivate(TObject* Sender);
    void FormResize(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormDestroy(TObject* Sender);
    bool CheckFolder(const String& Folder, const String& Message);
};

// Forms that come with later work: each exists from start-up with its class name, name and
// caption.
#define MORVANE_SHELL_FORM(Class, FormName, FormCaption)                                                     \
    class Class : public TForm {                                                                             \
        DECLARE_CLASS(Class, TForm)                                                                          \
    public:                                                                                                  \
        explicit Class(TComponent* AOwner) : TForm(AOwner) {                                                 \
            BuildForm([this] {                                                                               \
                SetName(FormName);                                                                           \
                SetCaption(FormCaption);                                                                     \
            });                                                                                              \
        }                                                                                                    \
    };
MORVANE_SHELL_FORM(TTestPrintPreviewDlg, u"TestPrintPreviewDlg", u"Print preview")
MORVANE_SHELL_FORM(TPageSetupDlg, u"PageSetupDlg", u"Page setup")
#undef MORVANE_SHELL_FORM

extern TfrmDM* frmDM;
extern TfrmMain* frmMain;
extern TfrmOptions* frmOptions;
extern TfrmEditor* frmEditor;
extern TConfirmReplaceDialog* ConfirmReplaceDialog;
extern TTestPrintPreviewDlg* TestPrintPreviewDlg;
extern TPageSetupDlg* PageSetupDlg;
extern TfrmCompilationProgressLog* frmCompilationProgressLog;

// The entry point's work: the forms in their order, then the message loop.
void RunMorvane();
