#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// The command line's history: every non-empty entered line, exactly as typed,
// duplicates included, without a size limit.
class CommandHistory final {
public:
    void append(std::string_view line);
    void clear();

    [[nodiscard]] const std::vector<std::string>& lines() const { return m_lines; }

    // Front ends that keep a history of their own (the combo box, the line
    // editor) follow the clearing through this callback.
    void setClearedCallback(std::function<void()> callback) { m_onCleared = std::move(callback); }

private:
    std::vector<std::string> m_lines;
    std::function<void()> m_onCleared;
};

}  // namespace karvola
