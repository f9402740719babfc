#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace karvola {

// The folder that holds the configuration file and the folders DataBase,
// DataSource, WorkSpace and Documents; every relative path starts there.
struct ApplicationDirectoryInputs {
    std::optional<std::filesystem::path> home;  // chosen by the user (--home)
    std::filesystem::path executableDirectory;
    std::string xdgDataHome;  // $XDG_DATA_HOME, may be empty
    std::string userHome;     // $HOME, may be empty
};

// The chosen folder; else the executable's folder when it has the layout (an
// installed or unpacked program); else $XDG_DATA_HOME/karvola (~/.local/share/karvola).
std::filesystem::path ResolveApplicationDirectory(const ApplicationDirectoryInputs& inputs);

// Reads the environment and the executable's location for ResolveApplicationDirectory.
ApplicationDirectoryInputs ApplicationDirectoryInputsFromEnvironment(std::optional<std::filesystem::path> home);

bool HasApplicationLayout(const std::filesystem::path& directory);

// Creates the folder and its four subfolders where missing. Throws
// std::filesystem::filesystem_error when that is impossible.
void EnsureApplicationLayout(const std::filesystem::path& directory);

}  // namespace karvola
