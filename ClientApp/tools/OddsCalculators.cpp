#include "tools/OddsCalculators.h"

#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/NumberTexts.h"
#include "expressions/NumericExpression.h"
#include "terminal/CommandDispatcher.h"

namespace karvola {

namespace {

// The summation of ln n! is linear in n and its table is held in memory; a larger
// count would also make the binomial terms meaningless at 15 digits.
constexpr double kMaxEvents = 1'000'000.0;
// testb writes the term that falls to this probability and stops there.
constexpr double kNegligibleProbability = 0.0001;

// The dispatcher only calls with enough tokens; a direct caller gets what the user
// would see for a short line.
void requireArguments(std::span<const std::string> arguments, std::size_t count) {
    if (arguments.size() < count) throw std::logic_error("Incorrect command or arguments");
}

double evaluate(const std::string& text) {
    return EvaluateNumericExpression(text);
}

void writeStake(TerminalSink& sink, std::string_view ordinal, double stake) {
    std::string line = "stake for ";
    line += ordinal;
    line += " odds is : ";
    line += FormatTwoDecimals(stake);
    sink.appendLine(line);
}

// lnFactorials[m] = ln 2 + ln 3 + ... + ln m, accumulated in that order, so every entry is
// bit for bit the sum a fresh loop from 2 to m would give.
std::vector<double> lnFactorialTable(unsigned n) {
    std::vector<double> table(static_cast<std::size_t>(n) + 1, 0.0);
    double sum = 0.0;
    for (unsigned i = 2; i <= n; ++i) {
        sum += std::log(static_cast<double>(i));
        table[i] = sum;
    }
    return table;
}

unsigned eventsCount(double value) {
    const double events = std::trunc(value);
    if (events == 0.0) throw std::logic_error("Error: given number of events is zero");
    if (events < 0.0) throw std::logic_error("Error: given number of events is negative");
    if (!(events <= kMaxEvents)) {
        throw std::logic_error("Error: given number of events is greater than 1000000");
    }
    return static_cast<unsigned>(events);
}

}  // namespace

void CombineTwoOdds(std::span<const std::string> arguments, TerminalSink& sink) {
    requireArguments(arguments, 2);
    const double o1 = evaluate(arguments[0]);
    const double o2 = evaluate(arguments[1]);
    // A zero odds is a division by zero as much as a zero sum is.
    if (o1 + o2 == 0.0 || o1 == 0.0 || o2 == 0.0) throw std::logic_error("Division by zero");

    const double resultant = 1.0 / (1.0 / o1 + 1.0 / o2);
    sink.appendLine("resultant odds is : " + FormatTwoDecimals(resultant));
    if (arguments.size() < 3) return;
    if (!(resultant > 1.0)) {
        sink.appendLine("betting is unprofitable");
        return;
    }
    const double stake = evaluate(arguments[2]);
    writeStake(sink, "1st", stake * o2 / (o1 + o2));
    writeStake(sink, "2nd", stake * o1 / (o1 + o2));
}

void CombineThreeOdds(std::span<const std::string> arguments, TerminalSink& sink) {
    requireArguments(arguments, 3);
    const double o1 = evaluate(arguments[0]);
    const double o2 = evaluate(arguments[1]);
    const double o3 = evaluate(arguments[2]);
    if (o1 + o2 + o3 == 0.0 || o1 == 0.0 || o2 == 0.0 || o3 == 0.0) throw std::logic_error("Division by zero");
    // With a negative odds the reciprocals can cancel (1 1 -0.5): the resultant odds and
    // every stake would divide by zero.
    const double reciprocalSum = 1.0 / o1 + 1.0 / o2 + 1.0 / o3;
    if (reciprocalSum == 0.0) throw std::logic_error("Division by zero");

    const double resultant = 1.0 / reciprocalSum;
    sink.appendLine("resultant odds is : " + FormatTwoDecimals(resultant));
    if (arguments.size() < 4) return;
    if (!(resultant > 1.0)) {
        sink.appendLine("betting is unprofitable");
        return;
    }
    const double stake = evaluate(arguments[3]);
    // Each stake is S x (product of the other odds) / D, so stake_i x o_i = S x o1 x o2 x o3 / D for all i.
    const double d = o1 * o3 + o1 * o2 + o2 * o3;
    writeStake(sink, "1st", stake * o2 * o3 / d);
    writeStake(sink, "2nd", stake * o1 * o3 / d);
    writeStake(sink, "3rd", stake * o1 * o2 / d);
}

void TestBinomial(std::span<const std::string> arguments, TerminalSink& sink, char decimalSeparator) {
    requireArguments(arguments, 4);
    // All four are evaluated before any of them is checked.
    const double eventsValue = evaluate(arguments[0]);
    const double odds = evaluate(arguments[1]);
    const double target = evaluate(arguments[2]);
    const double edge = evaluate(arguments[3]);

    const unsigned n = eventsCount(eventsValue);
    if (odds < 1.0) throw std::logic_error("Error: given odds is less than 1");

    sink.appendLine(std::to_string(n));
    sink.appendLine(FormatGeneral(odds, decimalSeparator));
    sink.appendLine(FormatGeneral(target, decimalSeparator));
    sink.appendLine(FormatGeneral(edge, decimalSeparator));
    sink.appendLine("---");

    const double p = (edge + 1.0) / odds;
    sink.appendLine("Hypothetical probability : " + FormatGeneral(p, decimalSeparator));
    // Outside (0, 1) one of the logarithms below has no real value.
    if (!(p > 0.0 && p < 1.0)) throw std::logic_error("Error: hypothetical probability is out of range (0, 1)");

    const std::vector<double> lnFactorials = lnFactorialTable(n);
    const double lnP = std::log(p);
    const double lnQ = std::log(1.0 - p);
    double total = 0.0;

    // A start below zero or above n means no number of wins is examined; so does one
    // too large for any integer.
    const double start = std::trunc(static_cast<double>(n) * (target + 1.0) / odds);
    if (start >= 0.0 && start <= static_cast<double>(n)) {
        for (auto k = static_cast<unsigned>(start); k <= n; ++k) {
            const unsigned losses = n - k;
            const double exponent = static_cast<double>(k) * lnP + lnFactorials[n] + static_cast<double>(losses) * lnQ -
                                    lnFactorials[k] - lnFactorials[losses];
            const double probability = std::exp(exponent);
            sink.appendLine("  k=" + std::to_string(k) + ", p" + FormatGeneral(probability, decimalSeparator));
            if (probability <= kNegligibleProbability) break;
            total += probability;
        }
    }
    sink.appendLine("total probability = " + FormatGeneral(total, decimalSeparator));
}

void RegisterOddsCalculators(CommandDispatcher& dispatcher) {
    dispatcher.attach("cr_res2", [&dispatcher](const CommandArguments& arguments) {
        CombineTwoOdds(arguments.texts, dispatcher.sink());
    });
    dispatcher.attach("cr_res3", [&dispatcher](const CommandArguments& arguments) {
        CombineThreeOdds(arguments.texts, dispatcher.sink());
    });
    dispatcher.attach("testb", [&dispatcher](const CommandArguments& arguments) {
        TestBinomial(arguments.texts, dispatcher.sink(), dispatcher.decimalSeparator());
    });
}

}  // namespace karvola
