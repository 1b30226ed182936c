// INI files at 1,000, 10,000 and 100,000 keys, in one section and in sections of ten keys:
// TMemIniFile, TIniFile and the settings store against QSettings (INI format), in one run.
// After the runs a table gives each case's ratio to QSettings (ours / peer) and each engine's
// growth from 10,000 to 100,000 keys (10 is linear).
//
//   Add:   an empty file, N keys written, then the file saved (UpdateFile, Flush, sync).
//   Read:  a file of N keys opened and every key read.
//   WriteThrough: 20 new keys into a file of N keys, each written to the file at once
//          (TIniFile always does; QSettings with a sync after each).

#include "settings/KitAppIniStorage.h"

#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "platform/base/Strings.h"

#include <QSettings>
#include <QString>

#include "BenchTimes.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int KeysPerSection = 10;
constexpr int WriteThroughKeys = 20;

String Folder;

void MakeFolder() {
    std::string Template = StringToUtf8(GetTempDir()) + "ini-bench-XXXXXX";
    if (!::mkdtemp(Template.data())) std::abort();
    Folder = Utf8ToString(Template) + u"/";
}

void RemoveFolder() {
    const std::string Command = "rm -rf '" + StringToUtf8(Folder) + "'";
    if (std::system(Command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", Command.c_str());
}

String FileFor(const char* Name) {
    return Folder + Utf8ToString(Name);
}

// Section and key of the I-th key.
String SectionOf(bool Many, int I) {
    return Many ? u"Section" + IntToStr(I / KeysPerSection) : String(u"Main");
}
String KeyOf(int I) {
    return u"Key" + IntToStr(I);
}
String ValueOf(int I) {
    return u"Value number " + IntToStr(I);
}

QString Q(const String& S) {
    return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}

// A file of N keys as every reader here reads it.
void WriteFile(const String& File, bool Many, int N) {
    std::ofstream Out(StringToUtf8(File), std::ios::binary | std::ios::trunc);
    String Current;
    for (int I = 0; I < N; ++I) {
        if (I == 0 || SectionOf(Many, I) != Current) {
            Current = SectionOf(Many, I);
            Out << "[" << StringToUtf8(Current) << "]\r\n";
        }
        Out << StringToUtf8(KeyOf(I)) << "=" << StringToUtf8(ValueOf(I)) << "\r\n";
    }
}

std::unique_ptr<TKitAppIniFileStorage> NewStore(const String& File) {
    auto Store = std::make_unique<TKitAppIniFileStorage>(nullptr);
    Store->SetLocation(flCustom);
    Store->SetFileName(File);
    Store->SetFlushOnDestroy(false);
    return Store;
}

enum TEngine { enMemIni, enIniFile, enStore, enQSettings };
const char* const EngineNames[] = {"TMemIniFile", "TIniFile", "Store", "QSettings"};

void Add(benchmark::State& State, TEngine Engine, bool Many, int N) {
    const String File = FileFor("add.ini");
    for (auto _ : State) {
        State.PauseTiming();
        DeleteFile(File);
        State.ResumeTiming();
        switch (Engine) {
        case enMemIni: {
            TMemIniFile Ini(File);
            for (int I = 0; I < N; ++I)
                Ini.WriteString(SectionOf(Many, I), KeyOf(I), ValueOf(I));
            Ini.UpdateFile();
            break;
        }
        case enStore: {
            auto Store = NewStore(File);
            for (int I = 0; I < N; ++I)
                Store->WriteString(SectionOf(Many, I) + u"\\" + KeyOf(I), ValueOf(I));
            Store->Flush();
            break;
        }
        case enQSettings: {
            QSettings Settings(Q(File), QSettings::IniFormat);
            for (int I = 0; I < N; ++I)
                Settings.setValue(Q(SectionOf(Many, I) + u"/" + KeyOf(I)), Q(ValueOf(I)));
            Settings.sync();
            break;
        }
        case enIniFile:
            break;
        }
    }
    State.counters["keys"] = N;
}

void Read(benchmark::State& State, TEngine Engine, bool Many, int N) {
    const String File = FileFor("read.ini");
    WriteFile(File, Many, N);
    size_t Length = 0;
    for (auto _ : State) {
        switch (Engine) {
        case enMemIni: {
            TMemIniFile Ini(File);
            for (int I = 0; I < N; ++I)
                Length += Ini.ReadString(SectionOf(Many, I), KeyOf(I), String()).size();
            break;
        }
        case enIniFile: {
            // Changed under the parse cache, so that the file is parsed once in each run.
            State.PauseTiming();
            WriteFile(File, Many, N);
            State.ResumeTiming();
            TIniFile Ini(File);
            for (int I = 0; I < N; ++I)
                Length += Ini.ReadString(SectionOf(Many, I), KeyOf(I), String()).size();
            break;
        }
        case enStore: {
            auto Store = NewStore(File);
            for (int I = 0; I < N; ++I)
                Length += Store->ReadString(SectionOf(Many, I) + u"\\" + KeyOf(I)).size();
            break;
        }
        case enQSettings: {
            QSettings Settings(Q(File), QSettings::IniFormat);
            for (int I = 0; I < N; ++I)
                Length += static_cast<size_t>(
                    Settings.value(Q(SectionOf(Many, I) + u"/" + KeyOf(I))).toString().size());
            break;
        }
        }
    }
    benchmark::DoNotOptimize(Length);
    State.counters["keys"] = N;
}

void WriteThrough(benchmark::State& State, TEngine Engine, bool Many, int N) {
    const String File = FileFor("through.ini");
    for (auto _ : State) {
        State.PauseTiming();
        WriteFile(File, Many, N);
        State.ResumeTiming();
        if (Engine == enIniFile) {
            TIniFile Ini(File);
            for (int I = N; I < N + WriteThroughKeys; ++I)
                Ini.WriteString(SectionOf(Many, I), KeyOf(I), ValueOf(I));
        } else {
            QSettings Settings(Q(File), QSettings::IniFormat);
            for (int I = N; I < N + WriteThroughKeys; ++I) {
                Settings.setValue(Q(SectionOf(Many, I) + u"/" + KeyOf(I)), Q(ValueOf(I)));
                Settings.sync();
            }
        }
    }
    State.counters["keys"] = N;
}

std::string Name(const char* Operation, TEngine Engine, bool Many, int N) {
    return std::string(Operation) + "/" + EngineNames[Engine] + (Many ? "/ManySections/" : "/OneSection/") +
           std::to_string(N);
}

const std::vector<std::pair<const char*, std::vector<TEngine>>> Operations = {
    {"Add", {enMemIni, enStore, enQSettings}},
    {"Read", {enMemIni, enIniFile, enStore, enQSettings}},
    {"WriteThrough", {enIniFile, enQSettings}},
};
const int Sizes[] = {1000, 10000, 100000};

void Register() {
    for (const auto& [Operation, Engines] : Operations)
        for (bool Many : {false, true})
            for (TEngine Engine : Engines)
                for (int N : Sizes) {
                    auto Fn = std::string(Operation) == "Add"    ? Add
                              : std::string(Operation) == "Read" ? Read
                                                                 : WriteThrough;
                    benchmark::RegisterBenchmark(Name(Operation, Engine, Many, N).c_str(), Fn, Engine, Many,
                                                 N)
                        ->Unit(benchmark::kMillisecond)
                        // Enough runs at every size that the first run's growing of the heap
                        // does not weigh on the larger sizes alone.
                        ->Iterations(N >= 100000  ? 6
                                     : N >= 10000 ? 20
                                                  : 100);
                }
}

// Real time, or with Cpu the process's own time (steadier on a busy machine, but without the
// waits for the disk).
void PrintTable(const TTimesReporter& Reporter, bool Cpu) {
    // milliseconds, or -1 for a run that did not take place
    auto Time = [&](const char* Operation, TEngine Engine, bool Many, int N) {
        const auto* Run = Reporter.Find(Name(Operation, Engine, Many, N));
        return !Run ? -1.0 : (Cpu ? Run->Cpu : Run->Real) * 1e3;
    };
    std::printf("\n%-40s %12s %12s %12s %10s\n",
                Cpu ? "CPU time (ms; ratio ours/QSettings)" : "real time (ms; ratio ours/QSettings)", "1k",
                "10k", "100k", "100k/10k");
    for (const auto& [Operation, Engines] : Operations)
        for (bool Many : {false, true})
            for (TEngine Engine : Engines) {
                const std::string Base = Name(Operation, Engine, Many, 0);
                std::printf("%-40s", Base.substr(0, Base.size() - 2).c_str());
                for (int N : Sizes) {
                    const double T = Time(Operation, Engine, Many, N),
                                 P = Time(Operation, enQSettings, Many, N);
                    if (T < 0)
                        std::printf(" %12s", "-");
                    else if (Engine == enQSettings || P <= 0)
                        std::printf(" %12.2f", T);
                    else
                        std::printf(" %6.2f (%.2f)", T, T / P);
                }
                const double T10 = Time(Operation, Engine, Many, 10000),
                             T100 = Time(Operation, Engine, Many, 100000);
                if (T10 > 0 && T100 > 0)
                    std::printf(" %10.1f\n", T100 / T10);
                else
                    std::printf(" %10s\n", "-");
            }
}

} // namespace

int main(int argc, char** argv) {
    MakeFolder();
    Register();
    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    PrintTable(Reporter, false);
    PrintTable(Reporter, true);
    benchmark::Shutdown();
    RemoveFolder();
    return 0;
}
