#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "upcoming/UpcomingMatchDBMS.h"

namespace karvola {

// The bet a rule takes on an upcoming match; the codes of the prediction expressions.
enum class UpcomingDecision : std::uint8_t {
    Bet1 = 0,
    Bet0 = 1,
    Bet2 = 2,
    Bet12 = 3,
    Bet10 = 4,
    Bet02 = 5,
    Bet102 = 6
};

[[nodiscard]] std::string_view DecisionText(UpcomingDecision decision);

// One match a rule bets on: its place in the upcoming research domain and the bet.
struct UpcomingDecisionEntry {
    std::size_t index = 0;
    UpcomingDecision decision = UpcomingDecision::Bet1;

    friend bool operator==(const UpcomingDecisionEntry&, const UpcomingDecisionEntry&) = default;
};

// The three stake texts of a decision, home, draw and away, each empty where
// that outcome is not backed; a two-way bet splits the stake so that either
// winning outcome returns the same. Nothing for bet102, which is not split.
[[nodiscard]] std::optional<std::array<std::string, 3>> StakeTexts(UpcomingDecision decision, std::string_view odds1,
                                                                   std::string_view odds0, std::string_view odds2);

// One row of the list of upcoming matches, with the texts of its columns.
struct UpcomingRow {
    int number = 0;  // the running number given when the list was filled; kept when rows are hidden
    std::string start;
    std::string category;
    std::string teams;
    std::string odds1;
    std::string odds0;
    std::string odds2;
    UpcomingDecision decision = UpcomingDecision::Bet1;
    std::size_t match = 0;  // its record in the research domain the list was filled from

    // What a hidden match is remembered by.
    [[nodiscard]] std::string key() const { return start + "&" + teams; }
};

// What the details of a selected row show.
struct UpcomingDetails {
    std::string teams;
    std::string dateTime;
    std::string category;
    std::array<std::string, 3> maxOdds;  // "Max Odds 1 = ...", "Max Odds 0 = ...", "Max Odds 2 = ..."
    std::array<bool, 3> backed{};        // home, draw, away
    // Nothing for bet102: the stake texts shown before stay.
    std::optional<std::array<std::string, 3>> stakes;
    std::array<std::vector<std::string>, 3> bookmakers;  // those offering the best odds of each outcome
};

// The matches the last upcoming command bets on, as the list of upcoming
// matches shows them, and the matches the user has hidden for the rest of the run.
class UpcomingListing final {
public:
    // Empties the decisions and the rows.
    void clear();
    // Takes the decisions of a command and makes the rows of those not hidden,
    // numbered from 1, their start in local time.
    void fill(std::vector<UpcomingDecisionEntry> decisions, const UpcomingMatchDBMS& model);

    [[nodiscard]] const std::vector<UpcomingDecisionEntry>& decisions() const { return m_decisions; }
    [[nodiscard]] const std::vector<UpcomingRow>& rows() const { return m_rows; }
    [[nodiscard]] const std::vector<std::string>& hiddenMatches() const { return m_hidden; }

    // The details of the row at the position, the bookmakers of its own match
    // among them (not those of another match of the same teams).
    [[nodiscard]] UpcomingDetails details(std::size_t position, const UpcomingMatchDBMS& model) const;

    // Hides the match of the row at the position for the rest of the run and
    // removes the row; the other rows keep their numbers. Returns the position
    // to select next: the row before, or the first; nothing when none is left.
    std::optional<std::size_t> hide(std::size_t position);

private:
    std::vector<UpcomingDecisionEntry> m_decisions;
    std::vector<UpcomingRow> m_rows;
    std::vector<std::string> m_hidden;  // never cleared: hidden for the whole run
};

}  // namespace karvola
