// Shows the Progress window on a made-up year of drill sessions and saves a picture of it:
//   progress_screenshot OUT.png   (run it under xvfb-run to see the real window)
#include "bench/history_sample.h"
#include "tests/support/temp_dir.h"
#include "ui/side/progress_window.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: progress_screenshot OUT.png\n");
        return 2;
    }
    using namespace std::chrono;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const kelvo::test::TempDir dir;
    // A year up to yesterday, so the streak is still alive today.
    const year_month_day today(floor<days>(system_clock::now()));
    auto history = kelvo::bench::SampleHistory(420, sys_days(today) - days(365));
    const int todayNumber = static_cast<int>(sys_days(today).time_since_epoch().count());
    std::erase_if(history, [&](const kelvo::TSessionRecord& r) { return kelvo::DayNumber(r.Time) >= todayNumber; });
    kelvo::test::WriteBytes(dir.path() / kelvo::HistoryFileName, kelvo::bench::SampleHistoryText(history));
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    kelvo::TProgressForm form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    form.Reload();
    QTest::qWait(300);
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
