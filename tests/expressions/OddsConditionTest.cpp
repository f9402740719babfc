#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "expressions/OddsCondition.h"

namespace karvola {
namespace {

using Names = OddsCondition::Names;

std::string ErrorOf(const OddsCondition& condition, const OddsTexts& odds = {}) {
    try {
        (void)condition.evaluate(odds);
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

std::string Repeated(const std::string& part, const std::string& separator, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i == 0 ? "" : separator) + part;
    return text;
}

TEST(OddsCondition, EachMatchPutsItsOwnOddsWhereTheNamesStand) {
    const OddsCondition condition("ODDS1 < 2 && ODDS2*2 >= ODDS0 && ODDS1 < 2", Names::BeforeBlankRemoval);
    EXPECT_TRUE(condition.mentionsOdds());
    EXPECT_EQ(condition.evaluate({"1.5", "3", "1.6"}), 1.0);
    EXPECT_EQ(condition.evaluate({"2.5", "3", "1.6"}), 0.0);  // nothing of the last match is remembered
    EXPECT_EQ(condition.evaluate({"1.5", "3.3", "1.6"}), 0.0);
    EXPECT_EQ(ErrorOf(condition, {"INF", "3", "1"}), "Error in expression");
}

// Typed as "ODDS 1", a name is no name where it is looked for before the blanks
// go (rsr), and is one where it is looked for after (the prediction rules).
TEST(OddsCondition, NamesAreLookedForBeforeOrAfterTheBlanksGo) {
    const OddsTexts odds{"1.5", "3", "4"};
    EXPECT_EQ(ErrorOf(OddsCondition("ODDS 1 < 2", Names::BeforeBlankRemoval), odds), "Error in expression");
    EXPECT_EQ(OddsCondition("ODDS 1 < 2", Names::AfterBlankRemoval).evaluate(odds), 1.0);
    EXPECT_EQ(ErrorOf(OddsCondition("ODDS1 < 2", Names::None), odds), "Error in expression");
    EXPECT_FALSE(OddsCondition("1 < 2", Names::AfterBlankRemoval).mentionsOdds());
}

// A fault is raised when its operand is reached, operands from the left, as
// for the first match of a command; a condition no match reaches raises nothing.
TEST(OddsCondition, FaultsAreRaisedInTheOrderOfTheOperands) {
    EXPECT_EQ(ErrorOf(OddsCondition("1/0 < x", Names::None)), "Domain error");
    EXPECT_EQ(ErrorOf(OddsCondition("x < 1/0", Names::None)), "Error in expression");
    EXPECT_EQ(ErrorOf(OddsCondition("(1 < 2", Names::None)), "Error in expression: Unmatched brackets");
    EXPECT_EQ(ErrorOf(OddsCondition("1 < 2 &&", Names::None)), "Error in expression");  // an empty operand
    EXPECT_EQ(ErrorOf(OddsCondition("1 < && 2", Names::None)), "Error in expression");
    EXPECT_NO_THROW(OddsCondition(std::string(200'000, '('), Names::None));
}

TEST(OddsCondition, LongConditionsAreEvaluatedAndAbsurdOnesRefused) {
    const std::string condition = "ODDS1 > 1.1";
    const OddsCondition tenThousand(Repeated(condition, " && ", 10'000), Names::BeforeBlankRemoval);
    EXPECT_EQ(tenThousand.evaluate({"1.5", "3", "4"}), 1.0);
    EXPECT_EQ(tenThousand.evaluate({"1.05", "3", "4"}), 0.0);

    const OddsCondition tooMany(Repeated(condition, " || ", 100'001), Names::BeforeBlankRemoval);
    EXPECT_EQ(ErrorOf(tooMany, {"1.5", "3", "4"}), "Error in expression");
    const OddsCondition tooLong(std::string(OddsCondition::kMaxTextLength + 1, '1'), Names::None);
    EXPECT_EQ(ErrorOf(tooLong), "Error in expression");

    // Nesting is read level by level: as deep as a condition is ever written works,
    // far deeper is refused instead of exhausting the stack.
    const auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i) text += "(1 < 2 && ";
        return text + "1" + std::string(static_cast<std::size_t>(levels), ')');
    };
    EXPECT_EQ(OddsCondition(nested(500), Names::None).evaluate({}), 1.0);
    EXPECT_EQ(ErrorOf(OddsCondition(nested(30'000), Names::None)), "Error in expression");
}

}  // namespace
}  // namespace karvola
