// The editor control with a 1,000,000-line sketch-like file (about 40 MB): loading it and
// showing the first screen, and painting one screen at line 500,000, each beside Qt's own
// plain text editor doing the same in the same run; the ratios are printed after the table.
// A keystroke at line 500,000 (a letter typed, then Backspace, alternately) until the screen is
// painted again is measured beside the same keystrokes sent to Qt's editor, and so are Page Up
// and Page Down there, each until the toolkit has painted the shown window.
// The text drawer alone writing that screen's lines on the character grid is measured too, and
// the sketch highlighter colouring the whole file and painting the screen at line 500,000.
//   build/bench/bench_codeedit

#include "CodeEditBenchPeer.h"

#include "editor/CodeEdit.h"
#include "editor/Editor.h"
#include "editor/HighlighterArduino.h"
#include "editor/TextDrawer.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include "BenchTimes.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int LineCount = 1000000;
constexpr int MiddleLine = 500000;

// A sketch's lines over and over, each numbered so that no two are alike.
std::string SketchFile() {
    static const std::string Path = [] {
        const std::string P = StringToUtf8(GetTempDir()) + "bench-codeedit-sketch.ino";
        static const char* const Lines[] = {
            "void loop() {",
            "  int sensorValue = analogRead(A0); // read %d",
            "  float voltage = sensorValue * (5.0 / 1023.0);",
            "  Serial.println(voltage); /* volts %d */",
            "  if (voltage > 2.5) digitalWrite(LED_BUILTIN, HIGH);",
            "  else digitalWrite(LED_BUILTIN, LOW);",
            "  delay(%d);",
            "}",
        };
        std::ofstream Out(P, std::ios::binary);
        char Buffer[128];
        for (int I = 0; I < LineCount; ++I) {
            std::snprintf(Buffer, sizeof Buffer, Lines[I % 8], I);
            Out << Buffer << "\r\n";
        }
        return P;
    }();
    return Path;
}

struct TOurEditor {
    std::unique_ptr<TForm> Form;
    TCodeEdit* Edit = nullptr;
    std::unique_ptr<TBitmap> Picture;

    void LoadAndShow(const std::string& Path) {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, BenchViewWidth, BenchViewHeight);
        Edit = new TCodeEdit(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetAlign(alClient);
        Edit->HandleNeeded();
        Edit->Lines()->LoadFromFile(Utf8ToString(Path));
        Paint();
    }
    void Paint() {
        if (!Picture) Picture = std::make_unique<TBitmap>(BenchViewWidth, BenchViewHeight);
        // The whole window is painted again each time, as the peer's render does, rather than
        // its last picture copied.
        Edit->Invalidate();
        Edit->PaintTo(Picture->Canvas(), 0, 0);
    }
};

void BM_OurLoadAndFirstScreen(benchmark::State& State) {
    const std::string Path = SketchFile();
    for (auto _ : State) {
        TOurEditor Ours;
        Ours.LoadAndShow(Path);
        State.PauseTiming();
        Ours.Form.reset();
        State.ResumeTiming();
    }
}

void BM_QtLoadAndFirstScreen(benchmark::State& State) {
    const std::string Path = SketchFile();
    for (auto _ : State) {
        PeerLoadAndShowFirstScreen(Path);
        State.PauseTiming();
        PeerFree();
        State.ResumeTiming();
    }
}

void BM_OurPaintAtMiddle(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    Ours.Edit->SetTopLine(MiddleLine);
    for (auto _ : State)
        Ours.Paint();
}

void BM_QtPaintAtMiddle(benchmark::State& State) {
    PeerLoadAndShowFirstScreen(SketchFile());
    PeerScrollTo(MiddleLine - 1);
    for (auto _ : State)
        PeerPaintScreen();
    PeerFree();
}

// One keystroke at line 500,000 as the window's key messages, then the screen painted.
void BM_OurKeystrokeToRepaintAtMiddle(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    Ours.Edit->SetCaretXY({10, MiddleLine});
    const HWND Wnd = Ours.Edit->Handle();
    bool Backspace = false;
    for (auto _ : State) {
        const Word Key = Backspace ? Word(VK_BACK) : Word('X');
        SendMessage(Wnd, WM_KEYDOWN, Key, 1);
        SendMessage(Wnd, WM_CHAR, Backspace ? 8 : 'x', 1);
        SendMessage(Wnd, WM_KEYUP, Key, 1 | static_cast<int>(KF_UP_BIT | KF_REPEAT_BIT));
        Ours.Paint();
        Backspace = !Backspace;
    }
    if (Ours.Edit->CaretY() != MiddleLine) State.SkipWithError("the caret left its line");
}

void BM_QtKeystrokeToRepaintAtMiddle(benchmark::State& State) {
    PeerLoadAndShowFirstScreen(SketchFile());
    PeerPlaceCursor(MiddleLine - 1, 9);
    bool Backspace = false;
    for (auto _ : State) {
        PeerKeystrokeAndPaint(Backspace);
        Backspace = !Backspace;
    }
    PeerFree();
}

// Page Up and Page Down in turn at line 500,000 as the window's key messages, each followed by
// the toolkit's paint of the shown window, beside the same keys sent to Qt's editor.
void BM_OurPageMoveAtMiddle(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    Ours.Form->Show();
    Ours.Edit->SetCaretXY({1, MiddleLine});
    Ours.Edit->SetTopLine(MiddleLine);
    Application->ProcessMessages();
    const HWND Wnd = Ours.Edit->Handle();
    bool Up = true;
    for (auto _ : State) {
        const Word Key = Up ? Word(VK_PRIOR) : Word(VK_NEXT);
        SendMessage(Wnd, WM_KEYDOWN, Key, 1);
        SendMessage(Wnd, WM_KEYUP, Key, 1 | static_cast<int>(KF_UP_BIT | KF_REPEAT_BIT));
        Application->ProcessMessages();
        Up = !Up;
    }
    if (std::abs(Ours.Edit->TopLine() - MiddleLine) > Ours.Edit->LinesInWindow())
        State.SkipWithError("the window left line 500,000");
}

void BM_QtPageMoveAtMiddle(benchmark::State& State) {
    PeerLoadAndShowFirstScreen(SketchFile());
    PeerPlaceCursor(MiddleLine - 1, 0);
    PeerScrollTo(MiddleLine - 1);
    bool Up = true;
    for (auto _ : State) {
        PeerPageMoveAndPaint(Up);
        Up = !Up;
    }
    PeerFree();
}

// The screen's rows at line 500,000 written by the text drawer, each clipped to the window.
void BM_OurDrawerScreenAtMiddle(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    TFont Font;
    Font.SetName(u"Courier New");
    Font.SetSize(10);
    TheTextDrawer Drawer({fsBold}, &Font);
    TBitmap Picture(BenchViewWidth, BenchViewHeight);
    const int Rows = BenchViewHeight / Drawer.CharHeight() + 1;
    const int Cols = BenchViewWidth / Drawer.CharWidth() + 1;
    TStrings* Lines = Ours.Edit->Lines();
    for (auto _ : State) {
        Drawer.BeginDrawing(Picture.Canvas());
        for (int R = 0; R < Rows; ++R) {
            const String& S = Lines->Strings(MiddleLine - 1 + R);
            const int Y = R * Drawer.CharHeight();
            Drawer.ExtTextOut(0, Y, {tooOpaque, tooClipped},
                              Rect(0, Y, BenchViewWidth, Y + Drawer.CharHeight()), S.data(),
                              std::min(int(S.size()), Cols));
        }
        Drawer.EndDrawing();
    }
}

// Colouring the whole file: the sketch highlighter assigned to the loaded control scans all
// 1,000,000 lines for the state at each line's end.
void BM_OurColourWholeFile(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    TCodeArduHighlighter Highlighter;
    for (auto _ : State) {
        Ours.Edit->SetHighlighter(&Highlighter);
        State.PauseTiming();
        Ours.Edit->SetHighlighter(nullptr);
        State.ResumeTiming();
    }
}

// One screen at line 500,000 in the sketch highlighter's colours.
void BM_OurColouredPaintAtMiddle(benchmark::State& State) {
    TOurEditor Ours;
    Ours.LoadAndShow(SketchFile());
    TCodeArduHighlighter Highlighter;
    Ours.Edit->SetHighlighter(&Highlighter);
    Ours.Edit->SetTopLine(MiddleLine);
    for (auto _ : State)
        Ours.Paint();
}



} // namespace

BENCHMARK(BM_OurLoadAndFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QtLoadAndFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OurPaintAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtPaintAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurDrawerScreenAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurKeystrokeToRepaintAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtKeystrokeToRepaintAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurPageMoveAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtPageMoveAtMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OurColourWholeFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OurColouredPaintAtMiddle)->Unit(benchmark::kMicrosecond);

int RunCodeEditBench(int argc, char** argv) {
    RegisterEditorClasses();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const std::pair<const char*, const char*> Pairs[] = {
        {"BM_OurLoadAndFirstScreen/iterations:3", "BM_QtLoadAndFirstScreen/iterations:3"},
        {"BM_OurPaintAtMiddle", "BM_QtPaintAtMiddle"},
        {"BM_OurKeystrokeToRepaintAtMiddle", "BM_QtKeystrokeToRepaintAtMiddle"},
        {"BM_OurPageMoveAtMiddle", "BM_QtPageMoveAtMiddle"},
    };
    for (const auto& [OursName, PeerName] : Pairs) {
        const auto *Ours = Reporter.Find(OursName), *Peer = Reporter.Find(PeerName);
        if (!Ours || !Peer) continue;
        std::printf("%s: ours %.3f ms, QPlainTextEdit %.3f ms, ours / QPlainTextEdit = %.3f\n", OursName,
                    Ours->Real * 1e3, Peer->Real * 1e3, Ours->Real / Peer->Real);
    }
    std::error_code Ignored;
    std::filesystem::remove(SketchFile(), Ignored);
    benchmark::Shutdown();
    return 0;
}
