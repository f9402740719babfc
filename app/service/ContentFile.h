#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace karvola::service {

// Where the content folder's readers tell what they left out, one text each.
using ContentReport = std::function<void(const std::string&)>;

// A content file larger than this is refused, as the program refuses such a reply.
inline constexpr std::uintmax_t kMaxContentFileBytes = 64u << 20;

// What tells that a file changed without reading it: its size, time and
// identity, those of a link's target for a link.
struct FileStamp {
    bool present = false;
    std::uintmax_t size = 0;
    long long modified = 0;  // nanoseconds
    unsigned long long inode = 0;
    bool operator==(const FileStamp&) const = default;
};

[[nodiscard]] FileStamp StampOf(const std::filesystem::path& file);

// A file of the content folder (canonical) read whole. Nothing when it does not
// exist; nothing with `failed` set and the reason reported, under `name`, when
// it leads outside the folder, is no regular file, is over 64 MB or cannot be read.
[[nodiscard]] std::optional<std::string> ReadContentFile(const std::filesystem::path& folder,
                                                         const std::filesystem::path& file, std::string_view name,
                                                         const ContentReport& report, bool& failed);

}  // namespace karvola::service
