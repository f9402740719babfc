#include "support/SaveFaults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "support/FileContent.h"
#include "support/FileSizeLimit.h"

namespace karvola::testing {

namespace fs = std::filesystem;

namespace {

// Fewer bytes than any save writes, so that the write fails midway.
constexpr std::size_t kBytesBeforeFull = 4;

std::string describeBytes(const std::string& bytes) {
    constexpr std::size_t kShown = 300;
    if (bytes.size() <= kShown) return bytes;
    return std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(bytes));
}

void snapshotInto(const fs::path& root, const fs::path& folder, std::map<std::string, std::string>& entries) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        const std::string name = path.lexically_relative(root).string();
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) throw std::runtime_error("cannot lstat " + path.string());
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
        if (S_ISLNK(status.st_mode)) {
            entries[name] = "link -> " + fs::read_symlink(path).string();
        } else if (S_ISDIR(status.st_mode)) {
            entries[name] = std::string("folder ") + mode;
            snapshotInto(root, path, entries);
        } else {
            entries[name] = std::string("file ") + mode + " " + describeBytes(ReadFileContent(path));
        }
    }
}

void lock(const fs::path& folder) {
    if (::chmod(folder.c_str(), 0555) != 0) throw std::runtime_error("cannot chmod " + folder.string());
}

}  // namespace

const std::vector<SaveFault>& AllSaveFaults() {
    static const std::vector<SaveFault> faults = {
        SaveFault::FullDisk,
        SaveFault::WriteErrorAfterOpen,
        SaveFault::FlushFails,
        SaveFault::ReadOnlyFolder,
        SaveFault::TargetIsFolder,
        SaveFault::LinkToFileOnFullDisk,
        SaveFault::LinkIntoReadOnlyFolder,
        SaveFault::LinkLoop,
    };
    return faults;
}

const std::vector<SaveFault>& RealSaveFaults() {
    static const std::vector<SaveFault> faults = {SaveFault::WriteErrorAfterOpen, SaveFault::ReadOnlyFolder,
                                                  SaveFault::TargetIsFolder, SaveFault::LinkIntoReadOnlyFolder,
                                                  SaveFault::LinkLoop};
    return faults;
}

std::string NameOf(SaveFault fault) {
    switch (fault) {
        case SaveFault::FullDisk:
            return "FullDisk";
        case SaveFault::WriteErrorAfterOpen:
            return "WriteErrorAfterOpen";
        case SaveFault::FlushFails:
            return "FlushFails";
        case SaveFault::ReadOnlyFolder:
            return "ReadOnlyFolder";
        case SaveFault::TargetIsFolder:
            return "TargetIsFolder";
        case SaveFault::LinkToFileOnFullDisk:
            return "LinkToFileOnFullDisk";
        case SaveFault::LinkIntoReadOnlyFolder:
            return "LinkIntoReadOnlyFolder";
        case SaveFault::LinkLoop:
            return "LinkLoop";
    }
    return "Unknown";
}

void PrintTo(SaveFault fault, std::ostream* out) {
    *out << NameOf(fault);
}

bool TemporaryFileIsMade(SaveFault fault) {
    switch (fault) {
        case SaveFault::FullDisk:
        case SaveFault::WriteErrorAfterOpen:
        case SaveFault::FlushFails:
        case SaveFault::LinkToFileOnFullDisk:
            return true;
        case SaveFault::ReadOnlyFolder:
        case SaveFault::TargetIsFolder:
        case SaveFault::LinkIntoReadOnlyFolder:
        case SaveFault::LinkLoop:
            return false;
    }
    return false;
}

std::map<std::string, std::string> FolderSnapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    snapshotInto(folder, folder, entries);
    return entries;
}

SaveFaultScene::SaveFaultScene(SaveFault fault, FaultyFileSystem& files, fs::path target, std::string_view oldContent)
    : m_fault(fault), m_files(files), m_target(std::move(target)) {
    const fs::path folder = m_target.parent_path();
    const std::string name = m_target.filename().string();
    fs::remove_all(m_target);
    m_files.heal();
    switch (fault) {
        case SaveFault::FullDisk:
            WriteFileContent(m_target, oldContent);
            m_files.onlyFile = m_target;
            m_files.failWriteAfter = kBytesBeforeFull;
            break;
        case SaveFault::WriteErrorAfterOpen:
            WriteFileContent(m_target, oldContent);
            break;
        case SaveFault::FlushFails:
            WriteFileContent(m_target, oldContent);
            m_files.onlyFile = m_target;
            m_files.failFlush = true;
            break;
        case SaveFault::ReadOnlyFolder:
            WriteFileContent(m_target, oldContent);
            m_lockedFolders.push_back(folder);
            break;
        case SaveFault::TargetIsFolder:
            fs::create_directory(m_target);
            WriteFileContent(m_target / "inside.txt", oldContent);
            break;
        case SaveFault::LinkToFileOnFullDisk:
            fs::create_directories(folder / "elsewhere");
            WriteFileContent(folder / "elsewhere" / name, oldContent);
            fs::create_symlink(fs::path("elsewhere") / name, m_target);
            m_files.onlyFile = m_target;
            m_files.failWriteAfter = kBytesBeforeFull;
            break;
        case SaveFault::LinkIntoReadOnlyFolder:
            fs::create_directories(folder / "locked");
            WriteFileContent(folder / "locked" / name, oldContent);
            fs::create_symlink(fs::path("locked") / name, m_target);
            m_lockedFolders.push_back(folder / "locked");
            break;
        case SaveFault::LinkLoop:
            fs::remove(folder / (name + ".loop"));
            fs::create_symlink(name + ".loop", m_target);
            fs::create_symlink(name, folder / (name + ".loop"));
            break;
    }
    if (!m_lockedFolders.empty()) m_rootObeys.emplace();
    for (const fs::path& locked : m_lockedFolders) lock(locked);
    m_before = FolderSnapshot(folder);
}

SaveFaultScene::~SaveFaultScene() {
    m_files.heal();
    for (const fs::path& locked : m_lockedFolders) ::chmod(locked.c_str(), 0755);
}

void SaveFaultScene::save(const std::function<void()>& action) const {
    if (m_fault != SaveFault::WriteErrorAfterOpen) {
        action();
        return;
    }
    const FileSizeLimit limit(kBytesBeforeFull);
    action();
}

std::optional<std::uintmax_t> SaveFaultScene::childFileSizeLimit() const {
    if (m_fault != SaveFault::WriteErrorAfterOpen) return std::nullopt;
    return kBytesBeforeFull;
}

namespace {

std::map<std::string, std::string> without(std::map<std::string, std::string> entries,
                                           const std::vector<std::string>& names) {
    for (const std::string& name : names) entries.erase(name);
    return entries;
}

}  // namespace

void SaveFaultScene::expectUnchanged(const std::vector<std::string>& writtenMeanwhile) const {
    EXPECT_EQ(without(FolderSnapshot(m_target.parent_path()), writtenMeanwhile), without(m_before, writtenMeanwhile))
        << "after " << NameOf(m_fault);
}

bool SaveFaultScene::unchanged(const std::vector<std::string>& writtenMeanwhile) const {
    return without(FolderSnapshot(m_target.parent_path()), writtenMeanwhile) == without(m_before, writtenMeanwhile);
}

}  // namespace karvola::testing
