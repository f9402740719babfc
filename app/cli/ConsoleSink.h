#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>

#include "StatusLine.h"
#include "common/TerminalSink.h"

namespace karvola::cli {

// Writes every terminal line to a stream as it is appended, one output line per
// terminal line. Lines from several threads never mix within a line.
class ConsoleSink final : public karvola::TerminalSink {
public:
    // A status line on the same screen is wiped before each line; null for none.
    explicit ConsoleSink(std::FILE* stream, StatusLine* status = nullptr);

    // Called once when the stream can take no more (a full disk, a reader that
    // went away): the program then ends instead of computing output nobody reads.
    void setClosedHandler(std::function<void()> handler);

    void appendLine(std::string_view line) override;
    // A stream is not a screen: clearing one that is a terminal wipes the visible
    // screen, otherwise nothing is written.
    void clearScreen() override;

    // The errno of the write that failed, once one has.
    [[nodiscard]] std::optional<int> writeError() const;

private:
    void written(bool ok);

    mutable std::mutex m_mutex;
    std::function<void()> m_onClosed;
    std::optional<int> m_writeError;
    std::FILE* m_stream;
    StatusLine* m_status;
    bool m_isTerminal;
};

}  // namespace karvola::cli
