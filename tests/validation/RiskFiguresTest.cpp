#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/RecordingSink.h"
#include "validation/RiskFigures.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

// Up to 1.20 on 05/01, down to 0.90 on 20/01 (a quarter of the peak), level
// with the peak again on 30/01, then below it to the end.
const std::vector<ChartPoint> kRun = {
    {1.10f, "01/01/2020", true},  {1.20f, "05/01/2020", true},  {1.08f, "10/01/2020", false},
    {0.96f, "15/01/2020", false}, {0.90f, "20/01/2020", false}, {1.00f, "25/01/2020", true},
    {1.20f, "30/01/2020", true},  {1.10f, "02/02/2020", false}, {1.05f, "03/02/2020", false},
};

TEST(RiskFigures, DrawdownRunsAndSpellsOfAHandMadeRun) {
    const RiskFigures figures = MeasureRisk(kRun);
    EXPECT_EQ(figures.bets, 9U);
    EXPECT_EQ(figures.finalMultiplier, 1.05f);
    EXPECT_NEAR(figures.maximumDrawdown, 0.25, 1e-6);
    EXPECT_EQ(figures.drawdownPeak, 1U);
    EXPECT_EQ(figures.drawdownTrough, 4U);
    EXPECT_EQ(figures.longestLosingRun, 3U);
    EXPECT_EQ(figures.losingRunFirst, 2U);

    ASSERT_TRUE(figures.longestInBets);
    const RiskFigures::Spell& spell = *figures.longestInBets;
    EXPECT_EQ(spell.peak, 1U);
    EXPECT_EQ(spell.end, 6U);  // level with the peak counts as back
    EXPECT_EQ(spell.bets, 4U);
    EXPECT_TRUE(spell.recovered);
    EXPECT_EQ(spell.days, 25);
    ASSERT_TRUE(figures.longestInDays);
    EXPECT_EQ(figures.longestInDays->end, 6U);
}

TEST(RiskFigures, EdgeRunsOfPeaksAndSpells) {
    struct Case {
        const char* name;
        std::vector<ChartPoint> points;
        double drawdown;
        std::optional<std::size_t> peak;
        std::size_t longestInBets;  // 0: no spell
        std::optional<int> longestInDays;
        bool recovered;
    };
    const Case cases[] = {
        {"no bet", {}, 0.0, std::nullopt, 0, std::nullopt, false},
        {"only gains",
         {{1.1f, "01/01/2020", true}, {1.3f, "02/01/2020", true}},
         0.0,
         std::nullopt,
         0,
         std::nullopt,
         false},
        {"below the start from the first bet, never back",
         {{0.8f, "01/01/2020", false}, {0.9f, "03/01/2020", true}, {0.6f, "09/01/2020", false}},
         0.4,
         std::nullopt,
         3,
         8,
         false},
        {"the longest in days is not the longest in bets",
         {{1.5f, "01/01/2020", true},
          {1.4f, "01/01/2020", false},
          {1.3f, "01/01/2020", false},
          {1.2f, "02/01/2020", false},
          {1.6f, "02/01/2020", true},
          {1.5f, "10/01/2020", false},
          {1.7f, "02/03/2020", true}},
         0.2,
         0,
         3,
         60,
         true},
        {"dates that are no dates have no days",
         {{1.2f, "", true}, {1.0f, "someday", false}},
         1.0 / 6,
         0,
         1,
         std::nullopt,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RiskFigures figures = MeasureRisk(c.points);
        EXPECT_NEAR(figures.maximumDrawdown, c.drawdown, 1e-6);
        EXPECT_EQ(figures.drawdownPeak, c.peak);
        EXPECT_EQ(figures.longestInBets ? figures.longestInBets->bets : 0U, c.longestInBets);
        if (figures.longestInBets) {
            EXPECT_EQ(figures.longestInBets->recovered, c.recovered);
        }
        EXPECT_EQ(figures.longestInDays ? figures.longestInDays->days : std::nullopt, c.longestInDays);
    }
}

TEST(RiskFigures, DaysBetweenCalendarDates) {
    EXPECT_EQ(DaysBetween("28/02/2020", "01/03/2020"), 2);  // a leap year
    EXPECT_EQ(DaysBetween("28/02/2019", "01/03/2019"), 1);
    EXPECT_EQ(DaysBetween("31/12/2019", "01/01/2021"), 367);
    EXPECT_EQ(DaysBetween("05/01/2020", "01/01/2020"), -4);
    EXPECT_EQ(DaysBetween("31/02/2020", "01/03/2020"), std::nullopt);
    EXPECT_EQ(DaysBetween("1/3/2020", "01/03/2020"), std::nullopt);
    EXPECT_EQ(DaysBetween("01-03-2020", "01/03/2020"), std::nullopt);
}

TEST(RiskReport, NamesTheDatesOfEachFigure) {
    testing::RecordingSink sink;
    WriteRiskReport(sink, kRun);
    EXPECT_EQ(sink.lines(),
              (Lines{"Risk of the last simulation: 9 bets from 01/01/2020 to 03/02/2020",
                     "  Final bankroll multiplier:  1.04999995231628",
                     "  Maximum drawdown:           25.0% of the peak (1.20 down to 0.90)",
                     "                              05/01/2020 to 20/01/2020", "  Longest losing run:         3 bets",
                     "                              10/01/2020 to 20/01/2020",
                     "  Longest time under water:   4 bets, 25 days",
                     "                              05/01/2020 to 30/01/2020"}));
}

TEST(RiskReport, SaysWhyThereAreNoFiguresAndWhenTheStartWasThePeak) {
    testing::RecordingSink none;
    WriteRiskReport(none, {});
    EXPECT_EQ(none.lines(),
              Lines{"No bankroll run to measure: the last sim or pe_sim placed no bet, or none ran yet."});

    testing::RecordingSink fromStart;
    const std::vector<ChartPoint> points = {{0.5f, "01/01/2020", false}, {0.75f, "11/01/2020", true}};
    WriteRiskReport(fromStart, points);
    EXPECT_EQ(
        fromStart.lines(),
        (Lines{
            "Risk of the last simulation: 2 bets from 01/01/2020 to 11/01/2020", "  Final bankroll multiplier:  0.75",
            "  Maximum drawdown:           50.0% of the peak (1.00 down to 0.50)",
            "                              start to 01/01/2020", "  Longest losing run:         1 bet",
            "                              01/01/2020 to 01/01/2020", "  Longest time under water:   2 bets, 10 days",
            "                              start to 11/01/2020, not recovered"}));
}

// When the longest spell in bets is not the longest in days, each gets its lines.
TEST(RiskReport, GivesTheLongestSpellInDaysItsOwnLines) {
    const std::vector<ChartPoint> points = {{1.5f, "01/01/2020", true},  {1.4f, "01/01/2020", false},
                                            {1.3f, "01/01/2020", false}, {1.2f, "02/01/2020", false},
                                            {1.6f, "02/01/2020", true},  {1.5f, "10/01/2020", false},
                                            {1.7f, "02/03/2020", true}};
    testing::RecordingSink sink;
    WriteRiskReport(sink, points);
    const Lines lines = sink.lines();
    ASSERT_EQ(lines.size(), 10U);
    EXPECT_EQ(lines[6], "  Longest time under water:   3 bets");
    EXPECT_EQ(lines[7], "                              01/01/2020 to 02/01/2020");
    EXPECT_EQ(lines[8], "                              60 days");
    EXPECT_EQ(lines[9], "                              02/01/2020 to 02/03/2020");
}

}  // namespace
}  // namespace karvola
