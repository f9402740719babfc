#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "options/CommonOptions.h"
#include "options/EarlyExit.h"

namespace karvola::options {

// Looks at an option's value as written: why it is wrong, or "" when it will do.
using Check = std::function<std::string(const std::string& value)>;

// Refuses an empty path, which would quietly stand for the working folder.
std::string NonEmptyPath(const std::string& path);

// One front end's command line: the options the front ends share, defined here
// once (-h/--help and --version for all; --home DIR, --db FILE and --service for
// those that run the workstation), and the front end's own, added before parse().
// "--name VALUE" and "--name=VALUE" both work; "--" ends the options; given
// twice, an option keeps its later value. The values bound to it are filled by
// parse(), which is called once, and must outlive it.
class CommandLine final {
public:
    enum class Shared {
        WorkstationOptions,  // --home, --db and --service besides the help and the version
        HelpAndVersion,
    };

    // program names the front end in the usage, the version line and error messages.
    CommandLine(std::string program, std::string description, Shared shared = Shared::WorkstationOptions);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // names as in "-q,--quiet".
    void addFlag(const std::string& names, bool& value, const std::string& description);

    // An option with a value, shown as "names typeName" in the usage; a text's
    // value when added, unless empty, is shown there as its default.
    void addOption(const std::string& names, std::string& value, const std::string& description,
                   const std::string& typeName, Check check = {});
    void addOption(const std::string& names, std::optional<std::filesystem::path>& value,
                   const std::string& description, const std::string& typeName, Check check = {});

    // An option given once per value ("-e A -e B"), each taking exactly the next
    // argument; the values are kept in order.
    void addRepeatedOption(const std::string& name, std::vector<std::string>& values, const std::string& description,
                           const std::string& typeName);

    // What is left after the options: at most one argument, or any number.
    void addArgument(const std::string& name, std::optional<std::filesystem::path>& value,
                     const std::string& description);
    void addArguments(const std::string& name, std::vector<std::string>& values, const std::string& description);

    // A closing paragraph of the usage.
    void setFooter(const std::string& footer);

    // Reads the arguments that follow the program's name. Nothing when the
    // program should start; else its whole answer.
    [[nodiscard]] std::optional<EarlyExit> parse(std::vector<std::string> arguments);

    [[nodiscard]] const CommonOptions& common() const { return m_common; }
    [[nodiscard]] std::string usage() const;

private:
    struct Parser;  // the parsing library, kept out of every front end's compilation

    std::string m_program;
    CommonOptions m_common;
    std::unique_ptr<Parser> m_parser;
};

}  // namespace karvola::options
