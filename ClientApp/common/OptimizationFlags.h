#pragma once

#include <atomic>
#include <string_view>

namespace karvola {

// What an operation that would change the research domain writes while the optimizer runs.
inline constexpr std::string_view kOptimizationInProgress = "Acces Denied : Optimization in progress.";

// The two flags shared between the user-interface thread and the optimizer's
// worker: the worker clears OptimizationRunning when it ends and polls
// BreakRequested at every grid point.
struct OptimizationFlags {
    std::atomic<bool> OptimizationRunning{false};
    std::atomic<bool> BreakRequested{false};

    [[nodiscard]] bool IsOptimizing() const { return OptimizationRunning.load(); }
};

}  // namespace karvola
