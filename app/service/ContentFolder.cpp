#include "ContentFolder.h"

#include <array>
#include <stdexcept>
#include <system_error>

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

fs::path CanonicalFolder(const fs::path& folder) {
    std::error_code error;
    fs::path canonical = fs::canonical(folder, error);
    if (error || !fs::is_directory(canonical, error)) {
        throw std::runtime_error("the content folder " + folder.string() + " is not a folder");
    }
    return canonical;
}

std::optional<std::int64_t> ShiftedStart(const Clock& clock, bool shiftToNow) {
    if (!shiftToNow) return std::nullopt;
    return static_cast<std::int64_t>(clock.now()) + kShiftedLead;
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

ContentFolder::ContentFolder(const std::filesystem::path& folder, Report report, UpcomingSettings upcoming)
    : m_folder(CanonicalFolder(folder)),
      m_report(std::move(report)),
      m_clock(std::move(upcoming.clock)),
      m_upcoming(m_folder, m_report, ShiftedStart(*m_clock, upcoming.shiftToNow)) {
    const auto stamps = stampsNow();
    reload(stamps);
}

std::shared_ptr<const ServiceContent> ContentFolder::current() {
    const auto stamps = stampsNow();
    const std::scoped_lock lock(m_mutex);
    if (stamps != m_stamps) reload(stamps);
    return m_content;
}

UpcomingNow ContentFolder::upcoming() {
    return {m_upcoming.current(), static_cast<std::int64_t>(m_clock->now())};
}

ContentFolder::Stamps ContentFolder::stampsNow() const {
    Stamps stamps;
    for (const auto name : kContentFiles) stamps.push_back(StampOf(m_folder / name));
    return stamps;
}

std::optional<std::string> ContentFolder::readContentFile(std::string_view name, bool& failed) const {
    return ReadContentFile(m_folder, m_folder / name, name, m_report, failed);
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
