#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace karvola {

// The texts the odds of one match are written as inside a condition.
struct OddsTexts {
    std::string_view odds1;
    std::string_view odds0;
    std::string_view odds2;
};

// A logic expression in which ODDS1, ODDS0 and ODDS2 stand for a match's odds,
// cut into its structure once, so that evaluating it for many matches costs only
// the numeric work of the operands that mention the odds, each once per match.
// Its values and errors are exactly those of logic_expression_t on the text with
// the odds written in; an error is raised when the part holding it is reached,
// as it would be for the first match evaluated. Input beyond what a condition
// can sensibly hold (1 MB of text, 100,000 operators, operators nested deeper
// than 1,000 levels) is "Error in expression" instead of a crash.
class OddsCondition final {
public:
    // When the odds names are looked for: in the text as typed (rsr, where a
    // name broken by a blank stays a name no number replaces), after its blanks
    // are gone (the conditions of a prediction rule), or never (a plain condition).
    enum class Names { BeforeBlankRemoval, AfterBlankRemoval, None };

    static constexpr std::size_t kMaxTextLength = 1 << 20;
    static constexpr std::size_t kMaxOperators = 100'000;
    static constexpr int kMaxNesting = 1'000;

    OddsCondition(std::string_view text, Names names);

    // 1.0 or 0.0 when the condition has operators, else the numeric value of the
    // whole text. Throws std::logic_error.
    [[nodiscard]] double evaluate(const OddsTexts& odds) const;

    // Whether the condition mentions the odds at all (else they need no text).
    [[nodiscard]] bool mentionsOdds() const { return !m_oddsOperands.empty(); }

private:
    struct Node {
        enum class Kind : std::uint8_t { Error, Constant, OddsOperand, Group };
        Kind kind = Kind::Error;
        std::string error;                    // Error, and a Constant whose evaluation failed
        double value = 0.0;                   // Constant
        std::uint32_t operand = 0;            // OddsOperand: index into m_oddsOperands
        std::vector<std::uint32_t> children;  // Group: the operands in text order
        std::vector<std::uint8_t> operators;  // Group: the operator after each operand but the last
    };

    // What an operand that mentions the odds came to for the match being evaluated.
    struct OperandValue {
        bool known = false;
        double value = 0.0;
        std::string error;  // non-empty: its evaluation raised this
    };

    std::uint32_t compile(std::size_t first, std::size_t end, int depth);
    std::uint32_t addError(const char* message);
    [[nodiscard]] double evaluateNode(std::uint32_t index, const OddsTexts& odds,
                                      std::vector<OperandValue>& values) const;
    [[nodiscard]] double evaluateOperand(const Node& node, const OddsTexts& odds,
                                         std::vector<OperandValue>& values) const;

    std::string m_template;  // without blanks; the odds names as the bytes 1, 2 and 3
    std::vector<Node> m_nodes;
    std::vector<std::string> m_oddsOperands;                        // distinct operand texts that mention the odds
    std::unordered_map<std::string, std::uint32_t> m_operandIndex;  // while compiling
    std::uint32_t m_root = 0;
};

}  // namespace karvola
