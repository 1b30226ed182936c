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

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char16_t* const SCompileCaption = u"MORVANE - Compile / Upload";

// The tag of an error list that shows a good run: its notes are no places to jump to.
constexpr std::intptr_t ListShowsAGoodRun = 1;

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

bool HoldsLineBreak(const String& S) {
    return S.find_first_of(u"\r\n") != String::npos;
}

String DurationText(int Milliseconds) {
    if (Milliseconds % 60000 == 0) return Format(u"%d minutes", {Milliseconds / 60000});
    return Format(u"%d ms", {Milliseconds});
}

// IsBuilderProgressLine on a line's raw bytes, without decoding every line of a long log.
bool IsProgressBytes(std::string_view Line) {
    static const std::vector<std::pair<std::string, bool>> Lines = [] {
        std::vector<std::pair<std::string, bool>> Out;
        for (const TProgressLine& P : BuilderProgressLines) Out.emplace_back(StringToUtf8(P.Text), P.WholeLine);
        return Out;
    }();
    for (const auto& [Text, Whole] : Lines)
        if (Whole ? Line == Text : Line.starts_with(Text)) return true;
    return false;
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
    // One run at a time: the window stays responsive while the builder runs, and the action
    // pressed again meanwhile offers to stop it.
    if (FBuildRunning) {
        if (FBuilderWaiting && MessageBox(Handle(), u"The Arduino builder is still running.\r\rStop it?",
                                          SCompileCaption, MB_ICONQUESTION | MB_YESNO) == IDYES)
            StopBuild();
        return;
    }
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
    Errors->Items()->Clear();
    Errors->SetTag(0);
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

    // The batch file is replaced whole: never a half-written command line for the shell.
    const String Batch = BatchFileName();
    if (!WriteFileSafe(Batch, StringToUtf8(CommandLine) + "\n")) {
        const String Reason = Utf8ToString(std::strerror(errno));
        MessageBox(Handle(), u"Could not write the batch file\r\rPath:" + Batch + u"\r\r" + Reason, SCompileCaption,
                   MB_ICONWARNING | MB_OK);
        return;
    }
    const TBuilderRun Run = RunBatchAndWait(Batch);
    BuilderProcess = Run.Process;
    Editor->ClearMarks();

    // The builder has ended: its error log is complete. It is read once, within bounds, the
    // window handling its messages meanwhile.
    const auto Idle = [] { Application->ProcessMessages(); };
    TBuilderLog Log = ReadBuilderLog(
        ErrorLog,
        [](std::string_view L) { return L.starts_with("Could not delete ") || IsProgressBytes(L); },
        Idle);
    if (!Log.Exists && !Run.TimedOut && !Run.Stopped)
        MessageBox(Handle(), u"Could not open the LOG file\r\rPath:" + ErrorLog, u"", MB_OK);
    else if (Log.Exists && Log.Error != 0)
        MessageBox(Handle(),
                   u"Could not read the LOG file\r\rPath:" + ErrorLog + u"\r\r" + Utf8ToString(std::strerror(Log.Error)),
                   u"", MB_OK);

    // The exit code decides: 0 is a good build, whatever else the builder said on its error
    // output. Those lines are shown below the figures as notes, without marks.
    TStrings* Items = Errors->Items();
    if (Run.ExitCode == 0 && !Run.TimedOut && !Run.Stopped) {
        Items->BeginUpdate();
        Items->Add(u"Compilation OK");
        int Ignored = 0;
        ForEachLogLine(
            NormalLog, Ignored,
            [&](std::string_view Bytes, bool) {
                if (!Bytes.starts_with("Sketch uses") && !Bytes.starts_with("Global variables ")) return;
                const String L = Utf8ToString(Bytes);
                if (L.starts_with(u"Sketch uses")) {
                    const int Used = DigitsOf(Copy(L, 13, Pos(u"(", L) - 19));
                    Items->Add(Format(u"FLASH: used %d of %d bytes", {Used, MaximumOf(L)}));
                } else {
                    const int Used = DigitsOf(Copy(L, 1, Pos(u"bytes", L)));
                    Items->Add(Format(u"RAM:   used %d of %d bytes", {Used, MaximumOf(L)}));
                }
            },
            Idle);
        const int Figures = Items->Count();
        for (const String& L : Log.Lines)
            if (!Trim(L).empty()) Items->Add(L);
        Items->EndUpdate();
        Errors->SetTag(ListShowsAGoodRun);
        Errors->SetHeight(Items->Count() == Figures ? 48
                                                    : std::max(48, std::min(20 * Items->Count(), pgEdit->Height() / 2)));
        Errors->SetColor(TColor(0xFFFFFF));
        return;
    }
    TStringList Lines;
    for (String& L : Log.Lines) Lines.Add(std::move(L));
    if (Run.Stopped)
        Lines.Add(u"The Arduino builder was stopped by the user.");
    else if (Run.TimedOut)
        Lines.Add(Format(u"The Arduino builder did not end within %s and was stopped.", {DurationText(BuilderTimeLimit)}));
    else if (Run.ExitCode != 0)
        Lines.Add(Format(u"The Arduino builder failed (exit code %d).", {Run.ExitCode}));
    ShowCompileErrors(&Lines, Errors);
    Errors->SetColor(TColor(14803455));
}

TfrmMain::TBuilderRun TfrmMain::RunBatchAndWait(const String& BatchFile) {
    TBuilderRun Run;
    auto Builder = std::make_shared<TChildProcess>();
    FStopRequested = false;
    if (!Builder->Start({u"/bin/sh", BatchFile})) return Run;
    Run.Started = true;
    Run.Process = Builder;
    FBuilderWaiting = true;
    TScopeExit Ended([this] {
        FBuilderWaiting = false;
        FStopRequested = false;
    });
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BuilderTimeLimit);
    // Rounds of 25 ms, handling the window's messages after each; the child's end wakes the wait
    // at once.
    while (!Builder->WaitFor(25)) {
        Application->ProcessMessages();
        if (FStopRequested && Builder->Running()) {
            Builder->Terminate();
            Run.Stopped = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= Deadline) {
            Builder->Terminate();
            Run.TimedOut = true;
            break;
        }
    }
    Run.ExitCode = Builder->ExitCode();
    return Run;
}

bool TfrmMain::ForEachLogLine(const String& FileName, int& Error, const std::function<void(std::string_view, bool)>& Line,
                              const std::function<void()>& Idle) {
    Error = 0;
    const int Fd = open(StringToUtf8(FileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
        Error = errno;
        return false;
    }
    TScopeExit Close([Fd] { close(Fd); });
    // A line longer than this is cut at a character's start, so that a log of one endless line
    // takes no more memory than a short one.
    const auto Cut = [](std::string_view L) {
        if (L.size() <= size_t(BuilderLogLineBytes)) return L;
        size_t N = BuilderLogLineBytes;
        for (int Back = 0; Back < 3 && N > 0 && (static_cast<unsigned char>(L[N]) & 0xC0) == 0x80; ++Back) --N;
        return L.substr(0, N);
    };
    std::vector<char> Buffer(1 << 20);
    // The start of a line that goes on in the next block, and whether it is longer than kept.
    std::string Pending;
    bool PendingLong = false;
    // A CR at the end of a block: an LF at the start of the next one belongs to it.
    bool SkipLf = false;
    auto LastIdle = std::chrono::steady_clock::now();
    for (;;) {
        const ssize_t N = read(Fd, Buffer.data(), Buffer.size());
        if (N < 0) {
            if (errno == EINTR) continue;
            Error = errno;
            return false;
        }
        if (N == 0) break;
        const char* P = Buffer.data();
        const char* const End = P + N;
        if (SkipLf && *P == '\n') ++P;
        SkipLf = false;
        const auto Find = [&](char C) {
            const void* F = std::memchr(P, C, size_t(End - P));
            return F ? static_cast<const char*>(F) : End;
        };
        const char* NextLf = Find('\n');
        const char* NextCr = Find('\r');
        while (P < End) {
            const char* T = std::min(NextLf, NextCr);
            const std::string_view Piece(P, size_t(T - P));
            if (T == End) {
                // The line goes on in the next block.
                if (!PendingLong) {
                    Pending.append(Piece.substr(0, std::min(Piece.size(), size_t(BuilderLogLineBytes) + 4 - Pending.size())));
                    PendingLong = Pending.size() > size_t(BuilderLogLineBytes);
                }
                break;
            }
            if (Pending.empty()) {
                Line(Cut(Piece), Piece.size() > size_t(BuilderLogLineBytes));
            } else {
                if (!PendingLong) Pending.append(Piece.substr(0, std::min(Piece.size(), size_t(BuilderLogLineBytes) + 4 - Pending.size())));
                Line(Cut(Pending), Pending.size() > size_t(BuilderLogLineBytes));
                Pending.clear();
                PendingLong = false;
            }
            P = T + 1;
            if (*T == '\r') {
                if (P < End && *P == '\n') ++P;
                else if (P == End) SkipLf = true;
            }
            if (NextLf < P) NextLf = Find('\n');
            if (NextCr < P) NextCr = Find('\r');
        }
        if (Idle && std::chrono::steady_clock::now() - LastIdle >= std::chrono::milliseconds(50)) {
            Idle();
            LastIdle = std::chrono::steady_clock::now();
        }
    }
    if (!Pending.empty()) Line(Cut(Pending), Pending.size() > size_t(BuilderLogLineBytes));
    return true;
}

TfrmMain::TBuilderLog TfrmMain::ReadBuilderLog(const String& FileName, const std::function<bool(std::string_view)>& Skip,
                                                const std::function<void()>& Idle) {
    TBuilderLog Log;
    const auto Decode = [](std::string_view Bytes, bool Long) {
        String S = Utf8ToString(Bytes);
        if (Long) S += u" \u2026";
        return S;
    };
    // The last lines, raw, in a ring: only those that stay are decoded.
    std::vector<std::string> Tail(BuilderLogKeptLines);
    std::vector<bool> TailLong(BuilderLogKeptLines);
    size_t TailNext = 0;
    long long Counted = 0;
    const bool Read = ForEachLogLine(
        FileName, Log.Error,
        [&](std::string_view Bytes, bool Long) {
            if (Skip && Skip(Bytes)) return;
            ++Counted;
            if (Log.Lines.size() < size_t(BuilderLogKeptLines)) {
                Log.Lines.push_back(Decode(Bytes, Long));
                return;
            }
            Tail[TailNext].assign(Bytes);
            TailLong[TailNext] = Long;
            TailNext = (TailNext + 1) % Tail.size();
        },
        Idle);
    Log.Exists = Read || (Log.Error != ENOENT && Log.Error != ENOTDIR);
    const long long InTail = std::min<long long>(Counted - static_cast<long long>(Log.Lines.size()), BuilderLogKeptLines);
    Log.LeftOut = Counted - static_cast<long long>(Log.Lines.size()) - InTail;
    if (Log.LeftOut > 0)
        Log.Lines.push_back(u"[... " + Utf8ToString(std::to_string(Log.LeftOut)) + u" lines of the log left out ...]");
    for (long long I = 0; I < InTail; ++I) {
        const size_t Index = (TailNext + Tail.size() - size_t(InTail) + size_t(I)) % Tail.size();
        Log.Lines.push_back(Decode(Tail[Index], TailLong[Index]));
    }
    return Log;
}

void TfrmMain::ShowCompileErrors(TStrings* Log, TListBox* ListBox) {
    TfrmEditor* Editor = EditorOfTab(dynamic_cast<TTabSheet*>(ListBox->Parent()));
    ASSERT(Editor);
    String Prefix;
    ListBox->Items()->BeginUpdate();
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
    ListBox->Items()->EndUpdate();
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
    // A note under a good run is no place: nothing happens.
    if (ListBox->Tag() == ListShowsAGoodRun &&
        (!TryStrToInt(Trim(LineText), Line) || !TryStrToInt(Trim(ColumnText), Column)))
        return;
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
    const String Name = ErrorLog ? ErrorLogName() : NormalLogName();
    const TBuilderLog Log = ReadBuilderLog(Name);
    if (!Log.Read()) {
        const int Error = Log.Exists ? Log.Error : ENOENT;
        MessageBox(Handle(),
                   String(Log.Exists ? u"Could not read the LOG file" : u"Could not open the LOG file") + u"\r\rPath:" +
                       Name + u"\r\r" + Utf8ToString(std::strerror(Error)),
                   u"", MB_OK);
        if (!Log.Exists) return;
    }
    TStrings* Items = Errors->Items();
    Items->BeginUpdate();
    Items->Clear();
    for (const String& L : Log.Lines) Items->Add(L);
    Items->EndUpdate();
    Errors->SetTag(0);
    Errors->SetColor(TColor(16646124));
}
