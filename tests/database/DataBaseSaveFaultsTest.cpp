#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "database/MatchDBMS.h"
#include "support/FileContent.h"
#include "support/RecordingSink.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testing::SaveFault;

constexpr const char* kCouldNotSave = "Fatal (DBMS) Could not save dbase file";
constexpr const char* kCouldNotSave30 = "DBMS Fatal: Could not save dbase file";
constexpr const char* kSavingNow = "DBMS : Saving now, wait...";
constexpr const char* kSavingNow30 = "DBMS : Saving now as 3.0 data format, wait...";
constexpr const char* kOldBase = "01/01/2001\r\nold\r\nOld\r\nBase\r\n2\r\n3\r\n4\r\n1\r\n0\r\n";

// Two settled records: what the save and the export write is longer than the few
// bytes the full disk takes.
const std::string kRecords =
    "29/07/2005\r\nFrance, Ligue 1\r\nParis SG\r\nMetz\r\n1.6\r\n3.8\r\n7.0\r\n1\r\n0\r\n"
    "05/08/2005\r\nGermany, Bundesliga\r\nBayern Munich\r\nM'gladbach\r\n1.25\r\n5.5\r\n11\r\n1\r\n0\r\n";

// The data base's three ways to write a file, each under every fault of the table:
// the old file stays byte for byte, no temporary file is left, the terminal says the
// save failed (after "Saving now" only when it had begun), and the base is still
// changed and keeps its name, so that closing the window asks again.
class DataBaseSaveFaults : public ::testing::TestWithParam<SaveFault> {
protected:
    DataBaseSaveFaults() {
        fs::create_directory(folder.path() / "saves");
        testing::WriteFileContent(folder.path() / "loaded.txt", kRecords);
    }

    [[nodiscard]] fs::path target() const { return folder.path() / "saves" / "base.txt"; }

    // A base loaded from loaded.txt, the screen cleared.
    std::unique_ptr<MatchDBMS> loadedBase() {
        auto dbms = std::make_unique<MatchDBMS>(sink, files);
        dbms->SetDataBaseName((folder.path() / "loaded.txt").string());
        EXPECT_EQ(dbms->Load().code, 0);
        return dbms;
    }

    // What the terminal says: the announcement only when the save had begun, then the failure.
    [[nodiscard]] Lines told(const char* announcement, const char* failure) const {
        if (testing::TemporaryFileIsMade(GetParam())) return {announcement, failure};
        return {failure};
    }

    Lines newLines() {
        const Lines all = sink.lines();
        Lines fresh(all.begin() + static_cast<std::ptrdiff_t>(m_seen), all.end());
        m_seen = all.size();
        return fresh;
    }

    testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    testing::RecordingSink sink;

private:
    std::size_t m_seen = 0;
};

TEST_P(DataBaseSaveFaults, SaveKeepsTheOldFileAndSaysSo) {
    const auto dbms = loadedBase();
    const testing::SaveFaultScene scene(GetParam(), files, target(), kOldBase);
    dbms->SetDataBaseName(target().string());
    newLines();

    int result = 0;
    scene.save([&] { result = dbms->Save(); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(newLines(), told(kSavingNow, kCouldNotSave));
    EXPECT_TRUE(dbms->IsModified());
    EXPECT_EQ(dbms->records().size(), 2U);
    scene.expectUnchanged();
}

TEST_P(DataBaseSaveFaults, SaveAsKeepsTheOldFileAndTheOldName) {
    const auto dbms = loadedBase();
    const testing::SaveFaultScene scene(GetParam(), files, target(), kOldBase);
    dbms->SetDataBaseName((folder.path() / "named.txt").string());
    newLines();

    int result = 0;
    scene.save([&] { result = dbms->SaveAs(target().string()); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(newLines(), told(kSavingNow, kCouldNotSave));
    EXPECT_EQ(dbms->fileName(), (folder.path() / "named.txt").string());
    EXPECT_TRUE(dbms->IsModified());
    scene.expectUnchanged();
}

TEST_P(DataBaseSaveFaults, Export30KeepsTheOldFileAndSaysSo) {
    const auto dbms = loadedBase();
    const testing::SaveFaultScene scene(GetParam(), files, target(), kOldBase);
    newLines();

    scene.save([&] { dbms->SaveAs30Format(target().string()); });
    EXPECT_EQ(newLines(), told(kSavingNow30, kCouldNotSave30));
    EXPECT_EQ(dbms->fileName(), (folder.path() / "loaded.txt").string());
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, DataBaseSaveFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

// The other side of the link decision: a save through a link that works writes the
// file the link names and keeps the link.
TEST(DataBaseSaveThroughALink, WritesTheLinkedFileAndKeepsTheLink) {
    const testing::TemporaryDirectory folder;
    testing::RecordingSink sink;
    LocalFileSystem files;
    testing::WriteFileContent(folder.path() / "loaded.txt", kRecords);
    fs::create_directory(folder.path() / "elsewhere");
    testing::WriteFileContent(folder.path() / "elsewhere" / "base.txt", kOldBase);
    fs::create_symlink(fs::path("elsewhere") / "base.txt", folder.path() / "base.txt");

    MatchDBMS dbms(sink, files);
    dbms.SetDataBaseName((folder.path() / "loaded.txt").string());
    ASSERT_EQ(dbms.Load().code, 0);
    ASSERT_EQ(dbms.SaveAs((folder.path() / "base.txt").string()), 0);
    EXPECT_EQ(sink.lines().back(), "DBMS : Saving done.");
    EXPECT_TRUE(fs::is_symlink(folder.path() / "base.txt"));
    EXPECT_EQ(testing::ReadFileContent(folder.path() / "elsewhere" / "base.txt"), kRecords);
}

}  // namespace
}  // namespace karvola
