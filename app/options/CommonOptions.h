#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "web/ServiceHost.h"

namespace karvola::options {

// The options every front end takes: where the program keeps its files and
// which data base it opens.
struct CommonOptions {
    std::optional<std::filesystem::path> home;      // --home DIR
    std::optional<std::filesystem::path> dataBase;  // --db FILE: loaded at start instead of the default base
    std::optional<std::string> service;             // --service HOST[:PORT]

    // --home, else the directory the program finds for itself (see ResolveApplicationDirectory).
    [[nodiscard]] std::filesystem::path applicationDirectory() const;

    // --db as an absolute path: the user wrote it from the working folder, while
    // the program reads relative paths from the application directory.
    [[nodiscard]] std::optional<std::string> dataBaseFile() const;

    // --service, else KARVOLA_SERVICE_HOST, else the local service.
    [[nodiscard]] ServiceHostChoice serviceHost() const;
};

}  // namespace karvola::options
