#include <gtest/gtest.h>

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

// Without a key nothing is downloaded and nothing said: the command goes on with no matches.
TEST_F(UpcomingCliTest, WithoutAKeyTheCommandWorksOnWhatItHas) {
    const auto result = run({}, "upcoming [1 10 1]\n:key\n");
    EXPECT_EQ(Lines(result.out),
              (std::vector<std::string>{">upcoming [1 10 1]", kNoMatches, "Unique Indentity Key: (none)"}));
    EXPECT_EQ(result.err, "");
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

}  // namespace
}  // namespace karvola::testing
