#pragma once

#include <string_view>

namespace karvola {

// Where the terminal screen's lines go: the window's read-only text box, the
// headless terminal's standard output, or a test's recorder. Lines are only ever
// appended whole; implementations used by the optimizer must be thread-safe.
class TerminalSink {
public:
    virtual ~TerminalSink() = default;

    virtual void appendLine(std::string_view line) = 0;
    virtual void clearScreen() = 0;
    // Shows the lines appended so far at once (the window repaints; others need nothing).
    virtual void repaint() {}
};

}  // namespace karvola
