#include "DataBaseCreationCommands.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>

#include "config/TimeZones.h"
#include "wizard/BettingExchanges.h"
#include "wizard/DataBaseCreation.h"
#include "wizard/DataSourceToDataBase.h"
#include "wizard/FootballDataImport.h"

namespace karvola::cli {

namespace {

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const char* begin = text.data();
    if (!text.empty() && text.front() == '+') ++begin;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

DataBaseCreationCommands::DataBaseCreationCommands(TerminalSink& sink, FileSystem& files, const Clock& clock,
                                                   Hooks hooks)
    : m_sink(sink), m_files(files), m_clock(clock), m_hooks(std::move(hooks)) {}

void DataBaseCreationCommands::convert(std::string_view arguments) {
    const std::vector<std::string> words = SplitArguments(arguments);
    if (words.size() < 4) {
        m_hooks.diagnostic(":convert needs SOURCE BASE TZ and the bookmakers (or all)");
        return;
    }
    const auto hours = WholeNumber(words[2]);
    if (!hours || !TimeZones::indexOf(*hours)) {
        m_hooks.diagnostic(":convert: the time zone is whole hours from -11 to 12, not '" + words[2] + "'");
        return;
    }
    DataBaseCreationRequest request{
        m_hooks.absolutePath(words[0]), m_hooks.absolutePath(words[1]), {}, TimeZoneOffsetOfBias(*hours)};
    const auto descriptor = ReadDataSourceDescriptor(m_files, request.sourceFileName);
    if (words.size() == 4 && words[3] == "all") {
        if (!descriptor) {
            m_hooks.messageBox("Fatal Error", "This data source file has no descriptor file .desc");
            return;
        }
        // The exchanges only by name: their prices are not a bookmaker's offer.
        std::vector<std::string> exchanges;
        request.bookmakers = WithoutBettingExchanges(*descriptor, exchanges);
        for (const std::string& exchange : exchanges) {
            m_sink.appendLine(exchange + " is a betting exchange, left out of all: name it to convert its prices.");
        }
    } else {
        request.bookmakers.assign(words.begin() + 3, words.end());
        for (const auto& name : request.bookmakers) {
            if (descriptor && std::find(descriptor->begin(), descriptor->end(), name) == descriptor->end()) {
                m_hooks.diagnostic(":convert: " + name + " is not in the data source's descriptor");
            }
        }
    }

    std::string caption;
    const auto draw = [this, &caption](int position) {
        if (!m_hooks.progress) return;
        char percent[24];
        std::snprintf(percent, sizeof percent, "[convert %3d%%] ", position);
        m_hooks.progress(percent + caption);
    };
    int position = 0;
    const DataBaseCreationReports reports{[&](int at, const std::string&) { draw(position = at); },
                                          [&](const std::string& text) {
                                              caption = text;
                                              draw(position);
                                          }};
    m_stopRequested = false;
    const DataBaseCreationResult result = RunConversion(request, m_stopRequested, reports, m_sink, m_files, m_clock);
    if (m_hooks.progressEnded) m_hooks.progressEnded();
    if (result.outcome != DataBaseCreationResult::Outcome::Failed) return;
    m_hooks.messageBox("Fatal Error ", result.error);
    // The box's text stands for a missing and an empty file alike; an empty one
    // (an import that wrote nothing, a file cut short) is worth telling apart.
    // Only then is the file read again: a large source failing otherwise is not.
    if (result.error != DataSourceToDataBase::kUnableToLoadSource) return;
    if (const auto content = m_files.readFile(request.sourceFileName); content && content->empty()) {
        m_sink.appendLine("Data source '" + request.sourceFileName + "' is empty: import matches into it first.");
    }
}

void DataBaseCreationCommands::import(std::string_view arguments) {
    std::vector<std::string> words = SplitArguments(arguments);
    FootballDataImportOptions options;
    // The switches come first, in either order.
    while (!words.empty() && words[0].starts_with('-')) {
        if (words[0] == "--fixtures") {
            options.keepFixtures = true;
            words.erase(words.begin());
            continue;
        }
        if (words[0] != "-z") {
            m_hooks.diagnostic(":import: unknown switch '" + words[0] + "': -z HOURS and --fixtures are known");
            return;
        }
        const auto hours = words.size() >= 2 ? WholeNumber(words[1]) : std::nullopt;
        if (!hours || *hours < -12 || *hours > 14) {
            m_hooks.diagnostic(":import: -z takes whole hours from -12 to 14, not '" +
                               (words.size() >= 2 ? words[1] : std::string()) + "'");
            return;
        }
        options.zone = TimeZone::FixedHours(*hours);
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.size() < 2) {
        m_hooks.diagnostic(":import needs the data source to write and at least one CSV file or folder");
        return;
    }
    std::vector<std::filesystem::path> inputs;
    for (auto word = words.begin() + 1; word != words.end(); ++word) inputs.emplace_back(m_hooks.absolutePath(*word));
    const std::string source = m_hooks.absolutePath(words[0]);
    try {
        const FootballDataImportReport report = ImportFootballData(m_files, inputs, source, options);
        for (const auto& line : FootballDataImportLines(report, source)) m_sink.appendLine(line);
    } catch (const std::exception& error) {
        m_sink.appendLine(std::string("Error : ") + error.what());
    }
}

}  // namespace karvola::cli
