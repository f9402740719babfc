#include "UpcomingMatches.h"

#include <algorithm>
#include <charconv>

#include "common/Base64.h"

namespace karvola::service {
namespace {

constexpr std::string_view kVersion = "<VERSION>100</VERSION>\r\n";
// Base64 turns three bytes into four characters: texts of whole groups encode
// apart and join as the encoding of the joined texts.
constexpr std::size_t kGroup = 3;
constexpr std::size_t kEncodedGroup = 4;
static_assert(kVersion.size() % kGroup == 0);

bool Fits(std::string_view text) {
    return text.find_first_of("<>") == std::string_view::npos;
}

void AppendElement(std::string& out, std::string_view name, std::string_view value) {
    out.append("<").append(name).append(">").append(value).append("</").append(name).append(">");
}

// The tags and line ends Render writes around the texts of an event and of an offer.
constexpr std::size_t kEventFrame = 150;  // a timestamp of up to 20 digits, blanks to a whole group
constexpr std::size_t kOfferFrame = 66;

std::size_t RenderedSize(const UpcomingEvent& event) {
    std::size_t size = kEventFrame + event.category.size() + event.teams.size();
    for (const bukm_element_t& offer : event.offers) {
        size += kOfferFrame + offer.name.size() + offer.odds1.size() + offer.odds0.size() + offer.odds2.size();
    }
    return size;
}

void Render(std::string& out, const UpcomingEvent& event) {
    char timestamp[24];
    const auto written = std::to_chars(timestamp, timestamp + sizeof timestamp, event.kickOff);
    out.append("<SPORT_EVENT>\r\n");
    AppendElement(out, "TIMESTAMP", std::string_view(timestamp, static_cast<std::size_t>(written.ptr - timestamp)));
    out.append("\r\n");
    AppendElement(out, "CATEGORY", event.category);
    out.append("\r\n");
    AppendElement(out, "TEAMS", event.teams);
    out.append("\r\n<SPORTSBOOK>\r\n");
    for (const bukm_element_t& offer : event.offers) {
        AppendElement(out, "SB_NAME", offer.name);
        AppendElement(out, "ODDS1", offer.odds1);
        AppendElement(out, "ODDS0", offer.odds0);
        AppendElement(out, "ODDS2", offer.odds2);
        out.append("\r\n");
    }
    out.append("</SPORTSBOOK>\r\n</SPORT_EVENT>");
}

}  // namespace

bool FitsTheDocument(const UpcomingEvent& event) {
    return Fits(event.category) && Fits(event.teams) &&
           std::all_of(event.offers.begin(), event.offers.end(), [](const bukm_element_t& offer) {
               return Fits(offer.name) && Fits(offer.odds1) && Fits(offer.odds0) && Fits(offer.odds2);
           });
}

std::int64_t ShiftKickOffs(std::vector<UpcomingEvent>& events, std::int64_t earliest) {
    if (events.empty()) return 0;
    const auto first = std::min_element(events.begin(), events.end(), [](const auto& a, const auto& b) {
                           return a.kickOff < b.kickOff;
                       })->kickOff;
    const std::int64_t shift = earliest - first;
    for (UpcomingEvent& event : events) event.kickOff += shift;
    return shift;
}

UpcomingMatches::UpcomingMatches(std::vector<UpcomingEvent> events) : m_encodedVersion(EncodeBase64Url(kVersion)) {
    std::stable_sort(events.begin(), events.end(),
                     [](const UpcomingEvent& a, const UpcomingEvent& b) { return a.kickOff < b.kickOff; });
    m_starts.reserve(events.size());
    std::size_t size = 0;
    for (const UpcomingEvent& event : events) size += RenderedSize(event);
    // One allocation for the megabytes of a large content, instead of a copy at every doubling.
    std::string text;
    text.reserve(size);
    for (const UpcomingEvent& event : events) {
        m_starts.push_back({event.kickOff, text.size() / kGroup * kEncodedGroup});
        Render(text, event);
        text.append((kGroup - (text.size() + 2) % kGroup) % kGroup, ' ');
        text.append("\r\n");
    }
    m_encoded = EncodeBase64Url(text);
}

std::array<std::string_view, 2> UpcomingMatches::encodedDocument(std::int64_t now) const {
    // The matches are in kick-off order: those still to come are the text's tail.
    const auto first = std::upper_bound(m_starts.begin(), m_starts.end(), now,
                                        [](std::int64_t time, const Start& start) { return time < start.kickOff; });
    const std::size_t offset = first == m_starts.end() ? m_encoded.size() : first->offset;
    return {m_encodedVersion, std::string_view(m_encoded).substr(offset)};
}

std::string UpcomingMatches::document(std::int64_t now) const {
    return std::string(kVersion) + DecodeBase64Url(encodedDocument(now)[1]);
}

}  // namespace karvola::service
