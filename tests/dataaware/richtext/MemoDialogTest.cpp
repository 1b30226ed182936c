// The memo dialog: a memo field of an in-memory and of an SQLite dataset edited in the window,
// the confirmation asked when edited text is cancelled, read-only runs, and the component's Lines.
#include "support/GraphicsTestSupport.h"
#include "support/QuestionTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "dataaware/richtext/daRichText.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/SQLiteDataSet.h"

#include <gtest/gtest.h>

namespace {

struct TDataSetKind {
    std::string Name;
    std::function<TDataSet*(TComponent* Owner, const TTempFolder& Folder)> Make;
};

TDataSet* MakeMem(TComponent* Owner, const TTempFolder&) {
    auto* DS = new TMemDataSet(Owner);
    DS->FieldDefs().Add(u"ID", ftInteger);
    DS->FieldDefs().Add(u"NOTES", ftMemo);
    DS->Open();
    DS->Append();
    DS->FieldByName(u"ID")->SetAsInteger(1);
    DS->FieldByName(u"NOTES")->SetAsString(u"Blink the LED\r\nevery second");
    DS->Post();
    return DS;
}

TDataSet* MakeSQLite(TComponent* Owner, const TTempFolder& Folder) {
    const std::string File = Folder.Sys("sketches.sqlite");
    const TChildRun Run = RunProgram(
        {"sqlite3", File,
         "CREATE TABLE sketches (ID INTEGER NOT NULL UNIQUE, NOTES TEXT);"
         "INSERT INTO sketches VALUES (1, 'Blink the LED' || char(13) || char(10) || 'every second');"});
    if (!Run.Succeeded) throw std::runtime_error("sqlite3: " + Run.Output);
    auto* DS = new TSQLiteDataSet(Owner);
    DS->SetDatabaseName(Utf8ToString(File));
    DS->SetTableName(u"sketches");
    DS->Open();
    return DS;
}

class MemoDialog : public ::testing::TestWithParam<TDataSetKind> {
protected:
    TTempFolder Folder;
    TComponent Owner{nullptr};
    TDataSet* DS = nullptr;
    TDataSource* Source = nullptr;
    TdaMemoDialog* Dialog = nullptr;

    void SetUp() override {
        DS = GetParam().Make(&Owner, Folder);
        Source = new TDataSource(&Owner);
        Source->SetDataSet(DS);
        Dialog = new TdaMemoDialog(&Owner);
        Dialog->SetDataSource(Source);
        Dialog->SetDataField(u"NOTES");
        Dialog->SetCaption(u"Sketch notes");
    }
};

// What the user does in the shown window, as a scripted answer to its modal run.
TQuestionHandler User(std::function<void(TdaMemoDlg* Dlg)> Acts) {
    return [Acts](const TQuestion& Q, TAnswer& A) {
        auto* Dlg = dynamic_cast<TdaMemoDlg*>(Q.Form);
        ASSERT_NE(Dlg, nullptr);
        Dlg->Show();
        Acts(Dlg);
        A.Result = Dlg->ModalResult();
    };
}

// The modal loop's closing step: the window closes only when its close query allows it.
bool Closes(TdaMemoDlg* Dlg) {
    if (Dlg->CloseQuery()) return true;
    Dlg->SetModalResult(mrNone);
    return false;
}

} // namespace

TEST_P(MemoDialog, EditsTheFieldAndAsksBeforeEditedTextIsCancelled) {
    TQuestionScript Script;
    Script.Answer(User([&](TdaMemoDlg* Dlg) {
              EXPECT_EQ(U8(Dlg->Caption()), "Sketch notes");
              EXPECT_EQ(U8(Dlg->Memo->Text()), "Blink the LED\r\nevery second");
              EXPECT_FALSE(Dlg->OKBtn->Enabled()); // until the text changes
              EXPECT_TRUE(Dlg->CancelBtn->Visible());
              Dlg->Memo->SetFocus();
              KeyMessages(Dlg->Memo, VK_END, TShiftState{ssCtrl});
              CharMessages(Dlg->Memo, u" twice");
              EXPECT_TRUE(Dlg->OKBtn->Enabled());
              auto Picture = GrabControl(Dlg);
              GrabToPng(Picture.get(), Folder, "memo-dialog-" + GetParam().Name + ".png");
              // Escape: the question comes, No keeps the window and the text.
              KeyMessages(Dlg->Memo, VK_ESCAPE);
              EXPECT_EQ(Dlg->ModalResult(), mrCancel);
              EXPECT_FALSE(Closes(Dlg));
              EXPECT_EQ(U8(Dlg->Memo->Text()), "Blink the LED\r\nevery second twice");
              // Ctrl+Enter closes with OK, and OK asks nothing.
              KeyMessages(Dlg->Memo, VK_RETURN, TShiftState{ssCtrl});
              EXPECT_EQ(Dlg->ModalResult(), mrOk);
              EXPECT_TRUE(Closes(Dlg));
          }))
        .Answer(mrNo);
    EXPECT_TRUE(Dialog->Execute());
    ASSERT_EQ(Script.Asked().size(), 2u);
    const TQuestion& Q = Script.Asked()[1];
    EXPECT_EQ(Q.Kind, qkMessageDlg);
    EXPECT_EQ(U8(Q.Text), "Changes have been made!  Are you sure you wish to cancel?");
    EXPECT_EQ(Q.DlgType, mtConfirmation);
    EXPECT_EQ(Q.DlgButtons, (TMsgDlgButtons{mbYes, mbNo}));
    // The dataset was put into edit mode and holds the text; posted, it is stored.
    ASSERT_EQ(DS->State(), dsEdit);
    DS->Post();
    DS->Close();
    DS->Open();
    EXPECT_EQ(U8(DS->FieldByName(u"NOTES")->AsString()), "Blink the LED\r\nevery second twice");
}

TEST_P(MemoDialog, YesToTheQuestionCancelsAndLeavesTheFieldAlone) {
    TQuestionScript Script;
    Script.Answer(User([&](TdaMemoDlg* Dlg) {
              CharMessages(Dlg->Memo, u"scribble ");
              KeyMessages(Dlg->Memo, VK_ESCAPE);
              EXPECT_TRUE(Closes(Dlg));
              EXPECT_EQ(Dlg->ModalResult(), mrCancel);
          }))
        .Answer(mrYes);
    EXPECT_FALSE(Dialog->Execute());
    EXPECT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(U8(DS->FieldByName(u"NOTES")->AsString()), "Blink the LED\r\nevery second");
}

TEST_P(MemoDialog, ViewOnlyShowsTheTextAndNeverWritesIt) {
    Dialog->SetMemoAttributes(TdaMemoAttributes{mViewOnly, mWordWrap});
    TQuestionScript Script;
    Script.Answer(User([&](TdaMemoDlg* Dlg) {
        EXPECT_TRUE(Dlg->Memo->ReadOnly());
        EXPECT_FALSE(Dlg->CancelBtn->Visible());
        EXPECT_TRUE(Dlg->OKBtn->Enabled());
        EXPECT_EQ(Dlg->BorderStyle(), Forms::bsDialog);
        Dlg->OKBtn->Click();
        EXPECT_TRUE(Closes(Dlg)); // nothing changed: nothing is asked
    }));
    EXPECT_TRUE(Dialog->Execute());
    EXPECT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(DS->State(), dsBrowse);
}

INSTANTIATE_TEST_SUITE_P(DataSets, MemoDialog,
                         ::testing::Values(TDataSetKind{"Memory", MakeMem}, TDataSetKind{"SQLite", MakeSQLite}),
                         [](const auto& Info) { return Info.param.Name; });

TEST(MemoDialogLines, WithoutAFieldItEditsItsLinesAndCancelLeavesThem) {
    TComponent Owner(nullptr);
    auto* Dialog = new TdaMemoDialog(&Owner);
    Dialog->Lines()->Add(u"first");
    int Inits = 0, Closed = 0;
    Dialog->OnInitDialog = [&](TdaMemoDlg* Dlg) {
        ++Inits;
        EXPECT_EQ(Dialog->Form, Dlg);
    };
    Dialog->OnCloseDialog = [&](TdaMemoDlg*) { ++Closed; };
    {
        TQuestionScript Script;
        Script.Answer(User([&](TdaMemoDlg* Dlg) {
            EXPECT_FALSE(Dlg->UserButtonPanel->Visible()); // no captions: no user buttons
            KeyMessages(Dlg->Memo, VK_END, TShiftState{ssCtrl});
            CharMessages(Dlg->Memo, u" line");
            Dlg->CancelBtn->Click();
            EXPECT_TRUE(Closes(Dlg));
        }));
        Script.Answer(mrYes);
        EXPECT_FALSE(Dialog->Execute());
    }
    EXPECT_EQ(U8(Dialog->Lines()->Text()), "first\r\n");
    {
        TQuestionScript Script;
        Dialog->SetUserButton1Caption(u"&Template");
        Dialog->OnUserButton1Click = [](TdaMemoDlg*, TMemo* Memo) { Memo->Lines()->Add(u"void setup() {}"); };
        Script.Answer(User([&](TdaMemoDlg* Dlg) {
            EXPECT_TRUE(Dlg->UserButtonPanel->Visible());
            EXPECT_TRUE(Dlg->UserButton1->Visible());
            EXPECT_FALSE(Dlg->UserButton2->Visible());
            Dlg->UserButton1->Click();
            Dlg->OKBtn->Click();
            EXPECT_TRUE(Closes(Dlg));
        }));
        EXPECT_TRUE(Dialog->Execute());
    }
    EXPECT_EQ(U8(Dialog->Lines()->Text()), "first\r\nvoid setup() {}\r\n");
    EXPECT_EQ(Inits, 2);
    EXPECT_EQ(Closed, 2);
    EXPECT_EQ(Dialog->Form, nullptr);
}

TEST(MemoDialogLines, AGivenSizeKeepsTheCentredPlace) {
    TComponent Owner(nullptr);
    auto* Dialog = new TdaMemoDialog(&Owner);
    Dialog->SetDlgWidth(400);
    Dialog->SetDlgHeight(300);
    TQuestionScript Script;
    Script.Answer(User([&](TdaMemoDlg* Dlg) {
        EXPECT_EQ(Dlg->Width(), 400);
        EXPECT_EQ(Dlg->Height(), 300);
        const TRect Work = Screen->WorkAreaRect();
        EXPECT_NEAR(Dlg->Left() + Dlg->Width() / 2, (Work.Left + Work.Right) / 2, 2);
        EXPECT_LT(Dlg->Memo->Top() + Dlg->Memo->Height(), Dlg->OKBtn->Top());
        Dlg->CancelBtn->Click();
    }));
    EXPECT_FALSE(Dialog->Execute());
}
