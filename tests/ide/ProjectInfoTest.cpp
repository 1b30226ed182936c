// The sketch's project configuration as the builds read it: keys, prefixes, comments, DEFAULT,
// damaged values, and the default file made beside the program when none is there.

#include "EditorFixture.h"

namespace {

struct ProjectInfoTest : TEditorFixture {
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
    tProjectInfoRec Read(const String& File) {
        tProjectInfoRec Info;
        Main->ReadProjectInfo(File, Info);
        return Info;
    }
};

} // namespace

TEST_F(ProjectInfoTest, ParseConfigLineMatchesTheKeyAtTheStart) {
    struct Case {
        const char16_t* Line;
        const char16_t* Key;
        bool Result;
        const char16_t* Value;
    } const Cases[] = {
        {u"ArduinoType = uno", u"ArduinoType", true, u"uno"},
        {u"arduinotype = uno\t", u"ArduinoType", true, u"uno"},
        {u"ArduinoTypeX=mega", u"ArduinoType", true, u"mega"},
        {u"CPU=", u"CPU", true, u""},
        {u"CPU atmega328", u"CPU", false, u""},
        {u" CPU=atmega328", u"CPU", false, u""},
        {u"ComPort=5=6", u"ComPort", true, u"5=6"},
    };
    for (const Case& C : Cases) {
        String Value = u"old";
        EXPECT_EQ(TfrmMain::ParseConfigLine(C.Line, C.Key, Value), C.Result) << U8(C.Line);
        EXPECT_EQ(U8(Value), U8(C.Value)) << U8(C.Line);
    }
}

TEST_F(ProjectInfoTest, TheSketchFileComesFirstAndDefaultTakesTheBoardFromBeside) {
    WriteBeside(".prj", "ArduinoType = mega\r\nCPU = atmega2560\r\nComPort=10\r\nBaudRate=57600\r\n");
    const String File = Sketch("Own/Own.ino", "");
    Sketch("Own/Morvane.prj", "; ArduinoType=leonardo\r\n\r\nArduinoType=default\r\nComPort=5\r\nBaudRate=fast\r\n"
                              "Other=1\r\nComPort=6\r\n");
    tProjectInfoRec Info = Read(File);
    EXPECT_EQ(U8(Info.ArduinoInternalName), "mega");
    EXPECT_EQ(U8(Info.CPU), "atmega2560");
    EXPECT_EQ(Info.ComNr, 6);
    EXPECT_EQ(Info.BaudRate, 9600);

    // A sketch without a file of its own takes the default one; a key it lacks stays as passed.
    const String Bare = Sketch("Bare/Bare.ino", "");
    WriteBeside(".prj", "ArduinoType=nano\r\nComPort=x\r\n");
    Info = Read(Bare);
    EXPECT_EQ(U8(Info.ArduinoInternalName), "nano");
    EXPECT_EQ(U8(Info.CPU), "");
    EXPECT_EQ(Info.ComNr, 1);
    EXPECT_EQ(Info.BaudRate, 0);
}

TEST_F(ProjectInfoTest, AMissingDefaultIsMadeAfterTheWarning) {
    const String File = Sketch("Bare/Bare.ino", "");
    TQuestionScript Script;
    Script.Answer(IDOK);
    const tProjectInfoRec Info = Read(File);
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Caption), "MORVANE - Project configuration not found");
    EXPECT_NE(U8(Script.Last().Text).find(Beside(".prj")), std::string::npos);
    EXPECT_EQ(U8(Info.ArduinoInternalName), "uno");
    EXPECT_EQ(U8(Info.CPU), "atmega328");
    EXPECT_EQ(Info.ComNr, 10);
    EXPECT_EQ(Info.BaudRate, 57600);
    EXPECT_EQ(ReadBytes(Beside(".prj")), "; Default configuration\r\nArduinoType = uno\r\nCPU = atmega328\r\n"
                                         "ComPort=10\r\nBaudRate=57600\r\nCreated=1.1.2016\r\nLastEdited=1.1.2016\r\n");
    // Once it is there nobody is asked again.
    Read(File);
    EXPECT_EQ(Script.Asked().size(), 1u);
}

// Files written by other editors or cut short: their keys still count, whatever the line ends,
// a byte-order mark, stray control characters or a byte that is not UTF-8 in a comment.
TEST_F(ProjectInfoTest, DamagedFilesStillGiveTheirKeys) {
    WriteBeside(".prj", "ArduinoType=mega\r\nCPU=atmega2560\r\nComPort=10\r\nBaudRate=57600\r\n");
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Board;
        const char* Cpu;
        int ComNr;
    } const Cases[] = {
        {"Morvane.prj", "\xEF\xBB\xBF" "ArduinoType=nano\r\nComPort=4\r\n", "nano", "", 4},
        {"Morvane.prj", "ArduinoType=nano\nCPU=atmega168\nComPort=4\n", "nano", "atmega168", 4},
        {"Morvane.prj", "ArduinoType=nano\rComPort=4\r", "nano", "", 4},
        {"Morvane.prj", std::string("ArduinoType=nano") + '\0' + "\r\nComPort=\t4\x01\r\n", "nano", "", 4},
        {"Morvane.prj", ";Proj\xe9t\r\nArduinoType=nano\r\nComPort=4", "nano", "", 4},
        {"Morvane.prj", "", "", "", 0},
        {"MORVANE.prj", "ArduinoType=nano\r\n", "nano", "", 0},
        {"Morvane.prj/x", "", "mega", "atmega2560", 10},
    };
    int N = 0;
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name + std::string(" ") + std::to_string(N));
        const std::string Folder = "S" + std::to_string(N++);
        const String File = Sketch(Folder + "/" + Folder + ".ino", "");
        Sketch(Folder + "/" + C.Name, C.Bytes);
        const tProjectInfoRec Info = Read(File);
        EXPECT_EQ(U8(Info.ArduinoInternalName), C.Board);
        EXPECT_EQ(U8(Info.CPU), C.Cpu);
        EXPECT_EQ(Info.ComNr, C.ComNr);
    }
}

// The default file cannot be made: the reason reaches the caller, and nothing is half written.
TEST_F(ProjectInfoTest, ADefaultFileThatCannotBeMadeIsAnError) {
    const String File = Sketch("Bare/Bare.ino", "");
    std::filesystem::create_directory(Beside(".prj"));
    TQuestionScript Script;
    Script.Answer(IDOK);
    EXPECT_THROW(Read(File), Exception);
    EXPECT_EQ(Script.Asked().size(), 1u);
}
