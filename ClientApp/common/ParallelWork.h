#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>

namespace karvola {

// Runs work(worker) for the workers 0..threads-1 at once, worker 0 on the
// calling thread, and returns once every one has ended; 0 threads count as 1.
// A thread the system cannot start is left out, so the workers must share the
// work among themselves (WorkShare) rather than own a fixed part of it. What a
// worker throws is thrown again here after all have ended, the lowest worker's
// first: nothing escapes a thread.
void RunOnThreads(unsigned threads, const std::function<void(unsigned worker)>& work);

// The items 0..count-1, handed out a chunk at a time to whichever worker asks
// first, until none is left or a break request stops them all. The request is
// taken (cleared) by the worker that sees it, so that it stops this run only.
class WorkShare final {
public:
    struct Chunk {
        std::size_t first = 0;
        std::size_t size = 0;
    };

    WorkShare(std::size_t count, std::size_t chunkSize, std::atomic<bool>& breakRequested)
        : m_count(count), m_chunkSize(std::max<std::size_t>(chunkSize, 1)), m_breakRequested(breakRequested) {}

    // The next chunk; false when all are taken or a break stopped the work.
    bool take(Chunk& chunk) {
        if (m_stopped.load(std::memory_order_relaxed)) return false;
        if (m_breakRequested.load() && m_breakRequested.exchange(false)) {
            m_stopped = true;
            return false;
        }
        // Relaxed: each item goes to one worker, and the join orders what they wrote.
        const std::size_t first = m_next.fetch_add(m_chunkSize, std::memory_order_relaxed);
        if (first >= m_count) return false;
        chunk = Chunk{first, std::min(m_chunkSize, m_count - first)};
        return true;
    }

    [[nodiscard]] bool stopped() const { return m_stopped.load(); }

private:
    const std::size_t m_count;
    const std::size_t m_chunkSize;
    std::atomic<bool>& m_breakRequested;
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_stopped{false};
};

}  // namespace karvola
