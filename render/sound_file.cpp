#include "render/sound_file.h"

#include "platform/convert.h"
#include "platform/text_file.h"
#include "render/render.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <dlfcn.h>

// libsndfile leaves LAME's search effort at the library's default, the slowest setting that is
// still a default, and offers no way to change it. A Morse tone needs none of the noise shaping
// that effort buys: at 7 ("fast, psychoacoustics for pre-echo only") the keying edges stay where
// they are and encoding takes about half the time. libsndfile reaches LAME through the dynamic
// linker, which finds this definition first; it sets the effort and hands over to LAME's own.
extern "C" int lame_init_params(void* flags) {
    constexpr int MorseSearchEffort = 7;  // LAME's 0 (slowest) to 9 (fastest)
    using Function = int (*)(void*);
    using SetQuality = int (*)(void*, int);
    static const auto next = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, "lame_init_params"));
    static const auto setQuality = reinterpret_cast<SetQuality>(::dlsym(RTLD_NEXT, "lame_set_quality"));
    if (!next) return -1;
    if (setQuality) setQuality(flags, MorseSearchEffort);
    return next(flags);
}

namespace kelvo {

namespace {

constexpr const char* StandardOutputLabel = "standard output";
constexpr const char* CannotWriteStandardOutput = "Cannot write to standard output";

struct FormatEntry {
    SoundFormat Format;
    std::string_view Name;
    std::array<std::string_view, 2> Extensions;
    int SfFormat;
    bool Quality;
    bool Tags;
    std::string_view Rates;  // empty: any
    double DefaultQuality;
};

// The MPEG layer III rates, and Opus's own: the encoders take no others.
constexpr std::string_view Mp3Rates = "8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000";
constexpr std::string_view OpusRates = "8000, 12000, 16000, 24000 or 48000";

// WAV carries no tags so that its file stays the plain 44-byte-header file it has always been.
// The lossy defaults: a Morse tone is one steady pitch, so the smallest settings that keep the
// keying edges clean and in place are enough. MP3 at 8000 per second goes no lower than 24 kbit/s:
// below, LAME has no room for the frame that tells decoders to drop its 1105-sample delay.
constexpr FormatEntry Formats[] = {
    {SoundFormat::Wav, "wav", {".wav", ""}, SF_FORMAT_WAV | SF_FORMAT_PCM_16, false, false, "", 0},
    {SoundFormat::Flac, "flac", {".flac", ""}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, false, true, "", 0},
    {SoundFormat::Vorbis, "ogg", {".ogg", ".oga"}, SF_FORMAT_OGG | SF_FORMAT_VORBIS, true, true, "", 0.3},
    {SoundFormat::Opus, "opus", {".opus", ""}, SF_FORMAT_OGG | SF_FORMAT_OPUS, true, true, OpusRates, 0.1},
    {SoundFormat::Mp3, "mp3", {".mp3", ""}, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, true, true, Mp3Rates, 0.3},
};

const FormatEntry& Entry(SoundFormat format) {
    for (const FormatEntry& e : Formats)
        if (e.Format == format) return e;
    throw std::logic_error("unknown sound format");
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

[[noreturn]] void ThrowCannotCreate(const std::string& name, const std::string& reason) {
    const std::string what =
        name == StandardOutputLabel ? CannotWriteStandardOutput : FormatMessage(CannotCreateFileMessage, name);
    throw EFileError(what + ": " + reason);
}
[[noreturn]] void ThrowCannotCreate(const std::string& name, int error) { ThrowCannotCreate(name, std::strerror(error)); }

// The temporary files being written, for the signal handler, which may only use what is
// async-signal-safe: fixed buffers and atomic flags, no std::string. A slot is Free, being
// Filled by its owner, or Ready for the handler to remove.
enum SlotState : int { Free, Filled, Ready };
struct PendingSlot {
    std::atomic<int> State{Free};
    char Path[4096];
};
constexpr int PendingSlots = 256;  // chapters waiting for their commit; beyond, the destructor alone
PendingSlot Pending[PendingSlots];

int RegisterPendingTemp(const std::string& path) {
    if (path.size() >= sizeof Pending[0].Path) return -1;
    for (int i = 0; i < PendingSlots; ++i) {
        int expected = Free;
        if (Pending[i].State.compare_exchange_strong(expected, Filled)) {
            std::memcpy(Pending[i].Path, path.c_str(), path.size() + 1);
            Pending[i].State.store(Ready);
            return i;
        }
    }
    return -1;
}

void ReleasePendingTemp(int& slot) {
    if (slot >= 0) Pending[slot].State.store(Free);
    slot = -1;
}

extern "C" void RemovePendingTempsAndEnd(int signal) {
    for (PendingSlot& p : Pending)
        if (p.State.load() == Ready) ::unlink(p.Path);
    // End the way the signal would have ended the program, so the caller sees it.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WriteAll(int fd, const char* data, std::size_t size, const std::string& name) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowCannotCreate(name, errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// libsndfile's file access over our descriptor, so that a failing write reports the system's
// own reason ("File too large", "No space left on device") instead of a generic one.
struct FdAccess {
    int Fd;
    int Error = 0;  // errno of the first failed call

    static sf_count_t Length(void* self) {
        struct stat st {};
        return ::fstat(static_cast<FdAccess*>(self)->Fd, &st) == 0 ? st.st_size : -1;
    }
    static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
        return ::lseek(static_cast<FdAccess*>(self)->Fd, offset, whence);
    }
    static sf_count_t Read(void* data, sf_count_t count, void* self) {
        const ssize_t n = ::read(static_cast<FdAccess*>(self)->Fd, data, static_cast<std::size_t>(count));
        return n < 0 ? 0 : n;
    }
    static sf_count_t Write(const void* data, sf_count_t count, void* self) {
        auto* a = static_cast<FdAccess*>(self);
        sf_count_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(a->Fd, static_cast<const char*>(data) + done, static_cast<std::size_t>(count - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (a->Error == 0) a->Error = n < 0 ? errno : ENOSPC;
                break;
            }
            done += n;
        }
        return done;
    }
    static sf_count_t Tell(void* self) { return ::lseek(static_cast<FdAccess*>(self)->Fd, 0, SEEK_CUR); }
};

// An open libsndfile encoder, closed on leaving; Close reports what the final write-back says.
class Encoder {
public:
    Encoder(int fd, const std::string& name, int sampRate, const EncoderSettings& settings)
        : Access{fd}, Name(name) {
        SF_VIRTUAL_IO io{&FdAccess::Length, &FdAccess::Seek, &FdAccess::Read, &FdAccess::Write, &FdAccess::Tell};
        SF_INFO info{};
        info.samplerate = sampRate;
        info.channels = 1;
        info.format = Entry(settings.Format).SfFormat;
        File = sf_open_virtual(&io, SFM_WRITE, &info, &Access);
        if (!File) Fail(sf_strerror(nullptr));
        if (HasQuality(settings.Format)) {
            double quality = settings.Quality;
            if (settings.Format == SoundFormat::Mp3) {
                // A constant bit rate: LAME's cheapest mode, and a steady tone needs no more.
                int mode = SF_BITRATE_MODE_CONSTANT;
                Command(SFC_SET_BITRATE_MODE, &mode, sizeof mode);
            }
            // libsndfile's compression level runs the other way: 0 is the best sound.
            double level = 1 - quality;
            Command(SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
        }
        if (CarriesTags(settings.Format)) {
            const SoundTags& t = settings.Tags;
            for (const auto& [kind, text] : {std::pair{SF_STR_TITLE, &t.Title}, std::pair{SF_STR_ARTIST, &t.Artist},
                                             std::pair{SF_STR_COMMENT, &t.Comment}, std::pair{SF_STR_ALBUM, &t.Album},
                                             std::pair{SF_STR_TRACKNUMBER, &t.TrackNumber}})
                if (!text->empty() && sf_set_string(File, kind, text->c_str()) != 0) Fail(sf_strerror(File));
        }
    }
    ~Encoder() {
        if (File) sf_close(File);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void Write(const std::int16_t* samples, std::size_t count) {
        if (sf_write_short(File, samples, static_cast<sf_count_t>(count)) != static_cast<sf_count_t>(count))
            Fail(sf_strerror(File));
    }
    void Close() {
        SNDFILE* f = File;
        File = nullptr;
        if (sf_close(f) != 0 || Access.Error != 0) Fail(sf_error_number(SF_ERR_SYSTEM));
    }

private:
    void Command(int command, void* data, int size) {
        // Not every build of an encoder takes every setting; what it refuses keeps its default.
        sf_command(File, command, data, size);
    }
    [[noreturn]] void Fail(const char* libraryReason) {
        if (Access.Error != 0) ThrowCannotCreate(Name, Access.Error);
        ThrowCannotCreate(Name, libraryReason);
    }

    FdAccess Access;
    std::string Name;
    SNDFILE* File = nullptr;
};

}  // namespace

std::optional<SoundFormat> FormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    for (const FormatEntry& e : Formats)
        if (e.Name == lower) return e.Format;
    return std::nullopt;
}

std::string_view FormatName(SoundFormat format) { return Entry(format).Name; }

std::optional<SoundFormat> FormatOfFile(std::string_view name) {
    const std::string extension = Lower(std::filesystem::path(name).extension().string());
    if (extension.empty()) return std::nullopt;
    for (const FormatEntry& e : Formats)
        for (const std::string_view x : e.Extensions)
            if (x == extension) return e.Format;
    return std::nullopt;
}

bool HasQuality(SoundFormat format) { return Entry(format).Quality; }
bool CarriesTags(SoundFormat format) { return Entry(format).Tags; }
std::string_view AcceptedRates(SoundFormat format) { return Entry(format).Rates; }
double DefaultQuality(SoundFormat format) { return Entry(format).DefaultQuality; }

bool AcceptsRate(SoundFormat format, int sampRate) {
    const std::string_view rates = AcceptedRates(format);
    if (rates.empty()) return true;
    const std::string rate = std::to_string(sampRate);
    for (std::size_t at = rates.find(rate); at != std::string_view::npos; at = rates.find(rate, at + 1)) {
        const bool startsWord = at == 0 || rates[at - 1] == ' ';
        const bool endsWord = at + rate.size() == rates.size() || rates[at + rate.size()] == ',' ||
                              rates[at + rate.size()] == ' ';
        if (startsWord && endsWord) return true;
    }
    return false;
}

void RemoveUnfinishedOutputOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction now {};
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = RemovePendingTempsAndEnd;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
    // Past a file size limit the write then fails with a message instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

SoundOutput::SoundOutput(const std::string& name) : Name(name) {
    if (name == StandardStreamName) {
        Name = StandardOutputLabel;
        ToStandardOutput = true;
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/kelvo-render.XXXXXX";
        Fd = ::mkstemp(pattern.data());
        if (Fd < 0) ThrowCannotCreate(Name, errno);
        ::unlink(pattern.c_str());  // unnamed from the start: nothing to clean up after
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
    Slot = RegisterPendingTemp(TempPath);
}

SoundOutput::~SoundOutput() {
    ReleasePendingTemp(Slot);
    if (Fd >= 0) ::close(Fd);
    if (!TempPath.empty() && !Committed) ::unlink(TempPath.c_str());
}

void SoundOutput::Commit() {
    if (ToStandardOutput) {
        if (::lseek(Fd, 0, SEEK_SET) != 0) ThrowCannotCreate(Name, errno);
        std::vector<char> block(1 << 16);
        for (;;) {
            const ssize_t n = ::read(Fd, block.data(), block.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ThrowCannotCreate(Name, errno);
            if (n == 0) break;
            WriteAll(STDOUT_FILENO, block.data(), static_cast<std::size_t>(n), Name);
        }
        Committed = true;
        return;
    }
    // mkstemp makes the file private (0600); the finished file gets the usual 0666 less umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(Fd, 0666 & ~mask) != 0 || ::fsync(Fd) != 0) ThrowCannotCreate(Name, errno);
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) ThrowCannotCreate(Name, errno);
    if (::rename(TempPath.c_str(), Target.c_str()) != 0) ThrowCannotCreate(Name, errno);
    Committed = true;
    ReleasePendingTemp(Slot);
}

void WriteSound(const TextRenderer& renderer, std::u32string_view text, SoundOutput& out,
                const EncoderSettings& settings, std::atomic<std::int64_t>* progress,
                const std::atomic<bool>* cancel) {
    if (settings.Format == SoundFormat::Wav) {
        const std::int64_t samples = renderer.SampleCount(text);
        if (samples > MaxWavSamples)
            throw std::length_error("The sound is too long for a WAV file: " + std::to_string(samples) +
                                    " samples, at most " + std::to_string(MaxWavSamples) + " fit in one");
    }
    Encoder encoder(out.fd(), out.name(), renderer.settings().SampRate, settings);
    // Samples go to the encoder a block at a time, never one by one.
    constexpr std::size_t BlockSamples = 1 << 15;
    std::vector<std::int16_t> block(BlockSamples);
    std::size_t used = 0;
    const auto flush = [&] {
        if (cancel && cancel->load(std::memory_order_relaxed)) throw ECancelled();
        encoder.Write(block.data(), used);
        if (progress) progress->fetch_add(static_cast<std::int64_t>(used), std::memory_order_relaxed);
        used = 0;
    };
    renderer.Render(text, [&](std::int16_t s) {
        block[used++] = s;
        if (used == BlockSamples) flush();
    });
    if (used > 0) flush();
    encoder.Close();
}

}  // namespace kelvo
