#include "keying/keyer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "keying/code_table.h"
#include "keying/timing.h"

namespace kelvo {
namespace {

// One call of playNote, or a wait in front of a mark (recorded as frequency -1).
struct Note {
    double frequency;
    double duration;
    double amplitude;
    bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Note& n) {
    if (n.frequency < 0) return os << "wait";
    return os << "(" << n.frequency << " Hz, " << n.duration << " s, " << n.amplitude << ")";
}

// Durations are binary fractions so that d x DitTime is exact.
constexpr double Dit = 0.125;
constexpr double Gap = 0.5;
constexpr double Word = 0.75;
constexpr double Freq = 800;

const Note Wait{-1, 0, 0};
const Note DitMark{Freq, Dit, 20000};
const Note DahMark{Freq, 3 * Dit, 20000};
const Note Space{Freq, Dit, 0};  // the one-dit silence after every mark
const Note CharGapNote{Freq, Gap, 0};
const Note WordGapNote{Freq, Word, 0};

class Keyer : public ::testing::Test {
protected:
    Keyer() { codeTable.CodeTableInitialize(); }

    std::vector<Note> Key(const std::u32string& text) {
        for (const char32_t c : text) {
            KeyCharacter(
                c, codeTable, timing, ToneFreq,
                [&](double f, double d, double a) { notes.push_back({f, d, a}); },
                [&] { notes.push_back(Wait); });
        }
        return notes;
    }

    TCodeTable codeTable;
    KeyingTiming timing{Dit, Gap, Word};
    double ToneFreq = Freq;
    std::vector<Note> notes;
};

// The notes of one element string: a wait, the mark and its one-dit silence per element.
std::vector<Note> Elements(const std::string& digits) {
    std::vector<Note> out;
    for (const char d : digits) {
        out.push_back(Wait);
        out.push_back(d == '1' ? DitMark : DahMark);
        out.push_back(Space);
    }
    return out;
}

std::vector<Note> Join(std::initializer_list<std::vector<Note>> parts) {
    std::vector<Note> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST_F(Keyer, LeadInIsThreeDitsOfSilence) {
    PlayLeadIn(timing, ToneFreq, [&](double f, double d, double a) { notes.push_back({f, d, a}); });
    EXPECT_EQ(notes, (std::vector<Note>{{Freq, 3 * Dit, 0}}));
}

TEST_F(Keyer, TextsAsNoteSequences) {
    struct Case {
        const char* name;
        std::u32string text;
        std::vector<Note> expected;
    };
    const std::vector<Note> cg{CharGapNote};
    const Case cases[] = {
        {"E space E", U"E E", Join({Elements("1"), cg, {WordGapNote, CharGapNote}, Elements("1"), cg})},
        {"lower case keyed as upper case", U"ab", Join({Elements("13"), cg, Elements("3111"), cg})},
        {"no code: only the character gap", U"!", cg},
        {"CR LF: word gap and two character gaps", U"\r\n", {WordGapNote, CharGapNote, CharGapNote}},
        {"above 255: no code, not the 8-bit character it would alias", U"\u0141\u0161\u263A",
         {CharGapNote, CharGapNote, CharGapNote}},
        {"8-bit characters above 127 have no code", U"\u00E9", cg},
        {"only a..z change case: the grave accent is not '@'", U"`{", {CharGapNote, CharGapNote}},
        {"digits and signs", U"0?", Join({Elements("33333"), cg, Elements("113311"), cg})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notes.clear();
        EXPECT_EQ(Key(c.text), c.expected);
    }
}

TEST_F(Keyer, DitRunsJoinWithoutCharacterGaps) {
    const std::vector<Note> keyed = Key(U"@@@");
    ASSERT_EQ(keyed.size(), 60u * 3);
    for (std::size_t i = 0; i < keyed.size(); i += 3) {
        ASSERT_EQ(keyed[i], Wait) << i;
        ASSERT_EQ(keyed[i + 1], DitMark) << i;
        ASSERT_EQ(keyed[i + 2], Space) << i;
    }
}

TEST_F(Keyer, ChangesMadeDuringANoteApplyFromTheNextNote) {
    // A speed and frequency change arrives while the first mark of A plays.
    bool changed = false;
    KeyCharacter(
        'A', codeTable, timing, ToneFreq,
        [&](double f, double d, double a) {
            notes.push_back({f, d, a});
            if (!changed) {
                changed = true;
                timing = {0.25, 1.0, 2.0};
                ToneFreq = 600;
            }
        },
        [] {});
    EXPECT_EQ(notes, (std::vector<Note>{DitMark, {600, 0.25, 0}, {600, 0.75, 20000}, {600, 0.25, 0}, {600, 1.0, 0}}));

    notes.clear();
    timing = {Dit, Gap, Word};
    ToneFreq = Freq;
    KeyCharacter(
        ' ', codeTable, timing, ToneFreq,
        [&](double f, double d, double a) {
            notes.push_back({f, d, a});
            timing.CharGap = 1.5;
        },
        [] {});
    EXPECT_EQ(notes, (std::vector<Note>{WordGapNote, {Freq, 1.5, 0}}));
}

}  // namespace
}  // namespace kelvo
