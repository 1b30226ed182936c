#include "editor/MethodChain.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"

void TCodeMethodChain::Add(const TCodeNotifyMethod& AEvent) {
    if (!AEvent)
        throw ECodeMethodChain(Format(u"%s.Entry : the parameter `AEvent' must be specified.",
                                      {Utf8ToString(ChainClassName())}));
    FNotifyProcs.push_back(AEvent);
}

void TCodeMethodChain::Remove(const TCodeNotifyMethod& AEvent) {
    if (!AEvent)
        throw ECodeMethodChain(Format(u"%s.Remove: the parameter `AEvent' must be specified.",
                                      {Utf8ToString(ChainClassName())}));
    for (int I = int(FNotifyProcs.size()) - 1; I >= 0; --I)
        if (FNotifyProcs[I] == AEvent) FNotifyProcs.erase(FNotifyProcs.begin() + I);
}

void TCodeMethodChain::Fire() {
    // By index on the live list: a handler may remove itself or others while the chain fires.
    for (size_t I = 0; I < FNotifyProcs.size(); ++I) {
        const TCodeNotifyMethod Entry = FNotifyProcs[I];
        try {
            InvokeEntry(Entry);
        } catch (Exception& E) {
            if (!DoHandleException(E)) return;
        }
    }
}

bool TCodeMethodChain::DoHandleException(Exception& E) {
    if (!ExceptionHandler) throw;
    bool DoContinue = true;
    try {
        ExceptionHandler(EventSender(), E, DoContinue);
    } catch (...) {
        throw ECodeMethodChain(
            Format(u"%s.DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler",
                   {Utf8ToString(ChainClassName())}));
    }
    return DoContinue;
}

void TCodeNotifyEventChain::InvokeEntry(const TCodeNotifyMethod& AEvent) {
    AEvent(FSender);
}
