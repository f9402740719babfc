#include "terminal/Terminal.h"

#include <string>

namespace karvola {

Terminal::Terminal(TerminalSink& sink, ChangeObserver& observer, char decimalSeparator)
    : m_sink(sink), m_history(observer), m_dispatcher(sink, m_history, m_flags, decimalSeparator) {}

void Terminal::enterLine(std::string_view text, Echo echo) {
    if (text.empty()) return;
    if (echo == Echo::Shown) m_sink.appendLine(">" + std::string(text));
    m_history.append(text);
    m_dispatcher.DispatchCommand(text);
}

}  // namespace karvola
