#pragma once
// One cycle of the tone's waveform, looked up (without interpolation) by the tone shaper at
// every sample. Entry j holds the wave at phase j / 1024 of a cycle; values lie within -1..+1.
#include <array>

namespace kelvo {

inline constexpr int WaveTableSize = 1024;

using TWaveTable = std::array<double, WaveTableSize>;

// The waveform in force at start-up: the fundamental plus its third harmonic at one third.
TWaveTable StartupWaveTable();

// The waveform chosen with the harmonics and square-wave controls: the odd harmonics 1, 3, ...,
// 2 x harmonics + 1, each at 1/c of the fundamental (the start of a square wave's Fourier series).
// A negative count gives silence (all zeros). With `square` every entry above 0 becomes +1 and
// every entry below 0 becomes -1; an entry of exactly 0 stays 0. Costs 1024 x (harmonics + 1)
// sines, so call it when the controls change, never per note.
TWaveTable BuildWaveTable(int harmonics, bool square);

}  // namespace kelvo
