// The cost, per sample, of what the window does inside a note besides shaping it: handing the
// sample to the sound device's ring and processing pending events. The device is the capture
// device, which completes every buffer at once, so nothing waits for a sound card.
#include <benchmark/benchmark.h>

#include "platform/controls.h"
#include "platform/wave_out_capture.h"
#include "ui/main/form1.h"

#include <memory>

namespace {

std::shared_ptr<kelvo::WaveOutCapture> capture;

// The event processing alone, with nothing pending, as after most samples.
void BM_ProcessMessagesIdle(benchmark::State& state) {
    for (auto _ : state) kelvo::ProcessMessages();
    state.SetItemsProcessed(state.iterations());
}

// One second of a mark through PlayNote: shaping, PutSample and event processing per sample.
void BM_PlayNoteSecond(benchmark::State& state) {
    kelvo::TForm1 form;
    std::int64_t samples = 0;
    for (auto _ : state) {
        form.PlayNote(800, 1.0, 20000);
        samples += 8000;
        state.PauseTiming();
        capture->ClearSamples();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(samples);
}

}  // namespace

BENCHMARK(BM_ProcessMessagesIdle);
BENCHMARK(BM_PlayNoteSecond)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    kelvo::TApplication app(qtArgc, argv);
    capture = std::make_shared<kelvo::WaveOutCapture>();
    kelvo::SetWaveOutBackend(capture);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
