#include "ConsoleSink.h"

#include <unistd.h>

#include <cerrno>

namespace karvola::cli {

ConsoleSink::ConsoleSink(std::FILE* stream, StatusLine* status)
    : m_stream(stream), m_status(status), m_isTerminal(isatty(fileno(stream)) != 0) {}

void ConsoleSink::setClosedHandler(std::function<void()> handler) {
    const std::lock_guard lock(m_mutex);
    m_onClosed = std::move(handler);
}

void ConsoleSink::appendLine(std::string_view line) {
    const std::lock_guard lock(m_mutex);
    if (m_writeError) return;
    if (m_status != nullptr) m_status->clear();
    errno = 0;
    const bool ok = std::fwrite(line.data(), 1, line.size(), m_stream) == line.size() &&
                    std::fputc('\n', m_stream) != EOF && std::fflush(m_stream) == 0;
    written(ok);
}

std::optional<int> ConsoleSink::writeError() const {
    const std::lock_guard lock(m_mutex);
    return m_writeError;
}

// Called with the mutex held, errno as the write left it.
void ConsoleSink::written(bool ok) {
    if (ok || m_writeError) return;
    m_writeError = errno == 0 ? EIO : errno;
    if (m_onClosed) m_onClosed();
}

void ConsoleSink::clearScreen() {
    const std::lock_guard lock(m_mutex);
    if (!m_isTerminal) return;
    std::fputs("\x1b[H\x1b[2J", m_stream);
    std::fflush(m_stream);
}

}  // namespace karvola::cli
