#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace karvola {

// The statistics of one evaluated betting rule. Every value is a 32-bit float,
// each accumulation rounded to float when it is stored.
struct statistics_t {
    std::uint32_t total_bets = 0;
    std::uint32_t winning_bets = 0;
    float average_yield = 0.0f;       // the running sum of net returns while bets are settled
    float pessimistic_yield = -1.0f;  // lower confidence bound of the yield; -1 without bets
    float okf = 0.0f;                 // optimal Kelly fraction
    float bankroll_multiplier = 0.0f;
    std::vector<float> winning_odds;
    float average_winning_odds = 0.0f;  // their sum while bets are settled
    std::vector<float> odds;
    float average_odds = 0.0f;

    // The values of a new object; the lists keep their memory for the next run.
    void reset();
};

// How the Kelly fraction is bounded: a wvector's is used as computed, a
// prediction expression's is capped at 1.
enum class KellyCap { None, AtOne };

// Settles the bets of one evaluation, in research-domain order, into the
// statistics it was given (reset first), and turns the sums into the results.
class StatisticsAccumulator final {
public:
    explicit StatisticsAccumulator(statistics_t& statistics);
    ~StatisticsAccumulator();

    StatisticsAccumulator(const StatisticsAccumulator&) = delete;
    StatisticsAccumulator& operator=(const StatisticsAccumulator&) = delete;

    void settle(float odds, bool won);
    void finish(KellyCap cap);

private:
    statistics_t& m_statistics;
    float m_oddsSum = 0.0f;
    // Odds - 1 for a won bet, -1 for a lost one. Borrowed from a per-thread spare
    // and given back at the end, so repeated evaluations do not allocate.
    std::vector<float> m_returns;
};

// The standard deviation of a list of odds, each value and each squared
// deviation rounded to two decimals through text.
float OddsStandardDeviation(const std::vector<float>& odds);

// The entropy of the win/loss sequence; nothing without bets.
std::optional<float> SequenceEntropy(const statistics_t& statistics);

}  // namespace karvola
