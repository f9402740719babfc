#include "ContentFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

#include "common/FileSystem.h"

namespace karvola::service {
namespace {

namespace fs = std::filesystem;

bool IsInside(const fs::path& file, const fs::path& folder) {
    const auto [end, unused] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return end == folder.end();
}

}  // namespace

FileStamp StampOf(const std::filesystem::path& file) {
    FileStamp stamp;
    struct stat status {};
    // stat follows a link, so a replaced link target counts as a change too.
    if (::stat(file.c_str(), &status) == 0) {
        stamp.present = true;
        stamp.size = static_cast<std::uintmax_t>(status.st_size);
        stamp.modified = static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
        stamp.inode = status.st_ino;
    }
    return stamp;
}

std::optional<std::string> ReadContentFile(const std::filesystem::path& folder, const std::filesystem::path& file,
                                           std::string_view name, const ContentReport& report, bool& failed) {
    const auto leftOut = [&](const char* reason) {
        report(std::string(name) + reason);
        failed = true;
        return std::nullopt;
    };
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) return std::nullopt;
    const fs::path target = fs::canonical(file, error);
    if (error || !IsInside(target, folder)) return leftOut(" is left out: it leads outside the content folder");
    if (!fs::is_regular_file(target, error)) return leftOut(" is left out: it is not a regular file");
    if (fs::file_size(target, error) > kMaxContentFileBytes) return leftOut(" is left out: it is larger than 64 MB");
    LocalFileSystem files;
    auto text = files.readFile(target);
    if (!text) return leftOut(" cannot be read");
    return text;
}

}  // namespace karvola::service
