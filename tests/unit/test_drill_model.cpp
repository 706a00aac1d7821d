#include "teaching/drill_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kelvo {
namespace {

// 12:00:00.000 UTC, i.e. seed 43200000.
TTimeOfDay Noon() { return TTimeOfDay{12, 0, 0, 0}; }

// A drill through the start of teaching and the start of sending with a fixed seed.
struct Drill {
    explicit Drill(int startCount, std::uint32_t seed = 1) : Model(Noon) {
        Model.StartTeaching(startCount);
        Model.RandomSource().SetSeed(seed);
        Model.StartSending(startCount);
    }

    std::optional<char> Type(char c) {
        Model.TypedChar = c;
        return Model.CheckAnswer();
    }

    // A turn up to its open answer window.
    void BeginTurn() {
        Model.ChooseNextChar();
        Model.OpenAnswerWindow();
    }

    // Ticks until the turn ends; returns the tick that ended it and how many ticks it took.
    TAnswerTickResult TickToEnd(int* ticks = nullptr) {
        int count = 0;
        TAnswerTickResult result;
        do {
            result = Model.AnswerTick();
            ++count;
        } while (result.WindowOpen && count < 100);
        if (ticks) *ticks = count;
        return result;
    }

    double Weight(int i) const { return Model.ErrorWeights[static_cast<std::size_t>(i)]; }

    TDrillModel Model;
};

constexpr double LevelTolerance = 1e-9;

TEST(DrillModel, ConstructionLeavesEverythingEmpty) {
    const TDrillModel m;
    EXPECT_TRUE(m.DrillOrder.empty());
    EXPECT_EQ(m.MaxChars, 0);
    EXPECT_EQ(m.CharsInUse, 0);
    EXPECT_EQ(m.CurrentIndex, 0);
    for (double w : m.ErrorWeights) EXPECT_EQ(w, 0.0);
    EXPECT_EQ(m.RepeatCount, 0.0);
    EXPECT_EQ(m.WaitTime, 0.0);
    EXPECT_EQ(m.WaitLeft, 0.0);
    EXPECT_FALSE(m.AwaitingAnswer);
    EXPECT_EQ(m.TypedChar, '\0');
    EXPECT_FALSE(m.UpperEcho);
    EXPECT_EQ(m.WeightStep + m.WeightCeiling + m.WeightFloor + m.MeanLimit + m.MaxLimit, 0.0);
    EXPECT_EQ(m.MeanWeight, 0.0);
    EXPECT_EQ(m.MaxWeight, 0.0);
    EXPECT_EQ(m.CurrentChar(), '\0');
}

TEST(DrillModel, StartOfTeachingSetsStartingValuesAndReseeds) {
    TDrillModel m(Noon);
    // Left alone by the start of teaching.
    m.MeanWeight = 0.7;
    m.MaxWeight = 0.9;
    m.AwaitingAnswer = true;
    m.TypedChar = 'x';
    m.UpperEcho = true;
    m.RandomSource().SetSeed(99);

    m.StartTeaching(50);  // kept as given until the start of sending
    EXPECT_EQ(m.DrillOrder, "q7zg098o1jpwlram6bxdyckn23fu45vhsite.,?/");
    EXPECT_EQ(m.CharsInUse, 50);
    EXPECT_EQ(m.WaitTime, 8.0);
    EXPECT_EQ(m.WaitLeft, 8.0);
    EXPECT_EQ(m.WeightStep, 0.2);
    EXPECT_EQ(m.MaxChars, 40);
    EXPECT_EQ(m.MeanLimit, 0.5);
    EXPECT_EQ(m.MaxLimit, 0.6);
    EXPECT_EQ(m.RepeatCount, 2.0);
    EXPECT_EQ(m.CurrentIndex, 1);
    EXPECT_EQ(m.WeightCeiling, 1.0);
    EXPECT_EQ(m.WeightFloor, 0.39);
    EXPECT_EQ(m.RandomSource().Seed(), 43200000u);
    for (int i = 1; i <= 40; ++i) EXPECT_EQ(m.ErrorWeights[static_cast<std::size_t>(i)], 1.0) << i;

    EXPECT_EQ(m.MeanWeight, 0.7);
    EXPECT_EQ(m.MaxWeight, 0.9);
    EXPECT_TRUE(m.AwaitingAnswer);
    EXPECT_EQ(m.TypedChar, 'x');
    EXPECT_TRUE(m.UpperEcho);

    m.StartTeaching(-3);
    EXPECT_EQ(m.CharsInUse, -3);
}

TEST(DrillModel, StartOfSendingFixesTheStartingSet) {
    struct Case {
        int count;
        int used;           // returned, CharsInUse and CurrentIndex
        double setWeight;   // weight of positions 1..used
        char first;         // the first character drilled
    };
    const Case cases[] = {
        {1, 1, 1.0, 'q'}, {5, 5, 0.2, '0'}, {40, 40, 0.2, '/'}, {50, 40, 0.2, '/'},
        {0, 1, 1.0, 'q'}, {-3, 1, 1.0, 'q'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        TDrillModel m(Noon);
        m.StartTeaching(c.count);
        EXPECT_EQ(m.StartSending(c.count), c.used);
        EXPECT_EQ(m.CharsInUse, c.used);
        EXPECT_EQ(m.CurrentIndex, c.used);
        EXPECT_EQ(m.CurrentChar(), c.first);
        for (int i = 1; i <= 40; ++i) {
            EXPECT_EQ(m.ErrorWeights[static_cast<std::size_t>(i)], i <= c.used ? c.setWeight : 1.0) << i;
        }
        EXPECT_NEAR(m.MeanWeight, c.setWeight, LevelTolerance);
        EXPECT_EQ(m.MaxWeight, c.setWeight);
        EXPECT_EQ(m.RepeatCount, 2.0);
    }
}

TEST(DrillModel, StartCountOneLearnsQThenSevenJoins) {
    Drill d(1);
    std::uint32_t seed = d.Model.RandomSource().Seed();
    const double afterRight[] = {0.8, 0.6, 0.4};
    for (int turn = 0; turn < 3; ++turn) {
        SCOPED_TRACE(turn);
        d.BeginTurn();
        if (turn < 2) {
            EXPECT_EQ(d.Model.RandomSource().Seed(), seed);  // repeats draw nothing
        }
        EXPECT_EQ(d.Model.CurrentChar(), 'q');
        EXPECT_EQ(d.Type('q'), 'q');
        EXPECT_NEAR(d.Weight(1), afterRight[turn], LevelTolerance);
        EXPECT_FALSE(d.Model.AwaitingAnswer);
        const TAnswerTickResult end = d.Model.AnswerTick();
        EXPECT_FALSE(end.WindowOpen);
        EXPECT_FALSE(end.Echo.has_value());
        EXPECT_EQ(end.CharJoined, turn == 2);
    }
    EXPECT_EQ(d.Model.CharsInUse, 2);
    EXPECT_EQ(d.Model.CurrentIndex, 2);
    EXPECT_EQ(d.Model.CurrentChar(), '7');
    EXPECT_EQ(d.Weight(2), 1.0);
    EXPECT_NEAR(d.Model.MeanWeight, 0.4, LevelTolerance);

    seed = d.Model.RandomSource().Seed();
    for (int turn = 0; turn < 2; ++turn) {
        d.Model.ChooseNextChar();
        EXPECT_EQ(d.Model.CurrentChar(), '7');
    }
    EXPECT_EQ(d.Model.RandomSource().Seed(), seed);
    EXPECT_EQ(d.Model.RepeatCount, 0.0);
}

TEST(DrillModel, StartCountFiveFirstTurnDecidesWhetherNineJoins) {
    struct Case {
        const char* name;
        const char* keys;  // typed in the answer window of "0"
        bool timeout;
        bool joins;
    };
    const Case cases[] = {
        {"right answer", "0", false, true},
        {"plain timeout", "", true, true},
        {"wrong key then timeout", "x", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Drill d(5);
        d.BeginTurn();
        EXPECT_EQ(d.Model.CurrentChar(), '0');
        for (const char* k = c.keys; *k; ++k) d.Type(*k);
        int ticks = 0;
        const TAnswerTickResult end = d.TickToEnd(&ticks);
        EXPECT_EQ(ticks, c.timeout ? 8 : 1);
        EXPECT_EQ(end.Echo, c.timeout ? std::optional<char>('0') : std::nullopt);
        EXPECT_EQ(end.CharJoined, c.joins);
        EXPECT_EQ(d.Model.CharsInUse, c.joins ? 6 : 5);
        EXPECT_EQ(d.Model.CurrentChar(), c.joins ? '9' : '0');
    }
}

TEST(DrillModel, AfterNineJoinsNothingJoinsUntilItIsAtLevelPointFour) {
    Drill d(5, 2024);
    d.BeginTurn();
    d.Type('0');
    ASSERT_TRUE(d.Model.AnswerTick().CharJoined);

    for (int turn = 0; turn < 2; ++turn) {
        d.BeginTurn();
        EXPECT_EQ(d.Model.CurrentChar(), '9');
        d.Type('9');
        EXPECT_FALSE(d.Model.AnswerTick().CharJoined);
    }
    // Answer every turn right; only the third right answer on "9" lets "8" join.
    int rightOnNine = 2;
    for (int turn = 0; turn < 200; ++turn) {
        d.BeginTurn();
        const char sent = d.Model.CurrentChar();
        d.Type(sent);
        if (sent == '9') ++rightOnNine;
        const bool joined = d.Model.AnswerTick().CharJoined;
        EXPECT_EQ(joined, rightOnNine == 3) << "turn " << turn;
        if (joined) break;
    }
    EXPECT_EQ(rightOnNine, 3);
    EXPECT_NEAR(d.Weight(6), 0.4, LevelTolerance);
    EXPECT_EQ(d.Model.CharsInUse, 7);
    EXPECT_EQ(d.Model.CurrentChar(), '8');
}

TEST(DrillModel, StartCountFiftyUsesAllFortyAndNothingJoins) {
    Drill d(50);
    EXPECT_EQ(d.Model.CurrentChar(), '/');
    d.BeginTurn();
    d.Type('/');
    const TAnswerTickResult end = d.Model.AnswerTick();
    EXPECT_FALSE(end.CharJoined);
    EXPECT_EQ(d.Model.CharsInUse, 40);
    EXPECT_LT(d.Model.MeanWeight, 0.5);
    EXPECT_LT(d.Model.MaxWeight, 0.6);
}

// Weights move in steps of 0.2 between the levels 0.2 and 1.0, with the bounds acting on the
// levels even where the double sums are slightly off.
TEST(DrillModel, WeightBounds) {
    enum Action { Right, Wrong, Timeout };
    struct Case {
        const char* name;
        int stepsDownFromOne;  // -1: exactly 0.2 as given to a starting set
        Action action;
        double expected;
    };
    const Case cases[] = {
        {"0.2 of a starting set, right", -1, Right, 0.2},
        {"0.2 reached from 1.0, right", 4, Right, 0.2},
        {"0.4, right", 3, Right, 0.2},
        {"0.6, right", 2, Right, 0.4},
        {"0.8, wrong", 1, Wrong, 0.8},
        {"0.8, timeout", 1, Timeout, 0.8},
        {"1.0, wrong", 0, Wrong, 1.0},
        {"1.0, timeout", 0, Timeout, 1.0},
        {"0.6, wrong", 2, Wrong, 0.8},
        {"0.2 of a starting set, timeout", -1, Timeout, 0.4},
        {"0.2 reached from 1.0, wrong", 4, Wrong, 0.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Drill d(1);
        double w = c.stepsDownFromOne < 0 ? 0.2 : 1.0;
        for (int i = 0; i < c.stepsDownFromOne; ++i) w -= 0.2;
        d.Model.ErrorWeights[1] = w;
        d.BeginTurn();
        if (c.action == Timeout) {
            d.TickToEnd();
        } else {
            d.Type(c.action == Right ? 'q' : 'z');
        }
        EXPECT_NEAR(d.Weight(1), c.expected, LevelTolerance);
    }

    // A starting weight of 0.2 climbs to 0.8 and no further.
    Drill d(2);
    d.Model.CurrentIndex = 1;
    const double climb[] = {0.4, 0.6, 0.8, 0.8, 0.8};
    for (double expected : climb) {
        d.Type('#');
        EXPECT_NEAR(d.Weight(1), expected, LevelTolerance);
    }
}

TEST(DrillModel, RightAnswerShortensTheAllowanceByAQuarterOfTheTicksUsed) {
    struct Case {
        int ticksBeforeAnswer;
        double waitTime;
    };
    // WaitLeft is 8 minus the ticks; only 2 < WaitLeft < 8 changes the allowance.
    const Case cases[] = {{0, 8}, {1, 7.75}, {3, 7.25}, {5, 6.75}, {6, 8}, {7, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticksBeforeAnswer);
        Drill d(1);
        d.BeginTurn();
        for (int i = 0; i < c.ticksBeforeAnswer; ++i) ASSERT_TRUE(d.Model.AnswerTick().WindowOpen);
        d.Type('q');
        EXPECT_EQ(d.Model.WaitTime, c.waitTime);
    }
}

TEST(DrillModel, TimeoutGrowsTheAllowanceAndRepeatsTheMissedCharacter) {
    Drill d(1);
    d.BeginTurn();
    for (int i = 0; i < 3; ++i) d.Model.AnswerTick();
    d.Type('q');
    EXPECT_EQ(d.Model.WaitTime, 7.25);
    d.Model.AnswerTick();

    // A window of 7.25 ticks runs out at the eighth tick.
    d.BeginTurn();
    EXPECT_EQ(d.Model.WaitLeft, 7.25);
    int ticks = 0;
    const TAnswerTickResult end = d.TickToEnd(&ticks);
    EXPECT_EQ(ticks, 8);
    EXPECT_EQ(end.Echo, 'q');
    EXPECT_EQ(d.Model.WaitTime, 7.625);
    EXPECT_EQ(d.Model.RepeatCount, 2.0);
    EXPECT_FALSE(d.Model.AwaitingAnswer);
    EXPECT_NEAR(d.Weight(1), 0.8, LevelTolerance);  // 0.6 raised by the miss

    // A key between this window and the next restores the full allowance.
    EXPECT_EQ(d.Type('q'), 'q');
    EXPECT_EQ(d.Model.WaitTime, 8.0);
}

TEST(DrillModel, RightAnswerTwiceInOneTurnCountsTwice) {
    Drill d(1);
    d.BeginTurn();
    for (int i = 0; i < 3; ++i) d.Model.AnswerTick();
    EXPECT_EQ(d.Type('q'), 'q');
    EXPECT_EQ(d.Type('Q'), 'Q');
    EXPECT_NEAR(d.Weight(1), 0.6, LevelTolerance);
    EXPECT_EQ(d.Model.WaitTime, (5 + 3 * 7.25) / 4);  // both answers saw WaitLeft 5
    const TAnswerTickResult end = d.Model.AnswerTick();
    EXPECT_FALSE(end.WindowOpen);
    EXPECT_FALSE(end.Echo.has_value());
}

TEST(DrillModel, WrongKeysEchoNothingAndKeepTheWindowOpen) {
    Drill d(5);
    d.BeginTurn();
    EXPECT_EQ(d.Type('9'), std::nullopt);
    EXPECT_TRUE(d.Model.AwaitingAnswer);
    EXPECT_NEAR(d.Weight(5), 0.4, LevelTolerance);
    EXPECT_EQ(d.Type(')'), std::nullopt);
    EXPECT_NEAR(d.Weight(5), 0.6, LevelTolerance);
    EXPECT_TRUE(d.Model.AnswerTick().WindowOpen);
}

TEST(DrillModel, KeyAfterTheWindowRanOutIsScoredAgainstTheNextCharacterToSend) {
    // Plain timeout on "0" lets "9" join: the key between windows is scored against "9".
    {
        Drill d(5);
        d.BeginTurn();
        ASSERT_TRUE(d.TickToEnd().CharJoined);
        EXPECT_EQ(d.Type('0'), std::nullopt);
        EXPECT_EQ(d.Type('9'), '9');
        EXPECT_NEAR(d.Weight(6), 0.8, LevelTolerance);
        EXPECT_NEAR(d.Weight(5), 0.4, LevelTolerance);
    }
    // Without a join it is the missed character, sent again next.
    {
        Drill d(1);
        d.BeginTurn();
        ASSERT_FALSE(d.TickToEnd().CharJoined);
        EXPECT_EQ(d.Type('q'), 'q');
        EXPECT_NEAR(d.Weight(1), 0.8, LevelTolerance);
        d.Model.ChooseNextChar();
        EXPECT_EQ(d.Model.CurrentChar(), 'q');
    }
}

TEST(DrillModel, KeysBeforeStartOfSendingAreScoredAgainstQ) {
    struct Case {
        int startCount;
        double weightOfQ;
    };
    const Case cases[] = {{1, 0.8}, {5, 0.2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.startCount);
        TDrillModel m(Noon);
        m.StartTeaching(c.startCount);
        m.TypedChar = 'z';
        EXPECT_EQ(m.CheckAnswer(), std::nullopt);
        EXPECT_EQ(m.ErrorWeights[1], 1.0);
        m.TypedChar = 'Q';
        EXPECT_EQ(m.CheckAnswer(), 'Q');
        EXPECT_EQ(m.WaitTime, 8.0);
        m.StartSending(c.startCount);
        EXPECT_NEAR(m.ErrorWeights[1], c.weightOfQ, LevelTolerance);
    }
}

TEST(DrillModel, EchoCase) {
    struct Case {
        int startCount;  // the first character drilled is at this position
        bool upper;
        char typed;      // '\0': the window runs out instead
        std::optional<char> echo;
    };
    const Case cases[] = {
        {1, false, 'Q', 'Q'},  {1, false, 'q', 'q'},  {1, false, '\0', 'q'},
        {1, true, 'q', 'Q'},   {1, true, 'Q', 'Q'},   {1, true, '\0', 'Q'},
        {1, true, 'w', std::nullopt}, {39, true, '?', '?'}, {39, false, '\0', '?'},
        {4, true, '\0', 'G'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startCount << ' ' << c.upper << " '" << c.typed << "'");
        Drill d(c.startCount);
        d.Model.UpperEcho = c.upper;
        d.BeginTurn();
        const std::optional<char> echo = c.typed ? d.Type(c.typed) : d.TickToEnd().Echo;
        EXPECT_EQ(echo, c.echo);
    }
}

TEST(DrillModel, MasteryRating) {
    struct Case {
        const char* name;
        int charsInUse;
        std::vector<double> weights;  // empty: no statistics computed since the program started
        std::int64_t rating;
    };
    const double learned = 1.0 - 0.2 - 0.2 - 0.2 - 0.2;  // level 0.2 as reached by answers
    const Case cases[] = {
        {"40 learned", 40, std::vector<double>(40, learned), 100},
        {"10 learned", 10, std::vector<double>(10, learned), 25},
        {"20 at mean 0.3", 20, {0.2, 0.4, 0.2, 0.4, 0.2, 0.4, 0.2, 0.4, 0.2, 0.4,
                                0.2, 0.4, 0.2, 0.4, 0.2, 0.4, 0.2, 0.4, 0.2, 0.4}, 44},
        {"mean 1.0", 7, std::vector<double>(7, 1.0), 0},
        {"never computed, 1", 1, {}, 3},
        {"never computed, 5", 5, {}, 16},
        {"12.5 to even", 4, {}, 12},
        {"37.5 to even", 12, {}, 38},
        {"start count beyond 32 bits of rating", 2000000000, {}, 6250000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDrillModel m(Noon);
        m.StartTeaching(c.charsInUse);
        for (std::size_t i = 0; i < c.weights.size(); ++i) m.ErrorWeights[i + 1] = c.weights[i];
        if (!c.weights.empty()) m.ComputeStats();
        EXPECT_EQ(m.MasteryRating(), c.rating);
    }
    // The statistics as last computed count, not the weights as they are now.
    Drill d(10);
    for (int i = 1; i <= 10; ++i) d.Model.ErrorWeights[static_cast<std::size_t>(i)] = 1.0;
    EXPECT_EQ(d.Model.MasteryRating(), 25);
}

TEST(DrillModel, ComputeStatsOverTheCharactersInUse) {
    TDrillModel m(Noon);
    m.StartTeaching(3);
    m.ErrorWeights = {};
    m.ErrorWeights[1] = 0.2;
    m.ErrorWeights[2] = 0.8;
    m.ErrorWeights[3] = 0.5;
    m.ErrorWeights[4] = 0.9;  // not in use
    m.ComputeStats();
    EXPECT_DOUBLE_EQ(m.MeanWeight, 0.5);
    EXPECT_EQ(m.MaxWeight, 0.8);
}

// The choice replayed with the generator's formula in 64-bit integers, apart from the model.
struct ReferenceLcg {
    std::uint64_t State;
    double Next() {
        State = (State * 134775813u + 1u) % 4294967296u;
        return static_cast<double>(State) / 4294967296.0;
    }
};

int ReferenceChoice(ReferenceLcg& lcg, const std::vector<double>& weights) {
    const int n = static_cast<int>(weights.size());
    int index = static_cast<int>(lcg.Next() * n) + 1;
    double threshold = lcg.Next() * n;
    while (weights[static_cast<std::size_t>(index - 1)] <= threshold) {
        threshold -= weights[static_cast<std::size_t>(index - 1)];
        const double scaled = lcg.Next() * 1000;
        long r = std::lround(scaled);
        if (std::abs(scaled - std::floor(scaled) - 0.5) == 0 && r % 2 != 0) --r;
        index = static_cast<int>(r % n) + 1;
    }
    return index;
}

TEST(DrillModel, ChooseNextCharHandWorked) {
    // Seed 0 draws 0.000000000233, 0.031379939522594, 0.861048467224464: the candidate is 1,
    // the threshold 0.156899697612971; weight 0.1 rejects it, leaving 0.056899697612971; the
    // re-draw 861 mod 5 = 1 gives position 2, whose 0.2 exceeds the rest.
    TDrillModel m(Noon);
    m.StartTeaching(5);
    m.StartSending(5);
    m.ErrorWeights[1] = 0.1;
    m.RepeatCount = 0;
    m.RandomSource().SetSeed(0);
    m.ChooseNextChar();
    EXPECT_EQ(m.CurrentIndex, 2);
    EXPECT_EQ(m.RandomSource().Seed(), 3698175007u);  // exactly three draws

    // A weight equal to the threshold rejects the candidate: only a greater weight is chosen.
    m.ErrorWeights[1] = 134775814.0 / 4294967296.0 * 5;
    m.RandomSource().SetSeed(0);
    m.ChooseNextChar();
    EXPECT_EQ(m.CurrentIndex, 2);
    EXPECT_EQ(m.RandomSource().Seed(), 3698175007u);
}

TEST(DrillModel, ChooseNextCharMatchesAnIndependentReplay) {
    const std::vector<std::vector<double>> weightSets = {
        std::vector<double>(40, 0.2),
        {1.0, 0.2, 0.6, 0.2, 0.8},
        {0.2, 0.2, 1.0},
        {1.0, 1.0},
        {0.4, 0.2, 0.2, 0.2, 0.2, 0.2, 1.0},
    };
    std::vector<int> seen(41, 0);
    for (const auto& weights : weightSets) {
        const int n = static_cast<int>(weights.size());
        for (std::uint32_t seed = 0; seed < 300; ++seed) {
            SCOPED_TRACE(testing::Message() << "n " << n << " seed " << seed);
            TDrillModel m(Noon);
            m.StartTeaching(n);
            m.StartSending(n);
            for (int i = 0; i < n; ++i) m.ErrorWeights[static_cast<std::size_t>(i + 1)] = weights[static_cast<std::size_t>(i)];
            m.RepeatCount = 0;
            m.RandomSource().SetSeed(seed * 2654435761u);
            ReferenceLcg lcg{seed * 2654435761u};
            m.ChooseNextChar();
            ASSERT_EQ(m.CurrentIndex, ReferenceChoice(lcg, weights));
            ASSERT_EQ(m.RandomSource().Seed(), lcg.State);
            if (n == 40) ++seen[static_cast<std::size_t>(m.CurrentIndex)];
        }
    }
    // Every position of a full set can come up.
    for (int i = 1; i <= 40; ++i) EXPECT_GT(seen[static_cast<std::size_t>(i)], 0) << i;
}

TEST(DrillModel, HeavierCharactersAreChosenMoreOften) {
    TDrillModel m(Noon);
    m.StartTeaching(2);
    m.StartSending(2);
    m.ErrorWeights[1] = 1.0;
    m.ErrorWeights[2] = 0.2;
    m.RandomSource().SetSeed(7);
    int heavy = 0;
    for (int turn = 0; turn < 2000; ++turn) {
        m.RepeatCount = 0;
        m.ChooseNextChar();
        heavy += m.CurrentIndex == 1;
    }
    EXPECT_GT(heavy, 1400);
}

TEST(DrillModel, ChooseNextCharKeepsTheDrillInBounds) {
    // Start of teaching with an odd count and no start of sending.
    struct Case {
        int startCount;
        int charsInUse;
    };
    for (const Case c : {Case{50, 40}, Case{0, 1}, Case{-3, 1}}) {
        SCOPED_TRACE(c.startCount);
        TDrillModel m(Noon);
        m.StartTeaching(c.startCount);
        m.RepeatCount = 0;
        m.ChooseNextChar();
        EXPECT_EQ(m.CharsInUse, c.charsInUse);
        EXPECT_GE(m.CurrentIndex, 1);
        EXPECT_LE(m.CurrentIndex, c.charsInUse);
    }
    // Without a start of teaching no weight is set and no choice can end: refused, not a hang.
    TDrillModel fresh(Noon);
    EXPECT_THROW(fresh.ChooseNextChar(), std::logic_error);
    fresh.TypedChar = 'q';
    EXPECT_EQ(fresh.CheckAnswer(), std::nullopt);
}

}  // namespace
}  // namespace kelvo
