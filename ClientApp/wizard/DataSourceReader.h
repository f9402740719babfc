#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// One bookmaker's offer for one match, as the data source writes it.
struct bukm_element_t {
    std::string name;
    std::string odds1;
    std::string odds0;
    std::string odds2;
};

// One match of the data source.
struct data_source_record_t {
    std::string timestamp;
    std::string category;  // "country, competition", as the data bases name it
    std::string team1;
    std::string team2;
    std::string result;  // "1", "0" or "2"; "0" for a match not played ("*" goals)
    bool played = true;  // false for "*" goals: the match has no score yet
    std::vector<bukm_element_t> offers;
};

// Reads a data source text record by record. Lines end with CR LF; a record is
// its start time (Unix seconds), the home and the away team, the competition,
// the country, the home and the away goals ("*" for a match not played), then
// per bookmaker its name and its 1, X and 2 odds, then "####".
class DataSourceReader final {
public:
    // The text stays the caller's and must outlive the reader.
    explicit DataSourceReader(std::string_view text) : m_text(text) {}

    // The next record into record(); false when no record starts. Throws
    // std::logic_error for a record cut short, a line that must be a number, or
    // a line holding a line feed of its own.
    bool ReadRecord();

    [[nodiscard]] const data_source_record_t& record() const { return m_record; }
    // The record's start time, checked to fit 32-bit Unix time.
    [[nodiscard]] std::int64_t startTime() const { return m_startTime; }
    // Where the last record starts in the text, and how far the text is read.
    [[nodiscard]] std::size_t recordStart() const { return m_recordStart; }
    [[nodiscard]] std::size_t position() const { return m_position; }

private:
    bool readLine();
    void readRequiredLine(const char* message);

    std::string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_lineNumber = 0;
    std::size_t m_recordStart = 0;
    std::string_view m_line;
    bukm_element_t m_offer;
    data_source_record_t m_record;
    std::int64_t m_startTime = 0;
};

}  // namespace karvola
