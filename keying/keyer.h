#pragma once
// The keying of text, one character at a time, as a sequence of notes: a mark for every element
// of the character's code, each followed by a one-dit silence, then the character gap; a space or
// carriage return is a word gap (and its own character gap). The notes go to a `playNote`
// callable, so the window's sender and the command-line renderer key text the same way.
//
// The timing values and the tone frequency are taken by reference and read afresh at every note:
// a handler running inside `playNote` may change the speed or the frequency, and the change must
// apply from the next element or gap.
#include <cstdint>
#include <string>
#include <string_view>

#include "keying/code_table.h"
#include "keying/timing.h"

namespace kelvo {

inline constexpr double MarkAmplitude = 20000;
inline constexpr double SilenceAmplitude = 0;
// The silence before the first character of a send.
inline constexpr int LeadInDits = 3;

// Plays the lead-in silence: `playNote(frequency, duration, amplitude)`.
template <class PlayNote>
void PlayLeadIn(const KeyingTiming& timing, const double& ToneFreq, PlayNote&& playNote) {
    playNote(ToneFreq, LeadInDits * timing.DitTime, SilenceAmplitude);
}

// Keys the character with code `c` (a code of the 8-bit character set; anything above 255 has no
// code and must not be cut down to 8 bits, where it would alias a real character).
// `beforeMark()` runs in front of every mark: the window waits there while sending is paused.
template <class PlayNote, class BeforeMark>
void KeyCharacter(std::uint32_t c, const TCodeTable& codeTable, const KeyingTiming& timing,
                  const double& ToneFreq, PlayNote&& playNote, BeforeMark&& beforeMark) {
    constexpr std::uint32_t CarriageReturn = 13;
    constexpr std::uint32_t Space = 32;
    // '@' is a run of dits with no character gap, so "@@@" joins into one even stream.
    constexpr std::uint32_t DitRun = '@';

    if (c == CarriageReturn || c == Space) {
        playNote(ToneFreq, timing.WordGap, SilenceAmplitude);
    } else if (c <= 255) {
        // The table holds upper-case letters only; no other character changes case.
        const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
        const std::string elements = codeTable.LookupCode(std::string_view(&upper, 1));
        for (const char digit : elements) {
            beforeMark();
            // The digit is the mark's length in dits.
            playNote(ToneFreq, (digit - '0') * timing.DitTime, MarkAmplitude);
            playNote(ToneFreq, timing.DitTime, SilenceAmplitude);
        }
    }
    if (c != DitRun) playNote(ToneFreq, timing.CharGap, SilenceAmplitude);
}

}  // namespace kelvo
