#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CliRunner.h"
#include "service/RunningService.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using LineList = std::vector<std::string>;

std::string ReadText(const std::filesystem::path& file) {
    return ReadFileContent(file);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

const std::filesystem::path& TestData() {
    static const std::filesystem::path data = KARVOLA_TEST_DATA_DIR;
    return data;
}

// karvola-cli as a child process: its standard input a pipe the test writes to,
// its output a file the test reads while it runs.
struct ChildCli {
    pid_t pid = -1;
    int input = -1;  // the writing end
};

ChildCli StartCli(const std::vector<std::string>& arguments, const std::filesystem::path& outFile) {
    int input[2];
    if (pipe(input) != 0) return {};
    const ExecList argv = CliArguments(arguments);
    const ExecList envp(ChildEnvironment());
    const pid_t child = fork();
    if (child == 0) {
        dup2(input[0], 0);
        close(input[1]);
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        execve(KARVOLA_CLI_PATH, argv.data(), envp.data());
        _exit(127);
    }
    close(input[0]);
    return {child, input[1]};
}

// Waits up to the given time for the text to appear in the file.
bool WaitForText(const std::filesystem::path& file, const std::string& text, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (ReadText(file).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class CliTest : public ::testing::Test {
protected:
    CliRun run(std::vector<std::string> arguments, const std::string& input = {},
               const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), {"--home", (folder.path() / "home").string()});
        return RunCli(arguments, input, folder.path(), environment);
    }

    TemporaryDirectory folder;
};

// A whole session through standard input: every line is echoed and answered
// exactly as the window's terminal would.
TEST_F(CliTest, SessionFromStandardInputMatchesTheGoldenTranscript) {
    const auto result = run({"-q"}, ReadText(TestData() / "cli" / "session" / "input.txt"));
    EXPECT_EQ(result.status, 1);  // its faulty lines fail
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, ReadText(TestData() / "cli" / "session" / "expected.txt"));
}

TEST_F(CliTest, StartUpWritesTheBannerUnlessQuiet) {
    const auto loud = run({}, "");
    const auto lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 22U);
    // A first run: no configuration, so no default base to name.
    EXPECT_EQ(lines[0], "Match DBMS release date :  Apr 22 2009");
    EXPECT_EQ(lines[1], "Initializing....");
    EXPECT_EQ(lines[2], "Downloading sportsbooks informations from remote host 127.0.0.1:9 ...");
    EXPECT_EQ(lines[3], "Loading local database...");
    EXPECT_EQ(lines[4], "DBMS Error : Could not load dbase file");
    EXPECT_EQ(lines[5], std::string(87, '-'));
    EXPECT_EQ(lines[6], "                     Karvola BETA Edition v.5.0.3");
    EXPECT_EQ(lines[9], "  final release : Apr 22 2009");
    EXPECT_EQ(lines[13], "    =<numeric-expression>                  break                        pe_result");
    EXPECT_EQ(lines.back(), "");
    // A program without an installation to seed from says where the sample base is.
    const std::string sample = (std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt").string();
    EXPECT_EQ(loud.err, "karvola-cli: no default data base yet; the sample base is " + sample +
                            ": start with --db FILE to try it, or :load FILE to make it the default\n");
    // Once only, on the first start in the folder; a quiet script is not told.
    EXPECT_EQ(run({}, "").err, "");
    std::filesystem::remove_all(folder.path() / "home");
    const auto quiet = run({"-q"}, "");
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(run({"--quiet"}, "").out, "");
}

// The service host: --service, else KARVOLA_SERVICE_HOST, else the local
// service; an environment value that is no HOST[:PORT] is reported, not used.
// The hosts named refuse at once, so the start-up's download costs nothing.
TEST_F(CliTest, ServiceHostComesFromTheOptionTheEnvironmentOrTheDefault) {
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> environment;
        std::string host;
    };
    const Case cases[] = {
        {{}, {}, "127.0.0.1:9"},  // the tests' own unreachable host
        {{}, {"KARVOLA_SERVICE_HOST=localhost:9"}, "localhost:9"},
        {{"--service", "[::1]:9"}, {"KARVOLA_SERVICE_HOST=localhost:9"}, "[::1]:9"},
        {{}, {"KARVOLA_SERVICE_HOST="}, "127.0.0.1:8470"},
        {{}, {"KARVOLA_SERVICE_HOST=http://odds.example.org/"}, "127.0.0.1:8470"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"-q", "-e", ":status"});
        const auto result = run(options, "", c.environment);
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("Service host: " + c.host + "\n"), std::string::npos) << result.out;
    }

    const auto loud = run({}, "", {"KARVOLA_SERVICE_HOST=http://odds.example.org/"});
    const auto lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[1], "Initializing....");
    EXPECT_EQ(lines[2].rfind("Warning: KARVOLA_SERVICE_HOST ", 0), 0U) << lines[2];
    EXPECT_EQ(lines[3], "Downloading sportsbooks informations from remote host 127.0.0.1:8470 ...");
    const auto quiet = run({"-q"}, "", {"KARVOLA_SERVICE_HOST=http://odds.example.org/"});
    EXPECT_EQ(quiet.out, "");
    EXPECT_NE(quiet.err.find("Warning: KARVOLA_SERVICE_HOST "), std::string::npos) << quiet.err;

    const auto wrong = run({"--service", "odds.example.org/path"}, "");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err.rfind("karvola-cli: --service: ", 0), 0U) << wrong.err;
}

TEST_F(CliTest, LinesAreSplitAtLineFeedsWithOneCarriageReturnDropped) {
    const auto result = run({"-q"}, "echo  a \r\n\r\necho b\r\r\necho c");
    EXPECT_EQ(Lines(result.out), (LineList{">echo  a ", " a", ">echo b\r", "b", ">echo c", "c"}));
}

TEST_F(CliTest, ExpressionOptionsRunBeforeTheScriptAndInsteadOfStandardInput) {
    const auto script = folder.path() / "script.txt";
    std::ofstream(script) << "echo from script\n";
    const auto result = run({"-q", "-e", "echo one", "-e", "=1+1", script.string()}, "echo from stdin\n");
    EXPECT_EQ(Lines(result.out), (LineList{">echo one", "one", ">=1+1", "2", ">echo from script", "from script"}));
}

TEST_F(CliTest, QuitEndsTheInput) {
    const auto result = run({"-q"}, "echo before\nquit\necho after\n");
    EXPECT_EQ(Lines(result.out), (LineList{">echo before", "before", ">quit"}));
    EXPECT_EQ(result.status, 0);
}

// Meta-commands stand for menu items: never echoed, never in the history, and
// diagnostics go to standard error so that standard output stays the terminal.
TEST_F(CliTest, MetaCommandsAreNotEchoedAndUnknownOnesGoToStandardError) {
    const auto result = run({"-q"}, ":help\n:nonsense\n:wait\n");
    const auto lines = Lines(result.out);
    ASSERT_GT(lines.size(), 2U);
    // Each entry starts with its command; a long description goes on in its
    // column below; a note on file names ends the list. Nothing is wider than
    // the 80 columns of an output that is no terminal.
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].starts_with(':') || lines[i].starts_with(std::string(23, ' '))) << lines[i];
    }
    for (const auto& line : lines) EXPECT_LE(line.size(), 80U) << line;
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("FILE, SOURCE, BASE, CSV and FOLDER are read from the current"));
    EXPECT_NE(result.out.find(":wait                  wait until a running optimization has ended\n"),
              std::string::npos);
    EXPECT_NE(result.out.find(":walkforward FOLDS [TRAIN|all] [SPAN]\n" + std::string(23, ' ') + "opt judged on"),
              std::string::npos);
    EXPECT_NE(result.err.find(":nonsense"), std::string::npos);
    EXPECT_EQ(result.status, 1);
}

TEST_F(CliTest, WrongOptionsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"},
        {"-e"},
        {"-x"},
        {"--home"},
        {"--home="},
        {"--db", ""},
        {"one.txt", "two.txt"},
        {(folder.path() / "missing.txt").string()},
    };
    for (const auto& arguments : wrong) {
        const auto result = RunCli(arguments, "", folder.path());
        EXPECT_EQ(result.status, 2) << arguments.front();
        EXPECT_EQ(result.out, "") << arguments.front();
        EXPECT_EQ(result.err.rfind("karvola-cli: ", 0), 0U) << result.err;
    }
    // A wrong option: one line saying why, then the usage.
    const auto lines = Lines(RunCli({"--bogus"}, "", folder.path()).err);
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[1], "Usage: karvola-cli [options] [SCRIPT]");

    const auto help = RunCli({"--help"}, "", folder.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: karvola-cli [options] [SCRIPT]\n", 0), 0U) << help.out;
    const auto version = RunCli({"--version"}, "", folder.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "karvola-cli 5.0.3 (Karvola BETA Edition v.5.0.3)\n");
}

// --home=DIR and --db=FILE reach the program as --home DIR and --db FILE do.
TEST_F(CliTest, OptionValuesMayFollowAnEqualsSign) {
    const auto home = folder.path() / "other home";
    const auto base = folder.path() / "missing.txt";
    const auto result = RunCli({"--home=" + home.string(), "--db=" + base.string()}, "", folder.path());
    EXPECT_EQ(result.status, 1);  // the base is missing
    const auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[2], "Setting data base to : " + base.string());
    EXPECT_TRUE(std::filesystem::is_directory(home / "DataBase"));
}

TEST_F(CliTest, HomeIsCreatedWithItsFolders) {
    run({"-q"}, "");
    for (const char* sub : {"DataBase", "DataSource", "WorkSpace", "Documents"}) {
        EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "home" / sub)) << sub;
    }
}

// The user's regional settings choose the separator of the general form only:
// what the user types is read the same way under any locale.
TEST_F(CliTest, DecimalCommaLocaleChangesTheGeneralFormOnly) {
    const auto result = run({"-q"}, "=1/4\n=1.5+1,25\ncr_res2 2.2 2.2 100\n", {"LC_ALL=", "LC_NUMERIC=pl_PL.UTF-8"});
    EXPECT_EQ(Lines(result.out),
              (LineList{">=1/4", "0,25", ">=1.5+1,25", "2,75", ">cr_res2 2.2 2.2 100", "resultant odds is : 1.10",
                        "stake for 1st odds is : 50.00", "stake for 2nd odds is : 50.00"}));
}

// The menus and dialogs of the data base and the research domain, through their
// meta-commands, on a small base of eight matches.
TEST_F(CliTest, DataBaseAndResearchDomainSessionMatchesTheGoldenTranscript) {
    const auto fixture = TestData() / "cli" / "domain";
    const auto base = folder.path() / "small.txt";
    std::filesystem::copy_file(fixture / "small.txt", base);
    std::filesystem::copy_file(fixture / "small.desc", folder.path() / "small.desc");
    const auto substitute = [this](const std::string& text) {
        return ReplaceAll(text, "@HOME@", folder.path().string());
    };
    const auto result = run({"-q", "--db", base.string()}, substitute(ReadText(fixture / "session.txt")));
    EXPECT_EQ(result.status, 1);  // the dialog refuses the faulty :props
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, substitute(ReadText(fixture / "expected.txt")));
    // What was saved reads back as the same base, byte for byte.
    EXPECT_EQ(ReadText(folder.path() / "copy.txt"), ReadText(base));
}

// result, pe_result, sim, pe_sim, sbp and opt on the sample base that ships with the program.
TEST_F(CliTest, StrategySessionMatchesTheGoldenTranscript) {
    const auto base = std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
    const auto fixture = TestData() / "cli" / "strategy";
    const auto result = run({"-q", "--db", base.string()}, ReadText(fixture / "session.txt"));
    EXPECT_EQ(result.status, 1);  // pe_result refuses BET3
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, ReadText(fixture / "expected.txt"));
}

// The end of the input waits for a running optimization and its report.
TEST_F(CliTest, EndOfInputWaitsForTheOptimization) {
    const auto base = std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
    const auto result = run({"-q", "--db", base.string()}, "struct *\nopt 1\n");
    const auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 8U);
    EXPECT_EQ(lines[1], ">opt 1");
    EXPECT_EQ(lines.back(), "  Bankroll Multiplier for OKF:        20.9051208496094");
}

// The two windows of a simulation become files: the Bets Preview as CSV and the
// chart as a picture in WorkSpace, whose path goes to standard error.
TEST_F(CliTest, BetsPreviewAndChartAreSavedAsFiles) {
    const auto base = std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
    const auto csv = folder.path() / "bets.csv";
    const auto result = run({"-q", "--db", base.string()},
                            "struct *\n:props 1 5 12\nsim [1.5 2.5 1] 0.05\n:bets " + csv.string() + "\nsch\n");
    EXPECT_EQ(Lines(result.out),
              (LineList{">struct *", ">sim [1.5 2.5 1] 0.05", " Bankroll multiplier 1.11166548728943", ">sch"}));
    const auto csvLines = Lines(ReadText(csv));
    ASSERT_EQ(csvLines.size(), 6U);
    EXPECT_EQ(csvLines[0], "No.,Date,Category,Teams,1,X,2,Decision,Odds for Decision,Stake,Result,Current Bankroll\r");
    EXPECT_EQ(csvLines[1],
              "1,10/08/2018,\"England, Premier League\",Man United - Leicester,1.58,4.00,7.50,bet1,1.58,"
              "0.0500000007450581,won,1.02900004386902\r");
    const auto chart = folder.path() / "home" / "WorkSpace" / "bankroll_chart.svg";
    EXPECT_NE(ReadText(chart).find("<svg"), std::string::npos);
    EXPECT_NE(result.err.find(chart.string()), std::string::npos);
}

TEST_F(CliTest, ConfigurationIsWrittenAtTheEndAndKeepsTheLoadedBase) {
    const auto base = folder.path() / "small.txt";
    std::filesystem::copy_file(TestData() / "cli" / "domain" / "small.txt", base);
    const auto config = folder.path() / "home" / "karvola_config.xml";

    run({"-q", "-e", ":load " + base.string()});
    const std::string written = ReadText(config);
    EXPECT_NE(written.find("\t<DefaultBase>" + base.string() + "</DefaultBase>\r\n"), std::string::npos) << written;

    // The next start loads it; --db loads another base without changing the configuration.
    const auto started = run({}, "quit\n");
    EXPECT_NE(started.out.find("DBMS : 8 items loaded."), std::string::npos);
    run({"-q", "--db", (folder.path() / "missing.txt").string()}, "");
    EXPECT_EQ(ReadText(config), written);
}

TEST_F(CliTest, QuietStartReportsAFailedLoadOnStandardError) {
    const auto result = run({"-q", "--db", (folder.path() / "missing.txt").string()}, "");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("DBMS Error : Could not load dbase file"), std::string::npos);
    const auto loud = run({"--db", (folder.path() / "missing.txt").string()}, "");
    const auto lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 7U);
    EXPECT_EQ(lines[0], "Match DBMS release date :  Apr 22 2009");
    EXPECT_EQ(lines[1], "Initializing....");
    EXPECT_EQ(lines[2], "Setting data base to : " + (folder.path() / "missing.txt").string());
    EXPECT_EQ(lines[3], "Downloading sportsbooks informations from remote host 127.0.0.1:9 ...");
    EXPECT_EQ(lines[4], "Loading local database...");
    EXPECT_EQ(lines[5], "DBMS Error : Could not load dbase file");
    EXPECT_EQ(lines[6], std::string(87, '-'));
}

// The bookmaker directory comes from the service at start-up, and :bookmaker
// shows what the bookmaker list's menu offers for a name, blanks and all.
TEST_F(CliTest, BookmakerDirectoryComesFromTheServiceOrItsCache) {
    RunningService service;
    const std::string host = "KARVOLA_SERVICE_HOST=" + service.host();
    const auto loud = run({}, ":bookmaker B365\n:bookmaker Nobody\n:bookmaker  B365\n:bookmaker\n", {host});
    const auto lines = Lines(loud.out);
    ASSERT_GE(lines.size(), 12U);
    EXPECT_EQ(lines[2], "Downloading sportsbooks informations from remote host " + service.host() + " ...");
    EXPECT_EQ(lines[3], "Loading local database...");
    EXPECT_EQ(LineList(lines.end() - 3, lines.end()),
              (LineList{"Link: https://www.bet365.com/", "State: ON LINE", "Rating: A"}));
    // A name the directory does not know, the blank before B365 included, is no bookmaker's.
    EXPECT_EQ(loud.err.substr(loud.err.find('\n') + 1),  // after the fresh folder's note on the sample base
              "karvola-cli: 'Nobody' is not in the bookmaker directory\n"
              "karvola-cli: ' B365' is not in the bookmaker directory\n"
              "karvola-cli: :bookmaker needs a name\n");
    EXPECT_EQ(loud.status, 1);

    // A quiet start holds the download line back with the others.
    EXPECT_EQ(run({"-q"}, ":bookmaker BS\n", {host}).out, "Link: empty\nState: CLOSED\nRating: E\n");
    // Without the service, the cache the earlier runs left in the home serves.
    service.stop();
    EXPECT_EQ(run({"-q"}, ":bookmaker LB\n").out, "Link: https://www.ladbrokes.com/\nState: STACJONARNY\nRating: B\n");
}

// An interrupted run still writes its configuration, after the line it was handling.
TEST_F(CliTest, TerminationSignalWritesTheConfiguration) {
    const auto home = folder.path() / "home";
    const auto outFile = folder.path() / "out.txt";
    const ChildCli child = StartCli({"-q", "--home", home.string()}, outFile);
    ASSERT_GT(child.pid, 0);
    const std::string line = "echo ready\n";
    ASSERT_EQ(write(child.input, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ASSERT_TRUE(WaitForText(outFile, "ready\n", std::chrono::seconds(5)));
    EXPECT_FALSE(std::filesystem::exists(home / "karvola_config.xml"));
    kill(child.pid, SIGTERM);
    int status = 0;
    waitpid(child.pid, &status, 0);
    close(child.input);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_NE(ReadText(home / "karvola_config.xml").find("<BNDValue>12</BNDValue>"), std::string::npos);
}

// A long command polls the stop request: a signal ends the program within a
// fraction of the command's time, the configuration written and no later line run.
TEST_F(CliTest, ASignalEndsALongCommandAtOnce) {
    const auto home = folder.path() / "home";
    const auto base = folder.path() / "big.txt";
    {
        std::ofstream file(base, std::ios::binary);
        for (int i = 0; i < 200'000; ++i) {
            file << "01/01/2011\r\nLeague\r\nHome " << i % 97 << "\r\nAway\r\n1." << i % 90 + 10
                 << "\r\n3.3\r\n4.4\r\n1\r\n0\r\n";
        }
    }
    std::string condition = "ODDS1 > 1.05";
    for (int i = 0; i < 3'000; ++i) condition += " && ODDS0 > 1." + std::to_string(i % 10);
    const auto outFile = folder.path() / "out.txt";
    const ChildCli child = StartCli({"-q", "--home", home.string(), "--db", base.string()}, outFile);
    ASSERT_GT(child.pid, 0);
    const std::string lines = "struct *\nrsr " + condition + "\necho after\n";
    ASSERT_EQ(write(child.input, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    ASSERT_TRUE(WaitForText(outFile, ">rsr", std::chrono::seconds(30)));
    const auto signalled = std::chrono::steady_clock::now();
    kill(child.pid, SIGINT);
    int status = 0;
    waitpid(child.pid, &status, 0);
    const auto took = std::chrono::steady_clock::now() - signalled;
    close(child.input);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_LT(took, std::chrono::milliseconds(1500));  // the whole restriction takes several seconds
    EXPECT_EQ(ReadText(outFile).find("after"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home / "karvola_config.xml"));
}

// A reader that goes away (karvola-cli ... | head) ends the program quietly,
// with the configuration written, not by SIGPIPE.
TEST_F(CliTest, AClosedOutputEndsTheProgramQuietly) {
    const auto home = folder.path() / "home";
    std::vector<std::string> arguments = {"-q", "--home", home.string()};
    for (int i = 0; i < 5'000; ++i) arguments.insert(arguments.end(), {"-e", "echo line"});
    const ExecList argv = CliArguments(arguments);
    const ExecList envp(ChildEnvironment());
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(output[0]);
        dup2(output[1], 1);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 2);
        execve(KARVOLA_CLI_PATH, argv.data(), envp.data());
        _exit(127);
    }
    close(output[1]);
    char first[16];
    ASSERT_GT(read(output[0], first, sizeof first), 0);
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    // The status a shell expects of a program that SIGPIPE ended.
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGPIPE);
    EXPECT_TRUE(std::filesystem::exists(home / "karvola_config.xml"));
}

}  // namespace
}  // namespace karvola::testing
