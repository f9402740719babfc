#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using LineList = std::vector<std::string>;

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

class CliTest : public ::testing::Test {
protected:
    CliRun run(std::vector<std::string> arguments, const std::string& input = {},
               const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), {"--home", (folder.path() / "home").string()});
        return RunCli(arguments, input, folder.path(), environment);
    }

    TemporaryDirectory folder;
};

// A whole session through standard input: every line is echoed and answered
// exactly as the window's terminal would.
TEST_F(CliTest, SessionFromStandardInputMatchesTheGoldenTranscript) {
    const std::filesystem::path data = std::getenv("KARVOLA_TEST_DATA");
    const auto result = run({"-q"}, ReadText(data / "cli" / "session" / "input.txt"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, ReadText(data / "cli" / "session" / "expected.txt"));
}

TEST_F(CliTest, StartUpWritesTheBannerUnlessQuiet) {
    const auto loud = run({}, "");
    const auto lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 17U);
    EXPECT_EQ(lines[0], "Initializing....");
    EXPECT_EQ(lines[1], std::string(87, '-'));
    EXPECT_EQ(lines[2], "                     Karvola BETA Edition v.5.0.3");
    EXPECT_EQ(lines[5], "  final release : Apr 22 2009");
    EXPECT_EQ(lines[9], "    =<numeric-expression>                  break                        pe_result");
    EXPECT_EQ(lines.back(), "");

    EXPECT_EQ(run({"-q"}, "").out, "");
    EXPECT_EQ(run({"--quiet"}, "").out, "");
}

TEST_F(CliTest, LinesAreSplitAtLineFeedsWithOneCarriageReturnDropped) {
    const auto result = run({"-q"}, "echo  a \r\n\r\necho b\r\r\necho c");
    EXPECT_EQ(Lines(result.out), (LineList{">echo  a ", " a", ">echo b\r", "b", ">echo c", "c"}));
}

TEST_F(CliTest, ExpressionOptionsRunBeforeTheScriptAndInsteadOfStandardInput) {
    const auto script = folder.path() / "script.txt";
    std::ofstream(script) << "echo from script\n";
    const auto result = run({"-q", "-e", "echo one", "-e", "=1+1", script.string()}, "echo from stdin\n");
    EXPECT_EQ(Lines(result.out), (LineList{">echo one", "one", ">=1+1", "2", ">echo from script", "from script"}));
}

TEST_F(CliTest, QuitEndsTheInput) {
    const auto result = run({"-q"}, "echo before\nquit\necho after\n");
    EXPECT_EQ(Lines(result.out), (LineList{">echo before", "before", ">quit"}));
    EXPECT_EQ(result.status, 0);
}

// Meta-commands stand for menu items: never echoed, never in the history, and
// diagnostics go to standard error so that standard output stays the terminal.
TEST_F(CliTest, MetaCommandsAreNotEchoedAndUnknownOnesGoToStandardError) {
    const auto result = run({"-q"}, ":help\n:nonsense\n:wait\n");
    const auto lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) EXPECT_EQ(line.rfind(':', 0), 0U) << line;
    EXPECT_NE(result.out.find(":wait"), std::string::npos);
    EXPECT_NE(result.err.find(":nonsense"), std::string::npos);
    EXPECT_EQ(result.status, 0);
}

TEST_F(CliTest, WrongOptionsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"}, {"-e"}, {"-x"}, {"--home"}, {"one.txt", "two.txt"}, {(folder.path() / "missing.txt").string()},
    };
    for (const auto& arguments : wrong) {
        const auto result = RunCli(arguments, "", folder.path());
        EXPECT_EQ(result.status, 2) << arguments.front();
        EXPECT_EQ(result.out, "") << arguments.front();
        EXPECT_NE(result.err, "") << arguments.front();
    }
    const auto help = RunCli({"--help"}, "", folder.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: karvola-cli"), std::string::npos);
    const auto version = RunCli({"--version"}, "", folder.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("5.0.3"), std::string::npos);
}

TEST_F(CliTest, HomeIsCreatedWithItsFolders) {
    run({"-q"}, "");
    for (const char* sub : {"DataBase", "DataSource", "WorkSpace", "Documents"}) {
        EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "home" / sub)) << sub;
    }
}

// The user's regional settings choose the separator of the general form only:
// what the user types is read the same way under any locale.
TEST_F(CliTest, DecimalCommaLocaleChangesTheGeneralFormOnly) {
    const auto result = run({"-q"}, "=1/4\n=1.5+1,25\ncr_res2 2.2 2.2 100\n", {"LC_ALL=", "LC_NUMERIC=pl_PL.UTF-8"});
    EXPECT_EQ(Lines(result.out), (LineList{">=1/4", "0,25", ">=1.5+1,25", "2,75", ">cr_res2 2.2 2.2 100",
                                           "resultant odds is : 1.10", "stake for 1st odds is : 50.00",
                                           "stake for 2nd odds is : 50.00"}));
}

}  // namespace
}  // namespace karvola::testing
