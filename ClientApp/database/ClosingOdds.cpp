#include "database/ClosingOdds.h"

#include <charconv>
#include <limits>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace karvola {

namespace {

constexpr std::string_view kHeader = "Karvola closing odds 1";
constexpr std::string_view kHeaderStem = "Karvola closing odds ";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kRecordEnd = "####";
// The data source's kick-offs: 32-bit Unix time.
constexpr std::int64_t kLastKickOff = std::numeric_limits<std::uint32_t>::max();
constexpr std::string_view kOutcomes[] = {"home", "draw", "away"};

std::string inQuotes(std::string_view text) {
    return std::string("\"").append(text).append("\"");
}

bool isWholeNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Decimal odds above zero: digits with at most one decimal point between digits,
// as the import takes them. No decimal comma, no sign, no exponent.
bool isOddsText(std::string_view text) {
    bool separator = false;
    bool nonZero = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !separator && i > 0 && i + 1 < text.size()) {
            separator = true;
        } else {
            return false;
        }
    }
    return nonZero;
}

// Why a text cannot stand on a line of its own; empty when it can. An empty
// line is refused too: it is what a cut or hand-edited file shows.
std::string textFault(std::string_view what, std::string_view text) {
    if (text.empty()) return std::string(what) + " is empty";
    if (text.find_first_of("\r\n") != std::string_view::npos) return std::string(what) + " holds a line break";
    return {};
}

std::string oddsFault(std::string_view bookmaker, std::string_view outcome, std::string_view text) {
    if (isOddsText(text)) return {};
    return std::string(bookmaker) + " " + std::string(outcome) + " odds " + inQuotes(text) +
           " are no decimal number above 0";
}

std::string kickOffRange() {
    return " is outside 0 to " + std::to_string(kLastKickOff);
}

// The faults of a record the reader would refuse, as the formatter reports them.
std::string recordFault(const ClosingOddsRecord& record) {
    if (record.kickOff < 0 || record.kickOff > kLastKickOff) {
        return "kick-off " + std::to_string(record.kickOff) + kickOffRange();
    }
    for (auto fault : {textFault("the home team", record.homeTeam), textFault("the away team", record.awayTeam)}) {
        if (!fault.empty()) return fault;
    }
    for (const ClosingOffer& offer : record.offers) {
        if (auto fault = textFault("the bookmaker code", offer.bookmaker); !fault.empty()) return fault;
        // A code line is told from the match's end and from the next kick-off.
        if (offer.bookmaker == kRecordEnd) return "bookmaker code \"####\" would end the match";
        if (isWholeNumber(offer.bookmaker)) {
            return "bookmaker code " + inQuotes(offer.bookmaker) + " would read as a kick-off";
        }
        const std::string* odds[] = {&offer.home, &offer.draw, &offer.away};
        for (std::size_t k = 0; k < 3; ++k) {
            if (auto fault = oddsFault(offer.bookmaker, kOutcomes[k], *odds[k]); !fault.empty()) return fault;
        }
    }
    return {};
}

void appendLine(std::string& out, std::string_view text) {
    out.append(text).append(kLineEnd);
}

// A refused line, thrown from the parser to ReadClosingOdds only.
struct Refusal {
    std::size_t line;
    std::string reason;
};

class Parser final {
public:
    explicit Parser(std::string_view text) : m_rest(text) {}

    std::vector<ClosingOddsRecord> run() {
        const auto header = next();
        if (header != kHeader) {
            m_line = 1;  // an empty file lacks its first line
            if (header && header->starts_with(kHeaderStem)) {
                refuse(inQuotes(header->substr(kHeaderStem.size())) + " is no closing odds version this program reads");
            }
            refuse("not closing odds: the first line must be " + inQuotes(kHeader));
        }
        std::vector<ClosingOddsRecord> records;
        while (const auto line = next()) records.push_back(readMatch(*line));
        return records;
    }

private:
    std::optional<std::string_view> next() {
        if (m_rest.empty()) return std::nullopt;
        ++m_line;
        const std::size_t end = m_rest.find('\n');
        std::string_view line = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        return line;
    }

    [[noreturn]] void refuse(std::string reason) const { throw Refusal{m_line, std::move(reason)}; }

    std::string_view required(std::string_view what) {
        const auto line = next();
        if (line) return *line;
        ++m_line;  // the missing line's number
        refuse("the file ends before " + std::string(what) + " of the match of line " + std::to_string(m_matchLine));
    }

    std::string text(std::string_view what) {
        const std::string_view line = required(what);
        if (auto fault = textFault(what, line); !fault.empty()) refuse(std::move(fault));
        return std::string(line);
    }

    ClosingOddsRecord readMatch(std::string_view kickOff) {
        m_matchLine = m_line;
        ClosingOddsRecord record;
        if (!isWholeNumber(kickOff)) refuse("kick-off " + inQuotes(kickOff) + " is not a whole number");
        const auto parsed = std::from_chars(kickOff.data(), kickOff.data() + kickOff.size(), record.kickOff);
        if (parsed.ec != std::errc() || record.kickOff > kLastKickOff) {
            refuse("kick-off " + inQuotes(kickOff) + kickOffRange());
        }
        record.homeTeam = text("the home team");
        record.awayTeam = text("the away team");
        for (;;) {
            const std::string_view code = required("the \"####\"");
            if (code == kRecordEnd) break;
            if (isWholeNumber(code)) refuse("no \"####\" ends the match of line " + std::to_string(m_matchLine));
            if (auto fault = textFault("the bookmaker code", code); !fault.empty()) refuse(std::move(fault));
            ClosingOffer& offer = record.offers.emplace_back();
            offer.bookmaker = code;
            std::string* odds[] = {&offer.home, &offer.draw, &offer.away};
            for (std::size_t k = 0; k < 3; ++k) {
                const std::string_view line =
                    required("the " + offer.bookmaker + " " + std::string(kOutcomes[k]) + " odds");
                if (auto fault = oddsFault(code, kOutcomes[k], line); !fault.empty()) refuse(std::move(fault));
                *odds[k] = line;
            }
        }
        if (record.offers.empty()) refuse("the match of line " + std::to_string(m_matchLine) + " has no offer");
        return record;
    }

    std::string_view m_rest;
    std::size_t m_line = 0;
    std::size_t m_matchLine = 0;
};

}  // namespace

std::string FormatClosingOdds(const std::vector<ClosingOddsRecord>& records) {
    std::string out;
    appendLine(out, kHeader);
    for (const ClosingOddsRecord& record : records) {
        if (record.offers.empty()) continue;
        if (const std::string fault = recordFault(record); !fault.empty()) {
            throw std::invalid_argument("Closing odds of " + inQuotes(record.homeTeam) + " v " +
                                        inQuotes(record.awayTeam) + ": " + fault);
        }
        appendLine(out, std::to_string(record.kickOff));
        appendLine(out, record.homeTeam);
        appendLine(out, record.awayTeam);
        for (const ClosingOffer& offer : record.offers) {
            for (const std::string* line : {&offer.bookmaker, &offer.home, &offer.draw, &offer.away}) {
                appendLine(out, *line);
            }
        }
        appendLine(out, kRecordEnd);
    }
    return out;
}

ClosingOddsReading ReadClosingOdds(std::string_view text) {
    ClosingOddsReading reading;
    try {
        reading.records = Parser(text).run();
    } catch (Refusal& refusal) {
        reading.errorLine = refusal.line;
        reading.error = "line " + std::to_string(refusal.line) + ": " + std::move(refusal.reason);
    }
    return reading;
}

ClosingOddsIndex::ClosingOddsIndex(std::vector<ClosingOddsRecord> records) {
    for (ClosingOddsRecord& record : records) {
        m_offers.try_emplace(Key{record.kickOff, std::move(record.homeTeam), std::move(record.awayTeam)},
                             std::move(record.offers));
    }
}

const std::vector<ClosingOffer>* ClosingOddsIndex::find(std::int64_t kickOff, std::string_view homeTeam,
                                                        std::string_view awayTeam) const {
    const auto found = m_offers.find(Key{kickOff, std::string(homeTeam), std::string(awayTeam)});
    return found == m_offers.end() ? nullptr : &found->second;
}

}  // namespace karvola
