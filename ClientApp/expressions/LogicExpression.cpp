#include "expressions/LogicExpression.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "expressions/NumericExpression.h"

namespace karvola {

namespace {

constexpr const char* kErrorInExpression = "Error in expression";
constexpr const char* kUnmatchedBrackets = "Error in expression: Unmatched brackets";

// Tabs, line breaks, other control characters and every byte from 128 up count as blanks.
bool isBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

// Rounds to the nearest float as the FPU does, with infinity beyond the largest float
// (a plain cast of an out-of-range double is undefined in C++).
float roundToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    constexpr double kFirstRoundingToInfinity = 0x1.ffffffp127;  // kLargest + half a unit in the last place
    const double magnitude = std::fabs(value);
    if (magnitude <= kLargest || std::isnan(value)) return static_cast<float>(value);
    const float rounded = magnitude < kFirstRoundingToInfinity ? std::numeric_limits<float>::max()
                                                                : std::numeric_limits<float>::infinity();
    return value < 0.0 ? -rounded : rounded;
}

float combine(std::uint8_t code, float left, float right) {
    bool result = false;
    switch (code) {
        case logic_expression_t::OP_LESS: result = left < right; break;
        case logic_expression_t::OP_GREATER: result = left > right; break;
        case logic_expression_t::OP_EQUAL: result = left == right; break;
        case logic_expression_t::OP_LESS_EQUAL: result = left <= right; break;
        case logic_expression_t::OP_GREATER_EQUAL: result = left >= right; break;
        case logic_expression_t::OP_NOT_EQUAL: result = left != right; break;
        case logic_expression_t::OP_OR: result = left != 0.0f || right != 0.0f; break;
        case logic_expression_t::OP_AND: result = left != 0.0f && right != 0.0f; break;
        default: assert(false && "unknown operator code");
    }
    return result ? 1.0f : 0.0f;
}

}  // namespace

logic_expression_t::logic_expression_t(std::string text) : m_text(std::move(text)) {}

double logic_expression_t::evaluate() {
    assert(m_operators_pos.empty() && m_final_list.empty());

    // Empties both lists on every exit, errors included, so the next call starts clean.
    struct ListsReset {
        logic_expression_t& expression;
        ~ListsReset() {
            expression.m_operators_pos.clear();
            expression.m_final_list.clear();
        }
    } reset{*this};

    if (!m_blanks_removed) removeBlanks();
    if (m_text.empty()) throw std::logic_error(kErrorInExpression);
    checkBrackets();
    scanOperators();
    if (m_operators_pos.empty()) return EvaluateNumericExpression(m_text);

    // The left operand of every operator, then the right operand of the last one:
    // the text between two operators is the right operand of the first and the
    // left operand of the second.
    for (const operators_pos_t& op : m_operators_pos) {
        std::int32_t first = op.m_position;
        std::int32_t depth = 0;
        for (std::int32_t i = op.m_position - 1; i > op.m_left_bound; --i) {
            if (m_text[i] == ')') --depth;
            if (m_text[i] == '(') ++depth;
            if (depth > 0) break;  // the unmatched "(" of an enclosing group
            first = i;
        }
        appendOperand(first, op.m_position);
        m_final_list.push_back({ET_OPERATOR, 0.0f, op.m_operator});
    }
    const operators_pos_t& last = m_operators_pos.back();
    std::int32_t end = last.m_position + last.m_length;
    std::int32_t depth = 0;
    for (std::int32_t i = end; i < last.m_right_bound; ++i) {
        if (m_text[i] == '(') ++depth;
        if (m_text[i] == ')') --depth;
        if (depth < 0) break;  // the unmatched ")" of an enclosing group
        end = i + 1;
    }
    appendOperand(last.m_position + last.m_length, end);

    reduce(OP_LESS, OP_NOT_EQUAL);
    reduce(OP_AND, OP_AND);
    reduce(OP_OR, OP_OR);

    assert(m_final_list.size() == 1 && m_final_list.front().m_element_type == ET_VALUE);
    return m_final_list.front().m_value;
}

void logic_expression_t::removeBlanks() {
    m_text.erase(std::remove_if(m_text.begin(), m_text.end(), isBlank), m_text.end());
    m_blanks_removed = true;
}

void logic_expression_t::checkBrackets() const {
    std::int32_t depth = 0;
    for (char c : m_text) {
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) throw std::logic_error(kUnmatchedBrackets);
    }
    if (depth != 0) throw std::logic_error(kUnmatchedBrackets);
}

// Collects the operators of the shallowest bracket level that has any. The last
// character is never looked at: an operator needs a character after it.
void logic_expression_t::scanOperators() {
    const auto length = static_cast<std::int32_t>(m_text.size());
    std::int32_t depth = 0;
    std::int32_t minDepth = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t i = 0; i < length - 1; ++i) {
        const char c = m_text[i];
        const char next = m_text[i + 1];
        if (c == '(') ++depth;
        if (c == ')') --depth;

        operators_pos_t op;
        op.m_position = i;
        if (c == '<' || c == '>') {
            const bool withEqual = next == '=';
            op.m_length = withEqual ? 2 : 1;
            if (c == '<') op.m_operator = withEqual ? OP_LESS_EQUAL : OP_LESS;
            else op.m_operator = withEqual ? OP_GREATER_EQUAL : OP_GREATER;
        } else if (next == '=' && (c == '!' || c == '=')) {
            op.m_length = 2;
            op.m_operator = c == '!' ? OP_NOT_EQUAL : OP_EQUAL;
        } else if ((c == '&' || c == '|') && next == c) {
            op.m_length = 2;
            op.m_operator = c == '&' ? OP_AND : OP_OR;
        } else {
            continue;
        }

        if (depth < minDepth) {
            m_operators_pos.clear();
            minDepth = depth;
        }
        if (depth == minDepth) m_operators_pos.push_back(op);
        i += op.m_length - 1;
    }

    for (std::size_t k = 0; k < m_operators_pos.size(); ++k) {
        operators_pos_t& op = m_operators_pos[k];
        if (k == 0) {
            op.m_left_bound = -1;
        } else {
            const operators_pos_t& previous = m_operators_pos[k - 1];
            op.m_left_bound = previous.m_position + previous.m_length - 1;
        }
        op.m_right_bound = k + 1 < m_operators_pos.size() ? m_operators_pos[k + 1].m_position : length;
    }
}

// Evaluates the characters [first, end) as a logic expression of their own; an
// empty operand fails there with "Error in expression".
void logic_expression_t::appendOperand(std::int32_t first, std::int32_t end) {
    logic_expression_t operand(m_text.substr(static_cast<std::size_t>(first),
                                             static_cast<std::size_t>(end - first)));
    m_final_list.push_back({ET_VALUE, roundToFloat(operand.evaluate()), OP_LESS});
}

// One reduction pass, from the left, over the operators whose codes lie in
// [firstCode, lastCode]: each one replaces the value before it by the result and
// drops itself and the value after it.
void logic_expression_t::reduce(std::uint8_t firstCode, std::uint8_t lastCode) {
    std::size_t k = 0;
    while (k < m_final_list.size()) {
        const final_list_element_t& element = m_final_list[k];
        if (element.m_element_type != ET_OPERATOR || element.m_operator < firstCode ||
            element.m_operator > lastCode) {
            ++k;
            continue;
        }
        if (k == 0 || k + 1 >= m_final_list.size() || m_final_list[k - 1].m_element_type != ET_VALUE ||
            m_final_list[k + 1].m_element_type != ET_VALUE) {
            throw std::logic_error(kErrorInExpression);
        }
        final_list_element_t& left = m_final_list[k - 1];
        left.m_value = combine(element.m_operator, left.m_value, m_final_list[k + 1].m_value);
        const auto at = m_final_list.begin() + static_cast<std::ptrdiff_t>(k);
        m_final_list.erase(at, at + 2);  // k is now the element after the consumed value
    }
}

}  // namespace karvola
