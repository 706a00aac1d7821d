#include "render/render.h"

#include "platform/text_file.h"

#include <vector>

namespace kelvo {

namespace {

constexpr char32_t CarriageReturn = U'\r';
constexpr char32_t LineFeed = U'\n';
// The window's text box keeps its lines apart with this character, so one in the text is a line
// end there too; every other character (a no-break space, a line separator) stands as it is.
constexpr char32_t ParagraphSeparator = U'\u2029';

}  // namespace

std::u32string KeyedText(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, i);
        if (c == CarriageReturn || c == LineFeed || c == ParagraphSeparator) {
            // The text box knows one line end, CR LF; a CR LF pair in the text is one of them.
            if (c == CarriageReturn && i < utf8.size() && utf8[i] == '\n') ++i;
            out += CarriageReturn;
            out += LineFeed;
        } else {
            out += c;
        }
    }
    return out;
}

TextRenderer::TextRenderer(const RenderSettings& settings)
    : Settings(settings), Timing(ComputeTiming(settings.CodeSpeed, settings.CharSpeed)),
      ToneFreq(settings.ToneFreq) {
    Code.CodeTableInitialize();
    // The window starts with this waveform and rebuilds it only when the tone controls change.
    WaveTable = settings.Harmonics == 1 && !settings.SquareWave ? StartupWaveTable()
                                                                : BuildWaveTable(settings.Harmonics, settings.SquareWave);
}

std::int64_t TextRenderer::SampleCount(std::u32string_view text) const {
    struct Note {
        double Frequency, Duration, Amplitude;
        std::int64_t Samples;
    };
    // A send has a handful of distinct notes: marks of 1 and 3 dits and four kinds of silence.
    std::vector<Note> known;
    std::int64_t total = 0;
    double RampStep = 0;
    const auto count = [&](double frequency, double duration, double amplitude) {
        for (const Note& n : known)
            if (n.Frequency == frequency && n.Duration == duration && n.Amplitude == amplitude) {
                total += n.Samples;
                return;
            }
        std::int64_t samples = 0;
        ShapeNote(WaveTable, Settings.SampRate, Settings.RiseMs, frequency, duration, amplitude, RampStep,
                  [&](std::int16_t) { ++samples; });
        known.push_back({frequency, duration, amplitude, samples});
        total += samples;
    };
    const auto noPause = [] {};
    PlayLeadIn(Timing, ToneFreq, count);
    for (const char32_t c : text) KeyCharacter(c, Code, Timing, ToneFreq, count, noPause);
    return total;
}

}  // namespace kelvo
