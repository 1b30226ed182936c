// The IDE's terminals on real pseudo-terminal ports: their numbers and list entries, the port of
// the active file's configuration, the two actions, a closed terminal selecting its entry and a
// click bringing it back, and a path with double quotes in it.

#include "EditorFixture.h"

#include "serial/TermQz.h"

#include "support/PtyPair.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"

namespace {

// What a terminal's caption says after its port: the device the number stands for.
std::string On(const TPtyPair& Pair) {
    return " on " + std::filesystem::canonical(Pair.Link(Pair.Near())).string();
}

struct IdeTerminalsTest : TEditorFixture {
    TPtyPair Three{Temp.Sys("ports"), 3, 0};
    TPtyPair Five{Temp.Sys("ports"), 5, 0};

    void SetUp() override {
        TEditorFixture::SetUp();
        WriteBeside(".prj", "ArduinoType = uno\r\nComPort=10\r\nBaudRate=57600\r\n");
        Start();
        Main->Show();
        ProcessMessages();
    }
    // A sketch with its configuration on Port, open in the active tab.
    String OpenSketch(const std::string& Folder, int Port, int Baud = 9600) {
        const std::string Name = std::filesystem::path(Folder).filename();
        Sketch(Folder + "/Morvane.prj", "ArduinoType=uno\r\nComPort=" + std::to_string(Port) +
                                            "\r\nBaudRate=" + std::to_string(Baud) + "\r\n");
        const String File = Sketch(Folder + "/" + Name + ".ino", "void setup() {}\nvoid loop() {}\n");
        Open(File);
        return File;
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> Out;
        for (int I = 0; I < Main->lstTerminals->Items()->Count(); ++I)
            Out.push_back(U8(Main->lstTerminals->Items()->Strings(I)));
        return Out;
    }
    TfrmTerm* Terminal(int Index) { return Main->TerminalRecord(Index)->TerminalForm; }
};

} // namespace

TEST_F(IdeTerminalsTest, TerminalsAreNumberedListedAndTakeTheActiveFilesPort) {
    const String Blink = OpenSketch("Blink", 3, 115200);
    // The tool bar's button for the active sketch, twice.
    TToolButton* ForSketch = nullptr;
    for (int I = 0; I < Main->tlbr1->ButtonCount(); ++I)
        if (Main->tlbr1->Buttons(I)->Action() == Main->Action(u"actArduinoOpenTerminalUnassigned"))
            ForSketch = Main->tlbr1->Buttons(I);
    ASSERT_NE(ForSketch, nullptr);
    ForSketch->Click();
    ForSketch->Click();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Blink [0]"}));
    TfrmTerm* First = Terminal(0);
    EXPECT_EQ(Main->TerminalRecord(0)->ProjectName, Blink);
    EXPECT_TRUE(First->Visible());
    EXPECT_TRUE(First->TermPortActive());
    EXPECT_EQ(U8(First->Caption()), "Term Blink [0] <COM3, br115200>" + On(Three));
    EXPECT_EQ(First->Owner(), Main.get());
    EXPECT_EQ(First->MainFormHandle(), Main->Handle());

    // With another file active, unassigned terminals take that file's port; the second finds
    // it taken and says so.
    OpenSketch("Other", 5);
    Main->mnu1->Items()->Find(u"Arduino")->Find(u"Open Terminal - unassigned")->Click();
    {
        TQuestionScript Script;
        Script.Answer(mrOk);
        Main->Action(u"actArduinoOpenTerminal")->Execute();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(U8(Script.Last().Text).rfind("Problem opening COM 5\r", 0), 0u) << U8(Script.Last().Text);
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Blink [0]", "Unassigned [1]", "Unassigned [2]"}));
    EXPECT_EQ(Main->TerminalRecord(1)->ProjectName, u"Unassigned terminal");
    EXPECT_EQ(Terminal(1)->TerminalNr(), 1);
    EXPECT_EQ(U8(Terminal(1)->Caption()), "Term Unassigned [1] <COM5, br9600>" + On(Five));
    EXPECT_TRUE(Terminal(1)->TermPortActive());
    EXPECT_FALSE(Terminal(2)->TermPortActive());
    EXPECT_TRUE(Terminal(2)->Visible());
    EXPECT_TRUE(First->TermPortActive());
    EXPECT_EQ(Main->FreeTerminalNr(), 3);
    EXPECT_EQ(Main->FindTerminalByNr(2), 2);
    EXPECT_EQ(Main->FindTerminalByNr(3), -1);

    // Blink's terminal asked for again while Other is active takes Other's port.
    First->CloseTermPort();
    Terminal(1)->CloseTermPort();
    Main->OpenTerminal(Blink);
    EXPECT_EQ(Entries().size(), 3u);
    EXPECT_EQ(U8(First->Caption()), "Term Blink [0] <COM5, br9600>" + On(Five));
    EXPECT_TRUE(First->TermPortActive());
}

TEST_F(IdeTerminalsTest, ClosingATerminalSelectsItsEntryAndAClickShowsItAgain) {
    OpenSketch("Blink", 3);
    Main->OpenTerminal(Main->ActiveFileName());
    OpenSketch("Other", 5);
    Main->OpenTerminal(Main->ActiveFileName());
    Main->lstTerminals->SetItemIndex(1);
    TfrmTerm* First = Terminal(0);
    // The second terminal opens a step down and to the right of the first, not on top of it.
    EXPECT_GT(Terminal(1)->Left(), First->Left());
    EXPECT_GT(Terminal(1)->Top(), First->Top());
    const TPoint Place{First->Left(), First->Top()};
    First->Close();
    EXPECT_FALSE(First->Visible());
    EXPECT_FALSE(First->TermPortActive());
    EXPECT_TRUE(WaitUntil([&] { return Main->lstTerminals->ItemIndex() == 0; }));
    EXPECT_EQ(Entries().size(), 2u); // the entry stays
    EXPECT_TRUE(Terminal(1)->TermPortActive());

    Main->pgLeftPane->SetActivePage(Main->tsTerminals);
    const TRect R = Main->lstTerminals->ItemRect(0);
    Main->lstTerminals->SetItemIndex(-1);
    ClickMessages(Main->lstTerminals, {R.Left + 5, R.Top + 3});
    EXPECT_TRUE(First->Visible());
    EXPECT_EQ(First->WindowState(), wsNormal);
    EXPECT_FALSE(First->TermPortActive()); // a click does not reopen the port
    EXPECT_EQ(First->Left(), Place.X);     // nor moves the window
    EXPECT_EQ(First->Top(), Place.Y);
}

TEST_F(IdeTerminalsTest, AFileWhosePathHoldsDoubleQuotesKeepsOneTerminal) {
    const String File = OpenSketch("say \"hi\"/Quoted", 3);
    Main->OpenTerminal(File);
    Main->OpenTerminal(File);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Quoted [0]"}));
    EXPECT_EQ(Main->FindTerminalByProject(File), 0);
    EXPECT_EQ(Main->FindTerminalByProject(u"\"" + File + u"\""), 0);
    EXPECT_EQ(Main->FindTerminalByProject(File + u"x"), -1);
}

TEST_F(IdeTerminalsTest, WithNoFileOpenAnUnassignedTerminalTakesTheDefaultConfiguration) {
    WriteBeside(".prj", "ArduinoType = uno\r\nComPort=5\r\nBaudRate=19200\r\n");
    // A configuration in the current folder is not the default one.
    WriteBytes("Morvane.prj", "ArduinoType = uno\r\nComPort=3\r\nBaudRate=9600\r\n");
    Main->Action(u"actArduinoOpenTerminalUnassigned")->Execute();
    std::filesystem::remove("Morvane.prj");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Unassigned [0]"}));
    EXPECT_EQ(U8(Terminal(0)->Caption()), "Term Unassigned [0] <COM5, br19200>" + On(Five));
}

TEST_F(IdeTerminalsTest, AConfigurationWithoutABaudRateKeepsTheSavedRate) {
    Sketch("NoRate/Morvane.prj", "ArduinoType=uno\r\nComPort=3\r\n");
    Open(Sketch("NoRate/NoRate.ino", "void setup() {}\nvoid loop() {}\n"));
    Main->OpenTerminal(Main->ActiveFileName());
    TfrmTerm* Term = Terminal(0);
    EXPECT_TRUE(Term->TermPortActive());
    EXPECT_EQ(U8(Term->Caption()), "Term NoRate [0] <COM3, br9600>" + On(Three)); // the saved settings' default
}
