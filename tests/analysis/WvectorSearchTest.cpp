#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"

namespace karvola {
namespace {

// ---------------------------------------------------------------- runs test

// 36 characters with 17 wins and 19 losses: 2 runs (suspicious, at most the
// lower bound 12), 35 runs (suspicious, at least the upper bound 26), or 18
// runs (between the bounds).
const std::string kClustered = std::string(17, '1') + std::string(19, '0');
const std::string kAlternating = [] {
    std::string chunk = "0";
    for (int k = 0; k < 17; ++k) chunk += "10";
    return chunk + "0";
}();
const std::string kUnremarkable = [] {
    std::string chunk;
    for (int k = 0; k < 8; ++k) chunk += "1100";
    return chunk + "1000";  // 17 wins, 19 losses, 18 runs
}();

// t chunks of which the first s are suspicious.
std::string chunks(int tested, int suspicious) {
    std::string sequence;
    for (int k = 0; k < tested; ++k) sequence += k < suspicious ? kClustered : kUnremarkable;
    return sequence;
}

TEST(RunsTest, TheChunksAreAsSuspiciousAsTheirRunsSay) {
    ASSERT_EQ(kClustered.size(), 36U);
    ASSERT_EQ(kAlternating.size(), 36U);
    ASSERT_EQ(kUnremarkable.size(), 36U);
    EXPECT_FALSE(RunsTestPasses(kClustered));    // t = 1, s = 1
    EXPECT_FALSE(RunsTestPasses(kAlternating));  // too many runs
    EXPECT_TRUE(RunsTestPasses(kUnremarkable));  // t = 1, s = 0
}

TEST(RunsTest, SequencesAreCutIntoChunksOf36) {
    struct Case {
        const char* name;
        std::string sequence;
        bool passes;
    };
    const Case cases[] = {
        {"72 bets: two chunks, one suspicious", kClustered + kUnremarkable, true},
        {"72 bets: two suspicious chunks", kClustered + kAlternating, false},
        {"73 bets: the last chunk of one bet is never tested", kClustered + kUnremarkable + "1", true},
        {"73 bets: two suspicious chunks and an untested one", kClustered + kClustered + "0", false},
        {"37 bets: only the first chunk is tested", kClustered + "1", false},
        {"a suspicious chunk shifted by one bet is not", "1" + kClustered.substr(0, 35) + kUnremarkable, true},
        {"no bet: nothing tested", "", false},
        {"only wins: no chunk has a bound", std::string(100, '1'), false},
        {"equal counts are never tested", std::string(18, '1') + std::string(18, '0'), false},
    };
    for (const Case& c : cases) EXPECT_EQ(RunsTestPasses(c.sequence), c.passes) << c.name;
}

TEST(RunsTest, TheShareOfSuspiciousChunksDecides) {
    struct Case {
        int tested;
        int suspicious;
        bool passes;
    };
    // Below 100 tested chunks z is the arcsine form, from 100 on the normal approximation;
    // 10 of 99 passes only in the first and 10 of 100 fails only in the second.
    const Case cases[] = {
        {20, 3, true}, {20, 4, false}, {99, 10, true}, {100, 9, true}, {100, 10, false}, {150, 5, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunsTestPasses(chunks(c.tested, c.suspicious)), c.passes)
            << c.suspicious << " of " << c.tested << " chunks suspicious";
    }
}

TEST(RunsTest, TableLookupsTakeTheSmallerCountAsRow) {
    struct Case {
        int wins;
        int losses;
        int lower;
        int upper;
    };
    const Case cases[] = {
        {6, 7, 3, 12},     // the first defined entries
        {7, 6, 3, 12},     // the same cell either way round
        {6, 11, 4, 13},    // the last UPPER entry of row 6
        {6, 12, 4, -1},    // beyond it only LOWER is defined
        {10, 20, 9, 20},   //
        {17, 19, 12, 26},  //
        {29, 30, 22, 39},  // the last entries
        {5, 20, -1, -1},   // rows 1 to 5 are empty
        {12, 12, -1, -1},  // equal counts
        {0, 36, -1, -1},   // a count outside 1..29
        {6, 31, -1, -1},   // a count outside 1..30
        {30, 30, -1, -1},  //
        {31, 6, -1, -1},   //
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunsLowerBound(c.wins, c.losses), c.lower) << c.wins << " / " << c.losses;
        EXPECT_EQ(RunsUpperBound(c.wins, c.losses), c.upper) << c.wins << " / " << c.losses;
    }
}

// --------------------------------------------------------------- halves test

// The first half with that many wins out of m, the second with that many out of k.
std::string halves(int m, int winsFirst, int k, int winsSecond) {
    return std::string(winsFirst, '1') + std::string(m - winsFirst, '0') + std::string(winsSecond, '1') +
           std::string(k - winsSecond, '0');
}

TEST(HalvesTest, PassesWhenBothHalvesWinAlike) {
    struct Case {
        const char* name;
        std::string sequence;
        bool passes;
    };
    const Case cases[] = {
        // k < 100: f = c x (difference of the arcsine transforms), c = m k / (m + k) = 37.5.
        {"75 + 75, 38 and 37 wins: f = 1.0", halves(75, 38, 75, 37), true},
        {"75 + 75, 40 and 35 wins: f = 5.0", halves(75, 40, 75, 35), false},
        {"75 + 75, every first-half bet won, none after", halves(75, 75, 75, 0), false},
        // k >= 100: f = (d - e) / sqrt(g (1 - g) / c), c = 50.
        {"100 + 100, 60 and 42 wins: f = 2.55", halves(100, 60, 100, 42), true},
        {"100 + 100, 60 and 41 wins: f = 2.69", halves(100, 60, 100, 41), false},
        {"100 + 100, 41 and 60 wins: f = -2.69", halves(100, 41, 100, 60), false},
        {"100 + 101: the odd bet belongs to the second half", halves(100, 50, 101, 51), true},
        {"all won: the denominator is 0", std::string(200, '1'), false},
        {"all lost: the denominator is 0", std::string(200, '0'), false},
        {"no bet", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(HalvesTestPasses(c.sequence), c.passes) << c.name;
}

// ------------------------------------------------------ grid, span and score

TEST(WvectorGrid, CandidatesCarryTheOffsets) {
    const wvector first = GridCandidate(105, 105, 120);
    EXPECT_EQ(first.kmin, 1.0499f);
    EXPECT_EQ(first.kMax, 1.2001f);
    EXPECT_EQ(first.CRZ, 1.0499f);
    const wvector last = GridCandidate(260, 1000, 1000);
    EXPECT_EQ(last.kmin, 9.9999f);
    EXPECT_EQ(last.kMax, 10.0001f);
    EXPECT_EQ(last.CRZ, 2.5999f);
}

TEST(WvectorGrid, SpanIsTheWidthInImpliedProbability) {
    const wvector window = GridCandidate(105, 200, 400);  // 1/2 - 1/4, a little wider for the offsets
    EXPECT_TRUE(ExceedsSpan(window, 0.25));
    EXPECT_FALSE(ExceedsSpan(window, 0.2501));
    EXPECT_FALSE(ExceedsSpan(GridCandidate(105, 400, 200), 0.0));  // kMax below kmin: negative span
    EXPECT_TRUE(ExceedsSpan(GridCandidate(105, 400, 400), 0.0));
}

TEST(WvectorGrid, ScoreGrowsWithBetsAndYield) {
    EXPECT_EQ(CandidateScore(101, 0.1f), 8.585f);  // 8.5 x 1.01
    EXPECT_EQ(CandidateScore(100, 0.5f), 0.0f);    // exactly 100 bets never wins
    EXPECT_EQ(CandidateScore(200, 0.0f), 2.0f);
    EXPECT_EQ(CandidateScore(1000, 0.02f), 25.0f);
}

TEST(WvectorGrid, ThresholdIsAShareOfHiMinusLo) {
    SearchInput input;
    input.lo = 1;
    input.hi = 1001;
    input.bndPercent = 12;
    EXPECT_EQ(BetThreshold(input), 120.0);
    input.hi = 1;
    EXPECT_EQ(BetThreshold(input), 0.0);
}

// ------------------------------------------------ the fast and the plain search

// Thread-safe: the fast search calls from its workers.
class RecordingObserver final : public SearchObserver {
public:
    void progressChanged(int percent) override {
        const std::lock_guard lock(m_mutex);
        percents.push_back(percent);
    }
    void bestChanged(const wvector& best) override {
        const std::lock_guard lock(m_mutex);
        bests.push_back(best);
    }
    std::vector<int> percents;
    std::vector<wvector> bests;

private:
    std::mutex m_mutex;
};

// Deterministic odds and results: mt19937's output is fixed by the standard, the
// mapping to numbers is ours (the library's distributions are not portable).
class DomainMaker {
public:
    explicit DomainMaker(std::uint32_t seed) : m_engine(seed) {}

    double uniform(double from, double to) {
        return from + (to - from) * (static_cast<double>(m_engine()) / 4294967296.0);
    }

    static float twoDecimals(double odds) { return static_cast<float>(std::round(odds * 100.0) / 100.0); }

    // Bookmaker odds with a 5% margin; the result follows the fair probabilities,
    // with favourites priced in [edgeFrom, edgeTo] winning that much more often.
    basic_record_t match(double edge, double edgeFrom, double edgeTo) {
        const double home = uniform(0.12, 0.78);
        const double draw = uniform(0.18, 0.32) * (1.0 - home) / 0.75;
        const double probabilities[3] = {home, draw, 1.0 - home - draw};
        basic_record_t record;
        record.odds1 = twoDecimals(1.0 / (probabilities[0] * 1.05));
        record.odds0 = twoDecimals(1.0 / (probabilities[1] * 1.05));
        record.odds2 = twoDecimals(1.0 / (probabilities[2] * 1.05));
        const float favourite = std::min({record.odds1, record.odds0, record.odds2});
        const double boost = favourite >= edgeFrom && favourite <= edgeTo ? edge : 0.0;
        const double draw0 = uniform(0.0, 1.0);
        const double p1 = probabilities[0] + (record.odds1 == favourite ? boost : -boost / 2);
        const double p0 = probabilities[1] + (record.odds0 == favourite ? boost : -boost / 2);
        record.result = draw0 < p1 ? '1' : draw0 < p1 + p0 ? '0' : '2';
        return record;
    }

    // A domain of real-looking odds where short favourites are underpriced.
    ResearchDomain mixed(int count) {
        ResearchDomain domain;
        for (int k = 0; k < count; ++k) domain.push_back(match(0.08, 1.3, 2.2));
        return domain;
    }

    // Odds from a few values only: many neighbouring windows hold the same bets
    // and so reach the same score.
    ResearchDomain fewOdds(int count) {
        static constexpr float kLevels[] = {1.5f, 2.2f, 3.1f, 4.4f, 7.0f};
        ResearchDomain domain;
        for (int k = 0; k < count; ++k) {
            basic_record_t record;
            record.odds1 = kLevels[m_engine() % 5];
            record.odds0 = kLevels[m_engine() % 5];
            record.odds2 = kLevels[m_engine() % 5];
            const std::uint32_t pick = m_engine() % 100;
            record.result = pick < 48 ? '1' : pick < 75 ? '0' : '2';
            domain.push_back(record);
        }
        return domain;
    }

    // Odds exactly on grid values, so that every bound's comparison decides the
    // winner: the draw at 2.6001 (a kMax) is worth backing only when the home
    // favourite is priced 1.9999 (a kmin and a CRZ), not when it is 1.9499; a
    // draw at 2.0499 (a kmin) is worth backing too.
    ResearchDomain oddsOnGridValues(int count) {
        ResearchDomain domain;
        for (int k = 0; k < count; ++k) {
            const std::uint32_t kind = m_engine() % 100;
            const std::uint32_t pick = m_engine() % 100;
            basic_record_t record;
            record.odds0 = 2.6001f;
            record.odds2 = 3.2f;
            if (kind < 70) {
                record.odds1 = 1.9999f;
                record.result = pick < 45 ? '0' : pick < 78 ? '1' : '2';
            } else if (kind < 88) {
                record.odds1 = 1.9499f;
                record.result = pick < 28 ? '0' : pick < 73 ? '1' : '2';
            } else {
                record.odds1 = 1.9999f;
                record.odds0 = 2.0499f;
                record.result = pick < 55 ? '0' : pick < 75 ? '1' : '2';
            }
            domain.push_back(record);
        }
        return domain;
    }

    // Home wins at exactly 2.00 half of the time, in an order that passes both
    // randomness tests: a yield of exactly 0, which never counts as a profit.
    ResearchDomain breakEven(int count) {
        std::string sequence = std::string(count / 2, '1') + std::string(count / 2, '0');
        do {
            for (std::size_t k = sequence.size() - 1; k > 0; --k)
                std::swap(sequence[k], sequence[m_engine() % (k + 1)]);
        } while (!RunsTestPasses(sequence) || !HalvesTestPasses(sequence));
        ResearchDomain domain;
        for (const char bet : sequence) {
            basic_record_t record;
            record.odds1 = 2.0f;
            record.odds0 = 3.0f;
            record.odds2 = 12.0f;  // never inside a window
            record.result = bet == '1' ? '1' : '2';
            domain.push_back(record);
        }
        return domain;
    }

    // Favourites below 1.90 always win, favourites from 2.50 on always lose.
    ResearchDomain certainties(int count) {
        ResearchDomain domain = mixed(count);
        for (basic_record_t& record : domain) {
            const float favourite = std::min({record.odds1, record.odds0, record.odds2});
            const char favouriteDigit = favourite == record.odds1 ? '1' : favourite == record.odds0 ? '0' : '2';
            if (favourite < 1.9f) record.result = favouriteDigit;
            if (favourite >= 2.5f && record.result == favouriteDigit) record.result = favouriteDigit == '2' ? '1' : '2';
        }
        return domain;
    }

private:
    std::mt19937 m_engine;
};

// Odds the rule must treat with care: NaN and infinite odds, and favourites priced
// exactly at a grid value (kmin and CRZ i x 0.01 - 0.0001, kMax j x 0.01 + 0.0001).
ResearchDomain withAwkwardOdds(ResearchDomain domain) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (std::size_t k = 0; k < domain.size(); ++k) {
        basic_record_t& record = domain[k];
        const int step = static_cast<int>(k % 20);
        if (k % 37 == 0) {
            switch (k % 4) {
                case 0:
                    record.odds1 = nan;
                    break;
                case 1:
                    record.odds0 = infinity;
                    break;
                case 2:
                    record.odds2 = -infinity;
                    break;
                default:
                    record.odds1 = record.odds2 = nan;
                    break;
            }
        } else if (k % 11 == 0) {
            record.odds1 = GridCandidate(150 + 5 * step, 150 + 5 * step, 120).kmin;
            record.odds0 = 3.6f;
            record.odds2 = 5.1f;
        } else if (k % 11 == 5) {
            record.odds1 = 4.2f;
            record.odds0 = 3.4f;
            record.odds2 = GridCandidate(105, 105, 150 + 5 * step).kMax;
        }
    }
    return domain;
}

// What a case must show besides the equality of the two searches.
enum class Expect { BEST_FOUND, NOTHING_ACCEPTED, TIE_AT_THE_TOP, ALL_WON_WINDOW_REJECTED };

struct SearchCase {
    const char* name;
    ResearchDomain domain;
    double bndPercent = 12.0;
    double span = 1.0;
    Expect expect = Expect::BEST_FOUND;
};

void PrintTo(const SearchCase& c, std::ostream* out) {
    *out << c.name;
}

// Small domains: the plain search walks every record at each of the 931,728 points.
std::vector<SearchCase> searchCases() {
    std::vector<SearchCase> cases;
    cases.push_back({"AwkwardOdds", withAwkwardOdds(DomainMaker(11).mixed(300))});
    cases.push_back({"Threshold80", DomainMaker(11).mixed(260), 80.0});
    cases.push_back({"OddsOnGridValues", DomainMaker(29).oddsOnGridValues(270)});
    cases.push_back({"FewOddsEqualScores", DomainMaker(5).fewOdds(250), 12.0, 1.0, Expect::TIE_AT_THE_TOP});
    cases.push_back(
        {"CertainWinsAndLosses", DomainMaker(7).certainties(260), 12.0, 1.0, Expect::ALL_WON_WINDOW_REJECTED});
    cases.push_back({"SmallSpan", DomainMaker(17).mixed(300), 12.0, 0.05});
    cases.push_back({"SpanZero", DomainMaker(17).mixed(60), 12.0, 0.0, Expect::NOTHING_ACCEPTED});
    cases.push_back({"BreakEven", DomainMaker(31).breakEven(120), 12.0, 1.0, Expect::NOTHING_ACCEPTED});
    cases.push_back({"Under100Matches", DomainMaker(19).mixed(45), 12.0, 1.0, Expect::NOTHING_ACCEPTED});
    cases.push_back({"Empty", ResearchDomain{}, 12.0, 1.0, Expect::NOTHING_ACCEPTED});
    return cases;
}

std::uint32_t bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

std::vector<std::uint32_t> bits(const std::vector<float>& values) {
    std::vector<std::uint32_t> result;
    for (const float value : values) result.push_back(bits(value));
    return result;
}

void expectSameVector(const wvector& actual, const wvector& expected) {
    EXPECT_EQ(bits(actual.kmin), bits(expected.kmin));
    EXPECT_EQ(bits(actual.kMax), bits(expected.kMax));
    EXPECT_EQ(bits(actual.CRZ), bits(expected.CRZ));
}

void expectSameOutcome(const SearchOutcome& actual, const SearchOutcome& expected) {
    EXPECT_EQ(actual.completed, expected.completed);
    expectSameVector(actual.best, expected.best);
    const statistics_t& a = actual.statistics;
    const statistics_t& e = expected.statistics;
    EXPECT_EQ(a.total_bets, e.total_bets);
    EXPECT_EQ(a.winning_bets, e.winning_bets);
    EXPECT_EQ(bits(a.average_yield), bits(e.average_yield));
    EXPECT_EQ(bits(a.pessimistic_yield), bits(e.pessimistic_yield));
    EXPECT_EQ(bits(a.okf), bits(e.okf));
    EXPECT_EQ(bits(a.bankroll_multiplier), bits(e.bankroll_multiplier));
    EXPECT_EQ(bits(a.winning_odds), bits(e.winning_odds));
    EXPECT_EQ(bits(a.average_winning_odds), bits(e.average_winning_odds));
    EXPECT_EQ(bits(a.odds), bits(e.odds));
    EXPECT_EQ(bits(a.average_odds), bits(e.average_odds));
}

// Whether the next grid point along CRZ, kmin or kMax bets exactly as the best does.
bool hasLaterTwin(std::span<const basic_record_t> range, const wvector& best) {
    const auto hundredths = [](float value) { return static_cast<int>(std::lround(value * 100.0f)); };
    const int c = hundredths(best.CRZ);
    const int i = hundredths(best.kmin);
    const int j = hundredths(best.kMax);
    const std::string sequence = WvectorWinLossSequence(best, range);
    for (const wvector& next : {GridCandidate(c + 5, i, j), GridCandidate(c, i + 5, j), GridCandidate(c, i, j + 5)}) {
        if (WvectorWinLossSequence(next, range) != sequence) continue;
        statistics_t a;
        statistics_t b;
        EvaluateWvector(best, range, a);
        EvaluateWvector(next, range, b);
        if (a.odds == b.odds) return true;
    }
    return false;
}

SearchInput inputFor(const SearchCase& c) {
    SearchInput input;
    input.range = c.domain;
    input.lo = c.domain.empty() ? 0 : 1;
    input.hi = static_cast<int>(c.domain.size());
    input.bndPercent = c.bndPercent;
    input.maximalSpan = c.span;
    return input;
}

class FastSearchEqualsReference : public ::testing::TestWithParam<SearchCase> {};

TEST_P(FastSearchEqualsReference, OnEveryThreadCount) {
    const SearchCase& c = GetParam();
    const SearchInput input = inputFor(c);
    std::atomic<bool> breakRequested{false};

    RecordingObserver referenceObserver;
    const SearchOutcome reference = ReferenceWvectorSearch(input, breakRequested, referenceObserver);
    ASSERT_TRUE(reference.completed);
    if (c.expect == Expect::NOTHING_ACCEPTED) {
        expectSameOutcome(reference, SearchOutcome{true, {}, statistics_t{}});
    } else {
        ASSERT_GT(reference.statistics.total_bets, 100U) << "the case should find a best vector";
        ASSERT_FALSE(referenceObserver.bests.empty());
        expectSameVector(referenceObserver.bests.back(), reference.best);
    }
    if (c.expect == Expect::TIE_AT_THE_TOP) {
        // A later grid point with the same bets has the same score and sequence.
        EXPECT_TRUE(hasLaterTwin(input.range, reference.best));
    }
    if (c.expect == Expect::ALL_WON_WINDOW_REJECTED) {
        // Favourites up to 1.85 all won: only the randomness tests keep this window
        // out, and it comes before anything the search accepts.
        statistics_t allWon;
        EvaluateWvector(GridCandidate(105, 105, 185), input.range, allWon);
        ASSERT_GT(allWon.total_bets, 100U);
        ASSERT_EQ(allWon.winning_bets, allWon.total_bets);
        EXPECT_GT(allWon.average_yield, 0.0f);
        EXPECT_LT(reference.statistics.winning_bets, reference.statistics.total_bets);
    }

    for (const unsigned threads : {1U, 2U, 3U}) {
        SCOPED_TRACE("threads: " + std::to_string(threads));
        RecordingObserver observer;
        const SearchOutcome fast = FastWvectorSearch(input, breakRequested, observer, threads);
        expectSameOutcome(fast, reference);
        EXPECT_FALSE(breakRequested.load());

        // The progress only grows, and the last best shown is the one reported.
        for (std::size_t k = 1; k < observer.percents.size(); ++k) {
            EXPECT_LT(observer.percents[k - 1], observer.percents[k]);
        }
        ASSERT_FALSE(observer.percents.empty());
        EXPECT_EQ(observer.percents.back(), 100);
        if (c.expect == Expect::NOTHING_ACCEPTED) {
            EXPECT_TRUE(observer.bests.empty());
        } else {
            ASSERT_FALSE(observer.bests.empty());
            expectSameVector(observer.bests.back(), reference.best);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SyntheticDomains, FastSearchEqualsReference, ::testing::ValuesIn(searchCases()),
                         [](const ::testing::TestParamInfo<SearchCase>& param) { return param.param.name; });

TEST(WvectorSearch, ReferenceReportsProgressEvery9317Points) {
    const SearchInput input;  // no records: every candidate is evaluated and skipped
    std::atomic<bool> breakRequested{false};
    RecordingObserver observer;
    ReferenceWvectorSearch(input, breakRequested, observer);
    ASSERT_EQ(observer.percents.size(), 100U);  // 931,728 points
    EXPECT_EQ(observer.percents.front(), 0);    // 9,317 x 100 / 931,728
    EXPECT_EQ(observer.percents[1], 1);
    EXPECT_EQ(observer.percents.back(), 99);
}

TEST(WvectorSearch, ABreakRequestStopsEitherSearchAndIsCleared) {
    const ResearchDomain domain = DomainMaker(3).mixed(300);
    SearchInput input;
    input.range = domain;
    input.lo = 1;
    input.hi = 300;
    std::atomic<bool> breakRequested{true};
    RecordingObserver observer;

    const SearchOutcome reference = ReferenceWvectorSearch(input, breakRequested, observer);
    EXPECT_FALSE(reference.completed);
    EXPECT_FALSE(breakRequested.load());

    for (const unsigned threads : {1U, 2U}) {
        breakRequested = true;
        const SearchOutcome fast = FastWvectorSearch(input, breakRequested, observer, threads);
        EXPECT_FALSE(fast.completed);
        EXPECT_FALSE(breakRequested.load());
    }
    EXPECT_TRUE(observer.bests.empty());
}

// A break while the workers run: taken at the next block, whichever worker sees it.
TEST(WvectorSearch, ABreakDuringTheFastSearchStopsIt) {
    const ResearchDomain domain = DomainMaker(3).mixed(2000);
    SearchInput input;
    input.range = domain;
    input.lo = 1;
    input.hi = 2000;
    std::atomic<bool> breakRequested{false};

    class BreakingObserver final : public SearchObserver {
    public:
        explicit BreakingObserver(std::atomic<bool>& flag) : m_flag(flag) {}
        void progressChanged(int percent) override {
            if (percent >= 10) m_flag = true;
        }

    private:
        std::atomic<bool>& m_flag;
    } observer(breakRequested);

    const SearchOutcome fast = FastWvectorSearch(input, breakRequested, observer, 2);
    EXPECT_FALSE(fast.completed);
    EXPECT_FALSE(breakRequested.load());
}

}  // namespace
}  // namespace karvola
