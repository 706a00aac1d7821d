#pragma once
// Random character groups for sending practice: 63 characters drawn from the characters the
// learner typed, a space after every fifth draw, never three equal characters in a row.
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/random_source.h"

namespace kelvo {

// The characters given cannot make a group string.
class EGroupChars : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* SingleGroupCharMessage =
    "Enter at least two different characters to generate groups.";
inline constexpr int GroupStringChars = 63;
inline constexpr int GroupDraws = 5;  // draws per group; refused draws count too

// The position in a text of `length` characters (at least 1) that the draw `r` in [0, 1)
// selects: r x 100 rounded half to even, modulo `length`. Only positions 0..100 can come out.
int GroupCharIndex(double r, int length);

// The group string, one line, drawn from `GroupChars` with `source` as it stands: the caller
// reseeds it first (the program from the clock, tests with a fixed seed). Empty `GroupChars`
// gives an empty string without drawing; the caller then leaves its text box alone. Throws
// EGroupChars (SingleGroupCharMessage) before drawing when the drawable characters are all
// the same, because no string of 63 characters without triple repeats exists then.
std::string GenerateGroups(std::string_view GroupChars, TRandomSource& source);

}  // namespace kelvo
