#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

#include "analysis/statistics_t.h"
#include "common/wvector.h"
#include "database/basic_record_t.h"

namespace karvola {

// What one search of the wvector grid works on, read once when it starts.
struct SearchInput {
    std::span<const basic_record_t> range;  // the records LO..HI
    int lo = 0;
    int hi = 0;
    double bndPercent = 12.0;  // minimal number of bets, in percent of HI - LO
    double maximalSpan = 1.0;  // largest 1/kmin - 1/kMax allowed
};

struct SearchOutcome {
    bool completed = false;  // false when a break request stopped it
    wvector best;            // {0, 0, 0} when no candidate was accepted
    statistics_t statistics;
};

// Progress of a running search. The calls come from the searching threads: the
// fast search calls from any of its workers (never two calls at once, and the
// percentages in increasing order), so an implementation must be safe to call
// from a thread other than the one that started the search.
class SearchObserver {
public:
    virtual ~SearchObserver() = default;
    virtual void progressChanged(int /*percent*/) {}
    // A new best vector so far, for the progress hint.
    virtual void bestChanged(const wvector& /*best*/) {}
};

inline constexpr std::uint32_t kGridPoints = 931'728;

// The grid point (CRZ c, kmin i, kMax j in hundredths) as a wvector with the offsets.
wvector GridCandidate(int c, int i, int j);
// Whether the odds window is too wide: 1/kmin - 1/kMax above the span.
bool ExceedsSpan(const wvector& candidate, double maximalSpan);
// The minimal number of bets: BND% x 0.01 x (HI - LO).
double BetThreshold(const SearchInput& input);
// The score of a candidate with that many bets and that average yield; 0 for 100 bets or fewer.
float CandidateScore(std::uint32_t bets, float averageYield);
// The runs-test bounds for a chunk of that many wins and losses; -1 where none is defined.
// Suspicious: at least 2 and at most the lower bound runs, or at least the upper bound.
int RunsLowerBound(int wins, int losses);
int RunsUpperBound(int wins, int losses);
// The randomness checks of a win/loss sequence.
bool RunsTestPasses(std::string_view sequence);
bool HalvesTestPasses(std::string_view sequence);

// The search as written: every grid point in order, each walking the range.
// Slow; kept as the reference the fast search must equal.
SearchOutcome ReferenceWvectorSearch(const SearchInput& input, std::atomic<bool>& breakRequested,
                                     SearchObserver& observer);

// The same result, computed on several threads with one pass over the range per
// (CRZ, kmin) pair. threads counts the calling thread, which works too; 0 counts
// as 1. A break request is taken at the next block of grid points; a stopped
// search returns completed = false and nothing else.
SearchOutcome FastWvectorSearch(const SearchInput& input, std::atomic<bool>& breakRequested, SearchObserver& observer,
                                unsigned threads);

}  // namespace karvola
