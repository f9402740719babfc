#include "StatusLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace karvola::cli {

namespace {

std::size_t Columns(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
    return 80;
}

}  // namespace

StatusLine::StatusLine(std::FILE* stream, bool drawable) : m_stream(stream), m_drawable(drawable) {}

bool StatusLine::Drawable(std::FILE* stream) {
    const char* term = std::getenv("TERM");
    return isatty(fileno(stream)) != 0 && term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

void StatusLine::show(std::string_view text) {
    if (!m_drawable) return;
    const std::lock_guard lock(m_mutex);
    // The last column stays free: a line that fills it wraps on some terminals.
    const std::size_t width = Columns(m_stream) - 1;
    if (text.size() > width) text = text.substr(0, width);
    std::fputs("\r\x1b[K", m_stream);
    std::fwrite(text.data(), 1, text.size(), m_stream);
    std::fflush(m_stream);
    m_shown = true;
}

void StatusLine::clear() {
    const std::lock_guard lock(m_mutex);
    wipe();
}

void StatusLine::diagnostic(std::string_view text) {
    const std::lock_guard lock(m_mutex);
    wipe();
    std::fprintf(m_stream, "karvola-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(m_stream);
}

// Called with the mutex held.
void StatusLine::wipe() {
    if (!m_shown) return;
    std::fputs("\r\x1b[K", m_stream);
    std::fflush(m_stream);
    m_shown = false;
}

}  // namespace karvola::cli
