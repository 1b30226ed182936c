// The bookmark list dialog: its entries, the preview and the jump back in the editor.

#include "EditorFixture.h"

#include "ide/BookmarkList.h"

struct BookmarkListTest : TEditorFixture {};

TEST_F(BookmarkListTest, ListsTheBookmarksAndJumpsToTheChosenOne) {
    Start();
    std::string Text;
    for (int I = 1; I <= 130; ++I)
        Text += I == 120 ? "  digitalWrite(13, HIGH);\n" : "line" + std::to_string(I) + "\n";
    TfrmEditor* Editor = Open(Sketch("bm.ino", Text));
    Editor->codeedt->SetBookMark(1, 1, 7);
    Editor->codeedt->SetBookMark(4, 1, 120);

    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* D = dynamic_cast<TfrmBookmarkList*>(Q.Form);
        ASSERT_NE(D, nullptr);
        ASSERT_EQ(D->lstBookmarks->Items()->Count(), 2);
        EXPECT_EQ(U8(D->lstBookmarks->Items()->Strings(0)), "1-> [   7] line7");
        EXPECT_EQ(U8(D->lstBookmarks->Items()->Strings(1)), "4-> [ 120]   digitalWrite(13, HIGH);");
        EXPECT_EQ(D->SelectedBmLineNr(), 7);
        EXPECT_TRUE(D->codeedtBM->Visible());
        EXPECT_EQ(D->codeedtBM->CaretY(), 7);
        EXPECT_TRUE(D->codeedtBM->IsBookmark(4));
        // A double click on the second entry.
        D->lstBookmarks->SetItemIndex(1);
        D->lstBookmarks->OnDblClick(D->lstBookmarks);
        A.Result = D->ModalResult();
    });
    Editor->ShowBookmarkList();
    EXPECT_EQ(Editor->codeedt->CaretY(), 120);
}

TEST_F(BookmarkListTest, WithoutBookmarksTheListIsEmptyAndEscapeChangesNothing) {
    Start();
    TfrmEditor* Editor = Open(Sketch("none.ino", "a\nb\n"));
    Editor->codeedt->SetCaretXY({1, 2});
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* D = dynamic_cast<TfrmBookmarkList*>(Q.Form);
        ASSERT_NE(D, nullptr);
        EXPECT_EQ(D->lstBookmarks->Items()->Count(), 0);
        EXPECT_FALSE(D->codeedtBM->Enabled());
        EXPECT_FALSE(D->codeedtBM->Visible());
        EXPECT_EQ(D->SelectedBmLineNr(), -1);
        A.Result = mrCancel;
    });
    Editor->ShowBookmarkList();
    EXPECT_EQ(Editor->codeedt->CaretY(), 2);
}

TEST(BookmarkList, EntriesWithoutNumbersOrLines) {
    TfrmBookmarkList D(nullptr);
    TCodeEdit Source(nullptr);
    Source.SetText(u"a\nb\n");
    TStringList Entries;
    Entries.Add(u"no slash");
    Entries.Add(u"x/[y]:text");
    D.UpdateData(&Entries, &Source);
    ASSERT_EQ(D.lstBookmarks->Items()->Count(), 2);
    EXPECT_EQ(U8(D.lstBookmarks->Items()->Strings(0)), "no slash");
    EXPECT_EQ(U8(D.lstBookmarks->Items()->Strings(1)), "0-> [   0] text");
    EXPECT_EQ(D.SelectedBmLineNr(), 0);
}
