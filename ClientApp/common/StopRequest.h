#pragma once

#include <atomic>

namespace karvola {

// Thrown by a long command that was asked to stop; the dispatcher ends the
// command there without a line.
struct CommandStopped {};

// A request from another thread (a signal, a closed output) that the command at
// work end now and that no further command run. Long commands poll it once per
// record, which costs one atomic load.
class StopRequest final {
public:
    void request() { m_requested.store(true); }
    [[nodiscard]] bool requested() const { return m_requested.load(std::memory_order_relaxed); }
    void throwIfRequested() const {
        if (requested()) throw CommandStopped{};
    }

    // For callers that never stop.
    [[nodiscard]] static const StopRequest& Never() {
        static const StopRequest never;
        return never;
    }

private:
    std::atomic<bool> m_requested{false};
};

}  // namespace karvola
