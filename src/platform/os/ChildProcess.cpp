#include "platform/os/ChildProcess.h"

#include "platform/base/Strings.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

String ShellQuote(const String& Arg) {
    String Out = u"'";
    for (const Char C : Arg) {
        if (C == u'\'')
            Out += u"'\\''";
        else
            Out += C;
    }
    return Out + u"'";
}

TChildProcess::~TChildProcess() {
    if (!FReaped) Terminate();
    CloseHandle();
}

bool TChildProcess::StartCommandLine(const String& CommandLine, const String& CurrentDir) {
    return Start({u"/bin/sh", u"-c", CommandLine}, CurrentDir);
}

bool TChildProcess::Start(const std::vector<String>& Argv, const String& CurrentDir) {
    if (!FReaped || Argv.empty()) {
        errno = Argv.empty() ? EINVAL : EBUSY;
        return false;
    }
    std::vector<std::string> Args;
    for (const String& A : Argv) Args.push_back(StringToUtf8(A));
    std::vector<char*> Ptrs;
    for (std::string& A : Args) Ptrs.push_back(A.data());
    Ptrs.push_back(nullptr);
    const std::string Dir = StringToUtf8(CurrentDir);

    // The child reports a failed start through a close-on-exec pipe; a pipe closed without a
    // word means the program runs.
    int Fds[2];
    if (pipe2(Fds, O_CLOEXEC) != 0) return false;
    const pid_t Child = fork();
    if (Child < 0) {
        const int Err = errno;
        close(Fds[0]);
        close(Fds[1]);
        errno = Err;
        return false;
    }
    if (Child == 0) {
        setpgid(0, 0);
        // A clean slate: no blocked or ignored signals from the GUI's threads, none of our
        // handles, nothing to read.
        sigset_t None;
        sigemptyset(&None);
        sigprocmask(SIG_SETMASK, &None, nullptr);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
        const int Null = open("/dev/null", O_RDONLY);
        if (Null >= 0 && Null != 0) {
            dup2(Null, 0);
            close(Null);
        }
        if (Dir.empty() || chdir(Dir.c_str()) == 0) execvp(Ptrs[0], Ptrs.data());
        const int Err = errno;
        (void)!write(Fds[1], &Err, sizeof Err);
        _exit(127);
    }
    // Both sides set the group, so that it holds before either goes on.
    setpgid(Child, Child);
    close(Fds[1]);
    int Err = 0;
    ssize_t Got;
    do
        Got = read(Fds[0], &Err, sizeof Err);
    while (Got < 0 && errno == EINTR);
    close(Fds[0]);
    FPid = Child;
    FReaped = false;
    FExitCode = -1;
    CloseHandle();
    FPidFd = static_cast<int>(syscall(SYS_pidfd_open, Child, 0));
    if (Got == static_cast<ssize_t>(sizeof Err)) {
        Reap(true);
        errno = Err;
        return false;
    }
    return true;
}

void TChildProcess::Detach() {
    CloseHandle();
    FPid = -1;
    FReaped = true;
}

void TChildProcess::CloseHandle() {
    if (FPidFd >= 0) close(FPidFd);
    FPidFd = -1;
}

bool TChildProcess::Reap(bool Block) {
    if (FReaped) return true;
    int Status = 0;
    pid_t R;
    do
        R = waitpid(FPid, &Status, Block ? 0 : WNOHANG);
    while (R < 0 && errno == EINTR);
    if (R == 0) return false;
    FReaped = true;
    CloseHandle();
    if (R < 0)
        FExitCode = 127;
    else if (WIFEXITED(Status))
        FExitCode = WEXITSTATUS(Status);
    else if (WIFSIGNALED(Status))
        FExitCode = 128 + WTERMSIG(Status);
    return true;
}

bool TChildProcess::Running() {
    return FPid > 0 && !Reap(false);
}

namespace {

// The processes of a group that have not ended (zombies nobody reaped do not count), read from
// /proc; nullopt when /proc cannot be read.
std::optional<std::vector<int>> LiveGroupMembers(int Group) {
    DIR* Proc = opendir("/proc");
    if (!Proc) return std::nullopt;
    std::vector<int> Members;
    while (dirent* E = readdir(Proc)) {
        if (E->d_name[0] < '1' || E->d_name[0] > '9') continue;
        std::ifstream Stat(std::string("/proc/") + E->d_name + "/stat");
        std::string Line;
        if (!std::getline(Stat, Line)) continue;
        // pid (name) state ppid pgrp ...; the name may hold blanks and parentheses.
        const std::size_t Close = Line.rfind(')');
        if (Close == std::string::npos) continue;
        std::istringstream Fields(Line.substr(Close + 1));
        char State = 0;
        long Parent = 0, Group2 = 0;
        if (!(Fields >> State >> Parent >> Group2)) continue;
        if (Group2 == Group && State != 'Z' && State != 'X') Members.push_back(std::atoi(E->d_name));
    }
    closedir(Proc);
    return Members;
}

} // namespace

bool TChildProcess::GroupRunning() {
    if (FPid <= 0) return false;
    if (!Reap(false)) return true;
    // An orphan goes to a parent that may never reap it: the group counts as ended once no
    // member is left but such zombies.
    const auto Members = LiveGroupMembers(FPid);
    if (!Members) return kill(-FPid, 0) == 0 || errno == EPERM;
    return !Members->empty();
}

std::vector<int> TChildProcess::GroupProcesses() {
    if (FPid <= 0) return {};
    Reap(false);
    return LiveGroupMembers(FPid).value_or(std::vector<int>{});
}

bool TChildProcess::WaitFor(int Timeout) {
    if (FPid <= 0) return false;
    if (Reap(false)) return true;
    if (Timeout < 0) return Reap(true);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout);
    for (;;) {
        const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
        if (FPidFd >= 0) {
            // The handle becomes readable when the child ends.
            pollfd P{FPidFd, POLLIN, 0};
            const int N = poll(&P, 1, static_cast<int>(std::max<long long>(Left.count(), 0)));
            if (N < 0 && errno != EINTR) CloseHandle();
        } else {
            std::this_thread::sleep_for(std::min(Left, std::chrono::milliseconds(2)));
        }
        if (Reap(false)) return true;
        if (std::chrono::steady_clock::now() >= Deadline) return false;
    }
}

void TChildProcess::Terminate(int Grace) {
    if (FPid <= 0) return;
    // The group outlives its leader when the leader has ended first: end it all the same.
    kill(-FPid, SIGTERM);
    if (!FReaped) kill(FPid, SIGTERM);
    if (!WaitFor(Grace)) {
        kill(-FPid, SIGKILL);
        kill(FPid, SIGKILL);
        Reap(true);
    } else {
        kill(-FPid, SIGKILL);
    }
}
