#include "render/render_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string_view>;

TEST(RenderOptions, DefaultsAreTheWindowsStartUpSettings) {
    const RenderOptions o = ParseRenderOptions({"-o", "out.wav"});
    EXPECT_EQ(o.Settings.CodeSpeed, 5);
    EXPECT_EQ(o.Settings.CharSpeed, 14);
    EXPECT_EQ(o.Settings.ToneFreq, 800);
    EXPECT_EQ(o.Settings.RiseMs, 5);
    EXPECT_EQ(o.Settings.Harmonics, 1);
    EXPECT_FALSE(o.Settings.SquareWave);
    EXPECT_EQ(o.Settings.SampRate, 8000);
    EXPECT_EQ(o.Practice, 0);
    EXPECT_EQ(o.DataDir, "");
    EXPECT_EQ(o.TextFile, "");
    EXPECT_EQ(o.Output, "out.wav");
    EXPECT_EQ(o.Format, SoundFormat::Wav);
    EXPECT_EQ(o.Title, "");
    EXPECT_EQ(o.Artist, "Kelvo");
    EXPECT_EQ(o.Comment, "");
    EXPECT_EQ(o.ChapterMarker, "");
    EXPECT_EQ(o.SpeedStep, 0);
    EXPECT_FALSE(o.Help);
}

TEST(RenderOptions, FormatFromTheNameOrFormatAndQualityByFormat) {
    const struct {
        Args args;
        SoundFormat format;
        double quality;
    } cases[] = {
        {{"-o", "a.wav"}, SoundFormat::Wav, 0},
        {{"-o", "a.txt"}, SoundFormat::Wav, 0},
        {{"-o", "-"}, SoundFormat::Wav, 0},
        {{"-o", "a.FLAC"}, SoundFormat::Flac, 0},
        {{"-o", "a.oga"}, SoundFormat::Vorbis, DefaultQuality(SoundFormat::Vorbis)},
        {{"-o", "a.opus"}, SoundFormat::Opus, DefaultQuality(SoundFormat::Opus)},
        {{"-o", "a.mp3", "--quality", "0.75"}, SoundFormat::Mp3, 0.75},
        {{"-o", "-", "--format", "flac"}, SoundFormat::Flac, 0},
        {{"-o", "a.wav", "--format=mp3", "--quality=0"}, SoundFormat::Mp3, 0},  // --format wins
    };
    for (const auto& c : cases) {
        const RenderOptions o = ParseRenderOptions(c.args);
        EXPECT_EQ(o.Format, c.format) << c.args.back();
        EXPECT_EQ(o.Quality, c.quality) << c.args.back();
    }
    const RenderOptions book = ParseRenderOptions({"--chapter-marker", "CHAPTER", "--speed-step", "2", "--title", "T",
                                                   "--artist=A", "--comment", "C", "-o", "b-%03d.mp3"});
    EXPECT_EQ(book.ChapterMarker, "CHAPTER");
    EXPECT_EQ(book.SpeedStep, 2);
    EXPECT_EQ(book.Title, "T");
    EXPECT_EQ(book.Artist, "A");
    EXPECT_EQ(book.Comment, "C");
}

TEST(RenderOptions, EveryOptionInBothForms) {
    const RenderOptions a = ParseRenderOptions({"--wpm", "12", "--farnsworth", "18", "--freq", "650", "--rise", "2.5",
                                                "--harmonics", "0", "--square", "--rate", "44100", "--practice",
                                                "950", "--data", "/tmp/p", "-o", "-"});
    const RenderOptions b = ParseRenderOptions({"--wpm=12", "--farnsworth=18", "--freq=650", "--rise=2.5",
                                                "--harmonics=0", "--square", "--rate=44100", "--practice=950",
                                                "--data=/tmp/p", "-o-"});
    for (const RenderOptions& o : {a, b}) {
        EXPECT_EQ(o.Settings.CodeSpeed, 12);
        EXPECT_EQ(o.Settings.CharSpeed, 18);
        EXPECT_EQ(o.Settings.ToneFreq, 650);
        EXPECT_EQ(o.Settings.RiseMs, 2.5);
        EXPECT_EQ(o.Settings.Harmonics, 0);
        EXPECT_TRUE(o.Settings.SquareWave);
        EXPECT_EQ(o.Settings.SampRate, 44100);
        EXPECT_EQ(o.Practice, 950);
        EXPECT_EQ(o.DataDir, "/tmp/p");
        EXPECT_EQ(o.Output, "-");
    }
}

TEST(RenderOptions, TextFileLimitsAndHelp) {
    EXPECT_EQ(ParseRenderOptions({"story.txt", "-o", "s.wav"}).TextFile, "story.txt");
    EXPECT_EQ(ParseRenderOptions({"-o", "s.wav", "-"}).TextFile, "-");
    EXPECT_EQ(ParseRenderOptions({"-o", "s.wav", "--", "-odd name"}).TextFile, "-odd name");
    // The ends of every range are accepted.
    const RenderOptions low = ParseRenderOptions({"--wpm", "1", "--farnsworth", "1", "--freq", "20", "--rise", "1",
                                                  "--harmonics", "0", "--rate", "8000", "--practice", "1", "-o", "x"});
    EXPECT_EQ(low.Settings.CodeSpeed, 1);
    EXPECT_EQ(low.Settings.ToneFreq, 20);
    const RenderOptions high = ParseRenderOptions({"--wpm", "+100", "--farnsworth", "100", "--freq", "23999", "--rise",
                                                   "50", "--harmonics", "3", "--rate", "48000", "-o", "x"});
    EXPECT_EQ(high.Settings.CodeSpeed, 100);
    EXPECT_EQ(high.Settings.ToneFreq, 23999);
    EXPECT_EQ(high.Settings.RiseMs, 50);
    // Help wins over everything else, even over errors.
    EXPECT_TRUE(ParseRenderOptions({"--wpm", "0", "--help"}).Help);
    EXPECT_TRUE(ParseRenderOptions({"-h"}).Help);
    EXPECT_EQ(ParseRenderOptions({"-o", "x", "--", "--help"}).TextFile, "--help");
    // An option given twice takes its last value.
    EXPECT_EQ(ParseRenderOptions({"--wpm=12", "-o", "x", "--wpm", "13"}).Settings.CodeSpeed, 13);
}

TEST(RenderOptions, BadCommandLinesSayWhatIsWrong) {
    struct Case {
        Args args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "-o is required"},
        {{"text.txt"}, "-o is required"},
        {{"-o"}, "-o: 1 required FILE missing"},
        {{"-o", "x", "--wpm"}, "--wpm: 1 required N missing"},
        {{"-o", "x", "--speed", "12"}, "The following argument was not expected: --speed"},
        {{"-o", "x", "-w", "12"}, "The following argument was not expected: -w"},
        {{"-o", "x", "--square=yes"}, "square was given a disallowed flag override"},
        {{"-o", "x", "--data="}, "--data: 1 required DIR missing"},
        {{"-o", "x", "--wpm", "abc"}, "--wpm: 'abc' is not a valid integer value"},
        {{"-o", "x", "--wpm", "7.5"}, "--wpm: '7.5' is not a valid integer value"},
        {{"-o", "x", "--wpm", ""}, "--wpm: '' is not a valid integer value"},
        {{"-o", "x", "--wpm", "0"}, "--wpm: 0 is out of range: the code speed must be 1 to 100 words per minute"},
        {{"-o", "x", "--wpm", "101"}, "--wpm: 101 is out of range: the code speed must be 1 to 100 words per minute"},
        {{"-o", "x", "--wpm", "99999999999"},
         "--wpm: 99999999999 is out of range: the code speed must be 1 to 100 words per minute"},
        {{"-o", "x", "--farnsworth", "-3"},
         "--farnsworth: -3 is out of range: the character speed must be 1 to 100 words per minute"},
        {{"-o", "x", "--freq", "800Hz"}, "--freq: '800Hz' is not a valid integer value"},
        {{"-o", "x", "--freq", "-800"},
         "--freq: -800 is out of range: the tone must be 20 to 3999 Hz at 8000 samples per second"},
        {{"-o", "x", "--freq", "4000"},
         "--freq: 4000 is out of range: the tone must be 20 to 3999 Hz at 8000 samples per second"},
        // The tone is checked against the rate however the options are ordered.
        {{"-o", "x", "--freq", "5000", "--rate", "9000"},
         "--freq: 5000 is out of range: the tone must be 20 to 4499 Hz at 9000 samples per second"},
        {{"-o", "x", "--rate", "9000", "--freq", "19"},
         "--freq: 19 is out of range: the tone must be 20 to 4499 Hz at 9000 samples per second"},
        {{"-o", "x", "--rise", "fast"}, "--rise: 'fast' is not a valid floating point value"},
        {{"-o", "x", "--rise", "0"}, "--rise: 0 is out of range: the rise and fall time must be 1 to 50 ms"},
        {{"-o", "x", "--rise", "0.5"}, "--rise: 0.5 is out of range: the rise and fall time must be 1 to 50 ms"},
        {{"-o", "x", "--rise", "nan"}, "--rise: nan is out of range: the rise and fall time must be 1 to 50 ms"},
        {{"-o", "x", "--rise", "50.01"}, "--rise: 50.01 is out of range: the rise and fall time must be 1 to 50 ms"},
        {{"-o", "x", "--harmonics", "4"}, "--harmonics: 4 is out of range: the number of harmonics must be 0 to 3"},
        {{"-o", "x", "--rate", "7999"},
         "--rate: 7999 is out of range: the sample rate must be 8000 to 48000 samples per second"},
        {{"-o", "x", "--rate", "96000"},
         "--rate: 96000 is out of range: the sample rate must be 8000 to 48000 samples per second"},
        {{"-o", "x", "--practice", "0"},
         "--practice: 0 is out of range: the practice text number must be 1 to 950"},
        {{"-o", "x", "--practice", "951"},
         "--practice: 951 is out of range: the practice text number must be 1 to 950"},
        {{"-o", "x", "--practice", "3", "a.txt"}, "TEXTFILE excludes --practice"},
        {{"-o", "x", "a.txt", "b.txt"}, "The following argument was not expected: b.txt"},
        {{"-o", "x", "--format", "aac"}, "--format: 'aac' is not a format: give wav, flac, ogg, opus or mp3"},
        {{"-o", "x", "--quality", "1.5"}, "--quality: 1.5 is out of range: the quality must be 0 to 1"},
        {{"-o", "x.opus", "--rate", "44100"},
         "--rate: the opus encoder takes 8000, 12000, 16000, 24000 or 48000 samples per second, not 44100"},
        {{"-o", "x", "--format=mp3", "--rate", "9000"},
         "--rate: the mp3 encoder takes 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000 samples "
         "per second, not 9000"},
        {{"-o", "book.mp3", "--chapter-marker", "CHAPTER"},
         "--chapter-marker writes one file per chapter, but -o book.mp3 has no % for the chapter number; give a "
         "numbered name such as book-%03d.mp3"},
        {{"-o", "-", "--chapter-marker", "CHAPTER"},
         "--chapter-marker writes one file per chapter, but -o - has no % for the chapter number; give a numbered "
         "name such as book-%03d.mp3"},
        {{"-o", "b%s.mp3", "--chapter-marker", "CHAPTER"},
         "--chapter-marker writes one file per chapter, but -o b%s.mp3 is not numbered: '%s.m' is not a chapter "
         "number: use %d, %03d or %% for a %; give a numbered name such as book-%03d.mp3"},
        {{"-o", "b%d.mp3", "--chapter-marker="}, "--chapter-marker: 1 required TEXT missing"},
        {{"-o", "b%d.mp3", "--chapter-marker", ""}, "--chapter-marker: needs a marker text"},
        {{"-o", "x", "--speed-step", "21"},
         "--speed-step: 21 is out of range: the speed step must be 0 to 20 words per minute"},
    };
    for (const Case& c : cases) {
        try {
            ParseRenderOptions(c.args);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const EUsageError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(RenderOptions, HelpNamesEveryOptionAndUsesEachInAnExample) {
    const std::string help(RenderHelp());
    const std::string examples = help.substr(help.find("Examples:"));
    for (const char* option :
         {"--wpm", "--farnsworth", "--freq", "--rise", "--harmonics", "--square", "--rate", "--practice", "--data", "-o",
          "--format", "--quality", "--title", "--artist", "--comment", "--chapter-marker", "--speed-step"}) {
        EXPECT_NE(help.find(std::string("  ") + option), std::string::npos) << option << " is not described";
        EXPECT_NE(examples.find(std::string(" ") + option + " "), std::string::npos) << option << " has no example";
    }
}

using test::TempDir;

TEST(PracticeText, LineOfTheBlockThatHoldsTheNumber) {
    TempDir dir;
    const auto block = [&](const char* name, int lines) {
        std::ofstream out(dir.path() / name, std::ios::binary);
        for (int i = 1; i <= lines; ++i) out << name << " line " << i << "\r\n";
    };
    block("P0", 100);
    block("p1", 100);  // matched without regard to case
    block("P9", 50);
    block("P5", 3);
    EXPECT_EQ(ReadPracticeText(dir.path(), 1), "P0 line 1");
    EXPECT_EQ(ReadPracticeText(dir.path(), 100), "P0 line 100");
    EXPECT_EQ(ReadPracticeText(dir.path(), 101), "p1 line 1");
    EXPECT_EQ(ReadPracticeText(dir.path(), 950), "P9 line 50");
    EXPECT_EQ(ReadPracticeText(dir.path(), 503), "P5 line 3");
    EXPECT_EQ(ReadPracticeText(dir.path(), 504), "");  // a short block gives an empty text
    try {
        ReadPracticeText(dir.path(), 250);
        ADD_FAILURE() << "no block file P2";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.what(), "Cannot open file " + (dir.path() / "P2").string());
    }
}

TEST(PracticeText, TheCurrentFolderByDefaultAndLatin1Kept) {
    TempDir dir;
    test::WriteBytes(dir.path() / "P3", "caf\xE9\nna\xC3\xAFve\n");
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_EQ(ReadPracticeText("", 301), "caf\xC3\xA9");
    EXPECT_EQ(ReadPracticeText("", 302), "na\xC3\xAFve");
    try {
        ReadPracticeText("", 1);
        ADD_FAILURE() << "no block file P0";
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file P0");
    }
    fs::current_path(previous);
}

}  // namespace
}  // namespace kelvo
