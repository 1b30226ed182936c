// Forms, the application and messages between threads: building a form, focus and tab order,
// closing, modal runs through the question service, exceptions in handlers, posted and sent
// messages from worker threads.
#include "support/GuiTestSupport.h"
#include "support/ThreadTestSupport.h"

#include "platform/base/Lists.h"
#include "platform/base/Threads.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Questions.h"

#include <QTimer>
#include <QWindow>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace {

// A component that notes what it saw while its form was built.
class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* AOwner, std::vector<std::string>& ALog) : TComponent(AOwner), Log(ALog) {}
    void SetValue(int) { Log.push_back(ComponentState().Contains(csLoading) ? "set while loading" : "set"); }
    void Loaded() override {
        TComponent::Loaded();
        Log.push_back("loaded " + StringToUtf8(Name()));
    }
    std::vector<std::string>& Log;
};

class TBuiltForm : public TForm {
public:
    TBuiltForm(TComponent* AOwner, std::vector<std::string>& Log) : TForm(AOwner) {
        BuildForm([&] {
            auto* A = new TProbe(this, Log);
            A->SetName(u"A");
            A->SetValue(1);
            Panel = new TTestPanel(this, this);
            Panel->SetAlign(alTop);
            auto* B = new TProbe(this, Log);
            B->SetName(u"B");
            OnCreate = [&Log, this](TObject*) {
                Log.push_back(Panel->ComponentState().Contains(csLoading) ? "create, panel loading"
                                                                          : "create");
                throw Exception(u"create failed");
            };
        });
    }
    TTestPanel* Panel = nullptr;
};

// Waits, handling messages, until Done or a few seconds passed.
template <class F> bool WaitUntil(F Done) {
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Done() && std::chrono::steady_clock::now() < End) {
        Application->ProcessMessages();
        Sleep(1);
    }
    return Done();
}

} // namespace

TEST(Forms, BuildFormLoadsEveryComponentThenFiresOnCreate) {
    TExceptionCatcher Catcher;
    std::vector<std::string> Log;
    auto* Form = new TBuiltForm(nullptr, Log);
    EXPECT_EQ(Log, (std::vector<std::string>{"set while loading", "loaded A", "loaded B", "create"}));
    // The creation handler's exception went to the application, and the form stays.
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"create failed"});
    EXPECT_FALSE(Form->ComponentState().Contains(csLoading));
    EXPECT_EQ(Form->Panel->Width(), Form->ClientWidth()); // aligned after loading
    delete Form;
}

TEST(Forms, OnDestroyRunsWhileTheFormIsWhole) {
    std::string Seen;
    struct TMyForm : TForm {
        explicit TMyForm(std::string& S) : TForm(nullptr), Seen(S) {
            Edit = new TTestEdit(this, this);
            SetTag(5);
            OnDestroy = [this](TObject*) {
                Seen = Edit->Parent() == this && Edit->HandleAllocated() ? "whole" : "gone";
            };
        }
        std::string& Seen;
        TTestEdit* Edit;
    };
    auto* F = new TMyForm(Seen);
    F->Show();
    delete F;
    EXPECT_EQ(Seen, "whole");
}

TEST_F(TFormFixture, FocusFollowsTabOrderWithEnterAndExit) {
    auto* E1 = new TTestEdit(Form, Form);
    auto* E2 = new TTestEdit(Form, Form);
    auto* E3 = new TTestEdit(Form, Form);
    auto* Off = new TTestEdit(Form, Form);
    Off->SetTabStop(false);
    E1->DlgCode = E2->DlgCode = E3->DlgCode = DLGC_WANTCHARS; // Tab is a dialog key here
    std::vector<std::string> Log;
    for (auto [E, N] : {std::pair{E1, "1"}, {E2, "2"}, {E3, "3"}}) {
        std::string Name = N;
        E->OnEnter = [&Log, Name](TObject*) { Log.push_back("enter " + Name); };
        E->OnExit = [&Log, Name](TObject*) { Log.push_back("exit " + Name); };
    }
    Form->Show();
    // The first control in tab order takes the focus when the form is shown.
    EXPECT_TRUE(E1->Focused());
    EXPECT_EQ(Form->ActiveControl(), E1);
    SendKey(E1, Qt::Key_Tab);
    EXPECT_TRUE(E2->Focused());
    SendKey(E2, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(E1->Focused());
    // Tab order [E3, E1, E2, Off]: from E2 the walk wraps to E3, skipping the control without a tab stop.
    E3->SetTabOrder(0);
    E2->SetFocus();
    SendKey(E2, Qt::Key_Tab);
    EXPECT_TRUE(E3->Focused());
    EXPECT_EQ(Screen->ActiveControl(), E3);
    EXPECT_EQ(Log, (std::vector<std::string>{"enter 1", "exit 1", "enter 2", "exit 2", "enter 1", "exit 1",
                                             "enter 2", "exit 2", "enter 3"}));
    // A hidden control cannot take the focus.
    E1->Hide();
    EXPECT_THROW(E1->SetFocus(), EInvalidOperation);
}

TEST_F(TFormFixture, CloseAsksOnCloseQueryAndFollowsTheCloseAction) {
    Form->Show();
    bool Allow = false;
    TCloseAction Action = caHide;
    std::vector<std::string> Log;
    Form->OnCloseQuery = [&](TObject*, bool& CanClose) {
        Log.push_back("query");
        CanClose = Allow;
    };
    Form->OnClose = [&](TObject*, TCloseAction& A) {
        Log.push_back("close");
        A = Action;
    };
    Form->OnHide = [&](TObject*) { Log.push_back("hide"); };
    Form->Close();
    EXPECT_TRUE(Form->Visible());
    Allow = true;
    Action = caNone;
    Form->Close();
    EXPECT_TRUE(Form->Visible());
    Action = caHide;
    SendMessage(Form->Handle(), WM_CLOSE); // as the window's close button does
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Log, (std::vector<std::string>{"query", "query", "close", "query", "close", "hide"}));
}

TEST(Forms, ReleaseFreesTheFormAfterTheCurrentMessage) {
    auto* Form = new TForm(nullptr);
    bool Destroyed = false;
    Form->OnDestroy = [&](TObject*) { Destroyed = true; };
    Form->Show();
    Form->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
    Form->Close();
    EXPECT_FALSE(Destroyed);
    EXPECT_TRUE(WaitUntil([&] { return Destroyed; }));
}

TEST(Forms, ShowModalPassesThroughTheQuestionService) {
    TForm Form(nullptr);
    Form.SetCaption(u"Port setup");
    {
        TQuestionScript Script;
        Script.Answer([&](const TQuestion& Q, TAnswer& A) {
            EXPECT_EQ(Q.Kind, qkShowModal);
            EXPECT_EQ(Q.Form, &Form);
            A.Result = mrYes;
        });
        EXPECT_EQ(Form.ShowModal(), mrYes);
        EXPECT_EQ(Form.ModalResult(), mrYes);
        EXPECT_EQ(Script.Last().Caption, u"Port setup");
    }
    // Without a script the form runs its own modal loop until ModalResult is set; a refusing
    // OnCloseQuery keeps it open.
    const char* Saved = std::getenv("MORVANE_SCRIPTED_QUESTIONS");
    unsetenv("MORVANE_SCRIPTED_QUESTIONS");
    int Queries = 0;
    // The second answer comes only after the first was refused, however slowly the loop runs.
    Form.OnCloseQuery = [&](TObject*, bool& CanClose) {
        CanClose = ++Queries > 1;
        if (!CanClose) QTimer::singleShot(0, [&] { Form.SetModalResult(mrRetry); });
    };
    Form.OnShow = [&](TObject*) { QTimer::singleShot(0, [&] { Form.SetModalResult(mrOk); }); };
    const int Result = Form.ShowModal();
    if (Saved) setenv("MORVANE_SCRIPTED_QUESTIONS", Saved, 1);
    EXPECT_EQ(Result, mrRetry);
    EXPECT_EQ(Queries, 2);
    EXPECT_FALSE(Form.Visible());
    // A visible form cannot be made modal.
    Form.OnShow = nullptr;
    Form.Show();
    EXPECT_THROW(Form.ShowModal(), EInvalidOperation);
}

TEST_F(TFormFixture, AnExceptionInAnEventHandlerReachesOnExceptionAndTheProgramGoesOn) {
    TExceptionCatcher Catcher;
    auto* Panel = new TTestPanel(Form, Form);
    int Clicks = 0;
    Panel->OnClick = [&](TObject*) {
        if (++Clicks == 1) throw Exception(u"first click failed");
        if (Clicks == 2) Abort(); // silent
    };
    Form->Show();
    Click(Panel, {5, 5});
    Click(Panel, {5, 5});
    Click(Panel, {5, 5});
    EXPECT_EQ(Clicks, 3);
    EXPECT_EQ(Catcher.Messages, std::vector<String>{u"first click failed"});
}

TEST(Forms, WithoutOnExceptionTheMessageIsShownThroughTheQuestionService) {
    TQuestionScript Script;
    Script.Answer(IDOK);
    Application->SetTitle(u"Morvane");
    try {
        throw Exception(u"Port is busy");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Script.Last().Text, u"Port is busy.");
    EXPECT_EQ(Script.Last().Caption, u"Morvane");
}

TEST(Forms, TheWindowTitleIsTheCaptionWhateverTheApplicationTitle) {
    const String OldTitle = Application->Title();
    Application->SetTitle(u"Morvane - Arduino front-end");
    Application->Initialize();
    TForm Form(nullptr);
    Form.SetCaption(u"Morvane - Editor and IDE for Arduino");
    Form.Show();
    QWidget* W = WidgetOfHandle(Form.Handle());
    ASSERT_NE(W, nullptr);
    ASSERT_NE(W->windowHandle(), nullptr);
    Application->SetTitle(u"Another title");
    Form.SetCaption(u"Serial monitor");
    EXPECT_EQ(W->windowHandle()->title(), QStringLiteral("Serial monitor"));
    // The platform adds the application's display name to every title once it is set: the
    // layer never sets it.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    Application->SetTitle(OldTitle);
}

TEST_F(TFormFixture, PostMessageFromAWorkerReachesTheGuiThread) {
    auto* Panel = new TTestPanel(Form, Form);
    std::vector<std::pair<WPARAM, bool>> Received;
    TWndMethod Old = Panel->WindowProc();
    Panel->SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_USER + 100) Received.push_back({M.WParam, GetCurrentThreadId() == MainThreadID()});
        Old(M);
    });
    const HWND Wnd = Panel->Handle();
    std::atomic<bool> Posted{false};
    {
        std::unique_ptr<TWorker> W(new TWorker([&] {
            for (WPARAM I = 1; I <= 3; ++I)
                PostMessage(Wnd, WM_USER + 100, I, 0);
            Posted = true;
        }));
        W->WaitFor();
    }
    EXPECT_TRUE(Posted);
    EXPECT_TRUE(Received.empty()); // posted: nothing runs until messages are handled
    EXPECT_TRUE(WaitUntil([&] { return Received.size() == 3; }));
    EXPECT_EQ(Received, (std::vector<std::pair<WPARAM, bool>>{{1, true}, {2, true}, {3, true}}));
    EXPECT_FALSE(PostMessage(0x7FFFFFF1, WM_USER, 0, 0));
    Panel->SetWindowProc(Old);
}

TEST(Forms, SendMessageTimeoutFromAWorkerWaitsAtMostItsTimeOut) {
    std::atomic<int> Ran{0};
    std::atomic<bool> RanOnGuiThread{false};
    const HWND Wnd = AllocateHWnd([&](TMessage& M) {
        if (M.Msg == WM_USER + 1) {
            ++Ran;
            RanOnGuiThread = GetCurrentThreadId() == MainThreadID();
            M.Result = 99;
        }
    });
    // The GUI thread is busy (it waits on an event without handling messages): the send times
    // out, and the withdrawn call never runs later.
    TSimpleEvent Sent;
    std::atomic<LRESULT> Answer{-1};
    std::atomic<UInt64> Took{0};
    std::unique_ptr<TWorker> W(new TWorker([&] {
        const UInt64 Start = GetTickCount64();
        Answer = SendMessageTimeout(Wnd, WM_USER + 1, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 100, nullptr);
        Took = GetTickCount64() - Start;
        Sent.SetEvent();
    }));
    EXPECT_EQ(Sent.WaitFor(5000), wrSignaled);
    EXPECT_EQ(Answer, 0);
    EXPECT_GE(Took, 95u);
    W->WaitFor();
    Application->ProcessMessages();
    CheckSynchronize();
    EXPECT_EQ(Ran, 0);

    // While the GUI thread waits for the worker, sends are delivered and answered.
    LRESULT Result = 0;
    std::atomic<LRESULT> Ok{0};
    W.reset(new TWorker([&] { Ok = SendMessageTimeout(Wnd, WM_USER + 1, 0, 0, SMTO_BLOCK, 2000, &Result); }));
    W->WaitFor();
    EXPECT_EQ(Ok, 1);
    EXPECT_EQ(Result, 99);
    EXPECT_EQ(Ran, 1);
    EXPECT_TRUE(RanOnGuiThread);
    DeallocateHWnd(Wnd);
    EXPECT_FALSE(IsWindow(Wnd));
}

TEST(Forms, SynchronizeFromAWorkerRunsWhileTheEventLoopRuns) {
    std::atomic<bool> Done{false};
    bool OnGui = false;
    std::unique_ptr<TWorker> W(new TWorker([&] {
        TThread::Synchronize(nullptr, [&] { OnGui = GetCurrentThreadId() == MainThreadID(); });
        Done = true;
    }));
    // Only Qt's own event processing runs here: the layer's waker brings the call in.
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Done && std::chrono::steady_clock::now() < End)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(Done);
    EXPECT_TRUE(OnGui);
    W->WaitFor();
}

TEST(Forms, WorkersThatSynchronizeWithoutPauseLeaveTimersTheirTurn) {
    // Two workers call again as soon as their last call returns, and each call ends only once
    // the other worker's call waits too: there is always a call waiting. They stop when a timer
    // has ticked, or after 20 seconds.
    std::atomic<bool> Ticked{false};
    std::atomic<int> StoppedByTick{0}, Calls{0}, Calling{0};
    TTimer Tick(nullptr);
    Tick.SetInterval(20);
    Tick.OnTimer = [&](TObject*) { Ticked = true; };
    Tick.SetEnabled(true);
    auto Work = [&] {
        const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < End) {
            ++Calling;
            TThread::Synchronize(nullptr, [&] {
                ++Calls;
                const auto Wait = std::chrono::steady_clock::now() + std::chrono::seconds(1);
                while (Calling < 2 && std::chrono::steady_clock::now() < Wait)
                    Sleep(1);
                Sleep(1);
            });
            --Calling;
            if (Ticked) {
                ++StoppedByTick;
                return;
            }
        }
    };
    std::unique_ptr<TWorker> A(new TWorker(Work)), B(new TWorker(Work));
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(A->Finished() && B->Finished()) && std::chrono::steady_clock::now() < End)
        Application->ProcessMessages();
    A->WaitFor();
    B->WaitFor();
    EXPECT_EQ(StoppedByTick, 2);
    EXPECT_GT(Calls, 1);
}

TEST(Forms, ScreenKnowsFormsMonitorsAndTheHourglass) {
    TForm A(nullptr), B(nullptr);
    A.Show();
    B.Show();
    EXPECT_EQ(Screen->ActiveForm(), &B);
    A.SetFocus();
    EXPECT_EQ(Screen->ActiveForm(), &A);
    EXPECT_GE(Screen->FormCount(), 2);
    EXPECT_GE(Screen->MonitorCount(), 1);
    EXPECT_TRUE(Screen->Monitors(0)->Primary());
    EXPECT_GT(Screen->Width(), 0);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    EXPECT_GT(Screen->Fonts()->Count(), 0);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(TFormFixture, AFormInsideAnotherWindowIsAChildNotAWindowOfItsOwn) {
    Form->Show();
    for (bool ParentFirst : {true, false}) {
        auto* Inner = new TForm(Form);
        Inner->SetBorderStyle(Forms::bsNone);
        if (ParentFirst) Inner->SetParent(Form);
        Inner->HandleNeeded();
        if (!ParentFirst) Inner->SetParent(Form);
        Inner->SetBounds(5, 5, 100, 50);
        Inner->Show();
        Pump();
        QWidget* W = WindowOf(Inner);
        EXPECT_FALSE(W->isWindow()) << ParentFirst;
        EXPECT_EQ(W->window(), WindowOf(Form)) << ParentFirst;
        // Taken out of its parent, it is a window again.
        Inner->SetParent(nullptr);
        Inner->HandleNeeded();
        ASSERT_NE(WindowOf(Inner), nullptr);
        EXPECT_TRUE(WindowOf(Inner)->isWindow()) << ParentFirst;
        delete Inner;
    }
}

TEST_F(TFormFixture, HintsAskTheControlAndOnShowHint) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 100, 100);
    Panel->SetHint(u"Compile|Compiles the sketch");
    Panel->SetShowHint(true);
    Form->Show();
    String Shown;
    Application->OnShowHint = [&](String& HintStr, bool& CanShow, THintInfo& Info) {
        Shown = HintStr;
        CanShow = Info.HintControl == Panel;
        HintStr = u"<" + HintStr + u">";
    };
    Application->SetHintPause(0);
    SendMouse(Panel, QEvent::MouseMove, {20, 20});
    EXPECT_EQ(Application->Hint(), u"Compiles the sketch");
    EXPECT_TRUE(WaitUntil([&] { return Application->HintWindow() && Application->HintWindow()->Visible(); }));
    EXPECT_EQ(Shown, u"Compile");
    EXPECT_EQ(Application->HintWindow()->Caption(), u"<Compile>");
    Application->CancelHint();
    EXPECT_FALSE(Application->HintWindow()->Visible());
    Application->OnShowHint = nullptr;
    Application->SetHintPause(500);
}

TEST_F(TFormFixture, KeyAndMousePressesEndAHintAndTheHintWindowDecides) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 100, 100);
    Panel->SetHint(u"Compile");
    Panel->SetShowHint(true);
    Form->Show();
    Application->SetHintPause(0);
    auto Visible = [] { return Application->HintWindow() && Application->HintWindow()->Visible(); };
    auto ShowHint = [&] {
        SendMouse(Panel, QEvent::MouseMove, {20 + static_cast<int>(Application->HintWindow() != nullptr), 20});
        return WaitUntil(Visible);
    };
    // Moving the pointer keeps the hint; a key press or a mouse press ends it.
    ASSERT_TRUE(ShowHint());
    SendMouse(Panel, QEvent::MouseMove, {22, 22});
    EXPECT_TRUE(Visible());
    SendKey(Panel, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_FALSE(Visible());
    SendMouse(Panel, QEvent::MouseMove, {30, 30});
    ASSERT_TRUE(WaitUntil(Visible));
    Click(Panel, {30, 30});
    EXPECT_FALSE(Visible());
    // The rule is the hint window's own: the common one for a plain window, claims for messages.
    TMsg Key{0, WM_KEYDOWN, 'A', 0, 0, {}}, Up{0, WM_KEYUP, 'A', 0, 0, {}}, Move{0, WM_MOUSEMOVE, 0, 0, 0, {}};
    EXPECT_TRUE(Application->HintWindow()->IsHintMsg(Key));
    EXPECT_FALSE(Application->HintWindow()->IsHintMsg(Up));
    EXPECT_FALSE(Application->HintWindow()->IsHintMsg(Move));
    Application->SetHintPause(500);
}

namespace {

// A form whose constructor takes more than its owner, and tells what its reference held then.
class TArgumentForm : public TForm {
public:
    TArgumentForm(TComponent* AOwner, const String& Text, TArgumentForm* const* Reference) : TForm(AOwner) {
        SetCaption(Text);
        ReferenceWasSet = *Reference == this;
    }
    bool ReferenceWasSet = false;
};

} // namespace

// Run ends the application for good, so it runs in a fresh process of its own: the test
// program started again for the helper below.
TEST(Forms, DISABLED_MainFormRunInItsOwnProcess) {
    TForm* Main = nullptr;
    TForm* Other = nullptr;
    TArgumentForm* Third = nullptr;
    Application->CreateForm(Main);
    Application->CreateForm(Other);
    Application->CreateForm(Third, String(u"third"), &Third);
    EXPECT_EQ(Application->MainForm(), Main);
    EXPECT_TRUE(Third->Caption() == u"third");
    EXPECT_TRUE(Third->ReferenceWasSet);
    EXPECT_EQ(Third->Owner(), Application);
    bool Destroyed = false;
    Other->OnDestroy = [&](TObject*) { Destroyed = true; };
    QTimer::singleShot(10, [&] { PostMessage(Main->Handle(), WM_CLOSE); });
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    DoneApplication();
    EXPECT_TRUE(Destroyed);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST(Forms, ClosingTheMainFormEndsRunAndDoneApplicationFreesTheForms) {
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        execl("/proc/self/exe", "test_platform_gui",
              "--gtest_filter=Forms.DISABLED_MainFormRunInItsOwnProcess", "--gtest_also_run_disabled_tests",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int Status = 0;
    for (int Waited = 0; Waited < 2000 && waitpid(Child, &Status, WNOHANG) == 0; ++Waited)
        Sleep(10);
    if (waitpid(Child, &Status, WNOHANG) == 0) {
        kill(Child, SIGKILL);
        waitpid(Child, &Status, 0);
        FAIL() << "the program did not end when its main form closed";
    }
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0);
}

namespace {

// A hint window of its own class that shows nothing for the text "none".
class TMarkedHintWindow : public THintWindow {
    DECLARE_CLASS(TMarkedHintWindow, THintWindow)
public:
    using THintWindow::THintWindow;
    TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData) override {
        return AHint == u"none" ? TRect{} : THintWindow::CalcHintRect(MaxWidth, AHint, AData);
    }
};

// A control without a hint text that runs its own hint pause and gives each half its own hint.
class TOwnHintPanel : public TTestPanel {
public:
    using TTestPanel::TTestPanel;
    std::vector<std::pair<int, bool>> Pauses; // the pause offered, and whether a hint was shown
    String RightText = u"right";

protected:
    void CMHintShowPause(TCMHintShowPause& Message) override {
        Pauses.emplace_back(*Message.Pause(), Message.WasActive());
        Message.Result = 1;
    }
    void CMHintShow(TCMHintShow& Message) override {
        THintInfo& Info = *Message.HintInfo();
        const bool Left = Info.CursorPos.X < 50;
        Info.HintStr = Left ? u"left" : RightText;
        Info.CursorRect = Left ? Rect(0, 0, 50, 100) : Rect(50, 0, 100, 100);
        Info.HintWindowClass = TMarkedHintWindow::StaticClass();
    }
};

} // namespace

TEST_F(TFormFixture, AControlCanRunItsOwnHintPauseAndGiveEachAreaItsOwnHint) {
    auto* Panel = new TOwnHintPanel(Form, Form);
    Panel->SetBounds(0, 0, 100, 100);
    Panel->SetShowHint(true);
    Form->Show();
    auto Shown = [] {
        THintWindow* W = Application->HintWindow();
        return W && W->Visible() ? W->Caption() : String(u"-");
    };

    Application->SetHintPause(0); // the application's own pause would end at once
    TScopeExit Restore([] { Application->SetHintPause(500); });
    SendMouse(Panel, QEvent::MouseMove, {20, 20});
    ASSERT_EQ(Panel->Pauses.size(), 1u);
    EXPECT_EQ(Panel->Pauses[0], std::make_pair(0, false));
    EXPECT_EQ(Application->HintControl(), Panel);
    Application->ProcessMessages(); // the control runs the pause: nothing comes of the application's
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), u"-");

    Application->ActivateHint(Panel);
    EXPECT_EQ(Shown(), u"left");
    EXPECT_TRUE(Application->HintWindow()->InheritsFrom(TMarkedHintWindow::StaticClass()));

    // Inside the area of the shown hint nothing is asked again.
    SendMouse(Panel, QEvent::MouseMove, {30, 40});
    EXPECT_EQ(Panel->Pauses.size(), 1u);
    EXPECT_EQ(Shown(), u"left");

    // Out of it the hint goes and the shorter pause of a hint just shown starts again.
    SendMouse(Panel, QEvent::MouseMove, {70, 40});
    ASSERT_EQ(Panel->Pauses.size(), 2u);
    EXPECT_EQ(Panel->Pauses[1], std::make_pair(Application->HintShortPause(), true));
    EXPECT_EQ(Shown(), u"-");
    Application->ActivateHint(Panel);
    EXPECT_EQ(Shown(), u"right");

    // A window that measures nothing shows nothing.
    Application->CancelHint();
    Panel->RightText = u"none";
    Application->ActivateHint(Panel);
    EXPECT_EQ(Shown(), u"-");
    EXPECT_FALSE(Application->HintActive());
    Application->CancelHint();
}
