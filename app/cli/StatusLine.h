#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace karvola::cli {

// The one line of progress a long command keeps redrawing on standard error.
// On a terminal it shares the screen with the output lines and the diagnostics,
// so whoever writes a line wipes it first: no line starts after a progress text,
// and none is left in the transcript once the work ends. Nothing is drawn where
// the stream is no terminal or the terminal cannot go back to the line's start
// (TERM unset or dumb). Safe from any thread.
class StatusLine final {
public:
    StatusLine(std::FILE* stream, bool drawable);

    // Whether a status line can be drawn on the stream: a terminal, TERM set and not dumb.
    [[nodiscard]] static bool Drawable(std::FILE* stream);

    // Replaces the line's text; cut to the terminal's width, since a wrapped line
    // could not be wiped.
    void show(std::string_view text);
    // Wipes the line if it is shown.
    void clear();
    // "karvola-cli: " + text on a line of its own.
    void diagnostic(std::string_view text);

    [[nodiscard]] bool drawable() const { return m_drawable; }

private:
    void wipe();

    std::mutex m_mutex;
    std::FILE* m_stream;
    bool m_drawable;
    bool m_shown = false;
};

}  // namespace karvola::cli
