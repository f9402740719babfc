#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ContentFile.h"
#include "UpcomingFolder.h"
#include "common/Clock.h"

namespace karvola::service {

// What the service answers with, read from its content folder:
//   referals.txt  the bookmaker directory, sent as it is
//   advert.txt    the advert, sent as it is
//   keys.txt      the identity keys the upcoming-matches exchange accepts, one a
//                 line; blank lines and lines starting with "#" are left out
//   upcoming/     the upcoming matches (see UpcomingFolder)
// A file that is missing leaves its part empty: its route answers 404, or no key
// is known, or no match is listed.
struct ServiceContent {
    std::optional<std::string> directory;
    std::optional<std::string> advert;
    std::set<std::string, std::less<>> identityKeys;

    [[nodiscard]] bool knows(std::string_view identityKey) const { return identityKeys.contains(identityKey); }
};

inline constexpr std::string_view kDirectoryFileName = "referals.txt";
inline constexpr std::string_view kAdvertFileName = "advert.txt";
inline constexpr std::string_view kKeysFileName = "keys.txt";
// With the kick-offs shifted to now, the earliest lies this long after the start.
inline constexpr std::int64_t kShiftedLead = 86'400;

// How the upcoming matches are judged and placed in time.
struct UpcomingSettings {
    // Tells which matches have kicked off; a test gives its own.
    std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>();
    // Moves every kick-off of the content by one amount so that the earliest lies
    // a day after the service's start, keeping their spacing: old matches serve as
    // upcoming ones, and an edit of the content later on moves none of them again
    // unless it changes the earliest.
    bool shiftToNow = false;
};

// The keys of a keys.txt text.
[[nodiscard]] std::set<std::string, std::less<>> ParseIdentityKeys(std::string_view text);

// The content folder, read again as soon as one of its files changes (its size,
// time or identity), so that an edit shows in the next reply without a restart.
// Only the files above are ever read, and only when they resolve to a regular
// file inside the folder. Safe to use from the server's threads.
class ContentFolder final {
public:
    // Problems while reading (a file too large, unreadable, outside the folder)
    // go to the report, one text each; the part keeps its previous content.
    using Report = ContentReport;

    // Reads the folder; throws std::runtime_error when it is not a folder.
    ContentFolder(const std::filesystem::path& folder, Report report, UpcomingSettings upcoming = {});
    ContentFolder(const ContentFolder&) = delete;
    ContentFolder& operator=(const ContentFolder&) = delete;

    // The content as it is now; the snapshot stays valid while a reply uses it.
    [[nodiscard]] std::shared_ptr<const ServiceContent> current();
    // The upcoming matches as the folder holds them now, at the clock's time.
    [[nodiscard]] UpcomingNow upcoming();
    [[nodiscard]] const std::filesystem::path& folder() const { return m_folder; }

private:
    using Stamps = std::vector<FileStamp>;

    [[nodiscard]] Stamps stampsNow() const;
    [[nodiscard]] std::optional<std::string> readContentFile(std::string_view name, bool& failed) const;
    void reload(const Stamps& stamps);

    std::filesystem::path m_folder;
    Report m_report;
    std::shared_ptr<const Clock> m_clock;
    UpcomingFolder m_upcoming;
    std::mutex m_mutex;
    Stamps m_stamps;
    std::shared_ptr<const ServiceContent> m_content;
};

}  // namespace karvola::service
