#pragma once
// The exception classes of the settings and support library.

#include "platform/base/Exceptions.h"
#include "platform/base/Types.h"

DECLARE_EXCEPTION(EUtilError, Exception)
DECLARE_EXCEPTION(EUtilInternalError, EUtilError)
DECLARE_EXCEPTION(EUtilFileVersionInfoError, EUtilError)
DECLARE_EXCEPTION(EUtilStringError, EUtilError)
DECLARE_EXCEPTION(EUtilRTTIError, EUtilError)

// A failed system call: the system's error code (errno here) and its text, then the caller's
// text: "Win32 error: <text> (<code>)" CR LF "<caller's text>".
class EUtilWin32Error : public EUtilError {
public:
    // The code is taken from errno unless given.
    explicit EUtilWin32Error(const String& Msg);
    EUtilWin32Error(const String& Msg, Cardinal ALastError);
    const char* ClassName() const override { return "EUtilWin32Error"; }

    Cardinal LastError() const { return FLastError; }
    const String& LastErrorMsg() const { return FLastErrorMsg; }

private:
    Cardinal FLastError;
    String FLastErrorMsg;
};

class EUtilMutexError : public EUtilWin32Error {
public:
    using EUtilWin32Error::EUtilWin32Error;
    const char* ClassName() const override { return "EUtilMutexError"; }
};

// The base of the components' own exceptions (the settings stores raise EKitAppStorageError).
DECLARE_EXCEPTION(EKitException, Exception)
