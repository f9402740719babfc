#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "CliRunner.h"
#include "HeadlessTerminal.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"
#include "terminal/CommandDispatcher.h"

namespace karvola {
namespace {

using testing::ReadFileContent;
using testing::TemporaryDirectory;

// The home a user has after `make run` or a first start: the sample base as the
// default one, the sample data source where the wizard looks. Its path stands as
// "~/.local/share/karvola" in the guide's examples.
constexpr std::string_view kHomeInGuide = "~/.local/share/karvola";

std::string GuideText() {
    return ReadFileContent(std::filesystem::path(KARVOLA_SOURCE_DIR) / "docs" / "UserGuide.md");
}

void SeedHome(const std::filesystem::path& home) {
    const std::filesystem::path data = std::filesystem::path(KARVOLA_SOURCE_DIR) / "data";
    for (const char* folder : {"DataBase", "DataSource", "WorkSpace", "Documents"}) {
        std::filesystem::create_directories(home / folder);
    }
    std::filesystem::copy_file(data / "sample.txt", home / "DataBase" / "sample.txt");
    std::filesystem::copy_file(data / "sample.desc", home / "DataBase" / "sample.desc");
    std::filesystem::copy_file(data / "datasource" / "sample.txt", home / "DataSource" / "datasource.txt");
    std::filesystem::copy_file(data / "datasource" / "sample.desc", home / "DataSource" / "datasource.desc");
    testing::WriteFileContent(home / "karvola_config.xml",
                              "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<KarvolaConfiguration>\r\n"
                              "\t<DefaultBase>" +
                                  (home / "DataBase" / "sample.txt").string() +
                                  "</DefaultBase>\r\n</KarvolaConfiguration>\r\n");
}

// A transcript of karvola-cli in the guide: a block fenced with
// "```karvola-session". Its lines starting with ">" are what the user types;
// karvola-cli echoes them except the ':' commands, so the rest of the block,
// without the ">:" lines, is what it prints.
struct GuideSession {
    std::size_t line = 0;  // of the opening fence
    std::string input;
    std::string expected;
};

std::vector<GuideSession> GuideSessions(const std::string& guide) {
    std::vector<GuideSession> sessions;
    std::istringstream lines(guide);
    std::string line;
    GuideSession* open = nullptr;
    for (std::size_t number = 1; std::getline(lines, line); ++number) {
        if (open == nullptr) {
            if (line == "```karvola-session") open = &sessions.emplace_back(GuideSession{number, "", ""});
            continue;
        }
        if (line == "```") {
            open = nullptr;
            continue;
        }
        if (line.starts_with('>')) open->input += line.substr(1) + "\n";
        if (!line.starts_with(">:")) open->expected += line + "\n";
    }
    return sessions;
}

std::string InGuideTerms(std::string output, const std::filesystem::path& home) {
    const std::string path = home.string();
    for (std::size_t at = output.find(path); at != std::string::npos; at = output.find(path, at)) {
        output.replace(at, path.size(), kHomeInGuide);
        at += kHomeInGuide.size();
    }
    return output;
}

// How the guide sets a command in code: "`word".
bool ExplainsInCode(const std::string& guide, std::string_view word) {
    std::string code(1, '`');
    code.append(word);
    return guide.find(code) != std::string::npos;
}

// Every command the terminal knows and every ':' command of karvola-cli is
// explained in the guide, as code.
TEST(UserGuideTest, ExplainsEveryCommand) {
    const std::string guide = GuideText();
    ASSERT_FALSE(guide.empty());
    for (const std::string_view word : CommandWords()) {
        EXPECT_TRUE(ExplainsInCode(guide, word)) << word << " is not in the guide";
    }
    TemporaryDirectory folder;
    const auto help = testing::RunCli({"-q", "--home", folder.path().string()}, ":help\n", folder.path());
    const auto lines = testing::Lines(help.out);
    ASSERT_GT(lines.size(), 10U);
    for (const std::string& line : lines) {
        if (!line.starts_with(':')) continue;  // a description's later lines, the closing note
        const std::string command = line.substr(0, line.find(' '));
        EXPECT_TRUE(ExplainsInCode(guide, command)) << command << " is not in the guide";
    }
}

// The guide's transcripts are what karvola-cli prints today in a fresh home:
// scripts/update-guide-examples writes them anew after a change of the program.
TEST(UserGuideTest, TranscriptsAreWhatTheProgramPrints) {
    const std::vector<GuideSession> sessions = GuideSessions(GuideText());
    ASSERT_FALSE(sessions.empty());
    for (const GuideSession& session : sessions) {
        SCOPED_TRACE("docs/UserGuide.md:" + std::to_string(session.line));
        TemporaryDirectory folder;
        const std::filesystem::path home = folder.path() / "karvola";
        SeedHome(home);
        const auto run = testing::RunCli({"-q", "--home", home.string()}, session.input, folder.path());
        // A transcript that shows an error shows a script what exit status to expect.
        const auto lines = testing::Lines(run.out);
        const bool showsError = std::any_of(lines.begin(), lines.end(), cli::IsErrorLine);
        EXPECT_EQ(run.status, showsError || !run.err.empty() ? 1 : 0) << run.err;
        EXPECT_EQ(InGuideTerms(run.out, home), session.expected)
            << "run scripts/update-guide-examples after a change of what the program prints";
    }
}

}  // namespace
}  // namespace karvola
