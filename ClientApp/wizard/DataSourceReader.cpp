#include "wizard/DataSourceReader.h"

#include <charconv>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace karvola {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEndOfRecord = "####";
constexpr std::string_view kCategorySeparator = ", ";

// The start times DateTimeManager can turn into dates.
constexpr std::int64_t kLatestStartTime = std::numeric_limits<std::uint32_t>::max();

// A line that must hold a decimal integer: an optional sign, then digits only.
enum class WholeNumber { Valid, NotANumber, OutOfRange };

WholeNumber parseWholeNumber(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& value) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-')) return WholeNumber::NotANumber;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range) return WholeNumber::OutOfRange;
    if (error != std::errc{} || stop != end) return WholeNumber::NotANumber;
    return value < min || value > max ? WholeNumber::OutOfRange : WholeNumber::Valid;
}

// The whole-number lines are checked where they are read, with the line's
// number in the message: a bad one must end the conversion with a message the
// wizard shows, never with an error it does not expect.
std::int64_t requireWholeNumber(std::string_view text, std::size_t lineNumber, std::int64_t min, std::int64_t max) {
    std::int64_t value = 0;
    switch (parseWholeNumber(text, min, max, value)) {
        case WholeNumber::Valid:
            break;
        case WholeNumber::NotANumber:
            throw std::logic_error("Invalid data source file: line " + std::to_string(lineNumber) +
                                   " is not a whole number");
        case WholeNumber::OutOfRange:
            throw std::logic_error("Invalid data source file: line " + std::to_string(lineNumber) + " is out of range");
    }
    return value;
}

}  // namespace

bool DataSourceReader::readLine() {
    const std::size_t end = m_text.find(kLineEnd, m_position);
    if (end == std::string_view::npos) return false;
    m_line = m_text.substr(m_position, end - m_position);
    m_position = end + kLineEnd.size();
    ++m_lineNumber;
    // Every text of a record becomes a line of the data base, which ends its
    // lines at a line feed: a text holding one would corrupt the base.
    if (m_line.find('\n') != std::string_view::npos) {
        throw std::logic_error("Invalid data source file: line " + std::to_string(m_lineNumber) +
                               " holds a line feed without a carriage return");
    }
    return true;
}

void DataSourceReader::readRequiredLine(const char* message) {
    if (!readLine()) throw std::logic_error(message);
}

bool DataSourceReader::ReadRecord() {
    m_recordStart = m_position;
    if (!readLine()) return false;
    m_record.timestamp = m_line;
    const std::size_t timestampLine = m_lineNumber;

    readRequiredLine("Invalid data source file1");
    m_record.team1 = m_line;
    readRequiredLine("Invalid data source file2");
    m_record.team2 = m_line;
    readRequiredLine("Invalid data source file3");
    const std::string_view competition = m_line;
    readRequiredLine("Invalid data source file4");
    m_record.category.assign(m_line).append(kCategorySeparator).append(competition);

    readRequiredLine("Invalid data source file5");
    if (!m_line.empty() && m_line.front() == '*') {
        readRequiredLine("Invalid data source file6_1");
        m_record.result = "0";
        m_record.played = false;
    } else {
        m_record.played = true;
        constexpr std::int64_t kMinGoals = std::numeric_limits<int>::min();
        constexpr std::int64_t kMaxGoals = std::numeric_limits<int>::max();
        const std::int64_t home = requireWholeNumber(m_line, m_lineNumber, kMinGoals, kMaxGoals);
        readRequiredLine("Invalid data source file6");
        const std::int64_t away = requireWholeNumber(m_line, m_lineNumber, kMinGoals, kMaxGoals);
        m_record.result = home == away ? "0" : (home > away ? "1" : "2");
    }

    readRequiredLine("Invalid data source file7");
    m_record.offers.clear();
    while (m_line != kEndOfRecord) {
        m_offer.name = m_line;
        readRequiredLine("Invalid data source file8");
        m_offer.odds1 = m_line;
        readRequiredLine("Invalid data source file9");
        m_offer.odds0 = m_line;
        readRequiredLine("Invalid data source file10");
        m_offer.odds2 = m_line;
        m_record.offers.push_back(m_offer);
        readRequiredLine("Invalid data source file11");
    }

    // Checked once the record is whole, so that a record cut short still gets the
    // message of its missing line (an empty line after the last record starts one
    // that has no second line).
    m_startTime = requireWholeNumber(m_record.timestamp, timestampLine, 0, kLatestStartTime);
    return true;
}

}  // namespace karvola
