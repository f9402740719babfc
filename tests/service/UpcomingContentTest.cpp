#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ContentFolder.h"
#include "RawHttp.h"
#include "RunningService.h"
#include "ServiceProcess.h"
#include "SettableClock.h"
#include "UpcomingsReply.h"
#include "common/Base64.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"
#include "wizard/DataSourceReader.h"
#include "wizard/FootballDataImport.h"

namespace karvola::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// 2023-11-14 22:20:00 UTC, the kick-off of two fixture matches.
constexpr std::int64_t kKickOff = 1'700'000'400;

std::string CrLf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) text.append(line).append("\r\n");
    return text;
}

// A data source record; goals "*" for a match still to be played.
std::string Record(std::int64_t time, std::string_view home, std::string_view away, std::string_view goals,
                   std::initializer_list<std::string_view> offers, std::string_view competition = "Premier League",
                   std::string_view country = "England") {
    return CrLf({std::to_string(time), home, away, competition, country, goals, goals}) + CrLf(offers) + "####\r\n";
}

// A data source of two matches, one played (its goals do not matter here), and
// a fixture list of one match that kicks off with the source's later one.
const std::string kSource =
    Record(kKickOff, "Arsenal", "Chelsea", "*", {"B365", "2.10", "3.4", "3.5", "PS", "2.15", "3.45", "3.6"}) +
    Record(kKickOff - 10'400, "Leeds", "Hull City", "2", {"B365", "1.8", "3.6", "4.5"}, "Championship");
const std::string kFixtures =
    "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A\r\n"
    "E0,14/11/2023,22:20,Everton,Burnley,,,1.9,3.5,4.2\r\n";

// The document of both files, ordered by kick-off; of the two matches at the
// same time the file first by name comes first. Blanks end each match's text
// at a whole group of three bytes (none, one, two here).
const std::string kDocument =
    "<VERSION>100</VERSION>\r\n"
    "<SPORT_EVENT>\r\n<TIMESTAMP>1699990000</TIMESTAMP>\r\n<CATEGORY>England, Championship</CATEGORY>\r\n"
    "<TEAMS>Leeds - Hull City</TEAMS>\r\n<SPORTSBOOK>\r\n"
    "<SB_NAME>B365</SB_NAME><ODDS1>1.8</ODDS1><ODDS0>3.6</ODDS0><ODDS2>4.5</ODDS2>\r\n"
    "</SPORTSBOOK>\r\n</SPORT_EVENT>\r\n"
    "<SPORT_EVENT>\r\n<TIMESTAMP>1700000400</TIMESTAMP>\r\n<CATEGORY>England, Premier League</CATEGORY>\r\n"
    "<TEAMS>Everton - Burnley</TEAMS>\r\n<SPORTSBOOK>\r\n"
    "<SB_NAME>B365</SB_NAME><ODDS1>1.9</ODDS1><ODDS0>3.5</ODDS0><ODDS2>4.2</ODDS2>\r\n"
    "</SPORTSBOOK>\r\n</SPORT_EVENT> \r\n"
    "<SPORT_EVENT>\r\n<TIMESTAMP>1700000400</TIMESTAMP>\r\n<CATEGORY>England, Premier League</CATEGORY>\r\n"
    "<TEAMS>Arsenal - Chelsea</TEAMS>\r\n<SPORTSBOOK>\r\n"
    "<SB_NAME>B365</SB_NAME><ODDS1>2.10</ODDS1><ODDS0>3.4</ODDS0><ODDS2>3.5</ODDS2>\r\n"
    "<SB_NAME>PS</SB_NAME><ODDS1>2.15</ODDS1><ODDS0>3.45</ODDS0><ODDS2>3.6</ODDS2>\r\n"
    "</SPORTSBOOK>\r\n</SPORT_EVENT>  \r\n";

// Every value of one element of the document, in order.
Texts Values(std::string_view document, std::string_view element) {
    const std::string open = std::string("<").append(element).append(">");
    const std::string close = std::string("</").append(element).append(">");
    Texts values;
    for (auto at = document.find(open); at != std::string_view::npos; at = document.find(open, at)) {
        at += open.size();
        const auto end = document.find(close, at);
        if (end == std::string_view::npos) break;
        values.push_back(std::string(document.begin() + static_cast<std::ptrdiff_t>(at),
                                     document.begin() + static_cast<std::ptrdiff_t>(end)));
    }
    return values;
}

std::vector<std::int64_t> KickOffs(std::string_view document) {
    std::vector<std::int64_t> times;
    for (const std::string& text : Values(document, "TIMESTAMP")) times.push_back(std::stoll(text));
    return times;
}

// A content folder of the test's own with an upcoming/ folder, and the service's
// view of it on a clock the test sets, with the notes it wrote.
class UpcomingContent {
public:
    explicit UpcomingContent(std::int64_t now = kKickOff - 86'400) : m_clock(std::make_shared<SettableClock>(now)) {
        fs::create_directories(upcoming());
    }

    [[nodiscard]] fs::path upcoming() const { return m_folder.path() / "content" / "upcoming"; }
    [[nodiscard]] fs::path outside() const { return m_folder.path(); }
    void write(const std::string& name, std::string_view text) const { WriteFileContent(upcoming() / name, text); }
    void setNow(std::int64_t now) const { m_clock->set(now); }

    // The document now; the folder is read when first asked.
    std::string document(bool shiftToNow = false) {
        if (!m_content) {
            m_content = std::make_unique<service::ContentFolder>(
                m_folder.path() / "content", [this](const std::string& text) { m_notes.push_back(text); },
                service::UpcomingSettings{.clock = m_clock, .shiftToNow = shiftToNow});
        }
        return m_content->upcoming().document();
    }
    // The notes other than the count of matches written with each reading.
    [[nodiscard]] Texts problems() const {
        Texts problems;
        std::copy_if(m_notes.begin(), m_notes.end(), std::back_inserter(problems),
                     [](const std::string& note) { return !note.starts_with("upcoming matches: "); });
        return problems;
    }
    [[nodiscard]] const Texts& notes() const { return m_notes; }

private:
    TemporaryDirectory m_folder;
    std::shared_ptr<SettableClock> m_clock;
    Texts m_notes;
    std::unique_ptr<service::ContentFolder> m_content;
};

TEST(UpcomingContent, DataSourcesAndFixtureListsMakeOneDocumentByKickOff) {
    UpcomingContent content;
    content.write("b.txt", kSource);
    content.write("a.csv", kFixtures);
    EXPECT_EQ(content.document(), kDocument);
    EXPECT_EQ(content.problems(), Texts{});
    EXPECT_EQ(content.notes(), Texts{"upcoming matches: 3 matches from 2 files"});

    // Other files of the folder are no content.
    content.write("notes.md", "<not a match>");
    content.write("b.txt.orig", "broken");
    EXPECT_EQ(content.document(), kDocument);
    EXPECT_EQ(content.problems(), Texts{});
}

TEST(UpcomingContent, ListsOnlyTheMatchesThatHaveNotKickedOff) {
    UpcomingContent content;
    content.write("b.txt", kSource);
    content.write("a.csv", kFixtures);
    struct Case {
        std::int64_t now;
        Texts teams;
    };
    const Case cases[] = {
        {kKickOff - 10'401, {"Leeds - Hull City", "Everton - Burnley", "Arsenal - Chelsea"}},
        {kKickOff - 10'400, {"Everton - Burnley", "Arsenal - Chelsea"}},
        {kKickOff - 1, {"Everton - Burnley", "Arsenal - Chelsea"}},
        {kKickOff, {}},
    };
    for (const auto& c : cases) {
        content.setNow(c.now);
        const std::string document = content.document();
        EXPECT_EQ(Values(document, "TEAMS"), c.teams) << c.now;
        EXPECT_TRUE(document.starts_with("<VERSION>100</VERSION>\r\n")) << c.now;
    }
    // The cut reads nothing again.
    EXPECT_EQ(content.notes().size(), 1U);
}

TEST(UpcomingContent, ShiftToNowPutsTheEarliestADayAfterTheStartAndKeepsTheSpacing) {
    constexpr std::int64_t kStart = 1'900'000'000;
    UpcomingContent content(kStart);
    content.write("b.txt", kSource);
    content.write("a.csv", kFixtures);
    const std::vector<std::int64_t> shifted = {kStart + 86'400, kStart + 86'400 + 10'400, kStart + 86'400 + 10'400};
    EXPECT_EQ(KickOffs(content.document(true)), shifted);
    EXPECT_EQ(content.notes().back(), "upcoming matches: 3 matches from 2 files, kick-offs moved by " +
                                          std::to_string(kStart + 86'400 - (kKickOff - 10'400)) + " s");

    // The clock moving on cuts matches off without moving the rest.
    content.setNow(kStart + 86'400);
    EXPECT_EQ(KickOffs(content.document(true)), (std::vector<std::int64_t>{shifted[1], shifted[2]}));

    // Content read again is placed from the start of the service, not from the reading.
    content.setNow(kStart + 3600);
    content.write("c.txt", Record(kKickOff - 20'400, "Early", "Match", "*", {"B365", "2", "3", "4"}));
    EXPECT_EQ(KickOffs(content.document(true)),
              (std::vector<std::int64_t>{kStart + 86'400, kStart + 96'400, kStart + 106'800, kStart + 106'800}));
}

TEST(UpcomingContent, AFileThatCannotServeIsLeftOutWithANoteAndTheRestIsServed) {
    const std::string good = Record(kKickOff, "Good", "Match", "*", {"B365", "2", "3", "4"});
    struct Case {
        std::string name;
        std::string text;
        std::string note;
        Texts teams;  // after the good file's, which comes first by name
    };
    const Case cases[] = {
        {"cut.txt",
         CrLf({"1700000400", "A", "B", "Premier League", "England", "*", "*"}),
         "upcoming/cut.txt is left out: Invalid data source file7",
         {}},
        {"time.txt",
         Record(kKickOff, "A", "B", "*", {}).replace(0, 10, "soon"),
         "upcoming/time.txt is left out: Invalid data source file: line 1 is not a whole number",
         {}},
        {"header.csv",
         "Date,HomeTeam,AwayTeam\r\n14/11/2023,A,B\r\n",
         "upcoming/header.csv is left out: the header has no column Div (or Country and League); its columns are "
         "Date, HomeTeam, AwayTeam",
         {}},
        {"rows.csv",
         std::string(kFixtures) + "E0,31/02/2023,12:00,C,D,,,2,3,4\r\n",
         "upcoming/rows.csv:3: date \"31/02/2023\" is no day of the calendar",
         {"Everton - Burnley"}},
        {"huge.txt", "", "upcoming/huge.txt is left out: it is larger than 64 MB", {}},
        {"outside.txt", "", "upcoming/outside.txt is left out: it leads outside the content folder", {}},
    };
    for (const auto& c : cases) {
        UpcomingContent content;
        content.write("good.txt", good);
        if (c.name == "huge.txt") {
            content.write(c.name, good);
            fs::resize_file(content.upcoming() / c.name, (64u << 20) + 1);  // sparse: no time to write it
        } else if (c.name == "outside.txt") {
            WriteFileContent(content.outside() / "outside.txt", good);
            fs::create_symlink(content.outside() / "outside.txt", content.upcoming() / c.name);
        } else {
            content.write(c.name, c.text);
        }
        Texts teams = {"Good - Match"};
        teams.insert(teams.end(), c.teams.begin(), c.teams.end());
        EXPECT_EQ(Values(content.document(), "TEAMS"), teams) << c.name;
        EXPECT_EQ(content.problems(), Texts{c.note}) << c.name;
    }
}

TEST(UpcomingContent, AMatchWhoseTextWouldBreakTheTagsIsLeftOutWithOneNote) {
    UpcomingContent content;
    content.write("tags.txt",
                  Record(kKickOff, "<b>Bold</b>", "Plain", "*", {"B365", "2", "3", "4"}) +
                      Record(kKickOff, "Named", "Badly", "*", {"B365", "2", "3", "4", "B<W", "2", "3", "4"}) +
                      Record(kKickOff, "Odds", "Badly", "*", {"B365", "2", "3>", "4"}) +
                      Record(kKickOff, "League", "Badly", "*", {"B365", "2", "3", "4"}, "Premier</CATEGORY>") +
                      Record(kKickOff, "Fine", "Match", "*", {"B365", "2", "3", "4"}));
    EXPECT_EQ(Values(content.document(), "TEAMS"), Texts{"Fine - Match"});
    content.setNow(kKickOff - 1);
    EXPECT_EQ(Values(content.document(), "TEAMS"), Texts{"Fine - Match"});
    EXPECT_EQ(content.problems(),
              Texts{"upcoming/tags.txt: 4 matches left out, since a text of theirs holds '<' or '>' (the first: "
                    "<b>Bold</b> - Plain)"});
}

std::string PostExchange(std::string_view key) {
    const std::string body = "request=download&uid=" + std::string(key);
    return "POST /download_upcomings_service.php HTTP/1.0\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// The document of a reply, decoded as the program decodes it.
std::string DocumentOf(const std::string& response) {
    const std::string body = BodyOf(response);
    const auto data = body.find("[DATA]");
    const auto end = body.find("[/DATA]");
    if (data == std::string::npos || end == std::string::npos) return "(no payload: " + body + ")";
    return DecodeBase64Url(body.substr(data + 6, end - data - 6));
}

TEST(UpcomingExchange, TheReplyCarriesTheDocumentAndFollowsTheFilesAsTheyChange) {
    const auto clock = std::make_shared<SettableClock>(kKickOff - 86'400);
    RunningService service({}, {.clock = clock});
    const fs::path upcoming = service.content() / "upcoming";
    const auto listed = [&service] {
        return Values(DocumentOf(Exchange(service.port(), PostExchange("demo"))), "TEAMS");
    };

    fs::create_directory(upcoming);
    WriteFileContent(upcoming / "b.txt", kSource);
    WriteFileContent(upcoming / "a.csv", kFixtures);
    const std::string response = Exchange(service.port(), PostExchange("demo"));
    EXPECT_EQ(DocumentOf(response), kDocument);
    // The reply is sent in pieces, and reads as the document encoded at once.
    EXPECT_EQ(BodyOf(response), service::UpcomingsReply("OK", "", kDocument));
    const std::string logged =
        "\"POST /download_upcomings_service.php\" 200 " + std::to_string(BodyOf(response).size());
    EXPECT_NE(service.log().find(logged + "\n"), std::string::npos) << service.log();

    // Latin-1 names pass as their bytes, "-" and "_" of the URL-safe alphabet included.
    WriteFileContent(upcoming / "b.txt",
                     Record(kKickOff, "D\xFCsseldorf", "\xFF\xFB\xBF", "*", {"B365", "2", "3", "4"}));
    EXPECT_EQ(listed(), (Texts{"Everton - Burnley", "D\xFCsseldorf - \xFF\xFB\xBF"}));

    fs::remove(upcoming / "a.csv");
    EXPECT_EQ(listed(), Texts{"D\xFCsseldorf - \xFF\xFB\xBF"});
    fs::rename(upcoming / "b.txt", upcoming / "b.old");
    EXPECT_EQ(listed(), Texts{});
    fs::rename(upcoming / "b.old", upcoming / "b.txt");
    clock->set(kKickOff);
    EXPECT_EQ(listed(), Texts{});

    // A broken file is told in the log once, however often the matches are asked for.
    clock->set(kKickOff - 1);
    WriteFileContent(upcoming / "broken.txt", "1700000400\r\n");
    EXPECT_EQ(listed(), Texts{"D\xFCsseldorf - \xFF\xFB\xBF"});
    EXPECT_EQ(listed(), Texts{"D\xFCsseldorf - \xFF\xFB\xBF"});
    const std::string log = service.log();
    const std::string note = "note: upcoming/broken.txt is left out: Invalid data source file1\n";
    ASSERT_NE(log.find(note), std::string::npos) << log;
    EXPECT_EQ(log.find(note), log.rfind(note)) << log;
}

// The kick-offs of the sample content's files, read by the wizard's reader and import.
std::vector<std::int64_t> SampleKickOffs() {
    std::vector<std::int64_t> times;
    for (const auto& entry : fs::directory_iterator(fs::path(KARVOLA_PROJECT_DATA_DIR) / "service" / "upcoming")) {
        std::string source = ReadFileContent(entry.path());
        if (entry.path().extension() == ".csv") {
            FootballDataImporter importer({.zone = std::nullopt, .keepFixtures = true});
            importer.addFile(entry.path(), source);
            source = importer.dataSource();
        }
        DataSourceReader reader(source);
        while (reader.ReadRecord()) times.push_back(reader.startTime());
    }
    return times;
}

// The sample content shipped with the service, as make run starts it.
TEST(UpcomingExchange, TheSampleContentShiftedToNowListsRealMatchesFromTomorrowOn) {
    const auto before = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // The log goes to standard output too: its notes of the start wait for the line with the port.
    ServiceProcess service({"--shift-to-now"});
    const auto after = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    EXPECT_NE(service.firstLine().find("kick-offs shifted to begin a day from now"), std::string::npos);

    const std::string document = DocumentOf(Exchange(service.port(), PostExchange("demo")));
    const std::vector<std::int64_t> times = KickOffs(document);
    ASSERT_FALSE(times.empty()) << document;
    EXPECT_GE(times.front(), before + 86'400);
    EXPECT_LE(times.front(), after + 86'400);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));

    // The spacing is the files': the same as the sample's own kick-offs, moved by one amount.
    std::vector<std::int64_t> original = SampleKickOffs();
    std::sort(original.begin(), original.end());
    ASSERT_EQ(original.size(), times.size());
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i] - times[0], original[i] - original[0]) << i;

    const Texts categories = Values(document, "CATEGORY");
    EXPECT_EQ(std::count(categories.begin(), categories.end(), "England, Premier League"), 33);
    const Texts bookmakers = Values(document, "SB_NAME");
    EXPECT_EQ(bookmakers.size(), times.size() * 6);
    for (const char* name : {"B365", "BW", "IW", "PS", "WH", "VC"}) {
        EXPECT_EQ(static_cast<std::size_t>(std::count(bookmakers.begin(), bookmakers.end(), name)), times.size())
            << name;
    }
}

}  // namespace
}  // namespace karvola::testing
