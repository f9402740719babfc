#include "analysis/StrategyReports.h"

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "analysis/PredictionBets.h"
#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"
#include "expressions/PredictExpression.h"

namespace karvola {

namespace {

// Display positions of the report lines.
enum Position : std::size_t {
    TOTAL_BETS = 0,
    WINNING_BETS = 1,
    AVERAGE_ODDS = 2,
    ODDS_DEVIATION = 3,
    AVERAGE_WINNING_ODDS = 4,
    WINNING_ODDS_DEVIATION = 5,
    AVERAGE_YIELD = 6,
    PESSIMISTIC_YIELD = 7,
    KELLY_FRACTION = 8,
    BANKROLL_MULTIPLIER = 9,
    SEQUENCE = 10,
    ENTROPY = 11,
};

const char* const kSequenceHeading = "Winning(1) / loosing(0) sequence:";
const char* const kEntropyLabel = "Entropy for Winning(1) / loosing(0) sequence: ";
const char* const kDomainWarning = "Warning: domain error";
const char* const kDomainError = "Domain error";

// The two layouts of the statistics lines differ in their labels and in what
// follows a percentage and the bankroll multiplier.
struct StatisticsLayout {
    const char* totalBets;
    const char* winningBets;
    const char* averageOdds;
    const char* oddsDeviation;
    const char* averageWinningOdds;
    const char* noWinningOdds;  // the whole line when no bet was won
    const char* winningOddsDeviation;
    const char* averageYield;
    const char* pessimisticYield;
    const char* kellyFraction;
    const char* bankrollMultiplier;
    const char* afterPercent;
    bool marksOverflow;
};

constexpr StatisticsLayout kWvectorLayout{
    "  Total number of bets:               ",
    "  Winning bets:                       ",
    "  Average Odds:                       ",
    "  Std. Dev. of Average Odds:          ",
    "  Average Winning Odds:            ",
    "  Average winning odds:            -",
    "  Std. Dev. of Average Winning Odds:  ",
    "  Average yield:                      ",
    "  Pessimistic average yield:          ",
    "  Optimal Kelly's Fraction (OKF):     ",
    "  Bankroll Multiplier for OKF:        ",
    "",
    false,
};

// The prediction report writes a second "%" after each percentage (the
// percentage itself already ends in one), and flags a bankroll run that overflowed.
constexpr StatisticsLayout kPredictionLayout{
    "  Total Number of Bets:           ",
    "  Winning Bets:                   ",
    "  Average Odds:                   ",
    "  Std. Dev. of Average Odds:      ",
    "  Average Winning Odds:           ",
    "  Average winning odds:           -",
    "  Std. Dev. of Average Winning Odds: ",
    "  Average Yield:                  ",
    "  Pessimistic Average Yield:      ",
    "  Optimal Kelly's Fraction (OKF): ",
    "  Bankroll Multiplier for OKF:    ",
    "%",
    true,
};

void writeLine(TerminalSink& sink, const char* label, const std::string& value) {
    std::string line(label);
    line += value;
    sink.appendLine(line);
}

void writeEntropy(TerminalSink& sink, const statistics_t& statistics, char decimalSeparator) {
    const std::optional<float> entropy = SequenceEntropy(statistics);
    writeLine(sink, kEntropyLabel,
              entropy ? FormatGeneral(static_cast<double>(*entropy), decimalSeparator) : std::string("-"));
}

bool overflowed(float bankroll) {
    return bankroll == std::numeric_limits<float>::max() || std::isnan(bankroll);
}

void writeStatistics(TerminalSink& sink, const statistics_t& s, const ReportFormat& format,
                     const StatisticsLayout& layout) {
    const DisplayOptions& show = format.options;
    const char separator = format.decimalSeparator;
    const auto general = [separator](float value) { return FormatGeneral(static_cast<double>(value), separator); };
    const auto percent = [&layout](float value) {
        return FormatPercent(static_cast<long double>(value)) + layout.afterPercent;
    };

    sink.appendLine("Statistics:");
    if (show.shows(TOTAL_BETS)) writeLine(sink, layout.totalBets, std::to_string(s.total_bets));
    if (show.shows(WINNING_BETS)) writeLine(sink, layout.winningBets, std::to_string(s.winning_bets));
    if (show.shows(AVERAGE_ODDS)) writeLine(sink, layout.averageOdds, FormatTwoDecimals(s.average_odds));
    if (show.shows(ODDS_DEVIATION)) writeLine(sink, layout.oddsDeviation, general(OddsStandardDeviation(s.odds)));
    if (show.shows(AVERAGE_WINNING_ODDS)) {
        if (s.winning_bets > 0) {
            writeLine(sink, layout.averageWinningOdds, FormatTwoDecimals(s.average_winning_odds));
        } else {
            sink.appendLine(layout.noWinningOdds);
        }
    }
    if (show.shows(WINNING_ODDS_DEVIATION)) {
        writeLine(sink, layout.winningOddsDeviation, general(OddsStandardDeviation(s.winning_odds)));
    }
    if (show.shows(AVERAGE_YIELD)) writeLine(sink, layout.averageYield, percent(s.average_yield));
    if (show.shows(PESSIMISTIC_YIELD)) writeLine(sink, layout.pessimisticYield, percent(s.pessimistic_yield));
    if (show.shows(KELLY_FRACTION)) writeLine(sink, layout.kellyFraction, general(s.okf));
    if (show.shows(BANKROLL_MULTIPLIER)) {
        std::string value = general(s.bankroll_multiplier);
        if (layout.marksOverflow && overflowed(s.bankroll_multiplier)) value += "(overflow)";
        writeLine(sink, layout.bankrollMultiplier, value);
    }
}

}  // namespace

namespace {

void writeWvectorSequence(TerminalSink& sink, const statistics_t& statistics, std::string_view sequence,
                          const ReportFormat& format) {
    if (format.options.shows(SEQUENCE)) {
        sink.appendLine(" ");
        sink.appendLine(kSequenceHeading);
        sink.appendLine(sequence);
    }
    if (format.options.shows(ENTROPY)) writeEntropy(sink, statistics, format.decimalSeparator);
}

}  // namespace

void WriteWvectorReport(TerminalSink& sink, const wvector& rule, const statistics_t& statistics,
                        std::string_view sequence, const ReportFormat& format) {
    writeWvectorSequence(sink, statistics, sequence, format);
    sink.appendLine("wvector:");
    writeLine(sink, "  Minimal odds: ", FormatTwoDecimals(rule.kmin));
    writeLine(sink, "  Maximal odds: ", FormatTwoDecimals(rule.kMax));
    writeLine(sink, "     CRZ value: ", FormatTwoDecimals(rule.CRZ));
    writeStatistics(sink, statistics, format, kWvectorLayout);
}

void WriteStatisticsReport(TerminalSink& sink, const statistics_t& statistics, std::string_view sequence,
                           const ReportFormat& format) {
    writeWvectorSequence(sink, statistics, sequence, format);
    writeStatistics(sink, statistics, format, kWvectorLayout);
}

void WritePredictionReport(TerminalSink& sink, std::string_view expression, const statistics_t& statistics,
                           std::string_view sequence, const ReportFormat& format) {
    if (format.options.shows(SEQUENCE)) {
        sink.appendLine(kSequenceHeading);
        sink.appendLine(sequence);
    }
    if (format.options.shows(ENTROPY)) writeEntropy(sink, statistics, format.decimalSeparator);
    sink.appendLine("Conditional Betting Expression:");
    sink.appendLine(expression);
    writeStatistics(sink, statistics, format, kPredictionLayout);
}

void RunResult(TerminalSink& sink, const wvector& rule, std::span<const basic_record_t> range,
               const ReportFormat& format) {
    statistics_t statistics;
    EvaluateWvector(rule, range, statistics);
    // The sequence takes a second pass, made only when it is shown.
    const std::string sequence = format.options.shows(SEQUENCE) ? WvectorWinLossSequence(rule, range) : std::string();
    WriteWvectorReport(sink, rule, statistics, sequence, format);
}

void RunPeResult(TerminalSink& sink, const std::string& expression, std::span<const basic_record_t> range,
                 const ReportFormat& format, const StopRequest& stop) {
    PredictExpression rule(expression);
    statistics_t statistics;
    std::string sequence;
    bool warned = false;
    {
        StatisticsAccumulator accumulator(statistics);
        for (const basic_record_t& record : range) {
            stop.throwIfRequested();
            std::uint8_t prediction = PredictExpression::NO_BET;
            try {
                prediction = rule.evaluate(record.odds1, record.odds0, record.odds2);
            } catch (const std::logic_error& error) {
                // A match the condition cannot be computed for is no bet; every
                // other error ends the run.
                if (std::string_view(error.what()) != kDomainError) throw;
                if (!warned) {
                    sink.appendLine(kDomainWarning);
                    warned = true;
                }
                continue;
            }
            if (prediction == PredictExpression::NO_BET) continue;
            const PredictionBet bet = PredictionBetFor(prediction, record);
            accumulator.settle(bet.odds, bet.won);
            sequence.push_back(bet.won ? '1' : '0');
        }
        accumulator.finish(KellyCap::AtOne);
    }
    WritePredictionReport(sink, rule.text(), statistics, sequence, format);
}

}  // namespace karvola
