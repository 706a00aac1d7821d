#include "platform/random_source.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kelvo {
namespace {

// States worked out from state := state x 134775813 + 1 (mod 2^32) with 64-bit arithmetic.
struct SequenceCase {
    std::uint32_t seed;
    std::uint64_t states[5];
};

TEST(RandomSource, SequenceFromSeed) {
    const SequenceCase cases[] = {
        {0, {1, 134775814, 3698175007, 870078620, 1172187917}},
        {12345, {1655067934, 1242767767, 342459380, 2377737157, 2721613530}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        std::uint64_t state = c.seed;
        TRandomSource source;
        source.SetSeed(c.seed);
        for (const std::uint64_t expected : c.states) {
            state = (state * 134775813u + 1u) % 4294967296u;
            ASSERT_EQ(state, expected);  // the table itself agrees with the formula
            EXPECT_EQ(source.Random(), static_cast<double>(expected) / 4294967296.0);
            EXPECT_EQ(source.Seed(), expected);
        }
    }
}

TEST(RandomSource, ValuesStayBelowOne) {
    // 1298181734 x 134775813 + 1 = 2^32 - 1 (mod 2^32): the largest value, still below 1.
    ASSERT_EQ((1298181734ull * 134775813u + 1u) % 4294967296u, 4294967295u);
    TRandomSource source;
    source.SetSeed(1298181734);
    const double largest = source.Random();
    EXPECT_EQ(largest, 4294967295.0 / 4294967296.0);
    EXPECT_LT(largest, 1.0);
}

TEST(RandomSource, RandomizeSeedsWithMillisecondsSinceMidnight) {
    struct Case {
        TTimeOfDay time;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 0},
        {{0, 0, 1, 7}, 1007},
        {{12, 34, 56, 789}, 45296789},
        {{23, 59, 59, 999}, 86399999},
    };
    for (const auto& c : cases) {
        TRandomSource source([&] { return c.time; });
        source.SetSeed(123);
        source.Randomize();
        EXPECT_EQ(source.Seed(), c.seed);
        EXPECT_EQ(TimeOfDaySeed(c.time), c.seed);
    }
}

TEST(RandomSource, SystemTimeOfDayIsAValidTime) {
    const TTimeOfDay now = SystemTimeOfDay();
    EXPECT_GE(now.Hours, 0);
    EXPECT_LT(now.Hours, 24);
    EXPECT_GE(now.Minutes, 0);
    EXPECT_LT(now.Minutes, 60);
    EXPECT_GE(now.Seconds, 0);
    EXPECT_LT(now.Seconds, 60);
    EXPECT_GE(now.Milliseconds, 0);
    EXPECT_LT(now.Milliseconds, 1000);
}

}  // namespace
}  // namespace kelvo
