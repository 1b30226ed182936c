#include "platform/base/Ini.h"

#include "platform/base/Files.h"
#include "platform/base/Lists.h"
#include "support/TestSupport.h"

#include <thread>

namespace {

const char* const Sample = "; the program's settings\n"
                           "[General]\n"
                           "Name = Morvane \n"
                           "name=duplicate\n"
                           "Path=a=b=c\n"
                           "Quoted=\"  spaced  \"\n"
                           "Single='x'\n"
                           "Empty=\n"
                           "NoEquals\n"
                           "; Commented=1\n"
                           "Hex=$FF000005\n"
                           "Hex2=0x1F\n"
                           "Neg=-12\n"
                           "Bad=12abc\n"
                           "Big=2147483648\n"
                           "Float=1.5E-7\n"
                           "Bool=2\n"
                           "\n"
                           "[general]\n"
                           "Name=second section ignored\n"
                           "[Ports]\n"
                           "COM1=x\n";

std::vector<std::string> U8(const std::vector<String>& V) {
    std::vector<std::string> R;
    for (const auto& S : V)
        R.push_back(::U8(S));
    return R;
}

class IniTest : public ::testing::Test {
protected:
    String File(const std::string& Bytes, const std::string& Name = "test.ini") {
        WriteBytes(T.Sys(Name), Bytes);
        return T / Name;
    }
    TTempFolder T;
};

TEST_F(IniTest, ReadsStringsCaseBlindFirstWinsTrimmedQuotes) {
    String Name = File(Sample);
    TIniFile Ini(Name);
    TMemIniFile Mem(Name);
    struct {
        const char16_t *Section, *Key;
        const char *Profile, *Memory; // TIniFile and the profile call; TMemIniFile
    } Cases[] = {
        {u"GENERAL", u"NAME", "Morvane", "Morvane"},
        {u"General", u"path", "a=b=c", "a=b=c"},
        {u"General", u"Quoted", "  spaced  ", "\"  spaced  \""},
        {u"General", u"Single", "'x'", "'x'"},
        {u"General", u"Empty", "", ""},
        {u"General", u"NoEquals", "default", "default"},
        {u"General", u"Commented", "default", "default"},
        {u"General", u"Missing", "default", "default"},
        {u"Missing", u"Name", "default", "default"},
        {u"ports", u"com1", "x", "x"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(::U8(C.Section) + "/" + ::U8(C.Key));
        EXPECT_EQ(::U8(Ini.ReadString(C.Section, C.Key, u"default")), C.Profile);
        EXPECT_EQ(::U8(GetPrivateProfileString(C.Section, C.Key, u"default", Name)), C.Profile);
        EXPECT_EQ(::U8(Mem.ReadString(C.Section, C.Key, u"default")), C.Memory);
    }
    for (TCustomIniFile* F : {static_cast<TCustomIniFile*>(&Ini), static_cast<TCustomIniFile*>(&Mem)}) {
        EXPECT_EQ(U8(F->ReadSectionNames()), (std::vector<std::string>{"General", "Ports"}));
        EXPECT_EQ(U8(F->ReadSectionKeys(u"general")),
                  (std::vector<std::string>{"Name", "Path", "Quoted", "Single", "Empty", "NoEquals", "Hex",
                                            "Hex2", "Neg", "Bad", "Big", "Float", "Bool"}));
        EXPECT_EQ(U8(F->ReadSectionValues(u"Ports")), std::vector<std::string>{"COM1=x"});
        EXPECT_TRUE(F->SectionExists(u"PORTS"));
        EXPECT_FALSE(F->SectionExists(u"Missing"));
        EXPECT_TRUE(F->ValueExists(u"General", u"noequals"));
        EXPECT_FALSE(F->ValueExists(u"General", u"Commented"));
    }
    EXPECT_EQ(U8(GetPrivateProfileSection(u"Ports", Name)), std::vector<std::string>{"COM1=x"});
    EXPECT_EQ(U8(GetPrivateProfileSection(u"General", Name)).at(1), "name=duplicate");
    EXPECT_EQ(U8(GetPrivateProfileSectionNames(Name)), (std::vector<std::string>{"General", "Ports"}));
}

TEST_F(IniTest, ReadsNumbers) {
    String Name = File(Sample);
    TIniFile Ini(Name);
    const std::tuple<const char16_t*, int, int> Ints[] = {
        // key, TIniFile.ReadInteger with default 7, GetPrivateProfileInt with default 7
        {u"Hex", -16777211, 0},        {u"Hex2", 31, 31}, {u"Neg", -12, -12}, {u"Bad", 7, 12},
        {u"Big", 7, int(0x80000000u)}, {u"Name", 7, 0},   {u"Empty", 7, 7},   {u"Missing", 7, 7},
    };
    for (auto [Key, Read, Profile] : Ints) {
        EXPECT_EQ(Ini.ReadInteger(u"General", Key, 7), Read) << ::U8(Key);
        EXPECT_EQ(GetPrivateProfileInt(u"General", Key, 7, Name), Profile) << ::U8(Key);
    }
    EXPECT_TRUE(Ini.ReadBool(u"General", u"Bool", false));
    EXPECT_FALSE(Ini.ReadBool(u"General", u"Bad", false));
    EXPECT_TRUE(Ini.ReadBool(u"General", u"Missing", true));
    EXPECT_DOUBLE_EQ(Ini.ReadFloat(u"General", u"Float", 0), 1.5e-7);
    EXPECT_DOUBLE_EQ(Ini.ReadFloat(u"General", u"Name", 2.5), 2.5);
}

TEST_F(IniTest, WritesNumbersInTheirTextForms) {
    TIniFile Ini(T / "n.ini");
    const std::pair<double, const char*> Floats[] = {
        {0.1, "0.1"}, {1.0 / 3, "0.333333333333333"},     {1.5e-7, "1.5E-7"}, {1e20, "1E20"}, {-2.5, "-2.5"},
        {0.0, "0"},   {123456789012.5, "123456789012.5"},
    };
    for (auto [V, Text] : Floats) {
        Ini.WriteFloat(u"F", u"v", V);
        EXPECT_EQ(::U8(Ini.ReadString(u"F", u"v", u"")), Text);
        EXPECT_NEAR(Ini.ReadFloat(u"F", u"v", 99), V, std::abs(V) * 1e-14);
    }
    Ini.WriteFloat(u"F", u"v", 1.5);
    Ini.WriteInteger(u"F", u"i", -16777211);
    Ini.WriteBool(u"F", u"t", true);
    Ini.WriteBool(u"F", u"f", false);
    EXPECT_EQ(ReadBytes(T.Sys("n.ini")), "[F]\nv=1.5\ni=-16777211\nt=1\nf=0\n");
}

TEST_F(IniTest, WriteTouchesOnlyItsLineAndKeepsBomBreaksAndComments) {
    const std::string Original = "\xEF\xBB\xBF; settings\r\n[A]\r\nx=1\r\n; note\r\ny = 2\r\n\r\n[B]\r\nz=3";
    const std::string Wanted = "\xEF\xBB\xBF; settings\r\n[A]\r\nx=1\r\n; "
                               "note\r\ny=20\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n";
    auto Change = [](TCustomIniFile& F) {
        F.WriteString(u"a", u"Y", u"20");
        F.WriteString(u"A", u"new", u"n");
        F.WriteString(u"C", u"k", u"v");
        F.WriteString(u"b", u"Z", u"3"); // unchanged
    };
    {
        TIniFile Ini(File(Original, "ini.ini"));
        Change(Ini);
        EXPECT_EQ(ReadBytes(T.Sys("ini.ini")), Wanted);
    }
    {
        TMemIniFile Mem(File(Original, "mem.ini"));
        Change(Mem);
        EXPECT_EQ(ReadBytes(T.Sys("mem.ini")), Original); // nothing until UpdateFile
        Mem.UpdateFile();
        EXPECT_EQ(ReadBytes(T.Sys("mem.ini")), Wanted);
    }
    // An unchanged value does not rewrite the file at all.
    struct stat Before, After;
    stat(T.Sys("ini.ini").c_str(), &Before);
    EXPECT_TRUE(WritePrivateProfileString(u"A", u"x", u"1", T / "ini.ini"));
    stat(T.Sys("ini.ini").c_str(), &After);
    EXPECT_EQ(Before.st_ino, After.st_ino);
}

// A run of changes on one document: each one must find the lines the earlier ones left.
TEST_F(IniTest, ChangesFindTheLinesThatEarlierChangesLeft) {
    const std::string Original = "[A]\nk=1\n; tail\n\n[B]\n[A]\nq=9";
    const std::string Wanted = "[A]\nk=5\nnew2=2\nnew3=3\n; tail\n\n[B]\nb=b\n[A]\nq=9\n\n[Z]\nz=z\n";
    auto Change = [](TCustomIniFile& F) {
        F.WriteString(u"A", u"new1", u"1"); // after the last key, before the comment
        F.WriteString(u"A", u"new2", u"2"); // after that one
        F.WriteString(u"a", u"K", u"5");    // the first key, in its own spelling
        F.DeleteKey(u"A", u"NEW1");
        F.WriteString(u"A", u"new3", u"3");
        F.WriteString(u"B", u"b", u"b"); // a section without keys
        F.WriteString(u"Z", u"z", u"z"); // after the unterminated last line
        EXPECT_EQ(U8(F.ReadSectionKeys(u"A")), (std::vector<std::string>{"k", "new2", "new3"}));
        EXPECT_EQ(::U8(F.ReadString(u"A", u"new2", u"")), "2");
        EXPECT_EQ(::U8(F.ReadString(u"A", u"q", u"none")), "none"); // only the first [A] counts
        EXPECT_FALSE(F.ValueExists(u"A", u"new1"));
    };
    {
        TIniFile Ini(File(Original, "ini.ini"));
        Change(Ini);
        EXPECT_EQ(ReadBytes(T.Sys("ini.ini")), Wanted);
    }
    {
        TMemIniFile Mem(File(Original, "mem.ini"));
        Change(Mem);
        Mem.UpdateFile();
        EXPECT_EQ(ReadBytes(T.Sys("mem.ini")), Wanted);
    }
    // A header as the unterminated last line takes its first key below it.
    String Name = File("[S]", "header.ini");
    EXPECT_TRUE(WritePrivateProfileString(u"S", u"k", u"v", Name));
    EXPECT_EQ(ReadBytes(T.Sys("header.ini")), "[S]\nk=v\n");
}

TEST_F(IniTest, NewLinesTakeTheFilesLineBreak) {
    for (std::string Break : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(Break == "\r\n" ? "CR LF" : Break == "\n" ? "LF" : "CR");
        String Name = File("[S]" + Break + "a=1" + Break);
        EXPECT_EQ(::U8(GetPrivateProfileString(u"S", u"a", u"", Name)), "1");
        EXPECT_TRUE(WritePrivateProfileString(u"S", u"b", u"2", Name));
        EXPECT_TRUE(WritePrivateProfileString(u"T", u"c", u"3", Name));
        EXPECT_EQ(ReadBytes(T.Sys("test.ini")),
                  "[S]" + Break + "a=1" + Break + "b=2" + Break + Break + "[T]" + Break + "c=3" + Break);
    }
}

TEST_F(IniTest, DeletesKeysAndSections) {
    String Name = File("[A]\nk=1\nK=2\nm=3\n[B]\nx=1\n[a]\nk=4\n");
    TIniFile Ini(Name);
    Ini.DeleteKey(u"a", u"K"); // both lines of the first [A]
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "[A]\nm=3\n[B]\nx=1\n[a]\nk=4\n");
    EXPECT_FALSE(Ini.ValueExists(u"A", u"k"));
    Ini.EraseSection(u"A"); // every [A]
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "[B]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileString(u"B", u"x", std::nullopt, Name));
    EXPECT_FALSE(Ini.SectionExists(u"B")); // the header stays, but without keys
    EXPECT_TRUE(WritePrivateProfileString(u"B", std::nullopt, std::nullopt, Name));
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "");

    // Deleting from a missing file succeeds without creating it.
    EXPECT_TRUE(WritePrivateProfileString(u"S", std::nullopt, std::nullopt, T / "none.ini"));
    EXPECT_FALSE(FileExists(T / "none.ini"));
}

TEST_F(IniTest, WholeSections) {
    String Name = File("[A]\nold=1\n; gone\n\n[B]\nb=2\n");
    EXPECT_TRUE(WritePrivateProfileSection(u"a", {u"x = 1", u"y=2", u""}, Name));
    EXPECT_TRUE(WritePrivateProfileSection(u"C", {u"c=3"}, Name));
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "[A]\nx = 1\ny=2\n\n[B]\nb=2\n\n[C]\nc=3\n"); // lines as given
    EXPECT_EQ(U8(GetPrivateProfileSection(u"A", Name)), (std::vector<std::string>{"x=1", "y=2"}));
}

TEST_F(IniTest, MissingFileAndFailedWrites) {
    TIniFile Ini(T / "sub/new.ini");
    EXPECT_EQ(::U8(Ini.ReadString(u"S", u"k", u"d")), "d");
    EXPECT_TRUE(Ini.ReadSectionNames().empty());
    // The folder is not created: the write fails, with the class library's message.
    try {
        Ini.WriteString(u"S", u"k", u"v");
        FAIL() << "no exception";
    } catch (const EIniFileException& E) {
        EXPECT_EQ(::U8(E.Message()), "Unable to write to " + T.Sys("sub/new.ini"));
    }
    EXPECT_FALSE(WritePrivateProfileString(u"S", u"k", u"v", T / "sub/new.ini"));
    EXPECT_EQ(errno, ENOENT);
    TMemIniFile Mem(T / "sub/new.ini");
    Mem.WriteString(u"S", u"k", u"v");
    EXPECT_THROW(Mem.UpdateFile(), EIniFileException);

    ForceDirectories(T / "sub");
    Ini.WriteString(u"S", u"k", u"v");
    EXPECT_EQ(ReadBytes(T.Sys("sub/new.ini")), "[S]\nk=v\n"); // LF in a new file
    Mem.UpdateFile();
    EXPECT_EQ(ReadBytes(T.Sys("sub/new.ini")), "[S]\nk=v\n");

    // A folder where the file should be: reads give defaults, writes fail, nothing is lost.
    ForceDirectories(T / "dir.ini");
    WriteBytes(T.Sys("dir.ini/keep"), "x");
    TIniFile OnFolder(T / "dir.ini");
    EXPECT_EQ(::U8(OnFolder.ReadString(u"S", u"k", u"d")), "d");
    EXPECT_THROW(OnFolder.WriteString(u"S", u"k", u"v"), EIniFileException);
    EXPECT_THROW(TMemIniFile(T / "dir.ini"), EFOpenError);
    EXPECT_EQ(ListFolder(T.Sys("dir.ini")), std::vector<std::string>{"keep"});
}

TEST_F(IniTest, LineBreaksInValuesCannotForgeLines) {
    String Name = File("[S]\n");
    TIniFile Ini(Name);
    Ini.WriteString(u"S", u"k", u"first\r\n[Evil]\nk=1");
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "[S]\nk=first\n");
    EXPECT_FALSE(Ini.SectionExists(u"Evil"));
}

// A key written in memory is the key the caller named, whatever it holds, and the untouched
// lines around it (undecodable bytes too) keep their bytes.
TEST_F(IniTest, KeysWrittenInMemoryStayTheKeysNamed) {
    String Name = File("[S]\r\nodd=\xff\xfe\r\n; note\r\n");
    TMemIniFile Mem(Name);
    for (const char16_t* Key : {u"a=b", u"[x]", u";c"})
        Mem.WriteString(u"S", Key, u"v");
    for (const char16_t* Key : {u"a=b", u"[x]", u";c"})
        EXPECT_EQ(::U8(Mem.ReadString(u"S", Key, u"missing")), "v") << ::U8(Key);
    EXPECT_EQ(::U8(Mem.ReadString(u"S", u"a", u"missing")), "missing");
    Mem.UpdateFile();
    EXPECT_EQ(ReadBytes(T.Sys("test.ini")), "[S]\r\nodd=\xff\xfe\r\na=b=v\r\n[x]=v\r\n;c=v\r\n; note\r\n");
}

TEST_F(IniTest, CaseSensitiveMemoryFile) {
    TMemIniFile Mem(File("[S]\nKey=1\n"));
    EXPECT_FALSE(Mem.CaseSensitive());
    Mem.SetCaseSensitive(true);
    EXPECT_EQ(::U8(Mem.ReadString(u"S", u"key", u"d")), "d");
    EXPECT_EQ(::U8(Mem.ReadString(u"s", u"Key", u"d")), "d");
    EXPECT_EQ(::U8(Mem.ReadString(u"S", u"Key", u"d")), "1");
    Mem.SetCaseSensitive(false);
    EXPECT_EQ(::U8(Mem.ReadString(u"s", u"KEY", u"d")), "1");
}

// --- The parse cache and concurrent writers ---------------------------------------------------

TEST_F(IniTest, ChangesByAnotherProcessAreSeen) {
    String Name = File("[S]\nk=1\n");
    TIniFile Ini(Name);
    EXPECT_EQ(::U8(Ini.ReadString(u"S", u"k", u"")), "1");
    // Rewritten in place (another size) and replaced by rename (same size): both are seen.
    std::string Sh = "printf '[S]\\nk=22\\n' > '" + T.Sys("test.ini") + "'";
    ASSERT_EQ(std::system(Sh.c_str()), 0);
    EXPECT_EQ(::U8(Ini.ReadString(u"S", u"k", u"")), "22");
    Sh = "printf '[S]\\nk=33\\n' > '" + T.Sys("other") + "' && mv '" + T.Sys("other") + "' '" +
         T.Sys("test.ini") + "'";
    ASSERT_EQ(std::system(Sh.c_str()), 0);
    EXPECT_EQ(::U8(Ini.ReadString(u"S", u"k", u"")), "33");
    ASSERT_EQ(std::system(("rm '" + T.Sys("test.ini") + "'").c_str()), 0);
    EXPECT_EQ(::U8(Ini.ReadString(u"S", u"k", u"gone")), "gone");
}

TEST_F(IniTest, ConcurrentWritersLoseNothing) {
    String Name = T / "shared.ini";
    // Threads of this process ...
    std::vector<std::thread> Threads;
    for (int N = 0; N < 4; ++N)
        Threads.emplace_back([N, &Name] {
            TIniFile Ini(Name);
            for (int I = 0; I < 25; ++I) {
                String Key = u"t" + IntToStr(N) + u"_" + IntToStr(I);
                Ini.WriteInteger(u"Threads", Key, I);
                if (Ini.ReadInteger(u"Threads", Key, -1) != I) ADD_FAILURE() << "own write not seen";
            }
        });
    for (auto& Th : Threads)
        Th.join();
    // ... and other processes.
    std::vector<pid_t> Children;
    for (int N = 0; N < 3; ++N) {
        pid_t Pid = fork();
        if (Pid == 0) {
            TIniFile Ini(Name);
            for (int I = 0; I < 20; ++I)
                WritePrivateProfileString(u"Processes", u"p" + IntToStr(N) + u"_" + IntToStr(I), IntToStr(I),
                                          Name);
            _exit(0);
        }
        Children.push_back(Pid);
    }
    for (pid_t Pid : Children)
        waitpid(Pid, nullptr, 0);
    TIniFile Ini(Name);
    EXPECT_EQ(Ini.ReadSectionKeys(u"Threads").size(), 100u);
    EXPECT_EQ(Ini.ReadSectionKeys(u"Processes").size(), 60u);
    EXPECT_EQ(Ini.ReadInteger(u"Processes", u"p2_19", -1), 19);
    EXPECT_EQ(ListFolder(T.Path()), std::vector<std::string>{"shared.ini"});
}

} // namespace

TEST_F(IniTest, SectionListsFillStringLists) {
    TMemIniFile Ini(File(Sample));
    TStringList L;
    L.Add(u"stale");
    Ini.ReadSections(&L);
    EXPECT_EQ(L.CommaText(), u"General,Ports");
    Ini.ReadSection(u"ports", &L);
    EXPECT_EQ(L.CommaText(), u"COM1");
    Ini.ReadSectionValues(u"Ports", &L);
    EXPECT_EQ(L.Values(u"COM1"), u"x");
}
