#pragma once
// Thread priorities as components store them. Threads of ordinary users cannot be raised above
// the normal priority here, so the values are kept and reported, not applied.

#include "platform/base/TypeInfo.h"

DECLARE_ENUM(TThreadPriority, Byte, tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical)
