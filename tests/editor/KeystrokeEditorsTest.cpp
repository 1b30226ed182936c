// The keystroke list and the single keystroke dialog: rows of a copy of the bindings, adding
// and editing with the duplicate question, clearing and the defaults, and the checks of OK.
#include "editor/CodeEditKeyCmdEditor.h"
#include "editor/CodeEditKeyCmdsEditor.h"

#include "platform/gui/Questions.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const TShiftState Ctrl{ssCtrl};

struct KeystrokeEditors : ::testing::Test {
    std::unique_ptr<TCodeEditKeystrokesEditorForm> List = std::make_unique<TCodeEditKeystrokesEditorForm>(nullptr);
    TCodeEditKeyStrokes Source{nullptr};

    void SetUp() override {
        Source.AddKey(ecCopy, 'C', Ctrl);
        Source.AddKey(ecPaste, 'V', Ctrl);
        Source.Add()->SetCommand(ecCut); // a binding without keys
        TCodeEditKeyStroke* Two = Source.AddKey(ecGotoMarker1, 'K', Ctrl);
        Two->SetKey2('1');
        List->SetKeystrokes(&Source);
    }
    std::vector<std::pair<String, String>> Rows() const {
        std::vector<std::pair<String, String>> R;
        for (int I = 0; I < List->KeyCmdList->Items()->Count(); ++I) {
            TListItem* Item = List->KeyCmdList->Items()->Item(I);
            R.emplace_back(Item->Caption(), Item->SubItems()->Strings(0));
        }
        return R;
    }
    // A scripted answer to the single dialog: the values a user would enter, then OK.
    static TQuestionHandler Enter(TCodeEditorCommand Command, TShortCut Key, TShortCut Key2 = 0) {
        return [=](const TQuestion& Q, TAnswer& A) {
            auto* D = dynamic_cast<TCodeEditKeystrokeEditorForm*>(Q.Form);
            ASSERT_NE(D, nullptr);
            D->SetCommand(Command);
            D->SetKeystroke(Key);
            D->SetKeystroke2(Key2);
            A.Result = mrOk;
        };
    }
};

} // namespace

TEST_F(KeystrokeEditors, RowsShowACopyOfTheBindings) {
    const std::vector<std::pair<String, String>> Want = {
        {u"ecCopy", u"Ctrl+C"}, {u"ecPaste", u"Ctrl+V"}, {u"ecCut", u"<none>"}, {u"ecGotoMarker1", u"Ctrl+K 1"}};
    EXPECT_EQ(Rows(), Want);
    // The list works on its own copy.
    List->Keystrokes()->Items(0)->SetCommand(ecSelectAll);
    EXPECT_EQ(Source.Items(0)->Command(), ecCopy);
    List->SetExtendedString(true);
    List->SetKeystrokes(&Source);
    EXPECT_EQ(Rows()[3].first, u"Goto Bookmark 1");
    // Edit and Delete are there only while a row is selected.
    EXPECT_FALSE(List->btnEdit->Enabled());
    List->KeyCmdList->SetSelected(List->KeyCmdList->Items()->Item(1));
    EXPECT_TRUE(List->btnEdit->Enabled());
    EXPECT_TRUE(List->btnDelete->Enabled());
    List->DeleteClick();
    EXPECT_EQ(List->Keystrokes()->Count(), 3);
    EXPECT_EQ(List->Keystrokes()->FindCommand(ecPaste), -1);
    EXPECT_FALSE(List->btnDelete->Enabled());
}

TEST_F(KeystrokeEditors, AddingAKeyInUseAsksAndCancelLeavesTheBindings) {
    TQuestionScript Script;
    Script.Answer(Enter(ecSelectAll, ShortCut('V', Ctrl))).Answer(mrCancel);
    List->AddClick();
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Asked()[0].Caption, u"Add Keystroke");
    EXPECT_EQ(Script.Asked()[1].Text,
              u"The keystroke \"Ctrl+V\" is already assigned to another editor command. (ecPaste)");
    EXPECT_EQ(Script.Asked()[1].DlgType, mtError);
    EXPECT_EQ(List->Keystrokes()->Count(), 4);
    EXPECT_EQ(Rows().size(), 4u);

    // OK goes back to the dialog; a free key is then taken and gets its row.
    Script.Answer(Enter(ecSelectAll, ShortCut('V', Ctrl))).Answer(mrOk).Answer(Enter(ecSelectAll, ShortCut('A', Ctrl)));
    List->AddClick();
    ASSERT_EQ(List->Keystrokes()->Count(), 5);
    EXPECT_EQ(List->Keystrokes()->Items(4)->Command(), ecSelectAll);
    EXPECT_EQ(Rows().back(), (std::pair<String, String>{u"ecSelectAll", u"Ctrl+A"}));
}

TEST_F(KeystrokeEditors, EditingToAKeyInUseKeepsTheOldKeys) {
    List->KeyCmdList->SetSelected(List->KeyCmdList->Items()->Item(0));
    TQuestionScript Script;
    Script.Answer(Enter(ecCopy, ShortCut('V', Ctrl))).Answer(mrCancel);
    List->EditClick();
    ASSERT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Script.Asked()[0].Caption, u"Edit Keystroke");
    EXPECT_EQ(List->Keystrokes()->Items(0)->ShortCut(), ShortCut('C', Ctrl));
    EXPECT_EQ(Rows()[0].second, u"Ctrl+C");
    Script.Answer(Enter(ecCopy, ShortCut('C', TShiftState{ssCtrl, ssShift}), ShortCut('X', {})));
    List->EditClick();
    EXPECT_EQ(Rows()[0].second, u"Shift+Ctrl+C X");
}

TEST_F(KeystrokeEditors, ResetAfterClearBringsTheDefaultsBack) {
    List->ClearClick();
    EXPECT_EQ(List->Keystrokes()->Count(), 0);
    EXPECT_TRUE(Rows().empty());
    List->ResetClick();
    TCodeEditKeyStrokes Defaults(nullptr);
    Defaults.ResetDefaults();
    ASSERT_EQ(List->Keystrokes()->Count(), Defaults.Count());
    EXPECT_EQ(static_cast<int>(Rows().size()), Defaults.Count());
    EXPECT_EQ(List->Keystrokes()->Items(0)->Command(), Defaults.Items(0)->Command());
}

TEST_F(KeystrokeEditors, TheListFollowsTheFormSize) {
    List->SetClientWidth(500);
    List->SetClientHeight(400);
    EXPECT_EQ(List->pnlCommands->Width(), 500 - 136);
    EXPECT_EQ(List->pnlCommands->Height(), 400 - 75);
    const int Bottom = List->pnlCommands->Top() + List->pnlCommands->Height();
    EXPECT_EQ(List->btnAdd->Left(), List->pnlCommands->Left() + List->pnlCommands->Width() + 14);
    EXPECT_EQ(List->btnOK->Top(), Bottom - 19);
    EXPECT_EQ(List->btnCancel->Top(), Bottom + 13);
    EXPECT_EQ(List->Label2->Top(), Bottom + 27);
}

TEST(KeystrokeDialog, OKChecksTheCommandAndTheFirstKey) {
    auto Dialog = std::make_unique<TCodeEditKeystrokeEditorForm>(nullptr);
    Dialog->Show();
    TQuestionScript Script;
    Script.Answer(mrOk).Answer(mrOk);
    Dialog->btnOK->Click();
    EXPECT_EQ(Script.Last().Text, u"You must first select a command.");
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
    Dialog->SetCommand(ecCopy);
    Dialog->btnOK->Click();
    EXPECT_EQ(Script.Last().Text, u"The command \"ecCopy\" needs to have at least one keystroke assigned to it.");
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
    Dialog->SetKeystroke(ShortCut('C', Ctrl));
    Dialog->btnOK->Click();
    EXPECT_EQ(Dialog->ModalResult(), mrOk);
    EXPECT_EQ(Script.Asked().size(), 2u);
    // "Clear Key" empties both keys.
    Dialog->SetKeystroke2(ShortCut('X', {}));
    Dialog->bntClearKey->Click();
    EXPECT_EQ(Dialog->Keystroke(), 0);
    EXPECT_EQ(Dialog->Keystroke2(), 0);
}

TEST(KeystrokeDialog, CommandsByEntryIdentifierOrNumber) {
    auto Dialog = std::make_unique<TCodeEditKeystrokeEditorForm>(nullptr);
    Dialog->Show();
    struct TCase {
        const char16_t* Text;
        TCodeEditorCommand Command;
    } Cases[] = {{u"ecPaste", ecPaste}, {u"ECCOPY", ecCopy}, {u"1002", 1002}, {u"nothing", 0}};
    for (const TCase& C : Cases) {
        Dialog->cmbCommand->SetText(C.Text);
        EXPECT_EQ(Dialog->Command(), C.Command) << U8(C.Text);
    }
    // Typing completes to the first entry that begins with what is before the caret.
    Dialog->cmbCommand->SetFocus();
    Dialog->cmbCommand->SetText(u"");
    CharMessages(Dialog->cmbCommand, u"ecpas");
    EXPECT_EQ(Dialog->cmbCommand->Text(), u"ecPaste");
    EXPECT_EQ(Dialog->cmbCommand->SelStart(), 5);
    EXPECT_EQ(Dialog->cmbCommand->SelLength(), 2);
    // Leaving with a text that is no entry chooses ecNone.
    Dialog->cmbCommand->SetText(u"no such");
    Dialog->hkKeystroke->SetFocus();
    EXPECT_EQ(Dialog->cmbCommand->Text(), u"ecNone");
}
