#pragma once
// The command line of kelvo-render: options, their ranges and the help text. Pure: reads no
// files; the caller opens what the options name.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "render/render.h"
#include "render/sound_file.h"

namespace kelvo {

// A command line that cannot be carried out as given; the program exits with status 2.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int UsageExitStatus = 2;
inline constexpr int FailureExitStatus = 1;

// The fastest code or character speed, in words per minute; a speed step stops there too.
inline constexpr int MaxSpeed = 100;

// The shortest decimal that reads back as `value`: 1 as "1", 2.5 as "2.5".
std::string Shortest(double value);

struct RenderOptions {
    RenderSettings Settings;
    int Practice = 0;          // practice text number; 0 when the text comes from a file
    std::string DataDir;       // folder of the block files; empty is the current folder
    std::string TextFile;      // empty or "-": standard input
    std::string Output;        // "-": standard output; with a chapter marker, a numbered name
    SoundFormat Format = SoundFormat::Wav;  // from --format, else the output's extension
    double Quality = 0;        // the encoder's, 0 to 1; the format's default unless given
    std::string Title;
    std::string Artist = "Kelvo";
    std::string Comment;       // empty: the speeds, tone and rise time used
    std::string ChapterMarker; // empty: one file
    int SpeedStep = 0;         // words per minute added to both speeds per chapter
    bool Help = false;
};

// `args` without the program name. Throws EUsageError with a message naming the option and the
// range it takes. "-h" or "--help" anywhere before "--" gives Help and nothing else is checked.
RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args);

std::string RenderHelp();

// The practice text `number` (1..950) as the window's "Load practice Text" loads it: line
// number - 100k of block file "P<k>", k = (number - 1) / 100, in `dir`, the name matched without
// regard to case. A block with fewer lines gives an empty text. Throws EFileError
// "Cannot open file <name>".
std::string ReadPracticeText(const std::filesystem::path& dir, int number);

}  // namespace kelvo
