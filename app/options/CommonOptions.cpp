#include "options/CommonOptions.h"

#include <cstdlib>

#include "config/ApplicationDirectory.h"

namespace karvola::options {

std::filesystem::path CommonOptions::applicationDirectory() const {
    return ResolveApplicationDirectory(ApplicationDirectoryInputsFromEnvironment(home));
}

std::optional<std::string> CommonOptions::dataBaseFile() const {
    if (!dataBase) return std::nullopt;
    return std::filesystem::absolute(*dataBase).lexically_normal().string();
}

ServiceHostChoice CommonOptions::serviceHost() const {
    // The option was checked when it was read, so only the environment may be wrong here.
    return ChooseServiceHost(service, std::getenv("KARVOLA_SERVICE_HOST"));
}

}  // namespace karvola::options
