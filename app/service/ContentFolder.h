#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace karvola::service {

// What the service answers with, read from its content folder:
//   referals.txt  the bookmaker directory, sent as it is
//   advert.txt    the advert, sent as it is
//   keys.txt      the identity keys the upcoming-matches exchange accepts, one a
//                 line; blank lines and lines starting with "#" are left out
// A file that is missing leaves its part empty: its route answers 404, or no key
// is known.
struct ServiceContent {
    std::optional<std::string> directory;
    std::optional<std::string> advert;
    std::set<std::string, std::less<>> identityKeys;

    [[nodiscard]] bool knows(std::string_view identityKey) const { return identityKeys.contains(identityKey); }
};

inline constexpr std::string_view kDirectoryFileName = "referals.txt";
inline constexpr std::string_view kAdvertFileName = "advert.txt";
inline constexpr std::string_view kKeysFileName = "keys.txt";
// A content file larger than this is refused, as the program refuses such a reply.
inline constexpr std::uintmax_t kMaxContentFileBytes = 64u << 20;

// The keys of a keys.txt text.
[[nodiscard]] std::set<std::string, std::less<>> ParseIdentityKeys(std::string_view text);

// The content folder, read again as soon as one of its files changes (its size,
// time or identity), so that an edit shows in the next reply without a restart.
// Only the three files above are ever read, and only when they resolve to a
// regular file inside the folder. Safe to use from the server's threads.
class ContentFolder final {
public:
    // Problems while reading (a file too large, unreadable, outside the folder)
    // go to the report, one text each; the part keeps its previous content.
    using Report = std::function<void(const std::string&)>;

    // Reads the folder; throws std::runtime_error when it is not a folder.
    ContentFolder(std::filesystem::path folder, Report report);
    ContentFolder(const ContentFolder&) = delete;
    ContentFolder& operator=(const ContentFolder&) = delete;

    // The content as it is now; the snapshot stays valid while a reply uses it.
    [[nodiscard]] std::shared_ptr<const ServiceContent> current();
    [[nodiscard]] const std::filesystem::path& folder() const { return m_folder; }

private:
    // What tells that a file changed without reading it.
    struct Stamp {
        bool present = false;
        std::uintmax_t size = 0;
        long long modified = 0;  // nanoseconds
        unsigned long long inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    using Stamps = std::vector<Stamp>;

    [[nodiscard]] Stamps stampsNow() const;
    [[nodiscard]] std::optional<std::string> readContentFile(std::string_view name, bool& failed) const;
    void reload(const Stamps& stamps);

    std::filesystem::path m_folder;
    Report m_report;
    std::mutex m_mutex;
    Stamps m_stamps;
    std::shared_ptr<const ServiceContent> m_content;
};

}  // namespace karvola::service
