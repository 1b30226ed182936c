#include "platform/base/VersionRecord.h"

#include "platform/base/Exceptions.h"
#include "platform/base/FilesPrivate.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Section tables and name tables larger than this are not headers of a sane file.
constexpr UInt64 MaxTableSize = 16u << 20;

class TElfFile {
public:
    explicit TElfFile(const String& FileName) {
        FHandle = ::open(ToSysPath(FileName).c_str(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0) RaiseLastOSError();
        struct stat St {};
        if (::fstat(FHandle, &St) != 0) {
            const int Error = errno;
            ::close(FHandle);
            RaiseLastOSError(Error);
        }
        FSize = static_cast<UInt64>(St.st_size);
    }
    ~TElfFile() { ::close(FHandle); }
    TElfFile(const TElfFile&) = delete;
    TElfFile& operator=(const TElfFile&) = delete;

    // Count bytes at Offset; false when they lie beyond the end of the file.
    bool Read(UInt64 Offset, UInt64 Count, AnsiString& Bytes) const {
        if (Offset > FSize || Count > FSize - Offset) return false;
        Bytes.resize(static_cast<size_t>(Count));
        size_t Done = 0;
        while (Done < Bytes.size()) {
            const ssize_t N =
                ::pread(FHandle, Bytes.data() + Done, Bytes.size() - Done, static_cast<off_t>(Offset + Done));
            if (N < 0 && errno == EINTR) continue;
            if (N < 0) RaiseLastOSError();
            if (N == 0) return false; // the file shrank under us
            Done += static_cast<size_t>(N);
        }
        return true;
    }

private:
    int FHandle = -1;
    UInt64 FSize = 0;
};

struct TReader {
    const AnsiString& Bytes;
    bool BigEndian;

    UInt64 Get(size_t Offset, int Width) const {
        UInt64 V = 0;
        for (int I = 0; I < Width; ++I) {
            const UInt64 B = static_cast<Byte>(Bytes[Offset + static_cast<size_t>(I)]);
            V |= B << (8 * (BigEndian ? Width - 1 - I : I));
        }
        return V;
    }
};

} // namespace

std::optional<AnsiString> ReadElfSection(const String& FileName, std::string_view Name) {
    TElfFile File(FileName);
    AnsiString Header;
    if (!File.Read(0, 64, Header) && !File.Read(0, 52, Header)) return std::nullopt;
    if (Header.compare(0, 4,
                       "\x7F"
                       "ELF") != 0)
        return std::nullopt;
    const bool Wide = Header[4] == 2;
    if (!Wide && Header[4] != 1) return std::nullopt;
    if (Header[5] != 1 && Header[5] != 2) return std::nullopt;
    const bool BigEndian = Header[5] == 2;
    if (Wide && Header.size() < 64) return std::nullopt;
    const TReader H{Header, BigEndian};

    const UInt64 TableOffset = Wide ? H.Get(0x28, 8) : H.Get(0x20, 4);
    const UInt64 EntrySize = Wide ? H.Get(0x3A, 2) : H.Get(0x2E, 2);
    UInt64 Count = Wide ? H.Get(0x3C, 2) : H.Get(0x30, 2);
    UInt64 NamesIndex = Wide ? H.Get(0x3E, 2) : H.Get(0x32, 2);
    const UInt64 MinEntrySize = Wide ? 64 : 40;
    if (TableOffset == 0 || EntrySize < MinEntrySize) return std::nullopt;

    // Offsets of the fields of a section header.
    const size_t NameAt = 0, TypeAt = 4, OffsetAt = Wide ? 0x18 : 0x10, SizeAt = Wide ? 0x20 : 0x14,
                 LinkAt = Wide ? 0x28 : 0x18;
    const int AddressSize = Wide ? 8 : 4;

    // Many sections: the real count and name-table index live in the first header.
    AnsiString First;
    if (!File.Read(TableOffset, EntrySize, First)) return std::nullopt;
    const TReader F{First, BigEndian};
    if (Count == 0) Count = F.Get(SizeAt, AddressSize);
    if (NamesIndex == 0xFFFF) NamesIndex = F.Get(LinkAt, 4);
    if (Count == 0 || NamesIndex >= Count || Count > MaxTableSize / EntrySize) return std::nullopt;

    AnsiString Table;
    if (!File.Read(TableOffset, Count * EntrySize, Table)) return std::nullopt;
    const TReader T{Table, BigEndian};
    auto Field = [&](UInt64 Index, size_t At, int Width) { return T.Get(Index * EntrySize + At, Width); };

    constexpr UInt64 NoBits = 8; // a section that takes no room in the file
    AnsiString Names;
    const UInt64 NamesSize = Field(NamesIndex, SizeAt, AddressSize);
    if (Field(NamesIndex, TypeAt, 4) == NoBits || NamesSize > MaxTableSize ||
        !File.Read(Field(NamesIndex, OffsetAt, AddressSize), NamesSize, Names))
        return std::nullopt;

    for (UInt64 I = 1; I < Count; ++I) {
        const UInt64 NameOffset = Field(I, NameAt, 4);
        if (NameOffset >= Names.size()) continue;
        const size_t End = Names.find('\0', static_cast<size_t>(NameOffset));
        if (End == AnsiString::npos) continue;
        if (std::string_view(Names).substr(NameOffset, End - NameOffset) != Name) continue;
        if (Field(I, TypeAt, 4) == NoBits) return std::nullopt;
        AnsiString Contents;
        const UInt64 Size = Field(I, SizeAt, AddressSize);
        if (Size > MaxTableSize || !File.Read(Field(I, OffsetAt, AddressSize), Size, Contents))
            return std::nullopt;
        return Contents;
    }
    return std::nullopt;
}

std::optional<AnsiString> ReadVersionRecord(const String& FileName) {
    return ReadElfSection(FileName, VERSION_RECORD_SECTION);
}
