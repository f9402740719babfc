#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace karvola {

// A file being written in place of another. Nothing reaches the target until
// commit(): the content goes to a temporary file in the target's folder, which
// commit() flushes to disk and renames over the target. Destroyed without a
// successful commit, it removes the temporary file and the target stays as it was.
class ReplacementFile {
public:
    virtual ~ReplacementFile() = default;
    // False once any write has failed (a full disk, a file size limit).
    virtual bool write(std::string_view data) = 0;
    // Flushes the content to the disk and closes the file, short of the rename:
    // afterwards only commit's rename can fail. A save of two files that belong
    // together flushes both before it renames either, so that a full disk leaves
    // both old files. False (and commit false) on any failure. A replacement that
    // cannot tell the steps apart does all of it in commit.
    virtual bool flush() { return true; }
    // Flushes unless done, then renames; false (target untouched) on any failure.
    virtual bool commit() = 0;
};

// The file operations the program needs, behind an interface so that tests can
// make them fail where a real disk rarely does.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The whole file in one read; nothing when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::filesystem::path& file) = 0;
    // Starts replacing the file; nothing when the temporary file cannot be
    // created (a missing folder, no permission) or the file is a folder.
    // A symbolic link is followed: the file it names is replaced, in that file's
    // folder and with its permissions, and the link stays a link (a configuration
    // kept elsewhere and linked in goes on working). A link that never ends at a
    // file (a loop) gives nothing, so a failed save never costs the user the link.
    virtual std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) = 0;
    virtual bool exists(const std::filesystem::path& file) = 0;
};

// Writes the content in place of the file: afterwards the file holds either
// the whole new content or, after any failure, exactly what it held before.
bool WriteFileAtomically(FileSystem& files, const std::filesystem::path& file, std::string_view content);
// The same through a replacement already started, for a caller that announces
// the write only once it can begin.
bool WriteFileAtomically(std::unique_ptr<ReplacementFile> replacement, std::string_view content);

// The real disk.
class LocalFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::filesystem::path& file) override;
    std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) override;
    bool exists(const std::filesystem::path& file) override;
};

}  // namespace karvola
