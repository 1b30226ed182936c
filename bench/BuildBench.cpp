// Verify: from the "Compile sketch" command to the result in the error list, beside the same
// builder run (the batch file Morvane wrote, the same command line) straight from the shell, in
// the same run on the same sketch and build folder, with the overhead printed at the end. The
// builder runs only in a private network namespace:
//   tests/support/netless build/bench/bench_build

#include "ide/Main.h"
#include "ide/Options.h"

#include "platform/base/Files.h"
#include "platform/gui/Gui.h"
#include "platform/gui/Questions.h"

#include "support/ArduinoSketchbook.h"

#include "BenchTimes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string Root;

void SetUpMorvane() {
    char Pattern[] = "/tmp/morvane-build-bench-XXXXXX";
    Root = mkdtemp(Pattern);
    std::filesystem::create_directories(Root + "/home");
    std::filesystem::create_directories(Root + "/bin/Temp");
    setenv("HOME", (Root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (Root + "/home/.config").c_str(), 1);
    SetProgramFileOverride(Utf8ToString(Root + "/bin/Morvane"));
    // The editor tabs read the templates beside the program.
    std::FILE* Templates = std::fopen((Root + "/bin/Morvane.templates").c_str(), "w");
    std::fclose(Templates);
    MakeArduinoSketchbook(Root + "/sketchbook");
    std::filesystem::create_directories(Root + "/sketchbook/Blink");
    std::filesystem::copy_file(ArduinoFolder + "/examples/01.Basics/Blink/Blink.ino",
                               Root + "/sketchbook/Blink/Blink.ino");
    std::FILE* Config = std::fopen((Root + "/sketchbook/Blink/Morvane.prj").c_str(), "w");
    std::fputs("ArduinoType=uno\r\nComPort=7\r\n", Config);
    std::fclose(Config);
    frmDM = new TfrmDM(nullptr);
    frmMain = new TfrmMain(nullptr);
    frmOptions = new TfrmOptions(nullptr);
    frmOptions->edPathToArduino->SetText(Utf8ToString(ArduinoFolder));
    frmOptions->edPathToProjects->SetText(Utf8ToString(Root + "/sketchbook"));
    frmMain->Show();
    frmMain->OpenFileInTab(Utf8ToString(Root + "/sketchbook/Blink/Blink.ino"), ntFileSrc, tkSketches, false);
    // The first build compiles the core; the timed ones find it in the build folder.
    frmMain->ArduinoVerify();
}

void BM_MorvaneVerify(benchmark::State& State) {
    for (auto _ : State) {
        frmMain->Action(u"actArduinoCompile")->Execute();
        if (frmMain->ActiveErrorList()->Items()->Strings(0) != u"Compilation OK") State.SkipWithError("not OK");
    }
}

void BM_BuilderFromShell(benchmark::State& State) {
    const std::string Command = "/bin/sh '" + StringToUtf8(frmMain->BatchFileName()) + "'";
    for (auto _ : State)
        if (std::system(Command.c_str()) != 0) State.SkipWithError("builder failed");
}

} // namespace

BENCHMARK(BM_MorvaneVerify)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_BuilderFromShell)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv) {
    if (!InPrivateNetwork()) {
        std::fprintf(stderr, "run it in a private network namespace: tests/support/netless %s\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterPlatformGuiClasses();
    // Nobody is there to answer a question: one ends the run.
    TQuestionScript Script;
    Script.SetHandler([](const TQuestion& Q, TAnswer&) {
        std::fprintf(stderr, "unexpected question: %s\n", StringToUtf8(Q.Text).c_str());
        std::exit(3);
    });
    SetUpMorvane();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const auto* Ours = Reporter.Find("BM_MorvaneVerify/iterations:5/real_time");
    const auto* Shell = Reporter.Find("BM_BuilderFromShell/iterations:5/real_time");
    if (Ours && Shell)
        std::printf("verify: Morvane %.0f ms, the builder from the shell %.0f ms, overhead %.0f ms (%.1f %%), "
                    "Morvane / shell = %.3f\n",
                    Ours->Real * 1e3, Shell->Real * 1e3, (Ours->Real - Shell->Real) * 1e3,
                    100.0 * (Ours->Real - Shell->Real) / Shell->Real, Ours->Real / Shell->Real);
    benchmark::Shutdown();
    delete frmOptions;
    delete frmMain;
    delete frmDM;
    std::error_code Ignored;
    std::filesystem::remove_all(Root, Ignored);
    return 0;
}
