#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "wizard/DataSourceReader.h"

namespace karvola {

// Turns a data source file into a data base file: for 1, X and 2 the highest odds
// of the selected bookmakers, the start time as a date of the chosen time zone,
// the result from the score; duplicate matches and matches without odds are
// dropped. Runs on a worker thread: progress and status go to the callbacks from
// that thread, and the stop flag is polled once per record. One Convert per object.
class DataSourceToDataBase final {
public:
    using ProgressBar = std::function<void(int position, const std::string& hint)>;
    using StatusLabel = std::function<void(const std::string& caption)>;

    // The only mode that converts; any other makes Convert a no-op returning false.
    static constexpr int kConvertMode = 1;
    // Why a data source that is missing, unreadable or empty makes no data base.
    static constexpr const char* kUnableToLoadSource = "Unable to load data source file";
    // Why a data source in which no match has odds of the selected bookmakers
    // makes no data base.
    static constexpr const char* kNoMatchWithOdds = "No match of the data source has odds of the selected bookmakers";
    // Why a data source of matches not played yet (a fixture list) makes no data base.
    static constexpr const char* kNoMatchWithScore =
        "No match of the data source has a score: a fixture list is for the upcoming matches";

    DataSourceToDataBase(FileSystem& files, const Clock& clock);

    void SetSelectedBookmakers(std::vector<std::string> names) { m_selectedBookmakers = std::move(names); }
    // Read once per record and cleared when it stops the work; must outlive Convert.
    void SetStopFlag(std::atomic<bool>& flag) { m_stopRequested = &flag; }
    void SetBaseFileName(std::string path) { m_baseFileName = std::move(path); }
    void SetSourceFileName(std::string path) { m_sourceFileName = std::move(path); }
    void SetMode(int mode) { m_mode = mode; }
    // Position 0 to 100 and its hint ("37%"), told only when the position moves.
    void SetProgressBar(ProgressBar bar) { m_progressBar = std::move(bar); }
    void SetStatusLabel(StatusLabel label) { m_statusLabel = std::move(label); }
    // Seconds added to every start time (the zone's hours times 3600).
    void SetTimeZoneOffset(int seconds) { m_timeZoneOffset = seconds; }
    // Called once the whole base is written and flushed, just before it takes its
    // name: the place for what must be on the disk before the base is replaced.
    // What it throws ends the conversion as Convert's own errors do, with the old
    // base in place.
    void SetBeforeCommit(std::function<void()> step) { m_beforeCommit = std::move(step); }

    // True when the whole source has been converted and the base written; false
    // when stopped. Throws std::logic_error with the text for the user on a
    // malformed source or a base that cannot be written. Until it returns true
    // nothing is written under the base's name.
    bool Convert();
    // The matches without a score ("*" goals) the last conversion left out: they
    // would count as draws in every backtest.
    [[nodiscard]] std::size_t unscoredLeftOut() const { return m_unscoredLeftOut; }

private:
    void writeRecord(const DataSourceReader& source, std::string_view odds1, std::string_view odds0,
                     std::string_view odds2);
    void flushOutput(bool force);
    void showProgress(std::size_t position, std::size_t length);
    void showEstimate(std::size_t position, std::size_t length, std::time_t start);
    [[nodiscard]] bool isSelected(const std::string& name) const;
    [[nodiscard]] bool keyAt(std::size_t recordStart, std::string_view key) const;
    bool isNewKey(const DataSourceReader& source);
    void finish();

    // A written match: its key's hash and where its record starts in m_content,
    // from which the key is read again to compare (no copy of every key is kept).
    static constexpr std::size_t kFreeSlot = static_cast<std::size_t>(-1);
    struct KeySlot {
        std::uint64_t hash = 0;
        std::size_t recordStart = kFreeSlot;
    };

    FileSystem& m_files;
    const Clock& m_clock;

    std::string m_sourceFileName;
    std::string m_baseFileName;
    std::vector<std::string> m_selectedBookmakers;
    int m_mode = 0;
    std::string m_content;
    ProgressBar m_progressBar;
    StatusLabel m_statusLabel;
    std::function<void()> m_beforeCommit;
    std::atomic<bool>* m_stopRequested = nullptr;  // not owned
    int m_timeZoneOffset = 0;

    // The keys written so far, the base being written and the output not yet written.
    std::vector<KeySlot> m_keys;
    std::size_t m_keyCount = 0;
    std::size_t m_unscoredLeftOut = 0;
    std::string m_key;
    std::unique_ptr<ReplacementFile> m_base;
    std::string m_output;
    int m_shownPosition = -1;
};

// The value Convert compares for an odds text: EvaluateNumericExpression's
// result narrowed to a 32-bit float; throws the evaluator's errors.
float EvaluateOdds(std::string_view text);

// The caption of the remaining-time estimate for a number of seconds:
// "Estimated time remaining: 2 minutes, 5 seconds.".
std::string FormatRemainingTime(int seconds);

}  // namespace karvola
