#include "config/FirstStart.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <system_error>

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
    if (files.exists(configuration)) return problems;

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

    // Read before it is written: the constructor takes every other setting's default.
    MatchConfig config(applicationDirectory, files, clock);
    const auto sampleBase = applicationDirectory / "DataBase" / kSampleBase;
    if (files.exists(sampleBase)) config.SetDefaultBase(sampleBase.string());
    if (!config.SaveConfiguration()) problems.push_back("Warning: could not write " + configuration.string() + ".");
    return problems;
}

std::vector<std::string> SeedFirstStart(const std::filesystem::path& applicationDirectory, FileSystem& files,
                                        const Clock& clock) {
    const auto share = FindInstalledShare(ExecutableDirectory());
    if (!share) return {};
    return SeedFirstStart(applicationDirectory, *share, files, clock);
}

}  // namespace karvola
