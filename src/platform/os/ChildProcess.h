#pragma once
// A child process in a process group of its own: ending the group ends the child and everything
// it started (a shell and the programs the shell runs), so nothing is left behind. Its standard
// input is /dev/null; its output goes where ours goes unless the command line redirects it.

#include "platform/base/Types.h"

#include <vector>

// Arg as one word for /bin/sh: in single quotes, each ' in it written as '\''. Every character
// but NUL passes through unchanged.
String ShellQuote(const String& Arg);

class TChildProcess {
public:
    TChildProcess() = default;
    // A child still running is ended with its group: nothing outlives its owner.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Starts Argv[0] (looked up on the search path when it holds no '/') with Argv as its
    // arguments in the folder CurrentDir (empty: ours). False, with errno set, when it could not
    // be started (not found, not executable, no such folder) or one is already running.
    bool Start(const std::vector<String>& Argv, const String& CurrentDir = String());
    // /bin/sh runs CommandLine.
    bool StartCommandLine(const String& CommandLine, const String& CurrentDir = String());

    // Waits up to Timeout milliseconds (-1: for ever) for the child to end; true once it has
    // ended (also when it had ended before). False while it runs, and when none was started.
    bool WaitFor(int Timeout);
    bool Running();
    // True while any process of the child's group still runs: the child, or what it started,
    // which may outlive it. Ended processes that nobody has reaped yet do not count.
    bool GroupRunning();
    // The ids of the processes of the child's group that have not ended: the child and what it
    // started; empty once all have ended.
    std::vector<int> GroupProcesses();
    // The child's exit code once it has ended; 128 plus the signal's number when a signal ended
    // it (as the shell counts), -1 before it has ended.
    int ExitCode() const { return FExitCode; }
    int Pid() const { return FPid; }

    // Lets the child run on by itself (a program the user works in, asked to close by its
    // window): the destructor no longer ends it. Nobody reaps it until we end.
    void Detach();

    // Ends the whole group: SIGTERM, and SIGKILL for whatever still lives after Grace
    // milliseconds. The child is reaped; its exit code tells the signal.
    void Terminate(int Grace = 2000);

private:
    int FPid = -1;
    int FPidFd = -1;
    int FExitCode = -1;
    bool FReaped = true;

    bool Reap(bool Block);
    void CloseHandle();
};
