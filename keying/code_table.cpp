#include "keying/code_table.h"

#include <utility>

namespace kelvo {

namespace {

// Ascending by character code, '*' to 'Z'. Several punctuation marks key a procedure signal
// instead of their usual code: '*' SK, '+' KN, ':' KA, ';' AR; '-' and '=' are both BT.
// '@' is a run of 20 dits: the sender plays no character gap after it, so "@@@" is one stream.
constexpr std::pair<char, const char*> Codes[] = {
    {'*', "111313"}, {'+', "31331"}, {',', "331133"}, {'-', "31113"}, {'.', "131313"},
    {'/', "31131"},  {'0', "33333"}, {'1', "13333"},  {'2', "11333"}, {'3', "11133"},
    {'4', "11113"},  {'5', "11111"}, {'6', "31111"},  {'7', "33111"}, {'8', "33311"},
    {'9', "33331"},  {':', "31313"}, {';', "13131"},  {'<', ""},      {'=', "31113"},
    {'>', ""},       {'?', "113311"}, {'@', "11111111111111111111"},
    {'A', "13"},   {'B', "3111"}, {'C', "3131"}, {'D', "311"},  {'E', "1"},    {'F', "1131"},
    {'G', "331"},  {'H', "1111"}, {'I', "11"},   {'J', "1333"}, {'K', "313"},  {'L', "1311"},
    {'M', "33"},   {'N', "31"},   {'O', "333"},  {'P', "1331"}, {'Q', "3313"}, {'R', "131"},
    {'S', "111"},  {'T', "3"},    {'U', "113"},  {'V', "1113"}, {'W', "133"},  {'X', "3113"},
    {'Y', "3133"}, {'Z', "3311"},
};

}  // namespace

void TCodeTable::CodeTableInitialize() {
    CodeBase = 41;  // ')': the table spans codes 41..104
    for (const auto& [c, elements] : Codes) CodeTable[static_cast<unsigned char>(c) - CodeBase] = elements;
}

std::string TCodeTable::LookupCode(std::string_view text) const {
    const int index = static_cast<unsigned char>(text.at(0)) - CodeBase;
    if (index < 0 || index >= Size) return {};
    return CodeTable[index];
}

}  // namespace kelvo
