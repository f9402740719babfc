#include "tools/BettingManager.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

#include "common/NumberTexts.h"

namespace karvola {

namespace {

// The two odds through which the expected-return line is drawn.
constexpr float kLowOdds = 1.45F;
constexpr float kHighOdds = 2.60F;
// A row whose bet takes no part keeps this text, with its comma.
constexpr const char* kNoStake = "0,00";

// Rounds to the nearest float; beyond the float range, where a plain conversion
// is undefined, to the infinity the rounding reaches.
float RoundToFloat(long double value) {
    // Half a unit in the last place above the largest float: from here on, rounding goes to infinity.
    constexpr long double kOverflow = 0x1p128L - 0x1p103L;
    if (std::isnan(value) || std::fabs(value) < kOverflow) return static_cast<float>(value);
    return value > 0.0L ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}

// "%.3f" with a point, whatever the locale.
std::string FormatThreeDecimals(long double value) {
    std::array<char, 5000> buffer{};  // the largest long double has 4933 integral digits
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 3);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::optional<float> KellyFraction(float odds, const BettingManagerParameters& parameters) {
    // At odds of 1 or less a won bet returns no more than its stake; the formula's
    // signs turn over below 1 and would stake on a certain loss.
    if (!(odds > 1.0F)) return std::nullopt;
    const long double inverseSpan = 1.0L / (static_cast<long double>(kHighOdds) - kLowOdds);
    const long double r1 = parameters.r1;
    const float expectedReturn =
        RoundToFloat(r1 + (parameters.r2 - r1) * (static_cast<long double>(odds) - kLowOdds) * inverseSpan);
    const float probability = RoundToFloat((1.0L + expectedReturn) / odds);
    const float fraction =
        RoundToFloat((static_cast<long double>(odds) * probability - 1.0L) / (static_cast<long double>(odds) - 1.0L));
    if (!(fraction > 0.0F) || fraction >= 1.0F) return std::nullopt;
    return fraction;
}

void AverageOverEveryOrder(std::span<event_t> events, float capital) {
    std::vector<std::size_t> order(events.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (event_t& event : events) event.stake = 0.0L;
    std::uint64_t orders = 0;
    do {
        float remaining = capital;
        for (const std::size_t index : order) {
            event_t& event = events[index];
            const float stake = event.fraction * remaining;
            remaining -= stake;
            event.stake += stake;
        }
        ++orders;
    } while (std::next_permutation(order.begin(), order.end()));
    for (event_t& event : events) event.stake /= static_cast<long double>(orders);
}

// Placed in a random order, a bet's stake is f x CB times the product of (1 - f_i)
// over the bets before it. A given set of k others comes first with probability
// k!(n-1-k)!/n!, so the mean is f x CB x sum_k e_k({1 - f_i}) k!(n-1-k)!/n!, e_k
// the elementary symmetric polynomials of the other bets. They are kept as means
// over their C(n-1,k) terms, e_k / C(n-1,k), which stay between 0 and 1 and need
// no factorials: the mean stake is then f x CB x (sum_k mean_k) / n.
void AverageInClosedForm(std::span<event_t> events, float capital) {
    const std::size_t n = events.size();
    std::vector<long double> means(n);
    for (std::size_t e = 0; e < n; ++e) {
        std::fill(means.begin(), means.end(), 0.0L);
        means[0] = 1.0L;
        std::size_t taken = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == e) continue;
            ++taken;
            const long double kept = 1.0L - events[j].fraction;
            const long double size = static_cast<long double>(taken);
            // Adding one value to the set: mean_k = ((m-k) mean_k + k x mean_(k-1)) / m.
            for (std::size_t k = taken; k >= 1; --k) {
                const long double weight = static_cast<long double>(k);
                means[k] = ((size - weight) * means[k] + weight * kept * means[k - 1]) / size;
            }
        }
        const long double sum = std::accumulate(means.begin(), means.end(), 0.0L);
        events[e].stake = static_cast<long double>(events[e].fraction) * capital * sum / static_cast<long double>(n);
    }
}

void AverageOverOrders(std::span<event_t> events, float capital) {
    if (events.size() <= kMaxEnumeratedEvents) {
        AverageOverEveryOrder(events, capital);
    } else {
        AverageInClosedForm(events, capital);
    }
}

BettingManagerResult ComputeStakes(std::span<const float> odds, const BettingManagerParameters& parameters) {
    BettingManagerResult result;
    result.stakes.assign(odds.size(), kNoStake);
    std::vector<event_t> events;
    for (std::size_t row = 0; row < odds.size(); ++row) {
        if (const auto fraction = KellyFraction(odds[row], parameters)) {
            events.push_back(
                {.odds = odds[row], .stake = 0.0L, .fraction = *fraction, .row = static_cast<std::int32_t>(row)});
        }
    }
    AverageOverOrders(events, parameters.capital);
    long double total = 0.0L;
    for (const event_t& event : events) {
        result.stakes[static_cast<std::size_t>(event.row)] = FormatTwoDecimalsExtended(event.stake);
        total += event.stake;
    }
    result.total = FormatTwoDecimalsExtended(total);
    result.capitalPercent = FormatThreeDecimals(total / parameters.capital * 100.0L);
    return result;
}

}  // namespace karvola
