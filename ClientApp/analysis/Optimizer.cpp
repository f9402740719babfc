#include "analysis/Optimizer.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>

#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"

namespace karvola {

namespace {

// opt: the wvector grid search and the statistics report of its best vector.
class WvectorOptimization final : public OptimizerTask {
public:
    explicit WvectorOptimization(OptimizationJob job) : m_job(std::move(job)) {}

    [[nodiscard]] std::string runningHint() const override { return Optimizer::kRunningHint; }

    bool compute(TaskContext& context) override {
        const SearchInput input{m_job.range, m_job.lo, m_job.hi, m_job.bndPercent, m_job.maximalSpan};
        HintingObserver observer(context);
        m_outcome = FastWvectorSearch(input, context.breakRequested(), observer, context.threads());
        return m_outcome.completed;
    }

    void writeReport(TerminalSink& sink) const override {
        const std::string sequence =
            m_job.format.options.shows(10) ? WvectorWinLossSequence(m_outcome.best, m_job.range) : std::string();
        WriteWvectorReport(sink, m_outcome.best, m_outcome.statistics, sequence, m_job.format);
    }

    [[nodiscard]] std::string stoppedLine() const override { return "Optimization terminated."; }

private:
    // Passes the search's progress on, and its best vector so far as the hint.
    class HintingObserver final : public SearchObserver {
    public:
        explicit HintingObserver(TaskContext& context) : m_context(context) {}
        void progressChanged(int percent) override { m_context.progress(percent); }
        void bestChanged(const wvector& best) override {
            m_context.hint("Optimization of wvector in progress. Current best vector is [" +
                           FormatTwoDecimals(best.kmin) + " " + FormatTwoDecimals(best.kMax) + " " +
                           FormatTwoDecimals(best.CRZ) + "]");
        }

    private:
        TaskContext& m_context;
    };

    OptimizationJob m_job;
    SearchOutcome m_outcome;
};

}  // namespace

// What the running task reaches: the break flag, the progress bar and its hint.
class Optimizer::Context final : public TaskContext {
public:
    explicit Context(Optimizer& optimizer) : m_optimizer(optimizer) {}

    std::atomic<bool>& breakRequested() override { return m_optimizer.m_flags.BreakRequested; }
    void progress(int percent) override { m_optimizer.m_observer.optimizationProgress(percent); }
    void hint(const std::string& text) override { m_optimizer.setHint(text); }
    [[nodiscard]] unsigned threads() const override { return std::max(1U, std::thread::hardware_concurrency()); }

private:
    Optimizer& m_optimizer;
};

Optimizer::Optimizer(OptimizationFlags& flags, TerminalSink& sink, ChangeObserver& observer, ThreadStarter starter)
    : m_flags(flags), m_sink(sink), m_observer(observer) {
    setThreadStarter(std::move(starter));
}

void Optimizer::setThreadStarter(ThreadStarter starter) {
    m_starter = std::move(starter);
    if (!m_starter) {
        m_starter = [](std::function<void()> work) { return std::thread(std::move(work)); };
    }
}

Optimizer::~Optimizer() {
    if (m_flags.IsOptimizing()) m_flags.BreakRequested = true;
    wait();
}

void Optimizer::start(OptimizationJob job) {
    start(std::make_shared<WvectorOptimization>(std::move(job)));
}

void Optimizer::start(std::shared_ptr<OptimizerTask> task) {
    // A finished search may still be writing its report: let it end first.
    wait();
    // Set before the thread starts, so that a search ending at once leaves it cleared.
    m_flags.BreakRequested = false;
    m_flags.OptimizationRunning = true;
    try {
        m_worker = m_starter([this, task = std::move(task)] { run(*task); });
    } catch (const std::system_error&) {
        m_flags.OptimizationRunning = false;
        m_sink.appendLine("Error : Unable to create thread for opt routine");
    }
}

void Optimizer::wait() {
    if (m_worker.joinable()) m_worker.join();
}

std::string Optimizer::hint() const {
    const std::lock_guard lock(m_mutex);
    return m_hint;
}

void Optimizer::setHint(const std::string& hint) {
    {
        const std::lock_guard lock(m_mutex);
        m_hint = hint;
    }
    m_observer.optimizationHint(hint);
}

std::string Optimizer::BracketedVector(const std::string& hint) {
    const auto open = hint.find('[');
    if (open == std::string::npos) return {};
    const auto close = hint.find(']', open);
    if (close == std::string::npos) return {};
    return hint.substr(open, close - open + 1);
}

void Optimizer::run(OptimizerTask& task) {
    m_observer.optimizationStarted();
    setHint(task.runningHint());

    Context context(*this);
    bool completed = false;
    std::optional<std::string> failure;
    // Nothing may escape the worker: a failed task ends like a command's error.
    try {
        completed = task.compute(context);
    } catch (const std::exception& error) {
        failure = error.what();
    }

    // The flags are cleared before the report, so that the commands typed while it
    // is written are no longer refused.
    m_flags.BreakRequested = false;
    m_flags.OptimizationRunning = false;
    setHint(kIdleHint);
    if (failure) {
        m_sink.appendLine("Error : " + *failure);
    } else if (completed) {
        m_observer.optimizationProgress(100);
        task.writeReport(m_sink);
    } else {
        m_sink.appendLine(task.stoppedLine());
    }
    m_observer.optimizationProgress(0);
    m_observer.optimizationEnded();
}

}  // namespace karvola
