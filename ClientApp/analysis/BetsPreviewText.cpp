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

#include "common/TextTable.h"

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
    const auto texts = [](const Cells& cells) { return std::vector<std::string>(cells.begin(), cells.end()); };
    std::vector<std::vector<std::string>> table;
    table.reserve(rows.size() + 1);
    table.push_back(texts(headerCells()));
    for (const BetsPreviewRow& row : rows) table.push_back(texts(cellsOf(row)));
    return AlignColumns(table);
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
