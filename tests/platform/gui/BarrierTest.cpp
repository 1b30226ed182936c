// The one exception barrier where the toolkit calls our code, and the one message cracker.
#include "support/GuiTestSupport.h"

#include "platform/gui/Barrier.h"

#include <stdexcept>

TEST(Barrier, AnExceptionGoesToTheApplicationWithItsSenderAndTheCallerGoesOn) {
    TComponent Sender(nullptr);
    std::vector<String> Seen;
    std::vector<TObject*> Senders;
    Application->OnException = [&](TObject* S, Exception* E) {
        Seen.push_back(E->Message());
        Senders.push_back(S);
    };
    GuiBarrier(&Sender, [] { throw Exception(u"port vanished"); });
    EXPECT_EQ(GuiBarrier(
                  &Sender, []() -> int { throw std::runtime_error("bad value"); }, -1),
              -1);
    EXPECT_EQ(GuiBarrier(
                  &Sender, [] { return 7; }, -1),
              7);
    GuiBarrier(nullptr, [] { throw EAbort(u"silent"); });
    // A handler that fails itself stops there too.
    Application->OnException = [](TObject*, Exception*) { throw Exception(u"handler failed"); };
    testing::internal::CaptureStderr();
    EXPECT_TRUE(GuiBarrier(
        &Sender, []() -> bool { throw Exception(u"again"); }, true));
    const std::string Err = testing::internal::GetCapturedStderr();
    Application->OnException = nullptr;
    EXPECT_EQ(Seen, (std::vector<String>{u"port vanished", u"bad value"}));
    EXPECT_EQ(Senders, (std::vector<TObject*>{&Sender, &Sender}));
    EXPECT_NE(Err.find("handler failed"), std::string::npos) << Err;
}

TEST(Barrier, WithoutAnApplicationObjectTheMessageGoesToStandardError) {
    TApplication* Saved = Application;
    Application = nullptr;
    testing::internal::CaptureStderr();
    GuiBarrier(nullptr, [] { throw Exception(u"port vanished"); });
    GuiBarrier(nullptr, [] { throw EAbort(u"quiet"); });
    const bool Result = GuiBarrier(
        nullptr, []() -> bool { throw 42; }, false);
    const std::string Err = testing::internal::GetCapturedStderr();
    Application = Saved;
    EXPECT_FALSE(Result);
    EXPECT_NE(Err.find("port vanished"), std::string::npos) << Err;
    EXPECT_EQ(Err.find("quiet"), std::string::npos) << Err;
    EXPECT_NE(Err.find("unknown exception"), std::string::npos) << Err;
}

TEST(Barrier, AnExceptionInAToolkitEventReachesTheApplicationAndTheWindowLivesOn) {
    struct TFailingPanel : TTestPanel {
        using TTestPanel::TTestPanel;
        void MouseDown(TMouseButton, TShiftState, int, int) override { throw Exception(u"press failed"); }
    };
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 200);
    auto* Panel = new TFailingPanel(&Form, &Form);
    Form.Show();
    std::vector<std::pair<String, TObject*>> Seen;
    Application->OnException = [&](TObject* S, Exception* E) { Seen.emplace_back(E->Message(), S); };
    QWidget* W = WidgetOfHandle(Panel->Handle());
    ASSERT_NE(W, nullptr);
    QMouseEvent Press(QEvent::MouseButtonPress, QPointF(5, 5), W->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(QApplication::sendEvent(W, &Press)); // taken: the toolkit does not act on it too
    Application->OnException = nullptr;
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0].first, u"press failed");
    EXPECT_EQ(Seen[0].second, Panel);
    EXPECT_TRUE(IsWindow(Panel->Handle()));
}

TEST(Barrier, AControlThatFreesItselfInItsFailingHandlerIsReportedAsNoSender) {
    struct TSelfFreeingPanel : TTestPanel {
        using TTestPanel::TTestPanel;
        void WndProc(TMessage& Message) override {
            if (Message.Msg != WM_USER + 1) return TTestPanel::WndProc(Message);
            delete this;
            throw Exception(u"gone while failing");
        }
    };
    TForm Form(nullptr);
    auto* Panel = new TSelfFreeingPanel(&Form, &Form);
    Form.Show();
    const HWND Wnd = Panel->Handle();
    std::vector<std::pair<String, TObject*>> Seen;
    Application->OnException = [&](TObject* S, Exception* E) { Seen.emplace_back(E->Message(), S); };
    PostMessage(Wnd, WM_USER + 1, 0, 0);
    Application->ProcessMessages();
    Application->OnException = nullptr;
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0].first, u"gone while failing");
    EXPECT_EQ(Seen[0].second, nullptr);
    EXPECT_FALSE(IsWindow(Wnd));
}

namespace {

// A control above the layer cracks its own messages with the base's routine.
class TCrackingPanel : public TTestPanel {
public:
    using TTestPanel::TTestPanel;
    Word SeenCode = 0;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CN_COMMAND) return Crack(Message, this, &TCrackingPanel::CNCommand);
        TTestPanel::Dispatch(Message);
    }
    void CNCommand(TWMCommand& Message) {
        SeenCode = Message.NotifyCode();
        Message.Result = 42;
    }
};

} // namespace

TEST(Barrier, CrackHandsTheTypedRecordToTheHandlerAndTakesItsResultBack) {
    TCrackingPanel Panel(nullptr);
    EXPECT_EQ(Panel.Perform(CN_COMMAND, MAKEWPARAM(3, 7), 0), 42);
    EXPECT_EQ(Panel.SeenCode, 7);
    EXPECT_EQ(Panel.Perform(WM_USER, 0, 0), 0); // others go on as before
}
