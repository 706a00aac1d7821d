#pragma once
// Shared pieces of the window tests: the application object, an error recorder in place of the
// error box, and a scratch working folder.
#include "platform/controls.h"
#include "platform/wave_out_capture.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

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

// The samples queued so far, once the buffers holding at least `samples` of them are queued: the
// transfer thread queues the last committed buffer a moment after the window commits it.
std::vector<std::int16_t> SamplesWhenQueued(const WaveOutCapture& capture, std::size_t samples);

// Sends one typed character the way the keyboard does, to the widget that has the focus.
void TypeChar(QWidget* widget, QChar c);

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
