#include "platform/convert.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kelvo {

std::string FormatMessage(std::string_view pattern, std::string_view text) {
    std::string out(pattern);
    if (const auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, text);
    return out;
}

int StrToInt(std::string_view text) {
    const auto fail = [&] { return EConvertError(FormatMessage(InvalidIntegerMessage, text)); };
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) throw fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') throw fail();
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) throw fail();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) throw fail();
    return static_cast<int>(value);
}

double StrToFloat(std::string_view text, char localeSeparator) {
    const auto fail = [&] { return EConvertError(FormatMessage(InvalidFloatMessage, text)); };
    // Validate the shape ourselves so that strtod's extras (hex, inf, nan, spaces) stay out.
    std::string plain;
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++];
        return i - from;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t count = digits();
    if (i < text.size() && (text[i] == '.' || text[i] == localeSeparator)) {
        plain += '.';
        ++i;
        count += digits();
    }
    if (count == 0) throw fail();
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += text[i++];
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        if (digits() == 0) throw fail();
    }
    if (i != text.size()) throw fail();
    errno = 0;
    const double value = std::strtod(plain.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) throw fail();
    return value;
}

double FloatDivide(double a, double b) {
    if (b == 0) {
        if (a == 0 || std::isnan(a)) throw EMathError(InvalidOperationMessage);
        throw EMathError(DivisionByZeroMessage);
    }
    return a / b;
}

}  // namespace kelvo
