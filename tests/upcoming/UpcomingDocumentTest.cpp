#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/UpcomingDocumentText.h"
#include "upcoming/UpcomingMatchDBMS.h"

namespace karvola {
namespace {

using testing::OfferElements;

std::string Event(const std::string& timestamp, const std::string& teams, const std::string& offers) {
    return testing::SportEventElement(timestamp, "England, Premier League", teams, offers);
}

const std::string& kVersion = testing::kUpcomingVersion;

TEST(UpcomingDocumentTest, ReadsEventsAndOffersVerbatimInDocumentOrder) {
    UpcomingMatchDBMS model;
    model.ReadDocument(
        kVersion + "\r\n stray words \r\n" +
        Event("1700000000", "Arsenal - Everton",
              OfferElements("B365", "2.10", " 3.4", "3.5") + "\r\n" + OfferElements("PS", "2.1", "3.5", "")) +
        Event(" 1700003600", "A & B", ""));
    ASSERT_EQ(model.events().size(), 2U);
    const SportEvent& first = model.events()[0];
    EXPECT_EQ(first.m_timestamp, "1700000000");
    EXPECT_EQ(first.m_category, "England, Premier League");
    EXPECT_EQ(first.m_teams, "Arsenal - Everton");
    ASSERT_EQ(first.m_offers.size(), 2U);
    EXPECT_EQ(first.m_offers[0].m_odds0, " 3.4");  // not trimmed
    EXPECT_EQ(first.m_offers[1].m_name, "PS");
    EXPECT_EQ(first.m_offers[1].m_odds2, "");
    EXPECT_EQ(model.events()[1].m_timestamp, " 1700003600");
    EXPECT_TRUE(model.events()[1].m_offers.empty());
}

TEST(UpcomingDocumentTest, EdgesOfTheFormat) {
    UpcomingMatchDBMS model;
    model.ReadDocument(kVersion);
    EXPECT_TRUE(model.events().empty());

    // Each element is read once, searching forward: a second TIMESTAMP is ignored.
    model.ReadDocument(kVersion +
                       "<SPORT_EVENT><TIMESTAMP>1</TIMESTAMP><TIMESTAMP>2</TIMESTAMP><CATEGORY>C</CATEGORY>"
                       "<TEAMS>T</TEAMS><SPORTSBOOK></SPORTSBOOK></SPORT_EVENT>");
    ASSERT_EQ(model.events().size(), 1U);
    EXPECT_EQ(model.events()[0].m_timestamp, "1");
    EXPECT_EQ(model.events()[0].m_category, "C");

    // A new document replaces the old events.
    model.ReadDocument(kVersion);
    EXPECT_TRUE(model.events().empty());
}

TEST(UpcomingDocumentTest, FaultsAreToldAndKeepWhatWasReadBefore) {
    struct Case {
        const char* what;
        std::string document;
        const char* message;
        std::size_t eventsKept;
    };
    const std::vector<Case> cases{
        {"no version", "<SPORT_EVENT></SPORT_EVENT>", "Incorrect XML buffer", 0},
        {"version not closed", "<VERSION>100", "Incorrect XML buffer", 0},
        {"other version", "<VERSION>101</VERSION>", "Incorrect version of the protocol", 0},
        {"version with a blank", "<VERSION>100 </VERSION>", "Incorrect version of the protocol", 0},
        {"version with a point", "<VERSION>100.0</VERSION>", "Incorrect version of the protocol", 0},
        {"event not closed", kVersion + Event("1", "T", "") + "<SPORT_EVENT><TIMESTAMP>2</TIMESTAMP>",
         "Incorrect XML buffer", 1},
        {"no teams", kVersion + "<SPORT_EVENT><TIMESTAMP>1</TIMESTAMP><CATEGORY>C</CATEGORY></SPORT_EVENT>",
         "Incorrect XML buffer", 1},
        {"cut inside an offer",
         kVersion + Event("1", "T", OfferElements("B365", "2", "3", "4")) + "<SPORT_EVENT>" +
             "<TIMESTAMP>2</TIMESTAMP><CATEGORY>C</CATEGORY><TEAMS>U</TEAMS><SPORTSBOOK>" +
             "<SB_NAME>PS</SB_NAME><ODDS1>2</ODDS1><ODDS0>3</ODDS0></SPORTSBOOK></SPORT_EVENT>",
         "Incorrect XML buffer", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UpcomingMatchDBMS model;
        model.ReadDocument(kVersion + Event("9", "Old", ""));
        try {
            model.ReadDocument(c.document);
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(model.events().size(), c.eventsKept);
    }

    // The offer cut short stays with the fields read before the fault.
    UpcomingMatchDBMS model;
    EXPECT_THROW(
        model.ReadDocument(kVersion + Event("1", "T", "<SB_NAME>PS</SB_NAME><ODDS1>2</ODDS1><ODDS0>3</ODDS0>")),
        std::logic_error);
    ASSERT_EQ(model.events().size(), 1U);
    ASSERT_EQ(model.events()[0].m_offers.size(), 1U);
    EXPECT_EQ(model.events()[0].m_offers[0].m_name, "PS");
    EXPECT_EQ(model.events()[0].m_offers[0].m_odds0, "3");
}

}  // namespace
}  // namespace karvola
