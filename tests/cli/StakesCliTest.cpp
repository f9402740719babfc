#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRunner.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using LineList = std::vector<std::string>;

class StakesCliTest : public ::testing::Test {
protected:
    CliRun run(const std::string& input) {
        return RunCli({"-q", "--home", (folder.path() / "home").string()}, input, folder.path());
    }

    TemporaryDirectory folder;
};

TEST_F(StakesCliTest, OneLinePerBetThenTheTotalAndTheCapitalPercent) {
    struct Case {
        const char* line;
        LineList out;
    };
    const Case cases[] = {
        {":stakes 1000,0 0,07 0,30 1.45", {"1.45 | 155.56", "Total stake: 155.56", "CB% = 15.556"}},
        {":stakes 1000.0 0.07 0.30 1,45 1.0 1,45",
         {"1,45 | 143.46", "1.0 | 0,00", "1,45 | 143.46", "Total stake: 286.91", "CB% = 28.691"}},
        {":stakes 1000 0,07 0,30", {"Total stake: 0.00", "CB% = 0.000"}},
        {":stakes 0 0,07 0,30 1.45", {"Error : Invalid Capital Ballance value"}},
        {":stakes 1000 0,07 R2 1.45", {"Error : Invalid Rent value"}},
        {":stakes 1000 0,07 0,30 1.45 evens", {"Error : Invalid course value"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CliRun result = run(std::string(c.line) + "\n");
        EXPECT_EQ(Lines(result.out), c.out);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(StakesCliTest, TooFewArgumentsAreToldOnStandardError) {
    const CliRun result = run(":stakes 1000 0,07\n");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(":stakes needs CB R1 R2"), std::string::npos);
    EXPECT_EQ(result.status, 1);
}

// 200 bets: every one of them staked, the closed form answering for 200! orders.
TEST_F(StakesCliTest, TwoHundredBetsAreAnsweredInFull) {
    std::string line = ":stakes 1000 0,07 0,30";
    for (int i = 0; i < 200; ++i) line += " 2.0";
    const LineList lines = Lines(run(line + "\n").out);
    ASSERT_EQ(lines.size(), 202U);
    // Alike in every order: 1000 x (1 - (1 - 0.18)^200) / 200 each, nearly the whole capital in all.
    EXPECT_EQ(lines[0], "2.0 | 5.00");
    EXPECT_EQ(lines[199], "2.0 | 5.00");
    EXPECT_EQ(lines[200], "Total stake: 1000.00");
    EXPECT_EQ(lines[201], "CB% = 100.000");
}

}  // namespace
}  // namespace karvola::testing
