#include "platform/base/Files.h"

#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"
#include "platform/base/FilesPrivate.h"
#include "platform/base/Strings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <random>
#include <unistd.h>

namespace {

constexpr double UnixDateDelta = 25569.0; // 1970-01-01 as a date-time

String FromSys(std::string_view S) {
    return Utf8ToString(S);
}

size_t LastDelim(const String& S) {
    return S.rfind(PathDelim);
}

bool IsDotOrDotDot(const char* Name) {
    return Name[0] == '.' && (Name[1] == 0 || (Name[1] == '.' && Name[2] == 0));
}

// Local date-time to POSIX seconds and nanoseconds: the inverse of UnixTimeToDateTime.
void DateTimeToUnix(TDateTime DT, std::time_t& Seconds, long& Nanoseconds) {
    double Total = (DT - UnixDateDelta) * 86400.0;
    double Whole = std::floor(Total);
    // The double carries about a microsecond at today's dates: round to that.
    long Micro = std::lround((Total - Whole) * 1e6);
    if (Micro >= 1000000) {
        Whole += 1;
        Micro -= 1000000;
    }
    std::time_t LocalSeconds = static_cast<std::time_t>(Whole);
    std::tm T{};
    gmtime_r(&LocalSeconds, &T);
    T.tm_isdst = -1; // let the zone rules decide, as for any local wall-clock time
    Seconds = std::mktime(&T);
    Nanoseconds = Micro * 1000;
}

// '*' any run, '?' one character; both texts already case-folded.
bool WildMatch(StringView Pattern, StringView Name) {
    size_t P = 0, N = 0, StarP = StringView::npos, StarN = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() && (Pattern[P] == u'?' || Pattern[P] == Name[N])) {
            ++P;
            ++N;
        } else if (P < Pattern.size() && Pattern[P] == u'*') {
            StarP = P++;
            StarN = N;
        } else if (StarP != StringView::npos) {
            P = StarP + 1;
            N = ++StarN;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == u'*')
        ++P;
    return P == Pattern.size();
}

AnsiString RandomSuffix() {
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 Rng;
    thread_local pid_t SeededFor = 0;
    if (SeededFor != getpid()) { // a forked child must not repeat its parent's names
        SeededFor = getpid();
        Rng.seed(std::random_device{}() ^ (UInt64(SeededFor) << 32) ^ UInt64(std::time(nullptr)));
    }
    AnsiString S(8, 'x');
    for (char& C : S)
        C = Alphabet[Rng() % (sizeof(Alphabet) - 1)];
    return S;
}

bool WriteAll(int Fd, std::string_view Bytes) {
    while (!Bytes.empty()) {
        ssize_t N = ::write(Fd, Bytes.data(), Bytes.size());
        if (N < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        Bytes.remove_prefix(size_t(N));
    }
    return true;
}

} // namespace

struct TFindState {
    DIR* Dir = nullptr;
    String Pattern; // case-folded name part
    String Stem;    // the pattern without a trailing ".*", which may match too
    bool HasStem = false;
    int Attr = 0;
    ~TFindState() {
        if (Dir) closedir(Dir);
    }
};

AnsiString ToSysPath(const String& FileName) {
    return StringToUtf8(FileName);
}

String CaseKey(const String& S) {
    bool Ascii = true;
    for (Char C : S)
        if (C >= 0x80) {
            Ascii = false;
            break;
        }
    if (!Ascii) return AnsiLowerCase(S);
    String R(S);
    for (Char& C : R)
        if (C >= u'A' && C <= u'Z') C = Char(C + 32);
    return R;
}

// --- Path names --------------------------------------------------------------------------

String ExtractFilePath(const String& FileName) {
    size_t I = LastDelim(FileName);
    return I == String::npos ? String() : FileName.substr(0, I + 1);
}

String ExtractFileDir(const String& FileName) {
    size_t I = LastDelim(FileName);
    if (I == String::npos) return String();
    if (I > 0 && FileName[I - 1] != PathDelim) return FileName.substr(0, I);
    return FileName.substr(0, I + 1);
}

String ExtractFileName(const String& FileName) {
    size_t I = LastDelim(FileName);
    return I == String::npos ? FileName : FileName.substr(I + 1);
}

String ExtractFileExt(const String& FileName) {
    size_t I = FileName.find_last_of(u"./");
    return I == String::npos || FileName[I] != u'.' ? String() : FileName.substr(I);
}

String ChangeFileExt(const String& FileName, const String& Extension) {
    size_t I = FileName.find_last_of(u"./");
    if (I == String::npos || FileName[I] != u'.') return FileName + Extension;
    return FileName.substr(0, I) + Extension;
}

String IncludeTrailingPathDelimiter(const String& S) {
    return !S.empty() && S.back() == PathDelim ? S : S + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& S) {
    return S.size() > 1 && S.back() == PathDelim ? S.substr(0, S.size() - 1) : S;
}

String ExpandFileName(const String& FileName) {
    if (FileName.empty()) return String();
    String Full = FileName[0] == PathDelim ? FileName : GetCurrentDir() + PathDelim + FileName;
    std::vector<StringView> Parts;
    StringView Rest(Full);
    while (!Rest.empty()) {
        size_t I = Rest.find(PathDelim);
        StringView Part = Rest.substr(0, I);
        Rest = I == StringView::npos ? StringView() : Rest.substr(I + 1);
        if (Part.empty() || Part == u".") continue;
        if (Part == u"..") {
            if (!Parts.empty()) Parts.pop_back();
            continue;
        }
        Parts.push_back(Part);
    }
    String R;
    for (StringView Part : Parts) {
        R += PathDelim;
        R += Part;
    }
    if (R.empty() || FileName.back() == PathDelim) R += PathDelim;
    return R;
}

String ExtractRelativePath(const String& BaseName, const String& DestName) {
    auto Split = [](const String& Folder) {
        std::vector<String> Parts;
        size_t Start = 0;
        while (Start < Folder.size()) {
            size_t I = Folder.find(PathDelim, Start);
            if (I == String::npos) I = Folder.size();
            if (I > Start) Parts.push_back(Folder.substr(Start, I - Start));
            Start = I + 1;
        }
        return Parts;
    };
    String Base = BaseName.empty() ? IncludeTrailingPathDelimiter(GetCurrentDir()) : ExpandFileName(BaseName);
    String Dest = ExpandFileName(DestName);
    std::vector<String> BaseParts = Split(ExtractFilePath(Base));
    std::vector<String> DestParts = Split(ExtractFilePath(Dest));
    size_t Common = 0;
    while (Common < BaseParts.size() && Common < DestParts.size() && BaseParts[Common] == DestParts[Common])
        ++Common;
    String R;
    for (size_t I = Common; I < BaseParts.size(); ++I)
        R += u"../";
    for (size_t I = Common; I < DestParts.size(); ++I)
        R += DestParts[I] + PathDelim;
    return R + ExtractFileName(Dest);
}

// --- Files and folders -------------------------------------------------------------------

bool FileExists(const String& FileName) {
    struct stat St;
    return stat(ToSysPath(FileName).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const String& Directory) {
    struct stat St;
    return stat(ToSysPath(Directory).c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool ForceDirectories(const String& Dir) {
    if (Dir.empty()) return false;
    String Path = ExcludeTrailingPathDelimiter(ExpandFileName(Dir));
    if (DirectoryExists(Path)) return true;
    String Parent = ExtractFileDir(Path);
    if (Parent != Path && !ForceDirectories(Parent)) return false;
    // Another process may create it at the same moment: that counts as success.
    return CreateDir(Path) || (errno == EEXIST && DirectoryExists(Path));
}

bool CreateDir(const String& Dir) {
    return mkdir(ToSysPath(Dir).c_str(), 0777) == 0;
}

bool RemoveDir(const String& Dir) {
    return rmdir(ToSysPath(Dir).c_str()) == 0;
}

bool DeleteFile(const String& FileName) {
    AnsiString Path = ToSysPath(FileName);
    struct stat St;
    if (lstat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return unlink(Path.c_str()) == 0;
}

bool RenameFile(const String& OldName, const String& NewName) {
    AnsiString From = ToSysPath(OldName), To = ToSysPath(NewName);
    if (renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace flag: check first, then rename.
    struct stat St;
    if (lstat(To.c_str(), &St) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(From.c_str(), To.c_str()) == 0;
}

bool FileAge(const String& FileName, TDateTime& FileDateTime) {
    struct stat St;
    if (stat(ToSysPath(FileName).c_str(), &St) != 0 || S_ISDIR(St.st_mode)) return false;
    FileDateTime = UnixTimeToDateTime(St.st_mtim.tv_sec, St.st_mtim.tv_nsec);
    return true;
}

int FileSetDate(const String& FileName, TDateTime Age) {
    struct timespec Times[2];
    Times[0].tv_sec = 0;
    Times[0].tv_nsec = UTIME_OMIT; // last access stays
    DateTimeToUnix(Age, Times[1].tv_sec, Times[1].tv_nsec);
    return utimensat(AT_FDCWD, ToSysPath(FileName).c_str(), Times, 0) == 0 ? 0 : errno;
}

Int64 FileSize(const String& FileName) {
    struct stat St;
    if (stat(ToSysPath(FileName).c_str(), &St) != 0 || S_ISDIR(St.st_mode)) return -1;
    return St.st_size;
}

String GetCurrentDir() {
    std::vector<char> Buf(4096);
    while (!getcwd(Buf.data(), Buf.size())) {
        if (errno != ERANGE) return String();
        Buf.resize(Buf.size() * 2);
    }
    return FromSys(Buf.data());
}

bool SetCurrentDir(const String& Dir) {
    return chdir(ToSysPath(Dir).c_str()) == 0;
}

// --- Folder listings ---------------------------------------------------------------------

namespace {

int FindMatchingFile(TSearchRec& F) {
    TFindState& S = *F.FindHandle;
    int DirFd = dirfd(S.Dir);
    for (;;) {
        errno = 0;
        dirent* E = readdir(S.Dir);
        if (!E) return errno ? errno : ENOENT;
        String Name = FromSys(E->d_name);
        String Key = CaseKey(Name);
        if (!WildMatch(S.Pattern, Key) && !(S.HasStem && WildMatch(S.Stem, Key))) continue;
        struct stat St;
        if (fstatat(DirFd, E->d_name, &St, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since the listing was read
        int Attr = 0;
        if (S_ISLNK(St.st_mode)) {
            Attr |= faSymLink;
            struct stat Target;
            if (fstatat(DirFd, E->d_name, &Target, 0) == 0)
                St = Target; // a dangling link is listed as what it is
        }
        Attr |= S_ISDIR(St.st_mode) ? faDirectory : faArchive;
        if ((Attr & faDirectory) && !(S.Attr & faDirectory)) continue;
        if (E->d_name[0] == '.' && !IsDotOrDotDot(E->d_name)) Attr |= faHidden;
        if (faccessat(DirFd, E->d_name, W_OK, AT_EACCESS) != 0 && errno != ENOENT) Attr |= faReadOnly;
        F.Name = std::move(Name);
        F.Attr = Attr;
        F.Size = S_ISDIR(St.st_mode) ? 0 : St.st_size;
        F.Time = UnixTimeToDateTime(St.st_mtim.tv_sec, St.st_mtim.tv_nsec);
        F.Device = St.st_dev;
        F.Inode = St.st_ino;
        return 0;
    }
}

} // namespace

int FindFirst(const String& Path, int Attr, TSearchRec& F) {
    FindClose(F);
    String Folder = ExtractFilePath(Path);
    String Pattern = ExtractFileName(Path);
    if (Pattern.empty()) return ENOENT;
    DIR* Dir = opendir(Folder.empty() ? "." : ToSysPath(Folder).c_str());
    if (!Dir) return errno;
    auto State = std::make_shared<TFindState>();
    State->Dir = Dir;
    State->Pattern = CaseKey(Pattern);
    // "name.*" also finds "name": the platform's listing treats a trailing ".*" that way, so
    // "*.*" lists every name.
    if (State->Pattern.ends_with(u".*")) {
        State->Stem = State->Pattern.substr(0, State->Pattern.size() - 2);
        State->HasStem = true;
    }
    State->Attr = Attr;
    F.ExcludeAttr = (Attr & faDirectory) ? 0 : faDirectory;
    F.FindHandle = std::move(State);
    int R = FindMatchingFile(F);
    if (R != 0) FindClose(F);
    return R;
}

int FindNext(TSearchRec& F) {
    if (!F.FindHandle) return EBADF;
    return FindMatchingFile(F);
}

void FindClose(TSearchRec& F) {
    F.FindHandle.reset();
}

// --- Places ------------------------------------------------------------------------------

namespace {

std::mutex ProgramFileLock;
String ProgramFileOverride;

} // namespace

void SetProgramFileOverride(const String& FileName) {
    std::lock_guard Lock(ProgramFileLock);
    ProgramFileOverride = FileName;
}

String ProgramFile() {
    {
        std::lock_guard Lock(ProgramFileLock);
        if (!ProgramFileOverride.empty()) return ProgramFileOverride;
    }
    static const String Name = [] {
        std::vector<char> Buf(1024);
        for (;;) {
            ssize_t N = readlink("/proc/self/exe", Buf.data(), Buf.size());
            if (N < 0) return String();
            if (size_t(N) < Buf.size()) {
                std::string_view Path(Buf.data(), size_t(N));
                // The file was replaced while running: the kernel marks the old one.
                constexpr std::string_view Deleted = " (deleted)";
                if (Path.ends_with(Deleted) && access(Buf.data(), F_OK) != 0)
                    Path.remove_suffix(Deleted.size());
                return FromSys(Path);
            }
            Buf.resize(Buf.size() * 2);
        }
    }();
    return Name;
}

String ProgramFolder() {
    return ExtractFileDir(ProgramFile());
}

String GetTempDir() {
    const char* Dir = std::getenv("TMPDIR");
    return IncludeTrailingPathDelimiter(Dir && *Dir ? FromSys(Dir) : String(u"/tmp"));
}

String GetAppDataDir() {
    const char* Config = std::getenv("XDG_CONFIG_HOME");
    if (Config && Config[0] == '/') // relative values are invalid and ignored
        return ExcludeTrailingPathDelimiter(FromSys(Config));
    String Home;
    if (const char* H = std::getenv("HOME"); H && *H) {
        Home = FromSys(H);
    } else {
        struct passwd Pw, *Result = nullptr;
        std::vector<char> Buf(16384);
        if (getpwuid_r(getuid(), &Pw, Buf.data(), Buf.size(), &Result) == 0 && Result)
            Home = FromSys(Pw.pw_dir);
    }
    return ExcludeTrailingPathDelimiter(Home) + u"/.config";
}

String FindFileNoCase(const String& Folder, const String& Name) {
    if (Name.empty()) return String();
    String Prefix = Folder.empty() ? String() : IncludeTrailingPathDelimiter(Folder);
    struct stat St;
    if (lstat(ToSysPath(Prefix + Name).c_str(), &St) == 0) return Prefix + Name;
    DIR* Dir = opendir(Folder.empty() ? "." : ToSysPath(Folder).c_str());
    if (!Dir) return String();
    String Key = CaseKey(Name), Found;
    while (dirent* E = readdir(Dir)) {
        String Entry = FromSys(E->d_name);
        if (CaseKey(Entry) == Key) {
            Found = Prefix + Entry;
            break;
        }
    }
    closedir(Dir);
    return Found;
}

// --- Writing -----------------------------------------------------------------------------

bool WriteFileSafeStat(const String& FileName, std::string_view Bytes, struct stat* Written) {
    AnsiString Target = ToSysPath(FileName);
    if (Target.empty()) {
        errno = ENOENT;
        return false;
    }
    // Through a link to the file it names, so that the link stays a link.
    if (char* Real = realpath(Target.c_str(), nullptr)) {
        Target = Real;
        std::free(Real);
    }
    struct stat Old;
    bool HaveOld = stat(Target.c_str(), &Old) == 0;
    if (HaveOld && !S_ISREG(Old.st_mode)) {
        // A folder, device or pipe is never replaced by a file.
        errno = S_ISDIR(Old.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    size_t Slash = Target.rfind('/');
    AnsiString Folder = Slash == AnsiString::npos ? AnsiString() : Target.substr(0, Slash + 1);
    AnsiString Base = Slash == AnsiString::npos ? Target : Target.substr(Slash + 1);
    if (Base.size() > 200) Base.resize(200); // leave room for the suffix within the name length limit
    AnsiString Temp;
    int Fd = -1;
    for (int Try = 0; Try < 100 && Fd < 0; ++Try) {
        Temp = Folder + "." + Base + "." + RandomSuffix();
        // 0666 lets the umask decide, as for any new file.
        Fd = open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0 && errno != EEXIST) return false;
    }
    if (Fd < 0) return false;
    auto Fail = [&] {
        int E = errno;
        if (Fd >= 0) close(Fd);
        unlink(Temp.c_str());
        errno = E;
        return false;
    };
    if (HaveOld) {
        // The owner first: a change of owner clears set-id bits that the mode then restores.
        (void)!fchown(Fd, Old.st_uid, Old.st_gid);
        if (fchmod(Fd, Old.st_mode & 07777) != 0) return Fail();
    }
    if (!WriteAll(Fd, Bytes) || fsync(Fd) != 0) return Fail();
    if (Written && fstat(Fd, Written) != 0) return Fail();
    int Closed = close(Fd);
    Fd = -1;
    if (Closed != 0 || rename(Temp.c_str(), Target.c_str()) != 0) return Fail();
    // Make the rename itself durable; a failure here leaves a complete file either way.
    int DirFd = open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DirFd >= 0) {
        fsync(DirFd);
        close(DirFd);
    }
    return true;
}

bool WriteFileSafe(const String& FileName, std::string_view Bytes) {
    return WriteFileSafeStat(FileName, Bytes, nullptr);
}

void SaveFileSafe(const String& FileName, std::string_view Bytes) {
    if (!WriteFileSafe(FileName, Bytes))
        throw EFCreateError(u"Cannot create file \"" + FileName + u"\". " + FromSys(std::strerror(errno)));
}

int ReadWholeFile(const AnsiString& Path, AnsiString& Bytes, struct stat* Read) {
    Bytes.clear();
    // Non-blocking so that a pipe at the path cannot hang the open.
    int Fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0) return errno;
    struct stat St;
    if (fstat(Fd, &St) != 0) {
        int E = errno;
        close(Fd);
        return E;
    }
    if (!S_ISREG(St.st_mode)) {
        close(Fd);
        return S_ISDIR(St.st_mode) ? EISDIR : EINVAL;
    }
    Bytes.resize(size_t(St.st_size));
    size_t Have = 0;
    for (;;) {
        if (Have == Bytes.size()) Bytes.resize(Have + 4096); // the file may have grown since fstat
        ssize_t N = ::read(Fd, Bytes.data() + Have, Bytes.size() - Have);
        if (N < 0) {
            if (errno == EINTR) continue;
            int E = errno;
            close(Fd);
            Bytes.clear();
            return E;
        }
        if (N == 0) break;
        Have += size_t(N);
    }
    Bytes.resize(Have);
    close(Fd);
    if (Read) *Read = St;
    return 0;
}
