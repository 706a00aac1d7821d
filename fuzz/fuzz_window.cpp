#include "fuzz_window.h"

#include "fuzz_check.h"
#include "platform/controls.h"
#include "platform/guard.h"
#include "platform/wave_out_capture.h"
#include "ui/main/form1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace kelvo::fuzz {

namespace {

// Kept for the life of the process: the fuzzer ends it with exit().
struct Program {
    Program() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<TApplication>(argc, argv);
        SetWaveOutBackend(std::make_shared<WaveOutCapture>());
        FUZZ_CHECK(scratch.isValid());
        QDir::setCurrent(scratch.path());
        SetErrorSink([this](const QString& message) { errors << message; });
        form = std::make_unique<TForm1>();
    }
    int argc = 1;
    char name[8] = "fuzzing";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<TApplication> app;
    QTemporaryDir scratch;
    QStringList errors;
    std::unique_ptr<TForm1> form;
};

Program& TheProgram() {
    static Program* program = new Program;
    return *program;
}

}  // namespace

TForm1& Window() { return *TheProgram().form; }

QStringList RunHandler(const std::function<void()>& handler) {
    Program& program = TheProgram();
    program.errors.clear();
    RunGuarded(handler);
    return program.errors;
}

void WriteScratchFile(const QString& name, const char* data, std::size_t size) {
    QFile file(name);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size));
}

}  // namespace kelvo::fuzz
