#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "KarvolaService.h"
#include "options/EarlyExit.h"

namespace karvola::service {

struct ServiceOptions {
    std::optional<std::filesystem::path> content;  // --content DIR; else the sample content
    ListenAddress listen;                          // --listen ADDR:PORT
    std::optional<std::filesystem::path> log;      // --log FILE; else standard output
    bool shiftToNow = false;                       // --shift-to-now
};

// karvola-service's options, or its answer when it should not start.
std::variant<ServiceOptions, options::EarlyExit> ParseServiceOptions(const std::vector<std::string>& arguments);

// The sample content shipped with the service, found from the program's own file:
// share/karvola/service beside the bin folder of an installation, or in the build
// folder, two levels above the program.
std::optional<std::filesystem::path> FindSampleContent(const std::filesystem::path& program);

}  // namespace karvola::service
