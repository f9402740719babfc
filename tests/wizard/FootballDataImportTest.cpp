// The football-data.co.uk CSV import: the CSV reader, the header's columns, the
// rows' records, and the whole import against the real data source files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/FileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"
#include "wizard/FootballDataColumns.h"
#include "wizard/FootballDataCsv.h"
#include "wizard/FootballDataImport.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileContent;
using testing::TemporaryDirectory;
using testing::WriteFileContent;
using Effect = FootballDataProblem::Effect;
using Rows = std::vector<std::vector<std::string>>;

// ---------------------------------------------------------------------------
// The CSV reader

struct csv_case_t {
    const char* name;
    std::string text;
    Rows rows;
    std::vector<std::size_t> lines;
    bool unclosedQuote = false;
};

struct read_t {
    Rows rows;
    std::vector<std::size_t> lines;
    bool unclosedQuote = false;
};

read_t readCsv(std::string_view text) {
    FootballDataCsvReader reader(text);
    FootballDataCsvRow row;
    read_t result;
    while (reader.next(row)) {
        result.rows.emplace_back(row.fields.begin(), row.fields.end());
        result.lines.push_back(row.line);
        result.unclosedQuote = result.unclosedQuote || row.unclosedQuote;
    }
    return result;
}

TEST(FootballDataCsvReaderTest, ReadsFieldsAndLines) {
    const csv_case_t cases[] = {
        {"LF", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"CR LF", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"lone CR", "a,b\rc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"no final line end", "a,b\nc", {{"a", "b"}, {"c"}}, {1, 2}},
        {"empty fields", ",x,\n,\n", {{"", "x", ""}, {"", ""}}, {1, 2}},
        {"empty line", "a\n\nb\n", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
        {"quoted comma", "\"Brighton, Hove\",1\n", {{"Brighton, Hove", "1"}}, {1}},
        {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", {{"say \"hi\"", "\""}}, {1}},
        {"quoted line breaks count as lines", "\"a\nb\",\"c\r\nd\"\nx\n", {{"a\nb", "c\r\nd"}, {"x"}}, {1, 4}},
        {"empty quoted field", "\"\",a\n", {{"", "a"}}, {1}},
        {"text after the closing quote", "\"ab\"cd,e\n", {{"abcd", "e"}}, {1}},
        {"doubled quote then text after the closing quote", "\"a\"\"b\"c,d\n", {{"a\"bc", "d"}}, {1}},
        {"blanks before an opening quote", "a, \"b,c\"\n", {{"a", "b,c"}}, {1}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "Div,Date\n",
         {{"Div", "Date"}},
         {1}},
        {"unclosed quote runs to the end", "a,\"b\nc,d\n", {{"a", "b\nc,d\n"}}, {1}, true},
    };
    for (const csv_case_t& c : cases) {
        SCOPED_TRACE(c.name);
        const read_t read = readCsv(c.text);
        EXPECT_EQ(read.rows, c.rows);
        EXPECT_EQ(read.lines, c.lines);
        EXPECT_EQ(read.unclosedQuote, c.unclosedQuote);
    }
}

TEST(FootballDataCsvReaderTest, KeepsEachRowsUnescapedFieldsApart) {
    // Two fields of one row in the reader's own buffer, then a row of views again.
    FootballDataCsvReader reader("\"a\"\"1\",\"b\"\"2\"\nplain\n");
    FootballDataCsvRow row;
    ASSERT_TRUE(reader.next(row));
    EXPECT_EQ(std::vector<std::string_view>(row.fields), (std::vector<std::string_view>{"a\"1", "b\"2"}));
    ASSERT_TRUE(reader.next(row));
    EXPECT_EQ(std::vector<std::string_view>(row.fields), (std::vector<std::string_view>{"plain"}));
    EXPECT_FALSE(reader.next(row));
    EXPECT_FALSE(reader.startedWithByteOrderMark());
}

// ---------------------------------------------------------------------------
// The header's columns

std::vector<std::string_view> splitHeader(std::string_view text) {
    std::vector<std::string_view> names;
    while (true) {
        const auto comma = text.find(',');
        names.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return names;
        text.remove_prefix(comma + 1);
    }
}

std::vector<std::string> bookmakerCodes(const FootballDataColumns& columns) {
    std::vector<std::string> codes;
    for (const auto& bookmaker : columns.bookmakers) codes.push_back(bookmaker.code);
    return codes;
}

TEST(FootballDataColumnsTest, FindsTheBookmakersInColumnOrder) {
    const auto columns = FindFootballDataColumns(
        splitHeader("Div,Date,HomeTeam,AwayTeam,FTHG,FTAG,WHH,WHD,WHA,B365H,B365D,B365A,VCH,VCD,VCA,"
                    "BbMxH,BbMxD,BbMxA,BbAvH,BbAvD,BbAvA,MaxH,MaxD,MaxA,AvgH,AvgD,AvgA,"
                    "B365CH,B365CD,B365CA,PSCH,PSCD,PSCA,MaxCH,MaxCD,MaxCA,XYH,XYD,AHH,AHA,####H,####D,####A"));
    // VC ends in C but has no bookmaker V; PSC has no PS here, so it counts as a
    // bookmaker of its own; XY lacks its away column; "####" would end a record.
    EXPECT_EQ(bookmakerCodes(columns), (std::vector<std::string>{"WH", "B365", "VC", "PSC"}));
    const auto& b365 = columns.bookmakers[1];
    EXPECT_EQ(b365.home, 9U);
    EXPECT_EQ(b365.draw, 10U);
    EXPECT_EQ(b365.away, 11U);
    EXPECT_TRUE(columns.missing().empty());
    EXPECT_EQ(columns.time, FootballDataColumns::kAbsent);
}

TEST(FootballDataColumnsTest, TakesTheHeaderVariants) {
    const auto early = FindFootballDataColumns(splitHeader(" Div ,Date,Time,HT,AT,FTHG,FTAG"));
    EXPECT_EQ(early.division, 0U);
    EXPECT_EQ(early.time, 2U);
    EXPECT_EQ(early.homeTeam, 3U);
    EXPECT_EQ(early.awayTeam, 4U);
    EXPECT_TRUE(early.missing().empty());

    const auto extra = FindFootballDataColumns(splitHeader("Country,League,Season,Date,Time,Home,Away,HG,AG,PH,PD,PA"));
    EXPECT_EQ(extra.country, 0U);
    EXPECT_EQ(extra.league, 1U);
    EXPECT_EQ(extra.homeGoals, 7U);
    EXPECT_EQ(extra.awayGoals, 8U);
    EXPECT_EQ(bookmakerCodes(extra), (std::vector<std::string>{"P"}));
    EXPECT_TRUE(extra.missing().empty());

    EXPECT_EQ(FindFootballDataColumns(splitHeader("Div,HomeTeam,B365H")).missing(),
              (std::vector<std::string>{"Date", "AwayTeam"}));
    EXPECT_EQ(FindFootballDataColumns(splitHeader("League,Date,HomeTeam,AwayTeam")).missing(),
              (std::vector<std::string>{"Div"}));
}

// ---------------------------------------------------------------------------
// Rows into records

// 2019-08-09 00:00 UTC.
constexpr const char* kAugust9 = "1565308800";
constexpr const char* kHeader = "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A,BWH,BWD,BWA\n";

std::string record(const std::string& kickOff, const std::string& home, const std::string& away,
                   const std::string& score, const std::string& offers = "",
                   const std::string& category = "Premier League\r\nEngland\r\n") {
    return kickOff + "\r\n" + home + "\r\n" + away + "\r\n" + category + score + offers + "####\r\n";
}

struct imported_t {
    std::string dataSource;
    std::string descriptor;
    FootballDataImportReport report;
};

imported_t import(const std::vector<std::pair<std::string, std::string>>& files,
                  FootballDataImportOptions options = {}) {
    FootballDataImporter importer(options);
    for (const auto& [name, content] : files) importer.addFile(name, content);
    return {importer.dataSource(), importer.descriptor(), importer.report()};
}

imported_t importOne(const std::string& content, FootballDataImportOptions options = {}) {
    return import({{"f.csv", content}}, options);
}

TEST(FootballDataImporterTest, WritesARecordPerRow) {
    const imported_t imported = importOne(std::string(kHeader) +
                                          "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10.0,19.0,1.14,8.25,19.0\n"
                                          "E0,10/08/2019,12:30, West Ham ,Man City,0.0,5.0, 12.0 ,6.5,1.3,,,\n");
    const std::string expected =
        record("1565380800", "Liverpool", "Norwich", "4\r\n1\r\n",
               "B365\r\n1.14\r\n10.0\r\n19.0\r\nBW\r\n1.14\r\n8.25\r\n19.0\r\n") +
        record("1565440200", "West Ham", "Man City", "0\r\n5\r\n", "B365\r\n12.0\r\n6.5\r\n1.3\r\n");
    EXPECT_EQ(imported.dataSource, expected);
    EXPECT_EQ(imported.descriptor, "B365\r\nBW\r\n");
    EXPECT_EQ(imported.report.filesRead, 1U);
    EXPECT_EQ(imported.report.rowsRead, 2U);
    EXPECT_EQ(imported.report.recordsWritten, 2U);
    EXPECT_EQ(imported.report.offersWritten, 3U);
    EXPECT_EQ(imported.report.recordsWithoutOffers, 0U);
    EXPECT_TRUE(imported.report.problems.empty());
}

TEST(FootballDataImporterTest, KicksOffAtThreeWithoutATimeAndShiftsByTheZone) {
    const std::string noTimeColumn = "Div,Date,HomeTeam,AwayTeam,FTHG,FTAG\nE0,09/08/19,A,B,1,0\n";
    const std::string emptyTime = std::string(kHeader) + "E0,09/08/2019,,A,B,1,0\n";
    const std::string withTime = std::string(kHeader) + "E0,09/08/2019,20:00,A,B,1,0\n";
    const struct {
        const char* name;
        const std::string& csv;
        int zone;
        long long kickOff;
    } cases[] = {
        {"no Time column", noTimeColumn, 0, 1565308800LL + 15 * 3600},
        {"empty Time cell", emptyTime, 0, 1565308800LL + 15 * 3600},
        {"Time", withTime, 0, 1565308800LL + 20 * 3600},
        {"Time in UTC+2", withTime, 2, 1565308800LL + 18 * 3600},
        {"Time in UTC-5", withTime, -5, 1565308800LL + 25 * 3600},
        {"no Time in UTC+1", noTimeColumn, 1, 1565308800LL + 14 * 3600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const imported_t imported = importOne(c.csv, {c.zone});
        EXPECT_EQ(imported.dataSource, record(std::to_string(c.kickOff), "A", "B", "1\r\n0\r\n"));
    }
    EXPECT_THROW(FootballDataImporter({15}), std::invalid_argument);
    EXPECT_THROW(FootballDataImporter({-13}), std::invalid_argument);
}

TEST(FootballDataImporterTest, WritesAFixtureListWithStarsForTheScore) {
    // Without goal columns, and with empty goal cells beside odds.
    EXPECT_EQ(importOne("Div,Date,Time,HomeTeam,AwayTeam\nE0,09/08/2019,00:00,A,B\n").dataSource,
              record(kAugust9, "A", "B", "*\r\n*\r\n"));
    const imported_t empty = importOne(std::string(kHeader) + "E0,09/08/2019,00:00,A,B,,,2.0,3.0,4.0,,,\n");
    EXPECT_EQ(empty.dataSource, record(kAugust9, "A", "B", "*\r\n*\r\n", "B365\r\n2.0\r\n3.0\r\n4.0\r\n"));
    EXPECT_TRUE(empty.report.problems.empty());
}

TEST(FootballDataImporterTest, NamesAnUnknownDivisionByItsCodeOnce) {
    const imported_t imported = import({
        {"a.csv", "Div,Date,HomeTeam,AwayTeam,FTHG,FTAG\nX9,01/01/2020,A,B,1,1\nX9,02/01/2020,C,D,0,2\n"},
        {"b.csv", "Div,Date,HomeTeam,AwayTeam,FTHG,FTAG\nX9,03/01/2020,E,F,1,1\nSC0,04/01/2020,G,H,2,2\n"},
    });
    ASSERT_EQ(imported.report.recordsWritten, 4U);
    EXPECT_NE(imported.dataSource.find("A\r\nB\r\nX9\r\nUnknown\r\n1\r\n1\r\n"), std::string::npos);
    EXPECT_NE(imported.dataSource.find("E\r\nF\r\nX9\r\nUnknown\r\n"), std::string::npos);
    EXPECT_NE(imported.dataSource.find("G\r\nH\r\nPremiership\r\nScotland\r\n"), std::string::npos);
    ASSERT_EQ(imported.report.problems.size(), 1U);
    const FootballDataProblem& note = imported.report.problems[0];
    EXPECT_EQ(note.file, "a.csv");
    EXPECT_EQ(note.line, 2U);
    EXPECT_EQ(note.effect, Effect::Noted);
    EXPECT_EQ(FormatFootballDataProblem(note),
              "a.csv:2: division \"X9\" is unknown: competition \"X9\", country \"Unknown\"");
}

TEST(FootballDataImporterTest, TakesLeagueAndCountryWhereThereIsNoDivision) {
    const imported_t imported = importOne(
        "Country,League,Season,Date,Time,Home,Away,HG,AG,PH,PD,PA\n"
        "Brazil,Serie A,2020,09/08/2019,00:00,Flamengo,Santos,2,0,1.5,4.0,6.0\n");
    EXPECT_EQ(imported.dataSource, record(kAugust9, "Flamengo", "Santos", "2\r\n0\r\n", "P\r\n1.5\r\n4.0\r\n6.0\r\n",
                                          "Serie A\r\nBrazil\r\n"));
}

TEST(FootballDataImporterTest, ReportsAndSkipsUnusableRows) {
    // Line 3 holds a team name over two lines: the line numbers after it count both.
    const std::string csv = std::string(kHeader) +
                            "E0,09/08/2019,00:00,A,B,1,0,,,,,,\n"                    // 2
                            "E0,09/08/2019,00:00,\"Line\nBreak\",B,1,0,,,,,,\n"      // 3-4
                            "E0,31/02/2019,00:00,A,B,1,0\n"                          // 5
                            "E0,2019-08-09,00:00,A,B,1,0\n"                          // 6
                            "E0,,00:00,A,B,1,0\n"                                    // 7
                            "E0,09/08/2019,24:00,A,B,1,0\n"                          // 8
                            "E0,09/08/2019,00:00,,B,1,0\n"                           // 9
                            "E0,09/08/2019,00:00,A,,1,0\n"                           // 10
                            "E0,09/08/2019,00:00,A,B,x,0\n"                          // 11
                            "E0,09/08/2019,00:00,A,B,1,2.5\n"                        // 12
                            "E0,09/08/2019,00:00,A,B,,0\n"                           // 13
                            ",09/08/2019,00:00,A,B,1,0\n"                            // 14
                            "E0,09/08/1969,00:00,A,B,1,0\n"                          // 15
                            "E0,09/08/2019,00:00,C,D,1,0,1.5,abc,3.0,2.0,3.0,3.5\n"  // 16
                            "E0,09/08/2019,00:00,E,F,1,0,1.5,,3.0,2.0,3.0,0\n"       // 17
                            "E0,09/08/2019,00:00,G,H,1,0,\"1.5\n";                   // 18
    const imported_t imported = importOne(csv);
    EXPECT_EQ(imported.dataSource, record(kAugust9, "A", "B", "1\r\n0\r\n") +
                                       record(kAugust9, "C", "D", "1\r\n0\r\n", "BW\r\n2.0\r\n3.0\r\n3.5\r\n") +
                                       record(kAugust9, "E", "F", "1\r\n0\r\n"));
    const std::vector<std::string> expected = {
        "f.csv:3: the home team runs over more than one line",
        "f.csv:5: date \"31/02/2019\" is no day of the calendar",
        "f.csv:6: date \"2019-08-09\" is not DD/MM/YY or DD/MM/YYYY",
        "f.csv:7: no date",
        "f.csv:8: time \"24:00\" is not HH:MM",
        "f.csv:9: no home team",
        "f.csv:10: no away team",
        "f.csv:11: home goals \"x\" are no number of goals",
        "f.csv:12: away goals \"2.5\" are no number of goals",
        "f.csv:13: no home goals beside the away goals",
        "f.csv:14: no division",
        "f.csv:15: date \"09/08/1969\" is outside 1970 to 2105",
        "f.csv:16: B365 odds \"abc\" are no decimal odds above 0",
        "f.csv:17: B365 offer has no draw odds",
        "f.csv:17: BW odds \"0\" are no decimal odds above 0",
        "f.csv:18: a quoted field is not closed up to the end of the file",
    };
    std::vector<std::string> problems;
    for (const auto& problem : imported.report.problems) problems.push_back(FormatFootballDataProblem(problem));
    EXPECT_EQ(problems, expected);
    EXPECT_EQ(imported.report.problems[0].effect, Effect::RowSkipped);
    EXPECT_EQ(imported.report.problems[12].effect, Effect::OfferLeftOut);
    EXPECT_EQ(imported.report.rowsRead, 16U);
    EXPECT_EQ(imported.report.recordsWritten, 3U);
    EXPECT_EQ(imported.report.recordsWithoutOffers, 2U);
    // B365 offered nothing that was written.
    EXPECT_EQ(imported.descriptor, "BW\r\n");
}

// Goals are kept as the data source's signed 32-bit lines: a count beyond them
// would have the whole source refused by the conversion, so the row is refused here.
TEST(FootballDataImporterTest, RefusesGoalsBeyondTheDataSourcesNumbers) {
    const imported_t imported = importOne(
        "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG\n"
        "E0,09/08/2019,00:00,A,B,2147483647,0\n"
        "E0,09/08/2019,00:00,C,D,2147483648,0\n"
        "E0,09/08/2019,00:00,E,F,1,4294967295\n"
        "E0,09/08/2019,00:00,G,H,1,4294967296.0\n");
    EXPECT_EQ(imported.dataSource, record(kAugust9, "A", "B", "2147483647\r\n0\r\n"));
    std::vector<std::string> problems;
    for (const auto& problem : imported.report.problems) problems.push_back(FormatFootballDataProblem(problem));
    EXPECT_EQ(problems, (std::vector<std::string>{"f.csv:3: home goals \"2147483648\" are no number of goals",
                                                  "f.csv:4: away goals \"4294967295\" are no number of goals",
                                                  "f.csv:5: away goals \"4294967296.0\" are no number of goals"}));
}

TEST(FootballDataImporterTest, SkipsAFileWithoutTheColumnsItNeeds) {
    const imported_t imported = import({{"odd.csv", "\n,,\nDiv,Date,Team1,Team2\nE0,09/08/2019,A,B\n"},
                                        {"empty.csv", ""},
                                        {"good.csv", "Div,Date,Time,HomeTeam,AwayTeam\nE0,09/08/2019,00:00,A,B\n"}});
    EXPECT_EQ(imported.dataSource, record(kAugust9, "A", "B", "*\r\n*\r\n"));
    ASSERT_EQ(imported.report.problems.size(), 2U);
    EXPECT_EQ(FormatFootballDataProblem(imported.report.problems[0]),
              "odd.csv:3: the header has no column HomeTeam, AwayTeam");
    EXPECT_EQ(imported.report.problems[0].effect, Effect::FileSkipped);
    EXPECT_EQ(FormatFootballDataProblem(imported.report.problems[1]), "empty.csv: the file has no header row");
    EXPECT_EQ(imported.report.filesRead, 3U);
    EXPECT_EQ(imported.report.rowsRead, 1U);
}

TEST(FootballDataImporterTest, ReadsRaggedRowsBlankRowsAndEitherLineEnd) {
    const std::string lf = std::string(kHeader) +
                           "E0,09/08/2019,00:00,A,B,1,0,2.0,3.0,4.0\n"  // no BW cells at all
                           ",,,,,,,,,,,,\n"
                           "\n"
                           "E0,09/08/2019,00:00,C,D,1,0,,,,2.1,3.1,4.1,extra,cells\n"
                           "E0,09/08/2019,00:00,E,F\n";  // neither goals nor odds
    const imported_t imported = importOne(lf);
    EXPECT_EQ(imported.dataSource, record(kAugust9, "A", "B", "1\r\n0\r\n", "B365\r\n2.0\r\n3.0\r\n4.0\r\n") +
                                       record(kAugust9, "C", "D", "1\r\n0\r\n", "BW\r\n2.1\r\n3.1\r\n4.1\r\n") +
                                       record(kAugust9, "E", "F", "*\r\n*\r\n"));
    EXPECT_EQ(imported.report.rowsRead, 3U);
    EXPECT_TRUE(imported.report.problems.empty());

    std::string crlf;
    for (const char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(importOne("\xEF\xBB\xBF" + crlf).dataSource, imported.dataSource);
}

TEST(FootballDataImporterTest, SortsByKickOffKeepingTheInputOrderOfEqualOnes) {
    const std::string header = "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG\n";
    const imported_t imported = import({
        {"1.csv", header + "E0,09/08/2019,00:00,A,B,1,0\nE0,10/08/2019,00:00,C,D,1,0\nE0,09/08/2019,00:00,E,F,1,0\n"},
        {"2.csv", header + "D1,09/08/2019,00:00,G,H,1,0\nD1,08/08/2019,00:00,I,J,1,0\n"},
    });
    const std::string germany = "Bundesliga\r\nGermany\r\n";
    EXPECT_EQ(imported.dataSource,
              record("1565222400", "I", "J", "1\r\n0\r\n", "", germany) + record(kAugust9, "A", "B", "1\r\n0\r\n") +
                  record(kAugust9, "E", "F", "1\r\n0\r\n") + record(kAugust9, "G", "H", "1\r\n0\r\n", "", germany) +
                  record("1565395200", "C", "D", "1\r\n0\r\n"));
}

TEST(FootballDataImporterTest, WritesTextsInLatin1) {
    const std::string header = "Div,Date,Time,HomeTeam,AwayTeam\n";
    // UTF-8 (with or without a byte order mark) becomes Latin-1; Latin-1 stays.
    const std::string latin1 = record(kAugust9, "K\xF6ln", "M\xE1laga", "*\r\n*\r\n");
    EXPECT_EQ(importOne(header + "E0,09/08/2019,00:00,K\xC3\xB6ln,M\xC3\xA1laga\n").dataSource, latin1);
    EXPECT_EQ(importOne("\xEF\xBB\xBF" + header + "E0,09/08/2019,00:00,K\xC3\xB6ln,M\xC3\xA1laga\n").dataSource,
              latin1);
    EXPECT_EQ(importOne(header + "E0,09/08/2019,00:00,K\xF6ln,M\xE1laga\n").dataSource, latin1);

    const imported_t beyond = importOne(header + "E0,09/08/2019,00:00,Be\xC5\x9Fikta\xC5\x9F,B\n");
    EXPECT_EQ(beyond.dataSource, record(kAugust9, "Be?ikta?", "B", "*\r\n*\r\n"));
    ASSERT_EQ(beyond.report.problems.size(), 1U);
    EXPECT_EQ(beyond.report.problems[0].effect, Effect::Noted);
    EXPECT_EQ(beyond.report.problems[0].line, 2U);
}

// A byte order mark says UTF-8 whatever follows: a stray byte, or a sequence cut
// short by the end of the file, is a '?' like a character Latin-1 lacks, and
// the reading never goes past the text.
TEST(FootballDataImporterTest, BytesOutsideUtf8InAFileMarkedUtf8BecomeQuestionMarks) {
    const std::string header =
        "\xEF\xBB\xBF"
        "Div,Date,Time,HomeTeam,AwayTeam\n";
    const imported_t broken = importOne(header +
                                        "E0,09/08/2019,00:00,A\x80"
                                        "b,K\xC3\xB6ln\xC3");
    EXPECT_EQ(broken.dataSource, record(kAugust9, "A?b", "K\xF6ln?", "*\r\n*\r\n"));
    ASSERT_EQ(broken.report.problems.size(), 2U);
    EXPECT_EQ(broken.report.problems[0].effect, Effect::Noted);
    EXPECT_EQ(broken.report.problems[1].effect, Effect::Noted);
}

// ---------------------------------------------------------------------------
// Files and folders

TEST(ImportFootballDataTest, TakesAFoldersCsvFilesInNameOrder) {
    const TemporaryDirectory folder;
    const std::string header = "Div,Date,Time,HomeTeam,AwayTeam\n";
    fs::create_directory(folder.path() / "in");
    WriteFileContent(folder.path() / "in" / "b.CSV", header + "E0,09/08/2019,00:00,B1,B2\n");
    WriteFileContent(folder.path() / "in" / "a.csv", header + "E0,09/08/2019,00:00,A1,A2\n");
    WriteFileContent(folder.path() / "in" / "c.txt", header + "E0,09/08/2019,00:00,C1,C2\n");
    WriteFileContent(folder.path() / "single.csv", header + "E0,09/08/2019,00:00,S1,S2\n");

    LocalFileSystem files;
    const fs::path target = folder.path() / "out.txt";
    const auto report = ImportFootballData(files, {folder.path() / "single.csv", folder.path() / "in"}, target);
    EXPECT_EQ(report.filesRead, 3U);
    EXPECT_EQ(ReadFileContent(target), record(kAugust9, "S1", "S2", "*\r\n*\r\n") +
                                           record(kAugust9, "A1", "A2", "*\r\n*\r\n") +
                                           record(kAugust9, "B1", "B2", "*\r\n*\r\n"));
    EXPECT_TRUE(fs::exists(folder.path() / "out.desc"));
    EXPECT_EQ(ReadFileContent(folder.path() / "out.desc"), "");
}

TEST(ImportFootballDataTest, FailsBeforeWritingAnything) {
    const TemporaryDirectory folder;
    const fs::path csv = folder.path() / "a.csv";
    WriteFileContent(csv, "Div,Date,HomeTeam,AwayTeam\nE0,09/08/2019,A,B\n");
    const fs::path target = folder.path() / "source.txt";
    WriteFileContent(target, "old");
    WriteFileContent(folder.path() / "source.desc", "OLD\r\n");
    fs::create_directory(folder.path() / "empty");

    LocalFileSystem files;
    EXPECT_THROW(ImportFootballData(files, {csv, folder.path() / "missing.csv"}, target), FootballDataImportError);
    EXPECT_THROW(ImportFootballData(files, {folder.path() / "empty"}, target), FootballDataImportError);
    EXPECT_THROW(ImportFootballData(files, {csv}, folder.path() / "no" / "such.txt"), FootballDataImportError);
    testing::FaultyFileSystem noDescriptor;
    noDescriptor.onlyFile = folder.path() / "source.desc";
    noDescriptor.refuseReplacing = true;
    EXPECT_THROW(ImportFootballData(noDescriptor, {csv}, target), FootballDataImportError);

    EXPECT_EQ(ReadFileContent(target), "old");
    EXPECT_EQ(ReadFileContent(folder.path() / "source.desc"), "OLD\r\n");
    EXPECT_FALSE(fs::exists(folder.path() / "no"));
}

// Files that give no match, each into an existing pair and into a new name: the
// old pair stays byte for byte, no new file appears, and the last line says why
// (a file without a usable header is skipped whole: none of its rows is read).
TEST(ImportFootballDataTest, AnImportWithoutAMatchWritesNothing) {
    const struct {
        const char* what;
        std::string csv;
        const char* rowsAndFiles;
    } cases[] = {
        {"no Div, League or Country column", "Date,HomeTeam,AwayTeam\nE0,09/08/2019,A,B\n", "0 rows of 1 files"},
        {"the header alone", "Div,Date,HomeTeam,AwayTeam\n", "0 rows of 1 files"},
        {"a separator other than a comma", "Div;Date;HomeTeam;AwayTeam\nE0;09/08/2019;A;B\n", "0 rows of 1 files"},
        {"rows without a date", "Div,Date,HomeTeam,AwayTeam\nE0,,A,B\nE0,31/02/2019,C,D\n", "2 rows of 1 files"},
    };
    for (const auto& c : cases) {
        const TemporaryDirectory folder;
        const fs::path csv = folder.path() / "a.csv";
        WriteFileContent(csv, c.csv);
        const fs::path existing = folder.path() / "source.txt";
        WriteFileContent(existing, "old");
        WriteFileContent(folder.path() / "source.desc", "OLD\r\n");
        const fs::path fresh = folder.path() / "new.txt";

        LocalFileSystem files;
        for (const fs::path& target : {existing, fresh}) {
            const auto report = ImportFootballData(files, {csv}, target);
            EXPECT_EQ(report.recordsWritten, 0U) << c.what;
            EXPECT_EQ(FootballDataImportLines(report, target.string()).back(),
                      "Error : No match could be imported from " + std::string(c.rowsAndFiles) +
                          "; nothing was written to '" + target.string() + "'.")
                << c.what;
        }
        EXPECT_EQ(ReadFileContent(existing), "old") << c.what;
        EXPECT_EQ(ReadFileContent(folder.path() / "source.desc"), "OLD\r\n") << c.what;
        EXPECT_FALSE(fs::exists(fresh)) << c.what;
        EXPECT_FALSE(fs::exists(folder.path() / "new.desc")) << c.what;
    }
}

// ---------------------------------------------------------------------------
// The real files

const fs::path kSharedData = KARVOLA_SHARED_DATA_DIR;

TEST(FootballDataRealFilesTest, TwoSeasonsGiveTheSampleDataSource) {
    const fs::path csv = kSharedData / "football-data";
    if (!fs::exists(csv / "E0_1819.csv")) GTEST_SKIP() << "no real data at " << kSharedData;
    const TemporaryDirectory folder;
    LocalFileSystem files;
    const auto report = ImportFootballData(files, {csv / "E0_1819.csv", csv / "E0_1920.csv"}, folder.path() / "s.txt");
    EXPECT_EQ(ReadFileContent(folder.path() / "s.txt"), ReadFileContent(kSharedData / "datasource" / "sample.txt"));
    EXPECT_EQ(ReadFileContent(folder.path() / "s.desc"), ReadFileContent(kSharedData / "datasource" / "sample.desc"));
    EXPECT_EQ(report.rowsRead, 760U);
    EXPECT_EQ(report.offersWritten, 4560U);
    EXPECT_TRUE(report.problems.empty());
}

TEST(FootballDataRealFilesTest, TheFolderGivesTheEurope5DataSource) {
    const fs::path csv = kSharedData / "football-data";
    if (!fs::exists(csv)) GTEST_SKIP() << "no real data at " << kSharedData;
    const TemporaryDirectory folder;
    LocalFileSystem files;
    const auto report = ImportFootballData(files, {csv}, folder.path() / "europe5.txt");
    EXPECT_TRUE(ReadFileContent(folder.path() / "europe5.txt") ==
                ReadFileContent(kSharedData / "datasource" / "europe5.txt"));
    EXPECT_EQ(ReadFileContent(folder.path() / "europe5.desc"),
              ReadFileContent(kSharedData / "datasource" / "europe5.desc"));
    EXPECT_EQ(report.filesRead, 95U);
    EXPECT_EQ(report.rowsRead, 34519U);
    EXPECT_EQ(report.recordsWritten, 34519U);
    EXPECT_EQ(report.offersWritten, 271196U);
    // Verona-Genoa and Torino-Fiorentina carry only aggregate and closing odds.
    EXPECT_EQ(report.recordsWithoutOffers, 2U);
    // Siena-Reggina's VC offer lacks its draw odds.
    ASSERT_EQ(report.problems.size(), 1U);
    EXPECT_EQ(report.problems[0].file.filename(), "I1_0708.csv");
    EXPECT_EQ(report.problems[0].effect, Effect::OfferLeftOut);
    EXPECT_EQ(report.problems[0].reason, "VC offer has no draw odds");
}

}  // namespace
}  // namespace karvola
