#include "render/wav_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/text_file.h"
#include "render/render.h"
#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

using test::TempDir;

Bytes FileBytes(const fs::path& p) {
    const std::string bytes = test::ReadBytes(p);
    return {bytes.begin(), bytes.end()};
}

// An open file descriptor, closed on leaving.
struct Fd {
    explicit Fd(const fs::path& p) : fd(::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) {}
    ~Fd() { ::close(fd); }
    int fd;
};

TEST(WavFile, HeaderOf16BitMonoPcm) {
    const auto h8000 = WavHeader(8000, 3);
    const Bytes expected8000 = {
        'R', 'I', 'F', 'F', 42, 0, 0, 0,           // 36 + 6 data bytes
        'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0,                                      // PCM
        1, 0,                                      // mono
        0x40, 0x1F, 0, 0,                          // 8000 samples per second
        0x80, 0x3E, 0, 0,                          // 16000 bytes per second
        2, 0, 16, 0,                               // 2 bytes per frame, 16 bits
        'd', 'a', 't', 'a', 6, 0, 0, 0,
    };
    EXPECT_EQ(Bytes(h8000.begin(), h8000.end()), expected8000);

    const auto h44100 = WavHeader(44100, 0);
    EXPECT_EQ(Bytes(h44100.begin() + 24, h44100.begin() + 32), (Bytes{0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0}));
    EXPECT_EQ(Bytes(h44100.begin() + 4, h44100.begin() + 8), (Bytes{36, 0, 0, 0}));
    EXPECT_EQ(Bytes(h44100.begin() + 40, h44100.end()), (Bytes{0, 0, 0, 0}));

    // The largest file: 2147483629 samples, 4294967258 data bytes, RIFF size 4294967294.
    const auto largest = WavHeader(8000, 2147483629);
    EXPECT_EQ(Bytes(largest.begin() + 4, largest.begin() + 8), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(largest.begin() + 40, largest.end()), (Bytes{0xDA, 0xFF, 0xFF, 0xFF}));
    EXPECT_THROW(WavHeader(8000, 2147483630), std::length_error);
    EXPECT_THROW(WavHeader(8000, -1), std::length_error);
}

TEST(WavFile, WriterPutsLittleEndianSamplesAcrossItsBuffer) {
    TempDir dir;
    const fs::path file = dir.path() / "s.raw";
    std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 0x1234};
    for (int i = 0; i < 70000; ++i) samples.push_back(static_cast<std::int16_t>(i * 7));  // several buffers
    {
        Fd out(file);
        WavWriter writer(out.fd, "s.raw");
        const unsigned char head[] = {'H', 'D'};
        writer.PutBytes(head, 2);
        for (const std::int16_t s : samples) writer.Put(s);
        writer.Flush();
        EXPECT_EQ(writer.SamplesPut(), static_cast<std::int64_t>(samples.size()));
    }
    const Bytes bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 2 + 2 * samples.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14),
              (Bytes{'H', 'D', 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80, 0x34, 0x12}));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto back = static_cast<std::int16_t>(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
        ASSERT_EQ(back, samples[i]) << i;
    }
}

TEST(WavFile, WriteFailureNamesTheFile) {
    TempDir dir;
    const int readOnly = ::open((dir.path() / "r").c_str(), O_RDONLY | O_CREAT, 0600);
    WavWriter writer(readOnly, "r.wav");
    writer.Put(1);
    try {
        writer.Flush();
        ADD_FAILURE() << "a write to a read-only descriptor succeeded";
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file r.wav: Bad file descriptor");
    }
    ::close(readOnly);
}

TEST(WavFile, OutputFileAppearsWholeOnlyOnCommit) {
    TempDir dir;
    const fs::path target = dir.path() / "out.wav";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    {
        WavOutput out(target.string());
        ASSERT_EQ(::write(out.fd(), "new", 3), 3);
        EXPECT_FALSE(fs::exists(target));  // only the temporary file so far
        out.Commit();
    }
    EXPECT_EQ(FileBytes(target), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0666 & ~mask));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.wav"});

    // Left without a commit (an error on the way): the old file stays and no temporary remains.
    {
        WavOutput out(target.string());
        ASSERT_EQ(::write(out.fd(), "half", 4), 4);
    }
    EXPECT_EQ(FileBytes(target), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.wav"});

    // A link is written through: its file is replaced, the link stays.
    fs::create_symlink("out.wav", dir.path() / "link.wav");
    {
        WavOutput out((dir.path() / "link.wav").string());
        ASSERT_EQ(::write(out.fd(), "linked", 6), 6);
        out.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.wav"));
    EXPECT_EQ(FileBytes(target), (Bytes{'l', 'i', 'n', 'k', 'e', 'd'}));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.wav", "out.wav"}));
}

TEST(WavFile, OutputThatCannotBeCreated) {
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
            WavOutput out(c.target.string());
            ADD_FAILURE() << c.target;
        } catch (const EFileError& e) {
            EXPECT_EQ(e.what(), "Cannot create file " + c.target.string() + ": " + c.reason);
        }
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder", "kept.wav"}));
    EXPECT_EQ(FileBytes(kept), (Bytes{'k', 'e', 'p', 't'}));
}

TEST(WavFile, WritesHeaderThenEverySample) {
    TempDir dir;
    RenderSettings settings;
    settings.CodeSpeed = 20;
    settings.SampRate = 11025;
    const TextRenderer renderer(settings);
    const std::u32string text = KeyedText("CQ de K1ABC\n@@");
    std::vector<std::int16_t> samples;
    renderer.Render(text, [&](std::int16_t s) { samples.push_back(s); });

    const fs::path file = dir.path() / "cq.wav";
    {
        Fd out(file);
        WriteWav(renderer, text, out.fd, file.string());
    }
    const Bytes bytes = FileBytes(file);
    const auto header = WavHeader(11025, static_cast<std::int64_t>(samples.size()));
    ASSERT_EQ(bytes.size(), header.size() + 2 * samples.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(static_cast<std::int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8), samples[i]) << i;
}

TEST(WavFile, SoundTooLongForOneFileIsRefusedBeforeAnythingIsWritten) {
    // At 1 word per minute and 48000 per second a dit is 57600 samples, so each "@" (20 dits and
    // their silences) is over 2.3 million samples: 1000 of them are more than a WAV file holds.
    RenderSettings settings;
    settings.CodeSpeed = 1;
    settings.CharSpeed = 1;
    settings.SampRate = 48000;
    const TextRenderer renderer(settings);
    // Any attempt to write to this descriptor fails with a file error instead.
    const int readOnly = ::open("/dev/null", O_RDONLY);
    EXPECT_THROW(WriteWav(renderer, KeyedText(std::string(1000, '@')), readOnly, "long.wav"), std::length_error);
    ::close(readOnly);
}

}  // namespace
}  // namespace kelvo
