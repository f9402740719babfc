#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"

namespace karvola {

// An installed program ships what a new user starts with in share/karvola beside
// its bin folder, laid out as an application directory: DataBase/ (the sample
// base), DataSource/ (the sample data source under the name the wizard looks for
// first) and Documents/ (the user guide).
std::optional<std::filesystem::path> FindInstalledShare(const std::filesystem::path& executableDirectory);

// The first start in an application directory, and every start whose
// configuration names no base that exists (one written by a program that had
// no share to seed from, or whose base is gone): every file of the share's
// DataBase, DataSource and Documents folders that the directory lacks is copied
// in, and the configuration, its other settings kept, names DataBase/sample.txt
// as the default base when it is there. A file that is there already is never
// touched, nor is anything while the configuration names a base that exists.
// Gives a line for each file that could not be written; the program goes on
// without it.
std::vector<std::string> SeedFirstStart(const std::filesystem::path& applicationDirectory,
                                        const std::filesystem::path& share, FileSystem& files, const Clock& clock);

// The same from the share of the running program's installation; nothing for a
// program that has none (one run from its build folder).
std::vector<std::string> SeedFirstStart(const std::filesystem::path& applicationDirectory, FileSystem& files,
                                        const Clock& clock);

// Where a new user finds the sample base: the installation's share, else, for a
// program run from its build folder, the project's data folder; nothing when
// neither holds it.
std::optional<std::filesystem::path> FindSampleBase(const std::filesystem::path& executableDirectory);

}  // namespace karvola
