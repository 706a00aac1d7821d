#pragma once
// The adaptive drill: which characters are in play, their error weights, the choice of the next
// character, the scoring of answers and timeouts, the answer time allowance, the joining of the
// next character and the mastery rating. It draws and plays nothing; the teaching-mode handlers
// of the main window call it and show its results. Runs on the user-interface thread only.
//
// The fields keep the names used across the program and are public: the chart and the rating
// read them after the drill has stopped, and tests set up states directly.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/random_source.h"

namespace kelvo {

// The order in which characters join the drill; letters in lower case.
inline constexpr const char* DrillOrderText = "q7zg098o1jpwlram6bxdyckn23fu45vhsite.,?/";
inline constexpr int DrillAlphabetSize = 40;

// What one tick of the answer timer did.
struct TAnswerTickResult {
    // The answer window is still open; nothing else happened and the turn goes on.
    bool WindowOpen = false;
    // Set when the window has just run out: the missed character, cased for the echo.
    std::optional<char> Echo;
    // The turn ended and the next character of the order joined.
    bool CharJoined = false;
};

class TDrillModel {
public:
    // The random source reads the system clock when teaching starts.
    TDrillModel() = default;
    explicit TDrillModel(TTimeOfDayClock clock) : Rng(std::move(clock)) {}

    // Start of teaching: every field but MeanWeight, MaxWeight, AwaitingAnswer, TypedChar and
    // UpperEcho takes its starting value; all weights 1.0; the random source is reseeded from
    // the time of day. `startCount` is kept as given; StartSending clamps it.
    void StartTeaching(int startCount);

    // Start of sending: fixes the starting set. A count above 40 becomes 40 and one below 1
    // becomes 1, since the drill needs at least one character. Returns the count used, which the
    // window writes back into its boxes when it differs from what was typed.
    int StartSending(int startCount);

    // Sets CurrentIndex for the next turn: the current character again while RepeatCount lasts,
    // otherwise a weighted draw that favours characters with higher error weights.
    void ChooseNextChar();

    void OpenAnswerWindow();

    // Scores TypedChar against the current character. Returns the character to echo after a
    // right answer (upper-cased when UpperEcho is set); nothing after a wrong one.
    std::optional<char> CheckAnswer();

    // One tick of the answer timer: counts the window down, handles the timeout, and at the end
    // of a turn computes the statistics and lets the next character join when the weights in
    // use are low enough.
    TAnswerTickResult AnswerTick();

    // MeanWeight and MaxWeight over the characters in use.
    void ComputeStats();

    // 100 when all 40 characters are in use and learned; uses the statistics as last computed.
    // 64 bits: a start count typed far beyond 40 and never clamped by a start of sending gives a
    // rating far beyond 32 bits, and the learner sees the value the formula gives.
    std::int64_t MasteryRating() const;

    // The character at CurrentIndex, as held in DrillOrder; '\0' when there is none yet.
    char CurrentChar() const;

    TRandomSource& RandomSource() noexcept { return Rng; }

    std::string DrillOrder;
    int MaxChars = 0;
    int CharsInUse = 0;
    int CurrentIndex = 0;
    // Indexed 1..40 like DrillOrder's positions; element 0 is unused.
    std::array<double, DrillAlphabetSize + 1> ErrorWeights{};
    double RepeatCount = 0;

    double WaitTime = 0;
    double WaitLeft = 0;
    bool AwaitingAnswer = false;
    char TypedChar = 0;
    bool UpperEcho = false;

    double WeightStep = 0;
    double WeightCeiling = 0;
    double WeightFloor = 0;
    double MeanLimit = 0;
    double MaxLimit = 0;

    double MeanWeight = 0;
    double MaxWeight = 0;

private:
    bool HasCurrentChar() const;
    char EchoCase(char c) const;
    void RaiseCurrentWeight();

    TRandomSource Rng;
};

}  // namespace kelvo
