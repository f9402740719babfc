#include "database/GeneralProperties.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/NumberTexts.h"
#include "expressions/NumericExpression.h"

namespace karvola {

namespace {

// A field's value truncated toward zero, kept inside the int range so that the
// range checks, not an overflow, judge absurd values.
int TruncateToInt(double value) {
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

// The field's text evaluated, or the evaluator's message.
std::optional<std::string> Evaluate(const std::string& text, double& value) {
    try {
        value = EvaluateNumericExpression(text);
        return std::nullopt;
    } catch (const std::logic_error& error) {
        return error.what();
    }
}

}  // namespace

GeneralProperties::GeneralProperties(ResearchDomainModel& researchDomain, const OptimizationFlags& flags,
                                     char decimalSeparator)
    : m_researchDomain(researchDomain), m_flags(flags), m_decimalSeparator(decimalSeparator) {}

GeneralProperties::Editable GeneralProperties::editable() const {
    const bool any = !m_flags.IsOptimizing();
    return {any && m_researchDomain.size() != 0, any};
}

std::optional<PropertiesError> GeneralProperties::apply(const std::string& infimum, const std::string& supremum,
                                                        const std::string& bnd) {
    using Field = PropertiesError::Field;
    const Editable fields = editable();
    if (!fields.bnd) return std::nullopt;
    const std::string infimumText = fields.range ? infimum : std::to_string(m_researchDomain.lo());
    const std::string supremumText = fields.range ? supremum : std::to_string(m_researchDomain.hi());

    double bndValue = 0.0;
    double infimumValue = 0.0;
    double supremumValue = 0.0;
    if (auto error = Evaluate(bnd, bndValue)) return PropertiesError{"BND% Property error", *error, Field::Bnd};
    if (auto error = Evaluate(infimumText, infimumValue)) {
        return PropertiesError{"Compartment Infimum Property error", *error, Field::Infimum};
    }
    if (auto error = Evaluate(supremumText, supremumValue)) {
        return PropertiesError{"Compartment Supremum Property error", *error, Field::Supremum};
    }
    const int lo = TruncateToInt(infimumValue);
    const int hi = TruncateToInt(supremumValue);
    const auto size = static_cast<long long>(m_researchDomain.size());

    if (hi < lo)
        return PropertiesError{"Compartment Property error", "Infimum value cannot exceed supremum", Field::Infimum};
    if (lo < 0)
        return PropertiesError{"Compartment Infimum Property error", "Infimum must be positive", Field::Infimum};
    if (hi < 0)
        return PropertiesError{"Compartment Supremum Property error", "Supremum must be positive", Field::Supremum};
    if (hi > size) {
        return PropertiesError{"Compartment Supremum Property error", "Supremum cannot exceed domain size",
                               Field::Supremum};
    }
    if (lo > size) {
        return PropertiesError{"Compartment Infimum Property error", "Infimum cannot exceed domain size",
                               Field::Infimum};
    }
    if (!(bndValue > 0.0 && bndValue <= 100.0)) {
        return PropertiesError{"BND% Property error", "BND% must be in (0, 100>", Field::Bnd};
    }
    m_researchDomain.setCompartment(lo, hi);
    m_researchDomain.setBnd(FormatGeneral(bndValue, m_decimalSeparator));
    return std::nullopt;
}

}  // namespace karvola
