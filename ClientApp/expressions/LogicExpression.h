#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace karvola {

// A condition such as 1.5<=1.8500&&1.8500<2.2: comparisons, "&&" and "||" over
// numeric operands. The text is split at the operators of its shallowest bracket
// level; every operand is itself evaluated as a logic expression, its value rounded
// to a 32-bit float, and the values are combined comparisons first, then "&&",
// then "||", each group from the left. Throws std::logic_error; the numeric
// evaluator's errors pass through unchanged. The reading itself is OddsCondition's,
// which also serves the conditions that mention a match's odds.
class logic_expression_t final {
public:
    enum element_type_t : std::uint8_t { ET_VALUE, ET_OPERATOR };

    // The stored operator codes.
    enum operator_code_t : std::uint8_t {
        OP_LESS = 0,           // <
        OP_GREATER = 1,        // >
        OP_EQUAL = 2,          // ==
        OP_LESS_EQUAL = 3,     // <=
        OP_GREATER_EQUAL = 4,  // >=
        OP_NOT_EQUAL = 5,      // !=
        OP_OR = 6,             // ||
        OP_AND = 7,            // &&
    };

    // One operator at which the text is split.
    struct operators_pos_t {
        std::int32_t m_position = 0;  // index of the operator's first character
        std::int32_t m_length = 1;    // 1 or 2 characters
        std::uint8_t m_operator = OP_LESS;
        std::int32_t m_left_bound = -1;  // last character of the previous operator, -1 for the first
        std::int32_t m_right_bound = 0;  // first character of the next operator, the text length for the last
    };

    // An operand value or an operator, in text order; m_element_type says which field counts.
    struct final_list_element_t {
        std::uint8_t m_element_type = ET_VALUE;
        float m_value = 0.0f;
        std::uint8_t m_operator = OP_LESS;
    };

    explicit logic_expression_t(std::string text);

    // 1.0 or 0.0 when the text has operators, else the numeric value of the whole text.
    // Can be called again; over-long or over-deep input is "Error in expression".
    double evaluate();

private:
    std::string m_text;
};

}  // namespace karvola
