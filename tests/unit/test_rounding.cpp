#include "platform/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace kelvo {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double x;
        double rounded;
    };
    const Case cases[] = {
        {0.5, 0},   {1.5, 2},   {2.5, 2},   {3.5, 4},   {-0.5, 0},  {-1.5, -2}, {-2.5, -2},
        {2.4999999999999996, 2}, {2.5000000000000004, 3}, {0.49999999999999994, 0},
        {-0.49999999999999994, 0}, {-0.5000000000000001, -1}, {861.0484672244638, 861},
        {999.5, 1000}, {1000.0, 1000}, {0.0, 0}, {4503599627370497.0, 4503599627370497.0},
        {32767.5, 32768}, {-32768.5, -32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.x), c.rounded) << c.x;
    }
}

TEST(Rounding, IgnoresTheCurrentRoundingMode) {
    // Volatile inputs keep the compiler from folding the calls under the default mode.
    volatile double tie = 2.5;
    volatile double belowTie = 2.25;
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    const double half = RoundHalfEven(tie);
    const double below = RoundHalfEven(belowTie);
    std::fesetround(saved);
    EXPECT_EQ(half, 2);
    EXPECT_EQ(below, 2);
}

TEST(Rounding, NonFiniteValuesPassThrough) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RoundHalfEven(inf), inf);
    EXPECT_EQ(RoundHalfEven(-inf), -inf);
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace kelvo
