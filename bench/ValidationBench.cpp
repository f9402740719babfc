// The validations of opt against opt itself, on the first matches of europe5
// (struct *, BND% 12, span 1), with every hardware thread as in the program:
//
//   :significance 200 on 2,000 matches   target: within 50 x one opt
//   :walkforward 10 on 10,000 matches    target: within 15 x one opt
//
//   validation_bench    (KARVOLA_SHARED_DATA overrides the data folder)
//
// Each time is the best of a few runs. Exits 1 when a target is missed.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "Europe5Domain.h"
#include "analysis/WvectorSearch.h"
#include "validation/Significance.h"
#include "validation/WalkForward.h"

namespace {

template <typename Run>
double bestSeconds(int runs, Run&& run) {
    double best = std::numeric_limits<double>::infinity();
    for (int k = 0; k < runs; ++k) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

karvola::SearchInput firstMatches(const karvola::ResearchDomain& domain, std::size_t count) {
    karvola::SearchInput input;
    input.range = std::span<const karvola::basic_record_t>(domain).first(std::min(count, domain.size()));
    input.lo = 1;
    input.hi = static_cast<int>(input.range.size());
    input.bndPercent = 12;
    input.maximalSpan = 1;
    return input;
}

double optSeconds(const karvola::SearchInput& input, unsigned threads, int runs) {
    std::atomic<bool> never{false};
    karvola::SearchObserver quiet;
    return bestSeconds(runs, [&] { karvola::FastWvectorSearch(input, never, quiet, threads); });
}

bool report(const char* what, double seconds, double optSeconds, double target) {
    const double ratio = seconds / optSeconds;
    std::printf("%-40s %8.3f s = %5.1f x one opt (%.3f s)   target %2.0f x: %s\n", what, seconds, ratio, optSeconds,
                target, ratio <= target ? "met" : "MISSED");
    return ratio <= target;
}

}  // namespace

int main() {
    const auto loaded = karvola::bench::LoadEurope5Domain();
    if (!loaded) {
        std::fprintf(stderr, "cannot load %s\n", karvola::bench::Europe5Path().string().c_str());
        return 2;
    }
    const karvola::ResearchDomain& domain = *loaded;
    const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    std::printf("europe5, struct *, BND%% 12, span 1, %u threads\n", threads);
    bool met = true;

    {
        const karvola::SearchInput input = firstMatches(domain, 2000);
        const double opt = optSeconds(input, threads, 5);
        karvola::SignificanceInput significance{input, 200, 1};
        std::atomic<bool> never{false};
        karvola::SignificanceObserver quiet;
        std::optional<karvola::SignificanceResult> result;
        const double seconds =
            bestSeconds(3, [&] { result = karvola::RunSignificance(significance, never, quiet, threads); });
        met = report(":significance 200 on 2,000 matches", seconds, opt, 50) && met;
        std::printf("  real best score %.2f, p-value %.4f\n", static_cast<double>(result->realScore), result->pValue);
        // What the shared pass saves: a search of its own per replica would be one opt each.
        std::printf("  per replica %.2f ms, where a search of its own would take one opt, %.1f ms\n",
                    (seconds - opt) * 1000.0 / 200.0, opt * 1000.0);
    }
    {
        const karvola::SearchInput input = firstMatches(domain, 10000);
        const double opt = optSeconds(input, threads, 3);
        karvola::WalkForwardInput walkForward;
        walkForward.range = input.range;
        walkForward.lo = input.lo;
        walkForward.hi = input.hi;
        walkForward.bndPercent = input.bndPercent;
        walkForward.maximalSpan = input.maximalSpan;
        walkForward.folds = karvola::PlanFolds(input.lo, input.hi, 10, std::nullopt);
        std::atomic<bool> never{false};
        karvola::WalkForwardObserver quiet;
        const double seconds = bestSeconds(3, [&] { karvola::RunWalkForward(walkForward, never, quiet, threads); });
        met = report(":walkforward 10 on 10,000 matches", seconds, opt, 15) && met;
    }
    return met ? 0 : 1;
}
