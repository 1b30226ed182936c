#include "platform/base/NamedMutex.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/FilesPrivate.h"
#include "platform/base/Strings.h"

#include <QCryptographicHash>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer encoded names are shortened, well below the 255 bytes a file name may have.
constexpr size_t MaxNameBytes = 160;

bool IsPlain(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
           C == '_' || C == '.' || C == '+' || C == '=' || C == ':';
}

// The folder of this user's lock files, made private on first use. A folder of that name that is
// not ours (or a link) is refused rather than used.
AnsiString LockFolder() {
    const AnsiString Folder = ToSysPath(GetTempDir()) + "morvane-locks-" + std::to_string(::getuid());
    if (::mkdir(Folder.c_str(), 0700) != 0 && errno != EEXIST) RaiseLastOSError();
    struct stat St {};
    if (::lstat(Folder.c_str(), &St) != 0) RaiseLastOSError();
    if (!S_ISDIR(St.st_mode) || St.st_uid != ::getuid()) RaiseLastOSError(EACCES);
    return Folder;
}

} // namespace

String TNamedMutex::LockFileName(const String& Name) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    const AnsiString Bytes = StringToUtf8(Name);
    AnsiString Encoded;
    for (char C : Bytes) {
        if (IsPlain(C)) {
            Encoded += C;
        } else {
            const auto B = static_cast<unsigned char>(C);
            Encoded += '%';
            Encoded += Hex[B >> 4];
            Encoded += Hex[B & 0xF];
        }
    }
    if (Encoded.empty() || Encoded[0] == '.') Encoded.insert(0, "%");
    if (Encoded.size() > MaxNameBytes) {
        const QByteArray Digest =
            QCryptographicHash::hash(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())),
                                     QCryptographicHash::Sha256)
                .toHex();
        Encoded = Encoded.substr(0, MaxNameBytes - 65) + "#" + Digest.toStdString();
    }
    return Utf8ToString(Encoded + ".lock");
}

TNamedMutex::TNamedMutex(const String& Name, TOpenMode Mode) : FName(Name) {
    if (Name.empty()) return;
    const AnsiString Path = LockFolder() + "/" + StringToUtf8(LockFileName(Name));
    if (Mode == omOpenExisting) {
        FHandle = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (FHandle < 0) RaiseLastOSError();
        FExisted = true;
        return;
    }
    for (;;) {
        FHandle = ::open(Path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (FHandle >= 0) {
            FExisted = false;
            return;
        }
        if (errno != EEXIST) RaiseLastOSError();
        FHandle = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (FHandle >= 0) {
            FExisted = true;
            return;
        }
        if (errno != ENOENT) RaiseLastOSError();
        // Removed between the two calls: try again.
    }
}

TNamedMutex::~TNamedMutex() {
    if (FHandle >= 0) ::close(FHandle); // releases the lock, if still held
}

bool TNamedMutex::Acquire(int TimeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs < 0 ? 0 : TimeoutMs);
    if (TimeoutMs < 0)
        FThreads.lock();
    else if (!FThreads.try_lock_until(Deadline))
        return false;
    if (FDepth == 0 && FHandle >= 0) {
        for (;;) {
            const int Result = ::flock(FHandle, TimeoutMs < 0 ? LOCK_EX : LOCK_EX | LOCK_NB);
            if (Result == 0) break;
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK || Clock::now() >= Deadline) {
                FThreads.unlock();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (FDepth == 0) FOwner = std::this_thread::get_id();
    ++FDepth;
    return true;
}

bool TNamedMutex::Release() {
    // The owner test first: only the owning thread may look at the depth.
    if (FOwner.load() != std::this_thread::get_id() || FDepth == 0) return false;
    if (--FDepth == 0) {
        FOwner = std::thread::id();
        if (FHandle >= 0) ::flock(FHandle, LOCK_UN);
    }
    FThreads.unlock();
    return true;
}
