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

std::uint64_t hashKey(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

}  // namespace

DataSourceToDataBase::DataSourceToDataBase(FileSystem& files, const Clock& clock) : m_files(files), m_clock(clock) {}

bool DataSourceToDataBase::isSelected(const std::string& name) const {
    return std::find(m_selectedBookmakers.begin(), m_selectedBookmakers.end(), name) != m_selectedBookmakers.end();
}

// Whether the record starting there has the key: its first three lines joined
// by the line end, which no line holds.
bool DataSourceToDataBase::keyAt(std::size_t recordStart, std::string_view key) const {
    std::size_t position = recordStart;
    for (int line = 0; line < 3; ++line) {
        if (line > 0) {
            if (!key.starts_with(kLineEnd)) return false;
            key.remove_prefix(kLineEnd.size());
        }
        const std::size_t end = m_content.find(kLineEnd, position);
        const std::string_view piece(m_content.data() + position, end - position);
        if (key.substr(0, piece.size()) != piece) return false;
        key.remove_prefix(piece.size());
        position = end + kLineEnd.size();
    }
    return key.empty();
}

bool DataSourceToDataBase::isNewKey(const DataSourceReader& source) {
    const data_source_record_t& record = source.record();
    // Joined without a separator, "100" "1A" "B" would be "1001" "A" "B", a
    // different match taken for a repeat.
    m_key.assign(record.timestamp);
    m_key.append(kLineEnd);
    m_key.append(record.team1);
    m_key.append(kLineEnd);
    m_key.append(record.team2);
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
    m_keys[i] = {hash, source.recordStart()};
    ++m_keyCount;
    return true;
}

void DataSourceToDataBase::showProgress(std::size_t position, std::size_t length) {
    if (!m_progressBar) return;
    const int percent = static_cast<int>(static_cast<double>(position) / static_cast<double>(length) * 100.0);
    // The window queues every call across threads; an unchanged position shows nothing new.
    if (percent == m_shownPosition) return;
    m_shownPosition = percent;
    m_progressBar(percent, std::to_string(percent) + "%");
}

// Whole seconds of the clock, not the local date and time: a change to or from
// summer time during the work would otherwise add or take an hour.
void DataSourceToDataBase::showEstimate(std::size_t position, std::size_t length, std::time_t start) {
    const std::time_t elapsed = m_clock.now() - start;
    if (elapsed <= 0 || !m_statusLabel) return;
    const float ratio = static_cast<float>(length) / static_cast<float>(position);
    const float remaining = (ratio - 1.0F) * static_cast<float>(elapsed);
    m_statusLabel(FormatRemainingTime(static_cast<int>(remaining)));
}

void DataSourceToDataBase::writeRecord(const DataSourceReader& source, std::string_view odds1, std::string_view odds0,
                                       std::string_view odds2) {
    const data_source_record_t& record = source.record();
    const std::int64_t dated = std::clamp<std::int64_t>(source.startTime() + m_timeZoneOffset, 0, kLatestStartTime);
    DateTimeManager date;
    date.SetFromUnixTime(static_cast<std::uint32_t>(dated));
    const std::string day = date.FormatDate();
    for (const std::string_view line : {std::string_view(day), std::string_view(record.category),
                                        std::string_view(record.team1), std::string_view(record.team2), odds1, odds0,
                                        odds2, std::string_view(record.result), std::string_view("0")}) {
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
        m_shownPosition = -1;
        if (m_statusLabel) m_statusLabel("Loading datasource file...");
        if (MatchDBMS::ReadWholeFile(m_files, m_sourceFileName, m_content) != 0) {
            throw std::logic_error(kUnableToLoadSource);
        }

        // The base goes to a temporary file that takes the base's name only once it
        // is complete: a stopped or failed conversion leaves whatever had that name.
        m_base = m_files.replaceFile(m_baseFileName);
        if (!m_base) throwBadBase("Unable to create data base file");
        m_output.reserve(kOutputChunk + 1024);

        const std::size_t length = m_content.size();
        std::size_t counter = 0;
        std::size_t scored = 0;
        m_unscoredLeftOut = 0;
        const std::time_t start = m_clock.now();
        DataSourceReader source(m_content);
        while (source.ReadRecord()) {
            showProgress(source.position(), length);
            if (m_stopRequested != nullptr && m_stopRequested->load()) {
                m_stopRequested->store(false);
                finish();
                return false;
            }
            if (++counter == kRecordsPerEstimate) {
                counter = 0;
                showEstimate(source.position(), length, start);
            }

            if (!source.record().played) {
                ++m_unscoredLeftOut;
                continue;
            }
            ++scored;

            float best1 = 0.0F;
            float best0 = 0.0F;
            float best2 = 0.0F;
            std::string_view text1;
            std::string_view text0;
            std::string_view text2;
            for (const bukm_element_t& offer : source.record().offers) {
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
            if (!isNewKey(source)) continue;
            writeRecord(source, text1, text0, text2);
        }

        // A base without matches could not be loaded: there is no success to report.
        if (m_keyCount == 0)
            throw std::logic_error(scored == 0 && m_unscoredLeftOut > 0 ? kNoMatchWithScore : kNoMatchWithOdds);
        flushOutput(true);
        if (!m_base->flush()) throwBadBase("Unable to write data base file");
        if (m_beforeCommit) m_beforeCommit();
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
