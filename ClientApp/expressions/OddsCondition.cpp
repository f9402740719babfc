#include "expressions/OddsCondition.h"

#include <cassert>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "expressions/LogicExpression.h"
#include "expressions/NumericExpression.h"

namespace karvola {

namespace {

using operators_pos_t = logic_expression_t::operators_pos_t;
using final_list_element_t = logic_expression_t::final_list_element_t;

constexpr const char* kErrorInExpression = "Error in expression";
constexpr const char* kUnmatchedBrackets = "Error in expression: Unmatched brackets";

// In the template the odds names are single bytes that no text can hold: every
// byte up to 32 is a blank and goes before the structure is read.
constexpr char kOdds1 = 1;
constexpr char kOdds0 = 2;
constexpr char kOdds2 = 3;

// Tabs, line breaks, other control characters and every byte from 128 up count as blanks.
bool isBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

char oddsMarkerAt(std::string_view text, std::size_t at) {
    if (text.compare(at, 4, "ODDS") != 0 || at + 5 > text.size()) return 0;
    switch (text[at + 4]) {
        case '1':
            return kOdds1;
        case '0':
            return kOdds0;
        case '2':
            return kOdds2;
        default:
            return 0;
    }
}

// The text without blanks, each odds name looked for where the caller's substitution
// would find it replaced by its byte. A number put in for a name holds no letters
// of another name, so one scan finds what replacing the names one after the other does.
std::string buildTemplate(std::string_view text, OddsCondition::Names names) {
    using Names = OddsCondition::Names;
    std::string compact;
    compact.reserve(text.size());
    if (names == Names::BeforeBlankRemoval) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (const char marker = oddsMarkerAt(text, i)) {
                compact += marker;
                i += 4;
            } else if (!isBlank(text[i])) {
                compact += text[i];
            }
        }
        return compact;
    }
    for (const char c : text) {
        if (!isBlank(c)) compact += c;
    }
    if (names == Names::None) return compact;
    std::string marked;
    marked.reserve(compact.size());
    for (std::size_t i = 0; i < compact.size(); ++i) {
        if (const char marker = oddsMarkerAt(compact, i)) {
            marked += marker;
            i += 4;
        } else {
            marked += compact[i];
        }
    }
    return marked;
}

bool holdsOddsName(std::string_view text) {
    return text.find_first_of(std::string_view("\x01\x02\x03", 3)) != std::string_view::npos;
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
        case logic_expression_t::OP_LESS:
            result = left < right;
            break;
        case logic_expression_t::OP_GREATER:
            result = left > right;
            break;
        case logic_expression_t::OP_EQUAL:
            result = left == right;
            break;
        case logic_expression_t::OP_LESS_EQUAL:
            result = left <= right;
            break;
        case logic_expression_t::OP_GREATER_EQUAL:
            result = left >= right;
            break;
        case logic_expression_t::OP_NOT_EQUAL:
            result = left != right;
            break;
        case logic_expression_t::OP_OR:
            result = left != 0.0f || right != 0.0f;
            break;
        case logic_expression_t::OP_AND:
            result = left != 0.0f && right != 0.0f;
            break;
        default:
            assert(false && "unknown operator code");
    }
    return result ? 1.0f : 0.0f;
}

// One reduction pass, from the left, over the operators whose codes lie in
// [firstCode, lastCode]: each one replaces the value before it by the result and
// drops itself and the value after it.
void reduce(std::vector<final_list_element_t>& list, std::uint8_t firstCode, std::uint8_t lastCode) {
    std::size_t kept = 0;
    for (std::size_t k = 0; k < list.size(); ++k) {
        const final_list_element_t& element = list[k];
        const bool reduced = element.m_element_type == logic_expression_t::ET_OPERATOR &&
                             element.m_operator >= firstCode && element.m_operator <= lastCode;
        if (!reduced) {
            list[kept++] = element;
            continue;
        }
        if (kept == 0 || k + 1 >= list.size() || list[kept - 1].m_element_type != logic_expression_t::ET_VALUE ||
            list[k + 1].m_element_type != logic_expression_t::ET_VALUE) {
            throw std::logic_error(kErrorInExpression);
        }
        final_list_element_t& left = list[kept - 1];
        left.m_value = combine(element.m_operator, left.m_value, list[k + 1].m_value);
        ++k;  // the right value is consumed
    }
    list.resize(kept);
}

}  // namespace

OddsCondition::OddsCondition(std::string_view text, Names names) {
    if (text.size() > kMaxTextLength) {
        m_root = addError(kErrorInExpression);
        return;
    }
    m_template = buildTemplate(text, names);
    std::size_t operators = 0;
    for (std::size_t i = 0; i + 1 < m_template.size(); ++i) {
        const char c = m_template[i];
        const char next = m_template[i + 1];
        if (c == '<' || c == '>' || ((c == '!' || c == '=') && next == '=') || ((c == '&' || c == '|') && next == c)) {
            ++operators;
        }
    }
    m_root = operators > kMaxOperators ? addError(kErrorInExpression) : compile(0, m_template.size(), 0);
    m_operandIndex.clear();
}

std::uint32_t OddsCondition::addError(const char* message) {
    Node node;
    node.kind = Node::Kind::Error;
    node.error = message;
    m_nodes.push_back(std::move(node));
    return static_cast<std::uint32_t>(m_nodes.size() - 1);
}

// The structure of the characters [first, end), read as logic_expression_t reads
// its text: empty and unbalanced texts fail; without operators the text is a
// number; else it is split at the operators of its shallowest bracket level that
// has any, and every operand is a condition of its own.
std::uint32_t OddsCondition::compile(std::size_t first, std::size_t end, int depth) {
    if (depth > kMaxNesting || first == end) return addError(kErrorInExpression);
    const std::string_view text(m_template.data() + first, end - first);

    std::int64_t brackets = 0;
    for (const char c : text) {
        if (c == '(') ++brackets;
        if (c == ')' && --brackets < 0) return addError(kUnmatchedBrackets);
    }
    if (brackets != 0) return addError(kUnmatchedBrackets);

    // The last character is never looked at: an operator needs a character after it.
    const auto length = static_cast<std::int32_t>(text.size());
    std::vector<operators_pos_t> found;
    std::int32_t level = 0;
    std::int32_t minLevel = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t i = 0; i < length - 1; ++i) {
        const char c = text[static_cast<std::size_t>(i)];
        const char next = text[static_cast<std::size_t>(i) + 1];
        if (c == '(') ++level;
        if (c == ')') --level;
        operators_pos_t op;
        op.m_position = i;
        if (c == '<' || c == '>') {
            const bool withEqual = next == '=';
            op.m_length = withEqual ? 2 : 1;
            if (c == '<')
                op.m_operator = withEqual ? logic_expression_t::OP_LESS_EQUAL : logic_expression_t::OP_LESS;
            else
                op.m_operator = withEqual ? logic_expression_t::OP_GREATER_EQUAL : logic_expression_t::OP_GREATER;
        } else if (next == '=' && (c == '!' || c == '=')) {
            op.m_length = 2;
            op.m_operator = c == '!' ? logic_expression_t::OP_NOT_EQUAL : logic_expression_t::OP_EQUAL;
        } else if ((c == '&' || c == '|') && next == c) {
            op.m_length = 2;
            op.m_operator = c == '&' ? logic_expression_t::OP_AND : logic_expression_t::OP_OR;
        } else {
            continue;
        }
        if (level < minLevel) {
            found.clear();
            minLevel = level;
        }
        if (level == minLevel) found.push_back(op);
        i += op.m_length - 1;
    }

    if (found.empty()) {
        Node node;
        if (holdsOddsName(text)) {
            node.kind = Node::Kind::OddsOperand;
            // Operands written alike are computed once per match.
            const auto [known, added] =
                m_operandIndex.try_emplace(std::string(text), static_cast<std::uint32_t>(m_oddsOperands.size()));
            if (added) m_oddsOperands.emplace_back(text);
            node.operand = known->second;
        } else {
            // Nothing in it changes from one match to the next: computed once, now.
            node.kind = Node::Kind::Constant;
            try {
                node.value = EvaluateNumericExpression(text);
            } catch (const std::logic_error& error) {
                node.error = error.what();
            }
        }
        m_nodes.push_back(std::move(node));
        return static_cast<std::uint32_t>(m_nodes.size() - 1);
    }

    for (std::size_t k = 0; k < found.size(); ++k) {
        operators_pos_t& op = found[k];
        op.m_left_bound = k == 0 ? -1 : found[k - 1].m_position + found[k - 1].m_length - 1;
        op.m_right_bound = k + 1 < found.size() ? found[k + 1].m_position : length;
    }

    Node group;
    group.kind = Node::Kind::Group;
    // The left operand of every operator, then the right operand of the last one;
    // each stops at the unmatched bracket of an enclosing group.
    for (const operators_pos_t& op : found) {
        std::int32_t operandFirst = op.m_position;
        std::int32_t nesting = 0;
        for (std::int32_t i = op.m_position - 1; i > op.m_left_bound; --i) {
            if (text[static_cast<std::size_t>(i)] == ')') --nesting;
            if (text[static_cast<std::size_t>(i)] == '(') ++nesting;
            if (nesting > 0) break;
            operandFirst = i;
        }
        group.children.push_back(compile(first + static_cast<std::size_t>(operandFirst),
                                         first + static_cast<std::size_t>(op.m_position), depth + 1));
        group.operators.push_back(op.m_operator);
    }
    const operators_pos_t& last = found.back();
    std::int32_t operandEnd = last.m_position + last.m_length;
    std::int32_t nesting = 0;
    for (std::int32_t i = operandEnd; i < last.m_right_bound; ++i) {
        if (text[static_cast<std::size_t>(i)] == '(') ++nesting;
        if (text[static_cast<std::size_t>(i)] == ')') --nesting;
        if (nesting < 0) break;
        operandEnd = i + 1;
    }
    group.children.push_back(compile(first + static_cast<std::size_t>(last.m_position + last.m_length),
                                     first + static_cast<std::size_t>(operandEnd), depth + 1));
    m_nodes.push_back(std::move(group));
    return static_cast<std::uint32_t>(m_nodes.size() - 1);
}

double OddsCondition::evaluate(const OddsTexts& odds) const {
    std::vector<OperandValue> values(m_oddsOperands.size());
    return evaluateNode(m_root, odds, values);
}

double OddsCondition::evaluateNode(std::uint32_t index, const OddsTexts& odds,
                                   std::vector<OperandValue>& values) const {
    const Node& node = m_nodes[index];
    switch (node.kind) {
        case Node::Kind::Error:
            throw std::logic_error(node.error);
        case Node::Kind::Constant:
            if (!node.error.empty()) throw std::logic_error(node.error);
            return node.value;
        case Node::Kind::OddsOperand:
            return evaluateOperand(node, odds, values);
        case Node::Kind::Group:
            break;
    }
    // Operands from the left, so that the first faulty one is reported.
    std::vector<final_list_element_t> list;
    list.reserve(node.children.size() * 2);
    for (std::size_t k = 0; k < node.children.size(); ++k) {
        list.push_back({logic_expression_t::ET_VALUE, roundToFloat(evaluateNode(node.children[k], odds, values)),
                        logic_expression_t::OP_LESS});
        if (k < node.operators.size()) list.push_back({logic_expression_t::ET_OPERATOR, 0.0f, node.operators[k]});
    }
    reduce(list, logic_expression_t::OP_LESS, logic_expression_t::OP_NOT_EQUAL);
    reduce(list, logic_expression_t::OP_AND, logic_expression_t::OP_AND);
    reduce(list, logic_expression_t::OP_OR, logic_expression_t::OP_OR);
    assert(list.size() == 1 && list.front().m_element_type == logic_expression_t::ET_VALUE);
    return list.front().m_value;
}

double OddsCondition::evaluateOperand(const Node& node, const OddsTexts& odds,
                                      std::vector<OperandValue>& values) const {
    OperandValue& value = values[node.operand];
    if (!value.known) {
        std::string text;
        for (const char c : m_oddsOperands[node.operand]) {
            switch (c) {
                case kOdds1:
                    text += odds.odds1;
                    break;
                case kOdds0:
                    text += odds.odds0;
                    break;
                case kOdds2:
                    text += odds.odds2;
                    break;
                default:
                    text += c;
            }
        }
        try {
            value.value = EvaluateNumericExpression(text);
        } catch (const std::logic_error& error) {
            value.error = error.what();
        }
        value.known = true;
    }
    if (!value.error.empty()) throw std::logic_error(value.error);
    return value.value;
}

}  // namespace karvola
