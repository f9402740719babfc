#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Base64.h"
#include "common/FileSystem.h"
#include "directory/AffiliateLinks.h"
#include "service/RunningService.h"
#include "support/FaultyFileSystem.h"
#include "support/FileContent.h"
#include "support/SaveFaults.h"
#include "support/ScriptedHttpClient.h"
#include "support/TemporaryDirectory.h"
#include "web/CurlHttpClient.h"

namespace karvola {
namespace {

using testing::ReadFileContent;
using testing::WriteFileContent;

struct Entry {
    std::string key;
    std::string link;
    std::string state;
    std::string rating;
};

void ExpectEntries(const AffiliateLinks& links, const std::vector<Entry>& entries) {
    for (const auto& entry : entries) {
        SCOPED_TRACE("key '" + entry.key + "'");
        EXPECT_EQ(links.GetLink(entry.key), entry.link);
        EXPECT_EQ(links.GetState(entry.key), entry.state);
        EXPECT_EQ(links.GetRating(entry.key), entry.rating);
    }
}

// The directory as the program starts it: the service on a loopback port and
// an application directory of the test's own.
class AffiliateLinksTest : public ::testing::Test {
protected:
    AffiliateLinks start(FileSystem& files) {
        return AffiliateLinks(home.path(), http, *ServiceHost::parse(service.host()), files);
    }
    AffiliateLinks start() { return start(disk); }
    // A run whose connection is refused: nothing listens on the discard port.
    AffiliateLinks startUnreachable() {
        return AffiliateLinks(home.path(), http, *ServiceHost::parse("127.0.0.1:9"), disk);
    }

    void serve(std::string_view directory) { WriteFileContent(service.content() / "referals.txt", directory); }
    [[nodiscard]] std::filesystem::path cache() const { return home.path() / "links.b64"; }

    testing::RunningService service;
    testing::TemporaryDirectory home;
    CurlHttpClient http;
    LocalFileSystem disk;
};

TEST_F(AffiliateLinksTest, ReadsEachLineElementByElementUntilAClosingTagIsMissing) {
    const std::string directory =
        "[ID]B365[/ID][LINK]https://www.bet365.com/[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\r\n"
        "[ID]BS[/ID][LINK]empty[/LINK][STATE]CLOSED[/STATE][RATED]E[/RATED]\r\n"
        "[ID]B365[/ID][LINK]https://second.example/[/LINK][STATE]CLOSED[/STATE][RATED]F[/RATED]\r\n"
        "[ID]NOLINK[/ID][STATE]ON LINE[/STATE][RATED]A[/RATED]\r\n"
        "[ID]LINKONLY[/ID][LINK]https://linkonly.example/[/LINK]\r\n"
        "[ID]NORATING[/ID][LINK]https://norating.example/[/LINK][STATE]STACJONARNY[/STATE]\r\n"
        "[ID]EMPTYLINK[/ID][LINK][/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\r\n"
        "[ID][/ID][LINK]https://noid.example/[/LINK]\r\n"
        "a line without tags\r\n"
        "before [ID] LB [/ID] between [LINK]https://lb.example/[/LINK][STATE]NOT FOUND[/STATE][RATED]B[/RATED] after\n"
        "[ID]x\n"
        "[ID]AFTER[/ID][LINK]https://after.example/[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\n";
    serve(directory);

    const AffiliateLinks links = start();
    ExpectEntries(links, {
                             {"B365", "https://www.bet365.com/", "ON LINE", "A"},  // the first line wins
                             {"BS", "empty", "CLOSED", "E"},
                             {"NOLINK", "", "", ""},
                             {"LINKONLY", "https://linkonly.example/", "", ""},
                             {"NORATING", "https://norating.example/", "STACJONARNY", ""},
                             {"EMPTYLINK", "", "", ""},
                             {"", "", "", ""},
                             {" LB ", "https://lb.example/", "NOT FOUND", "B"},  // keys keep their blanks
                             {"LB", "", "", ""},
                             {"x", "", "", ""},
                             {"AFTER", "", "", ""},  // after the cut line
                         });
    // The cache holds the body as it came, in one line.
    EXPECT_EQ(ReadFileContent(cache()), EncodeBase64Url(directory));
}

TEST_F(AffiliateLinksTest, TheCacheServesARunThatCannotReachTheService) {
    const AffiliateLinks online = start();
    ASSERT_EQ(online.GetLink("B365"), "https://www.bet365.com/");
    const std::string cached = ReadFileContent(cache());
    service.stop();

    const AffiliateLinks offline = start();
    EXPECT_EQ(offline, online);
    EXPECT_EQ(ReadFileContent(cache()), cached);
}

TEST_F(AffiliateLinksTest, NoServiceAndNoCacheGiveAnEmptyDirectoryAtOnce) {
    const auto began = std::chrono::steady_clock::now();
    const AffiliateLinks links = startUnreachable();
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_TRUE(links.empty());
    EXPECT_EQ(links.GetLink("B365"), "");
    EXPECT_FALSE(std::filesystem::exists(cache()));
    // A refused connection must not hold up the start-up.
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}

// A service that answers with an error page or nothing at all must not cost the
// user the directory the last good download left.
TEST_F(AffiliateLinksTest, AReplyWithoutEntriesLeavesTheCacheAsItWas) {
    const AffiliateLinks good = start();
    const std::string cached = ReadFileContent(cache());
    ASSERT_FALSE(good.empty());

    struct Case {
        const char* name;
        std::optional<std::string> content;  // nothing: the file is gone and the service answers 404
    };
    const Case cases[] = {
        {"error page", std::nullopt},
        {"empty body", ""},
        {"page without tags", "<html><body>Service Unavailable</body></html>\n"},
        {"ids without links", "[ID]B365[/ID][STATE]CLOSED[/STATE]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content) {
            serve(*c.content);
        } else {
            std::filesystem::remove(service.content() / "referals.txt");
        }
        EXPECT_EQ(start(), good);
        EXPECT_EQ(ReadFileContent(cache()), cached);
    }
    // Without a cache such a reply is no directory, and nothing is cached.
    std::filesystem::remove(cache());
    EXPECT_TRUE(start().empty());
    EXPECT_FALSE(std::filesystem::exists(cache()));
}

TEST_F(AffiliateLinksTest, AFailedCacheWriteKeepsTheOldCacheAndUsesTheDownload) {
    start();
    const std::string cached = ReadFileContent(cache());
    serve("[ID]NEW[/ID][LINK]https://new.example/[/LINK][STATE]ON LINE[/STATE][RATED]C[/RATED]\n");

    testing::FaultyFileSystem unwritable;
    unwritable.refuseReplacing = true;
    const AffiliateLinks links = start(unwritable);
    EXPECT_EQ(ReadFileContent(cache()), cached);
    ExpectEntries(links, {{"NEW", "https://new.example/", "ON LINE", "C"}, {"B365", "", "", ""}});
    EXPECT_EQ(links.unsavedCache(), cache());
    EXPECT_EQ(start().unsavedCache(), std::nullopt);
}

// The cache under every fault of the table: the old cache stays byte for byte
// with nothing beside it, this run has the downloaded directory, and the
// directory names the cache it could not save (the start-up tells the user).
class AffiliateLinksCacheFaults : public ::testing::TestWithParam<testing::SaveFault> {};

TEST_P(AffiliateLinksCacheFaults, KeepTheOldCacheAndNameIt) {
    const testing::TemporaryDirectory home;
    testing::FaultyFileSystem files;
    const auto cache = home.path() / "links.b64";
    const std::string old = EncodeBase64Url("[ID]OLD[/ID][LINK]https://old.example/[/LINK]\n");
    const testing::SaveFaultScene scene(GetParam(), files, cache, old);
    testing::ScriptedHttpClient http;
    http.answer("/referals.txt", "[ID]NEW[/ID][LINK]https://new.example/[/LINK][STATE]ON LINE[/STATE]\n");

    std::optional<AffiliateLinks> links;
    scene.save([&] { links.emplace(home.path(), http, ServiceHost::defaultHost(), files); });
    scene.expectUnchanged();
    ExpectEntries(*links, {{"NEW", "https://new.example/", "ON LINE", ""}, {"OLD", "", "", ""}});
    EXPECT_EQ(links->unsavedCache(), cache);
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, AffiliateLinksCacheFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

// The cache's first run of non-blank characters is the directory; what follows
// a blank is not read.
TEST_F(AffiliateLinksTest, TheCacheIsItsFirstRunOfNonBlankCharacters) {
    const std::string first = "[ID]A[/ID][LINK]https://a.example/[/LINK]";
    const std::string second = "[ID]B[/ID][LINK]https://b.example/[/LINK]";
    WriteFileContent(cache(), " \r\n\t" + EncodeBase64Url(first) + "\r\n" + EncodeBase64Url(second));
    const AffiliateLinks links = startUnreachable();
    ExpectEntries(links, {{"A", "https://a.example/", "", ""}, {"B", "", "", ""}});
}

TEST(AffiliateLinksParseTest, AMissingClosingTagEndsTheTextWithTheEntriesBeforeIt) {
    const AffiliateLinks links = AffiliateLinks::parse(
        "[ID]A[/ID][LINK]https://a.example/[/LINK]\n"
        "[ID]B[/ID][LINK]https://b.example/[/LINK][STATE]ON LINE\n"
        "[ID]C[/ID][LINK]https://c.example/[/LINK]");
    // B's link was stored before its state's closing tag was missed.
    ExpectEntries(links, {{"A", "https://a.example/", "", ""}, {"B", "https://b.example/", "", ""}, {"C", "", "", ""}});
    // The last line needs no line end.
    EXPECT_EQ(AffiliateLinks::parse("[ID]C[/ID][LINK]https://c.example/[/LINK]").GetLink("C"), "https://c.example/");
    EXPECT_TRUE(AffiliateLinks().empty());
}

TEST(AffiliateLinksParseTest, WhatTheWindowsOffer) {
    const AffiliateLinks links = AffiliateLinks::parse(
        "[ID]ON[/ID][LINK]https://on.example/[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\n"
        "[ID]NONE[/ID][LINK]empty[/LINK][STATE]NOT FOUND[/STATE]\n"
        "[ID]OFF[/ID][LINK]https://off.example/[/LINK][STATE]STACJONARNY[/STATE]\n"
        "[ID]GONE[/ID][LINK]empty[/LINK][STATE]CLOSED[/STATE]\n"
        "[ID]ODD[/ID][LINK]https://odd.example/[/LINK][STATE]SUSPENDED[/STATE]\n");
    struct Case {
        const char* key;
        bool homepage;
        bool stateInfo;
        const char* quickInfo;
    };
    const Case cases[] = {
        {"ON", true, true, "This is on-line and active bookmaker."},
        {"NONE", false, false, ""},
        {"OFF", true, true, "This is off-line and active bookmaker."},
        {"GONE", false, true, "This bookmaker is no longer active."},
        {"ODD", true, true, ""},
        {"UNKNOWN", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(links.hasHomepage(c.key), c.homepage);
        EXPECT_EQ(links.hasStateInfo(c.key), c.stateInfo);
        EXPECT_EQ(AffiliateLinks::quickInfo(links.GetState(c.key)), c.quickInfo);
    }
}

}  // namespace
}  // namespace karvola
