#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "expressions/OddsCondition.h"

namespace karvola {

// A betting rule: condition "?" keyword ":" condition "?" keyword ... with an
// optional keyword alone at the end, which always applies. The conditions are
// logic expressions in which ODDS1, ODDS0 and ODDS2 stand for the match's odds.
// The rule is read once; a fault in it is raised by every evaluation, so it
// shows at the first match, whichever part would have applied. Throws
// std::logic_error.
class PredictExpression final {
public:
    // The bet a rule asks for. These are not the outcome codes of the wvector rule.
    enum prediction_t : std::uint8_t {
        BET1 = 0,    // home win
        BET0 = 1,    // draw
        BET2 = 2,    // away win
        BET12 = 3,   // home win or away win
        BET10 = 4,   // home win or draw
        BET02 = 5,   // draw or away win
        BET102 = 6,  // all three outcomes
        NO_BET = 7,  // no part of the rule applies
    };

    // One part as written, while the text is being split.
    struct predict_expr_parse_element_t {
        std::string_view m_condition;  // views into the text without blanks
        std::string_view m_keyword;
    };

    // One part, read.
    struct predict_expr_element_t {
        OddsCondition m_condition;
        std::uint8_t m_prediction = NO_BET;
    };

    explicit PredictExpression(std::string text);

    // The prediction code for one match: that of the first part whose condition is
    // nonzero (NaN counts as zero), NO_BET when none is.
    std::uint8_t evaluate(float odds1, float odds0, float odds2);

    // The rule's text: as given until the first evaluation, without blanks after it.
    [[nodiscard]] const std::string& text() const { return m_evaluated ? m_compactText : m_text; }

private:
    void split(std::vector<predict_expr_parse_element_t>& parts) const;

    std::string m_text;
    std::string m_compactText;
    std::vector<predict_expr_element_t> m_elements;
    std::string m_error;  // non-empty: the fault every evaluation raises
    bool m_mentionsOdds = false;
    bool m_evaluated = false;
};

}  // namespace karvola
