#include "support/QuestionTestSupport.h"
#include "platform/gui/Questions.h"
#include "platform/gui/QuestionsQt.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

std::vector<String> Captions(const TQuestion& Q) {
    std::vector<String> Result;
    for (const TQuestionButton& B : Q.Buttons)
        Result.push_back(B.Caption);
    return Result;
}

std::vector<int> Results(const TQuestion& Q) {
    std::vector<int> Result;
    for (const TQuestionButton& B : Q.Buttons)
        Result.push_back(B.Result);
    return Result;
}

} // namespace

TEST(Questions, MessageBoxButtonsIconsAndDefaults) {
    struct Case {
        unsigned Flags;
        std::vector<String> Captions;
        std::vector<int> Results;
        int Default, Cancel;
        TMsgDlgType Icon;
    };
    const Case Cases[] = {
        {MB_OK, {u"OK"}, {IDOK}, IDOK, IDOK, mtCustom},
        {MB_OKCANCEL | MB_ICONQUESTION, {u"OK", u"Cancel"}, {IDOK, IDCANCEL}, IDOK, IDCANCEL, mtConfirmation},
        {MB_ABORTRETRYIGNORE | MB_ICONSTOP | MB_DEFBUTTON2,
         {u"&Abort", u"&Retry", u"&Ignore"},
         {IDABORT, IDRETRY, IDIGNORE},
         IDRETRY,
         0,
         mtError},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3,
         {u"&Yes", u"&No", u"Cancel"},
         {IDYES, IDNO, IDCANCEL},
         IDCANCEL,
         IDCANCEL,
         mtWarning},
        {MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2,
         {u"&Yes", u"&No"},
         {IDYES, IDNO},
         IDNO,
         0,
         mtInformation},
        // A default button beyond those shown falls back to the first.
        {MB_RETRYCANCEL | MB_DEFBUTTON4 | MB_TASKMODAL,
         {u"&Retry", u"Cancel"},
         {IDRETRY, IDCANCEL},
         IDRETRY,
         IDCANCEL,
         mtCustom},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Flags);
        TQuestionScript Script;
        Script.SetHandler([](const TQuestion& Q, TAnswer& A) { A.Result = Q.Buttons.back().Result; });
        EXPECT_EQ(MessageBox(42, u"Text", u"Title", C.Flags), C.Results.back());
        const TQuestion& Q = Script.Last();
        EXPECT_EQ(Q.Kind, qkMessageBox);
        EXPECT_EQ(Q.Caption, u"Title");
        EXPECT_EQ(Q.Text, u"Text");
        EXPECT_EQ(Q.OwnerHandle, 42u);
        EXPECT_EQ(Q.Flags, C.Flags);
        EXPECT_EQ(Captions(Q), C.Captions);
        EXPECT_EQ(Results(Q), C.Results);
        EXPECT_EQ(Q.DefaultResult, C.Default);
        EXPECT_EQ(Q.CancelResult, C.Cancel);
        EXPECT_EQ(Q.Icon, C.Icon);
    }
}

TEST(Questions, MessageBoxAnswersAndRefusals) {
    TExpectUnscripted Refusals;
    TQuestionScript Script;
    // An unchanged answer is the default button.
    Script.Answer([](const TQuestion&, TAnswer&) {}).Answer(IDNO).Answer(IDCANCEL).Answer(IDYES);
    EXPECT_EQ(MessageBox(0, u"Save?", u"", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(Script.Last().Caption, u"Error"); // no caption given
    EXPECT_EQ(MessageBox(0, u"Save?", u"App", MB_YESNO), IDNO);
    // Escape on a Yes/No box is no answer, nor is a button that is not shown.
    EXPECT_THROW(MessageBox(0, u"Save?", u"App", MB_YESNO), EUnscriptedQuestion);
    EXPECT_THROW(MessageBox(0, u"Go on?", u"App", MB_RETRYCANCEL), EUnscriptedQuestion);
    EXPECT_EQ(Refusals.Count(), 2);
    // An invalid button combination asks nothing.
    EXPECT_EQ(MessageBox(0, u"x", u"y", 0x0007), 0);
    EXPECT_EQ(Script.Asked().size(), 4u);
    Script.Answer(IDOK);
    EXPECT_EQ(ApplicationMessageBox(u"Done", u"App"), IDOK);
    EXPECT_EQ(Script.Last().Caption, u"App");
}

TEST(Questions, UnscriptedQuestionsFailLoudly) {
    TExpectUnscripted Unscripted;
    // No script in a test run.
    EXPECT_THROW(ShowMessage(u"hello"), EUnscriptedQuestion);
    String Value = u"kept";
    EXPECT_THROW(InputQuery(u"C", u"P", Value), EUnscriptedQuestion);
    EXPECT_EQ(Value, u"kept");
    bool Ran = false;
    EXPECT_THROW(AskShowModal(nullptr, u"Form",
                              [&] {
                                  Ran = true;
                                  return mrOk;
                              }),
                 EUnscriptedQuestion);
    EXPECT_FALSE(Ran);
    // A script whose answers ran out.
    TQuestionScript Script;
    Script.Answer(mrOk);
    ShowMessage(u"one");
    try {
        ShowMessage(u"two");
        FAIL() << "the second question was answered";
    } catch (const EUnscriptedQuestion& E) {
        EXPECT_NE(E.Message().find(u"two"), String::npos);
    }
    EXPECT_EQ(Script.Asked().size(), 2u);
    // Reported also when the exception is caught on the way.
    try {
        ShowMessage(u"three");
    } catch (...) {
    }
    EXPECT_EQ(Unscripted.Count(), 5);
}

TEST(Questions, ScriptsNestAndTheNewestAnswers) {
    TQuestionScript Outer;
    Outer.SetHandler([](const TQuestion&, TAnswer& A) { A.Result = IDCANCEL; });
    {
        TQuestionScript Inner;
        Inner.Answer(IDOK);
        EXPECT_EQ(MessageBox(0, u"a", u"b", MB_OKCANCEL), IDOK);
        EXPECT_EQ(Inner.PendingAnswers(), 0);
    }
    EXPECT_EQ(MessageBox(0, u"a", u"b", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(Outer.Asked().size(), 1u);
}

TEST(Questions, MessageDlgButtonsCaptionsAndResults) {
    SetQuestionTitleSource([] { return String(u"My Program"); });
    struct Case {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        String Caption;
        std::vector<String> Captions;
        int Default, Cancel;
    };
    const Case Cases[] = {
        {mtWarning, {mbOK}, u"Warning", {u"OK"}, mrOk, mrOk},
        {mtError, mbOKCancel, u"Error", {u"OK", u"Cancel"}, mrOk, mrCancel},
        {mtInformation,
         mbAbortRetryIgnore,
         u"Information",
         {u"&Abort", u"&Retry", u"&Ignore"},
         mrRetry,
         mrCancel},
        {mtConfirmation, mbYesNoCancel, u"Confirm", {u"&Yes", u"&No", u"Cancel"}, mrYes, mrCancel},
        {mtConfirmation, mbYesNo, u"Confirm", {u"&Yes", u"&No"}, mrYes, mrNo},
        {mtCustom,
         mbYesAllNoAllCancel + TMsgDlgButtons{mbHelp, mbClose},
         u"My Program",
         {u"&Yes", u"&No", u"Cancel", u"N&o to All", u"Yes to &All", u"&Help", u"&Close"},
         mrYes,
         mrCancel},
        {mtWarning, {mbAll, mbNoToAll}, u"Warning", {u"&All", u"N&o to All"}, mrAll, mrCancel},
    };
    for (const Case& C : Cases) {
        const TQuestion Q = CreateMessageDialog(u"Msg", C.Type, C.Buttons);
        SCOPED_TRACE(StringToUtf8(Q.Caption));
        EXPECT_EQ(Q.Kind, qkMessageDlg);
        EXPECT_EQ(Q.Caption, C.Caption);
        EXPECT_EQ(Q.Icon, C.Type);
        EXPECT_EQ(Q.DefaultResult, C.Default);
        EXPECT_EQ(Q.CancelResult, C.Cancel);
        EXPECT_EQ(Captions(Q), C.Captions);
    }
    // Every button in its order, with its result; Help does not close.
    const TQuestion All = CreateMessageDialog(u"Msg", mtCustom,
                                              mbYesAllNoAllCancel + mbAbortRetryIgnore +
                                                  TMsgDlgButtons{mbOK, mbAll, mbHelp, mbClose});
    EXPECT_EQ(Captions(All),
              (std::vector<String>{u"&Yes", u"&No", u"OK", u"Cancel", u"&Abort", u"&Retry", u"&Ignore",
                                   u"&All", u"N&o to All", u"Yes to &All", u"&Help", u"&Close"}));
    EXPECT_EQ(Results(All), (std::vector<int>{mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll,
                                              mrNoToAll, mrYesToAll, mrNone, mrClose}));

    TQuestionScript Script;
    Script.Answer(mrNo)
        .Answer(mrYesToAll)
        .Answer([](const TQuestion&, TAnswer&) {})
        .Answer(mrOk)
        .Answer(mrNone);
    EXPECT_EQ(MessageDlg(u"Save changes?", mtConfirmation, mbYesNoCancel, 0), mrNo);
    EXPECT_EQ(MessageDlgPos(u"Replace?", mtConfirmation, mbYesAllNoAllCancel, 7, 10, 20), mrYesToAll);
    EXPECT_EQ(Script.Last().X, 10);
    EXPECT_EQ(Script.Last().Y, 20);
    EXPECT_EQ(Script.Last().HelpContext, 7);
    EXPECT_EQ(MessageDlg(u"Go?", mtWarning, mbYesNoCancel, 0, mbCancel), mrCancel); // its own default
    ShowMessageFmt(u"%d files", {3});
    EXPECT_EQ(Script.Last().Text, u"3 files");
    EXPECT_EQ(Script.Last().Caption, u"My Program");
    TExpectUnscripted Refusal;
    EXPECT_THROW(MessageDlg(u"Help?", mtWarning, {mbOK, mbHelp}, 0), EUnscriptedQuestion);
    EXPECT_EQ(Refusal.Count(), 1);
    SetQuestionTitleSource(nullptr);
}

TEST(Questions, InputQueryChangesValueOnlyOnOk) {
    TQuestionScript Script;
    Script.Answer(mrOk, u"new").Answer(mrCancel, u"ignored").Answer(mrOk, u"").Answer(mrCancel);
    String Value = u"old";
    EXPECT_TRUE(InputQuery(u"Rename", u"New name:", Value));
    EXPECT_EQ(Value, u"new");
    EXPECT_EQ(Script.Last().Kind, qkInputQuery);
    EXPECT_EQ(Script.Last().Caption, u"Rename");
    EXPECT_EQ(Script.Last().Text, u"New name:");
    EXPECT_EQ(Script.Last().Value, u"old");
    EXPECT_FALSE(InputQuery(u"Rename", u"New name:", Value));
    EXPECT_EQ(Value, u"new");
    EXPECT_EQ(InputBox(u"C", u"P", u"default"), u"");
    EXPECT_EQ(InputBox(u"C", u"P", u"default"), u"default");
}

TEST(Questions, ShowModalAndTheExceptionBox) {
    TQuestionScript Script;
    Script.Answer(mrYes).Answer(IDOK).Answer(IDOK);
    TComponent* const Form = reinterpret_cast<TComponent*>(0x1234);
    bool Ran = false;
    EXPECT_EQ(AskShowModal(Form, u"Options",
                           [&] {
                               Ran = true;
                               return mrOk;
                           }),
              mrYes);
    EXPECT_FALSE(Ran);
    EXPECT_EQ(Script.Last().Kind, qkShowModal);
    EXPECT_EQ(Script.Last().Form, Form);
    EXPECT_EQ(Script.Last().Caption, u"Options");
    ShowExceptionBox(u"File not found", u"Morvane");
    EXPECT_EQ(Script.Last().Text, u"File not found.");
    EXPECT_EQ(Script.Last().Caption, u"Morvane");
    EXPECT_EQ(Script.Last().Flags, MB_OK | MB_ICONSTOP);
    ShowExceptionBox(u"Stopped!", u"Morvane");
    EXPECT_EQ(Script.Last().Text, u"Stopped!"); // '!' sorts below '.': no full stop
}

TEST(Questions, AQuestionFromAnotherThreadIsScriptedToo) {
    TQuestionScript Script;
    Script.Answer(IDYES);
    int Result = 0;
    std::thread Worker([&] { Result = MessageBox(0, u"From a thread", u"T", MB_YESNO); });
    Worker.join();
    EXPECT_EQ(Result, IDYES);
}

// ---- The real dialogs -------------------------------------------------------------------------

namespace {

// Lets the real dialogs show, and acts on the first modal dialog that appears.
class RealDialogs {
public:
    explicit RealDialogs(std::function<void(QWidget*)> Act) {
        unsetenv("MORVANE_SCRIPTED_QUESTIONS");
        Poll(std::move(Act), QDeadlineTimer(20000), FAlive);
    }
    ~RealDialogs() {
        *FAlive = false;
        setenv("MORVANE_SCRIPTED_QUESTIONS", "1", 1);
    }

private:
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

    static void Poll(std::function<void(QWidget*)> Act, QDeadlineTimer Deadline,
                     std::shared_ptr<bool> Alive) {
        QTimer::singleShot(10, qApp, [Act, Deadline, Alive] {
            if (!*Alive) return;
            if (QWidget* W = QApplication::activeModalWidget()) {
                Act(W);
                // A failed check must not leave the dialog waiting.
                if (auto* D = qobject_cast<QDialog*>(W); D && D->isVisible()) D->reject();
            } else if (Deadline.hasExpired()) {
                ADD_FAILURE() << "no dialog appeared";
            } else {
                Poll(Act, Deadline, Alive);
            }
        });
    }
};

QPushButton* ButtonWithText(QWidget* W, const QString& Text) {
    for (QPushButton* B : W->findChildren<QPushButton*>())
        if (B->text() == Text) return B;
    return nullptr;
}

} // namespace

TEST(Questions, WithoutAScriptTheRealMessageBoxAsks) {
    QString Title, Text;
    RealDialogs Real([&](QWidget* W) {
        auto* Box = qobject_cast<QMessageBox*>(W);
        ASSERT_NE(Box, nullptr);
        Title = Box->windowTitle();
        Text = Box->text();
        EXPECT_EQ(Box->icon(), QMessageBox::Question);
        ASSERT_NE(Box->defaultButton(), nullptr);
        EXPECT_EQ(Box->defaultButton()->text(), QStringLiteral("&No"));
        QPushButton* No = ButtonWithText(Box, QStringLiteral("&No"));
        QPushButton* Cancel = ButtonWithText(Box, QStringLiteral("Cancel"));
        ASSERT_TRUE(No && Cancel);
        EXPECT_EQ(Box->escapeButton(), Cancel);
        Cancel->click();
    });
    EXPECT_EQ(MessageBox(0, u"Save the file?", u"Editor", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDCANCEL);
    EXPECT_EQ(Title, QStringLiteral("Editor"));
    EXPECT_EQ(Text, QStringLiteral("Save the file?"));
}

TEST(Questions, WithoutAScriptTheRealInputDialogAsks) {
    RealDialogs Real([](QWidget* W) {
        auto* D = qobject_cast<QInputDialog*>(W);
        ASSERT_NE(D, nullptr);
        EXPECT_EQ(D->labelText(), QStringLiteral("Name:"));
        EXPECT_EQ(D->textValue(), QStringLiteral("old"));
        D->setTextValue(QStringLiteral("typed"));
        D->accept();
    });
    String Value = u"old";
    EXPECT_TRUE(InputQuery(u"Rename", u"Name:", Value));
    EXPECT_EQ(Value, u"typed");
}
