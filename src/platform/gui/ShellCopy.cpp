// The desktop's single-file copy: the replace question, a whole file or none, and the reason of a
// failure told to the user.
#include "platform/gui/ShellApi.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char16_t* const CopyErrorCaption = u"Error Copying File";

String ErrnoText(int Error) {
    return Utf8ToString(std::strerror(Error));
}

bool Fail(HWND Owner, const String& Source, const String& Reason) {
    MessageBox(Owner, u"Cannot copy " + ExtractFileName(Source) + u": " + Reason, CopyErrorCaption,
               MB_ICONERROR | MB_OK);
    return false;
}

// Writes all of Count bytes; false with errno set.
bool WriteAll(int Fd, const char* Data, size_t Count) {
    while (Count > 0) {
        const ssize_t N = ::write(Fd, Data, Count);
        if (N < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        Data += N;
        Count -= size_t(N);
    }
    return true;
}

} // namespace

bool ShellCopyFile(const String& Source, const String& Dest, HWND Owner) {
    const std::string From = StringToUtf8(Source);
    const std::string To = StringToUtf8(Dest);
    struct stat SourceStat {};
    if (::stat(From.c_str(), &SourceStat) != 0) return Fail(Owner, Source, ErrnoText(errno));
    if (S_ISDIR(SourceStat.st_mode)) return Fail(Owner, Source, u"It is a folder.");
    struct stat DestStat {};
    if (::stat(To.c_str(), &DestStat) == 0) {
        if (DestStat.st_dev == SourceStat.st_dev && DestStat.st_ino == SourceStat.st_ino)
            return Fail(Owner, Source, u"The source and destination file names are the same.");
        if (S_ISDIR(DestStat.st_mode)) return Fail(Owner, Source, u"The destination is a folder.");
        const String Question = u"This folder already contains a file named '" + ExtractFileName(Dest) +
                                u"'.\r\rWould you like to replace the existing file\r\r    " + Dest +
                                u"\r\rwith this one?\r\r    " + Source;
        if (MessageBox(Owner, Question, u"Confirm File Replace", MB_ICONQUESTION | MB_YESNO) != IDYES)
            return false;
    }

    const int In = ::open(From.c_str(), O_RDONLY | O_CLOEXEC);
    if (In < 0) return Fail(Owner, Source, ErrnoText(errno));
    TScopeExit CloseIn([In] { ::close(In); });
    // A name of our own beside the destination: the rename onto it is then one step.
    std::string Temp = To + ".copy-XXXXXX";
    const int Out = ::mkostemp(Temp.data(), O_CLOEXEC);
    if (Out < 0) return Fail(Owner, Source, ErrnoText(errno));
    bool Done = false;
    TScopeExit Clean([&] {
        if (!Done) ::unlink(Temp.c_str());
    });
    int Error = 0;
    {
        TScopeExit CloseOut([Out] { ::close(Out); });
        char Buffer[65536];
        for (;;) {
            const ssize_t N = ::read(In, Buffer, sizeof Buffer);
            if (N < 0 && errno == EINTR) continue;
            if (N < 0) {
                Error = errno;
                break;
            }
            if (N == 0) break;
            if (!WriteAll(Out, Buffer, size_t(N))) {
                Error = errno;
                break;
            }
        }
        if (!Error && ::fchmod(Out, SourceStat.st_mode & 07777) != 0) Error = errno;
        if (!Error && ::fsync(Out) != 0) Error = errno;
    }
    if (!Error && ::rename(Temp.c_str(), To.c_str()) != 0) Error = errno;
    if (Error) return Fail(Owner, Source, ErrnoText(Error));
    Done = true;
    return true;
}
