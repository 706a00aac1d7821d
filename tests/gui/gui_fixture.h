#pragma once
// Shared pieces of the window tests: the application object, an error recorder in place of the
// error box, a scratch working folder, files, typed keys, actions in the middle of a send and the
// sound a send should make.
#include "platform/controls.h"
#include "platform/wave_out_capture.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kelvo {
class TForm1;
}

namespace kelvo::test {

// Collects the messages that would have gone to the error box.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;
    QStringList Messages;
};

// Makes a fresh temporary folder the current directory for the object's lifetime.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QString previous_;
    QTemporaryDir dir_;
};

// Makes a capture device the sound output for windows created from now on.
std::shared_ptr<WaveOutCapture> UseCaptureDevice(
    WaveOutCapture::Completion completion = WaveOutCapture::Completion::AtOnce);

// Samples in one of the main window's sound buffers.
inline constexpr std::size_t BufferLength = 4000;

// `samples` rounded up to whole buffers: what the device gets once a send's final flush has
// filled its last buffer up with silence.
constexpr std::size_t PaddedToBuffers(std::size_t samples) {
    return (samples + BufferLength - 1) / BufferLength * BufferLength;
}

// The samples queued so far, once the buffers holding at least `samples` of them are queued: the
// transfer thread queues the last committed buffer a moment after the window commits it.
std::vector<std::int16_t> SamplesWhenQueued(const WaveOutCapture& capture, std::size_t samples);

// Plain timing at 20 words per minute, set through the speed boxes: short sounds, a dit is 480
// samples.
void KeyAt20Wpm(TForm1& form);

// The samples the window should make, built note by note the way it shapes them: its wave table
// and tone, 8000 samples per second and the start-up rise time of 5 ms.
class ExpectedSound {
public:
    explicit ExpectedSound(const TForm1& form) : form_(form) {}
    // A note of `duration` seconds; amplitude 0 is a silence.
    ExpectedSound& Note(double duration, double amplitude);
    // Silence up to the end of the buffer, as the window's flush adds it.
    ExpectedSound& Flush();
    const std::vector<std::int16_t>& Samples() const { return samples_; }

private:
    const TForm1& form_;
    double rampStep_ = 0;  // carried from note to note, as in the window
    std::vector<std::int16_t> samples_;
};

// Runs `action` once, the first time `when` holds while events are processed (inside a send,
// that is after some sample).
void OnceWhen(std::function<bool()> when, std::function<void()> action);

// Types `text` at `widget` the way the keyboard does, through the application's event delivery;
// `repeats` more presses follow as the auto-repeat of a held key.
void Type(QWidget* widget, const QString& text, int repeats = 0);

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray FileBytes(const QString& path);

// Creates or replaces the file with exactly these bytes; the test fails when it cannot.
void WriteFile(const QString& path, const QByteArray& bytes);

}  // namespace kelvo::test

// Runs a Qt Test object inside the program's own application class. No test plays sound on the
// machine's device unless it asks for it: a capture device is the default.
#define KELVO_GUI_TEST_MAIN(TestObject)                    \
    int main(int argc, char** argv) {                      \
        kelvo::TApplication app(argc, argv);               \
        kelvo::test::UseCaptureDevice();                   \
        TestObject test;                                   \
        return QTest::qExec(&test, argc, argv);            \
    }
