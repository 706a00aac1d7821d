// How much faster than real time kelvo-render keys a long text: ten thousand words at the
// window's start-up settings (5 words per minute, Farnsworth 14, 800 Hz), about 26 hours of
// Morse, rendered alone and written in each file format. "audio_s_per_cpu_s" is seconds of sound
// made per second of CPU time. "bench_render --write-text FILE" writes the text, so that other
// programs can be timed on the same words.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "render/render.h"
#include "render/sound_file.h"

namespace {

constexpr int Words = 10000;

// A fixed pseudo-random mix of practice-text words, with numbers and punctuation and a line
// break every twelve words, so every kind of note is in it.
std::string LongText() {
    static const char* const vocabulary[] = {
        "the",   "morse", "code", "is",   "sent", "by",   "ear",  "and",   "we",    "copy",  "each", "word",
        "at",    "speed", "cq",   "de",   "k1abc", "rst", "599",  "73",    "name",  "is",    "jo",   "qth",
        "near",  "river", "wx",   "cold", "rain", "ant",  "dipole", "rig", "100w",  "tnx",   "fer",  "call",
        "hope",  "cuagn", "good", "day",  "up",   "now",  "her",  "ok?",   "yes,",  "no.",   "5/9",  "r=r",
    };
    constexpr std::uint32_t VocabularySize = sizeof vocabulary / sizeof vocabulary[0];
    std::string text;
    std::uint32_t state = 12345;
    for (int w = 0; w < Words; ++w) {
        state = state * 1664525u + 1013904223u;
        text += vocabulary[(state >> 16) % VocabularySize];
        text += (w % 12 == 11) ? "\n" : " ";
    }
    return text;
}

double AudioSeconds(const kelvo::TextRenderer& r, std::u32string_view text) {
    return static_cast<double>(r.SampleCount(text)) / r.settings().SampRate;
}

// The render core alone: every sample handed to a sink that keeps a running sum.
void BM_RenderTenThousandWords(benchmark::State& state) {
    kelvo::RenderSettings settings;
    settings.SampRate = static_cast<int>(state.range(0));
    const kelvo::TextRenderer renderer(settings);
    const std::u32string text = kelvo::KeyedText(LongText());
    const double seconds = AudioSeconds(renderer, text);
    for (auto _ : state) {
        std::int64_t sum = 0;
        renderer.Render(text, [&sum](std::int16_t s) { sum += s; });
        benchmark::DoNotOptimize(sum);
    }
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["audio_hours"] = seconds / 3600;
}

// What the program does for one file: every sample encoded by libsndfile into a file in the
// temporary folder (the encoders seek, so no /dev/null), in each format at its default quality.
void BM_WriteTenThousandWords(benchmark::State& state) {
    const auto format = static_cast<kelvo::SoundFormat>(state.range(0));
    kelvo::RenderSettings settings;  // 8000 per second: every format takes it
    const kelvo::TextRenderer renderer(settings);
    const std::u32string text = kelvo::KeyedText(LongText());
    const double seconds = AudioSeconds(renderer, text);
    kelvo::EncoderSettings encoder;
    encoder.Format = format;
    encoder.Quality = kelvo::DefaultQuality(format);
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("kelvo-bench." + std::string(kelvo::FormatName(format))))
                                 .string();
    for (auto _ : state) {
        kelvo::SoundOutput out(file);
        kelvo::WriteSound(renderer, text, out, encoder);
    }  // never committed: the temporary file goes
    state.SetLabel(std::string(kelvo::FormatName(format)));
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["audio_hours"] = seconds / 3600;
}

}  // namespace

BENCHMARK(BM_RenderTenThousandWords)->Arg(8000)->Unit(benchmark::kMillisecond);
// The lossy encoders take tens of seconds for 26 hours of sound: one pass each is plenty.
BENCHMARK(BM_WriteTenThousandWords)
    ->DenseRange(static_cast<int>(kelvo::SoundFormat::Wav), static_cast<int>(kelvo::SoundFormat::Mp3))
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-text") == 0) {
        std::ofstream(argv[2], std::ios::binary) << LongText();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
