#pragma once
// The error histogram in words, for a screen reader: what the chart shows, bar by bar. While the
// bars carry no labels (teaching is on) each bar is read by its place, as a sighted learner sees
// it; once labelled, by its character.
#include <span>
#include <string>
#include <string_view>

namespace kelvo {

// labels is empty (unlabelled bars) or holds one character per weight; the four punctuation
// marks are read as words ("comma 1.00"). Weights are read to two decimals with a full stop,
// whatever the locale, e.g. "Error weights: Q 0.20, 7 1.00".
std::string HistogramText(std::span<const double> weights, std::string_view labels);

}  // namespace kelvo
