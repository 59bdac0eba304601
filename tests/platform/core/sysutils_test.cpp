// Rounding helpers.
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>

using namespace plat;

TEST(SysUtils, MulDivRoundsHalvesAwayFromZero)
{
    struct Case { int a, b, c, r; };
    const Case cases[] = {
        {10, 10, 4, 25},
        {5, 1, 2, 3},     // 2.5 -> 3
        {-5, 1, 2, -3},   // -2.5 -> -3
        {5, -1, 2, -3},
        {5, 1, -2, -3},
        {-5, -1, -2, -3},
        {7, 1, 3, 2},     // 2.33 -> 2
        {8, 1, 3, 3},     // 2.67 -> 3
        {-8, 1, 3, -3},
        {100, 65535, 100, 65535},
        {1, 1, 0, -1},    // zero divisor
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, // 64-bit product
        {INT_MAX, 2, 1, -1},                  // result too large
        {44100 * 4, 250, 1000, 44100},
        {1000, 1, 3, 333},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.r) << c.a << "*" << c.b << "/" << c.c;
}

TEST(SysUtils, RoundGoesToTheEvenNeighbour)
{
    struct Case { double v; int64_t r; };
    const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
                          {2.4999, 2}, {2.5001, 3}, {61.89, 62}, {64.5, 64}, {65.5, 66}, {NAN, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(Round(c.v), c.r) << c.v;
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_DOUBLE_EQ(Int(-2.7), -2);
    EXPECT_NEAR(Frac(-2.7), -0.7, 1e-12);
    EXPECT_NEAR(Frac(2.25), 0.25, 1e-12);
}
