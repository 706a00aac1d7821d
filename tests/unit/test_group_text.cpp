#include "sources/group_text.h"

#include "sources/group_generator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvo {
namespace {

constexpr std::uint32_t Seed = 20240611;

std::string Bytes(std::string_view chars) {
    TRandomSource source;
    source.SetSeed(Seed);
    return GenerateGroups(chars, source);
}

std::u32string Characters(std::u32string_view chars) {
    TRandomSource source;
    source.SetSeed(Seed);
    return GenerateGroupText(chars, source);
}

// The same letters as characters and as bytes draw the same string.
TEST(GroupText, SingleByteTextGivesTheGeneratorsString) {
    for (const char* chars : {"AB", "ABC", "A B", " A", "0123456789", "ABA", "QWERTZUIOPASDFGHJKL"}) {
        const std::string bytes = Bytes(chars);
        const std::u32string expected(bytes.begin(), bytes.end());
        EXPECT_EQ(Characters(std::u32string(chars, chars + std::char_traits<char>::length(chars))), expected)
            << chars;
    }
}

// Characters beyond one byte come out whole, at the places the byte letters would take.
TEST(GroupText, WideCharactersKeepTheirPlaces) {
    const std::string bytes = Bytes("ABC");
    std::u32string expected;
    for (const char b : bytes) expected += b == 'A' ? U'\u00C4' : b == 'B' ? U'\u0411' : b == 'C' ? U'\U0001F600' : U' ';
    EXPECT_EQ(Characters(U"\u00C4\u0411\U0001F600"), expected);
    EXPECT_EQ(std::count_if(expected.begin(), expected.end(), [](char32_t c) { return c != U' '; }),
              GroupStringChars);
}

TEST(GroupText, OneDistinctCharacterIsRefused) {
    for (const std::u32string_view chars : {std::u32string_view(U"\u0416"), std::u32string_view(U"\u0416\u0416\u0416")})
        EXPECT_THROW(Characters(chars), EGroupChars);
}

// More different characters than one byte can tell apart: the later ones cannot be drawn anyway.
TEST(GroupText, ManyDifferentCharacters) {
    std::u32string chars;
    for (char32_t c = 0x4E00; c < 0x4E00 + 300; ++c) chars += c;
    const std::u32string text = Characters(chars);
    const std::u32string drawable = chars.substr(0, 101);
    EXPECT_EQ(std::count_if(text.begin(), text.end(), [](char32_t c) { return c != U' '; }), GroupStringChars);
    for (const char32_t c : text) EXPECT_TRUE(c == U' ' || drawable.find(c) != std::u32string::npos);
}

}  // namespace
}  // namespace kelvo
