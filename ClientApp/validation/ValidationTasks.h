#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/OptimizerTask.h"
#include "analysis/StrategyReports.h"
#include "database/basic_record_t.h"
#include "validation/ValidationReports.h"
#include "validation/WalkForward.h"

namespace karvola {

// :walkforward on the optimizer's worker, over its own copy of the records.
class WalkForwardTask final : public OptimizerTask {
public:
    WalkForwardTask(std::vector<basic_record_t> range, ValidationSettings settings, std::optional<int> train,
                    std::vector<FoldPlan> folds, ReportFormat format);

    [[nodiscard]] std::string runningHint() const override;
    bool compute(TaskContext& context) override;
    void writeReport(TerminalSink& sink) const override;
    [[nodiscard]] std::string stoppedLine() const override { return "Walk-forward validation terminated."; }

    [[nodiscard]] const std::optional<WalkForwardResult>& result() const { return m_result; }

private:
    std::vector<basic_record_t> m_range;
    ValidationSettings m_settings;
    std::optional<int> m_train;
    std::vector<FoldPlan> m_folds;
    ReportFormat m_format;
    std::optional<WalkForwardResult> m_result;
};

// :significance on the optimizer's worker, over its own copy of the records.
class SignificanceTask final : public OptimizerTask {
public:
    SignificanceTask(std::vector<basic_record_t> range, ValidationSettings settings, int replicas, std::uint64_t seed);

    [[nodiscard]] std::string runningHint() const override;
    bool compute(TaskContext& context) override;
    void writeReport(TerminalSink& sink) const override;
    [[nodiscard]] std::string stoppedLine() const override { return "Significance test terminated."; }

    [[nodiscard]] const std::optional<SignificanceResult>& result() const { return m_result; }

private:
    std::vector<basic_record_t> m_range;
    ValidationSettings m_settings;
    int m_replicas;
    std::uint64_t m_seed;
    std::optional<SignificanceResult> m_result;
};

}  // namespace karvola
