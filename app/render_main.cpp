// kelvo-render: keys a text as Morse code into sound files, with the window's keying code.
// The one place that catches: a bad command line exits with status 2, any other failure with 1,
// each with its message on standard error and no output file left behind.
#include "platform/text_file.h"
#include "render/render.h"
#include "render/render_job.h"
#include "render/render_options.h"
#include "render/sound_file.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* ProgramName = "kelvo-render";
constexpr const char* TerminalMessage =
    "will not write sound to a terminal: redirect standard output or give -o FILE";
// Long work, worth a progress line: an hour of sound or more (a book; seconds of work in MP3).
constexpr double LongSoundSeconds = 3600;

std::string ReadStandardInput() {
    std::string bytes((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) throw kelvo::EFileError("Cannot read standard input");
    return bytes;
}

// The text exactly as the window's text box would hold it after loading it.
std::string LoadText(const kelvo::RenderOptions& options) {
    if (options.Practice != 0) return kelvo::ReadPracticeText(options.DataDir, options.Practice);
    if (options.TextFile.empty() || options.TextFile == kelvo::StandardStreamName)
        return kelvo::DecodeUtf8OrWindows1252(ReadStandardInput());
    return kelvo::ReadTextFile(options.TextFile);
}

// One line on the terminal, rewritten in place, for work that takes a while; removed at the end.
class ProgressLine {
public:
    ProgressLine() : Terminal(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() {
        if (Written) std::cerr << "\r\033[K" << std::flush;
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void operator()(const kelvo::RenderProgress& p) {
        if (!Terminal || p.SoundSeconds < LongSoundSeconds) return;
        const int percent = static_cast<int>(std::floor(p.Share * 100));
        std::cerr << "\r\033[K" << ProgramName << ": ";
        if (p.Chapters > 1) std::cerr << "chapter " << std::min(p.ChaptersDone + 1, p.Chapters) << " of " << p.Chapters << ", ";
        std::cerr << percent << "% done" << std::flush;
        Written = true;
    }

private:
    bool Terminal;
    bool Written = false;
};

int Run(const std::vector<std::string_view>& args) {
    const kelvo::RenderOptions options = kelvo::ParseRenderOptions(args);
    if (options.Help) {
        std::cout << kelvo::RenderHelp();
        std::cout.flush();
        return std::cout ? 0 : kelvo::FailureExitStatus;
    }
    if (options.Output == kelvo::StandardStreamName && ::isatty(STDOUT_FILENO))
        throw kelvo::EUsageError(TerminalMessage);
    const std::u32string text = kelvo::KeyedText(LoadText(options));
    const std::vector<kelvo::RenderJob> jobs = kelvo::PlanJobs(options, text);
    ProgressLine progress;
    kelvo::RunJobs(jobs, std::max(1u, std::thread::hardware_concurrency()),
                   [&progress](const kelvo::RenderProgress& p) { progress(p); });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    kelvo::RemoveUnfinishedOutputOnSignals();
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        return Run(args);
    } catch (const kelvo::EUsageError& e) {
        std::cerr << ProgramName << ": " << e.what() << "\nTry '" << ProgramName << " --help' for more information.\n";
        return kelvo::UsageExitStatus;
    } catch (const std::exception& e) {
        std::cerr << ProgramName << ": " << e.what() << '\n';
        return kelvo::FailureExitStatus;
    }
}
