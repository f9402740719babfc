#include "config/ApplicationDirectory.h"

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

std::filesystem::path ResolveApplicationDirectory(const ApplicationDirectoryInputs& inputs) {
    if (inputs.home) return std::filesystem::absolute(*inputs.home).lexically_normal();
    if (!inputs.executableDirectory.empty() && HasApplicationLayout(inputs.executableDirectory)) {
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
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) inputs.executableDirectory = executable.parent_path();
    inputs.xdgDataHome = EnvironmentValue("XDG_DATA_HOME");
    inputs.userHome = EnvironmentValue("HOME");
    return inputs;
}

void EnsureApplicationLayout(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
    for (const auto subfolder : kSubfolders) std::filesystem::create_directories(directory / subfolder);
}

}  // namespace karvola
