// The desktop's single-file copy on real files: a new copy, the replace question answered either
// way, and failures that leave the destination as it was and no half-written file behind.

#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"
#include "platform/gui/ShellApi.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

std::vector<std::string> Names(const std::string& Folder) {
    std::vector<std::string> List;
    for (const auto& E : std::filesystem::directory_iterator(Folder)) List.push_back(E.path().filename());
    std::sort(List.begin(), List.end());
    return List;
}

} // namespace

TEST(ShellCopyTest, CopiesAskBeforeReplacingAndFailuresLeaveNothingHalfWritten) {
    TTempFolder Temp;
    TQuestionScript Script;
    const std::string Big(300000, 'x');
    WriteBytes(Temp.Sys("a.ino"), Big);
    chmod(Temp.Sys("a.ino").c_str(), 0640);
    std::filesystem::create_directories(Temp.Sys("to"));

    // A new file: copied whole with the source's permissions, nothing asked.
    EXPECT_TRUE(ShellCopyFile(Temp / "a.ino", Temp / "to/b.ino", 0));
    EXPECT_EQ(ReadBytes(Temp.Sys("to/b.ino")), Big);
    struct stat St {};
    stat(Temp.Sys("to/b.ino").c_str(), &St);
    EXPECT_EQ(St.st_mode & 0777, 0640u);
    EXPECT_TRUE(Script.Asked().empty());

    // An existing file: replaced only after a yes.
    WriteBytes(Temp.Sys("c.txt"), "new");
    WriteBytes(Temp.Sys("to/c.txt"), "old");
    Script.Answer(IDNO);
    EXPECT_FALSE(ShellCopyFile(Temp / "c.txt", Temp / "to/c.txt", 0));
    EXPECT_EQ(ReadBytes(Temp.Sys("to/c.txt")), "old");
    EXPECT_EQ(StringToUtf8(Script.Last().Caption), "Confirm File Replace");
    EXPECT_NE(StringToUtf8(Script.Last().Text).find("'c.txt'"), std::string::npos);
    Script.Answer(IDYES);
    EXPECT_TRUE(ShellCopyFile(Temp / "c.txt", Temp / "to/c.txt", 0));
    EXPECT_EQ(ReadBytes(Temp.Sys("to/c.txt")), "new");

    // Failures are told, and leave the destination and the folder as they were.
    struct Case {
        std::string Source, Dest, Reason;
    } const Cases[] = {
        {"missing.ino", "to/x.ino", "Cannot copy missing.ino: No such file or directory"},
        {"a.ino", "nofolder/x.ino", "Cannot copy a.ino: No such file or directory"},
        {"to/c.txt", "to/c.txt", "Cannot copy c.txt: The source and destination file names are the same."},
        {"to", "to2", "Cannot copy to: It is a folder."},
    };
    for (const Case& C : Cases) {
        const size_t Before = Script.Asked().size();
        Script.Answer(IDOK);
        EXPECT_FALSE(ShellCopyFile(Temp / C.Source, Temp / C.Dest, 0)) << C.Source;
        ASSERT_EQ(Script.Asked().size(), Before + 1) << C.Source;
        EXPECT_EQ(StringToUtf8(Script.Last().Text), C.Reason);
        EXPECT_EQ(StringToUtf8(Script.Last().Caption), "Error Copying File");
    }
    EXPECT_EQ(ReadBytes(Temp.Sys("to/c.txt")), "new");
    EXPECT_EQ(Names(Temp.Sys("to")), (std::vector<std::string>{"b.ino", "c.txt"}));
}
