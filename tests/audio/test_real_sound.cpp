// Send Text through a real sound server: the window plays to PortAudio's default output, which
// scripts/test.sh points at a PulseAudio null sink; the sink's monitor is recorded with parec and
// the recording's marks and gaps are compared with the keying timing.
//
// Runs only where a server was set up for it (KELVO_SOUND_SERVER=1, as scripts/test.sh does);
// anywhere else it is skipped, so a developer's plain ctest neither fails nor plays sound aloud.
#include "../gui/gui_fixture.h"
#include "sound_recording.h"
#include "ui/main/form1.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using namespace kelvo;
using namespace kelvo::test;

namespace {

QString RecorderLog(const test::ScopedWorkDir& dir) {
    QFile log(dir.file(QStringLiteral("parec.log")));
    log.open(QIODevice::ReadOnly);
    return QStringLiteral("parec stopped: ") + QString::fromLocal8Bit(log.readAll());
}

}  // namespace

class RealSoundTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariable("KELVO_SOUND_SERVER") != QLatin1String("1"))
            QSKIP("No sound server set up for this test: scripts/test.sh starts one "
                  "(KELVO_SOUND_SERVER=1 with PULSE_SERVER).");
        parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
        QVERIFY2(!parec.isEmpty(), "parec is not installed");
        // PortAudio's default output, not the capture device the window tests use.
        SetWaveOutBackend(nullptr);
    }

    void sendTextSoundsAsTheTimingSays() {
        test::ScopedWorkDir dir;
        test::ErrorRecorder errors;
        const QString recordingPath = dir.file(QStringLiteral("recording.raw"));
        QProcess recorder;
        recorder.setStandardOutputFile(recordingPath);
        recorder.setStandardErrorFile(dir.file(QStringLiteral("parec.log")));
        // The monitor of the default sink, which is where PortAudio's default output plays.
        recorder.start(parec, {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--rate=8000"),
                               QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
                               QStringLiteral("--latency-msec=20")});
        QVERIFY2(recorder.waitForStarted(), qPrintable(recorder.errorString()));
        // The recording is read while it runs; whatever happens, the recorder stops with the test.
        const auto stopRecorder = qScopeGuard([&] {
            recorder.kill();
            recorder.waitForFinished();
        });

        auto form = std::make_unique<TForm1>();
        QVERIFY2(errors.Messages.isEmpty(), qPrintable(errors.Messages.join(QLatin1Char('\n'))));
        QCOMPARE(form->OutSound1.InitStage(), 4);
        // Farnsworth timing, so that the gaps between characters differ from those inside them.
        form->CSpeedEdit->setText(QStringLiteral("15"));
        form->SpeedEdit->setText(QStringLiteral("20"));
        form->SetSpeed();
        TForm1::SetMemoText(form->Memo1, QStringLiteral("PARIS"));
        QTest::qWait(WarmUpMs);
        QVERIFY2(recorder.state() == QProcess::Running, qPrintable(RecorderLog(dir)));

        form->Sendbutton->click();
        QVERIFY2(errors.Messages.isEmpty(), qPrintable(errors.Messages.join(QLatin1Char('\n'))));
        QCOMPARE(form->SentText, QStringLiteral("PARIS"));

        const QStringList paris = {QStringLiteral("1331"), QStringLiteral("13"), QStringLiteral("131"),
                                   QStringLiteral("11"), QStringLiteral("111")};
        const std::vector<Mark> expected =
            ExpectedMarks(paris, form->Timing, form->SpinEdit2->value());
        const int cycle = static_cast<int>(std::ceil(SampleRate / form->ToneFreq));

        // Wait until every mark has been played and some silence recorded after the last.
        std::vector<std::int16_t> recording;
        std::vector<Mark> marks;
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            recording = ReadRecording(recordingPath);
            marks = FindMarks(recording, cycle);
            const auto recorded = static_cast<std::int64_t>(recording.size());
            const bool complete = marks.size() >= expected.size() &&
                                  Ms(recorded - marks.back().End) >= TrailingSilenceMs;
            if (complete || waited.elapsed() > PlayOutTimeoutMs) break;
            QVERIFY2(recorder.state() == QProcess::Running, qPrintable(RecorderLog(dir)));
            QTest::qWait(100);
        }
        form.reset();  // closes the device

        QCOMPARE(marks.size(), expected.size());
        const std::int64_t origin = marks.front().Begin;
        const std::int64_t expectedOrigin = expected.front().Begin;
        double worst = 0;
        for (std::size_t k = 0; k < marks.size(); ++k) {
            const double beginError =
                Ms((marks[k].Begin - origin) - (expected[k].Begin - expectedOrigin));
            const double endError = Ms((marks[k].End - origin) - (expected[k].End - expectedOrigin));
            worst = std::max({worst, std::abs(beginError), std::abs(endError)});
            QVERIFY2(std::abs(beginError) <= ToleranceMs && std::abs(endError) <= ToleranceMs,
                     qPrintable(QStringLiteral("mark %1: begins %2 ms and ends %3 ms off the timing")
                                    .arg(k + 1).arg(beginError).arg(endError)));
            // The mark arrives at its full level, neither scaled nor clipped: a held mark is 39/40
            // of the amplitude times the waveform, whose samples at 800 Hz peak near 0.91.
            int peak = 0;
            for (std::int64_t i = marks[k].Begin; i < marks[k].End; ++i)
                peak = std::max(peak, std::abs(int{recording[static_cast<std::size_t>(i)]}));
            QVERIFY2(peak > 0.85 * MarkAmplitude && peak < MarkAmplitude,
                     qPrintable(QStringLiteral("mark %1 peaks at %2").arg(k + 1).arg(peak)));
        }
        qInfo("%zu marks, each edge within %.3f ms of the timing", marks.size(), worst);
    }

private:
    QString parec;
};

KELVO_GUI_TEST_MAIN(RealSoundTest)
#include "test_real_sound.moc"
