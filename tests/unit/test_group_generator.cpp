#include "sources/group_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {
namespace {

// The generator's formula in 64-bit integers, apart from TRandomSource.
struct ReferenceLcg {
    std::uint64_t State;
    double Next() {
        State = (State * 134775813u + 1u) % 4294967296u;
        return static_cast<double>(State) / 4294967296.0;
    }
};

// k / 2^32 x 100 is exact in a double and never ends in .5, so rounding needs no tie rule here.
std::size_t ReferenceIndex(double r, std::size_t length) {
    const double scaled = r * 100;
    EXPECT_NE(scaled - std::floor(scaled), 0.5);
    return static_cast<std::size_t>(std::floor(scaled + 0.5)) % length;
}

// The group string worked out draw by draw.
std::string Replay(const std::string& chars, std::uint32_t seed) {
    ReferenceLcg lcg{seed};
    std::string out;
    char last = ' ';
    int sameInARow = 0;  // how many times `last` was drawn again in a row
    int acceptedChars = 0;
    for (int draw = 1; acceptedChars < 63; ++draw) {
        const char c = chars[ReferenceIndex(lcg.Next(), chars.size())];
        sameInARow = c == last ? sameInARow + 1 : 0;
        if (sameInARow <= 1) {
            out += c;
            last = c;
            ++acceptedChars;
        }
        if (draw % 5 == 0) out += ' ';
    }
    return out;
}

std::string Generate(const std::string& chars, std::uint32_t seed) {
    TRandomSource source;
    source.SetSeed(seed);
    return GenerateGroups(chars, source);
}

const std::string Mixed101 = [] {
    std::string s;
    for (int i = 0; i < 101; ++i) s += (i % 2 ? 'b' : 'a');
    return s;
}();

TEST(GroupGenerator, MatchesADrawByDrawReplay) {
    const std::vector<std::string> charSets = {
        "ab", "AB", "abc", "q7z", " a", "0123456789", std::string(100, 'a') + "b",
        Mixed101 + std::string(49, 'z'),
    };
    for (const auto& chars : charSets) {
        for (std::uint32_t seed = 0; seed < 40; ++seed) {
            const std::uint32_t s = seed * 2654435761u;
            ASSERT_EQ(Generate(chars, s), Replay(chars, s)) << '"' << chars << "\" seed " << s;
        }
    }
}

TEST(GroupGenerator, SixtyThreeCharactersNeverThreeEqualInARow) {
    bool sawEmptyGroup = false;
    bool sawTrailingSpace = false;
    bool sawTrailingChar = false;
    for (std::uint32_t seed = 0; seed < 500; ++seed) {
        SCOPED_TRACE(seed);
        const std::string groups = Generate("AB", seed * 2654435761u);
        std::string letters;
        std::copy_if(groups.begin(), groups.end(), std::back_inserter(letters),
                     [](char c) { return c != ' '; });
        ASSERT_EQ(letters.size(), 63u);
        ASSERT_EQ(letters.find_first_not_of("AB"), std::string::npos);
        // Spaces do not break a run: the check runs on the letters alone.
        ASSERT_EQ(letters.find("AAA"), std::string::npos);
        ASSERT_EQ(letters.find("BBB"), std::string::npos);
        // Groups of at most five, one space after each.
        std::size_t groupLength = 0;
        for (char c : groups) {
            groupLength = c == ' ' ? 0 : groupLength + 1;
            ASSERT_LE(groupLength, 5u);
        }
        EXPECT_EQ(groups.find('\n'), std::string::npos);
        sawEmptyGroup |= groups.find("  ") != std::string::npos;
        (groups.back() == ' ' ? sawTrailingSpace : sawTrailingChar) = true;
    }
    // The seeds cover a group emptied by refusals and both ways of ending.
    EXPECT_TRUE(sawEmptyGroup);
    EXPECT_TRUE(sawTrailingSpace);
    EXPECT_TRUE(sawTrailingChar);
}

// Every r in [0, 1) at the centres of 20000 equal cells: r x 100 never lands on a half, and each
// whole number 1..99 gets 200 cells while 0 and 100 get 100 each.
std::vector<int> IndexCounts(int length) {
    std::vector<int> counts(static_cast<std::size_t>(length), 0);
    for (int j = 0; j < 20000; ++j) {
        ++counts[static_cast<std::size_t>(GroupCharIndex((j + 0.5) / 20000, length))];
    }
    return counts;
}

TEST(GroupGenerator, ChancesOfEachPosition) {
    // 3 characters: 67/200, 67/200, 66/200.
    EXPECT_EQ(IndexCounts(3), (std::vector<int>{6700, 6700, 6600}));
    // Equal chances exactly when the length divides 100.
    for (int length : {1, 2, 4, 5, 10, 20, 25, 50, 100}) {
        EXPECT_EQ(IndexCounts(length), std::vector<int>(static_cast<std::size_t>(length), 20000 / length))
            << length;
    }
    // 7: 0 gets {0 (half), 7, ..., 98}, 1 gets {1, 8, ..., 99}, 2 gets {2, ..., 93, 100 (half)}.
    EXPECT_EQ(IndexCounts(7), (std::vector<int>{2900, 3000, 2900, 2800, 2800, 2800, 2800}));
}

TEST(GroupGenerator, OnlyTheFirst101CharactersCanBeDrawn) {
    const std::vector<int> counts = IndexCounts(150);
    EXPECT_EQ(counts[0], 100);
    EXPECT_EQ(counts[100], 100);
    for (std::size_t i = 101; i < counts.size(); ++i) ASSERT_EQ(counts[i], 0) << i;

    const std::string chars = Mixed101 + std::string(49, 'z');
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        ASSERT_EQ(Generate(chars, seed).find('z'), std::string::npos) << seed;
    }
}

TEST(GroupGenerator, RefusesWhenOnlyOneDistinctCharacterCanBeDrawn) {
    for (const std::string& chars : std::vector<std::string>{"a", "aaa", " ", "   ", std::string(101, 'a') + "bcd"}) {
        SCOPED_TRACE('"' + chars + '"');
        TRandomSource source;
        source.SetSeed(5);
        try {
            GenerateGroups(chars, source);
            ADD_FAILURE() << "not refused";
        } catch (const EGroupChars& e) {
            EXPECT_STREQ(e.what(), "Enter at least two different characters to generate groups.");
        }
        EXPECT_EQ(source.Seed(), 5u);  // refused before drawing
    }
    // A second character at the last drawable position is enough.
    const std::string groups = Generate(std::string(100, 'a') + "b", 5);
    EXPECT_NE(groups.find('b'), std::string::npos);
}

TEST(GroupGenerator, EmptyCharactersGiveNothingAndDrawNothing) {
    TRandomSource source;
    source.SetSeed(5);
    EXPECT_EQ(GenerateGroups("", source), "");
    EXPECT_EQ(source.Seed(), 5u);
}

TEST(GroupGenerator, SpaceIsDrawnLikeAnyOtherCharacter) {
    // A first drawn space is already a repeat of the starting previous character, so two spaces
    // drawn first give one space, and the "a" drawn third follows it.
    std::uint32_t seed = 0;
    for (;; ++seed) {
        ReferenceLcg lcg{seed};
        const std::size_t a = ReferenceIndex(lcg.Next(), 2);
        const std::size_t b = ReferenceIndex(lcg.Next(), 2);
        const std::size_t c = ReferenceIndex(lcg.Next(), 2);
        if (a == 0 && b == 0 && c == 1) break;
    }
    const std::string groups = Generate(" a", seed);
    EXPECT_EQ(groups.substr(0, 2), " a") << seed;
    EXPECT_EQ(std::count(groups.begin(), groups.end(), 'a') +
                  std::count(groups.begin(), groups.end(), ' '),
              static_cast<long>(groups.size()));
}

}  // namespace
}  // namespace kelvo
