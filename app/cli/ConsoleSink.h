#pragma once

#include <cstdio>
#include <mutex>

#include "common/TerminalSink.h"

namespace karvola::cli {

// Writes every terminal line to a stream as it is appended, one output line per
// terminal line. Lines from several threads never mix within a line.
class ConsoleSink final : public karvola::TerminalSink {
public:
    explicit ConsoleSink(std::FILE* stream);

    void appendLine(std::string_view line) override;
    // A stream is not a screen: clearing one that is a terminal wipes the visible
    // screen, otherwise nothing is written.
    void clearScreen() override;

private:
    std::mutex m_mutex;
    std::FILE* m_stream;
    bool m_isTerminal;
};

}  // namespace karvola::cli
