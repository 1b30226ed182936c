// Replacing every occurrence of a word in a 1,000,000-line sketch-like file (100,000 hits) with
// the editor control's search and replace, as one undo step, beside sed doing the same
// replacement on the file in the same run (a child process writing a new file); the ratio is
// printed after the table.
//   build/bench/bench_codeedit_replace

#include "editor/CodeEdit.h"
#include "editor/EditSearch.h"
#include "editor/Editor.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include "BenchTimes.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int LineCount = 1000000;
constexpr int Hits = 100000;

// A sketch's lines over and over, each numbered; the word blinkRate on one line in ten.
std::string SketchFile() {
    static const std::string Path = [] {
        const std::string P = StringToUtf8(GetTempDir()) + "bench-codeedit-replace.ino";
        static const char* const Lines[] = {
            "void loop() {",
            "  int sensorValue = analogRead(A0); // read %d",
            "  float voltage = sensorValue * (5.0 / 1023.0);",
            "  delay(blinkRate + %d);",
            "  Serial.println(voltage); /* volts %d */",
            "  if (voltage > 2.5) digitalWrite(LED_BUILTIN, HIGH);",
            "  else digitalWrite(LED_BUILTIN, LOW);",
            "  unsigned long now = millis() + %d;",
            "  lastRead = now;",
            "}",
        };
        std::ofstream Out(P, std::ios::binary);
        char Buffer[128];
        for (int I = 0; I < LineCount; ++I) {
            std::snprintf(Buffer, sizeof Buffer, Lines[I % 10], I);
            Out << Buffer << "\r\n";
        }
        return P;
    }();
    return Path;
}

void BM_OurReplaceAll(benchmark::State& State) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 800, 600);
    auto* Edit = new TCodeEdit(&Form);
    Edit->SetParent(&Form);
    Edit->SetAlign(alClient);
    Edit->HandleNeeded();
    auto* Engine = new TCodeEditSearch(&Form);
    Edit->SetSearchEngine(Engine);
    const TCodeSearchOptions Options{ssoReplaceAll, ssoEntireScope, ssoMatchCase, ssoWholeWord};
    for (auto _ : State) {
        State.PauseTiming();
        Edit->Lines()->LoadFromFile(Utf8ToString(SketchFile()));
        Edit->UndoList()->Clear();
        State.ResumeTiming();
        const int Replaced = Edit->SearchReplace(u"blinkRate", u"flashRate", Options);
        State.PauseTiming();
        if (Replaced != Hits) State.SkipWithError("not every occurrence was replaced");
        // One step: every undo item of the replacement carries the same change number.
        std::set<int> Numbers;
        TCodeEditUndoList* List = Edit->UndoList();
        std::vector<std::unique_ptr<TCodeEditUndoItem>> Items;
        while (List->CanUndo())
            Items.push_back(List->PopItem());
        for (const auto& Item : Items)
            Numbers.insert(Item->ChangeNumber());
        if (Numbers.size() != 1 || Items.size() != 2u * Hits) State.SkipWithError("not one undo step");
        State.ResumeTiming();
    }
    State.counters["hits"] = Hits;
}

void BM_SedReplaceAll(benchmark::State& State) {
    const std::string Out = SketchFile() + ".sed";
    for (auto _ : State) {
        const pid_t Pid = fork();
        if (Pid == 0) {
            const int Fd = open(Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(Fd, 1);
            execlp("sed", "sed", "s/\\<blinkRate\\>/flashRate/g", SketchFile().c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int Status = 0;
        waitpid(Pid, &Status, 0);
        if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) State.SkipWithError("sed failed");
    }
    std::error_code Ignored;
    std::filesystem::remove(Out, Ignored);
    State.counters["hits"] = Hits;
}

} // namespace

BENCHMARK(BM_OurReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SedReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    Application->Initialize();
    RegisterEditorClasses();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const auto *Ours = Reporter.Find("BM_OurReplaceAll"), *Sed = Reporter.Find("BM_SedReplaceAll");
    if (Ours && Sed)
        std::printf("replace %d occurrences in %d lines: ours %.1f ms, sed %.1f ms, ours / sed = %.2f\n", Hits,
                    LineCount, Ours->Real * 1e3, Sed->Real * 1e3, Ours->Real / Sed->Real);
    std::error_code Ignored;
    std::filesystem::remove(SketchFile(), Ignored);
    benchmark::Shutdown();
    DoneApplication();
    return 0;
}
