#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/ChangeObserver.h"
#include "database/ResearchDomainBuilder.h"
#include "database/basic_record_t.h"

namespace karvola {

// The research domain and what the main window shows of it: the categories it
// was built from, its size, the used compartment LO..HI, BND% and the memo of
// the restrictions applied. The windows display it; the commands change it
// through the operations below, which keep its rules in one place.
class ResearchDomainModel final {
public:
    static constexpr const char* kInitialBnd = "12";

    // Every change is reported to the observer.
    explicit ResearchDomainModel(ChangeObserver& observer) : m_observer(observer) {}
    ResearchDomainModel(const ResearchDomainModel&) = delete;
    ResearchDomainModel& operator=(const ResearchDomainModel&) = delete;

    [[nodiscard]] const ResearchDomain& domain() const { return m_domain; }
    [[nodiscard]] std::size_t size() const { return m_domain.size(); }
    [[nodiscard]] const std::vector<std::string>& categories() const { return m_categories; }
    [[nodiscard]] int lo() const { return m_lo; }
    [[nodiscard]] int hi() const { return m_hi; }
    // The BND% label's text, in the general form with the user's separator.
    [[nodiscard]] const std::string& bnd() const { return m_bnd; }
    [[nodiscard]] const std::vector<std::string>& restrictions() const { return m_restrictions; }

    // The records at positions LO to HI, counted from 1 and inclusive; none when
    // either is 0 or LO is above HI.
    [[nodiscard]] std::span<const basic_record_t> selection() const;

    // After a data base load: no domain, no categories, LO and HI 0.
    void clearAfterLoad();
    // struct: the new domain spans 1..size, even when it is empty.
    void applyMasks(MaskedResearchDomain masked);
    // OK in the category dialog: the chosen names replace the list ...
    void chooseCategories(std::vector<std::string> names);
    // ... and the domain built from them spans 1..size (0..0 when empty).
    void applyCategoryDomain(ResearchDomain domain);
    // rsr: the narrowed domain spans 1..size (0 when empty); the memo gains the condition.
    void applyRestriction(ResearchDomain domain, const std::string& restriction);
    void setCompartment(int lo, int hi);
    void setBnd(std::string text);

private:
    void changed() const;

    ChangeObserver& m_observer;
    ResearchDomain m_domain;
    std::vector<std::string> m_categories;
    int m_lo = 0;
    int m_hi = 0;
    std::string m_bnd = kInitialBnd;
    std::vector<std::string> m_restrictions{"100% domain"};
};

}  // namespace karvola
