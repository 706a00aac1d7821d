#include "platform/text_file.h"

#include "platform/convert.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <iterator>
#include <optional>
#include <unistd.h>

namespace kelvo {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

namespace {

// Length of the valid UTF-8 sequence at `i`, or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    std::size_t len;
    unsigned min;
    unsigned cp;
    if ((b & 0xE0) == 0xC0) { len = 2; min = 0x80; cp = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { len = 3; min = 0x800; cp = b & 0x0F; }
    else if ((b & 0xF8) == 0xF0) { len = 4; min = 0x10000; cp = b & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Windows-1252 puts curly quotes, dashes and the euro sign where Latin-1 has invisible control
// codes; the five bytes it leaves unassigned keep their control code, as Windows reads them.
constexpr char16_t Windows1252From80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t SingleByteCharacter(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? Windows1252From80[b - 0x80] : b;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // every single-byte character lies below 0x10000
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string DecodeUtf8OrWindows1252(std::string_view bytes) {
    // Editors on other systems start a UTF-8 file with a byte-order mark; it is no character.
    if (bytes.starts_with(Utf8ByteOrderMark)) bytes.remove_prefix(Utf8ByteOrderMark.size());
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t len = Utf8SequenceLength(bytes, i)) {
            out.append(bytes.substr(i, len));
            i += len;
        } else {
            AppendUtf8(out, SingleByteCharacter(static_cast<unsigned char>(bytes[i++])));
        }
    }
    return out;
}

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len <= 1) {
        ++i;
        return SingleByteCharacter(lead);
    }
    constexpr unsigned char LeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    char32_t cp = lead & LeadBits[len];
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += len;
    return cp;
}

fs::path ResolveNoCase(const fs::path& dir, const std::string& name) {
    const fs::path exact = dir / name;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    const auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    const std::string wanted = lower(name);
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == wanted) return dir / it->path().filename();
    return exact;
}

std::string ReadTextFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(path, ec)) throw EFileError(FormatMessage(CannotOpenFileMessage, path.string()));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EFileError(FormatMessage(CannotOpenFileMessage, path.string()));
    return DecodeUtf8OrWindows1252(bytes);
}

std::vector<std::string> ReadTextLines(const fs::path& path) { return SplitLines(ReadTextFile(path)); }

namespace {

// Closes the descriptor and removes the temporary file unless the write was committed.
class TempFile {
public:
    explicit TempFile(const fs::path& target) : path_(target.string() + ".XXXXXX") {
        fd_ = ::mkstemp(path_.data());
        created_ = fd_ >= 0;
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !committed_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    bool write(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n < 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool commit(const fs::path& target, bool keepMode) {
        // Keep the permissions of a file we replace; a new file gets the usual 0644 less umask.
        struct stat st {};
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const mode_t mode = keepMode && ::stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~mask;
        if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) return false;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return false;
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool created_ = false;
    bool committed_ = false;
};

// The kernel gives up on a chain of links at this depth too.
constexpr int MaxLinkDepth = 40;

// A file the learner cannot write, or made read-only, is kept as it is: renaming over it would
// replace it all the same. The mode bits count for root too, who may write anything.
bool IsReadOnly(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;  // not there yet: it is created
    return (st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0;
}

}  // namespace

std::optional<fs::path> FileToReplace(const fs::path& path, int& error) {
    fs::path target = path;
    std::error_code ec;
    for (int depth = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++depth) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec || depth == MaxLinkDepth) {
            error = ec ? ec.value() : ELOOP;
            return std::nullopt;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    if (IsReadOnly(target)) {
        error = EACCES;
        return std::nullopt;
    }
    return target;
}

void WriteTextLines(const fs::path& path, const std::vector<std::string>& lines) {
    const auto fail = [&] { return EFileError(FormatMessage(CannotCreateFileMessage, path.string())); };
    int error = 0;
    const std::optional<fs::path> target = FileToReplace(path, error);
    std::error_code ec;
    if (!target || fs::is_directory(*target, ec)) throw fail();
    std::string data;
    for (const auto& line : lines) data.append(line).append("\r\n");
    TempFile temp(*target);
    const bool exists = fs::exists(*target, ec);
    if (!temp.ok() || !temp.write(data) || !temp.commit(*target, exists)) throw fail();
}

}  // namespace kelvo
