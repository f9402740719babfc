#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace karvola::testing {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1;
};

// Runs the real karvola-cli binary with the arguments, standard input from the
// text, extra environment variables ("NAME=value") on top of the test's own.
CliRun RunCli(const std::vector<std::string>& arguments, const std::string& input,
              const std::filesystem::path& workFolder, const std::vector<std::string>& environment = {});

std::vector<std::string> Lines(const std::string& text);

}  // namespace karvola::testing
