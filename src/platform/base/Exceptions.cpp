#include "platform/base/Exceptions.h"

#include "platform/base/Strings.h"

#include <cerrno>
#include <cstring>

Exception::Exception(String Msg, int AHelpContext)
    : FMessage(std::move(Msg)), FHelpContext(AHelpContext), FWhat(StringToUtf8(FMessage)) {}

Exception::~Exception() = default;

void Exception::SetMessage(const String& Value) {
    FMessage = Value;
    FWhat = StringToUtf8(Value);
}

void Abort() { throw EAbort(u"Operation aborted"); }

void RaiseLastOSError(int ErrorCode) {
    throw EOSError(u"System Error.  Code: " + IntToStr(ErrorCode) + u".\n" +
                       Utf8ToString(std::strerror(ErrorCode)),
                   ErrorCode);
}

void RaiseLastOSError() { RaiseLastOSError(errno); }

void AssertFailure(const String& Msg, const char* File, int Line) {
    throw EAssertionFailed(Msg + u" (" + Utf8ToString(File) + u", line " + IntToStr(Line) + u")");
}
