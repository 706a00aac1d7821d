#pragma once
// Text files as lines: CR, LF and CR LF each end a line on reading; lines are written with CR LF.
// Text is held as UTF-8. Bytes that are not valid UTF-8 are read as Windows-1252, so a file from
// an older 8-bit system loads with every character intact, curly quotes and dashes included.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// "Cannot open file %s" / "Cannot create file %s".
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* CannotOpenFileMessage = "Cannot open file %s";
inline constexpr const char* CannotCreateFileMessage = "Cannot create file %s";

// Splits text into lines; a final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

// Valid UTF-8 sequences as they are, every other byte taken as its Windows-1252 character; a
// UTF-8 byte-order mark at the start is dropped.
std::string DecodeUtf8OrWindows1252(std::string_view bytes);

// The code point starting at byte `i`, moving `i` past it. A byte that does not start a valid
// UTF-8 sequence is taken as its Windows-1252 character, as DecodeUtf8OrWindows1252 takes it.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

// The path of `name` in `dir`, matched without regard to letter case; `dir / name` when no
// entry matches. The exact name wins over a case-insensitive match.
std::filesystem::path ResolveNoCase(const std::filesystem::path& dir, const std::string& name);

// Whole file, decoded. Throws EFileError("Cannot open file <name>") when it cannot be read.
std::string ReadTextFile(const std::filesystem::path& path);
std::vector<std::string> ReadTextLines(const std::filesystem::path& path);

// The file that writing `path` replaces: a symbolic link is followed to the file it names, which
// is replaced in its own folder while the link stays. Nothing, with `error` set to an errno
// code, when it may not be replaced: a chain of links that cannot be followed, or a file that is
// read-only or not the writer's to change (EACCES).
std::optional<std::filesystem::path> FileToReplace(const std::filesystem::path& path, int& error);

// Writes each line followed by CR LF. The text goes to a temporary file beside the target that
// then replaces it, so a crash or a full disk never leaves a half-written file where the old one
// was. A symbolic link is written through: its target is replaced that way and the link stays.
// Throws EFileError("Cannot create file <name>"), also for a file that is read-only or not the
// writer's to change; the old file is then left intact.
void WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace kelvo
