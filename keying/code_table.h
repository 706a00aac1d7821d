#pragma once
// The Morse code table: one element string per character, "1" a dit and "3" a dah, the digit
// being the element's length in dits. An empty string means the character has no code.
#include <array>
#include <string>
#include <string_view>

namespace kelvo {

class TCodeTable {
public:
    static constexpr int Size = 64;

    // Fills the table; called once at start-up before anything can be sent.
    void CodeTableInitialize();

    // The element string of the first byte of `text` (which must not be empty). No case change.
    std::string LookupCode(std::string_view text) const;

    int CodeBase = 0;
    std::array<std::string, Size> CodeTable{};
};

}  // namespace kelvo
