#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// Whether football-data.co.uk's code names a betting exchange rather than a
// bookmaker: its prices are other bettors' offers before commission, often
// the best of an outcome, and would lift a rule's yield beyond what a
// bookmaker pays.
bool IsBettingExchange(std::string_view code);

// The names without the exchanges, in their order; the exchanges go to leftOut.
std::vector<std::string> WithoutBettingExchanges(const std::vector<std::string>& names,
                                                 std::vector<std::string>& leftOut);

}  // namespace karvola
