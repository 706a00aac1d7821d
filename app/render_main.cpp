// kelvo-render: keys a text as Morse code into a WAV file, with the window's keying code.
// The one place that catches: a bad command line exits with status 2, any other failure with 1,
// each with its message on standard error and no output file left behind.
#include "platform/text_file.h"
#include "render/render.h"
#include "render/render_options.h"
#include "render/wav_file.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* ProgramName = "kelvo-render";
constexpr const char* TerminalMessage =
    "will not write sound to a terminal: redirect standard output or give -o FILE";

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
    const kelvo::TextRenderer renderer(options.Settings);
    kelvo::WavOutput output(options.Output);
    kelvo::WriteWav(renderer, text, output.fd(), output.name());
    output.Commit();
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
