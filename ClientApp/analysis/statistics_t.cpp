#include "analysis/statistics_t.h"

#include <charconv>
#include <cmath>
#include <string>

#include "common/NumberTexts.h"

namespace karvola {

namespace {

// The return list's memory, kept between evaluations of one thread. An
// accumulator takes it and gives it back when it ends; a second accumulator
// alive at the same time on the same thread simply starts with a list of its own.
thread_local std::vector<float> t_spareReturns;

// The value rounded to two decimals the way the report's figures are: written
// with "%.2f" and read back.
double throughTwoDecimals(double value) {
    const std::string text = FormatTwoDecimals(value);
    double parsed = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), parsed);
    return parsed;
}

// One term of the entropy; a probability of 0 contributes nothing.
long double entropyTerm(float probability) {
    if (probability == 0.0f) return 0.0L;
    const long double p = probability;
    return -p * std::log2(p);
}

}  // namespace

void statistics_t::reset() {
    total_bets = 0;
    winning_bets = 0;
    average_yield = 0.0f;
    pessimistic_yield = -1.0f;
    okf = 0.0f;
    bankroll_multiplier = 0.0f;
    winning_odds.clear();
    average_winning_odds = 0.0f;
    odds.clear();
    average_odds = 0.0f;
}

StatisticsAccumulator::StatisticsAccumulator(statistics_t& statistics) : m_statistics(statistics) {
    m_statistics.reset();
    m_returns.swap(t_spareReturns);
    m_returns.clear();
}

StatisticsAccumulator::~StatisticsAccumulator() {
    if (m_returns.capacity() > t_spareReturns.capacity()) m_returns.swap(t_spareReturns);
}

// Every sum is a float variable: each step is rounded to 32 bits when stored,
// and a won bet's yield is the -1 and the +odds as two separate roundings.
void StatisticsAccumulator::settle(float odds, bool won) {
    statistics_t& s = m_statistics;
    ++s.total_bets;
    s.average_yield = s.average_yield - 1.0f;
    m_oddsSum = m_oddsSum + odds;
    s.odds.push_back(odds);
    if (won) {
        ++s.winning_bets;
        s.average_yield = s.average_yield + odds;
        s.average_winning_odds = s.average_winning_odds + odds;
        s.winning_odds.push_back(odds);
        m_returns.push_back(odds - 1.0f);
    } else {
        m_returns.push_back(-1.0f);
    }
}

void StatisticsAccumulator::finish(KellyCap cap) {
    statistics_t& s = m_statistics;
    const std::uint32_t bets = s.total_bets;
    const std::uint32_t won = s.winning_bets;

    if (bets > 0) {
        s.average_yield = static_cast<float>(static_cast<long double>(s.average_yield) / bets);
        s.average_odds = static_cast<float>(static_cast<long double>(m_oddsSum) / bets);
    }
    if (won > 0) {
        s.average_winning_odds = static_cast<float>(static_cast<long double>(s.average_winning_odds) / won);
    }

    // Pessimistic yield: the mean less 1.28 standard errors. Each squared
    // deviation is formed in extended precision and added to the double sum,
    // which is rounded to double at every step; the variance and the standard
    // error are doubles; the bound is formed in extended precision and stored
    // as a float.
    const std::size_t n = m_returns.size();
    if (n == 0) {
        s.pessimistic_yield = -1.0f;
    } else {
        const long double average = s.average_yield;
        double squares = 0.0;
        for (const float r : m_returns) {
            const long double deviation = average - static_cast<long double>(r);
            squares = static_cast<double>(squares + deviation * deviation);
        }
        const double variance = n == 1 ? 0.0 : static_cast<double>(squares / static_cast<long double>(n - 1));
        const double standardError = std::sqrt(variance / static_cast<double>(n));
        s.pessimistic_yield =
            static_cast<float>(average - static_cast<long double>(1.28) * static_cast<long double>(standardError));
    }

    // Kelly: the fraction and the bankroll it grows, starting from 1, when every
    // bet stakes that fraction of the current bankroll.
    s.okf = 0.0f;
    s.bankroll_multiplier = 0.0f;
    if (s.average_yield > 0.0f) {
        float fraction = static_cast<float>(static_cast<long double>(s.average_yield) /
                                            (static_cast<long double>(s.average_odds) - 1.0L));
        if (cap == KellyCap::AtOne && fraction > 1.0f) fraction = 1.0f;
        float bankroll = 1.0f;
        for (const float r : m_returns) {
            const float stake = fraction * bankroll;
            bankroll = bankroll - stake;
            if (r > -1.0f) {
                bankroll = static_cast<float>(static_cast<long double>(bankroll) +
                                              (static_cast<long double>(r) + 1.0L) * stake);
            }
        }
        s.okf = fraction;
        s.bankroll_multiplier = bankroll;
    }
    if (bets == 0 || won == 0) {
        s.okf = 0.0f;
        s.bankroll_multiplier = 0.0f;
    }
}

float OddsStandardDeviation(const std::vector<float>& odds) {
    if (odds.empty()) return 0.0f;
    const auto count = static_cast<long double>(odds.size());

    float sum = 0.0f;
    for (const float v : odds) sum = static_cast<float>(sum + static_cast<long double>(throughTwoDecimals(v)));
    const auto mean = static_cast<float>(sum / count);

    float squares = 0.0f;
    for (const float v : odds) {
        const long double deviation = mean - static_cast<long double>(throughTwoDecimals(v));
        const double rounded = throughTwoDecimals(static_cast<double>(deviation * deviation));
        squares = static_cast<float>(squares + static_cast<long double>(rounded));
    }
    return static_cast<float>(std::sqrt(static_cast<double>(squares / count)));
}

std::optional<float> SequenceEntropy(const statistics_t& statistics) {
    if (statistics.total_bets == 0) return std::nullopt;
    const auto p = static_cast<float>(static_cast<long double>(statistics.winning_bets) / statistics.total_bets);
    const float q = 1.0f - p;
    return static_cast<float>(entropyTerm(q) + entropyTerm(p));
}

}  // namespace karvola
