#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "options/CommonOptions.h"
#include "options/EarlyExit.h"

namespace karvola::options {

// One front end's command line: the options every front end shares, defined
// here once (--home DIR, --db FILE, -h/--help, --version), and the front end's
// own, added through app() before parse(). "--name VALUE" and "--name=VALUE"
// both work; "--" ends the options. The values bound to it are filled by
// parse(), which is called once.
class CommandLine final {
public:
    // program names the front end in the usage, the version line and error messages.
    CommandLine(std::string program, std::string description);
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
