#include "render/render_options.h"

#include "platform/convert.h"
#include "platform/text_file.h"
#include "sources/practice_library.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

namespace kelvo {

namespace {


constexpr const char* UnknownOptionMessage = "unknown option '%s'";
constexpr const char* MissingValueMessage = "option '%s' needs a value";
constexpr const char* UnwantedValueMessage = "option '%s' takes no value";
constexpr const char* SecondTextFileMessage = "only one text file can be keyed at a time, not also '%s'";
constexpr const char* NoOutputMessage = "no output file: give -o FILE, or -o - for standard output";
constexpr const char* TextAndPracticeMessage = "give a text file or --practice, not both";

// A whole-number option and its range; `what` and `unit` complete "<what> must be <min> to <max><unit>".
struct IntRange {
    std::string_view Option;
    int Min;
    int Max;
    std::string_view What;
    std::string_view Unit;
};

constexpr IntRange CodeSpeedRange{"--wpm", 1, 100, "the code speed", " words per minute"};
constexpr IntRange CharSpeedRange{"--farnsworth", 1, 100, "the character speed", " words per minute"};
constexpr IntRange HarmonicsRange{"--harmonics", 0, 3, "the number of harmonics", ""};
constexpr IntRange RateRange{"--rate", 8000, 48000, "the sample rate", " samples per second"};
constexpr IntRange PracticeRange{"--practice", 1, PracticeTextCount, "the practice text number", ""};
// The window's rise/fall control's range. A rise under one sample would hold a mark at level 0.
constexpr double MinRiseMs = 1;
constexpr double MaxRiseMs = 50;
constexpr int MinToneFreq = 20;

[[noreturn]] void Usage(const std::string& message) { throw EUsageError(message); }

// The shortest decimal that reads back as `value`: 1 as "1", 2.5 as "2.5".
std::string Shortest(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string OutOfRange(std::string_view option, std::string_view value, std::string_view what, const std::string& min,
                       const std::string& max, std::string_view unit) {
    return std::string(option) + " " + std::string(value) + " is out of range: " + std::string(what) + " must be " +
           min + " to " + max + std::string(unit);
}

// The whole text as a number, or nothing; a leading '+' is allowed as the window's boxes allow it.
template <class Number>
std::optional<Number> ParseNumber(std::string_view text) {
    if (text.starts_with('+') && text.size() > 1 && text[1] != '-') text.remove_prefix(1);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // A whole number beyond 32 bits is out of any range here: report it as such.
    if (error == std::errc::result_out_of_range && std::is_integral_v<Number>)
        return text.starts_with('-') ? std::numeric_limits<Number>::min() : std::numeric_limits<Number>::max();
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int IntValue(std::string_view option, std::string_view text) {
    const std::optional<int> value = ParseNumber<int>(text);
    if (!value) Usage(std::string(option) + ": " + FormatMessage(InvalidIntegerMessage, text));
    return *value;
}

int IntValue(const IntRange& range, std::string_view text) {
    const int value = IntValue(range.Option, text);
    if (value < range.Min || value > range.Max)
        Usage(OutOfRange(range.Option, text, range.What, std::to_string(range.Min), std::to_string(range.Max),
                         range.Unit));
    return value;
}

double RiseValue(std::string_view text) {
    constexpr std::string_view option = "--rise";
    const std::optional<double> value = ParseNumber<double>(text);
    if (!value) Usage(std::string(option) + ": " + FormatMessage(InvalidFloatMessage, text));
    if (!(*value >= MinRiseMs && *value <= MaxRiseMs))
        Usage(OutOfRange(option, text, "the rise and fall time", Shortest(MinRiseMs), Shortest(MaxRiseMs), " ms"));
    return *value;
}

bool IsHelp(std::string_view arg) { return arg == "-h" || arg == "--help"; }

}  // namespace

RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args) {
    RenderOptions o;
    for (const std::string_view arg : args) {
        if (arg == "--") break;
        if (IsHelp(arg)) {
            o.Help = true;
            return o;
        }
    }

    std::string freqText;  // checked last: its range depends on the sample rate
    bool haveOutput = false;
    bool optionsEnded = false;
    const auto positional = [&](std::string_view arg) {
        if (!o.TextFile.empty()) Usage(FormatMessage(SecondTextFileMessage, arg));
        o.TextFile = arg;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            positional(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name value", "--name=value", "-o value" or "-ovalue".
        std::string_view name = arg;
        std::string_view inlineValue;
        bool hasInlineValue = false;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
                hasInlineValue = true;
            }
        } else if (arg.starts_with("-o") && arg.size() > 2) {
            name = "-o";
            inlineValue = arg.substr(2);
            hasInlineValue = true;
        }
        const auto value = [&]() -> std::string_view {
            if (hasInlineValue) return inlineValue;
            if (i + 1 >= args.size()) Usage(FormatMessage(MissingValueMessage, name));
            return args[++i];
        };

        if (name == "--square") {
            if (hasInlineValue) Usage(FormatMessage(UnwantedValueMessage, name));
            o.Settings.SquareWave = true;
        } else if (name == "-o") {
            o.Output = value();
            haveOutput = true;
        } else if (name == CodeSpeedRange.Option) {
            o.Settings.CodeSpeed = IntValue(CodeSpeedRange, value());
        } else if (name == CharSpeedRange.Option) {
            o.Settings.CharSpeed = IntValue(CharSpeedRange, value());
        } else if (name == "--freq") {
            freqText = value();
            o.Settings.ToneFreq = IntValue(name, freqText);  // its range needs the sample rate
        } else if (name == "--rise") {
            o.Settings.RiseMs = RiseValue(value());
        } else if (name == HarmonicsRange.Option) {
            o.Settings.Harmonics = IntValue(HarmonicsRange, value());
        } else if (name == RateRange.Option) {
            o.Settings.SampRate = IntValue(RateRange, value());
        } else if (name == PracticeRange.Option) {
            o.Practice = IntValue(PracticeRange, value());
        } else if (name == "--data") {
            o.DataDir = value();
            if (o.DataDir.empty()) Usage(FormatMessage(MissingValueMessage, name));
        } else {
            Usage(FormatMessage(UnknownOptionMessage, name));
        }
    }

    // A tone at or above half the sample rate cannot be represented: it folds back as another
    // pitch, or, at exactly half, as silence.
    const int maxFreq = (o.Settings.SampRate - 1) / 2;
    if (o.Settings.ToneFreq < MinToneFreq || o.Settings.ToneFreq > maxFreq) {
        const std::string shown = freqText.empty() ? std::to_string(o.Settings.ToneFreq) : freqText;
        Usage(OutOfRange("--freq", shown, "the tone", std::to_string(MinToneFreq), std::to_string(maxFreq),
                         " Hz at " + std::to_string(o.Settings.SampRate) + " samples per second"));
    }
    if (!haveOutput || o.Output.empty()) Usage(NoOutputMessage);
    if (o.Practice != 0 && !o.TextFile.empty()) Usage(TextAndPracticeMessage);
    return o;
}

std::string ReadPracticeText(const std::filesystem::path& dir, int number) {
    const auto place = LocatePracticeText(number);
    if (!place) return {};
    const std::vector<std::string> lines = ReadTextLines(ResolveNoCase(dir, place->BlockFile));
    return place->Line <= static_cast<int>(lines.size()) ? lines[place->Line - 1] : std::string();
}

std::string_view RenderHelp() {
    return R"(Usage: kelvo-render [OPTIONS] [TEXTFILE] -o OUTPUT.wav
       kelvo-render [OPTIONS] --practice N -o OUTPUT.wav

Keys a text as Morse code and writes the sound as a 16-bit mono PCM WAV file: the same
samples the Kelvo window sends for the same text and settings, from the 3-dit lead-in to
the last character gap.

Text (one of):
  TEXTFILE          the text to key, UTF-8 (any other byte is read as Windows-1252);
                    "-" or no TEXTFILE reads standard input. Letters, digits and the
                    punctuation Kelvo knows are keyed; a space is a word gap, a line end a
                    word gap and one more character gap, "@" twenty dits without a gap;
                    any other character is a character gap.
  --practice N      practice text N, 1 to 950, read from the block file P0 ... P9 that
                    holds it, as "Load practice Text" does
  --data DIR        the folder holding P0 ... P9 (default: the current folder, like the
                    window; scripts/run.sh keeps them in ~/.local/share/kelvo)

Output:
  -o FILE           the WAV file to write; "-" writes to standard output (not to a
                    terminal). A file is written whole or not at all: after an error no
                    partial file is left and an existing file keeps its old contents.
                    A link is written through to its file; a read-only file is kept.

Sound (the defaults are the window's):
  --wpm N           code speed, 1 to 100 words per minute (default 5)
  --farnsworth N    character speed, 1 to 100 words per minute (default 14); characters go
                    at this speed with longer gaps when it is above the code speed
  --freq HZ         tone frequency in whole hertz, 20 up to below half the sample rate
                    (default 800)
  --rise MS         rise and fall time of each mark, 1 to 50 ms (default 5)
  --harmonics N     odd harmonics added to the tone, 0 (a pure sine) to 3 (default 1)
  --square          clip the tone to a square wave
  --rate N          samples per second, 8000 to 48000 (default 8000, the window's)

  -h, --help        show this help

Options take their value as "--wpm 12" or "--wpm=12".
Exit status: 0 written; 1 a file could not be read or written; 2 a bad command line.

Examples:
  kelvo-render --practice 1 -o p1.wav
  kelvo-render --practice 250 --data ~/.local/share/kelvo -o p250.wav
  kelvo-render --wpm 12 --farnsworth 18 --freq 650 --rise 3 lesson.txt -o lesson.wav
  echo "CQ CQ DE K1ABC" | kelvo-render --harmonics 0 --square --rate 44100 -o - | aplay
)";
}

}  // namespace kelvo
