#include "tree/LeanTreeTimers.h"

#include "platform/gui/Controls.h"
#include "platform/base/Threads.h"
#include "platform/gui/Messages.h"

#include <algorithm>
#include <thread>

TLTTimerService::~TLTTimerService() = default;

// ---- Window timers ------------------------------------------------------------------------

bool TLTWindowTimers::SetTimer(TWinControl* Control, unsigned Id, Cardinal Elapse) {
    if (!Control->HandleAllocated()) return false;
    return ::SetTimer(Control->WindowHandle(), Id, Elapse) != 0;
}

void TLTWindowTimers::KillTimer(TWinControl* Control, unsigned Id) {
    if (Control->HandleAllocated()) ::KillTimer(Control->WindowHandle(), Id);
}

void TLTWindowTimers::Forget(TWinControl*) {
    // The window's timers end with the window.
}

UInt64 TLTWindowTimers::Now() const {
    return GetTickCount64();
}

void TLTWindowTimers::WaitUntil(UInt64 Time) {
    // Timed loops run on the GUI thread and wait for a few milliseconds at most.
    while (GetTickCount64() < Time)
        std::this_thread::yield();
}

TLTWindowTimers& TLTWindowTimers::Default() {
    static TLTWindowTimers Instance;
    return Instance;
}

// ---- Manual clock -------------------------------------------------------------------------

bool TLTManualTimers::SetTimer(TWinControl* Control, unsigned Id, Cardinal Elapse) {
    const Cardinal Period = std::max<Cardinal>(Elapse, 1);
    for (TTimer& T : FTimers)
        if (T.Control == Control && T.Id == Id) {
            T.Elapse = Period;
            T.Due = FNow + Period;
            return true;
        }
    FTimers.push_back({Control, Id, Period, FNow + Period});
    return true;
}

void TLTManualTimers::KillTimer(TWinControl* Control, unsigned Id) {
    std::erase_if(FTimers, [&](const TTimer& T) { return T.Control == Control && T.Id == Id; });
}

void TLTManualTimers::Forget(TWinControl* Control) {
    std::erase_if(FTimers, [&](const TTimer& T) { return T.Control == Control; });
}

bool TLTManualTimers::IsRunning(TWinControl* Control, unsigned Id) const {
    return std::any_of(FTimers.begin(), FTimers.end(),
                       [&](const TTimer& T) { return T.Control == Control && T.Id == Id; });
}

void TLTManualTimers::WaitUntil(UInt64 Time) {
    if (Time > FNow) Advance(static_cast<Cardinal>(Time - FNow));
}

void TLTManualTimers::Advance(Cardinal Milliseconds) {
    const UInt64 End = FNow + Milliseconds;
    for (;;) {
        // The earliest due timer; a handler may set or kill timers, so look again each time.
        auto Next = std::min_element(FTimers.begin(), FTimers.end(),
                                     [](const TTimer& A, const TTimer& B) { return A.Due < B.Due; });
        if (Next == FTimers.end() || Next->Due > End) break;
        FNow = Next->Due;
        Next->Due += Next->Elapse;
        TWinControl* Control = Next->Control;
        const unsigned Id = Next->Id;
        Control->Perform(WM_TIMER, Id, 0);
    }
    FNow = End;
}
