#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Lists.h"
#include "platform/base/ScopeGuard.h"

#include "support/SmallFileSystem.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct TNameCase {
    const char16_t* Name;
    const char16_t* Path;
    const char16_t* Dir;
    const char16_t* FileName;
    const char16_t* Ext;
};

const TNameCase NameCases[] = {
    {u"/home/u/a.b.c", u"/home/u/", u"/home/u", u"a.b.c", u".c"},
    {u"/home/u/.bashrc", u"/home/u/", u"/home/u", u".bashrc", u".bashrc"},
    {u"/home/u/dir/", u"/home/u/dir/", u"/home/u/dir", u"", u""},
    {u"a.dir/README", u"a.dir/", u"a.dir", u"README", u""},
    {u"archive.tar.gz", u"", u"", u"archive.tar.gz", u".gz"},
    {u"name.", u"", u"", u"name.", u"."},
    {u"/a", u"/", u"/", u"a", u""},
    {u"/", u"/", u"/", u"", u""},
    {u"a//b", u"a//", u"a//", u"b", u""},
    {u"", u"", u"", u"", u""},
};

TEST(Paths, SplitNames) {
    for (const auto& C : NameCases) {
        SCOPED_TRACE(U8(C.Name));
        EXPECT_EQ(U8(ExtractFilePath(C.Name)), U8(C.Path));
        EXPECT_EQ(U8(ExtractFileDir(C.Name)), U8(C.Dir));
        EXPECT_EQ(U8(ExtractFileName(C.Name)), U8(C.FileName));
        EXPECT_EQ(U8(ExtractFileExt(C.Name)), U8(C.Ext));
    }
}

TEST(Paths, ChangeExtensionAndTrailingDelimiters) {
    const std::tuple<const char16_t*, const char16_t*, const char16_t*> Ext[] = {
        {u"/p/Morvane", u".sto", u"/p/Morvane.sto"},
        {u"/p/sketch.ino", u".cpp", u"/p/sketch.cpp"},
        {u"a.dir/file", u".x", u"a.dir/file.x"},
        {u"a.b.c", u"", u"a.b"},
        {u".bashrc", u".bak", u".bak"},
        {u"", u".ini", u".ini"},
    };
    for (auto [Name, NewExt, Want] : Ext)
        EXPECT_EQ(U8(ChangeFileExt(Name, NewExt)), U8(Want)) << U8(Name);

    const std::tuple<const char16_t*, const char16_t*, const char16_t*> Delims[] = {
        {u"", u"/", u""},     {u"/", u"/", u"/"},      {u"a", u"a/", u"a"},
        {u"a/", u"a/", u"a"}, {u"a//", u"a//", u"a/"},
    };
    for (auto [S, Included, Excluded] : Delims) {
        EXPECT_EQ(U8(IncludeTrailingPathDelimiter(S)), U8(Included)) << U8(S);
        EXPECT_EQ(U8(ExcludeTrailingPathDelimiter(S)), U8(Excluded)) << U8(S);
    }
}

TEST(Paths, ExpandAndRelative) {
    TTempFolder T;
    String Old = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(T.Dir()));
    String Here = GetCurrentDir();
    const std::pair<String, String> Expand[] = {
        {u"x", Here + u"/x"}, {u"./x/../y/", Here + u"/y/"}, {u"/a//b/./c/..", u"/a/b"}, {u"/../..", u"/"},
        {u"", u""},
    };
    for (const auto& [In, Want] : Expand)
        EXPECT_EQ(U8(ExpandFileName(In)), U8(Want)) << U8(In);
    EXPECT_EQ(U8(ExtractRelativePath(u"base.txt", Here + u"/sub/d.txt")), "sub/d.txt");
    ASSERT_TRUE(SetCurrentDir(Old));

    const std::tuple<const char16_t*, const char16_t*, const char16_t*> Rel[] = {
        {u"/a/b/base.txt", u"/a/c/d.txt", u"../c/d.txt"},
        {u"/a/b/", u"/a/b/c/d.txt", u"c/d.txt"},
        {u"/a/b/x", u"/a/b/y", u"y"},
        {u"/a/b/x", u"/z", u"../../z"},
        {u"/A/b/x", u"/a/b/y", u"../../a/b/y"}, // Linux names differ by case
    };
    for (auto [Base, Dest, Want] : Rel)
        EXPECT_EQ(U8(ExtractRelativePath(Base, Dest)), U8(Want)) << U8(Base) << " -> " << U8(Dest);
}

TEST(Files, FoldersFilesAndRenames) {
    TTempFolder T;
    EXPECT_TRUE(ForceDirectories(T / "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(T / "a/b/c"));
    EXPECT_FALSE(FileExists(T / "a/b/c"));
    EXPECT_TRUE(ForceDirectories(T / "a/b")); // already there
    EXPECT_FALSE(ForceDirectories(u""));
    EXPECT_FALSE(CreateDir(T / "a"));

    WriteBytes(T.Sys("a/f.txt"), "12345");
    EXPECT_TRUE(FileExists(T / "a/f.txt"));
    EXPECT_FALSE(DirectoryExists(T / "a/f.txt"));
    EXPECT_EQ(FileSize(T / "a/f.txt"), 5);
    EXPECT_EQ(FileSize(T / "a"), -1);
    EXPECT_EQ(FileSize(T / "missing"), -1);
    EXPECT_FALSE(ForceDirectories(T / "a/f.txt/sub")); // a file is in the way

    // Renaming never replaces an existing file.
    WriteBytes(T.Sys("a/g.txt"), "other");
    EXPECT_FALSE(RenameFile(T / "a/f.txt", T / "a/g.txt"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadBytes(T.Sys("a/g.txt")), "other");
    EXPECT_TRUE(RenameFile(T / "a/f.txt", T / "a/h.txt"));
    EXPECT_EQ(ReadBytes(T.Sys("a/h.txt")), "12345");
    EXPECT_FALSE(FileExists(T / "a/f.txt"));

    EXPECT_FALSE(DeleteFile(T / "a/b")); // folders are not files
    EXPECT_FALSE(RemoveDir(T / "a/b"));  // not empty
    EXPECT_TRUE(RemoveDir(T / "a/b/c"));
    EXPECT_TRUE(DeleteFile(T / "a/h.txt"));
    EXPECT_FALSE(DeleteFile(T / "a/h.txt"));
}

TEST(Files, LinksAreFollowedButDeletedThemselves) {
    TTempFolder T;
    WriteBytes(T.Sys("target"), "abc");
    ASSERT_EQ(symlink("target", T.Sys("link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", T.Sys("dangling").c_str()), 0);
    ASSERT_EQ(symlink(T.Path().c_str(), T.Sys("folderlink").c_str()), 0);
    EXPECT_TRUE(FileExists(T / "link"));
    EXPECT_EQ(FileSize(T / "link"), 3);
    EXPECT_FALSE(FileExists(T / "dangling"));
    EXPECT_TRUE(DirectoryExists(T / "folderlink"));
    EXPECT_TRUE(DeleteFile(T / "link"));
    EXPECT_TRUE(FileExists(T / "target"));
    EXPECT_TRUE(DeleteFile(T / "dangling"));
}

TEST(Files, AgeRoundTripsThroughSetDate) {
    TTempFolder T;
    WriteBytes(T.Sys("f"), "x");
    TDateTime Age = 0;
    ASSERT_TRUE(FileAge(T / "f", Age));
    struct stat St;
    stat(T.Sys("f").c_str(), &St);
    EXPECT_DOUBLE_EQ(Age, UnixTimeToDateTime(St.st_mtim.tv_sec, St.st_mtim.tv_nsec));

    // 2021-07-14 13:45:30.25 local: in summer time where the zone has one.
    const TDateTime Wanted = 44391.0 + (13 * 3600 + 45 * 60 + 30.25) / 86400.0;
    EXPECT_EQ(FileSetDate(T / "f", Wanted), 0);
    ASSERT_TRUE(FileAge(T / "f", Age));
    EXPECT_NEAR(Age, Wanted, 1e-3 / 86400);
    EXPECT_EQ(FileSetDate(T / "missing", Wanted), ENOENT);
    EXPECT_FALSE(FileAge(T / "missing", Age));
    EXPECT_FALSE(FileAge(T.Dir(), Age)); // folders have no file age
}

// --- Folder listings ---------------------------------------------------------------------

class FindTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(T.Sys("Sketch.INO"), "abc");
        WriteBytes(T.Sys("notes.txt"), "");
        WriteBytes(T.Sys("README"), "");
        WriteBytes(T.Sys(".hidden"), "");
        WriteBytes(T.Sys("a.b.c"), "");
        mkdir(T.Sys("sub").c_str(), 0777);
        mkdir(T.Sys(".git").c_str(), 0777);
        symlink("sub", T.Sys("toSub").c_str());
        symlink("nowhere", T.Sys("dangling").c_str());
        // Sparse, so the 5 GiB cost nothing.
        int Fd = open(T.Sys("big.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_EQ(ftruncate(Fd, 5LL << 30), 0);
        close(Fd);
    }

    // Names found, in the order found, and the records by name.
    std::vector<std::string> Find(const String& Pattern, int Attr, int* Result = nullptr) {
        std::vector<std::string> Names;
        Recs.clear();
        TSearchRec F;
        int R = FindFirst(T / "" + Pattern, Attr, F);
        if (Result) *Result = R;
        for (int Rc = R; Rc == 0; Rc = FindNext(F)) {
            Names.push_back(U8(F.Name));
            Recs[U8(F.Name)] = F;
        }
        FindClose(F);
        return Names;
    }

    static std::set<std::string> Set(const std::vector<std::string>& V) { return {V.begin(), V.end()}; }

    TTempFolder T;
    std::map<std::string, TSearchRec> Recs;
};

TEST_F(FindTest, PatternsMatchCaseBlindWithDosRules) {
    using S = std::set<std::string>;
    const S All = {".",     "..",  "Sketch.INO", "notes.txt", "README",   ".hidden",
                   "a.b.c", "sub", ".git",       "toSub",     "dangling", "big.bin"};
    const std::tuple<const char16_t*, int, S> Cases[] = {
        {u"*", faAnyFile, All},
        {u"*.*", faAnyFile, All}, // names without a dot too
        {u"*.ino", faAnyFile, {"Sketch.INO"}},
        {u"SKETCH.*", faAnyFile, {"Sketch.INO"}},
        {u"readme.*", faAnyFile, {"README"}}, // "name.*" finds "name"
        {u"?????.txt", faAnyFile, {"notes.txt"}},
        {u"*.b*", faAnyFile, {"a.b.c", "big.bin"}},
        {u".*", faAnyFile, {".", "..", ".hidden", ".git"}},
        {u"sub", faAnyFile, {"sub"}},
        // Without faDirectory only files are listed: hidden ones and dangling links included.
        {u"*", 0, {"Sketch.INO", "notes.txt", "README", ".hidden", "a.b.c", "dangling", "big.bin"}},
        {u"*", faDirectory, All},
    };
    for (const auto& [Pattern, Attr, Want] : Cases)
        EXPECT_EQ(Set(Find(Pattern, Attr)), Want) << U8(Pattern) << " attr " << Attr;
}

TEST_F(FindTest, ListingOrderIsTheFileSystems) {
    std::vector<std::string> Raw;
    DIR* D = opendir(T.Path().c_str());
    while (dirent* E = readdir(D))
        Raw.push_back(E->d_name);
    closedir(D);
    EXPECT_EQ(Find(u"*", faAnyFile), Raw);
}

TEST_F(FindTest, AttributesSizesTimesAndIdentity) {
    Find(u"*", faAnyFile);
    const std::pair<const char*, int> Attrs[] = {
        {"Sketch.INO", faArchive},
        {".hidden", faArchive | faHidden},
        {"sub", faDirectory},
        {".git", faDirectory | faHidden},
        {".", faDirectory},
        {"..", faDirectory},
        {"toSub", faDirectory | faSymLink},
        {"dangling", faArchive | faSymLink},
    };
    for (auto [Name, Attr] : Attrs)
        EXPECT_EQ(Recs[Name].Attr, Attr) << Name;
    EXPECT_EQ(Recs["big.bin"].Size, 5LL << 30);
    EXPECT_EQ(Recs["Sketch.INO"].Size, 3);
    EXPECT_EQ(Recs["sub"].Size, 0);
    TDateTime Age;
    ASSERT_TRUE(FileAge(T / "Sketch.INO", Age));
    EXPECT_DOUBLE_EQ(Recs["Sketch.INO"].Time, Age);
    EXPECT_EQ(Recs["toSub"].Inode, Recs["sub"].Inode); // a walk can see where a link leads
    EXPECT_EQ(Recs["toSub"].Device, Recs["sub"].Device);
    EXPECT_NE(Recs["sub"].Inode, Recs[".git"].Inode);
}

TEST_F(FindTest, ReadOnlyMeansWeMayNotWrite) {
    WriteBytes(T.Sys("locked"), "");
    chmod(T.Sys("locked").c_str(), 0444);
    chmod(T.Path().c_str(), 0755);
    // Root may write anything, so the check runs as an unprivileged user in a child.
    int Code = RunInChild([&] {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
        std::set<std::string> ReadOnly;
        for (const auto& Name : Find(u"*", 0))
            if (Recs[Name].Attr & faReadOnly) ReadOnly.insert(Name);
        return ReadOnly == std::set<std::string>{"locked",  "Sketch.INO", "notes.txt", "README",
                                                 ".hidden", "a.b.c",      "big.bin"}
                   ? 0
                   : 1;
    });
    EXPECT_EQ(Code, 0);
    Find(u"*", 0);
    EXPECT_EQ(Recs["Sketch.INO"].Attr & faReadOnly, getuid() == 0 ? 0 : faReadOnly);
}

TEST_F(FindTest, FailuresAndEndOfListing) {
    int R = -1;
    EXPECT_TRUE(Find(u"nothing*", faAnyFile, &R).empty());
    EXPECT_EQ(R, ENOENT);
    EXPECT_TRUE(Find(u"Sub", 0, &R).empty()); // a folder, not asked for
    EXPECT_EQ(R, ENOENT);

    TSearchRec F;
    EXPECT_EQ(FindFirst(T / "missing/*", faAnyFile, F), ENOENT);
    EXPECT_FALSE(F.FindHandle);
    EXPECT_EQ(FindNext(F), EBADF);
    EXPECT_EQ(FindFirst(T / "", faAnyFile, F), ENOENT); // no name part
    ASSERT_EQ(FindFirst(T / "notes.TXT", faAnyFile, F), 0);
    EXPECT_EQ(U8(F.Name), "notes.txt");
    EXPECT_EQ(FindNext(F), ENOENT);
    EXPECT_EQ(FindNext(F), ENOENT);
    FindClose(F);
    EXPECT_EQ(FindNext(F), EBADF);
}

// --- Places ------------------------------------------------------------------------------

TEST(Places, ProgramFileIsThisTestProgram) {
    // The test main gives the program a folder of its own: without it, the real file shows.
    const String Given = ProgramFile();
    SetProgramFileOverride(u"");
    TScopeExit Restore([&] { SetProgramFileOverride(Given); });
    String Exe = ProgramFile();
    EXPECT_EQ(U8(ExtractFileName(Exe)), "test_platform_base");
    EXPECT_EQ(Exe[0], u'/');
    EXPECT_EQ(access(StringToUtf8(Exe).c_str(), X_OK), 0);
    EXPECT_EQ(U8(ProgramFolder() + u"/test_platform_base"), U8(Exe));
    EXPECT_EQ(U8(ExtractFileName(ProgramFolder())), "tests");
}

TEST(Places, TheProgramFileCanBeRedirected) {
    const String Given = ProgramFile();
    TTempFolder T;
    {
        const TTestProgramFolder Program(T.Path());
        EXPECT_EQ(U8(ProgramFolder()), T.Sys("bin"));
        EXPECT_EQ(U8(ProgramFile()), T.Sys("bin/test_platform_base"));
        // The redirected file is this program still, for readers of its contents.
        struct stat Redirected, Real;
        ASSERT_EQ(stat(T.Sys("bin/test_platform_base").c_str(), &Redirected), 0);
        ASSERT_EQ(stat("/proc/self/exe", &Real), 0);
        EXPECT_EQ(Redirected.st_ino, Real.st_ino);
    }
    EXPECT_EQ(U8(ProgramFile()), U8(Given));
    SetProgramFileOverride(u"/opt/ünï/Morvane");
    EXPECT_EQ(U8(ProgramFolder()), "/opt/ünï");
    SetProgramFileOverride(Given);
}

class EnvTest : public ::testing::Test {
protected:
    void Set(const char* Name, const char* Value) {
        if (!Saved.count(Name)) {
            const char* Old = getenv(Name);
            Saved[Name] = Old ? std::optional<std::string>(Old) : std::nullopt;
        }
        if (Value)
            setenv(Name, Value, 1);
        else
            unsetenv(Name);
    }
    void TearDown() override {
        for (auto& [Name, Value] : Saved)
            Value ? (void)setenv(Name.c_str(), Value->c_str(), 1) : (void)unsetenv(Name.c_str());
    }
    std::map<std::string, std::optional<std::string>> Saved;
};

TEST_F(EnvTest, TempAndAppDataFolders) {
    Set("TMPDIR", nullptr);
    EXPECT_EQ(U8(GetTempDir()), "/tmp/");
    Set("TMPDIR", "");
    EXPECT_EQ(U8(GetTempDir()), "/tmp/");
    Set("TMPDIR", "/var/tmp/x");
    EXPECT_EQ(U8(GetTempDir()), "/var/tmp/x/");

    Set("HOME", "/home/ünï");
    Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(U8(GetAppDataDir()), "/home/ünï/.config");
    Set("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(U8(GetAppDataDir()), "/home/ünï/.config");
    Set("XDG_CONFIG_HOME", "/cfg/");
    EXPECT_EQ(U8(GetAppDataDir()), "/cfg");
}

TEST(Places, FindFileNoCasePrefersTheExactName) {
    TTempFolder T;
    WriteBytes(T.Sys("board.TXT"), "");
    WriteBytes(T.Sys("Board.txt"), "");
    WriteBytes(T.Sys("Überall.ino"), "");
    EXPECT_EQ(U8(FindFileNoCase(T.Dir(), u"board.TXT")), T.Sys("board.TXT"));
    EXPECT_EQ(U8(FindFileNoCase(T.Dir() + u"/", u"Board.txt")), T.Sys("Board.txt"));
    EXPECT_EQ(U8(FindFileNoCase(T.Dir(), u"überall.INO")), T.Sys("Überall.ino"));
    EXPECT_EQ(U8(FindFileNoCase(T.Dir(), u"missing")), "");
    EXPECT_EQ(U8(FindFileNoCase(T / "nofolder", u"x")), "");

    // Neither spelling exact: the first of the listing.
    std::string First;
    DIR* D = opendir(T.Path().c_str());
    while (dirent* E = readdir(D))
        if (First.empty() && strcasecmp(E->d_name, "board.txt") == 0) First = E->d_name;
    closedir(D);
    EXPECT_EQ(U8(FindFileNoCase(T.Dir(), u"BOARD.txt")), T.Sys(First));

    String Old = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(T.Dir()));
    EXPECT_EQ(U8(FindFileNoCase(u"", u"ÜBERALL.INO")), "Überall.ino");
    ASSERT_TRUE(SetCurrentDir(Old));
}

// --- Safe writer ---------------------------------------------------------------------------

TEST(SafeWrite, ReplacesWholeFileKeepingModeAndLinks) {
    TTempFolder T;
    EXPECT_TRUE(WriteFileSafe(T / "new.ini", "a=1\n"));
    EXPECT_EQ(ReadBytes(T.Sys("new.ini")), "a=1\n");

    chmod(T.Sys("new.ini").c_str(), 0640);
    EXPECT_TRUE(WriteFileSafe(T / "new.ini", "b=2\n"));
    EXPECT_EQ(ReadBytes(T.Sys("new.ini")), "b=2\n");
    struct stat St;
    stat(T.Sys("new.ini").c_str(), &St);
    EXPECT_EQ(St.st_mode & 07777, 0640u);

    ASSERT_EQ(symlink("new.ini", T.Sys("link.ini").c_str()), 0);
    EXPECT_TRUE(WriteFileSafe(T / "link.ini", "c=3\n"));
    lstat(T.Sys("link.ini").c_str(), &St);
    EXPECT_TRUE(S_ISLNK(St.st_mode));
    EXPECT_EQ(ReadBytes(T.Sys("new.ini")), "c=3\n");
    EXPECT_EQ(ListFolder(T.Path()), (std::vector<std::string>{"link.ini", "new.ini"})); // no leftovers
}

TEST(SafeWrite, FailureLeavesTargetAndNoTemporaryFile) {
    TTempFolder T;
    WriteBytes(T.Sys("settings.ini"), "old=1\n");
    // A file size limit stops writes for root too.
    int Code = RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit Limit = {1024, 1024};
        setrlimit(RLIMIT_FSIZE, &Limit);
        bool Ok = WriteFileSafe(T / "settings.ini", std::string(4096, 'x'));
        return !Ok && errno == EFBIG ? 0 : 1;
    });
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(ReadBytes(T.Sys("settings.ini")), "old=1\n");
    EXPECT_EQ(ListFolder(T.Path()), std::vector<std::string>{"settings.ini"});

    errno = 0;
    EXPECT_FALSE(WriteFileSafe(T / "missing/settings.ini", "x"));
    EXPECT_EQ(errno, ENOENT);
    mkdir(T.Sys("folder").c_str(), 0777);
    EXPECT_FALSE(WriteFileSafe(T / "folder", "x"));
    EXPECT_TRUE(DirectoryExists(T / "folder"));
    ASSERT_EQ(symlink("/dev/null", T.Sys("null.ini").c_str()), 0);
    EXPECT_FALSE(WriteFileSafe(T / "null.ini", "x")); // never replaces a device
    EXPECT_EQ(errno, EINVAL);
}

TEST(SafeWrite, AKillAtAnyMomentOfASaveLeavesTheOldOrTheNewFile) {
    TTempFolder T;
    const String File = T / "sketch.ino";
    // Large enough that a kill mostly lands in the middle of writing.
    TStringList A, B;
    for (int I = 0; I < 60000; ++I) {
        A.Add(u"// the old text of line " + IntToStr(I));
        B.Add(u"// the new text, of another length, of line " + IntToStr(I));
    }
    A.SaveToFile(File);
    const std::string Old = ReadBytes(T.Sys("sketch.ino"));
    B.SaveToFile(File);
    const std::string New = ReadBytes(T.Sys("sketch.ino"));
    chmod(T.Sys("sketch.ino").c_str(), 0640);
    for (int Try = 0; Try < 40; ++Try) {
        SCOPED_TRACE(Try);
        pid_t Pid = fork();
        if (Pid == 0) {
            for (;;) {
                A.SaveToFile(File);
                B.SaveToFile(File);
            }
        }
        ASSERT_GT(Pid, 0);
        // Kills spread over the first saves and the moments between them.
        usleep(useconds_t(1000 + (Try * 7919) % 60000));
        kill(Pid, SIGKILL);
        int Status = 0;
        waitpid(Pid, &Status, 0);
        const std::string Now = ReadBytes(T.Sys("sketch.ino"));
        ASSERT_TRUE(Now == Old || Now == New) << "a file of " << Now.size() << " bytes";
        struct stat St;
        stat(T.Sys("sketch.ino").c_str(), &St);
        EXPECT_EQ(St.st_mode & 07777, 0640u);
    }
}

TEST(SafeWrite, AFullFileSystemKeepsTheOldFileAndTheErrorNamesFileAndReason) {
    TTempFolder T;
    TSmallFileSystem Small(T.Sys("small"), 256 * 1024);
    if (!Small.Mounted()) GTEST_SKIP() << Small.Reason();
    const std::string Path = T.Sys("small/sketch.ino");
    WriteBytes(Path, "void setup() {}\n");
    FillFileSystem(T.Sys("small"));
    TStringList Lines;
    for (int I = 0; I < 2000; ++I)
        Lines.Add(u"// a line that needs more room than there is");
    try {
        Lines.SaveToFile(Utf8ToString(Path));
        FAIL() << "saved on a full file system";
    } catch (const EFCreateError& E) {
        EXPECT_EQ(U8(E.Message()), "Cannot create file \"" + Path + "\". " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(ReadBytes(Path), "void setup() {}\n");
    EXPECT_EQ(ListFolder(T.Sys("small")), (std::vector<std::string>{"filler", "sketch.ino"}));
}

} // namespace
