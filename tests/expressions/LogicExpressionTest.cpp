#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "expressions/LogicExpression.h"

namespace karvola {
namespace {

// The message of the logic error evaluate() throws, or "no error".
std::string errorOf(logic_expression_t& expression) {
    try {
        expression.evaluate();
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

struct ValueCase {
    const char* text;
    double expected;
};

TEST(LogicExpressionTest, EvaluatesComparisonsAndLogicalOperators) {
    const ValueCase cases[] = {
        {"2<2", 0.0},  {"1<2", 1.0},  {"2>2", 0.0},  {"3>2", 1.0},  {"2==2", 1.0},  {"2==3", 0.0},
        {"2<=2", 1.0}, {"3<=2", 0.0}, {"2>=2", 1.0}, {"1>=2", 0.0}, {"3!=3", 0.0},  {"3!=4", 1.0},
        {"0||0", 0.0}, {"0||2", 1.0}, {"2&&3", 1.0}, {"0&&3", 0.0}, {"-1&&1", 1.0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(expression.evaluate(), c.expected);
    }
}

TEST(LogicExpressionTest, ComparisonsBindTighterThanAndWhichBindsTighterThanOr) {
    const ValueCase cases[] = {
        {"1<2&&2<1||1", 1.0},  // ((1<2)&&(2<1))||1
        {"1||0&&0", 1.0},      // 1||(0&&0), not (1||0)&&0
        {"0&&1==0", 0.0},      // 0&&(1==0), not (0&&1)==0
        {"3>2>1", 0.0},        // (3>2)>1: each group applies from the left
        {"1<2<3", 1.0},       {"1<2>=1", 1.0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(expression.evaluate(), c.expected);
    }
}

TEST(LogicExpressionTest, OperandsAreNumericExpressionsAndBracketsOnlyGroup) {
    const ValueCase cases[] = {
        {"2", 2.0},  // no operator: the numeric value itself
        {"1+1==2", 1.0},
        {"2*3>5", 1.0},
        {"(1+1)*2==4", 1.0},    // a balanced group belongs to the operand
        {"(1<2)&&(3<4)", 1.0},  // bracketed operands are logic expressions again
        {"(1<2)<(3<4)", 0.0},
        {"((1<2))", 1.0},
        {"((1+2)<3)*2", 0.0},  // only the shallowest operators count; "*2" is no operand's
        {"5+(2==2)", 1.0},
        {"(2==2)+5", 1.0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(expression.evaluate(), c.expected);
    }
}

TEST(LogicExpressionTest, RemovesControlCharactersAndBytesAbove127) {
    const ValueCase cases[] = {
        {"1 . 5 < 2", 1.0},
        {"\t1<\r\n2\x1F", 1.0},
        {"1\xA0<\xC3\xA9"
         "2\xFF",
         1.0},
        {" 2 ", 2.0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(expression.evaluate(), c.expected);
    }
}

// Operands are compared as 32-bit floats, but a text without operators keeps its double value.
TEST(LogicExpressionTest, RoundsOperandsToFloatOnly) {
    const ValueCase cases[] = {
        {"1.00000001==1", 1.0},     {"16777217==16777216", 1.0}, {"1.0001==1", 0.0},
        {"1E39==1E40", 1.0},  // both beyond the largest float: infinity
        {"3.4028235E38<1E39", 1.0}, {"1.00000001", 1.00000001},  {"0.1", 0.1},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(expression.evaluate(), c.expected);
    }
}

TEST(LogicExpressionTest, ReportsErrors) {
    struct ErrorCase {
        const char* text;
        const char* message;
    };
    const ErrorCase cases[] = {
        {"", "Error in expression"},
        {" \t ", "Error in expression"},
        {"1<<2", "Error in expression"},  // empty operand between the operators
        {"<2", "Error in expression"},
        {"1<2&&", "Error in expression"},
        {"&&", "Error in expression"},
        {"1<", "Error in expression"},   // the last character is never an operator: 1< is a number text
        {"1=2", "Error in expression"},  // a single "=" is no operator
        {"3!3", "Error in expression"},
        {"1&2", "Error in expression"},
        {"(1<2", "Error in expression: Unmatched brackets"},
        {"1<2)", "Error in expression: Unmatched brackets"},
        {")1<2(", "Error in expression: Unmatched brackets"},
        {"(1))<((2)", "Error in expression: Unmatched brackets"},
        // The numeric evaluator's own messages pass through unchanged.
        {"1/0<2", "Domain error"},
        {"1<2&&SIN1", "Unmatched brackets"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        logic_expression_t expression(c.text);
        EXPECT_EQ(errorOf(expression), c.message);
    }
}

// Leftovers of one evaluation would be combined into the next one.
TEST(LogicExpressionTest, EvaluatesAgainWithTheSameResult) {
    logic_expression_t expression("1<2&&2<3||0");
    EXPECT_EQ(expression.evaluate(), 1.0);
    EXPECT_EQ(expression.evaluate(), 1.0);

    logic_expression_t noOperator("1+2");
    EXPECT_EQ(noOperator.evaluate(), 3.0);
    EXPECT_EQ(noOperator.evaluate(), 3.0);

    // Fails after two values and an operator are in the list.
    logic_expression_t failing("1<2&&1/0");
    EXPECT_EQ(errorOf(failing), "Domain error");
    EXPECT_EQ(errorOf(failing), "Domain error");
}

}  // namespace
}  // namespace karvola
