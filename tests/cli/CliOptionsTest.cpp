#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "CliOptions.h"

namespace karvola::cli {
namespace {

using Arguments = std::vector<std::string>;

std::string Joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) text += (text.empty() ? "'" : " '") + argument + "'";
    return text;
}

std::optional<std::string> Text(const std::optional<std::filesystem::path>& path) {
    if (!path) return std::nullopt;
    return path->string();
}

TEST(CliOptions, ArgumentsBecomeOptions) {
    struct Case {
        Arguments arguments;
        Arguments lines{};
        std::optional<std::string> script{};
        bool quiet = false;
        std::optional<std::string> home{};
        std::optional<std::string> dataBase{};
    };
    const Case cases[] = {
        {.arguments = {}},
        {.arguments = {"-q"}, .quiet = true},
        {.arguments = {"--quiet"}, .quiet = true},
        {.arguments = {"-e", "echo one", "-q", "-e", "=1+1", "s.txt"},
         .lines = {"echo one", "=1+1"},
         .script = "s.txt",
         .quiet = true},
        // -e takes the next argument whatever it looks like, and only that one.
        {.arguments = {"-e", "", "-e", "-q", "-e", "--db", "-e", "x", "s.txt"},
         .lines = {"", "-q", "--db", "x"},
         .script = "s.txt"},
        {.arguments = {"-"}, .script = "-"},
        {.arguments = {"--", "-q"}, .script = "-q"},
        {.arguments = {"--db", "b.txt", "--home", "h"}, .home = "h", .dataBase = "b.txt"},
        {.arguments = {"--db=b.txt", "--home=h", "s.txt"}, .script = "s.txt", .home = "h", .dataBase = "b.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Joined(c.arguments));
        const auto parsed = ParseCliOptions(c.arguments);
        if (const auto* early = std::get_if<options::EarlyExit>(&parsed)) {
            ADD_FAILURE() << "refused: " << early->text;
            continue;
        }
        const auto& options = std::get<CliOptions>(parsed);
        EXPECT_EQ(options.lines, c.lines);
        EXPECT_EQ(Text(options.script), c.script);
        EXPECT_EQ(options.quiet, c.quiet);
        EXPECT_EQ(Text(options.common.home), c.home);
        EXPECT_EQ(Text(options.common.dataBase), c.dataBase);
    }
}

TEST(CliOptions, WrongArgumentsAreRefused) {
    const Arguments wrong[] = {
        {"one.txt", "two.txt"},
        {"--", "one.txt", "two.txt"},
        {"-e"},
        {"-x"},
        {"--bogus"},
        {"--db"},
        {"--home="},
        {"--home", ""},
        {"--quiet=maybe"},
    };
    for (const Arguments& arguments : wrong) {
        SCOPED_TRACE(Joined(arguments));
        const auto parsed = ParseCliOptions(arguments);
        const auto* early = std::get_if<options::EarlyExit>(&parsed);
        ASSERT_NE(early, nullptr);
        EXPECT_EQ(early->status, options::kWrongOptions);
        EXPECT_EQ(early->text.rfind("karvola-cli: ", 0), 0U) << early->text;
        EXPECT_NE(early->text.find("\nUsage: karvola-cli [options] [SCRIPT]\n"), std::string::npos) << early->text;
    }
}

TEST(CliOptions, HelpNamesTheTerminalsOwnOptions) {
    const auto parsed = ParseCliOptions({"--help"});
    const auto* help = std::get_if<options::EarlyExit>(&parsed);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->status, 0);
    for (const char* item :
         {"Usage: karvola-cli [options] [SCRIPT]\n", "-e LINE", "-q,--quiet", "--db FILE", ":help"}) {
        EXPECT_NE(help->text.find(item), std::string::npos) << item << " missing from\n" << help->text;
    }
}

}  // namespace
}  // namespace karvola::cli
