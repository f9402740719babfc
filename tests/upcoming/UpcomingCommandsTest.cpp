#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/Base64.h"
#include "service/RunningService.h"
#include "support/FaultyFileSystem.h"
#include "support/RecordingSink.h"
#include "support/SaveFaults.h"
#include "support/ScopedTimeZone.h"
#include "support/ScriptedHttpClient.h"
#include "support/TemporaryDirectory.h"
#include "support/UpcomingDocumentText.h"
#include "web/CurlHttpClient.h"
#include "workstation/Workstation.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

using testing::UpcomingReply;

constexpr std::time_t kNow = 1'200'000'000;
constexpr const char* kNoMatches = "There are no upcoming matches performs your criteria.";
constexpr const char* kPath = "/download_upcomings_service.php";

class SettableClock final : public Clock {
public:
    [[nodiscard]] std::time_t now() const override { return time; }
    std::time_t time = kNow;
};

// Remembers what the listing looked like each time it was shown.
class RecordingView final : public UpcomingMatchesView {
public:
    explicit RecordingView(const UpcomingListing& listing) : m_listing(listing) {}
    void closeAndClear() override { ++closed; }
    void showListing() override {
        Lines teams;
        for (const auto& row : m_listing.rows())
            teams.push_back(row.teams + " " + std::string(DecisionText(row.decision)));
        shown.push_back(teams);
    }
    int closed = 0;
    std::vector<Lines> shown;

private:
    const UpcomingListing& m_listing;
};

class AcceptingKeyPrompt final : public IdentityKeyPrompt {
public:
    bool askForKey(MatchConfig& config) override {
        ++asked;
        config.SetUIDKey("demo");
        return true;
    }
    int asked = 0;
};

std::string Event(std::time_t start, const std::string& teams, const std::string& odds1, const std::string& odds0,
                  const std::string& odds2) {
    return testing::SportEventElement(std::to_string(start), "League", teams,
                                      testing::OfferElements("B365", odds1, odds0, odds2));
}

const std::string kDocument = testing::kUpcomingVersion + Event(kNow + 3600, "Favourite - Outsider", "1.5", "4", "6") +
                              Event(kNow + 7200, "Even - Match", "2.6", "3.1", "2.7");

// A workstation over a base of the category "League" priced by B365 and PS, its
// research domain built with struct, the upcoming commands shown to a recording view.
class UpcomingCommandsTest : public ::testing::Test {
protected:
    UpcomingCommandsTest() {
        std::ofstream base(folder.path() / "base.txt", std::ios::binary);
        base << "01/01/2007\r\nLeague\r\nHome\r\nAway\r\n2\r\n3\r\n4\r\n1\r\n0\r\n";
        std::ofstream(folder.path() / "base.desc", std::ios::binary) << "B365\r\nPS\r\n";
    }

    Workstation& workstation(HttpClient& http, const ServiceHost& host = ServiceHost::defaultHost()) {
        if (!m_workstation) {
            m_workstation = std::make_unique<Workstation>(
                WorkstationSettings{.applicationDirectory = folder.path(), .service = {host, {}}}, sink, files, clock,
                http);
            m_workstation->dataBase().open((folder.path() / "base.txt").string());
            m_workstation->terminal().dispatcher().DispatchCommand("struct *");
            m_workstation->config().SetUIDKey("demo");
            m_view = std::make_unique<RecordingView>(m_workstation->upcoming().listing());
            m_workstation->upcoming().attachFrontEnd({*m_view, keyPrompt, runner});
        }
        return *m_workstation;
    }

    Lines run(const std::string& line) {
        const auto before = sink.lines().size();
        m_workstation->terminal().dispatcher().DispatchCommand(line);
        const Lines lines = sink.lines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()};
    }

    void resetWorkstation() {
        m_workstation.reset();
        m_view.reset();
    }

    RecordingView& view() { return *m_view; }
    [[nodiscard]] std::filesystem::path requestFile() const { return folder.path() / "f.rqt"; }

    testing::ScopedTimeZone utc{"UTC"};
    testing::TemporaryDirectory folder;
    testing::RecordingSink sink;
    testing::FaultyFileSystem files;  // the disk, unless a test breaks it
    SettableClock clock;
    NoIdentityKeyPrompt keyPrompt;
    ImmediateExchangeRunner runner;

private:
    std::unique_ptr<Workstation> m_workstation;
    std::unique_ptr<RecordingView> m_view;
};

const std::string kRetrieving =
    "Retrieving upcoming matches from remote host " + ServiceHost::defaultHost().name() + "...";

TEST_F(UpcomingCommandsTest, BothRulesListTheMatchesTheyBetOn) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    workstation(http);
    EXPECT_EQ(run("upcoming [1.4 1.6 1]"), Lines{kRetrieving});
    EXPECT_EQ(view().shown.back(), Lines{"Favourite - Outsider bet1"});
    EXPECT_FALSE(std::filesystem::exists(requestFile()));

    EXPECT_EQ(run("pe_upcoming odds1>2?bet12:odds1<2?bet0"), Lines{});
    EXPECT_EQ(view().shown.back(), (Lines{"Favourite - Outsider bet0", "Even - Match bet12"}));
    EXPECT_EQ(view().closed, 2);

    EXPECT_EQ(run("upcoming [10 20 1]"), Lines{kNoMatches});
    EXPECT_EQ(view().shown.back(), Lines{});
}

TEST_F(UpcomingCommandsTest, TheServiceIsAskedAtMostOnceInTenMinutes) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    http.answer(kPath, UpcomingReply(testing::kUpcomingVersion + Event(kNow + 3600, "New - Match", "1.5", "4", "6")));
    workstation(http);
    run("upcoming [1 10 1]");
    clock.time = kNow + 599;
    // The old matches, judged again under the new rule.
    EXPECT_EQ(run("upcoming [2.5 2.7 1]"), Lines{});
    EXPECT_EQ(view().shown.back(), Lines{"Even - Match bet1"});
    EXPECT_EQ(http.urls().size(), 1U);

    clock.time = kNow + 600;
    EXPECT_EQ(run("upcoming [1 10 1]"), Lines{kRetrieving});
    EXPECT_EQ(http.urls().size(), 2U);
    EXPECT_EQ(view().shown.back(), Lines{"New - Match bet1"});

    // Local time set back an hour (summer time ends): the next command asks again.
    clock.time = kNow + 600 - 3600;
    EXPECT_EQ(run("upcoming [1 10 1]"),
              (Lines{kRetrieving, "Error: Connection error occured. Please try again later"}));
    EXPECT_EQ(http.urls().size(), 3U);
}

TEST_F(UpcomingCommandsTest, FailedExchangesAreToldAndTheOldMatchesServe) {
    const std::string standardBase64 = [] {
        std::string text = EncodeBase64Url("<VERSION>100</VERSION>>>>");  // ">>>" encodes with '-'
        for (char& c : text) {
            if (c == '-') c = '+';
            if (c == '_') c = '/';
        }
        return text;
    }();
    struct Case {
        const char* what;
        std::optional<std::string> reply;
        Lines lines;
    };
    const std::vector<Case> cases{
        {"no service", std::nullopt, {"Error: Connection error occured. Please try again later"}},
        {"no status", "[DATA]x[/DATA]", {"Error: Invalid data retrieved. Please try again later"}},
        {"no additional information",
         "[MESSAGE]OK[/MESSAGE][DATA]" + EncodeBase64Url(kDocument) + "[/DATA]",
         {"Error: Invalid data retrieved. Please try again later"}},
        {"no payload end",
         "[MESSAGE]OK[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA]abc",
         {"Error: Invalid data retrieved. Please try again later"}},
        {"the service's error",
         UpcomingReply(kDocument, "Error : Unknown identity key"),
         {"Error : Unknown identity key"}},
        {"another status", UpcomingReply(kDocument, "ok"), {}},
        {"an error without its blank", UpcomingReply(kDocument, "Error: busy"), {}},
        {"cut inside an offer",
         UpcomingReply(kDocument.substr(0, kDocument.find("</ODDS2>"))),
         {"Error : Incorrect XML buffer"}},
        {"standard Base64",
         "[MESSAGE]OK[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA]" + standardBase64 + "[/DATA]",
         {"Error : Incorrect XML buffer"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ScriptedHttpClient http;
        http.answer(kPath, UpcomingReply(kDocument));
        http.answer(kPath, c.reply);
        http.answer(kPath, UpcomingReply(kDocument));
        Workstation& station = workstation(http);
        run("upcoming [1 10 1]");
        clock.time += 600;

        Lines expected{kRetrieving};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        const bool readerFault = c.lines.size() == 1 && c.lines[0].starts_with("Error : Incorrect");
        // A reader fault ends the command; otherwise the last matches are listed again.
        EXPECT_EQ(run("upcoming [1 10 1]"), expected);
        if (!readerFault) {
            EXPECT_EQ(view().shown.back().size(), 2U);
        }
        EXPECT_EQ(std::filesystem::exists(requestFile()), !c.reply.has_value());
        // The throttle stays open: the next command asks again.
        run("upcoming [1 10 1]");
        EXPECT_EQ(http.urls().size(), 3U);
        EXPECT_EQ(station.upcoming().model().events().size(), 2U);
        clock.time = kNow;
        resetWorkstation();
    }
}

TEST_F(UpcomingCommandsTest, TheKeyIsAskedForOnlyWhenThereIsNone) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    workstation(http).config().SetUIDKey("");
    // Cancelled: nothing is sent, nothing said, and the command goes on with no matches.
    EXPECT_EQ(run("upcoming [1 10 1]"), Lines{kNoMatches});
    EXPECT_TRUE(http.urls().empty());

    AcceptingKeyPrompt accepting;
    workstation(http).upcoming().attachFrontEnd({view(), accepting, runner});
    EXPECT_EQ(run("upcoming [1 10 1]"), Lines{kRetrieving});
    EXPECT_EQ(accepting.asked, 1);
    EXPECT_EQ(workstation(http).config().GetUIDKey(), "demo");
}

TEST_F(UpcomingCommandsTest, ARequestFileThatCannotBeWrittenEndsTheExchange) {
    testing::ScriptedHttpClient http;
    workstation(http);
    std::filesystem::create_directory(requestFile());
    EXPECT_EQ(run("upcoming [1 10 1]"), (Lines{"Error: Cannot create temporary file.", kNoMatches}));
    EXPECT_TRUE(http.urls().empty());
}

// The request file under every fault of the table: nothing is sent, the old
// file stays byte for byte with nothing beside it, the user reads the error and
// the command goes on with the matches it has (none here).
class UpcomingRequestFileFaults : public UpcomingCommandsTest,
                                  public ::testing::WithParamInterface<testing::SaveFault> {};

TEST_P(UpcomingRequestFileFaults, SendNothingAndKeepTheOldFile) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    workstation(http);
    const testing::SaveFaultScene scene(GetParam(), files, requestFile(), "request=download&uid=old");
    Lines lines;
    scene.save([&] { lines = run("upcoming [1 10 1]"); });
    EXPECT_EQ(lines, (Lines{"Error: Cannot create temporary file.", kNoMatches}));
    EXPECT_TRUE(http.urls().empty());
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, UpcomingRequestFileFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

TEST_F(UpcomingCommandsTest, RuleFaultsEndTheCommandAfterTheWindowIsCleared) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    workstation(http);
    run("upcoming [1 10 1]");
    // Undefined for the first match only: warned about once, the other one listed.
    EXPECT_EQ(run("pe_upcoming 1/(odds1-1.5)>0?bet2"), Lines{"Warning: domain error"});
    EXPECT_EQ(view().shown.back(), Lines{"Even - Match bet2"});

    const int shown = static_cast<int>(view().shown.size());
    EXPECT_EQ(run("pe_upcoming odds1>>2?bet1"), Lines{"Error : Error in expression"});
    EXPECT_EQ(static_cast<int>(view().shown.size()), shown);
    EXPECT_EQ(view().closed, 3);
    EXPECT_TRUE(workstation(http).upcoming().listing().rows().empty());
}

TEST_F(UpcomingCommandsTest, TheResearchDomainsRestrictionsApplyToUpcomingMatches) {
    testing::ScriptedHttpClient http;
    http.answer(kPath, UpcomingReply(kDocument));
    workstation(http);
    run("rsr odds1>1.6");
    EXPECT_EQ(run("upcoming [1 10 1]"), (Lines{kRetrieving}));
    EXPECT_EQ(view().shown.back(), Lines{"Even - Match bet1"});
}

TEST_F(UpcomingCommandsTest, TheServiceListsNothingForAKnownKeyAndTellsAnUnknownOne) {
    testing::RunningService service;
    CurlHttpClient http;
    const auto host = ServiceHost::parse(service.host());
    ASSERT_TRUE(host);
    workstation(http, *host);
    const std::string retrieving = "Retrieving upcoming matches from remote host " + service.host() + "...";
    EXPECT_EQ(run("upcoming [1 10 1]"), (Lines{retrieving, kNoMatches}));
    EXPECT_FALSE(std::filesystem::exists(requestFile()));

    clock.time += 600;
    workstation(http, *host).config().SetUIDKey("nobody");
    EXPECT_EQ(run("upcoming [1 10 1]"), (Lines{retrieving, "Error : Unknown identity key", kNoMatches}));
}

}  // namespace
}  // namespace karvola
