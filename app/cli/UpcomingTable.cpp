#include "UpcomingTable.h"

#include <array>

#include "common/TextTable.h"

namespace karvola::cli {

namespace {

constexpr std::array<const char*, 8> kHeadings{"No.", "Start", "Category", "Teams", "1", "X", "2", "Decision"};

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
    for (std::size_t outcome = 0; outcome < details.maxOdds.size(); ++outcome) {
        std::vector<std::string> cells{
            std::string(details.backed[outcome] ? "  * " : "    ") + details.maxOdds[outcome],
            Joined(details.bookmakers[outcome])};
        if (details.stakes && !(*details.stakes)[outcome].empty()) cells.push_back((*details.stakes)[outcome]);
        outcomes.push_back(std::move(cells));
    }
    const auto aligned = AlignColumns(outcomes);
    lines.insert(lines.end(), aligned.begin(), aligned.end());
    return lines;
}

}  // namespace

std::vector<std::string> FormatUpcomingTable(const UpcomingListing& listing, const UpcomingMatchDBMS& model) {
    const auto& rows = listing.rows();
    if (rows.empty()) return {};
    std::vector<std::vector<std::string>> table{{kHeadings.begin(), kHeadings.end()}};
    for (const auto& row : rows) table.push_back(Cells(row));
    std::vector<std::string> lines = AlignColumns(table);
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
