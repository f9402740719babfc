#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"
#include "support/RecordingSink.h"
#include "support/SyntheticMatches.h"
#include "validation/ValidationReports.h"
#include "validation/WalkForward.h"

namespace karvola {

void PrintTo(const FoldPlan& plan, std::ostream* out) {
    *out << plan.trainFirst << "-" << plan.trainLast << " / " << plan.testFirst << "-" << plan.testLast;
}

namespace {

TEST(WalkForwardPlan, BlocksFollowEachOtherAndTrainingEndsBeforeTheTest) {
    struct Case {
        const char* name;
        int lo;
        int hi;
        int folds;
        std::optional<int> train;
        std::vector<FoldPlan> plans;
    };
    const Case cases[] = {
        {"even blocks", 1, 12, 2, std::nullopt, {{1, 4, 5, 8}, {1, 8, 9, 12}}},
        {"uneven blocks differ by one at most", 1, 10, 2, std::nullopt, {{1, 3, 4, 6}, {1, 6, 7, 10}}},
        {"positions start at LO", 101, 110, 1, std::nullopt, {{101, 105, 106, 110}}},
        {"a rolling window", 1, 12, 3, 2, {{2, 3, 4, 6}, {5, 6, 7, 9}, {8, 9, 10, 12}}},
        {"a window wider than what lies before starts at LO", 1, 12, 2, 100, {{1, 4, 5, 8}, {1, 8, 9, 12}}},
        {"one match per block", 5, 7, 2, std::nullopt, {{5, 5, 6, 6}, {5, 6, 7, 7}}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanFolds(c.lo, c.hi, c.folds, c.train), c.plans) << c.name;
}

TEST(WalkForwardPlan, RangesThatCannotBeCutAreRefused) {
    struct Case {
        int lo;
        int hi;
        int folds;
        std::optional<int> train;
        const char* message;
    };
    const Case cases[] = {
        {1, 10, 10, std::nullopt, "10 folds need at least 11 matches in LO..HI, which holds 10"},
        {0, 0, 2, std::nullopt, "the research domain range LO..HI is empty"},
        {5, 4, 2, std::nullopt, "the research domain range LO..HI is empty"},
        {1, 10, 0, std::nullopt, "the number of folds must be at least 1"},
        {1, 10, 2, 0, "the training window must hold at least 1 match"},
    };
    for (const Case& c : cases) {
        try {
            PlanFolds(c.lo, c.hi, c.folds, c.train);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

WalkForwardInput inputFor(const ResearchDomain& domain, int folds, std::optional<int> train = std::nullopt) {
    WalkForwardInput input;
    input.range = domain;
    input.lo = 1;
    input.hi = static_cast<int>(domain.size());
    input.train = train;
    input.folds = PlanFolds(input.lo, input.hi, folds, train);
    return input;
}

std::optional<WalkForwardResult> walkForward(const ResearchDomain& domain, int folds, std::optional<int> train,
                                             unsigned threads) {
    WalkForwardObserver quiet;
    std::atomic<bool> breakRequested{false};
    return RunWalkForward(inputFor(domain, folds, train), breakRequested, quiet, threads);
}

// 1,500 matches whose favourites priced 1.40 to 2.40 win ten points too often.
const ResearchDomain& edgedDomain() {
    static const ResearchDomain domain = testing::SyntheticMatches(3).domain(1500, {0.10, 1.4f, 2.4f}, 0, 1500);
    return domain;
}

// Favourites priced 1.50 to 2.20 win 12 points more often than their price says,
// but only in the first half: the optimizer keeps finding that window, and what
// it earned on the first half's new matches it loses on the second half's.
TEST(WalkForward, AnEdgeOfTheFirstHalfOnlyCollapsesOutOfSample) {
    const ResearchDomain domain =
        testing::SyntheticMatches(7).domain(4000, {0.12, 1.5f, 2.2f}, 0, 2000);  // blocks of 800
    const auto result = walkForward(domain, 4, std::nullopt, 2);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->folds.size(), 4U);

    const FoldResult& edged = result->folds[0];  // test 801-1600, inside the edge
    EXPECT_GT(edged.outOfSample.total_bets, 100U);
    EXPECT_GT(edged.outOfSample.average_yield, 0.05f);

    // Tests 2401-4000: the windows trained on the edge, which is gone.
    std::uint32_t lateBets = 0;
    double lateReturn = 0.0;
    for (const FoldResult& fold : {result->folds[2], result->folds[3]}) {
        EXPECT_GT(fold.inSample.average_yield, 0.05f) << "the training still holds the edge";
        EXPECT_LT(fold.outOfSample.average_yield, fold.inSample.average_yield - 0.05f);
        lateBets += fold.outOfSample.total_bets;
        lateReturn += static_cast<double>(fold.outOfSample.average_yield) * fold.outOfSample.total_bets;
    }
    ASSERT_GT(lateBets, 100U);
    EXPECT_LT(lateReturn / lateBets, 0.0);
    EXPECT_LT(result->pooledOutOfSample.average_yield, result->pooledInSample.average_yield);
}

// The pooled figures are the test bets of every fold, in order, and the bankroll
// stakes each fold's training Kelly fraction on them.
TEST(WalkForward, PooledFiguresAndBankrollFollowTheTestBets) {
    const ResearchDomain& domain = edgedDomain();
    const auto result = walkForward(domain, 2, 600, 1);
    ASSERT_TRUE(result);

    std::uint32_t bets = 0;
    std::string sequence;
    float bankroll = 1.0f;
    for (const FoldResult& fold : result->folds) {
        ASSERT_GT(fold.inSample.okf, 0.0f);
        bets += fold.outOfSample.total_bets;
        const auto test =
            std::span(domain).subspan(fold.plan.testFirst - 1, fold.plan.testLast - fold.plan.testFirst + 1);
        sequence += WvectorWinLossSequence(fold.vector, test);
        statistics_t inSample;
        EvaluateWvector(
            fold.vector,
            std::span(domain).subspan(fold.plan.trainFirst - 1, fold.plan.trainLast - fold.plan.trainFirst + 1),
            inSample);
        EXPECT_EQ(inSample.total_bets, fold.inSample.total_bets) << "the search trained on its window only";
        const float fraction = std::min(fold.inSample.okf, 1.0f);
        for (const basic_record_t& match : test) {
            const WvectorOutcome outcome = DecideWvector(fold.vector, match.odds1, match.odds0, match.odds2);
            if (outcome == OUTCOME_NONE) continue;
            const float stake = fraction * bankroll;
            bankroll -= stake;
            if (match.result == static_cast<char>('0' + outcome)) {
                bankroll = static_cast<float>(static_cast<long double>(bankroll) +
                                              static_cast<long double>(OddsOf(match, outcome)) * stake);
            }
        }
    }
    EXPECT_EQ(result->pooledOutOfSample.total_bets, bets);
    EXPECT_EQ(result->outOfSampleSequence, sequence);
    ASSERT_EQ(result->outOfSampleBankroll.size(), bets);
    EXPECT_EQ(result->outOfSampleBankroll.back().bankroll, bankroll);
}

TEST(WalkForward, ABreakRequestStopsIt) {
    const ResearchDomain domain = testing::SyntheticMatches(5).domain(300);
    class Counting final : public WalkForwardObserver {
    public:
        void foldStarted(int, int) override { ++started; }
        int started = 0;
    } observer;
    std::atomic<bool> breakRequested{true};
    EXPECT_FALSE(RunWalkForward(inputFor(domain, 3), breakRequested, observer, 2));
    EXPECT_EQ(observer.started, 1);
    EXPECT_FALSE(breakRequested.load());
}

TEST(WalkForwardReport, LabelsTheFiguresInAndOutOfSample) {
    const auto result = walkForward(edgedDomain(), 2, 600, 2);
    ASSERT_TRUE(result);

    testing::RecordingSink sink;
    const ReportFormat format{DisplayOptions("110000111100"), ','};
    WriteWalkForwardReport(sink, {1, 1500, 12.5, 0.75}, 600, *result, format);
    const auto lines = sink.lines();
    ASSERT_GE(lines.size(), 17U);
    EXPECT_EQ(lines[0], " ");
    EXPECT_EQ(lines[1], "Walk-forward validation of opt over LO 1 .. HI 1500 (BND% 12.5, span 0.75):");
    EXPECT_EQ(lines[2], "2 folds, each trained on the 600 matches before its test block");
    EXPECT_EQ(lines[3].substr(46), " ---- in-sample ---- -- out-of-sample --");
    EXPECT_EQ(lines[4], "Fold Train       Test        wvector            Bets  Yield  Pess.  Bets  Yield  Pess.");

    // Every row lines up under the headings, and fits the window's terminal.
    const FoldResult& first = result->folds[0];
    EXPECT_EQ(lines[5].substr(0, 29), "   1 1-500       501-1000    ");
    EXPECT_EQ(lines[6].substr(0, 29), "   2 401-1000    1001-1500   ");
    EXPECT_EQ(lines[5].substr(29, 17), "[" + FormatTwoDecimals(first.vector.kmin) + " " +
                                           FormatTwoDecimals(first.vector.kMax) + " " +
                                           FormatTwoDecimals(first.vector.CRZ) + "] ");
    EXPECT_EQ(lines[5].substr(46, 6), std::string(6 - std::to_string(first.inSample.total_bets).size(), ' ') +
                                          std::to_string(first.inSample.total_bets));
    EXPECT_TRUE(lines[5].ends_with(FormatPercentOneDecimal(first.outOfSample.pessimistic_yield)));
    EXPECT_TRUE(lines[7].starts_with("pooled "));
    for (std::size_t k = 4; k <= 7; ++k) EXPECT_EQ(lines[k].size(), 86U) << lines[k];

    EXPECT_EQ(lines[10], "out-of-sample statistics, pooled over the 2 test blocks:");
    EXPECT_EQ(lines[11], "Statistics:");
    EXPECT_EQ(lines[12],
              "  Total number of bets:               " + std::to_string(result->pooledOutOfSample.total_bets));
    EXPECT_EQ(lines[lines.size() - 2], "out-of-sample bankroll, each fold staking its training OKF (at most 1):");
    EXPECT_TRUE(lines.back().starts_with("  Bankroll multiplier: "));
}

statistics_t statisticsOf(std::uint32_t bets, float yield, float pessimistic) {
    statistics_t statistics;
    statistics.total_bets = bets;
    statistics.average_yield = yield;
    statistics.pessimistic_yield = pessimistic;
    return statistics;
}

// A fold whose training accepted no vector, one whose vector found nothing to
// bet on its test block, total losses and pessimistic bounds beyond them.
TEST(WalkForwardReport, AFoldWithoutBetsHasNoYieldAndNoFigureTouchesAnother) {
    const wvector rule{2.0f, 3.5f, 1.5f};
    WalkForwardResult result;
    result.folds = {
        {{1, 100, 101, 200}, {}, statisticsOf(0, 0.0f, -1.0f), statisticsOf(0, 0.0f, -1.0f)},
        {{1, 200, 201, 300}, rule, statisticsOf(40, 0.125f, -0.031f), statisticsOf(0, 0.0f, -1.0f)},
        {{1, 300, 301, 400}, rule, statisticsOf(60, 0.25f, -0.9996f), statisticsOf(3, -1.0f, -1.0f)},
        {{1, 400, 401, 500}, rule, statisticsOf(120000, 0.2f, 0.05f), statisticsOf(2, 14.0f, -123.456f)},
    };
    result.pooledInSample = statisticsOf(120220, 0.2f, 0.1f);
    result.pooledOutOfSample = statisticsOf(5, 1.0f, -2.5f);

    testing::RecordingSink sink;
    WriteWalkForwardReport(sink, {1, 500, 12.0, 1.0}, std::nullopt, result, ReportFormat{});
    const auto lines = sink.lines();
    ASSERT_GE(lines.size(), 11U);
    EXPECT_EQ(lines[4].substr(46), "  Bets  Yield  Pess.  Bets  Yield  Pess.");
    EXPECT_EQ(lines[5].substr(46), "     0      -      -     0      -      -");
    EXPECT_EQ(lines[6].substr(46), "    40  12.5%  -3.1%     0      -      -");
    EXPECT_EQ(lines[7].substr(46), "    60  25.0%  -100%     3  -100%  -100%");
    // Wider than their columns: shifted, but never run into their neighbours.
    EXPECT_EQ(lines[8].substr(46), " 120000  20.0%   5.0%     2  1400% -12346%");
    EXPECT_EQ(lines[9], "pooled" + std::string(40, ' ') + " 120220  20.0%  10.0%     5   100%  -250%");
}

TEST(WalkForwardReport, WithoutAnyTestBetItGivesNoStatistics) {
    WalkForwardResult result;
    result.folds = {{{1, 100, 101, 200}, {}, statisticsOf(0, 0.0f, -1.0f), statisticsOf(0, 0.0f, -1.0f)},
                    {{1, 200, 201, 300}, {}, statisticsOf(0, 0.0f, -1.0f), statisticsOf(0, 0.0f, -1.0f)}};
    result.pooledOutOfSample = statisticsOf(0, 0.0f, -1.0f);

    testing::RecordingSink sink;
    WriteWalkForwardReport(sink, {1, 300, 12.0, 1.0}, std::nullopt, result, ReportFormat{});
    const auto lines = sink.lines();
    ASSERT_EQ(lines.size(), 13U);
    EXPECT_EQ(lines[7], "pooled" + std::string(40, ' ') + "     0      -      -     0      -      -");
    EXPECT_EQ(lines[10], "out-of-sample statistics: no bets in the 2 test blocks");
    EXPECT_EQ(lines[11], "out-of-sample bankroll, each fold staking its training OKF (at most 1):");
}

TEST(WalkForwardReport, PercentagesHaveOneDecimalAndNoNegativeZero) {
    EXPECT_EQ(FormatPercentOneDecimal(0.0534), "5.3%");
    EXPECT_EQ(FormatPercentOneDecimal(-1.0), "-100.0%");
    EXPECT_EQ(FormatPercentOneDecimal(-0.0004), "0.0%");
    EXPECT_EQ(FormatPercentOneDecimal(0.12345), "12.3%");
}

}  // namespace
}  // namespace karvola
