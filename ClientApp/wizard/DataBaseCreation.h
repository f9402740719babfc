#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "wizard/DataSourceToDataBase.h"

namespace karvola {

// One data base to create, as the wizard (or karvola-cli) has chosen it.
struct DataBaseCreationRequest {
    std::string sourceFileName;
    std::string baseFileName;
    std::vector<std::string> bookmakers;  // the selected names, in list order
    int timeZoneOffset = 0;               // seconds
};

// How a creation ended: Failed carries the text of the "Fatal Error " box.
struct DataBaseCreationResult {
    enum class Outcome { Created, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    std::string error;
};

// Where a running creation reports: progress and status from the worker
// thread; the terminal gets the final line.
struct DataBaseCreationReports {
    DataSourceToDataBase::ProgressBar progressBar;
    DataSourceToDataBase::StatusLabel statusLabel;
};

// The wizard's work: converts the source into the base and its descriptor (the
// base path with ".desc", the selected names one per line); both are on the disk
// before either takes its name. Created and Stopped append their line to the
// terminal and empty the status caption; Failed writes nothing and leaves any
// old base and descriptor as they were (short of a rename refused between the
// two renames, which leaves the new base and says the descriptor failed).
// The stop flag is cleared when it stops the work.
DataBaseCreationResult RunConversion(const DataBaseCreationRequest& request, std::atomic<bool>& stopRequested,
                                     const DataBaseCreationReports& reports, TerminalSink& terminal, FileSystem& files,
                                     const Clock& clock);

// The bookmaker names of a data source's descriptor (the source path with the
// extension replaced by ".desc"), one a line; nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadDataSourceDescriptor(FileSystem& files,
                                                                 const std::filesystem::path& sourceFile);

// The offset in seconds of an entry of the time-zone list (TimeZones); nothing
// for an index past the list.
std::optional<int> TimeZoneOffsetOfEntry(std::size_t index);
// The offset in seconds of a configured time-zone bias in hours.
int TimeZoneOffsetOfBias(int hours);

}  // namespace karvola
