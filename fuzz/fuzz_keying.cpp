// The keying the window's sender and kelvo-render share, on arbitrary text: six bytes choose the
// settings, the rest is the text as a file would give it. Every character keys exactly the
// samples its element string implies (each mark, its fall and its one-dit silence, then the
// character gap; a word gap for a space or line end), a character without a code keys no mark,
// and the renderer's total agrees with its count and with the sum of the characters.
#include "fuzz_check.h"
#include "keying/code_table.h"
#include "keying/keyer.h"
#include "keying/timing.h"
#include "keying/tone_shaper.h"
#include "keying/wave_table.h"
#include "platform/text_file.h"
#include "render/render.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

using namespace kelvo;

namespace {

// Enough text to reach every kind of character while each input stays quick at slow speeds.
constexpr std::size_t MostCharacters = 24;

// Samples of a note of `duration` seconds at `rate`, worked out apart from the shaping loop:
// round to nearest with ties to even (the default rounding mode), none when not positive.
std::int64_t Nominal(int rate, double duration) {
    const double n = std::nearbyint(rate * duration);
    return n > 0 ? static_cast<std::int64_t>(n) : 0;
}

// A mark's samples: its nominal length, then the fall from the level the rise reached, one
// ramp step per sample.
std::int64_t MarkLength(int rate, double riseMs, double duration) {
    const std::int64_t n = Nominal(rate, duration);
    const double rampSamples = rate * riseMs / 1000;
    const double step = MarkAmplitude / rampSamples;
    double level = MarkAmplitude;
    if (n > 0) level = static_cast<double>(std::min<double>(static_cast<double>(n - 1), std::ceil(rampSamples) - 1)) * step;
    std::int64_t fall = 0;
    while (level > 0) {
        level -= step;
        ++fall;
    }
    return n + fall;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    RenderSettings s;
    s.CodeSpeed = 10 + data[0] % 91;
    s.CharSpeed = 10 + data[1] % 91;
    s.ToneFreq = 20 + (data[2] | (data[3] << 8)) % 3980;
    s.RiseMs = 1 + data[4] % 50;
    s.Harmonics = data[5] % 4;
    s.SquareWave = data[5] & 0x80;
    const std::string utf8 = DecodeUtf8OrWindows1252(std::string_view(reinterpret_cast<const char*>(data) + 6, size - 6));
    std::u32string text = KeyedText(utf8);
    if (text.size() > MostCharacters) text.resize(MostCharacters);

    const TextRenderer renderer(s);
    std::int64_t rendered = 0;
    renderer.Render(text, [&](std::int16_t) { ++rendered; });
    FUZZ_CHECK(rendered == renderer.SampleCount(text));

    TCodeTable code;
    code.CodeTableInitialize();
    const KeyingTiming timing = ComputeTiming(s.CodeSpeed, s.CharSpeed);
    const TWaveTable wave = BuildWaveTable(s.Harmonics, s.SquareWave);
    const double ToneFreq = s.ToneFreq;
    double RampStep = 0;
    std::int64_t keyed = 0;
    std::int64_t marks = 0;
    const auto play = [&](double frequency, double duration, double amplitude) {
        if (amplitude != SilenceAmplitude) ++marks;
        ShapeNote(wave, s.SampRate, s.RiseMs, frequency, duration, amplitude, RampStep, [&](std::int16_t v) {
            ++keyed;
            if (amplitude == SilenceAmplitude) FUZZ_CHECK(v == 0);
        });
    };
    std::int64_t total = Nominal(s.SampRate, LeadInDits * timing.DitTime);
    for (const char32_t c : text) {
        const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        const std::string elements = c <= 255 ? code.LookupCode(std::string_view(&upper, 1)) : std::string();
        std::int64_t expected = 0;
        if (c == U'\r' || c == U' ') expected += Nominal(s.SampRate, timing.WordGap);
        else
            for (const char digit : elements)
                expected += MarkLength(s.SampRate, s.RiseMs, (digit - '0') * timing.DitTime) +
                            Nominal(s.SampRate, timing.DitTime);
        if (c != U'@') expected += Nominal(s.SampRate, timing.CharGap);

        keyed = 0;
        marks = 0;
        KeyCharacter(c, code, timing, ToneFreq, play, [] {});
        FUZZ_CHECK(keyed == expected);
        FUZZ_CHECK(marks == static_cast<std::int64_t>(c == U'\r' || c == U' ' ? 0 : elements.size()));
        total += expected;
    }
    FUZZ_CHECK(rendered == total);
    return 0;
}
