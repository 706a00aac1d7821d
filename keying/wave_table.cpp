#include "keying/wave_table.h"

#include <cmath>

namespace kelvo {

namespace {

// The angle steps are these decimals, not the exact 2 pi and 6 pi: with them entry 0 is exactly 0
// and entry 512 lies just below 0, which fixes where a square wave changes sign. Every expression
// below keeps the written order (j x step x c / 1024, left to right) so the table is the same to
// the last bit wherever it is built.
constexpr double FundamentalStep = 6.283185308;
constexpr double ThirdHarmonicStep = 18.849555924;

}  // namespace

TWaveTable StartupWaveTable() {
    TWaveTable table{};
    for (int j = 0; j < WaveTableSize; ++j) {
        const double x = j;
        table[j] = std::sin(x * FundamentalStep / WaveTableSize) +
                   std::sin(x * ThirdHarmonicStep / WaveTableSize) / 3;
    }
    return table;
}

TWaveTable BuildWaveTable(int harmonics, bool square) {
    TWaveTable table{};
    for (int j = 0; j < WaveTableSize; ++j) {
        const double x = j;
        // 64-bit count and a real c: 2k + 1 must not overflow for any int the controls can hand in.
        for (long long k = 0; k <= harmonics; ++k) {
            const double c = 2.0 * static_cast<double>(k) + 1;
            table[j] = table[j] + std::sin(x * FundamentalStep * c / WaveTableSize) / c;
        }
        if (square) {
            if (table[j] > 0) table[j] = 1.0;
            if (table[j] < 0) table[j] = -1.0;
        }
    }
    return table;
}

}  // namespace kelvo
