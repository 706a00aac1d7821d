// The sound server dies in the middle of a send and of a drill turn, and comes back: Kelvo shows
// one error box at once, stays responsive, and plays again through the new server without a
// restart. The test runs a PulseAudio server of its own, on its own socket, so that it can kill
// and restart it; the recording of the restarted server's null sink is compared with the keying
// timing like the plain real-sound test does.
//
// Runs only in the suite's sound stage (KELVO_SOUND_SERVER=1, as scripts/test.sh sets); its own
// server takes the place of the suite's for this process only.
#include "../gui/gui_fixture.h"
#include "sound_recording.h"
#include "ui/main/form1.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr int ErrorWithinMs = 3000;
const char* const NoOutputAdvice =
    "No sound output could be opened: a sound server or a sound device must be running.";

// A PulseAudio server with one null sink, in a scratch folder, reached through PULSE_SERVER.
class PrivateSoundServer {
public:
    PrivateSoundServer() {
        QDir(dir_.path()).mkdir(QStringLiteral("home"));
        QDir(dir_.path()).mkdir(QStringLiteral("runtime"));
        QFile::setPermissions(dir_.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        previousServer_ = qgetenv("PULSE_SERVER");
        previousCookie_ = qgetenv("PULSE_COOKIE");
        qputenv("PULSE_SERVER", "unix:" + dir_.filePath(QStringLiteral("native")).toLocal8Bit());
        qputenv("PULSE_COOKIE", dir_.filePath(QStringLiteral("cookie")).toLocal8Bit());
    }
    ~PrivateSoundServer() {
        Kill();
        qputenv("PULSE_SERVER", previousServer_);
        qputenv("PULSE_COOKIE", previousCookie_);
    }

    // Starts the server and waits until it answers; false (with its log) when it does not.
    bool Start(QString& log) {
        process_ = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("runtime")));
        process_->setProcessEnvironment(environment);
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->setStandardOutputFile(dir_.filePath(QStringLiteral("pulseaudio.log")), QIODevice::Append);
        process_->start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                         QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
                         QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") +
                             dir_.filePath(QStringLiteral("native")),
                         QStringLiteral("--load=module-null-sink sink_name=nul")});
        for (int tries = 0; tries < 100; ++tries) {
            if (Answers()) return true;
            if (process_->state() == QProcess::NotRunning) break;
            QTest::qWait(100);
        }
        QFile file(dir_.filePath(QStringLiteral("pulseaudio.log")));
        file.open(QIODevice::ReadOnly);
        log = QString::fromLocal8Bit(file.readAll());
        return false;
    }
    static bool Answers() {
        QProcess pactl;
        pactl.setStandardOutputFile(QProcess::nullDevice());
        pactl.setStandardErrorFile(QProcess::nullDevice());
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        return pactl.waitForFinished() && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
    }
    // Kills the server the way a crash ends it, and waits until it is gone.
    void Kill() {
        if (!process_) return;
        process_->kill();
        process_->waitForFinished();
        process_.reset();
    }

private:
    QTemporaryDir dir_;
    QByteArray previousServer_;
    QByteArray previousCookie_;
    std::unique_ptr<QProcess> process_;
};

// Records the default sink's monitor into a file for as long as it lives.
class Recorder {
public:
    explicit Recorder(const QString& parec) {
        process_.setStandardOutputFile(dir_.file(QStringLiteral("recording.raw")));
        process_.setStandardErrorFile(dir_.file(QStringLiteral("parec.log")));
        process_.start(parec, {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--rate=8000"),
                               QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
                               QStringLiteral("--latency-msec=20")});
    }
    ~Recorder() {
        process_.kill();
        process_.waitForFinished();
    }
    bool Running() const { return process_.state() == QProcess::Running; }
    std::vector<std::int16_t> Samples() const { return ReadRecording(dir_.file(QStringLiteral("recording.raw"))); }

private:
    ScopedWorkDir dir_;
    QProcess process_;
};

}  // namespace

class SoundServerLossTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariable("KELVO_SOUND_SERVER") != QLatin1String("1"))
            QSKIP("No sound stage: scripts/test.sh runs this test (KELVO_SOUND_SERVER=1).");
        for (const char* program : {"pulseaudio", "pactl", "parec"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty(), program);
        parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
        SetWaveOutBackend(nullptr);  // PortAudio's default output
    }

    void init() {
        server = std::make_unique<PrivateSoundServer>();
        QString log;
        QVERIFY2(server->Start(log), qPrintable(log));
        errors = std::make_unique<ErrorRecorder>();
        form = std::make_unique<TForm1>();
        QCOMPARE(form->OutSound1.InitStage(), 4);
    }
    void cleanup() {
        form.reset();
        errors.reset();
        server.reset();
    }

    void aSendEndsWhenTheServerDiesAndPlaysAgainOnceItIsBack() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("PARIS ").repeated(20));
        QElapsedTimer sinceKill;
        // Two seconds into the send the device holds its full 1.5 s of sound.
        OnceWhen([&] { return form->SendPos > 8; }, [&] {
            server->Kill();
            sinceKill.start();
        });
        form->Sendbutton->click();
        QVERIFY(sinceKill.isValid());
        const qint64 errorAfter = sinceKill.elapsed();
        ExpectOneLossMessage(errorAfter);
        QVERIFY(form->Sending);  // as after any failed send: Abort/Show text ends it
        form->AbortButton->click();
        QVERIFY(!form->Sending);

        // No server: the next send fails at once with the same advice.
        TForm1::SetMemoText(form->Memo1, QStringLiteral("PARIS PARIS"));
        QElapsedTimer again;
        again.start();
        form->Sendbutton->click();
        QVERIFY2(again.elapsed() < ErrorWithinMs, qPrintable(QString::number(again.elapsed())));
        QCOMPARE(errors->Messages.size(), 2);
        QVERIFY2(errors->Messages.last().contains(QLatin1String(NoOutputAdvice)),
                 qPrintable(errors->Messages.last()));
        form->AbortButton->click();

        QString log;
        QVERIFY2(server->Start(log), qPrintable(log));
        form->CSpeedEdit->setText(QStringLiteral("15"));
        form->SpeedEdit->setText(QStringLiteral("20"));
        form->SetSpeed();
        TForm1::SetMemoText(form->Memo1, QStringLiteral("PARIS"));
        PlaysAsTheTimingSays([&] { form->Sendbutton->click(); },
                             {QStringLiteral("1331"), QStringLiteral("13"), QStringLiteral("131"),
                              QStringLiteral("11"), QStringLiteral("111")});
        QCOMPARE(errors->Messages.size(), 2);
        QVERIFY(!form->Sending);
    }

    // A slow Q (5 wpm: 4 s with its lead-in) keeps the turn producing sound when the server dies.
    void aDrillTurnEndsWhenTheServerDiesAndTheDrillPlaysAgainOnceItIsBack() {
        form->CSpeedEdit->setText(QStringLiteral("5"));
        form->SpeedEdit->setText(QStringLiteral("5"));
        form->SetSpeed();
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        QElapsedTimer turn;
        QElapsedTimer sinceKill;
        OnceWhen([&] { return turn.isValid() && turn.elapsed() > 2000; }, [&] {
            server->Kill();
            sinceKill.start();
        });
        turn.start();
        QTRY_VERIFY_WITH_TIMEOUT(!errors->Messages.isEmpty(), 10000);
        QVERIFY(sinceKill.isValid());
        ExpectOneLossMessage(sinceKill.elapsed());
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
        form->KelvoStopButton->click();

        QString log;
        QVERIFY2(server->Start(log), qPrintable(log));
        form->CSpeedEdit->setText(QStringLiteral("20"));
        form->SpeedEdit->setText(QStringLiteral("20"));
        form->SetSpeed();
        PlaysAsTheTimingSays([&] {
            form->Kelvobutton->click();
            form->KelvoSendButton->click();
            QTRY_VERIFY_WITH_TIMEOUT(form->Timer1->Enabled(), 10000);  // the turn has been played
        }, {QStringLiteral("3313")});
        QCOMPARE(errors->Messages.size(), 1);
        form->KelvoStopButton->click();
    }

private:
    void ExpectOneLossMessage(qint64 afterMs) {
        QCOMPARE(errors->Messages.size(), 1);
        QVERIFY2(errors->Messages.first().contains(QLatin1String(NoOutputAdvice)),
                 qPrintable(errors->Messages.first()));
        QVERIFY2(afterMs < ErrorWithinMs, qPrintable(QStringLiteral("error box after %1 ms").arg(afterMs)));
        qInfo("error box %lld ms after the server was killed: %s", static_cast<long long>(afterMs),
              qPrintable(errors->Messages.first()));
        // The window still answers events.
        bool answered = false;
        QTimer::singleShot(0, form.get(), [&] { answered = true; });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 1000);
    }

    // Runs `play` while the restarted server's sink is recorded and compares the marks heard with
    // the keying timing of `elements`.
    void PlaysAsTheTimingSays(const std::function<void()>& play, const QStringList& elements) {
        Recorder recorder(parec);
        QTest::qWait(WarmUpMs);
        QVERIFY(recorder.Running());
        play();
        const std::vector<Mark> expected =
            ExpectedMarks(elements, form->Timing, form->SpinEdit2->value());
        const int cycle = static_cast<int>(std::ceil(SampleRate / form->ToneFreq));
        std::vector<Mark> marks;
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            const std::vector<std::int16_t> recording = recorder.Samples();
            marks = FindMarks(recording, cycle);
            const auto recorded = static_cast<std::int64_t>(recording.size());
            if ((marks.size() >= expected.size() && Ms(recorded - marks.back().End) >= TrailingSilenceMs) ||
                waited.elapsed() > PlayOutTimeoutMs)
                break;
            QTest::qWait(100);
        }
        QCOMPARE(marks.size(), expected.size());
        for (std::size_t k = 0; k < marks.size(); ++k) {
            const double beginError = Ms((marks[k].Begin - marks[0].Begin) - (expected[k].Begin - expected[0].Begin));
            const double endError = Ms((marks[k].End - marks[0].Begin) - (expected[k].End - expected[0].Begin));
            QVERIFY2(std::abs(beginError) <= ToleranceMs && std::abs(endError) <= ToleranceMs,
                     qPrintable(QStringLiteral("mark %1: begins %2 ms and ends %3 ms off the timing")
                                    .arg(k + 1).arg(beginError).arg(endError)));
        }
    }

    QString parec;
    std::unique_ptr<PrivateSoundServer> server;
    std::unique_ptr<ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(SoundServerLossTest)
#include "test_sound_server_loss.moc"
