#pragma once
// The timer component.

#include "platform/base/Component.h"

#include <memory>

class QTimer;

// Fires OnTimer every Interval milliseconds while Enabled and Interval is above 0, from the
// event loop of the thread that made it (the GUI thread); no window is needed. Intervals under 16 ms run at
// 16 ms, as the system timers do. An exception in OnTimer goes to HandleServiceException and
// the timer goes on.
class TTimer : public TComponent {
    DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    Cardinal Interval() const { return FInterval; }
    // A new interval starts the count again.
    void SetInterval(Cardinal Value);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    bool FEnabled = true;
    Cardinal FInterval = 1000;
    QTimer* FTimer = nullptr;

    void UpdateTimer();

    static void Published(TPublisher<TTimer>& P);
};
