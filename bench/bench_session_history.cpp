// Reading ten years of daily drill sessions (about 4,000 lines) from the history file and
// totalling them: the part of opening the Progress window that grows with the history.
#include <benchmark/benchmark.h>

#include "bench/history_sample.h"
#include "teaching/session_record.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int TenYearsOfSessions = 4000;

void BM_ReadTenYearHistory(benchmark::State& state) {
    using namespace std::chrono;
    const kelvo::test::TempDir dir;
    const auto file = dir.path() / kelvo::HistoryFileName;
    kelvo::test::WriteBytes(file, kelvo::bench::SampleHistoryText(
                                      kelvo::bench::SampleHistory(TenYearsOfSessions, sys_days(2016y / 1 / 1))));
    const kelvo::TLocalTime today{2026, 12, 11, 12, 0, 0};
    for (auto _ : state) {
        const kelvo::TSessionHistory history = kelvo::ReadSessionHistory(file);
        const kelvo::THistoryTotals totals = kelvo::SummarizeHistory(history.Sessions, today);
        benchmark::DoNotOptimize(totals);
        if (history.Sessions.size() != TenYearsOfSessions) state.SkipWithError("sessions lost");
    }
    state.SetItemsProcessed(state.iterations() * TenYearsOfSessions);
}

}  // namespace

BENCHMARK(BM_ReadTenYearHistory)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
