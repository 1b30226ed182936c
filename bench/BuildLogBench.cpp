// A builder gone wild: "Compile sketch" with a builder that prints a 200 MB error log (1.9
// million compiler error lines) and fails, from the command to the bounded error list, with the
// time and the process's peak memory above what it held before the command. Beside it, the same
// builder run straight from the shell, which writes the log and nothing more. No network needed:
//   build/bench/bench_build_log            (MORVANE_LOG_MB=50 for a smaller log)

#include "ide/Main.h"
#include "ide/Options.h"

#include "platform/base/Files.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Gui.h"
#include "platform/gui/Questions.h"
#include "support/ProcessMemory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

std::string Root;

void ResetPeak() {
    std::ofstream Clear("/proc/self/clear_refs");
    Clear << "5";
}

double Seconds(std::chrono::steady_clock::duration D) {
    return std::chrono::duration<double>(D).count();
}

} // namespace

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterPlatformGuiClasses();
    TQuestionScript Script;
    Script.SetHandler([](const TQuestion& Q, TAnswer&) {
        std::fprintf(stderr, "unexpected question: %s\n", StringToUtf8(Q.Text).c_str());
        std::exit(3);
    });

    char Pattern[] = "/tmp/morvane-build-log-bench-XXXXXX";
    Root = mkdtemp(Pattern);
    for (const char* Folder : {"/home", "/bin/Temp", "/arduino", "/sketchbook/Wild"})
        std::filesystem::create_directories(Root + Folder);
    setenv("HOME", (Root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (Root + "/home/.config").c_str(), 1);
    SetProgramFileOverride(Utf8ToString(Root + "/bin/Morvane"));
    std::ofstream(Root + "/bin/Morvane.templates").close();
    std::ofstream(Root + "/sketchbook/Wild/Wild.ino") << "void setup() {}\nvoid loop() {}\n";
    std::ofstream(Root + "/sketchbook/Wild/Morvane.prj") << "ArduinoType=uno\r\nComPort=7\r\n";

    // The log: compiler error lines of about 105 bytes.
    const char* Megabytes = std::getenv("MORVANE_LOG_MB");
    const long long Size = (Megabytes ? std::atoll(Megabytes) : 200) * 1000 * 1000;
    long long Lines = 0;
    {
        std::ofstream Log(Root + "/arduino/errors", std::ios::binary);
        std::string Block;
        long long Written = 0;
        while (Written < Size) {
            Block.clear();
            for (int I = 0; I < 10000 && Written + (long long)Block.size() < Size; ++I, ++Lines)
                Block += "/home/user/Arduino/Wild/Wild.ino:" + std::to_string(Lines % 9000 + 1) +
                         ":5: error: 'undefinedThing" + std::to_string(Lines) + "' was not declared in this scope\n";
            Log << Block;
            Written += (long long)Block.size();
        }
    }
    std::ofstream(Root + "/arduino/arduino") << "#!/bin/sh\ncat \"$(dirname \"$0\")/errors\" >&2\nexit 1\n";
    chmod((Root + "/arduino/arduino").c_str(), 0755);

    frmDM = new TfrmDM(nullptr);
    frmMain = new TfrmMain(nullptr);
    frmOptions = new TfrmOptions(nullptr);
    frmOptions->edPathToArduino->SetText(Utf8ToString(Root + "/arduino"));
    frmOptions->edPathToProjects->SetText(Utf8ToString(Root + "/sketchbook"));
    frmMain->Show();
    frmMain->OpenFileInTab(Utf8ToString(Root + "/sketchbook/Wild/Wild.ino"), ntFileSrc, tkSketches, false);
    Application->ProcessMessages();

    // The builder from the shell: the batch file of a first run, once to warm the caches.
    frmMain->Action(u"actArduinoCompile")->Execute();
    const std::string Command = "/bin/sh '" + StringToUtf8(frmMain->BatchFileName()) + "'";
    auto Start = std::chrono::steady_clock::now();
    (void)!std::system(Command.c_str());
    const double Shell = Seconds(std::chrono::steady_clock::now() - Start);

    // The longest time the window went without handling its messages, seen by a timer.
    TTimer Watch(nullptr);
    Watch.SetInterval(10);
    auto LastTick = std::chrono::steady_clock::now();
    double LongestGap = 0;
    Watch.OnTimer = [&](TObject*) {
        const auto Now = std::chrono::steady_clock::now();
        LongestGap = std::max(LongestGap, Seconds(Now - LastTick));
        LastTick = Now;
    };
    const long Before = ProcessStatusKiB("VmRSS:");
    ResetPeak();
    Watch.SetEnabled(true);
    LastTick = Start = std::chrono::steady_clock::now();
    frmMain->Action(u"actArduinoCompile")->Execute();
    const double Ours = Seconds(std::chrono::steady_clock::now() - Start);
    LongestGap = std::max(LongestGap, Seconds(std::chrono::steady_clock::now() - LastTick));
    Watch.SetEnabled(false);
    const long Peak = ProcessStatusKiB("VmHWM:");
    const int Entries = frmMain->ActiveErrorList()->Items()->Count();

    std::printf("error log: %.0f MB, %lld lines\n", Size / 1e6, Lines);
    std::printf("the builder from the shell (writes the log): %.2f s\n", Shell);
    std::printf("Compile sketch to the error list: %.2f s; %.2f s over the shell run; %d entries\n", Ours,
                Ours - Shell, Entries);
    std::printf("longest time without handling the window's messages: %.0f ms\n", LongestGap * 1e3);
    std::printf("memory: %.1f MB before the command, peak %.1f MB, %.1f MB above it\n", Before / 1024.0,
                Peak / 1024.0, (Peak - Before) / 1024.0);

    delete frmOptions;
    delete frmMain;
    delete frmDM;
    std::error_code Ignored;
    std::filesystem::remove_all(Root, Ignored);
    return 0;
}
