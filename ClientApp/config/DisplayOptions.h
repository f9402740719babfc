#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace karvola {

// The twelve display options ("110000111110"): position i shows its report line
// when it holds '1'; missing positions count as '0'.
class DisplayOptions final {
public:
    static constexpr const char* kDefault = "110000111110";
    explicit DisplayOptions(std::string_view text) : m_text(text) {}
    [[nodiscard]] bool shows(std::size_t position) const { return position < m_text.size() && m_text[position] == '1'; }

private:
    std::string m_text;
};

}  // namespace karvola
