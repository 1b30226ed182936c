#include "platform/os/ShellOpen.h"

#include "platform/base/Strings.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

bool ShellOpen(const String& Document, const String& Program) {
    std::string Prog = Program.empty() ? std::string("xdg-open") : StringToUtf8(Program);
    std::string Doc = StringToUtf8(Document);
    char* Argv[] = {Prog.data(), Doc.data(), nullptr};

    // The grandchild reports a failed exec through a close-on-exec pipe; a pipe closed without a
    // word means the program runs. The middle child exits at once so that no zombie is left.
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
        close(Fds[0]);
        setsid();
        const pid_t Grandchild = fork();
        if (Grandchild == 0) {
            execvp(Argv[0], Argv);
            const int Err = errno;
            (void)!write(Fds[1], &Err, sizeof Err);
            _exit(127);
        }
        if (Grandchild < 0) {
            const int Err = errno;
            (void)!write(Fds[1], &Err, sizeof Err);
        }
        _exit(0);
    }
    close(Fds[1]);
    int Err = 0;
    ssize_t Got;
    do
        Got = read(Fds[0], &Err, sizeof Err);
    while (Got < 0 && errno == EINTR);
    close(Fds[0]);
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
    if (Got == static_cast<ssize_t>(sizeof Err)) {
        errno = Err;
        return false;
    }
    return true;
}
