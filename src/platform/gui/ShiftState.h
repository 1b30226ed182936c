#pragma once
// The modifier state of a key or mouse event, with the bit order files store (ssShift is bit 0).

#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"

DECLARE_ENUM(TShiftStateItem, Byte, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch,
             ssPen, ssCommand, ssHorizontal)
using TShiftState = TSet<TShiftStateItem>;
