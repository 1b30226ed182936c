#pragma once
// What tests of every folder share: a fresh temporary folder per test, a program folder of the
// test's own, raw file contents, child processes, readable UTF-16 in failure messages.

#include "platform/base/Files.h"
#include "platform/base/Object.h"
#include "platform/base/Strings.h"
#include "platform/base/Types.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A folder under the temporary folder, removed with everything in it at the end.
class TTempFolder {
public:
    TTempFolder() {
        std::string Pattern = std::filesystem::temp_directory_path() / "morvane-test-XXXXXX";
        if (!mkdtemp(Pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = Pattern;
    }
    ~TTempFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return FPath; }
    String Dir() const { return Utf8ToString(FPath); }
    // A name in the folder: as the system takes it, and as the library takes it.
    std::string Sys(const std::string& Name) const { return FPath + "/" + Name; }
    String File(const std::string& Name) const { return Utf8ToString(Sys(Name)); }
    String operator/(const std::string& Name) const { return File(Name); }

private:
    std::string FPath;
};

// The program folder of a test: Folder/bin, with a link named like the running program. The code
// under test finds the program file there (ProgramFile, ProgramFolder) until the scope ends, so
// that what the programs keep beside themselves stays inside the test's own folder.
class TTestProgramFolder {
public:
    explicit TTestProgramFolder(const std::string& Folder) : FOld(ProgramFile()), FDir(Folder + "/bin") {
        const std::filesystem::path Real = std::filesystem::read_symlink("/proc/self/exe");
        const std::filesystem::path Link = std::filesystem::path(FDir) / Real.filename();
        std::filesystem::create_directories(FDir);
        if (!std::filesystem::is_symlink(Link)) std::filesystem::create_symlink(Real, Link);
        SetProgramFileOverride(Utf8ToString(Link.string()));
    }
    ~TTestProgramFolder() { SetProgramFileOverride(FOld); }
    TTestProgramFolder(const TTestProgramFolder&) = delete;
    TTestProgramFolder& operator=(const TTestProgramFolder&) = delete;

    // The folder, without trailing '/', and a name in it.
    String Dir() const { return Utf8ToString(FDir); }
    String operator/(const std::string& Name) const { return Utf8ToString(FDir + "/" + Name); }

private:
    String FOld;
    std::string FDir;
};

inline void WriteBytes(const std::string& Path, const std::string& Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << Bytes;
    if (!Out) throw std::runtime_error("cannot write " + Path);
}

inline std::string ReadBytes(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// The same as byte vectors, for names the library takes.
inline TBytes ReadFileBytes(const String& FileName) {
    std::string S = ReadBytes(StringToUtf8(FileName));
    return TBytes(S.begin(), S.end());
}
inline void WriteFileBytes(const String& FileName, const TBytes& Bytes) {
    WriteBytes(StringToUtf8(FileName), std::string(Bytes.begin(), Bytes.end()));
}
inline TBytes BytesOf(std::string_view S) {
    return TBytes(S.begin(), S.end());
}

inline std::vector<std::string> ListFolder(const std::string& Path) {
    std::vector<std::string> Names;
    for (const auto& E : std::filesystem::directory_iterator(Path))
        Names.push_back(E.path().filename());
    std::sort(Names.begin(), Names.end());
    return Names;
}

// Runs Body in a child process and returns its exit code (-1 when it did not exit normally).
template <class F> int RunInChild(F Body) {
    pid_t Pid = fork();
    if (Pid == 0) {
        int Code = 99;
        try {
            Code = Body();
        } catch (...) {
        }
        _exit(Code);
    }
    int Status = 0;
    waitpid(Pid, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// GoogleTest prints UTF-16 strings as code numbers: compare as UTF-8 for readable failures.
// Runs this test program again in a child, with Variable set and only the tests the filter
// names; gives the child's whole output and whether it exited with 0.
struct TChildRun {
    bool Succeeded = false;
    std::string Output;
};
inline TChildRun RunThisProgramAgain(const char* Variable, const std::string& Filter) {
    TChildRun Run;
    int Pipe[2];
    if (pipe(Pipe) != 0) {
        Run.Output = "no pipe";
        return Run;
    }
    const pid_t Pid = fork();
    if (Pid == 0) {
        dup2(Pipe[1], 1);
        dup2(Pipe[1], 2);
        close(Pipe[0]);
        setenv(Variable, "1", 1);
        const std::string Argument = "--gtest_filter=" + Filter;
        execl("/proc/self/exe", "test", Argument.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[1]);
    char Buffer[4096];
    for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
        Run.Output.append(Buffer, static_cast<std::size_t>(N));
    close(Pipe[0]);
    int Status = 0;
    waitpid(Pid, &Status, 0);
    Run.Succeeded = WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
    return Run;
}

// The sanitizers read their suppression files (ASAN_OPTIONS=...:suppressions=FILE) at the end
// of a process, with the rights it has then. A test whose child gives up root reads them as
// another user, who may not reach the checkout (a clone in a private temporary folder): while
// this lives, the variables name copies in the temporary folder that any user may read.
class TSanitizerFilesForAnyUser {
public:
    TSanitizerFilesForAnyUser() {
        const char* Base = std::getenv("TMPDIR");
        const std::string Folder = Base && *Base ? Base : "/tmp";
        for (const char* Name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            const char* Value = std::getenv(Name);
            if (!Value) continue;
            FOld.emplace_back(Name, Value);
            std::string Options;
            std::istringstream In(Value);
            for (std::string Option; std::getline(In, Option, ':');) {
                if (Option.rfind("suppressions=", 0) == 0) {
                    const std::string Copy = Folder + "/" + Name + ".supp";
                    std::error_code Failed;
                    std::filesystem::copy_file(Option.substr(13), Copy,
                                               std::filesystem::copy_options::overwrite_existing, Failed);
                    if (!Failed) {
                        std::filesystem::permissions(Copy, std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
                        Option = "suppressions=" + Copy;
                    }
                }
                Options += (Options.empty() ? "" : ":") + Option;
            }
            setenv(Name, Options.c_str(), 1);
        }
    }
    ~TSanitizerFilesForAnyUser() {
        for (const auto& [Name, Value] : FOld) setenv(Name.c_str(), Value.c_str(), 1);
    }
    TSanitizerFilesForAnyUser(const TSanitizerFilesForAnyUser&) = delete;
    TSanitizerFilesForAnyUser& operator=(const TSanitizerFilesForAnyUser&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> FOld;
};

// Runs a program (found on the PATH) with its arguments in a child process; gives its standard
// output and whether it exited with 0. Its error output goes where this program's goes.
inline TChildRun RunProgram(const std::vector<std::string>& Args) {
    TChildRun Run;
    int Pipe[2];
    if (Args.empty() || pipe(Pipe) != 0) {
        Run.Output = "no pipe";
        return Run;
    }
    const pid_t Pid = fork();
    if (Pid == 0) {
        dup2(Pipe[1], 1);
        close(Pipe[0]);
        std::vector<char*> Argv;
        for (const std::string& A : Args)
            Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        execvp(Argv[0], Argv.data());
        _exit(127);
    }
    close(Pipe[1]);
    char Buffer[65536];
    for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
        Run.Output.append(Buffer, static_cast<std::size_t>(N));
    close(Pipe[0]);
    int Status = 0;
    waitpid(Pid, &Status, 0);
    Run.Succeeded = WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
    return Run;
}

inline std::string U8(const String& S) {
    return StringToUtf8(S);
}

// The message of the exception of class E that Action raises; a marker text when it raises none.
template <class E> String ThrownMessage(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const E& Ex) {
        return Ex.Message();
    }
    return u"(nothing thrown)";
}

// An object that counts how many of its kind are alive, for ownership tests.
class TTracked : public TObject {
public:
    explicit TTracked(int& ALive) : FLive(ALive) { ++FLive; }
    ~TTracked() override { --FLive; }

private:
    int& FLive;
};
