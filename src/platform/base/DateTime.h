#pragma once
// Date-times: days since 1899-12-30 with the time of day as the fraction.

#include "platform/base/Types.h"

// A POSIX time (seconds and nanoseconds since the epoch, UTC) as a local date-time.
TDateTime UnixTimeToDateTime(Int64 Seconds, long Nanoseconds = 0);
