#include "wizard/DataBaseCreation.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>

#include "config/TimeZones.h"
#include "database/MatchDBMS.h"

namespace karvola {

namespace {

constexpr int kSecondsPerHour = 3600;
constexpr const char* kNoDescriptor = "Unable to create data base descriptor file";

DataBaseCreationResult failed(std::string error) {
    return {DataBaseCreationResult::Outcome::Failed, std::move(error)};
}

std::string descriptorText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += name;
        text += "\r\n";
    }
    return text;
}

}  // namespace

DataBaseCreationResult RunConversion(const DataBaseCreationRequest& request, std::atomic<bool>& stopRequested,
                                     const DataBaseCreationReports& reports, TerminalSink& terminal, FileSystem& files,
                                     const Clock& clock) {
    DataSourceToDataBase converter(files, clock);
    converter.SetSelectedBookmakers(request.bookmakers);
    converter.SetStopFlag(stopRequested);
    converter.SetBaseFileName(request.baseFileName);
    converter.SetSourceFileName(request.sourceFileName);
    converter.SetMode(DataSourceToDataBase::kConvertMode);
    converter.SetProgressBar(reports.progressBar);
    converter.SetStatusLabel(reports.statusLabel);
    converter.SetTimeZoneOffset(request.timeZoneOffset);
    // The descriptor is on the disk before the base takes its name, so that one
    // that cannot be written (a full disk, a folder in its place) leaves the old
    // base and its old descriptor as they were, not a new base beside an old
    // descriptor naming other bookmakers. It takes its own name right after the base.
    std::unique_ptr<ReplacementFile> descriptor;
    converter.SetBeforeCommit([&] {
        descriptor = files.replaceFile(MatchDBMS::DescriptorPath(request.baseFileName));
        if (!descriptor || !descriptor->write(descriptorText(request.bookmakers)) || !descriptor->flush()) {
            throw std::logic_error(kNoDescriptor);
        }
    });

    bool converted = false;
    try {
        converted = converter.Convert();
    } catch (const std::logic_error& error) {
        return failed(error.what());
    } catch (const std::bad_alloc&) {
        // Nothing may escape the worker thread.
        return failed("Not enough memory to create the data base");
    }

    const auto line = [&terminal](std::string_view text) {
        terminal.appendLine(text);
        terminal.repaint();
    };
    if (!converted) {
        // Nothing to delete: the unfinished base never took its name.
        line("Database creation terminated.");
        if (reports.statusLabel) reports.statusLabel("");
        return {DataBaseCreationResult::Outcome::Stopped, {}};
    }
    // Both files are written by now: only a rename refused between the two (a
    // race with another program) gets here, and the new base stays, reported.
    if (!descriptor->commit()) return failed(kNoDescriptor);
    line("Database '" + request.baseFileName + "' has been successful created.");
    if (const std::size_t unscored = converter.unscoredLeftOut(); unscored > 0) {
        line(std::to_string(unscored) + " matches without a score were left out.");
    }
    if (reports.statusLabel) reports.statusLabel("");
    return {DataBaseCreationResult::Outcome::Created, {}};
}

std::optional<std::vector<std::string>> ReadDataSourceDescriptor(FileSystem& files,
                                                                 const std::filesystem::path& sourceFile) {
    const std::optional<std::string> text = files.readFile(MatchDBMS::DescriptorPath(sourceFile));
    if (!text) return std::nullopt;
    std::vector<std::string> names;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view name = rest.substr(0, end);
        if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
        if (!name.empty()) names.emplace_back(name);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return names;
}

std::optional<int> TimeZoneOffsetOfEntry(std::size_t index) {
    const std::optional<int> bias = TimeZones::biasOf(index);
    if (!bias) return std::nullopt;
    return TimeZoneOffsetOfBias(*bias);
}

int TimeZoneOffsetOfBias(int hours) {
    return hours * kSecondsPerHour;
}

}  // namespace karvola
