#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "support/RecordingSink.h"
#include "support/SyntheticMatches.h"
#include "validation/Significance.h"
#include "validation/ValidationReports.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

std::optional<SignificanceResult> significance(const ResearchDomain& domain, int replicas, std::uint64_t seed,
                                               unsigned threads = 2) {
    const SearchInput search{domain, 1, static_cast<int>(domain.size()), 12.0, 1.0};
    std::atomic<bool> never{false};
    SignificanceObserver quiet;
    return RunSignificance({search, replicas, seed}, never, quiet, threads);
}

// Results drawn from the prices' own fair probabilities: the real best score
// is one more draw of what the replicas draw.
TEST(Significance, FairPricesGiveAPValueThatIsNotSmall) {
    const auto result = significance(testing::SyntheticMatches(11).domain(1500), 99, 5);
    ASSERT_TRUE(result);
    EXPECT_GT(result->realScore, 0.0f) << "the search still finds its best vector";
    EXPECT_GT(result->pValue, 0.1);
}

// Favourites priced 1.50 to 2.20 win twelve points more often than the price
// says: no replica of fair prices comes near the window the search finds.
TEST(Significance, APlantedOddsWindowGivesAPValueBelowOnePercent) {
    const auto result = significance(testing::SyntheticMatches(12).domain(2000, {0.12, 1.5f, 2.2f}, 0, 2000), 199, 5);
    ASSERT_TRUE(result);
    EXPECT_LT(result->pValue, 0.01);
    EXPECT_EQ(result->reaching, 0U);
    EXPECT_LE(result->real.best.kmin, 2.2f);
    EXPECT_GE(result->real.best.kMax, 1.5f);
}

// Under the null the rank of the real score among the replicas' is uniform, so
// the p-values of many data bases drawn from fair prices spread over (0, 1].
TEST(Significance, PValuesUnderTheNullAreUniformOverRepeatedRuns) {
    std::vector<double> pValues;
    for (std::uint32_t run = 0; run < 40; ++run) {
        const auto result = significance(testing::SyntheticMatches(100 + run).domain(600), 19, run);
        ASSERT_TRUE(result);
        pValues.push_back(result->pValue);
    }
    // 19 replicas: p is k / 20 with k uniform on 1..20; means and shares with
    // more than three standard deviations of room.
    const auto share = [&](double limit) {
        return static_cast<double>(
                   std::count_if(pValues.begin(), pValues.end(), [&](double p) { return p <= limit; })) /
               static_cast<double>(pValues.size());
    };
    double mean = 0.0;
    for (const double p : pValues) mean += p / static_cast<double>(pValues.size());
    EXPECT_NEAR(mean, 0.525, 0.15);
    EXPECT_NEAR(share(0.5), 0.5, 0.25);
    EXPECT_LE(share(0.1), 0.3);
    EXPECT_GE(share(0.9), 0.65);
}

TEST(Significance, TheSameSeedGivesTheSameRunOnAnyNumberOfThreads) {
    const ResearchDomain domain = testing::SyntheticMatches(13).domain(700, {0.05, 1.5f, 2.5f}, 0, 700);
    const auto one = significance(domain, 30, 77, 1);
    const auto three = significance(domain, 30, 77, 3);
    const auto otherSeed = significance(domain, 30, 78, 2);
    ASSERT_TRUE(one && three && otherSeed);
    EXPECT_EQ(one->replicaScores, three->replicaScores);
    EXPECT_NE(one->replicaScores, otherSeed->replicaScores);

    testing::RecordingSink first;
    testing::RecordingSink second;
    WriteSignificanceReport(first, {1, 700, 12.0, 1.0}, 77, *one);
    WriteSignificanceReport(second, {1, 700, 12.0, 1.0}, 77, *three);
    EXPECT_EQ(first.lines(), second.lines());
}

TEST(Significance, ABreakRequestStopsIt) {
    const SearchInput search{{}, 0, 0, 12.0, 1.0};
    std::atomic<bool> breakRequested{true};
    SignificanceObserver quiet;
    EXPECT_FALSE(RunSignificance({search, 10, 1}, breakRequested, quiet, 2));
    EXPECT_FALSE(breakRequested.load());
}

TEST(SignificanceFigures, NearestRankAndThePlusOneCorrection) {
    const std::vector<float> sorted = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    struct Case {
        double share;
        float score;
    };
    const Case cases[] = {{0.0, 1.0f}, {0.2, 1.0f}, {0.21, 2.0f}, {0.5, 3.0f}, {0.95, 5.0f}, {1.0, 5.0f}};
    for (const Case& c : cases) EXPECT_EQ(NearestRank(sorted, c.share), c.score) << c.share;
    EXPECT_EQ(NearestRank({}, 0.5), 0.0f);

    EXPECT_DOUBLE_EQ(MonteCarloPValue(0, 199), 0.005);
    EXPECT_DOUBLE_EQ(MonteCarloPValue(199, 199), 1.0);
    EXPECT_DOUBLE_EQ(MonteCarloPValue(9, 99), 0.1);
}

TEST(SignificanceReport, ShowsTheDistributionThePValueAndItsReading) {
    SignificanceResult result;
    result.realScore = 3.5f;
    result.replicaScores = {5.0f, 1.0f, 3.0f, 4.0f, 2.0f};
    result.reaching = 2;
    result.pValue = MonteCarloPValue(2, 5);
    testing::RecordingSink sink;
    WriteSignificanceReport(sink, {11, 510, 12.5, 0.5}, 42, result);
    const Lines lines = sink.lines();
    ASSERT_EQ(lines.size(), 13U);
    EXPECT_EQ(lines[1], "Significance of opt over LO 11 .. HI 510 (BND% 12.5, span 0.5): 5 replicas, seed 42");
    EXPECT_EQ(lines[6], "  Real best score:        3.50  (no vector accepted)");
    EXPECT_EQ(lines[7], "  Replica best scores:    min 1.00  median 3.00  max 5.00");
    EXPECT_EQ(lines[8], "                          95th percentile 5.00  99th percentile 5.00 (nearest rank)");
    EXPECT_EQ(lines[9], "  Replicas reaching it:   2 of 5");
    EXPECT_EQ(lines[10], "  p-value:                0.5000 = (1 + 2) / (1 + 5)");
    EXPECT_TRUE(lines[11].starts_with("  Not small: "));
    for (const std::string& line : lines) EXPECT_LE(line.size(), 86U) << line;

    result.pValue = 0.03;
    testing::RecordingSink seldom;
    WriteSignificanceReport(seldom, {11, 510, 12.5, 0.5}, 42, result);
    EXPECT_TRUE(seldom.lines()[11].starts_with("  Below 0.05: "));
}

}  // namespace
}  // namespace karvola
