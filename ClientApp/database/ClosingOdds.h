#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// Bookmakers' closing 1X2 odds (the prices at kick-off), kept in a file beside
// the data source, which has no place for them. Lines end with CR LF; texts are
// 8-bit Latin-1, kept byte for byte. The first line is "Karvola closing odds 1";
// then per match its kick-off (Unix seconds), home team, away team, per offer
// the bookmaker's code and its home, draw and away odds, then "####".
namespace karvola {

struct ClosingOffer {
    std::string bookmaker;
    // Decimal texts as the bookmaker's file gave them, so that nothing is rounded.
    std::string home;
    std::string draw;
    std::string away;

    friend bool operator==(const ClosingOffer&, const ClosingOffer&) = default;
};

// One match, named as the data source names it: kick-off, home and away team.
struct ClosingOddsRecord {
    std::int64_t kickOff = 0;
    std::string homeTeam;
    std::string awayTeam;
    std::vector<ClosingOffer> offers;

    friend bool operator==(const ClosingOddsRecord&, const ClosingOddsRecord&) = default;
};

// The file's text. A match without offers gets no block: the file answers "which
// closing odds has this match", and no block says "none" as well.
// Throws std::invalid_argument for a record the reader would refuse (a kick-off
// outside 0 to 2^32 - 1, an empty text or one with a line break, a bookmaker code
// that is "####" or a whole number, odds that are no decimal number above 0), so
// that whatever is written reads back.
std::string FormatClosingOdds(const std::vector<ClosingOddsRecord>& records);

struct ClosingOddsReading {
    // Every match of the file, in its order; none when the file is refused.
    std::vector<ClosingOddsRecord> records;
    // "line 7: ..." for the first fault found; empty when the text was read whole.
    std::string error;
    std::size_t errorLine = 0;

    [[nodiscard]] bool ok() const { return error.empty(); }
};

// Reads a file's text; LF alone ends lines as well as CR LF.
ClosingOddsReading ReadClosingOdds(std::string_view text);

// The offers of a match by its key, for joining closing odds to the data
// source's matches. A key found twice keeps its first block's offers, as the
// conversion keeps a repeated match's first record.
class ClosingOddsIndex final {
public:
    explicit ClosingOddsIndex(std::vector<ClosingOddsRecord> records);

    // The match's offers, or nullptr for a match without closing odds.
    [[nodiscard]] const std::vector<ClosingOffer>* find(std::int64_t kickOff, std::string_view homeTeam,
                                                        std::string_view awayTeam) const;
    [[nodiscard]] std::size_t size() const { return m_offers.size(); }

private:
    // Compared field by field: "100" "1A" "B" and "1001" "A" "B" stay two keys.
    using Key = std::tuple<std::int64_t, std::string, std::string>;
    std::map<Key, std::vector<ClosingOffer>> m_offers;
};

}  // namespace karvola
