#pragma once
// A list of handlers fired in the order they were added, through which a highlighter tells
// every editor using it about a change. An optional exception handler decides whether a
// failing handler ends the firing.

#include "platform/base/Exceptions.h"
#include "platform/base/MethodPointer.h"
#include "platform/base/Types.h"

#include <functional>
#include <vector>

class TObject;

DECLARE_EXCEPTION(ECodeMethodChain, Exception)

using TCodeNotifyMethod = TMethodPointer<void(TObject* Sender)>;
// Called for an exception of a handler; leaving DoContinue true goes on with the next one.
using TCodeExceptionEvent = std::function<void(TObject* Sender, Exception& E, bool& DoContinue)>;

class TCodeMethodChain {
public:
    TCodeMethodChain() = default;
    virtual ~TCodeMethodChain() = default;
    TCodeMethodChain(const TCodeMethodChain&) = delete;
    TCodeMethodChain& operator=(const TCodeMethodChain&) = delete;

    // An unassigned event raises ECodeMethodChain.
    void Add(const TCodeNotifyMethod& AEvent);
    // Removes every entry equal to AEvent (same object and method).
    void Remove(const TCodeNotifyMethod& AEvent);
    void Fire();
    int Count() const { return int(FNotifyProcs.size()); }

    TCodeExceptionEvent ExceptionHandler;

protected:
    virtual void InvokeEntry(const TCodeNotifyMethod& AEvent) = 0;
    // Whether firing goes on after E.
    virtual bool DoHandleException(Exception& E);
    virtual const char* ChainClassName() const { return "TCodeMethodChain"; }
    // The Sender the exception handler is given.
    virtual TObject* EventSender() const { return nullptr; }

private:
    std::vector<TCodeNotifyMethod> FNotifyProcs;
};

class TCodeNotifyEventChain : public TCodeMethodChain {
public:
    TCodeNotifyEventChain() = default;
    explicit TCodeNotifyEventChain(TObject* ASender) : FSender(ASender) {}

    TObject* Sender() const { return FSender; }
    void SetSender(TObject* Value) { FSender = Value; }

protected:
    void InvokeEntry(const TCodeNotifyMethod& AEvent) override;
    const char* ChainClassName() const override { return "TCodeNotifyEventChain"; }
    TObject* EventSender() const override { return FSender; }

private:
    TObject* FSender = nullptr;
};
