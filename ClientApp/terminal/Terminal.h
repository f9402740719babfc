#pragma once

#include <string_view>

#include "common/OptimizationFlags.h"
#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "terminal/CommandDispatcher.h"
#include "terminal/CommandHistory.h"

namespace karvola {

// The main window's terminal without its widgets: what happens when a line is
// entered on the command line, the history, the dispatcher and the busy flags.
// The window and the headless terminal are both thin shells over it.
class Terminal final {
public:
    enum class Echo { Shown, Hidden };

    Terminal(TerminalSink& sink, ChangeObserver& observer, char decimalSeparator);

    // Enter pressed on the command line: an empty text does nothing; otherwise the
    // echo ">" + text, the history, then the dispatcher. A front end whose user
    // already sees the typed line on the same screen may hide the echo.
    void enterLine(std::string_view text, Echo echo = Echo::Shown);

    [[nodiscard]] CommandDispatcher& dispatcher() { return m_dispatcher; }
    [[nodiscard]] CommandHistory& history() { return m_history; }
    [[nodiscard]] OptimizationFlags& flags() { return m_flags; }
    [[nodiscard]] const OptimizationFlags& flags() const { return m_flags; }
    [[nodiscard]] TerminalSink& sink() { return m_sink; }
    // Asked from another thread to end the command at work and run no more.
    [[nodiscard]] StopRequest& stopRequest() { return m_stop; }

private:
    TerminalSink& m_sink;
    CommandHistory m_history;
    OptimizationFlags m_flags;
    StopRequest m_stop;
    CommandDispatcher m_dispatcher;
};

}  // namespace karvola
