#include "options/CommandLine.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "common/Version.h"

namespace karvola::options {
namespace {

// The usage line comes first: after an error it follows the reason directly.
class UsageFirstFormatter final : public CLI::Formatter {
public:
    UsageFirstFormatter() {
        column_width(18);
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

}  // namespace

const CLI::Validator& NonEmptyPath() {
    // An empty path would quietly stand for the working folder.
    static const CLI::Validator validator(
        [](const std::string& path) {
            return path.empty() ? std::string("needs a path, not an empty text") : std::string();
        },
        "", "NonEmptyPath");
    return validator;
}

CommandLine::CommandLine(std::string program, std::string description, Shared shared)
    : m_program(std::move(program)), m_app(std::move(description), m_program) {
    m_app.formatter(std::make_shared<UsageFirstFormatter>());
    // A later value replaces an earlier one, so that what a wrapper script passes
    // can be overridden; repeatable options keep every value.
    m_app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    m_app.set_help_flag("-h,--help", "show this text");
    if (shared == Shared::WorkstationOptions) {
        m_app.add_option("--home", m_common.home, "the application directory (configuration and data folders)")
            ->type_name("DIR")
            ->check(NonEmptyPath());
        m_app.add_option("--db", m_common.dataBase, "load FILE at start instead of the default data base")
            ->type_name("FILE")
            ->check(NonEmptyPath());
        m_app
            .add_option("--service", m_common.service,
                        "the web service's HOST[:PORT] (default: $KARVOLA_SERVICE_HOST, else 127.0.0.1:8470)")
            ->type_name("HOST[:PORT]")
            ->check(CLI::Validator(
                [](const std::string& text) { return ServiceHost::findFault(text).value_or(std::string()); }, "",
                "ServiceHost"));
    }
    m_app.set_version_flag("--version", VersionLine(m_program), "show the version");
}

std::optional<EarlyExit> CommandLine::parse(std::vector<std::string> arguments) {
    // CLI11 takes the arguments from the back.
    std::reverse(arguments.begin(), arguments.end());
    try {
        m_app.parse(arguments);
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
    return m_app.help();
}

}  // namespace karvola::options
