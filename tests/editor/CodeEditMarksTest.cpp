// Marks and the ten bookmarks of the editor control.

#include "CodeEditSupport.h"

#include "platform/gui/ImgList.h"

#include <string>
#include <vector>

using CodeEditMarks = TCodeEditFixture;

TEST_F(CodeEditMarks, ABookmarkIsSetAndJumpedTo) {
    NumberedLines(20);
    Edit->SetBookMark(3, 5, 10);
    ASSERT_EQ(Edit->Marks()->Count(), 1);
    const TCodeEditMark* Mark = Edit->Marks()->First();
    EXPECT_EQ(Mark->Line(), 10);
    EXPECT_EQ(Mark->Char(), 5);
    EXPECT_EQ(Mark->ImageIndex(), 3);
    EXPECT_EQ(Mark->BookmarkNumber(), 3);
    EXPECT_TRUE(Mark->IsBookmark());
    EXPECT_TRUE(Mark->Visible());
    int X = 0;
    int Y = 0;
    ASSERT_TRUE(Edit->GetBookMark(3, X, Y));
    EXPECT_EQ(X, 5);
    EXPECT_EQ(Y, 10);
    Edit->SetBlockBegin({1, 1});
    Edit->SetBlockEnd({1, 4});
    Edit->GotoBookMark(3);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(5, 10));
    EXPECT_FALSE(Edit->SelAvail());
}

TEST_F(CodeEditMarks, JumpingScrollsTheLineToTheMiddle) {
    SizeTo(20, 10);
    NumberedLines(100);
    Edit->SetBookMark(0, 1, 60);
    Edit->GotoBookMark(0);
    EXPECT_EQ(Edit->TopLine(), 60 - 10 + 1 + 5);
}

TEST_F(CodeEditMarks, SettingABookmarkAgainReplacesIt) {
    NumberedLines(20);
    std::vector<std::string> Events;
    Edit->OnClearBookmark = [&](TObject*, TCodeEditMark*& M) {
        Events.push_back("clear " + std::to_string(M->Line()));
    };
    Edit->OnPlaceBookmark = [&](TObject*, TCodeEditMark*& M) {
        Events.push_back("place " + std::to_string(M->Line()));
    };
    Edit->SetBookMark(3, 1, 10);
    Edit->SetBookMark(3, 1, 12);
    EXPECT_EQ(Events, (std::vector<std::string>{"place 10", "place 12", "clear 10"}));
    ASSERT_EQ(Edit->Marks()->Count(), 1);
    EXPECT_EQ(Edit->Marks()->First()->Line(), 12);
}

TEST_F(CodeEditMarks, APlaceHandlerThatDropsTheMarkPreventsTheBookmark) {
    NumberedLines(20);
    Edit->SetBookMark(3, 1, 10);
    Edit->OnPlaceBookmark = [](TObject*, TCodeEditMark*& M) { M = nullptr; };
    Edit->SetBookMark(3, 1, 12);
    int X = 0;
    int Y = 0;
    ASSERT_TRUE(Edit->GetBookMark(3, X, Y));
    EXPECT_EQ(Y, 10);
    EXPECT_EQ(Edit->Marks()->Count(), 1);
}

TEST_F(CodeEditMarks, BadNumbersAndLinesAreIgnored) {
    NumberedLines(20);
    const struct { int Number, X, Y; } Cases[] = {{10, 1, 1}, {-1, 1, 1}, {0, 1, 0}, {0, 1, 21}};
    for (const auto& C : Cases)
        Edit->SetBookMark(C.Number, C.X, C.Y);
    EXPECT_EQ(Edit->Marks()->Count(), 0);
    Edit->ClearBookMark(10);
    Edit->GotoBookMark(-1);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
}

TEST_F(CodeEditMarks, AnEmptyTextTakesABookmarkOnLineOne) {
    Edit->SetBookMark(0, 1, 1);
    EXPECT_TRUE(Edit->IsBookmark(0));
    EXPECT_FALSE(Edit->IsBookmark(1));
}

TEST_F(CodeEditMarks, AllTenBookmarksAreSetAndCleared) {
    NumberedLines(20);
    for (int N = 0; N <= 9; ++N)
        Edit->SetBookMark(N, 1, N + 1);
    EXPECT_EQ(Edit->Marks()->Count(), 10);
    for (int N = 0; N <= 9; ++N) {
        int X = 0;
        int Y = 0;
        ASSERT_TRUE(Edit->GetBookMark(N, X, Y));
        EXPECT_EQ(Y, N + 1);
    }
    int Cleared = 0;
    Edit->OnClearBookmark = [&](TObject*, TCodeEditMark*&) { ++Cleared; };
    for (int N = 0; N <= 9; ++N)
        Edit->ClearBookMark(N);
    EXPECT_EQ(Cleared, 10);
    EXPECT_EQ(Edit->Marks()->Count(), 0);
    EXPECT_FALSE(Edit->IsBookmark(4));
}

TEST_F(CodeEditMarks, AJumpToALineBeyondTheTextDoesNothing) {
    NumberedLines(20);
    Edit->SetBookMark(2, 3, 15);
    Edit->SetText(u"one\r\ntwo");
    Edit->GotoBookMark(2);
    EXPECT_EQ(Edit->CaretY(), 1);
}

TEST_F(CodeEditMarks, TheMarkListGivesTheMarksOfALine) {
    NumberedLines(20);
    TCodeEditMarkList* List = Edit->Marks();
    std::vector<TCodeEditMark*> Added;
    for (int I = 0; I < 20; ++I) {
        auto* M = new TCodeEditMark(Edit);
        M->SetLine(5);
        M->SetImageIndex(I);
        List->Add(M);
        Added.push_back(M);
    }
    Edit->SetBookMark(1, 1, 5);
    TCodeEditMarks Found;
    List->GetMarksForLine(5, Found);
    for (size_t I = 0; I < Found.size(); ++I)
        EXPECT_EQ(Found[I], Added[I]);
    List->GetMarksForLine(6, Found);
    EXPECT_EQ(Found[0], nullptr);
    List->ClearLine(5);
    ASSERT_EQ(List->Count(), 1);
    EXPECT_TRUE(List->First()->IsBookmark());
}

TEST_F(CodeEditMarks, TheMarkListTellsOfEveryChangeAndOwnsItsMarks) {
    TCodeEditMarkList* List = Edit->Marks();
    int Changes = 0;
    List->OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, List);
        ++Changes;
    };
    auto* A = new TCodeEditMark(Edit);
    auto* B = new TCodeEditMark(Edit);
    List->Add(A);
    List->Add(B);
    EXPECT_EQ(A->Edit(), Edit);
    EXPECT_EQ(List->Extract(A), A);
    EXPECT_EQ(A->Edit(), nullptr) << "a mark out of the list has no control";
    delete A;
    List->Remove(B);
    EXPECT_EQ(Changes, 4);
    EXPECT_THROW(List->First(), EListError);
    EXPECT_THROW(List->Last(), EListError);
}

TEST_F(CodeEditMarks, AFreedBookmarkImageListIsLetGo) {
    auto Images = std::make_unique<TImageList>(nullptr);
    Edit->BookMarkOptions()->SetBookmarkImages(Images.get());
    Edit->SetBookMark(2, 1, 1);
    Images.reset();
    EXPECT_EQ(Edit->BookMarkOptions()->BookmarkImages(), nullptr);
    // The gutter paints the built-in images from now on.
    Edit->Repaint();
    EXPECT_TRUE(Edit->IsBookmark(2));
}
