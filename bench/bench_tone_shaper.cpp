// Samples per second of the tone shaping loop, writing into a buffer allocated once.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "keying/tone_shaper.h"
#include "keying/wave_table.h"

namespace {

// One second of tone at the program's rate and start-up settings; amplitude 0 is a silence.
void ShapeOneSecond(benchmark::State& state, double amplitude) {
    const kelvo::TWaveTable table = kelvo::StartupWaveTable();
    constexpr int SampRate = 8000;
    std::vector<std::int16_t> buffer(SampRate + 1000);
    double RampStep = 0;
    std::int64_t samples = 0;
    for (auto _ : state) {
        std::int16_t* out = buffer.data();
        kelvo::ShapeNote(table, SampRate, 5, 800, 1.0, amplitude, RampStep, [&](std::int16_t s) { *out++ = s; });
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        samples += out - buffer.data();
    }
    state.SetItemsProcessed(samples);
}

void BM_ShapeMark(benchmark::State& state) { ShapeOneSecond(state, 20000); }
void BM_ShapeSilence(benchmark::State& state) { ShapeOneSecond(state, 0); }

}  // namespace

BENCHMARK(BM_ShapeMark);
BENCHMARK(BM_ShapeSilence);
BENCHMARK_MAIN();
