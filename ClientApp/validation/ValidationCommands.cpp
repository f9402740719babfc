#include "validation/ValidationCommands.h"

#include <charconv>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "common/NumberTexts.h"
#include "validation/RiskFigures.h"
#include "validation/ValidationTasks.h"

namespace karvola {

namespace {

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> result;
    std::istringstream stream{std::string(text)};
    for (std::string word; stream >> word;) result.push_back(word);
    return result;
}

}  // namespace

std::optional<int> ParseCount(std::string_view word, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size() || value < 1 || value > most) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseSeed(std::string_view word) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::variant<WalkForwardRequest, std::string> ParseWalkForwardRequest(std::string_view arguments) {
    const std::string usage = ":walkforward needs FOLDS [TRAIN|all] [SPAN], e.g. :walkforward 10 all 0.5";
    const std::vector<std::string> given = words(arguments);
    if (given.empty() || given.size() > 3) return usage;
    WalkForwardRequest request;
    const auto folds = ParseCount(given[0], std::numeric_limits<int>::max());
    if (!folds) return usage;
    request.folds = *folds;
    if (given.size() > 1 && given[1] != "all") {
        request.train = ParseCount(given[1], std::numeric_limits<int>::max());
        if (!request.train) return usage;
    }
    if (given.size() > 2) {
        request.span = ParseDecimal(given[2]);
        if (!request.span) return usage;
    }
    return request;
}

std::variant<SignificanceRequest, std::string> ParseSignificanceRequest(std::string_view arguments) {
    const std::string usage = ":significance needs N [SEED] [SPAN] (N from 1 to 100000), e.g. :significance 200 7 0.5";
    const std::vector<std::string> given = words(arguments);
    if (given.empty() || given.size() > 3) return usage;
    SignificanceRequest request;
    const auto replicas = ParseCount(given[0], kMostReplicas);
    if (!replicas) return usage;
    request.replicas = *replicas;
    if (given.size() > 1) {
        const auto seed = ParseSeed(given[1]);
        if (!seed) return usage;
        request.seed = *seed;
    }
    if (given.size() > 2) {
        request.span = ParseDecimal(given[2]);
        if (!request.span) return usage;
    }
    return request;
}

ValidationCommands::ValidationCommands(TerminalSink& sink, const ResearchDomainModel& researchDomain,
                                       const StrategyCommands& strategy, Optimizer& optimizer,
                                       const OptimizationFlags& flags)
    : m_sink(sink), m_researchDomain(researchDomain), m_strategy(strategy), m_optimizer(optimizer), m_flags(flags) {}

bool ValidationCommands::mayStart() const {
    if (!m_flags.IsOptimizing()) return true;
    m_sink.appendLine(kOptimizationInProgress);
    return false;
}

ValidationSettings ValidationCommands::settings(std::optional<double> span) const {
    const auto bnd = ParseDecimal(m_researchDomain.bnd());
    if (!bnd) throw std::logic_error("BND% is not a number: " + m_researchDomain.bnd());
    return ValidationSettings{m_researchDomain.lo(), m_researchDomain.hi(), *bnd, span.value_or(defaultSpan())};
}

void ValidationCommands::startWalkForward(const WalkForwardRequest& request) {
    if (!mayStart()) return;
    try {
        const ValidationSettings validation = settings(request.span);
        std::vector<FoldPlan> folds = PlanFolds(validation.lo, validation.hi, request.folds, request.train);
        const auto selection = m_researchDomain.selection();
        m_optimizer.start(
            std::make_shared<WalkForwardTask>(std::vector<basic_record_t>(selection.begin(), selection.end()),
                                              validation, request.train, std::move(folds), m_strategy.reportFormat()));
    } catch (const std::logic_error& error) {
        m_sink.appendLine(std::string("Error : ") + error.what());
    }
}

void ValidationCommands::startSignificance(const SignificanceRequest& request) {
    if (!mayStart()) return;
    try {
        const ValidationSettings validation = settings(request.span);
        if (validation.lo == 0 || validation.hi == 0 || validation.lo > validation.hi) {
            throw std::logic_error("the research domain range LO..HI is empty");
        }
        const auto selection = m_researchDomain.selection();
        m_optimizer.start(
            std::make_shared<SignificanceTask>(std::vector<basic_record_t>(selection.begin(), selection.end()),
                                               validation, request.replicas, request.seed));
    } catch (const std::logic_error& error) {
        m_sink.appendLine(std::string("Error : ") + error.what());
    }
}

std::optional<std::string> ValidationCommands::significanceCommand(std::string_view arguments) {
    auto parsed = ParseSignificanceRequest(arguments);
    if (auto* usage = std::get_if<std::string>(&parsed)) return std::move(*usage);
    startSignificance(std::get<SignificanceRequest>(parsed));
    return std::nullopt;
}

std::optional<std::string> ValidationCommands::walkForwardCommand(std::string_view arguments) {
    auto parsed = ParseWalkForwardRequest(arguments);
    if (auto* usage = std::get_if<std::string>(&parsed)) return std::move(*usage);
    startWalkForward(std::get<WalkForwardRequest>(parsed));
    return std::nullopt;
}

void ValidationCommands::start(const ValidationRequest& request) {
    struct Starter {
        ValidationCommands& commands;
        void operator()(const WalkForwardRequest& walkForward) const { commands.startWalkForward(walkForward); }
        void operator()(const SignificanceRequest& significance) const { commands.startSignificance(significance); }
        void operator()(const RiskRequest&) const { commands.writeRisk(); }
    };
    std::visit(Starter{*this}, request);
}

void ValidationCommands::writeRisk() const {
    WriteRiskReport(m_sink, m_strategy.simulation().points);
}

}  // namespace karvola
