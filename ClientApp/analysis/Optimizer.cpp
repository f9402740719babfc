#include "analysis/Optimizer.h"

#include <algorithm>
#include <system_error>

#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"

namespace karvola {

// Passes the search's progress on as hint texts and progress positions.
class Optimizer::Progress final : public SearchObserver {
public:
    explicit Progress(Optimizer& optimizer) : m_optimizer(optimizer) {}

    void progressChanged(int percent) override { m_optimizer.m_observer.optimizationProgress(percent); }
    void bestChanged(const wvector& best) override {
        m_optimizer.setHint("Optimization of wvector in progress. Current best vector is [" +
                            FormatTwoDecimals(best.kmin) + " " + FormatTwoDecimals(best.kMax) + " " +
                            FormatTwoDecimals(best.CRZ) + "]");
    }

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
    // A finished search may still be writing its report: let it end first.
    wait();
    // Set before the thread starts, so that a search ending at once leaves it cleared.
    m_flags.BreakRequested = false;
    m_flags.OptimizationRunning = true;
    try {
        m_worker = m_starter([this, job = std::move(job)] { run(job); });
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

void Optimizer::setHint(std::string hint) {
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

void Optimizer::run(const OptimizationJob& job) {
    m_observer.optimizationStarted();
    setHint(kRunningHint);

    const SearchInput input{job.range, job.lo, job.hi, job.bndPercent, job.maximalSpan};
    Progress progress(*this);
    const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    const SearchOutcome outcome = FastWvectorSearch(input, m_flags.BreakRequested, progress, threads);

    // The flags are cleared before the report, so that the commands typed while it
    // is written are no longer refused.
    m_flags.BreakRequested = false;
    m_flags.OptimizationRunning = false;
    setHint(kIdleHint);
    if (outcome.completed) {
        m_observer.optimizationProgress(100);
        const std::string sequence =
            job.format.options.shows(10) ? WvectorWinLossSequence(outcome.best, job.range) : std::string();
        WriteWvectorReport(m_sink, outcome.best, outcome.statistics, sequence, job.format);
    } else {
        m_sink.appendLine("Optimization terminated.");
    }
    m_observer.optimizationProgress(0);
    m_observer.optimizationEnded();
}

}  // namespace karvola
