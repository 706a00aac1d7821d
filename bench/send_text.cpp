// Sends one text through the default sound device exactly as "Send Text" does, then ends: a
// whole program to time from outside beside another Morse sender playing the same text at the
// same speed (plain timing, start-up tone and waveform).
// Usage: bench_send_text WPM TEXT   (QT_QPA_PLATFORM=offscreen needs no display)
#include "platform/controls.h"
#include "platform/guard.h"
#include "ui/main/form1.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WPM TEXT\n", argv[0]);
        return 2;
    }
    int qtArgc = 1;
    kelvo::TApplication app(qtArgc, argv);
    kelvo::TForm1 form;
    form.CSpeedEdit->setText(QString::fromUtf8(argv[1]));
    form.SpeedEdit->setText(QString::fromUtf8(argv[1]));
    kelvo::TForm1::SetMemoText(form.Memo1, QString::fromUtf8(argv[2]));
    bool failed = false;
    kelvo::SetErrorSink([&](const QString& message) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        failed = true;
    });
    kelvo::RunGuarded([&] {
        form.SetSpeed();
        form.SendbuttonClick();
        // Closing resets the device: let the buffers still queued (at most 1.5 s) play out first,
        // so that the run lasts as long as its sound.
        std::this_thread::sleep_for(std::chrono::milliseconds(1600));
        form.OutSound1.Close();
    });
    return failed ? 1 : 0;
}
