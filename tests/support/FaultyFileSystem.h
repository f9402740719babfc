#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/FileSystem.h"

namespace karvola::testing {

// The real disk, with the faults a real disk rarely shows on demand. The
// temporary files are real, so a test sees what a failed save leaves in the
// folder. The faults hit every save, or only the save of `onlyFile`.
class FaultyFileSystem final : public FileSystem {
public:
    std::optional<std::filesystem::path> onlyFile;
    // No temporary file: as in a folder without write permission.
    bool refuseReplacing = false;
    // A full disk (ENOSPC): this many bytes reach the temporary file, then every write fails.
    std::optional<std::size_t> failWriteAfter;
    // Everything written, then the flush fails (a delayed ENOSPC or EIO that fsync or
    // close reports), and with it the commit; the target is left alone.
    bool failFlush = false;

    // Back to a disk without faults.
    void heal() {
        onlyFile.reset();
        refuseReplacing = false;
        failWriteAfter.reset();
        failFlush = false;
    }
    // The replacements that reached their target.
    [[nodiscard]] int commits() const { return m_commits; }

    std::optional<std::string> readFile(const std::filesystem::path& file) override { return m_disk.readFile(file); }
    bool exists(const std::filesystem::path& file) override { return m_disk.exists(file); }
    std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) override {
        const bool hit = !onlyFile || *onlyFile == file;
        if (hit && refuseReplacing) return nullptr;
        auto real = m_disk.replaceFile(file);
        if (!real) return nullptr;
        return std::make_unique<Replacement>(*this, std::move(real), hit);
    }

private:
    class Replacement final : public ReplacementFile {
    public:
        Replacement(FaultyFileSystem& owner, std::unique_ptr<ReplacementFile> real, bool hit)
            : m_owner(owner), m_real(std::move(real)), m_hit(hit) {}

        bool write(std::string_view data) override {
            if (m_failed) return false;
            if (m_hit && m_owner.failWriteAfter && m_written + data.size() > *m_owner.failWriteAfter) {
                // What still fits goes to the disk, as a short write does before ENOSPC.
                const std::size_t room = *m_owner.failWriteAfter > m_written ? *m_owner.failWriteAfter - m_written : 0;
                m_real->write(data.substr(0, room));
                m_written += room;
                m_failed = true;
                return false;
            }
            m_written += data.size();
            m_failed = !m_real->write(data);
            return !m_failed;
        }

        bool flush() override {
            if (m_failed || (m_hit && m_owner.failFlush)) {
                m_failed = true;
                return false;
            }
            m_failed = !m_real->flush();
            return !m_failed;
        }

        bool commit() override {
            if (!flush() || !m_real->commit()) return false;
            ++m_owner.m_commits;
            return true;
        }

    private:
        FaultyFileSystem& m_owner;
        std::unique_ptr<ReplacementFile> m_real;
        bool m_hit;
        std::size_t m_written = 0;
        bool m_failed = false;
    };

    LocalFileSystem m_disk;
    int m_commits = 0;
};

}  // namespace karvola::testing
