#include "upcoming/UpcomingMatchDBMS.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

#include "common/NumberTexts.h"
#include "expressions/LogicExpression.h"

namespace karvola {

namespace {

constexpr std::string_view kIncorrectBuffer = "Incorrect XML buffer";
constexpr std::string_view kProtocolVersion = "100";

// An element's opening and closing tags.
struct Tag {
    explicit Tag(std::string_view name) : open("<" + std::string(name) + ">"), close("</" + std::string(name) + ">") {}
    std::string open;
    std::string close;
};

struct DocumentTags {
    Tag version{"VERSION"};
    Tag sportEvent{"SPORT_EVENT"};
    Tag timestamp{"TIMESTAMP"};
    Tag category{"CATEGORY"};
    Tag teams{"TEAMS"};
    Tag sportsbook{"SPORTSBOOK"};
    Tag name{"SB_NAME"};
    Tag odds1{"ODDS1"};
    Tag odds0{"ODDS0"};
    Tag odds2{"ODDS2"};
};

const DocumentTags& Tags() {
    static const DocumentTags tags;
    return tags;
}

// The value of the element whose opening tag comes first from `position`;
// `position` moves past its closing tag. Throws when either tag is missing.
std::string_view ReadElement(std::string_view text, std::size_t& position, const Tag& tag) {
    const auto open = text.find(tag.open, position);
    if (open == std::string_view::npos) throw std::logic_error(std::string(kIncorrectBuffer));
    const auto valueStart = open + tag.open.size();
    const auto close = text.find(tag.close, valueStart);
    if (close == std::string_view::npos) throw std::logic_error(std::string(kIncorrectBuffer));
    position = close + tag.close.size();
    return text.substr(valueStart, close - valueStart);
}

void ReadOffers(std::string_view sportsbook, std::vector<BookOffer>& offers) {
    const DocumentTags& tags = Tags();
    std::size_t position = 0;
    while (sportsbook.find(tags.name.open, position) != std::string_view::npos) {
        // Appended first: after a fault the offer keeps the fields read before it.
        BookOffer& offer = offers.emplace_back();
        offer.m_name = ReadElement(sportsbook, position, tags.name);
        offer.m_odds1 = ReadElement(sportsbook, position, tags.odds1);
        offer.m_odds0 = ReadElement(sportsbook, position, tags.odds0);
        offer.m_odds2 = ReadElement(sportsbook, position, tags.odds2);
    }
}

void ReadEvent(std::string_view body, SportEvent& event) {
    const DocumentTags& tags = Tags();
    std::size_t position = 0;
    event.m_timestamp = ReadElement(body, position, tags.timestamp);
    event.m_category = ReadElement(body, position, tags.category);
    event.m_teams = ReadElement(body, position, tags.teams);
    ReadOffers(ReadElement(body, position, tags.sportsbook), event.m_offers);
}

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
    return text;
}

// The leading decimal digits after blanks; 0 without any. Counted modulo 2^32
// like the kick-off times they are compared with.
std::uint32_t LeadingUnsigned(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position])) != 0) ++position;
    std::uint32_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        value = value * 10U + static_cast<std::uint32_t>(text[position] - '0');
    }
    return value;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (auto found = text.find(from); found != std::string::npos; found = text.find(from, found + to.size())) {
        text.replace(found, from.size(), to);
    }
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void UpcomingMatchDBMS::ReadDocument(std::string_view document) {
    const DocumentTags& tags = Tags();
    m_events.clear();
    std::size_t position = 0;
    if (ReadElement(document, position, tags.version) != kProtocolVersion) {
        throw std::logic_error("Incorrect version of the protocol");
    }
    while (true) {
        const auto open = document.find(tags.sportEvent.open, position);
        if (open == std::string_view::npos) return;
        const auto bodyStart = open + tags.sportEvent.open.size();
        const auto close = document.find(tags.sportEvent.close, bodyStart);
        if (close == std::string_view::npos) throw std::logic_error(std::string(kIncorrectBuffer));
        ReadEvent(document.substr(bodyStart, close - bodyStart), m_events.emplace_back());
        position = close + tags.sportEvent.close.size();
    }
}

void UpcomingMatchDBMS::RebuildResearchDomain(const UpcomingDomainFilter& filter) {
    m_restrictions = UpcomingRestrictions(filter.restrictionMemo);
    std::vector<std::string> bookmakers;
    bookmakers.reserve(filter.bookmakers.size());
    for (const auto& name : filter.bookmakers) bookmakers.emplace_back(Trim(name));
    m_timeZoneBias = filter.timeZoneBias;

    m_researchDomain.clear();
    const std::uint32_t limit = filter.localNow + kStartMargin;
    const auto bias = static_cast<std::uint32_t>(static_cast<std::int64_t>(m_timeZoneBias) * 3600);
    for (const auto& event : m_events) {
        // Unsigned and modulo 2^32 on purpose: times after 2038 still compare in order.
        const std::uint32_t start = LeadingUnsigned(event.m_timestamp) + bias;
        if (!(limit < start)) continue;
        if (!Contains(filter.categories, event.m_category)) continue;

        UpcomingResearchDomainRecord record;
        record.m_startTime = static_cast<std::int32_t>(start);
        record.m_category = event.m_category;
        record.m_teams = event.m_teams;
        TakeBestOdds(event.m_offers, bookmakers, record);
        if (record.m_odds1.empty() || record.m_odds0.empty() || record.m_odds2.empty()) continue;

        const bool passes =
            std::all_of(m_restrictions.begin(), m_restrictions.end(),
                        [&record](const std::string& restriction) { return PassesRestriction(restriction, record); });
        if (passes) m_researchDomain.push_back(std::move(record));
    }
}

std::vector<std::string> UpcomingRestrictions(std::string_view memo) {
    constexpr std::string_view kWholeDomain = "100% domain";
    constexpr std::string_view kAnd = "AND";
    std::vector<std::string> restrictions;
    const auto whole = memo.find(kWholeDomain);
    if (whole == std::string_view::npos) return restrictions;
    std::string_view rest = memo.substr(whole + kWholeDomain.size());
    while (true) {
        const auto found = rest.find(kAnd);
        const std::string_view piece = Trim(rest.substr(0, found));
        if (!piece.empty()) restrictions.emplace_back(piece);
        if (found == std::string_view::npos) return restrictions;
        rest.remove_prefix(found + kAnd.size());
    }
}

bool PassesRestriction(std::string_view restriction, const UpcomingResearchDomainRecord& record) {
    std::string text(restriction);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    text.erase(0, text.find_first_not_of(' '));
    ReplaceAll(text, "ODDS1", record.m_odds1);
    ReplaceAll(text, "ODDS0", record.m_odds0);
    ReplaceAll(text, "ODDS2", record.m_odds2);
    try {
        return logic_expression_t(text).evaluate() != 0.0;
    } catch (const std::logic_error& error) {
        throw std::logic_error(std::string("Upcoming matches restriction error : ") + error.what());
    }
}

void TakeBestOdds(const std::vector<BookOffer>& offers, const std::vector<std::string>& bookmakers,
                  UpcomingResearchDomainRecord& record) {
    // An offer counts when a data base bookmaker makes it and it prices all three outcomes.
    const auto accepted = [&bookmakers](const BookOffer& offer) {
        return Contains(bookmakers, offer.m_name) && !offer.m_odds1.empty() && !offer.m_odds0.empty() &&
               !offer.m_odds2.empty();
    };
    const auto oddsOf = [](const BookOffer& offer) {
        return std::array<float, 3>{NarrowToFloat(ReadStrtodDouble(offer.m_odds1)),
                                    NarrowToFloat(ReadStrtodDouble(offer.m_odds0)),
                                    NarrowToFloat(ReadStrtodDouble(offer.m_odds2))};
    };
    const std::array<std::string*, 3> texts{&record.m_odds1, &record.m_odds0, &record.m_odds2};
    const std::array<std::vector<std::string>*, 3> names{&record.m_bookmakers1, &record.m_bookmakers0,
                                                         &record.m_bookmakers2};
    const std::array<const std::string BookOffer::*, 3> fields{&BookOffer::m_odds1, &BookOffer::m_odds0,
                                                               &BookOffer::m_odds2};

    std::array<float, 3> best{0.0f, 0.0f, 0.0f};
    for (const auto& offer : offers) {
        if (!accepted(offer)) continue;
        const auto odds = oddsOf(offer);
        for (std::size_t outcome = 0; outcome < 3; ++outcome) {
            // Strictly greater: on a tie the first offer's text stays.
            if (odds[outcome] > best[outcome]) {
                best[outcome] = odds[outcome];
                *texts[outcome] = offer.*fields[outcome];
            }
        }
    }
    for (const auto& offer : offers) {
        if (!accepted(offer)) continue;
        const auto odds = oddsOf(offer);
        for (std::size_t outcome = 0; outcome < 3; ++outcome) {
            if (best[outcome] > 0.0f && odds[outcome] == best[outcome]) names[outcome]->push_back(offer.m_name);
        }
    }
}

}  // namespace karvola
