// The editor's line buffer and plain search on a file of 1,000,000 lines (the Arduino examples'
// sketches, repeated), each beside its peers in the same run:
//   load: ours (LoadFromFile) against Qt (QFile, QString::fromUtf8, split) and ifstream + getline;
//   save: ours (SaveToFile) against Qt (join, toUtf8, QFile) and ofstream;
//   search, one line at a time as the editor searches: ours against memmem (case kept) and
//   strcasestr (case ignored), with and without whole words.
// Five repetitions each; the summary at the end prints the medians' ratios (ours / peer) and the
// heap that the loaded lines keep, against the text's UTF-16 size.

#include "editor/EditSearch.h"
#include "editor/EditStringList.h"
#include "platform/base/Strings.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include "BenchTimes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

namespace {

constexpr int kLines = 1000000;
const char* const kWord = "digitalWrite";
const char* const kLowerWord = "digitalwrite";

// A folder of our own under the system's temporary folder, removed at exit.
struct TBenchFolder {
    std::filesystem::path Path;
    TBenchFolder() {
        std::string Template = (std::filesystem::temp_directory_path() / "editorbench-XXXXXX").string();
        if (!mkdtemp(Template.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        Path = Template;
    }
    ~TBenchFolder() {
        std::error_code Ec;
        std::filesystem::remove_all(Path, Ec);
    }
};

TBenchFolder& Folder() {
    static TBenchFolder F;
    return F;
}

// The sketches' lines, repeated to kLines lines, LF after each.
const std::string& FileName() {
    static const std::string Name = [] {
        std::vector<std::filesystem::path> Files;
        std::error_code Ec;
        for (auto It = std::filesystem::recursive_directory_iterator(
                 "/usr/share/arduino/examples", std::filesystem::directory_options::follow_directory_symlink,
                 Ec);
             !Ec && It != std::filesystem::recursive_directory_iterator(); It.increment(Ec))
            if (It->path().extension() == ".ino") Files.push_back(It->path());
        std::sort(Files.begin(), Files.end());
        std::vector<std::string> Sketch;
        for (const auto& F : Files) {
            std::ifstream In(F, std::ios::binary);
            for (std::string Line; std::getline(In, Line);) {
                if (!Line.empty() && Line.back() == '\r') Line.pop_back();
                Sketch.push_back(Line);
            }
        }
        if (Sketch.empty())
            Sketch = {"void setup() {",
                      "  pinMode(13, OUTPUT);",
                      "}",
                      "void loop() {",
                      "  digitalWrite(13, HIGH); // on",
                      "  delay(1000);",
                      "}"};
        std::string Text;
        for (int I = 0; I < kLines; ++I)
            (Text += Sketch[size_t(I) % Sketch.size()]) += '\n';
        const std::string Path = (Folder().Path / "big.ino").string();
        std::ofstream(Path, std::ios::binary) << Text;
        return Path;
    }();
    return Name;
}

size_t HeapInUse() {
    const struct mallinfo2 M = mallinfo2();
    return M.uordblks + M.hblkhd;
}

double GUtf16Bytes = 0;
double GOursHeap = 0;
double GQtHeap = 0;

// ---- load ----

void LoadOurs(benchmark::State& State) {
    const String Name = Utf8ToString(FileName());
    for (auto _ : State) {
        TCodeEditStringList Lines;
        Lines.LoadFromFile(Name);
        benchmark::DoNotOptimize(Lines.Count());
    }
    malloc_trim(0);
    const size_t Before = HeapInUse();
    {
        TCodeEditStringList Lines;
        Lines.LoadFromFile(Name);
        GOursHeap = double(HeapInUse() - Before);
        GUtf16Bytes = double(Lines.GetSeparatedText(u"\n").size() * sizeof(Char));
        State.counters["lines"] = Lines.Count();
    }
    State.counters["heap_MB"] = GOursHeap / 1e6;
}

QStringList QtLoad() {
    QFile File(QString::fromStdString(FileName()));
    if (!File.open(QIODevice::ReadOnly)) std::abort();
    return QString::fromUtf8(File.readAll()).split(QLatin1Char('\n'));
}

void LoadQt(benchmark::State& State) {
    for (auto _ : State) {
        QStringList Lines = QtLoad();
        benchmark::DoNotOptimize(Lines.size());
    }
    malloc_trim(0);
    const size_t Before = HeapInUse();
    {
        QStringList Lines = QtLoad();
        GQtHeap = double(HeapInUse() - Before);
    }
    State.counters["heap_MB"] = GQtHeap / 1e6;
}

void LoadStream(benchmark::State& State) {
    for (auto _ : State) {
        std::ifstream In(FileName(), std::ios::binary);
        std::vector<std::string> Lines;
        for (std::string Line; std::getline(In, Line);)
            Lines.push_back(std::move(Line));
        benchmark::DoNotOptimize(Lines.size());
    }
}

// ---- save ----

void SaveOurs(benchmark::State& State) {
    TCodeEditStringList Lines;
    Lines.LoadFromFile(Utf8ToString(FileName()));
    const String Out = Utf8ToString((Folder().Path / "ours.ino").string());
    for (auto _ : State)
        Lines.SaveToFile(Out);
}

void SaveQt(benchmark::State& State) {
    const QStringList Lines = QtLoad();
    const QString Out = QString::fromStdString((Folder().Path / "qt.ino").string());
    for (auto _ : State) {
        QFile File(Out);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        File.write(Lines.join(QLatin1Char('\n')).toUtf8());
    }
}

void SaveStream(benchmark::State& State) {
    std::vector<std::string> Lines;
    std::ifstream In(FileName(), std::ios::binary);
    for (std::string Line; std::getline(In, Line);)
        Lines.push_back(std::move(Line));
    const std::string Out = (Folder().Path / "stream.ino").string();
    for (auto _ : State) {
        std::ofstream File(Out, std::ios::binary | std::ios::trunc);
        for (const std::string& Line : Lines)
            (File << Line).put('\n');
    }
}

// ---- search ----

const std::vector<std::string>& Utf8Lines() {
    static const std::vector<std::string> Lines = [] {
        std::vector<std::string> V;
        std::ifstream In(FileName(), std::ios::binary);
        for (std::string Line; std::getline(In, Line);)
            V.push_back(std::move(Line));
        return V;
    }();
    return Lines;
}

const std::vector<String>& Utf16Lines() {
    static const std::vector<String> Lines = [] {
        std::vector<String> V;
        V.reserve(Utf8Lines().size());
        for (const std::string& Line : Utf8Lines())
            V.push_back(Utf8ToString(Line));
        return V;
    }();
    return Lines;
}

void SearchOurs(benchmark::State& State, bool MatchCase, bool Whole) {
    TCodeEditSearch Search(nullptr);
    TCodeSearchOptions Options;
    if (MatchCase) Options.Include(ssoMatchCase);
    if (Whole) Options.Include(ssoWholeWord);
    Search.SetOptions(Options);
    Search.SetPattern(Utf8ToString(MatchCase ? kWord : kLowerWord));
    const std::vector<String>& Lines = Utf16Lines();
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        for (const String& Line : Lines)
            Count += Search.FindAll(Line);
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
}

void SearchMemmem(benchmark::State& State) {
    const size_t PatLen = std::strlen(kWord);
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        for (const std::string& Line : Utf8Lines()) {
            const char* P = Line.data();
            const char* End = P + Line.size();
            while (const void* Hit = memmem(P, size_t(End - P), kWord, PatLen)) {
                ++Count;
                P = static_cast<const char*>(Hit) + PatLen;
            }
        }
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
}

void SearchStrcasestr(benchmark::State& State) {
    const size_t PatLen = std::strlen(kLowerWord);
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        for (const std::string& Line : Utf8Lines())
            for (const char* P = Line.c_str(); (P = strcasestr(P, kLowerWord)); P += PatLen)
                ++Count;
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
}

void PrintRatio(const TTimesReporter& Reporter, const std::string& Ours, const std::string& Peer) {
    const auto *O = Reporter.Find(Ours), *P = Reporter.Find(Peer);
    if (!O || !P) return;
    std::printf("%-26s %9.2f ms   %-26s %9.2f ms   ratio %.2f\n", Ours.c_str(), O->Real * 1e3, Peer.c_str(),
                P->Real * 1e3, O->Real / P->Real);
}

} // namespace

int main(int argc, char** argv) {
    auto Add = [](const char* Name, auto Fn, int Iterations) {
        benchmark::RegisterBenchmark(Name, Fn)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(Iterations)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    };
    Add("Load/ours", LoadOurs, 2);
    Add("Load/qt", LoadQt, 2);
    Add("Load/ifstream", LoadStream, 2);
    Add("Save/ours", SaveOurs, 2);
    Add("Save/qt", SaveQt, 2);
    Add("Save/ofstream", SaveStream, 2);
    Add(
        "Search/case/ours", [](benchmark::State& S) { SearchOurs(S, true, false); }, 5);
    Add(
        "Search/case_word/ours", [](benchmark::State& S) { SearchOurs(S, true, true); }, 5);
    Add("Search/case/memmem", SearchMemmem, 5);
    Add(
        "Search/nocase/ours", [](benchmark::State& S) { SearchOurs(S, false, false); }, 5);
    Add(
        "Search/nocase_word/ours", [](benchmark::State& S) { SearchOurs(S, false, true); }, 5);
    Add("Search/nocase/strcasestr", SearchStrcasestr, 5);

    benchmark::Initialize(&argc, argv);
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();

    std::printf("\nMedians of 5 repetitions (ratio = ours / peer):\n");
    PrintRatio(Reporter, "Load/ours", "Load/qt");
    PrintRatio(Reporter, "Load/ours", "Load/ifstream");
    PrintRatio(Reporter, "Save/ours", "Save/qt");
    PrintRatio(Reporter, "Save/ours", "Save/ofstream");
    PrintRatio(Reporter, "Search/case/ours", "Search/case/memmem");
    PrintRatio(Reporter, "Search/case_word/ours", "Search/case/memmem");
    PrintRatio(Reporter, "Search/nocase/ours", "Search/nocase/strcasestr");
    PrintRatio(Reporter, "Search/nocase_word/ours", "Search/nocase/strcasestr");
    if (GOursHeap > 0 && GUtf16Bytes > 0)
        std::printf(
            "Loaded lines keep %.1f MB of heap for %.1f MB of UTF-16 text: %.2f times (Qt's list: %.2f)\n",
            GOursHeap / 1e6, GUtf16Bytes / 1e6, GOursHeap / GUtf16Bytes, GQtHeap / GUtf16Bytes);
    return 0;
}
