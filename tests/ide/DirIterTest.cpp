#include "ide/DirIter.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "platform/gui/Forms.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct TEvent {
    std::string Kind;  // "dir" or "file"
    std::string Path, Name, RelPath;
    int Size = 0;
    int Level = 0;
    TDateTime Time = 0;
    bool operator==(const TEvent& O) const {
        return Kind == O.Kind && Path == O.Path && Name == O.Name && RelPath == O.RelPath && Level == O.Level;
    }
};

// Records every event; the plain events and the extended ones must agree.
class TRecorder {
public:
    explicit TRecorder(tDirIterator& It) {
        It.OnDirFound = [this](const String& Path, const String& RelPath) { Plain.push_back({"dir", U8(Path), "", U8(RelPath)}); };
        It.OnFileFound = [this](const String& Path, const String& Name, const String& RelPath, int Size) {
            Plain.push_back({"file", U8(Path), U8(Name), U8(RelPath), Size});
        };
        It.OnDirFoundExt = [this](const String& Path, const String& RelPath, int Level, bool& Stop) {
            Events.push_back({"dir", U8(Path), "", U8(RelPath), 0, Level});
            Stop = StopAt == U8(Path);
        };
        It.OnFileFoundExt = [this](const String& Path, const String& Name, const String& RelPath, int Size, int Level,
                                   TDateTime Time, bool& Stop) {
            Events.push_back({"file", U8(Path), U8(Name), U8(RelPath), Size, Level, Time});
            Stop = StopAt == U8(Path) + "/" + U8(Name);
        };
    }
    const TEvent* Find(const std::string& Kind, const std::string& Name) const {
        for (const auto& E : Events)
            if (E.Kind == Kind && (Kind == "file" ? E.Name : E.Path.substr(E.Path.rfind('/') + 1)) == Name)
                return &E;
        return nullptr;
    }
    size_t IndexOf(const TEvent* E) const { return static_cast<size_t>(E - Events.data()); }

    std::vector<TEvent> Events, Plain;
    std::string StopAt;
};

class DirIterTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(T.Sys("a.txt"), "12345");
        std::filesystem::create_directory(T.Sys("B"));
        WriteBytes(T.Sys("B/b.txt"), "xyz");
    }
    TTempFolder T;
    tDirIterator It{nullptr};
    TRecorder Rec{It};
};

} // namespace

TEST_F(DirIterTest, ReportsFilesAndFoldersWithRelativePathsAndLevels) {
    It.SetPath(T.Dir());
    It.Run();
    ASSERT_EQ(Rec.Events.size(), 3u);
    const TEvent* A = Rec.Find("file", "a.txt");
    const TEvent* B = Rec.Find("dir", "B");
    const TEvent* Bb = Rec.Find("file", "b.txt");
    ASSERT_TRUE(A && B && Bb);
    EXPECT_EQ(*A, (TEvent{"file", T.Path(), "a.txt", "", 5, 0}));
    EXPECT_EQ(*B, (TEvent{"dir", T.Sys("B"), "", "/B", 0, 0}));
    EXPECT_EQ(*Bb, (TEvent{"file", T.Sys("B"), "b.txt", "/B", 3, 1}));
    EXPECT_EQ(Bb->Size, 3);
    EXPECT_EQ(Rec.IndexOf(Bb), Rec.IndexOf(B) + 1);  // a folder's contents follow the folder itself
    TDateTime Age;
    ASSERT_TRUE(FileAge(T.File("B/b.txt"), Age));
    EXPECT_DOUBLE_EQ(Bb->Time, Age);

    EXPECT_EQ(It.FileCount(), 2u);
    EXPECT_EQ(It.DirectoryCnt(), 1u);
    EXPECT_EQ(It.FilesSize(), 8.0);
    // The plain events come in the same order as the extended ones.
    ASSERT_EQ(Rec.Plain.size(), 3u);
    for (size_t I = 0; I < 3; ++I)
        EXPECT_EQ(Rec.Plain[I].RelPath, Rec.Events[I].RelPath);
}

TEST_F(DirIterTest, TrailingDelimiterGivesTheSameRelativePaths) {
    It.SetPath(T.Dir());
    It.Run();
    auto Without = Rec.Events;
    Rec.Events.clear();
    It.SetPath(T.Dir() + u"/");
    It.Run();
    EXPECT_EQ(Rec.Events, Without);
    EXPECT_EQ(It.Path(), T.Dir());
}

TEST_F(DirIterTest, WithoutSubfoldersOnlyTheStartingFolderIsListed) {
    It.SetScanSubdirs(false);
    It.SetPath(T.Dir());
    It.Run();
    EXPECT_EQ(Rec.Events.size(), 2u);
    EXPECT_TRUE(Rec.Find("dir", "B"));
    EXPECT_FALSE(Rec.Find("file", "b.txt"));
    EXPECT_EQ(It.FileCount(), 1u);
    EXPECT_EQ(It.DirectoryCnt(), 1u);
}

TEST_F(DirIterTest, StopScanningEndsOnlyTheFolderWhereItWasSet) {
    // B holds several files; stopping at B's first entry ends B's listing, the walk goes on
    // with the starting folder's remaining entries.
    WriteBytes(T.Sys("B/c.txt"), "");
    WriteBytes(T.Sys("B/d.txt"), "");
    WriteBytes(T.Sys("z.txt"), "");
    It.SetPath(T.Dir());
    It.Run();  // to learn the listing order
    std::vector<std::string> InB;
    for (const auto& E : Rec.Events)
        if (E.Kind == "file" && E.Level == 1)
            InB.push_back(E.Name);
    ASSERT_EQ(InB.size(), 3u);

    Rec.Events.clear();
    Rec.StopAt = T.Sys("B/" + InB[0]);
    It.Run();
    EXPECT_TRUE(Rec.Find("file", InB[0]));
    EXPECT_FALSE(Rec.Find("file", InB[1]));
    EXPECT_FALSE(Rec.Find("file", InB[2]));
    EXPECT_TRUE(Rec.Find("file", "a.txt"));
    EXPECT_TRUE(Rec.Find("file", "z.txt"));

    // Stopping at a folder's own event skips descending into it.
    Rec.Events.clear();
    Rec.StopAt = T.Sys("B");
    It.Run();
    EXPECT_FALSE(Rec.Find("file", InB[0]));
}

TEST_F(DirIterTest, HiddenEntriesLinkLoopsAndLargeFiles) {
    WriteBytes(T.Sys(".hidden"), "");
    std::filesystem::create_directory_symlink(T.Path(), T.Sys("B/loop"));
    {
        // 4 GiB + 7 bytes, sparse: the events see the low 32 bits, the total all of it.
        std::ofstream Big(T.Sys("big.bin"), std::ios::binary);
    }
    std::filesystem::resize_file(T.Sys("big.bin"), (1ull << 32) + 7);
    It.SetPath(T.Dir());
    It.Run();
    EXPECT_TRUE(Rec.Find("file", ".hidden"));
    const TEvent* Loop = Rec.Find("dir", "loop");
    ASSERT_TRUE(Loop);
    EXPECT_EQ(Loop->RelPath, "/B/loop");
    EXPECT_EQ(Rec.Find("file", "big.bin")->Size, 7);
    EXPECT_EQ(It.FilesSize(), double((1ull << 32) + 7 + 5 + 3));
    EXPECT_EQ(It.FileCount(), 4u);  // the link back up was reported, not entered
}

TEST_F(DirIterTest, RelativePathsAreCutAt255Characters) {
    std::string Deep = T.Sys("B");
    for (int I = 0; I < 6; ++I) {
        Deep += "/" + std::string(50, char('c' + I));
        std::filesystem::create_directory(Deep);
    }
    WriteBytes(Deep + "/f.txt", "");
    It.SetPath(T.Dir());
    It.Run();
    const TEvent* F = Rec.Find("file", "f.txt");
    ASSERT_TRUE(F);
    EXPECT_EQ(F->RelPath.size(), 255u);
    EXPECT_EQ(F->RelPath, Deep.substr(T.Path().size(), 255));
}

TEST_F(DirIterTest, MissingFolderReportsNothing) {
    It.SetPath(T.Dir() + u"/none");
    It.Run();
    EXPECT_TRUE(Rec.Events.empty());
    EXPECT_EQ(It.FileCount(), 0u);
}

TEST(DirIterator, IsAComponentWithPublishedSettings) {
    TComponent Owner(nullptr);
    auto* It = new tDirIterator(&Owner);
    EXPECT_EQ(Owner.ComponentCount(), 1);
    EXPECT_TRUE(It->ScanSubdirs());
    SetStrProp(It, u"Path", u"/tmp");
    EXPECT_EQ(It->Path(), u"/tmp");
    EXPECT_EQ(GetEnumProp(It, u"ScanSubdirs"), u"True");
}

TEST_F(DirIterTest, TheHourglassShowsWhileTheWalkRuns) {
    TCursor During = crDefault;
    It.OnFileFound = [&](const String&, const String&, const String&, int) { During = Screen->Cursor(); };
    It.SetPath(T.Dir());
    It.Run();
    EXPECT_EQ(During, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // An event that raises ends the walk with the default cursor back.
    It.OnFileFound = [](const String&, const String&, const String&, int) { throw EAbort(u"stop"); };
    EXPECT_THROW(It.Run(), EAbort);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}
