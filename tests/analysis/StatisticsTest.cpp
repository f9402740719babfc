#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "analysis/statistics_t.h"
#include "common/NumberTexts.h"

namespace karvola {
namespace {

struct Bet {
    float odds;
    bool won;
};

constexpr bool W = true;
constexpr bool L = false;

void settleAll(statistics_t& statistics, const std::vector<Bet>& bets, KellyCap cap) {
    StatisticsAccumulator accumulator(statistics);
    for (const Bet& bet : bets) accumulator.settle(bet.odds, bet.won);
    accumulator.finish(cap);
}

struct AccumulatorCase {
    const char* name;
    std::vector<Bet> bets;
    std::uint32_t total;
    std::uint32_t winning;
    float averageYield;
    float pessimisticYield;
    float okf;
    float bankroll;
    float averageOdds;
    float averageWinningOdds;
};

// One statistics object serves every case in turn, as the optimizer reuses its
// own: nothing of a case may leak into the next.
TEST(StatisticsAccumulatorTest, SettlesAndFinishesEvaluations) {
    const AccumulatorCase cases[] = {
        {"no bet", {}, 0, 0, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f},
        // A single return has variance 0; staking all of it doubles the bankroll.
        {"one won at 2.00", {{2.0f, W}}, 1, 1, 1.0f, 1.0f, 1.0f, 2.0f, 2.0f, 2.0f},
        // Yield sum -2 + 3; returns 2 and -1 give S = 4.5, a standard error of 1.5,
        // so 0.5 - 1.28 x 1.5; the Kelly fraction 0.5 / 1.5 grows 1 to 5/3, then 10/9.
        {"3.00 won, 2.00 lost", {{3.0f, W}, {2.0f, L}}, 2, 1, 0.5f, -1.42f, 1.0f / 3, 10.0f / 9, 2.5f, 3.0f},
        {"all won at 1.50", {{1.5f, W}, {1.5f, W}, {1.5f, W}}, 3, 3, 0.5f, 0.5f, 1.0f, 3.375f, 1.5f, 1.5f},
        {"all lost", {{1.5f, L}, {2.5f, L}}, 2, 0, -1.0f, -1.0f, 0.0f, 0.0f, 2.0f, 0.0f},
        // No Kelly stake when the yield is negative, though bets were won; the
        // returns 0.5 and -1 lie 0.75 from the mean: -0.25 - 1.28 x 0.75.
        {"negative yield", {{1.5f, W}, {2.0f, L}}, 2, 1, -0.25f, -1.21f, 0.0f, 0.0f, 1.75f, 1.5f},
    };
    statistics_t statistics;
    for (const AccumulatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        settleAll(statistics, c.bets, KellyCap::None);
        EXPECT_EQ(statistics.total_bets, c.total);
        EXPECT_EQ(statistics.winning_bets, c.winning);
        EXPECT_FLOAT_EQ(statistics.average_yield, c.averageYield);
        EXPECT_FLOAT_EQ(statistics.pessimistic_yield, c.pessimisticYield);
        EXPECT_FLOAT_EQ(statistics.okf, c.okf);
        EXPECT_FLOAT_EQ(statistics.bankroll_multiplier, c.bankroll);
        EXPECT_FLOAT_EQ(statistics.average_odds, c.averageOdds);
        EXPECT_FLOAT_EQ(statistics.average_winning_odds, c.averageWinningOdds);

        std::vector<float> odds;
        std::vector<float> winningOdds;
        for (const Bet& bet : c.bets) {
            odds.push_back(bet.odds);
            if (bet.won) winningOdds.push_back(bet.odds);
        }
        EXPECT_EQ(statistics.odds, odds);
        EXPECT_EQ(statistics.winning_odds, winningOdds);
    }
}

// A won bet takes its stake off the yield sum and then adds its odds, each step
// rounded to float: here the sum ends a little above 0.16 and the yield shows
// 4%; adding odds - 1 in one step would give 3%.
TEST(StatisticsAccumulatorTest, StakeAndOddsEnterTheYieldSumSeparately) {
    statistics_t statistics;
    settleAll(statistics, {{3.10f, L}, {1.36f, W}, {3.21f, L}, {2.80f, W}}, KellyCap::None);
    EXPECT_EQ(FormatPercent(statistics.average_yield), "4%");
}

// Every bet won: the yield and the average odds are rounded separately, so the
// fraction can come out a little above 1. Prediction rules cap it; the wvector
// rule keeps it, and then stakes more than the bankroll.
TEST(StatisticsAccumulatorTest, KellyFractionAboveOneIsCappedOnlyWhenAsked) {
    const std::vector<Bet> bets = {{1.01f, W}, {1.07f, W}};
    statistics_t uncapped;
    settleAll(uncapped, bets, KellyCap::None);
    statistics_t capped;
    settleAll(capped, bets, KellyCap::AtOne);

    EXPECT_GT(uncapped.okf, 1.0f);
    EXPECT_EQ(capped.okf, 1.0f);
    EXPECT_FLOAT_EQ(capped.bankroll_multiplier, 1.01f * 1.07f);
    EXPECT_NE(capped.bankroll_multiplier, uncapped.bankroll_multiplier);
}

// The optimizer keeps a working and a best object; an evaluation started while
// another is still open must not share its return list.
TEST(StatisticsAccumulatorTest, OverlappingEvaluationsKeepTheirOwnReturns) {
    statistics_t first;
    statistics_t second;
    StatisticsAccumulator outer(first);
    outer.settle(2.0f, W);
    settleAll(second, {{3.0f, L}, {3.0f, L}, {3.0f, L}}, KellyCap::None);
    outer.finish(KellyCap::None);

    EXPECT_FLOAT_EQ(first.pessimistic_yield, 1.0f);
    EXPECT_FLOAT_EQ(first.bankroll_multiplier, 2.0f);
    EXPECT_FLOAT_EQ(second.pessimistic_yield, -1.0f);
}

TEST(StatisticsTest, ResetGivesTheValuesOfANewObject) {
    statistics_t statistics;
    settleAll(statistics, {{2.0f, W}, {3.0f, L}}, KellyCap::None);
    statistics.reset();
    const statistics_t fresh;
    EXPECT_EQ(statistics.total_bets, fresh.total_bets);
    EXPECT_EQ(statistics.winning_bets, fresh.winning_bets);
    EXPECT_EQ(statistics.average_yield, fresh.average_yield);
    EXPECT_EQ(statistics.pessimistic_yield, -1.0f);
    EXPECT_EQ(statistics.okf, fresh.okf);
    EXPECT_EQ(statistics.bankroll_multiplier, fresh.bankroll_multiplier);
    EXPECT_EQ(statistics.average_winning_odds, fresh.average_winning_odds);
    EXPECT_EQ(statistics.average_odds, fresh.average_odds);
    EXPECT_TRUE(statistics.odds.empty());
    EXPECT_TRUE(statistics.winning_odds.empty());
}

struct DeviationCase {
    const char* name;
    std::vector<float> odds;
    float expected;
};

TEST(OddsStandardDeviationTest, RoundsValuesAndSquaresToTwoDecimals) {
    const DeviationCase cases[] = {
        {"empty list", {}, 0.0f},
        {"one value", {1.85f}, 0.0f},
        // Population variance: (1 + 1) / 2, not / 1.
        {"two values", {1.0f, 3.0f}, 1.0f},
        // 1.004 and 2.996 enter as 1.00 and 3.00 (unrounded the deviation is 0.996).
        {"values rounded", {1.004f, 2.996f}, 1.0f},
        // 1.234 and 1.236 enter as 1.23 and 1.24; their squared deviations
        // 0.000025 round to 0.00.
        {"tiny squares vanish", {1.234f, 1.236f}, 0.0f},
        // Mean 2.15: the squares 0.0225 enter as 0.02, so sqrt(0.02) instead of 0.15.
        {"squares rounded", {2.0f, 2.3f}, 0.14142136f},
    };
    for (const DeviationCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(OddsStandardDeviation(c.odds), c.expected);
    }
}

struct EntropyCase {
    std::uint32_t total;
    std::uint32_t winning;
    std::optional<float> expected;
};

TEST(SequenceEntropyTest, BinaryEntropyOfTheWinRate) {
    const EntropyCase cases[] = {
        {0, 0, std::nullopt}, {3, 3, 0.0f}, {3, 0, 0.0f}, {2, 1, 1.0f}, {4, 1, 0.81127812f}, {5, 3, 0.97095059f},
    };
    for (const EntropyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.winning << " of " << c.total);
        statistics_t statistics;
        statistics.total_bets = c.total;
        statistics.winning_bets = c.winning;
        const std::optional<float> entropy = SequenceEntropy(statistics);
        ASSERT_EQ(entropy.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_FLOAT_EQ(*entropy, *c.expected);
        }
    }
}

}  // namespace
}  // namespace karvola
