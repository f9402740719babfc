#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// The three 1X2 odds columns of one bookmaker: "<CODE>H", "<CODE>D", "<CODE>A".
struct FootballDataBookmakerColumns {
    std::string code;
    std::size_t home = 0;
    std::size_t draw = 0;
    std::size_t away = 0;
};

// Where a football-data.co.uk CSV file keeps what a data source record needs,
// found by the header's names.
struct FootballDataColumns {
    static constexpr std::size_t kAbsent = std::numeric_limits<std::size_t>::max();

    // "Div" in the main leagues' files; the extra leagues' files name the
    // country and the league instead.
    std::size_t division = kAbsent;
    std::size_t country = kAbsent;
    std::size_t league = kAbsent;
    std::size_t date = kAbsent;
    std::size_t time = kAbsent;
    std::size_t homeTeam = kAbsent;
    std::size_t awayTeam = kAbsent;
    std::size_t homeGoals = kAbsent;
    std::size_t awayGoals = kAbsent;
    // In the order of their home odds columns.
    std::vector<FootballDataBookmakerColumns> bookmakers;

    // The columns a record cannot do without that the header lacks, by name
    // ("Div", "Date", "HomeTeam", "AwayTeam"); empty when the file is usable.
    [[nodiscard]] std::vector<std::string> missing() const;
};

// Reads a header row (names as they stand; blanks around them are ignored).
// Every code with all three odds columns is a bookmaker except the aggregates
// (Max, Avg, Bb...) and the closing odds: a code ending in "C" whose code
// without the "C" has odds columns too (B365C, PSC).
FootballDataColumns FindFootballDataColumns(const std::vector<std::string_view>& header);

// A division code's competition and country, as the data source's category parts.
struct FootballDataCompetition {
    std::string_view competition;
    std::string_view country;
};

// The competition of a known division code ("E0": Premier League, England);
// nothing known gives an empty competition.
FootballDataCompetition FootballDataCompetitionOf(std::string_view division);

// Blanks (spaces, tabs) at either end removed.
std::string_view TrimFootballDataCell(std::string_view cell);

}  // namespace karvola
