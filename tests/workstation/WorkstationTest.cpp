#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/RecordingSink.h"
#include "support/TemporaryDirectory.h"
#include "terminal/StartupBanner.h"
#include "workstation/Workstation.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

class FixedClock final : public Clock {
public:
    [[nodiscard]] std::time_t now() const override { return 1'262'304'000; }  // 2010-01-01
};

// The web service as the start-up sees it: the same body for every request,
// or a refused connection.
class FixedHttpClient final : public HttpClient {
public:
    std::string Get(const std::string& url) override {
        urls.push_back(url);
        if (!body) throw TransportError("Connection refused");
        return *body;
    }
    std::string Post(const std::string& url, const std::string&, OutputFileMode) override { return Get(url); }

    std::optional<std::string> body;
    std::vector<std::string> urls;
};

// A workstation over a base of ten matches of one category, its research domain
// built with struct.
class WorkstationTest : public ::testing::Test {
protected:
    WorkstationTest() {
        std::ofstream base(folder.path() / "ten.txt", std::ios::binary);
        for (int i = 1; i <= 10; ++i) {
            base << (i < 10 ? "0" : "") << i << "/01/2011\r\nLeague\r\nHome " << i << "\r\nAway\r\n"
                 << (1.0 + i / 10.0) << "\r\n3.3\r\n4.4\r\n1\r\n0\r\n";
        }
    }

    Workstation& workstation() {
        if (!m_workstation) {
            m_workstation = std::make_unique<Workstation>(
                WorkstationSettings{.applicationDirectory = folder.path(), .decimalSeparator = ',', .service = {}},
                sink, files, clock, http);
            m_workstation->dataBase().open((folder.path() / "ten.txt").string());
            m_workstation->terminal().dispatcher().DispatchCommand("struct *");
        }
        return *m_workstation;
    }

    testing::TemporaryDirectory folder;
    testing::RecordingSink sink;
    LocalFileSystem files;
    FixedClock clock;
    FixedHttpClient http;

private:
    std::unique_ptr<Workstation> m_workstation;
};

TEST_F(WorkstationTest, PropertiesAreCheckedInOrderAndStoredOnlyWhenAllPass) {
    struct Case {
        const char* lo;
        const char* hi;
        const char* bnd;
        const char* caption;
        const char* text;
    };
    const Case refused[] = {
        {"1", "2", "x", "BND% Property error", "Error in expression"},
        {"(1", "2", "12", "Compartment Infimum Property error", "Unmatched brackets"},
        {"1", "1/0", "12", "Compartment Supremum Property error", "Domain error"},
        {"5", "4", "0", "Compartment Property error", "Infimum value cannot exceed supremum"},
        {"-2", "-1", "12", "Compartment Infimum Property error", "Infimum must be positive"},
        {"1", "11", "12", "Compartment Supremum Property error", "Supremum cannot exceed domain size"},
        {"1", "10", "0", "BND% Property error", "BND% must be in (0, 100>"},
        {"1", "10", "100.5", "BND% Property error", "BND% must be in (0, 100>"},
        {"1", "1E12", "12", "Compartment Supremum Property error", "Supremum cannot exceed domain size"},
    };
    for (const auto& c : refused) {
        const auto error = workstation().properties().apply(c.lo, c.hi, c.bnd);
        ASSERT_TRUE(error.has_value()) << c.lo << " " << c.hi << " " << c.bnd;
        EXPECT_EQ(error->caption, c.caption);
        EXPECT_EQ(error->text, c.text);
        EXPECT_EQ(workstation().researchDomain().lo(), 1);
        EXPECT_EQ(workstation().researchDomain().hi(), 10);
        EXPECT_EQ(workstation().researchDomain().bnd(), "12");
    }

    EXPECT_FALSE(workstation().properties().apply("2.9", "5", "12.5").has_value());
    EXPECT_EQ(workstation().researchDomain().lo(), 2);
    EXPECT_EQ(workstation().researchDomain().hi(), 5);
    EXPECT_EQ(workstation().researchDomain().bnd(), "12,5");  // the user's separator
    EXPECT_EQ(workstation().researchDomain().selection().size(), 4U);

    EXPECT_FALSE(workstation().properties().apply("0", "0", "100").has_value());
    EXPECT_TRUE(workstation().researchDomain().selection().empty());
}

TEST_F(WorkstationTest, PreviewNumbersTheRowsOfTheCompartment) {
    ASSERT_FALSE(workstation().properties().apply("3", "5", "12").has_value());
    const auto rows = workstation().domainCommands().previewRows();
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].date, "03/01/2011");
    EXPECT_EQ(rows[0].teams, "Home 3 - Away");
    EXPECT_EQ(rows[0].odds1, "1.30");
    EXPECT_EQ(rows[2].number, "3");
    EXPECT_EQ(rows[2].result, "odds1 won");
}

// Answers the save question as told and remembers what was shown.
class ScriptedCloseDialogs final : public Workstation::CloseQueryDialogs {
public:
    void refuse(std::string_view caption, std::string_view text) override {
        refusals.push_back(std::string(caption) + "|" + std::string(text));
    }
    Workstation::SaveAnswer askToSave(std::string_view, std::string_view) override {
        ++asked;
        return answer;
    }
    std::optional<std::string> chooseSaveFile(const std::filesystem::path&) override { return std::nullopt; }

    Workstation::SaveAnswer answer = Workstation::SaveAnswer::No;
    int asked = 0;
    Lines refusals;
};

TEST_F(WorkstationTest, ClosingIsRefusedWhileOptimizingAndAsksOnlyForAChangedBase) {
    ScriptedCloseDialogs dialogs;
    workstation().terminal().flags().OptimizationRunning = true;
    EXPECT_FALSE(workstation().mayClose(dialogs));
    EXPECT_EQ(
        dialogs.refusals,
        Lines{"Exit Refuse|Optimization in progress...\n Please type 'break' in command line to stop the engine."});
    workstation().terminal().flags().OptimizationRunning = false;

    dialogs.answer = Workstation::SaveAnswer::Cancel;
    EXPECT_TRUE(workstation().mayClose(dialogs));
    EXPECT_EQ(dialogs.asked, 0);

    // Naming a base marks the data base as changed until it is loaded or saved.
    workstation().dataBase().rename((folder.path() / "other.txt").string());
    EXPECT_FALSE(workstation().mayClose(dialogs));
    dialogs.answer = Workstation::SaveAnswer::No;
    EXPECT_TRUE(workstation().mayClose(dialogs));
    dialogs.answer = Workstation::SaveAnswer::Yes;
    EXPECT_TRUE(workstation().mayClose(dialogs));
    EXPECT_EQ(dialogs.asked, 3);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "other.txt"));
}

// A file that cannot be read says nothing about the base in use: it stays in
// force, down to its file name, so that a save still goes where it came from.
TEST_F(WorkstationTest, AnUnreadableFileLeavesTheOpenBaseInForce) {
    ASSERT_FALSE(workstation().properties().apply("2", "5", "12").has_value());
    const std::string file = (folder.path() / "ten.txt").string();
    OpenDataBase& dataBase = workstation().dataBase();
    for (const std::string& unreadable :
         {(folder.path() / "missing.txt").string(), std::string("/dev/zero"), folder.path().string()}) {
        SCOPED_TRACE(unreadable);
        sink.clearScreen();
        const LoadResult result = dataBase.open(unreadable);
        EXPECT_EQ(result.code, -1);
        EXPECT_EQ(sink.lines(),
                  (Lines{"Setting data base to : " + unreadable, "DBMS Error : Could not load dbase file"}));
        EXPECT_EQ(dataBase.nameLabel(), file);
        EXPECT_EQ(dataBase.fileName(), file);
        EXPECT_EQ(dataBase.size(), 10);
        EXPECT_FALSE(dataBase.isModified());
        EXPECT_EQ(workstation().researchDomain().size(), 10U);
        EXPECT_EQ(workstation().researchDomain().lo(), 2);
        EXPECT_EQ(workstation().researchDomain().hi(), 5);
    }
    // A failed save as keeps the name too.
    EXPECT_NE(dataBase.saveAs((folder.path() / "no folder" / "x.txt").string()), 0);
    EXPECT_EQ(dataBase.fileName(), file);
    EXPECT_EQ(dataBase.nameLabel(), file);
}

// The window downloads the directory on a worker thread between the first and
// the last part of the start-up; both ways write the same lines in the same order.
TEST_F(WorkstationTest, StartUpDownloadsTheDirectoryBeforeLoadingTheBase) {
    http.body = "[ID]B365[/ID][LINK]https://www.bet365.com/[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\n";
    const std::string base = (folder.path() / "ten.txt").string();
    const WorkstationSettings settings{
        .applicationDirectory = folder.path(),
        .decimalSeparator = '.',
        .service = {.host = *ServiceHost::parse("odds.example.org:9000"), .warning = "the host is odd"}};
    std::vector<Lines> written;
    for (const bool split : {false, true}) {
        SCOPED_TRACE(split ? "split" : "in a row");
        std::filesystem::remove(folder.path() / "links.b64");
        testing::RecordingSink lines;
        Workstation station(settings, lines, files, clock, http);
        LoadResult loaded;
        if (split) {
            station.beginStartUp(base);
            EXPECT_EQ(lines.lines().back(),
                      "Downloading sportsbooks informations from remote host odds.example.org:9000 ...");
            AffiliateLinks directory;
            std::thread worker([&] { directory = station.downloadDirectory(); });
            worker.join();
            EXPECT_TRUE(station.directory().empty());
            loaded = station.finishStartUp(std::move(directory));
        } else {
            loaded = station.startUp(base);
        }
        EXPECT_TRUE(loaded.loaded());
        EXPECT_EQ(station.directory().GetLink("B365"), "https://www.bet365.com/");
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "links.b64"));
        written.push_back(lines.lines());
    }
    EXPECT_EQ(http.urls, Lines(2, "http://odds.example.org:9000/referals.txt"));
    EXPECT_EQ(written[0], written[1]);

    const Lines& lines = written[0];
    ASSERT_GE(lines.size(), 6U);
    EXPECT_EQ(Lines(lines.begin() + 1, lines.begin() + 6),
              (Lines{"Initializing....", "Warning: the host is odd", "Setting data base to : " + base,
                     "Downloading sportsbooks informations from remote host odds.example.org:9000 ...",
                     "Loading local database..."}));
    const Lines banner = StartupBannerLines();
    ASSERT_GE(lines.size(), banner.size());
    EXPECT_EQ(Lines(lines.end() - static_cast<std::ptrdiff_t>(banner.size()), lines.end()), banner);
}

// Without the service and without a cache the start-up goes on as before,
// with an empty directory.
TEST_F(WorkstationTest, AnUnreachableServiceLeavesTheDirectoryEmpty) {
    Workstation station({.applicationDirectory = folder.path(), .decimalSeparator = '.', .service = {}}, sink, files,
                        clock, http);
    sink.clearScreen();
    station.startUp();
    const Lines lines = sink.lines();
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"Initializing....", "Downloading sportsbooks informations from remote host 127.0.0.1:8470 ...",
                     "Loading local database...", "DBMS Error : Could not load dbase file"}));
    EXPECT_TRUE(station.directory().empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "links.b64"));
}

}  // namespace
}  // namespace karvola
