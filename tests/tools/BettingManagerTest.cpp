#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/NumberTexts.h"
#include "tools/BettingManager.h"
#include "tools/BettingManagerInput.h"
#include "tools/EventGrid.h"

namespace karvola {
namespace {

using Texts = std::vector<std::string>;

// Home-win odds of the sample base's first Premier League round.
constexpr std::array<float, 10> kRealOdds{1.58F, 1.91F, 2.5F, 6.5F, 3.9F, 2.43F, 2.38F, 4.0F, 1.27F, 1.86F};

const BettingManagerParameters kDefaults{};  // 1000, 0.07 and 0.30, as the window opens

// With R[1,45] = 0.07 a bet at 1.45 expects a return of 7%: p = 1.07 / 1.45 and
// f = 0.07 / 0.45.
TEST(BettingManagerTest, KellyFractionFollowsTheExpectedReturnLine) {
    struct Case {
        float odds;
        std::optional<float> fraction;
    };
    const Case cases[] = {
        {1.45F, 0.07F / 0.45F},    {2.60F, 0.30F / 1.60F},
        {2.025F, 0.185F / 1.025F},  // halfway: the return is halfway too
        {1.05F, std::nullopt},      // the line's return is negative there
        {1.0F, std::nullopt},       // the formula divides by zero
        {0.5F, std::nullopt},       // below 1 the signs turn over: no stake on a certain loss
        {-2.0F, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.odds);
        const auto fraction = KellyFraction(c.odds, kDefaults);
        ASSERT_EQ(fraction.has_value(), c.fraction.has_value());
        if (fraction) {
            EXPECT_NEAR(*fraction, *c.fraction, 1e-6F);
        }
    }
}

TEST(BettingManagerTest, StartWritesStakesTotalAndCapitalPercent) {
    struct Case {
        const char* name;
        std::vector<float> odds;
        BettingManagerParameters parameters;
        Texts stakes;
        std::string total;
        std::string capitalPercent;
    };
    const std::vector<Case> cases = {
        {"one bet at 1.45", {1.45F}, kDefaults, {"155.56"}, "155.56", "15.556"},
        {"odds 1.0 take no part", {1.0F}, kDefaults, {"0,00"}, "0.00", "0.000"},
        // (f x CB + f x (1 - f) x CB) / 2 each, f = 0.155556.
        {"two identical bets", {1.45F, 1.45F}, kDefaults, {"143.46", "143.46"}, "286.91", "28.691"},
        {"a row without a fraction keeps its place",
         {1.45F, 1.0F, 1.45F},
         kDefaults,
         {"143.46", "0,00", "143.46"},
         "286.91",
         "28.691"},
        {"an empty grid", {}, kDefaults, {}, "0.00", "0.000"},
        // r = 0.115 x 0.55 / 1.15 = 0.055 at odds 2, which is f.
        {"another capital and line",
         {2.0F},
         {.capital = 250.0F, .r1 = 0.0F, .r2 = 0.115F},
         {"13.75"},
         "13.75",
         "5.500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BettingManagerResult result = ComputeStakes(c.odds, c.parameters);
        EXPECT_EQ(result.stakes, c.stakes);
        EXPECT_EQ(result.total, c.total);
        EXPECT_EQ(result.capitalPercent, c.capitalPercent);
    }
}

// Every order is averaged, so the stakes do not depend on the order of the rows.
TEST(BettingManagerTest, StakesDoNotDependOnTheOrderOfTheRows) {
    for (const std::size_t count : {std::size_t{5}, std::size_t{10}}) {
        SCOPED_TRACE(count);
        std::vector<float> odds(kRealOdds.begin(), kRealOdds.begin() + static_cast<std::ptrdiff_t>(count));
        const BettingManagerResult forward = ComputeStakes(odds, kDefaults);
        std::reverse(odds.begin(), odds.end());
        BettingManagerResult backward = ComputeStakes(odds, kDefaults);
        std::reverse(backward.stakes.begin(), backward.stakes.end());
        EXPECT_EQ(backward.stakes, forward.stakes);
        EXPECT_EQ(backward.total, forward.total);
    }
}

std::vector<event_t> Events(std::size_t count) {
    std::vector<event_t> events;
    for (std::size_t i = 0; i < count; ++i) {
        const float odds = kRealOdds[i];
        events.push_back({.odds = odds, .stake = 0.0L, .fraction = *KellyFraction(odds, kDefaults), .row = 0});
    }
    return events;
}

// The closed form takes over from the enumeration beyond 8 bets: both give the
// same stakes to the printed precision, and far closer than that.
TEST(BettingManagerTest, ClosedFormAgreesWithEveryOrderOnRealOdds) {
    for (std::size_t count = 1; count <= kRealOdds.size(); ++count) {
        SCOPED_TRACE(count);
        std::vector<event_t> enumerated = Events(count);
        std::vector<event_t> closed = enumerated;
        AverageOverEveryOrder(enumerated, kDefaults.capital);
        AverageInClosedForm(closed, kDefaults.capital);
        long double enumeratedTotal = 0.0L;
        long double closedTotal = 0.0L;
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(FormatTwoDecimalsExtended(closed[i].stake), FormatTwoDecimalsExtended(enumerated[i].stake));
            EXPECT_NEAR(static_cast<double>(closed[i].stake), static_cast<double>(enumerated[i].stake), 1e-3);
            enumeratedTotal += enumerated[i].stake;
            closedTotal += closed[i].stake;
        }
        EXPECT_EQ(FormatTwoDecimalsExtended(closedTotal), FormatTwoDecimalsExtended(enumeratedTotal));
    }
}

// n identical bets are staked alike in every order: together they take
// CB x (1 - (1 - f)^n), however many there are.
TEST(BettingManagerTest, ManyIdenticalBetsTakeWhatTheyLeaveOfTheCapital) {
    for (const std::size_t count : {std::size_t{9}, std::size_t{50}, std::size_t{200}}) {
        SCOPED_TRACE(count);
        const float fraction = *KellyFraction(2.0F, kDefaults);
        std::vector<event_t> events(count, event_t{.odds = 2.0F, .stake = 0.0L, .fraction = fraction, .row = 0});
        AverageInClosedForm(events, kDefaults.capital);
        long double total = 0.0L;
        for (const event_t& event : events) total += event.stake;
        const long double expected = 1000.0L * (1.0L - std::pow(1.0L - fraction, static_cast<long double>(count)));
        EXPECT_NEAR(static_cast<double>(total), static_cast<double>(expected), 1e-9);
        EXPECT_NEAR(static_cast<double>(events.front().stake), static_cast<double>(expected / count), 1e-9);
    }
}

TEST(BettingManagerInputTest, NumbersTakeEitherDecimalSeparator) {
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    // clang-format off
    const Case cases[] = {
        {"1000,0", 1000.0F}, {"1000.0", 1000.0F}, {"0,07", 0.07F}, {" 2,5 ", 2.5F}, {"-3", -3.0F},
        {"1e3", 1000.0F},
        {"", std::nullopt}, {"abc", std::nullopt}, {"2.5x", std::nullopt}, {"inf", std::nullopt},
        {"1,000.5", std::nullopt},  // two separators
        {"1e39", std::nullopt},     // beyond a 32-bit float
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadBettingNumber(c.text), c.value);
    }
}

TEST(BettingManagerInputTest, TheFirstInvalidFieldIsReported) {
    struct Case {
        const char* capital;
        const char* r1;
        const char* r2;
        BettingManagerField field;
        const char* text;
    };
    const Case cases[] = {
        {"x", "y", "z", BettingManagerField::Capital, "Invalid Capital Ballance value"},
        {"0", "0,07", "0,30", BettingManagerField::Capital, "Invalid Capital Ballance value"},
        {"-100", "0,07", "0,30", BettingManagerField::Capital, "Invalid Capital Ballance value"},
        {"1000,0", "", "z", BettingManagerField::R1, "Invalid Rent value"},
        {"1000,0", "0,07", "0,3,0", BettingManagerField::R2, "Invalid Rent value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            (void)ReadBettingManagerParameters(c.capital, c.r1, c.r2);
            ADD_FAILURE() << "no error";
        } catch (const BettingManagerInputError& error) {
            EXPECT_EQ(error.field(), c.field);
            EXPECT_STREQ(error.what(), c.text);
        }
    }
    const BettingManagerParameters read = ReadBettingManagerParameters("1000,0", "0.07", "-0,5");
    EXPECT_EQ(read.capital, 1000.0F);
    EXPECT_EQ(read.r1, 0.07F);
    EXPECT_EQ(read.r2, -0.5F);
    EXPECT_THROW((void)ReadCourse("1.4.5"), BettingManagerInputError);
}

// The grid's events, in row order, with "" for the blank last row.
Texts EventsOf(const EventGrid& grid) {
    Texts events;
    for (const auto& bet : grid.bets()) events.push_back(bet.event);
    return events;
}

EventGrid GridOf(const Texts& events) {
    EventGrid grid;
    for (const auto& event : events) grid.add(event, "2,0");
    return grid;
}

TEST(EventGridTest, AddWritesIntoTheBlankRowAndClearLeavesOnlyIt) {
    EventGrid grid;
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_TRUE(grid.bets().empty());
    grid.add("Fulham - Crystal Palace", "2,5");
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.blankRow(), 2);
    EXPECT_EQ(grid.bets()[0].event, "Fulham - Crystal Palace");
    EXPECT_EQ(grid.bets()[0].odds, "2,5");
    grid.clear();
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_TRUE(grid.bets().empty());
}

// Rows as the window numbers them: four bets A to D in rows 1 to 4, the blank row 5.
TEST(EventGridTest, DeleteFollowsTheBlockRules) {
    struct Case {
        const char* name;
        int top;
        int bottom;
        Texts remaining;
    };
    const std::vector<Case> cases = {
        {"one row in the middle", 2, 2, {"A", "C", "D"}},
        {"a block in the middle", 2, 3, {"A", "D"}},
        {"the first row", 1, 1, {"B", "C", "D"}},
        {"the last bet", 4, 4, {"A", "B", "C"}},
        {"from a bet down to the blank row", 3, 5, {"A", "B"}},
        {"every bet", 1, 4, {}},
        {"every bet and the blank row", 1, 5, {}},
        {"the first bets but not the last", 1, 3, {"D"}},
        {"the blank row alone stays", 5, 5, {"A", "B", "C", "D"}},
        {"the header is no bet", 0, 2, {"A", "B", "C", "D"}},
        {"beyond the grid", 4, 6, {"A", "B", "C", "D"}},
        {"upside down", 3, 2, {"A", "B", "C", "D"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EventGrid grid = GridOf({"A", "B", "C", "D"});
        grid.deleteRows(c.top, c.bottom);
        EXPECT_EQ(EventsOf(grid), c.remaining);
        EXPECT_EQ(grid.rowCount(), static_cast<int>(c.remaining.size()) + 2);
    }
}

TEST(EventGridTest, StakesStayWithTheirRowsWhenOthersAreDeleted) {
    EventGrid grid = GridOf({"A", "B", "C"});
    grid.setStakes(Texts{"1.00", "0,00", "3.00"});
    grid.deleteRows(2, 2);
    ASSERT_EQ(grid.bets().size(), 2U);
    EXPECT_EQ(grid.bets()[1].event, "C");
    EXPECT_EQ(grid.bets()[1].stake, "3.00");
    grid.add("D", "1,5");
    EXPECT_EQ(grid.bets()[2].stake, "");  // a new bet has no stake until Start
}

}  // namespace
}  // namespace karvola
