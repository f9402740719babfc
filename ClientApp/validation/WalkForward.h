#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Simulation.h"
#include "analysis/statistics_t.h"
#include "common/wvector.h"
#include "database/basic_record_t.h"

namespace karvola {

// One fold: the optimizer learns on the training matches and its vector is
// judged on the test block that follows them. Positions in the research domain,
// counted from 1 and inclusive.
struct FoldPlan {
    int trainFirst = 0;
    int trainLast = 0;
    int testFirst = 0;
    int testLast = 0;

    friend bool operator==(const FoldPlan&, const FoldPlan&) = default;
};

// LO..HI cut into folds + 1 consecutive blocks in domain order, their sizes
// differing by one at most; the first block only trains. Each test block trains
// on the `train` matches before it, or on all from LO when none is given.
// Throws std::logic_error with the user's text when the range cannot be cut so.
std::vector<FoldPlan> PlanFolds(int lo, int hi, int folds, std::optional<int> train);

struct WalkForwardInput {
    std::span<const basic_record_t> range;  // the records LO..HI
    int lo = 0;
    int hi = 0;
    double bndPercent = 12.0;
    double maximalSpan = 1.0;
    std::optional<int> train;  // as given to PlanFolds
    std::vector<FoldPlan> folds;
};

struct FoldResult {
    FoldPlan plan;
    wvector vector;            // the training's best; {0, 0, 0} when none was accepted
    statistics_t inSample;     // as opt reports it on the training matches
    statistics_t outOfSample;  // the vector on its test block
};

struct WalkForwardResult {
    std::vector<FoldResult> folds;
    statistics_t pooledInSample;     // every fold's training bets, fold after fold
    statistics_t pooledOutOfSample;  // every test bet, in domain order
    std::string outOfSampleSequence;
    // The test bets staked with their fold's training Kelly fraction (at most 1),
    // the bankroll starting from 1.
    std::vector<ChartPoint> outOfSampleBankroll;
};

// What a running validation tells: the fold it is at, and its progress in
// percent of the training matches searched so far. Calls come from the
// searching threads, one at a time.
class WalkForwardObserver {
public:
    virtual ~WalkForwardObserver() = default;
    virtual void foldStarted(int /*fold*/, int /*folds*/) {}
    virtual void progressChanged(int /*percent*/) {}
};

// Runs the optimizer's search on each fold's training matches and judges its
// vector on the test block. Nothing when a break request stopped it.
std::optional<WalkForwardResult> RunWalkForward(const WalkForwardInput& input, std::atomic<bool>& breakRequested,
                                                WalkForwardObserver& observer, unsigned threads);

}  // namespace karvola
