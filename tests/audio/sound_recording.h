#pragma once
// What the real-sound tests share: reading a recording of the null sink's monitor, finding its
// marks, and where the keying timing puts them.
#include "keying/timing.h"

#include <QFile>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace kelvo::test {

inline constexpr int SampleRate = 8000;  // the window's device rate; parec records at the same rate
inline constexpr double MarkAmplitude = 20000;
// A sample at least this loud belongs to a mark. The server passes silence through as exact
// zeros, and a ramp of 500 per sample crosses this level within its first and last two samples.
inline constexpr int LoudLevel = 300;
// Marks and gaps must be where the timing puts them to within this, relative to the first onset.
// The server's round trip through its own rate gains or loses no time, so only a sample or two of
// resampler smear remains; a dropout or a wrong rate shows as a far larger shift.
inline constexpr double ToleranceMs = 1.0;
// An idle null sink renders in 2-second blocks; recording for longer than that first makes it
// keep real time before the first sample is sent.
inline constexpr int WarmUpMs = 2500;
// After the send returns, up to 1.5 s of sound is still queued in the window's buffers, plus the
// latency of PortAudio and the server.
inline constexpr int PlayOutTimeoutMs = 10000;
// Silence recorded after the last mark before the recording is judged complete.
inline constexpr int TrailingSilenceMs = 300;

struct Mark {
    std::int64_t Begin = 0;  // first sample of the rise
    std::int64_t End = 0;    // one past the last sample of the fall
};

inline std::vector<std::int16_t> ReadRecording(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size() / 2));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i)]);
        const auto hi = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i + 1)]);
        samples[i] = static_cast<std::int16_t>(lo | (hi << 8));  // s16le
    }
    return samples;
}

// The marks of a recording: runs of loud samples. Inside a mark the tone crosses zero every half
// cycle, so quiet stretches shorter than one cycle of the tone do not end it.
inline std::vector<Mark> FindMarks(const std::vector<std::int16_t>& samples, int cycleSamples) {
    std::vector<Mark> marks;
    std::int64_t lastLoud = -1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int{samples[i]}) < LoudLevel) continue;
        const auto at = static_cast<std::int64_t>(i);
        if (marks.empty() || at - lastLoud > cycleSamples) marks.push_back({at, at + 1});
        marks.back().End = at + 1;
        lastLoud = at;
    }
    return marks;
}

// Where the marks of `elements` (element strings: "1" a dit, "3" a dah) lie in the sound of a
// send, in samples from its start: a 3-dit lead-in, then every element's mark followed by a
// one-dit silence, and a character gap after every character. A mark sounds for its nominal
// length plus a fall of one sample less than the rise, which is appended after it.
inline std::vector<Mark> ExpectedMarks(const QStringList& elements, const KeyingTiming& timing,
                                double riseMs) {
    const auto samples = [](double seconds) {
        return static_cast<std::int64_t>(std::nearbyint(SampleRate * seconds));  // half to even
    };
    const std::int64_t fall = static_cast<std::int64_t>(SampleRate * riseMs / 1000) - 1;
    std::vector<Mark> marks;
    std::int64_t at = samples(3 * timing.DitTime);
    for (const QString& character : elements) {
        for (const QChar digit : character) {
            const std::int64_t nominal = samples(digit.digitValue() * timing.DitTime);
            marks.push_back({at, at + nominal + fall});
            at += nominal + fall + samples(timing.DitTime);
        }
        at += samples(timing.CharGap);
    }
    return marks;
}

inline double Ms(std::int64_t samples) { return 1000.0 * static_cast<double>(samples) / SampleRate; }

}  // namespace kelvo::test
