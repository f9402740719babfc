#pragma once

#include <string>
#include <string_view>

#include "common/Base64.h"

// The upcoming-matches document and the service's reply as the tests write
// them, element by element, so that a test can also leave one out or cut one.
namespace karvola::testing {

inline const std::string kUpcomingVersion = "<VERSION>100</VERSION>";

inline std::string TaggedElement(std::string_view name, std::string_view value) {
    std::string element;
    element.reserve(2 * name.size() + value.size() + 5);
    element.append("<").append(name).append(">").append(value).append("</").append(name).append(">");
    return element;
}

// One bookmaker's offer: SB_NAME, ODDS1, ODDS0, ODDS2.
inline std::string OfferElements(std::string_view bookmaker, std::string_view odds1, std::string_view odds0,
                                 std::string_view odds2) {
    return TaggedElement("SB_NAME", bookmaker) + TaggedElement("ODDS1", odds1) + TaggedElement("ODDS0", odds0) +
           TaggedElement("ODDS2", odds2);
}

// One match; the offers as OfferElements wrote them, one after another.
inline std::string SportEventElement(std::string_view timestamp, std::string_view category, std::string_view teams,
                                     std::string_view offers) {
    return TaggedElement("SPORT_EVENT", TaggedElement("TIMESTAMP", timestamp) + TaggedElement("CATEGORY", category) +
                                            TaggedElement("TEAMS", teams) + TaggedElement("SPORTSBOOK", offers));
}

// The reply of the upcoming-matches exchange with the document as its payload.
inline std::string UpcomingReply(std::string_view document, std::string_view status = "OK") {
    return "[MESSAGE]" + std::string(status) + "[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA]" +
           EncodeBase64Url(document) + "[/DATA]";
}

}  // namespace karvola::testing
