#pragma once

#include <cstdio>
#include <functional>
#include <mutex>

#include "common/TerminalSink.h"

namespace karvola::cli {

// Writes every terminal line to a stream as it is appended, one output line per
// terminal line. Lines from several threads never mix within a line.
class ConsoleSink final : public karvola::TerminalSink {
public:
    explicit ConsoleSink(std::FILE* stream);

    // Called once when the stream can take no more (a reader that went away): the
    // program then ends instead of computing output nobody reads.
    void setClosedHandler(std::function<void()> handler);

    void appendLine(std::string_view line) override;
    // A stream is not a screen: clearing one that is a terminal wipes the visible
    // screen, otherwise nothing is written.
    void clearScreen() override;

private:
    void written(bool ok);

    std::mutex m_mutex;
    std::function<void()> m_onClosed;
    bool m_closed = false;
    std::FILE* m_stream;
    bool m_isTerminal;
};

}  // namespace karvola::cli
