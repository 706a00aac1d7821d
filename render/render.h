#pragma once
// Text to Morse samples without a window: the same keyer, timing, wave table and tone shaping
// loop the window's Send Text uses, with every sample handed to a sink instead of the sound
// device. Nothing here paces, waits or processes events, so it runs as fast as the loop allows.
//
// Pure: no I/O, no threads. A TextRenderer is immutable once built and may be shared.
#include <cstdint>
#include <string>
#include <string_view>

#include "keying/code_table.h"
#include "keying/keyer.h"
#include "keying/timing.h"
#include "keying/tone_shaper.h"
#include "keying/wave_table.h"

namespace kelvo {

// The window's controls, at their start-up values.
struct RenderSettings {
    int CodeSpeed = 5;     // words per minute
    int CharSpeed = 14;    // words per minute; Farnsworth timing when above CodeSpeed
    int ToneFreq = 800;    // hertz
    double RiseMs = 5;     // rise and fall time of a mark, milliseconds
    int Harmonics = 1;     // odd harmonics added to the fundamental
    bool SquareWave = false;
    int SampRate = 8000;   // samples per second
};

// The characters the window's sender walks for `utf8` once it stands in the text box: one code
// point per character (a character beyond 16 bits is one character, as a surrogate pair is there),
// and every line end (CR LF, a lone CR, a lone LF or a paragraph separator) as the box's CR LF.
// `utf8` must be valid UTF-8, as DecodeUtf8OrWindows1252 gives.
std::u32string KeyedText(std::string_view utf8);

class TextRenderer {
public:
    // Builds the code table, the waveform and the timing once. Throws EMathError for a code
    // speed of 0, as the window's timing does.
    explicit TextRenderer(const RenderSettings& settings);

    // Hands every sample of the send of `text` to `sink(std::int16_t)`: the lead-in, then each
    // character's marks and gaps. No flush padding: the sound ends with the last character gap.
    template <class Sink>
    void Render(std::u32string_view text, Sink&& sink) const {
        double RampStep = 0;
        const auto play = [&](double frequency, double duration, double amplitude) {
            ShapeNote(WaveTable, Settings.SampRate, Settings.RiseMs, frequency, duration, amplitude, RampStep,
                      sink);
        };
        const auto noPause = [] {};
        PlayLeadIn(Timing, ToneFreq, play);
        for (const char32_t c : text) KeyCharacter(c, Code, Timing, ToneFreq, play, noPause);
    }

    // How many samples Render hands to its sink for `text`, without shaping them: a note's
    // length depends only on its duration and amplitude, so each distinct note is shaped once.
    std::int64_t SampleCount(std::u32string_view text) const;

    const RenderSettings& settings() const noexcept { return Settings; }
    const KeyingTiming& timing() const noexcept { return Timing; }

private:
    RenderSettings Settings;
    TCodeTable Code;
    TWaveTable WaveTable{};
    KeyingTiming Timing;
    double ToneFreq = 0;
};

}  // namespace kelvo
