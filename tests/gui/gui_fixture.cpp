#include "gui_fixture.h"

#include "keying/tone_shaper.h"
#include "platform/guard.h"
#include "ui/main/form1.h"

#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace kelvo::test {

ErrorRecorder::ErrorRecorder() {
    SetErrorSink([this](const QString& message) { Messages << message; });
}

ErrorRecorder::~ErrorRecorder() { SetErrorSink({}); }

ScopedWorkDir::ScopedWorkDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }

ScopedWorkDir::~ScopedWorkDir() { QDir::setCurrent(previous_); }

std::shared_ptr<WaveOutCapture> UseCaptureDevice(WaveOutCapture::Completion completion) {
    auto capture = std::make_shared<WaveOutCapture>(completion);
    SetWaveOutBackend(capture);
    return capture;
}

std::vector<std::int16_t> SamplesWhenQueued(const WaveOutCapture& capture, std::size_t samples) {
    capture.WaitForQueued(PaddedToBuffers(samples) / BufferLength, std::chrono::seconds(10));
    return capture.Samples();
}

void KeyAt20Wpm(TForm1& form) {
    form.CSpeedEdit->setText(QStringLiteral("20"));
    form.SpeedEdit->setText(QStringLiteral("20"));
    form.SetSpeed();
}

ExpectedSound& ExpectedSound::Note(double duration, double amplitude) {
    ShapeNote(form_.WaveTable, 8000, 5, form_.ToneFreq, duration, amplitude, rampStep_,
              [this](std::int16_t v) { samples_.push_back(v); });
    return *this;
}

ExpectedSound& ExpectedSound::Flush() {
    samples_.resize(PaddedToBuffers(samples_.size()), 0);
    return *this;
}

void OnceWhen(std::function<bool()> when, std::function<void()> action) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!when()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

void Type(QWidget* widget, const QString& text, int repeats) {
    const QChar c = text.front();
    const int key = c.unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
    for (int i = 0; i <= repeats; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, i > 0);
        QApplication::sendEvent(widget, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace kelvo::test
