#include "render/sound_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/text_file.h"
#include "render/render.h"
#include "tests/render/sound_check.h"
#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(SoundFormats, NamesExtensionsAndRates) {
    const struct {
        const char* file;
        std::optional<SoundFormat> format;
    } files[] = {
        {"a.wav", SoundFormat::Wav},   {"B.WAV", SoundFormat::Wav},      {"c.flac", SoundFormat::Flac},
        {"d.ogg", SoundFormat::Vorbis}, {"e.oga", SoundFormat::Vorbis},  {"f.opus", SoundFormat::Opus},
        {"g.Mp3", SoundFormat::Mp3},   {"dir.mp3/h", std::nullopt},      {"i.txt", std::nullopt},
        {"-", std::nullopt},           {"book-%03d.mp3", SoundFormat::Mp3},
    };
    for (const auto& f : files) EXPECT_EQ(FormatOfFile(f.file), f.format) << f.file;
    for (const char* name : {"wav", "flac", "ogg", "opus", "mp3"}) EXPECT_EQ(FormatName(*FormatNamed(name)), name);
    EXPECT_EQ(FormatNamed("MP3"), SoundFormat::Mp3);
    EXPECT_EQ(FormatNamed("vorbis"), std::nullopt);
    EXPECT_EQ(FormatNamed(""), std::nullopt);

    EXPECT_TRUE(AcceptsRate(SoundFormat::Wav, 9000));
    EXPECT_TRUE(AcceptsRate(SoundFormat::Flac, 44100));
    EXPECT_TRUE(AcceptsRate(SoundFormat::Mp3, 8000));
    EXPECT_TRUE(AcceptsRate(SoundFormat::Mp3, 48000));
    EXPECT_FALSE(AcceptsRate(SoundFormat::Mp3, 9000));
    EXPECT_FALSE(AcceptsRate(SoundFormat::Mp3, 800));   // a part of 8000 is no rate
    EXPECT_FALSE(AcceptsRate(SoundFormat::Opus, 44100));
    EXPECT_TRUE(AcceptsRate(SoundFormat::Opus, 24000));
}

// Every format written and read back: the lossless ones sample for sample, the lossy ones with
// every keying edge within 2 ms of the renderer's, and the tags where the format carries them.
TEST(SoundFormats, EachFileDecodesToTheKeying) {
    RenderSettings settings;
    settings.CodeSpeed = 20;
    settings.CharSpeed = 20;
    const TextRenderer renderer(settings);
    const std::u32string text = KeyedText("CQ DE Q1ABC 73\nE T 5");
    std::vector<std::int16_t> samples;
    renderer.Render(text, [&](std::int16_t s) { samples.push_back(s); });
    const std::vector<std::int64_t> edges = test::KeyingEdges(samples, settings.SampRate);
    ASSERT_GT(edges.size(), 40u);
    const std::int64_t tolerance = settings.SampRate * 2 / 1000;

    const struct {
        SoundFormat format;
        const char* file;
        int sfFormat;
        bool lossless;
    } cases[] = {
        {SoundFormat::Wav, "k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
        {SoundFormat::Flac, "k.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, true},
        {SoundFormat::Vorbis, "k.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false},
        {SoundFormat::Opus, "k.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, false},
        {SoundFormat::Mp3, "k.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        EncoderSettings encoder;
        encoder.Format = c.format;
        encoder.Quality = DefaultQuality(c.format);
        encoder.Tags = {"Lesson \xC3\xA9t\xC3\xA9", "Kelvo", "Morse at 20 wpm", "", ""};
        const fs::path file = dir.path() / c.file;
        {
            SoundOutput out(file.string());
            WriteSound(renderer, text, out, encoder);
            out.Commit();
        }
        const test::DecodedSound d = test::DecodeSound(file);
        EXPECT_EQ(d.Format, c.sfFormat) << c.file;
        EXPECT_EQ(d.SampRate, settings.SampRate) << c.file;
        EXPECT_EQ(d.Channels, 1) << c.file;
        if (c.lossless) {
            EXPECT_EQ(d.Samples, samples) << c.file;
        } else {
            const std::vector<std::int64_t> decoded = test::KeyingEdges(d.Samples, settings.SampRate);
            ASSERT_EQ(decoded.size(), edges.size()) << c.file;
            for (std::size_t i = 0; i < edges.size(); ++i)
                EXPECT_LE(std::abs(decoded[i] - edges[i]), tolerance) << c.file << " edge " << i << " at " << edges[i];
        }
        if (c.format == SoundFormat::Wav) {
            // WAV stays the plain file: its header, the samples, no tags.
            EXPECT_EQ(test::ReadBytes(file), test::WavFileBytes(settings.SampRate, samples));
        } else {
            EXPECT_EQ(d.Title, "Lesson \xC3\xA9t\xC3\xA9") << c.file;
            EXPECT_EQ(d.Artist, "Kelvo") << c.file;
            EXPECT_EQ(d.Comment, "Morse at 20 wpm") << c.file;
        }
    }
}

TEST(SoundOutput, FileAppearsWholeOnlyOnCommit) {
    TempDir dir;
    const fs::path target = dir.path() / "out.wav";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    {
        SoundOutput out(target.string());
        ASSERT_EQ(::write(out.fd(), "new", 3), 3);
        EXPECT_FALSE(fs::exists(target));  // only the temporary file so far
        out.Commit();
    }
    EXPECT_EQ(test::ReadBytes(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0666 & ~mask));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.wav"});

    // Left without a commit (an error on the way): the old file stays and no temporary remains.
    {
        SoundOutput out(target.string());
        ASSERT_EQ(::write(out.fd(), "half", 4), 4);
    }
    EXPECT_EQ(test::ReadBytes(target), "new");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.wav"});

    // A link is written through: its file is replaced, the link stays.
    fs::create_symlink("out.wav", dir.path() / "link.wav");
    {
        SoundOutput out((dir.path() / "link.wav").string());
        ASSERT_EQ(::write(out.fd(), "linked", 6), 6);
        out.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.wav"));
    EXPECT_EQ(test::ReadBytes(target), "linked");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.wav", "out.wav"}));
}

TEST(SoundOutput, OutputThatCannotBeCreated) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder");
    const fs::path kept = dir.path() / "kept.wav";
    test::WriteBytes(kept, "kept");
    fs::permissions(kept, fs::perms::owner_read);
    const struct {
        fs::path target;
        const char* reason;
    } cases[] = {
        {dir.path() / "folder", "Is a directory"},
        {dir.path() / "missing" / "x.wav", "No such file or directory"},
        {kept, "Permission denied"},
    };
    for (const auto& c : cases) {
        try {
            SoundOutput out(c.target.string());
            ADD_FAILURE() << c.target;
        } catch (const EFileError& e) {
            EXPECT_EQ(e.what(), "Cannot create file " + c.target.string() + ": " + c.reason);
        }
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder", "kept.wav"}));
    EXPECT_EQ(test::ReadBytes(kept), "kept");
}

TEST(SoundOutput, SoundTooLongForOneWavIsRefusedBeforeAnythingIsWritten) {
    // At 1 word per minute and 48000 per second a dit is 57600 samples, so each "@" (20 dits and
    // their silences) is over 2.3 million samples: 1000 of them are more than a WAV file holds.
    RenderSettings settings;
    settings.CodeSpeed = 1;
    settings.CharSpeed = 1;
    settings.SampRate = 48000;
    const TextRenderer renderer(settings);
    TempDir dir;
    SoundOutput out((dir.path() / "long.wav").string());
    EXPECT_THROW(WriteSound(renderer, KeyedText(std::string(1000, '@')), out, EncoderSettings{}), std::length_error);
    struct stat st {};
    ASSERT_EQ(::fstat(out.fd(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST(SoundOutput, CancelledWriteStopsWithoutFinishing) {
    const TextRenderer renderer{RenderSettings{}};
    TempDir dir;
    SoundOutput out((dir.path() / "c.flac").string());
    EncoderSettings flac;
    flac.Format = SoundFormat::Flac;
    const std::atomic<bool> cancel{true};
    std::atomic<std::int64_t> progress{0};
    EXPECT_THROW(WriteSound(renderer, KeyedText(std::string(200, 'E')), out, flac, &progress, &cancel), ECancelled);
    EXPECT_EQ(progress.load(), 0);
}

}  // namespace
}  // namespace kelvo
