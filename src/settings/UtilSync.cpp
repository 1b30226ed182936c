#include "settings/UtilSync.h"

#include "platform/base/NamedMutex.h"

namespace {

int Milliseconds(Cardinal TimeOut) {
    return TimeOut == INFINITE ? -1 : static_cast<int>(std::min<Cardinal>(TimeOut, INT32_MAX));
}

} // namespace

TUtilMutex::TUtilMutex(std::unique_ptr<TNamedMutex> AMutex) : FMutex(std::move(AMutex)) {
    FName = FMutex->Name();
    FExisted = FMutex->Existed();
}

TUtilMutex::TUtilMutex(const String& Name, bool InitialOwner) {
    try {
        FMutex = std::make_unique<TNamedMutex>(Name);
    } catch (const EOSError& E) {
        throw EUtilMutexError(u"Failed to create mutex", static_cast<Cardinal>(E.ErrorCode()));
    }
    FName = Name;
    FExisted = FMutex->Existed();
    if (InitialOwner) FMutex->Acquire(-1);
}

TUtilMutex::~TUtilMutex() = default;

std::unique_ptr<TUtilMutex> TUtilMutex::Open(const String& Name) {
    try {
        return std::unique_ptr<TUtilMutex>(
            new TUtilMutex(std::make_unique<TNamedMutex>(Name, TNamedMutex::omOpenExisting)));
    } catch (const EOSError& E) {
        throw EUtilMutexError(u"Failed to open mutex", static_cast<Cardinal>(E.ErrorCode()));
    }
}

bool TUtilMutex::Acquire(Cardinal TimeOut) {
    return FMutex->Acquire(Milliseconds(TimeOut));
}

bool TUtilMutex::Release() {
    return FMutex->Release();
}

TUtilWaitResult TUtilMutex::WaitFor(Cardinal TimeOut) {
    return Acquire(TimeOut) ? wrSignaled : wrTimeout;
}

void TUtilCriticalSection::CreateAndEnter(std::atomic<TUtilCriticalSection*>& Section) {
    if (!Section.load()) {
        auto* New = new TUtilCriticalSection;
        TUtilCriticalSection* Expected = nullptr;
        if (!Section.compare_exchange_strong(Expected, New)) delete New;
    }
    Section.load()->Enter();
}
