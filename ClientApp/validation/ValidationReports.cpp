#include "validation/ValidationReports.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "common/NumberTexts.h"
#include "validation/RiskFigures.h"

namespace karvola {

namespace {

std::string padded(std::string text, std::size_t width, bool alignRight) {
    if (text.size() >= width) return text;
    const std::string fill(width - text.size(), ' ');
    return alignRight ? fill + text : text + fill;
}

std::string left(std::string text, std::size_t width) {
    return padded(std::move(text), width, false);
}

std::string right(std::string text, std::size_t width) {
    return padded(std::move(text), width, true);
}

// The table's columns: the fold, its ranges and vector, then one group of
// figures for the training matches and one for the test block; 86 in all, so
// that a row fits the window's terminal.
constexpr std::size_t kFoldWidth = 4;
constexpr std::size_t kRangeWidth = 12;
constexpr std::size_t kVectorWidth = 17;
constexpr std::size_t kBetsWidth = 6;
constexpr std::size_t kYieldWidth = 7;
constexpr std::size_t kGroupWidth = kBetsWidth + 2 * kYieldWidth;
constexpr std::size_t kLeadWidth = kFoldWidth + 1 + 2 * kRangeWidth + kVectorWidth;

std::string groupHeading(const std::string& name) {
    const std::size_t dashes = kGroupWidth - name.size() - 3;
    return " " + std::string(dashes / 2, '-') + " " + name + " " + std::string(dashes - dashes / 2, '-');
}

// A yield in the table: one decimal below 100% either way, whole percents from
// there ("-100%", "-250%"), so that a total loss and the pessimistic bounds
// beyond it keep a blank before them in their 7 columns.
std::string tableYield(double share) {
    const auto percent = static_cast<double>(static_cast<long double>(share) * 100.0L);
    if (std::fabs(percent) < 99.95) return FormatPercentOneDecimal(share);
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 0).ptr;
    return std::string(text, end) + "%";
}

// A figure right-aligned in its column; one too wide for it still keeps a blank
// before it, so that it never runs into the figure on its left.
std::string cell(std::string text, std::size_t width) {
    return text.size() < width ? right(std::move(text), width) : " " + text;
}

// Without bets there is no yield: "-" rather than the 0% and -100% that
// statistics without bets hold.
std::string figures(const statistics_t& statistics) {
    const bool bets = statistics.total_bets > 0;
    return cell(std::to_string(statistics.total_bets), kBetsWidth) +
           cell(bets ? tableYield(statistics.average_yield) : "-", kYieldWidth) +
           cell(bets ? tableYield(statistics.pessimistic_yield) : "-", kYieldWidth);
}

std::string range(int first, int last) {
    return std::to_string(first) + "-" + std::to_string(last);
}

std::string vectorText(const wvector& rule) {
    return "[" + FormatTwoDecimals(rule.kmin) + " " + FormatTwoDecimals(rule.kMax) + " " + FormatTwoDecimals(rule.CRZ) +
           "]";
}

std::string fixedDecimals(double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

// The validation reports are this program's own, not the terminal's general
// form: their numbers keep a point whatever the locale. The statistics report
// they embed follows its own rules.
std::string general(double value) {
    return FormatGeneral(value, '.');
}

std::string header(const char* what, const ValidationSettings& settings) {
    return std::string(what) + " of opt over LO " + std::to_string(settings.lo) + " .. HI " +
           std::to_string(settings.hi) + " (BND% " + general(settings.bndPercent) + ", span " +
           general(settings.maximalSpan) + ")";
}

// What the p-value says, in the words of the test; lines short enough for the window's terminal.
std::vector<const char*> reading(double pValue) {
    if (pValue < 0.01) {
        return {"  Below 0.01: fair prices almost never give the search a best score this high,",
                "  so the edge is unlikely to be the search's luck."};
    }
    if (pValue < 0.05) {
        return {"  Below 0.05: fair prices seldom give the search a best score this high; check",
                "  the vector out of sample (:walkforward) before staking on it."};
    }
    return {"  Not small: fair prices often give the search a best score this high, so the",
            "  search alone can explain the result."};
}

}  // namespace

std::string FormatPercentOneDecimal(double share) {
    char text[64];
    const auto percent = static_cast<double>(static_cast<long double>(share) * 100.0L);
    const auto end = std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 1).ptr;
    std::string result(text, end);
    if (result == "-0.0") result = "0.0";
    return result + "%";
}

void WriteWalkForwardReport(TerminalSink& sink, const ValidationSettings& settings, std::optional<int> train,
                            const WalkForwardResult& result, const ReportFormat& format) {
    const std::size_t folds = result.folds.size();
    // Apart from what the terminal showed before, as the result report is.
    sink.appendLine(" ");
    sink.appendLine(header("Walk-forward validation", settings) + ":");
    sink.appendLine(std::to_string(folds) + (folds == 1 ? " fold" : " folds") + ", each trained on " +
                    (train ? "the " + std::to_string(*train) + " matches" : std::string("every match from LO")) +
                    " before its test block");
    sink.appendLine(left("", kLeadWidth) + groupHeading("in-sample") + groupHeading("out-of-sample"));
    const std::string figureHeadings =
        right("Bets", kBetsWidth) + right("Yield", kYieldWidth) + right("Pess.", kYieldWidth);
    sink.appendLine(right("Fold", kFoldWidth) + " " + left("Train", kRangeWidth) + left("Test", kRangeWidth) +
                    left("wvector", kVectorWidth) + figureHeadings + figureHeadings);
    int number = 0;
    for (const FoldResult& fold : result.folds) {
        sink.appendLine(right(std::to_string(++number), kFoldWidth) + " " +
                        left(range(fold.plan.trainFirst, fold.plan.trainLast), kRangeWidth) +
                        left(range(fold.plan.testFirst, fold.plan.testLast), kRangeWidth) +
                        left(vectorText(fold.vector), kVectorWidth) + figures(fold.inSample) +
                        figures(fold.outOfSample));
    }
    sink.appendLine(left("pooled", kLeadWidth) + figures(result.pooledInSample) + figures(result.pooledOutOfSample));
    sink.appendLine("(Pess.: the pessimistic yield, the yield less 1.28 standard errors)");
    sink.appendLine(" ");

    const std::string blocks = std::to_string(folds) + (folds == 1 ? " test block" : " test blocks");
    if (result.pooledOutOfSample.total_bets == 0) {
        // The statistics of no bets would read as a 0% yield and a total loss.
        sink.appendLine("out-of-sample statistics: no bets in the " + blocks);
    } else {
        sink.appendLine("out-of-sample statistics, pooled over the " + blocks + ":");
        WriteStatisticsReport(sink, result.pooledOutOfSample, result.outOfSampleSequence, format);
    }
    const RiskFigures risk = MeasureRisk(result.outOfSampleBankroll);
    sink.appendLine("out-of-sample bankroll, each fold staking its training OKF (at most 1):");
    sink.appendLine("  Bankroll multiplier: " + general(static_cast<double>(risk.finalMultiplier)) +
                    "  Maximum drawdown: " + FormatPercentOneDecimal(risk.maximumDrawdown));
}

void WriteSignificanceReport(TerminalSink& sink, const ValidationSettings& settings, std::uint64_t seed,
                             const SignificanceResult& result) {
    const std::size_t replicas = result.replicaScores.size();
    sink.appendLine(" ");
    sink.appendLine(header("Significance", settings) + ": " + std::to_string(replicas) + " replicas, seed " +
                    std::to_string(seed));
    sink.appendLine("  Null hypothesis: the prices are fair, no rule has an edge beyond the margin.");
    sink.appendLine("  Each replica keeps every match's odds, draws its result from their normalised");
    sink.appendLine("  inverse odds (1/odds over their sum: the margin taken off in proportion) and");
    sink.appendLine("  runs opt's search on it.");
    std::string real = "  Real best score:        " + FormatTwoDecimals(result.realScore);
    real += result.real.statistics.total_bets > 0 ? "  wvector " + vectorText(result.real.best)
                                                  : std::string("  (no vector accepted)");
    sink.appendLine(real);

    std::vector<float> sorted = result.replicaScores;
    std::sort(sorted.begin(), sorted.end());
    const auto rank = [&sorted](double share) { return FormatTwoDecimals(NearestRank(sorted, share)); };
    sink.appendLine("  Replica best scores:    min " + rank(0.0) + "  median " + rank(0.5) + "  max " + rank(1.0));
    sink.appendLine("                          95th percentile " + rank(0.95) + "  99th percentile " + rank(0.99) +
                    " (nearest rank)");
    sink.appendLine("  Replicas reaching it:   " + std::to_string(result.reaching) + " of " + std::to_string(replicas));
    sink.appendLine("  p-value:                " + fixedDecimals(result.pValue, 4) + " = (1 + " +
                    std::to_string(result.reaching) + ") / (1 + " + std::to_string(replicas) + ")");
    for (const char* line : reading(result.pValue)) sink.appendLine(line);
}

}  // namespace karvola
