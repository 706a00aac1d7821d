#include "keying/tone_shaper.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "keying/wave_table.h"
#include "platform/convert.h"

namespace kelvo {
namespace {

using Samples = std::vector<std::int16_t>;

// Tables live on the heap so that a read outside them is caught by AddressSanitizer.
std::unique_ptr<TWaveTable> FilledTable(double value) {
    auto table = std::make_unique<TWaveTable>();
    table->fill(value);
    return table;
}

// Entry j holds j: the samples of a note at level 1 read back as the table indices used. A read
// just outside the table finds a sentinel of 30000 even without a sanitizer.
struct IndexTable {
    std::array<double, 4> before;
    TWaveTable table;
    std::array<double, 4> after;
};
constexpr double OutsideTable = 30000;

std::unique_ptr<IndexTable> MakeIndexTable() {
    auto t = std::make_unique<IndexTable>();
    t->before.fill(OutsideTable);
    t->after.fill(OutsideTable);
    for (int j = 0; j < 1024; ++j) t->table[j] = j;
    return t;
}

Samples Shape(const TWaveTable& table, double riseMs, double frequency, double duration, double amplitude,
              int sampRate = 8000) {
    double RampStep = 0;
    Samples out;
    ShapeNote(table, sampRate, riseMs, frequency, duration, amplitude, RampStep,
              [&](std::int16_t s) { out.push_back(s); });
    return out;
}

// A rise time of 0.25 ms makes L = 2, so amplitude 2 gives level 0 at sample 0 and 1 from then on;
// the one fall sample, at level 0, is left out.
Samples TableIndices(double frequency, double duration) {
    const auto t = MakeIndexTable();
    Samples s = Shape(t->table, 0.25, frequency, duration, 2);
    EXPECT_FALSE(s.empty());
    if (!s.empty()) {
        EXPECT_EQ(s.back(), 0) << "fall sample";
        s.pop_back();
    }
    return s;
}

int Rounded(double level) { return static_cast<int>(std::nearbyint(level)); }

// Expected samples of a note over a table of ones: the sample is the rounded level.
struct Levels {
    std::vector<int> values;
    Levels& Rise(int from, int to, double step) {  // samples from..to-1 at i x step
        for (int i = from; i < to; ++i) values.push_back(Rounded(i * step));
        return *this;
    }
    Levels& Hold(double level, int count) {
        values.insert(values.end(), count, Rounded(level));
        return *this;
    }
    Levels& Fall(double from, double step, int count) {
        for (int k = 1; k <= count; ++k) values.push_back(Rounded(from - k * step));
        return *this;
    }
};

std::vector<int> AsInts(const Samples& s) { return {s.begin(), s.end()}; }

TEST(ToneShaper, TableIndicesAt800Hz) {
    const Samples idx = TableIndices(800, 1.0);
    ASSERT_EQ(idx.size(), 8000u);
    // Increment 102.4: the first cycle lands on these indices (sample 0, at level 0, reads 0).
    const std::vector<int> firstCycle = {0, 102, 204, 307, 409, 512, 614, 716, 819, 921};
    EXPECT_EQ(AsInts(Samples(idx.begin(), idx.begin() + 10)), firstCycle);
    // Repeated addition drifts just below the exact phase: later cycles can land one lower.
    EXPECT_EQ(idx[10], 1023);
    EXPECT_EQ(idx[15], 511);
    for (int i = 1; i < 8000; ++i) {
        const int exact = (i * 512) % 5120 / 5;  // floor(i x 102.4) mod 1024 in whole numbers
        ASSERT_TRUE(idx[i] == exact || idx[i] == (exact + 1023) % 1024) << "sample " << i << ": " << idx[i];
    }
}

TEST(ToneShaper, MarkRisesHoldsAndFallsByRiseTime) {
    struct Case {
        double riseMs;
        int L;
        int fallSamples;
        int lastFall;
    };
    // With 6 ms the step 20000/48 is inexact: the fall leaves a tiny positive level and emits one
    // more sample just below zero.
    for (const Case& c : {Case{5, 40, 39, 0}, Case{1, 8, 7, 0}, Case{3, 24, 23, 0}, Case{6, 48, 48, -417}}) {
        SCOPED_TRACE(c.riseMs);
        const auto ones = FilledTable(1.0);
        const Samples s = Shape(*ones, c.riseMs, 800, 0.1, 20000);
        ASSERT_EQ(s.size(), 800u + c.fallSamples);
        const double step = 20000.0 / c.L;
        const double hold = (c.L - 1) * step;
        const std::vector<int> expected = Levels{}.Rise(0, c.L, step).Hold(hold, 800 - c.L).Fall(hold, step, c.fallSamples - 1).values;
        EXPECT_EQ(std::vector<int>(s.begin(), s.end() - 1), expected);
        EXPECT_EQ(s.back(), c.lastFall);
    }
}

TEST(ToneShaper, FiveMillisecondMarkHoldsAt19500AndFallsIn500Steps) {
    const auto ones = FilledTable(1.0);
    const Samples s = Shape(*ones, 5, 800, 0.1, 20000);
    ASSERT_EQ(s.size(), 839u);
    EXPECT_EQ(s[1], 500);
    EXPECT_EQ(s[39], 19500);
    EXPECT_EQ(s[40], 19500);
    EXPECT_EQ(s[799], 19500);
    EXPECT_EQ(s[800], 19000);
    EXPECT_EQ(s[837], 500);
    EXPECT_EQ(s[838], 0);
}

TEST(ToneShaper, DitAtStartupSettingsScalesTheWaveform) {
    const TWaveTable table = StartupWaveTable();
    const double DitTime = 1.2 / 14;
    const Samples mark = Shape(table, 5, 800, DitTime, 20000);
    EXPECT_EQ(mark.size(), 686u + 39u);
    const int firstCycle[] = {0, 102, 204, 307, 409, 512, 614, 716, 819, 921};
    for (int i = 0; i < 10; ++i) {
        const double x = firstCycle[i];
        const double wave = std::sin(x * 6.283185308 / 1024) + std::sin(x * 18.849555924 / 1024) / 3;
        EXPECT_EQ(mark[i], Rounded(wave * (i * 500.0))) << i;
    }
    const Samples silence = Shape(table, 5, 800, DitTime, 0);
    EXPECT_EQ(silence, Samples(686, 0));
}

TEST(ToneShaper, SampleValuesRoundHalfToEven) {
    // 1 ms (L = 8) at amplitude 20: the level steps by 2.5, so every other level is a half.
    const auto ones = FilledTable(1.0);
    const Samples s = Shape(*ones, 1, 800, 10.0 / 8000, 20);
    EXPECT_EQ(AsInts(s), (std::vector<int>{0, 2, 5, 8, 10, 12, 15, 18, 18, 18, /* fall */ 15, 12, 10, 8, 5, 2, 0}));
}

TEST(ToneShaper, SilenceIsExactlyTheNominalZeros) {
    const Samples s = Shape(StartupWaveTable(), 5, 800, 0.1, 0);
    EXPECT_EQ(s, Samples(800, 0));
}

TEST(ToneShaper, SampleCountRoundsHalfToEven) {
    struct Case {
        int sampRate;
        double duration;
        std::size_t count;
    };
    const auto ones = FilledTable(1.0);
    for (const Case& c : {Case{2, 1.25, 2}, Case{2, 1.75, 4}, Case{1, 0.5, 0}, Case{1, 1.5, 2}, Case{8000, 0.1, 800},
                          Case{8000, 0, 0}, Case{8000, -0.5, 0},
                          Case{8000, std::numeric_limits<double>::quiet_NaN(), 0}}) {
        SCOPED_TRACE(std::to_string(c.sampRate) + " x " + std::to_string(c.duration));
        EXPECT_EQ(Shape(*ones, 5, 800, c.duration, 0, c.sampRate).size(), c.count);
    }
}

TEST(ToneShaper, ZeroRiseTimeFailsBeforeAnySample) {
    struct Case {
        double amplitude;
        std::string message;
    };
    const auto ones = FilledTable(1.0);
    for (const Case& c : {Case{20000, "Floating point division by zero"}, Case{0, "Invalid floating point operation"}}) {
        double RampStep = 123;
        int samples = 0;
        try {
            ShapeNote(*ones, 8000, 0, 800, 0.1, c.amplitude, RampStep, [&](std::int16_t) { ++samples; });
            ADD_FAILURE() << "no error for amplitude " << c.amplitude;
        } catch (const EMathError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(samples, 0);
        EXPECT_EQ(RampStep, 123);
    }
}

// A handler running inside the sink may play a note of its own; it resets the shared RampStep and
// the interrupted note carries on with the step it left.
struct NestedCase {
    const char* name;
    int at;                 // outer sample after which the nested note is played
    double nestedRiseMs;
    double nestedAmplitude;
    std::vector<int> expected;  // outer note over a table of ones
    double rampStepAfter;
};

TEST(ToneShaper, NestedNoteChangesTheRampStepOfTheInterruptedNote) {
    const NestedCase cases[] = {
        // 10 ms at 20000: step 250 from sample 11, hold at 39 x 250, fall in 39 steps of 250.
        {"nested mark during the rise", 10, 10, 20000,
         Levels{}.Rise(0, 11, 500).Rise(11, 40, 250).Hold(9750, 760).Fall(9750, 250, 39).values, 250},
        // A nested silence leaves step 0: the rest of the rise stays at level 0, nothing to fall.
        {"nested silence during the rise", 10, 5, 0, Levels{}.Rise(0, 11, 500).Hold(0, 789).values, 0},
        // Step 0 could never end the fall: the note falls with its own step of 500.
        {"nested silence during the hold", 100, 5, 0,
         Levels{}.Rise(0, 40, 500).Hold(19500, 760).Fall(19500, 500, 39).values, 0},
        // A nested mark with a slower rise during the fall: the rest falls by 250.
        {"nested mark during the fall", 809, 10, 20000,
         Levels{}.Rise(0, 40, 500).Hold(19500, 760).Fall(19500, 500, 10).Fall(14500, 250, 58).values, 250},
    };
    for (const NestedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ones = FilledTable(1.0);
        double RampStep = 0;
        Samples outer;
        Samples nested;
        ShapeNote(*ones, 8000, 5, 800, 0.1, 20000, RampStep, [&](std::int16_t s) {
            outer.push_back(s);
            if (outer.size() > 10000) throw std::runtime_error("the note does not end");
            if (static_cast<int>(outer.size()) == c.at + 1) {
                ShapeNote(*ones, 8000, c.nestedRiseMs, 800, 0.01, c.nestedAmplitude, RampStep,
                          [&](std::int16_t n) { nested.push_back(n); });
            }
        });
        EXPECT_EQ(AsInts(outer), c.expected);
        EXPECT_FALSE(nested.empty());
        EXPECT_EQ(RampStep, c.rampStepAfter);
    }
}

TEST(ToneShaper, TableChangedDuringANoteAppliesFromTheNextSample) {
    TWaveTable WaveTable;
    WaveTable.fill(1.0);
    double RampStep = 0;
    Samples s;
    ShapeNote(WaveTable, 8000, 5, 800, 0.1, 20000, RampStep, [&](std::int16_t v) {
        s.push_back(v);
        if (s.size() == 101) WaveTable.fill(0.5);
    });
    ASSERT_EQ(s.size(), 839u);
    EXPECT_EQ(s[100], 19500);
    EXPECT_EQ(s[101], 9750);
    EXPECT_EQ(s[799], 9750);
    EXPECT_EQ(s[800], 9500);
}

TEST(ToneShaper, SamplesSaturateInsteadOfWrappingRound) {
    struct Case {
        double tableValue;
        double amplitude;
        int held;
    };
    for (const Case& c : {Case{1.0, 40000, 32767}, Case{-1.0, 40000, -32768}, Case{1.0, -40000, -32768},
                          Case{1.0, 20000, 19500}}) {
        const auto table = FilledTable(c.tableValue);
        const Samples s = Shape(*table, 5, 800, 0.1, c.amplitude);
        ASSERT_GE(s.size(), 800u);
        EXPECT_EQ(s[500], c.held) << c.tableValue << " x " << c.amplitude;
    }
}

// The phase wraps both ways, so a negative frequency plays the waveform backwards and every index
// stays inside the table, as does any finite frequency however high.
TEST(ToneShaper, AnyFiniteFrequencyStaysInsideTheTable) {
    const Samples backwards = TableIndices(-800, 0.5);
    ASSERT_EQ(backwards.size(), 4000u);
    EXPECT_EQ(AsInts(Samples(backwards.begin() + 1, backwards.begin() + 5)), (std::vector<int>{921, 819, 716, 614}));
    for (const double frequency : {-800.0, -1.0, -8000.0, -27000.5, 8000.0, 27000.5, 1e12, -1e12, 1e300, -1e300}) {
        const Samples idx = TableIndices(frequency, 0.5);
        ASSERT_EQ(idx.size(), 4000u);
        for (std::size_t i = 0; i < idx.size(); ++i) {
            ASSERT_TRUE(idx[i] >= 0 && idx[i] <= 1023) << frequency << " Hz, sample " << i;
        }
    }
    // At the sample rate the phase comes back to 0 at every sample.
    EXPECT_EQ(TableIndices(8000, 0.01), Samples(80, 0));
    // A phase a hair below 0 wraps to a hair below 1024, which rounds to 1024 itself: index 0.
    EXPECT_EQ(TableIndices(-1e-14, 0.01), Samples(80, 0));
}

TEST(ToneShaper, FrequencyOfZeroIsSilentOnTheStartupTable) {
    EXPECT_EQ(Shape(StartupWaveTable(), 5, 0, 0.1, 20000), Samples(839, 0));
}

TEST(ToneShaper, NonFiniteFrequencyFailsBeforeAnySample) {
    const auto ones = FilledTable(1.0);
    for (const double frequency : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN(), 1e306 /* 1024 x f overflows */}) {
        double RampStep = 123;
        int samples = 0;
        try {
            ShapeNote(*ones, 8000, 5, frequency, 0.1, 20000, RampStep, [&](std::int16_t) { ++samples; });
            ADD_FAILURE() << "no error for " << frequency << " Hz";
        } catch (const EMathError& e) {
            EXPECT_EQ(std::string(e.what()), InvalidOperationMessage);
        }
        EXPECT_EQ(samples, 0);
        EXPECT_EQ(RampStep, 123);
    }
}

TEST(ToneShaper, NegativeRiseTimeStillEnds) {
    // No ramp can be built: the mark sounds at full level and stops without a fall.
    const auto ones = FilledTable(1.0);
    EXPECT_EQ(Shape(*ones, -5, 800, 0.01, 20000), Samples(80, 20000));
}

TEST(ToneShaper, SinkErrorEndsTheNoteAtThatSample) {
    const auto ones = FilledTable(1.0);
    double RampStep = 0;
    int samples = 0;
    EXPECT_THROW(ShapeNote(*ones, 8000, 5, 800, 0.1, 20000, RampStep,
                           [&](std::int16_t) {
                               if (++samples == 7) throw std::runtime_error("device failed");
                           }),
                 std::runtime_error);
    EXPECT_EQ(samples, 7);
}

}  // namespace
}  // namespace kelvo
