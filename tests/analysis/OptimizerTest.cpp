#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "analysis/Optimizer.h"
#include "common/OptimizationFlags.h"

namespace karvola {
namespace {

// Records each line with whether the optimizer still counted as running when it arrived.
class FlagWatchingSink final : public TerminalSink {
public:
    explicit FlagWatchingSink(const OptimizationFlags& flags) : m_flags(flags) {}
    void appendLine(std::string_view line) override {
        const std::lock_guard lock(m_mutex);
        m_lines.emplace_back(line);
        m_runningAtLine.push_back(m_flags.IsOptimizing());
    }
    void clearScreen() override {}
    std::vector<std::string> lines() const {
        const std::lock_guard lock(m_mutex);
        return m_lines;
    }
    std::vector<bool> runningAtLine() const {
        const std::lock_guard lock(m_mutex);
        return m_runningAtLine;
    }

private:
    const OptimizationFlags& m_flags;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<bool> m_runningAtLine;
};

class RecordingObserver final : public ChangeObserver {
public:
    void optimizationStarted() override { ++started; }
    void optimizationProgress(int percent) override { lastPercent = percent; }
    void optimizationHint(const std::string& hint) override {
        const std::lock_guard lock(mutex);
        hints.push_back(hint);
    }
    void optimizationEnded() override { ++ended; }

    std::atomic<int> started{0};
    std::atomic<int> ended{0};
    std::atomic<int> lastPercent{-1};
    std::mutex mutex;
    std::vector<std::string> hints;
};

OptimizationJob EmptyRangeJob() {
    OptimizationJob job;
    job.format.options = DisplayOptions("000000000000");
    return job;
}

TEST(Optimizer, CompletedSearchClearsTheBusyFlagBeforeItsReport) {
    OptimizationFlags flags;
    FlagWatchingSink sink(flags);
    RecordingObserver observer;
    Optimizer optimizer(flags, sink, observer);

    optimizer.start(EmptyRangeJob());
    optimizer.wait();

    EXPECT_FALSE(flags.IsOptimizing());
    const auto lines = sink.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "wvector:");
    EXPECT_EQ(lines[1], "  Minimal odds: 0.00");
    for (const bool running : sink.runningAtLine()) EXPECT_FALSE(running);
    EXPECT_EQ(observer.started, 1);
    EXPECT_EQ(observer.ended, 1);
    EXPECT_EQ(observer.lastPercent, 0);
    EXPECT_EQ(observer.hints.front(), Optimizer::kRunningHint);
    EXPECT_EQ(observer.hints.back(), Optimizer::kIdleHint);
    EXPECT_EQ(optimizer.hint(), Optimizer::kIdleHint);
}

TEST(Optimizer, BreakRequestedBeforeTheFirstPointTerminatesTheSearch) {
    OptimizationFlags flags;
    FlagWatchingSink sink(flags);
    // The thread starts only once the break request is in place.
    std::function<void()> pending;
    ChangeObserver nobody;
    Optimizer optimizer(flags, sink, nobody, [&pending](std::function<void()> work) {
        pending = std::move(work);
        return std::thread([] {});
    });
    optimizer.start(EmptyRangeJob());
    EXPECT_TRUE(flags.IsOptimizing());
    flags.BreakRequested = true;
    optimizer.wait();
    pending();

    EXPECT_EQ(sink.lines(), std::vector<std::string>{"Optimization terminated."});
    EXPECT_FALSE(flags.IsOptimizing());
    EXPECT_FALSE(flags.BreakRequested);
}

TEST(Optimizer, AThreadThatCannotStartLeavesTheFlagCleared) {
    OptimizationFlags flags;
    FlagWatchingSink sink(flags);
    ChangeObserver nobody;
    Optimizer optimizer(flags, sink, nobody, [](const std::function<void()>&) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    optimizer.start(EmptyRangeJob());
    EXPECT_FALSE(flags.IsOptimizing());
    EXPECT_EQ(sink.lines(), std::vector<std::string>{"Error : Unable to create thread for opt routine"});
}

// Any task on the worker: its own hints, its report once the flag is cleared,
// and an error that ends it like a command's.
TEST(Optimizer, TasksReportTheirOwnWayAndNothingEscapesTheWorker) {
    class Task final : public OptimizerTask {
    public:
        explicit Task(const char* failure) : m_failure(failure) {}
        [[nodiscard]] std::string runningHint() const override { return "Working..."; }
        bool compute(TaskContext& context) override {
            context.hint("Halfway");
            context.progress(50);
            if (m_failure != nullptr) throw std::runtime_error(m_failure);
            return true;
        }
        void writeReport(TerminalSink& sink) const override { sink.appendLine("Done."); }
        [[nodiscard]] std::string stoppedLine() const override { return "Stopped."; }

    private:
        const char* m_failure;
    };

    struct Case {
        const char* failure;
        std::vector<std::string> lines;
    };
    const Case cases[] = {{nullptr, {"Done."}}, {"Out of memory", {"Error : Out of memory"}}};
    for (const Case& c : cases) {
        OptimizationFlags flags;
        FlagWatchingSink sink(flags);
        RecordingObserver observer;
        Optimizer optimizer(flags, sink, observer);
        optimizer.start(std::make_shared<Task>(c.failure));
        optimizer.wait();
        EXPECT_EQ(sink.lines(), c.lines);
        for (const bool running : sink.runningAtLine()) EXPECT_FALSE(running);
        EXPECT_EQ(observer.hints, (std::vector<std::string>{"Working...", "Halfway", Optimizer::kIdleHint}));
        EXPECT_EQ(observer.lastPercent, 0);
        EXPECT_EQ(observer.ended, 1);
    }
}

TEST(Optimizer, BracketedVectorOfTheHint) {
    EXPECT_EQ(
        Optimizer::BracketedVector("Optimization of wvector in progress. Current best vector is [1.75 2.40 1.35]"),
        "[1.75 2.40 1.35]");
    EXPECT_EQ(Optimizer::BracketedVector("Optimization of wvector in progress..."), "");
    EXPECT_EQ(Optimizer::BracketedVector("[1.75 2.40"), "");
}

}  // namespace
}  // namespace karvola
