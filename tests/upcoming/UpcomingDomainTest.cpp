#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/UpcomingDocumentText.h"
#include "upcoming/UpcomingMatchDBMS.h"

namespace karvola {
namespace {

using Names = std::vector<std::string>;

constexpr std::uint32_t kNow = 1'200'000'000;

using testing::OfferElements;

std::string Event(std::uint32_t start, const std::string& teams, const std::string& offers,
                  const std::string& category = "League") {
    return testing::SportEventElement(std::to_string(start), category, teams, offers);
}

UpcomingDomainFilter Filter() {
    UpcomingDomainFilter filter;
    filter.restrictionMemo = "100% domain";
    filter.categories = {"League", "Cup"};
    filter.bookmakers = {" B365 ", "PS"};  // the list box's items are trimmed
    filter.localNow = kNow;
    return filter;
}

Names TeamsOf(const UpcomingMatchDBMS& model) {
    Names teams;
    for (const auto& record : model.researchDomain()) teams.push_back(record.m_teams);
    return teams;
}

const std::string kPriced = OfferElements("B365", "2", "3", "4");

TEST(UpcomingDomainTest, ListsMatchesStartingLaterThanAMinuteFromNowInTheDomainsCategories) {
    UpcomingMatchDBMS model;
    model.ReadDocument(
        testing::kUpcomingVersion + Event(kNow + 60, "at 60 s", kPriced) + Event(kNow + 61, "at 61 s", kPriced) +
        Event(kNow - 3600, "started", kPriced) + Event(kNow + 100, "other category", kPriced, "Friendly") +
        Event(kNow + 100, "league with a blank", kPriced, "League ") + Event(kNow + 100, "cup", kPriced, "Cup") +
        Event(kNow + 100, "only a stranger", OfferElements("Unibet", "2", "3", "4")) +
        Event(kNow + 100, "no offers", ""));
    model.RebuildResearchDomain(Filter());
    EXPECT_EQ(TeamsOf(model), (Names{"at 61 s", "cup"}));
}

TEST(UpcomingDomainTest, StartTimeIsLocalByTheTimeZoneBias) {
    UpcomingMatchDBMS model;
    model.ReadDocument(testing::kUpcomingVersion + Event(1'200'000'000, "T", kPriced));
    UpcomingDomainFilter filter = Filter();
    filter.localNow = 1'200'000'000 - 1000;
    filter.timeZoneBias = 2;
    model.RebuildResearchDomain(filter);
    ASSERT_EQ(model.researchDomain().size(), 1U);
    EXPECT_EQ(model.researchDomain()[0].m_startTime, 1'200'007'200);

    // At GMT-2 the same kick-off is two hours earlier in local time: here exactly
    // a minute from now, so no longer listed.
    filter.localNow = 1'200'000'000 - 7200 - 60;
    filter.timeZoneBias = -2;
    model.RebuildResearchDomain(filter);
    EXPECT_TRUE(model.researchDomain().empty());
}

TEST(UpcomingDomainTest, BestOddsKeepTheFirstTextAndNameEveryBookmakerOfferingThem) {
    UpcomingMatchDBMS model;
    model.ReadDocument(testing::kUpcomingVersion +
                       Event(kNow + 100, "T",
                             OfferElements("Unibet", "9", "9", "9") + OfferElements("B365", "2.10", "3.3", "4") +
                                 OfferElements("BW", "", "9", "9") +  // an empty odds text: the offer is left out
                                 OfferElements("PS", "2.1", "3.4", "3.9") +
                                 OfferElements("B365", "1.5", "3.4", "4.0")));
    UpcomingDomainFilter filter = Filter();
    filter.bookmakers = {"B365", "PS", "BW"};
    model.RebuildResearchDomain(filter);
    ASSERT_EQ(model.researchDomain().size(), 1U);
    const auto& record = model.researchDomain()[0];
    EXPECT_EQ(record.m_odds1, "2.10");
    EXPECT_EQ(record.m_odds0, "3.4");
    EXPECT_EQ(record.m_odds2, "4");
    EXPECT_EQ(record.m_bookmakers1, (Names{"B365", "PS"}));
    EXPECT_EQ(record.m_bookmakers0, (Names{"PS", "B365"}));
    EXPECT_EQ(record.m_bookmakers2, (Names{"B365", "B365"}));
}

TEST(UpcomingDomainTest, RestrictionsComeFromTheMemoAfterTheWholeDomainLine) {
    struct Case {
        const char* memo;
        Names restrictions;
    };
    const std::vector<Case> cases{
        {"100% domain", {}},
        {"100% Reasearch Domain", {}},
        {"100% domain\r\nAND\r\nODDS1>1.5\r\nAND\r\n odds2 < 4 \t", {"ODDS1>1.5", "odds2 < 4"}},
        // Case matters and "AND" cuts even inside a word.
        {"100% domain\r\nAND\r\nODDS1>1.5 and ODDS2<9\r\nAND\r\nBRANDY", {"ODDS1>1.5 and ODDS2<9", "BR", "Y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.memo);
        EXPECT_EQ(UpcomingRestrictions(c.memo), c.restrictions);
    }
}

TEST(UpcomingDomainTest, RestrictionsFilterTheRecordsAndTheirFaultsEndTheRebuild) {
    UpcomingMatchDBMS model;
    model.ReadDocument(testing::kUpcomingVersion +
                       Event(kNow + 100, "favourite", OfferElements("B365", "1.4", "4", "7")) +
                       Event(kNow + 100, "even", OfferElements("B365", "2.5", "3.2", "2.8")));
    UpcomingDomainFilter filter = Filter();
    filter.restrictionMemo = "100% domain\r\nAND\r\n odds1<2 ";
    model.RebuildResearchDomain(filter);
    EXPECT_EQ(TeamsOf(model), Names{"favourite"});

    filter.restrictionMemo = "100% domain\r\nAND\r\nODDS1<<2";
    try {
        model.RebuildResearchDomain(filter);
        ADD_FAILURE() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Upcoming matches restriction error : Error in expression");
    }
}

}  // namespace
}  // namespace karvola
