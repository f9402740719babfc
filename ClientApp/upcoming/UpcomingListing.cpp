#include "upcoming/UpcomingListing.h"

#include <algorithm>

#include "common/NumberTexts.h"
#include "config/DateTimeManager.h"

namespace karvola {

namespace {

constexpr std::size_t kHome = 0;
constexpr std::size_t kDraw = 1;
constexpr std::size_t kAway = 2;

std::array<bool, 3> BackedOutcomes(UpcomingDecision decision) {
    switch (decision) {
        case UpcomingDecision::Bet1:
            return {true, false, false};
        case UpcomingDecision::Bet0:
            return {false, true, false};
        case UpcomingDecision::Bet2:
            return {false, false, true};
        case UpcomingDecision::Bet12:
            return {true, false, true};
        case UpcomingDecision::Bet10:
            return {true, true, false};
        case UpcomingDecision::Bet02:
            return {false, true, true};
        case UpcomingDecision::Bet102:
            break;
    }
    return {true, true, true};
}

// The share of the stake on the first outcome of a two-way bet: the other's odds over their sum.
std::string Share(float own, float other, std::string_view suffix) {
    const long double ownOdds = own;
    const long double otherOdds = other;
    return FormatTwoDecimalsExtended(otherOdds / (otherOdds + ownOdds) * 100.0L) + std::string(suffix);
}

std::string StartText(std::int32_t startTime) {
    DateTimeManager date;
    date.SetFromUnixTime(static_cast<std::uint32_t>(startTime));
    return date.FormatDateTime();
}

}  // namespace

std::string_view DecisionText(UpcomingDecision decision) {
    switch (decision) {
        case UpcomingDecision::Bet1:
            return "bet1";
        case UpcomingDecision::Bet0:
            return "bet0";
        case UpcomingDecision::Bet2:
            return "bet2";
        case UpcomingDecision::Bet12:
            return "bet12";
        case UpcomingDecision::Bet10:
            return "bet10";
        case UpcomingDecision::Bet02:
            return "bet02";
        case UpcomingDecision::Bet102:
            break;
    }
    return "bet102";
}

std::optional<std::array<std::string, 3>> StakeTexts(UpcomingDecision decision, std::string_view odds1,
                                                     std::string_view odds0, std::string_view odds2) {
    constexpr std::string_view kFor1 = "% of stake for bet1";
    constexpr std::string_view kFor0 = "% of stake for bet0";
    constexpr std::string_view kFor2 = "% of stake for bet2";
    const float o1 = NarrowToFloat(ReadStrtodDouble(odds1));
    const float o0 = NarrowToFloat(ReadStrtodDouble(odds0));
    const float o2 = NarrowToFloat(ReadStrtodDouble(odds2));
    std::array<std::string, 3> texts;
    switch (decision) {
        case UpcomingDecision::Bet1:
            texts[kHome] = "100" + std::string(kFor1);
            break;
        case UpcomingDecision::Bet0:
            texts[kDraw] = "100" + std::string(kFor0);
            break;
        case UpcomingDecision::Bet2:
            texts[kAway] = "100" + std::string(kFor2);
            break;
        case UpcomingDecision::Bet10:
            texts[kHome] = Share(o1, o0, kFor1);
            texts[kDraw] = Share(o0, o1, kFor0);
            break;
        case UpcomingDecision::Bet12:
            texts[kHome] = Share(o1, o2, kFor1);
            texts[kAway] = Share(o2, o1, kFor2);
            break;
        case UpcomingDecision::Bet02:
            texts[kDraw] = Share(o0, o2, kFor0);
            texts[kAway] = Share(o2, o0, kFor2);
            break;
        case UpcomingDecision::Bet102:
            return std::nullopt;
    }
    return texts;
}

void UpcomingListing::clear() {
    m_decisions.clear();
    m_rows.clear();
}

void UpcomingListing::fill(std::vector<UpcomingDecisionEntry> decisions, const UpcomingMatchDBMS& model) {
    m_decisions = std::move(decisions);
    m_rows.clear();
    const auto& domain = model.researchDomain();
    for (const auto& entry : m_decisions) {
        if (entry.index >= domain.size()) continue;
        const auto& record = domain[entry.index];
        UpcomingRow row;
        row.start = StartText(record.m_startTime);
        row.teams = record.m_teams;
        if (std::find(m_hidden.begin(), m_hidden.end(), row.key()) != m_hidden.end()) continue;
        row.number = static_cast<int>(m_rows.size()) + 1;
        row.category = record.m_category;
        row.odds1 = record.m_odds1;
        row.odds0 = record.m_odds0;
        row.odds2 = record.m_odds2;
        row.decision = entry.decision;
        row.match = entry.index;
        m_rows.push_back(std::move(row));
    }
}

UpcomingDetails UpcomingListing::details(std::size_t position, const UpcomingMatchDBMS& model) const {
    UpcomingDetails details;
    if (position >= m_rows.size()) return details;
    const UpcomingRow& row = m_rows[position];
    details.teams = row.teams;
    details.dateTime = row.start;
    details.category = row.category;
    details.maxOdds = {"Max Odds 1 = " + row.odds1, "Max Odds 0 = " + row.odds0, "Max Odds 2 = " + row.odds2};
    details.backed = BackedOutcomes(row.decision);
    details.stakes = StakeTexts(row.decision, row.odds1, row.odds0, row.odds2);
    // The row's own match: the same teams may play twice in one list (home and
    // away a week apart), each with its own bookmakers.
    const auto& domain = model.researchDomain();
    if (row.match < domain.size()) {
        const auto& record = domain[row.match];
        details.bookmakers = {record.m_bookmakers1, record.m_bookmakers0, record.m_bookmakers2};
    }
    return details;
}

std::optional<std::size_t> UpcomingListing::hide(std::size_t position) {
    if (position >= m_rows.size()) return std::nullopt;
    m_hidden.push_back(m_rows[position].key());
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(position));
    if (m_rows.empty()) return std::nullopt;
    return position == 0 ? 0 : position - 1;
}

}  // namespace karvola
