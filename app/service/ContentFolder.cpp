#include "ContentFolder.h"

#include <sys/stat.h>

#include <array>
#include <stdexcept>
#include <system_error>

#include "common/FileSystem.h"

namespace karvola::service {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kContentFiles{kDirectoryFileName, kAdvertFileName, kKeysFileName};

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsInside(const fs::path& file, const fs::path& folder) {
    const auto [end, unused] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return end == folder.end();
}

}  // namespace

std::set<std::string, std::less<>> ParseIdentityKeys(std::string_view text) {
    std::set<std::string, std::less<>> keys;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        if (!line.empty() && line.front() != '#') keys.emplace(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return keys;
}

ContentFolder::ContentFolder(std::filesystem::path folder, Report report) : m_report(std::move(report)) {
    std::error_code error;
    m_folder = fs::canonical(folder, error);
    if (error || !fs::is_directory(m_folder, error)) {
        throw std::runtime_error("the content folder " + folder.string() + " is not a folder");
    }
    const auto stamps = stampsNow();
    reload(stamps);
}

std::shared_ptr<const ServiceContent> ContentFolder::current() {
    const auto stamps = stampsNow();
    const std::scoped_lock lock(m_mutex);
    if (stamps != m_stamps) reload(stamps);
    return m_content;
}

ContentFolder::Stamps ContentFolder::stampsNow() const {
    Stamps stamps;
    for (const auto name : kContentFiles) {
        Stamp stamp;
        struct stat status {};
        // stat follows a link, so a replaced link target counts as a change too.
        if (::stat((m_folder / name).c_str(), &status) == 0) {
            stamp.present = true;
            stamp.size = static_cast<std::uintmax_t>(status.st_size);
            stamp.modified = static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
            stamp.inode = status.st_ino;
        }
        stamps.push_back(stamp);
    }
    return stamps;
}

std::optional<std::string> ContentFolder::readContentFile(std::string_view name, bool& failed) const {
    const fs::path file = m_folder / name;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) return std::nullopt;
    const fs::path target = fs::canonical(file, error);
    if (error || !IsInside(target, m_folder)) {
        m_report(std::string(name) + " is left out: it leads outside the content folder");
        failed = true;
        return std::nullopt;
    }
    if (!fs::is_regular_file(target, error)) {
        m_report(std::string(name) + " is left out: it is not a regular file");
        failed = true;
        return std::nullopt;
    }
    if (fs::file_size(target, error) > kMaxContentFileBytes) {
        m_report(std::string(name) + " is left out: it is larger than 64 MB");
        failed = true;
        return std::nullopt;
    }
    LocalFileSystem files;
    auto text = files.readFile(target);
    if (!text) {
        m_report(std::string(name) + " cannot be read");
        failed = true;
    }
    return text;
}

void ContentFolder::reload(const Stamps& stamps) {
    auto content = std::make_shared<ServiceContent>();
    const ServiceContent* previous = m_content.get();
    bool failed = false;

    bool directoryFailed = false;
    content->directory = readContentFile(kDirectoryFileName, directoryFailed);
    if (directoryFailed && previous) content->directory = previous->directory;

    bool advertFailed = false;
    content->advert = readContentFile(kAdvertFileName, advertFailed);
    if (advertFailed && previous) content->advert = previous->advert;

    bool keysFailed = false;
    if (const auto keys = readContentFile(kKeysFileName, keysFailed)) content->identityKeys = ParseIdentityKeys(*keys);
    if (keysFailed && previous) content->identityKeys = previous->identityKeys;

    failed = directoryFailed || advertFailed || keysFailed;
    if (previous) {
        m_report(std::string("content reloaded") + (failed ? " in part" : "") + ": " +
                 std::to_string(content->identityKeys.size()) + " identity keys");
    }
    m_content = std::move(content);
    m_stamps = stamps;
}

}  // namespace karvola::service
