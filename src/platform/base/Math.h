#pragma once
// Number routines with the semantics the component code was written against.

#include <cmath>
#include <cstdint>

// Rounds halves to the even neighbour (2.5 -> 2, 3.5 -> 4), as the class library's Round does.
inline std::int64_t Round(double Value) { return static_cast<std::int64_t>(std::nearbyint(Value)); }

// Number * Numerator / Denominator with a 64-bit intermediate, rounded half away from zero;
// -1 when Denominator is 0, as the system call answers.
inline int MulDiv(int Number, int Numerator, int Denominator) {
    if (Denominator == 0)
        return -1;
    std::int64_t P = static_cast<std::int64_t>(Number) * Numerator;
    bool Negative = (P < 0) != (Denominator < 0);
    std::int64_t A = P < 0 ? -P : P;
    std::int64_t D = Denominator < 0 ? -static_cast<std::int64_t>(Denominator) : Denominator;
    std::int64_t Q = (A + D / 2) / D;
    return static_cast<int>(Negative ? -Q : Q);
}
