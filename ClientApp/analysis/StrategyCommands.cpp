#include "analysis/StrategyCommands.h"

#include <stdexcept>
#include <string>

#include "common/NumberTexts.h"

namespace karvola {

StrategyCommands::StrategyCommands(TerminalSink& sink, const ResearchDomainModel& researchDomain,
                                   const MatchConfig& config, Optimizer& optimizer, ChangeObserver& observer,
                                   const StopRequest& stop, char decimalSeparator)
    : m_sink(sink),
      m_researchDomain(researchDomain),
      m_config(config),
      m_optimizer(optimizer),
      m_observer(observer),
      m_stop(stop),
      m_decimalSeparator(decimalSeparator) {}

void StrategyCommands::Register(CommandDispatcher& dispatcher) {
    dispatcher.attach("result", [this](const CommandArguments& arguments) {
        RunResult(m_sink, arguments.vector, m_researchDomain.selection(), reportFormat());
    });
    dispatcher.attach("pe_result", [this](const CommandArguments& arguments) {
        RunPeResult(m_sink, arguments.rest, m_researchDomain.selection(), reportFormat(), m_stop);
    });
    dispatcher.attach("sim", [this](const CommandArguments& arguments) {
        simulate([&] {
            RunWvectorSimulation(m_sink, arguments.vector, arguments.fraction, simulationRange(), m_decimalSeparator,
                                 m_simulation);
        });
    });
    dispatcher.attach("pe_sim", [this](const CommandArguments& arguments) {
        simulate([&] {
            RunPredictionSimulation(m_sink, arguments.rest, arguments.fraction, simulationRange(), m_decimalSeparator,
                                    m_simulation, m_stop);
        });
    });
    dispatcher.attach("opt", [this](const CommandArguments& arguments) {
        const auto bnd = ParseDecimal(m_researchDomain.bnd());
        if (!bnd) throw std::logic_error("BND% is not a number: " + m_researchDomain.bnd());
        const auto selection = m_researchDomain.selection();
        OptimizationJob job;
        job.range.assign(selection.begin(), selection.end());
        job.lo = m_researchDomain.lo();
        job.hi = m_researchDomain.hi();
        job.bndPercent = *bnd;
        job.maximalSpan = arguments.number;
        job.format = reportFormat();
        m_lastMaximalSpan = arguments.number;
        m_optimizer.start(std::move(job));
    });
}

ReportFormat StrategyCommands::reportFormat() const {
    return ReportFormat{DisplayOptions(m_config.GetResultPeResultOptions()), m_decimalSeparator};
}

std::optional<std::span<const basic_record_t>> StrategyCommands::simulationRange() const {
    // With LO or HI at 0 a simulation leaves the previous Bets Preview as it was.
    if (m_researchDomain.lo() == 0 || m_researchDomain.hi() == 0) return std::nullopt;
    return m_researchDomain.selection();
}

// The error still reaches the dispatcher; the front ends learn what was left first.
template <typename Run>
void StrategyCommands::simulate(const Run& run) {
    try {
        run();
    } catch (...) {
        m_observer.simulationEnded(false);
        throw;
    }
    m_observer.simulationEnded(true);
}

}  // namespace karvola
