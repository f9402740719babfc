#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/DataSourceReader.h"

namespace karvola::service {

// One match still to be played, as the document carries it.
struct UpcomingEvent {
    std::int64_t kickOff = 0;  // Unix seconds, UTC
    std::string category;      // "Country, League", as the program's data bases name it
    std::string teams;         // "Home - Away"
    std::vector<bukm_element_t> offers;
};

// The program finds the document's values by searching for the next tag and
// knows no escapes, so a text with '<' or '>' in it would break the framing.
[[nodiscard]] bool FitsTheDocument(const UpcomingEvent& event);

// Moves every kick-off by one amount so that the earliest lies at `earliest`,
// keeping their spacing; returns the amount.
std::int64_t ShiftKickOffs(std::vector<UpcomingEvent>& events, std::int64_t earliest);

// The upcoming-matches document, written and encoded once when the content
// changes. The reply carries it in Base64, which encodes three bytes at a time:
// with the version and every match padded to whole groups of three bytes, the
// encoded document of the matches still to come is a tail of the encoded text,
// and a request costs no encoding at all.
class UpcomingMatches final {
public:
    // Sorts the events by kick-off, those of equal kick-off kept in their order.
    // Each must fit the document.
    explicit UpcomingMatches(std::vector<UpcomingEvent> events);

    // The version, then every match that kicks off after `now`, by kick-off:
    // "<VERSION>100</VERSION>", then per match
    // "<SPORT_EVENT><TIMESTAMP>..</TIMESTAMP><CATEGORY>..</CATEGORY><TEAMS>..</TEAMS><SPORTSBOOK>"
    // with "<SB_NAME>..</SB_NAME><ODDS1>..</ODDS1><ODDS0>..</ODDS0><ODDS2>..</ODDS2>"
    // per bookmaker and "</SPORTSBOOK></SPORT_EVENT>", with CR LF between the
    // elements for a reader's eye and up to two blanks ending a match (the
    // program ignores text between tags).
    [[nodiscard]] std::string document(std::int64_t now) const;
    // The same document in URL-safe Base64, in two parts to be sent one after
    // the other: the version's and the matches'. Valid while the object lives.
    [[nodiscard]] std::array<std::string_view, 2> encodedDocument(std::int64_t now) const;

    [[nodiscard]] std::size_t size() const { return m_starts.size(); }

private:
    struct Start {
        std::int64_t kickOff = 0;
        std::size_t offset = 0;  // in m_encoded
    };

    std::string m_encodedVersion;
    std::string m_encoded;
    std::vector<Start> m_starts;
};

// The upcoming matches as the content holds them, and the time that tells
// which of them have kicked off.
struct UpcomingNow {
    std::shared_ptr<const UpcomingMatches> matches;
    std::int64_t now = 0;

    [[nodiscard]] std::string document() const { return matches->document(now); }
};

}  // namespace karvola::service
