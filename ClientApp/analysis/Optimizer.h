#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/StrategyReports.h"
#include "analysis/WvectorSearch.h"
#include "database/basic_record_t.h"
#include "common/OptimizationFlags.h"
#include "common/TerminalSink.h"

namespace karvola {

// What the window shows of a running optimization: the progress bar, its hint and
// its context menu. Called on the optimizer's worker thread(s); a window must
// marshal the calls to its own thread.
class OptimizationObserver {
public:
    virtual ~OptimizationObserver() = default;
    virtual void optimizationStarted() {}  // the context menu becomes available
    virtual void progressChanged(int /*percent*/) {}
    virtual void hintChanged(const std::string& /*hint*/) {}
    virtual void optimizationEnded() {}  // after the report: progress 0, no context menu
};

// What one optimization works on: a copy of the compartment, so that nothing the
// main thread does can reach the worker.
struct OptimizationJob {
    std::vector<basic_record_t> range;
    int lo = 0;
    int hi = 0;
    double bndPercent = 12.0;
    double maximalSpan = 1.0;
    ReportFormat format;
};

// The opt command's background search: at most one worker at a time, the busy
// flags, the hint texts, and the report or "Optimization terminated." at its end.
class Optimizer final {
public:
    static constexpr const char* kIdleHint = "No optimization at the moment";
    static constexpr const char* kRunningHint = "Optimization of wvector in progress...";

    // Starts a thread for a job; replaceable so that tests can make it fail.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    Optimizer(OptimizationFlags& flags, TerminalSink& sink, ThreadStarter starter = {});
    ~Optimizer();
    Optimizer(const Optimizer&) = delete;
    Optimizer& operator=(const Optimizer&) = delete;

    // Starts the search on a worker thread and sets OptimizationRunning; writes
    // "Error : Unable to create thread for opt routine" when no thread can be
    // started. The caller has refused the command while a search runs.
    void start(OptimizationJob job);
    // Waits until the worker has ended and written its report.
    void wait();

    // For tests that must hold a search at a chosen moment; not while a search runs.
    void setThreadStarter(ThreadStarter starter);
    void setObserver(OptimizationObserver* observer);
    [[nodiscard]] std::string hint() const;

    // The current best vector of a hint ("[1.50 2.35 1.20]"), empty when it has none.
    static std::string BracketedVector(const std::string& hint);

private:
    class Progress;
    void run(const OptimizationJob& job);
    void setHint(std::string hint);
    [[nodiscard]] OptimizationObserver* observer() const;

    OptimizationFlags& m_flags;
    TerminalSink& m_sink;
    ThreadStarter m_starter;
    mutable std::mutex m_mutex;  // guards the hint and the observer
    std::string m_hint = kIdleHint;
    OptimizationObserver* m_observer = nullptr;
    std::thread m_worker;
};

}  // namespace karvola
