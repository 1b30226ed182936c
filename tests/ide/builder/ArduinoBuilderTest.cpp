// Verify and upload through Debian's real Arduino builder on real sketches: Blink and a sketch in
// a folder whose path holds blanks, quotes and "$" build with "Compilation OK" and the builder's
// own flash and RAM figures, two errors are listed with their places and marks, and an upload to
// a pseudo-terminal that never answers is reported as failed with the builder's messages.
// The sketchbook holds a mended copy of Debian's AVR core (support/ArduinoSketchbook.h).

#include "../EditorFixture.h"

#include "support/ArduinoSketchbook.h"
#include "support/PtyPair.h"

#include "platform/base/Files.h"
#include "platform/gui/ActnList.h"
#include "serial/TermQz.h"

#include <fstream>
#include <regex>

namespace {

struct ArduinoBuilderTest : TEditorFixture {
    std::string Sketchbook;

    void SetUp() override {
        ASSERT_TRUE(InPrivateNetwork()) << "the builder runs only in a private network namespace";
        TEditorFixture::SetUp();
        // The files beside the program are named after this program.
        WriteBytes(Beside(".templates"), TemplatesText);
        Sketchbook = Temp.Sys("sketch book");
        // The builder's own settings go to the test's home.
        MakeArduinoSketchbook(Sketchbook);
        std::filesystem::create_directories(StringToUtf8(Program / "Temp"));
        WriteBytes(Beside(".prj"), "ArduinoType = uno\r\nComPort=7\r\n");
        Start();
        Options->edPathToArduino->SetText(Utf8ToString(ArduinoFolder));
        Options->edPathToProjects->SetText(Utf8ToString(Sketchbook));
        Main->Show();
        ProcessMessages();
    }

    // A sketch in the sketchbook with its configuration, open in a tab.
    String OpenSketch(const std::string& Folder, const std::string& Text, const std::string& Config) {
        const std::string Dir = Sketchbook + "/" + Folder;
        std::filesystem::create_directories(Dir);
        WriteBytes(Dir + "/Morvane.prj", Config);
        const std::string File = Dir + "/" + std::filesystem::path(Folder).filename().string() + ".ino";
        WriteBytes(File, Text);
        Open(Utf8ToString(File));
        return Utf8ToString(File);
    }

    std::vector<std::string> Entries() {
        std::vector<std::string> Out;
        TListBox* L = Main->ActiveErrorList();
        for (int I = 0; I < L->Items()->Count(); ++I) Out.push_back(U8(L->Items()->Strings(I)));
        return Out;
    }
    std::string Log(const char16_t* Name) { return ReadBytes(StringToUtf8(Program / "Temp/") + U8(Name)); }
    std::vector<std::string> LogLines(const char16_t* Name) {
        std::vector<std::string> Lines;
        std::istringstream In(Log(Name));
        for (std::string L; std::getline(In, L);) Lines.push_back(L);
        return Lines;
    }

    // The success entries for the figures the builder printed in its normal log.
    std::vector<std::string> OkEntries() {
        std::smatch M;
        const std::string Normal = Log(u"Normal.log");
        std::vector<std::string> Out = {"Compilation OK"};
        static const std::regex Flash(R"(Sketch uses (\d+) bytes .*Maximum is (\d+) bytes\.)");
        static const std::regex Ram(R"(Global variables use (\d+) bytes .*Maximum is (\d+) bytes\.)");
        if (std::regex_search(Normal, M, Flash))
            Out.push_back("FLASH: used " + M[1].str() + " of " + M[2].str() + " bytes");
        if (std::regex_search(Normal, M, Ram)) Out.push_back("RAM:   used " + M[1].str() + " of " + M[2].str() + " bytes");
        return Out;
    }
};

// The board and processor of the default configuration: the uno has no processor menu, and the
// build leaves the processor out rather than have the builder refuse it.
const char* const Uno = "ArduinoType=uno\r\nCPU=atmega328\r\nComPort=7\r\nBaudRate=9600\r\n";

} // namespace

TEST_F(ArduinoBuilderTest, VerifiesBlinkAndASketchInAFolderWithBlanksQuotesAndDollars) {
    OpenSketch("Blink", ReadBytes(ArduinoFolder + "/examples/01.Basics/Blink/Blink.ino"), Uno);
    // F9 as the user presses it.
    KeyMessages(Main->ActiveEditorForm()->codeedt, VK_F9);
    const std::vector<std::string> Ok = OkEntries();
    ASSERT_EQ(Ok.size(), 3u) << Log(u"Normal.log");
    EXPECT_EQ(Ok[2], "RAM:   used 9 of 2048 bytes");
    EXPECT_EQ(Entries(), Ok) << Log(u"Errors.log");
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(0xFFFFFF));
    // The builder's error output of a good run is its progress lines and nothing else.
    const std::vector<std::string> Progress = LogLines(u"Errors.log");
    for (const std::string& L : Progress) EXPECT_TRUE(TfrmMain::IsBuilderProgressLine(Utf8ToString(L))) << L;
    for (const char* Line : {"Loading configuration...", "Initializing packages...", "Preparing boards...", "Verifying..."})
        EXPECT_NE(std::find(Progress.begin(), Progress.end(), Line), Progress.end()) << Line;
    EXPECT_EQ(Progress.front().rfind("Picked up ", 0), 0u);

    const String Strange =
        OpenSketch("a b $HOME `id` \"dq\" 'sq' \xC3\xB1\xC3\xA9/Blink", ReadBytes(ArduinoFolder + "/examples/01.Basics/Blink/Blink.ino"), Uno);
    Main->Action(u"actArduinoCompile")->Execute();
    EXPECT_EQ(Entries(), OkEntries()) << Log(u"Errors.log");
    EXPECT_EQ(OkEntries().size(), 3u);
    // The builder saw the path as it is.
    EXPECT_NE(Log(u"Normal.log").find(U8(ExtractFilePath(Strange))), std::string::npos);
}

TEST_F(ArduinoBuilderTest, AGoodBuildThatSaysMoreIsOkWithItsOtherLinesAsNotes) {
    // A library that claims another architecture: the builder warns on its error output and
    // builds all the same.
    const std::string Library = Sketchbook + "/libraries/Claims";
    std::filesystem::create_directories(Library + "/src");
    WriteBytes(Library + "/library.properties",
               "name=Claims\nversion=1.0.0\nauthor=Test\nmaintainer=Test\nsentence=Claims.\nparagraph=Claims.\n"
               "category=Other\nurl=http://example.invalid\narchitectures=sam\n");
    WriteBytes(Library + "/src/Claims.h", "#pragma once\ninline int claimed() { return 3; }\n");
    OpenSketch("Claiming", "#include <Claims.h>\nvoid setup() {\n  pinMode(claimed(), OUTPUT);\n}\n\nvoid loop() {\n}\n", Uno);
    TfrmEditor* Editor = Main->ActiveEditorForm();
    KeyMessages(Editor->codeedt, VK_F9);
    const std::vector<std::string> Ok = OkEntries();
    ASSERT_EQ(Ok.size(), 3u) << Log(u"Normal.log") << Log(u"Errors.log");
    const std::vector<std::string> Got = Entries();
    ASSERT_GT(Got.size(), 3u) << Log(u"Errors.log");
    EXPECT_EQ(std::vector<std::string>(Got.begin(), Got.begin() + 3), Ok);
    // Each further entry is a line of the error output that is not a progress line.
    const std::vector<std::string> Raw = LogLines(u"Errors.log");
    bool Claims = false;
    for (size_t I = 3; I < Got.size(); ++I) {
        EXPECT_NE(std::find(Raw.begin(), Raw.end(), Got[I]), Raw.end()) << Got[I];
        EXPECT_FALSE(TfrmMain::IsBuilderProgressLine(Utf8ToString(Got[I]))) << Got[I];
        Claims = Claims || Got[I].find("claims to run on") != std::string::npos;
    }
    EXPECT_TRUE(Claims) << Log(u"Errors.log");
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(0xFFFFFF));
    EXPECT_EQ(Editor->codeedt->Marks()->Count(), 0);
}

// Every builder a test starts keeps to the test's own home: its preferences there are the ones it
// reads, and nothing goes to the home of the user's entry, which the builders of tests that run at
// once would share (on a fresh machine they raced to make its settings folder, and one lost).
TEST(ArduinoBuilderHome, TheBuilderKeepsToTheTestsHome) {
    ASSERT_TRUE(InPrivateNetwork());
    TTempFolder T;
    MakeArduinoSketchbook(T.Sys("sketchbook"));
    const std::string Preferences = std::string(std::getenv("HOME")) + "/.arduino15/preferences.txt";
    WriteBytes(Preferences, ReadBytes(Preferences) + "morvane.test.home=" + T.Path() + "\n");
    const TChildRun Run = RunProgram({"arduino", "--get-pref", "morvane.test.home"});
    EXPECT_TRUE(Run.Succeeded);
    EXPECT_EQ(Run.Output, T.Path() + "\n");
}

TEST_F(ArduinoBuilderTest, TwoErrorsAreListedWithTheirPlacesAndMarks) {
    OpenSketch("Broken", "void setup() {\n  int a = undefinedThing;\n}\n\nvoid loop() {\n  otherMissing(3);\n}\n", Uno);
    TfrmEditor* Editor = Main->ActiveEditorForm();
    Main->ArduinoVerify();
    const std::vector<std::string> Got = Entries();
    std::vector<std::string> Errors;
    for (const std::string& E : Got)
        if (std::regex_match(E, std::regex(R"(\d+/\d+: .*\))"))) Errors.push_back(E);
    EXPECT_EQ(Errors, (std::vector<std::string>{
                          "2/11: \xE2\x80\x98undefinedThing\xE2\x80\x99 was not declared in this scope in function:  void setup():)",
                          "6/17: \xE2\x80\x98otherMissing\xE2\x80\x99 was not declared in this scope in function:  void loop():)"}))
        << Log(u"Errors.log");
    EXPECT_EQ(Got.back(), "The Arduino builder failed (exit code 1).");
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(14803455));
    std::vector<int> Marks;
    for (int I = 0; I < Editor->codeedt->Marks()->Count(); ++I) Marks.push_back(Editor->codeedt->Marks()->Items(I)->Line());
    std::sort(Marks.begin(), Marks.end());
    EXPECT_EQ(Marks, (std::vector<int>{2, 6}));

    // A double click jumps to each.
    TListBox* List = Main->ActiveErrorList();
    for (const auto& [Entry, Line, Column] : {std::tuple{Errors[0], 2, 11}, std::tuple{Errors[1], 6, 17}}) {
        const int Index = int(std::find(Got.begin(), Got.end(), Entry) - Got.begin());
        List->SetTopIndex(Index);
        const TRect R = List->ItemRect(Index);
        DoubleClickMessages(List, {R.Left + 5, R.Top + 3});
        EXPECT_EQ(Editor->codeedt->CaretY(), Line);
        EXPECT_EQ(Editor->codeedt->CaretX(), Column);
    }
}

TEST_F(ArduinoBuilderTest, AnUploadToAPortThatNeverAnswersFails) {
    TPtyPair Pair(Temp.Sys("ports"), 7, 0), Other(Temp.Sys("ports"), 9, 0);
    // Another sketch's terminal on COM9, and Blink's own on COM7: the upload needs COM7.
    OpenSketch("Other", "void setup() {}\nvoid loop() {}\n", "ArduinoType=uno\r\nComPort=9\r\n");
    Main->Action(u"actArduinoOpenTerminalUnassigned")->Execute();
    OpenSketch("Blink", ReadBytes(ArduinoFolder + "/examples/01.Basics/Blink/Blink.ino"), Uno);
    Main->Action(u"actArduinoOpenTerminalUnassigned")->Execute();
    TfrmTerm* Others = Main->TerminalRecord(0)->TerminalForm;
    TfrmTerm* Own = Main->TerminalRecord(1)->TerminalForm;
    ASSERT_TRUE(Own->TermPortActive());
    ASSERT_TRUE(Others->TermPortActive());
    TTimer Watch(nullptr);
    Watch.SetInterval(50);
    int Seen = 0, Wrong = 0;
    Watch.OnTimer = [&](TObject*) {
        if (!Main->BuildRunning()) return;
        ++Seen;
        if (Own->TermPortActive() || !Others->TermPortActive()) ++Wrong;
    };
    Main->Action(u"actArduinoUpload")->Execute();
    Watch.SetEnabled(false);
    EXPECT_GT(Seen, 0);
    EXPECT_EQ(Wrong, 0);
    EXPECT_TRUE(Own->TermPortActive());
    EXPECT_TRUE(Others->TermPortActive());
    Own->CloseTermPort();
    Others->CloseTermPort();
    const std::vector<std::string> Got = Entries();
    ASSERT_FALSE(Got.empty());
    EXPECT_NE(Got.front(), "Compilation OK");
    EXPECT_EQ(Got.back(), "The Arduino builder failed (exit code 1).");
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(14803455));
    // The builder opened the device the COM number stands for and heard nothing back.
    const auto Holds = [&](const std::string& Text) {
        return std::any_of(Got.begin(), Got.end(), [&](const std::string& E) { return E.find(Text) != std::string::npos; });
    };
    EXPECT_TRUE(Holds("Using Port                    : " + Pair.Link(7))) << Log(u"Errors.log");
    EXPECT_TRUE(Holds("programmer is not responding")) << Log(u"Errors.log");
    const std::vector<std::string> Raw = LogLines(u"Errors.log");
    EXPECT_NE(std::find(Raw.begin(), Raw.end(), "Uploading..."), Raw.end());
}
