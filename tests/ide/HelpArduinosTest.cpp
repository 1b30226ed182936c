// The datasheet viewer on a real index beside the program: the tree it gives, the lines that
// reading off hides, reloading, and opening an item's documents with a real viewer program (a
// script that writes down what it was given); with no display no viewer window is looked for.

#include "EditorFixture.h"

#include "ide/HelpArduinos.h"

#include "platform/gui/ActnList.h"

#include "support/XProbeWindow.h"

#include <sys/stat.h>

namespace {

struct HelpArduinosTest : TEditorFixture {
    TDisplayVariable NoDisplay{""};
    TQuestionScript Script;
    std::unique_ptr<TfrmHelpArduinos> Window;

    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
    void TearDown() override {
        Window.reset();
        TEditorFixture::TearDown();
    }
    void Index(const std::string& Text) { WriteBeside(".Datasheets", Text); }
    void Make() {
        Window = std::make_unique<TfrmHelpArduinos>(nullptr);
        Window->ReadIndex();
    }
    // The tree: each node indented by its depth, "(hidden)" for one not on show.
    std::vector<std::string> TreeLines() {
        std::vector<std::string> Lines;
        TLeanStringTree* Tree = Window->vtreeDatasheets;
        for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node))
            Lines.push_back(std::string(2 * Tree->GetNodeLevel(Node), ' ') + U8(Tree->NodeText(Node, 0)) +
                            (Tree->NodeVisible(Node) ? "" : " (hidden)"));
        return Lines;
    }
    PLeanNode Node(const String& Caption) {
        TLeanStringTree* Tree = Window->vtreeDatasheets;
        for (PLeanNode N = Tree->GetFirst(); N; N = Tree->GetNext(N))
            if (Tree->NodeText(N, 0) == Caption) return N;
        return nullptr;
    }
    // A viewer that writes its arguments into a file named after its first one.
    void Viewer(const std::string& Extensions, const std::string& WindowName = "ViewerFrame") {
        const std::string Script = Temp.Sys("viewer.sh");
        WriteBytes(Script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"$1.seen\"\n");
        chmod(Script.c_str(), 0755);
        TStrings* Lines = Options->mmoArduinoHelpExternalPrograms->Lines();
        Lines->Clear();
        Lines->Add(u"[Viewer]");
        Lines->Add(u"Ext=" + Utf8ToString(Extensions));
        Lines->Add(u"Program=\"" + Utf8ToString(Script) + u"\"");
        Lines->Add(u"WindowName=" + Utf8ToString(WindowName));
        Lines->Add(u"Parameters=-q");
    }
    std::string Seen(const std::string& Document) {
        const std::string File = Document + ".seen";
        std::string Text;
        EXPECT_TRUE(WaitUntil([&] { return !(Text = ReadBytes(File)).empty(); })) << File;
        return Text;
    }
    std::vector<std::string> Tabs() {
        std::vector<std::string> List;
        for (int I = 0; I < Window->pgcHelp->PageCount(); ++I)
            List.push_back(U8(Window->pgcHelp->Pages(I)->Caption()) + " " + U8(Window->pgcHelp->Pages(I)->Hint()));
        return List;
    }
};

const char* const UnoIndex = "+Boards\n  ++Uno\n+++IMG\nuno.jpg\n\n+++PARAMS\nuno.pdf\n";

} // namespace

TEST_F(HelpArduinosTest, TheIndexGivesTheTreeWithDetailsHidden) {
    Index(UnoIndex);
    Make();
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"Boards", "  Uno", "    IMG (hidden)", "      uno.jpg (hidden)",
                                                     "    PARAMS (hidden)", "      uno.pdf (hidden)"}));
    struct Case {
        const char16_t* Caption;
        tNodeCategory Category;
    } const Cases[] = {{u"Boards", icCategory}, {u"Uno", icItemName}, {u"IMG", icImage},
                       {u"PARAMS", icText},     {u"uno.pdf", icUnknown}};
    for (const Case& C : Cases) EXPECT_EQ(Window->NodeRecord(Node(C.Caption))->NodeCategory(), C.Category);
    // Shown in full; reloaded twice, the definition list still has each accepted line once.
    Window->chkHideDetails->SetChecked(false);
    Window->ReadIndex();
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"Boards", "  Uno", "    IMG", "      uno.jpg", "    PARAMS",
                                                     "      uno.pdf"}));
    Window->ReadIndex();
    std::vector<std::string> Definition;
    for (int I = 0; I < Window->lstDefinitionFile->Items()->Count(); ++I)
        Definition.push_back(U8(Window->lstDefinitionFile->Items()->Strings(I)));
    EXPECT_EQ(Definition,
              (std::vector<std::string>{"+Boards", "++Uno", "+++IMG", "uno.jpg", "+++PARAMS", "uno.pdf"}));
}

TEST_F(HelpArduinosTest, ACommentLineHidesEverythingUpToTheNextCategory) {
    Index("orphan.jpg\n++Orphan\n+Boards\n++Uno\n#old\n++Mega\n+++IMG\nmega.jpg\n+Shields\n++Motor\n");
    Make();
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"Boards", "  Uno", "Shields", "  Motor"}));
    struct Case {
        int Level;
        const char16_t* Text;
        tNodeCategory Category;
    } const Cases[] = {{1, u"+A", icCategory},       {2, u"++B", icItemName},    {3, u"+++IMG", icImage},
                       {3, u"+++ img ", icImage},    {3, u"+++Params", icText},  {3, u"+++Other", icUnknown},
                       {4, u"IMG", icUnknown},       {0, u"x", icUnknown}};
    for (const Case& C : Cases)
        EXPECT_EQ(tDocTreeClass::GetNodeCategoryFromFileName(C.Level, C.Text), C.Category) << U8(C.Text);
}

TEST_F(HelpArduinosTest, AMissingIndexMakesNoWindowUntilItIsThere) {
    // The error goes to the application's handler, which shows it.
    std::string Error;
    try {
        Main->Action(u"actHelpArduinos")->Execute();
    } catch (const Exception& E) {
        Error = U8(E.Message());
    }
    EXPECT_EQ(Main->frmHelpArduinos, nullptr);
    EXPECT_EQ(Error, "Datasheet description file " + Beside(".Datasheets") + " not found!");
    Index(UnoIndex);
    Main->Action(u"actHelpArduinos")->Execute();
    ASSERT_NE(Main->frmHelpArduinos, nullptr);
    EXPECT_TRUE(Main->frmHelpArduinos->Visible());
    EXPECT_EQ(Main->frmHelpArduinos->Owner(), Main.get());
}

TEST_F(HelpArduinosTest, AnItemOpensItsDocumentsInTabsThatAreReusedByDocument) {
    Index(UnoIndex);
    const std::string Jpg = StringToUtf8(Program / "Datasheets/uno.jpg");
    const std::string Pdf = StringToUtf8(Program / "Datasheets/uno.pdf");
    std::filesystem::create_directories(StringToUtf8(Program / "Datasheets"));
    WriteBytes(Jpg, "jpg");
    WriteBytes(Pdf, "pdf");
    Viewer("jpg, PDF");
    Make();
    // Only an item opens anything.
    Window->OpenItem(Node(u"Boards"));
    EXPECT_EQ(Window->pgcHelp->PageCount(), 0);

    Window->OpenItem(Node(u"Uno"));
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Uno 1 \"" + Jpg + "\"", "Uno 2 \"" + Pdf + "\""}));
    EXPECT_EQ(Seen(Jpg), Jpg + "|-q|");
    EXPECT_EQ(Seen(Pdf), Pdf + "|-q|");
    EXPECT_EQ(U8(Window->pnlInfo->Caption()), "Uno:  \"" + Pdf + "\"");
    EXPECT_EQ(Window->pgcHelp->ActivePage(), Window->pgcHelp->Pages(1));

    // Again: the same tabs, the viewers started again, the numbers 3 and 4 used up.
    std::filesystem::remove(Jpg + ".seen");
    Window->OpenItem(Node(u"Uno"));
    EXPECT_EQ(Tabs().size(), 2u);
    EXPECT_EQ(Seen(Jpg), Jpg + "|-q|");
    EXPECT_EQ(Window->TabNumber(), 5);
    EXPECT_TRUE(Script.Asked().empty());
}

TEST_F(HelpArduinosTest, MissingDocumentsAreListedAndViewerErrorsStopTheItem) {
    Index("+Boards\n++Uno\n+++IMG\nuno.jpg\nsub\\gone.jpg\n+++PARAMS\nuno.pdf\n");
    const std::string Jpg = StringToUtf8(Program / "Datasheets/uno.jpg");
    std::filesystem::create_directories(StringToUtf8(Program / "Datasheets"));
    WriteBytes(Jpg, "jpg");
    Viewer("jpg");
    Make();
    Script.Answer(IDOK);
    Script.Answer(IDOK);
    Window->OpenItem(Node(u"Uno"));
    EXPECT_EQ(Seen(Jpg), Jpg + "|-q|");
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(U8(Script.Asked()[0].Text),
              "Following help file(s) were not found:\r\r" + StringToUtf8(Program / "Datasheets/sub/gone.jpg") + "\r\n");
    EXPECT_EQ(U8(Script.Asked()[0].Caption), "MORVANE - Arduino help file failed");
    EXPECT_EQ(U8(Script.Asked()[1].Text),
              "Following help file(s) were not found:\r\r" + StringToUtf8(Program / "Datasheets/uno.pdf") + "\r\n");

    // A viewer that is not there, and one without its window's name, are errors.
    WriteBytes(StringToUtf8(Program / "Datasheets/uno.pdf"), "pdf");
    Options->mmoArduinoHelpExternalPrograms->Lines()->SetText(
        u"[X]\r\nExt=pdf\r\nProgram=/nonexistent/viewer\r\nWindowName=V\r\nParameters=\r\n");
    try {
        Window->OpenDocument(Program / "Datasheets/uno.pdf", u"Uno", 9);
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(U8(E.Message()), "External file for extension pdf not found:\r\"/nonexistent/viewer\"\r\rUse "
                                   "Options dialog for setting of External viewer files");
    }
    Viewer("pdf", "");
    try {
        Window->OpenDocument(Program / "Datasheets/uno.pdf", u"Uno", 9);
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(U8(E.Message()), "External file for extension pdf: missing WindowName\r\"" + Temp.Sys("viewer.sh") +
                                       "\"\r\rUse Options dialog for setting of External viewer files");
    }
}

TEST_F(HelpArduinosTest, TheShippedIndexNamesDocumentsThatShipAndTheDesktopOpensThem) {
    Index(ReadBytes(MORVANE_SOURCE_DIR "/data/Morvane.Datasheets"));
    Make();
    // Every document of the index is in the Datasheets folder beside the built program (our own
    // pages, and links to what Debian's Arduino packages install).
    TLeanStringTree* Tree = Window->vtreeDatasheets;
    int Documents = 0;
    for (PLeanNode N = Tree->GetFirst(); N; N = Tree->GetNext(N))
        if (Tree->GetNodeLevel(N) == 3) {
            ++Documents;
            const std::string Path = MORVANE_BINARY_DIR "/bin/Datasheets/" + U8(Tree->NodeText(N, 0));
            EXPECT_TRUE(FileExists(Utf8ToString(Path))) << Path;
        }
    EXPECT_GE(Documents, 4);

    // The default viewers are the desktop's opener, which needs no window name.
    const std::string Opener = Temp.Sys("xdg-open");
    WriteBytes(Opener, "#!/bin/sh\nprintf '%s' \"$1\" > \"$1.seen\"\n");
    chmod(Opener.c_str(), 0755);
    TStrings* Lines = Options->mmoArduinoHelpExternalPrograms->Lines();
    for (int I = 0; I < Lines->Count(); ++I)
        if (Lines->Strings(I) == u"Program=xdg-open") Lines->SetString(I, u"Program=" + Utf8ToString(Opener));
    std::filesystem::create_directories(StringToUtf8(Program / "Datasheets"));
    const std::string Page = StringToUtf8(Program / "Datasheets/adding-documents.htm");
    std::filesystem::copy_file(MORVANE_SOURCE_DIR "/data/Datasheets/adding-documents.htm", Page);
    PLeanNode Item = Node(u"Adding your own documents");
    ASSERT_NE(Item, nullptr);
    Window->OpenItem(Item);
    EXPECT_EQ(Seen(Page), Page);
    EXPECT_TRUE(Script.Asked().empty());
}
