#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/RecordingSink.h"
#include "support/TemporaryDirectory.h"
#include "wizard/ConversionFixtures.h"
#include "wizard/DataBaseCreation.h"

namespace karvola {
namespace {

using Outcome = DataBaseCreationResult::Outcome;
using testing::CrLfLines;
using testing::FolderEntries;
using testing::ReadFileContent;
using testing::SourceRecord;
using testing::WriteFileContent;

constexpr std::string_view kOldBase = "old base\r\n";

// A data source in a folder of its own, beside an old base of the chosen name.
class DataBaseCreationTest : public ::testing::Test {
protected:
    DataBaseCreationTest() {
        WriteFileContent(folder.path() / "source.txt",
                         SourceRecord("1239062400", "Arsenal", "Chelsea", "2", "1",
                                      {"WH", "1.6", "3.3", "6.0", "B365", "1.5", "3.4", "6.5"}));
        WriteFileContent(basePath(), kOldBase);
        request.sourceFileName = (folder.path() / "source.txt").string();
        request.baseFileName = basePath().string();
        request.bookmakers = {"WH", "B365"};
        reports.statusLabel = [this](const std::string& caption) { captions.push_back(caption); };
    }

    [[nodiscard]] std::filesystem::path basePath() const { return folder.path() / "top.txt"; }
    DataBaseCreationResult run() { return RunConversion(request, stop, reports, terminal, files, clock); }

    testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    testing::FixedClock clock{1'700'000'000};
    testing::RecordingSink terminal;
    DataBaseCreationRequest request;
    DataBaseCreationReports reports;
    std::vector<std::string> captions;
    std::atomic<bool> stop = false;
};

TEST_F(DataBaseCreationTest, CreatedBaseGetsItsDescriptorAndTheTerminalLine) {
    request.timeZoneOffset = -3600;
    const DataBaseCreationResult result = run();
    EXPECT_EQ(result.outcome, Outcome::Created);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(ReadFileContent(basePath()), CrLfLines({"06/04/2009", "England, Premier League", "Arsenal", "Chelsea",
                                                      "1.6", "3.4", "6.5", "1", "0"}));
    // In the order chosen, not sorted.
    EXPECT_EQ(ReadFileContent(folder.path() / "top.desc"), "WH\r\nB365\r\n");
    EXPECT_EQ(terminal.lines(),
              std::vector<std::string>{"Database '" + basePath().string() + "' has been successful created."});
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.back(), "");
    EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"source.txt", "top.desc", "top.txt"}));
}

// A match not played yet ("*" goals) would count as a draw in every backtest:
// it stays out of the base, and the terminal says how many did.
TEST_F(DataBaseCreationTest, MatchesWithoutAScoreAreLeftOutAndCounted) {
    const std::string fixture = SourceRecord("1239062500", "Spurs", "Fulham", "*", "*", {"WH", "2.0", "3.3", "4.0"});
    WriteFileContent(
        folder.path() / "source.txt",
        SourceRecord("1239062400", "Arsenal", "Chelsea", "2", "1", {"WH", "1.6", "3.3", "6.0"}) + fixture + fixture);
    EXPECT_EQ(run().outcome, Outcome::Created);
    EXPECT_EQ(ReadFileContent(basePath()), CrLfLines({"07/04/2009", "England, Premier League", "Arsenal", "Chelsea",
                                                      "1.6", "3.3", "6.0", "1", "0"}));
    EXPECT_EQ(terminal.lines(),
              (std::vector<std::string>{"Database '" + basePath().string() + "' has been successful created.",
                                        "2 matches without a score were left out."}));

    // A fixture list alone makes no base, and says why rather than blaming the bookmakers.
    WriteFileContent(folder.path() / "source.txt", fixture);
    WriteFileContent(basePath(), kOldBase);
    const DataBaseCreationResult fixturesOnly = run();
    EXPECT_EQ(fixturesOnly.outcome, Outcome::Failed);
    EXPECT_EQ(fixturesOnly.error, DataSourceToDataBase::kNoMatchWithScore);
    EXPECT_EQ(ReadFileContent(basePath()), kOldBase);
}

TEST_F(DataBaseCreationTest, StoppedCreationLeavesNoBaseBehind) {
    std::filesystem::remove(basePath());
    stop = true;
    const DataBaseCreationResult result = run();
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_FALSE(stop);
    EXPECT_EQ(terminal.lines(), std::vector<std::string>{"Database creation terminated."});
    EXPECT_EQ(captions.back(), "");
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"source.txt"});
}

TEST_F(DataBaseCreationTest, FailureGivesTheErrorTextAndLeavesTheOldBase) {
    struct Case {
        const char* name;
        std::string source;
        bool refuseDescriptor;
        const char* error;
    };
    const Case cases[] = {
        {"malformed source", CrLfLines({"1239062400", "Arsenal"}), false, "Invalid data source file2"},
        {"bad goals", SourceRecord("1239062400", "Arsenal", "Chelsea", "two", "1", {}), false,
         "Invalid data source file: line 6 is not a whole number"},
        // The descriptor is written before the base takes its name: without it the old base stays.
        {"descriptor not written", SourceRecord("1239062400", "Arsenal", "Chelsea", "2", "1", {"WH", "2", "3", "4"}),
         true, "Unable to create data base descriptor file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileContent(request.sourceFileName, c.source);
        WriteFileContent(basePath(), kOldBase);
        if (c.refuseDescriptor) {
            files.onlyFile = folder.path() / "top.desc";
            files.refuseReplacing = true;
        }
        captions.clear();
        const DataBaseCreationResult result = run();
        EXPECT_EQ(result.outcome, Outcome::Failed);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(ReadFileContent(basePath()), kOldBase);
        EXPECT_TRUE(terminal.lines().empty());
        EXPECT_NE(captions.back(), "") << "the status keeps its last text";
        EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"source.txt", "top.txt"}));
    }
}

TEST(DataSourceDescriptor, NamesOneALineOrNothingWithoutTheFile) {
    testing::TemporaryDirectory folder;
    LocalFileSystem files;
    WriteFileContent(folder.path() / "europe.desc", "B365\r\nBW\r\n\r\nVC");
    EXPECT_EQ(ReadDataSourceDescriptor(files, folder.path() / "europe.txt"),
              (std::vector<std::string>{"B365", "BW", "VC"}));
    EXPECT_EQ(ReadDataSourceDescriptor(files, folder.path() / "other.txt"), std::nullopt);
}

TEST(TimeZoneOffset, SecondsOfTheListEntries) {
    const std::pair<std::size_t, int> cases[] = {{0, 0}, {1, 3600}, {12, 43200}, {13, -39600}, {23, -3600}};
    for (const auto& [index, seconds] : cases) EXPECT_EQ(TimeZoneOffsetOfEntry(index), seconds) << index;
    EXPECT_EQ(TimeZoneOffsetOfEntry(24), std::nullopt);
    EXPECT_EQ(TimeZoneOffsetOfBias(-5), -18000);
}

}  // namespace
}  // namespace karvola
