#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace karvola::soak {

// A process's memory as /proc/PID/status tells it, in KB.
struct MemorySample {
    std::chrono::steady_clock::duration at{};  // since the sampling began
    long residentKb = 0;                       // VmRSS: resident now
    long peakKb = 0;                           // VmHWM: the most it has been resident
};

// What /proc says now; nothing once the process is gone.
[[nodiscard]] std::optional<MemorySample> ReadMemory(pid_t pid);

// Samples a process's memory at a steady pace on a thread of its own, from
// construction until it is destroyed.
class MemorySampler final {
public:
    MemorySampler(pid_t pid, std::chrono::milliseconds interval);
    ~MemorySampler() = default;
    MemorySampler(const MemorySampler&) = delete;
    MemorySampler& operator=(const MemorySampler&) = delete;

    // The samples so far, oldest first.
    [[nodiscard]] std::vector<MemorySample> samples() const;

private:
    void run(const std::stop_token& stop, pid_t pid, std::chrono::milliseconds interval);

    mutable std::mutex m_mutex;
    std::vector<MemorySample> m_samples;
    std::jthread m_thread;  // last: it stops and joins before the samples go
};

}  // namespace karvola::soak
