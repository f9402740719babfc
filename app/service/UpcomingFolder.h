#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ContentFile.h"
#include "UpcomingMatches.h"

namespace karvola::service {

inline constexpr std::string_view kUpcomingFolderName = "upcoming";

// The upcoming matches of the content folder's upcoming/ subfolder: its *.txt
// files are data sources, its *.csv files football-data.co.uk files, read in
// name order. They are read again, and the document written again, only when
// the list of those files or one of them changes (size, time or identity).
// Safe to use from the server's threads.
class UpcomingFolder final {
public:
    // `contentFolder` is canonical. With `shiftedStart`, every kick-off is moved
    // by one amount so that the earliest lies there, the matches keeping their
    // spacing; without, they stand as the files have them.
    UpcomingFolder(std::filesystem::path contentFolder, ContentReport report,
                   std::optional<std::int64_t> shiftedStart = std::nullopt);
    UpcomingFolder(const UpcomingFolder&) = delete;
    UpcomingFolder& operator=(const UpcomingFolder&) = delete;

    // The matches as the folder holds them now; the snapshot stays valid while a reply uses it.
    [[nodiscard]] std::shared_ptr<const UpcomingMatches> current();

private:
    struct Entry {
        std::string name;
        FileStamp stamp;
        bool operator==(const Entry&) const = default;
    };
    using Entries = std::vector<Entry>;

    [[nodiscard]] Entries entriesNow() const;
    void rebuild(const Entries& entries);
    // The matches of a file that fit the document; nothing for a file left out.
    // What is left out goes to the report.
    [[nodiscard]] std::optional<std::vector<UpcomingEvent>> readMatches(const Entry& entry) const;

    std::filesystem::path m_contentFolder;
    ContentReport m_report;
    std::optional<std::int64_t> m_shiftedStart;
    std::mutex m_mutex;
    Entries m_entries;
    std::shared_ptr<const UpcomingMatches> m_matches;
};

}  // namespace karvola::service
