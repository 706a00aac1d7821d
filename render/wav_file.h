#pragma once
// 16-bit mono PCM WAV output: the header, a buffered sample writer over a file descriptor, and
// an output that is either a file written whole or not at all, or standard output.
//
// Not thread-safe; one writer per output.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

class TextRenderer;

inline constexpr int WavHeaderSize = 44;
// The RIFF size field (36 header bytes + the data) is 32 bits, and each sample takes 2 bytes.
inline constexpr std::int64_t MaxWavSamples = (0xFFFFFFFFLL - 36) / 2;

// The header of a file of `samples` 16-bit mono samples at `sampRate` per second. Throws
// std::length_error when the samples do not fit one WAV file.
std::array<unsigned char, WavHeaderSize> WavHeader(int sampRate, std::int64_t samples);

// Collects samples as little-endian bytes and writes them in large blocks, never per sample.
// Throws EFileError("Cannot create file <name>: <reason>", or "Cannot write to standard output:
// <reason>") when a write fails.
class WavWriter {
public:
    WavWriter(int fd, std::string name) : Fd(fd), Name(std::move(name)) {}
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void Put(std::int16_t sample) {
        const auto bits = static_cast<std::uint16_t>(sample);
        Buffer[Used] = static_cast<unsigned char>(bits & 0xFF);
        Buffer[Used + 1] = static_cast<unsigned char>(bits >> 8);
        Used += 2;
        ++Samples;
        if (Used == Buffer.size()) Flush();
    }
    void PutBytes(const unsigned char* data, std::size_t size);
    // Writes what is buffered.
    void Flush();
    std::int64_t SamplesPut() const noexcept { return Samples; }

private:
    int Fd;
    std::string Name;
    std::array<unsigned char, 1 << 16> Buffer{};
    std::size_t Used = 0;
    std::int64_t Samples = 0;
};

// Where the sound goes: "-" is standard output; any other name is a temporary file beside it
// that replaces it only on Commit, so a failure, an interruption or a bad value never leaves a
// partial file behind (the destructor removes an uncommitted temporary file, and so does a
// signal once RemoveUnfinishedOutputOnSignals has been called). One at a time per process.
class WavOutput {
public:
    explicit WavOutput(const std::string& name);  // throws EFileError "Cannot create file <name>"
    ~WavOutput();
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    int fd() const noexcept { return Fd; }
    const std::string& name() const noexcept { return Name; }
    // Makes the written file the named one (on standard output: nothing left to do).
    void Commit();

private:
    std::string Name;
    std::string Target;  // the file Name stands for: a link's file, or Name itself
    std::string TempPath;
    int Fd = -1;
    bool Committed = false;
};

// The file name that stands for standard input or standard output.
inline constexpr std::string_view StandardStreamName = "-";

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of the WavOutput being written
// before they end the program, and makes a write beyond the file size limit fail (SIGXFSZ is
// ignored). For a program's main, before any output is opened.
void RemoveUnfinishedOutputOnSignals();

// Writes the WAV file of the send of `text`: header, then every sample. Checks before writing
// anything that the sound fits one WAV file.
void WriteWav(const TextRenderer& renderer, std::u32string_view text, int fd, const std::string& name);

}  // namespace kelvo
