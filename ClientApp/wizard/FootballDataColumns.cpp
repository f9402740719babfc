#include "wizard/FootballDataColumns.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <unordered_map>

namespace karvola {

namespace {

using NameIndex = std::unordered_map<std::string_view, std::size_t>;

// The first of the names the header has, in the order given.
std::size_t findAny(const NameIndex& names, std::initializer_list<std::string_view> candidates) {
    for (const std::string_view candidate : candidates) {
        if (const auto found = names.find(candidate); found != names.end()) return found->second;
    }
    return FootballDataColumns::kAbsent;
}

bool hasOddsColumns(const NameIndex& names, std::string_view code) {
    std::string name(code);
    for (const char outcome : {'H', 'D', 'A'}) {
        name.resize(code.size());
        name += outcome;
        if (!names.contains(name)) return false;
    }
    return true;
}

bool isAggregate(std::string_view code) {
    return code.starts_with("Max") || code.starts_with("Avg") || code.starts_with("Bb");
}

// The data source carries a code on a line of its own, where "####" ends the record.
bool isWritable(std::string_view code) {
    return code != "####" && code.find_first_of("\r\n") == std::string_view::npos;
}

// The bookmakers football-data.co.uk has published odds of, early seasons' included.
// A code here followed by "C" is that bookmaker's closing odds even in a file
// without its opening ones (the extra leagues' PSCH beside PH).
constexpr std::array<std::string_view, 21> kKnownBookmakers = {
    "1XB", "B365", "BF", "BFD", "BFE", "BMGM", "BS", "BV", "BW", "CL", "GB",
    "IW",  "LB",   "P",  "PS",  "SB",  "SJ",   "SO", "SY", "VC", "WH",
};

bool isClosingOdds(const NameIndex& names, std::string_view code) {
    if (code.size() < 2 || code.back() != 'C') return false;
    const std::string_view stem = code.substr(0, code.size() - 1);
    return hasOddsColumns(names, stem) || isAggregate(stem) ||
           std::find(kKnownBookmakers.begin(), kKnownBookmakers.end(), stem) != kKnownBookmakers.end();
}

// Pinnacle is PS in the main files and P in the extra leagues'.
std::string bookmakerCode(const NameIndex& names, std::string_view code) {
    if (code == "P" && !hasOddsColumns(names, "PS")) return "PS";
    return std::string(code);
}

struct known_division_t {
    std::string_view code;
    FootballDataCompetition competition;
};

// The division codes of football-data.co.uk's main leagues.
constexpr std::array kKnownDivisions = {
    known_division_t{"E0", {"Premier League", "England"}},
    known_division_t{"E1", {"Championship", "England"}},
    known_division_t{"E2", {"League One", "England"}},
    known_division_t{"E3", {"League Two", "England"}},
    known_division_t{"EC", {"National League", "England"}},
    known_division_t{"SC0", {"Premiership", "Scotland"}},
    known_division_t{"SC1", {"Championship", "Scotland"}},
    known_division_t{"SC2", {"League One", "Scotland"}},
    known_division_t{"SC3", {"League Two", "Scotland"}},
    known_division_t{"D1", {"Bundesliga", "Germany"}},
    known_division_t{"D2", {"2. Bundesliga", "Germany"}},
    known_division_t{"SP1", {"La Liga", "Spain"}},
    known_division_t{"SP2", {"Segunda Division", "Spain"}},
    known_division_t{"I1", {"Serie A", "Italy"}},
    known_division_t{"I2", {"Serie B", "Italy"}},
    known_division_t{"F1", {"Ligue 1", "France"}},
    known_division_t{"F2", {"Ligue 2", "France"}},
    known_division_t{"N1", {"Eredivisie", "Netherlands"}},
    known_division_t{"B1", {"First Division A", "Belgium"}},
    known_division_t{"P1", {"Primeira Liga", "Portugal"}},
    known_division_t{"T1", {"Super Lig", "Turkey"}},
    known_division_t{"G1", {"Super League", "Greece"}},
};

}  // namespace

std::vector<std::string> FootballDataColumns::missing() const {
    std::vector<std::string> names;
    if (division == kAbsent && (country == kAbsent || league == kAbsent)) {
        names.emplace_back("Div (or Country and League)");
    }
    if (date == kAbsent) names.emplace_back("Date");
    if (homeTeam == kAbsent) names.emplace_back("HomeTeam (or HT, Home)");
    if (awayTeam == kAbsent) names.emplace_back("AwayTeam (or AT, Away)");
    return names;
}

FootballDataColumns FindFootballDataColumns(const std::vector<std::string_view>& header) {
    NameIndex names;
    for (std::size_t i = 0; i < header.size(); ++i) names.emplace(TrimFootballDataCell(header[i]), i);

    FootballDataColumns columns;
    columns.division = findAny(names, {"Div"});
    columns.country = findAny(names, {"Country"});
    columns.league = findAny(names, {"League"});
    columns.date = findAny(names, {"Date"});
    columns.time = findAny(names, {"Time"});
    // Early seasons' files say HT and AT, the extra leagues' Home, Away, HG and AG.
    columns.homeTeam = findAny(names, {"HomeTeam", "HT", "Home"});
    columns.awayTeam = findAny(names, {"AwayTeam", "AT", "Away"});
    columns.homeGoals = findAny(names, {"FTHG", "HG"});
    columns.awayGoals = findAny(names, {"FTAG", "AG"});

    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string_view name = TrimFootballDataCell(header[i]);
        if (name.size() < 2 || name.back() != 'H' || names.at(name) != i) continue;
        const std::string_view code = name.substr(0, name.size() - 1);
        if (!hasOddsColumns(names, code)) continue;
        const std::string codeText(code);
        const std::size_t draw = names.at(codeText + 'D');
        const std::size_t away = names.at(codeText + 'A');
        if (isClosingOdds(names, code)) {
            const std::string_view stem = code.substr(0, code.size() - 1);
            // The closing odds file tells a code from a kick-off by its letters.
            if (!isWritable(stem) || stem.find_first_not_of("0123456789") == std::string_view::npos) continue;
            auto& list = isAggregate(stem) ? columns.closingAggregates : columns.closing;
            list.push_back({bookmakerCode(names, stem), i, draw, away});
        } else if (!isAggregate(code) && isWritable(code)) {
            columns.bookmakers.push_back({bookmakerCode(names, code), i, draw, away});
        }
    }
    return columns;
}

FootballDataCompetition FootballDataCompetitionOf(std::string_view division) {
    const auto* known = std::find_if(kKnownDivisions.begin(), kKnownDivisions.end(),
                                     [division](const known_division_t& entry) { return entry.code == division; });
    return known == kKnownDivisions.end() ? FootballDataCompetition{} : known->competition;
}

std::string_view TrimFootballDataCell(std::string_view cell) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!cell.empty() && isBlank(cell.front())) cell.remove_prefix(1);
    while (!cell.empty() && isBlank(cell.back())) cell.remove_suffix(1);
    return cell;
}

}  // namespace karvola
