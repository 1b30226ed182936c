#include "platform/base/Ini.h"

#include "platform/base/Lists.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/FilesPrivate.h"
#include "platform/base/IniDocument.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace {

// --- The parse cache ---------------------------------------------------------------------

// What tells one state of a file from another without reading it.
struct TFileStamp {
    dev_t Device;
    ino_t Inode;
    off_t Size;
    struct timespec Modified;

    explicit TFileStamp(const struct stat& St)
        : Device(St.st_dev), Inode(St.st_ino), Size(St.st_size), Modified(St.st_mtim) {}
    bool operator==(const TFileStamp& O) const {
        return Device == O.Device && Inode == O.Inode && Size == O.Size &&
               Modified.tv_sec == O.Modified.tv_sec && Modified.tv_nsec == O.Modified.tv_nsec;
    }
};

struct TCacheEntry {
    TFileStamp Stamp;
    std::shared_ptr<const TIniDocument> Document;
};

constexpr size_t MaxCachedFiles = 64;

std::mutex CacheLock;
std::unordered_map<AnsiString, TCacheEntry> Cache; // by expanded path
std::mutex WriteLock;                              // one read-modify-write at a time within the process

const std::shared_ptr<const TIniDocument>& EmptyDocument() {
    static const std::shared_ptr<const TIniDocument> Empty = std::make_shared<TIniDocument>();
    return Empty;
}

void Remember(const AnsiString& Path, const struct stat& St, std::shared_ptr<const TIniDocument> Doc) {
    std::lock_guard G(CacheLock);
    if (Cache.size() >= MaxCachedFiles && !Cache.count(Path)) Cache.clear();
    Cache.insert_or_assign(Path, TCacheEntry{TFileStamp(St), std::move(Doc)});
}

// The parsed file at Path: 0, ENOENT with an empty document for a missing file, or another
// errno value (with an empty document) for a file that cannot be read.
int LoadProfile(const AnsiString& Path, std::shared_ptr<const TIniDocument>& Doc) {
    Doc = EmptyDocument();
    struct stat St;
    if (stat(Path.c_str(), &St) != 0) return errno == ENOTDIR ? ENOENT : errno;
    {
        std::lock_guard G(CacheLock);
        auto It = Cache.find(Path);
        if (It != Cache.end() && It->second.Stamp == TFileStamp(St)) {
            Doc = It->second.Document;
            return 0;
        }
    }
    AnsiString Bytes;
    if (int R = ReadWholeFile(Path, Bytes, &St)) return R;
    auto Parsed = std::make_shared<TIniDocument>();
    Parsed->Parse(Bytes);
    Remember(Path, St, Parsed);
    Doc = std::move(Parsed);
    return 0;
}

// The document to change for a write: the cached parse itself when nobody else holds it (it
// leaves the cache until the write succeeds), else a copy. Saves copying a large file's lines on
// each write.
std::shared_ptr<TIniDocument> TakeForChange(const AnsiString& Path, std::shared_ptr<const TIniDocument> Doc) {
    {
        std::lock_guard G(CacheLock);
        auto It = Cache.find(Path);
        if (It != Cache.end() && It->second.Document == Doc && Doc.use_count() == 2) {
            Cache.erase(It);
            return std::const_pointer_cast<TIniDocument>(Doc); // made non-const by LoadProfile
        }
    }
    return std::make_shared<TIniDocument>(*Doc);
}

AnsiString ProfilePath(const String& FileName) {
    return ToSysPath(ExpandFileName(FileName));
}

std::shared_ptr<const TIniDocument> ReadProfile(const String& FileName) {
    std::shared_ptr<const TIniDocument> Doc;
    if (!FileName.empty())
        LoadProfile(ProfilePath(FileName), Doc);
    else
        Doc = EmptyDocument();
    return Doc;
}

// Holds an exclusive lock on a folder while a file in it is read, changed and replaced, so
// that two processes changing the same file do not lose each other's change. Best effort: a
// folder that cannot be opened is not locked (the write then fails or goes on alone).
class TFolderLock {
public:
    explicit TFolderLock(const AnsiString& Path) {
        size_t Slash = Path.rfind('/');
        AnsiString Folder = Slash == AnsiString::npos ? "." : Path.substr(0, Slash + 1);
        FFd = open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (FFd >= 0)
            while (flock(FFd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~TFolderLock() {
        if (FFd >= 0) close(FFd); // releases the lock
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

private:
    int FFd = -1;
};

bool ModifyProfile(const String& FileName, const std::function<bool(TIniDocument&)>& Change) {
    if (FileName.empty()) {
        errno = ENOENT;
        return false;
    }
    String Full = ExpandFileName(FileName);
    AnsiString Path = ToSysPath(Full);
    std::lock_guard G(WriteLock);
    TFolderLock Lock(Path);
    std::shared_ptr<const TIniDocument> Current;
    int R = LoadProfile(Path, Current);
    if (R != 0 && R != ENOENT) {
        errno = R; // never replace contents that could not be read
        return false;
    }
    std::shared_ptr<TIniDocument> Doc = TakeForChange(Path, std::move(Current));
    struct stat St;
    if (!Change(*Doc)) { // nothing to change: the file stays as it is, and so does its parse
        if (stat(Path.c_str(), &St) == 0) Remember(Path, St, std::move(Doc));
        return true;
    }
    if (!WriteFileSafeStat(Full, Doc->Serialize(), &St)) return false;
    Remember(Path, St, std::move(Doc));
    return true;
}

String Unquoted(const String& S) {
    if (S.size() >= 2 && S.front() == u'"' && S.back() == u'"') return S.substr(1, S.size() - 2);
    return S;
}

// --- Numbers -----------------------------------------------------------------------------

// Numbers in files do not follow the user's separators: "." always.
const TFormatSettings& FileFormat() {
    static const TFormatSettings Settings;
    return Settings;
}

[[noreturn]] void RaiseWriteError(const String& FileName) {
    throw EIniFileException(u"Unable to write to " + FileName);
}

} // namespace

// --- The private-profile calls ------------------------------------------------------------

String GetPrivateProfileString(const String& Section, const String& Key, const String& Default,
                               const String& FileName) {
    auto Doc = ReadProfile(FileName);
    const std::optional<String> V = Doc->FindValue(Section, Key);
    return V ? Unquoted(*V) : Default;
}

int GetPrivateProfileInt(const String& Section, const String& Key, int Default, const String& FileName) {
    String S = GetPrivateProfileString(Section, Key, String(), FileName);
    if (S.empty()) return Default;
    size_t I = 0;
    bool Negative = false;
    if (S[I] == u'+' || S[I] == u'-') Negative = S[I++] == u'-';
    unsigned Base = 10;
    if (I + 1 < S.size() && S[I] == u'0' && (S[I + 1] == u'x' || S[I + 1] == u'X')) {
        Base = 16;
        I += 2;
    }
    std::uint32_t Acc = 0; // wraps like the 32-bit result it becomes
    for (; I < S.size() && unsigned(HexDigitValue(S[I])) < Base; ++I) // (-1 is no digit)
        Acc = Acc * Base + unsigned(HexDigitValue(S[I]));
    return std::int32_t(Negative ? 0u - Acc : Acc);
}

bool WritePrivateProfileString(const String& Section, const std::optional<String>& Key,
                               const std::optional<String>& Value, const String& FileName) {
    return ModifyProfile(FileName, [&](TIniDocument& Doc) {
        if (!Key) return Doc.EraseSection(Section);
        if (!Value) return Doc.DeleteKey(Section, *Key);
        return Doc.WriteValue(Section, *Key, *Value);
    });
}

std::vector<String> GetPrivateProfileSection(const String& Section, const String& FileName) {
    return ReadProfile(FileName)->SectionLines(Section);
}

std::vector<String> GetPrivateProfileSectionNames(const String& FileName) {
    return ReadProfile(FileName)->SectionNames();
}

bool WritePrivateProfileSection(const String& Section, const std::vector<String>& Lines,
                                const String& FileName) {
    return ModifyProfile(FileName, [&](TIniDocument& Doc) {
        AnsiString Before = Doc.Serialize();
        Doc.WriteSection(Section, Lines);
        return Doc.Serialize() != Before;
    });
}

// --- TCustomIniFile ------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(const String& Section, const String& Ident, int Default) const {
    int V;
    return TryStrToInt(Trim(ReadString(Section, Ident, String())), V) ? V : Default;
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const String& Section, const String& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
    WriteString(Section, Ident, Value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const String& Section, const String& Ident, double Default) const {
    double V;
    return TryStrToFloat(Trim(ReadString(Section, Ident, String())), V, FileFormat()) ? V : Default;
}

void TCustomIniFile::WriteFloat(const String& Section, const String& Ident, double Value) {
    WriteString(Section, Ident, FloatToStr(Value, FileFormat()));
}

bool TCustomIniFile::SectionExists(const String& Section) const {
    return !ReadSectionKeys(Section).empty();
}

bool TCustomIniFile::ValueExists(const String& Section, const String& Ident) const {
    for (const String& K : ReadSectionKeys(Section))
        if (AnsiSameText(K, Ident)) return true;
    return false;
}

std::vector<String> TCustomIniFile::ReadSectionValues(const String& Section) const {
    std::vector<String> Lines;
    for (const String& K : ReadSectionKeys(Section))
        Lines.push_back(K + u'=' + ReadString(Section, K, String()));
    return Lines;
}

// --- TIniFile ------------------------------------------------------------------------------

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const {
    return GetPrivateProfileString(Section, Ident, Default, FileName());
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    if (!WritePrivateProfileString(Section, Ident, Value, FileName())) RaiseWriteError(FileName());
}

bool TIniFile::SectionExists(const String& Section) const {
    return ReadProfile(FileName())->SectionExists(Section);
}

bool TIniFile::ValueExists(const String& Section, const String& Ident) const {
    return ReadProfile(FileName())->KeyExists(Section, Ident);
}

std::vector<String> TIniFile::ReadSectionNames() const {
    return ReadProfile(FileName())->SectionNames();
}

std::vector<String> TIniFile::ReadSectionKeys(const String& Section) const {
    return ReadProfile(FileName())->SectionKeys(Section);
}

void TIniFile::EraseSection(const String& Section) {
    if (!WritePrivateProfileString(Section, std::nullopt, std::nullopt, FileName()))
        RaiseWriteError(FileName());
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
    if (!WritePrivateProfileString(Section, Ident, std::nullopt, FileName())) RaiseWriteError(FileName());
}

// --- TMemIniFile ---------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const String& FileName)
    : TCustomIniFile(FileName), FDocument(std::make_unique<TIniDocument>()) {
    if (FileName.empty()) return;
    AnsiString Bytes;
    int R = ReadWholeFile(ProfilePath(FileName), Bytes, nullptr);
    if (R != 0 && R != ENOENT)
        throw EFOpenError(u"Cannot open file \"" + FileName + u"\". " + Utf8ToString(std::strerror(R)));
    FDocument->Parse(Bytes);
}

TMemIniFile::~TMemIniFile() = default;

bool TMemIniFile::CaseSensitive() const {
    return FDocument->CaseSensitive();
}
void TMemIniFile::SetCaseSensitive(bool Value) {
    FDocument->SetCaseSensitive(Value);
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const {
    std::optional<String> V = FDocument->FindValue(Section, Ident);
    return V ? std::move(*V) : Default;
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    FDocument->WriteValue(Section, Ident, Value);
}

bool TMemIniFile::SectionExists(const String& Section) const {
    return FDocument->SectionExists(Section);
}

bool TMemIniFile::ValueExists(const String& Section, const String& Ident) const {
    return FDocument->KeyExists(Section, Ident);
}

std::vector<String> TMemIniFile::ReadSectionNames() const {
    return FDocument->SectionNames();
}

std::vector<String> TMemIniFile::ReadSectionKeys(const String& Section) const {
    return FDocument->SectionKeys(Section);
}

void TMemIniFile::EraseSection(const String& Section) {
    FDocument->EraseSection(Section);
}

void TMemIniFile::DeleteKey(const String& Section, const String& Ident) {
    FDocument->DeleteKey(Section, Ident);
}

void TMemIniFile::UpdateFile() {
    if (FileName().empty() || !WriteFileSafe(FileName(), FDocument->Serialize())) RaiseWriteError(FileName());
}

namespace {

void FillList(TStrings* Strings, const std::vector<String>& Lines) {
    TUpdateBracket Update(*Strings);
    Strings->Clear();
    for (const String& L : Lines)
        Strings->Add(L);
}

} // namespace

void TCustomIniFile::ReadSections(TStrings* Strings) const {
    FillList(Strings, ReadSectionNames());
}

void TCustomIniFile::ReadSection(const String& Section, TStrings* Strings) const {
    FillList(Strings, ReadSectionKeys(Section));
}

void TCustomIniFile::ReadSectionValues(const String& Section, TStrings* Strings) const {
    FillList(Strings, ReadSectionValues(Section));
}
