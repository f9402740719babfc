#include "database/ResearchDomainBuilder.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "common/NumberTexts.h"
#include "config/DateTimeManager.h"
#include "expressions/OddsCondition.h"

namespace karvola {

namespace {

// ---------------------------------------------------------------------------
// Masks

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool maskCharMatches(char maskChar, char textChar) {
    switch (maskChar) {
        case '?':
            return true;
        case '#':
            return isAsciiLetter(textChar);
        case '@':
            return isAsciiDigit(textChar);
        default:
            return maskChar == textChar;
    }
}

// Whether the text at position `at` begins with a part matching `piece` character by
// character. A '*' in the piece (only ever the mask's trailing one) ends it with success.
// `matched` receives the number of text characters consumed.
bool matchesAt(std::string_view piece, std::string_view text, std::size_t at, std::size_t& matched) {
    std::size_t i = 0;
    for (; i < piece.size(); ++i) {
        if (piece[i] == '*') break;
        if (at + i >= text.size() || !maskCharMatches(piece[i], text[at + i])) return false;
    }
    matched = i;
    return true;
}

bool matchesAt(std::string_view piece, std::string_view text, std::size_t at) {
    std::size_t matched = 0;
    return matchesAt(piece, text, at, matched);
}

// Pieces are matched leftmost, one after the other, and a piece once placed is never
// moved: "x*b" does not match "xbb" because "b" is taken at position 1.
bool matchPieces(std::string_view mask, std::string_view text) {
    std::size_t p = 0;
    std::size_t pieceStart = 0;
    while (pieceStart < mask.size()) {
        // A piece runs to the next '*' that is neither the mask's first nor its last character.
        std::size_t pieceEnd = pieceStart + 1;
        while (pieceEnd < mask.size() && !(mask[pieceEnd] == '*' && pieceEnd + 1 < mask.size())) ++pieceEnd;
        const std::string_view piece = mask.substr(pieceStart, pieceEnd - pieceStart);
        pieceStart = pieceEnd;

        std::size_t matched = 0;
        if (piece.front() != '*') {
            if (!matchesAt(piece, text, p, matched)) return false;
            p += matched;
            continue;
        }
        const std::string_view rest = piece.substr(1);
        bool found = false;
        for (std::size_t q = p; q <= text.size(); ++q) {
            if (matchesAt(rest, text, q, matched)) {
                p = q + matched;
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return p == text.size() || mask.back() == '*';
}

// Runs of '*' in the text become one '*'. Returns the text itself when it has none.
std::string_view collapseStars(std::string_view text, std::string& storage) {
    if (text.find("**") == std::string_view::npos) return text;
    storage.clear();
    for (char c : text) {
        if (c == '*' && !storage.empty() && storage.back() == '*') continue;
        storage.push_back(c);
    }
    return storage;
}

// ---------------------------------------------------------------------------
// Restrictions

// ---------------------------------------------------------------------------
// Dates

constexpr std::string_view kNotFound = "Error : Can't find any record for selected date : ";

std::uint32_t unsignedUnixTime(const DateTimeManager& date) {
    return static_cast<std::uint32_t>(date.ToUnixTime());
}

void writeFoundRecord(TerminalSink& sink, std::string_view heading, const basic_record_t& record) {
    sink.appendLine(heading);
    sink.appendLine(" date: " + record.date);
    sink.appendLine(" category: " + record.category);
    sink.appendLine(" teams: " + record.teams);
}

}  // namespace

bool MaskMatch(std::string_view mask, std::string_view textGiven) {
    std::string storage;
    const std::string_view text = collapseStars(textGiven, storage);

    if (mask.empty()) return text.empty();
    if (text.empty()) return mask == "*";

    const auto stars = std::count(mask.begin(), mask.end(), '*');
    const bool leadingStar = mask.front() == '*';
    const bool trailingStar = mask.back() == '*';

    if (stars == 0) return matchesAt(mask, text, 0);
    if (stars == 1 && leadingStar) {
        const std::string_view rest = mask.substr(1);
        return text.size() >= rest.size() && matchesAt(rest, text, text.size() - rest.size());
    }
    if (stars == 1 && trailingStar) return matchesAt(mask.substr(0, mask.size() - 1), text, 0);
    if (stars == 2 && leadingStar && trailingStar) {
        const std::string_view middle = mask.substr(1, mask.size() - 2);
        if (middle.size() > text.size()) return false;
        for (std::size_t q = 0; q + middle.size() <= text.size(); ++q) {
            if (matchesAt(middle, text, q)) return true;
        }
        return false;
    }
    return matchPieces(mask, text);
}

basic_record_t MakeBasicRecord(const data_base_record_t& record) {
    basic_record_t basic;
    basic.odds1 = NarrowToFloat(ReadStrtodDouble(record.odds1));
    basic.odds0 = NarrowToFloat(ReadStrtodDouble(record.odds0));
    basic.odds2 = NarrowToFloat(ReadStrtodDouble(record.odds2));
    basic.date = record.date;
    basic.teams.reserve(record.team1.size() + 3 + record.team2.size());
    basic.teams.append(record.team1).append(" - ").append(record.team2);
    basic.category = record.category;
    basic.result = record.result;
    return basic;
}

ResearchDomain BuildResearchDomain(const std::vector<data_base_record_t>& records,
                                   const std::vector<std::string>& categories) {
    const std::unordered_set<std::string_view> chosen(categories.begin(), categories.end());
    ResearchDomain domain;
    for (const data_base_record_t& record : records) {
        if (chosen.contains(record.category)) domain.push_back(MakeBasicRecord(record));
    }
    return domain;
}

MaskedResearchDomain BuildResearchDomainByMasks(const std::vector<data_base_record_t>& records,
                                                std::span<const std::string> masks, const StopRequest& stop) {
    MaskedResearchDomain result;
    // Views into `records`, which outlive this call; sorted into the answer at the end.
    std::unordered_set<std::string_view> matched;
    for (const data_base_record_t& record : records) {
        stop.throwIfRequested();
        if (record.result == '?') continue;
        const auto matches = std::count_if(masks.begin(), masks.end(), [&record](const std::string& mask) {
            return MaskMatch(mask, record.category);
        });
        if (matches == 0) continue;
        // A record enters once per matching mask.
        basic_record_t basic = MakeBasicRecord(record);
        for (std::ptrdiff_t i = 1; i < matches; ++i) result.domain.push_back(basic);
        result.domain.push_back(std::move(basic));
        matched.insert(record.category);
    }
    result.categories.assign(matched.begin(), matched.end());
    // std::string compares its characters as unsigned bytes.
    std::sort(result.categories.begin(), result.categories.end());
    return result;
}

// The restriction is read once; each match only puts its odds, in the general
// form, where the names stand in the text as typed.
ResearchDomain RestrictResearchDomain(const ResearchDomain& domain, std::string_view restriction,
                                      const StopRequest& stop) {
    const OddsCondition condition(restriction, OddsCondition::Names::BeforeBlankRemoval);
    ResearchDomain kept;
    for (const basic_record_t& record : domain) {
        stop.throwIfRequested();
        double value = 0.0;
        if (condition.mentionsOdds()) {
            const std::string odds1 = FormatGeneral(static_cast<double>(record.odds1), '.');
            const std::string odds0 = FormatGeneral(static_cast<double>(record.odds0), '.');
            const std::string odds2 = FormatGeneral(static_cast<double>(record.odds2), '.');
            value = condition.evaluate({odds1, odds0, odds2});
        } else {
            value = condition.evaluate({});
        }
        if (value != 0.0) kept.push_back(record);
    }
    return kept;
}

CompartmentRange FindDateRange(const ResearchDomain& domain, std::string_view firstDate, std::string_view secondDate,
                               TerminalSink& sink) {
    DateTimeManager first;
    DateTimeManager second;
    first.SetFromText(firstDate);
    second.SetFromText(secondDate);
    // Unix times are unsigned 32-bit counts wherever dates are compared.
    const std::uint32_t from = unsignedUnixTime(first);
    const std::uint32_t to = unsignedUnixTime(second);
    if (to < from) {
        throw std::logic_error(std::string(firstDate) + " is after " + std::string(secondDate));
    }

    // Both searches stop at their first hit: the domain is taken to be in date order.
    DateTimeManager scratch;
    const auto size = static_cast<int>(domain.size());
    CompartmentRange range;
    for (int position = 1; position <= size && range.lo == 0; ++position) {
        const basic_record_t& record = domain[static_cast<std::size_t>(position - 1)];
        scratch.SetFromText(record.date);
        if (unsignedUnixTime(scratch) >= from) {
            range.lo = position;
            writeFoundRecord(sink, "First found record of given range:", record);
        }
    }
    if (range.lo == 0) throw std::logic_error(std::string(kNotFound) + std::string(firstDate));

    for (int position = size; position >= 1 && range.hi == 0; --position) {
        const basic_record_t& record = domain[static_cast<std::size_t>(position - 1)];
        scratch.SetFromText(record.date);
        if (unsignedUnixTime(scratch) <= to) {
            range.hi = position;
            writeFoundRecord(sink, "Last found record of given range:", record);
        }
    }
    if (range.hi == 0) throw std::logic_error(std::string(kNotFound) + std::string(secondDate));
    return range;
}

}  // namespace karvola
