#include "options/CommandLine.h"

// The one translation unit that sees CLI11: it costs seconds of compile time
// wherever it is included.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <utility>

#include "common/Version.h"

namespace karvola::options {
namespace {

// The usage line comes first: after an error it follows the reason directly.
class UsageFirstFormatter final : public CLI::Formatter {
public:
    UsageFirstFormatter() {
        column_width(20);
        label("OPTIONS", "options");
        label("Positionals", "Arguments");
    }

    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        const std::string footer = make_footer(app);
        return make_usage(app, std::move(name)) + make_description(app) + make_positionals(app) +
               make_groups(app, mode) + (footer.empty() ? "" : "\n" + footer);
    }
};

std::string VersionLine(const std::string& program) {
    return program + " " + std::string(kVersion) + " (" + std::string(kProductCaption) + ")";
}

CLI::Option* Checked(CLI::Option* option, Check check) {
    if (check) {
        // No description: the reason a value is refused is the check's own text.
        option->check(CLI::Validator([check = std::move(check)](std::string& value) { return check(value); }, ""));
    }
    return option;
}

}  // namespace

std::string NonEmptyPath(const std::string& path) {
    return path.empty() ? std::string("needs a path, not an empty text") : std::string();
}

struct CommandLine::Parser {
    Parser(std::string description, std::string program) : app(std::move(description), std::move(program)) {}

    CLI::App app;
};

CommandLine::CommandLine(std::string program, std::string description, Shared shared)
    : m_program(std::move(program)), m_parser(std::make_unique<Parser>(std::move(description), m_program)) {
    CLI::App& app = m_parser->app;
    app.formatter(std::make_shared<UsageFirstFormatter>());
    // A later value replaces an earlier one, so that what a wrapper script passes
    // can be overridden; repeatable options keep every value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_help_flag("-h,--help", "show this text");
    if (shared == Shared::WorkstationOptions) {
        addOption("--home", m_common.home, "the application directory (configuration and data folders)", "DIR",
                  NonEmptyPath);
        addOption("--db", m_common.dataBase, "load FILE at start instead of the default data base", "FILE",
                  NonEmptyPath);
        Checked(app.add_option("--service", m_common.service,
                               "the web service's HOST[:PORT] (default: $KARVOLA_SERVICE_HOST, else 127.0.0.1:8470)")
                    ->type_name("HOST[:PORT]"),
                [](const std::string& text) { return ServiceHost::findFault(text).value_or(std::string()); });
    }
    app.set_version_flag("--version", VersionLine(m_program), "show the version");
}

CommandLine::~CommandLine() = default;

void CommandLine::addFlag(const std::string& names, bool& value, const std::string& description) {
    m_parser->app.add_flag(names, value, description);
}

void CommandLine::addOption(const std::string& names, std::string& value, const std::string& description,
                            const std::string& typeName, Check check) {
    CLI::Option* option = m_parser->app.add_option(names, value, description)->type_name(typeName);
    if (!value.empty()) option->capture_default_str();
    Checked(option, std::move(check));
}

void CommandLine::addOption(const std::string& names, std::optional<std::filesystem::path>& value,
                            const std::string& description, const std::string& typeName, Check check) {
    Checked(m_parser->app.add_option(names, value, description)->type_name(typeName), std::move(check));
}

void CommandLine::addRepeatedOption(const std::string& name, std::vector<std::string>& values,
                                    const std::string& description, const std::string& typeName) {
    // Each occurrence takes one value, so the usage shows "-e LINE", not "-e LINE ...".
    m_parser->app.add_option(name, values, description)
        ->type_name(typeName)
        ->option_text(typeName)
        ->allow_extra_args(false);
}

void CommandLine::addArgument(const std::string& name, std::optional<std::filesystem::path>& value,
                              const std::string& description) {
    m_parser->app.add_option(name, value, description)->type_name("");
}

void CommandLine::addArguments(const std::string& name, std::vector<std::string>& values,
                               const std::string& description) {
    m_parser->app.add_option(name, values, description)->type_name("");
}

void CommandLine::setFooter(const std::string& footer) {
    m_parser->app.footer(footer);
}

std::optional<EarlyExit> CommandLine::parse(std::vector<std::string> arguments) {
    // CLI11 takes the arguments from the back.
    std::reverse(arguments.begin(), arguments.end());
    try {
        m_parser->app.parse(arguments);
    } catch (const CLI::CallForHelp&) {
        return EarlyExit{0, usage()};
    } catch (const CLI::CallForVersion& version) {
        return EarlyExit{0, std::string(version.what()) + "\n"};
    } catch (const CLI::ParseError& error) {
        return EarlyExit{kWrongOptions, m_program + ": " + error.what() + "\n" + usage()};
    }
    return std::nullopt;
}

std::string CommandLine::usage() const {
    return m_parser->app.help();
}

}  // namespace karvola::options
