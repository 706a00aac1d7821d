#include "sources/group_generator.h"

#include <algorithm>

#include "platform/rounding.h"

namespace kelvo {

namespace {

constexpr double DrawScale = 100.0;
// r x 100 rounds to 0..100, so positions from here on are never drawn.
constexpr std::size_t DrawablePositions = 101;
// A third equal character in a row is refused.
constexpr int LongestRun = 2;

}  // namespace

int GroupCharIndex(double r, int length) {
    return static_cast<int>(RoundHalfEven(r * DrawScale)) % length;
}

std::string GenerateGroups(std::string_view GroupChars, TRandomSource& source) {
    if (GroupChars.empty()) return {};
    const std::string_view drawable = GroupChars.substr(0, DrawablePositions);
    if (std::all_of(drawable.begin(), drawable.end(),
                    [&](char c) { return c == drawable.front(); })) {
        throw EGroupChars(SingleGroupCharMessage);
    }

    const int length = static_cast<int>(GroupChars.size());
    std::string groups;
    // The previous character starts as a space, so a first drawn space already counts as a
    // repeat; group spaces are not characters of a run.
    char previous = ' ';
    int run = 0;
    int draws = 0;
    for (int accepted = 0; accepted < GroupStringChars;) {
        ++draws;
        const char c = GroupChars[static_cast<std::size_t>(GroupCharIndex(source.Random(), length))];
        run = (c == previous) ? run + 1 : 0;
        if (run < LongestRun) {
            ++accepted;
            groups += c;
            previous = c;
        }
        if (draws == GroupDraws) {
            draws = 0;
            groups += ' ';
        }
    }
    return groups;
}

}  // namespace kelvo
