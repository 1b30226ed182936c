// The INI backend and its file: value encodings, escaping and quoting, file names and
// locations, flushing and reloading, encodings, and what other INI readers make of our files.

#include "StoreSupport.h"
#include "support/QuestionTestSupport.h"

#include "settings/UtilSync.h"

#include "platform/base/Encoding.h"
#include "platform/base/Files.h"

#include <cstdio>
#include <set>
#include <unistd.h>

namespace {

using AppIniStorage = TStoreTest;

using TTriples = std::set<std::tuple<std::string, std::string, std::string>>;

// What Python's configparser reads from File: (section, key, value) as hexadecimal UTF-8.
TTriples ReadWithConfigParser(const TTempFolder& Temp, const String& File) {
    const std::string Script =
        "import configparser, sys\n"
        "p = configparser.RawConfigParser(strict=False, delimiters=('=',), interpolation=None)\n"
        "p.optionxform = str\n"
        "with open(sys.argv[1], encoding='utf-8-sig') as f:\n"
        "    p.read_file(f)\n"
        "for s in p.sections():\n"
        "    for k, v in p.items(s):\n"
        "        print(s.encode().hex(), k.encode().hex(), v.encode().hex())\n";
    WriteBytes(Temp.Sys("read.py"), Script);
    const std::string Command = "python3 '" + Temp.Sys("read.py") + "' '" + StringToUtf8(File) + "'";
    FILE* Pipe = ::popen(Command.c_str(), "r");
    if (!Pipe) throw std::runtime_error("cannot run python3");
    TTriples Result;
    char S[4096], K[4096], V[8192];
    while (std::fscanf(Pipe, "%4095s %4095s %8191s", S, K, V) == 3)
        Result.emplace(S, K, V);
    if (::pclose(Pipe) != 0) throw std::runtime_error("configparser refused the file");
    return Result;
}

std::string Hex(const std::string& S) {
    static const char Digits[] = "0123456789abcdef";
    std::string R;
    for (unsigned char C : S) {
        R += Digits[C >> 4];
        R += Digits[C & 15];
    }
    return R;
}

} // namespace

TEST_F(AppIniStorage, BlanksSurviveOnlyInQuotes) {
    TKitAppIniStorageOptions* O = Store->IniStorageOptions();
    O->SetPreserveLeadingTrailingBlanks(true);
    Store->WriteString(u"Q\\Spaced", u" x ");
    Store->WriteString(u"Q\\Quoted", u"\"q\"");
    Store->WriteString(u"Q\\Plain", u"a b");
    Store->WriteString(u"Q\\Empty", u"");
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Spaced=\" x \""));
    EXPECT_TRUE(HasLine(File, "Quoted=\"\"q\"\""));
    EXPECT_TRUE(HasLine(File, "Plain=a b"));
    EXPECT_TRUE(HasLine(File, "Empty="));
    TStorePtr Again = NewStore(File);
    Again->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
    EXPECT_EQ(U8(Again->ReadString(u"Q\\Spaced")), " x ");
    EXPECT_EQ(U8(Again->ReadString(u"Q\\Quoted")), "\"q\"");
    EXPECT_EQ(U8(Again->ReadString(u"Q\\Empty", u"dflt")), "");

    O->SetPreserveLeadingTrailingBlanks(false);
    Store->WriteString(u"Q\\Spaced", u" x ");
    EXPECT_EQ(U8(Store->ReadString(u"Q\\Spaced")), " x ");  // in memory
    EXPECT_EQ(U8(Reopen()->ReadString(u"Q\\Spaced")), "x"); // after the file
}

TEST_F(AppIniStorage, EscapedValuesReadBackAsWritten) {
    Store->IniStorageOptions()->SetReplaceCRLF(true);
    struct {
        const char16_t* Value;
        const char* Line;
        const char16_t* Read; // null: the value itself
    } const Cases[] = {
        {u"two\r\nlines", "V0=two\\nlines", nullptr},
        {u"C:\\new\\n", "V1=C:\\\\new\\\\n", nullptr}, // no line break, still escaped
        {u"end\\", "V2=end\\\\", nullptr},
        {u"a\r\n\r\nb", "V3=a\\n\\nb", nullptr},
        {u"lone\nfeed", "V4=lone\\nfeed", u"lone\r\nfeed"}, // line breaks read back as CR LF
        {u"lone\rreturn", "V5=lone\\nreturn", u"lone\r\nreturn"},
        {u"plain", "V6=plain", nullptr},
    };
    int I = 0;
    for (const auto& Case : Cases)
        Store->WriteString(u"E\\V" + IntToStr(I++), Case.Value);
    TStorePtr Again = Reopen();
    Again->IniStorageOptions()->SetReplaceCRLF(true);
    I = 0;
    for (const auto& Case : Cases) {
        EXPECT_TRUE(HasLine(File, Case.Line)) << Case.Line;
        EXPECT_EQ(U8(Again->ReadString(u"E\\V" + IntToStr(I++))), U8(Case.Read ? Case.Read : Case.Value))
            << Case.Line;
    }
    EXPECT_EQ(U8(EscapeLineBreaks(u"a\\b\r\nc")), "a\\\\b\\nc");
    EXPECT_EQ(U8(UnescapeLineBreaks(u"a\\\\b\\nc\\x\\")), "a\\b\r\nc\\x\\");
}

TEST_F(AppIniStorage, ALineBreakNeverReachesTheFileRaw) {
    Store->SetDefaultSection(u"General");
    Store->WriteString(u"Note", u"first\r\n[Evil]\r\nInjected=1\nmore");
    Store->Flush();
    EXPECT_EQ(FileLines(File), (std::vector<std::string>{"[General]", "Note=first", ""}));
    TStorePtr Again = NewStore(File);
    Again->SetDefaultSection(u"General");
    EXPECT_EQ(U8(Again->ReadString(u"Note")), "first");
    EXPECT_FALSE(Again->PathExists(u"Evil"));
}

TEST_F(AppIniStorage, FloatsAndBinaries) {
    Store->WriteFloat(u"N\\Float", 2.5);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Float=00000000000000A00040")); // 10 bytes, memory order
    Store->WriteString(u"N\\Short", u"000000000000000000");   // 18 digits: not 10 bytes
    EXPECT_EQ(Store->ReadFloat(u"N\\Short", 7), 7.0L);
    Store->WriteString(u"N\\Text", u"1.5"); // not hexadecimal: read as text
    EXPECT_EQ(Store->ReadFloat(u"N\\Text", 7), 1.5L);
    Store->WriteString(u"N\\Bad", u"1.5x");
    EXPECT_THROW(Store->ReadFloat(u"N\\Bad", 7), EConvertError);

    const Byte Bytes[] = {0x0A, 0xFF};
    Store->WriteBinary(u"N\\Bin", Bytes, 2);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Bin=0AFF"));
    Store->WriteString(u"N\\Odd", u"ABC");
    Byte Out[4] = {};
    EXPECT_EQ(Store->ReadBinary(u"N\\Odd", Out, 4), 2);
    EXPECT_EQ(Out[0], 0x0A);
    EXPECT_EQ(Out[1], 0xBC);
    EXPECT_EQ(Store->ReadBinary(u"N\\Odd", Out, 1), 1);
    Store->WriteString(u"N\\Empty", u"");
    EXPECT_EQ(Store->ReadInteger(u"N\\Empty", 9), 0); // an empty integer is 0
}

TEST_F(AppIniStorage, DeletingSubtreesAndValues) {
    for (const char16_t* P :
         {u"Main\\A", u"Main\\Sub\\B", u"Main\\Sub\\Deep\\C", u"MainWindow\\D", u"Other\\E"})
        Store->WriteInteger(P, 1);
    Store->DeleteSubTree(u"main");
    EXPECT_FALSE(Store->ValueStored(u"Main\\A"));
    EXPECT_FALSE(Store->ValueStored(u"Main\\Sub\\B"));
    EXPECT_FALSE(Store->ValueStored(u"Main\\Sub\\Deep\\C"));
    EXPECT_TRUE(Store->ValueStored(u"MainWindow\\D"));
    // DeleteValue takes a value, or else the folder of that name with what is below it.
    Store->WriteInteger(u"Other\\F", 2);
    Store->WriteInteger(u"Other\\G\\H", 3);
    Store->WriteInteger(u"Other\\G\\I\\J", 4);
    Store->DeleteValue(u"Other\\F");
    Store->DeleteValue(u"Other\\G");
    EXPECT_FALSE(Store->ValueStored(u"Other\\F"));
    EXPECT_TRUE(Store->ValueStored(u"Other\\E"));
    EXPECT_FALSE(Store->PathExists(u"Other\\G"));
    EXPECT_FALSE(Store->PathExists(u"Other\\G\\I"));
    Store->DeleteSubTree(u"");
    Store->Flush();
    EXPECT_EQ(FileLines(File), std::vector<std::string>());
}

TEST_F(AppIniStorage, KeysAreFoundAfterDeletesAndRewrites) {
    for (const char16_t* P : {u"S\\a", u"S\\b", u"S\\c"})
        Store->WriteString(P, u"1");
    Store->DeleteValue(u"S\\B");
    Store->WriteString(u"S\\d", u"4");
    Store->WriteString(u"S\\C", u"3"); // the line there, in its own spelling
    Store->WriteString(u"S\\b", u"2"); // new again, so at the end
    EXPECT_EQ(U8(Store->ReadString(u"s\\c")), "3");
    EXPECT_EQ(U8(Store->ReadString(u"S\\B")), "2");
    Store->Flush();
    EXPECT_EQ(FileLines(File), (std::vector<std::string>{"[S]", "a=1", "c=3", "d=4", "b=2", ""}));
}

TEST_F(AppIniStorage, TopLevelValuesNeedADefaultSection) {
    const std::string Undefined = "TKitAppIniFileStorage.ReadValue: Section undefined";
    EXPECT_EQ(U8(ThrownMessage<EKitAppStorageError>([&] { Store->ReadInteger(u"Top"); })), Undefined);
    EXPECT_EQ(U8(ThrownMessage<EKitAppStorageError>([&] { Store->WriteInteger(u"Top", 1); })), Undefined);
    Store->SetDefaultSection(u"Defaults");
    Store->WriteInteger(u"Top", 1);
    Store->WriteInteger(u"In\\Folder", 2);
    EXPECT_EQ(Store->ReadInteger(u"Top"), 1);
    TStringList Folders;
    Store->GetStoredValues(u"", &Folders, {aeoFolders, aeoReportRelative});
    EXPECT_EQ(Folders.Count(), 1); // the default section is not a folder of its own
    EXPECT_EQ(U8(Folders.Strings(0)), "In");
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "[Defaults]"));
}

TEST_F(AppIniStorage, TheFileIsWrittenInTheStoresOwnShape) {
    Store.reset();
    WriteBytes(StringToUtf8(File),
               "before any section=1\n; a comment\n  [ First ]  \n  Key  =  some value  \n"
               "NoEquals\n\n[Second]\nA=1\n[first]\nMore=2\nKey=second one loses\n");
    Store = NewStore(File);
    EXPECT_EQ(U8(Store->ReadString(u"First\\Key")), "some value");
    EXPECT_EQ(U8(Store->ReadString(u"first\\more")), "2");
    Store->WriteInteger(u"Second\\B", 2);
    Store->Flush();
    EXPECT_EQ(FileLines(File),
              (std::vector<std::string>{"[First]", "Key=some value", "NoEquals", "More=2",
                                        "Key=second one loses", "", "[Second]", "A=1", "B=2", ""}));
    EXPECT_EQ(U8(Store->AsText()),
              "[First]\r\nKey=some value\r\nNoEquals\r\nMore=2\r\nKey=second one loses\r\n\r\n"
              "[Second]\r\nA=1\r\nB=2\r\n\r\n");
    Store->SetAsText(u"[Only]\nX=1");
    EXPECT_EQ(Store->ReadInteger(u"Only\\X"), 1);
    EXPECT_FALSE(Store->PathExists(u"First"));
}

TEST_F(AppIniStorage, FileNamesGetTheirExtension) {
    Store->SetFileName(Temp / "app");
    EXPECT_EQ(U8(Store->FileName()), U8(Temp / "app.ini"));
    EXPECT_EQ(U8(Store->FullFileName()), U8(Temp / "app.ini"));
    Store->SetFileName(Temp / "dotted.");
    EXPECT_EQ(U8(Store->FileName()), U8(Temp / "dotted."));

    // Setting the name it has does nothing: no flush, no reload.
    Store->SetFileName(Temp / "app");
    Store->WriteInteger(u"K\\V", 1);
    WriteBytes(Temp.Sys("app.ini"), "[K]\r\nOther=2\r\n");
    Store->SetFileName(Temp / "app");
    Store->SetFileName(Temp / "app.ini");
    EXPECT_EQ(Store->ReadInteger(u"K\\V"), 1);
    EXPECT_FALSE(Store->ValueStored(u"K\\Other"));
}

TEST_F(AppIniStorage, LocationsPlaceTheFile) {
    const TTestProgramFolder Program(Temp.Path());
    Store->SetFlushOnDestroy(false);
    Store->SetLocation(flExeFile);
    Store->SetFileName(u"/some/other/folder/app.sto");
    EXPECT_EQ(U8(Store->FullFileName()), U8(Program / "app.sto"));
    Store->SetLocation(flTemp);
    EXPECT_EQ(U8(Store->FullFileName()), U8(GetTempDir() + u"app.sto"));
    Store->SetLocation(flUserFolder);
    EXPECT_EQ(U8(Store->FullFileName()), U8(GetAppDataDir() + u"/app.sto"));
    Store->SetFileName(u"Morvane-test-sub/app.sto");
    EXPECT_EQ(U8(Store->FullFileName()), U8(GetAppDataDir() + u"/Morvane-test-sub/app.sto"));
    Store->SetLocation(flWindows);
    EXPECT_EQ(U8(Store->FullFileName()), ""); // no Windows folder here
    Store->SetLocation(flCustom);
    Store->SetOnGetFileName([&](TKitCustomAppStorage*, String& Name) { Name = Temp / "chosen.ini"; });
    EXPECT_EQ(U8(Store->FullFileName()), U8(Temp / "chosen.ini"));
}

TEST_F(AppIniStorage, MacrosInFileNames) {
    TQuestionScript Script; // the test program has no version record: one note about APPL_NAME
    Script.Answer(mrOk);
    Store->SetFileName(Temp.Dir() + u"/%FILENAME%-%APPL_NAME%.cfg");
    const String Expected =
        Temp.Dir() + u"/" + ChangeFileExt(ExtractFileName(ProgramFile()), u"") + u"-MyKitApplication.cfg";
    EXPECT_EQ(U8(Store->FullFileName()), U8(Expected));
    Store->WriteInteger(u"M\\V", 1);
    Store.reset();
    EXPECT_TRUE(HasLine(Expected, "V=1"));
}

TEST_F(AppIniStorage, FlushedWhenTheFileNameChangesAndWhenDestroyed) {
    WriteBytes(Temp.Sys("second.ini"), "[Second]\r\nThere=1\r\n");
    Store->WriteInteger(u"First\\Here", 1);
    EXPECT_FALSE(FileExists(File));
    Store->SetFileName(Temp / "second.ini");
    EXPECT_TRUE(HasLine(File, "Here=1")); // the old file got the document
    EXPECT_FALSE(Store->ValueStored(u"First\\Here"));
    EXPECT_TRUE(Store->ValueStored(u"Second\\There"));
    Store->WriteInteger(u"Second\\Added", 2);
    Store.reset();
    EXPECT_TRUE(HasLine(Temp / "second.ini", "Added=2"));

    TStorePtr Quiet = NewStore(Temp / "third.ini");
    Quiet->SetFlushOnDestroy(false);
    Quiet->WriteInteger(u"T\\V", 1);
    Quiet.reset();
    EXPECT_FALSE(FileExists(Temp / "third.ini"));
}

TEST_F(AppIniStorage, FoldersAreMadeAndFailuresReported) {
    Store->SetFileName(Temp / "deep/er/settings.ini");
    Store->WriteInteger(u"D\\V", 1);
    Store->Flush();
    EXPECT_TRUE(HasLine(Temp / "deep/er/settings.ini", "V=1"));

    WriteBytes(Temp.Sys("plainfile"), "x");
    std::vector<std::string> Errors;
    TStorePtr Failing = NewStore(Temp / "plainfile/settings.ini");
    Failing->OnError = [&](TObject* Sender, const String& Message) {
        EXPECT_EQ(Sender, Failing.get());
        Errors.push_back(U8(Message));
    };
    Failing->WriteInteger(u"D\\V", 7);
    EXPECT_NO_THROW(Failing->Flush());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("plainfile"), std::string::npos) << Errors[0];
    EXPECT_EQ(Failing->ReadInteger(u"D\\V"), 7); // the document stays
}

TEST_F(AppIniStorage, EncodingsAreKept) {
    Store.reset();
    // A byte-order mark is kept; so are bytes that are no UTF-8 (read as Windows-1252).
    WriteBytes(Temp.Sys("bom.ini"), "\xEF\xBB\xBF[S]\r\nName=\xC3\xA4\r\n");
    WriteBytes(Temp.Sys("ansi.ini"), "[S]\r\nName=\xE4\r\n");
    for (const char* Name : {"bom.ini", "ansi.ini"}) {
        TStorePtr S = NewStore(Temp / Name);
        EXPECT_EQ(U8(S->ReadString(u"S\\Name")), "\u00E4") << Name;
        S->WriteString(u"S\\New", u"\u00F6");
    }
    EXPECT_EQ(ReadBytes(Temp.Sys("bom.ini")), "\xEF\xBB\xBF[S]\r\nName=\xC3\xA4\r\nNew=\xC3\xB6\r\n\r\n");
    EXPECT_EQ(ReadBytes(Temp.Sys("ansi.ini")), "[S]\r\nName=\xE4\r\nNew=\xF6\r\n\r\n");

    TStorePtr Wide = NewStore(Temp / "wide.ini");
    Wide->SetEncoding(TEncoding::Unicode());
    Wide->WriteString(u"W\\V", u"x");
    Wide.reset();
    EXPECT_EQ(ReadBytes(Temp.Sys("wide.ini")).substr(0, 6), std::string("\xFF\xFE[\0W\0", 6));
    TStorePtr Again = NewStore(Temp / "wide.ini");
    EXPECT_EQ(U8(Again->ReadString(u"W\\V")), "x");
    // A new file gets the system code page again.
    Again->SetFileName(Temp / "new.ini");
    Again->WriteString(u"N\\V", u"\u00E4");
    Again.reset();
    EXPECT_EQ(ReadBytes(Temp.Sys("new.ini")), "[N]\r\nV=\xC3\xA4\r\n\r\n");
}

TEST_F(AppIniStorage, ReloadOnLoadedAndAutoReload) {
    WriteBytes(StringToUtf8(File), "[A]\r\nV=1\r\n");
    auto Loading = std::make_unique<TKitAppIniFileStorage>(nullptr);
    Loading->SetComponentState({csLoading});
    Loading->SetLocation(flCustom);
    Loading->SetFileName(File);
    Loading->SetAutoReload(true);
    Loading->Loaded(); // reads the file now
    EXPECT_EQ(Loading->ReadInteger(u"A\\V"), 1);
    WriteBytes(StringToUtf8(File), "[A]\r\nV=2\r\n");
    EXPECT_EQ(Loading->ReadInteger(u"A\\V"), 2); // AutoReload: read again before each access
    Loading->SetAutoReload(false);
    WriteBytes(StringToUtf8(File), "[A]\r\nV=3\r\n");
    EXPECT_EQ(Loading->ReadInteger(u"A\\V"), 2);
    Loading->Reload();
    EXPECT_EQ(Loading->ReadInteger(u"A\\V"), 3);
    Loading->SetFlushOnDestroy(false);
}

TEST_F(AppIniStorage, NoFileWorkAtDesignTime) {
    Store->WriteInteger(u"D\\V", 1);
    Store->SetComponentState({csDesigning});
    Store->Flush();
    EXPECT_FALSE(FileExists(File));
    WriteBytes(StringToUtf8(File), "[D]\r\nV=2\r\n");
    Store->Reload();
    EXPECT_EQ(Store->ReadInteger(u"D\\V"), 1);
    Store->SetComponentState({});
    Store->Reload();
    EXPECT_EQ(Store->ReadInteger(u"D\\V"), 2);
}

TEST_F(AppIniStorage, SynchronisedReloadWaitsForTheOtherWriter) {
    Store->SetSynchronizeFlushReload(true);
    Store->WriteInteger(u"S\\Before", 1);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Before=1"));
    int Ready[2];
    ASSERT_EQ(::pipe(Ready), 0);
    const pid_t Child = ::fork();
    if (Child == 0) {
        TUtilMutex Mutex(TKitAppIniFileStorage::SynchronizeMutexName(File), true);
        (void)!::write(Ready[1], "x", 1);
        ::usleep(200 * 1000); // the reader must wait for this writer
        WriteBytes(StringToUtf8(File), "[S]\r\nWritten=1\r\n");
        Mutex.Release();
        ::_exit(0);
    }
    char C;
    ASSERT_EQ(::read(Ready[0], &C, 1), 1);
    Store->Reload();
    EXPECT_EQ(Store->ReadInteger(u"S\\Written"), 1);
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    ::close(Ready[0]);
    ::close(Ready[1]);
    EXPECT_EQ(U8(TKitAppIniFileStorage::SynchronizeMutexName(u"/a")),
              "TKitCustomAppStorage.Synchronize:L2E=");
}

TEST_F(AppIniStorage, ConfigParserReadsTheSameKeysAndValues) {
    const String ProgramPath = u"/home/me/build/bin"; // a native path as a section name
    Store->SetDefaultSection(u"General");
    Store->WriteString(u"Name", u"Morvane = IDE");
    Store->WriteString(u"Percent", u"100% sure; a:b # c");
    Store->WriteInteger(u"Forms\\Main\\Left", 100);
    Store->WriteBoolean(u"Forms\\Main\\Maximized", false);
    Store->WriteFloat(u"Forms\\Main\\Scale", 2.5);
    Store->WriteString(ProgramPath + u"\\edPathToArduino_Text", u"/usr/share/arduino");
    TStringList Boards;
    for (const char16_t* B : {u"uno", u"mega 2560", u"\u00FC-board"})
        Boards.Add(B);
    Store->WriteStringList(ProgramPath + u"\\lstSelectedBoards_Items", &Boards);
    Store->WriteString(u"Text\\Two lines", u"first\r\nsecond");
    Store.reset();

    const TTriples Expected = {
        {Hex("General"), Hex("Name"), Hex("Morvane = IDE")},
        {Hex("General"), Hex("Percent"), Hex("100% sure; a:b # c")},
        {Hex("Forms\\Main"), Hex("Left"), Hex("100")},
        {Hex("Forms\\Main"), Hex("Maximized"), Hex("FALSE")},
        {Hex("Forms\\Main"), Hex("Scale"), Hex("00000000000000A00040")},
        {Hex("/home/me/build/bin"), Hex("edPathToArduino_Text"), Hex("/usr/share/arduino")},
        {Hex("/home/me/build/bin\\lstSelectedBoards_Items"), Hex("Item0"), Hex("uno")},
        {Hex("/home/me/build/bin\\lstSelectedBoards_Items"), Hex("Item1"), Hex("mega 2560")},
        {Hex("/home/me/build/bin\\lstSelectedBoards_Items"), Hex("Item2"), Hex("\u00FC-board")},
        {Hex("/home/me/build/bin\\lstSelectedBoards_Items"), Hex("Count"), Hex("3")},
        {Hex("Text"), Hex("Two lines"), Hex("first")},
    };
    EXPECT_EQ(ReadWithConfigParser(Temp, File), Expected);

    // With escaped line breaks and quoted blanks.
    TStorePtr Escaped = NewStore(Temp / "escaped.ini");
    Escaped->IniStorageOptions()->SetReplaceCRLF(true);
    Escaped->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
    Escaped->WriteString(u"E\\Lines", u"first\r\n[second]\r\nthird=3");
    Escaped->WriteString(u"E\\Blanks", u"  padded  ");
    Escaped->WriteString(u"E\\Path", u"C:\\Temp");
    Escaped.reset();
    EXPECT_EQ(ReadWithConfigParser(Temp, Temp / "escaped.ini"),
              (TTriples{{Hex("E"), Hex("Lines"), Hex("first\\n[second]\\nthird=3")},
                        {Hex("E"), Hex("Blanks"), Hex("\"  padded  \"")},
                        {Hex("E"), Hex("Path"), Hex("C:\\\\Temp")}}));
}
