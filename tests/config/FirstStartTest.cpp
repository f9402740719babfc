#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/FileSystem.h"
#include "config/ApplicationDirectory.h"
#include "config/FirstStart.h"
#include "config/MatchConfig.h"
#include "support/FaultyFileSystem.h"
#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileContent;
using testing::WriteFileContent;

// An installation's share/karvola (the sample base, the data source, the guide
// and the service's content, which stays where it is) and a user's new
// application directory.
class FirstStartTest : public ::testing::Test {
protected:
    FirstStartTest() {
        for (const auto& [file, content] : m_shipped) {
            fs::create_directories((share() / file).parent_path());
            WriteFileContent(share() / file, content);
        }
        EnsureApplicationLayout(home());
    }

    [[nodiscard]] fs::path share() const { return m_root.path() / "usr" / "share" / "karvola"; }
    [[nodiscard]] fs::path home() const { return m_root.path() / "home"; }
    [[nodiscard]] const std::map<std::string, std::string>& shipped() const { return m_shipped; }

    std::vector<std::string> seed(FileSystem& files) { return SeedFirstStart(home(), share(), files, m_clock); }
    [[nodiscard]] std::string defaultBase() { return MatchConfig(home(), m_disk, m_clock).GetDefaultBase(); }

    [[nodiscard]] const testing::FixedClock& clock() const { return m_clock; }

    LocalFileSystem m_disk;

private:
    testing::TemporaryDirectory m_root;
    testing::FixedClock m_clock{1232020800};
    std::map<std::string, std::string> m_shipped = {
        {"DataBase/sample.txt", "the sample base\r\n"},       {"DataBase/sample.desc", "B365\r\nBW\r\n"},
        {"DataSource/datasource.txt", "the data source\r\n"}, {"DataSource/datasource.desc", "B365\r\n"},
        {"Documents/UserGuide.pdf", "%PDF-1.4 the guide"},
    };
};

TEST_F(FirstStartTest, CopiesWhatTheInstallationShipsAndNamesTheSampleBase) {
    WriteFileContent(share() / "service" / "keys.txt", "demo\n");
    EXPECT_TRUE(seed(m_disk).empty());
    for (const auto& [file, content] : shipped()) EXPECT_EQ(ReadFileContent(home() / file), content) << file;
    EXPECT_FALSE(fs::exists(home() / "service")) << "the service reads its content in place";
    EXPECT_EQ(defaultBase(), (home() / "DataBase" / "sample.txt").string());
}

TEST_F(FirstStartTest, NeverReplacesTheUsersFiles) {
    WriteFileContent(home() / "DataBase" / "sample.txt", "my own base");
    WriteFileContent(home() / "Documents" / "UserGuide.pdf", "my notes");
    EXPECT_TRUE(seed(m_disk).empty());
    EXPECT_EQ(ReadFileContent(home() / "DataBase" / "sample.txt"), "my own base");
    EXPECT_EQ(ReadFileContent(home() / "Documents" / "UserGuide.pdf"), "my notes");
    EXPECT_EQ(ReadFileContent(home() / "DataSource" / "datasource.txt"), "the data source\r\n");
}

// A configuration that names a base that exists is the user's: nothing is
// copied or changed. One that names none, or a base that is gone (a program
// without a share started first), gets the sample named and keeps the rest.
TEST_F(FirstStartTest, ALaterStartSeedsOnlyWhenTheConfigurationNamesNoBaseThatExists) {
    struct Case {
        const char* what;
        std::string defaultBase;
        bool seeded;
    };
    const Case cases[] = {
        {"no base named", "", true},
        {"a base that is gone", (home() / "DataBase" / "gone.txt").string(), true},
        {"a base that exists", (home() / "DataBase" / "mine.txt").string(), false},
        {"a base named from the application directory", "DataBase/mine.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home());
        EnsureApplicationLayout(home());
        WriteFileContent(home() / "DataBase" / "mine.txt", "my own base");
        const std::string config = "<?xml version=\"1.0\" ?>\r\n<KarvolaConfiguration>\r\n\t<DefaultBase>" +
                                   c.defaultBase + "</DefaultBase>\r\n\t<BNDValue>25</BNDValue>\r\n" +
                                   "</KarvolaConfiguration>\r\n";
        WriteFileContent(home() / MatchConfig::kFileName, config);
        EXPECT_TRUE(seed(m_disk).empty());
        if (!c.seeded) {
            EXPECT_EQ(ReadFileContent(home() / MatchConfig::kFileName), config);
            EXPECT_TRUE(fs::is_empty(home() / "Documents"));
            continue;
        }
        EXPECT_EQ(defaultBase(), (home() / "DataBase" / "sample.txt").string());
        EXPECT_EQ(MatchConfig(home(), m_disk, clock()).GetBNDValue(), "25");
        EXPECT_EQ(ReadFileContent(home() / "Documents" / "UserGuide.pdf"), "%PDF-1.4 the guide");
    }
}

TEST_F(FirstStartTest, AnInstallationWithoutTheGuideOrTheBaseSeedsTheRest) {
    fs::remove_all(share() / "Documents");
    fs::remove_all(share() / "DataBase");
    EXPECT_TRUE(seed(m_disk).empty());
    EXPECT_EQ(ReadFileContent(home() / "DataSource" / "datasource.desc"), "B365\r\n");
    EXPECT_TRUE(fs::is_empty(home() / "Documents"));
    EXPECT_EQ(defaultBase(), "");
    EXPECT_TRUE(fs::exists(home() / MatchConfig::kFileName)) << "the first start is over";
}

// A full disk while the base is copied: the line names both files, nothing of the
// copy is left, and the configuration does not name a base that is not there.
TEST_F(FirstStartTest, ACopyThatFailsIsNamedAndLeavesNothingBehind) {
    testing::FaultyFileSystem files;
    files.onlyFile = home() / "DataBase" / "sample.txt";
    files.failWriteAfter = 4;
    const auto problems = seed(files);
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_EQ(problems[0], "Warning: could not copy " + (share() / "DataBase" / "sample.txt").string() + " to " +
                               (home() / "DataBase" / "sample.txt").string() + ".");
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(home() / "DataBase"), {}),
              std::vector<fs::path>{home() / "DataBase" / "sample.desc"});
    EXPECT_EQ(ReadFileContent(home() / "Documents" / "UserGuide.pdf"), "%PDF-1.4 the guide");
    EXPECT_EQ(defaultBase(), "");
}

TEST(FindInstalledShare, BesideTheBinFolderOnly) {
    testing::TemporaryDirectory root;
    fs::create_directories(root.path() / "usr" / "bin");
    fs::create_directories(root.path() / "usr" / "share" / "karvola");
    fs::create_directories(root.path() / "build" / "app" / "cli");
    EXPECT_EQ(FindInstalledShare(root.path() / "usr" / "bin"), root.path() / "usr" / "share" / "karvola");
    EXPECT_EQ(FindInstalledShare(root.path() / "build" / "app" / "cli"), std::nullopt) << "a build folder";
    EXPECT_EQ(FindInstalledShare(fs::path()), std::nullopt);
}

}  // namespace
}  // namespace karvola
