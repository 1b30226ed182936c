// Searching a 10 MB text of sketch sources (the Arduino examples, repeated) for a set of patterns:
// our engine against PCRE2 (16-bit code units like ours, interpreted and JIT-compiled) and
// std::regex. std::regex has no char16_t support and overflows its stack on long subjects, so it
// runs line by line over the UTF-8 text. Every engine counts all matches of the whole text; the
// counter "matches" shows that they agree. After the run a table gives our CPU time over each
// PCRE2 time (medians when the run has repetitions).

#include "regex/RegexEngine.h"
#include "platform/base/Strings.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "BenchTimes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 10 * 1024 * 1024;

struct TPattern {
    std::string Name;
    std::string Expr; // the same text in all three syntaxes
    bool CaseInsensitive;
    bool MultiLine;
    bool WithStdRegex = true;
};

// The sources of the examples that Debian's arduino package installs, or a generated stand-in.
const std::string& Utf8Text() {
    static const std::string Text = [] {
        std::string Corpus;
        const std::filesystem::path Root = "/usr/share/arduino/examples";
        std::error_code Ec;
        std::vector<std::filesystem::path> Files;
        for (auto It = std::filesystem::recursive_directory_iterator(
                 Root, std::filesystem::directory_options::follow_directory_symlink, Ec);
             !Ec && It != std::filesystem::recursive_directory_iterator(); It.increment(Ec))
            if (It->path().extension() == ".ino") Files.push_back(It->path());
        std::sort(Files.begin(), Files.end());
        for (const auto& F : Files) {
            std::ifstream In(F, std::ios::binary);
            std::ostringstream S;
            S << In.rdbuf();
            Corpus += S.str();
        }
        if (Corpus.empty())
            for (int I = 0; I < 2000; ++I)
                Corpus += "#include <Servo.h>\nvoid setup() {\n  Serial.begin(9600); // the the serial port\n"
                          "  pinMode(13, OUTPUT);\n}\nvoid loop() {\n  digitalWrite(13, HIGH);\n  "
                          "delay(1000);\n}\n" +
                          std::to_string(I) + "\n";
        std::string Out;
        Out.reserve(kTextBytes + Corpus.size());
        while (Out.size() < kTextBytes)
            Out += Corpus;
        Out.resize(kTextBytes);
        Out.erase(Out.find_last_of('\n') + 1); // whole lines
        return Out;
    }();
    return Text;
}

const String& Utf16Text() {
    static const String Text = Utf8ToString(Utf8Text());
    return Text;
}

const std::vector<std::string>& Lines() {
    static const std::vector<std::string> L = [] {
        std::vector<std::string> V;
        std::istringstream In(Utf8Text());
        std::string Line;
        while (std::getline(In, Line))
            V.push_back(Line);
        return V;
    }();
    return L;
}

// Two hundred words of the text, common and rare ones: every fifth of its thousand most frequent
// words of three or more characters.
std::string WordAlternation() {
    std::map<std::string, int> Counts;
    const std::string& T = Utf8Text();
    auto IsWord = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; };
    for (std::size_t I = 0; I < T.size();) {
        if (!IsWord(T[I]) || std::isdigit(static_cast<unsigned char>(T[I]))) {
            ++I;
            continue;
        }
        std::size_t J = I;
        while (J < T.size() && IsWord(T[J]))
            ++J;
        if (J - I >= 3) ++Counts[T.substr(I, J - I)];
        I = J;
    }
    std::vector<std::pair<std::string, int>> Ranked(Counts.begin(), Counts.end());
    std::stable_sort(Ranked.begin(), Ranked.end(),
                     [](const auto& A, const auto& B) { return A.second > B.second; });
    std::string Expr;
    int Taken = 0;
    for (std::size_t I = 0; Taken < 200; I += 5, ++Taken) {
        if (!Expr.empty()) Expr += '|';
        // A small stand-in text has fewer words: the rest are words it does not hold.
        Expr += I < Ranked.size() ? Ranked[I].first : "absent" + std::to_string(I);
    }
    return Expr;
}

const std::vector<TPattern>& Patterns() {
    static const std::vector<TPattern> P = {
        {"literal", "digitalWrite", false, false},
        {"class_quantifier", "[0-9]+", false, false},
        {"alternation", "setup|loop|Serial|delay", false, false},
        {"anchored_line", "^[ \\t]*#include", false, true},
        {"nocase_word", "\\bserial\\b", true, false},
        {"backreference", "\\b(\\w+)[ \\t]+\\1\\b", false, false},
        // std::regex would take minutes here.
        {"words_200", WordAlternation(), false, false, false},
    };
    return P;
}

void Ours(benchmark::State& State, const TPattern& P) {
    TRegexEngine R;
    R.SetModifierStr(u"g-irsmx");
    R.SetModifierI(P.CaseInsensitive);
    R.SetModifierM(P.MultiLine);
    R.SetExpression(Utf8ToString(P.Expr));
    R.SetInputString(Utf16Text());
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        if (R.Exec(1)) do
                ++Count;
            while (R.ExecNext());
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Utf8Text().size()));
}

void Pcre(benchmark::State& State, const TPattern& P, bool Jit) {
    String Expr = Utf8ToString(P.Expr);
    int ErrorCode = 0;
    PCRE2_SIZE ErrorOffset = 0;
    uint32_t Options = (P.CaseInsensitive ? PCRE2_CASELESS : 0) | (P.MultiLine ? PCRE2_MULTILINE : 0);
    pcre2_code* Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Expr.c_str()), Expr.size(), Options,
                                     &ErrorCode, &ErrorOffset, nullptr);
    if (!Code) {
        State.SkipWithError("pcre2_compile failed");
        return;
    }
    if (Jit && pcre2_jit_compile(Code, PCRE2_JIT_COMPLETE) != 0) {
        State.SkipWithError("pcre2_jit_compile failed");
        pcre2_code_free(Code);
        return;
    }
    pcre2_match_data* Data = pcre2_match_data_create_from_pattern(Code, nullptr);
    const String& Text = Utf16Text();
    const auto* Subject = reinterpret_cast<PCRE2_SPTR>(Text.c_str());
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        PCRE2_SIZE Offset = 0;
        while (Offset <= Text.size() &&
               pcre2_match(Code, Subject, Text.size(), Offset, Jit ? 0 : PCRE2_NO_JIT, Data, nullptr) >= 0) {
            const PCRE2_SIZE* Ov = pcre2_get_ovector_pointer(Data);
            ++Count;
            Offset = Ov[1] > Ov[0] ? Ov[1] : Ov[1] + 1;
        }
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Utf8Text().size()));
    pcre2_match_data_free(Data);
    pcre2_code_free(Code);
}

void StdRegex(benchmark::State& State, const TPattern& P) {
    auto Flags = std::regex::ECMAScript | std::regex::optimize;
    if (P.CaseInsensitive) Flags |= std::regex::icase;
    const std::regex Re(P.Expr, Flags);
    long Count = 0;
    for (auto _ : State) {
        Count = 0;
        for (const std::string& Line : Lines())
            Count +=
                std::distance(std::sregex_iterator(Line.begin(), Line.end(), Re), std::sregex_iterator());
        benchmark::DoNotOptimize(Count);
    }
    State.counters["matches"] = double(Count);
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Utf8Text().size()));
}

void Register() {
    for (const TPattern& P : Patterns()) {
        const std::string& Name = P.Name;
        benchmark::RegisterBenchmark(("Regex/" + Name + "/ours").c_str(), Ours, P)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Regex/" + Name + "/pcre2").c_str(), Pcre, P, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Regex/" + Name + "/pcre2_jit").c_str(), Pcre, P, true)
            ->Unit(benchmark::kMillisecond);
        if (P.WithStdRegex)
            benchmark::RegisterBenchmark(("Regex/" + Name + "/std_regex").c_str(), StdRegex, P)
                ->Unit(benchmark::kMillisecond);
    }
}

// The ratios by CPU time (on a shared machine it varies less than the wall time): the median of a
// benchmark's repetitions, or its single run.
void PrintRatios(const TTimesReporter& Reporter) {
    std::printf("\nours / peer, CPU time (below 1: ours is faster)\n%-18s %10s %10s %10s %8s %8s\n", "pattern",
                "ours ms", "pcre2 ms", "jit ms", "/pcre2", "/jit");
    for (const TPattern& P : Patterns()) {
        const auto* Ours = Reporter.Find("Regex/" + P.Name + "/ours");
        const auto* Pcre = Reporter.Find("Regex/" + P.Name + "/pcre2");
        const auto* Jit = Reporter.Find("Regex/" + P.Name + "/pcre2_jit");
        if (!Ours || !Pcre || !Jit) continue;
        std::printf("%-18s %10.1f %10.1f %10.1f %8.2f %8.2f\n", P.Name.c_str(), Ours->Cpu * 1e3, Pcre->Cpu * 1e3,
                    Jit->Cpu * 1e3, Ours->Cpu / Pcre->Cpu, Ours->Cpu / Jit->Cpu);
    }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TTimesReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    PrintRatios(Reporter);
    benchmark::Shutdown();
    return 0;
}
