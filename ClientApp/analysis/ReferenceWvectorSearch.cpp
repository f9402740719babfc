#include <string>

#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"

namespace karvola {

namespace {

constexpr std::uint32_t kProgressStep = 9'317;

}  // namespace

SearchOutcome ReferenceWvectorSearch(const SearchInput& input, std::atomic<bool>& breakRequested,
                                     SearchObserver& observer) {
    const double threshold = BetThreshold(input);
    std::uint32_t counter = 0;
    statistics_t working;
    statistics_t bestStatistics;
    wvector best{0.0f, 0.0f, 0.0f};
    double bestScore = 0.0;

    for (int c = 105; c <= 260; c += 5) {
        for (int i = c; i <= 1000; i += 5) {
            for (int j = 120; j <= 1000; j += 5) {
                ++counter;
                if (breakRequested.exchange(false)) return SearchOutcome{};
                if (counter % kProgressStep == 0) {
                    observer.progressChanged(static_cast<int>(counter * 100ULL / kGridPoints));
                }
                const wvector candidate = GridCandidate(c, i, j);
                if (ExceedsSpan(candidate, input.maximalSpan)) continue;

                EvaluateWvector(candidate, input.range, working);
                const std::uint32_t bets = working.total_bets;
                if (bets < 100 || working.average_yield <= 0.0f || bets < threshold) continue;
                const float score = CandidateScore(bets, working.average_yield);
                if (!(score > bestScore)) continue;

                const std::string sequence = WvectorWinLossSequence(candidate, input.range);
                if (!RunsTestPasses(sequence) || !HalvesTestPasses(sequence)) continue;

                best = candidate;
                bestStatistics = working;
                bestScore = score;
                observer.bestChanged(best);
            }
        }
    }

    SearchOutcome outcome;
    outcome.completed = true;
    outcome.best = best;
    outcome.statistics = bestStatistics;
    if (outcome.statistics.total_bets == 0 || outcome.statistics.winning_bets == 0) {
        outcome.statistics.okf = 0.0f;
        outcome.statistics.bankroll_multiplier = 0.0f;
    }
    return outcome;
}

}  // namespace karvola
