#pragma once

#include <optional>
#include <span>

#include "analysis/Optimizer.h"
#include "analysis/Simulation.h"
#include "analysis/StrategyReports.h"
#include "common/ChangeObserver.h"
#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "config/MatchConfig.h"
#include "database/ResearchDomainModel.h"
#include "terminal/CommandDispatcher.h"

namespace karvola {

// The commands that evaluate betting rules over the research domain: result,
// pe_result, sim, pe_sim and opt, with what the last simulation left for the
// Bets Preview and the bankroll chart.
class StrategyCommands final {
public:
    StrategyCommands(TerminalSink& sink, const ResearchDomainModel& researchDomain, const MatchConfig& config,
                     Optimizer& optimizer, ChangeObserver& observer, const StopRequest& stop, char decimalSeparator);

    StrategyCommands(const StrategyCommands&) = delete;
    StrategyCommands& operator=(const StrategyCommands&) = delete;

    void Register(CommandDispatcher& dispatcher);

    // The display options of the result and pe_result reports, with the user's separator.
    [[nodiscard]] ReportFormat reportFormat() const;
    // What the last sim or pe_sim left for the Bets Preview and the chart.
    [[nodiscard]] const SimulationRecord& simulation() const { return m_simulation; }
    // The maximal probability span of the last opt; 1 before the first.
    [[nodiscard]] double lastMaximalSpan() const { return m_lastMaximalSpan; }

private:
    [[nodiscard]] std::optional<std::span<const basic_record_t>> simulationRange() const;
    template <typename Run>
    void simulate(const Run& run);

    TerminalSink& m_sink;
    const ResearchDomainModel& m_researchDomain;
    const MatchConfig& m_config;
    Optimizer& m_optimizer;
    ChangeObserver& m_observer;
    const StopRequest& m_stop;
    char m_decimalSeparator;
    SimulationRecord m_simulation;
    double m_lastMaximalSpan = 1.0;
};

}  // namespace karvola
