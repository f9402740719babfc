#include "tools/EventGrid.h"

#include <algorithm>

namespace karvola {

EventGrid::EventGrid() : m_rows(1) {}

void EventGrid::add(std::string event, std::string odds) {
    row_t& blank = m_rows.back();
    blank.event = std::move(event);
    blank.odds = std::move(odds);
    m_rows.emplace_back();
}

void EventGrid::clear() {
    m_rows.assign(1, row_t{});
}

void EventGrid::deleteRows(int top, int bottom) {
    if (top < kFirstDataRow || bottom > blankRow() || top > bottom) return;
    if (top == kFirstDataRow && (bottom == blankRow() || bottom == blankRow() - 1)) {
        clear();
        return;
    }
    if (bottom == blankRow()) --bottom;
    if (bottom < top) return;
    const auto first = m_rows.begin() + (top - kFirstDataRow);
    m_rows.erase(first, first + (bottom - top + 1));
}

void EventGrid::setStakes(std::span<const std::string> stakes) {
    const std::size_t count = std::min(stakes.size(), m_rows.size() - 1);
    for (std::size_t i = 0; i < count; ++i) m_rows[i].stake = stakes[i];
}

}  // namespace karvola
