#include "options/CommonOptions.h"

#include "config/ApplicationDirectory.h"

namespace karvola::options {

std::filesystem::path CommonOptions::applicationDirectory() const {
    return ResolveApplicationDirectory(ApplicationDirectoryInputsFromEnvironment(home));
}

std::optional<std::string> CommonOptions::dataBaseFile() const {
    if (!dataBase) return std::nullopt;
    return std::filesystem::absolute(*dataBase).lexically_normal().string();
}

}  // namespace karvola::options
