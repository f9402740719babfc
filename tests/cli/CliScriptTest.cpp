#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using LineList = std::vector<std::string>;

std::filesystem::path SampleBase() {
    return std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
}

// What karvola-cli is to a script: lines in, the terminal's lines out, and an
// exit status that says whether anything failed.
class CliScriptTest : public ::testing::Test {
protected:
    CliRun run(std::vector<std::string> arguments, const std::string& input = {},
               const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), {"--home", home().string()});
        return RunCli(arguments, input, folder.path(), environment);
    }
    [[nodiscard]] std::filesystem::path home() const { return folder.path() / "home"; }

    TemporaryDirectory folder;
};

// The lines a script sees are the terminal's, as before; the status adds whether
// a command ended in an error line, a failed load or a refused meta-command.
TEST_F(CliScriptTest, ExitStatusSaysWhetherACommandFailed) {
    const std::string missing = (folder.path() / "missing.txt").string();
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string input;
        int status;
    };
    const Case cases[] = {
        {"no base to load at start is no failure", {}, "echo fine\n=1+1\n", 0},
        {"an unknown command", {}, "nonsense\necho after\n", 1},
        {"an evaluation error", {}, "=1/0\n", 1},
        {"a rule's syntax error", {}, "result {1.5 2.5 1}\n", 1},
        {"echo repeats an error text without failing", {}, "echo Error : only words\n", 0},
        {"an unknown meta-command", {}, ":nonsense\n", 1},
        {"a meta-command's usage", {}, ":props 1 2\n", 1},
        {"a bookmaker not in the directory", {}, ":bookmaker Nobody\n", 1},
        {":load of a missing file", {}, ":load " + missing + "\n", 1},
        {"--db of a missing file", {"--db", missing}, "echo fine\n", 1},
        {"an -e line", {"-e", "nonsense"}, "", 1},
        {"a rule on the sample", {"--db", SampleBase().string()}, "struct *\nresult [1.5 2.5 1]\n", 0},
        {"a validation without a research domain", {}, ":walkforward 2\n", 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> options = c.options;
        options.push_back("-q");
        const auto result = run(options, c.input);
        EXPECT_EQ(result.status, c.status) << c.what << "\n" << result.out << result.err;
    }
}

TEST_F(CliScriptTest, StopOnErrorEndsTheInputAtTheFirstFailure) {
    const std::string input = "echo one\nnonsense\necho two\n";
    EXPECT_EQ(Lines(run({"-q"}, input).out), (LineList{">echo one", "one", ">nonsense",
                                                       "Error : Incorrect command or arguments", ">echo two", "two"}));

    const auto stopped = run({"-q", "--stop-on-error"}, input);
    EXPECT_EQ(Lines(stopped.out),
              (LineList{">echo one", "one", ">nonsense", "Error : Incorrect command or arguments"}));
    EXPECT_EQ(stopped.status, 1);

    // A failed -e line runs no script; a failed --db runs no line at all.
    const auto script = folder.path() / "script.txt";
    std::ofstream(script) << "echo from script\n";
    EXPECT_EQ(Lines(run({"-q", "--stop-on-error", "-e", ":nonsense", script.string()}).out), LineList{});
    const auto noBase = run({"-q", "--stop-on-error", "--db", (folder.path() / "missing.txt").string()}, "echo x\n");
    EXPECT_EQ(noBase.out, "");
    EXPECT_EQ(noBase.status, 1);
}

// A script can start with "#!" and carry comments; a typed '#' stays the
// window's unknown command, and so does one after rem's word.
TEST_F(CliScriptTest, HashLinesOfAScriptAreComments) {
    const auto script = folder.path() / "strategy";
    std::ofstream(script)
        << "#!/usr/bin/karvola-cli -q\n# a comment\n  \t# an indented one\necho one # not a comment\n";
    const auto result = run({"-q", script.string()});
    EXPECT_EQ(Lines(result.out), (LineList{">echo one # not a comment", "one # not a comment"}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(Lines(run({"-q"}, "# piped\necho two\n").out), (LineList{">echo two", "two"}));
    EXPECT_EQ(Lines(run({"-q", "-e", "# given", "-e", "echo three"}).out), (LineList{">echo three", "three"}));
}

// "-" names standard input as the script, after the -e lines; -e lines alone
// leave standard input unread and say so.
TEST_F(CliScriptTest, DashReadsStandardInputAndExpressionLinesSayTheyReplaceIt) {
    const auto both = run({"-q", "-e", "echo first", "-"}, "echo piped\n");
    EXPECT_EQ(Lines(both.out), (LineList{">echo first", "first", ">echo piped", "piped"}));
    EXPECT_EQ(both.err, "");

    const auto alone = run({"-q", "-e", "echo first"}, "echo piped\n");
    EXPECT_EQ(Lines(alone.out), (LineList{">echo first", "first"}));
    EXPECT_NE(alone.err.find("standard input was not read"), std::string::npos) << alone.err;
    EXPECT_EQ(run({"-q", "-e", "echo first"}, "").err, "");
}

// Output that cannot be written is no success: the status says so and standard
// error says why, and the configuration is still written.
TEST_F(CliScriptTest, AFullOutputDeviceEndsTheRunWithStatusOne) {
    if (!std::filesystem::exists("/dev/full")) GTEST_FAIL() << "/dev/full is missing";
    const auto result =
        RunCliWritingTo("/dev/full", {"--home", home().string(), "-q", "-e", "echo line"}, "", folder.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "karvola-cli: cannot write to standard output: No space left on device\n");
    EXPECT_TRUE(std::filesystem::exists(home() / "karvola_config.xml"));
}

// The user's decimal separator shows only where the terminal writes numbers in
// the general form (the statistics report's figures, the simulation's stakes,
// bankrolls and multiplier, = and testb); every other number keeps its point.
TEST_F(CliScriptTest, ADecimalCommaLocaleChangesTheGeneralFormAlone) {
    const std::string input =
        "struct *\n:props 1 60 12\nsim [1.5 2.5 1] 0.05\n:risk\nsbp\n:options 111111111111\nresult [1.5 2.5 1]\n"
        "=1/4\ntestb 10 2 0 0\ncr_res2 2.2 2.2 100\n:stakes 1000 0.07 0.30 1.45 2.5\n";
    const std::vector<std::string> options = {"-q", "--db", SampleBase().string()};
    const auto point = run(options, input, {"LC_ALL=C"});
    const auto comma = run(options, input, {"LC_ALL=pl_PL.UTF-8"});
    ASSERT_EQ(comma.err, "") << "is the locale pl_PL.UTF-8 there? (scripts/install-deps.sh makes it)";
    const LineList pointLines = Lines(point.out);
    const LineList commaLines = Lines(comma.out);
    ASSERT_EQ(pointLines.size(), commaLines.size());
    // A comma between two digits is a decimal comma; "England, Premier League" is none.
    const auto withPoints = [](std::string line) {
        for (std::size_t i = 1; i + 1 < line.size(); ++i) {
            if (line[i] == ',' && std::isdigit(static_cast<unsigned char>(line[i - 1])) != 0 &&
                std::isdigit(static_cast<unsigned char>(line[i + 1])) != 0) {
                line[i] = '.';
            }
        }
        return line;
    };
    const char* generalForm[] = {"  Std. Dev. of",
                                 "  Optimal Kelly's",
                                 "  Bankroll Multiplier for OKF",
                                 "Entropy for",
                                 " Bankroll multiplier",
                                 "0,25",
                                 "Hypothetical",
                                 "  k=",
                                 "total probability",
                                 "2"};  // testb's echo of its arguments
    std::size_t changed = 0;
    for (std::size_t i = 0; i < pointLines.size(); ++i) {
        if (pointLines[i] == commaLines[i]) continue;
        ++changed;
        EXPECT_EQ(withPoints(commaLines[i]), pointLines[i]);
        const std::string& line = commaLines[i];
        const bool betsPreviewRow = !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0;
        bool allowed = betsPreviewRow;
        for (const char* start : generalForm) allowed = allowed || line.starts_with(start);
        EXPECT_TRUE(allowed) << "a number outside the general form follows the locale: " << line;
    }
    EXPECT_GT(changed, 10U);
}

// The progress line of a long command is drawn on a terminal and wiped before
// every output line, so none is left in the transcript; on a dumb terminal it
// is not drawn at all.
TEST_F(CliScriptTest, TheProgressLineIsWipedBeforeOutputAndLeftOutOnADumbTerminal) {
    const std::vector<std::string> arguments = {
        "--home", home().string(), "-q", "--db",     SampleBase().string(), "-e", "struct *", "-e", "opt 1",
        "-e",     ":wait",         "-e", "echo done"};
    const auto drawn = RunCliOnTerminal(arguments, {"TERM=xterm"});
    EXPECT_EQ(drawn.status, 0);
    ASSERT_NE(drawn.out.find("[opt "), std::string::npos) << drawn.out;
    // Every progress text is wiped ("\r\x1b[K") before the next line ends.
    for (auto at = drawn.out.find("[opt "); at != std::string::npos; at = drawn.out.find("[opt ", at + 1)) {
        const auto wiped = drawn.out.find("\r\x1b[K", at);
        const auto lineEnd = drawn.out.find('\n', at);
        EXPECT_TRUE(wiped != std::string::npos && (lineEnd == std::string::npos || wiped < lineEnd))
            << drawn.out.substr(at, 120);
    }
    EXPECT_EQ(drawn.out.find("No optimization at the moment"), std::string::npos);
    EXPECT_NE(drawn.out.find("done"), std::string::npos);

    const auto dumb = RunCliOnTerminal(arguments, {"TERM=dumb"});
    EXPECT_EQ(dumb.status, 0);
    EXPECT_EQ(dumb.out.find("[opt "), std::string::npos);
    EXPECT_EQ(dumb.out.find('\x1b'), std::string::npos);
    EXPECT_NE(dumb.out.find("done"), std::string::npos);
}

}  // namespace
}  // namespace karvola::testing
