#include "sources/group_text.h"

#include "sources/group_generator.h"

#include <array>
#include <unordered_map>

namespace kelvo {

namespace {
constexpr int AliasCount = 256;
}  // namespace

// The generator only compares characters for equality, so each distinct character stands in as
// one byte and is put back afterwards. A space stays a space: the generator gives it a meaning
// of its own (its group separator and its starting previous character).
std::u32string GenerateGroupText(std::u32string_view GroupChars, TRandomSource& source) {
    std::array<char32_t, AliasCount> character{};
    std::unordered_map<char32_t, char> alias;
    std::string aliased;
    aliased.reserve(GroupChars.size());
    int next = 0;
    for (const char32_t c : GroupChars) {
        if (c == U' ') {
            aliased += ' ';
            continue;
        }
        auto found = alias.find(c);
        if (found == alias.end()) {
            if (next == ' ') ++next;
            if (next == AliasCount) {
                // Over 250 different characters came before this one, so it lies beyond the
                // positions a draw can reach; any stand-in will do.
                aliased += aliased.front();
                continue;
            }
            character[static_cast<std::size_t>(next)] = c;
            found = alias.emplace(c, static_cast<char>(next++)).first;
        }
        aliased += found->second;
    }

    const std::string groups = GenerateGroups(aliased, source);
    std::u32string text;
    text.reserve(groups.size());
    for (const char b : groups) text += b == ' ' ? U' ' : character[static_cast<unsigned char>(b)];
    return text;
}

}  // namespace kelvo
