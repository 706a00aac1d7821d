#include "teaching/histogram_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <vector>

namespace kelvo {
namespace {

TEST(HistogramText, ReadsEachBarByPlaceOrByCharacter) {
    struct Case {
        const char* name;
        std::vector<double> weights;
        std::string_view labels;
        const char* expected;
    };
    const Case cases[] = {
        {"unlabelled", {1.0, 0.2, 0.39}, "", "Error weights: 1: 1.00, 2: 0.20, 3: 0.39"},
        {"labelled", {0.2, 1.0, 0.0}, "Q7E", "Error weights: Q 0.20, 7 1.00, E 0.00"},
        {"punctuation as words", {1.0, 0.5, 0.25, 0.0}, ".,?/",
         "Error weights: period 1.00, comma 0.50, question mark 0.25, slash 0.00"},
        {"halves round away from zero", {0.125, 0.005, 1.095}, "", "Error weights: 1: 0.13, 2: 0.01, 3: 1.10"},
        {"small noise reads as the nearest hundredth", {0.19999999, 0.4000001}, "AB", "Error weights: A 0.20, B 0.40"},
        {"above one", {1.1, 12.5}, "", "Error weights: 1: 1.10, 2: 12.50"},
        {"negative keeps its sign", {-0.25, -0.001}, "", "Error weights: 1: -0.25, 2: 0.00"},
        {"not a number", {std::numeric_limits<double>::quiet_NaN()}, "E", "Error weights: E ?"},
        {"no bars", {}, "", "Error weights: "},
    };
    for (const Case& c : cases) EXPECT_EQ(HistogramText(c.weights, c.labels), c.expected) << c.name;
}

// The chart's 40 bars read out in full, in the drill's order, once labelled.
TEST(HistogramText, FortyLabelledBars) {
    const std::string_view order = "Q7ZG098O1JPWLRAM6BXDYCKN23FU45VHSITE.,?/";
    std::vector<double> weights(order.size(), 1.0);
    weights[0] = 0.2;
    const std::string text = HistogramText(weights, order);
    EXPECT_EQ(text.rfind("Error weights: Q 0.20, 7 1.00, Z 1.00", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(", E 1.00, period 1.00, comma 1.00, question mark 1.00, slash 1.00")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '.'), 40);  // one decimal point per bar
    EXPECT_EQ(std::count(text.begin(), text.end(), ','), 39);  // and nothing but separators
}

TEST(HistogramText, LabelsMustMatchTheBars) {
    const std::vector<double> weights{1.0, 1.0};
    EXPECT_THROW(HistogramText(weights, "Q"), std::invalid_argument);
}

}  // namespace
}  // namespace kelvo
