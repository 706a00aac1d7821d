#pragma once
// Sound files of kelvo-render, written by libsndfile: the formats and how a name picks one, the
// tags, and an output that is either a file written whole or not at all, or standard output.
//
// Each SoundOutput and each WriteSound call belongs to one thread; different outputs may be
// written on different threads at once (one chapter each).
#include <atomic>
#include <exception>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

class TextRenderer;

enum class SoundFormat { Wav, Flac, Vorbis, Opus, Mp3 };

// "wav", "flac", "ogg" (Vorbis), "opus" or "mp3", as --format takes them.
std::optional<SoundFormat> FormatNamed(std::string_view name);
std::string_view FormatName(SoundFormat format);
// The format a file name's extension asks for (.wav, .flac, .ogg/.oga, .opus, .mp3, in any
// letter case), or nothing for another extension.
std::optional<SoundFormat> FormatOfFile(std::string_view name);
// Whether the format has an encoder quality to set, and whether it carries title/artist tags.
bool HasQuality(SoundFormat format);
bool CarriesTags(SoundFormat format);
// The sample rates the format's encoder takes; empty means "any" for the lossless formats.
std::string_view AcceptedRates(SoundFormat format);
bool AcceptsRate(SoundFormat format, int sampRate);

// The default encoder quality, 0 (smallest file) to 1 (best sound), per lossy format: the lowest
// cost that keeps the edges of a Morse tone clean.
double DefaultQuality(SoundFormat format);

// The 16-bit mono PCM WAV file holds at most this many samples (its sizes are 32 bits).
inline constexpr std::int64_t MaxWavSamples = (0xFFFFFFFFLL - 36) / 2;

struct SoundTags {
    std::string Title, Artist, Comment, Album, TrackNumber;
};

struct EncoderSettings {
    SoundFormat Format = SoundFormat::Wav;
    double Quality = 0;  // used where HasQuality
    SoundTags Tags;      // written where CarriesTags
};

// Where the sound goes: "-" is standard output; any other name is a temporary file beside it
// that replaces it only on Commit, so a failure, an interruption or a bad value never leaves a
// partial file behind (the destructor removes an uncommitted temporary file, and so does a
// signal once RemoveUnfinishedOutputOnSignals has been called). Standard output is written to
// an unnamed temporary file first and copied out on Commit, since most encoders seek back to
// finish their headers.
class SoundOutput {
public:
    explicit SoundOutput(const std::string& name);  // throws EFileError "Cannot create file <name>: ..."
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    int fd() const noexcept { return Fd; }
    const std::string& name() const noexcept { return Name; }
    // Makes the written file the named one, or copies it to standard output.
    void Commit();

private:
    std::string Name;
    // The file the output replaces: the name itself, or the file a link leads to.
    std::string Target;
    std::string TempPath;
    int Fd = -1;
    int Slot = -1;  // the signal handler's record of TempPath
    bool ToStandardOutput = false;
    bool Committed = false;
};

// The file name that stands for standard input or standard output.
inline constexpr std::string_view StandardStreamName = "-";

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written before they end
// the program, and makes a write beyond the file size limit fail (SIGXFSZ is ignored). For a
// program's main, before any output is opened.
void RemoveUnfinishedOutputOnSignals();

// Thrown by WriteSound when another thread asked it to stop (a sibling chapter failed).
class ECancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// Encodes the send of `text` into `out`. For WAV, checks before writing anything that the sound
// fits one file. Adds the samples written to `progress`, a block at a time, when given; ends
// early with ECancelled once `cancel` is set.
void WriteSound(const TextRenderer& renderer, std::u32string_view text, SoundOutput& out,
                const EncoderSettings& settings, std::atomic<std::int64_t>* progress = nullptr,
                const std::atomic<bool>* cancel = nullptr);

}  // namespace kelvo
