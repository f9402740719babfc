#include "validation/Significance.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/ParallelWork.h"
#include "common/ProgressThrottle.h"
#include "validation/FairResults.h"
#include "validation/ReplicaWvectorSearch.h"

namespace karvola {

namespace {

// The real search's share of the progress bar: about what a few replicas cost.
constexpr int kRealSearchPercent = 10;

// The progress of every thread as one increasing percentage.
class Progress {
public:
    Progress(SignificanceObserver& observer, int replicas)
        : m_observer(observer),
          m_replicas(replicas),
          m_throttle([&observer](int percent) { observer.progressChanged(percent); }) {}

    void set(int percent) { m_throttle.update(percent); }

    void replicasDone(int count) {
        m_throttle.advance([&] {
            m_done += count;
            m_observer.replicasDone(m_done, m_replicas);
            return kRealSearchPercent + (100 - kRealSearchPercent) * m_done / std::max(m_replicas, 1);
        });
    }

private:
    SignificanceObserver& m_observer;
    int m_replicas;
    ProgressThrottle m_throttle;
    int m_done = 0;  // guarded by m_throttle's lock
};

class RealSearchProgress final : public SearchObserver {
public:
    explicit RealSearchProgress(Progress& progress) : m_progress(progress) {}
    void progressChanged(int percent) override { m_progress.set(percent * kRealSearchPercent / 100); }

private:
    Progress& m_progress;
};

// The replicas, shared out to the threads a pass of kLanes at a time.
class ReplicaRun {
public:
    ReplicaRun(const SignificanceInput& input, std::atomic<bool>& breakRequested, Progress& progress)
        : m_input(input),
          m_progress(progress),
          m_fair(input.search.range),
          m_search(input.search),
          m_scores(static_cast<std::size_t>(input.replicas)),
          m_share(m_scores.size(), ReplicaWvectorSearch::kLanes, breakRequested) {}

    void work() {
        ReplicaWvectorSearch::Workspace workspace(m_search);
        std::vector<std::string> results(ReplicaWvectorSearch::kLanes);
        std::vector<float> scores(ReplicaWvectorSearch::kLanes);
        WorkShare::Chunk chunk;
        while (m_share.take(chunk)) {
            for (std::size_t k = 0; k < chunk.size; ++k) m_fair.draw(m_input.seed, chunk.first + k, results[k]);
            m_search.bestScores(std::span(results).first(chunk.size), scores, workspace);
            std::copy_n(scores.begin(), chunk.size, m_scores.begin() + static_cast<std::ptrdiff_t>(chunk.first));
            m_progress.replicasDone(static_cast<int>(chunk.size));
        }
    }

    [[nodiscard]] bool stopped() const { return m_share.stopped(); }
    [[nodiscard]] std::vector<float> takeScores() { return std::move(m_scores); }

private:
    const SignificanceInput& m_input;
    Progress& m_progress;
    const FairResults m_fair;
    const ReplicaWvectorSearch m_search;
    std::vector<float> m_scores;  // each replica's slot written by the thread that ran it
    WorkShare m_share;
};

}  // namespace

float BestScore(const SearchOutcome& outcome) {
    if (outcome.statistics.total_bets == 0) return 0.0f;
    return CandidateScore(outcome.statistics.total_bets, outcome.statistics.average_yield);
}

double MonteCarloPValue(std::size_t reaching, std::size_t replicas) {
    return static_cast<double>(static_cast<long double>(reaching + 1) / static_cast<long double>(replicas + 1));
}

float NearestRank(std::span<const float> sorted, double share) {
    if (sorted.empty()) return 0.0f;
    // In doubles: 0.2 x 5 is 1 there, a hair above it in extended precision.
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

std::optional<SignificanceResult> RunSignificance(const SignificanceInput& input, std::atomic<bool>& breakRequested,
                                                  SignificanceObserver& observer, unsigned threads) {
    threads = std::max(threads, 1U);
    Progress progress(observer, input.replicas);
    SignificanceResult result;
    RealSearchProgress realProgress(progress);
    result.real = FastWvectorSearch(input.search, breakRequested, realProgress, threads);
    if (!result.real.completed) return std::nullopt;
    result.realScore = BestScore(result.real);

    ReplicaRun replicas(input, breakRequested, progress);
    RunOnThreads(threads, [&replicas](unsigned) { replicas.work(); });
    if (replicas.stopped()) return std::nullopt;

    result.replicaScores = replicas.takeScores();
    result.reaching = static_cast<std::size_t>(std::count_if(result.replicaScores.begin(), result.replicaScores.end(),
                                                             [&](float score) { return score >= result.realScore; }));
    result.pValue = MonteCarloPValue(result.reaching, result.replicaScores.size());
    return result;
}

}  // namespace karvola
