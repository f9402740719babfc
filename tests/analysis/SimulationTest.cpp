#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <pugixml.hpp>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/BankrollChartSvg.h"
#include "analysis/BetsPreviewText.h"
#include "analysis/Simulation.h"
#include "common/NumberTexts.h"
#include "support/RecordingSink.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

basic_record_t match(const char* date, float odds1, float odds0, float odds2, char result) {
    basic_record_t record;
    record.odds1 = odds1;
    record.odds0 = odds0;
    record.odds2 = odds2;
    record.date = date;
    record.teams = "Home - Away";
    record.category = "League";
    record.result = result;
    return record;
}

std::vector<std::string> cells(const BetsPreviewRow& row) {
    return {row.number, row.date,     row.category,     row.teams, row.odds1,  row.odds0,
            row.odds2,  row.decision, row.decisionOdds, row.stake, row.result, row.bankroll};
}

// Replaces the point of a general-form text by the user's separator.
std::string general(std::string text, char separator) {
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

// A record left by an earlier simulation.
SimulationRecord earlierRecord() {
    SimulationRecord record;
    record.rows.push_back(BetsPreviewRow{"1", "01/01/2000", "Old", "A - B", "1.50", "4.00", "6.00", "bet1", "1.50",
                                         "0.1", "won", "1.05"});
    record.points.push_back(ChartPoint{1.05f, "01/01/2000"});
    return record;
}

// sim [1.5 2.5 1] 0.1: a bet won at 2.00, a match out of range, a bet lost on an away win.
// The stakes and bankrolls are the 32-bit values: 0.1f, 1.1f, 0.11f, 0.99f.
TEST(SimulationTest, SimStakesAFractionOfTheCurrentBankroll) {
    const std::vector<basic_record_t> domain{
        match("01/08/2009", 2.00f, 3.40f, 4.00f, '1'),
        match("02/08/2009", 3.00f, 3.20f, 2.80f, '1'),
        match("08/08/2009", 1.80f, 3.50f, 4.50f, '2'),
    };
    for (const char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        testing::RecordingSink sink;
        SimulationRecord record = earlierRecord();
        RunWvectorSimulation(sink, wvector::FromTypedBounds(1.5, 2.5, 1), 0.1f, std::span(domain), separator, record);

        ASSERT_EQ(record.rows.size(), 2u);
        EXPECT_EQ(cells(record.rows[0]),
                  (Lines{"1", "01/08/2009", "League", "Home - Away", "2.00", "3.40", "4.00", "bet1", "2.00",
                         general("0.100000001490116", separator), "won", general("1.10000002384186", separator)}));
        EXPECT_EQ(cells(record.rows[1]), (Lines{"2", "08/08/2009", "League", "Home - Away", "1.80", "3.50", "4.50",
                                                "bet1", "1.80", general("0.110000006854534", separator),
                                                "lost, won odds2", general("0.990000009536743", separator)}));
        EXPECT_EQ(sink.lines(), Lines{general(" Bankroll multiplier 0.990000009536743", separator)});

        ASSERT_EQ(record.points.size(), 2u);
        EXPECT_EQ(record.points[0].bankroll, 1.1f);
        EXPECT_EQ(record.points[0].label, "01/08/2009");
        EXPECT_EQ(record.points[1].bankroll, 0.99f);
        EXPECT_EQ(record.points[1].label, "08/08/2009");
    }
}

// 0.95f + 2.6f * 0.05f rounds to 1.08000004291534 as one extended-precision sum;
// rounding the payout to 32 bits first would give 1.07999992370605.
TEST(SimulationTest, SimAddsThePayoutInExtendedPrecision) {
    const std::vector<basic_record_t> domain{match("01/08/2009", 2.60f, 3.40f, 2.80f, '1')};
    testing::RecordingSink sink;
    SimulationRecord record;
    RunWvectorSimulation(sink, wvector::FromTypedBounds(2.5, 3, 1), 0.05f, std::span(domain), '.', record);
    ASSERT_EQ(record.rows.size(), 1u);
    EXPECT_EQ(record.rows[0].stake, "0.0500000007450581");
    EXPECT_EQ(record.rows[0].bankroll, "1.08000004291534");
    EXPECT_EQ(sink.lines(), Lines{" Bankroll multiplier 1.08000004291534"});
}

TEST(SimulationTest, SimNamesTheBackedOutcomeAndTheResult) {
    struct Case {
        basic_record_t record;
        const char* decision;
        const char* decisionOdds;
        const char* result;
    };
    const Case cases[] = {
        {match("d", 2.00f, 3.40f, 4.00f, '1'), "bet1", "2.00", "won"},
        {match("d", 2.00f, 3.40f, 4.00f, '0'), "bet1", "2.00", "lost, won odds0"},
        {match("d", 4.00f, 2.20f, 3.40f, '0'), "bet0", "2.20", "won"},
        {match("d", 4.00f, 2.20f, 3.40f, '1'), "bet0", "2.20", "lost, won odds1"},
        {match("d", 4.00f, 3.40f, 2.10f, '2'), "bet2", "2.10", "won"},
        {match("d", 4.00f, 3.40f, 2.10f, '?'), "bet2", "2.10", "lost, won odds?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.decision) + " " + c.result);
        testing::RecordingSink sink;
        SimulationRecord record;
        RunWvectorSimulation(sink, wvector::FromTypedBounds(2, 2.5, 1), 0.0f, std::span(&c.record, 1), '.', record);
        ASSERT_EQ(record.rows.size(), 1u);
        EXPECT_EQ(record.rows[0].decision, c.decision);
        EXPECT_EQ(record.rows[0].decisionOdds, c.decisionOdds);
        EXPECT_EQ(record.rows[0].result, c.result);
        EXPECT_EQ(record.rows[0].stake, "0");
        EXPECT_EQ(record.rows[0].bankroll, "1");
    }
}

// Every BET102 bet is won, at combined odds 1 / (1/2 + 1/3.4 + 1/4) = 0.9577...,
// settled at 0.96: below every single odds, so the bankroll shrinks.
TEST(SimulationTest, PeSimSettlesCombinedBetsAtTheRoundedCombinedOdds) {
    const std::vector<basic_record_t> domain{
        match("01/08/2009", 2.00f, 3.40f, 4.00f, '1'),
        match("02/08/2009", 2.00f, 3.40f, 4.00f, '0'),
        match("03/08/2009", 2.00f, 3.40f, 4.00f, '2'),
    };
    testing::RecordingSink sink;
    SimulationRecord record;
    RunPredictionSimulation(sink, " BET102", 0.05f, std::span(domain), '.', record);

    const Lines stakes{"0.0500000007450581", "0.0498999990522861", "0.0498001985251904"};
    const Lines bankrolls{"0.997999966144562", "0.996003985404968", "0.99401193857193"};
    ASSERT_EQ(record.rows.size(), 3u);
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
        SCOPED_TRACE(i);
        const BetsPreviewRow& row = record.rows[i];
        EXPECT_EQ(row.number, std::to_string(i + 1));
        EXPECT_EQ(row.decision, "bet102");
        EXPECT_EQ(row.decisionOdds, "0.96");
        EXPECT_EQ(row.result, "won");
        EXPECT_EQ(row.stake, stakes[i]);
        EXPECT_EQ(row.bankroll, bankrolls[i]);
        EXPECT_EQ(FormatGeneral(static_cast<double>(record.points[i].bankroll)), bankrolls[i]);
    }
    EXPECT_EQ(sink.lines(), Lines{" Bankroll multiplier 0.99401193857193"});
}

// BET12 on 2.00 / 3.40 / 4.00 is priced 1.33 and lost on a draw.
TEST(SimulationTest, PeSimLosesACombinedBetOnTheOutcomeItLeavesOut) {
    const std::vector<basic_record_t> domain{match("01/08/2009", 2.00f, 3.40f, 4.00f, '0')};
    testing::RecordingSink sink;
    SimulationRecord record;
    RunPredictionSimulation(sink, "ODDS1<ODDS2?BET12", 0.5f, std::span(domain), ',', record);
    ASSERT_EQ(record.rows.size(), 1u);
    EXPECT_EQ(cells(record.rows[0]), (Lines{"1", "01/08/2009", "League", "Home - Away", "2.00", "3.40", "4.00", "bet12",
                                            "1.33", "0,5", "lost, won odds0", "0,5"}));
    EXPECT_EQ(sink.lines(), Lines{" Bankroll multiplier 0,5"});
}

// With LO or HI 0 the chart is emptied but the Bets Preview keeps the last
// simulation's rows and the terminal stays quiet; a range without bets replaces
// them with nothing and reports the untouched bankroll.
TEST(SimulationTest, RangeWithoutBets) {
    const std::vector<basic_record_t> noBets{match("01/08/2009", 3.00f, 3.20f, 2.80f, '1')};
    struct Case {
        const char* name;
        std::optional<std::span<const basic_record_t>> range;
        std::size_t rows;
        Lines lines;
    };
    const Case cases[] = {
        {"no range", std::nullopt, 1, {}},
        {"empty range", std::span<const basic_record_t>(), 0, {" Bankroll multiplier 1"}},
        {"no match bets", std::span(noBets), 0, {" Bankroll multiplier 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            testing::RecordingSink sink;
            SimulationRecord record = earlierRecord();
            RunWvectorSimulation(sink, wvector::FromTypedBounds(1.5, 2.5, 1), 0.1f, c.range, '.', record);
            EXPECT_EQ(record.rows.size(), c.rows);
            EXPECT_TRUE(record.points.empty());
            EXPECT_EQ(sink.lines(), c.lines);
        }
        {
            // Nothing evaluates the expression, so even a faulty one passes.
            testing::RecordingSink sink;
            SimulationRecord record = earlierRecord();
            const std::string expression = c.range && !c.range->empty() ? "ODDS1<2?BET1" : "NONSENSE?";
            RunPredictionSimulation(sink, expression, 0.1f, c.range, '.', record);
            EXPECT_EQ(record.rows.size(), c.rows);
            EXPECT_TRUE(record.points.empty());
            EXPECT_EQ(sink.lines(), c.lines);
        }
    }
}

// 1/(ODDS1-2) has no value where the home odds are 2.00: those matches are no
// bets, with one warning for the whole run.
TEST(SimulationTest, DomainErrorsSkipTheMatchWithOneWarning) {
    const std::vector<basic_record_t> domain{
        match("01/08/2009", 2.00f, 3.40f, 4.00f, '1'),
        match("02/08/2009", 2.50f, 3.20f, 2.80f, '1'),
        match("03/08/2009", 2.00f, 3.40f, 4.00f, '1'),
        match("04/08/2009", 3.00f, 3.20f, 2.30f, '2'),
    };
    testing::RecordingSink sink;
    SimulationRecord record;
    RunPredictionSimulation(sink, "1/(ODDS1-2)>0?BET1", 0.0f, std::span(domain), '.', record);
    EXPECT_EQ(sink.lines(), (Lines{"Warning: domain error", " Bankroll multiplier 1"}));
    ASSERT_EQ(record.rows.size(), 2u);
    EXPECT_EQ(record.rows[0].number, "1");
    EXPECT_EQ(record.rows[0].date, "02/08/2009");
    EXPECT_EQ(record.rows[1].number, "2");
    EXPECT_EQ(record.rows[1].date, "04/08/2009");
    EXPECT_EQ(record.rows[1].result, "lost, won odds2");
}

// The second part's condition is only evaluated where the first does not hold.
TEST(SimulationTest, OtherErrorsEndTheRunKeepingWhatWasFilled) {
    const std::vector<basic_record_t> domain{
        match("01/08/2009", 2.00f, 3.40f, 4.00f, '1'),
        match("02/08/2009", 3.50f, 3.20f, 2.10f, '2'),
        match("03/08/2009", 2.00f, 3.40f, 4.00f, '1'),
    };
    testing::RecordingSink sink;
    SimulationRecord record = earlierRecord();
    try {
        RunPredictionSimulation(sink, "ODDS1<3?BET1:(ODDS2<3?BET2", 0.1f, std::span(domain), '.', record);
        FAIL() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_STRNE(error.what(), "Domain error");
    }
    EXPECT_TRUE(sink.lines().empty());
    ASSERT_EQ(record.rows.size(), 1u);
    EXPECT_EQ(record.rows[0].date, "01/08/2009");
    EXPECT_EQ(record.rows[0].bankroll, "1.10000002384186");
    ASSERT_EQ(record.points.size(), 1u);
    EXPECT_EQ(record.points[0].label, "01/08/2009");
}

TEST(SimulationTest, TableAlignsColumnsOnTheirWidestCell) {
    const std::vector<BetsPreviewRow> rows{
        {"1", "01/08/2009", "League", "Home - Away", "2.00", "3.40", "4.00", "bet1", "2.00", "0.1", "won", "1.1"},
        {"10", "08/08/2009", "Premier League", "Malm\xC3\xB6 FF - AIK", "1.80", "3.50", "4.50", "bet102", "0.96",
         "0.11", "lost, won odds2", "0.99"},
    };
    // The UTF-8 team name counts by characters; no line ends in blanks.
    EXPECT_EQ(FormatBetsPreviewTable(rows),
              (Lines{"No.  Date        Category        Teams           1     X     2     Decision  Odds for Decision"
                     "  Stake  Result           Current Bankroll",
                     "1    01/08/2009  League          Home - Away     2.00  3.40  4.00  bet1      2.00           "
                     "    0.1    won              1.1",
                     "10   08/08/2009  Premier League  Malm\xC3\xB6 FF - AIK  1.80  3.50  4.50  bet102    0.96       "
                     "        0.11   lost, won odds2  0.99"}));
    EXPECT_EQ(FormatBetsPreviewTable({}),
              Lines{"No.  Date  Category  Teams  1  X  2  Decision  Odds for Decision  Stake  Result  "
                    "Current Bankroll"});
}

TEST(SimulationTest, CsvQuotesCellsThatNeedIt) {
    const std::vector<BetsPreviewRow> rows{
        {"1", "01/08/2009", "League", "Home - Away", "2.00", "3.40", "4.00", "bet1", "2.00", "0,100000001490116", "won",
         "1,10000002384186"},
        {"2", "08/08/2009", "Cup\nFinal", "\"Reds\" - Blues", "1.80", "3.50", "4.50", "bet1", "1.80", "0.1",
         "lost, won odds2", "a\rb"},
    };
    const std::string header =
        "No.,Date,Category,Teams,1,X,2,Decision,Odds for Decision,Stake,Result,Current Bankroll\r\n";
    EXPECT_EQ(FormatBetsPreviewCsv(rows),
              header +
                  "1,01/08/2009,League,Home - Away,2.00,3.40,4.00,bet1,2.00,\"0,100000001490116\",won,"
                  "\"1,10000002384186\"\r\n"
                  "2,08/08/2009,\"Cup\nFinal\",\"\"\"Reds\"\" - Blues\",1.80,3.50,4.50,bet1,1.80,0.1,"
                  "\"lost, won odds2\",\"a\rb\"\r\n");
    EXPECT_EQ(FormatBetsPreviewCsv({}), header);
}

// ---------------------------------------------------------------------------
// The chart picture

struct Point {
    double x;
    double y;
};

double parseNumber(std::string_view text) {
    double value = std::numeric_limits<double>::quiet_NaN();
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(result.ec == std::errc{} && result.ptr == text.data() + text.size()) << text;
    return value;
}

// The polyline's points, each inside the picture.
std::vector<Point> polylinePoints(const pugi::xml_node& svg) {
    std::vector<Point> points;
    const pugi::xml_node line = svg.child("polyline");
    if (!line) return points;
    EXPECT_STREQ(line.attribute("stroke").value(), "red");
    const std::string text = line.attribute("points").value();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string pair = text.substr(at, end - at);
        const std::size_t comma = pair.find(',');
        const Point point{parseNumber(std::string_view(pair).substr(0, comma)),
                          parseNumber(std::string_view(pair).substr(comma + 1))};
        EXPECT_TRUE(point.x >= 0 && point.x <= 900 && point.y >= 0 && point.y <= 500) << pair;
        points.push_back(point);
        at = end + 1;
    }
    return points;
}

std::vector<std::string> texts(const pugi::xml_node& svg) {
    std::vector<std::string> result;
    for (const pugi::xml_node text : svg.children("text")) result.emplace_back(text.child_value());
    return result;
}

bool contains(const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

class ChartSvgTest : public ::testing::Test {
protected:
    pugi::xml_node parse(const std::vector<ChartPoint>& points, bool logarithmic) {
        m_svg = RenderBankrollChartSvg(points, logarithmic);
        const pugi::xml_parse_result result = m_document.load_string(m_svg.c_str());
        EXPECT_TRUE(result) << result.description() << "\n" << m_svg;
        const pugi::xml_node svg = m_document.child("svg");
        EXPECT_STREQ(svg.attribute("xmlns").value(), "http://www.w3.org/2000/svg");
        EXPECT_STREQ(svg.attribute("version").value(), "1.1");
        const std::vector<std::string> all = texts(svg);
        EXPECT_TRUE(contains(all, "Bankroll Multiplier function in time"));
        EXPECT_TRUE(contains(all, logarithmic ? "(logarithmic scale)" : "(decimal scale)"));
        EXPECT_FALSE(contains(all, logarithmic ? "(decimal scale)" : "(logarithmic scale)"));
        EXPECT_GE(std::distance(svg.children("line").begin(), svg.children("line").end()), 2);
        return svg;
    }

private:
    std::string m_svg;
    pugi::xml_document m_document;
};

TEST_F(ChartSvgTest, EmptyChartHasTitleAndAxes) {
    for (const bool logarithmic : {false, true}) {
        SCOPED_TRACE(logarithmic);
        const pugi::xml_node svg = parse({}, logarithmic);
        EXPECT_FALSE(svg.child("polyline"));
    }
}

TEST_F(ChartSvgTest, PointsAtEqualStepsHigherBankrollHigher) {
    const std::vector<ChartPoint> chart{{1.1f, "01/08/2009"}, {0.99f, "08/08/2009"}, {1.5f, "<15/08 & co>"}};
    for (const bool logarithmic : {false, true}) {
        SCOPED_TRACE(logarithmic);
        const pugi::xml_node svg = parse(chart, logarithmic);
        const std::vector<Point> points = polylinePoints(svg);
        ASSERT_EQ(points.size(), 3u);
        EXPECT_DOUBLE_EQ(points[1].x - points[0].x, points[2].x - points[1].x);
        EXPECT_GT(points[1].x, points[0].x);
        EXPECT_LT(points[2].y, points[0].y);
        EXPECT_LT(points[0].y, points[1].y);
        const std::vector<std::string> all = texts(svg);
        EXPECT_TRUE(contains(all, "01/08/2009"));
        EXPECT_TRUE(contains(all, "<15/08 & co>"));
    }
}

TEST_F(ChartSvgTest, LogarithmicScaleSpacesEqualRatiosEquallyAndPutsNonPositiveAtTheBottom) {
    // Stakes above the whole bankroll make it negative; 8-bit labels stay readable.
    const std::vector<ChartPoint> chart{{1.0f, "a"}, {10.0f, "b"},         {100.0f, "c"},
                                        {0.0f, "d"}, {-0.5f, "\xE9t\xE9"}, {0.5f, "f"}};
    const pugi::xml_node svg = parse(chart, true);
    EXPECT_TRUE(contains(texts(svg), "\xC3\xA9t\xC3\xA9"));  // Latin-1 "ete" with accents, in UTF-8
    const std::vector<Point> points = polylinePoints(svg);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_NEAR(points[0].y - points[1].y, points[1].y - points[2].y, 0.02);
    EXPECT_EQ(points[3].y, points[4].y);
    EXPECT_GT(points[3].y, points[5].y);
    for (const Point& point : points) EXPECT_LE(point.y, points[3].y);

    // On the linear scale the negative bankroll is below zero.
    const std::vector<Point> linear = polylinePoints(parse(chart, false));
    ASSERT_EQ(linear.size(), 6u);
    EXPECT_GT(linear[4].y, linear[3].y);
}

TEST_F(ChartSvgTest, SinglePointAndExtremeBankrolls) {
    const float largest = std::numeric_limits<float>::max();
    const float infinity = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<ChartPoint>> charts{
        {{1.1f, "only"}},
        {{largest, "a"}, {-largest, "b"}, {std::numeric_limits<float>::denorm_min(), "c"}},
        {{infinity, "a"}, {nan, "b"}, {1.0f, "c"}},
    };
    for (const auto& chart : charts) {
        for (const bool logarithmic : {false, true}) {
            SCOPED_TRACE(chart.front().label + (logarithmic ? " log" : " linear"));
            EXPECT_EQ(polylinePoints(parse(chart, logarithmic)).size(), chart.size());
        }
    }
}

}  // namespace
}  // namespace karvola
