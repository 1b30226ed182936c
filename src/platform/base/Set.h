#pragma once
// TSet<E>: a set of the values of a plain enumeration (ordinals 0..255), a value type like the
// class library's sets. Bit n stands for ordinal n, so a small set converts to and from the
// integer mask that files and messages store.

#include "platform/base/Types.h"

#include <initializer_list>
#include <type_traits>

namespace SetDetail {

// The number of values of E: enumerations declared with DECLARE_ENUM say it; others get the
// full 256.
template <class E> constexpr int Capacity() {
    if constexpr (requires { EnumCountOf(static_cast<E*>(nullptr)); })
        return EnumCountOf(static_cast<E*>(nullptr));
    else
        return 256;
}

} // namespace SetDetail

template <class E> class TSet {
    static_assert(std::is_enum_v<E>, "TSet holds values of an enumeration");

public:
    using Element = E;
    // Ordinals 0 .. Capacity - 1 can be members.
    static constexpr int Capacity = SetDetail::Capacity<E>();
    static_assert(Capacity >= 1 && Capacity <= 256, "a set holds at most 256 values");

    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Items) {
        for (E Item : Items)
            Include(Item);
    }

    constexpr bool Contains(E Value) const {
        const int N = Ordinal(Value);
        return N >= 0 && N < Capacity && (FWords[N / 64] >> (N % 64)) & 1;
    }
    // Values outside the enumeration's range are ignored rather than written out of bounds.
    constexpr TSet& Include(E Value) {
        const int N = Ordinal(Value);
        if (N >= 0 && N < Capacity) FWords[N / 64] |= UInt64(1) << (N % 64);
        return *this;
    }
    constexpr TSet& Exclude(E Value) {
        const int N = Ordinal(Value);
        if (N >= 0 && N < Capacity) FWords[N / 64] &= ~(UInt64(1) << (N % 64));
        return *this;
    }
    constexpr bool Empty() const {
        for (UInt64 W : FWords)
            if (W) return false;
        return true;
    }

    constexpr TSet operator+(const TSet& Other) const {
        return Combine(Other, [](UInt64 A, UInt64 B) { return A | B; });
    }
    constexpr TSet operator-(const TSet& Other) const {
        return Combine(Other, [](UInt64 A, UInt64 B) { return A & ~B; });
    }
    constexpr TSet operator*(const TSet& Other) const {
        return Combine(Other, [](UInt64 A, UInt64 B) { return A & B; });
    }
    constexpr TSet& operator+=(const TSet& Other) { return *this = *this + Other; }
    constexpr TSet& operator-=(const TSet& Other) { return *this = *this - Other; }
    constexpr TSet& operator*=(const TSet& Other) { return *this = *this * Other; }
    constexpr bool operator==(const TSet& Other) const = default;
    // Subset: every member of this set is a member of Other.
    constexpr bool operator<=(const TSet& Other) const { return (*this - Other).Empty(); }

    // The integer mask of a set of at most 64 values.
    constexpr UInt64 ToInt() const requires(Capacity <= 64) { return FWords[0]; }
    static constexpr TSet FromInt(UInt64 Mask) requires(Capacity <= 64) {
        TSet S;
        S.FWords[0] = Capacity == 64 ? Mask : Mask & ((UInt64(1) << Capacity) - 1);
        return S;
    }

private:
    static constexpr int WordCount = (Capacity + 63) / 64;
    UInt64 FWords[WordCount] = {};

    static constexpr int Ordinal(E Value) {
        return static_cast<int>(static_cast<std::underlying_type_t<E>>(Value));
    }

    template <class Op> constexpr TSet Combine(const TSet& Other, Op F) const {
        TSet R;
        for (int I = 0; I < WordCount; ++I)
            R.FWords[I] = F(FWords[I], Other.FWords[I]);
        return R;
    }
};

template <class T> inline constexpr bool IsTSet = false;
template <class E> inline constexpr bool IsTSet<TSet<E>> = true;
