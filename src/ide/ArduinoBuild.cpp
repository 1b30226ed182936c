// Verify and upload: one command line for the Arduino builder in a batch file beside the
// program, run until the builder ends while the window stays responsive, and its logs read back:
// "Compilation OK" with the flash and RAM use, or the errors under the editor with marks.
#include "ide/Main.h"

#include "ide/Options.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"
#include "platform/os/ChildProcess.h"
#include "platform/os/SerialDevice.h"
#include "serial/TermQz.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

const char16_t* const SCompileCaption = u"MORVANE - Compile / Upload";

// What the builder writes to its error output on every run, good or bad: its own progress, not
// the build's messages. A line is one of these when it equals the text, or begins with it where
// the rest varies.
struct TProgressLine {
    const char16_t* Text;
    bool WholeLine;
};
const TProgressLine BuilderProgressLines[] = {
    {u"Picked up ", false},
    {u"Loading configuration...", true},
    {u"Initializing packages...", true},
    {u"Preparing boards...", true},
    {u"Verifying...", true},
    {u"Uploading...", true},
};

// All decimal digits of S as one number; 0 without any.
int DigitsOf(const String& S) {
    long long N = 0;
    for (const Char C : S)
        if (C >= u'0' && C <= u'9' && N < 100000000000LL) N = N * 10 + (C - u'0');
    return static_cast<int>(std::min<long long>(N, 0x7FFFFFFF));
}

// The figure after "Maximum is " in a size line.
int MaximumOf(const String& Line) {
    const int P = Pos(u"Maximum", Line);
    return P == 0 ? 0 : DigitsOf(Copy(Line, P + 11, 255));
}

// Compiler messages quote with typographic quotes in a UTF-8 locale; they read like "'".
String WithoutQuotes(const String& S) {
    String Out;
    for (const Char C : S)
        if (C != u'\'' && C != u'\u2018' && C != u'\u2019') Out += C;
    return Out;
}

void Pause(int Milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

bool HoldsLineBreak(const String& S) {
    return S.find_first_of(u"\r\n") != String::npos;
}

String DurationText(int Milliseconds) {
    if (Milliseconds % 60000 == 0) return Format(u"%d minutes", {Milliseconds / 60000});
    return Format(u"%d ms", {Milliseconds});
}

} // namespace

bool TfrmMain::IsBuilderProgressLine(const String& Line) {
    for (const TProgressLine& P : BuilderProgressLines)
        if (P.WholeLine ? Line == P.Text : Line.starts_with(P.Text)) return true;
    return false;
}

String TfrmMain::BuilderProgram() const {
    const String Own = IncludeTrailingPathDelimiter(frmOptions->PathToArduino()) + u"arduino";
    if (FileExists(Own) && access(StringToUtf8(Own).c_str(), X_OK) == 0) return Own;
    return u"arduino";
}

String TfrmMain::BatchFileName() const {
    return IncludeTrailingPathDelimiter(ProgramFolder()) + u"TempCompileBatch.sh";
}

String TfrmMain::NormalLogName() const {
    return IncludeTrailingPathDelimiter(ProgramFolder()) + u"Temp/Normal.log";
}

String TfrmMain::ErrorLogName() const {
    return IncludeTrailingPathDelimiter(ProgramFolder()) + u"Temp/Errors.log";
}

void TfrmMain::RunArduinoAction(const String& Action) {
    // One run at a time: the window stays responsive while the builder runs.
    if (FBuildRunning) return;
    if (!CheckArduinoPath()) return;
    // The builder empties its build folder when the build's options change: it gets a folder of
    // its own inside Temp, so that the logs beside it survive the run.
    const String BuildFolder = IncludeTrailingPathDelimiter(ProgramFolder()) + u"Temp/build";
    const String NormalLog = NormalLogName();
    const String ErrorLog = ErrorLogName();
    const String Builder = BuilderProgram();
    const String ActiveFile = ActiveFileName();
    if (ActiveFile.empty()) return;
    if (FileExists(ErrorLog)) DeleteFile(ErrorLog);
    if (FileExists(NormalLog)) DeleteFile(NormalLog);
    const String Ext = AnsiUpperCase(ExtractFileExt(ActiveFile));
    if (Ext != u".INO" && Ext != u".PDE") {
        MessageBox(Handle(), u"Selected file is not an Arduino project (.ino or .pde)", SCompileCaption,
                   MB_ICONWARNING | MB_OK);
        return;
    }
    tProjectInfoRec Info;
    ReadProjectInfo(ActiveFile, Info);

    // The port goes to the builder as the device the COM number stands for here.
    String Port = SerialPortDevice(Info.ComNr);
    if (Port.empty()) Port = Format(u"COM%d", {Info.ComNr});
    // A processor goes with the board only when the board has a processor menu: the builder
    // refuses any choice for a board without one, and the default configuration names
    // atmega328 for the uno, which has none.
    const bool WithCPU = !Info.CPU.empty() && !frmOptions->BoardProcessors(Info.ArduinoInternalName).empty();
    const String Board = !WithCPU ? Format(u"arduino:avr:%s", {Info.ArduinoInternalName})
                                  : Format(u"arduino:avr:%s:cpu=%s", {Info.ArduinoInternalName, Info.CPU});
    // Every word is quoted for the shell, so that no character of a path means anything to it.
    std::vector<String> Words = {Builder, u"--pref", u"build.path=" + BuildFolder};
    // The builder takes its hardware and libraries from the user's sketch folder, as the user's
    // own builds there do.
    if (!frmOptions->PathToProjects().empty())
        Words.insert(Words.end(), {u"--pref", u"sketchbook.path=" + frmOptions->PathToProjects()});
    Words.insert(Words.end(), {u"--" + Action, u"--verbose-build", u"--verbose-upload", u"--board", Board,
                               ActiveFile, u"--port", Port});
    for (const String& W : Words)
        if (HoldsLineBreak(W)) {
            MessageBox(Handle(),
                       u"The Arduino builder cannot be given a name with a line break in it:\r\r" + W,
                       SCompileCaption, MB_ICONWARNING | MB_OK);
            return;
        }
    if (HoldsLineBreak(ProgramFolder())) {
        MessageBox(Handle(), u"The Arduino builder cannot be given a name with a line break in it:\r\r" + NormalLog,
                   SCompileCaption, MB_ICONWARNING | MB_OK);
        return;
    }
    String CommandLine = u"LC_ALL=C.UTF-8";
    for (const String& W : Words) CommandLine += u" " + ShellQuote(W);
    CommandLine += u" > " + ShellQuote(NormalLog) + u" 2> " + ShellQuote(ErrorLog);

    // The run belongs to this page even when the user turns to another one meanwhile.
    TTabSheet* Page = pgEdit->ActivePage();
    TfrmEditor* Editor = EditorOfTab(Page);
    ASSERT(Editor);
    TListBox* Errors = ErrorListOfTab(Page);
    ASSERT(Errors);
    TProgressBar* Bar = ActiveProgressBar();
    const int CaretColumn = Editor->codeedt->CaretX();
    // An example of the Arduino package is read-only: it is built as it lies on disk.
    if (Page->HelpContext() != tkExamplesRO && !Editor->codeedt->ReadOnly()) SaveActiveFile();
    TStringList Log;
    Errors->Items()->Clear();
    if (Bar) {
        Bar->SetHeight(8);
        Bar->SetState(pbsNormal);
        Application->ProcessMessages();
    }
    const TCursor OldCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    // The upload needs the port of the file's terminal: it stays closed until the builder and
    // everything it started have ended.
    TfrmTerm* Terminal = nullptr;
    if (const tTerminalClass* Record = TerminalRecord(FindTerminalByProject(ActiveFile))) {
        Terminal = Record->TerminalForm;
        HoldTerminalPort(Terminal);
    }
    std::shared_ptr<TChildProcess> BuilderProcess;
    FBuildRunning = true;
    TScopeExit CleanUp([&] {
        FBuildRunning = false;
        if (Terminal) ReleaseTerminalPort(Terminal, BuilderProcess);
        Editor->codeedt->SetCaretX(CaretColumn);
        if (Bar) {
            Bar->SetHeight(1);
            Bar->SetState(pbsPaused);
        }
        Screen->SetCursor(OldCursor);
    });

    TStringList Batch;
    // The shell reads a carriage return as part of the last word.
    Batch.SetLineBreak(u"\n");
    Batch.Add(CommandLine);
    Batch.SaveToFile(BatchFileName(), TEncoding::Default());
    const TBuilderRun Run = RunBatchAndWait(BatchFileName());
    BuilderProcess = Run.Process;
    Editor->ClearMarks();

    bool Found = false;
    for (int Round = 0; Round < 20 && !Found; ++Round) {
        bool Exists = FileExists(ErrorLog);
        for (int Attempt = 0; Attempt < 11; ++Attempt) {
            try {
                Log.LoadFromFile(ErrorLog, TEncoding::Default());
                break;
            } catch (const Exception&) {
                Pause(100);
                Application->ProcessMessages();
            }
        }
        try {
            TStringList Again;
            Again.LoadFromFile(ErrorLog, TEncoding::Default());
            for (int I = Log.Count() - 1; I >= 0; --I)
                if (Log.Strings(I).starts_with(u"Could not delete ") || IsBuilderProgressLine(Log.Strings(I)))
                    Log.Delete(I);
        } catch (const Exception&) {
            Exists = false;
        }
        Application->ProcessMessages();
        Found = Exists;
    }
    if (!Found && !Run.TimedOut) {
        MessageBox(Handle(), u"Could not open the LOG file\r\rPath:" + ErrorLog, u"", MB_OK);
        return;
    }

    // Only a builder that ended with exit code 0 succeeded; then its error log decides.
    const bool LogSaysOk =
        Log.Count() == 0 || (Log.Count() >= 2 && AnsiUpperCase(Log.Strings(1)).starts_with(u"AVRDUDE"));
    if (Run.ExitCode == 0 && !Run.TimedOut && LogSaysOk) {
        Errors->Items()->Add(u"Compilation OK");
        TStringList Normal;
        if (FileExists(NormalLog)) Normal.LoadFromFile(NormalLog, TEncoding::Default());
        for (int I = 0; I < Normal.Count(); ++I) {
            const String L = Normal.Strings(I);
            if (L.starts_with(u"Sketch uses")) {
                const int Used = DigitsOf(Copy(L, 13, Pos(u"(", L) - 19));
                Errors->Items()->Add(Format(u"FLASH: used %d of %d bytes", {Used, MaximumOf(L)}));
            } else if (L.starts_with(u"Global variables ")) {
                const int Used = DigitsOf(Copy(L, 1, Pos(u"bytes", L)));
                Errors->Items()->Add(Format(u"RAM:   used %d of %d bytes", {Used, MaximumOf(L)}));
            }
        }
        Errors->SetHeight(48);
        Errors->SetColor(TColor(0xFFFFFF));
        return;
    }
    if (Run.TimedOut)
        Log.Add(Format(u"The Arduino builder did not end within %s and was stopped.", {DurationText(BuilderTimeLimit)}));
    else if (Run.ExitCode != 0)
        Log.Add(Format(u"The Arduino builder failed (exit code %d).", {Run.ExitCode}));
    ShowCompileErrors(&Log, Errors);
    Errors->SetColor(TColor(14803455));
}

TfrmMain::TBuilderRun TfrmMain::RunBatchAndWait(const String& BatchFile) {
    TBuilderRun Run;
    auto Builder = std::make_shared<TChildProcess>();
    if (!Builder->Start({u"/bin/sh", BatchFile})) return Run;
    Run.Started = true;
    Run.Process = Builder;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BuilderTimeLimit);
    // Rounds of 25 ms, handling the window's messages after each.
    while (!Builder->WaitFor(25)) {
        Application->ProcessMessages();
        if (std::chrono::steady_clock::now() >= Deadline) {
            Builder->Terminate();
            Run.TimedOut = true;
            break;
        }
    }
    Run.ExitCode = Builder->ExitCode();
    return Run;
}

void TfrmMain::ShowCompileErrors(TStrings* Log, TListBox* ListBox) {
    TfrmEditor* Editor = EditorOfTab(dynamic_cast<TTabSheet*>(ListBox->Parent()));
    ASSERT(Editor);
    String Prefix;
    for (int I = 0; I < Log->Count(); ++I) {
        const String L = Log->Strings(I);
        const String U = AnsiUpperCase(L);
        if (const int A = Pos(u"IN FUNCTION", U); A > 0) {
            Prefix = u"in function:  " + Trim(WithoutQuotes(Copy(L, A + 12, 1024)));
        } else if (const int B = Pos(u"ERROR:", U); B > 0) {
            const String Message = Copy(L, B + 7, 1024);
            const int C = Pos(u":", U);
            String Coordinates = Copy(U, C + 1, B - C + 7);
            const String LineText = Trim(Copy(Coordinates, 1, Pos(u":", Coordinates) - 1));
            Coordinates = Copy(Coordinates, Pos(u":", Coordinates) + 1, 255);
            const String ColumnText = Trim(Copy(Coordinates, 1, Pos(u":", Coordinates) - 1));
            if (int Line; TryStrToInt(LineText, Line)) {
                Editor->codeedt->SetCaretXY({1, Line});
                Editor->PlaceMark();
            }
            ListBox->Items()->Add(Format(u"%s/%s: %s %s)", {LineText, ColumnText, Message, Prefix}));
            Prefix.clear();
        } else {
            ListBox->Items()->Add(L);
        }
    }
    ListBox->SetHeight(std::min(20 * ListBox->Items()->Count(), pgEdit->Height() / 2));
}

void TfrmMain::ErrorListDblClick(TListBox* ListBox) {
    const int Index = ListBox->ItemIndex();
    if (Index < 0) return;
    const String T = ListBox->Items()->Strings(Index);
    const int A = Pos(u"/", T);
    const int B = Pos(u":", T);
    String LineText, ColumnText;
    if (A > 0) {
        LineText = Copy(T, 1, A - 1);
        ColumnText = Copy(T, A + 1, B - A - 1);
    } else {
        // A raw compiler line: name:line:column: ...
        const String Rest = Copy(T, B + 1, Length(T));
        const int C = Pos(u":", Rest);
        const String Tail = Copy(T, B + C + 1, Length(T));
        const int D = Pos(u":", Tail);
        if (B == 0 || C == 0 || D == 0) return;
        LineText = Copy(T, B + 1, C - 1);
        ColumnText = Copy(Tail, 1, D - 1);
    }
    int Line = 0, Column = 0;
    if (!TryStrToInt(Trim(LineText), Line)) {
        ShowMessage(u"Invalid Error line nr:" + LineText);
        Line = 0;
    }
    if (!TryStrToInt(Trim(ColumnText), Column)) {
        ShowMessage(u"Invalid Error column nr:" + ColumnText);
        Column = 0;
    }
    TfrmEditor* Editor = EditorOfTab(dynamic_cast<TTabSheet*>(ListBox->Parent()));
    ASSERT(Editor);
    Editor->codeedt->SetCaretX(Column);
    Editor->codeedt->SetCaretY(Line);
    Editor->codeedt->EnsureCursorPosVisibleEx(true, true);
    if (Editor->codeedt->CanFocus()) Editor->codeedt->SetFocus();
}

void TfrmMain::ShowOriginalLog(bool ErrorLog) {
    TListBox* Errors = ActiveErrorList();
    ASSERT(Errors);
    Errors->Items()->LoadFromFile(ErrorLog ? ErrorLogName() : NormalLogName(), TEncoding::Default());
    Errors->SetColor(TColor(16646124));
}
