// The group generator with arbitrary characters: the first four bytes seed the random source,
// the rest are the typed characters (as bytes, and decoded as the text box holds them). It ends,
// refuses only characters that are all the same, and gives 63 characters of the typed ones with
// a space after every fifth draw and never three equal characters in a row.
#include "fuzz_check.h"
#include "platform/random_source.h"
#include "platform/text_file.h"
#include "sources/group_generator.h"
#include "sources/group_text.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using namespace kelvo;

namespace {

template <class Char>
bool AllSame(std::basic_string_view<Char> drawable) {
    for (const Char c : drawable)
        if (c != drawable.front()) return false;
    return true;
}

// The string's characters as the generator accepted them, with the group spaces taken out. A
// space typed among the characters cannot be told from a group space, so `typedSpace` says
// whether spaces may be characters too.
template <class Char>
void CheckGroups(std::basic_string_view<Char> chars, std::basic_string_view<Char> groups) {
    const std::basic_string_view<Char> drawable = chars.substr(0, 101);
    const bool typedSpace = drawable.find(Char(' ')) != drawable.npos;
    std::size_t accepted = 0;
    std::size_t run = 0;
    Char previous = ' ';
    for (const Char c : groups) {
        if (c == Char(' ') && !typedSpace) continue;
        FUZZ_CHECK(drawable.find(c) != drawable.npos);
        run = c == previous ? run + 1 : 0;
        if (!typedSpace) FUZZ_CHECK(run < 2);
        previous = c;
        ++accepted;
    }
    if (!typedSpace) FUZZ_CHECK(accepted == GroupStringChars);
    // One space per five draws, and at least 63 draws: at least 12 spaces.
    FUZZ_CHECK(groups.size() >= GroupStringChars + GroupStringChars / GroupDraws);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::uint32_t seed;
    std::memcpy(&seed, data, sizeof seed);
    const std::string_view chars(reinterpret_cast<const char*>(data) + 4, size - 4);

    TRandomSource source;
    source.SetSeed(seed);
    try {
        const std::string groups = GenerateGroups(chars, source);
        if (chars.empty()) {
            FUZZ_CHECK(groups.empty());
        } else {
            FUZZ_CHECK(!AllSame(chars.substr(0, 101)));
            CheckGroups(chars, std::string_view(groups));
        }
    } catch (const EGroupChars&) {
        FUZZ_CHECK(!chars.empty() && AllSame(chars.substr(0, 101)));
    }

    // As typed into the box: any characters, one code point each.
    std::u32string typed;
    const std::string utf8 = DecodeUtf8OrWindows1252(chars);
    for (std::size_t i = 0; i < utf8.size();) typed += NextCodePoint(utf8, i);
    source.SetSeed(seed);
    try {
        const std::u32string groups = GenerateGroupText(typed, source);
        if (!typed.empty()) CheckGroups(std::u32string_view(typed), std::u32string_view(groups));
    } catch (const EGroupChars&) {
        FUZZ_CHECK(!typed.empty());
    }
    return 0;
}
