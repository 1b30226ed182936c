#include "platform/base/DateTime.h"

#include <ctime>

namespace {
constexpr double UnixDateDelta = 25569.0;  // 1970-01-01 as a date-time
}

TDateTime UnixTimeToDateTime(Int64 Seconds, long Nanoseconds) {
    std::time_t T = static_cast<std::time_t>(Seconds);
    std::tm Local{};
    localtime_r(&T, &Local);
    Int64 LocalSeconds = Seconds + Local.tm_gmtoff;
    return UnixDateDelta + (static_cast<double>(LocalSeconds) + Nanoseconds / 1e9) / 86400.0;
}
