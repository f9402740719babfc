#include "support/RecordingSink.h"

namespace karvola::testing {

void RecordingSink::appendLine(std::string_view line) {
    const std::lock_guard lock(m_mutex);
    m_lines.emplace_back(line);
}

void RecordingSink::clearScreen() {
    const std::lock_guard lock(m_mutex);
    m_lines.clear();
    ++m_clearCount;
}

std::vector<std::string> RecordingSink::lines() const {
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

int RecordingSink::clearCount() const {
    const std::lock_guard lock(m_mutex);
    return m_clearCount;
}

}  // namespace karvola::testing
