// The sketch, example and library trees of the main window: filled from a sketchbook in the
// test's own folder and from Debian's Arduino folder (read only), sketch folders marked, what a
// double click opens, and a source file that cannot be read while the folders are marked.

#include "ide/Main.h"
#include "ide/Options.h"
#include "ide/Trees.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Questions.h"

#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const ArduinoFolder = "/usr/share/arduino";
const char* const WithLoop = "void setup() {}\nvoid loop() {}\n";
const char* const WithoutLoop = "void setup() {}\n";

// A main window whose later operations record how they were called.
class TRecordingMain : public TfrmMain {
public:
    using TfrmMain::TfrmMain;
    struct TOpened {
        String FileName;
        tNodeType NodeType;
        tTabKind TabKind;
    };
    std::vector<TOpened> Opened;
    std::vector<String> Configs;
    std::vector<String> Infos;
    // One editor per opened file; each keeps the file list it was given.
    struct TEditor : TfrmEditor {
        using TfrmEditor::TfrmEditor;
        std::vector<String> Names, Paths;
        bool Collapsed = false;
        void FillFileList(TStrings* N, TStrings* P) override {
            for (int I = 0; I < N->Count(); ++I) {
                Names.push_back(N->Strings(I));
                Paths.push_back(P->Strings(I));
            }
        }
        void CollapseFileList() override { Collapsed = true; }
    };
    std::vector<std::unique_ptr<TEditor>> Editors;

    TfrmEditor* OpenFileInTab(const String& FileName, tNodeType NodeType, tTabKind TabKind, bool) override {
        Opened.push_back({FileName, NodeType, TabKind});
        Editors.push_back(std::make_unique<TEditor>(nullptr));
        return Editors.back().get();
    }
    void EditProjectConfig(tTreeClass* Item) override { Configs.push_back(Item->FullPath()); }
    void ShowProjectInfo(PLeanNode, tTreeClass* Item) override {
        Infos.push_back(Item ? Item->Caption() : String(u"(none)"));
    }
};

struct TreesTest : ::testing::Test {
    TTempFolder Temp;
    TTestProgramFolder Program{Temp.Path()};
    std::unique_ptr<TfrmDM> DM;
    std::unique_ptr<TRecordingMain> Main;
    std::unique_ptr<TfrmOptions> Options;

    std::string Book = "sketchbook";
    String Sketches() const { return Temp / Book; }
    String Put(const std::string& RelPath, const std::string& Text) {
        const String File = Temp / (Book + "/" + RelPath);
        ForceDirectories(ExtractFileDir(File));
        WriteBytes(StringToUtf8(File), Text);
        return File;
    }
    void Start() {
        // Every editor frame reads the templates beside the program.
        WriteBytes(StringToUtf8(Program / "test_ide.templates"), "[x]\n");
        DM = std::make_unique<TfrmDM>(nullptr);
        frmDM = DM.get();
        Main = std::make_unique<TRecordingMain>(nullptr);
        Options = std::make_unique<TfrmOptions>(nullptr);
        frmMain = Main.get();
        frmOptions = Options.get();
        ForceDirectories(Sketches());
        Options->edPathToProjects->SetText(Sketches());
        Options->edPathToArduino->SetText(Utf8ToString(ArduinoFolder));
    }
    void TearDown() override {
        Options.reset();
        Main.reset();
        DM.reset();
        frmMain = nullptr;
        frmOptions = nullptr;
        frmDM = nullptr;
    }
    static PLeanNode NodeOf(TBaseLeanTree* Tree, const String& FullPath) {
        for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node))
            if (TreeRecord(Tree, Node)->FullPath() == FullPath) return Node;
        return nullptr;
    }
    static std::vector<std::string> TopCaptions(TBaseLeanTree* Tree) {
        std::vector<std::string> Captions;
        for (PLeanNode Node = Tree->GetFirstChild(nullptr); Node; Node = Tree->GetNextSibling(Node))
            Captions.push_back(U8(TreeRecord(Tree, Node)->Caption()));
        return Captions;
    }
    static int ImageOf(TBaseLeanTree* Tree, PLeanNode Node) {
        bool Ghosted = false;
        int Index = -1;
        Tree->OnGetImageIndex(Tree, Node, ikNormal, 0, Ghosted, Index);
        return Index;
    }
    // Every node carries its record and no update is left open.
    static void ExpectConsistent(TBaseLeanTree* Tree) {
        EXPECT_EQ(Tree->UpdateCount(), 0u);
        for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node))
            EXPECT_NE(TreeRecord(Tree, Node), nullptr);
    }
    void DoubleClick(TLeanStringTree* Tree, PLeanNode Node) {
        for (PLeanNode P = Node->Parent; P && P != Tree->RootNode(); P = P->Parent)
            Tree->SetExpanded(P, true);
        Tree->ScrollIntoView(Node, false);
        ProcessMessages();
        const TRect R = Tree->GetDisplayRect(Node, ColumnNone, true);
        DoubleClickMessages(Tree, TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
        ProcessMessages();
    }
};

} // namespace

TEST_F(TreesTest, SketchbookFillsSortedWithSketchFoldersMarked) {
    Put("Blink/Blink.ino", WithLoop);
    Put("Docs/notes.txt", "notes\n");
    Put("mixed/a.ino", WithoutLoop); // the first source file decides; b.ino is not read
    Put("mixed/b.ino", "VOID LOOP(){}\n");
    Put("Cased/Cased.pde", "  VoId LoOp() {}\n");
    Put("Latin/Latin.ino", "// Gr\xfc\xdf aus M\xfcnchen\nvoid loop() {}\n"); // not UTF-8: read as it is
    Put("Lib/examples/Demo/Demo.ino", WithLoop);
    Put("Lib/keywords.txt", "k\n");
    Put("Lib/src/Lib.cpp", "int x;\n");
    Put("Proj/Proj.prj", "[x]\n");
    Put("Proj/manual.pdf", "%PDF\n");
    Put("Proj/lib.h", "\n");
    Put("Proj/old.dll", "");
    Put("Proj/out.hex", "");
    Put("top.txt", "top\n");
    Start();
    Main->LoadSketchesTree();
    TLeanStringTree* Tree = Main->vstSketches;
    ExpectConsistent(Tree);
    EXPECT_EQ(Main->LastSketchNode, nullptr);
    EXPECT_EQ(TopCaptions(Tree), (std::vector<std::string>{"Blink", "Cased", "Docs", "Latin", "Lib", "mixed",
                                                           "Proj", "top.txt"}));

    struct TCase {
        const char* Path;
        tNodeType Type;
        const char* Parent; // caption of the parent node, "" for the top level
        int Image;
        TColor Color;
    } const Cases[] = {
        {"Blink", ntRoot, "", tiSketchFolder, TColor(0x008000)},
        {"Blink/Blink.ino", ntFileSrc, "Blink", tiSource, TColor(0x0037B7)},
        {"Docs", ntDir, "", tiFolder, TColor(0x01AEE0)},
        {"Docs/notes.txt", ntFileTxt, "Docs", -1, clWindowText},
        {"mixed", ntRoot, "", tiSketchFolder, TColor(0x008000)},
        {"mixed/a.ino", ntFileSrcWithoutLoop, "mixed", tiSourceWithoutLoop, TColor(0x0037B7)},
        {"mixed/b.ino", ntFileSrc, "mixed", tiSource, TColor(0x0037B7)},
        {"Cased/Cased.pde", ntFileSrc, "Cased", tiSource, TColor(0x0037B7)},
        {"Latin/Latin.ino", ntFileSrc, "Latin", tiSource, TColor(0x0037B7)},
        {"Lib", ntDir, "", tiFolder, TColor(0x01AEE0)},
        {"Lib/examples", ntDir, "Lib", tiFolder, TColor(0x01AEE0)},
        {"Lib/examples/Demo", ntRoot, "examples", tiSketchFolder, TColor(0x008000)},
        {"Lib/keywords.txt", ntFileTxt, "Lib", -1, clWindowText},
        {"Lib/src", ntRoot, "Lib", tiSketchFolder, TColor(0x008000)},
        {"Lib/src/Lib.cpp", ntFileSrcWithoutLoop, "src", tiSourceWithoutLoop, TColor(0x0037B7)},
        {"Proj", ntDir, "", tiFolder, TColor(0x01AEE0)},
        {"Proj/Proj.prj", ntProjectConfig, "Proj", tiProjectConfig, TColor(0xC0C0C0)},
        {"Proj/manual.pdf", ntFileDoc, "Proj", tiDocument, clWindowText},
        {"Proj/lib.h", ntFileHeader, "Proj", tiHeader, clWindowText},
        {"Proj/old.dll", ntFileDll, "Proj", tiDll, clWindowText},
        {"Proj/out.hex", ntUnknown, "Proj", -1, clWindowText},
        {"top.txt", ntFileTxt, "", -1, clWindowText},
    };
    TBitmap Cell;
    Cell.SetSize(8, 8);
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Path);
        PLeanNode Node = NodeOf(Tree, Sketches() + u"/" + Utf8ToString(C.Path));
        ASSERT_NE(Node, nullptr);
        tTreeClass* Item = TreeRecord(Tree, Node);
        EXPECT_EQ(Item->NodeType(), C.Type);
        EXPECT_EQ(U8(Item->Caption()), U8(ExtractFileName(Utf8ToString(C.Path))));
        EXPECT_EQ(U8(Tree->NodeText(Node, 0)), U8(Item->Caption()));
        PLeanNode Parent = Node->Parent == Tree->RootNode() ? nullptr : Node->Parent;
        EXPECT_EQ(Parent ? U8(TreeRecord(Tree, Parent)->Caption()) : "", C.Parent);
        EXPECT_EQ(ImageOf(Tree, Node), C.Image);
        Cell.Canvas()->Font()->SetColor(clWindowText);
        Cell.Canvas()->Font()->SetStyle({});
        Tree->OnPaintText(Tree, Cell.Canvas(), Node, 0, ttNormal);
        EXPECT_EQ(Cell.Canvas()->Font()->Color(), C.Color);
        EXPECT_EQ(Cell.Canvas()->Font()->Style().Contains(fsItalic), C.Type == ntProjectConfig);
    }
    EXPECT_EQ(Main->FindTreeNode(Tree, u"Blink.ino", Sketches() + u"/Blink/Blink.ino"),
              NodeOf(Tree, Sketches() + u"/Blink/Blink.ino"));
    EXPECT_EQ(Main->FindTreeNode(Tree, u"Blink", Sketches() + u"/Blink/"),
              NodeOf(Tree, Sketches() + u"/Blink"));
    EXPECT_EQ(Main->FindTreeNode(Tree, u"blink", Sketches() + u"/Blink"), nullptr);

    // A refill starts from an empty tree: nothing twice, every old record freed.
    Put("Zeta/Zeta.ino", WithLoop);
    const Cardinal Before = Tree->TotalCount();
    Main->LoadSketchesTree();
    EXPECT_EQ(Tree->TotalCount(), Before + 2);
    ExpectConsistent(Tree);

    // The selection of the sketches is white; a selected plain file keeps dark, readable text.
    Main->Show();
    ProcessMessages();
    Tree->SetFocus();
    PLeanNode Top = NodeOf(Tree, Sketches() + u"/top.txt");
    Tree->SetFocusedNode(Top);
    Tree->SetNodeSelected(Top, true);
    ProcessMessages();
    ASSERT_TRUE(Tree->Focused());
    auto Picture = GrabControl(Tree);
    // Inside the dotted focus frame, only the caption's own pixels can be dark.
    const TRect Text = Tree->GetDisplayRect(Top, 0, true);
    int Dark = 0;
    for (int Y = Text.Top + 2; Y < Text.Bottom - 2; ++Y)
        for (int X = Text.Left + 2; X < Text.Right - 2; ++X) {
            const TColor P = Picture->Canvas()->Pixels(X, Y);
            if (GetRValue(P) + GetGValue(P) + GetBValue(P) < 3 * 100) ++Dark;
        }
    EXPECT_GT(Dark, 10) << "the selected caption is not drawn in a dark colour";
    GrabToPng(Picture.get(), Temp, "sketches-selected.png");
}

TEST_F(TreesTest, ExamplesAndLibrariesFillFromTheArduinoFolderOnce) {
    Start();
    Main->Show();
    ProcessMessages();
    Main->pgLeftPane->SetActivePage(Main->tsExamples);
    Main->pgLeftPaneChange(Main.get());
    TLeanStringTree* Examples = Main->vstExamples;
    ExpectConsistent(Examples);
    EXPECT_EQ(TopCaptions(Examples),
              (std::vector<std::string>{"01.Basics", "02.Digital", "03.Analog", "04.Communication",
                                        "05.Control", "06.Sensors", "07.Display", "08.Strings", "09.USB",
                                        "10.StarterKit_BasicKit", "11.ArduinoISP"}));
    const String Basics = Utf8ToString(ArduinoFolder) + u"/examples/01.Basics";
    struct TCase {
        TLeanStringTree* Tree;
        String Path;
        tNodeType Type;
        int Image;
    } const Cases[] = {
        {Examples, Basics, ntRoot, tiExamplesRoot},
        // These trees are not marked: a sketch folder stays a plain folder.
        {Examples, Basics + u"/Blink", ntDir, tiFolder},
        {Examples, Basics + u"/Blink/Blink.ino", ntFileSrc, tiSource},
    };
    for (const TCase& C : Cases) {
        PLeanNode Node = NodeOf(C.Tree, C.Path);
        ASSERT_NE(Node, nullptr) << U8(C.Path);
        EXPECT_EQ(TreeRecord(C.Tree, Node)->NodeType(), C.Type) << U8(C.Path);
        EXPECT_EQ(ImageOf(C.Tree, Node), C.Image) << U8(C.Path);
    }

    Main->pgLeftPane->SetActivePage(Main->tsLibraries);
    Main->pgLeftPaneChange(Main.get());
    TLeanStringTree* Libraries = Main->vtreeLibraries;
    ExpectConsistent(Libraries);
    const std::vector<std::string> Libs = TopCaptions(Libraries);
    ASSERT_FALSE(Libs.empty());
    EXPECT_NE(std::find(Libs.begin(), Libs.end(), "EEPROM"), Libs.end());
    // keywords.txt follows the examples folder in the listing, yet belongs to the library.
    PLeanNode EEPROM = Main->FindTreeNode(Libraries, u"EEPROM", Main->LibrariesFolder() + u"/EEPROM");
    ASSERT_NE(EEPROM, nullptr);
    EXPECT_EQ(ImageOf(Libraries, EEPROM), tiLibrariesRoot);
    PLeanNode Keywords =
        Main->FindTreeNode(Libraries, u"keywords.txt", Main->LibrariesFolder() + u"/EEPROM/keywords.txt");
    ASSERT_NE(Keywords, nullptr);
    EXPECT_EQ(Keywords->Parent, EEPROM);

    // Shown again, neither tree fills a second time.
    const Cardinal ExampleCount = Examples->TotalCount();
    const Cardinal LibraryCount = Libraries->TotalCount();
    for (TTabSheet* Tab : {Main->tsExamples, Main->tsSketches, Main->tsLibraries}) {
        Main->pgLeftPane->SetActivePage(Tab);
        Main->pgLeftPaneChange(Main.get());
    }
    EXPECT_EQ(Examples->TotalCount(), ExampleCount);
    EXPECT_EQ(Libraries->TotalCount(), LibraryCount);

    Main->pgLeftPane->SetActivePage(Main->tsExamples);
    Main->vstExamples->FullExpand(nullptr);
    Main->pgLeftPane->SetActivePage(Main->tsLibraries);
    Main->vtreeLibraries->FullExpand(Main->vtreeLibraries->GetFirst());
    ProcessMessages();
    auto Picture = GrabControl(Main.get());
    GrabToPng(Picture.get(), Temp, "main-libraries.png");
    Main->pgLeftPane->SetActivePage(Main->tsExamples);
    ProcessMessages();
    GrabToPng(GrabControl(Main.get()).get(), Temp, "main-examples.png");
}

TEST_F(TreesTest, MissingArduinoFolderWarnsAndLeavesTheTreesEmpty) {
    Start();
    Options->edPathToArduino->SetText(Temp / "no-arduino");
    TQuestionScript Script;
    Script.Answer(IDOK).Answer(mrCancel).Answer(IDOK).Answer(mrCancel);
    Main->LoadExamplesTree();
    Main->LoadLibrariesTree();
    ASSERT_EQ(Script.Asked().size(), 4u);
    EXPECT_EQ(Script.Asked()[0].Text,
              u"Arduino path is not defined or does not exists.\r\rUse Tools | Options to fix this.");
    EXPECT_EQ(Script.Asked()[1].Kind, qkShowModal);
    EXPECT_EQ(Main->vstExamples->TotalCount(), 0u);
    EXPECT_EQ(Main->vtreeLibraries->TotalCount(), 0u);
}

// A source file that goes while the walk runs (removed, or replaced by a folder) cannot be read
// when the folders are marked: the error shows once the whole tree is marked and its update is
// closed.
TEST_F(TreesTest, UnreadableSourceWhileMarkingLeavesTheTreeConsistent) {
    enum TFault { fRemoved, fFolder, fNoPermission };
    std::vector<TFault> Faults{fRemoved, fFolder};
    if (geteuid() != 0) Faults.push_back(fNoPermission); // root reads whatever the mode says
    for (TFault Fault : Faults) {
        SCOPED_TRACE(int(Fault));
        TearDown();
        Book = "sketchbook" + std::to_string(int(Fault));
        Put("Alpha/Alpha.ino", WithLoop);
        const String Broken = Put("Broken/Broken.ino", WithLoop);
        Put("Omega/Omega.ino", WithoutLoop);
        Put("Plain/readme.txt", "r\n");
        if (Fault == fNoPermission) chmod(StringToUtf8(Broken).c_str(), 0);
        Start();
        auto Walk = Main->diriterSketches->OnFileFoundExt;
        Main->diriterSketches->OnFileFoundExt = [&](const String& Path, const String& FileName,
                                                    const String& Rel, int Size, int Level, TDateTime Time,
                                                    bool& Stop) {
            Walk(Path, FileName, Rel, Size, Level, Time, Stop);
            if (FileName != u"Broken.ino" || Fault == fNoPermission) return;
            DeleteFile(Broken);
            if (Fault == fFolder) CreateDir(Broken);
        };
        TQuestionScript Script;
        bool Checked = false;
        Script.Answer([&](const TQuestion& Q, TAnswer& A) {
            // What the tree holds while the user reads the error.
            TLeanStringTree* Tree = Main->vstSketches;
            EXPECT_NE(Q.Text.find(u"Broken.ino"), String::npos) << U8(Q.Text);
            ExpectConsistent(Tree);
            EXPECT_EQ(Screen->Cursor(), crDefault);
            EXPECT_EQ(TopCaptions(Tree), (std::vector<std::string>{"Alpha", "Broken", "Omega", "Plain"}));
            struct TMark {
                const char* Path;
                tNodeType Type;
            } const Marks[] = {
                {"Alpha", ntRoot},  {"Alpha/Alpha.ino", ntFileSrc},
                {"Broken", ntRoot}, {"Broken/Broken.ino", ntFileSrc},
                {"Omega", ntRoot},  {"Omega/Omega.ino", ntFileSrcWithoutLoop},
                {"Plain", ntDir},   {"Plain/readme.txt", ntFileTxt},
            };
            for (const TMark& M : Marks) {
                PLeanNode Node = NodeOf(Tree, Sketches() + u"/" + Utf8ToString(M.Path));
                ASSERT_NE(Node, nullptr) << M.Path;
                EXPECT_EQ(TreeRecord(Tree, Node)->NodeType(), M.Type) << M.Path;
            }
            Checked = true;
            A.Result = IDOK;
        });
        Main->LoadSketchesTree();
        EXPECT_TRUE(Checked);
        EXPECT_EQ(Script.Asked().size(), 1u);
        chmod(StringToUtf8(Broken).c_str(), 0644);
    }
}

TEST_F(TreesTest, DoubleClickOpensWhatTheNodeIs) {
    Put("Two/helper.cpp", "int helper;\n");
    Put("Two/One.ino", WithLoop);
    Put("Two/Two.ino", WithLoop);
    Put("Solo/Solo.ino", WithLoop);
    Put("Proj/Proj.prj", "[x]\n");
    Put("Proj/lib.h", "\n");
    Put("Proj/notes.txt", "n\n");
    const String Pdf = Put("Proj/manual.pdf", "%PDF\n");
    // The viewer the options name for PDF files: a script that writes down what it was given.
    const std::string Viewer = Temp.Sys("viewer.sh");
    WriteBytes(Viewer, "#!/bin/sh\nprintf '%s' \"$1\" > '" + Temp.Sys("viewed") + ".tmp'\n/bin/mv '" +
                           Temp.Sys("viewed") + ".tmp' '" + Temp.Sys("viewed") + "'\n");
    chmod(Viewer.c_str(), 0755);
    Start();
    Options->mmoArduinoHelpExternalPrograms->Lines()->SetText(
        u"[PDF]\nExt=pdf\nProgram=\"" + Utf8ToString(Viewer) + u"\"\nWindowName=Viewer\nParameters=\n");
    Main->Show();
    ProcessMessages();
    TLeanStringTree* Tree = Main->vstSketches;
    ASSERT_GT(Tree->TotalCount(), 0u) << "the first activation fills the sketches";

    struct TCase {
        const char* Path;
        std::vector<std::pair<std::string, tNodeType>> Opened;
        const char* Config;
    } const Cases[] = {
        {"Two/One.ino", {{"Two/One.ino", ntFileSrc}}, ""},
        {"Two/helper.cpp", {{"Two/helper.cpp", ntFileSrcWithoutLoop}}, ""},
        {"Proj/lib.h", {{"Proj/lib.h", ntFileHeader}}, ""},
        {"Proj/notes.txt", {{"Proj/notes.txt", ntFileTxt}}, ""},
        {"Proj/Proj.prj", {}, "Proj/Proj.prj"},
        // Each file with a loop opens; only the last tab gets the list, the main file first.
        {"Two", {{"Two/One.ino", ntFileSrc}, {"Two/Two.ino", ntFileSrc}}, ""},
        {"Solo", {{"Solo/Solo.ino", ntFileSrc}}, ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Path);
        Main->Opened.clear();
        Main->Editors.clear();
        Main->Configs.clear();
        PLeanNode Node = NodeOf(Tree, Sketches() + u"/" + Utf8ToString(C.Path));
        ASSERT_NE(Node, nullptr);
        DoubleClick(Tree, Node);
        EXPECT_EQ(Tree->FocusedNode(), Node);
        ASSERT_EQ(Main->Opened.size(), C.Opened.size());
        for (size_t I = 0; I < C.Opened.size(); ++I) {
            EXPECT_EQ(U8(Main->Opened[I].FileName), U8(Sketches()) + "/" + C.Opened[I].first);
            EXPECT_EQ(Main->Opened[I].NodeType, C.Opened[I].second);
            EXPECT_EQ(Main->Opened[I].TabKind, tkSketches);
        }
        EXPECT_EQ(Main->Configs.size(), *C.Config ? 1u : 0u);
        if (*C.Config) {
            EXPECT_EQ(U8(Main->Configs[0]), U8(Sketches()) + "/" + C.Config);
        }
    }
    // The folder cases above: the last one's editor has the list or has it collapsed.
    EXPECT_TRUE(Main->Editors.back()->Collapsed);
    Main->Opened.clear();
    Main->Editors.clear();
    DoubleClick(Tree, NodeOf(Tree, Sketches() + u"/Two"));
    ASSERT_EQ(Main->Editors.size(), 2u);
    EXPECT_TRUE(Main->Editors[0]->Names.empty());
    EXPECT_EQ(Main->Editors[1]->Names, (std::vector<String>{u"Two", u"One", u"helper"}));
    EXPECT_EQ(Main->Editors[1]->Paths[0], Sketches() + u"/Two/Two.ino");

    Main->Opened.clear();
    DoubleClick(Tree, NodeOf(Tree, Pdf));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Temp / "viewed"); }));
    EXPECT_EQ(ReadBytes(Temp.Sys("viewed")), StringToUtf8(Pdf));
    EXPECT_TRUE(Main->Opened.empty());

    // The examples open read-only.
    Main->pgLeftPane->SetActivePage(Main->tsExamples);
    Main->pgLeftPaneChange(Main.get());
    ProcessMessages();
    const String Blink = Utf8ToString(ArduinoFolder) + u"/examples/01.Basics/Blink/Blink.ino";
    DoubleClick(Main->vstExamples, NodeOf(Main->vstExamples, Blink));
    ASSERT_EQ(Main->Opened.size(), 1u);
    EXPECT_EQ(Main->Opened[0].FileName, Blink);
    EXPECT_EQ(Main->Opened[0].TabKind, tkExamplesRO);

    Main->pgLeftPane->SetActivePage(Main->tsSketches);
    Tree->FullExpand(nullptr);
    ProcessMessages();
    GrabToPng(GrabControl(Main.get()).get(), Temp, "main-sketches.png");
}

// Another file type opens with the viewer the options name, else with the desktop's program;
// when neither starts, the user is told.
TEST_F(TreesTest, OtherFilesOpenWithTheirProgram) {
    const String Zip = Put("Data/data.zip", "PK");
    const std::string Bin = Temp.Sys("bin-fake");
    ForceDirectories(Utf8ToString(Bin));
    auto Script = [&](const std::string& Name, const std::string& Out) {
        WriteBytes(Bin + "/" + Name, "#!/bin/sh\nprintf '%s' \"$1\" > '" + Out + ".tmp'\n/bin/mv '" + Out +
                                         ".tmp' '" + Out + "'\n");
        chmod((Bin + "/" + Name).c_str(), 0755);
    };
    Script("viewer", Temp.Sys("by-viewer"));
    Script("xdg-open", Temp.Sys("by-desktop"));
    const std::string OldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    TScopeExit RestorePath([&] { setenv("PATH", OldPath.c_str(), 1); });
    Start();
    Main->LoadSketchesTree();
    TLeanStringTree* Tree = Main->vstSketches;
    Tree->SetFocusedNode(NodeOf(Tree, Zip));

    struct TCase {
        const char* Program;  // named in the options for zip files, "" for none
        const char* Path;     // the search path
        const char* Expected; // the file the program wrote, "" when nothing could start
    } const Cases[] = {
        {"viewer", "bin-fake", "by-viewer"},
        {"", "bin-fake", "by-desktop"},
        {"not-there", "bin-fake", "by-desktop"},
        {"", "empty", ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Program);
        DeleteFile(Temp / "by-viewer");
        DeleteFile(Temp / "by-desktop");
        ForceDirectories(Temp / C.Path);
        setenv("PATH", Temp.Sys(C.Path).c_str(), 1);
        Options->mmoArduinoHelpExternalPrograms->Lines()->SetText(
            *C.Program
                ? u"[Z]\nExt=rar,ZIP\nProgram=" + Utf8ToString(C.Program) + u"\nWindowName=\nParameters=\n"
                : String());
        TQuestionScript Questions;
        Questions.Answer(IDOK);
        Main->TreeDblClick(Tree);
        if (*C.Expected) {
            EXPECT_TRUE(WaitUntil([&] { return FileExists(Temp / C.Expected); }));
            EXPECT_EQ(ReadBytes(Temp.Sys(C.Expected)), StringToUtf8(Zip));
            EXPECT_TRUE(Questions.Asked().empty());
        } else {
            ASSERT_EQ(Questions.Asked().size(), 1u);
            EXPECT_NE(Questions.Asked()[0].Text.find(Zip), String::npos);
            // The reason belongs to the opener that could not start, and says so.
            EXPECT_NE(Questions.Asked()[0].Text.find(u"xdg-open: "), String::npos);
        }
    }
}

TEST_F(TreesTest, TreeActionsAndFocusActOnTheActiveTree) {
    Put("A/A.ino", WithLoop);
    Put("A/sub/x.txt", "x\n");
    Put("B/B.ino", WithLoop);
    Put("B/B.prj", "[x]\n");
    Put("Docs/d.txt", "d\n");
    Start();
    Main->Show(); // the first activation fills the sketches
    ProcessMessages();
    TLeanStringTree* Tree = Main->vstSketches;
    PLeanNode A = NodeOf(Tree, Sketches() + u"/A");
    PLeanNode Sub = NodeOf(Tree, Sketches() + u"/A/sub");
    PLeanNode B = NodeOf(Tree, Sketches() + u"/B");
    auto Expanded = [&] {
        return std::vector<bool>{Tree->Expanded(A), Tree->Expanded(Sub), Tree->Expanded(B)};
    };
    struct TStep {
        const char* Action;
        PLeanNode Focus;
        std::vector<bool> Expanded; // A, A/sub, B
    } const Steps[] = {
        {"actTreeExpandAll", nullptr, {true, true, true}},
        {"actTreeCollapseNode", A, {false, false, true}},
        {"actTreeContractAll", nullptr, {false, false, false}},
        {"actTreeExpandNode", A, {true, true, false}},
        {"actTreeCollapseNode", nullptr, {false, false, false}},
        {"actTreeExpandNode", nullptr, {true, true, true}},
    };
    for (const TStep& S : Steps) {
        Tree->SetFocusedNode(S.Focus);
        EXPECT_TRUE(Main->Action(Utf8ToString(S.Action))->Execute()) << S.Action;
        EXPECT_EQ(Expanded(), S.Expanded) << S.Action;
    }
    // Typing a name finds its node among those on show.
    Tree->SetFocusedNode(nullptr);
    KeyMessages(Tree, 'S');
    KeyMessages(Tree, 'U');
    EXPECT_EQ(Tree->FocusedNode(), Sub);

    // On a tab without a tree they do nothing.
    Main->pgLeftPane->SetActivePage(Main->tsTemplates);
    Main->Action(u"actTreeContractAll")->Execute();
    EXPECT_EQ(Expanded(), (std::vector<bool>{true, true, true}));

    // Focus enables the project actions by node type, once their work is connected.
    TAction* ProjectEdit = Main->Action(u"actProjectEdit");
    TAction* CopyFromTree = Main->Action(u"actFileCopyFromTree");
    // The window connects both actions itself; taken off, they stay disabled.
    ProjectEdit->OnExecute = nullptr;
    CopyFromTree->OnExecute = nullptr;
    struct TFocus {
        const char* Path;
        bool ProjectEdit;
        bool Copy;
    } const Focuses[] = {
        {"A", true, false},       {"A/A.ino", true, true},
        {"A/sub", false, false},  {"A/sub/x.txt", false, false},
        {"B/B.prj", true, false}, {"Docs", false, false},
    };
    for (const TFocus& F : Focuses) {
        Tree->SetFocusedNode(NodeOf(Tree, Sketches() + u"/" + Utf8ToString(F.Path)));
        EXPECT_FALSE(ProjectEdit->Enabled()) << F.Path << ": not connected yet";
        EXPECT_FALSE(CopyFromTree->Enabled()) << F.Path;
    }
    ProjectEdit->OnExecute = [](TObject*) {};
    CopyFromTree->OnExecute = [](TObject*) {};
    Main->Infos.clear();
    for (const TFocus& F : Focuses) {
        Tree->SetFocusedNode(NodeOf(Tree, Sketches() + u"/" + Utf8ToString(F.Path)));
        EXPECT_EQ(ProjectEdit->Enabled(), F.ProjectEdit) << F.Path;
        EXPECT_EQ(CopyFromTree->Enabled(), F.Copy) << F.Path;
        EXPECT_EQ(U8(Main->Infos.back()), U8(ExtractFileName(Utf8ToString(F.Path))));
    }
    Tree->SetFocusedNode(nullptr);
    EXPECT_EQ(U8(Main->Infos.back()), "(none)");
}
