#include "render/render_options.h"

#include "platform/convert.h"
#include "platform/text_file.h"
#include "render/chapters.h"
#include "sources/practice_library.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kelvo {

namespace {

constexpr int MinSpeed = 1;
constexpr int MinHarmonics = 0, MaxHarmonics = 3;
constexpr int MinRate = 8000, MaxRate = 48000;
// The window's rise/fall control's range. A rise under one sample would hold a mark at level 0.
constexpr double MinRiseMs = 1, MaxRiseMs = 50;
constexpr int MinToneFreq = 20;
constexpr double MinQuality = 0, MaxQuality = 1;
constexpr int MinSpeedStep = 0, MaxSpeedStep = 20;

constexpr const char* WordsPerMinute = " words per minute";
constexpr const char* SamplesPerSecond = " samples per second";

std::string OutOfRange(const std::string& value, const std::string& what, const std::string& min,
                       const std::string& max, const std::string& unit) {
    return value + " is out of range: " + what + " must be " + min + " to " + max + unit;
}

// A number option's check: converted as CLI11 converts it, then held to [min, max]. `what` and
// `unit` complete "<what> must be <min> to <max><unit>". A whole number beyond 64 bits is "not
// valid"; one beyond the range, however far, is "out of range".
template <class Number>
CLI::Validator InRange(Number min, Number max, const std::string& what, const std::string& unit = "") {
    using Wide = std::conditional_t<std::is_integral_v<Number>, std::int64_t, double>;
    const char* invalid = std::is_integral_v<Number> ? InvalidIntegerMessage : InvalidFloatMessage;
    const std::string shownMin = std::is_integral_v<Number> ? std::to_string(min) : Shortest(min);
    const std::string shownMax = std::is_integral_v<Number> ? std::to_string(max) : Shortest(max);
    return CLI::Validator(
        [=](std::string& input) -> std::string {
            Wide value{};
            if (!CLI::detail::lexical_cast(input, value)) return FormatMessage(invalid, input);
            if (!(value >= min && value <= max)) return OutOfRange(input, what, shownMin, shownMax, unit);
            return {};
        },
        "");
}

// The tone's range depends on the sample rate, so only its form is checked while parsing.
CLI::Validator WholeNumber() {
    return CLI::Validator(
        [](std::string& input) -> std::string {
            std::int64_t value{};
            return CLI::detail::lexical_cast(input, value) ? std::string() : FormatMessage(InvalidIntegerMessage, input);
        },
        "");
}

CLI::Validator KnownFormat() {
    return CLI::Validator(
        [](std::string& input) -> std::string {
            return FormatNamed(input) ? std::string() : "'" + input + "' is not a format: give wav, flac, ogg, opus or mp3";
        },
        "");
}

CLI::Validator NotEmpty(const std::string& what) {
    return CLI::Validator([=](std::string& input) { return input.empty() ? "needs " + what : std::string(); }, "");
}

constexpr const char* Description =
    "Keys a text as Morse code and writes the sound as a file: WAV (16-bit mono PCM), FLAC, Ogg\n"
    "Vorbis, Ogg Opus or MP3. The sound is the same samples the Kelvo window sends for the same\n"
    "text and settings, from the 3-dit lead-in to the last character gap (the lossy formats\n"
    "keep the keying, not every sample). A book can be split into chapters, one file each.\n";

constexpr const char* Footer = R"(Options take their value as "--wpm 12" or "--wpm=12".
Exit status: 0 written; 1 a file could not be read or written; 2 a bad command line.

Examples:
  kelvo-render --practice 1 -o p1.wav
  kelvo-render --practice 250 --data ~/.local/share/kelvo -o p250.wav
  kelvo-render --wpm 12 --farnsworth 18 --freq 650 --rise 3 lesson.txt -o lesson.wav
  echo "CQ CQ DE Q1ABC" | kelvo-render --harmonics 0 --square --rate 44100 -o - | aplay
  kelvo-render --format flac --title "Lesson 1" --comment "first lesson" lesson.txt -o - > l1.flac
  kelvo-render --wpm 15 --farnsworth 20 --chapter-marker CHAPTER --speed-step 1 --title "My Book"
               --artist "Jane Doe" --quality 0.5 book.txt -o book-%03d.mp3
    (a book to MP3 files book-001.mp3, book-002.mp3, ..., one per line beginning "CHAPTER",
    each 1 word per minute faster than the one before))";

// CLI11's layout with the usage lines first, every option in its group (the text file too),
// each default said in words, and descriptions wrapped to the width of a terminal.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string out = std::string(Usage) + "\n" + app->get_description();
        for (const std::string& group : app->get_groups()) {
            const auto options = app->get_options([&](const CLI::Option* o) { return o->get_group() == group; });
            if (!group.empty() && !options.empty()) out += make_group(group, false, options);
        }
        return out + "\n" + app->get_footer() + "\n";
    }
    std::string make_option_opts(const CLI::Option* o) const override {
        return o->get_type_name().empty() || o->get_positional() ? std::string() : " " + o->get_type_name();
    }
    std::string make_option_desc(const CLI::Option* o) const override {
        std::string text = o->get_description();
        if (!o->get_default_str().empty() && o->get_type_size() != 0 && !o->get_positional())
            text += " (default " + o->get_default_str() + ")";
        return Wrapped(text);
    }

private:
    static constexpr const char* Usage =
        "Usage: kelvo-render [OPTIONS] [TEXTFILE] -o FILE\n"
        "       kelvo-render [OPTIONS] --practice N -o FILE\n";
    static constexpr std::size_t TextWidth = 90 - 20;

    static std::string Wrapped(const std::string& text) {
        std::string out;
        std::size_t lineStart = 0;
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find(' ', start);
            if (end == std::string::npos) end = text.size();
            const std::string word = text.substr(start, end - start);
            if (!out.empty() && out.size() - lineStart + 1 + word.size() > TextWidth) {
                out += '\n';
                lineStart = out.size();
            } else if (!out.empty()) {
                out += ' ';
            }
            out += word;
            start = end + 1;
        }
        return out;
    }
};

// The whole command line, declared once: each option with its type, range, default and help.
// The app writes into `o`; it never exits the process.
std::unique_ptr<CLI::App> CommandLine(RenderOptions& o, std::string& format, std::optional<double>& quality) {
    auto app = std::make_unique<CLI::App>(Description, "kelvo-render");
    app->footer(Footer);
    // As with most programs, an option given twice takes its last value.
    app->option_defaults()->always_capture_default()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->column_width(20);
    formatter->label("REQUIRED", "");  // the usage lines already show -o
    app->formatter(formatter);

    constexpr const char* text = "Text (one of)";
    const auto textFile =
        app->add_option("TEXTFILE", o.TextFile,
                        "the text to key, UTF-8 (a byte that is not UTF-8 is read as Windows-1252); \"-\" or no "
                        "TEXTFILE reads standard input. Letters, digits and the punctuation Kelvo knows are "
                        "keyed; a space is a word gap, a line end a word gap and one more character gap, "
                        "\"@\" twenty dits without a gap; any other character is a character gap.")
            ->group(text);
    app->add_option("--practice", o.Practice,
                    "practice text N, 1 to 950, read from the block file P0 ... P9 that holds it, as "
                    "\"Load practice Text\" does")
        ->type_name("N")
        ->default_str("")  // 0 stands for no practice text
        ->check(InRange(1, PracticeTextCount, "the practice text number"))
        ->excludes(textFile)
        ->group(text);
    app->add_option("--data", o.DataDir,
                    "the folder holding P0 ... P9 (default: the current folder, like the window; "
                    "scripts/run.sh keeps them in ~/.local/share/kelvo)")
        ->type_name("DIR")
        ->check(NotEmpty("a folder name"))
        ->group(text);

    constexpr const char* output = "Output";
    app->add_option("-o", o.Output,
                    "the file to write; \"-\" writes to standard output (not to a terminal). A file is "
                    "written whole or not at all, every chapter file or none: after an error or an "
                    "interruption no partial file is left and an existing file keeps its old contents; a "
                    "link is written through to its file and a read-only file is kept. With "
                    "--chapter-marker, a numbered name such as book-%03d.mp3 (%d, %03d ... stand for the "
                    "chapter number, %% for a %)")
        ->type_name("FILE")
        ->required()
        ->check(NotEmpty("a file name, or - for standard output"))
        ->group(output);
    app->add_option("--format", format,
                    "wav, flac, ogg (Vorbis), opus or mp3 (default: from the extension of -o: .wav, .flac, "
                    ".ogg or .oga, .opus, .mp3; any other name and standard output get WAV)")
        ->type_name("NAME")
        ->check(KnownFormat())
        ->group(output);
    app->add_option("--quality", quality,
                    "the encoder's quality for ogg, opus and mp3, 0 (smallest file) to 1 (best sound) "
                    "(default: clean Morse at a small size, 0.3 for ogg and mp3, 0.1 for opus)")
        ->type_name("Q")
        ->check(InRange(MinQuality, MaxQuality, "the quality"))
        ->group(output);
    app->add_option("--title", o.Title, "the title tag (flac, ogg, opus, mp3); with chapters, each file's "
                                        "title ends in its chapter number")
        ->type_name("TEXT")
        ->group(output);
    app->add_option("--artist", o.Artist, "the artist tag (not in WAV; default: Kelvo)")
        ->type_name("TEXT")
        ->group(output);
    app->add_option("--comment", o.Comment,
                    "the comment tag (not in WAV; default: the speeds, tone and rise time used)")
        ->type_name("TEXT")
        ->group(output);
    app->add_option("--chapter-marker", o.ChapterMarker,
                    "start a new chapter, and a new file, at each line that begins with TEXT (for example "
                    "CHAPTER); the marker line is keyed as the chapter's heading. The chapters are "
                    "encoded on all cores at once; on a terminal, work of an hour of sound or more shows "
                    "a progress line.")
        ->type_name("TEXT")
        ->check(NotEmpty("a marker text"))
        ->group(output);
    app->add_option("--speed-step", o.SpeedStep,
                    "raise both speeds by N words per minute, 0 to 20, from one chapter to the next (no "
                    "speed goes above 100)")
        ->type_name("N")
        ->check(InRange(MinSpeedStep, MaxSpeedStep, "the speed step", WordsPerMinute))
        ->group(output);

    constexpr const char* sound = "Sound (the defaults are the window's)";
    RenderSettings& s = o.Settings;
    app->add_option("--wpm", s.CodeSpeed, "code speed, 1 to 100 words per minute")
        ->type_name("N")
        ->check(InRange(MinSpeed, MaxSpeed, "the code speed", WordsPerMinute))
        ->group(sound);
    app->add_option("--farnsworth", s.CharSpeed,
                    "character speed, 1 to 100 words per minute; characters go at this speed with longer "
                    "gaps when it is above the code speed")
        ->type_name("N")
        ->check(InRange(MinSpeed, MaxSpeed, "the character speed", WordsPerMinute))
        ->group(sound);
    app->add_option("--freq", s.ToneFreq, "tone frequency in whole hertz, 20 up to below half the sample rate")
        ->type_name("HZ")
        ->check(WholeNumber())
        ->group(sound);
    app->add_option("--rise", s.RiseMs, "rise and fall time of each mark, 1 to 50 ms")
        ->type_name("MS")
        ->check(InRange(MinRiseMs, MaxRiseMs, "the rise and fall time", " ms"))
        ->group(sound);
    app->add_option("--harmonics", s.Harmonics, "odd harmonics added to the tone, 0 (a pure sine) to 3")
        ->type_name("N")
        ->check(InRange(MinHarmonics, MaxHarmonics, "the number of harmonics"))
        ->group(sound);
    app->add_flag("--square", s.SquareWave, "clip the tone to a square wave")->disable_flag_override()->group(sound);
    app->add_option("--rate", s.SampRate, "samples per second, 8000 to 48000")
        ->type_name("N")
        ->check(InRange(MinRate, MaxRate, "the sample rate", SamplesPerSecond))
        ->group(sound);
    app->set_help_flag("-h,--help", "show this help")->group("Help");
    return app;
}

bool IsHelp(std::string_view arg) { return arg == "-h" || arg == "--help"; }

}  // namespace

std::string Shortest(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args) {
    RenderOptions o;
    // Help wins over everything else on the line, even over its errors.
    for (const std::string_view arg : args) {
        if (arg == "--") break;
        if (IsHelp(arg)) {
            o.Help = true;
            return o;
        }
    }
    std::string format;
    std::optional<double> quality;
    const auto app = CommandLine(o, format, quality);
    try {
        app->parse(std::vector<std::string>(args.rbegin(), args.rend()));  // CLI11 takes them last first
    } catch (const CLI::ParseError& e) {
        throw EUsageError(e.what());
    }
    // A tone at or above half the sample rate cannot be represented: it folds back as another
    // pitch, or, at exactly half, as silence.
    const int maxFreq = (o.Settings.SampRate - 1) / 2;
    if (o.Settings.ToneFreq < MinToneFreq || o.Settings.ToneFreq > maxFreq)
        throw EUsageError("--freq: " + OutOfRange(std::to_string(o.Settings.ToneFreq), "the tone",
                                                  std::to_string(MinToneFreq), std::to_string(maxFreq),
                                                  " Hz at " + std::to_string(o.Settings.SampRate) + SamplesPerSecond));

    o.Format = !format.empty() ? *FormatNamed(format) : FormatOfFile(o.Output).value_or(SoundFormat::Wav);
    o.Quality = quality.value_or(DefaultQuality(o.Format));
    if (!AcceptsRate(o.Format, o.Settings.SampRate))
        throw EUsageError("--rate: the " + std::string(FormatName(o.Format)) + " encoder takes " +
                          std::string(AcceptedRates(o.Format)) + SamplesPerSecond + ", not " +
                          std::to_string(o.Settings.SampRate));
    if (!o.ChapterMarker.empty()) {
        const std::string problem = NumberedNameProblem(o.Output);
        if (!problem.empty())
            throw EUsageError("--chapter-marker writes one file per chapter, but -o " + o.Output + " " +
                              (problem.starts_with("has") ? problem : "is not numbered: " + problem) +
                              "; give a numbered name such as book-%03d.mp3");
    }
    return o;
}

std::string RenderHelp() {
    RenderOptions o;
    std::string format;
    std::optional<double> quality;
    return CommandLine(o, format, quality)->help();
}

std::string ReadPracticeText(const std::filesystem::path& dir, int number) {
    const auto place = LocatePracticeText(number);
    if (!place) return {};
    const std::vector<std::string> lines = ReadTextLines(ResolveNoCase(dir, place->BlockFile));
    return place->Line <= static_cast<int>(lines.size()) ? lines[place->Line - 1] : std::string();
}

}  // namespace kelvo
