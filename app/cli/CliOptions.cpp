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
    // One LINE per -e, so that "-e LINE SCRIPT" still names a script.
    commandLine.addRepeatedOption("-e", options.lines, "run LINE (repeatable, in order; then SCRIPT if given)", "LINE");
    commandLine.addFlag("-q,--quiet", options.quiet, "no start-up lines");
    commandLine.addOption("--key", options.key,
                          "the Unique Indentity Key for upcoming matches (kept in the configuration)", "KEY");
    commandLine.addArgument("SCRIPT", options.script, "a file of command lines");
    commandLine.setFooter("Lines starting with ':' are the terminal's own commands; type :help for the list.");

    if (auto early = commandLine.parse(arguments)) return *std::move(early);
    options.common = commandLine.common();
    return options;
}

}  // namespace karvola::cli
