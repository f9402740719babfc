#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <new>
#include <system_error>

#include "common/FileSystem.h"

namespace karvola {

namespace {

// Mode bits for a file that did not exist before: rw-r--r-- less the process's umask.
// The umask is read from /proc because umask(2) can only be read by changing it,
// which would race with files being created by other threads.
mode_t newFileMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        constexpr std::string_view kKey = "Umask:";
        if (line.compare(0, kKey.size(), kKey) != 0) continue;
        std::size_t begin = line.find_first_not_of(" \t", kKey.size());
        if (begin == std::string::npos) break;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(line.data() + begin, line.data() + line.size(), value, 8);
        if (error == std::errc() && end != line.data() + begin) mask = static_cast<mode_t>(value & 0777);
        break;
    }
    return static_cast<mode_t>(0644 & ~mask);
}

class LocalReplacementFile final : public ReplacementFile {
public:
    LocalReplacementFile(int descriptor, std::string temporaryPath, std::filesystem::path target)
        : m_descriptor(descriptor), m_temporaryPath(std::move(temporaryPath)), m_target(std::move(target)) {}

    ~LocalReplacementFile() override {
        if (m_descriptor >= 0) ::close(m_descriptor);
        if (!m_committed) ::unlink(m_temporaryPath.c_str());
    }

    LocalReplacementFile(const LocalReplacementFile&) = delete;
    LocalReplacementFile& operator=(const LocalReplacementFile&) = delete;

    bool write(std::string_view data) override {
        if (m_failed || m_descriptor < 0) return false;
        while (!data.empty()) {
            // Beyond RLIMIT_FSIZE this fails with EFBIG, provided SIGXFSZ is ignored.
            const ssize_t written = ::write(m_descriptor, data.data(), data.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                m_failed = true;
                return false;
            }
            data.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool flush() override {
        if (m_flushed) return true;
        if (m_failed || m_descriptor < 0) return false;
        bool ok = ::fchmod(m_descriptor, targetMode()) == 0;
        ok = ok && ::fsync(m_descriptor) == 0;
        // close() reports errors of delayed writes on some file systems (NFS), so it counts too.
        ok = ::close(m_descriptor) == 0 && ok;
        m_descriptor = -1;
        m_failed = !ok;
        m_flushed = ok;
        return ok;
    }

    bool commit() override {
        if (m_committed) return true;
        if (!flush() || std::rename(m_temporaryPath.c_str(), m_target.c_str()) != 0) {
            m_failed = true;
            return false;
        }
        m_committed = true;
        syncFolder();
        return true;
    }

private:
    // The permissions of the file being replaced, so that a save does not widen or narrow them.
    mode_t targetMode() const {
        struct stat status {};
        if (::stat(m_target.c_str(), &status) == 0) return static_cast<mode_t>(status.st_mode & 07777);
        return newFileMode();
    }

    // The rename is durable only once the folder itself reaches the disk. The file is already
    // in place, so a failure here is not reported.
    void syncFolder() const {
        std::filesystem::path folder = m_target.parent_path();
        if (folder.empty()) folder = ".";
        const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0) return;
        ::fsync(descriptor);
        ::close(descriptor);
    }

    int m_descriptor;
    std::string m_temporaryPath;
    std::filesystem::path m_target;
    bool m_failed = false;
    bool m_flushed = false;
    bool m_committed = false;
};

// The file a path finally names once every symbolic link on the way is followed;
// a link to a file that does not exist yet names where that file will be. Nothing
// for a link that cannot be read or that never ends (a loop): no file can be
// written through it, and replacing the link itself would lose it.
std::optional<std::filesystem::path> FinalTarget(std::filesystem::path file) {
    constexpr int kMaxLinks = 40;  // as the kernel allows
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(file, error)) return file;
        const std::filesystem::path link = std::filesystem::read_symlink(file, error);
        if (error) return std::nullopt;
        file = link.is_absolute() ? link : file.parent_path() / link;
    }
    return std::nullopt;
}

// Temporary files of saves that were killed before their rename: our own hidden
// "." + name + ".karvola-" + six characters beside the target. Those older than a
// minute belong to no save still running and are removed.
void RemoveStaleReplacements(const std::filesystem::path& folder, const std::string& prefix) {
    constexpr auto kStale = std::chrono::minutes(1);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (!entry.is_regular_file(error) || entry.is_symlink(error)) continue;
        const auto modified = entry.last_write_time(error);
        if (!error && now - modified > kStale) std::filesystem::remove(entry.path(), error);
    }
}

}  // namespace

std::optional<std::string> LocalFileSystem::readFile(const std::filesystem::path& file) {
    // Non-blocking, so that opening a FIFO does not wait for a writer; only regular files are read
    // (a device such as /dev/zero would never end).
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return std::nullopt;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return std::nullopt;
    }
    // One buffer of the size fstat reports; the loop still reads to the end of the file, so a
    // file that grows meanwhile or reports no size (/proc) is read whole. A file larger than the
    // memory can hold is unreadable like any other.
    std::string content;
    try {
        content.resize(status.st_size > 0 ? static_cast<std::size_t>(status.st_size) + 1 : 4096);
        std::size_t filled = 0;
        for (;;) {
            if (filled == content.size()) content.resize(content.size() * 2);
            const ssize_t count = ::read(descriptor, content.data() + filled, content.size() - filled);
            if (count < 0) {
                if (errno == EINTR) continue;
                ::close(descriptor);
                return std::nullopt;
            }
            if (count == 0) break;
            filled += static_cast<std::size_t>(count);
        }
        content.resize(filled);
    } catch (const std::bad_alloc&) {
        ::close(descriptor);
        return std::nullopt;
    }
    ::close(descriptor);
    return content;
}

std::unique_ptr<ReplacementFile> LocalFileSystem::replaceFile(const std::filesystem::path& file) {
    // A save through a symbolic link replaces the file it points to, not the link.
    const std::optional<std::filesystem::path> finalTarget = FinalTarget(file);
    if (!finalTarget) {
        errno = ELOOP;
        return nullptr;
    }
    const std::filesystem::path& target = *finalTarget;
    // A folder is never replaced by a file: the save fails before anything is written
    // (the rename would refuse it only after the whole content had been written).
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return nullptr;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // Marked as ours, so that clearing leftovers never touches a user's ".name.backup".
    const std::string prefix = "." + target.filename().string() + ".karvola-";
    RemoveStaleReplacements(folder, prefix);
    // A hidden name beside the target: the same file system, so the final rename is atomic.
    std::string temporaryPath = (folder / (prefix + "XXXXXX")).string();
    const int descriptor = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    return std::make_unique<LocalReplacementFile>(descriptor, std::move(temporaryPath), target);
}

bool LocalFileSystem::exists(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file, error);
}

bool WriteFileAtomically(std::unique_ptr<ReplacementFile> replacement, std::string_view content) {
    return replacement && replacement->write(content) && replacement->commit();
}

bool WriteFileAtomically(FileSystem& files, const std::filesystem::path& file, std::string_view content) {
    return WriteFileAtomically(files.replaceFile(file), content);
}

}  // namespace karvola
