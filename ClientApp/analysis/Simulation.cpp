#include "analysis/Simulation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "analysis/PredictionBets.h"
#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"
#include "expressions/PredictExpression.h"

namespace karvola {

namespace {

constexpr std::string_view kDomainError = "Domain error";

// What both simulations need to know about one bet.
struct SimulatedBet {
    const char* decision = "";
    float odds = 0.0f;       // the odds the bet is settled at
    float shownOdds = 0.0f;  // "Odds for Decision"
    bool won = false;
};

// The bankroll run shared by sim and pe_sim: stakes a fixed fraction of the
// current bankroll on every bet and records the row and chart point of each.
class BankrollRun {
public:
    BankrollRun(SimulationRecord& record, float fraction, char decimalSeparator)
        : m_record(record), m_fraction(fraction), m_separator(decimalSeparator) {
        m_record.rows.clear();
    }

    void settle(const basic_record_t& match, const SimulatedBet& bet) {
        ++m_count;
        const float stake = m_fraction * m_bankroll;
        m_bankroll -= stake;
        if (bet.won) {
            // Payout in extended precision, rounded once when stored.
            m_bankroll = static_cast<float>(static_cast<long double>(m_bankroll) +
                                            static_cast<long double>(bet.odds) * static_cast<long double>(stake));
        }

        BetsPreviewRow row;
        row.number = std::to_string(m_count);
        row.date = match.date;
        row.category = match.category;
        row.teams = match.teams;
        row.odds1 = FormatTwoDecimals(static_cast<double>(match.odds1));
        row.odds0 = FormatTwoDecimals(static_cast<double>(match.odds0));
        row.odds2 = FormatTwoDecimals(static_cast<double>(match.odds2));
        row.decision = bet.decision;
        row.decisionOdds = FormatTwoDecimals(static_cast<double>(bet.shownOdds));
        row.stake = FormatGeneral(static_cast<double>(stake), m_separator);
        row.result = bet.won ? std::string("won") : std::string("lost, won odds") + match.result;
        row.bankroll = FormatGeneral(static_cast<double>(m_bankroll), m_separator);
        m_record.rows.push_back(std::move(row));
        m_record.points.push_back(ChartPoint{m_bankroll, match.date, bet.won});
    }

    void finish(TerminalSink& sink) const {
        sink.appendLine(" Bankroll multiplier " + FormatGeneral(static_cast<double>(m_bankroll), m_separator));
    }

private:
    SimulationRecord& m_record;
    float m_fraction;
    char m_separator;
    float m_bankroll = 1.0f;
    unsigned m_count = 0;
};

const char* wvectorDecision(WvectorOutcome outcome) {
    switch (outcome) {
        case OUTCOME_HOME:
            return "bet1";
        case OUTCOME_DRAW:
            return "bet0";
        case OUTCOME_AWAY:
            return "bet2";
        case OUTCOME_NONE:
            break;
    }
    return "";
}

}  // namespace

void RunWvectorSimulation(TerminalSink& sink, const wvector& rule, float fraction,
                          std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                          SimulationRecord& record) {
    record.points.clear();
    if (!range) return;

    BankrollRun run(record, fraction, decimalSeparator);
    for (const basic_record_t& match : *range) {
        const WvectorOutcome outcome = DecideWvector(rule, match.odds1, match.odds0, match.odds2);
        if (outcome == OUTCOME_NONE) continue;
        const float odds = OddsOf(match, outcome);
        const char digit = static_cast<char>('0' + outcome);
        run.settle(match, SimulatedBet{wvectorDecision(outcome), odds, odds, match.result == digit});
    }
    run.finish(sink);
}

void RunPredictionSimulation(TerminalSink& sink, const std::string& expression, float fraction,
                             std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                             SimulationRecord& record, const StopRequest& stop) {
    record.points.clear();
    if (!range) return;

    PredictExpression rule(expression);
    BankrollRun run(record, fraction, decimalSeparator);
    bool warned = false;
    for (const basic_record_t& match : *range) {
        stop.throwIfRequested();
        std::uint8_t prediction = PredictExpression::NO_BET;
        try {
            prediction = rule.evaluate(match.odds1, match.odds0, match.odds2);
        } catch (const std::logic_error& error) {
            // A calculation that has no value for this match only makes it no bet.
            if (error.what() != kDomainError) throw;
            if (!warned) {
                sink.appendLine("Warning: domain error");
                warned = true;
            }
            continue;
        }
        if (prediction == PredictExpression::NO_BET) continue;
        const PredictionBet bet = PredictionBetFor(prediction, match);
        run.settle(match, SimulatedBet{bet.decision, bet.odds, bet.shownOdds, bet.won});
    }
    run.finish(sink);
}

}  // namespace karvola
