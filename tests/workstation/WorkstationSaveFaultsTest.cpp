#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/FixedClock.h"
#include "support/RecordingSink.h"
#include "support/SaveFaults.h"
#include "support/ScriptedHttpClient.h"
#include "support/TemporaryDirectory.h"
#include "workstation/Workstation.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kOldConfiguration =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<KarvolaConfiguration>\r\n"
    "\t<BNDValue>7</BNDValue>\r\n</KarvolaConfiguration>\r\n";
constexpr const char* kDownloading = "Downloading sportsbooks informations from remote host 127.0.0.1:8470 ...";

// The two files the workstation writes in the application directory itself,
// each under every fault of the table.
class WorkstationSaveFaults : public ::testing::TestWithParam<testing::SaveFault> {
protected:
    Workstation& workstation() {
        if (!m_workstation) {
            m_workstation = std::make_unique<Workstation>(
                WorkstationSettings{.applicationDirectory = home.path(), .decimalSeparator = '.', .service = {}}, sink,
                files, clock, http);
        }
        return *m_workstation;
    }

    testing::TemporaryDirectory home;
    testing::FaultyFileSystem files;
    testing::RecordingSink sink;
    testing::FixedClock clock{1'262'304'000};
    testing::ScriptedHttpClient http;

private:
    std::unique_ptr<Workstation> m_workstation;
};

// The configuration at the end of the program: the old file stays and the
// terminal says the save failed.
TEST_P(WorkstationSaveFaults, ConfigurationKeepsTheOldFileAndSaysSo) {
    Workstation& station = workstation();
    const testing::SaveFaultScene scene(GetParam(), files, home.path() / MatchConfig::kFileName, kOldConfiguration);
    sink.clearScreen();

    bool saved = true;
    scene.save([&] { saved = station.saveConfiguration(); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(sink.lines(), Lines{"Error : Could not save configuration!"});
    scene.expectUnchanged();
}

// The bookmaker directory's cache at start-up: the old cache stays, the run has
// the downloaded directory, and the start-up says the cache was not saved,
// right after the download's line.
TEST_P(WorkstationSaveFaults, DirectoryCacheKeepsTheOldFileAndTheStartUpSaysSo) {
    const fs::path cache = home.path() / "links.b64";
    const testing::SaveFaultScene scene(GetParam(), files, cache, "old cache\r\n");
    http.answer("/referals.txt", "[ID]NEW[/ID][LINK]https://new.example/[/LINK]\n");

    Workstation& station = workstation();
    scene.save([&] { station.startUp(); });
    scene.expectUnchanged();
    EXPECT_EQ(station.directory().GetLink("NEW"), "https://new.example/");
    const std::string warning = "Warning: Could not save sportsbooks informations to " + cache.string() +
                                ": a run without the remote host will show the older ones.";
    EXPECT_EQ(station.directoryWarning(), warning);
    const Lines lines = sink.lines();
    const auto downloading = std::find(lines.begin(), lines.end(), kDownloading);
    ASSERT_GE(std::distance(downloading, lines.end()), 3);
    EXPECT_EQ(Lines(downloading + 1, downloading + 3), (Lines{warning, "Loading local database..."}));
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, WorkstationSaveFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

// A cache that was written says nothing.
TEST(WorkstationDirectoryCache, ASavedCacheGivesNoWarning) {
    const testing::TemporaryDirectory home;
    LocalFileSystem files;
    testing::RecordingSink sink;
    const testing::FixedClock clock{1'262'304'000};
    testing::ScriptedHttpClient http;
    http.answer("/referals.txt", "[ID]NEW[/ID][LINK]https://new.example/[/LINK]\n");
    Workstation station({.applicationDirectory = home.path(), .decimalSeparator = '.', .service = {}}, sink, files,
                        clock, http);
    station.startUp();
    EXPECT_TRUE(fs::exists(home.path() / "links.b64"));
    EXPECT_EQ(station.directoryWarning(), std::nullopt);
    const Lines lines = sink.lines();
    const auto downloading = std::find(lines.begin(), lines.end(), kDownloading);
    ASSERT_GE(std::distance(downloading, lines.end()), 2);
    EXPECT_EQ(*(downloading + 1), "Loading local database...");
}

}  // namespace
}  // namespace karvola
