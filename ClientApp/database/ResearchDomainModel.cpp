#include "database/ResearchDomainModel.h"

#include <algorithm>

namespace karvola {

namespace {

constexpr const char* kWholeDomain = "100% domain";
// The first memo line after a load, with its historic spelling.
constexpr const char* kWholeDomainAfterLoad = "100% Reasearch Domain";

}  // namespace

std::span<const basic_record_t> ResearchDomainModel::selection() const {
    if (m_lo <= 0 || m_hi <= 0 || m_lo > m_hi) return {};
    const auto last = std::min<std::size_t>(static_cast<std::size_t>(m_hi), m_domain.size());
    const auto first = static_cast<std::size_t>(m_lo) - 1;
    if (first >= last) return {};
    return std::span<const basic_record_t>(m_domain).subspan(first, last - first);
}

void ResearchDomainModel::clearAfterLoad() {
    m_domain.clear();
    m_categories.clear();
    m_lo = 0;
    m_hi = 0;
    m_restrictions = {kWholeDomainAfterLoad};
    changed();
}

void ResearchDomainModel::applyMasks(MaskedResearchDomain masked) {
    m_domain = std::move(masked.domain);
    m_categories = std::move(masked.categories);
    m_lo = 1;
    m_hi = static_cast<int>(m_domain.size());
    m_restrictions = {kWholeDomain};
    changed();
}

void ResearchDomainModel::chooseCategories(std::vector<std::string> names) {
    m_categories = std::move(names);
    m_restrictions = {kWholeDomain};
    changed();
}

void ResearchDomainModel::applyCategoryDomain(ResearchDomain domain) {
    m_domain = std::move(domain);
    m_lo = m_domain.empty() ? 0 : 1;
    m_hi = static_cast<int>(m_domain.size());
    changed();
}

void ResearchDomainModel::applyRestriction(ResearchDomain domain, const std::string& restriction) {
    m_domain = std::move(domain);
    m_lo = m_domain.empty() ? 0 : 1;
    m_hi = static_cast<int>(m_domain.size());
    m_restrictions.emplace_back("AND");
    m_restrictions.push_back(restriction);
    changed();
}

void ResearchDomainModel::setCompartment(int lo, int hi) {
    m_lo = lo;
    m_hi = hi;
    changed();
}

void ResearchDomainModel::setBnd(std::string text) {
    m_bnd = std::move(text);
    changed();
}

void ResearchDomainModel::changed() const {
    m_observer.researchDomainChanged();
}

}  // namespace karvola
