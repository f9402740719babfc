#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "analysis/Optimizer.h"
#include "analysis/StrategyCommands.h"
#include "common/OptimizationFlags.h"
#include "common/TerminalSink.h"
#include "database/ResearchDomainModel.h"
#include "validation/ValidationReports.h"

namespace karvola {

// The meta-commands' lines of karvola-cli's :help, each with what its figures mean.
inline constexpr const char* kWalkForwardHelp =
    ":walkforward FOLDS [TRAIN|all] [SPAN]   opt judged on matches it did not see: LO..HI is cut into FOLDS + 1 "
    "blocks and each later block is bet with the vector opt finds on the TRAIN matches before it (default all, "
    "SPAN the last opt's). In-sample figures are what the search saw and are biased upward by it; out-of-sample "
    "figures are what the vector earned on new matches, so only an edge that holds out of sample is real.";

inline constexpr const char* kSignificanceHelp =
    ":significance N [SEED] [SPAN]   how likely opt's best score is by chance alone: N replicas keep every match's "
    "odds and draw its result from the normalised inverse odds (fair prices, no edge beyond the margin), opt's "
    "search runs on each, and the p-value is (1 + the replicas scoring at least the real best) / (1 + N) (SEED "
    "default 1). A p-value below 0.05 says fair prices seldom give the search a score this high; a larger one says "
    "the search alone can explain the result, however profitable opt's report looks.";

inline constexpr const char* kRiskHelp =
    ":risk                  the risk of the last sim or pe_sim's bankroll run: the maximum drawdown (the deepest "
    "fall below an earlier peak, as a share of that peak, with both dates), the longest losing run, the longest time "
    "under water (below the last peak, in bets and in days) and the final multiplier. A drawdown of 60% needs a gain "
    "of 150% to recover, so read it with the multiplier: they say how much of the bankroll a run put at risk.";

struct WalkForwardRequest {
    int folds = 10;
    std::optional<int> train;    // matches before each test block; all from LO when empty
    std::optional<double> span;  // the last opt's when empty
};

struct SignificanceRequest {
    int replicas = 200;
    std::uint64_t seed = 1;
    std::optional<double> span;  // the last opt's when empty
};

// :risk takes nothing.
struct RiskRequest {};

// What the window's dialog asks for.
using ValidationRequest = std::variant<WalkForwardRequest, SignificanceRequest, RiskRequest>;

inline constexpr int kMostReplicas = 100'000;

// One word of a request: a whole number from 1 to `most`, or a seed (any
// unsigned 64-bit number).
std::optional<int> ParseCount(std::string_view word, int most);
std::optional<std::uint64_t> ParseSeed(std::string_view word);

// The request a meta-command's words make, or the usage error to show.
std::variant<WalkForwardRequest, std::string> ParseWalkForwardRequest(std::string_view arguments);
std::variant<SignificanceRequest, std::string> ParseSignificanceRequest(std::string_view arguments);

// The validations of the optimizer's results: they run on the optimizer's
// worker, so the busy flag, break and the progress bar work as for opt. The
// window's dialog and karvola-cli's meta-commands both start them here.
class ValidationCommands final {
public:
    ValidationCommands(TerminalSink& sink, const ResearchDomainModel& researchDomain, const StrategyCommands& strategy,
                       Optimizer& optimizer, const OptimizationFlags& flags);

    ValidationCommands(const ValidationCommands&) = delete;
    ValidationCommands& operator=(const ValidationCommands&) = delete;

    // Refused while the optimizer's worker is busy; a request that does not fit
    // the research domain gets an "Error : " line and starts nothing.
    void startWalkForward(const WalkForwardRequest& request);
    void startSignificance(const SignificanceRequest& request);
    // Either of them, or the risk figures.
    void start(const ValidationRequest& request);

    // The meta-command: the usage error when the words make no request.
    std::optional<std::string> walkForwardCommand(std::string_view arguments);
    std::optional<std::string> significanceCommand(std::string_view arguments);

    // :risk: the risk figures of the last simulation.
    void writeRisk() const;

    // What a span left out stands for.
    [[nodiscard]] double defaultSpan() const { return m_strategy.lastMaximalSpan(); }

private:
    // The settings every validation shares; throws std::logic_error with the user's text.
    [[nodiscard]] ValidationSettings settings(std::optional<double> span) const;
    // False, with the line written, while the worker is busy.
    bool mayStart() const;

    TerminalSink& m_sink;
    const ResearchDomainModel& m_researchDomain;
    const StrategyCommands& m_strategy;
    Optimizer& m_optimizer;
    const OptimizationFlags& m_flags;
};

}  // namespace karvola
