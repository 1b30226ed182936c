// The new-project dialog on a real projects folder: the folder tree without sketch folders, the
// folder-name rules, the templates beside the program, the written sketch, the copied sketch, and
// the main window's actions that open what the dialog made.

#include "EditorFixture.h"

#include "ide/NewProject.h"
#include "ide/Trees.h"

#include "platform/base/Files.h"
#include "platform/gui/ActnList.h"

#include <filesystem>

namespace {

struct NewProjectTest : TEditorFixture {
    TQuestionScript Script;
    std::unique_ptr<TfrmNewProject> Dialog;

    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
        std::filesystem::create_directories(Temp.Sys("projects"));
        Options->edPathToProjects->SetText(Temp / "projects");
    }
    void TearDown() override {
        Dialog.reset();
        TEditorFixture::TearDown();
    }
    void Make() { Dialog = std::make_unique<TfrmNewProject>(nullptr); }
    // The captions of the tree, each indented by its level.
    std::vector<std::string> TreeLines() {
        std::vector<std::string> Lines;
        TLeanStringTree* Tree = Dialog->vstDirs;
        for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node))
            Lines.push_back(std::string(2 * Tree->GetNodeLevel(Node), ' ') + U8(Tree->NodeText(Node, 0)));
        return Lines;
    }
    void Focus(const std::string& RelPath) {
        PLeanNode Node = Dialog->FindFolderNode(ExtractFileName(Utf8ToString(RelPath)), Temp / ("projects/" + RelPath));
        ASSERT_NE(Node, nullptr) << RelPath;
        Dialog->vstDirs->SetFocusedNode(Node);
    }
    // The user names a new project or folder; the message shown, if any.
    std::string Create(bool Project, const std::string& Name) {
        const size_t Before = Script.Asked().size();
        Script.Answer(mrOk, Utf8ToString(Name));
        std::string Message;
        Script.SetHandler([&Message](const TQuestion& Q, TAnswer&) { Message = U8(Q.Text); });
        Dialog->CreateFolder(Project);
        Script.SetHandler(nullptr);
        EXPECT_GE(Script.Asked().size(), Before + 1);
        return Message;
    }
};

} // namespace

TEST_F(NewProjectTest, TheTreeShowsFoldersButNoSketchFolders) {
    Sketch("projects/Blink/Blink.ino", "void loop(){}\n");
    Sketch("projects/Blink/data/readme.txt", "x");
    Sketch("projects/lib/Old/Old.PDE", "x");
    std::filesystem::create_directories(Temp.Sys("projects/lib/sub/deeper"));
    std::filesystem::create_directories(Temp.Sys("projects/Apps"));
    Make();
    EXPECT_EQ(TreeLines(),
              (std::vector<std::string>{"Arduino projects", "  Apps", "  lib", "    sub", "      deeper"}));
    // The root is focused and both creating actions are on.
    EXPECT_EQ(Dialog->vstDirs->FocusedNode(), Dialog->vstDirs->GetFirst());
    EXPECT_TRUE(Dialog->actNewFolder->Enabled());
    EXPECT_TRUE(Dialog->actAddNewProject->Enabled());
    EXPECT_EQ(U8(Dialog->statInfo->Panels()->Items(0)->Text()), Temp.Sys("projects"));
}

TEST_F(NewProjectTest, FolderNamesFollowTheRules) {
    Make();
    struct Case {
        const char* Name;
        bool Valid;
    } const Cases[] = {{"con", false},    {"Com3", false},   {"my sketch", false}, {"a:b", false},
                       {"sketch.", false}, {"x?", false},     {"lpt9", false},      {"a/b", false},
                       {"tab\there", false}, {"Blink_2", true}, {"COM0", true},      {"COM10", true},
                       {"Console", true},  {"Größe", true}};
    for (const Case& C : Cases) {
        EXPECT_EQ(TfrmNewProject::IsValidFolderName(Utf8ToString(C.Name)), C.Valid) << C.Name;
        if (C.Valid) continue;
        // Refused with its name, nothing made, the dialog still open.
        EXPECT_EQ(Create(true, C.Name), std::string("Invalid folder name: ") + C.Name);
        EXPECT_FALSE(std::filesystem::exists(Temp.Sys("projects/") + C.Name)) << C.Name;
        EXPECT_EQ(Dialog->ModalResult(), mrNone);
    }
    // An existing folder is named; an empty answer does nothing at all.
    std::filesystem::create_directories(Temp.Sys("projects/There"));
    EXPECT_EQ(Create(true, "There"), "Folder " + Temp.Sys("projects/There") + " already exists");
    EXPECT_EQ(Create(true, ""), "");
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
}

TEST_F(NewProjectTest, ANewProjectGetsTheSkeletonOrItsTemplate) {
    WriteBeside(".junk", "");
    WriteBytes(StringToUtf8(Program / "Basic.NewSketch"), "// basic\n");
    WriteBytes(StringToUtf8(Program / "Servo.NewSketch"), "#include <Servo.h>\nvoid setup() {}\nvoid loop() {}\n");
    WriteBytes(StringToUtf8(Program / "My.Template.NewSketch"), "// never found\n");
    Options->cbbProjectTemplate->Items()->Add(u"servo");
    Options->cbbProjectTemplate->SetItemIndex(0);
    Make();
    std::vector<std::string> Items;
    for (int I = 0; I < Dialog->cbbProjectTemplate->Items()->Count(); ++I)
        Items.push_back(U8(Dialog->cbbProjectTemplate->Items()->Strings(I)));
    std::sort(Items.begin(), Items.end());
    EXPECT_EQ(Items, (std::vector<std::string>{"Basic", "My", "Servo"}));
    EXPECT_EQ(U8(Dialog->cbbProjectTemplate->Text()), "Servo");

    EXPECT_EQ(Create(true, "Arm"), "");
    EXPECT_EQ(Dialog->ModalResult(), mrOk);
    EXPECT_EQ(U8(Dialog->NewFolderPath()), Temp.Sys("projects/Arm/"));
    EXPECT_EQ(U8(Dialog->NewProjectName()), "Arm.ino");
    EXPECT_EQ(ReadBytes(Temp.Sys("projects/Arm/Arm.ino")),
              "#include <Servo.h>\r\nvoid setup() {}\r\nvoid loop() {}\r\n");

    // "My" names no file of its own: the skeleton is written.
    Make();
    Dialog->cbbProjectTemplate->SetItemIndex(Dialog->cbbProjectTemplate->Items()->IndexOf(u"My"));
    EXPECT_EQ(Create(true, "Größe"), "");
    const std::string Text = ReadBytes(Temp.Sys("projects/Größe/Größe.ino"));
    const std::string Stars(60, '*');
    const std::string Start = "/* Project Größe */\r\n/*  */\r\n/* created ";
    ASSERT_EQ(Text.substr(0, Start.size()), Start);
    const std::string Rest = Text.substr(Text.find(" */\r\n\r\n\r\n") + 9);
    EXPECT_EQ(Rest, "/" + Stars + "/\r\n/******************** SETUP *********************************/\r\n/" + Stars +
                        "/\r\nvoid setup()\r\n{\r\n\r\n}\r\n\r\n/" + Stars +
                        "/\r\n/*********************** LOOP *******************************/\r\n/" + Stars +
                        "/\r\nvoid loop()\r\n{\r\n\r\n}\r\n");
    TStringList Lines;
    TfrmNewProject::WriteSkeleton(&Lines, u"x");
    EXPECT_EQ(Lines.Count(), 20);
    for (int I : {5, 6, 7, 13, 14, 15}) EXPECT_EQ(Length(Lines.Strings(I)), 62) << I;
}

TEST_F(NewProjectTest, APlainFolderIsSelectedSoTheNextProjectGoesIntoIt) {
    std::filesystem::create_directories(Temp.Sys("projects/Apps"));
    Make();
    Focus("Apps");
    EXPECT_EQ(Create(false, "Motors"), "");
    EXPECT_TRUE(std::filesystem::is_directory(Temp.Sys("projects/Apps/Motors")));
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
    tTreeClass* Item = TreeRecord(Dialog->vstDirs, Dialog->vstDirs->FocusedNode());
    ASSERT_NE(Item, nullptr);
    EXPECT_EQ(U8(Item->FullPath()), Temp.Sys("projects/Apps/Motors"));
    EXPECT_TRUE(Dialog->vstDirs->NodeSelected(Dialog->vstDirs->FocusedNode()));
    EXPECT_EQ(Create(true, "Stepper"), "");
    EXPECT_TRUE(std::filesystem::exists(Temp.Sys("projects/Apps/Motors/Stepper/Stepper.ino")));
}

TEST_F(NewProjectTest, CopyingASketchRenamesItsSketchFilesAndKeepsTheRest) {
    const String Source = Sketch("projects/Blink/Blink.ino", "blink\n");
    Sketch("projects/Blink/notes.txt", "notes\n");
    Sketch("projects/Blink/Extra.ino", "extra\n");
    Sketch("projects/Blink/sub/inner.txt", "not copied\n");
    Make();
    Dialog->SetSourceProjectName(Source);
    EXPECT_EQ(U8(Dialog->Caption()), "Copy project Blink.ino");
    EXPECT_FALSE(Dialog->cbbProjectTemplate->Visible());
    EXPECT_FALSE(Dialog->lblTemplate->Visible());
    // The second sketch file meets the first one's copy: the replace question, answered yes.
    Script.Answer(mrOk, u"Blink2");
    Script.Answer(IDYES);
    Dialog->CreateFolder(true);
    EXPECT_EQ(Dialog->ModalResult(), mrOk);
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(U8(Script.Asked()[1].Caption), "Confirm File Replace");
    std::vector<std::string> Names;
    for (const auto& E : std::filesystem::directory_iterator(Temp.Sys("projects/Blink2")))
        Names.push_back(E.path().filename());
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(Names, (std::vector<std::string>{"Blink2.ino", "notes.txt"}));
    const std::string Main = ReadBytes(Temp.Sys("projects/Blink2/Blink2.ino"));
    EXPECT_TRUE(Main == "blink\n" || Main == "extra\n") << Main;
    EXPECT_EQ(ReadBytes(Temp.Sys("projects/Blink2/notes.txt")), "notes\n");
}

TEST_F(NewProjectTest, TheMainWindowOpensTheNewSketch) {
    // The user creates "Blinky" in the dialog the action shows.
    Script.Answer([this](const TQuestion& Q, TAnswer& A) {
        auto* Form = dynamic_cast<TfrmNewProject*>(Q.Form);
        ASSERT_NE(Form, nullptr);
        Form->CreateFolder(true);
        A.Result = Form->ModalResult();
    });
    Script.Answer(mrOk, u"Blinky");
    Main->Action(u"actFileNew")->Execute();
    EXPECT_EQ(U8(Main->ActiveFileName()), Temp.Sys("projects/Blinky/Blinky.ino"));
    EXPECT_NE(Main->FindTreeNode(Main->vstSketches, u"Blinky.ino", Temp / "projects/Blinky/Blinky.ino"), nullptr);

    // Copying the sketch of the active tab; a cancelled dialog opens nothing.
    Script.Answer(mrCancel);
    Main->CopyProject(Main->ActiveFileName());
    EXPECT_EQ(U8(Main->ActiveFileName()), Temp.Sys("projects/Blinky/Blinky.ino"));
    Script.Answer([this](const TQuestion& Q, TAnswer& A) {
        auto* Form = dynamic_cast<TfrmNewProject*>(Q.Form);
        ASSERT_TRUE(Form && Form->CopyMode());
        Form->CreateFolder(true);
        A.Result = Form->ModalResult();
    });
    Script.Answer(mrOk, u"Blinky2");
    Main->CopyProject(Main->ActiveFileName());
    EXPECT_EQ(U8(Main->ActiveFileName()), Temp.Sys("projects/Blinky2/Blinky2.ino"));
}

TEST_F(NewProjectTest, TheShippedTemplatesMakeABlankAndASerialSketch) {
    for (const char* Name : {"Blank.NewSketch", "Serial.NewSketch"})
        std::filesystem::copy_file(std::string(MORVANE_SOURCE_DIR "/data/") + Name, StringToUtf8(Program / Name));
    Make();
    std::vector<std::string> Items;
    for (int I = 0; I < Dialog->cbbProjectTemplate->Items()->Count(); ++I)
        Items.push_back(U8(Dialog->cbbProjectTemplate->Items()->Strings(I)));
    std::sort(Items.begin(), Items.end());
    EXPECT_EQ(Items, (std::vector<std::string>{"Blank", "Serial"}));
    for (const char* Name : {"Blank", "Serial"}) {
        SCOPED_TRACE(Name);
        Make();
        Dialog->cbbProjectTemplate->SetItemIndex(Dialog->cbbProjectTemplate->Items()->IndexOf(Utf8ToString(Name)));
        EXPECT_EQ(Create(true, std::string("My") + Name), "");
        const std::string Text = ReadBytes(Temp.Sys("projects/My" + std::string(Name) + "/My" + Name + ".ino"));
        EXPECT_EQ(Text, ReadBytes(std::string(MORVANE_SOURCE_DIR "/data/") + Name + ".NewSketch"));
        EXPECT_NE(Text.find("void setup()"), std::string::npos);
        EXPECT_NE(Text.find("void loop()"), std::string::npos);
    }
}
