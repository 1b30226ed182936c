#pragma once
// Globally unique identifiers in the layout of the platform the programs come from.

#include "platform/base/Types.h"

struct TGUID {
    Cardinal D1 = 0;
    Word D2 = 0;
    Word D3 = 0;
    Byte D4[8] = {};
    friend bool operator==(const TGUID&, const TGUID&) = default;
};
