#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "CliOptions.h"
#include "ServiceOptions.h"
#include "options/WindowCommandLine.h"
#include "support/FileContent.h"

namespace karvola {
namespace {

// Each option's names mapped to its value's name ("" for a flag): "--home" -> "DIR".
using OptionNames = std::map<std::string, std::string>;

// Adds the names of one option heading such as "-q,--quiet" or "--home DIR".
void AddHeading(const std::string& heading, OptionNames& options) {
    std::vector<std::string> names;
    std::string value;
    std::istringstream words(std::regex_replace(heading, std::regex(","), " "));
    for (std::string word; words >> word;) {
        if (word.front() == '-') {
            names.push_back(word);
        } else {
            value = word;
        }
    }
    for (const auto& name : names) options[name] = value;
}

// The options of the "Options:" block of a usage text: the lines that start with
// a dash, up to the two blanks before the description.
OptionNames HelpOptions(const std::string& usage) {
    OptionNames options;
    std::istringstream lines(usage);
    bool inOptions = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "Options:") {
            inOptions = true;
        } else if (line.empty()) {
            inOptions = false;
        } else if (inOptions && line.starts_with("  -")) {
            AddHeading(line.substr(2, line.find("  ", 2) - 2), options);
        }
    }
    return options;
}

// The options of the OPTIONS section of a manual page: the heading line after
// each .TP, with its macro, quotes and font changes taken off and "\-" read as
// a dash.
OptionNames ManOptions(const std::string& page) {
    OptionNames options;
    std::istringstream lines(page);
    bool inOptions = false;
    bool heading = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS";
        } else if (inOptions && line == ".TP") {
            heading = true;
        } else if (heading) {
            heading = false;
            std::string text = std::regex_replace(line, std::regex(R"(^\.[A-Z]+ |\\f[BIRP]|")"), "");
            AddHeading(std::regex_replace(text, std::regex(R"(\\-)"), "-"), options);
        }
    }
    return options;
}

// The page and the usage name the same options with the same values, none left
// out on either side, so that neither can change without the other.
TEST(ManPages, NameEveryOptionOfTheHelpAndNoOther) {
    struct Case {
        const char* page;
        std::function<std::string()> usage;
    };
    const Case cases[] = {
        {"karvola.1", [] { return options::WindowCommandLine().usage(); }},
        {"karvola-cli.1", [] { return std::get<options::EarlyExit>(cli::ParseCliOptions({"--help"})).text; }},
        {"karvola-service.1",
         [] { return std::get<options::EarlyExit>(service::ParseServiceOptions({"--help"})).text; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        const OptionNames help = HelpOptions(c.usage());
        const OptionNames page =
            ManOptions(testing::ReadFileContent(std::filesystem::path(KARVOLA_SOURCE_DIR) / "man" / c.page));
        EXPECT_TRUE(help.contains("--help") && help.contains("--version")) << c.usage();
        EXPECT_EQ(page, help);
    }
}

}  // namespace
}  // namespace karvola
