#include "CliOptions.h"

#include <utility>

#include "options/CommandLine.h"

namespace karvola::cli {

std::variant<CliOptions, options::EarlyExit> ParseCliOptions(const std::vector<std::string>& arguments) {
    options::CommandLine commandLine("karvola-cli",
                                     "The Karvola terminal without its window: command lines are read from the -e\n"
                                     "options, then from SCRIPT (- for standard input); with neither, from standard\n"
                                     "input. The terminal's lines are written to standard output.");
    CliOptions options;
    // One LINE per -e, so that "-e LINE SCRIPT" still names a script.
    commandLine.addRepeatedOption("-e", options.lines, "run LINE (repeatable, in order; then SCRIPT if given)", "LINE");
    commandLine.addFlag("-q,--quiet", options.quiet, "no start-up lines");
    commandLine.addFlag("--stop-on-error", options.stopOnError, "end the input at the first command that fails");
    commandLine.addOption("--key", options.key,
                          "the Unique Indentity Key for upcoming matches (kept in the configuration)", "KEY");
    commandLine.addArgument("SCRIPT", options.script, "a file of command lines; - reads standard input");
    commandLine.setFooter(
        "Lines starting with ':' are the terminal's own commands; type :help for the list.\n"
        "Lines starting with '#' are comments, but for lines typed at a terminal.\n"
        "Exit status: 1 when a command that was not typed at a terminal failed, the\n"
        "--db base could not be loaded or the output could not be written; 2 for wrong\n"
        "options; 128+N after signal N; else 0.");

    if (auto early = commandLine.parse(arguments)) return *std::move(early);
    options.common = commandLine.common();
    return options;
}

}  // namespace karvola::cli
