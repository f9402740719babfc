#include "wizard/BettingExchanges.h"

#include <algorithm>
#include <array>

namespace karvola {

namespace {

// football-data.co.uk's notes name one exchange: Betfair Exchange. Betfair's
// sportsbook (BF) is a bookmaker like the others.
constexpr std::array<std::string_view, 1> kExchanges = {"BFE"};

}  // namespace

bool IsBettingExchange(std::string_view code) {
    return std::find(kExchanges.begin(), kExchanges.end(), code) != kExchanges.end();
}

std::vector<std::string> WithoutBettingExchanges(const std::vector<std::string>& names,
                                                 std::vector<std::string>& leftOut) {
    std::vector<std::string> kept;
    for (const std::string& name : names) (IsBettingExchange(name) ? leftOut : kept).push_back(name);
    return kept;
}

}  // namespace karvola
