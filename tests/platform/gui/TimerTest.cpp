#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ServiceHooks.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <gtest/gtest.h>

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
    SetServiceExceptionHandler([&](TObject* Sender) {
        try {
            throw;
        } catch (const Exception& E) {
            Handled.push_back(E.Message());
            EXPECT_NE(Sender, nullptr);
        }
    });
    TTimer Timer(nullptr);
    Timer.SetInterval(16);
    int Ticks = 0;
    Timer.OnTimer = [&](TObject*) {
        if (++Ticks == 1) throw Exception(u"port vanished");
    };
    const bool Done = RunUntil([&] { return Ticks >= 3; });
    SetServiceExceptionHandler(nullptr);
    ASSERT_TRUE(Done);
    EXPECT_EQ(Handled, std::vector<String>{u"port vanished"});
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
