#pragma once

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"

namespace karvola::testing {

// Lines as the data source and the data base write them, each ended by CR LF.
inline std::string CrLfLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// One data source record: start time, teams, category parts, goals, then
// offers of four lines each (name, 1, X, 2), then "####".
inline std::string SourceRecord(std::string_view time, std::string_view team1, std::string_view team2,
                                std::string_view home, std::string_view away,
                                std::initializer_list<std::string_view> offers) {
    std::string text = CrLfLines({time, team1, team2, "Premier League", "England", home, away});
    for (const std::string_view line : offers) {
        text += line;
        text += "\r\n";
    }
    return text + "####\r\n";
}

// The file names in a folder, sorted: what a conversion left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The disk, with a replacement that a test can make fail where a disk rarely
// does: not created, a write failing after some bytes, or the final rename.
class FaultyFileSystem final : public FileSystem {
public:
    std::optional<std::filesystem::path> refuseReplacing;  // replaceFile of this path gives nothing
    std::optional<std::size_t> failWriteAfter;             // bytes accepted before writes fail
    bool failCommit = false;

    std::optional<std::string> readFile(const std::filesystem::path& file) override { return m_disk.readFile(file); }
    bool exists(const std::filesystem::path& file) override { return m_disk.exists(file); }
    std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) override {
        if (refuseReplacing == file) return nullptr;
        auto real = m_disk.replaceFile(file);
        if (!real) return nullptr;
        return std::make_unique<Replacement>(*this, std::move(real));
    }

private:
    class Replacement final : public ReplacementFile {
    public:
        Replacement(const FaultyFileSystem& owner, std::unique_ptr<ReplacementFile> real)
            : m_owner(owner), m_real(std::move(real)) {}
        bool write(std::string_view data) override {
            m_written += data.size();
            if (m_owner.failWriteAfter && m_written > *m_owner.failWriteAfter) return false;
            return m_real->write(data);
        }
        bool commit() override { return !m_owner.failCommit && m_real->commit(); }

    private:
        const FaultyFileSystem& m_owner;
        std::unique_ptr<ReplacementFile> m_real;
        std::size_t m_written = 0;
    };

    LocalFileSystem m_disk;
};

}  // namespace karvola::testing
