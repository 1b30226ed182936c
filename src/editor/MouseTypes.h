#pragma once
// STAND-IN FOR THE GUI LAYER: mouse buttons and cursor numbers.
// The GUI layer owns these; until it offers them the editor defines them here with the class
// library's names and values. Replace this header by the GUI layer's when that layer has them.

#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <cstdint>

DECLARE_ENUM(TMouseButton, Byte, mbLeft, mbRight, mbMiddle)

// A cursor: 0 the control's default, negative numbers the standard cursors.
using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHandPoint = -21;
