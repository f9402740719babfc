#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace karvola {

// The folder that holds the configuration file and the folders DataBase,
// DataSource, WorkSpace and Documents; every relative path starts there.
struct ApplicationDirectoryInputs {
    std::optional<std::filesystem::path> home{};  // chosen by the user (--home)
    std::filesystem::path executableDirectory{};
    bool executableDirectoryWritable = false;  // see IsWritableDirectory
    std::string xdgDataHome{};                 // $XDG_DATA_HOME, may be empty
    std::string userHome{};                    // $HOME, may be empty
};

// The chosen folder; else the executable's folder when it has the layout and the
// user can write there (a portable unpacked copy); else $XDG_DATA_HOME/karvola
// (~/.local/share/karvola), so that an installed program never writes beside its
// read-only binary.
std::filesystem::path ResolveApplicationDirectory(const ApplicationDirectoryInputs& inputs);

// Reads the environment and the executable's location for ResolveApplicationDirectory.
ApplicationDirectoryInputs ApplicationDirectoryInputsFromEnvironment(std::optional<std::filesystem::path> home);

bool HasApplicationLayout(const std::filesystem::path& directory);

// Whether the user may create and replace files in the folder and in those of its
// four subfolders that exist: false on a read-only mount even for root.
bool IsWritableDirectory(const std::filesystem::path& directory);

// The folder of the running program's file; empty when the system does not say.
std::filesystem::path ExecutableDirectory();

// Creates the folder and its four subfolders where missing. Throws
// std::filesystem::filesystem_error when that is impossible.
void EnsureApplicationLayout(const std::filesystem::path& directory);

}  // namespace karvola
