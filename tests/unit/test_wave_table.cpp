#include "keying/wave_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kelvo {
namespace {

double LargestMagnitude(const TWaveTable& table) {
    double most = 0;
    for (const double v : table) most = std::max(most, std::fabs(v));
    return most;
}

TEST(WaveTable, StartupTableIsFundamentalPlusThirdHarmonicToTheLastBit) {
    const TWaveTable table = StartupWaveTable();
    for (int j = 0; j < 1024; ++j) {
        const double x = j;
        const double expected = std::sin(x * 6.283185308 / 1024) + std::sin(x * 18.849555924 / 1024) / 3;
        ASSERT_EQ(table[j], expected) << "entry " << j;
    }
    EXPECT_EQ(table[0], 0.0);
    EXPECT_NEAR(table[256], 1 - 1.0 / 3, 1e-8);  // a quarter cycle: sin(pi/2) + sin(3 pi/2) / 3
    EXPECT_NEAR(LargestMagnitude(table), 0.943, 5e-4);
}

TEST(WaveTable, RebuiltTableSumsOddHarmonicsToTheLastBit) {
    for (const int harmonics : {0, 1, 2, 3}) {
        const TWaveTable table = BuildWaveTable(harmonics, false);
        for (int j = 0; j < 1024; ++j) {
            double expected = 0;
            for (int k = 0; k <= harmonics; ++k) {
                const double c = 2 * k + 1;
                expected = expected + std::sin(j * 6.283185308 * c / 1024) / c;
            }
            ASSERT_EQ(table[j], expected) << "harmonics " << harmonics << ", entry " << j;
        }
    }
}

TEST(WaveTable, RebuiltTableFigures) {
    struct Case {
        int harmonics;
        double entry256;  // a quarter cycle: 1 - 1/3 + 1/5 - 1/7 ...
        double largest;
    };
    for (const Case& c : {Case{0, 1.0, 1.0}, Case{1, 1 - 1.0 / 3, 0.943}, Case{2, 1 - 1.0 / 3 + 1.0 / 5, 0.933},
                          Case{3, 1 - 1.0 / 3 + 1.0 / 5 - 1.0 / 7, 0.930}}) {
        SCOPED_TRACE(c.harmonics);
        const TWaveTable table = BuildWaveTable(c.harmonics, false);
        EXPECT_EQ(table[0], 0.0);
        EXPECT_LT(table[512], 0.0);  // the angle step lies just above 2 pi / 1024
        EXPECT_NEAR(table[256], c.entry256, 1e-8);
        EXPECT_NEAR(LargestMagnitude(table), c.largest, 5e-4);
    }
    EXPECT_NEAR(BuildWaveTable(3, false)[256], 0.7238, 1e-4);
    // The start-up waveform is the one of one harmonic.
    const TWaveTable startup = StartupWaveTable();
    const TWaveTable rebuilt = BuildWaveTable(1, false);
    for (int j = 0; j < 1024; ++j) ASSERT_NEAR(rebuilt[j], startup[j], 1e-12) << j;
}

TEST(WaveTable, SquareWaveIsZeroThenPlusOneThenMinusOneForEveryHarmonicCount) {
    for (const int harmonics : {0, 1, 2, 3}) {
        SCOPED_TRACE(harmonics);
        const TWaveTable table = BuildWaveTable(harmonics, true);
        EXPECT_EQ(table[0], 0.0);
        for (int j = 1; j < 512; ++j) ASSERT_EQ(table[j], 1.0) << j;
        for (int j = 512; j < 1024; ++j) ASSERT_EQ(table[j], -1.0) << j;
    }
}

TEST(WaveTable, NegativeHarmonicCountIsSilence) {
    for (const bool square : {false, true}) {
        for (const int harmonics : {-1, -7, INT32_MIN}) {
            const TWaveTable table = BuildWaveTable(harmonics, square);
            EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](double v) { return v == 0.0; }))
                << harmonics << (square ? " square" : "");
        }
    }
}

}  // namespace
}  // namespace kelvo
