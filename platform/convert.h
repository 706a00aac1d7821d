#pragma once
// Number conversions and floating-point checks with the messages the learner sees.
// C++ gives inf/NaN silently where the desktop platform this program grew up on raised an
// error, so every division the program's rules treat as fallible goes through FloatDivide.
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvo {

// A text that is not a number (message "'%s' is not a valid integer value" and the like).
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Floating point division by zero" and "Invalid floating point operation".
class EMathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* InvalidIntegerMessage = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloatMessage = "'%s' is not a valid floating point value";
inline constexpr const char* DivisionByZeroMessage = "Floating point division by zero";
inline constexpr const char* InvalidOperationMessage = "Invalid floating point operation";

// Puts `text` in place of the first "%s" of `pattern`.
std::string FormatMessage(std::string_view pattern, std::string_view text);

// Optional sign and decimal digits, nothing else; the value must fit 32 bits.
int StrToInt(std::string_view text);

// Optional sign, digits with at most one decimal separator ('.' or `localeSeparator`), optional
// exponent. Throws EConvertError with InvalidFloatMessage otherwise.
double StrToFloat(std::string_view text, char localeSeparator = '.');

// a / b, raising DivisionByZeroMessage for x/0 and InvalidOperationMessage for 0/0.
double FloatDivide(double a, double b);

}  // namespace kelvo
