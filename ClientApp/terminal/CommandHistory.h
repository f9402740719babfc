#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/ChangeObserver.h"

namespace karvola {

// The command line's history: every non-empty entered line, exactly as typed,
// duplicates included, without a size limit.
class CommandHistory final {
public:
    // Front ends that keep a history of their own (the combo box, the line
    // editor) learn of the clearing from the observer.
    explicit CommandHistory(ChangeObserver& observer) : m_observer(observer) {}

    void append(std::string_view line);
    void clear();

    [[nodiscard]] const std::vector<std::string>& lines() const { return m_lines; }

private:
    ChangeObserver& m_observer;
    std::vector<std::string> m_lines;
};

}  // namespace karvola
