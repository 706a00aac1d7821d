#pragma once
// The shaping loop of one note (a mark or a silence): steps through one cycle of the waveform at
// the tone frequency, rises linearly from 0 over the rise time inside the note's nominal length,
// holds, and appends a linear fall after it. Every sample goes to a sink: the window hands it to
// the sound device and processes pending events, the renderer appends it to a buffer.
//
// Runs on the caller's thread. Nothing is allocated and nothing throws inside the per-sample
// loop; only the sink may throw (the sound device can fail), which ends the note at that sample.
#include <cmath>
#include <cstdint>

#include "keying/wave_table.h"
#include "platform/convert.h"
#include "platform/rounding.h"

namespace kelvo {

// The rise/fall control holds milliseconds.
constexpr double RiseTimeFromMs(double ms) noexcept { return ms / 1000; }

namespace tone_shaper_detail {

inline constexpr double PhaseWrap = WaveTableSize;

// Moves the phase on by one sample and wraps it into 0 <= phase < 1024, so the table index is
// always inside the table. Upward, subtracting 1024 is exact for any finite phase, so one fmod
// gives the same bits as repeated subtraction without looping for increments far above 1024.
// A negative increment (a negative frequency) wraps the phase the other way round, which plays
// the waveform backwards: the same tone, mirrored in time.
inline double AdvancePhase(double phase, double increment) noexcept {
    phase += increment;
    if (phase >= PhaseWrap) {
        phase -= PhaseWrap;
        if (phase >= PhaseWrap) phase = std::fmod(phase, PhaseWrap);
    } else if (phase < 0) {
        phase = std::fmod(phase, PhaseWrap) + PhaseWrap;
        if (phase >= PhaseWrap) phase = 0;  // a tiny negative phase rounds up to exactly 1024
    }
    return phase;
}

// Rounds half to even into 16 bits. Values beyond the 16-bit range saturate instead of wrapping
// round to the opposite sign, which would be a full-scale click; NaN (no level at all) is 0.
inline std::int16_t ToSample(double value) noexcept {
    if (value >= -32768.5 && value < 32767.5) return static_cast<std::int16_t>(RoundHalfEven(value));
    if (value > 0) return INT16_MAX;
    if (value < 0) return INT16_MIN;
    return 0;
}

// Nominal sample count: samples per second x duration, rounded half to even; none for a
// negative or NaN duration.
inline std::int64_t SampleCount(int SampRate, double duration) noexcept {
    const double n = RoundHalfEven(SampRate * duration);
    if (!(n > 0)) return 0;
    constexpr double Most = 4611686018427387904.0;  // 2^62: more than any note can last
    return n < Most ? static_cast<std::int64_t>(n) : static_cast<std::int64_t>(Most);
}

}  // namespace tone_shaper_detail

// Plays one note into `sink(std::int16_t)`: SampRate x duration samples (rounded half to even)
// plus, for a mark, the fall after them.
//
// `WaveTable` and `RampStep` are read through their references at every sample because a handler
// running inside the sink may change them: a rebuilt table changes the rest of the note, and a
// nested note resets the shared RampStep, which the interrupted note then continues with.
// Throws EMathError before any sample for a rise time of 0 ("Floating point division by zero"
// for a mark, "Invalid floating point operation" for a silence) and for a non-finite frequency
// ("Invalid floating point operation").
template <class Sink>
void ShapeNote(const TWaveTable& WaveTable, int SampRate, double riseTimeMs, double frequency,
               double duration, double amplitude, double& RampStep, Sink&& sink) {
    namespace detail = tone_shaper_detail;
    const double RiseTime = RiseTimeFromMs(riseTimeMs);
    const double L = SampRate * RiseTime;  // ramp length in samples, a real number
    const double ownStep = FloatDivide(amplitude, L);
    const double increment = 1024 * frequency / SampRate;
    // A non-finite increment would make the phase NaN and the table index meaningless.
    if (!std::isfinite(increment)) throw EMathError(InvalidOperationMessage);
    RampStep = ownStep;

    const std::int64_t n = detail::SampleCount(SampRate, duration);
    double phase = 0;
    double level = amplitude;
    for (std::int64_t i = 0; i < n; ++i) {
        // The level climbs for the samples below L and then holds at the last of them.
        if (i < L) level = i * RampStep;
        sink(detail::ToSample(WaveTable[static_cast<int>(phase)] * level));
        phase = detail::AdvancePhase(phase, increment);
    }
    // The fall is appended after the nominal length and steps down from the level reached.
    while (level > 0) {
        double step = RampStep;
        // A nested silence leaves a step of 0 (a nested negative rise time one below 0), which
        // would never bring this level down: the fall would sound for ever. Fall with this
        // note's own step then; if that cannot fall either, the note just ends.
        if (!(step > 0)) step = ownStep;
        if (!(step > 0)) break;
        level -= step;
        sink(detail::ToSample(WaveTable[static_cast<int>(phase)] * level));
        phase = detail::AdvancePhase(phase, increment);
    }
}

}  // namespace kelvo
