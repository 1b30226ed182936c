// The Recent tab: five entries, most recent first, kept in the ".mru" file across a restart.

#include "EditorFixture.h"

#include "platform/base/DateTime.h"

namespace {

struct RecentFilesTest : TEditorFixture {
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> Out;
        for (int I = 0; I < Main->lstRecentFiles->Items()->Count(); ++I)
            Out.push_back(U8(ExtractFileName(Main->lstRecentFiles->Items()->Strings(I))));
        return Out;
    }
    tTreeClass* Record(int I) { return dynamic_cast<tTreeClass*>(Main->lstRecentFiles->Items()->Objects(I)); }
};

} // namespace

TEST_F(RecentFilesTest, FiveEntriesMostRecentFirst) {
    for (const char* Name : {"1.ino", "2.ino", "3.ino", "4.ino", "5.ino", "6.ino"})
        Open(Sketch(Name, "x\n"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"6.ino", "5.ino", "4.ino", "3.ino", "2.ino"}));
    EXPECT_EQ(U8(Record(0)->Caption()), "6.ino");
    EXPECT_EQ(Record(0)->NodeType(), ntFileSrc);
    EXPECT_EQ(Record(0)->TabKind(), tkSketches);

    // Reopening the third entry (after its tab was closed) moves it up and renews its time.
    Main->pgEdit->SetActivePageIndex(4);
    ASSERT_EQ(Main->ActiveFileName(), Temp / "4.ino");
    Main->CloseActiveTab();
    const TDateTime Before = Record(2)->LastModified();
    Main->OpenRecentEntry(2);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"4.ino", "6.ino", "5.ino", "3.ino", "2.ino"}));
    EXPECT_GE(Record(0)->LastModified(), Before);
    EXPECT_EQ(U8(Record(0)->Caption()), "4.ino");
    EXPECT_EQ(Main->ActiveFileName(), Temp / "4.ino");

    // The same path in other letters counts as the same entry.
    Main->AddRecentFile(AnsiUpperCase(Temp / "2.ino"), ntFileSrc, tkSketches, false);
    EXPECT_EQ(Main->lstRecentFiles->Items()->Count(), 5);
    EXPECT_EQ(Entries()[1], "4.ino");
}

TEST_F(RecentFilesTest, TheListSurvivesARestartToTheSecond) {
    for (const char* Name : {"a.ino", "b.h", "c.txt"})
        Open(Sketch(Name, "x\n"));
    Main->AddRecentFile(Temp / "d.ino", ntFileSrcWithoutLoop, tkExamplesRO, true);
    std::vector<std::string> Times;
    for (int I = 0; I < 4; ++I)
        Times.push_back(U8(DateTimeToStr(Record(I)->LastModified())));
    const std::vector<std::string> Before = Entries();
    Stop();
    const std::string Mru = ReadBytes(Beside(".mru"));
    EXPECT_NE(Mru.find("[" + U8(Temp / "d.ino") + "]"), std::string::npos) << Mru;
    EXPECT_NE(Mru.find("IsSimpleCoding=1"), std::string::npos) << Mru;

    Start();
    EXPECT_EQ(Entries(), Before);
    for (int I = 0; I < 4; ++I) {
        ASSERT_NE(Record(I), nullptr);
        EXPECT_EQ(U8(DateTimeToStr(Record(I)->LastModified())), Times[size_t(I)]);
    }
    EXPECT_EQ(Record(0)->NodeType(), ntFileSrcWithoutLoop);
    EXPECT_EQ(Record(0)->TabKind(), tkExamplesRO);
    EXPECT_TRUE(Record(0)->SimpleCoding());
    EXPECT_EQ(U8(Record(0)->Caption()), "d.ino");

    // The info panel of a clicked entry.
    Main->lstRecentFiles->SetItemIndex(1);
    Main->lstRecentFilesClick();
    EXPECT_EQ(Main->edtRecentInfo->Text(), Temp.Dir());
    EXPECT_EQ(U8(Main->lblMruCaption->Caption()), "c.txt");
    EXPECT_EQ(U8(Main->lblModified->Caption()), "Last open: " + Times[1]);
}

TEST_F(RecentFilesTest, AnEntryWithABadTimeIsSkippedNamedAndTheRestKept) {
    Stop();
    WriteBeside(".mru", "[/x/a.ino]\nFileName=a.ino\nLastModified=1.2.2020 10:11:12\n"
                        "[/x/b.ino]\nFileName=b.ino\nLastModified=not a time\n"
                        "[/x/c.ino]\nFileName=c.ino\nNodeType=3\n[/x/d.ino]\nFileName=d.ino\n");
    TQuestionScript Script;
    Script.Answer(IDOK);
    Start();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"a.ino", "c.ino", "d.ino"}));
    for (int I = 0; I < 3; ++I)
        ASSERT_NE(Record(I), nullptr) << I;
    EXPECT_EQ(Record(1)->NodeType(), tNodeType(3));
    ASSERT_EQ(Script.Asked().size(), 1u);
    const std::string Said = U8(Script.Last().Text);
    EXPECT_NE(Said.find(Beside(".mru")), std::string::npos) << Said;
    EXPECT_NE(Said.find("[/x/b.ino] LastModified=not a time"), std::string::npos) << Said;
    EXPECT_EQ(U8(Record(2)->FullPath()), "/x/d.ino"); // the entries after the bad one are whole

    // At exit the good entries are written back.
    Stop();
    const std::string Mru = ReadBytes(Beside(".mru"));
    for (const char* Section : {"[/x/a.ino]", "[/x/c.ino]", "[/x/d.ino]"})
        EXPECT_NE(Mru.find(Section), std::string::npos) << Mru;
    EXPECT_EQ(Mru.find("not a time"), std::string::npos) << Mru;
}
