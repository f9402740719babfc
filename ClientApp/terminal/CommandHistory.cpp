#include "terminal/CommandHistory.h"

namespace karvola {

void CommandHistory::append(std::string_view line) {
    m_lines.emplace_back(line);
}

void CommandHistory::clear() {
    m_lines.clear();
    m_observer.historyCleared();
}

}  // namespace karvola
