#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "options/CommonOptions.h"
#include "options/EarlyExit.h"

namespace karvola::cli {

struct CliOptions {
    options::CommonOptions common;                // --home DIR, --db FILE
    bool quiet = false;                           // -q, --quiet
    bool stopOnError = false;                     // --stop-on-error
    std::vector<std::string> lines;               // -e LINE, repeatable, in order
    std::optional<std::filesystem::path> script;  // run after the -e lines; "-" is standard input
    std::string key;                              // --key KEY: the upcoming matches' identity key
};

// karvola-cli's options, or its answer when it should not start: the help, the
// version or why the options are wrong.
std::variant<CliOptions, options::EarlyExit> ParseCliOptions(const std::vector<std::string>& arguments);

}  // namespace karvola::cli
