#pragma once
// Test helpers for kelvo-render's sound files: the 16-bit mono PCM WAV file as it must look,
// a file read back and decoded by libsndfile with its tags, and the keying (where the tone
// starts and stops) of any sound, so that lossy files can be compared with the renderer's.
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo::test {

// The header of a canonical 16-bit mono PCM WAV file, then the samples, little-endian.
inline std::string WavFileBytes(int sampRate, const std::vector<std::int16_t>& samples) {
    std::string out;
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const auto dataBytes = static_cast<std::uint32_t>(2 * samples.size());
    out += "RIFF";
    put(36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(static_cast<std::uint32_t>(sampRate), 4);
    put(static_cast<std::uint32_t>(sampRate) * 2, 4);
    put(2, 2);
    put(16, 2);
    out += "data";
    put(dataBytes, 4);
    for (const std::int16_t s : samples) put(static_cast<std::uint16_t>(s), 2);
    return out;
}

struct DecodedSound {
    int Format = 0;  // SF_FORMAT_* major | subtype
    int SampRate = 0;
    int Channels = 0;
    std::vector<std::int16_t> Samples;
    std::string Title, Artist, Comment, Album, TrackNumber;
};

inline DecodedSound DecodeSound(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (!f) throw std::runtime_error("cannot read " + file.string() + ": " + sf_strerror(nullptr));
    DecodedSound d;
    d.Format = info.format;
    d.SampRate = info.samplerate;
    d.Channels = info.channels;
    std::int16_t block[4096];
    for (sf_count_t n; (n = sf_read_short(f, block, 4096)) > 0;) d.Samples.insert(d.Samples.end(), block, block + n);
    const auto tag = [&](int kind) {
        const char* s = sf_get_string(f, kind);
        return std::string(s ? s : "");
    };
    d.Title = tag(SF_STR_TITLE);
    d.Artist = tag(SF_STR_ARTIST);
    d.Comment = tag(SF_STR_COMMENT);
    d.Album = tag(SF_STR_ALBUM);
    d.TrackNumber = tag(SF_STR_TRACKNUMBER);
    sf_close(f);
    return d;
}

// The samples at which the tone goes on and off: the largest magnitude over the last 2 ms held
// against half the loudest sample. The same measure on the original and on a decoded copy puts
// their edges at the same places unless the encoder moved or smeared them.
inline std::vector<std::int64_t> KeyingEdges(const std::vector<std::int16_t>& samples, int sampRate) {
    const std::size_t window = static_cast<std::size_t>(sampRate / 500);
    int peak = 0;
    for (const std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    std::vector<std::int64_t> edges;
    bool on = false;
    std::vector<int> recent(window, 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        recent[i % window] = std::abs(static_cast<int>(samples[i]));
        int level = 0;
        for (const int r : recent) level = std::max(level, r);
        const bool nowOn = 2 * level > peak;
        if (nowOn != on) edges.push_back(static_cast<std::int64_t>(i));
        on = nowOn;
    }
    return edges;
}

}  // namespace kelvo::test
