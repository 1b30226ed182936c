// The services on real forms: a form's main menu bar, its keys reaching menus and actions,
// pop-up menus of controls, modal forms and the exception box through the question service.
#include "support/GuiTestSupport.h"
#include "support/QuestionTestSupport.h"
#include "platform/base/Idle.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/MenusQt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class TPane : public TCustomControl {
public:
    TPane(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner) {
        SetBounds(0, 0, 100, 100);
        SetTabStop(true);
        SetParent(AParent);
    }
};

// A form with a menu of actions, an action list and a pane with a pop-up menu.
struct FormFixture : ::testing::Test {
    TForm* Form = new TForm(nullptr);
    TActionList* Actions = new TActionList(Form);
    TMainMenu* Menu = new TMainMenu(Form);
    TPopupMenu* Popup = new TPopupMenu(Form);
    TPane* Pane = new TPane(Form, Form);
    std::vector<String> Ran;

    TAction* NewAction(const String& Caption, TShortCut Key) {
        auto* A = new TAction(Form);
        A->SetCaption(Caption);
        A->SetShortCut(Key);
        A->SetActionList(Actions);
        A->OnExecute = [this](TObject* Sender) { Ran.push_back(static_cast<TAction*>(Sender)->Caption()); };
        return A;
    }
    TMenuItem* NewItem(TMenuItem* Parent, TAction* Action) {
        auto* I = new TMenuItem(Form);
        I->SetAction(Action);
        Parent->Add(I);
        return I;
    }
    void SetUp() override {
        Form->SetBounds(10, 10, 400, 300);
        auto* File = new TMenuItem(Form);
        File->SetCaption(u"&File");
        Menu->Items()->Add(File);
        NewItem(File, NewAction(u"&Save", scCtrl | 'S'));
        NewAction(u"Compile sketch", 0x78 /* F9 */); // in the list only
        Form->SetMenu(Menu);
        Pane->SetPopupMenu(Popup);
    }
    void TearDown() override { delete Form; }
};

} // namespace

TEST_F(FormFixture, TheMainMenuIsTheFormsMenuBar) {
    Form->Show();
    QMenuBar* Bar = WindowOf(Form)->findChild<QMenuBar*>();
    ASSERT_NE(Bar, nullptr);
    ASSERT_EQ(Bar->actions().size(), 1);
    EXPECT_EQ(Bar->actions()[0]->text(), QStringLiteral("&File"));
    QMenu* File = Bar->actions()[0]->menu();
    ASSERT_NE(File, nullptr);
    EXPECT_EQ(File->actions()[0]->text(), QStringLiteral("&Save\tCtrl+S"));
    File->actions()[0]->trigger();
    EXPECT_EQ(Ran, std::vector<String>{u"&Save"});
    // The client area starts below the bar: a child at the client's top left is not under it,
    // and goes back up when the bar goes.
    const int BarHeight = Bar->sizeHint().height();
    ASSERT_GT(BarHeight, 0);
    EXPECT_EQ(WindowOf(Pane)->geometry(), QRect(0, BarHeight, 100, 100));
    EXPECT_EQ(Form->ClientHeight(), Form->Height() - BarHeight);
    // Another menu replaces the bar; none removes it.
    TMainMenu Other(nullptr);
    Form->SetMenu(&Other);
    EXPECT_EQ(WindowOf(Form)->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly).size(), 1);
    Form->SetMenu(nullptr);
    EXPECT_EQ(WindowOf(Form)->findChild<QMenuBar*>(), nullptr);
    EXPECT_EQ(WindowOf(Pane)->geometry(), QRect(0, 0, 100, 100));
}

TEST_F(FormFixture, KeysReachTheMenuAndTheActionLists) {
    Form->Show();
    Pane->SetFocus();
    SendKey(Pane, Qt::Key_S, Qt::ControlModifier);
    SendKey(Pane, Qt::Key_F9);
    SendKey(Pane, Qt::Key_F8);
    EXPECT_EQ(Ran, (std::vector<String>{u"&Save", u"Compile sketch"}));
}

TEST_F(FormFixture, ControlsPopTheirMenusUp) {
    auto* Item = new TMenuItem(Form);
    Item->SetCaption(u"Clear Rx window");
    Popup->Items()->Add(Item);
    Form->Show();
    const TPoint At = Pane->ClientToScreen({5, 6});
    Pane->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(At.X, At.Y));
    EXPECT_EQ(Popup->PopupComponent(), Pane);
    EXPECT_EQ(Popup->PopupPoint(), At);
    ASSERT_NE(PopupMenuWidget(Popup), nullptr);
    EXPECT_TRUE(PopupMenuWidget(Popup)->isVisible());
}

TEST_F(FormFixture, ModalFormsAndTheExceptionBoxAsk) {
    TQuestionScript Script;
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        EXPECT_EQ(Q.Kind, qkShowModal);
        A.Result = mrOk;
    });
    Form->SetCaption(u"Options");
    TForm* Dialog = new TForm(Form);
    Dialog->SetCaption(u"Project configuration");
    EXPECT_EQ(Dialog->ShowModal(), mrOk);
    EXPECT_EQ(Script.Last().Form, Dialog);
    EXPECT_EQ(Script.Last().Caption, u"Project configuration");

    Application->SetTitle(u"Morvane");
    Script.Answer(IDOK);
    Exception E(u"Templates file not found");
    Application->ShowException(&E);
    EXPECT_EQ(Script.Last().Kind, qkMessageBox);
    EXPECT_EQ(Script.Last().Text, u"Templates file not found.");
    EXPECT_EQ(Script.Last().Caption, u"Morvane");
    EXPECT_EQ(Script.Last().Icon, mtError);
}

TEST_F(FormFixture, AFreedMainMenuTakesItsBarAlong) {
    Form->Show();
    ASSERT_NE(WindowOf(Form)->findChild<QMenuBar*>(), nullptr);
    delete Menu;
    EXPECT_EQ(Form->Menu(), nullptr);
    EXPECT_EQ(WindowOf(Form)->findChild<QMenuBar*>(), nullptr);
}

TEST_F(FormFixture, WithoutAutoPopupTheParentGetsTheContextMenu) {
    Popup->SetAutoPopup(false);
    TPopupMenu* FormPopup = new TPopupMenu(Form);
    Form->SetPopupMenu(FormPopup);
    Form->Show();
    const TPoint At = Pane->ClientToScreen({5, 6});
    Pane->Perform(WM_CONTEXTMENU, 0, MAKELPARAM(At.X, At.Y));
    EXPECT_EQ(Popup->PopupComponent(), nullptr);
    EXPECT_EQ(FormPopup->PopupComponent(), Form);
}

TEST_F(FormFixture, IdleTimeUpdatesTheActions) {
    TAction* Save = static_cast<TAction*>(Actions->Actions(0));
    bool CanSave = false;
    Save->OnUpdate = [&](TObject*) { Save->SetEnabled(CanSave); };
    Form->Show();
    // With everything handled the application goes idle; a timer not yet due ends its wait.
    auto IdleOnce = [] {
        Application->ProcessMessages();
        QTimer::singleShot(20, [] {});
        Application->HandleMessage();
    };
    IdleOnce();
    EXPECT_FALSE(Save->Enabled());
    CanSave = true;
    IdleOnce();
    EXPECT_TRUE(Save->Enabled());
}

TEST_F(FormFixture, GoingIdleRunsTheIdleHandlers) {
    int Runs = 0;
    const TIdleHandlerId Id = AddIdleHandler([&] { ++Runs; });
    Application->ProcessMessages();
    EXPECT_EQ(Runs, 0); // busy with messages is not idle
    QTimer::singleShot(20, [] {});
    Application->HandleMessage();
    RemoveIdleHandler(Id);
    EXPECT_EQ(Runs, 1);
}

TEST_F(FormFixture, TheApplicationsMessageBoxAsksTheService) {
    TQuestionScript Script;
    Script.Answer(IDNO);
    EXPECT_EQ(Application->MessageBox(u"Save changes?", u"MORVANE - Close", MB_YESNO), IDNO);
    EXPECT_EQ(Script.Last().Text, u"Save changes?");
    EXPECT_EQ(Script.Last().Caption, u"MORVANE - Close");
}
