#include "validation/Significance.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "validation/FairResults.h"
#include "validation/ReplicaWvectorSearch.h"

namespace karvola {

namespace {

// The real search's share of the progress bar: about what a few replicas cost.
constexpr int kRealSearchPercent = 10;

// The progress of every thread as one increasing percentage.
class Progress {
public:
    Progress(SignificanceObserver& observer, int replicas) : m_observer(observer), m_replicas(replicas) {}

    void set(int percent) {
        const std::lock_guard lock(m_mutex);
        if (percent <= m_reported) return;
        m_reported = percent;
        m_observer.progressChanged(percent);
    }

    void replicasDone(int count) {
        const std::lock_guard lock(m_mutex);
        m_done += count;
        m_observer.replicasDone(m_done, m_replicas);
        const int percent = kRealSearchPercent + (100 - kRealSearchPercent) * m_done / std::max(m_replicas, 1);
        if (percent > m_reported) {
            m_reported = percent;
            m_observer.progressChanged(percent);
        }
    }

private:
    SignificanceObserver& m_observer;
    int m_replicas;
    std::mutex m_mutex;
    int m_reported = -1;
    int m_done = 0;
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
          m_breakRequested(breakRequested),
          m_progress(progress),
          m_fair(input.search.range),
          m_search(input.search),
          m_scores(static_cast<std::size_t>(input.replicas)) {}

    void work() {
        ReplicaWvectorSearch::Workspace workspace(m_search);
        std::vector<std::string> results(ReplicaWvectorSearch::kLanes);
        std::vector<float> scores(ReplicaWvectorSearch::kLanes);
        const auto replicas = static_cast<std::size_t>(m_input.replicas);
        while (!m_stopped.load(std::memory_order_relaxed)) {
            if (m_breakRequested.load() && m_breakRequested.exchange(false)) {
                m_stopped = true;
                return;
            }
            const std::size_t first = m_next.fetch_add(ReplicaWvectorSearch::kLanes);
            if (first >= replicas) return;
            const std::size_t count = std::min(ReplicaWvectorSearch::kLanes, replicas - first);
            for (std::size_t k = 0; k < count; ++k) m_fair.draw(m_input.seed, first + k, results[k]);
            m_search.bestScores(std::span(results).first(count), scores, workspace);
            std::copy_n(scores.begin(), count, m_scores.begin() + static_cast<std::ptrdiff_t>(first));
            m_progress.replicasDone(static_cast<int>(count));
        }
    }

    [[nodiscard]] bool stopped() const { return m_stopped.load(); }
    [[nodiscard]] std::vector<float> takeScores() { return std::move(m_scores); }

private:
    const SignificanceInput& m_input;
    std::atomic<bool>& m_breakRequested;
    Progress& m_progress;
    const FairResults m_fair;
    const ReplicaWvectorSearch m_search;
    std::vector<float> m_scores;  // each replica's slot written by the thread that ran it
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_stopped{false};
};

// Runs work on `threads` threads, the calling one included; what one throws is
// thrown again here once all have ended.
template <typename Work>
void onThreads(unsigned threads, const Work& work) {
    std::vector<std::exception_ptr> failures(threads);
    const auto guarded = [&](unsigned t) {
        try {
            work();
        } catch (...) {
            failures[t] = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(guarded, t);
        } catch (const std::system_error&) {
            break;  // the others take its share
        }
    }
    guarded(0);
    for (std::thread& thread : pool) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

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
    onThreads(threads, [&replicas] { replicas.work(); });
    if (replicas.stopped()) return std::nullopt;

    result.replicaScores = replicas.takeScores();
    result.reaching = static_cast<std::size_t>(std::count_if(result.replicaScores.begin(), result.replicaScores.end(),
                                                             [&](float score) { return score >= result.realScore; }));
    result.pValue = MonteCarloPValue(result.reaching, result.replicaScores.size());
    return result;
}

}  // namespace karvola
