#include "expressions/LogicExpression.h"

#include <utility>

#include "expressions/OddsCondition.h"

namespace karvola {

logic_expression_t::logic_expression_t(std::string text) : m_text(std::move(text)) {}

double logic_expression_t::evaluate() {
    return OddsCondition(m_text, OddsCondition::Names::None).evaluate({});
}

}  // namespace karvola
