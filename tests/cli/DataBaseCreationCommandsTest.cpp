#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataBaseCreationCommands.h"
#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/RecordingSink.h"
#include "support/TemporaryDirectory.h"

namespace karvola::cli {
namespace {

using Lines = std::vector<std::string>;
using karvola::testing::ReadFileContent;
using karvola::testing::WriteFileContent;

TEST(SplitArguments, BlanksSeparateAndQuotesKeepThemInside) {
    struct Case {
        const char* text;
        Lines words;
    };
    const Case cases[] = {
        {"", {}},
        {"  a  b\tc ", {"a", "b", "c"}},
        {"\"My Data/source.txt\" base.txt", {"My Data/source.txt", "base.txt"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\" x", {"", "x"}},
        {"\"unclosed quote", {"unclosed quote"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitArguments(c.text), c.words) << c.text;
}

// :import and :convert with the terminal's hooks recorded: a CSV file becomes
// a data source, the data source a data base, and every mistake is told.
class DataBaseCreationCommandsTest : public ::testing::Test {
protected:
    DataBaseCreationCommandsTest()
        : commands(sink, files, clock,
                   {.absolutePath = [this](std::string_view path) { return (folder.path() / path).string(); },
                    .messageBox =
                        [this](std::string_view caption, std::string_view text) {
                            boxes.push_back(std::string(caption) + "|" + std::string(text));
                        },
                    .diagnostic = [this](const std::string& text) { diagnostics.push_back(text); },
                    .progress = {},
                    .progressEnded = {}}) {}

    [[nodiscard]] std::filesystem::path at(const char* name) const { return folder.path() / name; }

    karvola::testing::TemporaryDirectory folder;
    karvola::testing::RecordingSink sink;
    LocalFileSystem files;
    karvola::testing::FixedClock clock{1'700'000'000};
    Lines boxes;
    Lines diagnostics;
    DataBaseCreationCommands commands;
};

TEST_F(DataBaseCreationCommandsTest, ImportThenConvertMakesABase) {
    WriteFileContent(at("E0.csv"),
                     "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A,PSH,PSD,PSA\r\n"
                     "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19,1.15,9.5,21\r\n"
                     "E0,10/08/2019,,West Ham,Man City,0,5,12,6.5,1.3,,,\r\n"
                     "E0,10/08/2019,12:30,Bad Row,,1,1,2,3,4,2,3,4\r\n");
    commands.import("source.txt E0.csv");
    const Lines imported = sink.lines();
    ASSERT_EQ(imported.size(), 3U);
    EXPECT_EQ(imported[0], at("E0.csv").string() + ":4: no away team");
    EXPECT_EQ(imported[1], at("E0.csv").string() + ": 3 rows, 2 matches imported; left out: 1 other faults.");
    EXPECT_EQ(
        imported[2].rfind("Data source '" + at("source.txt").string() + "': 2 matches, 3 offers of 2 bookmakers", 0),
        0U)
        << imported[2];
    EXPECT_EQ(ReadFileContent(at("source.desc")), "B365\r\nPS\r\n");

    commands.convert("source.txt base.txt 0 all");
    EXPECT_EQ(sink.lines().back(), "Database '" + at("base.txt").string() + "' has been successful created.");
    EXPECT_EQ(ReadFileContent(at("base.txt")),
              "09/08/2019\r\nEngland, Premier League\r\nLiverpool\r\nNorwich\r\n1.15\r\n10\r\n21\r\n1\r\n0\r\n"
              "10/08/2019\r\nEngland, Premier League\r\nWest Ham\r\nMan City\r\n12\r\n6.5\r\n1.3\r\n2\r\n0\r\n");
    EXPECT_EQ(ReadFileContent(at("base.desc")), "B365\r\nPS\r\n");
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(diagnostics.empty()) << diagnostics.front();
}

// Betfair Exchange's prices are other bettors' offers before commission: all
// takes the bookmakers only and says so; named, the exchange is converted.
TEST_F(DataBaseCreationCommandsTest, AllLeavesTheExchangesOutAndSaysSo) {
    WriteFileContent(at("E0.csv"),
                     "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A,BFEH,BFED,BFEA\r\n"
                     "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19,1.2,11,23\r\n");
    commands.import("source.txt E0.csv");
    EXPECT_EQ(ReadFileContent(at("source.desc")), "B365\r\nBFE\r\n");

    commands.convert("source.txt base.txt 0 all");
    const Lines lines = sink.lines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[lines.size() - 2], "BFE is a betting exchange, left out of all: name it to convert its prices.");
    EXPECT_EQ(ReadFileContent(at("base.desc")), "B365\r\n");
    EXPECT_NE(ReadFileContent(at("base.txt")).find("\r\n1.14\r\n10\r\n19\r\n"), std::string::npos);

    commands.convert("source.txt named.txt 0 B365 BFE");
    EXPECT_EQ(ReadFileContent(at("named.desc")), "B365\r\nBFE\r\n");
    EXPECT_NE(ReadFileContent(at("named.txt")).find("\r\n1.2\r\n11\r\n23\r\n"), std::string::npos);
    EXPECT_TRUE(boxes.empty());
}

// Times are UK time unless -z gives a zone; fixtures are kept only when asked.
TEST_F(DataBaseCreationCommandsTest, ImportSwitchesSetTheZoneAndKeepFixtures) {
    WriteFileContent(at("E0.csv"),
                     "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A\r\n"
                     "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19\r\n"
                     "E0,10/08/2019,15:00,West Ham,Man City,,,12,6.5,1.3\r\n");
    const auto kickOffs = [this] {
        std::string starts;
        const std::string source = ReadFileContent(at("source.txt"));
        for (std::size_t record = 0; record < source.size(); record = source.find("####\r\n", record) + 6) {
            starts += source.substr(record, source.find('\r', record) - record) + " ";
        }
        return starts;
    };
    // 20:00 BST is 19:00 UTC; the fixture is left out.
    commands.import("source.txt E0.csv");
    EXPECT_EQ(kickOffs(), "1565377200 ");
    commands.import("--fixtures -z -2 source.txt E0.csv");
    EXPECT_EQ(kickOffs(), "1565388000 1565456400 ");
    commands.import("-z 1 --fixtures source.txt E0.csv");
    EXPECT_EQ(kickOffs(), "1565377200 1565445600 ");
    EXPECT_TRUE(diagnostics.empty());
}

// The box cannot tell a missing source from an empty one; the terminal can.
TEST_F(DataBaseCreationCommandsTest, AnEmptySourceIsToldAsEmpty) {
    WriteFileContent(at("empty.txt"), "");
    WriteFileContent(at("empty.desc"), "B365\r\n");
    commands.convert("empty.txt out.txt 0 all");
    EXPECT_EQ(boxes, Lines{"Fatal Error |Unable to load data source file"});
    EXPECT_EQ(sink.lines(),
              Lines{"Data source '" + at("empty.txt").string() + "' is empty: import matches into it first."});
    EXPECT_FALSE(std::filesystem::exists(at("out.txt")));

    commands.convert("missing.txt out.txt 0 B365");
    EXPECT_EQ(sink.lines().size(), 1U) << "a missing source is not an empty one";
}

TEST_F(DataBaseCreationCommandsTest, MistakesAreToldAndCreateNothing) {
    WriteFileContent(at("broken.txt"), "1565380800\r\nLiverpool\r\n");
    WriteFileContent(at("broken.desc"), "B365\r\n");
    struct Case {
        const char* command;
        const char* arguments;
        const char* told;  // the start of the diagnostic or the box
    };
    const Case cases[] = {
        {"convert", "broken.txt out.txt 0", "diagnostic::convert needs SOURCE BASE TZ"},
        {"convert", "broken.txt out.txt 13 all", "diagnostic::convert: the time zone is whole hours from -11 to 12"},
        {"convert", "broken.txt out.txt two all", "diagnostic::convert: the time zone"},
        {"convert", "missing.txt out.txt 0 all", "box:Fatal Error|This data source file has no descriptor file .desc"},
        {"convert", "missing.txt out.txt 0 B365", "box:Fatal Error |Unable to load data source file"},
        {"convert", "broken.txt out.txt 0 all", "box:Fatal Error |Invalid data source file2"},
        {"import", "out.txt", "diagnostic::import needs the data source to write"},
        {"import", "-z 15 out.txt x.csv", "diagnostic::import: -z takes whole hours"},
        {"import", "-z", "diagnostic::import: -z takes whole hours"},
        {"import", "--fixture out.txt x.csv", "diagnostic::import: unknown switch '--fixture'"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        diagnostics.clear();
        if (std::string(c.command) == "convert") {
            commands.convert(c.arguments);
        } else {
            commands.import(c.arguments);
        }
        const std::string told = !boxes.empty()         ? "box:" + boxes.back()
                                 : !diagnostics.empty() ? "diagnostic:" + diagnostics.back()
                                                        : "";
        EXPECT_EQ(told.rfind(c.told, 0), 0U) << c.arguments << " told: " << told;
        EXPECT_FALSE(std::filesystem::exists(at("out.txt"))) << c.arguments;
    }
    commands.import("out.txt missing-folder");
    EXPECT_EQ(sink.lines().back().rfind("Error : ", 0), 0U) << sink.lines().back();
    EXPECT_FALSE(std::filesystem::exists(at("out.txt")));
}

}  // namespace
}  // namespace karvola::cli
