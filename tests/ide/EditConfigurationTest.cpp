// The dialog that edits a sketch's "Morvane.prj": reading the file into the controls, the
// processors of a board, saving the seven lines, the close question, and boards the options do
// not know, whose values a save keeps.

#include "EditorFixture.h"

#include "ide/EditConfiguration.h"
#include "ide/Trees.h"

#include "serial/ComScan.h"

#include "platform/gui/Messages.h"

#include "support/GraphicsTestSupport.h"

namespace {

// A small Arduino folder: a board without processors, one whose processor ids extend each
// other (with their settings lines), and one whose name ends like the other's.
const char* const BoardsFixture = "# boards\n"
                                  "uno.name=Arduino Uno\n"
                                  "uno.upload.tool=avrdude\n"
                                  "nano.name=Arduino Nano\n"
                                  "nano.menu.cpu.atmega328=ATmega328P\n"
                                  "nano.menu.cpu.atmega328.upload.maximum_size=30720\n"
                                  "nano.menu.cpu.atmega328old=ATmega328P (Old Bootloader)\n"
                                  "nano.menu.cpu.atmega328old.upload.speed=57600\n"
                                  "nano.menu.cpu.atmega168=ATmega168\n"
                                  "xnano.name=Other Nano\n"
                                  "xnano.menu.cpu.z80=Z80\n";

struct EditConfigurationTest : TEditorFixture {
    std::unique_ptr<TfrmEditConfiguration> Dialog;
    TQuestionScript Script;

    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
        Sketch("arduino/hardware/arduino/avr/boards.txt", BoardsFixture);
        Options->edPathToArduino->SetText(Temp / "arduino");
        Options->LoadBoards();
    }
    void TearDown() override {
        Dialog.reset();
        TEditorFixture::TearDown();
    }
    String Folder() { return Temp / "Blink/"; }
    std::string ConfigFile() { return Temp.Sys("Blink/Morvane.prj"); }
    void Open(const std::string& Config) {
        std::filesystem::create_directories(Temp.Sys("Blink"));
        if (!Config.empty()) WriteBytes(ConfigFile(), Config);
        Dialog = std::make_unique<TfrmEditConfiguration>(nullptr);
        Dialog->OpenConfigFile(Folder(), u"Blink");
    }
    std::vector<std::string> CpuItems() {
        std::vector<std::string> Items;
        for (int I = 0; I < Dialog->cbbCpu->Items()->Count(); ++I)
            Items.push_back(U8(Dialog->cbbCpu->Items()->Strings(I)));
        return Items;
    }
    // The user picks the next entry of a combo box with the Down key.
    void Down(TComboBox* Combo) { KeyMessages(Combo, VK_DOWN); }
    // The file's lines but the last, which is the time of the save.
    std::string SavedWithoutLastEdited() {
        const std::string Bytes = ReadBytes(ConfigFile());
        const size_t P = Bytes.find("LastEdited=");
        EXPECT_NE(P, std::string::npos);
        EXPECT_GT(Bytes.size(), P + 13);
        EXPECT_EQ(Bytes.substr(Bytes.size() - 2), "\r\n");
        return Bytes.substr(0, P);
    }
};

} // namespace

TEST_F(EditConfigurationTest, ProcessorsAreTheBoardsMenuEntries) {
    Dialog = std::make_unique<TfrmEditConfiguration>(nullptr);
    struct Case {
        const char16_t* Board;
        std::vector<std::string> Cpus;
    } const Cases[] = {
        {u"nano", {"atmega328", "atmega328old", "atmega168"}},
        {u"xnano", {"z80"}},
        {u"uno", {}},
        {u"nothing", {}},
    };
    for (const Case& C : Cases) {
        Dialog->LoadCpuList(C.Board);
        EXPECT_EQ(CpuItems(), C.Cpus) << U8(C.Board);
        EXPECT_EQ(Dialog->cbbCpu->Visible(), !C.Cpus.empty()) << U8(C.Board);
    }
    // An Arduino folder without the AVR platform's folder keeps the file one level up.
    Sketch("old/hardware/arduino/boards.txt", "pro.menu.cpu.8MHzatmega168=x\n");
    Options->edPathToArduino->SetText(Temp / "old");
    Dialog->LoadCpuList(u"pro");
    EXPECT_EQ(CpuItems(), std::vector<std::string>{"8MHzatmega168"});
}

TEST_F(EditConfigurationTest, TheArduinoPackagesBoardsGiveTheirProcessors) {
    if (!FileExists(u"/usr/share/arduino/hardware/arduino/avr/boards.txt"))
        GTEST_SKIP() << "Debian's arduino package is not installed";
    Options->edPathToArduino->SetText(u"/usr/share/arduino");
    Options->LoadBoards();
    Dialog = std::make_unique<TfrmEditConfiguration>(nullptr);
    Dialog->LoadCpuList(u"nano");
    EXPECT_EQ(CpuItems(), (std::vector<std::string>{"atmega328", "atmega328old", "atmega168"}));
    Dialog->LoadCpuList(u"mega");
    EXPECT_EQ(CpuItems(), (std::vector<std::string>{"atmega2560", "atmega1280"}));
    Dialog->LoadCpuList(u"uno");
    EXPECT_FALSE(Dialog->cbbCpu->Visible());

    // A sketch for a Nano with its old bootloader opens with that processor chosen.
    Open("ArduinoType=nano\r\nCPU=atmega328old\r\nComPort=3\r\n");
    EXPECT_EQ(U8(Dialog->cbbArduino->Text()), "Arduino Nano");
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "atmega328old");
}

TEST_F(EditConfigurationTest, AnExistingFileFillsTheControlsAndABaudChangeKeepsTheRest) {
    Open("; Blink\r\nArduinoType = nano\r\n CPU=atmega168 \r\nComPort=7\r\nBaudRate=9600\r\n"
         "Created=1.2.2020 10:00:00\r\nLastEdited=2.2.2020\r\n");
    EXPECT_EQ(U8(Dialog->Caption()), "Edit Configuration - Blink");
    EXPECT_EQ(U8(Dialog->lblProjectName->Caption()), "Blink");
    EXPECT_EQ(U8(Dialog->statInfo->Panels()->Items(0)->Text()), ConfigFile());
    EXPECT_EQ(U8(Dialog->cbbArduino->Text()), "Arduino Nano");
    EXPECT_TRUE(Dialog->cbbCpu->Visible());
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "atmega168");
    EXPECT_EQ(Dialog->seComNr->Value(), 7);
    EXPECT_EQ(U8(Dialog->cbbBaudrate->Text()), "9600");
    EXPECT_EQ(U8(Dialog->lblCreated->Caption()), "Created: 1.2.2020 10:00:00");
    EXPECT_EQ(U8(Dialog->lblLastEdited->Caption()), "Last edited: 2.2.2020");
    EXPECT_FALSE(Dialog->ConfigModified());
    EXPECT_FALSE(Dialog->actSave->Enabled());
    EXPECT_EQ(Dialog->Color(), clBtnFace);

    Down(Dialog->cbbBaudrate);
    EXPECT_TRUE(Dialog->ConfigModified());
    EXPECT_TRUE(Dialog->actSave->Enabled());
    EXPECT_EQ(Dialog->Color(), TColor(13821680));
    // The changed dialog shows its colour around the controls.
    Dialog->Show();
    ProcessMessages();
    auto Picture = GrabControl(Dialog.get());
    GrabToPng(Picture.get(), Temp, "edit-configuration.png");
    EXPECT_EQ(PixelOf(*Picture, Dialog->ClientWidth() - 4, Dialog->cbbBaudrate->Top()), TColor(13821680));
    Dialog->actSave->Execute();
    EXPECT_FALSE(Dialog->ConfigModified());
    EXPECT_EQ(SavedWithoutLastEdited(), ";Blink\r\nArduinoType=nano\r\nCPU=atmega168\r\nComPort=7\r\nBaudRate=14400\r\n"
                                        "Created=1.2.2020 10:00:00\r\n");
    EXPECT_FALSE(Dialog->NewConfigFile());
}

TEST_F(EditConfigurationTest, ANewConfigurationAsksToBeCreatedAndKeepsItsFirstDate) {
    Open("");
    EXPECT_EQ(U8(Dialog->Caption()), "Edit Configuration - New configuration for Blink");
    EXPECT_EQ(U8(Dialog->cbbArduino->Text()), "default");
    EXPECT_TRUE(Dialog->actSave->Enabled());
    EXPECT_EQ(Dialog->seComNr->Value(), 1);
    EXPECT_EQ(U8(Dialog->cbbBaudrate->Text()), "57600");

    Dialog->Show();
    Script.Answer(IDCANCEL);
    Dialog->CloseConfiguration();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text), "Configuration file does not exist yet. Do you want to create it?");
    EXPECT_EQ(U8(Script.Last().Caption), "MORVANE - Project configuration");
    EXPECT_EQ(Script.Last().DefaultResult, IDCANCEL);
    EXPECT_EQ(Script.Last().Icon, mtConfirmation);
    EXPECT_TRUE(Dialog->Visible());
    EXPECT_FALSE(FileExists(Utf8ToString(ConfigFile())));

    // Yes saves and closes.
    Script.Answer(IDYES);
    Dialog->CloseConfiguration();
    EXPECT_FALSE(Dialog->Visible());
    EXPECT_TRUE(Dialog->NewConfigFile());
    const std::string First = ReadBytes(ConfigFile());
    const size_t Created = First.find("Created=");
    ASSERT_NE(Created, std::string::npos);
    const std::string CreatedLine = First.substr(Created, First.find("\r\n", Created) - Created);
    EXPECT_GT(CreatedLine.size(), 12u);
    EXPECT_EQ(First.substr(0, Created), ";Blink\r\nArduinoType=default\r\nCPU=\r\nComPort=1\r\nBaudRate=57600\r\n");

    // A second save keeps the first date and still counts as the save that made the file.
    Down(Dialog->cbbBaudrate);
    ASSERT_TRUE(Dialog->SaveConfiguration());
    EXPECT_NE(ReadBytes(ConfigFile()).find(CreatedLine + "\r\nLastEdited="), std::string::npos);
    EXPECT_TRUE(Dialog->NewConfigFile());
    EXPECT_EQ(Script.Asked().size(), 2u);
}

TEST_F(EditConfigurationTest, ChangesAreAskedAboutOnEscapeAndNoLeavesTheFile) {
    const std::string Config = "ArduinoType=uno\r\nCPU=\r\nComPort=4\r\nBaudRate=9600\r\n";
    Open(Config);
    Dialog->Show();
    // Nothing changed: it closes without a question.
    KeyMessages(Dialog->cbbBaudrate, VK_ESCAPE);
    EXPECT_FALSE(Dialog->Visible());
    EXPECT_TRUE(Script.Asked().empty());

    Dialog->Show();
    Down(Dialog->cbbBaudrate);
    // Escape in a list that is down closes only the list.
    Dialog->cbbBaudrate->SetFocus();
    Dialog->cbbBaudrate->SetDroppedDown(true);
    KeyMessages(Dialog->cbbBaudrate, VK_ESCAPE);
    EXPECT_FALSE(Dialog->cbbBaudrate->DroppedDown());
    EXPECT_TRUE(Dialog->Visible());
    EXPECT_TRUE(Script.Asked().empty());
    Script.Answer(IDCANCEL).Answer(IDNO);
    KeyMessages(Dialog->cbbBaudrate, VK_ESCAPE);
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text), "Configuration has changed. Do you want to save new values ?");
    EXPECT_TRUE(Dialog->Visible());
    Dialog->CloseConfiguration();
    EXPECT_EQ(Script.Asked().size(), 2u);
    EXPECT_FALSE(Dialog->Visible());
    EXPECT_EQ(ReadBytes(ConfigFile()), Config);
}

TEST_F(EditConfigurationTest, AProcessorIsRequiredWhereTheBoardHasThem) {
    // The processor line before the board line is lost: the board's list is built after it.
    Open("CPU=atmega328\r\nArduinoType=nano\r\nComPort=2\r\n");
    EXPECT_TRUE(Dialog->cbbCpu->Visible());
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "");
    Down(Dialog->cbbBaudrate);
    Dialog->Show();
    Script.Answer(IDOK);
    EXPECT_FALSE(Dialog->SaveConfiguration());
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text), "Couldn't save configuration:\r\rCPU type is not selected");
    EXPECT_EQ(Script.Last().Icon, mtWarning);
    EXPECT_TRUE(Dialog->ConfigModified());
    EXPECT_EQ(ReadBytes(ConfigFile()), "CPU=atmega328\r\nArduinoType=nano\r\nComPort=2\r\n");

    // Choosing one lets the save through; a board change keeps the processor when it has it.
    Down(Dialog->cbbCpu);
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "atmega328");
    Dialog->cbbArduino->SetItemIndex(Dialog->cbbArduino->Items()->IndexOf(u"Other Nano"));
    Dialog->cbbArduinoChange();
    EXPECT_EQ(CpuItems(), std::vector<std::string>{"z80"});
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "");
    Dialog->cbbArduino->SetItemIndex(Dialog->cbbArduino->Items()->IndexOf(u"Arduino Nano"));
    Dialog->cbbArduinoChange();
    EXPECT_EQ(U8(Dialog->cbbCpu->Text()), "atmega328");
    EXPECT_TRUE(Dialog->SaveConfiguration());
    EXPECT_NE(ReadBytes(ConfigFile()).find("ArduinoType=nano\r\nCPU=atmega328\r\nComPort=2\r\n"), std::string::npos);
}

// A board the options do not list (another Arduino folder, or no board list at all) is shown
// as a warning when the dialog opens; a save that does not choose another board writes back
// the board and processor the file had.
TEST_F(EditConfigurationTest, ABoardTheOptionsDoNotKnowIsKeptBySaving) {
    struct Case {
        const char* Name;
        bool EmptyList;
    } const Cases[] = {{"unknown board", false}, {"empty board list", true}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        if (C.EmptyList) Options->clbBoards->Items()->Clear();
        TQuestionScript Questions;
        Questions.Answer(IDOK);
        Open("ArduinoType=leonardo\r\nCPU=atmega32u4\r\nComPort=3\r\nBaudRate=9600\r\nCreated=x\r\n");
        ASSERT_EQ(Questions.Asked().size(), 1u);
        EXPECT_EQ(U8(Questions.Last().Caption), "Error in configuration");
        EXPECT_EQ(U8(Questions.Last().Text),
                  "Selected Arduino board <leonardo> not found in BoardsList in the Options.\r\r"
                  "Please check Morvane options,clear list of \"Used Arduinos\" and reselect them");
        EXPECT_EQ(Dialog->cbbArduino->ItemIndex(), -1);
        EXPECT_FALSE(Dialog->cbbCpu->Visible());
        Down(Dialog->cbbBaudrate);
        ASSERT_TRUE(Dialog->SaveConfiguration());
        EXPECT_EQ(Questions.Asked().size(), 1u);
        EXPECT_EQ(SavedWithoutLastEdited(),
                  ";Blink\r\nArduinoType=leonardo\r\nCPU=atmega32u4\r\nComPort=3\r\nBaudRate=14400\r\nCreated=x\r\n");
    }
}

TEST_F(EditConfigurationTest, PickingAKnownBoardReplacesTheKeptOne) {
    Script.Answer(IDOK);
    Open("ArduinoType=leonardo\r\nCPU=atmega32u4\r\nComPort=3\r\n");
    Dialog->cbbArduino->SetItemIndex(Dialog->cbbArduino->Items()->IndexOf(u"Arduino Uno"));
    Dialog->cbbArduinoChange();
    ASSERT_TRUE(Dialog->SaveConfiguration());
    EXPECT_NE(ReadBytes(ConfigFile()).find("ArduinoType=uno\r\nCPU=\r\nComPort=3\r\n"), std::string::npos);
}

// "Only selected" shows the boards the user marked in the options; the board in force stays
// so even when that list lacks it.
TEST_F(EditConfigurationTest, OnlySelectedShowsTheUsedBoards) {
    Open("ArduinoType=nano\r\nCPU=atmega328old\r\nComPort=3\r\n");
    Dialog->chkOnlySelected->SetChecked(true);
    EXPECT_EQ(Dialog->cbbArduino->Items()->Count(), 0);
    Down(Dialog->cbbBaudrate);
    ASSERT_TRUE(Dialog->SaveConfiguration());
    EXPECT_NE(ReadBytes(ConfigFile()).find("ArduinoType=nano\r\nCPU=atmega328old\r\n"), std::string::npos);

    Options->lstSelectedBoards->Items()->Add(u"Other Nano");
    Options->lstSelectedBoards->Items()->Add(u"Arduino Nano");
    Dialog->chkOnlySelected->SetChecked(false);
    Dialog->chkOnlySelected->SetChecked(true);
    EXPECT_EQ(Dialog->cbbArduino->Items()->Count(), 2);
}

// A new configuration with no boards to choose from cannot be saved without one.
TEST_F(EditConfigurationTest, ANewConfigurationWithoutBoardsIsNotWritten) {
    Options->clbBoards->Items()->Clear();
    Open("");
    EXPECT_EQ(Dialog->cbbArduino->Items()->Count(), 0);
    Script.Answer(IDOK);
    EXPECT_FALSE(Dialog->SaveConfiguration());
    EXPECT_EQ(U8(Script.Last().Text), "Couldn't save configuration:\r\rArduino type is not selected");
    EXPECT_FALSE(FileExists(Utf8ToString(ConfigFile())));
}

// A folder that took the file's name while the dialog was open cannot be written over.
TEST_F(EditConfigurationTest, AFileThatCannotBeWrittenIsReportedAndStaysModified) {
    Open("ArduinoType=uno\r\nComPort=3\r\n");
    Down(Dialog->cbbBaudrate);
    std::filesystem::remove(ConfigFile());
    std::filesystem::create_directories(ConfigFile() + "/inside");
    Script.Answer(IDOK);
    EXPECT_FALSE(Dialog->SaveConfiguration());
    EXPECT_EQ(U8(Script.Last().Text).rfind("Couldn't save configuration:\r\rCannot create file", 0), 0u)
        << U8(Script.Last().Text);
    EXPECT_TRUE(Dialog->ConfigModified());
    EXPECT_TRUE(std::filesystem::is_directory(ConfigFile() + "/inside"));
    EXPECT_FALSE(Dialog->NewConfigFile());
}

TEST_F(EditConfigurationTest, ThePortPickersChoiceBecomesThePortNumber) {
    Open("ArduinoType=uno\r\nComPort=3\r\n");
    struct Case {
        int Result;
        int Pick;
        int Expected;
    } const Cases[] = {{mrOk, 12, 12}, {mrCancel, 9, 12}, {mrOk, 0, 12}};
    for (const Case& C : Cases) {
        Script.Answer([&C](const TQuestion& Q, TAnswer& A) {
            auto* Picker = dynamic_cast<TfrmSelectComport*>(Q.Form);
            ASSERT_NE(Picker, nullptr);
            Picker->lstComPorts->Items()->Clear();
            Picker->lstComPorts->Items()->Add(C.Pick ? Format(u"COM %d", {C.Pick}) : String(u"- COM 5 [open]"));
            Picker->lstComPorts->SetItemIndex(0);
            A.Result = C.Result;
        });
        Dialog->btnScanComPorts->Click();
        EXPECT_EQ(Dialog->seComNr->Value(), C.Expected);
    }
    EXPECT_TRUE(Dialog->ConfigModified());
}

// From the main window: the action on the focused sketch opens the dialog for its folder; a
// file the dialog made gets its node in the tree, once.
TEST_F(EditConfigurationTest, TheActionEditsTheFocusedSketchAndAddsItsFileToTheTree) {
    Sketch("Book/Blink/Blink.ino", "void setup() {}\nvoid loop() {}\n");
    Sketch("Book/Blink/Blink.prj", "[other]\n");
    Options->edPathToProjects->SetText(Temp / "Book");
    Main->LoadSketchesTree();
    TLeanStringTree* Tree = Main->vstSketches;
    PLeanNode Folder = Main->FindTreeNode(Tree, u"Blink", Temp / "Book/Blink");
    ASSERT_NE(Folder, nullptr);
    EXPECT_EQ(Main->FindConfigChild(Folder), nullptr);
    Tree->SetFocusedNode(Folder);
    TAction* Edit = Main->Action(u"actProjectEdit");
    ASSERT_TRUE(Edit->Enabled());

    std::vector<String> Captions;
    auto SaveAndClose = [&Captions](const TQuestion& Q, TAnswer& A) {
        auto* Form = dynamic_cast<TfrmEditConfiguration*>(Q.Form);
        ASSERT_NE(Form, nullptr);
        Captions.push_back(Form->Caption());
        Form->seComNr->SetValue(Form->seComNr->Value() + 1);
        EXPECT_TRUE(Form->SaveConfiguration());
        A.Result = mrCancel;
    };
    Script.Answer(SaveAndClose).Answer(SaveAndClose);
    Edit->Execute();
    tTreeClass* Config = Main->FindConfigChild(Folder);
    ASSERT_NE(Config, nullptr);
    EXPECT_EQ(U8(Config->FullPath()), Temp.Sys("Book/Blink/Morvane.prj"));
    EXPECT_EQ(Config->NodeType(), ntProjectConfig);
    EXPECT_EQ(ReadBytes(Temp.Sys("Book/Blink/Blink.prj")), "[other]\n");

    // The configuration node itself opens the same file, which now exists.
    PLeanNode ConfigNode = Main->FindTreeNode(Tree, u"Morvane.prj", Temp / "Book/Blink/Morvane.prj");
    ASSERT_NE(ConfigNode, nullptr);
    Tree->SetFocusedNode(ConfigNode);
    Edit->Execute();
    ASSERT_EQ(Captions.size(), 2u);
    EXPECT_EQ(U8(Captions[0]), "Edit Configuration - New configuration for Blink");
    EXPECT_EQ(U8(Captions[1]), "Edit Configuration - Blink");
    EXPECT_NE(ReadBytes(Temp.Sys("Book/Blink/Morvane.prj")).find("ComPort=3\r\n"), std::string::npos);
    int Configs = 0;
    for (PLeanNode Child = Tree->GetFirstChild(Folder); Child; Child = Tree->GetNextSibling(Child))
        Configs += TreeRecord(Tree, Child)->NodeType() == ntProjectConfig;
    EXPECT_EQ(Configs, 2); // Blink.prj and Morvane.prj
}
