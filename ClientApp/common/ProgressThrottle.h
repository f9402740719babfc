#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <utility>

namespace karvola {

// A percentage reported from several threads, passed on only when it is higher
// than every one passed before: the observer sees each percentage once, in
// increasing order, and one call at a time. Most updates are no news and cost
// one atomic load.
class ProgressThrottle final {
public:
    explicit ProgressThrottle(std::function<void(int percent)> report) : m_report(std::move(report)) {}

    void update(int percent) {
        if (percent <= m_reported.load(std::memory_order_relaxed)) return;
        const std::lock_guard lock(m_mutex);
        passOn(percent);
    }

    // Runs step under the lock the reports are made under and passes on the
    // percentage it returns: for a percentage computed from state that the
    // same lock guards, and observer calls that must not overlap a report.
    template <typename Step>
    void advance(Step&& step) {
        const std::lock_guard lock(m_mutex);
        passOn(std::forward<Step>(step)());
    }

    // Runs call under the same lock, for the observer's other calls.
    template <typename Call>
    void exclusive(Call&& call) {
        const std::lock_guard lock(m_mutex);
        std::forward<Call>(call)();
    }

private:
    void passOn(int percent) {
        if (percent <= m_reported.load(std::memory_order_relaxed)) return;
        m_reported.store(percent, std::memory_order_relaxed);
        m_report(percent);
    }

    std::function<void(int)> m_report;
    std::mutex m_mutex;
    std::atomic<int> m_reported{-1};
};

}  // namespace karvola
