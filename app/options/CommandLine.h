#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "options/CommonOptions.h"
#include "options/EarlyExit.h"

namespace karvola::options {

// Refuses an empty path, which would quietly stand for the working folder.
const CLI::Validator& NonEmptyPath();

// One front end's command line: the options the front ends share, defined here
// once (-h/--help and --version for all; --home DIR and --db FILE for those that
// run the workstation), and the front end's own, added through app() before parse(). "--name VALUE" and "--name=VALUE"
// both work; "--" ends the options. The values bound to it are filled by
// parse(), which is called once.
class CommandLine final {
public:
    enum class Shared {
        WorkstationOptions,  // --home and --db besides the help and the version
        HelpAndVersion,
    };

    // program names the front end in the usage, the version line and error messages.
    CommandLine(std::string program, std::string description, Shared shared = Shared::WorkstationOptions);
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // For the front end's own options and positional arguments.
    [[nodiscard]] CLI::App& app() { return m_app; }

    // Reads the arguments that follow the program's name. Nothing when the
    // program should start; else its whole answer.
    [[nodiscard]] std::optional<EarlyExit> parse(std::vector<std::string> arguments);

    [[nodiscard]] const CommonOptions& common() const { return m_common; }
    [[nodiscard]] std::string usage() const;

private:
    std::string m_program;
    CommonOptions m_common;
    CLI::App m_app;
};

}  // namespace karvola::options
