#pragma once
// How delayed work reaches a tree. A tree sets and stops its numbered timers through a timer
// service; when a timer is due the service hands WM_TIMER with the timer's id to the tree's
// WindowProc. The program uses window timers of the tree's window; tests give the trees a clock
// that they advance by hand, so that no window and no event loop is needed.

#include "platform/base/Types.h"

#include <cstdint>
#include <vector>

class TWinControl;

class TLTTimerService {
public:
    virtual ~TLTTimerService();
    // Starts (or restarts) timer Id of Control to fire every Elapse milliseconds; false when
    // the service cannot run a timer for the control (the caller then does the work at once).
    virtual bool SetTimer(TWinControl* Control, unsigned Id, Cardinal Elapse) = 0;
    virtual void KillTimer(TWinControl* Control, unsigned Id) = 0;
    // The control is going: its timers stop.
    virtual void Forget(TWinControl* Control) = 0;
    // The clock that timed loops (animations, the auto-scroll start delay) read, in
    // milliseconds, and the wait of such a loop until the clock reaches Time.
    virtual UInt64 Now() const = 0;
    virtual void WaitUntil(UInt64 Time) = 0;
};

// Window timers of the control's window. Without a window no timer can run: SetTimer answers
// false and the caller does the work at once.
class TLTWindowTimers : public TLTTimerService {
public:
    bool SetTimer(TWinControl* Control, unsigned Id, Cardinal Elapse) override;
    void KillTimer(TWinControl* Control, unsigned Id) override;
    void Forget(TWinControl* Control) override;
    UInt64 Now() const override;
    void WaitUntil(UInt64 Time) override;
    // The one shared instance that trees use unless they are given another service.
    static TLTWindowTimers& Default();
};

// A clock that only moves when told to. Advance runs every timer that falls due, in time
// order, each as often as its period allows, by sending WM_TIMER to the control.
class TLTManualTimers : public TLTTimerService {
public:
    bool SetTimer(TWinControl* Control, unsigned Id, Cardinal Elapse) override;
    void KillTimer(TWinControl* Control, unsigned Id) override;
    void Forget(TWinControl* Control) override;

    void Advance(Cardinal Milliseconds);
    UInt64 Now() const override { return FNow; }
    // Advances the clock to Time (running the timers that fall due on the way).
    void WaitUntil(UInt64 Time) override;
    bool IsRunning(TWinControl* Control, unsigned Id) const;
    int RunningCount() const { return static_cast<int>(FTimers.size()); }

private:
    struct TTimer {
        TWinControl* Control;
        unsigned Id;
        Cardinal Elapse;
        UInt64 Due;
    };
    std::vector<TTimer> FTimers;
    UInt64 FNow = 0;
};
