#pragma once
// The drill history: one line per drill session, appended to "Kelvohistory.txt" in the current
// folder when Stop Kelvo ends a drill that was sending, and read back by the Progress window.
// Qt-free; the window converts clock and dates at its edge.
//
// File format, version 1:
//   - Plain ASCII text, lines ended by CR LF (a lone CR or LF is read as well).
//   - The first line of a new file is the header, the column names below joined by commas.
//     Lines starting with "version," are headers and are passed over.
//   - Every other line is one session: 53 comma-separated fields, no quoting, no spaces:
//       1  version       1, the format of this line
//       2  local_time    start of Stop Kelvo, local time, ISO 8601 "YYYY-MM-DDTHH:MM:SS"
//       3  minutes       time from Start Sending to Stop Kelvo, two decimals
//       4  turns         turns that ended (answered or timed out)
//       5  right         right answers
//       6  wrong         wrong keys
//       7  missed        answer windows that ran out
//       8  chars_in_use  characters in use at the end, 1..40
//       9  mean_weight   mean error weight of those characters, four decimals
//      10  rating        the mastery rating as shown, 0..100
//      11  code_speed    code speed, words per minute
//      12  char_speed    Farnsworth (character) speed, words per minute
//      13  frequency     tone frequency, hertz
//      14..53  w01..w40  error weight of each character in drill order
//                        "q7zg098o1jpwlram6bxdyckn23fu45vhsite.,?/", two decimals, 0..1
//   - Numbers use "." as decimal point whatever the locale.
//   - The file is only ever appended to, one whole line per write. A line that cannot be read
//     (cut short, edited by hand, from a newer version) is skipped and counted, never repaired.
//   - A later format keeps field 1 as its version number, so older readers skip its lines.
#include "teaching/drill_model.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

inline constexpr const char* HistoryFileName = "Kelvohistory.txt";
inline constexpr int HistoryFormatVersion = 1;
inline constexpr int HistoryFieldCount = 13 + DrillAlphabetSize;

// Local wall-clock time, to the second.
struct TLocalTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    bool operator==(const TLocalTime&) const = default;
};

// Days since 1970-01-01 of the time's calendar date.
int DayNumber(const TLocalTime& time);

struct TSessionRecord {
    TLocalTime Time;
    double Minutes = 0;
    int Turns = 0;
    int Right = 0;
    int Wrong = 0;
    int Missed = 0;
    int CharsInUse = 0;
    double MeanWeight = 0;
    int Rating = 0;
    double CodeSpeed = 0;
    double CharSpeed = 0;
    double Frequency = 0;
    // In drill order, 0-based (the drill model counts from 1).
    std::array<double, DrillAlphabetSize> Weights{};
};

// What one drill did between Start Sending and Stop Kelvo. The teaching handlers count; the
// model's own fields hold only what the rules need.
struct TSessionTally {
    std::chrono::steady_clock::time_point Started{};
    int Turns = 0;
    int Right = 0;
    int Wrong = 0;
    int Missed = 0;
};

// A record of the drill as it stands, with the window's speeds and the rating it showed.
TSessionRecord MakeSessionRecord(const TDrillModel& drill, const TSessionTally& tally, TLocalTime now,
                                 std::chrono::steady_clock::time_point stopped, int rating, double codeSpeed,
                                 double charSpeed, double frequency);

// The header line, without its line end.
std::string HistoryHeaderLine();
// One record as a line, without its line end.
std::string FormatSessionRecord(const TSessionRecord& record);
// The record of a line, or nothing when the line is not a whole, valid version-1 record.
std::optional<TSessionRecord> ParseSessionRecord(std::string_view line);

struct TSessionHistory {
    std::vector<TSessionRecord> Sessions;  // in file order, oldest first
    int SkippedLines = 0;                  // lines that could not be read, newer ones included
    int NewerLines = 0;                    // of those, lines of a newer format
};

TSessionHistory ParseSessionHistory(std::string_view text);
// A missing file is an empty history. Throws EFileError("Cannot open file %s") when the file
// exists but cannot be read.
TSessionHistory ReadSessionHistory(const std::filesystem::path& path);

// Appends one record, with the header first when the file is new or empty. The line goes out in
// one write and is synced, and when the file does not end with a line end (a crash cut its last
// line) the record starts on a fresh line, so a broken line never swallows the next record.
// Throws EFileError("Cannot create file %s"); the file is then unchanged.
void AppendSessionRecord(const std::filesystem::path& path, const TSessionRecord& record);

struct THistoryTotals {
    int Sessions = 0;
    double Hours = 0;
    int DaysPractised = 0;
    // Consecutive days with a session, ending today, or yesterday while today has none yet.
    int CurrentStreak = 0;
};

THistoryTotals SummarizeHistory(const std::vector<TSessionRecord>& sessions, const TLocalTime& today);

}  // namespace kelvo
