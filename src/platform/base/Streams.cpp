#include "platform/base/Streams.h"

#include "platform/base/Encoding.h"
#include "platform/base/Files.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- TStream ----

Int64 TStream::Size() {
    Int64 Pos = Seek(0, soFromCurrent);
    Int64 Result = Seek(0, soFromEnd);
    Seek(Pos, soFromBeginning);
    return Result;
}

void TStream::SetSize(Int64) {}

// Short transfers are normal for pipes and devices, so both loop until done or stuck.
void TStream::ReadBuffer(void* Buffer, Int64 Count) {
    Int64 Done = 0;
    while (Done < Count) {
        Int64 N = Read(static_cast<Byte*>(Buffer) + Done, Count - Done);
        if (N <= 0) throw EReadError(u"Stream read error");
        Done += N;
    }
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count) {
    Int64 Done = 0;
    while (Done < Count) {
        Int64 N = Write(static_cast<const Byte*>(Buffer) + Done, Count - Done);
        if (N <= 0) throw EWriteError(u"Stream write error");
        Done += N;
    }
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    constexpr Int64 ChunkSize = 64 * 1024;
    TBytes Chunk(size_t(std::min(Count, ChunkSize)));
    Int64 Done = 0;
    while (Done < Count) {
        Int64 N = std::min(Count - Done, ChunkSize);
        Source->ReadBuffer(Chunk.data(), N);
        WriteBuffer(Chunk.data(), N);
        Done += N;
    }
    return Done;
}

TBytes ReadAllBytes(TStream& Stream) {
    // A stream that knows its size (a file) is read in one piece; the reading goes on in chunks
    // until the end either way, since pipes and devices have no size and a file may grow.
    TBytes Result;
    constexpr size_t ChunkSize = 64 * 1024;
    size_t Step = ChunkSize;
    const Int64 Position = Stream.Position();
    if (Position >= 0) {
        const Int64 Size = Stream.Size();
        if (Size > Position) Step = std::max(Step, size_t(Size - Position) + 1);
    }
    for (;;) {
        const size_t Old = Result.size();
        Result.resize(Old + Step);
        size_t Done = 0;
        Int64 N;
        while (Done < Step && (N = Stream.Read(Result.data() + Old + Done, Int64(Step - Done))) > 0)
            Done += size_t(N);
        Result.resize(Old + Done);
        if (Done < Step) return Result;
        Step = ChunkSize;
    }
}

// ---- THandleStream ----

Int64 THandleStream::Read(void* Buffer, Int64 Count) {
    if (Count <= 0) return 0;
    ssize_t N;
    do
        N = ::read(FHandle, Buffer, size_t(Count));
    while (N < 0 && errno == EINTR);
    return N < 0 ? 0 : N;
}

Int64 THandleStream::Write(const void* Buffer, Int64 Count) {
    if (Count <= 0) return 0;
    ssize_t N;
    do
        N = ::write(FHandle, Buffer, size_t(Count));
    while (N < 0 && errno == EINTR);
    return N < 0 ? 0 : N;
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    int Whence = Origin == soFromBeginning ? SEEK_SET : Origin == soFromCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(FHandle, off_t(Offset), Whence);
}

void THandleStream::SetSize(Int64 NewSize) {
    if (::ftruncate(FHandle, off_t(NewSize)) != 0) RaiseLastOSError();
    if (Position() > NewSize) Seek(NewSize, soFromBeginning);
}

// ---- TFileStream ----

namespace {

int OpenFile(const std::string& Path, Word Mode, bool& Create) {
    Create = (Mode & fmCreate) == fmCreate;
    int Flags = O_CLOEXEC;
    if (Create)
        Flags |= O_RDWR | O_CREAT; // emptied only once the lock is held
    else if ((Mode & 3) == fmOpenWrite)
        Flags |= O_WRONLY;
    else if ((Mode & 3) == fmOpenReadWrite)
        Flags |= O_RDWR;
    else
        Flags |= O_RDONLY;
    int Fd = ::open(Path.c_str(), Flags, 0666);
    if (Fd < 0) return -1;
    struct stat St {};
    bool Regular = ::fstat(Fd, &St) == 0 && S_ISREG(St.st_mode);
    if (S_ISDIR(St.st_mode)) {
        ::close(Fd);
        errno = EISDIR;
        return -1;
    }
    // Only a lock held elsewhere refuses the open; a file system without locks does not.
    int Lock = (Mode & 0xF0) == fmShareExclusive ? LOCK_EX : LOCK_SH;
    bool Refused = ::flock(Fd, Lock | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (Refused || (Create && Regular && ::ftruncate(Fd, 0) != 0)) {
        int Err = errno;
        ::close(Fd);
        errno = Err;
        return -1;
    }
    return Fd;
}

} // namespace

TFileStream::TFileStream(const String& AFileName, Word Mode) : THandleStream(-1), FFileName(AFileName) {
    bool Create;
    FHandle = OpenFile(StringToUtf8(AFileName), Mode, Create);
    if (FHandle < 0) {
        String Reason = Utf8ToString(std::strerror(errno));
        if (Create) throw EFCreateError(u"Cannot create file \"" + AFileName + u"\". " + Reason);
        throw EFOpenError(u"Cannot open file \"" + AFileName + u"\". " + Reason);
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* Ptr, Int64 ASize) {
    FMemory = static_cast<Byte*>(Ptr);
    FSize = ASize;
}

Int64 TCustomMemoryStream::Read(void* Buffer, Int64 Count) {
    if (Count <= 0 || FPosition >= FSize) return 0;
    Int64 N = std::min(Count, FSize - FPosition);
    std::memcpy(Buffer, FMemory + FPosition, size_t(N));
    FPosition += N;
    return N;
}

Int64 TCustomMemoryStream::Write(const void*, Int64) {
    return 0;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    Int64 Base = Origin == soFromBeginning ? 0 : Origin == soFromCurrent ? FPosition : FSize;
    if (Base + Offset < 0) return -1; // as lseek does: the position stays
    FPosition = Base + Offset;
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
    Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const String& FileName) {
    SaveFileSafe(FileName, std::string_view(reinterpret_cast<const char*>(FMemory), size_t(FSize)));
}

// ---- TMemoryStream ----

void TMemoryStream::OwnBlock() {
    if (FMemory != FData.data() || FSize != Int64(FData.size())) {
        TBytes Copy(FMemory, FMemory + FSize);
        FData.swap(Copy);
        Sync();
    }
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count) {
    if (Count <= 0) return 0;
    OwnBlock();
    Int64 End = FPosition + Count;
    if (End > FSize) {
        FData.resize(size_t(End));
        Sync();
    }
    std::memcpy(FMemory + FPosition, Buffer, size_t(Count));
    FPosition = End;
    return Count;
}

void TMemoryStream::SetSize(Int64 NewSize) {
    OwnBlock();
    FData.resize(size_t(std::max<Int64>(NewSize, 0)));
    Sync();
    if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
    TBytes().swap(FData);
    Sync();
    FPosition = 0;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
    OwnBlock();
    if (NewCapacity > Int64(FData.capacity())) {
        FData.reserve(size_t(NewCapacity));
    } else if (NewCapacity >= FSize) {
        TBytes Copy;
        Copy.reserve(size_t(NewCapacity));
        Copy.assign(FData.begin(), FData.end());
        FData.swap(Copy);
    }
    Sync();
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    TBytes Bytes = ReadAllBytes(*Stream);
    FData.swap(Bytes);
    Sync();
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& FileName) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

// ---- TBytesStream ----

TBytesStream::TBytesStream(const TBytes& ABytes) {
    FData = ABytes;
    SetPointer(FData.data(), Int64(FData.size()));
}

const TBytes& TBytesStream::Bytes() {
    if (FMemory != FData.data() || FSize != Int64(FData.size())) SetSize(FSize); // takes a foreign block over
    return FData;
}

// ---- TStringStream ----

TStringStream::TStringStream(const String& AString, TEncoding* AEncoding)
    : TStringStream(TBytes(), AEncoding) {
    FData = FEncoding->GetBytes(AString);
    SetPointer(FData.data(), Int64(FData.size()));
}

TStringStream::TStringStream(const TBytes& ABytes, TEncoding* AEncoding)
    : TBytesStream(ABytes), FEncoding(AEncoding ? AEncoding : TEncoding::Default()) {}

String TStringStream::DataString() {
    return FEncoding->GetString(FMemory, size_t(FSize));
}
