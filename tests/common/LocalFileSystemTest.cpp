#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "common/FileSystem.h"
#include "support/FileContent.h"
#include "support/FileSizeLimit.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::FileSizeLimit;
using testing::TemporaryDirectory;

void writeFile(const fs::path& file, const std::string& content) {
    testing::WriteFileContent(file, content);
}

std::string readBack(const fs::path& file) {
    return testing::ReadFileContent(file);
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

mode_t permissionsOf(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(::stat(file.c_str(), &status), 0);
    return status.st_mode & 07777;
}

class LocalFileSystemTest : public ::testing::Test {
protected:
    TemporaryDirectory m_folder;
    LocalFileSystem m_files;
};

TEST_F(LocalFileSystemTest, ReadsEveryByteOfAFile) {
    // Empty (still a file, not a failure), every kind of byte, and several megabytes.
    std::string binary("a\0b\r\n\xff\n", 7);
    std::string large;
    for (int i = 0; large.size() < 3 * 1024 * 1024; ++i) large += "line " + std::to_string(i) + "\r\n";
    for (const std::string& content : {std::string(), binary, large}) {
        SCOPED_TRACE(content.size());
        writeFile(m_folder.path() / "data.txt", content);
        const std::optional<std::string> read = m_files.readFile(m_folder.path() / "data.txt");
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, content);
    }
}

TEST_F(LocalFileSystemTest, ReadsFilesThatReportNoSize) {
    // /proc files have st_size 0 but content: the read must go on to the end of the file.
    const std::optional<std::string> read = m_files.readFile("/proc/self/status");
    ASSERT_TRUE(read.has_value());
    EXPECT_NE(read->find("Name:"), std::string::npos);
}

// Only regular files are read: a device would never end, a FIFO would wait for a writer.
TEST_F(LocalFileSystemTest, ReadingWhatIsNoReadableFileGivesNothing) {
    fs::create_directory(m_folder.path() / "folder");
    writeFile(m_folder.path() / "file", "x");
    const fs::path fifo = m_folder.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {m_folder.path() / "missing.txt", m_folder.path() / "folder",
                                 m_folder.path() / "file" / "below-a-file", fs::path("/dev/zero"), fifo}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(m_files.readFile(path).has_value());
    }
}

TEST_F(LocalFileSystemTest, ReplacementReachesTheTargetOnlyAtCommit) {
    const fs::path target = m_folder.path() / "config.xml";
    writeFile(target, "old");
    auto file = m_files.replaceFile(target);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("new "));
    EXPECT_TRUE(file->write("content"));
    EXPECT_EQ(readBack(target), "old");
    EXPECT_TRUE(file->commit());
    EXPECT_EQ(readBack(target), "new content");
    file.reset();
    EXPECT_EQ(namesIn(m_folder.path()), std::set<std::string>{"config.xml"});
}

TEST_F(LocalFileSystemTest, ReplacementCreatesAMissingTarget) {
    const fs::path target = m_folder.path() / "new.txt";
    auto file = m_files.replaceFile(target);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("x\r\n"));
    EXPECT_TRUE(file->commit());
    EXPECT_EQ(readBack(target), "x\r\n");
    // Not the 0600 of the temporary file: readable like any file the user creates.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(target), 0644 & ~mask);
}

TEST_F(LocalFileSystemTest, ReplacementKeepsThePermissionsOfTheTarget) {
    const fs::path target = m_folder.path() / "private.txt";
    writeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    auto file = m_files.replaceFile(target);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("new"));
    EXPECT_TRUE(file->commit());
    EXPECT_EQ(permissionsOf(target), 0640U);
}

// A save through a symbolic link writes the file the link names, in that
// file's folder and with its permissions; the link stays a link.
TEST_F(LocalFileSystemTest, ReplacementThroughALinkReplacesTheLinkedFile) {
    const fs::path data = m_folder.path() / "data";
    fs::create_directory(data);
    const fs::path real = data / "real.txt";
    writeFile(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink("data/real.txt", m_folder.path() / "link.txt");  // relative to the link's folder
    fs::create_symlink(m_folder.path() / "link.txt", m_folder.path() / "chain.txt");
    fs::create_symlink("data/absent.txt", m_folder.path() / "dangling.txt");

    ASSERT_TRUE(WriteFileAtomically(m_files, m_folder.path() / "chain.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(m_folder.path() / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(m_folder.path() / "chain.txt"));
    EXPECT_EQ(readBack(real), "new");
    EXPECT_EQ(permissionsOf(real), 0600U);
    EXPECT_EQ(namesIn(data), std::set<std::string>{"real.txt"});

    ASSERT_TRUE(WriteFileAtomically(m_files, m_folder.path() / "dangling.txt", "created"));
    EXPECT_TRUE(fs::is_symlink(m_folder.path() / "dangling.txt"));
    EXPECT_EQ(readBack(data / "absent.txt"), "created");
}

// A save killed before its rename leaves its temporary file; the next save to
// that file clears those no running save can still own.
TEST_F(LocalFileSystemTest, StaleTemporaryFilesOfTheTargetAreRemoved) {
    const fs::path target = m_folder.path() / "base.txt";
    const auto makeFile = [this](const char* name, std::chrono::minutes age) {
        const fs::path file = m_folder.path() / name;
        writeFile(file, "partial");
        fs::last_write_time(file, fs::file_time_type::clock::now() - age);
    };
    makeFile(".base.txt.karvola-Ab12Cd", std::chrono::minutes(5));   // stale: removed
    makeFile(".base.txt.karvola-Xy34Zw", std::chrono::minutes(0));   // maybe a save in progress: kept
    makeFile(".other.txt.karvola-Ab12Cd", std::chrono::minutes(5));  // another file's: kept
    makeFile(".base.txt.backup", std::chrono::minutes(5));           // the user's: kept
    ASSERT_TRUE(WriteFileAtomically(m_files, target, "whole"));
    EXPECT_EQ(namesIn(m_folder.path()), (std::set<std::string>{"base.txt", ".base.txt.karvola-Xy34Zw",
                                                               ".other.txt.karvola-Ab12Cd", ".base.txt.backup"}));
}

TEST_F(LocalFileSystemTest, AbandonedReplacementLeavesTheTargetAndNoTemporaryFile) {
    const fs::path target = m_folder.path() / "config.xml";
    writeFile(target, "old");
    {
        auto file = m_files.replaceFile(target);
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(file->write("half of the new"));
    }
    EXPECT_EQ(readBack(target), "old");
    EXPECT_EQ(namesIn(m_folder.path()), std::set<std::string>{"config.xml"});
}

TEST_F(LocalFileSystemTest, FailedWriteKeepsTheOldFile) {
    // A write beyond the file size limit fails like one on a full disk.
    const fs::path target = m_folder.path() / "base.txt";
    const std::string old(100, 'o');
    writeFile(target, old);
    {
        auto file = m_files.replaceFile(target);
        ASSERT_NE(file, nullptr);
        {
            const FileSizeLimit limit(1000);
            EXPECT_TRUE(file->write(std::string(600, 'n')));
            EXPECT_FALSE(file->write(std::string(600, 'n')));
            // The failure is remembered: a later small write that would fit does not hide it.
            EXPECT_FALSE(file->write("n"));
        }
        EXPECT_FALSE(file->commit());
    }
    EXPECT_EQ(readBack(target), old);
    EXPECT_EQ(namesIn(m_folder.path()), std::set<std::string>{"base.txt"});
}

// A folder in the file's place, or a link that never ends at a file: the save
// fails before a temporary file is made, and the folder or the links stay.
TEST_F(LocalFileSystemTest, NoReplacementOfAFolderOrThroughALinkLoop) {
    const fs::path folder = m_folder.path() / "base.txt";
    fs::create_directory(folder);
    writeFile(folder / "inside.txt", "old");
    fs::create_symlink("base.txt", m_folder.path() / "to-folder.txt");
    fs::create_symlink("loop-b.txt", m_folder.path() / "loop-a.txt");
    fs::create_symlink("loop-a.txt", m_folder.path() / "loop-b.txt");
    fs::create_symlink("self.txt", m_folder.path() / "self.txt");
    const std::set<std::string> before = namesIn(m_folder.path());
    for (const char* name : {"base.txt", "to-folder.txt", "loop-a.txt", "self.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(m_files.replaceFile(m_folder.path() / name), nullptr);
        EXPECT_FALSE(WriteFileAtomically(m_files, m_folder.path() / name, "new"));
    }
    EXPECT_EQ(namesIn(m_folder.path()), before);
    EXPECT_EQ(readBack(folder / "inside.txt"), "old");
    EXPECT_EQ(fs::read_symlink(m_folder.path() / "loop-a.txt"), "loop-b.txt");
    EXPECT_EQ(fs::read_symlink(m_folder.path() / "self.txt"), "self.txt");
}

// Every fault of the table on the seam itself: false, and the folder as it was.
class WriteFileAtomicallyFaults : public ::testing::TestWithParam<testing::SaveFault> {};

TEST_P(WriteFileAtomicallyFaults, KeepTheOldFileAndLeaveNothingBehind) {
    const TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    const testing::SaveFaultScene scene(GetParam(), files, folder.path() / "saved.txt", "old content\r\n");
    bool written = true;
    scene.save([&] { written = WriteFileAtomically(files, folder.path() / "saved.txt", std::string(5000, 'n')); });
    EXPECT_FALSE(written);
    EXPECT_EQ(files.commits(), 0);
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, WriteFileAtomicallyFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         testing::SaveFaultName);

// Two files that belong together are both flushed before either is renamed:
// after the flush only the rename is left, and an abandoned flushed file goes.
TEST_F(LocalFileSystemTest, FlushWritesEverythingShortOfTheRename) {
    const fs::path first = m_folder.path() / "base.txt";
    const fs::path second = m_folder.path() / "base.desc";
    writeFile(first, "old base");
    writeFile(second, "old names");
    {
        auto base = m_files.replaceFile(first);
        auto names = m_files.replaceFile(second);
        ASSERT_TRUE(base && names);
        EXPECT_TRUE(base->write("new base"));
        EXPECT_TRUE(base->flush());
        EXPECT_TRUE(base->flush()) << "a second flush has nothing left to do";
        EXPECT_FALSE(base->write("more")) << "the file is closed";
        EXPECT_TRUE(names->write("new names"));
        EXPECT_TRUE(names->flush());
        EXPECT_EQ(readBack(first), "old base");
        EXPECT_TRUE(base->commit());
        EXPECT_EQ(readBack(first), "new base");
        // The second one is abandoned after its flush: its old file stays, nothing is left.
    }
    EXPECT_EQ(readBack(second), "old names");
    EXPECT_EQ(namesIn(m_folder.path()), (std::set<std::string>{"base.txt", "base.desc"}));

    auto failed = m_files.replaceFile(first);
    ASSERT_NE(failed, nullptr);
    {
        const FileSizeLimit limit(4);
        EXPECT_FALSE(failed->write("longer than the limit"));
    }
    EXPECT_FALSE(failed->flush());
    EXPECT_FALSE(failed->commit());
    failed.reset();
    EXPECT_EQ(readBack(first), "new base");
}

TEST_F(LocalFileSystemTest, NoReplacementInAMissingFolder) {
    EXPECT_EQ(m_files.replaceFile(m_folder.path() / "missing" / "config.xml"), nullptr);
}

TEST_F(LocalFileSystemTest, ExistsAnswersWithoutThrowing) {
    writeFile(m_folder.path() / "file", "x");
    EXPECT_TRUE(m_files.exists(m_folder.path() / "file"));
    EXPECT_TRUE(m_files.exists(m_folder.path()));
    EXPECT_FALSE(m_files.exists(m_folder.path() / "missing"));
    EXPECT_FALSE(m_files.exists(m_folder.path() / "file" / "below-a-file"));
    // A name longer than the system allows is an error for std::filesystem::exists.
    EXPECT_FALSE(m_files.exists(m_folder.path() / std::string(5000, 'n')));
}

}  // namespace
}  // namespace karvola
