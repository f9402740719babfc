#include "config/FirstStart.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <system_error>

#include "common/Version.h"
#include "config/ApplicationDirectory.h"
#include "config/MatchConfig.h"

namespace karvola {

namespace {

constexpr std::array<std::string_view, 3> kSeededFolders = {"DataBase", "DataSource", "Documents"};
constexpr std::string_view kSampleBase = "sample.txt";

// The regular files of a share folder, in name order so that the lines about
// them come in a stable order; none when the folder is missing.
std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code kindError;
        if (entry->is_regular_file(kindError)) found.push_back(entry->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A relative base is read from the application directory, as the window reads it.
bool NamesABaseThatExists(const MatchConfig& config, const std::filesystem::path& applicationDirectory,
                          FileSystem& files) {
    const std::filesystem::path base = config.GetDefaultBase();
    if (base.empty()) return false;
    return files.exists(base.is_absolute() ? base : applicationDirectory / base);
}

}  // namespace

std::optional<std::filesystem::path> FindInstalledShare(const std::filesystem::path& executableDirectory) {
    if (executableDirectory.empty()) return std::nullopt;
    const auto share = (executableDirectory / ".." / "share" / "karvola").lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_directory(share, error)) return std::nullopt;
    return share;
}

std::vector<std::string> SeedFirstStart(const std::filesystem::path& applicationDirectory,
                                        const std::filesystem::path& share, FileSystem& files, const Clock& clock) {
    std::vector<std::string> problems;
    const auto configuration = applicationDirectory / MatchConfig::kFileName;
    const bool configured = files.exists(configuration);
    // Read before anything is written: the constructor takes the file's settings, or their defaults.
    MatchConfig config(applicationDirectory, files, clock);
    if (configured && NamesABaseThatExists(config, applicationDirectory, files)) return problems;

    for (const auto folder : kSeededFolders) {
        for (const auto& source : FilesIn(share / folder)) {
            const auto target = applicationDirectory / folder / source.filename();
            if (files.exists(target)) continue;
            const auto content = files.readFile(source);
            if (!content || !WriteFileAtomically(files, target, *content)) {
                problems.push_back("Warning: could not copy " + source.string() + " to " + target.string() + ".");
            }
        }
    }

    const auto sampleBase = applicationDirectory / "DataBase" / kSampleBase;
    const bool named = files.exists(sampleBase);
    if (named) config.SetDefaultBase(sampleBase.string());
    // A first start leaves its configuration even without a sample to name.
    if ((named || !configured) && !config.SaveConfiguration()) {
        problems.push_back("Warning: could not write " + configuration.string() + ".");
    }
    return problems;
}

std::vector<std::string> SeedFirstStart(const std::filesystem::path& applicationDirectory, FileSystem& files,
                                        const Clock& clock) {
    const auto share = FindInstalledShare(ExecutableDirectory());
    if (!share) return {};
    return SeedFirstStart(applicationDirectory, *share, files, clock);
}

std::optional<std::filesystem::path> FindSampleBase(const std::filesystem::path& executableDirectory) {
    std::error_code error;
    if (const auto share = FindInstalledShare(executableDirectory)) {
        const auto base = *share / "DataBase" / kSampleBase;
        if (std::filesystem::is_regular_file(base, error)) return base;
    }
    const auto project = std::filesystem::path(kProjectDataDirectory) / kSampleBase;
    if (std::filesystem::is_regular_file(project, error)) return project;
    return std::nullopt;
}

}  // namespace karvola
