#pragma once

#include <sys/resource.h>

#include <csignal>
#include <stdexcept>

namespace karvola::testing {

// Lowers the largest file size this process may write (RLIMIT_FSIZE) for the lifetime of the
// object: the way to make a write fail midway like a full disk, even for root. SIGXFSZ is
// ignored meanwhile, as the program does, so the write fails with EFBIG instead of killing the
// process. Both are restored afterwards.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0) throw std::runtime_error("getrlimit failed");
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        if (setrlimit(RLIMIT_FSIZE, &lowered) != 0) throw std::runtime_error("setrlimit failed");
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
};

}  // namespace karvola::testing
