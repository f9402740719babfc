#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/PredictionBets.h"
#include "analysis/StrategyReports.h"
#include "analysis/WvectorRule.h"
#include "common/NumberTexts.h"
#include "expressions/PredictExpression.h"
#include "support/RecordingSink.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;
using karvola::testing::RecordingSink;

constexpr const char* kAllLines = "111111111111";
constexpr const char* kNoLines = "000000000000";

basic_record_t match(float odds1, float odds0, float odds2, char result) {
    basic_record_t record;
    record.odds1 = odds1;
    record.odds0 = odds0;
    record.odds2 = odds2;
    record.result = result;
    return record;
}

// Seven matches, most of them the rule's own edge cases.
const std::vector<basic_record_t>& fixture() {
    static const std::vector<basic_record_t> records = {
        match(1.50f, 3.80f, 6.00f, '1'), match(2.10f, 3.20f, 3.40f, '0'), match(2.50f, 3.00f, 2.50f, '2'),
        match(3.20f, 3.20f, 1.90f, '2'), match(1.25f, 5.00f, 9.00f, '1'), match(2.00f, 3.40f, 4.00f, '1'),
        match(1.85f, 3.50f, 4.20f, '2'),
    };
    return records;
}

ReportFormat formatWith(const char* options, char separator = '.') {
    return ReportFormat{DisplayOptions(options), separator};
}

Lines resultLines(const wvector& rule, std::span<const basic_record_t> range, const char* options) {
    RecordingSink sink;
    RunResult(sink, rule, range, formatWith(options));
    return sink.lines();
}

Lines peResultLines(const std::string& expression, std::span<const basic_record_t> range, const char* options,
                    char separator = '.') {
    RecordingSink sink;
    RunPeResult(sink, expression, range, formatWith(options, separator));
    return sink.lines();
}

struct RuleCase {
    float odds1;
    float odds0;
    float odds2;
    wvector rule;
    WvectorOutcome expected;
};

TEST(WvectorRuleTest, BacksTheUniqueFavouriteInRange) {
    const auto typed = wvector::FromTypedBounds;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const RuleCase cases[] = {
        // Only one in range.
        {1.50f, 3.80f, 6.00f, typed(1.4, 2, 1), OUTCOME_HOME},
        {5.00f, 3.50f, 1.60f, typed(3, 4, 1), OUTCOME_DRAW},
        {5.00f, 4.50f, 3.30f, typed(3, 4, 1), OUTCOME_AWAY},
        // All three in range: the strictly lowest, none when it is shared.
        {2.10f, 3.20f, 3.40f, typed(2, 3.5, 1), OUTCOME_HOME},
        {3.40f, 3.10f, 3.30f, typed(3, 4, 1), OUTCOME_DRAW},
        {3.40f, 3.30f, 3.10f, typed(3, 4, 1), OUTCOME_AWAY},
        {2.50f, 3.00f, 2.50f, typed(2, 3.5, 1), OUTCOME_NONE},
        {3.20f, 3.10f, 3.10f, typed(3, 4, 1), OUTCOME_NONE},
        // Two in range: the lower of the pair, none when equal.
        {3.20f, 3.20f, 1.90f, typed(3, 4, 1), OUTCOME_NONE},
        {3.10f, 3.30f, 1.90f, typed(3, 4, 1), OUTCOME_HOME},
        {3.30f, 3.10f, 1.90f, typed(3, 4, 1), OUTCOME_DRAW},
        {3.10f, 1.90f, 3.30f, typed(3, 4, 1), OUTCOME_HOME},
        {3.30f, 1.90f, 3.10f, typed(3, 4, 1), OUTCOME_AWAY},
        {1.90f, 3.30f, 3.10f, typed(3, 4, 1), OUTCOME_AWAY},
        {1.90f, 3.20f, 3.20f, typed(3, 4, 1), OUTCOME_NONE},
        // The overall favourite below CRZ stops the bet, whatever is in range.
        {1.25f, 5.00f, 9.00f, typed(4, 10, 1.3), OUTCOME_NONE},
        {1.25f, 5.00f, 9.00f, typed(4, 10, 1.25), OUTCOME_DRAW},
        // kmin above kMax: nothing is ever in range.
        {2.00f, 1.80f, 1.60f, typed(2, 1.5, 1), OUTCOME_NONE},
        // NaN odds are out of range.
        {3.30f, nan, 3.10f, typed(3, 4, 1), OUTCOME_AWAY},
        {nan, nan, nan, typed(0, 100, 0), OUTCOME_NONE},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.odds1 << " / " << c.odds0 << " / " << c.odds2 << " with [" << c.rule.kmin
                                          << " " << c.rule.kMax << " " << c.rule.CRZ << "]");
        EXPECT_EQ(DecideWvector(c.rule, c.odds1, c.odds0, c.odds2), c.expected);
    }
}

// result [1.5 2 1]: odds equal to a typed bound are inside it.
TEST(WvectorRuleTest, TypedBoundsIncludeOddsEqualToThem) {
    const std::vector<basic_record_t> range = {
        match(1.50f, 4.00f, 5.00f, '1'),
        match(2.00f, 3.40f, 4.00f, '0'),
        match(1.49f, 4.00f, 6.00f, '1'),
        match(2.01f, 3.40f, 3.60f, '1'),
    };
    const wvector rule = wvector::FromTypedBounds(1.5, 2, 1);
    statistics_t statistics;
    EvaluateWvector(rule, range, statistics);
    EXPECT_EQ(statistics.total_bets, 2u);
    EXPECT_EQ(statistics.winning_bets, 1u);
    EXPECT_EQ(statistics.odds, (std::vector<float>{1.50f, 2.00f}));
    EXPECT_EQ(WvectorWinLossSequence(rule, range), "10");
}

struct BetCase {
    std::uint8_t prediction;
    char result;
    float odds;
    const char* shown;  // "Odds for Decision" with two decimals
    bool won;
    const char* decision;
};

// Odds 2.00 / 3.40 / 4.00: combined odds are 1 / (sum of 1/o), rounded to two decimals.
TEST(PredictionBetsTest, PricesAndSettlesEachPrediction) {
    using P = PredictExpression;
    const BetCase cases[] = {
        {P::BET1, '1', 2.00f, "2.00", true, "bet1"},
        {P::BET0, '1', 3.40f, "3.40", false, "bet0"},
        {P::BET2, '2', 4.00f, "4.00", true, "bet2"},
        // 1 / (0.5 + 0.25)
        {P::BET12, '2', 1.33f, "1.33", true, "bet12"},
        {P::BET12, '0', 1.33f, "1.33", false, "bet12"},
        // 1 / (0.5 + 0.2941)
        {P::BET10, '0', 1.26f, "1.26", true, "bet10"},
        {P::BET10, '2', 1.26f, "1.26", false, "bet10"},
        // 1 / (0.2941 + 0.25)
        {P::BET02, '0', 1.84f, "1.84", true, "bet02"},
        {P::BET02, '1', 1.84f, "1.84", false, "bet02"},
        // 1 / (0.5 + 0.2941 + 0.25): always won, below every single odds.
        {P::BET102, '1', 0.96f, "0.96", true, "bet102"},
        {P::BET102, '0', 0.96f, "0.96", true, "bet102"},
    };
    for (const BetCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.decision << " on " << c.result);
        const PredictionBet bet = PredictionBetFor(c.prediction, match(2.00f, 3.40f, 4.00f, c.result));
        EXPECT_EQ(bet.odds, c.odds);
        EXPECT_EQ(FormatTwoDecimals(bet.shownOdds), c.shown);
        EXPECT_EQ(bet.won, c.won);
        EXPECT_STREQ(bet.decision, c.decision);
    }
}

TEST(PredictionBetsTest, CombinedOddsAreShownUnroundedAndSettledRounded) {
    EXPECT_EQ(CombinedOdds({2.00f, 4.00f}), 4.0f / 3.0f);
    EXPECT_EQ(SettledCombinedOdds({2.00f, 4.00f}), 1.33f);
    const PredictionBet bet = PredictionBetFor(PredictExpression::BET102, match(2.00f, 3.40f, 4.00f, '1'));
    EXPECT_FLOAT_EQ(bet.shownOdds, 0.95774648f);
    EXPECT_EQ(bet.odds, 0.96f);
}

TEST(ResultReportTest, FullReportOfAFixture) {
    // Bets: 1.50 won, 2.10 lost, 1.90 won, 2.00 won, 1.85 lost.
    const Lines expected = {
        " ",
        "Winning(1) / loosing(0) sequence:",
        "10110",
        "Entropy for Winning(1) / loosing(0) sequence: 0.970950603485107",
        "wvector:",
        "  Minimal odds: 1.40",
        "  Maximal odds: 2.20",
        "     CRZ value: 1.00",
        "Statistics:",
        "  Total number of bets:               5",
        "  Winning bets:                       3",
        "  Average Odds:                       1.87",
        "  Std. Dev. of Average Odds:          0.204939007759094",
        "  Average Winning Odds:            1.80",
        "  Std. Dev. of Average Winning Odds:  0.216024696826935",
        "  Average yield:                      7%",
        "  Pessimistic average yield:          -49%",
        "  Optimal Kelly's Fraction (OKF):     0.0919540077447891",
        "  Bankroll Multiplier for OKF:        1.01970326900482",
    };
    EXPECT_EQ(resultLines(wvector::FromTypedBounds(1.4, 2.2, 1), fixture(), kAllLines), expected);
}

TEST(ResultReportTest, DefaultOptions) {
    const Lines expected = {
        " ",
        "Winning(1) / loosing(0) sequence:",
        "10110",
        "wvector:",
        "  Minimal odds: 1.40",
        "  Maximal odds: 2.20",
        "     CRZ value: 1.00",
        "Statistics:",
        "  Total number of bets:               5",
        "  Winning bets:                       3",
        "  Average yield:                      7%",
        "  Pessimistic average yield:          -49%",
        "  Optimal Kelly's Fraction (OKF):     0.0919540077447891",
        "  Bankroll Multiplier for OKF:        1.01970326900482",
    };
    EXPECT_EQ(resultLines(wvector::FromTypedBounds(1.4, 2.2, 1), fixture(), DisplayOptions::kDefault), expected);
}

// No range selected, or a rule that never bets: the statistics of an empty run.
TEST(ResultReportTest, EmptyRun) {
    const Lines expected = {
        " ",
        "Winning(1) / loosing(0) sequence:",
        "",
        "Entropy for Winning(1) / loosing(0) sequence: -",
        "wvector:",
        "  Minimal odds: 2.00",
        "  Maximal odds: 1.50",
        "     CRZ value: 1.00",
        "Statistics:",
        "  Total number of bets:               0",
        "  Winning bets:                       0",
        "  Average Odds:                       0.00",
        "  Std. Dev. of Average Odds:          0",
        "  Average winning odds:            -",
        "  Std. Dev. of Average Winning Odds:  0",
        "  Average yield:                      0%",
        "  Pessimistic average yield:          -100%",
        "  Optimal Kelly's Fraction (OKF):     0",
        "  Bankroll Multiplier for OKF:        0",
    };
    const wvector never = wvector::FromTypedBounds(2, 1.5, 1);
    EXPECT_EQ(resultLines(never, fixture(), kAllLines), expected);
    EXPECT_EQ(resultLines(never, {}, kAllLines), expected);
}

TEST(PeResultReportTest, FullReportOfAFixture) {
    // BET1 at 1.50 and 1.25, BET2 at 1.90, BET12 at 1.30 (lost), 1.33 and 1.28;
    // the third match bets nothing. The float yield sum -6 + 7.26 comes out a
    // little below 1.26, so the average yield shows 20%.
    const Lines expected = {
        "Winning(1) / loosing(0) sequence:",
        "101111",
        "Entropy for Winning(1) / loosing(0) sequence: 0,650022447109222",
        "Conditional Betting Expression:",
        "ODDS1<1.6?BET1:ODDS2<2?BET2:ODDS1<ODDS2?BET12",
        "Statistics:",
        "  Total Number of Bets:           6",
        "  Winning Bets:                   5",
        "  Average Odds:                   1.43",
        "  Std. Dev. of Average Odds:      0,227303028106689",
        "  Average Winning Odds:           1.45",
        "  Std. Dev. of Average Winning Odds: 0,236643195152283",
        "  Average Yield:                  20%%",
        "  Pessimistic Average Yield:      -12%%",
        "  Optimal Kelly's Fraction (OKF): 0,492187529802322",
        "  Bankroll Multiplier for OKF:    1,35626125335693",
    };
    EXPECT_EQ(peResultLines(" ODDS1 < 1.6 ? BET1 : ODDS2<2?BET2 : ODDS1<ODDS2?BET12", fixture(), kAllLines, ','),
              expected);
}

TEST(PeResultReportTest, EmptyRangeShowsTheExpressionAsPassed) {
    // Nothing is evaluated, so even a faulty keyword reaches the report.
    const Lines expected = {
        "Winning(1) / loosing(0) sequence:",
        "",
        "Entropy for Winning(1) / loosing(0) sequence: -",
        "Conditional Betting Expression:",
        " ODDS1 < 2 ? BET3",
        "Statistics:",
        "  Total Number of Bets:           0",
        "  Winning Bets:                   0",
        "  Average Odds:                   0.00",
        "  Std. Dev. of Average Odds:      0",
        "  Average winning odds:           -",
        "  Std. Dev. of Average Winning Odds: 0",
        "  Average Yield:                  0%%",
        "  Pessimistic Average Yield:      -100%%",
        "  Optimal Kelly's Fraction (OKF): 0",
        "  Bankroll Multiplier for OKF:    0",
    };
    EXPECT_EQ(peResultLines(" ODDS1 < 2 ? BET3", {}, kAllLines), expected);
}

struct OptionsCase {
    const char* options;
    Lines wvectorReport;
    Lines predictionReport;
};

TEST(ReportOptionsTest, OnlyTheChosenLinesAppear) {
    const OptionsCase cases[] = {
        {kNoLines,
         {"wvector:", "  Minimal odds: 1.40", "  Maximal odds: 2.20", "     CRZ value: 1.00", "Statistics:"},
         {"Conditional Betting Expression:", "BET1", "Statistics:"}},
        // Missing positions count as off.
        {"01",
         {"wvector:", "  Minimal odds: 1.40", "  Maximal odds: 2.20", "     CRZ value: 1.00",
          "Statistics:", "  Winning bets:                       3"},
         {"Conditional Betting Expression:", "BET1", "Statistics:", "  Winning Bets:                   3"}},
        {"000000000001",
         {"Entropy for Winning(1) / loosing(0) sequence: 0.970950603485107", "wvector:", "  Minimal odds: 1.40",
          "  Maximal odds: 2.20", "     CRZ value: 1.00", "Statistics:"},
         {"Entropy for Winning(1) / loosing(0) sequence: 0.985228180885315", "Conditional Betting Expression:", "BET1",
          "Statistics:"}},
        // The prediction report has no blank line before its sequence.
        {"000000000010",
         {" ", "Winning(1) / loosing(0) sequence:", "10110", "wvector:", "  Minimal odds: 1.40", "  Maximal odds: 2.20",
          "     CRZ value: 1.00", "Statistics:"},
         {"Winning(1) / loosing(0) sequence:", "1000110", "Conditional Betting Expression:", "BET1", "Statistics:"}},
    };
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(resultLines(wvector::FromTypedBounds(1.4, 2.2, 1), fixture(), c.options), c.wvectorReport);
        EXPECT_EQ(peResultLines("BET1", fixture(), c.options), c.predictionReport);
    }
}

struct ValueCase {
    float averageYield;
    float pessimisticYield;
    float bankroll;
    Lines wvectorLines;
    Lines predictionLines;
};

// Percentages are truncated toward zero; the prediction report marks a bankroll
// run that overflowed.
TEST(ReportOptionsTest, PercentagesAndOverflow) {
    const float largest = std::numeric_limits<float>::max();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const ValueCase cases[] = {
        {-0.0567f,
         0.999f,
         1.5f,
         {"  Average yield:                      -5%", "  Pessimistic average yield:          99%",
          "  Bankroll Multiplier for OKF:        1,5"},
         {"  Average Yield:                  -5%%", "  Pessimistic Average Yield:      99%%",
          "  Bankroll Multiplier for OKF:    1,5"}},
        {0.0f,
         -0.009f,
         largest,
         {"  Average yield:                      0%", "  Pessimistic average yield:          0%",
          "  Bankroll Multiplier for OKF:        3,40282346638529E38"},
         {"  Average Yield:                  0%%", "  Pessimistic Average Yield:      0%%",
          "  Bankroll Multiplier for OKF:    3,40282346638529E38(overflow)"}},
        {0.1f,
         -1.0f,
         nan,
         {"  Average yield:                      10%", "  Pessimistic average yield:          -100%",
          "  Bankroll Multiplier for OKF:        NAN"},
         {"  Average Yield:                  10%%", "  Pessimistic Average Yield:      -100%%",
          "  Bankroll Multiplier for OKF:    NAN(overflow)"}},
        {0.1f,
         -1.0f,
         infinity,
         {"  Average yield:                      10%", "  Pessimistic average yield:          -100%",
          "  Bankroll Multiplier for OKF:        INF"},
         {"  Average Yield:                  10%%", "  Pessimistic Average Yield:      -100%%",
          "  Bankroll Multiplier for OKF:    INF"}},
    };
    const ReportFormat format = formatWith("000000110100", ',');
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.averageYield << " " << c.bankroll);
        statistics_t statistics;
        statistics.average_yield = c.averageYield;
        statistics.pessimistic_yield = c.pessimisticYield;
        statistics.bankroll_multiplier = c.bankroll;

        RecordingSink wvectorSink;
        WriteWvectorReport(wvectorSink, wvector{}, statistics, "", format);
        const Lines wvectorLines = wvectorSink.lines();
        EXPECT_EQ(Lines(wvectorLines.end() - 3, wvectorLines.end()), c.wvectorLines);

        RecordingSink predictionSink;
        WritePredictionReport(predictionSink, "BET1", statistics, "", format);
        const Lines predictionLines = predictionSink.lines();
        EXPECT_EQ(Lines(predictionLines.end() - 3, predictionLines.end()), c.predictionLines);
    }
}

// All won at 1.01 and 1.07: the fraction rounds to a little above 1, which only
// the prediction report caps.
TEST(PeResultTest, KellyFractionAboveOneIsReportedAsOne) {
    const std::vector<basic_record_t> range = {match(1.01f, 9.00f, 20.0f, '1'), match(1.07f, 8.00f, 15.0f, '1')};
    const Lines wvectorLines = resultLines(wvector::FromTypedBounds(1, 1.1, 1), range, "000000001100");
    const Lines predictionLines = peResultLines("BET1", range, "000000001100");
    EXPECT_EQ(wvectorLines.at(wvectorLines.size() - 2), "  Optimal Kelly's Fraction (OKF):     1.00000154972076");
    EXPECT_EQ(predictionLines.at(predictionLines.size() - 2), "  Optimal Kelly's Fraction (OKF): 1");
    EXPECT_EQ(predictionLines.back(), "  Bankroll Multiplier for OKF:    1.08070003986359");
}

// LOG of a negative number is a domain error: those matches are no bet, with
// one warning for the whole run.
TEST(PeResultTest, DomainErrorsWarnOnceAndSkipTheMatch) {
    const std::vector<basic_record_t> range = {
        match(1.50f, 4.00f, 6.00f, '1'),
        match(3.50f, 3.40f, 2.10f, '1'),
        match(1.80f, 3.60f, 4.50f, '2'),
        match(2.50f, 3.20f, 2.80f, '0'),
    };
    const Lines expected = {
        "Warning: domain error",
        "Winning(1) / loosing(0) sequence:",
        "1",
        "Conditional Betting Expression:",
        "LOG(ODDS1-2)>0?BET1",
        "Statistics:",
        "  Total Number of Bets:           1",
        "  Winning Bets:                   1",
    };
    EXPECT_EQ(peResultLines("LOG(ODDS1-2)>0?BET1", range, "110000000010"), expected);
}

TEST(PeResultTest, OtherErrorsEndTheRunWithoutReport) {
    const char* const cases[][2] = {
        {"ODDS1<2?BET3", "Invalid prediction keyword"},
        {"ODDS1<2?BET1:", "Expression syntax error"},
        {"ODDS1<(2?BET1", "Error in expression: Unmatched brackets"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        RecordingSink sink;
        try {
            RunPeResult(sink, c[0], fixture(), formatWith(kAllLines));
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c[1]);
        }
        EXPECT_TRUE(sink.lines().empty());
    }
}

}  // namespace
}  // namespace karvola
