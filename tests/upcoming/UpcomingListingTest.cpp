#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/UpcomingDocumentText.h"
#include "upcoming/UpcomingListing.h"

namespace karvola {
namespace {

using Names = std::vector<std::string>;
using Texts = std::array<std::string, 3>;

TEST(UpcomingStakesTest, TwoWayBetsSplitTheStakeSoEitherWinReturnsTheSame) {
    struct Case {
        UpcomingDecision decision;
        const char *odds1, *odds0, *odds2;
        Texts texts;
    };
    const std::vector<Case> cases{
        {UpcomingDecision::Bet1, "2", "3", "4", {"100% of stake for bet1", "", ""}},
        {UpcomingDecision::Bet0, "2", "3", "4", {"", "100% of stake for bet0", ""}},
        {UpcomingDecision::Bet2, "2", "3", "4", {"", "", "100% of stake for bet2"}},
        {UpcomingDecision::Bet10, "2.00", "3.00", "9", {"60.00% of stake for bet1", "40.00% of stake for bet0", ""}},
        {UpcomingDecision::Bet12, "1.5", "9", "3", {"66.67% of stake for bet1", "", "33.33% of stake for bet2"}},
        {UpcomingDecision::Bet02, "9", "3.1", "2.9", {"", "48.33% of stake for bet0", "51.67% of stake for bet2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(DecisionText(c.decision)));
        EXPECT_EQ(StakeTexts(c.decision, c.odds1, c.odds0, c.odds2), c.texts);
    }
    EXPECT_EQ(StakeTexts(UpcomingDecision::Bet102, "2", "3", "4"), std::nullopt);
}

// A listing over four matches of a downloaded document.
class UpcomingListingTest : public ::testing::Test {
protected:
    UpcomingListingTest() {
        std::string document = testing::kUpcomingVersion;
        const auto event = [&document](int start, const std::string& teams, const std::string& offers) {
            document += testing::SportEventElement(std::to_string(start), "League", teams, offers);
        };
        const auto offer = [](const std::string& name, const std::string& odds) {
            return testing::OfferElements(name, odds, "3", "4");
        };
        event(1'700'000'000, "A - B", offer("B365", "2") + offer("PS", "2"));
        event(1'700'003'600, "C - D", offer("PS", "2.5"));
        event(1'700'007'200, "A - B", offer("PS", "1.9"));  // the same teams a week later, say
        event(1'700'010'800, "E - F", offer("B365", "1.8"));
        model.ReadDocument(document);
        UpcomingDomainFilter filter;
        filter.restrictionMemo = "100% domain";
        filter.categories = {"League"};
        filter.bookmakers = {"B365", "PS"};
        filter.localNow = 1'600'000'000;
        model.RebuildResearchDomain(filter);
    }

    Names numbered() const {
        Names texts;
        for (const auto& row : listing.rows()) texts.push_back(std::to_string(row.number) + " " + row.teams);
        return texts;
    }

    UpcomingMatchDBMS model;
    UpcomingListing listing;
};

TEST_F(UpcomingListingTest, RowsShowTheDecisionsWithTheirLocalStart) {
    listing.fill({{0, UpcomingDecision::Bet1}, {1, UpcomingDecision::Bet10}, {3, UpcomingDecision::Bet102}}, model);
    ASSERT_EQ(listing.rows().size(), 3U);
    const UpcomingRow& row = listing.rows()[1];
    EXPECT_EQ(row.number, 2);
    EXPECT_EQ(row.start, "14/11/2023, 23:13");
    EXPECT_EQ(row.category, "League");
    EXPECT_EQ(row.teams, "C - D");
    EXPECT_EQ(row.odds1 + " " + row.odds0 + " " + row.odds2, "2.5 3 4");
    EXPECT_EQ(DecisionText(row.decision), "bet10");

    const UpcomingDetails details = listing.details(1, model);
    EXPECT_EQ(details.maxOdds, (Texts{"Max Odds 1 = 2.5", "Max Odds 0 = 3", "Max Odds 2 = 4"}));
    EXPECT_EQ(details.backed, (std::array<bool, 3>{true, true, false}));
    EXPECT_EQ(details.stakes, (Texts{"54.55% of stake for bet1", "45.45% of stake for bet0", ""}));
    EXPECT_EQ(details.bookmakers[0], Names{"PS"});

    const UpcomingDetails threeWay = listing.details(2, model);
    EXPECT_EQ(threeWay.backed, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(threeWay.stakes, std::nullopt);
}

// The same teams twice in one list: each row shows its own match's bookmakers,
// not those of the first match with that Teams text.
TEST_F(UpcomingListingTest, DetailsOfTheSameTeamsShowEachMatchsOwnBookmakers) {
    listing.fill({{2, UpcomingDecision::Bet1}, {0, UpcomingDecision::Bet2}}, model);
    const UpcomingDetails earlier = listing.details(1, model);
    EXPECT_EQ(earlier.dateTime, "14/11/2023, 22:13");
    EXPECT_EQ(earlier.bookmakers[0], (Names{"B365", "PS"}));
    EXPECT_EQ(listing.details(0, model).bookmakers[0], Names{"PS"});
}

TEST_F(UpcomingListingTest, HiddenMatchesStayHiddenForTheRun) {
    const std::vector<UpcomingDecisionEntry> all{{0, UpcomingDecision::Bet1},
                                                 {1, UpcomingDecision::Bet1},
                                                 {2, UpcomingDecision::Bet1},
                                                 {3, UpcomingDecision::Bet1}};
    listing.fill(all, model);
    EXPECT_EQ(listing.hide(2), 1U);                                   // the row before is selected next
    EXPECT_EQ(numbered(), (Names{"1 A - B", "2 C - D", "4 E - F"}));  // not renumbered
    EXPECT_EQ(listing.hide(0), 0U);                                   // the first row: the new first one
    EXPECT_EQ(numbered(), (Names{"2 C - D", "4 E - F"}));

    // Under any rule, a later listing leaves them out and numbers the rest afresh.
    listing.clear();
    listing.fill({{3, UpcomingDecision::Bet2}, {2, UpcomingDecision::Bet0}, {0, UpcomingDecision::Bet0}}, model);
    EXPECT_EQ(numbered(), (Names{"1 E - F"}));
    EXPECT_EQ(listing.hide(0), std::nullopt);
    EXPECT_TRUE(listing.rows().empty());
    EXPECT_EQ(listing.decisions().size(), 3U);  // what the rule bet on is kept
    EXPECT_EQ(listing.hiddenMatches().size(), 3U);
}

}  // namespace
}  // namespace karvola
