#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/WvectorSearch.h"

namespace karvola {

// A Monte Carlo test of opt's best score against the null hypothesis that the
// prices are fair: no rule has an edge beyond the margin. Each replica keeps
// every match's odds, draws its results from the normalised inverse odds
// (FairResults) and runs opt's search on them; the p-value is the share of
// replicas whose best score reaches the real one, (1 + reaching) / (1 + N).
struct SignificanceInput {
    SearchInput search;
    int replicas = 0;
    std::uint64_t seed = 1;
};

struct SignificanceResult {
    SearchOutcome real;                // opt's own search on the real results
    float realScore = 0.0f;            // its best score; 0 when it accepted nothing
    std::vector<float> replicaScores;  // in replica order
    std::size_t reaching = 0;          // replicas scoring at least the real score
    double pValue = 1.0;
};

// What a running test tells, from its threads, one call at a time.
class SignificanceObserver {
public:
    virtual ~SignificanceObserver() = default;
    // 0 to 100, in increasing order.
    virtual void progressChanged(int /*percent*/) {}
    virtual void replicasDone(int /*done*/, int /*replicas*/) {}
};

// Uses `threads` threads (the calling one among them). The result is the same
// for any number of threads. Nothing when a break request stopped it.
std::optional<SignificanceResult> RunSignificance(const SignificanceInput& input, std::atomic<bool>& breakRequested,
                                                  SignificanceObserver& observer, unsigned threads);

// The best score of a search's outcome: 0 when it accepted no candidate.
float BestScore(const SearchOutcome& outcome);
// The p-value with the usual +1 correction: the real result counts as one of
// the draws, so it is never 0.
double MonteCarloPValue(std::size_t reaching, std::size_t replicas);
// The nearest-rank percentile of scores sorted in ascending order: the
// smallest score with at least that share of the scores at or below it.
float NearestRank(std::span<const float> sorted, double share);

}  // namespace karvola
