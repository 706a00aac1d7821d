#include "render/chapters.h"

#include <algorithm>
#include <stdexcept>

namespace kelvo {

namespace {

constexpr std::size_t MaxNumberWidth = 2;

bool OnlyBlank(std::u32string_view text) {
    return std::all_of(text.begin(), text.end(), [](char32_t c) { return c == U' ' || c == U'\r' || c == U'\n' || c == U'\t'; });
}

// Where the conversion at `at` (a '%') ends, and its width and zero fill; npos when it is no
// number conversion.
struct Conversion {
    std::size_t End = std::string_view::npos;
    int Width = 0;
    bool Zero = false;
};

Conversion ReadConversion(std::string_view pattern, std::size_t at) {
    Conversion c;
    std::size_t i = at + 1;
    if (i < pattern.size() && pattern[i] == '0') {
        c.Zero = true;
        ++i;
    }
    const std::size_t digits = i;
    while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9' && i - digits < MaxNumberWidth) {
        c.Width = c.Width * 10 + (pattern[i] - '0');
        ++i;
    }
    if (i < pattern.size() && pattern[i] == 'd') c.End = i + 1;
    return c;
}

}  // namespace

std::vector<std::u32string> SplitChapters(std::u32string_view text, std::u32string_view marker) {
    std::vector<std::size_t> starts;
    if (!marker.empty())
        for (std::size_t line = 0; line < text.size();) {
            if (text.substr(line).starts_with(marker)) starts.push_back(line);
            const std::size_t end = text.find(U'\n', line);
            if (end == std::u32string_view::npos) break;
            line = end + 1;
        }
    std::vector<std::u32string> chapters;
    const std::size_t first = starts.empty() ? text.size() : starts.front();
    if (starts.empty() || !OnlyBlank(text.substr(0, first))) chapters.emplace_back(text.substr(0, first));
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
        chapters.emplace_back(text.substr(starts[i], end - starts[i]));
    }
    return chapters;
}

std::string NumberedNameProblem(std::string_view pattern) {
    int numbers = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            ++i;
            continue;
        }
        const Conversion c = ReadConversion(pattern, i);
        if (c.End == std::string_view::npos)
            return "'" + std::string(pattern.substr(i, 4)) + "' is not a chapter number: use %d, %03d or %% for a %";
        ++numbers;
        i = c.End - 1;
    }
    if (numbers == 0) return "has no % for the chapter number";
    if (numbers > 1) return "has more than one chapter number";
    return {};
}

std::string ChapterFileName(std::string_view pattern, int number) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        const Conversion c = ReadConversion(pattern, i);
        if (c.End == std::string_view::npos) throw std::invalid_argument("not a numbered file name");
        std::string digits = std::to_string(number);
        if (digits.size() < static_cast<std::size_t>(c.Width))
            digits.insert(0, static_cast<std::size_t>(c.Width) - digits.size(), c.Zero ? '0' : ' ');
        out += digits;
        i = c.End - 1;
    }
    return out;
}

}  // namespace kelvo
