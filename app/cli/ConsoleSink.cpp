#include "ConsoleSink.h"

#include <unistd.h>

namespace karvola::cli {

ConsoleSink::ConsoleSink(std::FILE* stream) : m_stream(stream), m_isTerminal(isatty(fileno(stream)) != 0) {}

void ConsoleSink::setClosedHandler(std::function<void()> handler) {
    const std::lock_guard lock(m_mutex);
    m_onClosed = std::move(handler);
}

void ConsoleSink::appendLine(std::string_view line) {
    const std::lock_guard lock(m_mutex);
    if (m_closed) return;
    const bool ok = std::fwrite(line.data(), 1, line.size(), m_stream) == line.size() &&
                    std::fputc('\n', m_stream) != EOF && std::fflush(m_stream) == 0;
    written(ok);
}

// Called with the mutex held.
void ConsoleSink::written(bool ok) {
    if (ok || m_closed) return;
    m_closed = true;
    if (m_onClosed) m_onClosed();
}

void ConsoleSink::clearScreen() {
    const std::lock_guard lock(m_mutex);
    if (!m_isTerminal) return;
    std::fputs("\x1b[H\x1b[2J", m_stream);
    std::fflush(m_stream);
}

}  // namespace karvola::cli
