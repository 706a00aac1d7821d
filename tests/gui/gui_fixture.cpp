#include "gui_fixture.h"

#include "platform/guard.h"

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
    constexpr std::size_t BufferLength = 4000;  // the main window's sound buffers
    capture.WaitForQueued((samples + BufferLength - 1) / BufferLength, std::chrono::seconds(10));
    return capture.Samples();
}

void TypeChar(QWidget* widget, QChar c) { QTest::keyClick(widget, c.toLatin1()); }

}  // namespace kelvo::test
