#include "analysis/BetsPreviewText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextEncoding.h"

namespace karvola {

namespace {

using Cells = std::array<std::string_view, 12>;

Cells cellsOf(const BetsPreviewRow& row) {
    return {row.number, row.date,     row.category,     row.teams, row.odds1,  row.odds0,
            row.odds2,  row.decision, row.decisionOdds, row.stake, row.result, row.bankroll};
}

Cells headerCells() {
    Cells header;
    std::copy(std::begin(kBetsPreviewColumns), std::end(kBetsPreviewColumns), header.begin());
    return header;
}

// Texts come from 8-bit data bases: a cell that is valid UTF-8 is as wide as its
// characters, any other as wide as its bytes.
std::size_t displayWidth(std::string_view text) {
    if (!IsValidUtf8(text)) return text.size();
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string formatLine(const Cells& cells, const std::array<std::size_t, 12>& widths) {
    std::string line;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        if (column > 0) line += "  ";
        line += cells[column];
        line.append(widths[column] - displayWidth(cells[column]), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

std::string csvCell(std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(cell);
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::vector<std::string> FormatBetsPreviewTable(const std::vector<BetsPreviewRow>& rows) {
    const Cells header = headerCells();
    std::array<std::size_t, 12> widths{};
    for (std::size_t column = 0; column < header.size(); ++column) widths[column] = displayWidth(header[column]);
    for (const BetsPreviewRow& row : rows) {
        const Cells cells = cellsOf(row);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            widths[column] = std::max(widths[column], displayWidth(cells[column]));
        }
    }

    std::vector<std::string> lines;
    lines.reserve(rows.size() + 1);
    lines.push_back(formatLine(header, widths));
    for (const BetsPreviewRow& row : rows) lines.push_back(formatLine(cellsOf(row), widths));
    return lines;
}

std::string FormatBetsPreviewCsv(const std::vector<BetsPreviewRow>& rows) {
    std::string csv;
    const auto appendRecord = [&csv](const Cells& cells) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0) csv += ',';
            csv += csvCell(cells[column]);
        }
        csv += "\r\n";
    };
    appendRecord(headerCells());
    for (const BetsPreviewRow& row : rows) appendRecord(cellsOf(row));
    return csv;
}

}  // namespace karvola
