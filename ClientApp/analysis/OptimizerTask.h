#pragma once

#include <atomic>
#include <string>

#include "common/TerminalSink.h"

namespace karvola {

// What a task on the optimizer's worker reaches while it computes. Called from
// the worker thread (progress also from the threads a task starts itself, one
// call at a time).
class TaskContext {
public:
    virtual ~TaskContext() = default;
    // Set by break; a search that takes the request clears it.
    [[nodiscard]] virtual std::atomic<bool>& breakRequested() = 0;
    // The progress bar's position, 0 to 100, in increasing order.
    virtual void progress(int percent) = 0;
    // The progress bar's hint.
    virtual void hint(const std::string& text) = 0;
    // How many threads the task may keep busy, the worker included.
    [[nodiscard]] virtual unsigned threads() const = 0;
};

// A long analysis that runs on the optimizer's worker: one at a time, while the
// busy flag refuses what would change the research domain, stopped by break.
class OptimizerTask {
public:
    virtual ~OptimizerTask() = default;
    [[nodiscard]] virtual std::string runningHint() const = 0;
    // On the worker; false when a break request stopped it.
    virtual bool compute(TaskContext& context) = 0;
    // On the worker once the busy flag is cleared: the report of a completed run.
    virtual void writeReport(TerminalSink& sink) const = 0;
    // The line of a run that a break stopped.
    [[nodiscard]] virtual std::string stoppedLine() const = 0;
};

}  // namespace karvola
