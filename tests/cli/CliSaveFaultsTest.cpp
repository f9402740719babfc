#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRunner.h"
#include "config/ApplicationDirectory.h"
#include "service/RunningService.h"
#include "support/FileContent.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"
#include "wizard/ConversionFixtures.h"

namespace karvola::testing {
namespace {

namespace fs = std::filesystem;
using LineList = std::vector<std::string>;

constexpr const char* kCouldNotSave = "Fatal (DBMS) Could not save dbase file";
constexpr const char* kCouldNotSave30 = "DBMS Fatal: Could not save dbase file";
constexpr const char* kSavingNow = "DBMS : Saving now, wait...";
constexpr const char* kSavingNow30 = "DBMS : Saving now as 3.0 data format, wait...";
constexpr const char* kConfigurationLine = "Error : Could not save configuration!";
constexpr const char* kConfigurationDiagnostic = "karvola-cli: could not save the configuration";
// Written at the end of every run, into the home that holds some of the targets.
const std::vector<std::string> kConfiguration = {"karvola_config.xml"};

// Every file karvola-cli saves, under the faults a program of its own meets for
// real: the file size limit in the child (which the program must survive: SIGXFSZ
// is ignored), read-only folders where this user cannot write, a folder in the
// file's place and links. The old file stays byte for byte with nothing beside
// it, the user reads what failed, and nothing says it was saved.
class CliSaveFaults : public ::testing::TestWithParam<SaveFault> {
protected:
    CliSaveFaults() {
        EnsureApplicationLayout(home());
        fs::create_directories(work());
        fs::create_directories(saves());
        fs::copy_file(fs::path(KARVOLA_TEST_DATA_DIR) / "cli" / "domain" / "small.txt", folder.path() / "small.txt");
    }

    [[nodiscard]] fs::path home() const { return folder.path() / "home"; }
    [[nodiscard]] fs::path work() const { return folder.path() / "work"; }
    [[nodiscard]] fs::path saves() const { return folder.path() / "saves"; }
    [[nodiscard]] fs::path sample() const { return fs::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt"; }

    CliRun run(const SaveFaultScene& scene, std::vector<std::string> arguments, const std::string& input,
               const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), {"--home", home().string()});
        if (const auto limit = scene.childFileSizeLimit())
            return RunCliWithFileSizeLimit(arguments, input, work(), *limit, environment);
        return RunCli(arguments, input, work(), environment);
    }

    // Whether the configuration, written at the end of every run, fails as well: under
    // the file size limit, and when the home itself is the read-only folder.
    [[nodiscard]] bool configurationFails(const fs::path& target) const {
        return GetParam() == SaveFault::WriteErrorAfterOpen ||
               (GetParam() == SaveFault::ReadOnlyFolder && target.parent_path() == home());
    }
    // The lines a failed configuration adds at the end.
    [[nodiscard]] LineList configurationOut(const fs::path& target) const {
        return configurationFails(target) ? LineList{kConfigurationLine} : LineList{};
    }
    [[nodiscard]] LineList configurationErr(const fs::path& target) const {
        return configurationFails(target) ? LineList{kConfigurationDiagnostic} : LineList{};
    }
    // The announcement only when the save had begun, then the failure.
    [[nodiscard]] LineList told(const char* announcement, const char* failure) const {
        if (TemporaryFileIsMade(GetParam())) return {announcement, failure};
        return {failure};
    }

    static LineList joined(LineList first, const LineList& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }

    TemporaryDirectory folder;
    FaultyFileSystem unused;  // a program of its own meets only the real faults
};

TEST_P(CliSaveFaults, SaveAs) {
    const fs::path target = saves() / "base.txt";
    const SaveFaultScene scene(GetParam(), unused, target, "old base\r\n");
    const CliRun result =
        run(scene, {"-q", "--db", (folder.path() / "small.txt").string()}, ":save " + target.string() + "\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out), joined(told(kSavingNow, kCouldNotSave), configurationOut(target)));
    EXPECT_EQ(Lines(result.err), configurationErr(target));
    scene.expectUnchanged();
}

TEST_P(CliSaveFaults, Export30) {
    const fs::path target = saves() / "base30.txt";
    const SaveFaultScene scene(GetParam(), unused, target, "old export\r\n");
    const CliRun result =
        run(scene, {"-q", "--db", (folder.path() / "small.txt").string()}, ":export30 " + target.string() + "\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out), joined(told(kSavingNow30, kCouldNotSave30), configurationOut(target)));
    EXPECT_EQ(Lines(result.err), configurationErr(target));
    scene.expectUnchanged();
}

TEST_P(CliSaveFaults, BetsPreviewCsv) {
    const fs::path target = saves() / "bets.csv";
    const SaveFaultScene scene(GetParam(), unused, target, "old,csv\r\n");
    const CliRun result = run(scene, {"-q", "--db", sample().string()},
                              "struct *\n:props 1 5 12\nsim [1.5 2.5 1] 0.05\n:bets " + target.string() + "\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out), joined({">struct *", ">sim [1.5 2.5 1] 0.05", " Bankroll multiplier 1.11166548728943"},
                                        configurationOut(target)));
    EXPECT_EQ(Lines(result.err), joined({"karvola-cli: could not write " + target.string()}, configurationErr(target)));
    scene.expectUnchanged();
}

TEST_P(CliSaveFaults, BankrollChartSvg) {
    const fs::path target = home() / "WorkSpace" / "bankroll_chart.svg";
    const SaveFaultScene scene(GetParam(), unused, target, "<svg>old</svg>\n");
    const CliRun result =
        run(scene, {"-q", "--db", sample().string()}, "struct *\n:props 1 5 12\nsim [1.5 2.5 1] 0.05\nsch\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out),
              joined({">struct *", ">sim [1.5 2.5 1] 0.05", " Bankroll multiplier 1.11166548728943", ">sch"},
                     configurationOut(target)));
    EXPECT_EQ(Lines(result.err), joined({"karvola-cli: could not write " + target.string()}, configurationErr(target)));
    scene.expectUnchanged();
}

TEST_P(CliSaveFaults, Configuration) {
    const fs::path target = home() / "karvola_config.xml";
    const SaveFaultScene scene(GetParam(), unused, target, "<?xml version=\"1.0\" ?>\r\n<KarvolaConfiguration/>\r\n");
    const CliRun result = run(scene, {"-q"}, "=1+1\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out), (LineList{">=1+1", "2", kConfigurationLine}));
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(Lines(result.err).back(), kConfigurationDiagnostic);
    scene.expectUnchanged();
}

TEST_P(CliSaveFaults, UpcomingRequestFile) {
    const fs::path target = home() / "f.rqt";
    const SaveFaultScene scene(GetParam(), unused, target, "request=download&uid=old");
    const CliRun result = run(scene, {"-q", "--db", (folder.path() / "small.txt").string(), "--key", "demo"},
                              "struct *\nupcoming [1 10 1]\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out), joined({">struct *", ">upcoming [1 10 1]", "Error: Cannot create temporary file.",
                                         "There are no upcoming matches performs your criteria."},
                                        configurationOut(target)));
    EXPECT_EQ(Lines(result.err), configurationErr(target));
    scene.expectUnchanged(kConfiguration);
}

// The wizard's conversion (its descriptor's faults are the core's tests).
TEST_P(CliSaveFaults, ConvertedBase) {
    WriteFileContent(folder.path() / "source.txt",
                     SourceRecord("1239062400", "Arsenal", "Chelsea", "2", "1", {"B365", "1.5", "3.4", "6.5"}));
    const fs::path target = saves() / "top.txt";
    const SaveFaultScene scene(GetParam(), unused, target, "old base\r\n");
    const CliRun result =
        run(scene, {"-q"}, ":convert " + (folder.path() / "source.txt").string() + " " + target.string() + " 0 B365\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    const std::string error =
        TemporaryFileIsMade(GetParam()) ? "Unable to write data base file" : "Unable to create data base file";
    EXPECT_EQ(Lines(result.out), joined({"Fatal Error  : " + error}, configurationOut(target)));
    EXPECT_EQ(Lines(result.err), configurationErr(target));
    scene.expectUnchanged();
}

// The football-data import's data source (its descriptor's faults are the core's tests).
TEST_P(CliSaveFaults, ImportedDataSource) {
    WriteFileContent(folder.path() / "E0.csv",
                     "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A\r\n"
                     "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19\r\n");
    const fs::path target = saves() / "source.txt";
    const SaveFaultScene scene(GetParam(), unused, target, "old source\r\n");
    const CliRun result =
        run(scene, {"-q"}, ":import " + target.string() + " " + (folder.path() / "E0.csv").string() + "\n");
    EXPECT_EQ(result.status, 1);  // the save failed
    EXPECT_EQ(Lines(result.out),
              joined({"Error : Cannot write \"" + target.string() + "\""}, configurationOut(target)));
    EXPECT_EQ(Lines(result.err), configurationErr(target));
    scene.expectUnchanged();
}

// The directory's cache at start-up, from the service in the test's process: a
// quiet start gives the warning on standard error, a loud one on the terminal.
TEST_P(CliSaveFaults, DirectoryCache) {
    RunningService service;
    const std::string host = "KARVOLA_SERVICE_HOST=" + service.host();
    const fs::path target = home() / "links.b64";
    const SaveFaultScene scene(GetParam(), unused, target, "b2xk\r\n");
    const std::string warning = "Warning: Could not save sportsbooks informations to " + target.string() +
                                ": a run without the remote host will show the older ones.";

    const CliRun quiet = run(scene, {"-q"}, ":bookmaker B365\n", {host});
    EXPECT_EQ(quiet.status, configurationFails(target) ? 1 : 0);  // the configuration counts, the cache not
    EXPECT_EQ(Lines(quiet.out),
              joined({"Link: https://www.bet365.com/", "State: ON LINE", "Rating: A"}, configurationOut(target)));
    EXPECT_EQ(Lines(quiet.err), joined({"karvola-cli: " + warning}, configurationErr(target)));

    const CliRun loud = run(scene, {}, "", {host});
    const LineList lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 5U);
    EXPECT_EQ(LineList(lines.begin() + 3, lines.begin() + 5), (LineList{warning, "Loading local database..."}));
    scene.expectUnchanged(kConfiguration);
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, CliSaveFaults, ::testing::ValuesIn(RealSaveFaults()),
                         karvola::testing::SaveFaultName);

}  // namespace
}  // namespace karvola::testing
