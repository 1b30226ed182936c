#pragma once
// A fresh folder under the temporary folder for each test, removed afterwards, and small
// helpers for writing and reading raw file contents.

#include "platform/base/Files.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

class TTempFolder {
public:
    TTempFolder() {
        std::string Pattern = std::filesystem::temp_directory_path() / "morvane-test-XXXXXX";
        if (!mkdtemp(Pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = Pattern;
    }
    ~TTempFolder() {
        std::error_code Ec;
        std::filesystem::remove_all(FPath, Ec);
    }
    const std::string& Path() const { return FPath; }
    std::string Sys(const std::string& Name) const { return FPath + "/" + Name; }
    String operator/(const std::string& Name) const { return Utf8ToString(Sys(Name)); }
    String Dir() const { return Utf8ToString(FPath); }

private:
    std::string FPath;
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
inline std::string U8(const String& S) {
    return StringToUtf8(S);
}
