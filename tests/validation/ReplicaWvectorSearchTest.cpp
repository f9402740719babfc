#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"
#include "support/SyntheticMatches.h"
#include "validation/FairResults.h"
#include "validation/ReplicaWvectorSearch.h"

namespace karvola {
namespace {

// ------------------------------------------------------------- fair results

TEST(FairResults, ProbabilitiesAreTheNormalisedInverseOdds) {
    const auto [home, draw] = FairResults::Probabilities(2.0f, 4.0f, 4.0f);
    EXPECT_DOUBLE_EQ(static_cast<double>(home), 0.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(draw), 0.25);
    // A 5% margin is taken off in proportion: 1/1.9 + 1/3.5 + 1/4.2 = 1.0490...
    const auto [favourite, middle] = FairResults::Probabilities(1.9f, 3.5f, 4.2f);
    EXPECT_NEAR(static_cast<double>(favourite), (1 / 1.9) / (1 / 1.9 + 1 / 3.5 + 1 / 4.2), 1e-7);
    EXPECT_NEAR(static_cast<double>(middle), (1 / 3.5) / (1 / 1.9 + 1 / 3.5 + 1 / 4.2), 1e-7);
}

TEST(FairResults, DrawsFollowTheProbabilitiesAndRepeatForASeed) {
    std::vector<basic_record_t> range(3000);
    for (basic_record_t& record : range) {
        record.odds1 = 1.6f;
        record.odds0 = 4.0f;
        record.odds2 = 5.5f;
        record.result = '2';
    }
    range[7].odds0 = std::numeric_limits<float>::quiet_NaN();  // no probabilities: keeps its result
    range[8].odds2 = 0.0f;
    const FairResults fair(range);

    std::string first;
    std::string again;
    std::string other;
    fair.draw(42, 0, first);
    fair.draw(42, 0, again);
    fair.draw(42, 1, other);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(first[7], '2');
    EXPECT_EQ(first[8], '2');

    std::map<char, int> counts;
    for (std::uint64_t replica = 0; replica < 10; ++replica) {
        fair.draw(7, replica, other);
        for (const char result : other) ++counts[result];
    }
    const auto [home, draw] = FairResults::Probabilities(1.6f, 4.0f, 5.5f);
    const double total = 30000.0;
    // Within four standard deviations of a binomial share.
    EXPECT_NEAR(counts['1'] / total, static_cast<double>(home), 4 * std::sqrt(0.25 / total));
    EXPECT_NEAR(counts['0'] / total, static_cast<double>(draw), 4 * std::sqrt(0.25 / total));
    EXPECT_EQ(counts['1'] + counts['0'] + counts['2'], 30000);
}

// ------------------------------------------- the shared search against opt's

// Odds the shared pass must treat as the rule does: favourites exactly on kmin,
// CRZ and kMax grid values, ties between the two longer prices, and only a few
// price levels, so that many windows hold the same bets.
ResearchDomain awkwardOdds(int count) {
    ResearchDomain domain = testing::SyntheticMatches(23).domain(count, {0.08, 1.5f, 2.3f}, 0, count);
    for (int k = 0; k < count; ++k) {
        basic_record_t& record = domain[static_cast<std::size_t>(k)];
        const int step = k % 20;
        switch (k % 5) {
            case 0:
                record.odds1 = GridCandidate(150 + 5 * step, 150 + 5 * step, 120).kmin;
                break;
            case 1:
                record.odds0 = record.odds2 = 3.6f;
                break;
            case 2:
                record.odds2 = GridCandidate(105, 105, 150 + 5 * step).kMax;
                break;
            case 3:
                record.odds1 = 1.5f + 0.35f * static_cast<float>(k % 3);
                break;
            default:
                break;
        }
    }
    return domain;
}

struct ReplicaCase {
    const char* name;
    ResearchDomain domain;
    double bndPercent = 12.0;
    double span = 1.0;
};

void PrintTo(const ReplicaCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<ReplicaCase> replicaCases() {
    std::vector<ReplicaCase> cases;
    cases.push_back({"Fair", testing::SyntheticMatches(1).domain(500)});
    cases.push_back({"Edged", testing::SyntheticMatches(2).domain(500, {0.12, 1.4f, 2.4f}, 0, 500)});
    cases.push_back({"AwkwardOdds", awkwardOdds(450)});
    cases.push_back({"HighThreshold", testing::SyntheticMatches(3).domain(400, {0.1, 1.3f, 3.0f}, 0, 400), 45.0});
    cases.push_back({"NarrowSpan", testing::SyntheticMatches(4).domain(500, {0.1, 2.0f, 3.5f}, 0, 500), 12.0, 0.08});
    ResearchDomain withNan = testing::SyntheticMatches(5).domain(300);
    withNan[17].odds0 = std::numeric_limits<float>::quiet_NaN();
    cases.push_back({"OddsThatAreNoNumbers", withNan});
    cases.push_back({"Under100Matches", testing::SyntheticMatches(6).domain(90)});
    cases.push_back({"Empty", {}});
    return cases;
}

// The score opt's own search reaches on the range with these results.
float searchedScore(const ReplicaCase& c, const std::string& results) {
    ResearchDomain domain = c.domain;
    for (std::size_t r = 0; r < domain.size(); ++r) domain[r].result = results[r];
    SearchInput input{domain, domain.empty() ? 0 : 1, static_cast<int>(domain.size()), c.bndPercent, c.span};
    std::atomic<bool> never{false};
    SearchObserver quiet;
    const SearchOutcome outcome = FastWvectorSearch(input, never, quiet, 2);
    if (outcome.statistics.total_bets == 0) return 0.0f;
    return CandidateScore(outcome.statistics.total_bets, outcome.statistics.average_yield);
}

class SharedSearchEqualsOpt : public ::testing::TestWithParam<ReplicaCase> {};

// Seven sets drawn as fair results and the real ones, in one pass and alone.
TEST_P(SharedSearchEqualsOpt, ForEverySetOfResults) {
    const ReplicaCase& c = GetParam();
    const SearchInput input{c.domain, c.domain.empty() ? 0 : 1, static_cast<int>(c.domain.size()), c.bndPercent,
                            c.span};
    const FairResults fair(c.domain);
    std::vector<std::string> sets(ReplicaWvectorSearch::kLanes);
    for (std::size_t s = 0; s + 1 < sets.size(); ++s) fair.draw(99, s, sets[s]);
    for (const basic_record_t& record : c.domain) sets.back().push_back(record.result);

    const ReplicaWvectorSearch search(input);
    ReplicaWvectorSearch::Workspace workspace(search);
    std::vector<float> together(sets.size());
    search.bestScores(sets, together, workspace);

    bool anyAccepted = false;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        SCOPED_TRACE("set " + std::to_string(s));
        const float expected = searchedScore(c, sets[s]);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(together[s]), std::bit_cast<std::uint32_t>(expected))
            << together[s] << " instead of " << expected;
        float alone = -1.0f;
        search.bestScores(std::span(sets).subspan(s, 1), std::span(&alone, 1), workspace);
        EXPECT_EQ(alone, together[s]) << "a set's score does not depend on its neighbours";
        anyAccepted = anyAccepted || expected > 0.0f;
    }
    if (c.domain.size() >= 300) {
        EXPECT_TRUE(anyAccepted) << "the case should accept some vector";
    }
}

INSTANTIATE_TEST_SUITE_P(SyntheticDomains, SharedSearchEqualsOpt, ::testing::ValuesIn(replicaCases()),
                         [](const ::testing::TestParamInfo<ReplicaCase>& param) { return param.param.name; });

}  // namespace
}  // namespace karvola
