#include "CliOptions.h"

#include <utility>

#include "options/CommandLine.h"

namespace karvola::cli {

std::variant<CliOptions, options::EarlyExit> ParseCliOptions(const std::vector<std::string>& arguments) {
    options::CommandLine commandLine("karvola-cli",
                                     "The Karvola terminal without its window: command lines are read from SCRIPT,\n"
                                     "from -e options, or from standard input, and the terminal's lines are written\n"
                                     "to standard output.");
    CliOptions options;
    CLI::App& app = commandLine.app();
    // One LINE per -e, so that "-e LINE SCRIPT" still names a script.
    app.add_option("-e", options.lines, "run LINE (repeatable, in order; then SCRIPT if given)")
        ->type_name("LINE")
        ->option_text("LINE")
        ->allow_extra_args(false);
    app.add_flag("-q,--quiet", options.quiet, "no start-up lines");
    app.add_option("SCRIPT", options.script, "a file of command lines")->type_name("");
    app.footer("Lines starting with ':' are the terminal's own commands; type :help for the list.");

    if (auto early = commandLine.parse(arguments)) return *std::move(early);
    options.common = commandLine.common();
    return options;
}

}  // namespace karvola::cli
