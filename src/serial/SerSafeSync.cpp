#include "serial/SerSafeSync.h"

#include "platform/gui/Barrier.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct TSerSyncSlot {
    bool Enabled = false;
    TSerSyncMethod Method;
    Cardinal Id = 0;
    // Calls sent and not yet taken up by the GUI thread: number -> parameter. The GUI thread
    // takes a call out when it starts it; a sender that finds its call still here after its
    // send has withdrawn it.
    std::map<UInt64, UInt64> Pending;
};

struct TSyncModule {
    std::mutex Lock;
    bool Initialized = false;
    HWND Window = 0;
    std::unique_ptr<std::array<TSerSyncSlot, SerSyncSlotCount>> Slots;
    Cardinal LastId = 0;
    UInt64 LastCall = 0;

    TSerSyncSlot* Find(Cardinal Id, int* Index = nullptr) {
        if (!Initialized || !Slots || Id == 0) return nullptr;
        for (int I = 0; I < SerSyncSlotCount; ++I)
            if ((*Slots)[static_cast<std::size_t>(I)].Id == Id) {
                if (Index) *Index = I + 1;
                return &(*Slots)[static_cast<std::size_t>(I)];
            }
        return nullptr;
    }
};

TSyncModule& Module() {
    static TSyncModule M;
    return M;
}

void TearDown() {
    TSyncModule& M = Module();
    HWND Wnd;
    {
        std::lock_guard<std::mutex> Guard(M.Lock);
        if (!M.Initialized) return;
        M.Initialized = false;
        Wnd = M.Window;
        M.Window = 0;
        M.Slots.reset();
    }
    DeallocateHWnd(Wnd);
}

void CallSlot(UInt64 Call, Cardinal Id) {
    TSyncModule& M = Module();
    TSerSyncMethod Method;
    int Index = 0;
    UInt64 Param = 0;
    {
        std::lock_guard<std::mutex> Guard(M.Lock);
        TSerSyncSlot* Slot = M.Find(Id, &Index);
        if (!Slot) return;
        auto It = Slot->Pending.find(Call);
        if (It == Slot->Pending.end()) return; // withdrawn by its sender
        Param = It->second;
        Slot->Pending.erase(It);
        if (!Slot->Enabled || !Slot->Method) return;
        Method = Slot->Method;
    }
    // Never under the table lock: the method may register, enable or call slots itself.
    GuiBarrier(nullptr, [&] { Method(Index, Param); });
}

void SyncWndProc(TMessage& Message) {
    switch (Message.Msg) {
    case SERSYNC_CALLPROC:
        if (Message.WParam) {
            auto Proc = reinterpret_cast<TSerSyncProc>(Message.WParam);
            GuiBarrier(nullptr, [&] { Proc(reinterpret_cast<void*>(Message.LParam)); });
        }
        break;
    case SERSYNC_CALLSLOT:
        CallSlot(static_cast<UInt64>(Message.WParam), static_cast<Cardinal>(Message.LParam));
        break;
    case SERSYNC_DESTROY:
        TearDown();
        break;
    default:
        return;
    }
    Message.Result = 0;
}

} // namespace

Cardinal SerRegisterSyncSlot(const TSerSyncMethod& Method) {
    TSyncModule& M = Module();
    std::lock_guard<std::mutex> Guard(M.Lock);
    if (!M.Initialized) {
        M.Window = AllocateHWnd(SyncWndProc);
        M.Slots = std::make_unique<std::array<TSerSyncSlot, SerSyncSlotCount>>();
        M.Initialized = M.Window != 0;
        if (!M.Initialized) return 0;
    }
    for (TSerSyncSlot& Slot : *M.Slots) {
        if (Slot.Method) continue;
        if (++M.LastId == 0) ++M.LastId;
        Slot.Enabled = false;
        Slot.Method = Method;
        Slot.Id = M.LastId;
        Slot.Pending.clear();
        return Slot.Id;
    }
    return 0;
}

bool SerUnregisterSyncSlot(Cardinal Id) {
    TSyncModule& M = Module();
    std::lock_guard<std::mutex> Guard(M.Lock);
    TSerSyncSlot* Slot = M.Find(Id);
    if (!Slot) return false;
    *Slot = TSerSyncSlot();
    return true;
}

bool SerEnableSyncSlot(Cardinal Id, bool Enabled) {
    TSyncModule& M = Module();
    std::lock_guard<std::mutex> Guard(M.Lock);
    TSerSyncSlot* Slot = M.Find(Id);
    if (!Slot || !Slot->Method) return false;
    Slot->Enabled = Enabled;
    return true;
}

bool SerCallSyncSlot(Cardinal Id, Cardinal Timeout, UInt64 Param) {
    TSyncModule& M = Module();
    HWND Wnd;
    UInt64 Call;
    TSerSyncSlot* Slot;
    {
        std::lock_guard<std::mutex> Guard(M.Lock);
        Slot = M.Find(Id);
        if (!Slot || !Slot->Method || !Slot->Enabled) return false;
        Call = ++M.LastCall;
        Slot->Pending[Call] = Param;
        Wnd = M.Window;
    }
    SendMessageTimeout(Wnd, SERSYNC_CALLSLOT, static_cast<WPARAM>(Call), static_cast<LPARAM>(Id),
                       SMTO_BLOCK | SMTO_ABORTIFHUNG, Timeout);
    std::lock_guard<std::mutex> Guard(M.Lock);
    // The same table entry, still holding the same slot.
    TSerSyncSlot* Now = M.Find(Id);
    if (Now != Slot) return false;
    if (Now->Pending.erase(Call) != 0) return false; // timed out before it started: withdrawn
    return Now->Method && Now->Enabled;
}

HWND SerSyncWindow() {
    TSyncModule& M = Module();
    std::lock_guard<std::mutex> Guard(M.Lock);
    return M.Initialized ? M.Window : 0;
}
