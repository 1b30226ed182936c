#pragma once
// Tests that measure text or paint need the application object, which only the process started
// with MORVANE_TREE_WINDOWS has. A screen test begins with SCREEN_TEST(): in that process it
// goes on; in any other it runs itself there, expects it to pass, and ends.

#include "support/GraphicsTestSupport.h"
#include "tree/LeanStringTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

inline bool InScreenProcess() {
    if (std::getenv("MORVANE_TREE_WINDOWS")) return true;
    const auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string Filter = std::string("--gtest_filter=") + Info->test_suite_name() + "." + Info->name();
    int Pipe[2];
    if (pipe(Pipe) != 0) {
        ADD_FAILURE() << "no pipe";
        return false;
    }
    const pid_t Pid = fork();
    if (Pid == 0) {
        dup2(Pipe[1], 1);
        dup2(Pipe[1], 2);
        close(Pipe[0]);
        setenv("MORVANE_TREE_WINDOWS", "1", 1);
        execl("/proc/self/exe", "test_tree", Filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[1]);
    std::string Output;
    char Buffer[4096];
    for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
        Output.append(Buffer, static_cast<std::size_t>(N));
    close(Pipe[0]);
    int Status = 0;
    waitpid(Pid, &Status, 0);
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Output;
    EXPECT_NE(Output.find("[  PASSED  ] 1 test."), std::string::npos) << Output;
    return false;
}

#define SCREEN_TEST()                                                                                        \
    if (!InScreenProcess()) return

// Three texts per node by column, kept in a table by the test.
struct TTextTable {
    std::map<PLeanNode, std::vector<String>> Texts;
    void Bind(TCustomLeanStringTree& Tree) {
        Tree.OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex Column, TVSTTextType Type,
                                String& Text) {
            if (Type != ttNormal) return;
            auto It = Texts.find(Node);
            if (It == Texts.end()) return;
            const auto Index = static_cast<std::size_t>(std::max(Column, 0));
            if (Index < It->second.size()) Text = It->second[Index];
        };
    }
};
