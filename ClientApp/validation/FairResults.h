#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "database/basic_record_t.h"

namespace karvola {

// Results drawn as if the bookmakers' prices were fair: each match keeps its
// odds and gets a result drawn from the margin-free probabilities of those odds,
// the normalised inverse odds (1/odds divided by their sum over the three
// outcomes, the margin removed in proportion). A match whose odds are not all
// positive numbers has no such probabilities and keeps its real result.
//
// Replica k of a seed is the same on every run, whatever thread draws it: its
// random numbers come from a stream of its own (SplitMix64 started from the
// seed and k), and a result is a comparison of 53-bit integers.
class FairResults final {
public:
    explicit FairResults(std::span<const basic_record_t> range);

    // One result character per match, in range order.
    void draw(std::uint64_t seed, std::uint64_t replica, std::string& results) const;

    // The probabilities of a home win and of a draw for the odds (for tests).
    static std::pair<long double, long double> Probabilities(float odds1, float odds0, float odds2);

private:
    struct Thresholds {
        std::uint64_t home = 0;        // below: '1'
        std::uint64_t homeOrDraw = 0;  // below: '0', from here on '2'
        char fixed = 0;                // the real result, for a match without probabilities
    };
    std::vector<Thresholds> m_thresholds;
};

}  // namespace karvola
