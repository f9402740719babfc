#include "CliOptions.h"

namespace karvola::cli {

CliOptionsResult ParseCliOptions(const std::vector<std::string>& arguments) {
    CliOptionsResult result;
    CliOptions& options = result.options;
    const auto fail = [&result](std::string text) {
        result.error = std::move(text);
        return result;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (optionsEnded || argument.empty() || argument.front() != '-' || argument == "-") {
            if (options.script) return fail("only one script file can be given: " + argument);
            options.script = argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "-e" || argument == "--home" || argument == "--db") {
            if (!hasValue) return fail("option " + argument + " needs a value");
            const std::string& value = arguments[++i];
            if (argument == "-e") {
                options.lines.push_back(value);
            } else if (value.empty()) {
                return fail("option " + argument + " needs a path");
            } else if (argument == "--home") {
                options.home = value;
            } else {
                options.dataBase = value;
            }
        } else if (argument.rfind("--home=", 0) == 0) {
            if (argument.size() == 7) return fail("option --home needs a folder");
            options.home = argument.substr(7);
        } else {
            return fail("unknown option " + argument);
        }
    }
    return result;
}

std::string CliUsage() {
    return "Usage: karvola-cli [options] [SCRIPT]\n"
           "The Karvola terminal without its window: command lines are read from SCRIPT,\n"
           "from -e options, or from standard input, and the terminal's lines are written\n"
           "to standard output.\n"
           "\n"
           "Options:\n"
           "  -e LINE        run LINE (repeatable, in order; then SCRIPT if given)\n"
           "  --home DIR     the application directory (configuration and data folders)\n"
           "  --db FILE      load FILE at start instead of the default data base\n"
           "  -q, --quiet    no start-up lines\n"
           "  --help         show this text\n"
           "  --version      show the version\n"
           "\n"
           "Lines starting with ':' are the terminal's own commands; type :help for the list.\n";
}

}  // namespace karvola::cli
