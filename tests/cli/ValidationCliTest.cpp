#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using LineList = std::vector<std::string>;

// karvola-cli on the sample base (760 Premier League matches), its research
// domain built with struct *.
class ValidationCliTest : public ::testing::Test {
protected:
    CliRun run(const std::string& input) {
        const auto base = std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
        return RunCli({"-q", "--home", (folder.path() / "home").string(), "--db", base.string()}, "struct *\n" + input,
                      folder.path());
    }

    static const std::string* lineStartingWith(const LineList& lines, const std::string& start) {
        const auto found =
            std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(start); });
        return found == lines.end() ? nullptr : &*found;
    }

    TemporaryDirectory folder;
};

// The span left out is the last opt's; the run ends with its report before
// the input's end lets the program go.
TEST_F(ValidationCliTest, WalkForwardTakesTheLastOptsSpanAndPrintsAFoldPerRow) {
    const CliRun result = run("opt 0.5\n:wait\n:walkforward 2\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const LineList lines = Lines(result.out);
    const auto header = std::find(lines.begin(), lines.end(),
                                  "Walk-forward validation of opt over LO 1 .. HI 760 (BND% 12, span 0.5):");
    ASSERT_NE(header, lines.end());
    ASSERT_GE(lines.end() - header, 8);
    EXPECT_EQ(header[1], "2 folds, each trained on every match from LO before its test block");
    EXPECT_TRUE(header[4].starts_with("   1 1-253       254-506     ["));
    EXPECT_TRUE(header[5].starts_with("   2 1-506       507-760     ["));
    EXPECT_TRUE(header[6].starts_with("pooled "));
    EXPECT_NE(lineStartingWith(lines, "  Bankroll multiplier: "), nullptr);
}

TEST_F(ValidationCliTest, WrongRequestsAreToldAndStartNothing) {
    struct Case {
        const char* line;
        LineList out;
        const char* err;
    };
    const Case cases[] = {
        {":walkforward 800", {"Error : 800 folds need at least 801 matches in LO..HI, which holds 760"}, ""},
        {":walkforward", {}, ":walkforward needs FOLDS [TRAIN|all] [SPAN]"},
        {":walkforward 3 none", {}, ":walkforward needs FOLDS [TRAIN|all] [SPAN]"},
        {":walkforward 0", {}, ":walkforward needs FOLDS [TRAIN|all] [SPAN]"},
        {":significance", {}, ":significance needs N [SEED] [SPAN]"},
        {":significance 200000", {}, ":significance needs N [SEED] [SPAN]"},
        {":significance 20 -1", {}, ":significance needs N [SEED] [SPAN]"},
        {":props 0 0 12\n:significance 20", {"Error : the research domain range LO..HI is empty"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CliRun result = run(std::string(c.line) + "\n");
        LineList expected{">struct *"};
        expected.insert(expected.end(), c.out.begin(), c.out.end());
        EXPECT_EQ(Lines(result.out), expected);
        EXPECT_NE(result.err.find(c.err), std::string::npos);
    }
}

// Its whole output is fixed by the seed: no timings, the progress on standard error.
TEST_F(ValidationCliTest, SignificanceIsTheSameOnEveryRunOfASeed) {
    const std::string input = ":significance 20 3\n:wait\n:significance 20 3 0.4\n";
    const CliRun first = run(input);
    const CliRun second = run(input);
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, second.out);
    const LineList lines = Lines(first.out);
    ASSERT_EQ(lines.size(), 27U);
    EXPECT_EQ(lines[2], "Significance of opt over LO 1 .. HI 760 (BND% 12, span 1): 20 replicas, seed 3");
    EXPECT_EQ(lines[15], "Significance of opt over LO 1 .. HI 760 (BND% 12, span 0.4): 20 replicas, seed 3");
    EXPECT_TRUE(lines[11].starts_with("  p-value:                0."));
}

TEST_F(ValidationCliTest, RiskMeasuresTheLastSimulation) {
    const CliRun result = run(":risk\n:props 1 5 12\nsim [1.5 2.5 1] 0.05\n:risk\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(
        Lines(result.out),
        (LineList{">struct *", "No bankroll run to measure: the last sim or pe_sim placed no bet, or none ran yet.",
                  ">sim [1.5 2.5 1] 0.05", " Bankroll multiplier 1.11166548728943",
                  "Risk of the last simulation: 5 bets from 10/08/2018 to 11/08/2018",
                  "  Final bankroll multiplier:  1.11166548728943",
                  "  Maximum drawdown:           5.0% of the peak (1.08 down to 1.02)",
                  "                              11/08/2018 to 11/08/2018", "  Longest losing run:         1 bet",
                  "                              11/08/2018 to 11/08/2018",
                  "  Longest time under water:   2 bets, 0 days",
                  "                              11/08/2018 to 11/08/2018"}));
}

TEST_F(ValidationCliTest, HelpSaysWhatTheFiguresMean) {
    // The descriptions are wrapped into a column; read them as running text.
    std::string out;
    for (const char c : run(":help\n").out) {
        const char blank = c == '\n' ? ' ' : c;
        if (blank != ' ' || out.empty() || out.back() != ' ') out.push_back(blank);
    }
    EXPECT_NE(out.find(":walkforward FOLDS [TRAIN|all] [SPAN]"), std::string::npos);
    EXPECT_NE(out.find("so only an edge that holds out of sample is real."), std::string::npos);
    EXPECT_NE(out.find("A p-value below 0.05 says fair prices seldom give the search a score this high"),
              std::string::npos);
    EXPECT_NE(out.find(":risk the risk of the last sim or pe_sim's bankroll run"), std::string::npos);
}

}  // namespace
}  // namespace karvola::testing
