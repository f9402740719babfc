#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/NumberTexts.h"
#include "support/RecordingSink.h"
#include "tools/OddsCalculators.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;
using Calculator = std::function<void(std::span<const std::string>, TerminalSink&)>;

// What a calculator leaves behind: its lines and, when it failed, the message the
// dispatcher would put behind its prefix.
struct Outcome {
    Lines lines;
    std::string error;
};

Outcome runCalculator(const Calculator& calculator, const Lines& arguments) {
    testing::RecordingSink sink;
    Outcome outcome;
    try {
        calculator(arguments, sink);
    } catch (const std::logic_error& error) {
        outcome.error = error.what();
    }
    outcome.lines = sink.lines();
    return outcome;
}

const Calculator kTwoOdds = CombineTwoOdds;
const Calculator kThreeOdds = CombineThreeOdds;

Calculator binomial(char decimalSeparator = '.') {
    return [decimalSeparator](std::span<const std::string> arguments, TerminalSink& sink) {
        TestBinomial(arguments, sink, decimalSeparator);
    };
}

struct Case {
    const char* name;
    Calculator calculator;
    Lines arguments;
    Lines expectedLines;
    std::string expectedError = {};
};

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = runCalculator(c.calculator, c.arguments);
        EXPECT_EQ(outcome.lines, c.expectedLines);
        EXPECT_EQ(outcome.error, c.expectedError);
    }
}

TEST(CombinedOddsTest, ResultantOddsAndStakeSplit) {
    expectCases({
        {"two even odds break even", kTwoOdds, {"2", "2"}, {"resultant odds is : 1.00"}},
        {"break even is not profitable",
         kTwoOdds,
         {"2", "2", "100"},
         {"resultant odds is : 1.00", "betting is unprofitable"}},
        {"two equal odds split evenly",
         kTwoOdds,
         {"2.2", "2.2", "100"},
         {"resultant odds is : 1.10", "stake for 1st odds is : 50.00", "stake for 2nd odds is : 50.00"}},
        // The lower odds takes the larger stake: 72.73 x 1.5 = 27.27 x 4 = 109.09.
        {"unequal odds",
         kTwoOdds,
         {"1.5", "4", "100"},
         {"resultant odds is : 1.09", "stake for 1st odds is : 72.73", "stake for 2nd odds is : 27.27"}},
        {"arguments are expressions",
         kTwoOdds,
         {"1+0,5", "2*2", "50*2"},
         {"resultant odds is : 1.09", "stake for 1st odds is : 72.73", "stake for 2nd odds is : 27.27"}},
        {"tokens after the stake are ignored",
         kTwoOdds,
         {"2.2", "2.2", "100", "junk"},
         {"resultant odds is : 1.10", "stake for 1st odds is : 50.00", "stake for 2nd odds is : 50.00"}},
        {"the stake of an unprofitable bet is never evaluated",
         kTwoOdds,
         {"2", "2", "junk"},
         {"resultant odds is : 1.00", "betting is unprofitable"}},

        {"three even odds",
         kThreeOdds,
         {"3.3", "3.3", "3.3", "100"},
         {"resultant odds is : 1.10", "stake for 1st odds is : 33.33", "stake for 2nd odds is : 33.33",
          "stake for 3rd odds is : 33.33"}},
        // Every outcome pays 133.33: 53.33 x 2.5, 33.33 x 4, 13.33 x 10.
        {"three unequal odds",
         kThreeOdds,
         {"2.5", "4", "10", "100"},
         {"resultant odds is : 1.33", "stake for 1st odds is : 53.33", "stake for 2nd odds is : 33.33",
          "stake for 3rd odds is : 13.33"}},
        {"three odds without a stake", kThreeOdds, {"2.5", "4", "10"}, {"resultant odds is : 1.33"}},
        {"three odds breaking even",
         kThreeOdds,
         {"2", "4", "4", "100"},
         {"resultant odds is : 1.00", "betting is unprofitable"}},
        {"three odds, unprofitable stake never evaluated",
         kThreeOdds,
         {"2", "4", "4", "junk", "more"},
         {"resultant odds is : 1.00", "betting is unprofitable"}},
    });
}

TEST(CombinedOddsTest, Errors) {
    expectCases({
        {"odds cancelling out", kTwoOdds, {"2", "-2"}, {}, "Division by zero"},
        {"one odds of zero", kTwoOdds, {"0", "2", "100"}, {}, "Division by zero"},
        {"unreadable odds", kTwoOdds, {"2", "junk"}, {}, "Error in expression"},
        {"unreadable stake after the resultant odds",
         kTwoOdds,
         {"2.2", "2.2", "junk"},
         {"resultant odds is : 1.10"},
         "Error in expression"},
        {"three odds summing to zero", kThreeOdds, {"1", "1", "-2"}, {}, "Division by zero"},
        {"one of three odds zero", kThreeOdds, {"2", "0", "3"}, {}, "Division by zero"},
        // 1/1 + 1/1 + 1/-0.5 = 0 although the odds themselves sum to 1.5.
        {"reciprocals cancelling out", kThreeOdds, {"1", "1", "-0.5", "100"}, {}, "Division by zero"},
        {"failing stake after the resultant odds",
         kThreeOdds,
         {"3.3", "3.3", "3.3", "1/0"},
         {"resultant odds is : 1.10"},
         "Domain error"},
    });
}

// testb 10 2 0 0: fair bets at even odds, at least half of ten won. The exact
// probabilities are C(10, k) / 1024; the printed ones come from a sum of logarithms.
TEST(BinomialTest, TenFairBetsAtEvenOdds) {
    const Outcome outcome = runCalculator(binomial(), {"10", "2", "0", "0"});
    const Lines expected = {
        "10",
        "2",
        "0",
        "0",
        "---",
        "Hypothetical probability : 0.5",
        "  k=5, p0.24609375",
        "  k=6, p0.205078125",
        "  k=7, p0.1171875",
        "  k=8, p0.0439453125",
        "  k=9, p0.00976562500000002",
        "  k=10, p0.000976562499999999",
        "total probability = 0.623046875000001",
    };
    EXPECT_EQ(outcome.lines, expected);
    EXPECT_EQ(outcome.error, "");
}

TEST(BinomialTest, WhereTheCountStarts) {
    // Ten fair bets whose count of wins starts outside 0 ... 10: nothing is listed.
    const auto nothingListed = [](const std::string& target) {
        return Lines{"10", "2", target, "0", "---", "Hypothetical probability : 0.5", "total probability = 0"};
    };
    expectCases({
        {"start above n", binomial(), {"10", "2", "5", "0"}, nothingListed("5")},
        {"negative start", binomial(), {"10", "2", "-3", "0"}, nothingListed("-3")},
        {"start beyond every integer", binomial(), {"10", "2", "10^20", "0"}, nothingListed("1E20")},
        // 1 x (-1.5 + 1) / 2 = -0.25 truncates toward zero, to 0, not down to -1.
        {"start truncated toward zero",
         binomial(),
         {"1", "2", "-1.5", "0"},
         {"1", "2", "-1.5", "0", "---", "Hypothetical probability : 0.5", "  k=0, p0.5", "  k=1, p0.5",
          "total probability = 1"}},
        {"events truncated toward zero",
         binomial(),
         {"1.9", "2", "-1.5", "0"},
         {"1", "2", "-1.5", "0", "---", "Hypothetical probability : 0.5", "  k=0, p0.5", "  k=1, p0.5",
          "total probability = 1"}},
    });
}

TEST(BinomialTest, UsesTheGivenDecimalSeparator) {
    const Outcome outcome = runCalculator(binomial(','), {"1", "2,5", "-0.5", "0.25"});
    const Lines expected = {"1",           "2,5",         "-0,5",
                            "0,25",        "---",         "Hypothetical probability : 0,5",
                            "  k=0, p0,5", "  k=1, p0,5", "total probability = 1"};
    EXPECT_EQ(outcome.lines, expected);
}

double printedValue(std::string_view text) {
    return ParseDecimal(text).value_or(NAN);
}

// The probability of k wins in n fair bets, through std::lgamma: independent of the
// calculator's own summation of logarithms.
double fairBinomial(unsigned n, unsigned k) {
    const double lnCoefficient = std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0);
    return std::exp(lnCoefficient - n * std::log(2.0));
}

// Fair bets at even odds, counted from n / 2 wins up: every line must carry the true
// probability, the first term at or below 0.0001 ends the list and is left out of the total.
TEST(BinomialTest, FollowsTheDistributionUpToTheFirstNegligibleTerm) {
    struct Distribution {
        unsigned events;
        unsigned lastK;            // the first k whose probability is at most 0.0001
        double relativeTolerance;  // a million logarithms summed lose some digits
    };
    // P(19 of 20) is about 0.000019; for a million the tail is cut two deviations up.
    for (const Distribution& d : {Distribution{20, 19, 1e-12}, Distribution{1'000'000, 501'020, 1e-5}}) {
        SCOPED_TRACE(d.events);
        const auto begin = std::chrono::steady_clock::now();
        const Outcome outcome = runCalculator(binomial(), {std::to_string(d.events), "2", "0", "0"});
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
        ASSERT_EQ(outcome.error, "");

        const unsigned firstK = d.events / 2;
        ASSERT_EQ(outcome.lines.size(), 6 + (d.lastK - firstK + 1) + 1);
        double expectedTotal = 0.0;
        for (unsigned k = firstK; k <= d.lastK; ++k) {
            const std::string& line = outcome.lines[6 + k - firstK];
            const std::string prefix = "  k=" + std::to_string(k) + ", p";
            ASSERT_EQ(line.substr(0, prefix.size()), prefix);
            const double exact = fairBinomial(d.events, k);
            EXPECT_NEAR(printedValue(std::string_view(line).substr(prefix.size())), exact, exact * d.relativeTolerance)
                << line;
            if (k < d.lastK) expectedTotal += exact;
        }
        const std::string totalPrefix = "total probability = ";
        ASSERT_EQ(outcome.lines.back().substr(0, totalPrefix.size()), totalPrefix);
        const std::string_view total = std::string_view(outcome.lines.back()).substr(totalPrefix.size());
        EXPECT_NEAR(printedValue(total), expectedTotal, expectedTotal * d.relativeTolerance);
    }
}

TEST(BinomialTest, Errors) {
    const std::string rangeError = "Error: hypothetical probability is out of range (0, 1)";
    expectCases({
        {"no events", binomial(), {"0", "2", "0", "0"}, {}, "Error: given number of events is zero"},
        {"events below one", binomial(), {"0.9", "2", "0", "0"}, {}, "Error: given number of events is zero"},
        {"small negative events", binomial(), {"-0.5", "2", "0", "0"}, {}, "Error: given number of events is zero"},
        {"negative events", binomial(), {"-3", "2", "0", "0"}, {}, "Error: given number of events is negative"},
        {"too many events",
         binomial(),
         {"1000001", "2", "0", "0"},
         {},
         "Error: given number of events is greater than 1000000"},
        {"odds below one", binomial(), {"10", "0.5", "0", "0"}, {}, "Error: given odds is less than 1"},
        {"events checked before odds", binomial(), {"0", "0.5", "0", "0"}, {}, "Error: given number of events is zero"},
        {"every argument evaluated before the checks", binomial(), {"0", "2", "0", "junk"}, {}, "Error in expression"},
        {"certain win",
         binomial(),
         {"10", "2", "0", "1"},
         {"10", "2", "0", "1", "---", "Hypothetical probability : 1"},
         rangeError},
        {"win above certainty",
         binomial(),
         {"10", "1.5", "0", "1"},
         {"10", "1.5", "0", "1", "---", "Hypothetical probability : 1.33333333333333"},
         rangeError},
        {"no chance",
         binomial(),
         {"10", "2", "0", "-1"},
         {"10", "2", "0", "-1", "---", "Hypothetical probability : 0"},
         rangeError},
        {"negative probability",
         binomial(),
         {"10", "2", "0", "-3"},
         {"10", "2", "0", "-3", "---", "Hypothetical probability : -1"},
         rangeError},
        {"short argument list", binomial(), {"10", "2", "0"}, {}, "Incorrect command or arguments"},
    });
}

}  // namespace
}  // namespace karvola
