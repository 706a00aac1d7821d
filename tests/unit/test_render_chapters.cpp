#include "render/chapters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render/render.h"
#include "platform/text_file.h"
#include "render/render_job.h"
#include "tests/render/sound_check.h"
#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using Chapters = std::vector<std::u32string>;

TEST(Chapters, SplitWhereALineBeginsWithTheMarker) {
    const struct {
        const char* name;
        const char* text;
        Chapters chapters;
    } cases[] = {
        {"marker absent: one chapter", "call me\nishmael", {U"call me\r\nishmael"}},
        {"empty text", "", {U""}},
        {"marker at the start", "CHAPTER 1\nab\nCHAPTER 2\ncd", {U"CHAPTER 1\r\nab\r\n", U"CHAPTER 2\r\ncd"}},
        {"text before the first marker is a chapter", "Preface\nCHAPTER 1\nab",
         {U"Preface\r\n", U"CHAPTER 1\r\nab"}},
        {"blank lines before the first marker are not", "\n  \nCHAPTER 1\nab", {U"CHAPTER 1\r\nab"}},
        {"marker in the middle of a line does not split", "see CHAPTER 2\nx", {U"see CHAPTER 2\r\nx"}},
        {"marker after CR line ends", "a\rCHAPTER\rb", {U"a\r\n", U"CHAPTER\r\nb"}},
        {"an empty chapter keeps its heading", "CHAPTER 1\nCHAPTER 2\nb", {U"CHAPTER 1\r\n", U"CHAPTER 2\r\nb"}},
        {"marker as the last line", "a\nCHAPTER", {U"a\r\n", U"CHAPTER"}},
        {"letter case counts", "chapter 1\nCHAPTER 2", {U"chapter 1\r\n", U"CHAPTER 2"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitChapters(KeyedText(c.text), U"CHAPTER"), c.chapters) << c.name;
    EXPECT_EQ(SplitChapters(U"a\r\nb", U""), Chapters{U"a\r\nb"});
}

TEST(Chapters, NumberedFileNames) {
    const struct {
        const char* pattern;
        const char* problem;  // empty when the name numbers files
        const char* third;    // the name of chapter 3
    } cases[] = {
        {"book-%03d.mp3", "", "book-003.mp3"},
        {"%d.ogg", "", "3.ogg"},
        {"b%2d.wav", "", "b 3.wav"},
        {"100%%-%d.wav", "", "100%-3.wav"},
        {"dir%%/ch%04d.flac", "", "dir%/ch0003.flac"},
        {"book.mp3", "has no % for the chapter number", nullptr},
        {"100%%.mp3", "has no % for the chapter number", nullptr},
        {"-", "has no % for the chapter number", nullptr},
        {"a%d-%d.mp3", "has more than one chapter number", nullptr},
        {"a%s.mp3", "'%s.m' is not a chapter number: use %d, %03d or %% for a %", nullptr},
        {"a%123d.mp3", "'%123' is not a chapter number: use %d, %03d or %% for a %", nullptr},
        {"a%", "'%' is not a chapter number: use %d, %03d or %% for a %", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberedNameProblem(c.pattern), c.problem) << c.pattern;
        if (c.third) {
            EXPECT_EQ(ChapterFileName(c.pattern, 3), c.third) << c.pattern;
        }
    }
    EXPECT_EQ(ChapterFileName("book-%03d.mp3", 1234), "book-1234.mp3");
}

RenderOptions BookOptions(const fs::path& dir) {
    RenderOptions o;
    o.Settings.CodeSpeed = 98;
    o.Settings.CharSpeed = 5;
    o.Output = (dir / "book-%02d.wav").string();
    o.ChapterMarker = "CH";
    o.SpeedStep = 1;
    o.Title = "Moby";
    return o;
}

TEST(Chapters, JobsStepTheSpeedAndNumberTheFiles) {
    test::TempDir dir;
    const std::vector<RenderJob> jobs = PlanJobs(BookOptions(dir.path()), KeyedText("CH 1\nE\nCH 2\nT\nCH 3\nCH 4"));
    ASSERT_EQ(jobs.size(), 4u);
    const int codeSpeeds[] = {98, 99, 100, 100};  // no faster than the fastest speed
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        EXPECT_EQ(jobs[i].Output, (dir.path() / ("book-0" + n + ".wav")).string());
        EXPECT_EQ(jobs[i].Settings.CodeSpeed, codeSpeeds[i]);
        EXPECT_EQ(jobs[i].Settings.CharSpeed, 5 + static_cast<int>(i));
        EXPECT_EQ(jobs[i].Encoder.Tags.Title, "Moby - Chapter " + n);
        EXPECT_EQ(jobs[i].Encoder.Tags.Album, "Moby");
        EXPECT_EQ(jobs[i].Encoder.Tags.TrackNumber, n);
        EXPECT_EQ(jobs[i].Encoder.Tags.Comment, "Morse at " + std::to_string(codeSpeeds[i]) + " wpm, " + "800 Hz tone, 5 ms rise");
    }
    EXPECT_EQ(jobs[1].Text, U"CH 2\r\nT\r\n");
    RenderSettings farnsworth;
    EXPECT_EQ(SettingsComment(farnsworth), "Morse at 5 wpm, characters at 14 wpm, 800 Hz tone, 5 ms rise");
}

TEST(Chapters, AllFilesAreWrittenOrNone) {
    test::TempDir dir;
    RenderOptions o = BookOptions(dir.path());
    o.Settings.CodeSpeed = 20;
    o.Settings.CharSpeed = 20;
    const std::u32string book = KeyedText("CH 1\nPARIS\nCH 2\nMORSE\nCH 3\nCODE");
    std::vector<RenderJob> jobs = PlanJobs(o, book);
    std::vector<RenderProgress> reports;
    RunJobs(jobs, 3, [&](const RenderProgress& p) { reports.push_back(p); }, std::chrono::milliseconds(0));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"book-01.wav", "book-02.wav", "book-03.wav"}));
    for (const RenderJob& j : jobs) {
        std::vector<std::int16_t> samples;
        TextRenderer(j.Settings).Render(j.Text, [&](std::int16_t s) { samples.push_back(s); });
        EXPECT_EQ(test::ReadBytes(j.Output), test::WavFileBytes(8000, samples)) << j.Output;
    }
    // Reported at least once, before the work ends, and never going back.
    ASSERT_FALSE(reports.empty());
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].Chapters, 3);
        EXPECT_LE(reports[i].Share, 1.0);
        if (i == 0) continue;
        EXPECT_GE(reports[i].Share, reports[i - 1].Share);
        EXPECT_GE(reports[i].ChaptersDone, reports[i - 1].ChaptersDone);
    }

    // The third chapter cannot be written: none of the new files stays, the old ones are kept.
    fs::remove(dir.path() / "book-03.wav");
    fs::create_directory(dir.path() / "book-03.wav");
    test::WriteBytes(dir.path() / "book-01.wav", "old");
    jobs = PlanJobs(o, KeyedText("CH 1\nNEW\nCH 2\nNEW\nCH 3\nNEW"));
    try {
        RunJobs(jobs, 2);
        ADD_FAILURE() << "a folder was replaced by a file";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.what(), "Cannot create file " + jobs[2].Output + ": Is a directory");
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"book-01.wav", "book-02.wav", "book-03.wav"}));
    EXPECT_EQ(test::ReadBytes(dir.path() / "book-01.wav"), "old");
}

}  // namespace
}  // namespace kelvo
