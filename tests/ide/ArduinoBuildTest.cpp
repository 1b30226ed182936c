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
# Its error log made unreadable behind it: a folder in its place.
if [ -f "$d/unreadable" ]; then
    for a in "$@"; do case "$a" in build.path=*) t="${a#build.path=}"; rm -f "${t%/build}/Errors.log"; mkdir "${t%/build}/Errors.log";; esac; done
fi
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
    std::vector<int> MarkedLines(TfrmEditor* Editor) {
        std::vector<int> Lines;
        for (int I = 0; I < Editor->codeedt->Marks()->Count(); ++I) Lines.push_back(Editor->codeedt->Marks()->Items(I)->Line());
        std::sort(Lines.begin(), Lines.end());
        return Lines;
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

TEST_F(ArduinoBuildTest, TheExitCodeDecidesAndAGoodRunsOtherLinesAreNotes) {
    const std::string Sizes = "Sketch uses 444 bytes (5%). Maximum is 8000 bytes.\n"
                              "Global variables use 9 bytes (0%). Maximum is 2048 bytes.\n";
    const std::vector<std::string> Ok = {"Compilation OK", "FLASH: used 444 of 8000 bytes",
                                         "RAM:   used 9 of 2048 bytes"};
    const auto OkWith = [&](std::vector<std::string> Notes) {
        std::vector<std::string> Out = Ok;
        Out.insert(Out.end(), Notes.begin(), Notes.end());
        return Out;
    };
    struct Case {
        const char* Name;
        int Code;
        std::string Errors;
        std::vector<std::string> Expected;
        bool Success;
    } const Cases[] = {
        {"progress lines only", 0, Progress, Ok, true},
        {"nothing at all", 0, "", Ok, true},
        {"deletions the builder could not make", 0, "Could not delete a\nCould not delete b\n", Ok, true},
        {"an upload's protocol", 0, std::string(Progress) + "Uploading...\n\navrdude: Version 7.1\n",
         OkWith({"avrdude: Version 7.1"}), true},
        {"a warning before the upload's protocol", 0, "warning: x\navrdude done.\n",
         OkWith({"warning: x", "avrdude done."}), true},
        // What made a good build fail: any line the builder's runtime, a library or the compiler
        // prints besides its progress.
        {"one line of its own", 0, "something odd\n", OkWith({"something odd"}), true},
        {"a good build that says more", 0,
         std::string(Progress) +
             "WARNING: An illegal reflective access operation has occurred\n"
             "jmdns: could not find a network interface for discovery\n"
             "WARNING: library Servo claims to run on avr architecture(s) and may be incompatible\n"
             "Judged:3:5: warning: unused variable 'x' [-Wunused-variable]\n"
             "Judged:4:1: error: this is only a note on a good run\n"
             "avrdude: ser_open(): can't open device \"/dev/x\": No such file or directory\n",
         OkWith({"WARNING: An illegal reflective access operation has occurred",
                 "jmdns: could not find a network interface for discovery",
                 "WARNING: library Servo claims to run on avr architecture(s) and may be incompatible",
                 "Judged:3:5: warning: unused variable 'x' [-Wunused-variable]",
                 "Judged:4:1: error: this is only a note on a good run",
                 "avrdude: ser_open(): can't open device \"/dev/x\": No such file or directory"}),
         true},
        {"a failed upload", 1, std::string(Progress) + "Uploading...\n\navrdude: Version 7.1\nno answer\n",
         {"", "avrdude: Version 7.1", "no answer", "The Arduino builder failed (exit code 1)."}, false},
        {"one line and a failure", 1, "something odd\n", {"something odd", "The Arduino builder failed (exit code 1)."}, false},
        {"sketch not found", 2, "", {"The Arduino builder failed (exit code 2)."}, false},
        {"bad option", 3, "Error: unknown option\n", {"/: unknown option )", "The Arduino builder failed (exit code 3)."}, false},
        {"bad preference", 4, Progress, {"The Arduino builder failed (exit code 4)."}, false},
    };
    OpenSketch("Judged", "void setup() {\n}\n\nvoid loop() {\n}\n\n\n\n");
    TfrmEditor* Editor = Main->ActiveEditorForm();
    Answer("stdout", Sizes);
    for (const Case& C : Cases) {
        Answer("code", std::to_string(C.Code));
        Answer("stderr", C.Errors);
        Main->ArduinoVerify();
        EXPECT_EQ(Entries(), C.Expected) << C.Name;
        EXPECT_EQ(Main->ActiveErrorList()->Color(), C.Success ? TColor(0xFFFFFF) : TColor(14803455)) << C.Name;
        if (C.Success) {
            const int Count = int(C.Expected.size());
            EXPECT_EQ(Main->ActiveErrorList()->Height(),
                      Count == 3 ? 48 : std::max(48, std::min(20 * Count, Main->pgEdit->Height() / 2)))
                << C.Name;
            // Notes get no marks, and a double click on one goes nowhere and asks nothing.
            EXPECT_EQ(MarkedLines(Editor), std::vector<int>{}) << C.Name;
            TListBox* List = Main->ActiveErrorList();
            const TPoint Caret = {Editor->codeedt->CaretX(), Editor->codeedt->CaretY()};
            for (int I = 3; I < List->Items()->Count(); ++I) {
                TQuestionScript Script;
                List->SetItemIndex(I);
                Main->ErrorListDblClick(List);
                EXPECT_TRUE(Script.Asked().empty()) << C.Name << ": " << U8(List->Items()->Strings(I));
            }
            // A compiler's warning among them is a place all the same.
            if (C.Expected.size() > 6) {
                List->SetItemIndex(6);
                Main->ErrorListDblClick(List);
                EXPECT_EQ(Editor->codeedt->CaretY(), 3);
                EXPECT_EQ(Editor->codeedt->CaretX(), 5);
                Editor->codeedt->SetCaretXY({Caret.X, Caret.Y});
            }
        }
        // The progress bar rests again.
        EXPECT_EQ(Main->ActiveProgressBar()->Height(), 1);
    }
}

TEST_F(ArduinoBuildTest, TextThatIsNotUtf8IsShownWithTheExitCode) {
    OpenSketch("Bytes");
    Answer("code", "1");
    Answer("stderr", std::string(Progress) + "Bytes:2:3: error: bad \xFF\xFE byte\nLatin-1 caf\xE9\n\xC3\x28 end\n");
    // Nothing is taken for a log that is not there yet: no message, the exit code shown.
    TQuestionScript Script;
    Main->ArduinoVerify();
    EXPECT_TRUE(Script.Asked().empty());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"2/3: bad \xEF\xBF\xBD\xEF\xBF\xBD byte )",
                                                   "Latin-1 caf\xEF\xBF\xBD", "\xEF\xBF\xBD( end",
                                                   "The Arduino builder failed (exit code 1)."}));
    EXPECT_EQ(MarkedLines(Main->ActiveEditorForm()), std::vector<int>{2});
}

TEST_F(ArduinoBuildTest, AnErrorLogThatIsThereButCannotBeReadIsToldFromAMissingOne) {
    OpenSketch("Unreadable");
    Answer("code", "1");
    Answer("stderr", "anything\n");
    Answer("unreadable", "");
    const std::string ErrorLog = StringToUtf8(Program / "Temp/Errors.log");
    {
        TQuestionScript Script;
        Script.Answer(IDOK);
        Main->ArduinoVerify();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(U8(Script.Last().Text), "Could not read the LOG file\r\rPath:" + ErrorLog + "\r\rIs a directory");
        EXPECT_EQ(Entries(), (std::vector<std::string>{"The Arduino builder failed (exit code 1)."}));
    }
    // None at all: without the Temp folder the shell cannot make it, and ends with exit code 2.
    std::filesystem::remove(Arduino + "/unreadable");
    std::filesystem::remove_all(StringToUtf8(Program / "Temp"));
    {
        TQuestionScript Script;
        Script.Answer(IDOK);
        Main->ArduinoVerify();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(U8(Script.Last().Text), "Could not open the LOG file\r\rPath:" + ErrorLog);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"The Arduino builder failed (exit code 2)."}));
    }
    std::filesystem::create_directories(StringToUtf8(Program / "Temp"));
    Main->ArduinoVerify();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"anything", "The Arduino builder failed (exit code 1)."}));
}

TEST_F(ArduinoBuildTest, AHugeErrorLogIsListedWithinBounds) {
    OpenSketch("Huge");
    std::string Errors = Progress;
    const int Count = 30000;
    for (int I = 1; I <= Count; ++I) Errors += "line " + std::to_string(I) + "\n";
    // One endless line and one cut inside a character.
    Errors += std::string(1 << 20, 'x') + "\n" + std::string(TfrmMain::BuilderLogLineBytes - 1, 'y') + "\xC3\xA9z\n";
    Answer("code", "1");
    Answer("stderr", Errors);
    Main->ArduinoVerify();
    const std::vector<std::string> Got = Entries();
    const int Kept = TfrmMain::BuilderLogKeptLines;
    ASSERT_EQ(Got.size(), size_t(2 * Kept + 2));
    EXPECT_EQ(Got[0], "line 1");
    EXPECT_EQ(Got[Kept - 1], "line " + std::to_string(Kept));
    EXPECT_EQ(Got[Kept], "[... " + std::to_string(Count + 2 - 2 * Kept) + " lines of the log left out ...]");
    EXPECT_EQ(Got[Kept + 1], "line " + std::to_string(Count - Kept + 3));
    EXPECT_EQ(Got[2 * Kept - 1], std::string(TfrmMain::BuilderLogLineBytes, 'x') + " \xE2\x80\xA6");
    EXPECT_EQ(Got[2 * Kept], std::string(TfrmMain::BuilderLogLineBytes - 1, 'y') + " \xE2\x80\xA6");
    EXPECT_EQ(Got.back(), "The Arduino builder failed (exit code 1).");
    // The raw log from the pop-up menu: the same bounds, the progress lines included.
    Main->Action(u"actShowErrorListing")->Execute();
    const std::vector<std::string> Raw = Entries();
    ASSERT_EQ(Raw.size(), size_t(2 * Kept + 1));
    EXPECT_EQ(Raw[0], "Picked up JAVA_TOOL_OPTIONS: ");
    EXPECT_EQ(Raw[Kept], "[... " + std::to_string(Count + 2 + 5 - 2 * Kept) + " lines of the log left out ...]");
}

TEST(ArduinoBuildLog, LinesEndWithCrLfOrCrAndTheLastNeedsNone) {
    TTempFolder T;
    WriteBytes(T.Sys("log"), "a\r\nb\rc\n\nd\r");
    std::vector<std::string> Lines;
    int Error = -1;
    EXPECT_TRUE(TfrmMain::ForEachLogLine(Utf8ToString(T.Sys("log")), Error,
                                         [&](std::string_view L, bool) { Lines.emplace_back(L); }));
    EXPECT_EQ(Error, 0);
    EXPECT_EQ(Lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
    WriteBytes(T.Sys("log"), "no end");
    Lines.clear();
    TfrmMain::ForEachLogLine(Utf8ToString(T.Sys("log")), Error, [&](std::string_view L, bool) { Lines.emplace_back(L); });
    EXPECT_EQ(Lines, (std::vector<std::string>{"no end"}));
    // Missing, and there but unreadable.
    const TfrmMain::TBuilderLog Missing = TfrmMain::ReadBuilderLog(Utf8ToString(T.Sys("none")));
    EXPECT_FALSE(Missing.Exists);
    EXPECT_EQ(Missing.Error, ENOENT);
    const TfrmMain::TBuilderLog Folder = TfrmMain::ReadBuilderLog(Utf8ToString(T.Path()));
    EXPECT_TRUE(Folder.Exists);
    EXPECT_EQ(Folder.Error, EISDIR);
    EXPECT_FALSE(Folder.Read());
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
    // (and does not stop the builder when asked) and tries to close the page and the window.
    TQuestionScript Script;
    Script.SetHandler([](const TQuestion&, TAnswer& A) { A.Result = IDNO; });
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
    ASSERT_FALSE(Script.Asked().empty());
    EXPECT_EQ(U8(Script.Last().Text), "The Arduino builder is still running.\r\rStop it?");
    EXPECT_EQ(U8(Script.Last().Caption), "MORVANE - Compile / Upload");
    EXPECT_EQ(Seen("runs"), "run\n");
    EXPECT_EQ(Entries().front(), "Compilation OK");
    EXPECT_TRUE(Main->Visible());
    EXPECT_EQ(Main->pgEdit->PageCount(), 2);
}

TEST_F(ArduinoBuildTest, TheActionAgainStopsARunningBuildWithAllItStarted) {
    OpenSketch("Endless");
    Answer("sleep", "300");
    Answer("stderr", std::string(Progress) + "compiling for ever\n");
    TQuestionScript Script;
    Script.Answer(IDYES);
    // The user presses F9 once the builder is well under way.
    TTimer User(nullptr);
    User.SetInterval(50);
    User.OnTimer = [&](TObject*) {
        if (!std::filesystem::exists(Arduino + "/grandchild")) return;
        User.SetEnabled(false);
        // F9 as the user presses it.
        KeyMessages(Main->ActiveEditorForm()->codeedt, VK_F9);
    };
    User.SetEnabled(true);
    Main->ArduinoVerify();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"compiling for ever", "The Arduino builder was stopped by the user."}));
    EXPECT_EQ(Main->ActiveErrorList()->Color(), TColor(14803455));
    EXPECT_FALSE(Main->BuildRunning());
    const int Grandchild = std::stoi(Seen("grandchild"));
    EXPECT_TRUE(WaitUntil([&] {
        std::ifstream Stat("/proc/" + std::to_string(Grandchild) + "/stat");
        std::string Line;
        return !std::getline(Stat, Line) || Line.substr(Line.rfind(')') + 2, 1) == "Z";
    }));
    // The next run is a run like any other.
    std::filesystem::remove(Arduino + "/sleep");
    Main->ArduinoVerify();
    EXPECT_EQ(Entries().front(), "Compilation OK");
}

TEST_F(ArduinoBuildTest, TheBatchFileIsReplacedWholeOrNotAtAll) {
    OpenSketch("Batch");
    Main->ArduinoVerify();
    const std::string Batch = StringToUtf8(Main->BatchFileName());
    const std::string First = ReadBytes(Batch);
    // A second name for the first file: a file written over in place would change under it.
    std::filesystem::create_hard_link(Batch, Temp.Sys("first batch"));
    ::chmod(Batch.c_str(), 0640);
    OpenSketch("Other");
    Main->ArduinoVerify();
    EXPECT_EQ(ReadBytes(Temp.Sys("first batch")), First);
    EXPECT_NE(ReadBytes(Batch), First);
    EXPECT_NE(ReadBytes(Batch).find("Other.ino"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(Batch).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
    // One that cannot be written: the message names it and the reason, and nothing runs.
    std::filesystem::remove(Batch);
    std::filesystem::create_directories(Batch + "/in the way");
    std::filesystem::remove(Arduino + "/runs");
    TQuestionScript Script;
    Script.Answer(IDOK);
    Main->ArduinoVerify();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text).rfind("Could not write the batch file\r\rPath:" + Batch + "\r\r", 0), 0u)
        << U8(Script.Last().Text);
    EXPECT_GT(Script.Last().Text.size(), ("Could not write the batch file\r\rPath:" + Batch + "\r\r").size());
    EXPECT_FALSE(std::filesystem::exists(Arduino + "/runs"));
    EXPECT_EQ(Main->ActiveProgressBar()->Height(), 1);
    std::filesystem::remove_all(Batch);
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
