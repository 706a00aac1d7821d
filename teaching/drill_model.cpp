#include "teaching/drill_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/rounding.h"

namespace kelvo {

namespace {

// Starting values set by every start of teaching.
constexpr double FullWaitTime = 8.0;   // ticks of the one-second answer timer
constexpr double StartWeight = 1.0;    // not learned
constexpr double StartWeightStep = 0.2;
constexpr double StartWeightCeiling = 1.0;
constexpr double StartWeightFloor = 0.39;  // just below level 0.4, so level 0.2 is never lowered
constexpr double StartMeanLimit = 0.5;
constexpr double StartMaxLimit = 0.6;
constexpr double RepeatTurns = 2;      // turns that keep a new or missed character

// A right answer shortens the allowance only while more than this many ticks were left.
constexpr double ShortenAboveWaitLeft = 2.0;
// Re-draws of a rejected candidate take a whole number 0..1000 modulo the count in use.
constexpr double RedrawScale = 1000.0;

// Rating: the mean weight of a learned alphabet, the points per unit of weight and the full mark.
constexpr double LearnedWeight = 0.2;
constexpr double RatingPerWeight = 125.0;
constexpr double FullRating = 100.0;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

void TDrillModel::StartTeaching(int startCount) {
    DrillOrder = DrillOrderText;
    CharsInUse = startCount;
    WaitTime = FullWaitTime;
    WaitLeft = FullWaitTime;
    WeightStep = StartWeightStep;
    MaxChars = DrillAlphabetSize;
    MeanLimit = StartMeanLimit;
    MaxLimit = StartMaxLimit;
    RepeatCount = RepeatTurns;
    CurrentIndex = 1;
    WeightCeiling = StartWeightCeiling;
    WeightFloor = StartWeightFloor;
    Rng.Randomize();
    for (int i = 1; i <= MaxChars; ++i) ErrorWeights[i] = StartWeight;
}

int TDrillModel::StartSending(int startCount) {
    const int n = std::clamp(startCount, 1, DrillAlphabetSize);
    CharsInUse = n;
    CurrentIndex = n;  // the newest character of the starting set is drilled first
    // A single character is learned from scratch; a larger starting set is taken as known.
    if (n > 1) {
        for (int i = 1; i <= n; ++i) ErrorWeights[i] = WeightStep;
    }
    ComputeStats();
    return n;
}

void TDrillModel::ChooseNextChar() {
    // Only a start of teaching that was never followed by a start of sending leaves a count
    // outside 1..40 here; the drill cannot send from such a set.
    CharsInUse = std::clamp(CharsInUse, 1, DrillAlphabetSize);
    CurrentIndex = std::clamp(CurrentIndex, 1, CharsInUse);
    if (RepeatCount > 0) {
        RepeatCount -= 1;
        return;
    }
    const int n = CharsInUse;
    // The rejection loop below only ends when some weight in use is positive.
    for (int i = 1; i <= n; ++i) {
        if (!(ErrorWeights[i] > 0)) {
            throw std::logic_error("ChooseNextChar: error weights are not set; start teaching first");
        }
    }
    // Draw order matters for replays: candidate, threshold, then one draw per rejection.
    CurrentIndex = static_cast<int>(std::floor(Rng.Random() * n)) + 1;
    double threshold = Rng.Random() * n;
    while (ErrorWeights[CurrentIndex] <= threshold) {
        threshold -= ErrorWeights[CurrentIndex];
        const int r = static_cast<int>(RoundHalfEven(Rng.Random() * RedrawScale));
        CurrentIndex = r % n + 1;
    }
}

void TDrillModel::OpenAnswerWindow() {
    AwaitingAnswer = true;
    WaitLeft = WaitTime;
}

std::optional<char> TDrillModel::CheckAnswer() {
    // A key between a window that ran out and the next one: the allowance starts afresh.
    if (!(WaitLeft > 0)) WaitTime = FullWaitTime;
    if (!HasCurrentChar()) return std::nullopt;

    if (AsciiLower(TypedChar) != CurrentChar()) {
        // The window stays open for another try; every wrong key counts.
        RaiseCurrentWeight();
        return std::nullopt;
    }
    // Lowers the allowance by a quarter of the ticks that passed before the answer.
    if (ShortenAboveWaitLeft < WaitLeft && WaitLeft < FullWaitTime) {
        WaitTime = (WaitLeft + 3 * WaitTime) / 4;
    }
    double& weight = ErrorWeights[CurrentIndex];
    if (weight > WeightFloor) weight -= WeightStep;
    AwaitingAnswer = false;
    return EchoCase(TypedChar);
}

TAnswerTickResult TDrillModel::AnswerTick() {
    TAnswerTickResult result;
    if (AwaitingAnswer) {
        WaitLeft -= 1;
        if (WaitLeft > 0) {
            result.WindowOpen = true;
            return result;
        }
        // Timeout: allow more time again, show the missed character and send it twice more.
        WaitTime = (WaitTime + FullWaitTime) / 2;
        RepeatCount = RepeatTurns;
        AwaitingAnswer = false;
        if (HasCurrentChar()) {
            result.Echo = EchoCase(CurrentChar());
            RaiseCurrentWeight();
        }
    }
    ComputeStats();
    if (MeanWeight < MeanLimit && MaxWeight < MaxLimit && CharsInUse < MaxChars) {
        ++CharsInUse;
        CurrentIndex = CharsInUse;
        RepeatCount = RepeatTurns;
        result.CharJoined = true;
    }
    return result;
}

void TDrillModel::ComputeStats() {
    // The count is 1..40 from the start of sending on; the clamp keeps a stray call in bounds.
    const int n = std::clamp(CharsInUse, 1, DrillAlphabetSize);
    MeanWeight = 0;
    MaxWeight = 0;
    for (int i = 1; i <= n; ++i) {
        MeanWeight += ErrorWeights[i];
        if (ErrorWeights[i] > MaxWeight) MaxWeight = ErrorWeights[i];
    }
    MeanWeight /= n;
}

std::int64_t TDrillModel::MasteryRating() const {
    const double rating =
        ((LearnedWeight - MeanWeight) * RatingPerWeight + FullRating) * CharsInUse / DrillAlphabetSize;
    return static_cast<std::int64_t>(RoundHalfEven(rating));
}

char TDrillModel::CurrentChar() const {
    return HasCurrentChar() ? DrillOrder[static_cast<std::size_t>(CurrentIndex - 1)] : '\0';
}

bool TDrillModel::HasCurrentChar() const {
    return CurrentIndex >= 1 && CurrentIndex <= DrillAlphabetSize &&
           static_cast<std::size_t>(CurrentIndex) <= DrillOrder.size();
}

char TDrillModel::EchoCase(char c) const {
    return UpperEcho ? AsciiUpper(c) : c;
}

void TDrillModel::RaiseCurrentWeight() {
    double& weight = ErrorWeights[CurrentIndex];
    if (weight + WeightStep < WeightCeiling) weight += WeightStep;
}

}  // namespace kelvo
