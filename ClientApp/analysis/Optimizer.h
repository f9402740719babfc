#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/OptimizerTask.h"
#include "analysis/StrategyReports.h"
#include "analysis/WvectorSearch.h"
#include "common/ChangeObserver.h"
#include "common/OptimizationFlags.h"
#include "common/TerminalSink.h"
#include "database/basic_record_t.h"

namespace karvola {

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

// The opt command's background search, and the other long analyses that share
// its worker: at most one at a time, the busy flags, the hint texts, and the
// report or the stopped line at its end. Progress and hints go to the observer
// from the worker thread.
class Optimizer final {
public:
    static constexpr const char* kIdleHint = "No optimization at the moment";
    static constexpr const char* kRunningHint = "Optimization of wvector in progress...";

    // Starts a thread for a job; replaceable so that tests can make it fail.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    Optimizer(OptimizationFlags& flags, TerminalSink& sink, ChangeObserver& observer, ThreadStarter starter = {});
    ~Optimizer();
    Optimizer(const Optimizer&) = delete;
    Optimizer& operator=(const Optimizer&) = delete;

    // Starts the search on a worker thread and sets OptimizationRunning; writes
    // "Error : Unable to create thread for opt routine" when no thread can be
    // started. The caller has refused the command while a search runs.
    void start(OptimizationJob job);
    // The same for any task: its hint, its report or its stopped line.
    void start(std::shared_ptr<OptimizerTask> task);
    // Waits until the worker has ended and written its report.
    void wait();

    // For tests that must hold a search at a chosen moment; not while a search runs.
    void setThreadStarter(ThreadStarter starter);
    [[nodiscard]] std::string hint() const;

    // The current best vector of a hint ("[1.50 2.35 1.20]"), empty when it has none.
    static std::string BracketedVector(const std::string& hint);

private:
    class Context;
    void run(OptimizerTask& task);
    void setHint(const std::string& hint);

    OptimizationFlags& m_flags;
    TerminalSink& m_sink;
    ChangeObserver& m_observer;
    ThreadStarter m_starter;
    mutable std::mutex m_mutex;  // guards the hint
    std::string m_hint = kIdleHint;
    std::thread m_worker;
};

}  // namespace karvola
