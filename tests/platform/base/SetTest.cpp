#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"

#include <gtest/gtest.h>

namespace {

DECLARE_ENUM(tFontStyle, Byte, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using tFontStyles = TSet<tFontStyle>;

// Without DECLARE_ENUM the set spans all 256 ordinals.
enum tWide : Byte { wdFirst };
constexpr tWide Wide(int N) {
    return static_cast<tWide>(N);
}

constexpr tFontStyles BoldItalic{fsBold, fsItalic};
static_assert(BoldItalic.Contains(fsItalic) && !BoldItalic.Contains(fsUnderline));
static_assert(BoldItalic.ToInt() == 3);
static_assert(tFontStyles::FromInt(0xFF).ToInt() == 0xF); // bits beyond the enumeration drop
static_assert(tFontStyles::Capacity == 4 && TSet<tWide>::Capacity == 256);
static_assert(sizeof(tFontStyles) == 8);

} // namespace

TEST(Set, Algebra) {
    const tFontStyles A{fsBold, fsItalic}, B{fsItalic, fsUnderline};
    struct Case {
        tFontStyles Got;
        UInt64 Mask;
    };
    const Case Cases[] = {
        {A + B, 0b0111}, {A - B, 0b0001}, {A * B, 0b0010}, {B - A, 0b0100}, {A * tFontStyles{}, 0},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(C.Got.ToInt(), C.Mask);

    EXPECT_TRUE(tFontStyles{fsItalic} <= A);
    EXPECT_TRUE(A <= A);
    EXPECT_TRUE(tFontStyles{} <= A);
    EXPECT_FALSE(A <= B);
    EXPECT_EQ(A, (tFontStyles{fsItalic, fsBold}));
    EXPECT_NE(A, B);
    EXPECT_TRUE(tFontStyles().Empty());
    EXPECT_FALSE(A.Empty());

    tFontStyles S;
    S.Include(fsStrikeOut).Include(fsBold);
    EXPECT_EQ(S.ToInt(), 0b1001u);
    S.Exclude(fsBold);
    S.Exclude(fsItalic); // not a member: no change
    EXPECT_EQ(S, tFontStyles{fsStrikeOut});
    S += A;
    S -= tFontStyles{fsStrikeOut};
    EXPECT_EQ(S, A);
    S.Include(static_cast<tFontStyle>(9)); // out of range: ignored
    EXPECT_EQ(S, A);
    EXPECT_EQ(tFontStyles::FromInt(0b1010), (tFontStyles{fsItalic, fsStrikeOut}));
}

TEST(Set, AllTwoHundredFiftySixMembers) {
    TSet<tWide> S{Wide(0), Wide(63), Wide(64), Wide(255)};
    EXPECT_TRUE(S.Contains(Wide(64)));
    EXPECT_TRUE(S.Contains(Wide(255)));
    EXPECT_FALSE(S.Contains(Wide(128)));
    TSet<tWide> T{Wide(64), Wide(128)};
    EXPECT_EQ(S * T, TSet<tWide>{Wide(64)});
    EXPECT_EQ(S - T, (TSet<tWide>{Wide(0), Wide(63), Wide(255)}));
    EXPECT_TRUE(TSet<tWide>{Wide(255)} <= S);
    EXPECT_FALSE(T <= S);
    S.Exclude(Wide(255));
    EXPECT_FALSE(S.Contains(Wide(255)));
}
