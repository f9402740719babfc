#include "ProcessMemory.h"

#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <string>

namespace karvola::soak {

std::optional<MemorySample> ReadMemory(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    MemorySample sample;
    bool resident = false;
    bool peak = false;
    for (std::string line; std::getline(status, line);) {
        // "VmRSS:	    5120 kB"
        if (line.starts_with("VmRSS:")) resident = (sample.residentKb = std::atol(line.c_str() + 6)) > 0;
        if (line.starts_with("VmHWM:")) peak = (sample.peakKb = std::atol(line.c_str() + 6)) > 0;
    }
    if (!resident || !peak) return std::nullopt;
    return sample;
}

MemorySampler::MemorySampler(pid_t pid, std::chrono::milliseconds interval)
    : m_thread([this, pid, interval](const std::stop_token& stop) { run(stop, pid, interval); }) {}

std::vector<MemorySample> MemorySampler::samples() const {
    const std::scoped_lock lock(m_mutex);
    return m_samples;
}

void MemorySampler::run(const std::stop_token& stop, pid_t pid, std::chrono::milliseconds interval) {
    const auto start = std::chrono::steady_clock::now();
    std::mutex waitMutex;
    std::condition_variable_any wake;
    for (auto next = start; !stop.stop_requested(); next += interval) {
        if (auto sample = ReadMemory(pid)) {
            sample->at = std::chrono::steady_clock::now() - start;
            const std::scoped_lock lock(m_mutex);
            m_samples.push_back(*sample);
        }
        std::unique_lock lock(waitMutex);
        wake.wait_until(lock, stop, next + interval, [] { return false; });
    }
}

}  // namespace karvola::soak
