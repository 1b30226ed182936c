#include "platform/gui/ExtCtrls.h"

#include "platform/gui/ServiceHooks.h"

#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace {

// The shortest period the system timers keep.
constexpr Cardinal MinimumInterval = 16;

} // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    UpdateTimer();
}

TTimer::~TTimer() {
    if (FTimer) {
        FTimer->stop();
        QObject::disconnect(FTimer, nullptr, nullptr, nullptr);
        FTimer->deleteLater(); // this may run inside its own tick
    }
}

void TTimer::Published(TPublisher<TTimer>& P) {
    P.Property(u"Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    P.Property(u"Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    P.Property(u"OnTimer", &TTimer::OnTimer);
}

void TTimer::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
    if (FInterval == Value) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::Timer() {
    if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
    if (FTimer) FTimer->stop();
    if (!FEnabled || FInterval == 0) return;
    if (!FTimer) {
        FTimer = new QTimer;
        QObject::connect(FTimer, &QTimer::timeout, [this] {
            try {
                Timer();
            } catch (...) {
                HandleServiceException(this);
            }
        });
    }
    FTimer->start(static_cast<int>(std::clamp<Cardinal>(FInterval, MinimumInterval, INT32_MAX)));
}
