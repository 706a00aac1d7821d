#include "platform/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kelvo {
namespace {

TEST(Convert, Integers) {
    struct { const char* text; int value; } good[] = {
        {"0", 0}, {"5", 5}, {"800", 800}, {"-3", -3}, {"+7", 7}, {"007", 7},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
    };
    for (const auto& c : good) EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    for (const char* bad : {"", " ", "7.5", "2.5", "abc", "12a", " 5", "5 ", "-", "+", "2147483648", "1e3", "jq"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}

TEST(Convert, Floats) {
    EXPECT_DOUBLE_EQ(StrToFloat("5"), 5);
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("2,5", ','), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000);
    for (const char* bad : {"", ".", "abc", "1e", "inf", "nan", "0x10", "2,5", "1.2.3", " 1"}) {
        try {
            StrToFloat(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid floating point value");
        }
    }
}

TEST(Convert, DivisionErrors) {
    EXPECT_DOUBLE_EQ(FloatDivide(20000, 40), 500);
    const auto message = [](double a, double b) {
        try {
            FloatDivide(a, b);
        } catch (const EMathError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(20000, 0), "Floating point division by zero");
    EXPECT_EQ(message(-1, 0), "Floating point division by zero");
    EXPECT_EQ(message(0, 0), "Invalid floating point operation");
}

}  // namespace
}  // namespace kelvo
