#include "render/wav_file.h"

#include "platform/convert.h"
#include "platform/text_file.h"
#include "render/render.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr int Channels = 1;
constexpr int BytesPerSample = 2;
constexpr const char* StandardOutputLabel = "standard output";
constexpr const char* CannotWriteStandardOutput = "Cannot write to standard output";

void PutTag(unsigned char* at, const char (&tag)[5]) { std::memcpy(at, tag, 4); }

void PutLittleEndian(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

[[noreturn]] void ThrowCannotCreate(const std::string& name, int error) {
    const std::string what =
        name == StandardOutputLabel ? CannotWriteStandardOutput : FormatMessage(CannotCreateFileMessage, name);
    throw EFileError(what + ": " + std::strerror(error));
}

// The temporary file being written, for the signal handler, which may only use what is
// async-signal-safe: a fixed buffer and a flag, no std::string.
char PendingTempPath[4096];
volatile std::sig_atomic_t HavePendingTemp = 0;

void RegisterPendingTemp(const std::string& path) {
    if (path.size() >= sizeof PendingTempPath) return;  // too long to keep: left to the destructor alone
    std::memcpy(PendingTempPath, path.c_str(), path.size() + 1);
    HavePendingTemp = 1;
}

extern "C" void RemovePendingTempAndEnd(int signal) {
    if (HavePendingTemp) ::unlink(PendingTempPath);
    // End the way the signal would have ended the program, so the caller sees it.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void RemoveUnfinishedOutputOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now {};
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = RemovePendingTempAndEnd;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
    // Past a file size limit the write then fails with a message instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

std::array<unsigned char, WavHeaderSize> WavHeader(int sampRate, std::int64_t samples) {
    if (samples < 0 || samples > MaxWavSamples)
        throw std::length_error("The sound is too long for a WAV file: " + std::to_string(samples) +
                                " samples, at most " + std::to_string(MaxWavSamples) + " fit in one");
    const auto dataBytes = static_cast<std::uint32_t>(samples * BytesPerSample);
    std::array<unsigned char, WavHeaderSize> h{};
    PutTag(&h[0], "RIFF");
    PutLittleEndian(&h[4], 36 + dataBytes, 4);
    PutTag(&h[8], "WAVE");
    PutTag(&h[12], "fmt ");
    PutLittleEndian(&h[16], 16, 4);  // size of the format block that follows
    PutLittleEndian(&h[20], 1, 2);   // integer PCM
    PutLittleEndian(&h[22], Channels, 2);
    PutLittleEndian(&h[24], static_cast<std::uint32_t>(sampRate), 4);
    PutLittleEndian(&h[28], static_cast<std::uint32_t>(sampRate) * Channels * BytesPerSample, 4);
    PutLittleEndian(&h[32], Channels * BytesPerSample, 2);
    PutLittleEndian(&h[34], 8 * BytesPerSample, 2);
    PutTag(&h[36], "data");
    PutLittleEndian(&h[40], dataBytes, 4);
    return h;
}

void WavWriter::PutBytes(const unsigned char* data, std::size_t size) {
    Flush();
    while (size > 0) {
        const ssize_t n = ::write(Fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowCannotCreate(Name, errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void WavWriter::Flush() {
    const std::size_t used = Used;
    Used = 0;
    if (used > 0) PutBytes(Buffer.data(), used);
}

WavOutput::WavOutput(const std::string& name) : Name(name) {
    if (name == StandardStreamName) {
        Name = StandardOutputLabel;
        Fd = STDOUT_FILENO;
        return;
    }
    // A link is written through to its file; a read-only file is kept.
    int error = 0;
    const std::optional<std::filesystem::path> target = FileToReplace(name, error);
    if (!target) ThrowCannotCreate(name, error);
    Target = target->string();
    struct stat st {};
    // A folder cannot be replaced by a file; say so before any sound is made.
    if (::stat(Target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ThrowCannotCreate(name, EISDIR);
    TempPath = Target + ".XXXXXX";
    Fd = ::mkstemp(TempPath.data());
    if (Fd < 0) {
        TempPath.clear();
        ThrowCannotCreate(name, errno);
    }
    RegisterPendingTemp(TempPath);
}

WavOutput::~WavOutput() {
    if (TempPath.empty()) return;
    HavePendingTemp = 0;
    if (Fd >= 0) ::close(Fd);
    if (!Committed) ::unlink(TempPath.c_str());
}

void WavOutput::Commit() {
    if (TempPath.empty()) return;
    // mkstemp makes the file private (0600); the finished file gets the usual 0666 less umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(Fd, 0666 & ~mask) != 0 || ::fsync(Fd) != 0) ThrowCannotCreate(Name, errno);
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) ThrowCannotCreate(Name, errno);
    if (::rename(TempPath.c_str(), Target.c_str()) != 0) ThrowCannotCreate(Name, errno);
    Committed = true;
    HavePendingTemp = 0;
}

void WriteWav(const TextRenderer& renderer, std::u32string_view text, int fd, const std::string& name) {
    const std::int64_t samples = renderer.SampleCount(text);
    const auto header = WavHeader(renderer.settings().SampRate, samples);
    WavWriter writer(fd, name);
    writer.PutBytes(header.data(), header.size());
    renderer.Render(text, [&writer](std::int16_t s) { writer.Put(s); });
    writer.Flush();
    // The header promised this many; a file that disagrees with its header is a corrupt file.
    if (writer.SamplesPut() != samples)
        throw std::logic_error("The sound came out " + std::to_string(writer.SamplesPut()) + " samples long, not " +
                               std::to_string(samples));
}

}  // namespace kelvo
