#include "UpcomingTable.h"

#include <algorithm>
#include <array>

namespace karvola::cli {

namespace {

constexpr std::array<const char*, 8> kHeadings{"No.", "Start", "Category", "Teams", "1", "X", "2", "Decision"};
constexpr std::array<const char*, 3> kOutcomes{"1", "X", "2"};

std::vector<std::string> Cells(const UpcomingRow& row) {
    return {std::to_string(row.number),
            row.start,
            row.category,
            row.teams,
            row.odds1,
            row.odds0,
            row.odds2,
            std::string(DecisionText(row.decision))};
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, text.size()), ' ');
}

// Columns two blanks apart, each as wide as its widest cell; no trailing blanks.
std::vector<std::string> AlignedLines(const std::vector<std::vector<std::string>>& table) {
    std::vector<std::size_t> widths(kHeadings.size(), 0);
    for (const auto& cells : table) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            widths[column] = std::max(widths[column], cells[column].size());
        }
    }
    std::vector<std::string> lines;
    for (const auto& cells : table) {
        std::string line;
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0) line += "  ";
            line += column + 1 < cells.size() ? Padded(cells[column], widths[column]) : cells[column];
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text.empty() ? "-" : text;
}

// One row's details: per outcome its best odds, who offers them and the share of
// the stake; "*" marks the outcomes the decision backs.
std::vector<std::string> DetailLines(const UpcomingRow& row, const UpcomingDetails& details) {
    std::vector<std::string> lines{std::to_string(row.number) + ": " + details.teams + ", " + details.dateTime + ", " +
                                   details.category};
    std::vector<std::vector<std::string>> outcomes;
    for (std::size_t outcome = 0; outcome < kOutcomes.size(); ++outcome) {
        std::vector<std::string> cells{
            std::string(details.backed[outcome] ? "  * " : "    ") + details.maxOdds[outcome],
            Joined(details.bookmakers[outcome])};
        if (details.stakes && !(*details.stakes)[outcome].empty()) cells.push_back((*details.stakes)[outcome]);
        outcomes.push_back(std::move(cells));
    }
    std::array<std::size_t, 2> widths{};
    for (const auto& cells : outcomes) {
        for (std::size_t column = 0; column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], cells[column].size());
        }
    }
    for (const auto& cells : outcomes) {
        std::string line = Padded(cells[0], widths[0]) + "  ";
        line += cells.size() > 2 ? Padded(cells[1], widths[1]) + "  " + cells[2] : cells[1];
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

std::vector<std::string> FormatUpcomingTable(const UpcomingListing& listing, const UpcomingMatchDBMS& model) {
    const auto& rows = listing.rows();
    if (rows.empty()) return {};
    std::vector<std::vector<std::string>> table{{kHeadings.begin(), kHeadings.end()}};
    for (const auto& row : rows) table.push_back(Cells(row));
    std::vector<std::string> lines = AlignedLines(table);
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const auto details = DetailLines(rows[position], listing.details(position, model));
        lines.insert(lines.end(), details.begin(), details.end());
    }
    return lines;
}

void UpcomingPrinter::showListing() {
    const UpcomingListing& listing = m_commands.listing();
    // Every match the rule bets on is hidden: what the empty window says.
    if (listing.rows().empty() && !listing.decisions().empty()) m_sink.appendLine("( NO MATCHES FOUND )");
    for (const auto& line : FormatUpcomingTable(listing, m_commands.model())) m_sink.appendLine(line);
}

}  // namespace karvola::cli
