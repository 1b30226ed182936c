// Word wrap: lines of the display form split into rows no wider than the window, breaking before
// a word-break character that is near enough, with row tables kept up to date line by line.

#include "CodeEditSupport.h"

#include "editor/CodeEditWordWrap.h"
#include "platform/base/Exceptions.h"

#include <vector>

class CodeEditWordWrap : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        SizeTo(10, 5);
    }
    static std::vector<int> Rows(const TCodeWordWrapPlugin& P) {
        std::vector<int> R;
        for (int I = 1; I <= P.RowCount(); ++I)
            R.push_back(P.GetRowLength(I));
        return R;
    }
};

TEST_F(CodeEditWordWrap, LinesSplitIntoRowsBeforeWordBreaks) {
    struct TCase {
        const char16_t* Line;
        std::vector<int> Rows;
    };
    const TCase Cases[] = {
        {u"aaaa bbbb cccc", {9, 5}},               // the blank begins the next row
        {u"aaaaaaaaaaaaaaaaaaaaaaaaa", {10, 10, 5}}, // no break: full rows
        {u"", {0}},                                 // an empty line has one empty row
        {u"aaaaaaa bbb", {10, 1}},                  // a break too near the row's start is not taken
        {u"\tab", {10}},                            // the display form: the tab is 8 columns
        {u"exactly10!", {10}},
    };
    for (const TCase& C : Cases) {
        Edit->SetText(C.Line);
        if (Edit->Lines()->Count() == 0) Edit->Lines()->Add(u"");
        TCodeWordWrapPlugin P(Edit);
        EXPECT_EQ(P.MaxRowLength(), 10);
        EXPECT_EQ(P.MinRowLength(), 7);
        EXPECT_EQ(Rows(P), C.Rows) << U8(String(C.Line));
    }
    Edit->Lines()->Clear();
    TCodeWordWrapPlugin Empty(Edit);
    EXPECT_EQ(Empty.RowCount(), 0);
    EXPECT_EQ(Empty.LineCount(), 0);
    EXPECT_THROW(TCodeWordWrapPlugin(nullptr), Exception);
}

TEST_F(CodeEditWordWrap, PositionsMapBetweenLinesAndRows) {
    Edit->SetText(u"aaaa bbbb cccc\r\nshort\r\naaaaaaaaaaaaaaaaaaaaaaaaa");
    TCodeWordWrapPlugin P(Edit);
    ASSERT_EQ(Rows(P), (std::vector<int>{9, 5, 5, 10, 10, 5}));
    struct TCase {
        TDisplayCoord Buffer;  // column of the display form, line
        TDisplayCoord Display; // column, row
    };
    const TCase Cases[] = {
        {{1, 1}, {1, 1}},   {{9, 1}, {9, 1}},  {{10, 1}, {1, 2}}, {{14, 1}, {5, 2}},
        {{20, 1}, {11, 2}}, {{3, 2}, {3, 3}},  {{11, 3}, {1, 5}}, {{26, 3}, {6, 6}},
        {{4, 5}, {4, 8}}, // beyond the text: rows go on one per line
    };
    for (const TCase& C : Cases) {
        EXPECT_EQ(P.BufferToDisplayPos(C.Buffer), C.Display) << C.Buffer.Column << "," << C.Buffer.Row;
    }
    // Back: a column beyond a row ends at the row's end, on a line's last row at the window's width.
    EXPECT_EQ(P.DisplayToBufferPos({5, 2}), (TDisplayCoord{14, 1}));
    EXPECT_EQ(P.DisplayToBufferPos({50, 1}), (TDisplayCoord{10, 1}));
    EXPECT_EQ(P.DisplayToBufferPos({50, 6}), (TDisplayCoord{11 + 20, 3}));
    EXPECT_EQ(P.DisplayToBufferPos({2, 3}), (TDisplayCoord{2, 2}));
    EXPECT_EQ(P.DisplayToBufferPos({7, 9}), (TDisplayCoord{7, 6}));
    EXPECT_THROW(P.GetRowLength(P.RowCount() + 1), EListError);
    EXPECT_THROW(P.GetRowLength(0), EListError);
}

TEST_F(CodeEditWordWrap, ChangedLinesAreWrappedAgainAlone) {
    Edit->SetText(u"one\r\ntwo\r\nthree");
    TCodeWordWrapPlugin P(Edit);
    // A line of one row grows to three: the following rows move down by two.
    Edit->Lines()->SetString(0, u"aaaaaaaaaaaaaaaaaaaaaaaaa");
    EXPECT_EQ(P.LinesPutted(0, 1), 2);
    EXPECT_EQ(Rows(P), (std::vector<int>{10, 10, 5, 3, 5}));
    EXPECT_EQ(P.BufferToDisplayPos({1, 3}), (TDisplayCoord{1, 5}));
    // Inserted lines come in at their place, deleted ones go with all their rows.
    Edit->Lines()->Insert(1, u"aaaa bbbb cccc");
    EXPECT_EQ(P.LinesInserted(1, 1), 2);
    EXPECT_EQ(Rows(P), (std::vector<int>{10, 10, 5, 9, 5, 3, 5}));
    Edit->Lines()->Delete(0);
    EXPECT_EQ(P.LinesDeleted(0, 1), 3);
    EXPECT_EQ(Rows(P), (std::vector<int>{9, 5, 3, 5}));
    EXPECT_EQ(P.LineCount(), 3);
    // Shrinking a line back to one row.
    Edit->Lines()->SetString(0, u"x");
    EXPECT_EQ(P.LinesPutted(0, 1), -1);
    EXPECT_EQ(Rows(P), (std::vector<int>{1, 3, 5}));
    // A narrower window wraps afresh; the same width does nothing.
    SizeTo(4, 5);
    P.DisplayChanged();
    EXPECT_EQ(P.MaxRowLength(), 4);
    EXPECT_EQ(Rows(P), (std::vector<int>{1, 3, 4, 1}));
}
