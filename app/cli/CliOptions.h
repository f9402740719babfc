#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace karvola::cli {

struct CliOptions {
    std::optional<std::filesystem::path> home;  // --home DIR
    bool quiet = false;                         // -q, --quiet
    bool help = false;                          // --help
    bool version = false;                       // --version
    std::optional<std::filesystem::path> dataBase;  // --db FILE: loaded at start instead of the default base
    std::vector<std::string> lines;             // -e LINE, repeatable, in order
    std::optional<std::filesystem::path> script;
};

struct CliOptionsResult {
    CliOptions options;
    std::string error;  // non-empty: the options are wrong, the text says why
};

CliOptionsResult ParseCliOptions(const std::vector<std::string>& arguments);

std::string CliUsage();

}  // namespace karvola::cli
