#pragma once

#include <cstddef>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace karvola::soak {

// What karvola-service must answer the program's own three exchanges with.
struct ExpectedReplies {
    std::string directory;  // GET /referals.txt
    std::string advert;     // GET /advert.txt
    std::string upcoming;   // POST /download_upcomings_service.php with a known key
    std::string knownKey;
};

struct SoakTarget {
    int port = 0;
    const ExpectedReplies* expected = nullptr;
};

// How one exchange ended.
struct Outcome {
    std::string result{};                  // what came back: "200", "413", "no answer", "closed by the client"...
    std::string failure{};                 // empty unless the service answered otherwise than it must, or not in time
    std::size_t validRequests = 0;         // requests the program itself sends, answered or not
    std::size_t validAnswered = 0;         // those of them answered with their exact reply in time
    std::vector<double> validLatencies{};  // ms, one per valid request answered in the program's own pace
};

using Random = std::mt19937_64;

// One kind of exchange: what it sends and the answer the service owes it.
struct ExchangeKind {
    std::string_view name;
    bool valid = false;  // a request the program itself sends
    int weight = 1;      // how often it is picked against the others of its table
    Outcome (*run)(const SoakTarget& target, Random& random) = nullptr;
};

// Exchanges that take milliseconds, for the soak's busy clients: the program's
// requests and a broken or hostile client's.
[[nodiscard]] std::span<const ExchangeKind> QuickExchanges();
// Exchanges that take seconds on purpose: requests sent in slow pieces, and
// connections that stall or idle until the service must drop them.
[[nodiscard]] std::span<const ExchangeKind> SlowExchanges();

// The three exchanges as the program sends them: each must get 200 and its exact
// reply. Empty when all did, else what went wrong.
[[nodiscard]] std::string CheckProgramExchanges(const SoakTarget& target);

}  // namespace karvola::soak
