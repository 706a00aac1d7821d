#include "render/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/convert.h"

namespace kelvo {
namespace {

std::vector<std::int16_t> Rendered(const TextRenderer& r, std::u32string_view text) {
    std::vector<std::int16_t> out;
    r.Render(text, [&](std::int16_t s) { out.push_back(s); });
    return out;
}

RenderSettings Plain20() {
    RenderSettings s;
    s.CodeSpeed = 20;
    s.CharSpeed = 20;
    return s;
}

TEST(KeyedText, EveryLineEndBecomesCrLfAndEachCodePointOneCharacter) {
    struct Case {
        const char* utf8;
        std::u32string keyed;
    };
    const Case cases[] = {
        {"", U""},
        {"AB c", U"AB c"},
        {"a\nb", U"a\r\nb"},
        {"a\r\nb", U"a\r\nb"},
        {"a\rb", U"a\r\nb"},
        {"a\r\n\r\n", U"a\r\n\r\n"},
        {"\n\r", U"\r\n\r\n"},                 // two line ends, as the text box reads them
        {"\r\r\n", U"\r\n\r\n"},
        {"caf\xC3\xA9", U"caf\u00E9"},          // Latin-1 range
        {"\xD0\x96", U"\u0416"},                // Cyrillic
        {"\xE2\x82\xAC", U"\u20AC"},            // three bytes
        {"x\xF0\x9F\x98\x80y", U"x\U0001F600y"},  // beyond 16 bits: one character, not two
        // As the window's text box holds them: a paragraph separator ends a line there, a no-break
        // space and a line separator stand as they are.
        {"a\xC2\xA0" "b", U"a\u00A0b"},
        {"a\xE2\x80\xA8" "b\xE2\x80\xA9", U"a\u2028b\r\n"},
        {"\r\xE2\x80\xA9", U"\r\n\r\n"},  // a CR before one is a line end of its own
    };
    for (const Case& c : cases) EXPECT_EQ(KeyedText(c.utf8), c.keyed) << c.utf8;
}

// Lengths worked out by hand. At 20 words per minute a dit is 0.06 s = 480 samples, a dah 1440,
// the character gap and the word gap 960 each, the lead-in 1440; a mark with the 5 ms rise has
// 39 fall samples after it, with 6 ms 48 (the last one just below zero).
TEST(TextRenderer, LengthIsTheLeadInAndEveryMarkAndGap) {
    struct Case {
        const char* name;
        RenderSettings settings;
        const char* utf8;
        std::int64_t samples;
    };
    RenderSettings rise6 = Plain20();
    rise6.RiseMs = 6;
    RenderSettings fast48k = Plain20();
    fast48k.SampRate = 48000;  // dit 2880, gaps 5760, lead-in 8640; the step 20000 / 240 is
                               // not exact, so the fall takes 240 samples, not 239
    RenderSettings shaped = Plain20();
    shaped.Harmonics = 3;
    shaped.SquareWave = true;
    shaped.ToneFreq = 600;
    // Start-up settings, Farnsworth 5/14: dit 686, dah 2057, lead-in 2057, character gap 11116,
    // word gap 4620. "get up": 6 dit marks, 6 dah marks, 12 one-dit silences, 6 character gaps.
    const Case cases[] = {
        {"empty: lead-in only", Plain20(), "", 1440},
        {"E", Plain20(), "E", 1440 + 519 + 480 + 960},
        {"T", Plain20(), "T", 1440 + 1479 + 480 + 960},
        {"E space E", Plain20(), "E E", 1440 + 2 * (519 + 480 + 960) + 960 + 960},
        {"lower case", Plain20(), "ab", 1440 + (519 + 480 + 1479 + 480 + 960) + (1479 + 480 + 3 * 999 + 960)},
        {"no code", Plain20(), "!", 1440 + 960},
        {"Latin-1 letter", Plain20(), "\xC3\xA9", 1440 + 960},
        {"Cyrillic", Plain20(), "\xD0\x96", 1440 + 960},
        {"beyond 16 bits", Plain20(), "\xF0\x9F\x98\x80", 1440 + 960},
        {"one @: 20 dits, no gap", Plain20(), "@", 1440 + 20 * 999},
        {"@@ joins", Plain20(), "@@", 1440 + 40 * 999},
        {"LF line break", Plain20(), "E\nE", 1440 + 2 * 1959 + 960 + 960 + 960},
        {"CR LF line break", Plain20(), "E\r\nE", 1440 + 2 * 1959 + 960 + 960 + 960},
        {"CR line break", Plain20(), "E\rE", 1440 + 2 * 1959 + 960 + 960 + 960},
        {"6 ms rise", rise6, "E", 1440 + 480 + 48 + 480 + 960},
        {"48000 per second", fast48k, "E", 8640 + 2880 + 240 + 2880 + 5760},
        {"tone settings keep the length", shaped, "E", 1440 + 519 + 480 + 960},
        {"start-up settings", RenderSettings{}, "get up", 2057 + 6 * 725 + 6 * 2096 + 12 * 686 + 6 * 11116 + 4620},
    };
    for (const Case& c : cases) {
        const TextRenderer r(c.settings);
        const std::u32string text = KeyedText(c.utf8);
        EXPECT_EQ(static_cast<std::int64_t>(Rendered(r, text).size()), c.samples) << c.name;
        EXPECT_EQ(r.SampleCount(text), c.samples) << c.name;
    }
}

TEST(TextRenderer, CountMatchesTheRenderForEveryKindOfNote) {
    // Every character the table knows, in both cases, with spaces, line ends and unknown ones,
    // under settings whose notes are not whole numbers of samples.
    std::string all;
    for (int c = 32; c < 127; ++c) all += static_cast<char>(c);
    all += "\r\n\n\r\xC3\xA9\xF0\x9F\x98\x80@@ A";
    RenderSettings odd;
    odd.CodeSpeed = 7;
    odd.CharSpeed = 23;
    odd.RiseMs = 2.7;
    odd.SampRate = 44100;
    for (const RenderSettings& s : {RenderSettings{}, Plain20(), odd}) {
        const TextRenderer r(s);
        const std::u32string text = KeyedText(all);
        EXPECT_EQ(r.SampleCount(text), static_cast<std::int64_t>(Rendered(r, text).size()));
    }
}

TEST(TextRenderer, MarksSoundOnlyWhereTheCodeHasThem) {
    const TextRenderer r(Plain20());
    const auto e = Rendered(r, KeyedText("E"));
    const auto isZero = [](std::int16_t s) { return s == 0; };
    // Lead-in silent, the mark sounds (its first sample is 0: the rise starts there), then silence.
    EXPECT_TRUE(std::all_of(e.begin(), e.begin() + 1441, isZero));
    EXPECT_FALSE(std::all_of(e.begin() + 1441, e.begin() + 1440 + 519, isZero));
    EXPECT_TRUE(std::all_of(e.begin() + 1440 + 519, e.end(), isZero));
    // The table holds upper case only; lower case is keyed as upper case.
    EXPECT_EQ(Rendered(r, KeyedText("kelvo 73")), Rendered(r, KeyedText("KELVO 73")));
    // A square wave holds at the ramp's top level (19500 with 5 ms) or 0, nothing in between.
    RenderSettings square = Plain20();
    square.SquareWave = true;
    const auto sq = Rendered(TextRenderer(square), KeyedText("T"));
    for (std::size_t i = 1440 + 40; i < 1440 + 1440; ++i)
        EXPECT_TRUE(sq[i] == 19500 || sq[i] == -19500 || sq[i] == 0) << i << ": " << sq[i];
}

TEST(TextRenderer, CodeSpeedZeroIsTheTimingsDivisionError) {
    RenderSettings s;
    s.CodeSpeed = 0;
    EXPECT_THROW(TextRenderer{s}, EMathError);
}

}  // namespace
}  // namespace kelvo
