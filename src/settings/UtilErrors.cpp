#include "settings/UtilErrors.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <cerrno>
#include <cstring>

namespace {

String SystemErrorText(Cardinal Code) {
    char Buffer[256] = {};
    // The GNU strerror_r returns its text, which need not be in Buffer.
    const char* Text = strerror_r(static_cast<int>(Code), Buffer, sizeof Buffer);
    return Utf8ToString(Text ? Text : "");
}

String Win32Message(Cardinal Code, const String& Msg) {
    return Format(u"Win32 error: %s (%u)%s%s", {SystemErrorText(Code), Code, String(u"\r\n"), Msg});
}

} // namespace

EUtilWin32Error::EUtilWin32Error(const String& Msg) : EUtilWin32Error(Msg, static_cast<Cardinal>(errno)) {}

EUtilWin32Error::EUtilWin32Error(const String& Msg, Cardinal ALastError)
    : EUtilError(Win32Message(ALastError, Msg)), FLastError(ALastError),
      FLastErrorMsg(SystemErrorText(ALastError)) {}
