#pragma once

#include <optional>
#include <string>

#include "common/OptimizationFlags.h"
#include "database/ResearchDomainModel.h"

namespace karvola {

// A check of the general properties that failed: the message box's caption and
// text, and the field that gets the focus.
struct PropertiesError {
    enum class Field { Infimum, Supremum, Bnd };
    std::string caption;
    std::string text;
    Field focus = Field::Bnd;
};

// The general properties of the research domain: which of LO, HI and BND% may
// be edited now, and the checks that new values pass before they are stored.
// The properties dialog and the headless terminal's :props both go through it.
class GeneralProperties final {
public:
    struct Editable {
        bool range = false;  // LO and HI: only on a non-empty domain
        bool bnd = false;    // nothing at all while the optimizer reads these values
    };

    GeneralProperties(ResearchDomainModel& researchDomain, const OptimizationFlags& flags, char decimalSeparator);

    [[nodiscard]] Editable editable() const;

    // OK with the texts of the three fields, checked in a fixed order; nothing is
    // stored unless every check passes. A range that cannot be edited keeps the
    // values shown, whatever the texts say; with nothing editable nothing changes.
    std::optional<PropertiesError> apply(const std::string& infimum, const std::string& supremum,
                                         const std::string& bnd);

private:
    ResearchDomainModel& m_researchDomain;
    const OptimizationFlags& m_flags;
    char m_decimalSeparator;
};

}  // namespace karvola
