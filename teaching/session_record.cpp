#include "teaching/session_record.h"

#include "platform/convert.h"
#include "platform/text_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* FixedColumns[] = {"version",   "local_time",  "minutes", "turns",      "right",
                                        "wrong",     "missed",      "chars_in_use", "mean_weight",
                                        "rating",    "code_speed",  "char_speed",   "frequency"};
constexpr std::string_view HeaderStart = "version,";
// A weight is written with two decimals; reading allows for that rounding.
constexpr double WeightLimit = 1.005;
constexpr int HighestRating = 100;

std::chrono::year_month_day Date(const TLocalTime& t) {
    return std::chrono::year{t.Year} / std::chrono::month{static_cast<unsigned>(t.Month)} /
           std::chrono::day{static_cast<unsigned>(t.Day)};
}

// to_chars never looks at the locale, so "." is always the decimal point.
void AppendFixed(std::string& out, double value, int decimals) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, result.ptr);
}

void AppendShortest(std::string& out, double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

// Whole field, nothing before or after the number.
template <class T>
bool ParseNumber(std::string_view field, T& value) {
    if (field.empty()) return false;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    return result.ec == std::errc() && result.ptr == field.data() + field.size();
}

bool ParseCount(std::string_view field, int& value) { return ParseNumber(field, value) && value >= 0; }

bool ParseReal(std::string_view field, double& value) {
    return ParseNumber(field, value) && std::isfinite(value) && value >= 0;
}

bool ParseDigits(std::string_view text, int& value) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return ParseNumber(text, value);
}

// "YYYY-MM-DDTHH:MM:SS", a real calendar date and time of day.
bool ParseLocalTime(std::string_view field, TLocalTime& time) {
    if (field.size() != 19 || field[4] != '-' || field[7] != '-' || field[10] != 'T' || field[13] != ':' ||
        field[16] != ':')
        return false;
    if (!ParseDigits(field.substr(0, 4), time.Year) || !ParseDigits(field.substr(5, 2), time.Month) ||
        !ParseDigits(field.substr(8, 2), time.Day) || !ParseDigits(field.substr(11, 2), time.Hour) ||
        !ParseDigits(field.substr(14, 2), time.Minute) || !ParseDigits(field.substr(17, 2), time.Second))
        return false;
    if (time.Month < 1 || time.Month > 12 || time.Day < 1 || time.Day > 31) return false;
    return Date(time).ok() && time.Hour < 24 && time.Minute < 60 && time.Second < 60;
}

// Closes the descriptor on every path out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace

int DayNumber(const TLocalTime& time) {
    return static_cast<int>(std::chrono::sys_days(Date(time)).time_since_epoch().count());
}

TSessionRecord MakeSessionRecord(const TDrillModel& drill, const TSessionTally& tally, TLocalTime now,
                                 std::chrono::steady_clock::time_point stopped, int rating, double codeSpeed,
                                 double charSpeed, double frequency) {
    TSessionRecord record;
    record.Time = now;
    record.Minutes = std::chrono::duration<double, std::ratio<60>>(stopped - tally.Started).count();
    record.Turns = tally.Turns;
    record.Right = tally.Right;
    record.Wrong = tally.Wrong;
    record.Missed = tally.Missed;
    record.CharsInUse = drill.CharsInUse;
    record.MeanWeight = drill.MeanWeight;
    record.Rating = rating;
    record.CodeSpeed = codeSpeed;
    record.CharSpeed = charSpeed;
    record.Frequency = frequency;
    for (int i = 0; i < DrillAlphabetSize; ++i) record.Weights[i] = drill.ErrorWeights[i + 1];
    return record;
}

std::string HistoryHeaderLine() {
    std::string line;
    for (const char* column : FixedColumns) line.append(column).append(",");
    for (int i = 1; i <= DrillAlphabetSize; ++i) {
        line += 'w';
        AppendTwoDigits(line, i);
        if (i < DrillAlphabetSize) line += ',';
    }
    return line;
}

std::string FormatSessionRecord(const TSessionRecord& r) {
    std::string line;
    line.reserve(320);
    AppendInt(line, HistoryFormatVersion);
    line += ',';
    AppendInt(line, r.Time.Year);
    line += '-';
    AppendTwoDigits(line, r.Time.Month);
    line += '-';
    AppendTwoDigits(line, r.Time.Day);
    line += 'T';
    AppendTwoDigits(line, r.Time.Hour);
    line += ':';
    AppendTwoDigits(line, r.Time.Minute);
    line += ':';
    AppendTwoDigits(line, r.Time.Second);
    line += ',';
    AppendFixed(line, r.Minutes, 2);
    for (const int count : {r.Turns, r.Right, r.Wrong, r.Missed, r.CharsInUse}) {
        line += ',';
        AppendInt(line, count);
    }
    line += ',';
    AppendFixed(line, r.MeanWeight, 4);
    line += ',';
    AppendInt(line, r.Rating);
    for (const double value : {r.CodeSpeed, r.CharSpeed, r.Frequency}) {
        line += ',';
        AppendShortest(line, value);
    }
    for (const double weight : r.Weights) {
        line += ',';
        AppendFixed(line, weight, 2);
    }
    return line;
}

std::optional<TSessionRecord> ParseSessionRecord(std::string_view line) {
    const std::vector<std::string_view> f = SplitFields(line);
    int version = 0;
    if (f.size() != HistoryFieldCount || !ParseNumber(f[0], version) || version != HistoryFormatVersion)
        return std::nullopt;
    TSessionRecord r;
    const bool ok = ParseLocalTime(f[1], r.Time) && ParseReal(f[2], r.Minutes) && ParseCount(f[3], r.Turns) &&
                    ParseCount(f[4], r.Right) && ParseCount(f[5], r.Wrong) && ParseCount(f[6], r.Missed) &&
                    ParseCount(f[7], r.CharsInUse) && ParseReal(f[8], r.MeanWeight) &&
                    ParseCount(f[9], r.Rating) && ParseReal(f[10], r.CodeSpeed) &&
                    ParseReal(f[11], r.CharSpeed) && ParseReal(f[12], r.Frequency);
    if (!ok || r.CharsInUse < 1 || r.CharsInUse > DrillAlphabetSize || r.Rating > HighestRating ||
        r.MeanWeight > WeightLimit)
        return std::nullopt;
    for (int i = 0; i < DrillAlphabetSize; ++i)
        if (!ParseReal(f[13 + i], r.Weights[i]) || r.Weights[i] > WeightLimit) return std::nullopt;
    return r;
}

TSessionHistory ParseSessionHistory(std::string_view text) {
    TSessionHistory history;
    history.Sessions.reserve(text.size() / 300 + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        if (line.empty() || line.starts_with(HeaderStart)) continue;
        if (std::optional<TSessionRecord> record = ParseSessionRecord(line)) {
            history.Sessions.push_back(*record);
            continue;
        }
        ++history.SkippedLines;
        int version = 0;
        const std::string_view first = line.substr(0, line.find(','));
        if (ParseNumber(first, version) && version > HistoryFormatVersion) ++history.NewerLines;
    }
    return history;
}

TSessionHistory ReadSessionHistory(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    // The file is ASCII; reading it as bytes keeps a stray byte in its own (skipped) line.
    return ParseSessionHistory(ReadTextFile(path));
}

void AppendSessionRecord(const fs::path& path, const TSessionRecord& record) {
    const auto fail = [&] { return EFileError(FormatMessage(CannotCreateFileMessage, path.string())); };
    FileDescriptor file(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (file.get() < 0) throw fail();
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) throw fail();

    std::string data;
    if (st.st_size == 0) {
        data = HistoryHeaderLine() + "\r\n";
    } else {
        char last = 0;
        if (::pread(file.get(), &last, 1, st.st_size - 1) != 1) throw fail();
        if (last != '\n' && last != '\r') data = "\r\n";
    }
    data += FormatSessionRecord(record);
    data += "\r\n";

    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(file.get(), data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Take back a partial line so that nothing half-written stays behind.
            if (done > 0) [[maybe_unused]] const int undone = ::ftruncate(file.get(), st.st_size);
            throw fail();
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(file.get()) != 0 || !file.close()) throw fail();
}

THistoryTotals SummarizeHistory(const std::vector<TSessionRecord>& sessions, const TLocalTime& today) {
    THistoryTotals totals;
    totals.Sessions = static_cast<int>(sessions.size());
    std::set<int> days;
    double minutes = 0;
    for (const TSessionRecord& s : sessions) {
        minutes += s.Minutes;
        days.insert(DayNumber(s.Time));
    }
    totals.Hours = minutes / 60;
    totals.DaysPractised = static_cast<int>(days.size());
    int day = DayNumber(today);
    if (!days.contains(day)) --day;  // today is not over yet: yesterday's streak still counts
    while (days.contains(day)) {
        ++totals.CurrentStreak;
        --day;
    }
    return totals;
}

}  // namespace kelvo
