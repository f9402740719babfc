#pragma once

#include <string>
#include <vector>

namespace karvola {

// Rows of cells as lines of aligned columns for a terminal: each column as wide
// as its widest cell (valid UTF-8 counted in characters, other text in bytes),
// columns two blanks apart, no blanks at the end of a line. Rows may have fewer
// cells than others.
[[nodiscard]] std::vector<std::string> AlignColumns(const std::vector<std::vector<std::string>>& rows);

}  // namespace karvola
