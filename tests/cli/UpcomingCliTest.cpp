#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "service/RunningService.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

constexpr const char* kNoMatches = "There are no upcoming matches performs your criteria.";

class UpcomingCliTest : public ::testing::Test {
protected:
    CliRun run(std::vector<std::string> arguments, const std::string& input,
               const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), {"-q", "--home", (folder.path() / "home").string()});
        return RunCli(arguments, input, folder.path(), environment);
    }

    TemporaryDirectory folder;
};

// Without a key nothing is downloaded: the command goes on with no matches, as
// after a cancelled key dialog, and standard error says how to give a key.
TEST_F(UpcomingCliTest, WithoutAKeyTheCommandWorksOnWhatItHas) {
    const auto result = run({}, "upcoming [1 10 1]\n:key\n");
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{">upcoming [1 10 1]", kNoMatches, "Unique Indentity Key: (none)"}));
    EXPECT_EQ(result.err,
              "karvola-cli: no Unique Indentity Key, so no upcoming matches were downloaded: give one with --key KEY "
              "or :key KEY\n");
}

TEST_F(UpcomingCliTest, TheKeyFromTheOptionOrTheMetaCommandReachesTheServiceAndIsKept) {
    RunningService service;
    const std::vector<std::string> environment{"KARVOLA_SERVICE_HOST=" + service.host()};
    const std::string retrieving = "Retrieving upcoming matches from remote host " + service.host() + "...";

    const auto known = run({"--key", "demo"}, "upcoming [1 10 1]\n", environment);
    EXPECT_EQ(Lines(known.out), (std::vector<std::string>{">upcoming [1 10 1]", retrieving, kNoMatches}));
    // Kept in the configuration, as the window's dialog keeps it.
    EXPECT_EQ(Lines(run({}, ":key\n").out), std::vector<std::string>{"Unique Indentity Key: demo"});

    const auto unknown = run({}, ":key nobody\npe_upcoming bet1\n", environment);
    EXPECT_EQ(Lines(unknown.out),
              (std::vector<std::string>{">pe_upcoming bet1", retrieving, "Error : Unknown identity key", kNoMatches}));
}

// The shipped sample content, a day ahead, listed for the sample base and hidden row by row.
TEST_F(UpcomingCliTest, TheSampleServiceContentIsListedForTheSampleBase) {
    service::UpcomingSettings upcoming;
    upcoming.shiftToNow = true;
    RunningService service({}, upcoming);
    std::filesystem::copy(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / "upcoming",
                          service.content() / "upcoming");
    const auto base = (std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt").string();
    const auto result = run({"--key", "demo", "--db", base}, "struct *\nupcoming [1 10 1]\n:hide 2\n",
                            {"KARVOLA_SERVICE_HOST=" + service.host()});
    const auto lines = Lines(result.out);
    const auto headings = [](const std::string& line) { return line.starts_with("No.  Start  "); };
    ASSERT_EQ(std::count_if(lines.begin(), lines.end(), headings), 2) << result.out;
    const auto first = std::find_if(lines.begin(), lines.end(), headings);
    const auto second = std::find_if(first + 1, lines.end(), headings);
    const auto rowsOf = [](auto from, auto to) {
        std::vector<std::string> rows;
        for (auto line = from + 1; line != to && !line->starts_with("1: "); ++line) rows.push_back(*line);
        return rows;
    };
    // Only the Premier League is in the sample base's research domain, and it has all 33 matches.
    const auto listed = rowsOf(first, second);
    ASSERT_EQ(listed.size(), 33U);
    EXPECT_NE(listed[0].find("England, Premier League"), std::string::npos);
    const auto after = rowsOf(second, lines.end());
    ASSERT_EQ(after.size(), 32U);
    EXPECT_TRUE(after[1].starts_with("3  "));  // the others keep their numbers
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace karvola::testing
