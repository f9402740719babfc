#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace karvola {

// One bet taking part in a computation of the betting manager.
struct event_t {
    float odds = 0.0F;
    long double stake = 0.0L;  // summed over the orders, then their mean
    float fraction = 0.0F;     // the Kelly fraction of the capital
    std::int32_t row = 0;      // the row it came from, counted from 0 among the rows computed
};

// The capital and the straight line of expected returns through two points:
// r1 at odds 1.45 and r2 at odds 2.60.
struct BettingManagerParameters {
    float capital = 1000.0F;
    float r1 = 0.07F;
    float r2 = 0.30F;
};

// The Kelly fraction of a bet at these odds under the expected-return line;
// none where it is not strictly between 0 and 1, and none for odds of 1 or
// less, which cannot win anything back.
[[nodiscard]] std::optional<float> KellyFraction(float odds, const BettingManagerParameters& parameters);

// Each event's stake becomes its mean over every order in which the bets could
// be placed, each stake a Kelly stake from what the bets before it left of the
// capital. The enumeration visits all n! orders; the closed form gives the same
// means in O(n^3).
void AverageOverEveryOrder(std::span<event_t> events, float capital);
void AverageInClosedForm(std::span<event_t> events, float capital);
// Up to this many bets every order is visited; beyond, the closed form answers.
inline constexpr std::size_t kMaxEnumeratedEvents = 8;
void AverageOverOrders(std::span<event_t> events, float capital);

// What Start writes: a stake per row ("0,00" for a row without a usable
// fraction), their total and the total as a percentage of the capital.
struct BettingManagerResult {
    std::vector<std::string> stakes;
    std::string total;
    std::string capitalPercent;
};

[[nodiscard]] BettingManagerResult ComputeStakes(std::span<const float> odds,
                                                 const BettingManagerParameters& parameters);

}  // namespace karvola
