#include "common/TextTable.h"

#include <algorithm>
#include <string_view>

#include "common/TextEncoding.h"

namespace karvola {

namespace {

// Texts come from 8-bit data bases: a cell that is valid UTF-8 is as wide as its
// characters, any other as wide as its bytes.
std::size_t DisplayWidth(std::string_view text) {
    if (!IsValidUtf8(text)) return text.size();
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::vector<std::string> AlignColumns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& cells : rows) {
        if (cells.size() > widths.size()) widths.resize(cells.size(), 0);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(cells[column]));
        }
    }
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const auto& cells : rows) {
        std::string line;
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0) line += "  ";
            line += cells[column];
            line.append(widths[column] - DisplayWidth(cells[column]), ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace karvola
