#pragma once
// Programs and an X server of a test's own: a child process with its standard input and output
// on pipes, and an Xvfb on a free display, each ended with its object.

#include <csignal>
#include <cstdlib>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// A child process with its standard input and output on pipes.
class TChild {
public:
    // Quiet: its error output goes nowhere (xclip tells on it what it waits for).
    TChild(const std::vector<std::string>& Args, const std::vector<std::pair<std::string, std::string>>& Env = {},
           bool Quiet = false) {
        int In[2], Out[2];
        if (pipe(In) != 0 || pipe(Out) != 0) throw std::runtime_error("no pipe");
        FPid = fork();
        if (FPid == 0) {
            dup2(In[0], 0);
            dup2(Out[1], 1);
            if (Quiet) {
                const int Null = open("/dev/null", O_WRONLY);
                dup2(Null, 2);
            }
            close(In[1]);
            close(Out[0]);
            for (const auto& [Name, Value] : Env)
                setenv(Name.c_str(), Value.c_str(), 1);
            std::vector<char*> Argv;
            for (const std::string& A : Args)
                Argv.push_back(const_cast<char*>(A.c_str()));
            Argv.push_back(nullptr);
            execvp(Argv[0], Argv.data());
            _exit(127);
        }
        close(In[0]);
        close(Out[1]);
        FIn = In[1];
        FOut = Out[0];
    }
    ~TChild() {
        CloseInput();
        if (FPid > 0 && !FExited) {
            kill(FPid, SIGTERM);
            Wait();
        }
        if (FOut >= 0) close(FOut);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    pid_t Pid() const { return FPid; }
    void Write(const std::string& Text) {
        if (write(FIn, Text.data(), Text.size()) != static_cast<ssize_t>(Text.size()))
            throw std::runtime_error("write to child failed");
    }
    void CloseInput() {
        if (FIn >= 0) close(FIn);
        FIn = -1;
    }
    // The next line of its output (without the line break); none at its end or after the time.
    std::optional<std::string> ReadLine(int Milliseconds = 20000) {
        for (;;) {
            const size_t Break = FBuffer.find('\n');
            if (Break != std::string::npos) {
                std::string Line = FBuffer.substr(0, Break);
                FBuffer.erase(0, Break + 1);
                return Line;
            }
            pollfd P{FOut, POLLIN, 0};
            if (poll(&P, 1, Milliseconds) <= 0) return std::nullopt;
            char Chunk[4096];
            const ssize_t N = read(FOut, Chunk, sizeof Chunk);
            if (N <= 0) return std::nullopt;
            FBuffer.append(Chunk, static_cast<size_t>(N));
        }
    }
    // The rest of the first line that begins with Prefix; none when no such line comes.
    std::optional<std::string> ReadLineStartingWith(const std::string& Prefix) {
        while (std::optional<std::string> Line = ReadLine())
            if (Line->rfind(Prefix, 0) == 0) return Line->substr(Prefix.size());
        return std::nullopt;
    }
    // Everything it writes until it ends, and its exit code.
    std::string ReadAll() {
        std::string All = FBuffer;
        FBuffer.clear();
        char Chunk[4096];
        for (ssize_t N; (N = read(FOut, Chunk, sizeof Chunk)) > 0;)
            All.append(Chunk, static_cast<size_t>(N));
        return All;
    }
    int Wait() {
        int Status = 0;
        waitpid(FPid, &Status, 0);
        FExited = true;
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    }
    // Waits up to Milliseconds for it to end: its exit code (-1 when a signal ended it), none
    // while it still runs.
    std::optional<int> WaitFor(int Milliseconds) {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
        for (;;) {
            int Status = 0;
            if (waitpid(FPid, &Status, WNOHANG) == FPid) {
                FExited = true;
                return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
            }
            if (std::chrono::steady_clock::now() >= Deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    pid_t FPid = -1;
    int FIn = -1;
    int FOut = -1;
    bool FExited = false;
    std::string FBuffer;
};

// An X server of the test's own on a free display.
class TXServer {
public:
    TXServer() {
        int Fd[2];
        if (pipe(Fd) != 0) throw std::runtime_error("no pipe");
        FPid = fork();
        if (FPid == 0) {
            close(Fd[0]);
            const int Null = open("/dev/null", O_RDWR);
            dup2(Null, 1);
            dup2(Null, 2);
            const std::string DisplayFd = std::to_string(Fd[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", DisplayFd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "800x600x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(Fd[1]);
        std::string Number;
        pollfd P{Fd[0], POLLIN, 0};
        char C;
        while (poll(&P, 1, 20000) > 0 && read(Fd[0], &C, 1) == 1 && C != '\n')
            Number += C;
        close(Fd[0]);
        if (!Number.empty()) FDisplay = ":" + Number;
    }
    ~TXServer() {
        if (FPid <= 0) return;
        kill(FPid, SIGTERM);
        int Status = 0;
        waitpid(FPid, &Status, 0);
    }
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    // ":n", or empty when the server did not come up.
    const std::string& Display() const { return FDisplay; }

private:
    pid_t FPid = -1;
    std::string FDisplay;
};
