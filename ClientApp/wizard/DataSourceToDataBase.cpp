#include "wizard/DataSourceToDataBase.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "config/DateTimeManager.h"
#include "database/MatchDBMS.h"
#include "expressions/NumericExpression.h"

namespace karvola {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEndOfRecord = "####";
constexpr std::size_t kRecordsPerEstimate = 100;
// The output goes to the file in pieces of about this size, so that the base is
// never held whole beside the source.
constexpr std::size_t kOutputChunk = 64 * 1024;
// The evaluator's longest number; longer plain texts take its own way (an error).
constexpr std::size_t kMaxPlainNumber = 99;

// The start times DateTimeManager can turn into dates.
constexpr std::int64_t kLatestStartTime = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void throwBadBase(const char* what) {
    throw std::logic_error(what);
}

float narrow(double value) {
    // Beyond the float range a cast has no defined value; such odds beat any other.
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// Digits with at most one "." or "," among them, as bookmakers' odds are written:
// the evaluator reads such a text with from_chars after turning "," into ".", so
// reading it here directly gives the same double, without the evaluator's copies.
bool readPlainDecimal(std::string_view text, double& value) {
    if (text.empty() || text.size() > kMaxPlainNumber) return false;
    char buffer[kMaxPlainNumber];
    bool point = false;
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            c = '.';
        } else {
            return false;
        }
        buffer[i] = c;
    }
    if (!digit) return false;
    const char* end = buffer + text.size();
    const auto [stop, error] = std::from_chars(buffer, end, value);
    return error == std::errc{} && stop == end;
}

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

// The whole-number lines are checked where they are read. In the program this
// was modelled on, a bad one escaped as an exception of another kind that the
// wizard never caught, leaving it hanging on its work page.
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

std::uint64_t hashKey(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

}  // namespace

DataSourceToDataBase::DataSourceToDataBase(FileSystem& files, const Clock& clock) : m_files(files), m_clock(clock) {}

bool DataSourceToDataBase::ReadLine() {
    const std::size_t end = m_content.find(kLineEnd, m_position);
    if (end == std::string::npos) return false;
    m_line.assign(m_content, m_position, end - m_position);
    m_position = end + kLineEnd.size();
    ++m_lineNumber;
    return true;
}

void DataSourceToDataBase::readRequiredLine(const char* message) {
    if (!ReadLine()) throw std::logic_error(message);
}

bool DataSourceToDataBase::ReadRecord() {
    m_recordStart = m_position;
    if (!ReadLine()) return false;
    m_record.timestamp = m_line;
    const std::size_t timestampLine = m_lineNumber;

    readRequiredLine("Invalid data source file1");
    m_record.team1 = m_line;
    readRequiredLine("Invalid data source file2");
    m_record.team2 = m_line;
    readRequiredLine("Invalid data source file3");
    m_record.category = m_line;  // the second part until the first one is read
    readRequiredLine("Invalid data source file4");
    m_record.category.insert(0, m_separator);
    m_record.category.insert(0, m_line);

    readRequiredLine("Invalid data source file5");
    if (!m_line.empty() && m_line.front() == '*') {
        readRequiredLine("Invalid data source file6_1");
        m_record.result = "0";
    } else {
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

bool DataSourceToDataBase::isSelected(const std::string& name) const {
    return std::find(m_selectedBookmakers.begin(), m_selectedBookmakers.end(), name) != m_selectedBookmakers.end();
}

// Whether the record starting there has the key: its first three lines joined.
bool DataSourceToDataBase::keyAt(std::size_t recordStart, std::string_view key) const {
    std::size_t position = recordStart;
    for (int line = 0; line < 3; ++line) {
        const std::size_t end = m_content.find(kLineEnd, position);
        const std::string_view piece(m_content.data() + position, end - position);
        if (key.substr(0, piece.size()) != piece) return false;
        key.remove_prefix(piece.size());
        position = end + kLineEnd.size();
    }
    return key.empty();
}

bool DataSourceToDataBase::isNewKey() {
    m_key.assign(m_record.timestamp);
    m_key.append(m_record.team1);
    m_key.append(m_record.team2);
    // Open addressing, at most three quarters full.
    if ((m_keyCount + 1) * 4 > m_keys.size() * 3) {
        std::vector<KeySlot> old(std::max<std::size_t>(1024, m_keys.size() * 2));
        old.swap(m_keys);
        for (const KeySlot& slot : old) {
            if (slot.recordStart == kFreeSlot) continue;
            std::size_t i = slot.hash & (m_keys.size() - 1);
            while (m_keys[i].recordStart != kFreeSlot) i = (i + 1) & (m_keys.size() - 1);
            m_keys[i] = slot;
        }
    }
    const std::uint64_t hash = hashKey(m_key);
    std::size_t i = hash & (m_keys.size() - 1);
    for (; m_keys[i].recordStart != kFreeSlot; i = (i + 1) & (m_keys.size() - 1)) {
        if (m_keys[i].hash == hash && keyAt(m_keys[i].recordStart, m_key)) return false;
    }
    m_keys[i] = {hash, m_recordStart};
    ++m_keyCount;
    return true;
}

void DataSourceToDataBase::showProgress(std::size_t length) {
    if (!m_progressBar) return;
    const int position = static_cast<int>(static_cast<double>(m_position) / static_cast<double>(length) * 100.0);
    // The window queues every call across threads; an unchanged position shows nothing new.
    if (position == m_shownPosition) return;
    m_shownPosition = position;
    m_progressBar(position, std::to_string(position) + "%");
}

// Whole seconds of the clock, not the local date and time: a change to or from
// summer time during the work would otherwise add or take an hour.
void DataSourceToDataBase::showEstimate(std::size_t length, std::time_t start) {
    const std::time_t elapsed = m_clock.now() - start;
    if (elapsed <= 0 || !m_statusLabel) return;
    const float ratio = static_cast<float>(length) / static_cast<float>(m_position);
    const float remaining = (ratio - 1.0F) * static_cast<float>(elapsed);
    m_statusLabel(FormatRemainingTime(static_cast<int>(remaining)));
}

void DataSourceToDataBase::writeRecord(std::string_view odds1, std::string_view odds0, std::string_view odds2) {
    const std::int64_t dated = std::clamp<std::int64_t>(m_startTime + m_timeZoneOffset, 0, kLatestStartTime);
    DateTimeManager date;
    date.SetFromUnixTime(static_cast<std::uint32_t>(dated));
    const std::string day = date.FormatDate();
    for (const std::string_view line : {std::string_view(day), std::string_view(m_record.category),
                                        std::string_view(m_record.team1), std::string_view(m_record.team2), odds1,
                                        odds0, odds2, std::string_view(m_record.result), std::string_view("0")}) {
        m_output.append(line);
        m_output.append(kLineEnd);
    }
    flushOutput(false);
}

void DataSourceToDataBase::flushOutput(bool force) {
    if (m_output.empty() || (!force && m_output.size() < kOutputChunk)) return;
    if (!m_base->write(m_output)) throwBadBase("Unable to write data base file");
    m_output.clear();
}

void DataSourceToDataBase::finish() {
    m_base.reset();  // without a commit the temporary file goes, the old base stays
    m_content.clear();
    m_content.shrink_to_fit();
    m_position = 0;
    m_output.clear();
    m_output.shrink_to_fit();
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_keyCount = 0;
}

bool DataSourceToDataBase::Convert() {
    if (m_mode != kConvertMode) return false;
    try {
        m_content.clear();
        m_position = 0;
        m_lineNumber = 0;
        m_shownPosition = -1;
        if (m_statusLabel) m_statusLabel("Loading datasource file...");
        if (MatchDBMS::ReadWholeFile(m_files, m_sourceFileName, m_content) != 0) {
            throw std::logic_error("Unable to load data source file");
        }

        // The base goes to a temporary file that takes the base's name only once it
        // is complete: a stopped or failed conversion leaves whatever had that name.
        m_base = m_files.replaceFile(m_baseFileName);
        if (!m_base) throwBadBase("Unable to create data base file");
        m_output.reserve(kOutputChunk + 1024);

        const std::size_t length = m_content.size();
        std::size_t counter = 0;
        const std::time_t start = m_clock.now();
        while (ReadRecord()) {
            showProgress(length);
            if (m_stopRequested != nullptr && m_stopRequested->load()) {
                m_stopRequested->store(false);
                finish();
                return false;
            }
            if (++counter == kRecordsPerEstimate) {
                counter = 0;
                showEstimate(length, start);
            }

            float best1 = 0.0F;
            float best0 = 0.0F;
            float best2 = 0.0F;
            std::string_view text1;
            std::string_view text0;
            std::string_view text2;
            for (const bukm_element_t& offer : m_record.offers) {
                if (!isSelected(offer.name)) continue;
                const float value1 = EvaluateOdds(offer.odds1);
                const float value0 = EvaluateOdds(offer.odds0);
                const float value2 = EvaluateOdds(offer.odds2);
                // Strictly greater: among equal odds the first offer keeps its text.
                if (value1 > best1) {
                    best1 = value1;
                    text1 = offer.odds1;
                }
                if (value0 > best0) {
                    best0 = value0;
                    text0 = offer.odds0;
                }
                if (value2 > best2) {
                    best2 = value2;
                    text2 = offer.odds2;
                }
            }
            if (!(best1 > 0.0F) || !(best0 > 0.0F) || !(best2 > 0.0F)) continue;
            if (!isNewKey()) continue;
            writeRecord(text1, text0, text2);
        }

        flushOutput(true);
        if (!m_base->commit()) throwBadBase("Unable to write data base file");
        finish();
        return true;
    } catch (...) {
        finish();
        throw;
    }
}

float EvaluateOdds(std::string_view text) {
    double value = 0.0;
    if (readPlainDecimal(text, value)) return narrow(value);
    return narrow(EvaluateNumericExpression(text));
}

std::string FormatRemainingTime(int seconds) {
    std::string text = "Estimated time remaining: ";
    if (seconds / 3600 != 0) text += std::to_string(seconds / 3600) + " hours, ";
    seconds %= 3600;
    if (seconds / 60 != 0) text += std::to_string(seconds / 60) + " minutes, ";
    text += std::to_string(seconds % 60) + " seconds.";
    return text;
}

}  // namespace karvola
