#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/FaultyFileSystem.h"
#include "support/RootPermissionGuard.h"

namespace karvola::testing {

// The ways a save can fail. Each is arranged for real where this machine allows it
// cheaply, and through FaultyFileSystem where it does not: an unprivileged user
// cannot mount a tiny tmpfs, and /dev/full cannot stand in for a file that is
// written beside its target and renamed.
enum class SaveFault {
    FullDisk,                // FaultyFileSystem: the disk fills up after a few bytes (ENOSPC)
    WriteErrorAfterOpen,     // real: a file size limit (RLIMIT_FSIZE) of a few bytes, EFBIG midway
    FlushFails,              // FaultyFileSystem: all written, then the flush (fsync, close) fails
    ReadOnlyFolder,          // real: the target's folder is 0555
    TargetIsFolder,          // real: a folder holding a file where the file should be
    LinkToFileOnFullDisk,    // real link to the old file elsewhere, FaultyFileSystem's full disk
    LinkIntoReadOnlyFolder,  // real link to the old file in a 0555 folder
    LinkLoop,                // real: the target is a link to a link back to it
};

// Every fault, in the order above, for INSTANTIATE_TEST_SUITE_P.
const std::vector<SaveFault>& AllSaveFaults();
// Those a separate process meets too: no FaultyFileSystem there.
const std::vector<SaveFault>& RealSaveFaults();
// The fault's name as a test name ("FullDisk").
std::string NameOf(SaveFault fault);
// How GoogleTest shows a parameter: by its name.
void PrintTo(SaveFault fault, std::ostream* out);
// The test names of INSTANTIATE_TEST_SUITE_P over the faults (a GoogleTest
// TestParamInfo goes in).
inline constexpr auto SaveFaultName = [](const auto& test) { return NameOf(test.param); };
// Whether the save gets as far as its temporary file before it fails: the saves that
// announce themselves ("Saving now, wait...") do so only then.
bool TemporaryFileIsMade(SaveFault fault);

// Everything below a folder: each entry's kind and permissions, a file's bytes (their
// size and hash beyond a few hundred), a link's text. Two equal snapshots: nothing
// changed, nothing created, nothing left behind.
std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& folder);

// One fault arranged for a save to `target`, with `oldContent` as the file the save
// would replace (where a link leads, for the link faults; inside the folder in the
// file's place, for TargetIsFolder). Everything it adds stays below the target's
// folder, whose snapshot it takes once arranged. Undone when the object goes. A read-only
// folder binds root too while the object lives (RootPermissionGuard), on the thread
// that made it and on the threads and programs that thread starts meanwhile.
class SaveFaultScene final {
public:
    SaveFaultScene(SaveFault fault, FaultyFileSystem& files, std::filesystem::path target, std::string_view oldContent);
    ~SaveFaultScene();
    SaveFaultScene(const SaveFaultScene&) = delete;
    SaveFaultScene& operator=(const SaveFaultScene&) = delete;

    // Runs the save under the fault; the file size limit is lowered around it only.
    void save(const std::function<void()>& action) const;
    // The file size limit a child process saving under this fault must get, or
    // nothing: a program under test in a process of its own meets the real faults only.
    [[nodiscard]] std::optional<std::uintmax_t> childFileSizeLimit() const;
    // The target's folder exactly as arranged: the old bytes, links still links and
    // no temporary file left. Files the program writes there besides the target (its
    // configuration at the end of a run) are named in `writtenMeanwhile`. Reported
    // to GoogleTest; a Qt Test asks unchanged().
    void expectUnchanged(const std::vector<std::string>& writtenMeanwhile = {}) const;
    [[nodiscard]] bool unchanged(const std::vector<std::string>& writtenMeanwhile = {}) const;

private:
    SaveFault m_fault;
    FaultyFileSystem& m_files;
    std::filesystem::path m_target;
    std::vector<std::filesystem::path> m_lockedFolders;
    // Root would write into the locked folders all the same.
    std::optional<RootPermissionGuard> m_rootObeys;
    std::map<std::string, std::string> m_before;
};

}  // namespace karvola::testing
