#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "config/ApplicationDirectory.h"
#include "support/FileContent.h"
#include "support/RootPermissionGuard.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;

// A program's folder with the application layout (a portable copy) and one
// without it (an installed bin folder), and an XDG data folder.
class ApplicationDirectoryTest : public ::testing::Test {
protected:
    ApplicationDirectoryTest() {
        EnsureApplicationLayout(portable());
        fs::create_directories(bare());
    }

    [[nodiscard]] fs::path portable() const { return m_root.path() / "portable"; }
    [[nodiscard]] fs::path bare() const { return m_root.path() / "bin"; }
    [[nodiscard]] fs::path dataHome() const { return m_root.path() / "data"; }

private:
    TemporaryDirectory m_root;
};

TEST_F(ApplicationDirectoryTest, TheProgramsFolderOnlyWhenItHasTheLayoutAndTakesWrites) {
    struct Case {
        const char* what;
        ApplicationDirectoryInputs inputs;
        fs::path expected;
    };
    const fs::path user = "/home/someone";
    const Case cases[] = {
        {"a portable copy", {.executableDirectory = portable(), .executableDirectoryWritable = true}, portable()},
        {"a read-only copy with the layout",
         {.executableDirectory = portable(), .executableDirectoryWritable = false, .xdgDataHome = dataHome()},
         dataHome() / "karvola"},
        {"an installed program",
         {.executableDirectory = bare(), .executableDirectoryWritable = true, .xdgDataHome = dataHome()},
         dataHome() / "karvola"},
        {"a relative XDG_DATA_HOME is ignored",
         {.executableDirectory = bare(), .xdgDataHome = "data", .userHome = user},
         user / ".local" / "share" / "karvola"},
        {"no XDG_DATA_HOME", {.executableDirectory = bare(), .userHome = user}, user / ".local" / "share" / "karvola"},
        {"no HOME either", {.executableDirectory = bare()}, fs::temp_directory_path() / "karvola"},
        {"--home wins over a portable copy",
         {.home = portable() / "x" / ".." / "mine",
          .executableDirectory = portable(),
          .executableDirectoryWritable = true},
         portable() / "mine"},
        {"a relative --home starts at the working folder", {.home = fs::path("mine")}, fs::current_path() / "mine"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveApplicationDirectory(c.inputs), c.expected) << c.what;
    }
}

TEST_F(ApplicationDirectoryTest, AFolderIsWritableWhenItAndItsSubfoldersTakeNewFiles) {
    testing::WriteFileContent(bare() / "karvola", "a program");
    EXPECT_TRUE(IsWritableDirectory(portable()));
    EXPECT_TRUE(IsWritableDirectory(bare()));
    EXPECT_FALSE(IsWritableDirectory(bare() / "karvola")) << "a file";
    EXPECT_FALSE(IsWritableDirectory(bare() / "missing"));

    const testing::RootPermissionGuard rootObeys;
    fs::permissions(portable() / "DataBase", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(IsWritableDirectory(portable())) << "a read-only DataBase folder";
    fs::permissions(bare(), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(IsWritableDirectory(bare()));
    fs::permissions(bare(), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(portable() / "DataBase", fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace karvola
