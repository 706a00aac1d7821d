#include "teaching/histogram_text.h"

#include <cmath>
#include <stdexcept>

namespace kelvo {

namespace {

// Hundredths, rounded half away from zero; weights are never negative, but a sign is kept.
std::string Hundredths(double value) {
    if (!std::isfinite(value)) return "?";
    const long long cents = std::llround(std::fabs(value) * 100.0);
    std::string text = value < 0 && cents != 0 ? "-" : "";
    const long long fraction = cents % 100;
    text += std::to_string(cents / 100) + "." + (fraction < 10 ? "0" : "") + std::to_string(fraction);
    return text;
}

// Screen readers pass over most punctuation at their usual settings; a bar labelled "," would be
// heard as a bare number. Letters and digits read as themselves.
std::string LabelWord(char label) {
    switch (label) {
        case '.': return "period";
        case ',': return "comma";
        case '?': return "question mark";
        case '/': return "slash";
        default: return std::string(1, label);
    }
}

}  // namespace

std::string HistogramText(std::span<const double> weights, std::string_view labels) {
    if (!labels.empty() && labels.size() != weights.size())
        throw std::invalid_argument("HistogramText: one label per bar, or none");
    std::string text = "Error weights: ";
    for (std::size_t i = 0; i < weights.size(); ++i) {
        if (i > 0) text += ", ";
        if (labels.empty())
            text += std::to_string(i + 1) + ":";
        else
            text += LabelWord(labels[i]);
        text += " " + Hundredths(weights[i]);
    }
    return text;
}

}  // namespace kelvo
