// The compilation progress log window following a file the test writes: growth, a file rewritten
// shorter, a second start, the stop button, the timer's own ticks, and a file that is gone.

#include "ide/CompilationProgressLog.h"
#include "ide/Main.h"

#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

struct CompilationProgressLogTest : ::testing::Test {
    TTempFolder Temp;
    std::unique_ptr<TfrmCompilationProgressLog> Form{new TfrmCompilationProgressLog(nullptr)};
    std::string Log = Temp.Sys("Normal.log");

    void Append(const std::string& Bytes) {
        std::ofstream Out(Log, std::ios::binary | std::ios::app);
        Out << Bytes;
    }
    // The memo's lines, each followed by "\n".
    std::string Shown() {
        std::string Out;
        for (int I = 0; I < Form->mmoLog->Lines()->Count(); ++I) Out += U8(Form->mmoLog->Lines()->Strings(I)) + "\n";
        return Out;
    }
};

} // namespace

TEST_F(CompilationProgressLogTest, FollowsTheFileAsItGrowsAndStartsOverWhenItShrinks) {
    Append("one\ntwo\n");
    Form->Scan(Utf8ToString(Log), true);
    EXPECT_TRUE(Form->Visible());
    EXPECT_TRUE(Form->tmr1->Enabled());
    EXPECT_EQ(Form->tmr1->Interval(), 1000u);
    EXPECT_EQ(Shown(), "");
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Shown(), "one\ntwo\n");
    Append("three\nfour\nfive\n");
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Shown(), "one\ntwo\nthree\nfour\nfive\n");
    EXPECT_TRUE(Form->tmr1->Enabled());
    // Rewritten shorter than what is shown: the memo starts over with the whole file.
    WriteBytes(Log, "new\n");
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Shown(), "new\n");

    // A second start on a file that has lines shows them all from the first.
    Append("more\n");
    Form->Scan(Utf8ToString(Log), true);
    EXPECT_EQ(Shown(), "");
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Shown(), "new\nmore\n");
}

TEST_F(CompilationProgressLogTest, TheTimerTicksUntilStopIsPressed) {
    Append("first\n");
    Form->Scan(Utf8ToString(Log), true);
    ASSERT_TRUE(WaitUntil([&] { return Shown() == "first\n"; }, 5000));
    Append("second\n");
    ASSERT_TRUE(WaitUntil([&] { return Shown() == "first\nsecond\n"; }, 5000));
    EXPECT_TRUE(Form->btnStop->Enabled());
    ClickMessages(Form->btnStop, {5, 5});
    EXPECT_FALSE(Form->Scanning());
    EXPECT_FALSE(Form->btnStop->Enabled());
    // The tick under way is the last one.
    Form->tmr1Timer(nullptr);
    EXPECT_FALSE(Form->tmr1->Enabled());
}

TEST_F(CompilationProgressLogTest, AFileThatIsGoneEndsTheFollowing) {
    Form->Scan(Utf8ToString(Temp.Sys("missing.log")), true);
    EXPECT_THROW(Form->tmr1Timer(nullptr), Exception);
    EXPECT_FALSE(Form->tmr1->Enabled());
    EXPECT_EQ(Shown(), "");
}

TEST_F(CompilationProgressLogTest, BytesThatAreNotUtf8AreShownReplaced) {
    Append("good\nbad \xFF\xFE here\n");
    Form->Scan(Utf8ToString(Log), true);
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Shown(), "good\nbad \xEF\xBF\xBD\xEF\xBF\xBD here\n");
    EXPECT_TRUE(Form->tmr1->Enabled());
}

TEST_F(CompilationProgressLogTest, AFloodOfLinesIsShownWithinBounds) {
    std::string Lines;
    for (int I = 1; I <= 30000; ++I) Lines += "line " + std::to_string(I) + "\n";
    Append(Lines);
    Form->Scan(Utf8ToString(Log), true);
    Form->tmr1Timer(nullptr);
    const int Kept = TfrmMain::BuilderLogKeptLines;
    TStrings* Memo = Form->mmoLog->Lines();
    ASSERT_EQ(Memo->Count(), 2 * Kept + 1);
    EXPECT_EQ(U8(Memo->Strings(0)), "line 1");
    EXPECT_EQ(U8(Memo->Strings(Kept)), "[... " + std::to_string(30000 - 2 * Kept) + " lines of the log left out ...]");
    EXPECT_EQ(U8(Memo->Strings(2 * Kept)), "line 30000");
    // The next tick adds only what came since.
    Append("line 30001\n");
    Form->tmr1Timer(nullptr);
    EXPECT_EQ(Memo->Count(), 2 * Kept + 2);
    EXPECT_EQ(U8(Memo->Strings(2 * Kept + 1)), "line 30001");
}
