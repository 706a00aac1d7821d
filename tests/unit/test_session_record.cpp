#include "teaching/session_record.h"

#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A session of 10 characters: the first five learned, the sixth half-way, the rest untouched.
TSessionRecord SampleRecord() {
    TSessionRecord r;
    r.Time = {2026, 3, 5, 7, 8, 9};
    r.Minutes = 12.5;
    r.Turns = 48;
    r.Right = 40;
    r.Wrong = 6;
    r.Missed = 8;
    r.CharsInUse = 10;
    r.MeanWeight = 0.36;
    r.Rating = 45;
    r.CodeSpeed = 5;
    r.CharSpeed = 14;
    r.Frequency = 800;
    for (int i = 0; i < DrillAlphabetSize; ++i) r.Weights[i] = i < 5 ? 0.2 : i == 5 ? 0.6000000000000001 : 1.0;
    return r;
}

std::string Weights(const char* first, int count, const char* rest) {
    std::string s;
    for (int i = 0; i < DrillAlphabetSize; ++i) s += std::string(",") + (i < count ? first : rest);
    return s;
}

const std::string SampleLine = "1,2026-03-05T07:08:09,12.50,48,40,6,8,10,0.3600,45,5,14,800" +
                               Weights("0.20", 5, "1.00").replace(5 * 5, 5, ",0.60");

// Decimal comma and thousands grouping, as a German desktop would give the C++ streams.
struct CommaNumpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class ScopedGlobalLocale {
public:
    explicit ScopedGlobalLocale(const std::locale& l) : previous_(std::locale::global(l)) {}
    ~ScopedGlobalLocale() { std::locale::global(previous_); }
    ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
    ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;

private:
    std::locale previous_;
};

TEST(SessionRecord, WritesTheDocumentedLineWhateverTheLocale) {
    ScopedGlobalLocale comma(std::locale(std::locale::classic(), new CommaNumpunct));
    EXPECT_EQ(FormatSessionRecord(SampleRecord()), SampleLine);
    const std::string header = HistoryHeaderLine();
    EXPECT_TRUE(header.starts_with("version,local_time,minutes,turns,right,wrong,missed,chars_in_use,"
                                   "mean_weight,rating,code_speed,char_speed,frequency,w01,w02,"));
    EXPECT_TRUE(header.ends_with(",w39,w40"));
}

TEST(SessionRecord, RoundTripsEveryField) {
    const std::optional<TSessionRecord> back = ParseSessionRecord(SampleLine);
    ASSERT_TRUE(back);
    const TSessionRecord want = SampleRecord();
    EXPECT_EQ(back->Time, want.Time);
    EXPECT_DOUBLE_EQ(back->Minutes, want.Minutes);
    EXPECT_EQ(back->Turns, want.Turns);
    EXPECT_EQ(back->Right, want.Right);
    EXPECT_EQ(back->Wrong, want.Wrong);
    EXPECT_EQ(back->Missed, want.Missed);
    EXPECT_EQ(back->CharsInUse, want.CharsInUse);
    EXPECT_DOUBLE_EQ(back->MeanWeight, want.MeanWeight);
    EXPECT_EQ(back->Rating, want.Rating);
    EXPECT_EQ(back->CodeSpeed, want.CodeSpeed);
    EXPECT_EQ(back->CharSpeed, want.CharSpeed);
    EXPECT_EQ(back->Frequency, want.Frequency);
    for (int i = 0; i < DrillAlphabetSize; ++i) EXPECT_NEAR(back->Weights[i], want.Weights[i], 1e-12) << i;
    EXPECT_EQ(FormatSessionRecord(*back), SampleLine);
}

// Puts `value` in place of field `index` (0-based) of the sample line.
std::string WithField(int index, const std::string& value) {
    std::string line = SampleLine;
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) start = line.find(',', start) + 1;
    const std::size_t end = line.find(',', start);
    return line.replace(start, end == std::string::npos ? std::string::npos : end - start, value);
}

TEST(SessionRecord, ReadsOnlyWholeValidLines) {
    struct Case {
        const char* name;
        std::string line;
        bool valid;
    } cases[] = {
        {"the sample", SampleLine, true},
        {"cut short", SampleLine.substr(0, SampleLine.size() - 7), false},
        {"a field too many", SampleLine + ",1.00", false},
        {"empty field", WithField(4, ""), false},
        {"decimal comma", WithField(2, "12,50"), false},
        {"word for a count", WithField(3, "many"), false},
        {"negative count", WithField(5, "-1"), false},
        {"space in a number", WithField(9, " 45"), false},
        {"rating above 100", WithField(9, "101"), false},
        {"no characters in use", WithField(7, "0"), false},
        {"41 characters in use", WithField(7, "41"), false},
        {"weight above 1", WithField(20, "1.50"), false},
        {"weight not a number", WithField(20, "nan"), false},
        {"day that does not exist", WithField(1, "2026-02-30T10:00:00"), false},
        {"hour 24", WithField(1, "2026-03-05T24:00:00"), false},
        {"date without time", WithField(1, "2026-03-05"), false},
        {"newer version", WithField(0, "2"), false},
        {"version 0", WithField(0, "0"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSessionRecord(c.line).has_value(), c.valid) << c.name;
}

TEST(SessionRecord, HistorySkipsAndCountsWhatItCannotRead) {
    const std::string header = HistoryHeaderLine();
    const std::string older = WithField(1, "2026-03-04T20:00:00");
    struct Case {
        const char* name;
        std::string text;
        int sessions;
        int skipped;
        int newer;
    } cases[] = {
        {"empty file", "", 0, 0, 0},
        {"header only", header + "\r\n", 0, 0, 0},
        {"two records", header + "\r\n" + older + "\r\n" + SampleLine + "\r\n", 2, 0, 0},
        {"LF and lone CR ends, blank lines", older + "\n\n" + SampleLine + "\r", 2, 0, 0},
        {"truncated last line", header + "\r\n" + older + "\r\n" + SampleLine.substr(0, 60), 1, 1, 0},
        {"crash left half a line before a later record",
         older + "\r\n" + SampleLine.substr(0, 40) + "\r\n" + SampleLine + "\r\n", 2, 1, 0},
        {"hand-edited field", older + "\r\n" + WithField(9, "lots") + "\r\n", 1, 1, 0},
        {"lines from a newer format", "2,2027-01-01T00:00:00,x\r\n" + SampleLine + "\r\n3\r\n", 1, 2, 2},
        {"free text", "my notes\r\n" + SampleLine, 1, 1, 0},
    };
    for (const Case& c : cases) {
        const TSessionHistory h = ParseSessionHistory(c.text);
        EXPECT_EQ(h.Sessions.size(), static_cast<std::size_t>(c.sessions)) << c.name;
        EXPECT_EQ(h.SkippedLines, c.skipped) << c.name;
        EXPECT_EQ(h.NewerLines, c.newer) << c.name;
    }
    // File order is kept: oldest first.
    const TSessionHistory two = ParseSessionHistory(older + "\r\n" + SampleLine);
    ASSERT_EQ(two.Sessions.size(), 2u);
    EXPECT_EQ(two.Sessions[0].Time.Day, 4);
    EXPECT_EQ(two.Sessions[1].Time.Day, 5);
}

TEST(SessionRecord, AppendsWholeLinesAndNeverRewrites) {
    TempDir dir;
    const fs::path file = dir.path() / HistoryFileName;
    const std::string header = HistoryHeaderLine() + "\r\n";

    AppendSessionRecord(file, SampleRecord());
    EXPECT_EQ(ReadBytes(file), header + SampleLine + "\r\n");
    AppendSessionRecord(file, SampleRecord());
    EXPECT_EQ(ReadBytes(file), header + SampleLine + "\r\n" + SampleLine + "\r\n");

    // A line cut off by a crash stays as it is; the new record starts on a line of its own.
    WriteBytes(file, header + SampleLine.substr(0, 30));
    AppendSessionRecord(file, SampleRecord());
    EXPECT_EQ(ReadBytes(file), header + SampleLine.substr(0, 30) + "\r\n" + SampleLine + "\r\n");
    const TSessionHistory h = ReadSessionHistory(file);
    EXPECT_EQ(h.Sessions.size(), 1u);
    EXPECT_EQ(h.SkippedLines, 1);

    // An empty file gets its header; a file of another program's lines is appended to as it is.
    WriteBytes(file, "");
    AppendSessionRecord(file, SampleRecord());
    EXPECT_EQ(ReadBytes(file), header + SampleLine + "\r\n");
    WriteBytes(file, "notes\n");
    AppendSessionRecord(file, SampleRecord());
    EXPECT_EQ(ReadBytes(file), "notes\n" + SampleLine + "\r\n");
}

TEST(SessionRecord, UnwritableAndUnreadableFilesAreReported) {
    TempDir dir;
    const fs::path file = dir.path() / HistoryFileName;
    EXPECT_TRUE(ReadSessionHistory(file).Sessions.empty());  // none yet: nothing to report
    fs::create_directory(file);  // a folder in the file's place can be neither written nor read
    try {
        AppendSessionRecord(file, SampleRecord());
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + file.string());
    }
    EXPECT_TRUE(fs::is_directory(file));
    try {
        ReadSessionHistory(file);
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + file.string());
    }
    const fs::path nowhere = dir.path() / "missing" / HistoryFileName;
    EXPECT_THROW(AppendSessionRecord(nowhere, SampleRecord()), EFileError);
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST(SessionRecord, TotalsAndStreak) {
    const auto at = [](int month, int day, double minutes) {
        TSessionRecord r = SampleRecord();
        r.Time = {2026, month, day, 18, 0, 0};
        r.Minutes = minutes;
        return r;
    };
    const TLocalTime march5{2026, 3, 5, 12, 0, 0};
    struct Case {
        const char* name;
        std::vector<TSessionRecord> sessions;
        int days;
        int streak;
    } cases[] = {
        {"nothing yet", {}, 0, 0},
        {"today only", {at(3, 5, 10)}, 1, 1},
        {"yesterday counts until today is over", {at(3, 3, 10), at(3, 4, 10)}, 2, 2},
        {"gap ends the streak", {at(3, 1, 10), at(3, 3, 10), at(3, 4, 10), at(3, 5, 10)}, 4, 3},
        {"two sessions on one day", {at(3, 4, 10), at(3, 5, 10), at(3, 5, 20)}, 2, 2},
        {"across a month end", {at(2, 27, 10), at(2, 28, 10), at(3, 1, 10), at(3, 2, 10), at(3, 3, 10),
                                 at(3, 4, 10), at(3, 5, 10)}, 7, 7},
        {"last practice two days ago", {at(3, 2, 10), at(3, 3, 10)}, 2, 0},
    };
    for (const Case& c : cases) {
        const THistoryTotals t = SummarizeHistory(c.sessions, march5);
        EXPECT_EQ(t.Sessions, static_cast<int>(c.sessions.size())) << c.name;
        EXPECT_EQ(t.DaysPractised, c.days) << c.name;
        EXPECT_EQ(t.CurrentStreak, c.streak) << c.name;
    }
    EXPECT_DOUBLE_EQ(SummarizeHistory({at(3, 4, 50), at(3, 5, 40)}, march5).Hours, 1.5);
}

TEST(SessionRecord, RecordsTheDrillAsItStands) {
    TDrillModel drill;
    drill.StartTeaching(3);
    drill.StartSending(3);
    drill.ErrorWeights[2] = 0.6;
    drill.ComputeStats();
    TSessionTally tally;
    tally.Turns = 7;
    tally.Right = 5;
    tally.Wrong = 1;
    tally.Missed = 2;
    const TSessionRecord r = MakeSessionRecord(drill, tally, {2026, 12, 11, 9, 30, 0},
                                               tally.Started + std::chrono::seconds(90), drill.MasteryRating(),
                                               5, 14, 800);
    EXPECT_DOUBLE_EQ(r.Minutes, 1.5);
    EXPECT_EQ(r.CharsInUse, 3);
    EXPECT_NEAR(r.MeanWeight, (0.2 + 0.6 + 0.2) / 3, 1e-12);
    EXPECT_EQ(r.Rating, drill.MasteryRating());
    EXPECT_EQ((std::array{r.Turns, r.Right, r.Wrong, r.Missed}), (std::array{7, 5, 1, 2}));
    EXPECT_DOUBLE_EQ(r.Weights[0], 0.2);
    EXPECT_DOUBLE_EQ(r.Weights[1], 0.6);
    EXPECT_DOUBLE_EQ(r.Weights[3], 1.0);
}

}  // namespace
}  // namespace kelvo
