#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/NumberTexts.h"
#include "expressions/NumericExpression.h"

namespace karvola {
namespace {

struct ValueCase {
    const char* expression;
    double expected;
};

struct ErrorCase {
    const char* expression;
    const char* message;
};

void expectValues(std::initializer_list<ValueCase> cases) {
    for (const auto& c : cases) {
        try {
            EXPECT_DOUBLE_EQ(EvaluateNumericExpression(c.expression), c.expected) << "expression: " << c.expression;
        } catch (const std::logic_error& error) {
            ADD_FAILURE() << "expression: " << c.expression << " raised \"" << error.what() << "\"";
        }
    }
}

std::string errorOf(std::string_view expression) {
    try {
        return "no error, value " + FormatGeneral(EvaluateNumericExpression(expression));
    } catch (const std::logic_error& error) {
        return error.what();
    }
}

void expectErrors(std::initializer_list<ErrorCase> cases) {
    for (const auto& c : cases) EXPECT_EQ(errorOf(c.expression), c.message) << "expression: " << c.expression;
}

std::string repeat(std::string_view text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) result += text;
    return result;
}

TEST(NumericExpressionTest, PrecedenceAndAssociativity) {
    expectValues({
        {"2+3*4", 14},
        {"(2+3)*4", 20},
        {"2^3^2", 64},  // from the left
        {"2*3^2", 18},
        {"10/4/5", 0.5},
        {"8/2*4", 16},
        {"1-2-3", -4},
        {"2*(3+(4-1))", 12},
        {"(((1+2)))", 3},
    });
}

// A "-" is a sign only at the start of the text or of a group; elsewhere an operator written after
// another one acts on the empty operand 0.
TEST(NumericExpressionTest, SignsAndEmptyOperands) {
    expectValues({
        {"-3", -3},
        {"-2^2", -4},
        {"2*-3", -3},
        {"2*(-3)", -6},
        {"2^-1", 0},
        {"2^(-1)", 0.5},
        {"0^-1", 0},
        {"--3", -3},
        {"5-", 5},
        {"2^", 1},
        {"2*", 0},
        {"+", 0},
        {"", 0},
        {"   ", 0},
        // A group's value is overwritten by a number written next to it.
        {"2(3)", 2},
        {"(3)2", 2},
    });
}

TEST(NumericExpressionTest, NumberTexts) {
    expectValues({
        {"1,5+1", 2.5},
        {" 1 + 1 ", 2},
        {" 1 2 ", 12},
        {"1\t+\n1\x01", 2},
        {"1\xC2\xA0+1", 2},  // bytes from 128 up are dropped like blanks
        {"1E-3*1000", 1},
        {"2.5e2", 250},
        {".5", 0.5},
        {"5.", 5},
        {"1E-400", 0},
        {"0E999", 0},
        {"1/1E400", 0},  // a literal too large reads as infinity; only the result must be finite
        {"2-3/1E999", 2},
    });
}

// Function values are written back into the text with 15 significant digits before anything else.
TEST(NumericExpressionTest, FunctionsComputeWithFifteenDigitValues) {
    expectValues({
        {"EXP(1)", 2.71828182845905},
        {"EXP(1)-2.71828182845905", 0},
        {"LOG(EXP(2))", 2},
        {"EXP(-20)", 2.06115362243856E-9},  // re-read from the exponent form
        {"EXP(50)", 5.18470552858707E21},
        {"2*SIN(-1)", -1.682941969615794},  // a negative value in brackets
        {"TAN(0)", 0},
        {"COTAN(1)", 0.642092615934331},
        {"ARCSIN(1)", 1.5707963267949},
        {"ARCSIN(-1)", -1.5707963267949},
        {"ARCCOS(-1)", 3.14159265358979},
        {"ARCCOS(1)", 0},
        {"ARCTAN(1)", 0.785398163397448},
        {"SIN(0)+COS(0)", 1},
        {"COS(SIN(0))", 1},
        {"2*SIN(0.5)^2+1,5", 2 * 0.479425538604203 * 0.479425538604203 + 1.5},
        {"COS(2*0)", 1},
        {"COS[0)", 1},  // the character after the name opens the group, whatever it is
    });
}

TEST(NumericExpressionTest, Powers) {
    expectValues({
        {"0^0", 1},
        {"0^2.5", 0},
        {"(-2)^3", -8},
        {"(-2)^(-1)", -0.5},
        {"2^31", 2147483648.0},
        {"2^0.5", 1.4142135623730951},
        {"(-1)^2147483647", -1},  // still a whole-number power
        {"1^2147483648", 1},      // beyond it: e to the power y times ln x
        {"10^(-400)", 0},
    });
}

TEST(NumericExpressionTest, MalformedTextIsAnErrorInExpression) {
    expectErrors({
        {"1E+3", "Error in expression"},  // "1E" and "3"
        {"1E", "Error in expression"},
        {"1E-", "Error in expression"},
        {"1.2.3", "Error in expression"},
        {"1,2,3", "Error in expression"},
        {".", "Error in expression"},
        {"1+2)", "Error in expression"},
        {"PI", "Error in expression"},
        {"E5", "Error in expression"},
        {"sin(1)", "Error in expression"},
        {"Sin(1)", "Error in expression"},
        // strtod would read these.
        {"INF", "Error in expression"},
        {"NAN", "Error in expression"},
        {"0x10", "Error in expression"},
        // After a group the next "(" is read as part of a number.
        {"(1)(2)", "Error in expression"},
    });
}

TEST(NumericExpressionTest, UnclosedGroupsAreUnmatchedBrackets) {
    expectErrors({
        {"SIN(1", "Unmatched brackets"},
        {"(1+2", "Unmatched brackets"},
        {"SIN1", "Unmatched brackets"},
        {"SIN", "Unmatched brackets"},
        {"((1)", "Unmatched brackets"},
        {"COS(SIN(1)", "Unmatched brackets"},
    });
}

TEST(NumericExpressionTest, DomainErrors) {
    expectErrors({
        {"1/0", "Domain error"},
        {"1/(1-1)", "Domain error"},
        {"2/", "Domain error"},
        {"LOG(0)", "Domain error"},
        {"LOG(-1)", "Domain error"},
        {"ARCSIN(2)", "Domain error"},
        {"ARCCOS(-1.5)", "Domain error"},
        {"COTAN(0)", "Domain error"},
    });
}

// No INF or NAN is ever returned or written back into the text.
TEST(NumericExpressionTest, ResultsThatAreNotFiniteAreDomainErrors) {
    expectErrors({
        {"EXP(1000)", "Domain error"},
        {"SIN(EXP(1000))", "Domain error"},
        {"0^(-1)", "Domain error"},
        {"0^(-0.5)", "Domain error"},
        {"(-8)^0.5", "Domain error"},
        {"(-1)^2147483648", "Domain error"},
        {"10^400", "Domain error"},
        {"2^1E10", "Domain error"},
        {"1E308*10", "Domain error"},
        {"1E300/1E-300", "Domain error"},
        {"1E308+1E308", "Domain error"},
        {"-1E308-1E308", "Domain error"},
        {"1E999", "Domain error"},
    });
}

TEST(NumericExpressionTest, ExpressionLengthLimit) {
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression("1" + std::string(998, ' ')), 1);
    EXPECT_EQ(errorOf("1" + std::string(999, ' ')), "Error in expression");

    // Function values make the text longer: each EXP(1)+ becomes 19 characters.
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(repeat("EXP(1)+", 52) + "0"), 52 * 2.71828182845905);
    EXPECT_EQ(errorOf(repeat("EXP(1)+", 53) + "0"), "Error in expression");
}

TEST(NumericExpressionTest, GroupAndNumberLengthLimits) {
    const std::string sum49 = repeat("1+", 49);
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression("(" + sum49 + "1)"), 50);
    EXPECT_EQ(errorOf("(" + sum49 + "10)"), "Error in expression");

    // Also a function's argument.
    const std::string zeros49 = repeat("0+", 49);
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression("COS(" + zeros49 + "0)"), 1);
    EXPECT_EQ(errorOf("COS(" + zeros49 + "00)"), "Error in expression");

    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(std::string(98, '0') + "7"), 7);
    EXPECT_EQ(errorOf(std::string(99, '0') + "7"), "Error in expression");

    // Deep nesting is bounded by the group length.
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(std::string(50, '(') + "1" + std::string(50, ')')), 1);
    EXPECT_EQ(errorOf(std::string(51, '(') + "1" + std::string(51, ')')), "Error in expression");
}

TEST(NumericExpressionTest, AtMostNinetyNineOperatorsInOneBracketLevel) {
    // With all 100 slots in use every operand still counts once, however the passes combine them.
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(repeat("1+", 99) + "1"), 100);
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(repeat("1-", 99) + "1"), -98);
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression("2" + repeat("^1", 99)), 2);
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression("3" + repeat("*1", 98) + "+1"), 4);

    EXPECT_EQ(errorOf(repeat("1+", 100) + "1"), "Error in expression");
    EXPECT_EQ(errorOf(repeat("1+", 100)), "Error in expression");

    // The limit is per level: operators inside groups do not count.
    const std::string group = "(" + repeat("1+", 40) + "1)";
    EXPECT_DOUBLE_EQ(EvaluateNumericExpression(group + "+" + group + "+" + group), 123);
}

// The process locale may use a decimal comma; numbers are still read with a point.
TEST(NumericExpressionTest, IgnoresTheProcessLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* commaLocale = nullptr;
    for (const char* name : {"de_DE.UTF-8", "pl_PL.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "pl_PL.utf8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            commaLocale = name;
            break;
        }
    }
    if (commaLocale == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";

    double value = 0.0;
    std::string message;
    try {
        value = EvaluateNumericExpression("1.5+EXP(1)+2,25E-1");
    } catch (const std::logic_error& error) {
        message = error.what();
    }
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(message, "") << "locale " << commaLocale;
    EXPECT_DOUBLE_EQ(value, 1.5 + 2.71828182845905 + 0.225) << "locale " << commaLocale;
}

}  // namespace
}  // namespace karvola
