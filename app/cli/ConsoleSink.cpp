#include "ConsoleSink.h"

#include <unistd.h>

namespace karvola::cli {

ConsoleSink::ConsoleSink(std::FILE* stream) : m_stream(stream), m_isTerminal(isatty(fileno(stream)) != 0) {}

void ConsoleSink::appendLine(std::string_view line) {
    const std::lock_guard lock(m_mutex);
    std::fwrite(line.data(), 1, line.size(), m_stream);
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
}

void ConsoleSink::clearScreen() {
    const std::lock_guard lock(m_mutex);
    if (!m_isTerminal) return;
    std::fputs("\x1b[H\x1b[2J", m_stream);
    std::fflush(m_stream);
}

}  // namespace karvola::cli
