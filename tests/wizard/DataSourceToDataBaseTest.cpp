#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/FileSystem.h"
#include "expressions/NumericExpression.h"
#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/TemporaryDirectory.h"
#include "wizard/ConversionFixtures.h"
#include "wizard/DataBaseCreation.h"
#include "wizard/DataSourceToDataBase.h"

namespace karvola {
namespace {

using testing::CrLfLines;
using testing::FolderEntries;
using testing::ReadFileContent;
using testing::SourceRecord;
using testing::WriteFileContent;

// 2009-04-07 00:00:00 UTC.
constexpr std::string_view kTime = "1239062400";
constexpr std::string_view kOldBase = "what the base held before\r\n";

std::string BaseRecord(std::string_view date, std::string_view team1, std::string_view team2, std::string_view odds1,
                       std::string_view odds0, std::string_view odds2, std::string_view result) {
    return CrLfLines({date, "England, Premier League", team1, team2, odds1, odds0, odds2, result, "0"});
}

// A clock that moves on by a fixed step at every reading.
class SteppingClock final : public Clock {
public:
    explicit SteppingClock(std::time_t step) : m_step(step) {}
    [[nodiscard]] std::time_t now() const override {
        const std::time_t now = m_now;
        m_now += m_step;
        return now;
    }

private:
    std::time_t m_step;
    mutable std::time_t m_now = 1'700'000'000;
};

// Records of equal length, so that each moves the read position by the same amount.
std::string EqualRecords(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char home[16];
        std::snprintf(home, sizeof home, "Home%04d", i);
        text += SourceRecord(std::to_string(1239062400 + i), home, "Away", "1", "0", {"B365", "1.50", "3.40", "6.50"});
    }
    return text;
}

// A source and a base of the test's own, the base already holding a file.
class ConversionTest : public ::testing::Test {
protected:
    ConversionTest() { WriteFileContent(basePath(), kOldBase); }

    [[nodiscard]] std::filesystem::path sourcePath() const { return folder.path() / "source.txt"; }
    [[nodiscard]] std::filesystem::path basePath() const { return folder.path() / "base.txt"; }

    DataSourceToDataBase converter(std::vector<std::string> bookmakers, int offset = 0) {
        DataSourceToDataBase result(files, *clock);
        result.SetSourceFileName(sourcePath().string());
        result.SetBaseFileName(basePath().string());
        result.SetSelectedBookmakers(std::move(bookmakers));
        result.SetMode(DataSourceToDataBase::kConvertMode);
        result.SetStopFlag(stop);
        result.SetTimeZoneOffset(offset);
        return result;
    }

    bool convert(const std::string& source, std::vector<std::string> bookmakers, int offset = 0) {
        WriteFileContent(sourcePath(), source);
        return converter(std::move(bookmakers), offset).Convert();
    }

    // The old base and the source, and nothing a conversion could have left.
    void expectOldBaseOnly() const {
        EXPECT_EQ(ReadFileContent(basePath()), kOldBase);
        EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"base.txt", "source.txt"}));
    }

    testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    std::unique_ptr<Clock> clock = std::make_unique<testing::FixedClock>(1'700'000'000);
    std::atomic<bool> stop = false;
};

// A complete record: lines 1 to 12.
const std::vector<std::string> kRecordLines = {std::string(kTime),
                                               "Man United",
                                               "Leicester",
                                               "Premier League",
                                               "England",
                                               "2",
                                               "1",
                                               "B365",
                                               "1.57",
                                               "3.9",
                                               "7.5",
                                               "####"};

std::string FirstLines(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += kRecordLines[i] + "\r\n";
    return text;
}

std::string WithLine(std::size_t number, std::string_view line) {
    std::vector<std::string> lines = kRecordLines;
    lines[number - 1] = line;
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

struct FailureCase {
    const char* name;
    std::optional<std::string> source;  // nothing: the file does not exist
    const char* message;
};

TEST_F(ConversionTest, MalformedSourcesFailWithTheirMessageAndLeaveTheOldBase) {
    const std::string good = FirstLines(12);
    const FailureCase cases[] = {
        {"no file", std::nullopt, "Unable to load data source file"},
        {"empty file", "", "Unable to load data source file"},
        {"timestamp only", FirstLines(1), "Invalid data source file1"},
        {"second line after the last line end", FirstLines(1) + "Man United", "Invalid data source file1"},
        {"no away team", FirstLines(2), "Invalid data source file2"},
        {"no second category part", FirstLines(3), "Invalid data source file3"},
        {"no first category part", FirstLines(4), "Invalid data source file4"},
        {"no home goals", FirstLines(5), "Invalid data source file5"},
        {"star and no away goals", FirstLines(5) + "*\r\n", "Invalid data source file6_1"},
        {"no away goals", FirstLines(6), "Invalid data source file6"},
        {"nothing after the goals", FirstLines(7), "Invalid data source file7"},
        {"name without odds", FirstLines(8), "Invalid data source file8"},
        {"no draw odds", FirstLines(9), "Invalid data source file9"},
        {"no away odds", FirstLines(10), "Invalid data source file10"},
        {"no end after an offer", FirstLines(11), "Invalid data source file11"},
        {"final extra line end", good + "\r\n", "Invalid data source file1"},
        {"second record cut short", good + FirstLines(7), "Invalid data source file7"},
        // Whole numbers, by the line at fault.
        {"timestamp with a letter", WithLine(1, "12390x2400"),
         "Invalid data source file: line 1 is not a whole number"},
        {"empty timestamp", WithLine(1, ""), "Invalid data source file: line 1 is not a whole number"},
        {"negative timestamp", WithLine(1, "-1"), "Invalid data source file: line 1 is out of range"},
        {"timestamp past 32 bits", WithLine(1, "4294967296"), "Invalid data source file: line 1 is out of range"},
        {"second record's timestamp", good + WithLine(1, "soon"),
         "Invalid data source file: line 13 is not a whole number"},
        {"empty home goals", WithLine(6, ""), "Invalid data source file: line 6 is not a whole number"},
        {"goals with a fraction", WithLine(6, "2.0"), "Invalid data source file: line 6 is not a whole number"},
        {"goals after a blank", WithLine(6, " 2"), "Invalid data source file: line 6 is not a whole number"},
        {"away goals text", WithLine(7, "one"), "Invalid data source file: line 7 is not a whole number"},
        {"goals past int", WithLine(6, "99999999999"), "Invalid data source file: line 6 is out of range"},
        {"a bad number wins over a later missing line", FirstLines(5) + "x\r\n",
         "Invalid data source file: line 6 is not a whole number"},
        // Odds of a selected bookmaker go through the evaluator, with its errors.
        {"unreadable odds", WithLine(10, "3.9x"), "Error in expression"},
        {"odds out of the evaluator's domain", WithLine(9, "1/0"), "Domain error"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(sourcePath());
        auto conversion = converter({"B365"});
        if (c.source) WriteFileContent(sourcePath(), *c.source);
        try {
            conversion.Convert();
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(ReadFileContent(basePath()), kOldBase);
        const auto entries = FolderEntries(folder.path());
        EXPECT_EQ(entries.size(), c.source ? 2U : 1U) << "a temporary file was left";
    }
}

struct EdgeCase {
    const char* name;
    std::string source;
    std::vector<std::string> bookmakers;
    int offset;
    std::string base;
};

TEST_F(ConversionTest, WritesTheBestOddsOfTheSelectedBookmakers) {
    const std::string arsenal = SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"B365", "1.5", "3.4", "6.5"});
    const std::string arsenalWritten = BaseRecord("07/04/2009", "Arsenal", "Chelsea", "1.5", "3.4", "6.5", "1");
    const EdgeCase cases[] = {
        {"only unselected bookmakers", arsenal, {"BW"}, 0, ""},
        {"no offers", SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {}), {"B365"}, 0, ""},
        {"names compare exactly", arsenal, {"b365"}, 0, ""},
        {"each option's best from any selected offer",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1",
                      {"B365", "1.5", "3.4", "6.5", "BW", "1.6", "3.3", "7.0", "IW", "1.7", "3.6", "8.0"}),
         {"BW", "B365"},
         0,
         BaseRecord("07/04/2009", "Arsenal", "Chelsea", "1.6", "3.4", "7.0", "1")},
        {"equal odds keep the first offer's text",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"B365", "2.10", "3.4", "3.0", "BW", "2.1", "3.40", "3"}),
         {"BW", "B365"},
         0,
         BaseRecord("07/04/2009", "Arsenal", "Chelsea", "2.10", "3.4", "3.0", "1")},
        {"odds compared as 32-bit floats",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1",
                      {"B365", "2.0000000001", "3.4", "3.0", "BW", "2.0000000002", "3.4", "3.0"}),
         {"BW", "B365"},
         0,
         BaseRecord("07/04/2009", "Arsenal", "Chelsea", "2.0000000001", "3.4", "3.0", "1")},
        {"decimal comma and expressions, texts kept",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"B365", "2,5", "3/1", "2.9", "BW", "2.4", "2.9", "3,1"}),
         {"B365", "BW"},
         0,
         BaseRecord("07/04/2009", "Arsenal", "Chelsea", "2,5", "3/1", "3,1", "1")},
        {"unselected odds are not evaluated",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"XX", "?", "?", "?", "B365", "1.5", "3.4", "6.5"}),
         {"B365"},
         0,
         arsenalWritten},
        {"zero odds for an option",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"B365", "1.5", "0", "6.5"}),
         {"B365"},
         0,
         ""},
        {"duplicate key: the first record",
         arsenal + SourceRecord(kTime, "Arsenal", "Chelsea", "0", "0", {"B365", "9.0", "9.0", "9.0"}),
         {"B365"},
         0,
         arsenalWritten},
        {"keys whose texts run together alike are two matches",
         SourceRecord("123906240", "0Arsenal", "Chelsea", "2", "1", {"B365", "1.5", "3.4", "6.5"}) + arsenal,
         {"B365"},
         0,
         BaseRecord("05/12/1973", "0Arsenal", "Chelsea", "1.5", "3.4", "6.5", "1") + arsenalWritten},
        {"a record without odds does not take its key",
         SourceRecord(kTime, "Arsenal", "Chelsea", "2", "1", {"BW", "1.5", "3.4", "6.5"}) + arsenal,
         {"B365"},
         0,
         arsenalWritten},
        {"results; matches not played are left out, not drawn",
         SourceRecord("1239062401", "A", "B", "0", "0", {"B365", "2", "3", "4"}) +
             SourceRecord("1239062402", "A", "B", "1", "3", {"B365", "2", "3", "4"}) +
             SourceRecord("1239062403", "A", "B", "*", "not read", {"B365", "2", "3", "4"}) +
             SourceRecord("1239062404", "A", "B", "*7", "", {"B365", "2", "3", "4"}),
         {"B365"},
         0,
         BaseRecord("07/04/2009", "A", "B", "2", "3", "4", "0") +
             BaseRecord("07/04/2009", "A", "B", "2", "3", "4", "2")},
        {"GMT+2", arsenal, {"B365"}, 7200, arsenalWritten},
        {"GMT-1", arsenal, {"B365"}, -3600, BaseRecord("06/04/2009", "Arsenal", "Chelsea", "1.5", "3.4", "6.5", "1")},
        {"text after the last line end", arsenal + "1239062400", {"B365"}, 0, arsenalWritten},
        {"LF line ends only",
         "1239062400\nArsenal\nChelsea\nPremier League\nEngland\n2\n1\nB365\n1.5\n3.4\n6.5\n####\n",
         {"B365"},
         0,
         ""},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(basePath());
        // No match to write: a base that could not be loaded is not made, and
        // the conversion says why instead of reporting a success.
        if (c.base.empty()) {
            try {
                convert(c.source, c.bookmakers, c.offset);
                ADD_FAILURE() << "no error";
            } catch (const std::logic_error& error) {
                EXPECT_STREQ(error.what(), DataSourceToDataBase::kNoMatchWithOdds);
            }
            EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"source.txt"}));
            continue;
        }
        EXPECT_TRUE(convert(c.source, c.bookmakers, c.offset));
        EXPECT_EQ(ReadFileContent(basePath()), c.base);
        EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"base.txt", "source.txt"}));
    }
}

TEST_F(ConversionTest, ManyMatchesKeepEveryFirstKey) {
    // Enough keys to grow the key table several times; every third record repeats an earlier one.
    std::string source;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        const int match = i % 3 == 2 ? i - 2 : i;
        const std::string home = "Home" + std::to_string(match);
        source += SourceRecord(kTime, home, "Away", "1", "1", {"B365", std::to_string(i + 2), "3", "4"});
        if (match == i) expected += BaseRecord("07/04/2009", home, "Away", std::to_string(i + 2), "3", "4", "0");
    }
    EXPECT_TRUE(convert(source, {"B365"}));
    EXPECT_EQ(ReadFileContent(basePath()), expected);
}

TEST_F(ConversionTest, OtherModesConvertNothing) {
    WriteFileContent(sourcePath(), EqualRecords(3));
    auto conversion = converter({"B365"});
    conversion.SetMode(0);
    EXPECT_FALSE(conversion.Convert());
    expectOldBaseOnly();
}

TEST_F(ConversionTest, StopFlagEndsTheWorkAtTheNextRecordAndKeepsTheOldBase) {
    WriteFileContent(sourcePath(), EqualRecords(1000));
    auto conversion = converter({"B365"});
    int lastPosition = -1;
    conversion.SetProgressBar([&](int position, const std::string&) {
        lastPosition = position;
        if (position >= 50) stop = true;
    });
    EXPECT_FALSE(conversion.Convert());
    EXPECT_FALSE(stop) << "the flag is cleared";
    EXPECT_EQ(lastPosition, 50);
    expectOldBaseOnly();
}

TEST_F(ConversionTest, StopFlagSetBeforehandStopsAfterTheFirstRecord) {
    WriteFileContent(sourcePath(), EqualRecords(10));
    auto conversion = converter({"B365"});
    std::vector<int> positions;
    conversion.SetProgressBar([&](int position, const std::string&) { positions.push_back(position); });
    stop = true;
    EXPECT_FALSE(conversion.Convert());
    EXPECT_EQ(positions, std::vector<int>{10});
    EXPECT_FALSE(stop);
    expectOldBaseOnly();
}

TEST_F(ConversionTest, BaseThatCannotBeWrittenIsAnError) {
    struct Case {
        const char* name;
        void (*breakDisk)(testing::FaultyFileSystem& disk, const std::filesystem::path& base);
        const char* message;
    };
    const Case cases[] = {
        {"not created",
         [](auto& disk, const auto& base) {
             disk.onlyFile = base;
             disk.refuseReplacing = true;
         },
         "Unable to create data base file"},
        {"full at the start", [](auto& disk, const auto&) { disk.failWriteAfter = 0; },
         "Unable to write data base file"},
        // Beyond the first piece of output, so that a write in the middle fails.
        {"full midway", [](auto& disk, const auto&) { disk.failWriteAfter = 100'000; },
         "Unable to write data base file"},
        {"not renamed", [](auto& disk, const auto&) { disk.failFlush = true; }, "Unable to write data base file"},
    };
    WriteFileContent(sourcePath(), EqualRecords(3000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.heal();
        c.breakDisk(files, basePath());
        auto conversion = converter({"B365"});
        try {
            conversion.Convert();
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        expectOldBaseOnly();
    }
}

TEST_F(ConversionTest, ProgressRisesToOneHundredWithItsHint) {
    WriteFileContent(sourcePath(), EqualRecords(300));
    auto conversion = converter({"B365"});
    std::vector<std::pair<int, std::string>> shown;
    conversion.SetProgressBar([&](int position, const std::string& hint) { shown.emplace_back(position, hint); });
    EXPECT_TRUE(conversion.Convert());
    ASSERT_FALSE(shown.empty());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].second, std::to_string(shown[i].first) + "%");
        if (i > 0) {
            EXPECT_GT(shown[i].first, shown[i - 1].first);
        }
    }
    EXPECT_EQ(shown.back().first, 100);
    EXPECT_GE(shown.size(), 95U);
}

TEST_F(ConversionTest, EstimateEveryHundredRecordsFromTheElapsedSeconds) {
    // 200 equal records and 10 seconds between readings of the clock: half the
    // source in 10 seconds leaves 10, the whole in 20 leaves none.
    WriteFileContent(sourcePath(), EqualRecords(200));
    clock = std::make_unique<SteppingClock>(10);
    auto conversion = converter({"B365"});
    std::vector<std::string> captions;
    conversion.SetStatusLabel([&](const std::string& caption) { captions.push_back(caption); });
    EXPECT_TRUE(conversion.Convert());
    EXPECT_EQ(captions, (std::vector<std::string>{"Loading datasource file...", "Estimated time remaining: 10 seconds.",
                                                  "Estimated time remaining: 0 seconds."}));

    // A clock that has not moved shows no estimate.
    clock = std::make_unique<testing::FixedClock>(1'700'000'000);
    captions.clear();
    auto still = converter({"B365"});
    still.SetStatusLabel([&](const std::string& caption) { captions.push_back(caption); });
    EXPECT_TRUE(still.Convert());
    EXPECT_EQ(captions, std::vector<std::string>{"Loading datasource file..."});
}

TEST(RemainingTime, HoursAndMinutesOnlyWhenNotZero) {
    const std::pair<int, const char*> cases[] = {
        {0, "Estimated time remaining: 0 seconds."},
        {59, "Estimated time remaining: 59 seconds."},
        {125, "Estimated time remaining: 2 minutes, 5 seconds."},
        {3600, "Estimated time remaining: 1 hours, 0 seconds."},
        {3661, "Estimated time remaining: 1 hours, 1 minutes, 1 seconds."},
        {90000, "Estimated time remaining: 25 hours, 0 seconds."},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatRemainingTime(seconds), text) << seconds;
}

TEST(EvaluateOdds, SameFloatAsTheEvaluator) {
    const std::string longest = "0." + std::string(96, '0') + "1";  // the evaluator's longest number
    const std::string texts[] = {"1.57",     "3,9",  "10.0",         "007",
                                 "1.",       ".5",   "2.0000000001", "1.1000000238418579",
                                 "16777217", "0",    "0.000",        "123456789012345678901234567890",
                                 " 1.5",     "1.5 ", "1e2",          "3/2",
                                 "2*1.1",    "-1.5", "EXP(1)",       "",
                                 longest};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(EvaluateOdds(text), static_cast<float>(EvaluateNumericExpression(text)));
    }
    const std::string tooLong = longest + "1";
    for (const std::string& text : {std::string("abc"), std::string("1.2.3"), std::string("1,,5"), tooLong}) {
        EXPECT_THROW(static_cast<void>(EvaluateOdds(text)), std::logic_error) << "'" << text << "'";
    }
}

// The real data: converting each data source with every bookmaker of its
// descriptor in UTC gives the recorded data base byte for byte.
class RealData : public ::testing::TestWithParam<const char*> {};

TEST_P(RealData, ReproducesTheRecordedBase) {
    const std::filesystem::path shared = KARVOLA_SHARED_DATA_DIR;
    const std::filesystem::path source = shared / "datasource" / (std::string(GetParam()) + ".txt");
    const std::filesystem::path recorded = shared / "database" / (std::string(GetParam()) + ".txt");
    if (!std::filesystem::exists(source) || !std::filesystem::exists(recorded)) GTEST_SKIP() << "no " << source;

    testing::TemporaryDirectory folder;
    LocalFileSystem files;
    const auto bookmakers = ReadDataSourceDescriptor(files, source);
    ASSERT_TRUE(bookmakers && !bookmakers->empty());
    testing::FixedClock clock(1'700'000'000);
    DataSourceToDataBase conversion(files, clock);
    conversion.SetSourceFileName(source.string());
    conversion.SetBaseFileName((folder.path() / "base.txt").string());
    conversion.SetSelectedBookmakers(*bookmakers);
    conversion.SetMode(DataSourceToDataBase::kConvertMode);
    ASSERT_TRUE(conversion.Convert());
    EXPECT_TRUE(ReadFileContent(folder.path() / "base.txt") == ReadFileContent(recorded));
}

INSTANTIATE_TEST_SUITE_P(Shared, RealData, ::testing::Values("sample", "europe5"),
                         [](const auto& test) { return std::string(test.param); });

}  // namespace
}  // namespace karvola
