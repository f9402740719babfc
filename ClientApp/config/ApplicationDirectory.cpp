#include "config/ApplicationDirectory.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace karvola {

namespace {

constexpr std::array<std::string_view, 4> kSubfolders = {"DataBase", "DataSource", "WorkSpace", "Documents"};
constexpr std::string_view kConfigurationFile = "karvola_config.xml";

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

bool HasApplicationLayout(const std::filesystem::path& directory) {
    std::error_code error;
    if (std::filesystem::is_regular_file(directory / kConfigurationFile, error)) return true;
    for (const auto subfolder : kSubfolders) {
        if (!std::filesystem::is_directory(directory / subfolder, error)) return false;
    }
    return true;
}

bool IsWritableDirectory(const std::filesystem::path& directory) {
    // Saves write a temporary file beside their target and rename it: the folder
    // itself must take new entries.
    const auto writable = [](const std::filesystem::path& folder) {
        std::error_code error;
        return std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK | X_OK) == 0;
    };
    if (!writable(directory)) return false;
    for (const auto subfolder : kSubfolders) {
        std::error_code error;
        const auto folder = directory / subfolder;
        if (std::filesystem::exists(folder, error) && !writable(folder)) return false;
    }
    return true;
}

std::filesystem::path ExecutableDirectory() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path ResolveApplicationDirectory(const ApplicationDirectoryInputs& inputs) {
    if (inputs.home) return std::filesystem::absolute(*inputs.home).lexically_normal();
    if (!inputs.executableDirectory.empty() && inputs.executableDirectoryWritable &&
        HasApplicationLayout(inputs.executableDirectory)) {
        return inputs.executableDirectory;
    }
    std::filesystem::path dataHome = inputs.xdgDataHome;
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (dataHome.empty() || dataHome.is_relative()) {
        dataHome = inputs.userHome.empty() ? std::filesystem::temp_directory_path()
                                           : std::filesystem::path(inputs.userHome) / ".local" / "share";
    }
    return dataHome / "karvola";
}

ApplicationDirectoryInputs ApplicationDirectoryInputsFromEnvironment(std::optional<std::filesystem::path> home) {
    ApplicationDirectoryInputs inputs;
    inputs.home = std::move(home);
    inputs.executableDirectory = ExecutableDirectory();
    inputs.executableDirectoryWritable =
        !inputs.executableDirectory.empty() && IsWritableDirectory(inputs.executableDirectory);
    inputs.xdgDataHome = EnvironmentValue("XDG_DATA_HOME");
    inputs.userHome = EnvironmentValue("HOME");
    return inputs;
}

void EnsureApplicationLayout(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
    for (const auto subfolder : kSubfolders) std::filesystem::create_directories(directory / subfolder);
}

}  // namespace karvola
