// Child processes: real programs through /bin/sh, their exit codes, their own process group,
// waits with a limit, and ending the whole group.

#include "platform/os/ChildProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <fstream>
#include <string>

namespace {

// The process group of a living process, from /proc; -1 when it is gone.
int GroupOf(int Pid) {
    std::ifstream In("/proc/" + std::to_string(Pid) + "/stat");
    std::string Line;
    if (!std::getline(In, Line)) return -1;
    // pid (comm) state ppid pgrp: comm may hold blanks, so count from its closing parenthesis.
    std::istringstream Rest(Line.substr(Line.rfind(')') + 2));
    std::string State;
    int Parent = 0, Group = 0;
    Rest >> State >> Parent >> Group;
    return Group;
}

// Gone, or a zombie waiting for its new parent.
bool Ended(int Pid) {
    std::ifstream In("/proc/" + std::to_string(Pid) + "/stat");
    std::string Line;
    if (!std::getline(In, Line)) return true;
    return Line.substr(Line.rfind(')') + 2, 1) == "Z";
}

// Polls Condition until it holds or ten seconds pass.
template <class F> bool WaitFor(F Condition) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Condition()) {
        if (std::chrono::steady_clock::now() > Deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

TEST(ChildProcessTest, ExitCodesAsTheShellCountsThem) {
    struct Case {
        const char16_t* CommandLine;
        int Code;
    } const Cases[] = {
        {u"exit 0", 0},
        {u"exit 1", 1},
        {u"exit 4", 4},
        {u"kill -TERM $$", 128 + SIGTERM},
        {u"no-such-program-here 2>/dev/null", 127},
    };
    for (const Case& C : Cases) {
        TChildProcess P;
        EXPECT_EQ(P.ExitCode(), -1);
        ASSERT_TRUE(P.StartCommandLine(C.CommandLine)) << U8(C.CommandLine);
        EXPECT_TRUE(P.WaitFor(-1));
        EXPECT_FALSE(P.Running());
        EXPECT_EQ(P.ExitCode(), C.Code) << U8(C.CommandLine);
    }
}

TEST(ChildProcessTest, AProgramThatCannotStartIsReported) {
    TChildProcess P;
    errno = 0;
    EXPECT_FALSE(P.Start({u"/no/such/program"}));
    EXPECT_EQ(errno, ENOENT);
    TTempFolder Temp;
    EXPECT_FALSE(P.Start({u"/bin/true"}, Temp.Dir() + u"/missing"));
    EXPECT_EQ(errno, ENOENT);
    // Nothing runs, and a later start works.
    EXPECT_FALSE(P.Running());
    ASSERT_TRUE(P.Start({u"/bin/true"}, Temp.Dir()));
    EXPECT_TRUE(P.WaitFor(-1));
    EXPECT_EQ(P.ExitCode(), 0);
}

TEST(ChildProcessTest, RunsInItsOwnGroupAndFolderWithNothingToRead) {
    TTempFolder Temp;
    TChildProcess P;
    ASSERT_TRUE(P.StartCommandLine(u"pwd > where; cat > input; exec sleep 30", Temp.Dir()));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Temp.Sys("input")) && P.Running(); }));
    EXPECT_EQ(GroupOf(P.Pid()), P.Pid());
    EXPECT_NE(GroupOf(getpid()), P.Pid());
    // A wait with a limit answers while the child still runs.
    EXPECT_FALSE(P.WaitFor(20));
    P.Terminate();
    EXPECT_EQ(P.ExitCode(), 128 + SIGTERM);
    EXPECT_EQ(ReadBytes(Temp.Sys("where")), Temp.Path() + "\n");
    EXPECT_EQ(ReadBytes(Temp.Sys("input")), "");
}

TEST(ChildProcessTest, TerminateEndsEverythingTheChildStarted) {
    TTempFolder Temp;
    struct Case {
        const char16_t* CommandLine;
        int Code;
    } const Cases[] = {
        // A grandchild that the shell waits for.
        {u"sleep 300 & echo $! > grandchild; wait", 128 + SIGTERM},
        // One that shrugs SIGTERM off: the grace ends and SIGKILL comes.
        {u"trap '' TERM; sh -c 'trap \"\" TERM; echo $$ > grandchild; while :; do sleep 1; done' & wait",
         128 + SIGKILL},
    };
    for (const Case& C : Cases) {
        std::filesystem::remove(Temp.Sys("grandchild"));
        TChildProcess P;
        ASSERT_TRUE(P.StartCommandLine(C.CommandLine, Temp.Dir()));
        ASSERT_TRUE(WaitFor([&] { return ReadBytes(Temp.Sys("grandchild")).find('\n') != std::string::npos; }));
        const int Grandchild = std::stoi(ReadBytes(Temp.Sys("grandchild")));
        EXPECT_EQ(GroupOf(Grandchild), P.Pid());
        P.Terminate(300);
        EXPECT_FALSE(P.Running());
        EXPECT_EQ(P.ExitCode(), C.Code) << U8(C.CommandLine);
        EXPECT_TRUE(WaitFor([&] { return Ended(Grandchild); })) << U8(C.CommandLine);
    }
}

TEST(ChildProcessTest, AnOwnerThatGoesEndsItsChild) {
    int Pid = -1;
    {
        TChildProcess P;
        ASSERT_TRUE(P.Start({u"sleep", u"300"}));
        Pid = P.Pid();
    }
    EXPECT_TRUE(Ended(Pid));
}

TEST(ChildProcessTest, ADetachedChildOutlivesItsOwnerAndEndsByItself) {
    int Pid = -1;
    {
        TChildProcess P;
        ASSERT_TRUE(P.Start({u"sleep", u"300"}));
        Pid = P.Pid();
        P.Detach();
        EXPECT_FALSE(P.Running());
    }
    EXPECT_FALSE(Ended(Pid));
    // A program asked to close ends by itself: here, as the user's window manager would end it.
    kill(Pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return Ended(Pid); }));
    waitpid(Pid, nullptr, 0);
}

TEST(ChildProcessTest, ShellQuotedWordsReachTheProgramIntact) {
    TTempFolder Temp;
    const String Words[] = {u"plain", u"two  blanks", u"$HOME and ${PATH}", u"`id` $(id)", u"\"double\"",
                            u"'single' it's", u"ünïcödé ✓", u"back\\slash", u"line\nbreak", u"*?[a]~", u""};
    String CommandLine = u"printf '%s\\n---\\n'";
    for (const String& W : Words) CommandLine += u" " + ShellQuote(W);
    CommandLine += u" > out";
    TChildProcess P;
    ASSERT_TRUE(P.StartCommandLine(CommandLine, Temp.Dir()));
    ASSERT_TRUE(P.WaitFor(-1));
    EXPECT_EQ(P.ExitCode(), 0);
    std::string Expected;
    for (const String& W : Words) Expected += U8(W) + "\n---\n";
    EXPECT_EQ(ReadBytes(Temp.Sys("out")), Expected);
    EXPECT_EQ(U8(ShellQuote(u"it's")), "'it'\\''s'");
}

TEST(ChildProcessTest, AGroupRunsUntilTheLastThingTheChildStartedHasEnded) {
    TTempFolder Temp;
    TChildProcess Never;
    EXPECT_FALSE(Never.GroupRunning());
    TChildProcess P;
    // The child leaves a grandchild behind that ends when the test lets it.
    ASSERT_TRUE(P.StartCommandLine(
        u"sh -c 'echo $$ > grandchild; while [ ! -e go ]; do sleep 0.01; done' & while [ ! -e grandchild ]; do sleep 0.01; done",
        Temp.Dir()));
    EXPECT_TRUE(P.GroupRunning());
    ASSERT_TRUE(P.WaitFor(10000));
    EXPECT_EQ(P.ExitCode(), 0);
    const int Grandchild = std::stoi(ReadBytes(Temp.Sys("grandchild")));
    EXPECT_FALSE(Ended(Grandchild));
    EXPECT_TRUE(P.GroupRunning());
    // The child has ended: the grandchild is what is left of the group (with the sleep it runs
    // now and then).
    const std::vector<int> Left = P.GroupProcesses();
    EXPECT_NE(std::find(Left.begin(), Left.end(), Grandchild), Left.end());
    EXPECT_EQ(std::find(Left.begin(), Left.end(), P.Pid()), Left.end());
    EXPECT_TRUE(Never.GroupProcesses().empty());
    WriteBytes(Temp.Sys("go"), "");
    // Gone, or a zombie that its new parent has not reaped: either way the group has ended.
    EXPECT_TRUE(WaitFor([&] { return !P.GroupRunning(); }));
    EXPECT_TRUE(Ended(Grandchild));
    EXPECT_TRUE(P.GroupProcesses().empty());
}
