// The verify and upload road with a stand-in builder in the Arduino folder (a shell script that
// records what it was given, empties its build folder as the real one may, and answers with the
// output and exit code a test asks for): the
// command line and its quoting, how a run is judged, the error list, the time limit, one run at
// a time, and what is refused before anything runs. The real builder has its own test program.

#include "EditorFixture.h"

#include "platform/gui/ActnList.h"
#include "serial/TermQz.h"
#include "support/PtyPair.h"

#include <csignal>
#include <fstream>

namespace {

const char* const StandIn = R"SH(#!/bin/sh
d=$(dirname "$0")
for a in "$@"; do printf '%s\n' "$a"; done > "$d/args"
printf '%s' "$LC_ALL" > "$d/locale"
# As the real builder does when the build's options change: its build folder is emptied.
for a in "$@"; do case "$a" in build.path=*) mkdir -p "${a#build.path=}" && find "${a#build.path=}" -mindepth 1 -delete;; esac; done
echo run >> "$d/runs"
[ -f "$d/stdout" ] && cat "$d/stdout"
[ -f "$d/stderr" ] && cat "$d/stderr" >&2
if [ -f "$d/sleep" ]; then
    sleep "$(cat "$d/sleep")" & echo $! > "$d/grandchild"
    wait
fi
# Something the builder started that goes on after it has ended, until the test says "go".
if [ -f "$d/linger" ]; then
    sh -c 'while [ ! -e "$1/go" ]; do sleep 0.02; done' linger "$d" & echo $! > "$d/grandchild"
fi
exit "$(cat "$d/code" 2>/dev/null || echo 0)"
)SH";

struct ArduinoBuildTest : TEditorFixture {
    std::string Arduino;
    void SetUp() override {
        TEditorFixture::SetUp();
        WriteBeside(".prj", "ArduinoType = uno\r\nCPU = atmega328\r\nComPort=5\r\n");
        Arduino = Temp.Sys("arduino folder");
        std::filesystem::create_directories(Arduino);
        WriteBytes(Arduino + "/arduino", StandIn);
        // The nano has a processor menu, the uno has none.
        std::filesystem::create_directories(Arduino + "/hardware/arduino/avr");
        WriteBytes(Arduino + "/hardware/arduino/avr/boards.txt",
                   "uno.name=Arduino Uno\nnano.name=Arduino Nano\nnano.menu.cpu.atmega328=ATmega328P\n"
                   "nano.menu.cpu.atmega328.upload.speed=115200\nnano.menu.cpu.atmega168=ATmega168\n");
        std::filesystem::permissions(Arduino + "/arduino", std::filesystem::perms::owner_all);
        std::filesystem::create_directories(StringToUtf8(Program / "Temp"));
        // COM5 is a link in a ports folder of the test's own.
        std::filesystem::create_directories(Temp.Sys("ports"));
        std::filesystem::create_symlink("/dev/null", Temp.Sys("ports/COM5"));
        setenv("MORVANE_PORTS", Temp.Sys("ports").c_str(), 1);
        Start();
        Options->edPathToArduino->SetText(Utf8ToString(Arduino));
        Main->Show();
        ProcessMessages();
    }
    void TearDown() override {
        unsetenv("MORVANE_PORTS");
        TEditorFixture::TearDown();
    }
    void Answer(const std::string& Name, const std::string& Bytes) { WriteBytes(Arduino + "/" + Name, Bytes); }
    std::string Seen(const std::string& Name) { return ReadBytes(Arduino + "/" + Name); }
    // A sketch with its configuration on COM5, open in a tab.
    String OpenSketch(const std::string& Folder, const std::string& Text = "void setup() {}\nvoid loop() {}\n") {
        const std::string Name = std::filesystem::path(Folder).filename();
        Sketch(Folder + "/Morvane.prj", "; x\r\nArduinoType=uno\r\nCPU=atmega328\r\nComPort=5\r\nBaudRate=9600\r\n");
        const String File = Sketch(Folder + "/" + Name + ".ino", Text);
        Open(File);
        return File;
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> Out;
        TListBox* L = Main->ActiveErrorList();
        for (int I = 0; I < L->Items()->Count(); ++I) Out.push_back(U8(L->Items()->Strings(I)));
        return Out;
    }
};

const char* const Progress = "Picked up JAVA_TOOL_OPTIONS: \nLoading configuration...\nInitializing packages...\n"
                             "Preparing boards...\nVerifying...\n";

} // namespace

TEST_F(ArduinoBuildTest, EveryWordReachesTheBuilderIntact) {
    const std::string Folder = "we ird $HOME `id` \"dq\" 'sq' ñé\\/Blink";
    const String File = OpenSketch(Folder);
    Main->ArduinoVerify();
    const std::string P = StringToUtf8(Program.Dir());
    EXPECT_EQ(Seen("args"), "--pref\nbuild.path=" + P + "/Temp/build\n--pref\nsketchbook.path=" + Temp.Path() + "\n--verify\n--verbose-build\n--verbose-upload\n"
                            "--board\narduino:avr:uno\n" +
                                U8(File) + "\n--port\n" + Temp.Sys("ports/COM5") + "\n");
    EXPECT_EQ(Seen("locale"), "C.UTF-8");
    // One line in the batch file beside the program, and the logs in its Temp folder.
    const std::string Batch = ReadBytes(P + "/TempCompileBatch.sh");
    EXPECT_EQ(std::count(Batch.begin(), Batch.end(), '\n'), 1);
    EXPECT_EQ(Batch.rfind("LC_ALL=C.UTF-8 '" + Arduino + "/arduino' '--pref' ", 0), 0u);
    EXPECT_NE(Batch.find(" > '" + P + "/Temp/Normal.log' 2> '" + P + "/Temp/Errors.log'"), std::string::npos);

    // The uno has no processor menu, so its configuration's CPU stays behind; a board with one
    // takes it; without a processor the board is the board alone; an unmapped number goes as it is.
    Sketch(Folder + "/Morvane.prj", "ArduinoType=nano\r\nCPU=atmega328\r\nComPort=5\r\n");
    Main->ArduinoVerify();
    EXPECT_NE(Seen("args").find("--board\narduino:avr:nano:cpu=atmega328\n"), std::string::npos);
    Sketch(Folder + "/Morvane.prj", "ArduinoType=nano\r\nComPort=77\r\n");
    Main->ArduinoUpload();
    EXPECT_NE(Seen("args").find("--upload\n--verbose-build\n--verbose-upload\n--board\narduino:avr:nano\n"),
              std::string::npos);
    EXPECT_NE(Seen("args").find("--port\nCOM77\n"), std::string::npos);
}

TEST_F(ArduinoBuildTest, TheExitCodeAndTheErrorLogDecide) {
    const std::string Sizes = "Sketch uses 444 bytes (5%). Maximum is 8000 bytes.\n"
                              "Global variables use 9 bytes (0%). Maximum is 2048 bytes.\n";
    const std::vector<std::string> Ok = {"Compilation OK", "FLASH: used 444 of 8000 bytes",
                                         "RAM:   used 9 of 2048 bytes"};
    struct Case {
        const char* Name;
        int Code;
        std::string Errors;
        std::vector<std::string> Expected;
    } const Cases[] = {
        {"progress lines only", 0, Progress, Ok},
        {"nothing at all", 0, "", Ok},
        {"deletions the builder could not make", 0, "Could not delete a\nCould not delete b\n", Ok},
        {"an upload's protocol", 0, std::string(Progress) + "Uploading...\n\navrdude: Version 7.1\n", Ok},
        {"a warning before the upload's protocol", 0, "warning: x\navrdude done.\n", Ok},
        {"one line is an error", 0, "something odd\n", {"something odd"}},
        {"a failed upload", 1, std::string(Progress) + "Uploading...\n\navrdude: Version 7.1\nno answer\n",
         {"", "avrdude: Version 7.1", "no answer", "The Arduino builder failed (exit code 1)."}},
        {"sketch not found", 2, "", {"The Arduino builder failed (exit code 2)."}},
        {"bad option", 3, "Error: unknown option\n", {"/: unknown option )", "The Arduino builder failed (exit code 3)."}},
        {"bad preference", 4, Progress, {"The Arduino builder failed (exit code 4)."}},
    };
    OpenSketch("Judged");
    Answer("stdout", Sizes);
    for (const Case& C : Cases) {
        Answer("code", std::to_string(C.Code));
        Answer("stderr", C.Errors);
        Main->ArduinoVerify();
        EXPECT_EQ(Entries(), C.Expected) << C.Name;
        const bool Success = C.Expected == Ok;
        EXPECT_EQ(Main->ActiveErrorList()->Color(), Success ? TColor(0xFFFFFF) : TColor(14803455)) << C.Name;
        if (Success) {
            EXPECT_EQ(Main->ActiveErrorList()->Height(), 48) << C.Name;
        }
        // The progress bar rests again.
        EXPECT_EQ(Main->ActiveProgressBar()->Height(), 1);
    }
}

TEST_F(ArduinoBuildTest, ErrorsAreListedMarkedAndJumpedTo) {
    std::string Text;
    for (int I = 1; I <= 40; ++I) Text += "int line" + std::to_string(I) + ";\n";
    OpenSketch("Broken", Text);
    Answer("stdout", "compiling\nlinking\n");
    TfrmEditor* Editor = Main->ActiveEditorForm();
    Editor->codeedt->SetCaretXY({3, 2});
    Answer("code", "1");
    Answer("stderr", std::string(Progress) +
                         "/x/Broken/Broken.ino: In function \xE2\x80\x98void setup()\xE2\x80\x99:\n"
                         "Broken:12:5: error: \xE2\x80\x98x\xE2\x80\x99 was not declared in this scope\n"
                         "   x = 1;\n"
                         "Broken:30:17: error: expected ';' before '}' token\n"
                         "exit status 1\n");
    Main->ArduinoVerify();
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{
                  "12/5: \xE2\x80\x98x\xE2\x80\x99 was not declared in this scope in function:  void setup():)",
                  "   x = 1;", "30/17: expected ';' before '}' token )", "exit status 1",
                  "The Arduino builder failed (exit code 1)."}));
    // A mark on each error line; the caret ends on the last one, in the column it had.
    std::vector<int> MarkLines;
    for (int I = 0; I < Editor->codeedt->Marks()->Count(); ++I)
        MarkLines.push_back(Editor->codeedt->Marks()->Items(I)->Line());
    std::sort(MarkLines.begin(), MarkLines.end());
    EXPECT_EQ(MarkLines, (std::vector<int>{12, 30}));
    EXPECT_EQ(Editor->codeedt->CaretY(), 30);
    EXPECT_EQ(Editor->codeedt->CaretX(), 3);
    EXPECT_EQ(Main->ActiveErrorList()->Height(), std::min(20 * 5, Main->pgEdit->Height() / 2));

    // A double click on an entry puts the caret there, the line in the middle of the view.
    TListBox* List = Main->ActiveErrorList();
    const TRect First = List->ItemRect(0);
    DoubleClickMessages(List, {First.Left + 5, First.Top + 3});
    EXPECT_EQ(Editor->codeedt->CaretY(), 12);
    EXPECT_EQ(Editor->codeedt->CaretX(), 5);
    // A raw compiler line, as the original error log shows it.
    List->Items()->Add(u"Broken:7:9: error: y");
    List->SetItemIndex(List->Items()->Count() - 1);
    Main->ErrorListDblClick(List);
    EXPECT_EQ(Editor->codeedt->CaretY(), 7);
    EXPECT_EQ(Editor->codeedt->CaretX(), 9);

    // The pop-up's raw logs.
    Main->Action(u"actShowErrorListing")->Execute();
    EXPECT_EQ(Entries().front(), "Picked up JAVA_TOOL_OPTIONS: ");
    EXPECT_EQ(List->Color(), TColor(16646124));
    Main->Action(u"actShowNormalLog")->Execute();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"compiling", "linking"}));
}

TEST_F(ArduinoBuildTest, ABuilderPastTheTimeLimitIsStoppedWithAllItStarted) {
    OpenSketch("Slow");
    Answer("sleep", "300");
    // Long enough for the builder to start its own child on a busy machine.
    Main->BuilderTimeLimit = 2000;
    Main->ArduinoVerify();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"The Arduino builder did not end within 2000 ms and was stopped."}));
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(14803455));
    const int Grandchild = std::stoi(Seen("grandchild"));
    EXPECT_TRUE(WaitUntil([&] {
        std::ifstream Stat("/proc/" + std::to_string(Grandchild) + "/stat");
        std::string Line;
        return !std::getline(Stat, Line) || Line.substr(Line.rfind(')') + 2, 1) == "Z";
    }));
}

TEST_F(ArduinoBuildTest, OneRunAtATimeAndItsPageStays) {
    OpenSketch("Busy");
    Answer("sleep", "0.5");
    // While the builder runs the window handles its messages: the user presses F9 and F10 again
    // and tries to close the page and the window.
    TTimer Impatient(nullptr);
    Impatient.SetInterval(50);
    bool SeenRunning = false;
    Impatient.OnTimer = [&](TObject*) {
        if (!Main->BuildRunning()) return;
        SeenRunning = true;
        Main->Action(u"actArduinoCompile")->Execute();
        Main->Action(u"actArduinoUpload")->Execute();
        Main->CloseActiveTab();
        Main->Close();
    };
    Main->Action(u"actArduinoCompile")->Execute();
    Impatient.SetEnabled(false);
    EXPECT_TRUE(SeenRunning);
    EXPECT_EQ(Seen("runs"), "run\n");
    EXPECT_EQ(Entries().front(), "Compilation OK");
    EXPECT_TRUE(Main->Visible());
    EXPECT_EQ(Main->pgEdit->PageCount(), 2);
}

TEST_F(ArduinoBuildTest, AReadOnlyExampleIsBuiltAsItLies) {
    // A byte-order mark: a save would not write it.
    const std::string Bytes = "\xEF\xBB\xBFvoid setup() {}\r\nvoid loop() {}\r\n";
    const String Example = Sketch("Examples/Fade/Fade.ino", Bytes);
    Open(Example, tkExamplesRO);
    Main->ArduinoVerify();
    EXPECT_EQ(Entries().front(), "Compilation OK");
    EXPECT_EQ(ReadBytes(U8(Example)), Bytes);
    // A sketch of the user's is saved first.
    const String Own = Sketch("Own/Own.ino", Bytes);
    Open(Own);
    Main->ArduinoVerify();
    EXPECT_EQ(ReadBytes(U8(Own)), Bytes.substr(3));
}

TEST_F(ArduinoBuildTest, WhatCannotBeBuiltIsRefusedBeforeAnythingRuns) {
    struct Case {
        const char* Folder;
        const char* File;
        const char* Message;
    } const Cases[] = {
        {"Header", "Header/Header.h", "Selected file is not an Arduino project (.ino or .pde)"},
        {"Line\nbreak", "Line\nbreak/Sketch.ino", "The Arduino builder cannot be given a name with a line break in it:"},
    };
    for (const Case& C : Cases) {
        Sketch(std::string(C.Folder) + "/Morvane.prj", "ArduinoType=uno\r\n");
        Open(Sketch(C.File, "void setup() {}\n"));
        TQuestionScript Script;
        Script.Answer(IDOK);
        Main->ArduinoVerify();
        ASSERT_EQ(Script.Asked().size(), 1u) << C.Folder;
        EXPECT_EQ(U8(Script.Last().Text).rfind(C.Message, 0), 0u) << U8(Script.Last().Text);
        EXPECT_EQ(U8(Script.Last().Caption), "MORVANE - Compile / Upload");
        EXPECT_FALSE(std::filesystem::exists(Arduino + "/runs")) << C.Folder;
    }
}

TEST_F(ArduinoBuildTest, AnUploadReleasesOnlyThePortOfItsOwnFilesTerminal) {
    TPtyPair Eight(Temp.Sys("ports"), 8, 0), Nine(Temp.Sys("ports"), 9, 0);
    Sketch("Other/Morvane.prj", "ArduinoType=uno\r\nComPort=9\r\n");
    Open(Sketch("Other/Other.ino", "void setup() {}\nvoid loop() {}\n"));
    Main->OpenTerminal(Main->ActiveFileName());
    Sketch("Blink/Morvane.prj", "ArduinoType=uno\r\nComPort=8\r\n");
    const String Blink = Sketch("Blink/Blink.ino", "void setup() {}\nvoid loop() {}\n");
    Open(Blink);
    Main->OpenTerminal(Blink);
    TfrmTerm* Others = Main->TerminalRecord(0)->TerminalForm;
    TfrmTerm* Own = Main->TerminalRecord(1)->TerminalForm;
    ASSERT_TRUE(Own->TermPortActive());
    ASSERT_TRUE(Others->TermPortActive());
    // While the builder runs, the file's own port is closed and the other stays open.
    Answer("sleep", "0.3");
    TTimer Watch(nullptr);
    Watch.SetInterval(20);
    int Watched = 0, Wrong = 0;
    Watch.OnTimer = [&](TObject*) {
        if (!Main->BuildRunning()) return;
        ++Watched;
        if (Own->TermPortActive() || !Others->TermPortActive() || Own->actCloseComPort->Enabled()) ++Wrong;
    };
    Main->ArduinoUpload();
    Watch.SetEnabled(false);
    EXPECT_GT(Watched, 0);
    EXPECT_EQ(Wrong, 0);
    EXPECT_TRUE(Own->TermPortActive());
    EXPECT_TRUE(Others->TermPortActive());
    // A terminal whose port was closed stays closed.
    Own->CloseTermPort();
    Main->ArduinoUpload();
    EXPECT_FALSE(Own->TermPortActive());
    EXPECT_TRUE(Others->TermPortActive());
    // The pseudo-terminals go with the test, before the window.
    Others->CloseTermPort();
}

TEST_F(ArduinoBuildTest, WhatTheBuilderLeftRunningKeepsThePortClosedUntilItEnds) {
    TPtyPair Eight(Temp.Sys("ports"), 8, 0);
    Sketch("Blink/Morvane.prj", "ArduinoType=uno\r\nComPort=8\r\n");
    const String Blink = Sketch("Blink/Blink.ino", "void setup() {}\nvoid loop() {}\n");
    Open(Blink);
    Main->OpenTerminal(Blink);
    TfrmTerm* Own = Main->TerminalRecord(0)->TerminalForm;
    ASSERT_TRUE(Own->TermPortActive());
    Answer("linger", "");
    Main->ArduinoUpload();
    EXPECT_FALSE(Main->BuildRunning());
    const int Grandchild = std::stoi(Seen("grandchild"));
    EXPECT_EQ(kill(Grandchild, 0), 0);
    ProcessMessagesFor(300);
    EXPECT_FALSE(Own->TermPortActive());
    // A second upload meanwhile: its own end does not open the port either.
    std::filesystem::remove(Arduino + "/linger");
    Main->ArduinoUpload();
    EXPECT_FALSE(Own->TermPortActive());
    Answer("go", "");
    EXPECT_TRUE(WaitUntil([&] { return Own->TermPortActive(); }));
    EXPECT_TRUE(Own->actCloseComPort->Enabled());
    Own->CloseTermPort();
}
