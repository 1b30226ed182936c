#pragma once
// The exception hierarchy. Every failure the programs report is an Exception with a message;
// EAbort is the silent one that the application's top level never shows.

#include "platform/base/Types.h"

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(String Msg, int AHelpContext = 0);
    ~Exception() override;

    const String& Message() const { return FMessage; }
    void SetMessage(const String& Value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    // The message in UTF-8, for diagnostics and GoogleTest output.
    const char* what() const noexcept override { return FWhat.c_str(); }
    virtual const char* ClassName() const { return "Exception"; }

private:
    String FMessage;
    int FHelpContext = 0;
    std::string FWhat;
};

#define DECLARE_EXCEPTION(Name, Parent)                                                            \
    class Name : public Parent {                                                                   \
    public:                                                                                        \
        using Parent::Parent;                                                                      \
        const char* ClassName() const override { return #Name; }                                   \
    };

DECLARE_EXCEPTION(EAbort, Exception)
DECLARE_EXCEPTION(EConvertError, Exception)
DECLARE_EXCEPTION(EListError, Exception)
DECLARE_EXCEPTION(EInvalidOperation, Exception)
DECLARE_EXCEPTION(EInvalidPointer, Exception)
DECLARE_EXCEPTION(EInvalidCast, Exception)
DECLARE_EXCEPTION(EStringListError, EListError)
DECLARE_EXCEPTION(EStreamError, Exception)
DECLARE_EXCEPTION(EReadError, EStreamError)
DECLARE_EXCEPTION(EWriteError, EStreamError)
DECLARE_EXCEPTION(EFilerError, EStreamError)
DECLARE_EXCEPTION(EFOpenError, EStreamError)
DECLARE_EXCEPTION(EFCreateError, EStreamError)
DECLARE_EXCEPTION(EEncodingError, Exception)
DECLARE_EXCEPTION(EComponentError, Exception)
DECLARE_EXCEPTION(EThread, Exception)
DECLARE_EXCEPTION(EAssertionFailed, Exception)

class EOSError : public Exception {
public:
    EOSError(String Msg, int AErrorCode) : Exception(std::move(Msg)), FErrorCode(AErrorCode) {}
    const char* ClassName() const override { return "EOSError"; }
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// Raises the silent EAbort ("Operation aborted").
[[noreturn]] void Abort();

// Raises EOSError for an errno value: "System Error.  Code: %d.\n%s".
[[noreturn]] void RaiseLastOSError(int ErrorCode);
[[noreturn]] void RaiseLastOSError();  // from errno

// Raises EAssertionFailed with "<Msg> (<File>, line <Line>)".
[[noreturn]] void AssertFailure(const String& Msg, const char* File, int Line);

#define ASSERT(cond)                                                                               \
    ((cond) ? static_cast<void>(0) : ::AssertFailure(u"Assertion failure", __FILE__, __LINE__))
#define ASSERT_MSG(cond, text) ((cond) ? static_cast<void>(0) : ::AssertFailure((text), __FILE__, __LINE__))
