#include "upcoming/UpcomingCommands.h"

#include <stdexcept>

#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"
#include "expressions/PredictExpression.h"

namespace karvola {

namespace {

constexpr std::string_view kNoMatches = "There are no upcoming matches performs your criteria.";
constexpr std::string_view kDomainError = "Domain error";

struct BestOdds {
    float odds1;
    float odds0;
    float odds2;
};

BestOdds OddsOf(const UpcomingResearchDomainRecord& record) {
    return {NarrowToFloat(ReadStrtodDouble(record.m_odds1)), NarrowToFloat(ReadStrtodDouble(record.m_odds0)),
            NarrowToFloat(ReadStrtodDouble(record.m_odds2))};
}

std::optional<UpcomingDecision> DecisionOf(WvectorOutcome outcome) {
    switch (outcome) {
        case OUTCOME_HOME:
            return UpcomingDecision::Bet1;
        case OUTCOME_DRAW:
            return UpcomingDecision::Bet0;
        case OUTCOME_AWAY:
            return UpcomingDecision::Bet2;
        case OUTCOME_NONE:
            break;
    }
    return std::nullopt;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

}  // namespace

UpcomingCommands::UpcomingCommands(TerminalSink& sink, MatchConfig& config, const Clock& clock, HttpClient& http,
                                   FileSystem& files, std::filesystem::path applicationDirectory, ServiceHost host,
                                   const ResearchDomainModel& researchDomain, const OpenDataBase& dataBase)
    : m_sink(sink),
      m_config(config),
      m_http(http),
      m_exchange(sink, config, clock, files, std::move(applicationDirectory), std::move(host)),
      m_researchDomain(researchDomain),
      m_dataBase(dataBase) {}

void UpcomingCommands::Register(CommandDispatcher& dispatcher) {
    dispatcher.attach("upcoming", [this](const CommandArguments& arguments) { run(arguments.vector); });
    dispatcher.attach("pe_upcoming", [this](const CommandArguments& arguments) { run(arguments.rest); });
}

void UpcomingCommands::attachFrontEnd(UpcomingFrontEnd frontEnd) {
    m_view = &frontEnd.view;
    m_keyPrompt = &frontEnd.keyPrompt;
    m_runner = &frontEnd.runner;
}

void UpcomingCommands::detachFrontEnd() {
    m_view = &m_unseen;
    m_keyPrompt = &m_noPrompt;
    m_runner = &m_immediate;
}

void UpcomingCommands::run(Rule rule) {
    auto begun = m_exchange.begin(*m_keyPrompt);
    if (const bool* decided = std::get_if<bool>(&begun)) {
        continueWith(rule, *decided);
        return;
    }
    UpcomingExchange::Request request = std::get<UpcomingExchange::Request>(std::move(begun));
    HttpClient& http = m_http;
    m_runner->run([&http, request] { return UpcomingExchange::transfer(http, request); },
                  [this, rule = std::move(rule), request](const UpcomingExchange::Reply& reply) {
                      // This may run after the dispatcher has returned, so the
                      // command's errors become their line here.
                      try {
                          const bool downloaded = m_exchange.finish(request, reply, m_model);
                          continueWith(rule, downloaded);
                      } catch (const std::exception& error) {
                          m_sink.appendLine(std::string("Error : ") + error.what());
                      }
                  });
}

void UpcomingCommands::continueWith(const Rule& rule, bool downloaded) {
    // Without a new download the matches of the last one are judged again, under this rule.
    if (downloaded) m_model.RebuildResearchDomain(domainFilter());
    m_view->closeAndClear();
    m_listing.clear();
    std::vector<UpcomingDecisionEntry> decisions = decide(rule);
    if (decisions.empty()) m_sink.appendLine(kNoMatches);
    m_listing.fill(std::move(decisions), m_model);
    m_view->showListing();
}

UpcomingDomainFilter UpcomingCommands::domainFilter() const {
    UpcomingDomainFilter filter;
    filter.restrictionMemo = JoinLines(m_researchDomain.restrictions());
    filter.categories = m_researchDomain.categories();
    filter.bookmakers = m_dataBase.bookmakers();
    filter.timeZoneBias = m_config.GetTimeZoneBias();
    filter.localNow = m_exchange.localNow();
    return filter;
}

std::vector<UpcomingDecisionEntry> UpcomingCommands::decide(const Rule& rule) const {
    const auto& domain = m_model.researchDomain();
    std::vector<UpcomingDecisionEntry> decisions;
    if (const auto* vector = std::get_if<wvector>(&rule)) {
        for (std::size_t i = 0; i < domain.size(); ++i) {
            const BestOdds odds = OddsOf(domain[i]);
            if (const auto decision = DecisionOf(DecideWvector(*vector, odds.odds1, odds.odds0, odds.odds2))) {
                decisions.push_back({i, *decision});
            }
        }
        return decisions;
    }
    PredictExpression expression(std::get<std::string>(rule));
    bool warned = false;
    for (std::size_t i = 0; i < domain.size(); ++i) {
        const BestOdds odds = OddsOf(domain[i]);
        std::uint8_t code = PredictExpression::NO_BET;
        try {
            code = expression.evaluate(odds.odds1, odds.odds0, odds.odds2);
        } catch (const std::logic_error& error) {
            if (error.what() != kDomainError) throw;
            // A rule undefined for some odds skips those matches; the user hears of it once.
            if (!warned) m_sink.appendLine("Warning: domain error");
            warned = true;
            continue;
        }
        if (code <= PredictExpression::BET102) decisions.push_back({i, static_cast<UpcomingDecision>(code)});
    }
    return decisions;
}

}  // namespace karvola
