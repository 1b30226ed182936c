#pragma once
// A real serial line for tests: a pseudo-terminal pair made by socat, its two ends linked as COM
// numbers in a ports folder that MORVANE_PORTS names (so those links are the only ports), and
// the far end opened by the test itself. Kill() pulls the device away as a unplugged adapter
// would; Start() brings it back under the same numbers.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <termios.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class TPtyPair {
public:
    // Ports is the folder of the links (made when missing); Near is the number the code under
    // test opens, Far the one the test talks through (0: the far end is no port, its link is
    // named "peer-of-COMn").
    TPtyPair(const std::string& Ports, int Near, int Far) : FPorts(Ports), FNear(Near), FFar(Far) {
        std::filesystem::create_directories(FPorts);
        setenv("MORVANE_PORTS", FPorts.c_str(), 1);
        Start();
    }
    ~TPtyPair() {
        Kill();
        unsetenv("MORVANE_PORTS");
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    std::string Link(int Com) const {
        return Com > 0 ? FPorts + "/COM" + std::to_string(Com)
                       : FPorts + "/peer-of-COM" + std::to_string(FNear);
    }
    int Near() const { return FNear; }
    int Far() const { return FFar; }
    // The far end, open for reading and writing (non-blocking).
    int FarHandle() const { return FFarHandle; }

    void Start() {
        std::filesystem::remove(Link(FNear));
        std::filesystem::remove(Link(FFar));
        const std::string A = "pty,raw,echo=0,link=" + Link(FNear);
        const std::string B = "pty,raw,echo=0,link=" + Link(FFar);
        FPid = fork();
        if (FPid == 0) {
            const int Null = open("/dev/null", O_RDWR);
            dup2(Null, 1);
            dup2(Null, 2);
            execlp("socat", "socat", A.c_str(), B.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(std::filesystem::exists(Link(FNear)) && std::filesystem::exists(Link(FFar)))) {
            if (std::chrono::steady_clock::now() > Deadline) throw std::runtime_error("socat made no pair");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FFarHandle = open(Link(FFar).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (FFarHandle < 0) throw std::runtime_error("cannot open the far end");
        // socat may make the links before it sets its ends raw: the far end is made raw here so
        // that no line discipline (CR before LF, say) ever touches the test's bytes.
        termios T{};
        if (tcgetattr(FFarHandle, &T) == 0) {
            cfmakeraw(&T);
            tcsetattr(FFarHandle, TCSANOW, &T);
        }
    }

    // Ends socat at once (no clean-up of its own): both devices go away.
    void Kill() {
        if (FFarHandle >= 0) close(FFarHandle);
        FFarHandle = -1;
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        FPid = -1;
    }

    // Writes all of Bytes to the far end, waiting while the line is full.
    void Send(const std::string& Bytes) const {
        std::size_t Done = 0;
        while (Done < Bytes.size()) {
            const ssize_t N = write(FFarHandle, Bytes.data() + Done, Bytes.size() - Done);
            if (N > 0) {
                Done += static_cast<std::size_t>(N);
            } else if (N < 0 && errno != EAGAIN && errno != EINTR) {
                throw std::runtime_error("write to the far end failed");
            } else {
                struct pollfd P = {FFarHandle, POLLOUT, 0};
                poll(&P, 1, 100);
            }
        }
    }

    // Reads from the far end until Count bytes came or Milliseconds passed.
    std::string Receive(std::size_t Count, int Milliseconds = 5000) const {
        std::string Got;
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
        while (Got.size() < Count && std::chrono::steady_clock::now() < Deadline) {
            char Buf[4096];
            const ssize_t N = read(FFarHandle, Buf, sizeof Buf);
            if (N > 0) {
                Got.append(Buf, static_cast<std::size_t>(N));
            } else {
                struct pollfd P = {FFarHandle, POLLIN, 0};
                poll(&P, 1, 20);
            }
        }
        return Got;
    }

private:
    std::string FPorts;
    int FNear, FFar;
    pid_t FPid = -1;
    int FFarHandle = -1;
};

// Another process that holds a device as this system's own ports do (the lock), until the
// object goes.
class TPortHolder {
public:
    explicit TPortHolder(const std::string& Device) {
        int Ready[2];
        if (pipe(Ready) != 0) throw std::runtime_error("no pipe");
        FPid = fork();
        if (FPid == 0) {
            close(Ready[0]);
            const int Fd = open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char Ok = Fd >= 0 && flock(Fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            [[maybe_unused]] ssize_t N = write(Ready[1], &Ok, 1);
            pause();
            _exit(0);
        }
        close(Ready[1]);
        char Ok = '0';
        [[maybe_unused]] ssize_t N = read(Ready[0], &Ok, 1);
        close(Ready[0]);
        if (Ok != '1') throw std::runtime_error("the holder could not take " + Device);
    }
    ~TPortHolder() {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    TPortHolder(const TPortHolder&) = delete;
    TPortHolder& operator=(const TPortHolder&) = delete;

private:
    pid_t FPid = -1;
};
