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
    // The bookmakers' offers before the match, in the order of their home odds columns.
    std::vector<FootballDataBookmakerColumns> bookmakers;
    // The bookmakers' closing odds, under the bookmaker's own code (B365CH... as B365).
    std::vector<FootballDataBookmakerColumns> closing;
    // The closing maxima and averages (MaxCH, AvgCH...): no offers of anyone, but
    // they show that a row without offers has closing odds.
    std::vector<FootballDataBookmakerColumns> closingAggregates;

    // The columns a record cannot do without that the header lacks, each with
    // the names that would also do ("Div (or Country and League)", "Date",
    // "HomeTeam (or HT, Home)", "AwayTeam (or AT, Away)"); empty when the file is usable.
    [[nodiscard]] std::vector<std::string> missing() const;
};

// Reads a header row (names as they stand; blanks around them are ignored).
// Every code with all three odds columns is a bookmaker except the aggregates
// (Max, Avg, Bb...) and the closing odds: a code ending in "C" whose code
// without the "C" is a bookmaker's or an aggregate's (B365C, PSC, MaxC), whether
// or not the file also has that code's opening odds. The extra leagues' Pinnacle
// columns PH/PD/PA are the main files' PS, so that Pinnacle has one code.
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
