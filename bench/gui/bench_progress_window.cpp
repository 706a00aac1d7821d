// Opening the Progress window on ten years of daily drill sessions (about 4,000 lines): reading
// the file, totalling, filling the charts and the table, and painting the window once. Runs
// without a display (offscreen) unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include "bench/history_sample.h"
#include "tests/support/temp_dir.h"
#include "ui/side/progress_window.h"

#include <QApplication>
#include <QDir>

#include <cstdlib>

namespace {

constexpr int TenYearsOfSessions = 4000;

void BM_OpenProgressOnTenYears(benchmark::State& state) {
    using namespace std::chrono;
    const kelvo::test::TempDir dir;
    kelvo::test::WriteBytes(dir.path() / kelvo::HistoryFileName,
                            kelvo::bench::SampleHistoryText(
                                kelvo::bench::SampleHistory(TenYearsOfSessions, sys_days(2016y / 1 / 1))));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    {
        kelvo::TProgressForm form;
        form.show();
        QApplication::processEvents();
        for (auto _ : state) {
            form.Reload();
            form.repaint();
            QApplication::processEvents();
            if (form.History().Sessions.size() != TenYearsOfSessions) state.SkipWithError("sessions lost");
        }
    }
    QDir::setCurrent(previous);
}

// The parts of it: filling the charts and the table, and painting.
void BM_ShowTenYears(benchmark::State& state) {
    using namespace std::chrono;
    kelvo::TSessionHistory history;
    history.Sessions = kelvo::bench::SampleHistory(TenYearsOfSessions, sys_days(2016y / 1 / 1));
    kelvo::TProgressForm form;
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        form.ShowHistory(history, {2026, 12, 11, 12, 0, 0});
        if (state.range(0) != 0) form.repaint();
    }
}

}  // namespace

BENCHMARK(BM_OpenProgressOnTenYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowTenYears)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
