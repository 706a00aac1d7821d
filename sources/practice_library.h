#pragma once
// The numbered practice texts: 950 one-line texts kept beside the program in ten block files,
// "P0" to "P9", of 100 lines each (the last block holds only 50).
#include <optional>
#include <string>

namespace kelvo {

inline constexpr int PracticeTextCount = 950;
inline constexpr int PracticeTextsPerBlock = 100;
// The number box moves on only below this, so text 950 is reached only by typing its number.
inline constexpr int PracticeAdvanceLimit = 949;
// Typed into the number box, switches to the fast speed scale instead of loading a text.
inline constexpr const char* FastModeCode = "jq";

struct PracticeTextPlace {
    std::string BlockFile;  // bare name, "P0".."P9"
    int Line = 0;           // 1..100 within the block
};

// Where text `number` is kept; nothing for a number outside 1..950.
std::optional<PracticeTextPlace> LocatePracticeText(int number);

}  // namespace kelvo
