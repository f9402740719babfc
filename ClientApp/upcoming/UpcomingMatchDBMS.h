#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// One bookmaker's odds for one upcoming match, as the document wrote them.
struct BookOffer {
    std::string m_name;
    std::string m_odds1;
    std::string m_odds0;
    std::string m_odds2;
};

// One upcoming match as the service sent it.
struct SportEvent {
    std::string m_timestamp;  // kick-off, decimal seconds since 1970 UTC
    std::string m_category;
    std::string m_teams;
    std::vector<BookOffer> m_offers;  // in document order
};

// One match of the upcoming research domain, with the best odds of the data
// base's bookmakers and who offers them.
struct UpcomingResearchDomainRecord {
    std::int32_t m_startTime = 0;  // kick-off in local time: TIMESTAMP + bias hours
    std::string m_category;
    std::string m_teams;
    std::string m_odds1;
    std::string m_odds0;
    std::string m_odds2;
    std::vector<std::string> m_bookmakers1;
    std::vector<std::string> m_bookmakers0;
    std::vector<std::string> m_bookmakers2;

    friend bool operator==(const UpcomingResearchDomainRecord&, const UpcomingResearchDomainRecord&) = default;
};

// What the upcoming research domain is cut by: the main window's research
// domain and the loaded data base, as they stand when a command runs.
struct UpcomingDomainFilter {
    std::string restrictionMemo;          // the restrictions view's whole text
    std::vector<std::string> categories;  // the research domain's categories
    std::vector<std::string> bookmakers;  // the data base's bookmakers
    int timeZoneBias = 0;                 // whole hours
    std::uint32_t localNow = 0;           // local time in seconds since 1970
};

// The upcoming matches last downloaded and the upcoming research domain made of them.
class UpcomingMatchDBMS final {
public:
    // Matches that start within this many seconds are not listed any more.
    static constexpr std::uint32_t kStartMargin = 60;

    // Replaces the events by those of the document. The document is read by
    // plain search for its fixed tags, so text between elements is ignored.
    // Throws std::logic_error "Incorrect XML buffer" for a missing tag and
    // "Incorrect version of the protocol" unless the version is "100"; the
    // events read before the fault stay.
    void ReadDocument(std::string_view document);

    // Rebuilds the upcoming research domain from the events. Throws
    // std::logic_error "Upcoming matches restriction error : ..." when a
    // restriction cannot be evaluated.
    void RebuildResearchDomain(const UpcomingDomainFilter& filter);

    [[nodiscard]] const std::vector<SportEvent>& events() const { return m_events; }
    [[nodiscard]] const std::vector<UpcomingResearchDomainRecord>& researchDomain() const { return m_researchDomain; }
    [[nodiscard]] const std::vector<std::string>& restrictions() const { return m_restrictions; }

private:
    std::vector<SportEvent> m_events;
    std::vector<UpcomingResearchDomainRecord> m_researchDomain;
    std::vector<std::string> m_restrictions;
    int m_timeZoneBias = 0;
};

// The restrictions the restrictions view's text holds: the pieces after
// "100% domain" between occurrences of "AND", trimmed, the empty ones left out.
[[nodiscard]] std::vector<std::string> UpcomingRestrictions(std::string_view memo);

// Whether the restriction, with the record's best odds put in for ODDS1, ODDS0
// and ODDS2, holds. Throws std::logic_error "Upcoming matches restriction error : ...".
[[nodiscard]] bool PassesRestriction(std::string_view restriction, const UpcomingResearchDomainRecord& record);

// The best odds of each outcome over the offers of the accepted bookmakers,
// with every accepted bookmaker offering them. An empty odds text skips its offer.
void TakeBestOdds(const std::vector<BookOffer>& offers, const std::vector<std::string>& bookmakers,
                  UpcomingResearchDomainRecord& record);

}  // namespace karvola
