#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UpcomingTable.h"

namespace karvola::cli {
namespace {

using Lines = std::vector<std::string>;

TEST(UpcomingTableTest, RowsAlignUnderTheWindowsHeadingsAndTheirDetailsFollow) {
    UpcomingMatchDBMS model;
    model.ReadDocument(
        "<VERSION>100</VERSION>"
        "<SPORT_EVENT><TIMESTAMP>1700000000</TIMESTAMP><CATEGORY>England, Premier League</CATEGORY>"
        "<TEAMS>Arsenal - Everton</TEAMS><SPORTSBOOK>"
        "<SB_NAME>B365</SB_NAME><ODDS1>1.5</ODDS1><ODDS0>4.2</ODDS0><ODDS2>6.5</ODDS2>"
        "<SB_NAME>PS</SB_NAME><ODDS1>1.5</ODDS1><ODDS0>4.33</ODDS0><ODDS2>6.25</ODDS2>"
        "</SPORTSBOOK></SPORT_EVENT>"
        "<SPORT_EVENT><TIMESTAMP>1700086400</TIMESTAMP><CATEGORY>Spain, La Liga</CATEGORY>"
        "<TEAMS>Getafe - Cadiz</TEAMS><SPORTSBOOK>"
        "<SB_NAME>PS</SB_NAME><ODDS1>2.05</ODDS1><ODDS0>3.1</ODDS0><ODDS2>4.4</ODDS2>"
        "</SPORTSBOOK></SPORT_EVENT>");
    UpcomingDomainFilter filter;
    filter.categories = {"England, Premier League", "Spain, La Liga"};
    filter.bookmakers = {"B365", "PS"};
    model.RebuildResearchDomain(filter);
    UpcomingListing listing;
    listing.fill({{0, UpcomingDecision::Bet1}, {1, UpcomingDecision::Bet10}}, model);

    EXPECT_EQ(FormatUpcomingTable(listing, model),
              (Lines{
                  "No.  Start              Category                 Teams              1     X     2    Decision",
                  "1    14/11/2023, 22:13  England, Premier League  Arsenal - Everton  1.5   4.33  6.5  bet1",
                  "2    15/11/2023, 22:13  Spain, La Liga           Getafe - Cadiz     2.05  3.1   4.4  bet10",
                  "1: Arsenal - Everton, 14/11/2023, 22:13, England, Premier League",
                  "  * Max Odds 1 = 1.5   B365, PS  100% of stake for bet1",
                  "    Max Odds 0 = 4.33  PS",
                  "    Max Odds 2 = 6.5   B365",
                  "2: Getafe - Cadiz, 15/11/2023, 22:13, Spain, La Liga",
                  "  * Max Odds 1 = 2.05  PS  60.19% of stake for bet1",
                  "  * Max Odds 0 = 3.1   PS  39.81% of stake for bet0",
                  "    Max Odds 2 = 4.4   PS",
              }));

    listing.hide(0);
    EXPECT_EQ(FormatUpcomingTable(listing, model).front().substr(0, 10), "No.  Start");
    EXPECT_EQ(FormatUpcomingTable(listing, model)[1].substr(0, 3), "2  ");
    listing.hide(0);
    EXPECT_TRUE(FormatUpcomingTable(listing, model).empty());
}

}  // namespace
}  // namespace karvola::cli
