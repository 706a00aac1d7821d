#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

using test::TempDir;
using test::ReadBytes;
using test::WriteBytes;

TEST(TextFile, SplitsOnCrLfAndCrLf) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\rc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n\r"), (Lines{"", ""}));
}

TEST(TextFile, DecodesUtf8AndFallsBackToWindows1252PerByte) {
    EXPECT_EQ(DecodeUtf8OrWindows1252("plain"), "plain");
    EXPECT_EQ(DecodeUtf8OrWindows1252("caf\xC3\xA9"), "caf\xC3\xA9");        // valid UTF-8 kept
    EXPECT_EQ(DecodeUtf8OrWindows1252("caf\xE9!"), "caf\xC3\xA9!");          // single-byte e-acute
    EXPECT_EQ(DecodeUtf8OrWindows1252("\xC3\xA9\xE9"), "\xC3\xA9\xC3\xA9");  // both in one text
    EXPECT_EQ(DecodeUtf8OrWindows1252("\xC0\xAF"), "\xC3\x80\xC2\xAF");      // overlong form is not UTF-8
    // Curly quotes, a dash and the euro sign, not control codes; an unassigned byte keeps its code.
    EXPECT_EQ(DecodeUtf8OrWindows1252("\x93" "73\x94 \x96 5\x80\x81"),
              "\xE2\x80\x9C" "73\xE2\x80\x9D \xE2\x80\x93 5\xE2\x82\xAC\xC2\x81");
    EXPECT_EQ(DecodeUtf8OrWindows1252("\xEF\xBB\xBF" "1\r\n"), "1\r\n");                          // byte-order mark
    EXPECT_EQ(DecodeUtf8OrWindows1252("1\xEF\xBB\xBF"), "1\xEF\xBB\xBF");                          // only at the start
}

TEST(TextFile, StepsThroughCodePoints) {
    struct { const char* text; char32_t code; std::size_t length; } cases[] = {
        {"A", U'A', 1},
        {"\xC3\xA9", 0xE9, 2},           // UTF-8 e-acute
        {"\xE9!", 0xE9, 1},               // the single byte itself
        {"\x96", 0x2013, 1},              // a Windows-1252 dash
        {"\xD0\x96", 0x416, 2},          // Cyrillic Zhe
        {"\xF0\x9F\x98\x80", 0x1F600, 4},  // beyond 16 bits
        {"\xC0\xAF", 0xC0, 1},           // overlong form: not UTF-8
        {"\xE2\x82", 0xE2, 1},           // cut-off sequence
    };
    for (const auto& c : cases) {
        std::size_t i = 0;
        EXPECT_EQ(NextCodePoint(c.text, i), c.code) << c.text;
        EXPECT_EQ(i, c.length) << c.text;
    }
}

TEST(TextFile, WritesCrLfAndReadsBack) {
    TempDir dir;
    const fs::path file = dir.path() / "Kelvoinit.txt";
    WriteTextLines(file, {"1", "5", "14", "800", "1"});
    EXPECT_EQ(ReadBytes(file), "1\r\n5\r\n14\r\n800\r\n1\r\n");
    EXPECT_EQ(ReadTextLines(file), (std::vector<std::string>{"1", "5", "14", "800", "1"}));
    WriteTextLines(file, {"x"});  // replaced whole
    EXPECT_EQ(ReadBytes(file), "x\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1) << "temporary file left";
}

TEST(TextFile, FailedWriteKeepsTheOldFileAndReportsTheName) {
    TempDir dir;
    const fs::path file = dir.path() / "Notepad.txt";
    WriteBytes(file, "my notes\r\n");
    ::chmod(dir.path().c_str(), 0500);  // no new file can be created beside it
    const bool canStillWrite = ::access(dir.path().c_str(), W_OK) == 0;  // root ignores modes
    if (!canStillWrite) {
        try {
            WriteTextLines(file, {"lost"});
            ADD_FAILURE() << "no error";
        } catch (const EFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + file.string());
        }
        EXPECT_EQ(ReadBytes(file), "my notes\r\n");
    }
    ::chmod(dir.path().c_str(), 0700);
    // A target that is a folder cannot be replaced, whoever runs the test.
    fs::create_directory(dir.path() / "folder");
    EXPECT_THROW(WriteTextLines(dir.path() / "folder", {"x"}), EFileError);
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
}

TEST(TextFile, ReadOnlyFileIsKeptAndALinkIsWrittenThrough) {
    TempDir dir;
    const fs::path notes = dir.path() / "Notepad.txt";
    WriteBytes(notes, "my notes\r\n");
    fs::permissions(notes, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        WriteTextLines(notes, {"lost"});
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + notes.string());
    }
    EXPECT_EQ(ReadBytes(notes), "my notes\r\n");

    fs::create_directory(dir.path() / "shared");
    WriteBytes(dir.path() / "shared" / "settings", "old\r\n");
    fs::create_symlink("shared/settings", dir.path() / "Kelvoinit.txt");
    WriteTextLines(dir.path() / "Kelvoinit.txt", {"1", "5"});
    EXPECT_TRUE(fs::is_symlink(dir.path() / "Kelvoinit.txt"));
    EXPECT_EQ(ReadBytes(dir.path() / "shared" / "settings"), "1\r\n5\r\n");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Kelvoinit.txt", "Notepad.txt", "shared"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "shared"), fs::directory_iterator{}), 1)
        << "temporary file left";
}

TEST(TextFile, MissingFileCannotBeOpened) {
    TempDir dir;
    try {
        ReadTextLines(dir.path() / "P3");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir.path() / "P3").string());
    }
}

TEST(TextFile, ResolvesNamesWithoutRegardToCase) {
    TempDir dir;
    WriteBytes(dir.path() / "p3", "x");
    EXPECT_EQ(ResolveNoCase(dir.path(), "P3"), dir.path() / "p3");
    EXPECT_EQ(ResolveNoCase(dir.path(), "p3"), dir.path() / "p3");
    EXPECT_EQ(ResolveNoCase(dir.path(), "Notepad.txt"), dir.path() / "Notepad.txt");  // absent: as asked
    WriteBytes(dir.path() / "P3", "y");
    EXPECT_EQ(ResolveNoCase(dir.path(), "P3"), dir.path() / "P3");  // the exact name wins
}

}  // namespace
}  // namespace kelvo
