#include "wizard/DataBaseCreation.h"

#include <new>
#include <stdexcept>
#include <string_view>

#include "config/TimeZones.h"
#include "database/MatchDBMS.h"

namespace karvola {

namespace {

constexpr int kSecondsPerHour = 3600;

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
    // The base is complete by now; a descriptor that cannot be written is still
    // reported, since the base would be loaded without its bookmakers.
    if (!WriteFileAtomically(files, MatchDBMS::DescriptorPath(request.baseFileName),
                             descriptorText(request.bookmakers))) {
        return failed("Unable to create data base descriptor file");
    }
    line("Database '" + request.baseFileName + "' has been successful created.");
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
