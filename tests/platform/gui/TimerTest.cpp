#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Runs the event loop until Done says so or a generous deadline passes.
bool RunUntil(const std::function<bool()>& Done) {
    QDeadlineTimer Deadline(10000);
    while (!Done() && !Deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return Done();
}

} // namespace

TEST(Timer, FiresInTheEventLoopUntilDisabled) {
    TTimer Timer(nullptr);
    EXPECT_TRUE(Timer.Enabled());
    EXPECT_EQ(Timer.Interval(), 1000u);
    int Ticks = 0;
    Timer.SetInterval(1); // runs at 16 ms
    Timer.OnTimer = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &Timer);
        if (++Ticks == 3) Timer.SetEnabled(false);
    };
    ASSERT_TRUE(RunUntil([&] { return Ticks >= 3; }));
    // Disabled, it stays quiet while other work goes on.
    TTimer Probe(nullptr);
    Probe.SetInterval(20);
    int ProbeTicks = 0;
    Probe.OnTimer = [&](TObject*) { ++ProbeTicks; };
    ASSERT_TRUE(RunUntil([&] { return ProbeTicks >= 5; }));
    EXPECT_EQ(Ticks, 3);
    // Interval 0 keeps it stopped too.
    Timer.SetInterval(0);
    Timer.SetEnabled(true);
    ProbeTicks = 0;
    ASSERT_TRUE(RunUntil([&] { return ProbeTicks >= 5; }));
    EXPECT_EQ(Ticks, 3);
}

TEST(Timer, AnExceptionGoesToTheHandlerAndTheTimerGoesOn) {
    std::vector<String> Handled;
    TTimer Timer(nullptr);
    Application->OnException = [&](TObject* Sender, Exception* E) {
        Handled.push_back(E->Message());
        EXPECT_EQ(Sender, &Timer);
    };
    Timer.SetInterval(16);
    int Ticks = 0;
    Timer.OnTimer = [&](TObject*) {
        if (++Ticks == 1) throw Exception(u"port vanished");
    };
    const bool Done = RunUntil([&] { return Ticks >= 3; });
    Application->OnException = nullptr;
    ASSERT_TRUE(Done);
    EXPECT_EQ(Handled, std::vector<String>{u"port vanished"});
}

TEST(Timer, TicksAreWindowTimerMessagesThatTheApplicationSeesFirst) {
    TTimer Timer(nullptr);
    Timer.SetInterval(16);
    int Ticks = 0, Seen = 0;
    std::vector<HWND> Windows;
    Timer.OnTimer = [&](TObject*) { ++Ticks; };
    Application->OnMessage = [&](TMsg& M, bool& Handled) {
        if (M.message != WM_TIMER) return;
        Windows.push_back(M.hwnd);
        Handled = ++Seen > 2; // from the third tick on, the application keeps them
    };
    const bool Done = RunUntil([&] { return Seen >= 5; });
    Application->OnMessage = nullptr;
    ASSERT_TRUE(Done);
    EXPECT_EQ(Ticks, 2);
    // A hidden window of the timer's own.
    ASSERT_FALSE(Windows.empty());
    EXPECT_TRUE(IsWindow(Windows[0]));
    EXPECT_EQ(FindControl(Windows[0]), nullptr);
    EXPECT_EQ(std::count(Windows.begin(), Windows.end(), Windows[0]), std::ptrdiff_t(Windows.size()));
}

TEST(Timer, ATimerMayFreeItselfInItsHandler) {
    TComponent Owner(nullptr);
    auto* Timer = new TTimer(&Owner);
    Timer->SetInterval(16);
    bool Fired = false;
    Timer->OnTimer = [&](TObject* Sender) {
        Fired = true;
        delete static_cast<TTimer*>(Sender);
    };
    ASSERT_TRUE(RunUntil([&] { return Fired; }));
    EXPECT_EQ(Owner.ComponentCount(), 0);
    // Nothing fires afterwards.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}
