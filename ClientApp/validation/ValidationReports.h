#pragma once

#include <optional>

#include "analysis/StrategyReports.h"
#include "common/TerminalSink.h"
#include "validation/Significance.h"
#include "validation/WalkForward.h"

namespace karvola {

// What a validation report says about how it was run.
struct ValidationSettings {
    int lo = 0;
    int hi = 0;
    double bndPercent = 12.0;
    double maximalSpan = 1.0;
};

// :walkforward: one table row per fold, the pooled row, the pooled out-of-sample
// statistics as the result report writes them, and the bankroll staked with the
// training's Kelly fractions.
void WriteWalkForwardReport(TerminalSink& sink, const ValidationSettings& settings, std::optional<int> train,
                            const WalkForwardResult& result, const ReportFormat& format);

// :significance: the real best score, the replicas' distribution, the p-value
// and what it says.
void WriteSignificanceReport(TerminalSink& sink, const ValidationSettings& settings, std::uint64_t seed,
                             const SignificanceResult& result);

// A share as a percentage with one decimal ("5.3%", "-12.0%"), whatever the locale.
std::string FormatPercentOneDecimal(double share);

}  // namespace karvola
