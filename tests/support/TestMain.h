#pragma once
// The main of every test program. Each runs inside a temporary folder of its own: its home,
// config and temporary folders, its program folder and its current folder are there, so that
// no test writes into the checkout, the build tree or the user's home; the folder goes at the end.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>

class TTestEnvironment {
public:
    TTestEnvironment() : FOldCurrent(std::filesystem::current_path()) {
        const char* Base = std::getenv("TMPDIR");
        const std::string Program = std::filesystem::read_symlink("/proc/self/exe").filename();
        std::string Pattern = std::string(Base && *Base ? Base : "/tmp") + "/morvane-" + Program + "-XXXXXX";
        if (!mkdtemp(Pattern.data())) throw std::runtime_error("mkdtemp failed for " + Pattern);
        FRoot = Pattern;
        for (const char* Sub : {"home/.config", "tmp"})
            std::filesystem::create_directories(FRoot + "/" + Sub);
        // Open to other users as the system's own temporary folder is, for tests that drop
        // their privileges in a child.
        using std::filesystem::perms;
        std::filesystem::permissions(FRoot, perms::owner_all | perms::group_read | perms::group_exec |
                                                perms::others_read | perms::others_exec);
        std::filesystem::permissions(FRoot + "/tmp", perms::all | perms::sticky_bit);
        setenv("HOME", (FRoot + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (FRoot + "/home/.config").c_str(), 1);
        setenv("TMPDIR", (FRoot + "/tmp").c_str(), 1);
        std::filesystem::create_directory(FRoot + "/runtime");
        std::filesystem::permissions(FRoot + "/runtime", perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (FRoot + "/runtime").c_str(), 1);
        FProgram.emplace(FRoot);
        std::filesystem::current_path(FRoot);
    }
    ~TTestEnvironment() {
        FProgram.reset();
        std::error_code Ignored;
        std::filesystem::current_path(FOldCurrent, Ignored);
        std::filesystem::remove_all(FRoot, Ignored);
    }
    TTestEnvironment(const TTestEnvironment&) = delete;
    TTestEnvironment& operator=(const TTestEnvironment&) = delete;

    const std::string& Root() const { return FRoot; }

private:
    std::filesystem::path FOldCurrent;
    std::string FRoot;
    std::optional<TTestProgramFolder> FProgram;
};

// The sanitizer run shares a program's tests out among a few processes through GoogleTest's
// shard variables, read once when the run starts. A child that a test starts of this program
// must run the one test it names, so the variables go before the first test.
class TShardsStayInThisProcess : public ::testing::Environment {
public:
    void SetUp() override {
        for (const char* Name : {"GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX", "GTEST_SHARD_STATUS_FILE"})
            unsetenv(Name);
    }
};

inline void KeepShardsInThisProcess() {
    ::testing::AddGlobalTestEnvironment(new TShardsStayInThisProcess);
}

// Runs the program's tests in their environment; Register makes the classes known first.
template <class RegisterClasses> int RunTests(int argc, char** argv, RegisterClasses Register) {
    TTestEnvironment Environment;
    Register();
    ::testing::InitGoogleTest(&argc, argv);
    KeepShardsInThisProcess();
    return RUN_ALL_TESTS();
}

inline int RunTests(int argc, char** argv) {
    return RunTests(argc, argv, [] {});
}
