#include "keying/timing.h"

#include "platform/convert.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

struct TimingCase {
    const char* name;
    double code, chars;
    double dit, charGap, wordGap;  // seconds
};

class TimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(TimingTest, MatchesTheWorkedFigures) {
    const auto& c = GetParam();
    const KeyingTiming t = ComputeTiming(c.code, c.chars);
    EXPECT_NEAR(t.DitTime, c.dit, 5e-7);
    EXPECT_NEAR(t.CharGap, c.charGap, 5e-7);
    EXPECT_NEAR(t.WordGap, c.wordGap, 5e-7);
}

// Farnsworth figures written out from S = 50 x chars / code - 31 in units of the character dit.
INSTANTIATE_TEST_SUITE_P(Examples, TimingTest, ::testing::Values(
    TimingCase{"startup_5_of_14", 5, 14, 0.0857143, 1.389474, 0.577444},
    TimingCase{"equal_14", 14, 14, 1.2 / 14, 2.4 / 14, 2.4 / 14},
    TimingCase{"code_above_chars", 20, 12, 0.06, 0.12, 0.12},
    TimingCase{"12_of_13", 12, 13, 1.2 / 13, (23.1666667 * 3 / 19 - 1) * 1.2 / 13,
               (23.1666667 * 7 / 19 - 2 * (23.1666667 * 3 / 19 - 1) - 1) * 1.2 / 13},
    TimingCase{"3_of_35", 3, 35, 1.2 / 35, (552.333333 * 3 / 19 - 1) * 1.2 / 35,
               (552.333333 * 7 / 19 - 2 * (552.333333 * 3 / 19 - 1) - 1) * 1.2 / 35}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Timing, SpacesAddUpToTheStandardWord) {
    struct { double code, chars, letterDits, wordDits; } cases[] = {
        {5, 14, 109.0 * 3 / 19, 109.0 * 7 / 19},  // start-up: 1.475188 s and 3.442105 s
        {12, 13, 3.6579, 8.5351},
        {12, 12, 3, 7},
    };
    for (const auto& c : cases) {
        const KeyingTiming t = ComputeTiming(c.code, c.chars);
        const double dits = 1 / t.DitTime;
        EXPECT_NEAR((t.DitTime + t.CharGap) * dits, c.letterDits, 1e-4);
        EXPECT_NEAR((t.DitTime + 2 * t.CharGap + t.WordGap) * dits, c.wordDits, 1e-4);
        // PARIS and its word space: 36 dits of elements and silences, 6 character gaps, 1 word gap.
        EXPECT_NEAR(36 * t.DitTime + 6 * t.CharGap + t.WordGap, 60 / c.code, 1e-9);
    }
}

TEST(Timing, ASpeedOfZeroIsADivisionByZero) {
    struct { double code, chars; } cases[] = {
        {0, 14},
        {-5, 0},  // the Farnsworth branch: an infinite dit would never end
    };
    for (const auto& c : cases) {
        try {
            ComputeTiming(c.code, c.chars);
            ADD_FAILURE() << "no error for " << c.code << " of " << c.chars;
        } catch (const EMathError& e) {
            EXPECT_STREQ(e.what(), "Floating point division by zero");
        }
    }
}

}  // namespace
}  // namespace kelvo
