#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "expressions/PredictExpression.h"

namespace karvola {
namespace {

using P = PredictExpression;

struct Odds {
    float home;
    float draw;
    float away;
};

constexpr Odds kFavouriteHome{1.80f, 3.40f, 4.50f};
constexpr Odds kFavouriteAway{4.50f, 3.40f, 1.80f};

// The message of the logic error evaluate() throws, or "no error".
std::string errorOf(PredictExpression& expression, Odds odds) {
    try {
        expression.evaluate(odds.home, odds.draw, odds.away);
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

struct CodeCase {
    const char* text;
    Odds odds;
    std::uint8_t expected;
};

void expectCodes(const CodeCase* begin, const CodeCase* end) {
    for (const CodeCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->text);
        PredictExpression expression(c->text);
        EXPECT_EQ(expression.evaluate(c->odds.home, c->odds.draw, c->odds.away), c->expected);
    }
}

// Other subsystems store and compare the numbers themselves.
TEST(PredictExpressionTest, EachKeywordGivesItsCode) {
    const CodeCase cases[] = {
        {"BET1", kFavouriteHome, 0},     {"1?BET0", kFavouriteHome, 1},  {"1?BET2", kFavouriteHome, 2},
        {"1?BET12", kFavouriteHome, 3},  {"1?BET10", kFavouriteHome, 4}, {"1?BET02", kFavouriteHome, 5},
        {"1?BET102", kFavouriteHome, 6}, {"0?BET1", kFavouriteHome, 7},
    };
    expectCodes(std::begin(cases), std::end(cases));
}

TEST(PredictExpressionTest, FirstNonzeroConditionWins) {
    const CodeCase cases[] = {
        {"ODDS1<ODDS2?BET1:BET2", kFavouriteHome, P::BET1},
        {"ODDS1<ODDS2?BET1:BET2", kFavouriteAway, P::BET2},
        {"ODDS1<1.5?BET1", {1.60f, 3.40f, 4.50f}, P::NO_BET},
        {"ODDS0>3?BET10:ODDS0<=3?BET02", {2.0f, 3.10f, 3.0f}, P::BET10},
        {"ODDS0>3?BET10:ODDS0<=3?BET02", {2.0f, 2.90f, 3.0f}, P::BET02},
        {"ODDS0>4?BET10:ODDS0>5?BET02", kFavouriteHome, P::NO_BET},
        {"ODDS1<1.5?BET1:ODDS2<1.5?BET2:BET0", kFavouriteHome, P::BET0},
        {"1?BET1:1?BET2", kFavouriteHome, P::BET1},
        {"1.5<=ODDS1&&ODDS1<2.2?BET1", kFavouriteHome, P::BET1},
        {" ODDS1 < 2 ? BET1 : BET2 ", kFavouriteHome, P::BET1},
        // A condition without operators counts by its numeric value.
        {"ODDS1-1.8?BET1:BET2", kFavouriteHome, P::BET2},
        {"ODDS1-2?BET1:BET2", kFavouriteHome, P::BET1},
    };
    expectCodes(std::begin(cases), std::end(cases));
}

// The odds reach the conditions as texts with four decimals, then as 32-bit floats.
TEST(PredictExpressionTest, OddsGoThroughTheirFourDecimalText) {
    const CodeCase cases[] = {
        {"ODDS1==1.85?BET1", {1.85f, 3.40f, 4.50f}, P::BET1},
        {"ODDS0==3.4&&ODDS2==4.5?BET0", {1.85f, 3.40f, 4.50f}, P::BET0},
        {"ODDS1==1.2346?BET1", {1.23456f, 3.40f, 4.50f}, P::BET1},
        {"ODDS1>1.23456?BET1", {1.23456f, 3.40f, 4.50f}, P::BET1},
        // No leading zero: ODDS1 after a digit continues that number (1 and .5000).
        {"1ODDS1==1.5?BET1", {0.5f, 3.40f, 4.50f}, P::BET1},
        {"ODDS2==12.5?BET2", {1.5f, 3.40f, 12.5f}, P::BET2},
        {"ODDS1==100000?BET1", {100000.0f, 3.40f, 4.50f}, P::BET1},
    };
    expectCodes(std::begin(cases), std::end(cases));
}

TEST(PredictExpressionTest, ReportsErrors) {
    struct ErrorCase {
        const char* text;
        Odds odds;
        const char* message;
    };
    const ErrorCase cases[] = {
        {"ODDS1<2?BET1:", kFavouriteHome, "Expression syntax error"},
        {"ODDS1<2?", kFavouriteHome, "Expression syntax error"},
        {"ODDS1<2?BET1:BET2?", kFavouriteHome, "Expression syntax error"},
        {"ODDS1<2?BET3", kFavouriteHome, "Invalid prediction keyword"},
        {"", kFavouriteHome, "Invalid prediction keyword"},
        {"bet1", kFavouriteHome, "Invalid prediction keyword"},
        {"ODDS1<2?:BET2", kFavouriteHome, "Invalid prediction keyword"},
        {"ODDS1<2?BET1:BET2:BET0", kFavouriteHome, "Invalid prediction keyword"},
        {"?BET1", kFavouriteHome, "Error in expression"},
        {"ODDS1<2&&?BET1", kFavouriteHome, "Error in expression"},
        {"(ODDS1<2?BET1", kFavouriteHome, "Error in expression: Unmatched brackets"},
        {"1/(ODDS1-1.8)>1?BET1", kFavouriteHome, "Domain error"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        PredictExpression expression(c.text);
        EXPECT_EQ(errorOf(expression, c.odds), c.message);
    }
}

// Every part is split and its keyword checked before any condition is evaluated;
// conditions after the first nonzero one are never evaluated.
TEST(PredictExpressionTest, ChecksAllPartsBeforeEvaluatingConditions) {
    struct OrderCase {
        const char* text;
        const char* outcome;
    };
    const OrderCase cases[] = {
        {"1?BET1:1?BET9", "Invalid prediction keyword"},
        {"1?BET9:", "Expression syntax error"},
        {"1/0?BET1:", "Expression syntax error"},
        {"1/0?BET1:BAD", "Invalid prediction keyword"},
        {"0?BET1:1/0?BET2", "Domain error"},
        {"1?BET1:1/0?BET2", "no error"},
        {"1?BET1:(?BET2", "no error"},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.text);
        PredictExpression expression(c.text);
        EXPECT_EQ(errorOf(expression, kFavouriteHome), c.outcome);
    }
}

// Odds read from a data base text such as "nan" reach the rule as they are. The numeric
// evaluator accepts no such number, so only the conditions that name them fail.
TEST(PredictExpressionTest, NonFiniteOddsFailOnlyTheConditionsThatNameThem) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const Odds nanDraw{1.80f, kNan, 4.50f};
    const Odds infiniteAway{1.80f, 3.40f, kInfinity};

    PredictExpression home("ODDS1<2?BET1:BET2");
    EXPECT_EQ(home.evaluate(nanDraw.home, nanDraw.draw, nanDraw.away), P::BET1);
    EXPECT_EQ(home.evaluate(infiniteAway.home, infiniteAway.draw, infiniteAway.away), P::BET1);

    PredictExpression draw("ODDS0<2?BET0:BET1");
    EXPECT_EQ(errorOf(draw, nanDraw), "Error in expression");
    PredictExpression away("ODDS2>2?BET2:BET1");
    EXPECT_EQ(errorOf(away, infiniteAway), "Error in expression");
    PredictExpression negative("ODDS1>2?BET2:BET1");
    EXPECT_EQ(errorOf(negative, {-kInfinity, 3.40f, 4.50f}), "Error in expression");
}

// One object serves every match; a match that fails must not leave parts behind for the next one.
TEST(PredictExpressionTest, EvaluatesTheNextMatchAfterAnError) {
    PredictExpression expression("1/(ODDS1-2)>1?BET1:BET2");
    EXPECT_EQ(errorOf(expression, {2.0f, 3.0f, 4.0f}), "Domain error");
    EXPECT_EQ(expression.evaluate(2.5f, 3.0f, 4.0f), P::BET1);
    EXPECT_EQ(errorOf(expression, {2.0f, 3.0f, 4.0f}), "Domain error");
    EXPECT_EQ(expression.evaluate(4.0f, 3.0f, 4.0f), P::BET2);
    EXPECT_EQ(expression.evaluate(4.0f, 3.0f, 4.0f), P::BET2);
}

}  // namespace
}  // namespace karvola
