#include "platform/base/Geometry.h"
#include "platform/base/Math.h"

#include <gtest/gtest.h>

TEST(Geometry, RectanglesHaveExclusiveRightAndBottom) {
    TRect R = Rect(0, 0, 10, 5);
    EXPECT_EQ(R.Width(), 10);
    EXPECT_TRUE(PtInRect(R, Point(9, 4)));
    EXPECT_FALSE(PtInRect(R, Point(10, 4)));
    EXPECT_FALSE(PtInRect(R, Point(9, 5)));
    EXPECT_EQ(Bounds(2, 3, 4, 5), Rect(2, 3, 6, 8));
}

TEST(Geometry, IntersectAndUnion) {
    TRect D;
    EXPECT_TRUE(IntersectRect(D, Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)));
    EXPECT_EQ(D, Rect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(D, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));  // touching only
    EXPECT_EQ(D, TRect{});
    EXPECT_TRUE(UnionRect(D, Rect(0, 0, 0, 0), Rect(1, 1, 2, 2)));
    EXPECT_EQ(D, Rect(1, 1, 2, 2));
    EXPECT_TRUE(UnionRect(D, Rect(0, 0, 1, 1), Rect(5, 5, 6, 6)));
    EXPECT_EQ(D, Rect(0, 0, 6, 6));
    TRect R = Rect(1, 1, 3, 3);
    InflateRect(R, 1, 2);
    OffsetRect(R, 10, 0);
    EXPECT_EQ(R, Rect(10, -1, 14, 5));
}

TEST(Math, RoundHalvesToEvenAndMulDivLikeTheSystem) {
    const struct {
        double In;
        long Out;
    } Rounds[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.6, 3}, {-2.4, -2}};
    for (auto C : Rounds)
        EXPECT_EQ(Round(C.In), C.Out) << C.In;
    const struct {
        int N, Num, Den, Out;
    } Muls[] = {{10, 1, 3, 3}, {10, 1, 4, 3}, {-10, 1, 4, -3}, {10, -1, 4, -3}, {5, 1, 2, 3}, {7, 1, 0, -1}};
    for (auto C : Muls)
        EXPECT_EQ(MulDiv(C.N, C.Num, C.Den), C.Out) << C.N << "*" << C.Num << "/" << C.Den;
    EXPECT_EQ(MulDiv(1000000, 1000000, 1000000), 1000000);  // 64-bit intermediate
}
