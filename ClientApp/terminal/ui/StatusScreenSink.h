#pragma once

#include <QObject>
#include <QPlainTextEdit>

#include "common/TerminalSink.h"
#include "common/ui/QueuedCalls.h"

namespace karvola::ui {

// The terminal screen as a sink: lines appended from any thread reach the
// read-only text box on its own thread, in the order each thread wrote them.
class StatusScreenSink final : public karvola::TerminalSink {
public:
    // Made on the screen's thread.
    explicit StatusScreenSink(QPlainTextEdit& screen) : m_screen(screen), m_queuedCalls(new QueuedCalls(&screen)) {}

    void appendLine(std::string_view line) override;
    void clearScreen() override;
    void repaint() override;

private:
    QPlainTextEdit& m_screen;
    QueuedCalls* m_queuedCalls;  // a child of the screen: what other threads write
};

}  // namespace karvola::ui
