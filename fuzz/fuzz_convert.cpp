// The integer and float conversions of typed numbers. The first byte is the locale's decimal
// separator, the rest the typed text. A text is accepted exactly when it has the number's shape,
// an accepted integer has the value its digits say, and a refused one carries its message.
#include "fuzz_check.h"
#include "platform/convert.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

using namespace kelvo;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A message as an exception carries it: what() ends at the first NUL, so a text holding a NUL
// byte is shown up to it.
std::string_view Shown(const std::string& message) { return std::string_view(message.c_str()); }

// An optional sign and at least one digit, nothing else, within 32 bits; worked out apart from
// StrToInt so that the two can disagree.
std::optional<long long> ReferenceInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (const char c : text)
        if (!IsDigit(c)) return std::nullopt;
    while (text.size() > 1 && text[0] == '0') text.remove_prefix(1);
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : std::numeric_limits<int>::max();
    if (magnitude > static_cast<unsigned long long>(limit)) return std::nullopt;
    return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

// Sign, digits, one separator, digits (at least one digit in all), an exponent with digits.
bool HasFloatShape(std::string_view text, char separator) {
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && (text[i] == '.' || text[i] == separator)) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = static_cast<char>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::optional<long long> expected = ReferenceInt(text);
    try {
        const int value = StrToInt(text);
        FUZZ_CHECK(expected && *expected == value);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!expected);
        FUZZ_CHECK(e.what() == Shown(FormatMessage(InvalidIntegerMessage, text)));
    }

    std::optional<double> number;
    try {
        number = StrToFloat(text, separator);
        FUZZ_CHECK(HasFloatShape(text, separator));
        // The program divides by and multiplies with typed numbers: never an infinity or NaN.
        FUZZ_CHECK(std::isfinite(*number));
        if (expected) FUZZ_CHECK(*number == static_cast<double>(*expected));
    } catch (const EConvertError& e) {
        FUZZ_CHECK(e.what() == Shown(FormatMessage(InvalidFloatMessage, text)));
    }

    if (number) {
        try {
            const double quotient = FloatDivide(1.0, *number);
            FUZZ_CHECK(*number != 0);
            FUZZ_CHECK(!std::isnan(quotient));
        } catch (const EMathError& e) {
            FUZZ_CHECK(*number == 0);
            FUZZ_CHECK(std::string_view(e.what()) == DivisionByZeroMessage);
        }
        try {
            FloatDivide(*number, 0.0);
            FUZZ_CHECK(false);
        } catch (const EMathError& e) {
            FUZZ_CHECK(std::string_view(e.what()) ==
                       (*number == 0 ? InvalidOperationMessage : DivisionByZeroMessage));
        }
    }
    return 0;
}
